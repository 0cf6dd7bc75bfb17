#include "scene/segment_clip.h"

#include <gtest/gtest.h>

namespace {

using Point = vector3<double>;

TEST(SegmentClip, TheEndOnTheWrongSideMovesOntoTheLevel) {
  const struct {
    const char* name;
    bool above;
    Point a, b;
    bool kept;
    Point clippedA, clippedB;
  } cases[] = {
      {"above: b below", true, {0, 4, 0}, {4, 0, 8}, true, {0, 4, 0}, {2, 2, 4}},
      {"above: a below", true, {4, 0, 8}, {0, 4, 0}, true, {2, 2, 4}, {0, 4, 0}},
      {"above: both above", true, {0, 3, 0}, {1, 2, 1}, true, {0, 3, 0}, {1, 2, 1}},
      {"above: one on the level", true, {0, 2, 0}, {1, 5, 1}, true, {0, 2, 0}, {1, 5, 1}},
      {"above: both below", true, {0, 1, 0}, {1, 0, 1}, false, {0, 1, 0}, {1, 0, 1}},
      {"below: a above", false, {0, 4, 0}, {4, 0, 8}, true, {2, 2, 4}, {4, 0, 8}},
      {"below: both below", false, {0, 1, 0}, {1, 0, 1}, true, {0, 1, 0}, {1, 0, 1}},
      {"below: both above", false, {0, 3, 0}, {1, 5, 1}, false, {0, 3, 0}, {1, 5, 1}},
  };
  for (const auto& c : cases) {
    Point a = c.a, b = c.b;
    const bool kept = c.above ? ClipSegmentAboveLevel(a, b, 2) : ClipSegmentBelowLevel(a, b, 2);
    EXPECT_EQ(kept, c.kept) << c.name;
    EXPECT_EQ(a, c.clippedA) << c.name;
    EXPECT_EQ(b, c.clippedB) << c.name;
  }
}

}  // namespace
