// The busy cursor for the length of a scope: set unless the application shows it already, and then
// cleared only by the scope that set it.
#pragma once

#include "framework/core/appl.h"

class CBusyCursor {
 public:
  CBusyCursor() : fApp(GetApplication()) {
    if (!fApp || fApp->IsBusyCursor()) fApp = nullptr;
    else fApp->SetBusyCursor();
  }
  ~CBusyCursor() {
    if (fApp) fApp->SetArrowCursor();
  }
  CBusyCursor(const CBusyCursor&) = delete;
  CBusyCursor& operator=(const CBusyCursor&) = delete;

 private:
  CAppl* fApp;
};
