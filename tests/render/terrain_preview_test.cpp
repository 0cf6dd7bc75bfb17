#include "render/terrain_preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "platform/alloc.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

constexpr uint32_t kBackground = 0x00C8C8C8;
constexpr int32_t kFullScale = 0x10000;

class TerrainPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TerrainPreview::Reset();
    for (uint32_t i = 0; i < 256; ++i) gradient[i] = 0xFF000000u | i << 16 | (255 - i) << 8 | (i / 2);
  }
  void TearDown() override { TerrainPreview::Reset(); }

  // A width × height target of the background colour.
  void Target(int32_t w, int32_t h, uint32_t fill = kBackground) {
    width = w;
    height = h;
    pixels.assign(size_t(w) * size_t(h), fill);
    TerrainPreview::SetTarget(pixels.data(), w, w, h);
  }
  // A size × size field of height(x, y).
  void Field(int32_t size, const std::function<uint16_t(int32_t, int32_t)>& height, int32_t scale, int32_t cut,
             int32_t shade) {
    heights.resize(size_t(size) * size_t(size));
    for (int32_t y = 0; y < size; ++y)
      for (int32_t x = 0; x < size; ++x) heights[size_t(y * size + x)] = height(x, y);
    TerrainPreview::SetHeightField(heights.data(), size, size, size, scale, cut, shade, gradient);
  }
  void Flat(int32_t size, uint16_t h, int32_t scale, int32_t cut, int32_t shade) {
    Field(size, [h](int32_t, int32_t) { return h; }, scale, cut, shade);
  }
  // The screen rectangle [left, right) × [top, bottom] carrying the whole grid, near edge at the bottom.
  static std::vector<STerrainVertex> Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {{left << 16, bottom << 16, 0, 1, 1},
            {right << 16, bottom << 16, 1, 1, 1},
            {right << 16, top << 16, 1, 0, 1},
            {left << 16, top << 16, 0, 0, 1}};
  }
  bool Draw(const std::vector<STerrainVertex>& vertices, int32_t mode) {
    return TerrainPreview::DrawPolygon(vertices.data(), int32_t(vertices.size()), mode);
  }
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y * width + x)]; }
  uint32_t Changed() const {
    uint32_t n = 0;
    for (uint32_t p : pixels) n += p != kBackground;
    return n;
  }
  // The topmost row of column x that is not the background; height when none.
  int32_t TopDrawn(int32_t x) const {
    for (int32_t y = 0; y < height; ++y)
      if (At(x, y) != kBackground) return y;
    return height;
  }
  // The lowest such row; -1 when none.
  int32_t BottomDrawn(int32_t x) const {
    for (int32_t y = height - 1; y >= 0; --y)
      if (At(x, y) != kBackground) return y;
    return -1;
  }
  // A colour at full light: (((c × 255) >> 8) × 255) >> 8 in each channel.
  static uint32_t FullyLit(uint32_t colour) {
    uint32_t out = 0;
    for (uint32_t shift = 0; shift < 24; shift += 8) out |= ((((colour >> shift & 0xFF) * 255) >> 8) * 255 >> 8) << shift;
    return out;
  }

  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  std::vector<uint16_t> heights;
  uint32_t gradient[256] = {};
};

TEST_F(TerrainPreviewTest, WhatCannotBeDrawnAnswersFalseAndDrawsNothing) {
  Target(40, 40);
  Flat(16, 65535, 0, 255, 0);
  const std::vector<STerrainVertex> rect = Rect(5, 5, 30, 30);
  EXPECT_FALSE(TerrainPreview::DrawPolygon(rect.data(), 2, 0));
  EXPECT_FALSE(Draw(rect, 3));
  TerrainPreview::SetHeightField(heights.data(), 16, 16, 16, 0, 255, 0, nullptr);
  EXPECT_FALSE(Draw(rect, 0));
  std::vector<STerrainVertex> odd = rect;
  odd[2].u = std::nan("");
  Flat(16, 65535, 0, 255, 0);
  EXPECT_FALSE(Draw(odd, 0));
  EXPECT_EQ(Changed(), 0u);
  TerrainPreview::Reset();
  EXPECT_FALSE(Draw(rect, 2));
}

TEST_F(TerrainPreviewTest, APolygonReachingFarPastTheTargetDrawsOnlyOnIt) {
  const std::vector<STerrainVertex> huge = {{-30000 << 16, 30000 << 16, -5, 9, 1},
                                            {30000 << 16, 30000 << 16, 40, 9, 1},
                                            {30000 << 16, -30000 << 16, 40, -7, 1},
                                            {-30000 << 16, -30000 << 16, -5, -7, 1}};
  for (int32_t mode : {0, 1, 2}) {
    for (int32_t scale : {0, kFullScale}) {
      Target(40, 30);
      Field(16, [](int32_t x, int32_t y) { return uint16_t(x * 4000 + y * 100); }, scale, 200, 10);
      EXPECT_TRUE(Draw(huge, mode)) << mode;
    }
  }
}

TEST_F(TerrainPreviewTest, WithoutElevationTheFieldIsDrawnFlatFromTheGradient) {
  struct SCase {
    uint16_t height;
    int32_t cut;
    int32_t shade;
    int32_t mode;
    uint32_t expected;  // 0: nothing drawn
  } cases[] = {
      {65535, 255, 0, 0, gradient[255]}, {65535, 255, 0, 1, gradient[255]}, {65535, 255, 40, 0, gradient[215]},
      {0, 100, 0, 0, 0},                 {0, 255, 0, 1, gradient[0]},
  };
  for (const SCase& c : cases) {
    Target(40, 40);
    Flat(16, c.height, 0, c.cut, c.shade);
    ASSERT_TRUE(Draw(Rect(5, 5, 30, 30), c.mode));
    if (!c.expected) {
      EXPECT_EQ(Changed(), 0u) << c.height;
      continue;
    }
    // Columns 5 to 29 (the span stops short of its right edge), rows 5 to 30.
    EXPECT_EQ(Changed(), 25u * 26u) << c.height << " " << c.mode;
    for (uint32_t p : pixels) ASSERT_TRUE(p == kBackground || p == c.expected) << std::hex << p;
  }
}

TEST_F(TerrainPreviewTest, TheOverlayDarkensWhatLiesUnderTheFieldAboveTheCut) {
  // The left half of the grid lies above the cut level, the right half below it.
  for (uint32_t background : {0x00C8C8C8u, 0x00FFFFFFu}) {
    Target(40, 40, background);
    Field(16, [](int32_t x, int32_t) { return uint16_t(x < 8 ? 65535 : 0); }, kFullScale, 100, 0);
    ASSERT_TRUE(Draw(Rect(4, 4, 36, 20), 2));
    const uint32_t darkened = background == kBackground ? 0x00A0A0A0u : 0x00CDCDCDu;
    EXPECT_EQ(At(10, 10), darkened);
    EXPECT_EQ(At(30, 10), background);
    EXPECT_EQ(At(10, 30), background);
  }
}

TEST_F(TerrainPreviewTest, AFlatHighFieldRisesAboveItsRectangleLitFromTheLeft) {
  Target(100, 200);
  Flat(16, 65535, kFullScale, 255, 0);
  ASSERT_TRUE(Draw(Rect(20, 150, 60, 180), 0));
  for (int32_t x = 20; x < 60; ++x) {
    // (0x10000 × 255) >> 17 = 127 rows above the top edge.
    EXPECT_NEAR(TopDrawn(x), 150 - 127, 1) << x;
    for (int32_t y = TopDrawn(x); y <= 180; ++y) ASSERT_EQ(At(x, y), x == 20 ? 0x00FFFFFFu : 0x00FEFEFEu) << x << "," << y;
    for (int32_t y = 181; y < 200; ++y) ASSERT_EQ(At(x, y), kBackground) << x << "," << y;
  }
  EXPECT_EQ(TopDrawn(19), 200);
  EXPECT_EQ(TopDrawn(60), 200);
}

TEST_F(TerrainPreviewTest, ALeftNeighbourHigherBy12OrMoreGivesLight63) {
  // Sixteen texels on sixteen columns: column 10 + k shows texel k, and texel 8 lies lower than 7.
  struct SCase {
    int32_t drop;
    uint32_t grey;  // (light × e) >> 8
  } cases[] = {{11, (79 * 244) >> 8}, {12, (63 * 243) >> 8}, {20, (63 * 235) >> 8}, {0, 254}};
  for (const SCase& c : cases) {
    Target(60, 100);
    const uint16_t low = uint16_t(65535 - c.drop * 256);
    Field(16, [low](int32_t x, int32_t) { return uint16_t(x < 8 ? 65535 : low); }, kFullScale, 255, 0);
    ASSERT_TRUE(Draw(Rect(10, 60, 26, 90), 0));
    EXPECT_EQ(At(18, 90), c.grey * 0x010101u) << c.drop;
    EXPECT_EQ(At(17, 90), 0x00FEFEFEu) << c.drop;
  }
}

TEST_F(TerrainPreviewTest, CastShadowsDarkenTheColumnsBehindARidge) {
  // Texels 0 to 3 stand at full height, the rest at elevation 100.
  for (int32_t mode : {0, 1}) {
    Target(60, 100);
    Field(16, [](int32_t x, int32_t) { return uint16_t(x < 4 ? 65535 : 65535 - 155 * 256); }, kFullScale, 255, 0);
    ASSERT_TRUE(Draw(Rect(10, 60, 26, 90), mode));
    // Column 19 is lit at 255 without shadows and at (255 × 125) >> 8 = 124 in the ridge's shadow.
    EXPECT_EQ(At(19, 90), (mode ? (124 * 100) >> 8 : (255 * 100) >> 8) * 0x010101u) << mode;
  }
}

TEST_F(TerrainPreviewTest, UnderTheCutNothingIsDrawnAndLandRisesFromTheWaterLine) {
  Target(60, 200);
  // Elevation 200 (s = 55) on the far half, under water (s = 255) on the near half; cut level 100
  // puts the water line (155 × 0x10000) >> 17 = 77 rows up.
  Field(16, [](int32_t, int32_t y) { return uint16_t(y < 8 ? 65535 - 55 * 256 : 0); }, kFullScale, 100, 0);
  ASSERT_TRUE(Draw(Rect(10, 140, 30, 180), 0));
  const int32_t x = 20;
  // The land's near edge lies near row 160: its columns start 77 rows above it, and nothing below
  // is drawn.
  EXPECT_NEAR(BottomDrawn(x), 160 - 77, 2);
  EXPECT_NEAR(TopDrawn(x), 140 - 100, 1);
  for (int32_t y = BottomDrawn(x) + 1; y < 200; ++y) ASSERT_EQ(At(x, y), kBackground) << y;
}

TEST_F(TerrainPreviewTest, ColouringTakesThePictureOrElseTheGradient) {
  std::vector<uint32_t> picture(16 * 16, 0x00C80064);
  const uint32_t fromPicture = FullyLit(0x00C80064), fromGradient = FullyLit(gradient[255]);
  ASSERT_EQ(fromPicture, 0x00C60062u);
  struct SCase {
    const char* name;
    const uint32_t* picture;
    int32_t size;
    uint32_t failAllocations;
    uint32_t expected;
  } cases[] = {
      {"picture", picture.data(), 16, 0, fromPicture},
      {"smaller picture", picture.data(), 2, 0, fromPicture},
      {"no picture", nullptr, 0, 0, fromGradient},
      {"no memory for the copy", picture.data(), 16, 1, fromGradient},
  };
  for (const SCase& c : cases) {
    Target(60, 100);
    Flat(16, 65535, kFullScale, 255, 0);
    platform::FailNextAllocations(c.failAllocations);
    TerrainPreview::ResizeBuffer(c.picture, c.size);
    platform::FailNextAllocations(0);
    ASSERT_TRUE(Draw(Rect(10, 60, 26, 90), 0)) << c.name;
    EXPECT_EQ(At(15, 90), c.expected) << c.name;
    // The leftmost column is lit past 255 and every channel stops at 255.
    EXPECT_EQ(At(10, 90) & 0xFF0000, 0xFF0000u) << c.name;
  }
}

// The ramp field of 64 × 64 on a trapezoid, drawn as the editor draws it, against the stored
// pictures in tests/render/data; each drawing is also written to the build's tests/terrain_preview
// folder to be looked at.
class TerrainPreviewPictureTest : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 4 * 1024 * 1024; }
  void SetUp() override {
    SpoolAppTest::SetUp();
    TerrainPreview::Reset();
    for (uint32_t i = 0; i < 256; ++i) gradient[i] = (i / 3) << 16 | (40 + i * 3 / 4) << 8 | (255 - i);
    for (int32_t y = 0; y < kGrid; ++y)
      for (int32_t x = 0; x < kGrid; ++x)
        heights[size_t(y * kGrid + x)] = uint16_t(std::min(65535, Ramp(x, y) + Ridge(x, y)));
  }
  void TearDown() override {
    TerrainPreview::Reset();
    SpoolAppTest::TearDown();
  }
  // Rising to the far side and to the right, with a little roughness; a ridge runs from near to far.
  static int32_t Ramp(int32_t x, int32_t y) { return (2 * (63 - y) + x) * 300 + (x * y) % 5 * 400; }
  static int32_t Ridge(int32_t x, int32_t y) { return x >= 24 && x < 30 && y >= 8 && y < 56 ? 24000 : 0; }
  std::vector<uint32_t> Render(int32_t mode, int32_t scale, bool coloured) {
    std::vector<uint32_t> target(size_t(kWidth) * kHeight, 0x00303848);
    TerrainPreview::SetTarget(target.data(), kWidth, kWidth, kHeight);
    if (coloured) TerrainPreview::ResizeBuffer(nullptr, 0);
    TerrainPreview::SetHeightField(heights.data(), kGrid, kGrid, kGrid, scale, 230, 20, gradient);
    const STerrainVertex quad[] = {{8 << 16, 90 << 16, 0, 1, 1},
                                   {112 << 16, 90 << 16, 1, 1, 1},
                                   {84 << 16, 57 << 16, 1, 0, 1},
                                   {36 << 16, 57 << 16, 0, 0, 1}};
    EXPECT_TRUE(TerrainPreview::DrawPolygon(quad, 4, mode));
    return target;
  }
  // Compares the drawing with its stored picture, colours only (the pictures are 24-bit), and writes
  // it out beside the build.
  void Check(const std::string& name, const std::vector<uint32_t>& drawn) {
    int32_t error = 0;
    std::unique_ptr<CImage> image(NewDataImage(kWidth, kHeight, &error));
    ASSERT_NE(image, nullptr) << error;
    {
      CImNavigator nav(image.get(), nullptr, true, false);
      ASSERT_TRUE(nav.IsUsable());
      for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) nav.Cells(uint32_t(y))[x].value = drawn[size_t(y * kWidth + x)];
    }
    std::filesystem::create_directories(QUARN2_TERRAIN_PREVIEW_OUTPUT);
    CFileSpec out, stored;
    ASSERT_EQ(out.Set((std::string(QUARN2_TERRAIN_PREVIEW_OUTPUT) + "/" + name + ".bmp").c_str()), kNoErr);
    ASSERT_EQ(SaveImageAsBmp(out, image.get(), true), kNoErr);
    ASSERT_EQ(stored.Set((std::string(QUARN2_RENDER_TEST_DATA) + "/" + name + ".bmp").c_str()), kNoErr);
    CImage* read = nullptr;
    ASSERT_EQ(CImBitmapFile::LoadImage(stored, &read), kNoErr) << "no stored picture " << stored.GetPath()
                                                               << "; the drawing is in " << out.GetPath();
    std::unique_ptr<CImage> reference(read);
    ASSERT_EQ(reference->GetWidth(), uint32_t(kWidth));
    ASSERT_EQ(reference->GetHeight(), uint32_t(kHeight));
    CImNavigator nav(reference.get(), nullptr, false, false);
    ASSERT_TRUE(nav.IsUsable());
    uint32_t differing = 0;
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x)
        differing += (nav.Cells(uint32_t(y))[x].value & 0xFFFFFF) != (drawn[size_t(y * kWidth + x)] & 0xFFFFFF);
    EXPECT_EQ(differing, 0u) << name << ": compare " << stored.GetPath() << " with " << out.GetPath();
  }

  static constexpr int32_t kGrid = 64;
  static constexpr int32_t kWidth = 120;
  static constexpr int32_t kHeight = 96;
  uint32_t gradient[256] = {};
  std::vector<uint16_t> heights = std::vector<uint16_t>(size_t(kGrid) * kGrid);
};

TEST_F(TerrainPreviewPictureTest, TheRampFieldInEachModeMatchesItsStoredPicture) {
  // A rise of 30 rows for a full height.
  const int32_t scale = 0x3C40;
  Check("terrain_preview_relief", Render(0, scale, false));
  Check("terrain_preview_shadows", Render(1, scale, true));
  Check("terrain_preview_overlay", Render(2, scale, false));
  Check("terrain_preview_flat", Render(0, 0, true));
}

}  // namespace
