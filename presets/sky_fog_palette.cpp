#include "presets/sky_fog_palette.h"

#include <cstring>
#include <new>
#include <optional>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/sky_action.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "presets/sky_fog_controls.h"
#include "presets/sky_fog_drawing.h"
#include "scene/base_spool_table.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_evaluate.h"

namespace {

CSkyFogPalette* gCurrent = nullptr;
const SSkyFogSwatchPresses* gSwatchPresses = nullptr;

constexpr uint32_t kNamedMessage = 0;
constexpr uint32_t kChanged = 3;
constexpr uint32_t kWhiteSwatch = 0xFFFFFFFF;
constexpr uint32_t kOpaque = 0xFF000000;
// The menus' codes.
constexpr uint32_t kAutoRender = FourCC("auto");
constexpr uint32_t kLinkSun = FourCC("lsun");
constexpr uint32_t kStratus = FourCC("strt");
constexpr uint32_t kCumulus = FourCC("cuml");
constexpr uint32_t kEditSkyFog = FourCC("es&f");
constexpr uint32_t kResetSky = FourCC("rsky");

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The stratus layer's texture that the cloud profile samples.
constexpr int kProfileLayer = 0;

// The edit state's colour of each swatch after the sky mode's, in need::kSkyFogSwatches order.
constexpr CImVector CSkyParams::*kSwatchColours[CSkyFogPalette::kSwatchCount] = {
    nullptr,
    &CSkyParams::shadowColor,
    &CSkyParams::fogColor,
    &CSkyParams::hazeColor,
    &CSkyParams::cloudHeightColor,
    &CSkyParams::cloudCoverColor,
    &CSkyParams::sunColor,
};

using sky_fog_controls::kChanging;
using sky_fog_controls::kDotHolds;
using sky_fog_controls::kDotNumberWord;
using sky_fog_controls::kEditSkyFogMessage;
using sky_fog_controls::kValueStrips;
using sky_fog_controls::SValueStrip;

// Looked up, its callbacks left as the build set them.
CImElement* FindImage(CUIHostCanvas& palette, const SLayoutNeed& need) {
  CElement* found = nullptr;
  CElSystem::FindByName(palette.GetRoot(), need.name, &found);
  return AsImage(found);
}

// Picture n of a strip: the element's state and its list's entry.
void ShowStripEntry(CImElement* strip, int32_t entry) {
  if (strip && entry >= 0) strip->SelectEntry(uint32_t(entry), false, false, true);
}

uint32_t StripCount(CImElement* strip) {
  CIxImage* list = strip ? strip->GetImageList() : nullptr;
  return list ? list->Count() : 0;
}

// "objinfochanged": the scene changed.
constexpr uint32_t kSceneChanged = 4;
// The state flags a reset sun light gets.
constexpr uint32_t kResetSunStateFlags = 0x100 | C3dLight::kNoFalloff;

// The first 'sunl' of a locked light table, or none.
C3dSunLight* FindSun(C3dBaseSpoolTable* lights) {
  for (uint32_t i = 0; i < lights->GetCount(); ++i) {
    C3dBase* light = lights->At(i);
    if (light && light->GetClass() == C3dSunLight::kClassTag) return static_cast<C3dSunLight*>(light);
  }
  return nullptr;
}

SSunFields SunFieldsOf(const C3dSunLight& sun) {
  return {sun.GetColour(), sun.GetSunColour(), sun.GetSecondSunColour(), sun.GetDirection()};
}

void StoreSunFields(const SSunFields& fields, C3dSunLight* sun) {
  sun->SetColour(fields.colour);
  sun->SetSunColour(fields.sunColour);
  sun->SetSecondSunColour(fields.secondColour);
  sun->SetDirection(fields.direction);
}

// The scene's sky, light table and sun light locked together, or none of them.
class CSceneSkyLock {
 public:
  explicit CSceneSkyLock(CDocumentHost* host) {
    C3dSky* sky = host ? host->GetSky() : nullptr;
    C3dBaseSpoolTable* lights = host ? host->GetHostLightList() : nullptr;
    if (!sky || !lights) return;
    fSky.emplace(sky, true, false);
    if (!fSky->IsLocked()) return;
    fLights.emplace(lights, true, false);
    if (!fLights->IsLocked()) return;
    C3dSunLight* sun = FindSun(lights);
    if (!sun) return;
    fSun.emplace(sun, true, false);
    if (fSun->IsLocked()) {
      fSkyObject = sky;
      fSunObject = sun;
    }
  }
  // Released in reverse order of locking.
  ~CSceneSkyLock() {
    fSun.reset();
    fLights.reset();
    fSky.reset();
  }

  bool IsLocked() const { return fSunObject != nullptr; }
  C3dSky* Sky() const { return fSkyObject; }
  C3dSunLight* Sun() const { return fSunObject; }

 private:
  std::optional<CHolder> fSky;
  std::optional<CHolder> fLights;
  std::optional<CHolder> fSun;
  C3dSky* fSkyObject = nullptr;
  C3dSunLight* fSunObject = nullptr;
};

}  // namespace


const SSkyFogSwatchPresses* GetSkyFogSwatchPresses() { return gSwatchPresses; }

void SetSkyFogSwatchPresses(const SSkyFogSwatchPresses* presses) { gSwatchPresses = presses; }

CSkyFogPalette* GetCurrentSkyFogPalette() { return gCurrent; }

CSkyFogPalette::CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSkyFogPalette) {
  const CViewDotItem empty{};
  for (uint32_t i = 0; i < kDotCount; ++i) fDots.Append(empty);
  gCurrent = this;
}

CSkyFogPalette::~CSkyFogPalette() {
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  fTracker.DropHot();
  delete fPending;
  FreeOwnPictures();
  if (gCurrent == this) gCurrent = nullptr;
}

void CSkyFogPalette::SetOwner(CDocumentHost* host) { fHost = host; }

// ---- the build

void CSkyFogPalette::FreeOwnPictures() {
  for (SOwnPicture& own : fOwn) {
    if (own.element) own.element->SetImage(nullptr, false, false, true, false);
    own.element = nullptr;
    own.image.reset();
  }
}

int32_t CSkyFogPalette::BindOwnPicture(uint32_t slot, const char* name, ElPressCallback press, ElHoverCallback hover) {
  CElement* found = nullptr;
  BindElementRef(name, &found, press, hover, nullptr);
  SOwnPicture& own = fOwn[slot];
  own.element = AsImage(found);
  if (!own.element) return kErrObjectNotFound;
  const SRect& rect = found->GetRect();
  int32_t err = kNoErr;
  own.image.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
  if (!own.image || !own.image->Fill(kWhiteSwatch)) {
    own.image.reset();
    return kErrOutOfMemory;
  }
  return own.element->SetImage(own.image.get(), false, true, true, true);
}

int32_t CSkyFogPalette::BuildControls(CResourceEnv* environment) {
  fTracker.ForgetHot();
  FreeOwnPictures();
  fSkyMode = nullptr;
  fSelectedDot = nullptr;
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindControls();
  return RegisterPaletteWatch(*this, &CSkyFogPalette::HoverTick) ? kNoErr : kErrFailedCreation;
}

// A control the layout lacks stays without callbacks; the palette works with the rest.
void CSkyFogPalette::BindControls() {
  using namespace sky_fog_controls;
  for (const SLayoutNeed* tab : {&need::kSkyFogTabs[0], &need::kSkyFogTabs[1]})
    SetOpacityOf(BindControl(*this, *tab, &OnTabTextPress, &OnTabTextHover), 0.0f, false);
  BindElement(need::kSkyFogTabs[2].name, nullptr, nullptr, nullptr);
  for (const SLayoutNeed& plopUp : need::kSkyFogPlopUps) BindControl(*this, plopUp, &OnPlopupPress, &OnPlopupHover);
  fSkyMode = AsImage(BindControl(*this, need::kSkyModeStrip, &OnSkyModePress, &OnControlHover));
  for (const SValueStrip& strip : kValueStrips) BindControl(*this, *strip.need, &OnValueDrag, &OnControlHover);
  BindControl(*this, need::kFogStrip, &OnFogDrag, &OnControlHover);
  const ElPressCallback eyedropperEx = gSwatchPresses ? gSwatchPresses->eyedropperEx : nullptr;
  for (uint32_t i = 0; i < kSwatchCount; ++i)
    BindOwnPicture(i, need::kSkyFogSwatches[i].name, eyedropperEx, &OnControlHover);
  if (fOwn[0].element) fOwn[0].element->SetPressCallback(&OnSkyModeSwatchPress);
  BindOwnPicture(kProfilePicture, need::kCloudProfile.name, &OnProfilePress, &OnControlHover);
  BindOwnPicture(kSunPicture, need::kSunControl.name, &OnProfilePress, &OnSunControlHover);
  if (CImElement* sun = fOwn[kSunPicture].element) sun->SetDrawCallback(&OnSunControlDraw);
  BindControl(*this, need::kSkyRandomize, &UIHostTrackButton, &OnPulseButtonHover);
  BindControl(*this, need::kSunMoon, &OnSunMoonPress, &OnControlHover);
  BindControl(*this, need::kSkyModeMenuButton, &OnMenuPress, &OnControlHover);
  BindControl(*this, need::kSkyFogMenuButton, &OnMenuPress, &OnPulseButtonHover);
  for (uint32_t dot = 6; dot-- > 0;) {
    if (CElement* element = BindControl(*this, need::kSkyDots[dot], &OnSkyDotPress, &OnControlHover))
      element->SetUserWord(kDotNumberWord, dot);
  }
}

// ---- messages

int32_t CSkyFogPalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (Is(message->canvasName, need::kEditSkyFog.canvas.name) && Is(message->elementName, kOkButtonName)) {
    ApplySky(false, false, true);
    ShowEditState();
    return kHandled;
  }
  if (message->kind == kNamedMessage && Is(message->elementName, need::kSkyFogTabs[2].name)) {
    Activate();
    Show();
    UpdateNow();
    return kHandled;
  }
  if (Is(message->canvasName, need::kSkyFogPalette.name)) {
    if (message->kind == kNamedMessage) {
      bool handled = false;
      const int32_t answer = HandleControlPress(*message, &handled);
      if (handled) return answer;
    } else if (message->kind == kChanging || message->kind == kChanged) {
      if (const int32_t answer = HandleControlChange(*message)) return answer;
    }
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

// Kind 0 of the palette's controls: *handled when the message ends here.
int32_t CSkyFogPalette::HandleControlPress(const CUIMessage& message, bool* handled) {
  const char* name = message.elementName;
  *handled = true;
  for (uint32_t dot = 0; dot < 6; ++dot) {
    if (!Is(name, need::kSkyDots[dot].name)) continue;
    if (dot == 0) ResetSky();
    else PressSkyDot(uint32_t(message.GetPayloadWord(0)), message.GetPayloadWord(1) & 0xFF);
    return kHandled;
  }
  if (Is(name, need::kSkyModeMenuButton.name)) return RunSkyModeMenu(ScreenToCanvas(message.firstPoint)), kHandled;
  if (Is(name, need::kSkyFogMenuButton.name)) return RunSkyFogMenu(ScreenToCanvas(message.firstPoint)), kHandled;
  *handled = false;
  if (Is(name, need::kSkyRandomize.name)) {
    Randomize();
    ApplySky(false, true, true);
  } else if (Is(name, need::kSunControl.name)) {
    DrawSunControl();
  } else if (Is(name, need::kSunMoon.name)) {
    CSkyParams params = GetSkyEditState();
    params.isSun = params.isSun ? 0 : 1;
    StoreSkyEditState(params);
    ApplySky(false, true, true);
  }
  return kNoErr;
}

// Kinds 2 and 3 of the palette's controls: 26 when handled, else 0.
int32_t CSkyFogPalette::HandleControlChange(const CUIMessage& message) {
  const char* name = message.elementName;
  for (const SValueStrip& strip : kValueStrips) {
    if (Is(name, strip.need->name)) return ApplySky(false, true, true), kHandled;
  }
  if (Is(name, need::kFogStrip.name)) return ApplySky(false, true, true), kHandled;
  if (Is(name, need::kSunControl.name)) return DragSunControl(message.secondPoint), kHandled;
  if (Is(name, need::kCloudProfile.name)) return DragCloudProfile(message.secondPoint), kHandled;
  if (Is(name, need::kSkyModeStrip.name)) {
    ShowSkyModeSwatch();
    ApplySky(false, true, true);
    return kHandled;
  }
  for (uint32_t i = 0; i < kSwatchCount; ++i) {
    if (!Is(name, need::kSkyFogSwatches[i].name)) continue;
    CImVector colour;
    colour.value = uint32_t(message.GetPayloadWord(0)) & 0xFFFFFF;
    PickSwatchColour(i, colour);
    ApplySky(false, true, true);
    return kHandled;
  }
  return kNoErr;
}

// The picked colour into the swatch's field. On the sky mode swatch it is the flat colour in 'aoff'
// and, in 'cust', the band of the third where the press was; on a band's edge it is none.
void CSkyFogPalette::PickSwatchColour(uint32_t swatch, CImVector colour) {
  CSkyParams params = GetSkyEditState();
  if (swatch != 0) {
    params.*kSwatchColours[swatch] = colour;
    StoreSkyEditState(params);
    FillSwatch(fOwn[swatch].element, colour);
    if (kSwatchColours[swatch] == &CSkyParams::sunColor) DrawSunControl();
    return;
  }
  CImage* image = fOwn[0].image.get();
  if (params.skyMode == FourCC("aoff")) {
    params.flatSkyColor = colour;
  } else if (params.skyMode == FourCC("cust") && image) {
    const int32_t w = int32_t(image->GetWidth());
    const int32_t h = int32_t(image->GetHeight());
    const int32_t t1 = w / 3;
    const int32_t t2 = 2 * w / 3;
    const SPointHV at = fSkyModeSwatchPress;
    if (at.v > 0 && at.v < h) {
      if (at.h > 0 && at.h < t1) params.customColor1 = colour;
      else if (at.h > t1 && at.h < t2) params.customColor2 = colour;
      else if (at.h > t2 && at.h < w) params.customColor3 = colour;
    }
  }
  StoreSkyEditState(params);
  ShowSkyModeSwatch();
}

// ---- the sky dots

int32_t CSkyFogPalette::PressSkyDot(uint32_t number, bool alt) {
  if (number < 1 || number > kDotCount) return kNoErr;
  CViewDotItem& dot = fDots[number - 1];
  if (alt) {
    dot.filled = 0;
    return kNoErr;
  }
  if (!dot.filled) {
    dot.SetParams(GetSkyEditState());
    dot.filled = 1;
    return kNoErr;
  }
  StoreSkyEditState(dot.params);
  ShowEditState();
  ApplySky(false, true, true);
  return kNoErr;
}

// ---- the menus

int32_t CSkyFogPalette::RunSkyModeMenu(SPointHV point) {
  const uint32_t current = GetSkyEditState().skyMode;
  uint32_t ticked = 0;
  SMenuChoice choice;
  if (PopUpPaletteMenu(*this, need::kSkyModeMenu.number, point, [current, &ticked](CMenu& menu) {
        if (const uint32_t row = menu.FindItemIndex(current)) {
          menu.CheckItem(row, true, nullptr, true);
          ticked = current;
        }
      }, &choice))
    return kNoErr;
  if (!choice.row || choice.command == ticked) return kNoErr;
  CSkyParams params = GetSkyEditState();
  params.skyMode = choice.command;
  StoreSkyEditState(params);
  ShowStripEntry(fSkyMode, int32_t(choice.row) - 1);
  ShowSkyModeSwatch();
  ApplySky(false, true, true);
  return kNoErr;
}

void CSkyFogPalette::TickSkyFogMenu(CMenu& menu) const {
  const CSkyParams state = GetSkyEditState();
  const std::pair<uint32_t, bool> ticks[] = {
      {kAutoRender, fAutoRender}, {kLinkSun, fSunLinkedToCamera}, {kStratus, state.stratusOn != 0},
      {kCumulus, state.cumulusOn != 0}};
  for (const auto& [code, on] : ticks) {
    if (const uint32_t row = menu.FindItemIndex(code)) menu.CheckItem(row, on, nullptr, true);
  }
}

int32_t CSkyFogPalette::RunSkyFogMenu(SPointHV point) {
  SMenuChoice choice;
  if (PopUpPaletteMenu(*this, need::kSkyFogOptionsMenu.number, point, [this](CMenu& menu) { TickSkyFogMenu(menu); },
                       &choice))
    return kNoErr;
  if (!choice.row) return kNoErr;
  CSkyParams params = GetSkyEditState();
  switch (choice.command) {
    case kAutoRender: fAutoRender = !fAutoRender; return kNoErr;
    case kLinkSun: fSunLinkedToCamera = !fSunLinkedToCamera; break;
    case kStratus: params.stratusOn = params.stratusOn ? 0 : 1; break;
    case kCumulus: params.cumulusOn = params.cumulusOn ? 0 : 1; break;
    case kEditSkyFog: {
      CUIMessage message;
      message.Init(kNamedMessage, kEditSkyFogMessage, nullptr, need::kSkyFogPalette.name, CUIMessage::kBroadcast);
      if (CHoElement* root = GetRoot()) root->SendMessageUp(&message, root);
      return kNoErr;
    }
    case kResetSky: ResetSky(); return kNoErr;
    default: return kNoErr;
  }
  StoreSkyEditState(params);
  ApplySky(false, true, true);
  return kNoErr;
}

// ---- the edit state against the scene

int32_t CSkyFogPalette::Update() {
  ++fUpdateCount;
  if (C3dSky* sky = fHost ? fHost->GetSky() : nullptr) {
    CHolder held(sky, false, false);
    if (held.IsLocked()) fUpdateSkyFlags = sky->GetSettings().flags;
  }
  return ApplySky(true, true, true);
}

int32_t CSkyFogPalette::CommitChange() { return ApplySky(false, true, false); }

int32_t CSkyFogPalette::ApplySky(bool fromScene, bool redraw, bool commit) {
  {
    CSceneSkyLock scene(fHost);
    if (!scene.IsLocked()) return kNoErr;
    C3dSky* sky = scene.Sky();
    C3dSunLight* sun = scene.Sun();
    if (fromScene) {
      CSkyParams params = GetSkyEditState();
      ReadSkyParams(sky->GetSettings(), SunFieldsOf(*sun), &params, &fSunLinkedToCamera);
      StoreSkyEditState(params);
      fHost->PrepareHostSky();
    } else {
      SettlePending(commit);
      const CSkyParams params = GetSkyEditState();
      WriteSkyParams(params, fSunLinkedToCamera, &sky->GetSettings());
      SSunFields fields = SunFieldsOf(*sun);
      WriteSunParams(params, &fields);
      StoreSunFields(fields, sun);
      fHost->PrepareHostSky();
      fHost->NotifyObjInfoChanged(kSceneChanged);
      if (commit) fHost->MarkUnsavedChanges();
    }
    if (!fPending) fPending = new (std::nothrow) CSkyAction(this);
  }
  // Shown once the scene is unlocked again: the cloud profile locks the sky itself.
  if (fromScene) {
    if (redraw) {
      ShowEditState();
      if (fAutoRender) fHost->ClearAndRender();
    }
    return kNoErr;
  }
  if (fSelectedDot) {
    ShowStripEntry(fSelectedDot, kDotHolds);
    fSelectedDot = nullptr;
  }
  if (fAutoRender) fHost->ClearAndRender();
  return kNoErr;
}

// The pending action holds the state before the change now made: pushed, it is the change's undo step
// (a failed push deletes it); otherwise it goes.
void CSkyFogPalette::SettlePending(bool push) {
  C3dDocument* document = push && fPending && fPending->IsValid() ? fHost->GetHostDocument() : nullptr;
  if (document) document->GetUndoHistory().Push(fPending);
  else delete fPending;
  fPending = nullptr;
}

void CSkyFogPalette::UpdateAndRedraw(bool commit) {
  ++fUpdateAndRedrawCount;
  ApplySky(false, true, commit);
  ShowEditState();
}

void CSkyFogPalette::Randomize() {
  StoreSkyEditState(RandomSkyParams(GetSkyEditState(), GetRandomState()));
  ShowEditState();
}

int32_t CSkyFogPalette::ResetSky() {
  {
    CSceneSkyLock scene(fHost);
    if (!scene.IsLocked()) return kNoErr;
    SettlePending(true);
    CSkyParams params = GetSkyEditState();
    params.stratusOn = params.cumulusOn = 0;
    StoreSkyEditState(params);
    scene.Sky()->InitDefaults();
    C3dSunLight* sun = scene.Sun();
    sun->InitDefaults();
    sun->ClearStateFlags(0xFFFFFFFF);
    sun->SetStateFlags(kResetSunStateFlags);
  }
  ApplySky(true, true, true);
  fHost->NotifyObjInfoChanged(kSceneChanged);
  fHost->MarkUnsavedChanges();
  return kNoErr;
}

// ---- the readouts

void CSkyFogPalette::ShowEditState() {
  const CSkyParams p = GetSkyEditState();
  ShowStripEntry(fSkyMode, int32_t(SkyModeIndex(p.skyMode)));
  ShowSkyModeSwatch();
  CImElement* strips[4] = {};
  for (uint32_t i = 0; i < 4; ++i) {
    strips[i] = FindImage(*this, *kValueStrips[i].need);
    ShowStripEntry(strips[i], StripPicture(p.*kValueStrips[i].field, int32_t(StripCount(strips[i]))));
  }
  CImElement* fog = FindImage(*this, need::kFogStrip);
  ShowStripEntry(fog, FogPicture(p.fogIntensity, p.fogHeight, int32_t(StripCount(fog))));
  for (uint32_t i = 1; i < kSwatchCount; ++i) FillSwatch(fOwn[i].element, p.*kSwatchColours[i]);
  DrawCloudProfile(p.cloudScale, p.cloudAmplitude);
  DrawSunControl();
  ShowStripEntry(FindImage(*this, need::kSunMoon), p.isSun ? 0 : 1);
}

int32_t CSkyFogPalette::FillSwatch(CImElement* swatch, CImVector colour) {
  CImage* image = swatch ? swatch->GetImage() : nullptr;
  if (!image) return kNoErr;
  image->ClipToBounds();
  image->Fill(kOpaque | colour.value);
  return swatch->Redraw(false);
}

void CSkyFogPalette::ShowSkyModeSwatch() {
  CImElement* swatch = fOwn[0].element;
  CImage* image = fOwn[0].image.get();
  if (!swatch || !image) return;
  const CSkyParams p = GetSkyEditState();
  if (p.skyMode != FourCC("cust") && p.skyMode != FourCC("aoff")) {
    if (swatch->IsShown()) swatch->Hide(true);
    return;
  }
  if (!swatch->IsShown()) swatch->Show(false);
  if (p.skyMode == FourCC("aoff")) {
    FillSwatch(swatch, p.flatSkyColor);
    return;
  }
  const int32_t w = int32_t(image->GetWidth());
  const int32_t h = int32_t(image->GetHeight());
  const int32_t bands[4] = {0, w / 3, 2 * w / 3, w};
  const CImVector colours[3] = {p.customColor1, p.customColor2, p.customColor3};
  for (uint32_t i = 0; i < 3; ++i) {
    image->SetClip({0, bands[i], h, bands[i + 1]});
    image->Fill(kOpaque | colours[i].value);
  }
  image->ClipToBounds();
  swatch->Redraw(false);
}

void CSkyFogPalette::DrawCloudProfile(int32_t cloudScale, int32_t cloudAmplitude) {
  CImElement* element = fOwn[kProfilePicture].element;
  CImage* image = fOwn[kProfilePicture].image.get();
  C3dSky* sky = fHost ? fHost->GetSky() : nullptr;
  if (!element || !image || !sky) return;
  CHolder skyLock(sky, false, false);
  C3dTexture* texture = skyLock.IsLocked() ? sky->GetCloudTexture(kProfileLayer) : nullptr;
  if (!texture) return;
  CHolder textureLock(texture, false, false);
  if (!textureLock.IsLocked()) return;
  const auto sample = [texture](double u, double v, double w) {
    return double(TextureResultAt(u, v, w, texture->GetTextureData()).value);
  };
  if (::DrawCloudProfile(image, GetSkyEditState().cloudHeight, cloudScale, cloudAmplitude, sample))
    element->Redraw(false);
}

void CSkyFogPalette::DrawSunControl(bool redraw) {
  CSkyParams params = GetSkyEditState();
  MapSunControlPoint(&params.sunPointX, &params.sunPointY, &params.sunDirection, true);
  StoreSkyEditState(params);
  DrawSunBallAt(params.sunPointX, params.sunPointY, redraw);
}

void CSkyFogPalette::DrawSunBallAt(int32_t pointX, int32_t pointY, bool redraw) {
  CImElement* element = fOwn[kSunPicture].element;
  CImage* image = fOwn[kSunPicture].image.get();
  if (!element || !image || !DrawSunBall(image, pointX, pointY, GetSkyEditState().sunColor) || !redraw) return;
  // The redraw runs the control's draw callback, which would start this drawing again.
  fDrawingSun = true;
  element->Redraw(false);
  fDrawingSun = false;
}
