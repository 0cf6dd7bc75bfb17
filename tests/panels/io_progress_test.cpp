#include "framework/core/io_progress.h"

#include <gtest/gtest.h>

#include "tests/framework/core/app_fixture.h"
#include "panels/io_progress.h"
#include "platform/clock.h"

namespace {

using namespace platform;

class IOProgressTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ShowMain();
    ASSERT_EQ(SetUpIOProgress(), 0);
    dialog = static_cast<CIOProgress*>(GetIOProgressDialog());
    ASSERT_TRUE(dialog->IsReady());
    ASSERT_TRUE(app->AddReceiver(this, &IOProgressTest::Count, 0));
  }
  void TearDown() override {
    TearDownIOProgress();
    AppTest::TearDown();
  }
  // Counts the messages that reached the main window's procedure.
  static int32_t Count(void* owner, void* record, void*) {
    if (static_cast<SReceiverRecord*>(record)->a == kEventOtherMessage + 0x400) ++static_cast<IOProgressTest*>(owner)->seen;
    return 0;
  }
  // The first update shows the dialog; the one after it is throttled. The clock starts a tick first,
  // so that the messages that showing the dialog pumps stay within that tick.
  void Begin() {
    AdvanceVirtualClock(50 - NowMs() % 50);
    ProgressBegin("Importing ", 0);
    ASSERT_EQ(ProgressUpdate("first", 0, 10), 0);
  }

  CIOProgress* dialog = nullptr;
  int seen = 0;
};

TEST_F(IOProgressTest, FirstUpdateShowsAtOnceAndEndHides) {
  ProgressBegin("Importing ", 0);
  EXPECT_EQ(dialog->GetDescription(), "Importing ");  // no plug-in: the caption alone
  EXPECT_FALSE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(ProgressUpdate("reading", 3, 10), 0);
  EXPECT_TRUE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(dialog->GetStatus(), "reading");
  EXPECT_EQ(dialog->GetPercent(), 30);
  EXPECT_EQ(CIOProgress::GetNesting(), 1u);
  ProgressEnd();
  EXPECT_FALSE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(CIOProgress::GetNesting(), 0u);
}

TEST_F(IOProgressTest, RedrawsAtMostOncePerTickExceptAtTheEnds) {
  Begin();
  EXPECT_EQ(ProgressUpdate("same done", 0, 10), 0);
  EXPECT_EQ(dialog->GetStatus(), "first");  // unchanged done: nothing
  ProgressUpdate("too soon", 4, 10);
  EXPECT_EQ(dialog->GetStatus(), "first");
  AdvanceVirtualClock(17);
  ProgressUpdate("a tick later", 5, 10);
  EXPECT_EQ(dialog->GetStatus(), "a tick later");
  EXPECT_EQ(dialog->GetPercent(), 50);
  ProgressUpdate("last", 10, 10);
  EXPECT_EQ(dialog->GetStatus(), "last");
  EXPECT_EQ(dialog->GetPercent(), 100);
  ProgressUpdate("back to zero", 0, 10);
  EXPECT_EQ(dialog->GetStatus(), "back to zero");
}

TEST_F(IOProgressTest, TotalZeroShowsAHundredPercent) {
  ProgressBegin("Saving", 0);
  ProgressUpdate("done", 0, 0);
  EXPECT_EQ(dialog->GetPercent(), 100);
}

TEST_F(IOProgressTest, PumpsAtMostEveryThirtyTicks) {
  Begin();
  AdvanceVirtualClock(1000);
  ProgressUpdate("pumped", 1, 10);  // restarts the pump timer
  PostMessage(Main(), 0x400, 0, 0);
  ProgressUpdate("not yet", 2, 10);
  EXPECT_EQ(seen, 0);
  AdvanceVirtualClock(30 * 1000 / 60 + 20);
  ProgressUpdate("now", 3, 10);
  EXPECT_EQ(seen, 1);
}

// A count that stands still redraws nothing, but the queue is served every thirty ticks all the same:
// a caller that reports the same count for a while still hears Escape.
TEST_F(IOProgressTest, AnUnchangedCountStillHearsTheCancel) {
  Begin();
  AdvanceVirtualClock(1000);
  ProgressUpdate("moved", 1, 10);  // restarts the pump timer
  AdvanceVirtualClock(30 * 1000 / 60 + 20);
  PostMessage(Main(), kWmKeyDown, kVkEscape, 1);
  EXPECT_EQ(ProgressUpdate("still", 1, 10), 24);
  EXPECT_EQ(dialog->GetStatus(), "moved");
}

TEST_F(IOProgressTest, EscapeCancelsOtherInputIsDropped) {
  Begin();
  PostMessage(Main(), kWmKeyDown, 'A', 1);
  PostMessage(Main(), kWmLButtonDown, 0, 0);
  PostMessage(Main(), 0x400, 0, 0);
  EXPECT_EQ(PumpWhileBusy(), 0);
  EXPECT_EQ(seen, 1);
  SMessage m;
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, false));
  PostMessage(Main(), kWmKeyDown, kVkEscape, 1);
  PostMessage(Main(), 0x400, 0, 0);
  EXPECT_EQ(PumpWhileBusy(), 24);
  EXPECT_TRUE(PeekMessage(&m, nullptr, 0x400, 0x400, false));  // the rest waits
}

TEST_F(IOProgressTest, ClickInTheDialogCancels) {
  Begin();
  PostMessage(dialog->GetWindow(), kWmLButtonDown, 1, MakeLParam(10, 10));
  EXPECT_EQ(PumpWhileBusy(), 24);
  EXPECT_FALSE(dialog->IsRunning());
  ProgressBegin("Again", 0);
  EXPECT_TRUE(dialog->IsRunning());
}

}  // namespace
