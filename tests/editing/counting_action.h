// An action that only counts what the undo history asks of it, answering a result the test chooses.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"

struct SActionCounts {
  int undos = 0;
  int redos = 0;
  int deletions = 0;
};

class CCountingAction : public CUndoableAction {
 public:
  explicit CCountingAction(SActionCounts* counts) : fCounts(counts) {}
  ~CCountingAction() override { ++fCounts->deletions; }

  int32_t Undo() override {
    ++fCounts->undos;
    return undoResult;
  }
  int32_t Redo() override {
    ++fCounts->redos;
    return redoResult;
  }

  int32_t undoResult = 0;
  int32_t redoResult = 0;

 private:
  SActionCounts* fCounts;
};
