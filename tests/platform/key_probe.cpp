// Logs the key messages that reach a window, one line each, as a program's loop takes them: on the
// GTK back end when a display is there and QUARN2_HEADLESS is unset, else headless with the input
// script that QUARN2_SCRIPT names. The same strokes must log the same lines on both.
//
// A line: where the message went ("window" or "edit"), its kind (down, up, char, sysdown, sysup,
// syschar), wParam in hex, the previous-state bit of lParam, and the modifiers as the program reads
// them while it handles the message (S, C, A, or "-"). F8 shows a message box; F9 gives the focus to
// a text field inside the window; F12 prints the field's text and selection ("text ... selection A
// B") and ends the probe. A run also ends after 60 s, or headless when the script has run out.
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/edit_control.h"
#include "platform/gtk_backend.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

constexpr uint32_t kF8 = 0x77;
constexpr uint32_t kF9 = 0x78;
constexpr uint32_t kF12 = 0x7B;
constexpr int64_t kLongestRunMs = 60000;

WindowHandle gEdit = nullptr;
WindowProc gEditProcedure = nullptr;
bool gDone = false;

const char* KindOf(uint32_t message) {
  switch (message) {
    case kWmKeyDown: return "down";
    case kWmKeyUp: return "up";
    case kWmChar: return "char";
    case kWmSysKeyDown: return "sysdown";
    case kWmSysKeyUp: return "sysup";
    case kWmSysChar: return "syschar";
    default: return nullptr;
  }
}

std::string Modifiers() {
  std::string held;
  if (IsKeyDownAsync(kVkShift)) held += 'S';
  if (IsKeyDownAsync(kVkControl)) held += 'C';
  if (IsKeyDownAsync(kVkMenu)) held += 'A';
  return held.empty() ? "-" : held;
}

void Log(const char* where, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const char* kind = KindOf(message);
  if (!kind || gDone) return;
  std::printf("%s %s 0x%02x %d %s\n", where, kind, unsigned(wParam), int((lParam >> 30) & 1), Modifiers().c_str());
  std::fflush(stdout);
}

void Finish() {
  uint32_t start = 0, end = 0;
  SendMessage(gEdit, kEmGetSel, reinterpret_cast<uintptr_t>(&start), reinterpret_cast<intptr_t>(&end));
  char text[256] = {};
  SendMessage(gEdit, kWmGetText, sizeof text, reinterpret_cast<intptr_t>(text));
  std::printf("text \"%s\" selection %u %u\n", text, start, end);
  std::fflush(stdout);
  gDone = true;
}

intptr_t EditProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Log("edit", message, wParam, lParam);
  if (message == kWmKeyDown && wParam == kF12) {
    Finish();
    return 1;
  }
  return CallWindowProc(gEditProcedure, window, message, wParam, lParam);
}

intptr_t WindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Log("window", message, wParam, lParam);
  if (message == kWmKeyDown && wParam == kF8) {
    MessageBox(window, "probe", "key probe box", kMbOk);
    return 1;
  }
  if (message == kWmKeyDown && wParam == kF9) {
    SetFocus(gEdit);
    return 1;
  }
  if (message == kWmKeyDown && wParam == kF12) {
    Finish();
    return 1;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

int main() {
  EnableGtkBackend();
  if (!headless::LoadScriptFromEnvironment()) return 1;
  SWindowClass windowClass;
  windowClass.name = "KeyProbe";
  windowClass.procedure = &WindowProcedure;
  windowClass.cursor = ArrowCursor();
  if (!RegisterWindowClass(windowClass)) return 1;
  WindowHandle window = CreateWindow(0, "KeyProbe", "key probe", kWsPopup | kWsVisible, 0, 0, 300, 200, nullptr,
                                     nullptr, nullptr, nullptr);
  gEdit = CreateWindow(0, kEditClass, "", kWsChild | kWsVisible, 20, 80, 200, 24, window, nullptr, nullptr, nullptr);
  if (!window || !gEdit) return 1;
  gEditProcedure = SetWindowProcedure(gEdit, &EditProc);
  SetForegroundWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  const int64_t end = NowMs() + kLongestRunMs;
  SMessage message;
  while (!gDone && NowMs() < end) {
    if (PeekMessage(&message, nullptr, 0, 0, true)) {
      if (DispatchMessage(message) == 0) TranslateMessage(message);
      continue;
    }
    if (IsHeadless() && headless::PendingInputs() == 0) break;
    WaitMessage(10);
  }
  DestroyWindow(window);
  return 0;
}
