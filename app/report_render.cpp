#include "app/report_render.h"

#include <cstring>

#include "app/layout_needs.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/geometry.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"

static_assert(CReportRender::kTextCount == need::kReportTextCount);

namespace {

constexpr const char* kBuiltInTierFormats[kReportTierCount] = {"%.2f mil", "%.2f bil", "%.2f tri", "%.2f qua",
                                                                "%.2f qui"};

// A total's text and its per-pixel figure's; no pixel gives figures of nothing, not of infinity.
void FormatRow(uint64_t total, uint32_t pixels, const ReportTierFormats* formats, std::string& totalText,
               std::string& perPixelText) {
  totalText = FormatReportCount(total, formats);
  perPixelText = FormatReportFigure(pixels ? double(total) / double(pixels) : 0.0, formats);
}

}  // namespace

CReportRender::CReportRender(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReportRender) {}

int32_t CReportRender::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // Only "ok" to press: Escape closes the report as Return does.
  BindElement(need::kReportRender.ok.name, &UIHostPressButton, nullptr, &UIHostOnReturnOrEscapeKey);
  CElSystem* children = GetRoot() ? GetRoot()->GetChildren() : nullptr;
  for (uint32_t i = 0; i < kTextCount; ++i) {
    CElement* element = nullptr;
    if (const int32_t err = CElSystem::FindElement(children, need::kReportTexts[i].name, &element, false)) return err;
    fTexts[i] = dynamic_cast<CTxElement*>(element);
    if (!fTexts[i]) return kErrObjectNotFound;
  }
  return kNoErr;
}

int32_t CReportRender::HandleEvent(CUIMessage* message) {
  if (message && message->elementName && std::strcmp(message->elementName, need::kReportRender.canvas.name) == 0) {
    if (const int32_t err = BuildOnce()) return err;
    Present();
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

// A second show while the report stands must not raise the level again: "ok" lowers it only once,
// and every other window would stay behind a modal level that nothing lowers.
void CReportRender::Present() {
  if (!IsShown()) {
    Refresh(false);
    return;
  }
  Activate();
  UpdateNow();
}

int32_t CReportRender::Open() { return BuildOnce(); }

int32_t CReportRender::Fill(const char* title, const CRenderStats* stats) {
  if (!stats) return kErrGeneric;
  if (const int32_t err = BuildOnce()) return err;
  fStats = stats;
  ReportTierFormats formats;
  ReadAbbreviations(nullptr, &formats);
  std::string texts[kTextCount];
  FormatTexts(*stats, &formats, texts);
  texts[kDocTitle] = title ? title : "";
  int32_t result = kNoErr;
  for (uint32_t i = 0; i < kTextCount; ++i) {
    const int32_t err = SetElementText(i, texts[i]);
    if (result == kNoErr) result = err;
  }
  Present();
  return result;
}

void CReportRender::FormatTexts(const CRenderStats& stats, const ReportTierFormats* formats,
                                std::string (&texts)[kTextCount]) {
  texts[kDocTitle].clear();
  texts[kTimeText].clear();
  FormatElapsedTime(stats, texts[kTimeText]);
  texts[kPixelsRendered] = FormatReportCount(stats.fPixels, formats);
  texts[kPixelsAntialiased] = FormatReportCount(stats.fResampledPixels, formats);
  const uint32_t pixels = stats.fPixels;
  FormatRow(stats.fEyeRays, pixels, formats, texts[kPrimaryRaysTotal], texts[kPrimaryRaysPerPixel]);
  FormatRow(stats.fShadowRays, pixels, formats, texts[kShadowRaysTotal], texts[kShadowRaysPerPixel]);
  FormatRow(stats.fRaySum, pixels, formats, texts[kTotalRaysTotal], texts[kTotalRaysPerPixel]);
  FormatRow(stats.fHits, pixels, formats, texts[kRayHitsTotal], texts[kRayHitsPerPixel]);
  FormatRow(stats.fMisses, pixels, formats, texts[kRayMissesTotal], texts[kRayMissesPerPixel]);
  FormatRow(stats.fTestSum, pixels, formats, texts[kIntersectsTotal], texts[kIntersectsPerPixel]);
}

bool CReportRender::ReadAbbreviations(CResourceEnv* environment, ReportTierFormats* formats) {
  for (size_t i = 0; i < kReportTierCount; ++i) (*formats)[i] = kBuiltInTierFormats[i];
  CIxTextLocal list(environment, kAbbreviationsList, CIxText::kNone);
  if (list.GetResult() != kNoErr) return false;
  for (uint32_t i = 0; i < kReportTierCount && i < list.Count(); ++i) {
    const char* text = list.TextAt(i);
    if (text != CIxText::kInvalidText) (*formats)[i] = text;
  }
  return true;
}

SFontPoint CReportRender::PlaceText(float w, float h, float tw, float th, bool centred) {
  const float y = (h + 0.5f) * 0.5f - th * 0.5f;
  return {centred ? (w + 0.5f) * 0.5f - tw * 0.5f : w - tw - kRightMargin, y};
}

// The style's rectangle of the text measures it; the text goes where that rectangle lands as placed.
int32_t CReportRender::SetElementText(uint32_t text, const std::string& value) {
  CTxElement* element = fTexts[text];
  if (!element) return kErrObjectNotFound;
  char* copy = CTxElement::NewText(value.c_str(), value.size() + 1);
  if (!copy) return kErrOutOfMemory;
  if (const int32_t err = element->SetText(copy, true, true)) {
    if (element->GetText() != copy) CTxElement::FreeText(copy);
    return err;
  }
  const STextStyle* style = element->GetStyle();
  if (!style) return kNoErr;
  SRect measured;
  style->GetTextRect(&measured, copy, SFontPoint{});
  const SRect& rect = element->GetRect();
  const SFontPoint at = PlaceText(float(RectWidth(rect)), float(RectHeight(rect)), float(RectWidth(measured)),
                                  float(RectHeight(measured)), IsCentred(text));
  return element->SetPosition({at.h - float(measured.left), at.v - float(measured.top)}, true);
}
