// Files waiting to be opened: from the command line, a second start and drops; opened one at the next
// idle step, after the save question when the document has changes. And the display change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/entry.h"
#include "panels/save_changes.h"
#include "platform/desktop.h"
#include "tests/app/shell_fixture.h"

namespace {

using Names = std::vector<std::string>;
using PendingFiles = ShellTest;

std::string Here() {
  char folder[4096];
  return getcwd(folder, sizeof folder) ? folder : "";
}

Names Pending(CPaletteManager* pm) {
  Names names;
  for (uint32_t i = 0; i < pm->GetPendingCount(); ++i) names.push_back(pm->GetPending(i).GetPath());
  return names;
}

TEST_F(PendingFiles, TheCommandLineQueuesTheFirstQuotedNameOrEveryWord) {
  MakeApp();
  const std::string here = Here() + "/";
  // Names reach the system's limit of 4,095 bytes; a longer one no call could open.
  const std::string longName(300, 'x'), tooLong(4096, 'x');
  struct SCase {
    std::string line;
    Names names;
  } cases[] = {
      {"\"My Scenes/a b.qnc\" other.qnc", {here + "My Scenes/a b.qnc"}},
      {"a.qnc b.qnc", {here + "a.qnc", here + "b.qnc"}},
      {"\"x y.qnc", {here + "x y.qnc"}},
      {"\"a \\\"b\\\".qnc\"", {here + "a \"b\".qnc"}},
      {"", {}},
      {"a.qnc " + tooLong + " b.qnc", {here + "a.qnc", here + "b.qnc"}},
      {"\"/" + longName + "/" + longName + ".qnc\"", {"/" + longName + "/" + longName + ".qnc"}},
      {"/abs/c.qnc", {"/abs/c.qnc"}},
  };
  for (const SCase& c : cases) {
    pm->ClearPending();
    EXPECT_EQ(pm->QueueCommandLineFiles(c.line.c_str()), 0);
    EXPECT_EQ(Pending(pm), c.names) << c.line;
  }
  pm->ClearPending();
  EXPECT_EQ(pm->QueueCommandLineFiles(nullptr), 0);
  EXPECT_EQ(pm->GetPendingCount(), 0u);
}

// What JoinCommandLine writes of one argument comes back whole, quotes and backslashes included (the
// file layer then takes a backslash for a slash).
TEST_F(PendingFiles, AJoinedArgumentComesBackAsItWas) {
  MakeApp();
  for (const char* name : {"a \"b\".qnc", "c\\d e.qnc", "ends with\\"}) {
    const char* argv[] = {"Quarn2", name};
    pm->ClearPending();
    pm->QueueCommandLineFiles(JoinCommandLine(2, argv).c_str(), "/scenes");
    std::string expected = std::string("/scenes/") + name;
    std::replace(expected.begin(), expected.end(), '\\', '/');
    EXPECT_EQ(Pending(pm), Names{expected}) << name;
  }
}

// A second start forwards its command line with its own folder, against which relative names count.
TEST_F(PendingFiles, AForwardedCommandLineIsReadInTheSendersFolder) {
  Run([&] {
    platform::SForwardedCommandLine forwarded;
    forwarded.commandLine = "rel.qnc";
    forwarded.folder = "/elsewhere";
    EXPECT_EQ(platform::SendMessage(app->GetMainWindow(), platform::kWmUser, 0,
                                    reinterpret_cast<intptr_t>(&forwarded)), 0);
    EXPECT_EQ(Pending(pm), Names{"/elsewhere/rel.qnc"});
    SWinEvent event;
    event.Init();
    event.window = Palette(kControlPalette)->GetWindow();
    event.message = platform::kWmUser;
    event.lParam = reinterpret_cast<intptr_t>(&forwarded);
    EXPECT_FALSE(pm->HandleWindowMessage(event));
  });
}

TEST_F(PendingFiles, DroppedFilesQueueInOrderAndTheDropIsReleased) {
  Run([&] {
    Play("drop 500 400 /s/a.qnc /s/b.qnc /s/c.qnc");
    EXPECT_EQ(Pending(pm), (Names{"/s/a.qnc", "/s/b.qnc", "/s/c.qnc"}));
    EXPECT_EQ(platform::LiveDropCount(), 0u);
  });
}

TEST_F(PendingFiles, TheNextIdleStepOpensTheFirstFile) {
  Run([&] {
    pm->QueueCommandLineFiles("/s/a.qnc /s/b.qnc");
    CDocWindowDouble::gCalls.clear();
    app->Step();
    EXPECT_EQ(CDocWindowDouble::gCalls, Names{"OpenDocument 0 /s/a.qnc 0"});
    EXPECT_EQ(pm->GetPendingCount(), 0u);
  });
}

// With unsaved changes the save question comes first; its answer decides.
TEST_F(PendingFiles, UnsavedChangesAskBeforeTheFileOpens) {
  Run([&] {
    struct SCase {
      const char* button;
      Names calls;
    } cases[] = {
        {"dont save", {"HandleControlMessage 0 \"dont save\" \"save changes\" 0", "OpenDocument 0 /s/a.qnc 0"}},
        {"save", {"HandleControlMessage 0 \"save\" \"save changes\" 0", "SaveDocument 0", "OpenDocument 0 /s/a.qnc 0"}},
        {"save cancel", {"HandleControlMessage 0 \"save cancel\" \"save changes\" 0"}},
    };
    CLayoutHostCanvas* dialog = pm->GetCanvases()->saveChanges;
    for (const SCase& c : cases) {
      window->SetFlags(CDocWindow::kUnsavedChanges);
      // The double's save leaves nothing unsaved, as a real save does.
      CDocWindowDouble::gDuring = [this] { window->ClearFlags(CDocWindow::kUnsavedChanges); };
      pm->QueueCommandLineFiles("/s/a.qnc");
      CDocWindowDouble::gCalls.clear();
      app->Step();
      ASSERT_TRUE(dialog->IsShown()) << c.button;
      EXPECT_TRUE(window->GetFlags() & CDocWindow::kIgnoreSaveReplies);
      Press(dialog, c.button);
      EXPECT_FALSE(dialog->IsShown()) << c.button;
      for (int i = 0; i < 3; ++i) app->Step();
      EXPECT_EQ(CDocWindowDouble::gCalls, c.calls) << c.button;
      EXPECT_EQ(pm->GetPendingCount(), 0u);
      EXPECT_FALSE(window->GetFlags() & CDocWindow::kIgnoreSaveReplies);
      CDocWindowDouble::gDuring = nullptr;
    }
  });
}

TEST_F(PendingFiles, ADisplayChangeRefitsTheMainWindowAndThePalettes) {
  Run([&] {
    // The document window spans the screen already: only the main window is fitted again.
    const uint32_t queued = pm->GetBroadcaster()->GetQueueCount();
    Play("display 1024 768");
    EXPECT_EQ(pm->GetBroadcaster()->GetQueueCount(), queued);
    platform::SWinRect main;
    platform::GetWindowRect(app->GetMainWindow(), &main);
    EXPECT_EQ(main, (platform::SWinRect{0, 0, 1024, 768}));

    platform::headless::SetWorkArea({0, 0, 800, 600});
    ASSERT_TRUE(platform::headless::AddScript("display 800 600"));
    for (int i = 0; i < 20 && platform::headless::PendingInputs(); ++i) app->PumpMessages();
    app->PumpMessages();
    EXPECT_EQ(WindowRect(window), (platform::SWinRect{0, 0, 800, 600}));
    EXPECT_EQ(pm->GetBroadcaster()->GetQueueCount(), queued + 1);
    app->Step();
    // Re-laid for the smaller screen: the block of 720 x 520 centred below the bar of 38.
    EXPECT_EQ(WindowRect(Palette(kControlPalette)), (platform::SWinRect{40, 59, 160, 579}));

    SWinEvent event;
    event.Init();
    event.window = Palette(kControlPalette)->GetWindow();
    event.message = platform::kWmDisplayChange;
    EXPECT_FALSE(pm->HandleWindowMessage(event));
  });
}

}  // namespace
