// The input/output progress dialog: description, status line, progress bar and a cancel button.
//
// Placeholder: a plain window of its own stands for the dialog. It records description, status and
// percentage, shows and hides, keeps the dialog layer's nesting count, and stops running when its window is
// clicked, as the cancel button will.
#pragma once

#include <string>

#include "framework/core/base_object.h"
#include "framework/core/panel_services.h"

class CIOProgress : public CBaseObject, public CIOProgressDialog {
 public:
  static constexpr const char* kClassName = "CIOProgress";

  explicit CIOProgress(CResourceEnv* environment);
  ~CIOProgress() override;

  bool IsReady() const override { return fWindow != nullptr; }
  platform::WindowHandle GetWindow() const override { return fWindow; }
  bool IsRunning() const override { return fRunning; }
  void Reset() override { fRunning = true; }
  void Activate() override;
  void Show() override;
  void Update() override;
  void Hide() override;
  void RaiseNesting() override { ++gNesting; }
  void LowerNesting() override {
    if (gNesting) --gNesting;
  }
  void SetDescription(const char* text) override { fDescription = text ? text : ""; }
  void SetStatus(const char* text) override { fStatus = text ? text : ""; }
  void SetPercent(int32_t percent) override { fPercent = percent; }
  void NoOp(const char*) override {}

  const std::string& GetDescription() const { return fDescription; }
  const std::string& GetStatus() const { return fStatus; }
  int32_t GetPercent() const { return fPercent; }
  static uint32_t GetNesting() { return gNesting; }

 private:
  static intptr_t WindowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

  static inline uint32_t gNesting = 0;
  platform::WindowHandle fWindow = nullptr;
  std::string fDescription;
  std::string fStatus;
  int32_t fPercent = 0;
  bool fRunning = true;
};
