// The flat optimizer: every object in one list, each tested for every ray.
#pragma once

#include "render/abstract_optimizer.h"

class CNullOptimizer : public CAbstractOptimizer {
 public:
  CNullOptimizer();

  bool Add(C3dObject* object) override;
  bool Begin() override;
  bool Build() override;
  bool Reserve(uint32_t count) override;
  bool Intersect(CRay& ray) override;

  uint32_t GetCount() const { return fRecords.GetCount(); }
  const SOptimizerObject& GetRecord(uint32_t index) const { return fRecords[index]; }

 private:
  static constexpr uint32_t kGrowthStep = 8;

  CDynTable<SOptimizerObject> fRecords;
};
