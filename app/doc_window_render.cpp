// Rendering into the document window: the render region into the rendered image through the window's
// own render context, whose progressive state carries an interrupted render over to the next slice;
// the bands drawn as they finish; the report after a complete render; and the tint that marks the
// rendered region on screen.
#include <algorithm>

#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "document/doc_settings.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_key.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "framework/ui/geometry.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/device_context.h"
#include "platform/system.h"
#include "render/render_driver.h"
#include "render/render_pixels.h"
#include "render/render_settings.h"
#include "scene/sky.h"

namespace {

constexpr uint32_t kTintFlag = 1;

// The band drawing of a render stays inside the rectangle; the clip goes again with the scope.
class CDrawingLimit {
 public:
  CDrawingLimit(platform::DeviceContext* dc, const SRect& rect) : fDc(dc) {
    if (!fDc) return;
    platform::RegionHandle region = platform::CreateRectRgn({rect.left, rect.top, rect.right, rect.bottom});
    if (!region) return;
    platform::SelectClipRgn(fDc, region);
    platform::DeleteRgn(region);
  }
  ~CDrawingLimit() {
    if (fDc) platform::SelectClipRgn(fDc, nullptr);
  }
  CDrawingLimit(const CDrawingLimit&) = delete;
  CDrawingLimit& operator=(const CDrawingLimit&) = delete;

 private:
  platform::DeviceContext* fDc;
};

}  // namespace

int32_t CDocWindow::RenderSlice() {
  LayoutOverlayButtons();
  int32_t result = kNoErr;
  uint64_t area = 0;
  const bool rendered = fRenderRequest & kRenderNow;
  if (rendered) {
    ++fRenderDepth;
    result = RenderRegion(&area);
    --fRenderDepth;
  }
  if (fRenderRequest & kRenderDrawAll) {
    if (platform::DeviceContext* dc = GetDeviceContext()) {
      const SRect element = DocImageRect();
      CDrawingLimit limit(dc, element);
      DrawRenderedImage(dc, fVisiblePart, element);
    }
  }
  // Also after a failure: the next heartbeat neither retries nor reports it again.
  fRenderRequest = 0;
  CRenderStats& stats = fRender.fContext.GetStats();
  if (!rendered || result != kNoErr || !fRender.fReportWanted || stats.fPixels != area) return result;
  platform::Beep();
  fRender.fStats = stats;
  LayoutView();
  CRenderReportHook& report = fRender.Report();
  if (report.Open() == kNoErr) report.Fill(fTitle, &fRender.fStats);
  // One render, one report.
  stats.fPixels = 0;
  return result;
}

int32_t CDocWindow::RenderRegion(uint64_t* area) {
  *area = 0;
  SetFlags(kUnsavedChanges);
  CBusyCursor busy;
  CImage* image = fRenderedImage;
  if (!image || !fScene || !fCurrentCamera) return kErrOutOfMemory;
  // Orthographic views render without haze and fog.
  if (fSky) {
    CHolder sky(fSky, true, false);
    if (!sky.IsLocked()) return kErrOutOfMemory;
    SSkySettings& settings = fSky->GetSettings();
    if (fCurrentCamera != fViewCameras[kPerspective]) settings.flags |= C3dSky::kAtmosphereOff;
    else settings.flags &= ~C3dSky::kAtmosphereOff;
  }
  if (CAppl* app = GetApplication()) {
    while (app->IsMouseDown()) {
    }
  }
  const SPointHV size = GetRenderImageSize();
  SRect region = GetRenderRegion();
  region.left = std::max(region.left, 0);
  region.top = std::max(region.top, 0);
  region.right = std::min(region.right, size.h);
  region.bottom = std::min(region.bottom, size.v);
  SetRenderRegion(region);
  *area = RectArea(ClippedRect(region, image->GetBounds()));
  fHoldsPicture = true;

  SRect limit = DocImageRect();
  if (fPatchRender && fPatchRender->IsShown()) {
    SRect local;
    fPatchRender->GetLocalRect(&local);
    fPatchRender->LocalToAncestorRect(&limit, local, GetRoot());
  }
  // The pixels change under the tint; it comes back when the render ends.
  ForgetTint();
  SRenderRequest request;
  request.scene = fScene.get();
  request.camera = fCurrentCamera;
  request.sky = fSky;
  request.image = image;
  request.area = region;
  request.settings = &fRender.fSettings;
  AntialiasForChoice(fRender.fAntialiasChoice, request.antialiasMode, request.grid);
  request.optimizerChoice = fRender.fOptimizerChoice;
  platform::DeviceContext* dc = IsShown() ? GetDeviceContext() : nullptr;
  request.draw = dc != nullptr;
  request.port = dc;
  request.viewFrom = fVisiblePart;
  request.viewTo = DocImageRect();
  int32_t result = kNoErr;
  {
    CProgress progress(1);
    request.progress = &progress;
    CDrawingLimit drawing(dc, limit);
    result = RenderSceneImage(fRender.fContext, request);
  }
  // A failed preparation leaves the image as it was: nothing to mark or show.
  if (result == kErrOutOfMemory || result == kErrInvalidParameter) return result;
  TintRenderRegion(image, need::kRegionTint.number, kTintFlag, region);
  if (dc) {
    CDrawingLimit drawing(dc, DocImageRect());
    DrawRenderedImage(dc, fVisiblePart, DocImageRect());
  }
  return result;
}

// ---- the tint

void CDocWindow::TintRectangle(CImage* image, CImage* pattern, uint32_t flag, const SRect& rect) {
  if (!flag || !image || !pattern) return;
  const SRect area = SectRect(rect, image->GetBounds());
  if (IsEmptyRect(area)) return;
  CImNavigator pixels(image, nullptr, true, false);
  CImNavigator tiles(pattern, nullptr, false, false);
  const int32_t tileWidth = int32_t(pattern->GetWidth());
  const int32_t tileHeight = int32_t(pattern->GetHeight());
  if (!pixels.IsUsable() || !tiles.IsUsable() || tileWidth <= 0 || tileHeight <= 0) return;
  // A darker pattern lowers a channel by the rounded-up sixteenth: the difference is shifted as an
  // unsigned word and only its low byte added.
  auto toward = [](uint32_t own, uint32_t target) { return (own + (((target - own) >> 4) & 0xFF)) & 0xFF; };
  for (int32_t y = area.top; y < area.bottom; ++y) {
    CImVector* row = pixels.Cells(uint32_t(y));
    const CImVector* tileRow = tiles.Cells(uint32_t(y % tileHeight));
    const int32_t shift = (y / tileHeight) % 2 ? tileWidth / 2 : 0;
    for (int32_t x = area.left; x < area.right; ++x) {
      const CImVector p = row[x];
      const CImVector t = tileRow[(x + shift) % tileWidth];
      row[x].value = toward(p.Red(), t.Red()) << 16 | toward(p.Green(), t.Green()) << 8 | toward(p.Blue(), t.Blue());
    }
  }
}

int32_t CDocWindow::CreatePatternImage(uint32_t pattern) {
  if (fPatternImage) return kNoErr;
  SSpoolKey key;
  key.Set(kImageType, pattern, false);
  return ReadStoredImage(GetResourceEnvironment(), key, &fPatternImage);
}

// The rendered image keeps its pixels, whose top bytes the render loops read as pixel state: the
// region is remembered and tinted only where the view composes what it shows.
int32_t CDocWindow::TintRenderRegion(CImage* image, uint32_t pattern, uint32_t flag, const SRect& rect) {
  if (!image || !image->IsReady()) return kNoErr;
  if (const int32_t err = CreatePatternImage(pattern)) return err;
  fTintedRegion = flag ? rect : SRect();
  return kNoErr;
}

void CDocWindow::DrawRenderedImage(platform::DeviceContext* dc, const SRect& source, const SRect& destination) {
  CImage* image = fRenderedImage;
  if (!image || !dc) return;
  const SRect shown = SectRect(source, image->GetBounds());
  const SRect tinted = SectRect(fTintedRegion, shown);
  if (IsEmptyRect(tinted) || !fPatternImage) {
    image->Draw(dc, source, destination);
    return;
  }
  const int32_t width = RectWidth(shown), height = RectHeight(shown);
  if (!fShownImage || int32_t(fShownImage->GetWidth()) != width || int32_t(fShownImage->GetHeight()) != height) {
    delete fShownImage;
    fShownImage = NewImage({width, height});
  }
  bool composed = false;
  if (fShownImage) {
    CImNavigator from(image, nullptr, false, false);
    CImNavigator to(fShownImage, nullptr, true, false);
    composed = from.IsUsable() && to.IsUsable();
    for (int32_t y = 0; composed && y < height; ++y)
      std::copy_n(from.Cells(uint32_t(shown.top + y)) + shown.left, width, to.Cells(uint32_t(y)));
  }
  if (!composed) {
    image->Draw(dc, source, destination);
    return;
  }
  TintRectangle(fShownImage, fPatternImage, kTintFlag,
                {tinted.top - shown.top, tinted.left - shown.left, tinted.bottom - shown.top,
                 tinted.right - shown.left});
  fShownImage->Draw(dc, OffsetRect(shown, -shown.left, -shown.top), destination);
}
