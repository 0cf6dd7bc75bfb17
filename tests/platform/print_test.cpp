// Printing on the headless back end: the script's answers to the print dialog, the printer's context
// and the documents it keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/print.h"

namespace {

using namespace platform;
using headless::PrintedDocuments;

DeviceContext* Chosen(uint32_t copies = 1, uint32_t* chosenCopies = nullptr) {
  SPrintDialog dialog;
  dialog.copies = copies;
  uint32_t error = 77;
  const bool chosen = PrintDialog(&dialog, &error);
  EXPECT_EQ(error, 0u);
  if (chosenCopies) *chosenCopies = dialog.copies;
  EXPECT_EQ(chosen, dialog.dc != nullptr);
  return dialog.dc;
}

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ForgetPrintedDocuments();
    headless::FailPageCall(0);
  }
};

TEST_F(Printing, TheScriptAnswersThePrintDialog) {
  ASSERT_TRUE(headless::AddScript("print 300 600 2550 3300 2\nprint cancel\n"));
  uint32_t copies = 0;
  DeviceContext* dc = Chosen(5, &copies);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(copies, 2u);
  const struct {
    int32_t index, value;
  } caps[] = {{kLogPixelsX, 300}, {kLogPixelsY, 600}, {kHorzRes, 2550}, {kVertRes, 3300}, {12, 0}};
  for (const auto& c : caps) EXPECT_EQ(GetDeviceCaps(dc, c.index), c.value) << c.index;
  EXPECT_EQ(SetStretchBltMode(dc, kColorOnColor), kBlackOnWhite);
  EXPECT_EQ(SetStretchBltMode(dc, 9), 0);
  EXPECT_EQ(SetStretchBltMode(dc, kHalftone), kColorOnColor);
  // Releasing is not deleting: the context stays.
  ReleaseDC(dc);
  EXPECT_EQ(GetDeviceCaps(dc, kHorzRes), 2550);
  EXPECT_TRUE(DeleteDC(dc));
  // Cancelled, then no answer left: cancelled as well.
  EXPECT_EQ(Chosen(), nullptr);
  EXPECT_EQ(Chosen(3), nullptr);
  EXPECT_EQ(headless::PrintDialogCopies(), (std::vector<uint32_t>{5, 1, 3}));
  // Other contexts tell nothing.
  DeviceContext* screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, kLogPixelsX), 0);
  ReleaseDC(screen);

  std::string error;
  for (const char* line : {"print", "print 1 2 3 4", "print 0 1 1 1 1", "print 1 1 1 1 0", "print a 1 1 1 1",
                           "print 1 1 1 1 1 1", "print cancel now"}) {
    EXPECT_FALSE(headless::AddScript(line, &error)) << line;
    EXPECT_EQ(error, "line 1: print needs DPI_X DPI_Y PAGE_W PAGE_H COPIES, all above 0, or cancel") << line;
  }
}

// Pages are white, take a bottom-up 24-bit bitmap stretched with the nearest pixels, and are kept with
// the document's name and calls once they end.
TEST_F(Printing, ADocumentKeepsItsPagesAndCalls) {
  ASSERT_TRUE(headless::AddScript("print 72 72 20 10 1\n"));
  DeviceContext* dc = Chosen();
  ASSERT_NE(dc, nullptr);
  EXPECT_LE(StartPage(dc), 0);
  EXPECT_LE(EndDoc(dc), 0);
  ASSERT_GT(StartDoc(dc, "Sheet"), 0);
  EXPECT_LE(StartDoc(dc, "Again"), 0);
  EXPECT_LE(EndPage(dc), 0);
  // Two columns, two rows, the bottom row first: blue, green, red; each row padded to 8 bytes.
  const uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0,  // bottom: red, green
                            255, 0, 0, 255, 255, 255, 0, 0};  // top: blue, white
  SBitmapInfoHeader header;
  header.width = 2;
  header.height = 2;
  header.bitCount = 24;
  for (int page = 0; page < 2; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_EQ(StretchDIBits(dc, 3, 1, 4, 4, 0, 0, 2, 2, rows, &header, kDibRgbColors, kSrcCopy), 2);
    ASSERT_GT(EndPage(dc), 0);
  }
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_LE(StartPage(dc), 0);
  ASSERT_EQ(PrintedDocuments().size(), 1u);
  const headless::SPrintedDocument& document = PrintedDocuments()[0];
  EXPECT_EQ(document.name, "Sheet");
  EXPECT_TRUE(document.ended);
  EXPECT_FALSE(document.aborted);
  EXPECT_EQ(document.calls,
            (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "StartPage", "EndPage", "EndDoc"}));
  ASSERT_EQ(document.pages.size(), 2u);
  const Surface& page = document.pages[1];
  EXPECT_EQ(page.Width(), 20);
  EXPECT_EQ(page.Height(), 10);
  const struct {
    int32_t x, y;
    uint32_t colour;
  } pixels[] = {{3, 1, 0x0000FF}, {4, 2, 0x0000FF}, {5, 1, 0xFFFFFF}, {3, 3, 0xFF0000}, {6, 4, 0x00FF00},
                {2, 1, 0xFFFFFF}, {7, 5, 0xFFFFFF}, {0, 0, 0xFFFFFF}, {19, 9, 0xFFFFFF}};
  for (const auto& p : pixels) EXPECT_EQ(page.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
  EXPECT_TRUE(DeleteDC(dc));
}

// A failing page call is reported and noted; a context deleted with its document open aborts it.
TEST_F(Printing, FailuresAndAbortsAreNoted) {
  ASSERT_TRUE(headless::AddScript("print 72 72 20 10 1\nprint 72 72 20 10 1\n"));
  DeviceContext* dc = Chosen();
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartDoc(dc, "One"), 0);
  headless::FailPageCall(2);
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_LE(EndPage(dc), 0);
  EXPECT_GT(StartPage(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  dc = Chosen();
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartDoc(dc, "Two"), 0);
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_LE(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  ASSERT_EQ(PrintedDocuments().size(), 2u);
  EXPECT_EQ(PrintedDocuments()[0].calls,
            (std::vector<std::string>{"StartDoc", "StartPage", "EndPage failed", "StartPage", "AbortDoc"}));
  EXPECT_TRUE(PrintedDocuments()[0].pages.empty());
  EXPECT_TRUE(PrintedDocuments()[0].aborted);
  EXPECT_EQ(PrintedDocuments()[1].calls, (std::vector<std::string>{"StartDoc", "AbortDoc"}));
  EXPECT_FALSE(PrintedDocuments()[1].ended);
}

}  // namespace
