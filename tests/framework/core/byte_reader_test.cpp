#include "framework/core/byte_reader.h"

#include <gtest/gtest.h>

namespace {

TEST(ByteReaderTest, ReadsBothOrdersAndNeverPastTheEnd) {
  const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 'a', 'b', 0, 'c'};
  CByteReader in(bytes, sizeof bytes);
  uint32_t word = 0;
  uint16_t half = 0;
  ASSERT_TRUE(in.ReadBE32(&word));
  EXPECT_EQ(word, 0x12345678u);
  ASSERT_TRUE(in.Seek(0));
  ASSERT_TRUE(in.ReadLE32(&word));
  EXPECT_EQ(word, 0x78563412u);
  ASSERT_TRUE(in.ReadBE16(&half));
  EXPECT_EQ(half, 0x9A61u);
  ASSERT_TRUE(in.Seek(3));
  ASSERT_TRUE(in.ReadLE16(&half));
  EXPECT_EQ(half, 0x9A78u);
  EXPECT_EQ(in.GetRemaining(), 4u);
  // The order chosen at run time, as a file's header names it.
  ASSERT_TRUE(in.Seek(0));
  ASSERT_TRUE(in.Read16(&half, true) && in.Read32(&word, false));
  EXPECT_EQ(half, 0x1234u);
  EXPECT_EQ(word, 0x619A7856u);

  // A read that does not fit fails and leaves the position where it was.
  ASSERT_TRUE(in.Seek(6));
  EXPECT_FALSE(in.ReadBE32(&word));
  EXPECT_EQ(in.GetPosition(), 6u);
  EXPECT_FALSE(in.Skip(4));
  EXPECT_FALSE(in.Seek(10));
  EXPECT_TRUE(in.Seek(9));
  EXPECT_FALSE(in.Has(1));
}

TEST(ByteReaderTest, TextFieldsNeedTheirTerminator) {
  const uint8_t bytes[] = {'a', 'b', 0, 'z', 'c', 'd', 'e', 'f'};
  CByteReader in(bytes, sizeof bytes);
  char text[4] = {};
  ASSERT_TRUE(in.ReadTextField(text, 4));
  EXPECT_STREQ(text, "ab");
  EXPECT_EQ(in.GetPosition(), 4u);
  EXPECT_FALSE(in.ReadTextField(text, 4));  // no zero in "cdef"
  EXPECT_EQ(in.GetPosition(), 4u);
  EXPECT_FALSE(in.ReadTextField(text, 5));  // past the end
}

TEST(ByteReaderTest, StoreBE32WritesTheHighByteFirst) {
  uint8_t out[4] = {};
  StoreBE32(out, 0x01020304u);
  CByteReader in(out, 4);
  uint32_t word = 0;
  ASSERT_TRUE(in.ReadBE32(&word));
  EXPECT_EQ(word, 0x01020304u);
  EXPECT_EQ(out[0], 1);
}

}  // namespace
