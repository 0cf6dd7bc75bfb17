// Outline fonts: the "outf" record and its data block as the font's own handler writes and reads them,
// decoding and measuring texts, and the per-environment font cache with its scratch buffers.
#include "framework/ui/outline_font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/ui/glyph_scan.h"
#include "framework/ui/text_style.h"
#include "tests/framework/ui/font_fixture.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

using FontTest = FontTestT<PictureTest>;

constexpr uint32_t kFont = 128;

class OutlineFontTest : public FontTest {
 protected:
  // The stored "outf" record of the resource (or its data block), which change may alter before it
  // is written back.
  std::vector<uint8_t> Header(uint32_t number, const std::function<void(uint8_t*)>& change = nullptr,
                              bool data = false) {
    CResEntry entry{};
    EXPECT_TRUE(env->GetResourceInfo(Key(kOutlineFontType, number), &entry));
    CCmFile* file = env->GetCmFile();
    const uint32_t stored = data ? entry.first : entry.second;
    CMemBlock block(file->GetEntryField(stored), GetDefaultPool());
    EXPECT_EQ(file->ReadEntry(stored, block), kNoErr);
    if (change) {
      change(block.GetData());
      EXPECT_EQ(file->WriteEntry(stored, block), kNoErr);
    }
    return {block.GetData(), block.GetData() + block.GetSize()};
  }
  int32_t AcquireCode(uint32_t number) {
    COutlineFont* font = nullptr;
    const int32_t err = COutlineFont::Acquire(&font, Request(env.get(), number));
    if (font) COutlineFont::Release(font);
    return err;
  }
  uint32_t SharedRows() const { return env->GetSharedTable()->GetCount(); }
};

// A font of glyphs of one point each.
SOutlineFontSource OnePointGlyphs(uint32_t glyphs) {
  SOutlineFontSource font;
  font.glyphs = glyphs;
  font.points = 1;
  font.box = {-1, 0, 0, 1};
  const SOutlineFontLayout layout{glyphs, 1, false};
  font.data.assign(layout.Bytes(), 0);
  font.data[layout.Flags()] = COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd;
  return font;
}

void PutFloat(SOutlineFontSource& font, uint64_t at, float value) { std::memcpy(font.data.data() + at, &value, 4); }

TEST_F(OutlineFontTest, RecordsAreReadOnlyWhenTheyHoldAFont) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct SCase {
    const char* what;
    std::function<void(SOutlineFontSource&)> change;
    std::function<void(uint8_t*)> patch;
    int32_t code;
  } cases[] = {
      {"32768 glyphs", [](SOutlineFontSource& f) { f = OnePointGlyphs(32768); }, nullptr, kNoErr},
      {"32769 glyphs", [](SOutlineFontSource& f) { f = OnePointGlyphs(32769); }, nullptr, kErrInvalidParameter},
      {"first box value equal to the third", [](SOutlineFontSource& f) { f.box.bottom = f.box.top; }, nullptr,
       kErrInvalidParameter},
      {"second box value equal to the fourth", [](SOutlineFontSource& f) { f.box.right = f.box.left; }, nullptr,
       kErrInvalidParameter},
      {"a box value that is no number", [nan](SOutlineFontSource& f) { f.box.top = nan; }, nullptr,
       kErrInvalidParameter},
      {"another tag", nullptr, [](uint8_t* h) { h[0] = 'x'; }, kErrInvalidFormat},
      {"another version", nullptr, [](uint8_t* h) { h[7] = '1'; }, kErrInvalidFormat},
      {"a data block one byte short", [](SOutlineFontSource& f) { f.data.pop_back(); }, nullptr, kErrInvalidParameter},
      {"a double-byte font without its 16-bit map", [](SOutlineFontSource& f) { f.doubleByte = true; }, nullptr,
       kErrInvalidParameter},
      {"no glyphs", [](SOutlineFontSource& f) { f.glyphs = 0; }, nullptr, kErrInvalidParameter},
      {"no points", [](SOutlineFontSource& f) { f.points = 0; }, nullptr, kErrInvalidParameter},
      {"a first point past the points",
       [](SOutlineFontSource& f) { f.data[SOutlineFontLayout{f.glyphs, f.points}.FirstPoints() + 4] = 200; }, nullptr,
       kErrInvalidFormat},
      {"a last point that does not end its glyph",
       [](SOutlineFontSource& f) { f.data[SOutlineFontLayout{f.glyphs, f.points}.Points() - 1] = 3; }, nullptr,
       kErrInvalidFormat},
      {"a coordinate that is no number",
       [nan](SOutlineFontSource& f) { PutFloat(f, SOutlineFontLayout{f.glyphs, f.points}.Points() + 12, nan); },
       nullptr, kErrInvalidFormat},
      {"an infinite advance",
       [](SOutlineFontSource& f) {
         PutFloat(f, SOutlineFontLayout{f.glyphs, f.points}.Advances(), std::numeric_limits<float>::infinity());
       },
       nullptr, kErrInvalidFormat},
  };
  for (const SCase& c : cases) {
    SOutlineFontSource font = UnitSquareFont();
    if (c.change) c.change(font);
    PutFont(*env, kFont, "", font);
    if (c.patch) Header(kFont, c.patch);
    EXPECT_EQ(AcquireCode(kFont), c.code) << c.what;
    EXPECT_EQ(SharedRows(), 0u) << c.what;
    EXPECT_FALSE(ScanBuffersExist()) << c.what;
  }
}

TEST_F(OutlineFontTest, TheWrittenRecordAndDataReadBackAsTheyWere) {
  COutlineFontBuilder builder;
  SGlyphOutline glyph = PointGlyph(0.75f);
  glyph.points[0] = {1.0f, -0.5f};
  builder.Map('x', builder.AddGlyph(glyph));
  builder.Map(0x8141, 1);
  builder.SetBox({-1.25f, -0.5f, 0.25f, 2.0f});
  const SOutlineFontSource source = builder.Build();
  PutFont(*env, kFont, "wide", source);

  const std::vector<uint8_t> header = Header(kFont);
  ASSERT_EQ(header.size(), 68u);
  EXPECT_EQ(std::string(header.begin(), header.begin() + 8), "outf0100");
  const std::vector<uint8_t> counts(header.begin() + 8, header.begin() + 16);
  EXPECT_EQ(counts, (std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0, 2}));
  EXPECT_EQ(header[35], 1);  // double-byte
  EXPECT_EQ(std::vector<uint8_t>(header.begin() + 36, header.end()), std::vector<uint8_t>(32, 0));

  const std::vector<uint8_t> stored = Header(kFont, nullptr, true);
  const SOutlineFontLayout layout{2, 2, true};
  ASSERT_EQ(stored.size(), layout.Bytes());
  const std::vector<uint8_t> point(stored.begin() + long(layout.Points() + 8), stored.begin() + long(layout.Points() + 16));
  EXPECT_EQ(point, (std::vector<uint8_t>{0x3F, 0x80, 0x00, 0x00, 0xBF, 0x00, 0x00, 0x00}));

  COutlineFont* font = Acquired(*env, kFont);
  ASSERT_NE(font, nullptr);
  uint32_t size = 0;
  EXPECT_TRUE(COutlineFont::HandleSpoolMessage(font, kSpoolHeaderSize, &size));
  EXPECT_EQ(size, 68u);
  EXPECT_EQ(font->GetPointCount(), 2u);
  EXPECT_EQ(font->GetGlyphCount(), 2u);
  EXPECT_EQ(font->GetBox(), (SFontBox{-1.25f, -0.5f, 0.25f, 2.0f}));
  EXPECT_TRUE(font->IsDoubleByte());
  EXPECT_FALSE(font->IsNotLoaded());
  {
    CHolder locked(font, false, false);
    ASSERT_TRUE(locked.IsLocked());
    ASSERT_GE(font->GetDataSize(), source.data.size());
    EXPECT_EQ(std::vector<uint8_t>(font->GetData(), font->GetData() + source.data.size()), source.data);
  }
  EXPECT_EQ(COutlineFont::Release(font), kNoErr);
}

// ---- decoding and measuring

class MeasureTest : public OutlineFontTest {
 protected:
  void SetUp() override {
    OutlineFontTest::SetUp();
    COutlineFontBuilder builder;
    builder.Map('a', builder.AddGlyph(RectangleGlyph(1, 1, 1)));
    builder.Map(' ', builder.AddGlyph(PointGlyph(1)));
    // Beyond the glyphs: reads glyph 0.
    builder.Map('z', 200);
    PutFont(*env, 1, "", builder.Build());
    PutFont(*env, 2, "", UnitSquareFont(true));
    single = Acquired(*env, 1);
    wide = Acquired(*env, 2);
    ASSERT_TRUE(single && wide);
  }
  void TearDown() override {
    COutlineFont::Release(single);
    COutlineFont::Release(wide);
    OutlineFontTest::TearDown();
  }
  COutlineFont* single = nullptr;
  COutlineFont* wide = nullptr;
};

TEST_F(MeasureTest, WordsLinesAndTextsMeasureTheirInk) {
  EXPECT_EQ(single->MeasureLine("aa", 0, 1), 2.0f);
  EXPECT_EQ(single->MeasureLine("aa", 0.5f, 1), 2.5f);
  EXPECT_EQ(single->MeasureLine("aa\raaa", 0, 1), 2.0f);
  EXPECT_EQ(single->MeasureWord(" a", 0, 1), 0.0f);
  EXPECT_EQ(single->MeasureWord("aa a", 0, 1), 2.0f);
  EXPECT_EQ(single->MeasureWrappedLine("aa aa", 0, 1, 4), 5.0f);
  EXPECT_EQ(single->MeasureWrappedLine("aa aa", 0, 1, 3.9f), 2.0f);
  float descent = -1;
  EXPECT_EQ(single->TextBounds("a\ra", 0, 1, &descent), (SFontBox{-1, 0, 1, 1}));
  EXPECT_EQ(descent, 0.0f);
  EXPECT_EQ(single->TextBounds("", 0, 1, &descent), SFontBox{});
  EXPECT_EQ(single->TextBounds("\r\r", 0, 1, &descent), SFontBox{});
  EXPECT_EQ(descent, 0.0f);
  // A wrapping space starts a new line.
  EXPECT_EQ(single->WrappedTextBounds("aa aa", 0, 1, 3.9f, &descent), (SFontBox{-1, 0, 1, 2}));
  EXPECT_EQ(single->WrappedTextBounds("aa aa", 0, 1, 4, &descent), (SFontBox{-1, 0, 0, 5}));
  EXPECT_EQ(single->GlyphBounds(single->GlyphOf('a'), {5, 7}, {2, 0, 0, 3}), (SFontBox{4, 5, 7, 7}));
  EXPECT_EQ(single->GlyphOf('z'), 200u);
  EXPECT_EQ(single->GlyphBounds(200, {5, 7}, {}), (SFontBox{7, 5, 7, 5}));
  EXPECT_EQ(single->GlyphAdvance(200), 0.0f);
}

TEST_F(MeasureTest, DoubleByteFontsJoinLeadBytesWithTheNext) {
  // A single-byte font reads every byte as a character (all but 'a' here glyph 0, of no advance).
  EXPECT_EQ(single->MeasureLine("a\x81\x40" "a", 0, 1), 2.0f);
  EXPECT_EQ(single->MeasureLine("a\xE0\xFC" "a", 0, 1), 2.0f);
  // 0x81 0x40 is one character, the square, not '@'; so are 0x81 13 and 0x81 32.
  EXPECT_EQ(wide->MeasureLine("\x81\x40", 0, 1), 1.0f);
  EXPECT_EQ(wide->MeasureLine("@", 0, 1), 3.0f);
  EXPECT_EQ(wide->MeasureLine("\x81\ra", 0, 1), 2.0f);
  EXPECT_EQ(wide->MeasureWord("\x81 a", 0, 1), 2.0f);
  EXPECT_EQ(wide->MeasureLine("\xE0\x40\x9F", 0, 1), 1.0f);
  // A lead byte right before the end is dropped: nothing is read past the terminator.
  const std::unique_ptr<char[]> text(new char[3]{'a', '\x81', 0});
  EXPECT_EQ(wide->MeasureLine(text.get(), 0, 1), 1.0f);
}

// ---- the cache

TEST_F(OutlineFontTest, OneFontPerEnvironmentIsSharedAndCounted) {
  PutFont(*env, kFont, "sans", UnitSquareFont());
  EXPECT_FALSE(ScanBuffersExist());
  COutlineFont* first = Acquired(*env, kFont);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(ScanBuffersExist());
  COutlineFont* byName = nullptr;
  ASSERT_EQ(COutlineFont::Acquire(&byName, Request(env.get(), 0, "sans")), kNoErr);
  EXPECT_EQ(byName, first);
  EXPECT_EQ(SharedUseCount(first), 2u);

  auto other = Open("other.dat");
  PutFont(*other, kFont, "sans", UnitSquareFont());
  COutlineFont* second = Acquired(*other, kFont);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);

  STextStyle style;
  style.font = first;
  {
    CHolder locked(first, false, false);
    EXPECT_EQ(style.ReleaseFontChecked(), kErrObjectInUse);
    EXPECT_EQ(style.font, first);
  }
  EXPECT_EQ(style.ReleaseFontChecked(), kNoErr);
  EXPECT_EQ(style.font, nullptr);
  EXPECT_EQ(SharedUseCount(first), 1u);
  style.font = first;
  EXPECT_EQ(style.ReleaseFontChecked(), kNoErr);
  EXPECT_EQ(SharedRows(), 0u);
  EXPECT_TRUE(ScanBuffersExist());
  EXPECT_EQ(COutlineFont::Release(second), kNoErr);
  EXPECT_FALSE(ScanBuffersExist());
}

TEST_F(OutlineFontTest, AFontMissingHereComesFromTheApplicationsResourcesWhenAllowed) {
  {
    auto system = Open("system.dat");
    PutFont(*system, 7, "sans", UnitSquareFont());
  }
  OpenSystemFile({});
  COutlineFont* font = nullptr;
  EXPECT_EQ(COutlineFont::Acquire(&font, Request(env.get(), 0, "sans")), kErrObjectNotFound);
  EXPECT_EQ(font, nullptr);
  ASSERT_EQ(COutlineFont::Acquire(&font, Request(env.get(), 0, "sans", true)), kNoErr);
  EXPECT_EQ(font->GetEnvironment(), app->GetResourceEnv());
  EXPECT_EQ(COutlineFont::Release(font), kNoErr);
  EXPECT_EQ(app->GetResourceEnv()->GetSharedTable()->GetCount(), 0u);

  EXPECT_EQ(COutlineFont::Acquire(&font, Request(nullptr, 7, nullptr, true)), kErrInvalidParameter);
  EXPECT_EQ(COutlineFont::Acquire(&font, Request(DataEnv(), 7, nullptr, true)), kErrUnexpectedType);
  EXPECT_EQ(COutlineFont::Acquire(&font, Request(env.get(), 8, nullptr, true)), kErrObjectNotFound);
  EXPECT_EQ(COutlineFont::Release(nullptr), kErrInvalidParameter);
}

}  // namespace
