// The dialog host on SDL: modal loops drawn with Dear ImGui over the window that owns them.
#pragma once

#include <memory>

class CWnd;
class IDialogHost;
struct SDL_Window;

// The SDL window of one of our own windows; null for none, or for another program's window.
SDL_Window* SdlWindowOf(CWnd* wnd);

// The host of drawn dialogs; with messageBoxes it also shows the message boxes, over the window
// they belong to, while it lives (it puts back the handler it found when it goes).
std::unique_ptr<IDialogHost> CreateSdlDialogHost(bool messageBoxes);
