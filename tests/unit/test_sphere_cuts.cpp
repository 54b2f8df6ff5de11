// Spheres cutting into each other: the grid finds what a plain sweep along x finds, in any crowd.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/core/SphereCuts.h"

namespace {
constexpr int kLimit = 3;

// The renderer's former sweep: every pair in x order, each sphere keeping the first limit cutters.
std::vector<int32_t> Sweep(const std::vector<SCutSphere>& s)
{
    std::vector<size_t> byX(s.size());
    for (size_t i = 0; i < s.size(); ++i) byX[i] = i;
    std::sort(byX.begin(), byX.end(), [&](size_t a, size_t b) { return s[a].centre.x < s[b].centre.x; });
    std::vector<int32_t> out(s.size() * kLimit, -1);
    std::vector<int> count(s.size(), 0);
    auto note = [&](size_t on, size_t by) {
        if (count[on] < kLimit) out[on * kLimit + size_t(count[on]++)] = int32_t(by);
    };
    for (size_t i = 0; i < byX.size(); ++i)
        for (size_t j = i + 1; j < byX.size(); ++j) {
            const SCutSphere &a = s[byX[i]], &b = s[byX[j]];
            const SFVec3f d = b.centre - a.centre;
            const double within = a.radius + b.radius - std::max(a.pixel, b.pixel);
            if (within > 0.0 && d.DotProduct(d) < within * within) {
                note(byX[i], byX[j]);
                note(byX[j], byX[i]);
            }
        }
    return out;
}

std::vector<SCutSphere> Scatter(size_t n, double box, double rLow, double rHigh, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> at(-box, box), r(rLow, rHigh), pixel(0.0, 0.5);
    std::vector<SCutSphere> s(n);
    for (SCutSphere& c : s) c = {{at(rng), at(rng), at(rng)}, r(rng), pixel(rng)};
    return s;
}

std::vector<int32_t> Grid(const std::vector<SCutSphere>& s)
{
    std::vector<int32_t> out;
    SSphereCutScratch scratch;
    FindSphereCuts(s, kLimit, out, scratch);
    return out;
}
}

TEST(SphereCuts, SameCuttersAsTheSweepInEveryCrowd)
{
    // Sparse equal orbs, a dense crowd with many cutters each (which ones are kept counts), radii
    // over five size classes, one large sphere among small ones, and a thin slab sharing x.
    std::vector<std::vector<SCutSphere>> cases = {Scatter(800, 300, 15, 15, 1), Scatter(600, 100, 15, 15, 2),
                                                  Scatter(1200, 200, 0.5, 20, 3)};
    std::vector<SCutSphere> mixed = Scatter(1000, 100, 1, 2, 4);
    mixed.push_back({{0, 0, 0}, 80.0, 0.1});
    cases.push_back(mixed);
    std::vector<SCutSphere> slab = Scatter(1000, 200, 3, 3, 5);
    for (SCutSphere& c : slab) c.centre.x = 0.25 * c.centre.x / 200;
    cases.push_back(slab);
    for (size_t k = 0; k < cases.size(); ++k) {
        const std::vector<int32_t> want = Sweep(cases[k]), got = Grid(cases[k]);
        EXPECT_EQ(got, want) << "case " << k;
        EXPECT_GT(std::count_if(want.begin(), want.end(), [](int32_t v) { return v >= 0; }), 0) << "case " << k;
        // Spheres left out (hidden orbs) still cut the others, and get no list of their own.
        std::vector<uint8_t> leftOut(cases[k].size());
        for (size_t i = 0; i < leftOut.size(); ++i) leftOut[i] = i % 3 == 1;
        std::vector<int32_t> some, expected = want;
        for (size_t i = 0; i < leftOut.size(); ++i)
            if (leftOut[i]) std::fill_n(expected.begin() + long(i * kLimit), kLimit, -1);
        SSphereCutScratch scratch;
        FindSphereCuts(cases[k], kLimit, some, scratch, &leftOut);
        EXPECT_EQ(some, expected) << "case " << k;
    }
    // Buffers reused from a larger call give the same answer.
    SSphereCutScratch scratch;
    std::vector<int32_t> out;
    FindSphereCuts(cases[1], kLimit, out, scratch);
    FindSphereCuts(cases[0], kLimit, out, scratch);
    EXPECT_EQ(out, Sweep(cases[0]));
}

TEST(SphereCuts, PixelAndBrokenSpheres)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
    // Overlapping by 1: cuts while both pixels are below 1, not once one is 1.
    std::vector<SCutSphere> s = {{{0, 0, 0}, 10, 0.5}, {{19, 0, 0}, 10, 0.9}};
    EXPECT_EQ(Grid(s), (std::vector<int32_t>{1, -1, -1, 0, -1, -1}));
    s[1].pixel = 1.0;
    EXPECT_EQ(Grid(s), std::vector<int32_t>(6, -1));
    // Non-finite centres or radii and negative radii take no part; the sound pair still cuts.
    s = {{{0, 0, 0}, 10, 0}, {{nan, 0, 0}, 10, 0}, {{1, 0, 0}, inf, 0}, {{2, 0, 0}, -5, 0},
         {{3, inf, 0}, 10, 0}, {{5, 0, 0}, 10, 0}};
    const std::vector<int32_t> got = Grid(s);
    EXPECT_EQ(std::vector<int32_t>(got.begin(), got.begin() + 3), (std::vector<int32_t>{5, -1, -1}));
    EXPECT_EQ(std::vector<int32_t>(got.begin() + 15, got.end()), (std::vector<int32_t>{0, -1, -1}));
    for (size_t i = 3; i < 15; ++i) EXPECT_EQ(got[i], -1) << i;
    // Far beyond any cell range: clamped cells still find the pair, and nothing overflows.
    s = {{{1e200, -1e200, 0}, 1e140, 0}, {{1e200, -1e200, 1e139}, 1e140, 0}, {{0, 0, 0}, 1e-300, 0}};
    EXPECT_EQ(Grid(s), (std::vector<int32_t>{1, -1, -1, 0, -1, -1, -1, -1, -1}));
}

TEST(SphereCuts, HeapEndsWithCutters)
{
    // A big bang's first frame: every sphere at almost one point. Each keeps cutters among those
    // it met within its budget (a sweep would test all 200 million pairs).
    std::vector<SCutSphere> s = Scatter(20000, 1e-3, 15, 15, 6);
    const std::vector<int32_t> got = Grid(s);
    size_t full = 0;
    for (size_t i = 0; i < s.size(); ++i) full += got[i * kLimit + kLimit - 1] >= 0;
    EXPECT_GT(full, s.size() * 9 / 10);
}
