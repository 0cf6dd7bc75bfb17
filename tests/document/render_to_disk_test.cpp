#include "document/render_to_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "document/doc_render_state.h"
#include "framework/core/file_spec.h"
#include "framework/core/io_progress.h"
#include "framework/image/bitmap_file.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "plugin_fixture.h"
#include "recording_progress_dialog.h"
#include "render/render_driver.h"
#include "scene/sky.h"
#include "tests/render/render_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

// The dialog's filters: the plug-in's formats sorted by filter text.
constexpr uint32_t kPamFilter = 1;
constexpr uint32_t kPpmFilter = 2;
// The size the state has before every render; each render must give it back.
constexpr int32_t kWindowWidth = 64;
constexpr int32_t kWindowHeight = 48;

// A PPM or PAM file as the test plug-in writes it.
struct SPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t depth = 0;
  std::vector<uint8_t> bytes;

  uint32_t At(uint32_t x, uint32_t y, uint32_t channel) const { return bytes[(size_t(y) * width + x) * depth + channel]; }
  uint32_t Rgb(uint32_t x, uint32_t y) const { return At(x, y, 0) << 16 | At(x, y, 1) << 8 | At(x, y, 2); }
};

SPicture ReadPicture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  SPicture picture;
  std::string magic, word;
  in >> magic;
  if (magic == "P6") {
    uint32_t maximum = 0;
    in >> picture.width >> picture.height >> maximum;
    picture.depth = 3;
  } else if (magic == "P7") {
    while (in >> word && word != "ENDHDR") {
      if (word == "WIDTH") in >> picture.width;
      if (word == "HEIGHT") in >> picture.height;
      if (word == "DEPTH") in >> picture.depth;
    }
  }
  in.get();
  picture.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  EXPECT_EQ(picture.bytes.size(), size_t(picture.width) * picture.height * picture.depth) << path;
  return picture;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameCamera(const CRenderCamera& a, const CRenderCamera& b) {
  return a.fC.x == b.fC.x && a.fC.y == b.fC.y && a.fC.z == b.fC.z && a.fWidth == b.fWidth && a.fHeight == b.fHeight &&
         a.fDistance == b.fDistance;
}

// Counts the reports and keeps the last.
class CCountingReport : public CRenderReportHook {
 public:
  int32_t Fill(const char* title, const CRenderStats* stats) override {
    ++fills;
    lastTitle = title;
    last = *stats;
    return 0;
  }
  uint32_t fills = 0;
  std::string lastTitle;
  CRenderStats last;
};

class RenderToDiskTest : public PluginFolderTest<RenderTest> {
 protected:
  void SetUp() override {
    PluginFolderTest<RenderTest>::SetUp();
    Install(kImage);
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    state = std::make_unique<CDocRenderState>();
    state->fScene = table;
    state->fTitle = "Scene";
  }
  void TearDown() override {
    TearDownIOProgress();
    state.reset();
    PluginFolderTest<RenderTest>::TearDown();
  }

  // The state's document is the table with the camera and sky, at the window's size.
  void UseScene() {
    state->fCamera = camera;
    state->fSky = sky;
    state->fWidth = kWindowWidth;
    state->fHeight = kWindowHeight;
    ASSERT_EQ(state->CacheCameraState(), 0);
    cachedCamera = state->fRenderCamera;
  }
  // A red wall on the left half of the picture and a blue one on the right, lit from the front.
  void TwoColourScene() {
    for (const auto& [x, colour] : {std::pair{-5.0, vector3<float>{1, 0, 0}}, std::pair{5.0, vector3<float>{0, 0, 1}}}) {
      C3dCube* wall = MakeShape<C3dCube>(table);
      Place(wall, {5, 5, 1}, {x, 0, 1});
      ChangeMaterial(wall, [&](SMaterialRecord& r) { r.sample.diffuseColour = colour; });
    }
    NewRadialLight({0, 0, -4}, 8);
    LookFrom({0, 0, -5}, {0, 0, 0});
    UseScene();
  }
  // Shapes, a floor, a light and a sun under a sky: neighbouring pixels differ.
  void LitScene() {
    NewSphere({1, 1, 1}, {-1, 0.5, 0});
    Place(MakeShape<C3dCube>(table), {1.5, 1.5, 1.5}, {1.5, 0.25, 1});
    NewPlane(-0.5);
    NewRadialLight({-3, 5, -4}, 6);
    MakeObject<C3dSunLight>(table)->SetDirection({0.3, 0.8, -0.52});
    sky = MakeObject<C3dSky>(table);
    LookFrom({0, 2, -7}, {0, 0, 0});
    UseScene();
  }
  // A probe that moves the virtual clock on by tickMs with every ray.
  void Ticking(int64_t tickMs) {
    CProbeSolid* probe = MakeObject<CProbeSolid>(table);
    probe->ticking = true;
    probe->keep = false;
    probe->tickMs = tickMs;
  }

  std::string InDir(const std::string& name) const { return dir_ + "/" + name; }
  static void Script(const std::string& text) { ASSERT_TRUE(platform::headless::AddScript(text)); }
  static size_t Boxes() { return platform::headless::ShownBoxes().size(); }
  int32_t Render(const std::string& name, uint32_t filter, int32_t width, int32_t height, bool rotate = false) {
    if (!name.empty()) platform::headless::AnswerFileDialog(InDir(name), filter);
    SDiskRender request;
    request.width = width;
    request.height = height;
    request.rotate = rotate;
    request.pluginFolder = pluginFolder.empty() ? folder_ : pluginFolder;
    return RenderToDisk(*state, request);
  }
  // The same scene through the image render of the document's render command.
  std::vector<uint32_t> ImageRender(int32_t width, int32_t height) {
    int32_t error = 0;
    delete image;
    image = NewDataImage(uint32_t(width), uint32_t(height), &error);
    EXPECT_NE(image, nullptr) << error;
    SRenderRequest request;
    request.scene = table;
    request.camera = camera;
    request.sky = sky;
    request.image = image;
    request.area = image->GetBounds();
    request.settings = &state->fSettings;
    request.optimizerChoice = state->fOptimizerChoice;
    EXPECT_TRUE(AntialiasForChoice(state->fAntialiasChoice, request.antialiasMode, request.grid));
    EXPECT_EQ(RenderSceneImage(state->fContext, request), 0);
    return Pixels();
  }
  uint32_t Count(const std::string& selector) const {
    uint32_t n = 0;
    for (const SPluginCall& call : Calls(kImage)) n += call.selector == selector;
    return n;
  }
  // The files of the test's folder besides the log and the plug-ins.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name != "calls.log" && name != "Plugins") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  void ExpectStateRestored() const {
    EXPECT_EQ(state->fWidth, kWindowWidth);
    EXPECT_EQ(state->fHeight, kWindowHeight);
    EXPECT_TRUE(SameCamera(state->fRenderCamera, cachedCamera));
  }

  std::unique_ptr<CDocRenderState> state;
  C3dSky* sky = nullptr;
  CRenderCamera cachedCamera;
  std::string pluginFolder;
};

TEST_F(RenderToDiskTest, TheBlockRowsAndFileOfAComplete320By240Pam) {
  TwoColourScene();
  ASSERT_EQ(Render("walls.pam", kPamFilter, 320, 240), 0);
  std::vector<SPluginCall> calls = Calls(kImage);
  const auto begin = std::find_if(calls.begin(), calls.end(), [](const SPluginCall& c) { return c.selector == "9"; });
  ASSERT_NE(begin, calls.end());
  ASSERT_GT(calls.end() - begin, 241);
  EXPECT_EQ(begin[-1].tokens, (std::vector<std::string>{"72", "32", "1"}));
  EXPECT_EQ(begin->format, 1u);  // the plug-in's own number of the PAM format
  EXPECT_EQ(begin->width, 320u);
  EXPECT_EQ(begin->height, 240u);
  EXPECT_EQ(begin->rows, 0u);
  // The plug-in writes a temporary file beside the target, with the format's extension.
  EXPECT_EQ(std::filesystem::path(begin->text).parent_path(), dir_);
  EXPECT_EQ(std::filesystem::path(begin->text).extension(), ".pam");
  EXPECT_NE(begin->text, InDir("walls.pam"));
  uint32_t bands = 0;
  for (auto call = begin + 1; call != calls.end() && call->selector == "10"; ++call) {
    EXPECT_EQ(call->rows, bands++);
    EXPECT_EQ(call->format, 1u);
  }
  EXPECT_EQ(bands, 240u);
  EXPECT_EQ(begin[241].selector, "11");
  EXPECT_EQ(begin[241].rows, 240u);
  EXPECT_EQ(Files(), std::vector<std::string>{"walls.pam"});
  EXPECT_NE(RunCommand("pamfile '" + InDir("walls.pam") + "' 2>&1").out.find("320 by 240"), std::string::npos);
  const SPicture straight = ReadPicture(InDir("walls.pam"));
  EXPECT_GT(straight.At(0, 120, 0), straight.At(0, 120, 2));      // red on the left
  EXPECT_GT(straight.At(319, 120, 2), straight.At(319, 120, 0));  // blue on the right
  ExpectStateRestored();

  ClearLog();
  ASSERT_EQ(Render("turned.pam", kPamFilter, 320, 240, true), 0);
  calls = Calls(kImage);
  EXPECT_EQ(Count("10"), 320u);
  EXPECT_NE(RunCommand("pamfile '" + InDir("turned.pam") + "' 2>&1").out.find("240 by 320"), std::string::npos);
  const SPicture turned = ReadPicture(InDir("turned.pam"));
  for (uint32_t x = 0; x < turned.width; ++x) {
    ASSERT_GT(turned.At(x, 0, 2), turned.At(x, 0, 0)) << "first band, pixel " << x;  // the scene's column 319
    ASSERT_GT(turned.At(x, 319, 0), turned.At(x, 319, 2)) << "last band, pixel " << x;
  }
  ExpectStateRestored();
}

TEST_F(RenderToDiskTest, PixelsAreThoseOfTheImageRenderWithTheSameSampling) {
  LitScene();
  state->fSettings.fFlags &= ~SRenderSettings::kAntialiasPass;
  ASSERT_EQ(Render("lit.ppm", kPpmFilter, 48, 32), 0);
  const SPicture disk = ReadPicture(InDir("lit.ppm"));
  ASSERT_EQ(disk.width, 48u);
  ASSERT_EQ(disk.height, 32u);
  const std::vector<uint32_t> reference = ImageRender(48, 32);
  for (uint32_t y = 0; y < 32; ++y)
    for (uint32_t x = 0; x < 48; ++x) ASSERT_EQ(disk.Rgb(x, y), reference[y * 48 + x] & kColourOf) << x << "," << y;

  CFileSpec bmp;
  ASSERT_EQ(bmp.Set(InDir("lit.bmp").c_str()), 0);
  ASSERT_EQ(SaveImageAsBmp(bmp, image, true), 0);
  const SRun compared = RunCommand("compare -metric AE '" + InDir("lit.bmp") + "' '" + InDir("lit.ppm") + "' null: 2>&1");
  EXPECT_EQ(compared.out.rfind("0", 0), 0u) << compared.out;
}

TEST_F(RenderToDiskTest, TheAntialiasedRowsMatchTheAntialiasPassAndMarkOnlyResampledPixels) {
  LitScene();
  state->fSettings.fFlags &= ~SRenderSettings::kAntialiasPass;
  const std::vector<uint32_t> plain = ImageRender(48, 32);
  state->fSettings.fFlags |= SRenderSettings::kAntialiasPass;
  const std::vector<uint32_t> passed = ImageRender(48, 32);
  ASSERT_EQ(Render("smooth.pam", kPamFilter, 48, 32), 0);
  const SPicture disk = ReadPicture(InDir("smooth.pam"));
  uint32_t marked = 0;
  for (uint32_t y = 0; y < 32; ++y) {
    for (uint32_t x = 0; x < 48; ++x) {
      const size_t i = y * 48 + x;
      ASSERT_EQ(disk.Rgb(x, y), passed[i] & kColourOf) << x << "," << y;
      const bool edge = x < 47 && y < 31 &&
                        NeedsResampling(CImVector{plain[i]}, CImVector{plain[i + 1]}, CImVector{plain[i + 48]},
                                        CImVector{plain[i + 49]});
      ASSERT_EQ(disk.At(x, y, 3), edge ? 255u : 0u) << x << "," << y;
      marked += edge;
    }
  }
  EXPECT_GT(marked, 0u);
  EXPECT_EQ(state->fContext.GetStats().fResampledPixels, marked);
}

TEST_F(RenderToDiskTest, NarrowFlatAndTurnedPictures) {
  LitScene();
  state->fSettings.fFlags |= SRenderSettings::kAntialiasPass;
  struct SCase {
    int32_t width, height;
    bool rotate;
    uint32_t bands;
  };
  for (const SCase c : {SCase{1, 6, false, 6}, SCase{6, 1, false, 1}, SCase{6, 1, true, 6}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << (c.rotate ? " turned" : ""));
    ClearLog();
    ASSERT_EQ(Render("small.pam", kPamFilter, c.width, c.height, c.rotate), 0);
    EXPECT_EQ(Count("10"), c.bands);
    const SPicture picture = ReadPicture(InDir("small.pam"));
    // A picture one pixel across has no cell to antialias.
    for (size_t i = 3; i < picture.bytes.size(); i += 4) EXPECT_EQ(picture.bytes[i], 0u);
  }

  // Output row r is the scene's column width − 1 − r, from the top down.
  state->fSettings.fFlags &= ~SRenderSettings::kAntialiasPass;
  ASSERT_EQ(Render("turned.ppm", kPpmFilter, 24, 16, true), 0);
  const SPicture turned = ReadPicture(InDir("turned.ppm"));
  ASSERT_EQ(turned.width, 16u);
  ASSERT_EQ(turned.height, 24u);
  const std::vector<uint32_t> straight = ImageRender(24, 16);
  for (uint32_t r = 0; r < 24; ++r)
    for (uint32_t i = 0; i < 16; ++i) ASSERT_EQ(turned.Rgb(i, r), straight[i * 24 + (23 - r)] & kColourOf) << i << "," << r;
}

TEST_F(RenderToDiskTest, FailuresAndCancelsLeaveTheTargetAsItWas) {
  LitScene();
  struct SCase {
    const char* name;
    std::function<void()> arrange;
    std::string chosen;  // the dialog's answer; empty: as arranged
    int32_t expected;
    uint32_t begins;  // calls of selector 9
    uint32_t ends;    // and of selector 11
  };
  const std::string longName(259 - dir_.size() - 1, 'n');
  const SCase cases[] = {
      {"escape while the display pumps", [&] { Ticking(20), Script("wait 3000\nkey 27"); }, "keep.ppm", 24, 1, 1},
      {"the fifth band fails", [] { setenv("QUARN2_TEST_PLUGIN_FAIL", "10:5:-36", 1); }, "keep.ppm", -36, 1, 1},
      {"the file cannot be begun", [] { setenv("QUARN2_TEST_PLUGIN_FAIL", "9:1:-39", 1); }, "keep.ppm", -39, 1, 0},
      {"the dialog is cancelled", [&] { Script("cancel"); }, "", 24, 0, 0},
      {"a name too long with its extension", [] {}, longName, -120, 0, 0},
      {"no image plug-in", [&] { pluginFolder = InDir("Empty"), std::filesystem::create_directory(pluginFolder); }, "",
       5, 0, 0},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(InDir("keep.ppm"), std::ios::binary) << "old";
    ClearLog();
    pluginFolder.clear();
    c.arrange();
    EXPECT_EQ(Render(c.chosen, kPpmFilter, 32, 24), c.expected);
    unsetenv("QUARN2_TEST_PLUGIN_FAIL");
    EXPECT_EQ(Count("9"), c.begins);
    EXPECT_EQ(Count("11"), c.ends);
    EXPECT_EQ(ReadText(InDir("keep.ppm")), "old");
    std::vector<std::string> expectedFiles{"keep.ppm"};
    if (std::filesystem::exists(InDir("Empty"))) expectedFiles.insert(expectedFiles.begin(), "Empty");
    EXPECT_EQ(Files(), expectedFiles);
    ExpectStateRestored();
    EXPECT_EQ(CQNPlugin::GetPluginCount(), 0u);  // the host is released
  }

  ClearLog();
  EXPECT_EQ(Render("", kPpmFilter, 0, 24), 16);
  EXPECT_EQ(Render("", kPpmFilter, 32, 0), 16);
  EXPECT_EQ(Calls(kImage).size(), 0u);
  ExpectStateRestored();
}

TEST_F(RenderToDiskTest, TheNameTakesTheChosenFormatsExtensionAndAsksBeforeReplacing) {
  LitScene();
  ASSERT_EQ(Render("out", kPpmFilter, 8, 6), 0);
  ASSERT_EQ(Render("pic.bmp", kPpmFilter, 8, 6), 0);
  EXPECT_EQ(Files(), (std::vector<std::string>{"out.ppm", "pic.ppm"}));
  EXPECT_NE(RunCommand("pnmfile '" + InDir("pic.ppm") + "' 2>&1").out.find("8 by 6"), std::string::npos);
  const size_t boxes = Boxes();

  std::ofstream(InDir("pic.ppm"), std::ios::binary) << "old";
  Script("box 7");
  ClearLog();
  EXPECT_EQ(Render("pic.bmp", kPpmFilter, 8, 6), 24);
  ASSERT_EQ(Boxes(), boxes + 1);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text,
            "The file \"" + InDir("pic.ppm") + "\" already exists. Do you want to replace it?");
  EXPECT_EQ(platform::headless::ShownBoxes().back().style & 0x0F, uint32_t(platform::kMbYesNo));
  EXPECT_EQ(Count("9"), 0u);
  EXPECT_EQ(ReadText(InDir("pic.ppm")), "old");

  Script("box 6");
  EXPECT_EQ(Render("pic.bmp", kPpmFilter, 8, 6), 0);
  EXPECT_EQ(ReadPicture(InDir("pic.ppm")).width, 8u);

  // The script's answer picks the filter of the name's extension.
  ClearLog();
  Script("save " + InDir("scripted.ppm"));
  ASSERT_EQ(Render("", 0, 8, 6), 0);
  EXPECT_EQ(Calls(kImage).back().format, 0u);  // the plug-in's own number of the PPM format
  EXPECT_EQ(ReadPicture(InDir("scripted.ppm")).depth, 3u);
  EXPECT_EQ(Files(), (std::vector<std::string>{"out.ppm", "pic.ppm", "scripted.ppm"}));
}

TEST_F(RenderToDiskTest, ACompleteRenderBeepsKeepsItsStatisticsAndFillsTheReportOnce) {
  LitScene();
  Ticking(600);
  CRecordedProgress recorded;
  ASSERT_EQ(SetUpIOProgress(), 0);
  auto* display = static_cast<CRecordingProgressDialog*>(GetIOProgressDialog());
  CCountingReport report;
  state->fReport = &report;
  state->fReportWanted = true;
  std::vector<int64_t> told;
  state->fContext.SetObserver({[](void* owner, uint32_t, uint32_t) {
                                 static_cast<std::vector<int64_t>*>(owner)->push_back(platform::NowMs());
                               },
                               &told});

  const uint32_t beeps = platform::BeepCount();
  const int64_t start = platform::NowMs();
  ASSERT_EQ(Render("stats.ppm", kPpmFilter, 16, 12), 0);
  const int64_t seconds = (platform::NowMs() - start) / 1000;
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  ASSERT_EQ(report.fills, 1u);
  EXPECT_EQ(report.lastTitle, "Scene");
  const CRenderStats& stats = state->fStats;
  EXPECT_EQ(stats.fPixels, 16u * 12);
  EXPECT_EQ(report.last.fPixels, stats.fPixels);
  EXPECT_GE(stats.fMinutes, 1u);
  const int64_t split = int64_t(stats.fDays) * 86400 + stats.fHours * 3600 + stats.fMinutes * 60 + stats.fSeconds;
  EXPECT_LE(split, seconds);
  EXPECT_GE(split, seconds - 2);

  EXPECT_EQ(display->GetDescription(), "Render to Disk");
  EXPECT_TRUE(std::regex_match(display->GetStatus(), std::regex(R"(\d+% complete \(row:\d+, col:\d+\))")))
      << display->GetStatus();
  ASSERT_GE(told.size(), 3u);
  for (size_t i = 1; i + 1 < told.size(); ++i) EXPECT_GT(told[i] - told[i - 1], 500) << i;  // 30 ticks

  // A cancelled render neither beeps nor reports; the display showed the format while opening.
  Script("wait 2000\nkey 27");
  EXPECT_EQ(Render("stats.ppm", kPpmFilter, 16, 12), 24);
  setenv("QUARN2_TEST_PLUGIN_FAIL", "9:1:-39", 1);
  EXPECT_EQ(Render("stats.ppm", kPpmFilter, 16, 12), -39);
  EXPECT_EQ(display->GetDescription(), "Rendering image as PPM File");
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(report.fills, 1u);
}

// The status names the last pixel of the row worked on: the last rendered, or while the antialias
// pass smooths the rows rendered, the last smoothed, which lies above the last rendered.
TEST_F(RenderToDiskTest, TheProgressLineNamesTheRowWorkedOnThroughTheAntialiasPass) {
  LitScene();
  state->fSettings.fFlags |= SRenderSettings::kAntialiasPass;
  Ticking(10);
  CRecordedProgress recorded;
  ASSERT_EQ(SetUpIOProgress(), 0);
  auto* display = static_cast<CRecordingProgressDialog*>(GetIOProgressDialog());
  ASSERT_EQ(Render("rows.ppm", kPpmFilter, 24, 40), 0);
  int64_t row = 0, backwards = 0;
  for (const std::string& status : display->GetStatuses()) {
    std::smatch numbers;
    ASSERT_TRUE(std::regex_match(status, numbers, std::regex(R"(\d+% complete \(row:(\d+), col:(\d+)\))"))) << status;
    EXPECT_EQ(numbers[2], "23") << status;
    backwards += std::stoll(numbers[1]) < row;
    row = std::stoll(numbers[1]);
  }
  EXPECT_GT(backwards, 0) << "no line of the antialias pass";
}

}  // namespace
