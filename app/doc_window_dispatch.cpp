// The document window's UI events and the one dispatcher that turns a named message into an action:
// canvas and element names are tested in a fixed order, so that a name shared by two palettes
// reaches the handler of the canvas that sent it, and the create items come last, from any canvas.
#include <cstring>

#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/selection_palette.h"

namespace {

constexpr uint32_t kVkF10 = 121;
// Message kinds: a named element message, the tracking of a control, the clearing of the pop-up.
constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kFirstTrackKind = 1;  // press, drag step, release
constexpr uint32_t kLastTrackKind = 3;
constexpr uint32_t kClearPopUp = 4;
// What the control palette learns when the look of the scene changed.
constexpr uint32_t kViewLookChanged = 4;

constexpr const char* kCameraControls[] = {"trackball control", "camera XZ control", "camera YZ control",
                                           "camera XY control",  "banking button",    "field of view button"};
constexpr const char* kTransformOptions[] = {"reposition options", "rotate options", "resize options",
                                             "align options"};
constexpr const char* kRenderButtons[] = {"render all button", "resume render button", "clear & render button"};

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

template <size_t N>
bool IsOneOf(const char* name, const char* const (&names)[N]) {
  for (const char* candidate : names) {
    if (Is(name, candidate)) return true;
  }
  return false;
}

// A handler that answers 0 when it did its work counts as handled; its errors pass unchanged.
int32_t HandledOr(int32_t result) { return result == kNoErr ? kHandled : result; }

}  // namespace

int32_t CDocWindow::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return kNoErr;
  if (message->kind == kClearPopUp) {
    fInfoShown = 0;
    return kNoErr;
  }
  if (message->kind == kNamedMessage) return HandleControlMessage(message);
  if (message->kind >= kFirstTrackKind && message->kind <= kLastTrackKind &&
      IsOneOf(message->elementName, kCameraControls))
    return HandleCameraControl(message);
  return CLayoutHostCanvas::HandleEvent(message);
}

void CDocWindow::ClearAndRender() {
  CUIMessage message;
  message.Init(kNamedMessage, kRenderButtons[2], nullptr, "doc window", 0);
  HandleEvent(&message);
}

int32_t CDocWindow::HandleControlMessage(CUIMessage* message) {
  if (!message) return kNoErr;
  CAppl* app = GetApplication();
  const bool alt = app && app->IsAltDown();
  const char* canvas = message->canvasName;
  const char* element = message->elementName;

  if (Is(canvas, need::kDocWindow.name)) {
    int32_t answer = kNoErr;
    if (HandleDocWindowRow(message, &answer)) return answer;
  }
  if (Is(canvas, "doc image")) {
    if (Is(element, "edit chiclet")) return HandledOr(EditSelection());
    if (Is(element, "group chiclet")) return HandledOr(GroupSelection());
    if (Is(element, "ungroup chiclet")) return HandledOr(UngroupSelection());
    if (Is(element, "land up chiclet") || Is(element, "land down chiclet"))
      return LandSelection() == kNoErr ? kHandled : kErrOutOfMemory;
    if (Is(element, "patch render")) return PatchRender(message->GetPayloadWord(4));
    // "family chiclet" and the rest go on.
  }
  if (Is(canvas, "display palette")) {
    if (Is(element, "zoom in") || Is(element, "zoom out")) return HandledOr(Zoom(Is(element, "zoom in"), alt));
    if (Is(element, "plop render mode")) return HandlePlopRenderMode(message);
  }
  if (Is(canvas, need::kSaveChanges.name))
    return fFlags & kIgnoreSaveReplies ? kNoErr : HandleSaveReply(*message);
  if (Is(canvas, need::kRevertChanges.name)) return HandleRevertReply(*message);
  if (Is(element, "hide underground shadows")) return ToggleUndergroundShadows();
  if (Is(element, "camera options menu") || Is(element, "trackball options menu"))
    return HandleCameraMessage(message);
  if (Is(element, "render options menu")) return HandleRenderOption(message);
  return HandleCreateItem(message);
}

// The rows of the "doc window" canvas: false when the message goes on to the other canvases.
bool CDocWindow::HandleDocWindowRow(CUIMessage* message, int32_t* answer) {
  const char* element = message->elementName;
  const int32_t value = message->GetPayloadWord(0);
  if (Is(element, "zoom to selection")) {
    *answer = HandleCameraMessage(message);
  } else if (Is(element, "textures on/off button")) {
    *answer = SetTexturesShown(value);
  } else if (Is(element, "reset camera")) {
    *answer = HandleCameraMessage(message);
  } else if (Is(element, "preview mode button")) {
    *answer = SetPreviewMode(value);
  } else if (IsOneOf(element, kTransformOptions)) {
    *answer = HandleTransformOption(message);
    // A rotate or align code that is not theirs goes on.
    return *answer != kNoErr || !(Is(element, "rotate options") || Is(element, "align options"));
  } else if (Is(element, "background selector")) {
    // The background and the edit space are taken, and the message still goes on.
    ChooseBackground(value, message->GetPayloadWord(1));
    return false;
  } else if (Is(element, "edit space")) {
    ChooseEditSpace(value);
    return false;
  } else if (IsOneOf(element, kRenderButtons)) {
    *answer = HandleRenderButton(message);
  } else if (Is(element, "size document")) {
    Invalidate(true);
    *answer = RefreshViewImage({message->GetPayloadWord(4), message->GetPayloadWord(5)},
                               {message->GetPayloadWord(6), message->GetPayloadWord(7)});
  } else if (Is(element, "view dot") || Is(element, "view control")) {
    *answer = HandleCameraMessage(message);
  } else {
    return false;
  }
  return true;
}

void CDocWindow::ChooseBackground(int32_t choice, int32_t source) {
  // A backdrop stream would come in word 1; no sender gives one, and the window's loader reads a
  // stored image by environment and key, which one word cannot name. The choice stands as it was.
  if (source == 0) {
    fBackgroundChoice = choice;
    fBackgroundChanged = 1;
  }
  Invalidate(false);
  Redraw(false);
  NotifyObjInfoChanged(kViewLookChanged);
}

void CDocWindow::ChooseEditSpace(int32_t button) {
  switch (button) {
    case 1: fEditSpace = 1; break;
    case 2: fEditSpace = 0; break;
    case 3: fEditSpace = 2; break;
    default: break;
  }
  Invalidate(false);
}

// Parts 0 and 1 of the "patch render" picture render the patch, 0 from the coarsest block again.
int32_t CDocWindow::PatchRender(int32_t part) {
  if (part != 0 && part != 1) return kHandled;
  fMode |= kRenderedShown;
  fRenderRequest |= kRenderNow;
  UpdateSelectionPaletteMode();
  if (part == 0) fRender.fContext.ResetProgressive();
  return kHandled;
}

int32_t CDocWindow::ToggleUndergroundShadows() {
  fHideUnderground = fHideUnderground == 1 ? 0 : 1;
  CAppl* app = GetApplication();
  if ((fFlags & kNotifyDrags) || (app && app->IsKeyDown(kVkF10))) NotifyObjInfoChanged(kViewLookChanged);
  Invalidate(false);
  return kHandled;
}

int32_t CDocWindow::UpdateSelectionPaletteMode() {
  return fSelectionPalette ? fSelectionPalette->UpdateSelectionPaletteMode() : kNoErr;
}
