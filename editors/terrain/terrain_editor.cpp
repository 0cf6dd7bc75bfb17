#include "editors/terrain/terrain_editor.h"

#include "editors/terrain/layout_needs.h"

CTerrainEditor::CTerrainEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTerrainEditor) {}

int32_t CTerrainEditor::AttachHeightField(C3dHeightField* field) {
  fHeightField = field;
  return 0;
}

void CTerrainEditor::Show(int32_t) { Show(); }
