// The dialogs on Windows: the system's dialog manager runs each one (keyboard navigation, default
// button, Escape), its real controls made from the CDialog's data. Every notification runs
// through the dialog's own command path; the controls' state is read into the data before a
// handler runs, and what the handler changed in the data is put back into the controls after.
#include "platform/win32/NativeDialogHost.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <vector>

#include "engine/core/Utf8Path.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/DialogLook.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/Wnd.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/ModalFocus.h"
#include "platform/win32/NativeDialogLook.h"
#include "platform/win32/NativeEditBox.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

#include <commctrl.h>

namespace {
// Looks this often for the end asked from outside (a console's Ctrl+C, the session's end) and
// for a window behind the dialog that was uncovered (a tooltip gone) and shows its still picture again.
constexpr UINT_PTR kEndTimer = 1;
constexpr UINT kEndTimerMs = 100;

// The dialog faces shipped in the data folder's fonts/ and the names the system knows them by.
struct SFaceFile {
    const wchar_t* file;
    SDialogFont font;
};
const SFaceFile kFaces[] = {
    {nullptr, {L"MS Shell Dlg", 8, FW_NORMAL}},
    {L"DSEG14Modern-Bold.ttf", {L"DSEG14 Modern", 8, FW_BOLD}},
    {L"BebasNeue-Bold.otf", {L"Bebas Neue Bold", 10, FW_NORMAL}},
};

class CNativeDialogHost;

// One open dialog: its data, its window, its controls' windows in the template's order.
struct SOpenDialog {
    CNativeDialogHost* host = nullptr;
    CDialog* dlg = nullptr;
    SDialogScheme scheme;
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> controls;
    std::vector<std::vector<std::string>> items;  // the entries each list shows now
    std::vector<std::wstring> labels;             // the label each control shows now
    HBRUSH faceBrush = nullptr, fieldBrush = nullptr;
    HFONT plainFont = nullptr;
    HWND tips = nullptr;
    std::vector<std::wstring> tipTexts;
    // Set while the host changes the controls: the notifications that causes are its own.
    bool syncing = false;
};

std::wstring MultilineOut(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return Widen(out);
}

std::string MultilineIn(const std::wstring& w)
{
    std::string s = Narrow(w), out;
    for (char c : s)
        if (c != '\r') out += c;
    return out;
}

std::wstring WindowText(HWND hwnd)
{
    std::wstring s(size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(hwnd, s.data(), int(s.size()))));
    return s;
}

int IndexOf(const SOpenDialog& d, HWND control)
{
    if (!control) return -1;
    for (size_t i = 0; i < d.controls.size(); ++i)
        if (d.controls[i] && (d.controls[i] == control || IsChild(d.controls[i], control))) return int(i);
    return -1;
}

// A list's entry in the data for the control's row (a sorted box orders its rows itself).
int DataIndexOf(HWND list, EControl kind, LRESULT row)
{
    if (row < 0) return -1;
    const UINT get = kind == EControl::ComboBox ? CB_GETITEMDATA : LB_GETITEMDATA;
    return int(SendMessageW(list, get, WPARAM(row), 0));
}

int RowOf(HWND list, EControl kind, int dataIndex)
{
    if (dataIndex < 0) return -1;
    const UINT count = kind == EControl::ComboBox ? CB_GETCOUNT : LB_GETCOUNT;
    const int n = int(SendMessageW(list, count, 0, 0));
    for (int row = 0; row < n; ++row)
        if (DataIndexOf(list, kind, row) == dataIndex) return row;
    return -1;
}

int CurrentEntry(HWND list, EControl kind)
{
    const LRESULT row = SendMessageW(list, kind == EControl::ComboBox ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    return DataIndexOf(list, kind, row);
}

// The real controls into the data: texts typed, boxes ticked, slider positions, list choices
// and where the focus is.
void ReadControls(SOpenDialog& d)
{
    CDialog& dlg = *d.dlg;
    for (size_t i = 0; i < d.controls.size() && i < dlg.m_controls.size(); ++i) {
        HWND h = d.controls[i];
        SDialogControl& c = dlg.m_controls[i];
        if (!h) continue;
        switch (c.kind) {
        case EControl::Edit: c.text = MultilineIn(WindowText(h)); break;
        case EControl::CheckBox: c.value = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; break;
        case EControl::Slider: c.value = int(SendMessageW(h, TBM_GETPOS, 0, 0)); break;
        case EControl::ComboBox:
        case EControl::ListBox: c.selection = CurrentEntry(h, c.kind); break;
        default: break;
        }
    }
    // A combo box's focus is its own notification, which also refills it: not taken here.
    const int focus = IndexOf(d, GetFocus());
    if (focus >= 0 && focus != dlg.FocusIndex() && dlg.m_controls[size_t(focus)].kind != EControl::ComboBox)
        dlg.SetFocusIndex(focus);
}

void FillList(HWND h, const SDialogControl& c)
{
    const bool combo = c.kind == EControl::ComboBox;
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (size_t k = 0; k < c.items.size(); ++k) {
        const std::wstring item = Widen(c.items[k]);
        const LRESULT row = SendMessageW(h, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, LPARAM(item.c_str()));
        if (row >= 0) SendMessageW(h, combo ? CB_SETITEMDATA : LB_SETITEMDATA, WPARAM(row), LPARAM(k));
    }
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
}

// The data into the real controls, where they differ: what a handler changed shows.
void WriteControls(SOpenDialog& d)
{
    CDialog& dlg = *d.dlg;
    d.syncing = true;
    for (size_t i = 0; i < d.controls.size() && i < dlg.m_controls.size(); ++i) {
        HWND h = d.controls[i];
        const SDialogControl& c = dlg.m_controls[i];
        if (!h) continue;
        if ((IsWindowEnabled(h) != FALSE) != c.enabled) EnableWindow(h, c.enabled ? TRUE : FALSE);
        switch (c.kind) {
        case EControl::Edit:
            if (MultilineIn(WindowText(h)) != c.text) SetWindowTextW(h, MultilineOut(c.text).c_str());
            break;
        case EControl::PushButton:
        case EControl::DefPushButton:
        case EControl::Static:
        case EControl::GroupBox:
        case EControl::CheckBox: {
            const std::wstring label = ShownLabel(c.text, d.scheme.font);
            if (label != d.labels[i]) {
                SetWindowTextW(h, label.c_str());
                d.labels[i] = label;
            }
            if (c.kind == EControl::CheckBox && (SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != (c.value != 0))
                SendMessageW(h, BM_SETCHECK, c.value ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        }
        case EControl::Slider:
            if (SendMessageW(h, TBM_GETRANGEMIN, 0, 0) != c.rangeMin || SendMessageW(h, TBM_GETRANGEMAX, 0, 0) != c.rangeMax) {
                SendMessageW(h, TBM_SETRANGEMIN, FALSE, c.rangeMin);
                SendMessageW(h, TBM_SETRANGEMAX, TRUE, c.rangeMax);
            }
            if (SendMessageW(h, TBM_GETPOS, 0, 0) != c.value) SendMessageW(h, TBM_SETPOS, TRUE, c.value);
            ShowSliderValue(h);
            break;
        case EControl::ComboBox:
        case EControl::ListBox:
            if (d.items[i] != c.items) {
                FillList(h, c);
                d.items[i] = c.items;
            }
            if (CurrentEntry(h, c.kind) != c.selection || c.selection < 0) {
                const int row = RowOf(h, c.kind, c.selection);
                SendMessageW(h, c.kind == EControl::ComboBox ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(row), 0);
            }
            break;
        case EControl::Frame:
            InvalidateRect(h, nullptr, FALSE);
            break;
        case EControl::Icon:
            break;
        }
    }
    const int focus = dlg.FocusIndex();
    if (focus >= 0 && size_t(focus) < d.controls.size() && d.controls[size_t(focus)] &&
        IndexOf(d, GetFocus()) != focus)
        SendMessageW(d.hwnd, WM_NEXTDLGCTL, WPARAM(d.controls[size_t(focus)]), TRUE);
    d.syncing = false;
}

// After a handler: the system dialog ends with the data's dialog, or shows what changed.
void Settle(SOpenDialog& d)
{
    if (d.dlg->IsEnded()) {
        EndDialog(d.hwnd, d.dlg->Result());
        return;
    }
    WriteControls(d);
}

// A notification through the dialog's own command queue, as the drawn host hands over clicks.
void Route(SOpenDialog& d, EDialogCommand kind, int id, int index = -1)
{
    if (d.syncing || d.dlg->IsEnded()) return;
    ReadControls(d);
    d.dlg->PostCommand(kind, id, index);
    d.dlg->DispatchCommands();
    Settle(d);
}

void OnControlCommand(SOpenDialog& d, int id, int code, HWND from)
{
    CDialog& dlg = *d.dlg;
    // Return on a button the host paints: the dialog manager, which takes it for no push button,
    // sends the default id; the focused button is pressed, as with the system's own buttons.
    const int focus = IndexOf(d, GetFocus());
    if (d.scheme.dark && code == BN_CLICKED && focus >= 0 && dlg.m_controls[size_t(focus)].IsButton() &&
        dlg.m_controls[size_t(focus)].id != id) {
        const LRESULT def = SendMessageW(d.hwnd, DM_GETDEFID, 0, 0);
        const int defId = HIWORD(def) == DC_HASDEFID ? int(LOWORD(def)) : IDOK;
        if (id == defId || id == IDOK) {
            Route(d, EDialogCommand::Click, dlg.m_controls[size_t(focus)].id);
            return;
        }
    }
    const int i = IndexOf(d, from);
    if (i < 0) {
        // The dialog manager's own: Return (the default button's id) and Escape (IDCANCEL).
        if (id != IDOK && id != IDCANCEL) return;
        if (dlg.GetDlgItem(id)) Route(d, EDialogCommand::Click, id);
        else Route(d, EDialogCommand::Notify, id, BN_CLICKED);
        return;
    }
    const SDialogControl& c = dlg.m_controls[size_t(i)];
    switch (c.kind) {
    case EControl::PushButton:
    case EControl::DefPushButton:
    case EControl::CheckBox:
        if (code == BN_CLICKED) Route(d, EDialogCommand::Click, c.id);
        break;
    case EControl::Frame:
        if (code == STN_CLICKED) Route(d, EDialogCommand::Click, c.id);
        break;
    case EControl::ComboBox:
        if (code == CBN_SELCHANGE) {
            Route(d, EDialogCommand::Select, c.id, CurrentEntry(from, c.kind));
        } else if (code == CBN_SETFOCUS) {
            // Each time the box takes the focus it hears of it (the lists refill then).
            if (dlg.FocusIndex() == i) Route(d, EDialogCommand::Notify, c.id, CBN_SETFOCUS);
            else Route(d, EDialogCommand::Focus, c.id);
        }
        break;
    case EControl::ListBox:
        if (code == LBN_SELCHANGE) Route(d, EDialogCommand::Select, c.id, CurrentEntry(from, c.kind));
        else if (code == LBN_DBLCLK) Route(d, EDialogCommand::Activate, c.id, CurrentEntry(from, c.kind));
        break;
    case EControl::Edit:
        if (code == EN_MAXTEXT) Route(d, EDialogCommand::Notify, c.id, EN_MAXTEXT);
        break;
    default:
        break;
    }
}

// A push button of a dark scheme: black, its letters and border in the scheme's colour.
void DrawButton(const SOpenDialog& d, const DRAWITEMSTRUCT& di)
{
    const SDialogControl* c = d.dlg->GetDlgItem(int(di.CtlID));
    const COLORREF text = d.scheme.text;
    const bool pressed = (di.itemState & ODS_SELECTED) != 0, disabled = (di.itemState & ODS_DISABLED) != 0;
    HBRUSH fill = CreateSolidBrush(pressed ? MixColors(DialogRgb(24, 24, 24), text, 40) : DialogRgb(24, 24, 24));
    FillRect(di.hDC, &di.rcItem, fill);
    DeleteObject(fill);
    const bool isDefault = c && c->kind == EControl::DefPushButton;
    HPEN pen = CreatePen(PS_SOLID, isDefault ? 2 : 1, MixColors(DialogRgb(0, 0, 0), text, disabled ? 35 : 70));
    HGDIOBJ oldPen = SelectObject(di.hDC, pen);
    HGDIOBJ oldBrush = SelectObject(di.hDC, GetStockObject(NULL_BRUSH));
    Rectangle(di.hDC, di.rcItem.left, di.rcItem.top, di.rcItem.right, di.rcItem.bottom);
    SelectObject(di.hDC, oldBrush);
    SelectObject(di.hDC, oldPen);
    DeleteObject(pen);
    SetBkMode(di.hDC, TRANSPARENT);
    SetTextColor(di.hDC, disabled ? MixColors(DialogRgb(0, 0, 0), text, 35) : text);
    const std::wstring label = WindowText(di.hwndItem);
    SYSTEM_RECT r = di.rcItem;
    DrawTextW(di.hDC, label.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (di.itemState & ODS_FOCUS) {
        SYSTEM_RECT f = di.rcItem;
        InflateRect(&f, -4, -4);
        DrawFocusRect(di.hDC, &f);
    }
}

// A frame: black, then what the dialog's data says it shows (a colour, a picture).
void DrawFrame(const SOpenDialog& d, const DRAWITEMSTRUCT& di)
{
    const SYSTEM_RECT& r = di.rcItem;
    FillRect(di.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const SFramePicture p = d.dlg->FramePicture(int(di.CtlID));
    if (p.filled) {
        HBRUSH b = CreateSolidBrush(p.color);
        FillRect(di.hDC, &r, b);
        DeleteObject(b);
    } else if (p.rgba && p.width > 0 && p.height > 0) {
        std::vector<uint8_t> bgra(size_t(p.width) * size_t(p.height) * 4);
        for (size_t i = 0; i < bgra.size(); i += 4) {
            bgra[i] = p.rgba[i + 2];
            bgra[i + 1] = p.rgba[i + 1];
            bgra[i + 2] = p.rgba[i];
            bgra[i + 3] = 255;
        }
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = p.width;
        bi.bmiHeader.biHeight = -p.height;  // top-down rows, as the picture holds them
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        SetStretchBltMode(di.hDC, HALFTONE);
        StretchDIBits(di.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, p.width, p.height, bgra.data(),
                      &bi, DIB_RGB_COLORS, SRCCOPY);
    }
    HBRUSH border = CreateSolidBrush(d.scheme.dark ? MixColors(d.scheme.face, d.scheme.text, 55) : DialogRgb(122, 122, 122));
    FrameRect(di.hDC, &r, border);
    DeleteObject(border);
}

// The program's loop waits while the system runs the dialog: the window behind, where it was
// uncovered, shows its last picture again (the universe stands still meanwhile).
void RepaintOwner(const SOpenDialog& d)
{
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (!main || !main->IsWindow() || !main->IsInvalidated() || !main->Backend() || main->Backend()->IsForeign() ||
        main->Backend()->NativeWindow() != d.owner)
        return;
    main->Backend()->BeginPaint();
    main->PaintStill();
    main->Backend()->Present();
    main->ValidateRect();
}

INT_PTR ColorControl(SOpenDialog& d, UINT message, HDC dc, HWND control)
{
    if (!d.scheme.dark) return FALSE;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    const bool enabled = !control || IsWindowEnabled(control);
    SetTextColor(dc, enabled ? d.scheme.text : MixColors(d.scheme.face, d.scheme.text, 35));
    SetBkColor(dc, field ? DialogRgb(14, 14, 14) : d.scheme.face);
    return INT_PTR(field ? d.fieldBrush : d.faceBrush);
}

void AddToolTips(SOpenDialog& d, std::string (*text)(int, int))
{
    CDialog& dlg = *d.dlg;
    if (!dlg.m_toolTips || !text) return;
    d.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, d.hwnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!d.tips) return;
    SendMessageW(d.tips, TTM_SETMAXTIPWIDTH, 0, 400);
    // Only the controls a tip is meant for show one.
    d.tipTexts.reserve(dlg.m_controls.size());
    for (size_t i = 0; i < dlg.m_controls.size() && i < d.controls.size(); ++i)
        d.tipTexts.push_back(Widen(text(dlg.m_templateId, dlg.m_controls[i].id)));
    for (size_t i = 0; i < d.tipTexts.size(); ++i) {
        if (d.tipTexts[i].empty() || !d.controls[i]) continue;
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = d.hwnd;
        ti.uId = UINT_PTR(d.controls[i]);
        ti.lpszText = d.tipTexts[i].data();
        SendMessageW(d.tips, TTM_ADDTOOLW, 0, LPARAM(&ti));
    }
}

// The dialog's size in pixels with a font, as the dialog manager measures its units: a quarter of
// the face's average letter width, an eighth of its height.
SIZE PixelSize(const CDialog& dlg, const SDialogFont& font, int points)
{
    HDC dc = GetDC(nullptr);
    HFONT f = CreateFontW(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          font.face.c_str());
    HGDIOBJ old = SelectObject(dc, f);
    static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE letters{0, 0};
    GetTextExtentPoint32W(dc, kAlphabet, 52, &letters);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(nullptr, dc);
    const int unitX = (letters.cx / 26 + 1) / 2, unitY = tm.tmHeight;
    const int caption = dlg.m_frame == EDialogFrame::Border ? 2 : GetSystemMetrics(SM_CYCAPTION) + 8;
    return SIZE{MulDiv(dlg.m_cx, unitX, 4) + 8, MulDiv(dlg.m_cy, unitY, 8) + caption};
}

// The font's size that lets the dialog fit the screen it opens on (a wide face on a small
// screen): smaller steps down to six points, then it stays at that.
SDialogFont FittingFont(const CDialog& dlg, SDialogFont font, HWND owner)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &info)) return font;
    const long width = info.rcWork.right - info.rcWork.left, height = info.rcWork.bottom - info.rcWork.top;
    while (font.points > 6) {
        const SIZE size = PixelSize(dlg, font, font.points);
        if (size.cx <= width && size.cy <= height) break;
        --font.points;
    }
    return font;
}

class CNativeDialogHost : public IDialogHost {
public:
    explicit CNativeDialogHost(const SNativeDialogOptions& options) : m_options(options) {}
    ~CNativeDialogHost() override
    {
        for (const std::wstring& f : m_fontFiles) RemoveFontResourceExW(f.c_str(), FR_PRIVATE, nullptr);
    }

    int RunModal(CDialog& dlg) override;
    BOOL OnInit(SOpenDialog& d);
    bool EndRequested() const { return m_options.endRequested && m_options.endRequested(); }

private:
    void LoadFontsOnce();
    HWND OwnerWindow() const;

    SNativeDialogOptions m_options;
    std::vector<SOpenDialog*> m_stack;
    std::vector<std::wstring> m_fontFiles;
    bool m_ready = false;
};

INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* d = reinterpret_cast<SOpenDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, LONG_PTR(d));
        d->hwnd = hwnd;
        return d->host->OnInit(*d);
    }
    auto* d = reinterpret_cast<SOpenDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!d) return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (!d->syncing) OnControlCommand(*d, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        // A slider moved: its position is the data's at once.
        const int i = IndexOf(*d, reinterpret_cast<HWND>(lParam));
        if (i >= 0 && d->dlg->m_controls[size_t(i)].kind == EControl::Slider) {
            d->dlg->m_controls[size_t(i)].value = int(SendMessageW(d->controls[size_t(i)], TBM_GETPOS, 0, 0));
            ShowSliderValue(d->controls[size_t(i)]);
        }
        return TRUE;
    }
    case WM_CLOSE:
        if (!d->dlg->IsEnded()) {
            ReadControls(*d);
            d->dlg->OnClose();
            Settle(*d);
        }
        return TRUE;
    case WM_TIMER:
        if (wParam != kEndTimer) return TRUE;
        if (d->host->EndRequested() || (d->owner && !IsWindow(d->owner))) {
            // The program is asked to end, or the window under the dialog went: it closes as cancelled.
            d->dlg->EndDialog(IDCANCEL);
            EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        RepaintOwner(*d);
        return TRUE;
    case WM_NOTIFY: {
        const auto& cd = *reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
        if (cd.hdr.code != NM_CUSTOMDRAW || !d->scheme.dark) return FALSE;
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, DrawSliderPart(cd, d->scheme));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (di.CtlType == ODT_BUTTON) DrawButton(*d, di);
        else if (di.CtlType == ODT_STATIC) DrawFrame(*d, di);
        return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return ColorControl(*d, message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
        // A clip the full-screen saver had (Wine clips the cursor to a full-screen window in
        // front) would keep the dialog's clicks.
        if (LOWORD(wParam) != WA_INACTIVE) ReleaseMouseHolds();
        return FALSE;
    case WM_DESTROY:
        KillTimer(hwnd, kEndTimer);
        return FALSE;
    default:
        return FALSE;
    }
}

void CNativeDialogHost::LoadFontsOnce()
{
    if (m_ready) return;
    m_ready = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    // The faces come with the program (the data folder's fonts/, beside its icon), for this
    // process alone: nothing is installed into the system.
    if (WindowIconImage().empty()) return;
    const std::filesystem::path folder = PathFromUtf8(WindowIconImage()).parent_path() / "fonts";
    for (const SFaceFile& f : kFaces) {
        if (!f.file) continue;
        const std::wstring path = (folder / f.file).wstring();
        if (AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr) > 0) m_fontFiles.push_back(path);
        else std::fprintf(stderr, "nimbula: cannot load the dialog font %s\n", Narrow(path).c_str());
    }
}

HWND CNativeDialogHost::OwnerWindow() const
{
    // A dialog opened from a dialog sits on it; the first one on the window in front of the user
    // (the full-screen saver, the editing frame). Another program's window (the preview) owns none.
    if (!m_stack.empty()) return m_stack.back()->hwnd;
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (main && main->IsWindow() && main->Backend() && !main->Backend()->IsForeign())
        if (HWND h = static_cast<HWND>(main->Backend()->NativeWindow()); h && IsWindow(h)) return h;
    HWND active = GetActiveWindow();
    DWORD pid = 0;
    if (active) GetWindowThreadProcessId(active, &pid);
    return pid == GetCurrentProcessId() ? active : nullptr;
}

BOOL CNativeDialogHost::OnInit(SOpenDialog& d)
{
    CDialog& dlg = *d.dlg;
    // The dialog manager made the controls in the template's order.
    for (HWND c = GetWindow(d.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) d.controls.push_back(c);
    d.controls.resize(dlg.m_controls.size(), nullptr);
    d.items.assign(dlg.m_controls.size(), {});
    d.labels.assign(dlg.m_controls.size(), {});
    if (d.scheme.dark) {
        d.faceBrush = CreateSolidBrush(d.scheme.face);
        d.fieldBrush = CreateSolidBrush(DialogRgb(14, 14, 14));
    }
    // Text areas and file names in the plain face, whatever the dialog's own (as on every system).
    if (d.scheme.font != EDialogFace::Plain) {
        HDC dc = GetDC(d.hwnd);
        const int height = -MulDiv(kFaces[0].font.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(d.hwnd, dc);
        d.plainFont = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kFaces[0].font.face.c_str());
    }
    for (size_t i = 0; i < d.controls.size(); ++i) {
        HWND h = d.controls[i];
        const SDialogControl& c = dlg.m_controls[i];
        if (!h) continue;
        d.labels[i] = WindowText(h);
        const bool plain = c.kind == EControl::Edit || c.kind == EControl::ListBox ||
                           (c.kind == EControl::ComboBox && (c.style & kPlainItems));
        if (plain && d.plainFont) SendMessageW(h, WM_SETFONT, WPARAM(d.plainFont), FALSE);
        if (c.kind == EControl::Edit) {
            SendMessageW(h, EM_SETLIMITTEXT, WPARAM(c.textLimit), 0);
            HookEditBox(h);
        }
        if (c.kind == EControl::Icon) {
            SYSTEM_RECT r{};
            GetClientRect(h, &r);
            const int side = std::max(16, int(std::min(r.right, r.bottom)));
            // Shared: the system keeps one copy, however often the box opens.
            HICON icon = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, LR_DEFAULTCOLOR | LR_SHARED));
            if (icon) SendMessageW(h, STM_SETICON, WPARAM(icon), 0);
        }
        if (c.kind == EControl::DefPushButton) SendMessageW(d.hwnd, DM_SETDEFID, WPARAM(c.id), 0);
    }
    DecorateControls(d.hwnd, d.controls, dlg, d.scheme);
    AddToolTips(d, m_options.toolTipText);
    dlg.OnInitDialog();
    if (dlg.IsEnded()) {
        EndDialog(d.hwnd, dlg.Result());
        return TRUE;
    }
    WriteControls(d);
    SetTimer(d.hwnd, kEndTimer, kEndTimerMs, nullptr);
    // Above a topmost owner (the full-screen saver) the dialog is topmost too.
    if (d.owner && (GetWindowLongPtrW(d.owner, GWL_EXSTYLE) & WS_EX_TOPMOST))
        SetWindowPos(d.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(d.hwnd);
    // The focus is the data's (set above), not the dialog manager's first tab stop.
    return FALSE;
}

int CNativeDialogHost::RunModal(CDialog& dlg)
{
    LoadFontsOnce();
    SOpenDialog d;
    d.host = this;
    d.dlg = &dlg;
    d.scheme = DialogSchemeOf(dlg.m_templateId);
    d.owner = OwnerWindow();
    const SDialogFont font = FittingFont(dlg, kFaces[int(d.scheme.font)].font, d.owner);
    // Coloured buttons are painted here: the system's push buttons keep their own colours.
    const std::vector<uint8_t> tmpl = BuildDialogTemplate(dlg, font, d.scheme.font, d.scheme.dark);
    const bool outer = m_stack.empty();
    m_stack.push_back(&d);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()),
                                                   d.owner, DialogProcedure, reinterpret_cast<LPARAM>(&d));
    m_stack.pop_back();
    ReturnFocusTo(d.owner);
    if (result == -1 && !d.hwnd) {
        // Nowhere to show it: as if the user had cancelled.
        std::fprintf(stderr, "nimbula: cannot show the \"%s\" dialog (error %lu)\n", dlg.m_caption.c_str(), GetLastError());
        dlg.OnInitDialog();
    }
    if (!dlg.IsEnded()) dlg.EndDialog(IDCANCEL);
    if (d.faceBrush) DeleteObject(d.faceBrush);
    if (d.fieldBrush) DeleteObject(d.fieldBrush);
    if (d.plainFont) DeleteObject(d.plainFont);
    // What reached the window behind while the dialog was open (the rest of the opening key's
    // letters) was meant for the dialog: one press opens one dialog.
    if (outer) DiscardQueuedInput();
    return dlg.Result();
}
}

std::unique_ptr<IDialogHost> CreateNativeDialogHost(const SNativeDialogOptions& options)
{
    return std::make_unique<CNativeDialogHost>(options);
}
