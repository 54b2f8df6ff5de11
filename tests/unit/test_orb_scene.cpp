// Orb scene construction: the standard universe, the population count, start positions, model files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/core/ModelFile.h"
#include "engine/core/QLException.h"
#include "support/ScopedEnv.h"
#include "support/UniverseFixture.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
const char* const kMissingModel =
    "The Sphere (sphere.umf) geometry file is missing!.  Cannot run without this file.";

class OrbScene : public ::testing::Test, public CUniverseSandbox {
protected:
    // A fresh folder of this test's own, gone with the test.
    fs::path TempDir(const char* name) const
    {
        const fs::path dir = m_temp.Path() / name;
        fs::create_directories(dir);
        return dir;
    }

    CTempFolder m_temp{"nimbula-orbscene-"};
};

// Every invariant that ties g_orbs, the object table, the root and the count together.
void ExpectConsistent(const CScene& scene)
{
    ASSERT_EQ(scene.SpatialElementCount(), int(g_orbs.size()));
    EXPECT_EQ(g_pConstants->m_orbCount, int(g_orbs.size()));
    for (size_t i = 0; i < g_orbs.size(); ++i) {
        const COrb* orb = g_orbs[i];
        EXPECT_EQ(scene.SpatialElement(int(i)).m_pShape, orb->m_pShape) << "table entry " << i;
        EXPECT_EQ(COrb::FromShape(orb->m_pShape), orb);
        EXPECT_EQ(orb->m_pShape->ParentObject(), g_pOrbRoot);
        EXPECT_EQ(orb->m_pShape->GetShader(0), orb->m_pMaterial);
    }
    EXPECT_EQ(g_pOrbRoot->Children().size(), g_orbs.size());
}

}

TEST_F(OrbScene, StandardUniverseHoldsTexturedOrbsInsideTheBox)
{
    ASSERT_NE(Build(100), nullptr);
    ASSERT_EQ(g_orbs.size(), 100u);
    ExpectConsistent(m_scene);
    EXPECT_EQ(m_constants.m_boundarySize, SFVec3f(600, 600, 400));
    ASSERT_EQ(g_groupTextures.size(), 1u);
    for (const COrb* orb : g_orbs) {
        EXPECT_EQ(orb->m_pTexture, g_groupTextures[0]);
        EXPECT_EQ(orb->m_pShape->GetShader(1), g_groupTextures[0]);
        EXPECT_TRUE(C3RRegion({-300, -300, -200}, {300, 300, 200}).Contains(orb->m_position));
        EXPECT_EQ(orb->m_pShape->m_position, orb->m_position);
        EXPECT_LE(orb->m_velocity.x, 0.0);
        EXPECT_LE(orb->m_velocity.y, 0.0);
        EXPECT_LE(orb->m_velocity.z, 0.0);
        EXPECT_GE(orb->m_velocity.x, -5.0);
        EXPECT_EQ(orb->m_fromFile, 0);
    }
    // The prototype is scaled to the orb diameter; every orb has its own geometry object.
    const CGeometry* g = g_orbs[0]->m_pShape->m_pGeometry;
    ASSERT_NE(g, nullptr);
    EXPECT_NE(g, g_orbs[1]->m_pShape->m_pGeometry);
    EXPECT_EQ(g->m_pOwner, g_orbs[0]->m_pShape);
    EXPECT_NEAR(g->m_localRegion.Extent().x, kOrbDiameter, 1e-4);
    EXPECT_NEAR(g->m_localRegion.Extent().z, kOrbDiameter, 1e-4);
    EXPECT_TRUE(g->m_flags & kGeometryScaled);
    EXPECT_EQ(g_pSphereModel->GetShader(0), nullptr);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OrbScene, BuildsReplayTheSameUniverse)
{
    Build(20);
    std::vector<SFVec3f> first;
    for (const COrb* orb : g_orbs) first.push_back(orb->m_position);
    ResetRand();
    Build(20);  // a second build starts from an empty universe
    ASSERT_EQ(g_orbs.size(), 20u);
    ExpectConsistent(m_scene);
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(g_orbs[i]->m_position, first[i]);
    EXPECT_EQ(g_groupTextures.size(), 2u);  // every build appends its built-in texture
}

TEST_F(OrbScene, SetOrbCountShrinksAndGrows)
{
    Build(100);
    const COrb* first = g_orbs[0];
    SetOrbCount(1);
    ASSERT_EQ(g_orbs.size(), 1u);
    EXPECT_EQ(g_orbs[0], first);
    EXPECT_EQ(m_destroyNotices, 1);
    ExpectConsistent(m_scene);

    SetOrbCount(4);
    ASSERT_EQ(g_orbs.size(), 4u);
    EXPECT_EQ(g_orbs[0], first);
    ExpectConsistent(m_scene);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(g_orbs[i]->m_pTexture, nullptr);
        EXPECT_EQ(g_orbs[i]->m_pShape->GetShader(1), nullptr);
        EXPECT_EQ(g_orbs[i]->m_pMaterial->m_ambient, SFVec4f(1, 1, 1, 1));
    }
    EXPECT_EQ(m_destroyNotices, 1);  // growing destroys nothing

    SetOrbCount(0);
    EXPECT_TRUE(g_orbs.empty());
    ExpectConsistent(m_scene);
    SetOrbCount(-5);
    EXPECT_TRUE(g_orbs.empty());
}

TEST_F(OrbScene, AddOrbTakesTheColourAndNeedsAnObjectTable)
{
    Build(0);
    auto* orb = new COrb(nullptr);
    orb->m_color = {0.25, 0.5, 0.75};
    AddOrb(orb);
    EXPECT_EQ(orb->m_pMaterial->m_ambient, SFVec4f(0.25, 0.5, 0.75, 1.0));
    EXPECT_EQ(orb->m_pMaterial->m_diffuse, SFVec4f(0.25, 0.5, 0.75, 1.0));
    EXPECT_EQ(orb->m_pMaterial->m_specular, SFVec4f(1, 1, 1, 1));

    CScene bare;  // no spatial map
    g_universeContext.scene = &bare;
    auto* refused = new COrb(nullptr);
    EXPECT_THROW(AddOrb(refused), CQLException);
    EXPECT_EQ(g_orbs.size(), 1u);
    EXPECT_EQ(m_constants.m_orbCount, 1);
    delete refused;
    g_universeContext.scene = &m_scene;
    ExpectConsistent(m_scene);
}

TEST_F(OrbScene, StartPositions)
{
    Build(3);
    MoveOrbsToStart();  // never recorded: everyone goes to the origin
    for (const COrb* orb : g_orbs) {
        EXPECT_EQ(orb->m_position, SFVec3f());
        EXPECT_EQ(orb->m_pShape->m_position, SFVec3f());
    }
    g_orbs[0]->m_position = {10, 20, 30};
    g_orbs[0]->m_velocity = {1, 0, 0};
    RecordStartPositions();  // one step, then the shape's place is the start
    EXPECT_EQ(g_orbs[0]->m_startPosition, g_orbs[0]->m_position);
    EXPECT_NEAR(g_orbs[0]->m_startPosition.x, 11.0, 1e-12);
    g_orbs[0]->m_position = {-50, -50, -50};
    g_orbs[1]->m_startPosition = {NAN, 0, 0};
    MoveOrbsToStart();
    EXPECT_EQ(g_orbs[0]->m_position, g_orbs[0]->m_startPosition);
    EXPECT_TRUE(g_orbs[1]->m_position.IsFinite());
    EXPECT_LE(std::fabs(g_orbs[1]->m_position.x), 0.015);
}

TEST_F(OrbScene, DeleteAllOrbs)
{
    Build(0);
    DeleteAllOrbs();  // empty universe: only the table and the count
    EXPECT_EQ(m_constants.m_orbCount, 0);
    EXPECT_EQ(m_destroyNotices, 0);
    SetOrbCount(5);
    DeleteAllOrbs();
    EXPECT_TRUE(g_orbs.empty());
    EXPECT_EQ(m_constants.m_orbCount, 0);
    EXPECT_EQ(m_scene.SpatialElementCount(), 0);
    EXPECT_EQ(m_destroyNotices, 1);
    EXPECT_TRUE(g_pOrbRoot->Children().empty());
}

TEST_F(OrbScene, GroupTexturesOutliveTheirOrbs)
{
    Build(2);
    C2DTextureShader* builtIn = g_groupTextures[0];
    DeleteAllOrbs();
    // Still alive: the list holds its own reference.
    EXPECT_EQ(builtIn->RefCount(), 1);
    ASSERT_NE(builtIn->GetPicture(), nullptr);
    EXPECT_EQ(builtIn->GetPicture()->GetWidth(), 256);
}

TEST_F(OrbScene, MissingModelFileEndsTheProgram)
{
    g_universeContext.installDir = TempDir("missing").string();
    EXPECT_EQ(Build(5), nullptr);
    EXPECT_EQ(s_exitCode, -1);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], kMissingModel);
    EXPECT_TRUE(g_orbs.empty());

    // A file that is not a model file counts as missing too.
    const fs::path dir = TempDir("garbage");
    std::ofstream(dir / "sphere.umf") << "not a model";
    g_universeContext.installDir = dir.string();
    s_exitCode = 0;
    EXPECT_EQ(Build(5), nullptr);
    EXPECT_EQ(s_exitCode, -1);
    EXPECT_EQ(m_messages.back(), kMissingModel);
}

TEST_F(OrbScene, ModelFileWithoutTheSphereEndsWithTheSameMessage)
{
    const fs::path dir = TempDir("nosphere");
    {
        CShape other;
        other.m_name = "cube";
        CUMF umf;
        umf.Create((dir / "sphere.umf").string(), ReplacingWriter());
        umf.StoreObject(other);
        umf.Close();
    }
    g_universeContext.installDir = dir.string();
    CPersistantObject::DefaultCatalog()->PurgeObjectMaps(false);  // forget earlier tests' spheres
    EXPECT_EQ(Build(5), nullptr);
    EXPECT_EQ(s_exitCode, -1);
    // The box keeps its fixed text; why the file failed goes to standard error.
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], kMissingModel);
}

TEST_F(OrbScene, MissingTextureFallsBackToAPlainOne)
{
    const fs::path dir = TempDir("notexture");
    fs::copy_file(fs::path(UniverseResourceDir()) / "sphere.umf", dir / "sphere.umf");
    g_universeContext.installDir = dir.string();
    ASSERT_NE(Build(3), nullptr);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("orb.bmp"), std::string::npos);
    ASSERT_EQ(g_groupTextures.size(), 1u);
    ASSERT_NE(g_groupTextures[0]->GetPicture(), nullptr);
    EXPECT_FALSE(g_groupTextures[0]->GetPicture()->IsEmpty());
    EXPECT_EQ(g_orbs.size(), 3u);
}

TEST_F(OrbScene, CommittedResourcesAreUsable)
{
    const fs::path res = UniverseResourceDir();
    CDIB texture((res / "orb.bmp").string());
    EXPECT_EQ(texture.GetWidth(), 256);
    EXPECT_EQ(texture.GetHeight(), 256);
    // Tileable: the step across the wrap is no larger than the steps inside the picture.
    auto step = [&](int x0, int y0, int x1, int y1) {
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8)
            worst = std::max(worst, std::abs(int((texture.GetPixel(x0, y0) >> shift) & 0xFF) -
                                             int((texture.GetPixel(x1, y1) >> shift) & 0xFF)));
        return worst;
    };
    int inside = 0, across = 0;
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j + 1 < 256; ++j) inside = std::max({inside, step(j, i, j + 1, i), step(i, j, i, j + 1)});
        across = std::max({across, step(255, i, 0, i), step(i, 255, i, 0)});
    }
    EXPECT_LE(across, inside);
    EXPECT_LT(inside, 64);  // soft: no hard edges anywhere
}
