// One orb of the universe, the engine classes it is drawn with, and the global orb containers.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/core/Geometry.h"
#include "engine/core/Shaders.h"
#include "engine/core/Shape.h"

constexpr double kOrbDiameter = 30.0;

// The program's own engine classes; each adds only its virtual destructor.
class COrbShape : public CShape {
public:
    ~COrbShape() override = default;
};

class COrbMaterial : public CMaterialShader {
public:
    using CMaterialShader::CMaterialShader;
    ~COrbMaterial() override = default;
};

class COrbGeometry : public CGeometry {
public:
    explicit COrbGeometry(const CGeometry& prototype) : CGeometry(prototype) {}
    ~COrbGeometry() override = default;
};

class COrbTexture : public C2DTextureShader {
public:
    using C2DTextureShader::C2DTextureShader;
    ~COrbTexture() override = default;
};

class COrbImage : public CDIB {
public:
    using CDIB::CDIB;
    ~COrbImage() override = default;
};

// A plain record; its shape leads back to it through the shape's user-data slot.
class COrb {
public:
    SFVec3f m_position;
    SFVec3f m_velocity;
    CShape* m_pShape = nullptr;                // owned
    CMaterialShader* m_pMaterial = nullptr;    // shader slot 0 of the shape
    double m_diameter = kOrbDiameter;
    SFVec3f m_startPosition;
    C2DTextureShader* m_pTexture = nullptr;    // shader slot 1 of the shape, or null
    SFVec3f m_color{1.0, 1.0, 1.0};
    uint8_t m_fromFile = 0;

    // A white orb at a random place in the box; takes two triples of random draws.
    explicit COrb(C2DTextureShader* texture);
    ~COrb();
    COrb(const COrb&) = delete;
    COrb& operator=(const COrb&) = delete;

    void SetTexture(C2DTextureShader* texture);
    // One frame of motion: boundary, tidal turn, position, gravity, orientation.
    void AdvanceOrb();
    // Turns the velocity back off surface, then applies energyLoss, the speed cap and the flash.
    void Bounce(const SFVec3f& surface, double energyLoss);

    static COrb* FromShape(const CShape* shape) {
        return shape ? static_cast<COrb*>(shape->m_pUserData) : nullptr;
    }
};

// A place in the universe box from three draws of the sequence whose state is given; the first
// draw goes to z, the third to x. A new orb starts at such a place.
SFVec3f RandomPlaceInBox(uint32_t& state);

// Every orb in creation order; index i is entry i of the scene's object table.
extern std::vector<COrb*> g_orbs;
// Entry 0 is the built-in orb texture. Each entry holds one reference: add with AddGroupTexture.
extern std::vector<C2DTextureShader*> g_groupTextures;
// Parent of every orb shape; the one object the scene is given.
extern CShape* g_pOrbRoot;
// The "sphere2" prototype (owned by the default catalog).
extern CShape* g_pSphereModel;
