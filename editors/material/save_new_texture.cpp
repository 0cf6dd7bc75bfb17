#include "editors/material/save_new_texture.h"

#include "editors/material/layout_needs.h"
#include "framework/core/char_set.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/numeric_fields.h"
#include "panels/text_fields.h"
#include "scene/base.h"

namespace {

// The name field's state; a press does not make it current (only the build does).
STextFields gNameField{{}, false};
using NameCallbacks = TTextFieldCallbacks<gNameField>;

}  // namespace

CSaveNewTexture::CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSaveNewTexture) {
  SetShadows(true);
}

CSaveNewTexture::~CSaveNewTexture() { ReleaseField(); }

void CSaveNewTexture::ReleaseField() {
  DetachField(fNameElement);
  if (gNameField.field.current == fNameElement) gNameField.field.current = nullptr;
  fNameElement = nullptr;
  fFields.DeleteAll();
}

CTextEdit* CSaveNewTexture::GetNameField() const { return GetElementWindow(fNameElement); }

int32_t CSaveNewTexture::BuildControls(CResourceEnv* environment) {
  ReleaseField();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // Tracked buttons rather than the base's plain ones.
  BindElement(need::kSaveNewTexture.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kSaveNewTexture.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  BindElementRef(need::kSaveNewTextureName.name, &fNameElement, &NameCallbacks::Press, &NameCallbacks::Hover,
                 &NameCallbacks::Key);
  if (!fNameElement) return kErrOutOfMemory;
  CTextEdit* field = nullptr;
  if (AddElementField(fFields, GetWindow(), fNameElement, kNameCharacters, &NameCallbacks::Key,
                      STextEditSpec::kCentred, false) != kNoErr ||
      !(field = GetElementWindow(fNameElement)) || !field->IsCreated()) {
    ReleaseField();
    return kErrOutOfMemory;
  }
  field->SetText(fName.c_str());
  field->SetFocus(true);
  field->SetSelection(0, CTextEdit::kSelectAllEnd);
  gNameField.field.current = fNameElement;
  Show(fVariant);
  return kNoErr;
}

int32_t CSaveNewTexture::Show(int32_t variant) {
  fVariant = variant;
  SetButtonCanvasName(variant == 1 ? kEditorCanvasName : kQuickCanvasName);
  return kNoErr;
}

int32_t CSaveNewTexture::SetName(const char* name) {
  if (!name) return kNoErr;
  fName = name;
  if (CTextEdit* field = GetNameField()) field->SetText(name);
  return kNoErr;
}

bool CSaveNewTexture::Redraw(const SRect* rect) {
  if (!IsShown()) return true;
  const bool drawn = CLayoutHostCanvas::Redraw(rect);
  if (CTextEdit* field = GetNameField()) field->Redraw();
  return drawn;
}

std::string CSaveNewTexture::GetName() const {
  CTextEdit* field = GetNameField();
  return field ? std::string(field->GetText()) : fName;
}

std::string CSaveNewTexture::GetStoredName() const {
  std::string name = AnsiToMacRoman(GetName());
  if (name.size() > C3dBase::kNameBytes - 1) name.resize(C3dBase::kNameBytes - 1);
  return name;
}

// The buttons' messages are the opening editor's to act on, so the base does not close the dialog on
// them.
int32_t CSaveNewTexture::HandleEvent(CUIMessage* message) { return CUIHostCanvas::HandleEvent(message); }
