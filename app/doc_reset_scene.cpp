// The preparation of a scene that open, merge and revert just put in place: what the window keeps
// of it is found again, and what a document may lack is made.
#include "app/control_palette.h"
#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "document/layout_needs.h"
#include "document/progress_titles.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/ui/ui_message.h"
#include "presets/sky_fog_palette.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/sky.h"
#include "scene/sun_light.h"

namespace {

constexpr const char* kPreparingBuiltIn = "14Preparing Objects";
constexpr const char* kResetPalettes = "reset palettes";
// A view dot whose camera carries this state flag shows it pressed.
constexpr uint32_t kDotPressed = 0x80000;
constexpr uint32_t kEverythingChanged = 0xFFFF;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

template <typename T>
T* FindNamed(C3dBaseSys* table, const char* name) {
  C3dBase* found = nullptr;
  if (table->FindObject(name, T::kFamily, T::kClassTag, &found) != kNoErr) return nullptr;
  return static_cast<T*>(found);
}

// A new image of the size, or null.
CImage* NewImageOfSize(SPointHV size, bool white) {
  if (size.h <= 0 || size.v <= 0) return nullptr;
  int32_t error = kNoErr;
  CImage* image = NewDataImage(uint32_t(size.h), uint32_t(size.v), &error);
  if (image && image->IsReady() && (!white || image->Fill(kOpaqueWhite))) return image;
  delete image;
  return nullptr;
}

bool HasSize(const CImage* image, SPointHV size) {
  return image && int32_t(image->GetWidth()) == size.h && int32_t(image->GetHeight()) == size.v;
}

}  // namespace

int32_t CDocWindow::ResetScene(bool earlierVersion) {
  CBusyCursor busy;
  CProgressTitles titles(need::kProgressResetLoad.name);
  CProgress progress(1, titles.Title(0, kPreparingBuiltIn));
  if (const int32_t err = MatchImagesToSettings()) return err;
  fDocument->GetSelection().DeselectAll(0);
  const SPointHV renderSize = GetRenderImageSize();
  fRender.fWidth = renderSize.h;
  fRender.fHeight = renderSize.v;
  fSettings->SetWord(CDocSettings::kRegionTop, 0);
  fSettings->SetWord(CDocSettings::kRegionTop + 1, 0);
  fSettings->SetWord(CDocSettings::kRegionTop + 2, uint32_t(renderSize.v));
  fSettings->SetWord(CDocSettings::kRegionTop + 3, uint32_t(renderSize.h));
  if (const int32_t err = FindViewCameras()) return err;
  if (const int32_t err = FindSkyAndSun()) return err;
  if (const int32_t err = FindSceneParts(false)) return err;
  if (const int32_t err = fScene->PrepareObjects()) return err;
  if (earlierVersion) {
    if (const int32_t err = C3dGroup::RelinkFromIds(fScene.get())) return err;
  }
  if (const int32_t err = C3dGroup::RelinkGroups(fScene.get())) return err;
  // Every later step renders or draws through the perspective camera.
  C3dCamera* perspective = fViewCameras[kPerspective];
  if (!perspective) return kErrFailedCreation;
  fCurrentCamera = fSetUpCamera = perspective;
  if (const int32_t err = CacheCameraState()) return err;
  if (fPictures->GetCount() == 0) {
    if (const int32_t err = CreateDefaultPicture()) return err;
    if (const int32_t err = FindSceneParts(false)) return err;
  }
  if (const int32_t err = PrepareSky()) return err;
  if (const int32_t err = RestoreSelection()) return err;

  fDirty |= kDirtyView | kDirtyLayer;
  const int32_t drawn = Redraw(true);
  NotifyObjInfoChanged(kEverythingChanged);
  CLayoutHostCanvas::Invalidate(nullptr);
  if (CSkyFogPalette* skyFog = GetCurrentSkyFogPalette()) skyFog->ApplySky(true, true, false);
  if (CUICmFunction* owner = GetOwner()) {
    CUIMessage message;
    message.Init(0, kResetPalettes, nullptr, nullptr, 0);
    owner->Dispatch(&message);
  }
  ClearFlags(kUnsavedChanges);
  return drawn;
}

// The window image and the rendered image at the settings' sizes, each made again only when its
// size differs; neither changes unless both can be had.
int32_t CDocWindow::MatchImagesToSettings() {
  ForgetTint();
  const SPointHV imageSize = GetWindowImageSize();
  const SPointHV renderSize = GetRenderImageSize();
  CImage* windowImage = HasSize(fWindowImage, imageSize) ? fWindowImage : NewImageOfSize(imageSize, false);
  CImage* renderedImage = HasSize(fRenderedImage, renderSize) ? fRenderedImage : NewImageOfSize(renderSize, true);
  if (!windowImage || !renderedImage) {
    if (windowImage != fWindowImage) delete windowImage;
    if (renderedImage != fRenderedImage) delete renderedImage;
    return kErrFailedCreation;
  }
  if (windowImage != fWindowImage) {
    fView.SetImage(nullptr);
    delete fWindowImage;
    fWindowImage = windowImage;
  }
  if (renderedImage != fRenderedImage) {
    delete fRenderedImage;
    fRenderedImage = renderedImage;
    fHoldsPicture = false;
    fShownSize = renderSize;
    fVisiblePart = {0, 0, renderSize.v, renderSize.h};
  }
  return kNoErr;
}

// The standard views the scene holds, the missing ones made and set up ("perspective" also made the
// current camera at its place); then the view dots, whose buttons show the states they were stored
// with.
int32_t CDocWindow::FindViewCameras() {
  C3dBaseSys* table = fScene.get();
  for (uint32_t view = kPerspective; view < kStandardViewCount; ++view) {
    const char* name = ViewCameraName(view);
    fViewCameras[view] = FindNamed<C3dCamera>(table, name);
    if (fViewCameras[view]) {
      if (const int32_t err = HideViewCamera(*fViewCameras[view])) return err;
      continue;
    }
    // A standard view that cannot be made is left out; the preparation goes on without it.
    if (CreateViewCamera(view, name, table) != kNoErr || !fViewCameras[view]) {
      fViewCameras[view] = nullptr;
      continue;
    }
    if (const int32_t err = SetStandardView(view)) return err;
    if (view != kPerspective) continue;
    fCurrentCamera = fViewCameras[view];
    if (const int32_t err = ResetCurrentCamera()) return err;
  }
  CControlPalette* palette = GetCurrentControlPalette();
  for (uint32_t dot = 0; dot < CControlPalette::kViewDotCount; ++dot) {
    const uint32_t slot = kFirstViewDot + dot;
    if (palette) palette->SetButtonState(dot, 0);
    C3dCamera* camera = FindNamed<C3dCamera>(table, ViewCameraName(slot));
    fViewCameras[slot] = camera;
    if (!camera) {
      if (const int32_t err = CreateViewCamera(slot, ViewCameraName(slot), table)) return err;
      continue;
    }
    if (const int32_t err = HideViewCamera(*camera)) return err;
    if (palette && (camera->GetStateFlags() & kDotPressed)) palette->SetButtonState(dot, 1);
  }
  return kNoErr;
}

int32_t CDocWindow::FindSkyAndSun() {
  fSky = FindNamed<C3dSky>(fScene.get(), kSkyName);
  if (!fSky) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dSky>(GetApplication() ? GetApplication()->GetObjectsEnv() : nullptr, key, spec);
    if (const int32_t err = C3dSky::New(&fSky, fScene.get(), key, spec)) return err;
    if (const int32_t err = SetUpSky(fTextures)) return err;
  }
  fRender.fSky = fSky;
  fSun = FindNamed<C3dSunLight>(fScene.get(), kSunName);
  return fSun ? kNoErr : CreateDefaultSun();
}

// The objects stored selected are selected again.
int32_t CDocWindow::RestoreSelection() {
  CHolder objects(fObjects.get(), false, false);
  if (!objects.IsLocked()) return kErrOutOfMemory;
  CSelection& selection = fDocument->GetSelection();
  for (uint32_t i = 0; i < fObjects->GetCount(); ++i) {
    C3dObject* object = fObjects->At(i) ? fObjects->At(i)->AsObject() : nullptr;
    if (!object || !object->IsSelected()) continue;
    object->ClearFlags(C3dObject::kSelected);
    selection.Add(object, 0, 0);
  }
  return kNoErr;
}

void CDocWindow::ShowRenderedImage(bool rendered) {
  if (rendered != ((fMode & kRenderedShown) != 0)) ToggleRenderedImage();
}
