// The document window: the canvas that shows the open scene in its views, a child window of the main
// window built from the layout "doc window". Exactly one is current; the palette manager makes it at
// start-up and replaces it only for a new document.
//
// Placeholder until the document window's issues: it builds from its layout, initialises (0), keeps
// its flag word, sizes and view rectangle, shows "doc image" over the view rectangle, reports no
// unsaved changes, and each operation that carries out a user command answers 27. The operations are
// virtual so that the shell's tests can stand in for the window.
#pragma once

#include <cstdint>

#include "framework/core/file_spec.h"
#include "framework/ui/geometry.h"
#include "framework/ui/layout_host_canvas.h"

class CEditPoly;
class CEditTori;
class CElement;
class CMenuBar;
class CNanoEditor;
class CPictTextures;
class CReportRender;
class CTerrainEditor;

class CDocWindow : public CLayoutHostCanvas {
 public:
  static constexpr uint32_t kChildStyle = 0x40000000;
  static constexpr uint32_t kTitleBytes = 64;
  // The flag word.
  enum : uint32_t {
    kUnsavedChanges = 0x1,
    kViewIsCanvas = 0x2,  // the view rectangle is the whole canvas: no margins
    kQuitAfterQuestion = 0x4,  // what the answer to the save question goes on with
    kOpenAfterQuestion = 0x8,
    kMergeAfterQuestion = 0x10,
    kNewAfterQuestion = 0x20,
    kHasFile = 0x40,
    kIgnoreSaveReplies = 0x400,  // the palette manager asked and takes the answer
  };
  enum : uint32_t {
    kDirtyRedraw = 0x1,
    kDirtyView = 0x4,
    kDirtyClasses = 0x8,
    kDirtyLayer = 0x10,
    kDirtyScreen = 0x20,
  };

  CDocWindow(CUICmFunction* owner, CResourceEnv* environment);
  ~CDocWindow() override;

  // The layout's tree, then its "doc image" element.
  int32_t BuildControls(CResourceEnv* environment) override;
  // textures: the texture library; imageSize and renderSize: (width, height) of the window image and
  // of the rendered image. The title from "doc text", no unsaved changes: 0.
  virtual int32_t Init(CResourceEnv* textures, SPointHV imageSize, SPointHV renderSize);

  uint32_t GetFlags() const { return fFlags; }
  void SetFlags(uint32_t bits) { fFlags |= bits; }
  void ClearFlags(uint32_t bits) { fFlags &= ~bits; }
  const char* GetTitle() const { return fTitle; }
  SPointHV GetWindowImageSize() const { return fImageSize; }
  SPointHV GetRenderImageSize() const { return fRenderSize; }
  CResourceEnv* GetTextureLibrary() const { return fTextures; }

  // The view rectangle in the window's pixels, and the view laid out on it again.
  virtual void SetViewRect(const SRect& rect);
  const SRect& GetViewRect() const { return fViewRect; }
  virtual void LayoutView();
  // The dirty word: 1 redraw pending, 4 the view or camera changed, 8 reset the scene's classes, 16
  // draw the scene layer, 32 copy to the screen. Invalidate sets 1, 16 and 32, and 4 when the view
  // changed; the window redraws from them.
  using CLayoutHostCanvas::Invalidate;
  virtual void Invalidate(bool viewChanged);
  uint32_t GetDirtyBits() const { return fDirty; }

  // The save question before the document is dropped: 0 when it has no unsaved changes, 26 once the
  // question is asked, after which the answer goes on with what `after` (a flag bit) says.
  virtual int32_t AskToSaveChanges(uint32_t after);

  // ---- the document's file commands; file: the file to open, or none to ask for one
  virtual int32_t OpenDocument(uint8_t merge, const CFileSpec* file, bool alt);
  virtual int32_t RevertDocument(CFileSpec file);
  // asNew: ask for a name even when the document has one.
  virtual int32_t SaveDocument(int32_t asNew);
  virtual int32_t ImportObject();
  virtual int32_t OpenPicture();
  virtual int32_t PrintDocument();
  virtual int32_t PageSetup();
  virtual int32_t RenderToDisk();
  const CFileSpec& GetFileSpec() const { return fFile; }

  // ---- commands on the selection and the scene
  virtual int32_t EditCommand(uint32_t code);
  virtual int32_t DuplicateSelection();
  virtual int32_t ReplicateSelection();
  virtual int32_t GroupSelection();
  virtual int32_t UngroupSelection();
  virtual int32_t EditSelection();
  virtual int32_t ShowSelectionAsBox(bool box);
  virtual int32_t FlyAround();
  virtual int32_t ShowHelp();
  virtual bool IsCameraFirstSelected();
  virtual void ClearSelection();

  // The render buttons and "size document" answer 27; the rest goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;
  // The control strip's messages (render options, view control).
  virtual int32_t HandleControlMessage(CUIMessage* message);

  // ---- what a new document window takes over from the one it replaces
  virtual int32_t CopyViewDotStates(CDocWindow* from);
  virtual int32_t CopyCopiedMaterial(CDocWindow* from);

  // ---- companions
  void SetCompanions(CTerrainEditor* terrain, CEditPoly* meshes, CEditTori* tori, CReportRender* report);
  void SetPictTextures(CPictTextures* dialog) { fPictTextures = dialog; }
  void SetMenuBar(CMenuBar* menuBar) { fMenuBar = menuBar; }
  void SetNanoEditor(CNanoEditor* editor) { fNanoEditor = editor; }
  CTerrainEditor* GetTerrainEditor() const { return fTerrainEditor; }
  CEditPoly* GetMeshPanel() const { return fMeshPanel; }
  CEditTori* GetTorusEditor() const { return fTorusEditor; }
  CReportRender* GetReportRender() const { return fReportRender; }
  CPictTextures* GetPictTextures() const { return fPictTextures; }
  CMenuBar* GetMenuBar() const { return fMenuBar; }
  CNanoEditor* GetNanoEditor() const { return fNanoEditor; }

 private:
  CFileSpec fFile;
  char fTitle[kTitleBytes] = {};
  uint32_t fFlags = 0;
  uint32_t fDirty = 0;
  SRect fViewRect;
  SPointHV fImageSize;
  SPointHV fRenderSize;
  CResourceEnv* fTextures = nullptr;
  CElement* fDocImage = nullptr;
  CTerrainEditor* fTerrainEditor = nullptr;
  CEditPoly* fMeshPanel = nullptr;
  CEditTori* fTorusEditor = nullptr;
  CReportRender* fReportRender = nullptr;
  CPictTextures* fPictTextures = nullptr;
  CMenuBar* fMenuBar = nullptr;
  CNanoEditor* fNanoEditor = nullptr;
};

// The program's current document window, none before the interface is built and after it is gone.
CDocWindow* GetCurrentDocWindow();
void SetCurrentDocWindow(CDocWindow* window);
