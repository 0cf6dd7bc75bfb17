#include "framework/core/colour.h"

#include <algorithm>
#include <cmath>

namespace {

// A hue in sixths of a turn, wrapped into [0, 6): its sextant 0..5 and the fraction into it.
// A hue that is not a number counts as 0.
void SplitSextant(float sixths, int& sextant, float& fraction) {
  float h = std::isfinite(sixths) ? sixths - 6 * std::floor(sixths / 6) : 0;
  if (h >= 6) h = 0;  // a tiny negative hue can round up to a full turn
  sextant = int(h);
  fraction = h - sextant;
}

void SetRGB(float& r, float& g, float& b, float vr, float vg, float vb) {
  r = vr;
  g = vg;
  b = vb;
}

}  // namespace

void RGBToHLS(float r, float g, float b, float& hue, float& lightness, float& saturation) {
  const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const float delta = mx - mn;
  lightness = (mx + mn) / 2;
  hue = 0;
  saturation = 0;
  if (!(lightness > 0) || !(delta > 0)) return;

  saturation = lightness <= 0.5f ? delta / (mx + mn) : delta / (2 - mx - mn);
  const float rc = (mx - r) / delta, gc = (mx - g) / delta, bc = (mx - b) / delta;
  float h;
  if (r == mx)
    h = g == mn ? 5 + bc : 1 - gc;
  else if (g == mx)
    h = b == mn ? 1 + rc : 3 - bc;
  else
    h = r == mn ? 3 + gc : 5 - rc;
  hue = h / 6;
}

void HLSToRGB(float hue, float lightness, float saturation, float& r, float& g, float& b) {
  const float v = lightness <= 0.5f ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
  if (!(v > 0)) return SetRGB(r, g, b, 0, 0, 0);
  const float m = 2 * lightness - v;
  const float sv = (v - m) / v;
  int sextant;
  float f;
  SplitSextant(6 * hue, sextant, f);
  const float vsf = v * sv * f;
  const float rising = m + vsf, falling = v - vsf;
  switch (sextant) {
    case 0: return SetRGB(r, g, b, v, rising, m);
    case 1: return SetRGB(r, g, b, falling, v, m);
    case 2: return SetRGB(r, g, b, m, v, rising);
    case 3: return SetRGB(r, g, b, m, falling, v);
    case 4: return SetRGB(r, g, b, rising, m, v);
    default: return SetRGB(r, g, b, v, m, falling);
  }
}

void RGBToHSV(float r, float g, float b, float& hue, float& saturation, float& value) {
  const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
  value = mx;
  saturation = mx != 0 ? (mx - mn) / mx : 0;
  hue = 0;
  if (saturation == 0) return;

  const float delta = mx - mn;
  const float rc = (mx - r) / delta, gc = (mx - g) / delta, bc = (mx - b) / delta;
  float h = 0;
  // Where two channels share the maximum the later one decides; both give the same hue.
  if (r == mx) h = bc - gc;
  if (g == mx) h = 2 + rc - bc;
  if (b == mx) h = 4 + gc - rc;
  h *= 60;
  hue = h < 0 ? h + 360 : h;
}

void HSVToRGB(float hue, float saturation, float value, float& r, float& g, float& b) {
  if (saturation == 0) return SetRGB(r, g, b, value, value, value);
  int sextant;
  float f;
  SplitSextant(hue / 60, sextant, f);
  const float p = value * (1 - saturation);
  const float q = value * (1 - saturation * f);
  const float t = value * (1 - saturation * (1 - f));
  switch (sextant) {
    case 0: return SetRGB(r, g, b, value, t, p);
    case 1: return SetRGB(r, g, b, q, value, p);
    case 2: return SetRGB(r, g, b, p, value, t);
    case 3: return SetRGB(r, g, b, p, q, value);
    case 4: return SetRGB(r, g, b, t, p, value);
    default: return SetRGB(r, g, b, value, p, q);
  }
}
