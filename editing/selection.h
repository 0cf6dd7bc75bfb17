// The selection set: the scene objects the user selected, in the order of selection, never one twice.
// Whether an object is selected is kept twice, in the object's selected bit and in this list; every
// operation here keeps the two in step and tells the object's parent group, which counts its
// selected members. The 3D view reads the set through CViewSelection and writes the handle points
// back into it.
#pragma once

#include <cstdint>

#include "framework/core/dyn_table.h"
#include "framework/core/vector3.h"
#include "render/view_selection.h"
#include "scene/object.h"

class C3dBaseSpoolTable;
class C3dBaseSys;
class C3dDocument;
class C3dObject;
class CDeleteAction;

// What a handle drag carries from step to step; the caller owns it and passes it to every call.
struct SHandleDrag {
  // The modifier mask: kMaskBase, plus a bit for each modifier key held.
  enum : uint32_t { kMaskBase = 1, kMaskControl = 2, kMaskShift = 4, kMaskAlt = 8 };

  int32_t handle = 0;
  int32_t movement[2] = {};  // this step's pointer movement in pixels (x, y)
  vector3<double> centre;    // of the world box of the object being processed
  uint8_t firstStep = 1;     // until the first rotation step
  SQuaternion rotation;      // accumulated over the drag; the caller starts it at the identity
  uint32_t modifiers = 0;
};

class CSelection : public CViewSelection {
 public:
  static constexpr int32_t kGrowthStep = 32;
  static constexpr int32_t kHandleHitSize = 3;
  // The axes the drags and nudges use.
  enum : uint32_t { kWorldAxes = 0, kObjectAxes = 1, kCameraAxes = 2 };
  // What a handle drag does.
  enum : uint32_t { kResize = 1, kRotate = 2 };
  // GetButtonMask: one bit per overlay button of the document window, in the buttons' order.
  enum : uint32_t {
    kMaterialButton = 0x01,
    kAttributesButton = 0x02,
    kEditButton = 0x04,
    kGroupButton = 0x08,
    kUngroupButton = 0x10,
    kFamilyButton = 0x20,
    kLandUpButton = 0x40,    // the selection reaches below the ground
    kLandDownButton = 0x80,  // the selection floats above it
  };

  explicit CSelection(C3dDocument* document);
  // Frees the tables only; the objects are never touched.
  ~CSelection() override;
  CSelection(const CSelection&) = delete;
  CSelection& operator=(const CSelection&) = delete;

  // Selects the object: nothing for a locked object or a member of a locked group unless force, or
  // for one already selected; exclusive first deselects every other. When the list cannot grow the
  // object stays unselected.
  void Add(C3dObject* object, uint8_t exclusive, uint8_t force);
  // Nothing unless the object is selected and listed.
  void Deselect(C3dObject* object);
  // Empties the list; with notify the objects lose their selected bits (their groups told), without
  // it they keep them, for callers about to delete or replace them.
  void DeselectAll(uint8_t notify);
  // Appends every object of the list (locked by the caller) whose selected bit is set, in order,
  // telling its group; the list is neither cleared nor checked for objects already listed.
  void AddSelectedOf(C3dBaseSpoolTable* objects);
  // Moves the selection out of the scene into the action, a group's members before the group;
  // cameras and group members selected on their own stay in the scene, unselected.
  void ExtractSelected(CDeleteAction* action);
  // Deletes one listed object from the scene, through the action when it is valid, else directly;
  // nothing for the camera or an object not listed.
  void Remove(CDeleteAction* action, C3dObject* object);
  // Drops from the list every object that another table owns, changing no flags.
  void RemoveNotOwnedBy(C3dBaseSys* table);
  // The overlay buttons for the selection; answers how many buttons the mask names.
  uint32_t GetButtonMask(uint32_t* mask);

  // Whether the object is listed.
  bool Contains(const C3dObject* object) const;
  C3dDocument* GetDocument() const { return fDocument; }
  CDynTable<C3dObject*>& GetList() { return fObjects; }

  uint32_t GetCoordinateMode() const { return fCoordinateMode; }
  void SetCoordinateMode(uint32_t mode) { fCoordinateMode = mode; }
  uint32_t GetEditKind() const { return fEditKind; }
  void SetEditKind(uint32_t kind) { fEditKind = kind; }
  // Class and family tags of the object added last; selection by kind starts from them.
  uint32_t GetLastClassTag() const { return fLastClassTag; }
  uint32_t GetLastFamilyTag() const { return fLastFamilyTag; }
  int32_t GetListPosition() const { return fListPosition; }
  void SetListPosition(int32_t position) { fListPosition = position; }
  // Where the last scene draw put handle index (0 to 14), and the world point it stands for.
  void GetHandle(uint32_t index, int32_t* x, int32_t* y) const;
  vector3<double> GetHandleWorldPoint(uint32_t index) const;

  // ---- dragging the selection (selection_drag.cpp)
  // Handles 0 to 5 are the faces (pairs across x, y, z), 6 to 13 the corners, 14 the centre.
  static constexpr int32_t kFirstCorner = 6;
  static constexpr int32_t kCentreHandle = 14;
  // Pointer travel that makes one snapped step while Shift is held.
  static constexpr int32_t kSnapPixels = 20;
  // The axis override: the edit palette's drags name the axes instead of the modifier keys.
  enum : uint32_t { kOverrideFirstAxis = 1, kOverrideSecondAxis = 2, kOverrideThirdAxis = 4, kOverrideUniform = 8 };
  void SetAxisOverride(bool on, uint32_t mask) {
    fAxisOverride = on;
    fAxisOverrideMask = mask;
  }
  bool IsAxisOverride() const { return fAxisOverride; }
  uint32_t GetAxisOverrideMask() const { return fAxisOverrideMask; }
  // Whether the key is held now, as a drag loop that does not pump must read it; false while the
  // application is not active.
  static bool IsKeyHeld(uint32_t virtualKey);
  // The mask of the modifier keys held now (SHandleDrag's bits).
  static uint32_t ModifierMask();

  // The first of handles 0 to 13 whose point lies within the hit size of the screen point in both
  // directions; the centre is never hit. False for an empty selection.
  bool HitTestHandle(int32_t x, int32_t y, int32_t* handle) const;
  // Resets the snap accumulators and the record; every unlocked object keeps its rotation (rotate)
  // or its size and position (resize) as its drag start. False for a handle outside 0 to 14.
  bool BeginHandleDrag(int32_t handle, SHandleDrag* drag);
  // One step of the pointer's movement: resizes or rotates every listed object but locked ones and
  // the camera. A change of the modifier keys first puts the objects back to their drag start.
  bool DragHandleStep(int32_t dx, int32_t dy, SHandleDrag* drag);
  // Starts a move in the plane through the point that faces the current camera; every unlocked
  // object keeps its position as its drag start.
  void BeginPlaneMove(const vector3<double>& point);
  void SetLastPoint(int32_t x, int32_t y);
  // Moves the listed objects by where the pointer's ray meets the plane since the last step (one
  // axis only, by the modifier keys or the override) and hands the move back; nothing moves, and
  // the move is zero, for a ray along the plane.
  void PlaneMoveStep(int32_t x, int32_t y, vector3<double>* translation);
  // Set while a move drag has begun moving.
  bool IsMoveUnderWay() const { return fMoveUnderWay != 0; }
  void SetMoveUnderWay(bool moving) { fMoveUnderWay = moving ? 1 : 0; }

  // ---- operations on the whole selection and selection by kind (selection_ops.cpp)
  // The world box coordinate that align and snap bring into line; align also has all three centres.
  enum : uint32_t {
    kLowestX,
    kCentreX,
    kHighestX,
    kLowestY,
    kCentreY,
    kHighestY,
    kLowestZ,
    kCentreZ,
    kHighestZ,
    kAllCentres,
  };
  static constexpr double kGridStep = 2.0;
  // The kinds the selection palette steps through: the thirteen shapes, then the five lights.
  static constexpr uint32_t kKindCount = 18;
  // Moves every unlocked object so that its box coordinate of the mode meets the first listed
  // object's, recorded as one matrix action (objects already in line count). False for a mode
  // above kAllCentres; fewer than two objects change nothing.
  bool AlignToFirst(uint32_t mode);
  // Moves every unlocked object along the mode's axis so that its box coordinate lands on the
  // nearest multiple of kGridStep (a remainder of exactly half a step goes away from zero); records
  // nothing. False for a mode above kHighestZ.
  bool SnapToGrid(uint32_t mode);
  // The amount on x (directions 0, 1), y (2, 3) or z (4, 5) in the coordinate mode's axes, moving
  // every object but locked ones and the camera; scaled: times the object's distance from the
  // camera and its field angle, so that a nudge looks alike near and far. Records nothing.
  void NudgeSelection(int32_t amount, uint32_t direction, uint8_t scaled);
  void NudgeSelectionBy(double amount, uint32_t direction, uint8_t scaled);
  // Draws, for each listed object in turn, a position offset within ±position, a rotation offset
  // within ±rotationDegrees and a size factor of 0.95 … 1.05 times scale, from the framework's
  // generator.
  void PrepareRandomize(const vector3<double>& position, const vector3<double>& rotationDegrees, double scale);
  // Moves each object but locked ones and the camera a tenth of step along its position offset,
  // turns it by step times its rotation offset and multiplies (step < 0: divides) its size by its
  // factor; a group's unlocked members, at every depth, each take the group's offsets.
  void ApplyRandomizeStep(int32_t step);
  // The navigation of the selection palette over the window's object list. The found object becomes
  // the only selection; while Shift is held it is added instead, or deselected when it was selected.
  // Each answers false when the list holds nothing to find.
  // The next kind (after the last, the first) that the list holds: its tags, found or not.
  bool SelectNextKind(uint32_t* classTag, uint32_t* familyTag);
  bool SelectPreviousKind(uint32_t* classTag, uint32_t* familyTag);
  // The next (previous) object of the last added object's kind after (before) the list position,
  // wrapping round; its index becomes the list position and the palette's object index.
  bool SelectNextOfKind();
  bool SelectPreviousOfKind();
  // The first (last) object of the kind: its index becomes the list position and *position.
  bool SelectFirstOfKind(uint32_t classTag, uint32_t familyTag, int32_t* position);
  bool SelectLastOfKind(uint32_t classTag, uint32_t familyTag, int32_t* position);
  bool SelectFirstObject();
  bool SelectLastObject();
  // The object after (before) the first selected one in the list, wrapping round; the first (last)
  // when nothing is selected.
  bool SelectNextObject();
  bool SelectPreviousObject();
  // The navigation's place, one for the whole program: the kind (0 to 17) and the palette's object
  // index, 0 when the kind changes and the index of each object found.
  static uint32_t GetKindIndex();
  static int32_t GetPaletteObjectIndex();

  // ---- CViewSelection: the box in the object's own axes is the object-axes mode.
  uint32_t GetBoxMode() const override { return fCoordinateMode; }
  uint32_t GetCount() const override { return fObjects.GetCount(); }
  C3dObject* GetObject(uint32_t index) const override;
  int32_t GetHandleSize() const override { return fHandleSize; }
  void SetHandle(uint32_t index, int32_t x, int32_t y, const vector3<double>& world) override;

 private:
  // Clears the object's selected bit and tells its group.
  static void Unmark(C3dObject* object);
  // A group's members (inner groups walked first), then the group, into the action.
  static void ExtractGroup(C3dObject* object, CDeleteAction* action);
  uint32_t IndexOf(const C3dObject* object) const;
  // A drag step's values, the same for every object.
  struct SDragStep;
  void PrepareDragStep(const SHandleDrag& drag, SDragStep* step);
  void DragAxes(const SDragStep& step, C3dObject* object, vector3<double> (&axes)[3]) const;
  void ScaleThreeAxes(const SDragStep& step, C3dObject* object, const vector3<double>& anchor, bool clamp) const;
  void FaceResize(const SHandleDrag& drag, const SDragStep& step, C3dObject* object) const;
  void CornerResize(const SHandleDrag& drag, const SDragStep& step, C3dObject* object) const;
  void FaceRotate(SHandleDrag& drag, const SDragStep& step, C3dObject* object) const;
  void CornerRotate(SHandleDrag& drag, const SDragStep& step, C3dObject* object) const;
  // The current camera's viewing direction u and up vector v (defaults without a camera).
  void CameraAxes(vector3<double>* u, vector3<double>* v) const;

  C3dDocument* fDocument = nullptr;
  uint32_t fCoordinateMode = kWorldAxes;
  uint32_t fEditKind = kResize;
  CDynTable<C3dObject*> fObjects;
  int32_t fHandles[kHandleCount][2] = {};
  vector3<double> fHandleWorld[kHandleCount];
  int32_t fHandleHitSize = kHandleHitSize;
  int32_t fHandleSize = kHandleHitSize;
  uint32_t fLastClassTag = 0;
  uint32_t fLastFamilyTag = 0;
  int32_t fListPosition = 0;
  bool fAxisOverride = false;
  uint32_t fAxisOverrideMask = 0;
  // The snap accumulators of a handle drag: A resizes and turns about a face's axis, B turns freely.
  int32_t fSnapA = 0;
  int32_t fSnapB = 0;
  // The move drag.
  vector3<double> fPlanePoint;
  vector3<double> fPlaneNormal;
  int32_t fLastPoint[2] = {};
  vector3<double> fLastHit;
  uint8_t fMoveUnderWay = 0;

  // ---- operations on the whole selection (selection_ops.cpp)
  // Selects the object found by the navigation, Shift toggling it.
  void SelectFound(C3dObject* object);
  // The list's first entry of the kind from the cursor on (forward) or down, and its index; null
  // when there is none.
  C3dObject* FindOfKind(uint32_t classTag, uint32_t familyTag, int32_t from, bool forward, int32_t* index);
  // The found object at the index selected, the index the list position and *position: false for none.
  bool SelectAt(C3dObject* object, int32_t index, int32_t* position);
  void Nudge(const vector3<double>& amounts, double scaleFactor, uint8_t scaled);
  // The random offsets of PrepareRandomize, one row per listed object.
  CDynTable<vector3<double>> fRandomPosition{SRange{0, kGrowthStep}};
  CDynTable<vector3<double>> fRandomRotation{SRange{0, kGrowthStep}};
  CDynTable<vector3<double>> fRandomScale{SRange{0, kGrowthStep}};
};
