// Scene bookkeeping: the spatial map's element store, ray hits and the draw entry point.
#include "engine/core/Scene.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"

namespace {
IRenderer* g_pSceneRenderer = nullptr;

bool IsIdentity(const SFMatrix& m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0 : 0.0)) return false;
    return true;
}

// Largest grid we accept: the command line may ask for any 16-bit count.
constexpr int kMaxDivisions = 128;
}

IRenderer* GetSceneRenderer() { return g_pSceneRenderer; }
void SetSceneRenderer(IRenderer* renderer) { g_pSceneRenderer = renderer; }

CScene::~CScene() { ClearHits(); }

void CScene::AddObject(CCyberspaceObject* object)
{
    if (object && std::find(m_objects.begin(), m_objects.end(), object) == m_objects.end())
        m_objects.push_back(object);
}

void CScene::CreateSpatialMap(short divisions, double size, const SFVec3f& extent, const SFVec3f& origin)
{
    m_divisions = std::clamp<int>(divisions, 1, kMaxDivisions);
    m_mapSize = size;
    m_mapExtent = extent;
    m_mapOrigin = origin;
    m_cellStep[0] = extent.x / m_divisions;
    m_cellStep[1] = extent.y / m_divisions;
    m_cellStep[2] = extent.z / m_divisions;
    m_cellHeads.assign(size_t(m_divisions) * m_divisions * m_divisions, -1);
    m_occupiedCells.clear();
    m_occupiedBits.assign((m_cellHeads.size() + 63) / 64, 0);
    m_hasMap = true;
}

void CScene::AddSpatialElement(CShape* shape)
{
    if (!m_hasMap) throw CQLException("the scene has no spatial map");
    if (size_t(m_elementCount) == m_elements.size()) m_elements.emplace_back();
    m_elements[size_t(m_elementCount)] = {shape, -1};
    ++m_elementCount;
}

void CScene::ShrinkSpatialElements(int n)
{
    n = std::clamp(n, 0, m_elementCount);
    for (int i = n; i < m_elementCount; ++i) m_elements[size_t(i)] = {};
    m_elementCount = n;
}

void CScene::ClearSpatialElements() { ShrinkSpatialElements(0); }

int CScene::UpdateSpatialMapElements()
{
    if (!m_hasMap) return 0;
    // Only the cells filled last time need resetting: the grid is large and mostly empty.
    for (int32_t cell : m_occupiedCells) m_cellHeads[size_t(cell)] = -1;
    m_occupiedCells.clear();
    // First the cell of every element, free of each other (so the loads through each shape and
    // the divisions overlap from element to element), then the lists.
    m_elementCells.resize(size_t(m_elementCount));
    // Every orb hangs below the same root: compute each parent's matrix once.
    const CLocalCoordinateSystem* lastParent = nullptr;
    SFMatrix parentMatrix;
    bool parentIsIdentity = false;
    for (int i = 0; i < m_elementCount; ++i) {
        const CShape* s = m_elements[size_t(i)].m_pShape;
        if (!s) {
            m_elementCells[size_t(i)] = -1;
            continue;
        }
        SFVec3f centre = s->m_position;
        if (s->m_pParent) {
            if (s->m_pParent != lastParent) {
                lastParent = s->m_pParent;
                parentMatrix = lastParent->ComputeTerminalMatrix();
                parentIsIdentity = IsIdentity(parentMatrix);
            }
            // The identity changes a finite centre at most in the sign of a zero, which files it in
            // the same cell; a non-finite one it may turn into NaN, so that one still goes through.
            if (!parentIsIdentity || !centre.IsFinite()) centre = parentMatrix * centre;
        }
        m_elementCells[size_t(i)] = CellOf(centre);
    }
    // Back to front, pushing on the head, so each cell lists ascending indices.
    for (int i = m_elementCount - 1; i >= 0; --i) {
        SSpatialElement& el = m_elements[size_t(i)];
        const int cell = m_elementCells[size_t(i)];
        if (cell < 0) {
            el.m_link = -1;
            continue;
        }
        el.m_link = m_cellHeads[size_t(cell)];
        if (el.m_link == -1) {
            m_occupiedCells.push_back(cell);
            m_occupiedBits[size_t(cell) >> 6] |= uint64_t(1) << (cell & 63);
        }
        m_cellHeads[size_t(cell)] = i;
    }
    SortOccupiedCells();
    return int(m_cellHeads.size());
}

void CScene::SortOccupiedCells()
{
    // Reading the marks back in order beats sorting while the grid has few words per cell filled;
    // a fine grid holding a few orbs is sorted instead. Either way every mark is cleared.
    const size_t words = m_occupiedBits.size();
    if (words > m_occupiedCells.size() * 8) {
        for (int32_t cell : m_occupiedCells) m_occupiedBits[size_t(cell) >> 6] = 0;
        std::sort(m_occupiedCells.begin(), m_occupiedCells.end());
        return;
    }
    m_occupiedCells.clear();
    for (size_t w = 0; w < words; ++w) {
        for (uint64_t bits = m_occupiedBits[w]; bits != 0; bits &= bits - 1)
            m_occupiedCells.push_back(int32_t(w * 64 + size_t(std::countr_zero(bits))));
        m_occupiedBits[w] = 0;
    }
}

void CScene::SetHitVector(int /*mode*/, CPoint point)
{
    m_hitPending = true;
    m_hitPoint = point;
}

void CScene::ClearHits()
{
    delete m_pHitList;
    m_pHitList = nullptr;
    m_hitCount = 0;
}

CShape* CScene::TerminalHit(int index, short& part, SFVec3f& point, SFVec3f& normal, double& distance,
                            int& id) const
{
    if (!m_pHitList || index < 0 || index >= m_hitCount || size_t(index) >= m_pHitList->size())
        throw CQLException("TerminalHit: no such hit");
    const CCollisionReport& r = (*m_pHitList)[size_t(index)];
    part = r.m_part;
    point = r.m_point;
    normal = r.m_normal;
    distance = r.m_distance;
    id = r.m_index;
    return r.m_pShape;
}

void CScene::CollectDrawItems(std::vector<SDrawItem>& out) const
{
    out.clear();
    // Depth-first walk of the frame tree, carrying the terminal matrix down. The path from the
    // top object to the one visited is all that is kept: a root with 100,000 children would
    // otherwise stack a matrix for each of them every frame.
    struct SLevel {
        const CCyberspaceObject* obj;
        SFMatrix world;
        size_t next;  // the child to visit next
    };
    std::vector<SLevel> path;
    auto visit = [&](const CCyberspaceObject* obj, const SFMatrix& parent) {
        SLevel level{obj, parent * obj->LocalMatrix(), 0};
        if (obj->Kind() == kKindShape) {
            auto* shape = const_cast<CShape*>(static_cast<const CShape*>(obj));
            if (shape->m_pGeometry) out.push_back({shape, level.world});
        }
        path.push_back(level);
    };
    for (const CCyberspaceObject* o : m_objects) {
        visit(o, o->m_pParent ? o->m_pParent->ComputeTerminalMatrix() : SFMatrix());
        while (!path.empty()) {
            SLevel& top = path.back();
            const auto& kids = top.obj->Children();
            if (top.next == kids.size()) {
                path.pop_back();
                continue;
            }
            const CCyberspaceObject* kid = kids[top.next++];
            const SFMatrix world = top.world;  // the push below may move top
            visit(kid, world);
        }
    }
}

void CScene::CastHitRay(int width, int height)
{
    SFVec3f origin, dir;
    m_camera.RayThrough(m_hitPoint.x, m_hitPoint.y, width, height, origin, dir);
    auto* hits = new std::vector<CCollisionReport>;
    for (const SDrawItem& item : m_drawItems) {
        const double radius = item.shape->m_pGeometry->BoundingRadius();
        const SFVec3f centre = item.world.GetPosition();
        // Ray against the bounding sphere: |o + t d - c|^2 = r^2, d of unit length.
        const SFVec3f oc = origin - centre;
        const double b = oc.DotProduct(dir);
        const double c = oc.Magnitude() - radius * radius;
        const double disc = b * b - c;
        if (!(disc >= 0.0)) continue;
        const double root = std::sqrt(disc);
        double t = -b - root;
        if (t < 0.0) t = -b + root;  // the camera is inside the sphere
        if (!(t >= 0.0)) continue;
        const SFVec3f worldPoint = origin + dir * t;
        const SFMatrix toLocal = item.world.Inverted();
        CCollisionReport r;
        r.m_pShape = item.shape;
        r.m_point = toLocal * worldPoint;
        r.m_normal = toLocal.TransformDirection(worldPoint - centre).Normalized();
        r.m_distance = t;
        r.m_index = int(hits->size());
        hits->push_back(r);
    }
    ClearHits();
    if (hits->empty()) {
        delete hits;
        return;
    }
    m_pHitList = hits;
    m_hitCount = int(hits->size());
}

void CScene::RawDraw(void* /*window*/, void* /*dc*/, RECT rect, CPipelineStatusWord status)
{
    m_status = status;
    const int width = int(std::max<long>(1, RectWidth(rect)));
    const int height = int(std::max<long>(1, RectHeight(rect)));
    CollectDrawItems(m_drawItems);
    if (IRenderer* r = g_pSceneRenderer) r->DrawScene(*this, m_drawItems, width, height);
    if (m_hitPending) {
        m_hitPending = false;
        CastHitRay(width, height);
    }
    // The transient-disable bit lasts one frame.
    for (const SDrawItem& item : m_drawItems) item.shape->m_status.setTransientDisable(false);
}

void CScene::DrawPane(RECT rect, CPipelineStatusWord status)
{
    m_status = status;
    CollectDrawItems(m_drawItems);
    if (IRenderer* r = g_pSceneRenderer)
        r->DrawScene(*this, m_drawItems, int(std::max<long>(1, RectWidth(rect))), int(std::max<long>(1, RectHeight(rect))));
}

void CScene::KillContext()
{
    if (IRenderer* r = g_pSceneRenderer) r->KillContext();
}
