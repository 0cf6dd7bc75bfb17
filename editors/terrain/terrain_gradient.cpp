// The terrain gradient: one table of colours by elevation for the whole program, with a rotation.
// The editor shows it beside the 2D view, paints its views with it, stores it into terrains on
// request, and the renderer's altitude mode reads it through GradientColorAt.
#include <algorithm>
#include <cmath>

#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_editor.h"
#include "editors/terrain/terrain_lut.h"
#include "framework/core/result_codes.h"
#include "framework/image/image8.h"
#include "framework/ui/im_element.h"
#include "scene/height_field.h"

namespace {

// Cell 0 above the upper bracket, cells 1 to 256 the entries, cell 257 below the lower bracket.
CImVector gCells[CTerrainEditor::kGradientCells];
int32_t gRotation = 0;

constexpr uint32_t kAboveCell = 0;
constexpr uint32_t kBelowCell = CTerrainEditor::kGradientCells - 1;
// An object's own colours are framed by pure red above the brackets and pure blue below.
constexpr uint32_t kObjectAbove = 0xFF0000;
constexpr uint32_t kObjectBelow = 0x0000FF;
// Preset m is read from column 18 m + 4 of the "gradients" picture, rows 0 to 257 giving the cells.
constexpr uint32_t kPresetColumn = 4;
constexpr uint32_t kColourBits = 0x00FFFFFF;
// 1 / 255 as the lookup has it, in single precision.
constexpr float kInverse255 = 0.003921569f;

CImVector Entry(uint32_t i) { return gCells[i + 1]; }

// Each channel becomes (c × f + 255) / 256, the top byte kept.
CImVector Darkened(CImVector c, int32_t f) {
  CImVector out;
  out.Set(c.Alpha(), uint8_t((c.Red() * f + 255) / 256), uint8_t((c.Green() * f + 255) / 256),
          uint8_t((c.Blue() * f + 255) / 256));
  return out;
}

uint8_t Blend(uint8_t a, uint8_t b, float f) {
  const float from = float(a) * kInverse255, to = float(b) * kInverse255;
  return uint8_t(int32_t((from + (to - from) * f) * 255.0f));
}

}  // namespace

CImVector CTerrainEditor::GetGradientCell(uint32_t cell) { return cell < kGradientCells ? gCells[cell] : CImVector{}; }

void CTerrainEditor::SetGradientCell(uint32_t cell, CImVector colour) {
  if (cell < kGradientCells) gCells[cell] = colour;
}

int32_t CTerrainEditor::GetGradientRotation() { return gRotation; }

void CTerrainEditor::SetGradientRotation(int32_t rotation) { gRotation = rotation; }

void CTerrainEditor::FillGreyRamp() {
  gCells[kAboveCell].value = 0;
  for (uint32_t i = 0; i < kGradientEntries; ++i) gCells[i + 1].value = std::min(i + 1, 255u) * 0x010101u;
  gCells[kBelowCell].value = 0xFFFFFF;
}

CImVector CTerrainEditor::GradientColorAt(double t) {
  const float x = float(std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0)) * 255.0f;
  const int32_t i = int32_t(x);
  const float f = x - float(i);
  const uint32_t k = uint32_t(gRotation + i) & 255u;
  const CImVector a = Entry(k), b = Entry(std::min(k + 1, 255u));
  CImVector out;
  out.Set(0, Blend(a.Red(), b.Red(), f), Blend(a.Green(), b.Green(), f), Blend(a.Blue(), b.Blue(), f));
  return out;
}

int32_t CTerrainEditor::LoadGradient() {
  if (fGradientMode == kObjectGradient) {
    // An object without colours of its own keeps the gradient there is.
    if (!fHeightField || !fHeightField->HasColourTable()) return kNoErr;
    CImVector colours[kGradientEntries];
    if (!fHeightField->GetColourTable(colours, nullptr)) return kErrOutOfMemory;
    gCells[kAboveCell].value = kObjectAbove;
    std::copy(colours, colours + kGradientEntries, gCells + 1);
    gCells[kBelowCell].value = kObjectBelow;
    return RefreshGradient(true) ? kNoErr : kErrGeneric;
  }
  if (fGradientMode < 0 || fGradientMode >= kGradientPresets) return kErrGeneric;
  auto* element = dynamic_cast<CImElement*>(fGradients);
  CImage* picture = element ? element->GetImage() : nullptr;
  if (!picture) return kErrOutOfMemory;
  const SRect whole = picture->GetBounds();
  CImNavigator pixels(picture, &whole, false, false);
  const uint32_t column = uint32_t(kPresetPitch * fGradientMode) + kPresetColumn;
  if (!pixels.IsUsable() || column >= pixels.GetColumns() || pixels.GetRows() < kGradientCells)
    return kErrOutOfMemory;
  for (uint32_t y = 0; y < kGradientCells; ++y) gCells[y].value = pixels.Cells(y)[column].value & kColourBits;
  // The picture has the highest elevation at the top.
  std::reverse(gCells + 1, gCells + 1 + kGradientEntries);
  return kNoErr;
}

bool CTerrainEditor::RefreshGradient(bool redraw3d) {
  if (!fGradientStrip) return false;
  {
    CImNavigator strip(fGradientStrip.get(), nullptr, true, false);
    if (!strip.IsUsable() || strip.GetRows() < kGradientCells || strip.GetColumns() < uint32_t(kStripWidth)) return false;
    const int32_t hi = int32_t((1.0 - fBracketHigh) * 256), lo = int32_t((1.0 - fBracketLow) * 256);
    int32_t r = gRotation % 256;
    if (r < 0) r += 256;
    for (int32_t y = int32_t(kGradientCells) - 1; y >= 0; --y) {
      CImVector c;
      if (y < hi) {
        c = Darkened(gCells[kAboveCell], std::min(300 - y, 255));
      } else if (y > lo + 2) {
        c = Darkened(gCells[kBelowCell], std::min(350 - y, 255));
      } else {
        int32_t k = (r + y) % int32_t(kGradientCells - 1);
        if (k == 0) k = 1;
        c = gCells[kGradientCells - 1 - uint32_t(k)];
      }
      std::fill(strip.Cells(uint32_t(y)), strip.Cells(uint32_t(y)) + kStripWidth, c);
      if (y < 1 || y > int32_t(kGradientEntries)) continue;
      const uint8_t index = uint8_t(kGradientEntries - uint32_t(y));
      if (fPreview3d) fPreview3d->SetColour(index, c);
      if (fGreyImage) fGreyImage->SetColor(index, c.value, false);
      if (fFilterImage) fFilterImage->SetColor(index, c.value, false);
    }
  }
  if (fBracketArea) fBracketArea->Redraw();
  const bool synced = fGreyImage && fGreyImage->SyncPalette();
  if (Redraw(redraw3d, true, nullptr, nullptr) != kNoErr || !synced) return false;
  if (fFilteringPanel && fFilteringPanel->IsShown()) {
    if (DrawFilterPreview()) return false;
    auto* curve = dynamic_cast<CImElement*>(fFilterSrcImage);
    if (curve && curve->GetImage() && fLut) {
      CImVector colours[kGradientEntries];
      GreyImageColours(colours);
      fLut->Draw(curve->GetImage(), colours, fGradientMode);
      curve->Redraw();
    }
  } else if (fPicturesPanel && fPicturesPanel->IsShown() && fImageDest) {
    fImageDest->Redraw();
  }
  return true;
}
