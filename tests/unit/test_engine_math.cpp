// Frames and rotations: the sign conventions every camera and orb formula relies on.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/ExpectNear.h"

#include "engine/core/LocalCoordinateSystem.h"
#include "engine/math/SFMatrix.h"

namespace {
constexpr double kTol = 1e-12;

void ExpectOrthonormal(const CLocalCoordinateSystem& cs)
{
    EXPECT_NEAR(cs.m_side.Length(), 1.0, 1e-12);
    EXPECT_NEAR(cs.m_up.Length(), 1.0, 1e-12);
    EXPECT_NEAR(cs.m_view.Length(), 1.0, 1e-12);
    EXPECT_NEAR(cs.m_side.DotProduct(cs.m_up), 0.0, 1e-12);
    EXPECT_NEAR(cs.m_up.DotProduct(cs.m_view), 0.0, 1e-12);
    ExpectNear(cs.m_side.CrossProduct(cs.m_up), cs.m_view, 1e-12);
}
}

TEST(Math, RotationsFollowTheRightHandRule)
{
    SFVec3f v(1, 0, 0);
    v.RotateAroundAxis(SFVec3f(0, 0, 1), M_PI / 2);
    ExpectNear(v, SFVec3f(0, 1, 0));
    // The matrix form turns the same way as the vector form.
    const SFMatrix r = SFRotation(SFVec3f(0.3, -0.5, 0.8), 0.7).Transform();
    SFVec3f a(0.2, 1.5, -3.0);
    SFVec3f b = a;
    b.RotateAroundAxis(SFVec3f(0.3, -0.5, 0.8), 0.7);
    ExpectNear(r * a, b);
}

TEST(Math, NormalizeLeavesZeroAndUnitVectorsAlone)
{
    SFVec3f z;
    EXPECT_EQ(z.Normalize(), SFVec3f(0, 0, 0));
    SFVec3f u(0, 1, 0);
    EXPECT_EQ(u.Normalize(), SFVec3f(0, 1, 0));
    EXPECT_NEAR(SFVec3f(3, 4, 0).Normalized().Length(), 1.0, kTol);
    EXPECT_EQ(SFVec3f(1, 2, 3).Magnitude(), 14.0);
    EXPECT_EQ(SFVec3f(1, 2, 3) * SFVec3f(2, 2, 2), SFVec3f(2, 4, 6));
}

TEST(Math, MatrixInverseUndoesAFrame)
{
    CLocalCoordinateSystem cs;
    cs.m_position = {10, -20, 30};
    cs.SetViewVector({1, 2, -2});
    const SFMatrix m = cs.LocalMatrix();
    const SFVec3f p(4, 5, 6);
    ExpectNear(m.Inverted() * (m * p), p);
    ExpectNear((m * m.Inverted()) * p, p);
}

TEST(CoordinateSystem, SideTimesUpIsView)
{
    CLocalCoordinateSystem cs;
    cs.m_view = {0, 0, -1};
    cs.m_up = {0, -1, 0};
    cs.Reorthagonalize();
    // The default camera: side points to +x, which is the left of the screen.
    ExpectNear(cs.m_side, SFVec3f(1, 0, 0), kTol);
    ExpectOrthonormal(cs);
}

TEST(CoordinateSystem, ReorthagonalizeRepairsDriftKeepingTheView)
{
    CLocalCoordinateSystem cs;
    cs.m_view = SFVec3f(0.1, 0.2, 1.0);
    cs.m_up = SFVec3f(0.3, 1.0, 0.05);
    cs.m_side = SFVec3f(5, 5, 5);
    const SFVec3f view = cs.m_view.Normalized();
    cs.Reorthagonalize();
    ExpectOrthonormal(cs);
    ExpectNear(cs.m_view, view, 1e-12);
    // Up along the view: the old side vector keeps the frame defined.
    cs.m_up = cs.m_view;
    cs.Reorthagonalize();
    ExpectOrthonormal(cs);
}

TEST(CoordinateSystem, AbsoluteAndLocalWithAParent)
{
    CLocalCoordinateSystem parent;
    parent.m_position = {100, 0, 0};
    parent.SetViewVector({1, 0, 0});  // turned a quarter about y
    CLocalCoordinateSystem child;
    child.m_pParent = &parent;
    child.SetAbsolutePosition({100, 0, 50});
    ExpectNear(child.GetAbsolutePosition(), SFVec3f(100, 0, 50));
    EXPECT_NE(child.m_position, SFVec3f(100, 0, 50));
    child.SetAbsoluteViewpoint({0, 0, 1});
    ExpectNear(child.GetAbsoluteViewpoint(), SFVec3f(0, 0, 1));
    child.SetAbsoluteUp({0, -1, 0});
    ExpectNear(child.GetAbsoluteUp(), SFVec3f(0, -1, 0));
    ExpectOrthonormal(child);
}

TEST(CoordinateSystem, PlaceAtHonoursTheRegion)
{
    C3RRegion region({-10, -10, -10}, {10, 10, 10});
    CLocalCoordinateSystem cs;
    cs.m_pRegion = &region;
    EXPECT_TRUE(cs.PlaceAt({5, 5, 5}));
    EXPECT_FALSE(cs.PlaceAt({50, 0, 0}));
    EXPECT_EQ(cs.m_position, SFVec3f(5, 5, 5));
}

TEST(CoordinateSystem, SetUpVectorKeepsTheUpAndIgnoresDegenerateInput)
{
    CLocalCoordinateSystem cs;
    cs.SetViewVector({0, 0, -1});
    cs.SetUpVector({0.2, -1, 0});
    ExpectNear(cs.m_up, SFVec3f(0.2, -1, 0).Normalized());
    ExpectOrthonormal(cs);
    const CLocalCoordinateSystem before = cs;
    cs.SetUpVector({0, 0, 0});
    cs.SetUpVector({0, 0, -5});  // along the view
    cs.SetViewVector({NAN, 0, 0});
    EXPECT_EQ(cs.m_up, before.m_up);
    EXPECT_EQ(cs.m_view, before.m_view);
}
