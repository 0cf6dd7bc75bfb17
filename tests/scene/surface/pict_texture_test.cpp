// The picture texture: bilinear sampling with its peculiar wrap, the alpha gradient, storage of the
// picture beside the texture, copies, and a picture read from a BMP file made by ImageMagick.
#include <gtest/gtest.h>

#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "platform/alloc.h"
#include "scene/factory.h"
#include "material_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using PictureTexture = MaterialTest;

// A 4 × 2 picture: alpha and colours that differ from pixel to pixel.
const std::vector<uint32_t> kPixels = {
    0x10203040, 0x30405060, 0x50607080, 0x708090A0,  // row 0
    0x90A0B0C0, 0xB0C0D0E0, 0xD0E0F000, 0xF0001020,  // row 1
};

vector3<float> ColourOf(uint32_t pixel) {
  return {float((pixel >> 16) & 255) * kByteScale, float((pixel >> 8) & 255) * kByteScale,
          float(pixel & 255) * kByteScale};
}

STextureSample Sample(CPictTexture* texture, double u, double v, int32_t mode = 1) {
  STextureSample sample;
  sample.colourWanted = sample.valueWanted = sample.gradientWanted = 1;
  sample.point = {u, v, 1};
  sample.tangentU = {0, 0, 2};
  sample.tangentV = {3, 0, 0};
  sample.value = -1;
  CHolder holder(texture, false, false);
  texture->Evaluate(sample, {0, 1, 0}, mode);
  return sample;
}

TEST_F(PictureTexture, SamplesLandOnTheirPixels) {
  CPictTexture* texture = NewPicture(4, 2, kPixels);
  struct SCase {
    const char* name;
    double u, v;
    uint32_t pixel;
  };
  // x = 4u and y = 2(1 − v); each case lands exactly on one pixel or one blend.
  const SCase cases[] = {
      {"u = 1 wraps to column 0, v = 0 to row 0", 1, 0, kPixels[0]},
      {"the middle of row 1", 0.5, 0.5, kPixels[6]},
      {"x = -0.5 keeps P00", -0.125, 0.5, kPixels[4]},
      {"x = -1.5 takes column W - 2 unblended", -0.375, 0.5, kPixels[6]},
      {"x = -4 wraps to column W - 1", -1, 0.5, kPixels[7]},
      {"half way across, byte by byte", 0.125, 1, 0x20304050},
      {"half way down", 0, 0.75, 0x50607080},
      // x = 4 × 0.825 falls just short of 3.3: alpha 0xF0 goes 28.79… down toward 0x90 and keeps 28 of
      // it, the colours go 47.99… up and keep 47: each step truncated toward zero.
      {"three tenths across the wrap, truncated toward zero", 0.825, 0.5, 0xD42F3F4F},
  };
  for (const SCase& c : cases) {
    const STextureSample sample = Sample(texture, c.u, c.v);
    EXPECT_EQ(sample.colour, ColourOf(c.pixel)) << c.name;
    EXPECT_EQ(sample.value, double(float(c.pixel >> 24) * kByteScale)) << c.name;
  }
  delete texture;
}

TEST_F(PictureTexture, TheGradientComesFromTheAlphaOfTheUnblendedPixels) {
  CPictTexture* texture = NewPicture(4, 2, kPixels);
  // At column 1 of row 1: P00 = (1, 1), P10 = (2, 1), P01 = (1, 0).
  const double du = (0xB0 - 0xD0) / 255.0, dv = (0x30 - 0xB0) / 255.0;
  const STextureSample flat = Sample(texture, 0.25, 0.5, 0);
  EXPECT_EQ(flat.gradient, (vector3<double>{du, dv, 0}));
  const STextureSample world = Sample(texture, 0.25, 0.5, 1);
  EXPECT_EQ(world.gradient, (vector3<double>{du, dv, 0}));
  const STextureSample carried = Sample(texture, 0.25, 0.5, 2);
  EXPECT_EQ(carried.gradient, (vector3<double>{3 * dv, 0, 2 * du}));
  delete texture;

  CPictTexture* even = NewPicture(4, 2, std::vector<uint32_t>(8, 0x7F123456));
  for (int32_t mode : {0, 2, 9}) EXPECT_EQ(Sample(even, 0.3, 0.6, mode).gradient, (vector3<double>{})) << mode;
  delete even;
}

TEST_F(PictureTexture, APictureOfNoPixelsLeavesTheSampleAsItWas) {
  CPictTexture* texture = MakeObject<CPictTexture>(nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetPicture().GetWidth(), 0u);
  const STextureSample sample = Sample(texture, 0.5, 0.5);
  EXPECT_EQ(sample.value, -1);
  EXPECT_EQ(sample.colour, (vector3<float>{}));
  delete texture;
}

TEST_F(PictureTexture, ThePictureIsStoredBesideTheTextureAndReadBackWithIt) {
  CPictTexture* texture = NewPicture(4, 2, kPixels, 31);
  SetName(texture, "Bricks");
  // Entered once, then found there: both moves succeed.
  ASSERT_TRUE(texture->SetEnvironment(document.get()));
  SSpoolKey picture;
  picture.Set(C3dCImage::kTypeName, 31, false);
  CResEntry entry{};
  EXPECT_TRUE(document->GetResourceInfo(picture, &entry));
  ASSERT_TRUE(texture->SetEnvironment(ObjectsEnv()));
  SSpoolKey fresh;
  fresh.Set(CPictTexture::kTypeName, 31, false);
  SSpoolTableSpec working;
  working.SetForObjects(false, &fresh);
  ASSERT_TRUE(texture->Subscribe(working));
  EXPECT_TRUE(texture->IsPictureReady());

  const SSpoolKey key = StoreTexture(texture, "Bricks");
  EXPECT_EQ(Stored(key).size(), 136u);
  EXPECT_GT(Stored(picture).size(), 80u);
  CBaseTexture* loaded = nullptr;
  ASSERT_EQ(CPictTexture::LoadShared(&loaded, TextureKey(CPictTexture::kClassTag), StoredSpec(key)), 0);
  auto* copy = static_cast<CPictTexture*>(loaded);
  EXPECT_TRUE(copy->GetPicture().IsResident());
  EXPECT_TRUE(copy->IsPictureReady());
  EXPECT_EQ(NameOf(copy), "Bricks");
  ASSERT_EQ(copy->GetPicture().GetWidth(), 4u);
  ASSERT_EQ(copy->GetPicture().GetHeight(), 2u);
  {
    CImNavigator nav(&copy->GetPicture(), nullptr, false, false);
    ASSERT_TRUE(nav.IsUsable());
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(nav.Cells(i / 4)[i % 4].value, kPixels[i]) << i;
  }
  EXPECT_EQ(copy->Acquire(false), 0);
  EXPECT_EQ(CBaseTexture::ReleaseUse(copy), 0);
  delete texture;
}

TEST_F(PictureTexture, ThePictureIsReadyWhileBothAreSubscribedToReadyEnvironments) {
  CPictTexture* texture = NewPicture(4, 2, kPixels);
  EXPECT_TRUE(texture->IsPictureReady());
  texture->GetPicture().Unsubscribe();
  EXPECT_FALSE(texture->IsPictureReady());
  ASSERT_TRUE(texture->Unsubscribe());
  EXPECT_FALSE(texture->IsPictureReady());
  delete texture;

  SObjectKey key;
  key.Set(nullptr, CBaseTexture::kFamily, CPictTexture::kClassTag, CPictTexture::kTypeName);
  CPictTexture loose(key);
  EXPECT_TRUE(loose.IsPictureReady());
}

TEST_F(PictureTexture, ADuplicateCopiesNameAndPixels) {
  CPictTexture* texture = NewPicture(4, 2, kPixels, 8);
  SetName(texture, "Tiles");
  CBaseTexture* made = nullptr;
  ASSERT_EQ(texture->Duplicate(&made), 0);
  auto* copy = static_cast<CPictTexture*>(made);
  EXPECT_EQ(copy->GetId(), 0u);
  EXPECT_EQ(copy->GetEnvironment(), ObjectsEnv());
  EXPECT_EQ(NameOf(copy), "Tiles");
  for (double u : {0.0, 0.25, 0.5, 0.75}) {
    EXPECT_EQ(Sample(copy, u, 0.5).colour, Sample(texture, u, 0.5).colour) << u;
  }
  delete copy;
  delete texture;
}

// Made into a table it is listed there; refused, nothing of it stays and the out pointer is empty.
TEST_F(PictureTexture, NewEntersTheTableOrLeavesNothing) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<CPictTexture>(ObjectsEnv(), key, spec);
  const uint32_t rows = table->GetCount();
  CPictTexture* made = nullptr;
  ASSERT_EQ(CPictTexture::New(&made, table, key, spec), 0);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetOwningTable(), table);
  EXPECT_EQ(table->GetCount(), rows + 1);

  CFileSpec nowhere;
  ASSERT_EQ(nowhere.Set((folder + "/missing/swap.tmp").c_str()), 0);
  CSpoolEnv unready(&nowhere, GetObjectPool(), SRange{32, 32}, 0, false, nullptr, 0);
  MakeCreationKey<CPictTexture>(&unready, key, spec);
  CPictTexture* refused = made;
  EXPECT_EQ(CPictTexture::New(&refused, table, key, spec), 13);
  EXPECT_EQ(refused, nullptr);
  MakeCreationKey<CPictTexture>(ObjectsEnv(), key, spec);
  // Enough refusals for the pool's second try and its recovery's own allocations.
  platform::FailNextAllocations(100);
  refused = made;
  const int32_t outOfMemory = CPictTexture::New(&refused, table, key, spec);
  platform::FailNextAllocations(0);
  EXPECT_NE(outOfMemory, 0);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(table->GetCount(), rows + 1);
}

// ---- a picture from a file

TEST_F(PictureTexture, ABitmapSamplesExactlyThroughAMaterial) {
  if (RunCommand("command -v convert >/dev/null").status != 0) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string path = folder + "/pic.bmp";
  ASSERT_EQ(RunCommand("convert -size 4x4 xc:'#102030' -fill '#FF8000' -draw 'point 2,3' 'BMP3:" + path + "'").status,
            0);
  CPictTexture* texture = NewPicture(4, 4, std::vector<uint32_t>(16, 0));
  CImage* picture = &texture->GetPicture();
  CFileSpec spec;
  ASSERT_EQ(spec.Set(path.c_str()), 0);
  ASSERT_EQ(CImBitmapFile::LoadImage(spec, &picture), 0);

  C3dMaterial* material = NewMaterial();
  {
    CHolder holder(material, true, false);
    SMaterialRecord& record = material->GetRecord();
    record.sources[C3dMaterial::kDiffuseColourSource] = 1;
    record.sources[C3dMaterial::kDiffusionSource] = 1;
    record.component[0].mappingMode = 4;
    record.component[0].scale = 0;
    ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
  }
  // Planar from above, repeated once: the world point (2, 0, 1) is column 2, row 3.
  const auto at = [&](double x, double z) {
    CHolder holder(material, false, false);
    SMaterialSample sample = material->GetRecord().sample;
    CRay ray;
    ray.fHit.fPoint = {x, 0, z};
    ray.fHit.fNormal = {0, 1, 0};
    material->Evaluate(ray, sample);
    return sample;
  };
  const SMaterialSample hit = at(2, 1);
  EXPECT_EQ(hit.diffuseColour, (vector3<float>{1.0f, 128 * kByteScale, 0}));
  EXPECT_EQ(double(hit.diffusion), 1.0);
  const SMaterialSample beside = at(1, 1);
  EXPECT_EQ(beside.diffuseColour, (vector3<float>{0x10 * kByteScale, 0x20 * kByteScale, 0x30 * kByteScale}));
  delete material;
  delete texture;
}

}  // namespace
