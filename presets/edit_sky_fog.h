// The numeric sky & fog dialog: the sun's direction and the eight sky and fog settings typed as
// numbers into eleven fields, each range checked as it is typed. It works on its own copy of the edit
// state; "ok" makes the copy the program's edit state and lets the message go on to the sky & fog
// palette, which applies it to the scene with an undo step; "cancel" drops the copy. "edit stratus"
// and "edit cumulus" hand the user to the quick 3D texture dialog for that cloud layer's texture;
// its reply gives the sky's own cloud texture the texture chosen and brings the dialog back with the
// values typed before.
#pragma once

#include <cstdint>

#include "editing/sky_services.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class CResourceEnv;

class CEditSkyFog : public CLayoutHostCanvas {
 public:
  // The fields in the order Tab walks them (need::kEditSkyFogFields).
  enum EField : uint32_t {
    kSunX,
    kSunY,
    kSunZ,
    kShadows,
    kFogIntensity,
    kFogHeight,
    kFogHaze,
    kCloudCover,
    kCloudHeight,
    kCloudScale,
    kCloudAmplitude,
    kFieldCount,
  };
  // The cloud layers as the quick 3D texture dialog's library handles name them.
  static constexpr int32_t kStratus = 1;
  static constexpr int32_t kCumulus = 2;

  CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditSkyFog() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  // "ok" stores the copy and answers 0, so that the palette behind it applies it; the reply of the
  // quick 3D texture dialog takes its texture and reopens the dialog.
  int32_t HandleEvent(CUIMessage* message) override;
  // Brought to the front, the current field takes the keyboard.
  bool Activate() override;

  // The record becomes the dialog's copy, shown in the fields with "sun x" focused.
  void OpenWith(const CSkyParams& params);
  // The dialog gives way to the quick 3D texture dialog for a layer (kStratus or kCumulus), whose
  // library handles are resolved in textures; its reply brings the dialog back.
  void HandOverCloudLayer(int32_t layer, CResourceEnv* textures);

  // The program's sky and fog edit state: every field zero until the first document fills it from its
  // scene.
  static CSkyParams GetEditState();
  // The record becomes the edit state; nothing else.
  static void StoreEditState(CSkyParams params);

  // ---- what the tests and the caller read
  const CSkyParams& GetParams() const { return fParams; }
  int32_t GetSunValue(uint32_t axis) const { return axis < 3 ? fSun[axis] : 0; }
  int32_t GetHandedOverLayer() const { return fHandedOver; }
  CTextEdit* GetField(uint32_t index) const { return GetElementWindow(GetFieldElement(index)); }
  CElement* GetFieldElement(uint32_t index) const { return index < kFieldCount ? fFieldElements[index] : nullptr; }
  static SNumericFields& Fields();

 private:
  void ReleaseFields();
  void FillFields();
  // A typed value into the copy, clamped to the field's range first.
  void TakeFieldValue(const char* name);
  void StoreSunDirection();
  // The quick 3D texture dialog's reply: the texture of a non-zero handle into the sky's cloud
  // texture of the layer handed over; then the dialog shows again. 26, or the texture's code.
  int32_t ReturnFromTextureDialog(const CUIMessage& message);
  int32_t TakeCloudTexture(uint32_t handle);
  int32_t* FieldValue(uint32_t index);

  CSkyParams fParams;
  int32_t fSun[3] = {};
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fFieldElements[kFieldCount] = {};
  int32_t fHandedOver = 0;
  CResourceEnv* fTextures = nullptr;
};
