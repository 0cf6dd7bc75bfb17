// Inside the platform: what dialogs share with their items and the back ends.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window.h"

namespace platform {

// The colour of the frames of dialogs and push buttons (0x00RRGGBB).
inline constexpr uint32_t kFrameDark = 0x646464;
// The bits of a button's style that say its kind.
inline constexpr uint32_t kButtonKinds = 0x0F;

// A dialog's own keys (Tab, Return, Escape), as platform/dialog.h describes them; false for any other
// key or window.
bool DialogKey(WindowHandle dialog, uint32_t virtualKey);
// The push button was pressed: its dialog hears kWmCommand with the button's id, unless the button is
// disabled.
void PressButton(WindowHandle button);

// ---- check boxes, radio buttons and group boxes (dialog_controls.cpp)
// The items of a dialog in template order; empty for any other window.
std::vector<WindowHandle> DialogItems(WindowHandle dialog);
// A button's kind (kBsPushButton, kBsAutoCheckBox, ...).
uint32_t ButtonKind(WindowHandle button);
// A check box or a radio button, which holds a check state.
bool HoldsCheck(WindowHandle button);
// A user's click: an automatic check box or radio button changes its state, then PressButton.
void ClickButton(WindowHandle button);
// Sets the state as a click on the button would leave it (an automatic radio button clears its group)
// without telling the dialog.
void SetClickedState(WindowHandle button, bool checked);

intptr_t ButtonClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t StaticClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace platform
