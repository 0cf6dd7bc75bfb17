#include "framework/ui/ho_canvas.h"

#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/layout_record.h"
#include "platform/clock.h"

namespace {

constexpr char kTagAndVersion[] = "hoca0100";
constexpr SWordRange kNumbers[] = {{CHoCanvas::kRecordElementId, CHoCanvas::kRecordElementName},
                                   {CHoCanvas::kRecordLayers, CHoCanvas::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CHoCanvas::kRecordBytes, kNumbers, 2};

// What LoadFromResource takes from the 'hoca' record.
struct SHocaRecord {
  uint32_t elementId = 0;
  char elementName[CElement::kRecordTextBytes] = {};
  uint32_t layers = 0;
  uint32_t flags = 0;
  uint32_t ownId = 0;  // the number the record was found under
};

void Report(int32_t error) {
  if (!error) return;
  if (CAppl* app = GetApplication()) app->TellError(error);
}

}  // namespace

uint32_t CHoCanvas::HocaRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleLayoutRecord(object, message, argument, kForm);
}

// ---- life

CHoCanvas::CHoCanvas(const SRect& frame, const SElementDesc* description, bool showNow, uint32_t style,
                     const CImVector* color, int32_t priority)
    : CImCanvas(frame, false, style, color, priority) {
  if (!IsCanvasValid()) return;
  SElementDesc desc;
  if (description) desc = *description;
  else CElement::MakeDescription(desc, {0, 0, RectHeight(frame), RectWidth(frame)}, true, true, false, nullptr, nullptr, nullptr);
  const bool showRoot = !description || description->shown;
  // Hidden until the canvas around it is in order.
  desc.shown = 0;
  CExObject::SetNameField(desc.names.name, kRootName);
  fRoot = new CHoElement(this, desc);
  if (!fRoot || !fRoot->IsHostedRoot()) return;
  fRoot->SetLayoutFlags(kLayoutSizeH | kLayoutSizeV | kLayoutPositionH | kLayoutPositionV, true);
  fRoot->SetPositionProportions({0.0f, 0.0f}, true);
  fRoot->SetSizeProportions({1.0f, 1.0f}, true);
  CAppl* app = GetApplication();
  fHeartbeatRegistered = app && app->SubscribeHeartbeat(this, &CHoCanvas::IdleHover) ? 1 : 0;
  if (showNow && IsReady()) Show();
  if (showRoot) fRoot->Show(true);
}

CHoCanvas::~CHoCanvas() {
  if (fHeartbeatRegistered) {
    if (CAppl* app = GetApplication()) app->UnsubscribeHeartbeat(this);
    fHeartbeatRegistered = 0;
  }
  CHoElement* root = fRoot;
  fRoot = nullptr;
  delete root;
}

bool CHoCanvas::IsCanvasValid() const { return IsRegistered() && (!GetImage() || GetImage()->IsValid()); }

bool CHoCanvas::IsReady() const {
  return IsCanvasValid() && fHeartbeatRegistered && fRoot && fRoot->IsHostedRoot();
}

void CHoCanvas::ReplaceRoot(CHoElement* root) {
  CHoElement* old = fRoot;
  fRoot = root;
  delete old;
}

// ---- the layout records

int32_t CHoCanvas::Create(CResourceEnv* environment, const char* name) {
  platform::SetWindowText(GetWindow(), name ? name : "");
  return LoadFromResource(environment, 0, name);
}

int32_t CHoCanvas::LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name) {
  if (const int32_t err = CImCanvas::LoadFromResource(environment, id, name)) return err;
  SHocaRecord record;
  const int32_t err = ReadLayoutRecord(environment, kRecordType, id, name, &CHoCanvas::HocaRecordTypeHandler,
                                       kRecordBytes, [&record](const uint8_t* data, const SSpoolKey& key) {
                                         record.elementId = RecordWordAt(data, kRecordElementId);
                                         RecordTextAt(data, kRecordElementName, record.elementName,
                                                      sizeof record.elementName);
                                         record.layers = RecordWordAt(data, kRecordLayers);
                                         record.flags = RecordWordAt(data, kRecordFlags);
                                         record.ownId = key.id;
                                         return kNoErr;
                                       });
  if (err) return err;
  if (!fRoot) return kErrUnexpectedStatus;
  if (fRoot->GetLayerCount() != record.layers) {
    fRoot->SetLayerCount(record.layers);
    if (fRoot->IsShown()) fRoot->Redraw();
  }
  if (!(record.flags & kHasTree)) return kNoErr;
  const bool byName = record.flags & kElementByName;
  if (!(record.flags & kElementOwnKey))
    return byName ? fRoot->LoadFromResourceByName(environment, record.elementName)
                  : fRoot->LoadFromResource(environment, record.elementId, nullptr);
  if (!byName) return fRoot->LoadFromResource(environment, record.ownId, nullptr);
  // Found by number, the record's own name is the one its entry holds.
  char ownName[SSpoolKey::kNameChars + 1] = {};
  if (name) {
    CopyCString(ownName, name, sizeof ownName);
  } else {
    SSpoolKey key;
    key.Set(kRecordType, record.ownId, false);
    CResEntry entry{};
    if (!environment->GetResourceInfo(key, &entry)) return kErrObjectNotFound;
    CopyCString(ownName, entry.name, sizeof ownName);
  }
  return fRoot->LoadFromResourceByName(environment, ownName);
}

// ---- events

int32_t CHoCanvas::OnPointerPress(SWinEvent& event) {
  if (!fRoot || !fRoot->AcceptsEvents(kEventMaskPress) || !fRoot->IsShown()) return 0;
  SPointHV point;
  fRoot->ParentToLocalPoint(&point, ScreenToCanvas({event.x, event.y}));
  CElement* handled = nullptr;
  Report(fRoot->HandlePress(&handled, point, &event));
  return handled ? kHandled : 0;
}

int32_t CHoCanvas::OnCharacter(SWinEvent& event) {
  if (!fRoot || !fRoot->AcceptsEvents(kEventMaskChar)) return 0;
  CElement* handled = nullptr;
  Report(fRoot->HandleChar(&handled, &event));
  return handled ? kHandled : 0;
}

int32_t CHoCanvas::OnAppDeactivate(SWinEvent& event) {
  if (fRoot && fRoot->AcceptsEvents(kEventMaskDeactivate)) Report(fRoot->HandleDeactivate(&event));
  return 0;
}

int32_t CHoCanvas::OnAppActivate(SWinEvent& event) {
  if (fRoot && fRoot->AcceptsEvents(kEventMaskActivate)) Report(fRoot->HandleActivate(&event));
  return 0;
}

int32_t CHoCanvas::IdleHover(void* canvas, void* record, void*) {
  auto* self = static_cast<CHoCanvas*>(canvas);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CHoElement* root = self ? self->fRoot : nullptr;
  // A beat from outside the main loop carries a non-zero second word.
  if (!root || !beat || beat->reserved1 != 0 || !root->AcceptsEvents(kEventMaskHover)) return 0;
  if (!root->IsShown() && !root->HoversWhenHidden()) return 0;
  const int64_t now = platform::NowTicks();
  if (now - self->fLastHoverTick < int64_t(self->fHoverInterval)) return 0;
  self->fLastHoverTick = now;
  CAppl* app = GetApplication();
  if (!app) return 0;
  const platform::SPoint cursor = app->GetCursorPos();
  SPointHV point;
  root->ParentToLocalPoint(&point, self->ScreenToCanvas({cursor.x, cursor.y}));
  Report(root->HandleHover(point));
  return 0;
}

int32_t CHoCanvas::OnElementMessage(CUIMessage*, CElement*) { return kNoErr; }

int32_t CHoCanvas::DeliverMessage(CElement** handled, SPointHV point, CUIMessage* message) {
  return fRoot ? fRoot->HandleMessage(handled, point, message) : kNoErr;
}

// ---- drawing

bool CHoCanvas::MoveResize(SPointHV size, bool repaint) {
  if (!Resize(size, repaint)) return false;
  if (!fRoot) return true;
  if (const int32_t err = fRoot->Relayout(false)) {
    Report(err);
    return false;
  }
  fRoot->SetDirty(true);
  return true;
}

bool CHoCanvas::Redraw(const SRect* rect) {
  // Until the root exists (while the records are read, or when it could not be made) the canvas
  // draws as any image canvas.
  if (!fRoot) return CImCanvas::Redraw(rect);
  if (!IsShown()) return true;
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  SRect local;
  fRoot->ParentToLocalRect(&local, area);
  if (const int32_t err = fRoot->UpdateRect(local, true)) {
    ReportDrawError(err);
    fRoot->SetDirty(true);
  } else {
    fRoot->SetDirty(false);
  }
  return true;
}

void CHoCanvas::ReportDrawError(int32_t error) {
  const int64_t now = platform::NowTicks();
  if (!fDrawErrorSeen || now - fLastDrawErrorTick >= fDrawErrorInterval)
    Report(error == kErrOutOfMemory ? kErrCanvasNoMemory : kErrCanvasUpdate);
  fDrawErrorSeen = true;
  fLastDrawErrorTick = now;
}
