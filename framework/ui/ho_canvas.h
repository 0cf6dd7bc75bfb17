// The host canvas: an image canvas that hosts a tree of elements under one root, a CHoElement named
// "$root element$". Its 'hoca' record names the "elem" record the root and its children are built
// from. Presses, characters and application (de)activation go to the root; the heartbeat polls the
// pointer for hover; a redraw composes the tree, pass by pass, into the elements' render images over
// the backdrop and copies them to the window. Failed redraws are reported at most once per
// kDrawErrorInterval ticks.
#pragma once

#include <cstdint>

#include "framework/ui/element.h"
#include "framework/ui/im_canvas.h"

class CHoElement;
class CResourceEnv;
class CSpoolMem;
class CUIMessage;

class CHoCanvas : public CImCanvas {
 public:
  static constexpr const char* kRootName = "$root element$";
  static constexpr int64_t kDrawErrorInterval = 180;  // ticks

  // The stored 'hoca' record: big-endian, at least kRecordBytes long, named or numbered as the
  // canvas's "canv" record.
  static constexpr const char* kRecordType = "hoca";
  static constexpr uint32_t kRecordBytes = 68;
  enum ERecordOffset : uint32_t {
    kRecordElementId = 24,
    kRecordElementName = 28,
    kRecordLayers = 60,
    kRecordFlags = 64,
  };
  enum ERecordFlag : uint32_t {
    kHasTree = 0x1,
    kElementByName = 0x2,
    kElementOwnKey = 0x4,  // the "elem" record has the 'hoca' record's own name or number
  };

  // The 'hoca' record handler: after reading and around writing it turns the words at 24, 60 and 64
  // around and refuses (2) a record shorter than 68 bytes or of another tag or version.
  static uint32_t HocaRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument);

  // frame in screen coordinates; description: the root's (null: one of the frame's size, shown and
  // alternate). The root is made hidden, laid out to fill the canvas, and shown when no description
  // was given or the description asks it; showNow shows a ready canvas.
  CHoCanvas(const SRect& frame, const SElementDesc* description, bool showNow, uint32_t style, const CImVector* color,
            int32_t priority);
  // Leaves the heartbeat before the root goes.
  ~CHoCanvas() override;

  // The canvas and its picture valid, the hover poll on the heartbeat, and a valid hosted root.
  bool IsReady() const;
  // Titles the window with the name, then LoadFromResource by that name.
  int32_t Create(CResourceEnv* environment, const char* name);
  // The image canvas's records, then the 'hoca' record of the same name (when one is given) or
  // number, its layer count, and the root and its children from the "elem" record it names.
  int32_t LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name);

  // The heartbeat's callback: a hover event to the root with the pointer in its coordinates, at most
  // once per hover interval; 0.
  static int32_t IdleHover(void* canvas, void* record, void* data);

  // Resizes, lays the root out again and sets it dirty; false when either fails.
  virtual bool MoveResize(SPointHV size, bool repaint);
  // What the root sends up; a plain host canvas ignores it (0).
  virtual int32_t OnElementMessage(CUIMessage* message, CElement* sender);
  // A UI message down the tree: the root's HandleMessage.
  virtual int32_t DeliverMessage(CElement** handled, SPointHV point, CUIMessage* message);

  CHoElement* GetRoot() const { return fRoot; }
  uint32_t GetHoverInterval() const { return fHoverInterval; }
  void SetHoverInterval(uint32_t ticks) { fHoverInterval = ticks; }

  // ---- CCanvas: events go to the root (26 when an element took a press or character, else 0;
  // the root's error codes go to the application's error report).
  int32_t OnPointerPress(SWinEvent& event) override;
  int32_t OnCharacter(SWinEvent& event) override;
  int32_t OnAppDeactivate(SWinEvent& event) override;
  int32_t OnAppActivate(SWinEvent& event) override;
  // Composes the tree over the area (null: the whole canvas) when the window shows; always true.
  bool Redraw(const SRect* rect) override;

 protected:
  // The root becomes this one; the old root is deleted.
  void ReplaceRoot(CHoElement* root);

 private:
  bool IsCanvasValid() const;
  void ReportDrawError(int32_t error);

  CHoElement* fRoot = nullptr;
  int64_t fLastHoverTick = 0;
  uint32_t fHoverInterval = 0;
  int64_t fLastDrawErrorTick = 0;
  bool fDrawErrorSeen = false;  // the first failure is always reported
  int64_t fDrawErrorInterval = kDrawErrorInterval;
  uint8_t fHeartbeatRegistered = 0;
};
