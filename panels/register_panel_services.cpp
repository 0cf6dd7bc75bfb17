#include "panels/register_panel_services.h"

#include "framework/core/panel_services.h"
#include "panels/io_progress.h"

namespace {

constexpr SPanelServices kServices = {
    &NewIOProgress,
};

}  // namespace

void RegisterPanelServices() { SetPanelServices(&kServices); }
