#include "framework/ui/of_canvas.h"

namespace {

platform::SWinRect ToPlatform(const SRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The area clipped to a region selected into the context; false when the region cannot be made.
bool ClipTo(platform::DeviceContext* dc, const SRect& area) {
  platform::RegionHandle region = platform::CreateRectRgn(ToPlatform(area));
  if (!region) return false;
  const int32_t kind = platform::SelectClipRgn(dc, region);
  platform::DeleteRgn(region);
  return kind != platform::kRegionError;
}

}  // namespace

COfCanvas::COfCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority)
    : CCanvas(frame, visible, style, color, priority) {
  if (!IsRegistered()) return;
  fMemoryDC = platform::CreateCompatibleDC(fDeviceContext);
  fReady = fMemoryDC ? 1 : 0;
}

COfCanvas::~COfCanvas() {
  if (IsRegistered() && fReady) {
    if (fBitmap) platform::DeleteObject(fBitmap);
    if (fMemoryDC) platform::DeleteDC(fMemoryDC);
    fBitmap = nullptr;
    fMemoryDC = nullptr;
    fReady = 0;
  }
}

COfCanvas::EBitmap COfCanvas::PrepareBitmap() {
  if (fBitmap) {
    platform::SBitmapSize size;
    if (!platform::GetBitmapSize(fBitmap, &size)) return EBitmap::kFailed;
    if (size.width == RectWidth(fBounds) && size.height == RectHeight(fBounds)) return EBitmap::kReady;
    platform::DeleteObject(fBitmap);
    fBitmap = nullptr;
  }
  fBitmap = platform::CreateDiscardableBitmap(fDeviceContext, RectWidth(fBounds), RectHeight(fBounds));
  return fBitmap ? EBitmap::kMade : EBitmap::kFailed;
}

bool COfCanvas::HasBitmap() {
  if (!fReady || !fBitmap) return false;
  platform::GdiObject previous = platform::SelectObject(fMemoryDC, fBitmap);
  if (!previous) return false;
  platform::SelectObject(fMemoryDC, previous);
  return true;
}

bool COfCanvas::DrawOffscreen(uint32_t mode, const SRect* rect, bool copy) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  if (!fReady || PrepareBitmap() != EBitmap::kReady) return false;
  if (!ClipTo(fMemoryDC, area)) return false;
  platform::GdiObject previous = platform::SelectObject(fMemoryDC, fBitmap);
  if (!previous) return false;
  platform::DeviceContext* window = fDeviceContext;
  fDeviceContext = fMemoryDC;
  Draw(mode, area);
  fDeviceContext = window;
  if (copy) {
    platform::BitBlt(window, area.left, area.top, RectWidth(area), RectHeight(area), fMemoryDC, area.left, area.top,
                     platform::kSrcCopy);
  }
  platform::SelectObject(fMemoryDC, previous);
  return true;
}

// The window's context keeps no clip of this drawing afterwards: a later copy from the bitmap would
// otherwise reach only the area drawn here.
bool COfCanvas::DrawDirectly(uint32_t mode, const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return false;
  const bool clipped = ClipTo(fDeviceContext, area);
  Draw(mode, area);
  if (clipped) platform::SelectClipRgn(fDeviceContext, nullptr);
  return false;
}

bool COfCanvas::DrawBuffered(uint32_t mode, const SRect* rect) { return DrawOffscreen(mode, rect, true); }

bool COfCanvas::RenderOffscreen(const SRect* rect) { return DrawOffscreen(kDrawContent, rect, false); }

bool COfCanvas::EraseOffscreen(const SRect* rect) { return DrawOffscreen(kDrawBackground, rect, false); }

bool COfCanvas::BlitOffscreen(const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  if (!fReady || PrepareBitmap() != EBitmap::kReady) return false;
  platform::GdiObject previous = platform::SelectObject(fMemoryDC, fBitmap);
  if (!previous) return false;
  platform::BitBlt(fDeviceContext, area.left, area.top, RectWidth(area), RectHeight(area), fMemoryDC, area.left,
                   area.top, platform::kSrcCopy);
  platform::SelectObject(fMemoryDC, previous);
  return true;
}

bool COfCanvas::Redraw(const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  return DrawBuffered(kDrawContent, rect) || DrawDirectly(kDrawContent, rect);
}

bool COfCanvas::FillRect(const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  return DrawBuffered(kDrawBackground, rect) || DrawDirectly(kDrawBackground, rect);
}
