#include "framework/image/pict_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "image_fixture.h"

namespace {

using ByteList = std::vector<uint8_t>;

void Put(ByteList& bytes, uint32_t value, int size) {
  for (int i = size; i-- > 0;) bytes.push_back(uint8_t(value >> (8 * i)));
}

void PutWords(ByteList& bytes, std::initializer_list<uint16_t> words) {
  for (uint16_t w : words) Put(bytes, w, 2);
}

// A version 2 picture: size, frame, version opcode and version, the header opcode and its 24 bytes,
// then the opcodes given.
ByteList Picture(const ByteList& opcodes, uint16_t versionOpcode = 0x0011, uint16_t version = 0x02FF,
                 uint16_t header = 0x0C00) {
  ByteList bytes;
  PutWords(bytes, {0, 0, 0, 2, 2, versionOpcode, version, header});
  bytes.resize(40, 0);
  bytes.insert(bytes.end(), opcodes.begin(), opcodes.end());
  return bytes;
}

struct SPixMap {
  uint16_t opcode = 0x009A;
  uint16_t rowBytes = 0x8000 | 8;
  uint16_t width = 2;
  uint16_t height = 2;
  uint16_t packType = 4;
  uint16_t pixelType = 16;
  uint16_t pixelSize = 32;
  uint16_t componentCount = 3;
  std::vector<uint16_t> colors = {};  // red, green, blue of each entry, for 0x0098
  std::vector<ByteList> rows = {};    // each row as it unpacks
};

// A row packed as one literal run per 128 bytes, after its count; rows below 8 bytes stay unpacked.
void PutRow(ByteList& bytes, const ByteList& row, uint16_t rowBytes) {
  if ((rowBytes & 0x7FFF) < 8) {
    bytes.insert(bytes.end(), row.begin(), row.end());
    return;
  }
  ByteList packed;
  for (size_t at = 0; at < row.size(); at += 128) {
    const size_t n = std::min<size_t>(128, row.size() - at);
    packed.push_back(uint8_t(n - 1));
    packed.insert(packed.end(), row.begin() + at, row.begin() + at + n);
  }
  Put(bytes, uint32_t(packed.size()), (rowBytes & 0x7FFF) > 250 ? 2 : 1);
  bytes.insert(bytes.end(), packed.begin(), packed.end());
}

ByteList PixMap(const SPixMap& m) {
  ByteList bytes;
  Put(bytes, m.opcode, 2);
  if (m.opcode == 0x009A) Put(bytes, 0xFF, 4);
  PutWords(bytes, {m.rowBytes, 0, 0, m.height, m.width, 0, m.packType});
  Put(bytes, 0, 4);
  Put(bytes, 0x00480000, 4);
  Put(bytes, 0x00480000, 4);
  PutWords(bytes, {m.pixelType, m.pixelSize, m.componentCount, 8});
  bytes.resize(bytes.size() + 12, 0);  // plane bytes, colour table handle, reserved
  if (m.opcode == 0x0098) {
    Put(bytes, 0, 4);
    PutWords(bytes, {0, uint16_t(m.colors.size() / 3 - 1)});
    for (size_t i = 0; i < m.colors.size(); i += 3) PutWords(bytes, {uint16_t(i / 3), m.colors[i], m.colors[i + 1], m.colors[i + 2]});
  }
  PutWords(bytes, {0, 0, m.height, m.width, 0, 0, m.height, m.width, 0x0040});
  for (const ByteList& row : m.rows) PutRow(bytes, row, m.rowBytes);
  return bytes;
}

// Red, green and blue planes of a 2 × 2 picture.
const std::vector<ByteList> kPlanes = {{0x10, 0x11, 0x20, 0x21, 0x30, 0x31}, {0x12, 0x13, 0x22, 0x23, 0x32, 0x33}};
const std::vector<uint32_t> kPixels = {0xFF102030, 0xFF112131, 0xFF122232, 0xFF132333};

ByteList Join(std::initializer_list<ByteList> parts) {
  ByteList bytes;
  for (const ByteList& p : parts) bytes.insert(bytes.end(), p.begin(), p.end());
  return bytes;
}

class PictFileTest : public ImageTest {
 protected:
  // The picture's result: that of ReadPicture, or of ReadPixels after it; the pixels when it read.
  int32_t Read(const ByteList& bytes, std::vector<uint32_t>* pixels = nullptr) {
    CImPictFile pict(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    int32_t width = 0, height = 0;
    if (const int32_t err = pict.ReadPicture(&width, &height)) return err;
    if (const int32_t err = pict.ReadPixels(false)) {
      EXPECT_EQ(pict.GetImage(), nullptr);
      return err;
    }
    std::unique_ptr<CImage> image(pict.GetImage());
    EXPECT_EQ(image->GetWidth(), uint32_t(width));
    EXPECT_EQ(image->GetHeight(), uint32_t(height));
    if (pixels) *pixels = Pixels(*image);
    return kNoErr;
  }
};

TEST_F(PictFileTest, OpcodesBeforeThePixelMapArePassedOverByTheirLengths) {
  ByteList opcodes;
  PutWords(opcodes, {0x001E, 0x0001, 10, 0, 0, 2, 2, 0x001A, 0xFFFF, 0, 0x8000, 0x00A1, 100, 3});
  opcodes.insert(opcodes.end(), {'a', 'b', 'c', 0});  // three bytes of comment and the pad byte
  PutWords(opcodes, {0x00A0, 5, 0x0C00});
  opcodes.resize(opcodes.size() + 24, 0);
  const ByteList bytes = Picture(Join({opcodes, PixMap(SPixMap{.rows = kPlanes})}));
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Read(bytes, &pixels), kNoErr);
  EXPECT_EQ(pixels, kPixels);
}

TEST_F(PictFileTest, TheSameBytesReadAgainAndStayAsTheyWere) {
  const ByteList bytes = Picture(PixMap(SPixMap{.rows = kPlanes}));
  const ByteList before = bytes;
  CImPictFile first(bytes.data(), bytes.size());
  CImPictFile second(bytes.data(), bytes.size());
  int32_t width = 0, height = 0;
  EXPECT_EQ(first.ReadPicture(&width, &height), kNoErr);
  EXPECT_EQ(first.ReadPixels(true), kNoErr);
  EXPECT_EQ(second.ReadPicture(&width, &height), kNoErr);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(second.ReadPixels(true), kNoErr);
  EXPECT_EQ(Pixels(*second.GetImage()), kPixels);
  EXPECT_EQ(first.GetKind(), CImPictFile::kKindDirect);
  EXPECT_EQ(bytes, before);
}

TEST_F(PictFileTest, RowCountsAreOneByteUpTo250RowBytesAndTwoAbove) {
  for (uint16_t rowBytes : {250, 251}) {
    std::vector<uint32_t> pixels;
    const ByteList bytes = Picture(PixMap(SPixMap{.rowBytes = uint16_t(0x8000 | rowBytes), .rows = kPlanes}));
    ASSERT_EQ(Read(bytes, &pixels), kNoErr) << rowBytes;
    EXPECT_EQ(pixels, kPixels) << rowBytes;
  }
}

TEST_F(PictFileTest, FourComponentsPutAlphaFirst) {
  std::vector<uint32_t> pixels;
  const SPixMap alpha{.componentCount = 4, .rows = {{0x80, 0x81, 0x10, 0x11, 0x20, 0x21, 0x30, 0x31}, {0, 0xFF, 1, 2, 3, 4, 5, 6}}};
  ASSERT_EQ(Read(Picture(PixMap(alpha)), &pixels), kNoErr);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0x80102030, 0x81112131, 0x00010305, 0xFF020406}));
}

TEST_F(PictFileTest, IndexedPixelsTakeTheHighBytesOfTheirColours) {
  SPixMap indexed{.opcode = 0x0098, .rowBytes = 0x8000 | 8, .width = 3, .packType = 0, .pixelType = 0, .pixelSize = 8,
                  .componentCount = 1, .colors = {0x12FF, 0x3400, 0xAB01, 0xFFFF, 0, 0x8000},
                  .rows = {{0, 1, 2, 0, 0, 0, 0, 0}, {1, 200, 0, 0, 0, 0, 0, 0}}};
  const std::vector<uint32_t> expected = {0xFF1234AB, 0xFFFF0080, 0xFF000000, 0xFFFF0080, 0xFF000000, 0xFF1234AB};
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Read(Picture(PixMap(indexed)), &pixels), kNoErr);
  EXPECT_EQ(pixels, expected);
  // Below 8 row bytes the rows are stored unpacked.
  indexed.rowBytes = 0x8000 | 4;
  indexed.rows = {{0, 1, 2, 9}, {1, 200, 0, 9}};
  ASSERT_EQ(Read(Picture(PixMap(indexed)), &pixels), kNoErr);
  EXPECT_EQ(pixels, expected);
}

TEST_F(PictFileTest, DirectRowsBelow8BytesAreStoredPixelByPixel) {
  const SPixMap narrow{.rowBytes = 0x8000 | 4, .width = 1, .rows = {{0x00, 0x10, 0x20, 0x30}, {0x77, 0x11, 0x21, 0x31}}};
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Read(Picture(PixMap(narrow)), &pixels), kNoErr);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF102030, 0xFF112131}));
}

TEST_F(PictFileTest, PicturesThisReaderCannotTakeAreRefusedWithTheirCodes) {
  const ByteList good = PixMap(SPixMap{.rows = kPlanes});
  ByteList end;
  PutWords(end, {0x00FF});
  ByteList unknown;
  PutWords(unknown, {0x0099});
  ByteList cut = Picture(good);
  cut.pop_back();
  ByteList countless =
      Picture(PixMap(SPixMap{.rowBytes = 0x8000 | 1200, .width = 300, .rows = {ByteList(900, 1), ByteList(900, 2)}}));
  countless[40 + 70] = 0;  // the first row's two-byte count: 6 bytes cannot fill 900
  countless[40 + 71] = 6;
  struct SCase {
    const char* what;
    ByteList bytes;
    int32_t result;
  } cases[] = {
      {"no data", {}, CImPictFile::kErrNoData},
      {"version opcode", Picture(good, 0x0012), CImPictFile::kErrNoVersionOpcode},
      {"version 1", Picture(good, 0x0011, 0x0101), CImPictFile::kErrBadHeader},
      {"header opcode", Picture(good, 0x0011, 0x02FF, 0x0C01), CImPictFile::kErrBadHeader},
      {"end before the pixel map", Picture(Join({end, good})), CImPictFile::kErrNoPixMap},
      {"no pixel map", Picture({}), CImPictFile::kErrNoPixMap},
      {"a region pixel map", Picture(Join({unknown, good})), CImPictFile::kErrNoPixMap},
      {"a record cut off", Picture(ByteList(good.begin(), good.begin() + 40)), CImPictFile::kErrNoPixMap},
      {"rows cut off", cut, kErrInvalidFormat},
      {"a count that cannot fill its row", countless, kErrInvalidFormat},
      {"16-bit pixels", Picture(PixMap(SPixMap{.pixelSize = 16, .rows = kPlanes})), kErrInvalidFormat},
      {"pack type 1", Picture(PixMap(SPixMap{.packType = 1, .rows = kPlanes})), kErrInvalidFormat},
      {"two components", Picture(PixMap(SPixMap{.componentCount = 2, .rows = kPlanes})), kErrInvalidFormat},
      {"a bit map", Picture(PixMap(SPixMap{.rowBytes = 8, .rows = kPlanes})), kErrInvalidFormat},
      {"4-bit indices",
       Picture(PixMap(SPixMap{.opcode = 0x0098, .packType = 0, .pixelType = 0, .pixelSize = 4, .componentCount = 1,
                              .colors = {0, 0, 0}, .rows = {ByteList(2), ByteList(2)}})),
       kErrInvalidFormat},
      {"no rows", Picture(PixMap(SPixMap{.height = 0})), kErrInvalidFormat},
  };
  for (const SCase& c : cases) EXPECT_EQ(Read(c.bytes), c.result) << c.what;
  CImPictFile unread(good.data(), good.size());
  EXPECT_EQ(unread.ReadPixels(true), kErrUnexpectedStatus);
}

// A few packed bytes a row could otherwise ask for a picture of gigabytes.
TEST_F(PictFileTest, PicturesLargerThan16384EachWayAreRefused) {
  // Rows of three planes, each row `width` × 3 copies of one byte in runs of at most 128.
  auto picture = [](uint16_t width, uint16_t height) {
    ByteList bytes = PixMap(SPixMap{.rowBytes = 0x8000 | 0x7FFF, .width = width, .height = height});
    for (uint16_t y = 0; y < height; ++y) {
      ByteList runs;
      for (uint32_t left = 3u * width; left > 0;) {
        const uint32_t n = std::min<uint32_t>(left, 128);
        runs.insert(runs.end(), {uint8_t(257 - n), 0x40});
        left -= n;
      }
      Put(bytes, uint32_t(runs.size()), 2);
      bytes.insert(bytes.end(), runs.begin(), runs.end());
    }
    return Picture(bytes);
  };
  EXPECT_EQ(Read(picture(16384, 1)), kNoErr);
  EXPECT_EQ(Read(picture(16385, 1)), kErrInvalidFormat);
  EXPECT_EQ(Read(picture(1, 16384)), kNoErr);
  EXPECT_EQ(Read(picture(1, 16385)), kErrInvalidFormat);
}

}  // namespace
