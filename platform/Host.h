// The host layer the program runs on: windows, OpenGL, dialogs, message boxes and the end of the
// program asked from outside, installed by main() for the program's life. One implementation per
// system (platform/sdl/ on Linux, platform/win32/ on Windows), chosen by the build.
#pragma once

#include <memory>
#include <string>

struct SHostOptions {
    // -1: vsync where offered, else 60 per second; 0: neither vsync nor pacing; N: N per second.
    int pace = -1;
    // A frames-per-second readout in a corner of every universe window (XScreenSaver's -fps).
    bool showFps = false;
    // Messages in the system's boxes; false keeps them on standard error (hosts nobody can click in).
    bool messageBoxes = true;
    // The tooltip of a dialog control by its id, from the program's string table (a host that
    // shows tooltips itself asks here; the layers above hand it down).
    std::string (*toolTipText)(int id) = nullptr;
};

class CHostInstaller {
public:
    explicit CHostInstaller(const SHostOptions& options);
    ~CHostInstaller();
    CHostInstaller(const CHostInstaller&) = delete;
    CHostInstaller& operator=(const CHostInstaller&) = delete;

private:
    struct SParts;
    std::unique_ptr<SParts> m_parts;
};
