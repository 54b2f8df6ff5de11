// Orbs hidden by nearer ones: only those whose every tile a nearer orb draws whole are left out.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/core/ScreenOcclusion.h"

namespace {
// A disc of radius r pixels at (x, y) with the given key, its box and circles as OrbDisc makes them.
SScreenDisc Disc(double x, double y, double r, double key)
{
    SScreenDisc d;
    d.box[0] = x - r - 3;
    d.box[1] = y - r - 3;
    d.box[2] = x + r + 3;
    d.box[3] = y + r + 3;
    d.centre[0] = x;
    d.centre[1] = y;
    d.inner = r - 2;
    d.outer = r + 3;
    d.key = key;
    return d;
}

std::vector<uint8_t> Hidden(const std::vector<SScreenDisc>& discs, double margin = 0.01)
{
    std::vector<uint8_t> hidden;
    SOcclusionScratch scratch;
    FindHiddenDiscs(discs, 320, 200, margin, hidden, scratch);
    return hidden;
}
}

TEST(ScreenOcclusion, OnlyOrbsWhollyBehindNearerOnesAreLeftOut)
{
    // Listed far first: the order of the list does not matter, the keys do.
    const std::vector<SScreenDisc> discs = {
        Disc(100, 100, 5, 50),   // behind the big disc's middle: hidden
        Disc(100, 100, 60, 10),  // the big near disc
        Disc(100, 155, 10, 50),  // beyond the inner circle's top: peeks out, drawn
        Disc(100, 100, 42, 50),  // its box's corners reach past the inner circle, its outline does not: hidden
        Disc(300, 100, 5, 50),   // beside it: drawn
        Disc(100, 100, 4, 5),    // nearer than the big disc: drawn
        Disc(-40, 100, 5, 1),    // off the frame: nothing to draw
        Disc(100, 100, 5, 10.005),  // behind it by less than the margin: drawn
    };
    EXPECT_EQ(Hidden(discs), (std::vector<uint8_t>{1, 0, 0, 1, 0, 0, 1, 0}));
    // A disc with no sound box or key is always drawn, and a hidden disc covers nothing.
    std::vector<SScreenDisc> more = {Disc(100, 100, 60, 10), Disc(100, 100, 50, 20), Disc(100, 100, 4, 30),
                                     Disc(250, 100, 30, 40), Disc(250, 100, 5, 50)};
    more[1].key = NAN;
    more[3].box[0] = NAN;
    EXPECT_EQ(Hidden(more), (std::vector<uint8_t>{0, 0, 1, 0, 0}));
    // Many small near discs that cover the frame between them hide a large far one.
    std::vector<SScreenDisc> wall;
    for (int y = 0; y <= 200; y += 8)
        for (int x = 0; x <= 320; x += 8) wall.push_back(Disc(x, y, 14, 5));
    wall.push_back(Disc(160, 100, 80, 100));
    EXPECT_EQ(Hidden(wall).back(), 1);
    // With three columns in four gone the wall has gaps: the far disc shows through them.
    std::vector<SScreenDisc> sparse;
    for (size_t i = 0; i + 1 < wall.size(); ++i)
        if (int(wall[i].centre[0]) % 32 == 0) sparse.push_back(wall[i]);
    sparse.push_back(wall.back());
    EXPECT_EQ(Hidden(sparse).back(), 0);
}

TEST(ScreenOcclusion, EveryPixelOfAHiddenDiscIsDrawnByANearerOne)
{
    // Crowds of discs at random: each pixel whose centre lies inside a disc left out must lie inside
    // a disc nearer by more than the margin that is drawn (or, if that one is hidden too, nearer still).
    std::mt19937 random(33);
    std::uniform_real_distribution<double> x(-20, 340), y(-20, 220), r(1, 40), key(0, 100);
    size_t left = 0;
    for (int round = 0; round < 8; ++round) {
        std::vector<SScreenDisc> discs;
        for (int i = 0; i < 300; ++i) discs.push_back(Disc(x(random), y(random), r(random), key(random)));
        const std::vector<uint8_t> hidden = Hidden(discs, 0.5);
        for (size_t i = 0; i < discs.size(); ++i) {
            if (!hidden[i]) continue;
            ++left;
            const SScreenDisc& d = discs[i];
            const double radius = d.outer - 3;
            for (int py = 0; py < 200; ++py)
                for (int px = 0; px < 320; ++px) {
                    const double dx = px + 0.5 - d.centre[0], dy = py + 0.5 - d.centre[1];
                    if (dx * dx + dy * dy > radius * radius) continue;
                    bool drawn = false;
                    for (const SScreenDisc& n : discs) {
                        const double nx = px + 0.5 - n.centre[0], ny = py + 0.5 - n.centre[1], nr = n.outer - 3;
                        if (n.key < d.key - 0.5 && nx * nx + ny * ny <= nr * nr) drawn = true;
                    }
                    ASSERT_TRUE(drawn) << "disc " << i << " shows at " << px << "," << py;
                }
        }
    }
    EXPECT_GT(left, 200u);  // the crowds do hide discs
}
