// Dialogs without a display: the keyboard rules, data exchange, the share dialog's buttons, and the
// view's dialog keys (one press, one dialog; the view frozen while it runs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "dialogs/AboutDlg.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/WebSupportDlg.h"
#include "platform/Dialog.h"
#include "platform/DialogFit.h"
#include "dialogs/ShareDlg.h"
#include "tests/support/ViewFixture.h"
#include "universe/UniversalConstants.h"
#include "view/AppServices.h"

namespace {
// Collects every message the program shows.
class CMessageLog {
public:
    CMessageLog()
    {
        m_old = SetMessageBoxHandler([this](const std::string& text, unsigned) {
            m_texts.push_back(text);
            return IDOK;
        });
    }
    ~CMessageLog() { SetMessageBoxHandler(m_old); }
    std::vector<std::string> m_texts;

private:
    MessageBoxHandler m_old;
};

// Runs every dialog at once: a scripted user acts, then the dialog ends as OK if it is still open.
class CScriptedHost : public IDialogHost {
public:
    CScriptedHost() { SetDialogHost(this); }
    ~CScriptedHost() override { SetDialogHost(nullptr); }
    int RunModal(CDialog& dlg) override
    {
        ++m_runs;
        dlg.OnInitDialog();
        if (m_user) m_user(dlg);
        if (!dlg.IsEnded()) dlg.OnCommand(IDOK, BN_CLICKED);
        return dlg.Result();
    }
    std::function<void(CDialog&)> m_user;
    int m_runs = 0;
};

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(999, "Test", 200, 100)
    {
        AddControl(EControl::Static, -1, "label", 0, 0, 10, 10);
        AddControl(EControl::Edit, 10, "", 0, 0, 10, 10);
        AddControl(EControl::CheckBox, 11, "check", 0, 0, 10, 10);
        AddControl(EControl::Slider, 12, "", 0, 0, 10, 10);
        AddControl(EControl::ComboBox, 13, "", 0, 0, 10, 10).items = {"a", "b", "c"};
        AddControl(EControl::PushButton, IDCANCEL, "Cancel", 0, 0, 10, 10);
        AddControl(EControl::DefPushButton, IDOK, "OK", 0, 0, 10, 10);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, 10, m_count);
        DDX_Check(pDX, 11, m_check);
        DDX_Slider(pDX, 12, m_slider);
        DDX_CBIndex(pDX, 13, m_item);
    }
    BOOL OnCommand(int id, int code) override
    {
        if (id == 13 && code == CBN_SETFOCUS) ++m_listFocus;
        return CDialog::OnCommand(id, code);
    }
    int m_count = 5, m_check = 1, m_slider = 140, m_item = 7, m_listFocus = 0;
};
}

TEST(DialogLogic, KeyboardWalksTheControlsAndPressesButtons)
{
    CTestDialog dlg;
    dlg.OnInitDialog();
    // Members reach the controls; a slider shows a position within its range, a combo no bad index.
    EXPECT_EQ("5", dlg.GetDlgItem(10)->text);
    EXPECT_EQ(100, dlg.GetDlgItem(12)->value);
    EXPECT_EQ(-1, dlg.GetDlgItem(13)->selection);
    ASSERT_EQ(10, dlg.FocusControl()->id);

    // Tab skips labels and greyed controls, wraps, and Shift+Tab goes back; the list hears of it.
    dlg.EnableControl(11, false);
    dlg.OnDialogKey(VK_TAB, false);
    EXPECT_EQ(12, dlg.FocusControl()->id);
    dlg.OnDialogKey(VK_LEFT, false);
    EXPECT_EQ(99, dlg.GetDlgItem(12)->value);
    dlg.OnDialogKey(VK_TAB, false);
    EXPECT_EQ(1, dlg.m_listFocus);
    dlg.OnDialogKey(VK_DOWN, false);
    dlg.OnDialogKey(VK_DOWN, false);
    EXPECT_EQ(1, dlg.GetDlgItem(13)->selection);
    dlg.OnDialogKey(VK_TAB, false);
    dlg.OnDialogKey(VK_TAB, false);
    dlg.OnDialogKey(VK_TAB, false);
    EXPECT_EQ(10, dlg.FocusControl()->id);
    dlg.OnDialogKey(VK_TAB, true);
    EXPECT_EQ(IDOK, dlg.FocusControl()->id);

    // Space on a focused button presses that button; Return elsewhere presses the default one.
    dlg.OnDialogKey(VK_TAB, true);
    dlg.OnDialogKey(VK_SPACE, false);
    EXPECT_TRUE(dlg.IsEnded());
    EXPECT_EQ(IDCANCEL, dlg.Result());

    CTestDialog second;
    second.OnInitDialog();
    second.GetDlgItem(10)->text = " 42 ";
    second.OnDialogKey(VK_RETURN, false);
    EXPECT_EQ(IDOK, second.Result());
    EXPECT_EQ(42, second.m_count);
    EXPECT_EQ(-1, second.m_item);

    CTestDialog third;
    third.OnInitDialog();
    third.OnDialogKey(VK_ESCAPE, false);
    EXPECT_EQ(IDCANCEL, third.Result());
}

TEST(DialogLogic, AWholeNumberIsRequiredBeforeOk)
{
    CMessageLog log;
    for (const char* bad : {"", "  ", "12x", "1.5", "99999999999", "- 3"}) {
        CTestDialog dlg;
        dlg.OnInitDialog();
        dlg.GetDlgItem(10)->text = bad;
        dlg.OnCommand(IDOK, BN_CLICKED);
        EXPECT_FALSE(dlg.IsEnded()) << '"' << bad << '"';
        EXPECT_EQ(5, dlg.m_count);
    }
    EXPECT_EQ(6u, log.m_texts.size());
    EXPECT_EQ("Please enter an integer.", log.m_texts[0]);
}

TEST(DialogLogic, WithoutAHostADialogEndsAsCancelled)
{
    CTestDialog dlg;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(5, dlg.m_count);
}

namespace {
// Draws dialogs as the program's host does: each frame the scripted mouse acts on the controls
// while the frame is open; the queued commands run after it. A dialog that opens while a frame
// is open fails the test, as ImGui's frame check ends the program.
class CFrameHost : public IDialogHost {
public:
    CFrameHost() { SetDialogHost(this); }
    ~CFrameHost() override { SetDialogHost(nullptr); }
    int RunModal(CDialog& dlg) override
    {
        EXPECT_FALSE(m_inFrame) << "a dialog opened inside a frame";
        ++m_runs;
        dlg.OnInitDialog();
        for (int frame = 0; frame < 3 && !dlg.IsEnded(); ++frame) {
            m_inFrame = true;
            if (m_mouse) m_mouse(dlg, frame);
            m_inFrame = false;
            dlg.DispatchCommands();
        }
        if (!dlg.IsEnded()) dlg.EndDialog(IDABORT);
        return dlg.Result();
    }
    std::function<void(CDialog&, int frame)> m_mouse;
    bool m_inFrame = false;
    int m_runs = 0;
};

// A dialog whose button 20 opens a second dialog, and which records every notification.
class CCommandDialog : public CTestDialog {
public:
    CCommandDialog() { AddControl(EControl::PushButton, 20, "More...", 0, 0, 10, 10); }
    BOOL OnCommand(int id, int code) override
    {
        m_heard.push_back(id);
        if (id == 20 && code == BN_CLICKED) {
            CTestDialog second;
            m_secondResult = second.DoModal();
            return TRUE;
        }
        return CTestDialog::OnCommand(id, code);
    }
    std::vector<int> m_heard;
    int m_secondResult = 0;
};
}

TEST(DialogCommands, AClickRunsItsHandlerAfterTheFrameSoItMayOpenAnotherDialog)
{
    CFrameHost host;
    CCommandDialog dlg;
    // Frame 0 of the first dialog clicks "More..."; the second dialog's frame 0 clicks its OK.
    host.m_mouse = [&](CDialog& d, int frame) {
        if (frame != 0) return;
        if (&d == &dlg) {
            d.PostCommand(EDialogCommand::Click, 20);
            // Nothing runs while the frame is drawn.
            EXPECT_TRUE(dlg.m_heard.empty());
            EXPECT_TRUE(d.HasQueuedCommands());
        } else {
            d.PostCommand(EDialogCommand::Click, IDOK);
        }
    };
    EXPECT_EQ(IDABORT, dlg.DoModal());
    EXPECT_EQ(2, host.m_runs);
    EXPECT_EQ(IDOK, dlg.m_secondResult);
    EXPECT_EQ(std::vector<int>{20}, dlg.m_heard);
    EXPECT_FALSE(dlg.HasQueuedCommands());
}

TEST(DialogCommands, ClicksInOneFrameRunInOrderAndNoneAfterTheDialogEnded)
{
    CFrameHost host;
    CCommandDialog dlg;
    // One frame: the check box, a list entry, then Cancel, then a click that comes too late.
    host.m_mouse = [&](CDialog& d, int frame) {
        if (frame != 0) return;
        d.PostCommand(EDialogCommand::Click, 11);
        d.PostCommand(EDialogCommand::Select, 13, 2);
        d.PostCommand(EDialogCommand::Click, IDCANCEL);
        d.PostCommand(EDialogCommand::Click, 20);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(0, dlg.GetDlgItem(11)->value);  // toggled off from the member's 1
    EXPECT_EQ(2, dlg.GetDlgItem(13)->selection);
    // The list heard its focus and its selection before Cancel; "More..." never ran.
    EXPECT_EQ((std::vector<int>{11, 13, 13, IDCANCEL}), dlg.m_heard);
    EXPECT_EQ(1, host.m_runs);
    EXPECT_FALSE(dlg.HasQueuedCommands());

    // Two clicks on the check box in one frame toggle it twice; OK then reads it.
    CCommandDialog twice;
    host.m_mouse = [&](CDialog& d, int frame) {
        if (frame == 0) {
            d.PostCommand(EDialogCommand::Click, 11);
            d.PostCommand(EDialogCommand::Click, 11);
        } else {
            d.PostCommand(EDialogCommand::Click, IDOK);
        }
    };
    EXPECT_EQ(IDOK, twice.DoModal());
    EXPECT_EQ(1, twice.m_check);
}

TEST(DialogLogic, AboutBoxShowsItsTextReadOnly)
{
    CAboutDlg about;
    about.SetAboutText();
    about.OnInitDialog();
    const SDialogControl* text = about.GetDlgItem(kAboutTextId);
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE((text->style & kReadOnly) && (text->style & kVScroll));
    EXPECT_EQ(5, std::count(text->text.begin(), text->text.end(), '\n'));
    EXPECT_EQ("Credits\n", text->text.substr(text->text.size() - 8));
}

class ShareDialog : public ::testing::Test {
protected:
    CUniversalConstants m_block;
    CMessageLog m_log;
    CShareDlg m_dlg{&m_block, nullptr};

    void SetUp() override { m_dlg.OnInitDialog(); }
    std::string& Text() { return m_dlg.GetDlgItem(kShareTextId)->text; }
    // Set Data with text in the box; true when the block was left byte for byte as it was.
    bool SetDataKeepsBlock(const std::string& text)
    {
        CUniversalConstants before = m_block;
        Text() = text;
        m_dlg.OnCommand(kSetDataId, BN_CLICKED);
        return std::memcmp(before.Bytes(), m_block.Bytes(), CUniversalConstants::kSize) == 0;
    }
};

TEST_F(ShareDialog, GetDataShowsOneStringAndSetDataTakesItBackWhateverWhiteSpaceAMailAdded)
{
    m_block.m_gravity = 12.0;
    m_dlg.OnCommand(kGetDataId, BN_CLICKED);
    m_dlg.OnCommand(kGetDataId, BN_CLICKED);
    EXPECT_EQ(m_block.EncodeUniversalString(), Text());

    CUniversalConstants friends;
    friends.m_gravity = 77.0;
    EXPECT_FALSE(SetDataKeepsBlock("  \r\n\t" + friends.EncodeUniversalString() + " \n\n"));
    EXPECT_EQ(77.0, m_block.m_gravity);
    // A mail breaks the string into lines (and may indent them): still the same string.
    friends.m_gravity = 55.0;
    std::string mailed = friends.EncodeUniversalString();
    for (size_t at = 72; at < mailed.size(); at += 75) mailed.insert(at, at % 2 ? "\r\n " : "\n");
    EXPECT_FALSE(SetDataKeepsBlock(mailed));
    EXPECT_EQ(55.0, m_block.m_gravity);
    EXPECT_TRUE(m_log.m_texts.empty());
}

TEST_F(ShareDialog, DamagedStringsSayWhyAndLeaveTheBlock)
{
    const std::string good = m_block.EncodeUniversalString();
    std::string changed = good;
    changed[100] = changed[100] == 'A' ? 'B' : 'A';
    EXPECT_TRUE(SetDataKeepsBlock(good.substr(0, 300) + "\n" + good.substr(301)));
    EXPECT_TRUE(SetDataKeepsBlock(""));
    EXPECT_TRUE(SetDataKeepsBlock(changed));
    // Whatever is pasted (binary, invalid UTF-8, far too long) gets a message, never a crash.
    EXPECT_TRUE(SetDataKeepsBlock(std::string("\xff\xfe\0\x80", 4) + std::string(40000, '\xc3')));
    ASSERT_EQ(4u, m_log.m_texts.size());
    const std::string length = "There aren't the right number of bytes in the data.  Did you copy it correctly ?";
    const std::string check =
        "The checksum doesn't match, the information may have been corrupted. Have your friend send it again.";
    EXPECT_EQ(length, m_log.m_texts[0]);
    EXPECT_EQ(length, m_log.m_texts[1]);
    EXPECT_EQ(check, m_log.m_texts[2]);
    EXPECT_EQ(length, m_log.m_texts[3]);

    // A paste too long for the box is refused with a message that says so; the box keeps its text.
    Text() = good;
    m_dlg.OnCommand(kShareTextId, EN_MAXTEXT);
    EXPECT_EQ(good, Text());
    ASSERT_EQ(5u, m_log.m_texts.size());
    EXPECT_EQ("This text is too long for the box, which holds at most 32,767 characters. The box keeps what it had.",
              m_log.m_texts[4]);
}

// The view's dialog keys.
namespace {
class CDialogApp : public CAppServices {
public:
    CDialog* CreateViewDialog(int key) override
    {
        m_keys.push_back(key);
        if (key == 'A') return new CAboutDlg;
        if (key == 'H') return new CHelpDlg;
        if (key == 'S') return new CShareDlg(g_pConstants, nullptr);
        // No address: the window that cannot open here has nothing to hand on.
        if (key == 'V') return new CWebSupportDlg;
        return nullptr;
    }
    std::vector<int> m_keys;
};

class ViewDialogs : public ViewFixture {
protected:
    void SetUp() override
    {
        SetAppServices(&m_app);
        SetDialogHost(&m_host, EDialogHost::System);
        ViewFixture::SetUp();
    }
    void TearDown() override
    {
        ViewFixture::TearDown();
        SetDialogHost(nullptr, EDialogHost::System);
        SetAppServices(nullptr);
    }
    CDialogApp m_app;
    CScriptedHost m_host;
    CMessageLog m_log;
};
}

TEST_F(ViewDialogs, OnePressOpensOneDialogWhileTheViewStandsStill)
{
    COrb* orb = AddOrb({0, 0, 0}, {10, 0, 0});
    bool sawFrozen = false;
    m_host.m_user = [&](CDialog& dlg) {
        sawFrozen = g_openDialog == &dlg && !m_view->m_autoRedraw;
        // The view ignores keys while the dialog is open.
        m_view->WindowProc(WM_KEYDOWN, 'C', 0);
    };
    for (WPARAM key : {WPARAM('A'), WPARAM('H'), WPARAM('S'), WPARAM('V')}) {
        // Down and up arrive together, as a quick tap does.
        m_view->PostMessage(WM_KEYDOWN, key, 0);
        m_view->PostMessage(WM_KEYUP, key, kPreviousStateBit);
        Pump();
        // A release that comes only after the dialog closed belongs to it as well.
        KeyUp(key);
    }
    EXPECT_EQ(4, m_host.m_runs);
    EXPECT_EQ((std::vector<int>{'A', 'H', 'S', 'V'}), m_app.m_keys);
    EXPECT_TRUE(sawFrozen);
    EXPECT_EQ(10.0, orb->m_velocity.x);
    EXPECT_EQ(nullptr, g_openDialog);
    EXPECT_TRUE(m_view->m_autoRedraw);

    // A key-up whose press went elsewhere still runs the command, as every key message does.
    KeyUp('H');
    EXPECT_EQ(5, m_host.m_runs);
}

TEST_F(ViewDialogs, ThePreviewStaysStillAfterAllButTheShareDialog)
{
    m_app.m_previewMode = true;
    KeyDown('A');
    EXPECT_FALSE(m_view->m_autoRedraw);
    KeyDown('H');
    EXPECT_FALSE(m_view->m_autoRedraw);
    KeyDown('S');
    EXPECT_TRUE(m_view->m_autoRedraw);
    KeyDown('V');
    EXPECT_FALSE(m_view->m_autoRedraw);
    // Each dialog asks for one paint when it closes.
    EXPECT_EQ(4, CountPosted(TakePosted(), WM_PAINT));
}

TEST(DialogFit, ScalesDownToTheRoomButNeverBelowLegibleThenScrolls)
{
    // Room enough: the dialog's own size.
    SDialogFit fit = FitDialog(577, 300, 1280, 720, 0.75f);
    EXPECT_EQ(1.0f, fit.zoom);
    EXPECT_FALSE(fit.scroll);
    EXPECT_EQ(577.0f, fit.width);
    // The options dialog on a 640-pixel monitor: scaled to the narrower side, whole.
    fit = FitDialog(740, 440, 640, 480, 0.75f);
    EXPECT_FLOAT_EQ(640.0f / 740.0f, fit.zoom);
    EXPECT_FALSE(fit.scroll);
    EXPECT_FLOAT_EQ(640.0f, fit.width);
    EXPECT_LE(fit.height, 480.0f);
    // A 300 x 160 frame: down to the legible limit, and the rest scrolls within the room.
    fit = FitDialog(300, 263, 300, 138, 0.75f);
    EXPECT_EQ(0.75f, fit.zoom);
    EXPECT_TRUE(fit.scroll);
    EXPECT_EQ(225.0f, fit.width);
    EXPECT_EQ(138.0f, fit.height);
    // A large text never grows past its own size to fill a large room, nor shrinks for nothing.
    fit = FitDialog(400, 300, 400, 300, 2.0f);
    EXPECT_EQ(1.0f, fit.zoom);
    EXPECT_FALSE(fit.scroll);
}
