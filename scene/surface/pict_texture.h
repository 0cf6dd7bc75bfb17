// The picture texture: a texture that samples a 2D picture it carries, red, green and blue giving its
// colour and the top byte (the picture's alpha) its value and its bump gradient. Its record is the
// base record alone; the picture is a stored image record of its own, "C3dCImage" under the
// texture's id, and follows the texture wherever it goes.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/image/image.h"
#include "scene/c_image.h"
#include "scene/surface/base_texture.h"

class CPictTexture : public CBaseTexture {
 public:
  static constexpr uint32_t kClassTag = FourCC("pctx");
  static constexpr const char* kTypeName = "CPictTexture";

  // With a picture of 0 × 0 in the key's environment.
  explicit CPictTexture(const SObjectKey& key);

  // A new picture texture on the key, its picture 0 × 0, entered in the table when one is given: 0; 9
  // without memory, 13 when it does not check out or cannot subscribe, or the table's code. On every
  // failure the half-made texture is destroyed and *out is null.
  static int32_t New(CPictTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  // The two loads of a stored picture texture (CBaseTexture::LoadShared and LoadPrivate).
  static int32_t LoadShared(CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec) {
    return CBaseTexture::LoadShared(kClassTag, out, key, spec);
  }
  static int32_t LoadPrivate(CBaseTexture** out, const SObjectKey& key, const SSpoolTableSpec& spec) {
    return CBaseTexture::LoadPrivate(kClassTag, out, key, spec);
  }

  const char* TypeName() const override { return kTypeName; }
  C3dCImage& GetPicture() { return fImage; }

  // The picture moves first (the texture's move unsubscribes it, which would drop pixels that are
  // not in memory); a failure of the picture's move is not the texture's. Moved into a resource
  // environment, the texture enters the picture's resource there, which may exist already.
  bool SetEnvironment(CSpoolSys* environment) override;
  // The picture subscribes beside the texture, under the texture's id; a stored picture is paged in
  // at once. A picture that cannot subscribe leaves the texture unsubscribed with its error.
  bool Subscribe(const SSpoolTableSpec& spec) override;
  bool Unsubscribe() override;

  // Samples the picture at u = the point's x, v = its y, bilinearly, repeating it both ways. A
  // picture that cannot be read, or has no pixels, leaves the sample as it was.
  void Evaluate(STextureSample& sample, const vector3<double>& normal, int32_t mappingMode) override;
  bool HoldForRender() override;
  void ReleaseAfterRender() override;
  int32_t Duplicate(CBaseTexture** out) override;
  // The picture paged in (and marked changed when asked), or written back and released.
  int32_t Acquire(bool changed) override;
  int32_t Release() override;

  // Both objects could be made, and now each is subscribed to an environment that is ready (an
  // object without an environment counts as ready).
  bool IsPictureReady() const;

 private:
  // The picture's share of Duplicate: the record's name and the pixels into the copy.
  int32_t CopyInto(CPictTexture& copy);

  C3dCImage fImage;
  // The picture's cells through a render, so that evaluations do not lock it.
  std::unique_ptr<CImNavigator> fHeld;
  SRect fHeldBounds;
  bool fPictureReady = false;
};
