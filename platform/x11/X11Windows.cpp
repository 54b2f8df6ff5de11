// X11 requests SDL does not make: the input hint, a window's end, the screen's power state, the
// desktop's scale, display names.
#include "platform/x11/X11Windows.h"

#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>

#include <cstdlib>
#include <cstring>
#include <vector>

std::string DisplayName()
{
    const char* name = std::getenv("DISPLAY");
    return name && *name ? std::string("\"") + name + "\"" : std::string("(DISPLAY is not set)");
}

// The input hint off, and no WM_TAKE_FOCUS: SDL answers that one by taking the focus itself.
void RefuseX11Focus(Display* d, Window w)
{
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

void ExpectDestroyedX11Window(Display* d, Window w)
{
    XEvent ev{};
    ev.xunmap.type = UnmapNotify;
    ev.xunmap.display = d;
    ev.xunmap.event = w;
    ev.xunmap.window = w;
    XPutBackEvent(d, &ev);
}

bool X11ScreenOff(Display* display)
{
    int event = 0, error = 0;
    if (!display || !DPMSQueryExtension(display, &event, &error)) return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    return DPMSInfo(display, &level, &enabled) && enabled && level != DPMSModeOn;
}

float X11DisplayScale(Display* display, bool connect)
{
    float scale = 1.0f;
    // Without a window of ours yet, a connection of its own reads the same resources.
    Display* own = display || !connect ? nullptr : XOpenDisplay(nullptr);
    if (!display) display = own;
    // The same setting desktops give their own programs: "Xft.dpi: 192" doubles every size.
    if (const char* resources = display ? XResourceManagerString(display) : nullptr) {
        const char* at = std::strstr(resources, "Xft.dpi:");
        if (at) scale = std::strtof(at + 8, nullptr) / 96.0f;
    }
    if (own) XCloseDisplay(own);
    return scale;
}
