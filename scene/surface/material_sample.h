// The material sample: the working copy of a material record's surface parameters (its bytes 208 to
// 375) that the caller makes per hit, that the material's evaluation changes by its textures and that
// the illumination model reads. The same fields in the same order as the record, in machine order.
//
// Packed to 4 bytes like the record: several doubles lie at offsets that are not multiples of 8.
// Read and write them as members; never take a double's address.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/vector3.h"

#pragma pack(push, 4)

struct SMaterialSample {
  // Flag word bits.
  static constexpr uint32_t kPassThrough = 0x1;
  static constexpr uint32_t kTransparent = 0x2;
  static constexpr uint32_t kGlassLike = 0x4;
  static constexpr uint32_t kSeeThrough = 0x8;
  static constexpr uint32_t kBumpFades = 0x10;  // bump weakens with the hit's distance
  static constexpr uint32_t kNoShadows = 0x20;
  static constexpr uint32_t kTextured = 0x40;   // some component holds a texture
  static constexpr uint32_t kFixedGlass = 0x80;  // set per hit by the trace, never stored

  uint32_t flags = 0;
  vector3<float> diffuseColour;
  double diffusion = 0;
  vector3<float> ambientColour;
  double ambience = 0;
  vector3<float> specularColour;
  double specularity = 0;
  vector3<float> specCoefficients;  // the specular exponents of red, green and blue
  vector3<float> transparentColour;
  double transparency = 0;
  double reflection = 0;
  double bump = 0;
  double refractionIndex = 0;
  double metallicity = 0;
  double metallicityExponent = 0;
  // Derived from transparency and refraction index.
  double edgeAmount = 0;
  double edgeExponent = 0;
  double edgeGain = 0;
  double edgeGainExponent = 0;
};

#pragma pack(pop)

static_assert(sizeof(SMaterialSample) == 168);
static_assert(offsetof(SMaterialSample, diffusion) == 16 && offsetof(SMaterialSample, ambience) == 36 &&
              offsetof(SMaterialSample, specCoefficients) == 64 && offsetof(SMaterialSample, transparency) == 88 &&
              offsetof(SMaterialSample, bump) == 104 && offsetof(SMaterialSample, edgeGainExponent) == 160);
