// What the material and texture editors look up in their layout files.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kDTEditor;
extern const SDialogNeeds kDTSubEditor;
extern const SDialogNeeds kEdit3dTexture;
extern const SDialogNeeds kMaterialComposer;
extern const SDialogNeeds kPictTextures;
extern const SDialogNeeds kReplaceTexture;
extern const SDialogNeeds kSaveNewTexture;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable MaterialLayoutNeeds();
