// The composer's texture components as menus: the textures menu (the library's stored textures, then
// the document's own, each row a texture selection handle), the pictures menu (the document's picture
// textures), the mapping menu, the names new textures get, and the components' part of the refresh.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "editing/document_host.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "editors/material/texture_menu_rows.h"
#include "framework/core/char_set.h"
#include "framework/core/format_text.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/random.h"
#include "framework/image/ix_image.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "scene/base_spool_table.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

// The built-in patterns of new names, procedural and picture, when the layout's list has none.
constexpr const char* kBuiltInNames[2] = {"texture %c%ld", "image %c%ld"};
constexpr int32_t kLetters = 25;
constexpr int32_t kNumbers = 99;
constexpr uint32_t kOptionRow = 1;
constexpr uint32_t kFirstMappingRow = 3;

// A pattern of the layout with a letter and a number: "%c" takes the letter, "%ld" (or "%d") the
// number, "%%" stays a percent sign, and no other directive takes anything.
std::string FormatName(const char* pattern, char letter, int32_t number) {
  std::string safe;
  bool letterTaken = false, numberTaken = false;
  for (const char* p = pattern; *p; ++p) {
    if (*p != '%') {
      safe += *p;
      continue;
    }
    const bool longForm = p[1] == 'l' && p[2] == 'd';
    if (!letterTaken && p[1] == 'c') {
      safe += "%s";
      ++p;
      letterTaken = true;
    } else if (!numberTaken && (p[1] == 'd' || longForm)) {
      safe += "%d";
      p += longForm ? 2 : 1;
      numberTaken = true;
    } else if (p[1] == '%') {
      safe += "%%";
      ++p;
    } else {
      safe += "%%";
    }
  }
  const char text[2] = {letter, 0};
  return FormatText(safe, text, &number);
}

}  // namespace

// ---- names

int32_t CMaterialComposer::MakeTextureName(CBaseTexture* texture, int32_t kind) {
  if (!texture) return kErrInvalidParameter;
  SRandomState& state = GetRandomState();
  const char letter = char('a' + int32_t(std::trunc(NextRandomUnit(state) * kLetters)));
  const int32_t number = int32_t(std::trunc(NextRandomUnit(state) * kNumbers));
  const uint32_t entry = kind == kPicture ? 1 : 0;
  std::string name;
  {
    CIxText list(GetResourceEnvironment(), need::kNewTextureNames.name, CIxText::kNone);
    CIxTxHolder held(&list, true);
    if (!list.GetResult() && held.IsHeld() && list.Count() > entry) name = FormatName(list.TextAt(entry), letter, number);
  }
  if (name.empty()) name = FormatName(kBuiltInNames[entry], letter, number);
  const std::string stored = AnsiToMacRoman(name);
  CHolder held(texture, true, false);
  if (!held.IsLocked()) return NonZeroError(texture->GetError());
  char* field = reinterpret_cast<char*>(texture->GetData());
  std::memset(field, 0, C3dBase::kNameBytes);
  std::memcpy(field, stored.data(), std::min<size_t>(stored.size(), C3dBase::kNameBytes - 1));
  return kNoErr;
}

// ---- the menus

int32_t CMaterialComposer::RebuildPictureMenu() {
  C3dBaseSpoolTable* pictures = fHost ? fHost->GetPictureList() : nullptr;
  if (!fPictureMenu || !pictures) return kNoErr;
  CHolder list(pictures, false, false);
  if (!list.IsLocked()) return kNoErr;
  fPictureMenu->ClearItems();
  int32_t result = kNoErr;
  for (uint32_t i = 0; i < pictures->GetCount() && !result; ++i) {
    C3dBase* picture = pictures->At(i);
    CHolder held(picture, false, false);
    if (!picture || !held.IsLocked()) continue;
    if (StoredNameOf(picture).empty()) {
      held.Release();
      MakeTextureName(static_cast<CBaseTexture*>(picture), kPicture);
      if (!CHolder(picture, false, false).IsLocked()) continue;
    }
    CHolder named(picture, false, false);
    const CMenuItem row = TextureMenuRow(StoredNameOf(picture).c_str(), picture->GetId());
    if (!fPictureMenu->Append(&row)) result = kErrOutOfMemory;
  }
  const int32_t built = fPictureMenu->BuildPopupMenu();
  return result ? result : built;
}

// The library's stored textures, then the document's; a library without 3D textures lists the
// document's alone.
int32_t CMaterialComposer::RebuildTextureMenu() {
  if (!fTextureMenu) return kNoErr;
  fTextureMenu->ClearItems();
  if (const int32_t err = AppendLibraryTextures(fTextures, fTextureMenu.get())) return err;
  const int32_t result = ListTextureNames(fTextureMenu.get());
  const int32_t built = fTextureMenu->BuildPopupMenu();
  return result ? result : built;
}

int32_t CMaterialComposer::ListTextureNames(CMenu* menu) { return AppendDocumentTextures(fHost, menu); }

int32_t CMaterialComposer::ChooseComponentTexture(SPointHV screenPoint, CElement*, int c) {
  const bool picture = ComponentTypeState(c) == uint32_t(kPicture);
  if (picture) {
    if (const int32_t err = RebuildPictureMenu()) return err;
  }
  CMenu* menu = picture ? fPictureMenu.get() : fTextureMenu.get();
  uintptr_t command = 0;
  uint32_t row = 0;
  if (!menu || !menu->SelectItemAt(screenPoint, GetWindow(), &command, &row)) return kNoErr;
  RecordUndoStep();
  return SetComponent(kAssignTexture, c, picture ? kPicture : kProcedural, int32_t(command));
}

// Row 1 switches the component's mirroring; row m + 3 sets mapping number m.
int32_t CMaterialComposer::ShowMappingMenu(SPointHV screenPoint, CElement* element, int c) {
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need::kMappingMenu.number, &loaded, nullptr))
    return err;
  std::unique_ptr<CMenu> menu(loaded);
  auto* mapping = dynamic_cast<CImElement*>(element);
  const uint32_t state = mapping && mapping->GetImageList() ? mapping->GetImageList()->Selected() : 0;
  const uint32_t ticked = state + kFirstMappingRow;
  menu->CheckItem(kOptionRow, element->GetUserWord(0) != 0, nullptr, true);
  menu->CheckItem(ticked, true, nullptr, true);
  uintptr_t command = 0;
  uint32_t row = 0;
  if (!menu->SelectItemAt(screenPoint, GetWindow(), &command, &row)) return kNoErr;
  if (row == kOptionRow) {
    RecordUndoStep();
    element->SetUserWord(0, element->GetUserWord(0) ? 0 : 1);
    StoreControls();
  } else if (row >= kFirstMappingRow && row != ticked) {
    RecordUndoStep();
    SetComponent(kSetMapping, c, int32_t(row) - 1, int32_t(command));
  }
  return kNoErr;
}

// ---- the components' part of the refresh

void CMaterialComposer::RefreshComponents(bool full) {
  if (!fMaterial) return;
  for (int c = 0; c < kComponentCount; ++c) {
    const SMaterialComponent& component = fMaterial->GetRecord().component[c];
    if (fComponentMappings[c])
      fComponentMappings[c]->SelectEntry(uint32_t(std::clamp(component.mappingMode, 0, kMappingModes - 1)), false,
                                         false, full);
    CBaseTexture* texture = fMaterial->GetChannelTexture(c);
    if (!texture) {
      ShowListEntry(fComponentTypes[c], kNoTexture, full);
      ShowComponent(c, false, full);
      continue;
    }
    const bool picture = component.textureTag == CPictTexture::kClassTag;
    ShowListEntry(fComponentTypes[c], picture ? uint32_t(kPicture) : uint32_t(kProcedural), full);
    ShowComponentName(c, texture, full);
    ShowComponent(c, true, full);
    if (fComponentColors[c]) {
      fComponentColors[c]->SetUserWord(kStepWord, kCoarseStep);
      fComponentColors[c]->SetUserWord(kRowWord, 0);
    }
  }
}
