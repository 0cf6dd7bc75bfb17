// The preview rows of the texture editor and the material composer: one row of a preview image
// evaluated across its width, with the row's height standing for altitude and its column for slope.
#pragma once

#include <cstdint>

#include "scene/texture/texture_data.h"

class CImage;

// Fills row y of the image with the texture's colour: every column, or in mode 2 and above every
// fourth column, drawn as 4 × 4 blocks over rows y to y + 3. Turns on the texture's colour output.
// Answers 0, the image's error when it cannot be locked, or 16 for a row outside the image.
int32_t SampleForTextureEditor(STextureData& data, CImage& row, uint32_t y, uint32_t mode);

// The same loop into three images at once: the colour, the value as grey, and the relief of the bump
// gradient. The three images have the same width.
int32_t SampleForComposer(STextureData& data, CImage& colour, CImage& value, CImage& relief, uint32_t y,
                          uint32_t mode);

// The 3D texture editor's shaded preview: row y of a square preview whose side S is the image's
// width, showing the whole texture (selector 3) or one component (selector 0, 1 or 2 for components
// 1 to 3) on a flat ramp (shape 0), a cube corner (1) or a dome (2), lit from above and in front.
// Every step-th column is evaluated; with a step above 1 each colour fills four pixels. A texture
// that gives neither value nor colour, and no bump on component 1, clears the whole preview. Answers
// 0, the image's error when it cannot be locked, or 16 for a row outside the image.
int32_t SampleForDTEditor(STextureData& data, CImage& preview, uint32_t y, uint32_t step, int32_t selector,
                          int32_t shape);
