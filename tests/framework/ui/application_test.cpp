// The framework application with the interface framework registered, as the program runs it: the
// canvas class beside the main window's, the element classes in the element registry, and the desktop
// console.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/el_registry.h"
#include "framework/core/mem_pool.h"
#include "framework/core/system_info.h"
#include "framework/core/ui_services.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/framework/core/app_fixture.h"

namespace {

using namespace platform;

TEST_F(AppTest, TheCanvasClassSharesTheMainWindowsProcedure) {
  SWindowClass main_class, canvas_class;
  ASSERT_TRUE(GetWindowClass("CWinAppl", &main_class));
  ASSERT_TRUE(GetWindowClass("CCanvas", &canvas_class));
  EXPECT_EQ(canvas_class.style, 0x1020u);
  EXPECT_EQ(canvas_class.extraBytes, 4);
  EXPECT_EQ(canvas_class.procedure, main_class.procedure);
}

TEST_F(AppTest, TheElementClassesRegisterInOrder) {
  CElRegistry* registry = app->GetElementRegistry();
  const char* tags[] = {"elem", "coel", "imel", "txel", "rmel", "rsel"};
  ASSERT_EQ(registry->GetCount(), 6u);
  for (uint32_t i = 0; i < 6; ++i) EXPECT_STREQ(static_cast<const char*>((*registry)[i].owner), tags[i]) << i;
}

TEST_F(AppTest, ConsoleBanner) {
  CDesktopConsole* console = app->GetConsole();
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(console->IsConsoleVisible());
  const std::string expected = "ordax 3.0r2 (" + CSystemInfo::Get().GetOSName() + ")";
  EXPECT_EQ(std::string(console->GetCurrentLine()).substr(0, expected.size()), expected);
}

// Element classes unregister in reverse order; the last one out leaves the registry empty.
TEST(Appl, DestructionUndoesConstruction) {
  ASSERT_EQ(InitOrdax(), 0);
  auto* app = new TestApp(ProgramDesc());
  CElRegistry* registry = app->GetElementRegistry();
  uint32_t count = 0;
  const SElementClass* classes = GetElementClasses(&count);
  ASSERT_EQ(count, 6u);
  EXPECT_STREQ(classes[0].className, "CElement");
  EXPECT_STREQ(classes[5].className, "CRsElement");
  ASSERT_TRUE(classes[5].unregisterType());
  EXPECT_EQ(registry->GetCount(), 5u);
  ASSERT_TRUE(classes[5].registerType());
  delete app;
  EXPECT_EQ(GetApplication(), nullptr);
  EXPECT_FALSE(CAppl::IsInitialised());
  EXPECT_EQ(GetDefaultPool(), nullptr);
  SWindowClass unused;
  EXPECT_FALSE(GetWindowClass("CWinAppl", &unused));
  EXPECT_FALSE(GetWindowClass("CCanvas", &unused));
  // A new application may be built once the first is gone.
  app = new TestApp(ProgramDesc());
  EXPECT_TRUE(CAppl::IsInitialised());
  delete app;
  TermOrdax();
}

TEST_F(AppTest, ShiftSpaceTogglesTheMenuBarAndControlShiftSpaceTheConsole) {
  ShowMain();
  app->SetMenuBarAutoHide(false);
  ASSERT_TRUE(app->IsMenuBarHidden());
  Script("key 16\nwait 5\nkey 32\nwait 50\nkeyup 32\nkeyup 16\n");
  RunScript();
  EXPECT_FALSE(app->IsMenuBarHidden());
  EXPECT_TRUE(headless::IsMenuBarShown(Main()));

  ShowMain();
  CDesktopConsole* console = app->GetConsole();
  ASSERT_FALSE(console->IsConsoleVisible());
  Script("key 17\nkey 16\nwait 5\nkey 32\nwait 50\nkeyup 32\nkeyup 16\nkeyup 17\n");
  RunScript();
  EXPECT_TRUE(console->IsConsoleVisible());
  EXPECT_FALSE(app->IsMenuBarHidden());
  Script("key 17\nkey 16\nwait 5\nkey 32\nwait 50\nkeyup 32\nkeyup 16\nkeyup 17\n");
  RunScript();
  EXPECT_FALSE(console->IsConsoleVisible());
}

}  // namespace
