// The scene's camera and light: frames with projection and colour state.
#pragma once

#include <cstdint>

#include "engine/core/LocalCoordinateSystem.h"

// Looks along its view vector; its up vector is screen-up and its side vector points left.
class CMovieCamera : public CLocalCoordinateSystem {
public:
    static constexpr double kFieldOfViewY = 1.0471975511965976;  // 60 degrees

    double m_near = 0.1;
    double m_far = 2000.0;

    CMovieCamera() { m_view = {0, 0, -1}; m_up = {0, 1, 0}; m_side = {-1, 0, 0}; }
    void SetNearPlaneDistance(double d) { m_near = d; }
    void SetFarPlaneDistance(double d) { m_far = d; }

    // World-to-eye matrix (eye: x right, y up, looking down -z), row-major.
    void ViewMatrix(double out[16]) const;
    // Perspective projection for the given aspect (width / height), row-major.
    void ProjectionMatrix(double aspect, double out[16]) const;
    // Ray through a window point (x from the left, y from the bottom) of a width x height viewport.
    void RayThrough(double x, double y, double width, double height, SFVec3f& origin, SFVec3f& dir) const;
};

class CLight : public CLocalCoordinateSystem {
public:
    static constexpr uint32_t kHasAmbient = 0x1, kHasDiffuse = 0x2, kHasSpecular = 0x4, kLightOn = 0x100;

    SFVec3f m_ambient{0.5, 0.5, 0.5};
    SFVec3f m_diffuse{1, 1, 1};
    SFVec3f m_specular{1, 1, 1};
    uint32_t m_flags = 0;

    // Sets the three colours, raising each one's flag when it is not black.
    void SetColors(const SFVec3f& ambient, const SFVec3f& diffuse, const SFVec3f& specular);
};
