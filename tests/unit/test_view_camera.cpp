// Camera steering of the universe view: turns, moves and their limit, orbiting, following, Home.
#include "tests/support/ViewFixture.h"

#include <cmath>

namespace {
SFVec3f CameraPosition(const CUniverseView* v) { return v->m_camera->GetAbsolutePosition(); }
}

using ViewCamera = ViewFixture;

TEST_F(ViewCamera, LeftTurnsTowardsScreenLeftAndUpTiltsUp)
{
    const CLocalCoordinateSystem start = *m_view->m_camera;
    KeyDown(VK_LEFT);
    Paint();
    const SFVec3f v = m_view->m_camera->m_view;
    EXPECT_NEAR(std::acos(v.DotProduct(start.m_view)), 0.05, 1e-12);
    EXPECT_GT(v.DotProduct(start.m_side), 0.0);
    EXPECT_NEAR(v.DotProduct(start.m_up), 0.0, 1e-12);
    // Frames keep coming while a key is held.
    EXPECT_TRUE(m_view->IsInvalidated());
    KeyUp(VK_LEFT);

    const CLocalCoordinateSystem before = *m_view->m_camera;
    KeyDown(VK_UP);
    Paint();
    const SFVec3f w = m_view->m_camera->m_view;
    EXPECT_NEAR(std::acos(w.DotProduct(before.m_view)), 0.05, 1e-12);
    EXPECT_GT(w.DotProduct(before.m_up), 0.0);
}

TEST_F(ViewCamera, LeftAndRightTogetherCancel)
{
    KeyDown(VK_LEFT);
    KeyDown(VK_RIGHT);
    for (int i = 0; i < 10; ++i) Paint();
    ExpectNear(m_view->m_camera->m_view, {0, 0, -1}, 1e-12);
    ExpectNear(m_view->m_camera->m_up, {0, -1, 0}, 1e-12);
}

TEST_F(ViewCamera, ShiftMovesAndTheLimitRefusesTheWholeStep)
{
    KeyDown(VK_SHIFT);
    KeyDown(VK_UP);
    Paint();
    // Shift+Up moves along up by one step; nothing turns.
    ExpectNear(CameraPosition(m_view), {0, -10, 700});
    ExpectNear(m_view->m_camera->m_view, {0, 0, -1});
    KeyUp(VK_UP);

    // One step short of the limit on the side axis: the next step would end at 995^2 + 0 >= 990000.
    m_view->m_followCentre = SFVec3f::kZero;
    m_view->m_cameraOffset = {985, 0, 0};
    m_view->m_pipelineStatus |= 0x80000000u;
    KeyDown(VK_LEFT);
    Paint();
    ExpectNear(m_view->m_cameraOffset, {985, 0, 0});
    ExpectNear(CameraPosition(m_view), {985, 0, 0});
    // The refused position still decides the near-centre bit, and the scene gets the word.
    EXPECT_EQ(m_view->m_pipelineStatus & 0x80000000u, 0u);
    EXPECT_EQ(uint32_t(m_view->m_scene->m_status), uint32_t(m_view->m_pipelineStatus));
    KeyUp(VK_LEFT);

    // Close to the centre the bit goes on.
    m_view->m_cameraOffset = {0, 0, 100};
    KeyDown(VK_RIGHT);
    Paint();
    ExpectNear(CameraPosition(m_view), {-10, 0, 100});
    EXPECT_NE(m_view->m_pipelineStatus & 0x80000000u, 0u);
    EXPECT_EQ(m_view->m_pipelineStatus & 0x7FFFFFFFu, kInitialPipelineStatus);
}

TEST_F(ViewCamera, ShiftCtrlMovesForwardAndBack)
{
    KeyDown(VK_SHIFT);
    KeyDown(VK_CONTROL);
    KeyDown(VK_UP);
    Paint();
    Paint();
    ExpectNear(CameraPosition(m_view), {0, 0, 680});
    KeyUp(VK_UP);
    KeyDown(VK_DOWN);
    Paint();
    ExpectNear(CameraPosition(m_view), {0, 0, 690});
}

TEST_F(ViewCamera, CtrlUpOnlyReorthogonalises)
{
    CLocalCoordinateSystem* cam = m_view->m_camera;
    // A slightly damaged frame, as rounding leaves it after many turns.
    cam->m_view = {0.01, 0.0, -2.0};
    CLocalCoordinateSystem expected = *cam;
    expected.Reorthagonalize();

    KeyDown(VK_CONTROL);
    KeyDown(VK_UP);
    Paint();
    ExpectNear(cam->m_view, expected.m_view, 1e-12);
    ExpectNear(cam->m_up, expected.m_up, 1e-12);
    ExpectNear(cam->m_side, expected.m_side, 1e-12);
    ExpectNear(CameraPosition(m_view), {0, 0, 700});
}

TEST_F(ViewCamera, CtrlLeftRollsAboutTheView)
{
    KeyDown(VK_CONTROL);
    KeyDown(VK_LEFT);
    Paint();
    const CLocalCoordinateSystem* cam = m_view->m_camera;
    ExpectNear(cam->m_view, {0, 0, -1}, 1e-12);
    EXPECT_NEAR(std::acos(cam->m_up.DotProduct({0, -1, 0})), 0.05, 1e-12);

    // Alt+Ctrl rolls the same way.
    CTestUniverseView* v = m_view;
    const SFVec3f up1 = cam->m_up;
    KeyDown(VK_MENU);
    Paint();
    EXPECT_NEAR(std::acos(cam->m_up.DotProduct(up1)), 0.05, 1e-9);
    ExpectNear(cam->m_view, {0, 0, -1}, 1e-9);
    ExpectNear(CameraPosition(v), {0, 0, 700});
}

TEST_F(ViewCamera, AltOrbitsAboutTheOriginLookingAtIt)
{
    KeyDown(VK_MENU);
    KeyDown(VK_LEFT);
    for (int i = 0; i < 5; ++i) Paint();
    const SFVec3f p = CameraPosition(m_view);
    EXPECT_NEAR(p.Length(), 700.0, 1e-9);
    EXPECT_NEAR(std::acos(p.DotProduct({0, 0, 1}) / 700.0), 0.25, 1e-9);
    ExpectNear(m_view->m_camera->m_view, -p * (1.0 / 700.0), 1e-9);
    EXPECT_EQ(m_view->m_followCentre, SFVec3f::kZero);
}

TEST_F(ViewCamera, HomeRestoresTheStartAndUnhooks)
{
    COrb* orb = AddOrb({200, 100, -50});
    KeyDown(VK_LEFT);
    KeyDown(VK_DOWN);
    for (int i = 0; i < 7; ++i) Paint();
    KeyDown(VK_SHIFT);
    Paint();
    KeyUp(VK_SHIFT);
    KeyUp(VK_LEFT);
    KeyUp(VK_DOWN);
    m_view->m_hookedOrb = orb->m_pShape;
    Paint();
    ASSERT_NE(CameraPosition(m_view), SFVec3f(0, 0, 700));

    Press(VK_HOME);
    Paint();
    EXPECT_EQ(m_view->m_hookedOrb, nullptr);
    ExpectNear(CameraPosition(m_view), {0, 0, 700});
    ExpectNear(m_view->m_camera->m_view, {0, 0, -1}, 1e-12);
    ExpectNear(m_view->m_camera->m_up, {0, -1, 0}, 1e-12);
    ExpectNear(m_view->m_camera->m_side, {1, 0, 0}, 1e-12);
}

TEST_F(ViewCamera, FollowingSitsOnTheOrbAndLooksAtTheCentre)
{
    COrb* orb = AddOrb({300, 0, 0});
    Paint();
    m_view->m_hookedOrb = orb->m_pShape;
    Paint();
    ExpectNear(CameraPosition(m_view), {300, 0, 0});
    ExpectNear(m_view->m_camera->m_view, {-1, 0, 0}, 1e-12);

    // The orb moves; the camera rides along and keeps the direction.
    orb->m_pShape->m_position = {300, 40, 0};
    Paint();
    ExpectNear(CameraPosition(m_view), {300, 40, 0});
    ExpectNear(m_view->m_camera->m_view, {-1, 0, 0}, 1e-12);

    // A turn while following becomes the new follow direction.
    KeyDown(VK_LEFT);
    Paint();
    KeyUp(VK_LEFT);
    const SFVec3f turned = m_view->m_camera->m_view;
    Paint();
    ExpectNear(m_view->m_followView, turned, 1e-12);
    ExpectNear(m_view->m_camera->m_view, turned, 1e-12);
}

TEST_F(ViewCamera, HookAtTheOriginKeepsAUsableView)
{
    COrb* orb = AddOrb({0, 0, 0});
    Paint();
    m_view->m_hookedOrb = orb->m_pShape;
    Paint();
    ExpectNear(CameraPosition(m_view), {0, 0, 0});
    // The follow direction is the negated position itself: zero.
    EXPECT_EQ(m_view->m_followView.Magnitude(), 0.0);
    const SFVec3f v = m_view->m_camera->m_view;
    EXPECT_TRUE(v.IsFinite());
    EXPECT_NEAR(v.Length(), 1.0, 1e-12);

    // At distance exactly 1 the position is used as it is.
    Press(VK_HOME);
    Paint();
    COrb* near = AddOrb({0, 1, 0});
    m_view->m_hookedOrb = near->m_pShape;
    Paint();
    ExpectNear(m_view->m_followView, {0, -1, 0});
}
