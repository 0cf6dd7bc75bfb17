#include "framework/ui/tx_element.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/ix_text.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image_record.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"
#include "framework/ui/text_style.h"

namespace {

constexpr char kTagAndVersion[] = "txel0100";
constexpr SWordRange kNumbers[] = {{CTxElement::kRecordListNumber, CTxElement::kRecordListName},
                                   {CTxElement::kRecordListIndex, CTxElement::kRecordStyleName},
                                   {CTxElement::kRecordPosition, CTxElement::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CTxElement::kRecordBytes, kNumbers, 3};

// The colour's alpha scaled by the opacity, its colour kept.
uint32_t WithOpacity(uint32_t colour, float opacity) {
  const uint32_t alpha = uint32_t(std::trunc(LimitOpacity(opacity) * 255.0f + 0.5f));
  return (colour & 0x00FFFFFFu) | alpha << 24;
}

}  // namespace

uint32_t TextElementRecordHandler(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

// ---- texts

char* CTxElement::NewText(const char* text, size_t room) {
  if (room == 0) return nullptr;
  const size_t length = text ? strnlen(text, room - 1) : 0;
  CMemPool* pool = GetDefaultPool();
  auto* copy = static_cast<char*>(pool ? pool->Alloc(length + 1) : MemAlloc(length + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text ? text : "", length);
  copy[length] = 0;
  return copy;
}

void CTxElement::FreeText(const char* text) {
  if (!text) return;
  auto* storage = const_cast<char*>(text);
  if (CMemPool* pool = GetDefaultPool()) pool->Free(storage);
  else MemFree(storage);
}

// ---- life

CTxElement::CTxElement(const SElementDesc& desc) : CImElement(desc) {}

CTxElement::~CTxElement() {
  if (IsValid()) Hide(true);
  if (fStyle) {
    fStyle->ReleaseFont();
    delete fStyle;
    fStyle = nullptr;
  }
  DropShadowImage();
  delete fTextList;
  fTextList = nullptr;
  DropText(fOwnsText);
}

bool CTxElement::IsValid() const {
  return CImElement::IsValid() && (!fShadowImage || fShadowImage->IsValid()) &&
         (!fTextList || fTextList->GetResult() == kNoErr) && (!fStyle || !fStyle->font || !fStyle->font->IsNotLoaded());
}

void CTxElement::DropText(bool free) {
  if (free || fCopiedText) FreeText(fText);
  fText = nullptr;
  fCopiedText = 0;
}

void CTxElement::DropShadowImage() {
  delete fShadowImage;
  fShadowImage = nullptr;
}

template <typename F>
int32_t CTxElement::WithText(F use) {
  if (fText || !fTextList) return use(fText);
  CIxTxHolder held(fTextList, true);
  if (!held.IsHeld()) return NonZeroError(held.GetError());
  return use(fTextList->Text());
}

// ---- setters

template <typename F>
int32_t CTxElement::ChangeText(bool redraw, F change) {
  const bool show = redraw && IsShown();
  SRect before;
  if (show) {
    if (const int32_t err = Layout(&before, true, kToShadowPlace)) return err;
  }
  change();
  DropShadowImage();
  return show ? RedrawChange(before) : kNoErr;
}

int32_t CTxElement::SetText(const char* text, bool freeOld, bool redraw) {
  if (text == fText) return kNoErr;
  return ChangeText(redraw, [&] {
    DropText(freeOld);
    fText = text;
  });
}

int32_t CTxElement::TakeTextList(CIxText* list, bool deleteOld, bool redraw) {
  if (!list) return kErrOutOfMemory;
  if (const int32_t err = list->GetResult()) {
    delete list;
    return err;
  }
  return ChangeText(redraw, [&] {
    if (deleteOld) delete fTextList;
    fTextList = list;
  });
}

int32_t CTxElement::SetTextListById(CResourceEnv* environment, uint32_t id, uint32_t index, bool deleteOld,
                                    bool redraw) {
  return TakeTextList(new CIxText(environment, id, index), deleteOld, redraw);
}

int32_t CTxElement::SetTextListByName(CResourceEnv* environment, const char* name, uint32_t index, bool deleteOld,
                                      bool redraw) {
  return TakeTextList(new CIxText(environment, name, index), deleteOld, redraw);
}

int32_t CTxElement::SetStyle(STextStyle* style, bool releaseOld, bool redraw) {
  if (style == fStyle) return kNoErr;
  return ChangeText(redraw, [&] {
    if (releaseOld && fStyle) {
      fStyle->ReleaseFont();
      delete fStyle;
    }
    fStyle = style;
  });
}

int32_t CTxElement::SetPosition(SFontPoint point, bool redraw) {
  if (point == fPosition) return kNoErr;
  if (!HasText() || !fStyle) {
    fPosition = point;
    return kNoErr;
  }
  return ChangeText(redraw, [&] { fPosition = point; });
}

// The area the old shadow covered is repainted too: a smaller or moved shadow leaves none behind.
int32_t CTxElement::SetShadow(int32_t dx, int32_t dy, uint32_t radius, float opacity, bool redraw) {
  if (dx == fShadow.dx && dy == fShadow.dy && radius == fShadow.radius && opacity == fShadow.opacity) return kNoErr;
  return ChangeText(redraw && fShadowShown && HasText() && fStyle, [&] {
    fShadow.dx = dx;
    fShadow.dy = dy;
    fShadow.radius = radius;
    fShadow.opacity = opacity;
  });
}

// ---- geometry and redraw

int32_t CTxElement::GetTextRect(SRect* out) {
  *out = SRect{};
  if (!HasText() || !fStyle) return kNoErr;
  return WithText([&](const char* text) {
    fStyle->GetTextRect(out, text, fPosition);
    return kNoErr;
  });
}

int32_t CTxElement::Layout(SRect* out, bool withShadow, uint32_t mode) {
  SRect r;
  if (const int32_t err = GetTextRect(&r)) return err;
  *out = r;
  if (IsEmptyRect(r)) return kNoErr;
  if (withShadow) {
    if (!fShadowImage && RenderShadow()) return kNoErr;
    if (fShadowImage) {
      // A packed mask: four pixels to a stored one.
      const int32_t h = fShadowImage->GetOriginH(), v = fShadowImage->GetOriginV();
      r = {std::min(r.top, v), std::min(r.left, h), std::max(r.bottom, v + int32_t(fShadowImage->GetHeight())),
           std::max(r.right, h + 4 * int32_t(fShadowImage->GetWidth()))};
    }
  }
  const bool byExtents = mode == kToExtent || (mode == kToShadowPlace && withShadow && fShadowImage && fShadowOverflows);
  if (mode == kToShadowPlace || mode == kToRect || mode == kToExtent) {
    if (byExtents) ClipToBounds(&r, r, nullptr);
    else ClipToRects(&r, r, nullptr);
  }
  *out = r;
  return kNoErr;
}

int32_t CTxElement::RedrawChange(const SRect& old) {
  SRect now;
  if (const int32_t err = Layout(&now, true, kToShadowPlace)) return err;
  return RedrawAreas(old, now);
}

int32_t CTxElement::RedrawText(bool withShadow) {
  if (!HasText() || !fStyle || !IsShown()) return kNoErr;
  SRect area;
  if (const int32_t err = Layout(&area, withShadow, kToShadowPlace)) return err;
  return Invalidate(area);
}

int32_t CTxElement::ReleaseAttachment(bool redraw) {
  DropShadowImage();
  if (!redraw) return kNoErr;
  SRect area;
  if (fShadowShown && fShadowOverflows) GetLocalBounds(&area);
  else GetLocalRect(&area);
  return Invalidate(area);
}

int32_t CTxElement::FitToText(bool extend, bool unite, bool redraw, SPointHV firstMargin, SPointHV secondMargin) {
  if (!HasText() || !fStyle) return kNoErr;
  SRect area;
  if (const int32_t err = Layout(&area, !fShadowOverflows, kUnlimited)) return err;
  if (const int32_t err = FitRectToArea(area, unite, redraw, firstMargin, secondMargin)) return err;
  if (!extend) return kNoErr;
  SRect shadowed;
  if (const int32_t err = Layout(&shadowed, true, kUnlimited)) return err;
  return SetOutsetsToHold(shadowed, redraw);
}

// ---- drawing

int32_t CTxElement::RenderShadow() {
  DropShadowImage();
  if (!fShadowShown || !HasText() || !fStyle) return kNoErr;
  fShadow.mode = kShadowMask;
  fShadow.keepUnder = 1;
  fShadow.clip = SRect{};
  fShadow.fadeAtClip = 0;
  SRect t;
  if (const int32_t err = GetTextRect(&t)) return err;
  if (IsEmptyRect(t)) return kNoErr;
  int32_t err = kNoErr;
  CImage* text = NewDataImage(uint32_t(RectWidth(t)), uint32_t(RectHeight(t)), &err);
  if (!text) return kErrFailedCreation;
  text->SetOrigin(t.left, t.top);
  const uint8_t mask = fStyle->mask;
  fStyle->mask = 1;
  err = WithText([&](const char* current) { return fStyle->DrawText(current, fPosition, text); });
  fStyle->mask = mask;
  if (!err) {
    SGridLayout grid;
    SSpoolTableSpec spec;
    WorkingImageSpec(&grid, &spec, nullptr);
    fShadowImage = MakeSoftShadow(text, grid, spec, fShadow);
    if (!fShadowImage) err = kErrFailedCreation;
  }
  delete text;
  return err;
}

int32_t CTxElement::DrawLayers(uint32_t layer, CImage* image) {
  if (!HasText() || !fStyle || (layer != fShadowLayer && layer != fTextLayer)) return kNoErr;
  if (layer == fShadowLayer && fShadowShown) {
    SRect area;
    if (fShadowOverflows) GetLocalBounds(&area);
    else GetLocalRect(&area);
    area = SectRect(area, image->GetPlacedBounds());
    if (!IsEmptyRect(area)) {
      CSgAcSaver saved(image, area);
      if (!fShadowImage) {
        if (const int32_t err = RenderShadow()) return err;
      }
      if (fShadowImage && !image->DarkenByMaskScaled(OpacityFactor(fOpacity), fShadowImage))
        return NonZeroError(image->GetError());
    }
  }
  if (layer != fTextLayer) return kNoErr;
  SRect area;
  GetLocalRect(&area);
  area = SectRect(area, image->GetPlacedBounds());
  if (IsEmptyRect(area)) return kNoErr;
  CSgAcSaver saved(image, area);
  const uint32_t colour = fStyle->colour;
  fStyle->colour = WithOpacity(colour, fOpacity);
  const int32_t err = WithText([&](const char* text) { return fStyle->DrawText(text, fPosition, image); });
  fStyle->colour = colour;
  return err;
}

int32_t CTxElement::Draw(uint32_t pass, CImage* port, bool withChildren) {
  if (const int32_t err = CImElement::Draw(pass, port, false)) return err;
  if (const int32_t err = DrawLayers(pass, port)) return err;
  return withChildren ? DrawChildren(pass, port) : kNoErr;
}

// ---- the record

// What ReadResource takes from the "txel" record.
struct CTxElement::SRecord {
  char text[kInlineTextBytes] = {};
  uint32_t listNumber = 0;
  char listName[kRecordTextBytes] = {};
  uint32_t listIndex = 0;
  uint32_t styleNumber = 0;
  char styleName[kRecordTextBytes] = {};
  SFontPoint position;
  uint32_t textLayer = 0;
  SSoftShadow shadow;
  uint32_t shadowLayer = 0;
  float opacity = 0.0f;
  uint32_t flags = 0;

  void Read(const uint8_t* data) {
    RecordTextAt(data, kRecordText, text, sizeof text);
    listNumber = RecordWordAt(data, kRecordListNumber);
    RecordTextAt(data, kRecordListName, listName, sizeof listName);
    listIndex = RecordWordAt(data, kRecordListIndex);
    styleNumber = RecordWordAt(data, kRecordStyleNumber);
    RecordTextAt(data, kRecordStyleName, styleName, sizeof styleName);
    position = {RecordFloatAt(data, kRecordPosition), RecordFloatAt(data, kRecordPosition + 4)};
    textLayer = RecordWordAt(data, kRecordTextLayer);
    RecordShadowAt(data, kRecordShadow, &shadow);
    shadowLayer = RecordWordAt(data, kRecordShadowLayer);
    opacity = RecordFloatAt(data, kRecordOpacity);
    flags = RecordWordAt(data, kRecordFlags);
  }
};

int32_t CTxElement::ReadResource(CResourceEnv* environment, uint32_t id, const char* name) {
  if (const int32_t err = CImElement::ReadRecord(environment, id, name)) return err;
  return ApplyOptionalRecord<SRecord>(environment, kTag, id, name, &TextElementRecordHandler, kRecordBytes,
                                      [&](const SRecord& record) { return ApplyRecord(environment, record); });
}

int32_t CTxElement::ApplyRecord(CResourceEnv* environment, const SRecord& record) {
  const uint32_t flags = record.flags;
  SetPosition(record.position, true);
  if (record.textLayer != fTextLayer) {
    fTextLayer = record.textLayer;
    RedrawText(false);
  }
  const uint8_t shown = flags & kShadowShown ? 1 : 0;
  if (shown != fShadowShown) {
    fShadowShown = shown;
    DropShadowImage();
    RedrawText(true);
  }
  const uint8_t overflows = flags & kShadowOverflows ? 1 : 0;
  if (overflows != fShadowOverflows) {
    SRect old;
    Layout(&old, true, kToShadowPlace);
    fShadowOverflows = overflows;
    RedrawChange(old);
  }
  SetShadow(record.shadow.dx, record.shadow.dy, record.shadow.radius, record.shadow.opacity, true);
  if (record.shadowLayer != fShadowLayer) {
    fShadowLayer = record.shadowLayer;
    if (fShadowShown) RedrawText(true);
  }
  const float opacity = LimitOpacity(record.opacity);
  if (opacity != fOpacity) {
    fOpacity = opacity;
    RedrawText(true);
  }
  fOwnsText = flags & kOwnsText ? 1 : 0;

  uint32_t ownNumber = 0;
  GetRecordNumber(&ownNumber);
  const char* ownName = GetRecordName();
  if (flags & kUseText) {
    char* copy = NewText(record.text, sizeof record.text);
    if (!copy) return kErrOutOfMemory;
    const int32_t err = SetText(copy, true, true);
    if (fText != copy) {
      FreeText(copy);
      return NonZeroError(err);
    }
    fCopiedText = 1;
    if (err) return err;
  }
  if (flags & kUseList) {
    const bool own = flags & kListOwnKey;
    const int32_t err =
        flags & kListByName
            ? SetTextListByName(environment, own ? ownName : record.listName, record.listIndex, true, true)
            : SetTextListById(environment, own ? ownNumber : record.listNumber, record.listIndex, true, true);
    if (err) return err;
  }
  if (flags & kUseStyle) {
    const bool own = flags & kStyleOwnKey;
    STextStyle* style = nullptr;
    const int32_t err = flags & kStyleByName
                            ? STextStyle::CreateByName(&style, environment, own ? ownName : record.styleName)
                            : STextStyle::CreateById(&style, environment, own ? ownNumber : record.styleNumber);
    if (err) return err;
    const int32_t set = SetStyle(style, true, true);
    if (fStyle != style) {
      style->ReleaseFont();
      delete style;
      return NonZeroError(set);
    }
    if (set) return set;
  }
  if (flags & kFitText) return FitToText(flags & kFitShadowOutsets, true, true, {}, {});
  return kNoErr;
}

// ---- creation

int32_t CTxElement::CreateById(CTxElement** element, CResourceEnv* environment, uint32_t id) {
  return NewLoadedElement<CTxElement>(element, environment, id, nullptr, &CTxElement::ReadResource);
}

int32_t CTxElement::CreateByName(CTxElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CTxElement>(element, environment, 0, name, &CTxElement::ReadResource);
}

int32_t CTxElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CTxElement>(request, &CTxElement::CreateById, &CTxElement::CreateByName);
}

bool CTxElement::RegisterType() { return RegisterElementFactory(kTag, &CTxElement::CreateFromResource); }
bool CTxElement::UnregisterType() { return UnregisterElementFactory(kTag); }
