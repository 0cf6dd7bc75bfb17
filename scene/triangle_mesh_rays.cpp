// Rays through a triangle mesh: the run-time records, the voxel grid and the copy of the arrays that
// rays read, made before rendering; the nearest hit and the crossings for boolean groups.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/ray_scratch.h"
#include "scene/shape_intersection.h"
#include "scene/triangle_mesh.h"

namespace {

// A direction this close to the face's plane never meets it.
constexpr double kParallel = 1e-10;
// A hit must lie this far inside the ray's interval.
constexpr double kBeyond = 1e-10;
// Hits on an edge count.
constexpr double kEdgeLow = -1e-8;
constexpr double kEdgeHigh = 1.00000001;
// A cell takes hits this much (of its size) beyond its sides.
constexpr double kCellMargin = 0.01;
constexpr double kMinorAxis = 1e-10;

// The two axes kept when the face is projected: those of the plane its normal is most nearly
// perpendicular to. A tie with z drops z; a tie of x and y alone drops x, since dropping z there
// would flatten the face to a line.
void ProjectionAxes(const vector3<double>& n, uint32_t& i, uint32_t& j) {
  const double x = std::fabs(n.x), y = std::fabs(n.y), z = std::fabs(n.z);
  if (z >= x && z >= y) {
    i = 0;
    j = 1;
  } else if (x >= y) {
    i = 1;
    j = 2;
  } else {
    i = 0;
    j = 2;
  }
}

// Where the point lies in the face, as (1 − u − v) p0 + u p1 + v p2 over the projection axes; false
// when outside.
bool InsideFace(const vector3<double> corners[3], const vector3<double>& point, uint32_t i, uint32_t j, double& u,
                double& v) {
  const vector3<double> a = corners[1] - corners[0];
  const vector3<double> b = corners[2] - corners[0];
  const vector3<double> q = point - corners[0];
  const double ai = a[int(i)], aj = a[int(j)], bi = b[int(i)], bj = b[int(j)], qi = q[int(i)], qj = q[int(j)];
  if (std::fabs(ai) >= kMinorAxis) {
    const double denominator = ai * bj - aj * bi;
    if (denominator == 0) return false;
    v = (ai * qj - aj * qi) / denominator;
    if (!(v >= kEdgeLow && v <= kEdgeHigh)) return false;
    u = (qi - v * bi) / ai;
  } else {
    if (bi == 0 || aj == 0) return false;
    v = qi / bi;
    if (!(v >= kEdgeLow && v <= kEdgeHigh)) return false;
    u = (qj - v * bj) / aj;
  }
  return u >= kEdgeLow && u + v <= kEdgeHigh;
}

vector3<double> PointOf(const uint8_t* vertices, uint32_t index) {
  return LoadField<vector3<double>>(vertices + size_t(C3dTriangleMesh::kVertexBytes) * index);
}

// The walk starts where the ray enters the box, or at its origin inside the box, held within the box.
vector3<double> WalkStart(const vector3<double>& origin, const vector3<double>& direction, double entry,
                          const C3dBox& box) {
  const vector3<double> p = entry > 0 ? origin + direction * entry : origin;
  return {std::clamp(p.x, box.fMin.x, box.fMax.x), std::clamp(p.y, box.fMin.y, box.fMax.y),
          std::clamp(p.z, box.fMin.z, box.fMax.z)};
}

// A cell's sides, widened a little. An axis of a single cell takes every point, even one a rounding
// off a flat mesh's plane.
struct SCellBounds {
  SCellBounds(const C3dBox& box, const int32_t* counts, const int32_t cell[3]) : counts(counts) {
    for (int axis = 0; axis < 3; ++axis) {
      const double size = (box.fMax[axis] - box.fMin[axis]) / counts[axis];
      low[axis] = box.fMin[axis] + (cell[axis] - kCellMargin) * size;
      high[axis] = box.fMin[axis] + (cell[axis] + 1 + kCellMargin) * size;
    }
  }
  bool Holds(const vector3<double>& p) const {
    for (int axis = 0; axis < 3; ++axis)
      if (counts[axis] > 1 && (p[axis] < low[axis] || p[axis] > high[axis])) return false;
    return true;
  }

  const int32_t* counts;
  double low[3] = {};
  double high[3] = {};
};

}  // namespace

// One ray's walk: its object-space line, what it accepts and what it found.
struct C3dTriangleMesh::SRayWalk {
  CRay* ray = nullptr;
  // The ray's own notes of the faces it has tested.
  CFaceMailbox* mailbox = nullptr;
  vector3<double> start;
  // Every crossing goes here when the walk collects them for a boolean group; otherwise the walk looks
  // for the nearest hit.
  CSpanList* spans = nullptr;
  // The open interval a nearest hit must lie in, narrowing to the best hit, in single precision.
  double tNear = 0;
  double tBest = 0;
  bool found = false;
  SSpanEntry hit;
};

bool C3dTriangleMesh::EnsureRunTime() {
  const auto usable = [this] { return fVoxels->IsUsable() && fRunTime->IsValid() && fGeometry->IsValid(); };
  if (fVoxels && fRunTime && fGeometry) return usable();
  CAppl* app = GetApplication();
  CSpoolSys* environment = app ? app->GetDataEnv() : nullptr;
  SDynTableLayout layout;
  layout.SetSized(environment, sizeof(S3dTriRunTime), 0);
  layout.range = SRange{0, 64};
  STableLayout bytes;
  bytes.SetSized(environment, 1, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  if (!fVoxels) fVoxels = new CMeshVoxels;
  if (!fRunTime) fRunTime = new CSpoolDynTable<S3dTriRunTime>(layout, spec);
  if (!fGeometry) fGeometry = new CSpoolTableT<uint8_t>(bytes, spec);
  return fVoxels && fRunTime && fGeometry && usable();
}

// The vertex, normal and face arrays as the record holds them, one after the other.
bool C3dTriangleMesh::CopyGeometry(const SArrays& arrays) {
  const uint64_t vertexBytes = uint64_t(kVertexBytes) * fVertexCount;
  const uint64_t normalBytes = uint64_t(kNormalBytes) * fNormalCount;
  const uint64_t faceBytes = uint64_t(kFaceBytes) * fFaceCount;
  const uint64_t total = vertexBytes + normalBytes + faceBytes;
  if (total > UINT32_MAX || !fGeometry->SetSize(1, uint32_t(total), false, false)) return false;
  CHolder copy(fGeometry, true, false);
  if (!copy.IsLocked()) return false;
  uint8_t* to = fGeometry->GetRecords();
  if (vertexBytes) std::memcpy(to, arrays.vertices, vertexBytes);
  if (normalBytes) std::memcpy(to + vertexBytes, arrays.normals, normalBytes);
  if (faceBytes) std::memcpy(to + vertexBytes + normalBytes, arrays.faces, faceBytes);
  fCopiedVertices = fVertexCount;
  fCopiedNormals = fNormalCount;
  return true;
}

C3dTriangleMesh::SArrays C3dTriangleMesh::CopiedArrays() const {
  uint8_t* base = fGeometry->GetRecords();
  uint8_t* normals = base + size_t(kVertexBytes) * fCopiedVertices;
  return {base, normals, normals + size_t(kNormalBytes) * fCopiedNormals};
}

int32_t C3dTriangleMesh::PrepareRunTime() {
  // Any change of the record since the last preparation, through whatever path, makes the copy old.
  if (fPrepared && fPreparedChanges == GetChangeCount()) return kNoErr;
  fPrepared = false;
  if (!EnsureRunTime()) return kErrOutOfMemory;
  CHolder mesh(this, false, false);
  if (!mesh.IsLocked()) return kErrOutOfMemory;
  if (fRunTime->GetCount() && !fRunTime->RemoveAt(0, fRunTime->GetCount())) return kErrOutOfMemory;
  if (!fRunTime->Append(nullptr, fFaceCount)) return kErrOutOfMemory;
  CHolder table(fRunTime, true, false);
  if (!table.IsLocked()) return kErrOutOfMemory;
  const SArrays arrays = BindData();
  S3dTriRunTime* records = fRunTime->GetRecords();
  for (uint32_t f = 0; f < fFaceCount; ++f) {
    S3dFace face;
    LoadFace(arrays.faces + size_t(kFaceBytes) * f, &face);
    S3dTriRunTime& record = records[f];
    record.box = C3dBox::Empty();
    for (uint32_t k = 0; k < 3; ++k) record.box.Extend(PointOf(arrays.vertices, face.vertex[k]));
    ProjectionAxes(face.faceNormal, record.axisI, record.axisJ);
  }
  if (!CopyGeometry(arrays)) return kErrOutOfMemory;
  const int32_t result = fVoxels->Build(records, fFaceCount, fBox);
  fPrepared = result == kNoErr;
  fPreparedChanges = GetChangeCount();
  return result;
}

const int32_t* C3dTriangleMesh::GetGridCounts() const {
  static constexpr int32_t kNone[3] = {0, 0, 0};
  return fVoxels ? fVoxels->GetCounts() : kNone;
}

// ---- the walk

SSpanEntry C3dTriangleMesh::FaceHit(const SArrays& arrays, const S3dFace& face, const vector3<double>& point,
                                    double t, double u, double v, bool wantsTexture) const {
  SSpanEntry hit;
  hit.fValid = 1;
  hit.fT = t;
  hit.fObjPoint = point;
  hit.fObjNormal = hit.fObjShadingNormal = face.faceNormal;
  if (face.smooth & S3dFace::kSmooth) {
    const double weight[3] = {1 - u - v, u, v};
    vector3<double> blend;
    for (int k = 0; k < 3; ++k) {
      const bool flat = face.cornerFlags[k] & S3dFace::kFlatCorner;
      blend += (flat ? face.faceNormal : PointOf(arrays.normals, face.normal[k])) * weight[k];
    }
    const double scale = FastInvSqrt(Dot(blend, blend));
    if (std::isfinite(scale)) hit.fObjShadingNormal = blend * scale;
  }
  if (wantsTexture) {
    const vector3<double> extent = fBox.fMax - fBox.fMin;
    hit.fU = extent.x > 0 ? (point.x - fBox.fMin.x) / extent.x : 0;
    hit.fV = extent.z > 0 ? (fBox.fMax.z - point.z) / extent.z : 0;
    hit.fTangentU = {1, 0, 0};
    hit.fTangentV = {0, 0, -1};
  }
  return hit;
}

bool C3dTriangleMesh::PlaneHit(SRayWalk& walk, const SArrays& arrays, uint32_t f, S3dFace& face, double& t,
                               vector3<double>& point) {
  const vector3<double>& origin = walk.ray->fHit.fObjOrigin;
  const vector3<double>& direction = walk.ray->fHit.fObjDirection;
  const auto withinInterval = [&walk](double at) { return at - walk.tNear > kBeyond && at - walk.tBest < -kBeyond; };
  if (walk.mailbox->FirstVisit(f)) {
    LoadFace(arrays.faces + size_t(kFaceBytes) * f, &face);
    const double d = Dot(direction, face.faceNormal);
    if (std::fabs(d) < kParallel) return false;
    t = Dot(PointOf(arrays.vertices, face.vertex[0]) - origin, face.faceNormal) / d;
    if (!walk.spans && !withinInterval(t)) return false;
    point = origin + direction * t;
    return true;
  }
  // Crossings test each face once; a nearest hit may wait in the mailbox for its own cell.
  if (walk.spans || !walk.mailbox->TakeKept(f, t, point)) return false;
  if (!withinInterval(t)) return false;
  LoadFace(arrays.faces + size_t(kFaceBytes) * f, &face);
  return true;
}

bool C3dTriangleMesh::Walk(SRayWalk& walk) {
  if (fRenderHold.IsHeld()) return WalkCells(walk);
  const CRenderHold::CTurn turn(fRenderHold);
  CHolder geometry(fGeometry, false, false);
  CHolder cells(&fVoxels->GetCells(), false, false);
  CHolder indices(&fVoxels->GetIndices(), false, false);
  CHolder table(fRunTime, false, false);
  if (!geometry.IsLocked() || !cells.IsLocked() || !indices.IsLocked() || !table.IsLocked()) return false;
  return WalkCells(walk);
}

bool C3dTriangleMesh::WalkCells(SRayWalk& walk) {
  walk.mailbox = &ScratchOf(*walk.ray).Mailbox();
  if (!walk.mailbox->BeginWalk(fFaceCount)) return false;
  const S3dTriRunTime* records = fRunTime->GetRecords();
  const SArrays arrays = CopiedArrays();
  const int32_t* counts = fVoxels->GetCounts();
  const C3dBox& box = fVoxels->GetBox();
  CVoxelGrid grid;
  grid.Init(counts, box);
  grid.BeginRay(walk.start, walk.ray->fHit.fObjDirection);
  const bool wantsTexture = walk.ray->fWantsTexture == 1;
  int32_t cell[3];
  while (grid.NextCell(cell)) {
    const SCellBounds bounds(box, counts, cell);
    const S3dVoxel voxel = fVoxels->GetCells()[fVoxels->CellIndex(cell)];
    bool hitHere = false;
    for (uint32_t n = 0; n < voxel.count; ++n) {
      const uint32_t f = fVoxels->GetIndices()[voxel.first + n];
      S3dFace face;
      double t = 0;
      vector3<double> point;
      if (!PlaneHit(walk, arrays, f, face, t, point)) continue;
      if (!walk.spans && !bounds.Holds(point)) {
        if (!walk.mailbox->Keep(f, t, point)) return false;
        continue;
      }
      const vector3<double> corners[3] = {PointOf(arrays.vertices, face.vertex[0]),
                                          PointOf(arrays.vertices, face.vertex[1]),
                                          PointOf(arrays.vertices, face.vertex[2])};
      double u = 0, v = 0;
      if (!InsideFace(corners, point, records[f].axisI, records[f].axisJ, u, v)) continue;
      walk.hit = FaceHit(arrays, face, point, t, u, v, wantsTexture);
      walk.found = hitHere = true;
      if (walk.spans) {
        CompleteCrossing(*this, walk.hit);
        try {
          walk.spans->push_back(walk.hit);
        } catch (const std::bad_alloc&) {
          return false;
        }
      } else {
        walk.tBest = float(t);
        walk.hit.fT = walk.tBest;
      }
    }
    if (hitHere && !walk.spans) break;
  }
  return walk.found;
}

bool C3dTriangleMesh::Intersect(CRay& ray) {
  bool answer = false;
  if (!PassesEntryTests(*this, ray, answer)) return answer;
  RayToObjectSpace(*this, ray);
  double entry = 0, exit = 0;
  SRayWalk walk;
  const bool ready = IntersectRay(fBox, ray, entry, exit, true) && Ready();
  if (ready) {
    walk.ray = &ray;
    walk.start = WalkStart(ray.fHit.fObjOrigin, ray.fHit.fObjDirection, entry, fBox);
    walk.tNear = ray.fTMin;
    walk.tBest = ray.fTMax;
  }
  if (!ready || !Walk(walk)) {
    ray.CountMiss();
    return false;
  }
  CompleteCrossing(*this, walk.hit);
  C3dObject::RecordHit(ray, walk.hit, this, nullptr);
  ray.CountHit();
  return true;
}

bool C3dTriangleMesh::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  if (GetStateFlags() & kExcluded) return false;
  RayToObjectSpace(*this, ray);
  double entry = 0, exit = 0;
  if (!IntersectRay(fBox, ray, entry, exit, true) || !Ready()) return false;
  SRayWalk walk;
  walk.ray = &ray;
  walk.spans = &spans;
  // Every crossing of the line counts, behind the origin too, as for the other solids.
  walk.start = WalkStart(ray.fHit.fObjOrigin + ray.fHit.fObjDirection * entry, ray.fHit.fObjDirection, 0, fBox);
  const size_t first = spans.size();
  Walk(walk);
  SortFacetSpans(spans, first);
  return spans.size() > first;
}

// Picking may reach a mesh that no render has prepared; a render prepares it before its threads start.
bool C3dTriangleMesh::Ready() { return fRenderHold.IsRendering() ? fPrepared : PrepareRunTime() == kNoErr; }

void C3dTriangleMesh::BeginRender() {
  if (fRenderHold.IsRendering() || PrepareRunTime() != kNoErr) {
    fRenderHold.Begin({});
    return;
  }
  fRenderHold.Begin({fGeometry, &fVoxels->GetCells(), &fVoxels->GetIndices(), fRunTime});
}

void C3dTriangleMesh::EndRender() { fRenderHold.End(); }
