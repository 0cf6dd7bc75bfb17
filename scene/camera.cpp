#include "scene/camera.h"

#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "scene/shape_intersection.h"

namespace {

// The wireframe's points: the square, the eye, then the direction stroke's ends.
constexpr vector3<double> kWireframe[7] = {{-1, 1, 1}, {1, 1, 1}, {1, -1, 1}, {-1, -1, 1},
                                           {0, 0, -1}, {0, 0, 0}, {0, 0, 2}};
constexpr uint32_t kEye = 4;
constexpr uint32_t kStrokeStart = 5;

// The pick body is the unit pyramid at twice its size: apex (0, 1, 0), base |x|, |z| ≤ 1 at y = −1.
constexpr double kPickBodySize = 2;
constexpr SShapeBottom kPickBodyBottom{-1, true};

// The view plane's height at scale 1, and the narrowing of the field angle it is seen under.
constexpr double kViewPlaneUnit = 1e-05;
constexpr double kFieldNarrowing = 0.8;
constexpr double kLeastOrbit = 1e-05;

// The vector at unit length; one too short to normalise stays as it is.
vector3<double> Unit(const vector3<double>& v) {
  const double length2 = Dot(v, v);
  return length2 > 1e-150 ? v * FastInvSqrt(length2) : v;
}

bool IsZero(const vector3<double>& v) { return v == vector3<double>{}; }

// Offsets of the swapped doubles within the camera's part: direction, up and target, then the field
// angle, the scale and the aspect.
constexpr uint32_t kSwappedVectors = 0;
constexpr uint32_t kSwappedVectorDoubles = 9;
constexpr uint32_t kSwappedSettings = 80;
constexpr uint32_t kSwappedSettingDoubles = 3;

}  // namespace

C3dCamera::C3dCamera(const SObjectKey& key) : C3dObject(key) { SizeRecord(kRecordSize); }

int32_t C3dCamera::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  C3dClassMeshBuilder builder(mesh);
  for (const vector3<double>& point : kWireframe) builder.AddVertex(point);
  builder.AddLoop(0, 4);
  for (uint32_t corner = 0; corner < 4; ++corner) builder.AddEdge(corner, kEye);
  builder.AddEdge(kStrokeStart, kStrokeStart + 1);
  return builder.GetResult();
}

// ---- projection and moves

SCameraProjection C3dCamera::GetProjection(int32_t width, int32_t height) const {
  SCameraProjection projection;
  const double h = fView.scale * kViewPlaneUnit;
  const double w = double(width) / std::max(height, 1) * fView.aspect * h;
  projection.focalDistance = w * 0.5 / std::tan(fView.fieldAngle * kFieldNarrowing * 0.5);
  const double halfWidth = w * fView.extentX, halfHeight = h * fView.extentY;
  projection.halfExtents[0] = float(halfWidth);
  projection.halfExtents[1] = float(halfHeight);
  projection.offsets[0] = float(halfWidth * fView.offsetX);
  projection.offsets[1] = float(halfHeight * fView.offsetY);
  projection.up = Unit(fView.up);
  projection.direction = Unit(fView.direction);
  projection.right = Unit(Cross(projection.up, projection.direction));
  return projection;
}

void C3dCamera::UpdateMatrix() { GetPlacement().SetFromMatrix(GetPlacement().GetMatrix()); }

vector3<double> C3dCamera::Right() const { return Unit(Cross(fView.up, fView.direction)); }

void C3dCamera::Turn(const vector3<double>& axis, double angle) {
  C34Matrix rotation;
  rotation.SetAxisRotation(axis, angle);
  fView.direction = Unit(rotation.TransformVector(fView.direction));
  fView.up = Unit(rotation.TransformVector(fView.up));
}

void C3dCamera::RotateEyeAndTarget(double angle) { Turn(Unit(fView.direction), angle); }

void C3dCamera::TurnA(double angle) { TurnAboutEye({0, 1, 0}, angle); }

void C3dCamera::TurnB(double angle) {
  // Up and direction in line leave no horizontal axis to tilt about.
  const vector3<double> axis = Right();
  if (!IsZero(axis)) TurnAboutEye(axis, angle);
}

void C3dCamera::TurnAboutEye(const vector3<double>& axis, double angle) {
  const vector3<double> eye = GetTransformVector3();
  const vector3<double> toTarget = fView.target - eye;
  const double distance = FastSqrt(Dot(toTarget, toTarget));
  Turn(axis, angle);
  fView.target = eye + fView.direction * distance;
}

void C3dCamera::SetOrigin(const vector3<double>& point) {
  const vector3<double> toPoint = point - GetTransformVector3();
  // From the eye itself there is no direction to look in.
  if (!(Dot(toPoint, toPoint) > 1e-150)) return;
  const vector3<double> d = Unit(toPoint);
  const double horizontal = std::sqrt(d.x * d.x + d.z * d.z);
  vector3<double> up;
  if (horizontal != 0) {
    up = {-d.y * d.x / horizontal, horizontal, -d.y * d.z / horizontal};
  } else {
    // Straight up or down: keep the camera's horizontal axis.
    vector3<double> right = Right();
    if (IsZero(right)) right = {1, 0, 0};
    up = Cross(d, right);
  }
  fView.target = point;
  fView.direction = d;
  fView.up = Unit(up);
}

void C3dCamera::OrbitA(double angle) { Orbit({0, 1, 0}, angle); }

void C3dCamera::OrbitB(double angle) {
  const vector3<double> axis = Right();
  if (!IsZero(axis)) Orbit(axis, angle);
}

void C3dCamera::Orbit(const vector3<double>& axis, double angle) {
  if (std::fabs(angle) < kLeastOrbit) return;
  C34Matrix rotation;
  rotation.SetAxisRotation(axis, angle);
  SetTransformVector3(fView.target + rotation.TransformVector(GetTransformVector3() - fView.target));
  Turn(axis, angle);
}

// ---- rays, boxes, drawing

bool C3dCamera::Intersect(CRay& ray) {
  if ((GetStateFlags() & kExcluded) || !ray.fFilterRay || !PassesPickFilters(ray)) return false;
  RayToObjectAlt(ray, GetWorldToObject(), GetObjectToWorld());
  SSpanEntry hit;
  return RecordNearest(*this, ray, NearestPyramidCrossing(ray, kPickBodyBottom, hit, kPickBodySize), hit);
}

C3dBox C3dCamera::WorldBox() { return SampledWorldBox(GetObjectToWorld(), kWireframe, 7); }

bool C3dCamera::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t, bool reduced) {
  return DrawMeshEdges(DrawnMesh(reduced, IsSelected()), view, viewMatrix);
}

// ---- copies and the record

int32_t C3dCamera::CopyTo(C3dObject& target) {
  if (auto* camera = dynamic_cast<C3dCamera*>(&target)) camera->fView = fView;
  return C3dObject::CopyTo(target);
}

bool C3dCamera::SaveState() {
  if (!C3dObject::SaveState()) return false;
  StoreField(GetData() + kViewOffset, fView);
  return true;
}

void C3dCamera::RestoreState() {
  C3dObject::RestoreState();
  fView = LoadField<SCameraView>(GetData() + kViewOffset);
}

bool C3dCamera::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dObject::SwapRecord(record, size)) return false;
  uint8_t* view = record + kViewOffset;
  for (uint32_t i = 0; i < kSwappedVectorDoubles; ++i) SwapDoubleAt(view + kSwappedVectors + 8 * i);
  for (uint32_t i = 0; i < kSwappedSettingDoubles; ++i) SwapDoubleAt(view + kSwappedSettings + 8 * i);
  return true;
}
