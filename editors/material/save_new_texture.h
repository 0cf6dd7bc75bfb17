// The dialog that asks for the name under which an edited texture is saved into the current document,
// and the one that asks before the document's textures of that name are replaced (replace_texture.h).
// Both answer either the quick 3D texture dialog or the full 3D texture editor: the variant they are
// shown in sets the canvas name their buttons' messages carry, and the editor that opened them acts on
// those messages; the dialogs themselves decide nothing.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/text_edit.h"

class CSaveNewTexture : public CLayoutHostCanvas {
 public:
  // The canvas names its buttons carry: for the quick texture dialog (variant 0) and the full 3D
  // texture editor (1).
  static constexpr const char* kQuickCanvasName = "save new texture";
  static constexpr const char* kEditorCanvasName = "save new texture DTE";
  // What the name field takes.
  static constexpr uint32_t kNameCharacters = 64;

  CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment);
  ~CSaveNewTexture() override;

  // The buttons, then the name field over "save text edit" with the focus and its text selected: 0,
  // the layout's code, or 9 when the field cannot be made (the next need builds again).
  int32_t BuildControls(CResourceEnv* environment) override;
  // Everything goes down the tree; "ok" and "cancel" do not close the dialog.
  int32_t HandleEvent(CUIMessage* message) override;
  // The variant whose canvas name the buttons carry from now on: 0. It does not show the dialog.
  int32_t Show(int32_t variant);
  // The name proposed (Windows-1252) into the field; none changes nothing: 0.
  int32_t SetName(const char* name);
  // Shown: the dialog, then the field with all its text selected.
  bool Redraw(const SRect* rect) override;

  // The name typed (Windows-1252), or the one proposed before the field exists.
  std::string GetName() const;
  // The name typed as a texture stores it: Mac OS Roman, cut to what the name block holds.
  std::string GetStoredName() const;
  int32_t GetVariant() const { return fVariant; }
  CTextEdit* GetNameField() const;

 private:
  void ReleaseField();

  int32_t fVariant = 0;
  std::string fName;
  CElement* fNameElement = nullptr;
  CTextEditTable fFields{SRange{0, 2}};
};
