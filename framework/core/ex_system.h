// The element system table: a spooled table of live elements, each row with an order key that sorts
// the rows. Adding a row attaches the element to the table and removing it detaches it, through
// operations that tables of particular elements override.
#pragma once

#include <cstdint>

#include "framework/core/spool_table.h"

class CElement;

struct CExSystemEntry {
  CElement* element = nullptr;  // owned when removals delete
  uint32_t classData = 0;
  int32_t orderKey = 0;
  uint32_t extra = 0;
  uint8_t reserved[16] = {};
};

class CExSystem : public CSpoolDynTable<CExSystemEntry> {
 public:
  static constexpr int32_t kPriority = 0x3FFFFFFF;

  // An empty table in the layout's environment, stored with the header of growable tables.
  explicit CExSystem(const SDynTableLayout& layout);
  // Detaches and deletes every element; a derived table runs RemoveAll itself, while its own
  // detach operation is still there.
  ~CExSystem() override;

  int32_t Contains(const CElement* element, bool* found);
  // index -1 first; 6 when the element is not in the table.
  int32_t FindIndex(const CElement* element, int32_t* index);
  // 17 when the element belongs to a table already; nothing happens when it is in this one.
  int32_t AddEntry(CElement* element, uint32_t classData, int32_t orderKey, uint32_t extra = 0);
  // Row index in the sorted order: 6 (index 0) when empty, 16 past the end.
  int32_t GetSorted(uint32_t* index, CExSystemEntry* row);
  int32_t GetEntry(uint32_t index, CExSystemEntry* row);
  // The first row, from the first or from the last, whose element has that name: 6 when there is
  // none, 16 for a missing name or output.
  int32_t Lookup(const char* name, bool fromLast, uint32_t* index, CElement** element);
  int32_t SetEntryOrder(uint32_t index, int32_t orderKey);
  // Removals answer 15 and change nothing while the table is busy: a walk reads its rows by index,
  // and a row taken from under it would be read after it was freed.
  // The listed rows, from the last listed to the first; the first failed detach ends it.
  int32_t RemoveEntries(const uint32_t* indices, uint32_t count, bool deleteElements, bool shrink);
  // Every row from the first; a failed detach keeps that row and those after it.
  int32_t RemoveAll(bool deleteElements, bool shrink);
  // Ascending order keys, rows with equal keys kept in the order they were added; only when a row
  // was added or reordered since, and not while the table is busy (the flag then stays for later).
  int32_t Sort();
  bool RemoveRange(uint32_t first, uint32_t n);
  bool AppendRows(const CExSystemEntry& row, uint32_t n);

  bool IsUnsorted() const { return fUnsorted; }
  // Raised while somebody walks the rows by index, so that nobody mistakes the table for idle.
  void RaiseBusy() { ++fBusy; }
  void LowerBusy() {
    if (fBusy) --fBusy;
  }
  uint32_t GetBusyCount() const { return fBusy; }

 protected:
  virtual int32_t Attach(CExSystemEntry& row);
  virtual int32_t Detach(CExSystemEntry& row);
  // RemoveAll whether busy or not: for the destructors, which cannot refuse.
  int32_t RemoveEveryRow(bool deleteElements, bool shrink);

 private:
  int32_t RemoveRow(uint32_t index, bool deleteElement);
  int32_t Shrink();

  bool fUnsorted = false;
  uint32_t fBusy = 0;
};

// Counts a walk of a table's rows for its length.
class CBusyWalk {
 public:
  explicit CBusyWalk(CExSystem* table) : fTable(table) { fTable->RaiseBusy(); }
  ~CBusyWalk() { fTable->LowerBusy(); }
  CBusyWalk(const CBusyWalk&) = delete;
  CBusyWalk& operator=(const CBusyWalk&) = delete;

 private:
  CExSystem* fTable;
};
