// The material composer as a dialog: construction, the build from its layout, the keys, the presses
// and the idle task that renders the swatches and the preview.
#include "editors/material/material_composer.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "editing/material_action.h"
#include "editors/material/centred_text.h"
#include "editors/material/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/co_element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/color_picker.h"
#include "panels/text_edit_popup.h"
#include "render/preview_scene.h"
#include "scene/factory.h"
#include "scene/surface/material.h"
#include "scene/texture/noise.h"

namespace {

CMaterialComposer* gComposer = nullptr;

constexpr uint32_t kMarkerStartColour = 0x00FF0000;
constexpr uint32_t kTab = 9;
constexpr uint32_t kCopyTicks = 10;
constexpr uint32_t kPasteTicks = 2;
// The preview renderer: the antialias pass and its band on, one-pixel blocks after a first level of
// four (its own defaults are four and one).
constexpr uint32_t kPreviewBlockSize = 1;
constexpr uint32_t kPreviewInitialBlockSize = 4;
// A switched-off slider shows at this opacity, a field on a darker ground; a grid cell shows its state
// in its fill.
constexpr float kDimmedOpacity = 0.35f;
constexpr uint32_t kFieldOn = 0xFF20262E;
constexpr uint32_t kFieldOff = 0xFF383E46;
constexpr uint32_t kCellOn = 0xFF5A8FD0;
constexpr uint32_t kCellOff = 0xFF505862;

CAppl* App() { return GetApplication(); }

template <typename T>
T* As(CElement* element) {
  return dynamic_cast<T*>(element);
}

// The child of that name below the parent, bound with the callbacks; none when it is missing.
template <typename T>
T* Bind(CElement* parent, const SLayoutNeed& need, ElPressCallback press = nullptr) {
  CElement* found = nullptr;
  CUIHostCanvas::BindElementData(parent, need.name, &found, press, nullptr, nullptr);
  return As<T>(found);
}

// A slider's alpha and drawing images, which its user words 1 and 2 name.
void ReleaseSliderImages(CElement* slider) {
  if (!slider) return;
  ReleaseHandle(slider->SetUserWord(1, kNoHandle));
  ReleaseHandle(slider->SetUserWord(2, kNoHandle));
}

// The child of that name below the parent, its callbacks as they are.
template <typename T>
T* Find(CElement* parent, const SLayoutNeed& need) {
  CElement* found = nullptr;
  if (!parent || CElSystem::FindElement(parent->GetChildren(), need.name, &found, false) != kNoErr) return nullptr;
  return As<T>(found);
}

std::unique_ptr<CPreviewScene> MakePreview(bool* ready) {
  auto preview = std::make_unique<CPreviewScene>();
  *ready = preview->IsReady();
  if (*ready) {
    CPreviewRenderer& renderer = preview->GetRenderer();
    renderer.SetAntialias(true);
    renderer.SetBandHighlight(true);
    renderer.SetBlockSize(kPreviewBlockSize);
    renderer.SetInitialBlockSize(kPreviewInitialBlockSize);
  }
  return preview;
}

}  // namespace

CMaterialComposer::CMaterialComposer(CUICmFunction* owner, CResourceEnv* environment, CResourceEnv* textures,
                                     CPictTextures* pictTextures, CEdit3dTexture* quickEditor, CObjMatPresets* presets,
                                     CDTEditor* textureEditor)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kMaterialComposer.canvas),
      fPictTextures(pictTextures),
      fQuickEditor(quickEditor),
      fPresets(presets),
      fTextureEditor(textureEditor),
      fTextures(textures) {
  fPreview = MakePreview(&fPreviewReady);
  InitNoiseTables();
  gComposer = this;
  // Hovering the number pop-up's field keeps the preview rendering.
  CTextEditPopup::SetHoverOwner(this);
}

CMaterialComposer::~CMaterialComposer() {
  FreeBuilt(false);
  if (gComposer == this) {
    gComposer = nullptr;
    CTextEditPopup::SetHoverOwner(nullptr);
  }
}

CMaterialComposer* CMaterialComposer::GetCurrent() { return gComposer; }

// ---- switched-on elements

bool CMaterialComposer::IsSwitchedOn(const CElement* element) { return element && element->IsAlternate(); }

void CMaterialComposer::SwitchOn(CElement* element, bool on, bool redraw) {
  if (!element) return;
  if (on) element->SetAlternate(redraw);
  else element->ClearAlternate(redraw);
  if (auto* text = As<CTxElement>(element)) text->SetFillColor(CImVector{on ? kFieldOn : kFieldOff}, redraw);
  else if (auto* image = As<CImElement>(element)) image->SetOpacity(on ? 1.0f : kDimmedOpacity, redraw);
}

// A cell of the material grid shows whether it is chosen by its fill, which frames a colour marker's
// swatch.
void CMaterialComposer::SwitchCell(CElement* cell, bool on, bool redraw) {
  if (!cell) return;
  if (on) cell->SetAlternate(redraw);
  else cell->ClearAlternate(redraw);
  if (auto* filled = As<CCoElement>(cell)) filled->SetFillColor(CImVector{on ? kCellOn : kCellOff}, redraw);
}

uint32_t CMaterialComposer::ComponentTypeState(int c) const {
  CTxElement* type = fComponentTypes[c];
  CIxText* list = type ? type->GetTextList() : nullptr;
  return list && list->GetSelected() != CIxText::kNone ? list->GetSelected() : uint32_t(kNoTexture);
}

// ---- the build

int32_t CMaterialComposer::BuildControls(CResourceEnv* environment) {
  FreeBuilt(true);
  int32_t err = CLayoutHostCanvas::BuildControls(environment);
  if (!err) err = BindDialogElements();
  if (!err) err = MakeWorkingMaterial();
  if (!err) err = BuildValueControls();
  if (!err) {
    InitNoiseTables();
    err = RebuildTextureMenu();
  }
  if (!err && !SubscribeIdleTask()) err = kErrFailedCreation;
  if (err) FreeBuilt(true);
  return err;
}

int32_t CMaterialComposer::BindDialogElements() {
  CHoElement* root = GetRoot();
  if (!root) return kErrUnexpectedStatus;
  root->LayoutChildren(false);
  if (const int32_t err = BindMaterialGrid()) return err;
  if (const int32_t err = MakeSwatchImages()) return err;
  if (const int32_t err = BindPreview()) return err;
  if (const int32_t err = MakeMenus()) return err;
  BindComponents();
  BindButtons();
  fMetallicityText = Bind<CTxElement>(root, need::kComposerMetallicityText, &TrackNumberText);
  if (fMetallicityText) fMetallicityText->Hide(false);
  Bind<CElement>(root, need::kComposerMetallicityButton, &SendPress);
  fFrequencyBall = Bind<CImElement>(root, need::kComposerFrequencyBall, &TrackFrequencyBall);
  CElement* spec = Bind<CElement>(root, need::kComposerSpecAndRefraction);
  fSpecColor = Bind<CImElement>(spec, need::kComposerSpecColor, &ColorSwatchEyedropper);
  if (fSpecColor) fSpecColor->SetDrawCallback(&PaintSpecColor);
  const SLayoutNeed* specTexts[3] = {&need::kComposerSpecRed, &need::kComposerSpecGreen, &need::kComposerSpecBlue};
  for (int i = 0; i < 3; ++i) fSpecTexts[i] = Bind<CTxElement>(spec, *specTexts[i], &TrackNumberText);
  fRefractionIndex = Bind<CTxElement>(spec, need::kComposerRefractionIndex, &TrackNumberText);
  fShadingMode = Bind<CTxElement>(root, need::kComposerShadingMode, &SendPress);
  Bind<CElement>(root, need::kComposerPreviewOptions, &SendPress);
  fMaterialPresets = Bind<CElement>(root, need::kComposerMaterialPresets, &SendPress);
  return kNoErr;
}

// The grid's colour markers take their colour from the eyedropper and paint it into their picture.
int32_t CMaterialComposer::BindMaterialGrid() {
  fMaterialGrid = Bind<CElement>(GetRoot(), need::kComposerMaterialGrid, &TrackGrid);
  for (int i = 0; i < kChannelCount; ++i) {
    const bool colour = i >= kValueChannelCount;
    fFlatMarkers[i] = Bind<CElement>(fMaterialGrid, need::kComposerFlatMarkers[i],
                                     colour ? &ColorSwatchEyedropper : nullptr);
    if (!colour || !fFlatMarkers[i]) continue;
    fFlatMarkers[i]->SetUserWord(0, kMarkerStartColour);
    fFlatMarkers[i]->SetDrawCallback(&PaintColorMarker);
  }
  return kNoErr;
}

// One image each for the colour, alpha and bump swatches, the size of component a's colour swatch.
int32_t CMaterialComposer::MakeSwatchImages() {
  fMaterialComponents = Find<CElement>(GetRoot(), need::kComposerMaterialComponents);
  CElement* sample = Find<CElement>(fMaterialComponents, need::kComposerComponentColors[0]);
  if (!sample) return kNoErr;
  const SRect& rect = sample->GetRect();
  for (std::unique_ptr<CImage>& image : fSwatchImages) {
    int32_t err = kNoErr;
    image.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
    if (!image) return err == kErrOutOfMemory ? kErrOutOfMemory : NonZeroError(err);
    image->Fill(0);
  }
  return kNoErr;
}

int32_t CMaterialComposer::BindPreview() {
  fMaterialPreview = Bind<CImElement>(GetRoot(), need::kComposerMaterialPreview, &SendPress);
  if (!fMaterialPreview) return kNoErr;
  fMaterialPreview->SetDrawCallback(&PaintPreview);
  fPreviewRect = WindowRect(fMaterialPreview);
  if (!fPreviewReady) return kErrOutOfMemory;
  if (const int32_t err = fPreview->BuildSample(RectWidth(fPreviewRect), RectHeight(fPreviewRect), true, true,
                                                CPreviewScene::kSelection))
    return err;
  fMaterialPreview->SetUserWord(0, RegisterHandle(fPreview->GetImage(), kImageHandleTag));
  return kNoErr;
}

// The textures menu and the pictures menu: pop-ups of radio rows, filled when they are needed.
int32_t CMaterialComposer::MakeMenus() {
  for (auto [menu, id] : {std::pair{&fTextureMenu, kTextureMenuId}, std::pair{&fPictureMenu, kPictureMenuId}}) {
    SDynTableLayout layout;
    CMenu::MakeLayout(layout, nullptr, 0, 4);
    menu->reset(new CMenu(layout));
    if (!*menu) return kErrOutOfMemory;
    if (!(*menu)->IsUsable()) return NonZeroError((*menu)->GetError());
    (*menu)->SetMenuId(id);
    (*menu)->SetMenuFlags(CMenu::kMenuPopUp);
    if (const int32_t err = (*menu)->BuildPopupMenu()) return err;
  }
  return kNoErr;
}

void CMaterialComposer::BindComponents() {
  CElement* group = fMaterialComponents;
  for (int c = 0; c < kComponentCount; ++c) {
    fComponentColors[c] = Bind<CImElement>(group, need::kComposerComponentColors[c], &SendPress);
    fComponentAlphas[c] = Bind<CImElement>(group, need::kComposerComponentAlphas[c], &SendPress);
    fComponentBumps[c] = Bind<CImElement>(group, need::kComposerComponentBumps[c], &SendPress);
    CImElement* swatches[3] = {fComponentColors[c], fComponentAlphas[c], fComponentBumps[c]};
    for (int s = 0; s < 3; ++s) {
      if (swatches[s] && fSwatchImages[s]) swatches[s]->SetImage(fSwatchImages[s].get(), false, true, true, false);
    }
    if (fComponentColors[c]) {
      fComponentColors[c]->SetDrawCallback(&RestartSwatch);
      fComponentColors[c]->SetOptionFlags(kEventMaskDraw, true);
    }
    fComponentTypes[c] = Bind<CTxElement>(group, need::kComposerComponentTypes[c], &SendPress);
    fComponentNames[c] = Bind<CTxElement>(group, need::kComposerComponentNames[c], &SendPress);
    fComponentMappings[c] = Bind<CImElement>(group, need::kComposerComponentMappings[c], &SendPress);
  }
}

void CMaterialComposer::BindButtons() {
  CHoElement* root = GetRoot();
  CUIHostCanvas::BindElementData(root, need::kMaterialComposer.ok.name, nullptr, &UIHostTrackButton, nullptr,
                                 &UIHostOnReturnKey);
  CUIHostCanvas::BindElementData(root, need::kMaterialComposer.cancel.name, nullptr, &UIHostTrackButton, nullptr,
                                 &UIHostOnEscapeKey);
  for (const SLayoutNeed* button :
       {&need::kComposerCopy, &need::kComposerPaste, &need::kComposerReset, &need::kComposerRandomize})
    Bind<CElement>(root, *button, &UIHostTrackButton);
}

// A material of the composer's own in the objects environment, in no table, with its defaults.
int32_t CMaterialComposer::MakeWorkingMaterial() {
  CAppl* app = App();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  return C3dMaterial::New(&fMaterial, nullptr, key, spec);
}

bool CMaterialComposer::SubscribeIdleTask() {
  CAppl* app = App();
  if (!app) return false;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  return app->SubscribeHeartbeat(this, &IdleTask);
}

void CMaterialComposer::FreeBuilt(bool newPreview) {
  if (CAppl* app = App()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  for (int c = 0; c < kComponentCount; ++c) {
    for (CImElement* swatch : {fComponentColors[c], fComponentAlphas[c], fComponentBumps[c]}) {
      if (swatch) swatch->SetImage(nullptr, false, false, true, false);
    }
  }
  fUndo.Clear();
  // The preview's samples wear the working material: they go first.
  if (fMaterialPreview) ReleaseHandle(fMaterialPreview->GetUserWord(0));
  if (!newPreview) fPreview.reset();
  else if (fPreview && fPreview->GetImage()) fPreview = MakePreview(&fPreviewReady);
  if (fMaterial) {
    fMaterial->ReleaseTextureRefs(true);
    delete fMaterial;
    fMaterial = nullptr;
  }
  for (CImElement* slider : fFrequencySliders) ReleaseSliderImages(slider);
  for (CImElement* slider : fValueSliders) ReleaseSliderImages(slider);
  for (std::unique_ptr<CImage>& image : fSwatchImages) image.reset();
  fFrequencySliderImage.reset();
  fFrequencySliderAlpha.reset();
  fChannelSliderImage.reset();
  fChannelSliderAlpha.reset();
  fTextureMenu.reset();
  fPictureMenu.reset();
  ForgetElements();
}

void CMaterialComposer::ForgetElements() {
  fFrequencyValues = fChannelValues = fMaterialGrid = fMaterialComponents = fMaterialPresets = nullptr;
  fMetallicityText = fRefractionIndex = fShadingMode = nullptr;
  fSpecColor = fFrequencyBall = fMaterialPreview = nullptr;
  for (int i = 0; i < kComponentCount; ++i) {
    fFrequencySliders[i] = fComponentMappings[i] = fComponentColors[i] = fComponentAlphas[i] = fComponentBumps[i] =
        nullptr;
    fFrequencyTexts[i] = fComponentTypes[i] = fComponentNames[i] = nullptr;
  }
  for (int i = 0; i < kValueChannelCount; ++i) {
    fValueSliders[i] = nullptr;
    fValueTexts[i] = nullptr;
  }
  for (CElement*& marker : fFlatMarkers) marker = nullptr;
  for (CTxElement*& text : fSpecTexts) text = nullptr;
  for (CTxElement*& text : fTextRing) text = nullptr;
  fPreviewRect = SRect();
}

// ---- geometry and texts

SRect CMaterialComposer::WindowRect(CElement* element) const {
  SRect local, root;
  element->GetLocalRect(&local);
  element->LocalToAncestorRect(&root, local, nullptr);
  CHoElement* top = GetRoot();
  if (!top || element == top) return root;
  SRect canvas;
  top->LocalToParentRect(&canvas, root);
  return canvas;
}

void CMaterialComposer::ShowListEntry(CTxElement* element, uint32_t index, bool redraw) {
  CIxText* list = element ? element->GetTextList() : nullptr;
  if (!list || list->Select(index) != kNoErr) return;
  // The plain text, if any, gives way to the list's entry; the shadow follows the new text.
  element->SetText(nullptr, true, false);
  element->ReleaseAttachment(false);
  CentreText(element);
  if (redraw && element->IsShown()) element->Redraw();
}

// ---- presses and keys

int32_t CMaterialComposer::OnPointerPress(SWinEvent& event) {
  if (!IsShown()) return 0;
  CTextEditPopup* popup = CTextEditPopup::GetCurrent();
  if (popup && popup->IsShown()) popup->Close(true);
  if (IsStale()) return 0;
  return CLayoutHostCanvas::OnPointerPress(event);
}

int32_t CMaterialComposer::OnCharacter(SWinEvent& event) {
  if (!IsShown() || IsStale()) return 0;
  const uint32_t c = event.key & 0xFF;
  if (c == kTab) {
    ActivateNextText(nullptr);
    return kHandled;
  }
  CAppl* app = App();
  if (app && app->IsCommandDown()) {
    if (c == 'c' || c == 'C') return CopyWithFeedback();
    if (c == 'v' || c == 'V') return PasteWithFeedback();
    if ((c == 'z' || c == 'Z') && fUndo.GetCurrentAction()) return ToggleLastChange(event);
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

template <typename Work>
int32_t CMaterialComposer::WithButtonPressed(CImElement* button, uint32_t ticks, Work work) {
  CAppl* app = App();
  const bool busy = app && !app->IsBusyCursor();
  if (busy) app->SetBusyCursor();
  const bool pressed = button && button->GetImage() && button->GetImage()->IsReady() && button->GetImageList();
  const uint32_t state = pressed ? button->GetImageList()->Selected() : 0;
  if (pressed) {
    button->SelectEntry(state + 1, false, false, true);
    UpdateNow();
  }
  work();
  if (pressed) {
    CTimer().WaitTicks(ticks);
    button->SelectEntry(state, false, false, true);
    UpdateNow();
  }
  if (busy) app->SetArrowCursor();
  return kNoErr;
}

int32_t CMaterialComposer::CopyWithFeedback() {
  return WithButtonPressed(Find<CImElement>(GetRoot(), need::kComposerCopy), kCopyTicks, [this] { CopyMaterial(); });
}

int32_t CMaterialComposer::PasteWithFeedback() {
  return WithButtonPressed(Find<CImElement>(GetRoot(), need::kComposerPaste), kPasteTicks, [this] {
    RecordUndoStep();
    PasteMaterial();
  });
}

// Ctrl+Z toggles between the material before and after the last change.
int32_t CMaterialComposer::ToggleLastChange(SWinEvent&) {
  CUndoableAction* action = fUndo.GetCurrentAction();
  const int32_t result = action->GetUndone() ? fUndo.Redo() : fUndo.Undo();
  if (result) return result;
  return RefreshControls(true);
}

void CMaterialComposer::RecordUndoStep() {
  C3dObject* sample = fPreview ? fPreview->GetSample() : nullptr;
  if (!sample) return;
  auto* action = new CMaterialAction;
  if (!action) return;
  if (!action->IsValid() || action->AddObject(sample, true)) {
    delete action;
    return;
  }
  fUndo.Push(action);
}

// ---- idle time

int32_t CMaterialComposer::IdleTask(void* composer, void* record, void*) {
  if (!composer || !record) return kNoErr;
  return static_cast<CMaterialComposer*>(composer)->IdleStep(static_cast<const SHeartbeatRecord*>(record)->reserved1 != 0);
}

int32_t CMaterialComposer::IdleStep(bool nested) {
  CAppl* app = App();
  CHoElement* root = GetRoot();
  CTextEditPopup* popup = CTextEditPopup::GetCurrent();
  const bool current = !IsStale() || (popup && !popup->IsStale());
  if (!app || nested || !current || !app->IsActive() || !root || !root->AcceptsEvents(kEventMaskHover) ||
      !root->IsShown() || !IsShown())
    return kNoErr;
  int32_t step = kNoErr;
  while ((step = RenderSwatchStep()) == kNoErr) {
    if (app->IsUserInterrupt()) return kNoErr;
  }
  if (!fPreview || !fPreview->IsRenderPending()) return kNoErr;
  const int32_t result = fPreview->Render(GetDeviceContext(), fPreviewRect);
  // An interrupted render goes on at the next beat; a failing one is tried again at every beat and
  // reported once.
  if (result == kNoErr) fPreviewError = kNoErr;
  if (IsSilentCode(result) || result == fPreviewError) return kNoErr;
  fPreviewError = result;
  return result;
}
