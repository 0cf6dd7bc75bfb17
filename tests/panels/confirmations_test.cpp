// The save changes, revert changes and delete preset confirmations built from their layout files:
// each opens on its request as the top modal level, closes with any button, and passes its answer on
// as a UI message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/image/ix_image.h"
#include "panels/delete_preset.h"
#include "panels/revert_changes.h"
#include "panels/save_changes.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

class ConfirmationsTest : public DialogsTest {
 protected:
  // The request as the document commands and the panels send it, from another canvas.
  static CUIMessage OpenRequest(const char* dialog) { return Named("doc window", dialog); }
  // The request dispatched to every canvas; the level checked raised by one.
  void Open(CLayoutHostCanvas& dialog, const char* name) {
    const uint32_t level = owner->GetModalLevel();
    CUIMessage request = OpenRequest(name);
    EXPECT_EQ(owner->Dispatch(&request), 26);
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level + 1);
    EXPECT_EQ(dialog.GetStamp(), level + 1);
    opened = level;
  }
  // The kind-0 messages broadcast meanwhile, as "element/canvas".
  std::vector<std::string> Kind0() const {
    std::vector<std::string> out;
    for (const SSentMessage& m : Sent(0)) out.push_back(m.element + "/" + m.canvas);
    return out;
  }
  uint32_t opened = 0;
};

TEST_F(ConfirmationsTest, EachSaveButtonClosesTheDialogAndGoesOn) {
  auto dialog = Dialog<CSaveChanges>("saverevert.dat");
  for (const char* button : {CSaveChanges::kSave, CSaveChanges::kDontSave, CSaveChanges::kSaveCancel}) {
    Open(*dialog, "save changes");
    sent.clear();
    Click(Find(*dialog, button), {20, 10});
    EXPECT_FALSE(dialog->IsShown()) << button;
    EXPECT_EQ(owner->GetModalLevel(), opened) << button;
    ASSERT_EQ(Sent(0).size(), 1u) << button;
    EXPECT_EQ(Sent(0)[0], (SSentMessage{0, CUIMessage::kBroadcast, button, "", "save changes", 0}));
    // The dialog answers 0: the document window behind it in the table hears the button.
    CUIMessage again = Named("save changes", button);
    Open(*dialog, "save changes");
    EXPECT_EQ(dialog->HandleEvent(&again), 0) << button;
    EXPECT_FALSE(dialog->IsShown());
  }
}

TEST_F(ConfirmationsTest, HiddenDialogsIgnoreTheirButtonsAndOtherMessages) {
  auto save = Dialog<CSaveChanges>("saverevert.dat");
  auto revert = Dialog<CRevertChanges>("saverevert.dat");
  auto confirm = Dialog<CDeletePreset>("deletepreset.dat");
  confirm->SetConfirmationName("delete pict");
  const struct {
    CLayoutHostCanvas* dialog;
    const char* canvas;
    const char* element;
  } cases[] = {{save.get(), "save changes", "save"},        {save.get(), "save changes", "dont save"},
               {revert.get(), "revert changes", "revert"},  {revert.get(), "revert changes", "revert cancel"},
               {confirm.get(), "delete preset", "delete"}, {confirm.get(), "delete preset", "cancel"},
               {save.get(), "doc window", "revert changes"}};
  for (const auto& c : cases) {
    sent.clear();
    CUIMessage message = Named(c.canvas, c.element);
    EXPECT_EQ(c.dialog->HandleEvent(&message), 0) << c.element;
    EXPECT_TRUE(sent.empty()) << c.element;
    EXPECT_EQ(owner->GetModalLevel(), 0u);
  }
}

// Return presses "save", Escape and Ctrl+N "save cancel", 'd' and 'D' "dont save" with the button's
// pressed look (entry 1 of its list) shown first; other letters do nothing.
TEST_F(ConfirmationsTest, TheSaveDialogsKeysPressItsButtons) {
  auto dialog = Dialog<CSaveChanges>("saverevert.dat");
  CImElement* dontSave = FindImage(*dialog, "dont save");
  ASSERT_NE(dontSave, nullptr);
  const struct {
    std::string script;
    const char* button;
  } cases[] = {{"char 13\n", "save"},     {"char 27\n", "save cancel"}, {"key 17\nchar n\nkeyup 17\n", "save cancel"},
               {"char d\n", "dont save"}, {"char D\n", "dont save"},    {"char x\n", nullptr}};
  for (const auto& c : cases) {
    Open(*dialog, "save changes");
    platform::SetFocus(dialog->GetWindow());
    sent.clear();
    CDrawRecorder looks(dontSave, &CDrawRecorder::Entry);
    Script(c.script);
    if (!c.button) {
      EXPECT_TRUE(Sent(0).empty()) << c.script;
      EXPECT_TRUE(dialog->IsShown());
      dialog->Close();
      continue;
    }
    EXPECT_EQ(Kind0(), std::vector<std::string>{std::string(c.button) + "/save changes"}) << c.script;
    EXPECT_FALSE(dialog->IsShown()) << c.script;
    EXPECT_EQ(owner->GetModalLevel(), opened);
    if (std::string(c.button) == "dont save") EXPECT_EQ(looks.Values(), (std::vector<int64_t>{1, 0})) << c.script;
  }
}

TEST_F(ConfirmationsTest, RevertSendsOneRevertDoneAndCancelNothing) {
  auto dialog = Dialog<CRevertChanges>("saverevert.dat");
  Open(*dialog, "revert changes");
  sent.clear();
  Click(Find(*dialog, "revert cancel"), {20, 10});
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), opened);
  EXPECT_EQ(Kind0(), std::vector<std::string>{"revert cancel/revert changes"});

  Open(*dialog, "revert changes");
  sent.clear();
  Click(Find(*dialog, "revert"), {20, 10});
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), opened);
  const std::vector<SSentMessage> expected = {{0, 1, "revert", "", "revert changes", 0},
                                              {0, 1, "revert done", "", "revert changes", 0}};
  EXPECT_EQ(Sent(0), expected);
}

// An open request finds a shown dialog and only brings it forward: the level stays.
TEST_F(ConfirmationsTest, ARequestWhileShownKeepsTheLevel) {
  auto dialog = Dialog<CRevertChanges>("saverevert.dat");
  Open(*dialog, "revert changes");
  CUIMessage request = OpenRequest("revert changes");
  EXPECT_EQ(owner->Dispatch(&request), 26);
  EXPECT_EQ(owner->GetModalLevel(), opened + 1);
  dialog->Close();
  EXPECT_EQ(owner->GetModalLevel(), opened);
}

// "delete" sends the confirmation once, from "delete preset" with the broadcast flag; without one, or
// after a "cancel" forgot it, it only closes.
TEST_F(ConfirmationsTest, DeleteSendsTheConfirmationOnceAndCancelForgetsIt) {
  auto dialog = Dialog<CDeletePreset>("deletepreset.dat");
  const auto press = [&](const char* button) {
    Open(*dialog, "delete preset");
    sent.clear();
    Click(Find(*dialog, button), {20, 10});
    EXPECT_FALSE(dialog->IsShown()) << button;
    EXPECT_EQ(owner->GetModalLevel(), opened) << button;
    return Kind0();
  };
  dialog->SetConfirmationName("delete pict");
  EXPECT_EQ(press("delete"), (std::vector<std::string>{"delete/delete preset", "delete pict/delete preset"}));
  EXPECT_EQ(Sent(0).back().flags, CUIMessage::kBroadcast);
  EXPECT_EQ(dialog->GetConfirmationName(), "");
  EXPECT_EQ(press("delete"), std::vector<std::string>{"delete/delete preset"});

  dialog->SetConfirmationName("delete pict");
  EXPECT_EQ(press("cancel"), std::vector<std::string>{"cancel/delete preset"});
  EXPECT_EQ(press("delete"), std::vector<std::string>{"delete/delete preset"});

  // The name is a copy of at most 31 characters.
  std::string name(40, 'x');
  dialog->SetConfirmationName(name.c_str());
  name[0] = 'y';
  EXPECT_EQ(dialog->GetConfirmationName(), std::string(31, 'x'));
  EXPECT_EQ(dialog->OpenDialog(), 0);
  EXPECT_TRUE(dialog->IsShown());
  dialog->Close();
}

}  // namespace
