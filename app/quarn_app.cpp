#include "app/quarn_app.h"

#include <string>

#include "app/palette_manager.h"
#include "framework/core/file.h"
#include "framework/core/io_progress.h"
#include "framework/core/result_codes.h"
#include "framework/ui/text_edit.h"
#include "framework/ui/ui_host_canvas.h"
#include "platform/file.h"
#include "platform/window.h"
#include "scene/base_sys.h"

namespace {

constexpr uint32_t kLastSwapNumber = 99;

}  // namespace

CQuarnApp::CQuarnApp(const SApplDesc& desc) : COrdaxApp(desc) {
  SetMenuBarAutoHide(true);
  SetMenuBarHeight(platform::GetSystemMetrics(platform::kSmCyCaption) +
                   platform::GetSystemMetrics(platform::kSmCyMenu));
  fPaletteManager = new CPaletteManager;
}

CQuarnApp::~CQuarnApp() { delete fPaletteManager; }

// Three swap files "qspool<n>.tmp", n + 1 and n + 2 in the temporary folder. A file another running
// instance holds cannot be deleted (-54), and then the next three numbers are tried; one left behind
// by a run that was killed is deleted and used again.
void CQuarnApp::Init(const CFileSpec*, const CFileSpec*, const CFileSpec*) {
  CFileSpec specs[3];
  CFileSpec temporary;
  if (CFileSpec::MakeTemp(temporary) == kNoErr) {
    const std::string folder = platform::FolderOf(temporary.GetPath());
    auto name = [&folder](uint32_t n) { return folder + "/qspool" + std::to_string(n) + ".tmp"; };
    for (uint32_t n = 0; n <= kLastSwapNumber; n += 3) {
      specs[0].Set(name(n).c_str());
      if (CFile(specs[0]).Delete() == kErrPermission) continue;
      for (uint32_t i = 1; i < 3; ++i) {
        specs[i].Set(name(n + i).c_str());
        CFile(specs[i]).Delete();
      }
      break;
    }
  }
  // When every number is held, the second and third specs stay empty and the environments fail.
  CAppl::Init(&specs[0], &specs[1], &specs[2]);
}

void CQuarnApp::Term() { CAppl::Term(); }

void CQuarnApp::CreateUserInterface() {
  if (const int32_t error = C3dBaseSys::RegisterAllClasses()) {
    TellError(error);
    Quit();
    return;
  }
  if (!fPaletteManager || SetUpIOProgress() != 0) {
    Quit();
    return;
  }
  CreateTextEditFont();
  // The dialogs' drop shadows; without them the interface does not open.
  if (LoadShadowImages() != 0) {
    Quit();
    return;
  }
  platform::ShowWindow(GetMainWindow(), platform::kSwShowMaximized);
  platform::SendMessage(GetMainWindow(), platform::kWmPaint, 0, 0);
}

void CQuarnApp::DeleteUserInterface() {
  FreeShadowImages();
  TearDownIOProgress();
  C3dBaseSys::UnregisterAllClasses();
}

// The queued UI messages; with none the step waits for input a while, so an idle program does not
// spin a core. The rest of the shell's idle work comes with its issue.
void CQuarnApp::Idle() {
  if (!fPaletteManager) {
    platform::WaitMessage(CUICmFunction::kIdleWaitMs);
    return;
  }
  if (const int32_t err = fPaletteManager->GetBroadcaster()->DispatchQueued()) TellError(err);
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
