// Engine files: model-file round trips and damaged model files; images through files and streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/core/Archive.h"
#include "engine/core/Dib.h"
#include "engine/core/Geometry.h"
#include "engine/core/ModelFile.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/QLException.h"
#include "engine/core/Shape.h"

namespace fs = std::filesystem;

namespace {
// A fresh folder per test and a private default catalog, both dropped afterwards.
class EngineFiles : public ::testing::Test {
protected:
    fs::path m_dir;
    CPersistantObjectCatalog* m_pSaved = nullptr;
    CPersistantObjectCatalog m_catalog;

    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("nimbula_files_" + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_pSaved = CPersistantObject::DefaultCatalog();
        CPersistantObject::BindDefaultCatalog(&m_catalog);
    }
    void TearDown() override
    {
        CPersistantObject::BindDefaultCatalog(m_pSaved);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A small tetrahedron so every array of the mesh is exercised.
CShape* MakeShape(const std::string& name)
{
    auto* shape = new CShape;
    shape->m_name = name;
    shape->m_position = SFVec3f(1.5, -2.25, 3.0);
    auto* g = new CGeometry;
    g->m_name = name + ".geom";
    g->m_flags = kGeometryScaled;
    CMeshData& m = g->MutableMesh();
    m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    m.normals = {0, 0, -1, 1, 0, 0, 0, 1, 0, 0.577f, 0.577f, 0.577f};
    m.texCoords = {0, 0, 1, 0, 0, 1, 0.5f, 0.5f};
    m.indices = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
    g->LocalVertexMinimax();
    g->m_pOwner = shape;
    shape->m_pGeometry = g;
    return shape;
}

void ExpectSameMesh(const CMeshData& a, const CMeshData& b)
{
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.normals, b.normals);
    EXPECT_EQ(a.texCoords, b.texCoords);
    EXPECT_EQ(a.indices, b.indices);
}

struct SLoadResult {
    int loaded = 0;
    bool refused = false;
};

// Loads every object of a file until the end or the first refusal.
SLoadResult LoadEach(const std::string& path)
{
    SLoadResult r;
    try {
        CUMF umf;
        umf.Open(path);
        while (umf.LoadObject()) ++r.loaded;
    } catch (const CQLException&) {
        r.refused = true;
    }
    return r;
}

// How many objects the file holds, or -1 when it is refused.
int LoadAll(const std::string& path)
{
    const SLoadResult r = LoadEach(path);
    return r.refused ? -1 : r.loaded;
}
}

TEST_F(EngineFiles, ModelFileRoundTripOfShapeWithGeometry)
{
    std::unique_ptr<CShape> shape(MakeShape("sphere2"));
    CGeometry loose;
    loose.m_name = "loose";
    loose.MutableMesh() = shape->m_pGeometry->MutableMesh();
    {
        CUMF umf;
        umf.Create(Path("model.umf"));
        umf.StoreObject(*shape);
        umf.StoreObject(loose);
        umf.Close();
    }
    // Only the finished file remains; the temporary was renamed into place.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));

    CUMF umf;
    umf.Open(Path("model.umf"));
    CPersistantObject* first = umf.LoadObject();
    CPersistantObject* second = umf.LoadObject();
    EXPECT_EQ(nullptr, umf.LoadObject());
    umf.Close();

    auto* found = dynamic_cast<CShape*>(m_catalog.LookupByName(kKindShape, "sphere2"));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(first, found);
    EXPECT_EQ(found->m_position, shape->m_position);
    ASSERT_NE(nullptr, found->m_pGeometry);
    EXPECT_EQ(found, found->m_pGeometry->m_pOwner);
    EXPECT_EQ("sphere2.geom", found->m_pGeometry->m_name);
    EXPECT_EQ(uint32_t(kGeometryScaled), found->m_pGeometry->m_flags);
    ExpectSameMesh(*shape->m_pGeometry->m_mesh, *found->m_pGeometry->m_mesh);
    EXPECT_DOUBLE_EQ(1.0, found->m_pGeometry->m_localRegion.m_max.x);

    EXPECT_EQ(second, m_catalog.LookupByName(kKindGeometry, "loose"));
    EXPECT_EQ(2u, m_catalog.Count());
}

TEST_F(EngineFiles, ModelFileWriteIsAtomic)
{
    const std::string path = Path("model.umf");
    WriteFile(path, {'o', 'l', 'd'});
    {
        CUMF umf;
        umf.Create(path);
        std::unique_ptr<CShape> shape(MakeShape("a"));
        umf.StoreObject(*shape);
        // Dropped without Close: the old file must be untouched.
    }
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), ReadFile(path));
    EXPECT_THROW(CUMF().Create(Path("no/such/folder/model.umf")), CQLException);

    CUMF umf;
    EXPECT_THROW(umf.LoadObject(), CQLException);  // neither opened nor created
    std::unique_ptr<CShape> shape(MakeShape("a"));
    EXPECT_THROW(umf.StoreObject(*shape), CQLException);
}

TEST_F(EngineFiles, ModelFileRefusesForeignHeaders)
{
    EXPECT_THROW(CUMF().Open(Path("missing.umf")), CQLException);
    EXPECT_THROW(CUMF().Open(m_dir.string()), CQLException);  // a folder
    WriteFile(Path("empty.umf"), {});
    EXPECT_THROW(CUMF().Open(Path("empty.umf")), CQLException);
    WriteFile(Path("magic.umf"), {'N', 'U', 'M', 'X', 1, 0, 0, 0});
    EXPECT_THROW(CUMF().Open(Path("magic.umf")), CQLException);
    WriteFile(Path("version.umf"), {'N', 'U', 'M', 'F', 2, 0, 0, 0});
    EXPECT_THROW(CUMF().Open(Path("version.umf")), CQLException);
    WriteFile(Path("short.umf"), {'N', 'U', 'M', 'F', 1, 0});
    EXPECT_THROW(CUMF().Open(Path("short.umf")), CQLException);
    // A bare header is a valid, empty model file.
    WriteFile(Path("bare.umf"), {'N', 'U', 'M', 'F', 1, 0, 0, 0});
    EXPECT_EQ(0, LoadAll(Path("bare.umf")));
    // An unknown object kind is refused and nothing is adopted.
    WriteFile(Path("kind.umf"), {'N', 'U', 'M', 'F', 1, 0, 0, 0, 77, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(-1, LoadAll(Path("kind.umf")));
    EXPECT_EQ(0u, m_catalog.Count());
}

TEST_F(EngineFiles, DamagedModelFilesThrowAndAdoptNothing)
{
    const std::string good = Path("good.umf");
    {
        CUMF umf;
        umf.Create(good);
        std::unique_ptr<CShape> shape(MakeShape("s"));
        umf.StoreObject(*shape);
        umf.Close();
    }
    const std::vector<uint8_t> bytes = ReadFile(good);
    const std::string bad = Path("bad.umf");

    // Every cut inside the object is detected; a cut at the header is an empty file.
    for (size_t n = 8; n < bytes.size(); ++n) {
        WriteFile(bad, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
        EXPECT_EQ(n == 8 ? 0 : -1, LoadAll(bad)) << "cut at " << n;
    }
    EXPECT_EQ(0u, m_catalog.Count());

    // Flipped bytes and random tails: loaded or refused, never a crash.
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> damaged = bytes;
        if (round % 2) {
            for (int k = 0; k < 3; ++k) damaged[8 + rng() % (damaged.size() - 8)] = uint8_t(rng());
        } else {
            damaged.resize(8 + rng() % 200);
            for (size_t i = 8; i < damaged.size(); ++i) damaged[i] = uint8_t(rng());
            damaged[8] = uint8_t(round % 4 ? 6 : 5);  // mostly known kinds, to reach the object loaders
            damaged[9] = damaged[10] = damaged[11] = 0;
        }
        WriteFile(bad, damaged);
        // Only objects that loaded completely reach the catalog.
        const size_t before = m_catalog.Count();
        const SLoadResult r = LoadEach(bad);
        EXPECT_EQ(before + size_t(r.loaded), m_catalog.Count());
    }
}
