// SDL's top-level windows of each kind and their pictures: the desktop background, full-screen
// saver windows, an ordinary window fitted in the work area, the window icon, the cursor.
#pragma once

#include <string>

#include "engine/math/Rect.h"
#include "platform/PixelRatio.h"

struct SDL_Cursor;
struct SDL_Window;

// The desktop background over rect: below every other window, on every workspace, never focused.
SDL_Window* CreateDesktopWindow(const RECT& rect, bool shown);
// A borderless window over rect that says it is full screen before it is mapped; skipTaskbar for
// a tool window.
SDL_Window* CreateFullScreenWindow(const RECT& rect, bool skipTaskbar, bool shown);
// The window with its frame inside the part of its monitor that panels leave free (the work area
// the window manager gives): a frame asked for at the monitor's size would lose its bottom under
// the title bar. False while the window has no frame yet (or no window manager gives one).
bool FitInWorkArea(SDL_Window* window);
// The program's icon (WindowIconImage) on the window; a missing picture leaves the desktop's.
void ApplyWindowIcon(SDL_Window* window);
// A colour cursor from a picture, its hot spot in the middle (the sight), scaled with the
// desktop; null when the picture cannot be read.
SDL_Cursor* CreateCursorFromPicture(const std::string& image);
// SDL draws on a Wayland compositor itself (not through XWayland).
bool OnWayland();
// A window's pixels per window unit: the compositor's scale of the output it is on (fractional
// where the compositor offers it), 1 on X11.
SPixelRatio PixelRatioOf(SDL_Window* window);
// The largest scale among the displays: the one SDL gives a new window before it knows its output.
double DisplaysPixelRatio();
// A display's rectangle in pixels: its bounds in units times its own scale.
RECT DisplayPixelRect(int display);
// The scale for sizes in pixels natively on Wayland: the window's ratio (without a window the
// displays').
float CompositorScale(SDL_Window* window);
// A rectangle in pixels as window units for a new window: by the scale of the display it starts
// on (the displays' largest where none holds its corner); unchanged on X11.
RECT WindowUnitsOf(const RECT& pixels);
