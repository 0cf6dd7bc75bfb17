// The add preset dialog: the name and description of a preset about to be stored, with a live
// preview of it. A preset panel fills it (SetName or SetFields), gives it the scene to preview and
// opens it; "ok" and "cancel" close it and go on to the panel, which reads the description on "ok".
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/text_edit.h"
#include "presets/preset_dialogs.h"

class CElement;

class CAddPreset : public CLayoutHostCanvas, public CPresetNameDialog {
 public:
  // The most characters each field holds.
  static constexpr uint32_t kFieldCharacters = 256;

  CAddPreset(CUICmFunction* owner, CResourceEnv* environment);
  ~CAddPreset() override;

  // The tree; "ok" pressed by Return, "cancel" by Escape; the preview and its draw hook; the name
  // (one line) and description (several) fields; the live preview's heartbeat row. The layout's code,
  // a field's, or 13 when the heartbeat row cannot be added.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The open request opens it (26). "ok" and "cancel" clear the preview link, close it and answer 0,
  // so that the panel that opened it acts; a press on the preview goes to a live preview scene (26).
  // While hidden everything else is 0.
  int32_t HandleEvent(CUIMessage* message) override;

  bool SetName(const char* name) override;
  bool SetFields(const char* name, const char* description) override;
  bool GetDescription(CPresetDescription* description) override;
  void SetPreviewScene(CPreviewScene* scene, bool live) override;
  // Opened as the open request opens it: 0, or the build's code.
  int32_t OpenDialog() override;

  CTextEdit* GetNameField() const;
  CTextEdit* GetDescriptionField() const;
  CPreviewScene* GetPreviewScene() const { return fPreview; }
  const SRect& GetPreviewRect() const { return fPreviewRect; }

  // A press on the preview: its message of kind 0, the point in the element as the first point.
  static int32_t PreviewPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // The preview scene's picture, when one is set, drawn into the preview element: 0, or 9.
  static int32_t DrawPreview(CElement* element, uint32_t pass, CImage* port);
  // The heartbeat: with the dialog current, shown and the application active, a slice of the preview
  // scene's pending render into the preview rectangle.
  static int32_t WatchPreview(void* dialog, void* record, void* data);

 private:
  void ReleaseBuilt();
  void ForgetPreview();

  CPreviewScene* fPreview = nullptr;
  bool fLive = false;
  SRect fPreviewRect;
  CTextEditTable fFields{SRange{0, 4}};
  CElement* fPreviewElement = nullptr;
  CElement* fNameElement = nullptr;
  CElement* fDescriptionElement = nullptr;
};
