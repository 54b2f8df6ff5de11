// The window manager's states of our windows (_NET_WM_STATE and the workspace), set before they
// are mapped.
#pragma once

#include <X11/Xlib.h>

// The desktop background: on every workspace, below every other window, in no task bar or pager.
void MarkX11DesktopWindow(Display* display, Window window);
// A full-screen saver window: above the others, in no task bar or pager.
void MarkX11FullScreenWindow(Display* display, Window window);
