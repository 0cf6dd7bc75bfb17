#include "framework/image/clipboard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/mem_block.h"
#include "framework/image/image.h"
#include "image_fixture.h"
#include "platform/clipboard.h"
#include "tests/tools/run_tool.h"

namespace {

using Bytes = std::vector<uint8_t>;

class ClipboardTest : public SpoolAppTest {
 protected:
  static Bytes BlockBytes(const CMemBlock& block) { return Bytes(block.GetData(), block.GetData() + block.GetSize()); }
  // A DIB, or a BMP file's bytes without the 14-byte file header.
  CImage* FromDib(const Bytes& dib) {
    SGridLayout grid;
    MakeImageGridSpec(grid, DataEnv(), 0, 0);
    SSpoolTableSpec spec;
    return CImage::CreateFromDib(grid, &spec, dib.data(), uint32_t(dib.size()), false);
  }
};

TEST_F(ClipboardTest, AOnePixelImageMakesA44ByteBitmap) {
  auto image = MakeImage(1, 1, [](uint32_t, uint32_t) { return 0xFF112233u; });
  std::unique_ptr<CMemBlock> block(CClipboard::ImageToDIB(image.get()));
  ASSERT_NE(block, nullptr);
  Bytes expected = {0x28, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0x18, 0};
  expected.resize(40, 0);
  expected.insert(expected.end(), {0x33, 0x22, 0x11, 0});
  EXPECT_EQ(BlockBytes(*block), expected);

  auto wide = MakeImage(5, 2, [](uint32_t x, uint32_t y) { return 0x010203u * (x + 1) + y; });
  block.reset(CClipboard::ImageToDIB(wide.get()));
  ASSERT_EQ(block->GetSize(), 40u + 2 * 16);
  // The last image row comes first: pixel (0, 1) is 0x010204.
  EXPECT_EQ(Bytes(block->GetData() + 40, block->GetData() + 43), (Bytes{0x04, 0x02, 0x01}));
  EXPECT_EQ(Bytes(block->GetData() + 55, block->GetData() + 56), (Bytes{0}));  // padding
}

TEST_F(ClipboardTest, APictureGoesOnTheClipboardAndComesBack) {
  auto image = MakeImage(3, 2, [](uint32_t x, uint32_t y) { return 0x80000000u | (x * 0x40 << 16) | (y * 0x70 << 8) | 0x11; });
  CClipboard clipboard;
  ASSERT_TRUE(clipboard.PutDIB(image.get()));
  EXPECT_FALSE(platform::IsClipboardOpen());
  std::unique_ptr<CImage> back(clipboard.GetDIB());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetWidth(), 3u);
  EXPECT_EQ(back->GetHeight(), 2u);
  EXPECT_EQ(back->GetEnvironment(), DataEnv());
  const std::vector<uint32_t> before = Pixels(*image), after = Pixels(*back);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i] & 0xFFFFFF, before[i] & 0xFFFFFF) << i;
    EXPECT_EQ(after[i] >> 24, 0xFFu) << i;  // a pasted picture is opaque
  }
}

TEST_F(ClipboardTest, NoBitmapOnTheClipboardGivesNone) {
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  ASSERT_TRUE(platform::EmptyClipboard());
  const uint8_t text[] = "text";
  ASSERT_TRUE(platform::SetClipboardData(1, text, sizeof text));
  ASSERT_TRUE(platform::CloseClipboard());
  CClipboard clipboard;
  EXPECT_EQ(clipboard.GetDIB(), nullptr);
  EXPECT_FALSE(platform::IsClipboardOpen());
}

TEST_F(ClipboardTest, BitmapsThatRunPastTheirBytesAreRefused) {
  auto image = MakeImage(3, 2, [](uint32_t, uint32_t) { return 0x123456u; });
  std::unique_ptr<CMemBlock> block(CClipboard::ImageToDIB(image.get()));
  const Bytes good = BlockBytes(*block);
  auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes d = good;
    std::copy(bytes.begin(), bytes.end(), d.begin() + long(at));
    return d;
  };
  struct SCase {
    const char* what;
    Bytes dib;
  } cases[] = {
      {"rows one byte short", Bytes(good.begin(), good.end() - 1)},
      {"colour table past the end", with(32, {1})},
      {"header past the end", with(0, {0x40, 0})},
      {"image size past the end", with(20, {0x40})},
      {"16 bits", with(14, {16})},
      {"top-down", with(8, {0xFE, 0xFF, 0xFF, 0xFF})},
      {"compressed", with(16, {1})},
      {"no width", with(4, {0})},
      {"header only", Bytes(good.begin(), good.begin() + 40)},
  };
  for (const SCase& c : cases) EXPECT_EQ(FromDib(c.dib), nullptr) << c.what;
  std::unique_ptr<CImage> read(FromDib(good));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Pixels(*read), std::vector<uint32_t>(6, 0x123456u));
}

TEST_F(ClipboardTest, BitmapsLargerThan16384EachWayAreRefused) {
  // A 24-bit bitmap of one colour with all its rows present.
  auto dib = [](uint32_t width, uint32_t height) {
    Bytes bytes(40 + size_t((width * 3 + 3) / 4 * 4) * height, 0x40);
    const uint32_t header[] = {40, width, height};
    std::memcpy(bytes.data(), header, sizeof header);
    bytes[12] = 1, bytes[13] = 0, bytes[14] = 24;
    std::fill(bytes.begin() + 15, bytes.begin() + 40, 0);
    return bytes;
  };
  for (const auto& [width, height, taken] : {std::tuple{16384u, 1u, true}, std::tuple{16385u, 1u, false},
                                             std::tuple{1u, 16384u, true}, std::tuple{1u, 16385u, false}}) {
    std::unique_ptr<CImage> image(FromDib(dib(width, height)));
    EXPECT_EQ(image != nullptr, taken) << width << " x " << height;
  }
}

TEST_F(ClipboardTest, FlippingSwapsRowsFromTheOutsideIn) {
  auto tall = MakeImage(2, 4, [](uint32_t x, uint32_t y) { return y * 10 + x; });
  ASSERT_TRUE(FlipImageRows(tall.get()));
  EXPECT_EQ(Pixels(*tall), (std::vector<uint32_t>{30, 31, 20, 21, 10, 11, 0, 1}));
  auto flat = MakeImage(3, 1, [](uint32_t x, uint32_t) { return x; });
  ASSERT_TRUE(FlipImageRows(flat.get()));
  EXPECT_EQ(Pixels(*flat), (std::vector<uint32_t>{0, 1, 2}));
}

// Other programs read the clipboard's bitmap as a BMP file without its 14-byte file header, and their
// bitmaps paste the same way.
TEST_F(ClipboardTest, ImageMagickAndNetpbmAgreeOnTheBitmaps) {
  auto image = MakeImage(2, 3, [](uint32_t x, uint32_t y) { return 0xFF000000u | ((x ? 0xAA5511u : 0x102030u) + y); });
  std::unique_ptr<CMemBlock> block(CClipboard::ImageToDIB(image.get()));
  const Bytes dib = BlockBytes(*block);
  Bytes file = {'B', 'M'};
  const uint32_t size = uint32_t(14 + dib.size());
  for (uint32_t v : {size, 0u, 14u + 40u})
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(v >> (8 * i)));
  file.insert(file.end(), dib.begin(), dib.end());
  const std::string out = folder + "/out.bmp";
  std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  SRun run = RunCommand("identify -format '%w %h %[pixel:p{1,0}]' '" + out + "' 2>&1");
  EXPECT_EQ(run.out, "2 3 srgb(170,85,17)");
  run = RunCommand("bmptoppm '" + out + "' 2>/dev/null | pnmtoplainpnm | tr -s ' \\n' ' '");
  EXPECT_EQ(run.out, "P3 2 3 255 16 32 48 170 85 17 16 32 49 170 85 18 16 32 50 170 85 19 ");

  const std::string in = folder + "/in.bmp";
  ASSERT_EQ(RunCommand("convert -size 3x2 xc:'#112233' 'BMP3:" + in + "'").status, 0);
  std::ifstream stream(in, std::ios::binary);
  const Bytes bmp{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  ASSERT_GT(bmp.size(), 14u);
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  ASSERT_TRUE(platform::EmptyClipboard());
  ASSERT_TRUE(platform::SetClipboardData(platform::kCfDib, bmp.data() + 14, bmp.size() - 14));
  ASSERT_TRUE(platform::CloseClipboard());
  std::unique_ptr<CImage> pasted(CClipboard().GetDIB());
  ASSERT_NE(pasted, nullptr);
  for (uint32_t pixel : Pixels(*pasted)) EXPECT_EQ(pixel & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(Pixels(*pasted).size(), 6u);
}

}  // namespace
