// Evaluating a prepared texture at a point: each component's noise, blend and filter, the operations
// that combine the components, and the conversion to what the caller asked for. The caller sets the
// surface context (GetTextureEngine) first; evaluations never allocate.
#pragma once

#include <cstdint>

#include "scene/texture/texture_data.h"

// Leaves colour, gradient and value in data.result.
void EvaluateTexture(double x, double y, double z, STextureData& data);
// The same result returned, the data left as it is: render threads evaluate one texture at once.
STextureResult TextureResultAt(double x, double y, double z, STextureData& data);

// The sky's entry for its cloud layers, which scene/ calls: the whole texture at (u, v, w). The caller
// holds the texture locked around the call.
void EvaluateTextureComponent(double u, double v, double w, STextureData& data);

// Component index 1, 2 or 3 alone (any other index means 1): its noise, and its colour map, or the
// grey of its value when it has no colour. Leaves the result in data.result.
void EvaluateComponentAt(double x, double y, double z, STextureData& data, int32_t index);

// The value of the component at its transformed point c (0..2), and its gradient when its flag is
// set.
void EvaluateComponentNoise(const STextureComponent& component, STextureResult& sample, int32_t c);

// Combines the next sample b into the running result a by the operation (0..18; any other acts as
// 0) under the modes that CombineComponentKinds chose.
void CombineComponents(const SColorOutput& aOutput, const SColorOutput& bOutput, STextureResult& a, STextureResult b,
                       int32_t operation, int32_t colourMode, int32_t bumpMode, int32_t valueMode);

// Completes what the caller wants (flags wanted) from what the components produced.
void ConvertTextureOutput(STextureResult& result, int32_t produced, int32_t wanted, const SColorOutput& global);
