// What every primitive shape class T (sphere, cube, pyramid, plane, square, disk, cone, cylinder,
// torus) has in the same form: the shape factory with its material copy, the record size, type name
// and facet count of T, Intersect's entry tests before T's own arithmetic in object space,
// Duplicate through the factory, nothing to prepare, and the class mesh T chooses drawn through the
// object's matrix.
#pragma once

#include <cstdint>

#include "scene/factory.h"
#include "scene/object.h"
#include "scene/shape_intersection.h"

template <typename T>
class C3dPrimitive : public C3dObject {
 public:
  explicit C3dPrimitive(const SObjectKey& key) : C3dObject(key) { SizeRecord(T::kRecordSize); }

  // The new shape gets a new base material copied from the template material.
  static int32_t New(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                     Handle32 templateMaterial) {
    return NewShape(out, table, key, spec, templateMaterial);
  }

  const char* TypeName() const override { return T::kTypeName; }
  uint32_t FacetCount() override { return T::kFacets; }
  C3dObject* Duplicate(C3dBaseSys* table) override { return DuplicateShape(static_cast<T&>(*this), table); }
  int32_t Prepare() override { return 0; }
  bool IsRayInside(const CRay&) override { return false; }

  bool Intersect(CRay& ray) override {
    bool answer = false;
    return PassesEntryTests(*this, ray, answer) ? static_cast<T&>(*this).IntersectObjectSpace(ray) : answer;
  }
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t, bool reduced) override {
    return DrawMeshEdges(T::DrawnMesh(reduced, IsSelected()), view, viewMatrix);
  }
};
