// A growable in-memory table of plain records on a typed memory block. Growth keeps the contents;
// a failed growth leaves the table as it was.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "framework/core/mem_block.h"
#include "framework/core/rect.h"

// The capacity that a table of capacity records, short of needed, grows to with its growth step:
// by the larger of the shortfall and the step, or by half the capacity when that is more and stays
// within limit records, so that a table filled record by record copies each record a few times at
// most.
inline uint64_t GrownCapacity(uint64_t capacity, uint64_t needed, uint64_t step, uint64_t limit) {
  const uint64_t least = capacity + std::max(needed - capacity, step);
  return std::max(least, std::min(capacity + capacity / 2, limit));
}

template <typename T>
class CDynTable : public CMemBlockT<T> {
  static_assert(std::is_trivially_copyable_v<T>, "table records are moved as bytes");

 public:
  // spec = {initial capacity, growth step}; the storage comes from pool (the default pool when null).
  explicit CDynTable(SRange spec, CMemPool* pool = nullptr)
      : CMemBlockT<T>(ByteSize(spec.first), pool),
        fStep(spec.second < 0 ? 0 : uint32_t(spec.second)),
        fCapacity(this->IsOwned() ? uint32_t(std::max(spec.first, 0)) : 0) {}

  bool IsValid() const { return this->IsOwned(); }
  uint32_t GetCount() const { return fCount; }
  uint32_t GetCapacity() const { return fCapacity; }
  uint32_t GetStep() const { return fStep; }
  // Step 0 freezes the table: records stay where they are, so pointers into it stay good.
  void SetStep(uint32_t step) { fStep = step; }
  T* GetRecords() const { return fCapacity ? this->GetTyped() : nullptr; }
  T& operator[](uint32_t index) const { return this->GetTyped()[index]; }

  uint32_t GetBusy() const { return fBusy; }
  void RaiseBusy() { ++fBusy; }
  void LowerBusy() {
    if (fBusy) --fBusy;
  }

  bool Append(const T& value) { return AppendN(&value, 1); }

  // n new records, each a copy of *value, or zero when value is null.
  bool AppendN(const T* value, uint32_t n) {
    if (n == 0) return true;
    const T copy = value ? *value : T{};  // value may point into storage that growth moves
    if (!Reserve(n)) return false;
    FillSlots(fCount, value ? &copy : nullptr, n);
    fCount += n;
    return true;
  }

  // Opens n slots at index, moving the records behind up; at or past the end it appends.
  bool InsertAt(uint32_t index, const T* value, uint32_t n) {
    if (index >= fCount) return AppendN(value, n);
    if (n == 0) return true;
    const T copy = value ? *value : T{};
    if (!Reserve(n)) return false;
    T* records = this->GetTyped();
    std::memmove(static_cast<void*>(records + index + n), records + index,
                 size_t(fCount - index) * sizeof(T));
    FillSlots(index, value ? &copy : nullptr, n);
    fCount += n;
    return true;
  }

  // Removes n records at index, moving the later ones down; the capacity stays.
  bool RemoveAt(uint32_t index, uint32_t n = 1) {
    if (index >= fCount) return false;
    n = std::min(n, fCount - index);
    T* records = this->GetTyped();
    std::memmove(static_cast<void*>(records + index), records + index + n,
                 size_t(fCount - index - n) * sizeof(T));
    fCount -= n;
    std::memset(static_cast<void*>(records + fCount), 0, size_t(n) * sizeof(T));
    return true;
  }

  // Overwrites up to n slots from index on, never past the count.
  void FillN(uint32_t index, const T& value, uint32_t n) {
    if (index >= fCount) return;
    const uint32_t end = index + std::min(n, fCount - index);
    for (uint32_t i = index; i < end; ++i) (*this)[i] = value;
  }

  void Clear() {
    if (fCount) std::memset(static_cast<void*>(this->GetTyped()), 0, size_t(fCount) * sizeof(T));
    fCount = 0;
  }

  // Gives back the storage behind the last record; an empty table keeps none. False, with the
  // table unchanged, when the smaller storage cannot be had.
  bool Trim() {
    if (fCapacity == fCount) return true;
    if (!this->Resize(uint32_t(size_t(fCount) * sizeof(T)), true)) return false;
    fCapacity = fCount;
    return true;
  }

  // Makes room for n more records, growing as GrownCapacity says.
  bool Reserve(uint32_t n) {
    const uint64_t needed = uint64_t(fCount) + n;
    if (needed <= fCapacity) return true;
    if (fStep == 0) return false;
    const uint64_t capacity = GrownCapacity(fCapacity, needed, fStep, UINT32_MAX / sizeof(T));
    const uint64_t bytes = capacity * sizeof(T);
    if (capacity > UINT32_MAX || bytes > UINT32_MAX) return false;
    if (!this->Resize(uint32_t(bytes), true)) return false;
    fCapacity = uint32_t(capacity);
    return true;
  }

 private:
  static uint32_t ByteSize(int32_t records) {
    const uint64_t bytes = uint64_t(std::max(records, 0)) * sizeof(T);
    return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
  }

  void FillSlots(uint32_t index, const T* value, uint32_t n) {
    T* records = this->GetTyped();
    if (value) {
      for (uint32_t i = 0; i < n; ++i) records[index + i] = *value;
    } else {
      std::memset(static_cast<void*>(records + index), 0, size_t(n) * sizeof(T));
    }
  }

  uint32_t fStep = 0;
  uint32_t fCapacity = 0;
  uint32_t fCount = 0;
  uint32_t fBusy = 0;
};
