// The elevation transfer curve: its identity, smoothing, preset rows, applying it to a grid and
// drawing it.
#include "editors/terrain/terrain_lut.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/image/image.h"
#include "grid_fixture.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

class TerrainLUT : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 4 * 1024 * 1024; }

  static std::unique_ptr<CImage> Picture(uint32_t width, uint32_t height, uint32_t fill) {
    int32_t error = 0;
    std::unique_ptr<CImage> image(NewDataImage(width, height, &error));
    EXPECT_NE(image, nullptr) << error;
    if (image) {
      EXPECT_TRUE(image->Fill(fill));
    }
    return image;
  }
  static uint32_t PixelAt(CImage* image, uint32_t x, uint32_t y) {
    CImNavigator nav(image, nullptr, false, false);
    EXPECT_TRUE(nav.IsUsable());
    return nav.Cells(y)[x].value;
  }
  static std::vector<uint16_t> Entries(const CTerrainLUT& lut) {
    return std::vector<uint16_t>(lut.GetCurve(), lut.GetCurve() + CTerrainLUT::kEntries);
  }
};

TEST_F(TerrainLUT, TheIdentitySurvivesSmoothingWithinOne) {
  CTerrainLUT lut;
  EXPECT_EQ(lut.GetEntry(0), 0);
  EXPECT_EQ(lut.GetEntry(1), 516);
  EXPECT_EQ(lut.GetEntry(64), 33025);
  EXPECT_EQ(lut.GetEntry(127), 65535);
  const std::vector<uint16_t> identity = Entries(lut);
  lut.Smooth();
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) EXPECT_LE(std::abs(lut.GetEntry(i) - identity[i]), 1) << i;
  EXPECT_EQ(lut.GetEntry(0), 0);
  EXPECT_EQ(lut.GetEntry(127), 65535);
  // Smoothing a step spreads it by one entry either way.
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) lut.SetEntry(i, i < 64 ? 0 : 40000);
  lut.Smooth();
  EXPECT_EQ(lut.GetEntry(62), 0);
  EXPECT_EQ(lut.GetEntry(63), 10000);
  EXPECT_EQ(lut.GetEntry(64), 30000);
  EXPECT_EQ(lut.GetEntry(65), 40000);
  lut.Reset();
  EXPECT_EQ(Entries(lut), identity);
}

TEST_F(TerrainLUT, APresetRowSetsTheCurveFromItsEnd) {
  CTerrainLUT lut;
  const auto red = Picture(128, 4, 0xFFFF0000);
  ASSERT_TRUE(lut.LoadPreset(red.get()));
  EXPECT_EQ(Entries(lut), std::vector<uint16_t>(CTerrainLUT::kEntries, 65280));
  lut.Smooth();
  lut.Smooth();
  EXPECT_EQ(Entries(lut), std::vector<uint16_t>(CTerrainLUT::kEntries, 65280));

  // Only the first row counts, its pixel i giving entry 127 − i.
  lut.Reset();
  const auto narrow = Picture(10, 3, 0xFF000000);
  {
    CImNavigator nav(narrow.get(), nullptr, true, false);
    ASSERT_TRUE(nav.IsUsable());
    for (uint32_t x = 0; x < 10; ++x) nav.Cells(0)[x].Set(0xFF, uint8_t(10 * x), 0, 0);
  }
  ASSERT_TRUE(lut.LoadPreset(narrow.get()));
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) {
    const uint16_t expected = i >= 118 ? uint16_t((10 * (127 - i)) << 8) : uint16_t(i * 65535 / 127);
    EXPECT_EQ(lut.GetEntry(i), expected) << i;
  }
}

TEST_F(TerrainLUT, AMissingOrUnusablePresetLeavesTheCurve) {
  CTerrainLUT lut;
  const std::vector<uint16_t> identity = Entries(lut);
  EXPECT_FALSE(lut.LoadPreset(nullptr));
  SGridLayout layout;
  MakeImageGridSpec(layout, DataEnv(), 0, 0);
  CImage empty(layout, SSpoolTableSpec{});
  EXPECT_FALSE(lut.LoadPreset(&empty));
  EXPECT_EQ(Entries(lut), identity);
}

TEST_F(TerrainLUT, ApplyIsTheGridFunctionOfTheCurve) {
  CTerrainLUT lut;
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) lut.SetEntry(i, uint16_t(65535 - i * 300));
  const Grid random = RandomGrid(32, 41);
  for (const auto& [lo, hi] : {std::pair{0, 65535}, std::pair{10000, 40000}}) {
    Grid applied = random, expected = random;
    lut.Apply(applied.data(), 32, lo, hi);
    ApplyGridFunction(expected.data(), 32, lut.GetCurve(), kGridTransferCurve, lo, hi);
    EXPECT_EQ(applied, expected);
    EXPECT_NE(applied, random);
  }
}

TEST_F(TerrainLUT, TheCurveDrawsAsAFilledProfile) {
  CTerrainLUT lut;
  std::vector<CImVector> colours(256);
  for (uint32_t i = 0; i < 256; ++i) colours[i].value = 0x10000 * i + 1;
  const auto picture = Picture(128, 128, 0);
  ASSERT_TRUE(lut.Draw(picture.get(), colours.data(), 0));
  for (uint32_t y = 0; y < 128; ++y)
    EXPECT_EQ(PixelAt(picture.get(), 64, y), y < 64 ? 0x7F7F7Fu : colours[128].value) << y;
  EXPECT_EQ(PixelAt(picture.get(), 0, 127), 0x7F7F7Fu);  // entry 0 is the bottom
  EXPECT_EQ(PixelAt(picture.get(), 127, 127), colours[254].value);

  ASSERT_TRUE(lut.Draw(picture.get(), colours.data(), CTerrainLUT::kBlackDisplayMode));
  for (uint32_t y = 0; y < 128; ++y) EXPECT_EQ(PixelAt(picture.get(), 64, y), y < 64 ? 0x7F7F7Fu : 0u) << y;

  // A wider picture keeps to the table's 256 entries.
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) lut.SetEntry(i, 65535);
  const auto wide = Picture(256, 32, 0);
  ASSERT_TRUE(lut.Draw(wide.get(), colours.data(), 0));
  for (uint32_t x = 0; x < 256; ++x) ASSERT_EQ(PixelAt(wide.get(), x, 31), colours[2 * (x / 2)].value) << x;
  EXPECT_FALSE(lut.Draw(nullptr, colours.data(), 0));
}

}  // namespace
