// The render report: the document's title, the time a render took and the ray tracer's statistics
// (totals and per-pixel figures of primary rays, shadow rays, all rays, hits, misses and object
// tests), shown after a complete render, into the window or to disk, and closed with "ok" (Return or
// Escape).
#pragma once

#include <cstdint>
#include <string>

#include "document/doc_render_state.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/outline_font.h"
#include "scene/render_stats.h"

class CTxElement;

class CReportRender : public CLayoutHostCanvas, public CRenderReportHook {
 public:
  // The texts, in the order of their elements.
  enum EText : uint32_t {
    kDocTitle,
    kTimeText,
    kPixelsRendered,
    kPixelsAntialiased,
    kPrimaryRaysTotal,
    kPrimaryRaysPerPixel,
    kShadowRaysTotal,
    kShadowRaysPerPixel,
    kTotalRaysTotal,
    kTotalRaysPerPixel,
    kRayHitsTotal,
    kRayHitsPerPixel,
    kRayMissesTotal,
    kRayMissesPerPixel,
    kIntersectsTotal,
    kIntersectsPerPixel,
    kTextCount,
  };
  // The application's optional list whose entries 0 to 4 replace the suffixed forms of large numbers.
  static constexpr const char* kAbbreviationsList = "abbreviations";
  // A right-aligned text ends this far before its element's right edge.
  static constexpr float kRightMargin = 5.0f;

  CReportRender(CUICmFunction* owner, CResourceEnv* environment);

  // The canvas with "ok", then the sixteen text elements: the layout's code, or 6 for a text element
  // that is missing or of another kind.
  int32_t BuildControls(CResourceEnv* environment) override;
  // "ok" closes the report (26); a message naming "report render time" as its element shows it in
  // front as the top modal level (26); the rest goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;

  // ---- CRenderReportHook
  // The build's code: the report can be shown when it is 0.
  int32_t Open() override;
  // 1 without statistics, and nothing changes. Otherwise keeps them, sets the sixteen texts and, when
  // the report is not shown, shows it: 0.
  int32_t Fill(const char* title, const CRenderStats* stats) override;

  // The texts of the statistics (the title's slot left empty): counters whole up to a million and
  // abbreviated above it, per-pixel figures abbreviated, "0.00" when no pixel was rendered; formats
  // replace the suffixed forms when given.
  static void FormatTexts(const CRenderStats& stats, const ReportTierFormats* formats, std::string (&texts)[kTextCount]);
  // The abbreviations of the list in the environment (none: the application's resource file), each
  // entry the list lacks the built-in form: false, and the built-in forms, without the list.
  static bool ReadAbbreviations(CResourceEnv* environment, ReportTierFormats* formats);
  // Where a text of width tw and height th starts in an element of width w and height h: centred,
  // or right-aligned with the margin; vertically centred either way.
  static SFontPoint PlaceText(float w, float h, float tw, float th, bool centred);
  static bool IsCentred(uint32_t text) { return text == kDocTitle || text == kTimeText; }

  CTxElement* GetTextElement(uint32_t text) const { return text < kTextCount ? fTexts[text] : nullptr; }
  const CRenderStats* GetStats() const { return fStats; }

 private:
  // Raises the modal level unless the report already stands in front, and shows it there.
  void Present();
  // The text into its element, placed there: 0, 9 without memory for the copy, or the element's code.
  int32_t SetElementText(uint32_t text, const std::string& value);

  const CRenderStats* fStats = nullptr;
  CTxElement* fTexts[kTextCount] = {};
};
