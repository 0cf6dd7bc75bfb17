// The framework's random generator: a three-word state stepped through a fixed 64-word table.
#pragma once

#include <cstdint>

struct SRandomState {
  uint32_t x = 0;
  uint32_t i = 0;
  uint32_t j = 0;
};

uint32_t NextRandom(SRandomState& state);

// The process-wide state, seeded by InitOrdax.
SRandomState& GetRandomState();
