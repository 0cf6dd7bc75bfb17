// The palette manager: the whole interface of the main window. It opens the layout files, builds every
// palette and dialog once, holds the menu bar and the broadcaster of UI messages with its queue, lays
// the palettes out around the document view, turns menu picks, keys and UI messages into command
// codes for one dispatcher, and keeps the files waiting to be opened.
//
// The work is spread by concern: the interface build in palette_manager.cpp, the commands in
// command_dispatch.cpp, the pending files and main-window messages in pending_files.cpp, and the
// palettes' layout and preferences in palette_layout.cpp.
#pragma once

#include <cstdint>

#include "app/layout_needs.h"
#include "app/menu_bar.h"
#include "framework/core/base_object.h"
#include "framework/core/dyn_table.h"
#include "framework/core/file_spec.h"
#include "framework/core/timer.h"
#include "framework/ui/geometry.h"
#include "framework/ui/ui_message.h"
#include "platform/window.h"

class CAddPreset;
class CColorPicker;
class CControlPalette;
class CCreatePalette;
class CDTEditor;
class CDTSubEditor;
class CDeletePreset;
class CDisplayPalette;
class CDocSetup;
class CDocWindow;
class CEdit3dTexture;
class CEdit3dTrans;
class CEditCamera;
class CEditFamily;
class CEditLight;
class CEditObjAttrs;
class CEditPalette;
class CEditPoly;
class CEditSkyFog;
class CEditTori;
class CExportRender;
class CLayoutHostCanvas;
class CMaterialComposer;
class CNanoEditor;
class CObjMatPresets;
class CBillboard;
class CPictTextures;
class CPrefs;
class CReplaceTexture;
class CReplicate;
class CReportRender;
class CResourceEnv;
class CRevertChanges;
class CSaveChanges;
class CSaveNewTexture;
class CSelectionPalette;
class CSkyFogPalette;
class CSkyFogPresets;
class CSplashscreen;
class CTerrainEditor;
class CTextEditPopup;
class CUIHostCanvas;
struct SWinEvent;

// The six palettes, in the order of their preferences fields.
enum EPalette : uint32_t {
  kControlPalette,
  kCreatePalette,
  kEditPalette,
  kSkyFogPalette,
  kDisplayPalette,
  kSelectionPalette,
  kPaletteCount,
};

// The layout files' environments and every canvas built from them; none before the build and
// after it.
struct SCanvasTable {
  static constexpr uint32_t kCanvasCount = 38;
  struct SBuilt {
    CUIHostCanvas* canvas;
    ELayoutFile file;
  };

  CResourceEnv* files[kLayoutFileCount] = {};
  // In the order of their construction.
  SBuilt built[kCanvasCount] = {};
  uint32_t builtCount = 0;

  CEditFamily* editFamily = nullptr;
  CSaveChanges* saveChanges = nullptr;
  CDocWindow* docWindow = nullptr;
  CNanoEditor* nanoEditor = nullptr;
  CReplicate* replicate = nullptr;
  CDocSetup* docSetup = nullptr;
  CEditSkyFog* editSkyFog = nullptr;
  CAddPreset* addPreset = nullptr;
  CEdit3dTexture* edit3dTexture = nullptr;
  CSaveNewTexture* saveNewTexture = nullptr;
  CReplaceTexture* replaceTexture = nullptr;
  CRevertChanges* revertChanges = nullptr;
  CDeletePreset* deletePreset = nullptr;
  CEditObjAttrs* editObjAttrs = nullptr;
  CEdit3dTrans* edit3dTrans = nullptr;
  CTerrainEditor* terrainEditor = nullptr;
  CEditPoly* editPoly = nullptr;
  CEditTori* editTori = nullptr;
  CReportRender* reportRender = nullptr;
  CExportRender* exportRender = nullptr;
  CDTSubEditor* dtSubEditor = nullptr;
  CDTEditor* dtEditor = nullptr;
  CEditCamera* editCamera = nullptr;
  CControlPalette* controlPalette = nullptr;
  CCreatePalette* createPalette = nullptr;
  CEditPalette* editPalette = nullptr;
  CSkyFogPalette* skyFogPalette = nullptr;
  CSelectionPalette* selectionPalette = nullptr;
  CColorPicker* colorPicker = nullptr;
  CDisplayPalette* displayPalette = nullptr;
  CObjMatPresets* objMatPresets = nullptr;
  CBillboard* billboard = nullptr;
  CPictTextures* pictTextures = nullptr;
  CMaterialComposer* materialComposer = nullptr;
  CTextEditPopup* textEditPopup = nullptr;
  CEditLight* editLight = nullptr;
  CSkyFogPresets* skyFogPresets = nullptr;
  CPrefs* prefs = nullptr;
};

// How the palette manager makes a document window: at start-up and for each new document.
using DocWindowFactory = CDocWindow* (*)(CUICmFunction* owner, CResourceEnv* environment);

class CPaletteManager : public CBaseObject {
 public:
  static constexpr int32_t kRowGrowth = 16;
  static constexpr uint32_t kQueueGrowth = 32;
  static constexpr int32_t kPendingGrowth = 32;
  // Dialogs are built eagerly only this long into the build, and only while no click waits.
  static constexpr int64_t kPreBuildTicks = 600;
  static constexpr SPointHV kStartImageSize{480, 360};
  // A name of this length or longer is refused rather than cut.
  static constexpr uint32_t kMaxNameBytes = CFileSpec::kMaxPath + 1;

  CPaletteManager();
  ~CPaletteManager() override;

  // The canvas table could be had.
  bool IsValid() const { return fCanvases != nullptr; }
  CUICmFunction* GetBroadcaster() { return &fBroadcaster; }
  CMenuBar* GetMenuBar() { return &fMenuBar; }
  bool IsBusy() const { return fBusy; }
  const SCanvasTable* GetCanvases() const { return fCanvases; }
  CDocWindow* GetDocWindow() const { return fCanvases ? fCanvases->docWindow : nullptr; }
  CLayoutHostCanvas* GetPalette(EPalette palette) const;
  void SetDocWindowFactory(DocWindowFactory factory) { fDocWindowFactory = factory; }

  // ---- the interface build
  // The layout file folder + name, resolved in the program's folder: 0 with *out a usable resource
  // environment; the resolution's code; 13 otherwise (*out none).
  int32_t OpenUIResourceFile(const char* folder, const char* name, CResourceEnv** out);
  // Builds the whole interface from the layout files of folder: 0 or the first failure's code, after
  // which nothing of the build is left.
  int32_t LoadUIResources(const char* folder);
  // Tells the palettes and dialogs about the current document window.
  void LinkCanvases();
  // Stores the palettes' layout, then deletes every canvas, menu and layout file.
  void ShutdownUI();

  // ---- commands (command_dispatch.cpp)
  // 26 for a code carried out and for one it does not know; 24 for 'quit' while busy; else the
  // handler's or a dialog build's code.
  int32_t DoCommand(uint32_t code);
  // The broadcaster's row: (palette manager, message) → HandleUIMessage.
  static int32_t ReceiveUIMessage(void* manager, void* message, void* data);
  // 26 or the dispatcher's answer when it acted, 1 for an element of the "menu bar" it does not know,
  // 0 when the message is not its own.
  int32_t HandleUIMessage(CUIMessage* message);
  // 0 when the key is no command, else the dispatcher's answer (26 for Ctrl+Tab).
  int32_t HandleKey(const SWinEvent& event);
  // 0 while busy or when no menu's item matches, else the dispatcher's answer.
  int32_t HandleMenuPick(platform::MenuHandle menu, uint32_t item);
  // Whether the session may end: the document's save question first.
  bool QueryEndSession();
  // A document of imageSize rendered at renderSize replaces the current one: 0 or the build's or
  // set-up's code.
  int32_t NewDocument(SPointHV imageSize, SPointHV renderSize);

  // ---- files waiting to be opened, and the main window's messages (pending_files.cpp)
  // The document names of a command line (relative ones in folder, else in the current folder): the
  // first quoted name, or else every space-separated word. 0.
  int32_t QueueCommandLineFiles(const char* text, const char* folder = nullptr);
  // A forwarded command line, dropped files and the display change: true when consumed.
  bool HandleWindowMessage(SWinEvent& event);
  // Opens the first pending file, after the save question when the document has unsaved changes: 0
  // or the opening's code.
  int32_t IdleStep();
  uint32_t GetPendingCount() const { return fPending.GetCount(); }
  const CFileSpec& GetPending(uint32_t index) const { return fPending[index]; }
  void ClearPending() { fPending.Clear(); }

  // ---- the palettes' layout and the preferences (palette_layout.cpp)
  // mode 1 at start-up (restore, or store when the preferences do not ask to restore), 0 at shut-down
  // (store): true when the record was written.
  bool StorePalettePrefs(int32_t mode);
  // The normal layout (palettes framing a view of the document image's size) or the maximised one
  // (palettes at the work area's edges, the document window between them); write: the choice goes
  // into the preferences.
  void ResetPalettes(bool maximised, bool write);
  // Shows or hides the six palettes (showing also the document window); refit lays the view out
  // again. The new palettes-hidden flag.
  bool ShowPalettes(bool show, bool refit, bool fromCtrlTab);
  // The palette's top-left corner to (x, y), its size kept; it counts as placed.
  void MovePalette(CLayoutHostCanvas* palette, int32_t x, int32_t y);
  void HidePalettesAndWindow();
  // 1 after a normal layout, 0 after a maximised one: what "ui min max" chooses next.
  bool GetLayoutFlag() const { return fLayoutFlag; }
  bool ArePalettesHidden() const { return fPalettesHidden; }
  // The document view of the last layout, on the screen.
  const SRect& GetViewRect() const { return fViewRect; }

 private:
  // Sets the busy flag for its lifetime and puts back what it was, so that commands may nest.
  struct SBusy {
    explicit SBusy(bool& flag) : fFlag(flag), fBefore(flag) { fFlag = true; }
    ~SBusy() { fFlag = fBefore; }
    bool& fFlag;
    bool fBefore;
  };

  // ---- build steps
  int32_t OpenLayoutFiles(const char* folder, ELayoutFile first, ELayoutFile last);
  int32_t LoadMenus();
  int32_t ConstructCanvases();
  int32_t ConstructFirstCanvases();
  int32_t ConstructDialogs();
  int32_t ConstructPalettes();
  int32_t ConstructLibraries();
  // When a canvas builds: on first use, during the build while that is early and nothing was
  // clicked, or during the build.
  enum EBuild { kNoBuild, kPreBuild, kBuild };
  // The canvas into the table; one that is not usable, or for which there is no room, is deleted.
  bool Admit(CUIHostCanvas* canvas, ELayoutFile file);
  int32_t BuildAsMarked(CUIHostCanvas* canvas, EBuild mark);
  // A new T on the file's environment (and the companions) into *slot, entered.
  template <typename T, typename... Companions>
  int32_t Make(T** slot, ELayoutFile file, EBuild mark, Companions... companions);
  bool MayPreBuild();
  int32_t MakeDocWindow(CDocWindow** out, SPointHV imageSize, SPointHV renderSize);
  void GiveCompanions(CDocWindow* window);
  // The new window takes the old one's place in the table and as the current one; the old one goes.
  void ReplaceDocWindow(CDocWindow* old, CDocWindow* window);
  void DestroySplashscreen();
  // Every canvas, menu and layout file, in the order ShutdownUI deletes them.
  void ReleaseUI();
  void DeleteCanvasesOf(ELayoutFile file);
  void CloseFile(ELayoutFile file);

  // ---- commands
  int32_t RunCommand(uint32_t code);
  // Builds the dialog once, prepares it (prepare(dialog): 0 or a code) and brings it up as the top
  // modal level; 26, or the build's or preparation's code. Nothing for a dialog that does not exist.
  template <typename Dialog, typename Prepare>
  int32_t ShowDialog(Dialog* dialog, Prepare prepare);
  int32_t Quit();
  int32_t OpenOrMerge(bool merge);
  int32_t NewDocumentCommand();
  int32_t ShowDocSetup();
  int32_t Revert();
  int32_t Reset();
  int32_t SetSelectionShownAsBox(bool box);
  int32_t ShowTextureEditor(int32_t mode);
  int32_t ShowQuickTextureEditor(int32_t mode, bool forSkyFog);
  int32_t HandleNamedMessage(const CUIMessage& message, bool* acted);
  int32_t HandleSaveReply(const CUIMessage& message);
  int32_t TogglePalettes();
  void CarryOver(CDocWindow* from, CDocWindow* to);

  // ---- pending files and messages
  bool QueueFile(const char* name, const char* folder);
  void TakeDroppedFiles(SWinEvent& event);
  void RefitToDisplay(SWinEvent& event);
  int32_t AskBeforeOpening(CDocWindow* window);

  // ---- layout
  SRect WorkRect();
  void PlaceDocWindow(const SRect& screenRect);
  bool IsAnyPaletteVisible();

  CUICmFunction fBroadcaster{SRange{0, kRowGrowth}, kQueueGrowth};
  bool fBusy = false;
  CMenuBar fMenuBar;
  bool fLayoutFlag = false;
  bool fPalettesHidden = false;
  bool fStarted = false;
  SRect fViewRect;
  SCanvasTable* fCanvases = nullptr;
  CDynTable<CFileSpec> fPending{SRange{0, kPendingGrowth}};
  CSplashscreen* fSplash = nullptr;
  CTimer fBuildTimer;
  DocWindowFactory fDocWindowFactory = nullptr;
};
