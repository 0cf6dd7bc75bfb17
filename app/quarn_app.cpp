#include "app/quarn_app.h"

#include "app/palette_manager.h"
#include "framework/core/io_progress.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "scene/base_sys.h"

CQuarnApp::CQuarnApp(const SApplDesc& desc) : COrdaxApp(desc) {
  SetMenuBarAutoHide(true);
  SetMenuBarHeight(platform::GetSystemMetrics(platform::kSmCyCaption) +
                   platform::GetSystemMetrics(platform::kSmCyMenu));
  fPaletteManager = new CPaletteManager;
}

CQuarnApp::~CQuarnApp() { delete fPaletteManager; }

// The swap files come with the spool system (issue 5); the environments need no file until then.
void CQuarnApp::Init(const CFileSpec*, const CFileSpec*, const CFileSpec*) { CAppl::Init(nullptr, nullptr, nullptr); }

void CQuarnApp::Term() { CAppl::Term(); }

void CQuarnApp::CreateUserInterface() {
  if (!fPaletteManager || C3dBaseSys::RegisterAllClasses() != 0 || SetUpIOProgress() != 0) {
    Quit();
    return;
  }
  platform::ShowWindow(GetMainWindow(), platform::kSwShowMaximized);
  platform::SendMessage(GetMainWindow(), platform::kWmPaint, 0, 0);
}

void CQuarnApp::DeleteUserInterface() {
  TearDownIOProgress();
  C3dBaseSys::UnregisterAllClasses();
}

// The shell's idle work comes with its issue; meanwhile an idle program must not spin a core.
void CQuarnApp::Idle() {
  if ((platform::GetQueueStatus(0xBF) >> 16) == 0) platform::SleepMs(10);
}

void CQuarnApp::ShowMenuBar() {
  if (!IsMenuBarHidden()) return;
  SetMenuBarHiddenFlag(false);
  RecomputeFrame();
}

void CQuarnApp::HideMenuBar() {
  if (IsMenuBarHidden()) return;
  SetMenuBarHiddenFlag(true);
  RecomputeFrame();
}
