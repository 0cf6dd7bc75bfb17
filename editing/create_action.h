// The undoable creation of scene objects: the creating code lists each object it made. Undo takes
// them out of the scene into a holding table that the action owns; Redo puts them back selected.
// Objects held when the action is deleted are freed with it.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dBaseSys;
class C3dObject;

class CCreateAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // owner: the scene table the objects were created in.
  explicit CCreateAction(C3dBaseSys* owner);
  // Frees the objects it still holds, the last first; objects in the scene stay.
  ~CCreateAction() override;

  // Lists a created object; false when the list cannot grow.
  bool AddObject(C3dObject* object);
  // Takes the last listed object off the list again, for a creation that was taken back before the
  // action was done; the object itself is not touched.
  void ForgetLastObject();

  // Each created object out of the selection and into the holding table (made on the first Undo),
  // then the scene parts looked up again: 0, 9 when the holding table cannot be made, or the first
  // move's code.
  int32_t Undo() override;
  // The objects back into the owner table with their ids, the scene parts looked up again, and those
  // without a parent group selected, the first alone: 0, 9 without a holding or owner table, or the move's code.
  int32_t Redo() override;

  C3dBaseSys* GetOwnerTable() const { return fOwner; }
  // Null until the first Undo.
  C3dBaseSys* GetHoldingTable() const { return fHolding.get(); }
  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }

 private:
  C3dBaseSys* fOwner = nullptr;
  CDynTable<C3dObject*> fObjects;
  std::unique_ptr<C3dBaseSys> fHolding;
};
