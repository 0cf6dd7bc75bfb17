// Filters: the last reshaping of a component's value, and of the texture's.
#pragma once

#include "scene/texture/texture_data.h"

// x reshaped by the filter's kind (0..13; any other kind gives 0.0). Kinds 8 to 11 and 13 follow the
// surface context.
double ApplyTextureFilter(double x, const STextureFilter& filter);
