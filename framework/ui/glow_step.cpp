#include "framework/ui/glow_step.h"

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/element.h"
#include "framework/ui/im_element.h"

namespace {

constexpr int32_t kFullLevel = 256;
constexpr int32_t kLevelStep = 20;
// A pulse is due once the pointer rested this long on the button and the last step is this old.
constexpr int64_t kPulseAfterTicks = 60;
constexpr int64_t kPulseEveryTicks = 2;

void MovePulse(SGlowPulse& pulse) {
  pulse.level += pulse.step;
  if (pulse.level > kFullLevel) {
    pulse.level = kFullLevel;
    pulse.step = -kLevelStep;
  } else if (pulse.level < 0) {
    pulse.level = 0;
    pulse.step = kLevelStep;
  }
}

// The scratch image at the size of the picture, made anew only when the size differs.
bool FitScratch(CImage*& scratch, const CImage& like) {
  const uint32_t width = like.GetWidth(), height = like.GetHeight();
  if (scratch && scratch->GetWidth() == width && scratch->GetHeight() == height) return true;
  int32_t error = kNoErr;
  CImage* made = NewDataImage(width, height, &error);
  if (!made || !made->IsReady()) {
    delete made;
    return false;
  }
  delete scratch;
  scratch = made;
  return true;
}

}  // namespace

int32_t GlowPulseStep(CImElement& element, uint32_t stateEntry, SGlowPulse& pulse, CImage*& scratch, bool hideFirst) {
  MovePulse(pulse);
  CIxImage* list = element.GetImageList();
  CImage* normal = list ? list->ImageAt(0) : nullptr;
  if (!normal || !normal->IsReady()) return kNoErr;
  CImage* highlight = list->ImageAt(stateEntry);
  if (!highlight) return kNoErr;
  // The element may show the scratch image already: it is filled before it is shown again.
  if (element.GetImage() != scratch && !FitScratch(scratch, *normal)) return kErrOutOfMemory;
  if (!scratch->CopyFrom(normal) || !scratch->BlendColorFrom(pulse.level, highlight)) return kErrOutOfMemory;
  const bool translucent = element.IsTranslucent();
  if (hideFirst) element.SetTranslucent(false, false);
  // The scratch image stays the caller's: the element is never asked to release it.
  const int32_t err =
      element.GetImage() == scratch ? element.Redraw(false) : element.SetImage(scratch, false, false, false, true);
  if (hideFirst) element.SetTranslucent(translucent, false);
  // Entry 0 is the element's state again, while the blend stays on show.
  list->Select(0);
  return err;
}

int32_t ZoneMapAlpha(CImElement& element, SPointHV point) {
  CIxImage* list = element.GetImageList();
  CImage* picture = list ? list->ImageAt(0) : nullptr;
  if (!picture) return -1;
  const SPointHV at{point.h - element.GetImagePosition().h, point.v - element.GetImagePosition().v};
  if (at.h < 0 || at.v < 0 || uint32_t(at.h) >= picture->GetWidth() || uint32_t(at.v) >= picture->GetHeight())
    return -1;
  CImNavigator pixels(picture, nullptr, false, false);
  if (!pixels.IsUsable()) return -1;
  return pixels.Cells(uint32_t(at.v))[at.h].Alpha();
}

// ---- the hot button

CGlowTracker::~CGlowTracker() { delete fScratch; }

int32_t CGlowTracker::Track(CImElement* element, uint32_t state, bool hideFirst) {
  const int32_t err = element ? GlowPulseStep(*element, state, fPulse, fScratch, hideFirst) : kNoErr;
  fPulseTimer.Start();
  return err;
}

bool CGlowTracker::IsPulseDue() const {
  return fHover.ElapsedTicks() > kPulseAfterTicks && fPulseTimer.ElapsedTicks() > kPulseEveryTicks;
}

void CGlowTracker::MakeHot(CElement* element) {
  if (fHot && fHot != element) Leave(fHot);
  fHot = element;
  RestartTimers();
}

void CGlowTracker::DropHot() {
  CElement* hot = fHot;
  fHot = nullptr;
  if (hot) Leave(hot);
}

void CGlowTracker::Leave(CElement* element) const {
  if (!element) return;
  auto* image = dynamic_cast<CImElement*>(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  if (!list) {
    element->Redraw();
    return;
  }
  const uint32_t selected = list->Selected() == CIxImage::kNone ? 0 : list->Selected();
  image->SelectEntry(fStateOf ? fStateOf(element) : selected, false, false, true);
}

void CGlowTracker::SetPulse(int32_t level, int32_t step) {
  fPulse.level = level;
  fPulse.step = step;
}

void CGlowTracker::RestartTimers() {
  fHover.Start();
  fPulseTimer.Expire();
}
