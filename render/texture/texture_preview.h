// The preview rows of the texture editor and the material composer: one row of a preview image
// evaluated across its width, with the row's height standing for altitude and its column for slope.
#pragma once

#include <cstdint>

#include "render/texture/texture_data.h"

class CImage;

// Fills row y of the image with the texture's colour: every column, or in mode 2 and above every
// fourth column, drawn as 4 × 4 blocks over rows y to y + 3. Turns on the texture's colour output.
// Answers 0, the image's error when it cannot be locked, or 16 for a row outside the image.
int32_t SampleForTextureEditor(STextureData& data, CImage& row, uint32_t y, uint32_t mode);

// The same loop into three images at once: the colour, the value as grey, and the relief of the bump
// gradient. The three images have the same width.
int32_t SampleForComposer(STextureData& data, CImage& colour, CImage& value, CImage& relief, uint32_t y,
                          uint32_t mode);
