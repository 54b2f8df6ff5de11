// Orb construction and the global orb containers.
#include "universe/Orb.h"

#include "universe/Random.h"
#include "universe/UniversalConstants.h"

std::vector<COrb*> g_orbs;
std::vector<C2DTextureShader*> g_groupTextures;
CShape* g_pOrbRoot = nullptr;
CShape* g_pSphereModel = nullptr;

namespace {
const SFVec4f kWhite{1.0, 1.0, 1.0, 1.0};

double Unit(int r) { return double(r) / kRandMax; }
}

SFVec3f RandomPlaceInBox(uint32_t& state)
{
    const SFVec3f size = g_pConstants->m_boundarySize;
    const int r1 = NextRand(state), r2 = NextRand(state), r3 = NextRand(state);
    return {Unit(r3) * size.x - size.x / 2, Unit(r2) * size.y - size.y / 2, Unit(r1) * size.z - size.z / 2};
}

COrb::COrb(C2DTextureShader* texture)
{
    m_fromFile = 0;
    m_pShape = new COrbShape;
    // Each orb has its own geometry object; the vertex data stays shared with the prototype.
    if (g_pSphereModel && g_pSphereModel->m_pGeometry) {
        auto* geometry = new COrbGeometry(*g_pSphereModel->m_pGeometry);
        geometry->m_pOwner = m_pShape;
        m_pShape->m_pGeometry = geometry;
        m_pShape->m_flags |= kShapeGeometryLinked;
    }
    m_pShape->m_pUserData = this;
    m_color = {1.0, 1.0, 1.0};

    m_position = RandomPlaceInBox(g_randState);
    m_pShape->m_position = m_position;
    const int r4 = Rand(), r5 = Rand(), r6 = Rand();
    // Every component lies in [-5, 0]: the universe starts drifting towards its low corner.
    m_velocity = {r6 * 5.0 / kRandMax - 5.0, r5 * 5.0 / kRandMax - 5.0, r4 * 5.0 / kRandMax - 5.0};

    m_diameter = kOrbDiameter;
    m_startPosition = {0.0, 0.0, 0.0};
    m_pMaterial = new COrbMaterial("", 40.0, kWhite, kWhite, kWhite, false);
    m_pShape->SetShader(m_pMaterial, 0);
    m_pTexture = texture;
    if (texture) m_pShape->SetShader(texture, 1);
}

COrb::~COrb()
{
    delete m_pShape;
}

void COrb::SetTexture(C2DTextureShader* texture)
{
    m_pTexture = texture;
    m_pShape->SetShader(texture, 1);
}
