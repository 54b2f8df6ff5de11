// The editing frame without a display: enable rules, the group commands with their dialog, New,
// Open, time stop with move-to-start, and the group dialog's colour and texture steps.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "../support/ScopedEnv.h"
#include "../support/UniverseFixture.h"
#include "dialogs/ColorDlg.h"
#include "dialogs/OrbGroupDlg.h"
#include "engine/core/Shaders.h"
#include "frame/MainFrame.h"
#include "platform/FileDialog.h"
#include "platform/MessageQueue.h"
#include "platform/ColorDialog.h"
#include "platform/NativeToolBar.h"
#include "storage/UniverseFile.h"
#include "view/AppServices.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
// Runs every dialog at once: the scripted user acts on it; one still open afterwards is cancelled.
class CScriptedDialogs : public IDialogHost {
public:
    CScriptedDialogs() { SetDialogHost(this); }
    ~CScriptedDialogs() override { SetDialogHost(nullptr); }
    int RunModal(CDialog& dlg) override
    {
        dlg.OnInitDialog();
        if (m_user) m_user(dlg);
        if (!dlg.IsEnded()) dlg.EndDialog(IDCANCEL);
        return dlg.Result();
    }
    std::function<void(CDialog&)> m_user;
};

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessageQueue();
        SetAppServices(&m_app);
        m_app.m_editingMode = true;
        m_app.m_standardOrbCount = 5;
        m_app.m_installDir = UniverseResourceDir();
        m_oldFiles = SetFileDialogHandler([this](const SFileDialogOptions&, std::string* path) {
            if (m_answer.empty()) return false;
            *path = m_answer;
            return true;
        });
        m_frame = new CMainFrame;
        ASSERT_TRUE(m_frame->LoadFrame(RECT{0, 0, 640, 480}));
    }
    void TearDown() override
    {
        delete m_frame;
        g_universeContext.timeStopped = false;
        SetFileDialogHandler(m_oldFiles);
        SetAppServices(nullptr);
        ClearMessageQueue();
    }

    bool Offered(int id)
    {
        m_frame->UpdateToolBar();
        return m_frame->m_toolBar.Find(id)->enabled;
    }
    // The group command n (0..4) through a click on its button; the user enters count (and
    // texture and colour when given) and presses OK, or presses Delete this Group when count < 0.
    void DefineGroup(int n, int count, const std::string& texture = {}, COLORREF color = RGB(255, 255, 255))
    {
        m_dialogs.m_user = [&](CDialog& dlg) {
            auto& group = dynamic_cast<COrbGroupDlg&>(dlg);
            m_deleteOffered = group.GetDlgItem(COrbGroupDlg::kDeleteId)->enabled;
            m_colorOpensAt = group.SwatchColor();
            if (count < 0) {
                group.ClickControl(COrbGroupDlg::kDeleteId);
                return;
            }
            if (!texture.empty()) group.LoadTexture(texture);
            group.SetGroupColor(color);
            group.GetDlgItem(COrbGroupDlg::kCountId)->text = std::to_string(count);
            group.ClickControl(IDOK);
        };
        CToolBar& bar = m_frame->m_toolBar;
        const RECT r = bar.ButtonRect(3 + n);
        const LPARAM at = MakeLParam(int(r.left + 5), int(r.top + 5));
        m_frame->SendMessage(WM_LBUTTONDOWN, 0, at);
        m_frame->SendMessage(WM_LBUTTONUP, 0, at);
        SQueuedMessage m;
        while (PopQueuedMessage(&m))
            if (m.wnd == m_frame) m_frame->SendMessage(m.message, m.wParam, m.lParam);
    }
    // A 24-bit BMP of width x height in the test's folder.
    std::string MakeBitmap(const std::string& name, int width, int height)
    {
        CDIB dib(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) dib.SetPixel(x, y, 0x80000000u | uint32_t((x * 7) & 255) | uint32_t(y & 255) << 8);
        const std::string path = (m_temp.Path() / name).string();
        EXPECT_TRUE(dib.SaveBmp(path, ReplacingWriter()));
        return path;
    }

    CTempFolder m_temp{"nimbula-frame"};
    CScopedDataHome m_data{m_temp.Path() / "data"};
    CUniverseSandbox m_sandbox;
    CAppServices m_app;
    CScriptedDialogs m_dialogs;
    CMainFrame* m_frame = nullptr;
    std::string m_answer;
    FileDialogHandler m_oldFiles;
    bool m_deleteOffered = false;
    COLORREF m_colorOpensAt = 0;
};
}

TEST_F(Frame, GroupCommandsAreOfferedInTurnAndOnlyLaterGroupsCanBeDeleted)
{
    std::vector<int> ids;
    for (const SToolButton& b : m_frame->m_toolBar.m_buttons) ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<int>{57600, 57601, 57603, 32771, 32772, 33794, 33816, 33826, 33827, 32773, 57671, 57664}));
    EXPECT_EQ(CToolBar::TipOf(ID_FILE_NEW), "Recreate the universe from the groups you have defined");

    // A fresh frame: the first group command only, New greyed, About greyed for good.
    EXPECT_FALSE(Offered(ID_FILE_NEW));
    EXPECT_TRUE(Offered(ID_DEFINE_GROUP1));
    for (int n = 1; n < 5; ++n) EXPECT_FALSE(Offered(kDefineGroupIds[n])) << n;
    EXPECT_FALSE(Offered(ID_APP_ABOUT));
    EXPECT_TRUE(Offered(ID_FILE_OPEN) && Offered(ID_FILE_SAVE) && Offered(ID_STOP_START_TIME) && Offered(ID_MOVE_TO_START));
    // A greyed button does nothing when clicked.
    DefineGroup(2, 9);
    EXPECT_TRUE(m_frame->m_groups.empty());

    DefineGroup(0, 4);
    DefineGroup(1, 6, {}, RGB(0, 255, 0));
    ASSERT_EQ(m_frame->m_groups.size(), 2u);
    EXPECT_TRUE(Offered(ID_FILE_NEW));
    EXPECT_TRUE(Offered(ID_DEFINE_GROUP3));
    EXPECT_FALSE(Offered(ID_DEFINE_GROUP4));

    DefineGroup(1, -1);
    EXPECT_TRUE(m_deleteOffered);
    ASSERT_EQ(m_frame->m_groups.size(), 1u);
    EXPECT_FALSE(Offered(ID_DEFINE_GROUP3));
    EXPECT_TRUE(Offered(ID_FILE_NEW));

    // The first group cannot be deleted: its button is greyed, and nothing changes.
    DefineGroup(0, -1);
    EXPECT_FALSE(m_deleteOffered);
    ASSERT_EQ(m_frame->m_groups.size(), 1u);
    EXPECT_EQ(m_frame->m_groups[0].m_orbCount, 4);
    EXPECT_FALSE(Offered(ID_DEFINE_GROUP3));
    // Nor can one not yet defined; the dialog opens at the group's colour (white when new).
    DefineGroup(1, -1);
    EXPECT_FALSE(m_deleteOffered);
    EXPECT_EQ(m_colorOpensAt, RGB(255, 255, 255));
    ASSERT_EQ(m_frame->m_groups.size(), 1u);

    // Groups of the universe shown at start (a file loaded while the frame was made) are in
    // use: New and the next group command are offered before any group was set here.
    CMainFrame fresh;
    fresh.m_groups.emplace_back(nullptr, SFVec3f(1, 0, 0), 5);
    fresh.UpdateToolBar();
    EXPECT_TRUE(fresh.m_toolBar.Find(ID_FILE_NEW)->enabled);
    EXPECT_TRUE(fresh.m_toolBar.Find(ID_DEFINE_GROUP2)->enabled);
}

TEST_F(Frame, NewBuildsTheGroupsInOrderAndAGroupWithoutTextureStaysWithout)
{
    DefineGroup(0, 2, MakeBitmap("pattern.bmp", 100, 60), RGB(255, 0, 0));
    DefineGroup(1, 3, {}, RGB(0, 0, 255));
    C2DTextureShader* texture = m_frame->m_groups[0].m_pTexture;
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetPicture()->GetWidth(), 128);
    EXPECT_EQ(m_frame->m_groups[1].m_pTexture, nullptr);

    m_frame->OnCommand(ID_FILE_NEW);
    ASSERT_EQ(g_orbs.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const bool first = i < 2;
        EXPECT_EQ(g_orbs[i]->m_pTexture, first ? texture : nullptr) << i;
        EXPECT_EQ(g_orbs[i]->m_color.x, first ? 0.99609375 : 0.0) << i;
        EXPECT_EQ(g_orbs[i]->m_color.z, first ? 0.0 : 0.99609375) << i;
        // A save right after New keeps the places New chose.
        EXPECT_EQ(g_orbs[i]->m_startPosition, g_orbs[i]->m_position) << i;
    }
    // New can be repeated, and the texture outlives a replaced group while orbs carry it.
    EXPECT_TRUE(Offered(ID_FILE_NEW));
    DefineGroup(0, 2, {}, RGB(255, 0, 0));
    EXPECT_EQ(g_orbs[0]->m_pTexture->GetPicture()->GetWidth(), 128);

    // Both groups reopen as they are: the untextured one without a texture, the other with a copy.
    bool sawTexture = true;
    int count = 0;
    m_dialogs.m_user = [&](CDialog& dlg) {
        auto& group = dynamic_cast<COrbGroupDlg&>(dlg);
        sawTexture = group.m_texture != nullptr;
        count = group.m_groupCount;
    };
    m_frame->OnDefineGroup(1);
    EXPECT_FALSE(sawTexture);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(m_frame->m_groups[1].m_orbCount, 3);  // cancelled: unchanged
}

TEST_F(Frame, OpenReplacesTheGroupsSoSaveWritesWhatIsShown)
{
    // Two universes with groups of their own, and one without group definitions.
    auto write = [this](const char* name, const std::vector<int>& counts, double shade) {
        SUniverseFile file;
        file.m_hasGroups = !counts.empty();
        file.m_cameraView = {0, 0, -1};
        file.m_cameraUp = {0, -1, 0};
        file.m_cameraSide = file.m_cameraUp.CrossProduct(file.m_cameraView);
        // The running universe's box, so every stored place is taken.
        file.m_constants = *g_pConstants;
        for (size_t g = 0; g < std::max<size_t>(counts.size(), 1); ++g) {
            SUniverseGroupRecord& rec = file.m_groups.emplace_back();
            rec.m_color = {shade, 0.25 * double(g), 1.0};
            for (int i = 0; i < (counts.empty() ? 4 : counts[g]); ++i)
                rec.m_positions.emplace_back(10.0 * i - 50.0 * shade, 20.0 * double(g), 5.0);
        }
        const std::string path = (m_temp.Path() / name).string();
        WriteUniverseFile(path, file);
        return path;
    };
    const std::string a = write("a.nmd", {1, 2, 3}, 0.5), b = write("b.nmd", {4, 1}, 0.75);
    const std::string plain = write("plain.nmd", {}, 1.0);
    auto open = [this](const std::string& path) {
        m_answer = path;
        m_frame->OnCommand(ID_FILE_OPEN);
    };

    DefineGroup(0, 4);
    DefineGroup(1, 4);
    // The groups just set are unsaved work: Open asks first, and No lets them go.
    m_sandbox.m_reply = IDNO;
    open(a);
    EXPECT_EQ((std::vector<std::string>{kSaveChangesText}), m_sandbox.m_messages);
    ASSERT_EQ(m_frame->m_groups.size(), 3u);
    EXPECT_EQ(m_frame->m_groups[2].m_orbCount, 3);
    EXPECT_EQ(m_frame->m_groups[0].m_color, SFVec3f(0.5, 0.0, 1.0));
    EXPECT_FALSE(Offered(ID_DEFINE_GROUP5));
    // The same file twice, or another one: only its own groups.
    open(a);
    EXPECT_EQ(m_frame->m_groups.size(), 3u);
    open(b);
    ASSERT_EQ(m_frame->m_groups.size(), 2u);
    EXPECT_EQ(g_orbs.size(), 5u);

    // Saved and opened again: B as it was shown, group for group and orb for orb.
    SUniverseFile fromB, saved;
    ReadUniverseFile(b, fromB);
    m_answer = (m_temp.Path() / "saved.nmd").string();
    m_frame->OnCommand(ID_FILE_SAVE);
    ReadUniverseFile(m_answer, saved);
    ASSERT_TRUE(saved.m_hasGroups);
    ASSERT_EQ(saved.m_groups.size(), 2u);
    for (size_t g = 0; g < 2; ++g) {
        EXPECT_EQ(saved.m_groups[g].m_color, fromB.m_groups[g].m_color) << g;
        EXPECT_EQ(saved.m_groups[g].m_positions, fromB.m_groups[g].m_positions) << g;
    }
    open(m_answer);
    EXPECT_EQ(m_frame->m_groups.size(), 2u);
    EXPECT_EQ(g_orbs.size(), 5u);

    // A universe without group definitions leaves none; Save then writes its one record.
    open(plain);
    EXPECT_TRUE(m_frame->m_groups.empty());
    EXPECT_EQ(g_orbs.size(), 4u);
    EXPECT_FALSE(Offered(ID_DEFINE_GROUP2));
    m_frame->OnCommand(ID_FILE_SAVE);
    ReadUniverseFile(m_answer, saved);
    EXPECT_FALSE(saved.m_hasGroups);
    EXPECT_EQ(saved.OrbCount(), 4u);
}

TEST_F(Frame, WhatTheUserBuiltIsWhatIsSaved)
{
    const std::string path = (m_temp.Path() / "built.nmd").string();
    auto saved = [&] {
        m_answer = path;
        m_frame->OnCommand(ID_FILE_SAVE);
        SUniverseFile file;
        ReadUniverseFile(path, file);
        return file;
    };
    DefineGroup(0, 3, {}, RGB(255, 0, 0));
    DefineGroup(1, 2, {}, RGB(0, 255, 0));
    DefineGroup(2, 4, {}, RGB(0, 0, 255));
    m_frame->OnCommand(ID_FILE_NEW);
    std::vector<SFVec3f> places;
    for (const COrb* orb : g_orbs) places.push_back(orb->m_startPosition);

    // Counts changed and a group deleted before New: every other group keeps its own places.
    DefineGroup(0, 1, {}, RGB(255, 0, 0));
    DefineGroup(1, -1);
    // (A release then throws with nothing, below.)
    g_pConstants->m_throwForce = 0.0;
    SUniverseFile file = saved();
    ASSERT_EQ(file.m_groups.size(), 2u);
    EXPECT_EQ(file.m_groups[0].m_positions, std::vector<SFVec3f>(places.begin(), places.begin() + 1));
    EXPECT_EQ(file.m_groups[1].m_positions, std::vector<SFVec3f>(places.begin() + 5, places.end()));
    EXPECT_EQ(file.m_groups[1].m_color, SFVec3f(0.0, 0.0, 0.99609375));
    EXPECT_FALSE(m_frame->IsModified());

    // With time stopped a moved orb is unsaved work, and Save keeps the places shown.
    m_frame->OnCommand(ID_STOP_START_TIME);
    EXPECT_FALSE(m_frame->IsModified());
    const SFVec3f place(-120, 80, 40);
    CUniverseView& view = m_frame->m_view;
    view.m_dragOrb = g_orbs[6]->m_pShape;
    view.m_dragPoint = place;
    view.ReleaseAndThrow();
    EXPECT_TRUE(m_frame->IsModified());
    file = saved();
    EXPECT_EQ(file.m_groups[1].m_positions[1], place);
    EXPECT_EQ(file.m_groups[1].m_positions[0], g_orbs[5]->m_pShape->GetAbsolutePosition());
    EXPECT_FALSE(m_frame->IsModified());
    m_frame->OnCommand(ID_STOP_START_TIME);

    // Open with unsaved work asks; Cancel keeps the work and the universe on show.
    DefineGroup(2, 7);
    m_sandbox.m_messages.clear();
    m_sandbox.m_reply = IDCANCEL;
    m_answer = path;
    m_frame->OnCommand(ID_FILE_OPEN);
    EXPECT_EQ((std::vector<std::string>{kSaveChangesText}), m_sandbox.m_messages);
    ASSERT_EQ(m_frame->m_groups.size(), 3u);
    EXPECT_EQ(m_frame->m_groups[2].m_orbCount, 7);
    EXPECT_EQ(g_orbs.size(), 9u);
    EXPECT_TRUE(m_frame->IsModified());
}

TEST_F(Frame, MoveToStartReturnsOrbsToWhereTheyWereDraggedWhileTimeStood)
{
    DefineGroup(0, 6);
    m_frame->OnCommand(ID_FILE_NEW);
    // A release throws with nothing: the orb stays exactly where the hand left it.
    g_pConstants->m_throwForce = 0.0;

    m_frame->OnCommand(ID_STOP_START_TIME);
    ASSERT_TRUE(g_universeContext.timeStopped);
    EXPECT_TRUE(m_frame->m_toolBar.Find(ID_STOP_START_TIME)->checked);
    const SFVec3f still = g_orbs[0]->m_position;
    CUniverseSandbox::Frame();
    EXPECT_EQ(g_orbs[0]->m_position, still);

    const SFVec3f places[2] = {{-200, 120, 50}, {150, -90, -100}};
    CUniverseView& view = m_frame->m_view;
    for (int i = 0; i < 2; ++i) {
        view.m_dragOrb = g_orbs[size_t(i) + 2]->m_pShape;
        view.m_dragPoint = places[i];
        view.m_throwVector = {3, 4, 5};
        view.ReleaseAndThrow();
    }
    m_frame->OnCommand(ID_STOP_START_TIME);
    ASSERT_FALSE(g_universeContext.timeStopped);
    for (int k = 0; k < 30; ++k) CUniverseSandbox::Frame();
    EXPECT_NE(g_orbs[2]->m_position, places[0]);

    m_frame->OnCommand(ID_MOVE_TO_START);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(g_orbs[size_t(i) + 2]->m_position, places[i]) << i;
        EXPECT_EQ(g_orbs[size_t(i) + 2]->m_pShape->GetAbsolutePosition(), places[i]) << i;
    }
}

TEST_F(Frame, ColourConversionsAndTheColourDialogsEntries)
{
    COrbGroupDlg dlg;
    dlg.SetGroupColor(RGB(255, 255, 255));
    EXPECT_EQ(dlg.m_groupColor, SFVec3f(0.99609375, 0.99609375, 0.99609375));
    EXPECT_EQ(dlg.SwatchColor(), RGB(254, 254, 254));
    dlg.SetGroupColor(RGB(128, 0, 64));
    EXPECT_EQ(dlg.m_groupColor, SFVec3f(0.5, 0.0, 0.25));
    EXPECT_EQ(dlg.SwatchColor(), RGB(127, 0, 63));
    // A host that paints frames from data shows the swatch in that colour, and no preview yet.
    const SFramePicture swatch = dlg.FramePicture(COrbGroupDlg::kSwatchId);
    EXPECT_TRUE(swatch.filled);
    EXPECT_EQ(swatch.color, RGB(127, 0, 63));
    EXPECT_EQ(dlg.FramePicture(COrbGroupDlg::kPreviewId).rgba, nullptr);

    std::vector<std::string> said;
    const MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        said.push_back(text);
        return IDOK;
    });
    CColorDlg color(RGB(1, 2, 3));
    color.OnInitDialog();
    EXPECT_EQ(color.EnteredColor(), RGB(1, 2, 3));
    color.GetDlgItem(CColorDlg::kGreenId)->text = "256";
    color.OnOK();
    color.GetDlgItem(CColorDlg::kGreenId)->text = "";
    color.OnOK();
    EXPECT_FALSE(color.IsEnded());
    EXPECT_EQ(said, (std::vector<std::string>{"Please enter an integer between 0 and 255.", "Please enter an integer."}));
    color.EnterColor(RGB(255, 255, 255));
    color.OnOK();
    EXPECT_EQ(color.GetColor(), RGB(255, 255, 255));

    // The orb count: empty and beyond the room left for the group are refused, the dialog stays.
    said.clear();
    COrbGroupDlg group;
    group.m_maxCount = 500;
    group.OnInitDialog();
    group.GetDlgItem(COrbGroupDlg::kCountId)->text = " ";
    group.OnOK();
    group.GetDlgItem(COrbGroupDlg::kCountId)->text = "501";
    group.OnOK();
    EXPECT_FALSE(group.IsEnded());
    // The range says why it ends where it does.
    EXPECT_EQ(said, (std::vector<std::string>{"Please enter an integer.", "Please enter an integer between 1 and 500.\n"
                                              "The other groups hold 99,500 of the 100,000 orbs a universe can have."}));
    EXPECT_EQ(group.m_groupCount, 1);
    SetMessageBoxHandler(old);
}

TEST_F(Frame, SetColorAsksAnInstalledColourHandlerAtTheSwatchColour)
{
    std::vector<uint32_t> asked;
    bool answer = true;
    const ColorDialogHandler old = SetColorDialogHandler([&](uint32_t initial, uint32_t* chosen) {
        asked.push_back(initial);
        *chosen = 0xFF000000u | RGB(128, 0, 64);  // bits above the colour's are not the colour's
        return answer;
    });
    COrbGroupDlg group;
    group.OnInitDialog();
    group.SetGroupColor(RGB(0, 255, 0));
    group.ClickControl(COrbGroupDlg::kSetColorId);
    EXPECT_EQ(asked, (std::vector<uint32_t>{RGB(0, 254, 0)}));
    EXPECT_EQ(group.m_groupColor, SFVec3f(0.5, 0.0, 0.25));
    // Cancelled: the group keeps its colour.
    answer = false;
    group.ClickControl(COrbGroupDlg::kSetColorId);
    EXPECT_EQ(group.m_groupColor, SFVec3f(0.5, 0.0, 0.25));
    // OK on the colour it opened with keeps the group's own, however often: nothing drifts.
    answer = true;
    const SFVec3f own(1.0, 0.35, 0.3);
    group.m_groupColor = own;
    for (int i = 0; i < 3; ++i) {
        SetColorDialogHandler([&](uint32_t initial, uint32_t* chosen) {
            *chosen = initial;
            return true;
        });
        group.ClickControl(COrbGroupDlg::kSetColorId);
    }
    EXPECT_EQ(group.m_groupColor, own);
    SetColorDialogHandler(old);
}

namespace {
// A system toolbar as the frame sees it: its buttons, its height and the states it was given.
struct SFakeNativeBar : INativeToolBar {
    static inline std::vector<SNativeToolButton> s_made;
    static inline int s_imageSize = 0;
    static inline std::map<int, std::pair<bool, bool>> s_states;
    static inline long s_fittedTo = 0;
    void SetState(int id, bool enabled, bool checked) override { s_states[id] = {enabled, checked}; }
    long Fit(long clientWidth) override
    {
        s_fittedTo = clientWidth;
        return 29;
    }
    static std::unique_ptr<INativeToolBar> Make(CWnd&, const std::vector<SNativeToolButton>& buttons, int imageSize)
    {
        s_made = buttons;
        s_imageSize = imageSize;
        return std::make_unique<SFakeNativeBar>();
    }
};
}

TEST_F(Frame, ASystemToolBarGetsTheButtonsAndTheirStatesAndThePaneStandsBelowIt)
{
    SetNativeToolBarMaker(SFakeNativeBar::Make);
    auto* frame = new CMainFrame;
    const bool made = frame->LoadFrame(RECT{0, 0, 500, 400});
    SetNativeToolBarMaker(nullptr);
    ASSERT_TRUE(made);
    std::vector<SNativeToolButton>& buttons = SFakeNativeBar::s_made;
    ASSERT_EQ(buttons.size(), 12u);
    EXPECT_EQ(SFakeNativeBar::s_imageSize, 32);
    EXPECT_EQ(buttons[0].id, ID_FILE_NEW);
    EXPECT_EQ(buttons[0].tip, "Recreate the universe from the groups you have defined");
    EXPECT_EQ(fs::path(buttons[1].image).filename(), "open.png");
    EXPECT_EQ(fs::path(buttons[1].disabledImage).filename(), "open-disabled.png");
    EXPECT_TRUE(fs::is_regular_file(buttons[1].disabledImage));
    // The pane takes the client area below the bar's own height.
    RECT pane, client;
    frame->m_view.GetWindowRect(&pane);
    frame->GetWindowRect(&client);
    EXPECT_EQ(pane.top - client.top, 29);
    EXPECT_EQ(RectWidth(pane), 500);
    EXPECT_EQ(SFakeNativeBar::s_fittedTo, 500);
    // The update rules reach the bar: greyed, offered, pressed in.
    auto state = [](int id) { return SFakeNativeBar::s_states.at(id); };
    EXPECT_EQ(state(ID_DEFINE_GROUP2), std::make_pair(false, false));
    EXPECT_EQ(state(ID_APP_ABOUT), std::make_pair(false, false));
    frame->SendMessage(WM_COMMAND, ID_STOP_START_TIME);
    EXPECT_EQ(state(ID_STOP_START_TIME), std::make_pair(true, true));
    frame->m_groups.emplace_back(nullptr, SFVec3f(1, 0, 0), 5);
    frame->UpdateToolBar();
    EXPECT_EQ(state(ID_DEFINE_GROUP2), std::make_pair(true, false));
    delete frame;
}

TEST_F(Frame, TexturesAreMadeOpaqueAndTileableWithinTheSizeCap)
{
    CDIB wide(1500, 700), wider(1600, 700), tiling(256, 128);
    COrbGroupDlg::FitTilingSize(wide);
    COrbGroupDlg::FitTilingSize(wider);
    COrbGroupDlg::FitTilingSize(tiling);
    EXPECT_EQ(wide.GetWidth(), 1024);
    EXPECT_EQ(wide.GetHeight(), 512);
    // 2048 is closest to 1600: the cap takes it to 1024.
    EXPECT_EQ(wider.GetWidth(), 1024);
    EXPECT_EQ(tiling.GetWidth(), 256);
    EXPECT_EQ(tiling.GetHeight(), 128);

    COrbGroupDlg dlg;
    ASSERT_TRUE(dlg.LoadTexture(MakeBitmap("odd.bmp", 100, 60)));
    ASSERT_NE(dlg.m_texture, nullptr);
    EXPECT_EQ(dlg.m_texture->GetWidth(), 128);
    EXPECT_EQ(dlg.m_texture->GetHeight(), 64);
    EXPECT_EQ(dlg.m_texture->GetPixel(5, 5) >> 24, 255u);
    ASSERT_NE(dlg.m_preview, nullptr);
    const SFramePicture preview = dlg.FramePicture(COrbGroupDlg::kPreviewId);
    EXPECT_EQ(preview.rgba, dlg.m_preview->Pixels());
    EXPECT_EQ(preview.width, dlg.m_preview->GetWidth());
    EXPECT_EQ(preview.height, dlg.m_preview->GetHeight());

    // A file that is no picture, or none at all: the message, and the texture chosen before stays
    // with its preview.
    const std::string bad = (m_temp.Path() / "bad.bmp").string();
    std::ofstream(bad) << "not a bitmap";
    const CDIB* chosen = dlg.m_texture.get();
    const CDIB* shown = dlg.m_preview.get();
    const unsigned revision = dlg.m_previewRevision;
    const std::string missing = (m_temp.Path() / "missing.bmp").string();
    for (const std::string& path : {bad, missing}) {
        m_sandbox.m_messages.clear();
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(dlg.LoadTexture(path));
        // Which file and why, on standard error.
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  path + (path == bad ? ": not a BMP or PNG image\n" : ": file not found\n"));
        EXPECT_EQ(m_sandbox.m_messages, (std::vector<std::string>{kTextureErrorText}));
        EXPECT_EQ(dlg.m_texture.get(), chosen);
        EXPECT_EQ(dlg.m_preview.get(), shown);
        EXPECT_EQ(dlg.m_previewRevision, revision);
    }
    EXPECT_EQ(dlg.m_texture->GetWidth(), 128);
    // A good one after it takes the place of both.
    ASSERT_TRUE(dlg.LoadTexture(MakeBitmap("square.bmp", 32, 32)));
    EXPECT_EQ(dlg.m_texture->GetWidth(), 32);
    EXPECT_NE(dlg.m_previewRevision, revision);
}

TEST_F(Frame, TheGripperDocksTheBarOnTheSideWhereItIsLetGoAndThePaneTakesTheRest)
{
    CToolBar& bar = m_frame->m_toolBar;
    const long t = bar.Height();
    auto drag = [&](int x, int y) {
        const RECT g = bar.GripperRect();
        m_frame->SendMessage(WM_LBUTTONDOWN, 0, MakeLParam(int(g.left + 2), int(g.top + 2)));
        m_frame->SendMessage(WM_MOUSEMOVE, 0, MakeLParam(320, 240));
        m_frame->SendMessage(WM_MOUSEMOVE, 0, MakeLParam(x, y));
        m_frame->SendMessage(WM_LBUTTONUP, 0, MakeLParam(x, y));
    };
    auto pane = [&] {
        RECT r;
        m_frame->m_view.GetWindowRect(&r);
        RECT f;
        m_frame->GetWindowRect(&f);
        return RECT{r.left - f.left, r.top - f.top, r.right - f.left, r.bottom - f.top};
    };
    EXPECT_EQ(pane().top, t);

    // Let go near the left edge: a column there, buttons one under another, the pane beside it.
    drag(10, 200);
    EXPECT_EQ(bar.m_side, EDockSide::Left);
    EXPECT_FALSE(bar.m_dragging);
    EXPECT_EQ(pane().left, t);
    EXPECT_EQ(pane().top, 0);
    EXPECT_EQ(pane().right, 640);
    EXPECT_EQ(bar.ButtonRect(1).left, bar.ButtonRect(0).left);
    EXPECT_EQ(bar.ButtonRect(1).top, bar.ButtonRect(0).bottom);
    // The buttons still work where they now stand.
    const RECT open = bar.ButtonRect(3);
    EXPECT_EQ(bar.HitTest(int(open.left + 3), int(open.top + 3)), 3);

    drag(630, 300);
    EXPECT_EQ(bar.m_side, EDockSide::Right);
    EXPECT_EQ(pane().right, 640 - t);
    drag(300, 475);
    EXPECT_EQ(bar.m_side, EDockSide::Bottom);
    EXPECT_EQ(pane().bottom, 480 - t);
    EXPECT_EQ(bar.ButtonRect(0).top, 480 - t + CToolBar::kMargin);
    // A drag let go on the bar's own side leaves it there.
    drag(300, 470);
    EXPECT_EQ(bar.m_side, EDockSide::Bottom);
    drag(300, 3);
    EXPECT_EQ(bar.m_side, EDockSide::Top);
    EXPECT_EQ(pane().top, t);

    // The smallest frame is too short for a column of every button: the bar wraps into a
    // second column, and each button shows and works, over neither another nor the pane.
    m_frame->MoveWindow(RECT{0, 0, CMainFrame::kMinWidth, CMainFrame::kMinHeight});
    drag(10, 200);
    ASSERT_EQ(bar.m_side, EDockSide::Left);
    EXPECT_GT(bar.Height(), t);
    EXPECT_EQ(pane().left, bar.Height());
    for (int i = 0; i < int(bar.m_buttons.size()); ++i) {
        const RECT r = bar.ButtonRect(i);
        EXPECT_LE(r.bottom, CMainFrame::kMinHeight) << i;
        EXPECT_LE(r.right, pane().left) << i;
        EXPECT_EQ(bar.HitTest(int(r.left + 3), int(r.top + 3)), i);
    }
}

TEST_F(Frame, ClosingWithUnsavedWorkAsksAndKeepsTheFrameUnlessToldOtherwise)
{
    std::vector<std::string> asked;
    int reply = IDCANCEL;
    const MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned type) {
        asked.push_back(text);
        EXPECT_EQ(MB_YESNOCANCEL, type & 0xF);
        return reply;
    });
    auto closes = [&] {
        m_frame->SendMessage(WM_CLOSE);
        return !m_frame->IsWindow();
    };
    // Nothing done yet: the frame closes without a word (checked last, on a frame of its own).
    EXPECT_FALSE(m_frame->IsModified());

    // A group set: Cancel keeps the frame; Yes with the save question cancelled keeps it too.
    DefineGroup(0, 3);
    EXPECT_TRUE(m_frame->IsModified());
    EXPECT_FALSE(closes());
    reply = IDYES;
    EXPECT_FALSE(closes());
    ASSERT_EQ(2u, asked.size());
    EXPECT_EQ(kSaveChangesText, asked[0]);

    // Save clears the mark; New, time started again and a changed constant each set it again.
    m_answer = (m_temp.Path() / "saved.nmd").string();
    m_frame->OnCommand(ID_FILE_SAVE);
    EXPECT_FALSE(m_frame->IsModified());
    m_frame->OnCommand(ID_FILE_NEW);
    EXPECT_TRUE(m_frame->IsModified());
    m_frame->OnCommand(ID_FILE_SAVE);
    m_frame->OnCommand(ID_STOP_START_TIME);
    EXPECT_FALSE(m_frame->IsModified());
    m_frame->OnCommand(ID_STOP_START_TIME);
    EXPECT_TRUE(m_frame->IsModified());
    m_frame->OnCommand(ID_FILE_SAVE);
    g_pConstants->m_gravity += 1.0;
    EXPECT_TRUE(m_frame->IsModified());
    // Open replaces what was on screen: nothing unsaved; a cancelled Open changes nothing.
    m_frame->OnCommand(ID_FILE_OPEN);
    EXPECT_FALSE(m_frame->IsModified());
    DefineGroup(1, 2);
    m_answer.clear();
    m_frame->OnCommand(ID_FILE_OPEN);
    EXPECT_TRUE(m_frame->IsModified());

    // Yes saves (here under a new name) and closes; the file holds the work.
    asked.clear();
    m_answer = (m_temp.Path() / "on-close.nmd").string();
    EXPECT_TRUE(closes());
    EXPECT_EQ(1u, asked.size());
    SUniverseFile saved;
    ReadUniverseFile(m_answer, saved);
    EXPECT_TRUE(saved.m_hasGroups);

    // No closes without saving; a frame with nothing unsaved closes without asking.
    for (bool edited : {true, false}) {
        delete m_frame;
        m_frame = new CMainFrame;
        ASSERT_TRUE(m_frame->LoadFrame(RECT{0, 0, 640, 480}));
        if (edited) DefineGroup(0, 1);
        asked.clear();
        reply = IDNO;
        m_answer = (m_temp.Path() / "never.nmd").string();
        EXPECT_TRUE(closes());
        EXPECT_EQ(edited ? 1u : 0u, asked.size());
        EXPECT_FALSE(fs::exists(m_answer));
    }
    SetMessageBoxHandler(old);
}
