// The framework core on its own: what it answers where the later libraries have registered nothing
// (framework/ui, document/ and panels/ register these services in the program).
#include <gtest/gtest.h>

#include <memory>

#include "app_fixture.h"
#include "framework/core/document_services.h"
#include "framework/core/el_registry.h"
#include "framework/core/ex_system.h"
#include "framework/core/io_progress.h"
#include "framework/core/panel_services.h"
#include "framework/core/result_codes.h"
#include "framework/core/ui_services.h"
#include "platform/window.h"
#include "spool_fixture.h"

namespace {

using namespace platform;

TEST_F(AppTest, WithoutTheInterfaceFrameworkThereIsNoConsoleCanvasClassOrElementClass) {
  ASSERT_EQ(GetUiServices(), nullptr);
  EXPECT_TRUE(IsWindow(Main()));
  EXPECT_EQ(app->GetConsole(), nullptr);
  SWindowClass unused;
  EXPECT_FALSE(GetWindowClass("CCanvas", &unused));
  EXPECT_EQ(app->GetElementRegistry()->GetCount(), 0u);
  uint32_t count = 1;
  EXPECT_EQ(GetElementClasses(&count), nullptr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(NewDesktopConsole(128, 1, SRect{}, 0, nullptr, nullptr, 0), nullptr);
  // Ctrl+Shift+Space, which shows the console, finds none.
  ShowMain();
  Script("key 17\nkey 16\nwait 5\nkey 32\nwait 50\nkeyup 32\nkeyup 16\nkeyup 17\n");
  RunScript();
  EXPECT_EQ(app->GetConsole(), nullptr);
}

// An element the core cannot reach is refused, and a table keeps no row of it.
TEST_F(SpoolAppTest, WithoutTheInterfaceFrameworkElementOperationsAnswerNotImplemented) {
  int stand_in = 0;
  CElement* element = reinterpret_cast<CElement*>(&stand_in);
  EXPECT_FALSE(ElementHasOwner(element));
  EXPECT_FALSE(IsElementPlaced(element));
  EXPECT_STREQ(GetElementName(element), "");
  EXPECT_EQ(AttachElement(element, nullptr), kErrNotImplemented);
  EXPECT_EQ(DetachElement(element, nullptr), kErrNotImplemented);
  EXPECT_EQ(AddChildElement(element, element, 0, 0, 0, ElementContainerLayout()), kErrNotImplemented);
  DeleteElement(element);

  auto table = std::make_unique<CExSystem>(ElementContainerLayout());
  ASSERT_TRUE(table->IsValid());
  EXPECT_EQ(table->AddEntry(element, 0, 0), kErrNotImplemented);
  EXPECT_EQ(table->GetCount(), 0u);
}

// Without the palettes there is no progress dialog to set up, and the progress display still runs;
// without the documents no plug-in describes its format.
TEST_F(AppTest, WithoutThePalettesAndDocumentsTheProgressDisplayRunsAlone) {
  ASSERT_EQ(GetPanelServices(), nullptr);
  ASSERT_EQ(GetDocumentServices(), nullptr);
  EXPECT_EQ(NewIOProgressDialog(nullptr), nullptr);
  EXPECT_EQ(SetUpIOProgress(), kErrFailedCreation);
  EXPECT_EQ(GetIOProgressDialog(), nullptr);
  char description[16] = "unchanged";
  EXPECT_EQ(GetPluginFormatDescription(description, sizeof description, 0), kErrUnexpectedStatus);
  EXPECT_STREQ(description, "unchanged");
  ProgressBegin("Importing ", 0);
  EXPECT_EQ(ProgressUpdate("reading", 3, 10), kNoErr);
  ProgressEnd();
}

}  // namespace
