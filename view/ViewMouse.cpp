// The universe view's mouse: grab and throw, hook the camera to an orb, strike, close on movement.
#include "view/UniverseView.h"

#include <algorithm>
#include <cstdlib>

#include "universe/Orb.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace {

// The speed factor of a throw: the throw force, raised by the gravity slider.
double ThrowFactor() { return (g_pConstants->m_gravity + 1.0) * g_pConstants->m_throwForce; }

// Mouse movement (in screen pixels, both axes summed) that ends the saver with tracking off.
constexpr int kCloseOnMoveSlack = 5;

}  // namespace

LRESULT CUniverseView::OnMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point = m_mousePoint;
    switch (message) {
    case WM_LBUTTONDOWN:
        m_scene->SetHitVector(0, point);
        m_dragStart = point;
        m_pickPending = true;
        m_throwVector = SFVec3f::kZero;
        break;
    case WM_MOUSEMOVE:
        if (m_dragOrb) {
            DragStep(point);
            return 1;
        }
        if (!m_mouseTracking) CloseOnMove();
        break;
    case WM_LBUTTONUP:
        if (m_dragOrb) ReleaseAndThrow();
        break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (m_mouseTracking) {
            // The next frame hooks (right) or strikes (middle) what lies under the cursor; a click
            // while hooked lets go and so strikes instead.
            m_scene->SetHitVector(0, point);
            m_hookRequest = (message == WM_RBUTTONDOWN);
            if (m_hookedOrb) Unhook();
            return 1;
        }
        PostMessage(WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CUniverseView::CloseOnMove()
{
    CPoint cursor;
    if (!GetCursorPos(&cursor)) return;
    if (!m_moveOriginRecorded) {
        m_moveOrigin = cursor;
        m_moveOriginRecorded = true;
        return;
    }
    const int moved = std::abs(cursor.x - m_moveOrigin.x) + std::abs(cursor.y - m_moveOrigin.y);
    if (moved > kCloseOnMoveSlack) PostMessage(WM_CLOSE, 0, 0);
}

void CUniverseView::ProcessHits()
{
    if (!m_scene) return;
    std::vector<CCollisionReport>* hits = m_scene->m_pHitList;
    const int count = hits ? std::min<int>(m_scene->m_hitCount, int(hits->size())) : 0;
    if (count <= 0) {
        m_scene->ClearHits();
        return;
    }
    // Nearest first.
    std::stable_sort(hits->begin(), hits->begin() + count,
                     [](const CCollisionReport& a, const CCollisionReport& b) { return a.m_distance < b.m_distance; });

    short part = 0;
    SFVec3f hitPoint, normal;
    double distance = 0.0;
    int id = 0;
    if (m_pickPending) {
        CShape* s = m_scene->TerminalHit(0, part, hitPoint, normal, distance, id);
        m_dragOrb = s;
        m_dragPoint = s->GetAbsolutePosition();
        m_pickPending = false;
    } else {
        const double strike = g_pConstants->m_topSpeed + g_pConstants->m_hitSpeedBonus;
        for (int i = 0; i < count; ++i) {
            CShape* s = m_scene->TerminalHit(i, part, hitPoint, normal, distance, id);
            if (m_hookRequest) {
                m_hookedOrb = s;
                m_hookRequest = false;
                m_followView = s->GetAbsoluteViewpoint();
                break;
            }
            if (s == m_hookedOrb) continue;
            // The hit normal in world axes; the orb is pushed into the surface that was hit.
            SFMatrix r = s->ComputeTerminalMatrix();
            r.SetPosition(SFVec3f::kZero);
            const SFVec3f n = r * normal;
            if (COrb* orb = COrb::FromShape(s)) orb->m_velocity += -n * strike;
        }
    }
    m_scene->ClearHits();
}

void CUniverseView::DragStep(CPoint point)
{
    const double dx = 0.5 * (point.x - m_dragStart.x);
    const double dy = 0.5 * (point.y - m_dragStart.y);
    if (dx == 0.0 && dy == 0.0) return;
    if (!m_camera || !m_dragOrb) return;

    // The move carried into the plane of the screen: half a world unit per pixel.
    const SFVec3f v = m_camera->GetAbsoluteViewpoint();
    const SFVec3f u = m_camera->GetAbsoluteUp();
    const SFVec3f side = u.CrossProduct(v);
    const SFVec3f upScreen = m_camera->m_pParent ? m_camera->ComputeTerminalMatrix().GetUpVector() : m_camera->m_up;
    const SFVec3f d = side * (-dx) + upScreen * dy;

    const SFVec3f t = m_throwVector;
    const SFVec3f throwDir = (t == SFVec3f::kZero) ? d : t * t.DotProduct(d) + d;
    if (COrb* orb = COrb::FromShape(m_dragOrb)) orb->m_velocity = throwDir * ThrowFactor();

    m_dragPoint += d;
    m_dragStart = point;
    m_throwVector = d;
}

void CUniverseView::PlaceDraggedOrb()
{
    if (!m_dragOrb) return;
    m_dragOrb->PlaceAt(m_dragPoint);
    // The held orb must not drift away from the hand.
    COrb* orb = COrb::FromShape(m_dragOrb);
    if (orb && orb->m_pShape == m_dragOrb) orb->m_velocity = SFVec3f::kZero;
}

void CUniverseView::ReleaseAndThrow()
{
    if (!m_dragOrb) return;
    // A refused placement leaves the shape where it is; the throw still happens.
    m_dragOrb->PlaceAt(m_dragPoint);
    if (COrb* orb = COrb::FromShape(m_dragOrb)) {
        orb->m_velocity = m_throwVector * ThrowFactor();
        orb->m_position = m_dragPoint;
    }
    if (g_universeContext.timeStopped) ++m_arrangements;
    m_dragOrb = nullptr;
}

void CUniverseView::Unhook()
{
    m_followCentre = g_pConstants->m_cameraPosition;
    m_cameraOffset = SFVec3f::kZero;
    if (m_camera) {
        if (!m_camera->m_pParent) {
            m_camera->m_view = g_pConstants->m_cameraView;
            if (!m_camera->m_orientationLocked) m_camera->Reorthagonalize();
        } else {
            m_camera->SetViewVector(m_camera->ToParentDirection(g_pConstants->m_cameraView));
        }
        m_camera->SetUpVector(m_camera->ToParentDirection(g_pConstants->m_cameraUp));
    }
    m_hookedOrb = nullptr;
    m_hookRequest = false;
}

void CUniverseView::ForgetOrbs()
{
    m_dragOrb = nullptr;
    m_hookedOrb = nullptr;
    m_hookRequest = false;
    // A hit list made before the orbs went would name shapes that no longer exist.
    if (m_scene) m_scene->ClearHits();
}
