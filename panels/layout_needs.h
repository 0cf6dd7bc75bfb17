// What the palettes and dialogs look up in their layout files.
#pragma once

#include "editing/convert.h"
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
// The edit palette's picture buttons, and their image lists with the entries the buttons show.
extern const SLayoutNeed kEditResize;
extern const SLayoutNeed kEditRotate;
extern const SLayoutNeed kEditReposition;
extern const SLayoutNeed kEditRandomize;
extern const SLayoutNeed kEditRandomizeControl;
extern const SLayoutNeed kEditConvertObject;
extern const SLayoutNeed kEditResizeImages;
extern const SLayoutNeed kEditRotateImages;
extern const SLayoutNeed kEditRepositionImages;
extern const SLayoutNeed kEditRandomizeImages;
extern const SLayoutNeed kEditRandomizeControlImages;
extern const SLayoutNeed kEditConvertObjectImages;
// "materials options" … "randomize options", "create plopup", "edit plopup", "sky&fog plopup", "create
// text" and "sky&fog text"; "align" and its ten buttons.
inline constexpr uint32_t kEditOptionCount = 6;
extern const SLayoutNeed kEditOptions[kEditOptionCount];
inline constexpr uint32_t kEditTabCount = 3;
extern const SLayoutNeed kEditTabButtons[kEditTabCount];
extern const SLayoutNeed kEditCreateText;
extern const SLayoutNeed kEditSkyFogText;
extern const SLayoutNeed kEditAlign;
inline constexpr uint32_t kEditAlignCount = 10;
extern const SLayoutNeed kEditAlignButtons[kEditAlignCount];
// The list window of "convert object", with an element of each conversion target's name.
extern const SLayoutNeed kConvertList;
inline constexpr uint32_t kConvertItemCount = kConversionTargetCount;
extern const SLayoutNeed kConvertItems[kConvertItemCount];
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
