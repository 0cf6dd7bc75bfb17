// The composer's texture components: the colour, alpha and bump swatches that render in idle time,
// coarse rows of four first and then single rows, the presses on a component's elements, the
// component type menu and SetComponent, the one operation that changes a component.
#include <algorithm>
#include <cstring>
#include <memory>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/centred_text.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "framework/core/char_set.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "scene/base_spool_table.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"

namespace {

enum ESwatch { kColourSwatch, kAlphaSwatch, kBumpSwatch };
// The composer's row sampler: mode 2 renders rows in blocks of four, mode 0 one row.
constexpr uint32_t kCoarseMode = 2;
constexpr uint32_t kFineMode = 0;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

bool NamedAs(const CElement* element, const char* name) { return element && Same(element->GetName(), name); }

void SetSwatchWords(CElement* element, uint32_t step, uint32_t row) {
  if (!element) return;
  element->SetUserWord(CMaterialComposer::kStepWord, step);
  element->SetUserWord(CMaterialComposer::kRowWord, row);
}

}  // namespace

// ---- rendering the swatches

int32_t CMaterialComposer::RenderSwatchStep() {
  bool pending = false;
  for (CImElement* colour : fComponentColors) pending |= colour && colour->GetUserWord(kStepWord) != 0;
  if (!pending) return kHandled;
  CImage* colour = fSwatchImages[kColourSwatch].get();
  CImage* alpha = fSwatchImages[kAlphaSwatch].get();
  CImage* bump = fSwatchImages[kBumpSwatch].get();
  if (!colour || !alpha || !bump || !colour->IsReady() || !alpha->IsReady() || !bump->IsReady()) return kNoErr;
  const int32_t height = int32_t(colour->GetHeight());
  for (int c = 0; c < kComponentCount; ++c) {
    CImElement* element = fComponentColors[c];
    const uint32_t step = element ? element->GetUserWord(kStepWord) : 0;
    if (!element || !element->IsShown() || step == 0) continue;
    CBaseTexture* texture = fMaterial ? fMaterial->GetChannelTexture(c) : nullptr;
    if (auto* picture = dynamic_cast<CPictTexture*>(texture)) {
      colour->ScaleFrom(&picture->GetPicture(), 0);
      AlphaToGray(&picture->GetPicture(), alpha);
      bump->CopyFrom(alpha);
      DrawSwatchRows(c, 0, height);
      SetSwatchWords(element, 0, 0);
      continue;
    }
    // A pass ends when its last slice reaches the swatch's foot; that slice stops there.
    const int32_t row = int32_t(element->GetUserWord(kRowWord));
    const int32_t end = std::min(row + int32_t(step), height);
    if (auto* procedural = dynamic_cast<C3dTexture*>(texture)) {
      CHolder held(procedural, false, false);
      if (held.IsLocked() && row < height)
        procedural->SampleForComposer(*colour, *alpha, *bump, uint32_t(row), step >= kCoarseStep ? kCoarseMode : kFineMode);
    }
    DrawSwatchRows(c, row, end);
    if (end < height) {
      element->SetUserWord(kRowWord, uint32_t(end));
      continue;
    }
    const uint32_t next = step == kCoarseStep ? kFineStep : step == kFineStep ? 0 : step;
    SetSwatchWords(element, next, 0);
  }
  return kNoErr;
}

void CMaterialComposer::DrawSwatchRows(int component, int32_t first, int32_t end) {
  platform::DeviceContext* port = GetDeviceContext();
  CImElement* swatches[3] = {fComponentColors[component], fComponentAlphas[component], fComponentBumps[component]};
  for (int s = 0; s < 3; ++s) {
    CImage* image = fSwatchImages[s].get();
    if (!swatches[s] || !image || !port || end <= first) continue;
    const SRect place = WindowRect(swatches[s]);
    const int32_t width = std::min(int32_t(image->GetWidth()), RectWidth(place));
    const SRect source{first, 0, end, width};
    const SRect target{place.top + first, place.left, place.top + end, place.left + width};
    image->Draw(port, source, target);
  }
}

int32_t CMaterialComposer::RestartSwatch(CElement* element, uint32_t, CImage*) {
  if (element && element->IsShown()) SetSwatchWords(element, kCoarseStep, 0);
  return kNoErr;
}

void CMaterialComposer::RestartComponentSwatches(int component) {
  for (CElement* swatch : {static_cast<CElement*>(fComponentColors[component]), static_cast<CElement*>(fComponentAlphas[component]),
                           static_cast<CElement*>(fComponentBumps[component])})
    SetSwatchWords(swatch, kCoarseStep, 0);
}

bool CMaterialComposer::AlphaToGray(CImage* source, CImage* target) {
  if (!source || !target) return false;
  const uint32_t width = std::min(source->GetWidth(), target->GetWidth());
  const uint32_t height = std::min(source->GetHeight(), target->GetHeight());
  CImNavigator from(source, nullptr, false, false);
  CImNavigator to(target, nullptr, true, false);
  if (!from.IsUsable() || !to.IsUsable()) return false;
  for (uint32_t y = 0; y < height; ++y) {
    const CImVector* in = from.Cells(y);
    CImVector* out = to.Cells(y);
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t grey = uint8_t(255 - in[x].Alpha());
      out[x].Set(0, grey, grey, grey);
    }
  }
  return true;
}

// ---- presses on a component

int32_t CMaterialComposer::HandleComponentPress(CUIMessage* message) {
  const SPointHV point = message->firstPoint;
  const char* name = message->elementName;
  for (int c = 0; c < kComponentCount; ++c) {
    int32_t err = kNoErr;
    if (NamedAs(fComponentTypes[c], name)) err = ComponentTypePopup(point, fComponentTypes[c], c);
    else if (NamedAs(fComponentNames[c], name)) err = ChooseComponentTexture(point, fComponentNames[c], c);
    else if (NamedAs(fComponentMappings[c], name)) err = ShowMappingMenu(point, fComponentMappings[c], c);
    else if (NamedAs(fComponentColors[c], name) || NamedAs(fComponentAlphas[c], name) || NamedAs(fComponentBumps[c], name))
      RestartComponentSwatches(c);
    else continue;
    return err ? err : kHandled;
  }
  if (NamedAs(fShadingMode, name)) {
    const int32_t err = ShadingModePopup(point);
    return err ? err : kHandled;
  }
  return 0;
}

int32_t CMaterialComposer::ComponentTypePopup(SPointHV screenPoint, CElement*, int component) {
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need::kComponentTypeMenu.number, &loaded, nullptr))
    return err;
  std::unique_ptr<CMenu> menu(loaded);
  const uint32_t current = ComponentTypeState(component) + 1;
  menu->CheckItem(current, true, nullptr, true);
  uintptr_t command = 0;
  uint32_t item = 0;
  if (menu->SelectItemAt(screenPoint, GetWindow(), &command, &item) && item != current) {
    RecordUndoStep();
    SetComponent(kTypeChosen, component, int32_t(item) - 1, 0);
  }
  return kNoErr;
}

// ---- changing a component

int32_t CMaterialComposer::SetComponent(uint32_t flags, int c, int32_t kind, int32_t choice) {
  if (!fMaterial || c < 0 || c >= kComponentCount) return kErrInvalidParameter;
  CHolder held(fMaterial, true, false);
  if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  if (flags & kTypeChosen) {
    if (kind == kNoTexture) {
      if (const int32_t err = fMaterial->SetChannelTexture(nullptr, c)) return err;
      ShowListEntry(fComponentTypes[c], kNoTexture, true);
      ShowComponent(c, false, true);
      flags &= ~kAssignTexture;
    } else {
      flags |= kAssignTexture;
    }
  }
  // Without a picture in the document the component keeps its texture and its display.
  if (kind == kPicture && (flags & kAssignTexture)) {
    C3dBaseSpoolTable* pictures = fHost ? fHost->GetPictureList() : nullptr;
    CHolder list(pictures, false, false);
    if (!pictures || (list.IsLocked() && pictures->GetCount() == 0)) flags &= ~kAssignTexture;
  }
  if (flags & kAssignTexture) {
    const bool typeChosen = flags & kTypeChosen;
    const int32_t err = kind == kPicture ? AssignPicture(c, typeChosen, uint32_t(choice))
                                         : AssignProcedural(c, typeChosen ? kNewTexture : choice);
    if (err) return err;
    const bool picture = fMaterial->GetRecord().component[c].textureTag == CPictTexture::kClassTag;
    ShowListEntry(fComponentTypes[c], picture ? uint32_t(kPicture) : uint32_t(kProcedural), true);
    ShowComponentName(c, fMaterial->GetChannelTexture(c), true);
    ShowComponent(c, true, true);
    RestartComponentSwatches(c);
  }
  if (flags & kSetMapping) {
    const int32_t mapping = std::clamp(kind - 2, 0, kMappingModes - 1);
    fMaterial->GetRecord().component[c].mappingMode = mapping;
    if (fComponentMappings[c]) fComponentMappings[c]->SelectEntry(uint32_t(mapping), false, false, true);
  }
  held.Release();
  return StoreControls();
}

// A stored texture of the library carries one use for the caller, which the working material's own
// count takes over; a document texture is taken as it is.
int32_t CMaterialComposer::AssignProcedural(int c, int32_t choice) {
  CBaseTexture* texture = nullptr;
  bool fromLibrary = true;
  int32_t err = kNoErr;
  if (choice == kNewTexture) err = CBaseTexture::FindOrCreate(C3dTexture::kClassTag, kNewTexture, fTextures, &texture);
  else err = ResolveTextureSelection(uint32_t(choice), fTextures, fHost ? fHost->GetSceneTable() : nullptr, &texture,
                                     &fromLibrary);
  if (err) return err;
  err = fMaterial->SetChannelTexture(texture, c);
  if (!err && fromLibrary) err = fMaterial->AddTextureRefs();
  if (fromLibrary) CBaseTexture::ReleaseUse(texture);
  if (err) return err;
  if (choice == kNewTexture && fTextureMenu) {
    const uint32_t handle = TextureSelectionOf(texture);
    fTextureMenu->SetCurrentByCommand(handle);
    fTextureMenu->CheckItem(fTextureMenu->FindItemIndex(handle), true, nullptr, true);
  }
  return kNoErr;
}

// The first picture of the document, or the picture of that id (the pictures menu's rows carry the
// ids, and skip pictures that could not be read, so a row's place need not be the picture's).
int32_t CMaterialComposer::AssignPicture(int c, bool first, uint32_t id) {
  C3dBaseSpoolTable* pictures = fHost ? fHost->GetPictureList() : nullptr;
  if (!pictures) return kErrObjectNotFound;
  CHolder list(pictures, false, false);
  if (!list.IsLocked()) return NonZeroError(pictures->GetError());
  CBaseTexture* picture = nullptr;
  for (uint32_t row = 0; row < pictures->GetCount() && !picture; ++row) {
    auto* candidate = dynamic_cast<CBaseTexture*>(pictures->At(row));
    if (candidate && (first || candidate->GetId() == id)) picture = candidate;
  }
  if (!picture) return kErrObjectNotFound;
  if (const int32_t err = fMaterial->SetChannelTexture(picture, c)) return err;
  if (first && fPictureMenu) {
    fPictureMenu->SetCurrentByCommand(picture->GetId());
    fPictureMenu->CheckItem(fPictureMenu->FindItemIndex(picture->GetId()), true, nullptr, true);
  }
  return kNoErr;
}

// The name, colour, alpha and bump elements of a component with a texture, or hidden without one.
void CMaterialComposer::ShowComponent(int c, bool withTexture, bool full) {
  for (CElement* element : {static_cast<CElement*>(fComponentNames[c]), static_cast<CElement*>(fComponentColors[c]),
                            static_cast<CElement*>(fComponentAlphas[c]), static_cast<CElement*>(fComponentBumps[c])}) {
    if (!element) continue;
    if (withTexture) element->Show(full);
    else element->Hide(full);
  }
  if (!withTexture) {
    SetSwatchWords(fComponentColors[c], 0, 0);
    SetSwatchWords(fComponentAlphas[c], 0, 0);
    SetSwatchWords(fComponentBumps[c], 0, 0);
  }
}

// Texture names are stored in Mac OS Roman; the element shows Windows-1252.
void CMaterialComposer::ShowComponentName(int c, CBaseTexture* texture, bool redraw) {
  if (!fComponentNames[c] || !texture) return;
  char name[C3dBase::kNameBytes + 1] = {};
  {
    CHolder held(texture, false, false);
    if (held.IsLocked()) std::memcpy(name, texture->GetData(), C3dBase::kNameBytes);
  }
  char shown[sizeof name] = {};
  MacRomanToAnsi(shown, name);
  ShowCentredText(fComponentNames[c], shown, redraw);
}
