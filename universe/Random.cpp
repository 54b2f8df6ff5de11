// state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF; state starts at 1.
#include "universe/Random.h"

uint32_t g_randState = 1;

void ResetRand() { g_randState = 1; }
uint32_t RandState() { return g_randState; }

SFVec3f RandomVector(double scale)
{
    const int r1 = Rand(), r2 = Rand(), r3 = Rand();
    return {(double(r3) / kRandMax - 0.5) * scale, (double(r2) / kRandMax - 0.5) * scale,
            (double(r1) / kRandMax - 0.5) * scale};
}
