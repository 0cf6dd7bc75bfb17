// The render buttons, the preview and texture switches, "plop render mode", the render options menu
// with its six size presets, and the document-size operation they resize through.
#include <cstring>
#include <iterator>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "framework/core/four_cc.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "render/render_settings.h"
#include "scene/camera.h"
#include "scene/sky.h"

namespace {

constexpr const char* kRenderAll = "render all button";
constexpr const char* kResumeRender = "resume render button";
constexpr const char* kClearAndRender = "clear & render button";
constexpr const char* kResetPalettes = "reset palettes";

// The camera's projection bits in its second flag word.
constexpr uint32_t kPerspectiveProjection = 0x4000;
constexpr uint32_t kPanoramaProjection = 0x10000;
constexpr uint32_t kSpecialModes =
    SRenderSettings::kMaskMode | SRenderSettings::kDepthMode | SRenderSettings::kAltitudeMode;
// "objinfochanged": the render settings changed.
constexpr uint32_t kRenderChanged = 4;

struct SSizePreset {
  uint32_t code;
  SPointHV size;
};
constexpr SSizePreset kSizePresets[] = {
    {FourCC("res0"), {480, 360}}, {FourCC("res1"), {320, 240}}, {FourCC("res2"), {640, 480}},
    {FourCC("res3"), {640, 386}}, {FourCC("res4"), {640, 346}}, {FourCC("res5"), {768, 512}},
};

bool Named(const CUIMessage& message, const char* name) {
  return message.elementName && std::strcmp(message.elementName, name) == 0;
}

}  // namespace

int32_t CDocWindow::HandleRenderButton(CUIMessage* message) {
  if (!message) return kNoErr;
  const bool all = Named(*message, kRenderAll);
  const bool restart = all || Named(*message, kClearAndRender);
  if (!restart && !Named(*message, kResumeRender)) return kNoErr;
  const bool wasWireframe = fMode & kWireframeShown;
  fMode |= kRenderedShown;
  if (wasWireframe) {
    fMode &= ~kWireframeShown;
    for (CImElement* button : fOverlayButtons) {
      if (button) button->Hide(false);
    }
    SetViewRect(fViewRect);
  }
  fRenderRequest |= kRenderNow;
  if (all) {
    if (fPatchRender) fPatchRender->Hide(true);
    const SPointHV size = GetRenderImageSize();
    SetRenderRegion({0, 0, size.v, size.h});
  }
  if (restart) fRender.fContext.ResetProgressive();
  return kHandled;
}

int32_t CDocWindow::SetPreviewMode(int32_t state) {
  if (state == 0) fRender.fSettings.fFlags &= ~SRenderSettings::kAdaptive;
  else if (state == 2) fRender.fSettings.fFlags |= SRenderSettings::kAdaptive;
  return kHandled;
}

int32_t CDocWindow::SetTexturesShown(int32_t state) {
  if (state == 0 || state == 2) {
    const bool shown = state == 0;
    if (shown) fRender.fSettings.fFlags |= SRenderSettings::kTextures;
    else fRender.fSettings.fFlags &= ~SRenderSettings::kTextures;
    if (fSky) {
      CHolder sky(fSky, true, false);
      if (!sky.IsLocked()) return kErrOutOfMemory;
      SSkySettings& settings = fSky->GetSettings();
      if (shown) settings.flags &= ~C3dSky::kFlatWithoutAtmosphere;
      else settings.flags |= C3dSky::kFlatWithoutAtmosphere;
    }
  }
  NotifyObjInfoChanged(kRenderChanged);
  return kHandled;
}

int32_t CDocWindow::HandlePlopRenderMode(CUIMessage*) {
  if (fPatchRender) {
    if (fPatchRender->IsShown()) fPatchRender->Hide(true);
    else fPatchRender->Show(true);
  }
  Redraw(static_cast<const SRect*>(nullptr));
  return kNoErr;
}

int32_t CDocWindow::HandleRenderOption(CUIMessage* message) {
  if (!message) return kNoErr;
  const uint32_t code = uint32_t(message->GetPayloadWord(0));
  uint32_t& options = fRender.fSettings.fFlags;
  // The projection of the main camera: a panorama, or the perspective every special mode renders in.
  auto project = [&](uint32_t modeBit, bool panorama) -> int32_t {
    options = (options & ~kSpecialModes) | modeBit;
    if (C3dCamera* camera = fViewCameras[kPerspective]) {
      CHolder lock(camera, true, false);
      if (!lock.IsLocked()) return kErrOutOfMemory;
      camera->SetStateFlags(kPanoramaProjection, panorama);
      camera->SetStateFlags(kPerspectiveProjection, !panorama);
    }
    const int32_t err = CacheCameraState();
    return err ? err : kHandled;
  };
  auto antialias = [&](uint32_t choice, bool pass) -> int32_t {
    fRender.fAntialiasChoice = choice;
    if (pass) options |= SRenderSettings::kAntialiasPass;
    else options &= ~SRenderSettings::kAntialiasPass;
    return kHandled;
  };
  auto optimizer = [&](uint32_t choice) -> int32_t {
    fRender.fOptimizerChoice = choice;
    options |= SRenderSettings::kOwnOptimizer;
    return kHandled;
  };
  switch (code) {
    case FourCC("pers"): return project(0, false);
    case FourCC("360p"): return project(0, true);
    case FourCC("mask"): return project(SRenderSettings::kMaskMode, false);
    case FourCC("dist"): return project(SRenderSettings::kDepthMode, false);
    case FourCC("alti"): return project(SRenderSettings::kAltitudeMode, false);
    case FourCC("anti"): return antialias(0, false);
    case FourCC("anl0"): return antialias(1, true);
    case FourCC("anl1"): return antialias(2, false);
    case FourCC("spop"): return optimizer(0);
    case FourCC("spo0"): return optimizer(1);
    case FourCC("spo1"): return optimizer(2);
    case FourCC("rprt"):
      fRender.fReportWanted = (message->GetDataWord() & 0xFF) == 1;
      return kNoErr;
    default: break;
  }
  for (const SSizePreset& preset : kSizePresets) {
    if (preset.code != code) continue;
    if (const int32_t err = RefreshViewImage(preset.size, preset.size)) return err;
    Invalidate(true);
    return kHandled;
  }
  return kNoErr;
}

// Both new images are made before either old one goes, so a failure leaves the document as it was.
int32_t CDocWindow::RefreshViewImage(SPointHV windowSize, SPointHV renderSize) {
  const SPointHV window = GetWindowImageSize();
  const SPointHV render = GetRenderImageSize();
  if (window.h == windowSize.h && window.v == windowSize.v && render.h == renderSize.h && render.v == renderSize.v)
    return kNoErr;
  CImage* windowImage = NewImage(windowSize);
  CImage* renderedImage = NewImage(renderSize);
  if (!windowImage || !renderedImage || !renderedImage->Fill(0xFFFFFFFF)) {
    delete windowImage;
    delete renderedImage;
    return kErrOutOfMemory;
  }
  fView.SetImage(nullptr);
  delete fWindowImage;
  delete fRenderedImage;
  fWindowImage = windowImage;
  fRenderedImage = renderedImage;
  fHoldsPicture = false;
  // The sizes, and a render region over the whole new image.
  fSettings->SetSizes(windowSize.h, windowSize.v, renderSize.h, renderSize.v);
  fRender.fContext.ResetProgressive();
  fRender.fContext.GetStats().Clear();
  fRender.fStats.Clear();
  ForgetTint();
  fShownSize = renderSize;
  fVisiblePart = {0, 0, renderSize.v, renderSize.h};
  fZoomLevel = 0;
  fMode &= ~kRenderedBackdrop;
  if (fPatchRender) fPatchRender->Hide(true);
  const int32_t err = CacheCameraState();
  fDirty |= kDirtyView | kDirtyLayer;
  if (!(fMode & kRenderedShown)) {
    if (CUICmFunction* owner = GetOwner()) {
      CUIMessage message;
      message.Init(0, kResetPalettes, nullptr, nullptr, 0);
      owner->Dispatch(&message);
    }
  }
  if (err) return err;
  PlaceImageElement(false);
  CLayoutHostCanvas::Invalidate(nullptr);
  return kNoErr;
}
