// A memory-recovery table: bound to one pool, it becomes the pool's recovery callback and asks its
// handlers, in ascending priority, to free memory when an allocation cannot be met.
#pragma once

#include "framework/core/cm_function.h"

class CMemPool;

class CMemRecover : public CCmFunction {
 public:
  CMemRecover(CMemPool* pool, SRange spec);
  ~CMemRecover() override;

  bool IsRegistered(const void* owner) { return FindEntry(owner) != nullptr; }
  bool Register(const void* owner, CFCallback callback, int32_t priority);
  bool Unregister(const void* owner) { return RemoveOwner(owner); }

  // The pool's recovery callback; context is the table.
  static uint32_t Recover(uint32_t* request, uint32_t zero, void* context);

  CMemPool* GetPool() const { return fPool; }

 private:
  CMemPool* fPool = nullptr;
  bool fUnsorted = false;
};
