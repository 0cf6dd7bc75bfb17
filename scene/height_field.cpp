#include "scene/height_field.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "framework/core/byte_order.h"
#include "framework/core/dyn_table.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/line_drawer.h"
#include "scene/segment_clip.h"
#include "scene/shape_intersection.h"

namespace {

constexpr double kBoxMargin = 0.01;
constexpr uint32_t kSeedSide = 8;
constexpr uint32_t kTileSide = 16;
constexpr int32_t kFirstAmplitude = 32767;
constexpr double kBellSpread = 6.4;
constexpr double kLog2E = 1.4426950408889634;
// A grey level g of 0..255 becomes trunc(g × this × 65535).
constexpr double kGreyToHeight = 0.00390625;

CHFUnit Clamped(int64_t value) { return CHFUnit(std::clamp<int64_t>(value, 0, 65535)); }

}  // namespace

C3dHeightField::C3dHeightField(const SObjectKey& key) : C3dObject(key), fTiles(new CHeightFieldGrid) {
  SizeRecord(kGridOffset);
}

C3dHeightField::~C3dHeightField() {
  delete fColours;
  delete fTiles;
}

int32_t C3dHeightField::New(C3dHeightField** out, C3dBaseSys* table, const SObjectKey& key,
                            const SSpoolTableSpec& spec, Handle32 templateMaterial) {
  return NewShape(out, table, key, spec, templateMaterial);
}

uint32_t C3dHeightField::RecordSizeFor(uint32_t n) {
  const uint64_t size = kGridOffset + 2 * uint64_t(n) * n;
  return size > UINT32_MAX ? 0 : uint32_t(size);
}

bool C3dHeightField::IsReady() const { return C3dObject::IsReady() && fTiles && !fTilesFailed; }

void C3dHeightField::SetExtras(const double extras[3]) { std::copy(extras, extras + 3, fExtras); }

// ---- size and shape

int32_t C3dHeightField::SetResolution(uint32_t n) {
  if (n == fSide) return kNoErr;
  if (n == 0) return kErrInvalidParameter;
  const uint32_t size = RecordSizeFor(n);
  if (size == 0 || !Resize(size, true, false)) return kErrOutOfMemory;
  fSide = n;
  fTiles->Clear();
  return kNoErr;
}

int32_t C3dHeightField::ResampleGrid(uint32_t* side, uint32_t requested) {
  const uint32_t m = *side;
  if (requested == m) return kNoErr;
  const uint32_t s = requested < kTileSide ? kTileSide : requested / kTileSide * kTileSide;
  const uint32_t size = RecordSizeFor(s);
  if (m == 0 || RecordSizeFor(m) == 0 || RecordSizeFor(m) > GetDataSize()) return kErrInvalidParameter;
  if (size == 0) return kErrOutOfMemory;
  CDynTable<CHFUnit> resampled(SRange{int32_t(s * s), 0}, GetDataPool());
  if (!resampled.IsValid() || !resampled.AppendN(nullptr, s * s)) return kErrOutOfMemory;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  ResampleGridBilinear(GetGrid(), resampled.GetRecords(), m, s);
  if (!Resize(size, true, false)) return kErrOutOfMemory;
  std::memcpy(GetGrid(), resampled.GetRecords(), size_t(s) * s * sizeof(CHFUnit));
  fSide = *side = s;
  fTiles->Clear();
  return kNoErr;
}

void C3dHeightField::SetBoxAndPivot() {
  const double n = fSide;
  const double lower = n * fLowerClip;
  fBox = {{-kBoxMargin, -kBoxMargin, -kBoxMargin}, {n + kBoxMargin, n + kBoxMargin, n + kBoxMargin}};
  if (fSymmetric) fBox.fMin.y = 2 * lower - n - kBoxMargin;
  const double half = fSide / 2;
  GetReference().SetPosition({half, fSymmetric ? 0 : half, half});
}

int32_t C3dHeightField::BuildTiles() {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  return fTiles->Build(GetGrid(), fSide);
}

// ---- a new terrain

int32_t C3dHeightField::Rebuild() {
  if (const int32_t error = SetResolution(kNewSide)) return error;
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    CHFUnit* grid = GetGrid();
    SRandomState& random = GetRandomState();
    for (uint32_t i = 0; i < kSeedSide * kSeedSide; ++i) grid[i] = CHFUnit(NextRandomUnit(random) * 65535 + 0.5);
  }
  uint32_t side = kSeedSide;
  int32_t amplitude = kFirstAmplitude;
  for (uint32_t target : {16u, 32u, 64u, 128u}) {
    if (const int32_t error = ResampleGrid(&side, target)) return error;
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    if (target == 32) ApplyBell(GetGrid(), fSide);
    PerturbGrid(GetGrid(), fSide, amplitude, GetRandomState());
    ClearBorder(GetGrid(), fSide);
    amplitude /= 2;
  }
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    ApplyBell(GetGrid(), fSide);
    NormaliseGrid(GetGrid(), fSide);
  }
  SetBoxAndPivot();
  return BuildTiles() ? kErrOutOfMemory : kNoErr;
}

void C3dHeightField::PerturbGrid(CHFUnit* grid, uint32_t n, int32_t amplitude, SRandomState& random) {
  for (size_t i = 0; i < size_t(n) * n; ++i) {
    const int64_t h = grid[i];
    const int64_t t = h * amplitude / 65535;
    const int64_t sum = t - amplitude / 2 + amplitude;
    const int64_t r = sum < 4 ? 1 : sum >> 1;
    grid[i] = Clamped(h + int64_t(NextRandomUnit(random) * double(2 * r) + 0.5) - r);
  }
}

void C3dHeightField::ApplyBell(CHFUnit* grid, uint32_t n) {
  const int64_t side = n, half = side / 2;
  for (int64_t i = 0; i < side; ++i) {
    for (int64_t j = 0; j < side; ++j) {
      const double distance2 = double((i - half) * (i - half) + (j - half) * (j - half));
      CHFUnit& h = grid[i * side + j];
      h = CHFUnit(h * FastExp2(-distance2 * kBellSpread / double(side * side) * kLog2E));
    }
  }
}

void C3dHeightField::ClearBorder(CHFUnit* grid, uint32_t n) {
  if (n == 0) return;
  const size_t side = n;
  for (size_t i = 0; i < side; ++i) {
    grid[i] = grid[(side - 1) * side + i] = 0;
    grid[i * side] = grid[i * side + side - 1] = 0;
  }
}

void C3dHeightField::NormaliseGrid(CHFUnit* grid, uint32_t n) {
  const size_t count = size_t(n) * n;
  if (count == 0) return;
  const auto [lo, hi] = std::minmax_element(grid, grid + count);
  const int64_t low = *lo, range = int64_t(*hi) - low;
  if (range == 0) return;
  for (size_t i = 0; i < count; ++i) grid[i] = Clamped((grid[i] - low - 1) * int64_t(65535) / range);
}

// ---- a terrain from a picture

int32_t C3dHeightField::SetFromImage(CImage* image) {
  if (!image) return kErrInvalidParameter;
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, false, false);
  if (!nav.IsUsable()) return NonZeroError(image->GetError());
  const uint32_t width = nav.GetColumns(), height = nav.GetRows();
  if (const int32_t error = SetResolution(width)) return error;
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    CHFUnit* grid = GetGrid();
    // A picture taller than wide fills the grid from its bottom rows; a shorter one leaves the rows
    // above it at 0.
    for (uint32_t r = 0; r < fSide; ++r) {
      CHFUnit* row = grid + size_t(r) * fSide;
      if (r >= height) {
        std::fill(row, row + fSide, CHFUnit(0));
        continue;
      }
      const CImVector* pixels = nav.Cells(height - 1 - r);
      for (uint32_t c = 0; c < fSide; ++c) {
        const uint32_t grey = (pixels[c].Red() + pixels[c].Green() + pixels[c].Blue()) / 3;
        row[c] = CHFUnit(grey * kGreyToHeight * 65535);
      }
    }
  }
  SetBoxAndPivot();
  return BuildTiles();
}

// ---- copies

C3dObject* C3dHeightField::Duplicate(C3dBaseSys* table) { return DuplicateShape(*this, table); }

void C3dHeightField::CopyHeaderFrom(const C3dHeightField& other) {
  fBox = other.fBox;
  std::copy(other.fExtras, other.fExtras + 3, fExtras);
  fLowerClip = other.fLowerClip;
  fUpperClip = other.fUpperClip;
  fSymmetric = other.fSymmetric;
}

int32_t C3dHeightField::CopyTo(C3dObject& target) {
  if (target.GetClass() != kClassTag) return kErrUnexpectedType;
  if (const int32_t error = C3dObject::CopyTo(target)) return error;
  auto& field = static_cast<C3dHeightField&>(target);
  if (const int32_t error = field.SetResolution(fSide)) return error;
  {
    CHolder source(this, false, false);
    CHolder destination(&field, true, false);
    if (!source.IsLocked() || !destination.IsLocked()) return kErrOutOfMemory;
    std::memcpy(field.GetGrid(), GetGrid(), size_t(fSide) * fSide * sizeof(CHFUnit));
  }
  field.CopyHeaderFrom(*this);
  return fSide ? field.BuildTiles() : kNoErr;
}

// ---- rays

// A shadow ray that any hit on this terrain stops learns the distance and the object only.
bool C3dHeightField::DistanceOnly(const CRay& ray) const { return ray.fShadowRay && StopsShadows(); }

bool C3dHeightField::Query(CRay& ray, CSpanList* spans, SHeightHit* hit) {
  RayToObjectSpace(*this, ray);
  double entry = 0, exit = 0;
  if (!fTiles->IsBuilt() || !IntersectRay(fBox, ray, entry, exit, true)) return false;
  SHeightQuery query;
  query.origin = ray.fHit.fObjOrigin;
  query.direction = ray.fHit.fObjDirection;
  query.tNear = entry;
  query.tFar = exit;
  if (!spans) {
    // A ray without a far limit ends where it leaves the box.
    query.tNear = std::max(entry, double(ray.fTMin));
    query.tFar = std::min(exit, double(ray.fTMax));
    if (query.tNear > query.tFar) return false;
  }
  query.spans = spans != nullptr;
  query.shading = !DistanceOnly(ray);
  query.symmetric = fSymmetric;
  query.lower = fSide * fLowerClip;
  query.upper = fSide * fUpperClip;
  const bool wantsTexture = ray.fWantsTexture == 1;
  struct SContext {
    C3dHeightField* field;
    CSpanList* spans;
    bool wantsTexture;
  } context{this, spans, wantsTexture};
  query.onHit = [](void* c, const SHeightHit& found) {
    auto* context = static_cast<SContext*>(c);
    SSpanEntry entry = context->field->HitEntry(found, context->wantsTexture);
    CompleteCrossing(*context->field, entry);
    try {
      context->spans->push_back(entry);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  };
  query.context = &context;
  if (fRenderHold.IsHeld()) return fTiles->Intersect(GetGrid(), query, hit);
  const CRenderHold::CTurn turn(fRenderHold);
  CHolder holder(this, false, false);
  return holder.IsLocked() && fTiles->Intersect(GetGrid(), query, hit);
}

SSpanEntry C3dHeightField::HitEntry(const SHeightHit& hit, bool wantsTexture) {
  SSpanEntry entry;
  entry.fValid = 1;
  entry.fT = hit.t;
  entry.fObjPoint = hit.point;
  entry.fObjNormal = hit.normal;
  entry.fObjShadingNormal = hit.shadingNormal;
  if (wantsTexture) {
    const double last = fSide > 1 ? fSide - 1.0 : 1.0;
    entry.fU = std::clamp(hit.point.x / last, 0.0, 1.0);
    entry.fV = std::clamp(hit.point.z / last, 0.0, 1.0);
    entry.fTangentU = {1, 0, 0};
    entry.fTangentV = {0, 0, 1};
  }
  return entry;
}

bool C3dHeightField::Intersect(CRay& ray) {
  bool answer = false;
  if (!PassesEntryTests(*this, ray, answer)) return answer;
  SHeightHit hit;
  if (!Query(ray, nullptr, &hit) || !(ray.fTMin < hit.t && hit.t < ray.fTMax)) {
    ray.CountMiss();
    return false;
  }
  if (DistanceOnly(ray)) {
    ray.fHitT = hit.t;
    ray.fHitObject = this;
    ray.fHitPart = nullptr;
  } else {
    SSpanEntry entry = HitEntry(hit, ray.fWantsTexture == 1);
    CompleteCrossing(*this, entry);
    C3dObject::RecordHit(ray, entry, this, nullptr);
  }
  ray.CountHit();
  return true;
}

bool C3dHeightField::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  if (GetStateFlags() & kExcluded) return false;
  const size_t first = spans.size();
  Query(ray, &spans, nullptr);
  SortFacetSpans(spans, first);
  return spans.size() > first;
}

void C3dHeightField::BeginRender() {
  if (fRenderHold.Begin({this})) fTiles->BeginRender();
}

void C3dHeightField::EndRender() {
  if (fRenderHold.End()) fTiles->EndRender();
}

// ---- drawing

bool C3dHeightField::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool) {
  if ((GetFlags() & kHidden) || !view) return false;
  if (fSide < 2) return true;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return false;
  const CHFUnit* grid = GetGrid();
  const uint32_t n = fSide, last = n - 1;
  const uint32_t spacing = std::max(1u, n / std::max(1u, detail));
  const int32_t shift = CHeightFieldGrid::TileShift(n);
  const float lower = float(n * fLowerClip), upper = float(n * fUpperClip);
  const double reflection = 2 * n * fLowerClip;
  const C34Matrix& toWorld = GetObjectToWorld();
  const auto point = [&](uint32_t x, uint32_t z) {
    return vector3<double>{double(x), double(grid[size_t(z) * n + x] >> shift), double(z)};
  };
  const auto segment = [&](vector3<double> a, vector3<double> b) {
    if (!ClipSegmentAboveLevel(a, b, lower) || !ClipSegmentBelowLevel(a, b, upper)) return;
    view->DrawLine3d(toWorld.TransformPoint(a), toWorld.TransformPoint(b), viewMatrix);
    if (!fSymmetric) return;
    a.y = reflection - a.y;
    b.y = reflection - b.y;
    view->DrawLine3d(toWorld.TransformPoint(a), toWorld.TransformPoint(b), viewMatrix);
  };
  // Lines every spacing samples, the last one on the far edge.
  for (uint32_t line = 0;; line = std::min(line + spacing, last)) {
    for (uint32_t at = 0; at < last;) {
      const uint32_t next = std::min(at + spacing, last);
      segment(point(at, line), point(next, line));
      segment(point(line, at), point(line, next));
      at = next;
    }
    if (line == last) break;
  }
  return true;
}

// ---- the record

bool C3dHeightField::SaveState() {
  if (!C3dObject::SaveState()) return false;
  uint8_t* record = GetData();
  std::memset(record + kByteOrderOffset, 0, kBoxOffset - kByteOrderOffset);
  StoreField(record + kBoxOffset, fBox);
  StoreField(record + kExtrasOffset, fExtras);
  StoreField(record + kLowerClipOffset, fLowerClip);
  StoreField(record + kUpperClipOffset, fUpperClip);
  StoreField(record + kSideOffset, fSide);
  record[kSymmetricOffset] = fSymmetric;
  std::memset(record + kSymmetricOffset + 1, 0, kGridOffset - kSymmetricOffset - 1);
  return true;
}

void C3dHeightField::RestoreState() {
  C3dObject::RestoreState();
  const uint8_t* record = GetData();
  fBox = LoadField<C3dBox>(record + kBoxOffset);
  std::memcpy(fExtras, record + kExtrasOffset, sizeof fExtras);
  fLowerClip = LoadField<double>(record + kLowerClipOffset);
  fUpperClip = LoadField<double>(record + kUpperClipOffset);
  fSide = LoadField<uint32_t>(record + kSideOffset);
  fSymmetric = record[kSymmetricOffset] != 0;
  // The record is being read and stays in memory meanwhile. A terrain saved before it had heights
  // has no tiles, and no ray meets it.
  fTilesFailed = fSide != 0 && fTiles->Build(GetGrid(), fSide) != kNoErr;
  if (fSide == 0) fTiles->Clear();
}

bool C3dHeightField::IsInStoredOrder(const uint8_t* record, uint32_t size) const {
  return size <= kByteOrderOffset || record[kByteOrderOffset] != 0;
}

bool C3dHeightField::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kGridOffset) return false;
  const bool bigEndian = record[kByteOrderOffset] != 0;
  const uint32_t stored = LoadField<uint32_t>(record + kSideOffset);
  const uint32_t n = bigEndian ? SwapLong(stored) : stored;
  const uint32_t needed = RecordSizeFor(n);
  if (needed == 0 || needed > size) return false;
  if (!C3dObject::SwapRecord(record, size)) return false;
  record[kByteOrderOffset] = bigEndian ? 0 : 1;
  SwapWordAt(record + kSideOffset);
  for (uint32_t offset = kBoxOffset; offset < kSideOffset; offset += 8) SwapDoubleAt(record + offset);
  uint8_t* grid = record + kGridOffset;
  for (size_t i = 0; i < size_t(n) * n; ++i) StoreField(grid + 2 * i, SwapShort(LoadField<uint16_t>(grid + 2 * i)));
  return true;
}
