// The pulsing highlight of picture buttons: while the pointer rests on a button its picture swings
// between its normal look (entry 0 of its image list) and a state entry, in steps of 20/256.
#pragma once

#include <cstdint>

#include "framework/core/timer.h"
#include "framework/ui/geometry.h"

class CElement;
class CImage;
class CImElement;

struct SGlowPulse {
  int32_t level = 0;
  int32_t step = 20;
};

// One step of the pulsing highlight of a picture button: level moves by step, bouncing at 0 and 256
// (step becomes -20 / +20); when the element's image list has entry `stateEntry`, entry 0 with that entry blended
// over it by level / 256 (entry 0's alpha kept) is shown in `scratch` (made or grown to entry 0's size, reused).
// hideFirst: the element's translucency is switched off while the picture changes and restored after.
// The scratch stays the caller's: before it is freed, and before the element goes (which would free
// the picture it shows), the element must show an entry of its list again (SelectEntry).
// 0; 9 when the scratch image cannot be made; nothing is drawn when entry 0 is missing or unusable.
int32_t GlowPulseStep(CImElement& element, uint32_t stateEntry, SGlowPulse& pulse, CImage*& scratch, bool hideFirst);

// The alpha byte of entry 0 of the element's image list under the point (element coordinates), where
// picture buttons keep the map of their zones; -1 off the picture or without one.
int32_t ZoneMapAlpha(CImElement& element, SPointHV point);

// The hot button of one palette and its pulsing highlight: the element under the pointer, the pulse,
// the hover and pulse timers and the picture the blend is shown in.
class CGlowTracker {
 public:
  // The state entry an element stands in, shown again when it stops being hot; without it the entry
  // its image list has selected.
  using StateOf = uint32_t (*)(const CElement* element);

  explicit CGlowTracker(StateOf stateOf = nullptr) : fStateOf(stateOf) {}
  // The scratch picture goes with the tracker: the hot element must have been dropped before.
  ~CGlowTracker();
  CGlowTracker(const CGlowTracker&) = delete;
  CGlowTracker& operator=(const CGlowTracker&) = delete;

  // One glow step of the element towards entry `state` (GlowPulseStep); the pulse timer restarts.
  int32_t Track(CImElement* element, uint32_t state, bool hideFirst = false);
  // A pulse step is due: the pointer has rested on the hot button for over 60 ticks and the last
  // step is over 2 ticks old.
  bool IsPulseDue() const;
  // The element becomes the hot button, the one before it dropping its highlight; the hover timer
  // starts and the pulse timer reads as long expired.
  void MakeHot(CElement* element);
  // The hot button drops its highlight and there is none.
  void DropHot();
  // The hot button is forgotten untouched: its tree is gone.
  void ForgetHot() { fHot = nullptr; }
  // The element shows its state entry again, without the highlight (a plain redraw without a list).
  void Leave(CElement* element) const;
  void SetPulse(int32_t level, int32_t step);
  void RestartTimers();

  CElement* GetHotButton() const { return fHot; }
  // The state entry the element stands in; 0 without a StateOf.
  uint32_t StateEntry(const CElement* element) const { return fStateOf && element ? fStateOf(element) : 0; }
  const SGlowPulse& GetPulse() const { return fPulse; }
  int32_t GetLevel() const { return fPulse.level; }
  int32_t GetStep() const { return fPulse.step; }

 private:
  StateOf fStateOf;
  CElement* fHot = nullptr;
  SGlowPulse fPulse;
  CTimer fHover;
  CTimer fPulseTimer;
  CImage* fScratch = nullptr;
};
