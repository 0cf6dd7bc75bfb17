// The undoable replacement of objects by objects of another kind: the replaced objects go into a
// delete part, their replacements are listed in a create part, and undoing the conversion puts the
// old objects back into the groups the new ones took their places in.
//
// The converters hand over each old object and its replacement together, so the i-th object of the
// delete part and the i-th of the create part form a pair: the one takes the other's place in its
// group.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/create_action.h"
#include "editing/delete_action.h"
#include "editing/undoable_action.h"

class C3dBaseSys;
class C3dObject;

class CConvertAction : public CUndoableAction {
 public:
  // owner: the scene table of both parts. Invalid unless both parts are made and valid.
  explicit CConvertAction(C3dBaseSys* owner);
  // The create part, then the delete part, each freeing what it holds.
  ~CConvertAction() override;

  // The new objects out of the scene and out of their groups, the old ones back into those groups and
  // into the scene. A failing step answers its code at once and leaves the rest.
  int32_t Undo() override;
  // The other way round.
  int32_t Redo() override;

  CDeleteAction* GetDeletePart() const { return fDelete.get(); }
  CCreateAction* GetCreatePart() const { return fCreate.get(); }

 private:
  // For each pair whose first object is in a usable group: the second takes its place there. Then
  // the scene's group links are rebuilt. 0, or 9 when a group cannot be locked.
  int32_t Regroup(const CDynTable<C3dObject*>& from, const CDynTable<C3dObject*>& to);

  std::unique_ptr<CDeleteAction> fDelete;
  std::unique_ptr<CCreateAction> fCreate;
  C3dBaseSys* fOwner = nullptr;
};
