// The undoable change of tori's radii: each torus's ring and tube radius before the change, and from
// the first Undo on as the change left them, so that Redo gives every torus back its own.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dTorus;

struct UUndoTorusData {
  double ring = 0;
  double tube = 0;
};

class CTorusAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Invalid when its tables cannot be made.
  CTorusAction();

  // before: lists the torus with its radii as they are now; otherwise the radii go to the after
  // table. 0; 9 when a table cannot grow.
  int32_t AddObject(C3dTorus* torus, bool before = true);

  // Each usable torus back to its radii from before, its box with them; the first Undo keeps each
  // one's radii as they were.
  int32_t Undo() override;
  int32_t Redo() override;

  const CDynTable<C3dTorus*>& GetTori() const { return fTori; }

 private:
  void Apply(const CDynTable<UUndoTorusData>& states);

  CDynTable<C3dTorus*> fTori;
  CDynTable<UUndoTorusData> fBefore;
  CDynTable<UUndoTorusData> fAfter;
  uint8_t fAfterCaptured = 0;
};
