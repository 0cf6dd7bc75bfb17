#include "editors/material/dt_sub_editor.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "editors/material/centred_text.h"
#include "editors/material/dt_editor.h"
#include "editors/material/pointer_drag.h"
#include "editors/material/strip_menu.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "scene/surface/texture.h"
#include "scene/texture/blend.h"

namespace {

using namespace need;

constexpr uint32_t kOff = 0;
constexpr uint32_t kOn = 1;
constexpr uint32_t kDimensions = 3;
// A stored octave count is one decimal digit of the code.
constexpr int32_t kCodeOctaveLimit = 9;

// The readouts' texts and ranges, in the order of the controls; the frequencies take any 32-bit value.
struct SReadout {
  const char* format;
  int32_t lower;
  int32_t upper;
};
constexpr SReadout kReadouts[kDTSubReadoutCount] = {
    {"angle XY %ld", -CDTSubEditor::kAngleLimit, CDTSubEditor::kAngleLimit},
    {"angle YZ %ld", -CDTSubEditor::kAngleLimit, CDTSubEditor::kAngleLimit},
    {"X %ld", INT32_MIN, INT32_MAX},
    {"Y %ld", INT32_MIN, INT32_MAX},
    {"Z %ld", INT32_MIN, INT32_MAX},
    {"Octaves %ld", 0, CDTSubEditor::kOctaveLimit}};
constexpr uint32_t kAngleXY = 0, kAngleYZ = 1, kFrequencyX = 2, kOctaves = 5;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int32_t Word(const CElement* element) { return element ? int32_t(element->GetUserWord(0)) : 0; }

bool IsReadout(uint32_t control) { return control >= kDTSubAngleXYVal && control < kDTSubAngleXYVal + kDTSubReadoutCount; }

// The fields of one noise parameter set of a texture's record; the octave count and dimension are
// those of the set's compiled block.
struct SSetFields {
  int32_t* code;
  int32_t* angleXY;
  int32_t* angleYZ;
  int32_t* frequency;
  int32_t* octaves;
  int32_t* dimension;
};

bool FindSet(STextureData& data, const char* group, const char* element, SSetFields* out) {
  const auto fields = [out](int32_t& code, int32_t& xy, int32_t& yz, int32_t* frequency, SCompiledNoise& compiled) {
    *out = {&code, &xy, &yz, frequency, &compiled.octaves, &compiled.dimension};
    return true;
  };
  if (Same(group, kDTEditor.canvas.name)) {
    if (!Same(element, kDTGlobals[kDTGPhaseType].name)) return false;
    SPhaseSpec& phase = data.globalPhase;
    return fields(phase.code, phase.angleXY, phase.angleYZ, phase.frequency, data.compiledGlobalPhase);
  }
  for (uint32_t p = 0; p < kDTPanelCount; ++p) {
    if (!Same(group, kDTPanels[p].name)) continue;
    STextureComponent& component = data.component[p];
    if (Same(element, kDTPanelChildren[kDTNoiseTypeMenu].name))
      return fields(component.noiseCode, component.angleXY, component.angleYZ, component.frequency,
                    component.compiledNoise);
    if (Same(element, kDTPanelChildren[kDTPhaseType].name)) {
      SPhaseSpec& phase = component.phase;
      return fields(phase.code, phase.angleXY, phase.angleYZ, phase.frequency, component.compiledPhase);
    }
  }
  return false;
}

// The octave count and dimension that the code holds, as the texture engine decodes them.
void DecodeCounts(int32_t code, const SSetFields& set) {
  int32_t blend = 0;
  GetBlendFunction(code, *set.octaves, blend);
  *set.dimension = code & 3;
}

int32_t NoiseTypeOf(int32_t code) { return (code & 0xFC) >> 2; }
int32_t ModeOf(int32_t code) { return (code >> 8) / 10; }

void BindPress(CElement* element, ElPressCallback press) {
  if (!element) return;
  element->SetPressCallback(press);
  element->SetHoverCallback(nullptr);
  element->SetCharCallback(nullptr);
}

// The control's press callback; none for "dtsemenu".
ElPressCallback PressCallback(uint32_t control) {
  if (IsReadout(control)) return &CDTSubEditor::OnValueDrag;
  if (control >= kDTSubAngleXYDec && control <= kDTSubOctaveDec) return &CDTSubEditor::OnStepDown;
  if (control >= kDTSubAngleXYInc && control <= kDTSubOctaveInc) return &CDTSubEditor::OnStepUp;
  switch (control) {
    case kDTSubOk:
    case kDTSubCancel: return &UIHostTrackButton;
    case kDTSubDimensionOne:
    case kDTSubDimensionTwo:
    case kDTSubDimensionThree: return &CDTSubEditor::OnDimensionPress;
    case kDTSubNoiseType:
    case kDTSubMode:
    case kDTSubImage: return &CDTSubEditor::OnPlainPress;
    case kDTSubRotate: return &CDTSubEditor::OnRotateDrag;
    case kDTSubTranslate: return &CDTSubEditor::OnTranslateDrag;
    default: return nullptr;
  }
}

bool IsAltHeld() {
  CAppl* app = GetApplication();
  return app && app->IsAltDown();
}

}  // namespace

CDTSubEditor::CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTSubEditor) {
  SetShadows(true);
}

CDTSubEditor::~CDTSubEditor() { FreeBuilt(); }

// ---- the build

int32_t CDTSubEditor::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  int32_t err = CLayoutHostCanvas::BuildControls(environment);
  if (!err) err = FindControls();
  if (!err) BindControls();
  if (!err) err = LoadMenus();
  if (!err && !SubscribeHeartbeat()) err = kErrFailedCreation;
  if (err) FreeBuilt();
  return err;
}

// A control the layout lacks, or holds as the other kind of element, stays empty.
int32_t CDTSubEditor::FindControls() {
  CHoElement* root = GetRoot();
  if (!root) return kErrUnexpectedStatus;
  for (uint32_t c = 0; c < kDTSubControlCount; ++c) {
    if (IsReadout(c)) {
      CTxElement* readout = nullptr;
      CDTEditor::FindTxElement(root, kDTSubControls[c].name, &readout);
      fControls[c] = readout;
    } else {
      CDTEditor::FindImElement(root, kDTSubControls[c].name, &fControls[c]);
    }
  }
  for (uint32_t button : {kDTSubOk, kDTSubCancel}) {
    if (!fControls[button]) continue;
    fControls[button]->Hide(true);
    fControls[button]->Show(true);
  }
  return kNoErr;
}

void CDTSubEditor::BindControls() {
  for (uint32_t c = 0; c < kDTSubControlCount; ++c) {
    if (ElPressCallback press = PressCallback(c)) BindPress(fControls[c], press);
  }
  if (fControls[kDTSubOk]) fControls[kDTSubOk]->SetCharCallback(&UIHostOnReturnKey);
  if (fControls[kDTSubCancel]) fControls[kDTSubCancel]->SetCharCallback(&UIHostOnEscapeKey);
}

int32_t CDTSubEditor::LoadMenus() {
  for (auto [menu, need] : {std::pair{&fNoiseMenu, &kDTSubNoiseMenu}, std::pair{&fModeMenu, &kDTSubModeMenu}}) {
    CMenu* loaded = nullptr;
    if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need->number, &loaded, nullptr)) return err;
    menu->reset(loaded);
    if (!loaded->IsUsable()) return NonZeroError(loaded->GetError());
  }
  return kNoErr;
}

// In place of the hover row every host canvas registers: the sub-editor's elements take no hover.
bool CDTSubEditor::SubscribeHeartbeat() {
  CAppl* app = GetApplication();
  if (!app) return false;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &OnHeartbeat);
}

void CDTSubEditor::FreeBuilt() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  fNoiseMenu.reset();
  fModeMenu.reset();
  std::fill(std::begin(fControls), std::end(fControls), nullptr);
}

int32_t CDTSubEditor::OnHeartbeat(void*, void*, void*) { return kNoErr; }

// ---- the target

void CDTSubEditor::SetTarget(const char* group, const char* element, C3dTexture* texture, CResourceEnv*) {
  fTargetGroup = group ? group : "";
  fTargetElement = element ? element : "";
  fTexture = texture;
}

int32_t CDTSubEditor::LoadTarget() {
  WithTargetSet(false, [this](const SSetFields& set) {
    const int32_t code = *set.code;
    int32_t octaves = 0, blend = 0;
    GetBlendFunction(code, octaves, blend);
    const int32_t values[kDTSubReadoutCount] = {*set.angleXY,     *set.angleYZ,     set.frequency[0],
                                                set.frequency[1], set.frequency[2], octaves};
    for (uint32_t r = 0; r < kDTSubReadoutCount; ++r) ShowValue(r, values[r]);
    ShowDimension(code & 3);
    fDimension = code & 3;
    ShowStripCell(fControls[kDTSubNoiseType], NoiseTypeOf(code));
    ShowStripCell(fControls[kDTSubMode], ModeOf(code));
    fSnapshot.angleXY = Word(GetReadout(kAngleXY));
    fSnapshot.angleYZ = Word(GetReadout(kAngleYZ));
    for (uint32_t i = 0; i < 3; ++i) fSnapshot.frequency[i] = Word(GetReadout(kFrequencyX + i));
    fSnapshot.code = code;
  });
  RenderPreview(false);
  return kNoErr;
}

void CDTSubEditor::StoreTarget() {
  WithTargetSet(true, [this](const SSetFields& set) {
    *set.angleXY = Word(GetReadout(kAngleXY));
    *set.angleYZ = Word(GetReadout(kAngleYZ));
    for (uint32_t i = 0; i < 3; ++i) set.frequency[i] = Word(GetReadout(kFrequencyX + i));
    const int32_t octaves = std::clamp(Word(GetReadout(kOctaves)), 0, kCodeOctaveLimit);
    // The last lit button gives the dimension; none lit keeps the code's.
    int32_t dimension = *set.code & 3;
    for (uint32_t d = 0; d < kDimensions; ++d) {
      CImElement* button = fControls[kDTSubDimensionOne + d];
      const CIxImage* states = button ? button->GetImageList() : nullptr;
      if (states && states->Selected() != kOff) dimension = int32_t(d);
    }
    *set.code = PackComponentCode(dimension, Word(fControls[kDTSubNoiseType]), octaves, Word(fControls[kDTSubMode]));
    *set.octaves = octaves;
    *set.dimension = dimension;
  });
}

void CDTSubEditor::RestoreTarget() {
  WithTargetSet(true, [this](const SSetFields& set) {
    *set.angleXY = fSnapshot.angleXY;
    *set.angleYZ = fSnapshot.angleYZ;
    std::copy(std::begin(fSnapshot.frequency), std::end(fSnapshot.frequency), set.frequency);
    *set.code = fSnapshot.code;
    DecodeCounts(fSnapshot.code, set);
  });
}

// Runs work on the target set under the texture's lock; nothing without a texture that locks or a
// pair that names a set.
template <typename Work>
void CDTSubEditor::WithTargetSet(bool changed, Work work) {
  if (!fTexture) return;
  CHolder held(fTexture, changed, false);
  SSetFields set{};
  if (held.IsLocked() && FindSet(fTexture->GetTextureData(), fTargetGroup.c_str(), fTargetElement.c_str(), &set))
    work(set);
}

// ---- the handler

int32_t CDTSubEditor::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return 0;
  const char* own = kDTSubEditor.canvas.name;
  const char* element = message->elementName;
  if (message->kind == 0 && Same(message->canvasName, own)) {
    if (Same(element, kDTSubControls[kDTSubCancel].name)) {
      RestoreTarget();
      Close();
      return 0;
    }
    if (Same(element, kDTSubControls[kDTSubOk].name)) {
      Close();
      return 0;
    }
  }
  if (!Same(message->canvasName, own)) {
    if (message->kind != 0 || !Same(element, own)) return CUIHostCanvas::HandleEvent(message);
    Refresh(false);
    return kHandled;
  }
  if (Same(element, kDTSubControls[kDTSubNoiseType].name)) ChooseFromMenu(message->firstPoint, kNoiseMenu);
  else if (Same(element, kDTSubControls[kDTSubMode].name)) ChooseFromMenu(message->firstPoint, kModeMenu);
  StoreTarget();
  RenderPreview(false);
  return CUIHostCanvas::HandleEvent(message);
}

void CDTSubEditor::ChooseFromMenu(SPointHV point, int which) {
  CImElement* strip = fControls[which == kNoiseMenu ? kDTSubNoiseType : kDTSubMode];
  ChooseStripRow(GetMenu(which), strip, point, GetWindow());
}

// ---- the controls

CTxElement* CDTSubEditor::GetReadout(uint32_t readout) const {
  return readout < kDTSubReadoutCount ? static_cast<CTxElement*>(fControls[kDTSubAngleXYVal + readout]) : nullptr;
}

void CDTSubEditor::SetReadout(CTxElement* readout, const char* text) { ShowCentredText(readout, text, true); }

void CDTSubEditor::ShowValue(uint32_t readout, int32_t value) {
  CTxElement* element = GetReadout(readout);
  if (!element) return;
  element->SetUserWord(0, uint32_t(value));
  char text[32];
  std::snprintf(text, sizeof text, kReadouts[readout].format, long(value));
  SetReadout(element, text);
}

void CDTSubEditor::MoveValue(uint32_t readout, int64_t delta) {
  const SReadout& range = kReadouts[readout];
  const int32_t value = Word(GetReadout(readout));
  if (value < range.lower || value > range.upper) return;
  ShowValue(readout, int32_t(std::clamp<int64_t>(value + delta, range.lower, range.upper)));
}

void CDTSubEditor::ShowDimension(int32_t dimension) {
  if (dimension < 0 || dimension >= int32_t(kDimensions)) return;
  for (uint32_t d = 0; d < kDimensions; ++d) {
    if (CImElement* button = fControls[kDTSubDimensionOne + d])
      button->SelectEntry(int32_t(d) == dimension ? kOn : kOff, false, false, true);
  }
}

SComponentPreviewParams CDTSubEditor::PreviewParams() const {
  SComponentPreviewParams params;
  params.noiseType = int8_t(Word(fControls[kDTSubNoiseType]));
  params.dimension = fDimension;
  params.octaves = Word(GetReadout(kOctaves));
  params.mode = int8_t(Word(fControls[kDTSubMode]));
  params.angleXY = Word(GetReadout(kAngleXY));
  params.angleYZ = Word(GetReadout(kAngleYZ));
  for (uint32_t i = 0; i < 3; ++i) params.frequency[i] = Word(GetReadout(kFrequencyX + i));
  return params;
}

void CDTSubEditor::RenderPreview(bool fast) {
  CImElement* image = fControls[kDTSubImage];
  if (!image) return;
  const SComponentPreviewParams params = PreviewParams();
  if (fast) RenderFastComponentPreview(image->GetImage(), params);
  else RenderComponentPreview(image->GetImage(), params);
  image->Redraw(false);
  UpdateNow();
}

CDTSubEditor* CDTSubEditor::EditorOf(CElement* element) {
  CElement* top = element;
  while (top && top->GetParent()) top = top->GetParent();
  auto* root = dynamic_cast<CHoElement*>(top);
  return root ? dynamic_cast<CDTSubEditor*>(root->GetHostCanvas()) : nullptr;
}

int32_t CDTSubEditor::Post(CElement* element, SPointHV point) {
  CElement* handled = nullptr;
  return UIHostPostElementMessage(element, &handled, point, nullptr);
}

// ---- press callbacks

int32_t CDTSubEditor::OnPlainPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  return Post(element, point);
}

int32_t CDTSubEditor::OnDimensionPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTSubEditor* self = EditorOf(element);
  if (!self) return Post(element, point);
  for (uint32_t d = 0; d < kDimensions; ++d) {
    if (self->fControls[kDTSubDimensionOne + d] != element) continue;
    self->ShowDimension(int32_t(d));
    self->fDimension = int32_t(d);
  }
  self->RenderPreview(false);
  return Post(element, point);
}

int32_t CDTSubEditor::OnValueDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTSubEditor* self = EditorOf(element);
  uint32_t readout = kDTSubReadoutCount;
  for (uint32_t r = 0; self && r < kDTSubReadoutCount; ++r) {
    if (self->GetReadout(r) == element) readout = r;
  }
  if (readout == kDTSubReadoutCount) return Post(element, point);
  WhileButtonHeld([&](SPointHV now, SPointHV last) {
    self->MoveValue(readout, int64_t(last.v) - now.v);
    self->RenderPreview(false);
  });
  return Post(element, point);
}

int32_t CDTSubEditor::OnStepDown(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTSubEditor* self = EditorOf(element)) self->Step(element, -1);
  return Post(element, point);
}

int32_t CDTSubEditor::OnStepUp(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTSubEditor* self = EditorOf(element)) self->Step(element, 1);
  return Post(element, point);
}

// A step is taken only from a value within -360 to 360, whatever the readout.
void CDTSubEditor::Step(CElement* button, int32_t direction) {
  for (uint32_t r = 0; r < kDTSubReadoutCount; ++r) {
    if (button != fControls[(direction < 0 ? kDTSubAngleXYDec : kDTSubAngleXYInc) + r]) continue;
    const int32_t value = Word(GetReadout(r));
    if (value >= -kAngleLimit && value <= kAngleLimit) {
      const int32_t lower = r == kOctaves ? 0 : -kAngleLimit;
      const int32_t upper = r == kOctaves ? kOctaveLimit : kAngleLimit;
      ShowValue(r, std::clamp(value + direction, lower, upper));
    }
  }
  RenderPreview(false);
}

int32_t CDTSubEditor::OnRotateDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTSubEditor* self = EditorOf(element)) {
    WhileButtonHeld([self](SPointHV now, SPointHV last) {
      self->MoveValue(kAngleXY, int64_t(last.h) - now.h);
      self->MoveValue(kAngleYZ, int64_t(last.v) - now.v);
      self->RenderPreview(!IsAltHeld());
    });
  }
  return Post(element, point);
}

int32_t CDTSubEditor::OnTranslateDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTSubEditor* self = EditorOf(element)) {
    WhileButtonHeld([self](SPointHV now, SPointHV last) {
      for (uint32_t i = 0; i < 3; ++i) self->MoveValue(kFrequencyX + i, int64_t(last.v) - now.v);
      self->RenderPreview(!IsAltHeld());
    });
  }
  return Post(element, point);
}
