#include "framework/image/rl_compression.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/core/byte_reader.h"
#include "framework/core/result_codes.h"

namespace {

using ByteList = std::vector<uint8_t>;

TEST(RLCompression, RowsUnpackRunsAndLiteralsAndStopAtTheRowsEnd) {
  struct SCase {
    const char* what;
    ByteList packed;
    uint32_t rowLength;
    int32_t result;
    ByteList row;
    size_t consumed;
  } cases[] = {
      {"run", {0xFE, 0xAA}, 3, kNoErr, {0xAA, 0xAA, 0xAA}, 2},
      {"literals", {0x02, 0x01, 0x02, 0x03}, 3, kNoErr, {0x01, 0x02, 0x03}, 4},
      {"flag 128 does nothing", {0x80, 0xFE, 0xAA}, 3, kNoErr, {0xAA, 0xAA, 0xAA}, 3},
      {"longest run", {0x81, 0x07}, 128, kNoErr, ByteList(128, 0x07), 2},
      {"run cut at the row's end", {0xFE, 0xAA, 0x00, 0x55}, 2, kNoErr, {0xAA, 0xAA}, 2},
      {"literals cut at the row's end", {0x02, 0x01, 0x02}, 2, kNoErr, {0x01, 0x02}, 3},
      {"mixed", {0x00, 0x09, 0xFF, 0x04, 0x01, 0x05, 0x06}, 5, kNoErr, {0x09, 0x04, 0x04, 0x05, 0x06}, 7},
      {"bytes end before the row is full", {0xFE, 0xAA}, 4, kErrInvalidFormat, {}, 0},
      {"a run without its byte", {0xFE}, 3, kErrInvalidFormat, {}, 0},
      {"literals cut short", {0x02, 0x01, 0x02}, 3, kErrInvalidFormat, {}, 0},
      {"nothing", {}, 1, kErrInvalidFormat, {}, 0},
  };
  for (const SCase& c : cases) {
    ByteList row(c.rowLength + 4, 0xEE);
    CByteReader packed(c.packed.data(), c.packed.size());
    EXPECT_EQ(CRLCompression::Decode(row.data(), c.rowLength, packed), c.result) << c.what;
    // Nothing is ever written past the row.
    EXPECT_EQ(ByteList(row.begin() + c.rowLength, row.end()), ByteList(4, 0xEE)) << c.what;
    if (c.result) continue;
    EXPECT_EQ(ByteList(row.begin(), row.begin() + c.rowLength), c.row) << c.what;
    EXPECT_EQ(packed.GetPosition(), c.consumed) << c.what;
  }
}

TEST(RLCompression, TheSmallestPackingIsTwoBytesForEvery128) {
  EXPECT_EQ(CRLCompression::SmallestPacked(1), 2u);
  EXPECT_EQ(CRLCompression::SmallestPacked(128), 2u);
  EXPECT_EQ(CRLCompression::SmallestPacked(129), 4u);
  EXPECT_EQ(CRLCompression::SmallestPacked(0), 0u);
}

}  // namespace
