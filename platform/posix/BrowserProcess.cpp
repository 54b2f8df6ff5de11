// Starting, reaping and ending the browser window's program with POSIX calls.
#include "platform/BrowserProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ExePath.h"

extern char** environ;

namespace {
// How long a helper asked to close may take before it is ended.
constexpr int kCloseWaitMs = 2000;
constexpr int kHelperFd = 3;
}

// Where an installed nimbula keeps its helper programs, from its own folder (bin/ -> libexec/nimbula).
#ifndef NIMBULA_HELPER_DIR
#define NIMBULA_HELPER_DIR "../libexec/nimbula"
#endif

std::string BrowserProgramPath()
{
    // Beside the program in a build, in the helpers' folder once installed.
    const std::filesystem::path dir = ExecutablePath().parent_path();
    const std::filesystem::path candidates[] = {dir / "nimbula-web", (dir / NIMBULA_HELPER_DIR / "nimbula-web").lexically_normal()};
    std::error_code ec;
    for (const std::filesystem::path& p : candidates)
        if (std::filesystem::is_regular_file(p, ec)) return p.string();
    // Neither: the message names the place where an installation puts it.
    return candidates[1].string();
}

bool CBrowserProcess::Start(const std::string& program)
{
    m_error.clear();
    m_status = -1;
    m_ending.clear();
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        m_error = std::string("cannot make a channel to the browser: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 leaves the copy open across exec: the helper's end, and nothing else of ours.
    posix_spawn_file_actions_adddup2(&actions, sv[1], kHelperFd);
    const std::string fd = std::to_string(kHelperFd);
    const char* argv[] = {program.c_str(), fd.c_str(), nullptr};
    const int rc = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sv[1]);
    if (rc != 0) {
        ::close(sv[0]);
        m_pid = 0;
        m_error = rc == ENOENT ? "its program " + program + " is missing"
                               : "its program " + program + " cannot be started: " + std::strerror(rc);
        return false;
    }
    m_channel.Adopt(sv[0]);
    return true;
}

bool CBrowserProcess::Reap(int waitMs)
{
    for (int waited = 0; m_pid > 0;) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r < 0 && errno == EINTR) continue;
        if (r == 0) {
            if (waited >= waitMs) return false;
            ::poll(nullptr, 0, 10);
            waited += 10;
            continue;
        }
        m_pid = 0;
        if (r > 0 && WIFEXITED(status)) {
            m_status = WEXITSTATUS(status);
            if (m_status != 0) m_ending = "it ended with status " + std::to_string(m_status);
        } else if (r > 0 && WIFSIGNALED(status)) {
            m_ending = "it ended on signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
        }
    }
    return true;
}

void CBrowserProcess::Stop()
{
    if (m_pid <= 0) {
        m_channel.Close();
        return;
    }
    m_channel.Send("close");
    if (!Reap(kCloseWaitMs)) {
        ::kill(m_pid, SIGKILL);
        Reap(kCloseWaitMs);
    }
    m_channel.Close();
}

std::string CBrowserProcess::Ended()
{
    // It closed its end: it is on its way out, or stuck, and is ended then.
    if (m_pid > 0 && !Reap(kCloseWaitMs)) {
        ::kill(m_pid, SIGKILL);
        Reap(kCloseWaitMs);
    }
    m_channel.Close();
    return m_ending;
}
