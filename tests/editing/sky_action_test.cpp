// The sky action over the sky & fog editors' table, which presets/ registers in the program: here a
// stand-in table, or none.
#include "editing/sky_action.h"

#include <gtest/gtest.h>

#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

CSkyParams gState;
int gRefreshes = 0;
CSkyFogPalette* gRefreshed = nullptr;

constexpr SSkyEditors kStandIn = {
    [] { return gState; },
    [](CSkyParams params) { gState = params; },
    [](CSkyFogPalette* palette) {
      ++gRefreshes;
      gRefreshed = palette;
    },
};

class SkyActionTest : public SpoolAppTest {
 protected:
  void SetUp() override {
    SpoolAppTest::SetUp();
    gState = CSkyParams();
    gRefreshes = 0;
    gRefreshed = nullptr;
  }
  void TearDown() override {
    SetSkyEditors(nullptr);
    SpoolAppTest::TearDown();
  }
};

CSkyParams Haze(int32_t haze) {
  CSkyParams params;
  params.hazeIntensity = haze;
  params.skyMode = FourCC("cust");
  return params;
}

TEST_F(SkyActionTest, UndoAndRedoStoreTheRecordsThroughTheRegisteredEditors) {
  SetSkyEditors(&kStandIn);
  auto* palette = reinterpret_cast<CSkyFogPalette*>(&gState);  // passed on, never used here
  StoreSkyEditState(Haze(10));
  auto* action = new CSkyAction(palette);
  StoreSkyEditState(Haze(70));
  CUndoHistory history(4);
  ASSERT_EQ(history.Push(action), kNoErr);

  ASSERT_EQ(history.Undo(), kNoErr);
  EXPECT_EQ(GetSkyEditState().hazeIntensity, 10);
  EXPECT_EQ(GetSkyEditState().skyMode, FourCC("cust"));
  EXPECT_EQ(gRefreshes, 1);
  EXPECT_EQ(gRefreshed, palette);
  ASSERT_EQ(history.Redo(), kNoErr);
  EXPECT_EQ(GetSkyEditState().hazeIntensity, 70);
  EXPECT_EQ(gRefreshes, 2);
}

// Without the editors there is no edit state to store back: the step answers its code, stays as it
// was, and works once they are registered.
TEST_F(SkyActionTest, WithoutTheEditorsUndoAnswersNotImplementedAndChangesNothing) {
  ASSERT_EQ(GetSkyEditors(), nullptr);
  EXPECT_EQ(GetSkyEditState().hazeIntensity, 0);
  StoreSkyEditState(Haze(10));
  UpdateAndRedrawSkyFog(nullptr);
  EXPECT_EQ(GetSkyEditState().hazeIntensity, 0);

  gState = Haze(10);
  auto* action = new CSkyAction(nullptr);
  CUndoHistory history(4);
  ASSERT_EQ(history.Push(action), kNoErr);
  EXPECT_EQ(history.Undo(), kErrNotImplemented);
  EXPECT_FALSE(action->GetUndone());
  EXPECT_EQ(history.GetCurrentAction(), action);

  SetSkyEditors(&kStandIn);
  gState = Haze(70);
  ASSERT_EQ(history.Undo(), kNoErr);
  EXPECT_TRUE(action->GetUndone());
  EXPECT_EQ(gState.hazeIntensity, 0);  // what the action saw when made: no edit state
  SetSkyEditors(nullptr);
  EXPECT_EQ(history.Redo(), kErrNotImplemented);
  EXPECT_TRUE(action->GetUndone());
  EXPECT_EQ(gRefreshes, 1);
}

}  // namespace
