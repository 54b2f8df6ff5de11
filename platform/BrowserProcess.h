// The browser window's own program (nimbula-web, the only one that loads WebKitGTK), started for
// as long as the web support window is open and spoken to in lines. Kept out of the saver's
// process so the saver starts without GTK, runs on without WebKitGTK installed, survives a browser
// that aborts, and has all of the browser's memory back when the window closes.
#pragma once

#include <string>
#include <sys/types.h>

#include "platform/LineChannel.h"

// The helper's exit status when the system's loader could not find a library it needs.
constexpr int kLoaderFailedStatus = 127;

class CBrowserProcess {
public:
    CBrowserProcess() = default;
    CBrowserProcess(const CBrowserProcess&) = delete;
    CBrowserProcess& operator=(const CBrowserProcess&) = delete;
    ~CBrowserProcess() { Stop(); }

    // Starts the program with the channel as its file descriptor 3; false (with LastError) when
    // it cannot be started.
    bool Start(const std::string& program);
    CLineChannel& Channel() { return m_channel; }
    bool Running() const { return m_pid > 0; }
    const std::string& LastError() const { return m_error; }

    // Asks it to close, gives it a moment, then ends it; always reaps it.
    void Stop();
    // Reaps a helper that closed its end; how it ended, in words ("" for a clean end).
    std::string Ended();
    // Its exit status once reaped (-1 while running or after a signal).
    int ExitStatus() const { return m_status; }

private:
    bool Reap(int waitMs);

    pid_t m_pid = 0;
    int m_status = -1;
    std::string m_ending;
    std::string m_error;
    CLineChannel m_channel;
};

// nimbula-web beside the running program (a build), else in the installed helpers' folder.
std::string BrowserProgramPath();
