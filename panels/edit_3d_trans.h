// The 3D transformation dialog: moves, turns and scales every selected object of the document window
// by amounts typed in nine numeric fields, each object about its own position (a group about its box
// centre), recorded as one undoable step. Each opening starts from offset 0, rotation 0 and scale
// 100 % on every axis; the edit palette opens it in mode 0 (scale), 1 (rotate) or 2 (offset), which
// picks the field that takes the focus.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class C3dObject;
class CDocumentHost;

class CEdit3dTrans : public CLayoutHostCanvas {
 public:
  enum EMode : int32_t { kScaleMode, kRotateMode, kOffsetMode };
  enum EVector : int32_t { kOffset, kRotation, kScale, kVectorCount };
  static constexpr double kOffsetLimit = 99999;
  static constexpr double kRotateLimit = 999;
  // A scale that would leave an axis smaller than this leaves the axis as it was.
  static constexpr double kLeastSize = 0.01;

  CEdit3dTrans(CUICmFunction* owner, CResourceEnv* environment);
  ~CEdit3dTrans() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  // Brought to the front, the current field takes the keyboard.
  bool Activate() override;

  // On the current document window: the fields reset, the mode's field focused. 0.
  int32_t Open(int32_t mode);
  // load: every field back to its start; otherwise the values applied to the selection, one undoable
  // step unless they change nothing: 0, or the undo push's code.
  int32_t SyncSelection(bool load);

  vector3<double> GetValues(EVector vector) const { return fValues[vector]; }
  CTextEdit* GetField(uint32_t index) const;
  CElement* GetFieldElement(uint32_t index) const { return index < kFieldCount ? fFieldElements[index] : nullptr; }
  static SNumericFields& Fields();

 private:
  static constexpr uint32_t kFieldCount = 9;

  void ReleaseFields();
  void OnFieldValue(const char* name);
  bool IsIdentity() const;
  // Whether the object changed.
  bool ApplyToObject(C3dObject* object);
  int32_t Apply();

  CDocumentHost* fHost = nullptr;
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fFieldElements[kFieldCount] = {};
  vector3<double> fValues[kVectorCount];
};
