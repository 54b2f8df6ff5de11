// Frame tree links, shader slots and geometry ownership.
#include "engine/core/Shape.h"

#include <algorithm>

#include "engine/core/Geometry.h"
#include "engine/core/QLException.h"
#include "engine/core/Shaders.h"

CCyberspaceObject::~CCyberspaceObject()
{
    DisconnectFromParent();
    // Children are owned elsewhere; they just lose their parent.
    for (CCyberspaceObject* child : m_children) {
        child->m_pParentObject = nullptr;
        child->m_pParent = nullptr;
    }
}

void CCyberspaceObject::AddChild(CCyberspaceObject* child, bool keepLocal)
{
    if (!child || child == this) throw CQLException("AddChild: invalid child");
    child->DisconnectFromParent();
    if (!keepLocal) {
        // Keep the child's world placement: carry its position into our frame.
        const SFVec3f world = child->GetAbsolutePosition();
        child->m_pParent = this;
        child->SetAbsolutePosition(world);
    }
    child->m_pParent = this;
    child->m_pParentObject = this;
    m_children.push_back(child);
}

void CCyberspaceObject::DisconnectFromParent()
{
    if (CCyberspaceObject* p = m_pParentObject) {
        // Orbs leave from the end most of the time: search from the back.
        auto& list = p->m_children;
        auto it = std::find(list.rbegin(), list.rend(), this);
        if (it != list.rend()) list.erase(std::next(it).base());
    }
    m_pParentObject = nullptr;
    m_pParent = nullptr;
}

void CCyberspaceObject::DisconnectChildren(const std::vector<CCyberspaceObject*>& leaving)
{
    for (CCyberspaceObject* child : leaving) {
        if (!child || child->m_pParentObject != this) continue;
        child->m_pParentObject = nullptr;
        child->m_pParent = nullptr;
    }
    std::erase_if(m_children, [this](const CCyberspaceObject* child) { return child->m_pParentObject != this; });
}

CShape::~CShape()
{
    for (int i = 0; i < kShaderSlots; ++i) SetShader(nullptr, i);
    if (m_pGeometry && m_pGeometry->m_pOwner == this) delete m_pGeometry;
    m_pGeometry = nullptr;
}

void CShape::SetShader(CShader* shader, int slot)
{
    if (slot < 0 || slot >= kShaderSlots) throw CQLException("SetShader: slot out of range");
    if (shader) shader->AddRef();
    if (m_shaders[slot]) m_shaders[slot]->Release();
    m_shaders[slot] = shader;
}

CShader* CShape::GetShader(int slot) const
{
    return (slot >= 0 && slot < kShaderSlots) ? m_shaders[slot] : nullptr;
}
