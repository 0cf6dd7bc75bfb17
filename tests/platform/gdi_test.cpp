// Pens, brushes, bitmaps, memory contexts and text on the platform's surfaces.
#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/dc_internal.h"
#include "platform/device_context.h"
#include "platform/global_memory.h"
#include "platform/text_drawing.h"

namespace {

using namespace platform;

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { dc = CreateSurfaceDC(&surface); }
  void TearDown() override { ReleaseDC(dc); }

  // The pixels of a colour, as "x,y" in reading order.
  std::string PixelsOf(uint32_t color) const {
    std::string out;
    for (int32_t y = 0; y < surface.Height(); ++y) {
      for (int32_t x = 0; x < surface.Width(); ++x) {
        if (surface.Pixel(x, y) == color) out += std::to_string(x) + "," + std::to_string(y) + " ";
      }
    }
    return out;
  }

  Surface surface{12, 8};
  DeviceContext* dc = nullptr;
};

TEST_F(GdiTest, LinesLeaveOutTheirEndPoint) {
  GdiObject pen = CreatePen(kPsSolid, 1, 0xFF0000);
  GdiObject previous = SelectObject(dc, pen);
  EXPECT_EQ(previous, GetStockObject(kBlackPen));
  MoveToEx(dc, 1, 1, nullptr);
  LineTo(dc, 4, 1);
  EXPECT_EQ(PixelsOf(0xFF0000), "1,1 2,1 3,1 ");
  LineTo(dc, 4, 4);  // goes on from where the last one ended
  EXPECT_EQ(PixelsOf(0xFF0000), "1,1 2,1 3,1 4,1 4,2 4,3 ");
  EXPECT_FALSE(DeleteObject(pen));  // still selected
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(pen));
}

// A dotted pen: two pixels of its colour, two of the background colour while the background is
// opaque, none while it is transparent; in XOR mode a line drawn twice leaves the pixels as they were.
TEST_F(GdiTest, DottedXorLinesComeAwayWhenDrawnAgain) {
  for (int32_t x = 0; x < 12; ++x) surface.Row(1)[x] = 0x102030 + uint32_t(x);
  GdiObject pen = CreatePen(kPsDot, 1, 0);
  GdiObject previous = SelectObject(dc, pen);
  EXPECT_EQ(SetROP2(dc, kR2XorPen), kR2CopyPen);
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 8, 1);
  for (int32_t x = 0; x < 8; ++x) {
    const uint32_t under = 0x102030 + uint32_t(x);
    EXPECT_EQ(surface.Pixel(x, 1), x % 4 < 2 ? under : under ^ 0xFFFFFF) << x;
  }
  EXPECT_EQ(surface.Pixel(8, 1), 0x102038u);
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 8, 1);
  for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(surface.Pixel(x, 1), 0x102030 + uint32_t(x)) << x;

  EXPECT_EQ(SetROP2(dc, kR2CopyPen), kR2XorPen);
  EXPECT_EQ(SetROP2(dc, 3), 0);
  GdiObject red = CreatePen(kPsDot, 1, 0xFF0000);
  SelectObject(dc, red);
  SetBkMode(dc, kTransparent);
  MoveToEx(dc, 0, 3, nullptr);
  LineTo(dc, 6, 3);
  EXPECT_EQ(PixelsOf(0xFF0000), "0,3 1,3 4,3 5,3 ");
  EXPECT_EQ(surface.Pixel(2, 3), 0u);
  SelectObject(dc, previous);
  DeleteObject(pen);
  DeleteObject(red);
}

TEST_F(GdiTest, PolygonsFillWhatTheirCentresCoverAndOutlineTheEdges) {
  GdiObject brush = CreateSolidBrush(0x0000FF);
  GdiObject previousBrush = SelectObject(dc, brush);
  GdiObject previousPen = SelectObject(dc, GetStockObject(kNullPen));
  const SPoint square[] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
  ASSERT_TRUE(Polygon(dc, square, 4));
  EXPECT_EQ(PixelsOf(0x0000FF), "2,2 3,2 4,2 5,2 2,3 3,3 4,3 5,3 2,4 3,4 4,4 5,4 ");
  GdiObject pen = CreatePen(kPsSolid, 1, 0x00FF00);
  SelectObject(dc, pen);
  const SPoint triangle[] = {{8, 1}, {11, 7}, {8, 7}};
  ASSERT_TRUE(Polygon(dc, triangle, 3));
  EXPECT_EQ(surface.Pixel(8, 1), 0x00FF00u);
  EXPECT_EQ(surface.Pixel(9, 5), 0x0000FFu);  // inside
  EXPECT_EQ(surface.Pixel(11, 1), 0u);         // outside
  SelectObject(dc, previousBrush);
  SelectObject(dc, previousPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// A wide pen draws a round brush of its diameter along the line, its end point left out; width 0 draws
// one pixel; an XOR pen as wide takes each pixel once, so drawing twice leaves the surface as it was.
TEST_F(GdiTest, WidePensDrawARoundBrushAlongTheLine) {
  Surface wide{20, 12};
  DeviceContext* w = CreateSurfaceDC(&wide);
  struct SCase {
    int32_t width;
    int32_t top, bottom;  // the rows the horizontal line covers at its middle
  } cases[] = {{0, 5, 5}, {1, 5, 5}, {4, 3, 6}, {5, 3, 7}};
  for (const SCase& c : cases) {
    wide.Fill(0, 0, 20, 12, 0);
    GdiObject pen = CreatePen(kPsSolid, c.width, 0xFF0000);
    GdiObject previous = SelectObject(w, pen);
    MoveToEx(w, 5, 5, nullptr);
    LineTo(w, 14, 5);
    for (int32_t y = 0; y < 12; ++y)
      EXPECT_EQ(wide.Pixel(9, y), y >= c.top && y <= c.bottom ? 0xFF0000u : 0u) << c.width << " row " << y;
    // Round: the corners of the brush's square stay clear at the line's start.
    if (c.width > 3) {
      EXPECT_EQ(wide.Pixel(5 - c.width / 2, c.top), 0u) << c.width;
    }
    SelectObject(w, previous);
    DeleteObject(pen);
  }
  wide.Fill(0, 0, 20, 12, 0x123456);
  GdiObject pen = CreatePen(kPsSolid, 6, 0xFFFFFF);
  GdiObject previous = SelectObject(w, pen);
  SetROP2(w, kR2XorPen);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(w, 3, 3, nullptr);
    LineTo(w, 15, 8);
    if (pass == 0) {
      EXPECT_EQ(wide.Pixel(9, 5), 0x123456u ^ 0xFFFFFF);
    }
  }
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(wide.Pixel(x, y), 0x123456u) << x << "," << y;
  }
  SelectObject(w, previous);
  DeleteObject(pen);
  ReleaseDC(w);
}

// FrameRect draws one pixel inside the rectangle; RoundRect fills and outlines a rectangle whose
// corners are cut round, right and bottom edges left out.
TEST_F(GdiTest, FramesAndRoundedRectangles) {
  GdiObject white = GetStockObject(kWhiteBrush);
  ASSERT_TRUE(FrameRect(dc, {1, 1, 5, 4}, white));
  EXPECT_EQ(PixelsOf(0xFFFFFF), "1,1 2,1 3,1 4,1 1,2 4,2 1,3 2,3 3,3 4,3 ");
  Surface big{40, 20};
  DeviceContext* b = CreateSurfaceDC(&big);
  GdiObject fill = CreateSolidBrush(0x0000FF);
  GdiObject pen = CreatePen(kPsSolid, 1, 0xFFFFFF);
  GdiObject previousBrush = SelectObject(b, fill), previousPen = SelectObject(b, pen);
  ASSERT_TRUE(RoundRect(b, 2, 2, 32, 17, 15, 15));
  EXPECT_EQ(big.Pixel(17, 9), 0x0000FFu);   // inside
  EXPECT_EQ(big.Pixel(17, 2), 0xFFFFFFu);   // the top edge
  EXPECT_EQ(big.Pixel(17, 16), 0xFFFFFFu);  // the bottom edge, one above the rectangle's bottom
  EXPECT_EQ(big.Pixel(17, 17), 0u);
  EXPECT_EQ(big.Pixel(31, 9), 0xFFFFFFu);   // the right edge, one left of the rectangle's right
  EXPECT_EQ(big.Pixel(32, 9), 0u);
  EXPECT_EQ(big.Pixel(2, 2), 0u);           // a corner cut away
  EXPECT_EQ(big.Pixel(31, 16), 0u);
  SelectObject(b, previousBrush);
  SelectObject(b, previousPen);
  DeleteObject(fill);
  DeleteObject(pen);
  ReleaseDC(b);
}

// A circle of radius 3 round (5, 4): the outline lies on the curve, one pixel wide and closed; a
// brush fills the inside; a dotted XOR outline drawn twice leaves the pixels as they were.
TEST_F(GdiTest, EllipsesFillTheirInsideAndOutlineTheCurve) {
  GdiObject pen = CreatePen(kPsSolid, 1, 0xFF0000);
  GdiObject previousPen = SelectObject(dc, pen);
  GdiObject previousBrush = SelectObject(dc, GetStockObject(kNullBrush));
  ASSERT_TRUE(Ellipse(dc, 2, 1, 9, 8));
  EXPECT_EQ(PixelsOf(0xFF0000), "4,1 5,1 6,1 3,2 7,2 2,3 8,3 2,4 8,4 2,5 8,5 3,6 7,6 4,7 5,7 6,7 ");
  EXPECT_EQ(surface.Pixel(5, 4), 0u) << "hollow with the null brush";
  GdiObject brush = CreateSolidBrush(0x0000FF);
  SelectObject(dc, brush);
  ASSERT_TRUE(Ellipse(dc, 2, 1, 9, 8));
  EXPECT_EQ(surface.Pixel(5, 4), 0x0000FFu);
  EXPECT_EQ(surface.Pixel(5, 1), 0xFF0000u) << "the outline over the fill";
  EXPECT_EQ(surface.Pixel(2, 1), 0u) << "the rectangle's corner lies outside";
  EXPECT_FALSE(Ellipse(dc, 4, 4, 4, 6));

  surface.Fill(0, 0, 12, 8, 0x123456);
  GdiObject dotted = CreatePen(kPsDot, 1, 0);
  SelectObject(dc, dotted);
  SelectObject(dc, GetStockObject(kNullBrush));
  SetROP2(dc, kR2XorPen);
  ASSERT_TRUE(Ellipse(dc, 2, 1, 9, 8));
  const std::string inverted = PixelsOf(0x123456 ^ 0xFFFFFF);
  EXPECT_EQ(std::count(inverted.begin(), inverted.end(), ' '), 8) << "half of the 16 outline pixels: " << inverted;
  ASSERT_TRUE(Ellipse(dc, 2, 1, 9, 8));
  EXPECT_EQ(PixelsOf(0x123456 ^ 0xFFFFFF), "");
  SetROP2(dc, kR2CopyPen);
  SelectObject(dc, previousPen);
  SelectObject(dc, previousBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(dotted);
}

// The scrolling menu moves its back buffer's rows within one bitmap; the copy reads the rows as they
// were, whichever way it goes.
TEST_F(GdiTest, MemoryContextsDrawIntoTheirBitmapAndCopyBothWays) {
  DeviceContext* memory = CreateCompatibleDC(nullptr);
  GdiObject bitmap = CreateCompatibleBitmap(memory, 3, 6);
  SBitmapSize size;
  ASSERT_TRUE(GetBitmapSize(bitmap, &size));
  EXPECT_EQ(size.width, 3);
  EXPECT_EQ(size.height, 6);
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr);  // not into a context that draws elsewhere
  GdiObject original = SelectObject(memory, bitmap);
  ASSERT_NE(original, nullptr);
  for (int32_t row = 0; row < 6; ++row) {
    GdiObject brush = CreateSolidBrush(uint32_t(row + 1));
    FillRect(memory, {0, row, 3, row + 1}, brush);
    DeleteObject(brush);
  }
  ASSERT_TRUE(BitBlt(memory, 0, 2, 3, 4, memory, 0, 0, kSrcCopy));  // down by two
  ASSERT_TRUE(BitBlt(dc, 0, 0, 3, 6, memory, 0, 0, kSrcCopy));
  for (int32_t row = 0; row < 6; ++row) EXPECT_EQ(surface.Pixel(1, row), uint32_t(row < 2 ? row + 1 : row - 1));
  ASSERT_TRUE(BitBlt(memory, 0, 0, 3, 4, memory, 0, 2, kSrcCopy));  // and back up
  ASSERT_TRUE(BitBlt(dc, 5, 1, 3, 6, memory, 0, 0, kSrcCopy));
  for (int32_t row = 0; row < 4; ++row) EXPECT_EQ(surface.Pixel(6, row + 1), uint32_t(row + 1));
  EXPECT_EQ(surface.Pixel(8, 1), 0u);  // the bitmap is 3 wide
  EXPECT_FALSE(DeleteObject(bitmap));
  SelectObject(memory, original);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
}

TEST_F(GdiTest, TextMetricsFollowTheRequestedHeightAndFixedPitch) {
  SLogFont request;
  request.height = -10;
  request.pitchAndFamily = kFixedPitch;
  request.face = "Lucida Console";
  GdiObject font = CreateFontIndirect(request);
  GdiObject previous = SelectObject(dc, font);
  STextMetrics metrics;
  ASSERT_TRUE(GetTextMetrics(dc, &metrics));
  EXPECT_GE(metrics.height, 10);
  EXPECT_LE(metrics.height, 15);
  EXPECT_EQ(metrics.height, metrics.ascent + metrics.descent);
  SSize narrow, wide, longer;
  ASSERT_TRUE(GetTextExtentPoint32(dc, "iiii", 4, &narrow));
  ASSERT_TRUE(GetTextExtentPoint32(dc, "WWWW", 4, &wide));
  ASSERT_TRUE(GetTextExtentPoint32(dc, "WWWWWWWW", 8, &longer));
  EXPECT_EQ(narrow.cx, wide.cx);  // one width for every character
  EXPECT_GT(longer.cx, wide.cx);
  EXPECT_EQ(wide.cy, metrics.height);
  SelectObject(dc, GetStockObject(kDefaultGuiFont));
  ASSERT_TRUE(GetTextExtentPoint32(dc, "iiii", 4, &narrow));
  ASSERT_TRUE(GetTextExtentPoint32(dc, "WWWW", 4, &wide));
  EXPECT_LT(narrow.cx, wide.cx);
  SelectObject(dc, previous);
  DeleteObject(font);
}

// Tests never compare glyph pixels: the text shows in its colour, inside its rectangle.
TEST_F(GdiTest, DrawnTextStaysInsideItsRectangleInTheTextColour) {
  Surface big(120, 40);
  DeviceContext* text = CreateSurfaceDC(&big);
  SelectObject(text, GetStockObject(kDefaultGuiFont));
  SetTextColor(text, 0xFFFFFF);
  SetBkColor(text, 0x000000);
  SWinRect rect{10, 5, 60, 25};
  const int32_t height = DrawText(text, "Open &File", -1, &rect, kDtSingleLine | kDtVCenter | kDtLeft);
  EXPECT_GT(height, 0);
  bool white = false;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 120; ++x) {
      const uint32_t p = big.Pixel(x, y);
      if (p == 0) continue;
      EXPECT_TRUE(rect.Contains({x, y})) << x << "," << y;
      white = white || p == 0xFFFFFF;
    }
  }
  EXPECT_TRUE(white);
  SWinRect measured{0, 0, 0, 0};
  DrawText(text, "Open File", -1, &measured, kDtSingleLine | kDtCalcRect);
  SWinRect withPrefix{0, 0, 0, 0};
  DrawText(text, "Open &File", -1, &withPrefix, kDtSingleLine | kDtCalcRect);
  EXPECT_EQ(measured, withPrefix);  // the ampersand only marks the F
  SWinRect literal{0, 0, 0, 0};
  DrawText(text, "Open &File", -1, &literal, kDtSingleLine | kDtCalcRect | kDtNoPrefix);
  EXPECT_GT(literal.right, measured.right);
  ReleaseDC(text);
}

// A program that never enabled text drawing (the command-line tools) measures and draws nothing, and
// says so; enabled again, text is back.
TEST_F(GdiTest, WithoutTextDrawingTextCallsFailAndLeaveTheSurface) {
  Surface big(60, 20);
  DeviceContext* text = CreateSurfaceDC(&big);
  SelectObject(text, GetStockObject(kDefaultGuiFont));
  SetBkMode(text, kOpaque);
  SetBkColor(text, 0xFFFFFF);
  SetTextDrawing(nullptr);
  STextMetrics metrics;
  SSize size;
  SWinRect rect{0, 0, 60, 20};
  EXPECT_FALSE(GetTextMetrics(text, &metrics));
  EXPECT_FALSE(GetTextExtentPoint32(text, "word", 4, &size));
  EXPECT_EQ(DrawText(text, "word", -1, &rect, kDtSingleLine), 0);
  EXPECT_FALSE(ExtTextOut(text, 0, 0, 0, nullptr, "word", 4));
  EnableTextDrawing();
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(big.Pixel(x, y), 0u) << x << "," << y;
  EXPECT_TRUE(GetTextMetrics(text, &metrics));
  EXPECT_GT(DrawText(text, "word", -1, &rect, kDtSingleLine), 0);
  ReleaseDC(text);
}

TEST_F(GdiTest, WordBreakWrapsOntoFurtherLines) {
  Surface big(60, 80);
  DeviceContext* text = CreateSurfaceDC(&big);
  SelectObject(text, GetStockObject(kDefaultGuiFont));
  SWinRect rect{0, 0, 60, 80};
  const int32_t one = DrawText(text, "word", -1, &rect, kDtWordBreak | kDtNoPrefix | kDtCalcRect);
  rect = {0, 0, 60, 80};
  const int32_t three = DrawText(text, "words that wrap twice", -1, &rect, kDtWordBreak | kDtNoPrefix | kDtCalcRect);
  EXPECT_GE(three, 2 * one);
  ReleaseDC(text);
}

TEST(SystemColours, TheFixedTable) {
  EXPECT_EQ(GetSysColor(kColorWindowText), 0x000000u);
  EXPECT_EQ(GetSysColor(kColorGrayText), 0x808080u);
  EXPECT_EQ(GetSysColor(kColorHighlightText), 0xFFFFFFu);
  EXPECT_EQ(GetSysColor(kColorMenu), 0xF0F0F0u);
  EXPECT_EQ(GetSysColor(kColorHighlight), 0x3874D8u);
}

TEST(GlobalMemory, ZeroFilledAndSizedAsAsked) {
  GlobalHandle block = GlobalAlloc(kGmemZeroInit, 13);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 13u);
  const auto* bytes = static_cast<const uint8_t*>(block);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
}

}  // namespace
