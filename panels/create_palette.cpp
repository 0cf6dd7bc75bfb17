#include "panels/create_palette.h"

#include <cstring>

#include "editing/document_host.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/ix_image.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

CCreatePalette* gCurrent = nullptr;

constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kGlowEntry = 1;
constexpr uint32_t kPressedEntry = 2;
constexpr int64_t kPressedTicks = 2;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The palette's hot item; items only glow while their palette lives.
CGlowTracker& Tracker() {
  static CGlowTracker none;
  return gCurrent ? gCurrent->GetTracker() : none;
}

// Entry n of the item's list, painted at once: the press holds the loop until the release.
void ShowEntry(CElement* element, uint32_t entry) {
  if (CImElement* image = AsImage(element)) image->SelectEntry(entry, false, false, true);
  if (gCurrent) gCurrent->UpdateNow();
}

// The pressed look: entry 2 of a list of three or more, else entry 1.
uint32_t PressedEntry(CElement* element) {
  CImElement* image = AsImage(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  return list && list->Count() > kPressedEntry ? kPressedEntry : kGlowEntry;
}

}  // namespace

CCreatePalette::CCreatePalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kCreatePalette) {
  gCurrent = this;
}

CCreatePalette::~CCreatePalette() {
  fTracker.DropHot();
  if (gCurrent == this) gCurrent = nullptr;
}

CCreatePalette* CCreatePalette::GetCurrent() { return gCurrent; }

int32_t CCreatePalette::BuildControls(CResourceEnv* environment) {
  fTracker.ForgetHot();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  if (const int32_t err = BindChildren(GetRoot(), &PressItem, &TrackItem)) return err;
  BindElement(need::kCreateTabs[need::kCreateTab].name, nullptr, nullptr, nullptr);
  for (const SLayoutNeed& plopUp : need::kCreatePlopUps) BindElement(plopUp.name, &PressPlopUp, &TrackPlopUp, nullptr);
  // This palette's tab is the lit one.
  for (uint32_t tab : {need::kEditTab, need::kSkyFogTab}) {
    CElement* found = nullptr;
    BindElementRef(need::kCreateTabs[tab].name, &found, &PressTab, &TrackTab, nullptr);
    if (CImElement* image = AsImage(found)) image->SetOpacity(0.0f, false);
  }
  return RegisterPaletteWatch(*this, &CCreatePalette::WatchPointer) ? kNoErr : kErrFailedCreation;
}

int32_t CCreatePalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (message->kind == kNamedMessage && Is(message->elementName, need::kCreateTabs[need::kCreateTab].name)) {
    Activate();
    Show();
    UpdateNow();
    if (fWindow) fWindow->Invalidate(false);
    return kHandled;
  }
  return IsShown() ? CLayoutHostCanvas::HandleEvent(message) : kNoErr;
}

// ---- the items

int32_t CCreatePalette::PressItem(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  ShowEntry(element, PressedEntry(element));
  CTimer().WaitTicks(kPressedTicks);
  WaitForMouseUp();
  Tracker().SetPulse(kPressedGlowLevel, kFallingGlowStep);
  ShowEntry(element, 0);
  *handled = element;
  const int32_t answer = SendElementMessage(element);
  return answer == kHandled ? kNoErr : answer;
}

int32_t CCreatePalette::TrackItem(CElement* element, SPointHV point) {
  return HoverGlowButton(Tracker(), element, point, kGlowEntry);
}

// ---- the tabs and plop-ups

int32_t CCreatePalette::PressPlopUp(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressHighlighted(element, handled);
}

int32_t CCreatePalette::TrackPlopUp(CElement* element, SPointHV point) {
  return HoverTab(Tracker(), element, point) ? kHandled : kNoErr;
}

int32_t CCreatePalette::PressTab(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressOnRelease(element, handled);
}

int32_t CCreatePalette::TrackTab(CElement* element, SPointHV point) {
  HoverTab(Tracker(), element, point);
  return kNoErr;
}

// ---- the pointer watch

int32_t CCreatePalette::WatchPointer(void* palette, void* record, void*) {
  if (palette) static_cast<CCreatePalette*>(palette)->WatchPointer(record);
  return kNoErr;
}

void CCreatePalette::WatchPointer(const void* record) {
  if (IsPaletteWatchDue(*this, record, &fLastWatch, 0)) WatchPaletteButtons(*this, fTracker, SButtonWatch());
}
