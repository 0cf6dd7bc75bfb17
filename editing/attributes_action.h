// The undoable change of objects' attributes, which the attributes dialog makes together with their
// transforms: the boolean roles, the locked bit and the show-as-box bit of each object (a group's
// members with it) and its transform, before the change and, from the first Undo on, after it.
// Undo takes back the transform first, then the attributes.
#pragma once

#include <cstdint>

#include "editing/matrix_action.h"
#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dObject;

// One byte each, 0 or 1.
struct UUndoAttributesData {
  uint8_t positive = 0;   // second flag word 0x08
  uint8_t negative = 0;   // 0x10
  uint8_t intersect = 0;  // 0x20
  uint8_t locked = 0;     // first flag word 0x02, written to the second's 0x02 as well
  uint8_t asBox = 0;      // first flag word 0x08: drawn as its box

  static UUndoAttributesData Of(const C3dObject* object);
  void Apply(C3dObject* object) const;
};

class CAttributesAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Invalid when its tables cannot be made.
  CAttributesAction();

  // before: the object's attributes and transform as they are now, a group's members first (the
  // last member first, at every depth); otherwise its attributes alone go to the after table. 0; 9
  // when a table cannot grow.
  int32_t AddObject(C3dObject* object, bool before = true);

  // The transforms back (a failure is answered at once), then each object's attributes; the first
  // Undo keeps each one's attributes as they were.
  int32_t Undo() override;
  int32_t Redo() override;

  const CMatrixAction& GetTransforms() const { return fTransforms; }

 private:
  int32_t AddAttributes(C3dObject* object);
  void Apply(const CDynTable<UUndoAttributesData>& states);

  CMatrixAction fTransforms;
  CDynTable<UUndoAttributesData> fBefore;
  CDynTable<UUndoAttributesData> fAfter;
  uint8_t fAfterCaptured = 0;
};
