// Arithmetic on 32-bit pixels, two channels at a time: the 0x00FF00FF lanes hold blue and red, and
// shifted down by 8 green and the top byte. A weight w of 0..256 mixes a toward b as
// ⌊a + (b − a)·w / 256⌋ per byte, which equals (a·(256 − w) + b·w) >> 8 and never leaves a lane.
#pragma once

#include <cstdint>

inline constexpr uint32_t kLaneMask = 0x00FF00FF;

inline uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t keep = 256 - w;
  const uint32_t low = (((a & kLaneMask) * keep + (b & kLaneMask) * w) >> 8) & kLaneMask;
  const uint32_t high = (((a >> 8) & kLaneMask) * keep + ((b >> 8) & kLaneMask) * w) & ~kLaneMask;
  return high | low;
}

// Colour channels mixed, the top byte 0 or kept from a.
inline uint32_t BlendPixel(uint32_t a, uint32_t b, uint32_t w) { return MixPixel(a, b, w) & 0x00FFFFFF; }
inline uint32_t BlendPixelKeepAlpha(uint32_t a, uint32_t b, uint32_t w) {
  return (a & 0xFF000000) | BlendPixel(a, b, w);
}

// Each colour channel c becomes (c·k + 255) >> 8 for k of 0..255; the top byte 0.
inline uint32_t ScalePixel(uint32_t p, uint32_t k) {
  const uint32_t low = (((p & kLaneMask) * k + kLaneMask) >> 8) & kLaneMask;
  const uint32_t green = ((((p >> 8) & 0xFF) * k + 0xFF) >> 8) << 8;
  return low | green;
}

// The weights add up to 256, so white stays 255.
inline uint32_t GreyLevel(uint32_t p) { return (77 * ((p >> 16) & 0xFF) + 151 * ((p >> 8) & 0xFF) + 28 * (p & 0xFF)) >> 8; }
