// What every tool does when its surroundings are hostile: an unusable temporary folder, a folder
// where a file is expected, an output that is not a plain file. Each failure names what it is about,
// exits with status 1 and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
  // quarn2-layout showing the dialog of a layout file headless, until it is stopped.
  static std::string Layout(const std::string& file) {
    return "QUARN2_HEADLESS=1 " + std::string(QUARN2_LAYOUT_PATH) + " " + file + " 'test dialog' --system " +
           QUARN2_SYSTEM_DAT;
  }
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
  Write("manifest", "ixtx 128 errors_ errors.ixtx\n");
  Write("errors.ixtx", "0 \"Unexpected: %d\"\n");
  const std::vector<std::string> commands = {
      std::string(QUARN2_RENDER_PATH) + " in.qnc out.bmp --width 8 --height 6",
      std::string(QUARN2_SCENE_PATH) + " scene.txt out.qnc",
      std::string(QUARN2_SKY_PATH) + " out.bmp --width 8 --height 5",
      std::string(QUARN2_PICT_PATH) + " in.bmp out.bmp",
      std::string(RESBUILD_PATH) + " manifest out.dat",
      std::string(RESDUMP_PATH) + " in.qnc",
      Layout("in.dat"),
  };
  const std::vector<std::string> before = Names();
  for (const std::string& command : commands) {
    for (const std::string& folder : {Path("missing"), Path("a file")}) {
      const SRun run = Run(command, folder);
      EXPECT_EQ(run.status, 1) << command << "\n" << run.out;
      EXPECT_NE(run.out.find(": " + folder + ": the temporary folder cannot be used: "), std::string::npos)
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
  fs::create_directory(Path("photos.bmp"));
  Write("photos.bmp/inside", "kept");
  const std::vector<std::string> commands = {
      std::string(QUARN2_SKY_PATH) + " photos.bmp --width 8 --height 5",
      std::string(QUARN2_RENDER_PATH) + " in.qnc photos.bmp --width 8 --height 6",
      std::string(QUARN2_SCENE_PATH) + " scene.txt photos.bmp",
      std::string(QUARN2_PICT_PATH) + " in.bmp photos.bmp",
      std::string(RESBUILD_PATH) + " manifest photos.bmp",
  };
  const std::vector<std::string> before = Names();
  for (const std::string& command : commands) {
    const SRun run = Run(command);
    EXPECT_EQ(run.status, 1) << command << "\n" << run.out;
    EXPECT_NE(run.out.find(": photos.bmp: cannot be written: it is a folder"), std::string::npos)
        << command << "\n" << run.out;
    EXPECT_EQ(run.out.find("rendering"), std::string::npos) << command << "\n" << run.out;
    EXPECT_EQ(Names(), before) << command;
    EXPECT_EQ(Names("photos.bmp"), std::vector<std::string>{"inside"}) << command;
    EXPECT_TRUE(Names("tmp").empty()) << command;
  }
}

// A description, manifest, layout source, document or picture that is a folder is an error naming
// it, never an empty input; nothing is written.
TEST_F(ToolFailures, AFolderAsTheInputIsNamed) {
  for (const char* name : {"folder", "folder.layout", "folder.png"}) fs::create_directory(Path(name));
  Write("manifest", "ixtx 128 errors_ folder\n");
  Write("pictures", "ImageIV32ARGB 200 picture folder.png\n");
  Write("layouts", "layout folder.layout\n");
  const struct {
    std::string command;
    std::string message;
  } cases[] = {
      {std::string(QUARN2_SCENE_PATH) + " folder out.qnc", "quarn2-scene: folder: is a folder"},
      {std::string(RESBUILD_PATH) + " folder out.dat", "resbuild: folder: is a folder"},
      {std::string(RESBUILD_PATH) + " manifest out.dat", "resbuild: manifest:1: folder: is a folder"},
      {std::string(RESBUILD_PATH) + " folder.layout out.dat", "resbuild: folder.layout: is a folder"},
      {std::string(RESBUILD_PATH) + " layouts out.dat", "resbuild: ./folder.layout: is a folder"},
      {std::string(RESBUILD_PATH) + " pictures out.dat", "resbuild: pictures:1: folder.png is a folder"},
      {std::string(QUARN2_RENDER_PATH) + " folder out.bmp", "quarn2-render: folder: is a folder"},
      {std::string(QUARN2_PICT_PATH) + " folder out.bmp", "quarn2-pict: folder: is a folder"},
      {std::string(RESDUMP_PATH) + " folder", "resdump: folder: is a folder"},
      {Layout("folder"), "quarn2-layout: folder: is a folder"},
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

// A named pipe as the input is refused as no plain file before anything opens it: its open would wait
// for a writer for good (the commands run under timeout so that a wait fails the test).
TEST_F(ToolFailures, APipeAsTheInputIsNamedAndNeverWaitedOn) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  const struct {
    std::string command;
    std::string message;
  } cases[] = {
      {std::string(QUARN2_SCENE_PATH) + " pipe out.qnc", "quarn2-scene: pipe: it is not a plain file"},
      {std::string(QUARN2_RENDER_PATH) + " pipe out.bmp", "quarn2-render: pipe: it is not a plain file"},
      {std::string(QUARN2_PICT_PATH) + " pipe out.bmp", "quarn2-pict: pipe: it is not a plain file"},
  };
  const std::vector<std::string> before = Names();
  for (const auto& c : cases) {
    const SRun run = Run("timeout 60 " + c.command);
    EXPECT_EQ(run.status, 1) << c.command << "\n" << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << c.command << "\n" << run.out;
    EXPECT_EQ(Names(), before) << c.command;
  }
}

// A file size limit (ulimit -f) stops the write, not the tool: it says so and leaves nothing.
TEST_F(ToolFailures, AFileSizeLimitIsNamedAndLeavesNothing) {
  Write("scene.txt", kSixLineScene);
  const std::vector<std::string> before = Names();
  const SRun run = Run("sh -c 'ulimit -f 20; exec " + std::string(QUARN2_SCENE_PATH) + " scene.txt out.qnc'");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("quarn2-scene: out.qnc: the file size limit (ulimit -f) was reached (code -34)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(Names(), before);
  EXPECT_TRUE(Names("tmp").empty());
}

// Ctrl+C or SIGTERM while the work runs: the tool stops at its next check, removes its output's
// temporary and its pool files, and ends by the signal.
TEST_F(ToolFailures, AStopSignalLeavesNothingBehind) {
  MakeDocument("in.qnc");
  std::string many = "camera from 50 60 -120 to 50 50 0\n";
  for (int i = 0; i < 8000; ++i)
    many += "sphere s" + std::to_string(i) + " at " + std::to_string(i % 150) + " " + std::to_string(i / 150) + " 0\n";
  Write("many.txt", many);
  const SRun built = Run(std::string(RESBUILD_PATH) + " '" + QUARN2_TEST_LAYOUTS + "/testdialog.layout' dialog.dat");
  ASSERT_EQ(built.status, 0) << built.out;
  const struct {
    const char* what;
    std::string command;
    const char* signal;
    std::string started;  // a shell test that is true once the work is under way
    int status;
  } cases[] = {
      {"a render interrupted", std::string(QUARN2_RENDER_PATH) + " in.qnc out.bmp --width 640 --height 480 --aa 5",
       "INT", "grep -qs 'rendering 10%' err.txt", 130},
      {"a save stopped", std::string(QUARN2_SCENE_PATH) + " many.txt out.qnc", "TERM",
       "ls -A | grep -q '^\\.out\\.qnc\\.quarn2-scene-'", 143},
      {"a dialog shown", Layout("dialog.dat"), "TERM", "ls tmp | grep -q '^quarn2-layout\\..*\\.pool$'", 143},
  };
  for (const auto& c : cases) {
    Write("stop.sh", c.command + " 2> err.txt & p=$!\nfor i in $(seq 1 6000); do " + c.started +
                         " && break; sleep 0.01; done\nkill -" + c.signal + " $p\n{ wait $p; } 2> /dev/null\necho $?\n");
    const std::vector<std::string> before = Names();
    const SRun run = Run("sh stop.sh");
    EXPECT_EQ(run.out, std::to_string(c.status) + "\n") << c.what << "\n" << ReadAll(Path("err.txt"));
    fs::remove(Path("err.txt"));
    EXPECT_EQ(Names(), before) << c.what;
    EXPECT_TRUE(Names("tmp").empty()) << c.what;
  }
}

}  // namespace
