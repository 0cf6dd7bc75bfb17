// A headless application with its environments and an object table in its objects environment;
// helpers make spheres, groups and test solids through the factories and fill rays.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "render/material.h"
#include "render/ray.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "tests/framework/core/spool_fixture.h"

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
  bool IntersectSpans(CRay&, bool) override { return false; }
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

// One rendering ray and what it must meet: the sphere tests and the boolean tests share this form.
struct SRayCase {
  const char* name;
  vector3<double> origin;
  vector3<double> direction;
  float tMin;
  bool hit;
  double t;
};

inline void ExpectRayCase(C3dObject& object, const SRayCase& c) {
  CRenderStats stats;
  CRay ray = MakeRay(stats, c.origin, c.direction, 0, c.tMin);
  EXPECT_EQ(object.Intersect(ray), c.hit) << c.name;
  EXPECT_EQ(stats.fHits, c.hit ? 1u : 0u) << c.name;
  EXPECT_EQ(stats.fMisses, c.hit ? 0u : 1u) << c.name;
  if (c.hit) {
    EXPECT_NEAR(ray.fHitT, c.t, 1e-6) << c.name;
  }
}
