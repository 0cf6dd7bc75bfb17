#include "panels/edit_family.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/ui/im_element.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "panels/text_fields.h"
#include "platform/clock.h"
#include "scene/group.h"
#include "scene/object.h"
#include "scene/object_family.h"

namespace {

SFamilyRecord gFamilies[CEditFamily::kFamilyCount];

constexpr const char* kDefaultFamilyName = "Default family";
constexpr const char* kFamilyNameFormat = "Family %ld";

uint32_t TableColour(uint32_t family) { return CEditFamily::GetFamily(family).colour.value; }

// How a format from a data file takes the family's number: it is used only with exactly one integer
// conversion (%d, %i or %u, with "l" a long, at most a width before it) and no conversion beside it
// but %%.
enum class ENameFormat { kRefused, kInt, kLong };

ENameFormat NameFormatOf(const char* format) {
  if (!format) return ENameFormat::kRefused;
  ENameFormat found = ENameFormat::kRefused;
  for (const char* c = format; *c; ++c) {
    if (*c != '%') continue;
    ++c;
    if (*c == '%') continue;
    // A width, never a flag.
    if (*c >= '1' && *c <= '9') {
      while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
    }
    const bool isLong = *c == 'l';
    if (isLong) ++c;
    if ((*c != 'd' && *c != 'i' && *c != 'u') || found != ENameFormat::kRefused) return ENameFormat::kRefused;
    found = isLong ? ENameFormat::kLong : ENameFormat::kInt;
  }
  return found;
}

STextFields gNameField{{}, true};
using NameCallbacks = TTextFieldCallbacks<gNameField>;
// The chiclet standing for the family being edited or assigned.
CElement* gSelectedChiclet = nullptr;

constexpr SPointHV kPointerOffset{15, 5};
constexpr int64_t kDragWait = 10;
constexpr uint32_t kOpaque = 0xFF000000;
// The colour picker's answer to the box, and the eyedropper's.
constexpr uint32_t kColourChosen = 2;
constexpr uint32_t kPickerAnswer = 3;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The chiclet's family colour inside a one-pixel frame, red when it is the selected one.
void PaintChiclet(CImage* port, const SRect& rect, uint32_t colour, bool selected) {
  CSgStSaver saved(port);
  const uint32_t frame = kOpaque | (selected ? CEditFamily::kSelectedFrame : CEditFamily::kFrame);
  const SRect strips[] = {{rect.top, rect.left, rect.top + 1, rect.right},
                          {rect.bottom - 1, rect.left, rect.bottom, rect.right},
                          {rect.top, rect.left, rect.bottom, rect.left + 1},
                          {rect.top, rect.right - 1, rect.bottom, rect.right}};
  if (port->SetClip(rect)) port->Fill(kOpaque | colour);
  for (const SRect& strip : strips) {
    if (port->SetClip(strip)) port->Fill(frame);
  }
}

}  // namespace

CEditFamily::CEditFamily(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditFamily) {
  InitFamilyTable(environment);
}

CEditFamily::~CEditFamily() { ReleaseBuilt(); }

STextFields& CEditFamily::Fields() { return gNameField; }

void CEditFamily::SetOwner(CDocumentHost* owner) { fOwner = owner; }

void CEditFamily::ReleaseBuilt() {
  if (fColourBox) fColourBox->SetImage(nullptr, false, false, true, false);
  fColourBox = nullptr;
  fBoxImage.reset();
  DetachField(fNameElement);
  fNameElement = nullptr;
  fFields.DeleteAll();
  gNameField.field.current = nullptr;
  std::fill(std::begin(fChiclets), std::end(fChiclets), nullptr);
  gSelectedChiclet = nullptr;
}

CTextEdit* CEditFamily::GetNameField() const { return GetElementWindow(fNameElement); }

int32_t CEditFamily::GetSelectedFamily() const {
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    if (fChiclets[i] && fChiclets[i] == gSelectedChiclet) return int32_t(i);
  }
  return -1;
}

int32_t CEditFamily::BuildControls(CResourceEnv* environment) {
  ReleaseBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  CElement* box = nullptr;
  BindElementRef(need::kFamilyColorBox.name, &box, &ColorSwatchEyedropperEx, nullptr, nullptr);
  fColourBox = dynamic_cast<CImElement*>(box);
  if (fColourBox) {
    const SRect& rect = fColourBox->GetRect();
    int32_t err = kNoErr;
    fBoxImage.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
    // Without its picture the box stays empty and the dialog goes on.
    if (fBoxImage && fBoxImage->Fill(kOpaque | kEmptyBox)) fColourBox->SetImage(fBoxImage.get(), false, true, true, true);
    else fBoxImage.reset();
  }
  BindElementRef(need::kFamilyNameField.name, &fNameElement, &NameCallbacks::Press, &NameCallbacks::Hover,
                 &NameCallbacks::Key);
  if (fNameElement) {
    AddElementField(fFields, GetWindow(), fNameElement, kNameCharacters, &NameCallbacks::Key, STextEditSpec::kCentred,
                    false);
    gNameField.field.current = fNameElement;
  }
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    BindElementRef(need::kFamilyChiclets[i].name, &fChiclets[i], &OnChicletPress, nullptr, nullptr);
    if (!fChiclets[i]) continue;
    fChiclets[i]->SetDrawCallback(&DrawChiclet);
    fChiclets[i]->SetUserWord(kIndexWord, i);
  }
  ShowChicletColours();
  return kNoErr;
}

void CEditFamily::ShowChicletColours() {
  gSelectedChiclet = nullptr;
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    if (!fChiclets[i]) continue;
    fChiclets[i]->SetUserWord(kColourWord, GetFamily(i).colour.value);
    fChiclets[i]->Redraw();
    if (!gSelectedChiclet && fChiclets[i]->GetUserWord(kSelectedWord)) gSelectedChiclet = fChiclets[i];
  }
  if (!gSelectedChiclet && fChiclets[0]) {
    fChiclets[0]->SetUserWord(kSelectedWord, 1);
    gSelectedChiclet = fChiclets[0];
    fChiclets[0]->Redraw();
  }
}

void CEditFamily::SelectChiclet(uint32_t family) {
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    if (!fChiclets[i]) continue;
    fChiclets[i]->SetUserWord(kSelectedWord, i == family ? 1 : 0);
    if (i == family) gSelectedChiclet = fChiclets[i];
    fChiclets[i]->Redraw();
  }
}

void CEditFamily::ShowSelectedFamily() {
  const int32_t family = GetSelectedFamily();
  if (family < 0) return;
  if (fColourBox && fBoxImage) {
    const uint32_t colour = gSelectedChiclet->GetUserWord(kColourWord);
    FillSwatchImage(fBoxImage.get(), colour, 0);
    // The picker opens on the family's colour.
    fColourBox->SetUserWord(0, colour);
    fColourBox->Redraw();
  }
  if (CTextEdit* field = GetNameField()) {
    field->SetText(GetFamily(uint32_t(family)).name);
    field->SetFocus(false);
    field->Redraw();
  }
}

void CEditFamily::PlaceNearPointer() {
  CAppl* app = GetApplication();
  if (!app) return;
  const platform::SPoint pointer = app->GetCursorPos();
  const SRect screen = app->GetScreenRect();
  const SRect& frame = GetFrame();
  const int32_t width = RectWidth(frame), height = RectHeight(frame);
  SPointHV at{pointer.x + kPointerOffset.h, pointer.y + kPointerOffset.v};
  at.h = std::max(std::min(at.h, screen.right - width), screen.left);
  at.v = std::max(std::min(at.v, screen.bottom - height), screen.top);
  MoveTo(at);
}

int32_t CEditFamily::Open() {
  if (const int32_t err = BuildOnce()) return err;
  if (!fOwner) fOwner = GetCurrentDocumentHost();
  if (IsShown()) {
    BringForward();
  } else {
    // Cancel puts back what the table held at the opening.
    for (uint32_t i = 0; i < kFamilyCount; ++i) fOpened[i] = GetFamily(i);
    PlaceNearPointer();
    Refresh(false);
  }
  C3dObject* first = nullptr;
  C3dBaseSys* table = fOwner ? fOwner->GetSceneTable() : nullptr;
  uint32_t index = 0;
  if (table && C3dObject::FindNextSelected(table, &first, &index) == kNoErr && first) {
    const uint32_t family = first->GetCreationWord(0);
    // A family number outside the table reads as the default family.
    SelectChiclet(family < kFamilyCount ? family : 0);
  }
  ShowSelectedFamily();
  UpdateNow();
  CTimer().WaitTicks(kDragWait);
  CAppl* app = GetApplication();
  if (app && app->IsStillDown()) return TrackChiclets();
  return kHandled;
}

int32_t CEditFamily::TrackChiclets() {
  CAppl* app = GetApplication();
  CElement* last = nullptr;
  while (app && app->IsStillDown()) {
    const platform::SPoint pointer = app->GetCursorPos();
    for (CElement* chiclet : fChiclets) {
      if (!chiclet) continue;
      SRect local, screen;
      chiclet->GetLocalRect(&local);
      chiclet->LocalToRootRect(&screen, local);
      const bool over = pointer.x >= screen.left && pointer.x <= screen.right && pointer.y >= screen.top &&
                        pointer.y <= screen.bottom;
      if (!over || chiclet == last) continue;
      OnChicletPress(chiclet, nullptr, {}, nullptr);
      last = chiclet;
      break;
    }
    platform::SleepMs(kPollMs);
  }
  Close();
  if (GetSelectedFamily() < 0) return kNoErr;
  const int32_t err = AssignSelection();
  RedrawOwner();
  return err;
}

int32_t CEditFamily::AssignObject(C3dObject* object, uint32_t family) {
  if (!object->IsReady()) return kNoErr;
  SetObjectFamily(*object, int32_t(family));
  if (object->GetClass() != C3dGroup::kClassTag) return kNoErr;
  const auto* group = static_cast<C3dGroup*>(object);
  for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
    if (C3dObject* member = group->GetMember(i)) {
      if (const int32_t err = AssignObject(member, family)) return err;
    }
  }
  return kNoErr;
}

int32_t CEditFamily::AssignSelection() {
  const int32_t family = GetSelectedFamily();
  C3dBaseSys* table = fOwner ? fOwner->GetSceneTable() : nullptr;
  if (family < 0 || !table) return kNoErr;
  C3dObject* object = nullptr;
  uint32_t index = 0;
  bool changed = false;
  int32_t err = kNoErr;
  while (!err && C3dObject::FindNextSelected(table, &object, &index) == kNoErr && object) {
    CHolder lock(object, true, false);
    if (!lock.IsLocked()) {
      err = kErrGeneric;
      break;
    }
    err = AssignObject(object, uint32_t(family));
    changed = true;
  }
  // The family is part of the document: quitting asks to save it.
  if (changed) fOwner->FindSceneParts(false);
  return err;
}

void CEditFamily::RedrawOwner() {
  if (!fOwner) return;
  fOwner->Invalidate(false);
  fOwner->RedrawNow();
}

int32_t CEditFamily::OnChicletPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  if (gSelectedChiclet && gSelectedChiclet != element) {
    gSelectedChiclet->SetUserWord(kSelectedWord, 0);
    gSelectedChiclet->Redraw();
  }
  element->SetUserWord(kSelectedWord, 1);
  element->Redraw();
  gSelectedChiclet = element;
  CUIMessage message;
  message.InitFromElement(0, element, 1);
  return element->SendMessageUp(&message, element);
}

int32_t CEditFamily::DrawChiclet(CElement* element, uint32_t pass, CImage* port) {
  if (!element || !port || pass != 0) return kNoErr;
  SRect local;
  element->GetLocalRect(&local);
  PaintChiclet(port, local, element->GetUserWord(kColourWord) & 0xFFFFFF, element->GetUserWord(kSelectedWord) != 0);
  return kNoErr;
}

int32_t CEditFamily::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditFamily.canvas.name);
  if (message->kind == 0 && !own && Same(element, "family chiclet")) return Open();
  if (!own || !IsShown()) return own ? kNoErr : CLayoutHostCanvas::HandleEvent(message);
  const int32_t family = GetSelectedFamily();
  if ((message->kind == kColourChosen || message->kind == kPickerAnswer) && Same(element, need::kFamilyColorBox.name)) {
    if (family < 0) return kHandled;
    const uint32_t colour = uint32_t(message->GetPayloadWord(0)) & 0xFFFFFF;
    GetFamily(uint32_t(family)).colour.value = colour;
    gSelectedChiclet->SetUserWord(kColourWord, colour);
    gSelectedChiclet->Redraw();
    ShowSelectedFamily();
    return kHandled;
  }
  if (message->kind != 0) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(element, need::kFamilyNameField.name)) {
    CTextEdit* field = GetNameField();
    if (family >= 0 && field) CopyCString(GetFamily(uint32_t(family)).name, field->GetText(), SFamilyRecord::kNameBytes);
    return kHandled;
  }
  for (CElement* chiclet : fChiclets) {
    if (chiclet && Same(element, chiclet->GetName())) {
      ShowSelectedFamily();
      return kHandled;
    }
  }
  if (Same(element, need::kEditFamily.cancel.name)) {
    Close();
    for (uint32_t i = 0; i < kFamilyCount; ++i) GetFamily(i) = fOpened[i];
    ShowChicletColours();
    return kHandled;
  }
  if (Same(element, need::kEditFamily.ok.name)) {
    Close();
    const int32_t err = AssignSelection();
    RedrawOwner();
    return err ? err : kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

void CEditFamily::InitFamilyTable(CResourceEnv* environment) {
  // The lookup answers the built-in colours while the table is being filled.
  SetFamilyColourLookup(nullptr);
  CIxTextLocal names(environment, need::kFamilyNames.name, CIxText::kNone);
  const bool listed = names.GetResult() == kNoErr;
  const uint32_t count = listed ? names.Count() : 0;
  const char* first = count > 0 ? names.TextAt(0) : kDefaultFamilyName;
  const char* format = count > 1 ? names.TextAt(1) : kFamilyNameFormat;
  ENameFormat kind = NameFormatOf(format);
  if (kind == ENameFormat::kRefused) {
    format = kFamilyNameFormat;
    kind = ENameFormat::kLong;
  }
  for (uint32_t i = 0; i < kFamilyCount; ++i) {
    SFamilyRecord& record = gFamilies[i];
    if (i == 0) CopyCString(record.name, first, sizeof record.name);
    else if (kind == ENameFormat::kLong) std::snprintf(record.name, sizeof record.name, format, long(i));
    else std::snprintf(record.name, sizeof record.name, format, int(i));
    record.colour.value = FamilyColour(int32_t(i));
  }
  SetFamilyColourLookup(&TableColour);
}

SFamilyRecord& CEditFamily::GetFamily(uint32_t family) { return gFamilies[family < kFamilyCount ? family : 0]; }
