// What the framework core calls of the palettes and dialogs, which come after it in the library order.
// panels/ fills the table at start-up (RegisterPanelServices); the functions below pass each call on.
#pragma once

#include <cstdint>

#include "platform/window.h"

class CResourceEnv;

// The input/output progress dialog (CIOProgress) as the progress display drives it.
class CIOProgressDialog {
 public:
  virtual ~CIOProgressDialog() = default;
  virtual bool IsReady() const = 0;
  virtual platform::WindowHandle GetWindow() const = 0;
  virtual bool IsRunning() const = 0;  // false once the user pressed cancel
  virtual void Reset() = 0;            // before a new operation
  // Opening as a modal pop-up: these three, in this order, then RaiseNesting.
  virtual void ActivateDialog() = 0;
  virtual void ShowDialog() = 0;
  virtual void UpdateDialog() = 0;
  virtual void HideDialog() = 0;
  // The dialog layer's modal level: raised and taken as the dialog's own while it is open, lowered
  // when the progress ends.
  virtual void RaiseNesting() = 0;
  virtual void LowerNesting() = 0;
  virtual void SetDescription(const char* text) = 0;
  virtual void SetStatus(const char* text) = 0;
  virtual void SetPercent(int32_t percent) = 0;
  virtual void NoOp(const char* text) = 0;
};

struct SPanelServices {
  CIOProgressDialog* (*newIOProgressDialog)(CResourceEnv* environment);
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetPanelServices(const SPanelServices* services);
const SPanelServices* GetPanelServices();

// Over the application's resource environment; null when out of memory or without a registration.
CIOProgressDialog* NewIOProgressDialog(CResourceEnv* environment);
