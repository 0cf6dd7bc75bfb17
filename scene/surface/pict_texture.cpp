#include "scene/surface/pict_texture.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "scene/factory.h"

namespace {

SGridLayout EmptyPicture(CSpoolSys* environment) {
  SGridLayout layout;
  MakeImageGridSpec(layout, environment, 0, 0);
  return layout;
}

bool IsLoaded(const CSubscriber& object) {
  const CSpoolSys* environment = object.GetEnvironment();
  return !environment || (object.IsSubscribed() && environment->IsReady());
}

// Index i of a repeating row of n: i mod n, and for negative i n − ((−i) mod n) − 1 (so −1 gives
// n − 2, as stored scenes were drawn). In doubles, so that no coordinate overflows an integer.
uint32_t Wrap(double i, uint32_t n) {
  return uint32_t(i >= 0 ? std::fmod(i, n) : n - std::fmod(-i, n) - 1);
}

// p toward q by t, byte by byte, each step truncated toward zero.
uint32_t Blend(uint32_t p, uint32_t q, double t) {
  if (t <= 0 || p == q) return p;
  if (t >= 1) return q;
  uint32_t mixed = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int32_t a = int32_t((p >> shift) & 255), b = int32_t((q >> shift) & 255);
    mixed |= uint32_t(a + int32_t((b - a) * t)) << shift;
  }
  return mixed;
}

double AlphaOf(uint32_t pixel) { return double(pixel >> 24) * (1.0 / 255); }

}  // namespace

CPictTexture::CPictTexture(const SObjectKey& key) : CBaseTexture(key), fImage(EmptyPicture(key.environment)) {
  fPictureReady = C3dBase::IsReady() && fImage.IsValid();
}

int32_t CPictTexture::New(CPictTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return MakeAndEnter(out, table, key, spec);
}

// ---- environments

bool CPictTexture::SetEnvironment(CSpoolSys* environment) {
  fImage.SetEnvironment(environment);
  if (!CBaseTexture::SetEnvironment(environment)) return false;
  if (environment->GetKind() != kResourceKind) return true;
  auto* resources = static_cast<CResourceEnv*>(environment);
  SSpoolKey picture;
  picture.Set(C3dCImage::kTypeName, GetId(), true);
  if (resources->PutResource(picture) || resources->GetLastResult() == kErrObjectDuplicated) return true;
  SetError(NonZeroError(resources->GetLastResult()));
  return false;
}

bool CPictTexture::Subscribe(const SSpoolTableSpec& spec) {
  if (!CBaseTexture::Subscribe(spec)) return false;
  SSpoolKey key;
  key.Set(C3dCImage::kTypeName, HasKey() ? GetKey().id : spec.key.id, true);
  key.isNew = spec.key.isNew;
  SSpoolTableSpec pictureSpec;
  pictureSpec.Set(spec.keyed, &key, SRange{-1, -1}, &ImageRecordTypeHandler, nullptr, SSpoolTableSpec::kDefaultPriority);
  if (!fImage.Subscribe(pictureSpec)) {
    const int32_t error = NonZeroError(fImage.GetError());
    CBaseTexture::Unsubscribe();
    SetError(error);
    return false;
  }
  if (spec.keyed && !spec.key.isNew && fImage.Lock()) fImage.Unlock(false, false);
  return true;
}

bool CPictTexture::Unsubscribe() {
  fImage.Unsubscribe();
  return CBaseTexture::Unsubscribe();
}

bool CPictTexture::IsPictureReady() const { return fPictureReady && IsLoaded(*this) && IsLoaded(fImage); }

int32_t CPictTexture::Acquire(bool changed) {
  if (!fImage.Lock()) return NonZeroError(fImage.GetError());
  return fImage.Unlock(changed, false) ? kNoErr : NonZeroError(fImage.GetError());
}

int32_t CPictTexture::Release() {
  if (!fImage.Lock()) return NonZeroError(fImage.GetError());
  return fImage.Unlock(true, true) ? kNoErr : NonZeroError(fImage.GetError());
}

// ---- sampling

bool CPictTexture::HoldForRender() {
  if (fRenderHolds > 0) {
    ++fRenderHolds;
    return true;
  }
  if (!Lock()) return false;
  const CSpoolSys* environment = fImage.GetEnvironment();
  if (fImage.IsSubscribed() && !(environment && !environment->IsReady())) {
    fHeldBounds = fImage.GetBounds();
    fHeld.reset(new CImNavigator(&fImage, &fHeldBounds, false, false));
    if (fHeld && !fHeld->IsUsable()) fHeld.reset();
  }
  fRenderHolds = 1;
  return true;
}

void CPictTexture::ReleaseAfterRender() {
  if (fRenderHolds == 0 || --fRenderHolds > 0) return;
  fHeld.reset();
  Unlock(false, false);
}

void CPictTexture::Evaluate(STextureSample& sample, const vector3<double>&, int32_t mappingMode) {
  std::optional<CImNavigator> own;
  CImNavigator* held = fHeld.get();
  if (!held && fRenderHolds > 0) return;
  if (!held) {
    const CSpoolSys* environment = fImage.GetEnvironment();
    if (!fImage.IsSubscribed() || (environment && !environment->IsReady())) return;
    const SRect whole = fImage.GetBounds();
    own.emplace(&fImage, &whole, false, false);
    held = &*own;
  }
  CImNavigator& nav = *held;
  if (!nav.IsUsable()) return;
  const uint32_t width = nav.GetColumns(), height = nav.GetRows();
  const double x = width * sample.point.x, y = height * (1 - sample.point.y);
  if (!width || !height || !std::isfinite(x) || !std::isfinite(y)) return;
  const double ix = std::trunc(x), iy = std::trunc(y);
  const double fx = x - ix, fy = y - iy;
  const uint32_t c0 = Wrap(ix, width), c1 = Wrap(ix + 1, width);
  const CImVector* row0 = nav.Cells(Wrap(iy, height));
  const CImVector* row1 = nav.Cells(Wrap(iy + 1, height));
  const uint32_t p00 = row0[c0].value, p10 = row0[c1].value, p01 = row1[c0].value, p11 = row1[c1].value;
  const uint32_t pixel = Blend(Blend(p00, p10, fx), Blend(p01, p11, fx), fy);
  sample.colour = {float((pixel >> 16) & 255) * kByteScale, float((pixel >> 8) & 255) * kByteScale,
                   float(pixel & 255) * kByteScale};
  sample.value = float(pixel >> 24) * kByteScale;
  if (sample.gradientWanted != 1) return;
  const double du = AlphaOf(p00) - AlphaOf(p10), dv = AlphaOf(p01) - AlphaOf(p00);
  sample.gradient =
      mappingMode == 0 || mappingMode == 1 ? vector3<double>{du, dv, 0} : sample.tangentU * du + sample.tangentV * dv;
}

// ---- copies

int32_t CPictTexture::Duplicate(CBaseTexture** out) {
  *out = nullptr;
  CBaseTexture* made = nullptr;
  if (const int32_t error = MakeNew(kClassTag, nullptr, &made)) return error;
  auto* copy = static_cast<CPictTexture*>(made);
  if (const int32_t error = CopyInto(*copy)) {
    delete copy;
    return error;
  }
  *out = copy;
  return kNoErr;
}

int32_t CPictTexture::CopyInto(CPictTexture& copy) {
  {
    CHolder source(this, false, false);
    if (!source.IsLocked()) return NonZeroError(GetError());
    CHolder target(&copy, true, false);
    if (!target.IsLocked()) return NonZeroError(copy.GetError());
    std::memcpy(copy.GetData(), GetData(), C3dBase::kRecordSize);
  }
  // Sized like the source, then its bytes, which the navigators read with the source's stride.
  if (!copy.fImage.Allocate(fImage.GetWidth(), fImage.GetHeight(), fImage.GetStride(), false, false))
    return kErrOutOfMemory;
  return copy.fImage.CSpoolMem::CopyFrom(fImage, nullptr) ? kNoErr : NonZeroError(copy.fImage.GetError());
}
