// Triangle mesh of a shape; copies share their vertex data until one of them changes it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/PersistantObject.h"
#include "engine/math/SFMatrix.h"

class CShape;

struct CMeshData {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // x, y, z per vertex
    std::vector<float> texCoords;  // u, v per vertex
    std::vector<uint32_t> indices; // three per triangle
    size_t VertexCount() const { return positions.size() / 3; }
};

enum : uint32_t {
    kGeometryScaled = 0x2000,  // rescaled to its final size
};

class CGeometry : public CPersistantObject {
public:
    std::shared_ptr<const CMeshData> m_mesh;
    C3RRegion m_localRegion;  // bounds from the last LocalVertexMinimax
    uint32_t m_flags = 0;
    CShape* m_pOwner = nullptr;
    uint32_t m_revision = 0;  // bumped when the compiled form must be remade

    CGeometry() : m_mesh(std::make_shared<CMeshData>()) {}
    CGeometry(const CGeometry& other);
    CGeometry& operator=(const CGeometry&) = delete;
    int Kind() const override { return kKindGeometry; }
    void Store(CArchiveWriter& ar) const override;
    void Load(CArchiveReader& ar) override;

    // Scales every vertex component-wise.
    void Rescale(const SFVec3f& factor);
    // Computes m_localRegion from the vertices.
    void LocalVertexMinimax();
    void ClearCompile() { ++m_revision; }
    // Radius of the bounding sphere about the local origin, from m_localRegion.
    double BoundingRadius() const;
    CMeshData& MutableMesh();
};
