#include "document/class_table.h"

#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

namespace {

template <typename T>
C3dBase* Make(const SObjectKey& key) {
  return new T(key);
}

constexpr uint8_t kAll = SDocumentClass::kOpen | SDocumentClass::kMerge | SDocumentClass::kMaterials;
constexpr uint8_t kScene = SDocumentClass::kOpen | SDocumentClass::kMerge;
constexpr uint8_t kOpenOnly = SDocumentClass::kOpen;

// The minima are the sizes of the classes' current records; a record grown by its class would still
// read, a shrunk one not.
template <typename T>
constexpr SDocumentClass Row(uint32_t minimum, uint8_t modes, bool byKey, const char* title) {
  return {T::kFamily, T::kClassTag, T::kTypeName, minimum, &Make<T>, modes, byKey, title};
}

constexpr SDocumentClass kClasses[] = {
    Row<C3dTexture>(1216, kAll, false, "14Loading Textures"),
    Row<CPictTexture>(136, kAll, false, "14Loading Pictures"),
    Row<C3dMaterial>(568, kAll, false, "14Loading Materials"),
    Row<C3dSphere>(749, kScene, true, "14Loading Spheres"),
    Row<C3dPlane>(749, kScene, true, "14Loading Planes"),
    Row<C3dCube>(749, kScene, true, "14Loading Cubes"),
    Row<C3dPyramid>(749, kScene, true, "14Loading Pyramids"),
    Row<C3dCylinder>(749, kScene, true, "14Loading Cylinders"),
    Row<C3dCone>(749, kScene, true, "14Loading Cones"),
    Row<C3dCircle>(749, kScene, true, "14Circles"),
    Row<C3dSquare>(749, kScene, true, "14Loading Squares"),
    Row<C3dTorus>(764, kScene, true, "14Loading Tori"),
    Row<C3dHeightField>(848, kScene, true, "14Loading Terrains"),
    Row<C3dTriangleMesh>(848, kScene, true, "14Loading Polygons"),
    Row<C3dGroup>(808, kScene, true, "14Loading Groups"),
    Row<C3dSphereLight>(785, kScene, true, "14Loading Lights"),
    Row<C3dConeLight>(792, kScene, true, "14Loading Lights"),
    Row<C3dCylinderLight>(792, kScene, true, "14Loading Lights"),
    Row<C3dCubeLight>(792, kScene, true, "14Loading Lights"),
    Row<C3dPyramidLight>(792, kScene, true, "14Loading Lights"),
    Row<C3dSky>(376, kAll, false, "14Loading Sky"),
    Row<C3dSunLight>(832, kAll, false, "14Loading Sun"),
    Row<C3dCamera>(884, kOpenOnly, false, "14Loading Cameras"),
};

static_assert(C3dTexture::kRecordSize == 1216 && C3dBase::kRecordSize == 136 && C3dMaterial::kRecordSize == 568);
static_assert(C3dSphere::kRecordSize == 749 && C3dTorus::kRecordSize == 764 && C3dCamera::kRecordSize == 884);
static_assert(C3dHeightField::kGridOffset == 848 && C3dTriangleMesh::kArraysOffset == 848);
static_assert(C3dGroup::kMembersOffset == 808 && C3dSphereLight::kRecordSize == 785);
static_assert(C3dRoundBeamLight::kRecordSize == 792 && C3dSquareBeamLight::kRecordSize == 792);
static_assert(C3dSunLight::kRecordSize == 832 && C3dSky::kRecordSize == 376);

}  // namespace

SObjectKey SDocumentClass::Desc(CSpoolSys* environment) const {
  SObjectKey key;
  key.Set(environment, family, classTag, typeName);
  return key;
}

std::span<const SDocumentClass> DocumentClasses() { return kClasses; }

const SDocumentClass* FindDocumentClass(uint32_t family, uint32_t classTag) {
  for (const SDocumentClass& row : kClasses) {
    if (row.family == family && row.classTag == classTag) return &row;
  }
  return nullptr;
}
