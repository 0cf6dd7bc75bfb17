#include "platform/print.h"

#include <algorithm>

#include "platform/dc_internal.h"
#include "platform/errors.h"
#include "platform/print_backend.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

// What the printing calls answer: a job's number (there is one job a context) or the spooler's error.
constexpr int32_t kPrintDone = 1;
constexpr int32_t kPrintError = -1;
constexpr uint32_t kPageColour = 0xFFFFFF;

SPrintJob* JobOf(DeviceContext* dc) { return dc ? dc->printer : nullptr; }

}  // namespace

bool PrintDialog(SPrintDialog* dialog, uint32_t* error) {
  *error = 0;
  if (!dialog) {
    *error = kWinInvalidParameter;
    return false;
  }
  dialog->dc = nullptr;
  PrintBackend* printing = Backend().Printing();
  if (!printing) {
    *error = kWinNotSupported;
    return false;
  }
  auto* job = new SPrintJob;
  job->backend = printing;
  uint32_t copies = std::max<uint32_t>(dialog->copies, 1);
  if (!printing->Dialog(dialog->owner, &copies, job, error)) {
    delete job;
    return false;
  }
  // A printer that cannot say what it prints on is of no use.
  if (job->dpiX <= 0 || job->dpiY <= 0 || job->pageWidth <= 0 || job->pageHeight <= 0) {
    printing->Release(job);
    delete job;
    *error = kWinInvalidParameter;
    return false;
  }
  auto* dc = new DeviceContext;
  SelectDefaultObjects(dc);
  dc->printer = job;
  dc->surface = &job->page;
  dialog->dc = dc;
  dialog->copies = std::max<uint32_t>(copies, 1);
  return true;
}

int32_t GetDeviceCaps(DeviceContext* dc, int32_t index) {
  const SPrintJob* job = JobOf(dc);
  if (!job) return 0;
  switch (index) {
    case kHorzRes: return job->pageWidth;
    case kVertRes: return job->pageHeight;
    case kLogPixelsX: return job->dpiX;
    case kLogPixelsY: return job->dpiY;
    default: return 0;
  }
}

int32_t SetStretchBltMode(DeviceContext* dc, int32_t mode) {
  if (!dc || mode < kBlackOnWhite || mode > kHalftone) return 0;
  const int32_t previous = dc->stretchMode;
  dc->stretchMode = mode;
  return previous;
}

int32_t StartDoc(DeviceContext* dc, const std::string& name) {
  SPrintJob* job = JobOf(dc);
  if (!job || job->inDocument) return kPrintError;
  job->name = name;
  if (!job->backend->StartDocument(job)) return kPrintError;
  job->inDocument = true;
  return kPrintDone;
}

int32_t StartPage(DeviceContext* dc) {
  SPrintJob* job = JobOf(dc);
  if (!job || !job->inDocument || job->inPage) return kPrintError;
  if (!job->backend->StartPage(job)) return kPrintError;
  job->page = Surface(job->pageWidth, job->pageHeight);
  job->page.Fill(0, 0, job->pageWidth, job->pageHeight, kPageColour);
  job->inPage = true;
  return kPrintDone;
}

int32_t EndPage(DeviceContext* dc) {
  SPrintJob* job = JobOf(dc);
  if (!job || !job->inPage) return kPrintError;
  job->inPage = false;
  const bool printed = job->backend->EndPage(job);
  job->page = Surface();
  return printed ? kPrintDone : kPrintError;
}

int32_t EndDoc(DeviceContext* dc) {
  SPrintJob* job = JobOf(dc);
  if (!job || !job->inDocument) return kPrintError;
  const bool pageEnded = !job->inPage || EndPage(dc) > 0;
  job->inDocument = false;
  if (!pageEnded) {
    job->backend->AbortDocument(job);
    return kPrintError;
  }
  return job->backend->EndDocument(job) ? kPrintDone : kPrintError;
}

int32_t AbortDoc(DeviceContext* dc) {
  SPrintJob* job = JobOf(dc);
  if (!job || !job->inDocument) return kPrintError;
  job->inDocument = job->inPage = false;
  job->page = Surface();
  job->backend->AbortDocument(job);
  return kPrintDone;
}

bool DeletePrinterDC(DeviceContext* dc) {
  SPrintJob* job = JobOf(dc);
  if (!job) return false;
  if (job->inDocument) AbortDoc(dc);
  job->backend->Release(job);
  delete job;
  DeselectObjects(dc);
  delete dc;
  return true;
}

}  // namespace platform
