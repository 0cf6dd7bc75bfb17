// Inside the platform: what a printer's device context holds, and what a back end's printing
// supplies (print.cpp keeps the order of the calls; print_headless.cpp and gtk_print.cpp print).
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_context.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace platform {

class PrintBackend;

// The printer the user chose and the document being printed on it.
struct SPrintJob {
  PrintBackend* backend = nullptr;
  void* backendData = nullptr;  // the back end's own record of the printer and its job
  int32_t dpiX = 0;
  int32_t dpiY = 0;
  int32_t pageWidth = 0;  // pixels
  int32_t pageHeight = 0;
  std::string name;  // of the document
  Surface page;      // the page being drawn; empty outside a page
  bool inDocument = false;
  bool inPage = false;
};

class PrintBackend {
 public:
  virtual ~PrintBackend() = default;
  // Shows the print dialog with the copies; true with the job's printer filled in and *copies the
  // user's count; false when cancelled (*error 0) or the dialog cannot be shown.
  virtual bool Dialog(WindowHandle owner, uint32_t* copies, SPrintJob* job, uint32_t* error) = 0;
  virtual bool StartDocument(SPrintJob* job) = 0;
  virtual bool StartPage(SPrintJob* job) = 0;
  // job->page holds the page as drawn.
  virtual bool EndPage(SPrintJob* job) = 0;
  virtual bool EndDocument(SPrintJob* job) = 0;
  virtual void AbortDocument(SPrintJob* job) = 0;
  // The context goes: what the dialog gave the job is let go.
  virtual void Release(SPrintJob* job) = 0;
};

PrintBackend& HeadlessPrinting();

// DeleteDC of a printer's context (platform/gdi.h): a document still open is aborted.
bool DeletePrinterDC(DeviceContext* dc);

}  // namespace platform
