// The program entry: one instance per user, the data pool's budget, and the application's run.
#include "app/entry.h"

#include <algorithm>
#include <memory>

#include "app/quarn_app.h"
#include "document/prefs_file.h"
#include "document/register_document_services.h"
#include "framework/core/ordax.h"
#include "framework/ui/register_ui_services.h"
#include "panels/register_panel_services.h"
#include "platform/headless.h"
#include "platform/single_instance.h"
#include "platform/system.h"
#include "presets/register_preset_services.h"

uint32_t DataPoolBudget(uint64_t physicalBytes, const CPrefsFile& prefs) {
  return DataPoolBudget(physicalBytes, prefs.IsRead(), prefs.GetMemoryPercent());
}

void SetPoolBudgets(SApplDesc& desc, uint64_t physicalBytes, const CPrefsFile& prefs) {
  const uint32_t machineShare = DataPoolBudget(physicalBytes, false, 0);
  desc.defaultPoolBudget = std::max(kLeastDefaultPoolBudget, machineShare);
  desc.objectsPoolBudget = std::max(kLeastObjectsPoolBudget, machineShare);
  desc.dataPoolBudget = DataPoolBudget(physicalBytes, prefs);
}

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!line.empty()) line += ' ';
    if (arg.find_first_of(" \t\"") == std::string::npos && !arg.empty()) {
      line += arg;
      continue;
    }
    line += '"';
    for (char c : arg) {
      if (c == '"' || c == '\\') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

void RegisterLibraryServices() {
  RegisterUiServices();
  RegisterDocumentServices();
  RegisterPanelServices();
  RegisterPresetServices();
}

int RunProgram(const std::string& commandLine) {
  platform::IgnoreFileSizeSignal();
  RegisterLibraryServices();
  if (platform::ClaimSingleInstance(CWinAppl::kClassName, kProgramName, commandLine) ==
      platform::InstanceRole::kForwarded)
    return 0;
  if (!platform::headless::LoadScriptFromEnvironment()) {
    platform::ReleaseSingleInstance();
    return 1;
  }
  InitOrdax();
  const CPrefsFile prefs;
  SApplDesc desc;
  desc.name = kProgramName;
  SetPoolBudgets(desc, platform::PhysicalMemoryBytes(), prefs);
  desc.desktopColor = 0;
  desc.instance = platform::ProgramModule();
  desc.startMenuBarHidden = true;
  desc.keepWindowShown = false;
  desc.createMenu = true;
  bool started = false;
  {
    auto app = std::make_unique<CQuarnApp>(desc);
    app->HandleCommandLine(commandLine.c_str());
    app->Run();
    started = app->HasStarted();
  }
  TermOrdax();
  platform::ReleaseSingleInstance();
  return started ? 0 : 1;
}
