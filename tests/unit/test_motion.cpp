// The motion pass: straight flight, gravity, boundary bounces, tidal turn, flash and restarts.
#include <gtest/gtest.h>

#include <cmath>

#include "support/UniverseFixture.h"

namespace {
class Motion : public ::testing::Test, public CUniverseSandbox {
protected:
    void SetUp() override
    {
        Build(0);
        ResetRand();
    }
};

// How many draws were taken since the generator stood at mark (the sequence is documented).
int DrawsSince(uint32_t mark)
{
    for (int n = 0; n < 100000; ++n, mark = mark * 214013u + 2531011u)
        if (mark == RandState()) return n;
    return -1;
}
}

TEST_F(Motion, StraightLineAtConstantSpeedWithoutGravity)
{
    COrb* orb = PlaceOrb({-100, 20, 30}, {1.5, -2, 0.25});
    const uint32_t mark = RandState();
    for (int i = 0; i < 40; ++i) MoveOrbs();
    EXPECT_NEAR(orb->m_position.x, -100 + 40 * 1.5, 1e-9);
    EXPECT_NEAR(orb->m_position.y, 20 - 40 * 2, 1e-9);
    EXPECT_NEAR(orb->m_position.z, 30 + 40 * 0.25, 1e-9);
    EXPECT_EQ(orb->m_velocity, SFVec3f(1.5, -2, 0.25));
    EXPECT_DOUBLE_EQ(m_constants.m_topSpeed, orb->m_velocity.Length());
    EXPECT_EQ(DrawsSince(mark), 0);
    // The shape follows the orb and its frame stays orthonormal.
    const CShape& s = *orb->m_pShape;
    EXPECT_EQ(s.m_position, orb->m_position);
    EXPECT_NEAR(s.m_view.Length(), 1.0, 1e-12);
    EXPECT_NEAR(s.m_side.CrossProduct(s.m_up).DotProduct(s.m_view), 1.0, 1e-9);
}

TEST_F(Motion, BlackHolePullsHalfAUnitPerFrameAtDistanceFifty)
{
    m_constants.m_gravity = 100;
    COrb* orb = PlaceOrb({50, 0, 0}, {0, 0, 1e-9});
    orb->AdvanceOrb();
    EXPECT_NEAR(orb->m_velocity.x, -0.5, 1e-9);
    EXPECT_NEAR(orb->m_velocity.Length(), 0.5, 1e-9);

    // The gravity field pulls towards +y with gravity / (350 - y).
    m_constants.m_blackHole = 0;
    COrb* other = PlaceOrb({0, 150, 0}, {0, 0, 1e-9});
    other->AdvanceOrb();
    EXPECT_NEAR(other->m_velocity.y, 100.0 / 200.0, 1e-9);
    EXPECT_NEAR(other->m_velocity.x, 0.0, 1e-12);
}

TEST_F(Motion, GravityDivisorNeverReachesZero)
{
    m_constants.m_gravity = 100;
    COrb* orb = PlaceOrb({0, 0, 0}, {0.1, 0, 0});  // lands 0.1 from the centre: g = 0.04, clamped to 1
    orb->AdvanceOrb();
    EXPECT_NEAR(orb->m_velocity.x, 0.1 - 100 * 0.1, 1e-12);
    EXPECT_TRUE(orb->m_velocity.IsFinite());
}

TEST_F(Motion, CornerBouncesOffOneFacePerFrameInXZYOrder)
{
    COrb* xz = PlaceOrb({295, 0, 195}, {10, 0, 10});
    const uint32_t mark = RandState();
    xz->AdvanceOrb();
    EXPECT_LT(xz->m_velocity.x, 0);  // the x face turned it
    EXPECT_GT(xz->m_velocity.z, 0);  // the z face did not, yet
    EXPECT_GT(xz->m_position.z, 200);
    EXPECT_LE(xz->m_position.x, 300);
    EXPECT_EQ(DrawsSince(mark), 2);  // one bounce: two draws
    xz->AdvanceOrb();
    EXPECT_LT(xz->m_velocity.z, 0);  // next frame the z face
    EXPECT_EQ(DrawsSince(mark), 4);

    COrb* zy = PlaceOrb({0, 295, 195}, {0, 10, 10});
    zy->AdvanceOrb();
    EXPECT_LT(zy->m_velocity.z, 0);
    EXPECT_GT(zy->m_velocity.y, 0);
    EXPECT_GT(zy->m_position.y, 300);

    // A bounce that cannot bring the orb back inside leaves it on the face.
    COrb* deep = PlaceOrb({-299, 0, 0}, {-5, 0.001, 0});
    m_constants.m_boundaryEnergy = 0.999;
    deep->AdvanceOrb();
    EXPECT_GE(deep->m_position.x, -300);
}

TEST_F(Motion, LowZFaceLosesTwiceAsMuchUnderAGravityField)
{
    m_constants.m_blackHole = 0;
    m_constants.m_boundaryEnergy = 0.5;
    COrb* orb = PlaceOrb({0, 0, -195}, {0, 0, -10});
    orb->AdvanceOrb();
    EXPECT_EQ(orb->m_velocity, SFVec3f());  // loss 1.0: stopped dead
    MoveOrbs();  // the next pass restarts it with a tiny random velocity
    EXPECT_NE(orb->m_velocity, SFVec3f());
    EXPECT_LE(std::fabs(orb->m_velocity.x), 0.005);
    EXPECT_LE(std::fabs(orb->m_velocity.z), 0.005);

    // Under a black hole the same face loses only the boundary energy.
    m_constants.m_blackHole = 1;
    COrb* other = PlaceOrb({0, 0, -195}, {0, 0, -10});
    other->AdvanceOrb();
    EXPECT_NEAR(other->m_velocity.Length(), 5.0, 1e-9);
}

TEST_F(Motion, NegativeBoundaryEnergyDoublesSpeedUpToTheCap)
{
    m_constants.m_boundaryEnergy = -1;
    COrb* orb = PlaceOrb({295, 0, 0}, {10, 0, 0});
    const double expected[] = {20, 40, 50, 50};
    for (double speed : expected) {
        orb->m_position = {295, 0, 0};
        orb->m_velocity = {orb->m_velocity.Length(), 0, 0};
        orb->AdvanceOrb();
        EXPECT_NEAR(orb->m_velocity.Length(), speed, 1e-9);
        EXPECT_LT(orb->m_velocity.x, 0);
    }
}

TEST_F(Motion, SphericalBoundaryTurnsOrbsBack)
{
    m_constants.m_sphericalBoundary = 1;
    COrb* orb = PlaceOrb({0, 295, 0}, {0.5, 10, 0});
    orb->AdvanceOrb();
    EXPECT_LT(orb->m_velocity.y, 0);
    // Corners of the box are outside the sphere but no face is there.
    COrb* corner = PlaceOrb({250, 250, 0}, {0, 0, 1});
    corner->AdvanceOrb();
    EXPECT_NE(corner->m_velocity, SFVec3f(0, 0, 1));
}

TEST_F(Motion, FlashTurnsTheOrbWhiteForGood)
{
    m_constants.m_flashCollisions = 1;
    auto* orb = new COrb(nullptr);
    orb->m_color = {0.1, 0.2, 0.3};
    AddOrb(orb);
    orb->m_position = {295, 0, 0};
    orb->m_velocity = {10, 0, 0};
    EXPECT_EQ(orb->m_pMaterial->m_ambient, SFVec4f(0.1, 0.2, 0.3, 1));
    orb->AdvanceOrb();
    EXPECT_EQ(orb->m_pMaterial->m_ambient, SFVec4f(1, 1, 1, 1));
    for (int i = 0; i < 5; ++i) orb->AdvanceOrb();
    EXPECT_EQ(orb->m_pMaterial->m_ambient, SFVec4f(1, 1, 1, 1));

    m_constants.m_flashCollisions = 0;
    auto* calm = new COrb(nullptr);
    calm->m_color = {0.1, 0.2, 0.3};
    AddOrb(calm);
    calm->m_position = {295, 0, 0};
    calm->m_velocity = {10, 0, 0};
    calm->AdvanceOrb();
    EXPECT_EQ(calm->m_pMaterial->m_ambient, SFVec4f(0.1, 0.2, 0.3, 1));
}

TEST_F(Motion, TidalTurnMovesButDoesNotStayInTheVelocity)
{
    m_constants.m_spinning = 1;
    COrb* orb = PlaceOrb({100, 0, 0}, {0, 0.5, 0});
    orb->AdvanceOrb();
    EXPECT_EQ(orb->m_velocity, SFVec3f(0, 0.5, 0));
    EXPECT_NEAR(std::hypot(orb->m_position.x, orb->m_position.z), 100.0, 1e-9);
    EXPECT_GT(std::fabs(orb->m_position.z), 1.0);
    // A divisor of exactly 0 means no division; a tiny one must not send the orb to infinity.
    m_constants.m_tidalDivisor = 0;
    orb->AdvanceOrb();
    EXPECT_NEAR(std::hypot(orb->m_position.x, orb->m_position.z), 100.0, 1e-9);
    m_constants.m_tidalDivisor = 1e-320;
    orb->AdvanceOrb();
    EXPECT_TRUE(orb->m_position.IsFinite());
}

TEST_F(Motion, BrokenVelocitiesRestartAndTimeStopHoldsEverything)
{
    COrb* a = PlaceOrb({0, 0, 0}, {NAN, 1, 1});
    COrb* b = PlaceOrb({50, 0, 0}, {0, 0, 0});
    COrb* c = PlaceOrb({-50, 0, 0}, {INFINITY, 0, 0});
    const uint32_t mark = RandState();
    MoveOrbs();
    for (const COrb* o : {a, b, c}) {
        EXPECT_TRUE(o->m_velocity.IsFinite());
        EXPECT_LE(o->m_velocity.Length(), 0.01);
        EXPECT_NE(o->m_velocity, SFVec3f());
    }
    EXPECT_EQ(DrawsSince(mark), 9);

    // A velocity far below anything visible counts as standing still and restarts too.
    COrb* still = PlaceOrb({0, 50, 0}, {1e-200, -1e-180, 0});
    MoveOrbs();
    EXPECT_GT(still->m_velocity.Length(), 1e-9);

    g_universeContext.timeStopped = true;
    const SFVec3f p = a->m_position;
    m_constants.m_topSpeed = 7;
    MoveOrbs();
    EXPECT_EQ(a->m_position, p);
    EXPECT_EQ(m_constants.m_topSpeed, 7);
}

TEST_F(Motion, TopSpeedOfAnEmptyUniverseIsZero)
{
    MoveOrbs();
    EXPECT_EQ(m_constants.m_topSpeed, 0.0);
    COrb* orb = PlaceOrb({0, 0, 0}, {3, 4, 0});
    MoveOrbs();  // spin = speed² / 0 must not break the frame
    EXPECT_TRUE(orb->m_pShape->m_view.IsFinite());
    EXPECT_DOUBLE_EQ(m_constants.m_topSpeed, 5.0);
}
