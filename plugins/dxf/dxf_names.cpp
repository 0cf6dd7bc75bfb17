#include "plugins/dxf/dxf_names.h"

#include <cstring>

#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/plugin_memory.h"

namespace {

constexpr uint32_t kFirstBuckets = 256;

uint32_t Hash(const char* text, size_t length) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (size_t i = 0; i < length; ++i) hash = (hash ^ uint8_t(text[i])) * 16777619u;
  return hash;
}

// Keeps every name's bucket chain short: the table doubles when it holds as many names as buckets.
bool GrowBuckets(SNameTable& table) {
  const uint32_t count = table.bucketCount ? table.bucketCount * 2 : kFirstBuckets;
  auto* buckets = static_cast<SName**>(CountedAlloc(count * sizeof(SName*)));
  if (!buckets) return false;
  for (int32_t i = 0; i < table.count; ++i) {
    SName* name = table.byIndex[i];
    SName*& head = buckets[name->hash & (count - 1)];
    name->nextInBucket = head;
    head = name;
  }
  CountedFree(table.buckets);
  table.buckets = buckets;
  table.bucketCount = count;
  return true;
}

bool GrowIndex(SNameTable& table) {
  const int32_t capacity = table.capacity ? table.capacity * 2 : int32_t(kFirstBuckets);
  auto* byIndex = static_cast<SName**>(CountedAlloc(size_t(capacity) * sizeof(SName*)));
  if (!byIndex) return false;
  if (table.count) std::memcpy(byIndex, table.byIndex, size_t(table.count) * sizeof(SName*));
  CountedFree(table.byIndex);
  table.byIndex = byIndex;
  table.capacity = capacity;
  return true;
}

}  // namespace

SName* InternName(const char* text) {
  if (!text || !*text) return nullptr;
  SNameTable& table = gImport.names;
  const size_t length = std::strlen(text);
  const uint32_t hash = Hash(text, length);
  if (table.bucketCount) {
    for (SName* name = table.buckets[hash & (table.bucketCount - 1)]; name; name = name->nextInBucket)
      if (name->hash == hash && std::strcmp(name->Text(), text) == 0) return name;
  }
  if ((uint32_t(table.count) >= table.bucketCount && !GrowBuckets(table)) ||
      (table.count == table.capacity && !GrowIndex(table))) {
    SetError(kDxfOutOfMemory);
    return nullptr;
  }
  auto* name = static_cast<SName*>(CountedAlloc(sizeof(SName) + length + 1));
  if (!name) {
    SetError(kDxfOutOfMemory);
    return nullptr;
  }
  std::memcpy(name + 1, text, length + 1);
  name->hash = hash;
  name->index = table.count;
  SName*& head = table.buckets[hash & (table.bucketCount - 1)];
  name->nextInBucket = head;
  head = name;
  table.byIndex[table.count++] = name;
  return name;
}

SName* NameAt(int32_t index) {
  const SNameTable& table = gImport.names;
  return index >= 0 && index < table.count ? table.byIndex[index] : nullptr;
}

void FreeNames() {
  SNameTable& table = gImport.names;
  for (int32_t i = 0; i < table.count; ++i) CountedFree(table.byIndex[i]);
  CountedFree(table.byIndex);
  CountedFree(table.buckets);
  table = SNameTable{};
}

