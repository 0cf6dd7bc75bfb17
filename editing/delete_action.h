// The undoable deletion of scene objects: the objects leave the scene into a holding table that the
// action owns, and are freed only when the action is deleted while it still holds them.
//
// Placeholder until the undoable actions are built: AddObject moves the object into the holding
// table, which the action frees with itself; Undo and Redo answer 27.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/dyn_table.h"
#include "editing/undoable_action.h"

class C3dBaseSys;
class C3dObject;

class CDeleteAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // owner: the scene table the objects come from and that Undo returns them to. Invalid when the
  // holding table cannot be made.
  explicit CDeleteAction(C3dBaseSys* owner);
  // Frees the objects it still holds, the last added first.
  ~CDeleteAction() override;

  // Moves the object from its table into the holding table, clears its selected bit and keeps it.
  // False for no object or one that cannot be moved; false also when the kept list cannot grow, the
  // object then freed with the holding table.
  bool AddObject(C3dObject* object);

  int32_t Undo() override;
  int32_t Redo() override;

  C3dBaseSys* GetOwnerTable() const { return fOwner; }
  // The holding table, null when it could not be made.
  C3dBaseSys* GetHoldingTable() const { return fHolding.get(); }
  // The objects held, in the order they were added.
  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }

 private:
  std::unique_ptr<C3dBaseSys> fHolding;
  C3dBaseSys* fOwner = nullptr;
  CDynTable<C3dObject*> fObjects;
  uint8_t fUndoneOnce = 0;
};
