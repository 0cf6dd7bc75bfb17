// The element tree that every palette and dialog is drawn from. An element has a rectangle in its
// parent's local coordinates, layout rules that place it inside its parent, a local coordinate system
// of its own for its children (its hot spot maps to its origin), outsets that make its bounds, an
// optional render image, and a container of children (CElSystem) that owns them. Changes invalidate
// their area up the tree; the roots of host canvases pass it on to their canvas.
//
// Operations that change the screen take a redraw flag: with it set and the element shown, the
// changed area is invalidated. Result codes: 0, or the framework's codes (6 no such row, 9 memory,
// 13 an object made here is not usable, 15 missing source environment or invalid parent).
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/ex_system.h"
#include "framework/core/window_handler.h"
#include "framework/ui/geometry.h"

class CElement;
class CElSystem;
class CImage;
class CResourceEnv;
class CUIMessage;

// The three names of an interface object, each a text of at most 31 characters in 32 bytes.
struct SExNames {
  static constexpr uint32_t kNameBytes = 32;
  char name[kNameBytes] = {};
  char windowName[kNameBytes] = {};
  char canvasName[kNameBytes] = {};
};

// An object of the interface: a process-wide id, the container that holds it, its names (a UI message
// that it sends carries them) and four words the tree never reads.
class CExObject : public CBaseObject {
 public:
  static constexpr uint32_t kUserWords = 4;

  explicit CExObject(const SExNames& names);
  ~CExObject() override;
  CExObject(const CExObject&) = delete;
  CExObject& operator=(const CExObject&) = delete;

  virtual const char* GetName() const { return fNames.name; }
  virtual const char* GetWindowName() const { return fNames.windowName; }
  virtual const char* GetCanvasName() const { return fNames.canvasName; }
  virtual CExSystem* GetOwner() const { return fOwner; }
  virtual uint32_t GetId() const { return fId; }
  // 0 for an index beyond 3.
  virtual uint32_t GetUserWord(uint32_t index) const;
  // A null text leaves the field empty.
  virtual void SetName(const char* text) { SetNameField(fNames.name, text); }
  virtual void SetWindowName(const char* text) { SetNameField(fNames.windowName, text); }
  virtual void SetCanvasName(const char* text) { SetNameField(fNames.canvasName, text); }
  // The previous value; an index beyond 3 changes nothing.
  virtual uint32_t SetUserWord(uint32_t index, uint32_t value);
  virtual int32_t SetOwner(CExSystem* owner);
  // Clears the owner when it is that one.
  virtual int32_t ClearOwner(CExSystem* owner);

  bool IsAlive() const { return fAlive != 0; }

  // Missing names give empty fields; longer texts keep their first 31 characters.
  static void MakeNames(SExNames& names, const char* name, const char* windowName, const char* canvasName);
  static void SetNameField(char* field, const char* text);

 protected:
  void EndLife() { fAlive = 0; }

 private:
  uint32_t fId = 0;
  CExSystem* fOwner = nullptr;
  SExNames fNames;
  uint32_t fUserWords[kUserWords] = {};
  uint32_t fAlive = 1;
};

// What constructs an element.
struct SElementDesc {
  SExNames names;
  SRect rect;
  uint8_t shown = 0;
  uint8_t alternate = 0;
  uint8_t usesRenderImage = 0;
};

// Layout flags: how ComputeLayout places an element in its parent's area (pw × ph), applied in this
// order, each rule from 0x4 on keeping the width or height reached and moving the opposite edge.
enum : uint32_t {
  kLayoutSizeH = 0x1,      // width = size proportion h × pw
  kLayoutSizeV = 0x2,      // height = size proportion v × ph
  kLayoutPositionH = 0x4,  // left = area left + position proportion h × pw
  kLayoutPositionV = 0x8,
  kLayoutAnchorH = 0x10,   // as 0x4, less position proportion h × width: a point of the element
  kLayoutAnchorV = 0x20,
  kLayoutTop = kAlignTop,  // to the area's edges, then centred (geometry.h)
  kLayoutLeft = kAlignLeft,
  kLayoutBottom = kAlignBottom,
  kLayoutRight = kAlignRight,
  kLayoutCentreH = kAlignCentreH,
  kLayoutCentreV = kAlignCentreV,
  kLayoutKeepPointH = 0x1000,  // a resize keeps the point at position proportion h where it was
  kLayoutKeepPointV = 0x2000,
};

// Event mask bits (the element events).
enum : uint32_t {
  kEventMaskPress = 0x1,
  kEventMaskChar = 0x2,
  kEventMaskDeactivate = 0x4,
  kEventMaskActivate = 0x8,
  kEventMaskHover = 0x10,
  kEventMaskMessage = 0x20,
  kEventMaskDraw = 0x10000,
};

// The seven callbacks, each with the element first. handled: where the element that takes a press,
// character or message writes itself. Points are in the element's local coordinates.
using ElPressCallback = int32_t (*)(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
using ElCharCallback = int32_t (*)(CElement* element, CElement** handled, SWinEvent* event);
using ElActivationCallback = int32_t (*)(CElement* element, SWinEvent* event);
using ElHoverCallback = int32_t (*)(CElement* element, SPointHV point);
using ElMessageCallback = int32_t (*)(CElement* element, CElement** handled, SPointHV point, CUIMessage* message);
using ElDrawCallback = int32_t (*)(CElement* element, uint32_t pass, CImage* port);

class CElement : public CExObject {
 public:
  static constexpr uint32_t kDefaultEventMask = kEventMaskPress | kEventMaskDraw;

  static constexpr const char* kTag = "elem";
  static bool RegisterType();
  static bool UnregisterType();

  explicit CElement(const SElementDesc& desc);
  // While alive: a valid shown element is hidden and redrawn first, so its area is repainted
  // without it; then its children, its own resource file and its render image go. It does not leave
  // its parent's container: the container's removal or destruction drives that.
  ~CElement() override;

  static void MakeDescription(SElementDesc& desc, const SRect& rect, bool shown, bool alternate, bool usesRenderImage,
                              const char* name, const char* windowName, const char* canvasName);

  // ---- geometry and layout
  virtual int32_t RenderImage();
  // With a parent, ComputeLayout against the parent's rect in its own local coordinates; without one,
  // against the wanted rect itself when 0x1000 or 0x2000 is set, else the wanted rect unchanged.
  virtual void ConstrainRect(SRect* out, const SRect& wanted);
  virtual void ComputeLayout(SRect* out, const SRect& wanted, const SRect& area);
  // Relayout of every child, first to last; the first non-zero code ends it.
  virtual int32_t LayoutChildren(bool redraw);
  // Opens the file of that name (its last path component) in the environment's folder for reading, as
  // the element's own resource file, replacing the previous one only when it opens.
  virtual int32_t OpenResourceFile(CResourceEnv* environment, const char* fileName);
  virtual void GetHotSpotOf(SPointHV* out, const SRect& rect);
  virtual void GetHotSpot(SPointHV* out);
  // Hooks before the rect or the outsets change: a non-zero code vetoes.
  virtual int32_t WillChangeRect(const SRect& newRect);
  virtual int32_t WillChangeOutsets(SPointHV topLeft, SPointHV bottomRight);

  // ---- callbacks, run: an empty callback of an element that claims the event takes it.
  virtual int32_t RunPressCallback(CElement** handled, SPointHV point, SWinEvent* event);
  virtual int32_t RunCharCallback(CElement** handled, SWinEvent* event);
  virtual int32_t RunDeactivateCallback(SWinEvent* event);
  virtual int32_t RunActivateCallback(SWinEvent* event);
  virtual int32_t RunHoverCallback(SPointHV point);
  virtual int32_t RunMessageCallback(CElement** handled, SPointHV point, CUIMessage* message);
  virtual int32_t RunDrawCallback(uint32_t pass, CImage* port);

  virtual const SRect& GetRect() const { return fRect; }
  virtual int32_t SetRect(const SRect& wanted, bool redraw);
  virtual int32_t MoveTo(SPointHV topLeft, bool redraw);
  virtual int32_t Relayout(bool redraw);
  // The same three with the keep-point rules (0x1000, 0x2000) off for the call.
  virtual int32_t SetRectFree(const SRect& wanted, bool redraw);
  virtual int32_t MoveToFree(SPointHV topLeft, bool redraw);
  virtual int32_t RelayoutFree(bool redraw);
  // The same three with the layout flags replaced for the call.
  virtual int32_t SetRectWithFlags(uint32_t flags, const SRect& wanted, bool redraw);
  virtual int32_t MoveToWithFlags(uint32_t flags, SPointHV topLeft, bool redraw);
  virtual int32_t RelayoutWithFlags(uint32_t flags, bool redraw);
  // The rect grown by the outsets: what the element may paint.
  virtual void GetBounds(SRect* out);
  virtual SPointHV GetTopLeftOutset() const { return fTopLeftOutset; }
  virtual SPointHV GetBottomRightOutset() const { return fBottomRightOutset; }
  // Top-left components are kept <= 0, bottom-right ones >= 0.
  virtual int32_t SetOutsets(SPointHV topLeft, SPointHV bottomRight, bool redraw);
  // None when the element has no children.
  virtual CElSystem* GetChildren() const;
  virtual CResourceEnv* GetResourceFile() const { return fResourceFile; }
  virtual bool UsesRenderImage() const { return fUsesRenderImage != 0; }
  virtual bool ImageFollowsParent() const { return fImageFollowsParent != 0; }
  virtual CElement* GetParent() const { return fParent; }
  virtual uint32_t GetLayoutFlags() const { return fLayoutFlags; }
  virtual SProportionsHV GetSizeProportions() const { return fSizeProportions; }
  virtual SProportionsHV GetPositionProportions() const { return fPositionProportions; }
  virtual bool IsShown() const { return fShown != 0; }
  virtual bool IsAlternate() const { return fAlternate != 0; }
  virtual SPointHV GetOrigin() const { return fOrigin; }
  virtual SProportionsHV GetHotSpotProportions() const { return fHotSpotProportions; }
  virtual bool AcceptsEvents(uint32_t mask) const { return (mask & fEventMask) != 0; }
  virtual bool ClaimsPresses() const { return fClaimsPresses != 0; }
  virtual bool ClaimsCharacters() const { return fClaimsCharacters != 0; }
  virtual bool ClaimsMessages() const { return fClaimsMessages != 0; }
  virtual bool HoversWhenHidden() const { return fHoversWhenHidden != 0; }
  // 15 when the element was not loaded from an environment.
  virtual int32_t GetRecordNumber(uint32_t* out) const;
  virtual int32_t GetSourceEnvironment(CResourceEnv** out) const;

  // ---- events: the element events' issue gives these their walks; until then they answer 0.
  virtual int32_t HandlePress(CElement** handled, SPointHV point, SWinEvent* event);
  virtual int32_t HandleChar(CElement** handled, SWinEvent* event);
  virtual int32_t HandleDeactivate(SWinEvent* event);
  virtual int32_t HandleActivate(SWinEvent* event);
  virtual int32_t HandleHover(SPointHV point);
  virtual int32_t HandleMessage(CElement** handled, SPointHV point, CUIMessage* message);
  virtual int32_t Draw(uint32_t pass, CImage* port, bool withChildren);

  // ---- children
  // Makes the container from the layout on first use (9, 13 when it is not usable), then adds the
  // child with the three row words; the container gives it this element as parent.
  virtual int32_t AddChild(CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                           const SDynTableLayout& container);
  // Rebuilds the children from the element's record: the element records' issue builds it; until
  // then 27.
  virtual int32_t ReloadChildren(bool deleteFirst, bool fit);
  virtual int32_t DeleteChildren();
  // Sizes the element to its children (their bounds or rects, only the shown ones, its own rect
  // too) plus the margins, keeping the children where they are on the screen.
  virtual int32_t FitToChildren(bool useBounds, bool onlyShown, bool setOutsets, bool includeOwnRect, bool redraw,
                                SPointHV marginTopLeft, SPointHV marginBottomRight);

  // ---- render image
  virtual int32_t UseRenderImage(bool redraw);
  virtual int32_t DropRenderImage(bool redraw);
  virtual int32_t SetImageFollowsParent(bool follows, bool redraw);
  // RenderImage, then the image (or none); the code of RenderImage.
  virtual int32_t GetRenderImage(CImage** out);
  virtual int32_t FreeRenderImage();
  // What the element covers wholly; the base covers nothing (an empty rect) and answers true.
  virtual bool GetCoverRect(SRect* out);

  // ---- state
  virtual int32_t SetParent(CElement* parent, bool redraw);
  virtual int32_t SetOrigin(SPointHV origin, bool redraw);
  virtual int32_t SetHotSpotProportions(SProportionsHV proportions, bool redraw);
  virtual int32_t SetLayoutFlags(uint32_t flags, bool redraw);
  virtual int32_t SetPositionProportions(SProportionsHV proportions, bool redraw);
  virtual int32_t SetSizeProportions(SProportionsHV proportions, bool redraw);
  // A hidden element is redrawn too, so that its area is repainted without it.
  virtual int32_t Show(bool redraw);
  virtual int32_t Hide(bool redraw);
  virtual int32_t SetAlternate(bool redraw);
  virtual int32_t ClearAlternate(bool redraw);
  // Sets or clears bits of the event mask.
  virtual int32_t SetOptionFlags(uint32_t bits, bool on);
  virtual void SetPressCallback(ElPressCallback callback) { fPressCallback = callback; }
  virtual void SetCharCallback(ElCharCallback callback) { fCharCallback = callback; }
  virtual void SetDeactivateCallback(ElActivationCallback callback) { fDeactivateCallback = callback; }
  virtual void SetActivateCallback(ElActivationCallback callback) { fActivateCallback = callback; }
  virtual void SetHoverCallback(ElHoverCallback callback) { fHoverCallback = callback; }
  virtual void SetMessageCallback(ElMessageCallback callback) { fMessageCallback = callback; }
  virtual void SetDrawCallback(ElDrawCallback callback) { fDrawCallback = callback; }
  virtual bool SetClaimsPresses(bool claims) { return (fClaimsPresses = claims) != 0; }
  virtual bool SetClaimsCharacters(bool claims) { return (fClaimsCharacters = claims) != 0; }
  virtual bool SetClaimsMessages(bool claims) { return (fClaimsMessages = claims) != 0; }
  virtual bool SetHoversWhenHidden(bool hovers) { return (fHoversWhenHidden = hovers) != 0; }

  // ---- coordinates
  virtual void GetLocalBounds(SRect* out);
  virtual void GetLocalRect(SRect* out);
  virtual void ParentToLocalRect(SRect* out, const SRect& rect);
  virtual void ParentToLocalPoint(SPointHV* out, SPointHV point);
  virtual void LocalToParentRect(SRect* out, const SRect& rect);
  virtual void LocalToParentPoint(SPointHV* out, SPointHV point);
  // Up to the ancestor's local coordinates (null: as far as the chain goes).
  virtual void LocalToAncestorRect(SRect* out, const SRect& rect, CElement* ancestor);
  virtual void LocalToAncestorPoint(SPointHV* out, SPointHV point, CElement* ancestor);
  virtual void RootToLocalRect(SRect* out, const SRect& rect);
  virtual void RootToLocalPoint(SPointHV* out, SPointHV point);
  virtual void LocalToRootRect(SRect* out, const SRect& rect);
  virtual void LocalToRootPoint(SPointHV* out, SPointHV point);
  // The part of a local rect visible through every ancestor's rect up to stopAt (null: all).
  virtual void ClipToRects(SRect* out, const SRect& rect, CElement* stopAt);
  virtual bool IsPointInRects(SPointHV point, CElement* stopAt);
  virtual void ClipToBounds(SRect* out, const SRect& rect, CElement* stopAt);
  virtual bool IsPointInBounds(SPointHV point, CElement* stopAt);

  // ---- invalidation, which climbs to the canvas through the root
  virtual int32_t InvalidateInParent(const SRect& parentRect);
  virtual int32_t InvalidateLocalInRect(const SRect& localRect);
  virtual int32_t InvalidateRect();
  // A local rect, cut to the bounds, for the parent to repaint. An element that is not shown passes
  // nothing on: nothing under it is on the screen.
  virtual int32_t Invalidate(const SRect& localRect);
  virtual int32_t Redraw();
  virtual int32_t SendMessageUp(CUIMessage* message, CElement* sender);
  // The element events' issue gives it its walk; until then 0.
  virtual int32_t DrawChildren(uint32_t pass, CImage* port);
  // Sets the element's order key in its parent's container: 15 without a valid parent, 6 when the
  // container has no row for it.
  virtual int32_t SetOrder(int32_t orderKey, bool redraw);

  // Alive, and its render image, source environment, children and resource file usable where present.
  bool IsValid() const;

 protected:
  // Where an element loaded from a record came from.
  void SetSource(CResourceEnv* environment, uint32_t recordNumber);

 private:
  int32_t SetRectUnder(uint32_t flags, const SRect& wanted, bool redraw);
  // The container, locked and counted busy, visited first to last; fn answers a code.
  template <typename F>
  int32_t WalkChildren(F fn);
  int32_t RedrawIfShown(bool redraw) { return redraw && IsShown() ? Redraw() : 0; }

  CElSystem* fChildren = nullptr;
  CResourceEnv* fResourceFile = nullptr;
  uint32_t fRecordNumber = 0;
  CResourceEnv* fSourceEnvironment = nullptr;
  CImage* fRenderImage = nullptr;
  CElement* fParent = nullptr;
  SRect fRect;
  uint32_t fLayoutFlags = 0;
  SProportionsHV fPositionProportions{0.0f, 0.0f};
  SProportionsHV fSizeProportions{1.0f, 1.0f};
  SPointHV fOrigin;
  SProportionsHV fHotSpotProportions{0.0f, 0.0f};
  SPointHV fTopLeftOutset;
  SPointHV fBottomRightOutset;
  uint32_t fEventMask = kDefaultEventMask;
  ElPressCallback fPressCallback = nullptr;
  ElCharCallback fCharCallback = nullptr;
  ElActivationCallback fDeactivateCallback = nullptr;
  ElActivationCallback fActivateCallback = nullptr;
  ElHoverCallback fHoverCallback = nullptr;
  ElMessageCallback fMessageCallback = nullptr;
  ElDrawCallback fDrawCallback = nullptr;
  uint8_t fShown = 0;
  uint8_t fAlternate = 0;
  uint8_t fUsesRenderImage = 0;
  uint8_t fImageFollowsParent = 1;
  uint8_t fClaimsPresses = 0;
  uint8_t fClaimsCharacters = 0;
  uint8_t fClaimsMessages = 0;
  uint8_t fHoversWhenHidden = 0;
};

// The children of an element: a table of element rows that owns them. Adding a row makes the
// container the child's owner and the owning element its parent; removing one undoes both, each
// with redraw.
class CElSystem : public CExSystem {
 public:
  CElSystem(const SDynTableLayout& layout, CElement* owner);
  ~CElSystem() override;

  CElement* GetOwnerElement() const { return fOwnerElement; }

 protected:
  int32_t Attach(CExSystemEntry& row) override;
  int32_t Detach(CExSystemEntry& row) override;

 private:
  CElement* fOwnerElement = nullptr;
};
