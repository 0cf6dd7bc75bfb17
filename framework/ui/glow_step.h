// The pulsing highlight of picture buttons: while the pointer rests on a button its picture swings
// between its normal look (entry 0 of its image list) and a state entry, in steps of 20/256.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"

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
