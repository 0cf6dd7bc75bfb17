#include "platform/device_context.h"

#include <algorithm>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/rect_set.h"
#include "platform/window_backend.h"

namespace platform {

struct SBitmap {
  Surface surface;
  DeviceContext* holder = nullptr;  // the memory context it is selected into
};

struct DeviceContext {
  WindowHandle window = nullptr;  // a window's client area, looked up again at every call
  Surface* surface = nullptr;     // or a surface of the caller's, or a memory context's bitmap
  bool own = false;               // a window's own context
  bool screen = false;            // the screen's context
  SBitmap* bitmap = nullptr;      // a memory context's bitmap
  SBitmap* stock = nullptr;       // and the one it started with
  uint32_t bkColor = 0xFFFFFF;
  bool clipped = false;
  RectSet clip;  // context coordinates
  // The clip outside the paint that BeginPaint narrowed it for.
  bool paintSavedClipped = false;
  RectSet paintSavedClip;
};

struct SRegion {
  RectSet area;
};

namespace {

enum EDepth : uint16_t { kIndexed = 8, kTrueColour = 32 };

// Where a call draws: the surface, the offset of the context's (0, 0) in it, and the area it may
// change, in surface coordinates.
struct STarget {
  Surface* surface = nullptr;
  SWindow* window = nullptr;
  int32_t originX = 0;
  int32_t originY = 0;
  SWinRect area;    // what the context covers, before its clip
  SWinRect clip;    // the drawing area's bounding rectangle
  RectSet clipSet;  // the drawing area itself
};

bool Resolve(DeviceContext* dc, STarget* target) {
  if (!dc) return false;
  if (dc->screen) {
    target->surface = Backend().ScreenSurface();
    if (!target->surface) return false;
    target->clip = {0, 0, target->surface->Width(), target->surface->Height()};
  } else if (dc->surface) {
    target->surface = dc->surface;
    target->clip = {0, 0, dc->surface->Width(), dc->surface->Height()};
  } else {
    SWindow* w = FindLiveWindow(dc->window);
    if (!w) return false;
    target->surface = &w->surface;
    target->window = w;
    target->originX = w->client.left;
    target->originY = w->client.top;
    target->clip = Intersection(w->client, {0, 0, w->surface.Width(), w->surface.Height()});
  }
  target->area = target->clip;
  target->clipSet = RectSet(target->clip);
  if (dc->clipped) {
    RectSet clip = dc->clip;
    clip.Offset(target->originX, target->originY);
    target->clipSet.Intersect(clip);
    target->clip = target->clipSet.Box();
  }
  return true;
}

// The surface area a call changed reaches the back end, which shows it.
void Changed(const STarget& target, const SWinRect& area) {
  const SWinRect shown = Intersection(area, target.clip);
  if (target.window && !shown.IsEmpty()) Backend().AreaChanged(target.window, shown);
}

bool CanDraw(const SBitmapInfoHeader* header, const void* bits, uint32_t usage, uint32_t rop) {
  if (!header || !bits || header->size < sizeof(SBitmapInfoHeader) || header->planes != 1 ||
      header->compression != kBiRgb || header->width <= 0 || header->height == 0 || usage != kDibRgbColors ||
      rop != kSrcCopy)
    return false;
  return header->bitCount == kTrueColour || (header->bitCount == kIndexed && header->colorsUsed == 0);
}

// The surface colour of pixel `column` of a row.
uint32_t PixelOf(const SBitmapInfoHeader* header, const uint8_t* line, int64_t column) {
  if (header->bitCount == kIndexed) {
    const SRgbQuad& c = reinterpret_cast<const SBitmapInfo*>(header)->colors[line[column]];
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
  }
  // Blue, green, red and a byte the surface has no place for.
  const uint8_t* p = line + column * 4;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

int32_t Refuse() {
  SetLastError(kWinInvalidParameter);
  return 0;
}

}  // namespace

DeviceContext* GetDC(WindowHandle window) {
  if (!window) {
    auto* dc = new DeviceContext;
    dc->screen = true;
    return dc;
  }
  SWindow* w = FindLiveWindow(window);
  if (!w) return nullptr;
  if ((w->classStyle & kCsOwnDc) && w->ownDc) return w->ownDc;
  auto* dc = new DeviceContext;
  dc->window = window;
  if (w->classStyle & kCsOwnDc) {
    dc->own = true;
    w->ownDc = dc;
  }
  return dc;
}

DeviceContext* CreateSurfaceDC(Surface* surface) {
  if (!surface) return nullptr;
  auto* dc = new DeviceContext;
  dc->surface = surface;
  return dc;
}

void ReleaseDC(DeviceContext* dc) {
  // A memory context is DeleteDC's.
  if (dc && !dc->own && !dc->stock) delete dc;
}

// ---- memory contexts and bitmaps

namespace {

constexpr int32_t kMaxBitmapSide = 16384;

SBitmap* NewBitmap(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide) return nullptr;
  auto* bitmap = new SBitmap;
  bitmap->surface.Resize(width, height);
  return bitmap;
}

void Hold(DeviceContext* dc, SBitmap* bitmap) {
  dc->bitmap = bitmap;
  dc->surface = &bitmap->surface;
  bitmap->holder = dc;
}

}  // namespace

DeviceContext* CreateCompatibleDC(DeviceContext*) {
  auto* dc = new DeviceContext;
  dc->stock = NewBitmap(1, 1);
  Hold(dc, dc->stock);
  return dc;
}

BitmapHandle CreateCompatibleBitmap(DeviceContext*, int32_t width, int32_t height) { return NewBitmap(width, height); }

BitmapHandle SelectObject(DeviceContext* dc, BitmapHandle bitmap) {
  if (!dc || !dc->stock || !bitmap || (bitmap->holder && bitmap->holder != dc)) return nullptr;
  SBitmap* previous = dc->bitmap;
  previous->holder = nullptr;
  Hold(dc, bitmap);
  return previous;
}

bool DeleteDC(DeviceContext* dc) {
  if (!dc || !dc->stock) return false;
  dc->bitmap->holder = nullptr;
  delete dc->stock;
  delete dc;
  return true;
}

bool DeleteObject(BitmapHandle bitmap) {
  if (!bitmap || bitmap->holder) return false;
  delete bitmap;
  return true;
}

bool BitBlt(DeviceContext* destination, int32_t x, int32_t y, int32_t width, int32_t height, DeviceContext* source,
            int32_t xSrc, int32_t ySrc, uint32_t rop) {
  if (rop != kSrcCopy || !source) return false;
  if (width <= 0 || height <= 0) return true;
  if (source->screen) Backend().RefreshScreen({xSrc, ySrc, xSrc + width, ySrc + height});
  STarget from, to;
  if (!Resolve(source, &from) || !Resolve(destination, &to)) return false;
  // Through a copy, so that a context may copy onto itself.
  Surface pixels(width, height);
  const int64_t left = int64_t(from.originX) + xSrc, top = int64_t(from.originY) + ySrc;
  for (int32_t row = 0; row < height; ++row) {
    const int64_t sy = top + row;
    if (sy < from.area.top || sy >= from.area.bottom) continue;
    for (int32_t column = 0; column < width; ++column) {
      const int64_t sx = left + column;
      if (sx >= from.area.left && sx < from.area.right) pixels.Row(row)[column] = from.surface->Row(int32_t(sy))[sx];
    }
  }
  const SWinRect placed{to.originX + x, to.originY + y, to.originX + x + width, to.originY + y + height};
  for (const SWinRect& clip : to.clipSet.Rects()) {
    const SWinRect r = Intersection(placed, clip);
    for (int32_t yy = r.top; yy < r.bottom; ++yy) {
      const uint32_t* in = pixels.Row(yy - placed.top) + (r.left - placed.left);
      std::copy(in, in + std::max(r.Width(), 0), to.surface->Row(yy) + r.left);
    }
  }
  Changed(to, placed);
  return true;
}

int32_t GetDIBits(DeviceContext*, BitmapHandle bitmap, uint32_t startRow, uint32_t rows, void* bits,
                  const SBitmapInfoHeader* header, uint32_t usage) {
  if (!bitmap || !bits || !header || header->bitCount != 32 || header->compression != kBiRgb ||
      usage != kDibRgbColors || header->width <= 0 || header->height == 0)
    return Refuse();
  const Surface& s = bitmap->surface;
  const int64_t blockRows = std::llabs(int64_t(header->height));
  const bool topDown = header->height < 0;
  const int64_t available = std::min<int64_t>(s.Height(), blockRows) - int64_t(startRow);
  const int64_t count = std::clamp<int64_t>(int64_t(rows), 0, std::max<int64_t>(available, 0));
  const int32_t columns = std::min(header->width, s.Width());
  auto* out = static_cast<uint8_t*>(bits);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t fromTop = topDown ? int64_t(startRow) + i : s.Height() - 1 - (int64_t(startRow) + i);
    if (fromTop < 0) break;
    const uint32_t* in = s.Row(int32_t(fromTop));
    uint8_t* line = out + i * int64_t(header->width) * 4;
    for (int32_t x = 0; x < columns; ++x) {
      line[4 * x] = uint8_t(in[x]);
      line[4 * x + 1] = uint8_t(in[x] >> 8);
      line[4 * x + 2] = uint8_t(in[x] >> 16);
      line[4 * x + 3] = 0;
    }
  }
  return int32_t(count);
}

DeviceContext* BeginPaintContext(SWindow* w, const RectSet& area) {
  DeviceContext* dc = GetDC(w);
  if (!dc) return nullptr;
  dc->paintSavedClipped = dc->clipped;
  dc->paintSavedClip = dc->clip;
  dc->clipped = true;
  dc->clip = area;
  return dc;
}

void EndPaintContext(DeviceContext* dc) {
  if (!dc) return;
  if (!dc->own) {
    delete dc;
    return;
  }
  dc->clipped = dc->paintSavedClipped;
  dc->clip = dc->paintSavedClip;
}

void DestroyOwnDC(SWindow* w) {
  delete w->ownDc;
  w->ownDc = nullptr;
}

RegionHandle CreateRectRgn(const SWinRect& rect) {
  auto* region = new SRegion;
  region->area.Add(rect);
  return region;
}

bool DeleteRgn(RegionHandle region) {
  delete region;
  return region != nullptr;
}

namespace {

int32_t KindOf(const RectSet& area) {
  if (area.IsEmpty()) return kNullRegion;
  return area.Rects().size() == 1 ? kSimpleRegion : kComplexRegion;
}

}  // namespace

int32_t CombineRgn(RegionHandle destination, RegionHandle a, RegionHandle b, int32_t mode) {
  if (!destination || !a || (mode != kRgnCopy && !b)) return kRegionError;
  RectSet result = a->area;
  switch (mode) {
    case kRgnAnd: result.Intersect(b->area); break;
    case kRgnOr: result.Add(b->area); break;
    case kRgnDiff: result.Subtract(b->area); break;
    case kRgnCopy: break;
    default: return kRegionError;
  }
  destination->area = result;
  return KindOf(result);
}

int32_t GetRgnBox(RegionHandle region, SWinRect* box) {
  if (!region) return kRegionError;
  *box = region->area.Box();
  return KindOf(region->area);
}

bool PtInRegion(RegionHandle region, int32_t x, int32_t y) { return region && region->area.Contains({x, y}); }

int32_t SelectClipRgn(DeviceContext* dc, RegionHandle region) {
  if (!dc) return kRegionError;
  dc->clipped = region != nullptr;
  dc->clip = region ? region->area : RectSet();
  return region ? KindOf(dc->clip) : kSimpleRegion;
}

int32_t GetClipBox(DeviceContext* dc, SWinRect* box) {
  STarget target;
  if (!Resolve(dc, &target)) return kRegionError;
  const SWinRect& c = target.clip;
  *box = {c.left - target.originX, c.top - target.originY, c.right - target.originX, c.bottom - target.originY};
  return KindOf(target.clipSet);
}

uint32_t SetBkColor(DeviceContext* dc, uint32_t color) {
  if (!dc) return 0;
  const uint32_t previous = dc->bkColor;
  dc->bkColor = color & 0xFFFFFF;
  return previous;
}

uint32_t GetBkColor(DeviceContext* dc) { return dc ? dc->bkColor : 0; }

bool ExtTextOut(DeviceContext* dc, int32_t, int32_t, uint32_t options, const SWinRect* rect, const char*,
                uint32_t count) {
  STarget target;
  if (count > 0 || !Resolve(dc, &target)) return false;
  if (!(options & kEtoOpaque) || !rect) return true;
  const SWinRect area{rect->left + target.originX, rect->top + target.originY, rect->right + target.originX,
                      rect->bottom + target.originY};
  for (const SWinRect& clip : target.clipSet.Rects()) {
    const SWinRect r = Intersection(area, clip);
    target.surface->Fill(r.left, r.top, r.right, r.bottom, dc->bkColor);
  }
  Changed(target, area);
  return true;
}

int32_t StretchDIBits(DeviceContext* dc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight,
                      int32_t xSrc, int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits,
                      const SBitmapInfoHeader* header, uint32_t usage, uint32_t rop) {
  STarget target;
  if (!CanDraw(header, bits, usage, rop) || !Resolve(dc, &target)) return Refuse();
  if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return 0;
  const int64_t columns = header->width;
  const int64_t rows = std::llabs(int64_t(header->height));
  const bool topDown = header->height < 0;
  const int64_t rowBytes = (columns * header->bitCount + 31) / 32 * 4;
  // The source rectangle's top row in top-down picture rows.
  const int64_t firstRow = topDown ? ySrc : rows - int64_t(ySrc) - srcHeight;
  const auto* pixels = static_cast<const uint8_t*>(bits);
  const int64_t left = int64_t(target.originX) + xDest, top = int64_t(target.originY) + yDest;
  for (const SWinRect& clip : target.clipSet.Rects()) {
    for (int64_t y = std::max<int64_t>(top, clip.top); y < std::min<int64_t>(top + destHeight, clip.bottom); ++y) {
      const int64_t row = firstRow + (y - top) * srcHeight / destHeight;
      if (row < 0 || row >= rows) continue;
      const uint8_t* line = pixels + (topDown ? row : rows - 1 - row) * rowBytes;
      uint32_t* out = target.surface->Row(int32_t(y));
      for (int64_t x = std::max<int64_t>(left, clip.left); x < std::min<int64_t>(left + destWidth, clip.right); ++x) {
        const int64_t column = xSrc + (x - left) * srcWidth / destWidth;
        if (column >= 0 && column < columns) out[x] = PixelOf(header, line, column);
      }
    }
  }
  Changed(target, {int32_t(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX)),
                   int32_t(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX)),
                   int32_t(std::clamp<int64_t>(left + destWidth, INT32_MIN, INT32_MAX)),
                   int32_t(std::clamp<int64_t>(top + destHeight, INT32_MIN, INT32_MAX))});
  return srcHeight;
}

bool GdiFlush() { return true; }

}  // namespace platform
