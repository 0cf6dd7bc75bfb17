#include "tools/tool_app.h"

#include <cstdlib>

#include <cstdio>

#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "platform/file.h"

namespace {

SApplDesc ToolDesc(const char* name, uint32_t dataPoolBudget) {
  SApplDesc desc;
  desc.name = name;
  desc.defaultPoolBudget = 0x400000;
  desc.objectsPoolBudget = 0x800000;
  desc.dataPoolBudget = dataPoolBudget;
  desc.instance = platform::ProgramModule();
  return desc;
}

}  // namespace

CToolApp::CToolApp(const char* name, uint32_t dataPoolBudget) : fName(name) {
  setenv("QUARN2_HEADLESS", "1", 1);
  if (InitOrdax() != 0) return;
  fApp = new COrdaxApp(ToolDesc(name, dataPoolBudget));
  if (fApp) fApp->CAppl::Init(nullptr, nullptr, nullptr);
}

CToolApp::~CToolApp() {
  if (fApp) {
    fApp->CAppl::Term();
    delete fApp;
  }
  TermOrdax();
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
