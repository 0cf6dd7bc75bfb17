// A headless application with its environments and an object table in its objects environment;
// helpers make spheres, groups and test solids through the factories and fill rays.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/line_drawer.h"
#include "scene/ray.h"
#include "scene/sphere.h"
#include "scene/surface/material.h"
#include "tests/framework/core/spool_fixture.h"

// Keeps what an object draws, in world space, so that its wireframe can be checked.
class CLineRecorder : public CLineDrawer {
 public:
  struct SSegment {
    vector3<double> a;
    vector3<double> b;
  };
  struct SBox {
    C3dBox box;
    C34Matrix objectToWorld;
  };

  void DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix&) override {
    fSegments.push_back({a, b});
  }
  void DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix&) override {
    fBoxes.push_back({box, objectToWorld});
  }

  const std::vector<SSegment>& GetRecordedSegments() const { return fSegments; }
  const std::vector<SBox>& GetRecordedBoxes() const { return fBoxes; }

 private:
  std::vector<SSegment> fSegments;
  std::vector<SBox> fBoxes;
};

// A solid whose local box a test chooses; its world box is that box through the object's matrix.
class CTestSolid : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("tsol");
  static constexpr const char* kTypeName = "CTestSolid";

  using C3dObject::C3dObject;

  const char* TypeName() const override { return kTypeName; }
  int32_t Prepare() override { return 0; }
  bool Intersect(CRay&) override { return false; }
  bool IntersectSpans(CRay&, bool, CSpanList&) override { return false; }
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return closedSolid; }
  bool IsClosedSolid() const override { return closedSolid; }
  bool IsUnbounded() const override { return false; }
  uint32_t FacetCount() override { return 6; }
  C3dBox LocalBox() override { return local; }
  C3dBox WorldBox() override { return local.Transform(GetObjectToWorld()); }

  C3dBox local{{-1, -1, -1}, {1, 1, 1}};
  bool closedSolid = true;
};

inline void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance = 1e-9,
                       const char* what = "") {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// A shape's material, and the stored material part that its copies share.
inline C3dMaterial* MaterialOf(const C3dObject* object) {
  return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
}

inline std::vector<uint8_t> MaterialPart(C3dMaterial* material) {
  CHolder holder(material, false, false);
  const uint8_t* part = material->GetData() + C3dMaterial::kPartOffset;
  return {part, part + C3dMaterial::kPartSize};
}

inline constexpr float kFarAway = std::numeric_limits<float>::infinity();

// A ray as the tests need it: interval (tMin, ∞), texture wanted, statistics counted.
inline CRay MakeRay(CRenderStats& stats, vector3<double> origin, vector3<double> direction, uint8_t filter = 0,
                    float tMin = 0) {
  CRay ray;
  ray.fOrigin = ray.fStart = origin;
  ray.fDirection = direction * (1 / std::sqrt(Dot(direction, direction)));
  ray.fTMin = tMin;
  ray.fTMax = kFarAway;
  ray.fFilterRay = filter;
  ray.fWantsTexture = 1;
  ray.fStats = &stats;
  return ray;
}

class SceneTest : public SpoolAppTest {
 protected:
  void SetUp() override {
    SpoolAppTest::SetUp();
    table = new C3dBaseSys(ObjectsEnv());
    ASSERT_TRUE(table->IsValid()) << table->GetError();
  }
  void TearDown() override {
    delete table;
    SpoolAppTest::TearDown();
  }

  template <typename T>
  T* MakeShape(C3dBaseSys* into, CSpoolSys* environment = nullptr, Handle32 material = kNoHandle) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(environment ? environment : ObjectsEnv(), key, spec);
    T* object = nullptr;
    EXPECT_EQ(NewShape(&object, into, key, spec, material), 0);
    return object;
  }
  template <typename T>
  T* MakeObject(C3dBaseSys* into, CSpoolSys* environment = nullptr) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(environment ? environment : ObjectsEnv(), key, spec);
    T* object = nullptr;
    EXPECT_EQ(NewObject(&object, into, key, spec), 0);
    return object;
  }

  C3dSphere* NewSphere(vector3<double> scale = {1, 1, 1}, vector3<double> position = {}) {
    C3dSphere* sphere = MakeShape<C3dSphere>(table);
    if (sphere) Place(sphere, scale, position);
    return sphere;
  }
  C3dGroup* NewGroup(std::vector<C3dObject*> members = {}) {
    C3dGroup* group = MakeObject<C3dGroup>(table);
    for (C3dObject* member : members) EXPECT_EQ(group->AddChild(member), 0);
    return group;
  }
  CTestSolid* NewSolid(const C3dBox& local) {
    CTestSolid* solid = MakeObject<CTestSolid>(table);
    solid->local = local;
    return solid;
  }
  static void Place(C3dObject* object, vector3<double> scale, vector3<double> position) {
    object->GetPlacement().fScale = scale;
    object->GetPlacement().SetPosition(position);
  }

  C3dBaseSys* table = nullptr;
};

// One ray (a rendering ray unless filter is set) and what it must meet. The object-space normal and
// u, v are checked when given; t and the counters always.
struct SRayCase {
  const char* name;
  vector3<double> origin;
  vector3<double> direction;
  float tMin;
  bool hit;
  double t;
  std::optional<vector3<double>> normal = {};
  double u = std::numeric_limits<double>::quiet_NaN();
  double v = std::numeric_limits<double>::quiet_NaN();
  float tMax = kFarAway;
  uint8_t filter = 0;
};

inline void ExpectRayCase(C3dObject& object, const SRayCase& c) {
  CRenderStats stats;
  CRay ray = MakeRay(stats, c.origin, c.direction, c.filter, c.tMin);
  ray.fTMax = c.tMax;
  EXPECT_EQ(object.Intersect(ray), c.hit) << c.name;
  EXPECT_EQ(stats.fHits, c.hit ? 1u : 0u) << c.name;
  EXPECT_EQ(stats.fMisses, c.hit ? 0u : 1u) << c.name;
  if (!c.hit) return;
  EXPECT_NEAR(ray.fHitT, c.t, 1e-6) << c.name;
  if (c.normal) ExpectNear(ray.fHit.fObjNormal, *c.normal, 1e-6, c.name);
  if (!std::isnan(c.u)) {
    EXPECT_NEAR(ray.fHit.fU, c.u, 1e-6) << c.name;
  }
  if (!std::isnan(c.v)) {
    EXPECT_NEAR(ray.fHit.fV, c.v, 1e-6) << c.name;
  }
}

template <size_t N>
void ExpectRayCases(C3dObject& object, const SRayCase (&cases)[N]) {
  for (const SRayCase& c : cases) ExpectRayCase(object, c);
}

// The placement of the placed-ray checks: scaled, sheared, rotated and moved.
inline void PlaceAskew(C3dObject* object) {
  C3dTransform& placement = object->GetPlacement();
  placement.fScale = {2, 0.5, 1.5};
  placement.fShear = {0.3, -0.2, 0.1};
  placement.fRotation = {0.4, -0.7, 0.25};
  placement.SetPosition({1, -2, 3});
}

// A ray from outside at the world image of an object-space point: its hit lies at the same t on the
// world ray and on the object-space ray, and the world normal is the object normal taken through the
// transposed world-to-object matrix, normalised.
inline void ExpectPlacedHit(C3dObject& object, const vector3<double>& aim, uint8_t filter = 0, const char* what = "") {
  const vector3<double> target = object.GetObjectToWorld().TransformPoint(aim);
  const vector3<double> origin = target + vector3<double>{3, 4, -12};
  CRenderStats stats;
  CRay ray = MakeRay(stats, origin, target - origin, filter);
  ASSERT_TRUE(object.Intersect(ray)) << what;
  const double t = ray.fHitT;
  ExpectNear(ray.fHit.fPoint, origin + ray.fDirection * t, 1e-9, what);
  ExpectNear(ray.fHit.fObjPoint, ray.fHit.fObjOrigin + ray.fHit.fObjDirection * t, 1e-9, what);
  ExpectNear(object.GetObjectToWorld().TransformPoint(ray.fHit.fObjPoint), ray.fHit.fPoint, 1e-9, what);
  const C34Matrix& toObject = object.GetWorldToObject();
  const vector3<double>& n = ray.fHit.fObjNormal;
  const vector3<double> w{Dot(n, toObject.Row(0)), Dot(n, toObject.Row(1)), Dot(n, toObject.Row(2))};
  ExpectNear(ray.fHit.fNormal, w * (1 / std::sqrt(Dot(w, w))), 1e-6, what);
  ExpectNear(ray.fHit.fShadingNormal, ray.fHit.fNormal, 0, what);
}
