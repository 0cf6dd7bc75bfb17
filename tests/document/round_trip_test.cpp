// A scene written into a document, read back and written again: the records, their keys and every
// link between the things come back.
#include <gtest/gtest.h>

#include "document_fixture.h"

namespace {

using RoundTrip = DocumentTest;

TEST_F(RoundTrip, EveryClassComesBackWithItsLinksAndWritesTheSameRecords) {
  const SFullScene scene = BuildFullScene(table);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  const std::map<std::string, Bytes> first = Records(document.get());

  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(read.ReadDocument(document.get(), 0), 0);
  CResourceEnv* second = NewDocument("second.qnc");
  ASSERT_EQ(read.WriteDocument(second), 0);
  const std::map<std::string, Bytes> again = Records(second);

  ASSERT_EQ(first.size(), again.size());
  for (const auto& [key, bytes] : first) {
    ASSERT_TRUE(again.count(key)) << key;
    EXPECT_EQ(again.at(key), bytes) << key;
  }
  // One record per thing, and the picture's own record beside its texture.
  EXPECT_EQ(first.size(), Things(table).size() + 1);
  EXPECT_TRUE(first.count("C3dCImage#" + std::to_string(scene.picture->GetId())));
  for (const SDocumentClass& cls : DocumentClasses()) EXPECT_EQ(Count(&read, cls.family, cls.classTag) > 0, true) << cls.typeName;

  // Every thing by its key, with its name; every object and light with its own material.
  for (C3dBase* original : Things(table)) {
    C3dBase* copy = Find(&read, original);
    ASSERT_NE(copy, nullptr) << original->TypeName() << " " << original->GetId();
    EXPECT_STREQ(copy->TypeName(), original->TypeName());
    EXPECT_EQ(NameOf(copy), NameOf(original));
    C3dObject* object = copy->AsObject();
    if (!object || copy->GetFamily() == C3dCamera::kFamily) continue;
    ASSERT_NE(MaterialOf(object), nullptr) << NameOf(copy);
    EXPECT_EQ(MaterialOf(object)->GetId(), MaterialOf(original->AsObject())->GetId()) << NameOf(copy);
  }
  EXPECT_EQ(Count(&read, C3dMaterial::kFamily, C3dMaterial::kClassTag),
            Count(table, C3dMaterial::kFamily, C3dMaterial::kClassTag));

  auto* material = static_cast<C3dMaterial*>(Find(&read, scene.texturedMaterial));
  EXPECT_EQ(material->GetChannelTexture(0), Find(&read, scene.texture));
  EXPECT_EQ(material->GetChannelTexture(1), Find(&read, scene.picture));
  EXPECT_EQ(material->GetChannelTexture(2), nullptr);
  auto* sky = static_cast<C3dSky*>(Find(&read, scene.sky));
  EXPECT_EQ(sky->GetCloudTexture(0), Find(&read, scene.cloud));
  EXPECT_EQ(sky->GetCloudTexture(1), nullptr);
  auto* light = static_cast<C3dLight*>(Find(&read, scene.lightWithWord));
  EXPECT_EQ(light->GetLightWord(), static_cast<C3dMaterial*>(Find(&read, scene.lightWord))->GetHandle());

  for (C3dGroup* original : {scene.group, scene.booleanGroup}) {
    auto* group = static_cast<C3dGroup*>(Find(&read, original));
    ASSERT_EQ(group->GetMemberCount(), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
      EXPECT_EQ(group->GetMember(i), Find(&read, original->GetMember(i))) << i;
      EXPECT_EQ(group->GetMember(i)->GetParent(), group);
    }
    EXPECT_EQ(group->GetStateFlags() & C3dObject::kBooleanGroup, original->GetStateFlags() & C3dObject::kBooleanGroup);
  }
  EXPECT_TRUE(static_cast<C3dGroup*>(Find(&read, scene.booleanGroup))->GetStateFlags() & C3dObject::kBooleanGroup);

  auto* picture = static_cast<CPictTexture*>(Find(&read, scene.picture));
  ASSERT_EQ(picture->GetPicture().GetWidth(), 4u);
  ASSERT_EQ(picture->GetPicture().GetHeight(), 2u);
  CImNavigator nav(&picture->GetPicture(), nullptr, false, false);
  ASSERT_TRUE(nav.IsUsable());
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(nav.Cells(i / 4)[i % 4].value, kPicturePixels[i]) << i;
}

}  // namespace
