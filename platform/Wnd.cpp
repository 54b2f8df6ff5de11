// The portable window object: creation, the message path, invalidation and destruction.
#include "platform/Wnd.h"

#include "platform/App.h"
#include "platform/MessageQueue.h"

namespace {
IWindowHost* g_pWindowHost = nullptr;
CPoint g_headlessCursor;
RECT g_headlessScreen{0, 0, 640, 480};
}

namespace {
std::string& IconImage()
{
    static std::string path;
    return path;
}
}

void SetWindowIconImage(const std::string& path) { IconImage() = path; }
const std::string& WindowIconImage() { return IconImage(); }

RECT GetScreenRect() { return g_pWindowHost ? g_pWindowHost->GetScreenRect() : g_headlessScreen; }
void SetHeadlessScreenRect(const RECT& rect) { g_headlessScreen = rect; }

IWindowHost* GetWindowHost() { return g_pWindowHost; }
void SetWindowHost(IWindowHost* host) { g_pWindowHost = host; }

bool GetCursorPos(CPoint* point)
{
    if (g_pWindowHost) return g_pWindowHost->GetCursorPos(point);
    *point = g_headlessCursor;
    return true;
}

void SetHeadlessCursorPos(CPoint point) { g_headlessCursor = point; }

CWnd::~CWnd()
{
    // No messages from a destructor: the derived parts are already gone.
    delete m_pBackend;
    m_pBackend = nullptr;
    if (m_created) UnregisterLiveWindow(this);
}

bool CWnd::CreateEx(uint32_t exStyle, uint32_t style, const RECT& rect, CWnd* parent, long nativeParent)
{
    if (m_created) return false;
    m_exStyle = exStyle;
    m_style = style;
    m_headlessRect = rect;
    m_pParent = (parent && (style & WS_CHILD)) ? parent : nullptr;
    if (m_pParent) {
        // A child sits inside its parent: its rectangle is in the parent's client coordinates.
        RECT pr;
        parent->GetWindowRect(&pr);
        m_headlessRect = {pr.left + rect.left, pr.top + rect.top, pr.left + rect.right, pr.top + rect.bottom};
    }
    if (IWindowHost* host = g_pWindowHost) {
        m_pBackend = host->CreateWindow(this, m_pParent, exStyle, style, rect, nativeParent);
        if (!m_pBackend) return false;
    }
    m_created = true;
    RegisterLiveWindow(this);
    if (SendMessage(WM_CREATE) == -1) {
        DestroyWindow();
        return false;
    }
    RECT client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, 0, MakeLParam(int(RectWidth(client)), int(RectHeight(client))));
    // A window that appears needs its first paint.
    if (m_created && (style & WS_VISIBLE)) InvalidateRect(nullptr, true);
    return m_created;
}

void CWnd::DestroyWindow()
{
    if (!m_created || m_destroying) return;
    m_destroying = true;
    SendMessage(WM_DESTROY);
    SendMessage(WM_NCDESTROY);
    if (m_pBackend) {
        m_pBackend->Destroy();
        delete m_pBackend;
        m_pBackend = nullptr;
    }
    m_created = false;
    m_invalid = false;
    m_needsPresent = false;
    UnregisterLiveWindow(this);
    AfxWindowDestroyed(this);
    m_destroying = false;
    // Last: the object may delete itself here.
    PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return OnMessage(message, wParam, lParam); }

LRESULT CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_PAINT:
        ValidateRect();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close through the system command, as the classic API does.
        if (wParam == VK_F4 && (lParam & kAltContextBit)) PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) PostMessage(WM_CLOSE);
        return 0;
    default:
        return 0;
    }
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_created) return false;
    PostQueuedMessage({this, message, wParam, lParam});
    return true;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT) return WindowProc(message, wParam, lParam);
    // Painting validates first, so a handler that invalidates asks for the next frame.
    m_invalid = false;
    if (m_pBackend) m_pBackend->BeginPaint();
    const LRESULT r = WindowProc(message, wParam, lParam);
    if (m_created) m_needsPresent = true;
    return r;
}

void CWnd::InvalidateRect(const RECT* /*rect*/, bool /*erase*/)
{
    if (m_created) m_invalid = true;
}

void CWnd::Present()
{
    if (m_pBackend && m_needsPresent) m_pBackend->Present();
    m_needsPresent = false;
}

bool CWnd::IsHidden() const { return m_pBackend && m_pBackend->IsHidden(); }

void CWnd::SetFocus()
{
    if (m_pBackend) m_pBackend->SetFocus();
}

void CWnd::GetWindowRect(RECT* rect) const
{
    if (m_pBackend) m_pBackend->GetWindowRect(rect);
    else *rect = m_headlessRect;
}

void CWnd::GetClientRect(RECT* rect) const
{
    if (m_pBackend) {
        m_pBackend->GetClientRect(rect);
        return;
    }
    *rect = {0, 0, RectWidth(m_headlessRect), RectHeight(m_headlessRect)};
}

void CWnd::SetHeadlessRect(const RECT& screenRect) { m_headlessRect = screenRect; }

void CWnd::MoveWindow(const RECT& rect)
{
    if (!m_created) return;
    if (m_pBackend) {
        m_pBackend->MoveWindow(rect);
    } else {
        RECT origin{0, 0, 0, 0};
        if (m_pParent) m_pParent->GetWindowRect(&origin);
        m_headlessRect = {origin.left + rect.left, origin.top + rect.top, origin.left + rect.right,
                          origin.top + rect.bottom};
    }
    SendMessage(WM_SIZE, 0, MakeLParam(int(RectWidth(rect)), int(RectHeight(rect))));
    InvalidateRect(nullptr, false);
}

int CWnd::PaneCount() const
{
    if (m_pBackend) return m_pBackend->PaneCount();
    return m_headlessPanes.empty() ? 1 : int(m_headlessPanes.size());
}

void CWnd::GetPaneRect(int pane, RECT* rect) const
{
    if (m_pBackend) m_pBackend->GetPaneRect(pane, rect);
    else if (pane > 0 && pane < int(m_headlessPanes.size())) *rect = m_headlessPanes[size_t(pane)];
    else GetWindowRect(rect);
}

void CWnd::BeginPane(int pane)
{
    if (m_pBackend) m_pBackend->BeginPane(pane);
}
