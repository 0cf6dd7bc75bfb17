#include "scene/sphere.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/class_mesh.h"
#include "scene/factory.h"
#include "scene/group.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr uint32_t kMeshCount = 3;
constexpr uint32_t kSelectedMesh = 0;
constexpr uint32_t kMovingMesh = 1;
constexpr uint32_t kUnselectedMesh = 2;
// The world box is grown by the sphere's points on 25 rings of 24.
constexpr uint32_t kBoxSteps = 24;

C3dClassMesh* gMeshes[kMeshCount] = {};

double Clamped(double x) { return std::clamp(x, -1.0, 1.0); }

// A point of the unit sphere at polar angle θ from +y and azimuth φ from +z towards +x.
vector3<double> SpherePoint(double theta, double phi) {
  return {std::sin(phi) * std::sin(theta), std::cos(theta), std::cos(phi) * std::sin(theta)};
}

}  // namespace

C3dSphere::C3dSphere(const SObjectKey& key) : C3dObject(key) { SizeRecord(kRecordSize); }

int32_t C3dSphere::New(C3dSphere** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                       Handle32 templateMaterial) {
  return NewShape(out, table, key, spec, templateMaterial);
}

C3dObject* C3dSphere::Duplicate(C3dBaseSys* table) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dSphere>(GetEnvironment(), key, spec);
  C3dSphere* copy = nullptr;
  if (New(&copy, table, key, spec, GetMaterial())) return nullptr;
  if (CopyTo(*copy)) {
    DeleteShape(copy);
    return nullptr;
  }
  return copy;
}

// ---- class meshes

int32_t C3dSphere::InitClassMesh() {
  FreeClassMesh();
  CAppl* app = GetApplication();
  CSpoolSys* environment = app ? app->GetDataEnv() : nullptr;
  for (C3dClassMesh*& mesh : gMeshes) {
    mesh = new C3dClassMesh(environment);
    if (!mesh || !mesh->IsUsable()) {
      FreeClassMesh();
      return kErrOutOfMemory;
    }
  }
  return kNoErr;
}

int32_t C3dSphere::FreeClassMesh() {
  for (C3dClassMesh*& mesh : gMeshes) {
    delete mesh;
    mesh = nullptr;
  }
  return kNoErr;
}

int32_t C3dSphere::BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2) {
  const uint32_t details[kMeshCount] = {detail0, detail1, detail2};
  for (uint32_t i = 0; i < kMeshCount; ++i) {
    if (const int32_t error = MakeClassMesh(gMeshes[i], details[i])) return error;
  }
  return kNoErr;
}

int32_t C3dSphere::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  // Detail 0 draws the bounds box instead.
  if (n == 0) return kNoErr;
  for (uint32_t k = 0; k <= n; ++k) {
    const double theta = k * kPi / n;
    for (uint32_t j = 0; j < n; ++j) {
      const vector3<double> p = SpherePoint(theta, j * 2 * kPi / n);
      const uint32_t index = k * n + j;
      if (!mesh->AddVertex({p.x, p.y, p.z})) return kErrOutOfMemory;
      if (!mesh->AddEdge(index, j == 0 ? index + n - 1 : index - 1)) return kErrOutOfMemory;
      if (k > 0 && !mesh->AddEdge(index, index - n)) return kErrOutOfMemory;
    }
  }
  return kNoErr;
}

C3dClassMesh* C3dSphere::GetClassMesh(uint32_t index) { return index < kMeshCount ? gMeshes[index] : nullptr; }

bool C3dSphere::DrawWireframe(CView* view, const C34Matrix& viewMatrix, uint32_t, bool reduced) {
  const uint32_t mesh = reduced ? kMovingMesh : IsSelected() ? kSelectedMesh : kUnselectedMesh;
  return DrawMeshEdges(gMeshes[mesh], view, viewMatrix);
}

// ---- boxes

C3dBox C3dSphere::LocalBox() { return {{-1, -1, -1}, {1, 1, 1}}; }

C3dBox C3dSphere::WorldBox() {
  const C34Matrix& toWorld = GetObjectToWorld();
  C3dBox box = C3dBox::Empty();
  for (uint32_t k = 0; k <= kBoxSteps; ++k) {
    for (uint32_t j = 0; j < kBoxSteps; ++j)
      box.Extend(toWorld.TransformPoint(SpherePoint(k * kPi / kBoxSteps, j * 2 * kPi / kBoxSteps)));
  }
  return box;
}

// ---- rays

bool C3dSphere::Roots(CRay& ray, double& nearT, double& farT) {
  RayToObject(ray, GetWorldToObject(), GetObjectToWorld());
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double length2 = Dot(d, d);
  if (!(length2 > 1e-150)) return false;
  const double k = FastInvSqrt(length2);
  const double b = Dot(d, -o) * k;
  const double disc = 1 - (Dot(o, o) - b * b);
  if (!(disc >= 0)) return false;
  const double s = FastSqrt(disc);
  nearT = (b - s) * k;
  farT = (b + s) * k;
  return true;
}

SSpanEntry C3dSphere::SurfaceAt(const CRay& ray, double t) {
  const vector3<double> p = ray.fHit.fObjOrigin + ray.fHit.fObjDirection * t;
  SSpanEntry hit;
  hit.fT = t;
  hit.fObject = this;
  hit.fValid = 1;
  if (ray.fWantsTexture == 1) {
    const double polar = std::acos(Clamped(-p.y));
    hit.fV = polar / kPi;
    if (hit.fV != 0 && hit.fV != 1) {
      hit.fU = std::acos(Clamped(p.x / std::sin(polar))) / (2 * kPi);
      if (p.z <= 0) hit.fU = 1 - hit.fU;
    }
    const double r = std::sqrt(p.x * p.x + p.z * p.z);
    // At the poles the direction of growing u is undefined.
    if (r > 0) hit.fTangentU = {-p.z / r, 0, p.x / r};
    hit.fTangentV = {0, 1, 0};
  }
  // On the unit sphere the normal is the point.
  hit.fObjPoint = hit.fObjNormal = hit.fObjShadingNormal = p;
  hit.fNormal = hit.fShadingNormal = NormalToWorld(p);
  hit.fPoint = GetObjectToWorld().TransformPoint(p);
  return hit;
}

bool C3dSphere::Intersect(CRay& ray) {
  if (GetStateFlags() & kExcluded) return false;
  if (!ray.fFilterRay) {
    if (GetStateFlags() & kBooleanMember) return C3dGroup::IntersectInBooleanGroup(ray, this);
  } else if (!PassesPickFilters(ray)) {
    return false;
  }
  double t = 0, farT = 0;
  bool hit = Roots(ray, t, farT) && float(t) < ray.fTMax;
  if (hit && float(t) <= ray.fTMin) {
    t = farT;
    hit = ray.fTMin < float(t) && float(t) < ray.fTMax;
  }
  if (!hit) {
    ray.CountMiss();
    return false;
  }
  RecordHit(ray, SurfaceAt(ray, t), this, nullptr);
  ray.CountHit();
  return true;
}

bool C3dSphere::IntersectSpans(CRay& ray, bool) {
  if (GetStateFlags() & kExcluded) return false;
  double entry = 0, exit = 0;
  if (!Roots(ray, entry, exit)) return false;
  return GetSpans().Append(SurfaceAt(ray, entry)) && GetSpans().Append(SurfaceAt(ray, exit));
}
