// What the palettes and dialogs look up in their layout files.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kAddPreset;
extern const SDialogNeeds kColorPicker;
extern const SLayoutNeed kCreatePalette;
// The create palette's item buttons, image elements named as the items.
inline constexpr uint32_t kCreateItemCount = 32;
extern const SLayoutNeed kCreateItems[kCreateItemCount];
extern const SDialogNeeds kDeletePreset;
extern const SLayoutNeed kDisplayPalette;
extern const SDialogNeeds kDocSetup;
extern const SDialogNeeds kEdit3dTrans;
extern const SDialogNeeds kEditCamera;
extern const SDialogNeeds kEditFamily;
extern const SDialogNeeds kEditLight;
extern const SDialogNeeds kEditObjAttrs;
extern const SLayoutNeed kEditPalette;
extern const SDialogNeeds kEditPoly;
extern const SDialogNeeds kEditTori;
extern const SDialogNeeds kExportRender;
extern const SLayoutNeed kNanoEditor;
extern const SLayoutNeed kNanoEditorImage;  // the picture the document window draws into
extern const SDialogNeeds kPrefs;
extern const SDialogNeeds kReplicate;
extern const SLayoutNeed kRevertChanges;
extern const SLayoutNeed kSaveChanges;
extern const SLayoutNeed kSelectionPalette;
extern const SDialogNeeds kTextEditPopup;
extern const SLayoutNeed kQuestionTexts;  // 0 the save question, 1 the revert question

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable PanelsLayoutNeeds();
