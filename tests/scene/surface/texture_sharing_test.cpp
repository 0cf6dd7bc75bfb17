// Textures of a document: finding, creating and loading them shared or as private copies, the
// application's library as the fallback, and the uses that materials count in the use table.
#include <gtest/gtest.h>

#include <set>

#include "material_fixture.h"

namespace {

class TextureSharing : public MaterialTest {
 protected:
  void TearDown() override {
    app->CAppl::CloseResourceEnvironment();
    MaterialTest::TearDown();
  }

  // A 3D texture stored in the environment under the id and name, its working copy deleted.
  SSpoolKey Stored3d(uint32_t id, const char* name = "", CResourceEnv* into = nullptr) {
    C3dTexture* texture = NewTexture(kKindValue, id);
    SetName(texture, name);
    const SSpoolKey key = StoreTexture(texture, into ? into : document.get(), name);
    delete texture;
    return key;
  }
  CBaseTexture* LoadShared(uint32_t id, CSpoolSys* environment = nullptr) {
    SSpoolKey key;
    key.Set(C3dTexture::kTypeName, id, false);
    CBaseTexture* texture = nullptr;
    EXPECT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag, environment), StoredSpec(key)), 0);
    return texture;
  }
  uint32_t Rows() {
    CSharedTable* shared = document->GetSharedTable();
    CHolder holder(shared, false, false);
    return shared->GetCount();
  }
};

TEST_F(TextureSharing, LoadingTwiceSharedGivesTheSameTextureWithTwoUses) {
  Stored3d(4, "Slate");
  CBaseTexture* first = LoadShared(4);
  CBaseTexture* second = LoadShared(4);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(SharedUseCount(first), 2u);
  EXPECT_EQ(first->GetEnvironment(), document.get());
  EXPECT_EQ(first->GetId(), 4u);
  EXPECT_EQ(NameOf(first), "Slate");
  const Handle32 handle = first->GetHandle();
  EXPECT_EQ(CBaseTexture::ReleaseUse(first), 0);
  EXPECT_EQ(SharedUseCount(first), 1u);
  EXPECT_EQ(CBaseTexture::ReleaseUse(first), 0);
  EXPECT_EQ(Rows(), 0u);
  EXPECT_EQ(LookupHandle(handle, C3dTexture::kClassTag), nullptr);
}

TEST_F(TextureSharing, APrivateLoadIsACopyInTheObjectEnvironment) {
  Stored3d(5, "Sand");
  SSpoolKey key;
  key.Set(C3dTexture::kTypeName, 5, false);
  CBaseTexture* texture = nullptr;
  ASSERT_EQ(C3dTexture::LoadPrivate(&texture, TextureKey(C3dTexture::kClassTag), StoredSpec(key)), 0);
  EXPECT_EQ(texture->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(texture->GetId(), 0u);
  EXPECT_EQ(NameOf(texture), "Sand");
  EXPECT_EQ(Rows(), 0u);
  // The data came along, and stays when the copy is paged out and in again.
  uint32_t freed = 0;
  ObjectsEnv()->PurgeAll(&freed);
  {
    CHolder holder(texture, false, false);
    EXPECT_EQ(static_cast<C3dTexture*>(texture)->GetTextureData().component[0].noiseCode, kFlatHalfCode);
  }
  // The stored record is free for another load.
  CBaseTexture* shared = LoadShared(5);
  EXPECT_NE(shared, texture);
  CBaseTexture::ReleaseUse(shared);
  delete texture;
}

TEST_F(TextureSharing, APrivatePictureBringsItsPixels) {
  CPictTexture* picture = NewPicture(2, 2, {1, 2, 3, 0xFF000004}, 9);
  SetName(picture, "Moss");
  StoreTexture(picture, "Moss");
  delete picture;
  CBaseTexture* texture = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByName(CPictTexture::kClassTag, "Moss", document.get(), &texture, false), 0);
  auto* copy = static_cast<CPictTexture*>(texture);
  EXPECT_EQ(copy->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(copy->GetPicture().GetEnvironment(), ObjectsEnv());
  EXPECT_TRUE(copy->IsPictureReady());
  {
    CImNavigator nav(&copy->GetPicture(), nullptr, false, false);
    ASSERT_TRUE(nav.IsUsable());
    EXPECT_EQ(nav.Cells(1)[1].value, 0xFF000004u);
  }
  delete copy;
}

TEST_F(TextureSharing, CopiesByNameAndByIdShareOrCopy) {
  Stored3d(7, "Ice");
  CBaseTexture* byName = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByName(C3dTexture::kClassTag, "Ice", document.get(), &byName, true), 0);
  EXPECT_EQ(byName->GetId(), 7u);
  CBaseTexture* byId = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 7, document.get(), &byId, true), 0);
  EXPECT_EQ(byId, byName);
  EXPECT_EQ(SharedUseCount(byId), 2u);
  CBaseTexture* copy = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 7, document.get(), &copy, false), 0);
  EXPECT_NE(copy, byId);
  EXPECT_EQ(copy->GetKey().id, 7u);
  EXPECT_EQ(copy->GetId(), 0u);
  EXPECT_EQ(NameOf(copy), "Ice");
  EXPECT_EQ(SharedUseCount(byId), 2u);
  delete copy;

  CBaseTexture* none = reinterpret_cast<CBaseTexture*>(1);
  EXPECT_EQ(CBaseTexture::CopyByName(C3dTexture::kClassTag, "Fire", document.get(), &none, true), kErrObjectNotFound);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(CBaseTexture::CopyByName(C3dTexture::kClassTag, "Ice", ObjectsEnv(), &none, true), kErrUnexpectedType);
  EXPECT_EQ(CBaseTexture::CopyByTag(FourCC("zzzz"), 7, document.get(), &none, true), kErrObjectNotFound);
  EXPECT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 8, document.get(), &none, false), kErrObjectNotFound);
  CBaseTexture::ReleaseUse(byId);
  CBaseTexture::ReleaseUse(byId);
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(TextureSharing, FindOrCreateLoadsStoredTexturesAndMakesNewOnes) {
  CBaseTexture* texture = reinterpret_cast<CBaseTexture*>(1);
  EXPECT_EQ(CBaseTexture::FindOrCreate(FourCC("zzzz"), 0, ObjectsEnv(), &texture), kErrObjectNotFound);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, 0, nullptr, &texture), kErrInvalidParameter);
  // No 3D texture in the document: the environment's answer.
  EXPECT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, -1, document.get(), &texture), kErrObjectNotFound);
  EXPECT_EQ(texture, nullptr);

  // Outside documents, a new one.
  ASSERT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, 3, ObjectsEnv(), &texture), 0);
  EXPECT_EQ(texture->GetClass(), C3dTexture::kClassTag);
  EXPECT_EQ(texture->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(texture->GetId(), 0u);
  EXPECT_TRUE(texture->IsReady());
  delete texture;
  ASSERT_EQ(CBaseTexture::FindOrCreate(CPictTexture::kClassTag, -1, ObjectsEnv(), &texture), 0);
  EXPECT_TRUE(static_cast<CPictTexture*>(texture)->IsPictureReady());
  delete texture;

  // In a document: by id, or one of its 3D textures at random; -1 means nothing special to pictures.
  const std::set<uint32_t> ids{11, 12, 13};
  for (uint32_t id : ids) Stored3d(id);
  ASSERT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, 12, document.get(), &texture), 0);
  EXPECT_EQ(texture->GetId(), 12u);
  CBaseTexture::ReleaseUse(texture);
  std::set<uint32_t> picked;
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, -1, document.get(), &texture), 0);
    picked.insert(texture->GetId());
    CBaseTexture::ReleaseUse(texture);
  }
  EXPECT_EQ(picked, ids);
  EXPECT_EQ(CBaseTexture::FindOrCreate(CPictTexture::kClassTag, -1, document.get(), &texture), kErrObjectNotFound);
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(TextureSharing, ATypeWithoutEntriesIsNotFound) {
  Stored3d(1);
  CResTypeTable* entries = nullptr;
  ASSERT_TRUE(document->FindType(C3dTexture::kTypeName, &entries, nullptr));
  {
    CHolder holder(entries, true, false);
    ASSERT_EQ(entries->GetCount(), 1u);
  }
  ASSERT_TRUE(entries->RemoveAt(0, 1));
  CBaseTexture* texture = nullptr;
  EXPECT_EQ(CBaseTexture::FindOrCreate(C3dTexture::kClassTag, -1, document.get(), &texture), kErrObjectNotFound);
}

TEST_F(TextureSharing, SharedLoadsNeedAnOpenResourceEnvironment) {
  CBaseTexture* texture = nullptr;
  SSpoolKey key;
  key.Set(C3dTexture::kTypeName, 1, false);
  EXPECT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag, ObjectsEnv()), StoredSpec(key)),
            kErrUnexpectedType);
  EXPECT_EQ(C3dTexture::LoadPrivate(&texture, TextureKey(C3dTexture::kClassTag, ObjectsEnv()), StoredSpec(key)),
            kErrUnexpectedType);
  CFileSpec missing;
  ASSERT_EQ(missing.Set((folder + "/missing.qnc").c_str()), 0);
  CResourceEnv closed(missing, CFile::kModeRead);
  ASSERT_FALSE(closed.IsOpen());
  EXPECT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag, &closed), StoredSpec(key)),
            kErrInvalidParameter);
  EXPECT_EQ(C3dTexture::LoadPrivate(&texture, TextureKey(C3dTexture::kClassTag, &closed), StoredSpec(key)),
            kErrUnexpectedStatus);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureSharing, ATextureMissingFromTheDocumentComesFromTheLibrary) {
  CFileSpec spec;
  ASSERT_EQ(spec.Set((folder + "/library.res").c_str()), 0);
  {
    CResourceEnv library(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(library.IsOpen());
    Stored3d(21, "Granite", &library);
  }
  SSpoolKey key;
  key.SetByName(C3dTexture::kTypeName, "Granite", false);
  CBaseTexture* texture = nullptr;
  // Without the fallback byte, or without a library, the document's answer stands.
  key.fallback = 1;
  EXPECT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag), StoredSpec(key)), kErrObjectNotFound);
  app->CAppl::OpenResourceEnvironment(&spec);
  ASSERT_NE(app->GetResourceEnv(), nullptr);
  key.fallback = 0;
  EXPECT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag), StoredSpec(key)), kErrObjectNotFound);
  key.fallback = 1;
  ASSERT_EQ(C3dTexture::LoadShared(&texture, TextureKey(C3dTexture::kClassTag), StoredSpec(key)), 0);
  EXPECT_EQ(texture->GetEnvironment(), app->GetResourceEnv());
  EXPECT_EQ(texture->GetId(), 21u);
  EXPECT_EQ(NameOf(texture), "Granite");
  EXPECT_EQ(SharedUseCount(texture), 1u);
  EXPECT_EQ(Rows(), 0u);
  CBaseTexture::ReleaseUse(texture);
}

// ---- uses counted by materials

using TextureUses = TextureSharing;

TEST_F(TextureUses, AMaterialCountsItsComponentsUsesAndGivesThemBack) {
  Stored3d(1);
  CBaseTexture* texture = LoadShared(1);
  C3dMaterial* material = NewMaterial();
  ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
  ASSERT_EQ(material->SetChannelTexture(texture, 2), 0);
  EXPECT_EQ(SharedUseCount(texture), 1u);
  {
    CHolder holder(material, false, false);
    const SMaterialRecord& record = material->GetRecord();
    EXPECT_TRUE(record.sample.flags & C3dMaterial::kTexturedFlag);
    EXPECT_EQ(record.component[2].textureTag, C3dTexture::kClassTag);
    EXPECT_EQ(record.component[2].textureId, 1u);
  }
  ASSERT_EQ(material->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(texture), 3u);
  // Counted uses are not counted again.
  ASSERT_EQ(material->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(texture), 3u);
  ASSERT_EQ(material->ReleaseTextureRefs(false), 0);
  EXPECT_EQ(SharedUseCount(texture), 1u);
  EXPECT_EQ(material->GetChannelTexture(2), texture);
  ASSERT_EQ(material->ReleaseTextureRefs(), 0);
  EXPECT_EQ(material->GetChannelTexture(0), nullptr);
  {
    CHolder holder(material, false, false);
    EXPECT_FALSE(material->GetRecord().sample.flags & C3dMaterial::kTexturedFlag);
    EXPECT_EQ(material->GetRecord().component[2].textureTag, 0u);
  }
  EXPECT_EQ(C3dMaterial::ReleaseTexture(texture), 0);
  EXPECT_EQ(Rows(), 0u);
  delete material;
}

TEST_F(TextureUses, ReplacingACountedTextureGivesItsUseBack) {
  Stored3d(1);
  Stored3d(2);
  CBaseTexture* first = LoadShared(1);
  CBaseTexture* second = LoadShared(2);
  C3dMaterial* material = NewMaterial();
  ASSERT_EQ(material->SetChannelTexture(first, 1), 0);
  ASSERT_EQ(material->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(first), 2u);
  ASSERT_EQ(material->SetChannelTexture(first, 1), 0);
  EXPECT_TRUE(material->IsUseCounted(1));
  ASSERT_EQ(material->SetChannelTexture(second, 1), 0);
  EXPECT_EQ(SharedUseCount(first), 1u);
  EXPECT_FALSE(material->IsUseCounted(1));
  EXPECT_EQ(material->SetChannelTexture(second, 4), kErrInvalidParameter);
  EXPECT_EQ(material->SetChannelTexture(second, -1), kErrInvalidParameter);
  delete material;
  EXPECT_EQ(SharedUseCount(second), 1u);
  CBaseTexture::ReleaseUse(first);
  CBaseTexture::ReleaseUse(second);
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(TextureUses, AnUnusableTextureStopsTheCountAndTheReleaseGivesBackOnlyWhatWasAdded) {
  Stored3d(1);
  const SSpoolKey unlisted = Stored3d(2);
  CBaseTexture* shared = LoadShared(1);
  C3dBaseSys loose(ObjectsEnv());
  C3dTexture* outside = Load<C3dTexture>(unlisted, &loose);
  C3dMaterial* material = NewMaterial();
  for (int k : {0, 1, 3}) ASSERT_EQ(material->SetChannelTexture(shared, k), 0);
  ASSERT_EQ(material->SetChannelTexture(outside, 2), 0);
  EXPECT_EQ(material->AddTextureRefs(), kErrInvalidParameter);
  EXPECT_EQ(SharedUseCount(shared), 3u);
  EXPECT_TRUE(material->IsUseCounted(1));
  EXPECT_FALSE(material->IsUseCounted(3));
  ASSERT_EQ(material->ReleaseTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(shared), 1u);
  delete material;
  CBaseTexture::ReleaseUse(shared);
  delete outside;
}

TEST_F(TextureUses, ATextureOutsideDocumentsCountsItsOwnUses) {
  C3dTexture* texture = NewTexture();
  const Handle32 handle = texture->GetHandle();
  EXPECT_EQ(texture->AddUse(), 0);
  EXPECT_EQ(texture->GetOwnUseCount(), 1u);
  EXPECT_EQ(C3dMaterial::ReleaseTexture(texture), 0);
  EXPECT_EQ(texture->GetOwnUseCount(), 0u);
  EXPECT_EQ(C3dMaterial::ReleaseTexture(texture), 0);
  EXPECT_EQ(LookupHandle(handle, C3dTexture::kClassTag), nullptr);

  // Taken over by a copy, it counts one more; deleting the copy gives it back.
  texture = NewTexture();
  C3dMaterial* source = NewMaterial();
  C3dMaterial* copy = NewMaterial();
  {
    CHolder holder(source, true, false);
    source->GetRecord().sources[C3dMaterial::kDiffusionSource] = 1;
    ASSERT_EQ(source->SetChannelTexture(texture, 0), 0);
  }
  ASSERT_EQ(copy->CopyFrom(*source), 0);
  ASSERT_EQ(copy->AddTextureRefs(), 0);
  EXPECT_EQ(texture->GetOwnUseCount(), 1u);
  EXPECT_TRUE(copy->IsUseCounted(0));
  delete copy;
  EXPECT_EQ(texture->GetOwnUseCount(), 0u);
  delete source;
  delete texture;
}

TEST_F(TextureUses, CopyFromTakesOverTheComponentsTheSourcesRead) {
  for (uint32_t id : {1u, 2u, 3u}) Stored3d(id);
  CBaseTexture* a = LoadShared(1);
  CBaseTexture* c = LoadShared(2);
  CBaseTexture* d = LoadShared(3);
  C3dMaterial* source = NewMaterial();
  C3dMaterial* target = NewMaterial();
  {
    CHolder holder(source, true, false);
    SMaterialRecord& record = source->GetRecord();
    record.sources[C3dMaterial::kDiffusionSource] = 1;
    record.sources[C3dMaterial::kAmbienceSource] = 2;
    record.sample.ambience = 0.75;
    record.component[1].scale = 3;
    source->SetChannelTexture(a, 0);
    source->SetChannelTexture(c, 1);
  }
  {
    CHolder holder(target, true, false);
    SMaterialRecord& record = target->GetRecord();
    record.sources[C3dMaterial::kDiffusionSource] = 1;
    record.sources[C3dMaterial::kSpecularitySource] = 4;
    target->SetChannelTexture(a, 0);
    target->SetChannelTexture(d, 3);
  }
  ASSERT_EQ(target->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(a), 2u);
  EXPECT_EQ(SharedUseCount(d), 2u);

  ASSERT_EQ(target->CopyFrom(*source), 0);
  EXPECT_EQ(SharedUseCount(d), 1u);
  EXPECT_EQ(target->GetChannelTexture(3), nullptr);
  EXPECT_EQ(target->GetChannelTexture(1), c);
  EXPECT_TRUE(target->IsUseCounted(0));
  EXPECT_FALSE(target->IsUseCounted(1));
  EXPECT_EQ(Slice(Record(target), 136, 432), Slice(Record(source), 136, 432));
  ASSERT_EQ(target->AddTextureRefs(), 0);
  EXPECT_EQ(SharedUseCount(a), 2u);
  EXPECT_EQ(SharedUseCount(c), 2u);

  ASSERT_EQ(target->ReleaseTextureRefs(), 0);
  delete target;
  delete source;
  for (CBaseTexture* texture : {a, c, d}) EXPECT_EQ(C3dMaterial::ReleaseTexture(texture), 0);
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(TextureUses, ATextureThatCannotBeLockedGivesACleanResult) {
  const SSpoolKey key = Stored3d(6);
  Overwrite(key, Bytes(100));
  C3dBaseSys loose(ObjectsEnv());
  C3dTexture* broken = Load<C3dTexture>(key, &loose);
  CFixedTexture* fixed = NewFixed(0.25);
  C3dMaterial* material = NewMaterial();
  {
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    record.sources[C3dMaterial::kDiffusionSource] = 1;
    record.sources[C3dMaterial::kAmbienceSource] = 2;
    material->SetChannelTexture(broken, 0);
    material->SetChannelTexture(fixed, 1);
  }
  const SMaterialSample sample = EvaluateAt(material, 0);
  EXPECT_EQ(double(sample.diffusion), 0);
  EXPECT_EQ(double(sample.ambience), 0.25);
  delete material;
  delete broken;
}

}  // namespace
