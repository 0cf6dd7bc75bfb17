// The headless printer: the script answers the print dialog, and the documents stay in memory with
// their calls and pages for tests to read.
#include <cstdint>
#include <utility>

#include "platform/print.h"
#include "platform/print_backend.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

std::vector<headless::SPrintedDocument> gDocuments;
std::vector<uint32_t> gDialogCopies;
uint32_t gFailingPageCall = 0;  // counts down to the page call that fails

class HeadlessPrinter : public PrintBackend {
 public:
  bool Dialog(WindowHandle, uint32_t* copies, SPrintJob* job, uint32_t* error) override {
    *error = 0;
    gDialogCopies.push_back(*copies);
    SPrintAnswer answer;
    if (!Backend().TakePrintAnswer(&answer) || answer.cancel) return false;
    job->dpiX = answer.dpiX;
    job->dpiY = answer.dpiY;
    job->pageWidth = answer.pageWidth;
    job->pageHeight = answer.pageHeight;
    *copies = answer.copies;
    return true;
  }

  bool StartDocument(SPrintJob* job) override {
    gDocuments.push_back({job->name, {"StartDoc"}, {}, false, false});
    job->backendData = reinterpret_cast<void*>(gDocuments.size());
    return true;
  }

  bool StartPage(SPrintJob* job) override { return PageCall(job, "StartPage"); }

  bool EndPage(SPrintJob* job) override {
    if (!PageCall(job, "EndPage")) return false;
    if (headless::SPrintedDocument* document = DocumentOf(job)) document->pages.push_back(std::move(job->page));
    return true;
  }

  bool EndDocument(SPrintJob* job) override {
    headless::SPrintedDocument* document = DocumentOf(job);
    if (!document) return false;
    document->calls.push_back("EndDoc");
    document->ended = true;
    return true;
  }

  void AbortDocument(SPrintJob* job) override {
    if (headless::SPrintedDocument* document = DocumentOf(job)) {
      document->calls.push_back("AbortDoc");
      document->aborted = true;
    }
  }

  void Release(SPrintJob*) override {}

 private:
  // The job's document, unless a test forgot it meanwhile.
  static headless::SPrintedDocument* DocumentOf(SPrintJob* job) {
    const auto number = reinterpret_cast<uintptr_t>(job->backendData);
    return number >= 1 && number <= gDocuments.size() ? &gDocuments[number - 1] : nullptr;
  }

  static bool PageCall(SPrintJob* job, const char* call) {
    headless::SPrintedDocument* document = DocumentOf(job);
    const bool fails = gFailingPageCall > 0 && --gFailingPageCall == 0;
    if (document) document->calls.push_back(fails ? std::string(call) + " failed" : call);
    return document && !fails;
  }
};

}  // namespace

PrintBackend& HeadlessPrinting() {
  static HeadlessPrinter printer;
  return printer;
}

namespace headless {

const std::vector<SPrintedDocument>& PrintedDocuments() { return gDocuments; }

void ForgetPrintedDocuments() {
  gDocuments.clear();
  gDialogCopies.clear();
}

const std::vector<uint32_t>& PrintDialogCopies() { return gDialogCopies; }

void FailPageCall(uint32_t callsFromNow) { gFailingPageCall = callsFromNow; }

}  // namespace headless
}  // namespace platform
