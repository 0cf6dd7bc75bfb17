#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app_fixture.h"
#include "framework/core/c_string.h"
#include "framework/core/el_registry.h"
#include "framework/core/file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/mem_recover.h"
#include "framework/core/notification.h"
#include "framework/core/progress.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "platform/alloc.h"
#include "platform/window.h"
#include "tools/res_lists.h"
#include "tools/res_store.h"

namespace {

using namespace platform;

const char* const kFatalText = "The program will be terminated now because of an unrecoverable error.";

TEST_F(AppTest, MainWindowAndClassesAfterConstruction) {
  WindowHandle main = Main();
  ASSERT_TRUE(IsWindow(main));
  EXPECT_EQ(GetClassName(main), "CWinAppl");
  EXPECT_EQ(GetWindowStyle(main), 0x80CA0000u);
  EXPECT_EQ(GetWindowText(main), "Quarn2");
  EXPECT_FALSE(IsWindowVisible(main));
  SWinRect rect;
  ASSERT_TRUE(GetWindowRect(main, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.Width(), GetSystemMetrics(kSmCxScreen));
  EXPECT_EQ(rect.Height(), GetSystemMetrics(kSmCyScreen));
  for (uint32_t command : {kScMove, kScSize, kScMaximize}) EXPECT_FALSE(IsSystemMenuItemEnabled(main, command));

  SWindowClass main_class;
  ASSERT_TRUE(GetWindowClass("CWinAppl", &main_class));
  EXPECT_EQ(main_class.style, 0x1000u);
  EXPECT_EQ(main_class.extraBytes, 4);

  EXPECT_EQ(app->GetMenuBarHeight(), GetSystemMetrics(kSmCyCaption) + GetSystemMetrics(kSmCyMenu));
  EXPECT_TRUE(app->IsMenuBarHidden());
  EXPECT_EQ(GetApplication(), app);
  EXPECT_TRUE(CProgress::IsSystemReady());
}

TEST_F(AppTest, TablesAndTheirSpecs) {
  struct STable {
    CCmFunction* table;
    uint32_t capacity, step;
  } tables[] = {
      {app->GetNotification(), 4, 8},      {app->GetDataMemRecover(), 32, 16}, {app->GetObjectsMemRecover(), 32, 16},
      {app->GetHeartbeat(), 64, 32},       {app->GetReceivers(), 16, 16},      {app->GetElementRegistry(), 16, 16},
  };
  for (const STable& t : tables) {
    ASSERT_NE(t.table, nullptr);
    EXPECT_EQ(t.table->GetCapacity(), t.capacity);
    EXPECT_EQ(t.table->GetStep(), t.step);
  }
  EXPECT_EQ(app->GetDataMemRecover()->GetPool(), GetDataPool());
  EXPECT_EQ(app->GetObjectsMemRecover()->GetPool(), GetObjectPool());
  EXPECT_EQ(GetDataPool()->GetRecoveryContext(), app->GetDataMemRecover());

  CCFEntry* row = app->GetNotification()->FindEntry(app);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->priority, 0x7FFFFFEE);
}

TEST(ApplDeathTest, FatalStartsEndWithStatusOne) {
  EXPECT_EXIT(
      {
        InitOrdax();
        new TestApp(ProgramDesc());
        new TestApp(ProgramDesc());
      },
      ::testing::ExitedWithCode(1), kFatalText);
  EXPECT_EXIT({ new TestApp(ProgramDesc()); }, ::testing::ExitedWithCode(1), kFatalText);
  EXPECT_EXIT(
      {
        InitOrdax();
        FailNextAllocations(1);
        TestApp app(ProgramDesc());
      },
      ::testing::ExitedWithCode(1), std::string(kFatalText) + ".*Application initialization failed");
  EXPECT_EXIT(
      {
        InitOrdax();
        new TestApp(ProgramDesc());
        for (int i = 0; i < 65; ++i) new CProgress(1);
      },
      ::testing::ExitedWithCode(1), kFatalText);
}

TEST_F(AppTest, QuitDuringInitSkipsTheRestButClosesEverything) {
  app->quitIn = "Init";
  app->Run();
  EXPECT_EQ(app->log, (std::vector<std::string>{"Init", "DeleteUserInterface", "DeleteFragmentSystem",
                                               "CloseResourceEnvironment", "Term"}));
  EXPECT_FALSE(app->HasStarted());
}

// The test program's folder has no data/system.dat.
TEST_F(AppTest, MissingResourceFileStopsTheStart) {
  app->Run();
  EXPECT_EQ(app->log, (std::vector<std::string>{"Init", "OpenResourceEnvironment", "DeleteUserInterface",
                                               "DeleteFragmentSystem", "CloseResourceEnvironment", "Term"}));
  EXPECT_EQ(LastBox(), "The default application ordax resource environment could not be found.");
  EXPECT_EQ(headless::ShownBoxes().back().caption, "Quarn2");
  EXPECT_EQ(headless::ShownBoxes().back().style, 0x12010u);
  EXPECT_FALSE(app->HasStarted());
}

TEST_F(AppTest, ResourceFileOfAnotherPath) {
  app->CAppl::Init(nullptr, nullptr, nullptr);
  const std::string path = ::testing::TempDir() + "/system-" + std::to_string(::getpid()) + ".dat";
  CFileSpec spec;
  ASSERT_EQ(spec.Set(path.c_str()), 0);
  {
    CResourceEnv env(spec, CFile::kModeReadWrite);
    std::vector<uint8_t> list;
    std::string error;
    ASSERT_TRUE(CompileIndexedList("ixtx", "0 \"Fragments\"\n", &list, &error)) << error;
    SSpoolKey key;
    key.Set("ixtx", 130, false);
    CopyCString(key.name, "fragments_", sizeof key.name);
    ASSERT_EQ(StoreResource(env, key, list), kNoErr);
  }
  app->CAppl::OpenResourceEnvironment(&spec);
  EXPECT_NE(app->GetResourceEnv(), nullptr);
  app->CAppl::CreateFragmentSystem(nullptr);
  EXPECT_NE(app->GetFragmentSys(), nullptr);
  app->CAppl::DeleteFragmentSystem();
  app->CAppl::CloseResourceEnvironment();
  std::remove(path.c_str());
  EXPECT_EQ(Boxes(), 0u) << LastBox();

  app->CAppl::CreateFragmentSystem(nullptr);
  EXPECT_EQ(LastBox(), "The default fragment system cannot be created (no resource environment).");
  app->CAppl::Term();
}

TEST_F(AppTest, EnvironmentsOfInitAndTerm) {
  const uint32_t before = app->GetDataMemRecover()->GetCount();
  app->CAppl::Init(nullptr, nullptr, nullptr);
  EXPECT_EQ(app->GetDataMemRecover()->GetCount(), before + 2);
  EXPECT_EQ(app->GetObjectsMemRecover()->GetCount(), 1u);
  app->CAppl::Term();
  EXPECT_EQ(app->GetDataMemRecover()->GetCount(), before);
  EXPECT_EQ(app->GetObjectsMemRecover()->GetCount(), 0u);
}

TEST_F(AppTest, NestedLoops) {
  struct SPlan {
    TestApp* app;
    uint32_t beat = 0;
    std::vector<uint32_t> levels;
  } plan;
  plan.app = app;
  // Opens a nested loop inside a nested loop, quits inside the inner one, then ends them one by one.
  app->SubscribeHeartbeat(&plan, [](void* owner, void*, void*) -> int32_t {
    auto* p = static_cast<SPlan*>(owner);
    const uint32_t beat = ++p->beat;
    p->levels.push_back(p->app->GetNestingLevel());
    if (beat == 1) p->app->RunNestedLoop();
    if (beat == 2) p->app->RunNestedLoop();
    if (beat == 3) p->app->Quit();
    if (beat == 5) p->app->EndNestedLoop();
    if (beat == 7) p->app->EndNestedLoop();
    return 0;
  });
  app->Step();
  EXPECT_EQ(plan.levels, (std::vector<uint32_t>{0, 1, 2, 2, 2, 1, 1}));
  EXPECT_EQ(app->GetNestingLevel(), 0u);
  EXPECT_FALSE(app->IsRunning());
}

TEST_F(AppTest, ModalLevelNeedsAnActiveApplication) {
  app->BeginModal();
  EXPECT_TRUE(app->IsModalLevel(1));
  SendMessage(Main(), kWmActivateApp, 0, 0);
  EXPECT_FALSE(app->IsActive());
  EXPECT_FALSE(app->IsModalLevel(1));
  EXPECT_FALSE(app->IsModalLevel(0));
  SendMessage(Main(), kWmActivateApp, 1, 0);
  EXPECT_TRUE(app->IsModalLevel(1));
  app->EndModal();
  EXPECT_TRUE(app->IsModalLevel(0));
}

TEST_F(AppTest, HeartbeatCountsBroadcastsAndReportsErrors) {
  struct SSeen {
    std::vector<uint32_t> counts;
  } seen;
  ASSERT_TRUE(app->SubscribeHeartbeat(&seen, [](void* owner, void* record, void*) -> int32_t {
    auto* r = static_cast<SHeartbeatRecord*>(record);
    static_cast<SSeen*>(owner)->counts.push_back(r->count);
    EXPECT_EQ(r->reserved0 | r->reserved1 | r->reserved2, 0u);
    return r->count == 2 ? 9 : 0;
  }));
  EXPECT_TRUE(app->IsHeartbeatSubscriber(&seen));
  for (int i = 0; i < 3; ++i) app->Step();
  EXPECT_EQ(seen.counts, (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(app->GetHeartbeatCount(), 3u);
  ASSERT_FALSE(headless::ShownBoxes().empty());
  EXPECT_EQ(LastBox(), "An unexpected error has occurred (out of memory).");
  EXPECT_TRUE(app->UnsubscribeHeartbeat(&seen));
  EXPECT_FALSE(app->IsHeartbeatSubscriber(&seen));
}

TEST_F(AppTest, ReceiversSortOnlyWhenAPriorityChanges) {
  static std::vector<int> order;
  order.clear();
  int a = 1, b = 2;
  auto note = [](void* owner, void*, void*) -> int32_t {
    order.push_back(*static_cast<int*>(owner));
    return 0;
  };
  ASSERT_TRUE(app->AddReceiver(&a, note, 10));
  ASSERT_TRUE(app->AddReceiver(&b, note, 5));
  EXPECT_TRUE(app->AreReceiversUnsorted());
  app->BroadcastToReceivers(7, 0);
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  EXPECT_FALSE(app->AreReceiversUnsorted());
  EXPECT_TRUE(app->SetReceiverPriority(&a, 10));
  EXPECT_FALSE(app->AreReceiversUnsorted());
  EXPECT_TRUE(app->SetReceiverPriority(&a, 1));
  EXPECT_TRUE(app->AreReceiversUnsorted());
  int32_t priority = 0;
  EXPECT_TRUE(app->GetReceiverPriority(&a, &priority));
  EXPECT_EQ(priority, 1);
  EXPECT_FALSE(app->SetReceiverPriority(&order, 3));
  EXPECT_TRUE(app->RemoveReceiver(&a));
  EXPECT_FALSE(app->IsReceiver(&a));
  // b lives on this stack: the app's own end broadcasts too.
  EXPECT_TRUE(app->RemoveReceiver(&b));
}

}  // namespace
