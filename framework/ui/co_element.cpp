#include "framework/ui/co_element.h"

#include <bit>
#include <cmath>

#include "framework/core/appl.h"
#include "framework/core/ix_color.h"
#include "framework/core/result_codes.h"
#include "framework/image/image_record.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"

namespace {

constexpr char kTagAndVersion[] = "coel0100";
constexpr SWordRange kNumbers[] = {{CCoElement::kRecordFillColor, CCoElement::kRecordListName},
                                   {CCoElement::kRecordListEntry, CCoElement::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CCoElement::kRecordBytes, kNumbers, 2};
constexpr uint32_t kOpaqueBlack = 0xFF000000;

}  // namespace

uint32_t CoelRecordHandler(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

float LimitOpacity(float opacity) {
  if (std::isnan(opacity) || std::bit_cast<uint32_t>(opacity) > 0x80000000u) return 0.0f;
  return opacity > 1.0f ? 1.0f : opacity;
}

int32_t OpacityFactor(float opacity) { return int32_t(LimitOpacity(opacity) * 256.0f + 0.5f); }

// What ReadRecord takes from the "coel" record.
struct CCoElement::SRecord {
  CImVector fillColor;
  uint32_t listNumber = 0;
  char listName[CElement::kRecordTextBytes] = {};
  uint32_t listEntry = 0;
  uint32_t fillLayer = 0;
  SSoftShadow shadow;
  uint32_t shadowLayer = 0;
  float opacity = 0.0f;
  uint32_t flags = 0;

  void Read(const uint8_t* data) {
    fillColor.value = RecordWordAt(data, kRecordFillColor);
    listNumber = RecordWordAt(data, kRecordListNumber);
    RecordTextAt(data, kRecordListName, listName, sizeof listName);
    listEntry = RecordWordAt(data, kRecordListEntry);
    fillLayer = RecordWordAt(data, kRecordFillLayer);
    RecordShadowAt(data, kRecordShadow, &shadow);
    shadowLayer = RecordWordAt(data, kRecordShadowLayer);
    opacity = RecordFloatAt(data, kRecordOpacity);
    flags = RecordWordAt(data, kRecordFlags);
  }
};

CCoElement::CCoElement(const SElementDesc& desc) : CElement(desc) { SetOptionFlags(kEventMaskDraw, true); }

CCoElement::~CCoElement() {
  if (IsValid()) Hide(true);
  FreeShadowMask();
  delete fColorList;
  fColorList = nullptr;
}

bool CCoElement::IsValid() const {
  return CElement::IsValid() && (!fShadowMask || fShadowMask->IsValid()) &&
         (!fColorList || fColorList->GetResult() == kNoErr);
}

void CCoElement::FreeShadowMask() {
  delete fShadowMask;
  fShadowMask = nullptr;
}

// ---- settings

int32_t CCoElement::SetFillColor(CImVector color, bool redraw) {
  if (color.value == fFillColor.value) return kNoErr;
  fFillColor = color;
  return redraw && IsShown() && fFillOn ? InvalidateRect() : kNoErr;
}

int32_t CCoElement::TakeColorList(CIxColor* list, bool freeOld) {
  if (!list) return kErrOutOfMemory;
  if (const int32_t err = list->GetResult()) {
    delete list;
    return err;
  }
  if (freeOld) delete fColorList;
  fColorList = list;
  return kNoErr;
}

int32_t CCoElement::SetColorListByNumber(CResourceEnv* environment, uint32_t number, uint32_t entry, bool freeOld) {
  return TakeColorList(new CIxColor(environment, number, entry), freeOld);
}

int32_t CCoElement::SetColorListByName(CResourceEnv* environment, const char* name, uint32_t entry, bool freeOld) {
  return TakeColorList(new CIxColor(environment, name, entry), freeOld);
}

int32_t CCoElement::SetShadow(const SSoftShadow& shadow, bool redraw) {
  if (shadow.dx == fShadow.dx && shadow.dy == fShadow.dy && shadow.radius == fShadow.radius &&
      shadow.opacity == fShadow.opacity)
    return kNoErr;
  fShadow.dx = shadow.dx;
  fShadow.dy = shadow.dy;
  fShadow.radius = shadow.radius;
  fShadow.opacity = shadow.opacity;
  FreeShadowMask();
  return redraw && IsShown() && fShadowOn ? Redraw() : kNoErr;
}

int32_t CCoElement::DropShadow() {
  FreeShadowMask();
  return kNoErr;
}

int32_t CCoElement::UpdateShadowOutsets(bool redraw) {
  if (!fShadowOn) return SetOutsets({}, {}, redraw);
  const SRect& rect = GetRect();
  const int64_t grow = 2 * int64_t(fShadow.radius);
  // In 64 bits: a radius read from a record must not wrap the outsets around.
  auto limit = [](int64_t x) { return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)); };
  const int64_t top = std::min<int64_t>(rect.top, int64_t(rect.top) + fShadow.dy - grow);
  const int64_t left = std::min<int64_t>(rect.left, int64_t(rect.left) + fShadow.dx - grow);
  const int64_t bottom = std::max<int64_t>(rect.bottom, int64_t(rect.bottom) + fShadow.dy + grow);
  const int64_t right = std::max<int64_t>(rect.right, int64_t(rect.right) + fShadow.dx + grow);
  return SetOutsets({limit(left - rect.left), limit(top - rect.top)},
                    {limit(right - rect.right), limit(bottom - rect.bottom)}, redraw);
}

// ---- drawing

int32_t CCoElement::RebuildShadow() {
  FreeShadowMask();
  if (!fShadowOn) return kNoErr;
  fShadow.mode = kShadowMask;
  fShadow.keepUnder = WantedKeepUnder();
  SRect rect, extent;
  GetLocalRect(&rect);
  GetLocalBounds(&extent);
  if (rect == extent || IsEmptyRect(rect) || IsEmptyRect(extent)) return kNoErr;
  fShadow.clip = extent;
  fShadow.fadeAtClip = 1;
  int32_t err = kNoErr;
  CImage* black = NewDataImage(uint32_t(RectWidth(extent)), uint32_t(RectHeight(extent)), &err);
  if (!black) return kErrFailedCreation;
  black->SetOrigin(extent.left, extent.top);
  black->SetClip(OffsetRect(rect, -extent.left, -extent.top));
  if (!black->Fill(kOpaqueBlack)) {
    err = NonZeroError(black->GetError());
    delete black;
    return err;
  }
  black->ClipToBounds();
  SGridLayout grid;
  MakeImageGridSpec(grid, GetApplication()->GetDataEnv(), 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &ImageRecordTypeHandler);
  fShadowMask = MakeSoftShadow(black, grid, spec, fShadow);
  delete black;
  return fShadowMask ? kNoErr : kErrFailedCreation;
}

int32_t CCoElement::DrawOwn(uint32_t pass, CImage* target) {
  const int32_t factor = OpacityFactor(fOpacity);
  if (pass == fShadowLayer && fShadowOn) {
    if (fShadowMask && fShadow.keepUnder == WantedKeepUnder()) {
      SRect extent;
      GetLocalBounds(&extent);
      fShadowMask->SetOrigin(extent.left, extent.top);
    } else if (const int32_t err = RebuildShadow()) {
      return err;
    }
    if (fShadowMask && !target->DarkenByMaskScaled(factor, fShadowMask)) return NonZeroError(target->GetError());
  }
  if (pass == fFillLayer && fFillOn) {
    SRect rect;
    GetLocalRect(&rect);
    const SRect area = SectRect(rect, target->GetPlacedBounds());
    if (IsEmptyRect(area)) return kNoErr;
    CSgAcSaver saved(target, area);
    if (!target->BlendColor(factor, fFillColor.value)) return NonZeroError(target->GetError());
  }
  return kNoErr;
}

int32_t CCoElement::Draw(uint32_t pass, CImage* port, bool withChildren) {
  if (const int32_t err = CElement::Draw(pass, port, false)) return err;
  if (const int32_t err = DrawOwn(pass, port)) return err;
  return withChildren ? DrawChildren(pass, port) : kNoErr;
}

bool CCoElement::GetCoverRect(SRect* out) {
  *out = SRect{};
  if (!IsShown() || !fFillOn || fOpacity < 1.0f) return true;
  if (GetTopLeftOutset() == SPointHV{} && GetBottomRightOutset() == SPointHV{}) return false;
  GetLocalRect(out);
  return true;
}

// ---- hooks

int32_t CCoElement::WillChangeRect(const SRect& newRect) {
  const SRect& rect = GetRect();
  if (fShadowOn && (RectWidth(newRect) != RectWidth(rect) || RectHeight(newRect) != RectHeight(rect)))
    FreeShadowMask();
  return CElement::WillChangeRect(newRect);
}

int32_t CCoElement::WillChangeOutsets(SPointHV topLeft, SPointHV bottomRight) {
  if (fShadowOn) FreeShadowMask();
  return CElement::WillChangeOutsets(topLeft, bottomRight);
}

// ---- the record

int32_t CCoElement::ReadRecord(CResourceEnv* environment, uint32_t number, const char* name) {
  if (const int32_t err = LoadFromResource(environment, number, name)) return err;
  return ApplyOptionalRecord<SRecord>(environment, kTag, number, name, &CoelRecordHandler, kRecordBytes,
                                      [&](const SRecord& record) { return ApplyRecord(environment, record); });
}

int32_t CCoElement::ApplyRecord(CResourceEnv* environment, const SRecord& record) {
  const uint32_t flags = record.flags;
  fFillOn = flags & kFillOn ? 1 : 0;
  SetFillColor(record.fillColor, true);
  fFillLayer = record.fillLayer;
  const uint8_t shadowOn = flags & kShadowOn ? 1 : 0;
  if (shadowOn != fShadowOn) FreeShadowMask();
  fShadowOn = shadowOn;
  SetShadow(record.shadow, true);
  fShadowLayer = record.shadowLayer;
  if (flags & kShadowOutsets) UpdateShadowOutsets(true);
  const float opacity = LimitOpacity(record.opacity);
  if (opacity != fOpacity) fOpacity = opacity;
  if (!(flags & kTakeList)) return kNoErr;

  const bool own = flags & kListOwnKey;
  uint32_t ownNumber = 0;
  GetRecordNumber(&ownNumber);
  // A list that does not load leaves the one held before; that is no failure of the record.
  const int32_t loaded =
      flags & kListByName
          ? SetColorListByName(environment, own ? GetRecordName() : record.listName, record.listEntry, true)
          : SetColorListByNumber(environment, own ? ownNumber : record.listNumber, record.listEntry, true);
  uint32_t color = 0;
  if (loaded == kNoErr && (flags & kListColor) && fColorList && fColorList->GetColor(&color) == kNoErr)
    SetFillColor(CImVector{color}, true);
  return kNoErr;
}

// ---- creation

int32_t CCoElement::CreateByNumber(CCoElement** element, CResourceEnv* environment, uint32_t number) {
  return NewLoadedElement<CCoElement>(element, environment, number, nullptr, &CCoElement::ReadRecord);
}

int32_t CCoElement::CreateByName(CCoElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CCoElement>(element, environment, 0, name, &CCoElement::ReadRecord);
}

int32_t CCoElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CCoElement>(request, &CCoElement::CreateByNumber, &CCoElement::CreateByName);
}

bool CCoElement::RegisterType() { return RegisterElementFactory(kTag, &CCoElement::CreateFromResource); }
bool CCoElement::UnregisterType() { return UnregisterElementFactory(kTag); }
