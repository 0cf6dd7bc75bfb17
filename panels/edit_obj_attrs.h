// The object attributes dialog: what the selected objects of the document window have in common, their
// position, rotation and size in nine numeric fields and their boolean role, locked and show-as-box
// flags in five checks, edited and applied to every selected object as one undoable step.
//
// An axis whose objects differ is unknown: its field is empty and "ok" leaves each object's own value.
// The roles and the two flags read as mixed in the same way and are written only when known or
// touched. Opened by 'attr' (Open, then shown by the caller), by the document window's "attr chiclet"
// next to the pointer (a drag over the checks while the button is held toggles them, applied at the
// release), and brought forward again by "edit objattrs" from another canvas.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class C3dBaseSys;
class C3dObject;
class CDocumentHost;
class CImElement;

class CEditObjAttrs : public CLayoutHostCanvas {
 public:
  // Positions and sizes are shown at 10.24 display units per world unit.
  static constexpr double kDisplayScale = 1024.0 / 100.0;
  static constexpr double kWorldScale = 0.09765625;
  static constexpr double kOffsetLimit = 99999;
  static constexpr double kRotateLimit = 999;
  enum ETriState : int32_t { kOff, kOn, kMixed };
  enum ERole : int32_t { kPositive, kNegative, kIntersect, kRoleCount };
  enum EVector : int32_t { kPosition, kRotation, kSize, kVectorCount };
  struct SFieldVector {
    double value[3] = {};
    bool known[3] = {true, true, true};
  };

  CEditObjAttrs(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditObjAttrs() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  // Brought to the front, the current field takes the keyboard.
  bool Activate() override;

  // The window becomes the edited one and its selection is read; "offset x" takes the focus. 0, or 6
  // with nothing selected (the dialog as it was).
  int32_t Open(CDocumentHost* window);
  // load: the selection into the dialog (6 with nothing selected). Otherwise the dialog onto every
  // selected object, one undoable step when anything was typed or pressed since the reading: 0 or
  // the undo push's code.
  int32_t SyncSelection(bool load);

  const SFieldVector& GetValues(EVector vector) const { return fValues[vector]; }
  bool GetRole(ERole role) const { return fRole[role] != 0; }
  ETriState GetLocked() const { return fLocked; }
  ETriState GetShowAsBox() const { return fShowAsBox; }
  CTextEdit* GetField(uint32_t index) const;
  CElement* GetFieldElement(uint32_t index) const { return index < kFieldCount ? fFieldElements[index] : nullptr; }
  CImElement* GetCheck(uint32_t index) const;
  // The fields' shared state: the current field and the value last read.
  static SNumericFields& Fields();

 private:
  static constexpr uint32_t kFieldCount = 9;
  static constexpr uint32_t kCheckCount = 5;
  enum ECheck : uint32_t { kLockedCheck = 3, kShowAsBoxCheck = 4 };

  static int32_t OnRoleCheckPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

  void ReleaseFields();
  int32_t OpenFromChiclet();
  void PlaceNearPointer();
  void TrackDragToggle();
  void FocusFirstField();
  // Reading: the first object read whatever it is, the others merged when they count.
  void ReadObject(C3dObject* object, SFieldVector* out);
  void MergeObject(C3dObject* object);
  void CountFlags(C3dObject* object);
  // Whether the object was changed.
  bool ApplyToObject(C3dObject* object);
  int32_t ApplySelection(C3dBaseSys* table);
  void SetGroupShowAsBox(C3dObject* group, bool on);
  void OnFieldValue(const char* name, bool known);
  void ToggleRole(ERole role);
  void ToggleTriState(ETriState* state);
  // Which check the name is: 0 to 4, or -1.
  static int CheckIndex(const char* name);
  void ToggleCheck(int index);
  void UpdateChecks(bool refill);
  void FillFields();

  CDocumentHost* fHost = nullptr;
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fFieldElements[kFieldCount] = {};
  CElement* fChecks[kCheckCount] = {};
  SFieldVector fValues[kVectorCount];
  SFieldVector fMerged[kVectorCount];
  uint8_t fRole[kRoleCount] = {};
  ETriState fLocked = kOff;
  ETriState fShowAsBox = kOff;
  uint32_t fCount = 0;
  uint32_t fCounters[kCheckCount] = {};
  // The roles read alike for the whole selection; a role check pressed since the reading; anything
  // typed or pressed since the reading.
  bool fRolesKnown = true;
  bool fRoleTouched = false;
  bool fTouched = false;
};
