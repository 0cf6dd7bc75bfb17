#include "panels/io_progress.h"

#include <cmath>
#include <cstring>

#include "framework/core/handle_table.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

constexpr int32_t kFullPercent = 100;
// The bar draws in the pass after its own fill.
constexpr uint32_t kBarPass = 1;
constexpr const char* kBlank = " ";

CUICmFunction* gOwner = nullptr;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The picture of the application's resource file, as a copy of its own; none when it is missing.
CImage* ReadSlider(CResourceEnv* environment) {
  if (!environment) return nullptr;
  SSpoolKey key;
  key.SetByName(kImageType, need::kIOProgressSlider.name, false);
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* slider = nullptr;
  if (CImElement::LoadImageCopy(&slider, grid, spec) != kNoErr) {
    delete slider;
    return nullptr;
  }
  return slider;
}

}  // namespace

void SetIOProgressOwner(CUICmFunction* owner) { gOwner = owner; }

CIOProgressDialog* NewIOProgress(CResourceEnv* environment) { return new CIOProgress(gOwner, environment); }

CIOProgress::CIOProgress(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kIOProgress), fSlider(ReadSlider(environment)) {
  SetShadows(true);
}

CIOProgress::~CIOProgress() { ReleaseElements(); }

void CIOProgress::ReleaseElements() {
  if (fBar) ReleaseHandle(fBar->SetUserWord(kSliderWord, 0));
  fDescription = fStatus = nullptr;
  fBar = nullptr;
  fCancel = nullptr;
}

int32_t CIOProgress::BuildControls(CResourceEnv* environment) {
  ReleaseElements();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  CElement* found = nullptr;
  BindElementRef(need::kIOProgressElements[need::kIODescription].name, &found, nullptr, nullptr, nullptr);
  fDescription = dynamic_cast<CTxElement*>(found);
  BindElementRef(need::kIOProgressElements[need::kIOStatusString].name, &found, nullptr, nullptr, nullptr);
  fStatus = dynamic_cast<CTxElement*>(found);
  BindElementRef(need::kIOProgressElements[need::kIOCancel].name, &fCancel, nullptr, nullptr, nullptr);
  BindElementRef(need::kIOProgressElements[need::kIOStatusBar].name, &found, nullptr, nullptr, nullptr);
  fBar = dynamic_cast<CImElement*>(found);
  if (fBar) {
    fBar->SetDrawCallback(&DrawBar);
    fBar->SetUserWord(kSliderWord, RegisterHandle(fSlider.get(), kSliderTag));
  }
  SetLine(fStatus, kBlank);
  return kNoErr;
}

void CIOProgress::SetLine(CTxElement* element, const char* text) {
  if (!element) return;
  char* copy = CTxElement::NewText(text ? text : "", std::strlen(text ? text : "") + 1);
  if (!copy) return;
  if (element->SetText(copy, true, false) != kNoErr) {
    if (element->GetText() != copy) CTxElement::FreeText(copy);
    return;
  }
  SRect laidOut;
  element->Layout(&laidOut, false, 0);
  if (element->IsShown()) element->Redraw();
}

void CIOProgress::Reset() {
  if (BuildOnce() != kNoErr) return;
  SetLine(fStatus, kBlank);
  SetPercent(0);
}

void CIOProgress::LowerNesting() {
  CUICmFunction* owner = GetOwner();
  if (owner && !IsStale() && owner->GetModalLevel() > 0) owner->LowerModalLevel();
}

void CIOProgress::SetDescription(const char* text) {
  if (BuildOnce() == kNoErr) SetLine(fDescription, text);
}

void CIOProgress::SetStatus(const char* text) {
  if (BuildOnce() == kNoErr) SetLine(fStatus, text);
}

void CIOProgress::SetPercent(int32_t percent) {
  if (BuildOnce() != kNoErr || !fBar) return;
  percent = percent < 0 ? 0 : percent > kFullPercent ? kFullPercent : percent;
  fBar->SetUserWord(kPercentWord, uint32_t(percent));
  if (fBar->IsShown()) fBar->Redraw();
}

const char* CIOProgress::GetDescription() const { return fDescription ? fDescription->GetText() : nullptr; }

const char* CIOProgress::GetStatus() const { return fStatus ? fStatus->GetText() : nullptr; }

int32_t CIOProgress::GetPercent() const { return fBar ? int32_t(fBar->GetUserWord(kPercentWord)) : 0; }

int32_t CIOProgress::DrawBar(CElement* element, uint32_t pass, CImage* port) {
  CImage* slider = element ? LookupHandleAs<CImage>(element->GetUserWord(kSliderWord), kSliderTag) : nullptr;
  if (!slider || !port || pass != kBarPass) return kNoErr;
  const double fraction = double(element->GetUserWord(kPercentWord)) * 0.01;
  SRect local;
  element->GetLocalRect(&local);
  CSgStSaver placed(slider, local.left, local.top, true);
  SRect shown = slider->GetBounds();
  shown.right = shown.left + int32_t(std::trunc(double(RectWidth(shown)) * fraction));
  if (shown.right <= shown.left) return kNoErr;
  slider->SetClip(shown);
  return port->CopyFrom(slider) ? kNoErr : kErrOutOfMemory;
}

int32_t CIOProgress::OnPointerPress(SWinEvent& event) {
  CHoElement* root = GetRoot();
  if (!root || !root->AcceptsEvents(kEventMaskPress) || !root->IsShown() || !fCancel) return kNoErr;
  const SPointHV point = ScreenToCanvas({event.x, event.y});
  SRect local, cancel;
  fCancel->GetLocalRect(&local);
  fCancel->LocalToAncestorRect(&cancel, local, nullptr);
  // The border counts: right and bottom included.
  if (point.h < cancel.left || point.h > cancel.right || point.v < cancel.top || point.v > cancel.bottom)
    return kNoErr;
  Hide();
  return kHandled;
}

int32_t CIOProgress::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kIOProgress.name;
  if (message->kind == 0 && Same(message->elementName, canvas) && !Same(message->canvasName, canvas)) {
    if (const int32_t err = BuildOnce()) return err;
    // A dialog already up keeps the level its opening raised.
    if (IsShown()) BringForward();
    else Refresh(false);
    return kHandled;
  }
  return IsShown() ? CLayoutHostCanvas::HandleEvent(message) : kNoErr;
}
