// The scoped lock through which nearly all code touches spooled data: it locks at construction (when
// asked), and at its end unlocks with the dirty and flush flags it was given. Callers test IsLocked()
// and leave the operation when the lock failed.
#pragma once

#include <cstdint>

class CHolder;
class CSpoolMem;

// (holder, 0) → ignored. Called when the closing unlock fails.
using HolderFailureCallback = uint32_t (*)(CHolder* holder, uint32_t zero);

class CHolder {
 public:
  // A null callback means DefaultFailureHandler.
  CHolder(CSpoolMem* object, bool dirty, bool flush, HolderFailureCallback failure = nullptr, bool lock = true);
  CHolder(const CHolder&) = delete;
  CHolder& operator=(const CHolder&) = delete;
  ~CHolder() { Release(); }

  // Unlocks now (once); the destructor then does nothing.
  void Release();

  bool IsLocked() const { return fLocked; }
  // Locked, and the object's storage is there in a pool that still exists.
  bool IsDataUsable() const;
  CSpoolMem* GetObject() const { return fObject; }
  void SetDirty(bool dirty) { fDirty = dirty; }
  void SetFlush(bool flush) { fFlush = flush; }

  // Hands the object's error to the application's error report.
  static uint32_t DefaultFailureHandler(CHolder* holder, uint32_t zero);

 private:
  CSpoolMem* fObject = nullptr;
  HolderFailureCallback fFailure = nullptr;
  bool fLocked = false;
  bool fDirty = false;
  bool fFlush = false;
};
