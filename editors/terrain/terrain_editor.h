// The terrain editor: the modal dialog that reshapes one terrain's elevation grid on private working
// copies. Its elevation buttons run click-and-drag operations over the grid routines, the 2D view
// shows the grid through the program-wide colour gradient and the 3D view a shaded relief; "ok"
// exchanges the edited grid with the object's, "cancel" drops it. One editor exists; the palette
// manager makes it at start-up and builds it from "terraineditor.dat" on its first opening.
//
// Its files: terrain_editor.cpp (the dialog: build, attach, show, closing, panels), elevation_ops.cpp
// (the elevation buttons and their drags), terrain_views.cpp (redraws, 3D renders, the idle step,
// hover), terrain_gradient.cpp (the gradient table), filtering_panel.cpp (the transfer curve),
// pictures_panel.cpp (mixing two pictures into a grid), terrain_options.cpp (the pop-ups, the turning
// show, the brush sliders and the level), terrain_input.cpp (keys and presses in the two views),
// crop_brackets.cpp (the crop frame, the brackets and the gradient chooser) and
// terrain_3d_preview.h/.cpp.
#pragma once

#include <cstdint>
#include <functional>
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
class CMenu;
class CTerrain3dPreview;
class CTerrainBrush;
class CTerrainLUT;
class CUIMessage;
struct SLayoutNeed;
struct SWinEvent;

class CTerrainEditor : public CLayoutHostCanvas {
 public:
  enum EPanel : uint8_t { kElevationPanel = 0, kFilteringPanel = 1, kPicturesPanel = 2 };
  // Gradient modes: a preset of the "gradients" picture, or the object's own colour table.
  static constexpr int32_t kGradientPresets = 15;
  // Preset m of the "gradients" picture is its columns 18 m to 18 m + 11.
  static constexpr int32_t kPresetPitch = 18;
  static constexpr int32_t kDefaultGradient = 14;
  static constexpr int32_t kObjectGradient = 15;
  // The gradient: cell 0 above the upper bracket, cells 1 to 256 the entries from the lowest
  // elevation up, cell 257 below the lower bracket.
  static constexpr uint32_t kGradientCells = 258;
  static constexpr uint32_t kGradientEntries = 256;
  // The gradient strip beside the 2D view: this wide, a row for each cell.
  static constexpr int32_t kStripWidth = 12;
  static constexpr uint32_t kPreviewSide = 128;
  static constexpr int32_t kStartBrushCells = 40;
  // Working grids are powers of two within these sides.
  static constexpr uint32_t kSmallestGrid = 16;
  static constexpr uint32_t kLargestGrid = 1024;
  // The rows of the options menu.
  enum EOptionRow : uint32_t { kSpinRow = 1, kTurningShowRow = 3, kQuickPreviewRow = 5 };
  // The pictures panel's ways of mixing, chosen by the mixing menu's commands 29 to 33.
  enum EBlendMode : int32_t { kMix = 1, kDarken = 2, kSubtract = 3, kCrossFade = 4, kBlend = 5 };
  static constexpr uint32_t kFirstMixingCommand = 29;
  static constexpr int32_t kFullWeight = 256;

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
  // The shortcuts (terrain_input.cpp): Tab, Shift+Tab and the Control letters; 0 while another dialog
  // stands in front or the editor is hidden, 26 when a shortcut acted, its code when it failed, else
  // the canvas's own answer (Return and Escape among them).
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

  // ---- the filtering panel (filtering_panel.cpp)
  // A message of the filtering panel: the presets, reset, smooth, apply and the options. 26, or the
  // failing step's code.
  int32_t HandleFilteringPanel(CUIMessage* message);
  // Menu 401 at the screen point: the curve laid across the current grid as a profile, after a
  // snapshot. 26 (also when nothing was chosen), or the failing step's code.
  int32_t FilterOptions(SPointHV screenPoint);
  // The curve drawn into "filter src image" with the 2D picture's colours, and the preview's colours
  // following it: 26, or 1 when a picture cannot be drawn.
  int32_t ShowCurve();
  // The pointer's segment from a to b in "filter src image" (width × height) drawn into the curve;
  // true when an entry changed.
  bool DrawCurveSegment(SPointHV a, SPointHV b, int32_t width, int32_t height);
  // The target becomes the current grid at 128 × 128 mapped through the curve within the brackets and
  // shows in "filter dest image": 0, or the code of a step that failed with the views as they were.
  int32_t PreviewFilter();
  // The filter picture's colours: the 2D picture's colour of each curve entry's height, so that
  // "filter dest image" shows the grid through the curve; true when updating or drawing failed.
  bool DrawFilterPreview();

  // ---- the pictures panel (pictures_panel.cpp)
  // A message of the pictures panel: loads, copies, pastes, the blend drag, the apply and the options.
  // 0, 1 for a load, copy, paste or apply that failed, 9, or the redraw's or the pop-up's code.
  int32_t HandlePicturesPanel(CUIMessage* message);
  // dest from src1 and src0 by the weight (0 src0 .. 256 src1) in the chosen mode; the pictures of
  // modes 2 to 4 must be of one size (dest unchanged otherwise). False when a picture cannot be locked.
  bool BlendPictures(CImage* dest, CImage* src1, CImage* src0, int32_t weight) const;
  // Menu 404 at the screen point: the mode of mixing. 0 or the pop-up's code.
  int32_t PicturesOptions(SPointHV screenPoint);
  int32_t GetBlendAmount() const { return fBlendAmount; }
  void SetPictureBlendMode(int32_t mode) { fPictureBlendMode = mode; }

  // ---- options and brush controls (terrain_options.cpp)
  // The pop-up menu as it opens: loaded from the layout file with the rows of the editor's state
  // ticked. 0 or the load's code.
  int32_t PrepareMenu(const SLayoutNeed& need, std::unique_ptr<CMenu>* menu);
  // The menu popped up at the screen point: the chosen row (1-based, 0 when none) and its command.
  // 0 or the load's code.
  int32_t PopUpMenu(const SLayoutNeed& need, SPointHV screenPoint, uint32_t* row, uint32_t* command);
  // Menu 400: the grid resized to the chosen side. 0, or the resize's, the redraw's or the pop-up's
  // code; the brush's cells follow the side on every path.
  int32_t ResolutionPopup(SPointHV screenPoint);
  // Menu 403: the two switches and the turning show. 0 or a code.
  int32_t TerrainOptionsPopup(SPointHV screenPoint);
  // Menu 402: the brush's behaviour. 0 or the pop-up's code.
  int32_t BrushBehaviourPopup(SPointHV screenPoint);
  // The terrain turning in the middle of the darkened window until a click; one turn unless the spin
  // is on. 0, or 9 when the picture cannot be made.
  int32_t TurningShow();

  // ---- keys and the views' presses (terrain_input.cpp)
  // The 2D view's press at a view point: the crop frame's drag while the frame shows, else painting
  // with the brush until the release. 0 or a code.
  int32_t Press2dView(SPointHV viewPoint);
  // The 3D view's press at a screen point: turn, tilt, height and size drags until the release, then
  // a full render.
  int32_t Press3dView(SPointHV screenPoint);
  // For tests: called with the grid cell of every erosion the brush's drag runs.
  void SetErosionObserver(std::function<void(SPointHV cell)> observer) { fErosionObserver = std::move(observer); }

  // ---- crop, brackets and the gradient chooser (crop_brackets.cpp)
  // The current grid from the snapshot cut to the crop frame (crop) or shrunk into it (fit), while the
  // frame shows: 26, 1 without a snapshot or heights, 9, or the redraw's code.
  int32_t CropOrFit(bool fit);
  // The crop frame dragged by the handle the hover left, from the press at a view point: false when
  // there was no handle.
  bool CropFrameDrag(SPointHV press);
  // Every second pixel of the frame's sides inverted, from the top left corner round; 1 (nothing
  // drawn) for a frame of 10 pixels or less either way, else 0.
  static int32_t DrawCropFrame(CImage* picture, const SRect& frame);
  // The colour map icon's press at a point of the icon: its swatch loads preset 14 (with Shift the
  // object's own colours), elsewhere the presets are chosen by dragging. 26, or 1 when the gradient
  // cannot be shown.
  int32_t PressColourMapIcon(SPointHV local);

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
  static int32_t Heartbeat(void* editor, void* record, void* data);
  static int32_t PressFilterCurve(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressFilterSmooth(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressFilterDest(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawFilterDest(CElement* element, uint32_t pass, CImage* port);
  static int32_t PressBrushSlider(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t PressLevelControl(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawLevelControl(CElement* element, uint32_t pass, CImage* port);
  static int32_t PressBracketArea(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawBracketArea(CElement* element, uint32_t pass, CImage* port);

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
  // After the current grid changed: its picture, both views (with the brush's outline at the pointer
  // when given), and the shown panel's pictures from it. 0, 9, or 1 when a picture cannot be made.
  int32_t RefreshAfterChange(const SPointHV* pointer);
  // The brush's radius in the 2D view's points for the grid's side.
  void UpdateBrushCells();
  // The shown panel's pictures from the 2D picture: 0, or 1 when one cannot be made.
  int32_t RefreshShownPanel();
  // The 2D picture scaled into the filter picture with the curve's colours: false on failure.
  bool CopyGreyIntoFilterImage();
  // The 2D picture into "image src0" and the two sources mixed evenly into "image dest".
  bool PutGreyIntoPictures();
  bool MixPicturesEvenly();
  int32_t ApplyCurve();
  int32_t ApplyPictures();
  int32_t LoadSourcePicture(CElement* source);
  int32_t CopySourcePicture(CElement* source);
  int32_t PasteSourcePicture(CElement* source);
  int32_t BlendDrag(SPointHV screenPoint);
  // Asks for a picture file and reads it: false when the dialog is cancelled (*cancelled set) or the
  // picture cannot be read.
  bool AskAndReadPicture(std::unique_ptr<CImage>* picture, bool* cancelled);
  // A rendered relief of the grid in the picture (the 3D view's at full quality, else at most 128 ×
  // 128), over what the picture holds: false when the grid or the pass fails.
  bool RenderRelief(C3dHeightField* grid, CImage* picture, bool fullQuality, const SRect* clip);
  // ---- keys
  int32_t RunShortcut(uint32_t letter, bool shift, bool control, bool alt, bool* changed, bool* snapshotTaken);
  int32_t CopyGridToClipboard();
  int32_t PasteGridFromClipboard(bool* changed, bool* snapshotTaken);
  int32_t LowerOrRaise(bool raise, bool* snapshotTaken);
  void StepPanel();
  // ---- the views' presses
  int32_t PaintWithBrush(SPointHV press);
  SPointHV ConstrainStroke(SPointHV press, SPointHV pointer, int32_t* axis);
  void PutPointerAt(SPointHV viewPoint);
  int32_t RotateGradientDrag(SPointHV press);
  int32_t DragBrackets(SPointHV press);
  int32_t ChooseGradientPreset(SPointHV press);
  void FrameGradientPreset(int32_t preset, bool on);
  // The 2D picture's 256 colours, the gradient as its views show it.
  void GreyImageColours(CImVector* colours) const;
  // ---- elevation operations
  int32_t FillTarget(int32_t operation, bool control, bool alt);
  // The grid becomes the edited object's, at the working side: 0 or a code.
  int32_t CopyObjectGridInto(C3dHeightField* grid);
  int32_t PrepareBrush();
  void HoldUntilDrag(SPointHV press);
  int32_t DragOperation(SPointHV press);
  // ---- views
  void DrawView2d(const SPointHV* pointer);
  // The 2D picture with the crop frame, when it shows, in the picture: false when it cannot be made.
  bool ComposeView2d(CImage* picture);
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
  int32_t fBlendAmount = kFullWeight / 2;
  std::function<void(SPointHV)> fErosionObserver;

  CElement* fElevationPanel = nullptr;
  CElement* fElevBackground = nullptr;
  CElement* fElevSwitch = nullptr;
  CElement* fFilteringPanel = nullptr;
  CElement* fPicturesPanel = nullptr;
  CElement* fGradientsPanel = nullptr;
  CElement* fGradients = nullptr;
  CElement* fFilterSrcImage = nullptr;
  CElement* fFilterDestImage = nullptr;
  CElement* fFilterOptions = nullptr;
  CElement* fImageSrc0 = nullptr;
  CElement* fImageSrc1 = nullptr;
  CElement* fImageDest = nullptr;
  CElement* fLevelControl = nullptr;
  CElement* fBracketArea = nullptr;
  CElement* fPreview2d = nullptr;
  CElement* fPreview3dElement = nullptr;
  CElement* fBrushBehaviorText = nullptr;
  CElement* fCropItem = nullptr;
  CElement* fColourMapIcon = nullptr;
  CElement* fBrushSize = nullptr;
  CElement* fBrushHard = nullptr;
  CElement* fBrushFlow = nullptr;
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
  // The level's and the presets' pictures as the layout gives them, which their drawings start from.
  std::unique_ptr<CImage> fLevelPicture;
  std::unique_ptr<CImage> fGradientsPicture;
  vector3<double> fObjectSize;
};
