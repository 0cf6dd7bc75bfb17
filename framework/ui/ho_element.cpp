#include "framework/ui/ho_element.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ho_canvas.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"

CHoElement::CHoElement(CHoCanvas* canvas, const SElementDesc& desc) : CElement(desc), fCanvas(canvas) {
  if (IsValid()) SetOptionFlags(kRootEvents, true);
}

CHoElement::~CHoElement() = default;

bool CHoElement::IsHostedRoot() const { return IsValid() && fCanvas && !GetParent(); }

// ---- layout and coordinates: the parent space is the canvas, the root space the screen

void CHoElement::ConstrainRect(SRect* out, const SRect& wanted) {
  if (!fCanvas) return CElement::ConstrainRect(out, wanted);
  ComputeLayout(out, wanted, fCanvas->GetBounds());
}

void CHoElement::RootToLocalRect(SRect* out, const SRect& rect) {
  ParentToLocalRect(out, fCanvas ? fCanvas->ScreenToCanvasRect(rect) : rect);
}

void CHoElement::RootToLocalPoint(SPointHV* out, SPointHV point) {
  ParentToLocalPoint(out, fCanvas ? fCanvas->ScreenToCanvas(point) : point);
}

void CHoElement::LocalToRootRect(SRect* out, const SRect& rect) {
  LocalToParentRect(out, rect);
  if (fCanvas) *out = fCanvas->CanvasToScreenRect(*out);
}

void CHoElement::LocalToRootPoint(SPointHV* out, SPointHV point) {
  LocalToParentPoint(out, point);
  if (fCanvas) *out = fCanvas->CanvasToScreen(*out);
}

void CHoElement::ClipToCanvas(SRect* out, const SRect& rect, const SRect& own) {
  if (IsEmptyRect(rect)) {
    *out = rect;
    return;
  }
  SRect clipped;
  LocalToParentRect(&clipped, rect);
  clipped = SectRect(clipped, own);
  if (fCanvas) clipped = SectRect(clipped, fCanvas->GetBounds());
  ParentToLocalRect(out, clipped);
}

bool CHoElement::IsPointOnCanvas(SPointHV point, const SRect& own) {
  SPointHV inCanvas;
  LocalToParentPoint(&inCanvas, point);
  return IsPointInRect(inCanvas, own) && (!fCanvas || IsPointInRect(inCanvas, fCanvas->GetBounds()));
}

void CHoElement::ClipToRects(SRect* out, const SRect& rect, CElement*) { ClipToCanvas(out, rect, GetRect()); }

bool CHoElement::IsPointInRects(SPointHV point, CElement*) { return IsPointOnCanvas(point, GetRect()); }

void CHoElement::ClipToBounds(SRect* out, const SRect& rect, CElement*) {
  SRect bounds;
  GetBounds(&bounds);
  ClipToCanvas(out, rect, bounds);
}

bool CHoElement::IsPointInBounds(SPointHV point, CElement*) {
  SRect bounds;
  GetBounds(&bounds);
  return IsPointOnCanvas(point, bounds);
}

// ---- redraw requests

int32_t CHoElement::RedrawOnCanvas(const SRect& canvasRect) {
  fDirty = 1;
  if (!fCanvas) return kNoErr;
  return fCanvas->Redraw(&canvasRect) ? kNoErr : kErrGeneric;
}

int32_t CHoElement::InvalidateInParent(const SRect& parentRect) { return RedrawOnCanvas(parentRect); }

int32_t CHoElement::InvalidateLocalInRect(const SRect& localRect) {
  SRect area;
  LocalToParentRect(&area, localRect);
  return RedrawOnCanvas(SectRect(area, GetRect()));
}

int32_t CHoElement::InvalidateRect() { return RedrawOnCanvas(GetRect()); }

int32_t CHoElement::Invalidate(const SRect& localRect) {
  SRect area, bounds;
  LocalToParentRect(&area, localRect);
  GetBounds(&bounds);
  return RedrawOnCanvas(SectRect(area, bounds));
}

int32_t CHoElement::Redraw() {
  SRect bounds;
  GetBounds(&bounds);
  return RedrawOnCanvas(bounds);
}

int32_t CHoElement::SendMessageUp(CUIMessage* message, CElement* sender) {
  return fCanvas ? fCanvas->OnElementMessage(message, sender) : kNoErr;
}

// ---- drawing

int32_t CHoElement::UpdateRect(const SRect& area, bool compose) {
  SRect covered{};
  if (AcceptsEvents(kEventMaskDraw) && IsShown()) {
    if (const int32_t err = UpdateElement(this, area, &covered, compose)) return err;
  }
  if (IsEmptyRect(covered)) {
    if (!fCanvas) return kNoErr;
    SRect inCanvas;
    LocalToParentRect(&inCanvas, area);
    // The backdrop alone: the canvas's own drawing, not the tree's.
    return fCanvas->CImCanvas::Redraw(&inCanvas) ? kNoErr : kErrGeneric;
  }
  SRect pieces[4];
  const uint32_t count = RectDifference(area, covered, pieces);
  for (uint32_t i = 0; i < count; ++i) {
    if (const int32_t err = UpdateRect(pieces[i], compose)) return err;
  }
  return kNoErr;
}

int32_t CHoElement::UpdateElement(CElement* element, const SRect& area, SRect* covered, bool compose) {
  SRect bounds;
  element->GetBounds(&bounds);
  element->ParentToLocalRect(&bounds, bounds);
  SRect clipped = SectRect(bounds, area);
  if (IsEmptyRect(clipped)) return kNoErr;
  if (!element->UsesRenderImage()) return UpdateChildren(element, clipped, covered, compose);
  CImage* image = nullptr;
  if (const int32_t err = element->GetRenderImage(&image)) return err;
  // A render image cut by its parent holds less than the element's bounds; the rest is the children's.
  if (image) clipped = SectRect(clipped, OffsetRect(image->GetBounds(), image->GetOriginH(), image->GetOriginV()));
  if (!image || IsEmptyRect(clipped)) return UpdateChildren(element, SectRect(bounds, area), covered, compose);
  if (!fCanvas) return kNoErr;
  element->LocalToAncestorRect(covered, clipped, this);
  SRect inCanvas;
  LocalToParentRect(&inCanvas, *covered);
  // The image keeps its placement in its element's coordinates between redraws.
  CSgStSaver placement(image);
  SPointHV origin;
  element->LocalToAncestorPoint(&origin, {image->GetOriginH(), image->GetOriginV()}, nullptr);
  image->SetOrigin(origin.h, origin.v);
  image->SetClip(OffsetRect(inCanvas, -origin.h, -origin.v));
  CHolder holder(image, true, false);
  if (!holder.IsLocked()) return NonZeroError(image->GetError());
  if (compose) {
    if (const int32_t err = ComposeLayers(image, element, inCanvas)) return err;
  }
  return image->DrawTo(fCanvas->GetDeviceContext()) ? kNoErr : kErrGeneric;
}

int32_t CHoElement::UpdateChildren(CElement* element, const SRect& area, SRect* covered, bool compose) {
  CElSystem* children = element->GetChildren();
  if (!children || !element->AcceptsEvents(kEventMaskDraw) || !element->IsShown()) return kNoErr;
  if (const int32_t err = children->Sort()) return err;
  CHolder holder(children, false, false);
  if (!holder.IsLocked()) return NonZeroError(children->GetError());
  CBusyWalk walk(children);
  for (uint32_t i = 0; i < children->GetCount(); ++i) {
    CElement* child = (*children)[i].element;
    if (!child) continue;
    SRect inChild;
    child->ParentToLocalRect(&inChild, area);
    if (const int32_t err = UpdateElement(child, inChild, covered, compose)) return err;
    if (!IsEmptyRect(*covered)) break;
  }
  return kNoErr;
}

int32_t CHoElement::ComposeLayers(CImage* image, CElement* element, const SRect& rect) {
  if (!fCanvas) return kNoErr;
  const int32_t h = image->GetOriginH(), v = image->GetOriginV();
  SRect cover;
  if (element->GetCoverRect(&cover)) {
    int32_t err = kNoErr;
    if (IsEmptyRect(cover)) {
      err = fCanvas->DrawInto(image);
    } else {
      SRect coverInCanvas;
      element->LocalToAncestorRect(&coverInCanvas, cover, nullptr);
      SRect pieces[4];
      const uint32_t count = RectDifference(rect, coverInCanvas, pieces);
      for (uint32_t i = 0; i < count && !err; ++i) {
        image->SetClip(OffsetRect(pieces[i], -h, -v));
        err = fCanvas->DrawInto(image);
      }
      image->SetClip(OffsetRect(rect, -h, -v));
    }
    if (err) return err;
  }
  SPointHV local;
  ParentToLocalPoint(&local, {h, v});
  image->SetOrigin(local.h, local.v);
  int32_t err = kNoErr;
  for (uint32_t pass = 0; pass < fLayers && !err; ++pass) err = Draw(pass, image, true);
  SPointHV back;
  LocalToParentPoint(&back, local);
  image->SetOrigin(back.h, back.v);
  return err;
}

// ---- the root of a UI host canvas

CUIHostElement::CUIHostElement(CUIHostCanvas* canvas, const SElementDesc& desc)
    : CHoElement(canvas, desc), fHost(canvas) {}

CUIHostElement::~CUIHostElement() = default;

bool CUIHostElement::IsShown() const { return CHoElement::IsShown() && fHost && fHost->IsShown(); }

int32_t CUIHostElement::SendMessageUp(CUIMessage* message, CElement*) {
  if (!fHost || !message) return kNoErr;
  if (message->flags & CUIMessage::kBroadcast) {
    CUICmFunction* owner = fHost->GetOwner();
    return owner ? owner->Dispatch(message) : kNoErr;
  }
  return fHost->HandleEvent(message);
}
