// The monitors as RandR lays them out.
#pragma once

#include <vector>

#include <X11/Xlib.h>

#include "engine/math/Rect.h"

// RandR's monitors (1.5 and later), the primary one first: what desktops lay out, monitors split
// or joined by xrandr --setmonitor too. Empty when the server has no such RandR.
std::vector<RECT> X11Monitors(Display* display);
