// The preset import: the file dialog's filter and answers, presets copied from preset files (under
// fresh ids, in reverse order, with their textures, previews and descriptions), and presets made from
// documents of the earlier version (the proposed name, an empty description, a white preview).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "platform/headless.h"
#include "presets/preset_import.h"
#include "presets/sky_fog_presets.h"
#include "presets/sky_preset_file.h"
#include "scene/group.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tests/document/old_document_writer.h"
#include "tests/presets/presets_fixture.h"

namespace {

using old_writer::Bytes;
using old_writer::SOldDocument;
using old_writer::SOldRecord;
using old_writer::TextureRecord;

// A filter literal with its final zero byte (the one the literal ends with).
template <size_t N>
std::string Filter(const char (&text)[N]) {
  return std::string(text, N);
}

class PresetImport : public PresetsTest {
 protected:
  // n material presets of the working material in the category, each with its diffusion.
  std::vector<uint32_t> StoreMaterials(const char* category, uint32_t n) {
    EXPECT_EQ(panel->OpenLibrary(category), 0);
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < n; ++i) {
      {
        CHolder held(panel->GetWorkingMaterial(), true, false);
        panel->GetWorkingMaterial()->GetRecord().sample.diffusion = 0.1 * (i + 1);
      }
      add.name = "Preset " + std::to_string(i);
      add.description = "Number " + std::to_string(i);
      EXPECT_EQ(panel->StoreCurrent(), kHandled);
      ids.push_back(panel->GetWorkingMaterial()->GetId());
    }
    panel->CloseLibrary();
    return ids;
  }
  std::vector<uint32_t> TableIds() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < panel->GetPresetCount(); ++i) ids.push_back(panel->GetPresetId(i));
    return ids;
  }
  double StoredDiffusion(uint32_t id) {
    C3dMaterial* read = nullptr;
    if (ReadStoredMaterial(panel->GetLibrary(), id, &read)) return -1;
    const double diffusion = Diffusion(read);
    delete read;
    return diffusion;
  }
  int32_t ImportFile(const std::string& path) {
    platform::headless::AnswerFileDialog(path, 1);
    CUIMessage import = Named("objmatpresets", "import");
    return panel->HandleEvent(&import);
  }
  std::string WriteOld(const SOldDocument& document, const std::string& name = "old.doc") {
    const std::string path = folder + "/" + name;
    const Bytes bytes = document.Write();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
};

TEST(PresetImportFilter, TheListOrTheBuiltInText) {
  EXPECT_EQ(ImportFilter(nullptr, preset::kSkyFilter, sizeof preset::kSkyFilter),
            Filter("Quarn files(*.sky)\0*.sky\0All files(*.*)\0*.*\0"));
  EXPECT_EQ(ImportFilter(nullptr, preset::kMaterialFilter, sizeof preset::kMaterialFilter),
            Filter("Material presets(*.shd)\0*.shd\0All files(*.*)\0*.*\0"));
}

TEST_F(PresetImport, TheDialogAsksWithTheModesFilterOneModalLevelUp) {
  panel->CPresetLibrary::Show();
  CUIMessage import = Named("objmatpresets", "import");
  // No library: nothing asked.
  const size_t asked = platform::headless::AskedDialogs().size();
  EXPECT_EQ(panel->HandleEvent(&import), kErrObjectNotFound);
  EXPECT_EQ(platform::headless::AskedDialogs().size(), asked);
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  Script("cancel\n");
  EXPECT_EQ(panel->HandleEvent(&import), kSilentCode24);
  ASSERT_EQ(platform::headless::AskedDialogs().size(), asked + 1);
  // The dialog keeps the pairs without the list's final zero byte.
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.filter + '\0',
            Filter("Material presets(*.shd)\0*.shd\0All files(*.*)\0*.*\0"));
  EXPECT_TRUE(platform::headless::ShownBoxes().empty());
}

TEST_F(PresetImport, APresetFileComesInReversedUnderFreshIds) {
  const std::vector<uint32_t> source = StoreMaterials("Water.shd", 3);
  const std::vector<uint32_t> own = StoreMaterials("Stones.shd", 1);
  panel->CPresetLibrary::Show();
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  ASSERT_EQ(ImportFile(folder + "/Presets/Water.shd"), kHandled);
  const std::vector<uint32_t> ids = TableIds();
  ASSERT_EQ(ids.size(), 4u);
  EXPECT_EQ(ids[0], own[0]);
  const double expected[] = {0.3, 0.2, 0.1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::count(source.begin(), source.end(), ids[1 + i]), 0) << i;
    EXPECT_NEAR(StoredDiffusion(ids[1 + i]), expected[i], 1e-9) << i;
    CPresetDescription description;
    ASSERT_EQ(description.Read(panel->GetLibrary(), "CPresetDescr", ids[1 + i]), 0);
    EXPECT_EQ(description.GetName(), "Preset " + std::to_string(2 - i));
  }
  // A file without materials (an object library stores its objects' materials): nothing comes in.
  CopyShipped("Skies.sky");
  EXPECT_EQ(ImportFile(folder + "/Presets/Skies.sky"), kHandled);
  EXPECT_EQ(panel->GetPresetCount(), 4u);
  panel->CloseLibrary();
}

TEST_F(PresetImport, EarlierVersionMaterialsTakeTheProposedNameAndAWhitePreview) {
  SOldDocument old;
  for (const char* name : {"one", "two", "three"}) {
    SOldRecord record;
    record.name = name;
    old.records.push_back(record);
  }
  const std::string path = WriteOld(old);
  panel->CPresetLibrary::Show();
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  ASSERT_EQ(ImportFile(path), kHandled);
  ASSERT_EQ(panel->GetPresetCount(), 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    CPresetDescription description;
    ASSERT_EQ(description.Read(panel->GetLibrary(), "CPresetDescr", panel->GetPresetId(i)), 0);
    EXPECT_STREQ(description.GetName(), "Untitled Preset");
    EXPECT_STREQ(description.GetDescription(), "");
  }
  EXPECT_EQ(add.name, "Untitled Preset");
  panel->RefreshGrid();
  const SRect r = panel->GetCell(0)->GetRect();
  EXPECT_EQ(GridPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2), 0xFFFFFFFFu);
  panel->CloseLibrary();
}

TEST_F(PresetImport, EarlierVersionObjectsAreOnePresetPerTopLevelThingButTheSun) {
  SOldDocument old;
  for (const char* name : {"ball", "box"}) {
    SOldRecord record;
    record.name = name;
    old.records.push_back(record);
  }
  const std::string path = WriteOld(old);
  CUIMessage open = Named("create palette", "create plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  ASSERT_EQ(panel->OpenLibrary("Basics.obj"), 0);
  ASSERT_EQ(ImportFile(path), kHandled);
  EXPECT_EQ(panel->GetPresetCount(), 2u);
  CPresetDescription description;
  ASSERT_EQ(description.Read(panel->GetLibrary(), "objpresetdesc", panel->GetPresetId(0)), 0);
  EXPECT_STREQ(description.GetName(), "Untitled Object");
  CUIMessage cancel = Named("objmatpresets", "cancel");
  panel->HandleEvent(&cancel);
}

// The sky panel's import: its filter, a sky library's skies, and an earlier version's sky table.
TEST_F(PresetImport, SkiesComeFromSkyLibrariesAndEarlierSkyTables) {
  CSkyFogPresets skies(owner, DataFile("skyfogpresets.dat"), anchor.get(), &add, &remove);
  ASSERT_EQ(skies.BuildOnce(), 0);
  CopyShipped("Skies.sky");
  std::filesystem::copy_file(folder + "/Presets/Skies.sky", folder + "/Shipped.sky");
  skies.CPresetLibrary::Show();
  ASSERT_EQ(skies.OpenLibrary(), 0);
  const uint32_t shipped = skies.GetPresetCount();
  platform::headless::AnswerFileDialog(folder + "/Shipped.sky", 1);
  CUIMessage import = Named("skyfogpresets", "import");
  ASSERT_EQ(skies.HandleEvent(&import), kHandled);
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.filter + '\0',
            Filter("Quarn files(*.sky)\0*.sky\0All files(*.*)\0*.*\0"));
  EXPECT_EQ(skies.GetPresetCount(), 2 * shipped);
  SOldDocument old;
  for (uint16_t seed : {11, 12}) {
    Bytes sky(694);
    const Bytes first = TextureRecord("a", seed), second = TextureRecord("b", seed + 10);
    std::copy(first.begin(), first.end(), sky.begin() + 222);
    std::copy(second.begin(), second.end(), sky.begin() + 454);
    old.skies.push_back(sky);
  }
  platform::headless::AnswerFileDialog(WriteOld(old), 1);
  ASSERT_EQ(skies.HandleEvent(&import), kHandled);
  EXPECT_EQ(skies.GetPresetCount(), 2 * shipped + 2);
  const uint32_t last = skies.GetPresetId(skies.GetPresetCount() - 1);
  for (const char* type : {"C3dSunLight", "skyprevcimage", "CPresetDescr"}) {
    SSpoolKey key;
    key.Set(type, last, false);
    CResEntry entry{};
    EXPECT_TRUE(skies.GetLibrary()->GetResourceInfo(key, &entry)) << type;
  }
  skies.CloseLibrary();
}

}  // namespace

namespace {

// An object library's presets come in with their trees, each group under a new id that reads back.
TEST_F(PresetImport, AnObjectLibraryComesInWithItsTrees) {
  CopyShipped("Basics.obj");
  CUIMessage open = Named("create palette", "create plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  ASSERT_EQ(panel->OpenLibrary("Mine.obj"), 0);
  ASSERT_EQ(ImportFile(folder + "/Presets/Basics.obj"), kHandled);
  CFileSpec spec;
  ASSERT_EQ(spec.Set((folder + "/Presets/Basics.obj").c_str()), 0);
  CResourceEnv source(spec, CFile::kModeRead);
  std::vector<uint32_t> sourceIds;
  ASSERT_EQ(PresetTableIds(&source, "objpreset", &sourceIds), 0);
  ASSERT_EQ(panel->GetPresetCount(), sourceIds.size());
  for (uint32_t i = 0; i < panel->GetPresetCount(); ++i) {
    const uint32_t id = panel->GetPresetId(i);
    EXPECT_EQ(std::count(sourceIds.begin(), sourceIds.end(), id), 0) << i;
    C3dBaseSys temporary(app->GetObjectsEnv());
    C3dGroup* group = nullptr;
    EXPECT_EQ(ReadStoredGroup(panel->GetLibrary(), id, &temporary, &group), 0) << i;
    CPresetDescription description;
    EXPECT_EQ(description.Read(panel->GetLibrary(), "objpresetdesc", id), 0) << i;
  }
  CUIMessage cancel = Named("objmatpresets", "cancel");
  panel->HandleEvent(&cancel);
}

}  // namespace

namespace {

// A record that cannot be read after two good ones: those two stay, and the reader's code answers.
TEST_F(PresetImport, AnUnreadableEarlierRecordEndsTheImportWithItsCode) {
  SOldDocument old;
  for (const char* name : {"one", "two", "three"}) {
    SOldRecord record;
    record.name = name;
    old.records.push_back(record);
  }
  old.records[2].tag = 0;
  const std::string path = WriteOld(old);
  panel->CPresetLibrary::Show();
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  // A record of another tag is malformed.
  EXPECT_EQ(ImportFile(path), kErrInvalidFormat);
  EXPECT_EQ(panel->GetPresetCount(), 2u);
  panel->CloseLibrary();
}

}  // namespace
