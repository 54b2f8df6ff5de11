// The dialog host on SDL: modal loops drawn with Dear ImGui over the window that owns them.
#pragma once

#include <memory>

class CWnd;
class IDialogHost;
struct SDL_Window;

// The SDL window of one of our own windows; null for none, or for another program's window.
SDL_Window* SdlWindowOf(CWnd* wnd);

// Installs the host for dialogs (and, when messageBoxes, for message boxes); removes it again
// when it goes.
class CSdlDialogHostInstaller {
public:
    explicit CSdlDialogHostInstaller(bool messageBoxes);
    ~CSdlDialogHostInstaller();

private:
    std::unique_ptr<IDialogHost> m_host;
};
