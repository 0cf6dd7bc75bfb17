// The component sub-editor's preview: one noise parameter set of a procedural texture drawn as a small
// grey cube seen from a corner, into the top left 68 × 68 pixels of an image. The full preview
// evaluates the set through the texture engine at every pixel; the fast one draws integer stripes
// whose orientation and scale follow the same transform, cheap enough for every pass of a drag.
#pragma once

#include <cstdint>

#include "scene/texture/texture_data.h"

class CImage;

// The values both renderers draw from, refilled from the sub-editor's controls before every render.
struct SComponentPreviewParams {
  int8_t noiseType = 0;
  int32_t dimension = 0;  // 0, 1 or 2
  int32_t octaves = 0;
  int8_t mode = 0;
  int32_t angleXY = 0;  // degrees
  int32_t angleYZ = 0;
  int32_t frequency[3] = {};
};

inline constexpr int32_t kComponentPreviewSide = 68;
// The fast preview's stripe levels, one every 4096 units of a coordinate.
inline constexpr int32_t kStripeLevels[8] = {0, 2, 4, 6, 8, 5, 3, 1};

// The component code of a set: dimension + 4 × (noise type + 64 × (octaves + 10 × mode)), wrapped to
// 32 bits as a stored code is.
int32_t PackComponentCode(int32_t dimension, int32_t noiseType, int32_t octaves, int32_t mode);

// Rows X, Y, Z by columns x, y, z; the (Z, x) entry is always 0.
struct SPreviewTransform {
  double m[9] = {};
};
struct SFastPreviewTransform {
  int64_t m[9] = {};
};
// The full transform: the two angles and the frequencies times 0.00625 (held in single precision).
SPreviewTransform FullPreviewTransform(const SComponentPreviewParams& params);
// The fast one: the same coefficients with 11 in place of 0.00625, each truncated toward zero. They
// and the sums over them are 64-bit, since a frequency is any 32-bit number.
SFastPreviewTransform FastPreviewTransform(const SComponentPreviewParams& params);

// The octave count held to 0..8, then the code packed; each walks the cube over the image. False when
// the image has fewer than 68 × 68 pixels or cannot be locked.
bool RenderComponentPreview(CImage* image, const SComponentPreviewParams& params);
bool RenderFastComponentPreview(CImage* image, const SComponentPreviewParams& params);

// The pixel walk of each renderer, the code decoded once by the texture engine for the full one.
bool DrawPreviewCube(CImage* image, int32_t code, const SPreviewTransform& transform);
bool DrawFastPreviewCube(CImage* image, int32_t code, const SFastPreviewTransform& transform);
// One full sample: the point through the component's matrix and its blend of its noise there.
double SampleComponentAt(double x, double y, double z, const SCompiledNoise& component);
// One fast sample: the stripe level of X for dimension 0, the larger of X's and Y's for 1, of all
// three otherwise.
int32_t FastStripeLevel(int32_t x, int32_t y, int32_t z, const SFastPreviewTransform& transform, int32_t dimension);
