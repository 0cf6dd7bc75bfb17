#include "framework/ui/im_canvas.h"

#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/im_element.h"
#include "framework/ui/layout_record.h"

namespace {

constexpr char kTagAndVersion[] = "imca0100";
constexpr SWordRange kNumbers[] = {{CImCanvas::kRecordImageId, CImCanvas::kRecordImageName},
                                   {CImCanvas::kRecordOffset, CImCanvas::kImageRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CImCanvas::kImageRecordBytes, kNumbers, 2};

// What LoadFromResource takes from the "imca" record.
struct SImageRecord {
  uint32_t id = 0;
  char name[SSpoolKey::kNameChars + 1] = {};
  SPointHV offset;
  uint32_t flags = 0;
  uint32_t foundId = 0;  // the number the record was found under
};

}  // namespace

uint32_t CImCanvas::HandleImageRecord(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleLayoutRecord(object, message, argument, kForm);
}

CImCanvas::CImCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority)
    : CCanvas(frame, visible, style, color, priority) {}

CImCanvas::~CImCanvas() {
  if (fOwnsImage) ReleaseImage(true);
  fImage = nullptr;
}

// ---- the picture

void CImCanvas::ReleaseImage(bool release) {
  if (!fImage) return;
  if (release) {
    // A shared picture that cannot go back to the cache is left to its environment.
    if (fSharedImage) CImElement::ReleaseSharedImage(&fImage);
    else delete fImage;
  }
  fImage = nullptr;
  fSharedImage = 0;
}

int32_t CImCanvas::SetImage(CResourceEnv* environment, const SSpoolKey& key, bool shared, bool copied,
                            bool releaseOld, bool redrawNow) {
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* picture = nullptr;
  if (const int32_t err = LoadImageRecord(&picture, grid, spec, shared, copied)) return err;
  if (picture == fImage) {
    // The cache handed out the current picture and counted one more use of it, which is not wanted.
    CImElement::ReleaseSharedImage(&picture);
    return kNoErr;
  }
  ReleaseImage(releaseOld);
  fImage = picture;
  fSharedImage = shared ? 1 : 0;
  if (redrawNow) return Redraw(nullptr) ? kNoErr : kErrGeneric;
  Invalidate(nullptr);
  return kNoErr;
}

int32_t CImCanvas::SetImageById(CResourceEnv* environment, uint32_t id, bool shared, bool copied, bool releaseOld,
                                bool redrawNow) {
  SSpoolKey key;
  key.Set(kImageType, id, true);
  return SetImage(environment, key, shared, copied, releaseOld, redrawNow);
}

int32_t CImCanvas::SetImageByName(CResourceEnv* environment, const char* name, bool shared, bool copied,
                                  bool releaseOld, bool redrawNow) {
  SSpoolKey key;
  key.SetByName(kImageType, name, true);
  return SetImage(environment, key, shared, copied, releaseOld, redrawNow);
}

SRect CImCanvas::PlacedImageRect(SPointHV offset) const {
  return OffsetRect(fImage->GetBounds(), fImage->GetOriginH() + offset.h, fImage->GetOriginV() + offset.v);
}

int32_t CImCanvas::SetImageOffset(SPointHV point, bool redraw) {
  if (!fImage) {
    fOffset = point;
    return kNoErr;
  }
  const SRect before = PlacedImageRect(fOffset), after = PlacedImageRect(point);
  fOffset = point;
  bool drawn = true;
  auto update = [&](const SRect& area) {
    if (redraw) drawn = Redraw(&area) && drawn;
    else Invalidate(&area);
  };
  if (RectsOverlap(before, after)) {
    update(RectUnion(before, after));
  } else {
    update(before);
    update(after);
  }
  return drawn ? kNoErr : kErrGeneric;
}

// ---- drawing

bool CImCanvas::Redraw(const SRect* rect) {
  if (!fImage) return FillRect(rect);
  CSgStSaver placed(fImage, fOffset.h, fOffset.v, true);
  const SRect area = rect ? SectRect(fBounds, *rect) : fBounds;
  const SRect covered = SectRect(area, fImage->GetPlacedBounds());
  if (!IsEmptyRect(covered) && !fImage->Draw(fDeviceContext, OffsetRect(covered, -fOffset.h, -fOffset.v), covered))
    return false;
  SRect pieces[4];
  const uint32_t count = RectDifference(area, covered, pieces);
  for (uint32_t i = 0; i < count; ++i) FillRect(&pieces[i]);
  return true;
}

int32_t CImCanvas::DrawInto(CImage* target) {
  CSgStSaver placed(fImage, fOffset.h, fOffset.v, true);
  const uint32_t color = GetColor().value;
  const SRect area = target->GetPlacedBounds();
  const SRect covered = fImage ? SectRect(area, fImage->GetPlacedBounds()) : SRect{};
  if (IsEmptyRect(covered)) return target->Fill(color) ? kNoErr : NonZeroError(target->GetError());
  if (!target->CopyFrom(fImage)) return NonZeroError(target->GetError());
  const SRect clip = target->GetClip();
  SRect pieces[4];
  const uint32_t count = RectDifference(area, covered, pieces);
  int32_t err = kNoErr;
  for (uint32_t i = 0; i < count && !err; ++i) {
    target->SetClip(OffsetRect(pieces[i], -target->GetOriginH(), -target->GetOriginV()));
    if (!target->Fill(color)) err = NonZeroError(target->GetError());
  }
  target->SetClip(clip);
  return err;
}

// ---- the layout records

int32_t CImCanvas::LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name) {
  if (const int32_t err = CCanvas::LoadFromResource(environment, id, name)) return err;
  SImageRecord record;
  const int32_t err = ReadLayoutRecord(environment, kImageRecordType, id, name, &CImCanvas::HandleImageRecord,
                                       kImageRecordBytes, [&record](const uint8_t* data, const SSpoolKey& key) {
                                         record.id = RecordWordAt(data, kRecordImageId);
                                         RecordTextAt(data, kRecordImageName, record.name, sizeof record.name);
                                         record.offset = {RecordSignedAt(data, kRecordOffset),
                                                          RecordSignedAt(data, kRecordOffset + 4)};
                                         record.flags = RecordWordAt(data, kRecordImageFlags);
                                         record.foundId = key.id;
                                         return kNoErr;
                                       });
  if (err == kErrObjectNotFound) return kNoErr;
  if (err) return err;
  SetImageOffset(record.offset, true);
  const uint32_t flags = record.flags;
  fOwnsImage = flags & kOwnsImage ? 1 : 0;
  if (!(flags & kHasImage)) return kNoErr;
  const bool byName = flags & kImageByName, shared = flags & kImageShared, copied = flags & kImageCopied;
  if (flags & kImageOwnKey) {
    // The key the records were found under holds a name only when they were found by name.
    if (byName != (name != nullptr)) return kErrInvalidParameter;
    return byName ? SetImageByName(environment, name, shared, copied, true, true)
                  : SetImageById(environment, record.foundId, shared, copied, true, true);
  }
  return byName ? SetImageByName(environment, record.name, shared, copied, true, true)
                : SetImageById(environment, record.id, shared, copied, true, true);
}
