// Stones: a rough sphere or cube built from quads split at random, every vertex pushed in or out
// along its direction by lattice noise, the whole flattened vertically at random and finished with
// smooth normals. Every parameter comes from the program's random generator, so each stone differs.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "framework/core/value_noise.h"
#include "scene/triangle_mesh.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = 1.5707963268;
constexpr uint32_t kMostAround = 32;
constexpr uint32_t kFewestAlongEdge = 4;
constexpr uint32_t kMostAlongEdge = 16;
// The quad rule's thresholds on a draw of 0 to 32768.
constexpr int32_t kSplitFromLast = 20001;
constexpr int32_t kSplitAtCentre = 10001;

// What the generator draws, in the order it draws them.
struct SStoneParameters {
  bool cube = false;
  double noiseOffset = 0;
  double blend = 0;
  double amplitude = 0;
  double noiseScale = 0;
  uint32_t segments = 12;
};

SStoneParameters DrawParameters(SRandomState& random) {
  SStoneParameters p;
  p.cube = ~NextRandom(random) & 1;
  p.noiseOffset = std::trunc(NextRandomUnit(random) * 32768);
  p.blend = NextRandomUnit(random) * 0.34 + 0.66;
  p.amplitude = std::trunc(NextRandomUnit(random) * 150 + 250 + 0.5);
  p.noiseScale = NextRandomUnit(random) * 1.4 + 0.6;
  if (int32_t(NextRandom(random)) > 0) p.segments = 32;
  if (int32_t(NextRandom(random)) > 0) p.segments = 24;
  if (int32_t(NextRandom(random)) > 0) p.segments = 16;
  return p;
}

// Three octaves of lattice noise for a direction, as a displacement of up to 1800 parts in 1024.
int32_t StoneNoise(const vector3<double>& p, const SStoneParameters& stone) {
  const double offset = stone.noiseOffset / 1024;
  vector3<double> q{p.x * stone.noiseScale + offset, p.y * stone.noiseScale - offset, p.z * stone.noiseScale};
  double v = ValueNoise(q.x, q.y, q.z, 2);
  for (int octave = 0; octave < 2; ++octave) {
    q *= 0.5;
    v += 2 * ValueNoise(q.x, q.y, q.z, 2);
  }
  const int32_t d = int32_t(stone.amplitude * v);
  return d >= 901 ? 1800 - d : d;
}

}  // namespace

// Adds the base shape's vertices and faces; each call answers false once the mesh cannot grow.
class CStoneBuilder {
 public:
  CStoneBuilder(C3dTriangleMesh& mesh, SRandomState& random) : fMesh(mesh), fRandom(random) {}

  bool Point(const vector3<double>& p) { return fMesh.AddVertex(&p); }
  bool Triangle(uint32_t a, uint32_t b, uint32_t c) {
    const uint32_t vertex[3] = {a, b, c};
    return fMesh.AddFlatFace(vertex);
  }
  // Corners in order around the quad; split along one diagonal or the other, or into four about a
  // new vertex at its centre.
  bool Quad(uint32_t q1, uint32_t q2, uint32_t q3, uint32_t q4) {
    const int32_t r = int32_t(NextRandomUnit(fRandom) * 32768 + 0.5);
    if (r >= kSplitFromLast) return Triangle(q4, q1, q2) && Triangle(q2, q3, q4);
    if (r >= kSplitAtCentre) return Triangle(q1, q2, q3) && Triangle(q3, q4, q1);
    vector3<double> corners[4];
    const uint32_t q[4] = {q1, q2, q3, q4};
    for (int k = 0; k < 4; ++k)
      if (!fMesh.GetVertex(q[k], &corners[k])) return false;
    const uint32_t centre = fMesh.GetVertexCount();
    return Point((corners[0] + corners[1] + corners[2] + corners[3]) * 0.25) && Triangle(q1, q2, centre) &&
           Triangle(centre, q2, q3) && Triangle(q3, q4, centre) && Triangle(centre, q4, q1);
  }

  // A pole, rings of m points around, a pole; the faces wind outward.
  bool Sphere(uint32_t segments) {
    const uint32_t m = std::min(segments, kMostAround);
    const uint32_t rings = m / 2 - 1;
    if (!Point({std::cos(-kHalfPi), std::sin(-kHalfPi), 0})) return false;
    for (uint32_t j = 1; j <= rings; ++j) {
      const double latitude = j * kPi / (m / 2) - kHalfPi;
      for (uint32_t i = 0; i < m; ++i) {
        const double a = 2 * kPi * i / m;
        if (!Point({std::cos(latitude) * std::cos(a), std::sin(latitude), std::cos(latitude) * std::sin(a)}))
          return false;
      }
    }
    const uint32_t north = fMesh.GetVertexCount();
    if (!Point({std::cos(kHalfPi), std::sin(kHalfPi), 0})) return false;
    const auto ring = [m](uint32_t j, uint32_t i) { return 1 + (j - 1) * m + i % m; };
    for (uint32_t i = 0; i < m; ++i) {
      if (!Triangle(0, ring(1, i), ring(1, i + 1))) return false;
      for (uint32_t j = 1; j < rings; ++j) {
        if (!Quad(ring(j, i + 1), ring(j, i), ring(j + 1, i), ring(j + 1, i + 1))) return false;
      }
      if (!Triangle(ring(rings, i + 1), ring(rings, i), north)) return false;
    }
    return true;
  }

  // g levels of rings of 4 (g − 1) points round the sides of [−1, 1]³, then the interior points of
  // the bottom and top faces; the faces wind outward.
  bool Cube(uint32_t segments) {
    const uint32_t g = std::clamp(segments / 4, kFewestAlongEdge, kMostAlongEdge);
    const uint32_t around = 4 * (g - 1);
    const auto coordinate = [g](uint32_t i) { return 2.0 * i / (g - 1) - 1; };
    // The ring goes from +x towards +z, as the sphere's rings do.
    const auto ringPoint = [&](uint32_t position) -> vector3<double> {
      const uint32_t side = position / (g - 1), step = position % (g - 1);
      switch (side) {
        case 0: return {1, 0, coordinate(step)};
        case 1: return {coordinate(g - 1 - step), 0, 1};
        case 2: return {-1, 0, coordinate(g - 1 - step)};
        default: return {coordinate(step), 0, -1};
      }
    };
    for (uint32_t level = 0; level < g; ++level) {
      for (uint32_t position = 0; position < around; ++position) {
        vector3<double> p = ringPoint(position);
        p.y = coordinate(level);
        if (!Point(p)) return false;
      }
    }
    const uint32_t interior[2] = {fMesh.GetVertexCount(), fMesh.GetVertexCount() + (g - 2) * (g - 2)};
    for (int face = 0; face < 2; ++face) {
      for (uint32_t z = 1; z + 1 < g; ++z)
        for (uint32_t x = 1; x + 1 < g; ++x)
          if (!Point({coordinate(x), face ? 1.0 : -1.0, coordinate(z)})) return false;
    }
    const auto ring = [around](uint32_t level, uint32_t position) { return level * around + position % around; };
    for (uint32_t level = 0; level + 1 < g; ++level) {
      for (uint32_t i = 0; i < around; ++i) {
        if (!Quad(ring(level, i + 1), ring(level, i), ring(level + 1, i), ring(level + 1, i + 1))) return false;
      }
    }
    // The vertex at grid point (x, z) of the bottom (face 0) or top (face 1) face.
    const auto facePoint = [&](int face, uint32_t x, uint32_t z) {
      const uint32_t level = face ? g - 1 : 0;
      if (x == g - 1 && z < g - 1) return ring(level, z);
      if (z == g - 1 && x > 0) return ring(level, (g - 1) + (g - 1 - x));
      if (x == 0 && z > 0) return ring(level, 2 * (g - 1) + (g - 1 - z));
      if (z == 0) return ring(level, 3 * (g - 1) + x);
      return interior[face] + (z - 1) * (g - 2) + (x - 1);
    };
    for (int face = 0; face < 2; ++face) {
      for (uint32_t z = 0; z + 1 < g; ++z) {
        for (uint32_t x = 0; x + 1 < g; ++x) {
          const uint32_t a = facePoint(face, x, z), b = facePoint(face, x + 1, z);
          const uint32_t c = facePoint(face, x + 1, z + 1), d = facePoint(face, x, z + 1);
          if (!(face ? Quad(a, d, c, b) : Quad(a, b, c, d))) return false;
        }
      }
    }
    return true;
  }

 private:
  C3dTriangleMesh& fMesh;
  SRandomState& fRandom;
};

int32_t C3dTriangleMesh::Optimize() {
  if (fVertexCount || fNormalCount || fFaceCount) return kErrUnexpectedStatus;
  SRandomState& random = GetRandomState();
  const SStoneParameters stone = DrawParameters(random);
  CStoneBuilder builder(*this, random);
  if (!(stone.cube ? builder.Cube(stone.segments) : builder.Sphere(stone.segments))) return kErrOutOfMemory;
  const double flatten = NextRandomUnit(random) * 0.7 + 0.3;
  {
    CHolder holder(this, true, false);
    if (!holder.IsLocked()) return kErrOutOfMemory;
    uint8_t* vertices = BindData().vertices;
    for (uint32_t i = 0; i < fVertexCount; ++i) {
      uint8_t* at = vertices + size_t(kVertexBytes) * i;
      const vector3<double> w = LoadField<vector3<double>>(at);
      const vector3<double> p = w * FastInvSqrt(Dot(w, w));
      const vector3<double> displaced = p * ((1024.0 - StoneNoise(p, stone)) / 1024);
      vector3<double> moved = stone.blend < 1 ? w + (displaced - w) * stone.blend : displaced;
      moved.y *= flatten;
      StoreField(at, moved);
    }
  }
  ForgetWelds();
  return FinishStone();
}

int32_t C3dTriangleMesh::FinishStone() {
  ComputeBounds();
  ClearBoundsCache();
  // The face normals follow the displaced vertices before the run-time records take their projection
  // axes from them; the vertex normals then gather their neighbours through the voxel grid.
  int32_t result = ComputeFaceNormals();
  if (!result) result = PrepareRunTime();
  if (!result) result = ComputeVertexNormals(kSmoothAngle);
  if (!result) SetAllFacesVisible(true);
  return result;
}
