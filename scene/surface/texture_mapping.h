// Where a material component samples its texture at a hit: the component record's scale, placement
// and mapping mode turn the hit into the texture's input point, the picture coordinates and the two
// surface tangents that carry the texture's gradient.
//
// Modes: 0 the object's space, 1 the world's, 2 the surface parameters, 3 the surface parameters
// scaled by the object's size, 4 planar from above in world space, 5 and 7 spherical (7 with
// tangents in the object's space), 6 cylindrical, 8 coordinates from lattice noise, 9 projected from
// above onto the object's box, 10 projected from the front. A picture repeats scale × 20 + 1 times.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/vector3.h"

struct CRay;
struct STextureSample;

#pragma pack(push, 4)

// One of the material record's four 48-byte component records.
struct SMaterialComponent {
  // Flag word bit 0: a 3D texture is symmetric about the axes; a picture in modes 1 and 4 repeats
  // mirrored.
  static constexpr uint32_t kMirrored = 0x1;

  uint32_t textureTag = 0;  // 'qntx', 'pctx' or 0
  uint32_t textureId = 0;
  double scale = 0;
  vector3<double> placement;
  int32_t mappingMode = 0;
  uint32_t flags = 0;
};

#pragma pack(pop)

static_assert(sizeof(SMaterialComponent) == 48 && offsetof(SMaterialComponent, scale) == 8 &&
              offsetof(SMaterialComponent, mappingMode) == 40);

// Fills the sample's point, picture coordinates and tangents for the component at the ray's hit
// (the hit part's space before the hit object's). A mode outside 0..10 leaves them zero.
void MapTexture(CRay& ray, const SMaterialComponent& component, bool picture, STextureSample& sample);
