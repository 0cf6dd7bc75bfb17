#include "editors/terrain/terrain_editor.h"

#include "editors/terrain/layout_needs.h"

CTerrainEditor::CTerrainEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTerrainEditor) {}
