// The framework's random generator: a three-word state stepped through a fixed 64-word table.
#pragma once

#include <cstdint>

struct SRandomState {
  uint32_t x = 0;
  uint32_t i = 0;
  uint32_t j = 0;
};

uint32_t NextRandom(SRandomState& state);

// Maps a draw to [0, 1); multiply in double, since a float product can round the largest draws to 1.
constexpr float RandomScale() { return 0x1p-32f; }

// The process-wide state, seeded by InitOrdax.
SRandomState& GetRandomState();
