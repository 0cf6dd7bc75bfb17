// A resource environment: numbered and named resources of many types in one composite file.
//
// Placeholder until issue 7 builds it: the environment is open when its file can be opened for
// reading, holds no resources, and refuses every subscription as not found (6).
#pragma once

#include <cstdint>

#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"
#include "framework/core/spool_sys.h"

// The composite-file type of resource files.
inline constexpr const char* kResourceFileType = "Resource Composite File";

class CResourceEnv : public CSpoolSys {
 public:
  // (file, open mode of CFile, composite-file type name, creator and file-type texts, then the spool
  // system's recovery handler and priority).
  CResourceEnv(const CFileSpec& spec, uint32_t mode, const char* typeName, const char* creator, const char* fileType,
               CFCallback handler, int32_t priority);

  uint32_t GetKind() const override { return kResourceKind; }
  bool Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) override;
  bool Unsubscribe(CSubscriber* object) override;

  bool IsOpen() const { return fOpen; }
  int32_t GetLastResult() const { return fLastResult; }
  void SetLastResult(int32_t result) { fLastResult = result; }
  const CFileSpec& GetSpec() const { return fSpec; }

 private:
  CFileSpec fSpec;
  int32_t fLastResult = 0;
  bool fOpen = false;
};
