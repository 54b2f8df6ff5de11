// The universe view's camera: held-key turns and moves, orbiting, following a hooked orb, Home.
#include "view/UniverseView.h"

#include "engine/core/LocalCoordinateSystem.h"
#include "engine/core/Shape.h"
#include "universe/UniversalConstants.h"

namespace {

// A direct overwrite of one axis vector, followed by the repair that keeps the frame orthonormal
// unless the frame's orientation is locked.
void OverwriteView(CLocalCoordinateSystem* cs, const SFVec3f& v)
{
    cs->m_view = v;
    if (!cs->m_orientationLocked) cs->Reorthagonalize();
}

void OverwriteUp(CLocalCoordinateSystem* cs, const SFVec3f& u)
{
    cs->m_up = u;
    if (!cs->m_orientationLocked) cs->Reorthagonalize();
}
}  // namespace

void CUniverseView::ApplyCameraKeys(CLocalCoordinateSystem* cs)
{
    if (!cs) return;
    // Frames keep coming while any key is held, even when nothing moves.
    if (m_keyFlags != 0) InvalidateRect(nullptr, false);

    const bool shift = (m_keyFlags & kKeyShift) != 0;
    const bool ctrl = (m_keyFlags & kKeyCtrl) != 0;
    // Each arrow reads the vectors as the previous one left them, so held arrows combine.
    if (m_keyFlags & kKeyLeft) {
        if (shift) MoveCamera(cs, cs->m_side);
        else TurnCamera(cs, 0, kCameraStepAngle);
    }
    if (m_keyFlags & kKeyRight) {
        if (shift) MoveCamera(cs, -cs->m_side);
        else TurnCamera(cs, 0, -kCameraStepAngle);
    }
    if (m_keyFlags & kKeyUp) {
        if (shift && ctrl) MoveCamera(cs, cs->m_view);
        else if (shift) MoveCamera(cs, cs->m_up);
        else TurnCamera(cs, 1, -kCameraStepAngle);
    }
    if (m_keyFlags & kKeyDown) {
        if (shift && ctrl) MoveCamera(cs, -cs->m_view);
        else if (shift) MoveCamera(cs, -cs->m_up);
        else TurnCamera(cs, 1, kCameraStepAngle);
    }
}

void CUniverseView::TurnCamera(CLocalCoordinateSystem* cs, uint8_t axis, double angle)
{
    if (!cs) return;
    const bool shift = (m_keyFlags & kKeyShift) != 0;
    const bool ctrl = (m_keyFlags & kKeyCtrl) != 0;

    if (!(m_keyFlags & kKeyAlt)) {
        if (!shift && !ctrl) {
            // Yaw about the up vector, pitch about the side vector.
            SFVec3f view = cs->m_view;
            view.RotateAroundAxis(axis == 0 ? cs->m_up : cs->m_side, angle);
            cs->SetViewVector(view);
        } else if (ctrl && !shift && axis == 0) {
            // Roll about the view vector.
            SFVec3f up = cs->m_up;
            up.RotateAroundAxis(cs->m_view, angle);
            cs->SetUpVector(up);
        }
    } else if (!ctrl && !shift) {
        // Orbit about the world origin at the present distance, looking at the origin.
        const SFVec3f p = cs->GetAbsolutePosition();
        m_followCentre = SFVec3f::kZero;
        const SFVec3f d = p - m_followCentre;
        const SFMatrix r = SFRotation(axis == 0 ? cs->m_up : cs->m_side, angle).Transform();
        const SFVec3f turned = r * d;
        m_cameraOffset = turned;
        const SFVec3f look = (SFVec3f::kZero - (m_followCentre + turned)).Normalized();
        cs->SetViewVector(cs->ToParentDirection(look));
    } else if (ctrl && axis == 0) {
        // Alt+Ctrl roll: the up vector leads and the view is rebuilt from it.
        const SFMatrix r = SFRotation(cs->m_view, angle).Transform();
        cs->m_up = r.TransformDirection(cs->m_up);
        if (!cs->m_orientationLocked) {
            cs->m_view = cs->m_side.CrossProduct(cs->m_up);
            cs->Reorthagonalize();
        }
    }

    cs->Reorthagonalize();
    if (m_hookedOrb && m_scene && cs == &m_scene->m_camera) m_followView = cs->GetAbsoluteViewpoint();
}

bool CUniverseView::MoveCamera(CLocalCoordinateSystem* cs, const SFVec3f& direction)
{
    const SFVec3f step = direction * kCameraStepLength;
    const SFVec3f candidate = m_followCentre + m_cameraOffset + step;
    const double q = candidate.Magnitude();
    // A step that would leave the sphere is dropped whole.
    if (q < kCameraLimitSquared) m_cameraOffset += step;
    // The candidate decides the near-centre bit even when the step was refused.
    if (q >= kNearCentreSquared) m_pipelineStatus &= 0x7FFFFFFFu;
    else m_pipelineStatus |= 0x80000000u;
    if (m_scene) m_scene->m_status = m_pipelineStatus;
    return true;
}

void CUniverseView::FollowHookedOrb()
{
    if (!m_hookedOrb) {
        m_firstFollowFrame = true;
        return;
    }
    const SFVec3f p = m_hookedOrb->GetAbsolutePosition();
    m_followCentre = p;
    if (m_firstFollowFrame) {
        m_cameraOffset = SFVec3f::kZero;
        m_followView = -p.Normalized();
        m_firstFollowFrame = false;
    }
    if (!m_camera) return;
    // An orb at the very origin gives no direction to look in; the camera keeps its own.
    if (m_followView.Magnitude() == 0.0 || !m_followView.IsFinite()) return;
    if (!m_camera->m_pParent) OverwriteView(m_camera, m_followView);
    else m_camera->SetViewVector(m_camera->ToParentDirection(m_followView));
}

void CUniverseView::ResetCamera()
{
    m_followCentre = g_pConstants->m_cameraPosition;
    m_cameraOffset = SFVec3f::kZero;
    if (m_camera) {
        OverwriteView(m_camera, m_camera->ToParentDirection(g_pConstants->m_cameraView));
        OverwriteUp(m_camera, m_camera->ToParentDirection(g_pConstants->m_cameraUp));
        if (!m_camera->m_orientationLocked) {
            m_camera->m_view = m_camera->m_side.CrossProduct(m_camera->m_up);
            m_camera->Reorthagonalize();
        }
    }
    m_hookedOrb = nullptr;
}

void CUniverseView::PlaceCamera()
{
    if (m_camera) m_camera->SetAbsolutePosition(m_followCentre + m_cameraOffset);
}
