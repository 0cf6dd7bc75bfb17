// What the light editor asks of the picture textures dialog, which lives in a later library: to be
// built, to work on the editor's gel, to show its pictures with the gel's own one current, and to come
// up in front. The picture textures dialog implements it; the palette manager hands it to the editor.
#pragma once

#include <cstdint>

class C3dMaterial;
class CPictTexture;

class CGelPictures {
 public:
  virtual ~CGelPictures() = default;

  // The dialog's controls built once: 0 or the build's code.
  virtual int32_t BuildGelPictures() = 0;
  // The gel the chosen picture goes into, the flag the dialog sets when it changed the gel, and the
  // canvas it replies to.
  virtual void SetGelContext(const char* replyName, C3dMaterial* gel, uint8_t* changedFlag) = 0;
  // The pictures shown with the gel's picture (or none) current: 0 or the code.
  virtual int32_t ShowGelPictures(CPictTexture* current) = 0;
  // Brought up as the top dialog.
  virtual void OpenGelPictures() = 0;
};
