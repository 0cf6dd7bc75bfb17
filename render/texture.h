// A procedural 3D texture: a scene thing of family 'txtr' whose record holds, behind the base record,
// the texture data that the texture engine evaluates. Materials and the sky's cloud layers use them.
//
// Placeholder until the texture objects' issue: the record has its size, tags and type name and holds
// the texture data, prepared for evaluation when the texture is made and when it is read; its stored
// texture data is not byte-swapped, and uses of the texture are not counted.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "render/texture/texture_data.h"
#include "scene/base.h"

class C3dBaseSys;

class C3dTexture : public C3dBase {
 public:
  static constexpr uint32_t kFamily = FourCC("txtr");
  static constexpr uint32_t kClassTag = FourCC("qntx");
  static constexpr const char* kTypeName = "C3dTexture";
  static constexpr uint32_t kDataOffset = 136;
  static constexpr uint32_t kRecordSize = kDataOffset + sizeof(STextureData);

  explicit C3dTexture(const SObjectKey& key);
  ~C3dTexture() override;

  // 0 with the new texture in the table (when one is given); 9 when memory fails, 13 when it does
  // not check out, or the table's code. Nothing is left behind on failure.
  static int32_t New(C3dTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  // Also needs its handle.
  bool IsReady() const override { return C3dBase::IsReady() && fHandle != kNoHandle; }
  const char* TypeName() const override { return kTypeName; }
  // The word the sky keeps for this texture in the process-wide handle table (tag 'qntx').
  Handle32 GetHandle() const { return fHandle; }

  // The texture data inside the record; only while the texture is locked.
  STextureData& GetTextureData() { return *reinterpret_cast<STextureData*>(GetData() + kDataOffset); }

  void InitDefaults() override;
  void RestoreState() override;

 private:
  Handle32 fHandle = kNoHandle;
};
