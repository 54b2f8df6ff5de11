// Window units against pixels. The system's window calls, sizes and mouse events count in window
// units; the program lays out and draws in pixels. On X11 and Windows the two are the same; a
// Wayland compositor at scale 2 gives a window of 640 x 360 units 1280 x 720 pixels (1.5: 960 x
// 540), and the host converts at its edge so that everything above it sees pixels only.
#pragma once

#include "engine/math/Rect.h"

struct SPixelRatio {
    double x = 1.0, y = 1.0;
    bool IsOne() const { return x == 1.0 && y == 1.0; }
};

// The ratio of a window from its size in both units; 1 where either is still empty.
SPixelRatio PixelRatioOf(int unitsWidth, int unitsHeight, int pixelsWidth, int pixelsHeight);
// The pixel under the middle of a window unit (a mouse position).
CPoint PixelsOf(CPoint units, SPixelRatio ratio);
// A rectangle's edges in pixels and back; a rectangle keeps its place through both.
RECT PixelsOf(const RECT& units, SPixelRatio ratio);
RECT UnitsOf(const RECT& pixels, SPixelRatio ratio);
// A length in pixels as window units, at least 1.
int UnitsOf(long pixels, double ratio);
