#include "panels/add_preset.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/handle_table.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/image/image.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/text_fields.h"
#include "presets/preset_description.h"
#include "render/preview_scene.h"

namespace {

constexpr uint32_t kPreviewImageTag = FourCC("apim");

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The name field is current at first; Tab walks both fields.
STextFields gFields{{}, false, true};
using FieldCallbacks = TTextFieldCallbacks<gFields>;

}  // namespace

CAddPreset::CAddPreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kAddPreset.canvas) {}

CAddPreset::~CAddPreset() {
  // The watch's row is the host canvas's.
  const CUIHostCanvas* watcher = this;
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(watcher)) app->UnsubscribeHeartbeat(watcher);
  }
  ReleaseBuilt();
}

void CAddPreset::ReleaseBuilt() {
  ForgetPreview();
  DetachField(fNameElement);
  DetachField(fDescriptionElement);
  fFields.DeleteAll();
  if (gFields.field.current == fNameElement || gFields.field.current == fDescriptionElement)
    gFields.field.current = nullptr;
  fPreviewElement = fNameElement = fDescriptionElement = nullptr;
}

int32_t CAddPreset::BuildControls(CResourceEnv* environment) {
  ReleaseBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kAddPreset.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kAddPreset.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  BindElementRef(need::kAddPresetPreview.name, &fPreviewElement, &PreviewPress, nullptr, nullptr);
  if (!fPreviewElement) return kErrUnexpectedType;
  SRect local;
  fPreviewElement->GetLocalRect(&local);
  fPreviewElement->LocalToAncestorRect(&fPreviewRect, local, nullptr);
  fPreviewElement->SetDrawCallback(&DrawPreview);
  BindElementRef(need::kAddPresetName.name, &fNameElement, &FieldCallbacks::Press, &FieldCallbacks::Hover,
                 &FieldCallbacks::Key);
  BindElementRef(need::kAddPresetDescription.name, &fDescriptionElement, &FieldCallbacks::Press,
                 &FieldCallbacks::Hover, &FieldCallbacks::Key);
  if (!fNameElement || !fDescriptionElement) return kErrUnexpectedType;
  for (CElement* element : {fNameElement, fDescriptionElement}) {
    if (const int32_t err = AddElementField(fFields, GetWindow(), element, kFieldCharacters, &FieldCallbacks::Key,
                                            STextEditSpec::kLeft, element == fDescriptionElement))
      return err;
  }
  gFields.field.current = fNameElement;
  return RegisterPaletteWatch(*this, &WatchPreview) ? kNoErr : kErrFailedCreation;
}

CTextEdit* CAddPreset::GetNameField() const { return GetElementWindow(fNameElement); }

CTextEdit* CAddPreset::GetDescriptionField() const { return GetElementWindow(fDescriptionElement); }

// A panel fills the dialog before it opens it: the fields are made first.
bool CAddPreset::SetName(const char* name) {
  BuildOnce();
  CTextEdit* field = GetNameField();
  if (!field) return true;
  if (CTextEdit* description = GetDescriptionField()) {
    description->SetFocus(false);
    description->SetText("");
  }
  field->SetText(name ? name : "");
  FocusField(field);
  gFields.field.current = fNameElement;
  fFields.RedrawInRect(nullptr);
  return true;
}

bool CAddPreset::SetFields(const char* name, const char* description) {
  BuildOnce();
  if (CTextEdit* field = GetNameField()) field->SetText(name ? name : "");
  if (CTextEdit* field = GetDescriptionField()) field->SetText(description ? description : "");
  return true;
}

bool CAddPreset::GetDescription(CPresetDescription* description) {
  if (!description) return true;
  CTextEdit* name = GetNameField();
  CTextEdit* text = GetDescriptionField();
  description->SetName(name ? name->GetText() : "");
  description->SetDescription(text ? text->GetText() : "");
  return true;
}

void CAddPreset::SetPreviewScene(CPreviewScene* scene, bool live) {
  BuildOnce();
  ForgetPreview();
  fPreview = scene;
  fLive = live;
  CImage* image = scene ? scene->GetImage() : nullptr;
  if (fPreviewElement && image) fPreviewElement->SetUserWord(0, RegisterHandle(image, kPreviewImageTag));
}

void CAddPreset::ForgetPreview() {
  fPreview = nullptr;
  fLive = false;
  if (fPreviewElement && fPreviewElement->GetUserWord(0)) ReleaseHandle(fPreviewElement->SetUserWord(0, 0));
}

// Showing gives the window the keyboard: the current field takes it back.
int32_t CAddPreset::OpenDialog() {
  const int32_t err = OpenModal();
  if (!err) FocusCurrentField(gFields.field);
  return err;
}

int32_t CAddPreset::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kAddPreset.canvas.name;
  const char* element = message->elementName;
  if (IsOpenRequest(*message)) {
    const int32_t err = OpenDialog();
    return err ? err : kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != 0 || !Same(message->canvasName, canvas)) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(element, need::kAddPresetPreview.name)) {
    if (fLive && fPreview && fPreviewElement) {
      SWinEvent press;
      press.Init();
      const int32_t err = fPreview->Paint(fPreviewElement, GetDeviceContext(), &press);
      return err ? err : kHandled;
    }
    return kHandled;
  }
  if (Same(element, need::kAddPreset.ok.name) || Same(element, need::kAddPreset.cancel.name)) {
    ForgetPreview();
    Close();
    return kNoErr;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CAddPreset::PreviewPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CUIMessage message;
  message.InitWithPoints(0, element, point, point, 0);
  return element->SendMessageUp(&message, element);
}

int32_t CAddPreset::DrawPreview(CElement* element, uint32_t pass, CImage* port) {
  return DrawHeldImage(element, pass, port, kPreviewImageTag);
}

int32_t CAddPreset::WatchPreview(void* dialog, void* record, void*) {
  auto* self = static_cast<CAddPreset*>(static_cast<CUIHostCanvas*>(dialog));
  int64_t last = 0;
  if (!self || !IsPaletteWatchDue(*self, record, &last, 0) || !self->fPreview || !self->fPreview->IsRenderPending())
    return kNoErr;
  const int32_t result = self->fPreview->Render(self->GetDeviceContext(), self->fPreviewRect);
  // An interrupted render goes on at the next beat.
  return result == kSilentCode24 ? kNoErr : result;
}
