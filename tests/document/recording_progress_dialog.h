// A progress dialog that records what the progress display tells it, registered in place of the
// palettes' dialog (which comes after the documents) while an object of CRecordedProgress lives.
#pragma once

#include <string>
#include <vector>

#include "framework/core/panel_services.h"

class CRecordingProgressDialog : public CIOProgressDialog {
 public:
  bool IsReady() const override { return true; }
  platform::WindowHandle GetWindow() const override { return nullptr; }
  bool IsRunning() const override { return true; }
  void Reset() override {}
  void ActivateDialog() override {}
  void ShowDialog() override {}
  void UpdateDialog() override {}
  void HideDialog() override {}
  void RaiseNesting() override {}
  void LowerNesting() override {}
  void SetDescription(const char* text) override { fDescription = text ? text : ""; }
  void SetStatus(const char* text) override {
    fStatus = text ? text : "";
    fStatuses.push_back(fStatus);
  }
  void SetPercent(int32_t) override {}
  void NoOp(const char*) override {}

  const std::string& GetDescription() const { return fDescription; }
  const std::string& GetStatus() const { return fStatus; }
  // Every status set, in order.
  const std::vector<std::string>& GetStatuses() const { return fStatuses; }

 private:
  std::string fDescription;
  std::string fStatus;
  std::vector<std::string> fStatuses;
};

class CRecordedProgress {
 public:
  CRecordedProgress() { SetPanelServices(&kServices); }
  ~CRecordedProgress() { SetPanelServices(nullptr); }

 private:
  static constexpr SPanelServices kServices = {
      [](CResourceEnv*) -> CIOProgressDialog* { return new CRecordingProgressDialog; },
  };
};
