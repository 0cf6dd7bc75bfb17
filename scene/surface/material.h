// The material every scene object carries: ten surface parameters (colours and amounts for diffuse,
// ambient, specular and transparent light, reflection and bump), each constant or driven by one of
// four texture components or by a mix of two, evaluated per hit into a material sample.
//
// The record is 568 bytes: the base record, then the material part of 432 bytes (model tag, source
// words, the sample's fields, four component records), big-endian in documents except the bump
// double, which documents hold in the machine's little-endian order.
//
// Texture uses: each component remembers whether it holds a counted use of its texture. A document
// texture's use is counted by AddTextureRefs, one outside documents when CopyFrom takes it over;
// releases, and deleting the material, give back exactly the counted uses.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "scene/base.h"
#include "scene/ray.h"
#include "scene/surface/illum_model.h"
#include "scene/surface/material_sample.h"
#include "scene/surface/texture_mapping.h"

class C3dBaseSys;
class CBaseTexture;
struct STextureSample;

#pragma pack(push, 4)

// The material part of the record, from offset 136.
struct SMaterialRecord {
  static constexpr int kSources = 17;
  static constexpr int kComponents = 4;

  uint32_t modelTag = 0;
  // What drives each parameter, in the order of the ESource indices; seven further words are kept.
  int32_t sources[kSources] = {};
  SMaterialSample sample;
  SMaterialComponent component[kComponents];
};

#pragma pack(pop)

static_assert(sizeof(SMaterialRecord) == 432 && offsetof(SMaterialRecord, sample) == 72 &&
              offsetof(SMaterialRecord, component) == 240);

class C3dMaterial : public C3dBase {
 public:
  static constexpr uint32_t kFamily = FourCC("matr");
  static constexpr uint32_t kClassTag = FourCC("base");
  static constexpr const char* kTypeName = "C3dBaseMaterial";
  static constexpr uint32_t kModelTag = FourCC("phex");
  static constexpr uint32_t kPartOffset = 136;
  static constexpr uint32_t kPartSize = sizeof(SMaterialRecord);
  static constexpr uint32_t kRecordSize = kPartOffset + kPartSize;
  // Where the per-hit sample begins in the record, and its flag word's bit for textured components.
  static constexpr uint32_t kSampleOffset = kPartOffset + offsetof(SMaterialRecord, sample);
  static constexpr uint32_t kTexturedFlag = SMaterialSample::kTextured;

  // The parameters' source words.
  enum ESource : int {
    kDiffuseColourSource = 0,
    kDiffusionSource = 1,
    kAmbientColourSource = 2,
    kAmbienceSource = 3,
    kSpecularColourSource = 4,
    kSpecularitySource = 5,
    kTransparentColourSource = 6,
    kTransparencySource = 7,
    kReflectionSource = 8,
    kBumpSource = 9,
  };
  // Source values: the record's constant, a component's result (1 to 4), or a mix of components 1
  // and 2 by the hit's height (5) or by component 3's value (6). Any other value keeps the constant.
  static constexpr int32_t kFlat = 0;
  static constexpr int32_t kMixByHeight = 5;
  static constexpr int32_t kMixByThird = 6;

  explicit C3dMaterial(const SObjectKey& key);
  // Gives back the uses its components still count.
  ~C3dMaterial() override;

  // 0 with the new material in the table (when one is given); 9 when memory fails or the table
  // cannot take it, 13 when it does not check out. Nothing is left behind on failure.
  static int32_t New(C3dMaterial** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);
  // Reads a stored material from an opened library environment (the key's owner); the material is
  // the caller's and in no table. 16 when the environment is closed, 14 when it is not a library.
  static int32_t NewFromLibrary(C3dMaterial** out, const SObjectKey& key, const SSpoolTableSpec& spec);

  // Also needs its handle.
  bool IsReady() const override { return C3dBase::IsReady() && fHandle != kNoHandle; }
  const char* TypeName() const override { return kTypeName; }
  // The word objects keep for this material in the process-wide handle table.
  Handle32 GetHandle() const { return fHandle; }
  C3dIllumModel& GetIllumModel() const { return C3dIllumModel::Default(); }
  // The material part in the record; only while the material is locked.
  SMaterialRecord& GetRecord() { return *reinterpret_cast<SMaterialRecord*>(GetData() + kPartOffset); }
  CBaseTexture* GetChannelTexture(int index) const { return IsComponent(index) ? fTextures[index] : nullptr; }
  bool IsUseCounted(int index) const { return IsComponent(index) && fUseCounted[index]; }

  // The defaults of every field except the components' texture tags and ids.
  void InitDefaults() override;
  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

  // The sample (the caller's copy of the record's sample) at the ray's hit: the textured components
  // are evaluated, bump turns the ray's shading normal, and each parameter with a source takes its
  // value. The material is locked by the caller. A texture that cannot be locked gives a cleared
  // result.
  void Evaluate(CRay& ray, SMaterialSample& sample);
  // Through a render every component's texture stays held (CBaseTexture::HoldForRender), and
  // Evaluate, which then may run on many threads at once, locks nothing; a texture that could not be
  // held gives a cleared result. Holds nest; the calling thread pairs each with a release.
  void HoldTextures();
  void ReleaseTextures();
  // The edge fields from transparency and refraction index: a refracting transparent surface
  // reflects more and lets through less at grazing angles.
  static void UpdateRefraction(SMaterialSample& sample);

  // Puts a texture (or none) into component index 0..3 without counting a use; a different texture
  // gives back the counted use of the one it replaces, the same one refreshes its tag and id. 0, 16 for a bad index, the lock's error, or
  // the error of giving back that use.
  int32_t SetChannelTexture(CBaseTexture* texture, int index);
  // Whether a source word reads component k (1..4), directly or through a mix.
  bool UsesComponent(int32_t k);
  // Counts the uses of the components' document textures not counted yet; stops at the first that
  // cannot be counted with 16 (or the use table's lock error). The caller then releases.
  int32_t AddTextureRefs();
  // Gives back the counted uses; with clearComponents the components are emptied too. Answers the
  // first failure; a use that could not be given back stays with its texture.
  int32_t ReleaseTextureRefs(bool clearComponents = true);
  // Gives up one use of the texture (CBaseTexture::ReleaseUse).
  static int32_t ReleaseTexture(CBaseTexture* texture);
  // The other material's part; each component that the new sources read takes over the other's
  // texture, the others are emptied, and replaced textures give back their counted uses.
  int32_t CopyFrom(C3dMaterial& other);
  // Becomes a copy of the other material that counts its own texture uses: its uses given back, the
  // other's part copied and the uses counted; when counting fails they are given back again. 0 or
  // the failure's code.
  int32_t CopyWithTextureRefs(C3dMaterial& other);
  // Back to a new material's state: every component emptied, its counted use given back, and every
  // field at its default. The first error of giving back a use or of the lock.
  int32_t Reset();
  // A random material from the program's generator: colours, amounts, sources and, now and then,
  // new spec coefficients and a new transparency.
  int32_t Randomize();

 private:
  static bool IsComponent(int index) { return index >= 0 && index < SMaterialRecord::kComponents; }
  // The component's counted use given back; false when it could not be.
  bool GiveBack(int index, int32_t* error);
  // Component index's texture, tag and id, without counting; the record is locked.
  void Install(int index, CBaseTexture* texture);
  void SampleComponent(CRay& ray, int index, STextureSample& result);
  void Bump(CRay& ray, const SMaterialSample& sample, const STextureSample* results, double heightFactor);

  Handle32 fHandle = kNoHandle;
  uint32_t fModelTag = kModelTag;
  uint32_t fTextureTags[SMaterialRecord::kComponents] = {};
  uint32_t fTextureIds[SMaterialRecord::kComponents] = {};
  CBaseTexture* fTextures[SMaterialRecord::kComponents] = {};
  bool fUseCounted[SMaterialRecord::kComponents] = {};
  uint32_t fTextureHolds = 0;
  bool fTextureHeld[SMaterialRecord::kComponents] = {};
};
