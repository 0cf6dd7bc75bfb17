// The mouse in the document window: a press scrolls or crops the rendered image, or, over the
// wireframe, drives the camera, drags a handle of the selection, selects and moves objects or draws
// a selection band. Every drag is a modal loop of its own that polls the button and the pointer,
// redraws on each step and records at most one undoable action at the release.
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "editing/camera_action.h"
#include "editing/document.h"
#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "editing/translate_action.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/pointer_steps.h"
#include "framework/ui/ui_message.h"
#include "panels/edit_tori.h"
#include "panels/nano_editor.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/window.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/group.h"

namespace {

constexpr uint32_t kVkF10 = 121;
constexpr int64_t kRestMs = 100;     // the pointer rests during a drag
constexpr int64_t kBandRestMs = 50;  // and during a selection band
constexpr double kPanPerPixel = 0.001;
constexpr uint32_t kMoveCursor = 124;
// The object-info codes a drag sends: the selection changed, and a drag step that changed it.
constexpr uint32_t kSelectionChanged = 4;
constexpr uint32_t kDragStepChanged = 0x80000004;
constexpr uint32_t kCameraChanged = 1;
// The kinds of the camera controls' messages.
constexpr uint32_t kControlPress = 1;
constexpr uint32_t kControlDrag = 2;
constexpr uint32_t kControlRelease = 3;
constexpr uint32_t kMovementWordX = 6;
constexpr uint32_t kMovementWordY = 7;
constexpr const char* kControlPaletteName = "control palette";
constexpr const char* kTrackballControl = "trackball control";
constexpr const char* kCameraXZControl = "camera XZ control";
constexpr const char* kBankingButton = "banking button";
constexpr const char* kDisplayPaletteName = "display palette";
constexpr const char* kIsPlopModeOff = "is plopmode off?";

int32_t Width(const SRect& r) { return r.right - r.left; }
int32_t Height(const SRect& r) { return r.bottom - r.top; }

bool StrictlyInside(SPointHV p, const SRect& r) {
  return r.left < p.h && p.h < r.right && r.top < p.v && p.v < r.bottom;
}

SRect Spanned(SPointHV a, SPointHV b) {
  return {std::min(a.v, b.v), std::min(a.h, b.h), std::max(a.v, b.v), std::max(a.h, b.h)};
}

void FrameBand(platform::DeviceContext* dc, const SRect& r) {
  platform::MoveToEx(dc, r.left, r.top, nullptr);
  platform::LineTo(dc, r.right, r.top);
  platform::LineTo(dc, r.right, r.bottom);
  platform::LineTo(dc, r.left, r.bottom);
  platform::LineTo(dc, r.left, r.top);
}

// Whether a selection band may take the object: what the wireframe shows at the top level, and not
// locked.
bool IsBandSelectable(const C3dObject* object) {
  return !object->GetParent() && !(object->GetFlags() & (C3dObject::kTransformLocked | C3dObject::kNotDrawn)) &&
         !(object->GetStateFlags() & C3dObject::kExcluded);
}

}  // namespace

int32_t CDocWindow::OnPointerPress(SWinEvent& event) { return HandleMouseDown(event); }

bool CDocWindow::PixelRay(int32_t x, int32_t y, vector3<double>* origin, vector3<double>* direction) {
  fView.PixelRay(x, y, *origin, *direction);
  return true;
}

SPointHV CDocWindow::PointerInCanvas() const {
  CAppl* app = GetApplication();
  const platform::SPoint pointer = app ? app->GetCursorPos() : platform::SPoint{};
  return ScreenToCanvas({pointer.x, pointer.y});
}

SPointHV CDocWindow::CanvasToView(SPointHV point) const {
  const SRect image = DocImageRect();
  return {point.h - image.left, point.v - image.top};
}

void CDocWindow::NotifyDragStep(uint32_t code) {
  if ((fFlags & kNotifyDrags) || CSelection::IsKeyHeld(kVkF10)) NotifyObjInfoChanged(code);
}

int32_t CDocWindow::HandleMouseDown(SWinEvent& event) {
  CAppl* app = GetApplication();
  if (!app) return kHandled;
  // The torus editor on top closes at a press in the window, which it does not take further.
  if (fTorusEditor && fTorusEditor->IsShown() && !fTorusEditor->IsStale()) {
    fTorusEditor->CloseFromOutside();
    return kHandled;
  }
  // A dialog stands in front.
  if (IsStale()) {
    platform::Beep();
    return kHandled;
  }
  if (!IsActiveWindow()) Activate();
  const bool space = app->IsKeyDown(platform::kVkSpace);
  SPointHV press;
  GetRoot()->ParentToLocalPoint(&press, ScreenToCanvas({event.x, event.y}));
  if ((fMode & kRenderedShown) && !(fMode & kWireframeShown)) return PressOnRenderedImage(event, press, space);
  return PressOnWireframe(event, press, space);
}

bool CDocWindow::OfferToDocImage(SWinEvent& event, SPointHV press) {
  if (!fDocImage) return false;
  const SRect image = DocImageRect();
  CElement* handled = nullptr;
  fDocImage->HandlePress(&handled, {press.h - image.left, press.v - image.top}, &event);
  return handled != nullptr;
}

// ---- over the rendered image

int32_t CDocWindow::PressOnRenderedImage(SWinEvent& event, SPointHV press, bool space) {
  if (space) {
    ScrollRenderedImage();
    return kHandled;
  }
  // The "patch render" element comes first, the band otherwise.
  if (OfferToDocImage(event, press)) return kHandled;
  SRect band;
  if (!TrackRubberBand(press, &band)) return kNoErr;
  const SRect shown = DocImageRect();
  const SPointHV image = GetRenderImageSize();
  const double scaleH = Width(shown) > 0 ? double(Width(fVisiblePart)) / Width(shown) : 0;
  const double scaleV = Height(shown) > 0 ? double(Height(fVisiblePart)) / Height(shown) : 0;
  auto toImageH = [&](int32_t h) {
    return std::clamp(int32_t(std::lround(h * scaleH)) + fVisiblePart.left, 0, image.h);
  };
  auto toImageV = [&](int32_t v) {
    return std::clamp(int32_t(std::lround(v * scaleV)) + fVisiblePart.top, 0, image.v);
  };
  const SRect region{toImageV(band.top), toImageH(band.left), toImageV(band.bottom), toImageH(band.right)};
  const bool empty = IsEmptyRect(region);
  SetRenderRegion(empty ? SRect{0, 0, image.v, image.h} : region);
  if (empty) return kNoErr;
  fRender.fContext.ResetProgressive();
  if (fPatchRender) {
    // The region back in the element's coordinates, over the shown image.
    auto toShownH = [&](int32_t h) { return scaleH > 0 ? int32_t(std::lround((h - fVisiblePart.left) / scaleH)) : 0; };
    auto toShownV = [&](int32_t v) { return scaleV > 0 ? int32_t(std::lround((v - fVisiblePart.top) / scaleV)) : 0; };
    fPatchRender->SetRect(
        {toShownV(region.top), toShownH(region.left), toShownV(region.bottom), toShownH(region.right)}, false);
    CUIMessage question;
    question.Init(0, kIsPlopModeOff, nullptr, kDisplayPaletteName, 0);
    CUICmFunction* owner = GetOwner();
    if (!owner || owner->Dispatch(&question) == 0) fPatchRender->Show(false);
  }
  PlaceImageElement(false);
  CLayoutHostCanvas::Invalidate(nullptr);
  return kNoErr;
}

void CDocWindow::SetRenderRegion(const SRect& region) {
  const int32_t words[4] = {region.top, region.left, region.bottom, region.right};
  for (uint32_t i = 0; i < 4; ++i) fSettings->SetWord(CDocSettings::kRegionTop + i, uint32_t(words[i]));
}

SRect CDocWindow::GetRenderRegion() const {
  return {int32_t(fSettings->GetWord(CDocSettings::kRegionTop)),
          int32_t(fSettings->GetWord(CDocSettings::kRegionTop + 1)),
          int32_t(fSettings->GetWord(CDocSettings::kRegionTop + 2)),
          int32_t(fSettings->GetWord(CDocSettings::kRegionTop + 3))};
}

int32_t CDocWindow::ScrollRenderedImage() {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  const SPointHV image = GetRenderImageSize();
  app->HideCursor();
  SPointHV previous = PointerInCanvas();
  while (app->IsStillDown()) {
    const SPointHV now = PointerInCanvas();
    if (now == previous) {
      platform::SleepMs(kRestMs);
      continue;
    }
    // The visible part keeps its size and stays inside the image.
    const int32_t width = Width(fVisiblePart), height = Height(fVisiblePart);
    const int32_t left = std::clamp(fVisiblePart.left + now.h - previous.h, 0, std::max(0, image.h - width));
    const int32_t top = std::clamp(fVisiblePart.top + now.v - previous.v, 0, std::max(0, image.v - height));
    fVisiblePart = {top, left, top + height, left + width};
    previous = now;
    if (IsShown()) Draw();
  }
  CLayoutHostCanvas::Invalidate(nullptr);
  app->ShowCursor();
  return kNoErr;
}

// ---- over the wireframe

int32_t CDocWindow::PressOnWireframe(SWinEvent& event, SPointHV press, bool space) {
  CAppl* app = GetApplication();
  // A render the window was about to start gives way to the press.
  fDirty &= ~kDirtyRedraw;
  fRenderRequest &= ~kRenderNow;
  if (!StrictlyInside(press, fViewRect)) return kHandled;
  if (OfferToDocImage(event, press)) return kHandled;
  CHolder scene(fScene.get(), false, false);
  if (!fScene || !scene.IsLocked()) return kErrOutOfMemory;
  const SPointHV anchor{event.x, event.y};
  const bool shift = app->IsShiftDown(), alt = app->IsAltDown(), control = app->IsControlDown();
  if (space && control) {
    Zoom(!alt, false);
    return kHandled;
  }
  if (space) {
    const int32_t err = alt ? TrackTrackballDrag(anchor) : TrackCameraDrag(anchor);
    return err ? err : kHandled;
  }
  CSelection& selection = fDocument->GetSelection();
  const SPointHV view = CanvasToView(press);
  int32_t handle = 0;
  if (selection.HitTestHandle(view.h, view.v, &handle)) {
    if (control && alt) return ResetSelectionTransform();
    return TrackHandleDrag(handle, anchor, control);
  }
  vector3<double> point;
  if (C3dObject* object = fView.PickObject(fRender.fContext, view.h, view.v, point)) {
    if (shift && object->IsSelected()) {
      selection.Deselect(object);
      Invalidate(false);
      Redraw(false);
      NotifyDragStep(kDragStepChanged);
      return kHandled;
    }
    const bool wasUnselected = !object->IsSelected();
    selection.Add(object, shift ? 0 : 1, 0);
    if (wasUnselected) {
      Invalidate(false);
      Redraw(false);
      NotifyDragStep(kSelectionChanged);
    }
    return TrackMoveDrag(view, point);
  }
  SRect band;
  if (app->IsStillDown() && TrackRubberBand(press, &band)) {
    SelectInBand(band, shift);
  } else if (!shift && selection.GetCount() > 0) {
    selection.DeselectAll(1);
    Invalidate(false);
  }
  return kHandled;
}

int32_t CDocWindow::ResetSelectionTransform() {
  CSelection& selection = fDocument->GetSelection();
  for (uint32_t i = 0; i < selection.GetCount(); ++i) selection.GetObject(i)->ResetRotationAndSize();
  Invalidate(false);
  NotifyObjInfoChanged(kSelectionChanged);
  return kHandled;
}

int32_t CDocWindow::TrackHandleDrag(int32_t handle, SPointHV anchor, bool rotate) {
  CAppl* app = GetApplication();
  CSelection& selection = fDocument->GetSelection();
  auto action = CMatrixAction::OfSelection(selection);
  if (!action) return kErrOutOfMemory;
  selection.SetEditKind(rotate ? CSelection::kRotate : CSelection::kResize);
  SHandleDrag drag;
  selection.BeginHandleDrag(handle, &drag);
  app->HideCursor();
  fDragging = 1;
  Invalidate(false);
  Redraw(false);
  CPointerSteps pointer({anchor.h, anchor.v});
  while (app->IsStillDown()) {
    const platform::SPoint step = pointer.Next();
    if (step.x == 0 && step.y == 0) {
      platform::SleepMs(kRestMs);
      continue;
    }
    selection.DragHandleStep(step.x, step.y, &drag);
    Invalidate(false);
    Redraw(false);
    NotifyDragStep(kDragStepChanged);
    platform::SleepMs(0);
  }
  pointer.Home();
  // Even a drag that never moved is recorded.
  const int32_t err = fDocument->GetUndoHistory().Push(action.release());
  app->ShowCursor();
  SetAppCursor(0, true);
  fDragging = 0;
  Invalidate(false);
  Redraw(true);
  NotifyObjInfoChanged(kSelectionChanged);
  return err ? err : kHandled;
}

int32_t CDocWindow::TrackMoveDrag(SPointHV press, const vector3<double>& point) {
  CAppl* app = GetApplication();
  CSelection& selection = fDocument->GetSelection();
  SetAppCursor(kMoveCursor, true);
  SPointHV previous = press;
  bool moved = false;
  vector3<double> total;
  while (app->IsStillDown()) {
    const SPointHV now = CanvasToView(PointerInCanvas());
    if (now == previous) {
      platform::SleepMs(kRestMs);
      continue;
    }
    if (!moved) {
      selection.BeginPlaneMove(point);
      selection.SetLastPoint(press.h, press.v);
      selection.SetMoveUnderWay(true);
      SetAppCursor(kMoveCursor, true);
      fDragging = 1;
      moved = true;
    }
    vector3<double> step;
    selection.PlaneMoveStep(now.h, now.v, &step);
    previous = CanvasToView(PointerInCanvas());
    total += step;
    Invalidate(false);
    Redraw(false);
    NotifyDragStep(kDragStepChanged);
  }
  fDragging = 0;
  int32_t result = kHandled;
  if (moved) {
    auto action = std::make_unique<CTranslateAction>(total, selection.GetList());
    const int32_t err = action->IsValid() ? fDocument->GetUndoHistory().Push(action.release()) : kErrOutOfMemory;
    Invalidate(false);
    Redraw(true);
    // The render lists are collected again before the next render.
    SetFlags(kUnsavedChanges);
    NotifyObjInfoChanged(kSelectionChanged);
    result = err ? err : fRender.fContext.PrepareOptimizer() ? kHandled : kErrOutOfMemory;
  }
  selection.SetMoveUnderWay(false);
  return result;
}

void CDocWindow::SelectInBand(const SRect& band, bool toggle) {
  CSelection& selection = fDocument->GetSelection();
  C3dBaseSpoolTable* list = fObjects.get();
  CHolder holder(list, false, false);
  for (uint32_t row = 0; list && holder.IsLocked() && row < list->GetCount(); ++row) {
    C3dBase* thing = list->At(row);
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (!object || !IsBandSelectable(object)) continue;
    const C3dBox box = object->WorldBox();
    const SPointHV centre = ProjectPoint((box.fMin + box.fMax) * 0.5);
    const bool inside = StrictlyInside(centre, band);
    // Without Shift the band decides for every object; with Shift it toggles those inside.
    if (inside && !object->IsSelected()) {
      selection.Add(object, 0, 0);
    } else if (inside ? toggle : !toggle) {
      selection.Deselect(object);
    }
  }
  Invalidate(false);
  NotifyDragStep(kSelectionChanged);
}

bool CDocWindow::TrackRubberBand(SPointHV anchor, SRect* band) {
  CAppl* app = GetApplication();
  platform::DeviceContext* dc = GetDeviceContext();
  platform::GdiObject pen = platform::CreatePen(platform::kPsDot, 1, 0);
  if (!app || !dc || !pen) {
    if (pen) platform::DeleteObject(pen);
    return false;
  }
  platform::GdiObject oldPen = platform::SelectObject(dc, pen);
  const int32_t oldMode = platform::SetROP2(dc, platform::kR2XorPen);
  SRect drawn;
  bool shown = false;
  SPointHV last = anchor;
  while (app->IsStillDown()) {
    SPointHV now;
    GetRoot()->ParentToLocalPoint(&now, PointerInCanvas());
    if (now == last) {
      platform::SleepMs(kBandRestMs);
      continue;
    }
    // XOR: drawing the band again takes it away.
    if (shown) FrameBand(dc, drawn);
    drawn = Spanned(anchor, now);
    FrameBand(dc, drawn);
    shown = true;
    last = now;
  }
  if (shown) FrameBand(dc, drawn);
  platform::SetROP2(dc, oldMode);
  platform::SelectObject(dc, oldPen);
  platform::DeleteObject(pen);
  if (!shown) return false;
  // Relative to the shown image, which lies at the view's origin unless the view is larger.
  const SRect image = DocImageRect();
  *band = OffsetRect(SectRect(drawn, fViewRect), -image.left, -image.top);
  return !IsEmptyRect(*band);
}

// ---- the camera

// ---- the live preview of drags

bool CDocWindow::StartLivePreview() {
  if (!fNanoEditor || !fNanoEditor->GetImageElement()) return false;
  fFlags |= kLivePreview | kLivePreviewDrag;
  fNanoEditor->CentreOnScreen();
  fNanoEditor->Show();
  fNanoEditor->UpdateNow();
  return true;
}

void CDocWindow::StopLivePreview(bool hadLivePreview) {
  fFlags &= ~kLivePreviewDrag;
  if (!hadLivePreview) fFlags &= ~kLivePreview;
  if (fNanoEditor) fNanoEditor->Hide();
}

CImElement* CDocWindow::LivePreviewTarget(bool force) const {
  if (!(fFlags & kLivePreview) || !(force || (fFlags & kLivePreviewDrag)) || !fNanoEditor) return nullptr;
  CImElement* image = fNanoEditor->GetImageElement();
  return image && image->GetImage() ? image : nullptr;
}

int32_t CDocWindow::TrackCameraDrag(SPointHV anchor) {
  CAppl* app = GetApplication();
  C3dCamera* camera = fCurrentCamera;
  if (!app || !camera) return kNoErr;
  auto action = std::make_unique<CCameraAction>(camera);
  if (!action->IsValid()) return kErrOutOfMemory;
  CHolder locked(camera, false, false);
  app->HideCursor();
  const bool hadLivePreview = fFlags & kLivePreview;
  bool live = false, moved = false;
  CPointerSteps pointer({anchor.h, anchor.v});
  while (app->IsStillDown()) {
    const platform::SPoint step = pointer.Next();
    if (step.x == 0 && step.y == 0) {
      platform::SleepMs(kRestMs);
      continue;
    }
    if (!moved) live = StartLivePreview();
    moved = true;
    SCameraView& view = camera->GetView();
    if (CSelection::IsKeyHeld(platform::kVkMenu)) {
      view.offsetX = view.offsetY = 0;
    } else {
      view.offsetX += step.x * kPanPerPixel;
      view.offsetY += step.y * kPanPerPixel;
    }
    Invalidate(true);
    Redraw(false);
    NotifyDragStep(kCameraChanged);
  }
  pointer.Home();
  locked.Release();
  const int32_t err = fDocument->GetUndoHistory().Push(action.release());
  if (live) StopLivePreview(hadLivePreview);
  app->ShowCursor();
  SetAppCursor(0, true);
  Invalidate(true);
  Redraw(true);
  CacheCameraState();
  NotifyObjInfoChanged(kCameraChanged);
  return err;
}

int32_t CDocWindow::TrackTrackballDrag(SPointHV anchor) {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  auto send = [&](uint32_t kind, const char* control, int32_t dx, int32_t dy) {
    CUIMessage message;
    message.Init(kind, control, nullptr, kControlPaletteName, 0);
    message.SetPayloadWord(kMovementWordX, dx);
    message.SetPayloadWord(kMovementWordY, dy);
    HandleEvent(&message);
  };
  send(kControlPress, kTrackballControl, 0, 0);
  const bool hadLivePreview = fFlags & kLivePreview;
  bool live = false, moved = false;
  CPointerSteps pointer({anchor.h, anchor.v});
  while (app->IsStillDown()) {
    const platform::SPoint step = pointer.Next();
    if (step.x == 0 && step.y == 0) {
      platform::SleepMs(kRestMs);
      continue;
    }
    if (!moved) {
      app->HideCursor();
      live = StartLivePreview();
    }
    moved = true;
    const bool control = CSelection::IsKeyHeld(platform::kVkControl), alt = CSelection::IsKeyHeld(platform::kVkMenu);
    const char* target = !control ? kTrackballControl : alt ? kBankingButton : kCameraXZControl;
    send(kControlDrag, target, step.x, step.y);
    Heartbeat(SHeartbeatRecord());
    platform::SleepMs(0);
  }
  if (moved) pointer.Home();
  if (live) StopLivePreview(hadLivePreview);
  send(kControlRelease, kTrackballControl, 0, 0);
  if (moved) app->ShowCursor();
  return kNoErr;
}
