// The constants block: defaults, layout of new blocks and the options dialog's conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <new>

#include "dialogs/OptionsConversions.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"

TEST(Constants, DefaultsOfANewBlock)
{
    CUniversalConstants c;
    EXPECT_EQ(c.m_cameraPosition, SFVec3f(0, 0, 700));
    EXPECT_EQ(c.m_cameraView, SFVec3f(0, 0, -1));  // looks at the universe
    EXPECT_EQ(c.m_cameraUp, SFVec3f(0, -1, 0));
    EXPECT_EQ(c.m_lightView, SFVec3f(0, 1, 0));
    EXPECT_EQ(c.m_lightUp, SFVec3f(0, 0, -1));
    EXPECT_EQ(c.m_topSpeed, 50.0);
    EXPECT_EQ(c.m_recoilLoss, 0.28);
    EXPECT_EQ(c.m_propagationLoss, 0.29);
    EXPECT_EQ(c.m_maxEnergy, 50.0);
    EXPECT_EQ(c.m_orbCount, 100);
    EXPECT_EQ(c.m_tidalDivisor, 0.5);
    EXPECT_EQ(c.m_minimumAngle, 0.6);
    EXPECT_EQ(c.m_throwForce, 3.5);
    EXPECT_EQ(c.m_blackHole, 1);
    EXPECT_EQ(c.m_spinning, 0);
    EXPECT_EQ(c.m_boundarySize, SFVec3f(0, 0, 0));
}

TEST(Constants, PaddingOfANewBlockIsZeroAndTheEncodingIsStable)
{
    // Two blocks made in different places must give the same string: padding never carries garbage.
    void* raw = std::malloc(sizeof(CUniversalConstants));
    std::memset(raw, 0xCD, sizeof(CUniversalConstants));  // dirty storage, as the heap may hand out
    auto* heap = new (raw) CUniversalConstants;
    CUniversalConstants stack;
    EXPECT_EQ(heap->Bytes()[236] | heap->Bytes()[237] | heap->Bytes()[238] | heap->Bytes()[239] |
                  heap->Bytes()[343], 0);
    EXPECT_EQ(heap->EncodeUniversalString(), stack.EncodeUniversalString());
    heap->~CUniversalConstants();
    std::free(heap);
}

TEST(Conversions, SliderEndsStoreTheDocumentedValues)
{
    CUniversalConstants c;
    SOptionsControls o = ControlsFromConstants(c);

    o.orbs = 0;
    EXPECT_EQ(ApplyControls(o, c), 1);
    o.orbs = 100;
    EXPECT_EQ(ApplyControls(o, c), 250);

    o.boundaryEnergy = 0;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_boundaryEnergy, 0.999);
    o.boundaryEnergy = 100;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_boundaryEnergy, -1.0);

    o.tidalForce = 100;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_tidalDivisor, 0.0);
    o.tidalForce = 0;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_tidalDivisor, 100.0);

    o.maxEnergy = 0;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_maxEnergy, 1.0);
    o.maxEnergy = 100;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_maxEnergy, 101.0);

    o.collisionDiameter = 100;
    o.throwForce = 100;
    o.recoilLoss = 100;
    o.gravity = 100;
    ApplyControls(o, c);
    EXPECT_DOUBLE_EQ(c.m_collisionDiameter, 40.0);
    EXPECT_DOUBLE_EQ(c.m_throwForce, 10.0);
    EXPECT_DOUBLE_EQ(c.m_recoilLoss, 1.0);
    EXPECT_EQ(c.m_gravity, 100.0);
}

TEST(Conversions, DialogShowsTheDefaults)
{
    const SOptionsControls o = ControlsFromConstants(CUniversalConstants());
    EXPECT_EQ(o.recoilLoss, 28);
    EXPECT_EQ(o.collisionDiameter, 50);
    EXPECT_EQ(o.orbs, 40);
    EXPECT_EQ(o.boundaryEnergy, 50);
    EXPECT_EQ(o.tidalForce, 99);
    EXPECT_EQ(o.maxEnergy, 49);
    EXPECT_EQ(o.throwForce, 35);
    EXPECT_EQ(o.minimumAngle, 60);
    EXPECT_EQ(o.gravityType, 0);
    EXPECT_EQ(o.boundaryShape, 0);
    EXPECT_TRUE(o.scaledColor && o.dynamicColor && o.energyColorShifting);
    EXPECT_FALSE(o.spinning || o.flashCollisions);
}

TEST(Conversions, CombosAndChecksRoundTrip)
{
    CUniversalConstants c;
    SOptionsControls o = ControlsFromConstants(c);
    o.gravityType = 1;
    o.boundaryShape = 1;
    o.spinning = true;
    o.dynamicColor = false;
    ApplyControls(o, c);
    EXPECT_EQ(c.m_blackHole, 0);
    EXPECT_EQ(c.m_sphericalBoundary, 1);
    EXPECT_EQ(c.m_spinning, 1);
    EXPECT_EQ(c.m_dynamicColor, 0);
    const SOptionsControls back = ControlsFromConstants(c);
    EXPECT_EQ(back.gravityType, 1);
    EXPECT_EQ(back.boundaryShape, 1);
}

TEST(Conversions, AnyPastedBlockGivesSlidersInRange)
{
    const double nasty[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 1e300, -1e300, -5.0};
    for (double v : nasty) {
        CUniversalConstants c;
        c.m_recoilLoss = c.m_gravity = c.m_boundaryEnergy = c.m_maxEnergy = c.m_tidalDivisor = v;
        c.m_orbCount = v > 0 ? 2147483647 : -2147483647 - 1;
        const SOptionsControls o = ControlsFromConstants(c);
        for (int s : {o.recoilLoss, o.gravity, o.boundaryEnergy, o.maxEnergy, o.tidalForce, o.orbs}) {
            EXPECT_GE(s, 0);
            EXPECT_LE(s, 100);
        }
    }
}

TEST(Random, ClassicSequenceFromStateOne)
{
    ResetRand();
    // The first values of the classic generator that every universe replays.
    EXPECT_EQ(Rand(), 41);
    EXPECT_EQ(Rand(), 18467);
    EXPECT_EQ(Rand(), 6334);
    EXPECT_EQ(Rand(), 26500);
    for (int i = 0; i < 10000; ++i) {
        const int r = Rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandMax);
    }
    ResetRand();
}
