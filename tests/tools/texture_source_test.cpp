// The .qntx source kind: a 3D texture's recipe read field by field, refused with the line that is
// wrong, and stored as a "C3dTexture" record that the program's texture loader reads back by name.
#include "tools/texture_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "scene/surface/texture.h"
#include "tests/framework/core/spool_fixture.h"

namespace {

constexpr const char* kLayered =
    "# a comment\n"
    "count 2\n"
    "output value colour\n"
    "operations 3 0\n"
    "phase 38 5 10 20 1 2 3\n"
    "filter 2 3 0.5 -1.25\n"
    "colour 4 64 0x102030 0x405060 0x708090\n"
    "component 2 {\n"
    "    kinds colour\n"
    "    gradient 1\n"
    "    noise 1062\n"
    "    angles 45 -30\n"
    "    frequency 1 1 4\n"
    "}\n"
    "component 1 {\n"
    "    kinds 1\n"
    "    noise 38\n"
    "}\n";

TEST(TextureSource, EveryFieldLandsInItsPlace) {
  STextureData data;
  std::string error;
  ASSERT_TRUE(CompileTextureSource(kLayered, &data, &error)) << error;
  EXPECT_EQ(data.count, 2);
  EXPECT_EQ(data.outputFlags, kKindValue | kKindColour);
  EXPECT_EQ(data.operation[0], 3);
  EXPECT_EQ(data.globalPhase.code, 38);
  EXPECT_EQ(data.globalPhase.amount, 5);
  EXPECT_EQ(data.globalPhase.frequency[2], 3);
  EXPECT_EQ(data.filter.kind, 2);
  EXPECT_EQ(data.filter.count, 3);
  EXPECT_FLOAT_EQ(data.filter.b, -1.25f);
  EXPECT_EQ(data.colour.mapKind, 4);
  EXPECT_EQ(data.colour.format, kColourFormatHLS);
  EXPECT_EQ(data.colour.colour[2], 0x708090u);
  EXPECT_EQ(data.component[0].kinds, kKindValue);
  EXPECT_EQ(data.component[0].noiseCode, 38);
  EXPECT_EQ(data.component[1].kinds, kKindColour);
  EXPECT_EQ(data.component[1].gradientFlag, 1);
  EXPECT_EQ(data.component[1].noiseCode, 1062);
  EXPECT_EQ(data.component[1].angleYZ, -30);
  EXPECT_EQ(data.component[1].frequency[2], 4);
  EXPECT_EQ(data.component[2].noiseCode, 0);
}

TEST(TextureSource, ErrorsNameTheLine) {
  struct SCase {
    const char* text;
    const char* error;
  } cases[] = {
      {"output value\n", "1: the texture needs its count"},
      {"count 4\n", "1: expected count N (1 to 3)"},
      {"count 1\ncount 1\n", "2: \"count\" is given twice"},
      {"count 1\nshine 3\n", "2: unknown field \"shine\""},
      {"count 1\noutput glow\n", "2: expected output KINDS"},
      {"count 1\nfilter 1 2 x 0\n", "2: expected filter KIND COUNT A B"},
      {"count 1\ncomponent 1 {\nnoise 3\nnoise 4\n}\n", "4: \"noise\" is given twice"},
      {"count 1\ncomponent 1 {\nnoise 3\n", "3: component 1 is not closed"},
      {"count 1\ncomponent 2 {\n}\n", "1: component 2 lies beyond the count"},
      {"count 1\ncomponent 1\n", "2: expected component N { with N from 1 to 3, outside any component"},
      {"count 1\n}\n", "2: \"}\" closes no component"},
  };
  for (const SCase& c : cases) {
    STextureData data;
    std::string error;
    EXPECT_FALSE(CompileTextureSource(c.text, &data, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

class TextureRecord : public SpoolAppTest {};

// Stored under its name, the recipe comes back through the loader the document window uses.
TEST_F(TextureRecord, TheStoredTextureLoadsByNameWithItsRecipe) {
  CFileSpec spec;
  ASSERT_EQ(spec.Set((folder + "/textures.dat").c_str()), 0);
  CResourceEnv env(spec, CFile::kModeReadWrite);
  ASSERT_TRUE(env.IsOpen());
  STextureData recipe;
  std::string error;
  ASSERT_TRUE(CompileTextureSource(kLayered, &recipe, &error)) << error;
  SSpoolKey key;
  key.Set(C3dTexture::kTypeName, 128, false);
  std::strcpy(key.name, "Ice");
  ASSERT_EQ(StoreTextureRecord(env, key, recipe), 0);

  CBaseTexture* loaded = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByName(C3dTexture::kClassTag, "Ice", &env, &loaded, false), 0);
  std::unique_ptr<CBaseTexture> texture(loaded);
  CHolder holder(texture.get(), false, false);
  ASSERT_TRUE(holder.IsLocked());
  EXPECT_STREQ(reinterpret_cast<const char*>(texture->GetData()), "Ice");
  const STextureData& data = static_cast<C3dTexture*>(texture.get())->GetTextureData();
  EXPECT_EQ(data.count, 2);
  EXPECT_EQ(data.outputFlags, recipe.outputFlags);
  EXPECT_EQ(data.component[1].noiseCode, 1062);
  EXPECT_EQ(data.component[1].frequency[2], 4);
  EXPECT_EQ(data.colour.colour[1], 0x405060u);
  EXPECT_FLOAT_EQ(data.filter.a, 0.5f);
}

}  // namespace
