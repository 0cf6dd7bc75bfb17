// What the object and material preset palette and the sky preset palette share: their placement
// beside an anchor canvas, the thumbnail grid (cells, frames, the scroll item's state), the label
// texts, the press callbacks, the live preview rendered in slices at the heartbeat, the name and
// description text fields, and the dialogs that name and delete a preset.
//
// The grid is the element "preset grid": every child but the last is a cell, and cell i shows the
// preset at table index top + i. Its picture belongs to the panel, which draws thumbnails and frames
// into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/rect.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/text_edit.h"
#include "presets/preset_dialogs.h"
#include "presets/preset_file.h"
#include "render/preview_scene.h"

class CBillboard;
class CCanvas;
class CElement;
class CImage;
class CImElement;
class CResTypeTable;
class CTxElement;
struct SHeartbeatRecord;

class CPresetLibrary : public CLayoutHostCanvas {
 public:
  // How far right of the anchor's right edge and below its top the panel opens.
  static constexpr int32_t kAnchorGapH = 15;
  static constexpr int32_t kAnchorGapV = 5;
  static constexpr uint32_t kEmptyCell = 0;
  static constexpr uint32_t kUnreadableCell = 0xFFFFFFFF;
  static constexpr uint32_t kFrameColour = 0;
  static constexpr uint32_t kSelectedFrameColour = 0x00FF0000;
  // The scroll item's picture states: at the first preset, in the middle, at the end.
  enum EScrollState : int32_t { kScrollHidden = -1, kScrollAtStart = 0, kScrollMiddle = 1, kScrollAtEnd = 2 };
  // SetLabelText's alignments.
  enum EAlignment : int32_t { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
  static constexpr size_t kNameBytes = 64;
  static constexpr size_t kDescriptionBytes = 260;

  ~CPresetLibrary() override;

  CCanvas* GetAnchor() const { return fAnchor; }
  CPresetNameDialog* GetAddPreset() const { return fAddPreset; }
  CPresetDeleteDialog* GetDeletePreset() const { return fDeletePreset; }
  // The dialog "export" opens, one for both panels; the palette manager gives it once all exist.
  void SetBillboard(CBillboard* billboard) { fBillboard = billboard; }
  CBillboard* GetBillboard() const { return fBillboard; }

  // Only while shown (true otherwise): the canvas, then the edit controls of the text fields over it.
  bool Redraw(const SRect* rect) override;

  // ---- placement
  // The panel's top left beside the anchor: anchor right + 15, anchor top + 5, then pushed onto the
  // screen (a panel larger than the screen ends on its far edge).
  static SPointHV PlaceBeside(const SRect& anchor, const SRect& screen, int32_t width, int32_t height);
  // Moves the window there; the anchor's frame and the application's screen.
  void PlaceBesideAnchor();

  // ---- the grid
  // The grid's children: the cells and the last child (the "p" of the scroll arithmetic).
  uint32_t GetGridChildCount() const;
  uint32_t GetCellCount() const;
  CElement* GetCell(uint32_t index) const;
  CImElement* GetGridElement() const { return fGrid; }
  CImage* GetGridImage() const { return fGridImage.get(); }
  // The cell's one-pixel frame around it on the grid image, red when its user word 0 says selected;
  // with showNow that rectangle is redrawn on the screen.
  void DrawCellFrame(CElement* cell, bool showNow);
  // The cell's rectangle on the grid image (grown by the frame's pixel when asked) filled.
  void FillCell(CElement* cell, uint32_t value, bool withFrame);
  // The cell's rectangle in grid coordinates.
  static SRect CellRect(CElement* cell);

  // ---- the scroll item
  // The state for n presets in a grid of p children with the top at t, or kScrollHidden.
  static int32_t ScrollStateFor(bool hasTable, uint32_t n, uint32_t p, uint32_t t);
  // ShowScrollState re-selects no picture for the state the item shows already.
  // Shows the state (or hides the item).
  void ShowScrollState(int32_t state);
  int32_t GetScrollState() const;
  CImElement* GetScrollItem() const { return fScrollItem; }
  // Which way a press at y in an item of height scrolls in the state: +1, -1, 0 for an unknown state;
  // false when the press is ignored.
  static bool ScrollDirection(int32_t state, int32_t height, int32_t y, int32_t* direction);

  // ---- labels
  // Copies the text into the label's buffer (of size bytes), cut to fit, and sets it laid out at the
  // alignment; the framework's code.
  static int32_t SetLabelText(CTxElement* label, char* buffer, size_t size, const char* text, int32_t alignment,
                              bool redraw);

  // ---- element callbacks
  // The press point in the element's coordinates, posted to the panel.
  static int32_t PostPressWithPoint(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // A press on the scroll item: a message from it whose first point is (0, direction).
  static int32_t ScrollItemPressed(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  // Draws the element's picture (its user word 0 names it) into the port.
  static int32_t SupplyElementImage(CElement* element, uint32_t pass, CImage* port);
  // The text fields' key and pointer callbacks.
  static int32_t OnTextFieldKey(CElement* element, CElement** handled, SWinEvent* event);
  static int32_t OnPointerOverText(CElement* element, SPointHV point);

  // ---- the preview
  CPreviewScene& GetPreview() { return *fPreview; }
  const SRect& GetPreviewRect() const { return fPreviewRect; }
  CImElement* GetPreviewElement() const { return fPreviewElement; }
  // The heartbeat's step: the next slice of a pending render, only while the panel is the topmost
  // modal canvas, shown and active and the beat is an idle one.
  static int32_t RenderPreviewSlice(void* panel, void* record, void* data);
  int32_t RenderPreviewSlice(const SHeartbeatRecord* beat);

  // ---- the text fields
  CTextEdit* GetNameField() const { return fNameField; }
  CTextEdit* GetDescriptionField() const { return fDescriptionField; }
  CTxElement* GetNameLabel() const { return fNameLabel; }
  CTxElement* GetDescriptionLabel() const { return fDescriptionLabel; }
  // The focus moves from the focused field to the next one (the previous one with Shift), wrapping.
  void NextTextField(bool backwards);
  // The name and description shown in their labels.
  void ShowTexts(const char* name, const char* description);
  void HideTexts();

  // ---- the open library and its preset table (in grid order, with a selection flag per entry)
  CResourceEnv* GetLibrary() const { return fLibrary.GetLibrary(); }
  CResTypeTable* GetTable() const { return fTable; }
  uint32_t GetTopIndex() const { return fTopIndex; }
  void SetTopIndex(uint32_t top) { fTopIndex = top; }
  // The largest top index: the presets less the cells, never below 0.
  uint32_t GetLastTopIndex() const;
  // The entry count of the preset table (0 without one).
  uint32_t GetPresetCount() const;
  // Entry i's id and selection flag.
  uint32_t GetPresetId(uint32_t index) const;
  bool IsSelected(uint32_t index) const;
  void SetSelected(uint32_t index, bool selected);
  // No preset selected, no cell framed as selected.
  void ClearSelection();
  uint32_t GetCurrentPresetId() const { return fCurrentPresetId; }
  void SetCurrentPresetId(uint32_t id) { fCurrentPresetId = id; }
  bool IsTracking() const { return fTracking; }
  // The name or the description was typed into since the preset was shown.
  bool IsEdited() const { return fEdited; }
  void UpdateScrollState();
  // Every cell's thumbnail, selected state and frame from the table at the top index.
  void RefreshGrid();
  // The stored preview of the preset the cell shows, scaled into it (unreadable: kUnreadableCell).
  void LoadThumbnail(uint32_t cell);

  // ---- the grid's clicks, scrolling and in-place editing (26: handled)
  // Selects by the click and the modifier keys (Ctrl toggles, Shift extends back to the first
  // selected cell, Ctrl+Shift replaces) and shows the clicked preset: 26 when no cell was hit, else 0
  // or the code of reading the preset or of locking the cell list.
  int32_t ClickGrid(CUIMessage* message);
  // One cell in the direction of the scroll item's message (its first point's v); with repeat, again
  // every 10 ticks while the button stays down. 0, or the cell list's lock error.
  int32_t ScrollGrid(CUIMessage* message, bool repeat);
  // Typing begins (or goes on) in the clicked text field: 0 without a current preset, else 26.
  int32_t BeginTextEdit(CUIMessage* message);
  // Ends typing in both fields and writes typed texts into the current preset's description: 0.
  int32_t CommitTextEdits();
  static constexpr int64_t kScrollRepeatTicks = 10;

  // ---- deleting
  // Every selected preset leaves the library (DeletePreset), from the last to the first; the top
  // index goes back by their count and the texts hide. 0.
  int32_t DeleteSelected();

  // ---- opening
  // Ticks the button must stay down after a plop-up press for the panel to follow the pointer.
  static constexpr int64_t kPlopUpWaitMs = 50;
  // Closes as "ok" (apply) or "cancel" do, then the library: the first failing code, or 26.
  virtual int32_t Close(bool apply) = 0;
  using CLayoutHostCanvas::Close;
  // On release after following the pointer: the preset under it applied, the library closed.
  virtual int32_t TrackPlopUp() = 0;

  // ---- the import
  // Asks for a file and copies its presets of the panel's kind into the open library: from a preset
  // file (any resource composite file) each under a new id, from a document of the earlier version
  // each of its materials, top-level objects or skies with the proposed name and a white preview. 6
  // without a library (nothing asked), the dialog's answer when it gives no file (24 cancelled), 26
  // when the import ran to its end, else its code after the grid shows what came in.
  int32_t Import();

  // The panel's own modal level is its canvas stamp, which opening it (Refresh) records.
  bool IsTopModal() const { return !IsStale(); }

 protected:
  CPresetLibrary(CUICmFunction* owner, CResourceEnv* environment, const SDialogNeeds& layout, CCanvas* anchor,
                 CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset);

  // The build's shared steps, after the layout's elements exist.
  int32_t BuildGrid(const char* gridName, const char* pictureName, const char* firstCellName);
  int32_t BuildPreview(const char* elementName, uint32_t sampleShape, bool keepGroundPlain = true);
  int32_t BuildTextFields(const char* nameElement, const char* descriptionElement);
  int32_t SubscribeSlices();
  void FreeBuilt();

  // What the panel's kind keeps in its library.
  virtual const char* ItemType() const = 0;
  virtual const char* PreviewType() const = 0;
  virtual const char* DescriptionType() const = 0;
  // After a click selected the cell of the table index: the kind's showing (or, with replace, its
  // replacing) of the preset, making it current. 0, or the code that ends the click.
  virtual int32_t ShowClickedPreset(uint32_t index, bool replace) = 0;
  // Committing the texts empties the add preset dialog's proposed name.
  virtual bool CommitClearsProposedName() const { return true; }
  // The name a new preset is proposed under: the layout's "names" entry for the kind, else ours.
  virtual std::string ProposedName() const = 0;
  // "add": the texts committed, the add preset dialog opened with the proposed name and the live
  // preview. "export": the billboard. 26 or the dialog's code.
  int32_t OpenAddPreset();
  int32_t OpenBillboard();
  // The buttons both kinds answer alike ("import", "export", "add", "ok", "cancel"): true, with the
  // answer in *result, when the element is one of them.
  bool HandleSharedButton(const char* element, int32_t* result);
  // One preset and everything stored for it alone leaves the library.
  virtual void DeletePreset(uint32_t id) = 0;
  // After the panel showed for a plop-up press (shown: the showing's code): its modal level
  // recorded, and while the button stays held past the wait the pointer followed (TrackPlopUp's
  // answer); 26 for a quick click, or the code (the panel closed again).
  int32_t FinishOpening(int32_t shown);
  // The import's dialog filter, and the copy of a preset file's presets or an earlier-version
  // document's things of the kind into the open library: 0 or the code that ended it.
  virtual std::string ImportFilterText() = 0;
  virtual int32_t ImportPresetFile(CResourceEnv* source) = 0;
  virtual int32_t ImportOldDocument(const CFileSpec& file) = 0;
  // Before an earlier-version import: the preview white (the presets' preview) and the proposed
  // name in the add preset dialog with an empty description.
  void PrepareOldImport(const char* name);
  // The table looked up again after an import, and the grid and scroll item showing it.
  void RefreshAfterImport();
  // A cell whose stored preview cannot be read: filled with kUnreadableCell.
  virtual void OnUnreadableThumbnail(CElement* cell);

  // While a plop-up's button stays down: the point over the panel's other elements (a category tab),
  // true when it acted on one.
  virtual bool TrackOverOther(SPointHV) { return false; }
  // Follows the pointer until the button is released: the scroll item scrolls, each cell the
  // pointer enters is clicked, and off the cells nothing is selected or current. 0 or 15.
  int32_t FollowPointer();
  static bool Inside(const SRect& r, SPointHV p) { return p.h >= r.left && p.h <= r.right && p.v >= r.top && p.v <= r.bottom; }
  // An element's rectangle in canvas coordinates.
  static SRect CanvasRect(CElement* element);

  int32_t ReleaseTable();
  // The table of the kind's item type, locked (none for a library without one): 0 or the lock's code.
  int32_t FindTable();
  // The stored preview of the id into the panel's preview image, the pending render cleared and the
  // image shown: false when it cannot be read, the preview then as it was.
  bool ShowStoredPreview(uint32_t id);
  // A click that could not show its preset: nothing typed, both fields redrawn.
  void ForgetShownTexts();

  CImElement* fScrollItem = nullptr;
  CPresetLibraryFile fLibrary;
  CResTypeTable* fTable = nullptr;
  uint32_t fTopIndex = 0;
  uint32_t fCurrentPresetId = 0;
  bool fTracking = false;
  bool fEdited = false;

 private:
  CCanvas* fAnchor = nullptr;
  CPresetNameDialog* fAddPreset = nullptr;
  CPresetDeleteDialog* fDeletePreset = nullptr;
  CBillboard* fBillboard = nullptr;
  CImElement* fGrid = nullptr;
  std::unique_ptr<CImage> fGridImage;
  std::unique_ptr<CPreviewScene> fPreview;
  CImElement* fPreviewElement = nullptr;
  SRect fPreviewRect{};
  CTextEditTable fFields;
  CTextEdit* fNameField = nullptr;
  CTextEdit* fDescriptionField = nullptr;
  CTxElement* fNameLabel = nullptr;
  CTxElement* fDescriptionLabel = nullptr;
  // The field element the pointer is over while its field has the focus.
  CElement* fHoverField = nullptr;
  char fNameText[kNameBytes] = {};
  char fDescriptionText[kDescriptionBytes] = {};

  // One scroll step: false when it would pass either end (the top clamped, nothing redrawn).
  bool ScrollStep(int32_t step);
  // The pixels of one cell copied into another of the grid picture.
  void CopyCellPixels(CElement* from, CElement* to);
  void SelectCell(CElement* cell, uint32_t index, bool selected);
  // Ends typing in the field: its text into its element, the control hidden.
  void EndFieldEdit(CTextEdit* field, CTxElement* label, char* buffer, size_t size);
};
