// A table of named symbols: each row an object with a name of at most 31 characters, a
// four-character type and two values handed back by a lookup. Rows are sorted by name lazily, at the
// first lookup after an addition, and found by binary search.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/core/spool_table.h"

struct CSymbolTableEntry {
  void* object = nullptr;  // not owned
  char name[32] = {};
  uint32_t type = 0;
  uint32_t value1 = 0;
  uint32_t value2 = 0;
};

class CSymbolTable : public CSpoolDynTable<CSymbolTableEntry> {
 public:
  // In the application's spool environment; shape = {capacity, growth step}.
  explicit CSymbolTable(SRange shape = SRange{32, 32});

  // 12 when the table cannot grow.
  int32_t AddSymbol(void* object, const char* name, uint32_t type, uint32_t value1, uint32_t value2);
  // 6 when absent, 14 when the symbol has another type; the outputs are cleared first.
  int32_t Lookup(void** object, const char* name, uint32_t type);
  int32_t LookupEx(void** object, uint32_t* value1, uint32_t* value2, const char* name, uint32_t type);
  int32_t Clear(bool shrink);

  bool IsUnsorted() const { return fUnsorted; }

 private:
  bool fUnsorted = false;
};
