// Dialogs from a template in memory: modal ones run as a nested message loop, modeless ones live until
// they are destroyed. The template is the system's own layout (platform/dialog_template.h builds one):
// style, extended style, item count, place and size, menu, class and title, the font when the style
// has kDsSetFont, then the items. A template with kDsSetFont gives places and sizes in dialog units of
// its font (a quarter of 6 pixels across, an eighth of 13 down); one without gives pixels.
//
// The dialog is a pop-up window owned by the given window, which a modal dialog disables while its
// loop runs. Its frame is the platform's: the dialog frame for kDsModalFrame, a one-pixel border for
// kWsBorder. The items are child windows with their ids: push buttons, labels and edit fields, in the
// template's font. The procedure gets kWmInitDialog with the first item that takes the focus and the
// parameter; when it answers non-zero, that item gets the focus, else the procedure has set it. The
// window shows once it has answered (a modeless one only when the template's style has kWsVisible).
// A modal loop ends with EndDialog; EndDialog hides a modeless dialog, and DestroyWindow ends it.
//
// Keys in a dialog: Tab and Shift+Tab move the focus between the items that have kWsTabStop, Return
// presses the push button that has the focus or else the default one, Escape sends kIdCancel, and
// Space presses the push button that has the focus. A pressed button sends kWmCommand with its id
// (the notification 0 in the high word, the button as lParam) to the dialog.
//
// Headless, a modal dialog with items takes the next answer of the input script (platform/headless.h):
// the line "dialog BUTTON [ID=VALUE]..." sets the text of each item ID to VALUE and then presses the
// push button BUTTON. A modal dialog that has none once the script has run out is sent kIdCancel, as
// a user who closed it would. On GTK, the items are real widgets over the dialog's surface.
//
// Check boxes and radio buttons are buttons of those kinds: a click on an automatic one (or Space
// while it has the focus) checks or clears it, an automatic radio button clearing the other automatic
// radio buttons of its group (the items from one with kWsGroup up to the next), and then the dialog
// hears kWmCommand with its id as for a push button. A script's VALUE for one of them is 1 or 0: 1
// checks it as a click would, 0 clears it. A dialog that stays open after the scripted press takes
// the next scripted answer, as a user would try again.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/system.h"
#include "platform/window.h"

namespace platform {

// Non-zero when the message was handled.
using DialogProc = intptr_t (*)(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

enum : uint32_t { kDsSetFont = 0x40, kDsModalFrame = 0x80, kDsCenter = 0x800 };
inline constexpr const char* kDialogClass = "#32770";
// Labels: windows of the class "STATIC" show their text, wrapped at blanks.
inline constexpr const char* kStaticClass = "STATIC";
// Push buttons of the class "BUTTON" (platform/window.h): the default one has a heavier frame.
enum : uint32_t { kBsPushButton = 0x0, kBsDefPushButton = 0x1 };
// Classes of template items, by the system's numbers.
enum : uint16_t { kItemButton = 0x0080, kItemEdit = 0x0081, kItemStatic = 0x0082 };

// ---- check boxes, radio buttons, group boxes and numeric fields (dialog_controls.cpp)
// Button kinds beside push buttons: a group box is a frame with its text, which takes no input.
enum : uint32_t {
  kBsCheckBox = 0x2,
  kBsAutoCheckBox = 0x3,
  kBsRadioButton = 0x4,
  kBsGroupBox = 0x7,
  kBsAutoRadioButton = 0x9,
};
// The first item of a group (the same bit as kWsMinimizeBox, which items never have).
inline constexpr uint32_t kWsGroup = 0x00020000;
// An edit field that takes only digits as typed characters.
inline constexpr uint32_t kEsNumber = 0x2000;
enum : uint32_t { kBmGetCheck = 0x00F0, kBmSetCheck = 0x00F1 };
enum : uint32_t { kBstUnchecked = 0, kBstChecked = 1 };

// False when the dialog has no such item.
bool CheckDlgButton(WindowHandle dialog, int32_t id, uint32_t state);
// kBstUnchecked also for an item that is no check box or radio button.
uint32_t IsDlgButtonChecked(WindowHandle dialog, int32_t id);
// Checks the button check and clears every other button whose id lies in first..last.
bool CheckRadioButton(WindowHandle dialog, int32_t first, int32_t last, int32_t check);
// The number as the item's text, signed when asked.
bool SetDlgItemInt(WindowHandle dialog, int32_t id, uint32_t value, bool isSigned);
// The item's text as a decimal number (blanks around it allowed, a leading minus when signed): 0 with
// *translated false when the text is no number in range or there is no item.
uint32_t GetDlgItemInt(WindowHandle dialog, int32_t id, bool* translated, bool isSigned);

// EndDialog's result; -1 when the template cannot be read or a window cannot be made.
intptr_t DialogBoxIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                DialogProc procedure, intptr_t parameter);
// The modeless dialog; null when a window cannot be made.
WindowHandle CreateDialogIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                       DialogProc procedure, intptr_t parameter);
bool EndDialog(WindowHandle dialog, intptr_t result);

// The item of that id; null when the dialog has none.
WindowHandle GetDialogItem(WindowHandle dialog, int32_t id);
// The id of a dialog's item; 0 for any other window.
int32_t GetDialogItemId(WindowHandle item);
bool SetItemText(WindowHandle dialog, int32_t id, const std::string& text);
// Empty when the dialog has no such item.
std::string GetItemText(WindowHandle dialog, int32_t id);

namespace headless {

// What each modal dialog with items showed when the script answered it: its title and its items' ids
// and texts, in template order.
struct SShownDialog {
  std::string title;
  std::vector<std::pair<int32_t, std::string>> items;
  int32_t pressed = 0;
  // The check boxes' and radio buttons' states, in template order.
  std::vector<std::pair<int32_t, uint32_t>> checks;
};
const std::vector<SShownDialog>& ShownDialogs();

}  // namespace headless
}  // namespace platform
