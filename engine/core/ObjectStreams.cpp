// How shapes and geometries are stored in model files.
#include "engine/core/Archive.h"
#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"
#include "engine/core/Shape.h"

namespace {
// Bounds on what a model file may ask us to allocate.
constexpr uint32_t kMaxVertices = 1u << 20;
constexpr uint32_t kMaxIndices = 3u << 21;

void StoreFloats(CArchiveWriter& ar, const std::vector<float>& v)
{
    ar.WriteU32(uint32_t(v.size()));
    for (float f : v) ar.WriteF32(f);
}

std::vector<float> LoadFloats(CArchiveReader& ar, uint32_t limit)
{
    const uint32_t n = ar.ReadU32();
    if (n > limit || size_t(n) * 4 > ar.Remaining()) throw CQLException("model file: array too large");
    std::vector<float> v(n);
    for (float& f : v) f = ar.ReadF32();
    return v;
}
}

void CPersistantObject::Store(CArchiveWriter& ar) const { ar.WriteString(m_name); }
void CPersistantObject::Load(CArchiveReader& ar) { m_name = ar.ReadString(); }

void CGeometry::Store(CArchiveWriter& ar) const
{
    CPersistantObject::Store(ar);
    ar.WriteU32(m_flags);
    StoreFloats(ar, m_mesh->positions);
    StoreFloats(ar, m_mesh->normals);
    StoreFloats(ar, m_mesh->texCoords);
    ar.WriteU32(uint32_t(m_mesh->indices.size()));
    for (uint32_t i : m_mesh->indices) ar.WriteU32(i);
}

void CGeometry::Load(CArchiveReader& ar)
{
    CPersistantObject::Load(ar);
    m_flags = ar.ReadU32();
    CMeshData mesh;
    mesh.positions = LoadFloats(ar, 3 * kMaxVertices);
    mesh.normals = LoadFloats(ar, 3 * kMaxVertices);
    mesh.texCoords = LoadFloats(ar, 2 * kMaxVertices);
    const uint32_t n = ar.ReadU32();
    if (n > kMaxIndices || size_t(n) * 4 > ar.Remaining()) throw CQLException("model file: too many indices");
    mesh.indices.resize(n);
    const size_t vertices = mesh.positions.size() / 3;
    for (uint32_t& i : mesh.indices) {
        i = ar.ReadU32();
        if (i >= vertices) throw CQLException("model file: index out of range");
    }
    if (mesh.positions.size() % 3 || mesh.normals.size() != mesh.positions.size() ||
        mesh.texCoords.size() != vertices * 2 || n % 3)
        throw CQLException("model file: inconsistent mesh");
    m_mesh = std::make_shared<CMeshData>(std::move(mesh));
    LocalVertexMinimax();
    ClearCompile();
}

void CShape::Store(CArchiveWriter& ar) const
{
    CPersistantObject::Store(ar);
    ar.WriteVec3(m_position);
    ar.WriteVec3(m_side);
    ar.WriteVec3(m_up);
    ar.WriteVec3(m_view);
    ar.WriteU8(m_pGeometry ? 1 : 0);
    if (m_pGeometry) m_pGeometry->Store(ar);
}

void CShape::Load(CArchiveReader& ar)
{
    CPersistantObject::Load(ar);
    m_position = ar.ReadVec3();
    m_side = ar.ReadVec3();
    m_up = ar.ReadVec3();
    m_view = ar.ReadVec3();
    if (ar.ReadU8()) {
        auto* g = new CGeometry;
        try {
            g->Load(ar);
        } catch (...) {
            delete g;
            throw;
        }
        if (m_pGeometry && m_pGeometry->m_pOwner == this) delete m_pGeometry;
        m_pGeometry = g;
        g->m_pOwner = this;
    }
}
