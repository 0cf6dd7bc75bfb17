#include "panels/io_progress.h"

#include "platform/window.h"

using namespace platform;

namespace {

constexpr int32_t kWidth = 360;
constexpr int32_t kHeight = 100;
constexpr uint32_t kBackground = 0xC0C0C0;

bool gClassRegistered = false;

}  // namespace

CIOProgress::CIOProgress(CResourceEnv*) {
  if (!gClassRegistered) {
    SWindowClass windowClass;
    windowClass.name = kClassName;
    windowClass.procedure = &CIOProgress::WindowProc;
    windowClass.cursor = ArrowCursor();
    gClassRegistered = RegisterWindowClass(windowClass);
  }
  const int32_t x = (GetSystemMetrics(kSmCxScreen) - kWidth) / 2;
  const int32_t y = (GetSystemMetrics(kSmCyScreen) - kHeight) / 2;
  fWindow = CreateWindow(0, kClassName, "", kWsPopup, x, y, kWidth, kHeight, nullptr, nullptr, nullptr, this);
}

CIOProgress::~CIOProgress() {
  if (fWindow) DestroyWindow(fWindow);
  if (gClassRegistered && UnregisterWindowClass(kClassName, nullptr)) gClassRegistered = false;
}

void CIOProgress::Activate() { SetForegroundWindow(fWindow); }

void CIOProgress::Show() { ShowWindow(fWindow, kSwShow); }

void CIOProgress::Update() {
  SWinRect client;
  GetClientRect(fWindow, &client);
  FillClientRect(fWindow, client, kBackground);
}

void CIOProgress::Hide() { ShowWindow(fWindow, kSwHide); }

intptr_t CIOProgress::WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kWmNcCreate) {
    SetWindowUserData(window, reinterpret_cast<intptr_t>(reinterpret_cast<SCreateStruct*>(lParam)->createParam));
  } else if (message == kWmLButtonDown) {
    // The whole window stands for the cancel button.
    if (auto* dialog = reinterpret_cast<CIOProgress*>(GetWindowUserData(window))) {
      dialog->fRunning = false;
      dialog->Hide();
      return 1;
    }
  }
  return DefWindowProc(window, message, wParam, lParam);
}

