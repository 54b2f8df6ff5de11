// The Win32 window host: full-screen popups (one per monitor), children of another program's window
// (the preview), panes of our own windows (the editing frame's universe), one WGL context for all.
// The window procedure hands the system's messages to our windows as they come: they already
// speak Win32's numbers. Input is posted to the program's queue, so it is handled between frames.
#include "platform/win32/Win32Host.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/gl/GlReadout.h"
#include "engine/gl/GlRenderer.h"
#include "engine/gl/GlSnapshot.h"
#include "platform/App.h"
#include "platform/Diagnostics.h"
#include "platform/FrameRateMeter.h"
#include "platform/Host.h"
#include "platform/MessageQueue.h"
#include "platform/WindowTree.h"
#include "platform/Wnd.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Cursor.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Gl.h"
#include "platform/FileReplace.h"

namespace {
constexpr wchar_t kClassName[] = L"NimbulaUniverse";
// The program's icon in its resources (nimbula.rc).
constexpr int kIconResource = 1;

std::atomic<bool> g_closeRequested{false};
std::atomic<DWORD> g_uiThread{0};

class CWin32Host;

// The window on a further monitor of a view that covers every monitor.
struct SPane {
    HWND hwnd = nullptr;
    HDC dc = nullptr;
};

class CWin32Window : public CTreeWindow {
public:
    CWin32Host* m_host = nullptr;
    HWND m_hwnd = nullptr;
    HDC m_dc = nullptr;
    HWND m_foreignParent = nullptr;  // the other program's window we sit in (the preview)
    SIZE m_foreignSize{0, 0};         // its client size when last looked at
    bool m_destroying = false;        // we destroy it ourselves
    bool m_noFocus = false;           // the desktop background never takes the keyboard
    HCURSOR m_cursor = nullptr;
    CFrameRateMeter m_rate;
    // A child of our own shares its parent's window and draws into a rectangle of it; in a
    // top-level window (the editing frame) it is a system child window with a drawable of its own,
    // so the frame's other children (the toolbar) keep their place beside it.
    bool m_systemChild = false;
    bool m_framed = false;  // a desktop window whose children are system windows; no drawable
    bool m_trackingLeave = false;
    std::vector<SPane> m_extra;  // the windows on the other monitors

    void GetWindowRect(RECT* rect) const override;
    void GetClientRect(RECT* rect) const override;
    void Destroy() override;
    void* NativeWindow() const override { return m_hwnd; }
    bool IsForeign() const override { return m_foreignParent != nullptr; }
    bool IsHidden() const override;
    void MoveWindow(const RECT& rectInParent) override;
    int PaneCount() const override { return 1 + int(m_extra.size()); }
    void GetPaneRect(int pane, RECT* rect) const override;

    HWND PaneWindow(int pane) const { return pane > 0 && pane <= int(m_extra.size()) ? m_extra[size_t(pane - 1)].hwnd : m_hwnd; }
    HDC PaneDc(int pane) const { return pane > 0 && pane <= int(m_extra.size()) ? m_extra[size_t(pane - 1)].dc : m_dc; }
    CWin32Window* TopWindow() { return static_cast<CWin32Window*>(Top()); }

protected:
    void MakePaneCurrent(int pane) override;
    void ShowPane(int pane) override;
    bool HasOwnSurface() const override { return m_systemChild; }
    void FocusSystemWindow() override;
};

class CWin32Host : public CWindowTreeHost {
public:
    explicit CWin32Host(const SHostOptions& options) : m_options(options) {}
    ~CWin32Host() override;

    IWindowBackend* CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style, const RECT& rect,
                                 long nativeParent) override;
    bool GetCursorPos(CPoint* point) override;
    void PumpEvents() override;
    void WaitEvents(double seconds) override;
    bool GetForeignClientRect(unsigned long window, RECT* rect) override;

    void MakeCurrent(CWin32Window* w, int pane = 0);
    void DestroyWindow(CWin32Window* w);
    void DrawReadout(CWin32Window* w, int pane);
    LRESULT Handle(CWin32Window* w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool RegisterClassOnce();
    HWND CreateSystemWindow(CWin32Window* w, DWORD exStyle, DWORD style, const RECT& rect, HWND parent);
    bool AttachGl(HWND hwnd, HDC* dc);
    HCURSOR CursorFor(const std::string& image);
    std::vector<RECT> Monitors() override;
    void AddMonitorPanes(CWin32Window* w, const RECT& first, DWORD exStyle, DWORD style);
    void RouteInput(CWin32Window* root, UINT message, WPARAM wParam, LPARAM lParam);
    void TrackForeignWindows();

    SHostOptions m_options;
    bool m_classRegistered = false;
    CWglContext m_gl;
    CGlRenderer* m_pRenderer = nullptr;
    CGlReadout* m_pReadout = nullptr;
    std::map<std::string, HCURSOR> m_cursors;
    int m_inhibitors = 0;
};

CWin32Host* g_pHost = nullptr;

void SnapshotPreview(HWND hwnd);

void CWin32Window::GetWindowRect(RECT* rect) const
{
    if (m_parent && !m_systemChild) {
        RECT p;
        m_parent->GetWindowRect(&p);
        *rect = {p.left + m_childRect.left, p.top + m_childRect.top, p.left + m_childRect.right, p.top + m_childRect.bottom};
        return;
    }
    SYSTEM_RECT r{};
    if (!m_hwnd || m_gone || !::GetWindowRect(m_hwnd, &r)) {
        *rect = m_childRect;
        return;
    }
    *rect = FromSystemRect(r);
}

void CWin32Window::GetClientRect(RECT* rect) const
{
    if (m_parent || !m_hwnd || m_gone) {
        RECT r;
        GetWindowRect(&r);
        *rect = {0, 0, RectWidth(r), RectHeight(r)};
        return;
    }
    SYSTEM_RECT r{};
    ::GetClientRect(m_hwnd, &r);
    *rect = FromSystemRect(r);
}

void CWin32Window::FocusSystemWindow()
{
    // As the classic call does, focus moves only within a program that has it already.
    if (m_foreignParent || m_noFocus || !m_hwnd || m_gone) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &pid);
    if (pid == GetCurrentProcessId() && GetFocus() != m_hwnd) ::SetFocus(m_hwnd);
}

void CWin32Window::MakePaneCurrent(int pane) { m_host->MakeCurrent(this, pane); }


void CWin32Window::MoveWindow(const RECT& rectInParent)
{
    m_childRect = rectInParent;
    if (m_systemChild && m_hwnd && !m_gone)
        ::MoveWindow(m_hwnd, int(rectInParent.left), int(rectInParent.top), int(std::max<long>(1, RectWidth(rectInParent))),
                     int(std::max<long>(1, RectHeight(rectInParent))), FALSE);
}

void CWin32Window::GetPaneRect(int pane, RECT* rect) const
{
    if (pane <= 0 || pane > int(m_extra.size())) {
        GetWindowRect(rect);
        return;
    }
    SYSTEM_RECT r{};
    ::GetWindowRect(m_extra[size_t(pane - 1)].hwnd, &r);
    *rect = FromSystemRect(r);
}

void CWin32Window::ShowPane(int pane)
{
    m_host->DrawReadout(this, pane);
    // The preview's and the frame pane's frames, for tests under Wine (see SnapshotPreview).
    if (m_foreignParent || m_systemChild) SnapshotPreview(m_hwnd);
    SwapBuffers(PaneDc(pane));
}

void CWin32Window::Destroy() { m_host->DestroyWindow(this); }

bool CWin32Window::IsHidden() const
{
    if (m_parent) return m_parent->IsHidden();
    if (!m_hwnd || m_gone) return true;
    // A minimised window shows nothing; a covered one is still drawn (Windows has no cheap test).
    return IsIconic(m_hwnd) != FALSE;
}

// With the preview snapshot asked for (NIMBULA_PREVIEW_SNAPSHOT), the preview (and the editing frame's pane) writes every frame
// it shows to that picture file: under Wine a child window's OpenGL never reaches the screen, so
// tests read the frame from there.
void SnapshotPreview(HWND hwnd)
{
    const std::string& path = Diagnostics().previewSnapshot;
    if (path.empty()) return;
    SYSTEM_RECT r{};
    ::GetClientRect(hwnd, &r);
    const std::string partial = path + ".part";
    // Whole pictures only: a reader never sees one half written.
    if (ReadBackBuffer(int(r.right), int(r.bottom)).SavePng(partial, ReplacingWriter()))
        MoveFileExW(Widen(partial).c_str(), Widen(path).c_str(), MOVEFILE_REPLACE_EXISTING);
}

CWin32Window* WindowOf(HWND hwnd) { return reinterpret_cast<CWin32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    CWin32Window* w = WindowOf(hwnd);
    if (!w || !g_pHost) return DefWindowProcW(hwnd, message, wParam, lParam);
    return g_pHost->Handle(w, hwnd, message, wParam, lParam);
}

CWin32Host::~CWin32Host()
{
    for (auto& [path, cursor] : m_cursors)
        if (cursor) DestroyCursor(cursor);
    if (m_pRenderer) m_pRenderer->AbandonContext();
    if (m_pReadout) m_pReadout->AbandonContext();
    m_gl.Destroy();
    if (GetSceneRenderer() == m_pRenderer) SetSceneRenderer(nullptr);
    delete m_pRenderer;
    delete m_pReadout;
    if (m_inhibitors > 0) SetThreadExecutionState(ES_CONTINUOUS);
    if (g_pHost == this) g_pHost = nullptr;
}

bool CWin32Host::RegisterClassOnce()
{
    if (m_classRegistered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // Every window keeps its own device context: the GL context draws into it at every frame.
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(kIconResource));
    wc.hIconSm = wc.hIcon;
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) {
        std::fprintf(stderr, "nimbula: cannot register the window class (error %lu)\n", GetLastError());
        return false;
    }
    m_classRegistered = true;
    return true;
}

HWND CWin32Host::CreateSystemWindow(CWin32Window* w, DWORD exStyle, DWORD style, const RECT& rect, HWND parent)
{
    const int width = int(std::max<long>(1, RectWidth(rect))), height = int(std::max<long>(1, RectHeight(rect)));
    HWND hwnd = CreateWindowExW(exStyle, kClassName, L"Nimbula", style, int(rect.left), int(rect.top), width, height,
                                parent, nullptr, GetModuleHandleW(nullptr), w);
    if (!hwnd) std::fprintf(stderr, "nimbula: cannot make a window (error %lu)\n", GetLastError());
    return hwnd;
}

bool CWin32Host::AttachGl(HWND hwnd, HDC* dc)
{
    *dc = GetDC(hwnd);
    if (!*dc) return false;
    // Vsync only when the pace is left to us; measuring asks for every frame the machine can make.
    if (!m_gl.Attach(*dc, m_options.pace < 0)) return false;
    m_gl.MakeCurrent(*dc);
    if (!m_pRenderer) m_pRenderer = new CGlRenderer;
    SetSceneRenderer(m_pRenderer);
    return true;
}

HCURSOR CWin32Host::CursorFor(const std::string& image)
{
    if (image.empty()) return nullptr;
    auto it = m_cursors.find(image);
    if (it != m_cursors.end()) return it->second;
    HCURSOR cursor = CreateCursorFromPicture(image);
    m_cursors.emplace(image, cursor);
    return cursor;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, SYSTEM_RECT*, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto* out = reinterpret_cast<std::vector<RECT>*>(data);
    const RECT r = FromSystemRect(info.rcMonitor);
    // The primary monitor first, as the SDL host orders them.
    if (info.dwFlags & MONITORINFOF_PRIMARY) out->insert(out->begin(), r);
    else out->push_back(r);
    return TRUE;
}

std::vector<RECT> CWin32Host::Monitors()
{
    std::vector<RECT> out;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&out));
    return out;
}

bool CWin32Host::GetForeignClientRect(unsigned long window, RECT* rect)
{
    HWND hwnd = window == 0 || long(window) == -1 ? GetDesktopWindow() : reinterpret_cast<HWND>(uintptr_t(window));
    SYSTEM_RECT r{};
    if (!IsWindow(hwnd) || !::GetClientRect(hwnd, &r)) return false;
    *rect = FromSystemRect(r);
    return true;
}

bool CWin32Host::GetCursorPos(CPoint* point)
{
    POINT p{0, 0};
    if (!::GetCursorPos(&p)) return false;
    *point = CPoint(int(p.x), int(p.y));
    return true;
}

IWindowBackend* CWin32Host::CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style, const RECT& rect,
                                         long nativeParent)
{
    if (!RegisterClassOnce()) return nullptr;
    auto* w = new CWin32Window;
    w->m_host = this;
    w->m_owner = owner;
    if (parent && parent->Backend() && !parent->Backend()->IsForeign()) {
        auto* p = static_cast<CWin32Window*>(parent->Backend());
        w->m_parent = p;
        w->m_childRect = rect;
        if (p->m_framed) {
            // In the editing frame: a system child window drawing for itself.
            w->m_systemChild = true;
            w->m_hwnd = CreateSystemWindow(w, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect, p->m_hwnd);
            if (!w->m_hwnd || !AttachGl(w->m_hwnd, &w->m_dc)) {
                if (w->m_hwnd) ::DestroyWindow(w->m_hwnd);
                delete w;
                return nullptr;
            }
            w->m_cursor = CursorFor(owner->m_cursorImage);
        } else {
            // A pane of one of our windows: no window of its own, a rectangle of the parent's.
            w->m_hwnd = p->m_hwnd;
            w->m_dc = p->m_dc;
        }
        m_tree.Add(w);
        return w;
    }
    const bool shown = (style & WS_VISIBLE) != 0;
    HWND hwnd = nullptr;
    if (nativeParent != 0) {
        // The preview: a child window of ours inside the other program's window, filling it.
        HWND foreign = nativeParent == -1 ? GetDesktopWindow() : reinterpret_cast<HWND>(intptr_t(nativeParent));
        SYSTEM_RECT client{};
        if (!IsWindow(foreign) || !::GetClientRect(foreign, &client)) {
            delete w;
            return nullptr;
        }
        w->m_foreignParent = foreign;
        w->m_foreignSize = {client.right, client.bottom};
        hwnd = CreateSystemWindow(w, 0, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  RECT{0, 0, client.right, client.bottom}, foreign);
    } else if (exStyle & WS_EX_DESKTOP) {
        hwnd = CreateSystemWindow(w, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, rect, nullptr);
        w->m_noFocus = true;
    } else if (style & WS_POPUP) {
        // The screen saver stays above every other window, as Windows' own savers do. It is no tool
        // window (which would keep it off the task list it covers anyway): a window manager on X
        // gives the keyboard to no window that skips the task list (Wine), and keys end the saver.
        hwnd = CreateSystemWindow(w, WS_EX_TOPMOST, WS_POPUP, rect, nullptr);
    } else {
        // A desktop window (the editing frame): its panes and controls are system children, and
        // it draws nothing itself, so OpenGL never paints over them.
        hwnd = CreateSystemWindow(w, 0, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect, nullptr);
        w->m_framed = true;
    }
    if (!hwnd) {
        delete w;
        return nullptr;
    }
    w->m_hwnd = hwnd;
    if (!w->m_framed && !AttachGl(hwnd, &w->m_dc)) {
        w->m_destroying = true;
        ::DestroyWindow(hwnd);
        delete w;
        return nullptr;
    }
    m_tree.Add(w);
    w->m_cursor = CursorFor(owner->m_cursorImage);
    if ((exStyle & WS_EX_ALLMONITORS) && !w->m_foreignParent && ((exStyle & WS_EX_DESKTOP) || (style & WS_POPUP)))
        AddMonitorPanes(w, rect, exStyle, style);
    if (shown) {
        ShowWindow(hwnd, w->m_noFocus ? SW_SHOWNOACTIVATE : SW_SHOW);
        for (SPane& p : w->m_extra) ShowWindow(p.hwnd, w->m_noFocus ? SW_SHOWNOACTIVATE : SW_SHOW);
        if (w->m_noFocus) SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        else if (!w->m_foreignParent) SetForegroundWindow(hwnd);
    }
    if (!w->m_foreignParent) {
        // Our own window keeps the system's screen saver and blanking away while it exists.
        if (m_inhibitors++ == 0) SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);
    }
    return w;
}

void CWin32Host::AddMonitorPanes(CWin32Window* w, const RECT& first, DWORD exStyle, DWORD style)
{
    for (const RECT& monitor : Monitors()) {
        if (monitor == first) continue;
        const DWORD ex = (exStyle & WS_EX_DESKTOP) ? (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)
                                                   : (WS_EX_TOPMOST | ((exStyle & WS_EX_TOOLWINDOW) ? WS_EX_TOOLWINDOW : 0));
        SPane pane;
        pane.hwnd = CreateSystemWindow(w, ex, WS_POPUP, monitor, nullptr);
        if (!pane.hwnd) continue;
        pane.dc = GetDC(pane.hwnd);
        if (!pane.dc || !m_gl.Attach(pane.dc, m_options.pace < 0)) {
            std::fprintf(stderr, "nimbula: no OpenGL for the monitor at %ld,%ld\n", long(monitor.left), long(monitor.top));
            ::DestroyWindow(pane.hwnd);
            continue;
        }
        w->m_extra.push_back(pane);
    }
    (void)style;
    m_gl.MakeCurrent(w->m_dc);
}

void CWin32Host::DrawReadout(CWin32Window* w, int pane)
{
    if (!m_options.showFps || !m_gl.Exists()) return;
    if (pane == 0) w->m_rate.FramePresented(double(GetTickCount64()) / 1000.0);
    MakeCurrent(w, pane);
    SYSTEM_RECT r{};
    ::GetClientRect(w->PaneWindow(pane), &r);
    if (!m_pReadout) m_pReadout = new CGlReadout;
    m_pReadout->Draw(w->m_rate.Text(), int(r.right), int(r.bottom));
}

void CWin32Host::MakeCurrent(CWin32Window* w, int pane)
{
    if (!m_gl.Exists() || w->m_gone || !w->m_hwnd || !w->PaneDc(pane)) return;
    m_gl.MakeCurrent(w->PaneDc(pane));
    if (w->m_parent && !w->m_systemChild) {
        // The child's rectangle of the shared drawable, in pixels from its bottom left corner;
        // measured in client coordinates, which start below a caption and border.
        CWin32Window* top = w->TopWindow();
        SYSTEM_RECT client{};
        ::GetClientRect(top->m_hwnd, &client);
        const CPoint offset = w->OffsetInTop();
        const RECT& r = w->m_childRect;
        const int cw = std::max(1, int(RectWidth(r))), ch = std::max(1, int(RectHeight(r)));
        if (m_pRenderer) m_pRenderer->SetDrawableSize(cw, ch, top->m_hwnd, offset.x, int(client.bottom) - offset.y - ch);
        return;
    }
    SYSTEM_RECT r{};
    ::GetClientRect(w->PaneWindow(pane), &r);
    if (m_pRenderer) m_pRenderer->SetDrawableSize(int(r.right), int(r.bottom), w->PaneWindow(pane));
}

void CWin32Host::DestroyWindow(CWin32Window* w)
{
    const bool child = w->m_parent != nullptr;
    // A child that outlives its parent keeps its place but draws nowhere (a system child window
    // goes with its parent's).
    for (CTreeWindow* orphan : m_tree.Remove(w)) {
        auto* o = static_cast<CWin32Window*>(orphan);
        o->m_hwnd = nullptr;
        o->m_dc = nullptr;
    }
    if (child) {
        if (w->m_systemChild && w->m_hwnd && !w->m_gone) {
            w->m_destroying = true;
            wglMakeCurrent(nullptr, nullptr);
            ::DestroyWindow(w->m_hwnd);
        }
        w->m_hwnd = nullptr;
        w->m_dc = nullptr;
        return;
    }
    if (!w->m_foreignParent && w->m_hwnd && --m_inhibitors == 0) SetThreadExecutionState(ES_CONTINUOUS);
    wglMakeCurrent(nullptr, nullptr);
    if (m_tree.Windows().empty()) {
        // The context goes with the last window; the renderer starts afresh with the next one.
        if (m_pRenderer) m_pRenderer->AbandonContext();
        if (m_pReadout) m_pReadout->AbandonContext();
        m_gl.Destroy();
    }
    w->m_destroying = true;
    for (SPane& p : w->m_extra) ::DestroyWindow(p.hwnd);
    w->m_extra.clear();
    if (w->m_hwnd && !w->m_gone) ::DestroyWindow(w->m_hwnd);
    w->m_hwnd = nullptr;
    w->m_dc = nullptr;
}

void CWin32Host::RouteInput(CWin32Window* root, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
        m_tree.PostKey(root, message, wParam, lParam);
        return;
    }
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    const bool buttonsDown = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    const SMouseRoute route = m_tree.PostMouse(root, message, wParam, point, buttonsDown);
    // The system sends the moves outside the window to the one that holds the capture.
    if (route.captureBegins) SetCapture(root->m_hwnd);
    if (route.captureEnds) ReleaseCapture();
}

LRESULT CWin32Host::Handle(CWin32Window* w, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool first = hwnd == w->m_hwnd;
    switch (message) {
    case WM_PAINT:
        // The next frame repaints the whole window: the system's request is answered by it.
        ValidateRect(hwnd, nullptr);
        m_tree.InvalidateSubtree(w, true);
        return 0;
    case WM_ERASEBKGND:
        // The frame shows the system's face around its controls (a flat toolbar lets it through).
        if (w->m_framed && first) {
            SYSTEM_RECT r{};
            ::GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        }
        return 1;
    case WM_SIZE:
        // A pane's size is the frame's doing: it hears of it when the frame moves it.
        if (first && !w->m_foreignParent && !w->m_systemChild) w->m_owner->PostMessage(WM_SIZE, wParam, lParam);
        if (first && w->m_foreignParent) w->m_owner->PostMessage(WM_SIZE, 0, lParam);
        m_tree.InvalidateSubtree(w, true);
        return 0;
    case WM_MOVE:
        if (first) w->m_owner->PostMessage(WM_MOVE, wParam, lParam);
        return 0;
    case WM_CLOSE:
        // The close box and Alt+F4 go the way of the system menu's Close.
        w->m_owner->PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        // Windows asks a running saver before it starts another one, and the answer is no.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    case WM_ENDSESSION:
        if (wParam) RequestWin32Close();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(w->m_cursor ? w->m_cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (!w->m_destroying && first) {
            // The system took the window away (the preview's window closed): the view ends.
            w->m_gone = true;
            w->m_owner->PostMessage(WM_CLOSE);
        }
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
        // Windows of other programs (the preview) take no input.
        if (!w->m_foreignParent) RouteInput(w, message, wParam, lParam);
        // Nothing of Alt's menu or its beep: our windows have no menu.
        return 0;
    case WM_SYSCHAR:
        return 0;
    case WM_MOUSEMOVE:
        if (!w->m_trackingLeave && first) {
            TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd, 0};
            w->m_trackingLeave = TrackMouseEvent(&t) != FALSE;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        if (!w->m_foreignParent) RouteInput(w, message, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        // A second press soon after the first is a press like any other here.
        if (!w->m_foreignParent) RouteInput(w, message - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN), wParam, lParam);
        return 0;
    case WM_MOUSELEAVE:
        w->m_trackingLeave = false;
        m_tree.MouseLeft(w);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CWin32Host::TrackForeignWindows()
{
    for (CWin32Window* w : m_tree.All<CWin32Window>()) {
        if (!w->m_foreignParent || w->m_gone) continue;
        SYSTEM_RECT r{};
        if (!IsWindow(w->m_foreignParent) || !::GetClientRect(w->m_foreignParent, &r)) {
            w->m_gone = true;
            w->m_owner->PostMessage(WM_CLOSE);
            continue;
        }
        // The other program resized its window: ours follows and fills it again.
        if (r.right != w->m_foreignSize.cx || r.bottom != w->m_foreignSize.cy) {
            w->m_foreignSize = {r.right, r.bottom};
            MoveWindow(w->m_hwnd, 0, 0, int(r.right), int(r.bottom), TRUE);
        }
    }
}

void CWin32Host::PumpEvents()
{
    if (g_closeRequested.exchange(false)) AfxCloseMainWindow();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    TrackForeignWindows();
}

void CWin32Host::WaitEvents(double seconds)
{
    if (g_closeRequested) return;
    const DWORD ms = DWORD(std::max(1.0, std::ceil(seconds * 1000.0)));
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
}  // namespace

std::unique_ptr<IWindowHost> CreateWin32Host(const SHostOptions& options)
{
    auto host = std::make_unique<CWin32Host>(options);
    g_pHost = host.get();
    g_uiThread = GetCurrentThreadId();
    return host;
}

void RequestWin32Close()
{
    g_closeRequested = true;
    // Wakes the loop if it waits for messages.
    if (DWORD thread = g_uiThread) PostThreadMessageW(thread, WM_NULL, 0, 0);
}

bool Win32CloseRequested() { return g_closeRequested; }
