// A scene: camera, light, background colour, object tree, spatial map and ray hits.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Camera.h"
#include "engine/core/Renderer.h"
#include "engine/core/Shape.h"
#include "engine/math/Rect.h"

// One entry of the spatial map's element store: a shape and the next element of its cell.
struct SSpatialElement {
    CShape* m_pShape = nullptr;
    int32_t m_link = -1;
};

struct CCollisionReport {
    CShape* m_pShape = nullptr;
    SFVec3f m_point;   // in the shape's coordinates
    SFVec3f m_normal;  // in the shape's coordinates
    double m_distance = 0.0;
    short m_part = 0;
    int m_index = 0;
};

class CScene {
public:
    static constexpr int32_t kEndOfList = 0x7FFFFFFF;  // low 31 bits of a link that ends a cell

    CMovieCamera m_camera;
    CLight m_light;
    SFVec4f m_color{0, 0, 0, 1};
    CPipelineStatusWord m_status;

    // Hit list filled by RawDraw after SetHitVector; the reader clears it.
    int m_hitCount = 0;
    std::vector<CCollisionReport>* m_pHitList = nullptr;

    CScene() = default;
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;
    virtual ~CScene();

    // Top-level objects; not owned.
    void AddObject(CCyberspaceObject* object);
    const std::vector<CCyberspaceObject*>& Objects() const { return m_objects; }

    // A uniform grid of divisions^3 cells covering extent from origin.
    void CreateSpatialMap(short divisions, double size, const SFVec3f& extent, const SFVec3f& origin);
    bool HasSpatialMap() const { return m_hasMap; }
    // Appends a shape to the element store; throws CQLException without a map.
    void AddSpatialElement(CShape* shape);
    // Keeps the first n elements; the freed entries are cleared.
    void ShrinkSpatialElements(int n);
    void ClearSpatialElements();
    int SpatialElementCount() const { return m_elementCount; }
    const SSpatialElement& SpatialElement(int i) const { return m_elements[size_t(i)]; }
    // Files every element into the cell of its centre; returns the number of cells.
    int UpdateSpatialMapElements();
    int CellHead(int cell) const { return m_cellHeads[size_t(cell)]; }
    // The cells that hold elements after the last update, ascending: lets a pass over the map
    // skip the empty cells without scanning them.
    const std::vector<int32_t>& OccupiedCells() const { return m_occupiedCells; }
    // Inline: the map files every orb each frame.
    int CellOf(const SFVec3f& centre) const;

    // Asks the next RawDraw to cast a ray through the window point (x from left, y from bottom).
    void SetHitVector(int mode, CPoint point);
    CShape* TerminalHit(int index, short& part, SFVec3f& point, SFVec3f& normal, double& distance, int& id) const;
    void ClearHits();

    // Draws one frame into the window rectangle and collects hits when asked.
    void RawDraw(void* window, void* dc, RECT rect, CPipelineStatusWord status);
    // Draws this frame into one more pane of the window (another monitor) before the RawDraw that
    // ends the frame: the same shapes at rect's aspect, with no hit ray and the one-frame states
    // left for that RawDraw to end.
    void DrawPane(RECT rect, CPipelineStatusWord status);
    void KillContext();

    // Every drawable shape below the scene's objects, with its terminal matrix.
    void CollectDrawItems(std::vector<SDrawItem>& out) const;

private:
    void CastHitRay(int width, int height);
    // Puts the cells filed by the last update in ascending order.
    void SortOccupiedCells();

    std::vector<CCyberspaceObject*> m_objects;
    bool m_hasMap = false;
    int m_divisions = 0;
    double m_mapSize = 0.0;
    SFVec3f m_mapExtent, m_mapOrigin;
    double m_cellStep[3] = {1.0, 1.0, 1.0};  // extent / divisions per axis
    std::vector<int32_t> m_cellHeads;
    std::vector<int32_t> m_occupiedCells;
    std::vector<uint64_t> m_occupiedBits;  // a bit per cell: set while filing, cleared when sorted
    std::vector<SSpatialElement> m_elements;
    std::vector<int32_t> m_elementCells;  // each element's cell (-1 for none) while the map is updated
    int m_elementCount = 0;
    bool m_hitPending = false;
    CPoint m_hitPoint;
    std::vector<SDrawItem> m_drawItems;  // reused every frame
};

inline int CScene::CellOf(const SFVec3f& centre) const
{
    const double q[3] = {(centre.x - m_mapOrigin.x) / m_cellStep[0], (centre.y - m_mapOrigin.y) / m_cellStep[1],
                         (centre.z - m_mapOrigin.z) / m_cellStep[2]};
    const double top = m_divisions - 1;
    int cell[3];
    for (int a = 0; a < 3; ++a) {
        // Clamped before rounding down, which gives floor()'s cell without its libm call or a branch:
        // q >= 0 exactly when floor(q) >= 0, and likewise against the whole number top. NaN and
        // far-away centres land in the border cells, never outside the grid.
        const double low = q[a] >= 0.0 ? q[a] : 0.0;
        cell[a] = int(low < top ? low : top);
    }
    return cell[0] + cell[1] * m_divisions + cell[2] * m_divisions * m_divisions;
}
