#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include "platform/dib.h"
#include "platform/errors.h"

namespace {

using namespace platform;

TEST(Clipboard, HoldsOneBlockPerFormatWhileOpen) {
  const uint8_t text[] = {'h', 'i', 0};
  EXPECT_FALSE(SetClipboardData(1, text, sizeof text));  // not open
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(kCfDib));
  ASSERT_TRUE(SetClipboardData(1, text, sizeof text));
  ASSERT_TRUE(SetClipboardData(kCfDib, text, 2));
  std::vector<uint8_t> got;
  ASSERT_TRUE(GetClipboardData(1, &got));
  EXPECT_EQ(got, std::vector<uint8_t>(text, text + 3));
  ASSERT_TRUE(GetClipboardData(kCfDib, &got));
  EXPECT_EQ(got.size(), 2u);
  EXPECT_FALSE(GetClipboardData(2, &got));
  EXPECT_TRUE(got.empty());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_FALSE(IsClipboardOpen());
  EXPECT_FALSE(GetClipboardData(1, &got));
  EXPECT_FALSE(CloseClipboard());
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(IsClipboardFormatAvailable(1));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(1));
  ASSERT_TRUE(CloseClipboard());
}

// A 24-bit bitmap's rows are stored bottom-up, blue first, each row padded to 32 bits.
TEST(Dib, RgbRoundTripAndStoredLayout) {
  SRgbPicture picture;
  picture.width = 2;
  picture.height = 2;
  picture.rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::vector<uint8_t> dib = RgbToDib(picture);
  ASSERT_EQ(dib.size(), 40u + 2 * 8);
  EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 48), (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 0, 0}));
  SRgbPicture back;
  ASSERT_TRUE(DibToRgb(dib.data(), dib.size(), &back));
  EXPECT_EQ(back.width, 2);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.rgb, picture.rgb);
}

TEST(Dib, RefusesWhatItCannotReadOrWhatRunsPastTheBytes) {
  SRgbPicture picture;
  picture.width = 3;
  picture.height = 2;
  picture.rgb.assign(18, 7);
  const std::vector<uint8_t> good = RgbToDib(picture);
  auto with = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> d = good;
    d[at] = value;
    return d;
  };
  struct SCase {
    const char* what;
    std::vector<uint8_t> dib;
  } cases[] = {
      {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"16 bits", with(14, 16)},
      {"compressed", with(16, 1)},
      {"colour table past the end", with(32, 1)},
      {"header past the end", with(0, 200)},
      {"header too small", with(0, 12)},
      {"no width", with(4, 0)},
  };
  SRgbPicture out;
  for (const SCase& c : cases) EXPECT_FALSE(DibToRgb(c.dib.data(), c.dib.size(), &out)) << c.what;
  // A top-down bitmap reads rows in stored order.
  std::vector<uint8_t> topDown = good;
  topDown[8] = 0xFE;  // height -2
  for (int i = 9; i < 12; ++i) topDown[size_t(i)] = 0xFF;
  ASSERT_TRUE(DibToRgb(topDown.data(), topDown.size(), &out));
  EXPECT_EQ(out.height, 2);
  topDown[40] = 1;  // blue of the first stored row's first pixel, the top row here
  ASSERT_TRUE(DibToRgb(topDown.data(), topDown.size(), &out));
  EXPECT_EQ(out.rgb[2], 1);
}

}  // namespace
