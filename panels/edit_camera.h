// The camera editor: the exact placement of the document window's current camera typed into ten
// numeric fields, its position and orientation (yaw, pitch and roll in degrees), field of view, pans
// in pixels of the window's image and scale in percent. "ok" writes them back into the camera and
// redraws the window; no undo step is recorded.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class C3dCamera;
class CDocumentHost;

class CEditCamera : public CLayoutHostCanvas {
 public:
  enum EField : uint32_t {
    kOffsetX,
    kOffsetY,
    kOffsetZ,
    kRotateX,
    kRotateY,
    kRotateZ,
    kFieldOfView,
    kPanV,
    kPanH,
    kScale,
    kFieldCount,
  };
  static constexpr double kDisplayScale = 1024.0 / 100.0;

  CEditCamera(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditCamera() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  // Brought to the front, the current field takes the keyboard.
  bool Activate() override;

  // Loads the fields from the window's current camera: 0, or 1 when it cannot be locked.
  int32_t SetCamera(CDocumentHost* window);
  // Shows the dialog as the top modal level with "offset x" focused: 0.
  int32_t Open();
  // load: the camera into the fields; otherwise the fields into the camera. 0, or 1 when there is
  // no camera or it cannot be locked.
  int32_t SyncCamera(bool load);

  // The value behind a field (position in display units, angles in degrees, pans in pixels, scale
  // in percent).
  double GetValue(EField field) const { return fValues[field]; }
  CTextEdit* GetField(uint32_t index) const;
  CElement* GetFieldElement(uint32_t index) const { return index < kFieldCount ? fFieldElements[index] : nullptr; }
  static SNumericFields& Fields();

 private:
  void ReleaseFields();
  int32_t OnFieldValue(const char* name);
  void FillFields();
  void LoadFrom(C3dCamera& camera, SPointHV image);
  void WriteTo(C3dCamera& camera, SPointHV image);

  CDocumentHost* fHost = nullptr;
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fFieldElements[kFieldCount] = {};
  double fValues[kFieldCount] = {};
};

// The yaw, pitch and roll (radians) that turn the default camera (looking along +z, up +y) into
// direction d with up vector u by its TurnB (pitch), TurnA (minus the yaw) and RotateEyeAndTarget
// (roll); looking straight up or down the yaw is 0 and the roll takes the rest.
vector3<double> CameraAngles(const vector3<double>& d, const vector3<double>& u);
