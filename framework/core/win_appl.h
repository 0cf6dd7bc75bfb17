// The application's window layer: the main window and its class, the one window procedure of main and
// canvas windows, the non-blocking pump, window messages turned into framework events on the
// Receivers table, the auto-hiding menu bar, and the input queries long work polls.
#pragma once

#include "framework/core/appl.h"
#include "framework/core/window_handler.h"

// Framework events: the first word of a Receivers broadcast, the event record in the second.
enum : uint32_t {
  kEventMouseDown = 0,
  kEventKey = 1,
  kEventUpdate = 2,
  kEventDeactivated = 3,
  kEventActivated = 4,
  kEventCommand = 5,  // broadcast by the program itself, never by the window procedure
  kEventOtherMessage = 0x2000000,  // + the message number
};

class CWinAppl : public CAppl, public CWindowHandler {
 public:
  static constexpr const char* kClassName = "CWinAppl";
  static constexpr uint32_t kClassStyle = 0x1000;
  static constexpr uint32_t kMainWindowStyle = 0x80CA0000;

  explicit CWinAppl(const SApplDesc& desc);
  ~CWinAppl() override;

  static intptr_t WindowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

  bool CreateMainWindow(const SApplDesc& desc) override;
  void DestroyMainWindow() override;
  void Idle() override {}
  void PumpMessages() override;
  void Heartbeat(bool pump) override;

  bool IsActive() override;
  void WaitClick(bool heartbeats, bool pump, bool flush) override;
  bool IsMouseDown() override;
  bool IsStillDown() override;
  platform::SPoint GetCursorPos() override;
  bool IsCursorHidden() override { return fCursorHidden; }
  void HideCursor() override;
  void ShowCursor() override;
  bool IsBusyCursor() override { return fBusyCursor; }
  void SetBusyCursor() override;
  void SetArrowCursor() override;
  bool IsKeyDown(uint32_t virtualKey) override;
  bool IsShiftDown() override { return IsKeyDown(platform::kVkShift); }
  bool IsControlDown() override { return IsKeyDown(platform::kVkControl); }
  bool IsAltDown() override { return IsKeyDown(platform::kVkMenu); }
  bool IsCommandDown() override { return IsKeyDown(platform::kVkControl); }
  bool IsCapsLockOn() override { return IsKeyDown(platform::kVkCapital); }
  bool IsEscapeDown() override { return IsKeyDown(platform::kVkEscape); }
  bool IsInputPending() override;
  bool IsClickPending() override;
  bool IsKeyPending() override;
  bool IsUserInterrupt() override;
  bool IsPaintPending() override;
  void DispatchPaintMessages() override { platform::DispatchPaintMessages(); }
  void RedrawAllWindows() override { platform::InvalidateAllWindows(); }
  void FlushInput() override;
  SRect GetScreenRect() override;
  // The screen without what the desktop keeps for itself (panels, docks).
  SRect GetWorkRect();
  void ShowMessage(const char* text) override;
  bool AskYesNo(const char* text) override;
  // A question with the buttons Yes, No and Cancel: platform::kIdYes, kIdNo or kIdCancel.
  int32_t AskYesNoCancel(const char* text);
  void HideMenuBar() override;
  void ShowMenuBar() override;
  bool IsIconic() override;
  int32_t ChooseFileToOpen(CFileSpec* spec, const char* filter, const char* title, const char* initialName) override;
  int32_t ChooseFileToSave(CFileSpec* spec, bool* replacing, const char* filter, const char* title,
                           const char* initialName, const char* defaultExtension = nullptr) override;
  int32_t SetModuleDirectory(const char* name, CFileSpec* spec) override;

  platform::WindowHandle GetHandlerWindow() const override { return fMainWindow; }
  void SetHandlerWindow(platform::WindowHandle window) override { fMainWindow = window; }
  platform::WindowHandle GetMainWindow() const { return fMainWindow; }
  platform::ModuleHandle GetInstance() const { return fInstance; }
  bool IsWaitingForClick() const { return fWaitingForClick; }

  int32_t OnMouseDown(SWinEvent& event) override;
  int32_t OnKey(SWinEvent& event) override;
  int32_t OnUpdate(SWinEvent& event) override;
  int32_t OnActivateApp(SWinEvent& event) override;
  int32_t OnOtherMessage(SWinEvent& event) override;
  int32_t OnMainPaint(SWinEvent& event) override;
  int32_t OnMainQuit(SWinEvent& event) override;
  int32_t OnMainEraseBackground(SWinEvent& event) override;
  int32_t OnMouseActivate(SWinEvent& event) override;

 protected:
  // What Ctrl+Q does when no one took the key: the program's own quit, which may ask first.
  virtual void QuitFromKey() { Quit(); }
  // Makes the system recompute the main window's frame, keeping its position, size and order.
  void RecomputeFrame();
  int32_t Broadcast(uint32_t event, SWinEvent& record) {
    return BroadcastToReceivers(event, reinterpret_cast<uintptr_t>(&record));
  }

 private:
  static intptr_t HandleOwnWindow(CWindowHandler* handler, SWinEvent& event, bool* handled);
  static intptr_t HandleAnyWindow(CWindowHandler* handler, SWinEvent& event, bool* handled);
  int32_t ShowMessageBox(const char* text, uint32_t style);
  int32_t ChooseFile(bool save, CFileSpec* spec, bool* replacing, const char* filter, const char* title,
                     const char* initialName, const char* defaultExtension);
  void GraySystemMenu();

  platform::ModuleHandle fInstance = nullptr;
  platform::WindowHandle fMainWindow = nullptr;
  platform::WindowHandle fParentWindow = nullptr;
  platform::MenuHandle fMenu = nullptr;
  bool fKeepWindowShown = false;
  bool fCursorHidden = false;
  bool fBusyCursor = false;
  bool fWaitingForClick = false;
  bool fActive = true;
  bool fModuleAdded = false;
  std::string fOpenFolder;
  std::string fSaveFolder;
};
