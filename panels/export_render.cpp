#include "panels/export_render.h"

#include "panels/layout_needs.h"

CExportRender::CExportRender(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kExportRender) {}
