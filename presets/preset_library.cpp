#include "presets/preset_library.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/cm_function.h"
#include "framework/core/window_handler.h"
#include "framework/core/handle_table.h"
#include "framework/core/result_codes.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/timer.h"
#include "framework/core/win_appl.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "presets/billboard.h"
#include "presets/layout_needs.h"
#include "presets/preset_description.h"

namespace {

constexpr uint32_t kElementImageTag = FourCC("pimg");
constexpr uint32_t kHoverEvents = 16;
constexpr uint32_t kTab = 9;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kEscape = 27;
constexpr uint32_t kTextCursor = 2;
constexpr uint32_t kArrowCursor = 0;
// The text fields' edit controls: no numeric range, a single line.
constexpr uint32_t kFieldWordA = 32000;

SRect Grown(const SRect& r, int32_t by) { return {r.top - by, r.left - by, r.bottom + by, r.right + by}; }

SRect Clipped(const SRect& r, const SRect& to) {
  return {std::max(r.top, to.top), std::max(r.left, to.left), std::min(r.bottom, to.bottom), std::min(r.right, to.right)};
}

// The panel a callback's element belongs to: the canvas it is drawn on.
CPresetLibrary* PanelOf(CElement* element) {
  CElement* root = element;
  while (root && root->GetParent()) root = root->GetParent();
  auto* host = dynamic_cast<CHoElement*>(root);
  return host ? dynamic_cast<CPresetLibrary*>(host->GetHostCanvas()) : nullptr;
}

}  // namespace

CPresetLibrary::CPresetLibrary(CUICmFunction* owner, CResourceEnv* environment, const SDialogNeeds& layout,
                               CCanvas* anchor, CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, layout),
      fAnchor(anchor),
      fAddPreset(addPreset),
      fDeletePreset(deletePreset),
      fPreview(std::make_unique<CPreviewScene>()),
      fFields(SRange{2, 2}) {}

CPresetLibrary::~CPresetLibrary() { FreeBuilt(); }

void CPresetLibrary::FreeBuilt() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  fFields.DeleteAll();
  fNameField = fDescriptionField = nullptr;
  if (fGrid) {
    ReleaseHandle(fGrid->SetUserWord(0, 0));
    fGrid->SetDrawCallback(nullptr);
  }
  if (fPreviewElement) {
    ReleaseHandle(fPreviewElement->SetUserWord(0, 0));
    fPreviewElement->SetDrawCallback(nullptr);
  }
  fGrid = nullptr;
  fPreviewElement = nullptr;
  fGridImage.reset();
  // The labels point at the panel's buffers; they go with the tree, and must not outlive them.
  if (fNameLabel) fNameLabel->SetText(nullptr, false, false);
  if (fDescriptionLabel) fDescriptionLabel->SetText(nullptr, false, false);
  fNameLabel = fDescriptionLabel = nullptr;
  fHoverField = nullptr;
  fScrollItem = nullptr;
}

bool CPresetLibrary::Redraw(const SRect* rect) {
  // A hidden panel has nothing to paint, which is no failure.
  if (!IsShown()) return true;
  const bool drawn = CLayoutHostCanvas::Redraw(rect);
  fFields.RedrawInRect(rect);
  return drawn;
}

// ---- placement

SPointHV CPresetLibrary::PlaceBeside(const SRect& anchor, const SRect& screen, int32_t width, int32_t height) {
  int32_t x = anchor.right + kAnchorGapH;
  int32_t y = anchor.top + kAnchorGapV;
  // The near edge first, then the far one, which wins for a panel larger than the screen.
  x = std::min(std::max(x, screen.left), screen.right - width);
  y = std::min(std::max(y, screen.top), screen.bottom - height);
  return {x, y};
}

void CPresetLibrary::PlaceBesideAnchor() {
  CAppl* app = GetApplication();
  if (!app) return;
  const SRect anchor = fAnchor ? fAnchor->GetFrame() : SRect{};
  const SRect& frame = GetFrame();
  MoveTo(PlaceBeside(anchor, app->GetScreenRect(), RectWidth(frame), RectHeight(frame)));
}

// ---- the grid

int32_t CPresetLibrary::BuildGrid(const char* gridName, const char* pictureName, const char* firstCellName) {
  CElement* element = nullptr;
  BindElementRef(gridName, &element, &PostPressWithPoint, nullptr, nullptr);
  fGrid = dynamic_cast<CImElement*>(element);
  if (!fGrid) return kErrObjectNotFound;
  SSpoolKey key;
  key.SetByName(kImageType, pictureName, false);
  SGridLayout grid;
  MakeImageGridSpec(grid, GetResourceEnvironment(), 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* picture = nullptr;
  if (const int32_t err = CImElement::LoadImageCopy(&picture, grid, spec)) return err;
  fGridImage.reset(picture);
  fGrid->SetUserWord(0, RegisterHandle(fGridImage.get(), kElementImageTag));
  fGrid->SetDrawCallback(&SupplyElementImage);
  CElement* first = nullptr;
  if (const int32_t err = CElSystem::FindElement(fGrid->GetChildren(), firstCellName, &first, false)) return err;
  return GetCellCount() > 0 ? kNoErr : kErrObjectNotFound;
}

uint32_t CPresetLibrary::GetGridChildCount() const {
  CElSystem* children = fGrid ? fGrid->GetChildren() : nullptr;
  return children ? children->GetCount() : 0;
}

uint32_t CPresetLibrary::GetCellCount() const {
  const uint32_t p = GetGridChildCount();
  return p ? p - 1 : 0;
}

CElement* CPresetLibrary::GetCell(uint32_t index) const {
  CElement* cell = nullptr;
  if (index >= GetCellCount() || CElSystem::GetElementAt(fGrid->GetChildren(), index, &cell)) return nullptr;
  return cell;
}

SRect CPresetLibrary::CellRect(CElement* cell) { return cell->GetRect(); }

void CPresetLibrary::FillCell(CElement* cell, uint32_t value, bool withFrame) {
  if (!cell || !fGridImage) return;
  const SRect area = withFrame ? Grown(CellRect(cell), 1) : CellRect(cell);
  SRect bounds;
  fGridImage->GetBounds(&bounds);
  CImNavigator pixels(fGridImage.get(), nullptr, true, false);
  if (!pixels.IsUsable()) return;
  const SRect r = Clipped(area, bounds);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    CImVector* row = pixels.Cells(uint32_t(y - bounds.top));
    for (int32_t x = r.left; x < r.right; ++x) row[x - bounds.left].value = value;
  }
}

void CPresetLibrary::DrawCellFrame(CElement* cell, bool showNow) {
  if (!cell || !fGridImage) return;
  const SRect frame = Grown(CellRect(cell), 1);
  const uint32_t colour = cell->GetUserWord(0) ? kSelectedFrameColour : kFrameColour;
  SRect bounds;
  fGridImage->GetBounds(&bounds);
  {
    CImNavigator pixels(fGridImage.get(), nullptr, true, false);
    if (!pixels.IsUsable()) return;
    const auto plot = [&](int32_t x, int32_t y) {
      if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return;
      pixels.Cells(uint32_t(y - bounds.top))[x - bounds.left].value = colour;
    };
    for (int32_t x = frame.left; x < frame.right; ++x) {
      plot(x, frame.top);
      plot(x, frame.bottom - 1);
    }
    for (int32_t y = frame.top + 1; y < frame.bottom - 1; ++y) {
      plot(frame.left, y);
      plot(frame.right - 1, y);
    }
  }
  if (showNow && fGrid) fGrid->Invalidate(frame);
}

// ---- the scroll item

int32_t CPresetLibrary::ScrollStateFor(bool hasTable, uint32_t n, uint32_t p, uint32_t t) {
  if (!hasTable || n < p) return kScrollHidden;
  if (t == 0) return kScrollAtStart;
  // The last top index: the presets less the cells, p counting the grid's last child too.
  if (int64_t(n) - int64_t(p) - int64_t(t) == -1) return kScrollAtEnd;
  return kScrollMiddle;
}

int32_t CPresetLibrary::GetScrollState() const {
  if (!fScrollItem || !fScrollItem->IsShown()) return kScrollHidden;
  CIxImage* list = fScrollItem->GetImageList();
  return list ? int32_t(list->Selected()) : kScrollHidden;
}

void CPresetLibrary::ShowScrollState(int32_t state) {
  if (!fScrollItem) return;
  if (state == kScrollHidden) {
    fScrollItem->Hide(true);
    return;
  }
  if (GetScrollState() != state || !fScrollItem->IsShown()) fScrollItem->SelectEntry(uint32_t(state), false, true, false);
  fScrollItem->Show(IsShown());
}

bool CPresetLibrary::ScrollDirection(int32_t state, int32_t height, int32_t y, int32_t* direction) {
  const int32_t half = height >> 1;
  switch (state) {
    case kScrollAtStart:
      if (y < half) return false;
      *direction = 1;
      return true;
    case kScrollMiddle:
      *direction = y <= half ? -1 : 1;
      return true;
    case kScrollAtEnd:
      if (y > half) return false;
      *direction = -1;
      return true;
    default:
      *direction = 0;
      return true;
  }
}

int32_t CPresetLibrary::ScrollItemPressed(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  auto* item = dynamic_cast<CImElement*>(element);
  CIxImage* list = item ? item->GetImageList() : nullptr;
  const int32_t state = list ? int32_t(list->Selected()) : kScrollHidden;
  int32_t direction = 0;
  if (!ScrollDirection(state, RectHeight(element->GetRect()), point.v, &direction)) return kHandled;
  CUIMessage message;
  message.InitWithPoints(0, element, SPointHV{0, direction}, SPointHV{0, 0}, 0);
  return element->SendMessageUp(&message, element);
}

// ---- labels

int32_t CPresetLibrary::SetLabelText(CTxElement* label, char* buffer, size_t size, const char* text, int32_t alignment,
                                     bool redraw) {
  if (!label || !buffer || size == 0) return kErrInvalidParameter;
  const size_t length = text ? strnlen(text, size - 1) : 0;
  if (length) memmove(buffer, text, length);
  buffer[length] = 0;
  // Through another text: the same buffer again counts as no change, and the layout would stay.
  label->SetText(" ", false, false);
  int32_t err = label->SetText(buffer, false, false);
  if (!err) err = label->SetPosition(SFontPoint{0, 0}, false);
  SRect laid{};
  if (!err) err = label->Layout(&laid, false, CImElement::kUnlimited);
  if (!err && alignment != kAlignLeft) {
    const float width = float(RectWidth(label->GetRect()));
    const float x = alignment == kAlignCentre ? (width + 0.5f) * 0.5f - float(laid.right) * 0.5f : width - float(laid.right);
    err = label->SetPosition(SFontPoint{x, 0}, false);
  }
  if (redraw && label->IsShown()) label->Redraw();
  return err;
}

// ---- element callbacks

int32_t CPresetLibrary::PostPressWithPoint(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  return UIHostPostElementMessage(element, handled, point, event);
}

int32_t CPresetLibrary::SupplyElementImage(CElement* element, uint32_t pass, CImage* port) {
  return DrawHeldImage(element, pass, port, kElementImageTag);
}

// ---- the preview

int32_t CPresetLibrary::BuildPreview(const char* elementName, uint32_t sampleShape, bool keepGroundPlain) {
  CElement* element = nullptr;
  BindElementRef(elementName, &element, &PostPressWithPoint, nullptr, nullptr);
  fPreviewElement = dynamic_cast<CImElement*>(element);
  if (!fPreviewElement || !fPreview->IsReady()) return kErrObjectNotFound;
  SRect local;
  fPreviewElement->GetLocalRect(&local);
  fPreviewElement->LocalToAncestorRect(&fPreviewRect, local, nullptr);
  // A build after a failed one starts from a new scene.
  if (fPreview->GetImage()) fPreview = std::make_unique<CPreviewScene>();
  if (const int32_t err =
          fPreview->BuildSample(RectWidth(fPreviewRect), RectHeight(fPreviewRect), true, keepGroundPlain, sampleShape))
    return err;
  fPreviewElement->SetUserWord(0, RegisterHandle(fPreview->GetImage(), kElementImageTag));
  fPreviewElement->SetDrawCallback(&SupplyElementImage);
  return kNoErr;
}

int32_t CPresetLibrary::SubscribeSlices() {
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &CPresetLibrary::RenderPreviewSlice) ? kNoErr : kErrFailedCreation;
}

int32_t CPresetLibrary::RenderPreviewSlice(void* panel, void* record, void*) {
  auto* self = static_cast<CPresetLibrary*>(panel);
  return self ? self->RenderPreviewSlice(static_cast<const SHeartbeatRecord*>(record)) : kNoErr;
}

int32_t CPresetLibrary::RenderPreviewSlice(const SHeartbeatRecord* beat) {
  CAppl* app = GetApplication();
  CHoElement* root = GetRoot();
  if (!beat || beat->reserved1 || !app || !app->IsActive() || !IsTopModal() || !root ||
      !root->AcceptsEvents(kHoverEvents) || !root->IsShown() || !IsShown() || !fPreview->IsRenderPending())
    return kNoErr;
  const int32_t result = fPreview->Render(GetDeviceContext(), fPreviewRect);
  // An interrupted render goes on at the next beat.
  return result == kSilentCode24 ? kNoErr : result;
}

// ---- the text fields

int32_t CPresetLibrary::BuildTextFields(const char* nameElement, const char* descriptionElement) {
  fFields.DeleteAll();
  const struct {
    const char* name;
    uint32_t maximum;
    CTextEdit** field;
    CTxElement** label;
  } fields[] = {{nameElement, kNameBytes - 1, &fNameField, &fNameLabel},
                {descriptionElement, CTextEdit::kTextBufferBytes - 2, &fDescriptionField, &fDescriptionLabel}};
  for (const auto& f : fields) {
    CElement* element = nullptr;
    BindElementRef(f.name, &element, &PostPressWithPoint, &OnPointerOverText, &OnTextFieldKey);
    *f.label = dynamic_cast<CTxElement*>(element);
    if (!*f.label) return kErrObjectNotFound;
    SRect local, rect;
    element->GetLocalRect(&local);
    element->LocalToAncestorRect(&rect, local, nullptr);
    STextEditSpec spec;
    spec.Set(GetWindow(), rect, kFieldWordA, 0, f.maximum, STextEditSpec::kLeft, false);
    if (const int32_t err = fFields.Add(spec, f.field)) return err;
    (*f.field)->SetCallback(&OnTextFieldKey, element);
    (*f.field)->SetMaxLength(f.maximum);
    platform::ShowWindow((*f.field)->GetWindow(), platform::kSwHide);
  }
  fNameText[0] = fDescriptionText[0] = 0;
  fHoverField = fNameLabel;
  return kNoErr;
}

void CPresetLibrary::ShowTexts(const char* name, const char* description) {
  SetLabelText(fNameLabel, fNameText, sizeof fNameText, name, kAlignLeft, false);
  SetLabelText(fDescriptionLabel, fDescriptionText, sizeof fDescriptionText, description, kAlignLeft, false);
  if (fNameLabel) fNameLabel->Show(true);
  if (fDescriptionLabel) fDescriptionLabel->Show(true);
}

void CPresetLibrary::HideTexts() {
  if (fNameLabel) fNameLabel->Hide(true);
  if (fDescriptionLabel) fDescriptionLabel->Hide(true);
}

void CPresetLibrary::NextTextField(bool backwards) {
  CTextEdit* order[] = {fNameField, fDescriptionField};
  const int32_t count = 2;
  int32_t focused = -1;
  for (int32_t i = 0; i < count; ++i)
    if (order[i] && order[i]->HasFocus()) focused = i;
  const int32_t next = focused < 0 ? 0 : (focused + (backwards ? count - 1 : 1)) % count;
  if (focused >= 0) order[focused]->SetFocus(false);
  CTextEdit* field = order[next];
  if (!field) return;
  field->SetFocus(true);
  field->SetSelection(0, CTextEdit::kSelectAllEnd);
  CTxElement* label = next == 0 ? fNameLabel : fDescriptionLabel;
  CAppl* app = GetApplication();
  if (!label || !app) return;
  const platform::SPoint at = app->GetCursorPos();
  const SPointHV inCanvas = ScreenToCanvas(SPointHV{at.x, at.y});
  CUIMessage message;
  message.InitWithPoints(0, label, inCanvas, inCanvas, 0);
  label->SendMessageUp(&message, label);
}

int32_t CPresetLibrary::OnTextFieldKey(CElement* element, CElement** handled, SWinEvent* event) {
  CPresetLibrary* self = PanelOf(element);
  if (!self || !event) return kNoErr;
  CTextEdit* field = element == self->fNameLabel          ? self->fNameField
                     : element == self->fDescriptionLabel ? self->fDescriptionField
                                                          : nullptr;
  if (!field) return kNoErr;
  if (element == self->fHoverField && !field->HasFocus()) field->SetFocus(true);
  if (!field->HasFocus()) return kNoErr;
  const uint32_t key = uint32_t(event->wParam) & 0xFF;
  if (key == kEscape || key == kReturn) return kNoErr;
  *handled = element;
  if (key == kTab) {
    CAppl* app = GetApplication();
    self->NextTextField(app && app->IsShiftDown());
    return kHandled;
  }
  field->Validate(key);
  return kNoErr;
}

int32_t CPresetLibrary::OnPointerOverText(CElement* element, SPointHV point) {
  CPresetLibrary* self = PanelOf(element);
  if (!self) return kNoErr;
  CTextEdit* field = element == self->fNameLabel          ? self->fNameField
                     : element == self->fDescriptionLabel ? self->fDescriptionField
                                                          : nullptr;
  if (!field || !field->HasFocus()) return kNoErr;
  const SRect& rect = element->GetRect();
  if (point.h >= 0 && point.v >= 0 && point.h < RectWidth(rect) && point.v < RectHeight(rect)) {
    SetAppCursor(kTextCursor, true);
    self->fHoverField = element;
    return kHandled;
  }
  if (self->fHoverField == element) {
    SetAppCursor(kArrowCursor, true);
    self->fHoverField = nullptr;
  }
  return kNoErr;
}

// ---- the open library and its preset table

int32_t CPresetLibrary::ReleaseTable() {
  if (fTable) fTable->Unlock(false, false);
  fTable = nullptr;
  return kNoErr;
}

int32_t CPresetLibrary::FindTable() {
  ReleaseTable();
  CResourceEnv* library = fLibrary.GetLibrary();
  CResTypeTable* table = nullptr;
  // An unknown type is an empty library.
  if (!library || !library->FindType(ItemType(), &table, nullptr) || !table) return kNoErr;
  if (!table->Lock()) return NonZeroError(table->GetError());
  fTable = table;
  return kNoErr;
}

uint32_t CPresetLibrary::GetPresetCount() const { return fTable ? fTable->GetCount() : 0; }

uint32_t CPresetLibrary::GetLastTopIndex() const {
  const uint32_t n = GetPresetCount(), cells = GetCellCount();
  return n > cells ? n - cells : 0;
}

uint32_t CPresetLibrary::GetPresetId(uint32_t index) const {
  return index < GetPresetCount() ? (*fTable)[index].number : 0;
}

bool CPresetLibrary::IsSelected(uint32_t index) const {
  return index < GetPresetCount() && int32_t((*fTable)[index].words[preset::kSelectionWord]) > 0;
}

void CPresetLibrary::SetSelected(uint32_t index, bool selected) {
  if (index < GetPresetCount()) (*fTable)[index].words[preset::kSelectionWord] = selected ? 1 : 0;
}

void CPresetLibrary::UpdateScrollState() {
  ShowScrollState(ScrollStateFor(fTable != nullptr, GetPresetCount(), GetGridChildCount(), fTopIndex));
}

void CPresetLibrary::RefreshGrid() {
  const uint32_t cells = GetCellCount();
  for (uint32_t i = 0; i < cells; ++i) {
    CElement* cell = GetCell(i);
    if (!cell) continue;
    const uint32_t index = fTopIndex + i;
    if (fLibrary.IsOpen() && index < GetPresetCount()) {
      LoadThumbnail(i);
      cell->SetUserWord(0, IsSelected(index) ? 1 : 0);
      DrawCellFrame(cell, false);
    } else {
      FillCell(cell, kEmptyCell, true);
      cell->SetUserWord(0, 0);
    }
  }
  if (IsShown() && fGrid) fGrid->Redraw();
}

void CPresetLibrary::LoadThumbnail(uint32_t cellIndex) {
  CElement* cell = GetCell(cellIndex);
  CImage* grid = fGridImage.get();
  if (!cell || !grid) return;
  const uint32_t id = GetPresetId(fTopIndex + cellIndex);
  // The stored preview is scaled into the cell's area of the grid picture.
  CSgStSaver saver(grid);
  grid->SetClip(CellRect(cell));
  const int32_t err = DrawStoredPreview(fLibrary.GetLibrary(), PreviewType(), id, grid);
  saver.Restore();
  if (err) OnUnreadableThumbnail(cell);
}

void CPresetLibrary::OnUnreadableThumbnail(CElement* cell) { FillCell(cell, kUnreadableCell, false); }

bool CPresetLibrary::ShowStoredPreview(uint32_t id) {
  CImage* image = fPreview->GetImage();
  if (!image || DrawStoredPreview(fLibrary.GetLibrary(), PreviewType(), id, image)) return false;
  fPreview->CancelRender();
  if (IsShown() && fPreviewElement) fPreviewElement->Redraw();
  return true;
}

// ---- scrolling

void CPresetLibrary::CopyCellPixels(CElement* from, CElement* to) {
  if (!from || !to || !fGridImage) return;
  const SRect a = CellRect(from), b = CellRect(to);
  SRect bounds;
  fGridImage->GetBounds(&bounds);
  CImNavigator pixels(fGridImage.get(), nullptr, true, false);
  if (!pixels.IsUsable()) return;
  const int32_t width = std::min(RectWidth(a), RectWidth(b)), height = std::min(RectHeight(a), RectHeight(b));
  const auto inside = [&](int32_t x, int32_t y) {
    return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
  };
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (!inside(a.left + x, a.top + y) || !inside(b.left + x, b.top + y)) continue;
      pixels.Cells(uint32_t(b.top + y - bounds.top))[b.left + x - bounds.left].value =
          pixels.Cells(uint32_t(a.top + y - bounds.top))[a.left + x - bounds.left].value;
    }
  }
}

bool CPresetLibrary::ScrollStep(int32_t step) {
  const int64_t last = GetLastTopIndex();
  const int64_t top = int64_t(fTopIndex) + step;
  if (top < 0 || top > last) {
    fTopIndex = top < 0 ? 0 : uint32_t(last);
    return false;
  }
  fTopIndex = uint32_t(top);
  const uint32_t cells = GetCellCount();
  if (step > 0) {
    for (uint32_t i = 1; i < cells; ++i) CopyCellPixels(GetCell(i), GetCell(i - 1));
  } else {
    for (uint32_t i = cells; i-- > 1;) CopyCellPixels(GetCell(i - 1), GetCell(i));
  }
  ShowScrollState(top == 0 ? kScrollAtStart : top == last ? kScrollAtEnd : kScrollMiddle);
  if (cells) LoadThumbnail(step > 0 ? cells - 1 : 0);
  for (uint32_t i = 0; i < cells; ++i) {
    CElement* cell = GetCell(i);
    if (!cell) continue;
    cell->SetUserWord(0, IsSelected(fTopIndex + i) ? 1 : 0);
    DrawCellFrame(cell, false);
  }
  if (IsShown() && fGrid) fGrid->Redraw();
  return true;
}

int32_t CPresetLibrary::ScrollGrid(CUIMessage* message, bool repeat) {
  CElSystem* cells = fGrid ? fGrid->GetChildren() : nullptr;
  if (!cells || !message) return kErrObjectNotFound;
  CHolder held(cells, false, false);
  if (!held.IsLocked()) return NonZeroError(cells->GetError());
  const int32_t step = message->firstPoint.v < 0 ? -1 : message->firstPoint.v > 0 ? 1 : 0;
  CAppl* app = GetApplication();
  for (;;) {
    CTimer timer;
    timer.Start();
    if (!step || !ScrollStep(step)) break;
    if (!repeat || !app || !app->IsStillDown()) break;
    while (timer.ElapsedTicks() < kScrollRepeatTicks) platform::SleepMs(1);
  }
  return kNoErr;
}

// ---- clicks

void CPresetLibrary::SelectCell(CElement* cell, uint32_t index, bool selected) {
  cell->SetUserWord(0, selected ? 1 : 0);
  DrawCellFrame(cell, true);
  SetSelected(index, selected);
}

void CPresetLibrary::ForgetShownTexts() {
  fEdited = false;
  if (fNameLabel && fNameLabel->IsShown()) fNameLabel->Redraw();
  if (fDescriptionLabel && fDescriptionLabel->IsShown()) fDescriptionLabel->Redraw();
}

int32_t CPresetLibrary::ClickGrid(CUIMessage* message) {
  CAppl* app = GetApplication();
  const bool shift = app && app->IsShiftDown();
  const bool ctrl = app && app->IsCommandDown();
  CElSystem* cells = fGrid ? fGrid->GetChildren() : nullptr;
  if (!cells || !message) return kErrObjectNotFound;
  CHolder held(cells, false, false);
  if (!held.IsLocked()) return NonZeroError(cells->GetError());
  CommitTextEdits();
  if (!fTable) return kHandled;
  // Only the cells that show a preset: the grid's last child is no cell.
  const uint32_t shown = std::min(GetPresetCount() - std::min(GetPresetCount(), fTopIndex), GetCellCount());
  int32_t firstSelected = -1, clicked = -1;
  const SPointHV at = message->secondPoint;
  for (uint32_t i = 0; i < shown; ++i) {
    CElement* cell = GetCell(i);
    if (!cell) continue;
    if (firstSelected < 0 && cell->GetUserWord(0)) firstSelected = int32_t(i);
    const SRect r = CellRect(cell);
    if (clicked < 0 && at.h >= r.left && at.h <= r.right && at.v >= r.top && at.v <= r.bottom) clicked = int32_t(i);
  }
  if (!shift && !ctrl) {
    for (uint32_t i = 0; i < GetPresetCount(); ++i) SetSelected(i, false);
    for (uint32_t i = 0; i < GetCellCount(); ++i) {
      CElement* cell = GetCell(i);
      if (cell && cell->GetUserWord(0)) SelectCell(cell, fTopIndex + i, false);
    }
  }
  if (clicked < 0) return kHandled;
  CElement* cell = GetCell(uint32_t(clicked));
  SelectCell(cell, fTopIndex + uint32_t(clicked), ctrl && !shift ? !cell->GetUserWord(0) : true);
  if (shift && !ctrl && firstSelected >= 0 && firstSelected < clicked) {
    for (int32_t i = firstSelected; i < clicked; ++i) SelectCell(GetCell(uint32_t(i)), fTopIndex + uint32_t(i), true);
  }
  return ShowClickedPreset(fTopIndex + uint32_t(clicked), shift && ctrl && !fTracking);
}

// ---- the dialogs

int32_t CPresetLibrary::OpenAddPreset() {
  CommitTextEdits();
  if (!fAddPreset) return kHandled;
  fAddPreset->SetName(ProposedName().c_str());
  fAddPreset->SetPreviewScene(fPreview.get(), true);
  const int32_t err = fAddPreset->OpenDialog();
  return err ? err : kHandled;
}

int32_t CPresetLibrary::OpenBillboard() {
  if (fBillboard) {
    if (const int32_t err = fBillboard->Open()) return err;
  }
  return kHandled;
}

bool CPresetLibrary::HandleSharedButton(const char* element, int32_t* result) {
  const auto is = [element](const SLayoutNeed& need) { return element && std::strcmp(element, need.name) == 0; };
  if (is(need::kPresetImport)) {
    CommitTextEdits();
    *result = Import();
  } else if (is(need::kPresetExport)) {
    *result = OpenBillboard();
  } else if (is(need::kPresetAdd)) {
    *result = OpenAddPreset();
  } else if (is(need::kObjMatPresets.ok)) {
    *result = Close(true);
  } else if (is(need::kObjMatPresets.cancel)) {
    *result = Close(false);
  } else {
    return false;
  }
  return true;
}

// ---- deleting

int32_t CPresetLibrary::DeleteSelected() {
  uint32_t deleted = 0;
  for (uint32_t i = GetPresetCount(); fLibrary.IsOpen() && i-- > 0;) {
    if (!IsSelected(i)) continue;
    const uint32_t id = GetPresetId(i);
    // Deleting the last resource of a type takes the type and its table with it.
    const bool last = GetPresetCount() == 1;
    if (last) ReleaseTable();
    DeletePreset(id);
    if (id == fCurrentPresetId) fCurrentPresetId = 0;
    ++deleted;
    if (last) break;
  }
  if (deleted) {
    fLibrary.MarkWritten();
    if (!fTable) FindTable();
    fTopIndex = fTopIndex > deleted ? fTopIndex - deleted : 0;
    HideTexts();
    UpdateScrollState();
    RefreshGrid();
  }
  return kNoErr;
}

// ---- opening

int32_t CPresetLibrary::FinishOpening(int32_t shown) {
  // Opened as the top modal level, which its stamp records.
  Refresh(false);
  if (shown) {
    Close(false);
    return shown;
  }
  platform::SleepMs(kPlopUpWaitMs);
  CAppl* app = GetApplication();
  if (!app || !app->IsStillDown()) return kHandled;
  fTracking = true;
  const int32_t result = TrackPlopUp();
  fTracking = false;
  return result;
}

// ---- following a plop-up's pointer

SRect CPresetLibrary::CanvasRect(CElement* element) {
  SRect local, out;
  element->GetLocalRect(&local);
  element->LocalToAncestorRect(&out, local, nullptr);
  return out;
}

void CPresetLibrary::ClearSelection() {
  for (uint32_t i = 0; i < GetPresetCount(); ++i) SetSelected(i, false);
  for (uint32_t i = 0; i < GetCellCount(); ++i) {
    CElement* cell = GetCell(i);
    if (!cell || !cell->GetUserWord(0)) continue;
    cell->SetUserWord(0, 0);
    DrawCellFrame(cell, true);
  }
}

int32_t CPresetLibrary::FollowPointer() {
  CAppl* app = GetApplication();
  if (!app || !fGrid) return kErrUnexpectedStatus;
  int32_t last = -1;
  while (app->IsStillDown()) {
    const platform::SPoint screen = app->GetCursorPos();
    const SPointHV at = ScreenToCanvas(SPointHV{screen.x, screen.y});
    bool onCell = false;
    if (fScrollItem && fScrollItem->IsShown() && Inside(CanvasRect(fScrollItem), at)) {
      const SRect item = CanvasRect(fScrollItem);
      CElement* handled = nullptr;
      ScrollItemPressed(fScrollItem, &handled, SPointHV{at.h - item.left, at.v - item.top}, nullptr);
    } else if (Inside(CanvasRect(fGrid), at)) {
      const SRect grid = CanvasRect(fGrid);
      const SPointHV local{at.h - grid.left, at.v - grid.top};
      for (uint32_t i = 0; i < GetCellCount(); ++i) {
        CElement* cell = GetCell(i);
        const SRect r = cell ? CellRect(cell) : SRect{};
        if (!cell || local.h < r.left || local.h >= r.right || local.v < r.top || local.v >= r.bottom) continue;
        onCell = true;
        if (int32_t(i) != last) {
          last = int32_t(i);
          CUIMessage message;
          message.InitWithPoints(0, fGrid, at, local, 0);
          ClickGrid(&message);
        }
        break;
      }
    } else if (TrackOverOther(at)) {
      last = -1;
    }
    if (!onCell) {
      ClearSelection();
      fCurrentPresetId = 0;
      last = -1;
    }
  }
  return kNoErr;
}

// ---- the import

int32_t CPresetLibrary::Import() {
  if (!fLibrary.IsOpen()) return kErrObjectNotFound;
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  const std::string filter = ImportFilterText();
  CFileSpec chosen;
  // The dialog stands above the panel, whose preview renders nothing meanwhile.
  CUICmFunction* owner = GetOwner();
  if (owner) owner->RaiseModalLevel();
  const int32_t asked = app->ChooseFileToOpen(&chosen, filter.c_str(), nullptr, nullptr);
  if (owner) owner->LowerModalLevel();
  if (asked) return asked;
  // The windows under the dialog are painted before the import holds the program.
  app->DispatchPaintMessages();
  CBusyCursor busy;
  // Opened for reading, a missing file would answer the permission error.
  if (const int32_t err = CFile(chosen).Probe()) return err;
  int32_t result = kNoErr;
  {
    CResourceEnv source(chosen, CFile::kModeRead);
    if (source.IsOpen()) result = ImportPresetFile(&source);
    else if (source.GetLastResult() == kErrCompositeExpected) result = ImportOldDocument(chosen);
    else return NonZeroError(source.GetLastResult());
  }
  fLibrary.MarkWritten();
  RefreshAfterImport();
  return result ? result : kHandled;
}

void CPresetLibrary::PrepareOldImport(const char* name) {
  if (CImage* preview = fPreview->GetImage()) preview->Fill(0xFFFFFFFF);
  if (fAddPreset) fAddPreset->SetName(name);
}

void CPresetLibrary::RefreshAfterImport() {
  if (FindTable()) return;
  if (fNameLabel && fNameLabel->IsShown()) fNameLabel->Redraw();
  if (fDescriptionLabel && fDescriptionLabel->IsShown()) fDescriptionLabel->Redraw();
  UpdateScrollState();
  RefreshGrid();
}

// ---- in-place editing

void CPresetLibrary::EndFieldEdit(CTextEdit* field, CTxElement* label, char* buffer, size_t size) {
  if (!field || !label || !platform::IsWindowVisible(field->GetWindow())) return;
  const std::string typed = field->GetText() ? field->GetText() : "";
  SetLabelText(label, buffer, size, typed.c_str(), kAlignLeft, false);
  platform::ShowWindow(field->GetWindow(), platform::kSwHide);
  field->SetFocus(false);
  if (label->IsShown()) label->Redraw();
}

int32_t CPresetLibrary::BeginTextEdit(CUIMessage* message) {
  const bool isName = message && fNameLabel && message->elementName &&
                      std::strcmp(message->elementName, fNameLabel->GetName()) == 0;
  CTextEdit* field = isName ? fNameField : fDescriptionField;
  CTxElement* label = isName ? fNameLabel : fDescriptionLabel;
  if (!fCurrentPresetId) return kNoErr;
  if (!field || !label) return kHandled;
  if (platform::IsWindowVisible(field->GetWindow())) {
    // The control takes the click itself; the element only hands the point on.
    field->AcceptsPoint(message ? message->secondPoint : SPointHV{});
    return kHandled;
  }
  fEdited = true;
  if (isName) EndFieldEdit(fDescriptionField, fDescriptionLabel, fDescriptionText, sizeof fDescriptionText);
  else EndFieldEdit(fNameField, fNameLabel, fNameText, sizeof fNameText);
  // The labels hold Windows-1252 already, as the control does.
  field->SetText(label->GetText() ? label->GetText() : "");
  platform::ShowWindow(field->GetWindow(), platform::kSwShow);
  field->SetSelection(0, CTextEdit::kSelectAllEnd);
  field->SetFocus(true);
  return kHandled;
}

int32_t CPresetLibrary::CommitTextEdits() {
  EndFieldEdit(fNameField, fNameLabel, fNameText, sizeof fNameText);
  EndFieldEdit(fDescriptionField, fDescriptionLabel, fDescriptionText, sizeof fDescriptionText);
  if (CommitClearsProposedName() && fAddPreset) fAddPreset->SetName("");
  if (fCurrentPresetId && fLibrary.IsOpen() && fEdited) {
    CPresetDescription description;
    if (description.Read(fLibrary.GetLibrary(), DescriptionType(), fCurrentPresetId) == kNoErr) {
      description.SetName(fNameText);
      description.SetDescription(fDescriptionText);
      if (description.Store(fLibrary.GetLibrary(), DescriptionType(), fCurrentPresetId) == kNoErr)
        fLibrary.MarkWritten();
    }
    fEdited = false;
  }
  if (auto* app = dynamic_cast<CWinAppl*>(GetApplication())) platform::SetFocus(app->GetMainWindow());
  return kNoErr;
}
