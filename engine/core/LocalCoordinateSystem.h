// A frame in space: position, side, up and view unit vectors (side x up = view), and an optional parent.
#pragma once

#include "engine/math/SFMatrix.h"

class CLocalCoordinateSystem {
public:
    SFVec3f m_position{0.0, 0.0, 0.0};  // in the parent's frame
    SFVec3f m_side{1.0, 0.0, 0.0};
    SFVec3f m_up{0.0, 1.0, 0.0};
    SFVec3f m_view{0.0, 0.0, 1.0};
    CLocalCoordinateSystem* m_pParent = nullptr;
    C3RRegion* m_pRegion = nullptr;      // not owned; moves outside it are refused
    bool m_orientationLocked = false;

    virtual ~CLocalCoordinateSystem() = default;

    // Local-to-parent matrix.
    SFMatrix LocalMatrix() const { return SFMatrix(m_side, m_up, m_view, m_position); }
    // Local-to-world matrix through every parent.
    SFMatrix ComputeTerminalMatrix() const;

    SFVec3f GetAbsolutePosition() const;
    SFVec3f GetAbsoluteViewpoint() const;
    SFVec3f GetAbsoluteUp() const;
    void SetAbsolutePosition(const SFVec3f& p);
    void SetAbsoluteViewpoint(const SFVec3f& v);
    void SetAbsoluteUp(const SFVec3f& u);

    // Direct local writes that keep the frame orthonormal: the given vector leads.
    void SetViewVector(const SFVec3f& v);
    void SetUpVector(const SFVec3f& u);
    // Places the frame at a world point: carried into the parent's frame, refused outside the region.
    bool PlaceAt(const SFVec3f& world);

    // Rebuilds an orthonormal frame with the view vector leading, then up, then side.
    void Reorthagonalize();

    // A world direction carried into the parent's frame (unchanged without a parent).
    SFVec3f ToParentDirection(const SFVec3f& worldDir) const;
};
