#include "plugins/dxf/dxf_state.h"

SImportState gImport;

void ResetImportState(QNHostFn* callbacks) {
  gImport = SImportState{};
  gImport.callbacks = callbacks;
}

void SetError(int32_t error) {
  if (gImport.error == kDxfFine) gImport.error = error;
}

int32_t ReportProgress(const char* text, int32_t done, int32_t total) {
  if (!gImport.callbacks || !gImport.callbacks[QN_SLOT_PROGRESS]) return 0;
  return reinterpret_cast<QNHostProgressFn>(gImport.callbacks[QN_SLOT_PROGRESS])(text, done, total);
}
