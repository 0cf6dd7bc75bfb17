// A navigator that holds its spool object locked while it lives: it locks at construction, attaches
// unless the lock failed, and at its end unlocks with the changed and release flags and detaches.
// Callers test IsUsable() before touching a cell.
#pragma once

#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/navigator.h"

class CSpoolMem;
struct SRect;

class CSmNavigator : public CNavigator {
 public:
  // changed: the data is written (ignored for a read-only object); release: modified data may be
  // written back at the end. A null callback means the holder's default, which reports the error.
  CSmNavigator(CSpoolMem* object, uint32_t cellSize, uint32_t width, const SRect* area, uint32_t stride,
               bool changed, bool release, HolderFailureCallback failure = nullptr);
  ~CSmNavigator() override;

  bool IsUsable() const;
  CSpoolMem* GetObject() const { return fHolder.GetObject(); }

 private:
  CHolder fHolder;
};
