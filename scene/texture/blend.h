// Blends: how a texture component folds its noise over octaves, chosen by the component code.
// blend kind = (code >> 8) / 10, octave count = (code >> 8) mod 10.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "scene/texture/noise.h"

// Folds noise sampled at copies of p (scaled, rotated or shifted) into one value; 0.5 when noise is
// null. Kinds 0, 1, 2, 3, 7, 8 and 12 move p itself, and the caller sees it moved.
using BlendFunction = double (*)(NoiseFunction noise, vector3<double>& p, int32_t d, int32_t octaves);

// The octave count (0..9, also for a negative code) and the blend kind of a component code; a
// quotient outside 1..12 gives kind 0.
void GetBlendFunction(int32_t code, int32_t& octaves, int32_t& blendKind);

// The function of a blend kind; kind 0 for any kind outside 1..12.
BlendFunction BlendOfKind(int32_t kind);
