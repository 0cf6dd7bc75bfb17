// The save question through the running program with its real document window: which commands ask,
// what each reply goes on with, and what the desktop's logout learns.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/scene_file.h"
#include "panels/doc_setup.h"
#include "framework/core/four_cc.h"
#include "framework/core/spool_sys.h"
#include "platform/desktop.h"
#include "platform/headless.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/sphere.h"
#include "tests/app/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQuestionBits = CDocWindow::kQuitAfterQuestion | CDocWindow::kOpenAfterQuestion |
                                   CDocWindow::kMergeAfterQuestion | CDocWindow::kAltAfterQuestion;
constexpr int32_t kYes = platform::kIdYes, kNo = platform::kIdNo, kCancel = platform::kIdCancel;

class SaveQuestion : public ShellTest {
 protected:
  // The program with its own document window; a document "other.qnc" with one sphere waits in the
  // folder.
  void RunProgram(const std::function<void()>& body) {
    Run(
        [&] {
          folder = fs::current_path().string();
          C3dBaseSys table(app->GetObjectsEnv());
          C3dSphere* ball = nullptr;
          ASSERT_EQ(AppendNew(&ball, &table, app->GetObjectsEnv()), 0);
          CFileSpec spec;
          spec.Set((folder + "/other.qnc").c_str());
          ASSERT_EQ(WriteSceneFile(spec, &table, nullptr), 0);
          body();
        },
        [&] { pm->SetDocWindowFactory(nullptr); });
  }
  // The document changed; the command given, its question answered with the box, and the program
  // stepped until the reply was taken.
  int32_t Ask(const char* code, int32_t box, const std::string& script = {}) {
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    EXPECT_TRUE(platform::headless::AddScript("box " + std::to_string(box) + (script.empty() ? "" : "\n" + script)));
    boxes = platform::headless::ShownBoxes().size();
    const int32_t answer = pm->DoCommand(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                                         uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3])));
    for (int i = 0; i < 4 && app->IsRunning(); ++i) app->Step();
    return answer;
  }
  size_t NewBoxes() const { return platform::headless::ShownBoxes().size() - boxes; }
  // The set-up dialog that a new document waits for, confirmed, and its answer delivered.
  void ConfirmSetUp() {
    EXPECT_TRUE(pm->GetCanvases()->docSetup->IsShown());
    CUIMessage ok;
    ok.Init(0, "ok", nullptr, "doc setup", CUIMessage::kBroadcast);
    pm->GetBroadcaster()->Dispatch(&ok);
    for (int i = 0; i < 3; ++i) app->Step();
  }
  std::string Path(const char* name) const { return folder + "/" + name; }

  std::string folder;
  size_t boxes = 0;
};

// 'open' asks first; "dont save" goes on with the open dialog, "save" saves first (a cancelled save
// dialog stops everything), "save cancel" stops.
TEST_F(SaveQuestion, OpeningAsksAndTheReplyDecides) {
  RunProgram([&] {
    const size_t dialogs = platform::headless::AskedDialogs().size();
    EXPECT_EQ(Ask("open", kNo, "open " + Path("other.qnc")), 26);
    EXPECT_EQ(NewBoxes(), 1u);
    CDocWindow* w = pm->GetDocWindow();
    EXPECT_STREQ(w->GetTitle(), "other");
    EXPECT_EQ(w->GetFlags() & (kQuestionBits | CDocWindow::kUnsavedChanges), 0u);
    EXPECT_TRUE(w->GetFlags() & CDocWindow::kHasFile);
    EXPECT_EQ(platform::headless::AskedDialogs().size(), dialogs + 1);

    // An untitled document's save dialog cancelled: nothing saved, nothing opened.
    pm->DoCommand(FourCC("ndoc"));
    ConfirmSetUp();
    w = pm->GetDocWindow();
    ASSERT_STREQ(w->GetTitle(), "Untitled");
    EXPECT_EQ(Ask("open", kYes, "cancel"), 26);
    EXPECT_STREQ(w->GetTitle(), "Untitled");
    EXPECT_EQ(w->GetFlags() & kQuestionBits, 0u);
    EXPECT_TRUE(w->GetFlags() & CDocWindow::kUnsavedChanges);
    EXPECT_EQ(platform::headless::AskedDialogs().back().save, true);

    EXPECT_EQ(Ask("open", kCancel), 26);
    EXPECT_STREQ(w->GetTitle(), "Untitled");
    EXPECT_EQ(w->GetFlags() & kQuestionBits, 0u);
    EXPECT_EQ(platform::headless::AskedDialogs().back().save, true);

    // Nothing to lose: no question.
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    ASSERT_TRUE(platform::headless::AddScript("open " + Path("other.qnc")));
    const size_t shown = platform::headless::ShownBoxes().size();
    EXPECT_EQ(pm->DoCommand(FourCC("open")), 26);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), shown);
    EXPECT_STREQ(w->GetTitle(), "other");
  });
}

// Merging drops nothing and asks nothing; reverting a changed document asks its own question.
TEST_F(SaveQuestion, MergingNeverAsksAndRevertingAsksItsOwnQuestion) {
  RunProgram([&] {
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    ASSERT_TRUE(platform::headless::AddScript("open " + Path("other.qnc")));
    size_t shown = platform::headless::ShownBoxes().size();
    EXPECT_EQ(pm->DoCommand(FourCC("mrge")), 26);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), shown);
    EXPECT_STREQ(w->GetTitle(), "Untitled");
    EXPECT_TRUE(w->GetFlags() & CDocWindow::kUnsavedChanges);

    ASSERT_TRUE(platform::headless::AddScript("open " + Path("other.qnc")));
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    ASSERT_EQ(pm->DoCommand(FourCC("open")), 26);
    ASSERT_STREQ(w->GetTitle(), "other");
    const auto spheres = [w] {
      uint32_t count = 0;
      w->GetSceneTable()->CountByTags(C3dSphere::kFamily, C3dSphere::kClassTag, &count);
      return count;
    };
    ASSERT_EQ(spheres(), 1u);
    C3dSphere* added = nullptr;
    ASSERT_EQ(AppendNew(&added, w->GetSceneTable(), app->GetObjectsEnv()), 0);
    for (const int32_t box : {kNo, kYes}) {
      w->SetFlags(CDocWindow::kUnsavedChanges);
      ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(box)));
      shown = platform::headless::ShownBoxes().size();
      EXPECT_EQ(pm->DoCommand(FourCC("rvrt")), 26);
      for (int i = 0; i < 3; ++i) app->Step();
      EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 1) << box;
      EXPECT_EQ(spheres(), box == kYes ? 1u : 2u) << box;
      EXPECT_EQ((w->GetFlags() & CDocWindow::kUnsavedChanges) != 0, box == kNo) << box;
    }
    // Without changes 'rvrt' reads the file again at once; the set-up that follows sizes this
    // document, even after a 'ndoc' whose question was cancelled filled it for a new one.
    ASSERT_EQ(AppendNew(&added, w->GetSceneTable(), app->GetObjectsEnv()), 0);
    EXPECT_EQ(Ask("ndoc", kCancel), 26);
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    pm->DoCommand(FourCC("rvrt"));
    for (int i = 0; i < 3; ++i) app->Step();
    EXPECT_EQ(pm->GetDocWindow(), w);
    EXPECT_EQ(spheres(), 1u);
  });
}

// 'quit' asks once; "dont save" and "save" end the run, "save cancel" keeps it and lets the desktop's
// logout know the program stays.
TEST_F(SaveQuestion, QuittingAsksOnce) {
  RunProgram([&] {
    EXPECT_EQ(Ask("quit", kCancel), 26);
    EXPECT_EQ(NewBoxes(), 1u);
    EXPECT_TRUE(app->IsRunning());
    EXPECT_FALSE(pm->GetDocWindow()->GetFlags() & CDocWindow::kQuitAfterQuestion);
    ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(kCancel)));
    EXPECT_EQ(platform::SendMessage(app->GetMainWindow(), platform::kWmQueryEndSession, 0, 0), 0);
    EXPECT_TRUE(app->IsRunning());

    // A second 'quit' while the question is up asks nothing more.
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(kNo)));
    const size_t shown = platform::headless::ShownBoxes().size();
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
    for (int i = 0; i < 3 && app->IsRunning(); ++i) app->Step();
    EXPECT_FALSE(app->IsRunning());
  });
}

TEST_F(SaveQuestion, SavingBeforeQuittingWritesTheDocument) {
  RunProgram([&] {
    EXPECT_EQ(Ask("quit", kYes, "save " + Path("kept.qnc")), 26);
    EXPECT_FALSE(app->IsRunning());
    EXPECT_TRUE(fs::exists(Path("kept.qnc")));
    EXPECT_FALSE(pm->GetDocWindow()->GetFlags() & CDocWindow::kUnsavedChanges);
  });
}

// 'ndoc' asks with nothing further to do; "dont save" then opens the set-up, whose answer makes the
// new document.
TEST_F(SaveQuestion, ANewDocumentAfterTheQuestion) {
  RunProgram([&] {
    CDocWindow* old = pm->GetDocWindow();
    EXPECT_EQ(Ask("ndoc", kNo), 26);
    EXPECT_EQ(NewBoxes(), 1u);
    ConfirmSetUp();
    CDocWindow* fresh = pm->GetDocWindow();
    ASSERT_NE(fresh, old);
    EXPECT_STREQ(fresh->GetTitle(), "Untitled");
    EXPECT_EQ(fresh->GetFlags() & (CDocWindow::kUnsavedChanges | CDocWindow::kHasFile), 0u);
    C3dBase* ball = nullptr;
    EXPECT_NE(fresh->GetSceneTable()->FindByTagAndId(C3dSphere::kFamily, 1, &ball), 0);

    const size_t shown = platform::headless::ShownBoxes().size();
    EXPECT_EQ(pm->DoCommand(FourCC("ndoc")), 26);
    ConfirmSetUp();
    EXPECT_EQ(platform::headless::ShownBoxes().size(), shown);
    EXPECT_NE(pm->GetDocWindow(), fresh);
  });
}

// A file named on the command line waits for the question: "dont save" opens it, "save cancel" drops
// the files.
TEST_F(SaveQuestion, AFileFromTheCommandLineAsksFirst) {
  RunProgram([&] {
    CDocWindow* w = pm->GetDocWindow();
    for (const int32_t box : {kCancel, kNo}) {
      w->SetFlags(CDocWindow::kUnsavedChanges);
      pm->QueueCommandLineFiles(Path("other.qnc").c_str());
      ASSERT_TRUE(platform::headless::AddScript("box " + std::to_string(box)));
      const size_t shown = platform::headless::ShownBoxes().size();
      for (int i = 0; i < 4; ++i) app->Step();
      EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 1) << box;
      EXPECT_EQ(pm->GetPendingCount(), 0u) << box;
      EXPECT_STREQ(w->GetTitle(), box == kNo ? "other" : "Untitled") << box;
    }
  });
}

}  // namespace
