#include "framework/image/image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "image_fixture.h"

namespace {

using Op = std::function<bool(CImage* image, CImage* source)>;

struct SPixelCase {
  const char* name;
  uint32_t before;
  uint32_t source;
  Op op;
  uint32_t after;
};

// Every operation on one pixel of this image and one of the source (or the mask).
std::vector<SPixelCase> PixelCases() {
  return {
      {"ToGrey red", 0x00FF0000, 0, [](CImage* i, CImage*) { return i->ToGrey(); }, 0x004C4C4C},
      {"ToGrey white", 0xFFFFFFFF, 0, [](CImage* i, CImage*) { return i->ToGrey(); }, 0xFFFFFFFF},
      {"ToGrey keeps the top byte", 0x80FF0000, 0, [](CImage* i, CImage*) { return i->ToGrey(); }, 0x804C4C4C},
      {"SetAlpha", 0x12345678, 0, [](CImage* i, CImage*) { return i->SetAlpha(0xAB); }, 0xAB345678},
      {"Fill", 0x12345678, 0, [](CImage* i, CImage*) { return i->Fill(0xC0C0C0); }, 0x00C0C0C0},
      {"SetColorKeepAlpha", 0x12345678, 0, [](CImage* i, CImage*) { return i->SetColorKeepAlpha(0xFFABCDEF); },
       0x12ABCDEF},
      {"InvertAlpha", 0x12345678, 0, [](CImage* i, CImage*) { return i->InvertAlpha(); }, 0xED345678},
      {"InvertColor", 0x12345678, 0, [](CImage* i, CImage*) { return i->InvertColor(); }, 0x12CBA987},
      {"CopyFrom", 0x12345678, 0x9ABCDEF0, [](CImage* i, CImage* s) { return i->CopyFrom(s); }, 0x9ABCDEF0},
      {"CopyColorFrom", 0x12345678, 0x9ABCDEF0, [](CImage* i, CImage* s) { return i->CopyColorFrom(s); }, 0x12BCDEF0},
      {"CopyGreyFrom", 0x12345678, 0x9AFF0000, [](CImage* i, CImage* s) { return i->CopyGreyFrom(s); }, 0x9A4C4C4C},
      {"BlendColor 64", 0xFF000000, 0, [](CImage* i, CImage*) { return i->BlendColor(64, 0x00FF8040); }, 0x003F2010},
      {"BlendColor 256 fills", 0xFF000000, 0, [](CImage* i, CImage*) { return i->BlendColor(256, 0x11223344); },
       0x11223344},
      {"CompositeFrom half", 0x00000000, 0x80FFFFFF, [](CImage* i, CImage* s) { return i->CompositeFrom(s); },
       0x40808080},
      {"CompositeFrom opaque", 0x00000000, 0xFF102030, [](CImage* i, CImage* s) { return i->CompositeFrom(s); },
       0xFF102030},
      {"CompositeFrom clear", 0x11223344, 0x00FFFFFF, [](CImage* i, CImage* s) { return i->CompositeFrom(s); },
       0x11223344},
      // Mixing rounds toward minus infinity: 255 + (0 − 255)·127 / 256 = 128.49 gives 128.
      {"CompositeFrom downward", 0xFFFFFFFF, 0x7F000000, [](CImage* i, CImage* s) { return i->CompositeFrom(s); },
       0xBF808080},
      {"BlendFrom 256 copies", 0x12345678, 0x9ABCDEF0, [](CImage* i, CImage* s) { return i->BlendFrom(256, s); },
       0x9ABCDEF0},
      {"BlendFrom 128", 0xFF000000, 0xFFFFFFFF, [](CImage* i, CImage* s) { return i->BlendFrom(128, s); }, 0x007F7F7F},
      {"BlendFrom beyond 256 copies", 0x12345678, 0x9ABCDEF0, [](CImage* i, CImage* s) { return i->BlendFrom(999, s); },
       0x9ABCDEF0},
      {"BlendColorFrom 128", 0xFF000000, 0x00FFFFFF, [](CImage* i, CImage* s) { return i->BlendColorFrom(128, s); },
       0xFF7F7F7F},
      {"CompositeScaledFrom", 0x00000000, 0xFFFFFFFF,
       [](CImage* i, CImage* s) { return i->CompositeScaledFrom(128, s); }, 0x7E7E7E7E},
      {"MixFrom 64", 0xFFFFFFFF, 0x40FF0000, [](CImage* i, CImage* s) { return i->MixFrom(64, s, i); }, 0x00FF3F3F},
      {"DarkenByMask 255", 0xAA804020, 0xFF000000, [](CImage* i, CImage* m) { return i->DarkenByMask(m); }, 0x00000000},
      {"DarkenByMask 128", 0xAAFF8040, 0x80000000, [](CImage* i, CImage* m) { return i->DarkenByMask(m); },
       0x007F4020},
      // A mask byte of 0 in a cell that is not all 0 keeps the colour but not the top byte.
      {"DarkenByMask 0", 0xAAFF8040, 0x00FF0000, [](CImage* i, CImage* m) { return i->DarkenByMask(m); }, 0x00FF8040},
      {"DarkenByMaskScaled 128", 0xAAFF8040, 0xFF000000,
       [](CImage* i, CImage* m) { return i->DarkenByMaskScaled(128, m); }, 0x00804020},
  };
}

class ImageOpsTest : public ImageTest {};

TEST_F(ImageOpsTest, EachOperationOnOnePixel) {
  for (const SPixelCase& c : PixelCases()) {
    auto image = SolidImage(1, 1, c.before);
    auto source = SolidImage(1, 1, c.source);
    ASSERT_TRUE(c.op(image.get(), source.get())) << c.name;
    EXPECT_EQ(Pixels(*image)[0], c.after) << c.name << std::hex << " got " << Pixels(*image)[0];
  }
}

TEST_F(ImageOpsTest, OnAnEmptyClipRectangleEveryOperationAnswersTrueAndChangesNothing) {
  for (const SPixelCase& c : PixelCases()) {
    auto image = SolidImage(3, 2, c.before);
    auto source = SolidImage(3, 2, c.source);
    EXPECT_FALSE(image->SetClip(SRect{1, 1, 1, 3}));
    EXPECT_TRUE(c.op(image.get(), source.get())) << c.name;
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(6, c.before)) << c.name;
    EXPECT_TRUE(image->EnsureAlpha());
    EXPECT_TRUE(image->ScaleFrom(source.get(), 0));
  }
  // No overlap between the images is the same as an empty clip rectangle.
  auto image = SolidImage(2, 2, 1);
  auto far = SolidImage(2, 2, 2);
  far->SetOrigin(2, 0);
  EXPECT_TRUE(image->CopyFrom(far.get()));
  EXPECT_TRUE(image->CompositeFrom(far.get()));
  EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(4, 1));
}

TEST_F(ImageOpsTest, FillClearsTheWholeBlockOrChangesOnlyTheClipArea) {
  auto image = SolidImage(4, 3, 0xFFFFFFFF);
  ASSERT_TRUE(image->Fill(0));
  EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(12, 0));
  ASSERT_TRUE(image->SetClip(SRect{1, 1, 3, 3}));
  ASSERT_TRUE(image->Fill(0xC0C0C0));
  const uint32_t c = 0xC0C0C0;
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0, 0, 0, 0, 0, c, c, 0, 0, c, c, 0}));
}

TEST_F(ImageOpsTest, TwoImagesMeetWhereTheirClipRectanglesOverlapAtTheirOrigins) {
  auto image = SolidImage(4, 3, 0);
  auto source = MakeImage(3, 3, [](uint32_t x, uint32_t y) { return 10 * y + x + 1; });
  // The source's (0, 0) lies on the image's (2, 1); its clip leaves out its first column.
  source->SetOrigin(2, 1);
  ASSERT_TRUE(source->SetClip(SRect{0, 1, 3, 3}));
  ASSERT_TRUE(image->CopyFrom(source.get()));
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 12}));
  // Three images: the third one cuts the area down to the image's last row.
  auto a = SolidImage(4, 3, 0x00FFFFFF);
  auto b = SolidImage(4, 1, 0x00000000);
  b->SetOrigin(0, 2);
  ASSERT_TRUE(image->MixFrom(128, a.get(), b.get()));
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 2, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F}));
}

TEST_F(ImageOpsTest, AMaskHoldsFourPixelsInACellAndACellOfZeroLeavesThemAlone) {
  auto image = SolidImage(8, 1, 0xAAFFFFFF);
  // Cell 0: bytes FF, 00, 80, 01; cell 1: 0.
  auto mask = MakeImage(2, 1, [](uint32_t x, uint32_t) { return x == 0 ? 0xFF008001u : 0u; });
  ASSERT_TRUE(image->DarkenByMask(mask.get()));
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0x00000000, 0x00FFFFFF, 0x007F7F7F, 0x00FEFEFE, 0xAAFFFFFF,
                                                   0xAAFFFFFF, 0xAAFFFFFF, 0xAAFFFFFF}));
  // The mask placed two pixels to the right: its first byte darkens the image's third pixel.
  image = SolidImage(8, 1, 0xAAFFFFFF);
  mask->SetOrigin(2, 0);
  ASSERT_TRUE(image->DarkenByMask(mask.get()));
  EXPECT_EQ(Pixels(*image)[1], 0xAAFFFFFFu);
  EXPECT_EQ(Pixels(*image)[2], 0x00000000u);
  EXPECT_EQ(Pixels(*image)[5], 0x00FEFEFEu);
  EXPECT_EQ(Pixels(*image)[6], 0xAAFFFFFFu);
}

TEST_F(ImageOpsTest, EnsureAlphaMakesAnImageWithoutAlphaOpaqueAndLeavesOneWithAlpha) {
  auto bare = MakeImage(40, 30, [](uint32_t x, uint32_t y) { return x * 7 + y; });
  ASSERT_TRUE(bare->EnsureAlpha());
  for (uint32_t p : Pixels(*bare)) ASSERT_EQ(p >> 24, 0xFFu);
  auto translucent = MakeImage(40, 30, [](uint32_t x, uint32_t y) { return (x % 200 + 1) << 24 | y; });
  const std::vector<uint32_t> before = Pixels(*translucent);
  ASSERT_TRUE(translucent->EnsureAlpha());
  EXPECT_EQ(Pixels(*translucent), before);
}

// A 40-byte bitmap header of the given fields, followed by the bytes.
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                         const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> dib(40, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) dib[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  put(0, 40, 4);
  put(4, uint32_t(width), 4);
  put(8, uint32_t(height), 4);
  put(12, 1, 2);
  put(14, bits, 2);
  put(16, compression, 4);
  dib.insert(dib.end(), rows.begin(), rows.end());
  return dib;
}

TEST_F(ImageOpsTest, FromDibTakesTheLastRowInMemoryForTheTopRow) {
  // Bottom row (blue, green, red): 01 02 03, 04 05 06; top row 07 08 09, 0A 0B 0C; rows padded to 8.
  const std::vector<uint8_t> dib =
      Dib(2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  for (bool opaque : {false, true}) {
    auto image = SolidImage(2, 2, 0x55555555);
    ASSERT_TRUE(image->FromDib(dib.data(), uint32_t(dib.size()), opaque));
    const uint32_t top = opaque ? 0xFF000000 : 0;
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{top | 0x090807, top | 0x0C0B0A, top | 0x030201, top | 0x060504}));
  }
  const std::vector<uint8_t> wide = Dib(1, 1, 32, 0, {1, 2, 3, 0x80});
  auto image = SolidImage(1, 1, 0);
  ASSERT_TRUE(image->FromDib(wide.data(), uint32_t(wide.size()), true));
  EXPECT_EQ(Pixels(*image)[0], 0x80030201u);
  std::unique_ptr<CImage> created(
      CImage::CreateFromDib(SGridLayout{}, nullptr, dib.data(), uint32_t(dib.size()), false));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetWidth(), 2u);
  EXPECT_EQ(Pixels(*created)[0], 0x090807u);
}

TEST_F(ImageOpsTest, FromDibRefusesBitmapsItCannotReadBeforeTouchingTheImage) {
  const std::vector<uint8_t> rows(16, 0x11);
  struct SCase {
    const char* name;
    std::vector<uint8_t> dib;
    uint32_t length;
  } cases[] = {
      {"16 bits", Dib(2, 2, 16, 0, rows), 56},
      {"top-down", Dib(2, -2, 24, 0, rows), 56},
      {"compressed", Dib(2, 2, 24, 1, rows), 56},
      {"rows past the length", Dib(2, 2, 24, 0, rows), 55},
      {"no room for the header", Dib(2, 2, 24, 0, {}), 39},
  };
  for (const SCase& c : cases) {
    auto image = SolidImage(2, 2, 0x55555555);
    EXPECT_FALSE(image->FromDib(c.dib.data(), c.length, true)) << c.name;
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(4, 0x55555555)) << c.name;
    EXPECT_EQ(CImage::CreateFromDib(SGridLayout{}, nullptr, c.dib.data(), c.length, false), nullptr) << c.name;
  }
}

TEST_F(ImageOpsTest, AnImageThatCannotBeLockedMakesTheOperationsAnswerFalse) {
  auto image = SolidImage(64, 64, 1);
  auto other = SolidImage(64, 64, 2);
  ASSERT_TRUE(image->PageOut());
  CHolder holdOther(other.get(), false, false);
  // Everything else the pool has, held.
  std::vector<std::unique_ptr<CSpoolTable>> fillers;
  std::vector<std::unique_ptr<CHolder>> held;
  for (uint32_t size = DataBudget() / 2; size >= 1024;) {
    auto table = NewTable(DataEnv(), size);
    auto holder = std::make_unique<CHolder>(table.get(), false, false);
    if (!holder->IsLocked()) {
      size /= 2;
      continue;
    }
    fillers.push_back(std::move(table));
    held.push_back(std::move(holder));
  }
  EXPECT_FALSE(image->Fill(3));
  EXPECT_FALSE(image->ToGrey());
  EXPECT_FALSE(image->CompositeFrom(other.get()));
  EXPECT_FALSE(other->CopyColorFrom(image.get()));
  EXPECT_EQ(image->GetError(), kErrOutOfMemory);
}

}  // namespace
