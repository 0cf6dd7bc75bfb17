// The framework application: the progress system and the desktop console over the window layer.
#pragma once

#include "framework/core/win_appl.h"

class CDesktopConsole;

class COrdaxApp : public CWinAppl {
 public:
  static constexpr const char* kBanner = "ordax 3.0r2";
  static constexpr int32_t kConsoleHeight = 15;
  static constexpr uint32_t kConsoleLineWidth = 128;
  static constexpr int32_t kConsolePriority = 0x3FFFFFFF;

  explicit COrdaxApp(const SApplDesc& desc);
  ~COrdaxApp() override;

  // Ctrl+Shift+Space shows the console when hidden and hides it when shown.
  int32_t OnKey(SWinEvent& event) override;

  // Null in a program without the interface framework.
  CDesktopConsole* GetConsole() const { return fConsole; }

 private:
  void CreateConsole();

  CDesktopConsole* fConsole = nullptr;
};
