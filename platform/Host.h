// The host layer the program runs on: windows, OpenGL, dialogs, message boxes and the end of the
// program asked from outside. One implementation per system (platform/sdl/ on Linux,
// platform/win32/ on Windows), put together by that system's composition root
// (app/linux/CompositionRoot.cpp, app/windows/CompositionRoot.cpp), which main() makes for the
// program's life.
//
// Every slot the layers above call through, and who fills it. Each root fills a slot after those
// it depends on and empties them in the reverse order; nothing else installs a host or a painter
// (tests/CMakeLists.txt checks it).
//
// | slot (setter, header)                        | Linux                                   | Windows                               |
// |----------------------------------------------|-----------------------------------------|---------------------------------------|
// | window host (SetWindowHost, Wnd.h)           | CreateLayerShellHost for /b in a        | CreateWin32Host                       |
// |                                              | Wayland session with the layer shell,   |                                       |
// |                                              | else CreateSdlHost                      |                                       |
// | OpenGL renderer (SetSceneRenderer, engine)   | the window host, with its first context | the window host, at its first context |
// | GL context's end (AddGlContextLossHandler)   | the dialog host and the toolbar painter | (none: nothing else draws with GL)    |
// |                                              | register themselves, for their objects  |                                       |
// | message boxes (SetMessageBoxHandler)         | InstallSdlMessageBoxes; while a dialog  | InstallWin32MessageBoxes              |
// |                                              | host lives, its own boxes over them     |                                       |
// | the end asked from outside                   | InstallTermSignals (SIGTERM, INT, HUP)  | SetConsoleCtrlHandler; WM_ENDSESSION  |
// | toolbar scale (SetToolBarScale, frame/)      | the display's scale                     | (the system toolbar's own)            |
// | dialog painter (SetDialogPainter, sdl/)      | ui/'s DialogPainter (Dear ImGui)        | (the system draws its dialogs)        |
// | drawn dialogs (SetDialogHost, Dialog.h)      | CreateSdlDialogHost                     | CreateNativeDialogHost                |
// | toolbar painter (SetToolBarPainter, frame/)  | ui/'s CToolBarPainterInstaller          | (none: a system toolbar)              |
// | system toolbar (SetNativeToolBarMaker)       | (none: the toolbar is drawn)            | InstallWin32ToolBar                   |
// | file and colour dialogs (SetFileDialog-,     | (none: the program's own dialogs, drawn | InstallWin32CommonDialogs (the        |
// |   SetColorDialogHandler)                     |   by the drawn-dialog host)             |   system's common dialogs)            |
// | system dialogs (SetDialogHost(..., System))  | CreateSdlBrowserHost (nimbula-web)      | CreateWin32BrowserHost                |
//
// Filled by the program itself, not by a root: the universe application (SetAppServices, by
// CSaverApp), the window icon (SetWindowIconImage, by CSaverApp) and the desktop's browser
// (SetDesktopBrowserHandler, left at the system's default; tests replace it).
#pragma once

#include <string>

// What main() hands to the root of either system.
struct SHostOptions {
    // -1: vsync where offered, else 60 per second; 0: neither vsync nor pacing; N: N per second.
    int pace = -1;
    // A frames-per-second readout in a corner of every universe window (XScreenSaver's -fps).
    bool showFps = false;
    // Messages in the system's boxes; false keeps them on standard error (hosts nobody can click in).
    bool messageBoxes = true;
    // The tip of a dialog's control, from the program's string table; empty: the control has none
    // (a host that shows tooltips itself asks here; the layers above hand it down).
    std::string (*toolTipText)(int templateId, int controlId) = nullptr;
    // What the run shows, where a host treats it apart: in a Wayland session the screen saver runs
    // natively (one full-screen window per output) and the desktop background lies in the
    // compositor's background layer, below every window.
    enum class ERun { Other, ScreenSaver, Background };
    ERun run = ERun::Other;
};
