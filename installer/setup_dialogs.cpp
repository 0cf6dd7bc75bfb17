#include "installer/setup_dialogs.h"

#include <cstdio>

#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/gdi.h"

namespace {

using platform::DialogTemplate;

constexpr uint32_t kDialogStyle = uint32_t(platform::kWsPopup | platform::kWsCaption | platform::kWsSysMenu) |
                                   uint32_t(platform::kDsModalFrame | platform::kDsCenter);
constexpr uint32_t kTabStop = platform::kWsTabStop;
constexpr uint16_t kNoId = 0xFFFF;
constexpr uint16_t kFontPoints = 8;
constexpr const char* kFontFace = "MS Sans Serif";
constexpr const char* kWelcome =
    "Welcome to Carvane! This program is used to create imagemaps for the World Wide Web. Please specify the "
    "directory where you would like the program to be installed on your system. Click OK to accept the "
    "suggested location.";

DialogTemplate FolderTemplate() {
  DialogTemplate t(kDialogStyle, 0, 0, 250, 124, "Carvane Installation", kFontPoints, kFontFace);
  t.AddItem(0, 10, 8, 230, 64, kNoId, platform::kItemStatic, kWelcome);
  t.AddItem(platform::kWsBorder | kTabStop | uint32_t(platform::kEsAutoHScroll), 10, 78, 230, 13, kFolderField,
            platform::kItemEdit, "");
  t.AddItem(platform::kBsDefPushButton | kTabStop, 130, 100, 50, 16, platform::kIdOk,
            platform::kItemButton, "OK");
  t.AddItem(platform::kBsPushButton | kTabStop, 190, 100, 50, 16, platform::kIdCancel,
            platform::kItemButton, "Cancel");
  return t;
}

DialogTemplate ProgressTemplate() {
  DialogTemplate t(kDialogStyle | platform::kWsVisible, 0, 0, 200, 74, "Carvane Setup Progress", kFontPoints,
                   kFontFace);
  t.AddItem(0, 10, 8, 180, 12, kNoId, platform::kItemStatic, "Carvane is now installing itself on your system.");
  t.AddItem(0, 10, 26, 180, 12, kPercentField, platform::kItemStatic, "Percent Complete:   0%");
  t.AddItem(platform::kBsPushButton | kTabStop, 75, 50, 50, 16, platform::kIdCancel,
            platform::kItemButton, "Cancel");
  return t;
}

intptr_t FolderProc(platform::WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* folder = reinterpret_cast<std::string*>(platform::GetWindowUserData(dialog));
  switch (message) {
    case platform::kWmInitDialog:
      platform::SetWindowUserData(dialog, lParam);
      folder = reinterpret_cast<std::string*>(lParam);
      platform::SendMessage(platform::GetDialogItem(dialog, kFolderField), platform::kEmLimitText, kFolderLimit, 0);
      platform::SetItemText(dialog, kFolderField, *folder);
      platform::SetFocus(platform::GetDialogItem(dialog, platform::kIdOk));
      return 0;
    case platform::kWmCommand:
      if ((wParam & 0xFFFF) == platform::kIdOk) {
        *folder = platform::GetItemText(dialog, kFolderField).substr(0, kFolderLimit);
        platform::EndDialog(dialog, 1);
      } else if ((wParam & 0xFFFF) == platform::kIdCancel) {
        platform::EndDialog(dialog, 0);
      }
      return 1;
    default: return 0;
  }
}

intptr_t ProgressProc(platform::WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == platform::kWmInitDialog) return 1;
  if (message == platform::kWmCommand && (wParam & 0xFFFF) == platform::kIdCancel) {
    platform::EndDialog(dialog, 0);
    return 1;
  }
  return 0;
}

}  // namespace

bool AskFolder(std::string* folder) {
  const DialogTemplate t = FolderTemplate();
  return platform::DialogBoxIndirectParam(platform::ProgramModule(), t.Data(), nullptr, &FolderProc,
                                          reinterpret_cast<intptr_t>(folder)) == 1;
}

platform::WindowHandle CreateProgressDialog() {
  const DialogTemplate t = ProgressTemplate();
  return platform::CreateDialogIndirectParam(platform::ProgramModule(), t.Data(), nullptr, &ProgressProc, 0);
}

void ReportProgress(platform::WindowHandle dialog, const char*, int32_t percent) {
  char text[32];
  std::snprintf(text, sizeof text, "Percent Complete: %d%%", int(percent));
  platform::SetItemText(dialog, kPercentField, text);
  platform::UpdateWindow(platform::GetDialogItem(dialog, kPercentField));
  platform::GdiFlush();
}
