// Where a material component samples its texture: the mapping modes, the picture's repeat count and
// the mirrored repeat.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "material_fixture.h"
#include "scene/circle.h"
#include "scene/square.h"
#include "scene/surface/texture_mapping.h"

namespace {

using Mapping = MaterialTest;

struct SMapCase {
  const char* name;
  int32_t mode;
  double scale;
  bool picture;
  vector3<double> objectPoint;
  vector3<double> worldPoint;
  vector3<double> point;  // expected
  vector3<double> tangentU = {};
  vector3<double> tangentV = {};
  uint32_t flags = 0;
  vector3<double> placement = {};
  double a = 0;
  double b = 0;
};

STextureSample Map(CRay& ray, const SMapCase& c) {
  ray.fHit.fObjPoint = c.objectPoint;
  ray.fHit.fPoint = c.worldPoint;
  ray.fHit.fU = c.a;
  ray.fHit.fV = c.b;
  ray.fHit.fTangentU = {0, 0, 2};
  ray.fHit.fTangentV = {0, 3, 0};
  SMaterialComponent component;
  component.mappingMode = c.mode;
  component.scale = c.scale;
  component.placement = c.placement;
  component.flags = c.flags;
  STextureSample sample;
  sample.gradientWanted = 1;
  MapTexture(ray, component, c.picture, sample);
  return sample;
}

TEST_F(Mapping, TheModesPlaceTheTexturesPoint) {
  const vector3<double> x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  const SMapCase cases[] = {
      {"planar from above, a picture repeated once", 4, 0, true, {}, {2, 0, 1}, {0.5, 0.25, 1}, x, z},
      {"scale 0.51 repeats a picture 11 times", 4, 0.51, true, {}, {2, 0, 1}, {5.5, 2.75, 1}, x, z},
      {"a 3D texture takes the scale as it is", 4, 2, false, {}, {2, 0, 1}, {1.5, 0.75, 1}, x, z, 0, {0.5, 0, 0.25}},
      {"object space", 0, 4, false, {1, 2, 3}, {}, {3, 6, 7}, x, z, 0, {0.5, 1, 0.5}},
      {"object space, a picture in the x-z plane", 0, 0, true, {1, 2, 3}, {}, {1, 2.5, 2.5}, x, z, 0, {1, 0, 2}},
      {"world space", 1, 2.5, false, {}, {1, -2, 3}, {1, -2, 3}, x, y},
      {"world space, a picture upright", 1, 0.1, true, {}, {1, -2, 3}, {3.6, 1.2, 7.2}, x, y, 0, {2, 1, 3}},
      {"surface parameters", 2, 2, false, {}, {}, {5, 1.5, 1}, {0, 0, 2}, {0, 3, 0}, 0, {2, 7, 0.5}, 0.5, 0.25},
      {"mirrored in world space", 1, 0, true, {}, {3.125, -1.25, 0}, {0.75, 0.5, 0}, -x, y, 1},
      {"mirrored from above, kept off the edge", 4, 0, true, {}, {5, 0, 4}, {0.75, 0.99, 1}, -x, z, 1},
      {"mirrored twice round", 4, 0, true, {}, {-2, 0, 14}, {0.5, 0.5, 1}, -x, -z, 1},
      {"a 3D texture is not mirrored", 4, 1, false, {}, {5, 0, 4}, {1.25, 1, 1}, x, z, 1},
      {"an unknown mode gives nothing", 11, 1, false, {1, 2, 3}, {4, 5, 6}, {}, {}, {}},
  };
  for (const SMapCase& c : cases) {
    CRay ray;
    const STextureSample sample = Map(ray, c);
    ExpectNear(sample.point, c.point, 1e-12, c.name);
    ExpectNear(sample.tangentU, c.tangentU, 0, c.name);
    ExpectNear(sample.tangentV, c.tangentV, 0, c.name);
  }
}

TEST_F(Mapping, SurfaceParametersAreThePictureCoordinates) {
  CRay ray;
  const STextureSample sample = Map(ray, {"", 2, 1, true, {}, {}, {}, {}, {}, 0, {}, 0.25, 0.75});
  EXPECT_EQ(sample.u, 0.25f);
  EXPECT_EQ(sample.v, 0.75f);
}

// The modes that read the object: projections onto its box, spheres and cylinders around it.
TEST_F(Mapping, ObjectModesStayFiniteOnFlatShapesAndAtTheCentre) {
  C3dSphere* sphere = NewSphere({2, 2, 2});
  C3dSquare* square = MakeShape<C3dSquare>(table);
  C3dCircle* disk = MakeShape<C3dCircle>(table);
  struct SCase {
    const char* name;
    C3dObject* object;
    int32_t mode;
    vector3<double> objectPoint;
    std::optional<vector3<double>> point;
  };
  const SCase cases[] = {
      {"from above onto a square", square, 9, {0.5, 0, -0.5}, vector3<double>{0.75, 0.25, 1}},
      {"from the front onto a disk", disk, 10, {0.5, 0, 0.5}, vector3<double>{0.75, 0, 1}},
      {"from above, below a sphere's middle", sphere, 9, {0, -0.1, 0}, vector3<double>{}},
      {"from above onto a sphere's top", sphere, 9, {0, 0.5, 0.5}, vector3<double>{0.5, 0.75, 1}},
      {"from the front, behind a sphere's middle", sphere, 10, {0, 0, 0.1}, vector3<double>{}},
      {"spherical at the centre", sphere, 5, {0, 0, 0}, {}},
      {"spherical at the pole", sphere, 5, {0, 1, 0}, {}},
      {"spherical in object space at the centre", sphere, 7, {0, 0, 0}, {}},
      {"cylindrical at the axis", sphere, 6, {0, 0.5, 0}, {}},
      {"noise coordinates", sphere, 8, {0.3, 0.1, -0.2}, {}},
      {"scaled surface parameters", square, 3, {0.3, 0, 0.1}, {}},
  };
  for (const SCase& c : cases) {
    CRay ray;
    ray.fHitObject = c.object;
    ray.fHit.fObjPoint = c.objectPoint;
    ray.fHit.fU = 0.5;
    ray.fHit.fV = 0.5;
    SMaterialComponent component;
    component.mappingMode = c.mode;
    component.scale = 1;
    STextureSample sample;
    sample.gradientWanted = 1;
    MapTexture(ray, component, false, sample);
    for (const vector3<double>& v : {sample.point, sample.tangentU, sample.tangentV}) {
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << c.name;
    }
    if (c.point) ExpectNear(sample.point, *c.point, 1e-12, c.name);
  }
  // At the centre a sphere's point looks straight up.
  CRay ray;
  ray.fHitObject = sphere;
  SMaterialComponent component;
  component.mappingMode = 5;
  component.scale = 1;
  STextureSample sample;
  MapTexture(ray, component, false, sample);
  EXPECT_DOUBLE_EQ(sample.point.x, 0.5);
  EXPECT_DOUBLE_EQ(sample.point.y, 0.5);
}

}  // namespace
