// X11 requests SDL does not make: focus, the input hint, the screen's power state, display names.
#pragma once

#include <string>

#include <X11/Xlib.h>

struct SDL_Window;

// The display as the user named it ($DISPLAY in quotes), for messages.
std::string DisplayName();
// A window that no click or window manager can give the keyboard focus.
void RefuseFocus(SDL_Window* window);
// Raises a window that has just been shown and gives it the keyboard focus, with or without a
// window manager.
void ActivateWindow(SDL_Window* window);
// The X window id of an SDL window and the descriptor of SDL's connection; 0 and -1 off X11.
unsigned long X11WindowId(SDL_Window* window);
int X11ConnectionFd(SDL_Window* window);
// Before SDL destroys a window that someone else has destroyed already: SDL hides a window first
// and waits for the server's UnmapNotify, which never comes for a window that no longer exists
// (it asks whether the window is mapped and reads an answer that failed). One is queued for it.
void X11ExpectDestroyedWindow(SDL_Window* window);
// The server's display power management has the screen off (standby, suspend or off).
bool X11ScreenOff(Display* display);
// The desktop's scale for sizes in pixels: Xft.dpi / 96 from the server's resources (1 when unset),
// or NIMBULA_SCALE when given; kept within 1..4.
float DisplayScale(SDL_Window* window);
