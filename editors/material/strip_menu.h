// The editors' menu buttons: an image element that holds a value in its user word 0 and shows the
// 18-pixel cell of its picture strip that stands for it, with a pop-up menu whose row r stands for the
// value r - 1.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"
#include "platform/window.h"

class CImElement;
class CMenu;

inline constexpr int32_t kStripCell = 18;

// The element holds the value and shows its cell.
void ShowStripCell(CImElement* element, int32_t value);
// Pops the menu up at the screen point with the row of the element's value ticked (none for -1, or
// without an element); a chosen row r gives the element r - 1 and its cell. Whether a row was chosen.
bool ChooseStripRow(CMenu* menu, CImElement* element, SPointHV screenPoint, platform::WindowHandle window);
