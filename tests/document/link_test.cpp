// The link step: default materials only where a thing names none, member lists that cannot be
// trusted, and textures that live in a shared environment when a material is written.
#include <gtest/gtest.h>

#include <functional>

#include "document_fixture.h"
#include "framework/core/ix_loader.h"

namespace {

class Link : public DocumentTest {
 protected:
  // Writes the table into a fresh document, reads that into a fresh table, and answers both.
  std::unique_ptr<C3dBaseSys> Cycle(C3dBaseSys* from, const std::string& name, std::map<std::string, Bytes>* records) {
    CResourceEnv* into = NewDocument(name);
    EXPECT_EQ(from->WriteDocument(into), 0);
    if (records) *records = Records(into);
    auto read = std::make_unique<C3dBaseSys>(ObjectsEnv());
    EXPECT_EQ(read->ReadDocument(into, 0), 0);
    return read;
  }
  static size_t MaterialRecords(const std::map<std::string, Bytes>& records) {
    size_t n = 0;
    for (const auto& [key, bytes] : records) n += key.starts_with("C3dBaseMaterial#");
    return n;
  }
  static SSpoolKey KeyOf(const C3dBase* thing) {
    SSpoolKey key;
    key.Set(thing->TypeName(), thing->GetId(), false);
    return key;
  }
  // The stored record of a thing with a word put in, big-endian.
  void PutStoredWord(const C3dBase* thing, size_t at, uint32_t value) {
    Bytes bytes = Stored(KeyOf(thing));
    ASSERT_LE(at + 4, bytes.size());
    StoreField(bytes.data() + at, SwapLong(value));
    Overwrite(KeyOf(thing), bytes);
  }
  void SetFirstMember(const C3dGroup* group, const C3dBase* member) {
    PutStoredWord(group, C3dGroup::kMembersOffset + 4, member->GetClass());
    PutStoredWord(group, C3dGroup::kMembersOffset + 8, member->GetId());
  }
};

TEST_F(Link, ADocumentWhoseThingsNameTheirMaterialsGainsNone) {
  BuildFullScene(table);
  std::map<std::string, Bytes> first, second;
  std::unique_ptr<C3dBaseSys> once = Cycle(table, "one.qnc", &first);
  std::unique_ptr<C3dBaseSys> twice = Cycle(once.get(), "two.qnc", &second);
  Cycle(twice.get(), "three.qnc", &second);
  EXPECT_EQ(MaterialRecords(first), MaterialRecords(second));
  EXPECT_EQ(Count(twice.get(), C3dMaterial::kFamily, C3dMaterial::kClassTag),
            Count(table, C3dMaterial::kFamily, C3dMaterial::kClassTag));
}

TEST_F(Link, ThingsThatNameNoMaterialShareOneMadeWhenNeeded) {
  C3dSphere* a = MakeObject<C3dSphere>(table);
  C3dSphere* b = MakeObject<C3dSphere>(table);
  C3dSphere* named = MakeShape<C3dSphere>(table);
  std::map<std::string, Bytes> first, second;
  std::unique_ptr<C3dBaseSys> once = Cycle(table, "one.qnc", &first);
  EXPECT_EQ(MaterialRecords(first), 1u);
  EXPECT_EQ(Count(once.get(), C3dMaterial::kFamily, C3dMaterial::kClassTag), 2u);
  C3dMaterial* shared = MaterialOf(Find(once.get(), a)->AsObject());
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(MaterialOf(Find(once.get(), b)->AsObject()), shared);
  EXPECT_NE(MaterialOf(Find(once.get(), named)->AsObject()), shared);
  // Saved once, the default is a material like any other.
  std::unique_ptr<C3dBaseSys> twice = Cycle(once.get(), "two.qnc", &second);
  EXPECT_EQ(MaterialRecords(second), 2u);
  EXPECT_EQ(Count(twice.get(), C3dMaterial::kFamily, C3dMaterial::kClassTag), 2u);
}

TEST_F(Link, MemberListsThatCannotBeTrustedEndTheRead) {
  C3dSphere* s = MakeShape<C3dSphere>(table);
  C3dSphere* t = MakeShape<C3dSphere>(table);
  C3dGroup* outer = NewGroup({s});
  C3dGroup* inner = NewGroup({t});
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  const Bytes outerGood = Stored(KeyOf(outer));
  const Bytes innerGood = Stored(KeyOf(inner));
  const struct {
    const char* name;
    std::function<void()> spoil;
  } cases[] = {
      {"a count beyond the record", [&] { PutStoredWord(outer, C3dGroup::kCountOffset, 2); }},
      {"the group as its own member", [&] { SetFirstMember(outer, outer); }},
      {"two groups that hold each other", [&] { SetFirstMember(outer, inner), SetFirstMember(inner, outer); }},
      {"a thing that another group lists", [&] { SetFirstMember(outer, t); }},
  };
  for (const auto& c : cases) {
    Overwrite(KeyOf(outer), outerGood);
    Overwrite(KeyOf(inner), innerGood);
    c.spoil();
    C3dBaseSys read(ObjectsEnv());
    EXPECT_EQ(read.ReadDocument(document.get(), 0), 2) << c.name;
  }
  Overwrite(KeyOf(outer), outerGood);
  Overwrite(KeyOf(inner), innerGood);
  C3dBaseSys read(ObjectsEnv());
  EXPECT_EQ(read.ReadDocument(document.get(), 0), 0);
}

// Read into a table that holds things already, the link step binds those too: a material read before
// its texture takes the texture once a later read brings it, and a thing whose record names nothing
// the table holds keeps what it has.
TEST_F(Link, ThingsTheTableHeldBeforeAreBoundToWhatTheReadBrings) {
  C3dTexture* texture = NewTexture();
  ASSERT_EQ(table->AddObject(texture), 0);
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
  CResourceEnv* materialOnly = NewDocument("material.qnc");
  CResourceEnv* textureOnly = NewDocument("texture.qnc");
  ASSERT_EQ(table->WriteObject(material, materialOnly), 0);
  ASSERT_EQ(table->WriteObject(texture, textureOnly), 0);

  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(read.ReadDocument(materialOnly, 2), 0);
  auto* early = static_cast<C3dMaterial*>(Find(&read, material));
  ASSERT_NE(early, nullptr);
  EXPECT_EQ(early->GetChannelTexture(0), nullptr);
  C3dSphere* made = MakeShape<C3dSphere>(&read);
  C3dMaterial* own = MaterialOf(made);
  ASSERT_FALSE(read.HasId(texture->GetId()));

  ASSERT_EQ(read.ReadDocument(textureOnly, 2), 0);
  C3dBase* brought = Find(&read, texture);
  ASSERT_NE(brought, nullptr);
  EXPECT_EQ(early->GetChannelTexture(0), brought);
  EXPECT_EQ(MaterialOf(made), own);
}

// A material whose texture comes from a library is written with a copy of its own.
TEST_F(Link, ASharedTextureIsWrittenAsACopyUnderAFreshId) {
  CResourceEnv* library = NewDocument("library.qnc");
  C3dTexture* stored = NewTexture(kKindValue, 40);
  SetName(stored, "granite");
  StoreTexture(stored, library, "granite");
  delete stored;
  CBaseTexture* shared = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 40, library, &shared, true), 0);
  ASSERT_TRUE(shared->IsStored());

  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  C3dMaterial* material = MaterialOf(sphere);
  ASSERT_EQ(material->SetChannelTexture(shared, 2), 0);
  ASSERT_EQ(material->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(shared), 2u);

  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  CBaseTexture* copy = material->GetChannelTexture(2);
  ASSERT_NE(copy, shared);
  EXPECT_EQ(copy->GetOwningTable(), table);
  EXPECT_FALSE(copy->IsStored());
  EXPECT_NE(copy->GetId(), 40u);
  EXPECT_EQ(NameOf(copy), "granite");
  EXPECT_EQ(SharedUseCount(shared), 1u);
  SSpoolKey written;
  written.Set(C3dTexture::kTypeName, copy->GetId(), false);
  EXPECT_EQ(Stored(written).size(), C3dTexture::kRecordSize);

  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(read.ReadDocument(document.get(), 0), 0);
  EXPECT_EQ(MaterialOf(Find(&read, sphere)->AsObject())->GetChannelTexture(2), Find(&read, copy));
  EXPECT_EQ(CBaseTexture::ReleaseUse(shared), 0);
}

}  // namespace
