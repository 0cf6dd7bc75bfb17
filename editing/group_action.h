// The undoable making of a group from the selection: Undo takes the group out of the scene into a
// holding table and leaves its members selected; Redo puts it back and selects it alone.
//
// Placeholder until the undoable actions are built: it keeps its group, and Undo and Redo answer 27.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"

class C3dGroup;

class CGroupAction : public CUndoableAction {
 public:
  explicit CGroupAction(C3dGroup* group);

  int32_t Undo() override;
  int32_t Redo() override;

  C3dGroup* GetGroup() const { return fGroup; }

 private:
  C3dGroup* fGroup = nullptr;
};
