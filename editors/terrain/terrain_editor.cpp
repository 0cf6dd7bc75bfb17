// The terrain editor as a dialog: its build from the layout, the working grids it attaches to a
// terrain, its showing, its closing with or without writing back, the switch and the three panels.
#include "editors/terrain/terrain_editor.h"

#include <algorithm>
#include <cstring>

#include "editing/document_host.h"
#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_lut.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image8.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "render/gradient_hook.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

CTerrainEditor* gCurrent = nullptr;

// The placement that centres the dialog on the screen.
constexpr uint32_t kCentred = 0x0C00;
// "objinfochanged": the object's data changed.
constexpr uint32_t kObjectChanged = 4;
// The states of the image elements the editor steers.
constexpr uint32_t kSwitchOff = 0;
constexpr uint32_t kSwitchOn = 1;
constexpr uint32_t kButtonOff = 0;
constexpr uint32_t kButtonOn = 1;
constexpr uint32_t kSwitchedButtonState = 2;
// The brush controls show these states until their panel sets them.
constexpr uint32_t kBrushSizeState = 2;
constexpr uint32_t kBrushHardState = 9;
constexpr uint32_t kBrushFlowState = 5;
constexpr uint32_t kRampCount = 9;
constexpr uint32_t kWhite = 0xFFFFFFFF;
// "ok" writes brackets at the ends a little beyond them, so that no height is clipped.
constexpr double kBracketEnd = 1e-10;
constexpr double kLowestBracket = -0.00001;
constexpr double kHighestBracket = 1.00001;

// The element of that name among the parent's children: 0, or the lookup's code.
int32_t Find(CElement* parent, const SLayoutNeed& need, CElement** out) {
  *out = nullptr;
  if (!parent) return kErrObjectNotFound;
  const int32_t err = CElSystem::FindElement(parent->GetChildren(), need.name, out, false);
  if (!err && !*out) return kErrObjectNotFound;
  return err;
}

void ForEachChild(CElement* parent, void (*visit)(CElement* child, void* data), void* data) {
  CElSystem* children = parent ? parent->GetChildren() : nullptr;
  CElement* child = nullptr;
  for (uint32_t i = 0; children && CElSystem::GetElementAt(children, i, &child) == kNoErr && child; ++i)
    visit(child, data);
}

uint32_t ShownEntry(CElement* element) {
  CImElement* image = AsImage(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  return list && list->Selected() != CIxImage::kNone ? list->Selected() : 0;
}

void ShowEntry(CElement* element, uint32_t entry) {
  if (CImElement* image = AsImage(element)) image->SelectEntry(entry, false, false, true);
}

// The working side for a terrain of side n: a power of two from 16 to 1024, at or above n.
uint32_t WorkingSide(uint32_t n) {
  uint32_t side = CTerrainEditor::kSmallestGrid;
  while (side < n && side < CTerrainEditor::kLargestGrid) side *= 2;
  return side;
}

}  // namespace

CTerrainEditor* CTerrainEditor::GetCurrentEditor() { return gCurrent; }

CTerrainEditor::CTerrainEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTerrainEditor),
      fBracketImages(std::make_unique<CIxImage>(environment, need::kBracketImages.name, CIxImage::kNone)),
      fRampImages(std::make_unique<CIxImage>(environment, need::kRampImages.name, CIxImage::kNone)) {
  SetGradientRotation(0);
  FillGreyRamp();
  SetGradientColourLookup(&GradientColorAt);
  gCurrent = this;
}

CTerrainEditor::~CTerrainEditor() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  DeleteGrids();
  ForgetHover();
  SetGradientColourLookup(nullptr);
  if (gCurrent == this) gCurrent = nullptr;
}

// ---- the build

int32_t CTerrainEditor::BuildControls(CResourceEnv* environment) {
  CBusyCursor busy;
  // The image lists are the editor's own: without them it cannot draw its brackets or its ramps.
  if (const int32_t err = fBracketImages->GetResult()) return err;
  if (const int32_t err = fRampImages->GetResult()) return err;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  if (const int32_t err = FindElements()) return err;
  BindElevationPanel();
  BindPanels();
  BindControls();
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  // The editor's one heartbeat row also dispatches the hover that the host canvas's row would.
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  if (!app->SubscribeHeartbeat(this, &Heartbeat)) return kErrOutOfMemory;
  if (const int32_t err = MakePictures()) return err;
  fPreviewLive = false;
  fUndoAvailable = false;
  fBracketLow = 0.0;
  fBracketHigh = 1.0;
  fGradientMode = kDefaultGradient;
  if (const int32_t err = LoadGradient()) return err;
  for (uint32_t i = 0; i < kRampCount; ++i) {
    if (CImage* ramp = fRampImages->ImageAt(i)) ramp->ToGrey();
  }
  fPictureBlendMode = 1;
  CHoElement* root = GetRoot();
  if (root && root->GetRect().left < 0) root->MoveTo({0, root->GetRect().top}, false);
  RecordViewRects();
  return kNoErr;
}

int32_t CTerrainEditor::FindElements() {
  fLatchedButton = nullptr;
  ForgetHover();
  CElement* root = GetRoot();
  // Each element among the children of one found before it.
  struct SLookup {
    CElement* const* parent;
    const SLayoutNeed& need;
    CElement** out;
  };
  const SLookup lookups[] = {
      {&root, need::kElevationPanel, &fElevationPanel},
      {&root, need::kFilteringPanel, &fFilteringPanel},
      {&root, need::kPicturesPanel, &fPicturesPanel},
      {&root, need::kGradientsPanel, &fGradientsPanel},
      {&root, need::kPreview2d, &fPreview2d},
      {&root, need::kPreview3d, &fPreview3dElement},
      {&root, need::kBracketArea, &fBracketArea},
      {&root, need::kLevelControl, &fLevelControl},
      {&root, need::kBrushBehaviorText, &fBrushBehaviorText},
      {&root, need::kOnButton, &fOnButton},
      {&root, need::kOffButton, &fOffButton},
      {&root, need::kColorMapIcon, &fColourMapIcon},
      {&root, need::kBrushSize, &fBrushSize},
      {&root, need::kBrushHard, &fBrushHard},
      {&root, need::kBrushFlow, &fBrushFlow},
      {&fElevationPanel, need::kElevBackground, &fElevBackground},
      {&fElevationPanel, need::kElevSwitch, &fElevSwitch},
      {&fGradientsPanel, need::kGradients, &fGradients},
      {&fFilteringPanel, need::kFilterSrcImage, &fFilterSrcImage},
      {&fFilteringPanel, need::kFilterDestImage, &fFilterDestImage},
      {&fFilteringPanel, need::kFilterOptions, &fFilterOptions},
      {&fPicturesPanel, need::kImageSrc0, &fImageSrc0},
      {&fPicturesPanel, need::kImageSrc1, &fImageSrc1},
      {&fPicturesPanel, need::kImageDest, &fImageDest},
      {&fPreview2d, need::kCropItem, &fCropItem},
  };
  for (const SLookup& lookup : lookups) {
    if (const int32_t err = Find(*lookup.parent, lookup.need, lookup.out)) return err;
  }
  return kNoErr;
}

void CTerrainEditor::BindElevationPanel() {
  // Every button runs its operation; those that drag show their drag cursor on hover.
  ForEachChild(
      fElevationPanel,
      [](CElement* child, void*) {
        const bool drags = child->GetUserWord(kCursorWord) || child->GetUserWord(kOtherCursorWord);
        child->SetPressCallback(&PressElevation);
        child->SetHoverCallback(drags ? &HoverDragButton : nullptr);
      },
      nullptr);
  for (const SLayoutNeed* button : {&need::kElevFilteringTab, &need::kElevPicturesTab, &need::kElevSwitch})
    BindElementAlt(fElevationPanel, button->name, &UIHostPressButton, nullptr, nullptr);
  BindElementAlt(fElevationPanel, need::kElevBackground.name, nullptr, nullptr, nullptr);
}

void CTerrainEditor::BindPanels() {
  fGradientsPanel->Hide(false);
  BindElementAlt(fGradientsPanel, need::kGradients.name, &UIHostPostElementMessage, nullptr, nullptr);
  // The filtering panel's pictures with states track the pointer; the others, and the pictures
  // panel's, act on the press.
  ForEachChild(
      fFilteringPanel,
      [](CElement* child, void*) {
        CImElement* image = AsImage(child);
        if (!image) return;
        const bool states = image->GetImageList() && image->GetImageList()->Count() > 1;
        image->SetPressCallback(states ? &UIHostTrackButton : &UIHostPressButton);
      },
      nullptr);
  BindElementAlt(fFilteringPanel, need::kFilterSrcImage.name, &PressFilterCurve, &HoverDragButton, nullptr);
  BindElementAlt(fFilteringPanel, need::kFilterDestImage.name, &PressFilterDest, nullptr, nullptr);
  fFilterDestImage->SetDrawCallback(&DrawFilterDest);
  BindElementAlt(fFilteringPanel, need::kFilterSmooth.name, &PressFilterSmooth, nullptr, nullptr);
  BindElementAlt(fFilteringPanel, need::kFilterOptions.name, &UIHostPostElementMessage, nullptr, nullptr);
  ForEachChild(
      fPicturesPanel,
      [](CElement* child, void*) {
        if (AsImage(child)) child->SetPressCallback(&UIHostPressButton);
      },
      nullptr);
  // The sources' pictures and the pop-up act at the press; the blend drags from it.
  for (const SLayoutNeed* picture : {&need::kImageSrc0, &need::kImageSrc1, &need::kPicturesOptions})
    BindElementAlt(fPicturesPanel, picture->name, &UIHostPostElementMessage, nullptr, nullptr);
  for (const SLayoutNeed* picture : {&need::kImageDest, &need::kPicturesBlend})
    BindElementAlt(fPicturesPanel, picture->name, &UIHostPostElementMessage, &HoverDragButton, nullptr);
}

void CTerrainEditor::BindControls() {
  for (const SLayoutNeed* popup : {&need::kResolutionPopup, &need::kTerrainOptions, &need::kBrushBehaviorPopup,
                                   &need::kColorMapIcon, &need::kOnButton, &need::kOffButton})
    BindElement(popup->name, &UIHostPostElementMessage, nullptr, nullptr);
  BindElement(need::kLevelControl.name, &PressLevelControl, nullptr, nullptr);
  fLevelControl->SetDrawCallback(&DrawLevelControl);
  BindElement(need::kBracketArea.name, &PressBracketArea, &HoverBracketArea, nullptr);
  fBracketArea->SetDrawCallback(&DrawBracketArea);
  fPreview2d->SetDrawCallback(&DrawPreview2d);
  BindElement(need::kPreview2d.name, &UIHostPostElementMessage, &HoverPreview2d, nullptr);
  fPreview3dElement->SetDrawCallback(&DrawPreview3d);
  BindElement(need::kPreview3d.name, &UIHostPostElementMessage, nullptr, nullptr);
  struct SGauge {
    const SLayoutNeed& need;
    uint32_t state;
  };
  for (const SGauge& gauge : {SGauge{need::kBrushSize, kBrushSizeState}, SGauge{need::kBrushHard, kBrushHardState},
                              SGauge{need::kBrushFlow, kBrushFlowState}}) {
    CElement* control = nullptr;
    BindElementRef(gauge.need.name, &control, &PressBrushSlider, nullptr, nullptr);
    ShowEntry(control, gauge.state);
  }
  BindElement(need::kTerrainEditor.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kTerrainEditor.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  ShowEntry(fOffButton, kButtonOn);
  for (const SLayoutNeed* button : {&need::kCropButton, &need::kFitButton})
    BindElement(button->name, &UIHostTrackButton, nullptr, nullptr);
  fBrush = std::make_unique<CTerrainBrush>();
  fBrush->SetElements(fBrushBehaviorText, fLevelControl);
}

int32_t CTerrainEditor::MakePictures() {
  int32_t error = kNoErr;
  const SRect view2d = fPreview2d->GetRect(), view3d = fPreview3dElement->GetRect();
  const SRect curve = fFilterSrcImage->GetRect();
  fGreyImage.reset(NewDataImage8(uint32_t(RectWidth(view2d)), uint32_t(RectHeight(view2d)), &error));
  if (!fGreyImage) return kErrOutOfMemory;
  fRender3d.reset(NewDataImage(uint32_t(RectWidth(view3d)), uint32_t(RectHeight(view3d)), &error));
  fBackground3d.reset(NewDataImage(uint32_t(RectWidth(view3d)), uint32_t(RectHeight(view3d)), &error));
  fFilterImage.reset(NewDataImage8(uint32_t(RectWidth(curve)), uint32_t(RectHeight(curve)), &error));
  fGradientStrip.reset(NewDataImage(uint32_t(kStripWidth), kGradientCells, &error));
  if (!fRender3d || !fBackground3d || !fFilterImage || !fGradientStrip) return kErrOutOfMemory;
  fPreview3d = std::make_unique<CTerrain3dPreview>();
  fLut = std::make_unique<CTerrainLUT>();
  // The level's and the presets' pictures are drawn over; each drawing starts from these copies.
  for (auto [element, copy] : {std::pair{fLevelControl, &fLevelPicture}, std::pair{fGradients, &fGradientsPicture}}) {
    CImage* shown = AsImage(element) ? AsImage(element)->GetImage() : nullptr;
    if (!shown) return kErrObjectNotFound;
    copy->reset(NewDataImage(shown->GetWidth(), shown->GetHeight(), &error));
    if (!*copy || !(*copy)->CopyFrom(shown)) return kErrOutOfMemory;
  }
  return kNoErr;
}

// ---- attaching

int32_t CTerrainEditor::AttachHeightField(C3dHeightField* field, CDocumentHost* window) {
  if (!field) return kErrGeneric;
  CBusyCursor busy;
  fHeightField = field;
  fWindow = window;
  const bool shift = IsKeyHeld(platform::kVkShift);
  DeleteGrids();
  if (const int32_t err = MakeWorkingGrids(field)) return err;
  fUndoAvailable = false;
  fPreviewLive = false;
  fBrushCells = kStartBrushCells;
  UpdateBrushCells();
  if (const int32_t err = RemakeGreyImage()) return err;
  return ChooseGradient(field, shift);
}

int32_t CTerrainEditor::MakeWorkingGrids(C3dHeightField* field) {
  {
    CHolder lock(field, false, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    fObjectSize = field->GetScaledSize();
  }
  const uint32_t n = WorkingSide(field->GetSide());
  for (C3dHeightField** grid : {&fCurrent, &fSnapshot, &fTarget}) {
    if (const int32_t err = field->MakeTemporary(grid, 8)) return err;
  }
  if (const int32_t err = field->MakeTemporary(&fPreviewGrid, kPreviewSide)) return err;
  if (const int32_t err = fCurrent->CopyGrid(*field, false)) return err;
  // Grids of other sides are resampled to the side the grid routines take.
  if (fCurrent->GetSide() == 0) {
    if (const int32_t err = fCurrent->SetResolution(n)) return err;
  } else if (fCurrent->GetSide() != n && !fCurrent->ChangeResolution(n)) {
    return kErrOutOfMemory;
  }
  for (C3dHeightField* copy : {fSnapshot, fTarget}) {
    if (const int32_t err = copy->CopyGrid(*fCurrent, false)) return err;
  }
  return kNoErr;
}

int32_t CTerrainEditor::ChooseGradient(C3dHeightField* field, bool shift) {
  CImVector colours[kGradientEntries];
  int32_t rotation = 0;
  const bool ownColours = field->GetColourTable(colours, &rotation);
  const auto clamped = [](double v) { return std::clamp(v, 0.0, 1.0); };
  if (shift && ownColours) {
    SetBrackets(clamped(field->GetLowerClip()), clamped(field->GetUpperClip()));
    SetGradientRotation(rotation);
    fGradientMode = kObjectGradient;
    return LoadGradient();
  }
  if (shift) {
    // The gradient stays the editor's until "ok" with Shift gives it to the object.
    SetBrackets(fSavedBracketLow, fSavedBracketHigh);
    fGradientMode = kObjectGradient;
    return RefreshGradient(true) ? kNoErr : kErrGeneric;
  }
  SetGradientRotation(0);
  SetBrackets(clamped(field->GetLowerClip()), clamped(field->GetUpperClip()));
  fGradientMode = kDefaultGradient;
  if (const int32_t err = LoadGradient()) return err;
  return RefreshGradient(true) ? kNoErr : kErrGeneric;
}

int32_t CTerrainEditor::RemakeGreyImage(C3dHeightField* grid) {
  C3dHeightField* shown = grid ? grid : fCurrent;
  if (!shown || !fGreyImage) return kNoErr;
  return shown->MakeGrayImage(fGreyImage.get()) ? kNoErr : kErrOutOfMemory;
}

int32_t CTerrainEditor::ShowCurrentGrid() {
  if (const int32_t err = RemakeGreyImage()) return err;
  return Redraw(true, true, nullptr, nullptr);
}

void CTerrainEditor::Show(int32_t) {
  Place(GetFrame(), kCentred, nullptr, {0.0f, 0.0f}, {1.0f, 1.0f});
  RecordViewRects();
  Refresh(false);
}

// ---- closing

void CTerrainEditor::DeleteGrids() {
  for (C3dHeightField** grid : {&fSnapshot, &fTarget, &fCurrent, &fPreviewGrid}) {
    delete *grid;
    *grid = nullptr;
  }
}

int32_t CTerrainEditor::ApplyToObject(bool keepColourMap) {
  C3dHeightField* field = fHeightField;
  if (!field || !fCurrent) return kErrObjectNotFound;
  CBusyCursor busy;
  CImVector before[kGradientEntries];
  int32_t beforeRotation = 0;
  const bool hadColours = field->GetColourTable(before, &beforeRotation);
  const auto restoreColours = [&] {
    if (hadColours) field->SetColourTable(before, beforeRotation);
    else field->DeleteColourTable();
  };
  if (keepColourMap) {
    CImVector entries[kGradientEntries];
    for (uint32_t i = 0; i < kGradientEntries; ++i) entries[i] = GetGradientCell(i + 1);
    if (const int32_t err = field->SetColourTable(entries, -(GetGradientRotation() % 256))) {
      restoreColours();
      return err;
    }
  }
  const double low = fBracketLow < kBracketEnd ? kLowestBracket : fBracketLow;
  const double high = std::abs(fBracketHigh - 1.0) < kBracketEnd ? kHighestBracket : fBracketHigh;
  fCurrent->SetClip(low, high);
  // The exchange first and the tiles after it, so that a failure of either leaves the object with
  // the heights it had.
  if (const int32_t err = field->SwapData(*fCurrent, false, false)) {
    restoreColours();
    return err;
  }
  if (const int32_t err = field->BuildTiles()) {
    field->SwapData(*fCurrent, false, false);
    field->BuildTiles();
    restoreColours();
    return err;
  }
  if (!keepColourMap) field->DeleteColourTable();
  fBracketLow = fSavedBracketLow = low;
  fBracketHigh = fSavedBracketHigh = high;
  CHolder lock(field, true, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  field->SetBoxAndPivot();
  field->SetScaledSize(fObjectSize);
  return kNoErr;
}

int32_t CTerrainEditor::CloseWithWriteBack(bool keepColourMap) {
  if (const int32_t err = ApplyToObject(keepColourMap)) return err;
  fPreviewLive = false;
  DeleteGrids();
  Close();
  if (!fWindow) return kHandled;
  fWindow->Invalidate(true);
  const int32_t found = fWindow->FindSceneParts(false);
  fWindow->NotifyObjInfoChanged(kObjectChanged);
  return found ? found : kHandled;
}

int32_t CTerrainEditor::CloseWithoutWriteBack() {
  fPreviewLive = false;
  DeleteGrids();
  Close();
  return kHandled;
}

int32_t CTerrainEditor::Undo() {
  if (!fSnapshot || !fCurrent) return kErrOutOfMemory;
  CHolder snapshot(fSnapshot, true, false);
  CHolder current(fCurrent, true, false);
  if (!snapshot.IsLocked() || !current.IsLocked()) return kErrOutOfMemory;
  return fCurrent->SwapData(*fSnapshot, false, false);
}

// ---- messages

int32_t CTerrainEditor::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (!IsShown()) return kNoErr;
  if (message->kind != 0) return CUIHostCanvas::HandleEvent(message);
  bool handled = false;
  const char* canvas = message->canvasName;
  const char* element = message->elementName;
  int32_t result = SameText(canvas, need::kTerrainEditor.canvas.name)
                       ? HandleDialogElement(element, message, &handled)
                       : HandlePanelElement(canvas, element, message, &handled);
  if (handled) return result;
  // The pop-ups and the crop buttons answer from any panel.
  const SPointHV at = message->firstPoint;
  if (SameText(element, need::kResolutionPopup.name)) return HandledOr(ResolutionPopup(at));
  if (SameText(element, need::kTerrainOptions.name)) return HandledOr(TerrainOptionsPopup(at));
  if (SameText(element, need::kBrushBehaviorPopup.name)) return HandledOr(BrushBehaviourPopup(at));
  if (SameText(element, need::kCropButton.name)) return CropOrFit(false);
  if (SameText(element, need::kFitButton.name)) return CropOrFit(true);
  return CUIHostCanvas::HandleEvent(message);
}

int32_t CTerrainEditor::HandleDialogElement(const char* element, CUIMessage* message, bool* handled) {
  *handled = true;
  if (SameText(element, need::kTerrainEditor.cancel.name)) return CloseWithoutWriteBack();
  if (SameText(element, need::kTerrainEditor.ok.name)) return CloseWithWriteBack(IsKeyHeld(platform::kVkShift));
  const bool on = SameText(element, need::kOnButton.name);
  if (on || SameText(element, need::kOffButton.name)) {
    ShowEntry(fOnButton, on ? kButtonOn : kButtonOff);
    ShowEntry(fOffButton, on ? kButtonOff : kButtonOn);
    if (on) fCropItem->Show(false);
    else fCropItem->Hide(false);
    Redraw(true, true, nullptr, nullptr);
    return kHandled;
  }
  if (SameText(element, need::kColorMapIcon.name)) return PressColourMapIcon(message->secondPoint);
  if (SameText(element, need::kPreview2d.name)) return HandledOr(Press2dView(message->secondPoint));
  if (SameText(element, need::kPreview3d.name)) return HandledOr(Press3dView(message->firstPoint));
  // Their presses did their work.
  for (const SLayoutNeed* control :
       {&need::kLevelControl, &need::kBracketArea, &need::kBrushSize, &need::kBrushHard, &need::kBrushFlow}) {
    if (SameText(element, control->name)) return kHandled;
  }
  *handled = false;
  return kNoErr;
}

int32_t CTerrainEditor::HandlePanelElement(const char* panel, const char* element, CUIMessage* message,
                                           bool* handled) {
  *handled = true;
  if (SameText(panel, need::kElevationPanel.name)) {
    if (SameText(element, need::kElevFilteringTab.name)) return ShowFilteringPanel();
    if (SameText(element, need::kElevPicturesTab.name)) return ShowPicturesPanel();
    if (SameText(element, need::kElevSwitch.name)) {
      UpdateSwitchButtons();
      return kHandled;
    }
    CElement* button = nullptr;
    CElSystem::FindElement(fElevationPanel->GetChildren(), element, &button, false);
    if (!button) {
      *handled = false;
      return kNoErr;
    }
    return PressElevationButton(button);
  }
  if (SameText(panel, need::kFilteringPanel.name)) {
    if (SameText(element, need::kFilterElevationTab.name)) return ShowElevationPanel(), kHandled;
    if (SameText(element, need::kFilterPicturesTab.name)) return ShowPicturesPanel();
    return HandleFilteringPanel(message);
  }
  if (SameText(panel, need::kPicturesPanel.name)) {
    if (SameText(element, need::kPicturesElevationTab.name)) return ShowElevationPanel(), kHandled;
    if (SameText(element, need::kPicturesFilteringTab.name)) return ShowFilteringPanel();
    return HandledOr(HandlePicturesPanel(message));
  }
  // The presets' picture answers only while the colour map icon's drag shows it.
  if (SameText(panel, need::kGradientsPanel.name)) return kHandled;
  *handled = false;
  return kNoErr;
}

// ---- the switch and the panels

bool CTerrainEditor::IsSwitchOn() const { return fElevBackground && ShownEntry(fElevBackground) >= kSwitchOn; }

void CTerrainEditor::UpdateSwitchButtons() {
  const bool on = !IsSwitchOn();
  const uint32_t state = on ? kSwitchedButtonState : 0;
  struct SFlip {
    uint32_t state;
  } flip{state};
  ForEachChild(
      fElevationPanel,
      [](CElement* child, void* data) {
        const uint32_t word = child->GetUserWord(kCursorWord);
        child->SetUserWord(kCursorWord, child->GetUserWord(kOtherCursorWord));
        child->SetUserWord(kOtherCursorWord, word);
        if (std::strncmp(child->GetName(), need::kSwitchedPrefix, std::strlen(need::kSwitchedPrefix)) != 0) return;
        CImElement* image = AsImage(child);
        CIxImage* list = image ? image->GetImageList() : nullptr;
        if (list && list->Count()) image->SelectEntry(static_cast<SFlip*>(data)->state % list->Count(), false, false, true);
      },
      &flip);
  ShowEntry(fElevBackground, on ? kSwitchOn : kSwitchOff);
  ShowEntry(fElevSwitch, on ? kSwitchOn : kSwitchOff);
}

void CTerrainEditor::ShowElevationPanel() {
  fActivePanel = kElevationPanel;
  fFilteringPanel->Hide(true);
  fPicturesPanel->Hide(true);
  fElevationPanel->Show(true);
}

int32_t CTerrainEditor::ShowFilteringPanel() {
  fElevationPanel->Hide(true);
  fPicturesPanel->Hide(true);
  fActivePanel = kFilteringPanel;
  if (ShowCurve() != kHandled || !CopyGreyIntoFilterImage()) return kErrGeneric;
  fFilteringPanel->Show(true);
  return kHandled;
}

int32_t CTerrainEditor::ShowPicturesPanel() {
  fElevationPanel->Hide(true);
  fFilteringPanel->Hide(true);
  fActivePanel = kPicturesPanel;
  CImElement* second = AsImage(fImageSrc1);
  if (!second || !second->GetImage() || !second->GetImage()->Fill(kWhite) || !PutGreyIntoPictures())
    return kErrGeneric;
  fPicturesPanel->Show(true);
  return kHandled;
}

int32_t CTerrainEditor::RefreshAfterChange(const SPointHV* pointer) {
  if (const int32_t err = RemakeGreyImage()) return err;
  const int32_t drawn = Redraw(true, true, pointer, nullptr);
  const int32_t panel = RefreshShownPanel();
  return drawn ? drawn : panel;
}

int32_t CTerrainEditor::RefreshShownPanel() {
  if (fFilteringPanel && fFilteringPanel->IsShown()) {
    if (!CopyGreyIntoFilterImage()) return kErrGeneric;
    fFilterDestImage->Redraw();
  } else if (fPicturesPanel && fPicturesPanel->IsShown()) {
    if (!PutGreyIntoPictures()) return kErrGeneric;
    fPicturesPanel->Redraw();
  }
  return kNoErr;
}

void CTerrainEditor::GreyImageColours(CImVector* colours) const {
  for (uint32_t i = 0; i < kGradientEntries; ++i) colours[i].value = fGreyImage ? fGreyImage->GetColor(uint8_t(i)) : 0;
}
