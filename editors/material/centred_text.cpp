#include "editors/material/centred_text.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"

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
  if (!element) return;
  char* copy = CTxElement::NewText(text, std::strlen(text) + 1);
  if (!copy) return;
  if (element->SetText(copy, true, false) != kNoErr && element->GetText() != copy) {
    CTxElement::FreeText(copy);
    return;
  }
  CentreText(element);
  if (redraw && element->IsShown()) element->Redraw();
}
