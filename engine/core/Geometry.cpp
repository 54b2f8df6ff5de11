// Mesh scaling and bounds.
#include "engine/core/Geometry.h"

#include <algorithm>
#include <cmath>

CGeometry::CGeometry(const CGeometry& other)
    : CPersistantObject(other), m_mesh(other.m_mesh), m_localRegion(other.m_localRegion),
      m_flags(other.m_flags), m_pOwner(nullptr), m_revision(0)
{
}

CMeshData& CGeometry::MutableMesh()
{
    // Copy on write: other geometries may share this vertex data.
    if (m_mesh.use_count() != 1) m_mesh = std::make_shared<CMeshData>(*m_mesh);
    ++m_revision;
    return const_cast<CMeshData&>(*m_mesh);
}

void CGeometry::Rescale(const SFVec3f& factor)
{
    CMeshData& mesh = MutableMesh();
    for (size_t i = 0; i + 2 < mesh.positions.size(); i += 3) {
        mesh.positions[i] = float(mesh.positions[i] * factor.x);
        mesh.positions[i + 1] = float(mesh.positions[i + 1] * factor.y);
        mesh.positions[i + 2] = float(mesh.positions[i + 2] * factor.z);
    }
    m_localRegion.m_min = m_localRegion.m_min * factor;
    m_localRegion.m_max = m_localRegion.m_max * factor;
}

void CGeometry::LocalVertexMinimax()
{
    const auto& p = m_mesh->positions;
    if (p.size() < 3) {
        m_localRegion = C3RRegion();
        return;
    }
    SFVec3f lo(p[0], p[1], p[2]), hi = lo;
    for (size_t i = 3; i + 2 < p.size(); i += 3) {
        lo = {std::min<double>(lo.x, p[i]), std::min<double>(lo.y, p[i + 1]), std::min<double>(lo.z, p[i + 2])};
        hi = {std::max<double>(hi.x, p[i]), std::max<double>(hi.y, p[i + 1]), std::max<double>(hi.z, p[i + 2])};
    }
    m_localRegion = C3RRegion(lo, hi);
}

double CGeometry::BoundingRadius() const
{
    const SFVec3f& a = m_localRegion.m_min;
    const SFVec3f& b = m_localRegion.m_max;
    // The largest half-extent: exact for spheres, which is all the universe draws.
    return 0.5 * std::max({b.x - a.x, b.y - a.y, b.z - a.z});
}
