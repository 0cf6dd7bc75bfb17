#include "platform/device_context.h"

#include <algorithm>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/window_backend.h"

namespace platform {

struct DeviceContext {
  WindowHandle window = nullptr;  // a window's client area, looked up again at every call
  Surface* surface = nullptr;     // or a surface of the caller's
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
  SWinRect clip;
};

bool Resolve(DeviceContext* dc, STarget* target) {
  if (!dc) return false;
  if (dc->surface) {
    target->surface = dc->surface;
    target->clip = {0, 0, dc->surface->Width(), dc->surface->Height()};
    return true;
  }
  SWindow* w = FindLiveWindow(dc->window);
  if (!w) return false;
  target->surface = &w->surface;
  target->window = w;
  target->originX = w->client.left;
  target->originY = w->client.top;
  target->clip = w->client;
  target->clip.right = std::min(target->clip.right, w->surface.Width());
  target->clip.bottom = std::min(target->clip.bottom, w->surface.Height());
  return true;
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
  if (!FindLiveWindow(window)) return nullptr;
  auto* dc = new DeviceContext;
  dc->window = window;
  return dc;
}

DeviceContext* CreateSurfaceDC(Surface* surface) {
  if (!surface) return nullptr;
  auto* dc = new DeviceContext;
  dc->surface = surface;
  return dc;
}

void ReleaseDC(DeviceContext* dc) { delete dc; }

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
  for (int64_t dy = 0; dy < destHeight; ++dy) {
    const int64_t y = int64_t(target.originY) + yDest + dy;
    if (y < target.clip.top || y >= target.clip.bottom) continue;
    const int64_t row = firstRow + dy * srcHeight / destHeight;
    if (row < 0 || row >= rows) continue;
    const uint8_t* line = pixels + (topDown ? row : rows - 1 - row) * rowBytes;
    uint32_t* out = target.surface->Row(int32_t(y));
    for (int64_t dx = 0; dx < destWidth; ++dx) {
      const int64_t x = int64_t(target.originX) + xDest + dx;
      const int64_t column = xSrc + dx * srcWidth / destWidth;
      if (x < target.clip.left || x >= target.clip.right || column < 0 || column >= columns) continue;
      out[x] = PixelOf(header, line, column);
    }
  }
  if (target.window) Backend().SurfaceChanged(target.window);
  return srcHeight;
}

bool GdiFlush() { return true; }

}  // namespace platform
