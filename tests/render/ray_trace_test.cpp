#include "render/ray_trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/abstract_optimizer.h"
#include "render/gradient_hook.h"
#include "tests/render/render_fixture.h"
#include "render/secondary_rays.h"
#include "scene/height_field.h"

namespace {

class RayTrace : public RenderTest {
 protected:
  // A primary ray from the origin along the direction, bound to the context as the loops bind it.
  CRay PrimaryRay(vector3<double> origin, vector3<double> direction) {
    CRay ray;
    ray.Init(nullptr, origin, direction * (1 / std::sqrt(Dot(direction, direction))), {1, 1, 1}, {1, 1, 1}, 0.0001f,
             kFarAway, nullptr, nullptr, -1);
    ray.fContext = context.get();
    ray.fStats = &context->GetStats();
    ray.fHolder = &context->GetHolder();
    return ray;
  }
  // The scene fed and its lights collected, as a render call does before its first ray.
  void ReadyScene() {
    ASSERT_TRUE(context->PrepareOptimizer());
    ASSERT_TRUE(context->SetupView(true));
    ASSERT_TRUE(context->PrepareLights());
    context->GetStats().Clear();
  }
};

// ---- render modes

TEST_F(RayTrace, MaskModeBlackensFlaggedObjectsAndNothingElse) {
  C3dSphere* sphere = NewSphere();
  sphere->SetFlags(C3dObject::kSelected);
  NewRadialLight({0, 0, -3}, 3);
  LookFrom({0, 0, -5}, {0, 0, 0});
  for (const uint32_t flags : {0x400u, 0x400u | 0x800u, 0x400u | 0x1000u}) {
    SCOPED_TRACE(flags);
    settings.fFlags = flags;
    ASSERT_EQ(Render(64, 64), 0);
    EXPECT_EQ(Pixel(32, 32), 0x00000000u);
    const int corners[4][2] = {{0, 0}, {63, 0}, {0, 63}, {63, 63}};
    for (const auto& corner : corners) EXPECT_EQ(Pixel(corner[0], corner[1]), 0x00FFFFFFu);
    EXPECT_EQ(context->GetStats().fPixels, 4096u);
    EXPECT_EQ(context->GetStats().fShadowRays, 0u);
  }
  sphere->ClearFlags(C3dObject::kSelected);
  settings.fFlags = 0x400;
  ASSERT_EQ(Render(8, 8), 0);
  EXPECT_EQ(Pixel(4, 4), 0x00FFFFFFu);
}

CImVector MarkedRamp(double t) {
  CImVector colour;
  colour.Set(0, 10, uint8_t(t * 200), 30);
  return colour;
}

TEST_F(RayTrace, DepthAndAltitudeModesScaleBetweenTheBounds) {
  NewSphere();
  LookFrom({0, 0, -5}, {0, 0, 0});
  // The centre pixel of 33 looks straight at (0, 0, −1). The sphere spans 4 … 6 in depth and −1 … 1
  // in height; both boxes hold the origin.
  settings.fFlags = 0x800;
  ASSERT_EQ(Render(33, 33), 0);
  EXPECT_EQ(Pixel(0, 0), 0x00FFFFFFu);
  EXPECT_NEAR(Channel(Pixel(16, 16), 8), 4.0 / 6 * 255, 1);
  EXPECT_EQ(Channel(Pixel(16, 16), 0), Channel(Pixel(16, 16), 16));

  settings.fFlags = 0x1000;
  ASSERT_EQ(Render(33, 33), 0);
  EXPECT_EQ(Pixel(0, 0), 0x00000000u);  // the grey ramp at 0
  EXPECT_NEAR(Channel(Pixel(16, 16), 8), 0.5 * 255, 1);
  EXPECT_LT(Channel(Pixel(16, 20), 8), Channel(Pixel(16, 12), 8));
  SetGradientColourLookup(&MarkedRamp);
  ASSERT_EQ(Render(33, 33), 0);
  SetGradientColourLookup(nullptr);
  EXPECT_EQ(Pixel(0, 0), 0x000A001Eu);
  EXPECT_NEAR(Channel(Pixel(16, 16), 8), 100, 1);
}

TEST_F(RayTrace, FlatBoundsGiveTheLowEndInsteadOfDividingByZero) {
  NewPlane(0);  // a plane has a box, flat in y, and the origin is in it
  LookFrom({0, 3, -5}, {0, 0, 0});
  settings.fFlags = 0x1000;
  ASSERT_EQ(Render(16, 16), 0);
  EXPECT_EQ(Pixel(8, 15), 0x00000000u);
}

// ---- shading

TEST_F(RayTrace, ADefaultSphereUnderARadialLightShadesAsThePhongTermsSay) {
  NewSphere();
  NewRadialLight({0, 0, -3}, 3);
  LookFrom({0, 0, -5}, {0, 0, 0});
  ASSERT_EQ(Render(64, 64), 0);
  // 0.499 diffuse × 3 / (2 + 1) + 0.1965 ambient = 0.6955, × 255 = 177.35.
  for (const int shift : {16, 8, 0}) EXPECT_NEAR(Channel(Pixel(32, 32), shift), 0xB1, 1);
  EXPECT_EQ(Pixel(0, 0), 0u);  // no sky: black
  EXPECT_EQ(context->GetStats().fShadowRays, 0u);  // shadow lightness 1
}

// A plane at y = 0 under an opaque sphere at y = 2, lit from straight above through the sphere; the
// camera looks below the sphere at the middle of its shadow.
class Shadows : public RayTrace {
 protected:
  void SetUp() override {
    RayTrace::SetUp();
    plane = NewPlane(0);
    sphere = NewSphere({1, 1, 1}, {0, 2, 0});
    NewRadialLight({0, 10, 0}, 11);  // 11 / (10 + 1): the direct term is 0.499
    LookFrom({0, 0.5, -8}, {0, 0, 0});
  }
  // The centre pixel of 17 sees the origin.
  int Centre() {
    EXPECT_EQ(Render(17, 17), 0);
    return Channel(Pixel(8, 8), 8);
  }
  C3dPlane* plane = nullptr;
  C3dSphere* sphere = nullptr;
};

TEST_F(Shadows, ShadowLightnessBlendsTheBlockedLightBackIn) {
  const struct {
    double lightness;
    int expected;
  } cases[] = {{0, 0x32}, {0.5, int(255 * (0.1965 + 0.499 / 2))}, {1, 0xB1}};
  for (const auto& c : cases) {
    settings.fShadowLightness = c.lightness;
    EXPECT_NEAR(Centre(), c.expected, 1) << c.lightness;
    EXPECT_EQ(context->GetStats().fShadowRays == 0, c.lightness == 1) << c.lightness;
  }
}

TEST_F(Shadows, MaterialsAndSettingsDecideWhatCastsAndReceivesShadows) {
  settings.fShadowLightness = 0;
  ChangeMaterial(plane, [](SMaterialRecord& r) { r.sample.flags |= SMaterialSample::kNoShadows; });
  EXPECT_NEAR(Centre(), 0xB1, 1);
  ChangeMaterial(plane, [](SMaterialRecord& r) { r.sample.flags = 0; });
  settings.fFlags &= ~SRenderSettings::kShadows;
  EXPECT_NEAR(Centre(), 0xB1, 1);
  settings.fFlags |= SRenderSettings::kShadows;

  // A clear sphere lets the light through with transmission on and blocks it without.
  ChangeMaterial(sphere, [](SMaterialRecord& r) { r.sample.transparency = 1; });
  EXPECT_NEAR(Centre(), 0xB1, 1);
  settings.fFlags &= ~SRenderSettings::kTransmission;
  EXPECT_NEAR(Centre(), 0x32, 1);
}

// Without transmission a surface lets shadow rays by only when it is pass-through or glass-like:
// whatever the trace would weigh blocks the light.
TEST_F(Shadows, WithoutTransmissionOnlyPassThroughAndGlassLikeSurfacesLetTheLightBy) {
  settings.fShadowLightness = 0;
  settings.fFlags &= ~SRenderSettings::kTransmission;
  const struct {
    const char* what;
    uint32_t flags;
    double transparency;
    int expected;
  } cases[] = {
      {"pass-through", SMaterialSample::kPassThrough, 0, 0xB1},
      {"glass-like", SMaterialSample::kGlassLike, 0, 0xB1},
      {"transparent", SMaterialSample::kTransparent, 1, 0x32},
      {"clear", 0, 1, 0x32},
      {"opaque", 0, 0, 0x32},
  };
  for (const auto& c : cases) {
    ChangeMaterial(sphere, [&](SMaterialRecord& r) {
      r.sample.flags = c.flags;
      r.sample.transparency = c.transparency;
    });
    EXPECT_NEAR(Centre(), c.expected, 1) << c.what;
  }
}

// A light shown in the picture (state flag 0x200) has a body that camera rays hit, and that body
// surrounds the light's own position: shadow rays pass through lights, or such a light lights nothing.
TEST_F(RayTrace, AVisibleLightStillLightsWhatIsUnderIt) {
  settings.fShadowLightness = 0;
  NewPlane(0);
  C3dSphereLight* light = NewRadialLight({0, 10, 0}, 11);
  light->SetStateFlags(light->GetStateFlags() | 0x200);
  LookFrom({0, 0.5, -8}, {0, 0, 0});
  ASSERT_EQ(Render(17, 17), 0);
  EXPECT_NEAR(Channel(Pixel(8, 8), 8), 0xB1, 1);
}

TEST_F(RayTrace, TheSunLightsWithoutFalloff) {
  NewPlane(0);
  C3dSunLight* sun = NewSun({0, 0.6, 0.8}, 1);
  ASSERT_FALSE(sun->GetStateFlags() & C3dLight::kNoFalloff);
  LookFrom({0, 3, -5}, {0, 0, 0});
  settings.fShadowLightness = 0;
  ASSERT_EQ(Render(16, 16), 0);
  EXPECT_NEAR(Channel(Pixel(8, 8), 0), 255 * (0.499 * 0.6 + 0.1965), 1);
}

TEST_F(RayTrace, TheAmbientSettingsColourTheAmbientTerm) {
  NewPlane(0);
  LookFrom({0, 3, -5}, {0, 0, 0});
  settings.fAmbientColour = {1, 0.5f, 0};
  settings.fAmbientIntensity = 2;
  ASSERT_EQ(Render(8, 8), 0);
  EXPECT_NEAR(Channel(Pixel(4, 4), 16), 255 * 0.393, 1);
  EXPECT_NEAR(Channel(Pixel(4, 4), 8), 255 * 0.1965, 1);
  EXPECT_EQ(Channel(Pixel(4, 4), 0), 0);
}

TEST_F(RayTrace, AColourMappedTerrainTakesItsDiffuseColourFromItsHeight) {
  C3dHeightField* field = MakeShape<C3dHeightField>(table);
  ASSERT_EQ(field->SetResolution(16), 0);
  {
    CHolder holder(field, true, false);
    std::fill(field->GetGrid(), field->GetGrid() + 256, CHFUnit(32767));  // y = 7 of 15 in object units
  }
  field->SetBoxAndPivot();
  ASSERT_EQ(field->BuildTiles(), 0);
  CImVector colours[256];
  for (int i = 0; i < 256; ++i) colours[i].Set(0, uint8_t(i), uint8_t(255 - i), 0);
  NewSun({0, 1, 0}, 1);
  ReadyScene();
  const vector3<double> top = field->GetObjectToWorld().TransformPoint({8.5, 7, 8.5});
  CRay plain = PrimaryRay(top + vector3<double>{0, 5, 0}, {0, -1, 0});
  TraceRay(plain);
  EXPECT_NEAR(plain.fColour.x, 0.499 + 0.1965, 1e-4);

  ASSERT_EQ(field->SetColourTable(colours, 0), 0);
  CRay mapped = PrimaryRay(top + vector3<double>{0, 5, 0}, {0, -1, 0});
  TraceRay(mapped);
  const double red = std::floor(7.0 / 15 * 255) / 255;
  EXPECT_NEAR(mapped.fColour.x, red + 0.1965, 0.005);
  EXPECT_NEAR(mapped.fColour.y, 1 - red + 0.1965, 0.005);
  EXPECT_NEAR(mapped.fColour.z, 0.1965, 1e-4);
}

// ---- shadow rays, secondary rays and weights

TEST_F(RayTrace, AShadowRayIsAChildOfDepthOneWithTheShadowFlag) {
  CProbeSolid* probe = MakeObject<CProbeSolid>(table);
  NewPlane(0);
  NewRadialLight({0, 10, 0}, 1);
  settings.fShadowLightness = 0;
  ReadyScene();
  CRay ray = PrimaryRay({0, 1, 0}, {0.1, -1, 0});
  ray.fDepth = 3;
  TraceRay(ray);
  ASSERT_EQ(probe->seen.size(), 2u);
  EXPECT_EQ(probe->seen[0].primary, 1);
  EXPECT_EQ(probe->seen[1].primary, 0);
  EXPECT_EQ(probe->seen[1].shadow, 1);
  EXPECT_EQ(probe->seen[1].depth, 1u);
  ExpectNear(probe->seen[1].direction, {-0.0099995, 0.99995, 0}, 1e-6, "towards the light");
  EXPECT_EQ(context->GetStats().fEyeRays, 1u);
  EXPECT_EQ(context->GetStats().fShadowRays, 1u);
}

TEST_F(RayTrace, ReflectionsStopAtDepthSixAndAtAPathWeightOfOneHundredth) {
  C3dPlane* mirror = NewPlane(0);
  ChangeMaterial(mirror, [](SMaterialRecord& r) { r.sample.reflection = 1; });
  ReadyScene();
  const struct {
    uint32_t depth;
    float pathWeight;
    uint64_t rays;
  } cases[] = {{0, 1, 2}, {5, 1, 2}, {6, 1, 1}, {0, 0.01f, 1}, {0, 0.0101f, 2}};
  for (const auto& c : cases) {
    context->GetStats().Clear();
    CRay ray = PrimaryRay({0, 1, 0}, {0, -1, 1});
    ray.fDepth = c.depth;
    ray.fPathWeight = {c.pathWeight, c.pathWeight, c.pathWeight};
    TraceRay(ray);
    EXPECT_EQ(context->GetStats().fEyeRays, c.rays) << c.depth << " " << c.pathWeight;
  }
}

TEST_F(RayTrace, AShadowRayThroughAStackOfClearPlanesStopsBeyondDepthNinetyNine) {
  NewPlane(0);
  for (int i = 1; i <= 101; ++i) {
    C3dPlane* sheet = NewPlane(i);
    ChangeMaterial(sheet, [](SMaterialRecord& r) { r.sample.transparency = 1; });
  }
  C3dSphereLight* light = NewRadialLight({0, 200, 0}, 1);
  settings.fShadowLightness = 0;
  ReadyScene();
  CRay ray = PrimaryRay({0, 0.5, 0}, {0, -1, 0});
  TraceRay(ray);
  EXPECT_EQ(context->GetStats().fShadowRays, 100u);  // depths 1 … 100

  vector3<float> filter;
  double factor = 0;
  CastSecondaryRay(ray, *context, *light, 0, filter, factor);
  EXPECT_EQ(factor, 1);
  EXPECT_EQ(filter, (vector3<float>{1, 1, 1}));
}

// Ten million million units out, a ray through a pass-through sphere and a pass-through plane through
// its centre meets the same surfaces again and again a rounding step further on; only the depth
// limit ends it.
TEST_F(RayTrace, RaysGoingStraightOnFarOutStopBeyondDepthNinetyNine) {
  const double at = 1e13;
  for (C3dObject* object : std::initializer_list<C3dObject*>{NewSphere({1, 1, 1}, {at, 0.7 * at, -0.3 * at}),
                                                              NewPlane(0.7 * at)})
    ChangeMaterial(object, [](SMaterialRecord& r) { r.sample.flags = SMaterialSample::kPassThrough; });
  ReadyScene();
  CRay ray = PrimaryRay({at - 5, 0.7 * at - 0.2236, -0.3 * at + 0.1289}, {1.0982730984687805, 0.045722132921218871,
                                                                        0.10124409198760986});
  TraceRay(ray);
  EXPECT_EQ(context->GetStats().fEyeRays, 101u);  // depths 0 … 100
}

TEST_F(RayTrace, TheShadowCacheTriesTheLastBlockerFirst) {
  NewPlane(0);
  NewSphere({1, 1, 1}, {0, 2, 0});
  NewSphere({1, 1, 1}, {5, 2, 0});
  C3dSphereLight* light = NewRadialLight({0, 10, 0}, 1);
  settings.fShadowLightness = 0;
  ReadyScene();
  CRay ray = PrimaryRay({0, 0.5, -1}, {0, -0.5, 1});
  TraceRay(ray);
  const SOptimizerObject* entry = context->GetHolder().GetEntry(0);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->fObject->GetTransformVector3(), (vector3<double>{0, 2, 0}));

  // The cached blocker answers at once: no shadow ray is traced.
  const uint64_t before = context->GetStats().fShadowRays;
  vector3<float> filter{1, 1, 1};
  double factor = 1;
  CastSecondaryRay(ray, *context, *light, 0, filter, factor);
  EXPECT_EQ(factor, 0);
  EXPECT_EQ(filter, (vector3<float>{}));
  EXPECT_EQ(context->GetStats().fShadowRays, before);

  settings.fFlags &= ~SRenderSettings::kShadowCache;
  CastSecondaryRay(ray, *context, *light, 0, filter, factor);
  EXPECT_EQ(factor, 0);
  EXPECT_EQ(context->GetStats().fShadowRays, before + 1);
}

// A shadow ray that stops at a surface whose material is plainly opaque gets the full shadow step's
// answer without the material: the same factor, filter and blocker for the shadow cache. Any other
// surface still goes through the full step.
TEST_F(RayTrace, AShadowStoppedOutrightIsTheFullShadowStepsAnswer) {
  NewPlane(0);
  C3dSphere* sphere = NewSphere({1, 1, 1}, {0, 2, 0});
  C3dSphereLight* light = NewRadialLight({0, 10, 0}, 1);
  settings.fShadowLightness = 0;
  const struct {
    const char* what;
    uint32_t flags;
    double transparency;
    int32_t transparencySource;
    bool stops;
  } cases[] = {
      {"opaque", 0, 0, C3dMaterial::kFlat, true},
      {"clear", 0, 0.6, C3dMaterial::kFlat, false},
      {"transparent", SMaterialSample::kTransparent, 0.5, C3dMaterial::kFlat, false},
      {"pass-through", SMaterialSample::kPassThrough, 0, C3dMaterial::kFlat, false},
      {"glass-like", SMaterialSample::kGlassLike, 0, C3dMaterial::kFlat, false},
      {"transparency from a component", 0, 0, 1, false},
  };
  for (const auto& c : cases) {
    ChangeMaterial(sphere, [&](SMaterialRecord& r) {
      r.sample.flags = c.flags;
      r.sample.transparency = float(c.transparency);
      r.sources[C3dMaterial::kTransparencySource] = c.transparencySource;
    });
    EXPECT_EQ(MaterialStopsShadows(*sphere), c.stops) << c.what;
    struct SShadow {
      vector3<float> filter{1, 1, 1};
      double factor = 1;
      const C3dObject* cached = nullptr;
    } shadows[2];
    for (const bool outright : {false, true}) {
      sphere->SetStopsShadows(outright && c.stops);
      ReadyScene();
      CRay ray = PrimaryRay({0, 0.5, -1}, {0, -0.5, 1});
      ASSERT_TRUE(context->Intersect(ray) && ray.fHitObject) << c.what;
      SShadow& shadow = shadows[outright];
      CastSecondaryRay(ray, *context, *light, 0, shadow.filter, shadow.factor);
      const SOptimizerObject* entry = context->GetHolder().GetEntry(0);
      shadow.cached = entry ? entry->fObject : nullptr;
    }
    sphere->SetStopsShadows(false);
    EXPECT_EQ(shadows[1].filter, shadows[0].filter) << c.what;
    EXPECT_EQ(shadows[1].factor, shadows[0].factor) << c.what;
    EXPECT_EQ(shadows[1].cached, shadows[0].cached) << c.what;
    if (c.stops) {
      EXPECT_EQ(shadows[1].factor, 0) << c.what;
      EXPECT_EQ(shadows[1].cached, sphere) << c.what;
    }
  }
}

TEST_F(RayTrace, SpreadRaysAndSoftShadowsStayFinite) {
  CProbeSolid* probe = MakeObject<CProbeSolid>(table);
  C3dPlane* floor = NewPlane(0);
  ChangeMaterial(floor, [](SMaterialRecord& r) {
    r.sample.reflection = 0.5;
    r.sample.specCoefficients = {0, 0, 0};
  });
  C3dSphereLight* near = NewRadialLight({0.5, 1, 0}, 1);
  near->SetRadius(5);  // the floor lies within its radius
  NewSun({0, 1, 0}, 1);
  settings.fShadowLightness = 0;
  settings.fFlags |= SRenderSettings::kDistributedRays;
  ASSERT_EQ(context->SetAntialias(6, 4), 0);
  LookFrom({0, 2, -3}, {0, 0, 0});
  ASSERT_EQ(Render(8, 8), 0);
  ASSERT_GT(probe->seen.size(), 3u * 64 * 16);
  for (const CProbeSolid::SSeen& seen : probe->seen) {
    ASSERT_TRUE(std::isfinite(seen.direction.x) && std::isfinite(seen.direction.y) && std::isfinite(seen.direction.z));
    ASSERT_NEAR(Dot(seen.direction, seen.direction), 1, 1e-9);
  }
  // Along ±x, where a frame built from x alone has no width.
  for (const double x : {1.0, -1.0}) {
    CRay ray = PrimaryRay({}, {x, 0, 0});
    PerturbDirection(ray, *context, 5, 100, 50);
    EXPECT_TRUE(std::isfinite(ray.fDirection.y) && std::isfinite(ray.fDirection.z)) << x;
    EXPECT_NEAR(Dot(ray.fDirection, ray.fDirection), 1, 1e-12);
    EXPECT_GT(ray.fDirection.x * x, 0.5);
    EXPECT_NE(ray.fDirection.y, 0);
  }
}

TEST_F(RayTrace, ATransmittedRayBendsIntoAGlassSlab) {
  // A glass slab, a unit cube stretched flat, seen from above at 45 degrees.
  C3dCube* slab = MakeShape<C3dCube>(table);
  Place(slab, {10, 1, 10}, {0, 1, 0});
  ChangeMaterial(slab, [](SMaterialRecord& r) {
    r.sample.transparency = 1;
    r.sample.refractionIndex = 1.5;
    r.sample.diffusion = 0;
    r.sample.ambience = 0;
  });
  CProbeSolid* probe = MakeObject<CProbeSolid>(table);
  probe->watched = slab;
  ReadyScene();
  CRay ray = PrimaryRay({0, 3, -2}, {0, -1, 1});
  TraceRay(ray);
  // The primary ray, then the ray bent into the slab by 1 / 1.5, traced while the slab counts it.
  ASSERT_GE(probe->seen.size(), 2u);
  const vector3<double>& bent = probe->seen[1].direction;
  EXPECT_NEAR(bent.z / std::hypot(bent.y, bent.z), std::sqrt(0.5) / 1.5, 1e-9);
  EXPECT_EQ(probe->seen[1].depth, 1u);
  EXPECT_EQ(probe->seen[0].nesting, 0u);
  EXPECT_EQ(probe->seen[1].nesting, 1u);
  EXPECT_EQ(slab->GetNesting(), 0u);
}

}  // namespace
