#include "scene/shape_intersection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "scene_fixture.h"

namespace {

constexpr double kSideA = 0.44720483191134;
constexpr double kSideB = 0.89443157274056;

// A ray already in the shape's space, its direction as given (not normalised).
CRay ObjectRay(vector3<double> origin, vector3<double> direction, float tMin = 0) {
  CRay ray;
  ray.fHit.fObjOrigin = origin;
  ray.fHit.fObjDirection = direction;
  ray.fTMin = tMin;
  ray.fTMax = std::numeric_limits<float>::infinity();
  ray.fWantsTexture = 1;
  return ray;
}

// The nearest crossing a core finds: none, or t with the object-space normal and, where given, u and v.
struct SNearestCase {
  const char* name;
  vector3<double> origin;
  vector3<double> direction;
  bool hit;
  double t = 0;
  vector3<double> normal = {};
  double u = -1;
  double v = -1;
  float tMin = 0;
};

template <typename Core>
void ExpectNearest(Core core, std::initializer_list<SNearestCase> cases) {
  for (const SNearestCase& c : cases) {
    const CRay ray = ObjectRay(c.origin, c.direction, c.tMin);
    SSpanEntry hit;
    ASSERT_EQ(core(ray, hit), c.hit) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(hit.fT, c.t, 1e-9) << c.name;
    ExpectNear(hit.fObjNormal, c.normal, 1e-6, c.name);
    ExpectNear(hit.fObjPoint, c.origin + c.direction * c.t, 1e-6, c.name);
    if (c.u >= 0) {
      EXPECT_NEAR(hit.fU, c.u, 1e-9) << c.name;
      EXPECT_NEAR(hit.fV, c.v, 1e-9) << c.name;
    }
  }
}

TEST(ShapeCores, TheBoxTakesTheNearestFaceAndTheEarlierOnATie) {
  auto box = [](const CRay& ray, SSpanEntry& hit) { return NearestBoxCrossing(ray, kBoxBottom, hit); };
  ExpectNearest(box,
                {
                    {"down -z", {0, 0, 5}, {0, 0, -1}, true, 4.5, {0, 0, 1}, 0.5, 0.5},
                    {"a -x face's normal points along +x", {-5, 0, 0}, {1, 0, 0}, true, 4.5, {1, 0, 0}},
                    {"the x faces need |dx| above 1e-6", {0.5, 0, 5}, {1e-7, 0, -1}, false},
                    {"an edge: x before y", {1.5, 1.5, 0}, {-1, -1, 0}, true, 1, {1, 0, 0}},
                    {"a crossing on the face's rim counts", {0.5, 0.5, 5}, {0, 0, -1}, true, 4.5, {0, 0, 1}},
                    {"t at the interval's start is refused", {0, 0, 5}, {0, 0, -1}, true, 5.5, {0, 0, 1}, -1, -1, 4.5f},
                    {"from inside only the exit", {0, 0, 0}, {0, 1, 0}, true, 0.5, {0, 1, 0}, 0.5, 0.5},
                });
  // With its bottom moved down the box reaches there.
  SSpanEntry hit;
  ASSERT_TRUE(NearestBoxCrossing(ObjectRay({0.25, -50, 0}, {0, -1, 0}), {-100, true}, hit));
  EXPECT_EQ(hit.fT, 50);
  EXPECT_EQ(hit.fObjPoint.y, -100);
}

TEST(ShapeCores, ThePyramidMeetsItsBaseAndSides) {
  auto pyramid = [](const CRay& ray, SSpanEntry& hit) { return NearestPyramidCrossing(ray, kPyramidBottom, hit); };
  ExpectNearest(
      pyramid,
      {
          {"down the axis: the first side at the apex", {0, 5, 0}, {0, -1, 0}, true, 4.5, {0, kSideA, -kSideB}},
          {"up the axis: the base", {0, -5, 0}, {0, 1, 0}, true, 4.5, {0, 1, 0}, 0.5, 0.5},
          {"a side face", {5, 0, 0}, {-1, 0, 0}, true, 5 - 0.5 * kSideA / kSideB, {kSideB, kSideA, 0}},
          {"beside it", {5, 0, 0.3}, {-1, 0, 0}, false},
          {"above the apex", {5, 0.6, 0}, {-1, 0, 0}, false},
      });
  // The apex has no width to measure u across.
  SSpanEntry hit;
  ASSERT_TRUE(pyramid(ObjectRay({0, 5, 0}, {0, -1, 0}), hit));
  EXPECT_EQ(hit.fU, 0.5);
  EXPECT_FALSE(std::isnan(hit.fV));
}

TEST(ShapeCores, TheConeTakesItsApexBackFromTheSolver) {
  auto cone = [](const CRay& ray, SSpanEntry& hit) { return NearestConeCrossing(ray, kConeBottom, hit); };
  ExpectNearest(cone, {
                          {"down the axis hits the apex", {0, 5, 0}, {0, -1, 0}, true, 4, {0, 1, 0}, 0, 1},
                          {"up the axis hits the base", {0, -5, 0}, {0, 1, 0}, true, 4, {0, -1, 0}, 0, 0},
                          {"parallel to a generator: only the base", {-1.2, 1, 0}, {0.5, -1, 0}, true, 2, {0, -1, 0}},
                          {"level rays never meet the base",
                           {-5, -1, 0},
                           {1, 0, 0},
                           true,
                           4,
                           vector3<double>{-1, 0.5, 0} * (1 / std::sqrt(1.25))},
                          {"a level ray through the apex's height beside it", {-5, 1, 0.5}, {1, 0, 0}, false},
                          {"the mantle",
                           {0.3, 0, -5},
                           {0, 0, 1},
                           true,
                           4.6,
                           vector3<double>{0.6, 0.5, -0.8} * (1 / std::sqrt(1.25)),
                           1 - std::acos(0.6) / (2 * std::numbers::pi),
                           0.5},
                          {"a grazing ray", {-5, 0, 0.5}, {1, 0, 0}, false},
                      });
}

TEST(ShapeCores, TheCylinderTestsItsDisksBeforeItsMantle) {
  auto cylinder = [](const CRay& ray, SSpanEntry& hit) { return NearestCylinderCrossing(ray, kCylinderBottom, hit); };
  ExpectNearest(cylinder, {
                              {"down the axis: the top", {0, 5, 0}, {0, -1, 0}, true, 4, {0, 1, 0}, 0, 0},
                              {"up the axis: the bottom", {0, -5, 0}, {0, 1, 0}, true, 4, {0, -1, 0}, 0, 0},
                              {"a disk's rim counts", {1, 5, 0}, {0, -1, 0}, true, 4, {0, 1, 0}},
                              {"level: only the mantle", {-5, 0, 0}, {1, 0, 0}, true, 4, {-1, 0, 0}, 0.5, 0.5},
                              {"the mantle's top edge counts", {-5, 1, 0}, {1, 0, 0}, true, 4, {-1, 0, 0}},
                              {"below the bottom", {0, -1.5, -5}, {0, 0, 1}, false},
                          });
  // Opened and moved down, the bottom lets the ray through to the top.
  SSpanEntry hit;
  ASSERT_TRUE(NearestCylinderCrossing(ObjectRay({0.5, -10, 0}, {0, 1, 0}), {kBeamBottom, false}, hit));
  EXPECT_EQ(hit.fT, 11);
}

TEST(ShapeCores, FlatShapesNeedTheirSteepness) {
  struct SCase {
    const char* name;
    EFlatShape shape;
    double dy;
    bool hit;
  } cases[] = {
      {"the plane keeps 1e-4", EFlatShape::kPlane, -1e-4, true},
      {"the plane refuses below it", EFlatShape::kPlane, -0.99999e-4, false},
      {"the square refuses 1e-5", EFlatShape::kSquare, -1e-5, false},
      {"the square keeps above it", EFlatShape::kSquare, -1.00001e-5, true},
      {"the disk refuses 1e-5", EFlatShape::kDisk, 1e-5, false},
      {"the disk keeps above it", EFlatShape::kDisk, 1.00001e-5, true},
  };
  for (const SCase& c : cases) {
    // From just off the plane to its middle.
    const CRay ray = ObjectRay({-0.1, -c.dy * 0.5, 0}, {0.1 / 0.5, c.dy, 0});
    SSpanEntry hit;
    ASSERT_EQ(NearestFlatCrossing(ray, c.shape, hit), c.hit) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(hit.fT, 0.5, 1e-9) << c.name;
    EXPECT_EQ(hit.fObjPoint.y, 0) << c.name;
    EXPECT_EQ(hit.fValid, 1) << c.name;
  }
}

TEST(ShapeCores, TheCamerasPickBodyIsThePyramidAtTwiceItsSize) {
  const SShapeBottom bottom{-1, true};
  for (const vector3<double>& direction : {vector3<double>{0, -1, 0}, {-1, 0, 0.2}, {0.3, 1, 0}, {0.1, 0.2, 1}}) {
    const vector3<double> origin = direction * -5 + vector3<double>{0.05, 0.1, -0.02};
    SSpanEntry unit, doubled;
    ASSERT_TRUE(NearestPyramidCrossing(ObjectRay(origin * 0.5, direction), kPyramidBottom, unit));
    ASSERT_TRUE(NearestPyramidCrossing(ObjectRay(origin, direction), bottom, doubled, 2));
    EXPECT_EQ(doubled.fT, 2 * unit.fT);
    EXPECT_EQ(doubled.fObjNormal, unit.fObjNormal);
    EXPECT_EQ(doubled.fObjPoint, unit.fObjPoint * 2);
    EXPECT_EQ(doubled.fU, unit.fU);
    EXPECT_EQ(doubled.fV, unit.fV);
  }
}

// ---- spans

using ShapeSpanTable = SceneTest;

std::vector<double> SpanTs(CSpanList& spans) {
  std::vector<double> ts;
  for (const SSpanEntry& span : spans) ts.push_back(span.fT);
  spans.clear();
  return ts;
}

TEST_F(ShapeSpanTable, CrossingsGoInIncreasingT) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  CRenderStats stats;
  auto ray = [&](vector3<double> origin, vector3<double> direction) { return MakeRay(stats, origin, direction); };
  struct SCase {
    const char* name;
    bool (*spans)(C3dObject&, CRay&, CSpanList&);
    CRay ray;
    std::vector<double> ts;
  } cases[] = {
      {"box from inside, behind the origin too",
       [](C3dObject& o, CRay& r, CSpanList& s) { return BoxSpans(o, r, s, kBoxBottom); },
       ray({0, 0, 0}, {1, 0, 0}),
       {-0.5, 0.5}},
      {"box along an edge",
       [](C3dObject& o, CRay& r, CSpanList& s) { return BoxSpans(o, r, s, kBoxBottom); },
       ray({-5, 0.5, 0.5}, {1, 0, 0}),
       {-0.5 + 5, 0.5 + 5}},
      {"cylinder from below: the top is found first",
       [](C3dObject& o, CRay& r, CSpanList& s) { return CylinderSpans(o, r, s, kCylinderBottom); },
       ray({0, -5, 0}, {0, 1, 0}),
       {4, 6}},
      {"cylinder's mantle",
       [](C3dObject& o, CRay& r, CSpanList& s) { return CylinderSpans(o, r, s, kCylinderBottom); },
       ray({-5, 0, 0}, {1, 0, 0}),
       {4, 6}},
      {"cone down the axis: apex, then base",
       [](C3dObject& o, CRay& r, CSpanList& s) { return ConeSpans(o, r, s, kConeBottom); },
       ray({0, 5, 0}, {0, -1, 0}),
       {4, 6}},
      {"pyramid up the axis",
       [](C3dObject& o, CRay& r, CSpanList& s) { return PyramidSpans(o, r, s, kPyramidBottom); },
       ray({0, -5, 0}, {0, 1, 0}),
       {4.5, 5.5}},
      {"sphere", [](C3dObject& o, CRay& r, CSpanList& s) { return SphereSpans(o, r, s); }, ray({0, 0, -5}, {0, 0, 1}), {4, 6}},
  };
  CSpanList spans;
  for (SCase& c : cases) {
    EXPECT_TRUE(c.spans(*solid, c.ray, spans)) << c.name;
    const std::vector<double> ts = SpanTs(spans);
    ASSERT_EQ(ts.size(), c.ts.size()) << c.name;
    for (size_t i = 0; i < ts.size(); ++i) EXPECT_NEAR(ts[i], c.ts[i], 1e-9) << c.name;
  }
  CRay beside = ray({-5, 2, 0}, {1, 0, 0});
  EXPECT_FALSE(BoxSpans(*solid, beside, spans, kBoxBottom));
  EXPECT_EQ(spans.size(), 0u);
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

TEST_F(ShapeSpanTable, AHitIsRecordedInWorldSpaceAndCounted) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  Place(solid, {2, 2, 2}, {10, 0, 0});
  CRenderStats stats;
  CRay ray = MakeRay(stats, {10, 0, 5}, {0, 0, -1});
  RayToObjectSpace(*solid, ray);
  SSpanEntry hit;
  ASSERT_TRUE(RecordNearest(*solid, ray, NearestBoxCrossing(ray, kBoxBottom, hit), hit));
  EXPECT_NEAR(ray.fHitT, 4, 1e-9);
  EXPECT_EQ(ray.fHitObject, solid);
  ExpectNear(ray.fHit.fPoint, {10, 0, 1}, 1e-9, "world point");
  ExpectNear(ray.fHit.fNormal, {0, 0, 1}, 1e-9, "world normal");
  EXPECT_FALSE(RecordNearest(*solid, ray, false, hit));
  EXPECT_EQ(stats.fHits, 1u);
  EXPECT_EQ(stats.fMisses, 1u);
}

// Spheres and flat shapes write a hit's surface straight into the ray: the record holds what
// recording the completed span entry of the shape's nearest crossing gives, bit for bit, whatever
// an earlier hit left in it, and keeps its texture values when the ray wants none.
TEST_F(ShapeSpanTable, ASphereOrFlatHitRecordsWhatItsSpanEntryWould) {
  // Turned, and placed exactly, so that rays along the axis meet the pole and the centre exactly.
  CTestSolid* turned = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  Place(turned, {2, 3, 1.5}, {4, -1, 2});
  turned->GetPlacement().SetRotation({0.3, -0.7, 0.2});
  CTestSolid* straight = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  Place(straight, {2, 4, 2}, {4, -1, 2});
  const EFlatShape flats[] = {EFlatShape::kPlane, EFlatShape::kSquare, EFlatShape::kDisk};
  const struct {
    const char* name;
    int shape;  // -1 the sphere, else the flat shape
    bool turned;
    vector3<double> from;  // object space, towards to
    vector3<double> to;
  } cases[] = {
      {"sphere's side", -1, true, {-3, 0.2, -2}, {0.3, 0.1, 0}},
      {"sphere's pole, where u and its tangent are 0", -1, false, {0, 5, 0}, {0, 0, 0}},
      {"plane", 0, true, {1, 4, -2}, {7, 0, 5}},
      {"square", 1, true, {1, 4, -2}, {0.5, 0, -0.25}},
      {"disk's centre, where its tangents are 0", 2, false, {0, -3, 0}, {0, 0, 0}},
      {"disk", 2, true, {0, 3, 0}, {0.3, 0, -0.4}},
  };
  for (const auto& c : cases) {
    CTestSolid* solid = c.turned ? turned : straight;
    const auto world = [&](vector3<double> p) { return solid->GetObjectToWorld().TransformPoint(p); };
    for (const uint32_t wantsTexture : {1u, 0u}) {
      CRenderStats stats;
      const vector3<double> origin = world(c.from), towards = world(c.to) - origin;
      const auto stale = [&] {
        CRay ray = MakeRay(stats, origin, towards * (1 / std::sqrt(Dot(towards, towards))));
        ray.fWantsTexture = wantsTexture;
        for (vector3<double>* v : {&ray.fHit.fObjPoint, &ray.fHit.fObjNormal, &ray.fHit.fObjShadingNormal,
                                   &ray.fHit.fPoint, &ray.fHit.fNormal, &ray.fHit.fShadingNormal,
                                   &ray.fHit.fTangentU, &ray.fHit.fTangentV})
          *v = {7, 7, 7};
        ray.fHit.fU = ray.fHit.fV = 7;
        return ray;
      };
      CRay direct = stale(), recorded = stale();
      ASSERT_TRUE(c.shape < 0 ? IntersectSphere(*solid, direct) : IntersectFlat(*solid, direct, flats[c.shape]))
          << c.name;
      RayToObjectSpace(*solid, recorded);
      SSpanEntry entry;
      const bool found = c.shape < 0 ? NearestSphereCrossing(recorded, entry)
                                     : NearestFlatCrossing(recorded, flats[c.shape], entry);
      ASSERT_TRUE(RecordNearest(*solid, recorded, found, entry)) << c.name;
      EXPECT_EQ(direct.fHitT, recorded.fHitT) << c.name;
      EXPECT_EQ(direct.fHitObject, solid) << c.name;
      EXPECT_EQ(direct.fHitPart, nullptr) << c.name;
      const SRayHit &a = direct.fHit, &b = recorded.fHit;
      for (const auto member : {&SRayHit::fObjPoint, &SRayHit::fObjNormal, &SRayHit::fObjShadingNormal,
                                &SRayHit::fPoint, &SRayHit::fNormal, &SRayHit::fShadingNormal,
                                &SRayHit::fTangentU, &SRayHit::fTangentV})
        EXPECT_EQ(a.*member, b.*member) << c.name << ", texture " << wantsTexture;
      EXPECT_EQ(a.fU, b.fU) << c.name;
      EXPECT_EQ(a.fV, b.fV) << c.name;
      if (!wantsTexture) {
        EXPECT_EQ(a.fU, 7) << c.name;
      }
      EXPECT_EQ(stats.fHits, 2u) << c.name;
    }
  }
}

}  // namespace
