// The shape items: what each makes, where it goes, and the preset materials of water planes, cloud
// planes and stones.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "scene/height_field.h"
#include "scene/object_family.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "tests/app/doc_create_fixture.h"

namespace {

using DocCreateShapes = DocCreateTest;

struct SShapeCase {
  const char* item;
  const char* typeName;
  vector3<double> extent;
  vector3<double> rotation;
  double y;
  bool plane;
  int32_t family;
};

constexpr double kTurn = 1.570796326795;

// Every shape item with placement off (no preferences file): one object, selected alone, recorded once.
TEST_F(DocCreateShapes, EachShapeItemMakesItsObjectAtItsDefaultSpot) {
  const SShapeCase cases[] = {
      {"water plane", "C3dPlane", {8, 0, 8}, {0, 0, 0}, 1.0, true, 2},
      {"cloud plane", "C3dPlane", {8, 0, 8}, {0, 0, 0}, 4.0, true, 8},
      {"ground plane", "C3dPlane", {16, 0, 16}, {0, 0, 0}, 0.0009765625, true, 0},
      {"terrain", "C3dHeightField", {8, 2, 8}, {0, 0, 0}, 1.0, false, 0},
      {"sym lattice", "C3dHeightField", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"sphere", "C3dSphere", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"ellipsoid", "C3dSphere", {2, 4, 2}, {0, 0, 0}, 2.0, false, 0},
      {"squashed sphere", "C3dSphere", {2, 2, 1}, {-kTurn, 0, 0}, 0.5, false, 0},
      {"torus", "C3dTorusType", {2, 0.5, 2}, {-kTurn, 0, 0}, 1.0, false, 0},
      {"tuboid", "C3dCylinder", {0.5, 4, 0.5}, {0, 0, kTurn}, 0.25, false, 0},
      {"cylinder", "C3dCylinder", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"squashed cylinder", "C3dCylinder", {2, 0.5, 2}, {0, 0, 0}, 0.25, false, 0},
      {"stretched cylinder", "C3dCylinder", {2, 4, 1}, {0, 0, 0}, 2.0, false, 0},
      {"cube", "C3dCube", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"brickoid", "C3dCube", {0.5, 0.5, 2}, {0, 0, 0}, 0.25, false, 0},
      {"stretched cube", "C3dCube", {1, 4, 2}, {0, 0, 0}, 2.0, false, 0},
      {"pyramid", "C3dPyramid", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"squashed pyramid", "C3dPyramid", {2, 0.5, 2}, {0, 0, 0}, 0.25, false, 0},
      {"stretched pyramid", "C3dPyramid", {1, 4, 2}, {0, 0, 0}, 2.0, false, 0},
      {"cone", "C3dCone", {2, 2, 2}, {0, 0, 0}, 1.0, false, 0},
      {"stretched cone", "C3dCone", {1, 4, 2}, {0, 0, 0}, 2.0, false, 0},
      {"squashed cone", "C3dCone", {1, 4, 1}, {-kTurn, 0, 0}, 0.5, false, 0},
      {"2d Hdisk", "C3dCircle", {2, 0, 2}, {0, 0, 0}, 0.25, false, 0},
      {"2d Vdisk", "C3dCircle", {2, 0, 2}, {-kTurn, 0, 0}, 1.0, false, 0},
      {"2d Hface", "C3dSquare", {2, 0, 2}, {0, 0, 0}, 0.25, false, 0},
      {"2d Vface", "C3dSquare", {2, 0, 2}, {-kTurn, 0, 0}, 1.0, false, 0},
  };
  Made();
  for (const SShapeCase& c : cases) {
    const size_t materials = MaterialCount();
    ASSERT_EQ(Create(c.item), kHandled) << c.item;
    C3dObject* object = Selected();
    ASSERT_NE(object, nullptr) << c.item;
    EXPECT_TRUE(object->IsSelected()) << c.item;
    EXPECT_STREQ(object->TypeName(), c.typeName) << c.item;
    EXPECT_EQ(Recorded(), std::vector<C3dObject*>{object}) << c.item;
    CHolder lock(object, false, false);
    ASSERT_TRUE(lock.IsLocked()) << c.item;
    ExpectNear(object->GetScaledSize(), c.extent, c.item, 1e-6);
    ExpectNear(object->GetTransformVector2(), c.rotation, c.item);
    const vector3<double> at = object->GetTransformVector3();
    EXPECT_EQ(at.x, 0) << c.item;
    EXPECT_EQ(at.z, 0) << c.item;
    if (c.plane) {
      EXPECT_GE(at.y, c.y) << c.item;
      EXPECT_LT(at.y, c.y + 0.001) << c.item;
    } else {
      EXPECT_EQ(at.y, c.y) << c.item;
    }
    EXPECT_EQ(object->GetCreationWord(0), uint32_t(c.family)) << c.item;
    EXPECT_EQ(object->GetCreationWord(1), FamilyColour(c.family)) << c.item;
    // A material of its own, one more in the scene: the libraries are missing here.
    C3dMaterial* material = MaterialOf(object);
    ASSERT_NE(material, nullptr) << c.item;
    EXPECT_NE(material, window->GetDefaultMaterial()) << c.item;
    EXPECT_EQ(PartOf(material), PartOf(window->GetDefaultMaterial())) << c.item;
    EXPECT_EQ(MaterialCount(), materials + 1) << c.item;
  }
  // The family colours of the odd families.
  EXPECT_EQ(FamilyColour(2), 0xd91fffu);
  EXPECT_EQ(FamilyColour(8), 0xcad084u);
  EXPECT_EQ(FamilyColour(20), 0x7e0039u);
}

TEST_F(DocCreateShapes, TheItemsWithSetUpOfTheirOwn) {
  Made();
  ASSERT_EQ(Create("torus"), kHandled);
  auto* torus = static_cast<C3dTorus*>(Selected());
  {
    CHolder lock(torus, false, false);
    EXPECT_EQ(torus->GetMinorRadius(), 1.0);
    EXPECT_EQ(torus->GetMajorRadius(), 3.0);
  }

  for (bool symmetric : {false, true}) {
    ASSERT_EQ(Create(symmetric ? "sym lattice" : "terrain"), kHandled);
    auto* field = static_cast<C3dHeightField*>(Selected());
    CHolder lock(field, false, false);
    EXPECT_EQ(field->GetSide(), C3dHeightField::kNewSide) << symmetric;
    EXPECT_EQ(field->IsSymmetric(), symmetric);
    EXPECT_EQ(field->GetLowerClip(), symmetric ? 0.03 : C3dHeightField::kDefaultLowerClip);
  }

  ASSERT_EQ(Create("stone"), kHandled);
  auto* stone = static_cast<C3dTriangleMesh*>(Selected());
  ASSERT_STREQ(stone->TypeName(), "C3dTriMeshType2");
  EXPECT_EQ(Recorded(), std::vector<C3dObject*>{stone});
  CHolder lock(stone, false, false);
  const C3dBox box = stone->LocalBox();
  ExpectNear(stone->GetScaledSize(), (box.fMax - box.fMin) * 2.0, "stone extent", 1e-6);
  ExpectNear(stone->GetTransformVector3(), {0, -2 * box.fMin.y, 0}, "stone position");
  EXPECT_NEAR(stone->WorldBox().fMin.y, 0, 1e-6);
  EXPECT_TRUE(stone->GetStateFlags() & 0x40000);
  EXPECT_EQ(stone->GetCreationWord(0), 20u);
  ASSERT_GT(stone->GetFaceCount(), 0u);
  // Without a library the stone keeps no material.
  EXPECT_EQ(MaterialOf(stone), nullptr);

  struct {
    double aspect;
    vector3<double> extent;
  } faces[] = {{1.0, {2, 0, 2}}, {2.0, {4, 0, 2}}, {0.5, {2, 0, 4}}};
  for (const auto& face : faces) {
    ASSERT_EQ(window->CreateVerticalFace(face.aspect), 0);
    CHolder held(Selected(), false, false);
    ExpectNear(Selected()->GetScaledSize(), face.extent, "aspect " + std::to_string(face.aspect), 1e-6);
  }
}

TEST_F(DocCreateShapes, ObjectsInViewGoInFrontOfTheCamera) {
  Made();
  AimCamera({0, 5, -20}, {0, 0, 1});
  struct {
    const char* item;
    double y;
    double jitter;  // 0 for an exact height
  } cases[] = {
      {"sphere", 5.0, 0}, {"water plane", 4.0, 0.001}, {"ground plane", 3.5, 0.001},
      {"2d Hdisk", 4.0, 0}, {"torus", 5.0, 0},         {"cloud plane", 6.0, 0.001},
  };
  WritePreferences(1);
  for (const auto& c : cases) {
    ASSERT_EQ(Create(c.item), kHandled) << c.item;
    C3dObject* object = Selected();
    CHolder lock(object, false, false);
    const vector3<double> at = object->GetTransformVector3();
    EXPECT_NEAR(at.x, 0, 1e-12) << c.item;
    EXPECT_NEAR(at.z, -8.68629150102, 1e-9) << c.item;
    if (c.jitter == 0) {
      EXPECT_EQ(at.y, c.y) << c.item;
    } else {
      EXPECT_GE(at.y, c.y) << c.item;
      EXPECT_LT(at.y, c.y + c.jitter) << c.item;
    }
  }

  // World centre: the word 0, a short file whose word is 0, no camera.
  const std::function<void()> centred[] = {
      [&] { WritePreferences(0); },
      [&] { WritePreferences(0, 16); },
      [&] {
        WritePreferences(1);
        window->SetCurrentCamera(nullptr);
      },
  };
  C3dCamera* camera = window->GetCurrentCamera();
  for (size_t i = 0; i < std::size(centred); ++i) {
    centred[i]();
    ASSERT_EQ(Create("sphere"), kHandled) << i;
    CHolder lock(Selected(), false, false);
    EXPECT_EQ(Selected()->GetTransformVector3(), (vector3<double>{0, 1, 0})) << i;
  }
  window->SetCurrentCamera(camera);
}

// ---- preset materials

class DocCreatePresets : public DocCreateTest {
 protected:
  void SetUp() override {
    DocCreateTest::SetUp();
    if (HasFatalFailure()) return;
    Made();
    if (!CanReadLibraries()) GTEST_SKIP() << "library materials cannot be read yet";
  }
  // The record of the library that the next pick takes, from the generator's state.
  static uint32_t NextPick(uint32_t records) {
    SRandomState copy = GetRandomState();
    return uint32_t(NextRandom(copy) * double(RandomScale) * double(records - 1));
  }
};

const std::vector<vector3<float>> kColours = {{0.1f, 0.2f, 0.9f}, {0.2f, 0.4f, 0.8f}, {0.3f, 0.6f, 0.7f}};

TEST_F(DocCreatePresets, ThePickNeverTakesTheLastOfSeveralRecords) {
  for (size_t records : {size_t(1), size_t(2), size_t(3)}) {
    WriteLibrary("Water.shd", std::vector<vector3<float>>(kColours.begin(), kColours.begin() + records));
    std::set<uint32_t> picked;
    for (int draw = 0; draw < 24; ++draw) {
      C3dMaterial* target = window->GetDefaultMaterial();
      const uint32_t expected = NextPick(uint32_t(records));
      ASSERT_EQ(window->ApplyRandomPresetMaterial(3, target), 0);
      EXPECT_EQ(DiffuseOf(target), kColours[expected]) << records << " records, draw " << draw;
      picked.insert(expected);
      // Another state of the generator for the next draw.
      NextRandom(GetRandomState());
    }
    const std::set<uint32_t> all = records == 3 ? std::set<uint32_t>{0, 1} : std::set<uint32_t>{0};
    EXPECT_EQ(picked, all) << records;
  }
}

TEST_F(DocCreatePresets, WaterPlanesTakeALibraryMaterialUnlessCtrlIsHeld) {
  WriteLibrary("Water.shd", kColours);
  const size_t materials = MaterialCount();
  ASSERT_EQ(Create("water plane"), kHandled);
  C3dMaterial* material = MaterialOf(Selected());
  ASSERT_NE(material, nullptr);
  const vector3<float> colour = DiffuseOf(material);
  EXPECT_TRUE(colour == kColours[0] || colour == kColours[1]);
  // The factory's copy went again: one material more.
  EXPECT_EQ(MaterialCount(), materials + 1);

  HoldControl(true);
  ASSERT_EQ(Create("water plane"), kHandled);
  EXPECT_EQ(PartOf(MaterialOf(Selected())), PartOf(window->GetDefaultMaterial()));
  ASSERT_EQ(Create("stone"), kHandled);
  auto* stone = static_cast<C3dTriangleMesh*>(Selected());
  C3dMaterial* plain = MaterialOf(stone);
  ASSERT_NE(plain, nullptr);
  EXPECT_NE(plain, window->GetDefaultMaterial());
  EXPECT_EQ(PartOf(plain), PartOf(window->GetDefaultMaterial()));
  for (uint32_t i = 0; i < stone->GetFaceCount(); ++i) {
    S3dFace face;
    ASSERT_TRUE(stone->GetFace(i, &face));
    ASSERT_EQ(face.attribute, plain->GetHandle()) << i;
  }
  HoldControl(false);

  // A stone takes its library's material on every face.
  WriteLibrary("Stones.shd", {kColours[2]});
  ASSERT_EQ(Create("stone"), kHandled);
  stone = static_cast<C3dTriangleMesh*>(Selected());
  EXPECT_EQ(DiffuseOf(MaterialOf(stone)), kColours[2]);
}

TEST_F(DocCreatePresets, AMissingOrEmptyLibraryLeavesTheFactorysMaterial) {
  for (bool empty : {false, true}) {
    if (empty) WriteLibrary("Clouds.shd", {});
    const size_t materials = MaterialCount();
    ASSERT_EQ(Create("cloud plane"), kHandled) << empty;
    EXPECT_EQ(PartOf(MaterialOf(Selected())), PartOf(window->GetDefaultMaterial())) << empty;
    EXPECT_EQ(MaterialCount(), materials + 1) << empty;
  }
}

}  // namespace
