// The two bounces of a colliding pair, worked out together.
#pragma once

class COrb;
struct SFVec3f;

// a.Bounce(surfaceA, energyLoss) then b.Bounce(surfaceB, energyLoss): the same results and draws,
// with the two independent reflections interleaved so their arithmetic overlaps.
void BouncePair(COrb& a, const SFVec3f& surfaceA, COrb& b, const SFVec3f& surfaceB, double energyLoss);
