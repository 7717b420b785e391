#pragma once
// The process-wide random generator of the pattern growth.
//
// One linear congruential generator for the whole process: state = state * 214013 + 2531011
// (32-bit, wrapping), draw = (state >> 16) & 0x7FFF. The scene builder reseeds it at fixed
// points and the growers draw from it in a fixed order, so a seed reproduces a pattern.
// Not thread-safe: one render at a time.

#include <cstdint>

// Sets the generator state to `seed` (the seed operation).
void SeedRandom(std::uint32_t seed);

// Advances the state and returns the next number, 0..32767 (the draw operation).
int DrawRandom();

// The current state, for tests and diagnostics.
std::uint32_t RandomState();
