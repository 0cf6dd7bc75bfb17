#include "editors/material/component_preview.h"

#include <algorithm>
#include <cmath>

#include "framework/core/vector3.h"
#include "framework/image/image.h"
#include "scene/texture/blend.h"
#include "scene/texture/noise.h"
#include "scene/texture/texture_compile.h"

namespace {

// The full transform's factor, as single precision holds it.
constexpr double kFullScale = double(0.00625f);
constexpr double kFastScale = 11;
constexpr double kRadiansPerDegree = 0.01745329252;
constexpr int32_t kMaxOctaves = 8;
// The eye looks at the cube's corner from the pixel (26, 34).
constexpr int32_t kCornerColumn = 34;
constexpr int32_t kCornerRow = 26;

enum EFace { kFaceZ, kFaceX, kFaceY };
// What a sample weighs on each face, full and fast.
constexpr double kFullWeights[3] = {160, 100, 255};
constexpr int32_t kFastWeights[3] = {16, 10, 25};

int32_t PackParams(const SComponentPreviewParams& params) {
  const int32_t octaves = std::clamp(params.octaves, 0, kMaxOctaves);
  return PackComponentCode(params.dimension, params.noiseType, octaves, params.mode);
}

// Calls s = sample(face, x, y, z) for every pixel of the 68 × 68 corner and writes the grey 255 - s.
template <typename Sample>
bool WalkCube(CImage* image, Sample sample) {
  if (!image) return false;
  CImNavigator pixels(image, nullptr, true, false);
  if (!pixels.IsUsable() || pixels.GetRows() < uint32_t(kComponentPreviewSide) ||
      pixels.GetColumns() < uint32_t(kComponentPreviewSide))
    return false;
  for (int32_t r = 0; r < kComponentPreviewSide; ++r) {
    CImVector* row = pixels.Cells(uint32_t(r));
    for (int32_t c = 0; c < kComponentPreviewSide; ++c) {
      const int32_t u = c - kCornerColumn, v = kCornerRow - r;
      int32_t s = 0;
      if (u < 0 && v < 0) s = sample(kFaceZ, u, v, 0);
      else if (v < u) s = sample(kFaceX, 0, v - u, u);
      else s = sample(kFaceY, u - v, 0, v);
      const uint32_t grey = uint32_t(std::clamp(255 - s, 0, 255));
      row[c].value = grey * 0x010101u;
    }
  }
  return true;
}

// The level of a coordinate: the table at ((t >> 12) + 131072) mod 8.
int32_t LevelOf(int64_t t) {
  const int64_t index = ((t >> 12) + 131072) % 8;
  return kStripeLevels[index < 0 ? index + 8 : index];
}

int64_t Truncated(double value) { return int64_t(std::trunc(value)); }

}  // namespace

int32_t PackComponentCode(int32_t dimension, int32_t noiseType, int32_t octaves, int32_t mode) {
  const int64_t code = dimension + 4 * (int64_t(noiseType) + 64 * (int64_t(octaves) + 10 * int64_t(mode)));
  return int32_t(uint32_t(uint64_t(code)));
}

SPreviewTransform FullPreviewTransform(const SComponentPreviewParams& params) {
  SCompiledNoise compiled{};
  SetNoiseMatrix(compiled, params.angleXY, params.angleYZ, params.frequency, kFullScale);
  SPreviewTransform transform;
  std::copy(std::begin(compiled.m), std::end(compiled.m), transform.m);
  return transform;
}

// The factors in the order the drags have always multiplied them, which the truncation shows.
SFastPreviewTransform FastPreviewTransform(const SComponentPreviewParams& params) {
  const double a = params.angleXY * kRadiansPerDegree, b = params.angleYZ * kRadiansPerDegree;
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  const double fx = params.frequency[0], fy = params.frequency[1], fz = params.frequency[2];
  SFastPreviewTransform t;
  t.m[0] = Truncated(fx * ca * kFastScale);
  t.m[1] = Truncated(fx * (cb * kFastScale) * sa);
  t.m[2] = Truncated(-fx * (sb * kFastScale) * sa);
  t.m[3] = Truncated(fy * sa * -kFastScale);
  t.m[4] = Truncated(fy * (cb * kFastScale) * ca);
  t.m[5] = Truncated(fy * (sb * kFastScale) * ca);
  t.m[7] = Truncated(fz * (sb * kFastScale));
  t.m[8] = Truncated(fz * (cb * kFastScale));
  return t;
}

bool RenderComponentPreview(CImage* image, const SComponentPreviewParams& params) {
  return DrawPreviewCube(image, PackParams(params), FullPreviewTransform(params));
}

bool RenderFastComponentPreview(CImage* image, const SComponentPreviewParams& params) {
  return DrawFastPreviewCube(image, PackParams(params), FastPreviewTransform(params));
}

bool DrawPreviewCube(CImage* image, int32_t code, const SPreviewTransform& transform) {
  SCompiledNoise component{};
  std::copy(std::begin(transform.m), std::end(transform.m), component.m);
  DecodeTextureComponent(code, component);
  return WalkCube(image, [&component](int face, int32_t x, int32_t y, int32_t z) {
    const double s = std::trunc(SampleComponentAt(x, y, z, component) * kFullWeights[face]);
    // A value outside 0..1 only darkens or lightens to the ends.
    return std::isfinite(s) ? int32_t(std::clamp(s, -1.0, 256.0)) : 0;
  });
}

bool DrawFastPreviewCube(CImage* image, int32_t code, const SFastPreviewTransform& transform) {
  const int32_t dimension = code & 3;
  return WalkCube(image, [&transform, dimension](int face, int32_t x, int32_t y, int32_t z) {
    return FastStripeLevel(x, y, z, transform, dimension) * kFastWeights[face];
  });
}

double SampleComponentAt(double x, double y, double z, const SCompiledNoise& component) {
  const double* m = component.m;
  // The blend may move the point it is given; this one is its own.
  vector3<double> p{m[0] * x + m[1] * y + m[2] * z, m[3] * x + m[4] * y + m[5] * z, m[7] * y + m[8] * z};
  return BlendOfKind(component.blend)(GetNoiseFunction(component.noise), p, component.dimension, component.octaves);
}

int32_t FastStripeLevel(int32_t x, int32_t y, int32_t z, const SFastPreviewTransform& transform, int32_t dimension) {
  const int64_t* m = transform.m;
  const int32_t levelX = LevelOf(m[0] * x + m[1] * y + m[2] * z);
  if (dimension == 0) return levelX;
  const int32_t levelY = LevelOf(m[3] * x + m[4] * y + m[5] * z);
  if (dimension == 1) return std::max(levelX, levelY);
  return std::max({levelX, levelY, LevelOf(m[7] * y + m[8] * z)});
}
