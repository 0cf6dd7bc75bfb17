#include "framework/image/tiff_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

using ByteList = std::vector<uint8_t>;

enum : uint16_t { kShort = 3, kLong = 4 };

struct SField {
  uint16_t tag;
  uint16_t type;
  std::vector<uint32_t> values;
};
using FieldList = std::vector<SField>;

void Put(ByteList& bytes, uint32_t value, int size, bool bigEndian) {
  for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(value >> (8 * (bigEndian ? size - 1 - i : i))));
}

// A TIFF file: the header, the strip data at offset 8, the values too long for their entries, then
// the directory.
ByteList Tiff(const FieldList& fields, const ByteList& data, bool bigEndian = false) {
  ByteList bytes = bigEndian ? ByteList{'M', 'M', 0, 42} : ByteList{'I', 'I', 42, 0};
  ByteList tail = data;
  std::vector<uint32_t> places;
  for (const SField& f : fields) {
    const int size = f.type == kLong ? 4 : 2;
    if (f.values.size() * size <= 4) {
      places.push_back(0);
      continue;
    }
    places.push_back(uint32_t(8 + tail.size()));
    for (uint32_t v : f.values) Put(tail, v, size, bigEndian);
  }
  Put(bytes, uint32_t(8 + tail.size()), 4, bigEndian);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  Put(bytes, uint32_t(fields.size()), 2, bigEndian);
  for (size_t i = 0; i < fields.size(); ++i) {
    const SField& f = fields[i];
    const int size = f.type == kLong ? 4 : 2;
    Put(bytes, f.tag, 2, bigEndian);
    Put(bytes, f.type, 2, bigEndian);
    Put(bytes, uint32_t(f.values.size()), 4, bigEndian);
    if (places[i]) {
      Put(bytes, places[i], 4, bigEndian);
      continue;
    }
    ByteList inline_;
    for (uint32_t v : f.values) Put(inline_, v, size, bigEndian);
    inline_.resize(4, 0);
    bytes.insert(bytes.end(), inline_.begin(), inline_.end());
  }
  Put(bytes, 0, 4, bigEndian);
  return bytes;
}

// A 2 × 2 grey picture in one uncompressed strip.
FieldList GreyFields(uint32_t width = 2, uint32_t height = 2) {
  return {{256, kShort, {width}},     {257, kShort, {height}}, {258, kShort, {8}},
          {259, kShort, {1}},         {262, kShort, {1}},      {273, kLong, {8}},
          {277, kShort, {1}},         {278, kShort, {height}}, {279, kLong, {width * height}}};
}

FieldList With(FieldList fields, const SField& field) {
  auto it = std::find_if(fields.begin(), fields.end(), [&](const SField& f) { return f.tag == field.tag; });
  if (it != fields.end()) *it = field;
  else fields.push_back(field);
  return fields;
}

FieldList Without(FieldList fields, uint16_t tag) {
  std::erase_if(fields, [tag](const SField& f) { return f.tag == tag; });
  return fields;
}

class TiffFileTest : public ResourceTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  // Reads the bytes as a ".tif" file through the dispatch: the result, and the pixels when it read.
  int32_t Read(const ByteList& bytes, std::vector<uint32_t>* pixels = nullptr) {
    return ReadBytesAsFile(Path("t.tif"), bytes, pixels);
  }
};

TEST_F(TiffFileTest, GreyPixelsAreOpaqueInEitherByteOrder) {
  for (bool bigEndian : {false, true}) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(Tiff(GreyFields(), {0, 0x40, 0x80, 0xFF}, bigEndian), &pixels), kNoErr) << bigEndian;
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF000000, 0xFF404040, 0xFF808080, 0xFFFFFFFF})) << bigEndian;
  }
}

TEST_F(TiffFileTest, DirectoriesThatDoNotFitAreRefusedWithTheirCodes) {
  const ByteList grey(4, 0x11);
  FieldList fiftyEntries = GreyFields();
  for (uint16_t tag = 40000; fiftyEntries.size() < 50; ++tag) fiftyEntries.push_back({tag, kShort, {7}});
  FieldList fiftyOne = fiftyEntries;
  fiftyOne.push_back({50000, kShort, {7}});
  std::vector<uint32_t> manyStrips(4097, 8);
  struct SCase {
    const char* what;
    ByteList bytes;
    int32_t result;
  } cases[] = {
      {"width 16383", Tiff(GreyFields(16383, 1), ByteList(16383, 9)), kNoErr},
      {"width 16384", Tiff(GreyFields(16384, 1), ByteList(16384, 9)), kErrInvalidFormat},
      {"height 16384", Tiff(GreyFields(1, 16384), ByteList(16384, 9)), kErrInvalidFormat},
      {"width 0", Tiff(GreyFields(0, 1), grey), kErrInvalidFormat},
      {"50 entries", Tiff(fiftyEntries, grey), kNoErr},
      {"51 entries", Tiff(fiftyOne, grey), kErrInvalidTag},
      {"PackBits", Tiff(With(GreyFields(), {259, kShort, {32773}}), grey), kErrInvalidFormat},
      {"no compression tag", Tiff(Without(GreyFields(), 259), grey), kErrInvalidFormat},
      {"16 bits per sample", Tiff(With(GreyFields(), {258, kShort, {16}}), ByteList(8, 1)), kErrInvalidFormat},
      {"RGB of one sample", Tiff(With(GreyFields(), {262, kShort, {2}}), grey), kErrInvalidFormat},
      {"no photometric tag", Tiff(Without(GreyFields(), 262), grey), kErrInvalidFormat},
      {"white is zero", Tiff(With(GreyFields(), {262, kShort, {0}}), grey), kErrInvalidFormat},
      {"three samples for grey", Tiff(With(GreyFields(), {277, kShort, {3}}), grey), kErrInvalidFormat},
      {"planes", Tiff(With(GreyFields(), {284, kShort, {2}}), grey), kErrInvalidFormat},
      {"predictor 3", Tiff(With(GreyFields(), {317, kShort, {3}}), grey), kErrInvalidFormat},
      {"palette without a colour map", Tiff(With(GreyFields(), {262, kShort, {3}}), grey), kErrInvalidFormat},
      {"colour map of 767 values",
       Tiff(With(With(GreyFields(), {262, kShort, {3}}), {320, kShort, std::vector<uint32_t>(767, 0)}), grey),
       kErrInvalidFormat},
      {"no strip offsets", Tiff(Without(GreyFields(), 273), grey), kErrInvalidFormat},
      {"4097 strips", Tiff(With(With(GreyFields(), {273, kLong, manyStrips}), {278, kShort, {1}}), grey),
       kErrInvalidFormat},
      {"a strip past the end", Tiff(With(GreyFields(), {273, kLong, {100000}}), grey), kErrInvalidFormat},
      {"byte counts past the end", Tiff(With(GreyFields(), {279, kLong, {100000}}), grey), kErrInvalidFormat},
      {"more rows than strips", Tiff(With(GreyFields(), {278, kShort, {1}}), grey), kErrInvalidFormat},
      {"strip offsets of another type", Tiff(With(GreyFields(), {273, 2, {8}}), grey), kErrInvalidFormat},
      {"not TIFF", {'I', 'M', 42, 0, 8, 0, 0, 0}, kErrInvalidFormat},
      {"not 42", {'I', 'I', 43, 0, 8, 0, 0, 0}, kErrInvalidFormat},
      {"a directory past the end", {'I', 'I', 42, 0, 200, 0, 0, 0}, kErrInvalidFormat},
      {"nothing", {}, kErrInvalidFormat},
  };
  for (const SCase& c : cases) EXPECT_EQ(Read(c.bytes), c.result) << c.what;

  // Without byte counts a strip reaches to the end of the file, which must hold its rows.
  const FieldList noCounts = Without(GreyFields(), 279);
  const uint32_t size = uint32_t(Tiff(noCounts, grey).size());
  EXPECT_EQ(Read(Tiff(With(noCounts, {273, kLong, {size - 4}}), grey)), kNoErr);
  EXPECT_EQ(Read(Tiff(With(noCounts, {273, kLong, {size - 3}}), grey)), kErrInvalidFormat);

  // A colour map outside the file.
  ByteList outside = Tiff(With(With(GreyFields(), {262, kShort, {3}}), {320, kShort, std::vector<uint32_t>(768, 0)}), grey);
  const size_t mapOffsetField = outside.size() - 4 - 12 + 8;  // the last entry's value
  outside[mapOffsetField + 2] = 0x10;
  EXPECT_EQ(Read(outside), kErrInvalidFormat);
}

TEST_F(TiffFileTest, RowsPerStripOfZeroOrBeyondTheHeightMeanOneStrip) {
  const ByteList data = {1, 2, 3, 4, 5, 6};
  for (const SField& rows : {SField{278, kLong, {0}}, SField{278, kLong, {65536}}, SField{278, kLong, {0xFFFFFFFF}},
                             SField{278, kShort, {3}}}) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(Tiff(With(With(GreyFields(2, 3), rows), {279, kLong, {6}}), data), &pixels), kNoErr)
        << rows.values[0];
    EXPECT_EQ(pixels.back(), 0xFF060606u);
  }
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Read(Tiff(Without(Without(GreyFields(2, 3), 278), 279), data), &pixels), kNoErr);
  EXPECT_EQ(pixels[2], 0xFF030303u);
}

// Two SHORT offsets fit in the entry itself; each strip here is one row.
TEST_F(TiffFileTest, StripOffsetsAreReadInTheirTypeWhereverTheyLie) {
  FieldList fields = With(With(GreyFields(), {278, kShort, {1}}), {279, kShort, {2, 2}});
  for (const SField& offsets : {SField{273, kShort, {10, 8}}, SField{273, kLong, {10, 8}}}) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(Tiff(With(fields, offsets), {1, 2, 3, 4}), &pixels), kNoErr);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF030303, 0xFF040404, 0xFF010101, 0xFF020202})) << offsets.type;
  }
}

TEST_F(TiffFileTest, PaletteColoursAreTheHighBytesOfTheMapInEitherOrder) {
  std::vector<uint32_t> map(768, 0);
  map[1] = 0x12FF;        // red of index 1
  map[256 + 1] = 0x3400;  // green
  map[512 + 1] = 0xAB01;  // blue
  map[255] = 0xFFFF;
  const FieldList fields = With(With(GreyFields(), {262, kShort, {3}}), {320, kShort, map});
  for (bool bigEndian : {false, true}) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(Tiff(fields, {1, 0, 255, 1}, bigEndian), &pixels), kNoErr);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF1234AB, 0xFF000000, 0xFFFF0000, 0xFF1234AB})) << bigEndian;
  }
}

TEST_F(TiffFileTest, RgbPixelsKeepTheirFourthSampleAsAlpha) {
  FieldList rgba = With(With(With(GreyFields(1, 1), {258, kShort, {8, 8, 8, 8}}), {262, kShort, {2}}),
                        {277, kShort, {4}});
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Read(Tiff(With(rgba, {279, kLong, {4}}), {0x10, 0x20, 0x30, 0x40}), &pixels), kNoErr);
  EXPECT_EQ(pixels, std::vector<uint32_t>{0x40102030});
  FieldList rgb = With(With(rgba, {258, kShort, {8, 8, 8}}), {277, kShort, {3}});
  ASSERT_EQ(Read(Tiff(With(rgb, {279, kLong, {3}}), {0x10, 0x20, 0x30}), &pixels), kNoErr);
  EXPECT_EQ(pixels, std::vector<uint32_t>{0xFF102030});
  EXPECT_EQ(Read(Tiff(With(rgb, {258, kShort, {8, 8, 16}}), {0x10, 0x20, 0x30})), kErrInvalidFormat);
}

TEST_F(TiffFileTest, LzwStripsThatFailLeaveNoImage) {
  const FieldList lzw = With(GreyFields(), {259, kShort, {5}});
  struct SCase {
    const char* what;
    ByteList strip;
    int32_t result;
  } cases[] = {
      // Codes of 9 bits: clear, 1, 2, 3, 4, end.
      {"whole", {0x80, 0x00, 0x40, 0x40, 0x30, 0x24, 0x04}, kNoErr},
      {"an undefined code", {0x80, 0x00, 0x40, 0x52, 0xC0, 0x24, 0x04}, kErrInvalidFormat},
      {"an end before the rows are full", {0x80, 0x00, 0x40, 0x50, 0x10}, kErrInvalidFormat},
  };
  for (const SCase& c : cases) {
    std::vector<uint32_t> pixels;
    EXPECT_EQ(Read(Tiff(With(lzw, {279, kLong, {uint32_t(c.strip.size())}}), c.strip), &pixels), c.result) << c.what;
    if (c.result == kNoErr) {
      EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404}));
    }
  }
}

TEST_F(TiffFileTest, AFileThatCannotBeLoadedGivesItsOwnCode) {
  CImage* image = nullptr;
  EXPECT_EQ(CImageIO::ReadByType(Spec("missing.tif"), CImageIO::kTypeTiff, &image), kErrFileNotFound);
  EXPECT_EQ(image, nullptr);
  CTiffIO reader(Spec("missing.tif"));
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.ReadImage(&image), kErrFileNotFound);
  int32_t result = kNoErr;
  CImTiffFile unloaded(Spec("missing.tif"), &result, false);
  EXPECT_EQ(result, kNoErr);
  EXPECT_EQ(unloaded.ReadDirectory(), kErrCorruptedMemory);
  EXPECT_EQ(unloaded.ReadImage(&image, false), kErrInvalidFormat);
}

TEST(TiffPredictor, EachSampleAddsTheSameSampleOfThePixelOnItsLeft) {
  ByteList rows = {10, 20, 30, 1, 2, 3, 250, 10, 0,  //
                   5, 6, 7, 1, 1, 1, 1, 1, 1};
  TiffUndoPredictor(rows.data(), 3, 2, 3);
  EXPECT_EQ(rows, (ByteList{10, 20, 30, 11, 22, 33, 5, 32, 33,  //
                            5, 6, 7, 6, 7, 8, 7, 8, 9}));
}

}  // namespace
