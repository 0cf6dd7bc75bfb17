// The light editor: every selected light of the document at once, its intensity and softness on two
// sliders (percent), its colour on a swatch, three options (visible, no shadows, infinite beam) and a
// gel, the material the light wears, from the material presets or a picture. A preview renders the
// first selected light on the ground of a small scene while the user works; "ok" writes the values
// into every selected light as one undoable step, "cancel" leaves the scene alone.
//
// Opened by "edit light" from another canvas (the document window's edit command on a light); the
// same message while it is shown, as when a gel dialog hands back, refreshes the preview when the gel
// changed.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/ui/layout_host_canvas.h"

class C3dLight;
class C3dMaterial;
class CDocumentHost;
class CGelPictures;
class CImage;
class CImElement;
class CMenu;
class CObjMatPresets;
class CPreviewScene;
class CTxElement;

class CEditLight : public CLayoutHostCanvas {
 public:
  // Stored intensity and softness per percent.
  static constexpr double kIntensityScale = 0.2;
  static constexpr double kSoftnessScale = 0.05;
  enum EOption : uint32_t { kVisible, kNoShadows, kInfinite, kScenePreview, kOptionCount };
  // The light state bit every commit sets.
  static constexpr uint32_t kEdited = 0x1000;

  // What a light shows in the editor: percents, 0x00RRGGBB and its three options.
  struct SLightValues {
    int32_t intensity = 0;
    int32_t softness = 0;
    uint32_t colour = 0;
    bool visible = false;
    bool noShadows = false;
    bool infinite = false;
  };

  CEditLight(CUICmFunction* owner, CResourceEnv* environment, CGelPictures* pictures, CObjMatPresets* presets);
  ~CEditLight() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;

  // The palette manager links it to the document window: nothing to do, the editor works on the
  // current one.
  void SetOwner(CDocumentHost*) {}

  // load: the selected lights into the editor and the first into the preview; otherwise the editor
  // onto every selected light, one undoable step. 0 or the failing step's code (1 for a light that
  // cannot be locked).
  int32_t SyncSelection(bool load);

  // The heartbeat: a time slice of the preview while the editor is the top dialog.
  static int32_t OnHeartbeat(void* editor, void* record, void* data);

  // Reads a light's values (a light without softness leaves values->softness as it was) and writes
  // them, each under the caller's lock.
  static void ReadLight(C3dLight& light, SLightValues* values);
  static void WriteLight(C3dLight& light, const SLightValues& values);
  // The slider's picture for a value among count pictures.
  static uint32_t SliderFrame(uint32_t count, int32_t value);

  // The options menu as it pops up now: 1201 with Alt held, else 1200, its ticks from the options.
  // None, with the code in *error, when it cannot be loaded.
  std::unique_ptr<CMenu> LoadOptionsMenu(int32_t* error);

  const SLightValues& GetValues() const { return fValues; }
  bool GetOption(EOption option) const { return fOptions[option] != 0; }
  CPreviewScene* GetPreview() const { return fPreview.get(); }
  C3dMaterial* GetGel() const { return fGel; }
  CImage* GetSwatchImage() const { return fSwatch.get(); }
  const SRect& GetPreviewRect() const { return fPreviewRect; }
  bool IsGelEdited() const { return fGelEdited; }
  CGelPictures* GetGelPictures() const { return fPictures; }
  CObjMatPresets* GetPresets() const { return fPresets; }

 private:
  static int32_t TrackSlider(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnOptionsPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawPreview(CElement* element, uint32_t pass, CImage* port);

  int32_t MakeGel();
  int32_t BuildPreview();
  void MakeSwatch();
  void FreeBuilt();
  int32_t Open();
  int32_t LoadSelection();
  int32_t Commit();
  int32_t LoadGel(C3dLight& light);
  // The light's own material takes the light colour, or a copy of the gel when one was chosen.
  int32_t DressLight(C3dLight& light, bool withGel);
  // The editor's values into the preview's light, which wears the gel; the render starts again.
  int32_t RefreshLights();
  void RestartPreview();
  void SetUpPreview();
  void ShowSlider(CImElement* slider, int32_t value);
  void ShowPercent(int32_t value);
  void ShowColour();
  int32_t RunOptionsMenu(SPointHV point);
  int32_t OpenPresets();
  int32_t OpenPictures();
  int32_t Close(bool commit);

  CGelPictures* fPictures = nullptr;
  CObjMatPresets* fPresets = nullptr;
  CDocumentHost* fHost = nullptr;
  std::unique_ptr<CPreviewScene> fPreview;
  C3dMaterial* fGel = nullptr;
  std::unique_ptr<CImage> fSwatch;
  CImElement* fPreviewElement = nullptr;
  CImElement* fIntensity = nullptr;
  CImElement* fSoftness = nullptr;
  CImElement* fColour = nullptr;
  CTxElement* fStatus = nullptr;
  SRect fPreviewRect;
  SLightValues fValues;
  uint8_t fOptions[kOptionCount] = {1, 0, 0, 0};
  // Set by the gel dialogs when they changed the gel; the editor then also counts it as edited, which
  // "ok" gives every light.
  uint8_t fGelChanged = 0;
  bool fGelEdited = false;
};
