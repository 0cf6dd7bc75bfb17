// The preset grid's behaviour: selecting cells with plain, Ctrl and Shift clicks, showing the clicked
// preset, replacing it with Ctrl+Shift, scrolling cell by cell, and editing the name and description
// in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "scene/sphere.h"
#include "tests/presets/presets_fixture.h"

namespace {

constexpr uint32_t kShift = 16;
constexpr uint32_t kControl = 17;

class PresetGrid : public PresetsTest {
 protected:
  void SetUp() override {
    PresetsTest::SetUp();
    if (HasFatalFailure()) return;
    panel->CPresetLibrary::Show();
    ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  }
  void TearDown() override {
    Hold({});
    platform::UseRealClock();
    PresetsTest::TearDown();
  }
  // Exactly these modifier keys are down.
  void Hold(std::initializer_list<uint32_t> keys) {
    std::string script;
    for (uint32_t key : {kShift, kControl}) {
      const bool wanted = std::find(keys.begin(), keys.end(), key) != keys.end();
      script += (wanted ? "key " : "keyup ") + std::to_string(key) + "\n";
    }
    ASSERT_TRUE(platform::headless::AddScript(script));
    while (platform::headless::PendingInputs() > 0) app->PumpMessages();
    app->PumpMessages();
  }
  // n material presets, each with a preview of one colour and a diffusion of its own.
  std::vector<uint32_t> StoreMaterials(uint32_t n) {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < n; ++i) {
      {
        CHolder held(panel->GetWorkingMaterial(), true, false);
        panel->GetWorkingMaterial()->GetRecord().sample.diffusion = 0.01 * (i + 1);
      }
      panel->GetPreview().GetImage()->Fill(Colour(i));
      add.name = "Preset " + std::to_string(i);
      add.description = "Number " + std::to_string(i);
      EXPECT_EQ(panel->StoreCurrent(), kHandled);
      ids.push_back(panel->GetWorkingMaterial()->GetId());
    }
    for (uint32_t i = 0; i < panel->GetPresetCount(); ++i) panel->SetSelected(i, false);
    panel->SetTopIndex(0);
    panel->UpdateScrollState();
    panel->RefreshGrid();
    return ids;
  }
  static uint32_t Colour(uint32_t i) { return 0xFF000000 | ((i + 1) * 0x0A0B0C); }
  // A message of the grid for a point in its coordinates.
  int32_t ClickAt(SPointHV local) {
    CUIMessage message = Named("objmatpresets", "preset grid");
    message.secondPoint = local;
    return panel->HandleEvent(&message);
  }
  int32_t ClickCell(uint32_t i) {
    const SRect r = panel->GetCell(i)->GetRect();
    return ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  uint32_t CellPixel(uint32_t i) {
    const SRect r = panel->GetCell(i)->GetRect();
    return GridPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::set<uint32_t> Selected() {
    std::set<uint32_t> selected;
    for (uint32_t i = 0; i < panel->GetPresetCount(); ++i)
      if (panel->IsSelected(i)) selected.insert(i);
    return selected;
  }
  // The cells' selected states equal the flags of the presets they show.
  void ExpectCellsMatchTable(const std::string& when) {
    for (uint32_t i = 0; i < panel->GetCellCount(); ++i) {
      const uint32_t index = panel->GetTopIndex() + i;
      const bool flag = index < panel->GetPresetCount() && panel->IsSelected(index);
      EXPECT_EQ(panel->GetCell(i)->GetUserWord(0), flag ? 1u : 0u) << when << ", cell " << i;
      const SRect r = panel->GetCell(i)->GetRect();
      if (index < panel->GetPresetCount()) {
        EXPECT_EQ(GridPixel(r.left - 1, r.top - 1),
                  flag ? CPresetLibrary::kSelectedFrameColour : CPresetLibrary::kFrameColour)
            << when << ", frame of cell " << i;
      }
    }
  }
  bool Exists(const char* type, uint32_t id) {
    SSpoolKey key;
    key.Set(type, id, false);
    CResEntry entry{};
    return panel->GetLibrary()->GetResourceInfo(key, &entry);
  }
  uint32_t StoredPreviewPixel(const char* type, uint32_t id) {
    // Read into the panel's preview, which the test no longer looks at.
    CImage* image = panel->GetPreview().GetImage();
    image->Fill(0);
    if (DrawStoredPreview(panel->GetLibrary(), type, id, image)) return 0xDEADBEEF;
    return PreviewPixel();
  }
  uint32_t PreviewPixel() {
    CImNavigator pixels(panel->GetPreview().GetImage(), nullptr, false, false);
    return pixels.Cells(pixels.GetRows() / 2)[pixels.GetColumns() / 2].value;
  }
};

TEST_F(PresetGrid, ClicksSelectByTheModifierKeys) {
  StoreMaterials(6);
  const SRect first = panel->GetCell(0)->GetRect(), second = panel->GetCell(1)->GetRect();
  const SPointHV between{(first.right + second.left) / 2, (first.top + first.bottom) / 2};
  struct SCase {
    std::initializer_list<uint32_t> keys;
    int32_t cell;  // -1: between two cells, -2: on the grid's last child
    int32_t answer;
    std::set<uint32_t> selected;
  };
  const SCase cases[] = {
      {{}, 2, 0, {2}},
      {{kControl}, 4, 0, {2, 4}},
      {{kControl}, 2, 0, {4}},
      {{}, 1, 0, {1}},
      {{kShift}, 3, 0, {1, 2, 3}},
      {{}, 3, 0, {3}},
      // Shift before the first selected cell extends nothing.
      {{kShift}, 1, 0, {1, 3}},
      {{kShift}, -1, kHandled, {1, 3}},
      {{}, -1, kHandled, {}},
      {{}, 5, 0, {5}},
      {{}, -2, kHandled, {}},
  };
  int step = 0;
  for (const SCase& c : cases) {
    Hold(c.keys);
    const int32_t answer = c.cell >= 0 ? ClickCell(uint32_t(c.cell)) : ClickAt(c.cell == -1 ? between : SPointHV{0, 0});
    const std::string when = "step " + std::to_string(step++);
    EXPECT_EQ(answer, c.answer) << when;
    EXPECT_EQ(Selected(), c.selected) << when;
    ExpectCellsMatchTable(when);
  }
}

TEST_F(PresetGrid, APlainClickLoadsTheMaterialAndShowsItsTexts) {
  const std::vector<uint32_t> ids = StoreMaterials(3);
  ASSERT_EQ(ClickCell(1), 0);
  EXPECT_DOUBLE_EQ(Diffusion(panel->GetWorkingMaterial()), 0.02);
  EXPECT_EQ(panel->GetCurrentPresetId(), ids[1]);
  EXPECT_TRUE(panel->GetPreview().IsRenderPending());
  EXPECT_STREQ(panel->GetNameLabel()->GetText(), "Preset 1");
  EXPECT_STREQ(panel->GetDescriptionLabel()->GetText(), "Number 1");
  // A preset whose description is gone is still current, with nothing typed.
  SSpoolKey key;
  key.Set("CPresetDescr", ids[2], false);
  ASSERT_TRUE(panel->GetLibrary()->DeleteResource(key));
  EXPECT_EQ(ClickCell(2), 0);
  EXPECT_EQ(panel->GetCurrentPresetId(), ids[2]);
  EXPECT_FALSE(panel->IsEdited());
}

TEST_F(PresetGrid, ObjectsShowTheirStoredPreview) {
  CUIMessage open = Named("create palette", "create plopup");
  SelectedSphere({0, 0, 0});
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  ASSERT_EQ(panel->OpenLibrary("Basics.obj"), 0);
  for (uint32_t i = 0; i < 2; ++i) {
    panel->GetPreview().GetImage()->Fill(Colour(i));
    ASSERT_EQ(panel->StoreCurrent(), kHandled);
  }
  panel->GetPreview().GetImage()->Fill(0xFF000001);
  ASSERT_EQ(ClickCell(0), 0);
  EXPECT_EQ(PreviewPixel(), Colour(0));
  EXPECT_FALSE(panel->GetPreview().IsRenderPending());
  EXPECT_EQ(panel->GetCurrentPresetId(), panel->GetPresetId(0));
  // Ctrl+Shift: the preview replaced, the texts and the tree kept.
  const uint32_t id = panel->GetPresetId(1);
  panel->GetPreview().GetImage()->Fill(0xFF445566);
  Hold({kControl, kShift});
  ASSERT_EQ(ClickCell(1), 0);
  EXPECT_EQ(panel->GetPresetId(1), id);
  EXPECT_EQ(StoredPreviewPixel("objprevcimage", id), 0xFF445566u);
  EXPECT_TRUE(Exists("objpresetdesc", id));
  EXPECT_TRUE(Exists("objpreset", id));
  CUIMessage cancel = Named("objmatpresets", "cancel");
  panel->HandleEvent(&cancel);
}

TEST_F(PresetGrid, CtrlShiftReplacesAMaterialPresetInPlace) {
  const std::vector<uint32_t> ids = StoreMaterials(3);
  ASSERT_EQ(ClickCell(1), 0);
  {
    CHolder held(panel->GetWorkingMaterial(), true, false);
    panel->GetWorkingMaterial()->GetRecord().sample.diffusion = 0.77;
  }
  panel->GetPreview().GetImage()->Fill(0xFF445566);
  Hold({kControl, kShift});
  ASSERT_EQ(ClickCell(1), 0);
  const uint32_t replaced = panel->GetPresetId(1);
  EXPECT_NE(replaced, ids[1]);
  EXPECT_EQ(panel->GetPresetCount(), 3u);
  EXPECT_EQ(panel->GetPresetId(0), ids[0]);
  EXPECT_EQ(panel->GetPresetId(2), ids[2]);
  C3dMaterial* read = nullptr;
  ASSERT_EQ(ReadStoredMaterial(panel->GetLibrary(), replaced, &read), 0);
  EXPECT_DOUBLE_EQ(Diffusion(read), 0.77);
  delete read;
  CPresetDescription description;
  ASSERT_EQ(description.Read(panel->GetLibrary(), "CPresetDescr", replaced), 0);
  EXPECT_STREQ(description.GetName(), "Preset 1");
  EXPECT_STREQ(description.GetDescription(), "Number 1");
  EXPECT_EQ(StoredPreviewPixel("matprevcimage", replaced), 0xFF445566u);
  for (const char* type : {"C3dBaseMaterial", "matprevcimage", "CPresetDescr"}) EXPECT_FALSE(Exists(type, ids[1])) << type;
  EXPECT_EQ(Selected(), (std::set<uint32_t>{1}));
  EXPECT_EQ(panel->GetCurrentPresetId(), replaced);
}

TEST_F(PresetGrid, ScrollingStaysWithinTheTableAndMovesThumbnails) {
  StoreMaterials(15);
  const uint32_t cells = panel->GetCellCount();
  ASSERT_EQ(cells, 12u);
  EXPECT_EQ(panel->GetLastTopIndex(), 3u);
  CUIMessage back = Named("objmatpresets", "scroll item");
  back.firstPoint = {0, -1};
  CUIMessage forward = back;
  forward.firstPoint = {0, 1};
  // Back from the first position: nothing moves.
  const uint32_t before = CellPixel(0);
  EXPECT_EQ(panel->ScrollGrid(&back, false), 0);
  EXPECT_EQ(panel->GetTopIndex(), 0u);
  EXPECT_EQ(CellPixel(0), before);
  panel->SetSelected(13, true);
  EXPECT_EQ(panel->ScrollGrid(&forward, false), 0);
  EXPECT_EQ(panel->GetTopIndex(), 1u);
  for (uint32_t i = 0; i < cells; ++i) EXPECT_EQ(CellPixel(i), Colour(i + 1)) << i;
  EXPECT_EQ(panel->GetScrollState(), CPresetLibrary::kScrollMiddle);
  for (int i = 0; i < 5; ++i) panel->ScrollGrid(&forward, false);
  EXPECT_EQ(panel->GetTopIndex(), 3u);
  EXPECT_EQ(panel->GetScrollState(), CPresetLibrary::kScrollAtEnd);
  EXPECT_EQ(CellPixel(cells - 1), Colour(14));
  ExpectCellsMatchTable("at the end");
  EXPECT_EQ(panel->GetCell(10)->GetUserWord(0), 1u);
  panel->ScrollGrid(&back, false);
  EXPECT_EQ(CellPixel(0), Colour(2));
  ExpectCellsMatchTable("one back");
}

TEST_F(PresetGrid, NoMorePresetsThanCellsScrollsNowhere) {
  StoreMaterials(12);
  CUIMessage forward = Named("objmatpresets", "scroll item");
  forward.firstPoint = {0, 1};
  EXPECT_EQ(panel->ScrollGrid(&forward, false), 0);
  EXPECT_EQ(panel->GetTopIndex(), 0u);
  EXPECT_EQ(CellPixel(0), Colour(0));
}

TEST_F(PresetGrid, AHeldPressScrollsEveryTenTicks) {
  StoreMaterials(20);
  platform::UseVirtualClock(1000);
  Script("down left\n");
  // Released 25 ticks later: steps at ticks 0, 10, 20 and 30, the button tested after each.
  ASSERT_TRUE(platform::headless::AddScript("wait 416\nup left\n"));
  CUIMessage forward = Named("objmatpresets", "scroll item");
  forward.firstPoint = {0, 1};
  EXPECT_EQ(panel->ScrollGrid(&forward, true), 0);
  EXPECT_EQ(panel->GetTopIndex(), 4u);
}

TEST_F(PresetGrid, NamesAreEditedInPlace) {
  const std::vector<uint32_t> ids = StoreMaterials(2);
  CUIMessage name = Named("objmatpresets", "preset name");
  CUIMessage description = Named("objmatpresets", "preset description");
  CTextEdit* nameField = panel->GetNameField();
  CTextEdit* descriptionField = panel->GetDescriptionField();
  // Nothing current: nothing shows.
  EXPECT_EQ(panel->HandleEvent(&name), 0);
  EXPECT_FALSE(platform::IsWindowVisible(nameField->GetWindow()));
  ASSERT_EQ(ClickCell(1), 0);
  EXPECT_EQ(panel->HandleEvent(&name), kHandled);
  EXPECT_TRUE(platform::IsWindowVisible(nameField->GetWindow()));
  EXPECT_STREQ(nameField->GetText(), "Preset 1");
  EXPECT_TRUE(AllSelected(nameField));
  EXPECT_TRUE(Focused(nameField));
  const std::string longName(70, 'n');
  nameField->SetText(longName.c_str());
  // The other field ends this one first.
  EXPECT_EQ(panel->HandleEvent(&description), kHandled);
  EXPECT_FALSE(platform::IsWindowVisible(nameField->GetWindow()));
  EXPECT_TRUE(platform::IsWindowVisible(descriptionField->GetWindow()));
  descriptionField->SetText("Typed here");
  add.name = "Proposed";
  EXPECT_EQ(panel->CommitTextEdits(), 0);
  EXPECT_FALSE(platform::IsWindowVisible(descriptionField->GetWindow()));
  EXPECT_EQ(add.name, "");
  CPresetDescription stored;
  ASSERT_EQ(stored.Read(panel->GetLibrary(), "CPresetDescr", ids[1]), 0);
  EXPECT_EQ(std::string(stored.GetName()), longName.substr(0, 63));
  EXPECT_STREQ(stored.GetDescription(), "Typed here");
  // A description that cannot be read stays missing.
  SSpoolKey key;
  key.Set("CPresetDescr", ids[0], false);
  ASSERT_EQ(ClickCell(0), 0);
  ASSERT_TRUE(panel->GetLibrary()->DeleteResource(key));
  EXPECT_EQ(panel->HandleEvent(&name), kHandled);
  nameField->SetText("Lost");
  EXPECT_EQ(panel->CommitTextEdits(), 0);
  EXPECT_FALSE(Exists("CPresetDescr", ids[0]));
  // Return in a field types nothing into it (it is the panel's "ok").
  ASSERT_EQ(ClickCell(1), 0);
  EXPECT_EQ(panel->HandleEvent(&name), kHandled);
  Stroke(nameField, "Return");
  EXPECT_EQ(std::string(nameField->GetText()), longName.substr(0, 63));
}

}  // namespace
