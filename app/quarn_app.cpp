#include "app/quarn_app.h"

#include <string>

#include "app/palette_manager.h"
#include "framework/core/file.h"
#include "framework/core/four_cc.h"
#include "framework/core/io_progress.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/text_edit.h"
#include "framework/ui/ui_host_canvas.h"
#include "panels/io_progress.h"
#include "platform/desktop.h"
#include "platform/file.h"
#include "platform/window.h"
#include "scene/base_sys.h"

namespace {

constexpr uint32_t kLastSwapNumber = 99;
constexpr uint32_t kQuit = FourCC("quit");

}  // namespace

CQuarnApp::CQuarnApp(const SApplDesc& desc) : COrdaxApp(desc) {
  SetMenuBarAutoHide(true);
  SetMenuBarHeight(platform::GetSystemMetrics(platform::kSmCyCaption) +
                   platform::GetSystemMetrics(platform::kSmCyMenu));
  fPaletteManager = new CPaletteManager;
}

CQuarnApp::~CQuarnApp() { delete fPaletteManager; }

int32_t CQuarnApp::HandleCommandLine(const char* commandLine) {
  if (fPaletteManager) fPaletteManager->QueueCommandLineFiles(commandLine);
  return kNoErr;
}

// Three swap files "qspool<n>.tmp", n + 1 and n + 2 in the temporary folder. A file another running
// instance holds cannot be deleted (-54), and then the next three numbers are tried; one left behind
// by a run that was killed is deleted and used again. Two instances starting at once can both find
// the same numbers free: the one that then fails to make its files goes on to the next three.
void CQuarnApp::Init(const CFileSpec*, const CFileSpec*, const CFileSpec*) {
  CFileSpec specs[3];
  CFileSpec temporary;
  bool made = false;
  if (CFileSpec::MakeTemp(temporary) == kNoErr) {
    const std::string folder = platform::FolderOf(temporary.GetPath());
    auto name = [&folder](uint32_t n) { return folder + "/qspool" + std::to_string(n) + ".tmp"; };
    for (uint32_t n = 0; n <= kLastSwapNumber && !made; n += 3) {
      bool held = false;
      for (uint32_t i = 0; i < 3 && !held; ++i) {
        specs[i].Set(name(n + i).c_str());
        held = CFile(specs[i]).Delete() == kErrPermission;
      }
      if (held) continue;
      made = CreateSpoolEnvironments(&specs[0], &specs[1], &specs[2]);
    }
  }
  // When every number is held, or the files cannot be made, the start stops with the message.
  CompleteInit(made);
}

void CQuarnApp::Term() { CAppl::Term(); }

void CQuarnApp::CreateUserInterface() {
  if (!fPaletteManager || !fPaletteManager->IsValid()) {
    Quit();
    return;
  }
  if (const int32_t error = C3dBaseSys::RegisterAllClasses()) {
    TellError(error);
    Quit();
    return;
  }
  CreateTextEditFont();
  // The progress dialog follows the palettes' modal level.
  SetIOProgressOwner(fPaletteManager->GetBroadcaster());
  // The dialogs' drop shadows; without them the interface does not open.
  // The progress dialog joins the broadcaster before the palettes, which leaves the palette manager
  // its last row.
  if (LoadShadowImages() != kNoErr || SetUpIOProgress() != kNoErr ||
      fPaletteManager->LoadUIResources(fLayoutFolder.c_str()) != kNoErr) {
    Quit();
    return;
  }
  OpenUI();
}

void CQuarnApp::OpenUI() {
  platform::WindowHandle main = GetMainWindow();
  platform::DragAcceptFiles(main, true);
  platform::ShowWindow(main, platform::kSwShowMaximized);
  SWinEvent paint;
  paint.Init();
  paint.window = main;
  paint.message = platform::kWmPaint;
  platform::InvalidateRect(main, nullptr, false);
  CWinAppl::OnMainPaint(paint);
  fPaletteManager->ResetPalettes(false, false);
  fPaletteManager->StorePalettePrefs(1);
  fPaletteManager->ShowPalettes(true, true, false);
}

void CQuarnApp::DeleteUserInterface() {
  if (fPaletteManager) fPaletteManager->HidePalettesAndWindow();
  TearDownIOProgress();
  if (fPaletteManager) fPaletteManager->ShutdownUI();
  platform::DragAcceptFiles(GetMainWindow(), false);
  FreeShadowImages();
  C3dBaseSys::UnregisterAllClasses();
}

// The queued UI messages; with none the step waits for input a while, so an idle program does not
// spin a core.
void CQuarnApp::Idle() {
  if (!fPaletteManager) {
    platform::WaitMessage(CUICmFunction::kIdleWaitMs);
    return;
  }
  if (const int32_t err = fPaletteManager->GetBroadcaster()->DispatchQueued()) TellError(err);
  if (const int32_t err = fPaletteManager->IdleStep()) TellError(err);
}

void CQuarnApp::ShowMenuBar() {
  if (!IsMenuBarHidden() || (fPaletteManager && fPaletteManager->IsBusy())) return;
  SetMenuBarHiddenFlag(false);
  RecomputeFrame();
}

void CQuarnApp::HideMenuBar() {
  if (IsMenuBarHidden()) return;
  SetMenuBarHiddenFlag(true);
  RecomputeFrame();
}

void CQuarnApp::SetFrameMode(bool normal) {
  SetMenuBarAutoHide(!normal);
  if (IsMenuBarHidden() != normal) return;
  SetMenuBarHiddenFlag(!normal);
  RecomputeFrame();
}

// The command 'quit', which may ask about unsaved changes first; without the shell, a plain quit.
void CQuarnApp::QuitFromKey() {
  if (fPaletteManager) TellError(fPaletteManager->DoCommand(kQuit));
  else Quit();
}

// ---- the main window

int32_t CQuarnApp::OnKey(SWinEvent& event) {
  const int32_t answer = fPaletteManager ? fPaletteManager->HandleKey(event) : kNoErr;
  if (answer == kHandled) return answer;
  if (answer == kNoErr) return COrdaxApp::OnKey(event);
  TellError(answer);
  return answer;
}

int32_t CQuarnApp::OnOtherMessage(SWinEvent& event) {
  if (event.message == platform::kWmSysChar) return 1;
  if (event.message == platform::kWmQueryEndSession && event.window == GetMainWindow() && fPaletteManager) {
    event.result = fPaletteManager->QueryEndSession() ? 1 : 0;
    return 1;
  }
  if (fPaletteManager && fPaletteManager->HandleWindowMessage(event)) return 1;
  return COrdaxApp::OnOtherMessage(event);
}

int32_t CQuarnApp::OnMainPaint(SWinEvent& event) {
  platform::SPaint paint;
  platform::BeginPaint(event.window, &paint);
  platform::EndPaint(event.window, paint);
  return 1;
}

int32_t CQuarnApp::OnMainDeactivateApp(SWinEvent&) {
  SetAppCursorByName(nullptr, false);
  return 0;
}

int32_t CQuarnApp::OnMainClose(SWinEvent&) {
  QuitFromKey();
  return 1;
}

int32_t CQuarnApp::OnMouseActivate(SWinEvent& event) {
  if (!IsActive()) {
    platform::SetForegroundWindow(GetMainWindow());
    event.result = platform::kMaNoActivateAndEat;
    return 1;
  }
  event.result = platform::kMaNoActivate;
  platform::WindowHandle focus = platform::SetFocus(GetMainWindow());
  platform::SetFocus(focus);
  return 1;
}

int32_t CQuarnApp::OnMainCommand(SWinEvent& event) {
  if (event.lParam != 0) return 0;
  if (fPaletteManager) TellError(fPaletteManager->HandleMenuPick(fSelectedMenu, uint32_t(event.wParam & 0xFFFF)));
  return 1;
}

int32_t CQuarnApp::OnMainSysCommand(SWinEvent&) {
  if (fPaletteManager && fPaletteManager->IsBusy()) return 1;
  platform::SetActiveWindow(GetMainWindow());
  platform::SetFocus(GetMainWindow());
  if (IsAltDown()) return 1;
  if (!IsMenuBarHidden()) HideMenuBar();
  return 0;
}

int32_t CQuarnApp::OnMainMenuSelect(SWinEvent& event) {
  if (event.wParam & 0xFFFF) fSelectedMenu = reinterpret_cast<platform::MenuHandle>(event.lParam);
  return 0;
}
