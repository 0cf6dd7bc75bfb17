#include "render/optimizer_holder.h"

#include "render/abstract_optimizer.h"

namespace {

constexpr uint32_t kGrowthStep = 8;

}  // namespace

COptimizerHolder::COptimizerHolder(uint32_t level, uint32_t count)
    : fEntries(SRange{0, kGrowthStep}, OptimizerTablePool()) {
  fValid = fEntries.IsValid() && Build(level, count);
}

COptimizerHolder::~COptimizerHolder() { DeleteChildren(); }

void COptimizerHolder::DeleteChildren() {
  delete fFirstChild;
  delete fSecondChild;
  fFirstChild = fSecondChild = nullptr;
}

bool COptimizerHolder::Build(uint32_t level, uint32_t count) {
  DeleteChildren();
  fLevel = level;
  fEntries.SetStep(1);
  fEntries.Clear();
  fValid = fEntries.AppendN(nullptr, count);
  fEntries.SetStep(0);
  return fValid;
}

bool COptimizerHolder::Grow(uint32_t levels) {
  if (levels == 0) return fValid;
  COptimizerHolder* first = GetFirstChild();
  COptimizerHolder* second = GetSecondChild();
  return first && second && first->Grow(levels - 1) && second->Grow(levels - 1);
}

COptimizerHolder* COptimizerHolder::Child(COptimizerHolder*& child) {
  if (!child) child = new COptimizerHolder(fLevel + 1, fEntries.GetCount());
  return child && child->IsValid() ? child : nullptr;
}
