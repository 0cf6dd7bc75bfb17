// The undoable change of the sky and fog: the editors' edit state before the change, and after it
// once the first Undo captured it. Undo and Redo store a record back as the edit state and have the
// sky & fog palette apply and show it, which records no new step. Without the editors registered
// (editing/sky_services.h) Undo and Redo change nothing and answer kErrNotImplemented.
#pragma once

#include <cstdint>

#include "editing/sky_services.h"
#include "editing/undoable_action.h"

class CSkyAction : public CUndoableAction {
 public:
  // Captures the edit state as it is now.
  explicit CSkyAction(CSkyFogPalette* palette);

  int32_t Undo() override;
  int32_t Redo() override;

  const CSkyParams& GetBefore() const { return fBefore; }

 private:
  CSkyFogPalette* fPalette = nullptr;
  CSkyParams fBefore;
  CSkyParams fAfter;
  uint8_t fAfterCaptured = 0;
};
