// Orbs on the screen: their outlines, whether one may be a point, and those that nearer orbs hide whole.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// One orb on the screen, in pixels of the frame (x from the left, y from the bottom).
struct SScreenDisc {
    double box[4] = {};    // bounds of its outline, with room for rounding: left, bottom, right, top
    double centre[2] = {}; // the outline's centre (the middle of the box)
    double inner = 0.0;    // radius of a circle about the centre whose every pixel it draws; 0: none
    double outer = HUGE_VAL; // radius of a circle about the centre outside which it draws nothing
    double key = 0.0;      // the order of the depth test: the nearer orb has the smaller key
};

// Reused buffers of FindHiddenDiscs.
struct SOcclusionScratch {
    std::vector<uint32_t> byKey;
    std::vector<double> cover;  // per tile: the smallest key of an orb drawing all of it
};

// Square tiles of this many pixels: an orb must draw a tile whole to hide what lies behind it.
constexpr int kOcclusionTile = 4;

// hidden[i] = 1 for every disc whose box lies off the frame, or in tiles that orbs nearer by more
// than margin draw whole; such an orb changes no pixel. O(n log n + tiles the boxes touch).
void FindHiddenDiscs(const std::vector<SScreenDisc>& discs, int width, int height, double margin,
                     std::vector<uint8_t>& hidden, SOcclusionScratch& scratch);

// The disc of an orb with its centre at eye (eye coordinates: the camera looks along -z) under the
// projection proj (row-major) in a frame of width x height pixels; key left alone. False where the
// orb reaches the eye or spreads near a quarter turn: it is then drawn and covers nothing.
bool OrbDisc(const double eye[3], double radius, const double proj[16], int width, int height, SScreenDisc& out);

// Whether the orb may be drawn as one point: the square around its outline (as the orb shader
// works it out) lies inside the frame with room to spare, and is no larger than largest pixels.
bool FitsAsPoint(const double eye[3], double radius, const double proj[16], int width, int height, double largest);
