#include "editing/undo_history.h"

#include <gtest/gtest.h>

#include "platform/alloc.h"
#include "platform/system.h"
#include "tests/editing/counting_action.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

class UndoHistoryTest : public SpoolAppTest {};

// One step on a ring of one slot holding at most the actions A and B, and what follows from it.
struct SRingStep {
  const char* what;
  char op;  // 'A', 'B': push a new action of that name; 'u' Undo; 'r' Redo; 'c' Clear
  bool beeps;
  int aUndone;  // -1: A is not in the ring
  int aUndos, aRedos, aDeletions;
  int bDeletions;
};

TEST_F(UndoHistoryTest, ARingOfOneSlotUndoesAndRedoesTheLastActionOnce) {
  const SRingStep steps[] = {
      {"undo on an empty ring", 'u', true, -1, 0, 0, 0, 0},
      {"redo on an empty ring", 'r', true, -1, 0, 0, 0, 0},
      {"push A", 'A', false, 0, 0, 0, 0, 0},
      {"redo while A is done", 'r', true, 0, 0, 0, 0, 0},
      {"undo A", 'u', false, 1, 1, 0, 0, 0},
      {"undo again changes nothing", 'u', true, 1, 1, 0, 0, 0},
      {"redo A", 'r', false, 0, 1, 1, 0, 0},
      {"redo again changes nothing", 'r', true, 0, 1, 1, 0, 0},
      {"undo A once more", 'u', false, 1, 2, 1, 0, 0},
      {"push B after the undo deletes A", 'B', false, -1, 2, 1, 1, 0},
      {"nothing undone to redo", 'r', true, -1, 2, 1, 1, 0},
      {"clear deletes B", 'c', false, -1, 2, 1, 1, 1},
      {"undo after clear", 'u', true, -1, 2, 1, 1, 1},
  };
  SActionCounts a, b;
  CCountingAction* actionA = nullptr;
  CUndoHistory ring(1);
  for (const SRingStep& step : steps) {
    const uint32_t beeps = platform::BeepCount();
    int32_t result = -1;
    switch (step.op) {
      case 'A':
        actionA = new CCountingAction(&a);
        result = ring.Push(actionA);
        break;
      case 'B':
        result = ring.Push(new CCountingAction(&b));
        break;
      case 'u':
        result = ring.Undo();
        break;
      case 'r':
        result = ring.Redo();
        break;
      case 'c':
        result = ring.Clear();
        break;
    }
    EXPECT_EQ(result, 0) << step.what;
    EXPECT_EQ(platform::BeepCount() - beeps, step.beeps ? 1u : 0u) << step.what;
    if (step.aUndone >= 0) {
      EXPECT_EQ(ring.GetCurrentAction(), actionA) << step.what;
      EXPECT_EQ(actionA->GetUndone(), step.aUndone) << step.what;
    }
    EXPECT_EQ(a.undos, step.aUndos) << step.what;
    EXPECT_EQ(a.redos, step.aRedos) << step.what;
    EXPECT_EQ(a.deletions, step.aDeletions) << step.what;
    EXPECT_EQ(b.deletions, step.bDeletions) << step.what;
    EXPECT_EQ(ring.GetHead(), 0u) << step.what;
    EXPECT_EQ(ring.GetCurrent(), 0u) << step.what;
  }
  EXPECT_EQ(ring.GetCurrentAction(), nullptr);
  EXPECT_EQ(ring.GetCapacity(), 1u);
}

TEST_F(UndoHistoryTest, AFailingActionPassesItsCodeOnAndStaysAsItWas) {
  SActionCounts counts;
  CUndoHistory ring(1);
  auto* action = new CCountingAction(&counts);
  ASSERT_EQ(ring.Push(action), 0);
  action->undoResult = 6;
  EXPECT_EQ(ring.Undo(), 6);
  EXPECT_EQ(action->GetUndone(), 0);
  action->undoResult = 0;
  ASSERT_EQ(ring.Undo(), 0);
  action->redoResult = 9;
  EXPECT_EQ(ring.Redo(), 9);
  EXPECT_EQ(action->GetUndone(), 1);
  EXPECT_EQ(counts.undos, 2);
  EXPECT_EQ(counts.redos, 1);
}

TEST_F(UndoHistoryTest, ARingWithoutSlotStorageAnswersOutOfMemory) {
  for (const bool failedAllocation : {false, true}) {
    // The pool asks for memory twice before it gives up.
    if (failedAllocation) platform::FailNextAllocations(2);
    CUndoHistory ring(failedAllocation ? 1 : 0);
    const uint32_t beeps = platform::BeepCount();
    EXPECT_EQ(ring.Undo(), 9) << failedAllocation;
    EXPECT_EQ(ring.Redo(), 9) << failedAllocation;
    // The ring took the action over: it is not lost, and not kept.
    SActionCounts counts;
    EXPECT_EQ(ring.Push(new CCountingAction(&counts)), 9) << failedAllocation;
    EXPECT_EQ(counts.deletions, 1) << failedAllocation;
    EXPECT_EQ(ring.GetCurrentAction(), nullptr) << failedAllocation;
    EXPECT_EQ(platform::BeepCount(), beeps) << failedAllocation;
  }
}

TEST_F(UndoHistoryTest, TheRingDeletesWhatItHoldsWithItself) {
  SActionCounts counts;
  {
    CUndoHistory ring(1);
    ASSERT_EQ(ring.Push(new CCountingAction(&counts)), 0);
    ASSERT_EQ(ring.Undo(), 0);
  }
  EXPECT_EQ(counts.deletions, 1);
}

// Larger rings are never built by the program; they step back through the actions, and an edit
// pushed after undoing drops what could have been redone.
TEST_F(UndoHistoryTest, ALargerRingStepsBackAndAPushDropsTheUndoneActions) {
  SActionCounts a, b, c, d;
  CUndoHistory ring(3);
  auto* first = new CCountingAction(&a);
  ASSERT_EQ(ring.Push(first), 0);
  ASSERT_EQ(ring.Push(new CCountingAction(&b)), 0);
  ASSERT_EQ(ring.Push(new CCountingAction(&c)), 0);
  ASSERT_EQ(ring.Undo(), 0);
  ASSERT_EQ(ring.Undo(), 0);
  EXPECT_EQ(c.undos, 1);
  EXPECT_EQ(b.undos, 1);
  ASSERT_EQ(ring.Redo(), 0);
  EXPECT_EQ(b.redos, 1);
  ASSERT_EQ(ring.Undo(), 0);
  EXPECT_EQ(b.undos, 2);
  ASSERT_EQ(ring.Push(new CCountingAction(&d)), 0);
  EXPECT_EQ(b.deletions, 1);
  EXPECT_EQ(c.deletions, 1);
  EXPECT_EQ(a.deletions, 0);
  const uint32_t beeps = platform::BeepCount();
  EXPECT_EQ(ring.Redo(), 0);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  ASSERT_EQ(ring.Undo(), 0);
  ASSERT_EQ(ring.Undo(), 0);
  EXPECT_EQ(d.undos, 1);
  EXPECT_EQ(a.undos, 1);
  EXPECT_EQ(first->GetUndone(), 1);
}

}  // namespace
