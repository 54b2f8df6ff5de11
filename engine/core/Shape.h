// Scene objects: the frame tree (CCyberspaceObject) and drawable shapes with shaders and geometry.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/LocalCoordinateSystem.h"
#include "engine/core/PersistantObject.h"

class CGeometry;
class CShader;

// Per-shape pipeline state bits.
class CPipelineStatusWord {
public:
    static constexpr uint32_t kTransientDisable = 0x00010000;

    uint32_t m_bits = 0;

    CPipelineStatusWord() = default;
    CPipelineStatusWord(uint32_t bits) : m_bits(bits) {}
    operator uint32_t() const { return m_bits; }
    CPipelineStatusWord& operator|=(uint32_t b) { m_bits |= b; return *this; }
    CPipelineStatusWord& operator&=(uint32_t b) { m_bits &= b; return *this; }
    void setTransientDisable(bool on) { on ? m_bits |= kTransientDisable : m_bits &= ~kTransientDisable; }
    bool isTransientDisable() const { return (m_bits & kTransientDisable) != 0; }
};

class CCyberspaceObject : public CPersistantObject, public CLocalCoordinateSystem {
public:
    ~CCyberspaceObject() override;
    // Hangs child below this object; its frame becomes relative to ours.
    void AddChild(CCyberspaceObject* child, bool keepLocal);
    void DisconnectFromParent();
    // Lets every listed child of ours go in one pass over our list (freeing a crowd child by
    // child would search the list for each); objects listed that are not our children stay put.
    void DisconnectChildren(const std::vector<CCyberspaceObject*>& leaving);
    const std::vector<CCyberspaceObject*>& Children() const { return m_children; }
    CCyberspaceObject* ParentObject() const { return m_pParentObject; }

private:
    std::vector<CCyberspaceObject*> m_children;  // not owned
    CCyberspaceObject* m_pParentObject = nullptr;
};

enum : uint32_t {
    kShapeGeometryLinked = 0x4,  // the geometry link was set up by its user
};

class CShape : public CCyberspaceObject {
public:
    static constexpr int kShaderSlots = 4;

    CGeometry* m_pGeometry = nullptr;  // owned when the geometry names this shape its owner
    void* m_pUserData = nullptr;
    CPipelineStatusWord m_status;
    uint32_t m_flags = 0;

    CShape() = default;
    CShape(const CShape&) = delete;
    CShape& operator=(const CShape&) = delete;
    ~CShape() override;
    int Kind() const override { return kKindShape; }
    void Store(CArchiveWriter& ar) const override;
    void Load(CArchiveReader& ar) override;

    // Puts shader into slot (null empties it); shaders are reference counted.
    void SetShader(CShader* shader, int slot);
    CShader* GetShader(int slot) const;

private:
    CShader* m_shaders[kShaderSlots] = {};
};
