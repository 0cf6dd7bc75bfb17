#include "render/null_optimizer.h"

CNullOptimizer::CNullOptimizer() : fRecords(SRange{0, kGrowthStep}, OptimizerTablePool()) {
  fValid = fRecords.IsValid();
}

bool CNullOptimizer::Begin() {
  fRecords.Clear();
  fRecords.SetStep(kGrowthStep);
  fRecords.Trim();
  ClearIndex();
  return true;
}

bool CNullOptimizer::Reserve(uint32_t count) {
  fRecords.Clear();
  return fRecords.Reserve(count);
}

// The object's bounds are not needed: every record is tested.
bool CNullOptimizer::Add(C3dObject* object) { return fRecords.Append({object, {}}); }

bool CNullOptimizer::Build() {
  fRecords.SetStep(0);
  return IndexRecords({&fRecords});
}

bool CNullOptimizer::Intersect(CRay& ray) { return TestRecords(fRecords, ray); }
