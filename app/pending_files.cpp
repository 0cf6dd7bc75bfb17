// Files waiting to be opened, from the command line, a second start and drops on the main window,
// and the other messages of the main window that the palette manager takes.
#include <cstring>
#include <string>

#include "app/doc_window.h"
#include "app/palette_manager.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/core/window_handler.h"
#include "panels/layout_needs.h"
#include "platform/desktop.h"
#include "platform/system.h"

namespace {

constexpr const char* kResetPalettes = "reset palettes";

CWinAppl* WinApp() { return dynamic_cast<CWinAppl*>(GetApplication()); }

}  // namespace

// A relative name lies in folder, or in the current folder without one.
bool CPaletteManager::QueueFile(const char* name, const char* folder) {
  const size_t length = std::strlen(name);
  if (length == 0 || length >= kMaxNameBytes) return false;
  std::string path = name;
  if (folder && *folder && name[0] != '/' && name[0] != '\\') path = std::string(folder) + "/" + name;
  CFileSpec spec;
  if (spec.Set(path.c_str()) != kNoErr) return false;
  return fPending.Append(spec);
}

// The text is what JoinCommandLine made of the arguments: inside quotes a backslash takes the next
// quote or backslash as it is.
int32_t CPaletteManager::QueueCommandLineFiles(const char* text, const char* folder) {
  if (!text || !*text) return kNoErr;
  if (const char* quote = std::strchr(text, '"')) {
    std::string name;
    for (const char* p = quote + 1; *p && *p != '"'; ++p) {
      if (*p == '\\' && (p[1] == '"' || p[1] == '\\')) ++p;
      name += *p;
    }
    QueueFile(name.c_str(), folder);
    return kNoErr;
  }
  for (const char* word = text; *word;) {
    const char* end = std::strchr(word, ' ');
    const std::string name(word, end ? size_t(end - word) : std::strlen(word));
    if (!name.empty()) QueueFile(name.c_str(), folder);
    if (!end) break;
    word = end + 1;
  }
  return kNoErr;
}

bool CPaletteManager::HandleWindowMessage(SWinEvent& event) {
  CWinAppl* app = WinApp();
  if (!app || event.window != app->GetMainWindow()) return false;
  switch (event.message) {
    case platform::kWmUser: {
      // The record goes with the message: its texts are copied before anything else runs.
      const auto* forwarded = reinterpret_cast<const platform::SForwardedCommandLine*>(event.lParam);
      if (forwarded) {
        const std::string line = forwarded->commandLine ? forwarded->commandLine : "";
        const std::string folder = forwarded->folder ? forwarded->folder : "";
        QueueCommandLineFiles(line.c_str(), folder.c_str());
      }
      return true;
    }
    case platform::kWmDropFiles:
      TakeDroppedFiles(event);
      return false;
    case platform::kWmDisplayChange:
      RefitToDisplay(event);
      return true;
    default: return false;
  }
}

// The drop is released once its names are read; the handling that follows sees none.
void CPaletteManager::TakeDroppedFiles(SWinEvent& event) {
  auto drop = reinterpret_cast<platform::DropHandle>(event.wParam);
  if (!drop) return;
  if (CWinAppl* app = WinApp()) platform::SetForegroundWindow(app->GetMainWindow());
  const uint32_t count = platform::DragQueryFileCount(drop);
  for (uint32_t i = 0; i < count; ++i) QueueFile(platform::DragQueryFile(drop, i).c_str(), nullptr);
  platform::DragFinish(drop);
  event.wParam = 0;
}

// The main window fills the new screen; the palettes follow at a later idle step unless the
// document window already spans it.
void CPaletteManager::RefitToDisplay(SWinEvent& event) {
  CWinAppl* app = WinApp();
  platform::WindowHandle main = app->GetMainWindow();
  const int32_t width = platform::GetSystemMetrics(platform::kSmCxScreen);
  const int32_t height = platform::GetSystemMetrics(platform::kSmCyScreen);
  platform::SMessage waiting;
  while (platform::PeekMessage(&waiting, nullptr, platform::kWmMove, platform::kWmMove, true))
    platform::DispatchMessage(waiting);
  platform::SetWindowPos(main, -3, -3, 3, 3, platform::kSwpNoZOrder | platform::kSwpFrameChanged);
  platform::SetWindowPos(main, 0, 0, width, height, platform::kSwpNoZOrder);
  platform::ShowWindow(main, platform::kSwShowMaximized);
  platform::SetFocus(main);
  event.result = 1;
  CDocWindow* window = GetDocWindow();
  platform::SWinRect rect;
  if (!window || !platform::GetWindowRect(window->GetWindow(), &rect)) return;
  if (rect.right == width && rect.bottom == height) return;
  PlaceDocWindow({0, 0, height, width});
  CUIMessage message;
  message.Init(0, kResetPalettes, nullptr, nullptr, 0);
  fBroadcaster.Enqueue(message);
}

int32_t CPaletteManager::IdleStep() {
  if (fPending.GetCount() == 0) return kNoErr;
  CDocWindow* window = GetDocWindow();
  if (!window) {
    ClearPending();
    return kNoErr;
  }
  if (window->GetFlags() & CDocWindow::kIgnoreSaveReplies) return kNoErr;  // the question is up
  if (window->GetFlags() & CDocWindow::kUnsavedChanges) return AskBeforeOpening(window);
  // One document at a time: the first file is opened, the others are dropped.
  const CFileSpec file = fPending[0];
  ClearPending();
  const int32_t err = window->OpenDocument(0, &file, false);
  if (!err) window->SetFlags(CDocWindow::kHasFile);
  LinkCanvases();
  return err;
}

// The save question, whose reply HandleUIMessage takes while the window ignores it.
int32_t CPaletteManager::AskBeforeOpening(CDocWindow* window) {
  window->SetFlags(CDocWindow::kIgnoreSaveReplies);
  CUIMessage request;
  request.Init(0, need::kSaveChanges.name, nullptr, nullptr, 0);
  const int32_t answer = fBroadcaster.Dispatch(&request);
  if (answer == kHandled) return kNoErr;
  // Nobody asked: the files cannot wait for an answer that never comes.
  window->ClearFlags(CDocWindow::kIgnoreSaveReplies);
  ClearPending();
  return answer;
}
