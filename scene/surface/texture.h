// The procedural 3D texture: a texture whose record holds, behind the base record, the texture data
// that the texture engine evaluates. Materials and the sky's cloud layers use it.
//
// The record is 1,216 bytes, big-endian in documents like every stored record: the data's recipe
// words and floats and its result are swapped; the compiled blocks and modes, which preparation
// rebuilds after every read, are kept as they are.
#pragma once

#include <cstdint>

#include "scene/surface/base_texture.h"
#include "scene/texture/texture_data.h"

class C3dBaseSys;
class CImage;

class C3dTexture : public CBaseTexture {
 public:
  static constexpr uint32_t kClassTag = FourCC("qntx");
  static constexpr const char* kTypeName = "C3dTexture";
  static constexpr uint32_t kDataOffset = 136;
  static constexpr uint32_t kRecordSize = kDataOffset + sizeof(STextureData);
  // The texture record of the earlier version, which ImportOld reads.
  static constexpr uint32_t kOldRecordSize = 198;

  explicit C3dTexture(const SObjectKey& key);

  // 0 with the new texture in the table (when one is given); 9 when memory fails, 13 when it does
  // not check out, or the table's code. Nothing is left behind on failure.
  static int32_t New(C3dTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);
  // The two loads of a stored 3D texture (CBaseTexture::LoadShared and LoadPrivate).
  static int32_t LoadShared(CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec) {
    return CBaseTexture::LoadShared(kClassTag, out, key, spec);
  }
  static int32_t LoadPrivate(CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec) {
    return CBaseTexture::LoadPrivate(kClassTag, out, key, spec);
  }

  const char* TypeName() const override { return kTypeName; }

  // The texture data inside the record; only while the texture is locked.
  STextureData& GetTextureData() { return *reinterpret_cast<STextureData*>(GetData() + kDataOffset); }

  // At the sample's point (its absolute values when the sample is symmetric), with the surface
  // context of the hit's normal; the gradient is carried along the sample's tangents except in
  // mapping modes 0 and 1, where the texture's space is the object's or the world's.
  void Evaluate(STextureSample& sample, const vector3<double>& normal, int32_t mappingMode) override;
  int32_t Duplicate(CBaseTexture** out) override;
  // Fills the data from a texture record of the earlier version, already in machine order, and
  // prepares it. 2 for a record shorter than kOldRecordSize, or the lock's error.
  int32_t ImportOld(const uint8_t* record, uint32_t length);

  // The texture engine's operations on this texture's data; the texture is locked by the caller.
  void PrepareEvaluation(bool keepGradientFlags);
  void Randomize();
  void EvaluateComponentAt(double x, double y, double z, int32_t index);
  int32_t SampleForTextureEditor(CImage& row, uint32_t y, uint32_t mode);
  int32_t SampleForComposer(CImage& colour, CImage& value, CImage& relief, uint32_t y, uint32_t mode);
  int32_t SampleForDTEditor(CImage& preview, uint32_t y, uint32_t step, int32_t selector, int32_t shape);

  // Stored component gradient flags are the texture's own choice and stay.
  void InitDefaults() override { PrepareEvaluation(true); }
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;
};
