#include "render/abstract_optimizer.h"

#include <algorithm>
#include <functional>

#include "framework/core/mem_pool.h"
#include "scene/object.h"
#include "scene/ray.h"

CMemPool* OptimizerTablePool() {
  CMemPool* pool = GetDefaultPool();
  return pool ? pool : GetDataPool();
}

CAbstractOptimizer::CAbstractOptimizer() : fIndex(SRange{0, 8}, OptimizerTablePool()) {}

bool CAbstractOptimizer::TestRecord(const SOptimizerObject& record, CRay& ray) {
  if (record.fObject == ray.fSkipObject || !record.fObject->Intersect(ray)) return false;
  ray.fTMax = float(ray.fHitT);
  return true;
}

void CAbstractOptimizer::ClearIndex() {
  fIndex.Clear();
  fIndex.Trim();
}

bool CAbstractOptimizer::IndexRecords(std::initializer_list<const CDynTable<SOptimizerObject>*> tables) {
  ClearIndex();
  fIndex.SetStep(8);
  uint32_t total = 0;
  for (const CDynTable<SOptimizerObject>* table : tables) total += table->GetCount();
  if (!fIndex.Reserve(total)) return false;
  for (const CDynTable<SOptimizerObject>* table : tables) {
    for (uint32_t i = 0; i < table->GetCount(); ++i) fIndex.Append({(*table)[i].fObject, &(*table)[i]});
  }
  // An object entered twice is found under either record; both stand for the same object.
  std::sort(fIndex.GetRecords(), fIndex.GetRecords() + fIndex.GetCount(),
            [](const SIndexEntry& a, const SIndexEntry& b) { return std::less<>()(a.fObject, b.fObject); });
  return true;
}

SOptimizerObject* CAbstractOptimizer::FindRecord(const C3dObject* object) const {
  const SIndexEntry* begin = fIndex.GetRecords();
  const SIndexEntry* end = begin + fIndex.GetCount();
  if (!begin) return nullptr;
  const SIndexEntry* found = std::lower_bound(begin, end, object, [](const SIndexEntry& entry, const C3dObject* key) {
    return std::less<>()(entry.fObject, key);
  });
  return found != end && found->fObject == object ? found->fRecord : nullptr;
}
