#include "panels/edit_light.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editing/document_host.h"
#include "editing/light_action.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "panels/gel_pictures.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "platform/clock.h"
#include "presets/obj_mat_presets.h"
#include "render/preview_scene.h"
#include "scene/factory.h"
#include "scene/light.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"

namespace {

constexpr uint32_t kPreviewImageTag = FourCC("imag");
constexpr uint32_t kVisibleCommand = FourCC("visi");
constexpr uint32_t kNoShadowsCommand = FourCC("disa");
constexpr uint32_t kInfiniteCommand = FourCC("infi");
constexpr uint32_t kScenePreviewCommand = FourCC("rscn");
constexpr uint32_t kNeutralPreviewCommand = FourCC("rntr");
constexpr uint32_t kRemoveGelCommand = FourCC("rgel");
// The material's flag bit that tells a light's material it changed (the lights' glass-like bit).
constexpr uint32_t kMaterialChanged = 4;
// The slider messages: a value while dragging, the value at the release.
constexpr uint32_t kSliderValue = 2;
constexpr uint32_t kSliderReleased = 3;
constexpr int32_t kPercentMax = 100;
constexpr uint32_t kWhite = 0xFFFFFF;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

C3dMaterial* MaterialOf(const C3dObject& object) {
  C3dMaterial* material = LookupHandleAs<C3dMaterial>(object.GetMaterial(), C3dMaterial::kFamily);
  return material && material->IsReady() ? material : nullptr;
}

bool IsSun(const C3dObject& object) { return object.GetClass() == C3dSunLight::kClassTag; }

vector3<float> ColourFloats(uint32_t colour) {
  const float unit = 1.0f / 255;
  return {float(colour >> 16 & 0xFF) * unit, float(colour >> 8 & 0xFF) * unit, float(colour & 0xFF) * unit};
}

// The colour into a light's material, which the lighting then knows changed. 0 or the lock's code.
int32_t SetMaterialColour(C3dMaterial& material, uint32_t colour) {
  CHolder held(&material, true, false);
  if (!held.IsLocked()) return NonZeroError(material.GetError());
  SMaterialSample& sample = material.GetRecord().sample;
  sample.diffuseColour = ColourFloats(colour);
  sample.flags |= kMaterialChanged;
  return kNoErr;
}


}  // namespace

// ---- values

void CEditLight::ReadLight(C3dLight& light, SLightValues* values) {
  values->intensity = int32_t(light.GetIntensity() * 5.0);
  const vector3<float> colour = light.GetColour();
  const auto level = [](float channel) { return uint32_t(std::clamp(int32_t(channel * 255.0f), 0, 255)); };
  values->colour = level(colour.x) << 16 | level(colour.y) << 8 | level(colour.z);
  const uint32_t state = light.GetStateFlags();
  values->visible = state & C3dLight::kVisible;
  values->noShadows = state & C3dLight::kCastsNoShadow;
  values->infinite = state & C3dLight::kUnboundedBeam;
  // The double of the round beams reads in double precision, the square beams' floats in single.
  if (auto* round = dynamic_cast<C3dRoundBeamLight*>(&light)) {
    values->softness = int32_t(round->GetExponent() * 0.2 * 100.0);
  } else if (auto* square = dynamic_cast<C3dSquareBeamLight*>(&light)) {
    values->softness = int32_t(square->GetExponentX() * 0.2f * 100.0f);
  }
}

void CEditLight::WriteLight(C3dLight& light, const SLightValues& values) {
  light.SetIntensity(values.intensity * kIntensityScale);
  light.SetColour(ColourFloats(values.colour));
  light.SetStateFlags(C3dLight::kVisible, values.visible);
  light.SetStateFlags(C3dLight::kCastsNoShadow, values.noShadows);
  light.SetStateFlags(C3dLight::kUnboundedBeam, values.infinite);
  const double softness = values.softness * kSoftnessScale;
  if (auto* round = dynamic_cast<C3dRoundBeamLight*>(&light)) round->SetExponent(softness);
  else if (auto* square = dynamic_cast<C3dSquareBeamLight*>(&light)) square->SetExponents(float(softness), float(softness));
}

uint32_t CEditLight::SliderFrame(uint32_t count, int32_t value) {
  if (count == 0 || value <= 0) return 0;
  const uint32_t last = count - 1;
  const uint32_t index = uint32_t(float(last) * float(value) * 0.01f + 1.0f);
  return std::min(index, last);
}

// ---- construction

CEditLight::CEditLight(CUICmFunction* owner, CResourceEnv* environment, CGelPictures* pictures,
                       CObjMatPresets* presets)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditLight),
      fPictures(pictures),
      fPresets(presets),
      fPreview(std::make_unique<CPreviewScene>()) {
  MakeGel();
}

CEditLight::~CEditLight() {
  FreeBuilt();
  fPreview.reset();
  if (fGel) fGel->ReleaseTextureRefs(true);
  delete fGel;
}

int32_t CEditLight::MakeGel() {
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  return C3dMaterial::New(&fGel, nullptr, key, spec);
}

void CEditLight::FreeBuilt() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  if (fColour) fColour->SetImage(nullptr, false, false, true, false);
  fColour = nullptr;
  fSwatch.reset();
  if (fPreviewElement) ReleaseHandle(fPreviewElement->SetUserWord(0, 0));
  fPreviewElement = nullptr;
  fIntensity = fSoftness = nullptr;
  fStatus = nullptr;
}

int32_t CEditLight::BuildPreview() {
  CElement* element = nullptr;
  BindElementRef(need::kLightPreview.name, &element, nullptr, nullptr, nullptr);
  fPreviewElement = dynamic_cast<CImElement*>(element);
  if (!fPreviewElement) return kErrUnexpectedType;
  fPreviewElement->SetDrawCallback(&DrawPreview);
  SRect local;
  fPreviewElement->GetLocalRect(&local);
  fPreviewElement->LocalToAncestorRect(&fPreviewRect, local, nullptr);
  // A build after a failed one starts from a new scene.
  if (fPreview->GetImage()) fPreview = std::make_unique<CPreviewScene>();
  if (const int32_t err = fPreview->BuildSample(RectWidth(fPreviewRect), RectHeight(fPreviewRect), true, true,
                                                CPreviewScene::kSelection))
    return err;
  fPreviewElement->SetUserWord(0, RegisterHandle(fPreview->GetImage(), kPreviewImageTag));
  return kNoErr;
}

void CEditLight::MakeSwatch() {
  CElement* element = nullptr;
  BindElementRef(need::kLightColor.name, &element, nullptr, nullptr, nullptr);
  auto* swatch = dynamic_cast<CImElement*>(element);
  if (!swatch) return;
  const SRect& rect = swatch->GetRect();
  int32_t err = kNoErr;
  fSwatch.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
  // Without its picture the swatch is left out and the editor goes on.
  if (!fSwatch || !fSwatch->Fill(0xFF000000 | kWhite)) {
    fSwatch.reset();
    return;
  }
  swatch->SetImage(fSwatch.get(), false, true, true, true);
  swatch->SetPressCallback(&ColorSwatchEyedropperEx);
  fColour = swatch;
}

int32_t CEditLight::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  if (!fPreview->IsReady() || !fGel) return kErrOutOfMemory;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  fHost = GetCurrentDocumentHost();
  if (const int32_t err = BuildPreview()) return err;
  BindElement(need::kLightTextureGels.name, &UIHostTrackButton, nullptr, nullptr);
  BindElement(need::kLightPictTextures.name, &UIHostTrackButton, nullptr, nullptr);
  CElement* slider = nullptr;
  BindElementRef(need::kLightIntensity.name, &slider, &TrackSlider, nullptr, nullptr);
  fIntensity = dynamic_cast<CImElement*>(slider);
  BindElementRef(need::kLightSoftness.name, &slider, &TrackSlider, nullptr, nullptr);
  fSoftness = dynamic_cast<CImElement*>(slider);
  MakeSwatch();
  BindElement(need::kLightOptions.name, &OnOptionsPress, nullptr, nullptr);
  CElement* status = nullptr;
  BindElementRef(need::kLightStatusText.name, &status, nullptr, nullptr, nullptr);
  fStatus = dynamic_cast<CTxElement*>(status);
  if (fStatus) fStatus->Hide(false);
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  // The editor's own heartbeat renders its preview in place of the canvas's hover poll.
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &OnHeartbeat) ? kNoErr : kErrFailedCreation;
}

// ---- the selection

int32_t CEditLight::LoadGel(C3dLight& light) {
  C3dMaterial* material = MaterialOf(light);
  if (!material || !fGel) return kErrGeneric;
  {
    CHolder held(fGel, true, false);
    if (!held.IsLocked()) return NonZeroError(fGel->GetError());
    if (const int32_t err = fGel->CopyWithTextureRefs(*material)) {
      fGel->ReleaseTextureRefs(true);
      return err;
    }
    fGel->GetRecord().sample.flags |= kMaterialChanged;
  }
  return kNoErr;
}

int32_t CEditLight::LoadSelection() {
  C3dBaseSys* table = fHost ? fHost->GetSceneTable() : nullptr;
  fGelEdited = false;
  fGelChanged = 0;
  uint32_t index = 0;
  C3dObject* object = nullptr;
  while (table && C3dObject::FindNextSelected(table, &object, &index) == kNoErr) {
    if (!object->IsLight()) continue;
    auto* light = static_cast<C3dLight*>(object);
    if (!IsSun(*light)) {
      const int32_t shown = fPreview->BuildObjectSample(CPreviewScene::kLight, light);
      if (shown != kNoErr && shown != kHandled) return shown;
    }
    {
      CHolder lock(light, false, false);
      if (!lock.IsLocked()) return kErrGeneric;
      ReadLight(*light, &fValues);
    }
    fOptions[kVisible] = fValues.visible;
    fOptions[kNoShadows] = fValues.noShadows;
    fOptions[kInfinite] = fValues.infinite;
    // A light without a material of its own leaves the gel as it was.
    if (MaterialOf(*light)) {
      if (const int32_t err = LoadGel(*light)) return err;
    }
    if (fIntensity) fIntensity->SetUserWord(0, uint32_t(fValues.intensity));
    if (fSoftness) fSoftness->SetUserWord(0, uint32_t(fValues.softness));
    ShowSlider(fIntensity, fValues.intensity);
    ShowSlider(fSoftness, fValues.softness);
    ShowColour();
    return kNoErr;
  }
  return kNoErr;
}

int32_t CEditLight::DressLight(C3dLight& light, bool withGel) {
  C3dMaterial* material = MaterialOf(light);
  if (!material || material == fGel) return kNoErr;
  if (!withGel) return SetMaterialColour(*material, fValues.colour);
  if (const int32_t err = SetMaterialColour(*fGel, fValues.colour)) return err;
  CHolder held(material, true, false);
  if (!held.IsLocked()) return NonZeroError(material->GetError());
  if (const int32_t err = material->CopyWithTextureRefs(*fGel)) return err;
  material->GetRecord().sample.flags |= kMaterialChanged;
  return kNoErr;
}

int32_t CEditLight::Commit() {
  C3dBaseSys* table = fHost ? fHost->GetSceneTable() : nullptr;
  if (!table) return kErrObjectNotFound;
  const bool withGel = fGelEdited || fGelChanged;
  std::unique_ptr<CLightAction> action(new (std::nothrow) CLightAction);
  if (action && !action->IsValid()) action.reset();
  uint32_t index = 0, recorded = 0;
  C3dObject* object = nullptr;
  bool changed = false;
  int32_t err = kNoErr;
  while (!err && C3dObject::FindNextSelected(table, &object, &index) == kNoErr) {
    if (!object->IsLight() || IsSun(*object)) continue;
    auto* light = static_cast<C3dLight*>(object);
    // Without memory for the undo step the lights change all the same.
    if (action && action->AddObject(light, true)) action.reset();
    else if (action) ++recorded;
    {
      CHolder lock(light, true, false);
      if (!lock.IsLocked()) {
        err = kErrGeneric;
        break;
      }
      WriteLight(*light, fValues);
      light->SetStateFlags(kEdited);
    }
    changed = true;
    err = DressLight(*light, withGel);
  }
  const int32_t pushed = FinishSceneEdit(fHost, action && recorded ? action.release() : nullptr, changed);
  return err ? err : pushed;
}

int32_t CEditLight::SyncSelection(bool load) { return load ? LoadSelection() : Commit(); }

// ---- the preview

void CEditLight::RestartPreview() { fPreview->RestartRender(); }

// The preview's light takes the editor's values and wears the gel.
int32_t CEditLight::RefreshLights() {
  auto* light = fPreview->GetShapeCode() == CPreviewScene::kLight ? dynamic_cast<C3dLight*>(fPreview->GetCopy())
                                                                   : nullptr;
  int32_t err = kNoErr;
  if (light && fGel) {
    CHolder lock(light, true, false);
    if (!lock.IsLocked()) return kErrGeneric;
    SLightValues values = fValues;
    values.visible = fOptions[kVisible];
    values.noShadows = fOptions[kNoShadows];
    values.infinite = fOptions[kInfinite];
    WriteLight(*light, values);
    err = SetMaterialColour(*fGel, fValues.colour);
    light->SetMaterial(fGel->GetHandle());
  }
  RestartPreview();
  return err;
}

void CEditLight::SetUpPreview() {
  const bool ownSky = !fOptions[kScenePreview];
  if (fPreview->UsesOwnSky() != ownSky) fPreview->PerformCommand(CPreviewScene::kOwnSky);
  else fPreview->Refresh();
}

int32_t CEditLight::DrawPreview(CElement* element, uint32_t pass, CImage* port) {
  return DrawHeldImage(element, pass, port, kPreviewImageTag);
}

int32_t CEditLight::OnHeartbeat(void* editor, void* record, void*) {
  auto* self = static_cast<CEditLight*>(editor);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CAppl* app = GetApplication();
  CHoElement* root = self ? self->GetRoot() : nullptr;
  if (!self || !beat || beat->reserved1 || !app || self->IsStale() || !app->IsActive() || !root ||
      !root->AcceptsEvents(kEventMaskHover) || !root->IsShown() || !self->IsShown() ||
      !self->fPreview->IsRenderPending())
    return kNoErr;
  const int32_t result = self->fPreview->Render(self->GetDeviceContext(), self->fPreviewRect);
  // An interrupted render goes on at the next beat.
  return result == kSilentCode24 ? kNoErr : result;
}

// ---- controls

void CEditLight::ShowSlider(CImElement* slider, int32_t value) {
  CIxImage* frames = slider ? slider->GetImageList() : nullptr;
  if (!frames) return;
  slider->SelectEntry(SliderFrame(frames->Count(), value), false, false, true);
}

void CEditLight::ShowPercent(int32_t value) {
  if (!fStatus) return;
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(value));
  char* copy = CTxElement::NewText(text, std::strlen(text) + 1);
  if (!copy || fStatus->SetText(copy, true, false) != kNoErr) {
    if (copy && fStatus->GetText() != copy) CTxElement::FreeText(copy);
    return;
  }
  fStatus->SetPosition({0, 0}, false);
  SRect measured, box;
  fStatus->GetLocalRect(&box);
  if (fStatus->GetTextRect(&measured) == kNoErr) {
    fStatus->SetPosition({RectWidth(box) * 0.5f - RectWidth(measured) * 0.5f - float(measured.left),
                          RectHeight(box) * 0.5f - RectHeight(measured) * 0.5f - float(measured.top)},
                         false);
  }
  if (fStatus->IsShown()) fStatus->Redraw();
  else fStatus->Show(true);
}

void CEditLight::ShowColour() {
  if (!fColour) return;
  FillSwatchImage(fSwatch.get(), fValues.colour, 0);
  // The picker opens on the swatch's colour.
  fColour->SetUserWord(0, fValues.colour);
  fColour->Redraw();
}

int32_t CEditLight::TrackSlider(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CAppl* app = GetApplication();
  int32_t value = int32_t(element->GetUserWord(0));
  int32_t lastX = point.h;
  const auto send = [element](uint32_t kind, int32_t word) {
    CUIMessage message;
    message.InitFromElement(kind, element, 0);
    message.SetPayloadWord(0, word);
    element->SendMessageUp(&message, element);
  };
  while (app && app->IsStillDown()) {
    const platform::SPoint screen = app->GetCursorPos();
    SPointHV local;
    element->RootToLocalPoint(&local, {screen.x, screen.y});
    if (const int32_t delta = (local.h - lastX) / 2) {
      value = std::clamp(value + delta, 0, kPercentMax);
      lastX = local.h;
    }
    send(kSliderValue, value);
    platform::SleepMs(kPollMs);
  }
  element->SetUserWord(0, uint32_t(value));
  send(kSliderReleased, value);
  return kNoErr;
}

int32_t CEditLight::OnOptionsPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  SPointHV inCanvas;
  element->LocalToAncestorPoint(&inCanvas, point, nullptr);
  CUIMessage message;
  message.InitWithPoints(0, element, inCanvas, {}, 0);
  return element->SendMessageUp(&message, element);
}

std::unique_ptr<CMenu> CEditLight::LoadOptionsMenu(int32_t* error) {
  CAppl* app = GetApplication();
  const SLayoutNeed& need = app && app->IsAltDown() ? need::kLightOptionsGelMenu : need::kLightOptionsMenu;
  CMenu* loaded = nullptr;
  *error = CMenu::Load(GetResourceEnvironment(), need.number, &loaded, GetWindow());
  std::unique_ptr<CMenu> menu(loaded);
  if (*error || !menu) return nullptr;
  const auto check = [&menu](uint32_t command, bool on) {
    if (const uint32_t index = menu->FindItemIndex(command)) menu->CheckItem(index, on, nullptr, true);
  };
  check(kVisibleCommand, fOptions[kVisible]);
  check(kNoShadowsCommand, fOptions[kNoShadows]);
  check(kInfiniteCommand, fOptions[kInfinite]);
  check(kScenePreviewCommand, fOptions[kScenePreview]);
  check(kNeutralPreviewCommand, !fOptions[kScenePreview]);
  return menu;
}

int32_t CEditLight::RunOptionsMenu(SPointHV point) {
  int32_t err = kNoErr;
  std::unique_ptr<CMenu> menu = LoadOptionsMenu(&err);
  if (!menu) return err;
  uintptr_t chosen = 0;
  uint32_t row = 0;
  if (!menu->SelectItemAt(CanvasToScreen(point), GetWindow(), &chosen, &row)) return kNoErr;
  switch (uint32_t(chosen)) {
    case kVisibleCommand: fOptions[kVisible] = !fOptions[kVisible]; break;
    case kNoShadowsCommand: fOptions[kNoShadows] = !fOptions[kNoShadows]; break;
    case kInfiniteCommand: fOptions[kInfinite] = !fOptions[kInfinite]; break;
    case kRemoveGelCommand:
      fGel->ReleaseTextureRefs(true);
      fGelEdited = true;
      break;
    case kScenePreviewCommand:
    case kNeutralPreviewCommand:
      fOptions[kScenePreview] = uint32_t(chosen) == kScenePreviewCommand;
      SetUpPreview();
      break;
    default: return kNoErr;
  }
  fValues.visible = fOptions[kVisible];
  fValues.noShadows = fOptions[kNoShadows];
  fValues.infinite = fOptions[kInfinite];
  return RefreshLights();
}

int32_t CEditLight::OpenPresets() {
  if (!fPresets) return kHandled;
  if (const int32_t err = fPresets->BuildOnce()) return err;
  fPresets->AttachToEditor(fGel, &fGelChanged, need::kEditLight.canvas.name);
  fPresets->Show(true);
  fPresets->Refresh(false);
  return kHandled;
}

int32_t CEditLight::OpenPictures() {
  if (!fPictures) return kHandled;
  if (const int32_t err = fPictures->BuildGelPictures()) return err;
  fPictures->SetGelContext(need::kEditLight.canvas.name, fGel, &fGelChanged);
  CBaseTexture* texture = fGel->GetChannelTexture(0);
  auto* picture = texture && texture->GetClass() == CPictTexture::kClassTag ? static_cast<CPictTexture*>(texture)
                                                                           : nullptr;
  if (const int32_t err = fPictures->ShowGelPictures(picture)) return err;
  fPictures->OpenGelPictures();
  return kHandled;
}

// ---- opening and closing

int32_t CEditLight::Open() {
  if (IsShown()) {
    if (fGelChanged) {
      fGelEdited = true;
      fGelChanged = 0;
      RefreshLights();
    }
    return kNoErr;
  }
  if (const int32_t err = BuildOnce()) return err;
  fHost = GetCurrentDocumentHost();
  if (const int32_t err = SyncSelection(true)) return err;
  SetUpPreview();
  RefreshLights();
  Refresh(false);
  return kHandled;
}

int32_t CEditLight::Close(bool commit) {
  CLayoutHostCanvas::Close();
  if (commit) SyncSelection(false);
  fGel->ReleaseTextureRefs(true);
  return kHandled;
}

int32_t CEditLight::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditLight.canvas.name);
  if (message->kind == 0 && !own && Same(element, need::kEditLight.canvas.name)) return Open();
  if (!own || !IsShown()) return own ? kNoErr : CLayoutHostCanvas::HandleEvent(message);
  const int32_t value = message->GetPayloadWord(0);
  switch (message->kind) {
    case 0:
      if (Same(element, need::kLightTextureGels.name)) return OpenPresets();
      if (Same(element, need::kLightPictTextures.name)) return OpenPictures();
      if (Same(element, need::kLightOptions.name)) {
        RunOptionsMenu(message->firstPoint);
        return kHandled;
      }
      if (Same(element, need::kEditLight.ok.name) || Same(element, need::kEditLight.cancel.name))
        return Close(Same(element, need::kEditLight.ok.name));
      break;
    case kSliderValue:
    case kSliderReleased:
      if (Same(element, need::kLightIntensity.name) || Same(element, need::kLightSoftness.name)) {
        if (message->kind == kSliderReleased) {
          if (fStatus && fStatus->IsShown()) fStatus->Hide(true);
          return kHandled;
        }
        const bool intensity = Same(element, need::kLightIntensity.name);
        (intensity ? fValues.intensity : fValues.softness) = value;
        ShowSlider(intensity ? fIntensity : fSoftness, value);
        ShowPercent(value);
        RefreshLights();
        return kHandled;
      }
      // The picker answers the swatch with kind 3, the eyedropper with kind 2: both are a colour.
      if (Same(element, need::kLightColor.name)) {
        fValues.colour = uint32_t(value) & 0xFFFFFF;
        ShowColour();
        RefreshLights();
        return kHandled;
      }
      break;
    default: break;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
