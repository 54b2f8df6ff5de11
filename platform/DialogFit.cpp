// Dialog fitting: the smaller of the two room ratios, bounded by legibility.
#include "platform/DialogFit.h"

#include <algorithm>

SDialogFit FitDialog(float width, float height, float roomWidth, float roomHeight, float minZoom)
{
    SDialogFit fit;
    if (width <= 0.0f || height <= 0.0f || roomWidth <= 0.0f || roomHeight <= 0.0f) {
        fit.width = width;
        fit.height = height;
        return fit;
    }
    const float room = std::min({1.0f, roomWidth / width, roomHeight / height});
    fit.zoom = std::max(room, std::min(1.0f, minZoom));
    fit.width = std::min(width * fit.zoom, roomWidth);
    fit.height = std::min(height * fit.zoom, roomHeight);
    // Half a pixel of rounding is no reason to scroll.
    fit.scroll = width * fit.zoom > roomWidth + 0.5f || height * fit.zoom > roomHeight + 0.5f;
    return fit;
}
