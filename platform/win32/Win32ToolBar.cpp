// The editing frame's toolbar as the common controls' toolbar: the same pictures as the painted
// bar (an image list from each picture and one from its greyed copy), the tips from the string
// table, docked at the top of the frame's window. Its clicks reach the frame as WM_COMMAND through
// the program's queue, as every other input does.
#include "platform/win32/Win32ToolBar.h"

#include <map>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "platform/NativeToolBar.h"
#include "platform/Wnd.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Controls.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x4E42;  // the bar's hook on the frame's window
constexpr int kToolBarId = 0xE800;        // the classic frame's toolbar id

// A picture for the image list: laid on the button's face (the list's mask keeps the transparent
// part clear, so a lit or pressed button shows through it), scaled to size x size.
HBITMAP FaceBitmap(const std::string& path, int size, HBITMAP* mask)
{
    CDIB dib(path);
    if (dib.GetWidth() != size || dib.GetHeight() != size) dib.FPRescale(size, size);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;  // top row first, as the picture holds it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int faceRgb[3] = {GetRValue(face), GetGValue(face), GetBValue(face)};
    // The mask has one bit per pixel, rows padded to 16 bits: set where the face shows.
    const int stride = ((size + 15) / 16) * 2;
    std::vector<uint8_t> maskBits(size_t(stride * size), 0);
    const uint8_t* src = dib.Pixels();
    auto* dst = static_cast<uint8_t*>(bits);
    for (int i = 0; i < size * size; ++i) {
        const int a = src[4 * i + 3];
        for (int c = 0; c < 3; ++c) dst[4 * i + 2 - c] = uint8_t((src[4 * i + c] * a + faceRgb[c] * (255 - a)) / 255);
        dst[4 * i + 3] = 0;
        if (a < 128) maskBits[size_t((i / size) * stride + (i % size) / 8)] |= uint8_t(0x80 >> (i % 8));
    }
    *mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    return color;
}

class CWin32ToolBar : public INativeToolBar {
public:
    CWin32ToolBar(CWnd& frame, HWND frameWindow) : m_frame(frame), m_frameWindow(frameWindow) {}
    ~CWin32ToolBar() override;

    bool Create(const std::vector<SNativeToolButton>& buttons, int imageSize);
    void SetState(int id, bool enabled, bool checked) override;
    long Fit(long clientWidth) override;

private:
    static LRESULT CALLBACK FrameHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    static HIMAGELIST MakeImages(const std::vector<SNativeToolButton>& buttons, int size, bool disabled);

    CWnd& m_frame;
    HWND m_frameWindow;
    HWND m_bar = nullptr;
    HIMAGELIST m_images = nullptr, m_disabledImages = nullptr;
    std::map<int, std::wstring> m_tips;  // command -> its tip
    std::map<int, BYTE> m_shown;         // command -> its button's state as the bar shows it
};

CWin32ToolBar::~CWin32ToolBar()
{
    RemoveWindowSubclass(m_frameWindow, FrameHook, kSubclassId);
    if (m_bar && IsWindow(m_bar)) DestroyWindow(m_bar);
    if (m_images) ImageList_Destroy(m_images);
    if (m_disabledImages) ImageList_Destroy(m_disabledImages);
}

HIMAGELIST CWin32ToolBar::MakeImages(const std::vector<SNativeToolButton>& buttons, int size, bool disabled)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, int(buttons.size()), 0);
    if (!list) return nullptr;
    for (const SNativeToolButton& b : buttons) {
        HBITMAP color = nullptr, mask = nullptr;
        try {
            color = FaceBitmap(disabled ? b.disabledImage : b.image, size, &mask);
        } catch (...) {
            // A missing picture leaves the button blank; it still works and shows its tip.
        }
        if (!color) {
            HDC screen = GetDC(nullptr);
            color = CreateCompatibleBitmap(screen, size, size);
            ReleaseDC(nullptr, screen);
            mask = CreateBitmap(size, size, 1, 1, nullptr);
        }
        ImageList_Add(list, color, mask);
        DeleteObject(color);
        if (mask) DeleteObject(mask);
    }
    return list;
}

bool CWin32ToolBar::Create(const std::vector<SNativeToolButton>& buttons, int size)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // The frame's OpenGL picture leaves the bar's rectangle alone.
    SetWindowLongPtrW(m_frameWindow, GWL_STYLE, GetWindowLongPtrW(m_frameWindow, GWL_STYLE) | WS_CLIPCHILDREN);
    m_bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
                            0, 0, 0, 0, m_frameWindow, reinterpret_cast<HMENU>(intptr_t(kToolBarId)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!m_bar) return false;
    SendMessageW(m_bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(m_bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    m_images = MakeImages(buttons, size, false);
    m_disabledImages = MakeImages(buttons, size, true);
    SendMessageW(m_bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
    SendMessageW(m_bar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(m_disabledImages));
    std::vector<TBBUTTON> added;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const SNativeToolButton& b = buttons[i];
        TBBUTTON t{};
        t.iBitmap = int(i);
        t.idCommand = b.id;
        t.fsState = BYTE((b.enabled ? TBSTATE_ENABLED : 0) | (b.checked ? TBSTATE_CHECKED : 0));
        t.fsStyle = BTNS_BUTTON;
        t.iString = -1;
        added.push_back(t);
        m_shown[b.id] = t.fsState;
        m_tips[b.id] = Widen(b.tip);
    }
    SendMessageW(m_bar, TB_ADDBUTTONSW, WPARAM(added.size()), reinterpret_cast<LPARAM>(added.data()));
    SendMessageW(m_bar, TB_AUTOSIZE, 0, 0);
    return SetWindowSubclass(m_frameWindow, FrameHook, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CWin32ToolBar::SetState(int id, bool enabled, bool checked)
{
    const auto shown = m_shown.find(id);
    const BYTE state = BYTE((enabled ? TBSTATE_ENABLED : 0) | (checked ? TBSTATE_CHECKED : 0));
    if (shown == m_shown.end() || shown->second == state) return;
    SendMessageW(m_bar, TB_SETSTATE, WPARAM(id), MAKELPARAM(state, 0));
    shown->second = state;
}

long CWin32ToolBar::Fit(long clientWidth)
{
    (void)clientWidth;  // the bar takes the frame's width itself
    SendMessageW(m_bar, TB_AUTOSIZE, 0, 0);
    SYSTEM_RECT r{};
    GetWindowRect(m_bar, &r);
    return long(r.bottom - r.top);
}

LRESULT CALLBACK CWin32ToolBar::FrameHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto* bar = reinterpret_cast<CWin32ToolBar*>(self);
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == bar->m_bar) {
            bar->m_frame.PostMessage(WM_COMMAND, WPARAM(LOWORD(wParam)), 0);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (info->hdr.code != TTN_GETDISPINFOW) break;
        const auto tip = bar->m_tips.find(int(info->hdr.idFrom));
        if (tip == bar->m_tips.end()) break;
        info->lpszText = const_cast<wchar_t*>(tip->second.c_str());
        return 0;
    }
    case WM_SIZE:
        // The frame's layout follows through the queue; the bar keeps the width meanwhile.
        SendMessageW(bar->m_bar, TB_AUTOSIZE, 0, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::unique_ptr<INativeToolBar> MakeToolBar(CWnd& frame, const std::vector<SNativeToolButton>& buttons, int imageSize)
{
    IWindowBackend* backend = frame.Backend();
    HWND window = backend ? static_cast<HWND>(backend->NativeWindow()) : nullptr;
    if (!window) return nullptr;
    auto made = std::make_unique<CWin32ToolBar>(frame, window);
    if (!made->Create(buttons, imageSize)) return nullptr;
    return made;
}
}

void InstallWin32ToolBar() { SetNativeToolBarMaker(MakeToolBar); }
