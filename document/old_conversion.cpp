#include "document/old_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/spool_sys.h"
#include "scene/base.h"
#include "scene/base_sys.h"

namespace old_format {

namespace {

constexpr double kLeastSquare = 1e-150;

}  // namespace

CSpoolSys* ThingEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

int32_t NameThing(C3dBase* thing, const char* text, uint32_t length) {
  CHolder holder(thing, true, false);
  if (!holder.IsLocked()) return NonZeroError(thing->GetError());
  std::memset(thing->GetData(), 0, C3dBase::kNameBytes);
  std::memcpy(thing->GetData(), text, std::min(length, C3dBase::kNameBytes - 1));
  return kNoErr;
}

int32_t NameThing(C3dBase* thing, const SName& name) { return NameThing(thing, name.text, name.length); }

int32_t NameThing(C3dBase* thing, const char* text) { return NameThing(thing, text, uint32_t(std::strlen(text))); }

void DiscardThing(C3dBase* thing) {
  if (!thing) return;
  if (C3dBaseSys* table = thing->GetOwningTable()) table->RemoveObject(thing, true, false);
  else delete thing;
}

vector3<float> ColourOf(uint32_t colour) {
  return {float((colour >> 16) & 0xFF) / 255, float((colour >> 8) & 0xFF) / 255, float(colour & 0xFF) / 255};
}

vector3<double> Normalised(const vector3<double>& v) {
  const double square = Dot(v, v);
  // Beyond these the reciprocal square root is no longer a number.
  if (!(square > kLeastSquare) || !std::isfinite(square)) return {};
  return v * FastInvSqrt(square);
}

STextureRecord TextureRecordAt(const uint8_t* stored) {
  STextureRecord record;
  std::memcpy(record.bytes, stored, kTextureBytes);
  SwapTextureRecord(record.bytes);
  return record;
}

}  // namespace old_format
