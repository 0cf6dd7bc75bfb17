// The undoable move of a camera: the camera's position, aim and view settings before the move, and
// after it once the first Undo captured them.
//
// Placeholder until the undoable actions are built: it captures nothing, and Undo and Redo answer 27.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"

class C3dCamera;

class CCameraAction : public CUndoableAction {
 public:
  // Captures the camera's state at once, the camera locked meanwhile.
  explicit CCameraAction(C3dCamera* camera);

  int32_t Undo() override;
  int32_t Redo() override;

  C3dCamera* GetCamera() const { return fCamera; }

 private:
  C3dCamera* fCamera = nullptr;
};
