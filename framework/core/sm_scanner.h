// A scanner that holds its spool object locked while it lives: it locks at construction, attaches
// unless the lock failed, and at its end unlocks with the changed and release flags and detaches.
// Callers test IsUsable() before touching a record.
#pragma once

#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/scanner.h"

class CSpoolMem;
struct SRange;

class CSmScanner : public CScanner {
 public:
  // changed: records are written (ignored for a read-only object); release: modified data may be
  // written back at the end. A null range covers every whole record; a null callback means the
  // holder's default, which reports the error.
  CSmScanner(CSpoolMem* object, uint32_t recordSize, const SRange* range, bool changed, bool release,
             HolderFailureCallback failure = nullptr);
  ~CSmScanner() override;

  bool IsUsable() const;
  CSpoolMem* GetObject() const { return fHolder.GetObject(); }

 private:
  CHolder fHolder;
};
