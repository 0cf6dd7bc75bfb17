// What every tool does when its surroundings are hostile: an unusable temporary folder, a folder
// where a file is expected, an output that is not a plain file. Each failure names what it is about,
// exits with status 1 and leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSixLineScene = R"(camera from 0 6 -20 to 0 2 0 fov 60
sun direction 0.6 0.5 -0.5
sky haze 6 fog 20 fog-height 60
terrain land generate 7 at 0 2 0 size 40 6 40 colour 0.45 0.40 0.30
plane water at 0 1.5 0 colour 0.1 0.25 0.4 reflection 0.5
sphere ball at 3 6 -4 size 4 4 4 colour 0.8 0.15 0.1 specularity 0.5
)";

class ToolFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    fs::create_directory(Path("tmp"));
  }
  std::string Path(const std::string& name) const { return tmp_.Path() + "/" + name; }
  // Runs in the test's folder with its own temporary folder, so that leftovers can be counted.
  SRun Run(const std::string& command, const std::string& tmpdir = "tmp") const {
    return RunCommand("cd '" + tmp_.Path() + "' && TMPDIR='" + tmpdir + "' " + command + " 2>&1");
  }
  std::vector<std::string> Names(const std::string& folder = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? tmp_.Path() : Path(folder)))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
  // A scene document made by the tool, for the tools that read one.
  void MakeDocument(const std::string& name) const {
    Write("scene.txt", kSixLineScene);
    const SRun made = Run(std::string(QUARN2_SCENE_PATH) + " scene.txt " + name);
    ASSERT_EQ(made.status, 0) << made.out;
  }

 private:
  CPrivateTmpDir tmp_{"quarn2-tool-failures"};
};

// Every tool starts its pools in the temporary folder; one it cannot use is named, not a crash.
TEST_F(ToolFailures, AnUnusableTemporaryFolderIsNamedAndNothingIsWritten) {
  MakeDocument("in.qnc");
  Write("a file", "not a folder");
  const std::vector<std::string> commands = {
      std::string(QUARN2_RENDER_PATH) + " in.qnc out.bmp --width 8 --height 6",
      std::string(QUARN2_SCENE_PATH) + " scene.txt out.qnc",
      std::string(QUARN2_SKY_PATH) + " out.ppm --width 8 --height 5",
      std::string(QUARN2_PICT_PATH) + " in.bmp out.bmp",
      std::string(RESBUILD_PATH) + " manifest out.dat",
      std::string(RESDUMP_PATH) + " in.qnc",
  };
  const std::vector<std::string> before = Names();
  for (const std::string& command : commands) {
    for (const std::string& folder : {Path("missing"), Path("a file")}) {
      const SRun run = Run(command, folder);
      EXPECT_EQ(run.status, 1) << command << "\n" << run.out;
      EXPECT_NE(run.out.find("the temporary folder " + folder + " cannot be used"), std::string::npos)
          << command << "\n" << run.out;
      EXPECT_EQ(Names(), before) << command;
    }
  }
}

// A folder where the output is to go is named before any work, and is neither replaced nor moved.
TEST_F(ToolFailures, AFolderAsTheOutputIsRefusedAndStaysWhereItIs) {
  MakeDocument("in.qnc");
  ASSERT_EQ(Run("convert -size 4x3 xc:red BMP3:in.bmp").status, 0);
  Write("manifest", "ixtx 128 errors_ errors.ixtx\n");
  Write("errors.ixtx", "0 \"Unexpected: %d\"\n");
  fs::create_directory(Path("photos"));
  Write("photos/inside", "kept");
  const std::vector<std::string> commands = {
      std::string(QUARN2_SKY_PATH) + " photos --width 8 --height 5",
      std::string(QUARN2_RENDER_PATH) + " in.qnc photos --width 8 --height 6",
      std::string(QUARN2_SCENE_PATH) + " scene.txt photos",
      std::string(QUARN2_PICT_PATH) + " in.bmp photos",
      std::string(RESBUILD_PATH) + " manifest photos",
  };
  const std::vector<std::string> before = Names();
  for (const std::string& command : commands) {
    const SRun run = Run(command);
    EXPECT_EQ(run.status, 1) << command << "\n" << run.out;
    EXPECT_NE(run.out.find(": photos: is a folder"), std::string::npos) << command << "\n" << run.out;
    EXPECT_EQ(run.out.find("rendering"), std::string::npos) << command << "\n" << run.out;
    EXPECT_EQ(Names(), before) << command;
    EXPECT_EQ(Names("photos"), std::vector<std::string>{"inside"}) << command;
    EXPECT_TRUE(Names("tmp").empty()) << command;
  }
}

// A description, manifest, document or picture that is a folder is an error naming it, never
// an empty input; nothing is written.
TEST_F(ToolFailures, AFolderAsTheInputIsNamed) {
  fs::create_directory(Path("folder"));
  Write("manifest", "ixtx 128 errors_ folder\n");
  const struct {
    std::string command;
    std::string message;
  } cases[] = {
      {std::string(QUARN2_SCENE_PATH) + " folder out.qnc", "folder:0: is a folder"},
      {std::string(RESBUILD_PATH) + " folder out.dat", "resbuild: folder: is a folder"},
      {std::string(RESBUILD_PATH) + " manifest out.dat", "resbuild: manifest:1: folder: is a folder"},
      {std::string(QUARN2_RENDER_PATH) + " folder out.bmp", "quarn2-render: folder: is a folder"},
      {std::string(QUARN2_PICT_PATH) + " folder out.bmp", "quarn2-pict: folder: is a folder"},
      {std::string(RESDUMP_PATH) + " folder", "resdump: folder: is a folder"},
  };
  const std::vector<std::string> before = Names();
  for (const auto& c : cases) {
    const SRun run = Run(c.command);
    EXPECT_EQ(run.status, 1) << c.command << "\n" << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << c.command << "\n" << run.out;
    EXPECT_EQ(Names(), before) << c.command;
    EXPECT_TRUE(Names("tmp").empty()) << c.command;
  }
}

}  // namespace
