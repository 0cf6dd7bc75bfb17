#include "scene/boolean_resolver.h"

#include <new>

#include "framework/core/result_codes.h"

namespace {

bool IsEntry(const CBooleanResolver::STValue& value) { return value.ordinal % 2 == 0; }

// The first value of the table whose t is not below t.
size_t InsertionPoint(const std::vector<CBooleanResolver::STValue>& values, double t) {
  size_t at = 0;
  while (at < values.size() && values[at].t < t) ++at;
  return at;
}

// False when memory fails, the list then unchanged.
bool Insert(std::vector<CBooleanResolver::STValue>& values, const CBooleanResolver::STValue& value) {
  try {
    values.insert(values.begin() + std::ptrdiff_t(InsertionPoint(values, value.t)), value);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

void CBooleanResolver::Reset() {
  for (uint32_t list = 0; list < 3; ++list) {
    fLists[list].clear();
    fUsed[list] = 0;
  }
}

void CBooleanResolver::BeginList(uint32_t list, SCursor& cursor) {
  cursor = SCursor{list, 0};
  fUsed[list] = 1;
}

int32_t CBooleanResolver::AddValue(SCursor& cursor, double t, const SSpanEntry* span) {
  if (!Insert(fLists[cursor.list], STValue{t, cursor.ordinal, 0, span, cursor.list})) return kErrOutOfMemory;
  ++cursor.ordinal;
  return kNoErr;
}

void CBooleanResolver::EndList(const SCursor& cursor) {
  int32_t depth = 0;
  for (STValue& value : fLists[cursor.list]) {
    if (IsEntry(value)) {
      if (depth > 0) value.removal = 1;
      ++depth;
    } else {
      if (depth > 1) value.removal = 1;
      --depth;
    }
  }
  RemoveFlagged(cursor.list);
}

void CBooleanResolver::RemoveFlagged(uint32_t list) {
  std::vector<STValue>& values = fLists[list];
  size_t kept = 0;
  for (const STValue& value : values) {
    if (!value.removal) values[kept++] = value;
  }
  values.resize(kept);
}

int32_t CBooleanResolver::Resolve() {
  int32_t result = kNoErr;
  if (!fLists[kPositiveList].empty()) {
    if (!fLists[kNegativeList].empty() || fUsed[kNegativeList]) result = ApplyNegative();
    if (!result && (!fLists[kIntersectList].empty() || fUsed[kIntersectList])) result = ApplyIntersect();
  }
  for (uint8_t& used : fUsed) used = 0;
  return result;
}

int32_t CBooleanResolver::MergeIntoPositive(uint32_t list) {
  for (const STValue& value : fLists[list]) {
    if (!Insert(fLists[kPositiveList], value)) return kErrOutOfMemory;
  }
  return kNoErr;
}

int32_t CBooleanResolver::ApplyNegative() {
  if (const int32_t error = MergeIntoPositive(kNegativeList)) return error;
  bool insidePositive = false, insideNegative = false;
  for (STValue& value : fLists[kPositiveList]) {
    const bool entry = IsEntry(value);
    if (value.list != kNegativeList) {
      if (insideNegative) value.removal = 1;
      insidePositive = entry;
      continue;
    }
    if (!insidePositive) value.removal = 1;
    // Inside the solid a carved part's entry is where the material ends, and its exit where it resumes.
    else value = STValue{value.t, entry ? 1u : 0u, 0, value.span, kPositiveList};
    insideNegative = entry;
  }
  RemoveFlagged(kPositiveList);
  return kNoErr;
}

int32_t CBooleanResolver::ApplyIntersect() {
  if (const int32_t error = MergeIntoPositive(kIntersectList)) return error;
  bool insideIntersect = false, insidePositive = false;
  for (STValue& value : fLists[kPositiveList]) {
    const bool entry = IsEntry(value);
    if (value.list != kIntersectList) {
      if (!insideIntersect) value.removal = 1;
      insidePositive = entry;
      continue;
    }
    if (!insidePositive) value.removal = 1;
    else if (!entry) value.list = kPositiveList;
    insideIntersect = entry;
  }
  RemoveFlagged(kPositiveList);
  return kNoErr;
}
