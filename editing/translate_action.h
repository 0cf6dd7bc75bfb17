// The undoable move of objects by one vector: Undo moves them back, Redo moves them again. Objects
// whose transform is locked stay where they are both ways.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"
#include "framework/core/vector3.h"

class C3dObject;

class CTranslateAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Keeps its own copy of the list; invalid when the copy cannot be made.
  CTranslateAction(const vector3<double>& offset, const CDynTable<C3dObject*>& objects);

  int32_t Undo() override;
  int32_t Redo() override;

  const vector3<double>& GetOffset() const { return fOffset; }
  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }

 private:
  void MoveAll(const vector3<double>& offset);

  vector3<double> fOffset;
  CDynTable<C3dObject*> fObjects;
};
