// The object and material preset palette: placement, the grid and its frames, the scroll item, the
// category tabs, storing and deleting through the panel, the dialogs it opens, and its text fields.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/core/cm_function.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "scene/sphere.h"
#include "tests/presets/presets_fixture.h"
#include "tools/res_compiler.h"

namespace {

TEST(PresetPlacement, BesideTheAnchorAndOnTheScreen) {
  struct SCase {
    const char* name;
    SRect anchor;
    int32_t width, height;
    SPointHV at;
  };
  const SRect screen{0, 0, 768, 1024};
  const SCase cases[] = {
      {"beside", {100, 300, 400, 500}, 440, 330, {515, 105}},
      {"near the right edge", {100, 700, 400, 900}, 440, 330, {584, 105}},
      {"near the bottom", {600, 300, 700, 500}, 440, 330, {515, 438}},
      {"taller than the screen", {100, 300, 400, 500}, 440, 900, {515, -132}},
      {"left of the screen", {100, -600, 400, -400}, 440, 330, {0, 105}},
  };
  for (const SCase& c : cases) {
    const SPointHV at = CPresetLibrary::PlaceBeside(c.anchor, screen, c.width, c.height);
    EXPECT_EQ(at.h, c.at.h) << c.name;
    EXPECT_EQ(at.v, c.at.v) << c.name;
  }
}

TEST(PresetScrollItem, StateFromTheTable) {
  // A grid of 8 cells and its last child: p = 9.
  struct SCase {
    bool table;
    uint32_t n, t;
    int32_t state;
  };
  const SCase cases[] = {{false, 20, 0, -1}, {true, 8, 0, -1}, {true, 12, 0, 0},
                         {true, 12, 4, 2},   {true, 12, 2, 1}, {true, 9, 1, 2}};
  for (const SCase& c : cases)
    EXPECT_EQ(CPresetLibrary::ScrollStateFor(c.table, c.n, 9, c.t), c.state) << c.n << " at " << c.t;
}

TEST(PresetScrollItem, PressDirectionByStateAndHalf) {
  // An item 40 high: h = 20.
  struct SCase {
    int32_t state, y;
    bool posts;
    int32_t direction;
  };
  const SCase cases[] = {{0, 19, false, 0}, {0, 20, true, 1},  {1, 20, true, -1}, {1, 21, true, 1},
                         {2, 20, true, -1}, {2, 21, false, 0}, {5, 3, true, 0}};
  for (const SCase& c : cases) {
    int32_t direction = 99;
    EXPECT_EQ(CPresetLibrary::ScrollDirection(c.state, 40, c.y, &direction), c.posts) << c.state << " " << c.y;
    if (c.posts) {
      EXPECT_EQ(direction, c.direction) << c.state << " " << c.y;
    }
  }
}

class ObjMatPresets : public PresetsTest {
 protected:
  CElement* Cell(uint32_t i) { return panel->GetCell(i); }
  SRect CellAt(uint32_t i) { return Cell(i)->GetRect(); }
  // Stores n materials of the selection through the panel's "add preset" answer.
  std::vector<uint32_t> StoreMaterials(uint32_t n) {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < n; ++i) {
      add.name = "Preset " + std::to_string(i);
      add.description = "Number " + std::to_string(i);
      EXPECT_EQ(panel->StoreCurrent(), kHandled);
      ids.push_back(panel->GetWorkingMaterial()->GetId());
    }
    return ids;
  }
  std::vector<uint32_t> TableIds() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < panel->GetPresetCount(); ++i) ids.push_back(panel->GetPresetId(i));
    return ids;
  }
};

TEST_F(ObjMatPresets, PlacedBesideTheAnchor) {
  anchor->MoveTo({485 - RectWidth(anchor->GetFrame()), 100});
  panel->PlaceBesideAnchor();
  EXPECT_EQ(panel->GetFrame().left, anchor->GetFrame().right + 15);
  EXPECT_EQ(panel->GetFrame().top, 105);
}

TEST_F(ObjMatPresets, MissingCategoryOpensEmptyWithBlackCells) {
  ASSERT_EQ(panel->OpenLibrary("Empty.shd"), 0);
  EXPECT_NE(panel->GetLibrary(), nullptr);
  EXPECT_EQ(panel->GetTable(), nullptr);
  panel->RefreshGrid();
  for (uint32_t i = 0; i < panel->GetCellCount(); ++i) {
    const SRect r = CellAt(i);
    EXPECT_EQ(GridPixel(r.left, r.top), 0u) << i;
    EXPECT_EQ(GridPixel(r.right - 1, r.bottom - 1), 0u) << i;
    EXPECT_EQ(GridPixel(r.left - 1, r.top - 1), 0u) << "frame of " << i;
  }
  EXPECT_FALSE(panel->GetScrollItem()->IsShown());
  panel->CloseLibrary();
  EXPECT_EQ(panel->GetLibrary(), nullptr);
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(folder + "/Presets/Empty.shd", &bytes));
}

TEST_F(ObjMatPresets, NotACompositeFileLeavesNoLibrary) {
  {
    std::ofstream junk(folder + "/Presets/Junk.shd", std::ios::binary);
    junk << std::string(300, 'x');
  }
  EXPECT_EQ(panel->OpenLibrary("Junk.shd"), kErrCompositeExpected);
  EXPECT_EQ(panel->GetLibrary(), nullptr);
  EXPECT_EQ(panel->GetTable(), nullptr);
}

TEST_F(ObjMatPresets, TabsShowTheModesCategories) {
  panel->UpdateCategoryTabs();
  // Materials: Stones, Water, Clouds, Metals, Glass.
  for (uint32_t i = 0; i < CObjMatPresets::kTabCount; ++i) EXPECT_EQ(panel->GetTab(i)->IsShown(), i < 5) << i;
  CTxElement* stones = panel->GetTab(0);
  EXPECT_STREQ(stones->GetText(), "Stones");
  SRect text{};
  ASSERT_EQ(stones->GetTextRect(&text), 0);
  // Flush right: the text ends at the element's width.
  EXPECT_NEAR(double(stones->GetPosition().h) + text.right - stones->GetPosition().h, RectWidth(stones->GetRect()), 1.5);
  EXPECT_EQ(stones->GetStyle()->colour & 0xFFFFFF, CObjMatPresets::kCurrentTabColour);
  EXPECT_EQ(panel->GetTab(1)->GetStyle()->colour & 0xFFFFFF, CObjMatPresets::kOtherTabColour);
}

TEST_F(ObjMatPresets, StoringPlacesTheNewPresetAndScrolls) {
  EXPECT_EQ(panel->StoreCurrent(), kErrFileNotFound);
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  const std::vector<uint32_t> first = StoreMaterials(3);
  EXPECT_NE(first[0], 0u);
  EXPECT_NE(first[1], first[0]);
  EXPECT_EQ(TableIds(), first);
  // Entries 1 and 2 selected: the new one takes index 1 and is the only one selected.
  panel->SetSelected(1, true);
  panel->SetSelected(2, true);
  const uint32_t added = StoreMaterials(1)[0];
  EXPECT_EQ(TableIds(), (std::vector<uint32_t>{first[0], added, first[1], first[2]}));
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(panel->IsSelected(i), i == 1) << i;
  // The library keeps the order.
  panel->CloseLibrary();
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  EXPECT_EQ(TableIds(), (std::vector<uint32_t>{first[0], added, first[1], first[2]}));
  panel->SetSelected(1, true);
  // Each preset has its item, preview and description.
  CResourceEnv* library = panel->GetLibrary();
  for (const char* type : {"C3dBaseMaterial", "matprevcimage", "CPresetDescr"}) {
    SSpoolKey key;
    key.Set(type, added, false);
    CResEntry entry{};
    EXPECT_TRUE(library->GetResourceInfo(key, &entry)) << type;
  }
  EXPECT_EQ(panel->ShowDescription(added), 0);
  EXPECT_STREQ(panel->GetNameLabel()->GetText(), "Preset 0");
  // Appending unselected until the table reaches the grid's children: the end is shown.
  for (uint32_t i = 0; i < 4; ++i) panel->SetSelected(i, false);
  StoreMaterials(panel->GetGridChildCount() - 4);
  const uint32_t n = panel->GetPresetCount();
  EXPECT_EQ(n, panel->GetGridChildCount());
  EXPECT_EQ(panel->GetTopIndex(), n - panel->GetGridChildCount() + 1);
  EXPECT_FALSE(panel->IsSelected(n - 1));
  EXPECT_EQ(panel->GetScrollState(), CPresetLibrary::kScrollAtEnd);
}

TEST_F(ObjMatPresets, GridCellsShowThumbnailsFramesAndUnreadablePreviews) {
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  const std::vector<uint32_t> ids = StoreMaterials(2);
  // The second preset loses its preview.
  SSpoolKey key;
  key.Set("matprevcimage", ids[1], false);
  ASSERT_TRUE(panel->GetLibrary()->DeleteResource(key));
  panel->SetSelected(0, true);
  panel->RefreshGrid();
  const SRect a = CellAt(0), b = CellAt(1), c = CellAt(2);
  EXPECT_EQ(GridPixel(a.left - 1, a.top - 1), CPresetLibrary::kSelectedFrameColour);
  EXPECT_EQ(GridPixel(b.left - 1, b.top - 1), CPresetLibrary::kFrameColour);
  EXPECT_EQ(GridPixel(b.left + 5, b.top + 5), CPresetLibrary::kUnreadableCell);
  EXPECT_EQ(GridPixel(c.left + 5, c.top + 5), CPresetLibrary::kEmptyCell);
  EXPECT_EQ(GridPixel(c.left - 1, c.top - 1), CPresetLibrary::kEmptyCell);
  EXPECT_EQ(Cell(0)->GetUserWord(0), 1u);
}

TEST_F(ObjMatPresets, DeletingSelectedPresetsMovesTheTopBack) {
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  const std::vector<uint32_t> ids = StoreMaterials(5);
  panel->SetTopIndex(2);
  for (uint32_t i : {0u, 2u, 4u}) panel->SetSelected(i, true);
  EXPECT_EQ(panel->DeleteSelected(), 0);
  EXPECT_EQ(TableIds(), (std::vector<uint32_t>{ids[1], ids[3]}));
  EXPECT_EQ(panel->GetTopIndex(), 0u);
  // The last ones: the table goes first, and the grid shows an empty library.
  panel->SetSelected(0, true);
  panel->SetSelected(1, true);
  EXPECT_EQ(panel->DeleteSelected(), 0);
  EXPECT_EQ(panel->GetTable(), nullptr);
  EXPECT_EQ(GridPixel(CellAt(0).left, CellAt(0).top), CPresetLibrary::kEmptyCell);
}

TEST_F(ObjMatPresets, ClosingWritesTheLibraryAndSwitchingCategoriesDoesNotCompact) {
  ASSERT_EQ(panel->OpenLibrary("Water.shd"), 0);
  const std::vector<uint32_t> ids = StoreMaterials(2);
  ASSERT_EQ(panel->OpenLibrary("Clouds.shd"), 0);
  ASSERT_EQ(panel->OpenLibrary("Water.shd"), 0);
  EXPECT_EQ(TableIds(), ids);
  panel->CloseLibrary();
  CFileSpec spec;
  spec.Set((folder + "/Presets/Water.shd").c_str());
  CResourceEnv reopened(spec, CFile::kModeRead);
  ASSERT_TRUE(reopened.IsOpen());
  C3dMaterial* read = nullptr;
  EXPECT_EQ(ReadStoredMaterial(&reopened, ids[1], &read), 0);
  delete read;
}

TEST_F(ObjMatPresets, DeleteAddAndExportOpenTheirDialogs) {
  const uint32_t beeps = platform::BeepCount();
  CUIMessage del = Named("objmatpresets", "delete");
  CObjMatPresets& p = *panel;
  p.CPresetLibrary::Show();
  EXPECT_EQ(p.HandleEvent(&del), kHandled);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(remove.opened, 0);
  ASSERT_EQ(p.OpenLibrary("Stones.shd"), 0);
  StoreMaterials(2);
  p.SetSelected(1, true);
  EXPECT_EQ(p.HandleEvent(&del), kHandled);
  EXPECT_EQ(remove.opened, 1);
  EXPECT_EQ(remove.confirmation, "delete");
  EXPECT_EQ(p.GetPresetCount(), 2u);
  CUIMessage confirmed = Named("delete preset", "delete");
  EXPECT_EQ(p.HandleEvent(&confirmed), 0);
  EXPECT_EQ(p.GetPresetCount(), 1u);

  CUIMessage addMessage = Named("objmatpresets", "add");
  add.calls.clear();
  EXPECT_EQ(p.HandleEvent(&addMessage), kHandled);
  // Committing the texts first empties the proposed name.
  EXPECT_EQ(add.calls, (std::vector<std::string>{"name ", "name Untitled Preset", "live preview", "open"}));
  add.name = "Typed";
  add.description = "Typed description";
  CUIMessage ok = Named("add preset", "ok");
  EXPECT_EQ(p.HandleEvent(&ok), kHandled);
  ASSERT_EQ(p.GetPresetCount(), 2u);
  EXPECT_EQ(p.ShowDescription(p.GetPresetId(1)), 0);
  EXPECT_STREQ(p.GetDescriptionLabel()->GetText(), "Typed description");
}

TEST_F(ObjMatPresets, TabMovesTheFocusBetweenTheFields) {
  panel->CPresetLibrary::Show();
  CTextEdit* name = panel->GetNameField();
  CTextEdit* description = panel->GetDescriptionField();
  for (CTextEdit* field : {name, description}) platform::ShowWindow(field->GetWindow(), platform::kSwShow);
  name->SetFocus(true);
  panel->NextTextField(false);
  EXPECT_TRUE(description->HasFocus());
  EXPECT_FALSE(name->HasFocus());
  panel->NextTextField(false);
  EXPECT_TRUE(name->HasFocus());
  panel->NextTextField(true);
  EXPECT_TRUE(description->HasFocus());
  // Through the key: Tab in the description field goes back to the name.
  Stroke(description, "Tab");
  EXPECT_TRUE(name->HasFocus());
  Stroke(name, "shift+Tab");
  EXPECT_TRUE(description->HasFocus());
}

}  // namespace

namespace {

TEST_F(ObjMatPresets, EveryShippedCategoryShowsThumbnails) {
  for (const char* name : {"Stones.shd", "Water.shd", "Clouds.shd", "Metals.shd", "Glass.shd", "Basics.obj", "Rocks.obj"})
    CopyShipped(name);
  for (const bool materials : {true, false}) {
    CUIMessage open = Named(materials ? "edit palette" : "create palette", materials ? "edit plopup" : "create plopup");
    ASSERT_EQ(panel->HandleEvent(&open), kHandled);
    for (uint32_t tab = 0; tab < CObjMatPresets::kTabCount && panel->GetTab(tab)->IsShown(); ++tab) {
      ASSERT_EQ(panel->SelectCategory(panel->GetTab(tab)->GetName()), 0) << tab;
      ASSERT_NE(panel->GetTable(), nullptr) << panel->GetTab(tab)->GetText();
      uint32_t shown = 0;
      for (uint32_t i = 0; i < panel->GetCellCount() && i < panel->GetPresetCount(); ++i) {
        const SRect r = panel->GetCell(i)->GetRect();
        const uint32_t middle = GridPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // A thumbnail that was read: neither an empty cell nor an unreadable one.
        if ((middle & 0xFFFFFF) != 0 && middle != CPresetLibrary::kUnreadableCell) ++shown;
      }
      EXPECT_GE(shown, 3u) << panel->GetTab(tab)->GetText();
    }
    CUIMessage cancel = Named("objmatpresets", "cancel");
    EXPECT_EQ(panel->HandleEvent(&cancel), kHandled);
  }
}

}  // namespace

namespace {

// A press on "edit plopup" held past the wait: the palette follows the pointer, a tab it passes over
// opens at once, and a release off the cells applies nothing and closes the library, the modal level
// back where it was.
TEST_F(ObjMatPresets, AHeldPlopUpTracksAndAReleaseOffTheCellsAppliesNothing) {
  platform::UseVirtualClock(1000);
  C3dSphere* sphere = SelectedSphere({0, 0, 0});
  ASSERT_NE(sphere, nullptr);
  const uint32_t level = owner->GetModalLevel();
  panel->PlaceBesideAnchor();
  // Where the palette opens, and its second tab and a point off the cells there.
  const SPointHV origin{panel->GetFrame().left, panel->GetFrame().top};
  const SRect water = panel->GetTab(1)->GetRect();
  const SPointHV onWater{origin.h + water.left + 20, origin.v + water.top + 5};
  const SPointHV off{origin.h + 200, origin.v + 250};
  const auto at = [](SPointHV p) { return std::to_string(p.h) + " " + std::to_string(p.v); };
  // The press itself has reached its palette; the button stays down while the pointer moves.
  Script("move " + at(off) + "\ndown left\n");
  ASSERT_TRUE(platform::headless::AddScript("wait 100\nmove " + at(onWater) + "\nwait 100\nmove " + at(off) +
                                            "\nwait 100\nup left\n"));
  CUIMessage open = Named("edit palette", "edit plopup");
  EXPECT_EQ(panel->HandleEvent(&open), 0);
  EXPECT_EQ(panel->GetCurrentCategory(true), 1u);
  EXPECT_FALSE(panel->IsShown());
  EXPECT_EQ(panel->GetLibrary(), nullptr);
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
  platform::UseRealClock();
}

// A quick click leaves the palette open as the top modal level, whose preview renders only while no
// dialog stands above it; "cancel" closes it with the scene as it was.
TEST_F(ObjMatPresets, AQuickClickLeavesAModalPaletteThatCancelCloses) {
  SelectedSphere({0, 0, 0});
  const uint32_t level = owner->GetModalLevel();
  CUIMessage open = Named("edit palette", "edit plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  EXPECT_TRUE(panel->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_TRUE(panel->IsTopModal());
  // A dialog above it: no slice renders; without one, slices do.
  CImage* preview = panel->GetPreview().GetImage();
  ASSERT_TRUE(preview->Fill(0xFF123456));
  const auto untouched = [&] {
    CImNavigator pixels(preview, nullptr, false, false);
    return pixels.Cells(pixels.GetRows() / 2)[pixels.GetColumns() / 2].value == 0xFF123456;
  };
  ASSERT_TRUE(panel->GetPreview().IsRenderPending());
  owner->RaiseModalLevel();
  SHeartbeatRecord beat;
  for (int i = 0; i < 20; ++i) CPresetLibrary::RenderPreviewSlice(panel.get(), &beat, nullptr);
  EXPECT_TRUE(untouched());
  owner->LowerModalLevel();
  for (int i = 0; i < 200 && panel->GetPreview().IsRenderPending(); ++i)
    CPresetLibrary::RenderPreviewSlice(panel.get(), &beat, nullptr);
  EXPECT_FALSE(untouched());
  CUIMessage cancel = Named("objmatpresets", "cancel");
  EXPECT_EQ(panel->HandleEvent(&cancel), kHandled);
  EXPECT_FALSE(panel->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
}

// "export" opens the billboard, which Escape closes; nothing else changes.
TEST_F(ObjMatPresets, ExportShowsTheBillboard) {
  CBillboard billboard(owner, DataFile("objmatpresets.dat"));
  panel->SetBillboard(&billboard);
  panel->CPresetLibrary::Show();
  const uint32_t level = owner->GetModalLevel();
  CUIMessage exported = Named("objmatpresets", "export");
  EXPECT_EQ(panel->HandleEvent(&exported), kHandled);
  EXPECT_TRUE(billboard.IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  CUIMessage ok = Named("billboard", "ok");
  EXPECT_EQ(billboard.HandleEvent(&ok), kHandled);
  EXPECT_FALSE(billboard.IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_TRUE(panel->IsShown());
}

// A press on "Options" under the preview pops its menu up at the press, whose point the element's
// press gives on the screen: its fourth row, the cone, is chosen there.
TEST_F(ObjMatPresets, ThePreviewOptionsMenuOpensAtThePress) {
  // Near the screen's corner, so that the whole menu fits below and right of the press.
  panel->MoveTo({40, 30});
  panel->CPresetLibrary::Show();
  CElement* options = Find(*panel, "preview options");
  ASSERT_NE(options, nullptr);
  const SPointHV local{10, 5};
  const SPointHV at = OnScreen(options, local);
  SetCursorPosition(at.h, at.v);
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nmove " + std::to_string(at.h + kMenuFrame + 30) + " " +
                                            std::to_string(at.v + kMenuFrame + 3 * kMenuRow + kMenuRow / 2) +
                                            "\nwait 20\ndown left\nwait 20\nup left\n"));
  CElement* handled = nullptr;
  EXPECT_EQ(options->RunPressCallback(&handled, local, nullptr), kHandled);
  Settle();
  EXPECT_EQ(panel->GetPreview().GetShapeCode(), CPreviewScene::kCone);
}

}  // namespace

namespace {

// A layout whose material categories are 16 (one without an extension): the first 14 are tabs, each
// shown without its extension.
TEST_F(ObjMatPresets, FourteenOfSixteenCategoriesAreTabs) {
  const std::string copy = folder + "/objmatpresets.dat";
  std::filesystem::copy_file(std::string(QUARN2_DATA_DIR) + "/objmatpresets.dat", copy);
  {
    CFileSpec spec;
    ASSERT_EQ(spec.Set(copy.c_str()), 0);
    CResourceEnv layout(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(layout.IsOpen());
    SSpoolKey key;
    key.Set("ixtx", 2, false);
    ASSERT_TRUE(layout.DeleteResource(key));
    std::string source = "0 \"Notes\"\n";
    for (int i = 1; i < 16; ++i) source += std::to_string(i) + " \"Category" + std::to_string(i) + ".shd\"\n";
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(CompileSource("ixtx", source, &bytes, &error)) << error;
    ASSERT_EQ(StoreCompiled(layout, key, "ixtx", bytes), 0);
    ASSERT_EQ(layout.Close(), 0);
  }
  CFileSpec spec;
  ASSERT_EQ(spec.Set(copy.c_str()), 0);
  CResourceEnv layout(spec, CFile::kModeRead);
  CObjMatPresets wide(owner, &layout, anchor.get(), &add, &remove);
  ASSERT_EQ(wide.BuildOnce(), 0);
  wide.UpdateCategoryTabs();
  for (uint32_t i = 0; i < CObjMatPresets::kTabCount; ++i) EXPECT_TRUE(wide.GetTab(i)->IsShown()) << i;
  EXPECT_STREQ(wide.GetTab(0)->GetText(), "Notes");
  EXPECT_STREQ(wide.GetTab(13)->GetText(), "Category13");
  // Separate current categories: objects keep theirs while materials move on.
  ASSERT_EQ(wide.SelectCategory(wide.GetTab(3)->GetName()), 0);
  EXPECT_EQ(wide.GetCurrentCategory(true), 3u);
  EXPECT_EQ(wide.GetCurrentCategory(false), 0u);
  EXPECT_EQ(wide.GetTab(3)->GetStyle()->colour & 0xFFFFFF, CObjMatPresets::kCurrentTabColour);
  EXPECT_EQ(wide.GetTab(0)->GetStyle()->colour & 0xFFFFFF, CObjMatPresets::kOtherTabColour);
  wide.CloseLibrary();
}

}  // namespace
