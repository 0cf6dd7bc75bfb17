// The undoable change of objects' transforms: each listed object's transform, decomposed into size,
// shear, rotation and position, before the change, and after it once the first Undo captured it.
// Groups given to it bring their members along, so that undoing a group's change restores every
// member and the group's box.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"
#include "framework/core/matrix34.h"

class C3dObject;
class CSelection;

class CMatrixAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;
  using SDecomposition = C34Matrix::S34Decomp;

  // Invalid when its tables cannot be made.
  CMatrixAction();
  // An action holding every selected object's transform as it is now, groups with their members;
  // null when it cannot be made or cannot take an object. The caller decides what to do without one.
  static std::unique_ptr<CMatrixAction> OfSelection(CSelection& selection);

  // before: lists the object, a group's members first (the last member first, at every depth), with
  // its transform as it is now; otherwise the transform goes to the after table alone. 0; 9 when a
  // table cannot grow.
  int32_t AddObject(C3dObject* object, bool before = true);

  // Each listed object back to its transform before the change, the first Undo keeping the one it
  // replaces; then the boxes of the listed groups recomputed. 0; 9 when memory fails.
  int32_t Undo() override;
  // Each listed object to the transform the first Undo found.
  int32_t Redo() override;

  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }
  // The object's placement decomposed, recomposed first when its vectors changed.
  static SDecomposition Decompose(C3dObject* object);

 private:
  int32_t Apply(const CDynTable<SDecomposition>& states, bool captureAfter);

  CDynTable<C3dObject*> fObjects;
  CDynTable<SDecomposition> fBefore;
  CDynTable<SDecomposition> fAfter;
  uint8_t fAfterCaptured = 0;
};
