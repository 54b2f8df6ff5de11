// X11 requests SDL does not make: focus, the input hint, the screen's power state, display names.
#include "platform/x11/X11Windows.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/x11/X11Focus.h"

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

std::string DisplayName()
{
    const char* name = std::getenv("DISPLAY");
    return name && *name ? std::string("\"") + name + "\"" : std::string("(DISPLAY is not set)");
}

// The input hint off, and no WM_TAKE_FOCUS: SDL answers that one by taking the focus itself.
void RefuseFocus(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (!X11Handles(window, &d, &w)) return;
    if (XWMHints* hints = XGetWMHints(d, w)) {
        hints->flags |= InputHint;
        hints->input = False;
        XSetWMHints(d, w, hints);
        XFree(hints);
    }
    Atom* protocols = nullptr;
    int count = 0;
    const Atom takeFocus = XInternAtom(d, "WM_TAKE_FOCUS", False);
    if (XGetWMProtocols(d, w, &protocols, &count)) {
        std::vector<Atom> kept;
        for (int i = 0; i < count; ++i)
            if (protocols[i] != takeFocus) kept.push_back(protocols[i]);
        XSetWMProtocols(d, w, kept.data(), int(kept.size()));
        XFree(protocols);
    }
    XFlush(d);
}

// A saver the user started must answer the keys at once.
void ActivateWindow(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    if (X11Handles(window, &d, &w)) ActivateX11Window(d, w);
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
    if (!window || !X11Handles(window, &d, &w)) return;
    XEvent ev{};
    ev.xunmap.type = UnmapNotify;
    ev.xunmap.display = d;
    ev.xunmap.event = w;
    ev.xunmap.window = w;
    XPutBackEvent(d, &ev);
}

int X11ConnectionFd(SDL_Window* window)
{
    Display* d = nullptr;
    Window w = 0;
    return window && X11Handles(window, &d, &w) ? ConnectionNumber(d) : -1;
}

bool X11ScreenOff(Display* display)
{
    int event = 0, error = 0;
    if (!display || !DPMSQueryExtension(display, &event, &error)) return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    return DPMSInfo(display, &level, &enabled) && enabled && level != DPMSModeOn;
}

float DisplayScale(SDL_Window* window)
{
    float scale = 1.0f;
    if (const char* given = std::getenv("NIMBULA_SCALE"); given && *given) {
        scale = std::strtof(given, nullptr);
    } else {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        Display* display = nullptr;
        if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
            display = info.info.x11.display;
        // Without a window of ours yet, a connection of its own reads the same resources.
        Display* own = display ? nullptr : XOpenDisplay(nullptr);
        if (!display) display = own;
        // The same setting desktops give their own programs: "Xft.dpi: 192" doubles every size.
        if (const char* resources = display ? XResourceManagerString(display) : nullptr) {
            const char* at = std::strstr(resources, "Xft.dpi:");
            if (at) scale = std::strtof(at + 8, nullptr) / 96.0f;
        }
        if (own) XCloseDisplay(own);
    }
    if (!(scale >= 1.0f)) scale = 1.0f;
    return scale > 4.0f ? 4.0f : scale;
}
