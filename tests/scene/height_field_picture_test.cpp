// Terrains from BMP pictures that ImageMagick draws, checked against the grey levels ImageMagick
// reports for them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "height_field_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

class TerrainPicture : public HeightFieldTest {
 protected:
  // The picture's grey bytes, top row first, and the picture read as a 32-bit image.
  std::vector<uint8_t> Draw(const std::string& name, const char* size, std::unique_ptr<CImage>* image) {
    const std::string path = folder + "/" + name;
    const std::string draw = std::string("convert -size ") + size + " gradient: -type truecolor 'BMP3:" + path + "'";
    EXPECT_EQ(RunCommand(draw).status, 0);
    const SRun grey = RunCommand("convert '" + path + "' -depth 8 gray:-");
    EXPECT_EQ(grey.status, 0);
    CFileSpec spec;
    EXPECT_EQ(spec.Set(path.c_str()), 0);
    CImage* read = nullptr;
    EXPECT_EQ(CImBitmapFile::LoadImage(spec, &read), 0);
    image->reset(read);
    return std::vector<uint8_t>(grey.out.begin(), grey.out.end());
  }
  static CHFUnit HeightOf(uint8_t grey) { return CHFUnit(grey * 0.00390625 * 65535); }
};

TEST_F(TerrainPicture, AGradientBecomesTheGridFromItsBottomRowUp) {
  if (RunCommand("command -v convert >/dev/null").status != 0) GTEST_SKIP() << "ImageMagick is not installed";
  std::unique_ptr<CImage> picture;
  const std::vector<uint8_t> grey = Draw("grad.bmp", "64x64", &picture);
  ASSERT_EQ(grey.size(), 64u * 64);
  ASSERT_NE(picture, nullptr);
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->SetFromImage(picture.get()), 0);
  ASSERT_EQ(field->GetSide(), 64u);
  const std::vector<CHFUnit> heights = Heights(field);
  for (uint32_t r = 0; r < 64; ++r)
    for (uint32_t c = 0; c < 64; ++c)
      ASSERT_EQ(heights[r * 64 + c], HeightOf(grey[(63 - r) * 64 + c])) << r << ", " << c;

  const auto back = NewGreyImage(64, 64);
  ASSERT_TRUE(field->MakeGrayImage(back.get()));
  const std::vector<uint8_t> pixels = Pixels(back.get());
  for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], grey[i] ? grey[i] - 1 : 0) << i;
}

TEST_F(TerrainPicture, ATallGradientFillsTheGridFromItsBottomRows) {
  if (RunCommand("command -v convert >/dev/null").status != 0) GTEST_SKIP() << "ImageMagick is not installed";
  std::unique_ptr<CImage> picture;
  const std::vector<uint8_t> grey = Draw("tall.bmp", "32x48", &picture);
  ASSERT_EQ(grey.size(), 32u * 48);
  ASSERT_NE(picture, nullptr);
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->SetFromImage(picture.get()), 0);
  ASSERT_EQ(field->GetSide(), 32u);
  EXPECT_EQ(RecordSize(field), 848u + 2 * 32 * 32);
  const std::vector<CHFUnit> heights = Heights(field);
  for (uint32_t r = 0; r < 32; ++r)
    for (uint32_t c = 0; c < 32; ++c)
      ASSERT_EQ(heights[r * 32 + c], HeightOf(grey[(47 - r) * 32 + c])) << r << ", " << c;
}

}  // namespace
