// The glow tracker of a palette's hot button: when a pulse step is due, and which entry a button
// shows again when it stops being hot.
#include "framework/ui/glow_step.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

constexpr int64_t kTickMs = 1000 / 60 + 1;

class GlowTracker : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    PutSolidPicture(1, "plain", 10, 10, 0xFF000000);
    PutSolidPicture(2, "lit", 10, 10, 0xFFFFFFFF);
    PutSolidPicture(3, "pressed", 10, 10, 0xFF00FF00);
  }
  // A button whose own list holds the three pictures, showing entry `entry`.
  CImElement* Button(uint32_t number, uint32_t entry) {
    Put("ixim", number, "", "0 number 1 file\n1 number 2 file\n2 number 3 file\n");
    Put("elem", number, "", "rect 0 0 10 10\nflags 1\n");
    Put("imel", number, "", "list " + std::to_string(number) + "\nentry " + std::to_string(entry) + "\nflags 0x4800\n");
    CImElement* element = nullptr;
    EXPECT_EQ(CImElement::CreateByNumber(&element, env.get(), number), kNoErr) << number << " " << entry;
    return element ? Add(*root, element) : nullptr;
  }
  static CImage* Entry(CImElement* button, uint32_t entry) { return button->GetImageList()->ImageAt(entry); }
  static inline uint32_t gStoredState = 0;
  static uint32_t StoredState(const CElement*) { return gStoredState; }
};

TEST_F(GlowTracker, APulseStepIsDueAfterASecondOfRestThenEveryTwoTicks) {
  CGlowTracker tracker;
  CImElement* button = Button(10, 0);
  ASSERT_NE(button, nullptr);
  tracker.MakeHot(button);
  EXPECT_EQ(tracker.GetHotButton(), button);
  EXPECT_FALSE(tracker.IsPulseDue()) << "the hover has just begun";
  platform::SleepMs(61 * kTickMs);
  EXPECT_TRUE(tracker.IsPulseDue()) << "no step yet: the pulse timer reads as expired";
  ASSERT_EQ(tracker.Track(button, 1), kNoErr);
  EXPECT_FALSE(tracker.IsPulseDue()) << "a step was just shown";
  platform::SleepMs(3 * kTickMs);
  EXPECT_TRUE(tracker.IsPulseDue());
  // Becoming hot again starts the hover over.
  tracker.MakeHot(button);
  EXPECT_FALSE(tracker.IsPulseDue());
  tracker.DropHot();
}

TEST_F(GlowTracker, LeavingShowsTheStateEntryAlthoughTheGlowSelectedEntryZero) {
  struct SCase {
    bool stored;     // the tracker is told each button's state
    uint32_t shown;  // the entry shown after the button stops being hot
  } cases[] = {{true, 2}, {false, 0}};
  uint32_t number = 10;
  for (const SCase& c : cases) {
    CGlowTracker tracker(c.stored ? &StoredState : nullptr);
    gStoredState = 2;
    CImElement* button = Button(number++, 2);
    CImElement* other = Button(number++, 0);
    ASSERT_TRUE(button && other);
    tracker.MakeHot(button);
    ASSERT_EQ(tracker.Track(button, 1), kNoErr);
    EXPECT_NE(button->GetImage(), Entry(button, 2)) << "the blend is on show";
    // The next hot button takes the first one's highlight away.
    tracker.MakeHot(other);
    EXPECT_EQ(button->GetImage(), Entry(button, c.shown)) << c.stored;
    tracker.DropHot();
    EXPECT_EQ(tracker.GetHotButton(), nullptr);
    EXPECT_EQ(other->GetImage(), Entry(other, c.stored ? 2 : 0));
  }
}

}  // namespace
