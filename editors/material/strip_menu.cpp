#include "editors/material/strip_menu.h"

#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"

void ShowStripCell(CImElement* element, int32_t value) {
  if (!element) return;
  element->SetUserWord(0, uint32_t(value));
  element->SetImagePosition({0, -kStripCell * value}, true);
}

bool ChooseStripRow(CMenu* menu, CImElement* element, SPointHV screenPoint, platform::WindowHandle window) {
  if (!menu) return false;
  const int32_t value = element ? int32_t(element->GetUserWord(0)) : 0;
  for (uint32_t row = 1; row <= menu->GetCount(); ++row) menu->CheckItem(row, false, nullptr, true);
  if (element && value + 1 != 0) menu->CheckItem(uint32_t(value + 1), true, nullptr, true);
  uintptr_t command = 0;
  uint32_t row = 0;
  if (!menu->SelectItemAt(screenPoint, window, &command, &row) || row == 0) return false;
  ShowStripCell(element, int32_t(row) - 1);
  return true;
}
