// The SDL2 host: windows with one OpenGL context, events into messages, message boxes, signals.
#pragma once

#include <memory>

class IWindowHost;

struct SSdlHostOptions {
    // -1: vsync where offered, else 60 per second; 0: neither vsync nor pacing; N: N per second.
    int fps = -1;
};

// Installs the host as the window host, the SDL message boxes and the SIGTERM handling; removes
// them again when it goes.
class CSdlHostInstaller {
public:
    explicit CSdlHostInstaller(const SSdlHostOptions& options);
    ~CSdlHostInstaller();

private:
    std::unique_ptr<IWindowHost> m_host;
};

// SIGTERM or SIGINT arrived and the loop has not yet turned it into a close.
bool TermSignalPending();
