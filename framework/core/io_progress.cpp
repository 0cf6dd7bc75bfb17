#include "framework/core/io_progress.h"

#include <string>

#include "framework/core/appl.h"
#include "framework/core/document_services.h"
#include "framework/core/panel_services.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "platform/window.h"

namespace {

constexpr size_t kDescriptionChars = 256;
constexpr int64_t kPumpTicks = 30;

CIOProgressDialog* gDialog = nullptr;
bool gShown = false;
uint32_t gLastDone = 0;
CTimer gRedrawTimer;
CTimer gPumpTimer;

int32_t Percent(uint32_t done, uint32_t total) {
  if (total == 0 || done >= total) return 100;
  return int32_t(double(done) / double(total) * 100.0);
}

void ShowState(const char* status, uint32_t done, uint32_t total) {
  if (!gDialog) return;
  gDialog->SetStatus(status ? status : "");
  gDialog->SetPercent(Percent(done, total));
}

bool IsMouseMessage(uint32_t m) { return m >= platform::kWmMouseFirst && m <= platform::kWmMouseLast; }
bool IsKeyMessage(uint32_t m) { return m >= platform::kWmKeyFirst && m <= platform::kWmKeyLast; }

}  // namespace

void ProgressBegin(const char* caption, uint32_t formatIndex) {
  std::string text = caption ? caption : "";
  char description[kDescriptionChars] = {};
  if (GetPluginFormatDescription(description, sizeof description, formatIndex) == kNoErr) text += description;
  if (gDialog) {
    gDialog->Reset();
    gDialog->SetDescription(text.c_str());
  }
  gShown = false;
  gLastDone = 0;
  // The virtual clock may stand at 0, so a start time of 0 would not make the first update show.
  gRedrawTimer.Expire();
}

int32_t ProgressUpdate(const char* status, uint32_t done, uint32_t total) {
  if (!gShown) {
    if (gRedrawTimer.ElapsedTicks() >= 1) {
      if (gDialog) {
        gDialog->ActivateDialog();
        gDialog->ShowDialog();
        gDialog->UpdateDialog();
        gDialog->RaiseNesting();
      }
      gShown = true;
      ShowState(status, done, total);
      gRedrawTimer.Start();
    }
    return PumpWhileBusy();
  }
  // An unchanged count redraws nothing, but the queue is still served on time: a caller that reports
  // the same count for a while still hears the user's cancel.
  if (done != gLastDone) {
    gLastDone = done;
    const bool edge = done == 0 || done == total;
    if (edge || gRedrawTimer.ElapsedTicks() >= 1) {
      ShowState(status, done, total);
      gRedrawTimer.Start();
    }
  }
  if (gPumpTimer.ElapsedTicks() < kPumpTicks) return 0;
  gPumpTimer.Start();
  return PumpWhileBusy();
}

void ProgressEnd() {
  if (gDialog && gShown) {
    gDialog->LowerNesting();
    gDialog->HideDialog();
  }
  gShown = false;
}

void ProgressSetText(const char* text) {
  if (gDialog) gDialog->NoOp(text);
}

int32_t PumpWhileBusy() {
  using namespace platform;
  SMessage m;
  while (PeekMessage(&m, nullptr, 0, 0, true)) {
    const bool press = m.message == kWmLButtonDown || m.message == kWmRButtonDown;
    if (press && gDialog && m.window == gDialog->GetWindow()) {
      TranslateMessage(m);
      DispatchMessage(m);
      if (!gDialog->IsRunning()) return kSilentCode24;
      continue;
    }
    if (IsMouseMessage(m.message) || IsKeyMessage(m.message)) {
      if (m.message == kWmKeyDown && m.wParam == kVkEscape) return kSilentCode24;
      continue;
    }
    TranslateMessage(m);
    DispatchMessage(m);
  }
  return kNoErr;
}

int32_t SetUpIOProgress() {
  TearDownIOProgress();
  CAppl* app = GetApplication();
  gDialog = NewIOProgressDialog(app ? app->GetResourceEnv() : nullptr);
  if (gDialog && gDialog->IsReady()) return kNoErr;
  TearDownIOProgress();
  return kErrFailedCreation;
}

void TearDownIOProgress() {
  delete gDialog;
  gDialog = nullptr;
  gShown = false;
}

CIOProgressDialog* GetIOProgressDialog() { return gDialog; }
