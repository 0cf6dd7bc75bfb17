// The render report: the document's title, the time a render took and the ray tracer's statistics,
// shown after a render and closed with "ok".
//
// Placeholder until the render report's issue: built from its layout, it shows empty and closes with
// "ok".
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CReportRender : public CLayoutHostCanvas {
 public:
  CReportRender(CUICmFunction* owner, CResourceEnv* environment);
};
