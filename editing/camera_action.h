// The undoable move of a camera: the camera's position, aim and view settings before the move, and
// after it once the first Undo captured them.
#pragma once

#include <cstdint>

#include "editing/undoable_action.h"
#include "framework/core/vector3.h"

class C3dCamera;

// What a camera move changes: the eye, the point looked at and the seven view settings from the
// field angle on.
struct SCameraState {
  static constexpr int kViewSettings = 7;

  vector3<double> position;
  vector3<double> target;
  double view[kViewSettings] = {};
};

class CCameraAction : public CUndoableAction {
 public:
  // Captures the camera's state at once, the camera locked meanwhile; invalid when it cannot be.
  explicit CCameraAction(C3dCamera* camera);

  // The state before the move; the first Undo keeps the state it replaces for Redo. Each then has
  // the window derive its render camera again. 0, or the lock's code.
  int32_t Undo() override;
  int32_t Redo() override;

  C3dCamera* GetCamera() const { return fCamera; }
  const SCameraState& GetBefore() const { return fBefore; }

 private:
  int32_t Capture(SCameraState& state);
  int32_t Restore(const SCameraState& state);
  void CacheCameraState();

  C3dCamera* fCamera = nullptr;
  SCameraState fBefore;
  SCameraState fAfter;
  uint8_t fAfterCaptured = 0;
};
