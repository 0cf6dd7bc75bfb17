#include "scene/c_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/core/spool_fixture.h"

namespace {

class PictureHolder : public SpoolAppTest {
 protected:
  C3dCImage* NewPicture(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels) {
    SGridLayout grid;
    MakeImageGridSpec(grid, DataEnv(), width, height);
    auto* image = new C3dCImage(grid, SSpoolTableSpec{});
    EXPECT_TRUE(image->IsValid());
    CImNavigator nav(image, nullptr, true, false);
    for (uint32_t i = 0; i < pixels.size(); ++i) nav.Cells(i / width)[i % width].value = pixels[i];
    return image;
  }
  static std::vector<uint32_t> Pixels(C3dCImage* image) {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
};

TEST_F(PictureHolder, InvertingTurnsTheTopByteAround) {
  const std::vector<uint32_t> pixels = {0x00FF8040, 0x80123456, 0xFF000000, 0x7FFFFFFF};
  C3dCImage* image = NewPicture(2, 2, pixels);
  EXPECT_EQ(image->GetWord(), 0u);
  // The whole image, whatever its clip rectangle; the clip rectangle stays.
  ASSERT_TRUE(image->SetClip(SRect{0, 0, 1, 1}));
  ASSERT_TRUE(image->InvertAlpha());
  EXPECT_EQ(Pixels(image), (std::vector<uint32_t>{0xFFFF8040, 0x7F123456, 0x00000000, 0x80FFFFFF}));
  EXPECT_EQ(image->GetClip(), (SRect{0, 0, 1, 1}));
  ASSERT_TRUE(image->InvertAlpha());
  EXPECT_EQ(Pixels(image), pixels);
  delete image;
}

TEST_F(PictureHolder, AnImageOfNoPixelsAnswersTrue) {
  C3dCImage* empty = NewPicture(0, 0, {});
  EXPECT_TRUE(empty->InvertAlpha());
  EXPECT_TRUE(Pixels(empty).empty());
  delete empty;
}

}  // namespace
