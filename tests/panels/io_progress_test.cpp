// The input/output progress dialog as the progress display drives it: built from system.dat, shown on
// the first update with the modal level raised, its bar drawn from the slider picture, its cancel
// button, and the display's throttled message pump.
#include "framework/core/io_progress.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "panels/io_progress.h"
#include "platform/clock.h"
#include "tests/panels/panels_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using namespace platform;

class IOProgressTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    SetIOProgressOwner(owner);
    ASSERT_EQ(SetUpIOProgress(), 0);
    dialog = static_cast<CIOProgress*>(GetIOProgressDialog());
    ASSERT_TRUE(dialog->IsReady());
    ASSERT_TRUE(app->AddReceiver(this, &IOProgressTest::Count, 0));
  }
  void TearDown() override {
    TearDownIOProgress();
    SetIOProgressOwner(nullptr);
    PanelsTest::TearDown();
  }
  WindowHandle Main() { return app->GetMainWindow(); }
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
  // A left press at the canvas point, as the window receives it.
  void PressAt(SPointHV canvas) { PostMessage(dialog->GetWindow(), kWmLButtonDown, 1, MakeLParam(canvas.h, canvas.v)); }
  SRect CancelRect() {
    SRect local, rect;
    dialog->GetCancel()->GetLocalRect(&local);
    dialog->GetCancel()->LocalToAncestorRect(&rect, local, nullptr);
    return rect;
  }
  static uint32_t Pixel(CImage* image, int32_t x, int32_t y) {
    CImNavigator cells(image, nullptr, false, false);
    return cells.IsUsable() ? cells.Cells(uint32_t(y))[x].value : 0xDEAD;
  }

  CIOProgress* dialog = nullptr;
  int seen = 0;
};

TEST_F(IOProgressTest, TheStatusReadsABlankAfterTheBuildAndTheDescriptionIsTheCaption) {
  ASSERT_EQ(dialog->BuildOnce(), 0);
  EXPECT_STREQ(dialog->GetStatus(), " ");
  EXPECT_EQ(dialog->GetPercent(), 0);
  ProgressBegin("Importing ", 0);
  EXPECT_STREQ(dialog->GetDescription(), "Importing ");  // no plug-in: the caption alone
}

TEST_F(IOProgressTest, TheFirstUpdateShowsItOneLevelUpAndTheEndPutsTheLevelBack) {
  const uint32_t before = owner->GetModalLevel();
  ProgressBegin("Importing ", 0);
  EXPECT_FALSE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(ProgressUpdate("reading", 3, 10), 0);
  EXPECT_TRUE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_STREQ(dialog->GetStatus(), "reading");
  EXPECT_EQ(dialog->GetPercent(), 30);
  EXPECT_EQ(owner->GetModalLevel(), before + 1);
  EXPECT_FALSE(dialog->IsStale());
  ProgressEnd();
  EXPECT_FALSE(IsWindowVisible(dialog->GetWindow()));
  EXPECT_EQ(owner->GetModalLevel(), before);
  // Begun again, the status and the bar start from nothing.
  ProgressBegin("Again", 0);
  EXPECT_STREQ(dialog->GetStatus(), " ");
  EXPECT_EQ(dialog->GetPercent(), 0);
}

// The bar shows the slider's left columns, as many as the percentage of its width, over what the bar
// held; a percentage beyond 0..100 is taken at the nearer end.
TEST_F(IOProgressTest, TheBarCopiesTheSlidersLeftColumnsInProportion) {
  ASSERT_EQ(dialog->BuildOnce(), 0);
  CImage* slider = dialog->GetSlider();
  const int32_t width = int32_t(slider->GetWidth()), height = int32_t(slider->GetHeight());
  struct SCase {
    int32_t percent;
    int32_t columns;
  } cases[] = {{0, 0}, {50, width / 2}, {33, int32_t(width * 0.33)}, {100, width}, {150, width}, {-5, 0}};
  for (const SCase& c : cases) {
    dialog->SetPercent(c.percent);
    int32_t err = 0;
    std::unique_ptr<CImage> port(NewDataImage(uint32_t(width + 4), uint32_t(height), &err));
    ASSERT_TRUE(port);
    port->Fill(0xFF123456);
    SRect local;
    dialog->GetBar()->GetLocalRect(&local);
    CSgStSaver placed(port.get(), local.left, local.top, true);
    EXPECT_EQ(CIOProgress::DrawBar(dialog->GetBar(), 1, port.get()), 0);
    int32_t copied = 0;
    for (int32_t x = 0; x < width + 4; ++x) {
      bool same = true;
      for (int32_t y = 0; y < height; ++y) {
        const uint32_t expected = x < c.columns ? Pixel(slider, x, y) : 0xFF123456;
        same = same && Pixel(port.get(), x, y) == expected;
      }
      if (same) ++copied;
    }
    EXPECT_EQ(copied, width + 4) << c.percent;
  }
}

// The half bar, written by the program's BMP writer, is ImageMagick's crop of the slider's source
// picture in its left half.
TEST_F(IOProgressTest, TheHalfBarMatchesImageMagicksCropOfTheSliderPicture) {
  ASSERT_EQ(dialog->BuildOnce(), 0);
  CImage* slider = dialog->GetSlider();
  const uint32_t width = slider->GetWidth(), height = slider->GetHeight();
  int32_t err = 0;
  std::unique_ptr<CImage> port(NewDataImage(width, height, &err));
  ASSERT_TRUE(port);
  port->Fill(0xFF000000);
  dialog->SetPercent(50);
  {
    SRect local;
    dialog->GetBar()->GetLocalRect(&local);
    CSgStSaver placed(port.get(), local.left, local.top, true);
    ASSERT_EQ(CIOProgress::DrawBar(dialog->GetBar(), 1, port.get()), 0);
  }
  CFileSpec bar;
  bar.Set((folder + "/bar.bmp").c_str());
  ASSERT_EQ(SaveImageAsBmp(bar, port.get(), true), 0);
  const std::string crop = std::to_string(width / 2) + "x" + std::to_string(height) + "+0+0";
  const SRun run = RunCommand("cd '" + folder + "' && convert bar.bmp -crop " + crop + " +repage a.png && convert '" +
                              QUARN2_SOURCE_DIR "/resources/system/io-progress-slider.png' -crop " + crop +
                              " +repage b.png && compare -metric AE a.png b.png null: 2>&1");
  EXPECT_EQ(run.out, "0");
}

TEST_F(IOProgressTest, APressOnTheCancelButtonsBorderCancelsOneBesideItDoesNothing) {
  Begin();
  const SRect cancel = CancelRect();
  PressAt({cancel.right + 1, cancel.bottom});
  EXPECT_EQ(PumpWhileBusy(), 0);
  EXPECT_TRUE(dialog->IsRunning());
  PressAt({cancel.right, cancel.bottom});
  EXPECT_EQ(PumpWhileBusy(), 24);
  EXPECT_FALSE(dialog->IsRunning());
  EXPECT_FALSE(IsWindowVisible(dialog->GetWindow()));
  ProgressEnd();
  ProgressBegin("Again", 0);
  ASSERT_EQ(ProgressUpdate("first", 0, 10), 0);
  PressAt({cancel.left, cancel.top});
  EXPECT_EQ(PumpWhileBusy(), 24);
}

// The cancel button's rectangle counts with its border: a press on any of its edges hides the dialog
// (26), a press a pixel beyond does nothing.
TEST_F(IOProgressTest, ThePressOnTheCancelButtonCountsItsBorder) {
  Begin();
  const SRect r = CancelRect();
  struct SCase {
    SPointHV at;
    int32_t answer;
  } cases[] = {{{r.left, r.top}, 26},      {{r.right, r.bottom}, 26}, {{r.right, r.top}, 26},
               {{r.left - 1, r.top}, 0},   {{r.right + 1, r.top}, 0}, {{r.left, r.bottom + 1}, 0},
               {{r.left, r.top - 1}, 0}};
  for (const SCase& c : cases) {
    dialog->ShowDialog();
    SWinEvent press;
    press.Init();
    const SPointHV screen = dialog->CanvasToScreen(c.at);
    press.x = screen.h;
    press.y = screen.v;
    EXPECT_EQ(dialog->OnPointerPress(press), c.answer) << c.at.h << "," << c.at.v;
    EXPECT_EQ(dialog->IsShown(), c.answer == 0) << c.at.h << "," << c.at.v;
  }
}

TEST_F(IOProgressTest, WithoutTheSliderPictureTheDialogIsNotReady) {
  CIOProgress without(owner, DataFile("docsetup.dat"));
  EXPECT_FALSE(without.IsReady());
}

TEST_F(IOProgressTest, RedrawsAtMostOncePerTickExceptAtTheEnds) {
  Begin();
  EXPECT_EQ(ProgressUpdate("same done", 0, 10), 0);
  EXPECT_STREQ(dialog->GetStatus(), "first");  // unchanged done: nothing
  ProgressUpdate("too soon", 4, 10);
  EXPECT_STREQ(dialog->GetStatus(), "first");
  AdvanceVirtualClock(17);
  ProgressUpdate("a tick later", 5, 10);
  EXPECT_STREQ(dialog->GetStatus(), "a tick later");
  EXPECT_EQ(dialog->GetPercent(), 50);
  ProgressUpdate("last", 10, 10);
  EXPECT_STREQ(dialog->GetStatus(), "last");
  EXPECT_EQ(dialog->GetPercent(), 100);
  ProgressUpdate("back to zero", 0, 10);
  EXPECT_STREQ(dialog->GetStatus(), "back to zero");
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
  EXPECT_STREQ(dialog->GetStatus(), "moved");
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

}  // namespace
