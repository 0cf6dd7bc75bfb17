// Colour maps: how a texture value becomes a colour, and the colour arithmetic of the evaluator.
// Colours are pixel words 0x00RRGGBB.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "scene/texture/texture_data.h"

inline int32_t Red(uint32_t c) { return int32_t(c >> 16 & 255); }
inline int32_t Green(uint32_t c) { return int32_t(c >> 8 & 255); }
inline int32_t Blue(uint32_t c) { return int32_t(c & 255); }
inline uint32_t MakeColour(int32_t r, int32_t g, int32_t b) {
  return uint32_t(r & 255) << 16 | uint32_t(g & 255) << 8 | uint32_t(b & 255);
}
inline uint32_t Grey(int32_t level) { return MakeColour(level, level, level); }

// Per channel c1 + trunc((c2 − c1)·t): c1 for t ≤ 0 (and NaN), c2 for t ≥ 1.
uint32_t Mix2(uint32_t c1, uint32_t c2, double t);

// The bump gradient as a colour: each byte trunc(128·g/L) + 128 with L = √(|g|² + 0.005), x in red.
uint32_t NormalColour(double gx, double gy, double gz);

// Reads the colour's bytes as red, green and blue and gives them as hue, lightness and saturation,
// or the other way round.
uint32_t ConvertColourFormat(uint32_t colour, bool toHLS);

// The colour of value v under the output's colour map (kinds 0..16; any other kind as 0). Maps 7, 8,
// 10, 13 and 14 add noise at the point at; 8, 13 to 16 read the surface context.
uint32_t MapValueToColor(const SColorOutput& output, double v, const vector3<double>& at);
