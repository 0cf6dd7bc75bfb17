// The save question through the running program with its real document window: which commands ask,
// what each of the dialog's buttons goes on with, and what the desktop's logout learns.
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
#include "panels/revert_changes.h"
#include "panels/save_changes.h"
#include "scene/sphere.h"
#include "tests/app/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQuestionBits = CDocWindow::kQuitAfterQuestion | CDocWindow::kOpenAfterQuestion |
                                   CDocWindow::kMergeAfterQuestion | CDocWindow::kAltAfterQuestion;
constexpr const char* kYes = CSaveChanges::kSave;
constexpr const char* kNo = CSaveChanges::kDontSave;
constexpr const char* kCancel = CSaveChanges::kSaveCancel;

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
  // The document changed; the command given, the button of its question pressed (the file dialogs
  // that follow answered by the script), and the program stepped until the reply was taken. `asked`
  // tells whether the question showed.
  int32_t Ask(const char* code, const char* button, const std::string& script = {}) {
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    if (!script.empty()) EXPECT_TRUE(platform::headless::AddScript(script));
    const uint32_t level = pm->GetBroadcaster()->GetModalLevel();
    const int32_t answer = pm->DoCommand(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                                         uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3])));
    asked = SaveDialog()->IsShown();
    if (asked) {
      EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), level + 1);
      Press(SaveDialog(), button);
      EXPECT_FALSE(SaveDialog()->IsShown());
      // A new document goes on to the set-up dialog, one level up.
      const uint32_t setUp = pm->GetCanvases()->docSetup->IsShown() ? 1 : 0;
      EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), level + setUp);
    }
    for (int i = 0; i < 4 && app->IsRunning(); ++i) app->Step();
    return answer;
  }
  CLayoutHostCanvas* SaveDialog() const { return pm->GetCanvases()->saveChanges; }
  CLayoutHostCanvas* RevertDialog() const { return pm->GetCanvases()->revertChanges; }
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
  bool asked = false;
};

// 'open' asks first; "dont save" goes on with the open dialog, "save" saves first (a cancelled save
// dialog stops everything), "save cancel" stops.
TEST_F(SaveQuestion, OpeningAsksAndTheReplyDecides) {
  RunProgram([&] {
    const size_t dialogs = platform::headless::AskedDialogs().size();
    EXPECT_EQ(Ask("open", kNo, "open " + Path("other.qnc")), 26);
    EXPECT_TRUE(asked);
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
    EXPECT_EQ(pm->DoCommand(FourCC("open")), 26);
    EXPECT_FALSE(SaveDialog()->IsShown());
    EXPECT_STREQ(w->GetTitle(), "other");
  });
}

// Merging drops nothing and asks nothing; reverting a changed document asks its own question, whose
// "revert" sends one "revert done" to the document window, which reads the file again.
TEST_F(SaveQuestion, MergingNeverAsksAndRevertingAsksItsOwnQuestion) {
  RunProgram([&] {
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    ASSERT_TRUE(platform::headless::AddScript("open " + Path("other.qnc")));
    EXPECT_EQ(pm->DoCommand(FourCC("mrge")), 26);
    EXPECT_FALSE(SaveDialog()->IsShown());
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
    CUICmFunction* broadcaster = pm->GetBroadcaster();
    uint32_t revertsDone = 0;
    // A row of its own ahead of every canvas counts the answers the document window is offered.
    CCFEntry counter;
    counter.owner = &revertsDone;
    counter.callback = [](void* count, void* record, void*) -> int32_t {
      const auto* m = static_cast<const CUIMessage*>(record);
      if (m->kind == 0 && std::string(m->elementName) == CRevertChanges::kRevertDone &&
          std::string(m->canvasName) == "revert changes" && m->flags == CUIMessage::kBroadcast)
        ++*static_cast<uint32_t*>(count);
      return 0;
    };
    ASSERT_TRUE(broadcaster->InsertAt(0, &counter, 1));
    for (const char* button : {"revert cancel", "revert"}) {
      w->SetFlags(CDocWindow::kUnsavedChanges);
      const uint32_t level = broadcaster->GetModalLevel();
      EXPECT_EQ(pm->DoCommand(FourCC("rvrt")), 26);
      ASSERT_TRUE(RevertDialog()->IsShown()) << button;
      EXPECT_EQ(broadcaster->GetModalLevel(), level + 1);
      Press(RevertDialog(), button);
      for (int i = 0; i < 3; ++i) app->Step();
      EXPECT_FALSE(RevertDialog()->IsShown()) << button;
      EXPECT_EQ(broadcaster->GetModalLevel(), level) << button;
      const bool reverted = std::string(button) == "revert";
      EXPECT_EQ(revertsDone, reverted ? 1u : 0u) << button;
      EXPECT_EQ(spheres(), reverted ? 1u : 2u) << button;
      EXPECT_EQ((w->GetFlags() & CDocWindow::kUnsavedChanges) != 0, !reverted) << button;
    }
    broadcaster->Unregister(&revertsDone);
    // Without changes 'rvrt' reads the file again at once; the set-up that follows sizes this
    // document, even after a 'ndoc' whose question was cancelled filled it for a new one.
    ASSERT_EQ(AppendNew(&added, w->GetSceneTable(), app->GetObjectsEnv()), 0);
    EXPECT_EQ(Ask("ndoc", kCancel), 26);
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    pm->DoCommand(FourCC("rvrt"));
    for (int i = 0; i < 3; ++i) app->Step();
    EXPECT_FALSE(RevertDialog()->IsShown());
    EXPECT_EQ(pm->GetDocWindow(), w);
    EXPECT_EQ(spheres(), 1u);
  });
}

// 'quit' asks once; "dont save" and "save" end the run, "save cancel" keeps it and lets the desktop's
// logout know the program stays.
TEST_F(SaveQuestion, QuittingAsksOnce) {
  RunProgram([&] {
    EXPECT_EQ(Ask("quit", kCancel), 26);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(app->IsRunning());
    EXPECT_FALSE(pm->GetDocWindow()->GetFlags() & CDocWindow::kQuitAfterQuestion);
    ASSERT_TRUE(platform::headless::AddScript(ClickScript(SaveDialog(), kCancel)));
    EXPECT_EQ(platform::SendMessage(app->GetMainWindow(), platform::kWmQueryEndSession, 0, 0), 0);
    EXPECT_TRUE(app->IsRunning());
    EXPECT_FALSE(SaveDialog()->IsShown());

    // A second 'quit' while the question is up asks nothing more; 'd' answers "dont save".
    CDocWindow* w = pm->GetDocWindow();
    w->SetFlags(CDocWindow::kUnsavedChanges);
    const uint32_t level = pm->GetBroadcaster()->GetModalLevel();
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_TRUE(SaveDialog()->IsShown());
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), level + 1);
    Play("char d\n");
    EXPECT_FALSE(SaveDialog()->IsShown());
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), level);
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
    EXPECT_TRUE(asked);
    ConfirmSetUp();
    CDocWindow* fresh = pm->GetDocWindow();
    ASSERT_NE(fresh, old);
    EXPECT_STREQ(fresh->GetTitle(), "Untitled");
    EXPECT_EQ(fresh->GetFlags() & (CDocWindow::kUnsavedChanges | CDocWindow::kHasFile), 0u);
    C3dBase* ball = nullptr;
    EXPECT_NE(fresh->GetSceneTable()->FindByTagAndId(C3dSphere::kFamily, 1, &ball), 0);

    EXPECT_EQ(pm->DoCommand(FourCC("ndoc")), 26);
    EXPECT_FALSE(SaveDialog()->IsShown());
    ConfirmSetUp();
    EXPECT_NE(pm->GetDocWindow(), fresh);
  });
}

// A file named on the command line waits for the question: "dont save" opens it, "save cancel" drops
// the files.
TEST_F(SaveQuestion, AFileFromTheCommandLineAsksFirst) {
  RunProgram([&] {
    CDocWindow* w = pm->GetDocWindow();
    for (const char* button : {kCancel, kNo}) {
      w->SetFlags(CDocWindow::kUnsavedChanges);
      pm->QueueCommandLineFiles(Path("other.qnc").c_str());
      for (int i = 0; i < 4 && !SaveDialog()->IsShown(); ++i) app->Step();
      ASSERT_TRUE(SaveDialog()->IsShown()) << button;
      Press(SaveDialog(), button);
      for (int i = 0; i < 4; ++i) app->Step();
      EXPECT_FALSE(SaveDialog()->IsShown()) << button;
      EXPECT_EQ(pm->GetPendingCount(), 0u) << button;
      EXPECT_STREQ(w->GetTitle(), std::string(button) == kNo ? "other" : "Untitled") << button;
    }
  });
}

}  // namespace
