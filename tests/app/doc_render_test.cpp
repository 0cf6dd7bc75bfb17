// Rendering into the document window: the render slice with its report, interruption and resume, the
// render region, the on-screen tint, the render buttons and options, and the size presets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/cm_function.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/ui/im_element.h"
#include "platform/alloc.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "render/render_driver.h"
#include "render/render_settings.h"
#include "scene/sky.h"
#include "editors/material/pict_textures.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr SPointHV kSmall{160, 120};

// The report a complete render fills: how often it was opened and filled, and the pixel count it read.
struct CCountingReport : CRenderReportHook {
  int32_t Open() override {
    ++opened;
    return 0;
  }
  int32_t Fill(const char* title, const CRenderStats* stats) override {
    ++filled;
    if (title) this->title = title;
    pixels = stats ? stats->fPixels : 0;
    return stats ? 0 : 1;
  }
  int opened = 0;
  int filled = 0;
  uint32_t pixels = 0;
  std::string title;
};

class DocRender : public DocCommandsTest {
 protected:
  // A shown window of 160 × 120 with the default scene, a sphere of size 2 at (0, 1, 0), the optimizer
  // choice the render tool takes and the counting report.
  CDocWindow& MakeSmall() {
    CDocWindow& w = Made(kSmall, kSmall);
    Show({0, 0, kSmall.v, kSmall.h});
    C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
    {
      CHolder lock(ball, true, false);
      ball->SetScaledSize({2, 2, 2});
    }
    EXPECT_EQ(w.FindSceneParts(true), 0);
    EXPECT_EQ(Option("spo0"), kHandled);
    w.GetRenderState().fReport = &report;
    return w;
  }
  int32_t Option(const char (&code)[5], uint32_t data = 0) {
    CUIMessage message;
    message.Init(0, "render options menu", nullptr, "doc window", 1);
    message.SetPayloadWord(0, int32_t(FourCC(code)));
    message.SetDataWord(data);
    return window->HandleRenderOption(&message);
  }
  std::vector<uint32_t> Pixels(CImage* image = nullptr) {
    image = image ? image : window->GetRenderedImage();
    std::vector<uint32_t> out;
    CImNavigator pixels(image, nullptr, false, false);
    for (uint32_t y = 0; pixels.IsUsable() && y < image->GetHeight(); ++y)
      for (uint32_t x = 0; x < image->GetWidth(); ++x) out.push_back(pixels.Cells(y)[x].value);
    return out;
  }
  CRenderStats& Stats() { return window->GetRenderState().fContext.GetStats(); }
  uint32_t Options() { return window->GetRenderOptions(); }

  CCountingReport report;
};

// A complete render of the window shows the rendered image, beeps once and fills the report once;
// the picture is the render tool's for the document saved from the window, byte for byte.
TEST_F(DocRender, ACompleteRenderMatchesTheRenderToolAndReportsOnce) {
  CDocWindow& w = MakeSmall();
  const uint32_t beeps = platform::BeepCount();
  ASSERT_EQ(Button("clear & render button"), kHandled);
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(w.GetMode() & (CDocWindow::kWireframeShown | CDocWindow::kRenderedShown), CDocWindow::kRenderedShown);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(report.opened, 1);
  EXPECT_EQ(report.filled, 1);
  EXPECT_EQ(report.pixels, 19200u);
  EXPECT_EQ(report.title, w.GetTitle());
  EXPECT_EQ(Stats().fPixels, 0u);

  ASSERT_EQ(SaveImageAsBmp(Spec("window.bmp"), w.GetRenderedImage(), true), 0);
  Answer("save " + Path("doc"));
  ASSERT_EQ(w.SaveDocument(0), 0);
  const SRun run = RunCommand("cd '" + Path("") + "' && " + QUARN2_RENDER_PATH +
                              " doc.qnc tool.bmp --width 160 --height 120 --aa 1 2>&1");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string rendered = Contents(Path("window.bmp"));
  EXPECT_FALSE(rendered.empty());
  EXPECT_TRUE(rendered == Contents(Path("tool.bmp")));
  EXPECT_EQ(RunCommand("compare -metric AE '" + Path("window.bmp") + "' '" + Path("tool.bmp") + "' null: 2>&1").out,
            "0");

  // A second slice renders nothing: only the draw request is handled.
  const std::vector<uint32_t> before = Pixels();
  w.SetRenderRequest(CDocWindow::kRenderDrawAll);
  EXPECT_EQ(w.RenderSlice(), 0);
  EXPECT_EQ(w.GetRenderRequest(), 0u);
  EXPECT_EQ(report.filled, 1);
  EXPECT_EQ(Pixels(), before);
}

// Space stops the render without beep or report; the resume finishes the same picture.
TEST_F(DocRender, AnInterruptedRenderResumesToTheSamePicture) {
  CDocWindow& w = MakeSmall();
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  const std::vector<uint32_t> whole = Pixels();
  ASSERT_TRUE(w.GetRenderedImage()->Fill(kWhite));

  ASSERT_EQ(Button("clear & render button"), kHandled);
  const CRenderContext::SProgressiveState& state = w.GetRenderState().fContext.GetProgressive();
  EXPECT_EQ(state.blockSize, 16u);
  EXPECT_EQ(state.row, 0u);
  EXPECT_EQ(state.column, 0u);
  const uint32_t beeps = platform::BeepCount();
  // The release goes to the resumed render, so that no later test finds Space held.
  ASSERT_TRUE(platform::headless::AddScript("key 32\nkeyup 32\n"));
  EXPECT_EQ(Beat(), 24);
  EXPECT_EQ(platform::BeepCount(), beeps);
  EXPECT_EQ(report.filled, 1);
  EXPECT_NE(Pixels(), whole);

  ASSERT_EQ(Button("resume render button"), kHandled);
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(Pixels(), whole);
  EXPECT_EQ(platform::headless::PendingInputs(), 0u);
}

// "render all" hides "patch render" and renders the whole image again.
TEST_F(DocRender, RenderAllTakesTheWholeImage) {
  CDocWindow& w = MakeSmall();
  w.SetRenderRegion({10, 20, 50, 80});
  w.GetPatchRender()->Show(false);
  ASSERT_EQ(Button("render all button"), kHandled);
  EXPECT_FALSE(w.GetPatchRender()->IsShown());
  EXPECT_EQ(w.GetRenderRegion(), (SRect{0, 0, 120, 160}));
  EXPECT_EQ(w.GetRenderRequest(), uint32_t(CDocWindow::kRenderNow));
  // Neither "render all" nor the other buttons answer anything but their own names.
  EXPECT_EQ(Button("no such button"), 0);
}

// The region is clamped to the image; a part renders only its pixels and, when whole, still reports.
TEST_F(DocRender, TheRenderRegionIsClampedAndRenderedAlone) {
  CDocWindow& w = MakeSmall();
  w.SetRenderRegion({-10, -5, 400, 500});
  ASSERT_EQ(Button("resume render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_EQ(w.GetRenderRegion(), (SRect{0, 0, 120, 160}));
  EXPECT_EQ(report.pixels, 19200u);

  ASSERT_TRUE(w.GetRenderedImage()->Fill(kWhite));
  w.SetRenderRegion({10, 20, 50, 80});
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_EQ(report.filled, 2);
  EXPECT_EQ(report.pixels, 2400u);
  const std::vector<uint32_t> pixels = Pixels();
  uint32_t untouched = 0;
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 160; ++x) {
      const bool inside = y >= 10 && y < 50 && x >= 20 && x < 80;
      if (!inside) {
        ASSERT_EQ(pixels[size_t(y * 160 + x)], kWhite) << x << "," << y;
        ++untouched;
      }
    }
  }
  EXPECT_EQ(untouched, 19200u - 2400u);
  EXPECT_NE(pixels[size_t(30 * 160 + 50)], kWhite);
}

// With the report off a complete render neither beeps nor reports; a render whose scene cannot be
// locked answers 9 once, with the optimizer, cursor and image as they were.
TEST_F(DocRender, NoReportWhenSwitchedOffAndOneAnswerForAFailure) {
  CDocWindow& w = MakeSmall();
  EXPECT_EQ(Option("rprt", 0), 0);
  EXPECT_FALSE(w.GetRenderState().fReportWanted);
  const uint32_t beeps = platform::BeepCount();
  ASSERT_EQ(Button("clear & render button"), kHandled);
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(platform::BeepCount(), beeps);
  EXPECT_EQ(report.filled, 0);
  EXPECT_EQ(Option("rprt", 1), 0);
  EXPECT_TRUE(w.GetRenderState().fReportWanted);

  ASSERT_TRUE(w.GetRenderedImage()->Fill(kWhite));
  CAbstractOptimizer* optimizer = w.GetRenderState().fContext.GetOptimizer();
  ASSERT_EQ(Button("clear & render button"), kHandled);
  C3dBaseSys* table = w.GetSceneTable();
  ASSERT_TRUE(!table->IsResident() || table->PageOut());
  table->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(Beat(), 9);
  EXPECT_EQ(w.GetRenderRequest(), 0u);
  SHeartbeatRecord record;
  EXPECT_EQ(w.Heartbeat(record), 0);  // nothing asked again
  table->SetValidator(nullptr);
  EXPECT_EQ(w.GetRenderState().fContext.GetOptimizer(), optimizer);
  EXPECT_FALSE(app->IsBusyCursor());
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel, kWhite);
  EXPECT_EQ(report.filled, 0);
  EXPECT_EQ(platform::BeepCount(), beeps);
}

// The tint moves each channel a sixteenth towards the pattern, clears the top byte, and tiles the
// pattern with every other row of tiles shifted by half a tile.
TEST_F(DocRender, TheTintMovesChannelsTowardsATiledPattern) {
  Made(kSmall, kSmall);
  int32_t error = 0;
  auto image = std::unique_ptr<CImage>(NewDataImage(8, 4, &error));
  auto pattern = std::unique_ptr<CImage>(NewDataImage(4, 2, &error));
  ASSERT_TRUE(image && pattern);
  const struct {
    uint32_t pattern;
    uint32_t expected;
  } values[] = {{0xFF000000, 0x005D5D5D}, {0xFFFFFFFF, 0x006D6D6D}, {0x00644B32, 0x00646260}};
  for (const auto& v : values) {
    ASSERT_TRUE(image->Fill(0xFF646464));
    ASSERT_TRUE(pattern->Fill(v.pattern));
    CDocWindow::TintRectangle(image.get(), pattern.get(), 1, {0, 0, 1, 1});
    EXPECT_EQ(Pixels(image.get())[0], v.expected) << std::hex << v.pattern;
    EXPECT_EQ(Pixels(image.get())[1], 0xFF646464u);
  }
  // Flag 0 or no pattern: nothing.
  ASSERT_TRUE(image->Fill(0xFF646464));
  CDocWindow::TintRectangle(image.get(), pattern.get(), 0, {0, 0, 4, 8});
  CDocWindow::TintRectangle(image.get(), nullptr, 1, {0, 0, 4, 8});
  for (const uint32_t pixel : Pixels(image.get())) ASSERT_EQ(pixel, 0xFF646464u);

  ASSERT_TRUE(pattern->Fill(0xFFFFFFFF));
  {
    CImNavigator tiles(pattern.get(), nullptr, true, false);
    tiles.Cells(0)[0].value = 0xFF000000;
  }
  CDocWindow::TintRectangle(image.get(), pattern.get(), 1, {0, 0, 4, 8});
  const std::vector<uint32_t> tinted = Pixels(image.get());
  std::vector<std::pair<int, int>> dark;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      if (tinted[size_t(y * 8 + x)] == 0x005D5D5Du) dark.push_back({x, y});
      else EXPECT_EQ(tinted[size_t(y * 8 + x)], 0x006D6D6Du) << x << "," << y;
  EXPECT_EQ(dark, (std::vector<std::pair<int, int>>{{0, 0}, {4, 0}, {2, 2}, {6, 2}}));
}

// After a render the rendered image keeps its own pixels; only the view on screen shows the region
// tinted, and a size change forgets it.
TEST_F(DocRender, TheTintMarksTheRegionOnScreenOnly) {
  CDocWindow& w = MakeSmall();
  w.SetRenderRegion({10, 20, 50, 80});
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_EQ(w.GetTintedRegion(), (SRect{10, 20, 50, 80}));
  const std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(pixels[0], kWhite);
  // Rendered again without the region's tint: the same pixels, top bytes included.
  const SRect region{10, 20, 50, 80};
  CImage* shown = w.GetShownImage();
  ASSERT_NE(shown, nullptr);
  const std::vector<uint32_t> composed = Pixels(shown);
  ASSERT_EQ(composed.size(), pixels.size());
  EXPECT_EQ(composed[0], kWhite);
  uint32_t moved = 0;
  for (int32_t y = region.top; y < region.bottom; ++y) {
    for (int32_t x = region.left; x < region.right; ++x) {
      const uint32_t own = pixels[size_t(y * 160 + x)], seen = composed[size_t(y * 160 + x)];
      ASSERT_EQ(seen >> 24, 0u);
      for (const int shift : {0, 8, 16}) {
        const int difference = int((seen >> shift) & 0xFF) - int((own >> shift) & 0xFF);
        ASSERT_LE(std::abs(difference), 16) << x << "," << y;
      }
      moved += (seen & 0xFFFFFF) != (own & 0xFFFFFF);
    }
  }
  EXPECT_GT(moved, 2400u / 2);
  ASSERT_TRUE(w.GetRenderedImage()->Fill(0xFF102030));
  w.SetRenderRequest(CDocWindow::kRenderDrawAll);
  ASSERT_EQ(w.RenderSlice(), 0);
  EXPECT_EQ(Pixels(), std::vector<uint32_t>(pixels.size(), 0xFF102030u));  // drawing tints nothing of it

  // A picture read into the image, and a size change, forget the mark.
  ASSERT_EQ(RunCommand("convert -size 16x8 xc:'#ff0000' BMP3:'" + Path("red.bmp") + "'").status, 0);
  Answer("open " + Path("red.bmp"));
  ASSERT_EQ(w.OpenPicture(), 0);
  EXPECT_EQ(w.GetTintedRegion(), SRect());
  w.SetRenderRegion({0, 0, 8, 8});
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_EQ(w.GetTintedRegion(), (SRect{0, 0, 8, 8}));
  ASSERT_EQ(Option("res1"), kHandled);
  EXPECT_EQ(w.GetTintedRegion(), SRect());
}

// Every code of the render options menu on a fresh window, and what the next render hands the context.
TEST_F(DocRender, RenderOptionsSetTheirBitsAndChoices) {
  CDocWindow& w = Made(kSmall, kSmall);
  constexpr uint32_t kModes = SRenderSettings::kMaskMode | SRenderSettings::kDepthMode | SRenderSettings::kAltitudeMode;
  C3dCamera* camera = w.GetViewCamera(CDocWindow::kPerspective);
  auto cameraFlags = [&] {
    CHolder lock(camera, false, false);
    return camera->GetStateFlags() & (0x4000u | 0x10000u);
  };
  EXPECT_EQ(Option("dist"), kHandled);
  EXPECT_EQ(Options() & kModes, SRenderSettings::kDepthMode);
  EXPECT_EQ(Option("mask"), kHandled);
  EXPECT_EQ(Options() & kModes, SRenderSettings::kMaskMode);
  EXPECT_EQ(Option("alti"), kHandled);
  EXPECT_EQ(Options() & kModes, SRenderSettings::kAltitudeMode);
  EXPECT_EQ(Option("360p"), kHandled);
  EXPECT_EQ(Options() & kModes, 0u);
  EXPECT_EQ(cameraFlags(), 0x10000u);
  EXPECT_EQ(Option("mask"), kHandled);
  EXPECT_EQ(cameraFlags(), 0x4000u);
  EXPECT_EQ(Option("360p"), kHandled);
  EXPECT_EQ(Option("pers"), kHandled);
  EXPECT_EQ(Options() & kModes, 0u);
  EXPECT_EQ(cameraFlags(), 0x4000u);

  const struct {
    char code[5];
    uint32_t choice;
    bool pass;
    uint32_t mode, grid;
  } antialias[] = {{"anti", 0, false, 1, 1}, {"anl0", 1, true, 0, 1}, {"anl1", 2, false, 5, 4}};
  const struct {
    char code[5];
    uint32_t choice;
  } optimizers[] = {{"spop", 0}, {"spo0", 1}, {"spo1", 2}};
  for (const auto& a : antialias) {
    EXPECT_EQ(Option(a.code), kHandled) << a.code;
    EXPECT_EQ(w.GetRenderState().fAntialiasChoice, a.choice) << a.code;
    EXPECT_EQ((Options() & SRenderSettings::kAntialiasPass) != 0, a.pass) << a.code;
    uint32_t mode = 9, grid = 9;
    ASSERT_TRUE(AntialiasForChoice(w.GetRenderState().fAntialiasChoice, mode, grid));
    EXPECT_EQ(mode, a.mode) << a.code;
    EXPECT_EQ(grid, a.grid) << a.code;
  }
  for (const auto& o : optimizers) {
    w.GetRenderState().fSettings.fFlags &= ~SRenderSettings::kOwnOptimizer;
    EXPECT_EQ(Option(o.code), kHandled) << o.code;
    EXPECT_EQ(w.GetRenderState().fOptimizerChoice, o.choice) << o.code;
    EXPECT_TRUE(Options() & SRenderSettings::kOwnOptimizer) << o.code;
  }
  const uint32_t before = Options();
  EXPECT_EQ(Option("zzzz"), 0);
  EXPECT_EQ(Options(), before);
  EXPECT_EQ(Option("rprt", 0), 0);
  EXPECT_FALSE(w.GetRenderState().fReportWanted);
}

// The render of each antialias choice samples as its mode asks: the context takes the mode and grid.
TEST_F(DocRender, TheNextRenderTakesTheAntialiasChoice) {
  CDocWindow& w = MakeSmall();
  ASSERT_EQ(Option("rprt", 0), 0);
  w.SetRenderRegion({0, 0, 8, 8});
  const struct {
    char code[5];
    uint32_t mode, grid;
  } cases[] = {{"anti", 1, 1}, {"anl0", 0, 1}, {"anl1", 5, 4}};
  for (const auto& c : cases) {
    ASSERT_EQ(Option(c.code), kHandled);
    ASSERT_EQ(Button("clear & render button"), kHandled);
    ASSERT_EQ(Beat(), 0) << c.code;
    EXPECT_EQ(w.GetRenderState().fContext.GetMode(), c.mode) << c.code;
    EXPECT_EQ(w.GetRenderState().fContext.GetGrid(), c.grid) << c.code;
  }
}

// The preview switch makes the next render adaptive; the textures switch sets the render word and the
// sky's bit; both answer 26 whatever the state.
TEST_F(DocRender, PreviewAndTextureSwitches) {
  CDocWindow& w = MakeSmall();
  ASSERT_EQ(Option("rprt", 0), 0);
  EXPECT_EQ(w.SetPreviewMode(2), kHandled);
  EXPECT_TRUE(Options() & SRenderSettings::kAdaptive);
  EXPECT_EQ(w.SetPreviewMode(1), kHandled);
  EXPECT_TRUE(Options() & SRenderSettings::kAdaptive);
  ASSERT_EQ(Option("anti"), kHandled);  // no antialias pass over the adaptive pixels
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  for (const uint32_t pixel : Pixels()) ASSERT_TRUE((pixel >> 24) == 0x80 || (pixel >> 24) == 0xFF) << std::hex << pixel;
  EXPECT_EQ(w.SetPreviewMode(0), kHandled);
  EXPECT_FALSE(Options() & SRenderSettings::kAdaptive);

  C3dSky* sky = w.GetSky();
  auto skyFlat = [&] {
    CHolder lock(sky, false, false);
    return (sky->GetSettings().flags & C3dSky::kFlatWithoutAtmosphere) != 0;
  };
  const struct {
    int32_t state;
    bool textures;
    bool flat;
  } cases[] = {{2, false, true}, {1, false, true}, {0, true, false}, {1, true, false}};
  for (const auto& c : cases) {
    const uint32_t queued = owner->GetQueueCount();
    EXPECT_EQ(w.SetTexturesShown(c.state), kHandled) << c.state;
    EXPECT_EQ((Options() & SRenderSettings::kTextures) != 0, c.textures) << c.state;
    EXPECT_EQ(skyFlat(), c.flat) << c.state;
    ASSERT_EQ(owner->GetQueueCount(), queued + 1) << c.state;
    const CUIMessage posted = owner->PeekQueued(queued);
    EXPECT_STREQ(posted.elementName, "objinfochanged");
    EXPECT_EQ(posted.GetDataWord(), 4u);
  }

  CUIMessage plop;
  plop.Init(0, "plop render mode", nullptr, "doc window", 0);
  const bool shown = w.GetPatchRender()->IsShown();
  EXPECT_EQ(w.HandlePlopRenderMode(&plop), 0);
  EXPECT_EQ(w.GetPatchRender()->IsShown(), !shown);
  EXPECT_EQ(w.HandlePlopRenderMode(&plop), 0);
  EXPECT_EQ(w.GetPatchRender()->IsShown(), shown);
}

// The size presets make both images that size, the rendered one white, and restart the render; the
// document's own size keeps the images; a failed allocation changes nothing.
TEST_F(DocRender, SizePresetsResizeBothImages) {
  CDocWindow& w = Made();
  const struct {
    char code[5];
    SPointHV size;
  } presets[] = {{"res2", {640, 480}}, {"res1", {320, 240}}, {"res3", {640, 386}},
                 {"res4", {640, 346}}, {"res5", {768, 512}}, {"res0", {480, 360}}};
  for (const auto& p : presets) {
    w.GetRenderState().fContext.GetProgressive().blockSize = 2;
    EXPECT_EQ(Option(p.code), kHandled) << p.code;
    EXPECT_EQ(w.GetWindowImageSize(), p.size) << p.code;
    EXPECT_EQ(w.GetRenderImageSize(), p.size) << p.code;
    EXPECT_EQ(w.GetWindowImage()->GetWidth(), uint32_t(p.size.h)) << p.code;
    EXPECT_EQ(w.GetRenderedImage()->GetHeight(), uint32_t(p.size.v)) << p.code;
    EXPECT_EQ(w.GetRenderRegion(), (SRect{0, 0, p.size.v, p.size.h})) << p.code;
    EXPECT_EQ(w.GetRenderState().fContext.GetProgressive().blockSize, 16u) << p.code;
    EXPECT_TRUE(w.GetDirtyBits() & CDocWindow::kDirtyView) << p.code;
  }
  // Back at 480 × 360: the same preset keeps both images and still flags the view.
  CImage* windowImage = w.GetWindowImage();
  CImage* renderedImage = w.GetRenderedImage();
  ASSERT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(Option("res0"), kHandled);
  EXPECT_EQ(w.GetWindowImage(), windowImage);
  EXPECT_EQ(w.GetRenderedImage(), renderedImage);
  EXPECT_TRUE(w.GetDirtyBits() & CDocWindow::kDirtyView);

  ASSERT_EQ(Option("res2"), kHandled);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel, kWhite);
  ASSERT_EQ(SaveImageAsBmp(Spec("big.bmp"), w.GetRenderedImage(), true), 0);
  EXPECT_EQ(RunCommand("identify -format '%wx%h' '" + Path("big.bmp") + "' 2>&1").out, "640x480");

  windowImage = w.GetWindowImage();
  renderedImage = w.GetRenderedImage();
  platform::FailNextAllocations(100);
  const int32_t failed = Option("res5");
  platform::FailNextAllocations(0);
  EXPECT_EQ(failed, 9);
  EXPECT_EQ(w.GetWindowImage(), windowImage);
  EXPECT_EQ(w.GetRenderedImage(), renderedImage);
  EXPECT_EQ(w.GetWindowImageSize(), (SPointHV{640, 480}));
  EXPECT_EQ(w.GetRenderImageSize(), (SPointHV{640, 480}));
}

// A picture given to the selection by the pictures dialog's "ok" shows on the object in the next
// render.
TEST_F(DocRender, APictureGivenToTheSelectionShowsInTheNextRender) {
  CDocWindow& w = MakeSmall();
  const auto magenta = [this] {
    size_t count = 0;
    for (uint32_t p : Pixels()) {
      const int32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      count += r > g + 60 && b > g + 60;
    }
    return count;
  };
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_EQ(magenta(), 0u);

  std::unique_ptr<CResourceEnv> layout = OpenDataFile("picttextures.dat");
  auto dialog = std::make_unique<CPictTextures>(owner, layout.get(), nullptr);
  SetCurrentDocWindow(&w);
  struct SForget {
    ~SForget() { SetCurrentDocWindow(nullptr); }
  } forget;
  ASSERT_EQ(dialog->BuildOnce(), 0);
  int32_t error = 0;
  std::unique_ptr<CImage> picture(NewDataImage(8, 8, &error));
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(picture->Fill(0xFFFF00FF));
  CPictTexture* texture = dialog->CreatePictTexture(picture.get(), "magenta");
  ASSERT_NE(texture, nullptr);
  ASSERT_EQ(dialog->RefreshSlots(texture), 0);
  dialog->Refresh(false);
  C3dObject* ball = nullptr;
  {
    CHolder rows(w.GetObjectList(), false, false);
    for (uint32_t i = 0; i < w.GetObjectList()->GetCount(); ++i) {
      auto* object = static_cast<C3dObject*>(w.GetObjectList()->At(i));
      if (dynamic_cast<C3dSphere*>(object)) ball = object;
    }
  }
  ASSERT_NE(ball, nullptr);
  ball->SetFlags(C3dObject::kSelected);
  CUIMessage ok;
  ok.Init(0, "ok", nullptr, "picttextures", 0);
  ASSERT_EQ(dialog->HandleEvent(&ok), kHandled);

  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_EQ(Beat(), 0);
  EXPECT_GT(magenta(), 200u) << "the ball wears the picture";
  dialog.reset();
}

}  // namespace
