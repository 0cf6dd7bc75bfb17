#include "scene/surface/texture.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/texture/texture_compile.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_evaluate.h"
#include "scene/texture/texture_math.h"
#include "scene/texture/texture_preview.h"
#include "scene/texture/texture_randomize.h"

namespace {

// What the byte swap converts, as offsets in the texture data: the recipe's header, the first part
// of each component (up to its compiled blocks), the result and the modes.
constexpr uint32_t kComponentRecipeBytes = offsetof(STextureComponent, compiledNoise);
constexpr uint32_t kResultColour = offsetof(STextureData, result.colour);
constexpr uint32_t kResultDoubles = offsetof(STextureData, result.gradient);
constexpr uint32_t kResultEnd = offsetof(STextureData, compiledGlobalPhase);
constexpr uint32_t kModes = offsetof(STextureData, colourMode);
constexpr uint32_t kModesEnd = offsetof(STextureData, reserved);

void SwapWords(uint8_t* data, uint32_t from, uint32_t to) {
  for (uint32_t at = from; at < to; at += 4) SwapWordAt(data + at);
}

// The earlier version's texture record: a 42-byte header, then three 52-byte components, every value
// as narrow as it could be. Bytes and 16-bit values widen with their sign.
constexpr uint32_t kOldFilter = 0x12;
constexpr uint32_t kOldColour = 0x1C;
constexpr uint32_t kOldComponents = 0x2A;
constexpr uint32_t kOldComponentBytes = 52;

int32_t OldByte(const uint8_t* at) { return int8_t(*at); }
int32_t OldShort(const uint8_t* at) { return LoadField<int16_t>(at); }

void ReadOldShorts(const uint8_t* at, int32_t* words, int count) {
  for (int i = 0; i < count; ++i) words[i] = OldShort(at + 2 * i);
}

// A phase spec: seven 16-bit values.
void ReadOldPhase(const uint8_t* at, SPhaseSpec& phase) {
  int32_t words[7];
  ReadOldShorts(at, words, 7);
  phase = {words[0], words[1], words[2], words[3], {words[4], words[5], words[6]}};
}

// Kind and count as bytes, then a and b as 32-bit values.
void ReadOldFilter(const uint8_t* at, STextureFilter& filter) {
  filter.kind = OldByte(at);
  filter.count = OldByte(at + 1);
  filter.a = LoadField<float>(at + 2);
  filter.b = LoadField<float>(at + 6);
}

// Map kind and format as bytes, then the three colours as 32-bit values.
void ReadOldColour(const uint8_t* at, SColorOutput& output) {
  output.mapKind = OldByte(at);
  output.format = OldByte(at + 1);
  for (int i = 0; i < 3; ++i) output.colour[i] = LoadField<uint32_t>(at + 2 + 4 * i);
}

void ReadOldComponent(const uint8_t* at, STextureComponent& component) {
  component.kinds = OldByte(at);
  component.gradientFlag = OldByte(at + 1);
  int32_t noise[6];
  ReadOldShorts(at + 2, noise, 6);
  component.noiseCode = noise[0];
  component.angleXY = noise[1];
  component.angleYZ = noise[2];
  for (int i = 0; i < 3; ++i) component.frequency[i] = noise[3 + i];
  ReadOldPhase(at + 14, component.phase);
  ReadOldFilter(at + 28, component.filter);
  ReadOldColour(at + 38, component.colour);
}

}  // namespace

C3dTexture::C3dTexture(const SObjectKey& key) : CBaseTexture(key) { SizeRecord(kRecordSize); }

int32_t C3dTexture::New(C3dTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

void C3dTexture::RestoreState() {
  C3dBase::RestoreState();
  PrepareEvaluation(true);
}

bool C3dTexture::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dBase::SwapRecord(record, size)) return false;
  uint8_t* data = record + kDataOffset;
  SwapWords(data, 0, offsetof(STextureData, component));
  for (uint32_t c = 0; c < 3; ++c) {
    const uint32_t at = uint32_t(offsetof(STextureData, component)) + c * uint32_t(sizeof(STextureComponent));
    SwapWords(data, at, at + kComponentRecipeBytes);
  }
  SwapWordAt(data + kResultColour);
  for (uint32_t at = kResultDoubles; at < kResultEnd; at += 8) SwapDoubleAt(data + at);
  SwapWords(data, kModes, kModesEnd);
  return true;
}

// ---- evaluation

void C3dTexture::Evaluate(STextureSample& sample, const vector3<double>& normal, int32_t mappingMode) {
  STextureEngine& engine = GetTextureEngine();
  engine.slope = 1 - std::fabs(normal.y);
  engine.altitude = sample.point.y;
  engine.facing = Clamp01(2 * normal.x);
  STextureData& data = GetTextureData();
  bool negated[3] = {};
  if (sample.symmetric == 1) {
    double* axes[3] = {&sample.point.x, &sample.point.y, &sample.point.z};
    for (int i = 0; i < 3; ++i) {
      negated[i] = *axes[i] < 0;
      if (negated[i]) *axes[i] = -*axes[i];
    }
  }
  STextureResult result = TextureResultAt(sample.point.x, sample.point.y, sample.point.z, data);
  if (sample.gradientWanted == 1) {
    for (int i = 0; i < 3; ++i) {
      if (negated[i]) result.gradient[i] = -result.gradient[i];
    }
  }
  sample.colour = {float((result.colour >> 16) & 255) * kByteScale, float((result.colour >> 8) & 255) * kByteScale,
                   float(result.colour & 255) * kByteScale};
  sample.value = result.value;
  if (sample.gradientWanted != 1) return;
  const vector3<double> g{result.gradient[0], result.gradient[1], result.gradient[2]};
  sample.gradient = mappingMode == 0 || mappingMode == 1 ? g : sample.tangentU * g.x + sample.tangentV * g.y;
}

void C3dTexture::PrepareEvaluation(bool keepGradientFlags) { ::PrepareEvaluation(GetTextureData(), keepGradientFlags); }

void C3dTexture::Randomize() { ::Randomize(GetTextureData()); }

void C3dTexture::EvaluateComponentAt(double x, double y, double z, int32_t index) {
  ::EvaluateComponentAt(x, y, z, GetTextureData(), index);
}

int32_t C3dTexture::SampleForTextureEditor(CImage& row, uint32_t y, uint32_t mode) {
  return ::SampleForTextureEditor(GetTextureData(), row, y, mode);
}

int32_t C3dTexture::SampleForComposer(CImage& colour, CImage& value, CImage& relief, uint32_t y, uint32_t mode) {
  return ::SampleForComposer(GetTextureData(), colour, value, relief, y, mode);
}

int32_t C3dTexture::SampleForDTEditor(CImage& preview, uint32_t y, uint32_t step, int32_t selector, int32_t shape) {
  return ::SampleForDTEditor(GetTextureData(), preview, y, step, selector, shape);
}

// ---- copies and imports

int32_t C3dTexture::Duplicate(CBaseTexture** out) {
  *out = nullptr;
  CHolder source(this, false, false);
  if (!source.IsLocked()) return NonZeroError(GetError());
  CBaseTexture* made = nullptr;
  if (const int32_t error = MakeNew(kClassTag, nullptr, &made)) return error;
  auto* copy = static_cast<C3dTexture*>(made);
  {
    CHolder target(copy, true, false);
    if (!target.IsLocked()) {
      const int32_t error = NonZeroError(copy->GetError());
      delete copy;
      return error;
    }
    std::memcpy(copy->GetData(), GetData(), kRecordSize);
    copy->PrepareEvaluation(true);
  }
  *out = copy;
  return kNoErr;
}

int32_t C3dTexture::ImportOld(const uint8_t* record, uint32_t length) {
  if (!record || length < kOldRecordSize) return kErrInvalidFormat;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  STextureData& data = GetTextureData();
  data.count = OldByte(record);
  data.outputFlags = OldByte(record + 1);
  data.operation[0] = OldByte(record + 2);
  data.operation[1] = OldByte(record + 3);
  ReadOldPhase(record + 4, data.globalPhase);
  ReadOldFilter(record + kOldFilter, data.filter);
  ReadOldColour(record + kOldColour, data.colour);
  for (uint32_t c = 0; c < 3; ++c) ReadOldComponent(record + kOldComponents + c * kOldComponentBytes, data.component[c]);
  PrepareEvaluation(true);
  return kNoErr;
}
