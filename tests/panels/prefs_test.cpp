// The preferences dialog built from the build's prefs.dat: what it shows from the preferences file and
// the machine, its choices, the percentage's drag and arrows, and what OK and Cancel leave in the file.
#include <filesystem>
#include <fstream>
#include <memory>

#include "document/prefs_file.h"
#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"
#include "panels/layout_needs.h"
#include "panels/prefs.h"
#include "platform/file.h"
#include "platform/system.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr SPointHV kDialogAt{200, 150};

class PrefsTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::remove(CPrefsFile::kFileName);
    dialog = std::make_unique<CPrefs>(owner, DataFile("prefs.dat"));
    ASSERT_EQ(dialog->BuildOnce(), 0);
  }
  void TearDown() override {
    dialog.reset();
    platform::headless::SetPhysicalMemory(0);
    PanelsTest::TearDown();
  }

  // Opened as the 'pref' command opens it.
  void Open() {
    ASSERT_EQ(dialog->Open(), 0);
    dialog->Refresh(false);
    dialog->MoveTo(kDialogAt);
  }
  int32_t Send(const char* element, const char* canvas = "Preferences") {
    CUIMessage message;
    message.Init(0, element, nullptr, canvas, CUIMessage::kBroadcast);
    return dialog->HandleEvent(&message);
  }
  CImElement* Control(need::EPrefsControl control) { return FindImage(*dialog, need::kPrefsControls[control].name); }
  CTxElement* Readout(need::EPrefsReadout readout) {
    return dynamic_cast<CTxElement*>(Find(*dialog, need::kPrefsReadouts[readout].name));
  }
  std::string Text(need::EPrefsReadout readout) {
    CTxElement* text = Readout(readout);
    return text && text->GetText() ? text->GetText() : "";
  }
  float Lit(need::EPrefsControl control) { return Control(control)->GetOpacity(); }
  void Press(CElement* element, SPointHV local, const std::string& during) {
    const SPointHV at = OnScreen(element, local);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\n" + during + "up left\n");
  }
  static void WriteWords(std::initializer_list<int32_t> words) {
    std::vector<int32_t> block(CPrefsFile::kBlockBytes / 4, 0);
    std::copy(words.begin(), words.end(), block.begin());
    std::ofstream(CPrefsFile::kFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(block.data()), std::streamsize(CPrefsFile::kBlockBytes));
  }
  static std::vector<uint8_t> Stored() {
    std::ifstream in(CPrefsFile::kFileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::unique_ptr<CPrefs> dialog;
};

// The fields from the file: its default state, objects in view, no picture, 120 per cent; the
// machine's memory as the headless back end is told it.
TEST_F(PrefsTest, OpenShowsTheFileAndTheMemory) {
  WriteWords({0, 1, 0, 120});
  platform::headless::SetPhysicalMemory(uint64_t(8) << 30);
  Open();
  EXPECT_EQ(Lit(need::kDefState), 1.0f);
  EXPECT_EQ(Lit(need::kObjsInView), 1.0f);
  EXPECT_EQ(Lit(need::kPrevState), 0.0f);
  EXPECT_EQ(Lit(need::kObjsInWorldCenter), 0.0f);
  EXPECT_EQ(Lit(need::kImageWithScene), 0.0f);
  EXPECT_EQ(Text(need::kPercentUsed), "120%");
  EXPECT_EQ(Text(need::kTotalRam), "8192.0M");
  EXPECT_EQ(Text(need::kCurrentRam).back(), 'M');
  EXPECT_NE(Text(need::kCurrentRam), "0.0M") << "the pools hold something";
  // Centred in its element.
  SRect text;
  ASSERT_EQ(Readout(need::kPercentUsed)->GetTextRect(&text), 0);
  const SRect& field = Readout(need::kPercentUsed)->GetRect();
  EXPECT_NEAR((text.left + text.right) / 2.0, RectWidth(field) / 2.0, 1.0);
  EXPECT_NEAR((text.top + text.bottom) / 2.0, RectHeight(field) / 2.0, 1.0);
}

// With no file OK makes one: the four words, zeros after. The choices switch as pairs, the picture
// toggles; Cancel leaves the file as it was.
TEST_F(PrefsTest, OkWritesTheFourWordsAndCancelNothing) {
  Open();
  const uint32_t level = owner->GetModalLevel();
  Send("ok button");
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  std::vector<uint8_t> stored = Stored();
  ASSERT_EQ(stored.size(), 2772u);
  EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.begin() + 16),
            (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x4B, 0, 0, 0}));
  for (size_t i = 16; i < stored.size(); ++i) ASSERT_EQ(stored[i], 0) << i;

  Open();
  Send("def state");
  EXPECT_EQ(Lit(need::kDefState), 1.0f);
  EXPECT_EQ(Lit(need::kPrevState), 0.0f);
  Send("objs in view");
  EXPECT_EQ(Lit(need::kObjsInView), 1.0f);
  EXPECT_EQ(Lit(need::kObjsInWorldCenter), 0.0f);
  Send("image with scene");
  EXPECT_EQ(dialog->GetImageWithScene(), 0);
  EXPECT_EQ(Lit(need::kImageWithScene), 0.0f);
  Send("cancel button");
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(Stored(), stored) << "cancel writes nothing";
  Open();  // the file again: what was edited before Cancel is gone
  EXPECT_EQ(dialog->GetImageWithScene(), 1);
  Send("prev state");
  Send("objs in world center");
  EXPECT_EQ(dialog->GetStartUpMode(), 1);
  EXPECT_EQ(dialog->GetImageWithScene(), 1);
  EXPECT_EQ(dialog->GetPlacement(), 0);
  // A write that fails is reported.
  const size_t boxes = platform::headless::ShownBoxes().size();
  platform::SetTestFailingRename(1);
  Send("ok button");
  platform::SetTestFailingRename(0);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
}

// A drag on the percentage adds a point a pixel up and stops at 200 and 50; the arrows step once at
// once and again every half second while held.
TEST_F(PrefsTest, ThePercentageDragsAndStepsWithinItsBounds) {
  Open();
  CTxElement* percent = Readout(need::kPercentUsed);
  const SPointHV at = OnScreen(percent, {10, 10});
  Press(percent, {10, 10}, "wait 20\nmove " + std::to_string(at.h) + " " + std::to_string(at.v - 3) + "\nwait 20\n");
  EXPECT_EQ(dialog->GetMemoryPercent(), 78);
  Press(percent, {10, 10}, "wait 20\nmove " + std::to_string(at.h) + " 0\nwait 20\n");
  EXPECT_EQ(dialog->GetMemoryPercent(), 200);
  EXPECT_EQ(Text(need::kPercentUsed), "200%");
  Press(percent, {10, 10}, "wait 20\nmove " + std::to_string(at.h) + " 760\nwait 20\n");
  EXPECT_EQ(dialog->GetMemoryPercent(), 50);

  CImElement* arrows = Control(need::kPercentArrows);
  Press(arrows, {8, 3}, "wait 1040\n");  // 62 ticks
  EXPECT_EQ(dialog->GetMemoryPercent(), 53);
  Press(arrows, {8, 20}, "wait 100\n");
  EXPECT_EQ(dialog->GetMemoryPercent(), 52);
  for (int i = 0; i < 3; ++i) Press(arrows, {8, 20}, "wait 20\n");
  EXPECT_EQ(dialog->GetMemoryPercent(), 50) << "stops at 50";
}

// "Preferences" from another canvas opens the dialog, raising the modal level once; while it shows a
// second one only brings it forward. Hidden, the dialog takes none of its own messages.
TEST_F(PrefsTest, APreferencesMessageOpensTheDialogOnce) {
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(Send("prev state"), 0) << "hidden";
  EXPECT_EQ(Send("Preferences", "doc window"), kHandled);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_EQ(Send("Preferences", "doc window"), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  Send("cancel button");
  EXPECT_EQ(owner->GetModalLevel(), level);
}

}  // namespace
