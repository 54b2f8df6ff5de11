// The native dialogs' controls made to look as the drawn dialogs do (see the header).
#include "platform/win32/NativeDialogLook.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include <commctrl.h>

namespace {
constexpr UINT_PTR kLabelHookId = 0x4E4C, kGroupHookId = 0x4E47, kEdgeHookId = 0x4E46, kComboHookId = 0x4E43;
// The plain face fills in a display face's missing signs a little smaller, as on the drawn dialogs.
constexpr int kFallbackPercent = 85;
const wchar_t kPlainFace[] = L"MS Shell Dlg";

std::wstring TextOf(HWND h)
{
    std::wstring s(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return s;
}

HFONT FontOf(HWND h) { return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)); }

// The plain face at the share of the dialog face's height the drawn dialogs give it.
HFONT FallbackFont(HFONT face)
{
    LOGFONTW lf{};
    if (!face || !GetObjectW(face, sizeof(lf), &lf)) return nullptr;
    lf.lfHeight = MulDiv(lf.lfHeight, kFallbackPercent, 100);
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    wcsncpy(lf.lfFaceName, kPlainFace, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

// Draws the label's runs on one baseline from x, the dialog face's and the plain face's in turn;
// gives the width drawn (nothing is drawn when draw is false).
int DrawRuns(HDC dc, HFONT face, const std::vector<SLabelRun>& runs, int x, int top, bool draw)
{
    HFONT fallback = nullptr;
    for (const SLabelRun& r : runs)
        if (r.fallback && !fallback) fallback = FallbackFont(face);
    HGDIOBJ old = SelectObject(dc, face);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const UINT align = SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    int width = 0;
    for (const SLabelRun& r : runs) {
        SelectObject(dc, r.fallback && fallback ? fallback : face);
        SIZE s{};
        GetTextExtentPoint32W(dc, r.text.c_str(), int(r.text.size()), &s);
        if (draw) TextOutW(dc, x + width, top + tm.tmAscent, r.text.c_str(), int(r.text.size()));
        width += s.cx;
    }
    SetTextAlign(dc, align);
    SelectObject(dc, old);
    if (fallback) DeleteObject(fallback);
    return width;
}

// The parent's colours for a static-like control into dc, and its brush.
HBRUSH StaticColors(HWND h, HDC dc)
{
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(h), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(h)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

bool HasFallback(const std::vector<SLabelRun>& runs)
{
    return std::any_of(runs.begin(), runs.end(), [](const SLabelRun& r) { return r.fallback; });
}

// A one-line label whose face lacks some of its signs: drawn here in runs; any other as the system does.
LRESULT CALLBACK LabelHook(HWND h, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(h, LabelHook, kLabelHookId);
    if (message == WM_SETTEXT) {
        // The system's label draws a new text at once, past WM_PAINT: drawn again here after it.
        const LRESULT result = DefSubclassProc(h, message, wParam, lParam);
        InvalidateRect(h, nullptr, TRUE);
        return result;
    }
    if (message != WM_PAINT) return DefSubclassProc(h, message, wParam, lParam);
    const std::wstring text = TextOf(h);
    HFONT face = FontOf(h);
    HDC probe = GetDC(h);
    HGDIOBJ old = SelectObject(probe, face);
    const std::vector<SLabelRun> runs = LabelRuns(probe, text);
    TEXTMETRICW tm{};
    GetTextMetricsW(probe, &tm);
    SelectObject(probe, old);
    ReleaseDC(h, probe);
    SYSTEM_RECT r{};
    GetClientRect(h, &r);
    if (!HasFallback(runs) || r.bottom >= tm.tmHeight * 2) return DefSubclassProc(h, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    FillRect(dc, &r, StaticColors(h, dc));
    SetBkMode(dc, TRANSPARENT);
    int x = 0;
    if ((GetWindowLongPtrW(h, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER)
        x = std::max(0, (int(r.right) - DrawRuns(dc, face, runs, 0, 0, false)) / 2);
    DrawRuns(dc, face, runs, x, 0, true);
    EndPaint(h, &ps);
    return 0;
}

// A group box of a dark scheme: its frame in the scheme's border colour, its label over the face.
LRESULT CALLBACK GroupHook(HWND h, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR border)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(h, GroupHook, kGroupHookId);
    if (message == WM_SETTEXT || message == WM_ENABLE) {
        // The system's button paints these changes at once: drawn again here after it (its
        // inside belongs to the controls in it, so nothing is erased).
        const LRESULT result = DefSubclassProc(h, message, wParam, lParam);
        InvalidateRect(h, nullptr, FALSE);
        return result;
    }
    if (message != WM_PAINT) return DefSubclassProc(h, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HFONT face = FontOf(h);
    HBRUSH fill = StaticColors(h, dc);
    HGDIOBJ old = SelectObject(dc, face);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    SYSTEM_RECT r{};
    GetClientRect(h, &r);
    SYSTEM_RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
    HBRUSH pen = CreateSolidBrush(COLORREF(border));
    FrameRect(dc, &frame, pen);
    DeleteObject(pen);
    const std::wstring text = TextOf(h);
    if (!text.empty()) {
        const std::vector<SLabelRun> runs = LabelRuns(dc, text);
        const int x = tm.tmAveCharWidth * 3 / 2, width = DrawRuns(dc, face, runs, x, 0, false);
        SYSTEM_RECT behind{x - 3, r.top, std::min(int(r.right), x + width + 3), r.top + tm.tmHeight};
        FillRect(dc, &behind, fill);
        SetBkMode(dc, TRANSPARENT);
        DrawRuns(dc, face, runs, x, 0, true);
    }
    EndPaint(h, &ps);
    return 0;
}

// Two rings from the outside of r in: the border colour, then the field's.
void PaintEdge(HDC dc, SYSTEM_RECT r, DWORD_PTR colors, bool inner)
{
    const uint64_t both = colors;
    HBRUSH outer = CreateSolidBrush(COLORREF(both & 0xFFFFFF)), field = CreateSolidBrush(COLORREF(both >> 32));
    FrameRect(dc, &r, outer);
    InflateRect(&r, -1, -1);
    if (inner) FrameRect(dc, &r, field);
    DeleteObject(outer);
    DeleteObject(field);
}

// A sunken field of a dark scheme (an edit box, a list): its edge in the scheme's border colour
// around a ring of the field's own, not the system's grey and white; the dialog's own thin border
// in the border colour alone.
LRESULT CALLBACK EdgeHook(HWND h, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR colors)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(h, EdgeHook, kEdgeHookId);
    const LRESULT result = DefSubclassProc(h, message, wParam, lParam);
    if (message != WM_NCPAINT && message != WM_NCACTIVATE && message != WM_ENABLE) return result;
    HDC dc = GetWindowDC(h);
    if (!dc) return result;
    SYSTEM_RECT r{};
    GetWindowRect(h, &r);
    OffsetRect(&r, -r.left, -r.top);
    PaintEdge(dc, r, colors, (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
    ReleaseDC(h, dc);
    return result;
}

// A drop-down list of a dark scheme: the system draws its sunken edge inside it, grey and white;
// the scheme's edge goes over it.
LRESULT CALLBACK ComboHook(HWND h, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR colors)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(h, ComboHook, kComboHookId);
    const LRESULT result = DefSubclassProc(h, message, wParam, lParam);
    if (message != WM_PAINT) return result;
    HDC dc = GetDC(h);
    SYSTEM_RECT r{};
    GetClientRect(h, &r);
    PaintEdge(dc, r, colors, true);
    ReleaseDC(h, dc);
    return result;
}

// The slider's label: right of its track, within the width the template gave the slider.
void AddSliderValue(HWND dialog, HWND slider)
{
    HFONT font = FontOf(dialog);
    HDC dc = GetDC(slider);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE digits{};
    GetTextExtentPoint32W(dc, L"000", 3, &digits);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(slider, dc);
    SYSTEM_RECT r{};
    GetWindowRect(slider, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const int width = int(digits.cx) + tm.tmAveCharWidth;
    if (r.right - r.left <= width * 2) return;  // no room beside so small a track
    HWND value = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, r.right - width, r.top,
                                 width, tm.tmHeight, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!value) return;
    SendMessageW(value, WM_SETFONT, WPARAM(font), FALSE);
    SetWindowPos(slider, nullptr, 0, 0, r.right - r.left - width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The slider keeps it beside its channel (it places its buddies itself).
    SendMessageW(slider, TBM_SETBUDDY, FALSE, LPARAM(value));
    ShowSliderValue(slider);
}

SYSTEM_RECT RectIn(HWND dialog, HWND h)
{
    SYSTEM_RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A label of several lines whose text the face wraps into more than it has: it grows down into
// the room below it, up to the next control under it, the group around it or the dialog's edge.
void FitLabel(HWND dialog, HWND label, const std::vector<HWND>& controls)
{
    SYSTEM_RECT r{};
    GetClientRect(label, &r);
    const std::wstring text = TextOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, FontOf(label));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SYSTEM_RECT need = r;
    DrawTextW(dc, text.c_str(), int(text.size()), &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    if (r.bottom < tm.tmHeight * 2 || need.bottom <= r.bottom) return;
    const SYSTEM_RECT at = RectIn(dialog, label);
    SYSTEM_RECT client{};
    GetClientRect(dialog, &client);
    LONG limit = client.bottom;
    for (HWND other : controls) {
        if (!other || other == label) continue;
        const SYSTEM_RECT o = RectIn(dialog, other);
        if (o.right <= at.left || o.left >= at.right) continue;
        if (o.top >= at.bottom) limit = std::min(limit, o.top);
        else if (o.top <= at.top && o.bottom >= at.bottom) limit = std::min(limit, o.bottom - 1);
    }
    const LONG height = std::min(LONG(need.bottom), limit - at.top);
    if (height > r.bottom)
        SetWindowPos(label, nullptr, 0, 0, at.right - at.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}

COLORREF MixColors(COLORREF a, COLORREF b, int percentB)
{
    auto ch = [&](int shift) { return ((int((a >> shift) & 255) * (100 - percentB) + int((b >> shift) & 255) * percentB) / 100) & 255; };
    return COLORREF(ch(0) | ch(8) << 8 | ch(16) << 16);
}

std::vector<SLabelRun> LabelRuns(HDC dc, const std::wstring& text)
{
    std::vector<SLabelRun> runs;
    std::vector<WORD> glyphs(text.size());
    const bool known = !text.empty() && GetGlyphIndicesW(dc, text.c_str(), int(text.size()), glyphs.data(),
                                                        GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool fallback = known && glyphs[i] == 0xFFFF;
        if (runs.empty() || runs.back().fallback != fallback) runs.push_back(SLabelRun{{}, fallback});
        runs.back().text += text[i];
    }
    return runs;
}

void DecorateControls(HWND dialog, const std::vector<HWND>& controls, const CDialog& dlg, const SDialogScheme& scheme)
{
    const COLORREF border = MixColors(scheme.face, scheme.text, 55), field = DialogRgb(14, 14, 14);
    static_assert(sizeof(DWORD_PTR) >= 8, "both colours in the subclass's data");
    const DWORD_PTR edge = DWORD_PTR(border) | DWORD_PTR(field) << 32;
    if (scheme.dark && (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CAPTION) == WS_BORDER) {
        SetWindowSubclass(dialog, EdgeHook, kEdgeHookId, edge);
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    for (size_t i = 0; i < controls.size() && i < dlg.m_controls.size(); ++i) {
        HWND h = controls[i];
        if (!h) continue;
        switch (dlg.m_controls[i].kind) {
        case EControl::Slider: AddSliderValue(dialog, h); break;
        case EControl::Static:
            FitLabel(dialog, h, controls);
            if (scheme.font != EDialogFace::Plain) SetWindowSubclass(h, LabelHook, kLabelHookId, 0);
            break;
        case EControl::GroupBox:
            if (scheme.dark) SetWindowSubclass(h, GroupHook, kGroupHookId, DWORD_PTR(border));
            break;
        case EControl::ComboBox:
            if (scheme.dark) SetWindowSubclass(h, ComboHook, kComboHookId, edge);
            break;
        default:
            if (scheme.dark && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
                SetWindowSubclass(h, EdgeHook, kEdgeHookId, edge);
                SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            }
            break;
        }
    }
}

void ShowSliderValue(HWND slider)
{
    HWND value = reinterpret_cast<HWND>(SendMessageW(slider, TBM_GETBUDDY, FALSE, 0));
    if (!value) return;
    const std::wstring text = std::to_wstring(SendMessageW(slider, TBM_GETPOS, 0, 0));
    if (TextOf(value) != text) SetWindowTextW(value, text.c_str());
    const BOOL enabled = IsWindowEnabled(slider);
    if ((IsWindowEnabled(value) != FALSE) != (enabled != FALSE)) EnableWindow(value, enabled);
}

LRESULT DrawSliderPart(const NMCUSTOMDRAW& cd, const SDialogScheme& scheme)
{
    if (cd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    HWND slider = cd.hdr.hwndFrom;
    const bool enabled = IsWindowEnabled(slider) != FALSE;
    SYSTEM_RECT thumb{};
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, LPARAM(&thumb));
    if (cd.dwItemSpec == TBCD_CHANNEL) {
        SYSTEM_RECT track{cd.rc.left, thumb.top, cd.rc.right, thumb.bottom};
        HBRUSH field = CreateSolidBrush(DialogRgb(14, 14, 14)), edge = CreateSolidBrush(MixColors(scheme.face, scheme.text, 55));
        FillRect(cd.hdc, &track, field);
        FrameRect(cd.hdc, &track, edge);
        DeleteObject(field);
        DeleteObject(edge);
        return CDRF_SKIPDEFAULT;
    }
    if (cd.dwItemSpec == TBCD_THUMB) {
        SYSTEM_RECT grab = thumb;
        InflateRect(&grab, 0, -2);
        HBRUSH fill = CreateSolidBrush(enabled ? scheme.text : MixColors(scheme.face, scheme.text, 35));
        FillRect(cd.hdc, &grab, fill);
        DeleteObject(fill);
        if (cd.uItemState & CDIS_FOCUS) DrawFocusRect(cd.hdc, &thumb);
        return CDRF_SKIPDEFAULT;
    }
    return CDRF_DODEFAULT;
}
