// The interface's cursor functions over the headless back end, which counts its cursor calls.
#include <gtest/gtest.h>

#include <string>

#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/canvas.h"
#include "platform/headless.h"
#include "tests/framework/core/resource_fixture.h"
#include "tests/framework/image/image_fixture.h"

namespace {

using platform::headless::CursorDescription;
using platform::headless::CursorSetCount;

class CursorTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    SetAppCursor(0, false);
  }
  // The application's resources, with a 4 × 3 "cursor 124" picture whose origin is (2, 1) when asked.
  void OpenResources(bool withPicture) {
    {
      auto env = Open("system.dat");
      if (withPicture) {
        SGridLayout grid;
        MakeImageGridSpec(grid, env.get(), 4, 3);
        int32_t error = 0;
        auto image = NewResourceImage(*env, Key(kImageType, 124, "cursor 124"), grid, &error);
        ASSERT_NE(image, nullptr) << error;
        image->SetOrigin(2, 1);
        ASSERT_TRUE(image->Fill(0xFF000000));
        ASSERT_TRUE(image->Unsubscribe());
      }
    }
    const CFileSpec spec = Spec("system.dat");
    app->CAppl::OpenResourceEnvironment(&spec);
    ASSERT_NE(app->GetResourceEnv(), nullptr);
  }
  static std::string Current() { return CursorDescription(platform::GetCursor()); }
};

TEST_F(CursorTest, NumbersGiveTheSystemCursorsAndTheProgramsShapes) {
  OpenResources(false);
  struct SCase {
    uint32_t id;
    const char* cursor;
  } cases[] = {{1, "wait"}, {2, "ibeam"}, {124, "shape 124"}, {107, "shape 107"}};
  for (const SCase& c : cases) {
    SetAppCursor(c.id, false);
    EXPECT_EQ(Current(), c.cursor) << c.id;
  }
  // A number without a cursor is remembered but sets nothing.
  const uint32_t calls = CursorSetCount();
  SetAppCursor(109, false);
  EXPECT_EQ(CursorSetCount(), calls);
  EXPECT_EQ(Current(), "shape 107");
}

TEST_F(CursorTest, AProgramPictureIsTheCursorOfItsNumberWithItsOriginAsHotSpot) {
  OpenResources(true);
  SetAppCursor(124, false);
  EXPECT_EQ(Current(), "picture cursor 124 hot 2,1");
}

TEST_F(CursorTest, TheSameCursorAgainMakesNoCallUnlessTheBusyCursorShows) {
  OpenResources(false);
  SetAppCursor(124, false);
  uint32_t calls = CursorSetCount();
  SetAppCursor(124, false);
  EXPECT_EQ(CursorSetCount(), calls);

  app->SetBusyCursor();
  calls = CursorSetCount();
  SetAppCursor(124, false);
  EXPECT_FALSE(app->IsBusyCursor());
  EXPECT_EQ(CursorSetCount(), calls + 2);  // the arrow, then the move cursor again
  EXPECT_EQ(Current(), "shape 124");
}

TEST_F(CursorTest, NoCursorSetsTheArrowAndForgetsBothRequests) {
  OpenResources(false);
  for (int way = 0; way < 2; ++way) {
    SetAppCursor(124, false);
    SetAppCursorByName("busy", false);
    if (way == 0) SetAppCursor(0, false);
    else SetAppCursorByName("", false);
    EXPECT_EQ(Current(), "arrow");
    const uint32_t calls = CursorSetCount();
    SetAppCursor(124, false);
    EXPECT_EQ(CursorSetCount(), calls + 1) << way;
  }
}

TEST_F(CursorTest, ShowingBringsAHiddenCursorBackEvenWithoutACursor) {
  OpenResources(false);
  app->HideCursor();
  SetAppCursorByName("nothing of this name", true);
  EXPECT_FALSE(app->IsCursorHidden());
  app->HideCursor();
  SetAppCursorByName(std::string(300, 'x').c_str(), true);
  EXPECT_FALSE(app->IsCursorHidden());
  EXPECT_EQ(Current(), "arrow");
}

TEST_F(CursorTest, ThePointerMovesWhereItIsSent) {
  SetCursorPosition(300, 200);
  const platform::SPoint p = platform::GetCursorPos();
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 200);
}

}  // namespace
