// The per-frame collision pass of the universe.
#pragma once

#include <cstdint>

// Pair tests one pass may make. A crowd in one cell (a big bang of 100,000 orbs) would otherwise
// test every pair, billions a frame, and hold the program for minutes; 2^22 tests take about a
// fifth of a second even when every pair bounces (a standard universe of 100,000 orbs makes some
// 650,000). A pass within it tests every pair, as always.
constexpr uint64_t kPairTestBudget = uint64_t(1) << 22;

// Lets orbs that share a cell of the scene's spatial map kick, bounce and exchange velocity. Each
// orb meets the orbs after it in its cell; when all pairs would pass the budget, each meets only
// the same number of them, as many as the budget allows (at least one).
void CollideOrbs();

// The pair tests the last pass made.
uint64_t LastPairTests();
