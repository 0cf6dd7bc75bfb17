// Renders of small scenes in a headless application: shapes, lights and a camera made through the
// factories, a render context bound to a settings record, a render camera and a target image, and
// the image's pixels read back. Pools are large enough for a hundred shapes and their materials.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/image/image.h"
#include "platform/clock.h"
#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_loops.h"
#include "render/render_settings.h"
#include "render/render_target.h"
#include "scene/camera.h"
#include "scene/cube.h"
#include "scene/plane.h"
#include "scene/sky.h"
#include "scene/sphere_light.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_compile.h"
#include "scene/texture/texture_data.h"
#include "tests/scene/scene_fixture.h"

// Where a pixel's top byte is not part of its colour.
inline constexpr uint32_t kColourOf = 0x00FFFFFF;

// An unbounded scene object that is never hit but sees every ray tested against the scene: it keeps
// each ray's flags and direction, counts the render's begin and end, and with ticking moves the
// virtual clock on by tickMs per ray, so that a render takes time an input script can be
// timed against.
class CProbeSolid : public CTestSolid {
 public:
  static constexpr uint32_t kClassTag = FourCC("tprb");
  static constexpr const char* kTypeName = "CProbeSolid";

  struct SSeen {
    uint8_t primary;
    uint8_t shadow;
    uint32_t depth;
    vector3<double> direction;
    uint32_t nesting;  // of the watched object
  };

  using CTestSolid::CTestSolid;
  const char* TypeName() const override { return kTypeName; }
  bool IsUnbounded() const override { return true; }
  bool Intersect(CRay& ray) override {
    if (ticking) platform::AdvanceVirtualClock(tickMs);
    const uint32_t nesting = watched ? watched->GetNesting() : 0;
    if (keep) seen.push_back({ray.fPrimary, ray.fShadowRay, ray.fDepth, ray.fDirection, nesting});
    if (watched && watched->StopsShadows()) ++watchedStoppingShadows;
    if (watched && watched->GetRenderMaterial()) ++watchedWithMaterial;
    return false;
  }
  void BeginRender() override { ++begun; }
  void EndRender() override { ++ended; }

  bool ticking = false;
  int64_t tickMs = 1;
  bool keep = true;
  C3dObject* watched = nullptr;
  std::vector<SSeen> seen;
  uint32_t begun = 0;
  uint32_t ended = 0;
  // Rays tested while the watched object stopped shadow rays outright, and while it held its material
  // locked for the render.
  uint32_t watchedStoppingShadows = 0;
  uint32_t watchedWithMaterial = 0;
};

class RenderTest : public SceneTest {
 protected:
  uint32_t DataBudget() const override { return 8u << 20; }
  uint32_t ObjectsBudget() const override { return 8u << 20; }

  // Renders run on one thread, so that probes count and advance the virtual clock in order; the
  // tests of the render's threads say how many they want.
  void SetUp() override {
    SceneTest::SetUp();
    setenv("QUARN2_THREADS", "1", 1);
    context = std::make_unique<CRenderContext>(1, 1, 10, 0);
    context->SetSettings(&settings);
    context->SetSceneTable(table);
    context->SetCamera(&frame);
  }
  void TearDown() override {
    unsetenv("QUARN2_THREADS");
    context.reset();
    delete image;
    delete camera;
    SceneTest::TearDown();
  }

  // A camera outside the table at the eye, looking at the target.
  C3dCamera* LookFrom(vector3<double> eye, vector3<double> target) {
    delete camera;
    camera = MakeObject<C3dCamera>(nullptr);
    camera->SetTransformVector3(eye);
    camera->SetOrigin(target);
    return camera;
  }
  C3dSphereLight* NewRadialLight(vector3<double> position, double intensity, vector3<float> colour = {1, 1, 1}) {
    C3dSphereLight* light = MakeShape<C3dSphereLight>(table);
    light->SetTransformVector3(position);
    light->SetColour(colour);
    light->SetIntensity(intensity);
    return light;
  }
  // A sun that lights along its direction with the brightness, without a sky.
  C3dSunLight* NewSun(vector3<double> towardsSun, double brightness) {
    C3dSunLight* sun = MakeObject<C3dSunLight>(table);
    sun->SetRenderValues(towardsSun, {1, 1, 1}, brightness);
    return sun;
  }
  C3dPlane* NewPlane(double height) {
    C3dPlane* plane = MakeShape<C3dPlane>(table);
    plane->SetTransformVector3({0, height, 0});
    return plane;
  }
  // The shape's material record, for a test to change (locked while the holder lives).
  static SMaterialRecord& Record(C3dObject* object, std::unique_ptr<CHolder>& holder) {
    C3dMaterial* material = MaterialOf(object);
    holder = std::make_unique<CHolder>(material, true, false);
    EXPECT_TRUE(holder->IsLocked());
    return material->GetRecord();
  }
  template <typename Change>
  static void ChangeMaterial(C3dObject* object, Change change) {
    std::unique_ptr<CHolder> holder;
    change(Record(object, holder));
  }
  // A 3D texture in the table whose one component is noise.
  C3dTexture* NewNoise() {
    C3dTexture* texture = MakeObject<C3dTexture>(table);
    CHolder holder(texture, true, false);
    STextureData& data = texture->GetTextureData();
    data.count = 1;
    data.outputFlags = kKindValue | kKindColour | kKindBump;
    data.component[0].kinds = kKindValue | kKindBump;
    data.component[0].noiseCode = 1 << 2 | 3;  // value noise in three dimensions
    for (int32_t& f : data.component[0].frequency) f = 3;
    PrepareEvaluation(data, true);
    return texture;
  }
  // A picture texture in the table: a 4 × 4 checker of two colours and two alphas.
  CPictTexture* NewChecker() {
    CPictTexture* texture = MakeObject<CPictTexture>(table);
    C3dCImage& picture = texture->GetPicture();
    EXPECT_TRUE(picture.Allocate(4, 4, 0, false, false)) << picture.GetError();
    CImNavigator nav(&picture, nullptr, true, false);
    for (uint32_t r = 0; r < 4 && nav.IsUsable(); ++r)
      for (uint32_t c = 0; c < 4; ++c) nav.Cells(r)[c].value = (r + c) % 2 ? 0x20FF8000 : 0xE00040C0;
    return texture;
  }
  // A sky in the table with both cloud layers, each of noise, and shadows lightened to 0.3.
  C3dSky* NewCloudySky() {
    C3dSky* sky = MakeObject<C3dSky>(table);
    SSkySettings& s = sky->GetSettings();
    s.valueF = 0.3;
    s.flags |= C3dSky::kClouds | C3dSky::kCloudLayerA | C3dSky::kCloudLayerB;
    sky->SetCloudTexture(NewNoise(), 0);
    sky->SetCloudTexture(NewNoise(), 1);
    return sky;
  }
  // The object's material coloured and bumped by the texture in component 0.
  static void Texture(C3dObject* object, CBaseTexture* texture) {
    C3dMaterial* material = MaterialOf(object);
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    record.sources[C3dMaterial::kDiffuseColourSource] = 1;
    record.sources[C3dMaterial::kBumpSource] = 1;
    record.sample.bump = 0.5;
    record.sample.flags |= SMaterialSample::kTextured;
    ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
  }

  // Binds a new width × height target image and the camera's frame (a camera at (0, 0, −5) looking
  // at the origin when there is none) to the context and feeds the scene; false when either fails.
  bool Prepare(int32_t width, int32_t height) {
    if (!camera) LookFrom({0, 0, -5}, {0, 0, 0});
    delete image;
    int32_t error = 0;
    image = NewDataImage(uint32_t(width), uint32_t(height), &error);
    EXPECT_NE(image, nullptr) << error;
    if (!image) return false;
    target = std::make_unique<CRenderTarget>(image);
    context->SetTarget(target.get());
    frame.SetFromCamera(*camera, width, height);
    context->SetViewTransform(frame.ViewTransform());
    return context->PrepareOptimizer() && context->SetupView(true);
  }
  // A whole progressive render (no drawing, no progress record) of a new image.
  int32_t Render(int32_t width, int32_t height) {
    if (!Prepare(width, height)) return -1;
    return RenderProgressive(false, *context, Whole(), nullptr, nullptr, nullptr);
  }
  SRect Whole() const { return image->GetBounds(); }

  uint32_t Pixel(int32_t x, int32_t y) const {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    EXPECT_TRUE(nav.IsUsable());
    return nav.IsUsable() ? nav.Cells(uint32_t(y))[x].value : 0xDEADBEEF;
  }
  std::vector<uint32_t> Pixels() const {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
  void SetPixels(uint32_t value) {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, true, false);
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = value;
  }
  static int Channel(uint32_t pixel, int shift) { return int(pixel >> shift) & 0xFF; }

  SRenderSettings settings;
  CRenderCamera frame;
  std::unique_ptr<CRenderContext> context;
  std::unique_ptr<CRenderTarget> target;
  CImage* image = nullptr;
  C3dCamera* camera = nullptr;
};
