// The universe's random numbers: the classic 15-bit linear congruential sequence, never seeded,
// so every run replays the same universe.
#pragma once

#include <cstdint>

#include "engine/math/SFVec3f.h"

constexpr int kRandMax = 32767;

// Next value in 0..32767.
int Rand();
// Back to the start of the sequence (tests and tools that replay from scratch).
void ResetRand();
// (r / 32767 - 0.5) x scale from three draws; the first draw goes to z, the third to x.
SFVec3f RandomVector(double scale);
// The raw state, for tests.
uint32_t RandState();
