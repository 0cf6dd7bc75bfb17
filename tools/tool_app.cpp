#include "tools/tool_app.h"

#include <cstdlib>

#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/spool_sys.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace {

SApplDesc ToolDesc(const char* name, uint32_t dataPoolBudget) {
  SApplDesc desc;
  desc.name = name;
  desc.defaultPoolBudget = 0x400000;
  desc.objectsPoolBudget = 0x800000;
  desc.dataPoolBudget = dataPoolBudget;
  desc.instance = platform::ProgramModule();
  // A tool shows nothing: its main window, the menu bar's, stays hidden and is never painted.
  desc.startMenuBarHidden = true;
  return desc;
}

}  // namespace

CToolApp::CToolApp(const char* name, uint32_t dataPoolBudget) {
  setenv("QUARN2_HEADLESS", "1", 1);
  // The headless back end starts a virtual clock for scripted runs; a tool runs on real time.
  platform::IsHeadless();
  platform::UseRealClock();
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
