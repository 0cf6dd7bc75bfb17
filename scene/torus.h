// The torus: a ring about the y axis of object space, its tube of radius r (minor) round the circle
// of radius R (major) in y = 0. It keeps both radii in its record and its local box with them.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dTorus : public C3dPrimitive<C3dTorus>, public C3dClassMeshes<C3dTorus, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("toru");
  static constexpr const char* kTypeName = "C3dTorusType";
  static constexpr uint32_t kMinorOffset = 748;
  static constexpr uint32_t kMajorOffset = 756;
  static constexpr uint32_t kRecordSize = 764;
  static constexpr uint32_t kFacets = 256;

  using C3dPrimitive::C3dPrimitive;

  // The torus's own name for the shape factory.
  static int32_t NewWithMaterial(C3dTorus** out, C3dBaseSys* table, const SObjectKey& key,
                                 const SSpoolTableSpec& spec, Handle32 templateMaterial) {
    return New(out, table, key, spec, templateMaterial);
  }

  // Every torus draws the one mesh, made for the radii and detail of the last one drawn; a change of
  // the display detail only forgets them, so that the next drawing makes it again.
  static int32_t BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2);
  // n rings (at least three) of n points round the tube, at n angles round the axis, for the radii
  // of the last drawing; each point joined to the next of its ring and to the same point of the next
  // ring, the last ring to the first.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);

  double GetMinorRadius() const { return fShape.minor; }
  double GetMajorRadius() const { return fShape.major; }
  void SetMinorRadius(double r);
  void SetMajorRadius(double r);
  // The local box from the radii.
  void UpdateBounds() { fBox = fShape.LocalBox(); }

  bool IntersectObjectSpace(CRay& ray) { return IntersectTorus(*this, ray, fShape); }
  bool IntersectSpans(CRay& ray, bool, CSpanList& spans) override { return TorusSpans(*this, ray, spans, fShape); }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  bool HasEditor() const override { return true; }
  C3dBox LocalBox() override { return fBox; }
  C3dBox WorldBox() override { return TorusWorldBox(GetObjectToWorld(), fShape); }
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;
  // The radii and the box, then the placed object's part.
  int32_t CopyTo(C3dObject& target) override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 private:
  STorus fShape;
  C3dBox fBox;
};
