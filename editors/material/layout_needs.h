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

// The material composer ("materials composer" of materialcomposer.dat). Element arrays are in the
// composer's orders: the components a to d, the value channels diffusion, ambience, specularity,
// transparency, reflection and bump, and for the flat markers those six, then the colour channels
// diffuse, ambient, specular and transparent.
inline constexpr uint32_t kComposerComponents = 4;
inline constexpr uint32_t kComposerValueChannels = 6;
inline constexpr uint32_t kComposerChannels = 10;
extern const SLayoutNeed kComposerFrequencyValues;
extern const SLayoutNeed kComposerFrequencySliders[kComposerComponents];
extern const SLayoutNeed kComposerFrequencyTexts[kComposerComponents];
extern const SLayoutNeed kComposerChannelValues;
extern const SLayoutNeed kComposerValueSliders[kComposerValueChannels];
extern const SLayoutNeed kComposerValueTexts[kComposerValueChannels];
extern const SLayoutNeed kComposerSpecAndRefraction;
extern const SLayoutNeed kComposerSpecColor;
extern const SLayoutNeed kComposerSpecRed;
extern const SLayoutNeed kComposerSpecGreen;
extern const SLayoutNeed kComposerSpecBlue;
extern const SLayoutNeed kComposerRefractionIndex;
extern const SLayoutNeed kComposerMaterialGrid;
extern const SLayoutNeed kComposerFlatMarkers[kComposerChannels];
extern const SLayoutNeed kComposerMaterialComponents;
extern const SLayoutNeed kComposerComponentTypes[kComposerComponents];
extern const SLayoutNeed kComposerComponentNames[kComposerComponents];
extern const SLayoutNeed kComposerComponentMappings[kComposerComponents];
extern const SLayoutNeed kComposerComponentColors[kComposerComponents];
extern const SLayoutNeed kComposerComponentAlphas[kComposerComponents];
extern const SLayoutNeed kComposerComponentBumps[kComposerComponents];
extern const SLayoutNeed kComposerFrequencyBall;
extern const SLayoutNeed kComposerMetallicityText;
extern const SLayoutNeed kComposerMetallicityButton;
extern const SLayoutNeed kComposerMaterialPreview;
extern const SLayoutNeed kComposerPreviewOptions;
extern const SLayoutNeed kComposerMaterialPresets;
extern const SLayoutNeed kComposerShadingMode;
extern const SLayoutNeed kComposerCopy;
extern const SLayoutNeed kComposerPaste;
extern const SLayoutNeed kComposerReset;
extern const SLayoutNeed kComposerRandomize;
extern const SLayoutNeed kFrequencySliderAlpha;
extern const SLayoutNeed kChannelSliderAlpha;
// Entry 0 the pattern of new procedural texture names, entry 1 of new picture texture names.
extern const SLayoutNeed kNewTextureNames;
extern const SLayoutNeed kComponentTypeMenu;
extern const SLayoutNeed kMappingMenu;
extern const SLayoutNeed kShadingModeMenu;
extern const SLayoutNeed kPreviewOptionsMenu;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable MaterialLayoutNeeds();
