// Small textures for the engine's tests, built field by field and prepared.
#pragma once

#include <gtest/gtest.h>

#include "scene/texture/texture_compile.h"
#include "scene/texture/texture_data.h"
#include "scene/texture/texture_engine.h"

// A component of the given kinds and code with angles 0 and frequencies 1, no phase, no filter.
inline STextureComponent MakeComponent(int32_t kinds, int32_t noiseCode) {
  STextureComponent c{};
  c.kinds = kinds;
  c.noiseCode = noiseCode;
  c.frequency[0] = c.frequency[1] = c.frequency[2] = 1;
  return c;
}

inline SColorOutput MakeColourOutput(int32_t mapKind, uint32_t c1, uint32_t c2, uint32_t c3, int32_t format = 0) {
  return {mapKind, format, {c1, c2, c3}};
}

// Noise codes: value noise in three dimensions (it is 214/255 at the origin), the radial distance in
// one and in three dimensions, and no noise at all (every blend gives 0.5).
inline constexpr int32_t kValueNoise3 = 2 + 4 * 26;
inline constexpr int32_t kRadial1 = 4 * 25;
inline constexpr int32_t kRadial3 = 2 + 4 * 25;
inline constexpr int32_t kNoNoise = 2;

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override { GetTextureEngine() = {}; }
  void TearDown() override { GetTextureEngine() = {}; }

  // A texture of count components (all three filled with the first), delivering the given flags.
  static STextureData MakeTexture(int32_t count, int32_t outputFlags, const STextureComponent& first) {
    STextureData data{};
    data.count = count;
    data.outputFlags = outputFlags;
    for (STextureComponent& c : data.component) c = first;
    return data;
  }
};
