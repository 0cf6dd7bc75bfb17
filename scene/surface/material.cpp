#include "scene/surface/material.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

// Defaults of a new record.
constexpr float kDiffuseGrey = 0.499f;
constexpr double kAmbience = 0.1965;
constexpr float kSpecExponent = 50.0f;
constexpr double kComponentScale = 0.51;
constexpr int32_t kWorldMapping = 1;

// Bump: the strength per unit, and how fast it fades with distance for 3D textures and for pictures.
constexpr double kBumpStrength = 0.1 * 200;
constexpr double kBumpFade3d = 0.0004;
constexpr double kBumpFadePicture = 0.00016;
constexpr double kLog2E = 1.4426950408889634;

// Runs of 32-bit words or doubles that the byte swap reverses, as offsets in the material part.
struct SSwapRun {
  uint32_t offset;
  uint32_t count;
  bool doubles;
};

constexpr uint32_t kSample = offsetof(SMaterialRecord, sample);
// The refraction index and the six doubles after it, up to the end of the sample; the component
// records follow at once.
constexpr uint32_t kDoublesFromRefraction =
    (sizeof(SMaterialSample) - offsetof(SMaterialSample, refractionIndex)) / sizeof(double);
static_assert(kDoublesFromRefraction == 7);

// The model tag, the source words, the flag word and the diffuse colour are one run of words; the
// bump double is not swapped, as documents have always held it.
constexpr SSwapRun kPartRuns[] = {
    {0, 1 + SMaterialRecord::kSources + 4, false},
    {kSample + offsetof(SMaterialSample, diffusion), 1, true},
    {kSample + offsetof(SMaterialSample, ambientColour), 3, false},
    {kSample + offsetof(SMaterialSample, ambience), 1, true},
    {kSample + offsetof(SMaterialSample, specularColour), 3, false},
    {kSample + offsetof(SMaterialSample, specularity), 1, true},
    {kSample + offsetof(SMaterialSample, specCoefficients), 6, false},
    {kSample + offsetof(SMaterialSample, transparency), 2, true},
    {kSample + offsetof(SMaterialSample, refractionIndex), kDoublesFromRefraction, true},
};

constexpr SSwapRun kComponentRuns[] = {
    {offsetof(SMaterialComponent, textureTag), 2, false},
    {offsetof(SMaterialComponent, scale), 4, true},
    {offsetof(SMaterialComponent, mappingMode), 2, false},
};

void Swap(uint8_t* at, const SSwapRun& run) {
  for (uint32_t i = 0; i < run.count; ++i) {
    if (run.doubles) SwapDoubleAt(at + run.offset + 8 * i);
    else SwapWordAt(at + run.offset + 4 * i);
  }
}

// What a source reads of a component's result: its value or its colour, and whether that is valid.
double Reading(const STextureSample& r, double) { return r.value; }
vector3<float> Reading(const STextureSample& r, const vector3<float>&) { return r.colour; }
bool IsValid(const STextureSample& r, double) { return r.valueWanted; }
bool IsValid(const STextureSample& r, const vector3<float>&) { return r.colourWanted; }
double Mix(double a, double b, double f) { return a + (b - a) * f; }
vector3<float> Mix(const vector3<float>& a, const vector3<float>& b, double f) {
  return {float(a.x + (b.x - a.x) * f), float(a.y + (b.y - a.y) * f), float(a.z + (b.z - a.z) * f)};
}

// The factor of the two mixing sources: the squared height factor, or component 3's value when it
// is valid and positive, each at most 1.
double MixFactor(int32_t source, const STextureSample* results, double height) {
  if (source == C3dMaterial::kMixByHeight) return std::min(height * height, 1.0);
  const STextureSample& third = results[2];
  return third.valueWanted && third.value > 0 ? std::min(third.value, 1.0) : 0;
}

// The value (or colour) a source gives; false for a source that drives nothing.
template <typename T>
bool Driven(int32_t source, const STextureSample* results, const T& current, double height, T& out) {
  if (source >= 1 && source <= SMaterialRecord::kComponents) {
    out = Reading(results[source - 1], current);
    return true;
  }
  if (source != C3dMaterial::kMixByHeight && source != C3dMaterial::kMixByThird) return false;
  const T first = IsValid(results[0], current) ? Reading(results[0], current) : current;
  const T second = IsValid(results[1], current) ? Reading(results[1], current) : current;
  out = Mix(first, second, MixFactor(source, results, height));
  return true;
}

// The parameters in their order. Reflection also adds to specularity and takes from diffusion;
// transparency runs the other way from the value.
void ApplySources(const SMaterialRecord& record, SMaterialSample& s, const STextureSample* r, double h) {
  const int32_t* source = record.sources;
  vector3<float> c;
  double v = 0;
  if (Driven(source[C3dMaterial::kDiffuseColourSource], r, s.diffuseColour, h, c)) s.diffuseColour = c;
  if (Driven(source[C3dMaterial::kDiffusionSource], r, double(s.diffusion), h, v)) s.diffusion = v;
  if (Driven(source[C3dMaterial::kAmbientColourSource], r, s.ambientColour, h, c)) s.ambientColour = c;
  if (Driven(source[C3dMaterial::kAmbienceSource], r, double(s.ambience), h, v)) s.ambience = v;
  if (Driven(source[C3dMaterial::kSpecularColourSource], r, s.specularColour, h, c)) s.specularColour = c;
  if (Driven(source[C3dMaterial::kSpecularitySource], r, double(s.specularity), h, v)) s.specularity = v;
  if (Driven(source[C3dMaterial::kReflectionSource], r, double(s.reflection), h, v)) {
    const double constant = record.sample.reflection;
    s.reflection = constant > 0 ? constant * v : 0;
    s.specularity = std::min(s.specularity + v, 1.0);
    s.diffusion = std::max(s.diffusion - v, 0.0);
  }
  if (Driven(source[C3dMaterial::kTransparentColourSource], r, s.transparentColour, h, c)) s.transparentColour = c;
  if (Driven(source[C3dMaterial::kTransparencySource], r, double(s.transparency), h, v))
    s.transparency = std::min(1 - v + record.sample.transparency, 1.0);
}

vector3<float> DrawColour(SRandomState& state) {
  const double r = NextRandomUnit(state), g = NextRandomUnit(state), b = NextRandomUnit(state);
  return {float(r), float(g), float(b)};
}

int32_t DrawSource(SRandomState& state) { return int32_t(NextRandomUnit(state) * 7); }

}  // namespace

C3dMaterial::C3dMaterial(const SObjectKey& key)
    : C3dBase(key), fHandle(RegisterHandle(this, kFamily)) {
  SizeRecord(kRecordSize);
}

C3dMaterial::~C3dMaterial() {
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    int32_t ignored = kNoErr;
    GiveBack(k, &ignored);
  }
  ReleaseHandle(fHandle);
}

int32_t C3dMaterial::New(C3dMaterial** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  const int32_t result = NewObject(out, table, key, spec);
  return result == kNoErr || result == kErrFailedCreation ? result : kErrOutOfMemory;
}

// ---- the record

void C3dMaterial::InitDefaults() {
  SMaterialRecord& record = GetRecord();
  record.modelTag = fModelTag;
  std::fill(std::begin(record.sources), std::end(record.sources), kFlat);
  SMaterialSample defaults;
  defaults.diffuseColour = {kDiffuseGrey, kDiffuseGrey, kDiffuseGrey};
  defaults.diffusion = 1.0;
  defaults.ambientColour = {1, 1, 1};
  defaults.ambience = kAmbience;
  defaults.specularColour = {1, 1, 1};
  defaults.specCoefficients = {kSpecExponent, kSpecExponent, kSpecExponent};
  defaults.transparentColour = {1, 1, 1};
  defaults.refractionIndex = 1.0;
  record.sample = defaults;
  for (SMaterialComponent& component : record.component) {
    component.scale = kComponentScale;
    component.placement = {};
    component.mappingMode = kWorldMapping;
    component.flags = 0;
  }
}

bool C3dMaterial::SaveState() {
  if (GetDataSize() < kRecordSize) {
    SetError(kErrInvalidFormat);
    return false;
  }
  SMaterialRecord& record = GetRecord();
  record.modelTag = fModelTag;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    record.component[k].textureTag = fTextureTags[k];
    record.component[k].textureId = fTextureIds[k];
  }
  return C3dBase::SaveState();
}

void C3dMaterial::RestoreState() {
  C3dBase::RestoreState();
  if (GetDataSize() < kRecordSize) return;
  const SMaterialRecord& record = GetRecord();
  fModelTag = record.modelTag;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    fTextureTags[k] = record.component[k].textureTag;
    fTextureIds[k] = record.component[k].textureId;
  }
}

bool C3dMaterial::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dBase::SwapRecord(record, size)) return false;
  uint8_t* part = record + kPartOffset;
  for (const SSwapRun& run : kPartRuns) Swap(part, run);
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    uint8_t* component = part + offsetof(SMaterialRecord, component) + k * sizeof(SMaterialComponent);
    for (const SSwapRun& run : kComponentRuns) Swap(component, run);
  }
  return true;
}

// ---- evaluation

void C3dMaterial::Evaluate(CRay& ray, SMaterialSample& sample) {
  STextureSample results[SMaterialRecord::kComponents];
  // Per hit, never kept: threads of a render evaluate the same material at once.
  const double heightFactor = 0.1 * ray.fHit.fPoint.y;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    if (fTextures[k]) SampleComponent(ray, k, results[k]);
  }
  Bump(ray, sample, results, heightFactor);
  ApplySources(GetRecord(), sample, results, heightFactor);
}

void C3dMaterial::SampleComponent(CRay& ray, int index, STextureSample& result) {
  CBaseTexture* texture = fTextures[index];
  const SMaterialComponent& component = GetRecord().component[index];
  result.colourWanted = result.valueWanted = result.gradientWanted = 1;
  result.symmetric = component.flags & SMaterialComponent::kMirrored;
  MapTexture(ray, component, texture->GetClass() == CPictTexture::kClassTag, result);
  if (fTextureHolds > 0) {
    if (fTextureHeld[index]) texture->Evaluate(result, ray.fHit.fNormal, component.mappingMode);
    else result = {};
    return;
  }
  CHolder holder(texture, false, false);
  if (!holder.IsLocked()) {
    result = {};
    return;
  }
  texture->Evaluate(result, ray.fHit.fNormal, component.mappingMode);
}

void C3dMaterial::HoldTextures() {
  if (fTextureHolds++ > 0) return;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k)
    fTextureHeld[k] = fTextures[k] && fTextures[k]->HoldForRender();
}

void C3dMaterial::ReleaseTextures() {
  if (fTextureHolds == 0 || --fTextureHolds > 0) return;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    if (fTextureHeld[k] && fTextures[k]) fTextures[k]->ReleaseAfterRender();
    fTextureHeld[k] = false;
  }
}

void C3dMaterial::Bump(CRay& ray, const SMaterialSample& sample, const STextureSample* results,
                       double heightFactor) {
  const int32_t source = GetRecord().sources[kBumpSource];
  const double bump = sample.bump;
  if (source == kFlat || bump == 0) return;
  vector3<double> gradient;
  int from = 0;
  if (source >= 1 && source <= SMaterialRecord::kComponents) {
    from = source - 1;
    gradient = results[from].gradient;
  } else if (source == kMixByHeight || source == kMixByThird) {
    const vector3<double> a = results[0].gradientWanted ? results[0].gradient : vector3<double>{};
    const vector3<double> b = results[1].gradientWanted ? results[1].gradient : vector3<double>{};
    gradient = a + (b - a) * MixFactor(source, results, heightFactor);
  } else {
    return;
  }
  double amount = bump;
  if (sample.flags & SMaterialSample::kBumpFades) {
    const double fade = fTextureTags[from] == C3dTexture::kClassTag ? kBumpFade3d : kBumpFadePicture;
    const double a = std::max(ray.fHitT * GetRecord().component[from].scale * fade, 0.0);
    amount = FastExp2(-a * kLog2E) * bump;
  }
  amount *= kBumpStrength;
  if (amount == 0) return;
  const vector3<double> turned = ray.fHit.fNormal - gradient * amount;
  const double length = std::sqrt(Dot(turned, turned));
  if (length > 0) ray.fHit.fShadingNormal = turned * (1 / length);
}

void C3dMaterial::UpdateRefraction(SMaterialSample& sample) {
  double edge = 0, exponent = 0, gainExponent = 0;
  if (sample.transparency != 0 && sample.refractionIndex > 1) {
    edge = 1 - FastExp2(-14.426950408889635 * (sample.refractionIndex - 1));
    exponent = 0.8;
    gainExponent = 4.0;
  }
  sample.edgeAmount = edge;
  sample.edgeExponent = exponent;
  sample.edgeGain = edge;
  sample.edgeGainExponent = gainExponent;
}

// ---- components and their texture uses

bool C3dMaterial::UsesComponent(int32_t k) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return false;
  for (const int32_t source : GetRecord().sources) {
    if (source == k) return true;
    if ((k == 1 || k == 2) && (source == kMixByHeight || source == kMixByThird)) return true;
    if (k == 3 && source == kMixByThird) return true;
  }
  return false;
}

void C3dMaterial::Install(int index, CBaseTexture* texture) {
  if (texture != fTextures[index]) fUseCounted[index] = false;
  fTextures[index] = texture;
  fTextureTags[index] = texture ? texture->GetClass() : 0;
  fTextureIds[index] = texture ? texture->GetId() : 0;
  SMaterialRecord& record = GetRecord();
  record.component[index].textureTag = fTextureTags[index];
  record.component[index].textureId = fTextureIds[index];
  const bool textured = std::any_of(std::begin(fTextures), std::end(fTextures), [](auto* t) { return t; });
  record.sample.flags = textured ? record.sample.flags | kTexturedFlag : record.sample.flags & ~kTexturedFlag;
}

int32_t C3dMaterial::SetChannelTexture(CBaseTexture* texture, int index) {
  if (!IsComponent(index)) return kErrInvalidParameter;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  // The same texture again takes its current tag and id, which entering a table may have changed.
  if (texture == fTextures[index]) {
    Install(index, texture);
    return kNoErr;
  }
  int32_t error = kNoErr;
  GiveBack(index, &error);
  Install(index, texture);
  return error;
}

bool C3dMaterial::GiveBack(int index, int32_t* error) {
  if (!fUseCounted[index]) return true;
  if (const int32_t result = ReleaseTexture(fTextures[index])) {
    if (!*error) *error = result;
    return false;
  }
  fUseCounted[index] = false;
  return true;
}

int32_t C3dMaterial::ReleaseTexture(CBaseTexture* texture) { return CBaseTexture::ReleaseUse(texture); }

int32_t C3dMaterial::AddTextureRefs() {
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    CBaseTexture* texture = fTextures[k];
    if (!texture || fUseCounted[k] || !texture->IsStored()) continue;
    if (const int32_t error = texture->AddUse()) return error;
    fUseCounted[k] = true;
  }
  return kNoErr;
}

int32_t C3dMaterial::ReleaseTextureRefs(bool clearComponents) {
  int32_t error = kNoErr;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) GiveBack(k, &error);
  if (!clearComponents) return error;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return error ? error : NonZeroError(GetError());
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) Install(k, nullptr);
  return error;
}

int32_t C3dMaterial::CopyFrom(C3dMaterial& other) {
  if (&other == this) return kNoErr;
  CHolder target(this, true, false);
  if (!target.IsLocked()) return NonZeroError(GetError());
  CHolder source(&other, false, false);
  if (!source.IsLocked()) return NonZeroError(other.GetError());
  std::memcpy(GetData() + kPartOffset, other.GetData() + kPartOffset, kPartSize);
  fModelTag = other.fModelTag;
  int32_t error = kNoErr;
  for (int k = 0; k < SMaterialRecord::kComponents; ++k) {
    CBaseTexture* incoming = UsesComponent(k + 1) ? other.fTextures[k] : nullptr;
    const bool replaced = incoming != fTextures[k];
    if (replaced) GiveBack(k, &error);
    Install(k, incoming);
    // A texture outside documents counts its users itself; a document's is counted by AddTextureRefs.
    if (replaced && incoming && !incoming->IsStored()) fUseCounted[k] = incoming->AddUse() == kNoErr;
  }
  return kNoErr;
}

int32_t C3dMaterial::CopyWithTextureRefs(C3dMaterial& other) {
  ReleaseTextureRefs();
  if (const int32_t error = CopyFrom(other)) return error;
  if (const int32_t error = AddTextureRefs()) {
    ReleaseTextureRefs();
    return error;
  }
  return kNoErr;
}

int32_t C3dMaterial::Reset() {
  const int32_t error = ReleaseTextureRefs(true);
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return error ? error : NonZeroError(GetError());
  InitDefaults();
  return error;
}

int32_t C3dMaterial::Randomize() {
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  SMaterialRecord& record = GetRecord();
  SMaterialSample& s = record.sample;
  SRandomState& state = GetRandomState();
  // Diffuse, ambient and specular: a colour, an amount and, half of the time, both sources.
  const auto pair = [&](vector3<float>& colour, double& amount, ESource colourSource, ESource amountSource) {
    colour = DrawColour(state);
    amount = NextRandomUnit(state);
    if (NextRandomUnit(state) < 0.5) {
      record.sources[colourSource] = DrawSource(state);
      record.sources[amountSource] = DrawSource(state);
    }
  };
  vector3<float> colour;
  double amount = 0;
  pair(colour, amount, kDiffuseColourSource, kDiffusionSource);
  s.diffuseColour = colour;
  s.diffusion = amount;
  pair(colour, amount, kAmbientColourSource, kAmbienceSource);
  s.ambientColour = colour;
  s.ambience = amount;
  pair(colour, amount, kSpecularColourSource, kSpecularitySource);
  s.specularColour = colour;
  s.specularity = amount;
  if (NextRandomUnit(state) < 0.3) {
    const double r = NextRandomUnit(state), g = NextRandomUnit(state), b = NextRandomUnit(state);
    s.specCoefficients = {float(1 + 99 * r), float(1 + 99 * g), float(1 + 99 * b)};
  }
  if (NextRandomUnit(state) < 0.2) {
    s.transparency = NextRandomUnit(state);
    if (NextRandomUnit(state) < 0.5) {
      record.sources[kTransparentColourSource] = DrawSource(state);
      record.sources[kTransparencySource] = DrawSource(state);
    }
    if (NextRandomUnit(state) < 0.3) s.transparentColour = DrawColour(state);
  }
  return kNoErr;
}

namespace {

// A library must be open with its file attached; only then is its kind worth asking.
bool IsOpenEnvironment(CSpoolSys* environment) {
  if (!environment || !environment->IsReady()) return false;
  if (auto* resources = dynamic_cast<CResourceEnv*>(environment)) return resources->IsOpen();
  if (auto* spool = dynamic_cast<CSpoolEnv*>(environment)) return spool->IsOpen();
  return true;
}

}  // namespace

int32_t C3dMaterial::NewFromLibrary(C3dMaterial** out, const SObjectKey& key, const SSpoolTableSpec& spec) {
  *out = nullptr;
  if (!IsOpenEnvironment(key.environment)) return kErrInvalidParameter;
  if (key.environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  auto* material = new C3dMaterial(key);
  if (!material) return kErrOutOfMemory;
  int32_t result = kNoErr;
  if (!material->IsReady()) result = kErrFailedCreation;
  else if (!material->Init(spec)) result = NonZeroError(material->GetError());
  if (!result) {
    // Readers copy the whole material part from the record: one too short, or of another class, is
    // refused here rather than read past its end.
    CHolder page(material, false, false);
    if (!page.IsLocked()) result = NonZeroError(material->GetError());
    else if (material->GetDataSize() < kRecordSize || material->GetFamily() != kFamily ||
             material->GetClass() != kClassTag)
      result = kErrInvalidFormat;
  }
  if (result) {
    delete material;
    return result;
  }
  *out = material;
  return kNoErr;
}
