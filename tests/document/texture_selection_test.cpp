// The texture selection handle: a library texture by its resource id, a document texture by its
// object id with the top bit set, none as 0; and what a handle resolves to.
#include "document/texture_selection.h"

#include <gtest/gtest.h>

#include "tests/document/document_fixture.h"

namespace {

class TextureSelection : public DocumentTest {
 protected:
  // A 3D texture stored in the library under the id and name.
  void StoreInLibrary(uint32_t id, const char* name) {
    C3dTexture* texture = NewTexture(kKindValue, id);
    SetName(texture, name);
    StoreTexture(texture, document.get(), name);
    delete texture;
  }
  int32_t Resolve(uint32_t handle, CBaseTexture** out, bool* fromLibrary) {
    return ResolveTextureSelection(handle, document.get(), table, out, fromLibrary);
  }
};

TEST_F(TextureSelection, AHandleNamesALibraryTextureOrADocumentOne) {
  StoreInLibrary(7, "Slate");
  C3dTexture* own = MakeObject<C3dTexture>(table);
  ASSERT_NE(own, nullptr);
  ASSERT_NE(own->GetId(), 0u);
  const uint32_t ownHandle = TextureSelectionOf(own);
  EXPECT_EQ(ownHandle, kDocumentTextureBit | own->GetId());
  EXPECT_TRUE(IsDocumentTextureSelection(ownHandle));

  CBaseTexture* found = nullptr;
  bool fromLibrary = true;
  ASSERT_EQ(Resolve(ownHandle, &found, &fromLibrary), 0);
  EXPECT_EQ(found, own);
  EXPECT_FALSE(fromLibrary);

  ASSERT_EQ(Resolve(LibraryTextureSelection(7), &found, &fromLibrary), 0);
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(fromLibrary);
  EXPECT_EQ(NameOf(found), "Slate");
  EXPECT_EQ(TextureSelectionOf(found), 7u) << "a stored texture by its resource id";
  EXPECT_EQ(SharedUseCount(found), 1u) << "one use for the caller";
  EXPECT_EQ(CBaseTexture::ReleaseUse(found), 0);
}

// The same number as a library id and as a document id names two different textures.
TEST_F(TextureSelection, TheTopBitTellsTheTwoKindsApart) {
  C3dTexture* own = MakeObject<C3dTexture>(table);
  StoreInLibrary(own->GetId(), "Library");
  CBaseTexture* found = nullptr;
  ASSERT_EQ(Resolve(DocumentTextureSelection(own->GetId()), &found, nullptr), 0);
  EXPECT_EQ(found, own);
  ASSERT_EQ(Resolve(LibraryTextureSelection(own->GetId()), &found, nullptr), 0);
  EXPECT_NE(found, own);
  EXPECT_EQ(NameOf(found), "Library");
  EXPECT_EQ(CBaseTexture::ReleaseUse(found), 0);
}

TEST_F(TextureSelection, NothingGoneOrOfAnotherKindIsNotFound) {
  C3dTexture* gone = MakeObject<C3dTexture>(table);
  const uint32_t goneHandle = TextureSelectionOf(gone);
  ASSERT_EQ(table->RemoveObject(gone, true, false), 0);
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  struct SCase {
    const char* what;
    uint32_t handle;
  } cases[] = {
      {"no handle", kNoTextureSelection},
      {"a document texture gone", goneHandle},
      {"a thing that is no 3D texture", DocumentTextureSelection(material->GetId())},
      {"a library id without a texture", LibraryTextureSelection(4242)},
  };
  for (const SCase& c : cases) {
    CBaseTexture* found = reinterpret_cast<CBaseTexture*>(1);
    EXPECT_EQ(Resolve(c.handle, &found, nullptr), kErrObjectNotFound) << c.what;
    EXPECT_EQ(found, nullptr) << c.what;
  }
  EXPECT_EQ(TextureSelectionOf(nullptr), kNoTextureSelection);
}

}  // namespace
