#include "tools/tool_app.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "framework/core/mem_pool.h"
#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/spool_sys.h"
#include "framework/ui/register_ui_services.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/system.h"
#include "platform/window.h"
#include "tools/command_line.h"

// Present only in a build that counts for profile-guided optimisation.
extern "C" void __gcov_dump() __attribute__((weak));

namespace {

SApplDesc ToolDesc(const char* name, uint32_t poolBudget) {
  if (poolBudget == CToolApp::kMachineShare) poolBudget = CToolApp::MachineShare();
  SApplDesc desc;
  desc.name = name;
  desc.defaultPoolBudget = poolBudget;
  desc.objectsPoolBudget = poolBudget;
  desc.dataPoolBudget = poolBudget;
  desc.instance = platform::ProgramModule();
  // A tool shows nothing: its main window, the menu bar's, stays hidden and is never painted.
  desc.startMenuBarHidden = true;
  return desc;
}

}  // namespace

uint32_t CToolApp::MachineShare(uint32_t least) {
  return std::max(least, DataPoolBudget(platform::PhysicalMemoryBytes(), false, 0));
}

CToolApp::CToolApp(const char* name, uint32_t poolBudget) {
  setenv("QUARN2_HEADLESS", "1", 1);
  platform::CatchStopSignals();
  // The headless back end starts a virtual clock for scripted runs; a tool's work runs in real time,
  // and its render loops look for a stop only when a time slice has passed.
  platform::IsHeadless();
  platform::UseRealClock();
  // An unusable temporary folder is said in the tool's words, not the framework's.
  // The tools read layouts and pictures with the interface framework's classes, as the program does.
  RegisterUiServices();
  if (!TempFolderProblem().empty() || InitOrdax() != 0) return;
  fApp = new COrdaxApp(ToolDesc(name, poolBudget));
  if (fApp) fApp->CAppl::Init(nullptr, nullptr, nullptr);
}

CToolApp::~CToolApp() {
  if (fApp) {
    fApp->CAppl::Term();
    delete fApp;
  }
  TermOrdax();
  platform::EndIfStopRequested();
}

void CToolApp::EndProcess(int status) {
  if (fApp) {
    for (CSpoolEnv* env : {fApp->GetObjectsEnv(), static_cast<CSpoolEnv*>(fApp->GetDiscardEnv()), fApp->GetDataEnv()})
      if (env) env->DeleteFileAtExit();
  }
  std::fflush(nullptr);
  platform::EndIfStopRequested();
  // A profiling build's counts are written by an exit handler, which _Exit skips.
  if (__gcov_dump) __gcov_dump();
  std::_Exit(status);
}

bool CToolApp::IsReady() const {
  return fApp && fApp->GetDataEnv() && fApp->GetDataEnv()->IsValid() && fApp->GetObjectsEnv() &&
         fApp->GetObjectsEnv()->IsValid();
}

int CToolApp::ReportNotReady(const CCommandLine& line) const {
  if (const std::string problem = TempFolderProblem(); !problem.empty())
    return line.Fail(platform::TempFolder(), problem);
  const CSpoolEnv* failed = nullptr;
  if (fApp) {
    for (const CSpoolEnv* env : {fApp->GetObjectsEnv(), static_cast<CSpoolEnv*>(fApp->GetDiscardEnv()),
                                 fApp->GetDataEnv()}) {
      if (env && !env->IsOpen() && env->GetOpenResult()) {
        failed = env;
        break;
      }
    }
  }
  if (failed) return line.Fail(platform::TempFolder(), TempFolderProblem(failed->GetOpenResult()));
  return line.Fail("the framework", "could not start");
}
