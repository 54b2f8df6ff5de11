// The message loop: events, queued messages, paints when the queue is empty, idle, present, pace.
#include "platform/App.h"

#include <chrono>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/Wnd.h"

namespace {
CWinApp* g_pApp = nullptr;

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A window waiting for a paint that someone could see.
bool WantsPaint(const CWnd* w) { return w->IsInvalidated() && !w->IsHidden(); }

// A message that only repeats state does not count as activity for the idle handler.
bool IsIdleMessage(UINT message) { return message == WM_PAINT || message == WM_MOUSEMOVE; }

// How long an idle loop sleeps between looks at the outside world (signals, foreign windows).
constexpr double kIdleWaitSeconds = 0.1;
}

CWinApp* AfxGetApp() { return g_pApp; }

void AfxWindowDestroyed(CWnd* wnd)
{
    if (g_pApp && g_pApp->m_pMainWnd == wnd) {
        g_pApp->m_pMainWnd = nullptr;
        g_pApp->OnMainWindowDestroyed();
        PostQuitMessage(0);
    }
}

void AfxCloseMainWindow()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd->IsWindow()) app->m_pMainWnd->PostMessage(WM_CLOSE);
    else PostQuitMessage(0);
}

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::OnIdle(long /*count*/) { return FALSE; }

double CWinApp::Now() const { return m_clock ? m_clock() : SteadySeconds(); }

int CWinApp::Run()
{
    if (!m_pMainWnd) return ExitInstance();
    while (RunOnce()) {
    }
    ClearMessageQueue();
    return ExitInstance();
}

bool CWinApp::RunOnce()
{
    PumpSystemEvents();
    if (!DispatchQueuedMessages()) return false;
    if (PaintDue()) PaintInvalidatedWindows();
    if (!HasQueuedMessages()) RunIdle();
    PresentPaintedWindows();
    WaitForWork();
    return true;
}

void CWinApp::PumpSystemEvents()
{
    if (IWindowHost* host = GetWindowHost()) host->PumpEvents();
}

bool CWinApp::DispatchQueuedMessages()
{
    SQueuedMessage m;
    while (PopQueuedMessage(&m)) {
        if (m.message == WM_QUIT) {
            m_exitCode = int(m.wParam);
            return false;
        }
        if (!IsIdleMessage(m.message)) {
            m_idleCount = 0;
            m_idleDone = false;
        }
        if (m.wnd && m.wnd->IsWindow()) m.wnd->SendMessage(m.message, m.wParam, m.lParam);
    }
    return true;
}

bool CWinApp::PaintDue() const
{
    if (HasQueuedMessages() || !m_pacer.Ready(Now())) return false;
    for (CWnd* w : LiveWindows())
        if (WantsPaint(w)) return true;
    return false;
}

void CWinApp::PaintInvalidatedWindows()
{
    // A paint may create or destroy windows: walk a copy and recheck each one.
    const std::vector<CWnd*> windows = LiveWindows();
    for (CWnd* w : windows) {
        const auto& live = LiveWindows();
        bool alive = false;
        for (CWnd* l : live) alive = alive || l == w;
        if (alive && w->IsWindow() && WantsPaint(w)) w->SendMessage(WM_PAINT);
    }
}

void CWinApp::RunIdle()
{
    if (m_idleDone) return;
    if (!OnIdle(m_idleCount++)) m_idleDone = true;
}

void CWinApp::PresentPaintedWindows()
{
    bool presented = false;
    const std::vector<CWnd*> windows = LiveWindows();
    for (CWnd* w : windows) {
        if (!w->NeedsPresent()) continue;
        w->Present();
        presented = true;
        OnFramePresented(w);
    }
    if (presented) m_pacer.FramePresented(Now());
}

void CWinApp::WaitForWork()
{
    IWindowHost* host = GetWindowHost();
    if (!host || HasQueuedMessages()) return;
    bool invalid = false;
    for (CWnd* w : LiveWindows()) invalid = invalid || WantsPaint(w);
    if (invalid) {
        const double wait = m_pacer.TimeUntilReady(Now());
        if (wait > 0.0) host->WaitEvents(wait);
        return;
    }
    if (!m_idleDone) return;
    host->WaitEvents(kIdleWaitSeconds);
}
