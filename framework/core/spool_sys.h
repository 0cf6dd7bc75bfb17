// Spool systems: managers of pageable objects, and the swap and discard environments built on them.
//
// Placeholder until issue 5 builds paging: an environment keeps its subscriber table and its entry in
// the data pool's recovery table, is valid, and has no swap file.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"

class CMemPool;

class CSpoolSys : public CBaseObject {
 public:
  // (file spec or null, pool or null for the data pool, table growth, ordering, whether to enter the
  // data pool's recovery table, recovery handler, recovery priority).
  CSpoolSys(const CFileSpec* spec, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
            CFCallback handler, int32_t priority);
  ~CSpoolSys() override;

  bool IsValid() const { return fValid; }
  CMemPool* GetPool() const { return fPool; }
  uint32_t GetOrdering() const { return fOrdering; }
  CCmFunction* GetSubscriberTable() const { return fSubscribers; }

  // The recovery handler environments register; nothing is pageable yet, so it frees nothing.
  static int32_t HandleMemoryRecovery(void* system, void* record, void* data);

 private:
  CMemPool* fPool = nullptr;
  CCmFunction* fSubscribers = nullptr;
  uint32_t fOrdering = 0;
  bool fRegistered = false;
  bool fValid = false;
};

class CSpoolEnv : public CSpoolSys {
 public:
  using CSpoolSys::CSpoolSys;
};

class CDiscardEnv : public CSpoolEnv {
 public:
  using CSpoolEnv::CSpoolEnv;
};
