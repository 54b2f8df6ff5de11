// Orbs into and out of the universe: the builds, the population count, start positions.
#include "universe/OrbScene.h"

#include <algorithm>

#include "engine/core/QLException.h"
#include "engine/core/Scene.h"
#include "universe/Orb.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace {
const SFVec4f kWhite{1.0, 1.0, 1.0, 1.0};

void NotifyOrbsDestroyed()
{
    if (g_universeContext.onOrbsDestroyed) g_universeContext.onOrbsDestroyed(g_universeContext.ctx);
}

void SyncOrbCount() { g_pConstants->m_orbCount = int32_t(g_orbs.size()); }

// The orb's destructor frees its shape, which releases the shape's shaders and geometry.
void FreeOrb(COrb* orb)
{
    orb->m_pShape->DisconnectFromParent();
    delete orb;
}

void FreeEveryOrb()
{
    if (g_orbs.empty()) return;
    NotifyOrbsDestroyed();
    // Off the root in one pass first: one by one, each would be searched for among the rest.
    if (g_pOrbRoot) {
        std::vector<CCyberspaceObject*> shapes;
        shapes.reserve(g_orbs.size());
        for (COrb* orb : g_orbs) shapes.push_back(orb->m_pShape);
        g_pOrbRoot->DisconnectChildren(shapes);
    }
    for (COrb* orb : g_orbs) FreeOrb(orb);
    g_orbs.clear();
}

void ClearObjectTable()
{
    if (CScene* scene = g_universeContext.scene) scene->ClearSpatialElements();
}

// Shared start of both builds. A second build in the same run starts from an empty universe
// and keeps the root the scene may already hold.
CShape* PrepareBuild()
{
    if (!g_orbs.empty()) DeleteAllOrbs();
    if (!LoadSphereModel()) return nullptr;
    if (!g_pOrbRoot) g_pOrbRoot = new COrbShape;
    if (CScene* scene = g_universeContext.scene) {
        scene->CreateSpatialMap(g_universeContext.spatialMapDivisions, 600.0, {600.0, 600.0, 600.0},
                                {-300.0, -300.0, -300.0});
        scene->ClearSpatialElements();
    }
    return g_pOrbRoot;
}

// Creates and adds one untextured orb; the orb is freed again if the scene refuses it.
COrb* AddNewOrb()
{
    auto* orb = new COrb(nullptr);
    try {
        AddOrb(orb);
    } catch (...) {
        delete orb;
        throw;
    }
    return orb;
}
}

CShape* BuildEmptyUniverse() { return PrepareBuild(); }

CShape* BuildUniverse(const std::vector<int>& counts, const std::vector<int>& textureIndices)
{
    CShape* root = PrepareBuild();
    if (!root) return nullptr;
    for (size_t k = 0; k < counts.size() && counts[k] >= 0; ++k) {
        C2DTextureShader* texture = nullptr;
        if (k < textureIndices.size() && textureIndices[k] >= 0 &&
            size_t(textureIndices[k]) < g_groupTextures.size())
            texture = g_groupTextures[size_t(textureIndices[k])];
        const int room = kMaxOrbs - int(g_orbs.size());
        const int n = std::min(counts[k], room);
        for (int i = 0; i < n; ++i) AddNewOrb()->SetTexture(texture);
    }
    return root;
}

void AddOrb(COrb* orb)
{
    CScene* scene = g_universeContext.scene;
    // Refuse before touching anything, so a failed add leaves the universe as it was.
    if (!scene || !scene->HasSpatialMap() || !g_pOrbRoot)
        throw CQLException("AddOrb: the scene has no object table");
    const SFVec4f c{orb->m_color.x, orb->m_color.y, orb->m_color.z, 1.0};
    orb->m_pMaterial = new COrbMaterial("", 40.0, c, c, kWhite, false);
    orb->m_pShape->SetShader(orb->m_pMaterial, 0);
    g_orbs.push_back(orb);
    g_pOrbRoot->AddChild(orb->m_pShape, true);
    SyncOrbCount();
    scene->AddSpatialElement(orb->m_pShape);
}

void SetOrbCount(int n)
{
    n = std::clamp(n, 0, kMaxOrbs);
    if (size_t(n) >= g_orbs.size()) {
        while (g_orbs.size() < size_t(n)) AddNewOrb();
    } else {
        NotifyOrbsDestroyed();
        while (g_orbs.size() > size_t(n)) {
            COrb* orb = g_orbs.back();
            g_orbs.pop_back();
            FreeOrb(orb);
        }
        if (CScene* scene = g_universeContext.scene) scene->ShrinkSpatialElements(n);
    }
    SyncOrbCount();
}

void MoveOrbsToStart()
{
    for (COrb* orb : g_orbs) {
        orb->m_pShape->PlaceAt(orb->m_startPosition);
        orb->m_position = orb->m_startPosition;
        if (!orb->m_position.IsFinite()) {
            orb->m_position = RandomVector(0.03);
            orb->m_pShape->PlaceAt(orb->m_position);
        }
    }
}

void RecordStartPositions()
{
    for (COrb* orb : g_orbs) {
        orb->AdvanceOrb();
        orb->m_startPosition = orb->m_pShape->GetAbsolutePosition();
    }
}

void DeleteAllOrbs()
{
    FreeEveryOrb();
    g_pConstants->m_orbCount = 0;
    ClearObjectTable();
}

void DestroyAllOrbs()
{
    FreeEveryOrb();
    ClearObjectTable();
    delete g_pOrbRoot;
    g_pOrbRoot = nullptr;
    // The prototype belongs to the default catalog, which the window frees next.
    g_pSphereModel = nullptr;
    ReleaseGroupTextures();
}

int AddGroupTexture(C2DTextureShader* texture)
{
    if (texture) texture->AddRef();
    g_groupTextures.push_back(texture);
    return int(g_groupTextures.size()) - 1;
}

void ReleaseGroupTextures()
{
    for (C2DTextureShader* texture : g_groupTextures)
        if (texture) texture->Release();
    g_groupTextures.clear();
}
