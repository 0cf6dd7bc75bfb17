#include "render/render_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "render/bsp_tree_optimizer.h"
#include "render/null_optimizer.h"
#include "render/render_camera.h"
#include "render/render_settings.h"
#include "scene/camera.h"
#include "scene/cube.h"
#include "scene/plane.h"
#include "scene/shape_intersection.h"
#include "tests/scene/scene_fixture.h"

namespace {

struct SSample {
  double x;
  double y;
  int32_t orderEntry;
};

// Every sample of one pixel, the order entry starting at −1 as the render loops set it.
std::vector<SSample> PixelSamples(CRenderContext& context) {
  std::vector<SSample> samples;
  for (uint32_t i = 0; i < context.GetSampleCount(); ++i) {
    SSample s{-1, -1, -1};
    EXPECT_TRUE(context.GetSampleOffset(s.x, s.y, s.orderEntry, i)) << i;
    samples.push_back(s);
  }
  // Beyond the last sample there is none; the single-sample modes answer every i alike.
  double x = 7, y = 7;
  int32_t entry = -1;
  EXPECT_EQ(context.GetSampleOffset(x, y, entry, context.GetSampleCount() + 300), context.GetMode() <= 1);
  return samples;
}

class RenderContext : public SceneTest {};

TEST_F(RenderContext, FixedPatternsGiveTheirOffsets) {
  const struct {
    uint32_t mode;
    uint32_t grid;
    std::vector<std::pair<double, double>> offsets;
  } cases[] = {
      {0, 1, {{0, 0}}},
      {1, 1, {{0.5, 0.5}}},
      {1, 40, {{0.5, 0.5}}},  // grids outside 1 … 16 matter only to the gridded modes
      {3, 2, {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}},
      {3, 1, {{0.5, 0.5}}},
      {4, 1, {{0.333333, 0.25}, {0.666666, 0.25}, {0.25, 0.5}, {0.75, 0.5}, {0.333333, 0.75}, {0.666666, 0.75}}},
      {4, 9, {{0.333333, 0.25}, {0.666666, 0.25}, {0.25, 0.5}, {0.75, 0.5}, {0.333333, 0.75}, {0.666666, 0.75}}},
      {7, 5, {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}},
      {8, 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", grid " << c.grid);
    CRenderContext context(1, 1, 10, 0);
    ASSERT_EQ(context.SetAntialias(c.mode, c.grid), 0);
    ASSERT_EQ(context.GetSampleCount(), c.offsets.size());
    const std::vector<SSample> samples = PixelSamples(context);
    for (size_t i = 0; i < samples.size(); ++i) {
      EXPECT_EQ(samples[i].x, c.offsets[i].first) << i;
      EXPECT_EQ(samples[i].y, c.offsets[i].second) << i;
      EXPECT_EQ(samples[i].orderEntry, -1) << i;
    }
  }
}

TEST_F(RenderContext, RandomAndJitteredSamplesStayNearTheirPlaces) {
  CRenderContext context(1, 1, 10, 0);
  ASSERT_EQ(context.SetAntialias(2, 3), 0);
  for (const SSample& s : PixelSamples(context)) {
    EXPECT_TRUE(s.x >= 0 && s.x < 1 && s.y >= 0 && s.y < 1);
  }
  EXPECT_EQ(context.GetSampleCount(), 3u);

  ASSERT_EQ(context.SetAntialias(5, 4), 0);
  const std::vector<SSample> samples = PixelSamples(context);
  ASSERT_EQ(samples.size(), 16u);
  for (uint32_t i = 0; i < 16; ++i) {
    EXPECT_LE(std::fabs(samples[i].x - ((i % 4) + 0.5) / 4), 0.125 / 4) << i;
    EXPECT_LE(std::fabs(samples[i].y - ((i / 4) + 0.5) / 4), 0.125 / 4) << i;
    EXPECT_EQ(samples[i].orderEntry, -1);
  }
}

TEST_F(RenderContext, ModeSixHasRingsAndAFreshSampleOrderPerPixel) {
  // Built with mode 1 and switched later, as a render command does.
  CRenderContext context(1, 1, 10, 0);
  ASSERT_EQ(context.SetAntialias(6, 2), 0);
  const float expected[4][2] = {{0.9125f, 0}, {-0.9125f, 0}, {0, 0.4125f}, {0, -0.4125f}};
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_NEAR(context.GetRingOffset(k).x, expected[k][0], 1e-6) << k;
    EXPECT_NEAR(context.GetRingOffset(k).y, expected[k][1], 1e-6) << k;
  }
  EXPECT_EQ(context.GetRingOffset(-1).x, 0);

  ASSERT_EQ(context.SetAntialias(6, 1), 0);
  EXPECT_EQ(context.GetRingOffset(0).x, 0);
  EXPECT_EQ(context.GetRingOffset(0).y, 0);
  std::vector<SSample> samples = PixelSamples(context);
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].orderEntry, 0);

  ASSERT_EQ(context.SetAntialias(6, 16), 0);
  std::vector<std::vector<int32_t>> orders;
  for (int pixel = 0; pixel < 3; ++pixel) {
    samples = PixelSamples(context);
    ASSERT_EQ(samples.size(), 256u);
    std::vector<int32_t> order;
    for (const SSample& s : samples) order.push_back(s.orderEntry);
    std::vector<int32_t> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int32_t> identity(256);
    std::iota(identity.begin(), identity.end(), 0);
    EXPECT_EQ(sorted, identity) << pixel;
    orders.push_back(order);
  }
  EXPECT_NE(orders[0], orders[1]);
  EXPECT_NE(orders[1], orders[2]);
  // The outer ring of 16 lies at 1 − 0.35 · 0.5 / 16 from the centre.
  EXPECT_NEAR(std::hypot(context.GetRingOffset(5).x, context.GetRingOffset(5).y), 1 - 0.35 * 0.5 / 16, 1e-6);

  // Leaving mode 6 clears the pattern.
  ASSERT_EQ(context.SetAntialias(5, 4), 0);
  EXPECT_EQ(context.GetRingOffset(0).x, 0);
}

TEST_F(RenderContext, GridsOutsideOneToSixteenAreRefusedForGriddedModes) {
  CRenderContext context(6, 4, 10, 0);
  ASSERT_TRUE(context.IsReady());
  for (const uint32_t mode : {2u, 3u, 5u, 6u}) {
    for (const uint32_t grid : {0u, 17u}) {
      EXPECT_EQ(context.SetAntialias(mode, grid), 16) << mode << " " << grid;
      EXPECT_EQ(context.GetMode(), 6u);
      EXPECT_EQ(context.GetGrid(), 4u);
    }
  }
  EXPECT_NEAR(context.GetRingOffset(0).x, 1 - 0.35 * 0.5 / 4, 1e-6);
  EXPECT_FALSE(CRenderContext(5, 0, 10, 0).IsReady());
  EXPECT_TRUE(CRenderContext(5, 16, 10, 0).IsReady());
}

// ---- camera rays

CRenderCamera TestCamera(uint32_t flags) {
  CRenderCamera camera;
  camera.fX = {1, 0, 0};
  camera.fY = {0, 1, 0};
  camera.fD = {0, 0, 1};
  camera.fC = {0, 0, 2};
  camera.fDistance = 2;
  camera.fWidth = 4;
  camera.fHeight = 3;
  camera.fFlags = flags;
  return camera;
}

vector3<double> Unit(const vector3<double>& v) { return v * (1 / std::sqrt(Dot(v, v))); }

TEST_F(RenderContext, ProjectionsMakeTheirRays) {
  const vector3<double> eye{0, 0, 0};
  const CRenderCamera parallel = TestCamera(CRenderCamera::kParallel);
  vector3<double> a = eye, b = eye, da, db;
  parallel.MakeRay(-0.5, 0.5, a, da);
  parallel.MakeRay(0.25, -0.1, b, db);
  EXPECT_EQ(da, db);
  EXPECT_EQ(da, (vector3<double>{0, 0, 1}));
  ExpectNear(a, {-2, 1.5, 1}, 1e-15, "top-left");
  ExpectNear(b, {1, -0.3, 1}, 1e-15, "inside");

  const CRenderCamera panoramic = TestCamera(CRenderCamera::kPanoramic);
  const struct {
    double u;
    vector3<double> direction;
  } turn[] = {{-0.5, {0, 0, -1}}, {-0.25, {-1, 0, 0}}, {0, {0, 0, 1}}, {0.25, {1, 0, 0}}, {0.5, {0, 0, -1}}};
  for (const auto& t : turn) {
    vector3<double> origin = eye, direction;
    panoramic.MakeRay(t.u, 0, origin, direction);
    ExpectNear(direction, t.direction, 1e-12, "panoramic");
    EXPECT_EQ(origin, panoramic.fC);
  }
  vector3<double> origin = eye, up;
  panoramic.MakeRay(0, 0.5, origin, up);
  ExpectNear(up, {0, std::numbers::pi / 2, 1}, 1e-12, "half a turn across the height");

  for (const uint32_t flags : {0u, CRenderCamera::kParallel | 0x4000u, CRenderCamera::kPanoramic | 0x80000u}) {
    const CRenderCamera perspective = TestCamera(flags);
    vector3<double> o = eye, d;
    perspective.MakeRay(0.5, 0.5, o, d);
    EXPECT_EQ(o, eye) << flags;
    EXPECT_EQ(d, (vector3<double>{2, 1.5, 2})) << flags;
  }
}

TEST_F(RenderContext, TheCameraFrameComesFromTheScenesCamera) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  ASSERT_NE(camera, nullptr);
  camera->SetTransformVector3({1, 2, 3});
  camera->SetOrigin({1, 2, 13});  // looks along +z
  camera->SetStateFlags(CRenderCamera::kParallel | C3dObject::kNotPickable);
  CRenderCamera frame;
  frame.SetFromCamera(*camera, 64, 48);
  const SCameraProjection projection = camera->GetProjection(64, 48);
  EXPECT_EQ(frame.fFlags, CRenderCamera::kParallel);
  EXPECT_EQ(frame.fWidth, projection.halfExtents[0]);
  EXPECT_EQ(frame.fHeight, projection.halfExtents[1]);
  vector3<double> eye, corner;
  frame.GetEyeAndCorner(eye, corner);
  ExpectNear(eye, {1, 2, 3}, 1e-12, "the eye is the camera's position");
  ExpectNear(frame.fC, eye + projection.direction * projection.focalDistance, 1e-12, "centre");

  // The frame's edge is seen at 0.4 of the field angle from the axis.
  frame.fFlags = 0;
  vector3<double> origin = eye, edge;
  frame.MakeRay(0.5, 0, origin, edge);
  const double angle = std::acos(Dot(Unit(edge), projection.direction));
  EXPECT_NEAR(angle, 0.4 * camera->GetView().fieldAngle, 1e-9);
  ExpectNear(corner, frame.fC - projection.right * (frame.fWidth * 0.5) + projection.up * (frame.fHeight * 0.5), 1e-12,
             "corner");

  const C34Matrix view = frame.ViewTransform();
  ExpectNear(view.TransformPoint({1, 2, 3}), {0, 0, 0}, 1e-12, "eye in camera space");
  ExpectNear(view.TransformPoint(vector3<double>{1, 2, 3} + projection.direction), {0, 0, 1}, 1e-12, "ahead");
  ExpectNear(view.TransformPoint(vector3<double>{1, 2, 3} + projection.up), {0, 1, 0}, 1e-12, "up");
}

// ---- feeding the optimizer and the bounds

class CRefusingOptimizer : public CNullOptimizer {
 public:
  bool Add(C3dObject*) override { return false; }
};

TEST_F(RenderContext, TheOptimizerIsFedEveryObjectOfTheTable) {
  C3dSphere* sphere = NewSphere({1, 1, 1}, {0, 0, 10});
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  ASSERT_TRUE(sphere && plane);  // the shapes' materials are in the table as well
  Place(plane, {1, 1, 1}, {0, -5, 0});

  for (const uint32_t tag : {CRenderContext::kBSPTreeTag, 0u}) {
    CRenderContext context(1, 1, 10, tag);
    ASSERT_TRUE(context.IsReady());
    EXPECT_EQ(dynamic_cast<CBSPTreeOptimizer*>(context.GetOptimizer()) != nullptr, tag == CRenderContext::kBSPTreeTag);
    EXPECT_FALSE(context.PrepareOptimizer());  // no scene table yet
    context.SetSceneTable(table);
    ASSERT_TRUE(context.PrepareOptimizer());
    CRay ray;
    ray.Init(nullptr, {0, 0, 0}, {0, 0, 1}, {1, 1, 1}, {1, 1, 1}, 0.0001f, kFarAway, nullptr, nullptr, -1);
    EXPECT_TRUE(context.Intersect(ray));
    EXPECT_EQ(ray.fHitObject, sphere);
    ray.Init(nullptr, {0, 0, 0}, {0, -1, 0}, {1, 1, 1}, {1, 1, 1}, 0.0001f, kFarAway, nullptr, nullptr, -1);
    EXPECT_TRUE(context.Intersect(ray));
    EXPECT_EQ(ray.fHitObject, plane);
    ray.Init(nullptr, {0, 0, 0}, {0, 1, 0}, {1, 1, 1}, {1, 1, 1}, 0.0001f, kFarAway, nullptr, nullptr, -1);
    EXPECT_FALSE(context.Intersect(ray));

    // A lent optimizer is used until the context is given its own back.
    CRefusingOptimizer refusing;
    CAbstractOptimizer* own = context.GetOptimizer();
    context.UseOptimizer(&refusing);
    EXPECT_FALSE(context.PrepareOptimizer());
    context.UseOptimizer(nullptr);
    EXPECT_EQ(context.GetOptimizer(), own);
  }
}

// The search lets spheres and flat shapes leave their hit's world-space point and normals for later
// and completes them for the hit that stays the nearest: the ray ends with the surface the nearest
// object's own test gives it, whether that hit was left for later (the sphere, the plane) or recorded
// whole (the cube), and whatever was left before it.
TEST_F(RenderContext, TheNearestHitEndsWithTheSurfaceItsObjectGives) {
  C3dSphere* sphere = NewSphere({2, 2, 2}, {0, 0, 10});
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  C3dCube* cube = MakeShape<C3dCube>(table);
  ASSERT_TRUE(sphere && plane && cube);
  Place(plane, {1, 1, 1}, {0, -5, 0});
  plane->GetPlacement().SetRotation({0.1, 0.4, -0.05});
  Place(cube, {2, 2, 2}, {6, -1, 12});
  const struct {
    const char* name;
    vector3<double> direction;
    C3dObject* nearest;
  } cases[] = {
      {"the sphere before the plane", {0.02, -0.05, 1}, sphere},
      {"the plane alone", {-0.3, -0.4, 1}, plane},
      {"the cube before the plane", {0.5, -0.08, 1}, cube},
  };
  for (const uint32_t tag : {CRenderContext::kBSPTreeTag, 0u}) {
    CRenderContext context(1, 1, 10, tag);
    context.SetSceneTable(table);
    ASSERT_TRUE(context.PrepareOptimizer());
    for (const auto& c : cases) {
      const vector3<double> unit = c.direction * (1 / std::sqrt(Dot(c.direction, c.direction)));
      CRay ray;
      ray.Init(nullptr, {0, 0, 0}, unit, {1, 1, 1}, {1, 1, 1}, 0.0001f, kFarAway, nullptr, nullptr, -1);
      CRay alone = ray;
      ASSERT_TRUE(context.Intersect(ray)) << c.name;
      ASSERT_EQ(ray.fHitObject, c.nearest) << c.name;
      EXPECT_EQ(ray.fWorldPending, nullptr) << c.name;
      EXPECT_EQ(ray.fDeferWorld, 0) << c.name;
      // A sphere leaves its texture values until shading asks for them; asked, they are its own.
      EXPECT_EQ(ray.fTexturePending, c.nearest == sphere ? c.nearest : nullptr) << c.name;
      CompleteHitTexture(ray);
      EXPECT_EQ(ray.fTexturePending, nullptr) << c.name;
      ASSERT_TRUE(c.nearest->Intersect(alone)) << c.name;
      EXPECT_EQ(ray.fHitT, alone.fHitT) << c.name;
      for (const auto member : {&SRayHit::fObjPoint, &SRayHit::fObjNormal, &SRayHit::fObjShadingNormal,
                                &SRayHit::fPoint, &SRayHit::fNormal, &SRayHit::fShadingNormal,
                                &SRayHit::fTangentU, &SRayHit::fTangentV})
        EXPECT_EQ(ray.fHit.*member, alone.fHit.*member) << c.name;
      EXPECT_EQ(ray.fHit.fU, alone.fHit.fU) << c.name;
      EXPECT_EQ(ray.fHit.fV, alone.fHit.fV) << c.name;
    }
  }
  // Values left by a sphere that is no longer the ray's hit are never worked out over another's.
  CRay ray;
  ray.Init(nullptr, {0, 0, 0}, {0, 0, 1}, {1, 1, 1}, {1, 1, 1}, 0.0001f, kFarAway, nullptr, nullptr, -1);
  ray.fHitObject = cube;
  ray.fHit.fObjPoint = {0, 1, 0};
  ray.fHit.fU = 0.375;
  ray.fTexturePending = sphere;
  CompleteHitTexture(ray);
  EXPECT_EQ(ray.fHit.fU, 0.375);
  EXPECT_EQ(ray.fTexturePending, nullptr);
}

TEST_F(RenderContext, BoundsStartFromZeroAndHoldEveryObject) {
  CRenderContext context(1, 1, 10, 0);
  context.SetSceneTable(table);
  ASSERT_TRUE(context.PrepareOptimizer());  // an empty scene: begun, reserved with 0, built
  ASSERT_TRUE(context.SetupView(true));
  EXPECT_EQ(context.GetWorldBounds(), C3dBox());
  EXPECT_EQ(context.GetCameraBounds(), C3dBox());

  ASSERT_NE(NewSphere({1, 2, 1}, {5, 6, 7}), nullptr);
  ASSERT_NE(NewGroup(), nullptr);  // nothing to bound
  C34Matrix view;
  view.Translate(0, 0, 10);
  context.SetViewTransform(view);
  ASSERT_TRUE(context.SetupView(false));
  EXPECT_EQ(context.GetWorldBounds(), (C3dBox{{0, 0, 0}, {6, 8, 8}}));
  EXPECT_EQ(context.GetCameraBounds(), C3dBox());
  ASSERT_TRUE(context.SetupView(true));
  EXPECT_EQ(context.GetCameraBounds(), (C3dBox{{0, 0, 0}, {6, 8, 18}}));
}

TEST_F(RenderContext, SettingsStartAsADocumentWindowsDo) {
  SRenderSettings settings;
  EXPECT_EQ(settings.fFlags, 0x3BFu);
  EXPECT_EQ(settings.fSky, nullptr);
  EXPECT_EQ(settings.fAmbientColour, (vector3<float>{1, 1, 1}));
  EXPECT_EQ(settings.fAmbientIntensity, 1.0);
  EXPECT_EQ(settings.fShadowLightness, 1.0);
  CRenderContext context(1, 1, 10, 0);
  context.SetSettings(&settings);
  EXPECT_EQ(context.GetSettings(), &settings);
}

TEST_F(RenderContext, ResetStartsFromTheCoarsestPass) {
  CRenderContext context(1, 1, 10, 0);
  EXPECT_EQ(context.GetProgressive().blockSize, 16u);
  EXPECT_EQ(context.GetParameter(), 10u);
  context.GetProgressive() = {2, 3, 4, 5, 6, 7, 8};
  context.ResetProgressive();
  const CRenderContext::SProgressiveState& state = context.GetProgressive();
  EXPECT_EQ(state.blockSize, 16u);
  EXPECT_EQ(
      state.blockMask + state.column + state.row + state.antialiasColumn + state.antialiasRow + state.lastDrawnRow, 0u);
}

}  // namespace
