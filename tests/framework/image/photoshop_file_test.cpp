#include "framework/image/photoshop_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

using ByteList = std::vector<uint8_t>;

void Put(ByteList& bytes, uint32_t value, int size) {
  for (int i = size; i-- > 0;) bytes.push_back(uint8_t(value >> (8 * i)));
}

struct SPsd {
  std::string signature = "8BPS";
  uint16_t version = 1;
  uint16_t mode = 1;
  uint32_t rows = 2;
  uint32_t columns = 3;
  uint16_t depth = 8;
  ByteList colorModeData;
  uint16_t compression = 0;
  // One plane of rows × columns bytes per channel.
  std::vector<ByteList> planes = {{1, 2, 3, 4, 5, 6}};
};

// Rows packed as literal runs of at most 128 bytes.
ByteList PackRow(const uint8_t* row, uint32_t length) {
  ByteList packed;
  for (uint32_t at = 0; at < length; at += 128) {
    const uint32_t n = std::min(128u, length - at);
    packed.push_back(uint8_t(n - 1));
    packed.insert(packed.end(), row + at, row + at + n);
  }
  return packed;
}

ByteList Psd(const SPsd& p) {
  ByteList bytes(p.signature.begin(), p.signature.end());
  Put(bytes, p.version, 2);
  bytes.resize(bytes.size() + 6, 0);
  Put(bytes, uint32_t(p.planes.size()), 2);
  Put(bytes, p.rows, 4);
  Put(bytes, p.columns, 4);
  Put(bytes, p.depth, 2);
  Put(bytes, p.mode, 2);
  Put(bytes, uint32_t(p.colorModeData.size()), 4);
  bytes.insert(bytes.end(), p.colorModeData.begin(), p.colorModeData.end());
  Put(bytes, 5, 4);  // image resources, skipped
  bytes.insert(bytes.end(), {'8', 'B', 'I', 'M', 0});
  Put(bytes, 3, 4);  // layers, skipped
  bytes.insert(bytes.end(), {9, 9, 9});
  Put(bytes, p.compression, 2);
  if (p.compression == 0) {
    for (const ByteList& plane : p.planes) bytes.insert(bytes.end(), plane.begin(), plane.end());
    return bytes;
  }
  std::vector<ByteList> rows;
  for (const ByteList& plane : p.planes)
    for (uint32_t r = 0; r < p.rows; ++r) rows.push_back(PackRow(plane.data() + r * p.columns, p.columns));
  for (const ByteList& row : rows) Put(bytes, uint32_t(row.size()), 2);
  for (const ByteList& row : rows) bytes.insert(bytes.end(), row.begin(), row.end());
  return bytes;
}

class PhotoshopFileTest : public ResourceTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  int32_t Read(const ByteList& bytes, std::vector<uint32_t>* pixels = nullptr) {
    return ReadBytesAsFile(Path("p.psd"), bytes, pixels);
  }
};

SPsd Rgb(uint16_t channels) {
  SPsd p;
  p.mode = 3;
  p.rows = 1;
  p.columns = 2;
  p.planes.clear();
  for (uint16_t c = 0; c < channels; ++c) p.planes.push_back({uint8_t(0x10 * (c + 1)), uint8_t(0x10 * (c + 1) + 1)});
  return p;
}

TEST_F(PhotoshopFileTest, EveryModeReadsRawAndPacked) {
  SPsd indexed;
  indexed.mode = 2;
  indexed.colorModeData.assign(768, 0);
  for (int i = 0; i < 256; ++i) {
    indexed.colorModeData[i] = uint8_t(i);
    indexed.colorModeData[256 + i] = uint8_t(255 - i);
    indexed.colorModeData[512 + i] = 0x42;
  }
  struct SCase {
    const char* what;
    SPsd psd;
    std::vector<uint32_t> pixels;
  } cases[] = {
      {"grey", SPsd{}, {0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404, 0xFF050505, 0xFF060606}},
      {"indexed", indexed, {0xFF01FE42, 0xFF02FD42, 0xFF03FC42, 0xFF04FB42, 0xFF05FA42, 0xFF06F942}},
      {"RGB", Rgb(3), {0xFF102030, 0xFF112131}},
      {"RGB with alpha", Rgb(4), {0x40102030, 0x41112131}},
      {"five channels", Rgb(5), {0x40102030, 0x41112131}},
  };
  for (SCase& c : cases) {
    for (uint16_t compression : {0, 1}) {
      c.psd.compression = compression;
      std::vector<uint32_t> pixels;
      EXPECT_EQ(Read(Psd(c.psd), &pixels), kNoErr) << c.what << compression;
      EXPECT_EQ(pixels, c.pixels) << c.what << compression;
    }
  }
}

// 40 rows are read in bands of 32 and 8; rows of 300 bytes pack into three runs.
TEST_F(PhotoshopFileTest, TallAndWidePicturesReadEveryRow) {
  SPsd tall;
  tall.rows = 40;
  tall.columns = 300;
  tall.planes = {ByteList(40 * 300)};
  for (size_t i = 0; i < tall.planes[0].size(); ++i) tall.planes[0][i] = uint8_t(i / 300 * 5 + i % 300 % 7);
  for (uint16_t compression : {0, 1}) {
    tall.compression = compression;
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(Psd(tall), &pixels), kNoErr) << compression;
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint32_t v = tall.planes[0][i];
      ASSERT_EQ(pixels[i], 0xFF000000 | v << 16 | v << 8 | v) << i;
    }
  }
}

// A few packed bytes a row could otherwise ask for a picture of gigabytes.
TEST_F(PhotoshopFileTest, PicturesLargerThan16384EachWayAreRefused) {
  auto grey = [](uint32_t rows, uint32_t columns) {
    SPsd p;
    p.rows = rows;
    p.columns = columns;
    p.planes = {ByteList(size_t(rows) * columns, 0x40)};
    return Psd(p);
  };
  EXPECT_EQ(Read(grey(1, 16384)), kNoErr);
  EXPECT_EQ(Read(grey(1, 16385)), kErrInvalidFormat);
  EXPECT_EQ(Read(grey(16384, 1)), kNoErr);
  EXPECT_EQ(Read(grey(16385, 1)), kErrInvalidFormat);
}

TEST_F(PhotoshopFileTest, FilesThisReaderCannotTakeAreRefusedWithTheirCodes) {
  auto changed = [](auto change) {
    SPsd p;
    change(p);
    return Psd(p);
  };
  ByteList packedPastTheEnd = changed([](SPsd& p) { p.compression = 1; });
  packedPastTheEnd.pop_back();
  // Two packed rows of four bytes; the last becomes one literal and then a flag for two literals
  // with one byte left.
  ByteList shortRow = changed([](SPsd& p) { p.compression = 1; });
  const ByteList counts = {0, 4, 0, 4};
  const size_t table = shortRow.size() - 8 - 4;
  ASSERT_EQ(ByteList(shortRow.begin() + table, shortRow.begin() + table + 4), counts);
  std::copy_n(ByteList{0x00, 0x04, 0x01, 0x05}.begin(), 4, shortRow.end() - 4);
  ByteList tinyRow = changed([](SPsd& p) { p.compression = 1; p.columns = 200; p.planes = {ByteList(400, 1)}; });
  tinyRow[tinyRow.size() - 2 * 202 - 4 + 1] = 2;  // the first row's count, below the 4 bytes 200 need
  ByteList headerOnly = changed([](SPsd&) {});
  headerOnly.resize(14);
  struct SCase {
    const char* what;
    ByteList bytes;
    int32_t result;
  } cases[] = {
      {"version 2", changed([](SPsd& p) { p.version = 2; }), kErrIncorrectVersion},
      {"CMYK", changed([](SPsd& p) { p.mode = 4; }), kErrInvalidFormat},
      {"bitmap", changed([](SPsd& p) { p.mode = 0; }), kErrInvalidFormat},
      {"no channels", changed([](SPsd& p) { p.planes.clear(); }), kErrInvalidFormat},
      {"two channels", changed([](SPsd& p) { p.planes.push_back(p.planes[0]); }), kErrInvalidFormat},
      {"RGB of one channel", changed([](SPsd& p) { p.mode = 3; }), kErrInvalidFormat},
      {"indexed with 767 colour bytes",
       changed([](SPsd& p) { p.mode = 2; p.colorModeData.assign(767, 0); }), kErrInvalidFormat},
      {"indexed without colours", changed([](SPsd& p) { p.mode = 2; }), kErrInvalidFormat},
      {"depth 16", changed([](SPsd& p) { p.depth = 16; }), kErrInvalidFormat},
      {"8BPX", changed([](SPsd& p) { p.signature = "8BPX"; }), kErrInvalidFormat},
      {"compression 2", changed([](SPsd& p) { p.compression = 2; }), kErrInvalidFormat},
      {"no rows", changed([](SPsd& p) { p.rows = 0; p.planes = {{}}; }), kErrInvalidFormat},
      {"no columns", changed([](SPsd& p) { p.columns = 0; }), kErrInvalidFormat},
      {"raw rows past the end", changed([](SPsd& p) { p.planes[0].pop_back(); }), kErrInvalidFormat},
      {"packed rows past the end", packedPastTheEnd, kErrInvalidFormat},
      {"a packed row shorter than its row", shortRow, kErrInvalidFormat},
      {"a count too small for any row", tinyRow, kErrInvalidFormat},
      {"a header cut off", headerOnly, kErrInvalidFormat},
      {"a signature cut off", {'8', 'B'}, kErrIO},
  };
  for (const SCase& c : cases) EXPECT_EQ(Read(c.bytes), c.result) << c.what;
  CImage* image = nullptr;
  EXPECT_EQ(CImageIO::ReadByType(Spec("missing.psd"), CImageIO::kTypePhotoshop, &image), kErrIO);
  EXPECT_EQ(image, nullptr);
}

TEST_F(PhotoshopFileTest, TheFileAnswersItsFieldsAndRows) {
  SPsd p;
  p.compression = 1;
  std::ofstream(Path("f.psd"), std::ios::binary).write(reinterpret_cast<const char*>(Psd(p).data()), 60);
  CPhShopFile file(Spec("f.psd"));
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  uint32_t rows = 0, columns = 0;
  uint16_t channels = 0;
  EXPECT_EQ(file.GetRows(&rows), kNoErr);
  EXPECT_EQ(file.GetColumns(&columns), kNoErr);
  EXPECT_EQ(file.GetChannels(&channels), kNoErr);
  EXPECT_EQ(rows * 10 + columns + channels * 100, 123u);
  const ByteList whole = Psd(p);
  std::ofstream(Path("f.psd"), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size()));
  CPhShopFile complete(Spec("f.psd"));
  ASSERT_EQ(complete.Open(CFile::kModeRead), kNoErr);
  uint8_t row[3] = {};
  EXPECT_EQ(complete.ReadChannelRows(1, 0, 1, row), kNoErr);
  EXPECT_EQ(ByteList(row, row + 3), (ByteList{4, 5, 6}));
  EXPECT_EQ(complete.ReadChannelRows(1, 0, 2, row), kErrInvalidParameter);
  EXPECT_EQ(complete.ReadChannelRows(0, 1, 1, row), kErrInvalidParameter);
  uint8_t table[768];
  EXPECT_EQ(complete.ReadColorTable(table), kErrInvalidFormat);
}

}  // namespace
