#include "render/preview_scene.h"

#include <numbers>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "framework/ui/menu.h"
#include "platform/window.h"
#include "render/preview_document.h"
#include "render/render_driver.h"
#include "render/view.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/plane.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/square.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"

namespace {

using Vector = vector3<double>;

constexpr Vector kCameraHome{3.25, 1.25, -3.25};
constexpr Vector kCameraTarget{0, 1.25, 0};
// 60 degrees as the record keeps it, a single-precision value.
constexpr double kFieldAngle = 1.0471973419189453;
constexpr double kCloseUpZoom = 0.5;
constexpr double kNormalZoom = 1.0;
constexpr Vector kSunDirection{40, 40, -40};
constexpr double kOwnShadowLightness = 0.5;
// The render modes the previews never use.
constexpr uint32_t kRenderModes = SRenderSettings::kMaskMode | SRenderSettings::kDepthMode | SRenderSettings::kAltitudeMode;
// Camera moves per pixel of a drag.
constexpr double kOrbitStep = 0.01;
constexpr double kDollyStep = -0.02;
constexpr double kShiftStep = 0.001;
constexpr uint32_t kSpaceKey = 32;

struct SPlacement {
  Vector position;
  Vector size;
  Vector rotation;
};

constexpr double kQuarterTurn = std::numbers::pi / 2;
constexpr SPlacement kShapePlace{{0, 1.26, 0}, {2.5, 2.5, 2.5}, {}};
constexpr SPlacement kTerrainPlace{{0, 1.25, 0}, {8, 2, 8}, {}};
constexpr SPlacement kTorusPlace{{0, 1.25, 0}, {2.5, 0.75, 2.5}, {-kQuarterTurn, 0, 0}};
constexpr SPlacement kCopyPlace{{0, 1.26, 0}, {2.5, 2.5, 2.5}, {}};
constexpr SPlacement kSquareCopyPlace{{0, 1.26, 0}, {2.5, 2.5, 2.5}, {-kQuarterTurn, 0, 0}};
constexpr SPlacement kLightCopyPlace{{0, 2, 0}, {2, 2, 2}, {}};
constexpr SPlacement kSkyPlace{{0, 0.8, 0}, {0.4, 0.4, 0.4}, {}};
constexpr double kTorusMinor = 1.0;
constexpr double kTorusMajor = 3.0;

constexpr uint32_t kShapeCodes[CPreviewScene::kShapeCount] = {CPreviewScene::kSphere, CPreviewScene::kCylinder,
                                                              CPreviewScene::kCube,   CPreviewScene::kCone,
                                                              CPreviewScene::kTerrain, CPreviewScene::kTorus};

CSpoolSys* ObjectsEnv() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

// A new thing of class T in the objects environment, in no table, with its defaults.
template <typename T>
int32_t MakeThing(T** out) {
  *out = nullptr;
  CSpoolSys* environment = ObjectsEnv();
  return environment ? AppendNew(out, nullptr, environment) : kErrOutOfMemory;
}

template <typename T>
int32_t MakeShapeOf(C3dObject** out) {
  T* shape = nullptr;
  const int32_t result = MakeThing(&shape);
  *out = shape;
  return result;
}

void Place(C3dObject* object, const SPlacement& placement) {
  object->SetTransformVector2(placement.rotation);
  object->SetScaledSize(placement.size);
  object->SetTransformVector3(placement.position);
}

C3dObject* EntryOf(C3dBaseSpoolTable& table, uint32_t index) {
  CHolder holder(&table, false, false);
  if (!holder.IsLocked() || index >= table.GetCount()) return nullptr;
  C3dBase* thing = table.At(index);
  return thing ? thing->AsObject() : nullptr;
}

uint32_t CountOf(C3dBaseSpoolTable& table) {
  CHolder holder(&table, false, false);
  return holder.IsLocked() ? table.GetCount() : 0;
}

// Sets entry index (the table locked by the caller), growing the table with empty entries up to it.
bool SetEntry(C3dBaseSpoolTable& table, uint32_t index, C3dBase* thing) {
  if (index >= table.GetCount() && !table.Append(nullptr, index + 1 - table.GetCount())) return false;
  return table.SetRange(index, thing, 1);
}

}  // namespace

// The renderer's scene: rows that point at the things of the preview's two tables without owning
// them, so that nothing is deleted or renumbered with it.
class CPreviewScene::CRenderScene : public C3dBaseSys {
 public:
  explicit CRenderScene(CSpoolSys* environment) : C3dBaseSys(environment) {}
  ~CRenderScene() override { Clear(); }
  CRenderScene(const CRenderScene&) = delete;
  CRenderScene& operator=(const CRenderScene&) = delete;

  bool Clear() {
    CHolder holder(this, true, false);
    return holder.IsLocked() && RemoveAt(0, GetCount());
  }
  // Once each.
  bool Add(C3dBase* thing) {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return false;
    for (uint32_t row = 0; row < GetCount(); ++row) {
      if ((*this)[row].object == thing) return true;
    }
    C3dBaseSysEntry row;
    row.object = thing;
    return Append(&row);
  }
};

CPreviewScene::CPreviewScene()
    : fObjects(ObjectsEnv()), fLights(ObjectsEnv()), fRenderScene(std::make_unique<CRenderScene>(ObjectsEnv())) {
  fRenderer.SetScene(&fContext);
  fContext.SetSceneTable(fRenderScene.get());
  fContext.SetTarget(&fTarget);
  if (!ObjectsEnv() || !fObjects.IsValid() || !fLights.IsValid() || !fRenderScene->IsValid()) return;
  CHolder objects(&fObjects, true, false), lights(&fLights, true, false);
  fReady = objects.IsLocked() && lights.IsLocked() && fObjects.Append(nullptr, 2) && fLights.Append(nullptr, 1);
}

CPreviewScene::~CPreviewScene() {
  fRenderScene->Clear();
  fContext.SetTarget(nullptr);
  fSample = nullptr;
  delete fSun;
  if (fOwnSky) fOwnSky->ReleaseImages();
  delete fOwnSky;
  if (fGround) fGround->SetMaterial(kNoHandle);
  delete fGroundMaterial;
  // The samples' materials are their dialog's.
  for (C3dObject* shape : fShapes) delete shape;
  DeleteCopy();
  delete fGround;
  delete fCamera;
  fView.reset();
  delete fImage;
}

// ---- building

int32_t CPreviewScene::BuildSample(int32_t width, int32_t height, bool withShape, bool keepGroundPlain,
                                   uint32_t shape) {
  if (!fReady) return kErrOutOfMemory;
  if (fGround) return kErrUnexpectedStatus;
  fWidth = width;
  fHeight = height;
  fWithShape = withShape;
  CPreviewDocument* document = GetPreviewDocument();
  fRenderer.GetSettings().fFlags = document ? document->GetRenderSettings() : SRenderSettings::kDefaultFlags;

  if (const int32_t result = MakeThing(&fGround)) return result;
  fGround->SetTransformVector3({});
  if (const int32_t result = MakeThing(&fGroundMaterial)) return result;
  fGround->SetMaterial(fGroundMaterial->GetHandle());
  // A ground that only the sky preview or 'pgro' shows.
  if (!keepGroundPlain) fGround->SetStateFlags(C3dObject::kExcluded);
  {
    CHolder objects(&fObjects, true, false);
    if (!objects.IsLocked() || !SetEntry(fObjects, 0, fGround)) return kErrOutOfMemory;
  }
  if (const int32_t result = BuildObjectSample(kSphere)) return result;

  if (const int32_t result = MakeThing(&fSun)) return result;
  SetUpSun();
  {
    CHolder lights(&fLights, true, false);
    if (!lights.IsLocked() || !SetEntry(fLights, 0, fSun)) return kErrOutOfMemory;
  }
  if (const int32_t result = MakeCamera()) return result;

  int32_t result = kNoErr;
  fImage = NewImageIn(ObjectsEnv(), uint32_t(width), uint32_t(height), &result);
  if (!fImage) return result;
  fTarget.fImage = fImage;
  fView = std::make_unique<CView>();
  if (document) fView->GetStyle() = document->GetViewStyle();
  fView->SetImage(fImage);
  fView->SetCamera(fCamera);
  fView->SetObjectList(fRenderScene.get());
  if (fView->GetImage() != fImage) return kErrOutOfMemory;
  UpdateProjection();

  fCloseUp = false;
  fOwnSkyOn = true;
  fGroundOwnMaterial = true;
  if (withShape) {
    // Without a selection to copy, the sphere stays.
    result = shape == kSelection ? SampleFromSelection() : BuildObjectSample(shape);
    if (result == kHandled || (shape == kSelection && result == kErrObjectNotFound)) result = kNoErr;
    if (result) return result;
    fShapeCode = fSample == fCopy && fCopy ? kSelection : shape;
  }
  if ((result = ApplySky())) return result;
  return ResetView();
}

int CPreviewScene::ShapeIndex(uint32_t code) {
  for (uint32_t i = 0; i < kShapeCount; ++i) {
    if (kShapeCodes[i] == code) return int(i);
  }
  return -1;
}

C3dObject* CPreviewScene::GetShape(uint32_t code) const {
  const int index = ShapeIndex(code);
  return index < 0 ? nullptr : fShapes[index];
}

int32_t CPreviewScene::MakeShape(uint32_t code, C3dObject** out) {
  int32_t result = kErrInvalidParameter;
  switch (code) {
    case kSphere: result = MakeShapeOf<C3dSphere>(out); break;
    case kCylinder: result = MakeShapeOf<C3dCylinder>(out); break;
    case kCube: result = MakeShapeOf<C3dCube>(out); break;
    case kCone: result = MakeShapeOf<C3dCone>(out); break;
    case kTerrain: result = MakeShapeOf<C3dHeightField>(out); break;
    case kTorus: result = MakeShapeOf<C3dTorus>(out); break;
    default: break;
  }
  if (result) return result;
  C3dObject* shape = *out;
  if (code == kTerrain) {
    // A new height field has no terrain yet.
    if ((result = static_cast<C3dHeightField*>(shape)->Rebuild())) {
      delete shape;
      *out = nullptr;
      return result;
    }
    Place(shape, kTerrainPlace);
  } else if (code == kTorus) {
    auto* torus = static_cast<C3dTorus*>(shape);
    torus->SetMinorRadius(kTorusMinor);
    torus->SetMajorRadius(kTorusMajor);
    torus->UpdateBounds();
    Place(shape, kTorusPlace);
  } else {
    Place(shape, kShapePlace);
  }
  return kNoErr;
}

int32_t CPreviewScene::MakeCamera() {
  if (const int32_t result = MakeThing(&fCamera)) return result;
  SCameraView& view = fCamera->GetView();
  view.fieldAngle = kFieldAngle;
  view.scale = view.aspect = 1.0;
  view.offsetX = view.offsetY = 0;
  view.extentX = view.extentY = kNormalZoom;
  PlaceCameraHome();
  return kNoErr;
}

void CPreviewScene::PlaceCameraHome() {
  fCamera->SetTransformVector3(kCameraHome);
  fCamera->SetOrigin(kCameraTarget);
}

int32_t CPreviewScene::MakeOwnSky() {
  if (fOwnSky) return kNoErr;
  if (const int32_t result = MakeThing(&fOwnSky)) return result;
  for (const int layer : {0, 1}) {
    C3dTexture* clouds = nullptr;
    if (const int32_t result = MakeThing(&clouds)) return result;
    fOwnSky->SetCloudTexture(clouds, layer);
  }
  CHolder holder(fOwnSky, true, false);
  if (!holder.IsLocked()) return NonZeroError(fOwnSky->GetError());
  fOwnSky->GetSettings().valueF = kOwnShadowLightness;
  return kNoErr;
}

void CPreviewScene::SetUpSun() {
  fSun->SetColour({1, 1, 1});
  fSun->SetIntensity(1.0);
  fSun->SetRadius(1.0);
  fSun->SetSunColour({1, 1, 1});
  fSun->SetSecondSunColour({1, 1, 1});
  fSun->SetDirection(kSunDirection * FastInvSqrt(Dot(kSunDirection, kSunDirection)));
  fSun->SetTransformVector3({});
}

// ---- the sample

int32_t CPreviewScene::BuildObjectSample(uint32_t code, C3dObject* object) {
  CHolder objects(&fObjects, true, false), lights(&fLights, true, false);
  if (!objects.IsLocked() || !lights.IsLocked()) return kErrOutOfMemory;
  if (fSample && fSample->GetMaterial() != kNoHandle) fRemembered = fSample->GetMaterial();
  const int index = ShapeIndex(code);
  if (index >= 0) {
    if (!fShapes[index]) {
      if (const int32_t result = MakeShape(code, &fShapes[index])) return result;
    }
    fShapes[index]->SetMaterial(fRemembered);
    fShapeCode = code;
    return SetSampleObject(fShapes[index]);
  }
  switch (code) {
    case kGround: {
      if (!fGround) return kErrObjectNotFound;
      fGround->SetMaterial(fRemembered);
      fGround->ClearStateFlags(C3dObject::kExcluded);
      fShapeCode = code;
      if (fLights.GetCount() > 1) fLights.RemoveAt(1);
      return SetSampleObject(fGround);
    }
    case kSelection:
    case kLight:
      return object ? MakeCopy(code, object) : kErrObjectNotFound;
    case kOwnSky: {
      const int32_t result = ApplySky();
      return result ? result : RestartRender();
    }
    case kGroundMaterial:
      ApplyGroundMaterial();
      return RestartRender();
    default:
      return kErrInvalidParameter;
  }
}

int32_t CPreviewScene::HandleOptionsMenu(CMenu* menu, SPointHV screenPoint, platform::WindowHandle window) {
  if (!menu) return kErrInvalidParameter;
  const auto tick = [menu](uint32_t code, bool on) {
    if (const uint32_t index = menu->FindItemIndex(code)) menu->CheckItem(index, on, nullptr, true);
  };
  tick(kOwnSky, fOwnSkyOn);
  tick(kGroundMaterial, fGroundOwnMaterial);
  // The current sample's last: a menu whose ticks exclude each other keeps it.
  for (const uint32_t code : kShapeCodes) tick(code, false);
  tick(kGround, false);
  tick(kSelection, false);
  tick(fShapeCode, true);
  uintptr_t chosen = 0;
  uint32_t index = 0;
  if (!menu->SelectItemAt(screenPoint, window, &chosen, &index)) return kNoErr;
  return PerformCommand(uint32_t(chosen));
}

int32_t CPreviewScene::PerformCommand(uint32_t code) {
  switch (code) {
    case kSelection: return SampleFromSelection();
    case kOwnSky:
      fOwnSkyOn = !fOwnSkyOn;
      return BuildObjectSample(code);
    case kGroundMaterial:
      fGroundOwnMaterial = !fGroundOwnMaterial;
      return BuildObjectSample(code);
    case kCloseUp:
    case kNormalView:
      fCloseUp = code == kCloseUp;
      return ResetView();
    default:
      return code == kGround || ShapeIndex(code) >= 0 ? BuildObjectSample(code) : kNoErr;
  }
}

int32_t CPreviewScene::SetSampleObject(C3dObject* object) {
  {
    CHolder objects(&fObjects, true, false);
    if (!objects.IsLocked()) return kErrOutOfMemory;
    if (fObjects.GetCount() > 1) fObjects.RemoveAt(1, fObjects.GetCount() - 1);
    if (object) {
      CDynTable<C3dObject*> members(SRange{0, 8});
      if (C3dObject::AppendExpandingGroups(members, object, true)) return kErrOutOfMemory;
      for (uint32_t i = 0; i < members.GetCount(); ++i) {
        C3dBase* member = members[i];
        if (!fObjects.Append(&member)) return kErrOutOfMemory;
      }
    } else if (!fObjects.Append(nullptr)) {
      return kErrOutOfMemory;
    }
  }
  fSample = object;
  return RestartRender();
}

int32_t CPreviewScene::SampleFromSelection() {
  CPreviewDocument* document = GetPreviewDocument();
  C3dBaseSys* scene = document ? document->GetScene() : nullptr;
  if (!scene) return kErrObjectNotFound;
  C3dObject* root = nullptr;
  if (const int32_t result = C3dObject::FindFirstSelectedRoot(scene, &root)) return result;
  CHolder holder(root, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  return BuildObjectSample(kSelection, root);
}

// A copy of another family or class goes; one of the same takes the object's state (groups, whose
// copying adds members, are always made anew). A fresh copy gives up the material its duplicate made.
int32_t CPreviewScene::MakeCopy(uint32_t code, C3dObject* object) {
  const bool group = dynamic_cast<C3dGroup*>(object) != nullptr;
  if (fCopy && (group || fCopy->GetFamily() != object->GetFamily() || fCopy->GetClass() != object->GetClass()))
    DeleteCopy();
  if (fCopy) {
    if (const int32_t result = object->CopyTo(*fCopy)) return result;
  } else {
    fCopy = object->Duplicate(nullptr);
    if (!fCopy) return kErrOutOfMemory;
    if (!fCopy->IsReady()) {
      DeleteCopy();
      return kErrGeneric;
    }
    C3dMaterial* material = LookupHandleAs<C3dMaterial>(fCopy->GetMaterial(), C3dMaterial::kFamily);
    if (material && material->IsReady()) material->ReleaseTextureRefs();
    delete material;
    fCopy->SetMaterial(kNoHandle);
  }
  const bool light = code == kLight;
  Place(fCopy, light ? kLightCopyPlace : fCopy->GetClass() == C3dSquare::kClassTag ? kSquareCopyPlace : kCopyPlace);
  if (light && !SetEntry(fLights, 1, fCopy)) return kErrOutOfMemory;
  fShapeCode = code;
  if (const int32_t result = SetSampleObject(fCopy)) return result;
  return kHandled;
}

void CPreviewScene::DeleteCopy() {
  if (!fCopy) return;
  {
    CHolder lights(&fLights, true, false);
    if (lights.IsLocked() && fLights.GetCount() > 1 && fLights.At(1) == fCopy) fLights.RemoveAt(1);
  }
  if (fSample == fCopy) SetSampleObject(nullptr);
  // Any material it wears now is its dialog's.
  fCopy->SetMaterial(kNoHandle);
  ::DeleteCopy(fCopy);
  fCopy = nullptr;
}

void CPreviewScene::ApplyGroundMaterial() {
  if (!fGround || !fGroundMaterial || !fSample || fSample == fGround) return;
  fGround->SetMaterial(fGroundOwnMaterial ? fGroundMaterial->GetHandle() : fRemembered);
}

int32_t CPreviewScene::ApplySky() {
  CPreviewDocument* document = GetPreviewDocument();
  C3dSky* documentSky = document ? document->GetSky() : nullptr;
  C3dSunLight* documentSun = document ? document->GetSun() : nullptr;
  if (fLentSky) {
    fSky = fLentSky;
  } else if (fOwnSkyOn || !documentSky) {
    if (const int32_t result = MakeOwnSky()) return result;
    SetUpSun();
    fSky = fOwnSky;
  } else {
    if (documentSun) {
      if (const int32_t result = fSun->CopyFrom(*documentSun)) return result;
    }
    fSky = documentSky;
  }
  UpdateRenderScene();
  return PrepareSky(fSky, fRenderScene.get(), fRenderer.GetSettings());
}

// ---- rendering

void CPreviewScene::UpdateRenderScene() {
  fRenderScene->Clear();
  for (C3dBaseSpoolTable* table : {&fObjects, &fLights}) {
    if (table == &fObjects && !fWithShape) continue;
    const uint32_t count = CountOf(*table);
    for (uint32_t i = 0; i < count; ++i) {
      if (C3dObject* object = EntryOf(*table, i)) fRenderScene->Add(object);
    }
  }
}

void CPreviewScene::UpdateProjection() {
  if (!fCamera) return;
  fRenderer.GetCamera().SetFromCamera(*fCamera, fWidth, fHeight);
  if (fView) fView->UpdateFromCamera();
}

int32_t CPreviewScene::RestartRender() {
  UpdateRenderScene();
  fRenderer.Restart();
  fPending = true;
  return fCamera ? fRenderer.Prepare(fWidth, fHeight) : kNoErr;
}

int32_t CPreviewScene::ResetView() {
  if (!fCamera) return kErrObjectNotFound;
  {
    CHolder holder(fCamera, true, false);
    if (!holder.IsLocked()) return NonZeroError(fCamera->GetError());
    SCameraView& view = fCamera->GetView();
    view.extentX = view.extentY = fCloseUp ? kCloseUpZoom : kNormalZoom;
  }
  UpdateProjection();
  return RestartRender();
}

int32_t CPreviewScene::Refresh() {
  if (const int32_t result = MakeOwnSky()) return result;
  {
    CHolder sky(fOwnSky, false, false);
    if (!sky.IsLocked()) return kErrGeneric;
  }
  if (const int32_t result = ApplySky()) return result;
  UpdateProjection();
  return RestartRender();
}

int32_t CPreviewScene::ArrangeForSky() {
  if (fSample) Place(fSample, kSkyPlace);
  {
    CHolder objects(&fObjects, true, false);
    if (!objects.IsLocked() || !SetEntry(fObjects, 0, nullptr)) return kErrOutOfMemory;
  }
  UpdateRenderScene();
  if (fSky) {
    if (const int32_t result = fSky->PrepareForRender(fRenderScene.get(), nullptr)) return result;
  }
  return RestartRender();
}

void CPreviewScene::SetSky(C3dSky* sky) {
  // Given back: the own sky until the sky choice is applied again.
  if (!sky && fSky == fLentSky) fSky = fOwnSky;
  fLentSky = sky;
  if (sky) fSky = sky;
}

int32_t CPreviewScene::SetSkyFrom() {
  if (!fSky) return kErrObjectNotFound;
  {
    CHolder sky(fSky, false, false);
    if (!sky.IsLocked()) return NonZeroError(fSky->GetError());
  }
  UpdateRenderScene();
  if (const int32_t result = PrepareSky(fSky, fRenderScene.get(), fRenderer.GetSettings())) return result;
  return RestartRender();
}

int32_t CPreviewScene::Render(platform::DeviceContext* port, const SRect& destination) {
  if (!fSky || !fSun) return kErrObjectNotFound;
  fTarget.fImage = fImage;
  fTarget.fPort = port;
  CHolder sky(fSky, false, false);
  if (!sky.IsLocked()) return NonZeroError(fSky->GetError());
  CHolder sun(fSun, false, false);
  if (!sun.IsLocked()) return NonZeroError(fSun->GetError());
  SRenderSettings& settings = fRenderer.GetSettings();
  if (const int32_t result = PrepareSky(fSky, fRenderScene.get(), settings)) return result;
  settings.fFlags &= ~kRenderModes;
  SLockAllGuard lights(&fLights, false, false);
  if (!lights.IsLocked()) return kErrOutOfMemory;
  int32_t result = kNoErr;
  while (fPending && !result) {
    result = fRenderer.Render(destination, true);
    if (!result) fPending = false;
  }
  return result;
}

int32_t CPreviewScene::CopyCameraTo(C3dObject* object) {
  if (!fCamera || !object) return kErrGeneric;
  CHolder camera(fCamera, false, false);
  CHolder target(object, true, false);
  if (!camera.IsLocked() || !target.IsLocked()) return kErrGeneric;
  return fCamera->CopyTo(*object);
}

int32_t CPreviewScene::CheckObject(C3dObject* object) {
  if (!object) return kErrOutOfMemory;
  CHolder holder(object, false, false);
  return holder.IsLocked() ? kNoErr : kErrOutOfMemory;
}

// ---- entries

uint32_t CPreviewScene::GetObjectCount() { return CountOf(fObjects); }

C3dObject* CPreviewScene::GetObjectEntry(uint32_t index) { return EntryOf(fObjects, index); }

uint32_t CPreviewScene::GetLightCount() { return CountOf(fLights); }

C3dObject* CPreviewScene::GetLightEntry(uint32_t index) { return EntryOf(fLights, index); }

// ---- the element and the camera drag

int32_t CPreviewScene::DrawWireframe() {
  if (!fView) return kErrObjectNotFound;
  UpdateRenderScene();
  if (const int32_t result = fView->UpdateFromCamera()) return result;
  fView->ClearBackground();
  return DrawSceneWireframe(*fView, true);
}

void CPreviewScene::ShowImage(platform::DeviceContext* port, const SRect& destination) {
  if (!fImage || !port) return;
  fImage->Draw(port, fImage->GetBounds(), destination);
}

int32_t CPreviewScene::Paint(CElement* element, platform::DeviceContext* port, const SWinEvent* press) {
  if (!element) return kErrInvalidParameter;
  SRect local, destination;
  element->GetLocalRect(&local);
  // The port is the element's window: its coordinates are the canvas's, not the screen's.
  element->LocalToAncestorRect(&destination, local, nullptr);
  ShowImage(port, destination);
  return press ? Drag(element, port, destination) : kNoErr;
}

int32_t CPreviewScene::Drag(CElement*, platform::DeviceContext* port, const SRect& destination) {
  CAppl* app = GetApplication();
  if (!app || !fCamera) return kErrObjectNotFound;
  const platform::SPoint anchor = app->GetCursorPos();
  app->HideCursor();
  int32_t result = kNoErr;
  while (!result && app->IsStillDown()) {
    const platform::SPoint now = app->GetCursorPos();
    const int32_t dx = now.x - anchor.x, dy = now.y - anchor.y;
    // Put back only after a move: a warp that crossed the user's next move would swallow it.
    if (dx == 0 && dy == 0) continue;
    platform::SetCursorPos(anchor.x, anchor.y);
    {
      CHolder camera(fCamera, true, false);
      if (!camera.IsLocked()) {
        result = kErrOutOfMemory;
        break;
      }
      SCameraView& view = fCamera->GetView();
      if (app->IsAltDown()) {
        PlaceCameraHome();
      } else if (app->IsControlDown()) {
        const Vector step = view.direction * (kDollyStep * dy);
        fCamera->SetTransformVector3(fCamera->GetTransformVector3() + step);
        view.target += step;
        fCamera->OrbitA(kOrbitStep * dx);
      } else if (app->IsKeyDown(kSpaceKey)) {
        view.offsetX += kShiftStep * dx;
        view.offsetY += kShiftStep * dy;
      } else {
        fCamera->OrbitA(kOrbitStep * dx);
        fCamera->OrbitB(kOrbitStep * dy);
      }
    }
    DrawWireframe();
    ShowImage(port, destination);
  }
  app->ShowCursor();
  UpdateProjection();
  const int32_t restart = RestartRender();
  return result ? result : restart;
}
