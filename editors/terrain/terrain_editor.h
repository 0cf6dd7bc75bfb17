// The terrain editor: the modal dialog that reshapes one terrain's elevation grid on private working
// copies. Its elevation buttons run click-and-drag operations over the grid routines, the 2D view
// shows the grid through the program-wide colour gradient and the 3D view a shaded relief; "ok"
// exchanges the edited grid with the object's, "cancel" drops it. One editor exists; the palette
// manager makes it at start-up and builds it from "terraineditor.dat" on its first opening.
//
// Its files: terrain_editor.cpp (the dialog: build, attach, show, closing, panels), elevation_ops.cpp
// (the elevation buttons and their drags), terrain_views.cpp (redraws, 3D renders, the idle step,
// hover), terrain_gradient.cpp (the gradient table) and terrain_3d_preview.h/.cpp.
//
// Stand-in for the panels and input of the editor: the filtering and pictures panels' buttons, the
// brush and option controls, the pop-ups, the crop and bracket drags, the colour map icon and the
// presses in the two views answer 27, and typed shortcuts pass to the canvas's own handler.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/vector3.h"
#include "framework/image/image.h"
#include "framework/ui/layout_host_canvas.h"
#include "scene/resample_grid.h"

class C3dHeightField;
class CDocumentHost;
class CElement;
class CImElement;
class CImage8;
class CIxImage;
class CTerrain3dPreview;
class CTerrainBrush;
class CTerrainLUT;
class CUIMessage;
struct SWinEvent;

class CTerrainEditor : public CLayoutHostCanvas {
 public:
  enum EPanel : uint8_t { kElevationPanel = 0, kFilteringPanel = 1, kPicturesPanel = 2 };
  // Gradient modes: a preset of the "gradients" picture, or the object's own colour table.
  static constexpr int32_t kGradientPresets = 15;
  static constexpr int32_t kDefaultGradient = 14;
  static constexpr int32_t kObjectGradient = 15;
  // The gradient: cell 0 above the upper bracket, cells 1 to 256 the entries from the lowest
  // elevation up, cell 257 below the lower bracket.
  static constexpr uint32_t kGradientCells = 258;
  static constexpr uint32_t kGradientEntries = 256;
  static constexpr uint32_t kPreviewSide = 128;
  static constexpr int32_t kStartBrushCells = 40;
  // Working grids are powers of two within these sides.
  static constexpr uint32_t kSmallestGrid = 16;
  static constexpr uint32_t kLargestGrid = 1024;

  // The editor's cursors in data/system.dat.
  enum ECursor : uint32_t {
    kBracketCursor = 130,
    kSideCursor = 131,
    kCornerCursor = 132,
    kMoveCursor = 133,
    kBrushCursor = 134,  // 134 to 139: the brush behaviours 0 to 5
    kBlendDragCursor = 140,
    kShapeDragCursor = 141,
  };
  // User words: a button's hover cursor for each position of the switch (2 the one in use), and the
  // crop frame handle that the 2D view's hover leaves for the frame drag.
  enum EUserWord : uint32_t { kCursorWord = 2, kOtherCursorWord = 3, kHandleWord = 3 };
  // The crop frame's handles.
  enum ECropHandle : uint32_t {
    kHandleSide = 0,
    kHandleInside = 1,
    kHandleBottomRight = 2,
    kHandleTopRight = 3,
    kHandleTopLeft = 4,
    kHandleBottomLeft = 5,
  };

  // What an elevation button's press sets up for its drag.
  struct SDragState {
    bool weightClamp = false;
    bool shapeDrag = false;
    bool blendDrag = false;
    bool dragAllowed = false;
    bool showTarget = false;
    bool erodeDrag = false;
    bool brushAllowed = false;
    bool brushDampen = false;
    bool applyOnClick = false;
    bool brushMode = false;
    int32_t weightMin = 0;
    int32_t weightMax = 256;
    int32_t weightMultiplier = 0;
    int32_t shapeMode = 0;
  };

  // The grey ramp fills the gradient and the editor becomes the renderer's altitude colours.
  CTerrainEditor(CUICmFunction* owner, CResourceEnv* environment);
  // The renderer takes its grey ramp back.
  ~CTerrainEditor() override;

  // The layout "terrain editor", its elements found and bound, the pictures, brush, curve and 3D
  // preview made, preset 14 loaded: 0, 9, a lookup's code or the gradient's.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The editor's UI messages (kind 0) by panel and element: 26 when handled, 0 while hidden, or a
  // result code; other kinds go to the canvas's own handler.
  int32_t HandleEvent(CUIMessage* message) override;
  int32_t OnCharacter(SWinEvent& event) override;

  // Working copies of the object's grid, the gradient chosen (with Shift: the object's own colours
  // and brackets), the 2D picture made; window is the document that "ok" tells. 0, 1 without an
  // object, 9, 13, or the gradient's code.
  int32_t AttachHeightField(C3dHeightField* field, CDocumentHost* window);
  C3dHeightField* GetHeightField() const { return fHeightField; }
  // Centres the attached editor on the screen and shows it as the top modal dialog; mode 0 is the
  // only one.
  using CLayoutHostCanvas::Show;
  void Show(int32_t mode);

  // Writes the edited grid, the brackets and (keepColourMap) the gradient into the object, whose
  // colour table is otherwise deleted: 0, or the failing step's code with the object as it was.
  int32_t ApplyToObject(bool keepColourMap);
  // Exchanges the snapshot and the current grid: 0 or 9.
  int32_t Undo();
  // Flips the "elev 2" buttons to the other operation of each: their pictures and hover cursors.
  void UpdateSwitchButtons();
  bool IsSwitchOn() const;
  void ShowElevationPanel();
  // Each answers 26, or 1 when a step fails.
  int32_t ShowFilteringPanel();
  int32_t ShowPicturesPanel();

  // ---- elevation operations (elevation_ops.cpp)
  // A press on an elevation button: the operation's target, then a click, a drag or (Space held) the
  // brush's copies. 0 or a result code.
  int32_t PressElevationButton(CElement* button);
  // The snapshot and the target of the button's operation, with its drag settings: 0, or the code
  // of the step that failed; 0 without a snapshot for a name no operation has.
  int32_t DoElevationOp(CElement* button);
  // The snapshot becomes a copy of the current grid: 0 or 9.
  int32_t TakeSnapshot();
  // Filter mode m of the snapshot into the target, or into destination when one is given.
  int32_t ApplyFilterOp(int32_t mode, C3dHeightField* destination);
  // Shape mode m of the snapshot into the target, at drag offset count in brush mode, else at 0.
  int32_t ApplyShapeOp(int32_t mode, int32_t count);
  // One drag step at weight w (1/256 units), the pointer at `pointer` after the press at `press`.
  int32_t UpdateDragOp(int32_t weight, SPointHV press, SPointHV pointer);
  // Asks for a picture file and sets the field's heights from it (scaled to the field's side, grey);
  // false when the dialog is cancelled or the picture cannot be read, the field then unchanged.
  bool LoadPictureIntoGrid(C3dHeightField* field, bool toPreview);
  const SDragState& GetDragState() const { return fDrag; }

  // ---- views (terrain_views.cpp)
  // Draws the 2D view (with the brush outline at pointer2d when given) and renders the 3D view of
  // grid (none: the current grid): 0, or 1 when the render fails. The canvas's own Redraw composes the
  // whole dialog.
  using CLayoutHostCanvas::Redraw;
  int32_t Redraw(bool redraw3d, bool redraw2d, const SPointHV* pointer2d, C3dHeightField* grid);
  // Renders the 3D view of grid into image (none: the render picture) within clip (none: all of it),
  // turned by the drag from lastPoint to point when given, then copies it into target or, without
  // one, draws it into the window. False when a grid cannot be locked or resized or a pass fails.
  bool Render3d(C3dHeightField* grid, CImage* target, const SPointHV* point, const SPointHV* lastPoint,
                bool fullQuality, bool keepTurn, bool keepTilt, CImage* image = nullptr, const SRect* clip = nullptr);
  // The relief rises and turns half a circle into view: 30 quick renders, then one at full quality.
  bool PlayIntro();
  // The heartbeat's step: the spin, the intro, hover over the elements. 0 or a result code.
  int32_t IdleStep(uint32_t nested);
  // The crop frame (256 × 256 view points) on a grid of side n, squared; mirror flips it left to right.
  static SRect ScaleCropRect(const SRect& rect, uint32_t n, bool mirror);
  // The filtering panel's preview colours; true when updating or drawing failed.
  bool DrawFilterPreview();

  // ---- the gradient (terrain_gradient.cpp)
  // Fills the table from the gradient mode: 0, 1 for a mode out of range, 9 when the "gradients"
  // picture or the object's table cannot be read.
  int32_t LoadGradient();
  // The strip, the 2D picture's, the filter picture's and the 3D preview's colours from the table,
  // and the views redrawn: false when something fails.
  bool RefreshGradient(bool redraw3d);
  // The colour at elevation fraction t: the renderer's altitude colours.
  static CImVector GradientColorAt(double t);
  static CImVector GetGradientCell(uint32_t cell);
  static void SetGradientCell(uint32_t cell, CImVector colour);
  static int32_t GetGradientRotation();
  static void SetGradientRotation(int32_t rotation);
  static void FillGreyRamp();

  // ---- state, for the panels and for tests
  C3dHeightField* GetCurrent() const { return fCurrent; }
  C3dHeightField* GetSnapshot() const { return fSnapshot; }
  C3dHeightField* GetTarget() const { return fTarget; }
  C3dHeightField* GetPreviewGrid() const { return fPreviewGrid; }
  CTerrain3dPreview* GetPreview3d() const { return fPreview3d.get(); }
  CTerrainBrush* GetBrush() const { return fBrush.get(); }
  CTerrainLUT* GetLUT() const { return fLut.get(); }
  CImage8* GetGreyImage() const { return fGreyImage.get(); }
  CImage* GetGradientStrip() const { return fGradientStrip.get(); }
  CElement* GetPreview2dElement() const { return fPreview2d; }
  CElement* GetPreview3dElement() const { return fPreview3dElement; }
  CElement* GetCropItem() const { return fCropItem; }
  CElement* GetElevationPanel() const { return fElevationPanel; }
  CElement* GetLatchedButton() const { return fLatchedButton; }
  const SRect& GetView2dRect() const;
  const SRect& GetView3dRect() const;
  bool IsUndoAvailable() const { return fUndoAvailable; }
  bool IsPreviewLive() const { return fPreviewLive; }
  uint8_t GetActivePanel() const { return fActivePanel; }
  int32_t GetBrushCells() const { return fBrushCells; }
  void SetBrushCells(int32_t cells) { fBrushCells = cells; }
  int32_t GetGradientMode() const { return fGradientMode; }
  void SetGradientMode(int32_t mode) { fGradientMode = mode; }
  double GetBracketLow() const { return fBracketLow; }
  double GetBracketHigh() const { return fBracketHigh; }
  void SetBrackets(double low, double high) {
    fBracketLow = low;
    fBracketHigh = high;
  }
  double GetSavedBracketLow() const { return fSavedBracketLow; }
  double GetSavedBracketHigh() const { return fSavedBracketHigh; }
  bool AreBracketsOn() const { return fBracketsOn; }
  void SetBracketsOn(bool on) { fBracketsOn = on; }
  // The bracket heights that operations respect: 0 and 65535 with the brackets off.
  int32_t BracketLowHeight() const;
  int32_t BracketHighHeight() const;
  bool IsSpinOn() const { return fOptionSpin; }
  void SetSpin(bool on) { fOptionSpin = on; }
  bool IsQuickPreview() const { return fOptionQuickPreview; }
  void SetQuickPreview(bool on) { fOptionQuickPreview = on; }
  int32_t GetPictureBlendMode() const { return fPictureBlendMode; }

  // The one terrain editor, none before it is made.
  static CTerrainEditor* GetCurrentEditor();

  // ---- callbacks of the elements. Press callbacks answer a result code; hover callbacks 26 while
  // the pointer is over the element, else 0; draw callbacks 0 or a result code.
  static int32_t PressElevation(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t HoverDragButton(CElement* element, SPointHV point);
  static int32_t HoverBracketArea(CElement* element, SPointHV point);
  static int32_t HoverPreview2d(CElement* element, SPointHV point);
  static int32_t DrawPreview2d(CElement* element, uint32_t pass, CImage* port);
  static int32_t DrawPreview3d(CElement* element, uint32_t pass, CImage* port);
  static int32_t DrawOwnPicture(CElement* element, uint32_t pass, CImage* port);
  static int32_t Heartbeat(void* editor, void* record, void* data);

 private:
  // ---- build (terrain_editor.cpp)
  int32_t FindElements();
  void BindElevationPanel();
  void BindPanels();
  void BindControls();
  int32_t MakePictures();
  void RecordViewRects();
  // ---- attach and close
  int32_t MakeWorkingGrids(C3dHeightField* field);
  int32_t ChooseGradient(C3dHeightField* field, bool shift);
  void DeleteGrids();
  int32_t CloseWithWriteBack(bool keepColourMap);
  int32_t CloseWithoutWriteBack();
  int32_t HandleDialogElement(const char* element, CUIMessage* message, bool* handled);
  int32_t HandlePanelElement(const char* panel, const char* element, CUIMessage* message, bool* handled);
  // The grey picture of the 2D view made again from the grid (none: the current grid): 0 or 9.
  int32_t RemakeGreyImage(C3dHeightField* grid = nullptr);
  // The views redrawn from the current grid after it changed: 0, 9 or 1.
  int32_t ShowCurrentGrid();
  // The 2D picture's 256 colours, the gradient as its views show it.
  void GreyImageColours(CImVector* colours) const;
  // ---- elevation operations
  int32_t FillTarget(int32_t operation, bool control, bool alt);
  int32_t PrepareBrush();
  void HoldUntilDrag(SPointHV press);
  int32_t DragOperation(SPointHV press);
  // ---- views
  void DrawView2d(const SPointHV* pointer);
  bool PrepareRenderGrid(C3dHeightField* grid, bool fullQuality, C3dHeightField** rendered);
  void ApplyViewDrag(const SPointHV* point, const SPointHV* lastPoint, bool keepTurn, bool keepTilt);
  void HoverOutside2d();
  // The element remembered as hovered goes with the tree that held it.
  static void ForgetHover();
  void ShowBrushCursor(bool alt);

  C3dHeightField* fHeightField = nullptr;
  CDocumentHost* fWindow = nullptr;
  C3dHeightField* fSnapshot = nullptr;
  C3dHeightField* fTarget = nullptr;
  C3dHeightField* fCurrent = nullptr;
  C3dHeightField* fPreviewGrid = nullptr;
  std::unique_ptr<CTerrain3dPreview> fPreview3d;
  std::unique_ptr<CTerrainBrush> fBrush;
  std::unique_ptr<CTerrainLUT> fLut;
  bool fPreviewLive = false;
  uint8_t fActivePanel = kElevationPanel;
  bool fUndoAvailable = false;
  double fBracketLow = 0.0;
  double fBracketHigh = 1.0;
  double fSavedBracketLow = 0.0;
  double fSavedBracketHigh = 1.0;
  bool fOptionSpin = false;
  bool fOptionQuickPreview = false;
  int32_t fGradientMode = kDefaultGradient;
  int32_t fPictureBlendMode = 1;
  bool fBracketsOn = true;
  int32_t fBrushCells = kStartBrushCells;
  SDragState fDrag;
  // A cancelled picture dialog ends the press without an error message.
  bool fPictureCancelled = false;

  CElement* fElevationPanel = nullptr;
  CElement* fElevBackground = nullptr;
  CElement* fElevSwitch = nullptr;
  CElement* fFilteringPanel = nullptr;
  CElement* fPicturesPanel = nullptr;
  CElement* fGradientsPanel = nullptr;
  CElement* fGradients = nullptr;
  CElement* fFilterSrcImage = nullptr;
  CElement* fFilterDestImage = nullptr;
  CElement* fImageSrc0 = nullptr;
  CElement* fImageSrc1 = nullptr;
  CElement* fImageDest = nullptr;
  CElement* fLevelControl = nullptr;
  CElement* fBracketArea = nullptr;
  CElement* fPreview2d = nullptr;
  CElement* fPreview3dElement = nullptr;
  CElement* fBrushBehaviorText = nullptr;
  CElement* fCropItem = nullptr;
  CElement* fOnButton = nullptr;
  CElement* fOffButton = nullptr;
  // The button left pressed by a press with Space, whose operation the brush carries.
  CElement* fLatchedButton = nullptr;
  std::unique_ptr<CIxImage> fBracketImages;
  std::unique_ptr<CIxImage> fRampImages;

  std::unique_ptr<CImage8> fGreyImage;
  std::unique_ptr<CImage> fRender3d;
  std::unique_ptr<CImage> fBackground3d;
  std::unique_ptr<CImage8> fFilterImage;
  std::unique_ptr<CImage> fGradientStrip;
  vector3<double> fObjectSize;
};
