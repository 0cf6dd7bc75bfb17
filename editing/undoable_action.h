// The base of every undoable edit: an action records what an edit changed so that the undo history
// can take it back and apply it again. Each action answers its own Undo while done and its own Redo
// while undone; the other call does nothing and answers 0.
#pragma once

#include <cstdint>

class CUndoableAction {
 public:
  CUndoableAction() = default;
  // Clears the valid byte, so that an action reached after its deletion reads as unusable.
  virtual ~CUndoableAction();
  CUndoableAction(const CUndoableAction&) = delete;
  CUndoableAction& operator=(const CUndoableAction&) = delete;

  // False when a derived constructor could not build what the action needs.
  bool IsValid() const { return fValid != 0; }
  // 1 while the action's effect is taken back.
  uint8_t GetUndone() const { return fUndone; }
  void SetUndone(bool undone) { fUndone = undone ? 1 : 0; }

  // 0 or the result code of the step that failed.
  virtual int32_t Undo() = 0;
  virtual int32_t Redo() = 0;

 protected:
  void SetValid(bool valid) { fValid = valid ? 1 : 0; }

 private:
  uint8_t fUndone = 0;
  uint8_t fValid = 1;
};
