#include "tools/tool_app.h"

#include <cstdlib>

#include <cstdio>

#include "framework/core/mem_pool.h"
#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/system.h"

namespace {

SApplDesc ToolDesc(const char* name, uint32_t poolBudget) {
  if (poolBudget == CToolApp::kMachineShare) poolBudget = DataPoolBudget(platform::PhysicalMemoryBytes(), false, 0);
  SApplDesc desc;
  desc.name = name;
  desc.defaultPoolBudget = poolBudget;
  desc.objectsPoolBudget = poolBudget;
  desc.dataPoolBudget = poolBudget;
  desc.instance = platform::ProgramModule();
  return desc;
}

}  // namespace

CToolApp::CToolApp(const char* name, uint32_t poolBudget) : fName(name) {
  setenv("QUARN2_HEADLESS", "1", 1);
  platform::CatchStopSignals();
  if (InitOrdax() != 0) return;
  fApp = new COrdaxApp(ToolDesc(name, poolBudget));
  if (fApp) fApp->CAppl::Init(nullptr, nullptr, nullptr);
  // The headless back end started on the virtual clock that scripted tests drive; a tool's work runs
  // in real time, and its render loops look for a stop only when a time slice has passed.
  platform::UseRealClock();
}

CToolApp::~CToolApp() {
  if (fApp) {
    fApp->CAppl::Term();
    delete fApp;
  }
  TermOrdax();
  platform::EndIfStopRequested();
}

bool CToolApp::IsReady() const {
  return fApp && fApp->GetDataEnv() && fApp->GetDataEnv()->IsValid() && fApp->GetObjectsEnv() &&
         fApp->GetObjectsEnv()->IsValid();
}

int CToolApp::ReportNotReady() const {
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
  if (failed) std::fprintf(stderr, "%s: %s\n", fName, TempFolderProblem(failed->GetOpenResult()).c_str());
  else std::fprintf(stderr, "%s: the framework could not start\n", fName);
  return 1;
}

std::string TempFolderProblem(int32_t openResult) {
  const std::string folder = platform::TempFolder();
  std::string why;
  if (!platform::PathExists(folder)) why = "it does not exist";
  else if (!platform::IsFolder(folder)) why = "it is not a folder";
  else why = BuiltInMessageFor(openResult) + " (code " + std::to_string(openResult) + ")";
  return "the temporary folder " + folder + " cannot be used: " + why;
}
