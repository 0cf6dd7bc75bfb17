#include "framework/core/handle_table.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct SHandleEntry {
  void* pointer;
  uint32_t typeTag;
};

struct SHandleTable {
  std::mutex lock;
  // Handle h at h - 1: handles count up from 1 and are never reused, so the entries lie dense, and a
  // released handle's entry stays behind with no pointer.
  std::vector<SHandleEntry> byHandle;
  std::map<std::pair<void*, uint32_t>, Handle32> byPointer;

  const SHandleEntry* Find(Handle32 handle) const {
    if (handle == kNoHandle || handle > byHandle.size()) return nullptr;
    const SHandleEntry& entry = byHandle[handle - 1];
    return entry.pointer ? &entry : nullptr;
  }
};

SHandleTable& Table() {
  static SHandleTable table;
  return table;
}

}  // namespace

Handle32 RegisterHandle(void* pointer, uint32_t typeTag) {
  if (!pointer) return kNoHandle;
  SHandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const auto key = std::make_pair(pointer, typeTag);
  // Things made one after another mostly lie at rising addresses: a key beyond the last is new, and
  // goes in at the end without a search down the tree.
  const bool last = !table.byPointer.empty() && table.byPointer.rbegin()->first < key;
  const auto place = last ? table.byPointer.end() : table.byPointer.lower_bound(key);
  if (place != table.byPointer.end() && place->first == key) return place->second;
  // Running out of 2^32 - 1 handles is not a state the program can reach in practice; refuse rather
  // than wrap around to a handle that may still be held somewhere.
  if (table.byHandle.size() >= UINT32_MAX - 1) return kNoHandle;
  table.byHandle.push_back(SHandleEntry{pointer, typeTag});
  const Handle32 handle = Handle32(table.byHandle.size());
  table.byPointer.emplace_hint(place, key, handle);
  return handle;
}

void* LookupHandle(Handle32 handle, uint32_t typeTag) {
  SHandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const SHandleEntry* found = table.Find(handle);
  return found && found->typeTag == typeTag ? found->pointer : nullptr;
}

void ReleaseHandle(Handle32 handle) {
  SHandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const SHandleEntry* found = table.Find(handle);
  if (!found) return;
  table.byPointer.erase(std::make_pair(found->pointer, found->typeTag));
  table.byHandle[handle - 1] = SHandleEntry{nullptr, 0};
}
