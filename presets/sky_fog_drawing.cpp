#include "presets/sky_fog_drawing.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/core/fast_math.h"
#include "framework/image/pixel_mix.h"

namespace {

// The ball in units where its radius is 1024: the light's height above it and the shading offset.
constexpr int32_t kUnitDepth = 1048000;
constexpr int32_t kUnitRadiusSquared = 1048576;
// Lights the front half; holds for balls of radius below 1024 pixels.
constexpr int32_t kShadeBias = 32832;
constexpr uint32_t kRampSize = 272;
constexpr uint32_t kWhite = 0x00FFFFFF;

using Ramp = std::array<uint32_t, kRampSize>;

// From the ball colour's shadow through to the colour itself, then 16 steps towards white for the
// highlight.
Ramp MakeRamp(CImVector colour) {
  const int32_t r = std::clamp<int32_t>(colour.Red(), 32, 232);
  const int32_t g = std::clamp<int32_t>(colour.Green(), 32, 232);
  const int32_t b = std::clamp<int32_t>(colour.Blue(), 32, 232);
  Ramp ramp{};
  for (int32_t i = 0; i < 256; ++i) {
    const int32_t a = std::clamp(255 - i * i / 256, 0, 255);
    const int32_t lit = 255 - a;
    ramp[i] = uint32_t(r * lit / 256) << 16 | uint32_t(g * lit / 256) << 8 | uint32_t(b * lit / 256);
  }
  for (uint32_t k = 0; k < 16; ++k) ramp[256 + k] = BlendPixel(ramp[255], kWhite, 16 * k);
  return ramp;
}

struct SLight {
  int32_t sx = 0;
  int32_t sy = 0;
  int32_t sz = 0;
};

// The mirror of the viewing direction about the light at the control point.
SLight LightFrom(int32_t pointX, int32_t pointY, int32_t radius) {
  int32_t lx = int32_t(pointX * (radius - 10) * double(0.01f)) * 1024 / radius;
  int32_t ly = int32_t(pointY * (radius - 10) * double(0.01f)) * 1024 / radius;
  const int32_t length2 = lx * lx + ly * ly;
  if (length2 > 1000000) {
    const int32_t length = int32_t(IntSqrt(uint32_t(length2), false));
    lx = lx * 1000 / length;
    ly = ly * 1000 / length;
  }
  const int32_t depth = kUnitDepth - lx * lx - ly * ly;
  const int32_t lz = int32_t(IntSqrt(uint32_t(depth), false));
  return {(lx * lz) >> 9, (ly * lz) >> 9, (depth >> 9) - 1024};
}

}  // namespace

const SunDepthTable& GetSunDepthTable() {
  static const SunDepthTable table = [] {
    SunDepthTable t{};
    for (int32_t k = 0; k < 1024; ++k) t[k] = uint16_t(std::floor(FastSqrt(kUnitDepth - 1024.0 * k)));
    return t;
  }();
  return table;
}

bool DrawSunBall(CImage* image, int32_t pointX, int32_t pointY, CImVector sunColor) {
  const int32_t width = int32_t(image->GetWidth());
  const int32_t height = int32_t(image->GetHeight());
  const int32_t radius = width / 2;
  if (radius < 1) return true;
  const SunDepthTable& depth = GetSunDepthTable();
  const SLight light = LightFrom(std::clamp(pointX, -100, 100), std::clamp(pointY, -100, 100), radius);
  const Ramp ramp = MakeRamp(sunColor);
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  if (!nav.IsUsable()) return false;

  const int32_t k = 262144 / radius;
  const int32_t rimStart = ((radius - 2) << 20) / radius;
  const int32_t rimScale = 262144 / (kUnitRadiusSquared - rimStart);
  auto shade = [&](int32_t offsetX, int32_t offsetY, int32_t x, int32_t y, int32_t pz, int32_t d) {
    // Screen rows run downwards, the ball's y upwards.
    const int32_t column = radius + offsetX;
    const int32_t row = radius - offsetY;
    if (column < 0 || column >= width || row < 0 || row >= height) return;
    int32_t v = kShadeBias + x * light.sx + y * light.sy + pz * light.sz;
    if (v < 0) v = (-v) >> 2;
    uint32_t pixel = ramp[std::min(270, v >> 12)];
    if (d > rimStart) pixel = BlendPixel(pixel, 0, uint32_t(std::min(256, ((d - rimStart) * rimScale) >> 10)));
    nav.Cells(uint32_t(row))[column].value = pixel;
  };
  for (int32_t dy = 0; dy < radius; ++dy) {
    for (int32_t dx = 0; dx <= dy; ++dx) {
      const int32_t px = (k * dx) >> 8;
      const int32_t py = (k * dy) >> 8;
      const int32_t d = px * px + py * py;
      if (d > kUnitRadiusSquared) break;
      const int32_t pz = depth[std::min(1023, d >> 10)];
      for (int32_t sx : {1, -1}) {
        for (int32_t sy : {1, -1}) {
          shade(sx * dx, sy * dy, sx * px, sy * py, pz, d);
          shade(sx * dy, sy * dx, sx * py, sy * px, pz, d);
        }
      }
    }
  }
  return true;
}

bool DrawCloudProfile(CImage* image, int32_t cloudHeight, int32_t cloudScale, int32_t cloudAmplitude,
                      const CloudSampler& cloud) {
  const int32_t width = int32_t(image->GetWidth());
  if (width < 2) return true;
  int32_t error = 0;
  std::unique_ptr<CImage> work(NewDataImage(image->GetWidth() * 2, image->GetHeight() * 2, &error));
  if (!work) return false;
  work->ClipToBounds();
  if (!work->Fill(kProfileSky)) return false;
  const double altitude = cloudHeight * 0.01 * 160000 + 30000;
  const double amplitude = cloudAmplitude * 0.002 * 5;
  const int32_t half = 2 * (width / 2);
  const int32_t columns = int32_t(work->GetWidth());
  const int32_t rows = int32_t(work->GetHeight());
  {
    const SRect whole = work->GetBounds();
    CImNavigator nav(work.get(), &whole, true, false);
    if (!nav.IsUsable()) return false;
    for (int32_t c = -half; c <= half && c + half < columns; ++c) {
      const int32_t column = c + half;
      const double r = cloud(double(c) / half * cloudScale * 0.005 * 2, altitude, 107.0);
      const double thickness = std::clamp(((2 * r - 1) * amplitude + 1) * 0.5, 0.0, 1.0);
      const int32_t top = std::min(int32_t(rows - thickness * rows), rows - 1);
      for (int32_t row = top; row < rows; ++row) nav.Cells(uint32_t(row))[column].value = kProfileCloud;
      if (top > 0) nav.Cells(uint32_t(top - 1))[column].value = kProfileEdge;
    }
  }
  image->ClipToBounds();
  return image->ScaleFrom(work.get(), 0);
}
