#include "panels/edit_palette.h"

#include <cstring>
#include <iterator>

#include "editing/convert.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

CEditPalette* gCurrent = nullptr;

constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kStateWord = 0;
constexpr uint32_t kCursorWord = 1;

// The alignment mode of each "align" button, in the order of need::kEditAlignButtons.
constexpr int32_t kAlignmentCodes[need::kEditAlignCount] = {9, 1, 0, 2, 4, 5, 3, 7, 8, 6};

// The cursor an "align" button shows by the axis its name begins with.
struct SAxisCursor {
  const char* prefix;
  uint32_t cursor;
};
constexpr SAxisCursor kAxisCursors[] = {
    {"align x", CEditPalette::kCursorHorizontal},
    {"align y", CEditPalette::kCursorVertical},
    {"align z", CEditPalette::kCursorDepth},
};

CImElement* ImageElementOf(CElement* element) { return dynamic_cast<CImElement*>(element); }

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CEditPalette::CEditPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditPalette) {
  gCurrent = this;
}

CEditPalette::~CEditPalette() {
  fTracker.DropHot();
  delete fConvertList;
  if (gCurrent == this) gCurrent = nullptr;
}

CEditPalette* CEditPalette::GetCurrent() { return gCurrent; }

void CEditPalette::SetOwner(CDocumentHost* window) { fWindow = window; }

C3dDocument* CEditPalette::GetDocument() const { return fWindow ? fWindow->GetHostDocument() : nullptr; }

// ---- the build

int32_t CEditPalette::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  if (const int32_t err = BindChildren(GetRoot(), &TrackButtonPress, &TrackButtonHover)) return err;
  CElement* found = nullptr;
  for (const SLayoutNeed& tab : need::kEditTabButtons) BindElement(tab.name, &PressButton, &TrackHotButton, nullptr);
  BindElement(need::kEditEditText.name, nullptr, nullptr, nullptr);
  // The other tabs' labels show only while hovered.
  for (const SLayoutNeed* label : {&need::kEditCreateText, &need::kEditSkyFogText}) {
    BindElementRef(label->name, &found, &PostButtonMessage, &SwitchHotButton, nullptr);
    if (CImElement* image = ImageElementOf(found)) image->SetOpacity(0.0f, false);
  }
  BindElement(need::kEditResize.name, &PressResize, &TrackResize, nullptr);
  BindElement(need::kEditRotate.name, &PressRotate, &TrackRotate, nullptr);
  BindElement(need::kEditReposition.name, &PressReposition, &TrackReposition, nullptr);
  if (const int32_t err = BindAlignButtons()) return err;
  BindElementRef(need::kEditRandomize.name, &found, &PressRandomizeMode, &TrackRandomizeMode, nullptr);
  fRandomize = ImageElementOf(found);
  BindElement(need::kEditRandomizeControl.name, &PressRandomize, &TrackButtonHover, nullptr);
  BindElement(need::kEditConvertObject.name, &PressConvertObject, &TrackButtonHover, nullptr);
  for (const SLayoutNeed& option : need::kEditOptions)
    BindElement(option.name, &InvokeButtonAction, &TrackButtonHover, nullptr);
  return RegisterPaletteWatch(*this, &CEditPalette::WatchPointer) ? kNoErr : kErrFailedCreation;
}

int32_t CEditPalette::BindAlignButtons() {
  CElement* align = nullptr;
  BindElementRef(need::kEditAlign.name, &align, nullptr, nullptr, nullptr);
  return BindChildren(align, &TrackButtonPress, &TrackButtonHover, [](CElement* child) {
    const char* name = child->GetName();
    for (const SAxisCursor& axis : kAxisCursors) {
      if (name && std::strncmp(name, axis.prefix, std::strlen(axis.prefix)) == 0)
        child->SetUserWord(kCursorWord, axis.cursor);
    }
  });
}

CLayoutHostCanvas* CEditPalette::GetConvertList() {
  // A pop-up of the palette's layout file that shows while the button is held.
  if (!fConvertList)
    fConvertList = new CLayoutHostCanvas(GetOwner(), GetResourceEnvironment(), kDialogStyle, need::kConvertList);
  if (fConvertList->BuildOnce()) return nullptr;
  return fConvertList;
}

// ---- messages

int32_t CEditPalette::AlignmentCode(const char* name) {
  for (uint32_t i = 0; i < need::kEditAlignCount; ++i) {
    if (Is(name, need::kEditAlignButtons[i].name)) return kAlignmentCodes[i];
  }
  return -1;
}

int32_t CEditPalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (message->kind == kNamedMessage && Is(message->elementName, need::kEditEditText.name)) {
    Activate();
    Show();
    UpdateNow();
    if (fWindow) fWindow->Invalidate(false);
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != kNamedMessage) return CLayoutHostCanvas::HandleEvent(message);
  if (Is(message->windowName, need::kConvertList.name)) {
    // The conversion's failure is told; the message goes on as any other.
    C3dDocument* document = GetDocument();
    const int32_t err = document ? ConvertSelection(document, message->elementName) : kNoErr;
    CAppl* app = GetApplication();
    if (err && app) app->TellError(err);
  }
  if (const int32_t code = AlignmentCode(message->elementName); code >= 0) {
    const int32_t err = fWindow ? fWindow->AlignSelection(uint32_t(code)) : kNoErr;
    return err ? err : kHandled;
  }
  if (!Is(message->canvasName, need::kEditPalette.name)) return CLayoutHostCanvas::HandleEvent(message);
  const char* name = message->elementName;
  if (Is(name, need::kEditOptions[kMaterialsOptions].name) || Is(name, need::kEditOptions[kAlignOptions].name)) {
    PopUpOptionsMenu(message->firstPoint, name);
    return kHandled;
  }
  for (uint32_t option : {kResizeOptions, kRotateOptions, kRepositionOptions}) {
    if (!Is(name, need::kEditOptions[option].name)) continue;
    PopUpTransformOptions(message->firstPoint, name);
    return kHandled;
  }
  if (Is(name, need::kEditOptions[kRandomizeOptions].name)) {
    PopUpRandomizeOptions(message->firstPoint);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CEditPalette::ShowButtonTip(const char* name, uint32_t first, uint32_t second) {
  return PostPaletteTip(*this, name, first, second);
}

// ---- the pointer watch

int32_t CEditPalette::WatchPointer(void* palette, void* record, void*) {
  if (palette) static_cast<CEditPalette*>(palette)->WatchPointer(record);
  return kNoErr;
}

void CEditPalette::WatchPointer(const void* record) {
  if (!IsPaletteWatchDue(*this, record, &fLastWatch, 0)) return;
  SButtonWatch how;
  how.dropOnSpace = true;
  // "resize" is hot by its zones, so a newly hot one already stands in one.
  how.tipByState = [](const CElement* hot) { return Is(hot->GetName(), need::kEditResize.name); };
  // The zone buttons stand in their normal state again; the randomize button's word is its mode.
  how.leaving = [this](CElement* hot) {
    if (hot != fRandomize) hot->SetUserWord(kStateWord, 0);
  };
  WatchPaletteButtons(*this, fTracker, how);
}
