// Converting the selection to another kind of object, and the conversion as one undoable step.
#include "editing/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "editing/convert_action.h"
#include "platform/alloc.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/height_field.h"
#include "scene/object_family.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "tests/editing/counting_action.h"
#include "tests/editing/editing_fixture.h"

namespace {

constexpr uint32_t kObjects = FourCC("3dob");
constexpr uint32_t kLights = FourCC("lght");

int gFactoryCalls = 0;
int gFailingCall = 0;

int32_t FailOnChosenCall(uint32_t, uint32_t) { return ++gFactoryCalls == gFailingCall ? kErrFailedCreation : kNoErr; }

enum class ESource { kSquare, kCube, kSphere, kTerrain, kRadialLight, kSpotLight };

class ConvertTest : public EditingTest {
 protected:
  // Terrains and stones are larger than the default budget allows for.
  uint32_t ObjectsBudget() const override { return 16 * 1024 * 1024; }
  void TearDown() override {
    SetConversionFactoryProbe(nullptr);
    EditingTest::TearDown();
  }

  CUndoHistory& History() { return document->GetUndoHistory(); }

  // A shape or light with a material of its own, of the extent given.
  C3dObject* Make(ESource source, std::optional<vector3<double>> extent = {}) {
    C3dObject* object = nullptr;
    switch (source) {
      case ESource::kSquare: object = MakeShape<C3dSquare>(table); break;
      case ESource::kCube: object = MakeShape<C3dCube>(table); break;
      case ESource::kSphere: object = MakeShape<C3dSphere>(table); break;
      case ESource::kRadialLight: object = MakeShape<C3dSphereLight>(table); break;
      case ESource::kSpotLight: object = MakeShape<C3dConeLight>(table); break;
      case ESource::kTerrain: {
        auto* field = MakeShape<C3dHeightField>(table);
        CHolder lock(field, true, false);
        EXPECT_EQ(field->Rebuild(), 0);
        object = field;
        break;
      }
    }
    if (object && extent) object->SetScaledSize(*extent);
    return object;
  }

  // As the window keeps it: the objects in the scene's order, then the lights.
  void Relist() {
    std::vector<C3dBase*> things;
    for (uint32_t family : {kObjects, kLights}) {
      CHolder lock(table, false, false);
      for (uint32_t row = 0; row < table->GetCount(); ++row) {
        if ((*table)[row].object->GetFamily() == family) things.push_back((*table)[row].object);
      }
    }
    SetObjectList(things);
  }

  int32_t Convert(const std::vector<C3dObject*>& selected, const char* target) {
    Selection().DeselectAll(1);
    for (C3dObject* object : selected) Selection().Add(object, 0, 1);
    Relist();
    return ConvertSelection(document.get(), target);
  }
  // The one object a conversion of one object leaves selected.
  C3dObject* Converted(C3dObject* source, const char* target) {
    EXPECT_EQ(Convert({source}, target), 0) << target;
    return Listed().size() == 1 ? Listed()[0] : nullptr;
  }

  static uint32_t MaterialFlags(C3dObject* object) {
    CHolder lock(MaterialOf(object), false, false);
    return MaterialOf(object)->GetRecord().sample.flags;
  }
  static double MaterialTransparency(C3dObject* object) {
    CHolder lock(MaterialOf(object), false, false);
    return MaterialOf(object)->GetRecord().sample.transparency;
  }
  void PushSomethingElse() { ASSERT_EQ(History().Push(new CCountingAction(&counts)), 0); }

  SActionCounts counts;
};

TEST_F(ConvertTest, EachTargetMakesItsKindAndSizesItByItsRule) {
  struct SCase {
    ESource source;
    std::optional<vector3<double>> extent;
    const char* target;
    bool replaced;
    uint32_t family;
    uint32_t classTag;
    std::optional<vector3<double>> expectedExtent;
  };
  const SCase cases[] = {
      {ESource::kSquare, {{2, 0, 2}}, "convert to cube", true, kObjects, FourCC("cube"), {{2, 2, 2}}},
      {ESource::kSquare, {{2, 0, 2}}, "convert to plane", true, kObjects, FourCC("plne"), {{2, 0, 2}}},
      {ESource::kSquare, {{2, 0, 2}}, "convert to disk", true, kObjects, FourCC("circ"), {{2, 0, 2}}},
      {ESource::kCube, {{4, 4, 2}}, "convert to torus", true, kObjects, FourCC("toru"), {{4, 0.5, 2}}},
      {ESource::kCube, {{4, 4, 2}}, "convert to square", true, kObjects, FourCC("sqre"), {{4, 0, 2}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to sphere", false, kObjects, FourCC("sphr"), {{2, 3, 4}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to cylinder", true, kObjects, FourCC("cylr"), {{2, 3, 4}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to pyramid", true, kObjects, FourCC("pyra"), {{2, 3, 4}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to cone", true, kObjects, FourCC("cone"), {{2, 3, 4}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to stone", true, kObjects, FourCC("tmsh"), {{2, 3, 4}}},
      {ESource::kTerrain, {}, "convert to sym lattice", true, kObjects, FourCC("hfld"), {}},
      {ESource::kTerrain, {}, "convert to terrain", false, kObjects, FourCC("hfld"), {}},
      {ESource::kRadialLight, {{2, 2, 2}}, "convert to sphere", true, kObjects, FourCC("sphr"), {{2, 2, 2}}},
      {ESource::kSpotLight, {{2, 2, 2}}, "convert to cube", true, kObjects, FourCC("cube"), {{2, 2, 2}}},
      {ESource::kSpotLight, {{2, 2, 2}}, "convert to spot light", false, kLights, FourCC("cone"), {}},
      {ESource::kSpotLight, {{2, 2, 2}}, "convert to radial light", true, kLights, FourCC("sphr"), {{2, 2, 2}}},
      {ESource::kSquare, {{2, 0, 2}}, "convert to radial light", true, kLights, FourCC("sphr"), {{2, 2, 2}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to square spot light", true, kLights, FourCC("pyrm"), {{2, 3, 4}}},
      {ESource::kSphere, {{2, 3, 4}}, "convert to parallel light", true, kLights, FourCC("cube"), {{2, 3, 4}}},
  };
  for (const SCase& c : cases) {
    const std::string what = std::string(c.target) + " from case source " + std::to_string(int(c.source));
    PushSomethingElse();
    CUndoableAction* before = History().GetCurrentAction();
    C3dObject* source = Make(c.source, c.extent);
    ASSERT_NE(source, nullptr) << what;
    C3dObject* made = Converted(source, c.target);
    ASSERT_NE(made, nullptr) << what;
    EXPECT_EQ(made != source, c.replaced) << what;
    EXPECT_EQ(made->GetFamily(), c.family) << what;
    EXPECT_EQ(made->GetClass(), c.classTag) << what;
    EXPECT_TRUE(InScene(made)) << what;
    EXPECT_EQ(InScene(source), !c.replaced) << what;
    if (c.expectedExtent) ExpectNear(made->GetScaledSize(), *c.expectedExtent, 1e-9, what.c_str());
    if (!c.replaced) {
      EXPECT_EQ(History().GetCurrentAction(), before) << what << ": nothing to record";
      continue;
    }
    auto* action = dynamic_cast<CConvertAction*>(History().GetCurrentAction());
    ASSERT_NE(action, nullptr) << what;
    EXPECT_EQ(action->GetCreatePart()->GetObjects().GetCount(), 1u) << what;
    EXPECT_EQ(action->GetDeletePart()->GetObjects().GetCount(), 1u) << what;
    if (c.classTag == FourCC("toru")) {
      auto* torus = static_cast<C3dTorus*>(made);
      EXPECT_EQ(torus->GetMinorRadius(), 1.0);
      EXPECT_EQ(torus->GetMajorRadius(), 3.0);
    }
  }
}

TEST_F(ConvertTest, ATerrainBecomesALatticeWithANewTerrainAndBack) {
  auto* terrain = static_cast<C3dHeightField*>(Make(ESource::kTerrain));
  auto* lattice = static_cast<C3dHeightField*>(Converted(terrain, "convert to sym lattice"));
  ASSERT_NE(lattice, nullptr);
  EXPECT_TRUE(lattice->IsSymmetric());
  EXPECT_EQ(lattice->GetSide(), C3dHeightField::kNewSide);
  {
    CHolder lock(lattice, false, false);
    const CHFUnit* grid = lattice->GetGrid();
    EXPECT_NE(*std::max_element(grid, grid + lattice->GetSide() * lattice->GetSide()), 0) << "a terrain was made";
  }
  EXPECT_EQ(Converted(lattice, "convert to sym lattice"), lattice);
  auto* back = static_cast<C3dHeightField*>(Converted(lattice, "convert to terrain"));
  ASSERT_NE(back, nullptr);
  EXPECT_NE(back, lattice);
  EXPECT_FALSE(back->IsSymmetric());
}

TEST_F(ConvertTest, AShapeBecomesAWhiteLightOfTheLightFamily) {
  C3dObject* sphere = Make(ESource::kSphere, {{2, 2, 2}});
  SetObjectFamily(*sphere, 7);
  auto* light = dynamic_cast<C3dSphereLight*>(Converted(sphere, "convert to radial light"));
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->GetColour().x, 1.0f);
  EXPECT_EQ(light->GetColour().y, 1.0f);
  EXPECT_EQ(light->GetColour().z, 1.0f);
  EXPECT_EQ(light->GetIntensity(), 5.0);
  EXPECT_EQ(light->C3dLight::GetRadius(), 1.0);
  EXPECT_EQ(light->GetStateFlags() & 0x1100u, 0x1100u);
  EXPECT_EQ(light->GetCreationWord(0), 3u);
  EXPECT_EQ(light->GetCreationWord(1), FamilyColour(3));
  EXPECT_NE(light->GetMaterial(), sphere->GetMaterial());
  EXPECT_TRUE(MaterialFlags(light) & SMaterialSample::kGlassLike);
  EXPECT_EQ(MaterialTransparency(light), 0.5);
  EXPECT_FALSE(MaterialFlags(sphere) & SMaterialSample::kGlassLike) << "the old object's material is its own";
  EXPECT_EQ(MaterialTransparency(sphere), 0.0);
}

TEST_F(ConvertTest, ALightCarriesItsLightOverAndTheBeamValueStartsAtZero) {
  auto* spot = static_cast<C3dConeLight*>(Make(ESource::kSpotLight, {{2, 2, 2}}));
  spot->SetColour({0.25f, 0.5f, 0.75f});
  spot->SetIntensity(7.5);
  spot->SetRadius(2.5);
  spot->SetExponent(3.0);
  auto* radial = dynamic_cast<C3dSphereLight*>(Converted(spot, "convert to radial light"));
  ASSERT_NE(radial, nullptr);
  EXPECT_EQ(radial->GetColour().y, 0.5f);
  EXPECT_EQ(radial->GetColour().z, 0.75f);
  EXPECT_EQ(radial->GetIntensity(), 7.5);
  EXPECT_EQ(radial->C3dLight::GetRadius(), 2.5);
  auto* again = dynamic_cast<C3dConeLight*>(Converted(radial, "convert to spot light"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->GetIntensity(), 7.5);
  EXPECT_EQ(again->GetExponent(), 0.0);
}

TEST_F(ConvertTest, AStoneHasItsMaterialOnEveryFaceAndTheStoneBit) {
  C3dObject* sphere = Make(ESource::kSphere, {{2, 2, 2}});
  auto* stone = dynamic_cast<C3dTriangleMesh*>(Converted(sphere, "convert to stone"));
  ASSERT_NE(stone, nullptr);
  EXPECT_TRUE(stone->GetStateFlags() & 0x40000u);
  ASSERT_GT(stone->GetFaceCount(), 0u);
  const Handle32 material = stone->GetMaterial();
  EXPECT_NE(material, sphere->GetMaterial());
  EXPECT_EQ(MaterialPart(MaterialOf(stone)), MaterialPart(MaterialOf(sphere))) << "a copy of the old material";
  for (uint32_t i = 0; i < stone->GetFaceCount(); ++i) {
    S3dFace face;
    ASSERT_TRUE(stone->GetFace(i, &face));
    ASSERT_EQ(face.attribute, material) << "face " << i;
  }
}

TEST_F(ConvertTest, PlacementFlagsFamilyAndBooleanRolesTravel) {
  C3dObject* sphere = Make(ESource::kSphere, {{2, 2, 2}});
  sphere->SetTransformVector2({0.1, 0.2, 0.3});
  sphere->SetTransformVector3({1, 2, 3});
  sphere->SetStateFlags(C3dObject::kNegative);
  sphere->SetFlags(C3dObject::kTransformLocked);
  SetObjectFamily(*sphere, 5);
  C3dObject* cube = Converted(sphere, "convert to cube");
  ASSERT_NE(cube, nullptr);
  ExpectNear(cube->GetTransformVector2(), {0.1, 0.2, 0.3});
  ExpectNear(cube->GetTransformVector3(), {1, 2, 3});
  EXPECT_TRUE(cube->GetStateFlags() & C3dObject::kNegative);
  EXPECT_TRUE(cube->IsTransformLocked());
  EXPECT_TRUE(cube->IsSelected());
  EXPECT_EQ(cube->GetCreationWord(0), 5u);
  EXPECT_EQ(cube->GetCreationWord(1), FamilyColour(5));
}

// ---- the conversion as one step

TEST_F(ConvertTest, TwoObjectsAreReplacedTogetherAndOneUndoBringsThemBack) {
  C3dObject* a = Make(ESource::kSphere);
  C3dObject* b = Make(ESource::kSphere);
  ASSERT_EQ(Convert({a, b}, "convert to cube"), 0);
  const std::vector<C3dObject*> made = Listed();
  ASSERT_EQ(made.size(), 2u);
  for (C3dObject* object : made) {
    EXPECT_EQ(object->GetClass(), FourCC("cube"));
    EXPECT_TRUE(InScene(object));
  }
  EXPECT_FALSE(InScene(a));
  EXPECT_FALSE(InScene(b));
  EXPECT_EQ(host.calls.back(), "objinfochanged 4");

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_TRUE(InScene(a) && a->IsSelected());
  EXPECT_TRUE(InScene(b) && b->IsSelected());
  for (C3dObject* object : made) EXPECT_FALSE(InScene(object));
  ASSERT_EQ(History().Redo(), 0);
  for (C3dObject* object : made) EXPECT_TRUE(InScene(object));
}

TEST_F(ConvertTest, AGroupKeepsItsPlaceAndItsMembersAreConvertedAtEveryDepth) {
  C3dObject* a = Make(ESource::kSphere);
  C3dObject* b = Make(ESource::kSphere);
  C3dObject* c = Make(ESource::kRadialLight);
  C3dGroup* inner = NewGroup({b, c});
  C3dGroup* outer = NewGroup({a, inner});
  ASSERT_EQ(Convert({outer}, "convert to cube"), 0);
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{outer});
  ASSERT_EQ(outer->GetMemberCount(), 2u);
  ASSERT_EQ(inner->GetMemberCount(), 2u);
  for (C3dGroup* group : {outer, inner}) {
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      C3dObject* member = group->GetMember(i);
      if (member == inner) continue;
      EXPECT_EQ(member->GetClass(), FourCC("cube"));
      EXPECT_EQ(member->GetParent(), group);
      EXPECT_FALSE(member->IsSelected());
      EXPECT_TRUE(InScene(member));
    }
  }
  for (C3dObject* old : {a, b, c}) EXPECT_FALSE(InScene(old));

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(a->GetParent(), outer);
  EXPECT_EQ(b->GetParent(), inner);
  EXPECT_EQ(c->GetParent(), inner);
  EXPECT_EQ(outer->GetMemberCount(), 2u);
  EXPECT_EQ(inner->GetMemberCount(), 2u);
  for (C3dObject* old : {a, b, c}) EXPECT_TRUE(InScene(old));
}

TEST_F(ConvertTest, ALightConvertedToACubeKeepsItsOwnMaterialAndBack) {
  C3dObject* light = Make(ESource::kRadialLight);
  {
    CHolder lock(MaterialOf(light), true, false);
    MaterialOf(light)->GetRecord().sample.flags |= SMaterialSample::kGlassLike;
    MaterialOf(light)->GetRecord().sample.transparency = 0.5;
  }
  C3dObject* cube = Converted(light, "convert to cube");
  ASSERT_NE(cube, nullptr);
  EXPECT_TRUE(MaterialFlags(light) & SMaterialSample::kGlassLike);
  EXPECT_EQ(MaterialTransparency(light), 0.5);
  EXPECT_FALSE(MaterialFlags(cube) & SMaterialSample::kGlassLike);
  EXPECT_EQ(MaterialTransparency(cube), 0.0);
  C3dObject* lightAgain = Converted(cube, "convert to radial light");
  ASSERT_NE(lightAgain, nullptr);
  EXPECT_TRUE(MaterialFlags(lightAgain) & SMaterialSample::kGlassLike);
  EXPECT_EQ(MaterialTransparency(lightAgain), 0.5);
  EXPECT_FALSE(MaterialFlags(cube) & SMaterialSample::kGlassLike);
}

TEST_F(ConvertTest, AFailingFactoryLeavesWhatWasConvertedUndoable) {
  C3dObject* a = Make(ESource::kSphere);
  C3dObject* b = Make(ESource::kSphere);
  C3dObject* c = Make(ESource::kSphere);
  gFactoryCalls = 0;
  gFailingCall = 2;
  SetConversionFactoryProbe(FailOnChosenCall);
  const uint32_t rowsBefore = table->GetCount();
  EXPECT_EQ(Convert({a, b, c}, "convert to cube"), kErrFailedCreation);
  // The walk goes from the last entry: c was converted, b failed, a was not reached.
  EXPECT_FALSE(InScene(c));
  EXPECT_TRUE(InScene(b) && InScene(a));
  auto* action = dynamic_cast<CConvertAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  ASSERT_EQ(action->GetCreatePart()->GetObjects().GetCount(), 1u);
  C3dObject* cube = action->GetCreatePart()->GetObjects()[0];
  EXPECT_TRUE(InScene(cube)) << "the new shape left the scratch table";
  EXPECT_EQ(table->GetCount(), rowsBefore + 1) << "one object out, one cube and its material in";
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_TRUE(InScene(c));
  EXPECT_FALSE(InScene(cube));
}

// Wherever memory runs out during a conversion of grouped and ungrouped objects, the conversion stops
// there and what it did stays in step with its action: undoing it puts every old object back into its
// own group and the scene and takes every replacement out; redoing and undoing again does the same.
// There are enough objects for the action's lists to grow on the way, and the window's object list is
// collected again after each change, as the window does.
TEST_F(ConvertTest, ARefusalAnywhereLeavesAConversionThatUndoesIntoEachOwnGroup) {
  constexpr int kGroups = 3, kMembers = 12, kLoose = 4;
  bool reachedTheEnd = false;
  for (uint32_t successes = 0; successes < 20000 && !reachedTheEnd; ++successes) {
    if (successes) {
      TearDown();
      SetUp();
    }
    std::vector<C3dGroup*> groups;
    std::vector<std::vector<C3dObject*>> members(kGroups);
    std::vector<C3dObject*> loose;
    for (int g = 0; g < kGroups; ++g) {
      for (int m = 0; m < kMembers; ++m) members[size_t(g)].push_back(Make(ESource::kSphere));
      groups.push_back(NewGroup(members[size_t(g)]));
    }
    for (int l = 0; l < kLoose; ++l) loose.push_back(Make(ESource::kSphere));
    Selection().DeselectAll(1);
    for (C3dGroup* group : groups) Selection().Add(group, 0, 1);
    for (C3dObject* object : loose) Selection().Add(object, 0, 1);
    Relist();
    host.collectOnFind = true;
    const CUndoableAction* before = History().GetCurrentAction();
    // Two failures in a row: a pool tries once more after its recovery.
    platform::FailAllocationsAfter(successes, 2);
    ConvertSelection(document.get(), "convert to cube");
    reachedTheEnd = platform::AllocationFailuresToCome() == 2;
    platform::FailNextAllocations(0);
    // Without its action (which memory did not allow) a conversion cannot be undone: the old objects
    // are gone.
    if (History().GetCurrentAction() == before) continue;
    const auto expectAsBefore = [&](const char* when) {
      for (size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(groups[g]->GetMemberCount(), uint32_t(kMembers)) << when << " after " << successes;
        for (C3dObject* member : members[g]) {
          EXPECT_EQ(member->GetParent(), groups[g]) << when << " after " << successes;
          EXPECT_TRUE(InScene(member)) << when << " after " << successes;
        }
      }
      for (C3dObject* object : loose) EXPECT_TRUE(InScene(object) && !object->GetParent()) << when << " after " << successes;
      CHolder lock(table, false, false);
      for (uint32_t row = 0; row < table->GetCount(); ++row)
        EXPECT_NE((*table)[row].object->GetClass(), FourCC("cube")) << when << " after " << successes;
    };
    ASSERT_NE(dynamic_cast<CConvertAction*>(History().GetCurrentAction()), nullptr);
    ASSERT_EQ(History().Undo(), 0) << successes;
    expectAsBefore("undone");
    ASSERT_EQ(History().Redo(), 0) << successes;
    ASSERT_EQ(History().Undo(), 0) << successes;
    expectAsBefore("redone and undone");
    if (HasFailure()) break;
  }
  EXPECT_TRUE(reachedTheEnd) << "some allocation always failed";
}

TEST_F(ConvertTest, NothingToConvertRecordsNothing) {
  C3dObject* sphere = Make(ESource::kSphere);
  PushSomethingElse();
  CUndoableAction* before = History().GetCurrentAction();
  for (const char* target : {"convert to nothing", "convert to sphere"}) {
    EXPECT_EQ(Convert({sphere}, target), 0) << target;
    EXPECT_EQ(History().GetCurrentAction(), before) << target;
    EXPECT_EQ(Listed(), std::vector<C3dObject*>{sphere}) << target;
    EXPECT_TRUE(InScene(sphere)) << target;
  }
  EXPECT_EQ(Convert({}, "convert to cube"), 0);
  EXPECT_EQ(History().GetCurrentAction(), before);
  EXPECT_EQ(counts.deletions, 0);
}

// The sanitizers watch the freeing: an undone conversion frees its new objects, a done one the old.
TEST_F(ConvertTest, DeletingAConversionFreesWhatItHoldsOnce) {
  for (bool undone : {true, false}) {
    C3dObject* light = Make(ESource::kRadialLight);
    C3dObject* sphere = Make(ESource::kSphere);
    C3dGroup* group = NewGroup({sphere});
    ASSERT_EQ(Convert({light, group}, "convert to stone"), 0);
    if (undone) {
      ASSERT_EQ(History().Undo(), 0);
      EXPECT_TRUE(InScene(light) && InScene(sphere));
    }
    PushSomethingElse();
    EXPECT_EQ(group->GetMemberCount(), 1u);
    EXPECT_TRUE(InScene(group->GetMember(0)));
    Selection().DeselectAll(1);
  }
}

}  // namespace
