// The save changes, revert changes and document set-up dialogs stand in with message boxes and the
// replies their buttons send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/document_question.h"
#include "tests/app/shell_fixture.h"

namespace {

using StandInDialogs = ShellTest;

// The queued messages, as "element canvas first point", taken off the queue.
std::vector<std::string> TakeQueue(CUICmFunction* broadcaster) {
  std::vector<std::string> taken;
  for (uint32_t i = 0; i < broadcaster->GetQueueCount(); ++i) {
    const CUIMessage m = broadcaster->PeekQueued(i);
    taken.push_back(std::string(m.elementName) + " " + m.canvasName + " " + std::to_string(m.firstPoint.h) + "," +
                    std::to_string(m.firstPoint.v));
  }
  while (broadcaster->GetQueueCount()) broadcaster->DispatchQueued();
  return taken;
}

CUIMessage Request(const char* element, const char* canvas) {
  CUIMessage message;
  message.Init(0, element, nullptr, canvas, 0);
  return message;
}

TEST_F(StandInDialogs, TheSaveQuestionRepliesAsTheDialogsButtonsWould) {
  Run([&] {
    struct SCase {
      int32_t box;
      const char* reply;
    } cases[] = {{platform::kIdYes, "save"}, {platform::kIdNo, "dont save"}, {platform::kIdCancel, "save cancel"}};
    for (const SCase& c : cases) {
      ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(c.box)));
      CUIMessage request = Request("save changes", "doc window");
      EXPECT_EQ(pm->GetBroadcaster()->Dispatch(&request), 26);
      const auto& box = platform::headless::ShownBoxes().back();
      EXPECT_EQ(box.text, "Do you want to save the changes to \"Untitled\"?");
      EXPECT_EQ(box.style & 0xF, platform::kMbYesNoCancel);
      EXPECT_EQ(TakeQueue(pm->GetBroadcaster()), std::vector<std::string>{std::string(c.reply) + " save changes 0,0"});
    }
  });
}

TEST_F(StandInDialogs, TheRevertQuestionSendsRevertDoneOnYesOnly) {
  Run([&] {
    for (int32_t box : {platform::kIdYes, platform::kIdNo}) {
      ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(box)));
      CUIMessage request = Request("revert changes", "doc window");
      EXPECT_EQ(pm->GetBroadcaster()->Dispatch(&request), 26);
      EXPECT_EQ(TakeQueue(pm->GetBroadcaster()),
                box == platform::kIdYes ? std::vector<std::string>{"revert done revert changes 0,0"}
                                        : std::vector<std::string>{});
    }
  });
}

// The title is put in as text: a "%" in it stays a "%", and a missing title reads "Untitled".
TEST_F(StandInDialogs, TheDocumentTitleIsTakenAsText) {
  Run([&] {
    SetDocumentTitleSource([]() -> const char* { return "100% %s %d"; });
    EXPECT_EQ(DocumentQuestionText(0), "Do you want to save the changes to \"100% %s %d\"?");
    SetDocumentTitleSource([]() -> const char* { return nullptr; });
    EXPECT_EQ(DocumentQuestionText(1),
              "Do you want to go back to the saved version of \"Untitled\" and lose your changes?");
  });
}

}  // namespace
