// The text element, tag "txel": an image element that also shows a text in a text style, at a
// position in its own coordinates, with a soft shadow of the text and an opacity for both. The text is
// a plain string or, without one, the current entry of an indexed text list (Windows-1252 either way).
// The shadow is drawn in its own pass before the text when both passes are the same; it is kept as a
// packed alpha mask, built on demand and dropped by every change of text, list, style, position or
// shadow. Settings come from an optional "txel" record of the same number or name as the element's
// other records.
//
// Plain texts: a text the element copied itself (the record's inline text) goes with the element or
// with the next text; a text handed in by a caller is freed (with FreeText) when the caller says so
// or, with "owns text", with the element. Texts to be freed by the element come from NewText.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/ui/im_element.h"
#include "framework/ui/outline_font.h"

class CIxText;
struct STextStyle;

// Checks and turns around a "txel" record: 2 for one shorter than 204 bytes or of another tag or
// version.
uint32_t TextElementRecordHandler(CSpoolMem* record, uint32_t message, void* argument);

class CTxElement : public CImElement {
 public:
  static constexpr const char* kTag = "txel";

  // The stored "txel" record: big-endian, at least kRecordBytes long.
  static constexpr uint32_t kRecordBytes = 204;
  static constexpr uint32_t kInlineTextBytes = 64;
  enum ERecordOffset : uint32_t {
    kRecordText = 24,
    kRecordListNumber = 88,
    kRecordListName = 92,
    kRecordListIndex = 124,
    kRecordStyleNumber = 128,
    kRecordStyleName = 132,
    kRecordPosition = 164,  // h, v (floats)
    kRecordTextLayer = 172,
    kRecordShadow = 176,    // dx, dy, radius (words), opacity (float)
    kRecordShadowLayer = 192,
    kRecordOpacity = 196,
    kRecordFlags = 200,
  };
  enum ERecordFlag : uint32_t {
    kUseText = 0x1,
    kOwnsText = 0x2,
    kUseList = 0x4,
    kListByName = 0x8,
    kListOwnKey = 0x10,  // the list has the element record's own number or name
    kUseStyle = 0x20,
    kStyleByName = 0x40,
    kStyleOwnKey = 0x80,
    kShadowShown = 0x100,
    kShadowOverflows = 0x200,  // the shadow may reach into the outsets
    kFitText = 0x400,
    kFitShadowOutsets = 0x800,
  };

  static bool RegisterType();
  static bool UnregisterType();
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  // A new element from its records: 0, 9 (memory), 13 (not usable) or the reading's code, and then no
  // element.
  static int32_t CreateById(CTxElement** element, CResourceEnv* environment, uint32_t id);
  static int32_t CreateByName(CTxElement** element, CResourceEnv* environment, const char* name);

  // A copy of at most `room` - 1 characters of the text in the default pool, or none.
  static char* NewText(const char* text, size_t room);
  static void FreeText(const char* text);

  explicit CTxElement(const SElementDesc& desc);
  // A valid element is hidden with redraw; its style (and the style's font), shadow, list and the
  // texts it owns go.
  ~CTxElement() override;

  bool IsValid() const;

  // The image element's records, then the optional "txel" record, applied to the hidden element. A
  // failing list or style leaves what was applied before it and skips the fitting.
  int32_t ReadResource(CResourceEnv* environment, uint32_t id, const char* name);

  // Setters: 0 or the code; with redraw a shown element invalidates the text's area before and after.
  // The same text pointer again does nothing; freeOld frees the old text.
  int32_t SetText(const char* text, bool freeOld, bool redraw);
  // 9 when the list cannot be had, its own code when it does not load (and then nothing changes).
  int32_t SetTextListById(CResourceEnv* environment, uint32_t id, uint32_t index, bool deleteOld, bool redraw);
  int32_t SetTextListByName(CResourceEnv* environment, const char* name, uint32_t index, bool deleteOld,
                            bool redraw);
  // releaseOld gives the old style's font back and frees the style.
  int32_t SetStyle(STextStyle* style, bool releaseOld, bool redraw);
  int32_t SetPosition(SFontPoint point, bool redraw);
  using CImElement::SetShadow;
  int32_t SetShadow(int32_t dx, int32_t dy, uint32_t radius, float opacity, bool redraw);

  // The style's rectangle of the current text at the position; zero without text or style. The text
  // list's lock code.
  int32_t GetTextRect(SRect* out);
  // The text's rectangle, grown by the shadow when asked (built when missing), in mode kUnlimited as
  // it is, kToShadowPlace cut by the rects of the element and its ancestors (by their extents when the
  // shadow may overflow), kToRect by the rects, kToExtent by the extents.
  int32_t Layout(SRect* out, bool withShadow, uint32_t mode);
  // Invalidates the old area and the new one, or both at once when they overlap.
  int32_t RedrawChange(const SRect& old);
  int32_t RedrawText(bool withShadow);
  void DropShadowImage();
  // Drops the shadow after a change of the style's matrix or colour; with redraw the element's rect
  // (its extent when the shadow may overflow) is invalidated.
  int32_t ReleaseAttachment(bool redraw);
  // Sizes the element to its text (and shadow, unless that overflows), united with the rect when asked
  // and grown by the margins, keeping the text where it is; with extend the outsets then hold the
  // shadow.
  int32_t FitToText(bool extend, bool unite, bool redraw, SPointHV firstMargin, SPointHV secondMargin);
  int32_t RenderShadow();
  // The shadow composited with the opacity in its pass, then the text with its colour's alpha scaled
  // by the opacity in its pass.
  int32_t DrawLayers(uint32_t layer, CImage* image);

  const char* GetText() const { return fText; }
  CIxText* GetTextList() const { return fTextList; }
  STextStyle* GetStyle() const { return fStyle; }
  SFontPoint GetPosition() const { return fPosition; }
  uint32_t GetTextLayer() const { return fTextLayer; }
  CImage* GetShadowImage() const { return fShadowImage; }
  const SSoftShadow& GetTextShadow() const { return fShadow; }
  uint32_t GetTextShadowLayer() const { return fShadowLayer; }
  float GetTextOpacity() const { return fOpacity; }
  bool IsShadowShown() const { return fShadowShown != 0; }
  bool DoesShadowOverflow() const { return fShadowOverflows != 0; }
  bool OwnsText() const { return fOwnsText != 0; }

  // ---- CElement
  int32_t Draw(uint32_t pass, CImage* port, bool withChildren) override;

 private:
  struct SRecord;
  int32_t ApplyRecord(CResourceEnv* environment, const SRecord& record);
  bool HasText() const { return fText || fTextList; }
  // use(text) with the current text, the list held locked; none without one. The lock's code, or
  // what use answers.
  template <typename F>
  int32_t WithText(F use);
  // change() between the text's area before and after it, which is redrawn when asked and shown; the
  // shadow is dropped.
  template <typename F>
  int32_t ChangeText(bool redraw, F change);
  int32_t TakeTextList(CIxText* list, bool deleteOld, bool redraw);
  void DropText(bool free);

  const char* fText = nullptr;
  CIxText* fTextList = nullptr;
  STextStyle* fStyle = nullptr;
  SFontPoint fPosition;
  uint32_t fTextLayer = 1;
  CImage* fShadowImage = nullptr;
  SSoftShadow fShadow;
  uint32_t fShadowLayer = 1;
  float fOpacity = 1.0f;
  uint8_t fShadowShown = 0;
  uint8_t fShadowOverflows = 0;
  uint8_t fOwnsText = 0;
  // The plain text is the element's own copy.
  uint8_t fCopiedText = 0;
};
