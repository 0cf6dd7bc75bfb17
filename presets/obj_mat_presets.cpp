#include "presets/obj_mat_presets.h"

#include <cstdio>
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/char_set.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/ordax.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "presets/billboard.h"
#include "presets/layout_needs.h"
#include "presets/preset_description.h"
#include "presets/preset_import.h"
#include "document/old_quarn_file.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/light.h"
#include "scene/sun_light.h"
#include "scene/factory.h"
#include "scene/surface/material.h"

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CObjMatPresets::CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor,
                               CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CPresetLibrary(owner, environment, need::kObjMatPresets, anchor, addPreset, deletePreset) {
  // The working material, which the panel shows, stores, applies and hands back.
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  if (C3dMaterial::New(&fWorking, nullptr, key, spec)) fWorking = nullptr;
}

CObjMatPresets::~CObjMatPresets() {
  ReleaseTable();
  fLibrary.Close(false);
  if (fWorking) fWorking->ReleaseTextureRefs(true);
  delete fWorking;
  for (char* text : fTabTexts) text[0] = 0;
  for (CTxElement* tab : fTabs)
    if (tab) tab->SetText(nullptr, false, false);
}

// ---- building

int32_t CObjMatPresets::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  for (CTxElement*& tab : fTabs) tab = nullptr;
  fTitle = nullptr;
  if (!fWorking) return kErrOutOfMemory;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  fHost = GetCurrentDocumentHost();
  CElement* element = nullptr;
  BindElementRef(need::kPresetTitle.name, &element, nullptr, nullptr, nullptr);
  fTitle = dynamic_cast<CImElement*>(element);
  if (!fTitle) return kErrObjectNotFound;
  if (const int32_t err = BuildGrid(need::kPresetGrid.name, need::kPresetGridPicture.name, need::kPresetFirstCell.name))
    return err;
  BindElement(need::kPresetPreviewOptions.name, &PostPressWithPoint, nullptr, nullptr);
  BindElement(need::kObjMatPresets.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kObjMatPresets.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  for (const SLayoutNeed* button : {&need::kPresetImport, &need::kPresetExport, &need::kPresetAdd, &need::kPresetDelete})
    BindElement(button->name, &UIHostTrackButton, nullptr, nullptr);
  BindElementRef(need::kPresetScrollItem.name, &element, &ScrollItemPressed, nullptr, nullptr);
  fScrollItem = dynamic_cast<CImElement*>(element);
  for (uint32_t i = 0; i < kTabCount; ++i) {
    BindElementRef(need::kPresetTabs[i].name, &element, &OnCategoryClick, nullptr, nullptr);
    fTabs[i] = dynamic_cast<CTxElement*>(element);
  }
  if (const int32_t err = BuildPreview(need::kPresetPreview.name, CPreviewScene::kSelection)) return err;
  CResourceEnv* layout = GetResourceEnvironment();
  CIxText folder(layout, need::kPresetLibraryFolder.number, CIxText::kNone);
  {
    CIxTxHolder held(&folder, true);
    if (folder.GetResult() || !held.IsHeld() || folder.Count() < 1) return kErrFailedCreation;
    fFolder = std::string(folder.TextAt(0), strnlen(folder.TextAt(0), kNameBytes - 1));
  }
  fObjectCategories = std::make_unique<CIxText>(layout, need::kObjectCategories.number, CIxText::kNone);
  fMaterialCategories = std::make_unique<CIxText>(layout, need::kMaterialCategories.number, CIxText::kNone);
  fNames = std::make_unique<CIxText>(layout, need::kPresetNames.name, CIxText::kNone);
  if (fObjectCategories->GetResult() || fMaterialCategories->GetResult()) return kErrFailedCreation;
  if (const int32_t err = BuildTextFields(need::kPresetName.name, need::kPresetDescription.name)) return err;
  return SubscribeSlices();
}

// ---- categories

CIxText* CObjMatPresets::CategoryList() const {
  return fMaterials ? fMaterialCategories.get() : fObjectCategories.get();
}

void CObjMatPresets::ColourTab(CTxElement* tab, uint32_t colour) {
  if (!tab || !tab->GetStyle()) return;
  tab->GetStyle()->colour = 0xFF000000 | colour;
  tab->ReleaseAttachment(false);
}

void CObjMatPresets::UpdateCategoryTabs() {
  for (CTxElement* tab : fTabs)
    if (tab) tab->Hide(false);
  CIxText* list = CategoryList();
  if (!list) return;
  CIxTxHolder held(list, true);
  if (!held.IsHeld()) return;
  const uint32_t count = std::min(list->Count(), kTabCount);
  for (uint32_t i = 0; i < count; ++i) {
    if (!fTabs[i]) continue;
    ColourTab(fTabs[i], kOtherTabColour);
    // The category's name without its file extension.
    std::string name = list->TextAt(i);
    if (const size_t dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    SetLabelText(fTabs[i], fTabTexts[i], sizeof fTabTexts[i], name.c_str(), kAlignRight, false);
    fTabs[i]->Show(false);
  }
  if (CurrentCategory() < kTabCount) ColourTab(fTabs[CurrentCategory()], kCurrentTabColour);
}

int32_t CObjMatPresets::SelectCategory(const char* tabName) {
  CommitTextEdits();
  for (uint32_t i = 0; i < kTabCount; ++i) {
    if (!fTabs[i]) continue;
    const bool current = Same(fTabs[i]->GetName(), tabName);
    if (current) CurrentCategory() = i;
    ColourTab(fTabs[i], current ? kCurrentTabColour : kOtherTabColour);
    if (fTabs[i]->IsShown()) fTabs[i]->Redraw();
  }
  CIxText* list = CategoryList();
  if (!list) return kErrObjectNotFound;
  CIxTxHolder held(list, true);
  if (!held.IsHeld()) return NonZeroError(held.GetError());
  if (CurrentCategory() >= list->Count()) return kErrObjectNotFound;
  const int32_t err = OpenLibrary(list->TextAt(CurrentCategory()));
  if (!err) {
    HideTexts();
    RefreshGrid();
  }
  return err;
}

int32_t CObjMatPresets::OnCategoryClick(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  *handled = element;
  CUIMessage message;
  message.Init(0, element->GetName(), need::kPresetTabWindow, element->GetCanvasName(), 0);
  return element->SendMessageUp(&message, element);
}

// ---- the library

int32_t CObjMatPresets::OpenLibrary(const char* category) {
  ReleaseTable();
  fLibrary.Close(false);
  CAppl* app = GetApplication();
  if (!app || !category) return kErrUnexpectedStatus;
  // The layout's texts are Mac OS Roman; the file system's, ANSI.
  const std::string path = MacRomanToAnsi(fFolder + category);
  CFileSpec spec;
  if (const int32_t err = app->SetModuleDirectory(path.c_str(), &spec)) return err;
  if (const int32_t err = fLibrary.Open(spec)) return err;
  if (const int32_t err = FindTable()) return err;
  fTopIndex = 0;
  fCurrentPresetId = 0;
  for (uint32_t i = 0; i < GetPresetCount(); ++i) SetSelected(i, false);
  if (IsShown() && GetGridElement()) GetGridElement()->Redraw();
  UpdateScrollState();
  return kNoErr;
}

int32_t CObjMatPresets::CloseLibrary() {
  if (fWorking) fWorking->ReleaseTextureRefs(false);
  ReleaseTable();
  // A library that cannot be put in place is reported; the category file stays as it was.
  if (const int32_t err = fLibrary.Close(true)) {
    if (CAppl* app = GetApplication()) app->TellError(err);
  }
  return kNoErr;
}

// ---- opening

int32_t CObjMatPresets::Show(bool reopen) {
  PlaceBesideAnchor();
  UpdateCategoryTabs();
  if (!reopen) return kNoErr;
  const uint32_t current = CurrentCategory();
  const int32_t err = current < kTabCount && fTabs[current] ? SelectCategory(fTabs[current]->GetName()) : kNoErr;
  CPresetLibrary::Show();
  Activate();
  UpdateNow();
  return err;
}

int32_t CObjMatPresets::OpenPlopUp(bool materials) {
  CBusyCursor busy;
  if (const int32_t err = BuildOnce()) return err;
  fHost = GetCurrentDocumentHost();
  fMaterials = materials;
  if (materials) {
    if (const int32_t err = AttachToSelection()) return err;
  } else {
    fCurrentObject = nullptr;
    if (fHost) C3dObject::FindFirstSelectedRoot(fHost->GetSceneTable(), &fCurrentObject);
    if (fCurrentObject) {
      GetPreview().BuildObjectSample(CPreviewScene::kSelection, fCurrentObject);
      // A copy of one object comes without a material: it shows in the object's own.
      if (C3dObject* sample = GetPreview().GetSample(); sample && !sample->GetMaterial())
        sample->SetMaterial(fCurrentObject->GetMaterial());
    }
    GetPreview().RestartRender();
  }
  if (fTitle) fTitle->SelectEntry(materials ? 1 : 0, false, true, false);
  return FinishOpening(Show(true));
}

int32_t CObjMatPresets::TrackPlopUp() {
  if (const int32_t err = FollowPointer()) return err;
  CLayoutHostCanvas::Close();
  int32_t applied = kNoErr;
  if (fCurrentPresetId) applied = fMaterials ? ApplyMaterialToSelection() : PlaceObjectPreset();
  CloseLibrary();
  return applied;
}

bool CObjMatPresets::TrackOverOther(SPointHV at) {
  for (CTxElement* tab : fTabs) {
    if (!tab || !tab->IsShown() || !Inside(CanvasRect(tab), at)) continue;
    if (tab != fTabs[CurrentCategory()]) SelectCategory(tab->GetName());
    return true;
  }
  return false;
}

// ---- closing

int32_t CObjMatPresets::Close(bool apply) {
  CLayoutHostCanvas::Close();
  int32_t applied = kNoErr;
  if (apply) {
    CommitTextEdits();
    if (!ReturnPresetToEditor(false)) applied = fMaterials ? ApplyMaterialToSelection() : PlaceObjectPreset();
  } else if (fEditorMaterial && fChangedFlag) {
    *fChangedFlag = 0;
  }
  fEditorMaterial = nullptr;
  fChangedFlag = nullptr;
  CloseLibrary();
  return applied ? applied : kHandled;
}

// ---- the dialogs

int32_t CObjMatPresets::OpenDeletePreset() {
  CommitTextEdits();
  bool any = false;
  for (uint32_t i = 0; i < GetPresetCount(); ++i) any = any || IsSelected(i);
  CPresetDeleteDialog* dialog = GetDeletePreset();
  if (!fLibrary.IsOpen() || !any || !dialog) {
    Beep();
    return kHandled;
  }
  dialog->SetConfirmationName(need::kPresetDelete.name);
  const int32_t err = dialog->OpenDialog();
  return err ? err : kHandled;
}

// ---- the import

std::string CObjMatPresets::ImportFilterText() {
  CIxText list(GetResourceEnvironment(), fMaterials ? need::kMaterialFileFilter.name : need::kObjectFileFilter.name,
               CIxText::kNone);
  return fMaterials ? ImportFilter(&list, preset::kMaterialFilter, sizeof preset::kMaterialFilter)
                    : ImportFilter(&list, preset::kObjectFilter, sizeof preset::kObjectFilter);
}

int32_t CObjMatPresets::ImportPresetFile(CResourceEnv* source) {
  return fMaterials ? CopyMaterialPresetsFrom(source, fLibrary.GetLibrary())
                    : CopyObjectPresetsFrom(source, fLibrary.GetLibrary());
}

int32_t CObjMatPresets::ImportOldDocument(const CFileSpec& file) {
  COldQuarnFile document(file);
  if (!document.IsOpen()) return NonZeroError(document.GetOpenResult());
  PrepareOldImport(ProposedName().c_str());
  CResourceEnv* library = fLibrary.GetLibrary();
  if (fMaterials) {
    CDupTextureTables area;
    if (!area.IsUsable()) return kErrOutOfMemory;
    for (;;) {
      const int32_t read = document.ReadNextMaterial(area);
      // 25: nothing left, the normal end.
      if (read) return read == kSilentCode25 ? kNoErr : read;
      C3dMaterial* material = area.GetMaterial();
      if (const int32_t err = StoreMaterialItem(material, library, true)) return err;
      StorePreviewAndDescription(material->GetId(), true);
    }
  }
  CAppl* app = GetApplication();
  C3dBaseSys temporary(app ? app->GetObjectsEnv() : nullptr);
  C3dBaseSpoolTable list(app ? app->GetObjectsEnv() : nullptr);
  if (!temporary.IsValid()) return kErrOutOfMemory;
  if (const int32_t err = document.Import(&temporary, false)) return err;
  if (const int32_t err = temporary.CollectByType(C3dBaseSys::kObjectFamily, &list, false)) return err;
  // Every light but the sun comes along.
  if (const int32_t err =
          temporary.CollectByTypeExcept(C3dLight::kFamily, &list, C3dLight::kFamily, C3dSunLight::kClassTag, true))
    return err;
  if (C3dGroup::RelinkFromIds(&temporary) || C3dGroup::RelinkGroups(&temporary)) return kErrOutOfMemory;
  std::vector<C3dObject*> roots;
  {
    CHolder rows(&list, false, false);
    if (!rows.IsLocked()) return NonZeroError(list.GetError());
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
      C3dBase* thing = list.At(i);
      C3dObject* object = thing ? thing->AsObject() : nullptr;
      if (object && !object->GetParent()) roots.push_back(object);
    }
  }
  for (C3dObject* object : roots) {
    if (const int32_t err = StoreObjectPreset(object)) return err;
  }
  fCurrentPresetId = 0;
  return kNoErr;
}

std::string CObjMatPresets::ProposedName() const {
  std::string name = fMaterials ? kDefaultMaterialName : kDefaultObjectName;
  if (!fNames) return name;
  CIxTxHolder held(fNames.get(), true);
  const uint32_t entry = fMaterials ? 0 : 1;
  const uint32_t needed = fMaterials ? 1 : 4;
  if (held.IsHeld() && !fNames->GetResult() && fNames->Count() >= needed) name = MacRomanToAnsi(fNames->TextAt(entry));
  return name;
}

const char* CObjMatPresets::ItemType() const { return fMaterials ? preset::kMaterialItemType : preset::kObjectItemType; }

const char* CObjMatPresets::PreviewType() const {
  return fMaterials ? preset::kMaterialPreviewType : preset::kObjectPreviewType;
}

const char* CObjMatPresets::DescriptionType() const {
  return fMaterials ? CPresetDescription::kMaterialType : CPresetDescription::kObjectType;
}

// ---- events

bool CObjMatPresets::IsOwnMessage(const CUIMessage& message) const {
  return Same(message.canvasName, need::kObjMatPresets.canvas.name);
}

int32_t CObjMatPresets::HandleEvent(CUIMessage* message) {
  if (!message || message->kind != 0) return IsShown() ? CPresetLibrary::HandleEvent(message) : kNoErr;
  const char* element = message->elementName;
  if (Same(element, need::kCreatePlopUp.name)) return OpenPlopUp(false);
  if (Same(element, need::kEditPlopUp.name)) return OpenPlopUp(true);
  if (!IsShown()) return kNoErr;
  if (Same(message->canvasName, need::kAddPresetCanvas.name)) {
    if (Same(element, need::kObjMatPresets.ok.name)) return StoreCurrent();
    if (Same(element, need::kObjMatPresets.cancel.name)) return kHandled;
  }
  if (Same(message->canvasName, need::kDeletePresetCanvas.name) && Same(element, need::kPresetDelete.name)) {
    CBusyCursor busy;
    return DeleteSelected();
  }
  if (!IsOwnMessage(*message)) return CPresetLibrary::HandleEvent(message);
  if (Same(message->windowName, need::kPresetTabWindow)) return SelectCategory(element);
  if (Same(element, need::kPresetName.name) || Same(element, need::kPresetDescription.name))
    return BeginTextEdit(message);
  if (Same(element, need::kPresetPreviewOptions.name)) {
    CMenu* loaded = nullptr;
    const SLayoutNeed& menu = fMaterials ? need::kMaterialPreviewMenu : need::kObjectPreviewMenu;
    if (const int32_t err = CMenu::Load(GetResourceEnvironment(), menu.number, &loaded, GetWindow())) return err;
    std::unique_ptr<CMenu> owned(loaded);
    // The press's point is on the screen already.
    GetPreview().HandleOptionsMenu(owned.get(), message->firstPoint, GetWindow());
    return kHandled;
  }
  if (Same(element, need::kPresetPreview.name)) {
    SWinEvent press;
    press.Init();
    GetPreview().Paint(GetPreviewElement(), GetDeviceContext(), &press);
    return kHandled;
  }
  if (Same(element, need::kPresetGrid.name)) return ClickGrid(message);
  if (Same(element, need::kPresetScrollItem.name))
    return fScrollItem && fScrollItem->IsShown() ? ScrollGrid(message, !fTracking) : kHandled;
  if (Same(element, need::kPresetDelete.name)) return OpenDeletePreset();
  if (int32_t answer = 0; HandleSharedButton(element, &answer)) return answer;
  return CPresetLibrary::HandleEvent(message);
}
