// The universe view's input entry point: the gate, message dispatch and the keyboard commands.
#include "view/UniverseView.h"

#include "platform/Dialog.h"
#include "universe/Orb.h"
#include "universe/UniverseContext.h"
#include "view/AppServices.h"
#include "universe/Random.h"

namespace {

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

void SetFlag(uint32_t& flags, uint32_t bit, bool on)
{
    if (on) flags |= bit;
    else flags &= ~bit;
}

// 0.005 / 32767 and 0.05 / 32767: the small push a slow orb gets at a big bang.
constexpr double kBangPushYZ = 1.5259254737998596e-7;
constexpr double kBangPushX = 1.5259254737998596e-6;

}  // namespace

LRESULT CUniverseView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Without a scene, or while a dialog of ours is open, the window passes everything on.
    if (!m_scene || g_openDialog) return CWnd::WindowProc(message, wParam, lParam);

    m_mousePoint = ComputeMousePoint();

    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return OnKey(message, wParam, lParam);
    case WM_SYSCOMMAND: {
        // The low four bits of a system command are the system's own.
        const WPARAM command = wParam & 0xFFF0;
        // Inside the editing frame Alt+F4 closes the frame, as in any desktop program.
        if (command == SC_CLOSE && m_windowMode == kFrameWindow && GetParent()) {
            GetParent()->PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        // No second screen saver on top of this one, and Alt+F4 does nothing.
        if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
        return CWnd::WindowProc(message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnMouse(message, wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

CPoint CUniverseView::ComputeMousePoint() const
{
    CPoint cursor;
    if (!GetCursorPos(&cursor)) return m_mousePoint;
    // y grows upwards from the window's bottom edge, as the hit ray expects.
    return CPoint(int(cursor.x - g_windowRect.left), int(g_windowRect.bottom - cursor.y));
}

void CUniverseView::PostPaint() { PostMessage(WM_PAINT, 0, 0); }

LRESULT CUniverseView::OnKey(UINT message, WPARAM key, LPARAM lParam)
{
    const bool down = IsKeyDown(message);
    switch (key) {
    case VK_CONTROL:
        SetFlag(m_keyFlags, kKeyCtrl, down);
        return 1;
    case VK_MENU:
        SetFlag(m_keyFlags, kKeyAlt, down);
        return 1;
    case 'A':
    case 'H':
    case 'O':
    case 'S':
    case 'V':
        RunViewDialog(message, key);
        return 1;
    case 'B':
        BigBang();
        PostPaint();
        return 1;
    case 'C':
        ScaleVelocities(0.9);
        PostPaint();
        return 1;
    case 'M':
        // One press toggles once: the release and auto-repeated downs leave tracking alone.
        if (down && !(lParam & kPreviousStateBit)) {
            m_mouseTracking = !m_mouseTracking;
            // Closing on movement measures from the first move after tracking went off.
            if (!m_mouseTracking) m_moveOriginRecorded = false;
            PostPaint();
        }
        return 1;
    case 'W':
        ScaleVelocities(1.1);
        return 1;
    case VK_LEFT:
        SetFlag(m_keyFlags, kKeyLeft, down);
        return 1;
    case VK_RIGHT:
        SetFlag(m_keyFlags, kKeyRight, down);
        return 1;
    case VK_UP:
        SetFlag(m_keyFlags, kKeyUp, down);
        return 1;
    case VK_DOWN:
        SetFlag(m_keyFlags, kKeyDown, down);
        return 1;
    case VK_HOME:
        ResetCamera();
        return 1;
    case VK_SHIFT:
        SetFlag(m_keyFlags, kKeyShift, down);
        return CWnd::WindowProc(message, key, lParam);
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_RETURN:
        // Alt+Space must not end the saver, nor must the release of a key whose press went
        // elsewhere (Space after Alt was let go first, ESC that closed a dialog): only a press
        // without Alt closes. Inside the editing frame these keys never close the window.
        if (down && !(lParam & kAltContextBit) && m_windowMode != kFrameWindow) PostMessage(WM_CLOSE, 0, 0);
        return CWnd::WindowProc(message, key, lParam);
    default:
        return CWnd::WindowProc(message, key, lParam);
    }
}

void CUniverseView::RunViewDialog(UINT message, WPARAM key)
{
    // The release of the press that opened a dialog went to that dialog, however late it comes.
    if (!IsKeyDown(message) && key == m_dialogKey) {
        m_dialogKey = 0;
        return;
    }
    CAppServices* app = GetAppServices();
    m_autoRedraw = false;
    if (key == 'O') {
        // The options dialog registers itself and applies its values on OK.
        app->RunOptionsDialog();
        m_autoRedraw = !app->m_previewMode;
        g_openDialog = nullptr;
        m_dialogKey = IsKeyDown(message) ? key : 0;
        PostPaint();
        return;
    }
    CDialog* dlg = app->CreateViewDialog(int(key));
    if (!dlg) {
        m_autoRedraw = !app->m_previewMode;
        return;
    }
    g_openDialog = dlg;
    dlg->DoModal();
    // Closing the share dialog animates even the preview; the others leave the preview still.
    m_autoRedraw = key == 'S' ? true : !app->m_previewMode;
    g_openDialog = nullptr;
    m_dialogKey = IsKeyDown(message) ? key : 0;
    PostPaint();
    delete dlg;
}

void CUniverseView::ScaleVelocities(double factor)
{
    for (COrb* orb : g_orbs) orb->m_velocity *= factor;
}

void CUniverseView::BigBang()
{
    if (g_universeContext.timeStopped) ++m_arrangements;
    for (COrb* orb : g_orbs) {
        orb->m_position = SFVec3f::kZero;
        if (orb->m_pShape) orb->m_pShape->PlaceAt(SFVec3f::kZero);
        orb->m_velocity *= 0.99;
        if (orb->m_velocity.Magnitude() < 1.0 || !orb->m_velocity.IsFinite()) {
            // The draws are taken z first, then y, then x.
            const double z = Rand() * kBangPushYZ;
            const double y = Rand() * kBangPushYZ;
            const double x = Rand() * kBangPushX;
            orb->m_velocity = SFVec3f(x, y, z);
        }
    }
}
