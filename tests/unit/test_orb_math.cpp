// The inlined vector operations of the simulation give exactly the engine's results.
#include <gtest/gtest.h>

#include <random>

#include "engine/core/LocalCoordinateSystem.h"
#include "universe/OrbMath.h"

namespace {
SFVec3f RandomVec(std::mt19937& rng)
{
    std::uniform_real_distribution<double> d(-3.0, 3.0);
    return {d(rng), d(rng), d(rng)};
}

void ExpectSameBits(const SFVec3f& a, const SFVec3f& b)
{
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}
}

TEST(OrbMath, MatchesTheEngineBitForBit)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> angle(-7.0, 7.0);
    for (int i = 0; i < 2000; ++i) {
        const SFVec3f v = RandomVec(rng), axis = RandomVec(rng);
        const double a = angle(rng);
        ExpectSameBits(orbmath::Normalized(v), v.Normalized());
        SFVec3f turned = v;
        turned.RotateAroundAxis(axis, a);
        ExpectSameBits(orbmath::Rotate(v, axis, a), turned);
        ExpectSameBits(orbmath::RotationMatrixApply(axis, a, v), SFRotation(axis, a).Transform().TransformDirection(v));

        CLocalCoordinateSystem engine, inlined;
        engine.m_view = inlined.m_view = RandomVec(rng);
        engine.m_up = inlined.m_up = (i % 10 == 0) ? engine.m_view * 2.0 : RandomVec(rng);
        engine.m_side = inlined.m_side = RandomVec(rng);
        engine.Reorthagonalize();
        orbmath::Reorthagonalize(inlined);
        ExpectSameBits(inlined.m_view, engine.m_view);
        ExpectSameBits(inlined.m_up, engine.m_up);
        ExpectSameBits(inlined.m_side, engine.m_side);
    }
}
