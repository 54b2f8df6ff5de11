// Writes the orb prototype: a smooth unit UV sphere named "sphere2" in a model file.
#include <cmath>
#include <cstdio>
#include <exception>

#include "engine/core/Geometry.h"
#include "engine/core/ModelFile.h"
#include "engine/core/QLException.h"
#include "engine/core/Shape.h"
#include "platform/FileReplace.h"

namespace {
// 40 x 20 quads: round silhouettes at any orb size on screen, about 1,500 triangles.
constexpr int kSegments = 40;
constexpr int kRings = 20;
constexpr double kPi = 3.14159265358979323846;

CMeshData MakeSphere()
{
    CMeshData mesh;
    // One extra column duplicates the seam so texture coordinates run 0..1 without a jump.
    for (int r = 0; r <= kRings; ++r) {
        const double v = double(r) / kRings;
        const double polar = v * kPi;
        for (int s = 0; s <= kSegments; ++s) {
            const double u = double(s) / kSegments;
            const double azimuth = u * 2.0 * kPi;
            const double x = std::sin(polar) * std::cos(azimuth);
            const double y = std::cos(polar);
            const double z = std::sin(polar) * std::sin(azimuth);
            mesh.positions.insert(mesh.positions.end(), {float(x), float(y), float(z)});
            mesh.normals.insert(mesh.normals.end(), {float(x), float(y), float(z)});
            mesh.texCoords.insert(mesh.texCoords.end(), {float(u), float(v)});
        }
    }
    const uint32_t row = kSegments + 1;
    for (uint32_t r = 0; r < kRings; ++r) {
        for (uint32_t s = 0; s < kSegments; ++s) {
            const uint32_t a = r * row + s, b = a + row, c = b + 1, d = a + 1;
            // The pole rows collapse one triangle of each quad to nothing: leave it out.
            if (r != 0) mesh.indices.insert(mesh.indices.end(), {a, b, d});
            if (r != kRings - 1) mesh.indices.insert(mesh.indices.end(), {d, b, c});
        }
    }
    return mesh;
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_sphere OUTPUT.umf\n");
        return 64;
    }
    try {
        CShape shape;
        shape.m_name = "sphere2";
        auto* geometry = new CGeometry;
        geometry->m_name = "sphere2";
        geometry->m_mesh = std::make_shared<CMeshData>(MakeSphere());
        geometry->LocalVertexMinimax();
        geometry->m_pOwner = &shape;
        shape.m_pGeometry = geometry;

        CUMF umf;
        umf.Create(argv[1], ReplacingWriter());
        umf.StoreObject(shape);
        umf.Close();
    } catch (const CQLException& e) {
        std::fprintf(stderr, "gen_sphere: %s\n", e.What().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_sphere: %s\n", e.what());
        return 1;
    }
    return 0;
}
