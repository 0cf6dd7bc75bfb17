// What a preset panel asks of the two dialogs that name a new preset and confirm a deletion. The
// dialogs live in a library above this one and implement these; the palette manager hands them to
// the panels.
#pragma once

#include <cstdint>

class CPresetDescription;
class CPreviewScene;

class CPresetNameDialog {
 public:
  virtual ~CPresetNameDialog() = default;

  // Focuses the name field with the name selected and empties the description: true.
  virtual bool SetName(const char* name) = 0;
  // Shows both texts: true.
  virtual bool SetFields(const char* name, const char* description) = 0;
  // Copies the two fields into a description record (cut to its fields): true.
  virtual bool GetDescription(CPresetDescription* description) = 0;
  // The scene rendered into the preview while the dialog is open (null: none), and whether presses on
  // the preview go to it.
  virtual void SetPreviewScene(CPreviewScene* scene, bool live) = 0;
  // Raises the modal level by one and shows the dialog; its "ok" or "cancel" comes back as a UI
  // message that the panel acts on.
  virtual int32_t OpenDialog() = 0;
};

class CPresetDeleteDialog {
 public:
  virtual ~CPresetDeleteDialog() = default;

  // The element name that confirming sends (copied; null clears it).
  virtual void SetConfirmationName(const char* name) = 0;
  // Raises the modal level by one and shows the dialog.
  virtual int32_t OpenDialog() = 0;
};
