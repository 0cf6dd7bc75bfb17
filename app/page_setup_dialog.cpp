#include "app/page_setup_dialog.h"

#include "platform/dialog.h"
#include "platform/window.h"

namespace {

constexpr uint16_t kNoId = 0xFFFF;  // a label that nothing looks up
constexpr uint32_t kStyle =
    platform::kWsPopup | platform::kWsCaption | platform::kWsSysMenu | platform::kDsModalFrame | platform::kDsCenter;
constexpr uint32_t kTab = platform::kWsTabStop;
constexpr uint32_t kGroup = platform::kWsGroup;
constexpr uint32_t kNumberField =
    platform::kEsNumber | platform::kEsAutoHScroll | platform::kWsBorder | platform::kWsTabStop | platform::kWsGroup;

}  // namespace

// The group box comes before its radio buttons, so that they lie over it. Texts have room to spare:
// on GTK the desktop's font is wider than the template's.
platform::DialogTemplate PageSetupDialogTemplate() {
  using namespace platform;
  DialogTemplate t(kStyle, 0, 0, 186, 90, "Page Setup", 8, "MS Sans Serif");
  t.AddItem(kBsDefPushButton | kTab | kGroup, 129, 7, 50, 14, kIdOk, kItemButton, "OK");
  t.AddItem(kBsPushButton | kTab, 129, 24, 50, 14, kIdCancel, kItemButton, "Cancel");
  t.AddItem(kBsAutoCheckBox | kTab | kGroup, 7, 7, 80, 10, kCentreBox, kItemButton, "Center Page");
  t.AddItem(0, 7, 24, 84, 8, kNoId, kItemStatic, "Number of Copies:");
  t.AddItem(kNumberField, 93, 22, 30, 12, kCopiesField, kItemEdit, "");
  t.AddItem(kBsGroupBox, 7, 40, 116, 43, kDpiGroup, kItemButton, "DPI");
  t.AddItem(kBsAutoRadioButton | kTab | kGroup, 14, 52, 100, 10, kDefaultDpiButton, kItemButton, "Default (72 DPI)");
  t.AddItem(kBsAutoRadioButton, 14, 66, 68, 10, kCustomDpiButton, kItemButton, "Custom DPI:");
  t.AddItem(kNumberField, 83, 64, 33, 12, kDpiField, kItemEdit, "");
  return t;
}
