// The element events: how presses, characters, activation, hover and UI messages travel down an
// element tree to the callbacks that claim them, and how a tree draws itself into a port.
#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"

template <typename F>
int32_t CElement::WalkTopDown(F visit) {
  CElSystem* children = fChildren;
  if (const int32_t err = children->Sort()) return err;
  CHolder holder(children, false, false);
  if (!holder.IsLocked()) return NonZeroError(children->GetError());
  CBusyWalk walk(children);
  for (uint32_t i = children->GetCount(); i-- > 0;) {
    // Callbacks may add rows (never remove them while the walk counts as busy): re-read by index.
    CElement* child = i < children->GetCount() ? (*children)[i].element : nullptr;
    if (!child) continue;
    bool stop = false;
    if (const int32_t err = visit(child, &stop)) return err;
    if (stop) break;
  }
  return kNoErr;
}

int32_t CElement::HandlePress(CElement** handled, SPointHV point, SWinEvent* event) {
  CElement* none = nullptr;
  if (!handled) handled = &none;
  if (!GetChildren()) return RunPressCallback(handled, point, event);
  const int32_t err = WalkTopDown([&](CElement* child, bool* stop) -> int32_t {
    if (!child->AcceptsEvents(kEventMaskPress) || !child->IsShown()) return kNoErr;
    // A child that claims presses without a callback of its own catches every press (a modal catcher).
    const bool catcher = child->ClaimsPresses() && !child->HasPressCallback();
    if (!catcher && !IsPointInRect(point, child->GetRect())) return kNoErr;
    SPointHV local;
    child->ParentToLocalPoint(&local, point);
    const int32_t code = child->HandlePress(handled, local, event);
    *stop = *handled != nullptr;
    return code;
  });
  if (err || *handled) return err;
  return RunPressCallback(handled, point, event);
}

int32_t CElement::HandleChar(CElement** handled, SWinEvent* event) {
  CElement* none = nullptr;
  if (!handled) handled = &none;
  if (!GetChildren()) return RunCharCallback(handled, event);
  const int32_t err = WalkTopDown([&](CElement* child, bool* stop) -> int32_t {
    if (!child->AcceptsEvents(kEventMaskChar) || !child->IsShown()) return kNoErr;
    const int32_t code = child->HandleChar(handled, event);
    *stop = *handled != nullptr;
    return code;
  });
  if (err || *handled) return err;
  return RunCharCallback(handled, event);
}

int32_t CElement::HandleDeactivate(SWinEvent* event) {
  if (!GetChildren()) return RunDeactivateCallback(event);
  const int32_t err = WalkTopDown([&](CElement* child, bool*) -> int32_t {
    return child->AcceptsEvents(kEventMaskDeactivate) ? child->HandleDeactivate(event) : kNoErr;
  });
  return err ? err : RunDeactivateCallback(event);
}

int32_t CElement::HandleActivate(SWinEvent* event) {
  if (!GetChildren()) return RunActivateCallback(event);
  const int32_t err = WalkTopDown([&](CElement* child, bool*) -> int32_t {
    return child->AcceptsEvents(kEventMaskActivate) ? child->HandleActivate(event) : kNoErr;
  });
  return err ? err : RunActivateCallback(event);
}

int32_t CElement::HandleHover(SPointHV point) {
  if (!GetChildren()) return RunHoverCallback(point);
  const int32_t err = WalkTopDown([&](CElement* child, bool*) -> int32_t {
    if (!child->AcceptsEvents(kEventMaskHover) || !(child->IsShown() || child->HoversWhenHidden())) return kNoErr;
    SPointHV local;
    child->ParentToLocalPoint(&local, point);
    return child->HandleHover(local);
  });
  return err ? err : RunHoverCallback(point);
}

int32_t CElement::HandleMessage(CElement** handled, SPointHV point, CUIMessage* message) {
  CElement* none = nullptr;
  if (!handled) handled = &none;
  if (!GetChildren()) return RunMessageCallback(handled, point, message);
  const int32_t err = WalkTopDown([&](CElement* child, bool* stop) -> int32_t {
    if (!child->AcceptsEvents(kEventMaskMessage)) return kNoErr;
    SPointHV local;
    child->ParentToLocalPoint(&local, point);
    const int32_t code = child->HandleMessage(handled, local, message);
    *stop = *handled != nullptr;
    return code;
  });
  if (err || *handled) return err;
  return RunMessageCallback(handled, point, message);
}

int32_t CElement::SendMessageUp(CUIMessage* message, CElement* sender) {
  return fParent ? fParent->SendMessageUp(message, sender) : kNoErr;
}

// ---- drawing

int32_t CElement::Draw(uint32_t pass, CImage* port, bool withChildren) {
  const int32_t err = RunDrawCallback(pass, port);
  return err || !withChildren ? err : DrawChildren(pass, port);
}

int32_t CElement::DrawChildren(uint32_t pass, CImage* port) {
  CElSystem* children = GetChildren();
  if (!children || !port) return kNoErr;
  if (const int32_t err = children->Sort()) return err;
  CHolder holder(children, false, false);
  if (!holder.IsLocked()) return NonZeroError(children->GetError());
  CBusyWalk walk(children);
  CSgStSaver saved(port);
  const SPointHV origin{port->GetOriginH(), port->GetOriginV()};
  SRect bounds;
  GetLocalBounds(&bounds);
  // The port's clip in local coordinates, cut to what this element may paint.
  const SRect clip = SectRect(OffsetRect(port->GetClip(), origin.h, origin.v), bounds);
  for (uint32_t i = 0; i < children->GetCount(); ++i) {
    CElement* child = (*children)[i].element;
    if (!child || !child->AcceptsEvents(kEventMaskDraw) || !child->IsShown()) continue;
    SRect childBounds;
    child->GetBounds(&childBounds);
    if (!RectsOverlap(childBounds, clip)) continue;
    SPointHV childOrigin;
    child->ParentToLocalPoint(&childOrigin, origin);
    SRect childClip;
    child->ParentToLocalRect(&childClip, SectRect(clip, childBounds));
    port->SetOrigin(childOrigin.h, childOrigin.v);
    port->SetClip(OffsetRect(childClip, -childOrigin.h, -childOrigin.v));
    if (const int32_t err = child->Draw(pass, port, true)) return err;
  }
  return kNoErr;
}
