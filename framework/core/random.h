// The framework's random generator: a three-word state stepped through a fixed 64-word table.
#pragma once

#include <cstdint>

struct SRandomState {
  uint32_t x = 0;
  uint32_t i = 0;
  uint32_t j = 0;
};

uint32_t NextRandom(SRandomState& state);

// Maps a draw to [0, 1).
inline constexpr float RandomScale = 0x1p-32f;

// The next draw mapped to [0, 1), in double precision: a draw near 2^32 rounded to a float would
// reach 1.
inline double NextRandomUnit(SRandomState& state) { return NextRandom(state) * double(RandomScale); }

// The process-wide state, seeded by InitOrdax.
SRandomState& GetRandomState();
