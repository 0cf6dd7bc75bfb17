// The texture data of a procedural 3D texture: up to three components, each a recipe of noise, blend,
// filter and colour map, the operations that combine them, the global warp, filter and colour map,
// the evaluation's result and the blocks compiled from the recipe. These are the 1,080 bytes that a
// texture record stores after its base record.
//
// The record is packed to 4 bytes: several doubles (the result and the compiled global phase) lie at
// offsets that are not multiples of 8. Read and write them as members; never take a double's address.
#pragma once

#include <cstddef>
#include <cstdint>

// What a component or a texture produces: the sum of these flags.
inline constexpr int32_t kKindValue = 1;
inline constexpr int32_t kKindColour = 2;
inline constexpr int32_t kKindBump = 4;

// Colour format of a colour output whose three bytes hold hue, lightness and saturation; any
// other format means red, green and blue.
inline constexpr int32_t kColourFormatHLS = 64;

// The colour conversion after evaluation.
inline constexpr int32_t kConvertNone = 0;
inline constexpr int32_t kConvertRGBToHLS = 1;
inline constexpr int32_t kConvertHLSToRGB = 2;

// The point transform of an evaluation: warped moves the point by the global phase first.
inline constexpr int32_t kTransformPlain = 0;
inline constexpr int32_t kTransformWarped = 1;

#pragma pack(push, 4)

struct STextureFilter {
  int32_t kind;   // 0..13
  int32_t count;  // the "c" value
  float a;
  float b;
};

struct SColorOutput {
  int32_t mapKind;  // 0..16, 0 for none
  int32_t format;   // kColourFormatHLS, or anything else for RGB
  uint32_t colour[3];  // 0x00RRGGBB, or H, L, S in the places of R, G, B
};

// A component code made ready to run: the point's matrix (row-major) and what the code selects.
// The noise number and the blend kind stand for their functions, looked up when evaluating, so the
// block means the same on every platform; a stored copy is rebuilt before use.
struct SCompiledNoise {
  double m[9];
  int32_t noise;  // the code's 6-bit noise number, 0 for none
  int32_t blend;  // blend kind 0..12
  int32_t octaves;
  int32_t dimension;
};

// A phase warp's recipe: component code, amount, angles in degrees and frequencies.
struct SPhaseSpec {
  int32_t code;
  int32_t amount;
  int32_t angleXY;
  int32_t angleYZ;
  int32_t frequency[3];
};

struct STextureComponent {
  int32_t kinds;
  int32_t gradientFlag;  // non-zero when the component's gradient must be computed
  int32_t noiseCode;
  int32_t angleXY;  // whole degrees
  int32_t angleYZ;
  int32_t frequency[3];
  SPhaseSpec phase;  // amount used ×0.1, frequencies ÷360
  STextureFilter filter;
  SColorOutput colour;
  SCompiledNoise compiledNoise;
  SCompiledNoise compiledPhase;
};

// An evaluation's result: colour 0x00RRGGBB, bump gradient and scalar value.
struct STextureResult {
  uint32_t colour;
  double gradient[3];
  double value;
};

struct STextureData {
  int32_t count;        // components in use, 1..3
  int32_t outputFlags;  // the kinds the texture must deliver
  int32_t operation[2];  // between components 1 and 2, then the result and component 3; 0..18
  SPhaseSpec globalPhase;  // amount used ÷3600
  STextureFilter filter;
  SColorOutput colour;
  STextureComponent component[3];
  STextureResult result;
  SCompiledNoise compiledGlobalPhase;
  int32_t colourMode[2];
  int32_t bumpMode[2];
  int32_t valueMode[2];
  int32_t producedKinds;
  int32_t conversionMode;
  int32_t anyGradient;
  int32_t transform;
  uint8_t reserved[20];
};

#pragma pack(pop)

static_assert(sizeof(STextureFilter) == 16 && sizeof(SColorOutput) == 20 && sizeof(SCompiledNoise) == 88);
static_assert(sizeof(SPhaseSpec) == 28 && sizeof(STextureResult) == 36);
static_assert(sizeof(STextureComponent) == 272);
static_assert(offsetof(STextureComponent, noiseCode) == 8 && offsetof(STextureComponent, phase) == 32 &&
              offsetof(STextureComponent, filter) == 60 && offsetof(STextureComponent, colour) == 76 &&
              offsetof(STextureComponent, compiledNoise) == 96 && offsetof(STextureComponent, compiledPhase) == 184);
static_assert(sizeof(STextureData) == 1080);
static_assert(offsetof(STextureData, globalPhase) == 16 && offsetof(STextureData, filter) == 44 &&
              offsetof(STextureData, colour) == 60);
static_assert(offsetof(STextureData, component[0]) == 80 && offsetof(STextureData, component[1]) == 352 &&
              offsetof(STextureData, component[2]) == 624);
static_assert(offsetof(STextureData, result) == 896 && offsetof(STextureData, result.gradient[0]) == 900 &&
              offsetof(STextureData, result.gradient[1]) == 908 &&
              offsetof(STextureData, result.gradient[2]) == 916 && offsetof(STextureData, result.value) == 924);
static_assert(offsetof(STextureData, compiledGlobalPhase) == 932 && offsetof(STextureData, colourMode) == 1020 &&
              offsetof(STextureData, bumpMode) == 1028 && offsetof(STextureData, valueMode) == 1036 &&
              offsetof(STextureData, producedKinds) == 1044 && offsetof(STextureData, conversionMode) == 1048 &&
              offsetof(STextureData, anyGradient) == 1052 && offsetof(STextureData, transform) == 1056);

inline bool IsHLS(const SColorOutput& output) { return output.format == kColourFormatHLS; }

// The number of components an evaluation uses: 2 or 3 as the count says, any other count 1.
inline int32_t UsedComponents(const STextureData& data) {
  return data.count == 2 || data.count == 3 ? data.count : 1;
}
