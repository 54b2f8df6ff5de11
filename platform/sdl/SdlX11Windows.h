// The X11 side of SDL's windows: their X ids and connection, handed to the Xlib work of
// platform/x11/. Off X11 each is a no-op or says so.
#pragma once

struct SDL_Window;

// A window that no click or window manager can give the keyboard focus.
void RefuseFocus(SDL_Window* window);
// Raises a window that has just been shown and gives it the keyboard focus, with or without a
// window manager.
void ActivateWindow(SDL_Window* window);
// The X window id of an SDL window and the descriptor of SDL's connection; 0 and -1 off X11.
unsigned long X11WindowId(SDL_Window* window);
int X11ConnectionFd(SDL_Window* window);
// Before SDL destroys a window that someone else has destroyed already (see
// ExpectDestroyedX11Window).
void X11ExpectDestroyedWindow(SDL_Window* window);
// Whether SDL's windows are X11 windows: its video driver once started, else what it will choose
// (X11 where DISPLAY is set and SDL_VIDEODRIVER, or the host's choice, names no other driver
// first). Off X11 the program opens no X connection of its own.
bool SdlOnX11();
// The desktop's scale for sizes in pixels: NIMBULA_SCALE when given, else natively on Wayland
// CompositorScale, else X11DisplayScale; kept within 1..4. window may be null.
float DisplayScale(SDL_Window* window);
// The window-manager states of the desktop background and of a full-screen saver window.
void MarkDesktopWindow(SDL_Window* window);
void MarkFullScreenWindow(SDL_Window* window);
