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
    fConsole->Close(0);
    delete fConsole;
    fConsole = nullptr;
  }
  CProgress::EndSystem();
}

void COrdaxApp::CreateConsole() {
  const SRect screen = GetScreenRect();
  SRect frame;
  frame.Set(0, 0, 15, screen.right - screen.left);
  fConsole = NewDesktopConsole(128, 1, frame);
  if (!fConsole || !fConsole->IsReady()) Fatal("Creation of the desktop console failed.");
  const std::string banner =
      std::string(kBanner) + " (" + CSystemInfo::Get().GetOSName() + ") application framework of Quarn2";
  fConsole->Print(banner.c_str(), false);
}

int32_t COrdaxApp::OnKey(SWinEvent& event) {
  if (const int32_t answer = CWinAppl::OnKey(event)) return answer;
  if (IsControlDown() && IsShiftDown() && event.key == ' ' && fConsole) {
    if (fConsole->IsVisible()) fConsole->Hide();
    else fConsole->Show();
  }
  return 0;
}
