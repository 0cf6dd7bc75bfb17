// Text styles: the "fost" record and the font it binds, the rectangle a styled text covers, and how
// its lines are drawn, aligned and wrapped.
#include "framework/ui/text_style.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "tests/framework/ui/font_fixture.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

using FontTest = FontTestT<PictureTest>;

constexpr uint32_t kWhite = 0x00FFFFFF;

// The smallest rectangle holding every pixel that is not white; empty when there is none.
SRect InkOf(CImage& image) {
  const std::vector<uint32_t> pixels = Pixels(image);
  const int32_t w = int32_t(image.GetWidth()), h = int32_t(image.GetHeight());
  SRect ink{h, w, 0, 0};
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (pixels[size_t(y) * size_t(w) + size_t(x)] == kWhite) continue;
      ink = {std::min(ink.top, y), std::min(ink.left, x), std::max(ink.bottom, y + 1), std::max(ink.right, x + 1)};
    }
  }
  return IsEmptyRect(ink) ? SRect{} : ink;
}

class TextStyleTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    PutFont(*env, 128, "square", UnitSquareFont());
    PutFont(*env, 129, "wide", UnitSquareFont(true));
  }
  void TearDown() override {
    styles.clear();
    FontTest::TearDown();
  }
  // The style of the "fost" record, freed with the test.
  STextStyle* Style(const std::string& source, uint32_t number = 1, const char* name = "") {
    Put("fost", number, name, source);
    STextStyle* style = nullptr;
    EXPECT_EQ(STextStyle::CreateById(&style, env.get(), number), kNoErr) << source;
    if (style) styles.emplace_back(style);
    return style;
  }
  SRect RectOf(const STextStyle& style, const char* text, SFontPoint at = {}) const {
    SRect rect;
    style.GetTextRect(&rect, text, at);
    return rect;
  }
  // The text drawn at the position into a white image of that size.
  std::unique_ptr<CImage> Drawn(const STextStyle& style, const char* text, SFontPoint at, uint32_t width = 120,
                                uint32_t height = 120) {
    auto image = SolidImage(width, height, kWhite);
    EXPECT_EQ(style.DrawText(text, at, image.get()), kNoErr);
    return image;
  }

  struct SFreed {
    void operator()(STextStyle* style) const {
      style->ReleaseFont();
      delete style;
    }
  };
  std::vector<std::unique_ptr<STextStyle, SFreed>> styles;
};

TEST_F(TextStyleTest, AStyleRecordNeedsItsBytesTagAndVersion) {
  std::vector<uint8_t> record = Compiled("fost", "fontname \"square\"\nflags 12\n");
  struct SCase {
    const char* what;
    size_t size;
    size_t at;
    char byte;
  } cases[] = {{"103 bytes", 103, 0, 'f'}, {"another tag", 104, 0, 'x'}, {"another version", 104, 7, '2'}};
  for (const SCase& c : cases) {
    std::vector<uint8_t> spoiled(record.begin(), record.begin() + long(c.size));
    spoiled[c.at] = uint8_t(c.byte);
    env->DeleteResource(Key("fost", 5));
    Store(*env, Key("fost", 5), spoiled);
    STextStyle* style = nullptr;
    EXPECT_EQ(STextStyle::CreateById(&style, env.get(), 5), kErrInvalidFormat) << c.what;
    EXPECT_EQ(style, nullptr) << c.what;
  }
  EXPECT_EQ(env->GetSharedTable()->GetCount(), 0u);
}

TEST_F(TextStyleTest, AStyleBindsTheFontItNames) {
  STextStyle* none = Style("matrix 10 0 0 20\ncolour 0x80102030\nflags 0x23\n");
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->font, nullptr);
  EXPECT_EQ(none->matrix.m3, 20.0f);
  EXPECT_EQ(none->colour, 0x80102030u);
  EXPECT_TRUE(none->outline && none->mask && none->baseline);
  EXPECT_EQ(RectOf(*none, "a"), SRect{});
  auto image = Drawn(*none, "a", {10, 10});
  EXPECT_EQ(InkOf(*image), SRect{});

  STextStyle* byNumber = Style("font 129\nflags 4\n", 2);
  STextStyle* byName = Style("fontname \"wide\"\nflags 12\n", 3);
  STextStyle* ownNumber = Style("flags 0x14\n", 129);
  STextStyle* ownName = Style("flags 0x1C\n", 4, "square");
  ASSERT_TRUE(byNumber && byName && ownNumber && ownName);
  EXPECT_TRUE(byNumber->font && byNumber->font->IsDoubleByte());
  EXPECT_EQ(byName->font, byNumber->font);
  EXPECT_EQ(ownNumber->font, byNumber->font);
  EXPECT_EQ(SharedUseCount(byNumber->font), 3u);
  ASSERT_NE(ownName->font, nullptr);
  EXPECT_FALSE(ownName->font->IsDoubleByte());

  Put("fost", 6, "", "fontname \"missing\"\nflags 12\n");
  STextStyle* missing = nullptr;
  EXPECT_EQ(STextStyle::CreateByName(&missing, env.get(), "nothing"), kErrObjectNotFound);
  EXPECT_EQ(STextStyle::CreateById(&missing, env.get(), 6), kErrObjectNotFound);
  EXPECT_EQ(missing, nullptr);
}

TEST_F(TextStyleTest, TheRectangleHoldsTheAlignedInkWithTwoPixelsToSpare) {
  STextStyle* style = Style("fontname \"square\"\nflags 12\n");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(RectOf(*style, "a"), (SRect{-2, -2, 14, 14}));
  EXPECT_EQ(RectOf(*style, ""), SRect{});
  style->alignH = 1;
  EXPECT_EQ(RectOf(*style, "a"), (SRect{-2, -14, 14, 2}));
  style->alignH = 0.5f;
  style->alignV = 0.5f;
  EXPECT_EQ(RectOf(*style, "aa", {50, 50}), (SRect{42, 36, 58, 64}));
  // A rotation by a quarter turn swaps the extents.
  style->matrix = {0, -12, 12, 0};
  EXPECT_EQ(RectOf(*style, "aa", {50, 50}), (SRect{36, 42, 64, 58}));
  style->matrix = {1e30f, 0, 0, 1e30f};
  EXPECT_EQ(RectOf(*style, "aa", {50, 50}), SRect{});
}

TEST_F(TextStyleTest, LinesAreDrawnWhereTheRectangleSays) {
  STextStyle* style = Style("fontname \"square\"\nflags 12\n");
  ASSERT_NE(style, nullptr);
  // A default style: black 12-pixel text, its ink's top left at the position. Pixel centres lie on
  // whole coordinates, so edges on them cover the pixels there by about half.
  auto image = Drawn(*style, "a", {20, 30});
  EXPECT_EQ(InkOf(*image), (SRect{30, 20, 43, 33}));
  EXPECT_EQ(PixelAt(*image, 25, 35), 0x00000000u);
  // 13 then 10 starts one line, not two.
  image = Drawn(*style, "a\r\na", {20, 30});
  EXPECT_EQ(InkOf(*image), (SRect{30, 20, 55, 33}));
  // Right-aligned lines end at the same place.
  style->alignH = 1;
  image = Drawn(*style, "aa\ra", {100, 30});
  EXPECT_EQ(InkOf(*image), (SRect{30, 76, 55, 101}));
  EXPECT_EQ(PixelAt(*image, 80, 50), kWhite);
  EXPECT_EQ(PixelAt(*image, 95, 50), 0x00000000u);
  EXPECT_EQ(InkOf(*Drawn(*style, "", {50, 50})), SRect{});
  EXPECT_EQ(style->DrawText(nullptr, {50, 50}, image.get()), kNoErr);
}

TEST_F(TextStyleTest, WrappedTextIsDrawnInsideItsRectangle) {
  // L = 60 / 12 = 5: "aa aa" is exactly that wide and stays on one line.
  STextStyle* style = Style("fontname \"square\"\nwrap 60\nflags 12\n");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(InkOf(*Drawn(*style, "aa aa", {10, 10})), (SRect{10, 10, 23, 71}));
  style->wrapWidth = 42;
  style->alignV = 1;
  EXPECT_EQ(RectOf(*style, "aa aa"), (SRect{-26, -2, 2, 26}));
  const SRect rect = RectOf(*style, "aa aa", {30, 60});
  const SRect ink = InkOf(*Drawn(*style, "aa aa", {30, 60}));
  EXPECT_EQ(ink, (SRect{36, 30, 61, 55}));
  EXPECT_EQ(SectRect(ink, rect), ink);
  // Without a width the style does not wrap, also when its matrix has no width.
  style->wrapWidth = 0;
  EXPECT_EQ(InkOf(*Drawn(*style, "aa aa", {30, 60})), (SRect{48, 30, 61, 91}));
  style->wrapWidth = 42;
  style->matrix.m0 = 0;
  EXPECT_EQ(style->WrapLimit(), 0.0f);
}

// The line's own advance decides where a double-byte text breaks, wherever the text starts.
TEST_F(TextStyleTest, DoubleByteTextsBreakByTheirLinesAdvance) {
  STextStyle* style = Style("fontname \"wide\"\nwrap 100\nflags 12\n");
  ASSERT_NE(style, nullptr);
  std::string text;
  for (int k = 0; k < 20; ++k) text += "\x81\x40";
  const auto image = Drawn(*style, text.c_str(), {500, 10}, 700, 60);
  // Nine squares (108 pixels, the first advance at or past 100), nine, then two.
  EXPECT_EQ(InkOf(*image), (SRect{10, 500, 47, 609}));
  EXPECT_EQ(PixelAt(*image, 605, 15), 0x00000000u);
  EXPECT_EQ(PixelAt(*image, 605, 27), 0x00000000u);
  EXPECT_EQ(PixelAt(*image, 520, 40), 0x00000000u);
  EXPECT_EQ(PixelAt(*image, 530, 40), kWhite);
}

}  // namespace
