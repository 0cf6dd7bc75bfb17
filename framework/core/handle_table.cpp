#include "framework/core/handle_table.h"

#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

struct SHandleEntry {
  void* pointer;
  uint32_t typeTag;
};

struct SHandleTable {
  std::mutex lock;
  Handle32 next = 1;
  std::unordered_map<Handle32, SHandleEntry> byHandle;
  std::map<std::pair<void*, uint32_t>, Handle32> byPointer;
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
  if (auto found = table.byPointer.find(key); found != table.byPointer.end()) return found->second;
  // Running out of 2^32 - 1 handles is not a state the program can reach in practice; refuse rather
  // than wrap around to a handle that may still be held somewhere.
  if (table.next == kNoHandle) return kNoHandle;
  const Handle32 handle = table.next++;
  table.byHandle.emplace(handle, SHandleEntry{pointer, typeTag});
  table.byPointer.emplace(key, handle);
  return handle;
}

void* LookupHandle(Handle32 handle, uint32_t typeTag) {
  SHandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const auto found = table.byHandle.find(handle);
  if (found == table.byHandle.end() || found->second.typeTag != typeTag) return nullptr;
  return found->second.pointer;
}

void ReleaseHandle(Handle32 handle) {
  SHandleTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  const auto found = table.byHandle.find(handle);
  if (found == table.byHandle.end()) return;
  table.byPointer.erase(std::make_pair(found->second.pointer, found->second.typeTag));
  table.byHandle.erase(found);
}
