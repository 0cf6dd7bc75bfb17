// Pictures for the image tests: images of the application's data environment filled by a function
// of (x, y), and their pixels read back row by row, top first. ImageTest gives the data pool room
// for pictures of a few hundred pixels a side.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/image/image8.h"
#include "framework/image/image_io.h"
#include "framework/image/image_record.h"
#include "platform/device_context.h"
#include "platform/surface.h"
#include "tests/framework/core/spool_fixture.h"

template <typename F>
std::unique_ptr<CImage> MakeImage(uint32_t width, uint32_t height, F pixel) {
  int32_t error = 0;
  std::unique_ptr<CImage> image(NewDataImage(width, height, &error));
  EXPECT_NE(image, nullptr) << error;
  if (!image) return image;
  const SRect whole = image->GetBounds();
  CImNavigator nav(image.get(), &whole, true, false);
  EXPECT_TRUE(nav.IsUsable());
  for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = pixel(x, y);
  return image;
}

// A new resource of key in env: an image of the grid's layout, subscribed there to be written
// through the image record when it is unsubscribed. Null with the code in *error when it fails.
inline std::unique_ptr<CImage> NewResourceImage(CResourceEnv& env, const SSpoolKey& key, SGridLayout grid,
                                                int32_t* error) {
  *error = 0;
  if (!env.PutResource(key)) {
    *error = env.GetLastResult();
    return nullptr;
  }
  grid.environment = &env;
  auto image = std::make_unique<CImage>(grid);
  SSpoolKey written = key;
  written.byName = 0;
  written.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &written, &ImageRecordTypeHandler);
  if (image->Subscribe(spec)) return image;
  *error = image->GetError();
  return nullptr;
}

// The same, a width × height image whose pixel (x, y) is pixel(x, y), stored at once. 0 or the code.
template <typename F>
int32_t StoreImage(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height, F pixel) {
  SGridLayout grid;
  MakeImageGridSpec(grid, &env, width, height);
  int32_t error = 0;
  auto image = NewResourceImage(env, key, grid, &error);
  if (!image) return error;
  {
    CImNavigator nav(image.get(), nullptr, true, false);
    if (!nav.IsUsable()) return image->GetError();
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = pixel(x, y);
  }
  return image->Unsubscribe() ? 0 : image->GetError();
}

inline std::unique_ptr<CImage> SolidImage(uint32_t width, uint32_t height, uint32_t value) {
  return MakeImage(width, height, [value](uint32_t, uint32_t) { return value; });
}

// The whole grid, whatever the clip rectangle.
inline std::vector<uint32_t> Pixels(CImage& image) {
  std::vector<uint32_t> pixels;
  const SRect whole = image.GetBounds();
  CImNavigator nav(&image, &whole, false, false);
  EXPECT_TRUE(nav.IsUsable());
  for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
  return pixels;
}

inline uint32_t PixelAt(CImage& image, uint32_t x, uint32_t y) { return Pixels(image)[size_t(y) * image.GetWidth() + x]; }

// Writes the bytes as the file at path and reads it through the dispatch with its extension's type
// code: the result, and the pixels when it read. An image must come exactly when the answer is 0.
inline int32_t ReadBytesAsFile(const std::string& path, const std::vector<uint8_t>& bytes,
                               std::vector<uint32_t>* pixels = nullptr) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  CFileSpec spec;
  spec.Set(path.c_str());
  CImage* read = reinterpret_cast<CImage*>(1);
  const int32_t err = CImageIO::ReadByType(spec, CImageIO::TypeOfPath(path.c_str()), &read);
  std::unique_ptr<CImage> image(read);
  EXPECT_EQ(err == 0, image != nullptr) << path << " " << err;
  if (image && pixels) *pixels = Pixels(*image);
  return err;
}

// An 8-bit image of the application's data environment whose index at (x, y) is index(x, y).
template <typename F>
std::unique_ptr<CImage8> MakeImage8(CSpoolSys* env, uint32_t width, uint32_t height, F index) {
  SImage8Layout layout;
  MakeImage8GridSpec(layout, env, width, height);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &Image8RecordTypeHandler);
  auto image = std::make_unique<CImage8>(layout, spec);
  EXPECT_TRUE(image->IsValid()) << image->GetError();
  const SRect whole = image->GetBounds();
  CIm8Navigator nav(image.get(), &whole, true, false);
  EXPECT_TRUE(nav.IsUsable());
  for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = uint8_t(index(x, y));
  return image;
}

// The whole grid's indices, row by row.
inline std::vector<uint8_t> Indices(CImage8& image) {
  std::vector<uint8_t> indices;
  const SRect whole = image.GetBounds();
  CIm8Navigator nav(&image, &whole, false, false);
  EXPECT_TRUE(nav.IsUsable());
  for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) indices.push_back(nav.Cells(y)[x].value);
  return indices;
}

class ImageTest : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
};

inline constexpr uint32_t kSurfaceBackground = 0x00ABCDEF;

// A 40 × 40 surface of kSurfaceBackground with a device context over it, for drawing images.
class ImageSurfaceTest : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    surface.Fill(0, 0, surface.Width(), surface.Height(), kSurfaceBackground);
    dc = platform::CreateSurfaceDC(&surface);
  }
  void TearDown() override {
    platform::ReleaseDC(dc);
    ImageTest::TearDown();
  }
  // Pixels that are no longer the background.
  uint32_t Painted() const {
    uint32_t n = 0;
    for (int32_t y = 0; y < surface.Height(); ++y)
      for (int32_t x = 0; x < surface.Width(); ++x) n += surface.Pixel(x, y) != kSurfaceBackground;
    return n;
  }

  platform::Surface surface{40, 40};
  platform::DeviceContext* dc = nullptr;
};
