// The resolver that combines the spans of a boolean group's members along one ray: positive members
// add solid, negative members carve it away, intersect members keep only what lies inside them. Each
// render thread has its own (in its ray scratch), which serves the groups of one ray at a time; its
// lists grow from the heap, never from a pool that the calling thread may be using.
#pragma once

#include <cstdint>
#include <vector>

struct SSpanEntry;

class CBooleanResolver {
 public:
  enum : uint32_t { kPositiveList = 0, kNegativeList = 1, kIntersectList = 2 };

  // One crossing of a member's surface. An even ordinal enters the member, an odd one leaves it.
  struct STValue {
    double t = 0;
    uint32_t ordinal = 0;
    uint8_t removal = 0;
    const SSpanEntry* span = nullptr;
    uint32_t list = 0;
  };
  struct SCursor {
    uint32_t list = 0;
    uint32_t ordinal = 0;
  };

  // Empties the lists and clears their used flags.
  void Reset();
  // Starts a member's values for one list; the list counts as used even if none follow.
  void BeginList(uint32_t list, SCursor& cursor);
  // Inserted in front of the first value whose t is not below it: the newest of equal values comes
  // first. 9 when the list cannot grow.
  int32_t AddValue(SCursor& cursor, double t, const SSpanEntry* span);
  // Keeps only the outermost entry and exit of each run of overlapping intervals of the list.
  void EndList(const SCursor& cursor);
  // Combines the lists; the positive list then holds the result. 9 when a list cannot grow.
  int32_t Resolve();

  const std::vector<STValue>& GetList(uint32_t list) const { return fLists[list]; }

 private:
  // Merges a list into the positive list, each value in front of the first positive one whose t is
  // not below it, so that at equal t the merged value comes first.
  int32_t MergeIntoPositive(uint32_t list);
  int32_t ApplyNegative();
  int32_t ApplyIntersect();
  void RemoveFlagged(uint32_t list);

  std::vector<STValue> fLists[3];
  uint8_t fUsed[3] = {};
};
