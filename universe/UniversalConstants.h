// The universal constants: one fixed 352-byte block that defines a universe apart from its orbs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/math/SFVec3f.h"

class CUniversalConstants {
public:
    static constexpr size_t kSize = 352;

    SFVec3f m_cameraPosition{0, 0, 700};
    // Looks at the universe from the default camera position.
    SFVec3f m_cameraView{0, 0, -1};
    SFVec3f m_cameraUp{0, -1, 0};
    SFVec3f m_lightPosition{0, 0, 0};
    SFVec3f m_lightView{0, 1, 0};
    SFVec3f m_lightUp{0, 0, -1};
    double m_reserved144 = 0.0;
    double m_gravity = 0.0;
    double m_reserved160 = 0.0;
    double m_hitSpeedBonus = 0.0;
    double m_topSpeed = 50.0;
    double m_recoilLoss = 0.28;
    double m_propagationLoss = 0.29;
    double m_collisionDiameter = 20.0;
    double m_maxEnergy = 50.0;
    double m_whitePoint = 1.0;
    double m_packingEnergy = 0.0;
    int32_t m_orbCount = 100;
    uint8_t m_padding236[4] = {};
    SFVec3f m_boundaryMin{0, 0, 0};
    SFVec3f m_boundaryMax{0, 0, 0};
    SFVec3f m_boundarySize{0, 0, 0};
    double m_boundaryEnergy = 0.0;
    double m_tidalDivisor = 0.5;
    double m_minimumAngle = 0.6;
    uint8_t m_spinning = 0;
    uint8_t m_blackHole = 1;
    uint8_t m_scaledColor = 1;
    uint8_t m_flashCollisions = 0;
    uint8_t m_dynamicColor = 1;
    uint8_t m_sphericalBoundary = 0;
    uint8_t m_energyColorShifting = 1;
    uint8_t m_padding343 = 0;
    double m_throwForce = 3.5;

    // The 708-letter text of the block.
    std::string EncodeUniversalString() const;
    // Replaces the whole block from a universal string; throws 1 (length) or 2 (check) and then
    // leaves the block as it was.
    void DecodeUniversalString(const std::string& text);

    // The raw 352-byte image.
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }
    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
};

static_assert(sizeof(CUniversalConstants) == CUniversalConstants::kSize);
static_assert(offsetof(CUniversalConstants, m_cameraPosition) == 0);
static_assert(offsetof(CUniversalConstants, m_cameraView) == 24);
static_assert(offsetof(CUniversalConstants, m_cameraUp) == 48);
static_assert(offsetof(CUniversalConstants, m_lightPosition) == 72);
static_assert(offsetof(CUniversalConstants, m_lightView) == 96);
static_assert(offsetof(CUniversalConstants, m_lightUp) == 120);
static_assert(offsetof(CUniversalConstants, m_reserved144) == 144);
static_assert(offsetof(CUniversalConstants, m_gravity) == 152);
static_assert(offsetof(CUniversalConstants, m_reserved160) == 160);
static_assert(offsetof(CUniversalConstants, m_hitSpeedBonus) == 168);
static_assert(offsetof(CUniversalConstants, m_topSpeed) == 176);
static_assert(offsetof(CUniversalConstants, m_recoilLoss) == 184);
static_assert(offsetof(CUniversalConstants, m_propagationLoss) == 192);
static_assert(offsetof(CUniversalConstants, m_collisionDiameter) == 200);
static_assert(offsetof(CUniversalConstants, m_maxEnergy) == 208);
static_assert(offsetof(CUniversalConstants, m_whitePoint) == 216);
static_assert(offsetof(CUniversalConstants, m_packingEnergy) == 224);
static_assert(offsetof(CUniversalConstants, m_orbCount) == 232);
static_assert(offsetof(CUniversalConstants, m_padding236) == 236);
static_assert(offsetof(CUniversalConstants, m_boundaryMin) == 240);
static_assert(offsetof(CUniversalConstants, m_boundaryMax) == 264);
static_assert(offsetof(CUniversalConstants, m_boundarySize) == 288);
static_assert(offsetof(CUniversalConstants, m_boundaryEnergy) == 312);
static_assert(offsetof(CUniversalConstants, m_tidalDivisor) == 320);
static_assert(offsetof(CUniversalConstants, m_minimumAngle) == 328);
static_assert(offsetof(CUniversalConstants, m_spinning) == 336);
static_assert(offsetof(CUniversalConstants, m_blackHole) == 337);
static_assert(offsetof(CUniversalConstants, m_scaledColor) == 338);
static_assert(offsetof(CUniversalConstants, m_flashCollisions) == 339);
static_assert(offsetof(CUniversalConstants, m_dynamicColor) == 340);
static_assert(offsetof(CUniversalConstants, m_sphericalBoundary) == 341);
static_assert(offsetof(CUniversalConstants, m_energyColorShifting) == 342);
static_assert(offsetof(CUniversalConstants, m_padding343) == 343);
static_assert(offsetof(CUniversalConstants, m_throwForce) == 344);

extern CUniversalConstants* g_pConstants;
