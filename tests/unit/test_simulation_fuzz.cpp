// Any constants block a pasted string can carry: the simulation must neither crash nor hang.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "support/UniverseFixture.h"

namespace {
// Every f64 field of the block, by byte offset.
const size_t kDoubleOffsets[] = {0,   8,   16,  24,  32,  40,  48,  56,  64,  72,  80,  88,  96,  104, 112,
                                 120, 128, 136, 144, 152, 160, 168, 176, 184, 192, 200, 208, 216, 224, 240,
                                 248, 256, 264, 272, 280, 288, 296, 304, 312, 320, 328, 344};

double Special(std::mt19937& rng)
{
    const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min(),
                             0.0, -0.0, -1.0, 1.0, 1e10, -1e10, 2147483648.0, 1e-300, 0.999, 101.0};
    return values[rng() % (sizeof values / sizeof values[0])];
}

void FillBlock(CUniversalConstants& block, std::mt19937& rng)
{
    for (size_t i = 0; i < CUniversalConstants::kSize; ++i) block.Bytes()[i] = uint8_t(rng());
    for (size_t offset : kDoubleOffsets) {
        if (rng() % 3 == 0) continue;  // keep the random bytes
        const double v = (rng() % 2) ? Special(rng) : std::ldexp(double(rng()) / 4294967296.0 - 0.5, int(rng() % 80) - 20);
        std::memcpy(block.Bytes() + offset, &v, sizeof v);
    }
}

void ExpectSane()
{
    for (const COrb* orb : g_orbs) {
        ASSERT_TRUE(orb->m_position.IsFinite());
        ASSERT_TRUE(orb->m_pShape->m_position.IsFinite());
        ASSERT_TRUE(orb->m_pShape->m_view.IsFinite());
        ASSERT_TRUE(orb->m_pShape->m_up.IsFinite());
        ASSERT_TRUE(orb->m_pShape->m_side.IsFinite());
    }
}
}

TEST(SimulationFuzz, RandomConstantBlocksNeverBreakTheSimulation)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 200; ++round) {
        CUniverseSandbox sandbox;
        CUniversalConstants block;
        FillBlock(block, rng);
        const bool beforeBuild = round % 2 == 0;
        // Before the build the box is written afresh, as with saved defaults; after it, the pasted
        // block's box stands, as with a string pasted while the universe runs.
        if (beforeBuild) std::memcpy(sandbox.m_constants.Bytes(), block.Bytes(), CUniversalConstants::kSize);
        ASSERT_NE(sandbox.Build(1 + int(rng() % 40)), nullptr);
        if (!beforeBuild) std::memcpy(sandbox.m_constants.Bytes(), block.Bytes(), CUniversalConstants::kSize);
        for (int frame = 0; frame < 300; ++frame) CUniverseSandbox::Frame();
        SCOPED_TRACE(round);
        ExpectSane();
        if (beforeBuild) {
            EXPECT_EQ(int(g_orbs.size()), sandbox.m_constants.m_orbCount);
        }
    }
}

TEST(SimulationFuzz, TinyAndEmptyUniversesRun)
{
    for (int n : {0, 1, 2}) {
        CUniverseSandbox sandbox;
        sandbox.Build(n);
        for (int frame = 0; frame < 200; ++frame) CUniverseSandbox::Frame();
        EXPECT_EQ(int(g_orbs.size()), n);
        ExpectSane();
    }
}

TEST(SimulationFuzz, OrbsFarOutsideTheBoxComeBackOrStayFinite)
{
    CUniverseSandbox sandbox;
    sandbox.Build(0);
    COrb* far = CUniverseSandbox::PlaceOrb({1e12, -1e12, 1e15}, {1, 1, 1});
    COrb* huge = CUniverseSandbox::PlaceOrb({1e307, 1e307, 1e307}, {1e307, 1e307, 1e307});
    sandbox.m_constants.m_sphericalBoundary = 1;
    for (int frame = 0; frame < 100; ++frame) CUniverseSandbox::Frame();
    EXPECT_TRUE(far->m_position.IsFinite());
    EXPECT_TRUE(huge->m_position.IsFinite());
    sandbox.m_constants.m_sphericalBoundary = 0;
    sandbox.m_constants.m_gravity = 100;
    for (int frame = 0; frame < 100; ++frame) CUniverseSandbox::Frame();
    ExpectSane();
}
