#include <gtest/gtest.h>

#include <vector>

#include "app_fixture.h"

namespace {

using namespace platform;

// Records every framework event that reaches the Receivers table.
class EventsTest : public AppTest {
 protected:
  struct SEvent {
    uint32_t event;
    uint32_t key;
    int32_t x, y;
  };
  void SetUp() override {
    AppTest::SetUp();
    ShowMain();
    ASSERT_TRUE(app->AddReceiver(this, &EventsTest::Receive, 0));
  }
  static int32_t Receive(void* owner, void* record, void*) {
    auto* self = static_cast<EventsTest*>(owner);
    auto* r = static_cast<SReceiverRecord*>(record);
    const auto* e = reinterpret_cast<const SWinEvent*>(r->b);
    if (r->a >= kEventOtherMessage) {
      self->others.push_back(r->a);
      return 0;
    }
    self->events.push_back({r->a, e->key, e->x, e->y});
    return self->take;
  }
  std::vector<uint32_t> Keys() const {
    std::vector<uint32_t> keys;
    for (const SEvent& e : events) {
      if (e.event == kEventKey) keys.push_back(e.key);
    }
    return keys;
  }
  std::vector<SEvent> events;
  std::vector<uint32_t> others;
  int32_t take = 0;
};

TEST_F(EventsTest, PlainKeyWaitsForItsCharacter) {
  Script("key 0x41\nwait 20\nkeyup 0x41\n");
  RunScript();
  EXPECT_EQ(Keys(), (std::vector<uint32_t>{'a'}));
}

TEST_F(EventsTest, ControlKeyIsAnEventAndItsCharacterComesOnlyWhenNotTaken) {
  Script("key 17\nwait 5\nkey A\nwait 50\nkeyup A\nkeyup 17\n");
  RunScript();
  // Ctrl itself is a key without a character, so it is an event too.
  EXPECT_EQ(Keys(), (std::vector<uint32_t>{kVkControl, 'A', 0x01}));

  events.clear();
  take = 1;
  Script("key 17\nwait 5\nkey A\nwait 50\nkeyup A\nkeyup 17\n");
  RunScript();
  EXPECT_EQ(Keys(), (std::vector<uint32_t>{kVkControl, 'A'}));
}

TEST_F(EventsTest, AltAloneDoesNothing) {
  EXPECT_EQ(SendMessage(Main(), kWmSysKeyDown, kVkMenu, 0), 0);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(others.empty());
}

TEST_F(EventsTest, WindowProcedureAnswers) {
  // The caption strip hit-tests as client area.
  EXPECT_EQ(SendMessage(Main(), kWmNcHitTest, 0, MakeLParam(20, 5)), kHitClient);
  EXPECT_EQ(DefWindowProc(Main(), kWmNcHitTest, 0, MakeLParam(20, 5)), kHitCaption);
  EXPECT_EQ(SendMessage(Main(), kWmSetCursor, 0, MakeLParam(kHitClient, 0)), 1);
  EXPECT_EQ(SendMessage(Main(), kWmMouseActivate, 0, 0), kMaNoActivate);
  SendMessage(Main(), kWmActivateApp, 0, 0);
  SetForegroundWindow(nullptr);
  EXPECT_EQ(SendMessage(Main(), kWmMouseActivate, 0, 0), kMaNoActivateAndEat);
  EXPECT_EQ(GetForegroundWindow(), Main());
  EXPECT_EQ(SendMessage(Main(), kWmSysCommand, kScMove, 0), 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, kEventDeactivated);
}

TEST_F(EventsTest, PressAtNegativeClientPointBroadcastsItsScreenPoint) {
  PostMessage(Main(), kWmLButtonDown, 1, MakeLParam(-5, -7));
  app->Pump();
  ASSERT_EQ(events.size(), 1u);
  const SPoint origin = ClientToScreen(Main(), {0, 0});
  EXPECT_EQ(events[0].event, kEventMouseDown);
  EXPECT_EQ(events[0].x, origin.x - 5);
  EXPECT_EQ(events[0].y, origin.y - 7);
}

TEST_F(EventsTest, OtherMessagesReachTheReceivers) {
  PostMessage(Main(), 0x400, 0, 0);
  app->Pump();
  EXPECT_EQ(others, (std::vector<uint32_t>{0x2000400}));
}

TEST_F(AppTest, ControlQEndsTheRun) {
  ShowMain();
  app->skipResources = true;
  app->stepsBeforeQuit = 100000;
  Script("key 17\nwait 5\nkey Q\nwait 50\nkeyup Q\nkeyup 17\n");
  app->Run();
  EXPECT_TRUE(app->HasStarted());
  EXPECT_LT(app->steps, 1000u);
}

TEST_F(AppTest, AutoHideFollowsThePointerAtEachHeartbeat) {
  ShowMain();
  app->SetMenuBarAutoHide(true);
  Script("move 300 5\n");
  RunScript();
  app->Heartbeat(false);
  EXPECT_FALSE(app->IsMenuBarHidden());
  Script(("move 300 " + std::to_string(app->GetMenuBarHeight()) + "\n").c_str());
  RunScript();
  app->Heartbeat(false);
  EXPECT_TRUE(app->IsMenuBarHidden());
}

TEST_F(EventsTest, WaitClickEndsAtTheNextClickWithoutAnEvent) {
  Script("move 200 300\nwait 30\ndown left\nwait 5\nup left\n");
  app->WaitClick(true, true, false);
  EXPECT_FALSE(app->IsWaitingForClick());
  for (const SEvent& e : events) EXPECT_NE(e.event, kEventMouseDown);
}

TEST_F(AppTest, UserInterruptSeesPressesAndKeepsCharacters) {
  ShowMain();
  EXPECT_FALSE(app->IsUserInterrupt());
  PostMessage(Main(), kWmChar, 'x', 0);
  PostMessage(Main(), kWmKeyUp, 'X', 0);
  EXPECT_FALSE(app->IsUserInterrupt());
  EXPECT_FALSE(app->IsKeyPending());
  SMessage m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, kWmChar, kWmChar, false));
  EXPECT_FALSE(PeekMessage(&m, nullptr, kWmKeyUp, kWmKeyUp, false));
  PostMessage(Main(), kWmKeyDown, 'X', 0);
  EXPECT_TRUE(app->IsUserInterrupt());
  EXPECT_TRUE(app->IsKeyPending());
  app->FlushInput();
  EXPECT_FALSE(PeekMessage(&m, nullptr, kWmKeyFirst, kWmKeyLast, false));
  PostMessage(Main(), kWmRButtonDown, 0, 0);
  EXPECT_TRUE(app->IsUserInterrupt());
  EXPECT_FALSE(app->IsClickPending());
  app->FlushInput();
}

}  // namespace
