#include "platform/PixelRatio.h"

#include <algorithm>
#include <cmath>

namespace {
long Scaled(long v, double ratio) { return long(std::lround(double(v) * ratio)); }
}

SPixelRatio PixelRatioOf(int unitsWidth, int unitsHeight, int pixelsWidth, int pixelsHeight)
{
    SPixelRatio r;
    if (unitsWidth > 0 && pixelsWidth > 0) r.x = double(pixelsWidth) / unitsWidth;
    if (unitsHeight > 0 && pixelsHeight > 0) r.y = double(pixelsHeight) / unitsHeight;
    return r;
}

CPoint PixelsOf(CPoint units, SPixelRatio ratio)
{
    // A unit covers ratio pixels: the one in its middle, so that a click at scale 2 lands inside
    // a button however its edges fall.
    return CPoint(int(std::floor((units.x + 0.5) * ratio.x)), int(std::floor((units.y + 0.5) * ratio.y)));
}

RECT PixelsOf(const RECT& units, SPixelRatio ratio)
{
    return RECT{Scaled(units.left, ratio.x), Scaled(units.top, ratio.y), Scaled(units.right, ratio.x),
                Scaled(units.bottom, ratio.y)};
}

RECT UnitsOf(const RECT& pixels, SPixelRatio ratio)
{
    return RECT{Scaled(pixels.left, 1.0 / ratio.x), Scaled(pixels.top, 1.0 / ratio.y), Scaled(pixels.right, 1.0 / ratio.x),
                Scaled(pixels.bottom, 1.0 / ratio.y)};
}

int UnitsOf(long pixels, double ratio) { return int(std::max(1L, Scaled(pixels, 1.0 / ratio))); }
