// The scene's camera: its eye is the placed object's position; it carries the viewing direction, the
// up vector, the point it looks at and the projection settings. The renderer takes its view frame
// from GetProjection, the editor moves it with the camera moves and draws it as a small pyramid with
// a direction stroke. Rendering rays never see it; picking rays meet its pick body.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/object.h"

// The camera's part of its record, in record order: every value a double.
struct SCameraView {
  static constexpr double kDefaultFieldAngle = 1.047197551197;  // 60 degrees

  vector3<double> direction{0, 0, 1};
  vector3<double> up{0, 1, 0};
  vector3<double> target;
  double reserved = 0;
  double fieldAngle = kDefaultFieldAngle;  // radians
  double scale = 1;                        // of the view plane
  double aspect = 1;                       // widens the view plane
  // The view plane's shift, as fractions of its half extents.
  double offsetX = 0;
  double offsetY = 0;
  // Widen the view without moving the view plane.
  double extentX = 1;
  double extentY = 1;

  bool operator==(const SCameraView&) const = default;
};

static_assert(sizeof(SCameraView) == 17 * 8);

// The frame GetProjection answers: unit right, up and direction vectors, the distance of the view
// plane from the eye, its half extents and its shift.
struct SCameraProjection {
  vector3<double> right;
  vector3<double> up;
  vector3<double> direction;
  double focalDistance = 0;
  float halfExtents[2] = {};
  float offsets[2] = {};
};

class C3dCamera : public C3dObject, public C3dClassMeshes<C3dCamera, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("camr");
  static constexpr uint32_t kClassTag = FourCC("base");
  static constexpr const char* kTypeName = "C3dBaseCamera";
  static constexpr uint32_t kViewOffset = 748;
  static constexpr uint32_t kRecordSize = kViewOffset + sizeof(SCameraView);
  static constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};

  explicit C3dCamera(const SObjectKey& key);

  // A square at z = 1, the eye behind it at z = −1 joined to its corners, and the stroke from the
  // origin along +z, the way the camera looks.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  SCameraView& GetView() { return fView; }
  const SCameraView& GetView() const { return fView; }

  // The frame for a picture of width × height pixels; a height below 1 counts as 1.
  SCameraProjection GetProjection(int32_t width, int32_t height) const;
  // Rebuilds the placement matrix from its attributes and takes the attributes back from it.
  void UpdateMatrix();
  // Rolls the up vector about the viewing direction.
  void RotateEyeAndTarget(double angle);
  // Turns the view about the vertical axis, or about the camera's horizontal axis, through the eye;
  // the target stays at its distance along the new direction.
  void TurnA(double angle);
  void TurnB(double angle);
  // Aims the camera from its eye at the point, which becomes the target; the up vector is rebuilt
  // square to the new direction. The eye's own position changes nothing.
  void SetOrigin(const vector3<double>& point);
  // Moves the eye round the target, about the vertical axis or the camera's horizontal axis, still
  // looking at it; turns below 1e-05 radians change nothing.
  void OrbitA(double angle);
  void OrbitB(double angle);

  const char* TypeName() const override { return kTypeName; }
  void InitDefaults() override { fView = SCameraView(); }
  // The placed object's part, then the whole view.
  int32_t CopyTo(C3dObject& target) override;
  int32_t Prepare() override { return 0; }
  // Only picking rays, against the pick body: the pyramid of twice the unit pyramid's size.
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay&, bool, CSpanList&) override { return false; }
  bool IsRayInside(const CRay&) override { return false; }
  bool IsSolid() const override { return false; }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return false; }
  bool IsUnbounded() const override { return false; }
  uint32_t FacetCount() override { return 0; }
  C3dBox LocalBox() override { return kLocalBox; }
  // Around the wireframe's points.
  C3dBox WorldBox() override;
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;

  bool SaveState() override;
  void RestoreState() override;
  // Direction, up, target, field angle, scale and aspect go big-endian; the reserved value, the
  // offsets and the extents stay in the writing machine's order.
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 private:
  // Turns direction and up by the rotation about the unit axis.
  void Turn(const vector3<double>& axis, double angle);
  // Turns the view with the eye fixed, the target following at its distance.
  void TurnAboutEye(const vector3<double>& axis, double angle);
  // Turns the eye round the target and the view with it.
  void Orbit(const vector3<double>& axis, double angle);
  // The horizontal axis of the view, up × direction; zero when they are parallel.
  vector3<double> Right() const;

  SCameraView fView;
};
