// Textures: scene things of family 'txtr' that a material's components refer to, of two kinds, the
// procedural 3D texture (C3dTexture, class 'qntx') and the picture texture (CPictTexture, 'pctx').
// Both store the 136-byte base record; a 3D texture adds its texture data, a picture texture keeps
// its picture in a record of its own.
//
// Sharing: a texture of a document (a resource environment) is loaded once per environment and
// counted in the environment's use table, rows {texture, uses}; the last use given up removes the row
// and deletes the texture. A texture outside any document keeps its own count of uses beyond the
// first: giving up a use at 0 deletes it.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/vector3.h"
#include "scene/base.h"

class CResourceEnv;

// A colour byte as a fraction in 0..1: the byte times the single-precision 1/255.
inline constexpr float kByteScale = 1.0f / 255;

// What a material component asks of its texture at one hit, and what the texture answers. The
// material fills the first part and sets the three wanted bytes; the texture fills colour, value and
// gradient (a texture may leave them as they were when it cannot be sampled).
struct STextureSample {
  uint8_t colourWanted = 0;
  uint8_t valueWanted = 0;
  uint8_t gradientWanted = 0;
  // A 3D texture evaluates at the absolute values of the point's coordinates.
  uint8_t symmetric = 0;
  // The texture's input point; a picture texture reads its u from x and its v from y.
  vector3<double> point;
  float u = 0;
  float v = 0;
  // The surface's directions of u and v, which carry a texture's gradient onto the surface.
  vector3<double> tangentU;
  vector3<double> tangentV;
  vector3<float> colour;
  double value = 0;
  vector3<double> gradient;
};

class CBaseTexture : public C3dBase {
 public:
  static constexpr uint32_t kFamily = FourCC("txtr");

  // The key's class tag tells the kind; the handle is registered under it.
  explicit CBaseTexture(const SObjectKey& key);
  // A texture deleted while its document still lists it leaves no row behind.
  ~CBaseTexture() override;

  bool IsReady() const override { return C3dBase::IsReady() && fHandle != kNoHandle; }
  // The word that records keep for this texture, under the class tag.
  Handle32 GetHandle() const { return fHandle; }

  // Fills the sample's colour, value and gradient at its point; the texture is locked by the caller.
  virtual void Evaluate(STextureSample& sample, const vector3<double>& normal, int32_t mappingMode) = 0;
  // Through a render the texture (with what it keeps beside it) stays locked from one thread, so that
  // render threads evaluate it without locking; false when it cannot be locked. The calling thread
  // pairs every successful hold with a release.
  virtual bool HoldForRender();
  virtual void ReleaseAfterRender();
  bool IsHeldForRender() const { return fRenderHolds > 0; }
  // 0 and a new texture with the same name and contents in the application's object environment,
  // in no table, id 0; 9 without memory, or the source's lock error.
  virtual int32_t Duplicate(CBaseTexture** out) = 0;
  // Data kept beside the record (a picture): paged in, and written back. 0 or the error.
  virtual int32_t Acquire(bool /*changed*/) { return 0; }
  virtual int32_t Release() { return 0; }

  // Uses. AddUse counts one more: in the document's use table (0; 16 when the environment is not
  // open or the texture is not listed there; or the table's lock error), or on the own count.
  int32_t AddUse();
  uint32_t GetOwnUseCount() const { return fUseCount; }
  // Gives up one use of the texture, deleting it with its last one. A failure (the table cannot be
  // locked, the texture is not listed) leaves the use as it was and answers the code.
  static int32_t ReleaseUse(CBaseTexture* texture);

  // 0 and the texture. In a resource environment: the stored texture of that id, shared (for a 3D
  // texture, index −1 picks one of the environment's 3D textures at random: the environment's error
  // when it has none of that type, 6 when the type has no entries). Elsewhere: a new texture. 6 for
  // a tag that names no kind of texture, 16 without an environment, 9 without memory, else the
  // failing step's code.
  static int32_t FindOrCreate(uint32_t classTag, int32_t index, CSpoolSys* environment, CBaseTexture** out);
  // A stored texture by name or by id, loaded shared or as a private copy; 6 for an unknown tag, else
  // the environment's code (a search by name needs a resource environment: 14) or the load's.
  static int32_t CopyByName(uint32_t classTag, const char* name, CSpoolSys* environment, CBaseTexture** out,
                            bool shared);
  static int32_t CopyByTag(uint32_t classTag, uint32_t id, CSpoolSys* environment, CBaseTexture** out,
                           bool shared);

  // The two loads of a stored texture of the kind, the record named by the table key it is given.
  // Shared: the environment's one copy with one more use, or a new one entered in its use table. 16
  // when the environment is not usable, 14 when it is not a resource environment, 6 when the record
  // is missing (a key with its fallback byte set then tries the application's library environment),
  // 13 when the new texture is not ready, 12 when the use table cannot grow, 9 without memory.
  static int32_t LoadShared(uint32_t classTag, CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec);
  // Private: a copy of the stored texture moved into the application's object environment, id 0,
  // in no use table (a duplicate of the shared texture while the environment shares it). 15 when the
  // environment is not usable, 14 when it is not a resource environment, 13 when the new texture is
  // not ready, 9 without memory.
  static int32_t LoadPrivate(uint32_t classTag, CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec);

  // The type name of a texture kind, or null.
  static const char* TypeNameOf(uint32_t classTag);

 protected:
  // A new texture of the kind in the environment (the application's object environment when none is
  // given), subscribed with id 0 and in no table: 0, 9 without memory or when it is not ready, or
  // the subscription's error.
  static int32_t MakeNew(uint32_t classTag, CSpoolSys* environment, CBaseTexture** out);

 private:
  void LeaveUseTable();

  Handle32 fHandle = kNoHandle;
  uint32_t fUseCount = 0;

 protected:
  uint32_t fRenderHolds = 0;
};
