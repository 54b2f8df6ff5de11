// Picking in the universe view: grab, drag and throw, hook the camera, strike, close on movement.
#include "tests/support/ViewFixture.h"

#include "tests/support/UniverseFixture.h"

namespace {
SFVec3f CameraPosition(const CUniverseView* v) { return v->m_camera->GetAbsolutePosition(); }
}

class ViewMouse : public ViewFixture {
protected:
    // Three orbs on the ray through the window centre, added out of distance order, and one aside.
    void AddRow()
    {
        m_far = AddOrb({0, 0, -100});
        m_near = AddOrb({0, 0, 100});
        m_mid = AddOrb({0, 0, 0});
        m_aside = AddOrb({200, 0, 0});
        Paint();
    }
    COrb *m_far = nullptr, *m_near = nullptr, *m_mid = nullptr, *m_aside = nullptr;
};

TEST_F(ViewMouse, RightClickHooksTheNearestOrbOnTheRay)
{
    AddRow();
    EXPECT_EQ(Click(WM_RBUTTONDOWN), 1);
    Paint();
    EXPECT_EQ(m_view->m_hookedOrb, m_near->m_pShape);
    EXPECT_EQ(m_view->m_scene->m_hitCount, 0);
    Paint();
    ExpectNear(CameraPosition(m_view), {0, 0, 100});
    ExpectNear(m_view->m_camera->m_view, {0, 0, -1}, 1e-12);
    // Nothing was struck.
    for (COrb* o : {m_far, m_near, m_mid, m_aside}) EXPECT_EQ(o->m_velocity, SFVec3f::kZero);
}

TEST_F(ViewMouse, AClickPicksInThePaneUnderTheMouseAtItsOwnSize)
{
    // A square second monitor, 600 x 600, left of the first.
    m_view->SetHeadlessPanes({kRect, RECT{-600, 0, 0, 600}});
    AddRow();
    // Its centre shows the row's nearest orb; a frame with the mouse there measures points in it.
    SetHeadlessCursorPos(CPoint(-300, 300));
    Paint();
    EXPECT_EQ(Send(WM_RBUTTONDOWN), 1);
    Paint();
    EXPECT_EQ(m_view->m_hookedOrb, m_near->m_pShape);
    // The orb aside, 200 along +x (the screen's left) at 700 away, shows 0.495 half-heights
    // (148.5 pixels of this pane) left of its centre.
    Press(VK_HOME);
    Paint();
    SetHeadlessCursorPos(CPoint(-448, 300));
    Paint();
    EXPECT_EQ(Send(WM_RBUTTONDOWN), 1);
    Paint();
    EXPECT_EQ(m_view->m_hookedOrb, m_aside->m_pShape);
}

TEST_F(ViewMouse, MiddleClickStrikesEveryOrbOnTheRay)
{
    m_constants.m_topSpeed = 50;
    m_constants.m_hitSpeedBonus = 5;
    AddRow();
    EXPECT_EQ(Click(WM_MBUTTONDOWN), 1);
    Paint();
    // Each is pushed into the face the ray met: away from the camera.
    for (COrb* o : {m_far, m_near, m_mid}) ExpectNear(o->m_velocity, {0, 0, -55});
    EXPECT_EQ(m_aside->m_velocity, SFVec3f::kZero);
    EXPECT_EQ(m_view->m_hookedOrb, nullptr);
}

TEST_F(ViewMouse, StrikeSparesTheHookedOrb)
{
    AddRow();
    Click(WM_RBUTTONDOWN);
    Paint();
    Paint();
    ASSERT_EQ(m_view->m_hookedOrb, m_near->m_pShape);
    // A ray cast while following, from inside the hooked orb.
    m_view->m_scene->SetHitVector(0, CPoint(kCentreX, kCentreY));
    Paint();
    EXPECT_EQ(m_near->m_velocity, SFVec3f::kZero);
    ExpectNear(m_mid->m_velocity, {0, 0, -50});
    ExpectNear(m_far->m_velocity, {0, 0, -50});
}

TEST_F(ViewMouse, ClickWhileHookedUnhooksAndStrikesInstead)
{
    AddRow();
    Click(WM_RBUTTONDOWN);
    Paint();
    Paint();
    ASSERT_EQ(m_view->m_hookedOrb, m_near->m_pShape);

    Click(WM_RBUTTONDOWN);
    EXPECT_EQ(m_view->m_hookedOrb, nullptr);
    EXPECT_FALSE(m_view->m_hookRequest);
    Paint();
    ExpectNear(CameraPosition(m_view), {0, 0, 700});
    ExpectNear(m_view->m_camera->m_view, {0, 0, -1}, 1e-12);
    ExpectNear(m_view->m_camera->m_up, {0, -1, 0}, 1e-12);
    EXPECT_EQ(m_view->m_hookedOrb, nullptr);
    for (COrb* o : {m_far, m_near, m_mid}) ExpectNear(o->m_velocity, {0, 0, -50});
}

TEST_F(ViewMouse, StrikeWithoutSpeedChangesNothing)
{
    m_constants.m_topSpeed = 0;
    m_constants.m_hitSpeedBonus = 0;
    AddRow();
    m_mid->m_velocity = {1, 2, 3};
    Click(WM_MBUTTONDOWN);
    Paint();
    EXPECT_EQ(m_mid->m_velocity, SFVec3f(1, 2, 3));
    EXPECT_EQ(m_near->m_velocity, SFVec3f::kZero);
}

TEST_F(ViewMouse, GrabDragAndThrow)
{
    m_constants.m_gravity = 0.5;
    m_constants.m_throwForce = 2.0;  // throw factor (0.5 + 1) * 2 = 3
    COrb* orb = AddOrb({0, 0, 100}, {7, 7, 7});
    Paint();

    Click(WM_LBUTTONDOWN);
    Paint();
    ASSERT_EQ(m_view->m_dragOrb, orb->m_pShape);
    ExpectNear(m_view->m_dragPoint, {0, 0, 100});
    Paint();
    EXPECT_EQ(orb->m_velocity, SFVec3f::kZero);  // held still

    // Ten pixels right: half a unit per pixel towards screen right (-side).
    EXPECT_EQ(Click(WM_MOUSEMOVE, kCentreX + 10, kCentreY), 1);
    ExpectNear(m_view->m_dragPoint, {-5, 0, 100});
    ExpectNear(orb->m_velocity, {-15, 0, 0});
    // Ten pixels up (the window point grows upwards): along the camera's up vector.
    Click(WM_MOUSEMOVE, kCentreX + 10, kCentreY + 10);
    ExpectNear(m_view->m_dragPoint, {-5, -5, 100});
    ExpectNear(orb->m_velocity, {0, -15, 0});
    // A move that does not change the point does nothing.
    Click(WM_MOUSEMOVE, kCentreX + 10, kCentreY + 10);
    ExpectNear(m_view->m_dragPoint, {-5, -5, 100});

    Paint();
    ExpectNear(orb->m_pShape->m_position, {-5, -5, 100});
    EXPECT_EQ(orb->m_velocity, SFVec3f::kZero);

    Click(WM_LBUTTONUP, kCentreX + 10, kCentreY + 10);
    EXPECT_EQ(m_view->m_dragOrb, nullptr);
    ExpectNear(orb->m_velocity, {0, -15, 0});
    ExpectNear(orb->m_position, {-5, -5, 100});
}

TEST_F(ViewMouse, RepeatedDragStepsBuildOnTheLastOne)
{
    m_constants.m_throwForce = 1.0;
    COrb* orb = AddOrb({0, 0, 100});
    Paint();
    Click(WM_LBUTTONDOWN);
    Paint();
    Click(WM_MOUSEMOVE, kCentreX + 10, kCentreY);
    Click(WM_MOUSEMOVE, kCentreX + 20, kCentreY);
    // T' = (T . D) T + D with T = D = (-5, 0, 0).
    ExpectNear(orb->m_velocity, {-130, 0, 0});
    ExpectNear(m_view->m_throwVector, {-5, 0, 0});
}

TEST_F(ViewMouse, ClickAndReleaseWithoutMovingThrowsNothing)
{
    COrb* orb = AddOrb({0, 0, 100}, {3, 4, 5});
    Paint();
    Click(WM_LBUTTONDOWN);
    Paint();
    Click(WM_LBUTTONUP);
    EXPECT_EQ(orb->m_velocity, SFVec3f::kZero);
    ExpectNear(orb->m_position, {0, 0, 100});
}

TEST_F(ViewMouse, ReleaseBeforeTheFrameLeavesTheOrbHeld)
{
    COrb* orb = AddOrb({0, 0, 100});
    Paint();
    Click(WM_LBUTTONDOWN);
    Click(WM_LBUTTONUP);
    Paint();
    EXPECT_EQ(m_view->m_dragOrb, orb->m_pShape);
    Paint();
    EXPECT_EQ(m_view->m_dragOrb, orb->m_pShape);
    Click(WM_LBUTTONUP);
    EXPECT_EQ(m_view->m_dragOrb, nullptr);
}

TEST_F(ViewMouse, AMissedPickGrabsWithTheNextHit)
{
    AddRow();
    // The window's corner: nothing there.
    Click(WM_LBUTTONDOWN, 2, 2);
    Click(WM_LBUTTONUP, 2, 2);
    Paint();
    EXPECT_TRUE(m_view->m_pickPending);
    EXPECT_EQ(m_view->m_dragOrb, nullptr);

    Click(WM_RBUTTONDOWN);
    Paint();
    EXPECT_EQ(m_view->m_dragOrb, m_near->m_pShape);
    EXPECT_FALSE(m_view->m_pickPending);
}

TEST_F(ViewMouse, TrackingOffClosesOnMoreThanFivePixels)
{
    // Tracking on: movement never closes.
    SetHeadlessCursorPos({400, 300});
    Send(WM_MOUSEMOVE);
    SetHeadlessCursorPos({500, 400});
    Send(WM_MOUSEMOVE);
    EXPECT_TRUE(TakePosted().empty());

    Press('M');
    TakePosted();
    SetHeadlessCursorPos({400, 300});
    Send(WM_MOUSEMOVE);
    SetHeadlessCursorPos({403, 298});
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 0);
    SetHeadlessCursorPos({398, 303});
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 0);
    SetHeadlessCursorPos({404, 302});
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 1);
}

TEST_F(ViewMouse, TrackingOffButtonsClose)
{
    AddRow();
    Press('M');
    TakePosted();
    Click(WM_RBUTTONDOWN);
    Click(WM_MBUTTONDOWN);
    EXPECT_EQ(CountPosted(TakePosted(), WM_CLOSE), 2);
}

TEST_F(ViewMouse, ForgettingOrbsDropsEveryPointerToThem)
{
    AddRow();
    Click(WM_RBUTTONDOWN);
    Paint();
    Click(WM_LBUTTONDOWN);
    Paint();
    ASSERT_NE(m_view->m_hookedOrb, nullptr);
    ASSERT_NE(m_view->m_dragOrb, nullptr);
    m_view->m_scene->SetHitVector(0, CPoint(kCentreX, kCentreY));
    m_view->m_scene->RawDraw(nullptr, nullptr, g_windowRect, m_view->m_pipelineStatus);

    m_view->ForgetOrbs();
    EXPECT_EQ(m_view->m_hookedOrb, nullptr);
    EXPECT_EQ(m_view->m_dragOrb, nullptr);
    EXPECT_EQ(m_view->m_scene->m_pHitList, nullptr);
    // Later input runs on without touching the forgotten orbs.
    Click(WM_MOUSEMOVE, kCentreX + 10, kCentreY);
    Click(WM_LBUTTONUP);
    Paint();
}

// The real window with the standard universe: the universe tells the view whenever it deletes orbs.
TEST(ViewOrbLifetime, DeletedOrbsAreNeverHeld)
{
    CUniverseSandbox sandbox;
    ClearMessageQueue();
    auto* view = new CUniverseView(0);
    ASSERT_TRUE(view->CreateEx(0, WS_POPUP, RECT{0, 0, 640, 480}, nullptr));
    ASSERT_GT(g_orbs.size(), 6u);

    view->m_hookedOrb = g_orbs[5]->m_pShape;
    view->m_dragOrb = g_orbs[6]->m_pShape;
    SetOrbCount(3);
    EXPECT_EQ(view->m_hookedOrb, nullptr);
    EXPECT_EQ(view->m_dragOrb, nullptr);
    view->SendMessage(WM_PAINT);

    view->m_hookedOrb = g_orbs[0]->m_pShape;
    view->m_dragOrb = g_orbs[1]->m_pShape;
    view->DestroyWindow();
    EXPECT_EQ(view->m_hookedOrb, nullptr);
    EXPECT_EQ(view->m_dragOrb, nullptr);
    delete view;
    ClearMessageQueue();
}
