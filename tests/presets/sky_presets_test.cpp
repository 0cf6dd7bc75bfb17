// Sky presets: storing, loading, deleting and copying them in a library, and the sky preset palette
// that opens from "sky&fog plopup", shows them and puts the chosen one into the document's sky.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"
#include "platform/headless.h"
#include "presets/sky_fog_palette.h"
#include "presets/sky_fog_presets.h"
#include "presets/sky_preset_file.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "tests/presets/presets_fixture.h"

namespace {

class SkyPresets : public PresetsTest {
 protected:
  void SetUp() override {
    PresetsTest::SetUp();
    if (HasFatalFailure()) return;
    sky = MakeObject<C3dSky>(table);
    ASSERT_NE(sky, nullptr);
    for (int layer = 0; layer < 2; ++layer) {
      C3dTexture* clouds = MakeObject<C3dTexture>(table);
      ASSERT_NE(clouds, nullptr);
      sky->SetCloudTexture(clouds, layer);
    }
    sun = MakeObject<C3dSunLight>(table);
    ASSERT_NE(sun, nullptr);
    window.sky = sky;
    window.sun = sun;
    SetFlags(sky, 0x283);
    skies = std::make_unique<CSkyFogPresets>(owner, DataFile("skyfogpresets.dat"), anchor.get(), &add, &remove);
    skies->SetDocWindow(&window);
    ASSERT_EQ(skies->BuildOnce(), 0);
  }
  void TearDown() override {
    skies.reset();
    window.sky = nullptr;
    window.sun = nullptr;
    PresetsTest::TearDown();
  }
  static void SetFlags(C3dSky* target, uint32_t flags) {
    CHolder held(target, true, false);
    target->GetSettings().flags = flags;
  }
  static uint32_t Flags(C3dSky* target) {
    CHolder held(target, false, false);
    return target->GetSettings().flags;
  }
  static void SetSunDirection(C3dSunLight* target, vector3<double> direction) {
    CHolder held(target, true, false);
    target->SetDirection(direction);
  }
  static vector3<double> SunDirection(C3dSunLight* target) {
    CHolder held(target, false, false);
    return target->GetDirection();
  }
  bool Exists(CResourceEnv* library, const char* type, uint32_t id) {
    SSpoolKey key;
    key.Set(type, id, false);
    CResEntry entry{};
    return library->GetResourceInfo(key, &entry);
  }
  std::vector<uint32_t> TableIds() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < skies->GetPresetCount(); ++i) ids.push_back(skies->GetPresetId(i));
    return ids;
  }
  // Presets of the working sky with the flag words given, each named after its flags.
  std::vector<uint32_t> StoreSkies(std::initializer_list<uint32_t> flags) {
    std::vector<uint32_t> ids;
    for (uint32_t f : flags) {
      SetFlags(skies->GetWorkingSky(), f);
      skies->GetPreview().GetImage()->Fill(0xFF000000 | f);
      add.name = "Sky " + std::to_string(f);
      add.description = "Flags " + std::to_string(f);
      EXPECT_EQ(skies->StoreCurrent(), 0);
      ids.push_back(skies->GetWorkingSky()->GetId());
    }
    return ids;
  }
  CUIMessage GridClick(uint32_t cell) {
    CUIMessage message = Named("skyfogpresets", "preset grid");
    const SRect r = skies->GetCell(cell)->GetRect();
    message.secondPoint = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return message;
  }
  uint32_t PreviewPixel() {
    CImNavigator pixels(skies->GetPreview().GetImage(), nullptr, false, false);
    return pixels.Cells(pixels.GetRows() / 2)[pixels.GetColumns() / 2].value;
  }

  C3dSky* sky = nullptr;
  C3dSunLight* sun = nullptr;
  std::unique_ptr<CSkyFogPresets> skies;
  // The panel closed on the sky 0x281, which went into the document (marked changed and told) before
  // the palette's one update.
  void ExpectSky281AppliedThenUpdated(const CSkyFogPalette& palette, uint32_t level) {
    EXPECT_FALSE(skies->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level);
    EXPECT_EQ(Flags(sky), 0x281u);
    EXPECT_EQ(palette.GetUpdateCount(), 1u);
    EXPECT_EQ(palette.GetUpdateSkyFlags(), 0x281u);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"unsaved", "objinfochanged 65535"}));
    EXPECT_EQ(skies->GetLibrary(), nullptr);
  }
};

TEST_F(SkyPresets, StoringWritesTheSkyItsTexturesAndSunUnderNewIds) {
  EXPECT_EQ(skies->StoreCurrent(), kErrFileNotFound);
  ASSERT_EQ(skies->OpenLibrary(), 0);
  CResourceEnv* library = skies->GetLibrary();
  const uint32_t first = StoreSkies({0x293})[0];
  C3dSky* stored = nullptr;
  ASSERT_EQ(LoadStoredSky(library, first, &stored), 0);
  std::unique_ptr<C3dSky> read(stored);
  EXPECT_EQ(read->GetDataSize(), C3dSky::kRecordSize);
  EXPECT_EQ(Flags(read.get()), 0x293u);
  uint32_t textures[2];
  for (int layer = 0; layer < 2; ++layer) {
    EXPECT_EQ(read->GetCloudTextureTag(layer), C3dTexture::kClassTag) << layer;
    textures[layer] = read->GetCloudTextureId(layer);
    EXPECT_NE(textures[layer], 0u);
    EXPECT_TRUE(Exists(library, "C3dTexture", textures[layer])) << layer;
  }
  EXPECT_NE(textures[0], textures[1]);
  for (const char* type : {"C3dSunLight", "skyprevcimage", "CPresetDescr"}) EXPECT_TRUE(Exists(library, type, first)) << type;
  C3dSunLight* storedSun = nullptr;
  ASSERT_EQ(LoadStoredSunLight(library, first, &storedSun), 0);
  EXPECT_EQ(storedSun->GetDataSize(), C3dSunLight::kRecordSize);
  delete storedSun;
  EXPECT_EQ(skies->GetWorkingSky()->GetId(), first);
  // Again: a new id and new textures; the last entry is the only one selected.
  skies->SetSelected(0, true);
  const uint32_t second = StoreSkies({0x293})[0];
  EXPECT_NE(second, first);
  EXPECT_EQ(TableIds(), (std::vector<uint32_t>{first, second}));
  EXPECT_FALSE(skies->IsSelected(0));
  EXPECT_TRUE(skies->IsSelected(1));
  C3dSky* again = nullptr;
  ASSERT_EQ(LoadStoredSky(library, second, &again), 0);
  std::unique_ptr<C3dSky> secondRead(again);
  for (int layer = 0; layer < 2; ++layer) {
    EXPECT_NE(secondRead->GetCloudTextureId(layer), textures[0]);
    EXPECT_NE(secondRead->GetCloudTextureId(layer), textures[1]);
  }
  EXPECT_STREQ(skies->GetNameLabel()->GetText(), "Sky 659");
}

TEST_F(SkyPresets, ASkyWithoutCloudTexturesStoresNoCloudWords) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  skies->GetWorkingSky()->ReleaseImages();
  CResourceEnv* library = skies->GetLibrary();
  ASSERT_EQ(StoreSkyItem(skies->GetWorkingSky(), skies->GetWorkingSun(), library), 0);
  C3dSky* stored = nullptr;
  ASSERT_EQ(LoadStoredSky(library, skies->GetWorkingSky()->GetId(), &stored), 0);
  for (int layer = 0; layer < 2; ++layer) {
    EXPECT_EQ(stored->GetCloudTextureTag(layer), 0u);
    EXPECT_EQ(stored->GetCloudTextureId(layer), 0u);
  }
  delete stored;
  EXPECT_EQ(StoreSkyItem(skies->GetWorkingSky(), skies->GetWorkingSun(), nullptr), kErrInvalidParameter);
}

TEST_F(SkyPresets, LoadingTakesTheSkyPartCloudsAndSun) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  SetSunDirection(skies->GetWorkingSun(), {0, 1, 0});
  const std::vector<uint32_t> ids = StoreSkies({0x293, 0x281});
  // The second preset loses its sun light.
  SSpoolKey key;
  key.Set("C3dSunLight", ids[1], false);
  ASSERT_TRUE(skies->GetLibrary()->DeleteResource(key));
  SetFlags(skies->GetWorkingSky(), 0x1);
  SetSunDirection(skies->GetWorkingSun(), {1, 0, 0});
  uint32_t id = 0;
  ASSERT_EQ(skies->LoadSkyPreset(0, &id), 0);
  EXPECT_EQ(id, ids[0]);
  EXPECT_EQ(Flags(skies->GetWorkingSky()), 0x293u);
  for (int layer = 0; layer < 2; ++layer) EXPECT_NE(skies->GetWorkingSky()->GetCloudTexture(layer), nullptr) << layer;
  EXPECT_EQ(SunDirection(skies->GetWorkingSun()).y, 1.0);
  EXPECT_EQ(skies->GetWorkingSun()->GetStateFlags(), preset::kLoadedSunStateFlags);
  SetSunDirection(skies->GetWorkingSun(), {1, 0, 0});
  ASSERT_EQ(skies->LoadSkyPreset(1, &id), 0);
  EXPECT_EQ(Flags(skies->GetWorkingSky()), 0x281u);
  EXPECT_EQ(SunDirection(skies->GetWorkingSun()).x, 1.0);
  skies->CloseLibrary();
  EXPECT_EQ(skies->LoadSkyPreset(0, &id), kErrObjectNotFound);
}

TEST_F(SkyPresets, DeletingTakesEverythingOfThePresetOnly) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  CResourceEnv* library = skies->GetLibrary();
  const std::vector<uint32_t> ids = StoreSkies({0x293, 0x281});
  std::vector<uint32_t> textures[2];
  for (int i = 0; i < 2; ++i) {
    C3dSky* stored = nullptr;
    ASSERT_EQ(LoadStoredSky(library, ids[i], &stored), 0);
    for (int layer = 0; layer < 2; ++layer) textures[i].push_back(stored->GetCloudTextureId(layer));
    delete stored;
  }
  skies->SetSelected(0, true);
  skies->SetSelected(1, false);
  EXPECT_EQ(skies->DeleteSelected(), 0);
  EXPECT_EQ(TableIds(), (std::vector<uint32_t>{ids[1]}));
  for (const char* type : {"C3dBaseSky", "C3dSunLight", "skyprevcimage", "CPresetDescr"}) {
    EXPECT_FALSE(Exists(library, type, ids[0])) << type;
    EXPECT_TRUE(Exists(library, type, ids[1])) << type;
  }
  for (uint32_t texture : textures[0]) EXPECT_FALSE(Exists(library, "C3dTexture", texture));
  for (uint32_t texture : textures[1]) EXPECT_TRUE(Exists(library, "C3dTexture", texture));
  // The only preset: the table goes first, and the grid shows an empty library.
  skies->SetSelected(0, true);
  EXPECT_EQ(skies->DeleteSelected(), 0);
  EXPECT_EQ(skies->GetTable(), nullptr);
  // A preset whose sky cannot be read still loses its other resources.
  // (Another stays, so that the panel's table does.)
  const uint32_t broken = StoreSkies({0x1, 0x2})[0];
  SSpoolKey key;
  key.Set("C3dBaseSky", broken, false);
  ASSERT_TRUE(library->DeleteResource(key));
  EXPECT_NE(DeleteSkyPreset(library, broken), 0);
  for (const char* type : {"C3dSunLight", "skyprevcimage", "CPresetDescr"}) EXPECT_FALSE(Exists(library, type, broken)) << type;
}

TEST_F(SkyPresets, CopyingAppendsTheSourcesSkiesInReverse) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  const std::vector<uint32_t> source = StoreSkies({0x11, 0x22, 0x33});
  skies->CloseLibrary();
  CFileSpec spec;
  ASSERT_EQ(spec.Set((folder + "/Presets/Skies.sky").c_str()), 0);
  CResourceEnv from(spec, CFile::kModeRead);
  ASSERT_TRUE(from.IsOpen());
  CPresetLibraryFile target;
  CFileSpec targetSpec;
  ASSERT_EQ(targetSpec.Set((folder + "/Presets/Other.sky").c_str()), 0);
  ASSERT_EQ(target.Open(targetSpec), 0);
  EXPECT_EQ(CopySkyPresetsFrom(&from, nullptr), kErrObjectNotFound);
  ASSERT_EQ(CopySkyPresetsFrom(&from, target.GetLibrary()), 0);
  CResTypeTable* table = nullptr;
  ASSERT_TRUE(target.GetLibrary()->FindType("C3dBaseSky", &table, nullptr));
  std::vector<uint32_t> copied;
  {
    CHolder rows(table, false, false);
    for (uint32_t i = 0; i < table->GetCount(); ++i) copied.push_back((*table)[i].number);
  }
  ASSERT_EQ(copied.size(), 3u);
  const uint32_t expected[] = {0x33, 0x22, 0x11};
  std::set<uint32_t> textureIds;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::count(source.begin(), source.end(), copied[i]), 0) << i;
    C3dSky* stored = nullptr;
    ASSERT_EQ(LoadStoredSky(target.GetLibrary(), copied[i], &stored), 0);
    EXPECT_EQ(Flags(stored), expected[i]);
    for (int layer = 0; layer < 2; ++layer) {
      EXPECT_TRUE(Exists(target.GetLibrary(), "C3dTexture", stored->GetCloudTextureId(layer)));
      textureIds.insert(stored->GetCloudTextureId(layer));
    }
    delete stored;
    CPresetDescription description;
    ASSERT_EQ(description.Read(target.GetLibrary(), "CPresetDescr", copied[i]), 0);
    EXPECT_EQ(description.GetName(), "Sky " + std::to_string(expected[i]));
    EXPECT_TRUE(Exists(target.GetLibrary(), "skyprevcimage", copied[i]));
  }
  EXPECT_EQ(textureIds.size(), 6u);
  // A source without skies: nothing, and no error.
  CPresetLibraryFile empty;
  CFileSpec emptySpec;
  ASSERT_EQ(emptySpec.Set((folder + "/Presets/Empty.sky").c_str()), 0);
  ASSERT_EQ(empty.Open(emptySpec), 0);
  EXPECT_EQ(CopySkyPresetsFrom(empty.GetLibrary(), target.GetLibrary()), 0);
}

// The panel opened by a quick click on "sky&fog plopup": the document's sky in the working sky, a
// click on a cell loading that preset with its stored preview, "ok" putting it into the document and
// updating the palette after; "cancel" changing nothing.
TEST_F(SkyPresets, AQuickClickOpensAModalPanelWhoseOkAppliesTheSky) {
  CSkyFogPalette palette(owner, DataFile("skyfogpalette.dat"));
  palette.SetOwner(&window);
  skies->SetSkyFogPalette(&palette);
  SetFlags(sky, 0x2A3);
  SetSunDirection(sun, {0, 0, 1});
  {
    ASSERT_EQ(skies->OpenLibrary(), 0);
    StoreSkies({0x293, 0x281});
    skies->CloseLibrary();
  }
  const uint32_t level = owner->GetModalLevel();
  CUIMessage open = Named("create palette", "sky&fog plopup");
  ASSERT_EQ(skies->HandleEvent(&open), kHandled);
  EXPECT_TRUE(skies->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_EQ(Flags(skies->GetWorkingSky()), 0x2A3u);
  EXPECT_EQ(SunDirection(skies->GetWorkingSun()).z, 1.0);
  ASSERT_EQ(skies->GetPresetCount(), 2u);
  // A press in the preview restarts its render.
  skies->GetPreview().CancelRender();
  CUIMessage press = Named("skyfogpresets", "preview image");
  EXPECT_EQ(skies->HandleEvent(&press), kHandled);
  EXPECT_TRUE(skies->GetPreview().IsRenderPending());
  CUIMessage click = GridClick(1);
  EXPECT_EQ(skies->HandleEvent(&click), 0);
  EXPECT_EQ(Flags(skies->GetWorkingSky()), 0x281u);
  EXPECT_EQ(PreviewPixel(), 0xFF000281u);
  EXPECT_STREQ(skies->GetNameLabel()->GetText(), "Sky 641");
  EXPECT_EQ(Flags(sky), 0x2A3u);
  // "delete" with nothing selected still asks.
  skies->ClearSelection();
  CUIMessage del = Named("skyfogpresets", "delete");
  EXPECT_EQ(skies->HandleEvent(&del), kHandled);
  EXPECT_EQ(remove.opened, 1);
  window.calls.clear();
  CUIMessage ok = Named("skyfogpresets", "ok");
  EXPECT_EQ(skies->HandleEvent(&ok), kHandled);
  ExpectSky281AppliedThenUpdated(palette, level);
  // Cancel: the document's sky stays as it is.
  ASSERT_EQ(skies->HandleEvent(&open), kHandled);
  click = GridClick(0);
  EXPECT_EQ(skies->HandleEvent(&click), 0);
  CUIMessage cancel = Named("skyfogpresets", "cancel");
  EXPECT_EQ(skies->HandleEvent(&cancel), kHandled);
  EXPECT_EQ(Flags(sky), 0x281u);
  EXPECT_EQ(palette.GetUpdateCount(), 1u);
}

// The grid's selection works on the sky panel as on the other: Ctrl toggles, Shift extends.
TEST_F(SkyPresets, TheGridSelectsAsTheOtherPanelDoes) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  StoreSkies({0x1, 0x3, 0x5});
  skies->CPresetLibrary::Show();
  CUIMessage first = GridClick(0), third = GridClick(2);
  EXPECT_EQ(skies->HandleEvent(&first), 0);
  ASSERT_TRUE(platform::headless::AddScript("key 16\n"));
  while (platform::headless::PendingInputs() > 0) app->PumpMessages();
  app->PumpMessages();
  EXPECT_EQ(skies->HandleEvent(&third), 0);
  ASSERT_TRUE(platform::headless::AddScript("keyup 16\n"));
  while (platform::headless::PendingInputs() > 0) app->PumpMessages();
  app->PumpMessages();
  for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(skies->IsSelected(i)) << i;
  EXPECT_EQ(Flags(skies->GetWorkingSky()), 0x5u);
}

}  // namespace

namespace {

// The shipped library: at least four skies, each with a thumbnail that shows something.
TEST_F(SkyPresets, TheShippedSkiesShowThumbnails) {
  CopyShipped("Skies.sky");
  ASSERT_EQ(skies->OpenLibrary(), 0);
  ASSERT_GE(skies->GetPresetCount(), 4u);
  skies->RefreshGrid();
  for (uint32_t i = 0; i < skies->GetPresetCount() && i < skies->GetCellCount(); ++i) {
    const SRect r = skies->GetCell(i)->GetRect();
    CImNavigator pixels(skies->GetGridImage(), nullptr, false, false);
    const uint32_t middle = pixels.Cells(uint32_t((r.top + r.bottom) / 2))[(r.left + r.right) / 2].value;
    EXPECT_NE(middle & 0xFFFFFF, 0u) << i;
  }
  skies->CloseLibrary();
}

}  // namespace

namespace {

// An id whose sun light is in the library already is drawn again: nothing of another preset is read
// over the sun.
TEST_F(SkyPresets, AnIdWhoseSunLightIsTakenIsDrawnAgain) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  CResourceEnv* library = skies->GetLibrary();
  const SRandomState saved = GetRandomState();
  const uint32_t first = NextRandom(GetRandomState());
  ASSERT_EQ(StorePreview(library, "C3dSunLight", first, skies->GetPreview().GetImage()), 0);
  GetRandomState() = saved;
  const uint32_t id = StoreSkies({0x1})[0];
  EXPECT_NE(id, first);
  EXPECT_TRUE(Exists(library, "C3dSunLight", id));
}

// Ctrl+Shift on a sky: its stored preview becomes the panel's, its description stays.
TEST_F(SkyPresets, CtrlShiftReplacesASkysPreviewOnly) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  const uint32_t id = StoreSkies({0x3})[0];
  skies->CPresetLibrary::Show();
  skies->GetPreview().GetImage()->Fill(0xFF445566);
  ASSERT_TRUE(platform::headless::AddScript("key 16\nkey 17\n"));
  while (platform::headless::PendingInputs() > 0) app->PumpMessages();
  app->PumpMessages();
  CUIMessage click = GridClick(0);
  EXPECT_EQ(skies->HandleEvent(&click), 0);
  ASSERT_TRUE(platform::headless::AddScript("keyup 16\nkeyup 17\n"));
  while (platform::headless::PendingInputs() > 0) app->PumpMessages();
  app->PumpMessages();
  EXPECT_EQ(skies->GetPresetId(0), id);
  EXPECT_EQ(PreviewPixel(), 0xFF445566u);
  const SRect r = skies->GetCell(0)->GetRect();
  CImNavigator pixels(skies->GetGridImage(), nullptr, false, false);
  EXPECT_EQ(pixels.Cells(uint32_t((r.top + r.bottom) / 2))[(r.left + r.right) / 2].value, 0xFF445566u);
  CPresetDescription description;
  ASSERT_EQ(description.Read(skies->GetLibrary(), "CPresetDescr", id), 0);
  EXPECT_STREQ(description.GetName(), "Sky 3");
}

}  // namespace

namespace {

// A press held on "sky&fog plopup": the panel follows the pointer, and the release on a sky puts it
// into the document, notifies the window and then updates the palette, which reads the new sky.
TEST_F(SkyPresets, AHeldPlopUpReleasedOnASkyAppliesItThenUpdatesThePalette) {
  CSkyFogPalette palette(owner, DataFile("skyfogpalette.dat"));
  palette.SetOwner(&window);
  skies->SetSkyFogPalette(&palette);
  {
    ASSERT_EQ(skies->OpenLibrary(), 0);
    StoreSkies({0x293, 0x281});
    skies->CloseLibrary();
  }
  platform::UseVirtualClock(1000);
  const uint32_t level = owner->GetModalLevel();
  skies->PlaceBesideAnchor();
  const SPointHV origin{skies->GetFrame().left, skies->GetFrame().top};
  const SRect cell = skies->GetCell(1)->GetRect();
  CElement* gridElement = skies->GetGridElement();
  SPointHV onCell{};
  gridElement->LocalToRootPoint(&onCell, SPointHV{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  const SPointHV off{origin.h + 200, origin.v + 310};
  const auto at = [](SPointHV p) { return std::to_string(p.h) + " " + std::to_string(p.v); };
  Script("move " + at(off) + "\ndown left\n");
  ASSERT_TRUE(platform::headless::AddScript("wait 100\nmove " + at(onCell) + "\nwait 100\nup left\n"));
  window.calls.clear();
  CUIMessage open = Named("create palette", "sky&fog plopup");
  EXPECT_EQ(skies->HandleEvent(&open), 0);
  platform::UseRealClock();
  ExpectSky281AppliedThenUpdated(palette, level);
}

}  // namespace

namespace {

// A sky thumbnail that cannot be read leaves its cell as it was and renders the preview afresh.
TEST_F(SkyPresets, AnUnreadableThumbnailLeavesItsCell) {
  ASSERT_EQ(skies->OpenLibrary(), 0);
  const uint32_t id = StoreSkies({0x3})[0];
  SSpoolKey key;
  key.Set("skyprevcimage", id, false);
  ASSERT_TRUE(skies->GetLibrary()->DeleteResource(key));
  skies->FillCell(skies->GetCell(0), 0xFF123456, false);
  skies->GetPreview().CancelRender();
  skies->RefreshGrid();
  const SRect r = skies->GetCell(0)->GetRect();
  CImNavigator pixels(skies->GetGridImage(), nullptr, false, false);
  EXPECT_EQ(pixels.Cells(uint32_t((r.top + r.bottom) / 2))[(r.left + r.right) / 2].value, 0xFF123456u);
  EXPECT_TRUE(skies->GetPreview().IsRenderPending());
}

}  // namespace
