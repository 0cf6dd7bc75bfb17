// The document window's keys: the camera moves while an arrow is held with Ctrl, the palettes' names
// with Ctrl and a digit, and the editing keys on the selection, each edit recorded as one undoable
// action; Shift+F1 shows the build information, and 'help' opens the help file.
//
// A key event carries a character (virtual key 0) or a key that makes none (its virtual key, also in
// the key field). Typed characters and keys without one are told apart by that: '.' (46) is no
// Delete, '(' (40) no Down arrow and 'p' (112) no F1.
#include <cstdio>
#include <memory>

#include "app/doc_window.h"
#include "editing/attributes_action.h"
#include "editing/camera_action.h"
#include "editing/document.h"
#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/file_spec.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/help.h"
#include "platform/window.h"
#include "scene/camera.h"

namespace {

constexpr uint32_t kDigitOne = '1';
constexpr uint32_t kPaletteCount = 6;
constexpr const char* kPaletteNames[kPaletteCount] = {"create text",     "edit text",         "sky&fog text",
                                                      "control palette", "selection palette", "display palette"};

// This build's own: its version, the system it runs on and the day it was compiled.
constexpr const char* kBuildCaption = "Quarn2 Build Information";
constexpr const char* kBuildFormat = "%s\nBuild Date: %s";
constexpr const char* kBuildIdentification = "Quarn2 " QUARN2_VERSION_TEXT " for " QUARN2_PLATFORM_TEXT;
constexpr const char* kBuildDate = __DATE__;
constexpr const char* kHelpFile = "Quarn2.hlp";

// The camera keys: a slide of 10.24 and an orbit of 5 per step, scaled.
constexpr double kSlideStep = 10.24;
constexpr double kSlideScale = 0.1;
constexpr double kOrbitStep = 5;
constexpr double kOrbitScale = 0.01;
// The nudge keys: half a unit, a 64th of that with Alt, twice with Shift.
constexpr double kNudgeStep = 0.5;
constexpr double kFineNudge = 0.015625;
constexpr double kCoarseNudge = 2.0;
// The selection's handles a nudge moves on: x, y and z.
constexpr int32_t kHandleX = 1;
constexpr int32_t kHandleY = 3;
constexpr int32_t kHandleZ = 5;

// "objinfochanged": the camera moved, a camera step under way, the scene or the selection changed.
constexpr uint32_t kCameraChanged = 1;
constexpr uint32_t kCameraStepChanged = 0x80000001;
constexpr uint32_t kSceneChanged = 2;
constexpr uint32_t kSelectionChanged = 4;

int32_t HandledOr(int32_t result) { return result == kNoErr ? kHandled : result; }

bool IsArrow(uint32_t key) { return key >= platform::kVkLeft && key <= platform::kVkDown; }

// One step of a camera key: a slide moves eye and target along the camera's right or up axis, an
// orbit turns the eye round the target.
void StepCamera(C3dCamera& camera, uint32_t arrow, bool slide) {
  const bool positive = arrow == platform::kVkRight || arrow == platform::kVkUp;
  const bool across = arrow == platform::kVkLeft || arrow == platform::kVkRight;
  const double sign = positive ? 1.0 : -1.0;
  if (!slide) {
    const double angle = sign * kOrbitStep * kOrbitScale;
    if (across) camera.OrbitA(angle);
    else camera.OrbitB(angle);
    return;
  }
  SCameraView& view = camera.GetView();
  const vector3<double> axis = across ? Cross(view.up, view.direction) : view.up;
  const vector3<double> step = axis * (sign * kSlideStep * kSlideScale);
  camera.SetTransformVector3(camera.GetTransformVector3() + step);
  view.target += step;
}

}  // namespace

int32_t CDocWindow::OnCharacter(SWinEvent& event) {
  // A dialog stands in front.
  if (IsStale()) return kNoErr;
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  const bool control = app->IsControlDown(), alt = app->IsAltDown(), shift = app->IsShiftDown();
  // A key that makes no character; 0 for a typed character.
  const uint32_t virtualKey = event.virtualKey;
  const uint32_t character = virtualKey ? 0 : event.key;

  if (shift && virtualKey == platform::kVkF1) ShowBuildInformation();
  if (control && alt && IsArrow(virtualKey)) return MoveCameraWhileHeld(virtualKey, true);
  if (control && !alt && !shift) {
    if (IsArrow(virtualKey)) return MoveCameraWhileHeld(virtualKey, false);
    const uint32_t key = virtualKey ? virtualKey : character;
    if (key >= kDigitOne && key < kDigitOne + kPaletteCount) return PostPaletteName(key - kDigitOne);
    return kHandled;
  }
  if (virtualKey == platform::kVkDelete || character == platform::kVkBack)
    return HandledOr(EditCommand(FourCC("cler")));
  switch (virtualKey) {
    case platform::kVkPrior:
    case platform::kVkNext:
    case platform::kVkLeft:
    case platform::kVkUp:
    case platform::kVkRight:
    case platform::kVkDown: return NudgeSelectionByKey(virtualKey, alt, shift);
    default: break;
  }
  switch (character) {
    case platform::kVkTab:
    case platform::kVkReturn: return SelectNextObject();
    case platform::kVkEscape: return ToggleRenderedImage();
    case '+':
    case '-': return HandledOr(Zoom(character == '+', alt));
    case '*': return ScaleSelectionByKey(2.0);
    case '/': return ScaleSelectionByKey(0.5);
    case 'P':
    case 'p': return SetSelectionRole(C3dObject::kPositive);
    case 'N':
    case 'n': return SetSelectionRole(C3dObject::kNegative);
    case 'I':
    case 'i': return SetSelectionRole(C3dObject::kIntersect);
    case 'O':
    case 'o': return SetSelectionRole(0);
    case '=': return ResetSelectionByKey();
    default: break;
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

void CDocWindow::ShowBuildInformation() {
  char text[256];
  std::snprintf(text, sizeof text, kBuildFormat, kBuildIdentification, kBuildDate);
  platform::MessageBox(nullptr, text, kBuildCaption, platform::kMbOk);
}

// ---- the camera

int32_t CDocWindow::MoveCameraWhileHeld(uint32_t arrow, bool slide) {
  CAppl* app = GetApplication();
  C3dCamera* camera = fCurrentCamera;
  if (!app || !camera) return kErrOutOfMemory;
  auto action = std::make_unique<CCameraAction>(camera);
  if (!action->IsValid()) return kErrOutOfMemory;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  fDragging = 1;
  // One step for each tick begun since the press, however fast the window redraws.
  const int64_t start = platform::NowMs();
  int64_t steps = 0;
  do {
    const int64_t due = platform::MsToTicks(platform::NowMs() - start) + 1;
    if (steps >= due) {
      platform::SleepMs(1);
      continue;
    }
    for (; steps < due; ++steps) StepCamera(*camera, arrow, slide);
    Invalidate(true);
    Redraw(false);
    NotifyDragStep(kCameraStepChanged);
  } while (CSelection::IsKeyHeld(arrow));
  lock.Release();
  // The key's repeats were for the move just made.
  app->FlushInput();
  fDragging = 0;
  Invalidate(true);
  CacheCameraState();
  NotifyObjInfoChanged(kCameraChanged);
  const int32_t err = fDocument->GetUndoHistory().Push(action.release());
  return err ? err : kHandled;
}

// ---- the selection

int32_t CDocWindow::NudgeSelectionByKey(uint32_t key, bool alt, bool shift) {
  CSelection& selection = fDocument->GetSelection();
  if (selection.GetCount() == 0) return kHandled;
  int32_t handle = kHandleX;
  if (key == platform::kVkUp || key == platform::kVkDown) handle = kHandleZ;
  if (key == platform::kVkPrior || key == platform::kVkNext) handle = kHandleY;
  const bool positive = key == platform::kVkRight || key == platform::kVkUp || key == platform::kVkPrior;
  double step = positive ? kNudgeStep : -kNudgeStep;
  if (alt) step *= kFineNudge;
  else if (shift) step *= kCoarseNudge;
  auto action = CMatrixAction::OfSelection(selection);
  if (!action) return kErrOutOfMemory;
  SHandleDrag drag;
  selection.BeginHandleDrag(handle, &drag);
  selection.NudgeSelectionBy(step, uint32_t(handle), 0);
  const int32_t err = fDocument->GetUndoHistory().Push(action.release());
  Invalidate(false);
  NotifyObjInfoChanged(kSelectionChanged);
  return err ? err : kHandled;
}

namespace {

// One matrix action over the selection, `change` applied to each selected object, then the window
// redrawn and the palettes told.
template <typename Change>
int32_t ChangeSelectedTransforms(CDocWindow& window, uint32_t changes, Change&& change) {
  C3dDocument* document = window.GetDocument();
  CSelection& selection = document->GetSelection();
  if (selection.GetCount() == 0) return kHandled;
  auto action = CMatrixAction::OfSelection(selection);
  if (!action) return kErrOutOfMemory;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    C3dObject* object = selection.GetObject(i);
    change(object);
    object->NotifyParentBoundsChanged();
  }
  const int32_t err = document->GetUndoHistory().Push(action.release());
  window.Invalidate(false);
  window.NotifyObjInfoChanged(changes);
  return err ? err : kHandled;
}

}  // namespace

int32_t CDocWindow::ScaleSelectionByKey(double factor) {
  return ChangeSelectedTransforms(*this, kSelectionChanged, [factor](C3dObject* object) {
    // A locked transform is left as it is, as every other transform edit leaves it.
    if (object->IsTransformLocked()) return;
    object->SetScaledSize(object->GetScaledSize() * factor);
  });
}

int32_t CDocWindow::ResetSelectionByKey() {
  return ChangeSelectedTransforms(*this, kSceneChanged, [](C3dObject* object) { object->ResetRotationAndSize(); });
}

int32_t CDocWindow::SetSelectionRole(uint32_t role) {
  CSelection& selection = fDocument->GetSelection();
  auto action = std::make_unique<CAttributesAction>();
  if (!action->IsValid()) return kErrOutOfMemory;
  uint32_t changed = 0;
  int32_t err = kNoErr;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    C3dObject* object = selection.GetObject(i);
    // A locked object stops the key; the objects before it keep their new role, still undoable.
    if (object->IsTransformLocked()) break;
    if (action->AddObject(object)) {
      err = kErrOutOfMemory;
      break;
    }
    object->ClearStateFlags(C3dObject::kRoles);
    object->SetStateFlags(role);
    ++changed;
  }
  if (changed == 0) return err;
  const int32_t pushed = fDocument->GetUndoHistory().Push(action.release());
  Invalidate(true);
  NotifyObjInfoChanged(kSelectionChanged);
  return err ? err : pushed;
}

int32_t CDocWindow::SelectNextObject() {
  CSelection& selection = fDocument->GetSelection();
  const uint32_t count = fDocument->GetListCount();
  if (count != fNextObjectCount || selection.GetCount() == 0) fNextObjectPosition = -1;
  fNextObjectCount = count;
  // The entry after the last one chosen, else the first from the start of the list.
  int32_t cursor = fNextObjectPosition + 1;
  C3dObject* next = fDocument->NextListEntry(&cursor);
  if (!next) {
    cursor = 0;
    next = fDocument->NextListEntry(&cursor);
  }
  if (!next) return kHandled;
  fNextObjectPosition = cursor - 1;
  selection.DeselectAll(1);
  selection.Add(next, 1, 0);
  Invalidate(false);
  return kHandled;
}

// ---- palettes, help

int32_t CDocWindow::PostPaletteName(uint32_t index) {
  CHoElement* root = GetRoot();
  if (!root || index >= kPaletteCount) return kHandled;
  CUIMessage message;
  message.Init(0, kPaletteNames[index], nullptr, nullptr, CUIMessage::kBroadcast);
  return root->SendMessageUp(&message, root);
}

int32_t CDocWindow::ShowHelp() {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  CFileSpec help;
  if (const int32_t err = app->SetModuleDirectory(kHelpFile, &help)) return err;
  auto* windows = dynamic_cast<CWinAppl*>(app);
  if (!platform::ShowHelpContents(windows ? windows->GetMainWindow() : nullptr, help.GetPath()))
    return MapLastError();
  return kNoErr;
}
