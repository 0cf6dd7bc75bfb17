// The undoable replacement of objects by objects of another kind: the replaced objects go into a
// delete part, their replacements are listed in a create part, and each replacement is recorded with
// the group it took place in, so that undoing the conversion puts every old object back into its own
// group and redoing it every new one into its own.
#pragma once

#include <cstdint>
#include <memory>

#include "editing/create_action.h"
#include "editing/delete_action.h"
#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"

class C3dBaseSys;
class C3dGroup;
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

  // One replacement, made took old's place in group (null for a top-level object); false when the
  // record cannot grow. ForgetLastReplacement takes the last one back, for a replacement undone before
  // the action was done.
  bool AddReplacement(C3dObject* old, C3dObject* made, C3dGroup* group);
  void ForgetLastReplacement();

 private:
  struct SReplacement {
    C3dObject* old;
    C3dObject* made;
    C3dGroup* group;
  };

  // Undoing (back): each old object into its own group in place of its replacement, the last
  // replacement first, so that a group replaced after its members is back before they are. Redoing:
  // each replacement into its own group in place of the old object, the first first. Then the scene's
  // group links are rebuilt. 0, or 9 when a group cannot be locked or take its member.
  int32_t Regroup(bool back);

  std::unique_ptr<CDeleteAction> fDelete;
  std::unique_ptr<CCreateAction> fCreate;
  CDynTable<SReplacement> fReplacements;
  C3dBaseSys* fOwner = nullptr;
};
