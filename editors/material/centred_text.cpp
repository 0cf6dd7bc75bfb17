#include "editors/material/centred_text.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"

namespace {

// The element's text becomes a copy of the text: false when it cannot.
bool TakeText(CTxElement* element, const char* text) {
  char* copy = CTxElement::NewText(text, std::strlen(text) + 1);
  if (!copy) return false;
  if (element->SetText(copy, true, false) != kNoErr && element->GetText() != copy) {
    CTxElement::FreeText(copy);
    return false;
  }
  return true;
}

}  // namespace

void CentreText(CTxElement* element) {
  SRect measured;
  if (element->GetTextRect(&measured) == kNoErr && !IsEmptyRect(measured)) {
    SRect local;
    element->GetLocalRect(&local);
    const SFontPoint at = element->GetPosition();
    const float dh = float(local.left + local.right - measured.left - measured.right) / 2;
    const float dv = float(local.top + local.bottom - measured.top - measured.bottom) / 2;
    element->SetPosition({at.h + dh, at.v + dv}, false);
  }
}

void ShowCentredText(CTxElement* element, const char* text, bool redraw) {
  if (!element || !TakeText(element, text)) return;
  CentreText(element);
  if (redraw && element->IsShown()) element->Redraw();
}

void ShowTextFromLeft(CTxElement* element, const char* text, float left, bool redraw) {
  if (!element || !TakeText(element, text)) return;
  element->SetPosition({0, 0}, false);
  SRect measured, local;
  element->GetLocalRect(&local);
  float v = 0;
  if (element->GetTextRect(&measured) == kNoErr && !IsEmptyRect(measured))
    v = float(RectHeight(local)) / 2 - float(RectHeight(measured)) / 2 - float(measured.top - local.top);
  element->SetPosition({left, v}, false);
  if (redraw && element->IsShown()) element->Redraw();
}
