// The X11 side of SDL's windows: their X ids and connection, handed to the Xlib work of
// platform/x11/.
#include "platform/sdl/SdlX11Windows.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/SdlWindows.h"
#include "platform/x11/X11Focus.h"
#include "platform/x11/X11WindowStates.h"
#include "platform/x11/X11Windows.h"

namespace {
bool X11Handles(SDL_Window* window, Display** display, Window* xid)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *display = info.info.x11.display;
    *xid = info.info.x11.window;
    return true;
}
}

void RefuseFocus(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (X11Handles(window, &d, &w)) RefuseX11Focus(d, w);
}

// A saver the user started must answer the keys at once.
void ActivateWindow(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (X11Handles(window, &d, &w)) ActivateX11Window(d, w);
    // A Wayland compositor is asked through SDL (xdg-activation); it gives the focus as it sees fit.
    else SDL_RaiseWindow(window);
}

unsigned long X11WindowId(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    return window && X11Handles(window, &d, &w) ? w : 0;
}

void X11ExpectDestroyedWindow(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (window && X11Handles(window, &d, &w)) ExpectDestroyedX11Window(d, w);
}

int X11ConnectionFd(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    return window && X11Handles(window, &d, &w) ? ConnectionNumber(d) : -1;
}

bool SdlOnX11()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        const char* driver = SDL_GetCurrentVideoDriver();
        return driver && std::strcmp(driver, "x11") == 0;
    }
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked && *asked && std::strncmp(asked, "x11", 3) != 0) return false;
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

float DisplayScale(SDL_Window* window)
{
    float scale = 1.0f;
    if (const char* given = std::getenv("NIMBULA_SCALE"); given && *given) {
        scale = std::strtof(given, nullptr);
    } else if (OnWayland()) {
        // Natively on Wayland the compositor says, for the output the window is on.
        scale = CompositorScale(window);
    } else {
        Display* d = nullptr;
        Window w = 0;
        if (!window || !X11Handles(window, &d, &w)) d = nullptr;
        scale = X11DisplayScale(d, SdlOnX11());
    }
    if (!(scale >= 1.0f)) scale = 1.0f;
    return std::min(scale, 4.0f);
}

void MarkDesktopWindow(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (!X11Handles(window, &d, &w)) return;
    MarkX11DesktopWindow(d, w);
    RefuseX11Focus(d, w);
}

void MarkFullScreenWindow(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (X11Handles(window, &d, &w)) MarkX11FullScreenWindow(d, w);
}
