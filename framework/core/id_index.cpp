#include "framework/core/id_index.h"

#include <algorithm>
#include <iterator>

namespace {

// The largest prime below each power of two: ids taken modulo a prime spread whatever stride they
// share, and ids counted up one by one, as documents hold them, lie side by side in the array.
constexpr uint32_t kCapacities[] = {61,       127,      251,       509,       1021,      2039,      4093,
                                    8191,     16381,    32749,     65521,     131071,    262139,    524287,
                                    1048573,  2097143,  4194301,   8388593,   16777213,  33554393,  67108859,
                                    134217689, 268435399, 536870909, 1073741789, 2147483647};

}  // namespace

uint32_t CIdIndex::Home(uint32_t id) const { return id % uint32_t(fSlots.size()); }

void CIdIndex::Insert(uint32_t id, uint32_t row) {
  // Kept at most half full, so that probes stay short and always meet a free slot; at the largest
  // capacity (2^30 ids, more than a table's memory holds) a further id is not entered.
  if (2 * (uint64_t(fCount) + 1) > fSlots.size()) Grow();
  if (2 * (uint64_t(fCount) + 1) > fSlots.size()) return;
  const uint32_t size = uint32_t(fSlots.size());
  for (uint32_t at = Home(id);; at = at + 1 == size ? 0 : at + 1) {
    SSlot& slot = fSlots[at];
    if (slot.row == kFree) {
      slot = {id, row};
      ++fCount;
      return;
    }
    if (slot.id == id) return;
  }
}

const uint32_t* CIdIndex::Find(uint32_t id) const {
  if (fSlots.empty()) return nullptr;
  const uint32_t size = uint32_t(fSlots.size());
  for (uint32_t at = Home(id);; at = at + 1 == size ? 0 : at + 1) {
    const SSlot& slot = fSlots[at];
    if (slot.row == kFree) return nullptr;
    if (slot.id == id) return &slot.row;
  }
}

void CIdIndex::Clear() {
  fSlots.clear();
  fCount = 0;
}

void CIdIndex::Grow() {
  const uint32_t* next = std::upper_bound(std::begin(kCapacities), std::end(kCapacities), uint32_t(fSlots.size()));
  if (next == std::end(kCapacities)) return;
  std::vector<SSlot> old(*next);
  old.swap(fSlots);
  fCount = 0;
  for (const SSlot& slot : old) {
    if (slot.row != kFree) Insert(slot.id, slot.row);
  }
}
