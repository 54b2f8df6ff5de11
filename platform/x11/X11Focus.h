// Raising a window of ours and giving it the keyboard on X11, for every program of ours that
// opens one (the saver's windows, the web support window).
#pragma once

#include <X11/Xlib.h>

// Asks as a pager asks (source 2), which focus-stealing prevention lets through, and sets the
// focus itself where no window manager answers.
void ActivateX11Window(Display* display, Window window);
