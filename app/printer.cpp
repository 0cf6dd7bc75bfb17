#include "app/printer.h"

#include "framework/core/result_codes.h"

namespace {

SPrintSettings gSettings;
SPrintRequest gLastRequest;

}  // namespace

SPrintSettings& CPrinter::Settings() { return gSettings; }

const SPrintRequest& CPrinter::LastRequest() { return gLastRequest; }

int32_t CPrinter::RunSettingsDialog() { return kNoErr; }

int32_t CPrinter::PrintImage(CImage* image, uint32_t copies, const char* title, uint32_t resolution, bool centre) {
  gLastRequest = {image, copies, title ? title : "", resolution, centre};
  return kErrNotImplemented;
}
