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

class C3dBaseSpoolTable;
class C3dBaseSys;
class C3dDocument;
class C3dObject;
class CDeleteAction;

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
  // Where the last scene draw put handle index (0 to 14).
  void GetHandle(uint32_t index, int32_t* x, int32_t* y) const;

  // ---- CViewSelection: the box in the object's own axes is the object-axes mode.
  uint32_t GetBoxMode() const override { return fCoordinateMode; }
  uint32_t GetCount() const override { return fObjects.GetCount(); }
  C3dObject* GetObject(uint32_t index) const override;
  int32_t GetHandleSize() const override { return fHandleSize; }
  void SetHandle(uint32_t index, int32_t x, int32_t y) override;

 private:
  // Clears the object's selected bit and tells its group.
  static void Unmark(C3dObject* object);
  // A group's members (inner groups walked first), then the group, into the action.
  static void ExtractGroup(C3dObject* object, CDeleteAction* action);
  uint32_t IndexOf(const C3dObject* object) const;

  C3dDocument* fDocument = nullptr;
  uint32_t fCoordinateMode = kWorldAxes;
  uint32_t fEditKind = kResize;
  CDynTable<C3dObject*> fObjects;
  int32_t fHandles[kHandleCount][2] = {};
  int32_t fHandleHitSize = kHandleHitSize;
  int32_t fHandleSize = kHandleHitSize;
  uint32_t fLastClassTag = 0;
  uint32_t fLastFamilyTag = 0;
  int32_t fListPosition = 0;
};
