// The preset library files: the description record, opening and closing a category's file through
// its working copy, compaction, and storing, reading and deleting material presets with their
// textures.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "presets/preset_description.h"
#include "presets/preset_file.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "tests/scene/surface/material_fixture.h"

namespace {

// ---- the description record

TEST(PresetDescription, FieldsAreCutTerminatedAndNeverReadPastTheirEnd) {
  CPresetDescription record;
  record.SetName(std::string(70, 'n').c_str());
  record.SetDescription(std::string(300, 'd').c_str());
  EXPECT_EQ(sizeof record.GetRecord(), 321u);
  EXPECT_EQ(std::string(record.GetName()), std::string(63, 'n'));
  EXPECT_EQ(std::string(record.GetDescription()), std::string(256, 'd'));
  EXPECT_EQ(record.GetRecord()[63], 0);
  EXPECT_EQ(record.GetRecord()[64], 'd');
  EXPECT_EQ(record.GetRecord()[320], 0);
  record.SetName(nullptr);
  record.SetDescription(nullptr);
  EXPECT_STREQ(record.GetName(), "");
  EXPECT_STREQ(record.GetDescription(), "");

  // A stored record without terminators, and one cut short inside the description.
  std::vector<uint8_t> stored(321, 'x');
  record.SetRecord(stored.data(), stored.size());
  EXPECT_EQ(std::string(record.GetName()), std::string(64, 'x'));
  EXPECT_EQ(std::string(record.GetDescription()), std::string(257, 'x'));
  record.SetRecord(stored.data(), 70);
  EXPECT_EQ(std::string(record.GetDescription()), std::string(6, 'x'));
  record.SetRecord(stored.data(), 10);
  EXPECT_EQ(std::string(record.GetName()), std::string(10, 'x'));
  EXPECT_STREQ(record.GetDescription(), "");
}

TEST(PresetDescription, StoresMacRomanAndGivesBackWindowsText) {
  CPresetDescription record;
  // "é" is 0xE9 in Windows-1252 and 0x8E in Mac OS Roman.
  record.SetName("Caf\xE9");
  EXPECT_EQ(uint8_t(record.GetRecord()[3]), 0x8E);
  EXPECT_STREQ(record.GetName(), "Caf\xE9");
}

TEST(PresetLibrary, CompactionRule) {
  struct SCase {
    bool read;
    uint32_t freeBytes;
    bool ctrl, alt, compact;
  };
  const SCase cases[] = {
      {true, 1048576, false, false, false}, {true, 1048577, false, false, true}, {true, 1, true, true, true},
      {true, 0, true, true, false},         {false, 5000000, true, true, false}, {true, 1, true, false, false},
  };
  for (const SCase& c : cases)
    EXPECT_EQ(IsCompactionDue(c.read, c.freeBytes, c.ctrl, c.alt), c.compact)
        << c.freeBytes << " ctrl " << c.ctrl << " alt " << c.alt;
}

class PresetFileTest : public MaterialTest {
 protected:
  uint32_t DataBudget() const override { return 0x1000000; }
  std::string Category(const std::string& name) const { return folder + "/" + name; }
  CFileSpec Spec(const std::string& name) const {
    CFileSpec spec;
    EXPECT_EQ(spec.Set(Category(name).c_str()), 0);
    return spec;
  }
  static bool Holds(CResourceEnv* library, const char* type, uint32_t id) {
    SSpoolKey key;
    key.Set(type, id, false);
    CResEntry entry{};
    return library->GetResourceInfo(key, &entry);
  }
  static std::vector<uint32_t> Ids(CResourceEnv* library, const char* type = "C3dBaseMaterial") {
    std::vector<uint32_t> ids;
    CResTypeTable* table = nullptr;
    if (!library->FindType(type, &table, nullptr) || !table) return ids;
    CHolder rows(table, false, false);
    for (uint32_t i = 0; i < table->GetCount(); ++i) ids.push_back((*table)[i].number);
    return ids;
  }
  // A material whose diffusion tells it apart, with the textures given in its first channels.
  C3dMaterial* Material(double diffusion, std::vector<CBaseTexture*> textures = {}) {
    C3dMaterial* material = NewMaterial(table);
    CHolder held(material, true, false);
    material->GetRecord().sample.diffusion = diffusion;
    for (size_t k = 0; k < textures.size(); ++k) EXPECT_EQ(material->SetChannelTexture(textures[k], int(k)), 0);
    return material;
  }
  static double Diffusion(C3dMaterial* material) {
    CHolder held(material, false, false);
    return material->GetRecord().sample.diffusion;
  }
  // Textures of the scene table, which frees them.
  C3dTexture* SceneTexture() {
    C3dTexture* texture = NewTexture();
    EXPECT_EQ(table->AddObject(texture), 0);
    return texture;
  }
  CPictTexture* ScenePicture() {
    CPictTexture* picture = NewPicture(2, 2, {1, 2, 3, 4});
    EXPECT_EQ(table->AddObject(picture), 0);
    return picture;
  }
};

TEST_F(PresetFileTest, MissingCategoryBecomesAnEmptyLibraryThatReopens) {
  {
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec("New.shd")), 0);
    CResTypeTable* table = nullptr;
    EXPECT_FALSE(file.GetLibrary()->FindType("C3dBaseMaterial", &table, nullptr));
    EXPECT_EQ(file.Close(true), 0);
  }
  CResourceEnv reopened(Spec("New.shd"), CFile::kModeRead);
  ASSERT_TRUE(reopened.IsOpen()) << reopened.GetLastResult();
  CResTypeTable* table = nullptr;
  EXPECT_FALSE(reopened.FindType("C3dBaseMaterial", &table, nullptr));
}

TEST_F(PresetFileTest, NotACompositeFileIsRefusedAndLeftAlone) {
  {
    std::ofstream junk(Category("Junk.shd"), std::ios::binary);
    junk << std::string(200, 'j');
  }
  CPresetLibraryFile file;
  EXPECT_EQ(file.Open(Spec("Junk.shd")), kErrCompositeExpected);
  EXPECT_FALSE(file.IsOpen());
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(Category("Junk.shd"), &bytes));
  EXPECT_EQ(bytes, std::string(200, 'j'));
}

TEST_F(PresetFileTest, StoredMaterialReadsBackDetachedWithItsTexturesAndFreshIds) {
  C3dTexture* noise = SceneTexture();
  CPictTexture* picture = ScenePicture();
  C3dMaterial* material = Material(0.25, {noise, picture});
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Stones.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  ASSERT_EQ(StoreMaterialItem(material, library, true), 0);
  const uint32_t first = material->GetId();
  ASSERT_EQ(StoreMaterialItem(material, library, true), 0);
  const uint32_t second = material->GetId();
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, first);
  EXPECT_EQ(Ids(library), (std::vector<uint32_t>{first, second}));

  C3dMaterial* read = nullptr;
  ASSERT_EQ(ReadStoredMaterial(library, second, &read), 0);
  std::unique_ptr<C3dMaterial> owned(read);
  EXPECT_EQ(read->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(read->GetId(), 0u);
  EXPECT_STREQ(read->GetKey().typeName, "C3dBaseMaterial");
  EXPECT_DOUBLE_EQ(Diffusion(read), 0.25);
  CHolder held(read, false, false);
  const SMaterialComponent& procedural = read->GetRecord().component[0];
  const SMaterialComponent& pictured = read->GetRecord().component[1];
  EXPECT_EQ(procedural.textureTag, FourCC("qntx"));
  EXPECT_EQ(pictured.textureTag, FourCC("pctx"));
  EXPECT_TRUE(Holds(library, "C3dTexture", procedural.textureId));
  EXPECT_TRUE(Holds(library, "CPictTexture", pictured.textureId));
  EXPECT_TRUE(Holds(library, "C3dCImage", pictured.textureId));
  // The document's own textures keep their ids.
  EXPECT_NE(noise->GetId(), procedural.textureId);
  held.Release();
  EXPECT_EQ(file.Close(false), 0);
}

TEST_F(PresetFileTest, ReadStoredMaterialRefusesWhatIsNoOpenLibrary) {
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Closed.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  C3dMaterial* read = reinterpret_cast<C3dMaterial*>(1);
  EXPECT_EQ(ReadStoredMaterial(library, 12345, &read), kErrObjectNotFound);
  EXPECT_EQ(read, nullptr);
  library->Close();
  EXPECT_EQ(ReadStoredMaterial(library, 1, &read), kErrUnexpectedStatus);
  EXPECT_EQ(ReadStoredMaterial(nullptr, 1, &read), kErrUnexpectedStatus);
  EXPECT_EQ(ReadStoredMaterial(ObjectsEnv(), 1, &read), kErrUnexpectedType);
}

TEST_F(PresetFileTest, DeletingKeepsTexturesAnotherMaterialNames) {
  CPictTexture* picture = ScenePicture();
  C3dTexture* noise = SceneTexture();
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Shared.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  C3dMaterial* a = Material(0.1, {picture, noise});
  ASSERT_EQ(StoreMaterialItem(a, library, true), 0);
  // A second stored material naming the first one's textures, as one stored with them would.
  C3dMaterial* read = nullptr;
  ASSERT_EQ(ReadStoredMaterial(library, a->GetId(), &read), 0);
  std::unique_ptr<C3dMaterial> b(read);
  uint32_t pictureId, noiseId;
  {
    CHolder held(b.get(), true, false);
    pictureId = b->GetRecord().component[0].textureId;
    noiseId = b->GetRecord().component[1].textureId;
    b->GetRecord().sample.diffusion = 0.2;
  }
  b->SetId(DrawFreeId(library, "C3dBaseMaterial"));
  ASSERT_EQ(StoreObjectInEnvironment(b.get(), library), 0);

  DeleteMaterialPreset(library, a->GetId());
  EXPECT_FALSE(Holds(library, "C3dBaseMaterial", a->GetId()));
  EXPECT_TRUE(Holds(library, "CPictTexture", pictureId));
  EXPECT_TRUE(Holds(library, "C3dCImage", pictureId));
  EXPECT_TRUE(Holds(library, "C3dTexture", noiseId));
  DeleteMaterialPreset(library, b->GetId());
  EXPECT_FALSE(Holds(library, "CPictTexture", pictureId));
  EXPECT_FALSE(Holds(library, "C3dCImage", pictureId));
  EXPECT_FALSE(Holds(library, "C3dTexture", noiseId));
  EXPECT_TRUE(Ids(library).empty());
}

TEST_F(PresetFileTest, TexturesSharedWithAnObjectPresetStayUntilItGoes) {
  for (const bool picture : {true, false}) {
    const std::string name = picture ? "Pictures.obj" : "Noise.obj";
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec(name)), 0);
    CResourceEnv* library = file.GetLibrary();
    CBaseTexture* texture = picture ? static_cast<CBaseTexture*>(ScenePicture()) : SceneTexture();
    C3dSphere* sphere = NewSphere();
    C3dMaterial* own = LookupHandleAs<C3dMaterial>(sphere->GetMaterial(), C3dMaterial::kFamily);
    {
      CHolder held(own, true, false);
      ASSERT_EQ(own->SetChannelTexture(texture, 0), 0);
    }
    C3dGroup* wrapper = NewGroup({sphere});
    wrapper->SetId(DrawFreeId(library, preset::kObjectItemType));
    ASSERT_EQ(RenewObjectIds(wrapper, library), 0);
    ASSERT_EQ(StoreObjectTree(wrapper, library, preset::kObjectItemType), 0);
    // A material preset naming the same stored texture as the object preset's material.
    C3dMaterial* read = nullptr;
    ASSERT_EQ(ReadStoredMaterial(library, own->GetId(), &read), 0);
    std::unique_ptr<C3dMaterial> shared(read);
    uint32_t textureId = 0;
    {
      CHolder held(shared.get(), false, false);
      textureId = shared->GetRecord().component[0].textureId;
    }
    shared->SetId(DrawFreeId(library, "C3dBaseMaterial"));
    ASSERT_EQ(StoreObjectInEnvironment(shared.get(), library), 0);
    const char* type = picture ? "CPictTexture" : "C3dTexture";
    ASSERT_TRUE(Holds(library, type, textureId)) << name;

    DeleteMaterialPreset(library, shared->GetId());
    EXPECT_TRUE(Holds(library, type, textureId)) << name;
    if (picture) {
      EXPECT_TRUE(Holds(library, "C3dCImage", textureId));
    }
    EXPECT_EQ(DeleteObjectTree(library, wrapper->GetId()), 0) << name;
    EXPECT_FALSE(Holds(library, type, textureId)) << name;
    EXPECT_FALSE(Holds(library, "C3dCImage", textureId)) << name;
    EXPECT_FALSE(Holds(library, "C3dSphere", sphere->GetId())) << name;
    EXPECT_TRUE(Ids(library).empty()) << name;
  }
}

TEST_F(PresetFileTest, PresetWhoseItemCannotBeReadStillLosesPreviewAndDescription) {
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Orphans.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  CPresetDescription description;
  description.SetName("Lost");
  ASSERT_EQ(description.Store(library, CPresetDescription::kMaterialType, 77), 0);
  EXPECT_NE(DeleteMaterialPreset(library, 77), 0);
  EXPECT_FALSE(Holds(library, CPresetDescription::kMaterialType, 77));
}

TEST_F(PresetFileTest, DescriptionAndPreviewRoundTrip) {
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Texts.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  CPresetDescription written;
  written.SetName("Granite");
  written.SetDescription("Grey and rough");
  ASSERT_EQ(written.Store(library, CPresetDescription::kMaterialType, 9), 0);
  CPresetDescription read;
  ASSERT_EQ(read.Read(library, CPresetDescription::kMaterialType, 9), 0);
  EXPECT_STREQ(read.GetName(), "Granite");
  EXPECT_STREQ(read.GetDescription(), "Grey and rough");
  EXPECT_EQ(read.Read(library, CPresetDescription::kMaterialType, 10), kErrObjectNotFound);

  int32_t error = 0;
  std::unique_ptr<CImage> preview(NewDataImage(4, 4, &error));
  ASSERT_NE(preview, nullptr) << error;
  preview->Fill(0xFF112233);
  ASSERT_EQ(StorePreview(library, preset::kMaterialPreviewType, 9, preview.get()), 0);
  // Read back at its stored size into a larger image.
  std::unique_ptr<CImage> cell(NewDataImage(8, 8, &error));
  ASSERT_EQ(DrawStoredPreview(library, preset::kMaterialPreviewType, 9, cell.get()), 0);
  CImNavigator pixels(cell.get(), nullptr, false, false);
  ASSERT_TRUE(pixels.IsUsable());
  EXPECT_EQ(pixels.Cells(7)[7].value & 0xFFFFFF, 0x112233u);
  EXPECT_NE(DrawStoredPreview(library, preset::kMaterialPreviewType, 10, cell.get()), 0);
}

TEST_F(PresetFileTest, APresetCopiesIntoAnotherLibraryWithItsTextures) {
  CPresetLibraryFile from, to;
  ASSERT_EQ(from.Open(Spec("From.shd")), 0);
  ASSERT_EQ(to.Open(Spec("To.shd")), 0);
  C3dMaterial* material = Material(0.3, {SceneTexture(), ScenePicture()});
  ASSERT_EQ(StoreMaterialItem(material, from.GetLibrary(), true), 0);
  const uint32_t id = material->GetId();
  CPresetDescription description;
  description.SetName("Copied");
  ASSERT_EQ(description.Store(from.GetLibrary(), CPresetDescription::kMaterialType, id), 0);
  int32_t error = 0;
  std::unique_ptr<CImage> preview(NewDataImage(4, 4, &error));
  ASSERT_TRUE(preview->Fill(0xFF445566));
  ASSERT_EQ(StorePreview(from.GetLibrary(), preset::kMaterialPreviewType, id, preview.get()), 0);

  C3dMaterial* read = nullptr;
  ASSERT_EQ(ReadStoredMaterial(from.GetLibrary(), id, &read), 0);
  std::unique_ptr<C3dMaterial> copy(read);
  ASSERT_EQ(CopyTextures(copy.get(), from.GetLibrary(), to.GetLibrary()), 0);
  copy->SetId(77);
  ASSERT_EQ(StoreObjectInEnvironment(copy.get(), to.GetLibrary()), 0);
  EXPECT_EQ(CopyPreviewAndDescription(from.GetLibrary(), to.GetLibrary(), preset::kMaterialPreviewType,
                                      CPresetDescription::kMaterialType, id, 77),
            0);
  CPresetDescription copied;
  ASSERT_EQ(copied.Read(to.GetLibrary(), CPresetDescription::kMaterialType, 77), 0);
  EXPECT_STREQ(copied.GetName(), "Copied");
  EXPECT_TRUE(Holds(to.GetLibrary(), preset::kMaterialPreviewType, 77));
  // The copy names textures the target holds, and they read from there.
  C3dMaterial* again = nullptr;
  ASSERT_EQ(ReadStoredMaterial(to.GetLibrary(), 77, &again), 0);
  std::unique_ptr<C3dMaterial> stored(again);
  CHolder held(stored.get(), false, false);
  const char* types[] = {"C3dTexture", "CPictTexture"};
  for (int k = 0; k < 2; ++k) {
    const SMaterialComponent& channel = stored->GetRecord().component[k];
    EXPECT_TRUE(Holds(to.GetLibrary(), types[k], channel.textureId)) << k;
    CBaseTexture* texture = nullptr;
    EXPECT_EQ(CBaseTexture::CopyByTag(channel.textureTag, channel.textureId, to.GetLibrary(), &texture, false), 0) << k;
    delete texture;
  }
  EXPECT_TRUE(Holds(to.GetLibrary(), "C3dCImage", stored->GetRecord().component[1].textureId));
}

TEST_F(PresetFileTest, MovingAnEntry) {
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Order.shd")), 0);
  CResourceEnv* library = file.GetLibrary();
  std::vector<uint32_t> ids;
  for (double d : {0.1, 0.2, 0.3}) {
    C3dMaterial* material = Material(d);
    ASSERT_EQ(StoreMaterialItem(material, library, true), 0);
    ids.push_back(material->GetId());
  }
  CResTypeTable* table = nullptr;
  ASSERT_TRUE(library->FindType("C3dBaseMaterial", &table, nullptr));
  {
    CHolder rows(table, true, false);
    EXPECT_EQ(MoveTableEntry(table, ids[2], 0), 0);
    EXPECT_EQ(MoveTableEntry(table, ids[2], 3), kErrInvalidParameter);
    EXPECT_EQ(MoveTableEntry(table, 0xDEADu, 0), kErrObjectNotFound);
  }
  EXPECT_EQ(Ids(library), (std::vector<uint32_t>{ids[2], ids[0], ids[1]}));
  // Every entry still reads by its id after the move.
  for (uint32_t id : ids) {
    C3dMaterial* read = nullptr;
    EXPECT_EQ(ReadStoredMaterial(library, id, &read), 0);
    delete read;
  }
}

TEST_F(PresetFileTest, ClosingCompactsOnlyWhenDueAndKeepsEveryPreset) {
  std::vector<uint32_t> kept;
  {
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec("Big.shd")), 0);
    CResourceEnv* library = file.GetLibrary();
    int32_t error = 0;
    std::unique_ptr<CImage> preview(NewDataImage(400, 400, &error));
    ASSERT_NE(preview, nullptr) << error;
    {
      // Noise, which no stored form makes smaller.
      CImNavigator pixels(preview.get(), nullptr, true, false);
      uint32_t seed = 1;
      for (uint32_t y = 0; y < pixels.GetRows(); ++y)
        for (uint32_t x = 0; x < pixels.GetColumns(); ++x) pixels.Cells(y)[x].value = seed = seed * 1664525u + 1013904223u;
    }
    for (uint32_t id = 1; id <= 4; ++id) {
      C3dMaterial* material = Material(0.1 * id);
      ASSERT_EQ(StoreMaterialItem(material, library, true), 0);
      ASSERT_EQ(StorePreview(library, preset::kMaterialPreviewType, material->GetId(), preview.get()), 0);
      kept.push_back(material->GetId());
    }
    // Two previews of 640,000 bytes each before the others leave more than 1 MiB in free chunks.
    for (int i = 0; i < 2; ++i) DeleteMaterialPreset(library, kept[size_t(i)]);
    kept.erase(kept.begin(), kept.begin() + 2);
    file.MarkWritten();
    ASSERT_EQ(file.Close(false), 0);
  }
  const auto Size = [&] {
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(Category("Big.shd"), &bytes));
    return bytes.size();
  };
  const size_t before = Size();
  {
    // Opening and closing without compaction (a switch of category) keeps the size.
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec("Big.shd")), 0);
    ASSERT_EQ(file.Close(false), 0);
  }
  EXPECT_EQ(Size(), before);
  {
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec("Big.shd")), 0);
    ASSERT_EQ(file.Close(true), 0);
  }
  EXPECT_LT(Size(), before);
  CResourceEnv reopened(Spec("Big.shd"), CFile::kModeRead);
  ASSERT_TRUE(reopened.IsOpen());
  for (uint32_t id : kept) {
    C3dMaterial* read = nullptr;
    EXPECT_EQ(ReadStoredMaterial(&reopened, id, &read), 0);
    delete read;
  }
}

TEST_F(PresetFileTest, FailedRenameLeavesTheCategoryFileIntact) {
  {
    CPresetLibraryFile file;
    ASSERT_EQ(file.Open(Spec("Keep.shd")), 0);
    ASSERT_EQ(file.Close(false), 0);
  }
  std::string before;
  ASSERT_TRUE(platform::ReadWholeFile(Category("Keep.shd"), &before));
  CPresetLibraryFile file;
  ASSERT_EQ(file.Open(Spec("Keep.shd")), 0);
  ASSERT_EQ(StoreMaterialItem(Material(0.5), file.GetLibrary(), true), 0);
  file.MarkWritten();
  platform::SetTestFailingRename(1);
  EXPECT_NE(file.Close(false), 0);
  platform::SetTestFailingRename(0);
  std::string after;
  ASSERT_TRUE(platform::ReadWholeFile(Category("Keep.shd"), &after));
  EXPECT_EQ(after, before);
}

}  // namespace
