// The undoable deletion of scene objects: the objects leave the scene into a holding table that the
// action owns, and are freed only when the action is deleted while it still holds them. Undo puts
// them back and selects them; Redo takes them out again.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dBaseSys;
class C3dObject;

class CDeleteAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // owner: the scene table the objects come from and that Undo returns them to. Invalid when the
  // holding table cannot be made.
  explicit CDeleteAction(C3dBaseSys* owner);
  // Frees the objects it still holds, the last added first; objects back in the scene stay.
  ~CDeleteAction() override;

  // Moves the object from its table into the holding table, clears its selected bit and keeps it.
  // False for no object or one that cannot be moved; false also when the kept list cannot grow, the
  // object then freed with the holding table.
  bool AddObject(C3dObject* object);

  // The held objects back into the owner table with their ids, the scene parts looked up again, and
  // those without a parent group selected, the first alone: 0 or the move's code.
  int32_t Undo() override;
  // The kept objects out of the selection and into the holding table again; when the one object was
  // a group (an ungrouping), its members are selected instead, the first alone.
  int32_t Redo() override;

  C3dBaseSys* GetOwnerTable() const { return fOwner; }
  // The holding table, null when it could not be made.
  C3dBaseSys* GetHoldingTable() const { return fHolding.get(); }
  // The objects kept, in the order they were added.
  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }

 private:
  std::unique_ptr<C3dBaseSys> fHolding;
  C3dBaseSys* fOwner = nullptr;
  CDynTable<C3dObject*> fObjects;
};
