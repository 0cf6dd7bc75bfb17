// The terrain editor's 3D preview: its defaults and colour table, what one render hands the terrain
// renderer (three passes, their offsets and modes, the height scale and the bracket levels), and the
// 8-bit to 32-bit copy of the views.
#include "editors/terrain/terrain_3d_preview.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image8.h"
#include "grid_fixture.h"
#include "platform/alloc.h"
#include "tests/scene/height_field_fixture.h"

namespace {

class Terrain3dPreview : public HeightFieldTest {
 protected:
  uint32_t DataBudget() const override { return 8 * 1024 * 1024; }

  std::unique_ptr<CImage> Picture(uint32_t side, uint32_t fill) {
    int32_t error = 0;
    std::unique_ptr<CImage> picture(NewDataImage(side, side, &error));
    EXPECT_NE(picture, nullptr) << error;
    if (picture) EXPECT_TRUE(picture->Fill(fill));
    return picture;
  }
  static uint32_t PixelAt(CImage* picture, uint32_t x, uint32_t y) {
    CImNavigator pixels(picture, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(y)[x].value : 0;
  }
  // A render of a grid into the whole picture, the passes as the renderer got them.
  bool Render(CTerrain3dPreview& preview, CImage* picture, const Grid& grid, uint32_t n, int32_t lo, int32_t hi,
              int32_t mode, std::vector<CTerrain3dPreview::SPass>* passes = nullptr) {
    if (passes) preview.SetPassObserver([passes](const CTerrain3dPreview::SPass& pass) { passes->push_back(pass); });
    CImNavigator pixels(picture, nullptr, true, false);
    EXPECT_TRUE(pixels.IsUsable());
    const SRect whole = picture->GetBounds();
    const bool drawn = preview.Render(reinterpret_cast<uint32_t*>(pixels.Cells(0)),
                                      int32_t(picture->GetStride() / sizeof(CImVector)), whole, grid.data(), n, lo, hi,
                                      mode);
    preview.SetPassObserver(nullptr);
    return drawn;
  }
};

TEST_F(Terrain3dPreview, ANewPreviewLooksAtTheSquareFromItsDefaults) {
  CTerrain3dPreview preview;
  EXPECT_EQ(preview.GetHeightScale(), 1.5);
  EXPECT_EQ(preview.GetSizeScale(), 0.5);
  EXPECT_EQ(preview.GetTiltAngle(), 0.0);
  EXPECT_EQ(preview.GetTurnAngle(), 0.2);
  for (uint32_t k = 0; k < 256; ++k) ASSERT_EQ(preview.GetColour(k).value, (255 - k) * 0x010101u) << k;
  preview.SetColour(256, CImVector{0x123456});
  preview.SetColour(-1, CImVector{0x123456});
  for (uint32_t k = 0; k < 256; ++k) ASSERT_EQ(preview.GetColour(k).value, (255 - k) * 0x010101u) << k;
  preview.SetColour(7, CImVector{0x123456});
  EXPECT_EQ(preview.GetColour(7).value, 0x123456u);
}

// Two drop shadows below and to the right of the relief, then the relief in the caller's mode, each
// the same square moved; the relief rises by cos(turn) × heightScale × sizeScale in 16.16.
TEST_F(Terrain3dPreview, ARenderDrawsTwoShadowsAndTheRelief) {
  CTerrain3dPreview preview;
  std::unique_ptr<CImage> picture = Picture(128, 0xFF123456);
  std::vector<CTerrain3dPreview::SPass> passes;
  ASSERT_TRUE(Render(preview, picture.get(), FlatGrid(128, 32767), 128, 0, 65535, TerrainPreview::kRelief, &passes));
  EXPECT_NE(PixelAt(picture.get(), 64, 64) & 0xFFFFFF, 0x123456u);
  ASSERT_EQ(passes.size(), 3u);
  EXPECT_EQ(passes[0].mode, TerrainPreview::kOverlay);
  EXPECT_EQ(passes[1].mode, TerrainPreview::kOverlay);
  EXPECT_EQ(passes[2].mode, TerrainPreview::kRelief);
  const struct {
    int32_t dx, dy;
  } offsets[] = {{0, 15}, {5, 10}};
  for (uint32_t p = 0; p < 2; ++p) {
    for (uint32_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(passes[p].vertices[i].x - passes[2].vertices[i].x, offsets[p].dx * 65536, 1) << p << " " << i;
      EXPECT_NEAR(passes[p].vertices[i].y - passes[2].vertices[i].y, offsets[p].dy * 65536, 1) << p << " " << i;
    }
  }
  for (const CTerrain3dPreview::SPass& pass : passes) {
    EXPECT_EQ(pass.scale, 48172);
    EXPECT_EQ(pass.cutLevel, 256) << "nothing under water";
    EXPECT_EQ(pass.minimumShade, 1);
    EXPECT_EQ(pass.gridSide, 128u);
  }
  // The square lies flat and centred: its near edge low on the view, its far edge higher.
  const STerrainVertex* v = passes[2].vertices;
  EXPECT_EQ(v[0].x + v[1].x, 2 * 64 * 65536);
  EXPECT_GT(v[0].y, v[3].y);
  EXPECT_EQ(v[0].u, 0.0);
  EXPECT_EQ(v[2].v, 1.0);

  // The brackets become the renderer's levels; a larger height scale rises higher.
  passes.clear();
  preview.SetHeightScale(3.0);
  ASSERT_TRUE(Render(preview, picture.get(), FlatGrid(128, 32767), 128, 16383, 49151,
                     TerrainPreview::kReliefWithShadows, &passes));
  ASSERT_EQ(passes.size(), 3u);
  EXPECT_EQ(passes[2].mode, TerrainPreview::kReliefWithShadows);
  EXPECT_EQ(passes[2].cutLevel, 256 - (16383 >> 8));
  EXPECT_EQ(passes[2].minimumShade, 256 - (49151 >> 8));
  EXPECT_EQ(passes[2].scale, 96344);
}

TEST_F(Terrain3dPreview, ScaleImage8IntoAnswersTheSystemsCodes) {
  std::unique_ptr<CImage8> grey = NewGreyImage(256, 256);
  {
    CIm8Navigator pixels(grey.get(), nullptr, true, false);
    for (uint32_t y = 0; y < 256; ++y)
      for (uint32_t x = 0; x < 256; ++x) pixels.Cells(y)[x].value = uint8_t(x);
  }
  std::unique_ptr<CImage> half = Picture(128, 0);
  EXPECT_EQ(ScaleImage8Into(grey.get(), half.get()), 0);
  EXPECT_EQ(PixelAt(half.get(), 64, 10) & 0xFFFFFF, 0x818181u) << "the boxes of columns 128 and 129";
  // The copy cannot be made.
  platform::FailNextAllocations(100);
  EXPECT_EQ(ScaleImage8Into(grey.get(), half.get()), 13);
  platform::FailNextAllocations(0);
  // The source paged out and unable to come back.
  ASSERT_TRUE(grey->PageOut());
  platform::FailNextAllocations(100);
  EXPECT_EQ(ScaleImage8Into(grey.get(), half.get()), 9);
  platform::FailNextAllocations(0);
}

}  // namespace
