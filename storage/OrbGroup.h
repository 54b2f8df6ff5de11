// One group definition of the editing frame (texture, colour, orb count), as universe files store it.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/core/Shaders.h"
#include "engine/math/SFVec3f.h"

// Holds one reference to its texture, so a group list can be copied, erased and replaced freely
// while the orbs that carry the same texture keep their own references.
class COrbGroup {
public:
    C2DTextureShader* m_pTexture = nullptr;
    SFVec3f m_color{1.0, 1.0, 1.0};
    int32_t m_orbCount = 0;
    // The orbs of g_orbs that New or a load made for the group: the first and how many. They
    // stay the group's while its definition changes, until New builds it anew, so a save keeps
    // every group's own places; a group defined since has none.
    int32_t m_firstOrb = 0;
    int32_t m_builtOrbs = 0;

    COrbGroup() = default;
    COrbGroup(C2DTextureShader* texture, const SFVec3f& color, int32_t orbCount)
        : m_pTexture(texture), m_color(color), m_orbCount(orbCount)
    {
        if (m_pTexture) m_pTexture->AddRef();
    }
    COrbGroup(const COrbGroup& other) : COrbGroup(other.m_pTexture, other.m_color, other.m_orbCount)
    {
        m_firstOrb = other.m_firstOrb;
        m_builtOrbs = other.m_builtOrbs;
    }
    COrbGroup(COrbGroup&& other) noexcept
        : m_pTexture(std::exchange(other.m_pTexture, nullptr)), m_color(other.m_color), m_orbCount(other.m_orbCount),
          m_firstOrb(other.m_firstOrb), m_builtOrbs(other.m_builtOrbs)
    {
    }
    COrbGroup& operator=(COrbGroup other) noexcept
    {
        std::swap(m_pTexture, other.m_pTexture);
        m_color = other.m_color;
        m_orbCount = other.m_orbCount;
        m_firstOrb = other.m_firstOrb;
        m_builtOrbs = other.m_builtOrbs;
        return *this;
    }
    // The orbs New or a load just made for the group, as indices into g_orbs.
    void SetBuiltOrbs(size_t first, size_t count)
    {
        m_firstOrb = int32_t(first);
        m_builtOrbs = int32_t(count);
    }
    ~COrbGroup()
    {
        if (m_pTexture) m_pTexture->Release();
    }

    // Replaces the texture, taking a reference to the new one and giving up the old one's.
    void SetTexture(C2DTextureShader* texture)
    {
        if (texture) texture->AddRef();
        if (m_pTexture) m_pTexture->Release();
        m_pTexture = texture;
    }
};
