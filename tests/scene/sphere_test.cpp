#include "scene/sphere.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "scene_fixture.h"

namespace {

using Sphere = SceneTest;

TEST_F(Sphere, RaysMeetTheNearRootOrTheFarOne) {
  struct SPlaced {
    vector3<double> scale;
    SRayCase ray;
  } cases[] = {
      {{1, 1, 1}, {"through the centre", {0, 0, 5}, {0, 0, -1}, 0, true, 4}},
      {{2, 2, 2}, {"t is the same in both spaces", {0, 0, 5}, {0, 0, -1}, 0, true, 3}},
      {{1, 1, 1}, {"from the centre", {0, 0, 0}, {0, 0, -1}, 0, true, 1}},
      {{1, 1, 1}, {"grazing", {1, 0, 5}, {0, 0, -1}, 0, true, 5}},
      {{1, 1, 1}, {"near root at the interval's start", {0, 0, 5}, {0, 0, -1}, 4, true, 6}},
      {{1, 1, 1}, {"both roots before the interval", {0, 0, 5}, {0, 0, -1}, 6, false, 0}},
      {{1, 1, 1}, {"beside", {0, 3, 5}, {0, 0, -1}, 0, false, 0}},
      {{1, 1, 1}, {"pointing away", {0, 0, 5}, {0, 0, 1}, 0, false, 0}},
  };
  for (const SPlaced& c : cases) {
    C3dSphere* sphere = NewSphere(c.scale);
    ExpectRayCase(*sphere, c.ray);
    delete sphere;
  }
}

TEST_F(Sphere, AHitRecordsTheSurface) {
  C3dSphere* sphere = NewSphere();
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  ASSERT_TRUE(sphere->Intersect(ray));
  EXPECT_EQ(ray.fHitObject, sphere);
  EXPECT_EQ(ray.fHitPart, nullptr);
  ExpectNear(ray.fHit.fNormal, {0, 0, 1}, 1e-6, "world normal");
  ExpectNear(ray.fHit.fShadingNormal, {0, 0, 1}, 1e-6, "shading normal");
  ExpectNear(ray.fHit.fPoint, {0, 0, 1}, 1e-6, "world point");
  ExpectNear(ray.fHit.fObjPoint, {0, 0, 1}, 1e-6, "object point");
  EXPECT_NEAR(ray.fHit.fU, 0.25, 1e-6);
  EXPECT_NEAR(ray.fHit.fV, 0.5, 1e-6);
  ExpectNear(ray.fHit.fTangentU, {-1, 0, 0}, 1e-6, "tangent u");
  ExpectNear(ray.fHit.fTangentV, {0, 1, 0}, 1e-9, "tangent v");

  // A moved and stretched sphere: the normal goes back through the transposed inverse.
  Place(sphere, {2, 1, 1}, {5, 0, 0});
  CRay side = MakeRay(stats, {5, 3, 0}, {0, -1, 0});
  ASSERT_TRUE(sphere->Intersect(side));
  EXPECT_NEAR(side.fHitT, 2, 1e-6);
  ExpectNear(side.fHit.fNormal, {0, 1, 0}, 1e-6, "normal of the stretched sphere");
  // At a pole u is 0 and the u tangent is undefined, so left zero.
  EXPECT_EQ(side.fHit.fU, 0);
  EXPECT_EQ(side.fHit.fTangentU, (vector3<double>{}));
}

TEST_F(Sphere, ExcludedAndFilteredSpheresAreNotHit) {
  C3dSphere* sphere = NewSphere();
  CRenderStats stats;
  sphere->SetStateFlags(C3dObject::kExcluded);
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  EXPECT_FALSE(sphere->Intersect(ray));
  CSpanList spans;
  EXPECT_FALSE(sphere->IntersectSpans(ray, false, spans));
  EXPECT_EQ(spans.size(), 0u);
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
  sphere->ClearStateFlags(C3dObject::kExcluded);

  CRay pick = MakeRay(stats, {0, 0, 5}, {0, 0, -1}, 1);
  pick.fSelectedOnly = 1;
  EXPECT_FALSE(sphere->Intersect(pick));
  sphere->SetFlags(C3dObject::kSelected);
  EXPECT_TRUE(sphere->Intersect(pick));
  pick.fSelectedOnly = 0;
  pick.fUnselectedOnly = 1;
  EXPECT_FALSE(sphere->Intersect(pick));

  // Not pickable: picking rays pass, rendering rays still hit.
  sphere->SetStateFlags(C3dObject::kNotPickable);
  pick.fUnselectedOnly = 0;
  EXPECT_FALSE(sphere->Intersect(pick));
  EXPECT_TRUE(sphere->Intersect(ray));
}

TEST_F(Sphere, SpansAreTheEntryThenTheExit) {
  C3dSphere* sphere = NewSphere({1, 1, 1}, {0, 0, -1});
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  CSpanList spans;
  ASSERT_TRUE(sphere->IntersectSpans(ray, false, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].fT, 5, 1e-6);
  EXPECT_NEAR(spans[1].fT, 7, 1e-6);
  ExpectNear(spans[0].fPoint, {0, 0, 0}, 1e-6, "entry point");
  ExpectNear(spans[1].fNormal, {0, 0, -1}, 1e-6, "exit normal");
  for (uint32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(spans[i].fValid, 1);
    EXPECT_EQ(spans[i].fObject, sphere);
  }
  CRay beside = MakeRay(stats, {0, 3, 5}, {0, 0, -1});
  EXPECT_FALSE(sphere->IntersectSpans(beside, false, spans));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

TEST_F(Sphere, TheWorldBoxFollowsTheTransform) {
  C3dSphere* sphere = NewSphere({1, 2, 3});
  const C3dBox box = sphere->WorldBox();
  ExpectNear(box.fMin, {-1, -2, -3}, 1e-3, "minimum");
  ExpectNear(box.fMax, {1, 2, 3}, 1e-3, "maximum");
  EXPECT_EQ(sphere->LocalBox(), (C3dBox{{-1, -1, -1}, {1, 1, 1}}));
  EXPECT_EQ(sphere->FacetCount(), 256u);
}

// ---- the factory

// Records whether its defaults were written while it was locked.
class CProbeSphere : public C3dSphere {
 public:
  using C3dSphere::C3dSphere;
  void InitDefaults() override { lockedForDefaults = GetLockCount() > 0 && IsResident(); }
  bool lockedForDefaults = false;
};

class SphereFactory : public SceneTest {
 protected:
  // A material whose stored part is a recognisable pattern.
  C3dMaterial* NewTemplate(C3dBaseSys* into) {
    C3dMaterial* material = MakeObject<C3dMaterial>(into);
    CHolder holder(material, true, false);
    for (uint32_t i = 0; i < C3dMaterial::kRecordSize; ++i) material->GetData()[i] = uint8_t(i * 13 + 1);
    // It holds no textures, and its record says so, as every copy's record does.
    SMaterialRecord& record = material->GetRecord();
    record.sample.flags &= ~C3dMaterial::kTexturedFlag;
    for (SMaterialComponent& component : record.component) component.textureTag = component.textureId = 0;
    return material;
  }
};

TEST_F(SphereFactory, AShapeComesWithACopyOfTheTemplateMaterial) {
  C3dMaterial* source = NewTemplate(nullptr);
  CProbeSphere* sphere = MakeShape<CProbeSphere>(table, nullptr, source->GetHandle());
  ASSERT_NE(sphere, nullptr);
  EXPECT_TRUE(sphere->lockedForDefaults);
  EXPECT_EQ(sphere->GetOwningTable(), table);
  C3dMaterial* material = MaterialOf(sphere);
  ASSERT_NE(material, nullptr);
  EXPECT_NE(material, source);
  EXPECT_EQ(material->GetOwningTable(), table);
  EXPECT_EQ(material->GetFamily(), FourCC("matr"));
  EXPECT_EQ(material->GetClass(), FourCC("base"));
  EXPECT_STREQ(material->GetKeyCopy().typeName, "C3dBaseMaterial");
  EXPECT_EQ(material->GetDataSize(), 568u);
  EXPECT_EQ(MaterialPart(material), MaterialPart(source));
  CHolder holder(table, false, false);
  ASSERT_EQ(table->GetCount(), 2u);
  EXPECT_EQ((*table)[0].object, sphere);
  EXPECT_EQ((*table)[0].sortKey, 0x3FFFFFFF);
  EXPECT_EQ((*table)[1].object, material);
  holder.Release();
  delete source;
}

TEST_F(SphereFactory, WithoutATableTheSphereAndItsMaterialBelongToNone) {
  C3dSphere* sphere = MakeShape<C3dSphere>(nullptr);
  ASSERT_NE(sphere, nullptr);
  C3dMaterial* material = MaterialOf(sphere);
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(sphere->GetOwningTable(), nullptr);
  EXPECT_EQ(material->GetOwningTable(), nullptr);
  const Handle32 word = sphere->GetMaterial();
  DeleteShape(sphere);
  EXPECT_EQ(LookupHandle(word, C3dMaterial::kFamily), nullptr);
}

TEST_F(SphereFactory, AFailedCreationLeavesNothingBehind) {
  CFileSpec nowhere;
  ASSERT_EQ(nowhere.Set((folder + "/missing/swap.tmp").c_str()), 0);
  CSpoolEnv closed(&nowhere, GetObjectPool(), SRange{32, 32}, 0, false, nullptr, 0);
  ASSERT_FALSE(closed.IsReady());
  struct SCase {
    const char* name;
    CSpoolSys* environment;
    bool keyed;  // a keyed spec subscribes only in a resource environment
  } cases[] = {{"not ready", &closed, false}, {"not initialised", ObjectsEnv(), true}};
  for (const SCase& c : cases) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dSphere>(c.environment, key, spec);
    spec.keyed = c.keyed;
    C3dSphere* sphere = reinterpret_cast<C3dSphere*>(1);
    EXPECT_EQ(C3dSphere::New(&sphere, table, key, spec, kNoHandle), 13) << c.name;
    EXPECT_EQ(sphere, nullptr) << c.name;
    EXPECT_EQ(table->GetCount(), 0u) << c.name;
  }
}

TEST_F(SphereFactory, TheLightAndMeshFormGivesNoMaterial) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dGroup>(ObjectsEnv(), key, spec);
  C3dGroup* group = nullptr;
  ASSERT_EQ(C3dGroup::New(&group, table, key, spec), 0);
  EXPECT_EQ(group->GetMaterial(), kNoHandle);
  EXPECT_EQ(table->GetCount(), 1u);
}

TEST_F(SphereFactory, ADuplicateHasTheSameTransformsAndFlagsAndItsOwnMaterial) {
  C3dSphere* sphere = NewSphere({1, 2, 3}, {4, 5, 6});
  sphere->GetPlacement().SetRotation({0.1, 0.2, 0.3});
  sphere->GetReference().SetPosition({0, 1, 0});
  sphere->SetFlags(0x11);
  sphere->SetStateFlags(0x108);
  sphere->SetCreationWord(1, 77);
  {
    CHolder holder(sphere, true, false);
    StoreField<uint32_t>(sphere->GetData() + C3dObject::kDocumentWordsOffset, 0xABCD);
  }
  auto* copy = static_cast<C3dSphere*>(sphere->Duplicate(table));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetOwningTable(), table);
  EXPECT_NE(copy->GetId(), sphere->GetId());
  EXPECT_EQ(copy->GetFlags(), 0x11u);
  EXPECT_EQ(copy->GetStateFlags(), 0x108u);
  EXPECT_EQ(copy->GetCreationWord(1), 77u);
  EXPECT_EQ(copy->GetPlacement().fScale, sphere->GetPlacement().fScale);
  EXPECT_EQ(copy->GetPlacement().fRotation, sphere->GetPlacement().fRotation);
  EXPECT_EQ(copy->GetObjectToWorld(), sphere->GetObjectToWorld());
  {
    CHolder holder(copy, false, false);
    EXPECT_EQ(LoadField<uint32_t>(copy->GetData() + C3dObject::kDocumentWordsOffset), 0xABCDu);
  }
  ASSERT_NE(MaterialOf(copy), nullptr);
  EXPECT_NE(MaterialOf(copy), MaterialOf(sphere));
  EXPECT_EQ(MaterialPart(MaterialOf(copy)), MaterialPart(MaterialOf(sphere)));
}

}  // namespace
