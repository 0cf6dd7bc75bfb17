#include "panels/export_render.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "document/render_to_disk.h"
#include "editing/document_host.h"
#include "framework/core/four_cc.h"
#include "framework/core/ix_text.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/doc_setup.h"
#include "panels/layout_needs.h"

namespace {

constexpr uint32_t kTitle = FourCC("titl");
constexpr uint32_t kAspectInfo = FourCC("inf1");
constexpr uint32_t kMemoryInfo = FourCC("inf2");
constexpr uint32_t kBytesPerPixel = 4;
// The units of the memory text: entries 1 to 4 of its list, above each threshold.
enum EUnit : uint32_t { kGigabytes = 1, kMegabytes, kKilobytes, kBytes };

SNumericFields gFields{nullptr, 0, nullptr, SNumericFields::kKnownWord, 0, false};

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int32_t Pixels(double value) {
  const double whole = std::isfinite(value) ? std::trunc(value) : 0;
  return whole < 1 ? 1 : whole > CExportRender::kMaxPixels ? CExportRender::kMaxPixels : int32_t(whole);
}

std::string MemoryText(uint64_t bytes, uint32_t* unit) {
  char text[32];
  const double b = double(bytes);
  if (bytes > 1000000000) {
    std::snprintf(text, sizeof text, "%.2f ", b * 0.000000001);
    *unit = kGigabytes;
  } else if (bytes > 1000000) {
    std::snprintf(text, sizeof text, "%.2f ", b * 0.000001);
    *unit = kMegabytes;
  } else if (bytes > 10000) {
    std::snprintf(text, sizeof text, "%ld ", long(b * 0.001));
    *unit = kKilobytes;
  } else {
    std::snprintf(text, sizeof text, "%ld ", long(bytes));
    *unit = kBytes;
  }
  return text;
}

// A copy of the entry, made while the list is held; empty without it.
std::string ListText(CIxText* list, uint32_t entry) {
  if (!list || list->GetResult() != kNoErr || entry >= list->Count()) return {};
  CIxTxHolder held(list, true);
  const char* text = list->TextAt(entry);
  return text ? text : "";
}

}  // namespace

CExportRender::CExportRender(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kExportRender) {}

CExportRender::~CExportRender() { ReleaseFields(); }

SNumericFields& CExportRender::Fields() { return gFields; }

void CExportRender::ReleaseFields() {
  DeleteNumericFields(fFieldTable, fFields, kFieldCount);
  gFields.current = nullptr;
  fAutoRotateCheck = nullptr;
  fTitle = fInfo1 = fInfo2 = nullptr;
}

CDocumentHost* CExportRender::Host() const { return fHost ? fHost : GetCurrentDocumentHost(); }

int32_t CExportRender::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  CElement* check = nullptr;
  BindElementRef(need::kExportAutoRotate.name, &check, &OnCheckBoxPress, nullptr, nullptr);
  fAutoRotateCheck = dynamic_cast<CImElement*>(check);
  CElement* text = nullptr;
  BindElementRef(need::kExportTitle.name, &text, nullptr, nullptr, nullptr);
  fTitle = dynamic_cast<CTxElement*>(text);
  BindElementRef(need::kExportInfo1.name, &text, nullptr, nullptr, nullptr);
  fInfo1 = dynamic_cast<CTxElement*>(text);
  BindElementRef(need::kExportInfo2.name, &text, nullptr, nullptr, nullptr);
  fInfo2 = dynamic_cast<CTxElement*>(text);
  BindNumericFields<gFields>(*this, fFieldTable, need::kExportFields, kFieldCount, fFields, kFieldChars);
  return kNoErr;
}

bool CExportRender::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CExportRender::Prepare(bool fill) {
  if (!fill) return kNoErr;
  CDocumentHost* host = Host();
  const SPointHV size = host ? host->GetWindowImageSize() : SPointHV{};
  // A window without an image still gives a size the ratio can be taken of.
  fWidth = Pixels(size.h);
  fHeight = Pixels(size.v);
  SetInfoText(kTitle, host ? host->GetTitle() : "");
  DeriveAspect(fWidth, fHeight, &fAspectX, &fAspectY);
  SetInfoText(kAspectInfo, nullptr);
  fPrintedWidth = float(fWidth) / float(fResolution);
  fPrintedHeight = float(fHeight) / float(fResolution);
  fMemory = uint64_t(fWidth) * uint64_t(fHeight) * kBytesPerPixel;
  if (CIxImage* states = fAutoRotateCheck ? fAutoRotateCheck->GetImageList() : nullptr) {
    if (states->Selected() != uint32_t(fAutoRotate)) fAutoRotateCheck->SelectEntry(fAutoRotate, false, false, true);
  }
  ShowFields("", false);
  SetInfoText(kMemoryInfo, nullptr);
  return kNoErr;
}

double CExportRender::FieldValue(uint32_t field) const {
  switch (field) {
    case kSizeX: return fWidth;
    case kSizeY: return fHeight;
    case kDpi: return fResolution;
    case kOutsizeX: return fPrintedWidth;
    default: return fPrintedHeight;
  }
}

void CExportRender::ShowFields(const char* name, bool force) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!force && fFields[i] && Same(name, fFields[i]->GetName())) continue;
    WriteFieldValue(GetField(i), FieldValue(i));
  }
  if (!force) return;
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (CTextEdit* field = GetField(i)) field->Redraw();
  }
  Beep();
}

// A size that the ratio would carry beyond the limits is held at the limit, and the typed size
// follows it back through the ratio, so that both stay in range and in proportion.
void CExportRender::KeepProportions(uint32_t typed, bool* clamped) {
  const double n = fAspectX, d = fAspectY;
  if (typed == kSizeX || typed == kSizeY) {
    const bool byWidth = typed == kSizeX;
    const double dependent = byWidth ? std::trunc(fWidth / n * d) : std::trunc(fHeight / d * n);
    if (dependent >= 1 && dependent <= kMaxPixels) {
      (byWidth ? fHeight : fWidth) = int32_t(dependent);
      return;
    }
    const int32_t held = Pixels(dependent);
    (byWidth ? fHeight : fWidth) = held;
    (byWidth ? fWidth : fHeight) = byWidth ? Pixels(held / d * n) : Pixels(held / n * d);
    *clamped = true;
  } else if (typed == kOutsizeX) {
    fPrintedHeight = float(fPrintedWidth / n * d);
  } else if (typed == kOutsizeY) {
    fPrintedWidth = float(n / d * fPrintedHeight);
  }
}

void CExportRender::OnFieldChanged(const char* name, double value) {
  uint32_t typed = 0;
  while (typed < kFieldCount && !(fFields[typed] && Same(name, fFields[typed]->GetName()))) ++typed;
  if (typed == kFieldCount) return;
  const double most = typed <= kSizeY ? kMaxPixels : typed == kDpi ? kMaxDpi : kMaxInches;
  bool clamped = false;
  if (!(value >= 1 && value <= most)) {
    const double whole = std::isfinite(value) ? std::trunc(value) : 0;
    value = whole < 1 ? 1 : whole > most ? most : whole;
    clamped = true;
  }
  switch (typed) {
    case kSizeX: fWidth = int32_t(std::trunc(value)); break;
    case kSizeY: fHeight = int32_t(std::trunc(value)); break;
    case kDpi: fResolution = int32_t(std::trunc(value)); break;
    case kOutsizeX: fPrintedWidth = float(value); break;
    default: fPrintedHeight = float(value); break;
  }
  KeepProportions(typed, &clamped);
  if (typed <= kDpi) {
    fPrintedWidth = float(fWidth) / float(fResolution);
    fPrintedHeight = float(fHeight) / float(fResolution);
  } else {
    fWidth = Pixels(double(fResolution) * fPrintedWidth);
    fHeight = Pixels(double(fPrintedHeight) * fResolution);
  }
  fMemory = uint64_t(fWidth) * uint64_t(fHeight) * kBytesPerPixel;
  SetInfoText(kMemoryInfo, nullptr);
  ShowFields(name, clamped);
}

int32_t CExportRender::SetInfoText(uint32_t code, const char* text) {
  std::string shown;
  CTxElement* element = nullptr;
  if (code == kTitle) {
    element = fTitle;
    shown = text ? text : "";
  } else if (code == kAspectInfo) {
    element = fInfo1;
    shown = ListText(element ? element->GetTextList() : nullptr, 0);
    shown += " " + FieldValueText(fAspectX) + ":" + FieldValueText(fAspectY);
  } else if (code == kMemoryInfo) {
    element = fInfo2;
    CIxText* list = element ? element->GetTextList() : nullptr;
    uint32_t unit = kBytes;
    shown = ListText(list, 0);
    shown += MemoryText(fMemory, &unit);
    shown += ListText(list, unit);
  } else {
    return kNoErr;
  }
  return element ? ShowAlignedText(element, shown.c_str(), kAlignTextCentre, kAlignTextCentre) : kNoErr;
}

int32_t CExportRender::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kExportRender.canvas.name;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, canvas);
  if (message->kind == 0 && !own && Same(element, canvas)) {
    if (const int32_t err = BuildOnce()) return err;
    // A dialog already up keeps the level its opening raised.
    if (IsShown()) BringForward();
    else Refresh(false);
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != 0 || !own) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(message->windowName, kFieldWindowName)) OnFieldChanged(element, gFields.lastValue);
  if (Same(element, need::kExportAutoRotate.name)) fAutoRotate = !fAutoRotate;
  if (Same(element, need::kExportRender.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kExportRender.ok.name)) {
    Close();
    SDiskRender request;
    request.width = fWidth;
    request.height = fHeight;
    request.rotate = fAutoRotate;
    request.resolution = fResolution;
    CDocumentHost* host = Host();
    return host ? host->RenderToDisk(request) : kNoErr;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
