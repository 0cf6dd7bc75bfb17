// A spooled list of scene-thing pointers: what the object table's collections fill, and what code
// that works on a set of things locks as a whole. Rows are pointer-wide; these lists live only in
// swap environments.
#pragma once

#include <cstdint>

#include "framework/core/spool_table.h"

class C3dBase;

class C3dBaseSpoolTable : public CSpoolDynTable<C3dBase*> {
 public:
  static constexpr uint32_t kGrowthStep = 32;

  explicit C3dBaseSpoolTable(CSpoolSys* environment);

  // Locks every thing in row order; on the first failure unlocks those it locked and answers that
  // thing's error (or the list's own when the list cannot be locked). 0 for an empty list.
  int32_t LockAll();
  // One unlock of every thing, with CSpoolMem::Unlock's flags.
  int32_t UnlockAll(bool dirty, bool release);

  // Valid while the list is locked.
  C3dBase* At(uint32_t index) const { return (*this)[index]; }
};

// Holds every thing of a list locked for its lifetime.
class SLockAllGuard {
 public:
  SLockAllGuard(C3dBaseSpoolTable* table, bool dirty, bool release);
  ~SLockAllGuard();
  SLockAllGuard(const SLockAllGuard&) = delete;
  SLockAllGuard& operator=(const SLockAllGuard&) = delete;

  int32_t GetResult() const { return fResult; }
  bool IsLocked() const { return fResult == 0; }

 private:
  C3dBaseSpoolTable* fTable;
  int32_t fResult;
  bool fDirty;
  bool fRelease;
};
