// The quick 3D texture dialog's named textures: the menu of the library's and the document's
// textures, the choice of the texture to edit, and saving the edited copy into the document.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "document/texture_selection.h"
#include "editing/document_host.h"
#include "editors/material/centred_text.h"
#include "editors/material/edit_3d_texture.h"
#include "editors/material/texture_menu_rows.h"
#include "editors/material/texture_saving.h"
#include "framework/core/char_set.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "scene/base_sys.h"
#include "scene/surface/texture.h"

int32_t CEdit3dTexture::LoadTextureLibrary(CResourceEnv* library, int32_t handle) {
  fLibrary = library;
  if (!fMenu) return kErrUnexpectedStatus;
  if (const int32_t err = FillTextureMenu(fMenu.get(), library, GetCurrentDocumentHost())) return err;
  fModified = 0;
  return SelectTexture(uint32_t(handle));
}

int32_t CEdit3dTexture::AddDocumentTextures(CMenu* menu) {
  return AppendDocumentTextures(GetCurrentDocumentHost(), menu);
}

int32_t CEdit3dTexture::SelectTexture(uint32_t handle) {
  if (handle == kNoTextureSelection && fTexture) return SelectFromMaterial();
  if (handle == kNoTextureSelection) {
    // A random row, counted from 1 as 1 + (N - 1) u: never the last of two or more.
    const uint32_t count = fMenu ? fMenu->GetCount() : 0;
    if (count == 0) {
      fResultHandle = kNoTextureSelection;
      return kErrObjectNotFound;
    }
    const double u = NextRandomUnit(GetRandomState());
    const uint32_t row = std::min(uint32_t(std::trunc(double(count - 1) * u)), count - 1);
    handle = fMenu->GetItemCommand(row);
    fResultHandle = handle;
  }
  const int32_t err = CopyTextureOf(handle);
  if (err == kNoErr) fResultHandle = handle;
  else if (err != kErrObjectNotFound) return err;
  // A texture that is gone keeps the one edited.
  return SetTexture(fTexture);
}

int32_t CEdit3dTexture::CopyTextureOf(uint32_t handle) {
  CDocumentHost* host = GetCurrentDocumentHost();
  CBaseTexture* found = nullptr;
  bool fromLibrary = false;
  if (const int32_t err =
          ResolveTextureSelection(handle, fLibrary, host ? host->GetSceneTable() : nullptr, &found, &fromLibrary))
    return err;
  const int32_t err = EditCopyOf(dynamic_cast<C3dTexture*>(found));
  if (fromLibrary) CBaseTexture::ReleaseUse(found);
  return err;
}

// The material's texture becomes the result too, so that "ok" gives back what the dialog shows.
int32_t CEdit3dTexture::SelectFromMaterial() {
  int32_t err = kNoErr;
  C3dTexture* chosen = FirstMaterialTexture(GetCurrentDocumentHost(), &err);
  if (err) return err;
  if (!chosen) {
    fResultHandle = kNoTextureSelection;
    return kNoErr;
  }
  fResultHandle = TextureSelectionOf(chosen);
  return SetTexture(chosen);
}

int32_t CEdit3dTexture::EditCopyOf(C3dTexture* texture) {
  if (!texture || texture == fTexture || !texture->IsReady()) return kNoErr;
  CBaseTexture* copy = nullptr;
  if (const int32_t err = texture->Duplicate(&copy)) return err;
  delete fTexture;
  fTexture = static_cast<C3dTexture*>(copy);
  return kNoErr;
}

int32_t CEdit3dTexture::SetTexture(C3dTexture* texture) {
  EditCopyOf(texture);
  ShowName();
  if (fPreview) fPreview->Show(false);
  RestartPreview();
  ShowTextureColours();
  return kNoErr;
}

// Stored names are Mac OS Roman; the dialog shows them in the interface's set.
void CEdit3dTexture::ShowName() {
  if (!fTexture) return;
  std::string name;
  {
    CHolder held(fTexture, false, false);
    if (!held.IsLocked()) return;
    name = StoredNameOf(fTexture);
  }
  std::memset(fCurrentName, 0, sizeof fCurrentName);
  std::memcpy(fCurrentName, name.data(), std::min(name.size(), sizeof fCurrentName - 1));
  ShowTextFromLeft(fNameElement, MacRomanToAnsi(name).c_str(), kNameLeft, true);
}

int32_t CEdit3dTexture::Open(C3dTexture* texture) {
  if (!texture || !texture->IsReady()) return kNoErr;
  SetTexture(texture);
  CHolder held(texture, false, false);
  if (held.IsLocked() && fMenu) fResultHandle = fMenu->FindCommandByText(StoredNameOf(texture).c_str());
  return kNoErr;
}

int32_t CEdit3dTexture::NameExists(const char* name, bool* found) {
  return MenuHasTextureName(fMenu.get(), fLibrary, name, found);
}

int32_t CEdit3dTexture::SaveAsNew(const char* name) { return SaveTextureAsNew(fTexture, name, &fResultHandle); }

int32_t CEdit3dTexture::Replace(const char* name) { return ReplaceTexturesNamed(fTexture, name, &fResultHandle); }
