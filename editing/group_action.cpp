#include "editing/group_action.h"

#include "framework/core/result_codes.h"

CGroupAction::CGroupAction(C3dGroup* group) : fGroup(group) {}

int32_t CGroupAction::Undo() { return kErrNotImplemented; }

int32_t CGroupAction::Redo() { return kErrNotImplemented; }
