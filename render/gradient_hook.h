// The terrain colour gradient that the altitude render mode reads. The terrain editor owns the
// gradient and registers its lookup here; until it does, the lookup is a grey ramp.
#pragma once

#include "framework/image/image.h"

// The colour at a height fraction t in [0, 1] (clamped), blended between the two nearest of 256
// entries; the top byte is 0.
using GradientColourLookup = CImVector (*)(double t);

// None restores the grey ramp.
void SetGradientColourLookup(GradientColourLookup lookup);
CImVector GradientColourAt(double t);
