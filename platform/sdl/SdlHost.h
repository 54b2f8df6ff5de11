// The SDL2 host: windows with one OpenGL context, events into messages, message boxes, signals.
#pragma once

#include <memory>

class CWnd;
class IWindowHost;

struct SSdlHostOptions {
    // -1: vsync where offered, else 60 per second; 0: neither vsync nor pacing; N: N per second.
    int pace = -1;
    // A frames-per-second readout in a corner of every universe window (XScreenSaver's -fps).
    bool showFps = false;
    // Messages in SDL's boxes; false keeps them on standard error (hosts nobody can click in).
    bool messageBoxes = true;
};

// Installs the host as the window host, the SDL message boxes and the handling of SIGTERM, SIGINT
// and SIGHUP; removes them again when it goes.
class CSdlHostInstaller {
public:
    explicit CSdlHostInstaller(const SSdlHostOptions& options);
    ~CSdlHostInstaller();

private:
    std::unique_ptr<IWindowHost> m_host;
};

// True when the X window that wnd draws into was destroyed by someone else (the window object
// goes with the host's next look at its events); a modal loop over it ends then.
bool SdlWindowGone(CWnd* wnd);

// Called while the shared GL context is still current, just before it goes with the last window,
// so that others drawing with it (dialogs, the toolbar) can free what they made.
void AddGlContextLossHandler(void (*handler)());
void RemoveGlContextLossHandler(void (*handler)());
