// Keyboard commands of the universe view: velocity keys, big bang, closing keys, held-key flags.
#include "tests/support/ViewFixture.h"

#include <cmath>
#include <limits>

#include "universe/Random.h"

using ViewKeys = ViewFixture;

TEST_F(ViewKeys, CoolAndWarmRunOnDownAndUp)
{
    COrb* a = AddOrb({0, 0, 0}, {10, -20, 30});
    COrb* b = AddOrb({50, 0, 0}, {1, 0, -1});

    Press('C');
    ExpectNear(a->m_velocity, {8.1, -16.2, 24.3});
    ExpectNear(b->m_velocity, {0.81, 0, -0.81});
    EXPECT_EQ(CountPosted(TakePosted(), WM_PAINT), 2);

    Press('W');
    ExpectNear(a->m_velocity, SFVec3f(8.1, -16.2, 24.3) * 1.21);
    // Warming posts no paint.
    EXPECT_TRUE(TakePosted().empty());
}

TEST_F(ViewKeys, CoolAndBigBangPaintWithoutOrbs)
{
    Press('C');
    Press('B');
    Press('W');
    EXPECT_EQ(CountPosted(TakePosted(), WM_PAINT), 4);
}

TEST_F(ViewKeys, BigBangTwiceSendsEveryOrbFromTheCentre)
{
    COrb* fast = AddOrb({100, 200, 300}, {10, 0, 0});
    COrb* slow = AddOrb({-100, 0, 0}, {0.5, 0, 0});
    COrb* broken = AddOrb({0, -50, 0}, {std::numeric_limits<double>::quiet_NaN(), 0, 0});

    ResetRand();
    Press('B');

    // The fast orb keeps 0.99 of its speed on each run; the others get a fresh small push.
    ExpectNear(fast->m_velocity, {10 * 0.99 * 0.99, 0, 0});
    for (COrb* orb : {fast, slow, broken}) {
        EXPECT_EQ(orb->m_position, SFVec3f::kZero);
        EXPECT_EQ(orb->m_pShape->m_position, SFVec3f::kZero);
    }
    // Replay the draws: per slow orb z, y, x, in orb order, for each of the two runs.
    ResetRand();
    SFVec3f expected[2];
    for (int run = 0; run < 2; ++run)
        for (SFVec3f& e : expected) {
            const int rz = Rand(), ry = Rand(), rx = Rand();
            e = {rx * 1.5259254737998596e-6, ry * 1.5259254737998596e-7, rz * 1.5259254737998596e-7};
        }
    ExpectNear(slow->m_velocity, expected[0], 1e-15);
    ExpectNear(broken->m_velocity, expected[1], 1e-15);
    EXPECT_TRUE(broken->m_velocity.IsFinite());
    EXPECT_LE(slow->m_velocity.x, 0.05);
    EXPECT_LE(slow->m_velocity.y, 0.005);
}

TEST_F(ViewKeys, ClosingKeysHonourAltAndTheEditingFrame)
{
    // Alt+Space comes as a system key with the Alt context bit: the saver stays, also when Alt
    // is let go before Space.
    Send(WM_SYSKEYDOWN, VK_MENU, kAltContextBit);
    Send(WM_SYSKEYDOWN, VK_SPACE, kAltContextBit);
    Send(WM_SYSKEYUP, VK_SPACE, kAltContextBit | kPreviousStateBit);
    Send(WM_SYSKEYDOWN, VK_SPACE, kAltContextBit);
    Send(WM_SYSKEYUP, VK_MENU, kAltContextBit | kPreviousStateBit);
    KeyUp(VK_SPACE);
    // The release of an ESC whose press closed a dialog.
    KeyUp(VK_ESCAPE);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 0);

    KeyDown(VK_SPACE);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 1);
    KeyDown(VK_ESCAPE);
    KeyDown(VK_RETURN);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 2);

    MakeView(2);
    Press(VK_ESCAPE);
    Press(VK_SPACE);
    Press(VK_RETURN);
    EXPECT_TRUE(TakePosted().empty());
    EXPECT_TRUE(m_view->IsWindow());
}

TEST_F(ViewKeys, EscapeClosesTheWindowThroughTheQueue)
{
    KeyDown(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(m_view->IsWindow());
}

TEST_F(ViewKeys, SystemCloseAndScreenSaverAreSwallowed)
{
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    // Alt+F4 becomes the system Close command, which must not end the saver.
    Send(WM_SYSKEYDOWN, VK_F4, kAltContextBit);
    Pump();
    EXPECT_TRUE(m_view->IsWindow());
}

TEST_F(ViewKeys, HeldKeyFlagsFollowDownAndUp)
{
    const struct { WPARAM key; uint32_t bit; } keys[] = {
        {VK_LEFT, 0x01}, {VK_RIGHT, 0x02}, {VK_UP, 0x04}, {VK_DOWN, 0x08},
        {VK_SHIFT, 0x10}, {VK_CONTROL, 0x20}, {VK_MENU, 0x40},
    };
    for (const auto& k : keys) {
        KeyDown(k.key);
        EXPECT_EQ(m_view->m_keyFlags, k.bit);
        // While Alt is held the keys arrive as system keys.
        Send(WM_SYSKEYUP, k.key, kAltContextBit);
        EXPECT_EQ(m_view->m_keyFlags, 0u);
    }
    Send(WM_SYSKEYDOWN, VK_MENU, kAltContextBit);
    Send(WM_SYSKEYDOWN, VK_LEFT, kAltContextBit);
    EXPECT_EQ(m_view->m_keyFlags, 0x41u);
}

TEST_F(ViewKeys, OnePressOfMTogglesTrackingOnce)
{
    ASSERT_TRUE(m_view->m_mouseTracking);
    Press('M');
    EXPECT_FALSE(m_view->m_mouseTracking);
    // Auto-repeat while held changes nothing.
    KeyDown('M');
    KeyDown('M', kPreviousStateBit);
    KeyDown('M', kPreviousStateBit);
    KeyUp('M');
    EXPECT_TRUE(m_view->m_mouseTracking);
}

TEST_F(ViewKeys, AnOpenDialogOrAMissingSceneIgnoresInput)
{
    COrb* a = AddOrb({0, 0, 0}, {10, 0, 0});
    int dialog = 0;
    g_openDialog = &dialog;
    Press('C');
    KeyDown(VK_LEFT);
    KeyDown(VK_ESCAPE);
    EXPECT_EQ(a->m_velocity, SFVec3f(10, 0, 0));
    EXPECT_EQ(m_view->m_keyFlags, 0u);
    EXPECT_TRUE(TakePosted().empty());
    g_openDialog = nullptr;

    CUniverseScene* scene = m_view->m_scene;
    m_view->m_scene = nullptr;
    Press('W');
    EXPECT_EQ(a->m_velocity, SFVec3f(10, 0, 0));
    m_view->m_scene = scene;
}
