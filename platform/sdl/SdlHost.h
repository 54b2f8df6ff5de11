// The SDL2 host: windows with one OpenGL context, events into messages, message boxes, signals.
#pragma once

#include <memory>

class CWnd;
class IWindowHost;
struct SHostOptions;

std::unique_ptr<IWindowHost> CreateSdlHost(const SHostOptions& options);

// The SDL host is the window host (another host's windows are no SDL windows).
bool SdlHostActive();

// True when the X window that wnd draws into was destroyed by someone else (the window object
// goes with the host's next look at its events); a modal loop over it ends then.
bool SdlWindowGone(CWnd* wnd);

// Called while the shared GL context is still current, just before it goes with the last window,
// so that others drawing with it (dialogs, the toolbar) can free what they made.
void AddGlContextLossHandler(void (*handler)());
void RemoveGlContextLossHandler(void (*handler)());

// Told the display's scale once the host has a display, and natively on Wayland a window's when
// it comes to an output of another scale; the root hands it to the toolbar.
void SetDisplayScaleListener(void (*listener)(float scale));
