// The program's interface built in this process on the headless back end from the build's data/,
// with a document window that records what the shell asks of it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/doc_window.h"
#include "app/palette_manager.h"
#include "app/quarn_app.h"
#include "editing/document.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/headless.h"
#include "scene/base_spool_table.h"
#include "scene/camera.h"
#include "tests/framework/core/app_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

// The program's application, which tells the test each file it resolves, reads the build's resource
// file, and runs the test's body once its interface is up.
class CShellTestApp : public CQuarnApp {
 public:
  using CQuarnApp::CQuarnApp;

  std::vector<std::string> resolved;
  std::function<void(const std::string&)> onResolve;
  std::function<void()> body;

  void OpenResourceEnvironment(const CFileSpec*) override {
    CFileSpec system;
    system.Set(QUARN2_DATA_DIR "/system.dat");
    CQuarnApp::OpenResourceEnvironment(&system);
  }
  // The body runs between the start and the loop; the loop then ends unless the body quit already.
  void CreateUserInterface() override {
    CQuarnApp::CreateUserInterface();
    if (IsRunning() && body) body();
    Quit();
  }

  int32_t SetModuleDirectory(const char* name, CFileSpec* spec) override {
    resolved.push_back(name ? name : "");
    if (onResolve) onResolve(resolved.back());
    return CQuarnApp::SetModuleDirectory(name, spec);
  }
};

// Each call the shell makes of the document window, as a line of text.
class CDocWindowDouble : public CDocWindow {
 public:
  static inline std::vector<std::string> gCalls;
  // Run inside the next command the window carries out, while the palette manager is busy.
  static inline std::function<void()> gDuring;
  static inline bool gUnsaved = false;
  static inline int32_t gOpenAnswer = 0;
  static inline int32_t gCommandAnswer = 0;  // what the other commands answer
  static inline SPointHV gImageSize{0, 0};  // (0, 0): the size Init was given

  using CDocWindow::CDocWindow;

  static CDocWindow* Make(CUICmFunction* owner, CResourceEnv* environment) {
    return new CDocWindowDouble(owner, environment);
  }

  int32_t Init(CResourceEnv* textures, SPointHV imageSize, SPointHV renderSize) override {
    Note("Init " + Size(imageSize) + " " + Size(renderSize));
    const int32_t err = CDocWindow::Init(textures, gImageSize.h ? gImageSize : imageSize, renderSize);
    if (gUnsaved) SetFlags(kUnsavedChanges);
    return err;
  }
  int32_t AskToSaveChanges(uint32_t after) override {
    Note("AskToSaveChanges " + std::to_string(after));
    if (!(GetFlags() & kUnsavedChanges)) return 0;
    SetFlags(after);
    return 26;
  }
  int32_t OpenDocument(uint8_t merge, const CFileSpec* file, bool alt) override {
    Note("OpenDocument " + std::to_string(merge) + " " + (file ? file->GetPath() : "-") + " " + std::to_string(alt));
    return gOpenAnswer;
  }
  int32_t SaveDocument(int32_t asNew) override { return Command("SaveDocument " + std::to_string(asNew)); }
  int32_t ImportObject() override { return Command("ImportObject"); }
  int32_t PrintDocument() override { return Command("PrintDocument"); }
  int32_t DuplicateSelection() override { return Command("DuplicateSelection"); }
  int32_t ReplicateSelection() override { return Command("ReplicateSelection"); }
  int32_t GroupSelection() override { return Command("GroupSelection"); }
  int32_t UngroupSelection() override { return Command("UngroupSelection"); }
  int32_t EditCommand(uint32_t code) override { return Command("EditCommand " + FourCCText(code)); }
  int32_t EditSelection() override { return Command("EditSelection"); }
  int32_t FlyAround() override { return Command("FlyAround"); }
  int32_t HandleEvent(CUIMessage* message) override {
    if (message && std::string(message->canvasName) == "doc window") Note("HandleEvent " + Describe(*message));
    return CDocWindow::HandleEvent(message);
  }
  int32_t HandleControlMessage(CUIMessage* message) override {
    Note("HandleControlMessage " + Describe(*message));
    return CDocWindow::HandleControlMessage(message);
  }
  void Invalidate(bool viewChanged) override {
    Note(std::string("Invalidate ") + (viewChanged ? "view" : "scene"));
    CDocWindow::Invalidate(viewChanged);
  }

  static std::string Describe(const CUIMessage& m) {
    return std::to_string(m.kind) + " \"" + m.elementName + "\" \"" + m.canvasName + "\" " +
           std::to_string(m.GetPayloadWord(0));
  }

 private:
  static std::string Size(SPointHV size) { return std::to_string(size.h) + "x" + std::to_string(size.v); }
  static void Note(const std::string& call) { gCalls.push_back(call); }
  int32_t Command(const std::string& call) {
    Note(call);
    if (auto during = std::exchange(gDuring, nullptr)) during();
    return gCommandAnswer;
  }
};

// A private current folder (the preferences file lives there) and temporary folder; the headless
// screen of 1024 x 768 with the default metrics.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    ASSERT_NE(getcwd(oldFolder_, sizeof oldFolder_), nullptr);
    ASSERT_EQ(chdir(tmp_.Path().c_str()), 0);
    platform::headless::SetScreenSize(1024, 768);
    platform::headless::SetWorkArea({0, 0, 1024, 768});
    CDocWindowDouble::gCalls.clear();
    CDocWindowDouble::gDuring = nullptr;
    CDocWindowDouble::gUnsaved = false;
    CDocWindowDouble::gOpenAnswer = 0;
    CDocWindowDouble::gCommandAnswer = 0;
    CDocWindowDouble::gImageSize = {0, 0};
  }
  void TearDown() override {
    Stop();
    EXPECT_EQ(chdir(oldFolder_), 0);
  }

  void MakeApp() {
    ASSERT_EQ(InitOrdax(), 0);
    app = new CShellTestApp(ProgramDesc());
    app->SetLayoutFolder(QUARN2_DATA_DIR "/");
    pm = app->GetPaletteManager();
    pm->SetDocWindowFactory(&CDocWindowDouble::Make);
  }
  // The application with its opening phases run up to the interface, for calls of the palette
  // manager's own.
  void Open() {
    MakeApp();
    app->Init(nullptr, nullptr, nullptr);
    app->OpenResourceEnvironment(nullptr);
    opened_ = true;
  }
  // The program's run: the body runs once the interface is up, then the closing phases.
  void Run(const std::function<void()>& body, const std::function<void()>& beforeRun = nullptr) {
    MakeApp();
    if (beforeRun) beforeRun();
    bool ran = false;
    app->body = [&] {
      ran = true;
      window = pm->GetDocWindow();
      ASSERT_NE(window, nullptr);
      body();
    };
    app->Run();
    EXPECT_TRUE(ran) << "the interface did not start";
    Stop();
  }
  void Stop() {
    if (!app) return;
    if (opened_) {
      app->DeleteUserInterface();
      app->CloseResourceEnvironment();
      app->Term();
    }
    opened_ = false;
    delete app;
    app = nullptr;
    window = nullptr;
    TermOrdax();
  }
  // Runs loop steps until the script's input is taken and handled.
  void Play(const std::string& script) {
    ASSERT_TRUE(platform::headless::AddScript(script));
    for (int i = 0; i < 200 && (platform::headless::PendingInputs() > 0 || i < 5); ++i) app->PumpMessages();
  }
  // The script of a click on the dialog's element (its point (20, 10)), and the click played.
  static std::string ClickScript(CLayoutHostCanvas* dialog, const char* name) {
    CElement* element = nullptr;
    CElSystem::FindByName(dialog->GetRoot(), name, &element);
    EXPECT_NE(element, nullptr) << name;
    if (!element) return {};
    SPointHV at;
    element->LocalToRootPoint(&at, {20, 10});
    return "move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 40\nup left\nwait 20\n";
  }
  void Press(CLayoutHostCanvas* dialog, const char* name) { Play(ClickScript(dialog, name)); }
  CLayoutHostCanvas* Palette(EPalette p) const { return pm->GetPalette(p); }
  // Selects the first object of the window's list that is no camera or light (the ground of a new
  // document): the dialogs that edit the selection open on it.
  void SelectFirstObject() {
    C3dBaseSpoolTable* list = window->GetObjectList();
    C3dBaseSys* scene = window->GetSceneTable();
    for (uint32_t i = 0; list && scene && i < list->GetCount(); ++i) {
      C3dObject* object = nullptr;
      {
        CHolder held(list, false, false);
        C3dBase* thing = (*list)[i];
        object = thing ? thing->AsObject() : nullptr;
      }
      if (!object || object->IsLight() || object->GetFamily() == C3dCamera::kFamily) continue;
      window->GetDocument()->GetSelection().Add(object, 1, 1);
      return;
    }
    ADD_FAILURE() << "no object to select";
  }
  static platform::SWinRect WindowRect(const CCanvas* canvas) {
    platform::SWinRect r;
    platform::GetWindowRect(canvas->GetWindow(), &r);
    return r;
  }

  CShellTestApp* app = nullptr;
  CPaletteManager* pm = nullptr;
  CDocWindow* window = nullptr;

 private:
  CPrivateTmpDir tmp_{"quarn2-shell"};
  char oldFolder_[4096] = {};
  bool opened_ = false;
};
