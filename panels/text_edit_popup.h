// The one-field numeric pop-up of the material composer: a press on one of the composer's value
// elements opens it centred over the element (shifted fully onto the screen) with the element's value
// (its word 0) selected. Return writes the typed value back, truncated, and tells the composer with a
// kind-2 message from the element; Tab does the same and then asks the composer for the next value
// element ("activate next te"); Escape or Ctrl+N closes it with the value unchanged.
#pragma once

#include <cstdint>

#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/text_edit.h"

class CTextEditPopup : public CLayoutHostCanvas {
 public:
  // The second message that Tab sends from the element.
  static constexpr const char* kActivateNext = "activate next te";
  static constexpr uint32_t kValueCharacters = 6;

  CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment);
  ~CTextEditPopup() override;

  // The program's one pop-up, none before it is made.
  static CTextEditPopup* GetCurrent();
  // The owner of the heartbeat row that a hover over the field calls once (the composer keeps its
  // preview rendering while the pop-up is up); none clears it.
  static void SetHoverOwner(const void* owner);

  // The tree and its field: the layout's code; a field that cannot be made leaves the pop-up without
  // one.
  int32_t BuildControls(CResourceEnv* environment) override;
  // Return applies, Escape or Ctrl+N closes, Tab applies and moves on (26); others go to the base.
  int32_t OnCharacter(SWinEvent& event) override;
  // The field's own messages keep the typed value; the open request opens the pop-up (26).
  int32_t HandleEvent(CUIMessage* message) override;

  // The press callback of the composer's value elements: opens the pop-up on the element, applying
  // the value to the element it was open on first.
  static int32_t NumericCallback(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Hides the pop-up, lowering the modal level its showing raised; with apply an active target takes
  // the value, truncated, in its word 0 and sends it in a kind-2 message.
  void Close(bool apply);
  // Close with apply, then the kind-2 message "activate next te" from the target.
  void ApplyAndNext();

  CElement* GetTarget() const { return fTarget; }
  CTextEdit* GetField() const;
  float GetValue() const { return fValue; }

 private:
  void ReleaseBuilt();
  void PlaceOver(CElement* target);

  static int32_t OnFieldKey(CElement* element, CElement** handled, SWinEvent* event);
  static int32_t OnFieldHover(CElement* element, SPointHV point);
  static int32_t SendFromTarget(CElement* target, const char* element, int32_t value);

  CTextEditTable fFields{SRange{0, 32}};
  CElement* fFieldElement = nullptr;
  CElement* fTarget = nullptr;
  float fValue = 0;
};
