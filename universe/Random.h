// The universe's random numbers: the classic 15-bit linear congruential sequence, never seeded,
// so every run replays the same universe.
#pragma once

#include <cstdint>

#include "engine/math/SFVec3f.h"

constexpr int kRandMax = 32767;

// The generator's state; only Rand and the functions below touch it.
extern uint32_t g_randState;

// Next value in 0..32767 of a sequence whose state the caller keeps: draws that must not
// disturb the universe's own sequence.
inline int NextRand(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return int((state >> 16) & 0x7FFF);
}
// Next value of the universe's sequence. Inline: a bounce draws several, and a call would make
// the caller save every vector register it holds.
inline int Rand() { return NextRand(g_randState); }
// Back to the start of the sequence (tests and tools that replay from scratch).
void ResetRand();
// (r / 32767 - 0.5) x scale from three draws; the first draw goes to z, the third to x.
SFVec3f RandomVector(double scale);
// The raw state, for tests.
uint32_t RandState();
