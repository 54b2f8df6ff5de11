// Vectors compared component by component within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include "engine/math/SFVec3f.h"

inline void ExpectNear(const SFVec3f& a, const SFVec3f& b, double tol = 1e-9)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
