#include "framework/core/cm_function.h"

#include <algorithm>

CCFEntry* CCmFunction::FindEntry(const void* owner) {
  for (uint32_t i = 0; i < GetCount(); ++i) {
    if (CCFEntry::CompareId((*this)[i], owner) == 0) return &(*this)[i];
  }
  return nullptr;
}

bool CCmFunction::AddEntry(const CCFEntry* row) {
  if (row) return Append(*row);
  return AppendN(nullptr, 1);
}

bool CCmFunction::RemoveEntry(const CCFEntry& row) { return RemoveOwner(row.owner); }

bool CCmFunction::RemoveOwner(const void* owner) {
  CCFEntry* row = FindEntry(owner);
  return row && RemoveAt(uint32_t(row - GetRecords()));
}

int32_t CCmFunction::Broadcast(void* record) {
  if (GetCount() == 0) return 0;
  RaiseBusy();
  int32_t answer = 0;
  // Callbacks may add rows (the storage can move) or remove them: walk by index, re-reading the
  // count and the storage after every call.
  for (uint32_t i = 0; i < GetCount() && answer == 0; ++i) answer = CCFEntry::Call((*this)[i], record);
  LowerBusy();
  return answer;
}

void CCmFunction::SortIfUnsorted(bool& unsorted) {
  if (!unsorted || GetBusy() != 0) return;
  if (GetCount() > 1) {
    std::sort(GetRecords(), GetRecords() + GetCount(),
              [](const CCFEntry& a, const CCFEntry& b) { return a.priority < b.priority; });
  }
  unsorted = false;
}

bool CCmFunction::AddRow(const void* owner, CFCallback callback, int32_t priority) {
  CCFEntry row;
  row.owner = const_cast<void*>(owner);
  row.callback = callback;
  row.priority = priority;
  return AddEntry(&row);
}
