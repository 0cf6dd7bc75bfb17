// The material every scene object carries: surface parameters, each constant or driven by texture
// components, evaluated per hit into a material sample.
//
// Placeholder until the materials issue: the stored record has its size and tags, the material part
// is copied whole, texture uses are not counted and evaluation leaves the sample as the caller
// copied it.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "render/ray.h"
#include "scene/base.h"

class C3dBaseSys;

// The material record's bytes 208 to 375, copied by the caller per hit: the flag word first (bit
// 0x40: a component holds a texture), then the diffuse colour's three floats.
struct SMaterialSample {
  uint8_t bytes[168] = {};
};

// How a material's hit is lit and how strongly its secondary rays count; every material refers to
// one shared model. The base weights let everything through: colour (1, 1, 1), amount 1.
class C3dIllumModel {
 public:
  virtual ~C3dIllumModel() = default;
  // The directly lit colour of the ray's hit, shadow rays included.
  virtual void Shade(CRay& ray, const SMaterialSample& sample, vector3<float>& colour, CRenderContext& context) = 0;
  // What a shadow ray through the hit keeps: the amount is its factor, the colour its filter.
  virtual void GetTransmission(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  // The weight of the reflected child ray.
  virtual void GetReflection(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  // The weight of the transmitted child ray.
  virtual void GetFilter(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }
  virtual void GetDefaultWeight(const CRay&, const SMaterialSample&, vector3<float>& colour, double& amount) {
    Unweighted(colour, amount);
  }

 private:
  static void Unweighted(vector3<float>& colour, double& amount) {
    colour = {1, 1, 1};
    amount = 1.0;
  }
};

class C3dMaterial : public C3dBase {
 public:
  static constexpr uint32_t kFamily = FourCC("matr");
  static constexpr uint32_t kClassTag = FourCC("base");
  static constexpr const char* kTypeName = "C3dBaseMaterial";
  static constexpr uint32_t kPartOffset = 136;
  static constexpr uint32_t kPartSize = 432;
  static constexpr uint32_t kRecordSize = kPartOffset + kPartSize;
  // Where the per-hit sample begins in the record, and its flag word's bit for textured components.
  static constexpr uint32_t kSampleOffset = 208;
  static constexpr uint32_t kTexturedFlag = 0x40;

  explicit C3dMaterial(const SObjectKey& key);
  ~C3dMaterial() override;

  // 0 with the new material in the table (when one is given); 9 when memory fails or the table
  // cannot take it, 13 when it does not check out. Nothing is left behind on failure.
  static int32_t New(C3dMaterial** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  // Also needs its handle.
  bool IsReady() const override { return C3dBase::IsReady() && fHandle != kNoHandle; }
  const char* TypeName() const override { return kTypeName; }
  // The word objects keep for this material in the process-wide handle table.
  Handle32 GetHandle() const { return fHandle; }

  // Takes over the other material's stored material part.
  int32_t CopyFrom(C3dMaterial& other);
  int32_t AddTextureRefs();
  void ReleaseTextureRefs(bool clearComponents = true);
  void Evaluate(CRay& ray, SMaterialSample& sample);

 private:
  Handle32 fHandle = kNoHandle;
};
