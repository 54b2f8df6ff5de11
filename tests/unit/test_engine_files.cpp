// Engine files: model-file round trips and damaged model files; images through files and streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/core/Archive.h"
#include "engine/core/Dib.h"
#include "engine/core/FileIO.h"
#include "engine/core/Geometry.h"
#include "engine/core/ModelFile.h"
#include "engine/core/PersistantObject.h"
#include "engine/core/QLException.h"
#include "engine/core/Shape.h"
#include "support/ScopedEnv.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
// A fresh folder per test and a private default catalog, both dropped afterwards.
class EngineFiles : public ::testing::Test {
protected:
    CTempFolder m_temp{"nimbula_files_"};
    CPersistantObjectCatalog* m_pSaved = nullptr;
    CPersistantObjectCatalog m_catalog;

    void SetUp() override
    {
        m_pSaved = CPersistantObject::DefaultCatalog();
        CPersistantObject::BindDefaultCatalog(&m_catalog);
    }
    void TearDown() override
    {
        CPersistantObject::BindDefaultCatalog(m_pSaved);
    }
    std::string Path(const char* name) const { return (m_temp.Path() / name).string(); }
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
        umf.Create(Path("model.umf"), ReplacingWriter());
        umf.StoreObject(*shape);
        umf.StoreObject(loose);
        umf.Close();
    }
    // Only the finished file remains; the temporary was renamed into place.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(m_temp.Path()), fs::directory_iterator()));

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
        umf.Create(path, ReplacingWriter());
        std::unique_ptr<CShape> shape(MakeShape("a"));
        umf.StoreObject(*shape);
        // Dropped without Close: the old file must be untouched.
    }
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), ReadFile(path));
    EXPECT_THROW(CUMF().Create(Path("no/such/folder/model.umf"), ReplacingWriter()), CQLException);

    CUMF umf;
    EXPECT_THROW(umf.LoadObject(), CQLException);  // neither opened nor created
    std::unique_ptr<CShape> shape(MakeShape("a"));
    EXPECT_THROW(umf.StoreObject(*shape), CQLException);
}

TEST_F(EngineFiles, ModelFileCarriesARawStreamAfterItsHeader)
{
    const std::string path = Path("raw.umf");
    {
        CUMF umf;
        umf.Create(path, ReplacingWriter());
        umf.Write("abc", 3);
        umf.WriteStream().WriteI32(-770);
        EXPECT_THROW(umf.ReadStream(), CQLException);  // nothing to read while writing
        umf.Close();
    }
    EXPECT_EQ((std::vector<uint8_t>{'N', 'U', 'M', 'F', 1, 0, 0, 0, 'a', 'b', 'c', 0xFE, 0xFC, 0xFF, 0xFF}), ReadFile(path));

    CUMF umf;
    umf.Open(path);
    char abc[3];
    umf.Read(abc, 2);
    EXPECT_EQ(abc[0], 'a');
    // The rest is read in place from where Read left off.
    CArchiveReader rest = umf.ReadStream();
    EXPECT_EQ(rest.Remaining(), 5u);
    umf.Read(abc, 1);
    EXPECT_EQ(abc[0], 'c');
    EXPECT_EQ(umf.ReadStream().ReadI32(), -770);
    EXPECT_THROW(umf.Read(abc, 5), CQLException);
    EXPECT_THROW(umf.Write("x", 1), CQLException);
    // A size bound of the caller's own.
    EXPECT_THROW(CUMF().Open(path, 14), CQLException);
}

TEST_F(EngineFiles, ModelFileRefusesForeignHeaders)
{
    EXPECT_THROW(CUMF().Open(Path("missing.umf")), CQLException);
    EXPECT_THROW(CUMF().Open(m_temp.Path().string()), CQLException);  // a folder
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
        umf.Create(good, ReplacingWriter());
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

namespace {
CDIB RandomImage(int w, int h, uint32_t seed, bool opaque)
{
    std::mt19937 rng(seed);
    CDIB dib(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib.SetPixel(x, y, uint32_t(rng()) | (opaque ? 0xFF000000u : 0u));
    return dib;
}

bool SamePixels(const CDIB& a, const CDIB& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::equal(a.Pixels(), a.Pixels() + size_t(a.GetWidth()) * a.GetHeight() * 4, b.Pixels());
}

int Channel(const CDIB& d, int x, int y, int c) { return int(d.GetPixel(x, y) >> (8 * c) & 0xFF); }

// Largest channel difference between two pixels.
int PixelStep(const CDIB& d, int x0, int y0, int x1, int y1)
{
    int m = 0;
    for (int c = 0; c < 4; ++c) m = std::max(m, std::abs(Channel(d, x0, y0, c) - Channel(d, x1, y1, c)));
    return m;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const char* what)
{
    try {
        CDIB::FromMemory(bytes.data(), bytes.size());
        ADD_FAILURE() << what << " (" << bytes.size() << " bytes) was accepted";
    } catch (const CQLException&) {
    }
}
}

TEST_F(EngineFiles, ImageRoundTripsThroughPngBmpAndStream)
{
    const CDIB png = RandomImage(37, 23, 1, false);
    ASSERT_TRUE(png.SavePng(Path("a.png"), ReplacingWriter()));
    EXPECT_TRUE(SamePixels(png, CDIB(Path("a.png"))));
    const std::vector<uint8_t> bytes = ReadFile(Path("a.png"));
    EXPECT_TRUE(SamePixels(png, CDIB::FromMemory(bytes.data(), bytes.size())));

    const CDIB bmp = RandomImage(19, 31, 2, true);
    ASSERT_TRUE(bmp.SaveBmp(Path("a.bmp"), ReplacingWriter()));
    EXPECT_TRUE(SamePixels(bmp, CDIB(Path("a.bmp"))));

    EXPECT_FALSE(CDIB().SavePng(Path("empty.png"), ReplacingWriter()));
    EXPECT_FALSE(png.SavePng(Path("no/such/folder/a.png"), ReplacingWriter()));
    EXPECT_THROW(CDIB(Path("missing.png")), CQLException);

    CArchiveWriter w;
    png.Serialize(w);
    bmp.Serialize(w);
    CArchiveReader r(w.Bytes());
    CDIB a, b;
    a.Serialize(r);
    b.Serialize(r);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_TRUE(SamePixels(png, a));
    EXPECT_TRUE(SamePixels(bmp, b));
    CArchiveWriter none;
    EXPECT_THROW(CDIB().Serialize(none), CQLException);
}

TEST_F(EngineFiles, DamagedImageStreamsThrowAndKeepTheImage)
{
    const CDIB keep = RandomImage(4, 4, 3, false);
    auto expectRefused = [&](const std::vector<uint8_t>& bytes) {
        CDIB dib = keep;
        CArchiveReader r(bytes);
        EXPECT_THROW(dib.Serialize(r), CQLException);
        EXPECT_TRUE(SamePixels(keep, dib));
    };
    CArchiveWriter good;
    keep.Serialize(good);
    std::vector<uint8_t> bytes = good.Bytes();
    for (size_t n = 0; n < bytes.size(); n += 5) expectRefused(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    auto withSize = [&](uint32_t w, uint32_t h) {
        CArchiveWriter ar;
        ar.WriteU32(w);
        ar.WriteU32(h);
        ar.WriteBytes(bytes.data() + 8, bytes.size() - 8);
        return ar.Bytes();
    };
    expectRefused(withSize(0, 4));
    expectRefused(withSize(4, 0));
    expectRefused(withSize(CDIB::kMaxSide + 1, 1));
    expectRefused(withSize(0x40000000, 0x40000000));  // would overflow 32-bit size arithmetic
    expectRefused(withSize(5, 4));                      // one row more than the stream holds
}

TEST_F(EngineFiles, DamagedImageFilesThrow)
{
    ExpectRefused({}, "empty data");
    ExpectRefused({'B', 'M'}, "bare signature");
    std::mt19937 rng(99);
    std::vector<uint8_t> noise(300);
    for (auto& b : noise) b = uint8_t(rng());
    ExpectRefused(noise, "noise");

    const CDIB dib = RandomImage(16, 9, 4, true);
    ASSERT_TRUE(dib.SavePng(Path("a.png"), ReplacingWriter()));
    ASSERT_TRUE(dib.SaveBmp(Path("a.bmp"), ReplacingWriter()));
    for (const char* name : {"a.png", "a.bmp"}) {
        const std::vector<uint8_t> file = ReadFile(Path(name));
        // Every cut file is refused rather than decoded with missing pixels (a PNG may lose its
        // closing 12-byte end chunk, which holds none).
        const size_t ending = std::string(name) == "a.png" ? 12 : 0;
        for (size_t n = 0; n + ending < file.size(); ++n)
            ExpectRefused(std::vector<uint8_t>(file.begin(), file.begin() + n), name);
        // Flipped bytes: decoded to the declared size or refused, never a crash.
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> damaged = file;
            for (int k = 0; k < 4; ++k) damaged[rng() % damaged.size()] = uint8_t(rng());
            try {
                const CDIB d = CDIB::FromMemory(damaged.data(), damaged.size());
                EXPECT_FALSE(d.IsEmpty());
            } catch (const CQLException&) {
            }
        }
    }
    // Random noise behind a valid signature reaches the decoders themselves.
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> damaged = ReadFile(Path(round % 2 ? "a.png" : "a.bmp"));
        for (size_t i = 16 + rng() % 40; i < damaged.size(); ++i) damaged[i] = uint8_t(rng());
        try {
            CDIB::FromMemory(damaged.data(), damaged.size());
        } catch (const CQLException&) {
        }
    }
    WriteFile(Path("bad.png"), noise);
    EXPECT_THROW(CDIB(Path("bad.png")), CQLException);

    // A data chunk that claims far more bytes than the file holds is refused before the decoder
    // takes memory for it.
    std::vector<uint8_t> png = ReadFile(Path("a.png"));
    const auto idat = std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    ASSERT_NE(idat, png.end());
    const size_t lengthAt = size_t(idat - png.begin()) - 4;
    png[lengthAt] = 0x7F;
    png[lengthAt + 1] = 0xFF;
    try {
        CDIB::FromMemory(png.data(), png.size());
        ADD_FAILURE() << "a chunk longer than the file was decoded";
    } catch (const CQLException& e) {
        EXPECT_NE(e.What().find("chunk"), std::string::npos) << e.What();
    }
}

TEST_F(EngineFiles, ImageFlipRescaleAndTilingSizes)
{
    CDIB dib = RandomImage(5, 3, 5, false);
    const CDIB before = dib;
    dib.VerticalFlip();
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(before.GetPixel(x, 0), dib.GetPixel(x, 2));
        EXPECT_EQ(before.GetPixel(x, 1), dib.GetPixel(x, 1));
        EXPECT_EQ(before.GetPixel(x, 2), dib.GetPixel(x, 0));
    }
    dib.VerticalFlip();
    EXPECT_TRUE(SamePixels(before, dib));

    // A flat colour stays flat at any size; a horizontal ramp stays a ramp.
    CDIB flat(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) flat.SetPixel(x, y, 0xFF3080C0u);
    flat.FPRescale(64, 7);
    ASSERT_EQ(64, flat.GetWidth());
    ASSERT_EQ(7, flat.GetHeight());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 64; ++x) EXPECT_LE(PixelStep(flat, x, y, 0, 0), 1);
    EXPECT_NEAR(0xC0, Channel(flat, 10, 3, 0), 1);
    CDIB ramp(64, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) ramp.SetPixel(x, y, 0xFF000000u | uint32_t(x * 4));
    ramp.FPRescale(16, 2);
    for (int x = 1; x < 16; ++x) EXPECT_GT(Channel(ramp, x, 1, 0), Channel(ramp, x - 1, 1, 0));
    EXPECT_THROW(ramp.FPRescale(0, 5), CQLException);
    EXPECT_THROW(ramp.FPRescale(5, CDIB::kMaxSide + 1), CQLException);
    EXPECT_THROW(CDIB().FPRescale(4, 4), CQLException);
    EXPECT_THROW(CDIB(-1, 5), CQLException);

    const std::pair<int, int> sizes[] = {{-3, 1}, {0, 1}, {1, 1}, {3, 4}, {5, 4}, {6, 8}, {95, 64},
                                         {97, 128}, {1000, 1024}, {8192, 8192}, {20000, 8192}};
    for (auto [n, expected] : sizes) EXPECT_EQ(expected, CDIB::GetClosestTilingSize(n)) << n;
    EXPECT_TRUE(CDIB(64, 16).IsTileable());
    EXPECT_FALSE(CDIB(64, 24).IsTileable());
}

TEST_F(EngineFiles, TileablePictMatchesOppositeEdges)
{
    // Ramps in both directions plus noise: the edges differ as much as they can before.
    const int w = 48, h = 40;
    CDIB dib = RandomImage(w, h, 6, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t noise = dib.GetPixel(x, y) & 0x0F0F0F0Fu;
            dib.SetPixel(x, y, noise + (uint32_t(x * 5) | uint32_t(y * 6) << 8 | 0xE0000000u));
        }
    auto widestStep = [&](const CDIB& d, bool acrossEdges) {
        int m = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool wrapsX = x == w - 1, wrapsY = y == h - 1;
                if (acrossEdges ? wrapsX : !wrapsX) m = std::max(m, PixelStep(d, x, y, (x + 1) % w, y));
                if (acrossEdges ? wrapsY : !wrapsY) m = std::max(m, PixelStep(d, x, y, x, (y + 1) % h));
            }
        return m;
    };
    ASSERT_GT(widestStep(dib, true), 200);
    const CDIB original = dib;
    dib.TileablePict();
    EXPECT_EQ(w, dib.GetWidth());
    // Across the borders the picture now steps no more than it does inside.
    EXPECT_LE(widestStep(dib, true), widestStep(dib, false));
    EXPECT_LT(widestStep(dib, true), 40);
    // The middle keeps the picture; the borders show its middle, shifted out there.
    int keptInMiddle = 0, shiftedToCorner = 0;
    for (int c = 0; c < 4; ++c) {
        const int middle = Channel(original, w / 2, h / 2, c);
        keptInMiddle = std::max(keptInMiddle, std::abs(Channel(dib, w / 2, h / 2, c) - middle));
        shiftedToCorner = std::max(shiftedToCorner, std::abs(Channel(dib, 0, 0, c) - middle));
    }
    EXPECT_LE(keptInMiddle, 2);
    EXPECT_LE(shiftedToCorner, 2);
}

// A folder or a device where a file should be is refused at once and called what it is.
TEST_F(EngineFiles, ReadingANonFileSaysWhatItIs)
{
    const auto reason = [](const std::string& path) {
        try {
            ReadWholeFile(path, 1000);
        } catch (const CQLException& e) {
            return e.What();
        }
        return std::string("read");
    };
    EXPECT_EQ(reason(Path("missing")), "file not found: " + Path("missing"));
    EXPECT_EQ(reason(m_temp.Path().string()), "not a file but a folder: " + m_temp.Path().string());
    if (fs::exists("/dev/zero")) {
        EXPECT_EQ(reason("/dev/zero"), "not a file but a device: /dev/zero");
    }
}
