// quarn2-render: a document renders through the program's own reader into a BMP file holding the
// very pixels the render driver makes from the scene before it was saved, or through an image
// plug-in beside the tool into any of its formats with the same pixels; failures name the file and
// the error and write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "render/render_driver.h"
#include "render/render_settings.h"
#include "run_tool.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "tests/document/old_document_writer.h"
#include "tests/framework/core/spool_fixture.h"
#include "tests/tools/scene_text.h"
#include "tools/scene_script.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutLE(std::string& bytes, size_t at, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + size_t(i)] = char(value >> (8 * i));
}

// A plane that fills the view under eight lights: every row of the picture costs the same.
constexpr const char* kEvenScene = R"(size 480 360
camera from 0 40 -1 to 0 0 0 fov 30
plane floor at 0 0 0
light radial l1 at -10 20 -10
light radial l2 at 10 20 -10
light radial l3 at -10 20 10
light radial l4 at 10 20 10
light radial l5 at 0 25 0
light radial l6 at -20 20 0
light radial l7 at 20 20 0
light radial l8 at 0 20 20
)";

// A line of the tool's progress off a terminal: "rendering 40% (00:02 elapsed, 00:03 left)".
struct SProgressLine {
  uint32_t percent = 0;
  bool timeLeft = false;
};

// The progress lines of the tool's output; a line of another form fails the test.
std::vector<SProgressLine> ProgressLines(const std::string& out) {
  std::vector<SProgressLine> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    unsigned percent = 0;
    char minutes[3] = {}, seconds[3] = {};
    int used = 0;
    const int matched =
        std::sscanf(line.c_str(), "rendering %u%% (%2[0-9]:%2[0-9] elapsed%n", &percent, minutes, seconds, &used);
    if (matched != 3 || used == 0) {
      ADD_FAILURE() << "not a progress line: " << line;
      continue;
    }
    const std::string rest = line.substr(size_t(used));
    const bool timeLeft = rest != ")";
    if (timeLeft && (rest.size() != 13 || rest.rfind(", ", 0) != 0 || rest.substr(7) != " left)"))
      ADD_FAILURE() << "not a progress line: " << line;
    lines.push_back({percent, timeLeft});
  }
  return lines;
}

class Quarn2Render : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  uint32_t ObjectsBudget() const override { return 4 * 1024 * 1024; }
  void TearDown() override {
    delete image;
    table.reset();
    settings.reset();
    SpoolAppTest::TearDown();
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }
  // environment: assignments put before the tool's command.
  SRun Render(const std::string& arguments, const std::string& environment = "") const {
    return RunCommand("cd '" + folder + "' && " + environment + QUARN2_RENDER_PATH + " " + arguments + " 2>&1");
  }

  // The every-statement scene read in-process into a fresh table and settings.
  void BuildScene() {
    ASSERT_TRUE(MakeTerrainPicture(Path("hf.bmp"), "64x64"));
    std::ofstream(Path("scene.txt")) << kEveryStatementScene;
    NewTable();
    CSceneScript script(table.get(), settings.get(), ObjectsEnv());
    ASSERT_EQ(script.Read(Path("scene.txt")), "");
  }
  void NewTable() {
    table = std::make_unique<C3dBaseSys>(ObjectsEnv());
    settings = std::make_unique<CDocSettings>(SSpoolLayout{ObjectsEnv(), 0, 0});
  }
  int32_t Save(const std::string& name) {
    CFileSpec spec;
    EXPECT_EQ(spec.Set(Path(name).c_str()), 0);
    return WriteSceneFile(spec, table.get(), settings.get());
  }

  // The render the tool makes by default: the camera "perspective", the first sky, the settings'
  // options, a tree of limits (5, 5), each pixel's centre.
  void RenderInProcess(uint32_t width, uint32_t height) {
    int32_t error = 0;
    image = NewDataImage(width, height, &error);
    ASSERT_NE(image, nullptr) << error;
    C3dBase* camera = nullptr;
    ASSERT_EQ(table->FindObject("perspective", C3dCamera::kFamily, C3dCamera::kClassTag, &camera), 0);
    C3dBase* sky = nullptr;
    ASSERT_EQ(table->FindObject("current sky", C3dSky::kFamily, C3dSky::kClassTag, &sky), 0);
    SRenderSettings renderSettings;
    renderSettings.fFlags = settings->GetWord(CDocSettings::kRenderOptions);
    ASSERT_EQ(renderSettings.fFlags, 959u);
    CRenderContext context(1, 1, 0, 0);
    SRenderRequest request;
    request.scene = table.get();
    request.camera = static_cast<C3dCamera*>(camera);
    request.sky = static_cast<C3dSky*>(sky);
    request.image = image;
    request.area = image->GetBounds();
    request.settings = &renderSettings;
    request.optimizerChoice = 1;
    ASSERT_EQ(RenderSceneImage(context, request), 0);
  }
  // The in-process image as a 24-bit BMP's pixel rows: bottom row first, blue, green, red.
  std::string BmpRows() const {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    std::string rows;
    for (uint32_t r = nav.GetRows(); nav.IsUsable() && r-- > 0;) {
      const CImVector* cells = nav.Cells(r);
      for (uint32_t x = 0; x < nav.GetColumns(); ++x)
        rows += {char(cells[x].Blue()), char(cells[x].Green()), char(cells[x].Red())};
      rows.append((4 - nav.GetColumns() * 3 % 4) % 4, '\0');
    }
    return rows;
  }
  uint32_t PixelAt(int32_t x, int32_t y) const {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    return nav.IsUsable() ? nav.Cells(uint32_t(y))[x].value : 0;
  }

  std::unique_ptr<C3dBaseSys> table;
  std::unique_ptr<CDocSettings> settings;
  CImage* image = nullptr;
};

TEST_F(Quarn2Render, TheWrittenPicturesPixelsAreTheInProcessRender) {
  BuildScene();
  if (HasFatalFailure()) return;
  RenderInProcess(320, 240);
  if (HasFatalFailure()) return;
  ASSERT_EQ(Save("doc.qnc"), 0);

  const SRun run = Render("doc.qnc out.bmp --width 320 --height 240 --aa 1");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string bmp = ReadAll(Path("out.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 960 * 240);
  std::string header(54, '\0');
  header[0] = 'B';
  header[1] = 'M';
  PutLE(header, 2, 54 + 960 * 240, 4);
  PutLE(header, 10, 54, 4);
  PutLE(header, 14, 40, 4);
  PutLE(header, 18, 320, 4);
  PutLE(header, 22, 240, 4);
  PutLE(header, 26, 1, 2);
  PutLE(header, 28, 24, 2);
  PutLE(header, 38, 2808, 4);
  PutLE(header, 42, 2808, 4);
  EXPECT_EQ(bmp.substr(0, 54), header);
  EXPECT_TRUE(bmp.substr(54) == BmpRows()) << "the pixels differ from the in-process render";

  // ImageMagick reads the file as we meant it.
  const SRun identify = RunCommand("identify -format '%m %wx%h' '" + Path("out.bmp") + "' 2>&1");
  EXPECT_EQ(identify.out.rfind("BMP", 0), 0u) << identify.out;
  EXPECT_NE(identify.out.find(" 320x240"), std::string::npos) << identify.out;
  const uint32_t centre = PixelAt(160, 120);
  char colour[64];
  std::snprintf(colour, sizeof colour, "srgb(%u,%u,%u)", (centre >> 16) & 0xFF, (centre >> 8) & 0xFF, centre & 0xFF);
  const SRun pixel = RunCommand("convert '" + Path("out.bmp") + "' -format '%[pixel:p{160,120}]' info: 2>&1");
  EXPECT_EQ(pixel.out, colour);

  // The optimizer choice changes how rays find the things, not what they find (the default is 3).
  for (const char* choice : {"0", "1", "2"}) {
    const SRun chosen = Render(std::string("doc.qnc tree.bmp --width 320 --height 240 --aa 1 --optimizer ") + choice);
    ASSERT_EQ(chosen.status, 0) << choice << chosen.out;
    EXPECT_TRUE(ReadAll(Path("tree.bmp")) == bmp) << "optimizer choice " << choice;
  }
}

TEST_F(Quarn2Render, ADocumentOfQuarn2SceneRendersAtItsOwnSizeWithProgress) {
  ASSERT_TRUE(MakeTerrainPicture(Path("hf.bmp"), "64x64"));
  std::ofstream(Path("scene.txt")) << kEveryStatementScene;
  const SRun scene =
      RunCommand(std::string(QUARN2_SCENE_PATH) + " '" + Path("scene.txt") + "' '" + Path("scene.qnc") + "' 2>&1");
  ASSERT_EQ(scene.status, 0) << scene.out;

  // The tool ends without tearing the scene down, but its swap files still go.
  const std::string temp = Path("temp");
  std::filesystem::create_directory(temp);
  const SRun run = Render("scene.qnc scene.bmp", "TMPDIR='" + temp + "' ");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(std::filesystem::is_empty(temp));
  // A render this short may end before its first refresh: the lines before the last are not sure.
  const std::vector<SProgressLine> lines = ProgressLines(run.out);
  ASSERT_FALSE(lines.empty()) << run.out;
  EXPECT_EQ(lines.back().percent, 100u) << run.out;
  EXPECT_FALSE(lines.back().timeLeft) << run.out;
  CImage* read = nullptr;
  CFileSpec spec;
  ASSERT_EQ(spec.Set(Path("scene.bmp").c_str()), 0);
  ASSERT_EQ(CImBitmapFile::LoadImage(spec, &read), 0);
  EXPECT_EQ(read->GetWidth(), 320u);  // the document's "size 320 200"
  EXPECT_EQ(read->GetHeight(), 200u);
  delete read;
}

// Not on a terminal, a render long enough that each tenth takes well over the loops' refresh writes a
// line at every tenth with the time taken and the time left, and a last one at 100 % with the time
// taken. One worker, six samples a pixel and every pixel of the same cost make some 0.8 s a tenth in
// the test build on a quiet machine, five times the refresh.
TEST_F(Quarn2Render, ALongRenderWritesALineAtEveryTenthWithTheTimeLeft) {
  std::ofstream(Path("even.txt")) << kEvenScene;
  const SRun scene =
      RunCommand(std::string(QUARN2_SCENE_PATH) + " '" + Path("even.txt") + "' '" + Path("even.qnc") + "' 2>&1");
  ASSERT_EQ(scene.status, 0) << scene.out;
  const SRun run = Render("even.qnc even.bmp --aa 4", "QUARN2_THREADS=1 ");
  ASSERT_EQ(run.status, 0) << run.out;
  std::vector<uint32_t> percents;
  for (const SProgressLine& line : ProgressLines(run.out)) {
    percents.push_back(line.percent);
    EXPECT_EQ(line.timeLeft, line.percent < 100) << run.out;
  }
  EXPECT_EQ(percents, (std::vector<uint32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100})) << run.out;
}

// With --stats the render report's figures follow the render on the standard output: the pixels, the
// rays by kind with their sum, and the tests with theirs, each also per pixel.
TEST_F(Quarn2Render, TheStatisticsFollowTheRenderOnTheStandardOutput) {
  BuildScene();
  if (HasFatalFailure()) return;
  ASSERT_EQ(Save("doc.qnc"), 0);
  const SRun run =
      RunCommand("cd '" + folder + "' && " + QUARN2_RENDER_PATH + " doc.qnc out.bmp --width 32 --height 24 --stats 2>/dev/null");
  ASSERT_EQ(run.status, 0) << run.out;
  std::map<std::string, std::pair<uint64_t, double>> rows;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find_first_of("0123456789");
    ASSERT_NE(at, std::string::npos) << line;
    std::istringstream values(line.substr(at));
    uint64_t total = 0;
    double perPixel = 0;
    values >> total >> perPixel;
    rows[line.substr(0, line.find("  "))] = {total, perPixel};
  }
  ASSERT_EQ(rows.count("time"), 1u) << run.out;
  EXPECT_EQ(rows["pixels rendered"].first, 32u * 24);
  EXPECT_EQ(rows["pixels antialiased"].first, 0u);
  EXPECT_GE(rows["primary rays"].first, 32u * 24);
  EXPECT_GT(rows["shadow rays"].first, 0u);
  EXPECT_EQ(rows["total rays"].first, rows["primary rays"].first + rows["shadow rays"].first);
  EXPECT_EQ(rows["intersects"].first, rows["ray hits"].first + rows["ray misses"].first);
  EXPECT_NEAR(rows["total rays"].second, double(rows["total rays"].first) / (32 * 24), 0.006);
}

TEST_F(Quarn2Render, AFailureNamesTheFileAndTheErrorAndWritesNothing) {
  BuildScene();
  if (HasFatalFailure()) return;
  ASSERT_EQ(Save("doc.qnc"), 0);
  const std::string whole = ReadAll(Path("doc.qnc"));
  std::ofstream(Path("short.qnc"), std::ios::binary) << whole.substr(0, whole.size() / 2);
  NewTable();
  C3dSphere* sphere = nullptr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dSphere>(ObjectsEnv(), key, spec);
  ASSERT_EQ(NewObject(&sphere, table.get(), key, spec), 0);
  ASSERT_EQ(Save("no-camera.qnc"), 0);

  const auto codeOf = [&](const char* name) {
    NewTable();
    CFileSpec file;
    EXPECT_EQ(file.Set(Path(name).c_str()), 0);
    return ReadSceneFile(file, table.get(), settings.get());
  };
  const struct {
    const char* document;
    int32_t code;
  } cases[] = {
      {"short.qnc", codeOf("short.qnc")},
      {"missing.qnc", kErrFileNotFound},
      {"scene.txt", kErrInvalidFormat},  // neither a composite file nor of the earlier version
      {"no-camera.qnc", kErrObjectNotFound},
  };
  std::ofstream(Path("old.bmp")) << "the old picture";
  const auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listing();
  for (const auto& c : cases) {
    ASSERT_NE(c.code, 0) << c.document;
    for (const char* out : {"old.bmp", "new.bmp"}) {
      const SRun run = Render(std::string(c.document) + " " + out);
      EXPECT_EQ(run.status, 1) << c.document;
      const std::string says = "quarn2-render: " + std::string(c.document) + ": " + BuiltInMessageFor(c.code) +
                               " (code " + std::to_string(c.code) + ")\n";
      EXPECT_EQ(run.out, says) << c.document;
    }
    EXPECT_TRUE(ReadAll(Path("old.bmp")) == "the old picture") << c.document;
    EXPECT_FALSE(std::filesystem::exists(Path("new.bmp"))) << c.document;
  }
  EXPECT_EQ(listing(), before) << "a file was left behind";
}

// A document of the earlier version renders with its groups linked, at its second rectangle's size
// unless the size is given; groups whose chains cannot be linked fail the render.
TEST_F(Quarn2Render, ADocumentOfTheEarlierVersionRenders) {
  using namespace old_writer;
  SOldDocument document;
  document.PutRect(kSecondRect, 10, 20, 100, 170);
  SOldRecord group, sphere, cube;
  group.kind = 16;
  group.links = {1, -1, 2};
  sphere.links = {2, 3, -1};
  sphere.position = {-1, 0, 0};
  cube.kind = 4;
  cube.links = {3, -1, -1};
  cube.position = {1, 0, 0};
  PutBE32(cube.surface, kColourB, 0xFF0000);
  PutBE16(cube.surface, kValueB, 255);
  document.records = {group, sphere, cube};
  const auto write = [&](const SOldDocument& d, const std::string& name) {
    const Bytes bytes = d.Write();
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  };
  write(document, "old.doc");
  // The format (BMP, or BMP3 by the header's version) and the size.
  const auto sizeOf = [&](const std::string& name) {
    const std::string said = RunCommand("identify -format '%m %wx%h' '" + Path(name) + "' 2>&1").out;
    return said.starts_with("BMP") ? said.substr(said.find(' ') + 1) : said;
  };

  SRun run = Render("old.doc out.bmp --width 160 --height 120");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(sizeOf("out.bmp"), "160x120");
  run = Render("old.doc own.bmp");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(sizeOf("own.bmp"), "150x90");

  document.records[1].links = {2, -1, 1};  // the sphere lists the group as its member
  document.records[1].kind = 16;
  write(document, "looped.doc");
  run = Render("looped.doc looped.bmp");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "quarn2-render: looped.doc: " + BuiltInMessageFor(kErrInvalidFormat) + " (code 2)\n");
  EXPECT_FALSE(std::filesystem::exists(Path("looped.bmp")));
}

TEST_F(Quarn2Render, WrongArgumentsExitWithStatusTwoAndAUsageLine) {
  // What was wrong, then the usage line; an empty reason is not looked at.
  const struct {
    const char* arguments;
    const char* reason;
  } cases[] = {
      {"doc.qnc out.bmp --aa 9", ""},
      {"doc.qnc out.bmp --aa", ""},
      {"doc.qnc out.bmp --width 0", ""},
      {"doc.qnc out.bmp --height 8193", ""},
      {"doc.qnc out.bmp --width 12px", ""},
      {"doc.qnc out.bmp --size 2", ""},
      {"doc.qnc", ""},
      {"doc.qnc out.bmp extra.bmp", ""},
      {"doc.qnc out.pam --dpi 0", "--dpi needs a whole number from 1 to 9600"},
      {"doc.qnc out.pam --dpi 9601", "--dpi needs a whole number from 1 to 9600"},
      {"doc.qnc out.bmp --rotate", "--rotate and --dpi are for files an image plug-in writes, not .bmp"},
      {"doc.qnc out.BMP --dpi 300", "--rotate and --dpi are for files an image plug-in writes, not .bmp"},
      {"doc.qnc out.pam --aa 1", "--aa is for .bmp only: a file an image plug-in writes samples each pixel's centre"},
      {"doc.qnc out.bmp --optimizer 4", "--optimizer needs a choice from 0 to 3"},
      {"doc.qnc out.bmp --options 0", "--options needs a word from 1 to 0xFFFF"},
      {"doc.qnc out.bmp --options 0x10000", "--options needs a word from 1 to 0xFFFF"},
      {"doc.qnc out.bmp --options 12x", "--options needs a word from 1 to 0xFFFF"},
  };
  for (const auto& c : cases) {
    const SRun run = Render(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_EQ(run.out.rfind("quarn2-render: " + std::string(c.reason), 0), 0u) << c.arguments << ": " << run.out;
    EXPECT_NE(run.out.find("\nusage: quarn2-render DOC.qnc OUT.bmp [--width=W] [--height=H] [--aa=MODE] [--optimizer=N] "
                           "[--options=WORD] [--stats]\n"
                           "       quarn2-render DOC.qnc OUT.EXT [--width=W] [--height=H] [--rotate] [--dpi=N] "
                           "[--optimizer=N] [--options=WORD] [--stats]\n"),
              std::string::npos)
        << c.arguments << ": " << run.out;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("out.bmp")));
  EXPECT_FALSE(std::filesystem::exists(Path("out.pam")));
}

// The tool and the test image plug-in copied into a folder laid out as the program's: the tool in
// bin/ with bin/Plugins/TestImage.qni beside it, and the every-statement scene as doc.qnc.
class Quarn2RenderPlugins : public Quarn2Render {
 protected:
  void SetUp() override {
    Quarn2Render::SetUp();
    std::filesystem::create_directories(Path("bin/Plugins"));
    std::filesystem::copy_file(QUARN2_RENDER_PATH, Path("bin/quarn2-render"));
    std::filesystem::copy_file(std::string(QUARN2_TEST_PLUGINS_DIR) + "/TestImage.qni",
                               Path("bin/Plugins/TestImage.qni"));
    BuildScene();
    if (HasFatalFailure()) return;
    ASSERT_EQ(Save("doc.qnc"), 0);
  }
  // The copied tool, the plug-in logging its calls to calls.log.
  SRun RenderCopy(const std::string& arguments, const std::string& environment = {}) const {
    std::filesystem::remove(Path("calls.log"));
    return RunCommand("cd '" + folder + "' && QUARN2_TEST_PLUGIN_LOG=calls.log " + environment +
                      " bin/quarn2-render " + arguments + " 2>&1");
  }
  // The plug-in's "block RESOLUTION BITS ROWS-PER-BAND" line of its first selector 9.
  std::string BlockLine() const {
    std::ifstream in(Path("calls.log"));
    for (std::string line; std::getline(in, line);)
      if (line.rfind("TestImage.qni block ", 0) == 0) return line.substr(sizeof "TestImage.qni " - 1);
    return "";
  }
};

TEST_F(Quarn2RenderPlugins, AnyOtherNameIsWrittenByTheImagePluginWithTheBmpPathsPixels) {
  const SRun bmp = Render("doc.qnc out.bmp --width 96 --height 64 --aa 1");
  ASSERT_EQ(bmp.status, 0) << bmp.out;
  const SRun ppm = RenderCopy("doc.qnc out.ppm --width 96 --height 64");
  ASSERT_EQ(ppm.status, 0) << ppm.out;
  const SRun compare = RunCommand("cd '" + folder + "' && compare -metric AE out.bmp out.ppm null: 2>&1");
  EXPECT_EQ(compare.out, "0") << "the plug-in's picture differs from the BMP";

  const struct {
    const char* out;
    const char* options;
    const char* size;   // as pamfile says it
    const char* block;  // what the plug-in was given at selector 9
  } cases[] = {
      {"out.pam", "", "320 by 200", "block 72 32 1"},  // the document's own size
      {"turned.pam", " --width 96 --height 64 --rotate --dpi 300", "64 by 96", "block 300 32 1"},
  };
  for (const auto& c : cases) {
    const SRun run = RenderCopy(std::string("doc.qnc ") + c.out + c.options);
    ASSERT_EQ(run.status, 0) << c.out << ": " << run.out;
    // Not a terminal: the progress bar's lines, the last at 100 %.
    EXPECT_NE(run.out.find("rendering 100% ("), std::string::npos) << c.out << ": " << run.out;
    const SRun pamfile = RunCommand("pamfile '" + Path(c.out) + "' 2>&1");
    EXPECT_NE(pamfile.out.find(std::string("PAM, ") + c.size + " by 4"), std::string::npos) << pamfile.out;
    EXPECT_EQ(BlockLine(), c.block) << c.out;
  }
}

// The picture does not depend on how many threads render it: every antialias mode, the adaptive
// render with its antialias pass, spread reflections, and render to disk (straight and turned, rows
// antialiased) give the same bytes on 1, 2 and 7 threads and on one a core. Each is a test of its own,
// so that they render side by side.
struct SThreadsCase {
  const char* out;
  const char* options;
};

const SThreadsCase kThreadsCases[] = {
    {"m0.bmp", "--aa 0"},
    {"m1.bmp", "--aa 1"},
    {"m2.bmp", "--aa 2"},
    {"m3.bmp", "--aa 3"},
    {"m4.bmp", "--aa 4"},
    {"m5.bmp", "--aa 5"},
    {"m6.bmp", "--aa 6 --options 0x3FF"},  // with spread reflections
    {"m7.bmp", "--aa 7"},
    {"adaptive.bmp", "--aa 1 --options 0x63BF"},
    {"adaptive5.bmp", "--aa 5 --options 0x63BF"},
    {"pass.bmp", "--aa 1 --options 0x23BF"},
    {"disk.ppm", "--options 0x23BF"},
    {"turned.ppm", "--rotate --options 0x23BF"},
};

void PrintTo(const SThreadsCase& c, std::ostream* out) { *out << c.out << " " << c.options; }

class Quarn2RenderThreads : public Quarn2RenderPlugins, public ::testing::WithParamInterface<SThreadsCase> {};

TEST_P(Quarn2RenderThreads, AnyNumberOfThreadsWritesTheSameFile) {
  const SThreadsCase& c = GetParam();
  std::string first;
  for (const char* threads : {"1", "2", "7", ""}) {
    const std::string environment = *threads ? std::string("QUARN2_THREADS=") + threads : "";
    const SRun run = RenderCopy(std::string("doc.qnc ") + c.out + " --width 61 --height 37 " + c.options, environment);
    ASSERT_EQ(run.status, 0) << c.out << " on " << threads << ": " << run.out;
    const std::string bytes = ReadAll(Path(c.out));
    ASSERT_FALSE(bytes.empty()) << c.out;
    if (first.empty()) first = bytes;
    else EXPECT_TRUE(bytes == first) << c.out << " differs on " << (*threads ? threads : "one thread a core");
  }
}

// Named after the file without its dot: m0_bmp, disk_ppm, ...
INSTANTIATE_TEST_SUITE_P(EveryMode, Quarn2RenderThreads, ::testing::ValuesIn(kThreadsCases),
                         [](const ::testing::TestParamInfo<SThreadsCase>& info) {
                           std::string name = info.param.out;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST_F(Quarn2RenderPlugins, AFailureNamesItsCauseAndLeavesTheFilesAsTheyWere) {
  const std::string plugins = std::filesystem::canonical(Path("bin")).string() + "/Plugins";
  const struct {
    const char* arguments;
    const char* environment;
    bool withPlugins;
    std::string says;  // the last line
  } cases[] = {
      {"doc.qnc old.pam", "", false,
       "quarn2-render: " + plugins + ": no image plug-in (*.qni) was found in this folder (code 5)\n"},
      {"doc.qnc old.xyz", "", true,
       "quarn2-render: old.xyz: no image plug-in writes this extension; they offer .pam, .ppm (code 6)\n"},
      // The format's extension is written as the plug-in gives it, which would be another file.
      {"doc.qnc old.PAM", "", true,
       "quarn2-render: old.PAM: no image plug-in writes this extension; they offer .pam, .ppm (code 6)\n"},
      {"doc.qnc old.pam --width 96 --height 64", "QUARN2_TEST_PLUGIN_FAIL=10:5:-36", true,
       "quarn2-render: old.pam: " + BuiltInMessageFor(kErrIO) + " (code -36)\n"},
      {"missing.qnc old.pam", "", true,
       "quarn2-render: missing.qnc: " + BuiltInMessageFor(kErrFileNotFound) + " (code -43)\n"},
  };
  for (const char* name : {"old.pam", "old.xyz", "old.PAM"}) std::ofstream(Path(name)) << "the old picture";
  const auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path().filename() != "calls.log") names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listing();
  for (const auto& c : cases) {
    if (!c.withPlugins) std::filesystem::rename(Path("bin/Plugins"), Path("bin/Other"));
    const SRun run = RenderCopy(c.arguments, c.environment);
    if (!c.withPlugins) std::filesystem::rename(Path("bin/Other"), Path("bin/Plugins"));
    EXPECT_EQ(run.status, 1) << c.arguments;
    const size_t last = run.out.rfind("quarn2-render: ");
    EXPECT_EQ(last == std::string::npos ? run.out : run.out.substr(last), c.says) << c.arguments;
    for (const char* name : {"old.pam", "old.xyz", "old.PAM"})
      EXPECT_TRUE(ReadAll(Path(name)) == "the old picture") << c.arguments << ": " << name;
    EXPECT_EQ(listing(), before) << c.arguments << ": a file was left behind";
  }
}

}  // namespace
