// The edit palette's option menus. A choice goes out as a broadcast message through the palette's
// root: the editors' commands to the command layer, the rest to the document window under the
// button's name with the row's command in payload word 0.
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "panels/edit_palette.h"
#include "panels/layout_needs.h"

namespace {

constexpr uint32_t kEdit2dPicture = FourCC("e2dp");
constexpr uint32_t kEdit3dTexture = FourCC("e3dt");
// The last edit space row of the transform menus, and the row that opens the 3D transformation.
constexpr uint32_t kCameraSpace = FourCC("cams");
constexpr uint32_t kTransformDialog = FourCC("3dtr");
// The rows of the edit spaces: 1 the object's own axes, 2 the world's, 3 the camera's.
constexpr uint32_t kSpaceRows[] = {2, 1, 3};

constexpr const char* kEdit2dPictureMessage = "edit 2d picture";
constexpr const char* kEdit3dTextureMessage = "edit 3d texture";
constexpr const char* kEditSpaceMessage = "edit space";
constexpr const char* kTransformMessage = "3d transformation";
constexpr const char* kDocWindowCanvas = "doc window";
constexpr const char* kRandomizeMessage = "doc window";

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

void Tick(CMenu& menu, uint32_t row) {
  if (row) menu.CheckItem(row, true, nullptr, true);
}

}  // namespace

int32_t CEditPalette::SendChoice(const char* element, const char* canvas, uint32_t command) {
  CHoElement* root = GetRoot();
  if (!root) return kNoErr;
  CUIMessage message;
  message.Init(0, element, nullptr, canvas, CUIMessage::kBroadcast);
  message.SetPayloadWord(0, int32_t(command));
  return root->SendMessageUp(&message, root);
}

int32_t CEditPalette::PopUpOptionsMenu(SPointHV point, const char* name) {
  const bool materials = Is(name, need::kEditOptions[kMaterialsOptions].name);
  const SLayoutNeed& menu = materials ? need::kEditMaterialsMenu : need::kEditAlignMenu;
  SMenuChoice choice;
  if (const int32_t err = PopUpPaletteMenu(*this, menu.number, point, nullptr, &choice)) return err;
  if (!choice.row) return kNoErr;
  if (choice.command == kEdit2dPicture) SendChoice(kEdit2dPictureMessage, need::kEditPalette.name, 0);
  else if (choice.command == kEdit3dTexture) SendChoice(kEdit3dTextureMessage, need::kEditPalette.name, 0);
  else SendChoice(name, kDocWindowCanvas, choice.command);
  return kNoErr;
}

int32_t CEditPalette::PopUpTransformOptions(SPointHV point, const char* name) {
  // The menus of resize, rotate and reposition, in the modes the 3D transformation opens in.
  uint32_t mode = 0;
  while (mode < need::kEditTransformMenuCount && !Is(name, need::kEditOptions[kResizeOptions + mode].name)) ++mode;
  if (mode == need::kEditTransformMenuCount) return kNoErr;
  const int32_t space = fWindow ? fWindow->GetEditSpace() : 0;
  uint32_t checked = 0, lastSpaceRow = 0;
  SMenuChoice choice;
  const int32_t err = PopUpPaletteMenu(*this, need::kEditTransformMenus[mode].number, point, [&](CMenu& menu) {
    checked = space >= 0 && space <= 2 ? kSpaceRows[space] : menu.FindItemIndex(fLastSpaceCommand);
    lastSpaceRow = menu.FindItemIndex(kCameraSpace);
    Tick(menu, checked);
  }, &choice);
  if (err) return err;
  if (!choice.row || choice.row == checked) return kNoErr;
  if (choice.row <= lastSpaceRow) {
    fLastSpaceCommand = choice.command;
    SendChoice(kEditSpaceMessage, kDocWindowCanvas, choice.row);
  } else if (choice.command == kTransformDialog) {
    SendChoice(kTransformMessage, need::kEditPalette.name, mode);
  } else {
    SendChoice(name, kDocWindowCanvas, choice.command);
  }
  return kNoErr;
}

int32_t CEditPalette::PopUpRandomizeOptions(SPointHV point) {
  // Row n is randomize mode n - 1.
  const uint32_t checked = fRandomize ? ButtonState(fRandomize) + 1 : 0;
  SMenuChoice choice;
  const int32_t err = PopUpPaletteMenu(*this, need::kEditRandomizeMenu.number, point,
                                       [&](CMenu& menu) { Tick(menu, checked); }, &choice);
  if (err) return err;
  if (!choice.row || choice.row == checked) return kNoErr;
  if (fRandomize) {
    fRandomize->SetUserWord(0, choice.row - 1);
    fRandomize->SelectEntry(choice.row - 1, false, false, true);
  }
  SendChoice(kRandomizeMessage, need::kEditPalette.name, choice.command);
  return kNoErr;
}
