// The pictures panel: two grey sources, loaded from files, pasted or taken from the 2D view, mixed by
// a weight that a drag on "pictures blend" (or on the result) sets, in one of five ways; "pictures
// apply" turns the mix into the current grid.
#include <algorithm>
#include <memory>

#include "editors/terrain/editor_helpers.h"
#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/result_codes.h"
#include "framework/image/clipboard.h"
#include "framework/image/image8.h"
#include "framework/ui/ask_image_file.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_message.h"
#include "scene/height_field.h"

using namespace terrain;

namespace {

constexpr int32_t kEvenMix = CTerrainEditor::kFullWeight / 2;
// A drag step moves the weight by its horizontal travel, one pixel a 256th.
constexpr int32_t kLongestStep = 256;
constexpr double kWeightPerPixel = 0.00390625 * 256.0;

// The pictures of one size, their pixels each way, for the modes that mix pixel by pixel.
bool SameSize(const CImage* a, const CImage* b) { return a->GetWidth() == b->GetWidth() && a->GetHeight() == b->GetHeight(); }

uint8_t Channel(uint32_t value, uint32_t shift) { return uint8_t(value >> shift); }

uint8_t MixChannel(int32_t mode, float a, float b, float t, float u) {
  float out = 0;
  switch (mode) {
    case CTerrainEditor::kDarken: out = a * u + std::min(a, b) * t; break;
    case CTerrainEditor::kSubtract: out = a * t - b * u; break;
    default: out = b * u + a * t; break;
  }
  return uint8_t(std::clamp(int32_t(out), 0, 255));
}

}  // namespace

int32_t CTerrainEditor::HandlePicturesPanel(CUIMessage* message) {
  const char* element = message->elementName;
  if (SameText(element, need::kPicturesOptions.name)) return PicturesOptions(message->firstPoint);
  if (SameText(element, need::kPicturesBlend.name) || SameText(element, need::kImageDest.name))
    return BlendDrag(message->firstPoint);
  if (SameText(element, need::kPicturesApply.name)) return ApplyPictures();
  struct SSourceCommand {
    const SLayoutNeed& need;
    CElement* source;
    int32_t (CTerrainEditor::*run)(CElement*);
  };
  const SSourceCommand commands[] = {
      {need::kPicturesLoadSrc0, fImageSrc0, &CTerrainEditor::LoadSourcePicture},
      {need::kPicturesLoadSrc1, fImageSrc1, &CTerrainEditor::LoadSourcePicture},
      {need::kPicturesCopySrc0, fImageSrc0, &CTerrainEditor::CopySourcePicture},
      {need::kPicturesCopySrc1, fImageSrc1, &CTerrainEditor::CopySourcePicture},
      {need::kPicturesPasteSrc0, fImageSrc0, &CTerrainEditor::PasteSourcePicture},
      {need::kPicturesPasteSrc1, fImageSrc1, &CTerrainEditor::PasteSourcePicture},
  };
  for (const SSourceCommand& command : commands) {
    if (!SameText(element, command.need.name)) continue;
    const int32_t result = (this->*command.run)(command.source);
    // A cancelled dialog, or nothing to paste, leaves every picture as it was.
    if (result == kSilentCode24) return kNoErr;
    if (result) return result;
    break;
  }
  // Whatever the mode and the weight, the panel shows the sources evenly mixed after a change of them.
  if (!MixPicturesEvenly()) return kErrGeneric;
  for (CElement* picture : {fImageSrc0, fImageSrc1, fImageDest}) picture->Redraw();
  return kNoErr;
}

bool CTerrainEditor::PutGreyIntoPictures() {
  CImage* first = PictureOf(fImageSrc0);
  return first && fGreyImage && ScaleImage8Into(fGreyImage.get(), first) == kNoErr && MixPicturesEvenly();
}

bool CTerrainEditor::MixPicturesEvenly() {
  CImage *first = PictureOf(fImageSrc0), *second = PictureOf(fImageSrc1), *mixed = PictureOf(fImageDest);
  return first && second && mixed && mixed->MixFrom(kEvenMix, first, second);
}

bool CTerrainEditor::BlendPictures(CImage* dest, CImage* src1, CImage* src0, int32_t weight) const {
  if (!dest || !src1 || !src0) return false;
  if (fPictureBlendMode != kDarken && fPictureBlendMode != kSubtract && fPictureBlendMode != kCrossFade)
    return dest->MixFrom(weight, src0, src1);
  if (!SameSize(dest, src1) || !SameSize(dest, src0)) return true;
  CImNavigator out(dest, nullptr, true, false);
  CImNavigator a(src1, nullptr, false, false);
  CImNavigator b(src0, nullptr, false, false);
  if (!out.IsUsable() || !a.IsUsable() || !b.IsUsable()) return false;
  const float t = float(weight) / 256.0f, u = float(kFullWeight - weight) / 256.0f;
  for (uint32_t y = 0; y < out.GetRows(); ++y) {
    const CImVector* from1 = a.Cells(y);
    const CImVector* from0 = b.Cells(y);
    CImVector* to = out.Cells(y);
    for (uint32_t x = 0; x < out.GetColumns(); ++x) {
      uint32_t value = 0;
      for (uint32_t shift = 0; shift < 32; shift += 8) {
        const uint8_t c = MixChannel(fPictureBlendMode, Channel(from1[x].value, shift), Channel(from0[x].value, shift), t, u);
        value |= uint32_t(c) << shift;
      }
      to[x].value = value;
    }
  }
  return true;
}

int32_t CTerrainEditor::PicturesOptions(SPointHV screenPoint) {
  uint32_t row = 0, command = 0;
  if (const int32_t err = PopUpMenu(need::kMixingMenu, screenPoint, &row, &command)) return err;
  if (!row) return kNoErr;
  const int32_t mode = int32_t(command) - int32_t(kFirstMixingCommand) + kMix;
  if (mode >= kMix && mode <= kBlend) fPictureBlendMode = mode;
  return kNoErr;
}

// ---- the sources

bool CTerrainEditor::AskAndReadPicture(std::unique_ptr<CImage>* picture, bool* cancelled) {
  CImage* read = nullptr;
  const int32_t err = AskAndReadImage(GetOwner(), &read);
  *cancelled = err == kSilentCode24;
  picture->reset(read);
  return err == kNoErr && read;
}

int32_t CTerrainEditor::LoadSourcePicture(CElement* source) {
  CImage* shown = PictureOf(source);
  std::unique_ptr<CImage> read;
  bool cancelled = false;
  if (!AskAndReadPicture(&read, &cancelled)) return cancelled ? kSilentCode24 : kErrGeneric;
  if (!shown) return kErrGeneric;
  // Scaled and made grey aside, so that a failure leaves the source as it was.
  int32_t error = kNoErr;
  std::unique_ptr<CImage> grey(NewDataImage(shown->GetWidth(), shown->GetHeight(), &error));
  if (!grey || !grey->ScaleFrom(read.get(), 1) || !grey->ToGrey() || !shown->CopyFrom(grey.get())) return kErrGeneric;
  return kNoErr;
}

int32_t CTerrainEditor::CopySourcePicture(CElement* source) {
  CClipboard clipboard(GetWindow());
  return clipboard.PutDIB(PictureOf(source)) ? kNoErr : kErrGeneric;
}

int32_t CTerrainEditor::PasteSourcePicture(CElement* source) {
  CClipboard clipboard(GetWindow());
  if (!clipboard.HasDIB()) return kSilentCode24;
  CBusyCursor busy;
  std::unique_ptr<CImage> pasted(clipboard.GetDIB());
  CImage* shown = PictureOf(source);
  if (!pasted || !shown || !shown->ScaleFrom(pasted.get(), 1)) return kErrGeneric;
  return kNoErr;
}

// ---- the blend drag and the apply

int32_t CTerrainEditor::BlendDrag(SPointHV screenPoint) {
  CAppl* app = App();
  CImage *first = PictureOf(fImageSrc0), *second = PictureOf(fImageSrc1), *mixed = PictureOf(fImageDest);
  if (!app || !first || !second || !mixed) return kErrGeneric;
  CHiddenPointer hidden(screenPoint);
  SPointHV previous;
  fPicturesPanel->RootToLocalPoint(&previous, screenPoint);
  while (app->IsStillDown()) {
    const SPointHV now = PointerIn(fPicturesPanel);
    if (!(now == previous)) {
      // Leftward travel weighs the second source more.
      const int32_t d = std::clamp(previous.h - now.h, -kLongestStep, kLongestStep);
      fBlendAmount = std::clamp(fBlendAmount + int32_t(d * kWeightPerPixel), 0, kFullWeight);
      if (!BlendPictures(mixed, second, first, fBlendAmount)) return kErrGeneric;
      fImageDest->Redraw();
      UpdateNow();
      previous = now;
    }
    platform::SleepMs(kPollMs);
  }
  return kNoErr;
}

int32_t CTerrainEditor::ApplyPictures() {
  CImage* mixed = PictureOf(fImageDest);
  if (!fCurrent || !mixed) return kErrGeneric;
  const uint32_t n = fCurrent->GetSide();
  int32_t error = kNoErr;
  std::unique_ptr<CImage> heights(NewDataImage(n, n, &error));
  if (!heights || !heights->ScaleFrom(mixed, 1) || !heights->ToGrey()) return kErrGeneric;
  // Unlike the other changes of the grid this one would otherwise lose the grid before it for good.
  if (const int32_t err = TakeSnapshot()) return err;
  if (const int32_t err = fCurrent->SetFromImage(heights.get())) return err;
  if (const int32_t err = RemakeGreyImage()) return err;
  return Redraw(true, true, nullptr, nullptr);
}
