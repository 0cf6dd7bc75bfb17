#include "editors/material/layout_needs.h"

namespace need {

const SDialogNeeds kDTEditor = DialogNeeds("DTEditors.dat", "DTEditor");
const SDialogNeeds kDTSubEditor = DialogNeeds("DTEditors.dat", "DTSubEditor");
const SDialogNeeds kEdit3dTexture = DialogNeeds("edit3dtexture.dat", "edit 3dtexture");
const SDialogNeeds kMaterialComposer = DialogNeeds("materialcomposer.dat", "materials composer");
const SDialogNeeds kPictTextures = DialogNeeds("picttextures.dat", "picttextures");
const SDialogNeeds kReplaceTexture = DialogNeeds("edit3dtexture.dat", "replace texture");
const SDialogNeeds kSaveNewTexture = DialogNeeds("edit3dtexture.dat", "save new texture");

}  // namespace need

SLayoutNeedTable MaterialLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kDTEditor.canvas,         &need::kDTEditor.ok,         &need::kDTEditor.cancel,
      &need::kDTSubEditor.canvas,      &need::kDTSubEditor.ok,      &need::kDTSubEditor.cancel,
      &need::kEdit3dTexture.canvas,    &need::kEdit3dTexture.ok,    &need::kEdit3dTexture.cancel,
      &need::kMaterialComposer.canvas, &need::kMaterialComposer.ok, &need::kMaterialComposer.cancel,
      &need::kPictTextures.canvas,     &need::kPictTextures.ok,     &need::kPictTextures.cancel,
      &need::kReplaceTexture.canvas,   &need::kReplaceTexture.ok,   &need::kReplaceTexture.cancel,
      &need::kSaveNewTexture.canvas,   &need::kSaveNewTexture.ok,   &need::kSaveNewTexture.cancel,
  };
  return {kNeeds, sizeof kNeeds / sizeof kNeeds[0]};
}
