#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/core/result_codes.h"
#include "tool_folder.h"

namespace {

namespace fs = std::filesystem;

class ResourceToolsTest : public ToolFolderTest {
 protected:
  SRun Resdump(const std::string& arguments) const {
    return RunCommand(std::string(RESDUMP_PATH) + " " + arguments + " 2>&1");
  }
};

TEST_F(ResourceToolsTest, ResbuildIsRepeatableAndResdumpListsWhatItBuilt) {
  Write("manifest", "ixtx 128 errors_ errors.ixtx\nixco 7 - colours.ixco\nPICT 300 logo logo.bin\n");
  Write("errors.ixtx", "0 \"zero\"\n2 \"two\"\n");
  Write("colours.ixco", "0 0xFF0000\n");
  Write("logo.bin", "raw bytes");
  ASSERT_EQ(Resbuild(P("manifest"), "a.dat").status, 0);
  ASSERT_EQ(Resbuild(P("manifest"), "b.dat").status, 0);
  EXPECT_EQ(Read("a.dat"), Read("b.dat"));
  EXPECT_EQ(fs::directory_iterator(folder)->path().filename().string().rfind("tmp", 0), std::string::npos);

  SRun run = Resdump(P("a.dat"));
  EXPECT_EQ(run.out, "ixtx 128 errors_ 42\nixco 7 - 28\nPICT 300 logo 9\n");
  EXPECT_EQ(run.status, 0);
  run = Resdump(P("a.dat") + " PICT 300");
  EXPECT_EQ(run.out, "raw bytes");
  run = Resdump(P("a.dat") + " --decode");
  EXPECT_EQ(run.out, "# ixtx 128 errors_ 42\n0 \"zero\"\n1 \"\"\n2 \"two\"\n# ixco 7 - 28\n# PICT 300 logo 9\n");
  run = Resdump(P("a.dat") + " ixtx 129");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "resdump: ixtx 129: " + BuiltInMessageFor(kErrObjectNotFound) + " (code 6)\n");
}

// A canvas record compiles in machine order and is stored big-endian by the program's own handler.
TEST_F(ResourceToolsTest, ResbuildStoresCanvasRecordsBigEndian) {
  Write("manifest", "canv 5 palette palette.canv\n");
  Write("palette.canv", "frame 1 2 3 4\nflags 0x0C00\ncolour 0x00FF0000\noptions 3\n");
  ASSERT_EQ(Resbuild(P("manifest"), "a.dat").status, 0);
  const SRun run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " canv 5 | xxd -p -c 68");
  EXPECT_EQ(run.out,
            "63616e7630313030" + std::string(32, '0') + "00000001000000020000000300000004" + "00000c00" +
                std::string(16, '0') + "3f8000003f800000" + "00ff0000" + "00000003\n");
  Write("manifest", "elem 5 palette palette.canv\n");
  EXPECT_EQ(Resbuild(P("manifest"), "b.dat").status, 1);
}

// The element records too: texts as they are, numbers big-endian, and the element's defaults (size
// proportions 1 and 1, events 0x10001) where the source says nothing.
TEST_F(ResourceToolsTest, ResbuildStoresElementRecordsBigEndian) {
  Write("manifest", "elem 7 pages pages.elem\nrsel 7 pages pages.rsel\nrmel 8 page page.rmel\n");
  Write("pages.elem", "name \"pages\"\nrect 1 2 3 -4\nflags 0x10011\n");
  Write("pages.rsel", "open \"page 1\"\n");
  Write("page.rmel", "list 300\nlistname \"routines\"\noptions 0x2D\n");
  ASSERT_EQ(Resbuild(P("manifest"), "a.dat").status, 0);
  const std::string zeros16(32, '0');
  SRun run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " elem 7 | xxd -p -c 316");
  const std::string elem = run.out;
  ASSERT_EQ(elem.size(), 633u) << elem;
  EXPECT_EQ(elem.substr(0, 16 + 32 + 10), "656c656d30313030" + zeros16 + "7061676573");
  // rect, layout flags, position, size, origin, hot spot and outsets, events, flags
  EXPECT_EQ(elem.substr(2 * 240), "000000010000000200000003fffffffc" + std::string("00000000") +
                                      std::string(16, '0') + "3f8000003f800000" + std::string(64, '0') +
                                      "00010001" + "00010011\n");
  run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " rsel 7 | xxd -p -c 56");
  EXPECT_EQ(run.out, "7273656c30313030" + zeros16 + "706167652031" + std::string(52, '0') + "\n");
  run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " rmel 8 | xxd -p -c 64");
  EXPECT_EQ(run.out, "726d656c30313030" + zeros16 + "0000012c" + "726f7574696e6573" + std::string(48, '0') +
                         "0000002d\n");
}

// The records of pictures: image canvases, composite and image elements, with the elements' defaults
// (layers 1, a shadow of 12 12 16 at opacity 1, opacity 1) where the source says nothing.
TEST_F(ResourceToolsTest, ResbuildStoresPictureRecordsBigEndian) {
  Write("manifest", "imca 3 panel panel.imca\ncoel 4 box box.coel\nimel 5 button button.imel\n");
  Write("panel.imca", "picture 100\npicturename \"bg\"\noffset 3 -4\nflags 0x13\n");
  Write("box.coel", "colour 0x00336699\nshadow 4 -2 3\nflags 0x7\n");
  Write("button.imel", "picture 5\nentry 2\nposition 1 2\nshadowopacity 0.5\nflags 0x61\n");
  ASSERT_EQ(Resbuild(P("manifest"), "a.dat").status, 0);
  const std::string zeros16(32, '0'), zeros32(64, '0');
  SRun run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " imca 3 | xxd -p -c 72");
  EXPECT_EQ(run.out, "696d636130313030" + zeros16 + "00000064" + "6267" + std::string(60, '0') +
                         "00000003fffffffc" + "00000013\n");
  run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " coel 4 | xxd -p -c 100");
  EXPECT_EQ(run.out, "636f656c30313030" + zeros16 + "00336699" + "00000000" + zeros32 + "00000000" + "00000001" +
                         "00000004fffffffe00000003" + "3f800000" + "00000001" + "3f800000" + "00000007\n");
  run = RunCommand(std::string(RESDUMP_PATH) + " " + P("a.dat") + " imel 5 | xxd -p -c 140");
  EXPECT_EQ(run.out, "696d656c30313030" + zeros16 + "00000005" + zeros32 + "00000000" + zeros32 + "00000002" +
                         "0000000100000002" + "00000001" + "0000000c0000000c00000010" + "3f000000" + "00000001" +
                         "3f800000" + "00000061\n");
}

// A resource file with no resources, as xxd shows it: the type name at 512, the volume header at 584
// (directory of 128 entries at 656, 18 in use, growth 128), and the directory's chunk at 656.
TEST_F(ResourceToolsTest, ANewResourceFileByteForByte) {
  Write("manifest", "# nothing\n");
  ASSERT_EQ(Resbuild(P("manifest"), "new.res").status, 0);
  EXPECT_EQ(RunCommand("xxd -s 512 -l 24 -p " + P("new.res")).out, "5265736f7572636520436f6d706f736974652046696c6500\n");
  EXPECT_EQ(RunCommand("xxd -s 584 -l 36 -p -c 36 " + P("new.res")).out,
            "010000000000060000000290010000000000000000000000000000800000001200000080\n");
  EXPECT_EQ(RunCommand("xxd -s 656 -l 24 -p -c 24 " + P("new.res")).out,
            "0000060c0000060000000000010000000000000000000000\n");
}

TEST_F(ResourceToolsTest, ABadLineIsNamedAndTheOutputStaysAsItWas) {
  Write("manifest", "ixtx 128 errors_ errors.ixtx\n");
  Write("errors.ixtx", "0 \"fine\"\n1 \"broken\n");
  Write("out.dat", "the old file");
  SRun run = Resbuild(P("manifest"), "out.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "resbuild: " + (folder / "errors.ixtx").string() + ":2: a text has no closing quote\n");
  EXPECT_EQ(Read("out.dat"), "the old file");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);

  Write("manifest", "ixtx 128 errors_ errors.ixtx\nixtx 128 again errors.ixtx\n");
  Write("errors.ixtx", "0 \"fine\"\n");
  run = Resbuild(P("manifest"), "out.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "resbuild: " + (folder / "manifest").string() + ":2: " +
                         BuiltInMessageFor(kErrObjectDuplicated) + " (code 7)\n");
  Write("manifest", "ixco 1 - errors.ixtx\n");
  run = Resbuild(P("manifest"), "out.dat");
  EXPECT_EQ(run.out, "resbuild: " + (folder / "manifest").string() +
                         ":1: a .ixtx source makes 'ixtx' resources, not 'ixco'\n");
  EXPECT_EQ(Read("out.dat"), "the old file");
}

// resdump --decode prints a menu's source, which compiles back to the same resource.
TEST_F(ResourceToolsTest, MenusDecodeToSourcesThatCompileBackTheSame) {
  Write("manifest", "menu 2 - file.menu\n");
  Write("file.menu", "# File\ntitle \"Fichier\"\nid 2\nflags independent-checks\nwords 3 -2\ngrowth 4\n"
                     "item \"Nouveau\" key n ctrl command 'new '\nseparator\n"
                     "item \"Caf\xC3\xA9 \\\"noir\\\"\" key O alternate o alt alt2 shift disabled checkable command 7\n");
  ASSERT_EQ(Resbuild(P("manifest"), "a.dat").status, 0);
  const SRun decoded = Resdump("--decode " + P("a.dat") + " menu 2");
  ASSERT_EQ(decoded.status, 0) << decoded.out;
  EXPECT_EQ(decoded.out,
            "title \"Fichier\"\nid 2\nflags independent-checks\nwords 3 -2\ngrowth 4\n"
            "item \"Nouveau\" key n ctrl command 'new '\nseparator\n"
            "item \"Caf\xC3\xA9 \\\"noir\\\"\" key O alternate o alt alt2 shift disabled checkable command 7\n");
  Write("back.menu", decoded.out);
  Write("manifest2", "menu 2 - back.menu\n");
  ASSERT_EQ(Resbuild(P("manifest2"), "b.dat").status, 0);
  EXPECT_EQ(Resdump(P("a.dat") + " menu 2").out, Resdump(P("b.dat") + " menu 2").out);
  EXPECT_EQ(Resdump("--decode " + P("b.dat") + " menu 2").out, decoded.out);
  EXPECT_EQ(Resdump(P("a.dat") + " menu 2").out.size(), 3u * 40);
  Write("file.menu", "item \"\xC3\x95\" command 1\n");
  const SRun refused = Resbuild(P("manifest"), "c.dat");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("file.menu:1: the text holds a character that Mac OS Roman does not keep"),
            std::string::npos)
      << refused.out;
}

TEST_F(ResourceToolsTest, ResdumpRefusesWhatIsNotAResourceFile) {
  Write("short.dat", std::string(600, 'x'));
  SRun run = Resdump(P("short.dat"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "resdump: " + (folder / "short.dat").string() +
                         ": A file error has occurred (composite file expected). (code 100)\n");
  run = Resdump(P("missing.dat"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("(file not found). (code -43)"), std::string::npos) << run.out;
}

// The program's own data/system.dat: the error texts are the built-in ones, index for index, and
// each list decodes to a source that compiles back to it.
TEST_F(ResourceToolsTest, TheBuildsSystemFile) {
  const std::string system = std::string("'") + QUARN2_SYSTEM_DAT + "'";
  // The fonts that follow are the font tests' (outline_font_tools_test.cpp).
  const std::string listed = Resdump(system).out;
  EXPECT_EQ(listed.substr(0, listed.find("OutlineFont")),
            "ixtx 128 errors_ 2014\nixtx 129 strings_ 274\nixtx 130 fragments_ 36\n"
            "ixtx 132 get file filter 78\nixtx 133 put file filter 54\nixtx 134 progress reset load 46\n"
            "ixtx 135 progress replicate 48\nixtx 136 plugin text 164\nixtx 137 warnings_ 98\nmenu 40 - 0\n"
            "ImageIV32ARGB 200 left shadow 243\nImageIV32ARGB 201 top shadow 264\n"
            "ImageIV32ARGB 202 corner shadow 240\nImageIV32ARGB 203 right shadow 1628\n"
            "ImageIV32ARGB 204 bottom shadow 122\n"
            // The terrain editor's cursors.
            "ImageIV32ARGB 300 cursor 130 586\nImageIV32ARGB 301 cursor 131 576\nImageIV32ARGB 302 cursor 132 574\n"
            "ImageIV32ARGB 303 cursor 133 842\nImageIV32ARGB 304 cursor 134 792\nImageIV32ARGB 305 cursor 135 720\n"
            "ImageIV32ARGB 306 cursor 136 708\nImageIV32ARGB 307 cursor 137 720\nImageIV32ARGB 308 cursor 138 608\n"
            "ImageIV32ARGB 309 cursor 139 606\nImageIV32ARGB 310 cursor 140 440\nImageIV32ARGB 311 cursor 141 596\n"
            "ImageIV32ARGB 312 cursor 119 1207\nImageIV32ARGB 313 cursor 112 800\n"
            // The progress dialog's bar picture, first of its layout source's records.
            "ImageIV32ARGB 1000 IO Progress slider 11351\n");
  std::string expected;
  for (int i = 0; i <= 37; ++i) expected += std::to_string(i) + " \"" + (i == 5 ? "" : BuiltInErrorText(i)) + "\"\n";
  EXPECT_EQ(Resdump(system + " --decode ixtx 128").out, expected);
  EXPECT_EQ(Resdump(system + " --decode ixtx 129").out,
            "0 \"\"\n"
            "1 \"Error linking code fragment \\\"%s\\\", code %d.\"\n"
            "2 \"Error while linking the code fragment \\\"%s\\\" (library not found).\"\n"
            "3 \"Error while linking the code fragment \\\"%s\\\" (no search path available).\"\n"
            "4 \"The file \\\"%s\\\" already exists. Do you want to replace it?\"\n");
  EXPECT_EQ(Resdump(system + " --decode ixtx 130").out, "0 \"Fragments\"\n");
}

}  // namespace
