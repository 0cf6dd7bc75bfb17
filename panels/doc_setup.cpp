#include "panels/doc_setup.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/core/appl.h"
#include "framework/core/ix_text.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "platform/clock.h"

namespace {

constexpr const char* kFieldWindow = "text edit";
constexpr const char* kPresetWindow = "doc size";
constexpr const char* kResolutionWindow = "render res";
constexpr float kScales[CDocSetup::kResolutionCount] = {0.25f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f};
constexpr float kWholeTolerance = 0.001f;
constexpr uint32_t kMaxRatioDenominator = 99;
constexpr uint32_t kInvertRgb = 0xFFFFFF;
constexpr uint32_t kDisabledAlpha = 0x50;
constexpr int64_t kPressWait = 2;
constexpr uint32_t kPollMs = 5;
constexpr float kEdgeGap = 5;
// The screen's size less these gives the preset that fills the screen beside the palettes.
constexpr int32_t kScreenMarginH = 160;
constexpr int32_t kScreenMarginV = 138;

// The size presets in the order of their elements: a size, or 0 × 0 with an aspect to derive it from
// the screen's width; kScreen stands for the screen's size less the margins.
constexpr int32_t kScreen = -1;
struct SPreset {
  int32_t width, height;
  float aspectX, aspectY;
};
constexpr SPreset kPresets[CDocSetup::kPresetCount] = {
    {480, 360, 0, 0},    {kScreen, kScreen, 0, 0}, {320, 240, 0, 0}, {0, 0, 1, 1},      {640, 480, 0, 0},
    {0, 0, 8, 3},        {1248, 324, 0, 0},        {612, 792, 0, 0}, {612, 1008, 0, 0}, {595, 842, 0, 0},
    {768, 512, 0, 0},    {0, 0, 3, 2},             {0, 0, 4, 3},     {0, 0, 18, 13},    {0, 0, 5, 3},
    {0, 0, 4, 3},        {0, 0, 8, 3},             {0, 0, 3, 2},     {0, 0, 16, 7},     {0, 0, 6, 5},
    {0, 0, 2.19f, 1},    {0, 0, 2.35f, 1},
};

SNumericFields gFields{nullptr, 0, nullptr, SNumericFields::kKnownWord, 0, false};
CImElement* gCurrentPreset = nullptr;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// A derived size: the rounded product, within 1 and the limit.
int32_t Derived(float value, int32_t limit) {
  const float rounded = std::floor(value + 0.49f);
  if (!(rounded >= 1)) return 1;
  return rounded > float(limit) ? limit : int32_t(rounded);
}

CDocSetup* DialogOf(CElement* element) {
  while (element && element->GetParent()) element = element->GetParent();
  auto* root = dynamic_cast<CHoElement*>(element);
  return root ? dynamic_cast<CDocSetup*>(root->GetHostCanvas()) : nullptr;
}

void ShowPreset(CImElement* preset, bool highlighted) {
  if (preset) preset->SelectEntry(highlighted ? 1 : 0, false, false, true);
}

bool Inside(CElement* element, CAppl* app) {
  const platform::SPoint screen = app->GetCursorPos();
  SPointHV point;
  element->RootToLocalPoint(&point, {screen.x, screen.y});
  SRect local;
  element->GetLocalRect(&local);
  return point.h >= local.left && point.h < local.right && point.v >= local.top && point.v < local.bottom;
}

void InvertColours(CTxElement* element) {
  if (!element) return;
  element->SetFillColor(CImVector{element->GetFillColor().value ^ kInvertRgb}, false);
  if (STextStyle* style = element->GetStyle()) {
    style->colour ^= kInvertRgb;
    element->ReleaseAttachment(false);
  }
}

void SetTextAlpha(CTxElement* element, uint32_t alpha) {
  STextStyle* style = element ? element->GetStyle() : nullptr;
  if (!style) return;
  style->colour = (style->colour & 0x00FFFFFF) | alpha << 24;
  element->ReleaseAttachment(true);
}

}  // namespace

void AlignElementText(CTxElement* element, uint32_t horizontal, uint32_t vertical) {
  if (!element) return;
  element->SetPosition({0, 0}, false);
  SRect measured{};
  if (element->GetTextRect(&measured) != kNoErr) return;
  const SRect& rect = element->GetRect();
  const float width = float(RectWidth(rect)), height = float(RectHeight(rect));
  const float textWidth = float(RectWidth(measured)), textHeight = float(RectHeight(measured));
  float h = 0, v = 0;
  if (horizontal == kAlignTextCentre) h = (width + 0.5f) * 0.5f - textWidth * 0.5f;
  else if (horizontal == kAlignTextLeft) h = kEdgeGap;
  else if (horizontal == kAlignTextRight) h = width - kEdgeGap - textWidth;
  if (vertical == kAlignTextCentre) v = (height + 0.5f) * 0.5f - textHeight * 0.5f;
  else if (vertical == kAlignTextBottom) v = height - textHeight;
  // The style places the text's ink box relative to the position; the box's own offset is taken out.
  const bool placed = horizontal >= kAlignTextCentre && horizontal <= kAlignTextRight;
  const bool placedV = vertical == kAlignTextCentre || vertical == kAlignTextTop || vertical == kAlignTextBottom;
  element->SetPosition({placed ? h - float(measured.left) : 0, placedV ? v - float(measured.top) : 0}, false);
}

int32_t ShowAlignedText(CTxElement* element, const char* text, uint32_t horizontal, uint32_t vertical) {
  if (!element) return kErrObjectNotFound;
  char* copy = CTxElement::NewText(text ? text : "", std::strlen(text ? text : "") + 1);
  if (!copy) return kErrOutOfMemory;
  if (const int32_t err = element->SetText(copy, true, false)) {
    if (element->GetText() != copy) CTxElement::FreeText(copy);
    return err;
  }
  AlignElementText(element, horizontal, vertical);
  if (element->IsShown()) element->Redraw();
  return kNoErr;
}

void DeriveAspect(int32_t width, int32_t height, float* x, float* y) {
  const float w = float(width), h = float(height);
  const float ratio = w / h;
  for (uint32_t n = 1; n <= kMaxRatioDenominator; ++n) {
    const float t = float(n) * ratio;
    if (t - std::floor(t) < kWholeTolerance) {
      *x = float(n) * w / h;
      *y = float(n);
      return;
    }
  }
  *x = ratio;
  *y = 1;
}

CDocSetup::CDocSetup(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDocSetup) {
  for (uint32_t i = 0; i < kResolutionCount; ++i) fItems[i].scale = kScales[i];
  gCurrentPreset = nullptr;
  gFields.lastValue = 0;
}

CDocSetup::~CDocSetup() { ReleaseFields(); }

SNumericFields& CDocSetup::Fields() { return gFields; }

CImElement* CDocSetup::GetCurrentPreset() { return gCurrentPreset; }

void CDocSetup::ReleaseFields() {
  DeleteNumericFields(fFieldTable, fFields, kFieldCount);
  gFields.current = nullptr;
  gCurrentPreset = nullptr;
  fTitle = nullptr;
  for (SResItem& item : fItems) item.button = item.title = nullptr;
}

int32_t CDocSetup::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  for (uint32_t i = 0; i < kResolutionCount; ++i) {
    CElement* button = nullptr;
    CElement* title = nullptr;
    BindElementRef(need::kRenderResButtons[i].name, &button, &OnResolutionPress, nullptr, nullptr);
    BindElementRef(need::kRenderResTitles[i].name, &title, nullptr, nullptr, nullptr);
    fItems[i].button = dynamic_cast<CTxElement*>(button);
    fItems[i].title = dynamic_cast<CTxElement*>(title);
    fItems[i].chosen = fItems[i].disabled = false;
    AlignElementText(fItems[i].title, kAlignTextLeft, kAlignTextCentre);
  }
  CElement* title = nullptr;
  BindElementRef(need::kDocSetupTitle.name, &title, nullptr, nullptr, nullptr);
  fTitle = dynamic_cast<CTxElement*>(title);
  AlignElementText(fTitle, kAlignTextCentre, kAlignTextCentre);
  CElement* constrain = nullptr;
  BindElementRef(need::kConstrainProp.name, &constrain, &OnCheckBoxPress, nullptr, nullptr);
  if (auto* box = dynamic_cast<CImElement*>(constrain)) box->SelectEntry(fConstrain ? 1 : 0, false, false, false);
  for (const SLayoutNeed& preset : need::kDocSizes) BindElement(preset.name, &OnSizePresetPress, nullptr, nullptr);
  BindNumericFields<gFields>(*this, fFieldTable, need::kDocSetupFields, kFieldCount, fFields);
  Choose(kFullResolution, true);
  return kNoErr;
}

bool CDocSetup::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

// ---- filling and opening

int32_t CDocSetup::OpenForNewDocument(SPointHV size, const char* title, bool isNew) {
  fWidth = size.h;
  fHeight = size.v;
  fNewDocument = isNew;
  if (fTitle) {
    std::string shown = title ? title : kUntitled;
    CIxText names(GetResourceEnvironment(), need::kNewDocTitles.name, 0);
    if (!title && names.GetResult() == kNoErr && names.Count()) {
      CIxTxHolder held(&names, true);
      shown = names.TextAt(0);
    }
    ShowAlignedText(fTitle, shown.c_str(), kAlignTextCentre, kAlignTextCentre);
  }
  ShowPreset(gCurrentPreset, false);
  gCurrentPreset = nullptr;
  ApplySizePreset(nullptr);
  return kNoErr;
}

int32_t CDocSetup::Open() {
  // A dialog already up keeps the level its opening raised.
  if (IsShown()) BringForward();
  else Refresh(false);
  gFields.current = fFields[kWidthField];
  FocusField(GetField(kWidthField));
  return kNoErr;
}

// ---- sizes

void CDocSetup::ApplySizePreset(const char* name) {
  int32_t width = fWidth, height = fHeight;
  float aspectX = fAspectX, aspectY = fAspectY;
  if (name) {
    uint32_t i = 0;
    while (i < kPresetCount && !Same(name, need::kDocSizes[i].name)) ++i;
    if (i == kPresetCount) return;
    const SRect screen = GetApplication() ? GetApplication()->GetScreenRect() : SRect{};
    const SPreset& preset = kPresets[i];
    width = preset.width == kScreen ? RectWidth(screen) - kScreenMarginH : preset.width;
    height = preset.height == kScreen ? RectHeight(screen) - kScreenMarginV : preset.height;
    aspectX = preset.aspectX;
    aspectY = preset.aspectY;
  }
  if (width == 0 && height == 0) {
    const SRect screen = GetApplication() ? GetApplication()->GetScreenRect() : SRect{};
    width = RectWidth(screen) - kScreenMarginH;
    height = Derived(float(width) * aspectY / aspectX, kMaxHeight);
  }
  width = width < 1 ? 1 : width > kMaxWidth ? kMaxWidth : width;
  height = height < 1 ? 1 : height > kMaxHeight ? kMaxHeight : height;
  DeriveAspect(width, height, &aspectX, &aspectY);
  fWidth = width;
  fHeight = height;
  fAspectX = aspectX;
  fAspectY = aspectY;
  UpdateDisplay(true, name != nullptr);
}

void CDocSetup::WriteFields(int32_t except) {
  const double values[kFieldCount] = {double(fWidth), double(fHeight), fAspectX, fAspectY};
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (int32_t(i) == except) continue;
    WriteFieldValue(GetField(i), values[i]);
    if (CTextEdit* field = GetField(i)) field->Redraw();
  }
}

void CDocSetup::UpdateDisplay(bool writeFields, bool resetResolution) {
  if (writeFields) {
    WriteFields(-1);
    gFields.current = fFields[kWidthField];
    // Filled while hidden, before a file is opened, it leaves the keyboard where it is.
    if (IsShown()) FocusField(GetField(kWidthField));
  }
  ComputeRenderSizes(resetResolution);
  for (uint32_t i = 0; i < kResolutionCount; ++i) {
    SResItem& item = fItems[i];
    SetDisabled(i, item.width == 0 || item.height == 0);
    if (item.disabled) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%ld x %ld", long(item.width), long(item.height));
    ShowAlignedText(item.button, text, kAlignTextRight, kAlignTextCentre);
  }
}

void CDocSetup::ComputeRenderSizes(bool reset) {
  for (SResItem& item : fItems) {
    item.width = int32_t(float(fWidth) * item.scale);
    item.height = int32_t(float(fHeight) * item.scale);
    if (item.width > kMaxWidth || item.height > kMaxHeight) item.width = item.height = 0;
  }
  bool chosenLost = false;
  for (const SResItem& item : fItems) chosenLost |= item.chosen && (item.width == 0 || item.height == 0);
  // "ok" could not render at 0 × 0: an unavailable choice falls back to the document's own size.
  if (!reset && !chosenLost) return;
  for (uint32_t i = 0; i < kResolutionCount; ++i) Choose(i, i == kFullResolution);
}

void CDocSetup::Choose(uint32_t item, bool chosen) {
  SResItem& entry = fItems[item];
  if (entry.chosen == chosen) return;
  entry.chosen = chosen;
  InvertColours(entry.button);
  InvertColours(entry.title);
  if (entry.button && entry.button->IsShown()) entry.button->Redraw();
  if (entry.title && entry.title->IsShown()) entry.title->Redraw();
}

void CDocSetup::SetDisabled(uint32_t item, bool disabled) {
  SResItem& entry = fItems[item];
  if (entry.disabled == disabled) return;
  entry.disabled = disabled;
  SetTextAlpha(entry.button, disabled ? kDisabledAlpha : 0xFF);
  SetTextAlpha(entry.title, disabled ? kDisabledAlpha : 0xFF);
}

int32_t CDocSetup::SelectResolution(const char* name) {
  uint32_t chosen = 0;
  while (chosen < kResolutionCount && !Same(name, need::kRenderResButtons[chosen].name)) ++chosen;
  if (chosen == kResolutionCount || fItems[chosen].disabled) return 1;
  for (uint32_t i = 0; i < kResolutionCount; ++i) Choose(i, i == chosen);
  return kNoErr;
}

void CDocSetup::OnFieldChanged(const char* name) {
  uint32_t typed = 0;
  while (typed < kFieldCount && !(fFields[typed] && Same(name, fFields[typed]->GetName()))) ++typed;
  if (typed == kFieldCount) return;
  const float value = float(gFields.lastValue);
  bool clamped = false;
  if (typed == kWidthField || typed == kHeightField) {
    const int32_t limit = typed == kWidthField ? kMaxWidth : kMaxHeight;
    const float whole = std::isfinite(value) ? std::trunc(value) : 0;
    int32_t size = whole < 1 ? 1 : whole > float(limit) ? limit : int32_t(whole);
    clamped = !(whole >= 1 && whole <= float(limit));
    (typed == kWidthField ? fWidth : fHeight) = size;
  } else {
    (typed == kAspectXField ? fAspectX : fAspectY) = value > 0 && std::isfinite(value) ? value : 1;
  }
  const float rx = fAspectX / fAspectY, ry = fAspectY / fAspectX;
  if (typed == kWidthField || typed == kHeightField) {
    if (!fConstrain) DeriveAspect(fWidth, fHeight, &fAspectX, &fAspectY);
    else if (typed == kWidthField) fHeight = Derived(float(fWidth) * ry, kMaxHeight);
    else fWidth = Derived(float(fHeight) * rx, kMaxWidth);
  } else if (typed == kAspectXField) {
    fWidth = Derived(float(fHeight) * rx, kMaxWidth);
  } else {
    fHeight = Derived(float(fWidth) * ry, kMaxHeight);
  }
  WriteFields(clamped ? -1 : int32_t(typed));
  UpdateDisplay(false, false);
}

// ---- presses

int32_t CDocSetup::OnSizePresetPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  auto* pressed = dynamic_cast<CImElement*>(element);
  CAppl* app = GetApplication();
  if (!pressed || pressed == gCurrentPreset || !app) return kNoErr;
  CImElement* previous = gCurrentPreset;
  const auto show = [pressed, previous](bool inside) {
    ShowPreset(previous, !inside);
    ShowPreset(pressed, inside);
  };
  show(true);
  CTimer wait;
  wait.WaitTicks(kPressWait);
  bool inside = true;
  while (app->IsStillDown()) {
    const bool now = Inside(pressed, app);
    if (now != inside) show(now);
    inside = now;
    platform::SleepMs(kPollMs);
  }
  if (!inside) return kNoErr;
  gCurrentPreset = pressed;
  CUIMessage message;
  message.InitFromElement(0, pressed, CUIMessage::kBroadcast);
  return pressed->SendMessageUp(&message, pressed);
}

int32_t CDocSetup::OnResolutionPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  CDocSetup* dialog = DialogOf(element);
  if (!dialog) return kNoErr;
  for (const SResItem& item : dialog->fItems) {
    if (item.button != element) continue;
    if (item.chosen) return kNoErr;
    if (item.disabled) {
      Beep();
      return kNoErr;
    }
    CUIMessage message;
    message.InitFromElement(0, element, CUIMessage::kBroadcast);
    return element->SendMessageUp(&message, element);
  }
  return kNoErr;
}

// ---- messages

int32_t CDocSetup::SendReply() {
  fRenderSize = {};
  for (const SResItem& item : fItems) {
    if (!item.chosen) continue;
    fRenderSize = {item.width, item.height};
    break;
  }
  Close();
  CUIMessage reply;
  reply.Init(0, fNewDocument ? kNewDocument : kSizeDocument, nullptr, kReplyCanvas, CUIMessage::kBroadcast);
  reply.firstPoint = {fWidth, fHeight};
  reply.secondPoint = fRenderSize;
  if (!GetOwner() || !GetOwner()->Enqueue(reply)) return kErrOutOfMemory;
  return kHandled;
}

int32_t CDocSetup::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* name = need::kDocSetup.canvas.name;
  const char* element = message->elementName;
  if (message->kind == 0 && Same(element, name) && Same(message->canvasName, name)) {
    if (const int32_t err = BuildOnce()) return err;
    Open();
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != 0 || !Same(message->canvasName, name)) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(message->windowName, kFieldWindow)) {
    OnFieldChanged(element);
    return kHandled;
  }
  if (Same(message->windowName, kPresetWindow)) {
    ApplySizePreset(element);
    return kHandled;
  }
  if (Same(message->windowName, kResolutionWindow)) {
    SelectResolution(element);
    return kHandled;
  }
  if (Same(element, need::kConstrainProp.name)) fConstrain = !fConstrain;
  if (Same(element, need::kDocSetup.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kDocSetup.ok.name)) return SendReply();
  return CLayoutHostCanvas::HandleEvent(message);
}
