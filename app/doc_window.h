// The document window: the canvas that shows the open scene, a child window of the main window built
// from the layout "doc window". Besides being a canvas it carries the document: its settings record,
// the scene object table with the default scene, the fifteen view cameras, the render lists, the
// window image (the wireframe view) and the rendered image, the view, the render state and the
// document object with its selection and undo history. Exactly one is current; the palette manager
// makes it at start-up and replaces it only for a new document.
//
// Code that changes the scene flags the window dirty (Invalidate); the window's heartbeat redraws
// lazily from the dirty bits in a fixed order (view, class reset, scene layer, screen copy) and, while
// a render runs, renders the next slice.
//
// The document's file commands (open, merge, revert, save, import, picture, print) read and write
// through the document library and replace the scene table only once a document was read whole; the
// save question stands between them and unsaved changes.
//
// Still a placeholder behind its final interface: showing the selection as a box (27). The
// operations are virtual so that the shell's tests can stand in for the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/doc_render_state.h"
#include "editing/document_host.h"
#include "editing/import_host.h"
#include "framework/core/file_spec.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/vector3.h"
#include "framework/ui/geometry.h"
#include "framework/ui/layout_host_canvas.h"
#include "render/preview_document.h"
#include "render/view.h"

class C3dBase;
struct C3dBox;
class C3dBaseSpoolTable;
class C3dBaseSys;
class C3dCamera;
class C3dDocument;
class C3dMaterial;
class C3dObject;
class C3dSky;
class C3dSunLight;
class CDocSettings;
class CEditPoly;
class CEditTori;
class CElement;
class CImElement;
class CImage;
class CIxImage;
class CIxText;
class CMaterialAction;
class CMenuBar;
class CNanoEditor;
class CPictTextures;
class CReportRender;
class CResourceEnv;
class CSelectionPalette;
class CTerrainEditor;
struct SDiskRender;
struct QNPluginParams;
struct SHeartbeatRecord;
struct SSpoolKey;
struct SReplicateSettings;

class CDocWindow : public CLayoutHostCanvas, public CDocumentHost, public CImportHost, public CPreviewDocument {
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
    kAltAfterQuestion = 0x20,  // the pending open's third argument
    kHasFile = 0x40,
    kLivePreview = 0x80,       // a live preview window is shown during a drag
    kLivePreviewDrag = 0x100,  // a drag that feeds it is under way
    kNotifyDrags = 0x200,      // every drag step also tells the control palette
    kIgnoreSaveReplies = 0x400,  // the palette manager asked and takes the answer
  };
  // The mode word's bits are CDocumentHost's.
  // The dirty word: 1 redraw pending, 4 the view or camera changed, 8 reset the scene's classes, 16
  // draw the scene layer, 32 copy to the screen.
  enum : uint32_t {
    kDirtyRedraw = 0x1,
    kDirtyView = 0x4,
    kDirtyClasses = 0x8,
    kDirtyLayer = 0x10,
    kDirtyScreen = 0x20,
  };
  // The render request word, cleared at the end of every render call.
  enum : uint32_t { kRenderNow = 0x1, kRenderDrawAll = 0x2 };
  // The render options word after Init: bits 1, 2, 4, 8, 16, 32, 128, 256, 512 and 8192.
  static constexpr uint32_t kInitialRenderOptions = 0x23BF;
  // The fifteen view cameras: the seven standard views, then the eight view dots.
  enum EView : uint32_t {
    kPerspective,
    kTop,
    kRight,
    kFront,
    kLeft,
    kBack,
    kBottom,
    kStandardViewCount,
    kFirstViewDot = kStandardViewCount,
    kViewCameraCount = kFirstViewDot + 8,
  };
  // The overlay buttons, in the layout's order; mask bit 1 << n names button n.
  enum EOverlayButton : uint32_t {
    kMaterialChiclet,
    kAttributesChiclet,
    kEditChiclet,
    kGroupChiclet,
    kUngroupChiclet,
    kFamilyChiclet,
    kLandUpChiclet,
    kLandDownChiclet,
    kOverlayButtonCount,
  };
  // The family number the family chiclet takes when the selection mixes families.
  static constexpr uint32_t kMixedFamilies = 256;
  // The rendered image's zoom levels: −5 enlarges ten times, 3 shows a sixth.
  static constexpr int32_t kMinZoomLevel = -5;
  static constexpr int32_t kMaxZoomLevel = 3;
  static constexpr int32_t kMinShownSide = 80;
  // The names the scene's sky and sun are found by.
  static constexpr const char* kSkyName = "current sky";
  static constexpr const char* kSunName = "sunlight";

  CDocWindow(CUICmFunction* owner, CResourceEnv* environment);
  // Frees everything Init made, however far it got.
  ~CDocWindow() override;

  // The settings record and the render lists came out usable, as the canvas did.
  bool IsReady() const;
  // The layout's tree, then its "doc image" element; a "patch render" picture list that could not be
  // read fails the build with its code.
  int32_t BuildControls(CResourceEnv* environment) override;
  // textures: the texture library; imageSize and renderSize: (width, height) of the window image and
  // of the rendered image. Makes the images, the scene table, the default scene, the view cameras and
  // the render lists, enters the heartbeat and redraws: 0, 9 when a table, image or object cannot be
  // made, or the failing step's code. What was made stays for the destructor.
  virtual int32_t Init(CResourceEnv* textures, SPointHV imageSize, SPointHV renderSize);

  uint32_t GetFlags() const { return fFlags; }
  void SetFlags(uint32_t bits) { fFlags |= bits; }
  void ClearFlags(uint32_t bits) { fFlags &= ~bits; }
  uint32_t GetMode() const override { return fMode; }
  void SetRenderedBackdrop(bool on) override;
  uint32_t GetRenderRequest() const { return fRenderRequest; }
  void SetRenderRequest(uint32_t word) { fRenderRequest = word; }
  bool IsDragging() const { return fDragging != 0; }
  void SetDragging(bool dragging) { fDragging = dragging ? 1 : 0; }
  // The axes the transform options work in: 0 world, 1 the object's own, 2 the camera's.
  int32_t GetEditSpace() const override { return fEditSpace; }
  void SetEditSpace(int32_t space) { fEditSpace = space; }
  const char* GetTitle() const override { return fTitle; }
  SPointHV GetWindowImageSize() const override;
  SPointHV GetRenderImageSize() const;
  CResourceEnv* GetTextureLibrary() const { return fTextures; }
  const CFileSpec& GetFileSpec() const { return fFile; }

  // ---- the document's parts
  CDocSettings* GetSettings() const { return fSettings.get(); }
  C3dDocument* GetDocument() const { return fDocument.get(); }
  CDocRenderState& GetRenderState() { return fRender; }
  uint32_t GetRenderOptions() const { return fRender.fSettings.fFlags; }
  CView& GetView() { return fView; }
  C3dBaseSpoolTable* GetCameraList() const { return fCameras.get(); }
  C3dBaseSpoolTable* GetLightList() const { return fLights.get(); }
  C3dBaseSpoolTable* GetPictureList() const override { return fPictures.get(); }
  C3dCamera* GetViewCamera(uint32_t view) const { return view < kViewCameraCount ? fViewCameras[view] : nullptr; }
  C3dCamera* GetSetUpCamera() const { return fSetUpCamera; }
  C3dMaterial* GetDefaultMaterial() const override { return fDefaultMaterial; }
  void MarkUnsavedChanges() override { SetFlags(kUnsavedChanges); }
  C3dMaterial* GetCopiedMaterial() const { return fCopiedMaterial; }
  // The copied material, made on first use in the application's objects environment (where every
  // scene thing lives, never in the program's data file) when make is set.
  C3dMaterial* GetMaterialClipboard(bool make, int32_t* error = nullptr) override;
  CImage* GetWindowImage() const { return fWindowImage; }
  CImage* GetRenderedImage() const { return fRenderedImage; }
  bool HoldsPicture() const { return fHoldsPicture; }
  // Entry 0 of list 100, and list 101: where object creation finds the material preset libraries.
  const std::string& GetPresetFolder() const { return fPresetFolder; }
  CIxText* GetPresetLibraries() const { return fPresetLibraries.get(); }
  CElement* GetDocImage() const { return fDocImage; }
  CImElement* GetOverlayButton(uint32_t index) const;
  CImElement* GetPatchRender() const { return fPatchRender; }
  CIxImage* GetPatchRenderPictures() const;
  // The key of the window's row in the application's heartbeat table.
  const void* HeartbeatOwner() const { return static_cast<const CDocumentHost*>(this); }

  // ---- CDocumentHost
  C3dBaseSys* GetSceneTable() override { return fScene.get(); }
  C3dBaseSpoolTable* GetObjectList() override { return fObjects.get(); }
  C3dCamera* GetCurrentCamera() override { return fCurrentCamera; }
  // Collects the render lists again from the scene table and feeds the render context's optimizer;
  // marks unsaved changes: 0 or the first failing step's code (9 when a list cannot be locked or
  // grow, or the optimizer or the group links refuse).
  int32_t FindSceneParts(bool relink) override;
  // Restarts the progressive render and posts "objinfochanged" (kind 2, the changes in its data
  // word) to the "control palette".
  void NotifyObjInfoChanged(uint32_t changes) override;
  // The rendered image gives way to the wireframe first; then bits 1, 16 and 32 (and 4 when the view
  // changed). A redraw failure may be reported again after it.
  using CLayoutHostCanvas::Invalidate;
  void Invalidate(bool viewChanged) override;
  // The render camera for the settings' render size from the current camera: 0, 9 when the camera
  // cannot be locked, 16 without one.
  int32_t CacheCameraState() override;

  // ---- CDocumentHost: what the edit palette's drags reach (edit_palette_buttons.cpp)
  C3dDocument* GetHostDocument() override { return GetDocument(); }
  int32_t RedrawNow() override { return Redraw(false); }
  void SetDragState(bool dragging) override { SetDragging(dragging); }
  // The object-info notification of a drag step, while F10 is held or kNotifyDrags is set.
  void NotifyDragStep(uint32_t code) override;

  // ---- CDocumentHost: what the display palette reaches (doc_window_drawing.cpp)
  CView* GetHostView() override { return &fView; }
  bool IsLivePreviewOn() const override { return (fFlags & kLivePreview) != 0; }
  void SetLivePreviewOn(bool on) override { on ? SetFlags(kLivePreview) : ClearFlags(kLivePreview); }
  void MarkBackgroundChanged() override { fBackgroundChanged = 1; }
  void SetHidingUnderground(bool hide) override { fHideUnderground = hide ? 1 : 0; }
  // Picture N of the window's layout file as the view's background picture: the read's code.
  int32_t LoadBackdrop(uint32_t picture) override;
  void ShowPlopRender() override;
  void RepaintWindow() override;

  // ---- CDocumentHost: what the sky & fog palette reaches (doc_window_dispatch.cpp)
  C3dBaseSpoolTable* GetHostLightList() override { return fLights.get(); }
  int32_t PrepareHostSky() override { return PrepareSky(); }
  // "clear & render button" handed to the window's own event handler.
  void ClearAndRender() override;

  // ---- CPreviewDocument
  uint32_t GetRenderSettings() const override { return fRender.fSettings.fFlags; }
  SViewStyle GetViewStyle() const override { return fView.GetStyle(); }
  C3dSky* GetSky() const override { return fSky; }
  C3dSunLight* GetSun() const override { return fSun; }
  C3dBaseSys* GetScene() const override { return fScene.get(); }

  // ---- views and cameras
  // The fifteen cameras into the table, "perspective" current and the seven standard views set up.
  int32_t CreateViewCameras(C3dBaseSys* table);
  int32_t CreateViewCamera(uint32_t slot, const char* name, C3dBaseSys* table);
  // "perspective" to "bottom", then "dot0" to "dot7"; none past them.
  static const char* ViewCameraName(uint32_t slot);
  // Views 0 to 6 as the table of standard views says; a larger number changes nothing. 0.
  int32_t SetStandardView(uint32_t view);
  // "perspective" current, back at (10, 3, −10) aimed at (0, 3, 0), then CacheCameraState.
  int32_t ResetCurrentCamera();
  // Makes one of the fifteen cameras current (the caller then runs CacheCameraState).
  void SetCurrentCamera(C3dCamera* camera) { fCurrentCamera = camera; }
  // Moves an orthographic standard view across its axis so that the point lies on it; both pans 0.
  int32_t AlignViewCamera(C3dCamera* camera, const vector3<double>& point);
  int32_t CreateDefaultGround();
  int32_t CreateDefaultSun();
  // The sky set up again and named, with its two cloud textures from the library when it is usable.
  int32_t SetUpSky(CResourceEnv* textures);
  // The picture texture "leo" with the layout's picture of that name.
  int32_t CreateDefaultPicture();

  // ---- zoom: in the wireframe view the current camera's extents (one camera action recorded), in
  // the rendered-image view the zoom level. 26 when done, or the failing step's code.
  virtual int32_t Zoom(bool zoomIn, bool reset);
  int32_t GetZoomLevel() const { return fZoomLevel; }
  SPointHV GetShownSize() const { return fShownSize; }
  const SRect& GetVisiblePart() const { return fVisiblePart; }

  // ---- drawing and the rendered-image view
  // Switches between the wireframe and the rendered image: 26.
  int32_t ToggleRenderedImage() override;
  // Places "doc image" in the view rectangle, centred; fit resets the visible part of a rendered image
  // smaller than the view.
  void PlaceImageElement(bool fit);
  // Reads a stored 32-bit image and hands it to the view as its background picture; the read's code
  // (a failed read leaves the background as it was).
  int32_t LoadBackdrop(CResourceEnv* environment, const SSpoolKey& key);
  // The "patch render" element's picture over the rendered image, with its frame and shadows.
  void DrawPatchRender(platform::DeviceContext* dc);
  // Shows entry n of the application's "warnings_" list, converted from Mac OS Roman; nothing for a
  // list that cannot be opened or an n at or beyond its count.
  void ShowWarning(uint32_t entry);
  // Pops up menu 150 at the pointer: row 1 asks to zoom to the selection, row 2 shows "patch
  // render". 0 or the pop-up's code.
  int32_t RunContextMenu();

  // ---- redraw
  // Works through the dirty bits in the fixed order view, class reset, scene layer, screen copy and
  // clears the word: 0, 9 when the target image or the scene table cannot be had, or the failing
  // step's code with the bits of the steps not done left set.
  virtual int32_t Redraw(bool force);
  uint32_t GetDirtyBits() const { return fDirty; }
  // Shows the overlay buttons that the selection asks for beside it, and draws them into the image.
  void LayoutOverlayButtons();
  void DrawOverlayButtons();
  // The point's pixel in the window image through the current view.
  SPointHV ProjectPoint(const vector3<double>& point) const;

  // ---- the heartbeat: 0 while a dialog stands in front, the record's second word is set or the
  // canvas is hidden; else the redraw's or the render slice's result.
  int32_t Heartbeat(const SHeartbeatRecord& record);
  // Enables or greys the menu commands that depend on the selection: the groups 4, 1, 8 and 16, then
  // (with something selected) 2, each refining the one before. 0.
  virtual int32_t UpdateMenuStates();
  // The menu groups: 1 the commands on any selection, 2 'edit', 4 'rvrt', 8 'grup', 16 'ugrp'.
  enum EMenuGroup : uint32_t {
    kSelectionMenuGroup = 1,
    kEditMenuGroup = 2,
    kRevertMenuGroup = 4,
    kSeveralMenuGroup = 8,
    kUngroupMenuGroup = 16,
  };
  // Every command of the group enabled or greyed in the menu bar's menus; another group does nothing.
  void EnableMenuGroup(uint32_t group, bool enable);
  // Whether a usable camera is among the selected objects of the object list; with firstOnly only
  // the first selected object counts.
  bool HasSelectedCamera(bool firstOnly);
  virtual int32_t TrackHover();
  virtual int32_t TrackImageHover();
  // Renders the render region into the rendered image through the window's own render context while
  // request bit 1 is set, draws the whole image for bit 2, and clears the request word: 0 when done
  // (a complete render beeps and fills the report), 24 when the user stopped it (the next call
  // resumes), 9 when the optimizer, view or scene cannot be had, or the render's own code.
  virtual int32_t RenderSlice();
  // The rendered image's rectangle moved one sixteenth towards the pattern, tiled from the image's
  // origin with every other row of tiles shifted by half a tile; top bytes cleared. Nothing unless both
  // images are usable and the flag is set.
  static void TintRectangle(CImage* image, CImage* pattern, uint32_t flag, const SRect& rect);
  // The same with picture `pattern` of the window's layout, read on first use: 0 or the read's code.
  int32_t TintRenderRegion(CImage* image, uint32_t pattern, uint32_t flag, const SRect& rect);
  // The rectangle of the rendered image shown tinted on screen (empty: none).
  const SRect& GetTintedRegion() const { return fTintedRegion; }
  // The rendered image as the view shows it: the visible part, with the tinted region marked.
  CImage* GetShownImage() const { return fShownImage; }

  // The view rectangle in the window's pixels, and the view laid out on it again.
  virtual void SetViewRect(const SRect& rect);
  const SRect& GetViewRect() const { return fViewRect; }
  virtual void LayoutView();

  // The save question before the document is dropped: 0 when it has no unsaved changes; else the
  // bits of `after` (what the reply goes on with: quit, open) are set, the "save changes" dialog is
  // asked to open and 26 answered. A question already up is not asked again (26); one that no dialog
  // took is the dispatch's answer, with the bits cleared again.
  virtual int32_t AskToSaveChanges(uint32_t after);

  // ---- the document's file commands (doc_file_commands.cpp). Each answers 0, 24 when the user
  // cancels a dialog, or the failing step's code; a failure leaves the scene as it was.
  // The largest sizes a document takes from a stored settings record: the document set-up's.
  static constexpr uint32_t kMaxDocumentWidth = 4000;
  static constexpr uint32_t kMaxDocumentHeight = 32000;
  // Reads a document (file, or one the user chooses) into a new scene table, which replaces the
  // window's once it is read whole. merge: the document's things join the scene with fresh ids
  // instead, the file spec and title stay and the document counts as changed; withSkyAndSun: a
  // merge takes the merged document's sky and sun in place of the window's.
  virtual int32_t OpenDocument(uint8_t merge, const CFileSpec* file, bool withSkyAndSun);
  // The document read again from the file, as saved: its settings, render options and picture.
  virtual int32_t RevertDocument(CFileSpec file);
  // Writes the scene and the settings through a temporary file put in the document's place, and
  // the rendered image beside it as a BMP file when the preferences ask for one (its failure is
  // reported, the save still stands). asNew: ask for a name even when the document has one.
  virtual int32_t SaveDocument(int32_t asNew);
  // The render state's progressive words and render options into the settings record, which is
  // stored into the document when one is given: 0 or the store's code.
  int32_t SaveDocumentSettings(CResourceEnv* document);
  // The scene just read made ready: images at the settings' sizes, the view cameras, view dots, sky
  // and sun (each made when missing), groups relinked (from stored ids for an earlier version's
  // document), the picture textures, the stored selection, and a redraw. Clears unsaved changes.
  int32_t ResetScene(bool earlierVersion);

  // ---- rendering depth, read by the control palette's nano preview (doc_window_render.cpp)
  // Above 0 while RenderSlice renders: the preview leaves the machine to the window's render.
  uint32_t GetRenderDepth() const { return fRenderDepth; }

  // ---- import through the plug-ins of "Plugins" (doc_import.cpp)
  virtual int32_t ImportObject();
  // The file dialog over every plug-in format and the plug-in's call with the chosen path.
  int32_t ImportWithPlugin(QNPluginParams* block);

  // ---- picture, page set-up and print (doc_picture_commands.cpp)
  // A picture file into the top left of the rendered image, which is then shown: 0 also when
  // cancelled, or the reader's code with the image unchanged.
  virtual int32_t OpenPicture();
  // The image shown (window image in the wireframe view, else the rendered one) to the printer.
  virtual int32_t PrintDocument();
  virtual int32_t PageSetup();
  // The document's scene at its render size, into a file an image plug-in writes.
  virtual int32_t RenderToDisk();
  int32_t RenderToDisk(const SDiskRender& request) override;

  // ---- commands on the selection and the scene
  virtual int32_t EditCommand(uint32_t code);
  virtual int32_t DuplicateSelection();
  virtual int32_t ReplicateSelection();
  // Two or more selected objects become one new group, selected alone, with its action recorded:
  // 0 (also for fewer), or the failing step's code; a group made before a later step failed stays.
  int32_t GroupSelection() override;
  // One selected group leaves the scene through a delete action, its members selected instead. With
  // one selected object that is no group, the empty action is still recorded. 0 (also for none or
  // several selected); 9 when the action cannot be made or the groups cannot be relinked; the push's
  // code.
  virtual int32_t UngroupSelection();
  // The object, just made, becomes the only selected object (the others too while Shift is down):
  // its transform becomes its drag start, the view is flagged and the scene parts found again.
  int32_t SelectNewObject(C3dObject* object) override;
  virtual int32_t EditSelection();
  virtual int32_t ShowSelectionAsBox(bool box);
  virtual int32_t FlyAround();
  virtual int32_t ShowHelp();
  virtual bool IsCameraFirstSelected();
  virtual void ClearSelection();

  // ---- edit commands (doc_window_edit.cpp). EditCommand takes the Edit menu's twelve codes on the
  // selection, the undo history and the window's placement and material clipboards: 26 or 0 when
  // done, 9 when an action cannot be made, or the failing step's code; 0 for another code. An edit
  // with nothing to record records nothing.
  // The first selected object's material (a group's first member's) into the window's copied
  // material, made on the first copy in the application's objects environment: 26 when done or with
  // nothing selected, 9 when a lock fails, or the failing step's code.
  int32_t CopyMaterial();
  // The copied material (else the default one) into the object's material, a group's members' in
  // turn, each recorded in the action first: 26 for no object, 0, or the first failing step's code.
  int32_t PasteMaterial(CMaterialAction* action, C3dObject* object);

  // ---- selection commands (doc_window_selection.cpp). Each walks the object list, sets or clears
  // the selected bits, rebuilds the selection from them and redraws; none is recorded. 0, also when
  // the list cannot be locked (nothing then changes). With Shift, the kind and family selections
  // toggle their matches and keep the other objects' bits.
  // Every top-level object not left out of the selection commands (first-word bit 4).
  int32_t SelectAll() override;
  int32_t DeselectAll();
  // The top-level objects not left out change their selected bit.
  int32_t InvertSelection() override;
  // Meshes that the stone item did not make.
  int32_t SelectImportedMeshes() override;
  // Top-level objects of the family number.
  int32_t SelectFamily(uint32_t family) override;
  // 'hfld' terrains, 'symh' symmetric lattices, 'tmsh' stones, any other tag the shapes of that class.
  int32_t SelectKind(uint32_t kind) override;
  // Lights of the class; with Shift they are selected, never toggled.
  int32_t SelectLightClass(uint32_t classTag) override;
  // Everything not selected (alone or through its group) hidden and left out until EndSolo.
  int32_t SoloSelection() override;
  int32_t EndSolo() override;

  // ---- pointer feedback (doc_window_hover.cpp)
  // The hovered handle (kNoHandleHovered: none) and the outlines drawn on the window's surface
  // (empty: none), in canvas coordinates.
  static constexpr int32_t kNoHandleHovered = 15;
  int32_t GetHoveredHandle() const { return fHoveredHandle; }
  const SRect& GetHandleOutline() const { return fHandleOutline; }
  const SRect& GetButtonOutline() const { return fButtonOutline; }

  // ---- creating objects (doc_create_shapes.cpp, doc_create_lights.cpp). Each makes its object
  // through the class's factory, gives it its size, rotation, position, family and colour and
  // selects it alone: the first failing step's code, else SelectNewObject's. Nothing is recorded.
  virtual int32_t CreateWaterPlane();
  virtual int32_t CreateCloudPlane();
  virtual int32_t CreateGroundPlane();
  virtual int32_t CreateTerrain();
  virtual int32_t CreateStone();
  virtual int32_t CreateSymLattice();
  virtual int32_t CreateSphere();
  virtual int32_t CreateEllipsoid();
  virtual int32_t CreateSquashedSphere();
  virtual int32_t CreateTorus();
  virtual int32_t CreateTuboid();
  virtual int32_t CreateCylinder();
  virtual int32_t CreateSquashedCylinder();
  virtual int32_t CreateStretchedCylinder();
  virtual int32_t CreateCube();
  virtual int32_t CreateBrickoid();
  virtual int32_t CreateStretchedCube();
  virtual int32_t CreatePyramid();
  virtual int32_t CreateSquashedPyramid();
  virtual int32_t CreateStretchedPyramid();
  virtual int32_t CreateCone();
  virtual int32_t CreateStretchedCone();
  virtual int32_t CreateSquashedCone();
  virtual int32_t CreateHorizontalDisk();
  virtual int32_t CreateVerticalDisk();
  virtual int32_t CreateHorizontalFace();
  // An upright face of width over height `aspect`, its shorter side 2.
  virtual int32_t CreateVerticalFace(double aspect);
  virtual int32_t CreateRadialLight();
  virtual int32_t CreateSpotLight();
  virtual int32_t CreateSquareSpotLight();
  virtual int32_t CreateParallelLight();
  virtual int32_t CreateCylinderLight();
  // Where a new object goes when the preferences place new objects in view: 11.31370849898 along
  // the current camera's direction from its position. 0 with the position written, 1 when the
  // preferences, the camera or its lock leave it alone.
  int32_t PlaceNewObject(vector3<double>* position) override;
  // A material of preset library `entry` of list 101, picked at random (never the last of two or
  // more), copied into the target: 0, 9 when the list cannot be had, or the library's open error.
  int32_t ApplyRandomPresetMaterial(uint32_t entry, C3dMaterial* target);

  // ---- the live preview of drags (doc_window_mouse.cpp)
  // A Space drag's first movement: flags 0x80 and 0x100 set, the nano editor centred on the screen
  // and shown, and the drag's redraws go to its picture. False, with nothing changed, without it.
  bool StartLivePreview();
  // After such a drag: 0x100 cleared, 0x80 too unless it was set before the drag, the nano editor
  // hidden.
  void StopLivePreview(bool hadLivePreview);
  // The redraw's target while a drag feeds the live preview (0x80, and force or 0x100): the nano
  // editor's picture; none otherwise.
  CImElement* LivePreviewTarget(bool force) const;

  // ---- the mouse (doc_window_mouse.cpp)
  // A press of the primary button in the canvas: over the rendered image Space scrolls it and a band
  // chooses the render region (0 once a band was tracked); over the wireframe Space drives the camera
  // (with Ctrl a zoom step, with Alt the trackball), a handle is dragged (Ctrl rotates, Ctrl+Alt
  // resets), a picked object is selected and moved, and empty space draws a selection band or
  // deselects. 26 when handled, 9 when the scene cannot be locked, or the undo push's code.
  virtual int32_t HandleMouseDown(SWinEvent& event);
  // A dotted XOR band from the anchor (canvas point) to the pointer while the button is down, taken
  // away again at the release: true with the band cut to the view, in view pixels, when not empty.
  bool TrackRubberBand(SPointHV anchor, SRect* band);
  // Space drags from the anchor (screen point), which the pointer goes back to after each step:
  // the camera's pan, recorded as one camera action, or the trackball through the camera controls'
  // messages to the window's own handler.
  int32_t TrackCameraDrag(SPointHV anchor) override;
  int32_t TrackTrackballDrag(SPointHV anchor);
  // Moves the visible part of the rendered image with the pointer, inside the image.
  int32_t ScrollRenderedImage();
  // The render region (top, left, bottom, right in rendered-image pixels) of the settings record.
  SRect GetRenderRegion() const;
  void SetRenderRegion(const SRect& region);
  int32_t OnPointerPress(SWinEvent& event) override;
  bool PixelRay(int32_t x, int32_t y, vector3<double>* origin, vector3<double>* direction) override;

  // Nothing while the window is hidden; kind 4 clears the pop-up byte; named messages go to
  // HandleControlMessage, the tracking of the six camera controls to HandleCameraControl, the rest
  // down the tree. 0 (not handled), 26 (handled) or an error code.
  int32_t HandleEvent(CUIMessage* message) override;
  // The named messages by canvas, then element, in a fixed order: the "doc window" rows, the
  // chiclets and "patch render" of "doc image", the display palette's zoom, the replies of the save
  // (ignored while kIgnoreSaveReplies is set) and revert questions, "hide underground shadows", the
  // option menus, and last the create items from any canvas. "background selector" and "edit space"
  // go on after their work. 0 for a message the window does not know.
  virtual int32_t HandleControlMessage(CUIMessage* message);
  // Choices the dispatcher keeps for the view: the background (with a byte telling that it changed)
  // and whether shadows under the ground are hidden.
  int32_t GetBackgroundChoice() const { return fBackgroundChoice; }
  bool IsBackgroundChanged() const { return fBackgroundChanged != 0; }
  bool IsHidingUnderground() const override { return fHideUnderground != 0; }
  // The pop-up byte: the pointer information was posted and is not posted again until it is cleared.
  bool IsInfoShown() const { return fInfoShown != 0; }
  void SetInfoShown(bool shown) { fInfoShown = shown ? 1 : 0; }
  // The selection palette takes the window's mode: 0 or its answer (0 without a palette).
  int32_t UpdateSelectionPaletteMode();

  // ---- keys, build information and help (doc_window_keys.cpp); edit, duplicate and replicate
  // (doc_window_edit_selection.cpp)
  // The window's keys, nothing (0) while it is stale: Ctrl+Alt+arrow slides and Ctrl+arrow orbits the
  // camera one step a tick while the key is held (one camera action), Ctrl+1 to 6 post the palettes'
  // names, and the other keys nudge, scale, reset, set boolean roles (0), delete, select the next
  // object, zoom and switch to the rendered image. Shift+F1 first shows the build information. An
  // edit with nothing selected records nothing. 26 when done, the failing step's code, or the host
  // canvas's own answer for a key it does not take.
  int32_t OnCharacter(SWinEvent& event) override;
  // The object after the last one Tab chose becomes the only selection, wrapping round the object
  // list; the walk starts again when the list's count changed or nothing is selected. 26.
  int32_t SelectNextObject();
  // count generations of copies of the selection (C3dDocument::ReplicateObjects), left selected and
  // recorded as one create action, under the busy cursor unless it already shows: 0 or the failing
  // step's code.
  int32_t ReplicateWithParameters(uint32_t count, const SReplicateSettings& settings, uint32_t mode) override;

  // ---- handlers the dispatcher routes to. Each answers 0 (not handled), 26 (handled) or an error
  // code.
  // The create palette's items and the picture textures dialog's reply; 0 for any other message.
  virtual int32_t HandleCreateItem(CUIMessage* message);
  // Press, drag and release on the six camera controls.
  virtual int32_t HandleCameraControl(CUIMessage* message);
  // "zoom to selection", "reset camera", "view dot", "view control", "camera options menu",
  // "trackball options menu".
  virtual int32_t HandleCameraMessage(CUIMessage* message);
  // The camera aimed at (aim 1) or only its target set to the centre of the selected objects' boxes,
  // or of every non-camera object's of the scene table: 0, or the failing lock's code.
  virtual int32_t CentreOnSelection(uint8_t aim);
  virtual int32_t CentreOnScene(uint8_t aim);
  // 'trak', 'cnts' or 'trpd': 26; 0 for another code.
  virtual int32_t SetTrackballMode(uint32_t code);
  // "reposition options", "rotate options", "resize options", "align options"; 0 for a code that
  // is not one of theirs, so that the dispatch goes on.
  virtual int32_t HandleTransformOption(CUIMessage* message);
  virtual int32_t LandSelection();
  int32_t AlignSelection(uint32_t code) override;
  // "render all button", "resume render button", "clear & render button".
  virtual int32_t HandleRenderButton(CUIMessage* message);
  virtual int32_t SetPreviewMode(int32_t state);
  virtual int32_t SetTexturesShown(int32_t state);
  virtual int32_t HandlePlopRenderMode(CUIMessage* message);
  virtual int32_t HandleRenderOption(CUIMessage* message);
  // The document-size operation: rebuilds the window image and the rendered image when a size
  // differs from the settings' (width h, height v each).
  virtual int32_t RefreshViewImage(SPointHV windowSize, SPointHV renderSize);

  // ---- camera navigation (doc_window_camera.cpp)
  // What the trackball turns about: the scene's centre, the selection's, or the eye.
  enum ETrackballMode : int32_t { kTrackScene, kTrackSelection, kTrackTripod };
  // The type tag of the window's 32-bit handle, which the camera controls' press reply carries.
  static constexpr uint32_t kHandleTag = FourCC("dwin");
  Handle32 GetHandle();
  int32_t GetTrackballMode() const { return fTrackballMode; }
  // Set when another view camera became current; whoever reacts to it clears it.
  bool HasCameraChanged() const { return fCameraChanged != 0; }
  void ClearCameraChanged() { fCameraChanged = 0; }
  // True during the redraw that ends a camera drag.
  bool IsFinalRedraw() const { return fFinalRedraw != 0; }

  // ---- what a new document window takes over from the one it replaces
  virtual int32_t CopyViewDotStates(CDocWindow* from);
  virtual int32_t CopyCopiedMaterial(CDocWindow* from);

  // ---- companions
  void SetCompanions(CTerrainEditor* terrain, CEditPoly* meshes, CEditTori* tori, CReportRender* report);
  void SetPictTextures(CPictTextures* dialog) { fPictTextures = dialog; }
  void SetMenuBar(CMenuBar* menuBar) { fMenuBar = menuBar; }
  void SetNanoEditor(CNanoEditor* editor) { fNanoEditor = editor; }
  void SetSelectionPalette(CSelectionPalette* palette) { fSelectionPalette = palette; }
  CTerrainEditor* GetTerrainEditor() const { return fTerrainEditor; }
  CEditPoly* GetMeshPanel() const { return fMeshPanel; }
  CEditTori* GetTorusEditor() const { return fTorusEditor; }
  CReportRender* GetReportRender() const { return fReportRender; }
  CPictTextures* GetPictTextures() const { return fPictTextures; }
  CMenuBar* GetMenuBar() const { return fMenuBar; }
  CNanoEditor* GetNanoEditor() const { return fNanoEditor; }

  // ---- CCanvas
  // The margins and the shown image; only while the canvas shows. True.
  bool Redraw(const SRect* rect) override;
  // The window is never erased as a whole. True.
  bool FillRect(const SRect* rect) override;
  // The four bands between the canvas and the view rectangle, unless the view is the whole canvas.
  int32_t OnEraseBackground(SWinEvent& event) override;
  // The keyboard focus when no dialog stands in front, then the canvas's own handling.
  int32_t OnActivate(SWinEvent& event) override;

  // ---- element hooks
  static int32_t PaintFamilyChiclet(CElement* element, uint32_t pass, CImage* port);
  static int32_t OnPatchRenderClick(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // The attributes and family chiclets broadcast their message at the press: the dialog opens beside
  // the pointer while the button is still held, for a drag over its checks or families.
  static int32_t OnChicletPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PaintPatchRender(CElement* element, uint32_t pass, CImage* port);
  // Which part of the "patch render" picture a click this far below its top selects: 0, 1 or 2.
  static uint32_t PatchRenderPart(int32_t below);

 protected:
  // The redraw's steps, in the order Redraw runs them; a test's window records them.
  virtual void BindView(CImage* target);
  virtual int32_t RedrawView();
  virtual int32_t ResetClasses();
  virtual int32_t DrawSceneLayer(CImage* target);
  virtual void CopyToScreen(CImage* target, const SRect& rect);
  // The empty table a document is read into; a test's table may refuse things.
  virtual std::unique_ptr<C3dBaseSys> NewSceneTable();

 private:
  // What an open or revert read of a document before anything of the window changed.
  struct SReadDocument;
  enum class EReadKind { kOpen, kMerge, kRevert };
  // The file dialogs of the commands, the owner's modal level raised around them and the windows
  // they uncovered painted afterwards: 0 with the chosen file, 24 when cancelled.
  int32_t AskForFileToOpen(CFileSpec* spec, const char* filter);
  int32_t AskForFileToSave(CFileSpec* spec, const char* filter, const char* name);
  // The open and revert sequence: read, then the scene replaced or merged into, then prepared.
  int32_t LoadDocument(const CFileSpec& spec, EReadKind kind, bool withSkyAndSun);
  int32_t ReadDocumentFile(SReadDocument& read);
  int32_t ReadEarlierDocument(SReadDocument& read);
  void ReadSettingsRecord(CResourceEnv& document, SReadDocument& read);
  void ReadPicture(SReadDocument& read);
  int32_t MergeScene(SReadDocument& read, bool withSkyAndSun);
  int32_t ReplaceScene(SReadDocument& read);
  // The rendered image the reading made becomes the window's, shown when it holds a picture.
  void TakeRenderedImage(SReadDocument& read);
  // The window's links into its scene dropped (selection, lists, cameras, sky, sun, render state),
  // the scene table kept.
  void DetachScene();
  // The view and the render state on the scene table again.
  void AttachScene();
  // ResetScene's steps.
  int32_t MatchImagesToSettings();
  int32_t FindViewCameras();
  int32_t FindSkyAndSun();
  int32_t RestoreSelection();
  // Shows the rendered image or the wireframe view, as the rendered-image toggle does.
  void ShowRenderedImage(bool rendered);
  // A file dialog's filter from a list of the application's resources: every entry with its
  // terminator; the built-in filter when the list cannot be had, none when it cannot be locked.
  static std::string DialogFilter(const char* listName, const char* builtIn, size_t builtInBytes);
  // The replies of the save and revert questions.
  int32_t HandleSaveReply(const CUIMessage& message);
  int32_t HandleRevertReply(const CUIMessage& message);
  // The dispatcher's own handlers (doc_window_dispatch.cpp).
  bool HandleDocWindowRow(CUIMessage* message, int32_t* answer);
  void ChooseBackground(int32_t choice, int32_t source);
  void ChooseEditSpace(int32_t button);
  int32_t PatchRender(int32_t part);
  int32_t ToggleUndergroundShadows();

  // A 32-bit image of the size in the data environment: null when it cannot be made or used.
  static CImage* NewImage(SPointHV size);
  // Init's steps.
  void ReadTitle();
  int32_t MakeImages(SPointHV imageSize, SPointHV renderSize);
  int32_t MakeSceneTable();
  void ReadPresetTexts();
  void SetUpRenderState();
  int32_t PrepareSky();
  int32_t EnterHeartbeat();
  void BindOverlayElements();
  // The "patch render" picture list's code: 0 once it is usable or handed over.
  int32_t PatchPicturesResult() const;
  // Every scene thing gone, and whatever pointed at them.
  void ReleaseScene();
  static int32_t HeartbeatCallback(void* owner, void* record, void* data);

  // The flags, detail and colour every view camera gets.
  static void ApplyCommonCameraSetUp(C3dCamera& camera);
  static int32_t HideViewCamera(C3dCamera& camera);
  Handle32 DefaultMaterialHandle() const;
  // A stored 32-bit image copied into the working environment: 0 or the read's code.
  static int32_t ReadStoredImage(CResourceEnv* environment, const SSpoolKey& key, CImage** image);
  // The thing's record name; the thing is locked by the caller.
  static void NameThing(C3dBase& thing, const char* name);
  // A new camera in the table, of the kind the objects environment makes: NewObject's code.
  static int32_t NewCamera(C3dBaseSys* table, C3dCamera** camera);
  // The fly-around's camera, named and looking at the scene's box from above and beside it.
  static int32_t NewFlyCamera(C3dBaseSys* scene, C3dCamera** camera);
  int32_t ZoomCamera(bool zoomIn, bool reset);
  int32_t ZoomRenderedImage(bool zoomIn, bool reset);
  // The family all selected objects share, or kMixedFamilies.
  uint32_t SelectedFamily();
  // "doc image" in the canvas's coordinates.
  SRect DocImageRect() const;
  // The mouse's steps (doc_window_mouse.cpp).
  SPointHV PointerInCanvas() const;
  SPointHV CanvasToView(SPointHV point) const;
  // The press to the overlay buttons and "patch render": whether one took it.
  bool OfferToDocImage(SWinEvent& event, SPointHV press);
  int32_t PressOnRenderedImage(SWinEvent& event, SPointHV press, bool space);
  int32_t PressOnWireframe(SWinEvent& event, SPointHV press, bool space);
  int32_t ResetSelectionTransform();
  int32_t TrackHandleDrag(int32_t handle, SPointHV anchor, bool rotate);
  int32_t TrackMoveDrag(SPointHV press, const vector3<double>& point);
  void SelectInBand(const SRect& band, bool toggle);
  // Camera navigation's steps.
  int32_t PressCameraControl(CUIMessage* message, uint32_t control);
  int32_t DragCameraControl(const CUIMessage& message, uint32_t control);
  int32_t ReleaseCameraControl();
  int32_t LevelCamera(uint32_t control);
  int32_t ResetCamera(const CUIMessage& message);
  int32_t SelectView(int32_t view);
  int32_t PressViewDot(const CUIMessage& message);
  int32_t ZoomToRenderRegion();
  int32_t CameraOption(uint32_t code);
  int32_t AimCamera(const C3dBox& box, uint8_t aim);
  // The current camera's new set-up taken over: render camera, remembered camera, redraw.
  void TakeNewCurrentCamera();
  // Camera 0 becomes current, out of the selection and hidden from the views.
  void LookThroughPerspective();
  // The press reply's handle and a drag's pending action given up with the window.
  void ReleaseCameraNavigation();
  // Margins, frame and image of Redraw(const SRect*).
  void Draw();
  // The visible part of the rendered image into the element, composed with the tint when one is kept.
  void DrawRenderedImage(platform::DeviceContext* dc, const SRect& source, const SRect& destination);
  void ForgetTint() { fTintedRegion = SRect(); }
  int32_t CreatePatternImage(uint32_t pattern);
  // RenderSlice's render of the region, steps up to the drawing of the result.
  int32_t RenderRegion(uint64_t* area);
  void FillCanvasBands(platform::DeviceContext* dc, const SRect& client);
  // A one-pixel frame just inside the rectangle with a stock brush, cut to the limit when one is given.
  static void FrameWith(platform::DeviceContext* dc, const SRect& r, int32_t stockBrush, const SRect* limit = nullptr);

  CFileSpec fFile;
  std::unique_ptr<CDocSettings> fSettings;
  char fTitle[kTitleBytes] = {};
  std::string fPresetFolder;
  std::unique_ptr<CIxText> fPresetLibraries;
  std::unique_ptr<C3dDocument> fDocument;
  uint32_t fMode = 0;
  uint32_t fDirty = 0;
  uint32_t fRenderRequest = 0;
  uint32_t fFlags = 0;
  SRect fViewRect;
  int32_t fEditSpace = 0;
  // What the dispatcher keeps: the background choice and that it changed, the hiding of shadows
  // under the ground, and the selection palette that follows the mode.
  int32_t fBackgroundChoice = 0;
  uint8_t fBackgroundChanged = 0;
  uint8_t fHideUnderground = 0;
  CSelectionPalette* fSelectionPalette = nullptr;
  uint8_t fDragging = 0;
  uint8_t fInfoShown = 0;
  int32_t fTrackballMode = kTrackScene;
  uint8_t fFinalRedraw = 0;
  uint8_t fCameraChanged = 0;
  Handle32 fHandle = kNoHandle;
  // A redraw failed and was reported; no further report until the next Invalidate.
  bool fRedrawFailed = false;
  // The window asked the save question and waits for the reply.
  bool fAskingToSave = false;
  std::unique_ptr<C3dBaseSys> fScene;
  std::unique_ptr<C3dBaseSpoolTable> fCameras;
  std::unique_ptr<C3dBaseSpoolTable> fObjects;
  std::unique_ptr<C3dBaseSpoolTable> fLights;
  std::unique_ptr<C3dBaseSpoolTable> fPictures;
  C3dCamera* fViewCameras[kViewCameraCount] = {};
  C3dCamera* fCurrentCamera = nullptr;
  C3dMaterial* fCopiedMaterial = nullptr;
  C3dMaterial* fDefaultMaterial = nullptr;
  C3dSky* fSky = nullptr;
  C3dSunLight* fSun = nullptr;
  CResourceEnv* fTextures = nullptr;
  CImage* fRenderedImage = nullptr;
  // The rendered image holds a render or a picture read into it, not only the white it was made
  // with: only then is it a picture to keep beside the document.
  bool fHoldsPicture = false;
  int32_t fZoomLevel = 0;
  SPointHV fShownSize;
  SRect fVisiblePart;
  CImage* fWindowImage = nullptr;
  CView fView;
  C3dCamera* fSetUpCamera = nullptr;
  CElement* fDocImage = nullptr;
  CImElement* fOverlayButtons[kOverlayButtonCount] = {};
  CImElement* fPatchRender = nullptr;
  // Until "patch render" takes it over.
  std::unique_ptr<CIxImage> fPatchPictures;
  CDocRenderState fRender;
  CImVector fMarginColour;
  // The tint pattern, and the image the tinted view is composed in; both made on first use.
  CImage* fPatternImage = nullptr;
  CImage* fShownImage = nullptr;
  SRect fTintedRegion;

  CTerrainEditor* fTerrainEditor = nullptr;
  CEditPoly* fMeshPanel = nullptr;
  CEditTori* fTorusEditor = nullptr;
  CReportRender* fReportRender = nullptr;
  CPictTextures* fPictTextures = nullptr;
  CMenuBar* fMenuBar = nullptr;
  CNanoEditor* fNanoEditor = nullptr;
  // ---- rendering depth (doc_window_render.cpp)
  uint32_t fRenderDepth = 0;

  // ---- edit commands, selection commands and pointer feedback (doc_window_edit.cpp,
  // doc_window_selection.cpp, doc_window_hover.cpp)
  // The selection emptied without touching the selected bits, then rebuilt from them; groups count
  // their selected members once throughout.
  template <typename Walk>
  int32_t RebuildSelection(Walk&& walk);
  template <typename Walk>
  int32_t ChangeSolo(Walk&& walk);
  // The cursor for the modifier keys while Space is held.
  static uint32_t SpaceCursor(bool control, bool alt);
  // The black frame round the handle's point, or the old one taken away (restored from the window
  // image); the white frame inside the overlay button under the canvas point, if any.
  void OutlineHandle(SPointHV handle, bool remove);
  void OutlineOverlayButton(SPointHV point);
  // The image copied over the frames: none is drawn now, and the next heartbeat draws them again.
  void ForgetHoverFrames();
  // The two lines of the information line to the palettes; the information-shown byte is set.
  void PostInfoLine(const std::string& top, const std::string& bottom);
  int32_t fHoveredHandle = kNoHandleHovered;
  SRect fHandleOutline;
  SRect fButtonOutline;
  // The selected and scene counts of the wireframe's line last posted.
  uint64_t fPostedCounts = 0;

  // ---- keys, edit, duplicate and replicate (doc_window_keys.cpp, doc_window_edit_selection.cpp)
  // The keys' steps: a camera move while the arrow is held, a nudge, a scale, the reset of rotation
  // and size, a boolean role (0 for none) and the palette names of Ctrl+1 to 6.
  int32_t MoveCameraWhileHeld(uint32_t arrow, bool slide);
  int32_t NudgeSelectionByKey(uint32_t key, bool alt, bool shift);
  int32_t ScaleSelectionByKey(double factor);
  int32_t ResetSelectionByKey();
  int32_t SetSelectionRole(uint32_t role);
  int32_t PostPaletteName(uint32_t index);
  void ShowBuildInformation();
  // Duplicate's and replicate's common end: the selection recorded as one create action, the scene
  // parts found again and the control palette told.
  int32_t RecordCopies();
  // Where Tab's walk stands in the object list, and the list's count when it moved there.
  int32_t fNextObjectPosition = -1;
  uint32_t fNextObjectCount = 0;

  // ---- fly-around (doc_window_flyaround.cpp)
  // The orbit recorded from the rendered or the window image as a movie of 1,800 frames, the step a
  // frame: 0 when done, cancelled or stopped by the user, else the failing step's code.
  int32_t RecordFlight(C3dCamera* fly, double step, bool rendered);
  int32_t DrawFlightFrame(C3dCamera* fly, double step, bool rendered);
  // The window's own camera current and hidden from the views again, given the fly camera's pose
  // when keep is set; the fly camera gone.
  void EndFlight(C3dCamera* fly, C3dCamera* previous, bool keep);
};

// The program's current document window, none before the interface is built and after it is gone.
// The current one is also the previews' document.
CDocWindow* GetCurrentDocWindow();
void SetCurrentDocWindow(CDocWindow* window);
