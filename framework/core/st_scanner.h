// The scanner of a spool table: the record size comes from the table.
#pragma once

#include "framework/core/sm_scanner.h"
#include "framework/core/spool_table.h"

class CStScanner : public CSmScanner {
 public:
  CStScanner(CSpoolTable* table, const SRange* range, bool changed, bool release,
             HolderFailureCallback failure = nullptr)
      : CSmScanner(table, table->GetRecordSize(), range, changed, release, failure) {}
};

template <typename T>
class CStScannerT : public CStScanner {
 public:
  using CStScanner::CStScanner;

  // The record under the cursor.
  T* Record() const { return reinterpret_cast<T*>(GetCursor()); }
};
