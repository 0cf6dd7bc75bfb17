// A document window built headless from the build's data/ (its layout in docwindow.dat, the cloud
// textures in textures.dat) by a framework application that reads the build's system.dat, with the
// scene classes registered as the program registers them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "framework/core/cm_function.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/ui/ui_message.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "tests/framework/core/app_fixture.h"

inline std::unique_ptr<CResourceEnv> OpenDataFile(const std::string& name, uint32_t mode = CFile::kModeRead) {
  CFileSpec spec;
  spec.Set((std::string(QUARN2_DATA_DIR) + "/" + name).c_str());
  auto env = std::make_unique<CResourceEnv>(spec, mode);
  EXPECT_TRUE(env->IsOpen()) << name;
  return env;
}

// A framework application reading the build's system.dat, and a command owner from its pools.
class SystemDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitOrdax(), 0);
    app = new TestApp(AppDesc());
    app->Init(nullptr, nullptr, nullptr);
    CFileSpec system;
    system.Set(QUARN2_DATA_DIR "/system.dat");
    app->CAppl::OpenResourceEnvironment(&system);
    ASSERT_NE(app->GetResourceEnv(), nullptr);
    owner = new CUICmFunction(SRange{0, 16});
  }
  void TearDown() override {
    delete owner;
    app->CAppl::CloseResourceEnvironment();
    app->Term();
    delete app;
    TermOrdax();
  }

  // The pools of a machine of the few megabytes the program was first written for, unless a test
  // asks for the program's own.
  virtual SApplDesc AppDesc() const { return ProgramDesc(); }

  TestApp* app = nullptr;
  CUICmFunction* owner = nullptr;
};

// A document window that keeps its object-info notifications, in order.
class CNotingDocWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  void NotifyObjInfoChanged(uint32_t changes) override {
    notified.push_back(changes);
    CDocWindow::NotifyObjInfoChanged(changes);
  }
  std::vector<uint32_t> notified;
};

class DocWindowTest : public SystemDataTest {
 protected:
  static constexpr SPointHV kSize{480, 360};

  void SetUp() override {
    SystemDataTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    layout = OpenDataFile("docwindow.dat");
    textures = OpenDataFile("textures.dat");
  }
  void TearDown() override {
    delete window;
    window = nullptr;
    layout.reset();
    textures.reset();
    C3dBaseSys::UnregisterAllClasses();
    SystemDataTest::TearDown();
  }

  // A window of class T built from a layout file and initialised: Init's answer.
  template <typename T = CDocWindow>
  int32_t Make(SPointHV imageSize = kSize, SPointHV renderSize = kSize, CResourceEnv* from = nullptr) {
    delete window;
    auto* made = new T(owner, from ? from : layout.get());
    window = made;
    EXPECT_TRUE(window->IsReady());
    EXPECT_EQ(window->BuildOnce(), 0);
    return window->Init(textures.get(), imageSize, renderSize);
  }
  template <typename T = CDocWindow>
  T& Made(SPointHV imageSize = kSize, SPointHV renderSize = kSize) {
    EXPECT_EQ(Make<T>(imageSize, renderSize), 0);
    return *static_cast<T*>(window);
  }

  // The window placed in the main window and shown, its view rectangle the window image's.
  void Show(const SRect& view = {0, 0, kSize.v, kSize.h}) {
    window->MoveResize({view.right + 40, view.bottom + 40}, false);
    window->Show();
    window->SetViewRect(view);
    window->LayoutView();
  }

  CSelection& Selection() { return window->GetDocument()->GetSelection(); }
  // The selection made of these objects alone, and the selection's objects in its order.
  void SelectOnly(std::initializer_list<C3dObject*> objects) {
    Selection().DeselectAll(1);
    for (C3dObject* object : objects) Selection().Add(object, 0, 0);
  }
  std::vector<C3dObject*> Listed() {
    std::vector<C3dObject*> out;
    for (uint32_t i = 0; i < Selection().GetCount(); ++i) out.push_back(Selection().GetObject(i));
    return out;
  }
  // Plays the script input still waiting, then one more loop step.
  void Settle() {
    for (int i = 0; i < 400 && platform::headless::PendingInputs() > 0; ++i) app->PumpMessages();
    app->PumpMessages();
  }

  // The things of the scene table of a family (and class, unless 0), in row order.
  std::vector<C3dBase*> Things(uint32_t family, uint32_t classTag = 0) {
    std::vector<C3dBase*> out;
    C3dBaseSys* table = window->GetSceneTable();
    CHolder holder(table, false, false);
    for (uint32_t row = 0; holder.IsLocked() && row < table->GetCount(); ++row) {
      C3dBase* thing = (*table)[row].object;
      if (thing && thing->GetFamily() == family && (!classTag || thing->GetClass() == classTag)) out.push_back(thing);
    }
    return out;
  }
  static std::vector<C3dBase*> Rows(C3dBaseSpoolTable* list) {
    std::vector<C3dBase*> out;
    CHolder holder(list, false, false);
    for (uint32_t row = 0; holder.IsLocked() && row < list->GetCount(); ++row) out.push_back(list->At(row));
    return out;
  }
  static std::string NameOf(C3dBase* thing) {
    CHolder holder(thing, false, false);
    return holder.IsLocked() ? std::string(reinterpret_cast<const char*>(thing->GetData())) : std::string();
  }
  // The image's pixel at (x, y).
  static uint32_t Pixel(CImage* image, int32_t x, int32_t y) {
    CImNavigator pixels(image, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(uint32_t(y))[x].value : 0;
  }

  std::unique_ptr<CResourceEnv> layout;
  std::unique_ptr<CResourceEnv> textures;
  CDocWindow* window = nullptr;
};
