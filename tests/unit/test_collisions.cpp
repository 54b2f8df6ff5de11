// The collision pass: distance bands of a pair, exchange weights, packing, cells and the minimum angle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/UniverseFixture.h"

namespace {
// Positions within [-13, 13] on every axis share the centre cell of the 23-division map.
class Collisions : public ::testing::Test, public CUniverseSandbox {
protected:
    void SetUp() override { Build(0); }
};

int DrawsSince(uint32_t mark)
{
    for (int n = 0; n < 100000; ++n, mark = mark * 214013u + 2531011u)
        if (mark == RandState()) return n;
    return -1;
}

bool Disabled(const COrb* orb) { return orb->m_pShape->m_status.isTransientDisable(); }
}

TEST_F(Collisions, ThreeDistanceBandsOfAPair)
{
    struct Band { double gap; int draws; bool kicked; bool exchanged; };
    const Band bands[] = {{20, 4, false, true}, {10, 10, true, true}, {5, 6, true, false}};
    for (const Band& band : bands) {
        DeleteAllOrbs();
        COrb* a = PlaceOrb({-band.gap / 2, 0, 0}, {1, 0, 0});
        COrb* b = PlaceOrb({band.gap / 2, 0, 0}, {0, 1, 0});
        const uint32_t mark = RandState();
        CollideOrbs();
        SCOPED_TRACE(band.gap);
        EXPECT_EQ(DrawsSince(mark), band.draws);
        EXPECT_EQ(Disabled(a), band.kicked);
        EXPECT_FALSE(Disabled(b));
        if (band.exchanged) {
            // Default weights: each keeps 0.29 of its bounce and takes 0.28 of the other.
            EXPECT_LT(a->m_velocity.Length(), 0.9);
            EXPECT_GT(a->m_velocity.Length(), 0.1);
        } else {
            EXPECT_LE((a->m_velocity - SFVec3f(1, 0, 0)).Length(), 0.015 * std::sqrt(3.0));
            EXPECT_LE((b->m_velocity - SFVec3f(0, 1, 0)).Length(), 0.015 * std::sqrt(3.0));
        }
        // Only velocities change in this pass.
        EXPECT_EQ(a->m_position, SFVec3f(-band.gap / 2, 0, 0));
    }
}

TEST_F(Collisions, FullRecoilSwapsVelocities)
{
    m_constants.m_recoilLoss = 1;
    m_constants.m_propagationLoss = 0;
    COrb* a = PlaceOrb({-10, 0, 0}, {1, 0, 0});
    COrb* b = PlaceOrb({10, 0, 0}, {0, 2, 0.5});
    CollideOrbs();
    EXPECT_EQ(a->m_velocity, SFVec3f(0, 2, 0.5));
    EXPECT_EQ(b->m_velocity, SFVec3f(1, 0, 0));
}

TEST_F(Collisions, FullPropagationKeepsOnlyTheOwnBounce)
{
    m_constants.m_recoilLoss = 0;
    m_constants.m_propagationLoss = 1;
    COrb* a = PlaceOrb({-10, 0, 0}, {1, 0, 0});
    COrb* b = PlaceOrb({10, 0, 0}, {0, 2, 0});
    CollideOrbs();
    // A bounce turns the velocity and keeps 0.85 of its speed.
    EXPECT_NEAR(a->m_velocity.Length(), 0.85, 1e-12);
    EXPECT_NEAR(b->m_velocity.Length(), 1.70, 1e-12);
    EXPECT_NE(a->m_velocity.Normalized(), SFVec3f(1, 0, 0));
}

TEST_F(Collisions, PackingGrowsWithEachFurtherExchange)
{
    m_constants.m_recoilLoss = 0;
    m_constants.m_propagationLoss = 1;
    for (double packing : {0.0, 0.5}) {
        DeleteAllOrbs();
        m_constants.m_packingEnergy = packing;
        COrb* a = PlaceOrb({-10, -10, -10}, {0.3, 0.2, 0.1});
        PlaceOrb({5, -10, -10}, {0, 0.4, 0});
        PlaceOrb({-10, 5, -10}, {0, 0, 0.4});
        PlaceOrb({-10, -10, 5}, {0.4, 0, 0});
        const double before = a->m_velocity.Length();
        CollideOrbs();
        // Three exchanges: 0.85 each, then x1 (first), x1.5 (second) and x2.0 (third) with packing.
        const double growth = packing == 0.0 ? 1.0 : 1.5 * 2.0;
        EXPECT_NEAR(a->m_velocity.Length(), before * std::pow(0.85, 3) * growth, 1e-12) << packing;
    }
}

TEST_F(Collisions, OrbsFromAFileAreNeverDisabled)
{
    COrb* a = PlaceOrb({-5, 0, 0}, {1, 0, 0});
    COrb* b = PlaceOrb({5, 0, 0}, {-1, 0, 0});
    a->m_fromFile = 1;
    CollideOrbs();
    EXPECT_FALSE(Disabled(a));
    EXPECT_FALSE(Disabled(b));
}

TEST_F(Collisions, OnlyOrbsSharingACellMeet)
{
    // Two units apart but on either side of a cell border (x = 13.04).
    COrb* a = PlaceOrb({12, 0, 0}, {1, 0, 0});
    COrb* b = PlaceOrb({14, 0, 0}, {-1, 0, 0});
    const uint32_t mark = RandState();
    CollideOrbs();
    EXPECT_EQ(DrawsSince(mark), 0);
    EXPECT_EQ(a->m_velocity, SFVec3f(1, 0, 0));
    EXPECT_EQ(b->m_velocity, SFVec3f(-1, 0, 0));
}

TEST_F(Collisions, MinimumAngleTakesTheIntegerPartOfItsExcess)
{
    struct Case { double angle; double pushX; };
    // Every value the dialog can store (0..1) pushes nothing; 5 at d = 4/9 gives int(2.27) = 2,
    // so x moves by 2/256 of the distance; absurd values push nothing.
    const Case cases[] = {{1.0, 0.0}, {0.6, 0.0}, {5.0, 20.0 * 2 / 256}, {1e300, 0.0}, {NAN, 0.0}, {-3.0, 0.0}};
    for (const Case& c : cases) {
        DeleteAllOrbs();
        m_constants.m_minimumAngle = c.angle;
        COrb* a = PlaceOrb({-10, 0, 0}, {1, 0, 0});
        COrb* b = PlaceOrb({10, 0, 0}, {0, 1, 0});
        CollideOrbs();
        SCOPED_TRACE(c.angle);
        EXPECT_DOUBLE_EQ(a->m_position.x, -10 - c.pushX);
        EXPECT_DOUBLE_EQ(b->m_position.x, 10 + c.pushX);
        EXPECT_EQ(a->m_position.y, 0.0);
    }
}

TEST_F(Collisions, OccupiedCellsMatchAFullScanOfTheMap)
{
    m_constants.m_gravity = 100;  // clumps, so cells hold several orbs
    // Many orbs, few, then many again: the occupied list is built two ways by population.
    for (int orbs : {250, 3, 250}) {
        SetOrbCount(orbs);
        for (int frame = 0; frame < 200; ++frame) {
            Frame();
            if (frame != 0 && frame % 50 != 49) continue;
            std::vector<int32_t> scanned;
            for (int cell = 0; cell < 23 * 23 * 23; ++cell)
                if (m_scene.CellHead(cell) != -1) scanned.push_back(cell);
            EXPECT_EQ(m_scene.OccupiedCells(), scanned);
            EXPECT_LE(scanned.size(), size_t(orbs));
            // Each cell lists its orbs in ascending table order.
            for (int32_t cell : scanned) {
                int prev = -1;
                for (int i = m_scene.CellHead(cell); i != -1; i = m_scene.SpatialElement(i).m_link) {
                    EXPECT_GT(i, prev);
                    prev = i;
                }
            }
        }
    }
}

// A crowd in one cell: every pair is tested while the pass stays within its budget; beyond it
// each orb meets the same number of the orbs after it, and the pass stays within the budget.
TEST_F(Collisions, ACrowdedCellIsBoundedByThePairBudget)
{
    auto crowd = [this](size_t n) {
        DeleteAllOrbs();
        for (size_t i = 0; i < n; ++i)
            PlaceOrb({double(i % 13), double(i % 11), double(i % 7)}, {1, 0, 0});
    };
    crowd(2000);
    CollideOrbs();
    EXPECT_EQ(LastPairTests(), 2000u * 1999u / 2u);

    crowd(4000);
    CollideOrbs();
    EXPECT_LE(LastPairTests(), kPairTestBudget);
    EXPECT_GT(LastPairTests(), kPairTestBudget * 3 / 4);
    // The last orb still met the orbs just before it: nothing in the cell is left out.
    EXPECT_NE(g_orbs.back()->m_velocity, SFVec3f(1, 0, 0));
}
