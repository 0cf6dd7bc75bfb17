// Rows by 32-bit id in one array of slots (open addressing, linear probing): no allocation per entry,
// and growing rehashes a sequential array instead of chasing a node per entry through memory, which
// dominated indexing a table of many things.
#pragma once

#include <cstdint>
#include <vector>

class CIdIndex {
 public:
  // An id entered already keeps its first row.
  void Insert(uint32_t id, uint32_t row);
  // The id's row, or null.
  const uint32_t* Find(uint32_t id) const;
  bool Contains(uint32_t id) const { return Find(id) != nullptr; }
  uint32_t GetCount() const { return fCount; }
  void Clear();

 private:
  // No row is this large: a table's rows are counted in 32 bits.
  static constexpr uint32_t kFree = UINT32_MAX;
  struct SSlot {
    uint32_t id = 0;
    uint32_t row = kFree;
  };

  uint32_t Home(uint32_t id) const;
  void Grow();

  std::vector<SSlot> fSlots;
  uint32_t fCount = 0;
};
