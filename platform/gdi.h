// Drawing objects and the drawing calls beyond fills and blocks of pixels: pens and lines, brushes
// and filled shapes, fonts and text, bitmaps with the memory contexts that draw into them and the
// copies between contexts, and the system's colours. Colours are 0x00RRGGBB, as surfaces hold them.
//
// Text goes through Pango and Cairo onto the same 32-bit surfaces in both back ends, once a program
// has called EnableTextDrawing (platform/text_drawing.h); before that the text calls measure and draw
// nothing and answer failure. The faces the program asks for are mapped: "MS Sans Serif" and the stock
// interface fonts to DejaVu Sans, "Lucida Console" and every fixed-pitch request to DejaVu Sans Mono.
// Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_context.h"
#include "platform/window.h"

namespace platform {

struct SGdiObject;
using GdiObject = SGdiObject*;

struct SSize {
  int32_t cx = 0;
  int32_t cy = 0;
};

// Stock objects; deleting one does nothing.
enum : int32_t {
  kWhiteBrush = 0,
  kBlackBrush = 4,
  kNullBrush = 5,
  kWhitePen = 6,
  kBlackPen = 7,
  kNullPen = 8,
  kAnsiVarFont = 12,
  kSystemFont = 13,
  kDefaultGuiFont = 17,
};
GdiObject GetStockObject(int32_t which);

// A dotted pen draws two pixels in its colour, then two in the background colour when the
// background mode is opaque (else leaves them), along each line. A pen wider than one pixel draws
// solid, a round brush of that diameter moved along the line; width 0 draws one pixel.
enum : int32_t { kPsSolid = 0, kPsDot = 2, kPsNull = 5 };
GdiObject CreatePen(int32_t style, int32_t width, uint32_t color);
// How pen pixels meet what is there: the pen's colour replaces it, or is XORed onto it (drawn twice,
// a line leaves the pixels as they were). The answer is the previous mode, 0 for a bad call.
enum : int32_t { kR2XorPen = 7, kR2CopyPen = 13 };
int32_t SetROP2(DeviceContext* dc, int32_t mode);
GdiObject CreateSolidBrush(uint32_t color);

// A font request. height < 0 asks for that character height in pixels, > 0 for that cell height,
// 0 for the default.
enum : uint8_t { kAnsiCharset = 0, kFixedPitch = 1, kVariablePitch = 2 };
enum : int32_t { kFwNormal = 400, kFwBold = 700 };
struct SLogFont {
  int32_t height = 0;
  int32_t weight = kFwNormal;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t charSet = kAnsiCharset;
  uint8_t pitchAndFamily = 0;  // kFixedPitch in the low bits asks for a fixed-pitch face
  std::string face;
};
GdiObject CreateFontIndirect(const SLogFont& font);

// Bitmaps of a context's depth (all contexts are 32-bit), black at first; a discardable one is an
// ordinary bitmap. Null for a size below 1 or beyond 16384 a side.
GdiObject CreateCompatibleBitmap(DeviceContext* dc, int32_t width, int32_t height);
GdiObject CreateDiscardableBitmap(DeviceContext* dc, int32_t width, int32_t height);
struct SBitmapSize {
  int32_t width = 0;
  int32_t height = 0;
};
// A bitmap's size; false for anything else.
bool GetBitmapSize(GdiObject bitmap, SBitmapSize* size);
// False, with nothing deleted, for an object still selected into a context.
bool DeleteObject(GdiObject object);
// Rows of the bitmap into a 32-bit block of the header's width and height (a negative height for top
// down; each pixel blue, green, red and 0; a block wider than the bitmap keeps its other pixels),
// from its row startRow (counted from the top for top-down blocks, from the bottom for bottom-up
// ones); the rows copied, 0 for what it cannot read. dc only names the display the bitmap belongs to.
int32_t GetDIBits(DeviceContext* dc, GdiObject bitmap, uint32_t startRow, uint32_t rows, void* bits,
                  const SBitmapInfoHeader* header, uint32_t usage);

// A memory context (null: compatible with the screen) draws into the bitmap selected into it; until
// one is, it holds a shared stock bitmap of one black pixel that reads black and takes no drawing.
// Memory contexts are deleted with DeleteDC, not released.
DeviceContext* CreateCompatibleDC(DeviceContext* dc);
// Deletes a memory context; a bitmap selected into it stays, no longer held. Deletes a printer's
// context too (platform/print.h). False, with nothing done, for any other kind of context.
bool DeleteDC(DeviceContext* dc);
// The object selected before of the same kind; null when the object cannot be selected (a bitmap
// into a context that is not a memory one, or one selected into another context).
GdiObject SelectObject(DeviceContext* dc, GdiObject object);

// Copies a rectangle from one context to another (the same one too; overlapping areas copy as if
// through a buffer), inside the destination's clip; what lies outside the source's area (its
// bitmap, its client area, the screen) reads black. Only kSrcCopy.
bool BitBlt(DeviceContext* destination, int32_t x, int32_t y, int32_t width, int32_t height, DeviceContext* source,
            int32_t xSource, int32_t ySource, uint32_t rop);

// Lines with the selected pen; LineTo leaves out its end point and moves there.
bool MoveToEx(DeviceContext* dc, int32_t x, int32_t y, SPoint* previous);
bool LineTo(DeviceContext* dc, int32_t x, int32_t y);
// Filled with the selected brush (pixels whose centres lie inside, alternate rule), outlined with
// the selected pen.
bool Polygon(DeviceContext* dc, const SPoint* points, int32_t count);
// The ellipse inscribed in the rectangle (right and bottom left out): filled with the selected brush,
// then outlined with the selected pen one pixel wide, the outline's pixels taken in order round the
// curve so that a dotted pen dots it evenly.
bool Ellipse(DeviceContext* dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Fills with the brush, the right and bottom edges left out.
bool FillRect(DeviceContext* dc, const SWinRect& rect, GdiObject brush);
// A one-pixel frame with the brush just inside the rectangle (its right and bottom edges left out).
bool FrameRect(DeviceContext* dc, const SWinRect& rect, GdiObject brush);
// The rectangle with corners rounded to quarter ellipses of the corner size (width, height), the
// right and bottom edges left out: filled with the selected brush, outlined with the selected pen.
bool RoundRect(DeviceContext* dc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t cornerWidth,
               int32_t cornerHeight);

// Text.
enum : int32_t { kTransparent = 1, kOpaque = 2 };
int32_t SetBkMode(DeviceContext* dc, int32_t mode);
uint32_t SetTextColor(DeviceContext* dc, uint32_t color);
uint32_t GetTextColor(DeviceContext* dc);
enum : uint32_t { kTaTopLeft = 0, kTaBaseline = 24 };
uint32_t SetTextAlign(DeviceContext* dc, uint32_t align);
struct STextMetrics {
  int32_t height = 0;
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;
  int32_t externalLeading = 0;
  int32_t aveCharWidth = 0;
  int32_t maxCharWidth = 0;
};
bool GetTextMetrics(DeviceContext* dc, STextMetrics* metrics);
bool GetTextExtentPoint32(DeviceContext* dc, const char* text, int32_t count, SSize* size);
enum : uint32_t {
  kDtLeft = 0x0,
  kDtCenter = 0x1,
  kDtRight = 0x2,
  kDtVCenter = 0x4,
  kDtBottom = 0x8,
  kDtWordBreak = 0x10,
  kDtSingleLine = 0x20,
  kDtNoClip = 0x100,
  kDtCalcRect = 0x400,
  kDtNoPrefix = 0x800,
};
// Draws the text (count < 0: up to its terminator) into the rectangle with the selected font and
// the text colour, the background behind it when the mode is opaque; an ampersand marks the next
// character unless kDtNoPrefix is given. Answers the height of the text drawn (0 on failure); with
// kDtCalcRect only measures, widening or narrowing rect to the text.
int32_t DrawText(DeviceContext* dc, const char* text, int32_t count, SWinRect* rect, uint32_t format);

// The system colours the interface draws with, the same in both back ends.
enum : int32_t {
  kColorMenu = 4,
  kColorWindow = 5,
  kColorWindowText = 8,
  kColorHighlight = 13,
  kColorHighlightText = 14,
  kColorButtonFace = 15,
  kColorGrayText = 17,
};
uint32_t GetSysColor(int32_t index);

}  // namespace platform
