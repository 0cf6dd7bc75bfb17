// What every primitive class shares: its tags, names, record size and shape queries, Intersect's
// entry tests, a placement that scales, shears and rotates it, and Duplicate through its factory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/square.h"
#include "scene/torus.h"
#include "document_record_fixture.h"

namespace {

// One shape of each class, with a point inside it or on its surface that a ray from above meets.
struct SShapeCase {
  C3dObject* object;
  const char* typeName;
  uint32_t classTag;
  uint32_t facets;
  bool solid, closed, unbounded;
  C3dBox localBox;
  vector3<double> aim;
};

class Primitives : public SceneTest {
 protected:
  C3dTorus* NewTorus(C3dBaseSys* into) {
    C3dTorus* torus = MakeShape<C3dTorus>(into);
    torus->SetMinorRadius(1);
    torus->SetMajorRadius(3);
    return torus;
  }
  std::vector<SShapeCase> Shapes() {
    const C3dBox unit{{-1, -1, -1}, {1, 1, 1}}, half{{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}};
    return {
        {MakeShape<C3dCube>(table), "C3dCube", FourCC("cube"), 6, true, true, false, half, {}},
        {MakeShape<C3dPyramid>(table), "C3dPyramid", FourCC("pyra"), 6, true, true, false, half, {0, -0.25, 0}},
        {MakeShape<C3dPlane>(table), "C3dPlane", FourCC("plne"), 1, false, false, true, {{-10, 0, -10}, {10, 0, 10}},
         {1, 0, 2}},
        {MakeShape<C3dSquare>(table), "C3dSquare", FourCC("sqre"), 1, false, false, false, {{-1, 0, -1}, {1, 0, 1}},
         {0.2, 0, 0.3}},
        {MakeShape<C3dCircle>(table), "C3dCircle", FourCC("circ"), 1, false, false, false, {{-1, 0, -1}, {1, 0, 1}},
         {0.2, 0, 0.3}},
        {MakeShape<C3dCone>(table), "C3dCone", FourCC("cone"), 32, true, true, false, unit, {0, -0.5, 0}},
        {MakeShape<C3dCylinder>(table), "C3dCylinder", FourCC("cylr"), 32, true, true, false, unit, {}},
        {NewTorus(table), "C3dTorusType", FourCC("toru"), 256, true, true, false, {{-4, -1, -4}, {4, 1, 4}}, {3, 0, 0}},
    };
  }
};

TEST_F(Primitives, EachClassHasItsTagsNamesAndAnswers) {
  for (const SShapeCase& c : Shapes()) {
    C3dObject* object = c.object;
    ASSERT_NE(object, nullptr) << c.typeName;
    EXPECT_EQ(object->GetFamily(), FourCC("3dob")) << c.typeName;
    EXPECT_EQ(object->GetClass(), c.classTag) << c.typeName;
    EXPECT_STREQ(object->TypeName(), c.typeName);
    EXPECT_STREQ(object->GetKeyCopy().typeName, c.typeName);
    EXPECT_EQ(object->GetDataSize(), c.classTag == FourCC("toru") ? 764u : 749u) << c.typeName;
    EXPECT_EQ(object->FacetCount(), c.facets) << c.typeName;
    EXPECT_EQ(object->LocalBox(), c.localBox) << c.typeName;
    EXPECT_EQ(object->Prepare(), 0) << c.typeName;
    CRay ray;
    EXPECT_FALSE(object->IsRayInside(ray)) << c.typeName;
    EXPECT_EQ(object->IsClosed(), c.closed) << c.typeName;
    EXPECT_TRUE(object->IsClosedSolid()) << c.typeName;
    EXPECT_EQ(object->IsUnbounded(), c.unbounded) << c.typeName;
    EXPECT_FALSE(object->IsLight()) << c.typeName;
    // The solids answer bit 0 of the solid flag word, the flat shapes never.
    EXPECT_FALSE(object->IsSolid()) << c.typeName;
    object->SetSolidFlags(0x101);
    EXPECT_EQ(object->IsSolid(), c.solid) << c.typeName;
  }
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  EXPECT_EQ(camera->GetFamily(), FourCC("camr"));
  EXPECT_EQ(camera->GetClass(), FourCC("base"));
  EXPECT_STREQ(camera->TypeName(), "C3dBaseCamera");
  camera->SetSolidFlags(1);
  EXPECT_FALSE(camera->IsSolid());
  EXPECT_TRUE(camera->IsClosed());
  EXPECT_FALSE(camera->IsClosedSolid());
  EXPECT_FALSE(camera->IsUnbounded());
  EXPECT_EQ(camera->FacetCount(), 0u);
}

TEST_F(Primitives, TheEntryTestsComeFirstAndEveryTestedRayIsCounted) {
  for (const SShapeCase& c : Shapes()) {
    C3dObject* object = c.object;
    auto test = [&](uint8_t filter, bool selectedOnly, bool unselectedOnly, bool hit, uint64_t counted,
                    const char* what) {
      CRenderStats stats;
      CRay ray = MakeRay(stats, c.aim + vector3<double>{0, 10, 0}, {0, -1, 0}, filter);
      ray.fSelectedOnly = selectedOnly;
      ray.fUnselectedOnly = unselectedOnly;
      EXPECT_EQ(object->Intersect(ray), hit) << c.typeName << ": " << what;
      EXPECT_EQ(stats.fHits, hit ? 1u : 0u) << c.typeName << ": " << what;
      EXPECT_EQ(stats.fHits + stats.fMisses, counted) << c.typeName << ": " << what;
    };
    test(0, false, false, true, 1, "a rendering ray");
    test(1, true, false, false, 0, "selected only, not selected");
    object->SetFlags(C3dObject::kSelected);
    test(1, true, false, true, 1, "selected only, selected");
    test(1, false, true, false, 0, "unselected only, selected");
    object->ClearFlags(C3dObject::kSelected);

    object->SetStateFlags(C3dObject::kNotPickable);
    test(1, false, false, false, 0, "not pickable, a picking ray");
    test(0, false, false, true, 1, "not pickable, a rendering ray");
    object->ClearStateFlags(C3dObject::kNotPickable);

    // A boolean member answers for its group, here none; a picking ray tests it on its own.
    object->SetStateFlags(C3dObject::kBooleanMember);
    test(0, false, false, false, 0, "a boolean member without a group");
    test(1, false, false, true, 1, "a boolean member, a picking ray");
    object->ClearStateFlags(C3dObject::kBooleanMember);

    object->SetStateFlags(C3dObject::kExcluded);
    test(0, false, false, false, 0, "excluded, a rendering ray");
    test(1, false, false, false, 0, "excluded, a picking ray");
    CRenderStats stats;
    CRay ray = MakeRay(stats, c.aim + vector3<double>{0, 10, 0}, {0, -1, 0});
    CSpanList spans;
    EXPECT_FALSE(object->IntersectSpans(ray, true, spans)) << c.typeName;
    EXPECT_EQ(spans.size(), 0u) << c.typeName;
  }
}

TEST_F(Primitives, APlacedShapeIsHitAtTheSameTInBothSpaces) {
  for (const SShapeCase& c : Shapes()) {
    PlaceAskew(c.object);
    ExpectPlacedHit(*c.object, c.aim, 0, c.typeName);
  }
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  PlaceAskew(camera);
  ExpectPlacedHit(*camera, {}, 1, "the camera's pick body");
}

TEST_F(Primitives, WorldBoxesHoldTheShapeWherePlaced) {
  for (const SShapeCase& c : Shapes()) {
    Place(c.object, {2, 3, 4}, {1, 2, 3});
    const C3dBox local = c.object->LocalBox();
    const C3dBox world = c.object->WorldBox();
    ExpectNear(world.fMin, vector3<double>{2 * local.fMin.x, 3 * local.fMin.y, 4 * local.fMin.z} + vector3<double>{1, 2, 3},
               1e-12, c.typeName);
    ExpectNear(world.fMax, vector3<double>{2 * local.fMax.x, 3 * local.fMax.y, 4 * local.fMax.z} + vector3<double>{1, 2, 3},
               1e-12, c.typeName);
  }
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  Place(camera, {1, 1, 1}, {0, 5, 0});
  EXPECT_EQ(camera->WorldBox(), (C3dBox{{-1, 4, -1}, {1, 6, 2}}));
}

// Dense surface points of the round shapes in object space.
std::vector<vector3<double>> RoundSurface(const char* typeName) {
  const std::string name = typeName;
  std::vector<vector3<double>> points;
  constexpr int kSteps = 720;
  for (int i = 0; i < kSteps; ++i) {
    const double a = i * 2 * M_PI / kSteps;
    const vector3<double> rim{std::sin(a), 0, std::cos(a)};
    if (name == "C3dCircle") points.push_back(rim);
    if (name == "C3dCone") points.push_back(rim + vector3<double>{0, -1, 0});
    if (name == "C3dCylinder") {
      points.push_back(rim + vector3<double>{0, -1, 0});
      points.push_back(rim + vector3<double>{0, 1, 0});
    }
    for (int j = 0; name == "C3dTorusType" && j < kSteps / 4; ++j) {
      const double b = j * 2 * M_PI / (kSteps / 4);
      const double ring = 3 + std::cos(b);
      points.push_back({ring * std::sin(a), std::sin(b), ring * std::cos(a)});
    }
  }
  if (name == "C3dCone") points.push_back({0, 1, 0});
  return points;
}

// A box sampled through the transform falls short of a rotated round surface, and the optimizer then
// misses the surface's silhouette; the boxes hold every surface point and touch the surface.
TEST_F(Primitives, RotatedRoundShapesStayInsideTheirWorldBoxes) {
  C3dSphere* sphere = NewSphere();
  PlaceAskew(sphere);
  std::vector<std::pair<C3dObject*, std::vector<vector3<double>>>> shapes;
  std::vector<vector3<double>> ball;
  for (int i = 0; i <= 180; ++i)
    for (int j = 0; j < 360; ++j) ball.push_back(UnitSpherePoint(i * M_PI / 180, j * M_PI / 180));
  shapes.push_back({sphere, ball});
  for (const SShapeCase& c : Shapes()) {
    std::vector<vector3<double>> surface = RoundSurface(c.typeName);
    if (surface.empty()) continue;
    PlaceAskew(c.object);
    shapes.push_back({c.object, surface});
  }
  for (auto& [object, surface] : shapes) {
    const C3dBox box = object->WorldBox();
    C3dBox reached = C3dBox::Empty();
    for (const vector3<double>& p : surface) {
      const vector3<double> w = object->GetObjectToWorld().TransformPoint(p);
      reached.Extend(w);
      for (int a = 0; a < 3; ++a) {
        EXPECT_GE(w[a], box.fMin[a] - 1e-9) << object->TypeName();
        EXPECT_LE(w[a], box.fMax[a] + 1e-9) << object->TypeName();
      }
    }
    ExpectNear(reached.fMin, box.fMin, 2e-3, object->TypeName());
    ExpectNear(reached.fMax, box.fMax, 2e-3, object->TypeName());
  }
}

// ---- copies

TEST_F(Primitives, ADuplicateIsOfTheSameClassWithItsOwnCopyOfTheMaterial) {
  for (const SShapeCase& c : Shapes()) {
    C3dObject* source = c.object;
    Place(source, {1, 2, 3}, {4, 5, 6});
    source->GetPlacement().SetRotation({0.1, 0.2, 0.3});
    source->SetFlags(0x11);
    source->SetStateFlags(0x108);
    source->SetCreationWord(0, 5);
    source->SetCreationWord(1, 77);
    {
      CHolder holder(MaterialOf(source), true, false);
      MaterialOf(source)->GetData()[C3dMaterial::kPartOffset + 3] = 0x5A;
    }
    C3dObject* copy = source->Duplicate(table);
    ASSERT_NE(copy, nullptr) << c.typeName;
    EXPECT_EQ(copy->GetOwningTable(), table) << c.typeName;
    EXPECT_EQ(copy->GetClass(), c.classTag) << c.typeName;
    EXPECT_STREQ(copy->TypeName(), c.typeName);
    EXPECT_STREQ(copy->GetKeyCopy().typeName, c.typeName);
    EXPECT_EQ(copy->GetFlags(), 0x11u) << c.typeName;
    EXPECT_EQ(copy->GetStateFlags(), 0x108u) << c.typeName;
    EXPECT_EQ(copy->GetCreationWord(0), 5u) << c.typeName;
    EXPECT_EQ(copy->GetCreationWord(1), 77u) << c.typeName;
    EXPECT_EQ(copy->GetObjectToWorld(), source->GetObjectToWorld()) << c.typeName;
    ASSERT_NE(MaterialOf(copy), nullptr) << c.typeName;
    EXPECT_NE(MaterialOf(copy), MaterialOf(source)) << c.typeName;
    EXPECT_EQ(MaterialPart(MaterialOf(copy)), MaterialPart(MaterialOf(source))) << c.typeName;
    EXPECT_EQ(copy->LocalBox(), source->LocalBox()) << c.typeName;
  }
  C3dTorus* torus = NewTorus(table);
  auto* copy = static_cast<C3dTorus*>(torus->Duplicate(table));
  EXPECT_EQ(copy->GetMinorRadius(), 1);
  EXPECT_EQ(copy->GetMajorRadius(), 3);
}

// The two shapes that name their factory NewWithMaterial.
template <typename T>
void ExpectNewWithMaterial(C3dBaseSys* table, CSpoolSys* environment, Handle32 broken) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(environment, key, spec);
  T* object = reinterpret_cast<T*>(1);
  EXPECT_NE(T::NewWithMaterial(&object, table, key, spec, broken), 0) << T::kTypeName;
  EXPECT_EQ(object, nullptr) << T::kTypeName;
  EXPECT_EQ(table->GetCount(), 0u) << T::kTypeName;

  ASSERT_EQ(T::NewWithMaterial(&object, nullptr, key, spec, kNoHandle), 0) << T::kTypeName;
  ASSERT_NE(object, nullptr) << T::kTypeName;
  EXPECT_EQ(object->GetOwningTable(), nullptr) << T::kTypeName;
  ASSERT_NE(MaterialOf(object), nullptr) << T::kTypeName;
  EXPECT_EQ(MaterialOf(object)->GetOwningTable(), nullptr) << T::kTypeName;
  DeleteShape(object);
}

using PrimitiveFactory = DocumentRecord;

TEST_F(PrimitiveFactory, AFailedMaterialStepLeavesNeitherShapeNorMaterial) {
  // A template material whose stored record is too short to read: copying it fails.
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  Save(material);
  Overwrite(material->GetKey(), Bytes(100));
  C3dBaseSys library(ObjectsEnv());
  C3dMaterial* broken = Load<C3dMaterial>(material->GetKey(), &library);
  ASSERT_FALSE(broken->Lock());
  delete material;
  ASSERT_EQ(table->GetCount(), 0u);
  ExpectNewWithMaterial<C3dCircle>(table, ObjectsEnv(), broken->GetHandle());
  ExpectNewWithMaterial<C3dTorus>(table, ObjectsEnv(), broken->GetHandle());
}

}  // namespace
