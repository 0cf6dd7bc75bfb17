#include "framework/ui/im_element.h"

#include <algorithm>

#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image_record.h"
#include "framework/image/ix_image.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"

namespace {

constexpr char kTagAndVersion[] = "imel0100";
constexpr SWordRange kNumbers[] = {{CImElement::kRecordImageNumber, CImElement::kRecordImageName},
                                   {CImElement::kRecordListNumber, CImElement::kRecordListName},
                                   {CImElement::kRecordListEntry, CImElement::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CImElement::kRecordBytes, kNumbers, 3};
constexpr uint32_t kOpaqueBlack = 0xFF000000;

// An open and ready environment: 0, else 16.
int32_t CheckAvailable(CSpoolSys* env) {
  if (!env || !env->IsReady()) return kErrInvalidParameter;
  if (env->GetKind() == kResourceKind && !static_cast<CResourceEnv*>(env)->IsOpen()) return kErrInvalidParameter;
  return kNoErr;
}

// Available (else the code given) and a resource environment (else 14).
int32_t CheckImageEnvironment(CSpoolSys* env, int32_t unavailable) {
  if (CheckAvailable(env)) return unavailable;
  return env->GetKind() == kResourceKind ? kNoErr : kErrUnexpectedType;
}

CSubscriber* MakeImage(CResourceEnv& env, const void* grid) {
  SGridLayout layout = *static_cast<const SGridLayout*>(grid);
  layout.environment = &env;
  return new CImage(layout);
}

// Made and read: 9, 13 for a picture that is not usable, else the environment's code.
int32_t ReadImage(const SGridLayout& grid, const SSpoolTableSpec& spec, CImage** picture) {
  auto* made = new CImage(grid);
  if (!made) return kErrOutOfMemory;
  int32_t err = kNoErr;
  if (!made->IsValid()) err = kErrFailedCreation;
  else if (!made->Subscribe(spec)) err = NonZeroError(static_cast<CResourceEnv*>(grid.environment)->GetLastResult());
  if (err) {
    delete made;
    return err;
  }
  *picture = made;
  return kNoErr;
}

}  // namespace

uint32_t ImelRecordHandler(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

int32_t LoadImageRecord(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec, bool shared,
                        bool copied) {
  *picture = nullptr;
  if (shared) return CImElement::LoadSharedImage(picture, grid, spec);
  if (copied) return CImElement::LoadImageCopy(picture, grid, spec);
  if (const int32_t err = CheckImageEnvironment(grid.environment, kErrInvalidParameter)) return err;
  return ReadImage(grid, spec, picture);
}

// ---- the image cache

int32_t CImElement::LoadSharedImage(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  *picture = nullptr;
  if (const int32_t err = CheckImageEnvironment(grid.environment, kErrInvalidParameter)) return err;
  SIndexedRef ref{grid.environment, spec.key, true};
  CSubscriber* shared = nullptr;
  if (const int32_t err = LoadSharedResource(&shared, ref, spec, &MakeImage, &grid)) return err;
  *picture = static_cast<CImage*>(shared);
  return kNoErr;
}

int32_t CImElement::ReleaseSharedImage(CImage** picture) {
  CImage* image = *picture;
  *picture = nullptr;
  if (!image) return kErrInvalidParameter;
  if (image->GetLockCount()) return kErrObjectInUse;
  if (const int32_t err = CheckImageEnvironment(image->GetEnvironment(), kErrInvalidParameter)) return err;
  return ReleaseIndexedResource(image);
}

int32_t CImElement::LoadImageCopy(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  *picture = nullptr;
  CAppl* app = GetApplication();
  CSpoolSys* working = app ? app->GetDataEnv() : nullptr;
  if (CheckAvailable(grid.environment)) return kErrUnexpectedStatus;
  if (CheckAvailable(working)) return kErrInvalidParameter;
  if (grid.environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  CImage* made = nullptr;
  if (const int32_t err = ReadImage(grid, spec, &made)) return err;
  // The record may have come from the application's resource environment instead.
  int32_t err = kNoErr;
  if (made->GetEnvironment() != grid.environment) err = CheckImageEnvironment(made->GetEnvironment(), kErrUnexpectedStatus);
  if (!err) {
    SSpoolKey key;
    key.Set(kImageType, 0, false);
    SGridLayout unused;
    SSpoolTableSpec moved;
    WorkingImageSpec(&unused, &moved, &key);
    // Locked once more and marked changed, so that the copy lives in the working environment's storage.
    if (!made->SetEnvironment(working) || !made->Subscribe(moved)) err = NonZeroError(made->GetError());
    if (!err) {
      CHolder changed(made, true, false);
      if (!changed.IsLocked()) err = NonZeroError(made->GetError());
    }
  }
  if (err) {
    delete made;
    return err;
  }
  *picture = made;
  return kNoErr;
}

// ---- life

CImElement::CImElement(const SElementDesc& desc) : CCoElement(desc) {}

CImElement::~CImElement() {
  if (IsValid()) Hide(true);
  if (fOwnsPicture || fTookPicture) LetGoOfImage();
  ForgetImage();
  FreeShadowMask();
  delete fImageList;
  fImageList = nullptr;
}

bool CImElement::IsValid() const {
  return CCoElement::IsValid() && (!fPicture || fPicture->IsValid()) &&
         (!fPictureShadowMask || fPictureShadowMask->IsValid()) && (!fImageList || fImageList->GetResult() == kNoErr);
}

void CImElement::FreeShadowMask() {
  delete fPictureShadowMask;
  fPictureShadowMask = nullptr;
}

bool CImElement::ListHolds(const CImage* picture) const {
  for (uint32_t i = 0; fImageList && picture && i < fImageList->Count(); ++i) {
    if (fImageList->ImageAt(i) == picture) return true;
  }
  return false;
}

void CImElement::ForgetImage() {
  fPicture = nullptr;
  fSharedPicture = 0;
  fTookPicture = 0;
  fListPicture = 0;
}

void CImElement::LetGoOfImage() {
  if (fPicture && !fListPicture) {
    if (fSharedPicture) ReleaseSharedImage(&fPicture);
    else delete fPicture;
  }
  ForgetImage();
}

// ---- redrawing

int32_t CImElement::RedrawAreas(const SRect& before, const SRect& after) {
  if (RectsOverlap(before, after)) return Invalidate(UniteRects(before, after));
  if (const int32_t err = Invalidate(before)) return err;
  return Invalidate(after);
}

template <typename F>
int32_t CImElement::RedrawAround(bool redraw, bool withShadow, F change) {
  const bool show = redraw && IsShown();
  SRect before;
  if (show) {
    if (const int32_t err = GetUpdateArea(&before, withShadow, kToShadowPlace)) return err;
  }
  change();
  if (!show) return kNoErr;
  SRect after;
  if (const int32_t err = GetUpdateArea(&after, withShadow, kToShadowPlace)) return err;
  return RedrawAreas(before, after);
}

int32_t CImElement::Redraw(bool withShadow) {
  if (!fPicture || !IsShown()) return kNoErr;
  SRect area;
  if (const int32_t err = GetUpdateArea(&area, withShadow, kToShadowPlace)) return err;
  return Invalidate(area);
}

int32_t CImElement::GetUpdateArea(SRect* out, bool withShadow, uint32_t limit) {
  *out = SRect{};
  if (!fPicture) return kNoErr;
  {
    CSgStSaver placed(fPicture, fPicturePosition.h, fPicturePosition.v, true);
    *out = fPicture->GetPlacedBounds();
  }
  if (withShadow && fPictureShadowOn) {
    const bool current = fPictureShadowMask && fPictureShadow.keepUnder == WantedKeepUnder();
    if (!current && RebuildShadow()) return kNoErr;
    if (fPictureShadowMask) {
      // Four pixels to a mask pixel.
      SRect mask = fPictureShadowMask->GetPlacedBounds();
      mask.right = mask.left + 4 * RectWidth(mask);
      *out = UniteRects(*out, mask);
    }
  }
  SRect rect, extent;
  GetLocalRect(&rect);
  GetLocalBounds(&extent);
  const bool shadowInExtent = withShadow && fPictureShadowMask && fShadowInOutsets;
  if (limit == kToShadowPlace) *out = SectRect(*out, shadowInExtent ? extent : rect);
  else if (limit == kToRect) *out = SectRect(*out, rect);
  else if (limit == kToExtent) *out = SectRect(*out, extent);
  return kNoErr;
}

// ---- the picture

int32_t CImElement::SetImage(CImage* picture, bool shared, bool releaseOld, bool dropShadow, bool redraw) {
  if (picture == fPicture) return kNoErr;
  return RedrawAround(redraw, true, [&] {
    if (fPicture) {
      if (releaseOld) LetGoOfImage();
      if (dropShadow) FreeShadowMask();
    }
    fPicture = picture;
    fSharedPicture = shared ? 1 : 0;
    fTookPicture = 0;
    fListPicture = ListHolds(picture) ? 1 : 0;
  });
}

int32_t CImElement::LoadImage(CResourceEnv* environment, const SSpoolKey& key, bool shared, bool copied,
                              bool releaseOld, bool dropShadow, bool redraw) {
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* picture = nullptr;
  int32_t err = LoadImageRecord(&picture, grid, spec, shared, copied);
  if (err) return err;
  if (picture == fPicture) {
    // The cache handed out the current picture and counted one more use of it, which is not wanted.
    ReleaseSharedImage(&picture);
    return kNoErr;
  }
  err = SetImage(picture, shared, releaseOld, dropShadow, redraw);
  if (fPicture != picture) {
    if (shared) ReleaseSharedImage(&picture);
    else delete picture;
    return NonZeroError(err);
  }
  fTookPicture = 1;
  return err;
}

int32_t CImElement::LoadImageByNumber(CResourceEnv* environment, uint32_t number, bool shared, bool copied,
                                      bool releaseOld, bool dropShadow, bool redraw) {
  SSpoolKey key;
  key.Set(kImageType, number, true);
  return LoadImage(environment, key, shared, copied, releaseOld, dropShadow, redraw);
}

int32_t CImElement::LoadImageByName(CResourceEnv* environment, const char* name, bool shared, bool copied,
                                    bool releaseOld, bool dropShadow, bool redraw) {
  SSpoolKey key;
  key.SetByName(kImageType, name, true);
  return LoadImage(environment, key, shared, copied, releaseOld, dropShadow, redraw);
}

int32_t CImElement::MakeBlankImage() {
  const SRect& rect = GetRect();
  int32_t err = kNoErr;
  CImage* blank = NewDataImage(uint32_t(std::max(RectWidth(rect), 0)), uint32_t(std::max(RectHeight(rect), 0)), &err);
  if (!blank) return err == kErrOutOfMemory ? kErrOutOfMemory : kErrFailedCreation;
  if (!fTranslucent && !blank->Fill(kOpaqueBlack)) {
    err = NonZeroError(blank->GetError());
    delete blank;
    return err;
  }
  err = SetImage(blank, false, true, true, true);
  if (fPicture != blank) {
    delete blank;
    return NonZeroError(err);
  }
  fTookPicture = 1;
  return err;
}

// ---- the image list

int32_t CImElement::SelectEntry(uint32_t index, bool releaseOld, bool dropShadow, bool redraw) {
  if (!fImageList) return kErrUnexpectedStatus;
  if (const int32_t err = fImageList->Select(index)) return err;
  bool fromFile = false, fromResource = false;
  fImageList->CurrentFlags(&fromFile, &fromResource);
  return SetImage(fImageList->CurrentImage(), fromFile, releaseOld, dropShadow, redraw);
}

int32_t CImElement::SetImageList(CIxImage* list, bool freeOld) {
  if (list == fImageList) return kNoErr;
  int32_t err = kNoErr;
  if (freeOld && fImageList) {
    // The list's picture goes with it.
    if (fListPicture && ListHolds(fPicture)) err = RedrawAround(true, true, [this] {
      FreeShadowMask();
      ForgetImage();
    });
    delete fImageList;
  }
  fImageList = list;
  return err;
}

int32_t CImElement::TakeImageList(CIxImage* list, bool freeOld) {
  if (!list) return kErrOutOfMemory;
  if (const int32_t err = list->GetResult()) {
    delete list;
    return err;
  }
  return SetImageList(list, freeOld);
}

int32_t CImElement::SetImageListByNumber(CResourceEnv* environment, uint32_t number, uint32_t entry, bool freeOld) {
  return TakeImageList(new CIxImage(environment, number, entry), freeOld);
}

int32_t CImElement::SetImageListByName(CResourceEnv* environment, const char* name, uint32_t entry, bool freeOld) {
  return TakeImageList(new CIxImage(environment, name, entry), freeOld);
}

// ---- settings

int32_t CImElement::SetImagePosition(SPointHV point, bool redraw) {
  if (point == fPicturePosition) return kNoErr;
  if (!fPicture) {
    fPicturePosition = point;
    return kNoErr;
  }
  return RedrawAround(redraw, true, [&] {
    if (fPictureShadowOn && fPictureShadowMask) {
      fPictureShadowMask->SetOrigin(fPictureShadowMask->GetOriginH() + point.h - fPicturePosition.h,
                                    fPictureShadowMask->GetOriginV() + point.v - fPicturePosition.v);
    }
    fPicturePosition = point;
  });
}

int32_t CImElement::SetImageLayer(uint32_t layer, bool redraw) {
  if (layer == fPictureLayer) return kNoErr;
  return RedrawAround(redraw, false, [&] { fPictureLayer = layer; });
}

int32_t CImElement::SetShadow(const SSoftShadow& shadow, bool redraw) {
  SSoftShadow& s = fPictureShadow;
  if (shadow.dx == s.dx && shadow.dy == s.dy && shadow.radius == s.radius && shadow.opacity == s.opacity)
    return kNoErr;
  return RedrawAround(redraw && fPictureShadowOn, true, [&] {
    s.dx = shadow.dx;
    s.dy = shadow.dy;
    s.radius = shadow.radius;
    s.opacity = shadow.opacity;
    FreeShadowMask();
  });
}

int32_t CImElement::SetTranslucent(bool translucent, bool redraw) {
  if (translucent == bool(fTranslucent)) return kNoErr;
  return RedrawAround(redraw, true, [&] { fTranslucent = translucent ? 1 : 0; });
}

int32_t CImElement::SetOpacity(float opacity, bool redraw) {
  opacity = LimitOpacity(opacity);
  if (opacity == fPictureOpacity) return kNoErr;
  return RedrawAround(redraw, true, [&] { fPictureOpacity = opacity; });
}

int32_t CImElement::FitToImage(bool withShadowOutsets, bool unite, bool redraw, SPointHV marginTopLeft,
                               SPointHV marginBottomRight) {
  if (!fPicture) return kNoErr;
  SRect area;
  if (const int32_t err = GetUpdateArea(&area, !fShadowInOutsets, kUnlimited)) return err;
  if (const int32_t err = FitRectToArea(area, unite, redraw, marginTopLeft, marginBottomRight)) return err;
  if (!withShadowOutsets) return kNoErr;
  SRect shadowed;
  if (const int32_t err = GetUpdateArea(&shadowed, true, kUnlimited)) return err;
  return SetOutsetsToHold(shadowed, redraw);
}

int32_t CImElement::FitRectToArea(SRect area, bool unite, bool redraw, SPointHV marginTopLeft,
                                  SPointHV marginBottomRight) {
  SRect rect;
  GetLocalRect(&rect);
  if (unite && !IsEmptyRect(rect)) area = UniteRects(area, rect);
  area = {area.top + marginTopLeft.v, area.left + marginTopLeft.h, area.bottom + marginBottomRight.v,
          area.right + marginBottomRight.h};
  // Both from the area as it lies now: the rect and the hot spot move together.
  SRect inParent;
  LocalToParentRect(&inParent, area);
  SPointHV hotSpot;
  GetHotSpotOf(&hotSpot, area);
  if (const int32_t err = SetRect(inParent, redraw)) return err;
  return SetOrigin(hotSpot, redraw);
}

int32_t CImElement::SetOutsetsToHold(const SRect& shadowed, bool redraw) {
  SRect rect;
  GetLocalRect(&rect);
  return SetOutsets({shadowed.left - rect.left, shadowed.top - rect.top},
                    {shadowed.right - rect.right, shadowed.bottom - rect.bottom}, redraw);
}

void CImElement::WorkingImageSpec(SGridLayout* grid, SSpoolTableSpec* spec, const SSpoolKey* key) {
  CAppl* app = GetApplication();
  MakeImageGridSpec(*grid, app ? app->GetDataEnv() : nullptr, 0, 0);
  spec->SetDefaults(false, key, &ImageRecordTypeHandler);
}

// ---- drawing

int32_t CImElement::RebuildShadow() {
  FreeShadowMask();
  if (!fPicture || !fPictureShadowOn) return kNoErr;
  fPictureShadow.mode = kShadowMask;
  fPictureShadow.keepUnder = fTranslucent || fPictureOpacity < 1.0f ? 1 : 0;
  fPictureShadow.clip = SRect{};
  fPictureShadow.fadeAtClip = 0;
  SGridLayout grid;
  SSpoolTableSpec spec;
  WorkingImageSpec(&grid, &spec, nullptr);
  CSgStSaver placed(fPicture, fPicturePosition.h, fPicturePosition.v, true);
  fPictureShadowMask = MakeSoftShadow(fPicture, grid, spec, fPictureShadow);
  return fPictureShadowMask ? kNoErr : kErrFailedCreation;
}

int32_t CImElement::DrawOwn(uint32_t pass, CImage* target) {
  if (!fPicture || (pass != fPictureShadowLayer && pass != fPictureLayer)) return kNoErr;
  const int32_t factor = OpacityFactor(fPictureOpacity);
  if (pass == fPictureShadowLayer && fPictureShadowOn) {
    SRect area;
    if (fShadowInOutsets) GetLocalBounds(&area);
    else GetLocalRect(&area);
    area = SectRect(area, target->GetPlacedBounds());
    if (!IsEmptyRect(area)) {
      CSgAcSaver saved(target, area);
      const bool current = fPictureShadowMask && fPictureShadow.keepUnder == WantedKeepUnder();
      if (!current) {
        if (const int32_t err = RebuildShadow()) return err;
      }
      if (fPictureShadowMask && !target->DarkenByMaskScaled(factor, fPictureShadowMask))
        return NonZeroError(target->GetError());
    }
  }
  if (pass != fPictureLayer) return kNoErr;
  SRect area;
  GetLocalRect(&area);
  area = SectRect(area, target->GetPlacedBounds());
  if (IsEmptyRect(area)) return kNoErr;
  CSgAcSaver saved(target, area);
  CSgStSaver placed(fPicture, fPicturePosition.h, fPicturePosition.v, true);
  // A translucent picture goes over the port by its own alpha; an opaque one is mixed in whole.
  const bool drawn =
      fTranslucent ? target->CompositeScaledFrom(factor, fPicture) : target->BlendFrom(factor, fPicture);
  return drawn ? kNoErr : NonZeroError(target->GetError());
}

int32_t CImElement::Draw(uint32_t pass, CImage* port, bool withChildren) {
  if (const int32_t err = CCoElement::Draw(pass, port, false)) return err;
  if (const int32_t err = DrawOwn(pass, port)) return err;
  return withChildren ? DrawChildren(pass, port) : kNoErr;
}

bool CImElement::GetCoverRect(SRect* out) {
  if (!CCoElement::GetCoverRect(out)) return false;
  SRect rect;
  GetLocalRect(&rect);
  if (IsShown() && fPicture && !fTranslucent && fPictureOpacity >= 1.0f && !(*out == rect))
    GetUpdateArea(out, false, kToRect);
  return true;
}

// ---- the record

// What ReadRecord takes from the "imel" record.
struct CImElement::SRecord {
  uint32_t imageNumber = 0;
  char imageName[kRecordTextBytes] = {};
  uint32_t listNumber = 0;
  char listName[kRecordTextBytes] = {};
  uint32_t listEntry = 0;
  SPointHV position;
  uint32_t imageLayer = 0;
  SSoftShadow shadow;
  uint32_t shadowLayer = 0;
  float opacity = 0.0f;
  uint32_t flags = 0;

  void Read(const uint8_t* data) {
    imageNumber = RecordWordAt(data, kRecordImageNumber);
    RecordTextAt(data, kRecordImageName, imageName, sizeof imageName);
    listNumber = RecordWordAt(data, kRecordListNumber);
    RecordTextAt(data, kRecordListName, listName, sizeof listName);
    listEntry = RecordWordAt(data, kRecordListEntry);
    position = {RecordSignedAt(data, kRecordPosition), RecordSignedAt(data, kRecordPosition + 4)};
    imageLayer = RecordWordAt(data, kRecordImageLayer);
    RecordShadowAt(data, kRecordShadow, &shadow);
    shadowLayer = RecordWordAt(data, kRecordShadowLayer);
    opacity = RecordFloatAt(data, kRecordOpacity);
    flags = RecordWordAt(data, kRecordFlags);
  }
};

int32_t CImElement::ReadRecord(CResourceEnv* environment, uint32_t number, const char* name) {
  if (const int32_t err = CCoElement::ReadRecord(environment, number, name)) return err;
  return ApplyOptionalRecord<SRecord>(environment, kTag, number, name, &ImelRecordHandler, kRecordBytes,
                                      [&](const SRecord& record) { return ApplyRecord(environment, record); });
}

int32_t CImElement::ApplyRecord(CResourceEnv* environment, const SRecord& record) {
  const uint32_t flags = record.flags;
  SetImagePosition(record.position, true);
  SetImageLayer(record.imageLayer, true);
  const uint8_t shadowOn = flags & kShadowOn ? 1 : 0;
  if (shadowOn != fPictureShadowOn) FreeShadowMask();
  fPictureShadowOn = shadowOn;
  fShadowInOutsets = flags & kShadowInOutsets ? 1 : 0;
  SetShadow(record.shadow, true);
  fPictureShadowLayer = record.shadowLayer;
  SetTranslucent(flags & kTranslucent, true);
  fOwnsPicture = flags & kOwnsImage ? 1 : 0;
  SetOpacity(record.opacity, true);

  uint32_t ownNumber = 0;
  GetRecordNumber(&ownNumber);
  if (flags & kLoadImage) {
    const bool own = flags & kImageOwnKey, shared = flags & kImageShared, copied = flags & kImageCopied;
    const int32_t err =
        flags & kImageByName
            ? LoadImageByName(environment, own ? GetRecordName() : record.imageName, shared, copied, true, true, true)
            : LoadImageByNumber(environment, own ? ownNumber : record.imageNumber, shared, copied, true, true, true);
    if (err) return err;
  }
  if (flags & kTakeList) {
    const bool own = flags & kListOwnKey;
    const int32_t err =
        flags & kListByName
            ? SetImageListByName(environment, own ? GetRecordName() : record.listName, record.listEntry, true)
            : SetImageListByNumber(environment, own ? ownNumber : record.listNumber, record.listEntry, true);
    if (err) return err;
  }
  if (flags & kShowListEntry) {
    if (!fImageList) return kErrUnexpectedStatus;
    bool fromFile = false, fromResource = false;
    fImageList->CurrentFlags(&fromFile, &fromResource);
    if (const int32_t err = SetImage(fImageList->CurrentImage(), fromFile, true, true, true)) return err;
  }
  if ((flags & kBlankImage) && !fPicture) {
    if (const int32_t err = MakeBlankImage()) return err;
  }
  if (flags & kFitToImage) return FitToImage(flags & kFitShadowOutsets, true, true, {}, {});
  return kNoErr;
}

// ---- creation

int32_t CImElement::CreateByNumber(CImElement** element, CResourceEnv* environment, uint32_t number) {
  return NewLoadedElement<CImElement>(element, environment, number, nullptr, &CImElement::ReadRecord);
}

int32_t CImElement::CreateByName(CImElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CImElement>(element, environment, 0, name, &CImElement::ReadRecord);
}

int32_t CImElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CImElement>(request, &CImElement::CreateByNumber, &CImElement::CreateByName);
}

bool CImElement::RegisterType() { return RegisterElementFactory(kTag, &CImElement::CreateFromResource); }
bool CImElement::UnregisterType() { return UnregisterElementFactory(kTag); }
