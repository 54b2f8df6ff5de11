// The Windows dialogs (run under Wine): the in-memory template read back field by field, the
// dialog units the system makes of it, and a real dialog run through the host, worked from a timer
// as a user would, its data and its controls kept in step both ways.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ios>
#include <string>

#include "platform/Dialog.h"
#include "platform/DialogLook.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/NativeDialogHost.h"
#include "platform/win32/NativeDialogLook.h"
#include "platform/win32/Win32.h"

#include <commctrl.h>

namespace {
enum : int { kEditId = 10, kCheckId = 11, kComboId = 12, kListId = 13, kSliderId = 14, kLabelId = 15, kFrameId = 16,
             kNumberId = 17, kExtraId = 18 };

// A dialog with every kind of control, as the logic classes build them.
class CEveryControlDlg : public CDialog {
public:
    CEveryControlDlg() : CDialog(900, "Every control", 200, 150)
    {
        AddControl(EControl::Static, kLabelId, "Label", 5, 5, 60, 9);
        AddControl(EControl::GroupBox, -1, "Group", 3, 16, 120, 80);
        AddControl(EControl::Edit, kEditId, "", 8, 28, 80, 12);
        AddControl(EControl::Edit, kNumberId, "", 8, 42, 80, 30, kMultiline | kReadOnly | kVScroll | kNumber);
        AddControl(EControl::CheckBox, kCheckId, "Check", 8, 76, 60, 10);
        AddControl(EControl::ComboBox, kComboId, "", 130, 5, 60, 50, kSorted).items = {"Zulu", "Alpha", "Mike"};
        AddControl(EControl::ListBox, kListId, "", 130, 24, 60, 40);
        AddControl(EControl::Slider, kSliderId, "", 130, 68, 60, 12).rangeMax = 20;
        AddControl(EControl::Icon, -1, "", 130, 84, 20, 20);
        AddControl(EControl::Frame, kFrameId, "", 155, 84, 20, 20);
        AddControl(EControl::Frame, -1, "", 178, 84, 10, 10);
        AddControl(EControl::PushButton, kExtraId, "Extra", 8, 130, 40, 14).enabled = false;
        AddControl(EControl::DefPushButton, IDOK, "OK", 100, 130, 40, 14);
        AddControl(EControl::PushButton, IDCANCEL, "Cancel", 150, 130, 40, 14);
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, kEditId, m_number);
        DDX_Check(pDX, kCheckId, m_checked);
        DDX_CBIndex(pDX, kComboId, m_choice);
        DDX_Slider(pDX, kSliderId, m_position);
    }

    BOOL OnCommand(int id, int code) override
    {
        // A choice changes other controls' data: the label, the list, the extra button.
        if (id == kComboId && code == CBN_SELCHANGE) {
            const SDialogControl* combo = GetDlgItem(kComboId);
            GetDlgItem(kLabelId)->text = "Chose " + combo->items[size_t(combo->selection)];
            GetDlgItem(kListId)->items = {"one", "two", "three"};
            GetDlgItem(kListId)->selection = 2;
            EnableControl(kExtraId, true);
            ++m_selections;
            return TRUE;
        }
        if (id == kListId && code == LBN_DBLCLK) {
            m_opened = GetDlgItem(kListId)->selection;
            return TRUE;
        }
        if (id == kFrameId && code == STN_CLICKED) {
            ++m_frameClicks;
            return TRUE;
        }
        return CDialog::OnCommand(id, code);
    }

    int m_number = 7, m_checked = 0, m_choice = 0, m_position = 5;
    int m_selections = 0, m_opened = -1, m_frameClicks = 0;
};

// Reads a template back as the dialog manager does.
class CReader {
public:
    explicit CReader(const std::vector<uint8_t>& b) : m_b(b) {}
    uint16_t Word() { uint16_t v; std::memcpy(&v, Take(2), 2); return v; }
    uint32_t Dword() { uint32_t v; std::memcpy(&v, Take(4), 4); return v; }
    int16_t Short() { return int16_t(Word()); }
    uint8_t Byte() { return *Take(1); }
    std::wstring String()
    {
        std::wstring s;
        while (uint16_t c = Word()) s += wchar_t(c);
        return s;
    }
    void AlignDword() { m_at = (m_at + 3) & ~size_t(3); }
    size_t At() const { return m_at; }

private:
    const uint8_t* Take(size_t n)
    {
        EXPECT_LE(m_at + n, m_b.size());
        const uint8_t* p = m_b.data() + m_at;
        m_at += n;
        return p;
    }
    const std::vector<uint8_t>& m_b;
    size_t m_at = 0;
};

struct SItem {
    uint32_t exStyle, style, id;
    int x, y, cx, cy;
    uint16_t atom;
    std::wstring className, title;
};

}

TEST(NativeDialogTemplate, HeaderItemsStylesAndAlignment)
{
    CEveryControlDlg dlg;
    const std::vector<uint8_t> bytes = BuildDialogTemplate(dlg, SDialogFont{L"MS Shell Dlg", 8, 400}, EDialogFace::Plain, false);
    CReader r(bytes);
    EXPECT_EQ(1, r.Word());
    EXPECT_EQ(0xFFFF, r.Word());
    r.Dword();
    EXPECT_EQ(0u, r.Dword());
    const uint32_t style = r.Dword();
    EXPECT_EQ(uint32_t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_MODALFRAME | DS_CENTER), style);
    ASSERT_EQ(dlg.m_controls.size(), r.Word());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(200, r.Short());
    EXPECT_EQ(150, r.Short());
    EXPECT_EQ(0, r.Word());
    EXPECT_EQ(0, r.Word());
    EXPECT_EQ(L"Every control", r.String());
    EXPECT_EQ(8, r.Word());
    EXPECT_EQ(400, r.Word());
    r.Byte();
    r.Byte();
    EXPECT_EQ(L"MS Shell Dlg", r.String());

    // Each item on a DWORD boundary; the trackbar is named by its class name, the others by atom.
    std::vector<SItem> items;
    for (size_t i = 0; i < dlg.m_controls.size(); ++i) {
        r.AlignDword();
        ASSERT_EQ(0u, r.At() % 4) << "item " << i;
        SItem it{};
        r.Dword();
        it.exStyle = r.Dword();
        it.style = r.Dword();
        it.x = r.Short(), it.y = r.Short(), it.cx = r.Short(), it.cy = r.Short();
        it.id = r.Dword();
        const uint16_t first = r.Word();
        if (first == 0xFFFF) {
            it.atom = r.Word();
        } else {
            it.className = std::wstring(1, wchar_t(first)) + r.String();
        }
        it.title = r.String();
        EXPECT_EQ(0, r.Word());
        items.push_back(it);
    }
    EXPECT_EQ(bytes.size(), r.At());

    for (size_t i = 0; i < items.size(); ++i) {
        const SDialogControl& c = dlg.m_controls[i];
        const SItem& it = items[i];
        EXPECT_EQ(uint32_t(c.id), it.id) << i;
        EXPECT_EQ(c.x, it.x) << i;
        EXPECT_EQ(c.y, it.y) << i;
        EXPECT_EQ(c.cx, it.cx) << i;
        EXPECT_EQ(c.cy, it.cy) << i;
        EXPECT_TRUE(it.style & WS_CHILD) << i;
        EXPECT_TRUE(it.style & WS_VISIBLE) << i;
        EXPECT_EQ(c.TakesFocus(), (it.style & WS_TABSTOP) != 0) << i;
        EXPECT_EQ(!c.enabled, (it.style & WS_DISABLED) != 0) << i;
    }
    auto low = [](uint32_t s) { return s & 0xFFFF; };
    EXPECT_EQ(0x0082, items[0].atom);
    EXPECT_EQ(L"Label", items[0].title);
    EXPECT_EQ(uint32_t(SS_LEFT | SS_NOPREFIX), low(items[0].style));
    EXPECT_EQ(0x0080, items[1].atom);
    EXPECT_EQ(uint32_t(BS_GROUPBOX), low(items[1].style) & 0xF);
    EXPECT_EQ(0x0081, items[2].atom);
    EXPECT_EQ(uint32_t(ES_AUTOHSCROLL), low(items[2].style));
    EXPECT_EQ(uint32_t(ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | ES_NUMBER), low(items[3].style));
    EXPECT_TRUE(items[3].style & WS_VSCROLL);
    EXPECT_EQ(uint32_t(BS_CHECKBOX), low(items[4].style) & 0xF);
    EXPECT_EQ(L"Check", items[4].title);
    EXPECT_EQ(0x0085, items[5].atom);
    EXPECT_EQ(uint32_t(CBS_DROPDOWNLIST | CBS_SORT), low(items[5].style) & (CBS_DROPDOWNLIST | CBS_SORT));
    EXPECT_EQ(0x0083, items[6].atom);
    EXPECT_TRUE(items[6].style & LBS_NOTIFY);
    EXPECT_EQ(std::wstring(TRACKBAR_CLASSW), items[7].className);
    EXPECT_EQ(0x0082, items[8].atom);
    EXPECT_EQ(uint32_t(SS_ICON), low(items[8].style) & 0x1F);
    EXPECT_EQ(uint32_t(SS_OWNERDRAW), low(items[9].style) & 0x1F);
    EXPECT_TRUE(items[9].style & SS_NOTIFY);
    // A frame nobody addresses reports no clicks.
    EXPECT_FALSE(items[10].style & SS_NOTIFY);
    EXPECT_EQ(uint32_t(BS_PUSHBUTTON), low(items[11].style) & 0xF);
    EXPECT_EQ(uint32_t(BS_DEFPUSHBUTTON), low(items[12].style) & 0xF);
    EXPECT_EQ(uint32_t(IDOK), items[12].id);

    // In the segment face labels and caption show in capitals, buttons are painted by the host,
    // and a frame without a caption has a border only.
    CEveryControlDlg digital;
    digital.m_frame = EDialogFrame::Border;
    const std::vector<uint8_t> dark = BuildDialogTemplate(digital, SDialogFont{L"DSEG14 Modern", 8, 700}, EDialogFace::Digital, true);
    CReader d(dark);
    for (int i = 0; i < 3; ++i) d.Dword();
    EXPECT_EQ(uint32_t(WS_POPUP | WS_BORDER | DS_SETFONT | DS_CENTER), d.Dword());
    for (int i = 0; i < 7; ++i) d.Word();
    EXPECT_EQ(L"EVERY CONTROL", d.String());
    EXPECT_EQ(8, d.Word());
    EXPECT_EQ(700, d.Word());
    EXPECT_EQ(uint32_t(BS_OWNERDRAW), ControlClassOf(digital.m_controls[12], true).style & 0xF);
    EXPECT_EQ(L"CANCEL", ShownLabel("Cancel", EDialogFace::Digital));
    EXPECT_EQ(L"Cancel", ShownLabel("Cancel", EDialogFace::Plain));
}

// The system makes pixels of the template's dialog units by the dialog's font, as MapDialogRect does.
TEST(NativeDialogTemplate, ControlsSitAtTheirDialogUnits)
{
    CEveryControlDlg dlg;
    const std::vector<uint8_t> bytes = BuildDialogTemplate(dlg, SDialogFont{L"MS Shell Dlg", 8, 400}, EDialogFace::Plain, false);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                           nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (!hwnd) GTEST_SKIP() << "no display for windows (error " << GetLastError() << ")";
    SYSTEM_RECT client{};
    GetClientRect(hwnd, &client);
    SYSTEM_RECT whole{0, 0, 200, 150};
    MapDialogRect(hwnd, &whole);
    EXPECT_EQ(whole.right, client.right);
    EXPECT_EQ(whole.bottom, client.bottom);
    EXPECT_GT(client.right, 200);  // a unit of an 8-point face is more than half a pixel
    HWND edit = GetDlgItem(hwnd, kEditId);
    ASSERT_NE(nullptr, edit);
    SYSTEM_RECT r{};
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    // The dialog manager maps the position and the size each on its own: x, y, cx, cy.
    SYSTEM_RECT expected{8, 28, 80, 12};
    MapDialogRect(hwnd, &expected);
    EXPECT_EQ(expected.left, r.left);
    EXPECT_EQ(expected.top, r.top);
    EXPECT_EQ(expected.right, r.right - r.left);
    EXPECT_EQ(expected.bottom, r.bottom - r.top);
    DestroyWindow(hwnd);
}

namespace {
// What the timer saw of the real controls while the dialog ran.
struct SSeen {
    HWND dialog = nullptr;
    int comboRows = 0;
    std::wstring firstRow, label;
    bool extraEnabledBefore = true, extraEnabledAfter = false;
    int listRows = 0, listSelection = -1;
    int sliderPos = -1;
    std::wstring sliderValue, sliderValueMoved;
    SYSTEM_RECT sliderArea{}, sliderTrack{}, sliderLabel{};
    int checkBefore = -1;
    std::wstring editText;
    bool focusOnEdit = false;
    int step = 0;
};
SSeen g_seen;
const wchar_t* g_key = nullptr;  // "ok", "escape" or "return"

HWND FindDialog()
{
    HWND active = GetActiveWindow();
    if (active && GetDlgItem(active, kComboId)) return active;
    return FindWindowW(nullptr, L"Every control");
}

void CALLBACK WorkTheDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dlg = FindDialog();
    if (!dlg) return;
    KillTimer(nullptr, timer);
    SSeen& s = g_seen;
    s.dialog = dlg;
    HWND combo = GetDlgItem(dlg, kComboId), list = GetDlgItem(dlg, kListId), extra = GetDlgItem(dlg, kExtraId);
    s.focusOnEdit = GetFocus() == GetDlgItem(dlg, kEditId);
    s.editText = [&] {
        wchar_t b[64] = {};
        GetWindowTextW(GetDlgItem(dlg, kEditId), b, 64);
        return std::wstring(b);
    }();
    s.sliderPos = int(SendMessageW(GetDlgItem(dlg, kSliderId), TBM_GETPOS, 0, 0));
    HWND value = reinterpret_cast<HWND>(SendMessageW(GetDlgItem(dlg, kSliderId), TBM_GETBUDDY, FALSE, 0));
    auto textOf = [](HWND h) {
        wchar_t b[16] = {};
        if (h) GetWindowTextW(h, b, 16);
        return std::wstring(b);
    };
    auto rectOf = [dlg](HWND h) {
        SYSTEM_RECT r{};
        if (h) GetWindowRect(h, &r);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    s.sliderValue = textOf(value);
    s.sliderArea = SYSTEM_RECT{130, 68, 130 + 60, 68 + 12};
    MapDialogRect(dlg, &s.sliderArea);
    s.sliderTrack = rectOf(GetDlgItem(dlg, kSliderId));
    s.sliderLabel = rectOf(value);
    s.checkBefore = int(SendMessageW(GetDlgItem(dlg, kCheckId), BM_GETCHECK, 0, 0));
    s.comboRows = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    wchar_t row[32] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, LPARAM(row));
    s.firstRow = row;
    s.extraEnabledBefore = IsWindowEnabled(extra) != FALSE;
    if (std::wstring(g_key) == L"escape" || std::wstring(g_key) == L"return") {
        // The dialog manager's keys, as the keyboard sends them to the control with the focus.
        SetWindowTextW(GetDlgItem(dlg, kEditId), L"99");
        const WPARAM vk = std::wstring(g_key) == L"escape" ? VK_ESCAPE : VK_RETURN;
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
        return;
    }
    // A user's work: a number typed, the box ticked, "Mike" chosen (row 1 of the sorted list),
    // the slider moved, a double click in the list, a click on the frame, then OK.
    SetWindowTextW(GetDlgItem(dlg, kEditId), L"42");
    SendMessageW(GetDlgItem(dlg, kCheckId), BM_CLICK, 0, 0);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kComboId, CBN_SELCHANGE), LPARAM(combo));
    wchar_t label[64] = {};
    GetWindowTextW(GetDlgItem(dlg, kLabelId), label, 64);
    s.label = label;
    s.extraEnabledAfter = IsWindowEnabled(extra) != FALSE;
    s.listRows = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    s.listSelection = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), LPARAM(list));
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kFrameId, STN_CLICKED), LPARAM(GetDlgItem(dlg, kFrameId)));
    HWND slider = GetDlgItem(dlg, kSliderId);
    SendMessageW(slider, TBM_SETPOS, TRUE, 17);
    SendMessageW(dlg, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(slider));
    s.sliderValueMoved = textOf(value);
    SendMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
}

class NativeDialogHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no display for windows (error " << GetLastError() << ")";
        DestroyWindow(probe);
        m_previous = GetDialogHost();
        m_host = CreateNativeDialogHost(SNativeDialogOptions{});
        SetDialogHost(m_host.get());
        g_seen = SSeen();
    }
    void TearDown() override
    {
        if (m_host) SetDialogHost(m_previous);
    }
    int Run(CEveryControlDlg& dlg, const wchar_t* key)
    {
        g_key = key;
        SetTimer(nullptr, 0, 50, WorkTheDialog);
        return dlg.DoModal();
    }
    IDialogHost* m_previous = nullptr;
    std::unique_ptr<IDialogHost> m_host;
};
}

TEST_F(NativeDialogHost, ControlsAndDataKeepInStepBothWays)
{
    CEveryControlDlg dlg;
    dlg.m_initialFocusId = kEditId;
    ASSERT_EQ(IDOK, Run(dlg, L"ok"));
    const SSeen& s = g_seen;
    // The data reached the controls when the dialog opened.
    EXPECT_EQ(L"7", s.editText);
    EXPECT_EQ(5, s.sliderPos);
    // The slider's position stands beside its track, within the slider's place in the template.
    EXPECT_EQ(L"5", s.sliderValue);
    EXPECT_EQ(L"17", s.sliderValueMoved);
    EXPECT_EQ(s.sliderArea.left, s.sliderTrack.left);
    EXPECT_LE(s.sliderTrack.right, s.sliderLabel.left);
    EXPECT_LE(s.sliderLabel.right, s.sliderArea.right);
    EXPECT_GT(s.sliderLabel.right - s.sliderLabel.left, 0);
    EXPECT_EQ(BST_UNCHECKED, s.checkBefore);
    EXPECT_TRUE(s.focusOnEdit);
    EXPECT_EQ(3, s.comboRows);
    EXPECT_EQ(L"Alpha", s.firstRow);  // the sorted box orders its rows itself
    EXPECT_FALSE(s.extraEnabledBefore);
    // The handler's changes reached the controls.
    EXPECT_EQ(L"Chose Mike", s.label);
    EXPECT_TRUE(s.extraEnabledAfter);
    EXPECT_EQ(3, s.listRows);
    EXPECT_EQ(2, s.listSelection);
    EXPECT_EQ(1, dlg.m_selections);
    EXPECT_EQ(0, dlg.m_opened);
    EXPECT_EQ(1, dlg.m_frameClicks);
    // OK read the controls through the data exchange: "Mike" is entry 2 of the data's list.
    EXPECT_EQ(42, dlg.m_number);
    EXPECT_EQ(1, dlg.m_checked);
    EXPECT_EQ(2, dlg.m_choice);
    EXPECT_EQ(17, dlg.m_position);
    EXPECT_FALSE(IsWindow(s.dialog));
}

namespace {
enum : int { kGroupId = 30, kFieldId = 31 };
// Laid out as the help box: a group's frame, a read-only field and OK, in the help box's golden scheme.
class CGoldenDlg : public CDialog {
public:
    CGoldenDlg() : CDialog(104, "Golden frames", 200, 120, EDialogFrame::Border)
    {
        AddControl(EControl::GroupBox, kGroupId, "Keys", 7, 4, 186, 80);
        AddControl(EControl::Edit, kFieldId, "", 7, 92, 120, 14, kMultiline | kReadOnly);
        AddControl(EControl::DefPushButton, IDOK, "OK", 140, 92, 50, 14);
    }
};

// The colours at the left edge's middle of the dialog, its group and its field, as drawn.
struct SEdges {
    COLORREF dialog = CLR_INVALID, group = CLR_INVALID, field = CLR_INVALID;
};
SEdges g_edges;

COLORREF LeftEdge(HWND h)
{
    if (!h) return CLR_INVALID;
    SYSTEM_RECT r{};
    GetWindowRect(h, &r);
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, 0, (r.bottom - r.top) / 2);
    ReleaseDC(h, dc);
    return c;
}

void CALLBACK LookAtTheEdges(HWND, UINT, UINT_PTR timer, DWORD)
{
    // Once the dialog shows: before, nothing of it is drawn.
    HWND dlg = FindWindowW(nullptr, L"Golden frames");
    if (!dlg || !IsWindowVisible(dlg)) return;
    KillTimer(nullptr, timer);
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_edges.dialog = LeftEdge(dlg);
    g_edges.group = LeftEdge(GetDlgItem(dlg, kGroupId));
    g_edges.field = LeftEdge(GetDlgItem(dlg, kFieldId));
    SendMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
}

// Within a few steps of each channel: the colour, not merely some other light.
bool Near(COLORREF a, COLORREF b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 8) return false;
    return a != CLR_INVALID;
}
}

TEST_F(NativeDialogHost, TheGoldenSchemesFramesAreGoldenNotTheSystemsGrey)
{
    CGoldenDlg dlg;
    g_edges = SEdges();
    SetTimer(nullptr, 0, 50, LookAtTheEdges);
    ASSERT_EQ(IDOK, dlg.DoModal());
    const SDialogScheme scheme = DialogSchemeOf(104);
    const COLORREF border = RGB(135, 111, 15);  // the scheme's gold over its black, 55 to 45
    ASSERT_TRUE(scheme.dark);
    EXPECT_TRUE(Near(border, g_edges.dialog)) << std::hex << g_edges.dialog;
    EXPECT_TRUE(Near(border, g_edges.group)) << std::hex << g_edges.group;
    EXPECT_TRUE(Near(border, g_edges.field)) << std::hex << g_edges.field;
}

TEST_F(NativeDialogHost, EscapeCancelsAndReturnPressesTheDefaultButton)
{
    CEveryControlDlg cancelled;
    EXPECT_EQ(IDCANCEL, Run(cancelled, L"escape"));
    EXPECT_EQ(7, cancelled.m_number);
    EXPECT_FALSE(IsWindow(g_seen.dialog));

    CEveryControlDlg accepted;
    accepted.m_initialFocusId = kEditId;
    EXPECT_EQ(IDOK, Run(accepted, L"return"));
    EXPECT_EQ(99, accepted.m_number);
}

namespace {
// A dialog as the setup and the options dialogs have them: labels of two lines and more, one with
// room below it, one with a control right under it; a label in the segment face with a '#'.
class CLabelsDlg : public CDialog {
public:
    CLabelsDlg() : CDialog(901, "Labels", 160, 120)
    {
        AddControl(EControl::Static, 20, "Press the 'O' key when running to adjust universal parameters", 7, 7, 40, 17);
        AddControl(EControl::Static, 21, "Press the 'H' key when running to get online help and more", 60, 7, 40, 17);
        AddControl(EControl::PushButton, 22, "Below", 60, 24, 40, 14);
    }
};

SYSTEM_RECT ClientOf(HWND h)
{
    SYSTEM_RECT r{};
    GetClientRect(h, &r);
    return r;
}

// The height the label's text needs at its width in its own font.
LONG NeededHeight(HWND label)
{
    wchar_t text[128] = {};
    GetWindowTextW(label, text, 128);
    SYSTEM_RECT r = ClientOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return r.bottom;
}
}

TEST(NativeDialogLook, LabelsGrowIntoTheRoomBelowThemAndNoFurther)
{
    CLabelsDlg dlg;
    const std::vector<uint8_t> bytes = BuildDialogTemplate(dlg, SDialogFont{L"MS Shell Dlg", 8, 400}, EDialogFace::Plain, false);
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                           nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (!hwnd) GTEST_SKIP() << "no display for windows (error " << GetLastError() << ")";
    std::vector<HWND> controls;
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
    ASSERT_EQ(3u, controls.size());
    const LONG free = ClientOf(controls[0]).bottom, boxed = ClientOf(controls[1]).bottom;
    ASSERT_GT(NeededHeight(controls[0]), free) << "the label's text must not fit its template's two lines";
    DecorateControls(hwnd, controls, dlg, SDialogScheme{});
    // With room below, the label shows its whole text; the other stops at the button under it.
    EXPECT_EQ(NeededHeight(controls[0]), ClientOf(controls[0]).bottom);
    SYSTEM_RECT below{60, 24, 0, 0};
    MapDialogRect(hwnd, &below);
    SYSTEM_RECT label{};
    GetWindowRect(controls[1], &label);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&label), 2);
    EXPECT_GE(ClientOf(controls[1]).bottom, boxed);
    EXPECT_LE(label.bottom, below.top);
    DestroyWindow(hwnd);
}

TEST(NativeDialogLook, SignsTheSegmentFaceLacksComeFromThePlainFace)
{
    const char* data = std::getenv("NIMBULA_DIR");
    if (!data) GTEST_SKIP() << "NIMBULA_DIR names no data folder";
    const std::wstring file = std::wstring(data, data + std::strlen(data)) + L"\\fonts\\DSEG14Modern-Bold.ttf";
    ASSERT_GT(AddFontResourceExW(file.c_str(), FR_PRIVATE, nullptr), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT segment = CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"DSEG14 Modern");
    HGDIOBJ old = SelectObject(dc, segment);
    const std::vector<SLabelRun> runs = LabelRuns(dc, L"# ORBS");
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(L"#", runs[0].text);
    EXPECT_TRUE(runs[0].fallback);
    EXPECT_EQ(L" ORBS", runs[1].text);
    EXPECT_FALSE(runs[1].fallback);
    const std::vector<SLabelRun> plain = LabelRuns(dc, L"ORB INTERACTIONS");
    ASSERT_EQ(1u, plain.size());
    EXPECT_FALSE(plain[0].fallback);
    SelectObject(dc, old);
    DeleteObject(segment);
    DeleteDC(dc);
    RemoveFontResourceExW(file.c_str(), FR_PRIVATE, nullptr);
}
