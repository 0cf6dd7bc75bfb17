#include "editing/camera_action.h"

#include "framework/core/result_codes.h"

CCameraAction::CCameraAction(C3dCamera* camera) : fCamera(camera) {}

int32_t CCameraAction::Undo() { return kErrNotImplemented; }

int32_t CCameraAction::Redo() { return kErrNotImplemented; }
