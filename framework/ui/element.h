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
#include "framework/ui/element_callbacks.h"
#include "framework/ui/geometry.h"

class CElement;
class CElSystem;
class CFragmentSys;
class CImage;
class CResourceEnv;
class CSpoolMem;
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

// The text of a callback in a layout: empty (0, *callback none), "fragment|entry", or an entry (or
// the whole text) "NULL", which names none (26); otherwise the fragment system's resolution of the
// entry under kind (14 when it was entered under another kind).
int32_t ResolveCallbackRef(void** callback, const char* text, uint32_t kind, CFragmentSys* fragments);

class CElement : public CExObject {
 public:
  static constexpr uint32_t kDefaultEventMask = kEventMaskPress | kEventMaskDraw;

  // The stored "elem" record: big-endian, at least kRecordBytes long; texts in 32-byte fields.
  static constexpr const char* kTag = "elem";
  static constexpr uint32_t kRecordBytes = 316;
  static constexpr uint32_t kRecordTextBytes = 32;
  enum ERecordOffset : uint32_t {
    kRecordName = 24,
    kRecordWindowName = 56,
    kRecordCanvasName = 88,
    kRecordUserWords = 120,   // four words
    kRecordSetNumber = 136,
    kRecordSetName = 140,
    kRecordFileName = 172,
    kRecordListNumber = 204,
    kRecordListName = 208,
    kRecordRect = 240,        // top, left, bottom, right
    kRecordLayoutFlags = 256,
    kRecordPosition = 260,    // proportions h, v (floats)
    kRecordSize = 268,
    kRecordOrigin = 276,
    kRecordHotSpot = 284,
    kRecordTopLeftOutset = 292,
    kRecordBottomRightOutset = 300,
    kRecordEventMask = 308,
    kRecordFlags = 312,
  };
  // The record's flags: how the element is loaded.
  enum ELoadFlag : uint32_t {
    kLoadShown = 0x1,
    kLoadAlternate = 0x2,
    kLoadRenderImage = 0x4,
    kLoadImageFollowsParent = 0x8,
    kLoadChildren = 0x10,         // from an element set
    kLoadChildrenByName = 0x20,
    kLoadChildrenOwnKey = 0x40,   // the set has this record's own number or name
    kLoadClaimsPresses = 0x80,
    kLoadClaimsCharacters = 0x100,
    kLoadClaimsMessages = 0x200,
    kLoadHoversWhenHidden = 0x400,
    kLoadFit = 0x800,             // to the children
    kLoadFitBounds = 0x1000,
    kLoadFitShownOnly = 0x2000,
    kLoadFitOutsets = 0x4000,
    kLoadDeferChildren = 0x8000,  // left to ReloadChildren
    kLoadCallbacks = 0x10000,     // named in a text list
    kLoadCallbacksByName = 0x20000,
    kLoadCallbacksOwnKey = 0x40000,
  };

  // The factory of the tag "elem" in the application's element registry.
  static bool RegisterType();
  static bool UnregisterType();
  // A registry callback: builds the element a creation request for "elem" asks for, by name or by
  // number, and answers 1 with the element and the code in the request; 0 for any other request.
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  // A new element loaded from its record: 0, 9 (memory), 13 (not usable) or the load's code, and
  // then no element.
  static int32_t NewByNumber(CElement** element, CResourceEnv* environment, uint32_t number);
  static int32_t NewByName(CElement** element, CResourceEnv* environment, const char* name);
  // The record handler of "elem" records: after reading and around writing it checks the size,
  // turns the numbers around and checks the tag and version (2 and false on any mismatch).
  static uint32_t HandleRecordMessage(CSpoolMem* record, uint32_t message, void* argument);

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

  // ---- events. Each is offered to the children first, the top-most (last row) first, then to
  // the element's own callback; presses, characters and messages stop at the first child that takes
  // them (writes an element into *handled), the others visit every child that accepts them. The first
  // non-zero code ends the walk and is answered; the element's own callback then does not run.
  // Points are in this element's local coordinates.
  virtual int32_t HandlePress(CElement** handled, SPointHV point, SWinEvent* event);
  virtual int32_t HandleChar(CElement** handled, SWinEvent* event);
  virtual int32_t HandleDeactivate(SWinEvent* event);
  virtual int32_t HandleActivate(SWinEvent* event);
  virtual int32_t HandleHover(SPointHV point);
  virtual int32_t HandleMessage(CElement** handled, SPointHV point, CUIMessage* message);
  // The draw callback into the port (local point p lies at image position p - the port's origin),
  // then, when it answers 0 and withChildren is set, DrawChildren.
  virtual int32_t Draw(uint32_t pass, CImage* port, bool withChildren);

  // ---- children
  // Makes the container from the layout on first use (9, 13 when it is not usable), then adds the
  // child with the three row words; the container gives it this element as parent.
  virtual int32_t AddChild(CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                           const SDynTableLayout& container);
  // Rebuilds the children from the element's record (read again by its number), fitting the
  // element to them when fit is set and the record asks it; shown again when it was. 0 for an element
  // that was not loaded from a record.
  virtual int32_t ReloadChildren(bool deleteFirst, bool fit);
  // 15, and nothing changes, while the children are being walked.
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
  // The parent's SendMessageUp; 0 without a parent. Roots of host canvases deliver it.
  virtual int32_t SendMessageUp(CUIMessage* message, CElement* sender);
  // The children from the first row to the last (later ones paint over earlier ones), each shown
  // child that accepts drawing and whose bounds meet the port's clip drawn with the port's origin and
  // clip moved into its coordinates (the clip cut to its bounds); the port's origin and clip are put
  // back afterwards.
  virtual int32_t DrawChildren(uint32_t pass, CImage* port);
  // Sets the element's order key in its parent's container: 15 without a valid parent, 6 when the
  // container has no row for it.
  virtual int32_t SetOrder(int32_t orderKey, bool redraw);

  // Alive, and its render image, source environment, children and resource file usable where present.
  bool IsValid() const;

  // ---- loading from the "elem" record, by name when one is given, else by number. A load that
  // fails after the record was read leaves the element hidden with what was set so far.
  int32_t LoadFromResource(CResourceEnv* environment, uint32_t number, const char* name);
  int32_t LoadFromResourceByName(CResourceEnv* environment, const char* name) {
    return LoadFromResource(environment, 0, name);
  }
  // Binds the callbacks that texts 0 to 6 of the text list name (by name when one is given), from
  // the last to the first: an empty text changes nothing, "NULL" clears; 110 without a fragment
  // system, else the first failure, the callbacks bound before it staying bound.
  int32_t BindCallbacks(CResourceEnv* environment, uint32_t number, const char* name);
  // The name of the record the element was loaded from (its resource's own name).
  const char* GetRecordName() const { return fRecordName; }

 protected:
  // Where an element loaded from a record came from.
  void SetSource(CResourceEnv* environment, uint32_t recordNumber);
  // Resolves texts 0 to count - 1 of the text list (by name when one is given) under kinds[i],
  // from the last to the first, and hands bind each entry found, or none for a text that names
  // "NULL"; an empty text changes nothing. 110 without a fragment system; the list's code; else the
  // first failure, the entries bound before it staying bound.
  using BindEntry = void (*)(CElement* element, uint32_t index, void* entry);
  int32_t BindFromList(CResourceEnv* environment, uint32_t number, const char* name, uint32_t count,
                       const uint32_t* kinds, BindEntry bind);

 private:
  struct SRecord;
  static int32_t ReadRecord(CResourceEnv* environment, uint32_t number, const char* name, SRecord* out);

  int32_t SetRectUnder(uint32_t flags, const SRect& wanted, bool redraw);
  // The container, locked and counted busy, visited first to last; fn answers a code.
  template <typename F>
  int32_t WalkChildren(F fn);
  // The event walk: the children sorted, locked and counted busy, visited from the last row to the
  // first; visit answers a code and sets *stop to end the walk there.
  template <typename F>
  int32_t WalkTopDown(F visit);
  bool HasPressCallback() const { return fPressCallback != nullptr; }
  // What the record gives the element itself (names, geometry, flags), its own resource file, then
  // its children, callbacks and fitting; hidden first, shown at the end when the record asks it.
  int32_t TakeRecord(const SRecord& record);
  // The children's element set of the record, from the own resource file or else the source.
  int32_t LoadChildren(const SRecord& record);
  int32_t FitLoaded(const SRecord& record);
  void SetCallbackOfKind(uint32_t index, void* callback);
  int32_t RedrawIfShown(bool redraw) { return redraw && IsShown() ? Redraw() : 0; }

  CElSystem* fChildren = nullptr;
  CResourceEnv* fResourceFile = nullptr;
  uint32_t fRecordNumber = 0;
  char fRecordName[kRecordTextBytes] = {};
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

  // The element of that name, looked for from the first row or from the last: 6 when there is
  // none, 16 for a missing container or name.
  static int32_t FindElement(CElSystem* container, const char* name, CElement** element, bool fromLast);
  // The element of row index: 16 past the count.
  static int32_t GetElementAt(CElSystem* container, uint32_t index, CElement** element);
  // A path of names joined by "|", each looked up among the children of the one before; every
  // leading "|" moves up to the parent. 6 for no parent, no children, an empty name or no such
  // element; 19 for a name longer than 31 characters.
  static int32_t FindByName(CElement* start, const char* path, CElement** element);

 protected:
  int32_t Attach(CExSystemEntry& row) override;
  int32_t Detach(CExSystemEntry& row) override;

 private:
  CElement* fOwnerElement = nullptr;
};

// The draw hook of an element whose user word 0 holds the handle of an image (of the given tag):
// in pass 0 the image is drawn at the element's place. 0, or 9 when it cannot be drawn.
int32_t DrawHeldImage(CElement* element, uint32_t pass, CImage* port, uint32_t imageTag);
