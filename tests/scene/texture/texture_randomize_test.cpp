#include "scene/texture/texture_randomize.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/random.h"
#include "scene/texture/texture_compile.h"

namespace {

class TextureRandomize : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = GetRandomState(); }
  void TearDown() override { GetRandomState() = saved_; }

  static void Seed(uint32_t x, uint32_t i, uint32_t j) { GetRandomState() = {x, i, j}; }

 private:
  SRandomState saved_;
};

TEST_F(TextureRandomize, KnownStateGivesKnownComponent) {
  SRandomState probe{0, 1, 1};
  EXPECT_EQ(NextRandom(probe), 0xC650D56Au);

  Seed(0, 1, 1);
  STextureComponent c{};
  RandomizeTextureComponent(c);
  EXPECT_EQ(c.kinds, 1);
  EXPECT_EQ(c.filter.kind, 5);
  EXPECT_EQ(c.filter.count, 7);
  EXPECT_NEAR(c.filter.a, 0.977439, 1e-6);
  EXPECT_EQ(c.filter.b, 1.0f - c.filter.a);
  EXPECT_EQ(c.colour.mapKind, 0);  // no colour flag
}

TEST_F(TextureRandomize, SameStateSameTexture) {
  STextureData first{}, second{};
  first.count = second.count = 3;
  Seed(0x1234, 7, 99);
  Randomize(first);
  Seed(0x1234, 7, 99);
  Randomize(second);
  EXPECT_EQ(0, std::memcmp(&first, &second, sizeof(STextureData)));
  EXPECT_EQ(first.count, 3);
}

void ExpectValidCode(int32_t code, const char* what) {
  SCompiledNoise compiled{};
  DecodeTextureComponent(code, compiled);
  EXPECT_TRUE(compiled.noise >= 1 && compiled.noise <= 25) << what << " " << code;
  EXPECT_TRUE(compiled.blend >= 1 && compiled.blend <= 7) << what << " " << code;
  EXPECT_TRUE(compiled.octaves >= 0 && compiled.octaves <= 2) << what << " " << code;
  EXPECT_LE(compiled.dimension, 2) << what << " " << code;
}

TEST_F(TextureRandomize, EveryDrawnComponentIsValid) {
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    Seed(seed * 2654435761u, seed, seed * 7);
    STextureComponent c{};
    RandomizeTextureComponent(c);
    ASSERT_TRUE(c.kinds >= 1 && c.kinds <= 7) << seed;
    ExpectValidCode(c.noiseCode, "noise");
    if (c.phase.code != 0) ExpectValidCode(c.phase.code, "phase");
    EXPECT_TRUE(c.phase.amount >= 0 && c.phase.amount <= 100);
    EXPECT_TRUE(c.filter.kind >= 0 && c.filter.kind <= 12) << seed;
    EXPECT_TRUE(c.filter.count >= 2 && c.filter.count <= 8) << seed;
    if (c.filter.kind == 1) {
      EXPECT_EQ(c.filter.b, 0.0f) << seed;
    }
    if (c.filter.kind == 3) {
      EXPECT_TRUE(c.filter.a >= 3 - 1e-3 && c.filter.a <= 20 + 1e-3) << seed;
    }
    EXPECT_TRUE(c.angleXY >= -180 && c.angleXY <= 180 && c.angleYZ >= -180 && c.angleYZ <= 180) << seed;
    EXPECT_TRUE(c.frequency[0] >= 1 && c.frequency[0] <= 600) << seed;
    EXPECT_TRUE(c.colour.mapKind != 9 && c.colour.mapKind != 10) << seed;
    if (c.kinds & kKindColour) {
      EXPECT_TRUE(c.colour.mapKind >= 1 && c.colour.mapKind <= 16) << seed;
    } else {
      EXPECT_EQ(c.colour.mapKind, 0) << seed;
    }
    EXPECT_TRUE(c.colour.format == 0 || c.colour.format == kColourFormatHLS) << seed;
  }
}

// The first draw picks kinds 4 (bump only) and the second clears the bump flag: colour only.
TEST_F(TextureRandomize, BumpOnlyLosingItsFlagBecomesColourOnly) {
  int found = 0;
  for (uint32_t seed = 0; seed < 2000 && found < 5; ++seed) {
    SRandomState state{seed * 40503u, seed, 3};
    const int16_t first = int16_t(NextRandom(state) & 0xFFFF);
    const int16_t second = int16_t(NextRandom(state) & 0xFFFF);
    if (int16_t(first & 4095) % 7 != 3 || second * 1.5259021896696422e-5 + 0.5 > 0.75) continue;
    ++found;
    Seed(seed * 40503u, seed, 3);
    STextureComponent c{};
    RandomizeTextureComponent(c);
    EXPECT_EQ(c.kinds, kKindColour) << seed;
    EXPECT_NE(c.colour.mapKind, 0) << seed;
  }
  EXPECT_EQ(found, 5);
}

TEST_F(TextureRandomize, TextureKeepsItsCountAndUnusedComponents) {
  STextureData data{};
  std::memset(&data.component[1], 0x5A, 2 * sizeof(STextureComponent));
  data.count = 1;
  unsigned char before[2 * sizeof(STextureComponent)];
  std::memcpy(before, &data.component[1], sizeof(before));
  for (uint32_t seed = 0; seed < 200; ++seed) {
    Seed(seed, seed * 3, seed * 5);
    Randomize(data);
    ASSERT_EQ(0, std::memcmp(before, &data.component[1], sizeof(before))) << seed;
    EXPECT_EQ(data.count, 1);
    EXPECT_EQ(data.producedKinds | kKindColour, data.outputFlags | kKindColour);
    EXPECT_EQ(data.producedKinds, data.component[0].kinds);
    EXPECT_NE(data.outputFlags & kKindColour, 0);  // given by the component or by the global map
    for (int32_t operation : data.operation) EXPECT_TRUE(operation >= 0 && operation <= 16);
  }
}

TEST_F(TextureRandomize, OutputFlagsAreTheUnionOfTheComponents) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    STextureData data{};
    data.count = 3;
    Seed(seed, 11, seed * 13);
    Randomize(data);
    const int32_t kinds = data.component[0].kinds | data.component[1].kinds | data.component[2].kinds;
    EXPECT_EQ(data.producedKinds, kinds);
    EXPECT_EQ(data.outputFlags, kinds | kKindColour);
    if (!(kinds & kKindColour)) {
      EXPECT_EQ(data.colour.format, 0);
    }
  }
}

}  // namespace
