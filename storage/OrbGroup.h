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

    COrbGroup() = default;
    COrbGroup(C2DTextureShader* texture, const SFVec3f& color, int32_t orbCount)
        : m_pTexture(texture), m_color(color), m_orbCount(orbCount)
    {
        if (m_pTexture) m_pTexture->AddRef();
    }
    COrbGroup(const COrbGroup& other) : COrbGroup(other.m_pTexture, other.m_color, other.m_orbCount) {}
    COrbGroup(COrbGroup&& other) noexcept
        : m_pTexture(std::exchange(other.m_pTexture, nullptr)), m_color(other.m_color), m_orbCount(other.m_orbCount)
    {
    }
    COrbGroup& operator=(COrbGroup other) noexcept
    {
        std::swap(m_pTexture, other.m_pTexture);
        m_color = other.m_color;
        m_orbCount = other.m_orbCount;
        return *this;
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
