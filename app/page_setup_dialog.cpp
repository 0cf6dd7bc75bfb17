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

// The group box comes before its radio buttons, so that they lie over it.
platform::DialogTemplate PageSetupDialogTemplate() {
  using namespace platform;
  DialogTemplate t(kStyle, 0, 0, 186, 90, "Page Setup", 8, "MS Sans Serif");
  t.AddItem(kBsDefPushButton | kTab | kGroup, 129, 7, 50, 14, kIdOk, kItemButton, "OK");
  t.AddItem(kBsPushButton | kTab, 129, 24, 50, 14, kIdCancel, kItemButton, "Cancel");
  t.AddItem(kBsAutoCheckBox | kTab | kGroup, 7, 7, 70, 10, kCentreBox, kItemButton, "Center Page");
  t.AddItem(0, 7, 24, 62, 8, kNoId, kItemStatic, "Number of Copies:");
  t.AddItem(kNumberField, 72, 22, 36, 12, kCopiesField, kItemEdit, "");
  t.AddItem(kBsGroupBox, 7, 40, 110, 43, kDpiGroup, kItemButton, "DPI");
  t.AddItem(kBsAutoRadioButton | kTab | kGroup, 14, 52, 90, 10, kDefaultDpiButton, kItemButton, "Default (72 DPI)");
  t.AddItem(kBsAutoRadioButton, 14, 66, 52, 10, kCustomDpiButton, kItemButton, "Custom DPI:");
  t.AddItem(kNumberField, 68, 64, 40, 12, kDpiField, kItemEdit, "");
  return t;
}
