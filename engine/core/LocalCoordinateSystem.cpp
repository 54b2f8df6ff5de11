// Frame arithmetic: terminal matrices, absolute setters and re-orthogonalisation.
#include "engine/core/LocalCoordinateSystem.h"

#include <cmath>

namespace {
bool NearlyZero(const SFVec3f& v) { return !(v.Magnitude() > 1e-24) ; }
}

SFMatrix CLocalCoordinateSystem::ComputeTerminalMatrix() const
{
    SFMatrix m = LocalMatrix();
    for (const CLocalCoordinateSystem* p = m_pParent; p; p = p->m_pParent) m = p->LocalMatrix() * m;
    return m;
}

SFVec3f CLocalCoordinateSystem::GetAbsolutePosition() const
{
    return m_pParent ? ComputeTerminalMatrix().GetPosition() : m_position;
}

SFVec3f CLocalCoordinateSystem::GetAbsoluteViewpoint() const
{
    return m_pParent ? ComputeTerminalMatrix().GetViewVector() : m_view;
}

SFVec3f CLocalCoordinateSystem::GetAbsoluteUp() const
{
    return m_pParent ? ComputeTerminalMatrix().GetUpVector() : m_up;
}

SFVec3f CLocalCoordinateSystem::ToParentDirection(const SFVec3f& worldDir) const
{
    if (!m_pParent) return worldDir;
    return m_pParent->ComputeTerminalMatrix().Inverted().TransformDirection(worldDir);
}

void CLocalCoordinateSystem::SetAbsolutePosition(const SFVec3f& p)
{
    m_position = m_pParent ? m_pParent->ComputeTerminalMatrix().Inverted() * p : p;
}

bool CLocalCoordinateSystem::PlaceAt(const SFVec3f& world)
{
    const SFVec3f local = m_pParent ? m_pParent->ComputeTerminalMatrix().Inverted() * world : world;
    if (m_pRegion && !m_pRegion->Contains(local)) return false;
    m_position = local;
    return true;
}

void CLocalCoordinateSystem::SetAbsoluteViewpoint(const SFVec3f& v) { SetViewVector(ToParentDirection(v)); }
void CLocalCoordinateSystem::SetAbsoluteUp(const SFVec3f& u) { SetUpVector(ToParentDirection(u)); }

void CLocalCoordinateSystem::SetViewVector(const SFVec3f& v)
{
    if (NearlyZero(v) || !v.IsFinite()) return;
    m_view = v.Normalized();
    Reorthagonalize();
}

void CLocalCoordinateSystem::SetUpVector(const SFVec3f& u)
{
    if (NearlyZero(u) || !u.IsFinite()) return;
    const SFVec3f up = u.Normalized();
    SFVec3f side = up.CrossProduct(m_view);
    if (NearlyZero(side)) return;  // up along the view: no frame can be made
    side.Normalize();
    m_up = up;
    m_side = side;
    m_view = side.CrossProduct(up);
}

void CLocalCoordinateSystem::Reorthagonalize()
{
    // Non-finite vectors cannot be repaired; leave them for the caller's own checks.
    if (!m_view.IsFinite() || !m_up.IsFinite() || NearlyZero(m_view)) return;
    m_view.Normalize();
    SFVec3f side = m_up.CrossProduct(m_view);
    if (NearlyZero(side)) {
        // Up along the view: keep the old side vector as the guide.
        SFVec3f up = m_view.CrossProduct(m_side);
        if (NearlyZero(up)) return;
        m_up = up.Normalize();
        side = m_up.CrossProduct(m_view);
    }
    m_side = side.Normalize();
    m_up = m_view.CrossProduct(m_side).Normalize();
}
