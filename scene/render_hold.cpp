#include "scene/render_hold.h"

#include <algorithm>
#include <map>

#include "framework/core/mem_pool.h"
#include "framework/core/spool_mem.h"

namespace {

// The bytes held in each pool, by the holds of every object.
std::map<const CMemPool*, uint64_t>& Held() {
  static std::map<const CMemPool*, uint64_t> held;
  return held;
}

std::mutex& Turn() {
  static std::mutex turn;
  return turn;
}

uint64_t BytesOf(const CSpoolMem& block) { return block.GetSpooledBytes(); }

// Whether the blocks fit within the share of each pool that holds may take, beside what is held
// already: the rest is room for the unheld objects, which threads page in one at a time.
bool FitsShare(std::initializer_list<CSpoolMem*> blocks) {
  std::map<const CMemPool*, uint64_t> wanted;
  for (const CSpoolMem* block : blocks) {
    if (!block || !block->GetPool()) return false;
    wanted[block->GetPool()] += BytesOf(*block);
  }
  for (const auto& [pool, bytes] : wanted) {
    if (Held()[pool] + bytes > uint64_t(pool->GetBudget()) / 4 * 3) return false;
  }
  return true;
}

}  // namespace

CRenderHold::~CRenderHold() { Release(); }

bool CRenderHold::Begin(std::initializer_list<CSpoolMem*> blocks) {
  if (fDepth++ > 0) return false;
  if (blocks.size() > kMostBlocks || !FitsShare(blocks)) return true;
  for (CSpoolMem* block : blocks) {
    if (!block->Lock()) {
      Release();
      fDepth = 1;
      return true;
    }
    fBytes[fCount] = BytesOf(*block);
    fBlocks[fCount++] = block;
    Held()[block->GetPool()] += fBytes[fCount - 1];
  }
  return true;
}

bool CRenderHold::End() {
  if (fDepth == 0 || --fDepth > 0) return false;
  Release();
  return true;
}

void CRenderHold::Release() {
  while (fCount) {
    CSpoolMem* block = fBlocks[--fCount];
    uint64_t& held = Held()[block->GetPool()];
    held -= std::min(held, fBytes[fCount]);
    block->Unlock(false, false);
  }
  fDepth = 0;
}

uint64_t CRenderHold::HeldBytes() {
  uint64_t bytes = 0;
  for (const auto& [pool, held] : Held()) bytes += held;
  return bytes;
}

CRenderHold::CTurn::CTurn(const CRenderHold& hold) {
  if (hold.IsRendering()) fLock = std::unique_lock<std::mutex>(Turn());
}
