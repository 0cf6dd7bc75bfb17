// The document set-up dialog: the size in pixels of the document's image (from 22 presets or typed,
// with its aspect ratio kept when asked) and a render resolution, a scale of that size. On "ok" it
// queues "new document" (after the new-document command) or "size document" to the canvas "doc
// window", with the document size as the first point and the render size as the second; it never
// touches the document itself.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class CImElement;
class CTxElement;

// Places the text of a text element in its rectangle from the text's laid-out size: horizontal 1
// centred, 2 five pixels from the left edge, 3 ending five pixels from the right edge; vertical 1
// centred, 4 at the top, 5 at the bottom; any other mode puts that coordinate at 0.
enum EAlignText : uint32_t {
  kAlignTextCentre = 1,
  kAlignTextLeft = 2,
  kAlignTextRight = 3,
  kAlignTextTop = 4,
  kAlignTextBottom = 5,
};
void AlignElementText(CTxElement* element, uint32_t horizontal, uint32_t vertical);
// The element's text replaced by a copy of text, aligned so and redrawn when shown: 0 or the code.
int32_t ShowAlignedText(CTxElement* element, const char* text, uint32_t horizontal, uint32_t vertical);
// The aspect ratio of a size as a small whole-number ratio when one with a denominator up to 99 exists
// (640 × 480: 4 : 3), else the quotient over 1.
void DeriveAspect(int32_t width, int32_t height, float* x, float* y);

class CDocSetup : public CLayoutHostCanvas {
 public:
  static constexpr const char* kReplyCanvas = "doc window";
  static constexpr const char* kNewDocument = "new document";
  static constexpr const char* kSizeDocument = "size document";
  static constexpr const char* kUntitled = "Untitled";
  enum EField : uint32_t { kWidthField, kHeightField, kAspectXField, kAspectYField, kFieldCount };
  static constexpr uint32_t kResolutionCount = 7;
  static constexpr uint32_t kPresetCount = 22;
  // The resolution at the document's own size, chosen by a preset and whenever the chosen one
  // becomes unavailable: the size limits keep it available.
  static constexpr uint32_t kFullResolution = 2;
  static constexpr int32_t kMaxWidth = 4000;
  static constexpr int32_t kMaxHeight = 32000;

  // One render resolution: its button and title, the render size at its scale (0 × 0 while beyond the
  // limits, when it is unavailable) and whether it is the chosen one.
  struct SResItem {
    CTxElement* button = nullptr;
    CTxElement* title = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    float scale = 1;
    bool chosen = false;
    bool disabled = false;
  };

  CDocSetup(CUICmFunction* owner, CResourceEnv* environment);
  ~CDocSetup() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  // size: the document image's width and height; title: the document's, or none for a new one;
  // isNew: whether "ok" makes a new document. Fills the dialog without showing it; 0.
  int32_t OpenForNewDocument(SPointHV size, const char* title, bool isNew);
  // Shows the dialog modally with the width field focused (a dialog already shown is only brought
  // forward); 0.
  int32_t Open();
  int32_t HandleEvent(CUIMessage* message) override;
  bool Activate() override;

  SPointHV GetDocumentSize() const { return {fWidth, fHeight}; }
  SPointHV GetRenderSize() const { return fRenderSize; }
  float GetAspectX() const { return fAspectX; }
  float GetAspectY() const { return fAspectY; }
  bool IsForNewDocument() const { return fNewDocument; }
  bool IsConstrained() const { return fConstrain; }
  const SResItem& GetResolution(uint32_t item) const { return fItems[item < kResolutionCount ? item : 0]; }
  CTextEdit* GetField(uint32_t field) const { return GetElementWindow(field < kFieldCount ? fFields[field] : nullptr); }
  CTxElement* GetTitleElement() const { return fTitle; }
  // The size preset shown highlighted as the current one, or none.
  static CImElement* GetCurrentPreset();
  static SNumericFields& Fields();

  // What pressing the dialog's elements does: a size preset follows the pointer until release and
  // applies itself released inside; a resolution button chooses itself, a disabled one beeps.
  static int32_t OnSizePresetPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnResolutionPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

 private:
  void ReleaseFields();
  void ApplySizePreset(const char* name);
  int32_t SelectResolution(const char* name);
  void OnFieldChanged(const char* name);
  void UpdateDisplay(bool writeFields, bool resetResolution);
  void ComputeRenderSizes(bool reset);
  void Choose(uint32_t item, bool chosen);
  void SetDisabled(uint32_t item, bool disabled);
  void WriteFields(int32_t except);
  int32_t SendReply();

  SResItem fItems[kResolutionCount];
  int32_t fWidth = 480;
  int32_t fHeight = 360;
  SPointHV fRenderSize;
  float fAspectX = 4;
  float fAspectY = 3;
  CTextEditTable fFieldTable{SRange{0, 32}};
  CElement* fFields[kFieldCount] = {};
  CTxElement* fTitle = nullptr;
  bool fConstrain = true;
  bool fNewDocument = false;
};
