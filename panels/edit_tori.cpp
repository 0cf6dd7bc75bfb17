#include "panels/edit_tori.h"

#include <cmath>
#include <cstring>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/torus_action.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "platform/clock.h"
#include "render/preview_scene.h"
#include "render/view.h"
#include "scene/object.h"
#include "scene/torus.h"

namespace {

constexpr uint32_t kEscape = 27;
constexpr uint32_t kControlN = 14;
constexpr double kHundredth = 0.01;

// The drag's mode, fixed at its press: with Alt the ring radius stays.
bool gKeepRing = false;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
CAppl* App() { return GetApplication(); }
int32_t Hundredths(double value) { return int32_t(std::trunc(value * 100)); }

void SetRadii(C3dTorus* torus, double tube, double ring) {
  torus->SetMinorRadius(tube);
  torus->UpdateBounds();
  torus->SetMajorRadius(ring);
  torus->UpdateBounds();
}

}  // namespace

CEditTori::CEditTori(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditTori) {}

CEditTori::~CEditTori() {
  if (CAppl* app = App()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
}

C3dTorus* CEditTori::GetPreviewTorus() const {
  return fPreview ? static_cast<C3dTorus*>(fPreview->GetShape(CPreviewScene::kTorus)) : nullptr;
}

int32_t CEditTori::BuildPreview() {
  SRect local;
  fTorus->GetLocalRect(&local);
  const int32_t width = RectWidth(local), height = RectHeight(local);
  int32_t err = kNoErr;
  fBackground.reset(NewDataImage(uint32_t(width), uint32_t(height), &err));
  if (!fBackground) return err ? err : kErrOutOfMemory;
  fPreview = std::make_unique<CPreviewScene>();
  if (!fPreview->IsReady()) return kErrOutOfMemory;
  if ((err = fPreview->BuildSample(width, height, true, false, CPreviewScene::kTorus))) return err;
  return GetPreviewTorus() ? kNoErr : kErrObjectNotFound;
}

int32_t CEditTori::BuildControls(CResourceEnv* environment) {
  fBackdrop = fTorus = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElementRef(need::kToriBackground.name, &fBackdrop, nullptr, nullptr, nullptr);
  BindElementRef(need::kToriTorus.name, &fTorus, &OnTorusPress, nullptr, nullptr);
  if (!fTorus) return kErrObjectNotFound;
  // Without its preview the editor still edits; it shows nothing spinning.
  if (BuildPreview()) fPreview.reset();
  if (!fBackground) return kErrOutOfMemory;
  CAppl* app = App();
  if (!app) return kErrFailedCreation;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &OnIdle) ? kNoErr : kErrFailedCreation;
}

int32_t CEditTori::SetTorus(C3dBaseSys* table) {
  fTable = table;
  return Exchange(true);
}

void CEditTori::ShowRadii() {
  if (fTorus) {
    fTorus->SetUserWord(kTubeItem, uint32_t(Hundredths(fTube)));
    fTorus->SetUserWord(kHalfOuterItem, uint32_t(Hundredths(fOuter * 0.5)));
    fTorus->SetUserWord(kRingItem, uint32_t(Hundredths(fRing)));
  }
  C3dTorus* preview = GetPreviewTorus();
  CHolder lock(preview, true, false);
  if (preview && lock.IsLocked()) SetRadii(preview, fTube, fRing);
}

int32_t CEditTori::Exchange(bool load) {
  CDocumentHost* host = fOwner ? fOwner : GetCurrentDocumentHost();
  if (load) {
    C3dObject* object = nullptr;
    // Without a selected torus the editor keeps its last values.
    if (fTable && C3dObject::FindFirstSelectedRoot(fTable, &object) == kNoErr && object &&
        object->GetClass() == C3dTorus::kClassTag) {
      const auto* torus = static_cast<C3dTorus*>(object);
      fRing = torus->GetMajorRadius();
      fTube = torus->GetMinorRadius();
      fOuter = fTube + fRing;
    }
    ShowRadii();
    return kNoErr;
  }
  std::unique_ptr<CTorusAction> action(new (std::nothrow) CTorusAction);
  bool changed = false;
  C3dObject* object = nullptr;
  uint32_t index = 0;
  while (fTable && C3dObject::FindNextSelected(fTable, &object, &index) == kNoErr && object) {
    if (object->GetClass() != C3dTorus::kClassTag) continue;
    auto* torus = static_cast<C3dTorus*>(object);
    CHolder lock(torus, true, false);
    if (!lock.IsLocked()) continue;
    // Without room in the action the tori still change, not undoable.
    if (action && action->AddObject(torus)) action.reset();
    SetRadii(torus, fTube, fRing);
    changed = true;
  }
  if (!changed) return kNoErr;
  return FinishSceneEdit(host, action.release(), true);
}

void CEditTori::CloseDialog() {
  fCapture = true;
  Hide();
}

void CEditTori::CloseFromOutside() {
  Close();
  CloseDialog();
}

int32_t CEditTori::UpdatePreview() {
  C3dTorus* torus = GetPreviewTorus();
  if (!torus || !fTorus || !fBackground) return kNoErr;
  CView* view = fPreview->GetView();
  if (!view) return kErrOutOfMemory;
  if (fCapture) {
    // What lies under the preview, taken once per opening: every step draws over it.
    SRect local;
    fTorus->GetLocalRect(&local);
    SPointHV corner;
    fTorus->LocalToRootPoint(&corner, {local.left, local.top});
    GrabScreenIntoImage(fBackground.get(), corner);
    view->SetBackgroundImage(fBackground.get());
    fCapture = false;
  }
  {
    CHolder lock(torus, true, false);
    if (!lock.IsLocked()) return 1;
    torus->SetTransformVector2(torus->GetTransformVector2() + vector3<double>{kSpin, kSpin, kSpin});
    SetRadii(torus, fTube, fRing);
  }
  if (const int32_t err = fPreview->DrawWireframe()) return err;
  ++fPreviews;
  return fPreview->Paint(fTorus, GetDeviceContext(), nullptr);
}

int32_t CEditTori::OnIdle(void* editor, void* record, void*) {
  auto* self = static_cast<CEditTori*>(editor);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CAppl* app = App();
  CHoElement* root = self ? self->GetRoot() : nullptr;
  if (!self || !beat || !app || !self->IsShown() || self->IsStale() || !app->IsActive() || !root ||
      !self->fBackdrop || !self->fBackdrop->IsShown() || !self->fBackdrop->AcceptsEvents(kEventMaskHover))
    return kNoErr;
  return self->UpdatePreview();
}

int32_t CEditTori::OnTorusPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CAppl* app = App();
  if (!app) return kNoErr;
  gKeepRing = app->IsAltDown();
  const int32_t limit = int32_t(element->GetUserWord(gKeepRing ? kRingItem : kHalfOuterItem));
  int32_t value = int32_t(element->GetUserWord(kTubeItem));
  int32_t last = point.h;
  const auto send = [element](int32_t v) {
    element->SetUserWord(kTubeItem, uint32_t(v));
    CUIMessage message;
    message.InitFromElement(kDragKind, element, 0);
    element->SendMessageUp(&message, element);
  };
  while (app->IsStillDown()) {
    const platform::SPoint screen = app->GetCursorPos();
    SPointHV now;
    element->RootToLocalPoint(&now, {screen.x, screen.y});
    if (now.h != last) {
      value += now.h - last;
      value = value < 0 ? 0 : value > limit ? limit : value;
      last = now.h;
    }
    send(value);
    platform::SleepMs(kPollMs);
  }
  send(value);
  return kNoErr;
}

int32_t CEditTori::OnCharacter(SWinEvent& event) {
  CAppl* app = App();
  const bool commandN = app && app->IsControlDown() && (event.key == 'n' || event.key == 'N' || event.key == kControlN);
  if (IsShown() && !IsStale() && (event.key == kEscape || commandN)) {
    Close();
    CloseDialog();
    return kHandled;
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

int32_t CEditTori::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditTori.canvas.name);
  if (message->kind == 0 && own && (Same(element, need::kEditTori.cancel.name) || Same(element, need::kEditTori.ok.name))) {
    Close();
    CloseDialog();
    if (Same(element, need::kEditTori.ok.name)) Exchange(false);
    return kHandled;
  }
  if (message->kind == 0 && !own && Same(element, need::kEditTori.canvas.name)) {
    // Shown already: brought forward, the level its opening raised kept.
    BringForward();
    return kHandled;
  }
  if (message->kind == kDragKind && own && fTorus && Same(element, fTorus->GetName())) {
    fTube = int32_t(fTorus->GetUserWord(kTubeItem)) * kHundredth;
    if (gKeepRing) fOuter = fTube + fRing;
    else fRing = fOuter - fTube;
    ShowRadii();
    UpdatePreview();
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
