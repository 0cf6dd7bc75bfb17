#include "document/layout_needs.h"

namespace need {

const SLayoutNeed kGetFileFilter{SLayoutNeed::kTextList, "system.dat", "get file filter", 0, nullptr,
                                 SLayoutNeed::kAnyElement, 4};
const SLayoutNeed kPutFileFilter{SLayoutNeed::kTextList, "system.dat", "put file filter", 0, nullptr,
                                 SLayoutNeed::kAnyElement, 2};
const SLayoutNeed kProgressResetLoad{SLayoutNeed::kTextList, "system.dat", "progress reset load", 0, nullptr,
                                     SLayoutNeed::kAnyElement, 1};
const SLayoutNeed kPluginText{SLayoutNeed::kTextList, "system.dat", "plugin text", 0, nullptr,
                              SLayoutNeed::kAnyElement, 10};

}  // namespace need

SLayoutNeedTable DocumentLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {&need::kGetFileFilter, &need::kPutFileFilter, &need::kProgressResetLoad,
                                              &need::kPluginText};
  return {kNeeds, sizeof kNeeds / sizeof kNeeds[0]};
}
