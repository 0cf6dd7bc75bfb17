#include "framework/image/lzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"

namespace {

using ByteList = std::vector<uint8_t>;

// Codes packed most significant bit first, each of its given width.
ByteList PackCodes(const std::vector<std::pair<uint32_t, uint32_t>>& codes) {
  ByteList bytes;
  uint64_t bits = 0;
  for (const auto& [code, width] : codes) {
    for (uint32_t i = width; i-- > 0; ++bits) {
      if (bits % 8 == 0) bytes.push_back(0);
      if (code >> i & 1) bytes.back() |= uint8_t(0x80 >> (bits % 8));
    }
  }
  return bytes;
}

struct SDecoded {
  int32_t result;
  std::string text;
};

SDecoded Decode(const ByteList& strip, size_t capacity = 64) {
  std::string out(capacity, '\0');
  size_t decoded = 99;
  const int32_t result =
      TiffLzwDecode(strip.data(), strip.size(), reinterpret_cast<uint8_t*>(out.data()), capacity, &decoded);
  return {result, out.substr(0, decoded)};
}

TEST(TiffLzw, StripsDecodeToTheirStrings) {
  struct SCase {
    const char* what;
    ByteList strip;
    int32_t result;
    std::string text;
  } cases[] = {
      {"ABAB", {0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, kNoErr, "ABAB"},
      {"a code equal to the next free code", {0x80, 0x10, 0x60, 0x50, 0x10}, kNoErr, "AAA"},
      {"clear and end", {0x80, 0x40, 0x40}, kNoErr, ""},
      {"end alone", PackCodes({{257, 9}}), kNoErr, ""},
      // Without a clear first, the first code adds byte 1 and its own byte as 258.
      {"no clear at the start", PackCodes({{65, 9}, {66, 9}, {258, 9}, {259, 9}, {257, 9}}), kNoErr,
       std::string("AB\x01" "AAB")},
      // After the clear, 258 is free again and means the previous string plus its first byte.
      {"a clear in the middle", PackCodes({{256, 9}, {65, 9}, {66, 9}, {256, 9}, {67, 9}, {258, 9}, {257, 9}}), kNoErr,
       "ABCCC"},
      {"a code past the next free code", PackCodes({{256, 9}, {65, 9}, {259, 9}, {257, 9}}), kErrInvalidFormat, ""},
      {"a string code straight after a clear", PackCodes({{256, 9}, {258, 9}, {257, 9}}), kErrInvalidFormat, ""},
      {"a later code straight after a clear", PackCodes({{256, 9}, {300, 9}, {257, 9}}), kErrInvalidFormat, ""},
      {"no end code", PackCodes({{256, 9}, {65, 9}}), kErrInvalidFormat, ""},
      {"nothing", {}, kErrInvalidFormat, ""},
  };
  for (const SCase& c : cases) {
    const SDecoded d = Decode(c.strip);
    EXPECT_EQ(d.result, c.result) << c.what;
    if (c.result == kNoErr) {
      EXPECT_EQ(d.text, c.text) << c.what;
    }
  }
}

TEST(TiffLzw, DecodingStopsWhenTheBufferIsFull) {
  // "ABAB" into three bytes: the last string is cut and the missing end code does not matter.
  const SDecoded d = Decode(PackCodes({{256, 9}, {65, 9}, {66, 9}, {258, 9}}), 3);
  EXPECT_EQ(d.result, kNoErr);
  EXPECT_EQ(d.text, "ABA");
}

// Each literal after the first adds an entry. The code read once the next free code is 511 is 10
// bits wide, at 1023 11 bits and at 2047 12 bits; with the table full nothing more is added and the
// width stays 12.
TEST(TiffLzw, TheCodeWidthGrowsOneCodeEarlyAndTheTableStopsAt4095) {
  auto widthAt = [](uint32_t nextFree) { return nextFree < 511 ? 9u : nextFree < 1023 ? 10u : nextFree < 2047 ? 11u : 12u; };
  std::vector<std::pair<uint32_t, uint32_t>> codes = {{256, 9}};
  std::string expected;
  const uint32_t literals = 4000;
  for (uint32_t k = 0; k < literals; ++k) {
    const uint32_t nextFree = k == 0 ? 258 : std::min(258 + k - 1, 4096u);
    codes.push_back({'a' + k % 26, widthAt(nextFree)});
    expected += char('a' + k % 26);
  }
  codes.push_back({257, 12});
  const SDecoded d = Decode(PackCodes(codes), expected.size() + 10);
  EXPECT_EQ(d.result, kNoErr);
  EXPECT_EQ(d.text, expected);

  CLZWTable table;
  for (uint32_t k = 258; k < 4096; ++k) table.AddString('a', 'b');
  EXPECT_EQ(table.GetNextFree(), 4096u);
  EXPECT_EQ(table.CodeWidth(), 12u);
  table.AddString('a', 'b');
  EXPECT_EQ(table.GetNextFree(), 4096u);
  EXPECT_FALSE(table.IsDefined(4096));
  EXPECT_FALSE(table.IsDefined(CLZWTable::kClearCode));
  uint8_t out[2] = {};
  EXPECT_EQ(table.WriteString(4095, out, sizeof out), 2u);
  EXPECT_EQ(std::string(out, out + 2), "ab");
}

}  // namespace
