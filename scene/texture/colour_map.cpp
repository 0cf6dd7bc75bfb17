#include "scene/texture/colour_map.h"

#include <cmath>

#include "framework/core/colour.h"
#include "framework/core/fast_math.h"
#include "scene/texture/blend.h"
#include "scene/texture/noise.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_math.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

int32_t MixChannel(int32_t a, int32_t b, double t) { return a + int32_t(std::trunc((b - a) * t)); }

// The three colours as a gradient over [0, 1]; smooth passes the local parameter through the
// smoothstep.
uint32_t Grad3(const SColorOutput& output, double t, bool smooth) {
  const uint32_t* c = output.colour;
  if (t > 1) return c[2];
  if (t < 0) return c[0];
  const auto local = [smooth](double u) { return smooth ? Smoothstep(u) : u; };
  if (2 * t > 1) return Mix2(c[1], c[2], local(2 * t - 1));
  return Mix2(c[0], c[1], local(2 * t));
}

uint32_t ReplaceByte(uint32_t colour, int shift, double v) {
  return (colour & ~(uint32_t(255) << shift)) | uint32_t(ClampByte(v * 255)) << shift;
}

uint32_t AddToChannels(uint32_t colour, double r, double g, double b) {
  return MakeColour(ClampByte(Red(colour) + r), ClampByte(Green(colour) + g), ClampByte(Blue(colour) + b));
}

// Two octaves of value noise, the second at half the scale and 1.8 times the weight.
double JitterNoise(vector3<double> p) { return BlendOfKind(1)(GetNoiseFunction(6), p, 2, 1); }

uint32_t Jittered(uint32_t colour, const vector3<double>& at) {
  const double r = JitterNoise(at), g = JitterNoise({at.z, at.x, at.y}), b = JitterNoise({at.y, at.z, at.x});
  return AddToChannels(colour, (r - 0.5) * 127, (g - 0.5) * 127, (b - 0.5) * 127);
}

uint32_t WaterAndSnow(const SColorOutput& output, double v, const vector3<double>& at) {
  if (v < 0.2) {
    const double w = 5 * v;
    return MakeColour(ClampByte(16 * w), ClampByte(64 * w + 16), ClampByte(92 * w + 64));
  }
  const double above = (v - 0.2) * 1.25;
  const double n = FractalValueNoise(at, 2);
  if (0.4 * n - GetTextureEngine().slope + above + 0.85 > 0.96) return kWhite;
  return Grad3(output, above, false);
}

uint32_t Terrain(const SColorOutput& output, double v, const vector3<double>& at) {
  const STextureEngine& surface = GetTextureEngine();
  const double n = FractalValueNoise(at, 2);
  if (0.4 * n - surface.slope + surface.altitude > 0.95) return kWhite;
  const double shore = n * 0.1 + surface.altitude;
  if (shore <= 0) return 0xE0E040;
  if (shore < 0.08 && surface.slope < 0.12) return 0xFFE07F;
  return Grad3(output, v, true);
}

uint32_t Snow(const SColorOutput& output, double v, const vector3<double>& at) {
  const STextureEngine& surface = GetTextureEngine();
  if (0.4 * FractalValueNoise(at, 2) - 2 * surface.slope + surface.altitude > 0.85) return kWhite;
  return Grad3(output, v, true);
}

uint32_t Waves(const SColorOutput& output, double v) {
  const uint32_t colour = Mix2(output.colour[0], output.colour[2], 0.5 + 0.5 * std::sin(kTwoPi * v));
  return Mix2(colour, output.colour[1], 0.5 + 0.5 * std::sin(2 * kTwoPi * v));
}

uint32_t SineChannels(uint32_t c1, double v) {
  const auto channel = [v](int32_t c) { return ClampByte((std::sin((c >> 1) * v) + 1) * 127); };
  return MakeColour(channel(Red(c1)), channel(Green(c1)), channel(Blue(c1)));
}

uint32_t Stripes(const SColorOutput& output, double v) {
  const double s = kTwoPi * v;
  return AddToChannels(Grad3(output, v, false), std::trunc(64 * std::sin(2 * s)), std::trunc(64 * std::sin(3 * s)),
                       std::trunc(64 * std::sin(4 * s)));
}

}  // namespace

uint32_t Mix2(uint32_t c1, uint32_t c2, double t) {
  if (!(t > 0)) return c1;
  if (t >= 1) return c2;
  return MakeColour(MixChannel(Red(c1), Red(c2), t), MixChannel(Green(c1), Green(c2), t),
                    MixChannel(Blue(c1), Blue(c2), t));
}

uint32_t NormalColour(double gx, double gy, double gz) {
  const double length = FastSqrt(gx * gx + gy * gy + gz * gz + 0.005);
  const auto byte = [length](double g) { return ClampByte(std::trunc(128 * g / length) + 128); };
  return MakeColour(byte(gx), byte(gy), byte(gz));
}

uint32_t ConvertColourFormat(uint32_t colour, bool toHLS) {
  const float r = float(Red(colour) / 255.0), g = float(Green(colour) / 255.0), b = float(Blue(colour) / 255.0);
  float out[3];
  if (toHLS)
    RGBToHLS(r, g, b, out[0], out[1], out[2]);
  else
    HLSToRGB(r, g, b, out[0], out[1], out[2]);
  return MakeColour(ClampByte(out[0] * 255.0 + 0.5), ClampByte(out[1] * 255.0 + 0.5), ClampByte(out[2] * 255.0 + 0.5));
}

uint32_t MapValueToColor(const SColorOutput& output, double v, const vector3<double>& at) {
  const STextureEngine& surface = GetTextureEngine();
  const uint32_t c1 = output.colour[0];
  switch (output.mapKind) {
    case 1: return ReplaceByte(c1, 16, v);
    case 2: return ReplaceByte(c1, 8, v);
    case 3: return ReplaceByte(c1, 0, v);
    case 4: return Grad3(output, v, true);
    case 5: return ReplaceByte(ReplaceByte(ReplaceByte(c1, 16, v), 8, v), 0, v);
    case 6: return Grad3(output, v, false);
    case 7: return Jittered(Grad3(output, v, false), at);
    case 8: return WaterAndSnow(output, v, at);
    case 9: return Waves(output, v);
    case 10: return Grad3(output, Clamp01(v + FractalValueNoise(at, 2) - 0.5), false);
    case 11: return SineChannels(c1, v);
    case 12: return Stripes(output, v);
    case 13: return Terrain(output, v, at);
    case 14: return Snow(output, v, at);
    case 15: return Grad3(output, Clamp01((2 * surface.slope - 0.25) * v), true);
    case 16: return Grad3(output, Clamp01((2 * surface.facing - 0.25) * v), true);
    default: return c1;
  }
}
