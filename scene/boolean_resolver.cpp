#include "scene/boolean_resolver.h"

#include "framework/core/result_codes.h"

namespace {

constexpr int32_t kListStep = 32;

bool IsEntry(const CBooleanResolver::STValue& value) { return value.ordinal % 2 == 0; }

// The first value of the table whose t is not below t.
uint32_t InsertionPoint(const CDynTable<CBooleanResolver::STValue>& values, double t) {
  uint32_t at = 0;
  while (at < values.GetCount() && values[at].t < t) ++at;
  return at;
}

}  // namespace

CBooleanResolver::CBooleanResolver()
    : fLists{CDynTable<STValue>(SRange{0, kListStep}), CDynTable<STValue>(SRange{0, kListStep}),
             CDynTable<STValue>(SRange{0, kListStep})} {}

bool CBooleanResolver::IsValid() const {
  return fLists[0].IsValid() && fLists[1].IsValid() && fLists[2].IsValid();
}

void CBooleanResolver::Reset() {
  for (uint32_t list = 0; list < 3; ++list) {
    fLists[list].Clear();
    fUsed[list] = 0;
  }
}

void CBooleanResolver::BeginList(uint32_t list, SCursor& cursor) {
  cursor = SCursor{list, 0};
  fUsed[list] = 1;
}

int32_t CBooleanResolver::AddValue(SCursor& cursor, double t, const SSpanEntry* span) {
  CDynTable<STValue>& values = fLists[cursor.list];
  const STValue value{t, cursor.ordinal, 0, span, cursor.list};
  if (!values.InsertAt(InsertionPoint(values, t), &value, 1)) return kErrOutOfMemory;
  ++cursor.ordinal;
  return kNoErr;
}

void CBooleanResolver::EndList(const SCursor& cursor) {
  CDynTable<STValue>& values = fLists[cursor.list];
  int32_t depth = 0;
  for (uint32_t i = 0; i < values.GetCount(); ++i) {
    STValue& value = values[i];
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
  CDynTable<STValue>& values = fLists[list];
  uint32_t kept = 0;
  for (uint32_t i = 0; i < values.GetCount(); ++i) {
    if (!values[i].removal) values[kept++] = values[i];
  }
  if (kept < values.GetCount()) values.RemoveAt(kept, values.GetCount() - kept);
}

int32_t CBooleanResolver::Resolve() {
  int32_t result = kNoErr;
  if (fLists[kPositiveList].GetCount()) {
    if (fLists[kNegativeList].GetCount() || fUsed[kNegativeList]) result = ApplyNegative();
    if (!result && (fLists[kIntersectList].GetCount() || fUsed[kIntersectList])) result = ApplyIntersect();
  }
  for (uint8_t& used : fUsed) used = 0;
  return result;
}

int32_t CBooleanResolver::MergeIntoPositive(uint32_t list) {
  CDynTable<STValue>& positive = fLists[kPositiveList];
  const CDynTable<STValue>& merged = fLists[list];
  for (uint32_t i = 0; i < merged.GetCount(); ++i) {
    if (!positive.InsertAt(InsertionPoint(positive, merged[i].t), &merged[i], 1)) return kErrOutOfMemory;
  }
  return kNoErr;
}

int32_t CBooleanResolver::ApplyNegative() {
  if (const int32_t error = MergeIntoPositive(kNegativeList)) return error;
  CDynTable<STValue>& values = fLists[kPositiveList];
  bool insidePositive = false, insideNegative = false;
  for (uint32_t i = 0; i < values.GetCount(); ++i) {
    STValue& value = values[i];
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
  CDynTable<STValue>& values = fLists[kPositiveList];
  bool insideIntersect = false, insidePositive = false;
  for (uint32_t i = 0; i < values.GetCount(); ++i) {
    STValue& value = values[i];
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
