#include "framework/ui/element.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/core/cm_file.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_grid.h"
#include "framework/image/image.h"

namespace {

uint32_t gLastObjectId = 0;

bool IsValidImage(const CImage* image) { return image->IsValid(); }
bool IsOpenEnvironment(const CResourceEnv* env) { return env->IsOpen(); }

// The file's folder with the last component of name in it.
std::string PathBeside(const char* environmentPath, const char* name) {
  const std::string file = name;
  const size_t cut = file.find_last_of("/\\");
  const std::string leaf = cut == std::string::npos ? file : file.substr(cut + 1);
  const std::string folder = environmentPath;
  const size_t slash = folder.find_last_of('/');
  return slash == std::string::npos ? leaf : folder.substr(0, slash + 1) + leaf;
}

}  // namespace

// ---- CExObject

CExObject::CExObject(const SExNames& names) : fId(++gLastObjectId), fNames(names) {
  for (char* field : {fNames.name, fNames.windowName, fNames.canvasName}) field[SExNames::kNameBytes - 1] = 0;
}

CExObject::~CExObject() { fAlive = 0; }

uint32_t CExObject::GetUserWord(uint32_t index) const { return index < kUserWords ? fUserWords[index] : 0; }

uint32_t CExObject::SetUserWord(uint32_t index, uint32_t value) {
  if (index >= kUserWords) return 0;
  const uint32_t previous = fUserWords[index];
  fUserWords[index] = value;
  return previous;
}

int32_t CExObject::SetOwner(CExSystem* owner) {
  fOwner = owner;
  return kNoErr;
}

int32_t CExObject::ClearOwner(CExSystem* owner) {
  if (fOwner == owner) fOwner = nullptr;
  return kNoErr;
}

void CExObject::SetNameField(char* field, const char* text) {
  std::memset(field, 0, SExNames::kNameBytes);
  if (text) std::strncpy(field, text, SExNames::kNameBytes - 1);
}

void CExObject::MakeNames(SExNames& names, const char* name, const char* windowName, const char* canvasName) {
  SetNameField(names.name, name);
  SetNameField(names.windowName, windowName);
  SetNameField(names.canvasName, canvasName);
}

// ---- CElement: life

CElement::CElement(const SElementDesc& desc)
    : CExObject(desc.names),
      fRect(desc.rect),
      fShown(desc.shown ? 1 : 0),
      fAlternate(desc.alternate ? 1 : 0),
      fUsesRenderImage(desc.usesRenderImage ? 1 : 0) {}

CElement::~CElement() {
  if (!IsAlive()) return;
  if (IsValid() && IsShown()) {
    fShown = 0;
    Redraw();
  }
  delete fChildren;
  fChildren = nullptr;
  delete fResourceFile;
  fResourceFile = nullptr;
  FreeRenderImage();
  EndLife();
}

void CElement::MakeDescription(SElementDesc& desc, const SRect& rect, bool shown, bool alternate,
                               bool usesRenderImage, const char* name, const char* windowName,
                               const char* canvasName) {
  MakeNames(desc.names, name, windowName, canvasName);
  desc.rect = rect;
  desc.shown = shown ? 1 : 0;
  desc.alternate = alternate ? 1 : 0;
  desc.usesRenderImage = usesRenderImage ? 1 : 0;
}

bool CElement::IsValid() const {
  return IsAlive() && (!fRenderImage || IsValidImage(fRenderImage)) &&
         (!fSourceEnvironment || IsOpenEnvironment(fSourceEnvironment)) && (!fChildren || fChildren->IsValid()) &&
         (!fResourceFile || IsOpenEnvironment(fResourceFile));
}

void CElement::SetSource(CResourceEnv* environment, uint32_t recordNumber) {
  fSourceEnvironment = environment;
  fRecordNumber = recordNumber;
}

int32_t CElement::GetRecordNumber(uint32_t* out) const {
  *out = fRecordNumber;
  return fSourceEnvironment ? kNoErr : kErrUnexpectedStatus;
}

int32_t CElement::GetSourceEnvironment(CResourceEnv** out) const {
  *out = fSourceEnvironment;
  return fSourceEnvironment ? kNoErr : kErrUnexpectedStatus;
}

int32_t CElement::OpenResourceFile(CResourceEnv* environment, const char* fileName) {
  if (!environment || !environment->GetCmFile() || !fileName) return kErrInvalidParameter;
  CFileSpec spec;
  if (const int32_t err = spec.Set(PathBeside(environment->GetCmFile()->GetSpec().GetPath(), fileName).c_str()))
    return err;
  auto* opened = new CResourceEnv(spec, CFile::kModeRead);
  if (!opened) return kErrOutOfMemory;
  if (!opened->IsOpen()) {
    const int32_t err = NonZeroError(opened->GetLastResult());
    delete opened;
    return err;
  }
  delete fResourceFile;
  fResourceFile = opened;
  return kNoErr;
}

// ---- layout

void CElement::ComputeLayout(SRect* out, const SRect& wanted, const SRect& area) {
  const uint32_t f = fLayoutFlags;
  const int32_t pw = RectWidth(area), ph = RectHeight(area);
  SRect r = wanted;
  if (f & kLayoutSizeH) r.right = r.left + ScaleLength(fSizeProportions.h, pw);
  if (f & kLayoutSizeV) r.bottom = r.top + ScaleLength(fSizeProportions.v, ph);
  if (f & kLayoutPositionH) r = WithLeft(r, area.left + ScaleLength(fPositionProportions.h, pw));
  if (f & kLayoutPositionV) r = WithTop(r, area.top + ScaleLength(fPositionProportions.v, ph));
  if (f & kLayoutAnchorH) {
    const int32_t at = area.left + ScaleLength(fPositionProportions.h, pw);
    r = WithLeft(r, at - ScaleLength(fPositionProportions.h, RectWidth(r)));
  }
  if (f & kLayoutAnchorV) {
    const int32_t at = area.top + ScaleLength(fPositionProportions.v, ph);
    r = WithTop(r, at - ScaleLength(fPositionProportions.v, RectHeight(r)));
  }
  r = AlignToArea(r, f, area);
  if (f & kLayoutKeepPointH) {
    const int32_t point = fRect.left + ScaleLength(fPositionProportions.h, RectWidth(fRect));
    r = WithLeft(r, point - ScaleLength(fPositionProportions.h, RectWidth(r)));
  }
  if (f & kLayoutKeepPointV) {
    const int32_t point = fRect.top + ScaleLength(fPositionProportions.v, RectHeight(fRect));
    r = WithTop(r, point - ScaleLength(fPositionProportions.v, RectHeight(r)));
  }
  *out = r;
}

void CElement::ConstrainRect(SRect* out, const SRect& wanted) {
  if (fParent) {
    SRect area;
    fParent->GetLocalRect(&area);
    ComputeLayout(out, wanted, area);
  } else if (fLayoutFlags & (kLayoutKeepPointH | kLayoutKeepPointV)) {
    ComputeLayout(out, wanted, wanted);
  } else {
    *out = wanted;
  }
}

template <typename F>
int32_t CElement::WalkChildren(F fn) {
  if (!fChildren || fChildren->GetCount() == 0) return kNoErr;
  CHolder holder(fChildren, false, false);
  if (!holder.IsLocked()) return NonZeroError(fChildren->GetError());
  CBusyWalk walk(fChildren);
  for (uint32_t i = 0; i < fChildren->GetCount(); ++i) {
    if (const int32_t err = fn((*fChildren)[i].element)) return err;
  }
  return kNoErr;
}

int32_t CElement::LayoutChildren(bool redraw) {
  return WalkChildren([redraw](CElement* child) { return child->Relayout(redraw); });
}

void CElement::GetHotSpotOf(SPointHV* out, const SRect& rect) {
  *out = {rect.left + ScaleLength(fHotSpotProportions.h, RectWidth(rect)),
          rect.top + ScaleLength(fHotSpotProportions.v, RectHeight(rect))};
}

void CElement::GetHotSpot(SPointHV* out) { GetHotSpotOf(out, fRect); }

int32_t CElement::WillChangeRect(const SRect&) { return kNoErr; }

int32_t CElement::WillChangeOutsets(SPointHV, SPointHV) { return kNoErr; }

int32_t CElement::SetRect(const SRect& wanted, bool redraw) {
  SRect rect;
  ConstrainRect(&rect, wanted);
  if (rect == fRect) return kNoErr;
  const bool resized = RectWidth(rect) != RectWidth(fRect) || RectHeight(rect) != RectHeight(fRect);
  SRect oldBounds, newBounds;
  GetBounds(&oldBounds);
  newBounds = {rect.top + fTopLeftOutset.v, rect.left + fTopLeftOutset.h, rect.bottom + fBottomRightOutset.v,
               rect.right + fBottomRightOutset.h};
  if (const int32_t err = WillChangeRect(rect)) return err;
  fRect = rect;
  int32_t result = resized ? LayoutChildren(false) : kNoErr;
  if (result || !redraw || !IsShown()) return result;
  if (RectsOverlap(oldBounds, newBounds)) return InvalidateInParent(UniteRects(oldBounds, newBounds));
  result = InvalidateInParent(oldBounds);
  return result ? result : InvalidateInParent(newBounds);
}

int32_t CElement::MoveTo(SPointHV topLeft, bool redraw) {
  return SetRect(OffsetRect(fRect, topLeft.h - fRect.left, topLeft.v - fRect.top), redraw);
}

int32_t CElement::Relayout(bool redraw) { return SetRect(fRect, redraw); }

int32_t CElement::SetRectUnder(uint32_t flags, const SRect& wanted, bool redraw) {
  const uint32_t kept = fLayoutFlags;
  fLayoutFlags = flags;
  const int32_t result = SetRect(wanted, redraw);
  fLayoutFlags = kept;
  return result;
}

int32_t CElement::SetRectFree(const SRect& wanted, bool redraw) {
  return SetRectUnder(fLayoutFlags & ~(kLayoutKeepPointH | kLayoutKeepPointV), wanted, redraw);
}

int32_t CElement::MoveToFree(SPointHV topLeft, bool redraw) {
  return SetRectFree(OffsetRect(fRect, topLeft.h - fRect.left, topLeft.v - fRect.top), redraw);
}

int32_t CElement::RelayoutFree(bool redraw) { return SetRectFree(fRect, redraw); }

int32_t CElement::SetRectWithFlags(uint32_t flags, const SRect& wanted, bool redraw) {
  return SetRectUnder(flags, wanted, redraw);
}

int32_t CElement::MoveToWithFlags(uint32_t flags, SPointHV topLeft, bool redraw) {
  return SetRectUnder(flags, OffsetRect(fRect, topLeft.h - fRect.left, topLeft.v - fRect.top), redraw);
}

int32_t CElement::RelayoutWithFlags(uint32_t flags, bool redraw) { return SetRectUnder(flags, fRect, redraw); }

void CElement::GetBounds(SRect* out) {
  *out = {fRect.top + fTopLeftOutset.v, fRect.left + fTopLeftOutset.h, fRect.bottom + fBottomRightOutset.v,
          fRect.right + fBottomRightOutset.h};
}

int32_t CElement::SetOutsets(SPointHV topLeft, SPointHV bottomRight, bool redraw) {
  topLeft = {std::min(topLeft.h, 0), std::min(topLeft.v, 0)};
  bottomRight = {std::max(bottomRight.h, 0), std::max(bottomRight.v, 0)};
  if (topLeft == fTopLeftOutset && bottomRight == fBottomRightOutset) return kNoErr;
  if (const int32_t err = WillChangeOutsets(topLeft, bottomRight)) return err;
  SRect oldBounds, newBounds;
  GetBounds(&oldBounds);
  fTopLeftOutset = topLeft;
  fBottomRightOutset = bottomRight;
  GetBounds(&newBounds);
  return redraw && IsShown() ? InvalidateInParent(UniteRects(oldBounds, newBounds)) : kNoErr;
}

// ---- callbacks

int32_t CElement::RunPressCallback(CElement** handled, SPointHV point, SWinEvent* event) {
  if (fPressCallback) return fPressCallback(this, handled, point, event);
  if (fClaimsPresses) *handled = this;
  return kNoErr;
}

int32_t CElement::RunCharCallback(CElement** handled, SWinEvent* event) {
  if (fCharCallback) return fCharCallback(this, handled, event);
  if (fClaimsCharacters) *handled = this;
  return kNoErr;
}

int32_t CElement::RunDeactivateCallback(SWinEvent* event) {
  return fDeactivateCallback ? fDeactivateCallback(this, event) : kNoErr;
}

int32_t CElement::RunActivateCallback(SWinEvent* event) {
  return fActivateCallback ? fActivateCallback(this, event) : kNoErr;
}

int32_t CElement::RunHoverCallback(SPointHV point) { return fHoverCallback ? fHoverCallback(this, point) : kNoErr; }

int32_t CElement::RunMessageCallback(CElement** handled, SPointHV point, CUIMessage* message) {
  if (fMessageCallback) return fMessageCallback(this, handled, point, message);
  if (fClaimsMessages) *handled = this;
  return kNoErr;
}

int32_t CElement::RunDrawCallback(uint32_t pass, CImage* port) {
  return fDrawCallback ? fDrawCallback(this, pass, port) : kNoErr;
}

// ---- children

CElSystem* CElement::GetChildren() const { return fChildren && fChildren->GetCount() > 0 ? fChildren : nullptr; }

int32_t CElement::AddChild(CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                           const SDynTableLayout& container) {
  if (!child) return kErrInvalidParameter;
  if (!fChildren) {
    fChildren = new CElSystem(container, this);
    if (!fChildren) return kErrOutOfMemory;
    if (!fChildren->IsValid()) {
      delete fChildren;
      fChildren = nullptr;
      return kErrFailedCreation;
    }
  }
  return fChildren->AddEntry(child, classData, orderKey, extra);
}

int32_t CElement::DeleteChildren() {
  if (fChildren && fChildren->GetBusyCount()) return kErrUnexpectedStatus;
  delete fChildren;
  fChildren = nullptr;
  return kNoErr;
}

int32_t CElement::FitToChildren(bool useBounds, bool onlyShown, bool setOutsets, bool includeOwnRect, bool redraw,
                                SPointHV marginTopLeft, SPointHV marginBottomRight) {
  if (!GetChildren()) return kNoErr;
  SRect start;
  GetLocalRect(&start);
  const bool fromOwn = includeOwnRect && !IsEmptyRect(start);
  SRect rects = fromOwn ? start : SRect{};
  SRect bounds = rects;
  bool haveRects = fromOwn, haveBounds = fromOwn;
  const bool uniteBounds = setOutsets && !useBounds;
  auto unite = [](SRect* into, bool* have, const SRect& r) {
    *into = *have ? UniteRects(*into, r) : r;
    *have = true;
  };
  const int32_t walked = WalkChildren([&](CElement* child) {
    if (onlyShown && !child->IsShown()) return kNoErr;
    SRect area;
    if (useBounds) child->GetBounds(&area);
    else area = child->GetRect();
    if (IsEmptyRect(area)) return kNoErr;
    unite(&rects, &haveRects, area);
    if (uniteBounds) {
      SRect childBounds;
      child->GetBounds(&childBounds);
      unite(&bounds, &haveBounds, childBounds);
    }
    return kNoErr;
  });
  if (walked) return walked;
  if (!(marginTopLeft == SPointHV{}) || !(marginBottomRight == SPointHV{})) {
    rects = {rects.top + marginTopLeft.v, rects.left + marginTopLeft.h, rects.bottom + marginBottomRight.v,
             rects.right + marginBottomRight.h};
  }
  if (uniteBounds) {
    const int32_t err = SetOutsets({bounds.left - rects.left, bounds.top - rects.top},
                                   {bounds.right - rects.right, bounds.bottom - rects.bottom}, redraw);
    if (err) return err;
  }
  SPointHV hotSpot;
  GetHotSpotOf(&hotSpot, rects);
  SRect inParent;
  LocalToParentRect(&inParent, rects);
  const int32_t result = SetRect(inParent, redraw);
  SetOrigin(hotSpot, redraw);
  return result;
}

// ---- render image

int32_t CElement::RenderImage() {
  if (!fUsesRenderImage) return FreeRenderImage();
  SRect area;
  GetBounds(&area);
  if (fParent && fImageFollowsParent) fParent->ClipToRects(&area, area, nullptr);
  const bool empty = IsEmptyRect(area);
  if (fRenderImage && !empty && fRenderImage->GetHeight() == uint32_t(RectHeight(area)) &&
      fRenderImage->GetWidth() == uint32_t(RectWidth(area)))
    return kNoErr;
  FreeRenderImage();
  if (empty) return kNoErr;
  int32_t error = kNoErr;
  fRenderImage = NewDataImage(uint32_t(RectWidth(area)), uint32_t(RectHeight(area)), &error);
  if (!fRenderImage) return error == kErrOutOfMemory ? kErrOutOfMemory : kErrFailedCreation;
  SPointHV origin;
  ParentToLocalPoint(&origin, {area.left, area.top});
  fRenderImage->SetOrigin(origin.h, origin.v);
  fRenderImage->SetClip(fRenderImage->GetBounds());
  return kNoErr;
}

int32_t CElement::UseRenderImage(bool redraw) {
  if (fUsesRenderImage) return kNoErr;
  fUsesRenderImage = 1;
  return RedrawIfShown(redraw);
}

int32_t CElement::DropRenderImage(bool redraw) {
  if (!fUsesRenderImage) return kNoErr;
  fUsesRenderImage = 0;
  FreeRenderImage();
  return RedrawIfShown(redraw);
}

int32_t CElement::SetImageFollowsParent(bool follows, bool redraw) {
  if (bool(fImageFollowsParent) == follows) return kNoErr;
  fImageFollowsParent = follows ? 1 : 0;
  FreeRenderImage();
  return RedrawIfShown(redraw);
}

int32_t CElement::GetRenderImage(CImage** out) {
  const int32_t result = RenderImage();
  *out = fRenderImage;
  return result;
}

int32_t CElement::FreeRenderImage() {
  delete fRenderImage;
  fRenderImage = nullptr;
  return kNoErr;
}

bool CElement::GetCoverRect(SRect* out) {
  *out = SRect{};
  return true;
}

// ---- state

int32_t CElement::SetParent(CElement* parent, bool redraw) {
  if (parent == fParent) return kNoErr;
  const uint8_t wasShown = fShown;
  fShown = 0;
  if (redraw && wasShown) {
    if (const int32_t err = Redraw()) {
      fShown = wasShown;
      return err;
    }
  }
  fParent = parent;
  Relayout(false);
  fShown = wasShown;
  return RedrawIfShown(redraw);
}

int32_t CElement::SetOrigin(SPointHV origin, bool redraw) {
  if (origin == fOrigin) return kNoErr;
  fOrigin = origin;
  LayoutChildren(false);
  return RedrawIfShown(redraw);
}

int32_t CElement::SetHotSpotProportions(SProportionsHV proportions, bool redraw) {
  if (proportions == fHotSpotProportions) return kNoErr;
  fHotSpotProportions = proportions;
  LayoutChildren(false);
  return RedrawIfShown(redraw);
}

int32_t CElement::SetLayoutFlags(uint32_t flags, bool redraw) {
  if (flags == fLayoutFlags) return kNoErr;
  fLayoutFlags = flags;
  return Relayout(redraw);
}

int32_t CElement::SetPositionProportions(SProportionsHV proportions, bool redraw) {
  constexpr uint32_t kUsesPosition = 0x303C;
  if (proportions == fPositionProportions) return kNoErr;
  fPositionProportions = proportions;
  return fLayoutFlags & kUsesPosition ? Relayout(redraw) : kNoErr;
}

int32_t CElement::SetSizeProportions(SProportionsHV proportions, bool redraw) {
  if (proportions == fSizeProportions) return kNoErr;
  fSizeProportions = proportions;
  return fLayoutFlags & (kLayoutSizeH | kLayoutSizeV) ? Relayout(redraw) : kNoErr;
}

int32_t CElement::Show(bool redraw) {
  if (fShown) return kNoErr;
  fShown = 1;
  return redraw ? Redraw() : kNoErr;
}

int32_t CElement::Hide(bool redraw) {
  if (!fShown) return kNoErr;
  fShown = 0;
  return redraw ? Redraw() : kNoErr;
}

int32_t CElement::SetAlternate(bool redraw) {
  if (fAlternate) return kNoErr;
  fAlternate = 1;
  return RedrawIfShown(redraw);
}

int32_t CElement::ClearAlternate(bool redraw) {
  if (!fAlternate) return kNoErr;
  fAlternate = 0;
  return RedrawIfShown(redraw);
}

int32_t CElement::SetOptionFlags(uint32_t bits, bool on) {
  fEventMask = on ? (fEventMask | bits) : (fEventMask & ~bits);
  return kNoErr;
}

// ---- coordinates

void CElement::GetLocalBounds(SRect* out) {
  SRect bounds;
  GetBounds(&bounds);
  ParentToLocalRect(out, bounds);
}

void CElement::GetLocalRect(SRect* out) { ParentToLocalRect(out, fRect); }

void CElement::ParentToLocalRect(SRect* out, const SRect& rect) {
  SPointHV hotSpot;
  GetHotSpot(&hotSpot);
  *out = OffsetRect(rect, fOrigin.h - hotSpot.h, fOrigin.v - hotSpot.v);
}

void CElement::ParentToLocalPoint(SPointHV* out, SPointHV point) {
  SPointHV hotSpot;
  GetHotSpot(&hotSpot);
  *out = {point.h - hotSpot.h + fOrigin.h, point.v - hotSpot.v + fOrigin.v};
}

void CElement::LocalToParentRect(SRect* out, const SRect& rect) {
  SPointHV hotSpot;
  GetHotSpot(&hotSpot);
  *out = OffsetRect(rect, hotSpot.h - fOrigin.h, hotSpot.v - fOrigin.v);
}

void CElement::LocalToParentPoint(SPointHV* out, SPointHV point) {
  SPointHV hotSpot;
  GetHotSpot(&hotSpot);
  *out = {point.h - fOrigin.h + hotSpot.h, point.v - fOrigin.v + hotSpot.v};
}

void CElement::LocalToAncestorRect(SRect* out, const SRect& rect, CElement* ancestor) {
  if (this == ancestor) {
    *out = rect;
    return;
  }
  LocalToParentRect(out, rect);
  if (fParent) fParent->LocalToAncestorRect(out, *out, ancestor);
}

void CElement::LocalToAncestorPoint(SPointHV* out, SPointHV point, CElement* ancestor) {
  if (this == ancestor) {
    *out = point;
    return;
  }
  LocalToParentPoint(out, point);
  if (fParent) fParent->LocalToAncestorPoint(out, *out, ancestor);
}

void CElement::RootToLocalRect(SRect* out, const SRect& rect) {
  SRect inParent = rect;
  if (fParent) fParent->RootToLocalRect(&inParent, rect);
  ParentToLocalRect(out, inParent);
}

void CElement::RootToLocalPoint(SPointHV* out, SPointHV point) {
  SPointHV inParent = point;
  if (fParent) fParent->RootToLocalPoint(&inParent, point);
  ParentToLocalPoint(out, inParent);
}

void CElement::LocalToRootRect(SRect* out, const SRect& rect) {
  LocalToParentRect(out, rect);
  if (fParent) fParent->LocalToRootRect(out, *out);
}

void CElement::LocalToRootPoint(SPointHV* out, SPointHV point) {
  LocalToParentPoint(out, point);
  if (fParent) fParent->LocalToRootPoint(out, *out);
}

void CElement::ClipToRects(SRect* out, const SRect& rect, CElement* stopAt) {
  if (IsEmptyRect(rect)) {
    *out = rect;
    return;
  }
  SRect clipped;
  LocalToParentRect(&clipped, rect);
  clipped = SectRect(clipped, fRect);
  if (fParent && this != stopAt) fParent->ClipToRects(&clipped, clipped, stopAt);
  ParentToLocalRect(out, clipped);
}

bool CElement::IsPointInRects(SPointHV point, CElement* stopAt) {
  SPointHV inParent;
  LocalToParentPoint(&inParent, point);
  if (!IsPointInRect(inParent, fRect)) return false;
  return !fParent || this == stopAt || fParent->IsPointInRects(inParent, stopAt);
}

void CElement::ClipToBounds(SRect* out, const SRect& rect, CElement* stopAt) {
  if (IsEmptyRect(rect)) {
    *out = rect;
    return;
  }
  SRect bounds, clipped;
  GetBounds(&bounds);
  LocalToParentRect(&clipped, rect);
  clipped = SectRect(clipped, bounds);
  if (fParent && this != stopAt) fParent->ClipToBounds(&clipped, clipped, stopAt);
  ParentToLocalRect(out, clipped);
}

bool CElement::IsPointInBounds(SPointHV point, CElement* stopAt) {
  SRect bounds;
  GetBounds(&bounds);
  SPointHV inParent;
  LocalToParentPoint(&inParent, point);
  if (!IsPointInRect(inParent, bounds)) return false;
  return !fParent || this == stopAt || fParent->IsPointInBounds(inParent, stopAt);
}

// ---- invalidation

int32_t CElement::InvalidateInParent(const SRect& parentRect) {
  return fParent ? fParent->Invalidate(parentRect) : kNoErr;
}

int32_t CElement::InvalidateLocalInRect(const SRect& localRect) {
  if (!fParent) return kNoErr;
  SRect area;
  LocalToParentRect(&area, localRect);
  area = SectRect(area, fRect);
  return IsEmptyRect(area) ? kNoErr : fParent->Invalidate(area);
}

int32_t CElement::InvalidateRect() { return InvalidateInParent(fRect); }

int32_t CElement::Invalidate(const SRect& localRect) {
  if (!fParent || !IsShown()) return kNoErr;
  SRect area, bounds;
  LocalToParentRect(&area, localRect);
  GetBounds(&bounds);
  area = SectRect(area, bounds);
  return IsEmptyRect(area) ? kNoErr : fParent->Invalidate(area);
}

int32_t CElement::Redraw() {
  SRect bounds;
  GetBounds(&bounds);
  return InvalidateInParent(bounds);
}

int32_t CElement::SetOrder(int32_t orderKey, bool redraw) {
  if (!fParent || !fParent->IsValid() || !fParent->fChildren) return kErrUnexpectedStatus;
  int32_t index = -1;
  if (const int32_t err = fParent->fChildren->FindIndex(this, &index)) return err;
  if (const int32_t err = fParent->fChildren->SetEntryOrder(uint32_t(index), orderKey)) return err;
  return RedrawIfShown(redraw);
}

// ---- the container

CElSystem::CElSystem(const SDynTableLayout& layout, CElement* owner) : CExSystem(layout), fOwnerElement(owner) {}

// Runs here, while this table's own detach is still the one called.
CElSystem::~CElSystem() {
  if (IsValid()) RemoveEveryRow(true, true);
}

// A child that cannot take its parent leaves the table as it came, without an owner.
int32_t CElSystem::Attach(CExSystemEntry& row) {
  if (const int32_t err = row.element->SetOwner(this)) return err;
  const int32_t err = row.element->SetParent(fOwnerElement, true);
  if (err) row.element->ClearOwner(this);
  return err;
}

int32_t CElSystem::Detach(CExSystemEntry& row) {
  if (const int32_t err = row.element->ClearOwner(this)) return err;
  return row.element->SetParent(nullptr, true);
}

int32_t DrawHeldImage(CElement* element, uint32_t pass, CImage* port, uint32_t imageTag) {
  CImage* image = element ? LookupHandleAs<CImage>(element->GetUserWord(0), imageTag) : nullptr;
  if (!image || !port || pass != 0) return kNoErr;
  SRect local;
  element->GetLocalRect(&local);
  CSgStSaver placed(image, local.left, local.top, true);
  return port->CopyFrom(image) ? kNoErr : kErrOutOfMemory;
}
