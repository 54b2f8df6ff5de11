// X11 requests SDL does not make: the input hint, a window's end, the screen's power state, the
// desktop's scale, display names.
#pragma once

#include <string>

#include <X11/Xlib.h>

// The display as the user named it ($DISPLAY in quotes), for messages.
std::string DisplayName();
// A window that no click or window manager can give the keyboard focus.
void RefuseX11Focus(Display* display, Window window);
// Before a window that someone else has destroyed already is destroyed on our side: SDL hides a
// window first and waits for the server's UnmapNotify, which never comes for a window that no
// longer exists (it asks whether the window is mapped and reads an answer that failed). One is
// queued for it.
void ExpectDestroyedX11Window(Display* display, Window window);
// The server's display power management has the screen off (standby, suspend or off).
bool X11ScreenOff(Display* display);
// The desktop's scale for sizes in pixels: Xft.dpi / 96 from the server's resources (1 when unset).
// Without a display a connection of its own is used when connect allows (a session whose windows
// are not X11 windows opens none).
float X11DisplayScale(Display* display, bool connect = true);
