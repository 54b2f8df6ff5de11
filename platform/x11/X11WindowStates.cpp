// The window manager's states of our windows (_NET_WM_STATE and the workspace).
#include "platform/x11/X11WindowStates.h"

#include <X11/Xatom.h>

#include <initializer_list>
#include <vector>

namespace {
// Sets the window's _NET_WM_STATE list (and, when desktop is given, its workspace).
void SetWindowStates(Display* d, Window w, std::initializer_list<const char*> names, const unsigned long* desktop)
{
    if (desktop)
        XChangeProperty(d, w, XInternAtom(d, "_NET_WM_DESKTOP", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(desktop), 1);
    std::vector<Atom> states;
    for (const char* name : names) states.push_back(XInternAtom(d, name, False));
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
    XFlush(d);
}
}

void MarkX11DesktopWindow(Display* d, Window w)
{
    const unsigned long all = 0xFFFFFFFFul;
    SetWindowStates(d, w,
                    {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                     "_NET_WM_STATE_SKIP_PAGER"},
                    &all);
}

void MarkX11FullScreenWindow(Display* d, Window w)
{
    SetWindowStates(d, w,
                    {"_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                     "_NET_WM_STATE_SKIP_PAGER"},
                    nullptr);
}
