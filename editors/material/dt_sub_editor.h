// The component sub-editor of the 3D texture editor: a modal dialog over one of a procedural texture's
// seven noise parameter sets (the noise and the phase of components A to C, and the global phase),
// each a packed component code (dimension, noise type, octave count and mode), two angles and three
// frequencies. Its controls keep the values in their elements' user words; every change is written
// straight into the texture the editor works on and drawn as a shaded cube ("dtsimage"). Cancel
// writes back what the set held when it was opened; OK keeps the changes.
//
// The set's octave count and dimension are read from its code and written with it, so that the set's
// own fields agree with its code before the texture is prepared again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editors/material/component_preview.h"
#include "editors/material/layout_needs.h"
#include "framework/ui/layout_host_canvas.h"

class C3dTexture;
class CElement;
class CImElement;
class CMenu;
class CResourceEnv;
class CTxElement;
struct SWinEvent;

class CDTSubEditor : public CLayoutHostCanvas {
 public:
  // The pop-up menus, as ChooseFromMenu takes them.
  enum EMenu : int { kNoiseMenu, kModeMenu };
  static constexpr int32_t kAngleLimit = 360;
  static constexpr int32_t kOctaveLimit = 8;

  CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment);
  // The menus go, and the heartbeat row.
  ~CDTSubEditor() override;

  // The canvas, its callbacks, menus 6 and 1, the controls and the heartbeat row: 0, the canvas's or
  // the menus' code, or 13 when the heartbeat refuses the row.
  int32_t BuildControls(CResourceEnv* environment) override;

  // The set: the group ("compA" to "compC", or "DTEditor" for the global phase), the element that
  // names it ("noiseTypeMenu", "phaseType", "compGPhaseType") and the texture; the library is not
  // kept. A pair that names no set leaves the texture alone.
  void SetTarget(const char* group, const char* element, C3dTexture* texture, CResourceEnv* library);
  // The controls from the set and the snapshot Cancel restores, then the full preview: 0.
  int32_t LoadTarget();
  // The controls into the set, the code packed from them.
  void StoreTarget();
  // The snapshot back into the set.
  void RestoreTarget();
  // Pops up the noise types or the modes at the screen point: a chosen row r gives the strip the
  // value r - 1.
  void ChooseFromMenu(SPointHV point, int which);

  // Nothing while hidden; "dtsOk" closes, "dtsCancel" restores and closes (both answer 0, so that the
  // editor under it hears them too); a message of its own controls stores and renders.
  int32_t HandleEvent(CUIMessage* message) override;
  static int32_t OnHeartbeat(void* editor, void* record, void* data);

  // The text placed centred in the readout.
  static void SetReadout(CTxElement* readout, const char* text);
  // A readout's value: its user word and its text.
  void ShowValue(uint32_t readout, int32_t value);

  // The values of the controls, as the renderers take them.
  SComponentPreviewParams PreviewParams() const;
  // Into "dtsimage", drawn at once: the full preview, or the fast one.
  void RenderPreview(bool fast);

  // ---- press callbacks of the layout's elements
  static int32_t OnPlainPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnDimensionPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnValueDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnStepDown(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnStepUp(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnRotateDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnTranslateDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

  // ---- what the tests and the editor read
  const char* GetTargetGroup() const { return fTargetGroup.c_str(); }
  const char* GetTargetElement() const { return fTargetElement.c_str(); }
  C3dTexture* GetTexture() const { return fTexture; }
  CMenu* GetMenu(int which) const { return which == kNoiseMenu ? fNoiseMenu.get() : fModeMenu.get(); }
  // A control (need::EDTSubControl); a readout is a text element.
  CImElement* GetControl(uint32_t control) const { return control < need::kDTSubControlCount ? fControls[control] : nullptr; }
  CTxElement* GetReadout(uint32_t readout) const;
  int32_t GetDimension() const { return fDimension; }
  // The sub-editor whose tree holds the element.
  static CDTSubEditor* EditorOf(CElement* element);

 private:
  struct SSnapshot {
    int32_t angleXY = 0;
    int32_t angleYZ = 0;
    int32_t frequency[3] = {};
    int32_t code = 0;
  };

  template <typename Work>
  void WithTargetSet(bool changed, Work work);
  int32_t LoadMenus();
  int32_t FindControls();
  void BindControls();
  bool SubscribeHeartbeat();
  void FreeBuilt();
  // The dimension's button lit and the other two dark; another dimension changes none.
  void ShowDimension(int32_t dimension);
  // The readout's value moved by delta, when it lies within its range; held to the range.
  void MoveValue(uint32_t readout, int64_t delta);
  void Step(CElement* button, int32_t direction);
  // The element's message to this canvas, as a press sends it.
  static int32_t Post(CElement* element, SPointHV point);

  // Copies: the names come from a message.
  std::string fTargetGroup;
  std::string fTargetElement;
  C3dTexture* fTexture = nullptr;
  std::unique_ptr<CMenu> fNoiseMenu;
  std::unique_ptr<CMenu> fModeMenu;
  SSnapshot fSnapshot;
  CImElement* fControls[need::kDTSubControlCount] = {};
  int32_t fDimension = 0;
};
