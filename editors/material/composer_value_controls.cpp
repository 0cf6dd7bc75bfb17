// The composer's value controls: four frequency sliders moved singly or together by the frequency
// ball, six channel value sliders with their numbers, the colour markers, the specular colour with its
// three numbers, the refraction index, the hidden metallicity number and the shading mode; how they
// are built and drawn, and how the value messages of their drags and entries change them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "editors/material/centred_text.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "framework/core/appl.h"
#include "framework/core/format_text.h"
#include "framework/core/handle_table.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_grid.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/text_edit_popup.h"
#include "platform/menu.h"

namespace {

constexpr uint32_t kImageTag = CMaterialComposer::kImageHandleTag;
constexpr int32_t kFrequencyMax = CMaterialComposer::kFrequencyLevels;
constexpr int32_t kValueMax = CMaterialComposer::kValueLevels;
constexpr uint32_t kRaisedColour = 0x00FF0000;
constexpr uint32_t kLoweredColour = 0x0000FF00;
// The names of value messages that are no element's.
constexpr const char* kActivateNextText = "activate next te";
// The shading flags: the mode in the low four bits, then the two options.
constexpr uint32_t kModeBits = 0xF;
constexpr uint32_t kBumpFadesOption = 0x10;
constexpr uint32_t kNoShadowsOption = 0x20;
constexpr uint32_t kModeOfItem[6] = {0, 1, 2, 3, 4, 8};
constexpr uint32_t kBumpFadesItem = 8;
constexpr uint32_t kShadowsItem = 9;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

template <typename T>
T* As(CElement* element) {
  return dynamic_cast<T*>(element);
}

CImage* ImageOf(const CElement* element, uint32_t word) {
  return LookupHandleAs<CImage>(element->GetUserWord(word), kImageTag);
}

int32_t Word(const CElement* element) { return int32_t(element->GetUserWord(0)); }

// A stored picture of the layout in an image of its own: 16 when the layout has none, 14 when the
// record under its name is no 32-bit picture, else the load's code.
int32_t LoadLayoutPicture(CResourceEnv* environment, const char* name, std::unique_ptr<CImage>* out) {
  SSpoolKey key;
  key.SetByName(kImageType, name, false);
  CResEntry entry{};
  if (!environment || !environment->GetResourceInfo(key, &entry)) return kErrInvalidParameter;
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* picture = nullptr;
  const int32_t err = LoadImageRecord(&picture, grid, spec, false, true);
  if (err == kErrInvalidFormat) return kErrUnexpectedType;
  if (err) return err;
  out->reset(picture);
  return kNoErr;
}

// An image the size of the alpha picture that the slider bars are drawn in.
int32_t MakeDrawingImage(const CImage& alpha, std::unique_ptr<CImage>* out) {
  int32_t err = kNoErr;
  out->reset(NewDataImage(alpha.GetWidth(), alpha.GetHeight(), &err));
  if (*out) return kNoErr;
  return err == kErrOutOfMemory ? kErrOutOfMemory : NonZeroError(err);
}

// The bar of a slider: the rows from the top of the level up, filled with the colour through the
// alpha mask, copied into the element's port centred across it, under the slider's own picture.
int32_t DrawSliderBar(CElement* element, uint32_t pass, CImage* port, int32_t level, int32_t full, uint32_t colour) {
  auto* slider = As<CImElement>(element);
  if (!slider || !port || pass != slider->GetImageLayer() || level == 0) return kNoErr;
  CImage* alpha = ImageOf(element, 1);
  CImage* image = ImageOf(element, 2);
  if (!alpha || !image) return kNoErr;
  const int32_t w = int32_t(image->GetWidth()), h = int32_t(image->GetHeight());
  const double fraction = std::min(1.0, double(std::abs(level)) / full);
  const int32_t top = std::clamp(int32_t(std::trunc(h - fraction * h)), 0, h);
  const SRect band{top, 0, h, w};
  CSgStSaver keepImage(image);
  CSgStSaver keepAlpha(alpha);
  image->SetOrigin(0, 0);
  image->SetClip(band);
  alpha->SetOrigin(0, 0);
  alpha->SetClip(band);
  if (!image->ScaleFrom(alpha, 0) || !image->SetColorKeepAlpha(colour)) return NonZeroError(image->GetError());
  SRect local;
  element->GetLocalRect(&local);
  image->SetOrigin(local.left + (RectWidth(local) >> 1) - (w >> 1), local.top);
  return port->CopyColorFrom(image) ? kNoErr : NonZeroError(port->GetError());
}

// A text of a layout list with one number: "%ld" (or "%d") takes the number, "%%" stays a percent
// sign, and no other directive takes anything.
std::string FormatNumber(const char* pattern, int32_t number) {
  std::string safe;
  bool taken = false;
  for (const char* p = pattern; *p; ++p) {
    if (*p != '%') {
      safe += *p;
      continue;
    }
    const bool longForm = p[1] == 'l' && p[2] == 'd';
    if (!taken && (p[1] == 'd' || longForm)) {
      safe += "%d";
      p += longForm ? 2 : 1;
      taken = true;
    } else if (p[1] == '%') {
      safe += "%%";
      ++p;
    } else {
      safe += "%%";
    }
  }
  return FormatText(safe, number);
}

}  // namespace

// ---- the build

int32_t CMaterialComposer::BuildValueControls() {
  CElement* root = GetRoot();
  CResourceEnv* environment = GetResourceEnvironment();
  CUIHostCanvas::BindElementData(root, need::kComposerFrequencyValues.name, &fFrequencyValues, &PressFrequencyValues,
                                 nullptr, nullptr);
  if (const int32_t err = LoadLayoutPicture(environment, need::kFrequencySliderAlpha.name, &fFrequencySliderAlpha))
    return err;
  if (const int32_t err = MakeDrawingImage(*fFrequencySliderAlpha, &fFrequencySliderImage)) return err;
  const Handle32 frequencyAlpha = RegisterHandle(fFrequencySliderAlpha.get(), kImageTag);
  const Handle32 frequencyImage = RegisterHandle(fFrequencySliderImage.get(), kImageTag);
  for (int k = 0; k < kComponentCount; ++k) {
    CElement* found = nullptr;
    CUIHostCanvas::BindElementData(fFrequencyValues, need::kComposerFrequencySliders[k].name, &found,
                                   &TrackFrequencySlider, nullptr, nullptr);
    if ((fFrequencySliders[k] = As<CImElement>(found))) {
      found->SetUserWord(1, frequencyAlpha);
      found->SetUserWord(2, frequencyImage);
      found->SetUserWord(0, kFrequencyMax);
      found->SetDrawCallback(&DrawFrequencySlider);
    }
    CUIHostCanvas::BindElementData(fFrequencyValues, need::kComposerFrequencyTexts[k].name, &found,
                                   &CTextEditPopup::NumericCallback, nullptr, nullptr);
    fFrequencyTexts[k] = fTextRing[kValueChannelCount + k] = As<CTxElement>(found);
  }

  CUIHostCanvas::BindElementData(root, need::kComposerChannelValues.name, &fChannelValues, &TrackChannelValues,
                                 nullptr, nullptr);
  if (const int32_t err = LoadLayoutPicture(environment, need::kChannelSliderAlpha.name, &fChannelSliderAlpha))
    return err;
  if (const int32_t err = MakeDrawingImage(*fChannelSliderAlpha, &fChannelSliderImage)) return err;
  const Handle32 channelAlpha = RegisterHandle(fChannelSliderAlpha.get(), kImageTag);
  const Handle32 channelImage = RegisterHandle(fChannelSliderImage.get(), kImageTag);
  for (int channel = 0; channel < kValueChannelCount; ++channel) {
    CElement* found = nullptr;
    CUIHostCanvas::BindElementData(fChannelValues, need::kComposerValueTexts[channel].name, &found,
                                   &CTextEditPopup::NumericCallback, nullptr, nullptr);
    fValueTexts[channel] = fTextRing[channel] = As<CTxElement>(found);
    CUIHostCanvas::BindElementData(fChannelValues, need::kComposerValueSliders[channel].name, &found,
                                   &TrackValueSlider, nullptr, nullptr);
    if ((fValueSliders[channel] = As<CImElement>(found))) {
      found->SetUserWord(1, channelAlpha);
      found->SetUserWord(2, channelImage);
      found->SetUserWord(0, kValueMax);
      found->SetDrawCallback(&DrawValueSlider);
    }
  }
  return kNoErr;
}

// ---- drawing

int32_t CMaterialComposer::DrawFrequencySlider(CElement* element, uint32_t pass, CImage* port) {
  // A ball drag past an end leaves a running sum in the word until the release; it shows clamped.
  const int32_t level = std::clamp(Word(element), 0, kFrequencyMax);
  return DrawSliderBar(element, pass, port, level, kFrequencyMax, kRaisedColour);
}

int32_t CMaterialComposer::DrawValueSlider(CElement* element, uint32_t pass, CImage* port) {
  const int32_t level = Word(element);
  return DrawSliderBar(element, pass, port, level, kValueMax, level > 0 ? kRaisedColour : kLoweredColour);
}

void CMaterialComposer::SetValueText(CTxElement* element, int32_t value, bool redraw) {
  if (!element) return;
  element->SetUserWord(0, uint32_t(value));
  ShowCentredText(element, std::to_string(value).c_str(), redraw);
}

void CMaterialComposer::SetMetallicityText(CTxElement* element, int32_t value, bool redraw) {
  if (!element) return;
  element->SetUserWord(0, uint32_t(value));
  CIxText* list = element->GetTextList();
  if (!list) return;
  CIxTxHolder held(list, true);
  if (!held.IsHeld()) return;
  ShowCentredText(element, FormatNumber(list->Text(), value).c_str(), redraw);
}

void CMaterialComposer::DrawShadingMode() {
  if (!fShadingMode) return;
  const uint32_t flags = fShadingMode->GetUserWord(0);
  uint32_t index = 0;
  if ((flags & 3) == 3) index = 3;
  else if (flags & 2) index = 2;
  else if (flags & 1) index = 1;
  else if (flags & 4) index = 4;
  else if (flags & 8) index = 5;
  ShowListEntry(fShadingMode, index, true);
}

// ---- the value messages

CTxElement* CMaterialComposer::FindNumberText(const char* name) const {
  for (CTxElement* text : fTextRing) {
    if (text && Same(text->GetName(), name)) return text;
  }
  return nullptr;
}

int CMaterialComposer::FrequencySliderIndex(const char* name) const {
  for (int k = 0; k < kComponentCount; ++k) {
    if (fFrequencySliders[k] && Same(fFrequencySliders[k]->GetName(), name)) return k;
  }
  return -1;
}

int32_t CMaterialComposer::HandleValueMessage(CUIMessage* message) {
  if (!message) return 0;
  const CUIMessage& m = *message;
  const int32_t value = m.GetPayloadWord(4);
  if (Same(m.elementName, kActivateNextText)) {
    CTextEditPopup* popup = CTextEditPopup::GetCurrent();
    ActivateNextText(popup ? popup->GetTarget() : nullptr);
    return kHandled;
  }
  if (Same(m.canvasName, need::kMaterialComposer.canvas.name) && Same(m.elementName, need::kComposerFrequencyBall.name))
    TakeFrequencyBall(m);
  if (Same(m.canvasName, need::kComposerFrequencyValues.name) && m.kind >= 1 && m.kind <= 3) {
    const int k = FrequencySliderIndex(m.elementName);
    if (k >= 0) {
      if (m.kind == 3) {
        if (fFrequencyTexts[k]) fFrequencyTexts[k]->Hide(true);
        return kHandled;
      }
      SetValueText(fFrequencyTexts[k], value, true);
      if (m.kind == 1 && fFrequencyTexts[k]) fFrequencyTexts[k]->Show(true);
      if (m.kind == 2) StoreControls();
      return kHandled;
    }
  }
  if (Same(m.canvasName, need::kComposerChannelValues.name) && m.kind == 2) {
    for (int channel = 0; channel < kValueChannelCount; ++channel) {
      if (!fValueSliders[channel] || !Same(m.elementName, fValueSliders[channel]->GetName())) continue;
      SetValueText(fValueTexts[channel], value, true);
      StoreControls();
      return kHandled;
    }
  }
  if (Same(m.canvasName, need::kComposerSpecAndRefraction.name) && (m.kind == 2 || m.kind == 3)) {
    if (const int32_t handled = TakeSpecMessage(m)) return handled;
  }
  if (Same(m.elementName, need::kComposerMetallicityText.name) && m.kind == 2) {
    StoreControls();
    SetMetallicityText(fMetallicityText, value, true);
    return kHandled;
  }
  if (Same(m.elementName, need::kComposerMetallicityButton.name) && m.kind == 0) {
    CAppl* app = GetApplication();
    if (fMetallicityText && app && app->IsAltDown() && app->IsControlDown()) {
      if (fMetallicityText->IsShown()) fMetallicityText->Hide(true);
      else fMetallicityText->Show(true);
    }
    return kHandled;
  }
  if (m.kind == 2) {
    if (const int32_t handled = TakeTypedValue(m)) return handled;
  }
  return TakeColorMarker(m);
}

// All four frequencies at once: running sums while the ball is dragged, clamped at the release.
int32_t CMaterialComposer::TakeFrequencyBall(const CUIMessage& m) {
  const int32_t delta = m.GetPayloadWord(4);
  if (m.kind == 1) {
    for (CTxElement* text : fFrequencyTexts) {
      if (text) text->Show(true);
    }
  } else if (m.kind == 2) {
    int32_t sums[kComponentCount] = {};
    for (int k = 0; k < kComponentCount; ++k) {
      if (!fFrequencySliders[k]) continue;
      sums[k] = Word(fFrequencySliders[k]) + delta;
      const int32_t shown = std::clamp(sums[k], 0, kFrequencyMax);
      fFrequencySliders[k]->SetUserWord(0, uint32_t(shown));
      SetValueText(fFrequencyTexts[k], shown, false);
    }
    if (fFrequencyValues) fFrequencyValues->Redraw();
    for (int k = 0; k < kComponentCount; ++k) {
      if (fFrequencySliders[k]) fFrequencySliders[k]->SetUserWord(0, uint32_t(sums[k]));
    }
  } else if (m.kind == 3) {
    for (int k = 0; k < kComponentCount; ++k) {
      if (!fFrequencySliders[k]) continue;
      const int32_t clamped = std::clamp(Word(fFrequencySliders[k]), 0, kFrequencyMax);
      fFrequencySliders[k]->SetUserWord(0, uint32_t(clamped));
      if (fFrequencyTexts[k]) fFrequencyTexts[k]->Hide(true);
      SetValueText(fFrequencyTexts[k], clamped, true);
    }
  }
  StoreControls();
  return 0;
}

int32_t CMaterialComposer::TakeSpecMessage(const CUIMessage& m) {
  const int32_t value = m.GetPayloadWord(4);
  if (fSpecColor && Same(m.elementName, fSpecColor->GetName())) {
    if (m.kind == 3) RecordUndoStep();
    const uint32_t colour = uint32_t(m.GetPayloadWord(0)) & 0xFFFFFF;
    for (int i = 0; i < 3; ++i) SetValueText(fSpecTexts[i], int32_t((colour >> (16 - 8 * i)) & 0xFF), true);
    fSpecColor->SetUserWord(0, colour);
    fSpecColor->Redraw();
    if (m.kind == 3) StoreControls();
    return kHandled;
  }
  if (m.kind != 2) return 0;
  for (int i = 0; i < 3; ++i) {
    if (!fSpecTexts[i] || !Same(m.elementName, fSpecTexts[i]->GetName())) continue;
    SetValueText(fSpecTexts[i], value, true);
    if (fSpecColor) {
      const uint32_t shift = 16 - 8 * uint32_t(i);
      const uint32_t colour = fSpecColor->GetUserWord(0);
      fSpecColor->SetUserWord(0, (colour & ~(0xFFu << shift)) | ((uint32_t(value) & 0xFF) << shift));
      fSpecColor->Redraw();
    }
    StoreControls();
    return kHandled;
  }
  if (fRefractionIndex && Same(m.elementName, fRefractionIndex->GetName())) {
    SetValueText(fRefractionIndex, value, true);
    StoreControls();
    return kHandled;
  }
  return 0;
}

// A value typed into a number field: a change of its slider is one undo step.
int32_t CMaterialComposer::TakeTypedValue(const CUIMessage& m) {
  const int32_t value = m.GetPayloadWord(4);
  CElement* slider = nullptr;
  for (int k = 0; k < kComponentCount && !slider; ++k) {
    if (fFrequencyTexts[k] && Same(m.elementName, fFrequencyTexts[k]->GetName())) slider = fFrequencySliders[k];
  }
  for (int channel = 0; channel < kValueChannelCount && !slider; ++channel) {
    if (fValueTexts[channel] && Same(m.elementName, fValueTexts[channel]->GetName())) slider = fValueSliders[channel];
  }
  if (!slider) return 0;
  if (Word(slider) != value) {
    RecordUndoStep();
    slider->SetUserWord(0, uint32_t(value));
    StoreControls();
    RefreshControls(false);
  }
  return kHandled;
}

int32_t CMaterialComposer::TakeColorMarker(const CUIMessage& m) {
  if (m.kind != 2 && m.kind != 3) return 0;
  for (int channel = kValueChannelCount; channel < kChannelCount; ++channel) {
    CElement* marker = fFlatMarkers[channel];
    if (!marker || !Same(m.elementName, marker->GetName())) continue;
    if (m.kind == 3) RecordUndoStep();
    marker->SetUserWord(0, uint32_t(m.GetPayloadWord(0)) & 0xFFFFFF);
    marker->Redraw();
    if (m.kind == 3) StoreControls();
    return kHandled;
  }
  return 0;
}

// ---- the shading mode menu

int32_t CMaterialComposer::PrepareShadingMenu(CMenu** out) {
  if (const int32_t err = CMenu::Load(GetResourceEnvironment(), need::kShadingModeMenu.number, out, nullptr))
    return err;
  CMenu* menu = *out;
  const uint32_t flags = fShadingMode ? fShadingMode->GetUserWord(0) : 0;
  const uint32_t current = fShadingMode && fShadingMode->GetTextList() ? fShadingMode->GetTextList()->GetSelected() : 0;
  menu->CheckItem(current + 1, true, nullptr, true);
  menu->CheckItem(kBumpFadesItem, (flags & kBumpFadesOption) != 0, nullptr, true);
  menu->CheckItem(kShadowsItem, (flags & kNoShadowsOption) == 0, nullptr, true);
  return kNoErr;
}

int32_t CMaterialComposer::ShadingModePopup(SPointHV screenPoint) {
  CMenu* loaded = nullptr;
  if (const int32_t err = PrepareShadingMenu(&loaded)) return err;
  std::unique_ptr<CMenu> menu(loaded);
  uintptr_t command = 0;
  uint32_t item = 0;
  if (!menu->SelectItemAt(screenPoint, GetWindow(), &command, &item) || !fShadingMode) return kNoErr;
  uint32_t flags = fShadingMode->GetUserWord(0);
  const uint32_t current = fShadingMode->GetTextList() ? fShadingMode->GetTextList()->GetSelected() + 1 : 1;
  if (item >= 1 && item <= std::size(kModeOfItem) && item != current) {
    RecordUndoStep();
    flags = (flags & ~kModeBits) | kModeOfItem[item - 1];
  } else if (item == kBumpFadesItem) {
    RecordUndoStep();
    flags ^= kBumpFadesOption;
  } else if (item == kShadowsItem) {
    RecordUndoStep();
    flags ^= kNoShadowsOption;
  }
  fShadingMode->SetUserWord(0, flags);
  StoreControls();
  RefreshControls(false);
  return kNoErr;
}
