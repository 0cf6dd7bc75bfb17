// The shaded 3D preview of a height field: the grid of 16-bit heights is mapped onto a quadrilateral
// already projected to the screen, which is scan-converted from its near (bottom) edge to its far
// (top) edge. Each scanline raises columns of pixels from the heights and keeps a floating horizon
// per screen column, so that nearer relief hides farther relief; light comes from the left along
// the scanlines. One editor draws at a time, so the state is one set behind these calls.
//
// Per texel: inverted height s = (65535 − h) >> 8 (0 highest, 255 lowest), elevation e = 255 − s.
// Texels whose s exceeds the cut level lie under water and are not drawn.
#pragma once

#include <cstdint>

// x and y in 16.16 screen coordinates; u and v in [0, 1] across the grid. w is taken as 1.
struct STerrainVertex {
  int32_t x = 0;
  int32_t y = 0;
  double u = 0;
  double v = 0;
  double w = 1;
};

class TerrainPreview {
 public:
  enum EMode : int32_t { kRelief = 0, kReliefWithShadows = 1, kOverlay = 2 };
  // Screen columns from this one on are not drawn.
  static constexpr int32_t kColumns = 1024;

  // 32-bit pixels, rowLength of them to a row; the clip is the whole target.
  static void SetTarget(uint32_t* pixels, int32_t rowLength, int32_t width, int32_t height);
  // A private copy of size × size pixels coloured on from now on; none frees it and the gradient
  // colours. Either way colouring stays on.
  static void ResizeBuffer(const uint32_t* picture, int32_t size);
  // scale: the screen rise of a full height in 16.16 (its sign is ignored); the gradient has 256
  // colours. The grid is addressed with width − 1 and height − 1 as masks: powers of two.
  static void SetHeightField(const uint16_t* heights, int32_t rowLength, int32_t gridWidth, int32_t gridHeight,
                             int32_t scale, int32_t cutLevel, int32_t minimumShade, const uint32_t* gradient);
  // Mode 0 relief, 1 relief with cast shadows, 2 darkening of what lies under the field (the
  // editor's drop shadow); scale 0 draws the field flat in modes 0 and 1. False, with nothing
  // drawn, for fewer than 3 vertices, texture coordinates that are not numbers, another mode, or a
  // target, field or gradient not set.
  static bool DrawPolygon(const STerrainVertex* vertices, int32_t count, int32_t mode);

  // The state of a program that has not drawn yet.
  static void Reset();
};
