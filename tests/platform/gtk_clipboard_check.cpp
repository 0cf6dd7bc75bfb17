// The system clipboard on the GTK back end, run on a virtual display of its own: a bitmap put on
// it comes back, through GTK's own picture exchange, with the same pixels.
#include <gtest/gtest.h>

#include "platform/clipboard.h"
#include "platform/dib.h"
#include "platform/gtk_backend.h"
#include "platform/window.h"

namespace {

using namespace platform;

TEST(GtkClipboard, APictureComesBackWithItsPixels) {
  EnableGtkBackend();
  if (IsHeadless()) GTEST_SKIP() << "no display";
  SRgbPicture picture;
  picture.width = 5;
  picture.height = 3;
  for (int i = 0; i < 45; ++i) picture.rgb.push_back(uint8_t(i * 5));
  const std::vector<uint8_t> dib = RgbToDib(picture);
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(SetClipboardData(kCfDib, dib.data(), dib.size()));
  EXPECT_TRUE(IsClipboardFormatAvailable(kCfDib));
  std::vector<uint8_t> got;
  ASSERT_TRUE(GetClipboardData(kCfDib, &got));
  ASSERT_TRUE(CloseClipboard());
  SRgbPicture back;
  ASSERT_TRUE(DibToRgb(got.data(), got.size(), &back));
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.rgb, picture.rgb);
}

}  // namespace
