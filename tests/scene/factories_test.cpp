// The factories' common contract, over every class a scene object is made of: made with or without a
// table, a shape always with a material of its own and a light or mesh without; a refused allocation
// answers 9 and a refused initialisation 13, each leaving the out pointer null and the table as it was.
#include <gtest/gtest.h>

#include "platform/alloc.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/height_field.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "scene_fixture.h"

namespace {

enum EForm { kShapeForm, kShapeFormWithMaterial, kLightForm };

// One factory call with a creation key and table settings on the environment (keyed when asked,
// which only a resource environment takes); the out pointer starts as garbage so that nulling it shows.
template <typename T, EForm Form>
int32_t Make(C3dBaseSys* table, CSpoolSys* environment, bool keyed, C3dObject** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(environment, key, spec);
  spec.keyed = keyed;
  T* made = reinterpret_cast<T*>(uintptr_t(1));
  int32_t result = 0;
  if constexpr (Form == kShapeForm) result = T::New(&made, table, key, spec, kNoHandle);
  else if constexpr (Form == kShapeFormWithMaterial) result = T::NewWithMaterial(&made, table, key, spec, kNoHandle);
  else result = T::New(&made, table, key, spec);
  *out = made;
  return result;
}

struct SFactory {
  const char* name;
  uint32_t classTag;
  bool shape;  // the shape form, which gives a material
  int32_t (*make)(C3dBaseSys*, CSpoolSys*, bool, C3dObject**);
};

const SFactory kFactories[] = {
    {"C3dSquare", FourCC("sqre"), true, &Make<C3dSquare, kShapeForm>},
    {"C3dCone", FourCC("cone"), true, &Make<C3dCone, kShapeForm>},
    {"C3dPyramid", FourCC("pyra"), true, &Make<C3dPyramid, kShapeForm>},
    {"C3dCube", FourCC("cube"), true, &Make<C3dCube, kShapeForm>},
    {"C3dCylinder", FourCC("cylr"), true, &Make<C3dCylinder, kShapeForm>},
    {"C3dSphere", FourCC("sphr"), true, &Make<C3dSphere, kShapeForm>},
    {"C3dHeightField", FourCC("hfld"), true, &Make<C3dHeightField, kShapeForm>},
    {"C3dPlane", FourCC("plne"), true, &Make<C3dPlane, kShapeForm>},
    {"C3dTorus", C3dTorus::kClassTag, true, &Make<C3dTorus, kShapeFormWithMaterial>},
    {"C3dCircle", C3dCircle::kClassTag, true, &Make<C3dCircle, kShapeFormWithMaterial>},
    {"C3dCylinderLight", FourCC("cyln"), false, &Make<C3dCylinderLight, kLightForm>},
    {"C3dCubeLight", FourCC("cube"), false, &Make<C3dCubeLight, kLightForm>},
    {"C3dPyramidLight", FourCC("pyrm"), false, &Make<C3dPyramidLight, kLightForm>},
    {"C3dConeLight", FourCC("cone"), false, &Make<C3dConeLight, kLightForm>},
    {"C3dSphereLight", FourCC("sphr"), false, &Make<C3dSphereLight, kLightForm>},
    {"C3dTriangleMesh", FourCC("tmsh"), false, &Make<C3dTriangleMesh, kLightForm>},
};

using Factories = SceneTest;

void Discard(C3dObject* object, bool shape) {
  if (shape) DeleteShape(object);
  else delete object;
}

TEST_F(Factories, EveryFactoryKeepsTheContract) {
  CFileSpec nowhere;
  ASSERT_EQ(nowhere.Set((folder + "/missing/swap.tmp").c_str()), 0);
  CSpoolEnv unready(&nowhere, GetObjectPool(), SRange{32, 32}, 0, false, nullptr, 0);
  ASSERT_FALSE(unready.IsReady());
  for (const SFactory& f : kFactories) {
    SCOPED_TRACE(f.name);
    // Into the table: the object, and for a shape its own material after it.
    const uint32_t before = table->GetCount();
    C3dObject* object = nullptr;
    ASSERT_EQ(f.make(table, ObjectsEnv(), false, &object), 0);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetClass(), f.classTag);
    EXPECT_EQ(object->GetOwningTable(), table);
    C3dMaterial* material = MaterialOf(object);
    EXPECT_EQ(material != nullptr, f.shape);
    EXPECT_EQ(object->GetMaterial() != kNoHandle, f.shape);
    if (material) EXPECT_EQ(material->GetOwningTable(), table);
    EXPECT_EQ(table->GetCount(), before + (f.shape ? 2 : 1));

    // Without a table: made all the same, in none.
    C3dObject* loose = nullptr;
    ASSERT_EQ(f.make(nullptr, ObjectsEnv(), false, &loose), 0);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->GetOwningTable(), nullptr);
    EXPECT_EQ(MaterialOf(loose) != nullptr, f.shape);
    if (MaterialOf(loose)) EXPECT_EQ(MaterialOf(loose)->GetOwningTable(), nullptr);
    Discard(loose, f.shape);

    // Refusals leave nothing behind.
    const uint32_t count = table->GetCount();
    // Enough refusals for the pool's second try and its recovery's own allocations.
    platform::FailNextAllocations(100);
    C3dObject* refused = nullptr;
    const int32_t outOfMemory = f.make(table, ObjectsEnv(), false, &refused);
    platform::FailNextAllocations(0);
    EXPECT_EQ(outOfMemory, 9);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(f.make(table, &unready, false, &refused), 13) << "an environment that is not ready";
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(f.make(table, ObjectsEnv(), true, &refused), 13) << "a subscription the environment refuses";
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(table->GetCount(), count);
  }
}

}  // namespace
