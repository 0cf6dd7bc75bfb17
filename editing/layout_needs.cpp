#include "editing/layout_needs.h"

namespace need {

const SLayoutNeed kProgressReplicate{SLayoutNeed::kTextList, "system.dat", "progress replicate", 0, nullptr,
                                     SLayoutNeed::kAnyElement, 1};

}  // namespace need

SLayoutNeedTable EditingLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {&need::kProgressReplicate};
  return {kNeeds, sizeof kNeeds / sizeof kNeeds[0]};
}
