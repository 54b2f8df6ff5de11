// SDL's top-level windows of each kind and their pictures: the desktop background, full-screen
// saver windows, an ordinary window fitted in the work area, the window icon, the cursor.
#pragma once

#include <string>

#include "engine/math/Rect.h"

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
