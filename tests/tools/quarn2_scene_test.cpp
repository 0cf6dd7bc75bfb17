// quarn2-scene: a description using every statement and keyword becomes a document whose things hold
// each value where it belongs; every line that cannot be read is named and writes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "run_tool.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "tests/framework/core/spool_fixture.h"
#include "tests/tools/scene_text.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Quarn2Scene : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  uint32_t ObjectsBudget() const override { return 4 * 1024 * 1024; }
  void TearDown() override {
    table.reset();
    settings.reset();
    SpoolAppTest::TearDown();
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
  SRun Run(const std::string& scene, const std::string& out) const {
    return RunCommand(std::string(QUARN2_SCENE_PATH) + " '" + Path(scene) + "' '" + Path(out) + "' 2>&1");
  }
  bool MakePicture(const std::string& name, const std::string& size) const {
    return MakeTerrainPicture(Path(name), size);
  }

  // The document read back, with its settings.
  void Read(const std::string& name) {
    table = std::make_unique<C3dBaseSys>(ObjectsEnv());
    settings = std::make_unique<CDocSettings>(SSpoolLayout{ObjectsEnv(), 0, 0});
    CFileSpec spec;
    ASSERT_EQ(spec.Set(Path(name).c_str()), 0);
    ASSERT_EQ(ReadSceneFile(spec, table.get(), settings.get()), 0);
  }
  template <typename T>
  T* Named(const char* name) {
    C3dBase* found = nullptr;
    EXPECT_EQ(table->FindObject(name, T::kFamily, T::kClassTag, &found), 0) << name;
    return static_cast<T*>(found);
  }
  C3dObject* NamedObject(const char* name, uint32_t family, uint32_t classTag) {
    C3dBase* found = nullptr;
    EXPECT_EQ(table->FindObject(name, family, classTag, &found), 0) << name;
    return found ? found->AsObject() : nullptr;
  }
  static SMaterialSample SampleOf(C3dObject* object) {
    C3dMaterial* material = LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
    CHolder holder(material, false, false);
    return material->GetRecord().sample;
  }

  std::unique_ptr<C3dBaseSys> table;
  std::unique_ptr<CDocSettings> settings;
};

void ExpectVector(const vector3<double>& a, const vector3<double>& b, const char* what, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

void ExpectColour(const vector3<float>& a, const vector3<double>& b, const char* what) {
  ExpectVector({a.x, a.y, a.z}, b, what, 1e-6);
}

TEST_F(Quarn2Scene, EveryStatementAndKeywordLandsInItsField) {
  ASSERT_TRUE(MakePicture("hf.bmp", "64x64"));
  Write("scene.txt", kEveryStatementScene);
  const SRun run = Run("scene.txt", "scene.qnc");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "");
  Read("scene.qnc");
  if (HasFatalFailure()) return;

  const uint32_t words[] = {320, 200, 320, 200, 0, 0, 200, 320, 16, 0, 0, 0, 0, 0, 959};
  for (uint32_t i = 0; i < std::size(words); ++i) EXPECT_EQ(settings->GetWord(i), words[i]) << "settings word " << i;

  auto* camera = Named<C3dCamera>("perspective");
  ExpectVector(camera->GetTransformVector3(), {1, 2, -30}, "camera from");
  ExpectVector(camera->GetView().target, {0, 2, 0}, "camera to");
  EXPECT_DOUBLE_EQ(camera->GetView().fieldAngle, 45 * kDegree);
  EXPECT_TRUE(camera->GetStateFlags() & 0x4000);

  auto* sun = Named<C3dSunLight>("sunlight");
  ExpectVector(sun->GetDirection(), {0, 0.6, -0.8}, "sun direction");
  ExpectColour(sun->GetColour(), {1, 0.9, 0.8}, "light colour");
  ExpectColour(sun->GetSunColour(), {1, 0.9, 0.8}, "sun colour");
  ExpectColour(sun->GetSecondSunColour(), {1, 0.9, 0.8}, "second sun colour");

  auto* sky = Named<C3dSky>("current sky");
  const SSkySettings& s = sky->GetSettings();
  EXPECT_DOUBLE_EQ(s.hazeAmount, 10 * 0.05);
  EXPECT_DOUBLE_EQ(s.fogDensity, 30 * 0.01);
  EXPECT_DOUBLE_EQ(s.fogHeight, 20 * 20 * 0.0005);
  EXPECT_DOUBLE_EQ(s.valueF, 1 - 40 * 0.01);
  EXPECT_EQ(s.flags & 0x2F0, 0x0F0u);
  C3dTexture* cloud = sky->GetCloudTexture(0);
  ASSERT_NE(cloud, nullptr);
  EXPECT_EQ(sky->GetCloudTexture(1), cloud);
  {
    CHolder holder(cloud, false, false);
    const STextureData& data = cloud->GetTextureData();
    EXPECT_EQ(data.count, 1);
    EXPECT_EQ(data.outputFlags, 1);
    EXPECT_EQ(data.component[0].kinds, 1);
    EXPECT_EQ(data.component[0].noiseCode, 38);
    EXPECT_EQ(data.component[0].frequency[2], 1);
  }

  auto* ball = Named<C3dSphere>("ball");
  const SMaterialSample sample = SampleOf(ball);
  ExpectColour(sample.diffuseColour, {0.1, 0.2, 0.3}, "colour");
  EXPECT_DOUBLE_EQ(sample.diffusion, 0.9);
  ExpectColour(sample.ambientColour, {0.4, 0.5, 0.6}, "ambient-colour");
  EXPECT_DOUBLE_EQ(sample.ambience, 0.3);
  ExpectColour(sample.specularColour, {0.7, 0.8, 0.9}, "specular-colour");
  EXPECT_DOUBLE_EQ(sample.specularity, 0.25);
  ExpectColour(sample.specCoefficients, {12, 12, 12}, "spec-exponent");
  ExpectColour(sample.transparentColour, {0.2, 0.3, 0.4}, "transparent-colour");
  EXPECT_DOUBLE_EQ(sample.transparency, 0.5);
  EXPECT_DOUBLE_EQ(sample.reflection, 0.35);
  EXPECT_DOUBLE_EQ(sample.bump, 0.15);
  EXPECT_DOUBLE_EQ(sample.refractionIndex, 1.5);
  EXPECT_DOUBLE_EQ(sample.metallicity, 0.45);
  EXPECT_DOUBLE_EQ(sample.metallicityExponent, 2.5);
  EXPECT_EQ(sample.flags & 0x3F, 0x21u);
  ExpectVector(ball->GetScaledSize(), {2, 4, 6}, "ball size");
  ExpectVector(ball->GetTransformVector2(), vector3<double>{10, 20, 30} * kDegree, "ball rotate");
  ExpectColour(SampleOf(NamedObject("ground", FourCC("3dob"), FourCC("plne"))).diffuseColour, {0.2, 0.5, 0.2}, "plane");

  auto* ring = Named<C3dTorus>("ring");
  EXPECT_EQ(ring->GetMinorRadius(), 1);
  EXPECT_EQ(ring->GetMajorRadius(), 3);
  ExpectVector(ring->GetScaledSize(), {8, 2, 8}, "torus size", 1e-6);
  ExpectVector(NamedObject("dsk", FourCC("3dob"), FourCC("circ"))->GetScaledSize(), {2, 0, 2}, "disk size");
  EXPECT_EQ(Named<C3dHeightField>("hill")->GetSide(), 64u);
  EXPECT_EQ(Named<C3dHeightField>("gen")->GetSide(), 128u);
  auto* lamp = static_cast<C3dLight*>(NamedObject("lamp", FourCC("lght"), FourCC("sphr")));
  ExpectColour(lamp->GetColour(), {1, 1, 0.5}, "light colour");
  EXPECT_EQ(lamp->GetIntensity(), 3);
  EXPECT_NE(lamp->GetMaterial(), kNoHandle);

  // Every placed thing's world box is centred on its "at"; a light's own point is there.
  const struct {
    const char* name;
    uint32_t family, classTag;
    vector3<double> at;
  } centres[] = {
      {"ball", FourCC("3dob"), FourCC("sphr"), {1, 2, 3}},    {"box", FourCC("3dob"), FourCC("cube"), {-5, 1, 0}},
      {"pyr", FourCC("3dob"), FourCC("pyra"), {5, 1, 0}},     {"con", FourCC("3dob"), FourCC("cone"), {0, 1, 5}},
      {"cyl", FourCC("3dob"), FourCC("cylr"), {0, 1, -5}},    {"ring", FourCC("3dob"), FourCC("toru"), {0, 6, 0}},
      {"dsk", FourCC("3dob"), FourCC("circ"), {3, 0.5, 3}},   {"sq", FourCC("3dob"), FourCC("sqre"), {-3, 0.5, -3}},
      {"ground", FourCC("3dob"), FourCC("plne"), {0, -1, 0}}, {"hill", FourCC("3dob"), FourCC("hfld"), {10, 0, 10}},
      {"gen", FourCC("3dob"), FourCC("hfld"), {-10, 0, -10}}, {"lamp", FourCC("lght"), FourCC("sphr"), {0, 8, 0}},
      {"beam", FourCC("lght"), FourCC("cone"), {0, 8, 2}},    {"par", FourCC("lght"), FourCC("cube"), {2, 8, 0}},
      {"ssp", FourCC("lght"), FourCC("pyrm"), {4, 8, 0}},     {"cpar", FourCC("lght"), FourCC("cyln"), {6, 8, 0}},
  };
  for (const auto& c : centres) {
    C3dObject* object = NamedObject(c.name, c.family, c.classTag);
    if (!object) continue;
    const C3dBox box = object->WorldBox();
    const vector3<double> placed =
        c.family == C3dLight::kFamily ? object->GetTransformVector3() : (box.fMin + box.fMax) * 0.5;
    ExpectVector(placed, c.at, c.name, 1e-9);
  }
  // A light without colour and intensity lights in white with intensity 5.
  auto* beam = static_cast<C3dLight*>(NamedObject("beam", FourCC("lght"), FourCC("cone")));
  ExpectColour(beam->GetColour(), {1, 1, 1}, "default light colour");
  EXPECT_EQ(beam->GetIntensity(), 5);

  auto* pair = Named<C3dGroup>("pair");
  ASSERT_EQ(pair->GetMemberCount(), 2u);
  EXPECT_EQ(pair->GetMember(0), ball);
  EXPECT_EQ(pair->GetMember(1), NamedObject("box", FourCC("3dob"), FourCC("cube")));
  EXPECT_FALSE(pair->GetStateFlags() & C3dObject::kBooleanGroup);
  auto* carved = Named<C3dGroup>("carved");
  EXPECT_TRUE(carved->GetStateFlags() & C3dObject::kBooleanGroup);
  EXPECT_EQ(carved->GetMember(0)->GetStateFlags() & C3dObject::kRoles, C3dObject::kPositive);
  EXPECT_EQ(carved->GetMember(1)->GetStateFlags() & C3dObject::kRoles, C3dObject::kNegative);
  auto* lens = Named<C3dGroup>("lens");
  EXPECT_TRUE(lens->GetStateFlags() & C3dObject::kBooleanGroup);
  EXPECT_EQ(lens->GetMember(1)->GetStateFlags() & C3dObject::kRoles, C3dObject::kIntersect);
}

TEST_F(Quarn2Scene, WithoutStatementsTheDefaultsAreWritten) {
  Write("empty.txt", "# nothing\n\n");
  ASSERT_EQ(Run("empty.txt", "empty.qnc").status, 0);
  Read("empty.qnc");
  if (HasFatalFailure()) return;
  EXPECT_EQ(settings->GetWord(CDocSettings::kRenderWidth), 480u);
  EXPECT_EQ(settings->GetWord(CDocSettings::kRenderHeight), 360u);
  auto* camera = Named<C3dCamera>("perspective");
  ExpectVector(camera->GetTransformVector3(), {10, 3, -10}, "camera from");
  ExpectVector(camera->GetView().target, {0, 3, 0}, "camera to");
  EXPECT_DOUBLE_EQ(camera->GetView().fieldAngle, 60 * kDegree);
  const SSkySettings& sky = Named<C3dSky>("current sky")->GetSettings();
  EXPECT_EQ(sky.flags, SSkySettings{}.flags & ~0x200u);
  C3dBaseSys defaults(ObjectsEnv());
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dSunLight>(ObjectsEnv(), key, spec);
  C3dSunLight* sun = nullptr;
  ASSERT_EQ(NewObject(&sun, &defaults, key, spec), 0);
  EXPECT_EQ(Named<C3dSunLight>("sunlight")->GetDirection(), sun->GetDirection());
}

TEST_F(Quarn2Scene, ALineThatCannotBeReadIsNamedAndWritesNothing) {
  ASSERT_TRUE(MakePicture("wide.bmp", "32x16"));
  std::ofstream(Path("broken.bmp")) << "BM this is no picture";
  const struct {
    const char* name;
    const char* text;
    int line;
    const char* says;
  } cases[] = {
      {"an unknown keyword", "sphere a colr 1 1 1", 1, "unknown keyword \"colr\""},
      {"a missing value", "\nsphere a at 1 2", 2, "\"at\" needs 3 numbers"},
      {"a number with letters", "sphere a at 12abc 0 0", 1, "\"12abc\" is not a number"},
      {"a number too small to hold", "sphere a at 1e-320 0 0", 1, "\"1e-320\" is too small"},
      {"a number too large to hold", "sphere a at 0 -1e400 0", 1, "\"-1e400\" is too large"},
      {"a whole number too large", "sphere a flags 99999999999999999999", 1, "is too large"},
      {"a colour above 1", "sphere a colour 1.5 0 0", 1, "between 0 and 1"},
      {"a size of 0", "cube a size 0 1 1", 1, "\"size\" values lie between 0.01 and 9999"},
      {"an unknown member", "sphere a\ngroup g a b", 2, "nothing is named \"b\""},
      {"a member listed twice", "sphere a\ngroup g a a", 2, "\"a\" is in a group already"},
      {"a member of another group", "sphere a\ngroup g a\ngroup h a", 3, "\"a\" is in a group already"},
      {"a sign in a plain group", "sphere a\ngroup g +a", 2, "a role needs a boolean group"},
      {"a boolean group holding a disk", "sphere a\ndisk d\ngroup g boolean a -d", 3, "\"g\" is no boolean group"},
      {"a repeated name", "sphere a\ncube a", 2, "the name \"a\" is taken"},
      {"a second camera", "camera from 0 0 -1 to 0 0 0\ncamera from 0 0 -1 to 0 0 0", 2, "a second camera"},
      {"a picture that cannot be read", "terrain t picture broken.bmp", 1, "broken.bmp: "},
      {"a missing picture", "terrain t picture missing.bmp", 1, "missing.bmp: "},
      {"a picture that is not square", "terrain t picture wide.bmp", 1, "wide.bmp: a terrain picture is square"},
      {"an unknown statement", "# fine\nsphere ok\nball b", 3, "unknown statement \"ball\""},
      {"a keyword given twice", "sphere a at 0 0 0 at 1 1 1", 1, "\"at\" is given twice"},
  };
  std::ofstream(Path("old.qnc")) << "the old document";
  for (const auto& c : cases) {
    Write("bad.txt", c.text);
    const SRun run = Run("bad.txt", "old.qnc");
    EXPECT_EQ(run.status, 1) << c.name;
    const std::string prefix = "quarn2-scene: " + Path("bad.txt") + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(run.out.rfind(prefix, 0), 0u) << c.name << ": " << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << c.name << ": " << run.out;
    EXPECT_TRUE(ReadAll(Path("old.qnc")) == "the old document") << c.name;
    EXPECT_FALSE(std::filesystem::exists(Path("new.qnc")));
  }
  Write("bad.txt", "sphere a colr 1 1 1");
  EXPECT_EQ(Run("bad.txt", "new.qnc").status, 1);
  EXPECT_FALSE(std::filesystem::exists(Path("new.qnc")));
}

TEST_F(Quarn2Scene, WrongArgumentsExitWithStatusTwo) {
  const SRun run = RunCommand(std::string(QUARN2_SCENE_PATH) + " only-one.txt 2>&1");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("usage: quarn2-scene SCENE.txt OUT.qnc"), std::string::npos);
}

}  // namespace
