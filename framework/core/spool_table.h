// Spool tables: pageable arrays of fixed-size records. CSpoolTableT<T> adds typed access and
// CSpoolDynTable<T> a count in use below a capacity that grows by a step. Records are reached only
// while the table is locked.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/core/subscriber.h"

// {environment, byte size, header bytes, record size, record count}.
struct STableLayout : SSpoolLayout {
  uint32_t recordSize = 0;
  uint32_t recordCount = 0;

  void SetSized(CSpoolSys* env, uint32_t size, uint32_t count);
  void Set(CSpoolSys* env, uint32_t count, uint32_t size) { SetSized(env, size, count); }
  void SetSwapped(CSpoolSys* env, uint32_t size, uint32_t count) { SetSized(env, size, count); }
  // False, with the byte size at its largest, when record size × count does not fit 32 bits.
  bool UpdateByteSize();
};

// A growable table's layout adds {initial count, growth step}.
struct SDynTableLayout : STableLayout {
  SRange range;
};

// Tables of pointers: records a pointer wide.
struct SPtrTableLayout : SDynTableLayout {
  void Set(CSpoolSys* env, uint32_t count, uint32_t step);
};

class CSpoolTable : public CSubscriber {
 public:
  // A table whose data would exceed 32 bits is refused (invalid, error 22).
  explicit CSpoolTable(const STableLayout& layout);
  CSpoolTable(const STableLayout& layout, const SSpoolTableSpec& spec);

  bool SetSize(uint32_t recordSize, uint32_t count, bool keep, bool defer);
  bool IsUsable() const;
  uint32_t GetRecordSize() const { return fRecordSize; }
  uint32_t GetRecordCount() const { return fRecordCount; }

  // The default spool-system handler of every subscriber row (SSpoolSysRecord messages).
  static int32_t HandleSpoolMessage(void* subscriber, void* record, void* data);

 protected:
  static constexpr uint32_t kGrowthHeaderSize = 32;

  // The state of the growable form; the capacity is the record count.
  struct SGrowth {
    uint32_t step = 0;
    uint32_t count = 0;
    // Grows as GrownCapacity (dyn_table.h) says rather than by the step alone: for tables that are
    // never stored with their room, since the room past the count would be written too.
    bool geometric = false;
  };
  // typeSize 0 takes any record size.
  CSpoolTable(const STableLayout& layout, uint32_t typeSize, const SSpoolTableSpec* spec);

  bool AppendRecords(SGrowth& growth, const void* record, uint32_t n);
  bool FillRecords(const SGrowth& growth, uint32_t first, const void* record, uint32_t n);
  bool RemoveRecords(SGrowth& growth, uint32_t index, uint32_t n);
  // Messages 8, 9 and 10 for a stored header of big-endian words {record size, capacity, step, count}.
  static uint32_t HandleGrowthMessage(CSpoolTable* table, SGrowth& growth, uint32_t typeSize, uint32_t message,
                                      void* argument);

 private:
  uint32_t fRecordSize = 0;
  uint32_t fRecordCount = 0;
};

template <typename T>
class CSpoolTableT : public CSpoolTable {
 public:
  // The layout's record size must be sizeof(T) (else invalid, error 16).
  explicit CSpoolTableT(const STableLayout& layout) : CSpoolTable(layout, sizeof(T), nullptr) {}
  CSpoolTableT(const STableLayout& layout, const SSpoolTableSpec& spec) : CSpoolTable(layout, sizeof(T), &spec) {}

  // Valid while locked.
  T* GetRecords() const { return reinterpret_cast<T*>(GetData()); }
  T& operator[](uint32_t index) const { return GetRecords()[index]; }
};

template <typename T>
class CSpoolDynTable : public CSpoolTableT<T> {
 public:
  explicit CSpoolDynTable(const SDynTableLayout& layout) : CSpoolTableT<T>(layout) { SetStep(layout.range); }
  CSpoolDynTable(const SDynTableLayout& layout, const SSpoolTableSpec& spec) : CSpoolTableT<T>(layout, spec) {
    SetStep(layout.range);
  }
  // Leaves its environment while still whole: writing it back there runs its record-type handler,
  // which reaches the growth state.
  ~CSpoolDynTable() override {
    if (this->IsSubscribed()) this->Unsubscribe();
  }

  uint32_t GetCount() const { return fGrowth.count; }
  uint32_t GetCapacity() const { return this->GetRecordCount(); }
  uint32_t GetStep() const { return fGrowth.step; }

  // n copies of *record (zeros when null) after the last record; grows by max(shortfall, step), or
  // geometrically (SGrowth).
  bool Append(const T* record, uint32_t n = 1) {
    if (!record) return this->AppendRecords(fGrowth, nullptr, n);
    const T copy = *record;  // the record may lie in the storage that growth moves
    return this->AppendRecords(fGrowth, &copy, n);
  }
  // Copies *record into slots first to first + n - 1, never past the count.
  bool SetRange(uint32_t first, const T& record, uint32_t n) { return this->FillRecords(fGrowth, first, &record, n); }
  bool RemoveAt(uint32_t index, uint32_t n = 1) { return this->RemoveRecords(fGrowth, index, n); }

  // The record-type handler of tables stored with their header.
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
    auto* table = static_cast<CSpoolDynTable*>(object);
    return CSpoolTable::HandleGrowthMessage(table, table->fGrowth, sizeof(T), message, argument);
  }

 protected:
  void SetGeometric(bool geometric) { fGrowth.geometric = geometric; }

 private:
  void SetStep(SRange range) { fGrowth.step = range.second < 0 ? 0 : uint32_t(range.second); }

  typename CSpoolTable::SGrowth fGrowth;
};

// The 40-byte record of lists of named entries.
struct SNamedEntry {
  static constexpr uint32_t kNameChars = 32;

  char name[kNameChars + 1] = {};
  uint8_t flag = 0;
  uint16_t number16 = 0;
  uint32_t number32 = 0;

  // A longer name keeps its first 32 characters.
  void Set(const char* text, uint32_t n32, uint16_t n16, uint8_t flags);
};

static_assert(sizeof(SNamedEntry) == 40);
