#include "panels/edit_poly.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/cm_function.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "platform/clock.h"
#include "scene/object.h"
#include "scene/triangle_mesh.h"

namespace {

constexpr const char* kUpdateStatus = "update status";
constexpr uint32_t kOpaque = 0xFF000000;
constexpr SFontPoint kLineOffset{5, 0};

// The texts the panel falls back on, and how many numbers each row gives its text.
constexpr const char* kBuiltInTexts[CEditPoly::kTextCount] = {
    "%ld meshes, ", "%ld faces", "Mesh %ld: ", "pass %ld of 2, %ld", "Done.", "Computing normals\x85", "Angle %ld\xB0"};
constexpr uint32_t kRowArguments[CEditPoly::kTextCount] = {1, 1, 1, 2, 0, 0, 1};

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// Appends the text with up to two numbers, cut at the buffer's end.
void Append(char* line, size_t room, const char* format, long a = 0, long b = 0) {
  const size_t used = std::strlen(line);
  if (used + 1 >= room) return;
  std::snprintf(line + used, room - used, format, a, b);
}

CAppl* App() { return GetApplication(); }

}  // namespace

CEditPoly::CEditPoly(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditPoly) {
  for (uint32_t row = 0; row < kTextCount; ++row) CopyCString(fTexts[row], kBuiltInTexts[row], kTextBytes);
  CProgressStepper::SetReporter(this);
}

CEditPoly::~CEditPoly() {
  if (CProgressStepper::GetReporter() == this) CProgressStepper::SetReporter(nullptr);
  if (CAppl* app = App()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
}

bool CEditPoly::FitsRow(const char* text, uint32_t row) {
  if (!text || row >= kTextCount) return false;
  uint32_t conversions = 0;
  for (const char* c = text; *c; ++c) {
    if (*c != '%') continue;
    if (c[1] == '%') {
      ++c;
      continue;
    }
    if (c[1] != 'l' || c[2] != 'd') return false;
    c += 2;
    ++conversions;
  }
  return conversions <= kRowArguments[row];
}

void CEditPoly::ReadTexts(CResourceEnv* environment) {
  CIxTextLocal texts(environment, need::kPolyStatusTexts.name, CIxText::kNone);
  const uint32_t count = texts.GetResult() == kNoErr ? texts.Count() : 0;
  for (uint32_t row = 0; row < kTextCount; ++row) {
    const char* text = row < count ? texts.TextAt(row) : nullptr;
    CopyCString(fTexts[row], FitsRow(text, row) ? text : kBuiltInTexts[row], kTextBytes);
  }
}

int32_t CEditPoly::BuildControls(CResourceEnv* environment) {
  fStatus = nullptr;
  fSlider = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  ReadTexts(environment);
  BindElement(need::kPolySmooth.name, &OnButtonPress, nullptr, nullptr);
  BindElement(need::kPolyUnsmooth.name, &OnButtonPress, nullptr, nullptr);
  CElement* status = nullptr;
  BindElementRef(need::kPolyStatus.name, &status, nullptr, nullptr, nullptr);
  fStatus = dynamic_cast<CTxElement*>(status);
  BindElementRef(need::kPolySlider.name, &fSlider, &OnSliderPress, nullptr, nullptr);
  if (fSlider) fSlider->SetDrawCallback(&DrawSlider);
  CAppl* app = App();
  if (!app) return kErrFailedCreation;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &OnHeartbeat) ? kNoErr : kErrFailedCreation;
}

int32_t CEditPoly::SetMesh(C3dBaseSys* table) {
  fTable = table;
  fChanged = false;
  UpdateSelection(true);
  return kNoErr;
}

void CEditPoly::UpdateSelection(bool recount) {
  CDocumentHost* host = fOwner ? fOwner : GetCurrentDocumentHost();
  if (!recount) {
    if (host) {
      host->Invalidate(false);
      host->NotifyObjInfoChanged(kObjectsChanged);
      // Smoothing changed the document: quitting asks to save it.
      if (fChanged) host->FindSceneParts(false);
    }
    fChanged = false;
    return;
  }
  fMeshCount = fFaceCount = 0;
  C3dObject* object = nullptr;
  uint32_t index = 0;
  while (fTable && C3dObject::FindNextSelected(fTable, &object, &index) == kNoErr && object) {
    if (object->GetClass() != C3dTriangleMesh::kClassTag) continue;
    ++fMeshCount;
    fFaceCount += object->FacetCount();
  }
  ShowAngle(fAngle);
  SetStatus(FourCC("norm"));
}

void CEditPoly::ShowAngle(int32_t angle) {
  fAngle = angle < 0 ? 0 : angle > kMaxAngle ? kMaxAngle : angle;
  if (!fSlider) return;
  fSlider->SetUserWord(0, uint32_t(fAngle));
  fSlider->Redraw();
}

int32_t CEditPoly::SetStatus(uint32_t code, int32_t a, int32_t b, int32_t c) {
  char line[kLineBytes] = {};
  const bool several = fMeshCount > 1;
  switch (code) {
    case FourCC("norm"):
      if (several) Append(line, sizeof line, fTexts[kMeshesText], long(fMeshCount));
      Append(line, sizeof line, fTexts[kFacesText], long(fFaceCount));
      break;
    case FourCC("prep"): Append(line, sizeof line, fTexts[kStartText]); break;
    case FourCC("proc"):
      if (several) Append(line, sizeof line, fTexts[kMeshPrefix], long(a));
      Append(line, sizeof line, fTexts[kProgressText], long(b), long(c));
      Append(line, sizeof line, "%%");
      break;
    case FourCC("done"): Append(line, sizeof line, fTexts[kDoneText]); break;
    case FourCC("sldr"): Append(line, sizeof line, fTexts[kAngleText], long(a)); break;
    default: break;
  }
  fLineCode = code;
  fLineSince = platform::NowTicks();
  WriteLine(line);
  return kNoErr;
}

void CEditPoly::WriteLine(const char* line) {
  CopyCString(fLine, line, sizeof fLine);
  if (!fStatus) return;
  char* copy = CTxElement::NewText(fLine, std::strlen(fLine) + 1);
  if (!copy || fStatus->SetText(copy, true, false) != kNoErr) {
    if (copy && fStatus->GetText() != copy) CTxElement::FreeText(copy);
    return;
  }
  fStatus->SetPosition(kLineOffset, false);
  if (fStatus->IsShown()) fStatus->Redraw();
  else fStatus->Show(true);
  UpdateNow();
}

int32_t CEditPoly::SmoothSelection(int32_t angle, bool smooth) {
  fMeshNumber = 0;
  SetStatus(FourCC("prep"));
  C3dObject* object = nullptr;
  uint32_t index = 0;
  while (fTable && C3dObject::FindNextSelected(fTable, &object, &index) == kNoErr && object) {
    CHolder lock(object, true, false);
    if (!lock.IsLocked()) return 1;
    if (object->GetClass() != C3dTriangleMesh::kClassTag) continue;
    auto* mesh = static_cast<C3dTriangleMesh*>(object);
    ++fMeshNumber;
    mesh->ComputeFaceNormals();
    if (smooth) mesh->ComputeVertexNormals(double(angle));
    mesh->SetAllFacesVisible(smooth);
    fChanged = true;
  }
  SetStatus(FourCC("done"));
  return kNoErr;
}

bool CEditPoly::IsReporting() const { return IsShown(); }

void CEditPoly::ReportProgress(uint32_t pass, uint32_t done, uint32_t total) {
  fPass = pass;
  fDone = done;
  fTotal = total;
  CUIMessage message;
  message.Init(0, kUpdateStatus, nullptr, need::kEditPoly.canvas.name, 0);
  HandleEvent(&message);
}

int32_t CEditPoly::OnHeartbeat(void* panel, void* record, void*) {
  auto* self = static_cast<CEditPoly*>(panel);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CAppl* app = App();
  CHoElement* root = self ? self->GetRoot() : nullptr;
  if (!self || !beat || beat->reserved1 || !app || self->IsStale() || !app->IsActive() || !root || !self->IsShown() ||
      !root->IsShown() || !root->AcceptsEvents(kEventMaskHover))
    return kNoErr;
  if (self->fLineCode == FourCC("norm")) return kNoErr;
  // The end of a computation and a new angle stand long enough to be read.
  const bool lasting = self->fLineCode == FourCC("done") || self->fLineCode == FourCC("sldr");
  if (lasting && platform::NowTicks() - self->fLineSince < kLineTicks) return kNoErr;
  self->SetStatus(FourCC("norm"));
  return kNoErr;
}

int32_t CEditPoly::DrawSlider(CElement* element, uint32_t pass, CImage* port) {
  // Over the layout's fill, which the element paints after its callback in each pass.
  if (!element || !port || pass != kBarPass) return kNoErr;
  SRect local;
  element->GetLocalRect(&local);
  const int32_t angle = int32_t(element->GetUserWord(0));
  const int32_t height = int32_t(double(RectHeight(local)) * angle / kMaxAngle);
  if (height <= 0) return kNoErr;
  CSgStSaver saved(port);
  if (port->SetClip({local.bottom - height, local.left, local.bottom, local.right})) port->Fill(kOpaque | kBarColour);
  return kNoErr;
}

int32_t CEditPoly::OnButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CUIMessage message;
  message.InitFromElement(0, element, 0);
  message.firstPoint = point;
  return element->SendMessageUp(&message, element);
}

int32_t CEditPoly::OnSliderPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CAppl* app = App();
  if (!app) return kNoErr;
  SRect local;
  element->GetLocalRect(&local);
  const int32_t height = RectHeight(local) > 0 ? RectHeight(local) : 1;
  int32_t angle = int32_t(element->GetUserWord(0));
  const auto post = [element](int32_t value) {
    element->SetUserWord(0, uint32_t(value));
    element->Redraw();
    CUIMessage message;
    message.InitFromElement(kSliderKind, element, 0);
    message.SetPayloadWord(0, value);
    element->SendMessageUp(&message, element);
  };
  int32_t reference = point.v;
  while (app->IsStillDown()) {
    const platform::SPoint screen = app->GetCursorPos();
    SPointHV now;
    element->RootToLocalPoint(&now, {screen.x, screen.y});
    const int32_t change = int32_t(double(now.v - reference) / height * kMaxAngle);
    if (change != 0) {
      angle -= change;
      angle = angle < 0 ? 0 : angle > kMaxAngle ? kMaxAngle : angle;
      reference = now.v;
      post(angle);
    }
    platform::SleepMs(kPollMs);
  }
  post(angle);
  return kNoErr;
}

int32_t CEditPoly::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditPoly.canvas.name);
  if (message->kind == 0 && own) {
    if (Same(element, kUpdateStatus)) {
      SetStatus(FourCC("proc"), int32_t(fMeshNumber), int32_t(fPass), int32_t(CProgressStepper::Percent(fDone, fTotal)));
      return kHandled;
    }
    if (Same(element, need::kPolySmooth.name)) SmoothSelection(fAngle, true);
    else if (Same(element, need::kPolyUnsmooth.name)) SmoothSelection(fAngle, false);
    else if (Same(element, need::kEditPoly.ok.name)) {
      Close();
      UpdateSelection(false);
      return kHandled;
    }
  } else if (message->kind == 0 && Same(element, need::kEditPoly.canvas.name)) {
    // Shown already: brought forward, the level its opening raised kept.
    BringForward();
    UpdateSelection(true);
    return kHandled;
  } else if (message->kind == kSliderKind && own && Same(element, need::kPolySlider.name)) {
    fAngle = message->GetPayloadWord(0);
    SetStatus(FourCC("sldr"), fAngle);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
