// The display palette's build, its messages and keys, the background and resolution menus, the view's
// settings in both directions and the preferences.
#include "panels/display_palette.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>

#include "document/prefs_file.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/core/system_info.h"
#include "framework/ui/canvas.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "panels/magic_marker.h"
#include "panels/selection_palette.h"
#include "render/view.h"

namespace {

constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kPickedColour = 3;
constexpr const char* kIsPlopModeOff = "is plopmode off?";
// "objinfochanged" after a change of the view's look.
constexpr uint32_t kViewLookChanged = 4;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
// The colour picker opens on grey, at the top left of the screen.
constexpr SPointHV kPickerPlace{0, 0};

// The background menu's commands with the mode and colour they choose; 'bclr' opens the colour picker.
constexpr uint32_t kOtherColour = FourCC("bclr");
struct SBackground {
  uint32_t command;
  int32_t mode;
  uint32_t colour;
};
constexpr SBackground kBackgrounds[] = {
    {FourCC("bblc"), CDisplayPalette::kPlainBackground, kBlack},
    {FourCC("bgry"), CDisplayPalette::kPlainBackground, CDisplayPalette::kGrey},
    {FourCC("bwht"), CDisplayPalette::kPlainBackground, kWhite},
    {FourCC("bppr"), 100, CDisplayPalette::kGrey},
    {FourCC("bspr"), 101, CDisplayPalette::kGrey},
    {FourCC("bgrd"), 102, CDisplayPalette::kGrey},
    {FourCC("bpad"), 103, CDisplayPalette::kGrey},
    {FourCC("bpgr"), 104, CDisplayPalette::kGrey},
    {FourCC("bgrn"), 105, CDisplayPalette::kGrey},
};
// Ctrl+Alt+1 to 9.
constexpr SBackground kBackgroundKeys[9] = {
    {'1', 100, CDisplayPalette::kGrey}, {'2', 101, CDisplayPalette::kGrey},
    {'3', CDisplayPalette::kPlainBackground, CDisplayPalette::kGrey},
    {'4', CDisplayPalette::kPlainBackground, kBlack}, {'5', 102, CDisplayPalette::kGrey},
    {'6', 103, CDisplayPalette::kGrey}, {'7', CDisplayPalette::kPlainBackground, kWhite},
    {'8', 104, CDisplayPalette::kGrey}, {'9', 105, CDisplayPalette::kGrey},
};
// The menu items a resolution can be stored as: five grids, four powers of two.
constexpr int32_t kGridItems = 5;
constexpr int32_t kPowerItems = 4;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

bool IsBackgroundMode(int32_t mode) {
  return mode == CDisplayPalette::kPlainBackground ||
         (mode >= CDisplayPalette::kFirstBackdrop && mode <= CDisplayPalette::kLastBackdrop);
}

// The menu item of a resolution value; 0 for a value no item has.
int32_t GridItem(uint32_t value) {
  if (value == 8) return 1;
  if (value == 12) return 2;
  return value / 8 + 1;
}
int32_t PowerItem(uint32_t value) {
  for (int32_t item = 1; item <= kPowerItems; ++item) {
    if (CDisplayPalette::PowerValue(item) == value) return item;
  }
  return 0;
}

CDisplayPalette* gCurrent = nullptr;

}  // namespace

CDisplayPalette::CDisplayPalette(CUICmFunction* owner, CResourceEnv* environment, CDocumentHost* window)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDisplayPalette),
      fWindow(window),
      fFade(kPaletteFadeLevels) {
  gCurrent = this;
}

CDisplayPalette::~CDisplayPalette() {
  if (IsBuilt()) ExchangePrefs(false);
  if (gCurrent == this) gCurrent = nullptr;
}

CDisplayPalette* CDisplayPalette::GetCurrent() { return gCurrent; }

void CDisplayPalette::SetCompanions(CColorPicker* picker, CSelectionPalette* selection) {
  fColorPicker = picker;
  fSelectionPalette = selection;
  fSelectionLeft = fSelectionRight = nullptr;
  CElement* root = selection ? selection->GetRoot() : nullptr;
  if (!root) return;
  CElSystem::FindByName(root, need::kSelectionLeft.name, &fSelectionLeft);
  CElSystem::FindByName(root, need::kSelectionRight.name, &fSelectionRight);
}

uint32_t CDisplayPalette::GridValue(int32_t item) {
  if (item == 1) return 8;
  if (item == 2) return 12;
  return uint32_t(8 * item - 8);
}

uint32_t CDisplayPalette::PowerValue(int32_t item) { return 1u << (item + 3); }

// ---- the build

int32_t CDisplayPalette::BuildControls(CResourceEnv* environment) {
  fHot = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  FindControls();
  for (need::EDisplayControl toggle : {need::kNanoEditMode, need::kPlopRenderMode, need::kWireframeShadows,
                                       need::kHideUndergroundShadows}) {
    if (CImElement* element = fControls[toggle]) element->Hide(true);
  }
  if (CImElement* plop = fControls[need::kPlopRenderMode]) plop->SetUserWord(kStateWord, 1);
  if (!RegisterPaletteWatch(*this, &CDisplayPalette::WatchPointer)) return kErrFailedCreation;
  ExchangePrefs(true);
  return fWindow ? SyncFromView(false) : kNoErr;
}

void CDisplayPalette::FindControls() {
  const auto find = [this](const SLayoutNeed& need, ElPressCallback press, ElHoverCallback hover) {
    return BindControl(*this, need, press, hover);
  };
  fBackground = dynamic_cast<CImElement*>(find(need::kDisplayBackground, nullptr, nullptr));
  fToolsBackground = find(need::kToolsBackground, nullptr, nullptr);
  fToolsBottom = find(need::kDisplayToolsBottom, nullptr, nullptr);
  fTop = find(need::kDisplayTop, nullptr, nullptr);
  fBottom = find(need::kDisplayBottom, nullptr, nullptr);
  struct SBinding {
    ElPressCallback press;
    ElHoverCallback hover;
  };
  const SBinding bindings[need::kDisplayControlCount] = {
      {&PressButton, &HoverButton},      // marker pen
      {&PressButton, &HoverButton},      // ui min max
      {&PressMenuButton, &HoverButton},  // background selector
      {&PressButton, &HoverButton},      // nano edit mode
      {&PressToggle, &HoverToggle},      // plop render mode
      {&PressDepthCue, &HoverButton},    // depth cue control
      {&PressToggle, &HoverButton},      // wireframe shadows
      {&PressToggle, &HoverButton},      // hide underground shadows
      {&PressMenuButton, &HoverButton},  // wireframe resolution
      {&PressButton, &HoverButton},      // zoom in
      {&PressButton, &HoverButton},      // zoom out
      {&PressPan, &HoverButton},         // pan
  };
  for (uint32_t i = 0; i < need::kDisplayControlCount; ++i)
    fControls[i] = dynamic_cast<CImElement*>(find(need::kDisplayControls[i], bindings[i].press, bindings[i].hover));
}

// ---- messages and keys

int32_t CDisplayPalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* name = message->elementName;
  if (message->kind == kPickedColour && Is(name, need::kDisplayControls[need::kBackgroundSelector].name)) {
    SetBackground(kPlainBackground, uint32_t(message->GetPayloadWord(0)) & 0xFFFFFF);
    return kHandled;
  }
  if (message->kind != kNamedMessage) return CLayoutHostCanvas::HandleEvent(message);
  if (Is(name, need::kDisplayPalette.name)) {
    Activate();
    Show();
    UpdateNow();
    return kHandled;
  }
  if (Is(name, kIsPlopModeOff)) return StateOf(need::kPlopRenderMode) == 0 ? 1 : 0;
  if (Is(name, need::kDisplayControls[need::kMarkerPen].name)) return RunMarkerPen();
  if (Is(name, need::kDisplayControls[need::kNanoEditMode].name)) return ToggleNanoEdit();
  if (Is(name, need::kDisplayControls[need::kWireframeShadows].name)) return ShowWireframeShadows();
  if (Is(name, need::kDisplayControls[need::kBackgroundSelector].name)) {
    PopUpBackgroundMenu(message->firstPoint);
    return kHandled;
  }
  if (Is(name, need::kDisplayControls[need::kWireframeResolution].name)) {
    PopUpResolutionMenus(message->firstPoint);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CDisplayPalette::ToggleNanoEdit() {
  CImElement* button = fControls[need::kNanoEditMode];
  const bool on = !button || button->GetOpacity() != 1.0f;
  if (fWindow) fWindow->SetLivePreviewOn(on);
  if (button) button->SetOpacity(on ? 1.0f : 0.0f, true);
  return kHandled;
}

int32_t CDisplayPalette::ShowWireframeShadows() {
  CView* view = fWindow ? fWindow->GetHostView() : nullptr;
  if (!view) return kHandled;
  view->GetStyle().shadows = StateOf(need::kWireframeShadows) != 0;
  fWindow->Invalidate(true);
  fWindow->NotifyDragStep(kViewLookChanged);
  return kHandled;
}

int32_t CDisplayPalette::OnCharacter(SWinEvent& event) {
  if (IsStale()) return kNoErr;
  CAppl* app = GetApplication();
  const bool control = app && app->IsControlDown(), alt = app && app->IsAltDown();
  const uint32_t key = event.key;
  if (!control && !alt && (key == 'm' || key == 'M')) return RunMarkerPen();
  if (control && alt) {
    for (const SBackground& choice : kBackgroundKeys) {
      if (choice.command != key) continue;
      SetBackground(choice.mode, choice.colour);
      return kNoErr;
    }
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

int32_t CDisplayPalette::RunMarkerPen() {
  CImElement* button = fControls[need::kMarkerPen];
  const float own = button ? button->GetOpacity() : 0.0f;
  SPointHV corner;
  if (button) {
    button->SetOpacity(1.0f, true);
    button->LocalToRootPoint(&corner, {0, 0});
    UpdateNow();
  }
  { CMagicMarker pen(CSystemInfo::Get().LoadCursorById(kMarkerCursor), GetWindow(), corner.h, corner.v); }
  if (button) button->SetOpacity(own, true);
  SetAppCursor(0, true);
  return kHandled;
}

// ---- the background

int32_t CDisplayPalette::SetBackground(int32_t mode, uint32_t colour) {
  if (!fWindow) return kErrGeneric;
  fBackgroundMode = mode;
  fBackgroundColour = colour;
  CView* view = fWindow->GetHostView();
  int32_t err = kNoErr;
  if (mode == kPlainBackground) {
    if (view) {
      view->GetStyle().background = colour;
      view->UsePlainBackground();
    }
  } else {
    if (view) view->GetStyle().background = kGrey;
    err = fWindow->LoadBackdrop(uint32_t(mode));
  }
  fWindow->MarkBackgroundChanged();
  fWindow->Invalidate(false);
  fWindow->RedrawNow();
  fWindow->RepaintWindow();
  return err;
}

int32_t CDisplayPalette::PopUpBackgroundMenu(SPointHV screen) {
  SMenuChoice choice;
  if (PopUpPaletteMenu(*this, need::kBackgroundMenu.number, ScreenToCanvas(screen), nullptr, &choice) != kNoErr ||
      !choice.row)
    return kNoErr;
  ChooseBackground(choice.command);
  return kNoErr;
}

int32_t CDisplayPalette::ChooseBackground(uint32_t command) {
  if (command == kOtherColour) {
    CElement* requester = fControls[need::kBackgroundSelector];
    if (!fColorPicker || !requester) return kNoErr;
    fColorPicker->OpenFor(kGrey, requester, kPickerPlace);
    fColorPicker->Refresh(false);
    return kNoErr;
  }
  for (const SBackground& choice : kBackgrounds) {
    if (choice.command == command) return SetBackground(choice.mode, choice.colour);
  }
  return SetBackground(kPlainBackground, kGrey);
}

// ---- the resolutions

int32_t CDisplayPalette::PopUpResolutionMenus(SPointHV screen) {
  std::unique_ptr<CMenu> menus[need::kResolutionMenuCount];
  for (uint32_t i = 0; i < need::kResolutionMenuCount; ++i) {
    CMenu* loaded = nullptr;
    if (CMenu::Load(GetResourceEnvironment(), need::kResolutionMenus[i].number, &loaded, GetWindow()) != kNoErr)
      return kNoErr;
    menus[i].reset(loaded);
  }
  CMenu& main = *menus[0];
  main.SetHierarchical(true);
  for (uint32_t r = 0; r < kResolutionCount; ++r) {
    CMenu& sub = *menus[r + 1];
    main.GetScrollingMenu()->SetSubMenu(r + 1, sub.GetScrollingMenu());
    if (fChoices[r] > 0) sub.CheckItem(uint32_t(fChoices[r]), true, nullptr, true);
  }
  uintptr_t chosenIn = 0;
  uint32_t item = 0;
  if (!main.SelectItemAt(screen, GetWindow(), &chosenIn, &item)) return kNoErr;
  for (uint32_t r = 0; r < kResolutionCount; ++r) {
    if (chosenIn == reinterpret_cast<uintptr_t>(menus[r + 1]->GetScrollingMenu()))
      ChooseResolution(EResolution(r), int32_t(item));
  }
  return kNoErr;
}

void CDisplayPalette::ChooseResolution(EResolution which, int32_t item) {
  fChoices[which] = item;
  CView* view = fWindow ? fWindow->GetHostView() : nullptr;
  if (!view) return;
  SViewStyle& style = view->GetStyle();
  switch (which) {
    case kGridResolution: style.fastDetail = GridValue(item); break;
    case kFirstResolution: style.detail = PowerValue(item); break;
    case kSecondResolution: style.selectedDetail = PowerValue(item); break;
    case kResolutionCount: break;
  }
  view->ResetClassMeshes();
  fWindow->Invalidate(false);
  fWindow->RedrawNow();
  fWindow->NotifyDragStep(kViewLookChanged);
}

// ---- the view

uint32_t CDisplayPalette::StateOf(need::EDisplayControl control) const {
  return fControls[control] ? fControls[control]->GetUserWord(kStateWord) : 0;
}

void CDisplayPalette::SetState(need::EDisplayControl control, bool on, bool lit) {
  CImElement* element = fControls[control];
  if (!element) return;
  element->SetUserWord(kStateWord, on ? 1 : 0);
  if (lit) element->SetOpacity(on ? 1.0f : 0.0f, true);
}

int32_t CDisplayPalette::SyncFromView(bool reset) {
  CView* view = fWindow ? fWindow->GetHostView() : nullptr;
  if (reset) {
    if (view) {
      view->ResetStyle();
      view->ResetClassMeshes();
    }
    if (fWindow) fWindow->SetLivePreviewOn(false);
    if (CImElement* nano = fControls[need::kNanoEditMode]) nano->SetOpacity(0.0f, true);
    SetState(need::kPlopRenderMode, true, false);
    if (fWindow) fWindow->ShowPlopRender();
  }
  SetBackground(fBackgroundMode, fBackgroundColour);
  if (view) {
    const SViewStyle& style = view->GetStyle();
    if (CImElement* depthCue = fControls[need::kDepthCueControl])
      depthCue->SetUserWord(kStateWord, uint32_t(std::lround(style.depthCueStrength * 100.0f)));
    SetState(need::kWireframeShadows, style.shadows, true);
    fChoices[kGridResolution] = GridItem(style.fastDetail);
    for (EResolution power : {kFirstResolution, kSecondResolution}) {
      const uint32_t value = power == kFirstResolution ? style.detail : style.selectedDetail;
      if (const int32_t item = PowerItem(value)) fChoices[power] = item;
    }
  }
  if (fWindow) SetState(need::kHideUndergroundShadows, fWindow->IsHidingUnderground(), true);
  return kNoErr;
}

void CDisplayPalette::ApplyToView() {
  SetBackground(fBackgroundMode, fBackgroundColour);
  if (!fWindow) return;
  if (CView* view = fWindow->GetHostView()) {
    SViewStyle& style = view->GetStyle();
    style.depthCueStrength = float(StateOf(need::kDepthCueControl)) * 0.01f;
    style.shadows = StateOf(need::kWireframeShadows) != 0;
    const uint32_t details[] = {GridValue(fChoices[kGridResolution]), PowerValue(fChoices[kFirstResolution]),
                                PowerValue(fChoices[kSecondResolution])};
    // The class meshes follow the resolutions, which the window's redraw does not make again.
    if (details[0] != style.fastDetail || details[1] != style.detail || details[2] != style.selectedDetail) {
      style.fastDetail = details[0];
      style.detail = details[1];
      style.selectedDetail = details[2];
      view->ResetClassMeshes();
    }
  }
  fWindow->SetHidingUnderground(StateOf(need::kHideUndergroundShadows) != 0);
  fWindow->Invalidate(true);
  CImElement* nano = fControls[need::kNanoEditMode];
  fWindow->SetLivePreviewOn(nano && nano->GetOpacity() != 0.0f);
}

int32_t CDisplayPalette::ApplySettings() {
  ApplyToView();
  return kNoErr;
}

// ---- the preferences

int32_t CDisplayPalette::ExchangePrefs(bool load) {
  CPrefsFile prefs;
  if (!prefs.IsRead()) return kNoErr;
  if (load && prefs.GetWord(kPrefsRestoreState) == 1) {
    LoadPrefs(prefs);
    return kNoErr;
  }
  StorePrefs(prefs);
  return prefs.Write() ? kNoErr : kErrGeneric;
}

// The palette always stores resolution items of 1 or more: a section whose items are all there is
// the palette's and comes back as stored, zeros included; in any other (a preferences file that the
// preferences dialog made) a zero word keeps what the palette has. A word out of its range keeps it too.
void CDisplayPalette::LoadPrefs(const CPrefsFile& prefs) {
  const uint8_t* block = prefs.GetBlock();
  const int32_t items[kResolutionCount] = {prefs.GetWord(kPrefsGridResolution), prefs.GetWord(kPrefsFirstResolution),
                                           prefs.GetWord(kPrefsSecondResolution)};
  const bool palettes = items[0] != 0 && items[1] != 0 && items[2] != 0;
  const auto take = [palettes](int32_t stored, bool valid, auto& field) {
    if ((stored != 0 || palettes) && valid) field = std::remove_reference_t<decltype(field)>(stored);
  };
  if (CImElement* nano = fControls[need::kNanoEditMode]) nano->SetOpacity(block[kPrefsNanoEdit] ? 1.0f : 0.0f, true);
  SetState(need::kPlopRenderMode, block[kPrefsPlopRender] != 0, false);
  SetState(need::kWireframeShadows, block[kPrefsShadows] != 0, false);
  SetState(need::kHideUndergroundShadows, block[kPrefsHideUnderground] != 0, false);
  const int32_t mode = prefs.GetWord(kPrefsBackgroundMode);
  take(mode, IsBackgroundMode(mode), fBackgroundMode);
  const int32_t colour = prefs.GetWord(kPrefsBackgroundColour);
  take(colour, (uint32_t(colour) & 0xFF000000) == 0, fBackgroundColour);
  const int32_t depthCue = prefs.GetWord(kPrefsDepthCue);
  if (CImElement* element = fControls[need::kDepthCueControl]) {
    uint32_t value = element->GetUserWord(kStateWord);
    take(depthCue, depthCue >= 0 && depthCue <= kMaxDepthCue, value);
    element->SetUserWord(kStateWord, value);
  }
  take(items[0], items[0] >= 1 && items[0] <= kGridItems, fChoices[kGridResolution]);
  for (EResolution power : {kFirstResolution, kSecondResolution})
    take(items[power], items[power] >= 1 && items[power] <= kPowerItems, fChoices[power]);
  ApplyToView();
}

void CDisplayPalette::StorePrefs(CPrefsFile& prefs) const {
  uint8_t* block = prefs.GetBlock();
  const CImElement* nano = fControls[need::kNanoEditMode];
  if (nano) block[kPrefsNanoEdit] = nano->GetOpacity() != 0.0f ? 1 : 0;
  const struct {
    need::EDisplayControl control;
    uint32_t offset;
  } toggles[] = {{need::kPlopRenderMode, kPrefsPlopRender},
                 {need::kWireframeShadows, kPrefsShadows},
                 {need::kHideUndergroundShadows, kPrefsHideUnderground}};
  for (const auto& toggle : toggles) {
    if (fControls[toggle.control]) block[toggle.offset] = uint8_t(StateOf(toggle.control));
  }
  prefs.SetWord(kPrefsBackgroundMode, fBackgroundMode);
  prefs.SetWord(kPrefsBackgroundColour, int32_t(fBackgroundColour));
  if (fControls[need::kDepthCueControl]) prefs.SetWord(kPrefsDepthCue, int32_t(StateOf(need::kDepthCueControl)));
  prefs.SetWord(kPrefsFirstResolution, fChoices[kFirstResolution]);
  prefs.SetWord(kPrefsSecondResolution, fChoices[kSecondResolution]);
  prefs.SetWord(kPrefsGridResolution, fChoices[kGridResolution]);
}
