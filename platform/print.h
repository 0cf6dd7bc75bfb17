// Printing: the print dialog answers a device context of the printer the user chose, with that
// printer's settings; the context tells its resolution and page size and takes a document of pages,
// each drawn with the ordinary drawing calls (a stretched bitmap with StretchDIBits, platform/
// device_context.h) onto a white page of the printer's pixels. DeleteDC (platform/gdi.h) lets the
// context go, and with it a document that was not ended.
//
// GTK: the desktop's print dialog, preset with the copies; its printer, settings and page set-up make
// the context: the resolution is the settings' (300 dots per inch when they give none) and the page
// is the printable area at that resolution. EndDoc sends the document as one print job named after
// it, whose own copy count is 1: the program prints each copy as a page of its own.
//
// Headless: the script line "print DPI_X DPI_Y PAGE_W PAGE_H COPIES" answers the next print dialog
// with such a printer and that copy count, "print cancel" cancels it (platform/headless.h); with no
// answer left, the dialog is cancelled. The documents printed are kept for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/device_context.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace platform {

struct SPrintDialog {
  WindowHandle owner = nullptr;
  uint32_t copies = 1;          // shown in the dialog; the user's count (at least 1) once chosen
  DeviceContext* dc = nullptr;  // the chosen printer's context, deleted with DeleteDC
};
// False when the user cancelled (*error 0) or the dialog could not be shown (*error non-zero).
bool PrintDialog(SPrintDialog* dialog, uint32_t* error);

// What a printer's context tells; 0 for any other context or index.
enum : int32_t { kHorzRes = 8, kVertRes = 10, kLogPixelsX = 88, kLogPixelsY = 90 };
int32_t GetDeviceCaps(DeviceContext* dc, int32_t index);

// How stretched copies shrink; every mode draws the nearest pixels here. The answer is the previous
// mode, 0 for a bad call.
enum : int32_t { kBlackOnWhite = 1, kWhiteOnBlack = 2, kColorOnColor = 3, kHalftone = 4 };
int32_t SetStretchBltMode(DeviceContext* dc, int32_t mode);

// A document of pages on a printer's context. Each answers a positive number when done and 0 or less
// when it fails: a call out of order (a page outside a document, a document started twice) fails too.
// Drawing lands on the page between StartPage and EndPage, and nowhere else.
int32_t StartDoc(DeviceContext* dc, const std::string& name);
int32_t StartPage(DeviceContext* dc);
int32_t EndPage(DeviceContext* dc);
int32_t EndDoc(DeviceContext* dc);
// Ends the document without printing it.
int32_t AbortDoc(DeviceContext* dc);

namespace headless {

// What the headless printer was handed: a document's name, the calls it took in order ("StartDoc",
// "StartPage", "EndPage", "EndDoc", "AbortDoc"; a failed one with " failed" after it), and its pages
// as they were when each ended.
struct SPrintedDocument {
  std::string name;
  std::vector<std::string> calls;
  std::vector<Surface> pages;
  bool ended = false;    // EndDoc went through
  bool aborted = false;  // AbortDoc, or the context deleted before the end
};
const std::vector<SPrintedDocument>& PrintedDocuments();
void ForgetPrintedDocuments();
// The copies each print dialog was shown with, in order.
const std::vector<uint32_t>& PrintDialogCopies();
// Test hook: the page call (StartPage or EndPage) that many calls from now fails (1: the next one);
// 0 makes none fail.
void FailPageCall(uint32_t callsFromNow);

}  // namespace headless
}  // namespace platform
