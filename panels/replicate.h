// The replicate dialog: copies of the selection in a row, each moved, turned and sized further.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CReplicate : public CLayoutHostCanvas {
 public:
  CReplicate(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the selection's replication settings before the dialog shows: 0.
  int32_t Apply();
};
