// Textures where the scene meets them: a light's textured material colours its light, and the sky's
// cloud layer takes its density from the texture engine.
#include <gtest/gtest.h>

#include "material_fixture.h"
#include "scene/sky.h"
#include "scene/sphere_light.h"

namespace {

using TextureWiring = MaterialTest;

TEST_F(TextureWiring, ARadialLightTakesItsColourFromItsMaterialsPicture) {
  CPictTexture* picture = NewPicture(2, 2, std::vector<uint32_t>(4, 0xFF336699));
  C3dMaterial* gel = NewMaterial();
  {
    CHolder holder(gel, true, false);
    gel->GetRecord().sources[C3dMaterial::kDiffuseColourSource] = 1;
    ASSERT_EQ(gel->SetChannelTexture(picture, 0), 0);
  }
  C3dSphereLight* light = MakeShape<C3dSphereLight>(table, nullptr, gel->GetHandle());
  ASSERT_NE(light, nullptr);
  light->SetColour({0.1f, 0.2f, 0.3f});
  light->SetIntensity(2.0);
  C3dMaterial* own = MaterialOf(light);
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, gel);
  EXPECT_EQ(own->GetChannelTexture(0), picture);
  EXPECT_EQ(picture->GetOwnUseCount(), 1u);
  vector3<float> colour;
  double intensity = 0;
  light->Illuminate({0.5, -3, 2}, colour, intensity);
  EXPECT_EQ(colour, (vector3<float>{0x33 * kByteScale, 0x66 * kByteScale, 0x99 * kByteScale}));
  EXPECT_EQ(intensity, 2.0);

  // The light's material gives its use back when the scene goes.
  delete table;
  table = nullptr;
  EXPECT_EQ(picture->GetOwnUseCount(), 0u);
  delete gel;
  delete picture;
}

TEST_F(TextureWiring, TheSkysLowCloudsAreAsDenseAsTheTextureSays) {
  C3dSky* sky = MakeObject<C3dSky>(table);
  SSkySettings& s = sky->GetSettings();
  s.flags = C3dSky::kGraded | C3dSky::kClouds | C3dSky::kCloudLayerA;
  s.cloudCover = 0.5;
  s.cloudContrast = 1.0;
  s.cloudA = {1, 1, 1};
  ASSERT_EQ(sky->PrepareForRender(table, nullptr), 0);
  const vector3<double> up{0, 1, 0};
  CRay clearRay;
  clearRay.fDirection = up;
  sky->ShadeRay(clearRay);
  const vector3<float> clear = clearRay.fColour;

  // A colour-only texture asked for a value gives the colour's mean, the same everywhere; with cover
  // 0.5 and contrast 1 the density is that value.
  for (uint32_t grey : {0x000000u, 0x404040u, 0xC0C0C0u}) {
    C3dTexture* texture = NewTexture(kKindValue);
    {
      CHolder holder(texture, true, false);
      STextureData& data = texture->GetTextureData();
      data.component[0].kinds = kKindColour;
      data.component[0].colour = {0, 0, {grey, grey, grey}};
      texture->PrepareEvaluation(true);
    }
    sky->SetCloudTexture(texture, 0);
    CRay ray;
    ray.fDirection = up;
    sky->ShadeRay(ray);
    const double density = 3.0 * (grey & 255) / 765;
    EXPECT_NEAR(ray.fColour.x, clear.x + (1 - clear.x) * density, 1e-6) << std::hex << grey;
    EXPECT_NEAR(ray.fColour.z, clear.z + (1 - clear.z) * density, 1e-6) << std::hex << grey;
    sky->SetCloudTexture(nullptr, 0);
    delete texture;
  }
}

}  // namespace
