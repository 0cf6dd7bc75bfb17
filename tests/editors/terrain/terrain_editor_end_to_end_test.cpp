// The terrain editor in the running program, headless and driven by an input script: a document of
// one generated terrain, Ctrl+A and Ctrl+T, a click on "elev smoothing", one on "ok", Ctrl+S and
// Ctrl+Q; the saved terrain is the smoothed one, and the render tool renders the document.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "editors/terrain/height_grid_filters.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

namespace fs = std::filesystem;

class TerrainEditorEndToEnd : public TerrainEditorTest {
 protected:
  void SetUp() override {
    TerrainEditorTest::SetUp();
    folder = fs::path(::testing::TempDir()) / ("terrain-run-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "data");
    fs::copy_file(QUARN2_PROGRAM, folder / "Quarn2");
    fs::permissions(folder / "Quarn2", fs::perms::owner_all);
    for (const auto& entry : fs::directory_iterator(QUARN2_DATA_DIR)) {
      if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), folder / "data" / entry.path().filename());
    }
  }
  void TearDown() override {
    fs::remove_all(folder);
    TerrainEditorTest::TearDown();
  }
  int Run(const std::string& command) {
    const int status = std::system(("cd '" + folder.string() + "' && " + command).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The heights of the document's terrain.
  Grid TerrainOf(const std::string& name) {
    C3dBaseSys table(app->GetObjectsEnv());
    CDocSettings settings(SSpoolLayout{app->GetDataEnv(), 0, 0});
    CFileSpec spec;
    spec.Set((folder / name).c_str());
    EXPECT_EQ(ReadSceneFile(spec, &table, &settings), 0) << name;
    CHolder holder(&table, false, false);
    for (uint32_t row = 0; holder.IsLocked() && row < table.GetCount(); ++row) {
      C3dBase* thing = table[row].object;
      if (thing && thing->GetClass() == C3dHeightField::kClassTag) return HeightsOf(static_cast<C3dHeightField*>(thing));
    }
    ADD_FAILURE() << "no terrain in " << name;
    return {};
  }
  // The script's lines for a click at the screen point.
  static std::string Click(SPointHV at) {
    return "move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\nwait 100\ndown left\nwait 60\nup left\n" +
           "wait 500\n";
  }
  static std::string ControlKey(char key) {
    return std::string("key 17\nkey ") + key + "\nkeyup " + key + "\nkeyup 17\nwait 500\n";
  }

  fs::path folder;
};

TEST_F(TerrainEditorEndToEnd, ASmoothingClickAndOkSaveTheSmoothedTerrain) {
  // Where the buttons lie when the editor is centred on the headless screen, as the program shows it.
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  const SPointHV smoothing = OnScreen(Element(need::kElevationButtons[need::kElevSmoothing]));
  const SPointHV ok = OnScreen(Element(need::kTerrainEditor.ok));
  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);

  std::ofstream(folder / "scene.txt") << "terrain T generate 7\n";
  ASSERT_EQ(Run(std::string(QUARN2_SCENE_PATH) + " scene.txt scene.qnc > /dev/null"), 0);
  fs::copy_file(folder / "scene.qnc", folder / "original.qnc");
  std::ofstream(folder / "keys.txt") << "wait 1500\n" + ControlKey('A') + ControlKey('T') + "wait 1000\n" +
                                            Click(smoothing) + Click(ok) + ControlKey('S') + ControlKey('Q');
  EXPECT_EQ(Run("env QUARN2_HEADLESS=1 XDG_RUNTIME_DIR='" + folder.string() +
                "' QUARN2_SCRIPT=keys.txt ./Quarn2 scene.qnc 2> err.txt"),
            0);
  std::ifstream errors(folder / "err.txt");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>()), "");

  const Grid original = TerrainOf("original.qnc");
  ASSERT_EQ(original.size(), 128u * 128u);
  Grid smoothed = original;
  FilterHeightGrid(original.data(), smoothed.data(), 128, kFilterSmooth);
  ASSERT_NE(smoothed, original);
  EXPECT_EQ(TerrainOf("scene.qnc"), smoothed);
  EXPECT_EQ(Run(std::string(QUARN2_RENDER_PATH) + " scene.qnc out.bmp --width 64 --height 48 > /dev/null 2>&1"), 0);
  EXPECT_TRUE(fs::exists(folder / "out.bmp"));
}

}  // namespace
