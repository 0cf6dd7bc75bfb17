// The one-field numeric pop-up of the material composer.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons. It records itself as
// the program's pop-up, keeps the value element it was last opened on, notes its calls in order, and
// its operations answer 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_host_canvas.h"

class CTextEditPopup : public CLayoutHostCanvas {
 public:
  CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment);
  ~CTextEditPopup() override;

  // The program's one pop-up, none before it is made.
  static CTextEditPopup* GetCurrent();

  // The press callback of the composer's value elements: opens the pop-up on the element, which then
  // receives the typed value. Placeholder: it claims the press and keeps the element as its target.
  static int32_t NumericCallback(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Hides the pop-up, lowering the modal level its showing raised; with apply the target takes the
  // typed value. Placeholder: the value is not applied.
  void Close(bool apply);

  CElement* GetTarget() const { return fTarget; }
  // The operations called, by name, in order.
  const std::vector<std::string>& GetCalls() const { return fCalls; }

 private:
  CElement* fTarget = nullptr;
  std::vector<std::string> fCalls;
};
