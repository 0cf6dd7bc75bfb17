// What intersections write for one ray, kept apart from the objects: the mesh mailbox, the span lists
// lent to boolean groups, and the blocks that objects hold through a render.
#include "scene/ray_scratch.h"

#include <gtest/gtest.h>

#include "framework/core/mem_pool.h"
#include "scene/render_hold.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

TEST(FaceMailbox, EachFaceIsTestedOnceAWalkAndAKeptHitIsTakenOnce) {
  CFaceMailbox mailbox;
  ASSERT_TRUE(mailbox.BeginWalk(4));
  EXPECT_TRUE(mailbox.FirstVisit(2));
  EXPECT_FALSE(mailbox.FirstVisit(2));
  double t = 0;
  vector3<double> point;
  EXPECT_FALSE(mailbox.TakeKept(2, t, point));
  ASSERT_TRUE(mailbox.Keep(2, 1.5, {1, 2, 3}));
  ASSERT_TRUE(mailbox.Keep(2, 2.5, {4, 5, 6}));  // kept again: the later hit waits
  EXPECT_TRUE(mailbox.TakeKept(2, t, point));
  EXPECT_EQ(t, 2.5);
  EXPECT_EQ(point, (vector3<double>{4, 5, 6}));
  EXPECT_FALSE(mailbox.TakeKept(2, t, point));
  // The next walk, over a larger mesh, starts with every face untested and nothing kept.
  ASSERT_TRUE(mailbox.Keep(2, 3.5, {0, 0, 0}));
  ASSERT_TRUE(mailbox.BeginWalk(9));
  EXPECT_FALSE(mailbox.TakeKept(2, t, point));
  EXPECT_TRUE(mailbox.FirstVisit(2));
  EXPECT_TRUE(mailbox.FirstVisit(8));
}

TEST(RayScratch, SpanLeasesNestAndKeepTheirListsInPlace) {
  CRayScratch scratch;
  CRayScratch::CSpanLease outer(scratch, 2);
  ASSERT_TRUE(outer.IsValid());
  outer[0].push_back(SSpanEntry{});
  CSpanList* first = &outer[0];
  {
    CRayScratch::CSpanLease inner(scratch, 40);
    ASSERT_TRUE(inner.IsValid());
    EXPECT_NE(&inner[0], &outer[0]);
    EXPECT_NE(&inner[0], &outer[1]);
    inner[0].push_back(SSpanEntry{});
  }
  EXPECT_EQ(&outer[0], first);
  EXPECT_EQ(outer[0].size(), 1u);
  // A later lease takes the inner one's lists again, emptied.
  CRayScratch::CSpanLease again(scratch, 1);
  EXPECT_TRUE(again[0].empty());
}

using RenderHold = SpoolAppTest;

// Holds nest, lock at the outermost begin and unlock at its end; blocks beyond three quarters of
// their pool are not held, and the render goes on without them.
TEST_F(RenderHold, TheOutermostRenderLocksWhatFitsItsShareOfThePool) {
  auto small = NewTable(DataEnv(), 16 * 1024);
  auto large = NewTable(DataEnv(), 200 * 1024);  // beyond 192 KB, three quarters of 256 KB
  CRenderHold held, unheld;
  EXPECT_TRUE(held.Begin({small.get()}));
  EXPECT_FALSE(held.Begin({small.get()}));
  EXPECT_TRUE(held.IsHeld());
  EXPECT_EQ(small->GetLockCount(), 1u);
  EXPECT_EQ(CRenderHold::HeldBytes(), small->GetSpooledBytes());
  EXPECT_TRUE(unheld.Begin({large.get()}));
  EXPECT_TRUE(unheld.IsRendering());
  EXPECT_FALSE(unheld.IsHeld());
  EXPECT_EQ(large->GetLockCount(), 0u);
  EXPECT_FALSE(held.End());
  EXPECT_EQ(small->GetLockCount(), 1u);
  EXPECT_TRUE(held.End());
  EXPECT_TRUE(unheld.End());
  EXPECT_EQ(small->GetLockCount(), 0u);
  EXPECT_FALSE(held.IsRendering());
  EXPECT_EQ(CRenderHold::HeldBytes(), 0u);
}

}  // namespace
