// Dialogs with items: templates in dialog units, the items' texts, the dialog's keys, the script's
// answers, and modeless dialogs.
#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/headless.h"

namespace {

using namespace platform;

constexpr uint16_t kField = 1001;
constexpr uint16_t kLabel = 1002;
constexpr uint32_t kStyle = kWsPopup | kWsCaption | kDsModalFrame;

DialogTemplate Sample(uint32_t style = kStyle) {
  DialogTemplate t(style, 20, 10, 200, 100, "Sample", 8, "MS Sans Serif");
  t.AddItem(0, 10, 8, 180, 16, kLabel, kItemStatic, "A label");
  t.AddItem(kWsBorder | kWsTabStop, 10, 40, 180, 12, kField, kItemEdit, "start");
  t.AddItem(kBsDefPushButton | uint32_t(kWsTabStop), 80, 76, 50, 14, kIdOk, kItemButton, "OK");
  t.AddItem(kBsPushButton | uint32_t(kWsTabStop), 140, 76, 50, 14, kIdCancel, kItemButton, "Cancel");
  return t;
}

struct SSeen {
  std::string field;
  WindowHandle focusAtStart = nullptr;
};
SSeen gSeen;

// Ends with the id of the button pressed, noting the field's text.
intptr_t EndsWithTheButton(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == kWmInitDialog) return 1;
  if (message == kWmCommand) {
    gSeen.field = GetItemText(dialog, kField);
    EndDialog(dialog, intptr_t(wParam & 0xFFFF));
    return 1;
  }
  return 0;
}

intptr_t Idle(WindowHandle, uint32_t message, uintptr_t, intptr_t) { return message == kWmInitDialog; }

TEST(DialogItems, ItemsLieWhereTheTemplateSaysInDialogUnitsAndKeepTheirTexts) {
  const DialogTemplate t = Sample(kStyle | kWsVisible);
  WindowHandle dialog = CreateDialogIndirectParam(nullptr, t.Data(), nullptr, &Idle, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetWindowText(dialog), "Sample");
  SWinRect client, field;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client, (SWinRect{0, 0, 300, 162}));  // 4 units across are 6 pixels, 8 down are 13
  WindowHandle edit = GetDialogItem(dialog, kField);
  ASSERT_NE(edit, nullptr);
  GetWindowRect(edit, &field);
  const SPoint origin = ClientToScreen(dialog, {0, 0});
  EXPECT_EQ(field, (SWinRect{origin.x + 15, origin.y + 65, origin.x + 285, origin.y + 84}));
  EXPECT_EQ(GetDialogItemId(edit), kField);
  EXPECT_EQ(GetDialogItemId(dialog), 0);
  // The first item that takes the focus has it.
  EXPECT_EQ(GetFocus(), edit);
  struct SCase {
    int32_t id;
    const char* before;
    const char* after;
  };
  for (const SCase& c : {SCase{kField, "start", "C:\\x y"}, SCase{kLabel, "A label", "Percent Complete: 33%"},
                         SCase{kIdOk, "OK", "Fine"}}) {
    EXPECT_EQ(GetItemText(dialog, c.id), c.before);
    EXPECT_TRUE(SetItemText(dialog, c.id, c.after));
    EXPECT_EQ(GetItemText(dialog, c.id), c.after);
  }
  EXPECT_FALSE(SetItemText(dialog, 77, "x"));
  EXPECT_EQ(GetItemText(dialog, 77), "");
  // EndDialog hides a modeless dialog; destroying it ends it.
  EXPECT_TRUE(EndDialog(dialog, 0));
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(DestroyWindow(dialog));
  EXPECT_EQ(headless::WindowCount(kStaticClass), 0u);
}

TEST(DialogItems, TheDialogsKeysMoveTheFocusAndPressTheButtons) {
  struct SCase {
    const char* script;
    intptr_t result;
    const char* field;
  };
  // Keys come apart, as a person types them: the dialog's own key handling reads the Shift key, which
  // takes the script's next input at once otherwise, before the focus has moved.
  const SCase cases[] = {
      {"char x\nkey 13\n", kIdOk, "x"},                                  // the text is selected; Return
      {"key 0x09\nwait 5\nkey 0x09\nwait 5\nkey 13\n", kIdCancel, "start"},  // Tab twice reaches Cancel
      {"key 0x09\nwait 5\nkey 32\n", kIdOk, "start"},                     // Space presses the focused button
      {"key 27\n", kIdCancel, "start"},                                    // Escape
      {"key 16\nkey 0x09\nwait 5\nkeyup 16\nkey 32\n", kIdCancel, "start"},  // Shift+Tab goes round back
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.script);
    gSeen = {};
    ASSERT_TRUE(headless::AddScript(c.script));
    const DialogTemplate t = Sample();
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, t.Data(), nullptr, &EndsWithTheButton, 0), c.result);
    EXPECT_EQ(gSeen.field, c.field);
    EXPECT_EQ(headless::PendingInputs(), 0u);
  }
}

TEST(DialogItems, AClickOnAButtonPressesIt) {
  const DialogTemplate t = Sample();
  // The dialog lies at (30, 16) inside a 3-pixel frame; Cancel (210, 123, 75 x 22 in its client area) has
  // its middle there.
  ASSERT_TRUE(headless::AddScript("move 280 153\ndown left\nup left\n"));
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, t.Data(), nullptr, &EndsWithTheButton, 0), kIdCancel);
}

TEST(DialogItems, TheScriptSetsTheItemsAndPressesAButtonOrElseCancels) {
  const size_t shown = headless::ShownDialogs().size();
  ASSERT_TRUE(headless::AddScript("dialog 1 \"1001=two words\" 1002=label\n"));
  const DialogTemplate t = Sample();
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, t.Data(), nullptr, &EndsWithTheButton, 0), kIdOk);
  EXPECT_EQ(gSeen.field, "two words");
  ASSERT_EQ(headless::ShownDialogs().size(), shown + 1);
  const headless::SShownDialog& d = headless::ShownDialogs().back();
  EXPECT_EQ(d.title, "Sample");
  EXPECT_EQ(d.pressed, kIdOk);
  EXPECT_EQ(d.items, (std::vector<std::pair<int32_t, std::string>>{
                         {kLabel, "A label"}, {kField, "start"}, {kIdOk, "OK"}, {kIdCancel, "Cancel"}}));
  // Nothing left to answer it: the dialog is closed as Cancel would.
  EXPECT_EQ(DialogBoxIndirectParam(nullptr, t.Data(), nullptr, &EndsWithTheButton, 0), kIdCancel);
  std::string error;
  EXPECT_FALSE(headless::AddScript("dialog\n", &error));
  EXPECT_EQ(error, "line 1: dialog needs a button id");
  EXPECT_FALSE(headless::AddScript("dialog 1 1001\n", &error));
  EXPECT_EQ(error, "line 1: dialog needs ID=VALUE after the button: 1001");
}

}  // namespace
