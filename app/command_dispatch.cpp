// Command codes: the dispatcher, the UI messages and keys that become codes, and a new document.
#include <cstring>

#include "app/control_palette.h"
#include "app/doc_window.h"
#include "app/palette_manager.h"
#include "app/splashscreen.h"
#include "editors/material/dt_editor.h"
#include "editors/material/edit_3d_texture.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "panels/display_palette.h"
#include "panels/doc_setup.h"
#include "panels/edit_3d_trans.h"
#include "panels/edit_camera.h"
#include "panels/edit_obj_attrs.h"
#include "panels/export_render.h"
#include "panels/prefs.h"
#include "panels/replicate.h"
#include "panels/save_changes.h"
#include "presets/edit_sky_fog.h"
#include "presets/sky_fog_palette.h"
#include "platform/window.h"

namespace {

// Names of the UI messages the palette manager acts on.
constexpr const char* kUiMinMax = "ui min max";
constexpr const char* kResetPalettes = "reset palettes";
constexpr const char* kControlCanvas = "control palette";
constexpr const char* kFlyThrough = "fly through control";
constexpr const char* kEditCameraMessage = "edit camera";
constexpr const char* kSkyFogCanvas = "sky&fog palette";
constexpr const char* kEditSkyFogMessage = "edit sky&fog";
constexpr const char* kEditSkyFogCanvas = "edit skyfog";
constexpr const char* kEditCumulus = "edit cumulus";
constexpr const char* kEditStratus = "edit stratus";
constexpr const char* kEditPaletteCanvas = "edit palette";
constexpr const char* k3dTransformation = "3d transformation";
constexpr const char* kEditMaterial = "edit material";
constexpr const char* kEditObject = "edit object";
constexpr const char* kEdit2dPicture = "edit 2d picture";
constexpr const char* kEdit3dTexture = "edit 3d texture";
constexpr const char* kMenuBarCanvas = "menu bar";
constexpr const char* kDocSetupMessage = "doc setup";
constexpr const char* kAttributes = "attibutes";  // so the menu bar spells it
constexpr const char* kPreferences = "preferences";
constexpr const char* kDocWindowCanvas = "doc window";
constexpr const char* kNewDocument = "new document";
constexpr const char* kSaveChangesCanvas = "save changes";
constexpr const char* kRevertChanges = "revert changes";
constexpr const char* kDocImageCanvas = "doc image";
constexpr const char* kMatChiclet = "mat chiclet";
constexpr const char* kClearAndRender = "clear & render button";
constexpr const char* kResumeRender = "resume render button";
constexpr const char* kRenderOptions = "render options menu";
constexpr const char* kViewControl = "view control";
constexpr uint32_t kResetViewWord = 7;
constexpr uint32_t kAltF4 = 115;
// The texture editors' modes: the objects' textures, the stratus and the cumulus layer.
constexpr int32_t kObjectTextures = 0;
constexpr int32_t kStratus = 1;
constexpr int32_t kCumulus = 2;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// A handler's 0 is a command carried out.
int32_t Done(int32_t answer) { return answer ? answer : kHandled; }

}  // namespace

int32_t CPaletteManager::DoCommand(uint32_t code) {
  CAppl* app = GetApplication();
  if (fLayoutFlag && app) app->ShowMenuBar();
  if (code == FourCC("quit") && fBusy) return kSilentCode24;
  SBusy busy(fBusy);
  return RunCommand(code);
}

int32_t CPaletteManager::RunCommand(uint32_t code) {
  CDocWindow* window = GetDocWindow();
  SCanvasTable* t = fCanvases;
  CAppl* app = GetApplication();
  if (!t) return kHandled;
  switch (code) {
    case FourCC("abot"): {
      CSplashscreen about;
      if (!about.IsReady()) return kErrFailedCreation;
      if (const int32_t err = about.Build(t->files[kSplashscreenFile])) return err;
      return Done(about.RunAboutBox());
    }
    case FourCC("attr"): return ShowDialog(t->editObjAttrs, [window](CEditObjAttrs* d) { return d->Open(window); });
    case FourCC("cler"):
    case FourCC("copy"):
    case FourCC("cpma"):
    case FourCC("cpmt"):
    case FourCC("cut "):
    case FourCC("desa"):
    case FourCC("invs"):
    case FourCC("pama"):
    case FourCC("pamt"):
    case FourCC("pste"):
    case FourCC("sela"):
    case FourCC("undo"): return window ? Done(window->EditCommand(code)) : kHandled;
    case FourCC("crnd"):
    case FourCC("rndr"): {
      if (!window) return kHandled;
      CUIMessage message;
      message.Init(0, code == FourCC("crnd") ? kClearAndRender : kResumeRender, nullptr, kDocWindowCanvas, 0);
      return Done(window->HandleEvent(&message));
    }
    case FourCC("drnd"): return window ? Done(window->RenderToDisk()) : kHandled;
    case FourCC("dset"): return ShowDocSetup();
    case FourCC("ndoc"): return NewDocumentCommand();
    case FourCC("dupl"): return window ? Done(window->DuplicateSelection()) : kHandled;
    case FourCC("repl"): return window ? Done(window->ReplicateSelection()) : kHandled;
    case FourCC("e2dP"):
      if (app && app->IsShiftDown()) return ShowTextureEditor(kObjectTextures);
      return ShowDialog(t->pictTextures, [](CPictTextures* d) { return d->RefreshSlots(nullptr); });
    case FourCC("e3dT"):
      if (app && app->IsAltDown() && app->IsControlDown()) return ShowTextureEditor(kObjectTextures);
      return ShowQuickTextureEditor(kObjectTextures, false);
    case FourCC("edit"): return window ? Done(window->EditSelection()) : kHandled;
    case FourCC("emat"):
      if (!window || window->IsCameraFirstSelected()) return kHandled;
      return ShowDialog(t->materialComposer, [window](CMaterialComposer* d) { return d->AttachDocument(window); });
    case FourCC("expt"):
      return ShowDialog(t->exportRender, [window](CExportRender* d) {
        d->SetDocumentHost(window);
        return d->Prepare(true);
      });
    case FourCC("flya"): return window ? Done(window->FlyAround()) : kHandled;
    case FourCC("grup"): return window ? Done(window->GroupSelection()) : kHandled;
    case FourCC("ugrp"): return window ? Done(window->UngroupSelection()) : kHandled;
    case FourCC("help"): return window ? Done(window->ShowHelp()) : kHandled;
    case FourCC("impt"): return window ? Done(window->ImportObject()) : kHandled;
    case FourCC("mrep"): return ShowDialog(t->replicate, [](CReplicate* d) { return d->Apply(); });
    case FourCC("open"): return OpenOrMerge(false);
    case FourCC("mrge"): return OpenOrMerge(true);
    case FourCC("nrnd"):
      // The nano preview follows the window's camera before it renders again.
      return t->controlPalette ? Done(t->controlPalette->RenewPreview()) : kHandled;
    case FourCC("obox"): return SetSelectionShownAsBox(true);
    case FourCC("olat"): return SetSelectionShownAsBox(false);
    case FourCC("pgst"):
      if (window) window->PageSetup();
      return kHandled;
    case FourCC("pict"): return window ? Done(window->OpenPicture()) : kHandled;
    case FourCC("pref"): return ShowDialog(t->prefs, [](CPrefs* d) { return d->Open(); });
    case FourCC("prnt"): return window ? Done(window->PrintDocument()) : kHandled;
    case FourCC("quit"): return Quit();
    case FourCC("rese"): return Done(Reset());
    case FourCC("resp"): ResetPalettes(false, true); return kHandled;
    case FourCC("rvrt"): return Revert();
    case FourCC("save"): return window ? Done(window->SaveDocument(0)) : kHandled;
    case FourCC("svas"): return window ? Done(window->SaveDocument(1)) : kHandled;
    default: return kHandled;
  }
}

template <typename Dialog, typename Prepare>
int32_t CPaletteManager::ShowDialog(Dialog* dialog, Prepare prepare) {
  if (!dialog) return kHandled;
  if (const int32_t err = dialog->BuildOnce()) return err;
  if (const int32_t err = prepare(dialog)) return err;
  // Shown already, it keeps the modal level it took: a second raise would never be lowered.
  if (dialog->IsShown()) dialog->BringForward();
  else dialog->Refresh(false);
  return kHandled;
}

// The save question first; quitting waits for its answer when it is asked, and is not asked twice.
int32_t CPaletteManager::Quit() {
  if (CDocWindow* window = GetDocWindow()) {
    if (window->GetFlags() & CDocWindow::kQuitAfterQuestion) return kHandled;
    if (const int32_t asked = window->AskToSaveChanges(CDocWindow::kQuitAfterQuestion)) return asked;
  }
  if (CAppl* app = GetApplication()) app->Quit();
  return kHandled;
}

int32_t CPaletteManager::ShowDocSetup() {
  CDocWindow* window = GetDocWindow();
  CDocSetup* setup = fCanvases->docSetup;
  if (!window || !setup) return kHandled;
  if (const int32_t err = setup->BuildOnce()) return err;
  setup->OpenForNewDocument(window->GetWindowImageSize(), window->GetTitle(), false);
  return Done(setup->Open());
}

// The old document is dropped only after the save question, whose reply opens the set-up that is
// filled for a new document here.
int32_t CPaletteManager::NewDocumentCommand() {
  CDocWindow* window = GetDocWindow();
  CDocSetup* setup = fCanvases->docSetup;
  if (!window || !setup) return kHandled;
  if (const int32_t err = setup->BuildOnce()) return err;
  if (fCanvases->saveChanges) {
    if (const int32_t err = fCanvases->saveChanges->BuildOnce()) return err;
  }
  setup->OpenForNewDocument(window->GetWindowImageSize(), nullptr, true);
  if (const int32_t asked = window->AskToSaveChanges(0)) return asked;
  return Done(setup->Open());
}

// Opening drops the document, merging adds to it: only opening asks the save question first, and its
// reply opens the file. The set-up is filled for the document's own size: the set-up that follows a
// revert sizes the document again and makes no new one.
int32_t CPaletteManager::OpenOrMerge(bool merge) {
  CDocWindow* window = GetDocWindow();
  CDocSetup* setup = fCanvases->docSetup;
  if (!window || !setup) return kHandled;
  if (const int32_t err = setup->BuildOnce()) return err;
  if (fCanvases->saveChanges) {
    if (const int32_t err = fCanvases->saveChanges->BuildOnce()) return err;
  }
  setup->OpenForNewDocument(window->GetWindowImageSize(), window->GetTitle(), false);
  if (!merge) {
    if (const int32_t asked = window->AskToSaveChanges(CDocWindow::kOpenAfterQuestion)) return asked;
  }
  CAppl* app = GetApplication();
  const int32_t err = window->OpenDocument(merge ? 1 : 0, nullptr, app && app->IsAltDown());
  if (!err) window->SetFlags(CDocWindow::kHasFile);
  LinkCanvases();
  return Done(err);
}

// With unsaved changes the revert question; else the document is read again from its file.
int32_t CPaletteManager::Revert() {
  CDocWindow* window = GetDocWindow();
  if (!window) return kHandled;
  CUIMessage message;
  if (window->GetFlags() & CDocWindow::kUnsavedChanges) {
    message.Init(0, kRevertChanges, nullptr, nullptr, 0);
    return Done(fBroadcaster.Dispatch(&message));
  }
  if (const int32_t err = window->RevertDocument(window->GetFileSpec())) return err;
  // The set-up that follows sizes the document read again; it is filled here, as a 'ndoc' whose
  // question was cancelled may have left it filled for a new document.
  if (CDocSetup* setup = fCanvases->docSetup)
    setup->OpenForNewDocument(window->GetWindowImageSize(), window->GetTitle(), false);
  message.Init(0, kDocSetupMessage, nullptr, kDocSetupMessage, 0);
  return Done(fBroadcaster.Dispatch(&message));
}

int32_t CPaletteManager::Reset() {
  SCanvasTable& t = *fCanvases;
  if (t.controlPalette) t.controlPalette->ResetViewState(true, false);
  if (t.skyFogPalette) t.skyFogPalette->CommitChange();
  if (t.displayPalette) t.displayPalette->ResetSettings();
  CDocWindow* window = t.docWindow;
  if (!window) return kNoErr;
  CUIMessage message;
  message.Init(0, kRenderOptions, nullptr, nullptr, 0);
  message.SetPayloadWord(0, int32_t(FourCC("res0")));
  window->HandleControlMessage(&message);
  message.Init(2, kViewControl, nullptr, kDocWindowCanvas, 0);
  message.SetPayloadWord(0, kResetViewWord);
  window->HandleControlMessage(&message);
  window->Invalidate(true);
  return kNoErr;
}

int32_t CPaletteManager::SetSelectionShownAsBox(bool box) {
  CDocWindow* window = GetDocWindow();
  if (!window) return kHandled;
  const int32_t err = window->ShowSelectionAsBox(box);
  window->Invalidate(false);
  return Done(err);
}

int32_t CPaletteManager::ShowTextureEditor(int32_t mode) {
  CResourceEnv* library = fCanvases->files[kTexturesFile];
  return ShowDialog(fCanvases->dtEditor, [library, mode](CDTEditor* editor) {
    int32_t err = editor->SetTextureSource(library, mode);
    if (!err) err = editor->RefreshComponentControls(1);
    if (!err) err = editor->BindControls();
    return err;
  });
}

int32_t CPaletteManager::ShowQuickTextureEditor(int32_t mode, bool forSkyFog) {
  CResourceEnv* library = fCanvases->files[kTexturesFile];
  return ShowDialog(fCanvases->edit3dTexture, [library, mode, forSkyFog](CEdit3dTexture* editor) {
    if (forSkyFog) {
      if (const int32_t err = editor->SetTarget(kEditSkyFogCanvas, nullptr, 0)) return err;
    }
    return editor->LoadTextureLibrary(library, mode);
  });
}

// ---- UI messages

int32_t CPaletteManager::ReceiveUIMessage(void* manager, void* message, void*) {
  if (!manager) return kNoErr;
  return static_cast<CPaletteManager*>(manager)->HandleUIMessage(static_cast<CUIMessage*>(message));
}

int32_t CPaletteManager::HandleUIMessage(CUIMessage* message) {
  if (!message || !fCanvases) return kNoErr;
  if (message->kind == 0) {
    bool acted = false;
    const int32_t answer = HandleNamedMessage(*message, &acted);
    if (acted) return answer;
  }
  if (fPending.GetCount() && Is(message->canvasName, kSaveChangesCanvas)) return HandleSaveReply(*message);
  if (Is(message->canvasName, kDocImageCanvas) && Is(message->elementName, kMatChiclet))
    return DoCommand(FourCC("emat"));
  return kNoErr;
}

int32_t CPaletteManager::HandleNamedMessage(const CUIMessage& message, bool* acted) {
  const char* canvas = message.canvasName;
  const char* element = message.elementName;
  SCanvasTable& t = *fCanvases;
  *acted = true;
  if (Is(element, kUiMinMax)) {
    ResetPalettes(fLayoutFlag, true);
    return kHandled;
  }
  if (Is(canvas, kControlCanvas) && Is(element, kFlyThrough)) return DoCommand(FourCC("flya"));
  if (Is(element, kResetPalettes)) {
    ResetPalettes(false, true);
    return kHandled;
  }
  if (Is(canvas, kSkyFogCanvas) && Is(element, kEditSkyFogMessage)) {
    // Shown already, it keeps what the user typed.
    const int32_t err = ShowDialog(t.editSkyFog, [](CEditSkyFog* d) {
      if (!d->IsShown()) d->OpenWith(CEditSkyFog::GetEditState());
      return kNoErr;
    });
    return err == kHandled ? kNoErr : err;
  }
  if (Is(canvas, kEditPaletteCanvas) && Is(element, k3dTransformation)) {
    const int32_t mode = message.GetPayloadWord(0);
    const int32_t err = ShowDialog(t.edit3dTrans, [mode](CEdit3dTrans* d) { return d->Open(mode); });
    return err == kHandled ? kNoErr : err;
  }
  if (Is(canvas, kControlCanvas) && Is(element, kEditCameraMessage)) {
    if (!t.editCamera) return kHandled;
    if (const int32_t err = t.editCamera->BuildOnce()) return err;
    if (const int32_t err = t.editCamera->SetCamera(t.docWindow)) return err;
    return Done(t.editCamera->Open());
  }
  if (Is(canvas, kEditSkyFogCanvas) && (Is(element, kEditCumulus) || Is(element, kEditStratus))) {
    const int32_t mode = Is(element, kEditCumulus) ? kCumulus : kStratus;
    CAppl* app = GetApplication();
    if (app && app->IsAltDown()) return ShowTextureEditor(mode);
    // Only a dialog that showed comes back when the texture dialog answers.
    if (t.editSkyFog && t.editSkyFog->IsShown()) t.editSkyFog->HandOverCloudLayer(mode, t.files[kTexturesFile]);
    if (t.editSkyFog) t.editSkyFog->Close();
    return ShowQuickTextureEditor(mode, true);
  }
  if (Is(canvas, kEditPaletteCanvas)) {
    if (Is(element, kEditMaterial)) return DoCommand(FourCC("emat"));
    if (Is(element, kEditObject)) return DoCommand(FourCC("edit"));
    if (Is(element, kEdit2dPicture)) return DoCommand(FourCC("e2dP"));
    if (Is(element, kEdit3dTexture)) return DoCommand(FourCC("e3dT"));
  }
  if (Is(canvas, kMenuBarCanvas)) {
    if (Is(element, kDocSetupMessage)) return DoCommand(FourCC("dset"));
    if (Is(element, kAttributes)) return DoCommand(FourCC("attr"));
    if (Is(element, kPreferences)) return DoCommand(FourCC("pref"));
    return 1;
  }
  if (Is(canvas, kDocWindowCanvas) && Is(element, kNewDocument))
    return Done(NewDocument(message.firstPoint, message.secondPoint));
  *acted = false;
  return kNoErr;
}

// The save question the palette manager asked before opening a pending file.
int32_t CPaletteManager::HandleSaveReply(const CUIMessage& message) {
  CDocWindow* window = GetDocWindow();
  if (window) window->ClearFlags(CDocWindow::kIgnoreSaveReplies);
  if (Is(message.elementName, CSaveChanges::kSave)) {
    const int32_t answer = DoCommand(FourCC("save"));
    if (answer != kNoErr && answer != kHandled) ClearPending();
    return answer;
  }
  if (Is(message.elementName, CSaveChanges::kDontSave)) {
    if (window) window->ClearFlags(CDocWindow::kUnsavedChanges);
    return kHandled;
  }
  if (Is(message.elementName, CSaveChanges::kSaveCancel)) {
    ClearPending();
    return kHandled;
  }
  return kNoErr;
}

// ---- keys and menu picks

int32_t CPaletteManager::HandleKey(const SWinEvent& event) {
  CAppl* app = GetApplication();
  if (fBusy || !app) return kNoErr;
  const bool control = app->IsControlDown();
  const bool alt = app->IsAltDown();
  const bool shift = app->IsShiftDown();
  if (alt && event.virtualKey == kAltF4) return DoCommand(FourCC("quit"));
  // A dialog in front takes its own keys: the menu bar's letters are its shortcuts there.
  if (CDocWindow* window = GetDocWindow(); window && window->IsStale()) return kNoErr;
  uint32_t code = 0;
  if (fMenuBar.FindByAccelerator(event.key, &code, control, alt, shift, app->IsCommandDown()))
    return DoCommand(code);
  if (!control) return kNoErr;
  // The Tab key itself: Ctrl+I's character is a tab too.
  if (event.virtualKey == platform::kVkTab) return TogglePalettes();
  if (event.key == 't' || event.key == 'T') return DoCommand(FourCC("edit"));
  return kNoErr;
}

// Palettes hidden but one shown again by hand: the next toggle hides them all.
int32_t CPaletteManager::TogglePalettes() {
  if (fPalettesHidden && IsAnyPaletteVisible()) fPalettesHidden = false;
  ShowPalettes(fPalettesHidden, true, true);
  return kHandled;
}

int32_t CPaletteManager::HandleMenuPick(platform::MenuHandle menu, uint32_t item) {
  if (fBusy) return kNoErr;
  uint32_t code = 0;
  if (!fMenuBar.GetItemData(&code, menu, item)) return kNoErr;
  return DoCommand(code);
}

// The session ends only when the program quits: a save question cancelled keeps both.
bool CPaletteManager::QueryEndSession() {
  if (fBusy) return true;
  DoCommand(FourCC("quit"));
  CAppl* app = GetApplication();
  auto asking = [this] {
    CDocWindow* window = GetDocWindow();
    return window && (window->GetFlags() & CDocWindow::kQuitAfterQuestion);
  };
  while (app && app->IsRunning() && asking()) app->Step();
  return !asking() && !(app && app->IsRunning());
}

// ---- a new document

int32_t CPaletteManager::NewDocument(SPointHV imageSize, SPointHV renderSize) {
  if (!fCanvases) return kErrFailedCreation;
  if (imageSize.h <= 0 || imageSize.v <= 0) return kErrInvalidParameter;
  // A render size the set-up could not offer renders at the document's own size.
  if (renderSize.h <= 0 || renderSize.v <= 0) renderSize = imageSize;
  CDocWindow* old = fCanvases->docWindow;
  CDocWindow* window = nullptr;
  if (const int32_t err = MakeDocWindow(&window, imageSize, renderSize)) return err;
  if (old) {
    int32_t err = window->CopyViewDotStates(old);
    if (!err) err = window->CopyCopiedMaterial(old);
    if (err) {
      delete window;
      return err;
    }
  }
  GiveCompanions(window);
  ReplaceDocWindow(old, window);
  window = fCanvases->docWindow;
  if (!window) return kErrOutOfMemory;
  if (old) {
    ResetPalettes(false, true);
    ShowPalettes(true, false, false);
  }
  LinkCanvases();
  window->ClearSelection();
  window->ClearFlags(CDocWindow::kUnsavedChanges | CDocWindow::kHasFile);
  if (fCanvases->controlPalette) {
    fCanvases->controlPalette->SelectView(0);
    fCanvases->controlPalette->ApplySettings();
  }
  if (fCanvases->displayPalette) fCanvases->displayPalette->ApplySettings();
  return kNoErr;
}
