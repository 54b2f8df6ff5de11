// Orbs on the screen: hidden orbs (nearest first, each tested against the tiles nearer orbs cover
// whole, then covering the tiles its own inner circle holds), outlines and points.
#include "engine/core/ScreenOcclusion.h"

#include <algorithm>
#include <cmath>

void FindHiddenDiscs(const std::vector<SScreenDisc>& discs, int width, int height, double margin,
                     std::vector<uint8_t>& hidden, SOcclusionScratch& s)
{
    hidden.assign(discs.size(), 0);
    if (width <= 0 || height <= 0) return;
    const int tilesX = (width + kOcclusionTile - 1) / kOcclusionTile, tilesY = (height + kOcclusionTile - 1) / kOcclusionTile;
    s.cover.assign(size_t(tilesX) * size_t(tilesY), HUGE_VAL);
    s.byKey.clear();
    for (size_t i = 0; i < discs.size(); ++i)
        if (std::isfinite(discs[i].key)) s.byKey.push_back(uint32_t(i));
    std::sort(s.byKey.begin(), s.byKey.end(), [&](uint32_t a, uint32_t b) { return discs[a].key < discs[b].key; });

    for (uint32_t i : s.byKey) {
        const SScreenDisc& d = discs[i];
        // Not a number in the box: its orb is drawn, whatever the rest says.
        if (!(d.box[0] <= d.box[2] && d.box[1] <= d.box[3])) continue;
        const double left = std::max(d.box[0], 0.0), bottom = std::max(d.box[1], 0.0);
        const double right = std::min(d.box[2], double(width)), top = std::min(d.box[3], double(height));
        if (left >= right || bottom >= top) {
            hidden[i] = 1;  // wholly off the frame
            continue;
        }
        const int y0 = int(bottom) / kOcclusionTile, y1 = std::min(tilesY - 1, int(top) / kOcclusionTile);
        const double before = d.key - margin;
        // The tiles the outline may touch: those in its box that reach into its outer circle (the
        // box's corners lie outside the outline, and between round orbs that is where gaps are).
        const double outer = std::isnan(d.outer) ? HUGE_VAL : d.outer;
        bool covered = true;
        for (int y = y0; y <= y1 && covered; ++y) {
            const double near = std::max({0.0, y * double(kOcclusionTile) - d.centre[1], d.centre[1] - (y + 1) * double(kOcclusionTile)});
            if (near > outer) continue;
            const double half = std::sqrt(outer * outer - near * near);
            const double from = std::max(left, d.centre[0] - half), to = std::min(right, d.centre[0] + half);
            if (!(from <= to)) continue;
            const int x0 = int(from) / kOcclusionTile, x1 = std::min(tilesX - 1, int(to) / kOcclusionTile);
            for (int x = x0; x <= x1; ++x)
                if (!(s.cover[size_t(y) * size_t(tilesX) + size_t(x)] < before)) {
                    covered = false;
                    break;
                }
        }
        if (covered) {
            hidden[i] = 1;
            continue;
        }
        if (!(d.inner > 0.0)) continue;
        // The tiles wholly inside the inner circle, row by row (a row's far edge from the centre
        // bounds its chord); the first to cover a tile is the nearest.
        const double r = d.inner;
        auto tile = [](double v, int tiles) { return std::clamp(v / kOcclusionTile, -1.0, double(tiles)); };
        const int cy0 = std::max(0, int(std::ceil(tile(d.centre[1] - r, tilesY))));
        const int cy1 = int(std::floor(tile(d.centre[1] + r, tilesY)));
        for (int y = cy0; y < cy1; ++y) {
            const double far = std::max(std::abs(y * double(kOcclusionTile) - d.centre[1]),
                                        std::abs((y + 1) * double(kOcclusionTile) - d.centre[1]));
            if (!(far < r)) continue;
            const double half = std::sqrt(r * r - far * far);
            const int cx0 = std::max(0, int(std::ceil(tile(d.centre[0] - half, tilesX))));
            const int cx1 = int(std::floor(tile(d.centre[0] + half, tilesX)));
            for (int x = cx0; x < cx1; ++x) {
                double& c = s.cover[size_t(y) * size_t(tilesX) + size_t(x)];
                if (c == HUGE_VAL) c = d.key;
            }
        }
    }
}

bool OrbDisc(const double eye[3], double radius, const double proj[16], int width, int height, SScreenDisc& out)
{
    // Pixels of room for the float rounding of the drawing and its one-pixel margin.
    constexpr double kRoom = 3.0, kInnerRoom = 2.0;
    const double depth = -eye[2];
    if (!(depth > radius * 1.01) || !(radius > 0.0)) return false;
    const double focal[2] = {proj[0], proj[5]}, extent[2] = {double(width), double(height)};
    for (int axis = 0; axis < 2; ++axis) {
        // The outline's extent on this axis: the tangents from the eye in the plane of the axis
        // and the line of sight, as the orb shader bounds it.
        const double centre = eye[axis] / depth;
        const double spread = radius / std::sqrt(eye[axis] * eye[axis] + depth * depth - radius * radius);
        if (!(std::abs(centre * spread) <= 0.5)) return false;
        const double low = focal[axis] * (centre - spread) / (1.0 + centre * spread);
        const double high = focal[axis] * (centre + spread) / (1.0 - centre * spread);
        const double lowPixel = (low + 1.0) * 0.5 * extent[axis], highPixel = (high + 1.0) * 0.5 * extent[axis];
        out.box[axis] = lowPixel - kRoom;
        out.box[axis + 2] = highPixel + kRoom;
        out.centre[axis] = 0.5 * (lowPixel + highPixel);
    }
    // The outline is an ellipse about the box's centre whose half minor axis is at least the
    // focal length times the tangent of the orb's half angle: a circle of that radius lies inside.
    const double d2 = eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2];
    const double focalPixels = std::min(focal[0] * extent[0], focal[1] * extent[1]) * 0.5;
    const double minor = focalPixels * radius / std::sqrt(d2 - radius * radius);
    out.inner = std::max(0.0, minor - kInnerRoom);
    if (!std::isfinite(out.inner)) out.inner = 0.0;
    // The box's half sides wx, wy and the ellipse's half axes a >= b obey wx^2 + wy^2 = a^2 + b^2
    // at any tilt, so with b at least minor the whole outline lies within this circle.
    const double wx = 0.5 * (out.box[2] - out.box[0]) - kRoom, wy = 0.5 * (out.box[3] - out.box[1]) - kRoom;
    out.outer = std::sqrt(std::max(wx * wx + wy * wy - minor * minor, 0.0)) + kRoom;
    if (!std::isfinite(out.outer)) out.outer = HUGE_VAL;
    return true;
}

// Whether an orb may be drawn as a point: the square around its outline (as the vertex shader
// works it out) lies inside the frame with room to spare, since a point whose centre leaves the
// frame is dropped whole, and is no larger than the largest point the context draws.
bool FitsAsPoint(const double eye[3], double radius, const double proj[16], int width, int height, double largest)
{
    constexpr double kSlack = 4.0;  // pixels: float rounding in the shader and its one-pixel margin
    const double depth = -eye[2];
    if (depth <= radius * 1.01) return false;
    const double focal[2] = {proj[0], proj[5]}, extent[2] = {double(width), double(height)};
    double middle[2], size = 0.0;
    for (int axis = 0; axis < 2; ++axis) {
        const double centre = eye[axis] / depth;
        const double spread = radius / std::sqrt(eye[axis] * eye[axis] + depth * depth - radius * radius);
        // Near a quarter turn from the line of sight the outline's far tangent runs off to infinity.
        if (std::abs(centre * spread) > 0.5) return false;
        const double low = focal[axis] * (centre - spread) / (1.0 + centre * spread);
        const double high = focal[axis] * (centre + spread) / (1.0 - centre * spread);
        middle[axis] = (low + high + 2.0) * 0.25 * extent[axis];
        size = std::max(size, (high - low) * 0.5 * extent[axis]);
    }
    const double half = size * 0.5 + kSlack;
    return size + 2.0 * kSlack <= largest && middle[0] - half >= 0.0 && middle[0] + half <= extent[0] &&
           middle[1] - half >= 0.0 && middle[1] + half <= extent[1];
}
