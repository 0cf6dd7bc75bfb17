// The document window's painting: its margins around the view, the shown image inside "doc image",
// the rendered-image view with its zoom levels, and the hooks of the family chiclet and "patch render".
#include <algorithm>
#include <cmath>

#include "app/doc_window.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_key.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/geometry.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/gdi.h"

namespace {

// The parts of the "patch render" picture, stacked from its top: 20 pixels, then 14, then the rest.
constexpr int32_t kPatchPartEnds[] = {20, 34};
constexpr uint32_t kPatchBorderColour = 0xFF787878;
// The family chiclet's colour square: rows and columns 3 to 10 of its picture.
constexpr int32_t kSwatchFirst = 3;
constexpr int32_t kSwatchLast = 10;
// The drop shadow pieces beside "patch render": right edge, bottom edge.
constexpr uint32_t kRightShadow = 3;
constexpr uint32_t kBottomShadow = 4;

platform::SWinRect ToWin(const SRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The four bands of outer around inner, in the order top, bottom, left, right.
void BandsAround(const SRect& outer, const SRect& inner, SRect out[4]) {
  out[0] = {outer.top, outer.left, inner.top, outer.right};
  out[1] = {inner.bottom, outer.left, outer.bottom, outer.right};
  out[2] = {inner.top, outer.left, inner.bottom, inner.left};
  out[3] = {inner.top, inner.right, inner.bottom, outer.right};
}

void FillColour(platform::DeviceContext* dc, const SRect& area, uint32_t colour) {
  if (IsEmptyRect(area)) return;
  const uint32_t previous = platform::SetBkColor(dc, colour & 0xFFFFFF);
  const platform::SWinRect r = ToWin(area);
  platform::ExtTextOut(dc, 0, 0, platform::kEtoOpaque, &r, nullptr, 0);
  platform::SetBkColor(dc, previous);
}

// Zoom level n: 1 at 0, 2|n| below, 1 / 2n above.
double ZoomFactor(int32_t level) {
  if (level < 0) return 2.0 * -level;
  if (level > 0) return 1.0 / (2.0 * level);
  return 1.0;
}

// One axis of the visible part: the extent kept round the old centre, within 0 … size.
void RecentreAxis(int32_t& low, int32_t& high, int32_t extent, int32_t size) {
  low = int32_t(std::lround(low + (high - low) * 0.5 - extent * 0.5));
  low = std::max(low, 0);
  high = low + extent;
  if (high > size) {
    high = size;
    low = size - extent;
  }
  low = std::max(low, 0);
  high = std::min(high, size);
}

}  // namespace

void CDocWindow::FrameWith(platform::DeviceContext* dc, const SRect& r, int32_t stockBrush, const SRect* limit) {
  platform::GdiObject brush = platform::GetStockObject(stockBrush);
  SRect edges[4];
  BandsAround(r, GrownRect(r, -1), edges);
  for (SRect edge : edges) {
    if (limit) edge = SectRect(edge, *limit);
    if (!IsEmptyRect(edge)) platform::FillRect(dc, ToWin(edge), brush);
  }
}

uint32_t CDocWindow::PatchRenderPart(int32_t below) {
  uint32_t part = 0;
  while (part < std::size(kPatchPartEnds) && below >= kPatchPartEnds[part]) ++part;
  return part;
}

SRect CDocWindow::DocImageRect() const {
  if (!fDocImage) return {};
  const SRect& own = fDocImage->GetRect();
  SRect rect;
  fDocImage->LocalToAncestorRect(&rect, SRect{0, 0, RectHeight(own), RectWidth(own)}, GetRoot());
  return rect;
}

// ---- the canvas's drawing

bool CDocWindow::FillRect(const SRect*) { return true; }

void CDocWindow::FillCanvasBands(platform::DeviceContext* dc, const SRect& client) {
  SRect bands[4];
  BandsAround(client, fViewRect, bands);
  for (const SRect& band : bands) {
    if (!IsEmptyRect(band)) FillWithColor(dc, band);
  }
}

int32_t CDocWindow::OnEraseBackground(SWinEvent& event) {
  platform::SWinRect client;
  platform::GetClientRect(GetWindow(), &client);
  if (!(fFlags & kViewIsCanvas))
    FillCanvasBands(reinterpret_cast<platform::DeviceContext*>(event.wParam),
                    {client.top, client.left, client.bottom, client.right});
  event.result = 1;
  return 1;
}

bool CDocWindow::Redraw(const SRect*) {
  if (IsShown()) Draw();
  return true;
}

void CDocWindow::Draw() {
  platform::DeviceContext* dc = GetDeviceContext();
  const SRect element = DocImageRect();
  const bool wireframe = fMode & kWireframeShown;
  const SRect source = wireframe ? SRect{0, 0, RectHeight(element), RectWidth(element)} : fVisiblePart;
  const SRect frame = GrownRect(element, 1);
  const SRect& canvas = GetBounds();
  if (fViewRect.left < element.left || fViewRect.top < element.top) {
    SRect margins[4];
    BandsAround(fFlags & kViewIsCanvas ? canvas : fViewRect, frame, margins);
    for (const SRect& margin : margins) FillColour(dc, margin, fMarginColour.value);
    FrameWith(dc, frame, platform::kBlackBrush);
  }
  if (!(fFlags & kViewIsCanvas)) FillCanvasBands(dc, canvas);
  if (wireframe) {
    if (fWindowImage) fWindowImage->Draw(dc, source, element);
  } else {
    DrawRenderedImage(dc, source, element);
  }
  ForgetHoverFrames();
  if ((fMode & kRenderedShown) && fPatchRender && fPatchRender->IsShown()) DrawPatchRender(dc);
}

void CDocWindow::DrawPatchRender(platform::DeviceContext* dc) {
  CIxImage* pictures = GetPatchRenderPictures();
  CImage* picture = pictures ? pictures->CurrentImage() : nullptr;
  if (!fPatchRender || !picture || !dc) return;
  SRect place;
  const SPointHV at = fPatchRender->GetImagePosition();
  fPatchRender->LocalToAncestorRect(
      &place, {at.v, at.h, at.v + int32_t(picture->GetHeight()), at.h + int32_t(picture->GetWidth())}, GetRoot());
  picture->Draw(dc, picture->GetBounds(), place);
  const SRect frame = GrownRect(place, 1);
  FrameWith(dc, frame, platform::kBlackBrush);
  // The shadow pieces along the right and bottom edges, where the canvas has room for them.
  const SRect& canvas = GetBounds();
  if (CImage* right = GetShadowImage(kRightShadow)) {
    const SRect strip{frame.top + 1, frame.right, frame.bottom, frame.right + int32_t(right->GetWidth())};
    if (strip.right <= canvas.right) right->Draw(dc, right->GetBounds(), strip);
  }
  if (CImage* bottom = GetShadowImage(kBottomShadow)) {
    const SRect strip{frame.bottom, frame.left + 1, frame.bottom + int32_t(bottom->GetHeight()), frame.right};
    if (strip.bottom <= canvas.bottom) bottom->Draw(dc, bottom->GetBounds(), strip);
  }
}

// ---- the two images

void CDocWindow::SetRenderedBackdrop(bool on) {
  if (on) fMode |= kRenderedBackdrop;
  else fMode &= ~kRenderedBackdrop;
}

int32_t CDocWindow::ToggleRenderedImage() {
  if (fMode & kRenderedShown) {
    fMode = (fMode & ~kRenderedShown) | kWireframeShown;
    LayoutOverlayButtons();
    PlaceImageElement(false);
  } else {
    fMode = (fMode & ~kWireframeShown) | kRenderedShown;
    for (CImElement* button : fOverlayButtons) {
      if (button) button->Hide(false);
    }
    fZoomLevel = 1;
    Zoom(true, false);
  }
  CLayoutHostCanvas::Invalidate(nullptr);
  fInfoShown = 0;
  return kHandled;
}

void CDocWindow::PlaceImageElement(bool fit) {
  if (!fDocImage) return;
  const SPointHV view{RectWidth(fViewRect), RectHeight(fViewRect)};
  SPointHV size = fMode & kWireframeShown ? GetWindowImageSize() : fShownSize;
  if (fMode & kRenderedShown) size = {std::min(size.h, view.h), std::min(size.v, view.v)};
  if (fit && (fFlags & kViewIsCanvas) && (fMode & kRenderedShown)) {
    const SPointHV image = GetRenderImageSize();
    if (view.h > fShownSize.h) {
      fVisiblePart.left = 0;
      fVisiblePart.right = image.h;
    }
    if (view.v > fShownSize.v) {
      fVisiblePart.top = 0;
      fVisiblePart.bottom = image.v;
    }
  }
  const int32_t left = fViewRect.left + (view.h > size.h ? view.h / 2 - size.h / 2 : 0);
  const int32_t top = fViewRect.top + (view.v > size.v ? view.v / 2 - size.v / 2 : 0);
  fDocImage->SetRect({top, left, top + size.v, left + size.h}, false);
}

int32_t CDocWindow::ZoomRenderedImage(bool zoomIn, bool reset) {
  const int32_t level =
      reset ? 0 : std::clamp(fZoomLevel + (zoomIn ? -1 : 1), kMinZoomLevel, kMaxZoomLevel);
  if (level == fZoomLevel) return kHandled;
  const double factor = ZoomFactor(level);
  const SPointHV image = GetRenderImageSize();
  const SPointHV shown{int32_t(std::lround(image.h * factor)), int32_t(std::lround(image.v * factor))};
  // Reductions stop at 80 pixels; the image's own size is always shown, however small.
  if (factor < 1 && (shown.h < kMinShownSide || shown.v < kMinShownSide)) return kHandled;
  const SPointHV view{RectWidth(fViewRect), RectHeight(fViewRect)};
  if (shown.h <= view.h && shown.v <= view.v) {
    fVisiblePart = {0, 0, image.v, image.h};
  } else {
    const int32_t extentH = int32_t(std::lround(std::min(shown.h, view.h) / factor));
    const int32_t extentV = int32_t(std::lround(std::min(shown.v, view.v) / factor));
    RecentreAxis(fVisiblePart.left, fVisiblePart.right, std::min(extentH, image.h), image.h);
    RecentreAxis(fVisiblePart.top, fVisiblePart.bottom, std::min(extentV, image.v), image.v);
  }
  fShownSize = shown;
  fZoomLevel = level;
  if (fPatchRender) fPatchRender->Hide(false);
  CLayoutHostCanvas::Invalidate(nullptr);
  PlaceImageElement(false);
  return kHandled;
}

int32_t CDocWindow::LoadBackdrop(CResourceEnv* environment, const SSpoolKey& key) {
  CImage* picture = nullptr;
  if (const int32_t err = ReadStoredImage(environment, key, &picture)) return err;
  fView.SetBackgroundImage(picture);
  delete picture;
  return kNoErr;
}

int32_t CDocWindow::LoadBackdrop(uint32_t picture) {
  SSpoolKey key;
  key.Set(kImageType, picture, false);
  return LoadBackdrop(GetResourceEnvironment(), key);
}

void CDocWindow::ShowPlopRender() {
  if (fPatchRender) fPatchRender->Show(true);
}

void CDocWindow::RepaintWindow() { Redraw(static_cast<const SRect*>(nullptr)); }

// ---- element hooks

int32_t CDocWindow::PaintFamilyChiclet(CElement* element, uint32_t, CImage*) {
  auto* chiclet = dynamic_cast<CImElement*>(element);
  CImage* picture = chiclet ? chiclet->GetImage() : nullptr;
  if (!picture) return kErrGeneric;
  const SRect whole = picture->GetBounds();
  CImNavigator pixels(picture, &whole, true, false);
  if (!pixels.IsUsable()) return kErrGeneric;
  const uint32_t colour = chiclet->GetFillColor().value & 0xFFFFFF;
  const int32_t last = std::min({kSwatchLast, int32_t(picture->GetWidth()) - 1, int32_t(picture->GetHeight()) - 1});
  for (int32_t row = kSwatchFirst; row <= last; ++row) {
    CImVector* cells = pixels.Cells(uint32_t(row));
    for (int32_t column = kSwatchFirst; column <= last; ++column)
      cells[column].value = (cells[column].value & 0xFF000000) | colour;
  }
  return kNoErr;
}

int32_t CDocWindow::OnPatchRenderClick(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  auto* patch = dynamic_cast<CImElement*>(element);
  CIxImage* pictures = patch ? patch->GetImageList() : nullptr;
  CImage* picture = pictures ? pictures->CurrentImage() : nullptr;
  if (!picture) return kNoErr;
  const SPointHV at = patch->GetImagePosition();
  const int32_t h = point.h - at.h, v = point.v - at.v;
  if (h < 0 || v < 0 || h >= int32_t(picture->GetWidth()) || v >= int32_t(picture->GetHeight())) return kNoErr;
  *handled = element;
  const uint32_t part = PatchRenderPart(v);
  patch->SelectEntry(part, false, false, true);
  CUIMessage message;
  message.InitWithPoints(0, element, {int32_t(part), 0}, point, 0);
  return element->SendMessageUp(&message, element);
}

int32_t CDocWindow::PaintPatchRender(CElement* element, uint32_t, CImage* port) {
  auto* patch = dynamic_cast<CImElement*>(element);
  CIxImage* pictures = patch ? patch->GetImageList() : nullptr;
  CImage* picture = pictures ? pictures->CurrentImage() : nullptr;
  if (!picture || !port) return kErrOutOfMemory;
  const SPointHV at = patch->GetImagePosition();
  const SRect place{at.v, at.h, at.v + int32_t(picture->GetHeight()), at.h + int32_t(picture->GetWidth())};
  SRect local;
  patch->GetLocalRect(&local);
  SRect border[4];
  BandsAround(GrownRect(place, 1), place, border);
  for (const SRect& edge : border) {
    const SRect area = SectRect(edge, local);
    if (IsEmptyRect(area)) continue;
    CSgAcSaver clip(port, area);
    if (!port->Fill(kPatchBorderColour)) return kErrOutOfMemory;
  }
  CSgAcSaver clip(port, SectRect(place, local));
  CSgStSaver placed(picture, at.h, at.v, true);
  return port->CopyFrom(picture) ? kNoErr : kErrOutOfMemory;
}
