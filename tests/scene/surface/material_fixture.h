// Materials and textures in a headless application with a document (a real resource file): helpers
// make 3D textures of one noiseless component, pictures of given pixels, and store textures into the
// document the way saving does, under their type name, id and a resource name.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/ix_loader.h"
#include "framework/image/image.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_compile.h"
#include "scene/texture/texture_engine.h"
#include "tests/scene/document_record_fixture.h"

// Blend kind 0 over no noise: a component of value 0.5 everywhere.
inline constexpr int32_t kFlatHalfCode = 2;

// A texture whose answer the test sets, and which remembers what it was asked.
class CFixedTexture : public CBaseTexture {
 public:
  static constexpr uint32_t kClassTag = FourCC("fxtx");
  static constexpr const char* kTypeName = "CFixedTexture";

  using CBaseTexture::CBaseTexture;

  const char* TypeName() const override { return kTypeName; }
  void Evaluate(STextureSample& sample, const vector3<double>& normal, int32_t mappingMode) override {
    asked = sample;
    askedNormal = normal;
    askedMode = mappingMode;
    sample.colour = colour;
    sample.value = value;
    sample.gradient = gradient;
  }
  int32_t Duplicate(CBaseTexture**) override { return kErrInvalidParameter; }

  vector3<float> colour;
  double value = 0;
  vector3<double> gradient;
  STextureSample asked;
  vector3<double> askedNormal;
  int32_t askedMode = -1;
};

class MaterialTest : public DocumentRecord {
 protected:
  void SetUp() override {
    DocumentRecord::SetUp();
    GetTextureEngine() = {};
  }

  C3dMaterial* NewMaterial(C3dBaseSys* into = nullptr) { return MakeObject<C3dMaterial>(into); }

  // A fixed texture outside any table, deleted with the test.
  CFixedTexture* NewFixed(double value, vector3<float> colour = {}, vector3<double> gradient = {}) {
    CFixedTexture* texture = MakeObject<CFixedTexture>(nullptr);
    texture->value = value;
    texture->colour = colour;
    texture->gradient = gradient;
    fixed.push_back(texture);
    return texture;
  }
  // The table's materials give their uses back before the fixed textures go.
  void TearDown() override {
    delete table;
    table = nullptr;
    for (CFixedTexture* texture : fixed) delete texture;
    DocumentRecord::TearDown();
  }

  // The material's sample at a hit at height y with the normal (0, 1, 0), t along its ray.
  static SMaterialSample EvaluateAt(C3dMaterial* material, double y, CRay* hit = nullptr, double t = 1) {
    CHolder holder(material, false, false);
    EXPECT_TRUE(holder.IsLocked());
    SMaterialSample sample = material->GetRecord().sample;
    CRay ray;
    ray.fHitT = t;
    ray.fHit.fPoint = ray.fHit.fObjPoint = {0, y, 0};
    ray.fHit.fNormal = ray.fHit.fShadingNormal = {0, 1, 0};
    material->Evaluate(ray, sample);
    if (hit) *hit = ray;
    return sample;
  }

  std::vector<CFixedTexture*> fixed;

  // A 3D texture outside any table whose one component gives 0.5 as its value, with the output
  // flags given.
  C3dTexture* NewTexture(int32_t outputFlags = kKindValue, uint32_t id = 0) {
    C3dTexture* texture = MakeObject<C3dTexture>(nullptr);
    if (!texture) return nullptr;
    texture->SetId(id);
    CHolder holder(texture, true, false);
    STextureData& data = texture->GetTextureData();
    data.count = 1;
    data.outputFlags = outputFlags;
    data.component[0].kinds = kKindValue;
    data.component[0].noiseCode = kFlatHalfCode;
    for (int32_t& f : data.component[0].frequency) f = 1;
    texture->PrepareEvaluation(true);
    return texture;
  }

  // A picture texture outside any table of width × height pixels, row by row from the top.
  CPictTexture* NewPicture(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels, uint32_t id = 0) {
    CPictTexture* texture = MakeObject<CPictTexture>(nullptr);
    if (!texture) return nullptr;
    texture->SetId(id);
    C3dCImage& picture = texture->GetPicture();
    EXPECT_TRUE(picture.Allocate(width, height, 0, false, false)) << picture.GetError();
    CImNavigator nav(&picture, nullptr, true, false);
    EXPECT_TRUE(nav.IsUsable());
    for (uint32_t r = 0; r < height && nav.IsUsable(); ++r)
      for (uint32_t c = 0; c < width; ++c) nav.Cells(r)[c].value = pixels[r * width + c];
    return texture;
  }

  static Bytes Slice(const Bytes& bytes, size_t at, size_t n) {
    return Bytes(bytes.begin() + at, bytes.begin() + at + n);
  }
  static void SetName(C3dBase* thing, const char* name) {
    CHolder holder(thing, true, false);
    std::strncpy(reinterpret_cast<char*>(thing->GetData()), name, C3dBase::kNameBytes);
  }
  static std::string NameOf(C3dBase* thing) {
    CHolder holder(thing, false, false);
    return std::string(reinterpret_cast<const char*>(thing->GetData()));
  }

  // Saving's steps for a texture: the resource entered under its type name, id and name, the texture
  // moved into the document, written (its picture too), and moved back. The key it is stored under.
  SSpoolKey StoreTexture(CBaseTexture* texture, CResourceEnv* into, const char* name = "") {
    SSpoolKey key;
    key.Set(texture->TypeName(), texture->GetId(), false);
    std::strncpy(key.name, name, SSpoolKey::kNameChars);
    EXPECT_TRUE(into->PutResource(key)) << into->GetLastResult();
    key.isNew = 1;
    EXPECT_TRUE(texture->SetEnvironment(into)) << texture->GetError();
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &key);
    EXPECT_TRUE(texture->Subscribe(spec)) << texture->GetError();
    EXPECT_TRUE(texture->Lock()) << texture->GetError();
    EXPECT_TRUE(texture->Unlock(true, true)) << texture->GetError();
    EXPECT_EQ(texture->Release(), 0);
    key.isNew = 0;
    EXPECT_TRUE(texture->SetEnvironment(ObjectsEnv())) << texture->GetError();
    SSpoolTableSpec working;
    working.SetForObjects(false, &key);
    EXPECT_TRUE(texture->Subscribe(working)) << texture->GetError();
    return key;
  }
  SSpoolKey StoreTexture(CBaseTexture* texture, const char* name = "") {
    return StoreTexture(texture, document.get(), name);
  }

  // The key of a shared load of the stored texture.
  SObjectKey TextureKey(uint32_t classTag, CSpoolSys* environment = nullptr) const {
    SObjectKey key;
    key.Set(environment ? environment : document.get(), CBaseTexture::kFamily, classTag,
            CBaseTexture::TypeNameOf(classTag));
    return key;
  }
  static SSpoolTableSpec StoredSpec(const SSpoolKey& stored) {
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &stored);
    return spec;
  }
};
