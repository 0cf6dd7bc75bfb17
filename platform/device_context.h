// Device contexts: where drawing calls land. A context draws either into a window's client area
// (window coordinates are client coordinates, cut to the client area) or into a surface of the
// caller's (surface coordinates, cut to the surface). Either way the pixels end in a 32-bit surface
// that tests read back.
#pragma once

#include <cstdint>

#include "platform/surface.h"
#include "platform/window.h"

namespace platform {

struct DeviceContext;

// The 40-byte header that describes a block of pixels handed to a blit. A negative height means the
// rows run from the top down; a positive one, from the bottom up.
struct SBitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
};
static_assert(sizeof(SBitmapInfoHeader) == 40);

// One colour of an 8-bit block's table.
struct SRgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
};

// The header of an 8-bit block with its 256 colours right behind it.
struct SBitmapInfo {
  SBitmapInfoHeader header;
  SRgbQuad colors[256];
};
static_assert(sizeof(SBitmapInfo) == 1064);

enum : uint32_t { kBiRgb = 0 };          // uncompressed
enum : uint32_t { kDibRgbColors = 0 };   // pixels are colours, not palette indices
enum : uint32_t { kSrcCopy = 0xCC0020 };  // the source replaces the destination

// Null when the window is not alive; no window (null) gives the screen's context, in screen
// coordinates. Release every context but memory ones (platform/gdi.h) with ReleaseDC. A window whose
// class has kCsOwnDc answers its own context, the same one for the window's life; releasing it does
// nothing, and it goes with the window.
//
// The screen as contexts see it: a copy from it shows what lies on the screen at that moment (the
// headless back end composes its desktop colour and the showing windows; GTK reads the display).
// What is drawn onto it is not shown on GTK, whose windows repaint what they uncover themselves; the
// headless screen keeps it until its next composition.
DeviceContext* GetDC(WindowHandle window);
DeviceContext* CreateSurfaceDC(Surface* surface);
void ReleaseDC(DeviceContext* dc);

// Regions: areas made of rectangles, in the coordinates of whatever they clip.
struct SRegion;
using RegionHandle = SRegion*;
enum : int32_t { kRgnAnd = 1, kRgnOr = 2, kRgnDiff = 4, kRgnCopy = 5 };
// What a region holds: nothing, one rectangle or several; kRegionError for a bad call.
enum : int32_t { kRegionError = 0, kNullRegion = 1, kSimpleRegion = 2, kComplexRegion = 3 };
RegionHandle CreateRectRgn(const SWinRect& rect);
bool DeleteRgn(RegionHandle region);
// destination := a combined with b by the mode (b is not read for kRgnCopy); destination may be a or b.
int32_t CombineRgn(RegionHandle destination, RegionHandle a, RegionHandle b, int32_t mode);
int32_t GetRgnBox(RegionHandle region, SWinRect* box);
bool PtInRegion(RegionHandle region, int32_t x, int32_t y);
// The context's clip becomes a copy of the region (null: no clip); drawing stays inside it.
int32_t SelectClipRgn(DeviceContext* dc, RegionHandle region);
// The clip's bounding rectangle (the whole drawing area without a clip).
int32_t GetClipBox(DeviceContext* dc, SWinRect* box);

// Colours are 0x00RRGGBB, as surfaces hold them. The background colour starts white; the answer is
// the previous one.
uint32_t SetBkColor(DeviceContext* dc, uint32_t color);
uint32_t GetBkColor(DeviceContext* dc);
enum : uint32_t { kEtoOpaque = 0x0002, kEtoClipped = 0x0004 };
// With kEtoOpaque, fills the rectangle with the background colour; then draws the characters with
// the selected font and text colour, their top left (or their baseline's left end, by the text
// alignment) at (x, y), cut to the rectangle with kEtoClipped (platform/gdi.h).
bool ExtTextOut(DeviceContext* dc, int32_t x, int32_t y, uint32_t options, const SWinRect* rect, const char* text,
                uint32_t count);

// Draws the source rectangle of an uncompressed pixel block into the destination rectangle: a plain
// copy when the sizes agree, nearest-pixel stretching otherwise. Blocks are 32-bit, 24-bit (blue,
// green, red), or 8-bit with the header the start of an SBitmapInfo whose 256 colours the pixels
// index (colours used 0). The source's y counts from the picture's top for top-down blocks and from
// its bottom for bottom-up ones; only pixels inside the block are read. Each row takes width × bits
// rounded up to 32 bits.
// Answers the source rows drawn, or 0 with the invalid-parameter error for what it cannot draw.
int32_t StretchDIBits(DeviceContext* dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight,
                      int32_t xSrc, int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits,
                      const SBitmapInfoHeader* header, uint32_t usage, uint32_t rop);
// Shows at once what was drawn, which a back end would otherwise show at its next pump.
bool GdiFlush();

}  // namespace platform
