#include "scene/texture/texture_randomize.h"

#include "framework/core/random.h"
#include "scene/texture/colour_map.h"

namespace {

// Every draw reads the generator's low 16 bits as a signed number.
int16_t DrawSigned() { return int16_t(NextRandom(GetRandomState()) & 0xFFFF); }

// From just below 0 to 1.
double DrawReal() { return DrawSigned() * 1.5259254737998596e-5 + 0.5; }

// For the probability tests: from just above 0 to just below 1.
double DrawProbability() { return DrawSigned() * 1.5259021896696422e-5 + 0.5; }

// 0..k − 1.
int32_t DrawBelow(int32_t k) { return int16_t(DrawSigned() & 4095) % k; }

int32_t DrawByte() { return int32_t(NextRandom(GetRandomState()) & 255); }

// Noise 1..25, any dimension, 0..2 octaves, blend kind 1..7.
int32_t DrawCode() {
  const int32_t n = DrawBelow(25), d = DrawBelow(3), octaves = DrawBelow(3), blend = DrawBelow(7);
  return d + 4 * (n + 1) + 256 * (octaves + 10 * (blend + 1));
}

void DrawAngles(int32_t& xy, int32_t& yz) {
  xy = int32_t(DrawReal() * 360 - 180);
  yz = int32_t(DrawReal() * 360 - 180);
}

// Y and Z stay within 100 of X.
void DrawFrequencies(int32_t frequency[3], int32_t range) {
  frequency[0] = int32_t(DrawReal() * range + 1);
  frequency[1] = int32_t(frequency[0] + DrawReal() * 200 - 100);
  frequency[2] = int32_t(frequency[0] + DrawReal() * 200 - 100);
}

void DrawFilter(STextureFilter& filter) {
  filter.kind = int32_t(DrawReal() * 12);
  if (DrawProbability() <= 0.4) filter.kind = 0;
  filter.count = DrawBelow(7) + 2;
  filter.a = float(DrawReal() * 1.5 + 0.5);
  filter.b = 1.0f - filter.a;
  if (filter.kind == 1) filter.b = 0;
  if (filter.kind == 3) filter.a = float(DrawReal() * 17 + 3);
}

void DrawColourOutput(SColorOutput& output, int32_t kinds) {
  output.mapKind = DrawBelow(17);
  if (output.mapKind == 9 || output.mapKind == 10) output.mapKind = 6;
  if (!(kinds & kKindColour))
    output.mapKind = 0;
  else if (output.mapKind == 0)
    output.mapKind = 6;
  output.format = DrawProbability() <= 0.2 ? kColourFormatHLS : 0;
  for (uint32_t& colour : output.colour) {
    const int32_t r = DrawByte(), g = DrawByte(), b = DrawByte();
    colour = MakeColour(r, g, b);
  }
}

}  // namespace

void RandomizeTextureComponent(STextureComponent& component) {
  int32_t kinds = DrawBelow(7) + 1;
  if (DrawProbability() <= 0.75) kinds &= ~kKindBump;
  component.kinds = kinds == 0 ? kKindColour : kinds;
  DrawFilter(component.filter);
  component.noiseCode = DrawCode();
  DrawAngles(component.angleXY, component.angleYZ);
  DrawFrequencies(component.frequency, 599);

  SPhaseSpec& phase = component.phase;
  phase.code = 0;
  phase.amount = 0;
  if (DrawProbability() <= 0.2) {
    phase.code = DrawCode();
    phase.amount = DrawBelow(101);
  }
  DrawAngles(phase.angleXY, phase.angleYZ);
  DrawFrequencies(phase.frequency, 399);
  DrawColourOutput(component.colour, component.kinds);
}

void Randomize(STextureData& data) {
  int32_t flags = 0;
  for (int32_t c = 0; c < UsedComponents(data); ++c) {
    RandomizeTextureComponent(data.component[c]);
    flags |= data.component[c].kinds;
  }
  data.outputFlags = flags;
  data.producedKinds = flags;
  data.operation[0] = int32_t(DrawReal() * 16);
  data.operation[1] = int32_t(DrawReal() * 16);
  if (flags & kKindColour && DrawProbability() > 0.25) {
    data.colour.mapKind = 0;
    return;
  }
  data.outputFlags |= kKindColour;
  data.colour.format = 0;
  for (uint32_t& colour : data.colour.colour) {
    const int32_t r = int32_t(DrawReal() * 255), g = int32_t(DrawReal() * 255), b = int32_t(DrawReal() * 255);
    colour = MakeColour(r, g, b);
  }
}
