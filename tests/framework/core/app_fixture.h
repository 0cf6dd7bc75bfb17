// A headless framework application built with the program's start-up values, for the tests of the
// application layers. TestApp logs its phases and lets a test stop any of them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "platform/headless.h"
#include "platform/window.h"

inline SApplDesc ProgramDesc() {
  SApplDesc desc;
  desc.name = "Quarn2";
  desc.defaultPoolBudget = 0x1FA000;
  desc.objectsPoolBudget = 0x500000;
  desc.dataPoolBudget = 0x1000000;
  desc.instance = platform::ProgramModule();
  desc.startMenuBarHidden = true;
  desc.createMenu = true;
  return desc;
}

class TestApp : public COrdaxApp {
 public:
  using COrdaxApp::COrdaxApp;

  std::vector<std::string> log;
  // When set, relative names resolve in this folder instead of the program's (a "Plugins" folder of
  // a test's own).
  std::string moduleFolder;
  std::string quitIn;  // the phase that calls Quit
  uint32_t steps = 0;
  uint32_t stepsBeforeQuit = 0;  // 0: the loop never quits by itself
  bool skipResources = false;    // the resource and fragment phases only log

  void Init(const CFileSpec* a, const CFileSpec* b, const CFileSpec* c) override {
    Note("Init");
    CAppl::Init(a, b, c);
  }
  void Term() override {
    Note("Term");
    CAppl::Term();
  }
  void OpenResourceEnvironment(const CFileSpec* spec) override {
    if (!Note("OpenResourceEnvironment") && !skipResources) CAppl::OpenResourceEnvironment(spec);
  }
  void CloseResourceEnvironment() override {
    Note("CloseResourceEnvironment");
    CAppl::CloseResourceEnvironment();
  }
  void CreateFragmentSystem(const char* name) override {
    if (!Note("CreateFragmentSystem") && !skipResources) CAppl::CreateFragmentSystem(name);
  }
  void DeleteFragmentSystem() override {
    Note("DeleteFragmentSystem");
    CAppl::DeleteFragmentSystem();
  }
  void CreateUserInterface() override { Note("CreateUserInterface"); }
  void DeleteUserInterface() override { Note("DeleteUserInterface"); }
  void Step() override {
    ++steps;
    if (log.empty() || log.back() != "Step") log.push_back("Step");
    COrdaxApp::Step();
    if (stepsBeforeQuit && steps >= stepsBeforeQuit) Quit();
  }

  int32_t SetModuleDirectory(const char* name, CFileSpec* spec) override {
    if (moduleFolder.empty() || !name || name[0] == '/') return COrdaxApp::SetModuleDirectory(name, spec);
    return spec->Set((moduleFolder + "/" + name).c_str());
  }

  // Pumps until the queue is empty.
  void Pump() { PumpMessages(); }

 private:
  bool Note(const std::string& phase) {
    log.push_back(phase);
    if (quitIn != phase) return false;
    Quit();
    return true;
  }
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitOrdax(), 0);
    app = new TestApp(ProgramDesc());
    ASSERT_TRUE(CAppl::IsInitialised());
  }
  void TearDown() override {
    delete app;
    TermOrdax();
  }
  platform::WindowHandle Main() const { return app->GetMainWindow(); }
  void ShowMain() { platform::ShowWindow(Main(), platform::kSwShowMaximized); }
  void Script(const std::string& text) { ASSERT_TRUE(platform::headless::AddScript(text)); }
  // Takes the whole script in, pumping as the loop would.
  void RunScript() {
    for (int i = 0; i < 100000 && platform::headless::PendingInputs() > 0; ++i) app->Pump();
    app->Pump();
  }
  size_t Boxes() const { return platform::headless::ShownBoxes().size(); }
  std::string LastBox() const {
    const auto& boxes = platform::headless::ShownBoxes();
    return boxes.empty() ? std::string() : boxes.back().text;
  }

  TestApp* app = nullptr;
};
