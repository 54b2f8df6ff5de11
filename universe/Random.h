// The universe's random numbers: the classic 15-bit linear congruential sequence, never seeded,
// so every run replays the same universe.
#pragma once

#include <cstdint>

constexpr int kRandMax = 32767;

// Next value in 0..32767.
int Rand();
// Back to the start of the sequence (tests and tools that replay from scratch).
void ResetRand();
// The raw state, for tests.
uint32_t RandState();
