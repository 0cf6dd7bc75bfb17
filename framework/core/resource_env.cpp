#include "framework/core/resource_env.h"

#include "framework/core/file.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

CResourceEnv::CResourceEnv(const CFileSpec& spec, uint32_t mode, const char*, const char*, const char*,
                           CFCallback handler, int32_t priority)
    : CSpoolSys(nullptr, nullptr, SRange{32, 32}, 0, false, handler, priority), fSpec(spec) {
  CFile file(fSpec);
  fLastResult = file.Open(mode);
  if (fLastResult == 0) fLastResult = file.Flush();
  fOpen = fLastResult == 0;
}

bool CResourceEnv::Subscribe(CSubscriber* object, const SSpoolTableSpec&) {
  fLastResult = kErrObjectNotFound;
  object->SetError(kErrObjectNotFound);
  return false;
}

bool CResourceEnv::Unsubscribe(CSubscriber* object) {
  fLastResult = kErrObjectNotFound;
  object->SetError(kErrObjectNotFound);
  return false;
}
