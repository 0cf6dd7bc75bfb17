#include "render/gradient_hook.h"

#include <algorithm>

namespace {

// Entry i of the ramp is (i, i, i).
CImVector GreyRampAt(double t) {
  const double position = (t > 0 ? std::min(t, 1.0) : 0.0) * 255;
  const uint8_t grey = uint8_t(position + 0.5);
  CImVector colour;
  colour.Set(0, grey, grey, grey);
  return colour;
}

GradientColourLookup gLookup = nullptr;

}  // namespace

void SetGradientColourLookup(GradientColourLookup lookup) { gLookup = lookup; }

CImVector GradientColourAt(double t) { return gLookup ? gLookup(t) : GreyRampAt(t); }
