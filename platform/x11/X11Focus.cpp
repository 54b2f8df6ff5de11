// The activation request of the window-manager conventions, and the focus without a manager.
#include "platform/x11/X11Focus.h"

void ActivateX11Window(Display* d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XRaiseWindow(d, w);
    // Without a window manager nobody answers that request; with one, this only agrees with it.
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) XSetInputFocus(d, w, RevertToParent, CurrentTime);
    XFlush(d);
}
