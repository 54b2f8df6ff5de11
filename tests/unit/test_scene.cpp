// The scene's spatial map (filing and links) and analytic ray hits.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"
#include "engine/core/Scene.h"

namespace {
// A shape with a cube-bounded geometry of the given diameter.
std::unique_ptr<CShape> MakeBall(const SFVec3f& at, double diameter = 30.0)
{
    auto s = std::make_unique<CShape>();
    auto* g = new CGeometry;
    CMeshData& mesh = g->MutableMesh();
    const float h = float(diameter / 2);
    mesh.positions = {-h, -h, -h, h, h, h};
    g->LocalVertexMinimax();
    g->m_pOwner = s.get();
    s->m_pGeometry = g;
    s->m_position = at;
    return s;
}

std::vector<int> CellList(const CScene& scene, int cell)
{
    std::vector<int> out;
    for (int i = scene.CellHead(cell); (i & 0x7FFFFFFF) != 0x7FFFFFFF; i = scene.SpatialElement(i).m_link)
        out.push_back(i);
    return out;
}
}

TEST(SpatialMap, ElementsNeedAMap)
{
    CScene scene;
    CShape s;
    EXPECT_THROW(scene.AddSpatialElement(&s), CQLException);
}

TEST(SpatialMap, FilesByCentreInAscendingOrderWithBorderClamping)
{
    CScene scene;
    scene.CreateSpatialMap(23, 600, {600, 600, 600}, {-300, -300, -300});
    CShape root;
    std::vector<std::unique_ptr<CShape>> balls;
    const SFVec3f at[] = {{1, 1, 1}, {-299, -299, -299}, {2, 2, 2}, {5000, -9000, 1e9}, {3, 3, 3}, {NAN, 0, 0}};
    for (const SFVec3f& p : at) {
        balls.push_back(MakeBall(p));
        root.AddChild(balls.back().get(), true);
        scene.AddSpatialElement(balls.back().get());
    }
    EXPECT_EQ(scene.UpdateSpatialMapElements(), 23 * 23 * 23);
    // Cell size 600/23: the origin area is cell (11, 11, 11).
    const int centre = 11 + 11 * 23 + 11 * 23 * 23;
    EXPECT_EQ(scene.CellOf({1, 1, 1}), centre);
    EXPECT_EQ(CellList(scene, centre), (std::vector<int>{0, 2, 4}));
    // The low corner cell; the NaN orb may join it (NaN spreads through the root's matrix).
    EXPECT_EQ(CellList(scene, 0).front(), 1);
    EXPECT_EQ(scene.CellOf({5000, -9000, 1e9}), 22 + 0 * 23 + 22 * 23 * 23);
    EXPECT_EQ(CellList(scene, 22 + 22 * 23 * 23), (std::vector<int>{3}));
    // A NaN centre still lands inside the grid.
    const int nanCell = scene.CellOf({NAN, 0, 0});
    EXPECT_GE(nanCell, 0);
    EXPECT_LT(nanCell, 23 * 23 * 23);
    // Every element is filed exactly once.
    int filed = 0;
    for (int c = 0; c < 23 * 23 * 23; ++c) filed += int(CellList(scene, c).size());
    EXPECT_EQ(filed, 6);
}

TEST(SpatialMap, ShrinkAndClearResetEntries)
{
    CScene scene;
    scene.CreateSpatialMap(4, 600, {600, 600, 600}, {-300, -300, -300});
    auto a = MakeBall({0, 0, 0}), b = MakeBall({0, 0, 0});
    scene.AddSpatialElement(a.get());
    scene.AddSpatialElement(b.get());
    scene.ShrinkSpatialElements(1);
    EXPECT_EQ(scene.SpatialElementCount(), 1);
    scene.UpdateSpatialMapElements();
    EXPECT_EQ(CellList(scene, scene.CellOf({0, 0, 0})), (std::vector<int>{0}));
    scene.ClearSpatialElements();
    EXPECT_EQ(scene.SpatialElementCount(), 0);
}

TEST(SpatialMap, HugeDivisionCountsAreBounded)
{
    CScene scene;
    scene.CreateSpatialMap(32767, 600, {600, 600, 600}, {-300, -300, -300});
    EXPECT_LE(scene.UpdateSpatialMapElements(), 128 * 128 * 128);
    scene.CreateSpatialMap(-5, 600, {600, 600, 600}, {-300, -300, -300});
    EXPECT_EQ(scene.UpdateSpatialMapElements(), 1);
}

TEST(RayHits, ReportsEveryBallOnTheRayNearestDistanceFirstInLocalCoordinates)
{
    CScene scene;
    scene.m_camera.m_position = {0, 0, 700};
    scene.m_camera.SetViewVector({0, 0, -1});
    scene.m_camera.SetUpVector({0, -1, 0});
    CShape root;
    auto near = MakeBall({0, 0, 100}), far = MakeBall({0, 0, -100}), aside = MakeBall({200, 0, 0});
    root.AddChild(far.get(), true);
    root.AddChild(near.get(), true);
    root.AddChild(aside.get(), true);
    scene.AddObject(&root);
    RECT rect{0, 0, 800, 600};
    scene.SetHitVector(0, CPoint(400, 300));  // the centre of the window
    scene.RawDraw(nullptr, nullptr, rect, 0);
    ASSERT_EQ(scene.m_hitCount, 2);
    short part;
    SFVec3f point, normal;
    double d0, d1;
    int id;
    CShape* s0 = scene.TerminalHit(0, part, point, normal, d0, id);
    CShape* s1 = scene.TerminalHit(1, part, point, normal, d1, id);
    EXPECT_TRUE((s0 == near.get() && s1 == far.get()) || (s0 == far.get() && s1 == near.get()));
    const double dNear = s0 == near.get() ? d0 : d1;
    EXPECT_NEAR(dNear, 700 - 100 - 15, 1e-9);
    // The hit on the near ball faces the camera: +z in its own frame.
    scene.TerminalHit(s0 == near.get() ? 0 : 1, part, point, normal, d0, id);
    EXPECT_NEAR(normal.z, 1.0, 1e-9);
    EXPECT_NEAR(point.z, 15.0, 1e-9);
    // No second hit list without a new hit vector.
    scene.ClearHits();
    scene.RawDraw(nullptr, nullptr, rect, 0);
    EXPECT_EQ(scene.m_hitCount, 0);
    EXPECT_THROW(scene.TerminalHit(0, part, point, normal, d0, id), CQLException);
}

TEST(RayHits, WindowPointsMapThroughTheProjection)
{
    // A ball seen at the right edge of the screen is hit by a click there, not at the centre.
    CScene scene;
    scene.m_camera.m_position = {0, 0, 700};
    scene.m_camera.SetViewVector({0, 0, -1});
    scene.m_camera.SetUpVector({0, -1, 0});
    CShape root;
    // Screen right is -side = -x for the default camera.
    auto ball = MakeBall({-250, 0, 0});
    root.AddChild(ball.get(), true);
    scene.AddObject(&root);
    RECT rect{0, 0, 800, 600};
    // tan(30 deg) * 700 * (4/3) = 538.9 world units to the edge; 250 units is x = 400 + 400 * 250/538.9.
    scene.SetHitVector(0, CPoint(400 + int(400 * 250 / 538.86), 300));
    scene.RawDraw(nullptr, nullptr, rect, 0);
    EXPECT_EQ(scene.m_hitCount, 1);
    scene.SetHitVector(0, CPoint(400, 300));
    scene.RawDraw(nullptr, nullptr, rect, 0);
    EXPECT_EQ(scene.m_hitCount, 0);
    // Screen-up is -y: a ball above the centre on screen has negative y, hit with y above the middle.
    ball->m_position = {0, -150, 0};
    scene.SetHitVector(0, CPoint(400, 300 + int(300 * 150 / 404.15)));
    scene.RawDraw(nullptr, nullptr, rect, 0);
    EXPECT_EQ(scene.m_hitCount, 1);
}

TEST(FrameTree, DisconnectChildrenLetsTheListedGoAndKeepsTheRestInOrder)
{
    CShape root, other;
    std::vector<std::unique_ptr<CShape>> kids;
    for (int i = 0; i < 5; ++i) {
        kids.push_back(std::make_unique<CShape>());
        root.AddChild(kids.back().get(), true);
    }
    CShape stranger;
    other.AddChild(&stranger, true);
    root.DisconnectChildren({kids[1].get(), kids[3].get(), &stranger, nullptr});
    const std::vector<CCyberspaceObject*> left{kids[0].get(), kids[2].get(), kids[4].get()};
    EXPECT_EQ(root.Children(), left);
    EXPECT_EQ(kids[1]->ParentObject(), nullptr);
    EXPECT_EQ(kids[3]->m_pParent, nullptr);
    EXPECT_EQ(kids[2]->ParentObject(), &root);
    // Not ours: left where it hangs.
    EXPECT_EQ(stranger.ParentObject(), &other);
    EXPECT_EQ(other.Children().size(), 1u);
}
