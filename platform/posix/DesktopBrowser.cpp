// The desktop's browser through xdg-open, started in the background so a browser that stays in
// the foreground of xdg-open never holds up the saver.
#include "platform/DesktopBrowser.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {
DesktopBrowserHandler& Handler()
{
    static DesktopBrowserHandler handler;
    return handler;
}

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    std::error_code ec;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
    }
    return {};
}

bool SpawnXdgOpen(const std::string& url)
{
    const std::string opener = FindInPath("xdg-open");
    if (opener.empty()) return false;
    // The shell leaves xdg-open running on its own and ends at once; the address is an argument,
    // never part of the script.
    const char* script = "\"$0\" \"$1\" >/dev/null &";
    const char* argv[] = {"/bin/sh", "-c", script, opener.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}

bool OpenInDesktopBrowser(const std::string& url)
{
    if (Handler()) return Handler()(url);
    return SpawnXdgOpen(url);
}

DesktopBrowserHandler SetDesktopBrowserHandler(DesktopBrowserHandler handler)
{
    DesktopBrowserHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}
