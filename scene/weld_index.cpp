#include "scene/weld_index.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Cells of 16 weld distances: a point lies within the distance of a border on one axis in one case of
// eight, so most searches look in one cell only.
constexpr double kCellsPerDistance = 16;

uint64_t Mix(uint64_t v) {
  v ^= v >> 33;
  v *= 0xff51afd7ed558ccdull;
  v ^= v >> 33;
  v *= 0xc4ceb9fe1a85ec53ull;
  return v ^ (v >> 33);
}

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v == 0 ? 0.0 : v); }

// The next cell number: past 2^53 the numbers are the doubles themselves.
double NextCell(double cell) { return cell + 1 > cell ? cell + 1 : std::nextafter(cell, INFINITY); }

vector3<double> PointAt(const uint8_t* points, uint32_t stride, uint32_t i) {
  vector3<double> p;
  std::memcpy(&p, points + size_t(stride) * i, sizeof p);
  return p;
}

// A point with a coordinate that is infinite or not a number is within no distance of any point.
bool IsFinite(const vector3<double>& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

bool Within(const vector3<double>& a, const vector3<double>& b, double distance) {
  return std::fabs(a.x - b.x) < distance && std::fabs(a.y - b.y) < distance && std::fabs(a.z - b.z) < distance;
}

}  // namespace

CWeldIndex::CWeldIndex(double distance) : fDistance(distance), fCellSize(distance * kCellsPerDistance) {}

void CWeldIndex::Forget() {
  fLast.clear();
  fBefore.clear();
}

// Rounding keeps the order of numbers, so every coordinate within the distance falls between the
// cells of coordinate − distance and coordinate + distance.
CWeldIndex::SSpan CWeldIndex::CellsNear(double coordinate) const {
  return {std::floor((coordinate - fDistance) / fCellSize), std::floor((coordinate + fDistance) / fCellSize)};
}

uint64_t CWeldIndex::CellKey(double x, double y, double z) {
  return Mix(Bits(x) ^ Mix(Bits(y) ^ Mix(Bits(z))));
}

void CWeldIndex::Add(uint32_t index, const vector3<double>& p) {
  if (!IsFinite(p)) {
    fBefore.push_back(kNotFound);
    return;
  }
  const uint64_t key =
      CellKey(std::floor(p.x / fCellSize), std::floor(p.y / fCellSize), std::floor(p.z / fCellSize));
  auto [last, added] = fLast.try_emplace(key, index);
  fBefore.push_back(added ? kNotFound : last->second);
  last->second = index;
}

uint32_t CWeldIndex::Find(const uint8_t* points, uint32_t stride, uint32_t count, const vector3<double>& p) {
  if (fBefore.size() > count) Forget();
  while (fBefore.size() < count) Add(uint32_t(fBefore.size()), PointAt(points, stride, uint32_t(fBefore.size())));
  if (!IsFinite(p)) return kNotFound;
  const SSpan xs = CellsNear(p.x), ys = CellsNear(p.y), zs = CellsNear(p.z);
  uint32_t found = kNotFound;
  const auto each = [](const SSpan& span, const auto& visit) {
    // Far out a cell number may be infinite: it is one cell, and the walk ends on reaching it.
    for (double cell = span.first;; cell = NextCell(cell)) {
      visit(cell);
      if (cell >= span.last) break;
    }
  };
  each(xs, [&](double x) {
    each(ys, [&](double y) {
      each(zs, [&](double z) {
        const auto cell = fLast.find(CellKey(x, y, z));
        if (cell == fLast.end()) return;
        for (uint32_t i = cell->second; i != kNotFound; i = fBefore[i]) {
          if (i < found && Within(PointAt(points, stride, i), p, fDistance)) found = i;
        }
      });
    });
  });
  return found;
}
