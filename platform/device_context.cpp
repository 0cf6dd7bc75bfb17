#include "platform/device_context.h"

#include <algorithm>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/dc_internal.h"
#include "platform/rect_set.h"
#include "platform/window_backend.h"

namespace platform {

struct SRegion {
  RectSet area;
};

namespace {

enum EDepth : uint16_t { kIndexed = 8, kPacked = 24, kTrueColour = 32 };

bool CanDraw(const SBitmapInfoHeader* header, const void* bits, uint32_t usage, uint32_t rop) {
  if (!header || !bits || header->size < sizeof(SBitmapInfoHeader) || header->planes != 1 ||
      header->compression != kBiRgb || header->width <= 0 || header->height == 0 || usage != kDibRgbColors ||
      rop != kSrcCopy)
    return false;
  return header->bitCount == kTrueColour || header->bitCount == kPacked ||
         (header->bitCount == kIndexed && header->colorsUsed == 0);
}

// The surface colour of pixel `column` of a row.
uint32_t PixelOf(const SBitmapInfoHeader* header, const uint8_t* line, int64_t column) {
  if (header->bitCount == kIndexed) {
    const SRgbQuad& c = reinterpret_cast<const SBitmapInfo*>(header)->colors[line[column]];
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
  }
  // Blue, green, red, and in 32-bit blocks a byte the surface has no place for.
  const uint8_t* p = line + column * (header->bitCount / 8);
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

int32_t Refuse() {
  SetLastError(kWinInvalidParameter);
  return 0;
}

}  // namespace

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
  // The stock bitmap every memory context starts with is shared: it reads black and takes nothing.
  if (dc->bitmap && dc->bitmap->stock) target->clip = {};
  target->clipSet = RectSet(target->clip);
  if (dc->clipped) {
    RectSet clip = dc->clip;
    clip.Offset(target->originX, target->originY);
    target->clipSet.Intersect(clip);
    target->clip = target->clipSet.Box();
  }
  return true;
}

void Changed(const STarget& target, const SWinRect& area) {
  const SWinRect shown = Intersection(area, target.clip);
  if (target.window && !shown.IsEmpty()) Backend().AreaChanged(target.window, shown);
}

SWinRect ToSurface(const STarget& target, const SWinRect& rect) {
  return {rect.left + target.originX, rect.top + target.originY, rect.right + target.originX,
          rect.bottom + target.originY};
}

DeviceContext* GetDC(WindowHandle window) {
  if (!window) {
    auto* dc = new DeviceContext;
    dc->screen = true;
    SelectDefaultObjects(dc);
    return dc;
  }
  SWindow* w = FindLiveWindow(window);
  if (!w) return nullptr;
  if ((w->classStyle & kCsOwnDc) && w->ownDc) return w->ownDc;
  auto* dc = new DeviceContext;
  dc->window = window;
  SelectDefaultObjects(dc);
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
  SelectDefaultObjects(dc);
  return dc;
}

void ReleaseDC(DeviceContext* dc) {
  if (!dc || dc->own || dc->memory || dc->printer) return;
  DeselectObjects(dc);
  delete dc;
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
    ReleaseDC(dc);
    return;
  }
  dc->clipped = dc->paintSavedClipped;
  dc->clip = dc->paintSavedClip;
}

void DestroyOwnDC(SWindow* w) {
  if (w->ownDc) DeselectObjects(w->ownDc);
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

bool ExtTextOut(DeviceContext* dc, int32_t x, int32_t y, uint32_t options, const SWinRect* rect, const char* text,
                uint32_t count) {
  STarget target;
  if (!Resolve(dc, &target)) return false;
  if ((options & kEtoOpaque) && rect) {
    const SWinRect area = ToSurface(target, *rect);
    for (const SWinRect& clip : target.clipSet.Rects()) {
      const SWinRect r = Intersection(area, clip);
      target.surface->Fill(r.left, r.top, r.right, r.bottom, dc->bkColor);
    }
    Changed(target, area);
  }
  if (count == 0) return true;
  if (!text) return false;
  return DrawTextAt(dc, x, y, text, count, (options & kEtoClipped) ? rect : nullptr);
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

bool GdiFlush() {
  Backend().Flush();
  return true;
}

}  // namespace platform
