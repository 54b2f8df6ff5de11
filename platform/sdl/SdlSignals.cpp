// Termination signals: a flag for the loop, and the end of any message-box process SDL has open.
#include "platform/sdl/SdlSignals.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_termRequested = 0;
volatile std::sig_atomic_t g_boxOpen = 0;
pid_t g_pid = 0;

// Writes the decimal digits of v at out; returns the end. Async-signal-safe.
char* PutNumber(char* out, long v)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v > 0);
    while (n > 0) *out++ = digits[--n];
    return out;
}

char* PutText(char* out, const char* text)
{
    while (*text) *out++ = *text++;
    return out;
}

// SDL shows an X11 message box from a child process and waits for it: end every child of ours
// (the box is the only one), so the wait returns. Only async-signal-safe calls.
void EndBoxProcesses()
{
    char path[96];
    char* p = PutText(path, "/proc/");
    p = PutNumber(p, g_pid);
    p = PutText(p, "/task/");
    p = PutNumber(p, g_pid);
    p = PutText(p, "/children");
    *p = '\0';
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char list[512];
    const ssize_t n = ::read(fd, list, sizeof list - 1);
    ::close(fd);
    long pid = 0;
    for (ssize_t i = 0; i <= n; ++i) {
        if (i < n && list[i] >= '0' && list[i] <= '9') {
            pid = pid * 10 + (list[i] - '0');
            continue;
        }
        if (pid > 0) ::kill(pid_t(pid), SIGKILL);
        pid = 0;
    }
}

void OnTermSignal(int)
{
    const int saved = errno;
    g_termRequested = 1;
    if (g_boxOpen) EndBoxProcesses();
    errno = saved;
}

// Runs in the child of every fork: SDL's box process must not outlive us, nor open at all once
// the end was asked for.
void OnForkChild()
{
    if (!g_boxOpen) return;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (g_termRequested || ::getppid() != g_pid) ::_exit(1);
}
}

void InstallTermSignals()
{
    g_pid = ::getpid();
    struct sigaction action {};
    action.sa_handler = OnTermSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
    static bool registered = false;
    if (!registered) ::pthread_atfork(nullptr, nullptr, OnForkChild);
    registered = true;
}

bool TermRequested() { return g_termRequested != 0; }

void SetMessageBoxOpen(bool open) { g_boxOpen = open ? 1 : 0; }
