#include "app/palette_manager.h"

#include <new>
#include <string>

#include "app/control_palette.h"
#include "app/doc_window.h"
#include "app/report_render.h"
#include "app/splashscreen.h"
#include "editors/material/dt_editor.h"
#include "editors/material/dt_sub_editor.h"
#include "editors/material/edit_3d_texture.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "editors/material/replace_texture.h"
#include "editors/material/save_new_texture.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/appl.h"
#include "framework/core/file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "panels/add_preset.h"
#include "panels/color_picker.h"
#include "panels/create_palette.h"
#include "panels/delete_preset.h"
#include "panels/display_palette.h"
#include "panels/doc_setup.h"
#include "panels/edit_3d_trans.h"
#include "panels/edit_camera.h"
#include "panels/edit_family.h"
#include "panels/edit_light.h"
#include "panels/edit_obj_attrs.h"
#include "panels/edit_palette.h"
#include "panels/edit_poly.h"
#include "panels/edit_tori.h"
#include "panels/export_render.h"
#include "panels/nano_editor.h"
#include "panels/prefs.h"
#include "panels/replicate.h"
#include "panels/revert_changes.h"
#include "panels/save_changes.h"
#include "panels/selection_palette.h"
#include "panels/text_edit_popup.h"
#include "presets/edit_sky_fog.h"
#include "presets/billboard.h"
#include "presets/obj_mat_presets.h"
#include "presets/sky_fog_palette.h"
#include "presets/sky_fog_presets.h"

namespace {

// The sky & fog palette's swatches pick colours as the colour picker's do.
const SSkyFogSwatchPresses kSkyFogSwatchPresses{&ColorSwatchEyedropper, &ColorSwatchEyedropperEx};

CDocWindow* NewDocWindow(CUICmFunction* owner, CResourceEnv* environment) { return new CDocWindow(owner, environment); }

// The files whose canvases live until the very end: the palettes, the document window and the nano
// editor, which are hidden before they go, and the texture library the document window uses.
constexpr ELayoutFile kKeptToLast[] = {kDocWindowFile,    kControlPaletteFile,   kCreatePaletteFile,
                                       kEditPaletteFile,  kSkyFogPaletteFile,    kSelectionPaletteFile,
                                       kDisplayPaletteFile, kTexturesFile};

bool IsKeptToLast(uint32_t file) {
  for (ELayoutFile kept : kKeptToLast) {
    if (kept == file) return true;
  }
  return false;
}

}  // namespace

CPaletteManager::CPaletteManager() {
  if (void* memory = MemAlloc(sizeof(SCanvasTable))) fCanvases = new (memory) SCanvasTable;
}

CPaletteManager::~CPaletteManager() {
  if (fCanvases) {
    ReleaseUI();
    fCanvases->~SCanvasTable();
    MemFree(fCanvases);
    fCanvases = nullptr;
  }
}

CLayoutHostCanvas* CPaletteManager::GetPalette(EPalette palette) const {
  if (!fCanvases) return nullptr;
  switch (palette) {
    case kControlPalette: return fCanvases->controlPalette;
    case kCreatePalette: return fCanvases->createPalette;
    case kEditPalette: return fCanvases->editPalette;
    case kSkyFogPalette: return fCanvases->skyFogPalette;
    case kDisplayPalette: return fCanvases->displayPalette;
    case kSelectionPalette: return fCanvases->selectionPalette;
    case kPaletteCount: break;
  }
  return nullptr;
}

// ---- opening the layout files

// Read only: a layout file is never written, and a missing one must not be created empty.
int32_t CPaletteManager::OpenUIResourceFile(const char* folder, const char* name, CResourceEnv** out) {
  *out = nullptr;
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  const std::string path = std::string(folder ? folder : "") + (name ? name : "");
  CFileSpec spec;
  if (const int32_t err = app->SetModuleDirectory(path.c_str(), &spec)) return err;
  auto* environment = new CResourceEnv(spec, CFile::kModeRead);
  if (!environment || !environment->IsOpen() || !environment->GetMasterTable() || !environment->IsReady()) {
    delete environment;
    return kErrFailedCreation;
  }
  *out = environment;
  return kNoErr;
}

int32_t CPaletteManager::OpenLayoutFiles(const char* folder, ELayoutFile first, ELayoutFile last) {
  for (uint32_t file = first; file <= last; ++file) {
    if (const int32_t err = OpenUIResourceFile(folder, need::kLayoutFiles[file].name, &fCanvases->files[file]))
      return err;
  }
  return kNoErr;
}

int32_t CPaletteManager::LoadMenus() {
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  for (const SLayoutNeed& menu : need::kMenus) {
    if (const int32_t err =
            fMenuBar.AddMenu(fCanvases->files[kMenusFile], menu.number, app ? app->GetMainWindow() : nullptr))
      return err;
  }
  return kNoErr;
}

// ---- the build

int32_t CPaletteManager::LoadUIResources(const char* folder) {
  CAppl* app = GetApplication();
  if (!fCanvases || !app) return kErrFailedCreation;
  SBusy busy(fBusy);
  app->FlushInput();
  fBuildTimer.Start();
  int32_t err = kNoErr;
  fSplash = new CSplashscreen;
  if (!fSplash || !fSplash->IsReady()) err = kErrFailedCreation;
  if (!err) err = OpenLayoutFiles(folder, kSplashscreenFile, kSplashscreenFile);
  if (!err) err = fSplash->Build(fCanvases->files[kSplashscreenFile]);
  if (!err) {
    fSplash->Show();
    err = OpenLayoutFiles(folder, kDocWindowFile, kMenusFile);
  }
  if (!err) err = LoadMenus();
  if (!err) err = OpenLayoutFiles(folder, kMaterialComposerFile, kPrefsFile);
  if (!err) err = ConstructCanvases();
  DestroySplashscreen();
  if (!err) {
    LinkCanvases();
    if (!fBroadcaster.Register(this, &ReceiveUIMessage)) err = kErrOutOfMemory;
  }
  if (err) {
    ReleaseUI();
    return err;
  }
  app->SetArrowCursor();
  app->FlushInput();
  fStarted = true;
  return kNoErr;
}

void CPaletteManager::DestroySplashscreen() {
  delete fSplash;
  fSplash = nullptr;
}

bool CPaletteManager::MayPreBuild() {
  CAppl* app = GetApplication();
  return fBuildTimer.ElapsedTicks() < kPreBuildTicks && !(app && app->IsClickPending());
}

bool CPaletteManager::Admit(CUIHostCanvas* canvas, ELayoutFile file) {
  if (!canvas) return false;
  if (!canvas->IsReady() || fCanvases->builtCount >= SCanvasTable::kCanvasCount) {
    delete canvas;
    return false;
  }
  fCanvases->built[fCanvases->builtCount++] = {canvas, file};
  return true;
}

int32_t CPaletteManager::BuildAsMarked(CUIHostCanvas* canvas, EBuild mark) {
  if (mark == kBuild || (mark == kPreBuild && MayPreBuild())) return canvas->BuildOnce();
  return kNoErr;
}

template <typename T, typename... Companions>
int32_t CPaletteManager::Make(T** slot, ELayoutFile file, EBuild mark, Companions... companions) {
  *slot = nullptr;
  T* canvas = new T(&fBroadcaster, fCanvases->files[file], companions...);
  if (!Admit(canvas, file)) return kErrOutOfMemory;
  *slot = canvas;
  return BuildAsMarked(canvas, mark);
}

int32_t CPaletteManager::MakeDocWindow(CDocWindow** out, SPointHV imageSize, SPointHV renderSize) {
  *out = nullptr;
  CResourceEnv* environment = fCanvases->files[kDocWindowFile];
  CDocWindow* window = (fDocWindowFactory ? fDocWindowFactory : &NewDocWindow)(&fBroadcaster, environment);
  if (!window) return kErrOutOfMemory;
  if (!window->IsReady()) {
    delete window;
    return kErrOutOfMemory;
  }
  int32_t err = window->BuildOnce();
  if (!err) err = window->Init(fCanvases->files[kTexturesFile], imageSize, renderSize);
  if (err) {
    delete window;
    return err;
  }
  *out = window;
  return kNoErr;
}

void CPaletteManager::GiveCompanions(CDocWindow* window) {
  window->SetCompanions(fCanvases->terrainEditor, fCanvases->editPoly, fCanvases->editTori, fCanvases->reportRender);
  window->SetPictTextures(fCanvases->pictTextures);
  window->SetMenuBar(&fMenuBar);
  window->SetNanoEditor(fCanvases->nanoEditor);
  window->SetSelectionPalette(fCanvases->selectionPalette);
}

int32_t CPaletteManager::ConstructCanvases() {
  int32_t err = ConstructFirstCanvases();
  if (!err) err = ConstructDialogs();
  if (!err) err = ConstructPalettes();
  if (!err) err = ConstructLibraries();
  if (!err) GiveCompanions(fCanvases->docWindow);
  return err;
}

// The families and save changes dialogs, the document window and its nano editor.
int32_t CPaletteManager::ConstructFirstCanvases() {
  SCanvasTable& t = *fCanvases;
  if (const int32_t err = Make(&t.editFamily, kEditFamilyFile, kPreBuild)) return err;
  if (const int32_t err = Make(&t.saveChanges, kSaveRevertFile, kNoBuild)) return err;
  CDocWindow* window = nullptr;
  if (const int32_t err = MakeDocWindow(&window, kStartImageSize, kStartImageSize)) return err;
  if (!Admit(window, kDocWindowFile)) return kErrOutOfMemory;
  t.docWindow = window;
  SetCurrentDocWindow(window);
  if (const int32_t err = Make(&t.nanoEditor, kDocWindowFile, kBuild)) return err;
  window->SetNanoEditor(t.nanoEditor);
  return kNoErr;
}

int32_t CPaletteManager::ConstructDialogs() {
  SCanvasTable& t = *fCanvases;
  int32_t err = Make(&t.replicate, kReplicateFile, kPreBuild);
  if (!err) err = Make(&t.docSetup, kDocSetupFile, kPreBuild);
  if (!err) err = Make(&t.editSkyFog, kEditSkyFogFile, kPreBuild);
  if (!err) err = Make(&t.addPreset, kAddPresetFile, kPreBuild);
  if (!err) err = Make(&t.edit3dTexture, kEdit3dTextureFile, kPreBuild);
  if (!err) err = Make(&t.saveNewTexture, kEdit3dTextureFile, kPreBuild);
  if (!err) err = Make(&t.replaceTexture, kEdit3dTextureFile, kPreBuild);
  if (err) return err;
  t.edit3dTexture->SetDialogs(t.saveNewTexture, t.replaceTexture);
  err = Make(&t.revertChanges, kSaveRevertFile, kBuild);
  if (!err) err = Make(&t.deletePreset, kDeletePresetFile, kPreBuild);
  if (!err) err = Make(&t.editObjAttrs, kEditObjAttrsFile, kPreBuild);
  if (!err) err = Make(&t.edit3dTrans, kEdit3dTransFile, kPreBuild);
  if (!err) err = Make(&t.terrainEditor, kTerrainEditorFile, kPreBuild);
  if (!err) err = Make(&t.editPoly, kEditPolyFile, kPreBuild);
  if (!err) err = Make(&t.editTori, kEditToriFile, kPreBuild);
  if (!err) err = Make(&t.reportRender, kReportRenderFile, kPreBuild);
  if (!err) err = Make(&t.exportRender, kExportRenderFile, kPreBuild);
  if (!err) err = Make(&t.dtSubEditor, kDTEditorsFile, kNoBuild);
  if (!err) err = Make(&t.dtEditor, kDTEditorsFile, kNoBuild);
  if (err) return err;
  return t.dtEditor->SetContext(t.saveNewTexture, t.replaceTexture, t.dtSubEditor);
}

int32_t CPaletteManager::ConstructPalettes() {
  SCanvasTable& t = *fCanvases;
  int32_t err = Make(&t.editCamera, kEditCameraFile, kPreBuild);
  if (!err) err = Make(&t.controlPalette, kControlPaletteFile, kBuild);
  if (!err) err = Make(&t.createPalette, kCreatePaletteFile, kBuild);
  if (!err) err = Make(&t.editPalette, kEditPaletteFile, kBuild);
  if (err) return err;
  t.editPalette->SetOwner(t.docWindow);
  SetSkyFogSwatchPresses(&kSkyFogSwatchPresses);
  err = Make(&t.skyFogPalette, kSkyFogPaletteFile, kBuild);
  if (!err) err = Make(&t.selectionPalette, kSelectionPaletteFile, kBuild);
  if (!err) err = Make(&t.colorPicker, kColorPickerFile, kBuild);
  if (!err) err = Make(&t.displayPalette, kDisplayPaletteFile, kBuild, static_cast<CDocumentHost*>(t.docWindow));
  if (err) return err;
  t.displayPalette->SetCompanions(t.colorPicker, t.selectionPalette);
  t.selectionPalette->SetDisplayPalette(t.displayPalette);
  return kNoErr;
}

// The preset libraries, the picture and material editors, the light editor and the preferences.
int32_t CPaletteManager::ConstructLibraries() {
  SCanvasTable& t = *fCanvases;
  int32_t err = Make(&t.objMatPresets, kObjMatPresetsFile, kPreBuild, static_cast<CCanvas*>(t.controlPalette),
                     static_cast<CPresetNameDialog*>(t.addPreset), static_cast<CPresetDeleteDialog*>(t.deletePreset));
  if (!err) err = Make(&t.billboard, kObjMatPresetsFile, kNoBuild);
  if (!err) t.objMatPresets->SetBillboard(t.billboard);
  if (!err) err = Make(&t.pictTextures, kPictTexturesFile, kPreBuild, t.deletePreset);
  if (!err)
    err = Make(&t.materialComposer, kMaterialComposerFile, kPreBuild, t.files[kTexturesFile], t.pictTextures,
               t.edit3dTexture, t.objMatPresets, t.dtEditor);
  if (!err) err = Make(&t.textEditPopup, kMaterialComposerFile, kPreBuild);
  if (!err)
    err = Make(&t.editLight, kEditLightFile, kNoBuild, static_cast<CGelPictures*>(t.pictTextures), t.objMatPresets);
  if (!err)
    err = Make(&t.skyFogPresets, kSkyFogPresetsFile, kPreBuild, static_cast<CCanvas*>(t.controlPalette),
               static_cast<CPresetNameDialog*>(t.addPreset), static_cast<CPresetDeleteDialog*>(t.deletePreset));
  if (!err) t.skyFogPresets->SetBillboard(t.billboard);
  if (!err) err = Make(&t.prefs, kPrefsFile, kNoBuild);
  return err;
}

void CPaletteManager::ReplaceDocWindow(CDocWindow* old, CDocWindow* window) {
  SCanvasTable& t = *fCanvases;
  bool placed = false;
  for (uint32_t i = 0; old && i < t.builtCount; ++i) {
    if (t.built[i].canvas != old) continue;
    t.built[i].canvas = window;
    placed = true;
  }
  if (!placed && !Admit(window, kDocWindowFile)) window = nullptr;
  t.docWindow = window;
  SetCurrentDocWindow(window);
  delete old;
  // The palette manager stays the broadcaster's last row, after the window that just joined.
  if (fBroadcaster.Unregister(this)) fBroadcaster.Register(this, &ReceiveUIMessage);
}

void CPaletteManager::LinkCanvases() {
  if (!fCanvases) return;
  SCanvasTable& t = *fCanvases;
  CDocWindow* window = t.docWindow;
  if (t.skyFogPalette) {
    t.skyFogPalette->SetOwner(window);
    t.skyFogPalette->Update();
  }
  if (t.controlPalette) t.controlPalette->ResetViewState(false, false);
  if (t.skyFogPresets) {
    t.skyFogPresets->SetDocWindow(window);
    t.skyFogPresets->SetSkyFogPalette(t.skyFogPalette);
  }
  if (t.editFamily) t.editFamily->SetOwner(window);
  if (t.replicate) t.replicate->SetOwner(window);
  if (t.editPoly) t.editPoly->SetOwner(window);
  if (t.editTori) t.editTori->SetOwner(window);
  if (t.createPalette) t.createPalette->SetOwner(window);
  if (t.selectionPalette) t.selectionPalette->SetOwner(window);
  if (t.displayPalette) t.displayPalette->SetOwner(window);
  if (t.editLight) t.editLight->SetOwner(window);
  if (t.editPalette) t.editPalette->SetOwner(window);
}

// ---- the end

void CPaletteManager::ShutdownUI() {
  if (!fCanvases) return;
  SBusy busy(fBusy);
  if (fStarted) StorePalettePrefs(0);
  ReleaseUI();
}

void CPaletteManager::DeleteCanvasesOf(ELayoutFile file) {
  SCanvasTable& t = *fCanvases;
  for (uint32_t i = 0; i < t.builtCount; ++i) {
    if (t.built[i].file != file || !t.built[i].canvas) continue;
    CUIHostCanvas* canvas = t.built[i].canvas;
    t.built[i].canvas = nullptr;
    delete canvas;
  }
}

void CPaletteManager::CloseFile(ELayoutFile file) {
  delete fCanvases->files[file];
  fCanvases->files[file] = nullptr;
}

void CPaletteManager::ReleaseUI() {
  fBroadcaster.Unregister(this);
  fMenuBar.DeleteAllMenus();
  DestroySplashscreen();
  CloseFile(kMenusFile);
  CloseFile(kSplashscreenFile);
  for (uint32_t file = 0; file < kLayoutFileCount; ++file) {
    if (IsKeptToLast(file)) continue;
    DeleteCanvasesOf(ELayoutFile(file));
    CloseFile(ELayoutFile(file));
  }
  HidePalettesAndWindow();
  for (ELayoutFile file : kKeptToLast) {
    DeleteCanvasesOf(file);
    CloseFile(file);
  }
  SetCurrentDocWindow(nullptr);
  *fCanvases = SCanvasTable{};
  fStarted = false;
}
