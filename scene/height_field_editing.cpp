// What the terrain editor, the undo history, the earlier document format and the ray tracer's
// elevation colours do with a height field's grid: snapshots and exchanges, changes of resolution,
// copies of regions, 8-bit pictures of the grid, the colour table and the earlier version's heights.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_reader.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image8.h"
#include "scene/factory.h"
#include "scene/height_field.h"

namespace {

// The earlier version's heights: −1024 … 1023 over the clip range, 2^-11 apart.
constexpr double kOldStep = 0.00048828125;
constexpr double kOldClipMargin = 0.0001;
constexpr int32_t kOldBase = 1024;
// 255 / 65535, rounded as the picture fill has it.
constexpr double kHeightToGrey = 0.0038910506;

// One axis of an 8-bit fixed-point resampling: position i of count maps to (i × step) / 256 of a
// source run of `length` samples; a count of 1 takes the first sample.
struct SFixedAxis {
  uint32_t step = 0;
  uint32_t length = 0;

  SFixedAxis(uint32_t sourceLength, uint32_t count)
      : step(count > 1 ? uint32_t((uint64_t(sourceLength - 1) * 256) / (count - 1)) : 0), length(sourceLength) {}
  // The sample, the next one (the last repeats) and the weight of the next, 0 to 255.
  void At(uint32_t i, uint32_t& first, uint32_t& next, uint32_t& weight) const {
    const uint64_t position = uint64_t(i) * step;
    first = std::min(uint32_t(position >> 8), length - 1);
    next = std::min(first + 1, length - 1);
    weight = uint32_t(position & 255);
  }
};

// The fixed-point bilinear sample of a grid at (column, row) along the two axes.
uint32_t FixedSample(const CHFUnit* grid, uint32_t stride, uint32_t left, uint32_t top, const SFixedAxis& columns,
                     const SFixedAxis& rows, uint32_t column, uint32_t row) {
  uint32_t x0, x1, wx, y0, y1, wy;
  columns.At(column, x0, x1, wx);
  rows.At(row, y0, y1, wy);
  const auto at = [&](uint32_t x, uint32_t y) { return uint64_t(grid[size_t(top + y) * stride + left + x]); };
  const uint64_t upper = at(x0, y0) * (256 - wx) + at(x1, y0) * wx;
  const uint64_t lower = at(x0, y1) * (256 - wx) + at(x1, y1) * wx;
  return uint32_t((upper * (256 - wy) + lower * wy) >> 16);
}

}  // namespace

// ---- snapshots and exchanges

void C3dHeightField::SwapHeader(C3dHeightField& other) {
  std::swap(fSide, other.fSide);
  std::swap(fBox, other.fBox);
  std::swap(fExtras, other.fExtras);
  std::swap(fLowerClip, other.fLowerClip);
  std::swap(fUpperClip, other.fUpperClip);
  std::swap(fSymmetric, other.fSymmetric);
}

int32_t C3dHeightField::CopyGrid(C3dHeightField& snapshot, bool rebuild) {
  if (&snapshot == this) return rebuild ? BuildTiles() : kNoErr;
  const uint32_t size = RecordSizeFor(snapshot.fSide);
  {
    CHolder source(&snapshot, false, false);
    CHolder destination(this, true, false);
    if (!source.IsLocked() || !destination.IsLocked() || !Resize(size, true, false)) return kErrOutOfMemory;
    std::memcpy(GetGrid(), snapshot.GetGrid(), size - kGridOffset);
  }
  CopyHeaderFrom(snapshot);
  fSide = snapshot.fSide;
  fTiles->Clear();
  return rebuild && fSide ? BuildTiles() : kNoErr;
}

int32_t C3dHeightField::MakeTemporary(C3dHeightField** out, uint32_t n) {
  *out = nullptr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dHeightField>(GetEnvironment(), key, spec);
  auto* field = new C3dHeightField(key);
  if (!field) return kErrOutOfMemory;
  if (!field->IsReady() || !field->Init(spec) || field->SetResolution(n)) {
    delete field;
    return kErrOutOfMemory;
  }
  *out = field;
  return kNoErr;
}

int32_t C3dHeightField::SwapData(C3dHeightField& other, bool rebuildThis, bool rebuildOther) {
  // Exchanging stored data moves the backing entries with it, which only one swap environment
  // shares between two objects.
  if (&other == this || GetEnvironment() != other.GetEnvironment() || IsStored()) return kErrInvalidParameter;
  if (!CSpoolMem::SwapData(other)) return kErrOutOfMemory;
  SwapHeader(other);
  // Each keeps its own name and object part.
  {
    CHolder mine(this, true, false);
    CHolder theirs(&other, true, false);
    if (!mine.IsLocked() || !theirs.IsLocked()) return kErrOutOfMemory;
    std::swap_ranges(GetData(), GetData() + kRecordSize, other.GetData());
  }
  fTiles->Clear();
  other.fTiles->Clear();
  const int32_t result = rebuildThis && fSide ? BuildTiles() : kNoErr;
  const int32_t otherResult = rebuildOther && other.fSide ? other.BuildTiles() : kNoErr;
  return result ? result : otherResult;
}

bool C3dHeightField::ChangeResolution(uint32_t n) {
  if (n == fSide) return true;
  if (fSide == 0) return false;
  C3dHeightField* temporary = nullptr;
  if (MakeTemporary(&temporary, n)) return false;
  bool done = false;
  {
    CHolder source(this, false, false);
    CHolder target(temporary, true, false);
    if (source.IsLocked() && target.IsLocked()) {
      ResampleGridBilinear(GetGrid(), temporary->GetGrid(), fSide, n);
      done = true;
    }
  }
  // What is no terrain but its setting travels with the new heights.
  temporary->CopyHeaderFrom(*this);
  done = done && SwapData(*temporary, false, false) == kNoErr;
  delete temporary;
  if (!done) return false;
  SetBoxAndPivot();
  return BuildTiles() == kNoErr;
}

bool C3dHeightField::CopyFrom(C3dHeightField& source, const SRect* region) {
  if (&source == this || fSide == 0) return false;
  const SRect whole{0, 0, int32_t(source.fSide), int32_t(source.fSide)};
  const SRect area = IntersectRect(region ? *region : whole, whole);
  if (area.right <= area.left || area.bottom <= area.top) return false;
  const uint32_t width = uint32_t(area.right - area.left), height = uint32_t(area.bottom - area.top);
  {
    CHolder from(&source, false, false);
    CHolder to(this, true, false);
    if (!from.IsLocked() || !to.IsLocked()) return false;
    const CHFUnit* in = source.GetGrid();
    CHFUnit* out = GetGrid();
    const uint32_t n = fSide;
    const uint32_t left = uint32_t(area.left), top = uint32_t(area.top);
    if (width == n && height == n) {
      for (uint32_t r = 0; r < n; ++r)
        std::memcpy(out + size_t(r) * n, in + size_t(top + r) * source.fSide + left, n * sizeof(CHFUnit));
    } else {
      const SFixedAxis columns(width, n), rows(height, n);
      for (uint32_t r = 0; r < n; ++r)
        for (uint32_t c = 0; c < n; ++c)
          out[size_t(r) * n + c] = CHFUnit(FixedSample(in, source.fSide, left, top, columns, rows, c, r));
    }
  }
  return BuildTiles() == kNoErr;
}

// ---- pictures of the grid

bool C3dHeightField::MakeGrayImage(CImage8* image) {
  if (!image || fSide == 0) return false;
  CIm8Navigator nav(image, nullptr, true, false);
  CHolder holder(this, false, false);
  if (!nav.IsUsable() || !holder.IsLocked()) return false;
  const uint32_t n = fSide, width = nav.GetColumns(), height = nav.GetRows();
  if (width == 0 || height == 0) return true;
  const CHFUnit* grid = GetGrid();
  // Point samples an integer step apart when the picture is no wider than the grid, bilinear in 8-bit
  // fixed point when it is wider; grid row n − 1 is the picture's top row.
  const uint32_t stepX = width > 1 ? (n - 1) / (width - 1) : 0;
  const uint32_t stepY = height > 1 ? (n - 1) / (height - 1) : 0;
  const SFixedAxis columns(n, width), rows(n, height);
  for (uint32_t y = 0; y < height; ++y) {
    CImVector8* pixels = nav.Cells(y);
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t h = 0;
      if (n >= width && n >= height) {
        h = grid[size_t(n - 1 - y * stepY) * n + x * stepX];
      } else {
        // The fixed-point rows count from the grid's first row, which is the picture's bottom row.
        h = FixedSample(grid, n, 0, 0, columns, rows, x, height - 1 - y);
      }
      const int32_t grey = 255 - int32_t((65535 - h) >> 8);
      pixels[x].value = uint8_t(std::clamp(grey, 0, 255));
    }
  }
  return true;
}

bool C3dHeightField::FillImageFromGrid(CImage8* image) {
  if (!image || fSide == 0) return false;
  CIm8Navigator nav(image, nullptr, true, false);
  CHolder holder(this, false, false);
  if (!nav.IsUsable() || !holder.IsLocked()) return false;
  const uint32_t n = fSide, width = nav.GetColumns(), height = nav.GetRows();
  const CHFUnit* grid = GetGrid();
  for (uint32_t y = 0; y < height; ++y) {
    CImVector8* pixels = nav.Cells(y);
    const uint32_t row = uint32_t(uint64_t(y) * n / height);
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t column = uint32_t(uint64_t(x) * n / width);
      pixels[x].value = uint8_t(grid[size_t(row) * n + column] * kHeightToGrey);
    }
  }
  return true;
}

// ---- the elevation colours

int32_t C3dHeightField::SetColourTable(const CImVector* colours, int32_t offset) {
  if (!colours) return kErrInvalidParameter;
  const bool made = !fColours;
  if (made) {
    CAppl* app = GetApplication();
    STableLayout layout;
    layout.SetSized(app ? app->GetDataEnv() : nullptr, sizeof(CImVector), kColourCount);
    SSpoolTableSpec spec;
    spec.SetDefaults(false, nullptr, nullptr);
    fColours = new CSpoolTableT<CImVector>(layout, spec);
    if (fColours && !fColours->IsValid()) {
      delete fColours;
      fColours = nullptr;
    }
    if (!fColours) return kErrOutOfMemory;
  }
  CHolder holder(fColours, true, false);
  if (!holder.IsLocked()) {
    // A table made for this call and never filled is no table.
    holder.Release();
    if (made) DeleteColourTable();
    return kErrOutOfMemory;
  }
  std::copy(colours, colours + kColourCount, fColours->GetRecords());
  fColourOffset = offset;
  return kNoErr;
}

bool C3dHeightField::GetColourTable(CImVector* colours, int32_t* offset) {
  if (!fColours || !colours) return false;
  CHolder holder(fColours, false, false);
  if (!holder.IsLocked()) return false;
  std::copy(fColours->GetRecords(), fColours->GetRecords() + kColourCount, colours);
  if (offset) *offset = fColourOffset;
  return true;
}

void C3dHeightField::DeleteColourTable() {
  delete fColours;
  fColours = nullptr;
  fColourOffset = 0;
}

CImVector C3dHeightField::ColourAtHeight(double fraction) {
  if (!fColours) return {};
  CHolder holder(fColours, false, false);
  if (!holder.IsLocked()) return {};
  // Heights beyond the clip range take the ends of the table.
  const double position = (fraction > 0 ? std::min(fraction, 1.0) : 0.0) * 255;
  const int32_t whole = int32_t(position);
  const double part = position - whole;
  const int32_t first = ((fColourOffset + whole) % 256 + 256) % 256;
  const int32_t next = std::min(first + 1, 255);
  const uint32_t a = (*fColours)[uint32_t(first)].value, b = (*fColours)[uint32_t(next)].value;
  uint32_t blended = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double from = ((a >> shift) & 255) / 255.0, to = ((b >> shift) & 255) / 255.0;
    blended |= uint32_t((from + (to - from) * part) * 255 + 0.5) << shift;
  }
  return {blended};
}

CImVector C3dHeightField::ColourAtPoint(const vector3<double>& objectPoint) {
  const double top = double(65535u >> CHeightFieldGrid::TileShift(fSide));
  return ColourAtHeight(top > 0 ? objectPoint.y / top : 0);
}

// ---- the earlier document format

int32_t C3dHeightField::ImportOldGrid(const uint8_t* block, uint32_t size) {
  CByteReader reader(block, size);
  uint16_t n = 0, header[3] = {};
  if (!reader.ReadBE16(&n) || !reader.ReadBE16(&header[0]) || !reader.ReadBE16(&header[1]) ||
      !reader.ReadBE16(&header[2]) || n == 0 || !reader.Has(2 * uint64_t(n) * n))
    return kErrInvalidFormat;
  if (const int32_t error = SetResolution(n)) return error;
  fUpperClip = (int16_t(header[2]) + kOldBase) * kOldStep + kOldClipMargin;
  fLowerClip = (int16_t(header[0]) + kOldBase) * kOldStep - kOldClipMargin;
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    CHFUnit* grid = GetGrid();
    for (size_t i = 0; i < size_t(n) * n; ++i) {
      uint16_t raw = 0;
      reader.ReadBE16(&raw);
      const int32_t v = int16_t(raw);
      if (v >= kOldBase) grid[i] = 65535;
      else if (fSymmetric) grid[i] = CHFUnit(v < 0 ? 0 : v * 64);
      else grid[i] = CHFUnit(std::max(0, (v + kOldBase) * 32));
    }
  }
  SetBoxAndPivot();
  return BuildTiles();
}
