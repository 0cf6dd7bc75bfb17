// quarn2-presets: a list of materials becomes a library whose every material N has its record, its
// 96 × 96 preview and its description under N, read back with the program's own readers; a line that
// cannot be read is named and writes nothing; the libraries the build writes are the ones the
// document window names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "framework/core/file.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "run_tool.h"
#include "scene/surface/material.h"
#include "tests/framework/core/spool_fixture.h"
#include "tools/res_store.h"

namespace {

class Quarn2Presets : public SpoolAppTest {
 protected:
  void TearDown() override {
    library.reset();
    SpoolAppTest::TearDown();
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
  SRun Run(const std::string& list, const std::string& out) const {
    return RunCommand(std::string(QUARN2_PRESETS_PATH) + " '" + Path(list) + "' '" + Path(out) + "' 2>&1");
  }
  void Open(const std::string& path) {
    CFileSpec spec;
    ASSERT_EQ(spec.Set(path.c_str()), 0);
    library = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    ASSERT_TRUE(library->IsOpen()) << library->GetLastResult();
  }
  // Material id of the open library (or of the environment given), through the reader object
  // creation uses.
  int32_t ReadMaterial(uint32_t id, C3dMaterial** out, CSpoolSys* environment = nullptr) {
    SObjectKey key;
    key.Set(environment ? environment : library.get(), C3dMaterial::kFamily, C3dMaterial::kClassTag,
            C3dMaterial::kTypeName);
    SSpoolKey record;
    record.Set(C3dMaterial::kTypeName, id, false);
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &record);
    return C3dMaterial::NewFromLibrary(out, key, spec);
  }
  SMaterialSample SampleOf(uint32_t id) {
    C3dMaterial* material = nullptr;
    EXPECT_EQ(ReadMaterial(id, &material), 0) << id;
    if (!material) return {};
    SMaterialSample sample;
    {
      CHolder holder(material, false, false);
      sample = material->GetRecord().sample;
    }
    delete material;
    return sample;
  }
  // The preview's pixel at (x, y), through the image record.
  uint32_t PreviewPixel(uint32_t id, uint32_t x, uint32_t y, uint32_t* width = nullptr, uint32_t* height = nullptr) {
    SGridLayout grid;
    MakeImageGridSpec(grid, library.get(), 0, 0);
    SSpoolKey key;
    key.Set("matprevcimage", id, false);
    SSpoolTableSpec spec;
    spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
    CImage image(grid);
    EXPECT_TRUE(image.Subscribe(spec)) << id;
    CImNavigator nav(&image, nullptr, false, false);
    EXPECT_TRUE(nav.IsUsable()) << id;
    if (!nav.IsUsable()) return 0;
    if (width) *width = nav.GetColumns();
    if (height) *height = nav.GetRows();
    return nav.Cells(y)[x].value & 0xFFFFFF;
  }
  std::string Description(uint32_t id) {
    SSpoolKey key;
    key.Set("CPresetDescr", id, false);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(LoadResource(*library, key, &bytes), 0) << id;
    return std::string(bytes.begin(), bytes.end());
  }

  std::unique_ptr<CResourceEnv> library;
};

TEST_F(Quarn2Presets, EveryMaterialHasItsRecordPreviewAndDescriptionUnderItsNumber) {
  Write("lib.txt",
        "# two materials and a comment\n"
        "material red \"A matt red\" colour 0.9 0.1 0.1 flags 0x9   # after the line\n"
        "\n"
        "material glass \"Clear # glass\" colour 0.1 0.2 0.9 reflection 0.5 transparency 0.75 refraction 1.5 "
        "spec-exponent 120 transparent-colour 0.5 0.6 0.7\n"
        "material " + std::string(63, 'n') + " \"" + std::string(256, 'd') + "\"\n");
  const SRun run = Run("lib.txt", "out.shd");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "");

  const SRun dump = RunCommand(std::string(RESDUMP_PATH) + " '" + Path("out.shd") + "' 2>&1");
  ASSERT_EQ(dump.status, 0) << dump.out;
  for (int id = 1; id <= 3; ++id) {
    for (const char* line : {"C3dBaseMaterial %d - 568\n", "matprevcimage %d - ", "CPresetDescr %d - 321\n"}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, line, id);
      EXPECT_NE(dump.out.find(expected), std::string::npos) << expected << "\n" << dump.out;
    }
  }
  EXPECT_EQ(dump.out.find(" 4 "), std::string::npos) << dump.out;

  Open(Path("out.shd"));
  const SMaterialSample red = SampleOf(1);
  EXPECT_EQ(red.diffuseColour, (vector3<float>{0.9f, 0.1f, 0.1f}));
  EXPECT_EQ(red.flags & 0x3F, 0x9u);
  const SMaterialSample glass = SampleOf(2);
  EXPECT_EQ(glass.diffuseColour, (vector3<float>{0.1f, 0.2f, 0.9f}));
  EXPECT_EQ(glass.reflection, 0.5);
  EXPECT_EQ(glass.transparency, 0.75);
  EXPECT_EQ(glass.refractionIndex, 1.5);
  EXPECT_EQ(glass.specCoefficients, (vector3<float>{120, 120, 120}));
  EXPECT_EQ(glass.transparentColour, (vector3<float>{0.5f, 0.6f, 0.7f}));
  const SMaterialSample plain = SampleOf(3);
  EXPECT_EQ(plain.diffuseColour, (vector3<float>{0.499f, 0.499f, 0.499f}));  // the defaults

  EXPECT_EQ(Description(1), "red" + std::string(61, '\0') + "A matt red" + std::string(247, '\0'));
  EXPECT_EQ(Description(2).substr(64, 14), std::string("Clear # glass") + '\0');
  EXPECT_EQ(Description(3), std::string(63, 'n') + '\0' + std::string(256, 'd') + '\0');

  // The sample sphere fills the middle of each preview in its own material: red there, blue there.
  uint32_t width = 0, height = 0;
  const uint32_t redMiddle = PreviewPixel(1, 48, 48, &width, &height);
  EXPECT_EQ(width, 96u);
  EXPECT_EQ(height, 96u);
  const uint32_t blueMiddle = PreviewPixel(2, 48, 48);
  EXPECT_GT((redMiddle >> 16) & 0xFF, redMiddle & 0xFF) << std::hex << redMiddle;
  EXPECT_GT(blueMiddle & 0xFF, (blueMiddle >> 16) & 0xFF) << std::hex << blueMiddle;

  // Only an open library is read.
  C3dMaterial* material = reinterpret_cast<C3dMaterial*>(1);
  EXPECT_EQ(ReadMaterial(1, &material, ObjectsEnv()), 14);
  EXPECT_EQ(material, nullptr);
  library->Close();
  EXPECT_EQ(ReadMaterial(1, &material), 16);
  EXPECT_EQ(material, nullptr);
}

TEST_F(Quarn2Presets, ALineThatCannotBeReadIsNamedAndWritesNothing) {
  const std::string good = "material stone \"Grey\" colour 0.5 0.5 0.5\n";
  const struct {
    std::string text;
    int line;
    const char* reason;
  } cases[] = {
      {"stone \"Grey\"\n", 1, "unknown statement \"stone\""},
      {good + "material\n", 2, "a material needs a name"},
      {good + "material \"Grey\"\n", 2, "a material needs a name"},
      {"material " + std::string(64, 'n') + " \"d\"\n", 1, "a name has at most 63 bytes"},
      {"material stone colour 0.5 0.5 0.5\n", 1, "description in double quotes"},
      {"material stone \"" + std::string(257, 'd') + "\"\n", 1, "a description has at most 256 bytes"},
      {"material stone \"Grey\n", 1, "closing quote is missing"},
      {good + good + "material stone \"Grey\" \"again\"\n", 3, "a second description"},
      {"material stone \"Grey\" shine 1\n", 1, "unknown keyword \"shine\" in material"},
      {"material stone \"Grey\" colour 0.5 2 0.5\n", 1, "\"colour\" values lie between 0 and 1"},
      {"material stone \"Grey\" reflection\n", 1, "\"reflection\" needs a number"},
      {"material stone \"Grey\" reflection 0.2 reflection 0.3\n", 1, "\"reflection\" is given twice"},
      {"material stone \"Grey\" flags 0x40\n", 1, "\"flags\" takes the bits"},
  };
  for (const auto& c : cases) {
    Write("lib.txt", c.text);
    const SRun run = Run("lib.txt", "out.shd");
    EXPECT_EQ(run.status, 1) << c.text;
    const std::string expected = "quarn2-presets: " + Path("lib.txt") + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(run.out.rfind(expected, 0), 0u) << run.out;
    EXPECT_NE(run.out.find(c.reason), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(Path("out.shd"))) << c.text;
  }
  // An existing library stays as it was, and no temporary is left beside it.
  Write("out.shd", "old");
  Write("lib.txt", good + "material x \"y\" bump 3\n");
  EXPECT_EQ(Run("lib.txt", "out.shd").status, 1);
  std::ifstream in(Path("out.shd"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename().string().find(".out.shd"), std::string::npos) << entry.path();
}

// The document window's lists name the libraries the build writes: list 100 their folder beside the
// program, list 101 each file, and each file holds at least three materials of its kind.
TEST_F(Quarn2Presets, TheBuildWritesTheLibrariesTheDocumentWindowNames) {
  CFileSpec spec;
  ASSERT_EQ(spec.Set(QUARN2_DOCWINDOW_DAT), 0);
  CResourceEnv layout(spec, CFile::kModeRead);
  ASSERT_TRUE(layout.IsOpen()) << layout.GetLastResult();
  CIxText folderList(&layout, 100, 0);
  CIxText names(&layout, 101, 0);
  std::string prefix, files[3];
  {
    CIxTxHolder holdFolder(&folderList, true), holdNames(&names, true);
    ASSERT_TRUE(holdFolder.IsHeld() && holdNames.IsHeld());
    prefix = folderList.TextAt(0);
    for (int i = 0; i < 3; ++i) files[i] = names.TextAt(2 + i);
  }
  EXPECT_EQ(prefix, "Presets\\");
  EXPECT_EQ(files[0], "Stones.shd");
  EXPECT_EQ(files[1], "Water.shd");
  EXPECT_EQ(files[2], "Clouds.shd");

  for (int kind = 0; kind < 3; ++kind) {
    const std::string path = std::string(QUARN2_BUILD_DIR) + "/Presets/" + files[kind];
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    Open(path);
    CResTypeTable* table = nullptr;
    CNumberTable* numbers = nullptr;
    ASSERT_TRUE(library->FindType(C3dMaterial::kTypeName, &table, &numbers)) << path;
    uint32_t count = 0;
    {
      CHolder holder(table, false, false);
      count = table->GetCount();
    }
    EXPECT_GE(count, 3u) << path;
    for (uint32_t id = 1; id <= count; ++id) {
      const SMaterialSample s = SampleOf(id);
      const vector3<float>& c = s.diffuseColour;
      if (kind == 0) {  // greys and browns: never blue above red, nothing to see through
        EXPECT_GE(c.x + 0.06f, c.z) << path << " " << id;
        EXPECT_EQ(s.transparency, 0) << path << " " << id;
      } else if (kind == 1) {  // blues that mirror and let light through
        EXPECT_GT(c.z, c.x) << path << " " << id;
        EXPECT_GT(s.reflection, 0) << path << " " << id;
        EXPECT_GT(s.transparency, 0) << path << " " << id;
      } else {  // whites that let light through
        EXPECT_GE(std::min({c.x, c.y, c.z}), 0.8f) << path << " " << id;
        EXPECT_GT(s.transparency, 0) << path << " " << id;
      }
    }
    library.reset();
  }
}

}  // namespace

namespace {

// --objects: a scene with preset lines; every preset N has its group, preview and description under
// one id, and two runs write the same bytes.
TEST_F(Quarn2Presets, ObjectListsBecomeObjectPresets) {
  Write("basics.txt",
        "sphere ball colour 0.8 0.2 0.1\ncube box\ncone a at 0 0 0\ncone b at 2 0 0\ngroup pair a b\n"
        "preset ball \"A ball\"\npreset box \"A box\"\npreset pair \"Two cones\"\n");
  const std::string objects = std::string(QUARN2_PRESETS_PATH) + " --objects '" + Path("basics.txt") + "' ";
  ASSERT_EQ(RunCommand(objects + "'" + Path("Basics.obj") + "' 2>&1").status, 0);
  ASSERT_EQ(RunCommand(objects + "'" + Path("again.obj") + "' 2>&1").status, 0);
  const SRun dump = RunCommand(std::string(RESDUMP_PATH) + " '" + Path("Basics.obj") + "' 2>&1");
  std::vector<std::string> ids;
  std::istringstream lines(dump.out);
  for (std::string type, id, rest; lines >> type >> id && std::getline(lines, rest);)
    if (type == "objpreset") ids.push_back(id);
  EXPECT_EQ(ids.size(), 3u) << dump.out;
  for (const std::string& id : ids) {
    for (const char* type : {"objprevcimage", "objpresetdesc"})
      EXPECT_NE(dump.out.find(std::string(type) + " " + id + " "), std::string::npos) << type << " " << id;
  }
  std::ifstream a(Path("Basics.obj"), std::ios::binary), b(Path("again.obj"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));

  const struct {
    std::string text;
    const char* reason;
  } refused[] = {
      {"sphere ball\npreset bowl \"x\"\n", "no thing of the scene is named \"bowl\""},
      {"cone a\ncone b\ngroup pair a b\npreset a \"x\"\n", "belongs to a group"},
      {"sphere ball\npreset ball\n", "description in double quotes"},
      {"sphere ball\n", "no preset line"},
  };
  for (const auto& c : refused) {
    Write("bad.txt", c.text);
    const SRun run = RunCommand(objects.substr(0, objects.find("'")) + "'" + Path("bad.txt") + "' '" +
                                Path("bad.obj") + "' 2>&1");
    EXPECT_EQ(run.status, 1) << c.text;
    EXPECT_NE(run.out.find(c.reason), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(Path("bad.obj"))) << c.text;
  }
}

}  // namespace

namespace {

// --skies: every sky has its sky, sun light, preview and description under one id and the cloud
// textures its record names; two runs write the same bytes; a line that cannot be read is named.
TEST_F(Quarn2Presets, SkyListsBecomeSkyPresets) {
  Write("skies.txt",
        "sky clear \"Clear\" haze 5 sun 0 1 0\nsky cloudy \"Cloudy\" clouds on flags 0x2F3 sun 0.3 0.7 -0.6\n");
  const std::string skies = std::string(QUARN2_PRESETS_PATH) + " --skies '" + Path("skies.txt") + "' ";
  ASSERT_EQ(RunCommand(skies + "'" + Path("Skies.sky") + "' 2>&1").status, 0);
  ASSERT_EQ(RunCommand(skies + "'" + Path("again.sky") + "' 2>&1").status, 0);
  const SRun dump = RunCommand(std::string(RESDUMP_PATH) + " '" + Path("Skies.sky") + "' 2>&1");
  std::vector<std::string> ids;
  uint32_t textures = 0;
  std::istringstream lines(dump.out);
  for (std::string type, id, rest; lines >> type >> id && std::getline(lines, rest);) {
    if (type == "C3dBaseSky") ids.push_back(id);
    if (type == "C3dTexture") ++textures;
  }
  EXPECT_EQ(ids.size(), 2u) << dump.out;
  // Only the cloudy sky has clouds, one texture a layer.
  EXPECT_EQ(textures, 2u) << dump.out;
  for (const std::string& id : ids) {
    for (const char* type : {"C3dSunLight", "skyprevcimage", "CPresetDescr"})
      EXPECT_NE(dump.out.find(std::string(type) + " " + id + " "), std::string::npos) << type << " " << id;
  }
  std::ifstream a(Path("Skies.sky"), std::ios::binary), b(Path("again.sky"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
  const struct {
    std::string text;
    const char* reason;
  } refused[] = {
      {"sky clear \"x\" haze 500\n", "skies.txt:1: \"haze\" lies between 0 and 100"},
      {"sky clear \"x\"\nsky dusk \"y\" sun 1 0\n", "skies.txt:2: \"sun\" needs 3 number(s)"},
      {"material clear \"x\"\n", "a line begins with \"sky\""},
      {"# nothing\n", "no sky line"},
  };
  for (const auto& c : refused) {
    Write("skies.txt", c.text);
    const SRun run = RunCommand(skies + "'" + Path("bad.sky") + "' 2>&1");
    EXPECT_EQ(run.status, 1) << c.text;
    EXPECT_NE(run.out.find(c.reason), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(Path("bad.sky"))) << c.text;
  }
}

}  // namespace
