// The keys and class table of stored things, the smallest record each class accepts, and the codes
// of the reader's failing steps, after which nothing is left behind.
#include "document/object_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document_fixture.h"

namespace {

class ObjectReader : public DocumentTest {
 protected:
  // One thing of each stored class whose record is exactly its class's smallest: empty group, mesh
  // and terrain, and the others as made.
  void BuildSmallest(C3dBaseSys* into) {
    EXPECT_EQ(into->AddObject(NewTexture()), 0);
    EXPECT_EQ(into->AddObject(NewPicture(2, 1, {1, 2})), 0);
    MakeObject<C3dMaterial>(into);
    MakeObject<C3dSphere>(into);
    MakeObject<C3dPlane>(into);
    MakeObject<C3dCube>(into);
    MakeObject<C3dPyramid>(into);
    MakeObject<C3dCylinder>(into);
    MakeObject<C3dCone>(into);
    MakeObject<C3dCircle>(into);
    MakeObject<C3dSquare>(into);
    MakeObject<C3dTorus>(into);
    MakeObject<C3dHeightField>(into);
    MakeObject<C3dTriangleMesh>(into);
    MakeObject<C3dGroup>(into);
    MakeObject<C3dSphereLight>(into);
    MakeObject<C3dConeLight>(into);
    MakeObject<C3dCylinderLight>(into);
    MakeObject<C3dCubeLight>(into);
    MakeObject<C3dPyramidLight>(into);
    MakeObject<C3dSky>(into);
    MakeObject<C3dSunLight>(into);
    MakeObject<C3dCamera>(into);
  }
  // The key of the one stored record of a class.
  SSpoolKey OnlyKey(const SDocumentClass& cls) {
    CResTypeTable* rows = nullptr;
    EXPECT_TRUE(document->FindType(cls.typeName, &rows, nullptr)) << cls.typeName;
    CHolder holder(rows, false, false);
    EXPECT_EQ(rows->GetCount(), 1u) << cls.typeName;
    SSpoolKey key;
    key.Set(cls.typeName, (*rows)[0].number, false);
    return key;
  }
  CResEntry RowOf(const SSpoolKey& key) {
    CResEntry entry{};
    EXPECT_TRUE(document->GetResourceInfo(key, &entry));
    return entry;
  }
};

TEST_F(ObjectReader, KeysAndTheClassTable) {
  SSpoolKey key;
  key.Set("C3dBaseMaterial", 7, false);
  EXPECT_EQ(std::memcmp(key.typeName, "C3dBaseMaterial", 16), 0);
  EXPECT_EQ(key.id, 7u);
  EXPECT_EQ(key.byName, 0);
  key.SetByName("imge", "doc window", false);
  EXPECT_EQ(key.id, 0u);
  EXPECT_EQ(key.byName, 1);
  EXPECT_STREQ(key.name, "doc window");

  EXPECT_EQ(DocumentClasses().size(), 23u);
  const struct {
    uint32_t family;
    uint32_t classTag;
    const char* typeName;
  } cases[] = {
      {FourCC("lght"), FourCC("cube"), "C3dCubeLight"},   {FourCC("3dob"), FourCC("cube"), "C3dCube"},
      {FourCC("lght"), FourCC("sphr"), "C3dSphereLight"}, {FourCC("3dob"), FourCC("sphr"), "C3dSphere"},
      {FourCC("3dob"), FourCC("toru"), "C3dTorusType"},   {FourCC("matr"), FourCC("base"), "C3dBaseMaterial"},
      {FourCC("camr"), FourCC("base"), "C3dBaseCamera"},
  };
  for (const auto& c : cases) {
    const SDocumentClass* cls = FindDocumentClass(c.family, c.classTag);
    ASSERT_NE(cls, nullptr) << c.typeName;
    EXPECT_STREQ(cls->typeName, c.typeName);
  }
  EXPECT_EQ(FindDocumentClass(FourCC("lght"), FourCC("toru")), nullptr);
}

TEST_F(ObjectReader, ARecordOfTheMinimumIsReadAndOneByteLessEndsTheRead) {
  BuildSmallest(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  {
    C3dBaseSys read(ObjectsEnv());
    ASSERT_EQ(read.ReadDocument(document.get(), 0), 0);
    for (const SDocumentClass& cls : DocumentClasses()) {
      EXPECT_EQ(Stored(OnlyKey(cls)).size(), cls.minimum) << cls.typeName;
      // Beside the material read, the default one of the things that name none.
      const uint32_t expected = cls.family == C3dMaterial::kFamily ? 2 : 1;
      EXPECT_EQ(Count(&read, cls.family, cls.classTag), expected) << cls.typeName;
    }
  }
  const std::span<const SDocumentClass> classes = DocumentClasses();
  for (size_t step = 0; step < classes.size(); ++step) {
    const SDocumentClass& cls = classes[step];
    const SSpoolKey key = OnlyKey(cls);
    const Bytes good = Stored(key);
    Overwrite(key, Bytes(good.begin(), good.end() - 1));
    C3dBaseSys read(ObjectsEnv());
    EXPECT_EQ(read.ReadDocument(document.get(), 0), 2) << cls.typeName;
    for (size_t earlier = 0; earlier < step; ++earlier)
      EXPECT_EQ(Count(&read, classes[earlier].family, classes[earlier].classTag), 1u) << cls.typeName;
    EXPECT_EQ(Count(&read, cls.family, cls.classTag), 0u) << cls.typeName;
    EXPECT_EQ(Things(&read).size(), step) << cls.typeName;
    Overwrite(key, good);
  }
}

// A sphere class whose new things fail the readiness test.
class CUnready : public C3dSphere {
 public:
  using C3dSphere::C3dSphere;
  bool IsReady() const override { return false; }
};

TEST_F(ObjectReader, EachFailingStepAnswersItsCodeAndLeavesNothing) {
  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  SSpoolKey key;
  key.Set(C3dSphere::kTypeName, sphere->GetId(), false);
  const CResEntry row = RowOf(key);
  const SDocumentClass& sphereClass = *FindDocumentClass(C3dSphere::kFamily, C3dSphere::kClassTag);

  SDocumentClass unmade = sphereClass;
  unmade.make = [](const SObjectKey&) -> C3dBase* { return nullptr; };
  SDocumentClass unready = sphereClass;
  unready.make = [](const SObjectKey& desc) -> C3dBase* { return new CUnready(desc); };
  SDocumentClass tooLong = sphereClass;
  tooLong.minimum = 750;
  SDocumentClass otherFamily = sphereClass;
  otherFamily.family = C3dSphereLight::kFamily;
  SDocumentClass otherClass = sphereClass;
  otherClass.classTag = C3dCube::kClassTag;
  // A swap environment whose file could not be made refuses every subscription.
  CFileSpec nowhere;
  ASSERT_EQ(nowhere.Set((folder + "/no such folder/swap.tmp").c_str()), 0);
  CSpoolEnv refusing(&nowhere, GetObjectPool(), SRange{8, 8}, 0, false, nullptr, 0);
  ASSERT_FALSE(refusing.IsOpen());

  const struct {
    const char* name;
    const SDocumentClass* cls;
    CSpoolSys* working;
    int32_t code;
  } cases[] = {
      {"no memory", &unmade, ObjectsEnv(), 9},
      {"not ready", &unready, ObjectsEnv(), 13},
      {"too short", &tooLong, ObjectsEnv(), 2},
      {"a record of another family", &otherFamily, ObjectsEnv(), 2},
      {"a record of another class", &otherClass, ObjectsEnv(), 2},
      {"no working environment", &sphereClass, nullptr, 15},
  };
  for (const auto& c : cases) {
    C3dBase* out = sphere;
    EXPECT_EQ(ReadRecord(*c.cls, document.get(), row, c.working, &out), c.code) << c.name;
    EXPECT_EQ(out, nullptr) << c.name;
  }
  C3dBase* out = sphere;
  EXPECT_NE(ReadRecord(sphereClass, document.get(), row, &refusing, &out), 0);
  EXPECT_EQ(out, nullptr);

  // The record is taken while another thing is subscribed to it.
  C3dSphere* holder = Load<C3dSphere>(key, table);
  EXPECT_EQ(ReadRecord(sphereClass, document.get(), row, ObjectsEnv(), &out), 17);
  EXPECT_EQ(out, nullptr);
  delete holder;

  ASSERT_EQ(ReadRecord(sphereClass, document.get(), row, ObjectsEnv(), &out), 0);
  EXPECT_EQ(out->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(out->GetId(), sphere->GetId());
  EXPECT_STREQ(out->GetKey().typeName, C3dSphere::kTypeName);
  EXPECT_EQ(out->GetKey().id, sphere->GetId());
  EXPECT_EQ(out->GetOwningTable(), nullptr);
  delete out;
}

}  // namespace
