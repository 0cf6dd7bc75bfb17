// What every tool does alike: --help and --version on standard output with status 0, the usage on
// standard error with status 2 after a mistake, options in both GNU forms, "--" before operands that
// look like options, and an output that cannot be written (or is an input) refused before any work,
// named with the reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

struct STool {
  const char* name;
  const char* path;
  bool showsWindows = false;  // links the GTK back end and the text drawing
};

constexpr STool kTools[] = {
    {"quarn2-scene", QUARN2_SCENE_PATH}, {"quarn2-render", QUARN2_RENDER_PATH}, {"quarn2-pict", QUARN2_PICT_PATH},
    {"quarn2-sky", QUARN2_SKY_PATH},     {"resbuild", RESBUILD_PATH},           {"resdump", RESDUMP_PATH},
    {"cmfdump", CMFDUMP_PATH},           {"quarn2-layout", QUARN2_LAYOUT_PATH, true},
    {"quarn2-presets", QUARN2_PRESETS_PATH},
};

class ToolCommandLine : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp.Path() + "/" + name; }
  std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
  // Standard error alone.
  static SRun Err(const std::string& command) { return RunCommand(command + " 2>&1 >/dev/null"); }

  CPrivateTmpDir tmp{"quarn2-tools"};
};

TEST_F(ToolCommandLine, HelpVersionAndMistakesAsEveryToolAnswersThem) {
  for (const STool& tool : kTools) {
    const std::string name = tool.name;
    const std::string run = std::string("cd '") + tmp.Path() + "' && " + tool.path;
    const SSplitRun help = RunSplit(run + " --help");
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_EQ(help.out.rfind("usage: " + name + " ", 0), 0u) << help.out;
    for (const char* line : {"\n  --help ", "\n  --version ", "\nExit status: "})
      EXPECT_NE(help.out.find(line), std::string::npos) << name << " --help has no " << line;
    EXPECT_EQ(help.err, "") << name;

    const SSplitRun version = RunSplit(run + " --version");
    EXPECT_EQ(version.status, 0) << name;
    EXPECT_EQ(version.out.rfind(name + " (Quarn2) ", 0), 0u) << version.out;

    for (const char* mistake : {" --bogus", " -x", ""}) {
      const SSplitRun wrong = RunSplit(run + mistake);
      EXPECT_EQ(wrong.status, 2) << name << mistake;
      EXPECT_EQ(wrong.err.rfind(name + ": ", 0), 0u) << wrong.err;
      EXPECT_NE(wrong.err.find("\nusage: " + name + " "), std::string::npos) << wrong.err;
      EXPECT_NE(wrong.err.find("Try '" + name + " --help' for more information.\n"), std::string::npos) << wrong.err;
      EXPECT_EQ(wrong.out, "") << name << mistake;
    }
    EXPECT_NE(Err(run + " --bogus x").out.find(": unknown option --bogus\n"), std::string::npos) << name;
  }
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

// The tools run without any GTK library and without the text stack (Pango, Cairo), but for the one
// that shows dialogs, and this test program without GTK; the documentation's first line names every
// tool.
TEST_F(ToolCommandLine, NoToolLinksGtkOrTheTextStackAndTheirReadmeNamesThemAll) {
  std::ifstream readme(QUARN2_TOOLS_README);
  std::string firstLine;
  std::getline(readme, firstLine);
  for (const STool& tool : kTools) {
    const std::string libraries = RunCommand(std::string("ldd ") + tool.path).out;
    for (const char* stack : {"libgtk-3", "libgdk-3", "libpango-1.0", "libpangocairo", "libcairo"})
      EXPECT_EQ(libraries.find(stack) != std::string::npos, tool.showsWindows) << tool.name << " " << stack;
    EXPECT_NE(firstLine.find(std::string("`") + tool.name + "`"), std::string::npos) << tool.name;
  }
  EXPECT_EQ(RunCommand("ldd /proc/" + std::to_string(getpid()) + "/exe | grep -c -i gtk").out, "0\n");
}

// --width=8 and --width 8 alike, and "--" before a name that starts with a dash.
TEST_F(ToolCommandLine, OptionsInBothFormsAndOperandsAfterTwoDashes) {
  std::ofstream(Path("empty.txt")) << "size 4 4\n";
  ASSERT_EQ(RunCommand(std::string(QUARN2_SCENE_PATH) + " " + Quoted("empty.txt") + " " + Quoted("doc.qnc")).status,
            0);
  const SRun render = RunCommand("cd '" + tmp.Path() + "' && " + QUARN2_RENDER_PATH +
                                 " --width=8 doc.qnc --height 6 -- -picture.bmp 2>&1");
  ASSERT_EQ(render.status, 0) << render.out;
  EXPECT_EQ(RunCommand("identify -format '%w %h' " + Quoted("-picture.bmp")).out, "8 6");
  const SRun pict = RunCommand("cd '" + tmp.Path() + "' && " + QUARN2_PICT_PATH + " -- -picture.bmp -copy.bmp 2>&1");
  EXPECT_EQ(pict.status, 0) << pict.out;
  EXPECT_EQ(RunCommand("identify -format '%w %h' " + Quoted("-copy.bmp")).out, "8 6");
  EXPECT_EQ(RunCommand("cd '" + tmp.Path() + "' && " + QUARN2_PICT_PATH + " -picture.bmp -copy.bmp 2>&1").status, 2);
}

// Each output the tools cannot write, or that is one of their inputs, is refused before the work, and
// what was there stays.
TEST_F(ToolCommandLine, AnOutputThatCannotBeWrittenIsRefusedFirst) {
  std::filesystem::create_directories(Path("folder.bmp"));
  std::filesystem::create_directories(Path("locked"));
  chmod(Path("locked").c_str(), 0555);
  // A link is judged by what it points to, where a replacing write would put the file.
  ASSERT_EQ(mkfifo(Path("pipe.bmp").c_str(), 0600), 0);
  std::filesystem::create_symlink("folder.bmp", Path("link.bmp"));
  std::filesystem::create_symlink("missing/x.bmp", Path("dangling.bmp"));
  ASSERT_EQ(RunCommand("convert -size 16x16 xc:gray50 " + std::string("'BMP3:") + Path("hill.bmp") + "'").status, 0);
  std::ofstream(Path("scene.txt")) << "terrain land picture hill.bmp\n";
  ASSERT_EQ(RunCommand(std::string(QUARN2_SCENE_PATH) + " " + Quoted("scene.txt") + " " + Quoted("doc.qnc")).status,
            0);
  std::ofstream(Path("manifest")) << "ixco 7 - colours.ixco\n";
  std::ofstream(Path("colours.ixco")) << "0 0xFF0000\n";
  const std::string scene = std::string(QUARN2_SCENE_PATH) + " " + Quoted("scene.txt") + " ";
  const std::string render = std::string(QUARN2_RENDER_PATH) + " " + Quoted("doc.qnc") + " ";
  const std::string pict = std::string(QUARN2_PICT_PATH) + " " + Quoted("hill.bmp") + " ";
  const std::string sky = std::string(QUARN2_SKY_PATH) + " ";
  const std::string resbuild = std::string(RESBUILD_PATH) + " " + Quoted("manifest") + " ";
  struct SCase {
    const char* tool;
    std::string command;
    std::string output;
    std::string reason;
    bool needsNonRoot = false;
  };
  const std::string missing = "the folder " + Path("missing") + " does not exist";
  const SCase cases[] = {
      {"quarn2-render", render, "missing/out.bmp", missing},
      {"quarn2-render", render, "folder.bmp", "it is a folder"},
      {"quarn2-render", render, "doc.qnc", "it is the input " + Path("doc.qnc")},
      {"quarn2-render", render, "locked/out.bmp", "the folder " + Path("locked") + " is not writable (Permission denied)",
       true},
      {"quarn2-render", render, "missing/out.pam", missing},
      {"quarn2-scene", scene, "scene.txt", "it is the input " + Path("scene.txt")},
      {"quarn2-scene", scene, "hill.bmp", "it is the input " + Path("hill.bmp")},
      {"quarn2-scene", scene, "missing/doc.qnc", missing},
      {"quarn2-pict", pict, "folder.bmp", "it is a folder"},
      {"quarn2-pict", pict, "hill.bmp", "it is the input " + Path("hill.bmp")},
      {"quarn2-sky", sky, "missing/sky.bmp", missing},
      {"quarn2-sky", sky, "folder.bmp", "it is a folder"},
      {"quarn2-sky", sky, "pipe.bmp", "it is not a plain file"},
      {"quarn2-sky", sky, "link.bmp", "it is a folder"},
      {"quarn2-sky", sky, "dangling.bmp", missing},
      {"resbuild", resbuild, "colours.ixco", "it is the input " + Path("colours.ixco")},
      {"resbuild", resbuild, "manifest", "it is the input " + Path("manifest")},
  };
  const std::string picture = RunCommand("md5sum < " + Quoted("hill.bmp")).out;
  const std::string document = RunCommand("md5sum < " + Quoted("doc.qnc")).out;
  for (const SCase& c : cases) {
    if (c.needsNonRoot && geteuid() == 0) continue;  // a read-only folder does not stop root
    const SRun run = RunCommand(c.command + Quoted(c.output) + " 2>&1");
    EXPECT_EQ(run.status, 1) << c.command << c.output;
    // The message alone: the refusal comes before any progress.
    EXPECT_EQ(run.out, std::string(c.tool) + ": " + Path(c.output) + ": cannot be written: " + c.reason + "\n");
  }
  EXPECT_EQ(RunCommand("md5sum < " + Quoted("hill.bmp")).out, picture);
  EXPECT_EQ(RunCommand("md5sum < " + Quoted("doc.qnc")).out, document);
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
  EXPECT_TRUE(std::filesystem::is_empty(Path("folder.bmp")));
  EXPECT_TRUE(std::filesystem::is_empty(Path("locked")));
}

}  // namespace
