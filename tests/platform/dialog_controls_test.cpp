// Check boxes, radio buttons, group boxes and numeric fields in dialogs: their states set by the
// program, by clicks and keys, and by the script's answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/surface.h"
#include "platform/system.h"

namespace {

using namespace platform;

enum : uint16_t { kBox = 2001, kGroupBox = 2002, kRadioA = 3001, kRadioB = 3002, kRadioC = 3003, kOther = 3004,
                  kNumber = 4001, kText = 4002 };
constexpr uint32_t kStyle = kWsPopup | kWsCaption | kDsModalFrame;
constexpr uint32_t kTab = kWsTabStop;

// Two radio groups: A and B, then C and D; the second starts at C's kWsGroup.
DialogTemplate Controls() {
  DialogTemplate t(kStyle, 20, 10, 200, 120, "Controls", 8, "MS Sans Serif");
  t.AddItem(kBsAutoCheckBox | kTab | kWsGroup, 10, 6, 80, 10, kBox, kItemButton, "Box");
  t.AddItem(kBsGroupBox, 6, 20, 120, 60, kGroupBox, kItemButton, "Group");
  t.AddItem(kBsAutoRadioButton | kTab | kWsGroup, 12, 30, 60, 10, kRadioA, kItemButton, "A");
  t.AddItem(kBsAutoRadioButton, 12, 42, 60, 10, kRadioB, kItemButton, "B");
  t.AddItem(kBsAutoRadioButton | kWsGroup, 12, 54, 60, 10, kRadioC, kItemButton, "C");
  t.AddItem(kBsAutoRadioButton, 12, 66, 60, 10, kOther, kItemButton, "D");
  t.AddItem(kEsNumber | kWsBorder | kWsTabStop | kWsGroup, 130, 30, 40, 12, kNumber, kItemEdit, "");
  t.AddItem(kWsBorder | kWsTabStop, 130, 46, 40, 12, kText, kItemEdit, "");
  t.AddItem(kBsDefPushButton | kTab, 140, 100, 50, 14, kIdOk, kItemButton, "OK");
  t.AddItem(kBsPushButton | kTab, 80, 100, 50, 14, kIdCancel, kItemButton, "Cancel");
  return t;
}

std::vector<int32_t> gCommands;
int32_t gRefusals = 0;  // OK presses still to refuse
std::vector<uint32_t> gFinal;  // the states when OK was taken

intptr_t Noting(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == kWmInitDialog) return 1;
  if (message != kWmCommand) return 0;
  const auto id = int32_t(wParam & 0xFFFF);
  gCommands.push_back(id);
  if (id == kIdCancel || (id == kIdOk && gRefusals-- <= 0)) EndDialog(dialog, id);
  return 1;
}

void Pump() {
  SMessage m;
  for (int i = 0; i < 1000; ++i) {
    if (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
    else if (headless::PendingInputs() == 0) return;
  }
}

std::vector<uint32_t> Checks(WindowHandle dialog) {
  std::vector<uint32_t> states;
  for (int32_t id : {kBox, kRadioA, kRadioB, kRadioC, kOther}) states.push_back(IsDlgButtonChecked(dialog, id));
  return states;
}

SPoint MiddleOf(WindowHandle dialog, int32_t id) {
  SWinRect r;
  GetWindowRect(GetDialogItem(dialog, id), &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class DialogControls : public ::testing::Test {
 protected:
  void SetUp() override {
    gCommands.clear();
    gRefusals = 0;
    dialog = CreateDialogIndirectParam(nullptr, layout.Data(), nullptr, &Noting, 0);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, kSwShow);
  }
  void TearDown() override { DestroyWindow(dialog); }

  const DialogTemplate layout = Controls();
  WindowHandle dialog = nullptr;
};

TEST_F(DialogControls, TheProgramSetsAndReadsChecks) {
  EXPECT_EQ(Checks(dialog), (std::vector<uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_TRUE(CheckDlgButton(dialog, kBox, kBstChecked));
  EXPECT_TRUE(CheckRadioButton(dialog, kRadioA, kRadioB, kRadioB));
  EXPECT_EQ(Checks(dialog), (std::vector<uint32_t>{1, 0, 1, 0, 0}));
  // The range decides, not the groups: a check moves to A and C, and out of range D is untouched.
  CheckDlgButton(dialog, kOther, kBstChecked);
  EXPECT_TRUE(CheckRadioButton(dialog, kRadioA, kRadioC, kRadioA));
  EXPECT_EQ(Checks(dialog), (std::vector<uint32_t>{1, 1, 0, 0, 1}));
  // Buttons without a check state, and missing items, answer unchecked.
  CheckDlgButton(dialog, kIdOk, kBstChecked);
  CheckDlgButton(dialog, kGroupBox, kBstChecked);
  EXPECT_EQ(IsDlgButtonChecked(dialog, kIdOk), kBstUnchecked);
  EXPECT_EQ(IsDlgButtonChecked(dialog, kGroupBox), kBstUnchecked);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 77), kBstUnchecked);
  EXPECT_FALSE(CheckDlgButton(dialog, 77, kBstChecked));
  EXPECT_FALSE(CheckRadioButton(dialog, 77, 80, 78));
  // The checked box shows its mark, the cleared one none.
  CheckDlgButton(dialog, kBox, kBstChecked);
  UpdateWindow(GetDialogItem(dialog, kBox));
  const Surface* checked = GetWindowSurface(GetDialogItem(dialog, kBox));
  ASSERT_NE(checked, nullptr);
  const int32_t middle = checked->Height() / 2;
  EXPECT_EQ(checked->Pixel(6, middle), GetSysColor(kColorWindowText));
  CheckDlgButton(dialog, kBox, kBstUnchecked);
  UpdateWindow(GetDialogItem(dialog, kBox));
  EXPECT_EQ(GetWindowSurface(GetDialogItem(dialog, kBox))->Pixel(6, middle), GetSysColor(kColorWindow));
}

TEST_F(DialogControls, NumbersAreWrittenAndReadAsTheSignSays) {
  EXPECT_TRUE(SetDlgItemInt(dialog, kText, uint32_t(-12), true));
  EXPECT_EQ(GetItemText(dialog, kText), "-12");
  EXPECT_TRUE(SetDlgItemInt(dialog, kText, uint32_t(-12), false));
  EXPECT_EQ(GetItemText(dialog, kText), "4294967284");
  EXPECT_FALSE(SetDlgItemInt(dialog, 77, 1, false));
  const struct {
    const char* text;
    bool isSigned;
    uint32_t value;
    bool translated;
  } cases[] = {
      {"42", false, 42, true},           {"  -7 ", true, uint32_t(-7), true}, {"-7", false, 0, false},
      {"4x", true, 0, false},            {"", true, 0, false},                {"-", true, 0, false},
      {"2147483647", true, 2147483647u, true}, {"2147483648", true, 0, false}, {"2147483648", false, 2147483648u, true},
      {"-2147483648", true, 0x80000000u, true}, {"4294967296", false, 0, false}, {"00000000012", false, 0, false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetItemText(dialog, kText, c.text));
    bool translated = !c.translated;
    EXPECT_EQ(GetDlgItemInt(dialog, kText, &translated, c.isSigned), c.value) << "'" << c.text << "'";
    EXPECT_EQ(translated, c.translated) << "'" << c.text << "'";
  }
  bool translated = true;
  EXPECT_EQ(GetDlgItemInt(dialog, 77, &translated, true), 0u);
  EXPECT_FALSE(translated);
}

// Clicks and Space change an automatic button's state before the dialog hears of it; a radio button
// clears only its own group; a group box takes no click.
TEST_F(DialogControls, ClicksAndSpaceChangeTheStates) {
  CheckRadioButton(dialog, kRadioC, kOther, kRadioC);
  std::string script;
  for (int32_t id : {kBox, kRadioB, kRadioA, kBox}) {
    const SPoint at = MiddleOf(dialog, id);
    script += "move " + std::to_string(at.x) + " " + std::to_string(at.y) + "\ndown left\nup left\n";
  }
  SWinRect group;
  GetWindowRect(GetDialogItem(dialog, kGroupBox), &group);
  script += "move " + std::to_string(group.right - 4) + " " + std::to_string(group.bottom - 4) + "\ndown left\nup left\n";
  ASSERT_TRUE(headless::AddScript(script));
  Pump();
  EXPECT_EQ(gCommands, (std::vector<int32_t>{kBox, kRadioB, kRadioA, kBox}));
  EXPECT_EQ(Checks(dialog), (std::vector<uint32_t>{0, 1, 0, 1, 0}));
  // Space on the focused box checks it again.
  SetFocus(GetDialogItem(dialog, kBox));
  ASSERT_TRUE(headless::AddScript("key 32\nkeyup 32\n"));
  Pump();
  EXPECT_EQ(IsDlgButtonChecked(dialog, kBox), kBstChecked);
  EXPECT_EQ(gCommands.back(), kBox);
}

// A numeric field refuses other characters as they are typed, with a beep; set text is not checked.
TEST_F(DialogControls, ANumericFieldTakesOnlyDigits) {
  SetFocus(GetDialogItem(dialog, kNumber));
  const uint32_t beeps = BeepCount();
  ASSERT_TRUE(headless::AddScript("char 4\nchar x\nchar -\nchar 2\n"));
  Pump();
  EXPECT_EQ(GetItemText(dialog, kNumber), "42");
  EXPECT_EQ(BeepCount(), beeps + 2);
  SetFocus(GetDialogItem(dialog, kText));
  ASSERT_TRUE(headless::AddScript("char 4\nchar x\n"));
  Pump();
  EXPECT_EQ(GetItemText(dialog, kText), "4x");
  EXPECT_TRUE(SetItemText(dialog, kNumber, "-5"));
  EXPECT_EQ(GetItemText(dialog, kNumber), "-5");
}

// The script's 1 and 0 check and clear as a click would; a dialog left open by a refused OK takes
// the next answer; what each answer found is noted.
TEST(DialogControlsScript, TheScriptSetsStatesAndAnswersAgainWhileTheDialogStaysOpen) {
  gCommands.clear();
  gRefusals = 1;
  const size_t shown = headless::ShownDialogs().size();
  ASSERT_TRUE(headless::AddScript("dialog 1 2001=1 3002=1 3003=1 4001=17\n"
                                  "dialog 1 3001=1 3004=1 2001=0\n"));
  const DialogTemplate t = Controls();
  gFinal.clear();
  auto proc = [](WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
    if (message == kWmCommand && (wParam & 0xFFFF) == kIdOk && gRefusals == 0) gFinal = Checks(dialog);
    return Noting(dialog, message, wParam, lParam);
  };
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, t.Data(), nullptr, proc, 0), kIdOk);
  EXPECT_EQ(gCommands, (std::vector<int32_t>{kIdOk, kIdOk}));
  // Box cleared, A checked (B cleared with it), D checked (C cleared with it).
  EXPECT_EQ(gFinal, (std::vector<uint32_t>{0, 1, 0, 0, 1}));
  ASSERT_EQ(headless::ShownDialogs().size(), shown + 2);
  const headless::SShownDialog& first = headless::ShownDialogs()[shown];
  const headless::SShownDialog& second = headless::ShownDialogs()[shown + 1];
  using Checked = std::vector<std::pair<int32_t, uint32_t>>;
  EXPECT_EQ(first.checks, (Checked{{kBox, 0}, {kRadioA, 0}, {kRadioB, 0}, {kRadioC, 0}, {kOther, 0}}));
  EXPECT_EQ(second.checks, (Checked{{kBox, 1}, {kRadioA, 0}, {kRadioB, 1}, {kRadioC, 1}, {kOther, 0}}));
  EXPECT_EQ(second.items[6], (std::pair<int32_t, std::string>{kNumber, "17"}));
}

}  // namespace
