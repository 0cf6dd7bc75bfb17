// Reading documents: the modes, the progress titles, reading one thing by key with what it needs,
// rows that repeat an id, and ids that a table already holds.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "document_fixture.h"

namespace {

class Reading : public DocumentTest {
 protected:
  // The families and classes a read gave, as "family/class" texts, without duplicates.
  static std::set<std::string> Kinds(C3dBaseSys* in) {
    std::set<std::string> kinds;
    for (C3dBase* thing : Things(in)) kinds.insert(Code(thing->GetFamily()) + "/" + Code(thing->GetClass()));
    return kinds;
  }
  static std::string Code(uint32_t tag) {
    return {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
  }
};

TEST_F(Reading, EachModeReadsItsClasses) {
  BuildFullScene(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  const size_t all = Things(table).size();

  C3dBaseSys everything(ObjectsEnv());
  ASSERT_EQ(everything.ReadDocument(document.get(), 0), 0);
  EXPECT_EQ(Things(&everything).size(), all);

  C3dBaseSys merged(ObjectsEnv());
  ASSERT_EQ(merged.ReadDocument(document.get(), 1), 0);
  EXPECT_EQ(Things(&merged).size(), all - 1);
  EXPECT_EQ(Count(&merged, C3dCamera::kFamily, C3dCamera::kClassTag), 0u);

  C3dBaseSys materials(ObjectsEnv());
  ASSERT_EQ(materials.ReadDocument(document.get(), 2), 0);
  EXPECT_EQ(Kinds(&materials), (std::set<std::string>{"txtr/qntx", "txtr/pctx", "matr/base", "sky0/base", "lght/sunl"}));

  EXPECT_EQ(everything.ReadDocument(document.get(), 3), 16);
}

TEST_F(Reading, ADocumentWithoutCamerasReadsInModeZero) {
  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(read.ReadDocument(document.get(), 0), 0);
  EXPECT_NE(Find(&read, sphere), nullptr);
  EXPECT_EQ(Things(&read).size(), 2u);
}

std::vector<std::string> gTitles;

TEST_F(Reading, WithoutTheirListTheStepsHaveTheBuiltInTitles) {
  BuildFullScene(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  gTitles.clear();
  ASSERT_TRUE(ProgressSubscribe(this, [](void*, void* record, void*) -> int32_t {
    const auto* progress = static_cast<SProgressRecord*>(record);
    if (progress->message == kProgressTitleChanged && progress->innermost == progress->outermost)
      gTitles.emplace_back(progress->innermost->GetTitle());
    return 0;
  }));
  C3dBaseSys read(ObjectsEnv());
  EXPECT_EQ(read.ReadDocument(document.get(), 0), 0);
  ProgressUnsubscribe(this);
  ASSERT_EQ(gTitles.size(), 23u);
  EXPECT_EQ(gTitles.front(), "14Loading Textures");
  EXPECT_EQ(gTitles[9], "14Circles");
  EXPECT_EQ(gTitles[15], "14Loading Lights");
  EXPECT_EQ(gTitles.back(), "14Loading Cameras");
}

TEST_F(Reading, AnObjectReadByKeyBringsItsMaterialAndTextures) {
  const SFullScene scene = BuildFullScene(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  C3dSphere* ball = nullptr;
  for (C3dBase* thing : Things(table)) {
    if (thing->AsObject() && MaterialOf(thing->AsObject()) == scene.texturedMaterial) ball = static_cast<C3dSphere*>(thing);
  }
  ASSERT_NE(ball, nullptr);

  C3dBaseSys read(ObjectsEnv());
  C3dBase* out = nullptr;
  ASSERT_EQ(read.ReadObjectByKey(C3dSphere::kFamily, C3dSphere::kClassTag, ball->GetId(), &out, document.get()), 0);
  ASSERT_EQ(out, Find(&read, ball));
  EXPECT_EQ(Things(&read).size(), 4u);
  C3dMaterial* material = MaterialOf(out->AsObject());
  ASSERT_EQ(material, Find(&read, scene.texturedMaterial));
  EXPECT_EQ(material->GetChannelTexture(0), Find(&read, scene.texture));
  EXPECT_EQ(material->GetChannelTexture(1), Find(&read, scene.picture));

  // The spot light's two materials.
  ASSERT_EQ(read.ReadObjectByKey(C3dLight::kFamily, C3dConeLight::kClassTag, scene.lightWithWord->GetId(), &out,
                                 document.get()),
            0);
  EXPECT_EQ(static_cast<C3dLight*>(out)->GetLightWord(), static_cast<C3dMaterial*>(Find(&read, scene.lightWord))->GetHandle());

  // A group with its members: the boolean group comes back whole.
  ASSERT_EQ(read.ReadObjectByKey(C3dGroup::kFamily, C3dGroup::kClassTag, scene.booleanGroup->GetId(), &out,
                                 document.get()),
            0);
  auto* group = static_cast<C3dGroup*>(out);
  ASSERT_EQ(group->GetMemberCount(), 2u);
  EXPECT_EQ(group->GetMember(0), Find(&read, scene.booleanGroup->GetMember(0)));
  EXPECT_TRUE(group->GetStateFlags() & C3dObject::kBooleanGroup);
}

// A mesh's faces each name a material; a document may name others there than the mesh's own.
TEST_F(Reading, AMeshReadByKeyBringsTheMaterialsItsFacesName) {
  C3dTriangleMesh* mesh = MakeObject<C3dTriangleMesh>(table);
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
  ASSERT_EQ(mesh->AddTriangle({0, 0, 1}, {1, 0, 1}, {0, 1, 1}), 0);
  mesh->ComputeBounds();
  C3dMaterial* own = MakeObject<C3dMaterial>(table);
  C3dMaterial* second = MakeObject<C3dMaterial>(table);
  mesh->SetMaterial(own->GetHandle());
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  SSpoolKey key;
  key.Set(mesh->TypeName(), mesh->GetId(), false);
  Bytes stored = Stored(key);
  const size_t faces = C3dTriangleMesh::kArraysOffset + size_t(C3dTriangleMesh::kVertexBytes) * mesh->GetVertexCapacity() +
                       size_t(C3dTriangleMesh::kNormalBytes) * mesh->GetNormalCapacity();
  const size_t attribute = faces + C3dTriangleMesh::kFaceBytes + 64;  // the second face's, never swapped
  ASSERT_LE(attribute + 4, stored.size());
  ASSERT_EQ(WordAt(stored, attribute), own->GetId());
  StoreField(stored.data() + attribute, second->GetId());
  Overwrite(key, stored);

  C3dBaseSys read(ObjectsEnv());
  C3dBase* out = nullptr;
  ASSERT_EQ(read.ReadObjectByKey(C3dTriangleMesh::kFamily, C3dTriangleMesh::kClassTag, mesh->GetId(), &out,
                                 document.get()),
            0);
  EXPECT_EQ(MaterialOf(out->AsObject()), Find(&read, own));
  EXPECT_NE(Find(&read, second), nullptr);
  EXPECT_EQ(Count(&read, C3dMaterial::kFamily, C3dMaterial::kClassTag), 2u);
}

TEST_F(Reading, WhatCannotBeReadByKeyIsRefused) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  C3dSunLight* sun = MakeObject<C3dSunLight>(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  C3dBaseSys read(ObjectsEnv());
  C3dBase* out = sphere;
  const struct {
    const char* name;
    uint32_t family, classTag, id;
    int32_t code;
  } cases[] = {
      {"a camera", C3dCamera::kFamily, C3dCamera::kClassTag, camera->GetId(), 6},
      {"the sun", C3dLight::kFamily, C3dSunLight::kClassTag, sun->GetId(), 6},
      {"an id the document lacks", C3dSphere::kFamily, C3dSphere::kClassTag, 999, 6},
      {"a class the document lacks", C3dCube::kFamily, C3dCube::kClassTag, sphere->GetId(), 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read.ReadObjectByKey(c.family, c.classTag, c.id, &out, document.get()), c.code) << c.name;
    EXPECT_EQ(out, nullptr) << c.name;
  }
  EXPECT_EQ(Things(&read).size(), 0u);

  EXPECT_EQ(read.ReadGroupMembers(sphere, document.get()), 16);
  EXPECT_EQ(table->GetObjectAt(uint32_t(Things(table).size()), &out), 16);
  EXPECT_EQ(out, nullptr);
}

// A document that holds one id twice for a type, as a damaged or foreign one may.
TEST_F(Reading, OfTwoRowsWithOneIdTheLaterIsRead) {
  C3dSphere* first = MakeShape<C3dSphere>(table);
  C3dSphere* second = MakeShape<C3dSphere>(table);
  SetName(first, "earlier");
  SetName(second, "later");
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  {
    CResTypeTable* rows = nullptr;
    ASSERT_TRUE(document->FindType(C3dSphere::kTypeName, &rows, nullptr));
    CHolder holder(rows, true, false);
    ASSERT_EQ(rows->GetCount(), 2u);
    (*rows)[1].number = (*rows)[0].number;
  }
  C3dBaseSys whole(ObjectsEnv());
  ASSERT_EQ(whole.ReadDocument(document.get(), 0), 0);
  ASSERT_EQ(Count(&whole, C3dSphere::kFamily, C3dSphere::kClassTag), 1u);
  C3dBase* sphere = Find(&whole, first);
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(NameOf(sphere), "later");

  C3dBaseSys keyed(ObjectsEnv());
  C3dBase* out = nullptr;
  ASSERT_EQ(keyed.ReadObjectByKey(C3dSphere::kFamily, C3dSphere::kClassTag, first->GetId(), &out, document.get()), 0);
  EXPECT_EQ(NameOf(out), "later");
}

// Merged into a table that holds the same ids already, the things get fresh ids and keep their links.
TEST_F(Reading, ThingsWhoseIdsTheTableHoldsGetFreshIdsAndKeepTheirLinks) {
  BuildFullScene(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  C3dBaseSys merged(ObjectsEnv());
  std::vector<C3dBase*> before;
  for (int i = 0; i < 12; ++i) before.push_back(MakeShape<C3dCube>(&merged));
  ASSERT_EQ(merged.ReadDocument(document.get(), 1), 0);

  std::set<uint32_t> ids;
  for (C3dBase* thing : Things(&merged)) EXPECT_TRUE(ids.insert(thing->GetId()).second) << thing->GetId();
  for (C3dBase* cube : before) EXPECT_EQ(MaterialOf(cube->AsObject())->GetOwningTable(), &merged);
  // The read things, found by name, hold what the document linked.
  C3dBase* carved = nullptr;
  ASSERT_EQ(merged.FindObject("carved", C3dGroup::kFamily, C3dGroup::kClassTag, &carved), 0);
  auto* group = static_cast<C3dGroup*>(carved);
  ASSERT_EQ(group->GetMemberCount(), 2u);
  EXPECT_EQ(NameOf(group->GetMember(0)), "plus");
  EXPECT_EQ(NameOf(group->GetMember(1)), "minus");
  C3dBase* ball = nullptr;
  ASSERT_EQ(merged.FindObject("textured ball", C3dSphere::kFamily, C3dSphere::kClassTag, &ball), 0);
  C3dMaterial* material = MaterialOf(ball->AsObject());
  ASSERT_NE(material->GetChannelTexture(0), nullptr);
  EXPECT_EQ(NameOf(material->GetChannelTexture(0)), "noise");
  EXPECT_EQ(NameOf(material->GetChannelTexture(1)), "bricks");
  EXPECT_EQ(Count(&merged, C3dMaterial::kFamily, C3dMaterial::kClassTag),
            12 + Count(table, C3dMaterial::kFamily, C3dMaterial::kClassTag));
}

}  // namespace
