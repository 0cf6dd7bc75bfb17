#include "framework/core/panel_services.h"

namespace {

const SPanelServices* gServices = nullptr;

}  // namespace

void SetPanelServices(const SPanelServices* services) { gServices = services; }

const SPanelServices* GetPanelServices() { return gServices; }

CIOProgressDialog* NewIOProgressDialog(CResourceEnv* environment) {
  return gServices ? gServices->newIOProgressDialog(environment) : nullptr;
}
