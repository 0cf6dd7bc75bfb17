// The program's application: its phases over the framework application.
#pragma once

#include "framework/core/ordax_app.h"

class CPaletteManager;

class CQuarnApp : public COrdaxApp {
 public:
  explicit CQuarnApp(const SApplDesc& desc);
  ~CQuarnApp() override;

  void Init(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap) override;
  void Term() override;
  // Builds the windows, loads the dialogs' shadow pictures and shows the main window maximised; any
  // failure quits without a message of its own.
  void CreateUserInterface() override;
  void DeleteUserInterface() override;
  void Idle() override;
  // Only the flag and the frame change: the main window stays as it is, its non-client strip showing
  // the menu bar or black.
  void ShowMenuBar() override;
  void HideMenuBar() override;

  CPaletteManager* GetPaletteManager() const { return fPaletteManager; }

 private:
  CPaletteManager* fPaletteManager = nullptr;
};
