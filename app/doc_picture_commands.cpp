// Reading a picture into the rendered image, the page set-up and printing the image shown.
#include "app/doc_window.h"
#include "app/printer.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ui_message.h"
#include "framework/ui/ask_image_file.h"
#include "framework/ui/im_element.h"

namespace {

constexpr const char* kPrintTitle = "Quarn 2 Document";

}  // namespace

int32_t CDocWindow::OpenPicture() {
  CImage* picture = nullptr;
  const int32_t asked = AskAndReadImage(GetOwner(), &picture);
  if (asked == kSilentCode24) return kNoErr;
  if (asked) return asked;
  if (!picture || !picture->IsReady()) {
    delete picture;
    return kErrOutOfMemory;
  }
  // Only where the two overlap: the rest of the rendered image stays.
  const bool copied = !fRenderedImage || fRenderedImage->CopyFrom(picture);
  delete picture;
  if (!copied) return kErrOutOfMemory;
  fHoldsPicture = true;
  // The picture is no render: nothing of it is marked.
  ForgetTint();
  for (CImElement* button : fOverlayButtons) {
    if (button) button->Hide(false);
  }
  fMode &= ~kRenderedBackdrop;
  // Shown already, the image is drawn anew: the window still shows what it held before.
  if (fMode & kWireframeShown) ToggleRenderedImage();
  else CLayoutHostCanvas::Invalidate(nullptr);
  return kNoErr;
}

int32_t CDocWindow::PageSetup() {
  CPrinter().RunSettingsDialog();
  return kNoErr;
}

int32_t CDocWindow::PrintDocument() {
  const SPrintSettings& settings = CPrinter::Settings();
  CImage* shown = (fMode & kWireframeShown) ? fWindowImage : fRenderedImage;
  return CPrinter().PrintImage(shown, settings.copies, kPrintTitle, settings.resolution, settings.centre);
}
