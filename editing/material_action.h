// The undoable change of objects' materials: a free-standing copy of each listed object's material
// before the change, and, from the first Undo on, a copy of each one's material as the change left
// it, so that Redo gives every object back its own. The copies belong to the action.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dMaterial;
class C3dObject;

class CMaterialAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Invalid when its tables cannot be made.
  CMaterialAction();
  // Gives back the texture uses of every copy and deletes it.
  ~CMaterialAction() override;

  // before: lists the object with a copy of its material as it is now; otherwise the copy goes to
  // the after list. An object without a usable material is listed with no copy and left alone by
  // Undo and Redo. 0; the copy's or the lock's code, or 9 when a list cannot grow.
  int32_t AddObject(C3dObject* object, bool before = true);

  // Each object's material back to its copy from before; the first Undo keeps each one's material as
  // it was. Stops at the first failing copy and answers its code.
  int32_t Undo() override;
  int32_t Redo() override;

  const CDynTable<C3dObject*>& GetObjects() const { return fObjects; }
  // Per listed object, its copy from before and the one the first Undo kept; null for none.
  C3dMaterial* GetSaved(uint32_t index) const { return index < fSaved.GetCount() ? fSaved[index] : nullptr; }
  C3dMaterial* GetAfter(uint32_t index) const { return index < fAfter.GetCount() ? fAfter[index] : nullptr; }
  bool HasAfter() const { return fAfter.GetCount() != 0; }

  // A copy of each listed object's material as it is now into the after list, which must be empty;
  // on failure the list stays empty. 0 or the failing copy's code.
  int32_t CaptureAfter();

  // The object's own material takes the source's contents and counts its textures' uses again; 0
  // when the object has none or it is the source; the source's or the copy's code.
  static int32_t CopyInto(C3dObject* object, C3dMaterial* source);

 private:
  // A free-standing copy of the object's material, or null when it has no usable one.
  static int32_t CopyOf(C3dObject* object, C3dMaterial** out);
  static void FreeAll(CDynTable<C3dMaterial*>& materials);
  int32_t CopyEach(const CDynTable<C3dMaterial*>& materials);

  CDynTable<C3dObject*> fObjects;
  CDynTable<C3dMaterial*> fSaved;
  CDynTable<C3dMaterial*> fAfter;
};
