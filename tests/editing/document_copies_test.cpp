// The document's copies of the selection: duplicate, duplicate with the last change repeated,
// replicate, the clipboard, and the textures the clipboard and the working materials keep when the
// window's scene table is replaced.
#include "editing/document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "editing/delete_action.h"
#include "platform/alloc.h"
#include "scene/cube.h"
#include "scene/square.h"
#include "scene/surface/texture.h"
#include "tests/editing/editing_fixture.h"

namespace {

class DocumentCopies : public EditingTest {
 protected:
  // The change a drag makes: the transform as it stood is kept as the drag-start copy first.
  static void Drag(C3dObject* object, const std::function<void(C3dTransform&)>& change) {
    C3dTransform& placement = object->GetPlacement();
    placement.fPrevScale = placement.fScale;
    placement.fPrevRotation = placement.fRotation;
    placement.fPrevPosition = placement.fPosition;
    change(placement);
    placement.fDirty = 1;
  }
  // The clipboard's placed objects: all, or those outside any group.
  uint32_t ClipboardObjects(bool topLevelOnly) {
    C3dBaseSys* clipboard = document->GetClipboard();
    CHolder holder(clipboard, false, false);
    uint32_t count = 0;
    for (uint32_t row = 0; row < clipboard->GetCount(); ++row) {
      C3dObject* object = (*clipboard)[row].object->AsObject();
      count += object && (!topLevelOnly || !object->GetParent());
    }
    return count;
  }
  uint32_t Count(C3dBaseSys* in, uint32_t family) {
    CHolder holder(in, false, false);
    uint32_t count = 0;
    for (uint32_t row = 0; row < in->GetCount(); ++row) count += (*in)[row].object->GetFamily() == family;
    return count;
  }
  void SelectOnly(std::initializer_list<C3dObject*> objects) {
    Selection().DeselectAll(1);
    for (C3dObject* object : objects) Selection().Add(object, 0, 0);
  }
};

TEST_F(DocumentCopies, DuplicateSelectsTheCopiesInsteadOfTheOriginals) {
  C3dSphere* a = NewSphere({1, 1, 1}, {0, 1, 0});
  C3dSphere* b = NewSphere({1, 1, 1}, {3, 1, 0});
  SelectOnly({a, b});
  ASSERT_EQ(document->CollectObjects(false), 0);
  const std::vector<C3dObject*> copies = Listed();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_FALSE(a->IsSelected() || b->IsSelected());
  for (size_t i = 0; i < 2; ++i) {
    C3dObject* source = i == 0 ? a : b;
    EXPECT_NE(copies[i], source);
    EXPECT_TRUE(copies[i]->IsSelected());
    EXPECT_TRUE(InScene(copies[i]));
    EXPECT_EQ(copies[i]->GetTransformVector3(), source->GetTransformVector3());
    ASSERT_NE(MaterialOf(copies[i]), nullptr);
    EXPECT_NE(MaterialOf(copies[i]), MaterialOf(source));
  }
}

// 'repl' gives each copy again the change its source shows since its drag started: the move, the
// turn, and the scale unless it would take the copy's size out of 0.01 to 9999 on that axis.
TEST_F(DocumentCopies, RepeatingTheLastChangeMovesTurnsAndScalesWithinTheSizeBounds) {
  C3dSphere* sphere = NewSphere({1, 1, 1}, {0, 1, 0});
  SelectOnly({sphere});
  ASSERT_EQ(document->CollectObjects(false), 0);
  C3dObject* moved = Listed().at(0);
  Drag(moved, [](C3dTransform& p) {
    p.fPosition += vector3<double>{1, 0, 0};
    p.fRotation += vector3<double>{0, 0.25, 0};
  });
  ASSERT_EQ(document->CollectObjects(true), 0);
  C3dObject* next = Listed().at(0);
  ExpectNear(next->GetTransformVector3(), {2, 1, 0});
  ExpectNear(next->GetTransformVector2(), {0, 0.5, 0});
  ExpectNear(next->GetPlacement().fPrevPosition, {1, 1, 0});
  ASSERT_EQ(document->CollectObjects(true), 0);
  ExpectNear(Listed().at(0)->GetTransformVector3(), {3, 1, 0});

  struct SCase {
    double scale, repeated;
  } cases[] = {
      {2, 4},           // a sphere of size 4 becomes 8
      {0.001, 0.001},   // size 0.002 would become 0.000002
      {3000, 3000},     // size 6000 would become 18000000
      {0.1, 0.01},      // 0.2 to 0.02 stays within
  };
  for (const SCase& c : cases) {
    C3dSphere* source = NewSphere({1, 1, 1}, {0, 1, 0});
    Drag(source, [&](C3dTransform& p) { p.fScale = {c.scale, 1, 1}; });
    SelectOnly({source});
    ASSERT_EQ(document->CollectObjects(true), 0);
    EXPECT_NEAR(Listed().at(0)->GetPlacement().fScale.x, c.repeated, 1e-12) << c.scale;
    EXPECT_NEAR(Listed().at(0)->GetPlacement().fScale.y, 1, 1e-12) << c.scale;
  }

  // A group's copy is left where it is, with its box taken again.
  C3dGroup* group = NewGroup({NewSphere({1, 1, 1}, {-2, 1, 0}), NewSphere({1, 1, 1}, {2, 1, 0})});
  group->ComputeBounds();
  SelectOnly({group});
  ASSERT_EQ(document->CollectObjects(true), 0);
  C3dGroup* copy = static_cast<C3dGroup*>(Listed().at(0));
  ASSERT_EQ(copy->GetClass(), C3dGroup::kClassTag);
  EXPECT_EQ(copy->GetBox(), group->GetBox());
  EXPECT_EQ(copy->GetMember(0)->GetParent(), copy);
}

TEST_F(DocumentCopies, ReplicateMakesGenerationsEachFromTheOneBefore) {
  C3dCube* cube = MakeShape<C3dCube>(table);
  cube->SetTransformVector3({1, 0, 0});
  SelectOnly({cube});
  SReplicateSettings settings;
  settings.offset = {2, 0, 0};
  settings.rotation = {0, 0.5, 0};
  ASSERT_EQ(document->ReplicateObjects(3, settings, 0), 0);
  const std::vector<C3dObject*> copies = Listed();
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_FALSE(cube->IsSelected());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(copies[i]->IsSelected());
    ExpectNear(copies[i]->GetTransformVector3(), {1 + 2.0 * double(i + 1), 0, 0});
    ExpectNear(copies[i]->GetTransformVector2(), {0, 0.5 * double(i + 1), 0});
  }

  // Scaled about the box's centre, the offset times the factors in mode 1, a factor limited so that a
  // size stays at least 0.01, and a flat square's factor kept on its flat axis.
  struct SCase {
    const char* what;
    C3dObject* source;
    vector3<double> factors;
    uint32_t mode;
    vector3<double> size1, size2, position2;
  } cases[] = {
      {"scaled offset", MakeShape<C3dCube>(table), {2, 1, 1}, C3dDocument::kScaledOffset, {2, 1, 1}, {4, 1, 1}, {4, 0, 0}},
      {"plain offset", MakeShape<C3dCube>(table), {2, 1, 1}, 0, {2, 1, 1}, {4, 1, 1}, {2, 0, 0}},
      {"shrunk to the least", MakeShape<C3dCube>(table), {1e-4, 1, 1}, 0, {0.01, 1, 1}, {0.01, 1, 1}, {2, 0, 0}},
      {"flat square", MakeShape<C3dSquare>(table), {2, 2, 2}, 0, {4, 0, 4}, {8, 0, 8}, {2, 0, 0}},
  };
  for (const SCase& c : cases) {
    SelectOnly({c.source});
    SReplicateSettings scaled;
    scaled.factors = c.factors;
    scaled.offset = {1, 0, 0};
    ASSERT_EQ(document->ReplicateObjects(2, scaled, c.mode), 0) << c.what;
    ASSERT_EQ(Listed().size(), 2u);
    ExpectNear(Listed()[0]->GetScaledSize(), c.size1, 1e-9, c.what);
    ExpectNear(Listed()[1]->GetScaledSize(), c.size2, 1e-9, c.what);
    ExpectNear(Listed()[1]->GetTransformVector3(), c.position2, 1e-9, c.what);
    const C3dBox box = Listed()[1]->WorldBox();
    for (double v : {box.fMin.x, box.fMin.y, box.fMin.z, box.fMax.x, box.fMax.y, box.fMax.z})
      EXPECT_TRUE(std::isfinite(v)) << c.what;
  }

  // A group's members are scaled by the factors about its centre, and the group moves by the offset.
  C3dSphere* left = NewSphere({1, 1, 1}, {-2, 1, 0});
  C3dGroup* group = NewGroup({left, NewSphere({1, 1, 1}, {2, 1, 0})});
  group->ComputeBounds();
  SelectOnly({group});
  SReplicateSettings grouped;
  grouped.factors = {2, 1, 1};
  grouped.offset = {0, 0, 10};
  ASSERT_EQ(document->ReplicateObjects(1, grouped, 0), 0);
  C3dGroup* copy = static_cast<C3dGroup*>(Listed().at(0));
  ASSERT_EQ(copy->GetClass(), C3dGroup::kClassTag);
  ExpectNear(copy->GetMember(0)->GetTransformVector3(), {-4, 1, 10});
  ExpectNear(copy->GetMember(0)->GetScaledSize(), {4, 2, 2});
  ExpectNear(left->GetTransformVector3(), {-2, 1, 0});
}

// Copy takes the selected objects but a group's members, whose group carries them; paste enters
// copies of the clipboard's objects and lights and selects them, and nothing else of it.
TEST_F(DocumentCopies, TheClipboardCopiesCutsAndPastesTheSelection) {
  C3dSphere* first = NewSphere({1, 1, 1}, {-2, 1, 0});
  C3dSphere* second = NewSphere({1, 1, 1}, {2, 1, 0});
  C3dGroup* group = NewGroup({first, second});
  group->ComputeBounds();
  C3dSphere* loose = NewSphere({1, 1, 1}, {0, 1, 5});
  SelectOnly({group, first, loose});
  EXPECT_EQ(document->Paste(), 0);  // an empty clipboard changes nothing
  EXPECT_EQ(Listed().size(), 3u);

  ASSERT_EQ(document->CopySelection(false), 0);
  EXPECT_EQ(ClipboardObjects(false), 4u);  // the group with its two members, and the loose sphere
  EXPECT_EQ(ClipboardObjects(true), 2u);
  EXPECT_TRUE(InScene(group) && InScene(loose) && loose->IsSelected());

  const uint32_t materials = Count(table, C3dMaterial::kFamily);
  const uint32_t objects = Count(table, C3dBaseSys::kObjectFamily);
  ASSERT_EQ(document->Paste(), 0);
  const std::vector<C3dObject*> pasted = Listed();
  ASSERT_EQ(pasted.size(), 2u);
  C3dGroup* groupCopy = static_cast<C3dGroup*>(pasted[0]);
  ASSERT_EQ(groupCopy->GetClass(), C3dGroup::kClassTag);
  ASSERT_EQ(groupCopy->GetMemberCount(), 2u);
  EXPECT_EQ(groupCopy->GetMember(1)->GetParent(), groupCopy);
  EXPECT_EQ(groupCopy->GetBox(), group->GetBox());
  EXPECT_EQ(pasted[1]->GetTransformVector3(), loose->GetTransformVector3());
  EXPECT_FALSE(group->IsSelected() || loose->IsSelected());
  EXPECT_EQ(Count(table, C3dBaseSys::kObjectFamily), objects + 4);
  EXPECT_EQ(Count(table, C3dMaterial::kFamily), materials + 3);  // one for each pasted sphere
  EXPECT_EQ(ClipboardObjects(false), 4u);

  // Cut: the clipboard holds the loose sphere alone, which leaves the scene through a delete action.
  SelectOnly({loose});
  ASSERT_EQ(document->CopySelection(true), 0);
  EXPECT_EQ(ClipboardObjects(false), 1u);
  auto* action = dynamic_cast<CDeleteAction*>(document->GetUndoHistory().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(loose->GetOwningTable(), action->GetHoldingTable());
  EXPECT_EQ(Selection().GetCount(), 0u);
}

TEST_F(DocumentCopies, ADocumentWithoutAClipboardAnswersNine) {
  // The first allocation that the clipboard's table cannot do without fails.
  std::unique_ptr<C3dDocument> made;
  for (uint32_t n = 0; n < 32 && (!made || made->GetClipboard()); ++n) {
    platform::FailAllocationsAfter(n, 1);
    made = std::make_unique<C3dDocument>(&host);
    platform::FailNextAllocations(0);
  }
  ASSERT_EQ(made->GetClipboard(), nullptr);
  C3dDocument& bare = *made;
  C3dSphere* sphere = NewSphere();
  bare.GetSelection().Add(sphere, 0, 0);
  EXPECT_EQ(bare.CopySelection(false), 9);
  EXPECT_EQ(bare.CopySelection(true), 9);
  EXPECT_EQ(bare.Paste(), 9);
  EXPECT_TRUE(InScene(sphere));
  bare.GetSelection().DeselectAll(1);
}

// A material that reads component 1: copies of it carry the texture.
void GiveTexture(C3dMaterial* material, CBaseTexture* texture, int component) {
  {
    CHolder holder(material, true, false);
    material->GetRecord().sources[C3dMaterial::kDiffuseColourSource] = component + 1;
  }
  ASSERT_EQ(material->SetChannelTexture(texture, component), 0);
}

// Opening a document replaces the window's table: the textures of the clipboard's materials and of
// the working materials move into the new table, and what was copied before pastes into the new scene.
TEST_F(DocumentCopies, TheClipboardSurvivesTheSceneTableBeingReplaced) {
  C3dTexture* texture = MakeObject<C3dTexture>(table);
  C3dTexture* kept = MakeObject<C3dTexture>(table);
  C3dSphere* sphere = NewSphere();
  GiveTexture(MaterialOf(sphere), texture, 0);
  C3dBaseSys working(ObjectsEnv());
  C3dMaterial* defaultMaterial = MakeObject<C3dMaterial>(&working);
  GiveTexture(defaultMaterial, kept, 2);
  SelectOnly({sphere});
  ASSERT_EQ(document->CopySelection(false), 0);
  ASSERT_EQ(document->GetUndoHistory().Push(new CDeleteAction(table)), 0);

  auto* opened = new C3dBaseSys(ObjectsEnv());
  MakeObject<C3dCube>(opened);
  MakeObject<C3dCube>(opened);
  ASSERT_EQ(document->MoveKeptTextures(table, opened, defaultMaterial, nullptr), 0);
  EXPECT_EQ(texture->GetOwningTable(), opened);
  EXPECT_EQ(kept->GetOwningTable(), opened);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);

  // The window drops its old scene and takes the new one.
  Selection().DeselectAll(0);
  delete table;
  table = opened;
  host.scene = opened;
  ASSERT_EQ(document->Paste(), 0);
  C3dObject* pasted = Listed().at(0);
  EXPECT_TRUE(InScene(pasted));
  EXPECT_EQ(MaterialOf(pasted)->GetChannelTexture(0), texture);
  EXPECT_EQ(defaultMaterial->GetChannelTexture(2), kept);
}

// A table that refuses the n-th thing it is given.
class CRefusingTable : public C3dBaseSys {
 public:
  CRefusingTable(CSpoolSys* environment, uint32_t refused) : C3dBaseSys(environment), fRefused(refused) {}

 protected:
  int32_t OnObjectAdded(C3dBase* object) override {
    return ++fAdded == fRefused ? kErrExpansion : C3dBaseSys::OnObjectAdded(object);
  }

 private:
  uint32_t fRefused;
  uint32_t fAdded = 0;
};

// A texture that cannot be moved leaves the old scene whole: every texture back in the old table
// under its own id, and the undo history kept.
TEST_F(DocumentCopies, ATextureThatCannotMoveTakesTheOthersBack) {
  C3dBaseSys working(ObjectsEnv());
  for (uint32_t refused : {2u, 3u, 4u, 5u}) {  // the cube is the first thing added
    C3dBaseSys from(ObjectsEnv());
    CRefusingTable into(ObjectsEnv(), refused);
    C3dTexture* textures[3] = {MakeObject<C3dTexture>(&from), MakeObject<C3dTexture>(&from),
                               MakeObject<C3dTexture>(&from)};
    const uint32_t ids[3] = {textures[0]->GetId(), textures[1]->GetId(), textures[2]->GetId()};
    MakeObject<C3dCube>(&into);  // holds the first texture's id, so the move gives it another
    C3dMaterial* material = MakeObject<C3dMaterial>(&working);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(material->SetChannelTexture(textures[k], k), 0);
    ASSERT_EQ(document->GetUndoHistory().Push(new CDeleteAction(&from)), 0);

    const int32_t result = document->MoveKeptTextures(&from, &into, material, nullptr);
    if (refused == 5) {
      EXPECT_EQ(result, 0);
      for (C3dTexture* texture : textures) EXPECT_EQ(texture->GetOwningTable(), &into);
      EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
    } else {
      EXPECT_EQ(result, kErrExpansion) << refused;
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(textures[k]->GetOwningTable(), &from) << refused;
        EXPECT_EQ(textures[k]->GetId(), ids[k]) << refused;
      }
      EXPECT_EQ(into.GetCount(), 1u) << refused;
      EXPECT_EQ(from.GetCount(), 3u) << refused;
      EXPECT_NE(document->GetUndoHistory().GetCurrentAction(), nullptr) << refused;
    }
    document->GetUndoHistory().Clear();
    delete material;
  }
}

}  // namespace
