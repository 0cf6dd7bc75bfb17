// The add preset dialog built from its layout file: its two text fields as a preset panel fills and
// reads them, Tab between them, its closing, and the live preview it renders while open.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/image/image.h"
#include "panels/add_preset.h"
#include "panels/text_fields.h"
#include "presets/preset_description.h"
#include "render/preview_scene.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

class AddPresetTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CAddPreset>("addpreset.dat");
    name = dialog->GetNameField();
    description = dialog->GetDescriptionField();
    ASSERT_NE(name, nullptr);
    ASSERT_NE(description, nullptr);
  }
  void TearDown() override {
    dialog.reset();
    scene.reset();
    DialogsTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(dialog->OpenDialog(), 0);
    ASSERT_TRUE(dialog->IsShown());
  }
  static uint32_t Pixel(CImage* image, uint32_t x, uint32_t y) {
    CImNavigator cells(image, nullptr, false, false);
    return cells.IsUsable() ? cells.Cells(y)[x].value : 0xDEADBEEF;
  }
  // The heartbeat row's owner: the host canvas.
  void* Watcher() { return static_cast<CUIHostCanvas*>(dialog.get()); }
  CPreviewScene* Scene() {
    scene = std::make_unique<CPreviewScene>();
    const SRect& r = dialog->GetPreviewRect();
    EXPECT_EQ(scene->BuildSample(RectWidth(r), RectHeight(r), true, false, CPreviewScene::kSphere), 0);
    return scene.get();
  }

  std::unique_ptr<CAddPreset> dialog;
  std::unique_ptr<CPreviewScene> scene;
  CTextEdit* name = nullptr;
  CTextEdit* description = nullptr;
};

TEST_F(AddPresetTest, TheFieldsAsAPresetPanelFillsAndReadsThem) {
  Open();
  EXPECT_TRUE(dialog->SetFields("Granite", "A grey stone"));
  EXPECT_STREQ(name->GetText(), "Granite");
  EXPECT_STREQ(description->GetText(), "A grey stone");
  EXPECT_TRUE(dialog->SetName("Marble"));
  EXPECT_STREQ(name->GetText(), "Marble");
  EXPECT_STREQ(description->GetText(), "");
  EXPECT_TRUE(Focused(name));
  EXPECT_TRUE(AllSelected(name));

  const std::string longName(70, 'n');
  dialog->SetFields(longName.c_str(), "kept");
  CPresetDescription record;
  EXPECT_TRUE(dialog->GetDescription(&record));
  EXPECT_EQ(std::string(record.GetName()), std::string(63, 'n'));
  EXPECT_STREQ(record.GetDescription(), "kept");
  // A panel fills the dialog before it opens it: the name keeps the keyboard, selected.
  dialog->Close();
  EXPECT_TRUE(dialog->SetName("Slate"));
  Open();
  EXPECT_TRUE(Focused(name));
  EXPECT_TRUE(AllSelected(name));
}

// A panel may fill the dialog and give it its scene before anything built it.
TEST_F(AddPresetTest, FillingBeforeTheBuildKeepsWhatWasGiven) {
  auto fresh = std::make_unique<CAddPreset>(owner, DataFile("addpreset.dat"));
  ASSERT_FALSE(fresh->IsBuilt());
  CPreviewScene* preview = Scene();
  fresh->SetPreviewScene(preview, true);
  EXPECT_TRUE(fresh->SetFields("Basalt", "dark"));
  ASSERT_EQ(fresh->OpenDialog(), 0);
  EXPECT_STREQ(fresh->GetNameField()->GetText(), "Basalt");
  EXPECT_EQ(fresh->GetPreviewScene(), preview);
  fresh->Close();
}

// Tab past the last field comes back to the first, Shift+Tab before the first goes to the last; the
// field taking the focus has all its text selected. The keys go through the fields themselves.
TEST_F(AddPresetTest, TabWrapsBetweenTheTwoFields) {
  Open();
  dialog->SetFields("name", "description");
  FocusField(description);
  Script("key Tab\nkeyup Tab\n");
  EXPECT_TRUE(Focused(name));
  EXPECT_TRUE(AllSelected(name));
  Script("stroke shift+Tab\n");
  EXPECT_TRUE(Focused(description));
  EXPECT_TRUE(AllSelected(description));
  // The shared routine, as any dialog with text fields calls it.
  EXPECT_EQ(TabToNextTextField(dialog.get()), 0);
  EXPECT_TRUE(Focused(name));
  EXPECT_EQ(TabToNextTextField(nullptr), 14);
}

// Typed text stays as typed: the fields are no numbers.
TEST_F(AddPresetTest, TypingGoesIntoTheFocusedField) {
  Open();
  dialog->SetName("");
  Script("char S\nchar k\nchar y\nchar 1\n");
  EXPECT_STREQ(name->GetText(), "Sky1");
}

TEST_F(AddPresetTest, OkAndCancelLowerTheLevelOnceClearThePreviewAndGoOn) {
  for (const char* button : {"ok", "cancel"}) {
    const uint32_t level = owner->GetModalLevel();
    Open();
    dialog->SetPreviewScene(Scene(), true);
    EXPECT_EQ(owner->GetModalLevel(), level + 1);
    sent.clear();
    Click(Find(*dialog, button), {20, 10});
    EXPECT_FALSE(dialog->IsShown()) << button;
    EXPECT_EQ(owner->GetModalLevel(), level) << button;
    EXPECT_EQ(dialog->GetPreviewScene(), nullptr) << button;
    EXPECT_EQ(Find(*dialog, "preset preview")->GetUserWord(0), 0u) << button;
    ASSERT_EQ(Sent(0).size(), 1u);
    EXPECT_EQ(Sent(0)[0], (SSentMessage{0, 1, button, "", "add preset", 0}));
    Open();
    CUIMessage again = Named("add preset", button);
    EXPECT_EQ(dialog->HandleEvent(&again), 0) << "the panel behind it acts on " << button;
  }
}

// Each heartbeat renders a slice of the preview while the dialog is shown and topmost; hidden or
// behind another dialog, it renders nothing.
TEST_F(AddPresetTest, TheHeartbeatRendersThePreviewWhileOpen) {
  CPreviewScene* preview = Scene();
  dialog->SetPreviewScene(preview, false);
  ASSERT_TRUE(preview->IsRenderPending());
  for (int i = 0; i < 5; ++i) Beat(&CAddPreset::WatchPreview, Watcher());
  EXPECT_TRUE(preview->IsRenderPending()) << "hidden";
  Open();
  // Behind another dialog it waits.
  owner->RaiseModalLevel();
  for (int i = 0; i < 5; ++i) Beat(&CAddPreset::WatchPreview, Watcher());
  EXPECT_TRUE(preview->IsRenderPending()) << "not topmost";
  owner->LowerModalLevel();
  for (int i = 0; i < 200 && preview->IsRenderPending(); ++i) Beat(&CAddPreset::WatchPreview, Watcher());
  EXPECT_FALSE(preview->IsRenderPending());
  // The preview element draws the scene's picture.
  CElement* element = Find(*dialog, "preset preview");
  EXPECT_NE(element->GetUserWord(0), 0u);
  SRect local;
  element->GetLocalRect(&local);
  int32_t err = 0;
  std::unique_ptr<CImage> port(NewDataImage(uint32_t(RectWidth(local)), uint32_t(RectHeight(local)), &err));
  ASSERT_NE(port, nullptr);
  port->Fill(0xFF000000);
  EXPECT_EQ(CAddPreset::DrawPreview(element, 0, port.get()), 0);
  EXPECT_NE(Pixel(port.get(), uint32_t(RectWidth(local)) / 2, uint32_t(RectHeight(local)) / 2), 0xFF000000u);
}

}  // namespace
