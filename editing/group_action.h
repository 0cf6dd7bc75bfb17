// The undoable making of a group from the selection: Undo takes the group out of the scene into a
// holding table and leaves its members selected; Redo puts it back and selects it alone. A group
// held when the action is deleted is freed with it.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/undoable_action.h"

class C3dBaseSys;
class C3dGroup;

class CGroupAction : public CUndoableAction {
 public:
  explicit CGroupAction(C3dGroup* group);
  ~CGroupAction() override;

  // The members selected beside what is selected, the last first; the group out of the selection
  // into the holding table (made on the first Undo); the scene parts looked up again. 0, 9 when the
  // holding table cannot be made, or the move's code.
  int32_t Undo() override;
  // The group back into the table it came from, the scene parts looked up again, the group selected
  // alone: 0 or the move's code.
  int32_t Redo() override;

  C3dGroup* GetGroup() const { return fGroup; }
  // Null until the first Undo.
  C3dBaseSys* GetHoldingTable() const { return fHolding.get(); }

 private:
  C3dGroup* fGroup = nullptr;
  C3dBaseSys* fOwner = nullptr;
  std::unique_ptr<C3dBaseSys> fHolding;
};
