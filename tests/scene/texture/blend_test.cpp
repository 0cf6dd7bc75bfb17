#include "scene/texture/blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Point = vector3<double>;

double Quarter(const Point&, int32_t) { return 0.25; }

// A noise that grows with x, so that every sample can be told apart by hand.
double Probe(const Point& p, int32_t) { return (p.x + 10) / 100; }

std::vector<Point> gCalls;

double Recording(const Point& p, int32_t d) {
  gCalls.push_back(p);
  return GetNoiseFunction(6)(p, d);
}

TEST(Blend, CodesGiveOctavesAndKinds) {
  const struct {
    int32_t code, octaves, kind;
  } cases[] = {
      {0x0A05, 0, 1},
      {0x0A0B, 0, 1},
      {256 * (10 * 12 + 9) + 27, 9, 12},
      {256 * 130, 0, 0},  // quotient 13
      {256 * 5, 5, 0},
      {-1, 9, 0},  // arithmetic shift: −1; the octave count stays within 0..9
      {-256 * 25, 5, 0},
      {-256 * 120, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t octaves = -7, kind = -7;
    GetBlendFunction(c.code, octaves, kind);
    EXPECT_EQ(octaves, c.octaves) << c.code;
    EXPECT_EQ(kind, c.kind) << c.code;
  }
  EXPECT_EQ(BlendOfKind(13), BlendOfKind(0));
  EXPECT_EQ(BlendOfKind(-1), BlendOfKind(0));
}

TEST(Blend, WithoutNoiseEveryKindGivesOneHalfAndLeavesThePoint) {
  for (int32_t kind = 0; kind <= 12; ++kind)
    for (int32_t octaves : {0, 3}) {
      Point p{1, 2, 3};
      EXPECT_EQ(BlendOfKind(kind)(nullptr, p, 2, octaves), 0.5) << kind;
      EXPECT_EQ(p, (Point{1, 2, 3})) << kind;
    }
}

TEST(Blend, NoOctavesGiveTheFirstSample) {
  const Point start{0.3, -1.7, 2.2};
  const double first = GetNoiseFunction(6)(start, 2);
  for (int32_t kind = 0; kind <= 12; ++kind) {
    gCalls.clear();
    Point p = start;
    const double v = BlendOfKind(kind)(Recording, p, 2, 0);
    if (kind == 8) {
      const double shifted = GetNoiseFunction(6)(start + Point{0.15, 0.15, 0.15}, 2);
      EXPECT_EQ(v, std::min(1.0, std::fabs(first - shifted) * 8));
    } else if (kind == 11) {
      ASSERT_EQ(gCalls.size(), 1u);
      EXPECT_NE(gCalls[0], start);  // the swirled point
      EXPECT_EQ(v, GetNoiseFunction(6)(gCalls[0], 2));
    } else {
      ASSERT_EQ(gCalls.size(), 1u) << kind;
      EXPECT_EQ(gCalls[0], start) << kind;
      EXPECT_EQ(v, first) << kind;
    }
  }
}

TEST(Blend, KnownFolds) {
  const struct {
    int32_t kind;
    NoiseFunction noise;
    Point p;
    int32_t d, octaves;
    double expected;
  } cases[] = {
      {0, Quarter, {1, 2, 3}, 2, 1, 0.25},  // weights 1 and 2
      {1, Quarter, {1, 2, 3}, 2, 4, 0.25},
      {3, Quarter, {1, 2, 3}, 2, 2, 0.25},
      {5, Quarter, {1, 2, 3}, 2, 2, 0.25},
      {7, Quarter, {1, 2, 3}, 2, 2, 0.015625},
      {4, Quarter, {1, 2, 3}, 2, 1, (0.25 + 0.35 * 0.25 * 0.65) / 1.65},
      {0, Probe, {4, 0, 0}, 2, 2, (0.14 + 0.12 * 2 + 0.11 * 4) / 7},
      // Samples at p = (1, 2, 3), A = (−3, 2, 1), B = (1, 3, 2), and at p/2 and its swaps: 0.11, 0.07,
      // 0.11, then 0.105, 0.085, 0.105.
      {9, Probe, {1, 2, 3}, 2, 1, 0.11},
      {9, Probe, {1, 2, 3}, 2, 3, (0.105 + 0.11) / 2},
      {9, Probe, {1, 2, 3}, 2, 5, (0.105 + 0.11) / 2},
      {10, Probe, {1, 2, 3}, 2, 2, 0.07},
      {10, Probe, {1, 2, 3}, 2, 3, (0.105 + 0.07) / 2},
      {10, Probe, {1, 2, 3}, 2, 4, (0.085 + 0.07) / 2},
      {10, Probe, {3, 2, 1}, 0, 2, 0.08},  // one dimension: B = (−y, x, z)
      {12, Probe, {1, 2, 3}, 2, 1, (0.95 + 331.33 + 10) / 100},
  };
  for (const auto& c : cases) {
    Point p = c.p;
    EXPECT_NEAR(BlendOfKind(c.kind)(c.noise, p, c.d, c.octaves), c.expected, 1e-9)
        << "kind " << c.kind << " octaves " << c.octaves;
  }
}

// The phase warp relies on which kinds move the caller's point.
TEST(Blend, InPlaceKindsMoveTheCallersPoint) {
  const Point start{1, 2, 3};
  const double drift = (2 * 0.95 + 331.33) * 0.95 + 331.33;
  for (int32_t kind = 0; kind <= 12; ++kind) {
    Point p = start;
    BlendOfKind(kind)(Probe, p, 2, 2);
    switch (kind) {
      case 0:
      case 1:
      case 2:
      case 8: EXPECT_EQ(p, start * 0.25) << kind; break;
      case 3:
      case 7: EXPECT_NE(p, start) << kind; break;
      case 12: EXPECT_EQ(p, (Point{1, drift, (3 * 0.95 + 331.33) * 0.95 + 331.33})) << kind; break;
      default: EXPECT_EQ(p, start) << kind;
    }
  }
}

TEST(Blend, MultifractalStartScale) {
  const struct {
    int32_t octaves;
    double scale;
  } cases[] = {{1, 0.5}, {2, 0.5}, {3, 0.25}, {5, 0.0625}};
  const Point start{1.5, -2.5, 4};
  for (const auto& c : cases) {
    gCalls.clear();
    Point p = start;
    BlendOfKind(4)(Recording, p, 2, c.octaves);
    ASSERT_EQ(gCalls.size(), size_t(c.octaves) + 1);
    EXPECT_EQ(gCalls[0], start * c.scale) << c.octaves;
  }
}

}  // namespace
