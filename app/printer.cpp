#include "app/printer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/page_setup_dialog.h"
#include "framework/core/appl.h"
#include "framework/core/mem_block.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/print.h"
#include "platform/system.h"

namespace {

constexpr uint32_t kDefaultResolution = 72;

SPrintSettings gSettings;

CWinAppl* WinApp() { return dynamic_cast<CWinAppl*>(GetApplication()); }

platform::WindowHandle MainWindow() {
  CWinAppl* app = WinApp();
  return app ? app->GetMainWindow() : nullptr;
}

void Complain(platform::WindowHandle dialog, const char* text, const char* title) {
  platform::MessageBox(dialog, text, title, platform::kMbOk);
}

// OK: the centre flag is taken at once; copies and resolution only when both are allowed, else the
// dialog stays open with the reason.
void AcceptSettings(platform::WindowHandle dialog) {
  gSettings.centre = platform::IsDlgButtonChecked(dialog, kCentreBox) == platform::kBstChecked;
  bool number = false;
  const auto copies = int32_t(platform::GetDlgItemInt(dialog, kCopiesField, &number, true));
  if (copies < 1) {
    Complain(dialog, "Number of copies cannot be less than 1!", "Number of copies error");
    return;
  }
  const bool standard = platform::IsDlgButtonChecked(dialog, kDefaultDpiButton) == platform::kBstChecked;
  const auto resolution =
      standard ? int32_t(kDefaultResolution) : int32_t(platform::GetDlgItemInt(dialog, kDpiField, &number, true));
  if (resolution < int32_t(kDefaultResolution)) {
    Complain(dialog, "DPI cannot be less than 72!", "DPI error");
    return;
  }
  gSettings.copies = uint32_t(copies);
  gSettings.resolution = uint32_t(resolution);
  platform::EndDialog(dialog, 1);
}

intptr_t PageSetupProc(platform::WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  using namespace platform;
  switch (message) {
    case kWmInitDialog:
      CheckDlgButton(dialog, kCentreBox, gSettings.centre ? kBstChecked : kBstUnchecked);
      SetDlgItemInt(dialog, kCopiesField, gSettings.copies, false);
      CheckRadioButton(dialog, kDefaultDpiButton, kCustomDpiButton,
                       gSettings.resolution == kDefaultResolution ? kDefaultDpiButton : kCustomDpiButton);
      SetDlgItemInt(dialog, kDpiField, gSettings.resolution, false);
      return 1;
    case kWmCommand:
      if ((wParam & 0xFFFF) == kIdOk) {
        AcceptSettings(dialog);
        return 1;
      }
      if ((wParam & 0xFFFF) == kIdCancel) {
        EndDialog(dialog, 0);
        return 1;
      }
      return 0;
    default: return 0;
  }
}

// One page per copy in one document; 9 as soon as a call fails, the document ended all the same.
int32_t PrintPages(platform::DeviceContext* dc, CImage* image, uint32_t copies, const char* title,
                   uint32_t resolution, bool centre) {
  using namespace platform;
  SetStretchBltMode(dc, kColorOnColor);
  CMemBlock* bitmap = CClipboard::ImageToDIB(image);
  if (!bitmap) return kErrOutOfMemory;
  SBitmapInfoHeader header;
  std::memcpy(&header, bitmap->GetData(), sizeof header);
  const uint8_t* rows = bitmap->GetData() + sizeof(platform::SBitmapInfoHeader);
  const SPrintPlacement at =
      CPrinter::PlaceOnPage(image->GetWidth(), image->GetHeight(), resolution, GetDeviceCaps(dc, kLogPixelsX),
                            GetDeviceCaps(dc, kLogPixelsY), GetDeviceCaps(dc, kHorzRes), GetDeviceCaps(dc, kVertRes),
                            centre);
  int32_t result = kNoErr;
  if (StartDoc(dc, title ? title : "") <= 0) {
    result = kErrOutOfMemory;
  } else {
    for (uint32_t copy = 0; copy < copies && result == kNoErr; ++copy) {
      if (StartPage(dc) <= 0) {
        result = kErrOutOfMemory;
        break;
      }
      // A page without its image is no copy.
      if (!StretchDIBits(dc, at.x, at.y, at.width, at.height, 0, 0, header.width, header.height, rows, &header,
                         kDibRgbColors, kSrcCopy))
        result = kErrOutOfMemory;
      if (EndPage(dc) <= 0) result = kErrOutOfMemory;
    }
    if (EndDoc(dc) <= 0) result = kErrOutOfMemory;
  }
  delete bitmap;
  return result;
}

}  // namespace

SPrintSettings& CPrinter::Settings() { return gSettings; }

int32_t CPrinter::RunSettingsDialog() {
  CWinAppl* app = WinApp();
  const platform::DialogTemplate layout = PageSetupDialogTemplate();
  const intptr_t answer =
      platform::DialogBoxIndirectParam(app ? app->GetInstance() : platform::ProgramModule(), layout.Data(),
                                       MainWindow(), &PageSetupProc, 0);
  return answer == -1 ? kHandled : kNoErr;
}

int32_t CPrinter::PrintImage(CImage* image, uint32_t copies, const char* title, uint32_t resolution, bool centre) {
  if (!image || !image->IsReady() || resolution == 0) return kErrOutOfMemory;
  platform::SPrintDialog dialog;
  dialog.owner = MainWindow();
  dialog.copies = std::max<uint32_t>(copies, 1);
  uint32_t error = 0;
  if (!platform::PrintDialog(&dialog, &error)) return error ? kErrOutOfMemory : kSilentCode24;
  gSettings.copies = dialog.copies;
  const int32_t result = PrintPages(dialog.dc, image, dialog.copies, title, resolution, centre);
  platform::DeleteDC(dialog.dc);
  // Printing may leave floating-point status behind; exceptions stay masked.
  platform::MaskFloatExceptions();
  return result;
}

SPrintPlacement CPrinter::PlaceOnPage(uint32_t imageWidth, uint32_t imageHeight, uint32_t resolution, int32_t dpiX,
                                      int32_t dpiY, int32_t pageWidth, int32_t pageHeight, bool centre) {
  // In doubles: in integers a landscape image's fitted height would come out 0.
  double width = std::round(double(imageWidth) * dpiX / resolution);
  double height = std::round(double(imageHeight) * dpiY / resolution);
  if (width > pageWidth) {
    height = height / width * pageWidth;
    width = pageWidth;
  }
  if (height > pageHeight) {
    width = pageHeight * width / height;
    height = pageHeight;
  }
  SPrintPlacement at;
  at.width = std::max(int32_t(std::lround(width)), 1);
  at.height = std::max(int32_t(std::lround(height)), 1);
  if (centre) {
    at.x = (pageWidth - at.width) / 2;
    at.y = (pageHeight - at.height) / 2;
  }
  return at;
}

