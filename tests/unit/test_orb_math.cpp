// The inlined vector operations of the simulation give exactly the engine's results.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "engine/core/LocalCoordinateSystem.h"
#include "universe/OrbLanes.h"
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

namespace {
// Bits, so that the sign of zero counts too. Which NaN comes out of two NaN operands depends on
// the compiler's operand order even in scalar code, so any NaN matches any NaN.
void ExpectSameValueBits(double a, double b)
{
    if (std::isnan(a) && std::isnan(b)) return;
    EXPECT_EQ(std::bit_cast<uint64_t>(a), std::bit_cast<uint64_t>(b)) << a << " vs " << b;
}

void ExpectSameBitsExactly(const SFVec3f& a, const SFVec3f& b)
{
    ExpectSameValueBits(a.x, b.x);
    ExpectSameValueBits(a.y, b.y);
    ExpectSameValueBits(a.z, b.z);
}

// Random vectors with the awkward cases mixed in: zero, unit length, huge, tiny, NaN, infinite.
SFVec3f AwkwardVec(std::mt19937& rng)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    switch (rng() % 10) {
    case 0: return {0.0, 0.0, 0.0};
    case 1: return {0.0, -1.0, 0.0};
    case 2: return {1e200, -3e200, 1e199};
    case 3: return {1e-170, 0.0, -2e-170};
    case 4: return {nan, 1.0, 0.0};
    case 5: return {0.0, -inf, 2.0};
    default: return RandomVec(rng);
    }
}
}

TEST(OrbMath, TwoLanesGiveEachLaneTheScalarBits)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> angle(-7.0, 7.0);
    for (int i = 0; i < 4000; ++i) {
        const SFVec3f v[2] = {AwkwardVec(rng), AwkwardVec(rng)}, axis[2] = {AwkwardVec(rng), AwkwardVec(rng)};
        const double a[2] = {angle(rng), angle(rng)};
        const orbmath::SLaneVec lv = orbmath::LaneVec(v[0], v[1]), laxis = orbmath::LaneVec(axis[0], axis[1]);
        const orbmath::SLanes c = orbmath::Lanes(std::cos(a[0]), std::cos(a[1]));
        const orbmath::SLanes s = orbmath::Lanes(std::sin(a[0]), std::sin(a[1]));
        const orbmath::SLaneVec unit = orbmath::Normalized(lv);
        const orbmath::SLaneVec turned = orbmath::Rotate(lv, laxis, c, s);
        const orbmath::SLaneVec applied = orbmath::RotationMatrixApply(laxis, c, s, lv);
        ExpectSameBitsExactly(orbmath::Lane0(unit), orbmath::Normalized(v[0]));
        ExpectSameBitsExactly(orbmath::Lane1(unit), orbmath::Normalized(v[1]));
        ExpectSameBitsExactly(orbmath::Lane0(turned), orbmath::Rotate(v[0], axis[0], a[0]));
        ExpectSameBitsExactly(orbmath::Lane1(turned), orbmath::Rotate(v[1], axis[1], a[1]));
        ExpectSameBitsExactly(orbmath::Lane0(applied), orbmath::RotationMatrixApply(axis[0], a[0], v[0]));
        ExpectSameBitsExactly(orbmath::Lane1(applied), orbmath::RotationMatrixApply(axis[1], a[1], v[1]));
        EXPECT_EQ(orbmath::Lane0(orbmath::NonZero(lv)), v[0] != SFVec3f::kZero);
        EXPECT_EQ(orbmath::Lane1(orbmath::NonZero(lv)), v[1] != SFVec3f::kZero);

        // Two frames at once, including up along the view and the non-finite ones left alone.
        CLocalCoordinateSystem scalar[2], paired[2];
        for (int f = 0; f < 2; ++f) {
            scalar[f].m_view = paired[f].m_view = AwkwardVec(rng);
            scalar[f].m_up = paired[f].m_up = (rng() % 8 == 0) ? scalar[f].m_view * -3.0 : AwkwardVec(rng);
            scalar[f].m_side = paired[f].m_side = AwkwardVec(rng);
            orbmath::Reorthagonalize(scalar[f]);
        }
        orbmath::Reorthagonalize(paired[0], paired[1]);
        for (int f = 0; f < 2; ++f) {
            SCOPED_TRACE(f);
            ExpectSameBitsExactly(paired[f].m_view, scalar[f].m_view);
            ExpectSameBitsExactly(paired[f].m_up, scalar[f].m_up);
            ExpectSameBitsExactly(paired[f].m_side, scalar[f].m_side);
        }
    }
}
