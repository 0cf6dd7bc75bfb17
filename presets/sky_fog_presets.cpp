#include "presets/sky_fog_presets.h"

#include <cstring>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/char_set.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "presets/billboard.h"
#include "presets/layout_needs.h"
#include "presets/preset_description.h"
#include "presets/preset_import.h"
#include "document/old_quarn_file.h"
#include "presets/sky_fog_palette.h"
#include "presets/sky_preset_file.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"

namespace {

// "objinfochanged" for every object.
constexpr uint32_t kAllObjects = 0xFFFF;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

CSpoolSys* ObjectsEnv() { return GetApplication() ? GetApplication()->GetObjectsEnv() : nullptr; }

}  // namespace

CSkyFogPresets::CSkyFogPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor,
                               CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CPresetLibrary(owner, environment, need::kSkyFogPresets, anchor, addPreset, deletePreset) {}

CSkyFogPresets::~CSkyFogPresets() {
  ReleaseTable();
  fLibrary.Close(false);
  // The preview must not outlive the sky it was lent.
  GetPreview().SetSky(nullptr);
  FreeWorkingSky();
}

int32_t CSkyFogPresets::SetDocWindow(CDocumentHost* window) {
  fHost = window;
  return kNoErr;
}

int32_t CSkyFogPresets::SetSkyFogPalette(CSkyFogPalette* palette) {
  fPalette = palette;
  return kNoErr;
}

const char* CSkyFogPresets::ItemType() const { return preset::kSkyItemType; }

const char* CSkyFogPresets::PreviewType() const { return preset::kSkyPreviewType; }

const char* CSkyFogPresets::DescriptionType() const { return CPresetDescription::kMaterialType; }

// ---- building

int32_t CSkyFogPresets::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  if (!fHost) fHost = GetCurrentDocumentHost();
  if (const int32_t err =
          BuildGrid(need::kPresetGrid.name, need::kSkyPresetGridPicture.name, need::kSkyPresetFirstCell.name))
    return err;
  BindElement(need::kSkyFogPresets.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kSkyFogPresets.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  for (const SLayoutNeed* button : {&need::kPresetImport, &need::kPresetExport, &need::kPresetAdd, &need::kPresetDelete})
    BindElement(button->name, &UIHostTrackButton, nullptr, nullptr);
  CElement* element = nullptr;
  BindElementRef(need::kPresetScrollItem.name, &element, &ScrollItemPressed, nullptr, nullptr);
  fScrollItem = dynamic_cast<CImElement*>(element);
  if (const int32_t err = BuildPreview(need::kPresetPreview.name, CPreviewScene::kSphere, false)) return err;
  CResourceEnv* layout = GetResourceEnvironment();
  {
    CIxText list(layout, need::kSkyPresetLibrary.number, CIxText::kNone);
    CIxTxHolder held(&list, true);
    if (list.GetResult() || !held.IsHeld() || list.Count() < 2) return kErrFailedCreation;
    // The layout's texts are Mac OS Roman; the file system's, ANSI.
    fLibraryPath = MacRomanToAnsi(std::string(list.TextAt(0)) + list.TextAt(1));
  }
  fNames = std::make_unique<CIxText>(layout, need::kSkyPresetNames.name, CIxText::kNone);
  if (const int32_t err = BuildTextFields(need::kPresetName.name, need::kPresetDescription.name)) return err;
  if (const int32_t err = SubscribeSlices()) return err;
  if (const int32_t err = MakeWorkingSky()) return err;
  GetPreview().SetSky(fWorking);
  GetPreview().ArrangeForSky();
  return GetPreview().SetSkyFrom();
}

int32_t CSkyFogPresets::MakeWorkingSky() {
  if (!fWorking) {
    if (const int32_t err = AppendNew(&fWorking, nullptr, ObjectsEnv())) return err;
  }
  // A layer without a texture of its own would take no clouds from the document's sky.
  for (int layer = 0; layer < 2; ++layer) {
    if (fWorking->GetCloudTexture(layer)) continue;
    C3dTexture* clouds = nullptr;
    if (const int32_t err = AppendNew(&clouds, nullptr, ObjectsEnv())) return err;
    fWorking->SetCloudTexture(clouds, layer);
  }
  return kNoErr;
}

void CSkyFogPresets::FreeWorkingSky() {
  if (!fWorking) return;
  fWorking->ReleaseImages();
  delete fWorking;
  fWorking = nullptr;
}

C3dSunLight* CSkyFogPresets::GetWorkingSun() { return GetPreview().GetSun(); }

// ---- the library

int32_t CSkyFogPresets::OpenLibrary() {
  ReleaseTable();
  fLibrary.Close(false);
  CAppl* app = GetApplication();
  if (!app || fLibraryPath.empty()) return kErrUnexpectedStatus;
  CFileSpec spec;
  if (const int32_t err = app->SetModuleDirectory(fLibraryPath.c_str(), &spec)) return err;
  if (const int32_t err = fLibrary.Open(spec)) return err;
  if (const int32_t err = FindTable()) return err;
  fTopIndex = 0;
  fCurrentPresetId = 0;
  fEdited = false;
  for (uint32_t i = 0; i < GetPresetCount(); ++i) SetSelected(i, false);
  UpdateScrollState();
  return kNoErr;
}

int32_t CSkyFogPresets::CloseLibrary() {
  ReleaseTable();
  // A library that cannot be put in place is reported; the file stays as it was.
  if (const int32_t err = fLibrary.Close(false)) {
    if (CAppl* app = GetApplication()) app->TellError(err);
  }
  return kNoErr;
}

// ---- the working sky

int32_t CSkyFogPresets::PrepareFromDocument() {
  if (const int32_t err = MakeWorkingSky()) return err;
  GetPreview().SetSky(fWorking);
  C3dSky* sky = fHost ? fHost->GetSky() : nullptr;
  C3dSunLight* sun = fHost ? fHost->GetSun() : nullptr;
  if (sky) {
    if (const int32_t err = fWorking->CopyFrom(*sky)) return err;
  }
  if (sun && GetWorkingSun()) {
    if (const int32_t err = GetWorkingSun()->CopyFrom(*sun)) return err;
  }
  return GetPreview().SetSkyFrom();
}

int32_t CSkyFogPresets::LoadSkyPreset(uint32_t index, uint32_t* id) {
  if (!fLibrary.IsOpen()) return kErrObjectNotFound;
  const int32_t err = ::LoadSkyPreset(fLibrary.GetLibrary(), fTable, index, fWorking, GetWorkingSun(), id);
  if (err) return err;
  return GetPreview().SetSkyFrom();
}

int32_t CSkyFogPresets::CopyToDocument() {
  C3dSky* sky = fHost ? fHost->GetSky() : nullptr;
  C3dSunLight* sun = fHost ? fHost->GetSun() : nullptr;
  if (!sky || !fWorking) return kNoErr;
  if (const int32_t err = sky->CopyFrom(*fWorking)) return err;
  if (sun && GetWorkingSun()) {
    if (const int32_t err = sun->CopyFrom(*GetWorkingSun())) return err;
  }
  fHost->MarkUnsavedChanges();
  fHost->NotifyObjInfoChanged(kAllObjects);
  return kNoErr;
}

void CSkyFogPresets::UpdatePalette() {
  if (fHost && fPalette) fPalette->Update();
}

int32_t CSkyFogPresets::RestartPreview() {
  GetPreview().RestartRender();
  return kHandled;
}

// ---- the grid

void CSkyFogPresets::OnUnreadableThumbnail(CElement*) {
  // The cell keeps what it showed; the live preview is rendered afresh instead.
  GetPreview().RestartRender();
}

int32_t CSkyFogPresets::ShowClickedPreset(uint32_t index, bool replace) {
  uint32_t id = GetPresetId(index);
  if (const int32_t err = LoadSkyPreset(index, &id)) {
    ForgetShownTexts();
    return err;
  }
  if (replace) ReplacePreview(id);
  ShowStoredPreview(id);
  fCurrentPresetId = id;
  CPresetDescription description;
  if (description.Read(fLibrary.GetLibrary(), DescriptionType(), id) == kNoErr) {
    ShowTexts(description.GetName(), description.GetDescription());
    fEdited = false;
  } else {
    ForgetShownTexts();
  }
  return kNoErr;
}

int32_t CSkyFogPresets::ReplacePreview(uint32_t id) {
  CResourceEnv* library = fLibrary.GetLibrary();
  CImage* preview = GetPreview().GetImage();
  if (!library || !preview) return kErrObjectNotFound;
  DeleteFromLibrary(library, preset::kSkyPreviewType, id);
  const int32_t err = StorePreview(library, preset::kSkyPreviewType, id, preview);
  fLibrary.MarkWritten();
  RefreshGrid();
  return err;
}

// ---- storing and deleting

int32_t CSkyFogPresets::StorePreviewAndDescription(uint32_t id) {
  CResourceEnv* library = fLibrary.GetLibrary();
  // Failures here leave the preset without a thumbnail or texts, never without its sky.
  if (CImage* preview = GetPreview().GetImage()) StorePreview(library, preset::kSkyPreviewType, id, preview);
  CPresetDescription description;
  if (CPresetNameDialog* dialog = GetAddPreset()) dialog->GetDescription(&description);
  if (description.Store(library, DescriptionType(), id) == kNoErr)
    ShowTexts(description.GetName(), description.GetDescription());
  return kNoErr;
}

int32_t CSkyFogPresets::StoreCurrent() {
  CResourceEnv* library = fLibrary.GetLibrary();
  if (!library) return kErrFileNotFound;
  if (!fWorking || !GetWorkingSun()) return kErrInvalidParameter;
  if (const int32_t err = StoreSkyItem(fWorking, GetWorkingSun(), library)) return err;
  fLibrary.MarkWritten();
  StorePreviewAndDescription(fWorking->GetId());
  if (const int32_t err = FindTable()) return err;
  const uint32_t n = GetPresetCount(), p = GetGridChildCount();
  for (uint32_t i = 0; i < n; ++i) SetSelected(i, i + 1 == n);
  // The grid's children count its last one too: this top shows the end of the table.
  if (n >= p) fTopIndex = n - p + 1;
  UpdateScrollState();
  RefreshGrid();
  return kNoErr;
}

void CSkyFogPresets::DeletePreset(uint32_t id) { DeleteSkyPreset(fLibrary.GetLibrary(), id); }

// ---- opening and closing

int32_t CSkyFogPresets::Show(bool reopen) {
  PlaceBesideAnchor();
  int32_t err = kNoErr;
  if (reopen) {
    err = OpenLibrary();
    if (!err) {
      HideTexts();
      RefreshGrid();
    }
  }
  CPresetLibrary::Show();
  Activate();
  UpdateNow();
  return err;
}

int32_t CSkyFogPresets::OpenPlopUp() {
  if (const int32_t err = BuildOnce()) return err;
  // The window current now, should it have changed since the palette manager linked the panel.
  if (CDocumentHost* current = GetCurrentDocumentHost()) fHost = current;
  if (const int32_t err = PrepareFromDocument()) return err;
  return FinishOpening(Show(true));
}

int32_t CSkyFogPresets::TrackPlopUp() {
  if (const int32_t err = FollowPointer()) return err;
  CLayoutHostCanvas::Close();
  int32_t applied = kNoErr;
  // The palette reads the sky once it is the preset's, so that its next edit starts from it.
  if (fCurrentPresetId) {
    applied = CopyToDocument();
    UpdatePalette();
  }
  CloseLibrary();
  return applied;
}

int32_t CSkyFogPresets::Close(bool apply) {
  CLayoutHostCanvas::Close();
  int32_t applied = kNoErr;
  if (apply) {
    CommitTextEdits();
    applied = CopyToDocument();
    UpdatePalette();
  }
  CloseLibrary();
  return applied ? applied : kHandled;
}

// ---- the dialogs

int32_t CSkyFogPresets::OpenDeletePreset() {
  CommitTextEdits();
  CPresetDeleteDialog* dialog = GetDeletePreset();
  if (!dialog) return kHandled;
  dialog->SetConfirmationName(need::kPresetDelete.name);
  const int32_t err = dialog->OpenDialog();
  return err ? err : kHandled;
}

// ---- the import

std::string CSkyFogPresets::ImportFilterText() {
  CIxText list(GetResourceEnvironment(), need::kSkyFileFilter.name, CIxText::kNone);
  return ImportFilter(&list, preset::kSkyFilter, sizeof preset::kSkyFilter);
}

int32_t CSkyFogPresets::ImportPresetFile(CResourceEnv* source) {
  return CopySkyPresetsFrom(source, fLibrary.GetLibrary());
}

int32_t CSkyFogPresets::ImportOldDocument(const CFileSpec& file) {
  COldQuarnFile document(file);
  if (!document.IsOpen()) return NonZeroError(document.GetOpenResult());
  if (!fWorking || !GetWorkingSun()) return kErrInvalidParameter;
  PrepareOldImport(ProposedName().c_str());
  CResourceEnv* library = fLibrary.GetLibrary();
  for (;;) {
    if (const int32_t err = MakeWorkingSky()) return err;
    const int32_t read = document.ReadNextSky(fWorking, GetWorkingSun());
    // 25: nothing left, the normal end.
    if (read) return read == kSilentCode25 ? kNoErr : read;
    if (const int32_t err = StoreSkyItem(fWorking, GetWorkingSun(), library)) return err;
    StorePreviewAndDescription(fWorking->GetId());
  }
}

std::string CSkyFogPresets::ProposedName() const {
  std::string name = kDefaultSkyName;
  if (!fNames) return name;
  CIxTxHolder held(fNames.get(), true);
  if (held.IsHeld() && !fNames->GetResult() && fNames->Count() >= 1) name = MacRomanToAnsi(fNames->TextAt(0));
  return name;
}

// ---- events

bool CSkyFogPresets::IsOwnMessage(const CUIMessage& message) const {
  return Same(message.canvasName, need::kSkyFogPresets.canvas.name);
}

int32_t CSkyFogPresets::HandleEvent(CUIMessage* message) {
  if (!message || message->kind != 0) return IsShown() ? CPresetLibrary::HandleEvent(message) : kNoErr;
  const char* element = message->elementName;
  if (Same(element, need::kSkyFogPlopUp.name)) return OpenPlopUp();
  if (!IsShown()) return kNoErr;
  if (Same(message->canvasName, need::kAddPresetCanvas.name)) {
    if (Same(element, need::kSkyFogPresets.ok.name)) {
      const int32_t err = StoreCurrent();
      return err ? err : kHandled;
    }
    if (Same(element, need::kSkyFogPresets.cancel.name)) return kHandled;
  }
  if (Same(message->canvasName, need::kDeletePresetCanvas.name) && Same(element, need::kPresetDelete.name)) {
    DeleteSelected();
    return kHandled;
  }
  if (!IsOwnMessage(*message)) return CPresetLibrary::HandleEvent(message);
  if (Same(element, need::kPresetName.name) || Same(element, need::kPresetDescription.name))
    return BeginTextEdit(message);
  if (Same(element, need::kPresetPreview.name)) return RestartPreview();
  if (Same(element, need::kPresetGrid.name)) return ClickGrid(message);
  if (Same(element, need::kPresetScrollItem.name)) return ScrollGrid(message, !fTracking);
  if (Same(element, need::kPresetDelete.name)) return OpenDeletePreset();
  if (int32_t answer = 0; HandleSharedButton(element, &answer)) return answer;
  return CPresetLibrary::HandleEvent(message);
}
