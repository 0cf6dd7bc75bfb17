#include "app/report_render.h"

#include "app/layout_needs.h"

CReportRender::CReportRender(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReportRender) {}
