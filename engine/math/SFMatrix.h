// 4x4 double matrix acting on column vectors; columns 0..2 are side, up and view, column 3 the position.
#pragma once

#include "engine/math/SFVec3f.h"

struct SFMatrix {
    double m[4][4];  // m[row][column]

    SFMatrix() { Identity(); }
    // Frame matrix from its axes and origin.
    SFMatrix(const SFVec3f& side, const SFVec3f& up, const SFVec3f& view, const SFVec3f& position);

    SFMatrix& Identity();
    // Inverse of an affine matrix; a singular matrix becomes the identity.
    SFMatrix& Invert();
    SFMatrix Inverted() const { SFMatrix r = *this; return r.Invert(); }
    SFMatrix operator*(const SFMatrix& o) const;
    // Transforms a point (w = 1). Inline: the spatial map moves every orb's centre through it each frame.
    SFVec3f operator*(const SFVec3f& p) const
    {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    // Transforms a direction (w = 0).
    SFVec3f TransformDirection(const SFVec3f& d) const;

    SFVec3f GetSideVector() const { return {m[0][0], m[1][0], m[2][0]}; }
    SFVec3f GetUpVector() const { return {m[0][1], m[1][1], m[2][1]}; }
    SFVec3f GetViewVector() const { return {m[0][2], m[1][2], m[2][2]}; }
    SFVec3f GetPosition() const { return {m[0][3], m[1][3], m[2][3]}; }
    void SetPosition(const SFVec3f& p) { m[0][3] = p.x; m[1][3] = p.y; m[2][3] = p.z; }
    // this = this * o: o is applied first.
    SFMatrix& PostConcatMatrix(const SFMatrix& o) { *this = *this * o; return *this; }
};

// A turn about an axis through the origin (right-hand rule).
struct SFRotation {
    SFVec3f axis{0.0, 1.0, 0.0};
    double angle = 0.0;

    SFRotation() = default;
    SFRotation(const SFVec3f& a, double ang) : axis(a), angle(ang) {}
    // The rotation as a matrix.
    SFMatrix Transform() const;
};

// Axis-aligned box that may constrain where a frame can move.
struct C3RRegion {
    SFVec3f m_min, m_max;
    C3RRegion() = default;
    C3RRegion(const SFVec3f& lo, const SFVec3f& hi) : m_min(lo), m_max(hi) {}
    bool Contains(const SFVec3f& p) const {
        return p.x >= m_min.x && p.x <= m_max.x && p.y >= m_min.y && p.y <= m_max.y &&
               p.z >= m_min.z && p.z <= m_max.z;
    }
    SFVec3f Extent() const { return m_max - m_min; }
};
