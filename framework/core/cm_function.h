// Callback tables: the framework's one mechanism for broadcast and subscription. A message record is
// handed row by row to each row's callback until one answers non-zero.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/dyn_table.h"

// (owner, message record, the row's 16 data bytes) → 0 to go on, anything else stops the broadcast.
using CFCallback = int32_t (*)(void* owner, void* record, void* data);

struct CCFEntry {
  void* owner = nullptr;
  CFCallback callback = nullptr;
  int32_t priority = 0;
  uint32_t extra = 0;
  uint8_t data[16] = {};

  static int32_t Call(CCFEntry& row, void* record) {
    return row.callback ? row.callback(row.owner, record, row.data) : 0;
  }
  // Zero when the row belongs to owner.
  static intptr_t CompareId(const CCFEntry& row, const void* owner) {
    return reinterpret_cast<intptr_t>(row.owner) - reinterpret_cast<intptr_t>(owner);
  }
};

// Message records of the application's tables.
struct SNotifyRecord {
  uint32_t reserved0 = 0;
  int32_t code = 0;
  uint32_t extra = 0;
  uint32_t reserved1 = 0;
  const char* tableName = nullptr;
  uint32_t reserved2 = 0;
  uint32_t reserved3 = 0;
};

struct SHeartbeatRecord {
  uint32_t reserved0 = 0;
  uint32_t reserved1 = 0;
  uint32_t count = 0;
  uint32_t reserved2 = 0;
};

// b is pointer-wide: events hand their event record in it.
struct SReceiverRecord {
  uint32_t reserved0 = 0;
  uint32_t a = 0;
  uintptr_t b = 0;
  uint32_t reserved1 = 0;
};

struct SMemRecoverRecord {
  uint32_t message = 0;  // 0: free the bytes wanted; 1 to 3: add pageable, resident or total bytes
  uint32_t reserved1 = 0;
  uint32_t* request = nullptr;  // first word: bytes wanted
  uint32_t reserved2 = 0;
};

class CCmFunction : public CDynTable<CCFEntry> {
 public:
  // spec = {initial rows, growth step}.
  explicit CCmFunction(SRange spec, CMemPool* pool = nullptr) : CDynTable<CCFEntry>(spec, pool) {}

  CCFEntry* FindEntry(const void* owner);
  bool AddEntry(const CCFEntry* row);
  bool RemoveEntry(const CCFEntry& row);
  bool RemoveOwner(const void* owner);
  int32_t Broadcast(void* record);

  // Ascending priority. A table being walked is not sorted (the walk goes by index), so the
  // unsorted flag stays set and the next broadcast from outside sorts it.
  void SortIfUnsorted(bool& unsorted);

  // Appends {owner, callback, priority, 0, zero data}.
  bool AddRow(const void* owner, CFCallback callback, int32_t priority);
};
