#include "framework/core/symbol_table.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

SDynTableLayout SymbolLayout(SRange shape) {
  CAppl* app = GetApplication();
  SDynTableLayout layout;
  layout.SetSized(app ? app->GetDataEnv() : nullptr, sizeof(CSymbolTableEntry), uint32_t(std::max(shape.first, 0)));
  layout.range = shape;
  return layout;
}

SSpoolTableSpec SymbolSpec() {
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &CSymbolTable::HandleMessage);
  return spec;
}

}  // namespace

CSymbolTable::CSymbolTable(SRange shape) : CSpoolDynTable<CSymbolTableEntry>(SymbolLayout(shape), SymbolSpec()) {}

int32_t CSymbolTable::AddSymbol(void* object, const char* name, uint32_t type, uint32_t value1, uint32_t value2) {
  CSymbolTableEntry entry;
  entry.object = object;
  CopyCString(entry.name, name, sizeof entry.name);
  entry.type = type;
  entry.value1 = value1;
  entry.value2 = value2;
  if (!Append(&entry)) return GetError() == kErrCannotExpand || GetError() == kErrOutOfMemory ? kErrExpansion
                                                                                                : NonZeroError(GetError());
  fUnsorted = true;
  return kNoErr;
}

int32_t CSymbolTable::Lookup(void** object, const char* name, uint32_t type) {
  return LookupEx(object, nullptr, nullptr, name, type);
}

int32_t CSymbolTable::LookupEx(void** object, uint32_t* value1, uint32_t* value2, const char* name, uint32_t type) {
  if (object) *object = nullptr;
  if (value1) *value1 = 0;
  if (value2) *value2 = 0;
  if (GetCount() == 0 || !name) return kErrObjectNotFound;
  CHolder holder(this, fUnsorted, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  CSymbolTableEntry* rows = GetRecords();
  if (fUnsorted) {
    std::sort(rows, rows + GetCount(), [](const CSymbolTableEntry& a, const CSymbolTableEntry& b) {
      return std::strncmp(a.name, b.name, sizeof a.name) < 0;
    });
    fUnsorted = false;
  }
  int64_t low = 0, high = int64_t(GetCount()) - 1;
  while (low <= high) {
    const int64_t middle = (low + high) / 2;
    const int order = std::strncmp(name, rows[middle].name, sizeof rows[middle].name);
    if (order < 0) {
      high = middle - 1;
    } else if (order > 0) {
      low = middle + 1;
    } else {
      const CSymbolTableEntry& found = rows[middle];
      if (found.type != type) return kErrUnexpectedType;
      if (object) *object = found.object;
      if (value1) *value1 = found.value1;
      if (value2) *value2 = found.value2;
      return kNoErr;
    }
  }
  return kErrObjectNotFound;
}

int32_t CSymbolTable::Clear(bool shrink) {
  if (GetCount() && !RemoveAt(0, GetCount())) return NonZeroError(GetError());
  fUnsorted = false;
  if (shrink && !SetSize(GetRecordSize(), 0, false, false)) return NonZeroError(GetError());
  return kNoErr;
}
