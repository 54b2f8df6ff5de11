// Spheres that cut into each other: for each sphere the first few that do, as a sweep along x meets them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/math/SFVec3f.h"

struct SCutSphere {
    SFVec3f centre;
    double radius = 0.0;
    double pixel = 0.0;  // a pair cuts only by more than the larger pixel of the two
};

// Candidates one sphere looks at. Spheres that do not overlap each other crowd a sphere's
// neighbourhood with a few hundred at most; only a heap of overlapping ones (a big bang at its
// start, a slab packed with orbs) reaches this, and there a sphere keeps the cutters it met first:
// with more than a few cutters its picture shows a jumble either way.
constexpr int kCutCandidateBudget = 512;

// Reused buffers of FindSphereCuts: a frame allocates nothing once warm.
struct SSphereCutScratch {
    struct SSlot {
        SCutSphere sphere;
        int64_t cell[3];
        int32_t level, index, rank;
    };
    std::vector<size_t> byX;
    std::vector<int32_t> rank, level, table, cellEnd, best;
    std::vector<SSlot> slots;
    std::vector<double> levelReach;
    std::vector<int32_t> levelOf;
};

// For sphere i, cutters[i * limit ...] gets the indices of up to limit spheres that cut into it
// (centres closer than the radii together less the larger pixel), the ones first in x order
// first, -1 after the last. Spheres with a non-finite centre or radius, or a negative radius, cut
// nothing. O(n log n) for any input: the pairs are found in a grid per size class of sphere.
// Spheres with leftOut[i] set (orbs that are not drawn) may cut others but get no list of their own.
void FindSphereCuts(const std::vector<SCutSphere>& spheres, int limit, std::vector<int32_t>& cutters,
                    SSphereCutScratch& scratch, const std::vector<uint8_t>* leftOut = nullptr);
