// The printer: where the image lands on the page, the bitmap the printer takes, printing through the
// headless printer, and the page set-up dialog 127.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/printer.h"
#include "framework/image/clipboard.h"
#include "framework/core/mem_block.h"
#include "platform/dialog.h"
#include "platform/dib.h"
#include "platform/print.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using platform::headless::PrintedDocuments;

TEST(PrintGeometry, TheImageIsScaledByTheResolutionAndFittedToThePage) {
  const struct {
    uint32_t width, height, resolution;
    int32_t dpi, pageWidth, pageHeight;
    bool centre;
    SPrintPlacement expected;
  } cases[] = {
      // 6000 × 4500 printer pixels are too wide: the width fits and the height follows.
      {720, 540, 72, 600, 4800, 6600, true, {0, 1500, 4800, 3600}},
      {720, 540, 72, 600, 4800, 6600, false, {0, 0, 4800, 3600}},
      // 2500 × 8333 is too tall: the height fits and the width follows.
      {300, 1000, 72, 600, 4800, 6600, true, {1410, 0, 1980, 6600}},
      {720, 540, 144, 600, 4800, 6600, true, {900, 2175, 3000, 2250}},
      {64, 48, 72, 144, 1224, 1584, true, {548, 744, 128, 96}},
      // A sliver keeps a pixel of its short side.
      {10000, 1, 72, 72, 100, 100, true, {0, 49, 100, 1}},
      {1, 10000, 72, 72, 100, 100, false, {0, 0, 1, 100}},
  };
  for (const auto& c : cases) {
    const SPrintPlacement at =
        CPrinter::PlaceOnPage(c.width, c.height, c.resolution, c.dpi, c.dpi, c.pageWidth, c.pageHeight, c.centre);
    const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                             std::to_string(c.resolution) + (c.centre ? " centred" : "");
    EXPECT_EQ(at.x, c.expected.x) << name;
    EXPECT_EQ(at.y, c.expected.y) << name;
    EXPECT_EQ(at.width, c.expected.width) << name;
    EXPECT_EQ(at.height, c.expected.height) << name;
  }
}

class PrinterTest : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    CPrinter::Settings() = {};
    platform::headless::ForgetPrintedDocuments();
    platform::headless::FailPageCall(0);
  }

  // An image whose every pixel tells where it lies: red the column, green the row, blue both.
  static void Pattern(CImage* image) {
    CImNavigator pixels(image, nullptr, true, false);
    ASSERT_TRUE(pixels.IsUsable());
    for (uint32_t y = 0; y < pixels.GetRows(); ++y) {
      for (uint32_t x = 0; x < pixels.GetColumns(); ++x)
        pixels.Cells(y)[x].Set(0xFF, uint8_t(x * 3), uint8_t(y * 5), uint8_t(x + y));
    }
  }
  static uint32_t Colour(CImage* image, int32_t x, int32_t y) { return Pixel(image, x, y) & 0xFFFFFF; }

  // A 24-bit BMP file of the pixels (0x00RRGGBB, rows from the top).
  static bool WriteBmp(const std::string& path, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    platform::SRgbPicture picture{width, height, {}};
    for (uint32_t p : pixels) picture.rgb.insert(picture.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    const std::vector<uint8_t> dib = platform::RgbToDib(picture);
    const uint32_t size = uint32_t(14 + dib.size()), offset = 54;
    std::ofstream out(path, std::ios::binary);
    out.write("BM", 2);
    out.write(reinterpret_cast<const char*>(&size), 4);
    out.write("\0\0\0\0", 4);
    out.write(reinterpret_cast<const char*>(&offset), 4);
    out.write(reinterpret_cast<const char*>(dib.data()), std::streamsize(dib.size()));
    return bool(out);
  }
  bool WriteImage(const std::string& path, CImage* image) {
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < image->GetHeight(); ++y) {
      for (uint32_t x = 0; x < image->GetWidth(); ++x) pixels.push_back(Colour(image, int32_t(x), int32_t(y)));
    }
    return WriteBmp(path, int32_t(image->GetWidth()), int32_t(image->GetHeight()), pixels);
  }
  static bool WritePage(const std::string& path, const platform::Surface& page) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < page.Height(); ++y) pixels.insert(pixels.end(), page.Row(y), page.Row(y) + page.Width());
    return WriteBmp(path, page.Width(), page.Height(), pixels);
  }
};

// The bitmap the printer is sent: rows of width × 3 bytes padded to four, the image's last row first, each pixel blue, green, red.
TEST_F(PrinterTest, TheBitmapIsBottomUpWithThreeBytesAPixel) {
  const struct {
    uint32_t width, height, rowBytes;
  } cases[] = {{720, 4, 2160}, {5, 3, 16}, {100, 1000, 300}};
  for (const auto& c : cases) {
    int32_t error = 0;
    CImage* image = NewDataImage(c.width, c.height, &error);
    ASSERT_NE(image, nullptr) << c.width;
    Pattern(image);
    CMemBlock* bitmap = CClipboard::ImageToDIB(image);
    ASSERT_NE(bitmap, nullptr) << c.width;
    platform::SBitmapInfoHeader header;
    std::memcpy(&header, bitmap->GetData(), sizeof header);
    EXPECT_EQ(header.width, int32_t(c.width));
    EXPECT_EQ(header.height, int32_t(c.height));  // positive: bottom-up
    EXPECT_EQ(header.bitCount, 24);
    EXPECT_EQ(bitmap->GetSize(), 40 + c.rowBytes * c.height) << c.width;
    for (const auto& [x, y] : {std::pair<uint32_t, uint32_t>{0, 0}, {c.width - 1, 1}, {c.width / 2, c.height - 1}}) {
      const uint8_t* bgr = bitmap->GetData() + 40 + (c.height - 1 - y) * c.rowBytes + x * 3;
      const uint32_t colour = Colour(image, int32_t(x), int32_t(y));
      EXPECT_EQ(uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0], colour) << c.width << " " << x << "," << y;
    }
    delete bitmap;
    delete image;
  }
}

// A fake printer of 144 dpi with a page of 1224 × 1584 and 3 copies: one document of three white
// pages, each with the image at twice its size in the middle; the copies chosen become the current ones.
TEST_F(PrinterTest, PrintingEndToEndHeadless) {
  CDocWindow& w = Made({64, 48});
  CImage* image = w.GetWindowImage();
  Pattern(image);
  Answer("print 144 144 1224 1584 3");
  EXPECT_EQ(w.PrintDocument(), 0);
  EXPECT_EQ(platform::headless::PrintDialogCopies(), std::vector<uint32_t>{1});
  EXPECT_EQ(CPrinter::Settings().copies, 3u);
  ASSERT_EQ(PrintedDocuments().size(), 1u);
  const platform::headless::SPrintedDocument& document = PrintedDocuments()[0];
  EXPECT_EQ(document.name, "Quarn 2 Document");
  EXPECT_TRUE(document.ended);
  EXPECT_EQ(document.calls, (std::vector<std::string>{"StartDoc", "StartPage", "EndPage", "StartPage", "EndPage",
                                                       "StartPage", "EndPage", "EndDoc"}));
  ASSERT_EQ(document.pages.size(), 3u);
  ASSERT_TRUE(WriteImage(Path("img.bmp"), image));
  ASSERT_EQ(RunCommand("convert -size 1224x1584 xc:white \\( '" + Path("img.bmp") + "' -sample 200% \\) -geometry "
                       "+548+744 -composite '" + Path("expected.bmp") + "'")
                .status,
            0);
  for (size_t i = 0; i < document.pages.size(); ++i) {
    const platform::Surface& page = document.pages[i];
    ASSERT_EQ(page.Width(), 1224);
    ASSERT_EQ(page.Height(), 1584);
    const std::string file = Path("page" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(WritePage(file, page));
    const SRun compared = RunCommand("compare -metric AE '" + file + "' '" + Path("expected.bmp") + "' null: 2>&1");
    EXPECT_EQ(compared.out.substr(0, compared.out.find(' ')), "0") << "page " << i << ": " << compared.out;
    // Without the tool's word: every pixel of the image repeated twice each way.
    EXPECT_EQ(page.Pixel(548 + 2 * 63 + 1, 744 + 2 * 47 + 1), Colour(image, 63, 47)) << i;
    EXPECT_EQ(page.Pixel(548 + 2 * 10, 744 + 2 * 20 + 1), Colour(image, 10, 20)) << i;
    EXPECT_EQ(page.Pixel(547, 744), 0xFFFFFFu) << i;
  }

  // The next print dialog shows the copies chosen; the rendered image is printed when it is shown.
  platform::headless::ForgetPrintedDocuments();
  w.ToggleRenderedImage();
  ASSERT_FALSE(w.GetMode() & CDocWindow::kWireframeShown);
  CImage* rendered = w.GetRenderedImage();
  Pattern(rendered);
  Answer("print 72 72 2000 2000 1");
  EXPECT_EQ(w.PrintDocument(), 0);
  EXPECT_EQ(platform::headless::PrintDialogCopies(), std::vector<uint32_t>{3});
  ASSERT_EQ(PrintedDocuments().size(), 1u);
  ASSERT_EQ(PrintedDocuments()[0].pages.size(), 1u);
  const platform::Surface& page = PrintedDocuments()[0].pages[0];
  const int32_t left = (2000 - int32_t(rendered->GetWidth())) / 2, top = (2000 - int32_t(rendered->GetHeight())) / 2;
  EXPECT_EQ(page.Pixel(left + 100, top + 7), Colour(rendered, 100, 7));
  EXPECT_EQ(page.Pixel(left, top + int32_t(rendered->GetHeight()) - 1),
            Colour(rendered, 0, int32_t(rendered->GetHeight()) - 1));
}

// A cancelled print dialog answers 24 and prints and shows nothing; a failing page call answers 9 and
// ends the document; an unscripted dialog counts as cancelled.
TEST_F(PrinterTest, CancelledOrFailedPrintsAreNoSuccess) {
  CDocWindow& w = Made({64, 48});
  const size_t boxes = platform::headless::ShownBoxes().size();
  Answer("print cancel");
  EXPECT_EQ(w.PrintDocument(), 24);
  EXPECT_EQ(w.PrintDocument(), 24);
  EXPECT_TRUE(PrintedDocuments().empty());
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes);
  EXPECT_EQ(CPrinter::Settings().copies, 1u);

  const struct {
    uint32_t failingCall;
    std::vector<std::string> calls;
  } cases[] = {
      {1, {"StartDoc", "StartPage failed", "EndDoc"}},
      {4, {"StartDoc", "StartPage", "EndPage", "StartPage", "EndPage failed", "EndDoc"}},
  };
  for (const auto& c : cases) {
    platform::headless::ForgetPrintedDocuments();
    Answer("print 72 72 200 200 2");
    platform::headless::FailPageCall(c.failingCall);
    EXPECT_EQ(w.PrintDocument(), 9) << c.failingCall;
    ASSERT_EQ(PrintedDocuments().size(), 1u) << c.failingCall;
    EXPECT_EQ(PrintedDocuments()[0].calls, c.calls) << c.failingCall;
  }
}

class PageSetupTest : public PrinterTest {
 protected:
  const platform::headless::SShownDialog& LastShown() { return platform::headless::ShownDialogs().back(); }
  static std::string ItemText(const platform::headless::SShownDialog& shown, int32_t id) {
    for (const auto& [item, text] : shown.items) {
      if (item == id) return text;
    }
    return "(none)";
  }
  static int32_t Check(const platform::headless::SShownDialog& shown, int32_t id) {
    for (const auto& [item, state] : shown.checks) {
      if (item == id) return int32_t(state);
    }
    return -1;
  }
  size_t BoxesBefore() const { return boxes_; }
  void SetUp() override {
    PrinterTest::SetUp();
    boxes_ = platform::headless::ShownBoxes().size();
  }
  size_t boxes_ = 0;
};

TEST_F(PageSetupTest, OpensWithTheSettingsAndStoresValidOnes) {
  CDocWindow& w = Made();
  Answer("dialog 1 1001=1 1002=300 1005=2");
  EXPECT_EQ(w.PageSetup(), 0);
  const platform::headless::SShownDialog& shown = LastShown();
  EXPECT_EQ(shown.title, "Page Setup");
  EXPECT_EQ(Check(shown, 1004), 1);
  EXPECT_EQ(ItemText(shown, 1005), "1");
  EXPECT_EQ(Check(shown, 1000), 1);
  EXPECT_EQ(Check(shown, 1001), 0);
  EXPECT_EQ(ItemText(shown, 1002), "72");
  for (const auto& [id, text] : {std::pair<int32_t, const char*>{1, "OK"}, {2, "Cancel"}, {1004, "Center Page"},
                                 {1003, "DPI"}, {1000, "Default (72 DPI)"}, {1001, "Custom DPI:"}})
    EXPECT_EQ(ItemText(shown, id), text) << id;
  EXPECT_EQ(CPrinter::Settings().copies, 2u);
  EXPECT_EQ(CPrinter::Settings().resolution, 300u);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), BoxesBefore());

  // Reopened: the custom resolution is shown; Cancel keeps the centre flag whatever the box says.
  Answer("dialog 2 1004=0");
  EXPECT_EQ(w.PageSetup(), 0);
  EXPECT_EQ(Check(LastShown(), 1000), 0);
  EXPECT_EQ(Check(LastShown(), 1001), 1);
  EXPECT_EQ(ItemText(LastShown(), 1002), "300");
  EXPECT_EQ(ItemText(LastShown(), 1005), "2");
  EXPECT_TRUE(CPrinter::Settings().centre);

  // Back to the default button: 72 whatever the field holds, and the box cleared takes effect.
  Answer("dialog 1 1000=1 1002=5 1004=0");
  EXPECT_EQ(w.PageSetup(), 0);
  EXPECT_EQ(CPrinter::Settings().resolution, 72u);
  EXPECT_FALSE(CPrinter::Settings().centre);
  Answer("dialog 2");
  EXPECT_EQ(w.PageSetup(), 0);
  EXPECT_EQ(Check(LastShown(), 1000), 1);
  EXPECT_EQ(Check(LastShown(), 1004), 0);
}

// Values below the limits keep the dialog open with the reason and change neither copies nor
// resolution (the centre flag is taken at once); the next answer is taken in the same dialog.
TEST_F(PageSetupTest, RefusedValuesKeepTheDialogOpen) {
  CDocWindow& w = Made();
  const struct {
    const char* answer;
    const char* text;
    const char* caption;
  } cases[] = {
      {"dialog 1 1005=0 1004=0", "Number of copies cannot be less than 1!", "Number of copies error"},
      {"dialog 1 1005=-3 1004=0", "Number of copies cannot be less than 1!", "Number of copies error"},
      {"dialog 1 1005=abc 1004=0", "Number of copies cannot be less than 1!", "Number of copies error"},
      {"dialog 1 1005=4 1001=1 1002=50 1004=0", "DPI cannot be less than 72!", "DPI error"},
      {"dialog 1 1005=4 1001=1 1002=\"\" 1004=0", "DPI cannot be less than 72!", "DPI error"},
  };
  for (const auto& c : cases) {
    CPrinter::Settings() = {};
    const size_t dialogs = platform::headless::ShownDialogs().size();
    const size_t boxes = platform::headless::ShownBoxes().size();
    Answer(c.answer);
    Answer("dialog 1 1005=5 1001=1 1002=600");
    // Stored only by the second answer: the first left the dialog open.
    EXPECT_EQ(w.PageSetup(), 0) << c.answer;
    EXPECT_EQ(platform::headless::ShownDialogs().size(), dialogs + 2) << c.answer;
    ASSERT_EQ(platform::headless::ShownBoxes().size(), boxes + 1) << c.answer;
    const platform::headless::SShownBox& box = platform::headless::ShownBoxes().back();
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, c.caption);
    EXPECT_EQ(box.style & 0x0F, platform::kMbOk) << c.answer;
    EXPECT_FALSE(CPrinter::Settings().centre) << c.answer;
    EXPECT_EQ(CPrinter::Settings().copies, 5u) << c.answer;
    EXPECT_EQ(CPrinter::Settings().resolution, 600u) << c.answer;
  }
  // With nothing more to answer, the dialog left open is closed as a user would: nothing stored.
  CPrinter::Settings() = {};
  Answer("dialog 1 1005=0");
  EXPECT_EQ(w.PageSetup(), 0);
  EXPECT_EQ(CPrinter::Settings().copies, 1u);
  EXPECT_EQ(CPrinter::Settings().resolution, 72u);
}

}  // namespace
