// The references scene things keep in their records for a document, {class tag, id} pairs: an
// object's or light's material at 144 (big-endian in documents), a light's second material at 776
// (in the writing machine's order), and a material's textures in its four components. Read and
// written under the thing's lock; the record is in machine order while the thing is in memory.
#pragma once

#include <cstdint>

class C3dMaterial;
class C3dObject;

struct SStoredRef {
  uint32_t classTag = 0;
  uint32_t id = 0;
};

struct SMaterialRefs {
  SStoredRef material;
  // Lights only.
  SStoredRef lightWord;
};

struct STextureRefs {
  SStoredRef refs[4];
};

// The lock's code when the thing cannot be locked.
int32_t ReadMaterialRefs(C3dObject* object, SMaterialRefs& refs);
int32_t WriteMaterialRefs(C3dObject* object, const SMaterialRefs& refs);
int32_t ReadTextureRefs(C3dMaterial* material, STextureRefs& refs);
