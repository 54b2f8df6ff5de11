// Universe files: round trips through the running universe, damaged and hostile files, the
// start-up load, the file questions and the mended save.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "../support/ExpectNear.h"
#include "../support/ScopedEnv.h"
#include "../support/UniverseFixture.h"
#include "engine/core/Archive.h"
#include "engine/core/ModelFile.h"
#include "engine/core/PersistantObject.h"
#include "platform/FileDialog.h"
#include "storage/SettingsStore.h"
#include "storage/UniverseFile.h"
#include "storage/UniverseLibrary.h"
#include "universe/Random.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
const std::string kMissing = "Selected file is missing or corrupted.";
const std::string kOld = "This is an old Nimbula file and cannot be read by this program.";
const std::string kFailed = "Could not successfully load file.";

// The application as the program has it: loads go through the universe-file loader.
class CLoaderApp : public CAppServices {
public:
    std::vector<COrbGroup>* m_pGroups = nullptr;
    SLoadOutcome LoadUniverse(const std::string* path) override { return ::LoadUniverse(path, m_pGroups); }
};

// A picture whose every pixel differs, so a texture read back can be compared byte for byte.
C2DTextureShader* MakeTexture(int w, int h, uint32_t seed)
{
    auto* picture = new CDIB(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) picture->SetPixel(x, y, (uint32_t(x * 7919 + y * 104729) * 2654435761u) ^ seed);
    auto* texture = new COrbTexture(2);
    texture->SetPicture(picture);
    return texture;
}

bool SamePicture(const CDIB* a, const CDIB* b)
{
    return a && b && a->GetWidth() == b->GetWidth() && a->GetHeight() == b->GetHeight() &&
           std::memcmp(a->Pixels(), b->Pixels(), size_t(a->GetWidth()) * a->GetHeight() * 4) == 0;
}

// The running universe as a test can compare it: which orbs, the constants, the camera.
struct SUniverseSnapshot {
    std::vector<COrb*> orbs;
    std::vector<uint8_t> constants;
    SFVec3f camera;
};

class UniverseFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config.emplace("XDG_CONFIG_HOME", (m_temp.Path() / "config").string().c_str());
        m_data.emplace(m_temp.Path() / "data");
        fs::create_directories(UniverseLibraryFolder());
        SetAppServices(&m_app);
        m_app.m_pSettingsStore = &m_store;
        m_app.m_standardOrbCount = 7;
        m_app.m_mainWindowRect = RECT{0, 0, 320, 200};
        m_app.m_pGroups = &m_groups;
        m_oldDialog = SetFileDialogHandler([this](const SFileDialogOptions& o, std::string* path) {
            m_asked.push_back(o);
            if (m_answer.empty()) return false;
            *path = m_answer;
            return true;
        });
    }
    void TearDown() override
    {
        delete m_view;
        SetFileDialogHandler(m_oldDialog);
        SetAppServices(nullptr);
    }

    // The universe window, created as the program creates it (its scene holds the orbs).
    CUniverseView& View()
    {
        if (!m_view) {
            m_view = new CUniverseView(0);
            EXPECT_TRUE(m_view->CreateFullScreen(nullptr));
        }
        return *m_view;
    }
    std::string Path(const char* name) const { return (m_temp.Path() / name).string(); }

    // The orbs of groups as the editing frame's New makes them, each at a start place of its own.
    // Builds the groups' orbs in order, as New does, each group knowing its own.
    static void MakeOrbsOf(std::vector<COrbGroup>& groups)
    {
        DeleteAllOrbs();
        int i = 0;
        for (COrbGroup& g : groups) {
            g.SetBuiltOrbs(g_orbs.size(), size_t(g.m_orbCount));
            for (int n = 0; n < g.m_orbCount; ++n, ++i) {
                auto* orb = new COrb(nullptr);
                orb->m_color = g.m_color;
                AddOrb(orb);
                if (g.m_pTexture) orb->SetTexture(g.m_pTexture);
                orb->m_startPosition = SFVec3f(i * 10.0 - 40.0, i * 5.0, -i * 3.0);
            }
        }
    }

    // A small universe written straight into a file: one untextured group with these positions.
    void WriteFile(const std::string& path, const std::vector<SFVec3f>& positions, const SFVec3f& view = {0, 0, -1},
                   const SFVec3f& up = {0, -1, 0})
    {
        SUniverseFile f;
        f.m_cameraPosition = {0, 0, 700};
        f.m_cameraView = view;
        f.m_cameraUp = up;
        f.m_cameraSide = f.m_cameraUp.CrossProduct(f.m_cameraView);
        f.m_hasGroups = true;
        f.m_groups.emplace_back().m_positions = positions;
        f.m_constants = *g_pConstants;
        f.m_constants.m_boundaryMin = {-300, -300, -200};
        f.m_constants.m_boundaryMax = {300, 300, 200};
        f.m_constants.m_boundarySize = {600, 600, 400};
        WriteUniverseFile(path, f);
    }

    // A container holding stream as it stands.
    static void WriteStream(const std::string& path, const std::vector<uint8_t>& stream)
    {
        CUMF umf;
        umf.Create(path, ReplacingWriter());
        umf.Write(stream.data(), stream.size());
        umf.Close();
    }

    static SUniverseSnapshot Snapshot()
    {
        SUniverseSnapshot s;
        s.orbs = g_orbs;
        s.constants.assign(g_pConstants->Bytes(), g_pConstants->Bytes() + CUniversalConstants::kSize);
        if (const CUniverseView* v = GetAppServices()->m_pUniverseView) s.camera = v->m_camera->GetAbsolutePosition();
        return s;
    }

    CTempFolder m_temp{"nimbula_universe_files_"};
    std::optional<CScopedEnv> m_config;
    std::optional<CScopedDataHome> m_data;
    CUniverseSandbox m_sandbox;
    CSettingsStore m_store;
    CLoaderApp m_app;
    CUniverseView* m_view = nullptr;
    std::vector<COrbGroup> m_groups;
    FileDialogHandler m_oldDialog;
    std::vector<SFileDialogOptions> m_asked;
    std::string m_answer;
};
}

TEST_F(UniverseFiles, GroupsRoundTripWithTexturesOfEverySizeAndAGroupWithout)
{
    CUniverseView& view = View();
    m_app.m_editingMode = true;
    std::vector<COrbGroup> saved;
    saved.emplace_back(MakeTexture(64, 32, 1), SFVec3f(1.0, 0.25, 0.125), 3);
    saved.emplace_back(nullptr, SFVec3f(0.5, 1.0, 0.75), 2);
    saved.emplace_back(MakeTexture(8, 16, 2), SFVec3f(0.0, 0.5, 1.0), 4);
    MakeOrbsOf(saved);
    g_pConstants->m_gravity = 42.0;
    g_pConstants->m_spinning = 1;
    g_pConstants->m_padding236[2] = 9;
    view.m_camera->SetAbsolutePosition({30.0, -40.0, 500.0});
    view.m_camera->SetAbsoluteViewpoint(SFVec3f(-0.1, 0.2, -1.0).Normalized());
    const SFVec3f cameraView = view.m_camera->GetAbsoluteViewpoint(), cameraUp = view.m_camera->GetAbsoluteUp();
    const std::vector<uint8_t> constants(g_pConstants->Bytes(), g_pConstants->Bytes() + CUniversalConstants::kSize);
    const std::string path = Path("groups.nmd");
    ASSERT_TRUE(SaveUniverse(saved, &path));

    // Another universe in between, and one group already defined in the frame.
    SetOrbCount(1);
    g_pConstants->m_gravity = 0.0;
    view.m_camera->SetAbsolutePosition({0.0, 0.0, 900.0});
    view.m_autoRedraw = true;
    m_groups.emplace_back(nullptr, SFVec3f(1, 1, 1), 5);
    View().m_cameraOffset = {1.0, 2.0, 3.0};

    LoadUniverse(&path, &m_groups);
    EXPECT_TRUE(m_sandbox.m_messages.empty());
    ASSERT_EQ(g_orbs.size(), 9u);
    size_t i = 0;
    for (size_t g = 0; g < saved.size(); ++g) {
        for (int n = 0; n < saved[g].m_orbCount; ++n, ++i) {
            const COrb& orb = *g_orbs[i];
            EXPECT_EQ(orb.m_color, saved[g].m_color) << i;
            const double k = double(i);
            const SFVec3f start(k * 10.0 - 40.0, k * 5.0, -k * 3.0);
            EXPECT_EQ(orb.m_startPosition, start) << i;
            EXPECT_EQ(orb.m_position, start) << i;
            EXPECT_EQ(orb.m_pShape->GetAbsolutePosition(), start) << i;
            if (saved[g].m_pTexture) {
                // Every orb of a textured group carries the group's texture; the first is the file's own.
                ASSERT_NE(orb.m_pTexture, nullptr) << i;
                EXPECT_EQ(orb.m_pShape->GetShader(1), orb.m_pTexture);
                EXPECT_TRUE(SamePicture(orb.m_pTexture->GetPicture(), saved[g].m_pTexture->GetPicture())) << i;
                EXPECT_EQ(orb.m_fromFile, n == 0 ? 1 : 0) << i;
            } else {
                EXPECT_EQ(orb.m_pTexture, nullptr) << i;
                EXPECT_EQ(orb.m_fromFile, 0);
            }
        }
    }
    // The loaded groups take the place of the one the frame had, sharing their orbs' textures.
    ASSERT_EQ(m_groups.size(), 3u);
    for (size_t g = 0; g < saved.size(); ++g) {
        EXPECT_EQ(m_groups[g].m_color, saved[g].m_color);
        EXPECT_EQ(m_groups[g].m_orbCount, saved[g].m_orbCount);
        EXPECT_EQ(m_groups[g].m_pTexture != nullptr, saved[g].m_pTexture != nullptr);
    }
    EXPECT_EQ(m_groups[0].m_pTexture, g_orbs[0]->m_pTexture);
    EXPECT_EQ(m_groups[2].m_pTexture, g_orbs[5]->m_pTexture);
    EXPECT_EQ(0, std::memcmp(g_pConstants->Bytes(), constants.data(), CUniversalConstants::kSize));
    ExpectNear(view.m_camera->GetAbsolutePosition(), {30.0, -40.0, 500.0});
    ExpectNear(view.m_camera->GetAbsoluteViewpoint(), cameraView);
    ExpectNear(view.m_camera->GetAbsoluteUp(), cameraUp);
    EXPECT_EQ(view.m_followCentre, SFVec3f(30.0, -40.0, 500.0));
    EXPECT_EQ(view.m_cameraOffset, SFVec3f::kZero);
    EXPECT_TRUE(view.m_autoRedraw);
    EXPECT_EQ(m_store.GetDefaultUniverseFile(), path);

    // Outside the editing frame the groups only make orbs.
    m_app.m_editingMode = false;
    m_groups.emplace_back(nullptr, SFVec3f(1, 1, 1), 5);
    LoadUniverse(&path, &m_groups);
    EXPECT_EQ(m_groups.size(), 4u);
    EXPECT_EQ(g_orbs.size(), 9u);
}

TEST_F(UniverseFiles, AUniverseWithoutGroupsRoundTripsAsOneWhiteRecord)
{
    View();
    m_app.m_editingMode = true;
    ASSERT_EQ(g_orbs.size(), 7u);
    std::vector<SFVec3f> places;
    for (COrb* orb : g_orbs) places.push_back(orb->m_pShape->GetAbsolutePosition());
    const std::string path = Path("plain.nmd");
    ASSERT_TRUE(SaveUniverse({}, &path));

    SUniverseFile file;
    ReadUniverseFile(path, file);
    EXPECT_FALSE(file.m_hasGroups);
    ASSERT_EQ(file.m_groups.size(), 1u);
    EXPECT_EQ(file.m_groups[0].m_color, SFVec3f(1, 1, 1));
    EXPECT_EQ(file.m_groups[0].m_positions, places);
    EXPECT_TRUE(SamePicture(file.m_groups[0].m_pImage, g_groupTextures[0]->GetPicture()));

    SetOrbCount(3);
    LoadUniverse(&path, &m_groups);
    EXPECT_TRUE(m_groups.empty());
    ASSERT_EQ(g_orbs.size(), 7u);
    for (size_t i = 0; i < g_orbs.size(); ++i) {
        EXPECT_EQ(g_orbs[i]->m_color, SFVec3f(1, 1, 1));
        EXPECT_EQ(g_orbs[i]->m_position, places[i]);
        EXPECT_TRUE(SamePicture(g_orbs[i]->m_pTexture->GetPicture(), g_groupTextures[0]->GetPicture()));
    }
}

TEST_F(UniverseFiles, DamagedFilesShowTheirMessagesInOrderAndChangeNothing)
{
    CUniverseView& view = View();
    m_store.SetDefaultUniverseFile("before.nmd");
    const std::string good = Path("good.nmd");
    WriteFile(good, {{1, 2, 3}, {4, 5, 6}});
    std::vector<uint8_t> stream;
    {
        CUMF umf;
        umf.Open(good);
        CArchiveReader ar = umf.ReadStream();
        stream.resize(ar.Remaining());
        ar.ReadBytes(stream.data(), stream.size());
    }
    const size_t stringAt = stream.size() - 708 - 4;
    auto withI32 = [&](size_t at, int32_t v) {
        std::vector<uint8_t> s = stream;
        std::memcpy(&s[at], &v, 4);
        return s;
    };
    // Byte offsets in the stream of a file with one untextured record of two orbs.
    const size_t groupCountAt = 4 + 4 * 24, flagAt = groupCountAt + 4 + 24, orbCountAt = flagAt + 4;
    std::vector<uint8_t> zeroInString = stream;
    zeroInString[stringAt + 4 + 100] = 0;
    std::vector<uint8_t> hugeImage = withI32(flagAt, 1);
    hugeImage.resize(flagAt + 4);
    for (uint32_t v : {8192u, 8192u}) hugeImage.insert(hugeImage.end(), {uint8_t(v), uint8_t(v >> 8), 0, 0});
    std::vector<uint8_t> wideImage = hugeImage;
    wideImage[flagAt + 4 + 1] = 0x40;  // 16384 wide
    std::vector<uint8_t> nanCamera = stream;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&nanCamera[4 + 24], &nan, 8);

    struct SCase {
        const char* what;
        std::vector<uint8_t> stream;
        std::vector<std::string> messages;
    };
    const std::vector<SCase> cases = {
        {"old version", withI32(0, 769), {kOld, kFailed}},
        {"string of 707", withI32(stringAt, 707), {kFailed}},
        {"string of 709", withI32(stringAt, 709), {kFailed}},
        {"negative string length", withI32(stringAt, -1), {kFailed}},
        {"huge string length", withI32(stringAt, 0x7FFFFFFF), {kFailed}},
        {"zero byte in the string", zeroInString, {kFailed}},
        {"huge group count", withI32(groupCountAt, 0x7FFFFFFF), {kFailed}},
        {"huge orb count", withI32(orbCountAt, 0x7FFFFFFF), {kFailed}},
        {"negative orb count", withI32(orbCountAt, -2), {kFailed}},
        {"image larger than the file", hugeImage, {kFailed}},
        {"image wider than any", wideImage, {kFailed}},
        {"camera not a number", nanCamera, {kFailed}},
    };
    std::vector<std::pair<std::string, std::vector<std::string>>> files;
    for (const SCase& c : cases) {
        files.emplace_back(Path((std::string(c.what) + ".nmd").c_str()), c.messages);
        WriteStream(files.back().first, c.stream);
    }
    // Cut anywhere, the file fails whole.
    for (size_t cut : {size_t(0), size_t(3), size_t(60), groupCountAt + 2, orbCountAt + 30, stringAt + 100, stream.size() - 1}) {
        files.emplace_back(Path(("cut at " + std::to_string(cut) + ".nmd").c_str()), std::vector<std::string>{kFailed});
        WriteStream(files.back().first, std::vector<uint8_t>(stream.begin(), stream.begin() + long(cut)));
    }
    files.emplace_back(Path("missing.nmd"), std::vector<std::string>{kMissing, kFailed});
    files.emplace_back(Path("text.nmd"), std::vector<std::string>{kMissing, kFailed});
    std::ofstream(files.back().first) << "not a universe";
    files.emplace_back(m_temp.Path().string(), std::vector<std::string>{kMissing, kFailed});

    const SUniverseSnapshot before = Snapshot();
    for (const auto& [path, messages] : files) {
        m_sandbox.m_messages.clear();
        view.m_autoRedraw = false;
        const SLoadOutcome outcome = LoadUniverse(&path, &m_groups);
        EXPECT_TRUE(outcome.Failed()) << path;
        // What the outcome says is what the user was shown.
        EXPECT_EQ(outcome.messages, messages) << path;
        EXPECT_EQ(m_sandbox.m_messages, messages) << path;
        const SUniverseSnapshot after = Snapshot();
        EXPECT_EQ(after.orbs, before.orbs) << path;
        EXPECT_EQ(after.constants, before.constants) << path;
        EXPECT_EQ(after.camera, before.camera) << path;
        // The window goes on drawing.
        EXPECT_TRUE(view.m_autoRedraw) << path;
    }
    EXPECT_TRUE(m_groups.empty());
    EXPECT_EQ(m_store.GetDefaultUniverseFile(), "before.nmd");
    EXPECT_TRUE(LoadUniverse(&good, &m_groups).Loaded());
    EXPECT_EQ(g_orbs.size(), 2u);

    // The preview keeps drawing only when asked, failed load or not.
    m_app.m_previewMode = true;
    view.m_autoRedraw = true;
    EXPECT_TRUE(LoadUniverse(&files.back().first, nullptr).Failed());
    EXPECT_FALSE(view.m_autoRedraw);
}

TEST_F(UniverseFiles, APlaceOutsideTheBoxKeepsTheOrbWhereItWasPut)
{
    View();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::string path = Path("outside.nmd");
    WriteFile(path, {{10, 20, 30}, {1000, 0, 0}, {300, -300, 200}, {nan, 0, 0}, {0, 0, -200.5}});
    LoadUniverse(&path, nullptr);
    ASSERT_EQ(g_orbs.size(), 5u);
    EXPECT_EQ(g_orbs[0]->m_position, SFVec3f(10, 20, 30));
    EXPECT_EQ(g_orbs[2]->m_position, SFVec3f(300, -300, 200));  // the box's bounds are inside
    const C3RRegion box(g_pConstants->m_boundaryMin, g_pConstants->m_boundaryMax);
    for (size_t i : {1u, 3u, 4u}) {
        const COrb& orb = *g_orbs[i];
        EXPECT_TRUE(box.Contains(orb.m_position)) << i;
        EXPECT_EQ(orb.m_startPosition, orb.m_position) << i;
        EXPECT_EQ(orb.m_pShape->GetAbsolutePosition(), orb.m_position) << i;
    }
    // Move to start keeps them there too.
    const SFVec3f kept = g_orbs[1]->m_position;
    g_orbs[1]->m_position = g_orbs[1]->m_pShape->m_position = SFVec3f::kZero;
    MoveOrbsToStart();
    EXPECT_EQ(g_orbs[1]->m_position, kept);
}

TEST_F(UniverseFiles, ACameraThatMakesNoFrameStillGivesOne)
{
    CUniverseView& view = View();
    const std::string path = Path("camera.nmd");
    const SFVec3f cases[][2] = {
        {{0, 0, 0}, {0, -1, 0}},          // no view at all
        {{0, 0, -2}, {0, 0, 5}},          // up along the view
        {{1e300, 1e300, 0}, {0, -1, 0}},  // lengths that overflow
        {{0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        WriteFile(path, {{0, 0, 0}}, c[0], c[1]);
        LoadUniverse(&path, nullptr);
        const CLocalCoordinateSystem& cs = *view.m_camera;
        EXPECT_EQ(cs.m_position, SFVec3f(0, 0, 700));
        for (const SFVec3f& v : {cs.m_view, cs.m_up, cs.m_side}) EXPECT_NEAR(v.Length(), 1.0, 1e-9);
        EXPECT_NEAR(cs.m_view.DotProduct(cs.m_up), 0.0, 1e-9);
        ExpectNear(cs.m_up.CrossProduct(cs.m_view), cs.m_side);
    }
}

TEST_F(UniverseFiles, EveryGroupKeepsItsOwnOrbsWhateverBecameOfTheOtherCounts)
{
    View();
    std::vector<COrbGroup> groups;
    groups.emplace_back(MakeTexture(4, 4, 3), SFVec3f(1, 0, 0), 3);
    groups.emplace_back(nullptr, SFVec3f(0, 1, 0), 2);
    groups.emplace_back(nullptr, SFVec3f(0, 0, 1), 4);
    MakeOrbsOf(groups);
    std::vector<SFVec3f> own[3];
    for (size_t i = 0; i < g_orbs.size(); ++i) own[i < 3 ? 0 : i < 5 ? 1 : 2].push_back(g_orbs[i]->m_startPosition);
    const uint32_t randState = RandState();

    // New not pressed: the first group shrinks, the second is deleted, the third grows, and a
    // fourth is defined.
    groups[0].m_orbCount = 1;
    groups.erase(groups.begin() + 1);
    groups[1].m_orbCount = 6;
    groups.emplace_back(nullptr, SFVec3f(1, 1, 0), 2);
    const std::string path = Path("edited.nmd");
    ASSERT_TRUE(SaveUniverse(groups, &path));
    // A save draws nothing from the universe's own sequence.
    EXPECT_EQ(randState, RandState());

    SUniverseFile file;
    ReadUniverseFile(path, file);
    ASSERT_EQ(file.m_groups.size(), 3u);
    EXPECT_EQ(file.m_groups[0].m_positions, std::vector<SFVec3f>(own[0].begin(), own[0].begin() + 1));
    EXPECT_TRUE(SamePicture(file.m_groups[0].m_pImage, groups[0].m_pTexture->GetPicture()));
    EXPECT_EQ(file.m_groups[1].m_color, SFVec3f(0, 0, 1));
    ASSERT_EQ(file.m_groups[1].m_positions.size(), 6u);
    EXPECT_EQ(std::vector<SFVec3f>(file.m_groups[1].m_positions.begin(), file.m_groups[1].m_positions.begin() + 4), own[2]);
    // Orbs New has not made yet start inside the box, at distinct places.
    ASSERT_EQ(file.m_groups[2].m_positions.size(), 2u);
    const SFVec3f extra[] = {file.m_groups[1].m_positions[4], file.m_groups[1].m_positions[5],
                             file.m_groups[2].m_positions[0], file.m_groups[2].m_positions[1]};
    for (const SFVec3f& p : extra) {
        EXPECT_LE(std::abs(p.x), 300.0);
        EXPECT_LE(std::abs(p.y), 300.0);
        EXPECT_LE(std::abs(p.z), 200.0);
    }
    EXPECT_NE(extra[0], extra[1]);
    EXPECT_NE(extra[1], extra[2]);

    // Orbs the options took away since are left out; the group is filled up as above.
    SetOrbCount(6);
    ASSERT_TRUE(SaveUniverse(groups, &path));
    ReadUniverseFile(path, file);
    EXPECT_EQ(file.m_groups[0].m_positions, std::vector<SFVec3f>(own[0].begin(), own[0].begin() + 1));
    EXPECT_EQ(file.m_groups[1].m_positions.size(), 6u);
    EXPECT_EQ(file.m_groups[1].m_positions[0], own[2][0]);
    EXPECT_NE(file.m_groups[1].m_positions[1], own[2][1]);
    LoadUniverse(&path, nullptr);
    EXPECT_EQ(g_orbs.size(), 9u);
}

TEST_F(UniverseFiles, SavingAsksGoesThroughATemporaryFileAndNamesAFailure)
{
    View();
    const std::string target = (UniverseLibraryFolder() / "mine.nmd").string();
    std::ofstream(target) << "an older file";

    // Cancelled: nothing is written.
    EXPECT_FALSE(SaveUniverse({}));
    ASSERT_EQ(m_asked.size(), 1u);
    const SFileDialogOptions& o = m_asked[0];
    EXPECT_TRUE(o.save);
    EXPECT_TRUE(o.confirmOverwrite);
    EXPECT_EQ(o.filter, "Nimbula Data (*.nmd)|*.nmd|");
    EXPECT_EQ(o.defaultExt, "nmd");
    EXPECT_EQ(o.initialDir, UniverseLibraryFolder().string());

    m_answer = target;
    EXPECT_TRUE(SaveUniverse({}));
    SUniverseFile file;
    ReadUniverseFile(target, file);
    EXPECT_EQ(file.OrbCount(), 7u);
    EXPECT_EQ(std::distance(fs::directory_iterator(UniverseLibraryFolder()), fs::directory_iterator()), 1);

    const std::string nowhere = Path("no such folder/x.nmd");
    EXPECT_FALSE(SaveUniverse({}, &nowhere));
    ASSERT_EQ(m_sandbox.m_messages.size(), 1u);
    EXPECT_NE(m_sandbox.m_messages[0].find(nowhere), std::string::npos) << m_sandbox.m_messages[0];
    EXPECT_NE(m_sandbox.m_messages[0].find("does not exist"), std::string::npos);
    // A folder where the file should go: the rename fails and the folder stays as it was.
    const std::string inTheWay = Path("folder.nmd");
    fs::create_directories(fs::path(inTheWay) / "inside");
    EXPECT_FALSE(SaveUniverse({}, &inTheWay));
    EXPECT_TRUE(fs::is_directory(fs::path(inTheWay) / "inside"));
    // A name longer than the system allows: the system's own reason.
    m_sandbox.m_messages.clear();
    const std::string tooLong = Path((std::string(256, 'n') + ".nmd").c_str());
    EXPECT_FALSE(SaveUniverse({}, &tooLong));
    ASSERT_EQ(m_sandbox.m_messages.size(), 1u);
#ifdef _WIN32
    // The system's own words for the failed create, whichever code it picks for such a name.
    const std::string message = m_sandbox.m_messages[0];
    EXPECT_EQ(message.find("no permission, or the disk is full"), std::string::npos) << message;
    EXPECT_NE(message.find("there: "), std::string::npos) << message;
#else
    EXPECT_NE(m_sandbox.m_messages[0].find(std::make_error_code(std::errc::filename_too_long).message()),
              std::string::npos)
        << m_sandbox.m_messages[0];
#endif
    // No temporary file is left behind by any of them.
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(m_temp.Path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(UniverseFiles, PathsResolveAgainstTheCurrentDirectoryAndTheQuestionOpensInTheLibrary)
{
    const fs::path cwd = fs::current_path();
    EXPECT_EQ(ResolveUniversePath("/abs/x.nmd"), "/abs/x.nmd");
    EXPECT_EQ(ResolveUniversePath("x.nmd"), (cwd / "x.nmd").string());
    EXPECT_EQ(ResolveUniversePath("sub/x.nmd"), (cwd / "sub/x.nmd").string());
    // A Windows drive path means nothing here: it is a name like any other.
    EXPECT_EQ(ResolveUniversePath("C:\\x.nmd"), (cwd / "C:\\x.nmd").string());

    View();
    const std::string full = (UniverseLibraryFolder() / "here.nmd").string();
    WriteFile(full, {{1, 1, 1}});
    fs::current_path(UniverseLibraryFolder());
    const std::string name = "here.nmd";
    LoadUniverse(&name, nullptr);
    EXPECT_EQ(g_orbs.size(), 1u);
    EXPECT_EQ(m_store.GetDefaultUniverseFile(), (fs::current_path() / name).string());

    // No path: the open question, in the library; cancelling changes nothing.
    View().m_autoRedraw = false;
    EXPECT_EQ(LoadUniverse(nullptr, nullptr).result, SLoadOutcome::EResult::Cancelled);
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_FALSE(m_asked[0].save);
    EXPECT_EQ(m_asked[0].filter, "Nimbula Data (*.nmd)|*.nmd|");
    EXPECT_EQ(m_asked[0].defaultExt, "nmd");
    EXPECT_EQ(m_asked[0].initialDir, UniverseLibraryFolder().string());
    EXPECT_EQ(g_orbs.size(), 1u);
    EXPECT_TRUE(View().m_autoRedraw);
}

TEST_F(UniverseFiles, TheWindowStartsWithTheDefaultUniverseOrFallsBackToTheStandardOne)
{
    const std::string path = Path("default.nmd");
    WriteFile(path, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    m_app.m_defaultUniverse = path;
    View();
    EXPECT_TRUE(m_sandbox.m_messages.empty());
    ASSERT_EQ(g_orbs.size(), 3u);
    EXPECT_EQ(g_orbs[2]->m_position, SFVec3f(7, 8, 9));
    EXPECT_EQ(m_store.GetDefaultUniverseFile(), path);
    delete m_view;
    m_view = nullptr;

    // Deleted since: the path and the reason on standard error, both messages shown over the
    // standard universe (already in the scene when they show), which stays.
    fs::remove(path);
    std::vector<size_t> orbsBehind;
    const MessageBoxHandler collect = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        m_sandbox.m_messages.push_back(text);
        orbsBehind.push_back(g_universeContext.scene && !g_universeContext.scene->Objects().empty() ? g_orbs.size() : 0);
        return IDOK;
    });
    ::testing::internal::CaptureStderr();
    View();
    const std::string said = ::testing::internal::GetCapturedStderr();
    SetMessageBoxHandler(collect);
    EXPECT_EQ(said, path + ": file not found\n");
    EXPECT_EQ(m_sandbox.m_messages, (std::vector<std::string>{kMissing, kFailed}));
    EXPECT_EQ(orbsBehind, (std::vector<size_t>{7, 7}));
    EXPECT_EQ(g_orbs.size(), 7u);
    EXPECT_EQ(m_view->m_scene->Objects().size(), 1u);
    EXPECT_TRUE(m_view->m_autoRedraw);
}
