// Storing and deleting presets of the open library, and showing a preset's texts.
#include <memory>
#include <string>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/tx_element.h"
#include "presets/obj_mat_presets.h"
#include "presets/preset_description.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object.h"
#include "scene/surface/material.h"

int32_t CObjMatPresets::StorePreviewAndDescription(uint32_t id, bool withDescription) {
  CResourceEnv* library = fLibrary.GetLibrary();
  // Failures here leave the preset without a thumbnail or texts, never without its item.
  if (CImage* preview = GetPreview().GetImage()) StorePreview(library, PreviewType(), id, preview);
  if (!withDescription) return kNoErr;
  CPresetDescription description;
  if (CPresetNameDialog* dialog = GetAddPreset()) dialog->GetDescription(&description);
  if (description.Store(library, DescriptionType(), id) == kNoErr)
    ShowTexts(description.GetName(), description.GetDescription());
  return kNoErr;
}

int32_t CObjMatPresets::StoreObjectPreset(C3dObject* object) {
  uint32_t id = 0;
  if (const int32_t err = StoreObjectPresetItem(object, fLibrary.GetLibrary(), &id)) return err;
  StorePreviewAndDescription(id, true);
  fCurrentPresetId = id;
  return kNoErr;
}

int32_t CObjMatPresets::StoreCurrent() {
  CResourceEnv* library = fLibrary.GetLibrary();
  if (!library) return kErrFileNotFound;
  uint32_t id = 0;
  if (fMaterials) {
    if (!fWorking) return kErrInvalidParameter;
    if (const int32_t err = StoreMaterialItem(fWorking, library, true)) return err;
    id = fWorking->GetId();
    StorePreviewAndDescription(id, true);
  } else {
    if (!fCurrentObject) {
      Beep();
      return kHandled;
    }
    if (const int32_t err = StoreObjectPreset(fCurrentObject)) return err;
    id = fCurrentPresetId;
    fCurrentPresetId = 0;
  }
  fLibrary.MarkWritten();
  if (const int32_t err = FindTable()) return err;
  int32_t first = -1;
  for (uint32_t i = 0; i < GetPresetCount(); ++i) {
    if (IsSelected(i) && first < 0) first = int32_t(i);
    SetSelected(i, false);
  }
  if (first >= 0 && MoveTableEntry(fTable, id, uint32_t(first)) == kNoErr) {
    SetSelected(uint32_t(first), true);
    // The new order is the library's: the table is written back with it.
    CHolder changed(fTable, true, false);
  }
  // The grid's children count its last one too: this top shows the end of the table.
  const uint32_t n = GetPresetCount(), p = GetGridChildCount();
  if (n >= p) fTopIndex = n - p + 1;
  UpdateScrollState();
  RefreshGrid();
  return kHandled;
}

void CObjMatPresets::DeletePreset(uint32_t id) {
  if (fMaterials) DeleteMaterialPreset(fLibrary.GetLibrary(), id);
  else DeleteObjectPreset(id);
}

int32_t CObjMatPresets::DeleteObjectPreset(uint32_t id) {
  CResourceEnv* library = fLibrary.GetLibrary();
  const int32_t result = DeleteObjectTree(library, id);
  for (const char* type : {preset::kObjectItemType, preset::kObjectPreviewType, CPresetDescription::kObjectType}) {
    SSpoolKey key;
    key.Set(type, id, false);
    library->DeleteResource(key);
  }
  fCurrentPresetId = 0;
  return result;
}

int32_t CObjMatPresets::ShowDescription(uint32_t id) {
  CPresetDescription description;
  if (description.Read(fLibrary.GetLibrary(), DescriptionType(), id)) return kErrObjectNotFound;
  ShowTexts(description.GetName(), description.GetDescription());
  fEdited = false;
  return kNoErr;
}

// ---- a clicked preset

int32_t CObjMatPresets::ShowClickedPreset(uint32_t index, bool replace) {
  if (replace) return ReplacePreset(index);
  uint32_t id = GetPresetId(index);
  if (fMaterials) {
    if (const int32_t err = LoadMaterialPreset(fWorking, index, &id)) {
      ForgetShownTexts();
      return err;
    }
    ShowWorkingMaterial();
  }
  // While the pointer tracks, the stored preview shows at once instead of a render.
  if (fTracking || !fMaterials) ShowStoredPreview(id);
  fCurrentPresetId = id;
  if (ShowDescription(id)) ForgetShownTexts();
  return kNoErr;
}

int32_t CObjMatPresets::ReplacePreset(uint32_t index) {
  CResourceEnv* library = fLibrary.GetLibrary();
  const uint32_t oldId = GetPresetId(index);
  if (!library || !oldId) return kErrObjectNotFound;
  if (!fMaterials) {
    // An object preset keeps its tree and texts and takes the panel's preview.
    SSpoolKey key;
    key.Set(preset::kObjectPreviewType, oldId, false);
    library->DeleteResource(key);
    StorePreviewAndDescription(oldId, false);
    fLibrary.MarkWritten();
    fCurrentPresetId = oldId;
    if (ShowDescription(oldId)) ForgetShownTexts();
    RefreshGrid();
    return kNoErr;
  }
  if (!fWorking) return kErrInvalidParameter;
  ShowDescription(oldId);
  const std::string name = GetNameLabel() && GetNameLabel()->GetText() ? GetNameLabel()->GetText() : "";
  const std::string text =
      GetDescriptionLabel() && GetDescriptionLabel()->GetText() ? GetDescriptionLabel()->GetText() : "";
  // The new item first: a store that fails leaves the old preset whole.
  ReleaseTable();
  int32_t err = StoreMaterialItem(fWorking, library, true);
  if (!err) {
    fLibrary.MarkWritten();
    DeleteMaterialPreset(library, oldId);
  }
  if (const int32_t found = FindTable(); !err) err = found;
  if (err) return err;
  const uint32_t newId = fWorking->GetId();
  if (MoveTableEntry(fTable, newId, index) == kNoErr) {
    SetSelected(index, true);
    CHolder changed(fTable, true, false);
  }
  if (CPresetNameDialog* dialog = GetAddPreset()) dialog->SetFields(name.c_str(), text.c_str());
  StorePreviewAndDescription(newId, true);
  fCurrentPresetId = newId;
  fEdited = false;
  RefreshGrid();
  return kNoErr;
}
