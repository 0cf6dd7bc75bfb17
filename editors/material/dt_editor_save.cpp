// The 3D texture editor's saving: whether a name is taken in its texture menu, the working texture
// added to the current document under a name, and the document's textures of a name replaced by it.
#include "editors/material/dt_editor.h"
#include "editors/material/texture_saving.h"

int32_t CDTEditor::TextureMenuHasName(const char* name, bool* found) {
  return MenuHasTextureName(fTextureMenu.get(), fTextureSource, name, found);
}

int32_t CDTEditor::SaveAsNewTexture(const char* name) {
  const int32_t err = SaveTextureAsNew(fWorking, name, &fCurrentTextureRef);
  CopyTextureName();
  return err;
}

int32_t CDTEditor::ReplaceTextureByName(const char* name) {
  const int32_t err = ReplaceTexturesNamed(fWorking, name, &fCurrentTextureRef);
  CopyTextureName();
  return err;
}
