// The roots of host canvases. A CHoElement sits at the top of a host canvas's element tree: its
// parent space is the canvas and its root space the screen, so coordinate conversions, clipping, hit
// tests and redraw requests of the whole tree end at the canvas's window, and what the tree sends up
// reaches the canvas. It also holds the tree's drawing: the areas a redraw asks for are composed,
// pass by pass, into the render images of the elements that have them, over the canvas's backdrop,
// and copied to the window; what no render image covers is drawn from the backdrop alone.
//
// CUIHostElement is the root of a CUIHostCanvas: a UI message flagged broadcast goes to the owner's
// broadcaster, any other to its own canvas, and the root counts as hidden while the window is.
#pragma once

#include <cstdint>

#include "framework/ui/element.h"

class CHoCanvas;
class CImage;
class CUIHostCanvas;

class CHoElement : public CElement {
 public:
  static constexpr uint32_t kDefaultLayers = 3;
  // What a root accepts besides press and draw: characters, hover and UI messages.
  static constexpr uint32_t kRootEvents = kEventMaskChar | kEventMaskHover | kEventMaskMessage | kEventMaskDraw;

  CHoElement(CHoCanvas* canvas, const SElementDesc& desc);
  ~CHoElement() override;

  // Valid, with a host canvas and without a parent element.
  bool IsHostedRoot() const;
  CHoCanvas* GetHostCanvas() const { return fCanvas; }
  // The drawing passes of the canvas.
  uint32_t GetLayerCount() const { return fLayers; }
  void SetLayerCount(uint32_t layers) { fLayers = layers; }
  // Set by every redraw request and by a resize of the canvas; cleared by a redraw that succeeds.
  bool IsDirty() const { return fDirty != 0; }
  void SetDirty(bool dirty) { fDirty = dirty ? 1 : 0; }

  // ---- drawing, each area in the local coordinates of the element named
  // Draws the area of this root to the window: where a render image of the tree covers it, composed
  // into that image (with compose set) and copied; elsewhere from the canvas's backdrop. 0, or the
  // first code met.
  int32_t UpdateRect(const SRect& area, bool compose);
  // The element's part of the area: through its render image when it has one (covered: the part
  // drawn, in this root's coordinates), else through its children.
  int32_t UpdateElement(CElement* element, const SRect& area, SRect* covered, bool compose);
  // The children from the first row on, until one covers something.
  int32_t UpdateChildren(CElement* element, const SRect& area, SRect* covered, bool compose);
  // The canvas's backdrop into the image outside what the element covers itself, then every pass of
  // the tree; rect in canvas coordinates, the image placed by its origin in canvas coordinates.
  int32_t ComposeLayers(CImage* image, CElement* element, const SRect& rect);

  // ---- CElement
  void ConstrainRect(SRect* out, const SRect& wanted) override;
  void RootToLocalRect(SRect* out, const SRect& rect) override;
  void RootToLocalPoint(SPointHV* out, SPointHV point) override;
  void LocalToRootRect(SRect* out, const SRect& rect) override;
  void LocalToRootPoint(SPointHV* out, SPointHV point) override;
  // The tree ends here: stopAt is not used.
  void ClipToRects(SRect* out, const SRect& rect, CElement* stopAt) override;
  bool IsPointInRects(SPointHV point, CElement* stopAt) override;
  void ClipToBounds(SRect* out, const SRect& rect, CElement* stopAt) override;
  bool IsPointInBounds(SPointHV point, CElement* stopAt) override;
  // Each sets the root dirty and has the canvas redraw the area now: 1 when that fails, else 0.
  int32_t InvalidateInParent(const SRect& parentRect) override;
  int32_t InvalidateLocalInRect(const SRect& localRect) override;
  int32_t InvalidateRect() override;
  int32_t Invalidate(const SRect& localRect) override;
  int32_t Redraw() override;
  // The canvas's OnElementMessage.
  int32_t SendMessageUp(CUIMessage* message, CElement* sender) override;

 private:
  // A local rect cut to own (in the canvas) and to the canvas; an empty one unchanged.
  void ClipToCanvas(SRect* out, const SRect& rect, const SRect& own);
  bool IsPointOnCanvas(SPointHV point, const SRect& own);
  int32_t RedrawOnCanvas(const SRect& canvasRect);

  CHoCanvas* fCanvas = nullptr;
  uint32_t fLayers = kDefaultLayers;
  uint8_t fDirty = 1;
};

class CUIHostElement : public CHoElement {
 public:
  CUIHostElement(CUIHostCanvas* canvas, const SElementDesc& desc);
  ~CUIHostElement() override;

  // Its own shown byte, and the window showing.
  bool IsShown() const override;
  // Broadcast (flag 1): the owner's Dispatch; otherwise the canvas's HandleEvent.
  int32_t SendMessageUp(CUIMessage* message, CElement* sender) override;

 private:
  CUIHostCanvas* fHost = nullptr;
};
