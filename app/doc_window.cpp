#include "app/doc_window.h"

#include "app/layout_needs.h"
#include "app/report_render.h"
#include "document/doc_settings.h"
#include "document/render_to_disk.h"
#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/host_callbacks.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/char_set.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "platform/window.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/surface/material.h"

namespace {

constexpr const char* kUntitled = "Untitled";
constexpr const char* kObjInfoChanged = "objinfochanged";
constexpr const char* kZoomToSelection = "zoom to selection";
constexpr uint32_t kObjInfoKind = 2;
constexpr uint32_t kZoomToSelectionRow = 1;
constexpr uint32_t kShowPatchRenderRow = 2;

CDocWindow* gCurrent = nullptr;

CSpoolSys* DataEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetDataEnv() : nullptr;
}

CSpoolSys* ObjectsEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

bool IsUsableTable(const CSpoolTable* table) { return table && table->IsUsable(); }

std::unique_ptr<C3dBaseSpoolTable> NewRenderList() {
  auto list = std::make_unique<C3dBaseSpoolTable>(ObjectsEnvironment());
  return IsUsableTable(list.get()) ? std::move(list) : nullptr;
}

void EmptyList(C3dBaseSpoolTable* list) {
  if (list && list->GetCount()) list->RemoveAt(0, list->GetCount());
}

}  // namespace

CDocWindow* GetCurrentDocWindow() { return gCurrent; }

CImage* CDocWindow::NewImage(SPointHV size) {
  if (size.h <= 0 || size.v <= 0) return nullptr;
  int32_t error = kNoErr;
  CImage* image = NewDataImage(uint32_t(size.h), uint32_t(size.v), &error);
  if (image && !image->IsReady()) {
    delete image;
    return nullptr;
  }
  return image;
}

void SetCurrentDocWindow(CDocWindow* window) {
  gCurrent = window;
  SetCurrentDocumentHost(window);
  RegisterPreviewDocument(window);
  SetCallbackDocument(window ? window->GetDocument() : nullptr, window);
}

CDocWindow::CDocWindow(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kChildStyle, need::kDocWindow),
      fSettings(std::make_unique<CDocSettings>(SSpoolLayout{DataEnvironment(), 0, 0})),
      fDocument(std::make_unique<C3dDocument>(this)),
      fCameras(NewRenderList()),
      fObjects(NewRenderList()),
      fLights(NewRenderList()),
      fPictures(NewRenderList()),
      fView(&fDocument->GetSelection()),
      fPatchPictures(std::make_unique<CIxImage>(environment, need::kPatchRenderPictures.name, 0)) {
  // No path until the document is opened or saved.
  CopyCString(fTitle, kUntitled, sizeof fTitle);
}

CDocWindow::~CDocWindow() {
  if (CAppl* app = GetApplication()) app->UnsubscribeHeartbeat(HeartbeatOwner());
  if (gCurrent == this) SetCurrentDocWindow(nullptr);
  ReleaseCameraNavigation();
  delete fRenderedImage;
  delete fWindowImage;
  delete fShownImage;
  delete fPatternImage;
  fRenderedImage = fWindowImage = fShownImage = fPatternImage = nullptr;
  fView.SetImage(nullptr);
  delete fCopiedMaterial;
  fCopiedMaterial = nullptr;
  ReleaseScene();
}

void CDocWindow::ReleaseScene() {
  fDocument->GetUndoHistory().Clear();
  DetachScene();
  // A material gives back the uses of its textures as it goes.
  delete fDefaultMaterial;
  fDefaultMaterial = nullptr;
  fScene.reset();
}

void CDocWindow::DetachScene() {
  fDocument->GetSelection().DeselectAll(0);
  for (C3dBaseSpoolTable* list : {fCameras.get(), fObjects.get(), fLights.get(), fPictures.get()}) EmptyList(list);
  fView.SetCamera(nullptr);
  fView.SetObjectList(nullptr);
  fRender.fScene = nullptr;
  fRender.fCamera = nullptr;
  fRender.fSky = nullptr;
  fRender.fContext.SetSceneTable(nullptr);
  fSky = nullptr;
  fSun = nullptr;
  fCurrentCamera = fSetUpCamera = nullptr;
  for (C3dCamera*& camera : fViewCameras) camera = nullptr;
}

void CDocWindow::AttachScene() {
  fView.SetObjectList(fScene.get());
  fRender.fScene = fScene.get();
  fRender.fContext.SetSceneTable(fScene.get());
}

std::unique_ptr<C3dBaseSys> CDocWindow::NewSceneTable() {
  auto table = std::make_unique<C3dBaseSys>(ObjectsEnvironment());
  return IsUsableTable(table.get()) ? std::move(table) : nullptr;
}

bool CDocWindow::IsReady() const {
  return CLayoutHostCanvas::IsReady() && fSettings && fSettings->IsValid() && fCameras && fObjects && fLights &&
         fPictures;
}

int32_t CDocWindow::PatchPicturesResult() const {
  if (fPatchRender && fPatchRender->GetImageList()) return kNoErr;
  return fPatchPictures ? fPatchPictures->GetResult() : kErrOutOfMemory;
}

int32_t CDocWindow::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // The margins around the view take the colour the layout gives the canvas.
  fMarginColour = GetColor();
  if (const int32_t err = CElSystem::FindElement(GetRoot()->GetChildren(), need::kDocImage.name, &fDocImage, false))
    return err;
  return PatchPicturesResult();
}

SPointHV CDocWindow::GetWindowImageSize() const {
  return {int32_t(fSettings->GetWord(CDocSettings::kImageWidth)),
          int32_t(fSettings->GetWord(CDocSettings::kImageHeight))};
}

SPointHV CDocWindow::GetRenderImageSize() const {
  return {int32_t(fSettings->GetWord(CDocSettings::kRenderWidth)),
          int32_t(fSettings->GetWord(CDocSettings::kRenderHeight))};
}

CImElement* CDocWindow::GetOverlayButton(uint32_t index) const {
  return index < kOverlayButtonCount ? fOverlayButtons[index] : nullptr;
}

CIxImage* CDocWindow::GetPatchRenderPictures() const {
  return fPatchRender && fPatchRender->GetImageList() ? fPatchRender->GetImageList() : fPatchPictures.get();
}

// ---- initialisation

int32_t CDocWindow::Init(CResourceEnv* textures, SPointHV imageSize, SPointHV renderSize) {
  if (!IsReady()) return kErrOutOfMemory;
  if (const int32_t err = PatchPicturesResult()) return err;
  fZoomLevel = 0;
  fTextures = textures;
  fMode = kWireframeShown;
  fDirty = 0xFFFFFFFF;
  ReadTitle();
  if (!fDocImage) {
    if (const int32_t err = CElSystem::FindElement(GetRoot()->GetChildren(), need::kDocImage.name, &fDocImage, false))
      return err;
  }
  fSettings->SetSizes(imageSize.h, imageSize.v, renderSize.h, renderSize.v);
  if (const int32_t err = MakeImages(imageSize, renderSize)) return err;
  if (const int32_t err = MakeSceneTable()) return err;
  if (const int32_t err = CreateViewCameras(fScene.get())) return err;
  if (const int32_t err = CreateDefaultPicture()) return err;
  ReadPresetTexts();
  SetUpRenderState();
  if (const int32_t err = ResetCurrentCamera()) return err;
  if (const int32_t err = SetUpSky(textures)) return err;
  if (const int32_t err = CreateDefaultGround()) return err;
  fSetUpCamera = fCurrentCamera;
  if (const int32_t err = PrepareSky()) return err;
  if (const int32_t err = EnterHeartbeat()) return err;
  ClearFlags(kUnsavedChanges);
  BindOverlayElements();
  return Redraw(false);
}

// "Untitled" unless the layout's "doc text" gives a title; 63 characters at most.
void CDocWindow::ReadTitle() {
  CIxTextLocal titles(GetResourceEnvironment(), need::kDocText.name, CIxText::kNone);
  const bool usable = titles.GetResult() == kNoErr && titles.Count() >= need::kDocText.entries;
  CopyCString(fTitle, usable ? titles.TextAt(0) : kUntitled, sizeof fTitle);
  fRender.fTitle = fTitle;
}

// The window image and the rendered image, the rendered one opaque white and shown whole.
int32_t CDocWindow::MakeImages(SPointHV imageSize, SPointHV renderSize) {
  fView.SetImage(nullptr);
  delete fWindowImage;
  delete fRenderedImage;
  fWindowImage = NewImage(imageSize);
  fRenderedImage = NewImage(renderSize);
  if (!fWindowImage || !fRenderedImage) return kErrOutOfMemory;
  if (!fRenderedImage->Fill(0xFFFFFFFF)) return kErrOutOfMemory;
  fHoldsPicture = false;
  fShownSize = renderSize;
  fVisiblePart = {0, 0, renderSize.v, renderSize.h};
  return kNoErr;
}

// A new scene table with the sky; the view draws from it. The default material, which new objects
// copy, is the window's own and stays outside the scene.
int32_t CDocWindow::MakeSceneTable() {
  ReleaseScene();
  fScene = NewSceneTable();
  if (!fScene) return kErrOutOfMemory;
  fView.SetObjectList(fScene.get());
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(ObjectsEnvironment(), key, spec);
  if (const int32_t err = C3dMaterial::New(&fDefaultMaterial, nullptr, key, spec)) return err;
  MakeCreationKey<C3dSky>(ObjectsEnvironment(), key, spec);
  return C3dSky::New(&fSky, fScene.get(), key, spec);
}

// Object creation reads the preset libraries' folder and names from the layout's lists 100 and 101.
void CDocWindow::ReadPresetTexts() {
  fPresetFolder.clear();
  CIxText folder(GetResourceEnvironment(), need::kPresetFolder.number, need::kPresetFolder.name, CIxText::kNone);
  CIxTxHolder held(&folder, true);
  if (folder.GetResult() == kNoErr && held.IsHeld() && folder.Count() >= need::kPresetFolder.entries)
    fPresetFolder = folder.TextAt(0);
  fPresetLibraries = std::make_unique<CIxText>(GetResourceEnvironment(), need::kPresetLibraries.number,
                                               need::kPresetLibraries.name, CIxText::kNone);
}

// The render options word and the render context's records: the window's own settings, render camera
// and scene, progressive rendering, and antialias and optimizer choices 0.
void CDocWindow::SetUpRenderState() {
  fRender.fSettings.fFlags = kInitialRenderOptions;
  fRender.fScene = fScene.get();
  fRender.fSky = fSky;
  fRender.fAntialiasChoice = 0;
  fRender.fOptimizerChoice = 0;
  // A complete render shows its report until the render options say otherwise.
  fRender.fReportWanted = true;
  CRenderContext& context = fRender.fContext;
  context.SetSettings(&fRender.fSettings);
  context.SetCamera(&fRender.fRenderCamera);
  context.SetSceneTable(fScene.get());
  context.SetAntialiasChoice(0);
  context.SetOptimizerChoice(0);
  context.ResetProgressive();
}

// Orthographic views render without haze and fog: the sky's atmosphere-off bit follows the current
// camera; then the sky prepares for rendering from the scene's sun.
int32_t CDocWindow::PrepareSky() {
  if (!fSky) return kErrOutOfMemory;
  CHolder sky(fSky, true, false);
  if (!sky.IsLocked()) return NonZeroError(fSky->GetError());
  SSkySettings& settings = fSky->GetSettings();
  if (fCurrentCamera != fViewCameras[kPerspective]) settings.flags |= C3dSky::kAtmosphereOff;
  else settings.flags &= ~C3dSky::kAtmosphereOff;
  sky.Release();
  return fSky->PrepareForRender(fScene.get(), nullptr);
}

int32_t CDocWindow::EnterHeartbeat() {
  CAppl* app = GetApplication();
  if (!app) return kErrOutOfMemory;
  while (app->UnsubscribeHeartbeat(HeartbeatOwner())) {
  }
  return app->SubscribeHeartbeat(HeartbeatOwner(), &HeartbeatCallback) ? kNoErr : kErrOutOfMemory;
}

// The overlay buttons with the window's press callback, the family chiclet painted in its family's
// colour, and "patch render" with its click and draw hooks and its three pictures.
void CDocWindow::BindOverlayElements() {
  for (uint32_t i = 0; i < kOverlayButtonCount; ++i) {
    CElement* button = nullptr;
    BindElementData(fDocImage, need::kOverlayButtons[i].name, &button, &UIHostPressButton, nullptr, nullptr);
    fOverlayButtons[i] = dynamic_cast<CImElement*>(button);
  }
  if (CImElement* family = fOverlayButtons[kFamilyChiclet]) {
    family->SetDrawCallback(&PaintFamilyChiclet);
    family->SetPressCallback(&OnChicletPress);
  }
  if (CImElement* attributes = fOverlayButtons[kAttributesChiclet]) attributes->SetPressCallback(&OnChicletPress);
  CElement* patch = nullptr;
  BindElementData(fDocImage, need::kPatchRender.name, &patch, &OnPatchRenderClick, nullptr, nullptr);
  fPatchRender = dynamic_cast<CImElement*>(patch);
  if (!fPatchRender) return;
  fPatchRender->SetDrawCallback(&PaintPatchRender);
  if (fPatchPictures && fPatchRender->SetImageList(fPatchPictures.get(), true) == kNoErr) fPatchPictures.release();
  fPatchRender->SelectEntry(0, false, false, false);
}

int32_t CDocWindow::OnChicletPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  *handled = element;
  CUIMessage message;
  message.InitFromElement(0, element, CUIMessage::kBroadcast);
  return element->SendMessageUp(&message, element);
}

// ---- small operations

void CDocWindow::NotifyObjInfoChanged(uint32_t changes) {
  fRender.fContext.ResetProgressive();
  CUIMessage message;
  message.Init(kObjInfoKind, kObjInfoChanged, nullptr, need::kControlPalette.name, 0);
  message.SetDataWord(changes);
  if (CUICmFunction* owner = GetOwner()) owner->Enqueue(message);
}

int32_t CDocWindow::CacheCameraState() {
  if (!fCurrentCamera) return kErrInvalidParameter;
  fRender.fCamera = fCurrentCamera;
  const SPointHV size = GetRenderImageSize();
  fRender.fWidth = size.h;
  fRender.fHeight = size.v;
  return fRender.CacheCameraState();
}

void CDocWindow::SetViewRect(const SRect& rect) {
  fViewRect = rect;
  if (fMode & kRenderedShown) {
    fZoomLevel = 1;
    Zoom(true, false);
  }
}

void CDocWindow::LayoutView() {
  PlaceImageElement(false);
  CLayoutHostCanvas::Invalidate(nullptr);
}

// While a dialog stands in front the keys stay with it.
int32_t CDocWindow::OnActivate(SWinEvent& event) {
  if (!IsStale()) platform::SetFocus(GetWindow());
  return CLayoutHostCanvas::OnActivate(event);
}

void CDocWindow::ShowWarning(uint32_t entry) {
  CAppl* app = GetApplication();
  if (!app) return;
  CIxTextLocal warnings(app->GetResourceEnv(), need::kWarnings.name, CIxText::kNone);
  if (warnings.GetResult() != kNoErr || entry >= warnings.Count()) return;
  app->ShowMessage(MacRomanToAnsi(std::string(warnings.TextAt(entry))).c_str());
}

int32_t CDocWindow::RunContextMenu() {
  CMenu* menu = nullptr;
  if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need::kDocContextMenu.number, &menu, GetWindow()))
    return err;
  CAppl* app = GetApplication();
  const platform::SPoint pointer = app ? app->GetCursorPos() : platform::SPoint{};
  uintptr_t command = 0;
  uint32_t row = 0;
  if (menu->SelectItemAt({pointer.x, pointer.y}, GetWindow(), &command, &row)) {
    if (row == kZoomToSelectionRow) {
      CUIMessage message;
      message.Init(0, kZoomToSelection, nullptr, need::kDocWindow.name, CUIMessage::kBroadcast);
      GetRoot()->SendMessageUp(&message, GetRoot());
    } else if (row == kShowPatchRenderRow && fPatchRender) {
      fPatchRender->Show(false);
      CLayoutHostCanvas::Invalidate(nullptr);
    }
  }
  delete menu;
  return kNoErr;
}

// ---- the heartbeat

int32_t CDocWindow::HeartbeatCallback(void* owner, void* record, void*) {
  auto* window = static_cast<CDocWindow*>(static_cast<CDocumentHost*>(owner));
  return window->Heartbeat(*static_cast<const SHeartbeatRecord*>(record));
}

int32_t CDocWindow::Heartbeat(const SHeartbeatRecord& record) {
  // A dialog in front (the canvas stale), a nested heartbeat, or a hidden canvas: nothing to do.
  if (IsStale() || record.reserved1 != 0 || !IsShown()) return kNoErr;
  UpdateMenuStates();
  if (fMode & kWireframeShown) {
    if (!fDirty) return TrackHover();
    // A redraw that keeps failing is reported once, until the next Invalidate.
    if (fRedrawFailed) return kNoErr;
    const int32_t err = Redraw(false);
    fRedrawFailed = err != kNoErr;
    return err;
  }
  if (fMode & kRenderedShown) {
    TrackImageHover();
    if (!fRenderRequest) return kNoErr;
    const int32_t result = RenderSlice();
    if (fPatchRender && fPatchRender->IsShown()) DrawPatchRender(GetDeviceContext());
    return result;
  }
  return kNoErr;
}

// ---- render to disk

int32_t CDocWindow::RenderToDisk() {
  SDiskRender request;
  const SPointHV size = GetRenderImageSize();
  request.width = size.h;
  request.height = size.v;
  return RenderToDisk(request);
}

int32_t CDocWindow::RenderToDisk(const SDiskRender& request) {
  if (const int32_t err = CacheCameraState()) return err;
  fRender.fTitle = fTitle;
  return ::RenderToDisk(fRender, request);
}

bool CDocWindow::IsCameraFirstSelected() {
  const C3dObject* first = fDocument->GetSelection().GetObject(0);
  return first && first->GetFamily() == C3dCamera::kFamily;
}
void CDocWindow::ClearSelection() { fDocument->GetSelection().DeselectAll(1); }

void CDocWindow::SetCompanions(CTerrainEditor* terrain, CEditPoly* meshes, CEditTori* tori, CReportRender* report) {
  fTerrainEditor = terrain;
  fMeshPanel = meshes;
  fTorusEditor = tori;
  fReportRender = report;
  // A render to disk fills the same report as a render into the window.
  fRender.fReport = report;
}
