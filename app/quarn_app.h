// The program's application: its phases over the framework application, and the main window's
// handlers, through which keys, menu picks, dropped files and closing reach the palette manager's
// command dispatcher.
#pragma once

#include <string>

#include "framework/core/ordax_app.h"
#include "platform/window.h"

class CPaletteManager;

class CQuarnApp : public COrdaxApp {
 public:
  // The layout files' folder, in the program's folder.
  static constexpr const char* kLayoutFolder = "data\\";

  explicit CQuarnApp(const SApplDesc& desc);
  ~CQuarnApp() override;

  // The documents the command line names wait in the palette manager's list: 0.
  int32_t HandleCommandLine(const char* commandLine);
  // Where the interface's layout files are read from (the program's "data\" at first).
  void SetLayoutFolder(const char* folder) { fLayoutFolder = folder ? folder : ""; }

  void Init(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap) override;
  void Term() override;
  // The scene classes, the dialogs' shadow pictures, the palettes and dialogs from the layout files
  // and the progress dialog, then the maximised main window with the palettes laid out and shown.
  // Any failure quits; only a failure to register the scene classes shows its message.
  void CreateUserInterface() override;
  void DeleteUserInterface() override;
  // The queued UI messages, then the palette manager's idle step; failures are reported.
  void Idle() override;
  // Only the flag and the frame change: the main window stays as it is, its non-client strip showing
  // the menu bar or black. Nothing changes while the palette manager is busy.
  void ShowMenuBar() override;
  void HideMenuBar() override;
  // The frame of the normal layout keeps the menu bar shown; that of the maximised layout shows it
  // only while the pointer is over its strip. The layout decides this even while a command runs.
  void SetFrameMode(bool normal);

  // ---- the main window
  // The palette manager's keys first; what it leaves goes on to the framework's handling.
  int32_t OnKey(SWinEvent& event) override;
  // System characters are swallowed (no menu by Alt+letter), the end of the session asks the
  // document, and the palette manager takes what it knows.
  int32_t OnOtherMessage(SWinEvent& event) override;
  // Begins and ends painting and draws nothing: the document window and the palettes cover it.
  int32_t OnMainPaint(SWinEvent& event) override;
  int32_t OnMainDeactivateApp(SWinEvent& event) override;
  // Closing is the command 'quit'.
  int32_t OnMainClose(SWinEvent& event) override;
  int32_t OnMouseActivate(SWinEvent& event) override;
  // A menu item's command runs its code; a control's command is not the menu's.
  int32_t OnMainCommand(SWinEvent& event) override;
  int32_t OnMainSysCommand(SWinEvent& event) override;
  // Remembers the menu of the item the pointer is on, which the command that follows belongs to.
  int32_t OnMainMenuSelect(SWinEvent& event) override;

  CPaletteManager* GetPaletteManager() const { return fPaletteManager; }

 protected:
  void QuitFromKey() override;

 private:
  void OpenUI();

  CPaletteManager* fPaletteManager = nullptr;
  platform::MenuHandle fSelectedMenu = nullptr;
  std::string fLayoutFolder = kLayoutFolder;
};
