#include "platform/device_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/headless.h"

namespace {

using namespace platform;

// A width × height block of 32-bit pixels whose pixel (x, y), counted from the picture's top, is
// 0xAA000000 | (y + 1) << 16 | (x + 1); stored top-down or bottom-up.
struct SBlock {
  SBitmapInfoHeader header;
  std::vector<uint8_t> bytes;
};

SBlock MakeBlock(int32_t width, int32_t height, bool topDown) {
  SBlock block;
  block.header.width = width;
  block.header.height = topDown ? -height : height;
  block.header.bitCount = 32;
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = topDown ? row : height - 1 - row;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t pixel = 0xAA000000u | uint32_t(y + 1) << 16 | uint32_t(x + 1);
      for (int i = 0; i < 4; ++i) block.bytes.push_back(uint8_t(pixel >> (8 * i)));
    }
  }
  return block;
}

uint32_t Expected(int32_t x, int32_t y) { return uint32_t(y + 1) << 16 | uint32_t(x + 1); }

class DeviceContextTest : public ::testing::Test {
 protected:
  void SetUp() override { dc = CreateSurfaceDC(&surface); }
  void TearDown() override { ReleaseDC(dc); }
  int32_t Blit(const SBlock& block, int32_t xd, int32_t yd, int32_t wd, int32_t hd, int32_t xs, int32_t ys, int32_t ws,
               int32_t hs) {
    return StretchDIBits(dc, xd, yd, wd, hd, xs, ys, ws, hs, block.bytes.data(), &block.header, kDibRgbColors,
                         kSrcCopy);
  }

  Surface surface{40, 30};
  DeviceContext* dc = nullptr;
};

TEST_F(DeviceContextTest, CopiesTopDownAndBottomUpBlocksAlike) {
  for (bool topDown : {true, false}) {
    surface.Fill(0, 0, 40, 30, 0x123456);
    const SBlock block = MakeBlock(4, 3, topDown);
    EXPECT_EQ(Blit(block, 10, 20, 4, 3, 0, 0, 4, 3), 3);
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(surface.Pixel(10 + x, 20 + y), Expected(x, y)) << topDown;
    EXPECT_EQ(surface.Pixel(9, 20), 0x123456u);
    EXPECT_EQ(surface.Pixel(14, 22), 0x123456u);
    EXPECT_EQ(surface.Pixel(10, 23), 0x123456u);
  }
}

TEST_F(DeviceContextTest, SourceRectanglesCountFromTheTopOrFromTheBottom) {
  // Rows 1 and 2 of the picture: y 1 from the top of a top-down block, y 0 from the bottom of a
  // bottom-up one.
  const SBlock down = MakeBlock(4, 3, true);
  const SBlock up = MakeBlock(4, 3, false);
  Blit(down, 0, 0, 2, 2, 1, 1, 2, 2);
  Blit(up, 5, 0, 2, 2, 1, 0, 2, 2);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 2; ++x) {
      EXPECT_EQ(surface.Pixel(x, y), Expected(x + 1, y + 1));
      EXPECT_EQ(surface.Pixel(5 + x, y), Expected(x + 1, y + 1));
    }
  }
}

TEST_F(DeviceContextTest, StretchesToTheNearestPixelAndReadsOnlyInsideTheBlock) {
  const SBlock block = MakeBlock(2, 1, true);
  Blit(block, 0, 0, 4, 2, 0, 0, 2, 1);
  const uint32_t expected[2][4] = {{Expected(0, 0), Expected(0, 0), Expected(1, 0), Expected(1, 0)},
                                   {Expected(0, 0), Expected(0, 0), Expected(1, 0), Expected(1, 0)}};
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(surface.Pixel(x, y), expected[y][x]);
  // Half of the source rectangle lies left of the block: that half of the destination stays.
  surface.Fill(0, 0, 40, 30, 0x777777);
  Blit(block, 0, 0, 4, 1, -2, 0, 4, 1);
  EXPECT_EQ(surface.Pixel(0, 0), 0x777777u);
  EXPECT_EQ(surface.Pixel(1, 0), 0x777777u);
  EXPECT_EQ(surface.Pixel(2, 0), Expected(0, 0));
  EXPECT_EQ(surface.Pixel(3, 0), Expected(1, 0));
  // Drawing past the surface's edges changes only what lies on it.
  EXPECT_EQ(Blit(MakeBlock(4, 3, true), 38, -1, 4, 3, 0, 0, 4, 3), 3);
  EXPECT_EQ(surface.Pixel(38, 0), Expected(0, 1));
  EXPECT_EQ(surface.Pixel(39, 1), Expected(1, 2));
}

TEST_F(DeviceContextTest, EightBitBlocksIndexTheirColourTableWithRowsPaddedTo32Bits) {
  // 5 pixels a row take 8 bytes; pixel (x, y) from the top holds index 10·y + x.
  SBitmapInfo info;
  info.header.width = 5;
  info.header.bitCount = 8;
  for (uint32_t i = 0; i < 256; ++i) info.colors[i] = {uint8_t(i), uint8_t(255 - i), 0x40, 0x99};
  for (bool topDown : {true, false}) {
    info.header.height = topDown ? -2 : 2;
    std::vector<uint8_t> bits(16, 0xEE);
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 5; ++x) bits[size_t(topDown ? y : 1 - y) * 8 + size_t(x)] = uint8_t(10 * y + x);
    surface.Fill(0, 0, 40, 30, 0);
    EXPECT_EQ(StretchDIBits(dc, 1, 1, 5, 2, 0, 0, 5, 2, bits.data(), &info.header, kDibRgbColors, kSrcCopy), 2);
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < 5; ++x) {
        const uint32_t i = uint32_t(10 * y + x);
        EXPECT_EQ(surface.Pixel(1 + x, 1 + y), 0x400000u | (255 - i) << 8 | i) << topDown << x << y;
      }
    }
    EXPECT_EQ(surface.Pixel(6, 1), 0u);
  }
  // Only the whole table of 256 colours is understood.
  info.header.colorsUsed = 16;
  const uint8_t bits[8] = {};
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, &info.header, kDibRgbColors, kSrcCopy), 0);
}

TEST_F(DeviceContextTest, RefusesWhatItCannotDraw) {
  SBlock block = MakeBlock(2, 2, true);
  block.header.bitCount = 16;  // 8, 24 and 32 bits are drawn
  EXPECT_EQ(Blit(block, 0, 0, 2, 2, 0, 0, 2, 2), 0);
  EXPECT_EQ(GetLastError(), kWinInvalidParameter);
  block = MakeBlock(2, 2, true);
  block.header.compression = 1;
  EXPECT_EQ(Blit(block, 0, 0, 2, 2, 0, 0, 2, 2), 0);
  block.header.compression = kBiRgb;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 2, 2, 0, 0, 2, 2, block.bytes.data(), &block.header, kDibRgbColors, 0), 0);
  EXPECT_EQ(StretchDIBits(nullptr, 0, 0, 2, 2, 0, 0, 2, 2, block.bytes.data(), &block.header, kDibRgbColors, kSrcCopy),
            0);
  EXPECT_EQ(surface.Pixel(0, 0), 0u);
  EXPECT_TRUE(GdiFlush());
}

// A surface keeps what was drawn into it where old and new sizes overlap, and is black elsewhere,
// whether it was drawn by a fill or through its rows, or never.
TEST(Surface, AResizeKeepsWhatWasDrawnAndBlackensTheRest) {
  const struct {
    const char* how;
    uint32_t fill;
    bool throughRow;
  } cases[] = {{"never drawn", 0, false}, {"filled black", 0, true}, {"filled", 0x00ABCDEF, false},
               {"drawn through a row", 0x00123456, true}};
  for (const auto& c : cases) {
    Surface surface(6, 4);
    if (c.throughRow) surface.Row(1)[2] = c.fill;
    else surface.Fill(1, 1, 4, 3, c.fill);
    for (const auto& [width, height] : {std::pair{9, 5}, std::pair{3, 2}}) {
      surface.Resize(width, height);
      for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
          const bool drawn = c.throughRow ? x == 2 && y == 1 : x >= 1 && x < 4 && y >= 1 && y < 3;
          EXPECT_EQ(surface.Pixel(x, y), drawn ? c.fill : 0u) << c.how << " at " << x << ", " << y;
        }
      }
    }
  }
}

TEST(WindowDeviceContext, DrawsInClientCoordinatesWithinTheClientArea) {
  SWindowClass windowClass;
  windowClass.name = "DcTest";
  windowClass.procedure = &DefWindowProc;
  ASSERT_TRUE(RegisterWindowClass(windowClass));
  WindowHandle window = CreateWindow(0, "DcTest", "dc", kWsPopup | kWsCaption, 0, 0, 50, 40, nullptr, nullptr, nullptr,
                                     nullptr);
  ASSERT_NE(window, nullptr);
  const SPoint origin = ClientOrigin(window);
  ASSERT_GT(origin.y, 0);
  DeviceContext* dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  const SBlock block = MakeBlock(4, 3, true);
  // One row lies above the client area, over the caption strip, and is not drawn.
  EXPECT_EQ(StretchDIBits(dc, 2, -1, 4, 3, 0, 0, 4, 3, block.bytes.data(), &block.header, kDibRgbColors, kSrcCopy), 3);
  const Surface* surface = GetWindowSurface(window);
  EXPECT_NE(surface->Pixel(origin.x + 2, origin.y - 1), Expected(0, 0));
  EXPECT_EQ(surface->Pixel(origin.x + 2, origin.y), Expected(0, 1));
  EXPECT_EQ(surface->Pixel(origin.x + 5, origin.y + 1), Expected(3, 2));
  ReleaseDC(dc);
  DestroyWindow(window);
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_TRUE(UnregisterWindowClass("DcTest", nullptr));
}

TEST(OpenDialog, AChosenNameWithoutExtensionTakesTheDefaultOneWhenOnlyThatExists) {
  const std::string base = ::testing::TempDir() + "defext";
  std::FILE* f = std::fopen((base + "-b.bmp").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  f = std::fopen((base + "-c").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  struct SCase {
    std::string answer;
    std::string chosen;
  } cases[] = {
      {base + "-a", base + "-a"},          // neither exists
      {base + "-b", base + "-b.bmp"},      // only the extended name exists
      {base + "-c", base + "-c"},          // the name itself exists
      {base + "-b.txt", base + "-b.txt"},  // it has an extension
  };
  for (const SCase& c : cases) {
    headless::AnswerFileDialog(c.answer, 1);
    SFileDialog dialog;
    dialog.defaultExtension = "bmp";
    ASSERT_TRUE(GetOpenFileName(&dialog));
    EXPECT_EQ(dialog.file, c.chosen);
  }
  std::remove((base + "-b.bmp").c_str());
  std::remove((base + "-c").c_str());
}

}  // namespace
