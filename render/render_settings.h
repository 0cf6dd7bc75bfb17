// The render settings record an owner keeps for its renders: the settings word, whose bits switch the
// tracer's features and render modes, the sky that shades missed rays, and the ambient light and
// shadow lightness that the illumination model reads.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"

class C3dSky;

struct SRenderSettings {
  static constexpr uint32_t kReflections = 0x1;
  // Transmitted child rays, and shadow rays that pass through transparent objects; without it any
  // hit blocks a shadow ray.
  static constexpr uint32_t kTransmission = 0x2;
  static constexpr uint32_t kRefraction = 0x4;
  static constexpr uint32_t kShadows = 0x8;
  // A shading normal facing away from the ray falls back to the geometric normal instead of
  // dropping the reflected (or transmitted) ray.
  static constexpr uint32_t kReflectOnGeometricNormal = 0x10;
  static constexpr uint32_t kTransmitOnGeometricNormal = 0x20;
  // Antialias mode 6 spreads child rays over the ring pattern.
  static constexpr uint32_t kDistributedRays = 0x40;
  static constexpr uint32_t kOwnOptimizer = 0x80;
  // A light's last blocker is tried before the optimizer is asked.
  static constexpr uint32_t kShadowCache = 0x100;
  static constexpr uint32_t kTextures = 0x200;
  // The render modes, tested in the order mask, altitude, depth; the first one set wins.
  static constexpr uint32_t kMaskMode = 0x400;
  static constexpr uint32_t kDepthMode = 0x800;
  static constexpr uint32_t kAltitudeMode = 0x1000;
  static constexpr uint32_t kAntialiasPass = 0x2000;
  static constexpr uint32_t kAdaptive = 0x4000;
  static constexpr uint32_t kDefaultFlags = kReflections | kTransmission | kRefraction | kShadows |
                                            kReflectOnGeometricNormal | kTransmitOnGeometricNormal | kOwnOptimizer |
                                            kShadowCache | kTextures;
  static_assert(kDefaultFlags == 0x3BF);

  uint32_t fFlags = kDefaultFlags;
  C3dSky* fSky = nullptr;
  // No stored record holds the ambient light; an owner may set it.
  vector3<float> fAmbientColour{1, 1, 1};
  double fAmbientIntensity = 1.0;
  // 1 leaves shadows undarkened and casts no shadow rays; the render copies it from the sky.
  double fShadowLightness = 1.0;
};
