// The control palette's nano preview: a small render of the document's scene through a camera of its
// own that copies one of the document window's view cameras. It is ray-traced in interruptible slices
// from the palette's heartbeat, drawn as a wireframe, or shows the sky alone, and starts again after
// every change of the scene or the camera.
#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>

#include "app/control_palette.h"
#include "app/control_palette_shared.h"
#include "app/doc_window.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "render/preview_renderer.h"
#include "render/render_context.h"
#include "render/render_driver.h"
#include "render/render_target.h"
#include "render/view.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"

namespace {

using control_palette::Now;

constexpr uint32_t kPreviewChangeKind = 2;
// The change bits of "objinfochanged": the scene changed (cancels a preview that waits); render at once.
constexpr uint32_t kCancelChange = 2;
constexpr uint32_t kRenderAtOnce = 0x80000000;

// A pending preview waits this long after the last attempt; input waiting puts it off further.
constexpr int32_t kRenderDelayTicks = 60;
constexpr uint32_t kBackOffTicks = 90;

// The preview camera's start: 60 degrees as the record keeps it, at the default eye and target.
const double kFieldAngle = std::bit_cast<double>(uint64_t(0x3FF0C15200000000));
constexpr vector3<double> kEye{10, 3, -10};
constexpr vector3<double> kTarget{0, 3, 0};
constexpr uint32_t kCameraStateFlag = 0x4000;

// The render modes a preview slice never uses.
constexpr uint32_t kRenderModes =
    SRenderSettings::kMaskMode | SRenderSettings::kDepthMode | SRenderSettings::kAltitudeMode;

struct SViewCode {
  uint32_t code;
  uint32_t slot;
};
constexpr SViewCode kViewCodes[] = {
    {CControlPalette::kViewCamera, CDocWindow::kPerspective},
    {FourCC("top "), CDocWindow::kTop},
    {FourCC("rght"), CDocWindow::kRight},
    {FourCC("frnt"), CDocWindow::kFront},
    {FourCC("left"), CDocWindow::kLeft},
    {FourCC("back"), CDocWindow::kBack},
    {FourCC("bttm"), CDocWindow::kBottom},
};

// The window's camera a preview view code copies: 'curv' and unknown codes the current one.
C3dCamera* CameraForView(CDocWindow& window, uint32_t code) {
  for (const SViewCode& view : kViewCodes) {
    if (view.code == code) return window.GetViewCamera(view.slot);
  }
  return window.GetCurrentCamera();
}

CSpoolSys* ObjectsEnv() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

// Rows that point at things without owning them: the sky-only scene's preview camera and sun.
class CBorrowedRows : public C3dBaseSys {
 public:
  explicit CBorrowedRows(CSpoolSys* environment) : C3dBaseSys(environment) {}
  ~CBorrowedRows() override { Fill({}); }
  CBorrowedRows(const CBorrowedRows&) = delete;
  CBorrowedRows& operator=(const CBorrowedRows&) = delete;

  // False when the rows cannot be locked or grow.
  bool Fill(std::initializer_list<C3dBase*> things) {
    CHolder holder(this, true, false);
    if (!holder.IsLocked() || (GetCount() && !RemoveAt(0, GetCount()))) return false;
    for (C3dBase* thing : things) {
      if (!thing) continue;
      C3dBaseSysEntry row;
      row.object = thing;
      if (!Append(&row)) return false;
    }
    return true;
  }
};

}  // namespace

struct CControlPalette::SPreviewScene {
  CRenderTarget target{nullptr};
  // The sky owns its two cloud textures.
  C3dSky* sky = nullptr;
  CBorrowedRows* skyOnly = nullptr;
  // The nano preview element's picture when its layout gives it none.
  CImage* picture = nullptr;

  ~SPreviewScene() {
    delete picture;
    delete skyOnly;
    if (sky) sky->ReleaseImages();
    delete sky;
  }
};

CControlPalette::SPreviewScene* CControlPalette::PreviewScene() {
  if (!fPreviewScene) fPreviewScene = new SPreviewScene;
  return fPreviewScene;
}

void CControlPalette::FreePreviewScene() {
  if (fNanoPreview && fPreviewScene && fPreviewScene->picture && fNanoPreview->GetImage() == fPreviewScene->picture)
    fNanoPreview->SetImage(nullptr, false, false, true, false);
  if (fContext && fPreviewScene && fContext->GetTarget() == &fPreviewScene->target) fContext->SetTarget(nullptr);
  if (fContext && fPreviewScene && fContext->GetSceneTable() == fPreviewScene->skyOnly) fContext->SetSceneTable(nullptr);
  delete fPreviewScene;
  fPreviewScene = nullptr;
}

// ---- set-up

int32_t CControlPalette::InitPreviewCamera() {
  C3dCamera* camera = fPreviewCamera;
  if (!camera) return kErrObjectNotFound;
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return NonZeroError(camera->GetError());
    SCameraView& view = camera->GetView();
    view.reserved = 0;
    view.fieldAngle = kFieldAngle;
    view.scale = 1.0;
    view.aspect = 1.0;
    camera->ClearFlags(0xFFFFFFFF);
    camera->ClearStateFlags(0xFFFFFFFF);
    camera->SetStateFlags(kCameraStateFlag);
    std::memset(camera->GetData() + C3dObject::kDocumentWordsOffset, 0, 2 * sizeof(uint32_t));
    camera->GetReference().Reset();
    camera->GetPlacement().Reset();
    camera->SetTransformVector3(kEye);
    camera->SetOrigin(kTarget);
  }
  return SetupPreviewView();
}

int32_t CControlPalette::SetupPreviewView() {
  C3dCamera* camera = fPreviewCamera;
  if (!camera || !fPreviewImage || !fRenderer || !fContext) return kErrObjectNotFound;
  const int32_t width = int32_t(fPreviewImage->GetWidth()), height = int32_t(fPreviewImage->GetHeight());
  {
    CHolder lock(camera, false, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    CRenderCamera& projection = fRenderer->GetCamera();
    projection.SetFromCamera(*camera, width, height);
    fContext->SetViewTransform(projection.ViewTransform());
  }
  if (fPreviewView3d) {
    if (fPreviewView3d->GetImage() != fPreviewImage) fPreviewView3d->SetImage(fPreviewImage);
    fPreviewView3d->SetCamera(camera);
    if (const int32_t err = fPreviewView3d->UpdateFromCamera()) return err;
  }
  return kNoErr;
}

int32_t CControlPalette::SyncPreviewCamera(uint32_t viewCode) {
  CDocWindow* window = GetCurrentDocWindow();
  if (!window || !fRenderer || !fContext) return kErrObjectNotFound;
  if (const int32_t err = ChoosePreviewScene(window)) return err;
  // The sky alone is seen through the camera view.
  if (fPreviewMode == kModeSkyOnly) viewCode = kViewCamera;
  // The preview renders with the window's render options.
  fRenderer->GetSettings().fFlags = window->GetRenderOptions();
  {
    C3dBaseSpoolTable* cameras = window->GetCameraList();
    CHolder list(cameras, false, false);
    if (!cameras || !list.IsLocked()) return kErrOutOfMemory;
    C3dCamera* source = CameraForView(*window, viewCode);
    C3dCamera* camera = fPreviewCamera;
    if (!source || !camera) return kErrOutOfMemory;
    CHolder from(source, false, false);
    CHolder to(camera, true, false);
    if (!from.IsLocked() || !to.IsLocked()) return kErrOutOfMemory;
    camera->GetView() = source->GetView();
    camera->SetTransformVector3(source->GetTransformVector3());
  }
  return SetupPreviewView();
}

int32_t CControlPalette::BuildSkyOnlyScene() {
  if (!fContext) return kErrGeneric;
  SPreviewScene* scene = PreviewScene();
  if (!scene->skyOnly) {
    CSpoolSys* environment = ObjectsEnv();
    if (!environment) return kErrGeneric;
    scene->skyOnly = new CBorrowedRows(environment);
    if (!scene->skyOnly->IsValid()) {
      delete scene->skyOnly;
      scene->skyOnly = nullptr;
      return kErrGeneric;
    }
  }
  // Filled on every use: a new document brings another sun.
  CDocWindow* window = GetCurrentDocWindow();
  if (!scene->skyOnly->Fill({fPreviewCamera, window ? window->GetSun() : nullptr})) return kErrGeneric;
  fContext->SetSceneTable(scene->skyOnly);
  return kNoErr;
}

int32_t CControlPalette::ChoosePreviewScene(CDocWindow* window) {
  if (fPreviewMode == kModeSkyOnly) return BuildSkyOnlyScene();
  fContext->SetSceneTable(window ? window->GetSceneTable() : nullptr);
  return kNoErr;
}

int32_t CControlPalette::PreparePreviewSky() {
  CDocWindow* window = GetCurrentDocWindow();
  if (!window || !fRenderer || !fContext) return kErrObjectNotFound;
  SPreviewScene* scene = PreviewScene();
  if (!scene->sky) {
    if (const int32_t err = AppendNew(&scene->sky, nullptr, ObjectsEnv())) return err;
    for (const int layer : {0, 1}) {
      C3dTexture* clouds = nullptr;
      if (const int32_t err = AppendNew(&clouds, nullptr, ObjectsEnv())) return err;
      scene->sky->SetCloudTexture(clouds, layer);
    }
  }
  C3dSky* sceneSky = window->GetSky();
  C3dSky* sky = scene->sky;
  if (!sceneSky) return kErrOutOfMemory;
  {
    CHolder from(sceneSky, false, false);
    CHolder to(sky, true, false);
    if (!from.IsLocked() || !to.IsLocked()) return kErrOutOfMemory;
    if (const int32_t err = sky->CopyFrom(*sceneSky)) return err;
    // Haze and fog only through the camera view, and then as the scene's sky has them.
    const bool throughCamera =
        fPreviewView == kViewCamera ||
        (fPreviewView == kViewCurrent && window->GetCurrentCamera() == window->GetViewCamera(CDocWindow::kPerspective));
    bool atmosphereOff = true;
    if (fPreviewMode == kModeSkyOnly) atmosphereOff = false;
    else if (throughCamera) atmosphereOff = !(sceneSky->GetSettings().flags & C3dSky::kAtmosphere);
    uint32_t& flags = sky->GetSettings().flags;
    flags = atmosphereOff ? flags | C3dSky::kAtmosphereOff : flags & ~C3dSky::kAtmosphereOff;
  }
  return PrepareSky(sky, fContext->GetSceneTable(), fRenderer->GetSettings());
}

// ---- the progressive state

void CControlPalette::RestartPreviewState(bool pending) {
  fPending = pending ? 1 : 0;
  if (fRenderer) fRenderer->Restart();
  if (pending) fRenderTime = Now();
}

int32_t CControlPalette::RestartPreview() {
  RestartPreviewState(true);
  return kNoErr;
}

void CControlPalette::CancelPreview() { RestartPreviewState(false); }

int32_t CControlPalette::RenewPreview() {
  RestartPreview();
  const int32_t answer = SendPreviewMessage();
  return answer == kHandled ? kNoErr : answer;
}

// ---- rendering

// A host canvas's tree has the screen for its root coordinates; the bands go to the window.
SRect CControlPalette::PreviewDestination() {
  SRect destination;
  if (fNanoPreview) {
    SRect local, screen;
    fNanoPreview->GetLocalRect(&local);
    fNanoPreview->LocalToRootRect(&screen, local);
    destination = ScreenToCanvasRect(screen);
  }
  CRenderTarget& target = PreviewScene()->target;
  target.fImage = fPreviewImage;
  target.fPort = IsShown() ? GetDeviceContext() : nullptr;
  if (fContext) fContext->SetTarget(&target);
  return destination;
}

int32_t CControlPalette::RenderNanoSlices() {
  CDocWindow* window = GetCurrentDocWindow();
  if (!window) return kErrObjectNotFound;
  if (window->GetRenderRequest() > 0 || window->GetRenderDepth() > 0) return kHandled;
  return RenderPreview(true);
}

int32_t CControlPalette::RenderNanoNow() { return RenderPreview(false); }

int32_t CControlPalette::RenderPreview(bool slices) {
  CDocWindow* window = GetCurrentDocWindow();
  CAppl* app = GetApplication();
  if (!window || !app || !fPreviewImage || !fRenderer || !fContext) return kErrObjectNotFound;
  const SRect destination = PreviewDestination();
  if (const int32_t err = ChoosePreviewScene(window)) return err;
  if (const int32_t err = PreparePreviewSky()) return err;
  C3dSky* sky = fPreviewScene->sky;
  CHolder skyLock(sky, false, false);
  if (!skyLock.IsLocked()) return NonZeroError(sky->GetError());
  SLockAllGuard lights(window->GetLightList(), false, false);
  if (!window->GetLightList() || !lights.IsLocked()) return kErrOutOfMemory;
  if (slices) fRenderer->GetSettings().fFlags &= ~kRenderModes;
  // Fed again before every render: a change whose notice still waits in the queue may have deleted
  // objects that the optimizer holds. The bounds follow the scene and the camera.
  if (const int32_t err =
          fRenderer->Prepare(int32_t(fPreviewImage->GetWidth()), int32_t(fPreviewImage->GetHeight())))
    return err;
  if (!fContext->SetupView(true)) return kErrOutOfMemory;
  if (!fPending) return kNoErr;
  if (slices && (app->IsUserInterrupt() || !app->IsActive())) return kHandled;
  // The renderer answers 0 once the image is complete.
  if (const int32_t result = fRenderer->Render(destination, slices)) return result;
  fPending = 0;
  // The element takes the finished image at its next paint.
  if (fNanoPreview) fNanoPreview->InvalidateRect();
  return kNoErr;
}

int32_t CControlPalette::DrawNanoWireframe(bool show) {
  if (fPreviewMode != kModeWire) return kNoErr;
  CDocWindow* window = GetCurrentDocWindow();
  CView* view = fPreviewView3d;
  if (!window || !view || !fPreviewImage) return kErrObjectNotFound;
  C3dBaseSys* scene = window->GetSceneTable();
  CHolder objects(scene, false, false);
  if (!scene || !objects.IsLocked()) return kErrOutOfMemory;
  view->GetStyle() = window->GetViewStyle();
  if (view->GetImage() != fPreviewImage) view->SetImage(fPreviewImage);
  view->SetObjectList(scene);
  view->SetCamera(fPreviewCamera);
  if (const int32_t err = view->UpdateFromCamera()) return err;
  view->ClearBackground();
  if (const int32_t err = DrawSceneWireframe(*view, true)) return err;
  if (!show) return kNoErr;
  const SRect destination = PreviewDestination();
  if (platform::DeviceContext* port = PreviewScene()->target.fPort)
    fPreviewImage->Draw(port, fPreviewImage->GetBounds(), destination);
  CancelPreview();
  if (fNanoPreview) fNanoPreview->InvalidateRect();
  return kNoErr;
}

// ---- the element

int32_t CControlPalette::DrawNanoPreview(CElement* element, uint32_t, CImage*) {
  CControlPalette* palette = GetCurrentControlPalette();
  if (!palette || palette->fPending) return kNoErr;
  auto* preview = dynamic_cast<CImElement*>(element);
  CImage* image = palette->fPreviewImage;
  if (!preview || !image) return kErrGeneric;
  // A layout that gives the element no picture of its own gets the palette's, the preview's size.
  if (!preview->GetImage()) {
    SPreviewScene* scene = palette->PreviewScene();
    if (!scene->picture) {
      int32_t error = kNoErr;
      scene->picture = NewDataImage(image->GetWidth(), image->GetHeight(), &error);
      if (!scene->picture) return NonZeroError(error);
    }
    if (const int32_t err = preview->SetImage(scene->picture, false, false, false, false)) return err;
  }
  CImage* picture = preview->GetImage();
  if (!picture) return kErrGeneric;
  CImNavigator from(image, nullptr, false, false);
  CImNavigator to(picture, nullptr, true, false);
  if (!from.IsUsable() || !to.IsUsable()) return kErrOutOfMemory;
  const uint32_t columns = std::min(from.GetColumns(), to.GetColumns());
  const uint32_t rows = std::min(from.GetRows(), to.GetRows());
  // The preview's top bytes hold its sampling state; the picture shows every pixel whole.
  for (uint32_t y = 0; y < rows; ++y) {
    const CImVector* source = from.Cells(y);
    CImVector* target = to.Cells(y);
    for (uint32_t x = 0; x < columns; ++x) target[x].value = source[x].value | 0xFF000000;
  }
  return kNoErr;
}

int32_t CControlPalette::OnNanoPreviewPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (CAppl* app = GetApplication()) {
    control_palette::WaitForRelease(app);
    app->FlushInput();
  }
  if (handled) *handled = element;
  CUIMessage message;
  message.InitFromElement(kPreviewChangeKind, element, 0);
  return element->SendMessageUp(&message, element);
}

// ---- changes and the heartbeat

int32_t CControlPalette::UpdatePreview(uint32_t changeBits) {
  CDocWindow* window = GetCurrentDocWindow();
  if (!window) return kHandled;
  const bool notifyDrags = window->GetFlags() & CDocWindow::kNotifyDrags;
  // Only "objinfochanged" carries fewer than all bits: it waits for the user's click.
  if (!notifyDrags && !fAutoPreview && changeBits != kAllChanges) {
    if (changeBits & kCancelChange) CancelPreview();
    return kHandled;
  }
  // The scene is prepared by the render, which a wireframe does without.
  if (const int32_t err = SyncPreviewCamera(fPreviewView)) return err;
  RestartPreviewState(true);
  if ((changeBits & kRenderAtOnce) || notifyDrags) {
    if (fPreviewMode == kModeWire) DrawNanoWireframe(true);
    else RenderNanoNow();
  }
  return kHandled;
}

int32_t CControlPalette::RenderPendingPreview() {
  CAppl* app = GetApplication();
  if (!app || !fPending || int32_t(Now() - fRenderTime) <= kRenderDelayTicks) return kNoErr;
  if (app->IsUserInterrupt()) {
    fRenderTime = Now() + kBackOffTicks;
    return kNoErr;
  }
  if (!app->IsActive()) return kNoErr;
  // Either completes the preview, or answers why not.
  const int32_t result = fPreviewMode == kModeWire ? DrawNanoWireframe(true) : RenderNanoSlices();
  fRenderTime = Now();
  if (result) fRenderTime += kBackOffTicks;
  return result;
}
