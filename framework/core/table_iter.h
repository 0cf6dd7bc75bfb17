// Walks over a table's records by a 32-bit index: CIndex::Clear starts one, CTableIter::Next steps it.
#pragma once

#include <cstdint>

struct CIndex {
  static void Clear(uint32_t& index) { index = 0; }
};

struct CTableIter {
  // Moves to the next record while there is one; at the last record it answers false and leaves the
  // index as it is.
  template <typename Table>
  static bool Next(const Table& table, uint32_t& index) {
    if (uint64_t(index) + 1 >= table.GetCount()) return false;
    ++index;
    return true;
  }
};
