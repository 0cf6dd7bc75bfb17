#include "panels/nano_editor.h"

#include "panels/layout_needs.h"

CNanoEditor::CNanoEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kNanoEditor) {}
