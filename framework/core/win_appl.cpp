#include "framework/core/win_appl.h"

#include <cstring>
#include <string>

#include "framework/core/fatal.h"
#include "framework/core/file.h"
#include "framework/core/result_codes.h"
#include "framework/core/system_info.h"
#include "framework/core/ui_services.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/file.h"
#include "platform/system.h"

using namespace platform;

namespace {

constexpr uint32_t kMessageBoxStyle = 0x12010;  // hand icon, OK, task-modal, brought to the front
constexpr uint32_t kQuestionBoxStyle = 0x12000 | kMbIconQuestion | kMbYesNo;
constexpr uint32_t kThreeWayBoxStyle = 0x12000 | kMbIconQuestion | kMbYesNoCancel;
constexpr uint32_t kOpenFlags = kOfnFileMustExist | kOfnPathMustExist | kOfnEnableHook | kOfnHideReadOnly;
constexpr uint32_t kSaveFlags = kOfnPathMustExist | kOfnEnableHook | kOfnHideReadOnly | kOfnOverwritePrompt;

// A filter list ends at the first empty text, as "description\0pattern\0\0".
std::string FilterText(const char* filter) {
  std::string text;
  if (!filter) return text;
  for (const char* p = filter; *p; p += std::strlen(p) + 1) text.append(p, std::strlen(p) + 1);
  return text;
}

std::string FolderOfChoice(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void RemoveMessages(uint32_t first, uint32_t last) {
  SMessage m;
  while (PeekMessage(&m, nullptr, first, last, true)) {
  }
}

bool Waiting(uint32_t first, uint32_t last) {
  SMessage m;
  return PeekMessage(&m, nullptr, first, last, false);
}

bool KeyDownWaiting() { return Waiting(kWmKeyDown, kWmKeyDown) || Waiting(kWmSysKeyDown, kWmSysKeyDown); }

// Key-ups only: a character already translated stays for whoever pumps next.
void RemoveKeyUps() {
  RemoveMessages(kWmKeyUp, kWmKeyUp);
  RemoveMessages(kWmSysKeyUp, kWmSysKeyUp);
}

}  // namespace

void SWinEvent::Init() {
  time = uint32_t(NowTicks());
  CAppl* app = GetApplication();
  heartbeatCount = app ? app->GetHeartbeatCount() : 0;
  const SPoint p = platform::GetCursorPos();
  x = p.x;
  y = p.y;
  key = reserved0 = virtualKey = 0;
  reserved1[0] = reserved1[1] = reserved1[2] = 0;
}

CWinAppl::CWinAppl(const SApplDesc& desc) : CAppl(desc) {
  SetCanShowMessages(true);
  if (!IsInitialised()) return;
  fInstance = desc.instance;
  fParentWindow = desc.parentWindow;
  fKeepWindowShown = desc.keepWindowShown;
  SetMenuBarHiddenFlag(desc.startMenuBarHidden);
  SetInitialised(CreateMainWindow(desc));
  if (!IsInitialised()) Fatal("Platform specific initialization failed.");
  fModuleAdded = CSystemInfo::Get().AddModule(fInstance) == 1;
  SetInitialised(fModuleAdded);
  if (!fModuleAdded) Fatal("Failed to register the resource instance.");
}

CWinAppl::~CWinAppl() {
  SetCanShowMessages(false);
  if (!IsInitialised()) return;
  if (fModuleAdded) CSystemInfo::Get().RemoveModule(fInstance);
  DestroyMainWindow();
}

bool CWinAppl::CreateMainWindow(const SApplDesc& desc) {
  SWindowClass windowClass;
  windowClass.name = kClassName;
  windowClass.style = kClassStyle;
  windowClass.procedure = &CWinAppl::WindowProc;
  windowClass.extraBytes = 4;
  windowClass.instance = fInstance;
  windowClass.cursor = ArrowCursor();
  if (!RegisterWindowClass(windowClass)) return false;
  const int32_t width = GetSystemMetrics(kSmCxScreen) & 0xFFFF;
  const int32_t height = GetSystemMetrics(kSmCyScreen) & 0xFFFF;
  if (desc.createMenu) fMenu = CreateMenu();
  WindowHandle window = CreateWindow(0, kClassName, GetName(), kMainWindowStyle, 0, 0, width, height, fParentWindow,
                                     fMenu, fInstance, static_cast<CWindowHandler*>(this));
  if (!window) {
    UnregisterWindowClass(kClassName, fInstance);
    return false;
  }
  fMainWindow = window;
  SetWindowText(window, GetName());

  const bool startHidden = IsMenuBarHidden();
  SetMenuBarHiddenFlag(true);
  SetMenuBarHeight(GetSystemMetrics(kSmCyCaption) + GetSystemMetrics(kSmCyMenu));
  SetWindowPos(window, -100, -100, 100, 100, kSwpNoZOrder | kSwpNoActivate | kSwpFrameChanged);
  MoveWindow(window, 0, 0, width, height, true);
  SetMenuBarHiddenFlag(startHidden);
  if (fKeepWindowShown || !startHidden) ShowWindow(window, kSwShowMaximized);
  // Each runs its full change from the opposite state.
  SetMenuBarHiddenFlag(!startHidden);
  if (startHidden) HideMenuBar();
  else ShowMenuBar();
  GraySystemMenu();

  if (!RegisterCanvasClass(fInstance, fParentWindow ? fParentWindow : window)) {
    DestroyWindow(window);
    fMainWindow = nullptr;
    UnregisterWindowClass(kClassName, fInstance);
    return false;
  }
  return true;
}

void CWinAppl::DestroyMainWindow() {
  if (!fMainWindow) return;
  DestroyWindow(fMainWindow);
  fMainWindow = nullptr;
  if (fMenu) DestroyMenu(fMenu);
  fMenu = nullptr;
  UnregisterCanvasClass();
  UnregisterWindowClass(kClassName, fInstance);
}

void CWinAppl::GraySystemMenu() {
  for (uint32_t command : {kScMove, kScSize, kScMaximize}) EnableSystemMenuItem(fMainWindow, command, false);
}

// ---- the window procedure

intptr_t CWinAppl::WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* handler = reinterpret_cast<CWindowHandler*>(GetWindowUserData(window));
  if (!handler) {
    if (message == kWmNcCreate && lParam) {
      handler = static_cast<CWindowHandler*>(reinterpret_cast<SCreateStruct*>(lParam)->createParam);
      if (handler) {
        SetWindowUserData(window, reinterpret_cast<intptr_t>(handler));
        if (!handler->GetHandlerWindow()) handler->SetHandlerWindow(window);
      }
    }
    return DefWindowProc(window, message, wParam, lParam);
  }
  SWinEvent event;
  event.Init();
  event.window = window;
  event.message = message;
  event.wParam = wParam;
  event.lParam = lParam;
  bool handled = false;
  if (window == handler->GetHandlerWindow()) {
    const intptr_t answer = HandleOwnWindow(handler, event, &handled);
    if (handled) return answer;
  }
  const intptr_t answer = HandleAnyWindow(handler, event, &handled);
  if (handled) return answer;
  return DefWindowProc(window, message, wParam, lParam);
}

// Messages offered first when the window is the handler's own.
intptr_t CWinAppl::HandleOwnWindow(CWindowHandler* h, SWinEvent& e, bool* handled) {
  auto offer = [&](int32_t answer) -> intptr_t {
    *handled = answer != 0;
    return e.result;
  };
  auto done = [&](intptr_t answer) -> intptr_t {
    *handled = true;
    return answer;
  };
  switch (e.message) {
    case kWmCreate: return offer(h->OnMainCreate(e));
    case kWmDestroy: return offer(h->OnMainDestroy(e));
    case kWmMove: return offer(h->OnMainMove(e));
    case kWmSize: return offer(h->OnMainSize(e));
    case kWmActivate: return offer(h->OnMainActivate(e));
    case kWmPaint: return offer(h->OnMainPaint(e));
    case kWmClose:
    case kWmEndSession: return offer(h->OnMainClose(e));
    case kWmQuit: return offer(h->OnMainQuit(e));
    case kWmEraseBackground: return offer(h->OnMainEraseBackground(e));
    // Process priority follows activation on the original system; on Linux a process that lowered
    // its priority could not raise it again, so only the handlers run.
    case kWmActivateApp: return offer(e.wParam ? h->OnMainActivateApp(e) : h->OnMainDeactivateApp(e));
    case kWmSetCursor:
      if ((e.lParam & 0xFFFF) == kHitClient) return done(1);
      return 0;
    case kWmGetMinMaxInfo: return offer(h->OnMainGetMinMaxInfo(e));
    case kWmNcCalcSize: {
      if (!e.wParam) return 0;
      DefWindowProc(e.window, e.message, e.wParam, e.lParam);
      auto* params = reinterpret_cast<SNcCalcSizeParams*>(e.lParam);
      const SWindowPos& pos = *params->position;
      for (int i : {0, 2}) {
        params->rects[i].left = pos.x;
        params->rects[i].right = pos.x + pos.width;
        params->rects[i].bottom = pos.y + pos.height;
      }
      return done(0);
    }
    case kWmNcHitTest: {
      // The caption answers as client area: the window cannot be dragged.
      const intptr_t hit = DefWindowProc(e.window, e.message, e.wParam, e.lParam);
      return done(hit == kHitCaption ? kHitClient : hit);
    }
    case kWmNcPaint: {
      CAppl* app = GetApplication();
      if (!app || !app->IsMenuBarHidden()) return 0;
      FillNonClient(e.window, 0x000000);
      return done(0);
    }
    case kWmNcActivate: return done(1);
    // Nor does a press on the strip start the system's move.
    case kWmNcLButtonDown: return done(0);
    case kWmCommand: return offer(h->OnMainCommand(e));
    case kWmSysCommand: return offer(h->OnMainSysCommand(e));
    case kWmInitMenu:
      for (uint32_t command : {kScMove, kScSize, kScMaximize}) EnableSystemMenuItem(e.window, command, false);
      return done(0);
    case kWmMenuSelect: return offer(h->OnMainMenuSelect(e));
    case kWmMouseMove: return offer(h->OnMainMouseMove(e));
    case kWmLButtonDown:
    case kWmRButtonDown:
      e.x = LowWordSigned(e.lParam);
      e.y = HighWordSigned(e.lParam);
      return offer(h->OnMainButtonDown(e));
    default: return 0;
  }
}

intptr_t CWinAppl::HandleAnyWindow(CWindowHandler* h, SWinEvent& e, bool* handled) {
  auto offer = [&](int32_t answer) -> intptr_t {
    *handled = answer != 0;
    return e.result;
  };
  auto done = [&](intptr_t answer) -> intptr_t {
    *handled = true;
    return answer;
  };
  switch (e.message) {
    case kWmPaint: return offer(h->OnUpdate(e));
    case kWmActivateApp: return offer(h->OnActivateApp(e));
    case kWmSetCursor:
      if ((e.lParam & 0xFFFF) == kHitClient) return done(1);
      return 0;
    case kWmMouseActivate: return offer(h->OnMouseActivate(e));
    case kWmKeyDown:
    case kWmSysKeyDown: {
      // Alt alone must not open the system menu.
      if (e.message == kWmSysKeyDown && e.wParam == kVkMenu) return done(0);
      const uint32_t c = MapVirtualKey(uint32_t(e.wParam), 2) & 0xFFFF;
      // A plain key with a character waits for its character message.
      if (!IsKeyDownAsync(kVkControl) && e.message == kWmKeyDown && c) return done(0);
      e.key = c ? c : uint32_t(e.wParam);
      e.virtualKey = uint32_t(e.wParam);
      if (h->OnKey(e)) return done(1);
      return 0;
    }
    case kWmChar:
      e.key = uint32_t(e.wParam);
      e.virtualKey = 0;
      return offer(h->OnKey(e));
    case kWmSysCommand: {
      const uint32_t command = uint32_t(e.wParam) & 0xFFF0;
      if (command == kScMove || command == kScNextWindow || command == kScPrevWindow) return done(0);
      return 0;
    }
    case kWmLButtonDown: return offer(h->OnMouseDown(e));
    case kWmUser + 1: return offer(h->OnMainUserMessage(e));
    default: return offer(h->OnOtherMessage(e));
  }
}

// ---- handlers

int32_t CWinAppl::OnMouseDown(SWinEvent& event) {
  if (fWaitingForClick) {
    fWaitingForClick = false;
    return 0;
  }
  // Sign-extended: a drag captured outside the window has negative client coordinates.
  const SPoint screen = ClientToScreen(event.window, {LowWordSigned(event.lParam), HighWordSigned(event.lParam)});
  event.x = screen.x;
  event.y = screen.y;
  return Broadcast(kEventMouseDown, event);
}

int32_t CWinAppl::OnKey(SWinEvent& event) {
  event.key = uint32_t(event.wParam);
  event.reserved0 = 0;
  if (const int32_t answer = Broadcast(kEventKey, event)) return answer;
  if (IsCommandDown() && (event.key == 'Q' || event.key == 'q')) QuitFromKey();
  if (IsShiftDown() && !IsControlDown() && event.key == ' ') {
    if (IsMenuBarHidden()) ShowMenuBar();
    else HideMenuBar();
  }
  return 0;
}

int32_t CWinAppl::OnUpdate(SWinEvent& event) { return Broadcast(kEventUpdate, event); }

int32_t CWinAppl::OnActivateApp(SWinEvent& event) {
  fActive = event.wParam != 0;
  return Broadcast(fActive ? kEventActivated : kEventDeactivated, event);
}

int32_t CWinAppl::OnOtherMessage(SWinEvent& event) { return Broadcast(kEventOtherMessage + event.message, event); }

int32_t CWinAppl::OnMainPaint(SWinEvent& event) {
  SPaint paint;
  BeginPaint(event.window, &paint);
  FillClientRect(event.window, paint.area, *GetDesktopColor());
  EndPaint(event.window, paint);
  return 1;
}

int32_t CWinAppl::OnMainQuit(SWinEvent&) {
  Quit();
  return 1;
}

int32_t CWinAppl::OnMainEraseBackground(SWinEvent& event) {
  SWinRect client;
  GetClientRect(event.window, &client);
  FillClientRect(event.window, client, *GetDesktopColor());
  event.result = 1;
  return 1;
}

int32_t CWinAppl::OnMouseActivate(SWinEvent& event) {
  if (!IsActive()) {
    SetForegroundWindow(fMainWindow);
    event.result = kMaNoActivateAndEat;
  } else {
    event.result = kMaNoActivate;
  }
  return 1;
}

// ---- loop

void CWinAppl::PumpMessages() {
  SMessage message;
  // Dispatch first: a key-down that a handler took makes no character.
  while (PeekMessage(&message, nullptr, 0, 0, true)) {
    if (DispatchMessage(message) == 0) TranslateMessage(message);
  }
}

void CWinAppl::Heartbeat(bool pump) {
  if (IsMenuBarAutoHide() && IsActive()) {
    SWinRect rect;
    GetWindowRect(fMainWindow, &rect);
    const SPoint p = platform::GetCursorPos();
    if (p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.top + GetMenuBarHeight()) ShowMenuBar();
    else HideMenuBar();
  }
  CAppl::Heartbeat(pump);
}

void CWinAppl::RecomputeFrame() {
  SetWindowPos(fMainWindow, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpNoZOrder | kSwpNoActivate | kSwpFrameChanged);
}

void CWinAppl::HideMenuBar() {
  if (IsMenuBarHidden()) return;
  SetMenuBarHiddenFlag(true);
  RecomputeFrame();
  if (!fKeepWindowShown) ShowWindow(fMainWindow, kSwHide);
}

void CWinAppl::ShowMenuBar() {
  if (!IsMenuBarHidden()) return;
  SetMenuBarHiddenFlag(false);
  RecomputeFrame();
  if (!fKeepWindowShown) ShowWindow(fMainWindow, kSwShowMaximized);
}

// ---- queries

bool CWinAppl::IsActive() { return fActive && !platform::IsIconic(fMainWindow); }

bool CWinAppl::IsIconic() { return platform::IsIconic(fMainWindow); }

void CWinAppl::WaitClick(bool heartbeats, bool pump, bool flush) {
  if (heartbeats && pump) {
    fWaitingForClick = true;
    while (fWaitingForClick) Heartbeat(pump);
  } else {
    while (!IsMouseDown()) {
      if (heartbeats) Heartbeat(pump);
    }
    while (IsMouseDown()) {
      if (heartbeats) Heartbeat(pump);
    }
  }
  if (flush) {
    SMessage m;
    PeekMessage(&m, fMainWindow, kWmMouseFirst, kWmMouseLast, true);
  }
}

bool CWinAppl::IsMouseDown() {
  return IsActive() && IsKeyDownAsync(GetSystemMetrics(kSmSwapButton) ? kVkRButton : kVkLButton);
}

bool CWinAppl::IsStillDown() { return IsActive() && IsMouseDown() && !Waiting(kWmLButtonDown, kWmLButtonDown); }

SPoint CWinAppl::GetCursorPos() { return platform::GetCursorPos(); }

void CWinAppl::HideCursor() {
  if (fCursorHidden) return;
  platform::ShowCursor(false);
  fCursorHidden = true;
}

void CWinAppl::ShowCursor() {
  if (!fCursorHidden) return;
  platform::ShowCursor(true);
  fCursorHidden = false;
}

void CWinAppl::SetBusyCursor() {
  SetCursor(WaitCursor());
  fBusyCursor = true;
}

void CWinAppl::SetArrowCursor() {
  SetCursor(ArrowCursor());
  fBusyCursor = false;
}

bool CWinAppl::IsKeyDown(uint32_t virtualKey) {
  if (!IsActive()) return false;
  return virtualKey == kVkCapital ? IsKeyToggled(virtualKey) : IsKeyDownAsync(virtualKey);
}

bool CWinAppl::IsInputPending() { return (GetQueueStatus(0xBF) >> 16) != 0; }

bool CWinAppl::IsClickPending() { return IsActive() && Waiting(kWmLButtonDown, kWmLButtonDown); }

bool CWinAppl::IsKeyPending() {
  if (!IsActive() || !Waiting(kWmKeyFirst, kWmKeyLast)) return false;
  if (KeyDownWaiting()) return true;
  RemoveKeyUps();
  return false;
}

bool CWinAppl::IsUserInterrupt() {
  if (platform::IsStopRequested()) return true;
  if (!IsActive()) return false;
  if (Waiting(kWmLButtonDown, kWmMouseLast)) return true;
  if (!Waiting(kWmKeyFirst, kWmKeyLast)) return false;
  if (KeyDownWaiting()) return true;
  RemoveKeyUps();
  return false;
}

bool CWinAppl::IsPaintPending() { return IsActive() && (GetQueueStatus(kQsPaint) >> 16) != 0; }

void CWinAppl::FlushInput() {
  RemoveMessages(kWmMouseFirst, kWmMouseLast);
  RemoveMessages(kWmKeyFirst, kWmKeyLast);
}

SRect CWinAppl::GetScreenRect() {
  SRect rect;
  return rect.Set(0, 0, GetSystemMetrics(kSmCyScreen), GetSystemMetrics(kSmCxScreen));
}

SRect CWinAppl::GetWorkRect() {
  const SWinRect area = GetWorkArea();
  SRect rect;
  return rect.Set(area.top, area.left, area.bottom, area.right);
}

void CWinAppl::ShowMessage(const char* text) { ShowMessageBox(text, kMessageBoxStyle); }

bool CWinAppl::AskYesNo(const char* text) { return ShowMessageBox(text, kQuestionBoxStyle) == kIdYes; }

int32_t CWinAppl::AskYesNoCancel(const char* text) {
  const int32_t answer = ShowMessageBox(text, kThreeWayBoxStyle);
  return answer == kIdYes || answer == kIdNo ? answer : kIdCancel;
}

int32_t CWinAppl::ShowMessageBox(const char* text, uint32_t style) {
  const bool busy = fBusyCursor;
  if (busy) SetArrowCursor();
  const int32_t answer = MessageBox(nullptr, text ? text : "", GetName(), style);
  if (busy) SetBusyCursor();
  return answer;
}

// ---- files

int32_t CWinAppl::ChooseFile(bool save, CFileSpec* spec, bool* replacing, const char* filter, const char* title,
                             const char* initialName, const char* defaultExtension) {
  SFileDialog dialog;
  dialog.owner = fMainWindow;
  dialog.filter = FilterText(filter);
  dialog.file = initialName ? initialName : "";
  dialog.title = title ? title : "";
  dialog.initialFolder = save ? fSaveFolder : fOpenFolder;
  dialog.defaultExtension = defaultExtension ? defaultExtension : "";
  dialog.flags = (save ? kSaveFlags : kOpenFlags) | (CSystemInfo::Get().HasNewShell() ? uint32_t(kOfnExplorer) : 0u);
  if (!(save ? GetSaveFileName(&dialog) : GetOpenFileName(&dialog))) {
    const uint32_t error = CommonDialogError();
    return error == 0 ? kSilentCode24 : MapSystemError(int32_t(error));
  }
  (save ? fSaveFolder : fOpenFolder) = FolderOfChoice(dialog.file);
  // A name too long to hold is no file the program can name.
  if (dialog.file.size() > CFileSpec::kMaxPath) return kErrInvalidPath;
  if (const int32_t err = spec->Set(dialog.file.c_str())) return err;
  if (save) {
    CFile probe(*spec);
    if (replacing) *replacing = probe.Probe() == kNoErr;
    const uint16_t index = uint16_t(dialog.filterIndex ? dialog.filterIndex - 1 : 0);
    std::memcpy(spec->fHeader, &index, sizeof index);
  }
  return kNoErr;
}

int32_t CWinAppl::ChooseFileToOpen(CFileSpec* spec, const char* filter, const char* title, const char* initialName) {
  return ChooseFile(false, spec, nullptr, filter, title, initialName, nullptr);
}

int32_t CWinAppl::ChooseFileToSave(CFileSpec* spec, bool* replacing, const char* filter, const char* title,
                                   const char* initialName, const char* defaultExtension) {
  return ChooseFile(true, spec, replacing, filter, title, initialName, defaultExtension);
}

// Resolved against the program's folder without making it the current folder, so files named
// relative to the current folder mean the same before and after start-up.
int32_t CWinAppl::SetModuleDirectory(const char* name, CFileSpec* spec) {
  const std::string program = ProgramPath();
  if (program.empty() || program.size() > CFileSpec::kMaxPath) return kErrInvalidParameter;
  const std::string relative = name ? name : "";
  const std::string path =
      (!relative.empty() && (relative[0] == '/' || relative[0] == '\\')) ? relative : FolderOf(program) + "/" + relative;
  CFileSpec resolved;
  const int32_t err = resolved.Set(path.c_str());
  *spec = resolved;
  return err;
}
