#include "framework/core/ix_color.h"

#include "framework/core/byte_reader.h"
#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

namespace {

constexpr const char kTag[] = "ixco";

}  // namespace

uint32_t CIxColor::HandleRecord(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleIndexedRecord(object, message, argument, kTag);
}

CIxColor::CIxColor(CResourceEnv* environment, uint32_t number, uint32_t index) {
  Load(environment, IndexedKey(kTag, number, nullptr), index);
}

CIxColor::CIxColor(CResourceEnv* environment, const char* name, uint32_t index) {
  Load(environment, IndexedKey(kTag, 0, name), index);
}

CIxColor::~CIxColor() {
  if (fResource) ReleaseIndexedResource(fResource);
}

void CIxColor::Load(CResourceEnv* environment, const SSpoolKey& key, uint32_t index) {
  SIndexedRef ref{environment, key, true};
  if ((fResult = LoadIndexedResource(&fResource, ref, IndexedSpec(&CIxColor::HandleRecord)))) return;
  const uint32_t size = fResource->GetDataSize();
  if (size < kIndexedHeaderBytes || size % 4) {
    fResult = kErrInvalidFormat;
    return;
  }
  {
    CHolder holder(fResource, false, false);
    if (!holder.IsLocked()) {
      fResult = NonZeroError(fResource->GetError());
      return;
    }
    fSets = fResource->GetData()[kIndexedSetsOffset];
  }
  if (((size - kIndexedHeaderBytes) / 4) % (uint32_t(fSets) + 1)) {
    fResult = kErrTooFewEntries;
    return;
  }
  if (index != kNone) fResult = ColorAt(index, &fColor);
  if (!fResult) fSelected = index;
}

int32_t CIxColor::ColorAt(uint32_t index, uint32_t* value) {
  if (index == kNone) return kErrInvalidParameter;
  const uint32_t values = (fResource->GetDataSize() - kIndexedHeaderBytes) / 4;
  const uint64_t stored = uint64_t(index) + (fSets ? values / (uint32_t(fSets) + 1) : 0);
  if (stored >= values) return kErrObjectNotFound;
  CHolder holder(fResource, false, false);
  if (!holder.IsLocked()) return NonZeroError(fResource->GetError());
  CByteReader in(fResource->GetData(), fResource->GetDataSize());
  in.Seek(kIndexedHeaderBytes + size_t(stored) * 4);
  return in.ReadBE32(value) ? kNoErr : kErrObjectNotFound;
}

int32_t CIxColor::GetColor(uint32_t* value) const {
  *value = fColor;
  return fResult;
}
