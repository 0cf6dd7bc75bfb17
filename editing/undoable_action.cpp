#include "editing/undoable_action.h"

CUndoableAction::~CUndoableAction() { fValid = 0; }
