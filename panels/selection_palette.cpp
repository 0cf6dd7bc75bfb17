// The selection palette's build, its preferences and its messages: selection by kind, by family,
// step by step and by the options menu, solo mode and the image mode button.
#include "panels/selection_palette.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

#include "document/prefs_file.h"
#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/char_set.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "panels/display_palette.h"
#include "panels/edit_family.h"
#include "panels/layout_needs.h"
#include "scene/base_spool_table.h"
#include "scene/object.h"

namespace {

constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kShape = FourCC("3dob");
constexpr uint32_t kLight = FourCC("lght");
// The kind of each kind button, in the order of need::kSelectionKinds.
struct SKind {
  uint32_t familyTag;
  uint32_t classTag;
};
constexpr SKind kKinds[need::kSelectionKindCount] = {
    {kShape, FourCC("plne")}, {kShape, FourCC("hfld")}, {kShape, FourCC("tmsh")}, {kShape, FourCC("symh")},
    {kShape, FourCC("sphr")}, {kShape, FourCC("toru")}, {kShape, FourCC("cylr")}, {kShape, FourCC("cube")},
    {kShape, FourCC("pyra")}, {kShape, FourCC("cone")}, {kShape, FourCC("circ")}, {kShape, FourCC("sqre")},
    {kLight, FourCC("sphr")}, {kLight, FourCC("cone")}, {kLight, FourCC("pyrm")}, {kLight, FourCC("cube")},
    {kShape, FourCC("grou")},
};
constexpr int64_t kFlashTicks = 10;
// The options menu's commands.
constexpr uint32_t kStepByObject = FourCC("avcr");
constexpr uint32_t kSelectAll = FourCC("sall");
constexpr uint32_t kInvert = FourCC("sinv");
constexpr uint32_t kImportedMeshes = FourCC("sply");
// The families menu: hidden, a pop-up of the palette's window.
constexpr uint32_t kFamiliesMenuId = 201;
// "objinfochanged" after a step: the selection changed.
constexpr uint32_t kSelectionChanged = 2;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The kind button's index, or -1.
int32_t KindOf(const char* name) {
  for (uint32_t i = 0; i < need::kSelectionKindCount; ++i) {
    if (Is(name, need::kSelectionKinds[i].name)) return int32_t(i);
  }
  return -1;
}

CElement* Child(CElement* root, const char* name) {
  CElement* found = nullptr;
  if (root) CElSystem::FindElement(root->GetChildren(), name, &found, false);
  return found;
}

CSelectionPalette* gCurrent = nullptr;

}  // namespace

CSelectionPalette::CSelectionPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSelectionPalette) {
  gCurrent = this;
}

CSelectionPalette::~CSelectionPalette() {
  ExchangeStepOption(false);
  delete fFamilies;
  if (gCurrent == this) gCurrent = nullptr;
}

CSelectionPalette* CSelectionPalette::GetCurrent() { return gCurrent; }

void CSelectionPalette::SetDisplayPalette(CDisplayPalette* palette) {
  fDisplayPalette = palette;
  CElement* root = palette ? palette->GetRoot() : nullptr;
  fDisplayTop = fDisplayBottom = nullptr;
  if (!root) return;
  CElSystem::FindByName(root, need::kDisplayTop.name, &fDisplayTop);
  CElSystem::FindByName(root, need::kDisplayBottom.name, &fDisplayBottom);
}

// ---- the build

int32_t CSelectionPalette::BuildControls(CResourceEnv* environment) {
  fHot = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  if (const int32_t err = BindControls()) return err;
  if (const int32_t err = MakeFamiliesMenu()) return err;
  ExchangeStepOption(true);
  return RegisterPaletteWatch(*this, &CSelectionPalette::WatchPointer) ? kNoErr : kErrFailedCreation;
}

int32_t CSelectionPalette::BindControls() {
  if (const int32_t err = BindChildren(GetRoot(), &TrackButtonPress, &TrackButtonHover)) return err;
  BindElement(need::kSelectionOptionsButton.name, &PressOptionsButton, &TrackButtonHover, nullptr);
  BindElement(need::kSelectionFamiliesButton.name, &PressFamiliesButton, &TrackPlainHover, nullptr);
  const auto find = [this](const SLayoutNeed& need, ElPressCallback press, ElHoverCallback hover) {
    return BindControl(*this, need, press, hover);
  };
  fBackground = dynamic_cast<CImElement*>(find(need::kSelectionBackground, nullptr, nullptr));
  fObjectsBackground = find(need::kSelectionObjectsBackground, nullptr, nullptr);
  fTools = find(need::kSelectionTools, nullptr, nullptr);
  fLeft = find(need::kSelectionLeft, nullptr, nullptr);
  fRight = find(need::kSelectionRight, nullptr, nullptr);
  fSoloButton = dynamic_cast<CImElement*>(find(need::kSoloMode, &TrackButtonPress, &TrackButtonHover));
  fImageMode = dynamic_cast<CImElement*>(find(need::kImageMode, &CycleImageMode, &TrackPlainHover));
  if (!fBackground || !fObjectsBackground || !fTools || !fLeft || !fRight || !fSoloButton || !fImageMode)
    return kErrUnexpectedType;
  fImageMode->SetUserWord(0, kWireframeOnly);
  fImageMode->SelectEntry(kWireframeOnly, false, false, true);
  return kNoErr;
}

int32_t CSelectionPalette::MakeFamiliesMenu() {
  delete fFamilies;
  fFamilies = nullptr;
  CAppl* app = GetApplication();
  if (!app) return kErrOutOfMemory;
  if (const int32_t err = CMenu::Load(app->GetResourceEnv(), need::kFamiliesMenu.number, &fFamilies, GetWindow()))
    return err;
  fFamilies->SetMenuId(kFamiliesMenuId);
  fFamilies->SetMenuFlags(CMenu::kMenuPopUp);
  return kNoErr;
}

void CSelectionPalette::ExchangeStepOption(bool reading) {
  CPrefsFile prefs;
  if (!prefs.IsRead()) return;
  uint8_t& stored = prefs.GetBlock()[kStepOptionOffset];
  if (reading && prefs.GetWord(kRestoreStateOffset) == 1) {
    fStepOption = stored ? 1 : 0;
    return;
  }
  stored = fStepOption;
  prefs.Write();
}

// ---- messages

int32_t CSelectionPalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (message->kind != kNamedMessage) return CLayoutHostCanvas::HandleEvent(message);
  const char* name = message->elementName;
  if (Is(name, need::kSelectionPalette.name)) {
    Activate();
    Show();
    UpdateNow();
    return kHandled;
  }
  SelectByKind(name);
  if (KindOf(name) >= 0) return kHandled;
  if (Is(name, need::kSelectionOptionsButton.name)) {
    PopUpOptionsMenu(message->firstPoint);
    return kHandled;
  }
  if (Is(name, need::kSelectionFamiliesButton.name)) {
    SelectFamilyFromMenu(message->firstPoint);
    return kHandled;
  }
  if (Is(name, need::kSoloMode.name)) return ToggleSolo();
  for (const SLayoutNeed& step : need::kSelectionSteps) {
    if (Is(name, step.name)) return Step(name);
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CSelectionPalette::SelectByKind(const char* name) {
  const int32_t kind = KindOf(name);
  if (kind < 0 || !fWindow) return kNoErr;
  const SKind& tags = kKinds[kind];
  if (tags.familyTag == kLight) fWindow->SelectLightClass(tags.classTag);
  else fWindow->SelectKind(tags.classTag);
  return kNoErr;
}

int32_t CSelectionPalette::FlashKindButton(uint32_t classTag, uint32_t familyTag) {
  // Any family but the shapes' counts as the lights'.
  const uint32_t family = familyTag == kShape ? kShape : kLight;
  uint32_t kind = 0;
  while (kind < need::kSelectionKindCount && !(kKinds[kind].familyTag == family && kKinds[kind].classTag == classTag))
    ++kind;
  if (kind == need::kSelectionKindCount) return kErrGeneric;
  auto* button = dynamic_cast<CImElement*>(Child(GetRoot(), need::kSelectionKinds[kind].name));
  if (!button || !button->IsShown()) return kNoErr;
  button->SetOpacity(1.0f, true);
  CTimer().WaitTicks(kFlashTicks);
  button->SetOpacity(0.0f, true);
  return kNoErr;
}

// Previous, next, first and last: by position with the step option, else by kind.
int32_t CSelectionPalette::Step(const char* name) {
  C3dDocument* document = fWindow ? fWindow->GetHostDocument() : nullptr;
  if (!document) return kHandled;
  CSelection& selection = document->GetSelection();
  const bool previous = Is(name, need::kSelectionSteps[need::kPreviousStep].name);
  const bool next = Is(name, need::kSelectionSteps[need::kNextStep].name);
  const bool first = Is(name, need::kSelectionSteps[need::kFirstStep].name);
  int32_t position = 0;
  if (fStepOption) {
    if (previous) selection.SelectPreviousObject();
    else if (next) selection.SelectNextObject();
    else if (first) selection.SelectFirstObject();
    else selection.SelectLastObject();
  } else if (previous || next) {
    uint32_t classTag = 0, familyTag = 0;
    if (previous) selection.SelectPreviousKind(&classTag, &familyTag);
    else selection.SelectNextKind(&classTag, &familyTag);
    FlashKindButton(classTag, familyTag);
  } else {
    // The kind of the object the selection last took.
    const uint32_t classTag = selection.GetLastClassTag(), familyTag = selection.GetLastFamilyTag();
    if (first) selection.SelectFirstOfKind(classTag, familyTag, &position);
    else selection.SelectLastOfKind(classTag, familyTag, &position);
  }
  fWindow->Invalidate(true);
  fWindow->NotifyDragStep(kSelectionChanged);
  return kHandled;
}

int32_t CSelectionPalette::ToggleSolo() {
  if (fSolo) {
    if (fSoloButton) fSoloButton->SetOpacity(0.0f, true);
    fSolo = 0;
    if (fWindow) fWindow->EndSolo();
  } else {
    if (fSoloButton) fSoloButton->SetOpacity(1.0f, true);
    fSolo = 1;
    if (fWindow) fWindow->SoloSelection();
  }
  return kHandled;
}

// ---- the menus

int32_t CSelectionPalette::PopUpOptionsMenu(SPointHV point) {
  SMenuChoice choice;
  const int32_t err = PopUpPaletteMenu(*this, need::kSelectionOptionsMenu.number, point, [this](CMenu& menu) {
    if (const uint32_t row = fStepOption ? menu.FindItemIndex(kStepByObject) : 0) menu.CheckItem(row, true, nullptr, true);
  }, &choice);
  if (err || !choice.row) return err;
  switch (choice.command) {
    case kStepByObject:
      fStepOption = fStepOption ? 0 : 1;
      return kNoErr;
    case kSelectAll: return fWindow ? fWindow->SelectAll() : kNoErr;
    case kInvert: return fWindow ? fWindow->InvertSelection() : kNoErr;
    case kImportedMeshes: return fWindow ? fWindow->SelectImportedMeshes() : kNoErr;
    default: return kNoErr;
  }
}

int32_t CSelectionPalette::FillFamiliesMenu() {
  if (!fFamilies) return kErrOutOfMemory;
  fFamilies->ClearItems();
  C3dBaseSpoolTable* list = fWindow ? fWindow->GetObjectList() : nullptr;
  CHolder holder(list, false, false);
  if (!list || !holder.IsLocked()) return kErrOutOfMemory;
  bool met[CEditFamily::kFamilyCount] = {};
  for (uint32_t row = 0; row < list->GetCount(); ++row) {
    C3dBase* thing = list->At(row);
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (!object) continue;
    uint32_t family = object->GetCreationWord(0);
    if (family >= CEditFamily::kFamilyCount) family = 0;
    if (met[family]) continue;
    met[family] = true;
    CMenuItem item{};
    // Rows hold the stored character set.
    const std::string text = AnsiToMacRoman(std::string(CEditFamily::GetFamily(family).name));
    std::strncpy(item.text, text.c_str(), CMenuItem::kTextBytes - 1);
    item.command = family;
    if (!fFamilies->AppendItem(item)) return kErrOutOfMemory;
  }
  return kNoErr;
}

int32_t CSelectionPalette::SelectFamilyFromMenu(SPointHV point) {
  if (FillFamiliesMenu() != kNoErr || !fFamilies->GetCount()) return kNoErr;
  const SMenuChoice choice = ChooseFromMenu(*this, *fFamilies, point);
  if (choice.row && fWindow) fWindow->SelectFamily(choice.command);
  return kNoErr;
}

// ---- the image mode

int32_t CSelectionPalette::UpdateSelectionPaletteMode() {
  if (!fImageMode) return kNoErr;
  const uint32_t mode = fWindow ? fWindow->GetMode() : 0;
  const uint32_t state = mode & CDocumentHost::kRenderedShown      ? kImageShown
                         : mode & CDocumentHost::kRenderedBackdrop ? kImageBackdrop
                                                                    : kWireframeOnly;
  fImageMode->SetUserWord(0, state);
  fImageMode->SelectEntry(state, false, false, true);
  return kNoErr;
}

// 2 → 1: the rendered image behind the wireframe; 1 → 0: the rendered image itself; 0 → 2: the
// wireframe alone.
int32_t CSelectionPalette::StepImageMode(CImElement* button) {
  const uint32_t state = button->GetUserWord(0);
  const uint32_t next = state == kWireframeOnly ? kImageBackdrop : state == kImageBackdrop ? kImageShown : kWireframeOnly;
  if (fWindow) {
    const uint32_t mode = fWindow->GetMode();
    fWindow->SetRenderedBackdrop(next == kImageBackdrop);
    if (next == kImageShown) {
      if (mode & CDocumentHost::kWireframeShown) fWindow->ToggleRenderedImage();
    } else {
      if (mode & CDocumentHost::kRenderedShown) fWindow->ToggleRenderedImage();
      fWindow->Invalidate(false);
    }
  }
  button->SetUserWord(0, next);
  return button->SelectEntry(next, false, false, true);
}
