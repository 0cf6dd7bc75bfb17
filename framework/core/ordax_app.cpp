#include "framework/core/ordax_app.h"

#include <string>

#include "framework/core/fatal.h"
#include "framework/core/progress.h"
#include "framework/core/system_info.h"
#include "framework/core/ui_services.h"

COrdaxApp::COrdaxApp(const SApplDesc& desc) : CWinAppl(desc) {
  if (!IsInitialised()) Fatal("Application initialization failed.");
  if (!CProgress::InitSystem(64, SRange{4, 4})) Fatal("Default thread initialization failed.");
  CreateConsole();
}

COrdaxApp::~COrdaxApp() {
  if (fConsole) {
    fConsole->HideConsole();
    delete fConsole;
    fConsole = nullptr;
  }
  CProgress::EndSystem();
}

void COrdaxApp::CreateConsole() {
  // A program without the interface framework (a tool, the core's own tests) has no console.
  if (!GetUiServices()) return;
  const SRect screen = GetScreenRect();
  SRect frame;
  frame.Set(0, 0, kConsoleHeight, screen.right - screen.left);
  constexpr uint32_t kWhite = 0xFFFFFF;
  fConsole = NewDesktopConsole(kConsoleLineWidth, 1, frame, platform::kWsPopup, &kWhite, GetDesktopColor(),
                               kConsolePriority);
  if (!fConsole || !fConsole->IsReady()) Fatal("Creation of the desktop console failed.");
  const std::string banner =
      std::string(kBanner) + " (" + CSystemInfo::Get().GetOSName() + ") application framework of Quarn2";
  fConsole->Print(banner.c_str(), true);
}

int32_t COrdaxApp::OnKey(SWinEvent& event) {
  if (const int32_t answer = CWinAppl::OnKey(event)) return answer;
  if (IsControlDown() && IsShiftDown() && event.key == ' ' && fConsole) {
    if (fConsole->IsConsoleVisible()) fConsole->HideConsole();
    else fConsole->ShowConsole();
  }
  return 0;
}
