// The render report: its texts, its canvas built from the build's reportrender.dat, its showing and
// closing, and the render to disk that fills it.
#include "app/report_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/render_to_disk.h"
#include "framework/ui/geometry.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/system.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/document/plugin_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

using Texts = std::string[CReportRender::kTextCount];

// Statistics as the renderer leaves them: its sums and the time split.
CRenderStats Stats(uint32_t pixels, uint64_t eye, uint64_t shadow, uint64_t hits, uint64_t misses, uint64_t seconds) {
  CRenderStats stats;
  stats.fPixels = pixels;
  stats.fEyeRays = eye;
  stats.fShadowRays = shadow;
  stats.fHits = hits;
  stats.fMisses = misses;
  stats.SplitTime(seconds);
  return stats;
}

TEST(ReportTexts, CountersFiguresAndTimesReadAsTheReportShowsThem) {
  const struct {
    uint64_t eye;
    const char* total;
  } counters[] = {{999999, "999999"},      {1000000, "1000000"},     {1000001, "1.00 mil"},
                  {50000000, "50.00 mil"}, {2500000000, "2.50 bil"}, {uint64_t(7) << 32, "30.06 bil"}};
  for (const auto& c : counters) {
    Texts texts;
    CReportRender::FormatTexts(Stats(1, c.eye, 0, 0, 0, 0), nullptr, texts);
    EXPECT_EQ(texts[CReportRender::kPrimaryRaysTotal], c.total) << c.eye;
    EXPECT_EQ(texts[CReportRender::kTotalRaysTotal], c.total) << c.eye;
  }

  const struct {
    uint64_t seconds;
    const char* text;
  } times[] = {{9, "00:09"}, {303, "05:03"}, {3723, "1:02:03"}, {86703, "1:00:05:03"}};
  for (const auto& t : times) {
    Texts texts;
    CReportRender::FormatTexts(Stats(1, 0, 0, 0, 0, t.seconds), nullptr, texts);
    EXPECT_EQ(texts[CReportRender::kTimeText], t.text) << t.seconds;
  }

  // Every row from its own counter, each per pixel, and the two sums the renderer made.
  Texts texts;
  CRenderStats stats = Stats(2, 5, 3, 7, 1, 0);
  stats.fResampledPixels = 2000001;
  CReportRender::FormatTexts(stats, nullptr, texts);
  const char* const expected[] = {"",     "00:00", "2",    "2.00 mil", "5",    "2.50", "3", "1.50",
                                  "8",    "4.00",  "7",    "3.50",     "1",    "0.50", "8", "4.00"};
  for (uint32_t i = 0; i < CReportRender::kTextCount; ++i) EXPECT_EQ(texts[i], expected[i]) << i;
}

TEST(ReportTexts, NoPixelRenderedGivesFiguresOfNothing) {
  Texts texts;
  CReportRender::FormatTexts(Stats(0, 12, 4, 9, 3, 1), nullptr, texts);
  for (uint32_t i : {CReportRender::kPrimaryRaysPerPixel, CReportRender::kShadowRaysPerPixel,
                     CReportRender::kTotalRaysPerPixel, CReportRender::kRayHitsPerPixel,
                     CReportRender::kRayMissesPerPixel, CReportRender::kIntersectsPerPixel})
    EXPECT_EQ(texts[i], "0.00") << i;
  EXPECT_EQ(texts[CReportRender::kPixelsRendered], "0");
  EXPECT_EQ(texts[CReportRender::kPrimaryRaysTotal], "12");
}

TEST(ReportTexts, TextsArePlacedCentredOrRightAligned) {
  const SFontPoint centred = CReportRender::PlaceText(100, 20, 40, 10, true);
  EXPECT_FLOAT_EQ(centred.h, 30.25f);
  EXPECT_FLOAT_EQ(centred.v, 5.25f);
  const SFontPoint right = CReportRender::PlaceText(100, 20, 40, 10, false);
  EXPECT_FLOAT_EQ(right.h, 55.0f);
  EXPECT_FLOAT_EQ(right.v, 5.25f);
}

// The report's canvas from the build's layout, owned by the fixture's broadcaster.
class ReportRenderTest : public SystemDataTest {
 protected:
  void SetUp() override {
    SystemDataTest::SetUp();
    if (HasFatalFailure()) return;
    layout = OpenDataFile("reportrender.dat");
    report = std::make_unique<CReportRender>(owner, layout.get());
  }
  void TearDown() override {
    report.reset();
    layout.reset();
    SystemDataTest::TearDown();
  }

  // A message of kind 0 naming an element of a canvas.
  static CUIMessage Message(const char* element, const char* canvas) {
    CUIMessage message;
    message.Init(0, element, nullptr, canvas, 0);
    return message;
  }
  std::string TextOf(uint32_t text) const {
    const CTxElement* element = report->GetTextElement(text);
    return element && element->GetText() ? element->GetText() : "";
  }

  std::unique_ptr<CResourceEnv> layout;
  std::unique_ptr<CReportRender> report;
};

TEST_F(ReportRenderTest, TheBuildFindsTheSixteenTextsAndOkClosesWhatTheNamingMessageShowed) {
  ASSERT_EQ(report->Open(), 0);
  for (uint32_t i = 0; i < CReportRender::kTextCount; ++i) EXPECT_NE(report->GetTextElement(i), nullptr) << i;
  EXPECT_FALSE(report->IsShown());

  const uint32_t level = owner->GetModalLevel();
  CUIMessage show = Message("report render time", nullptr);
  EXPECT_EQ(report->HandleEvent(&show), 26);
  EXPECT_TRUE(report->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_FALSE(report->IsStale());
  // Shown again while it stands: still one level to lower.
  EXPECT_EQ(report->HandleEvent(&show), 26);
  EXPECT_EQ(owner->GetModalLevel(), level + 1);

  CUIMessage ok = Message("ok", "report render time");
  EXPECT_EQ(report->HandleEvent(&ok), 26);
  EXPECT_FALSE(report->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  // Hidden, "ok" is not the report's any more.
  EXPECT_NE(report->HandleEvent(&ok), 26);
  EXPECT_EQ(owner->GetModalLevel(), level);
}

// Its one button takes both keys: Return or Escape closes the report and lowers its modal level.
TEST_F(ReportRenderTest, ReturnAndEscapeCloseIt) {
  ASSERT_EQ(report->Open(), 0);
  const uint32_t level = owner->GetModalLevel();
  for (const uint32_t key : {13u, 27u}) {
    CUIMessage show = Message("report render time", nullptr);
    EXPECT_EQ(report->HandleEvent(&show), 26);
    ASSERT_TRUE(report->IsShown());
    SWinEvent event;
    event.Init();
    event.key = key;
    report->OnCharacter(event);
    EXPECT_FALSE(report->IsShown()) << key;
    EXPECT_EQ(owner->GetModalLevel(), level) << key;
  }
}

TEST_F(ReportRenderTest, FillSetsAndPlacesEveryTextAndShowsTheReportOnce) {
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(report->Fill("Untitled", nullptr), 1);
  EXPECT_EQ(report->GetStats(), nullptr);
  EXPECT_FALSE(report->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);

  CRenderStats stats = Stats(19200, 50000000, 9600, 30000, 20000, 303);
  ASSERT_EQ(report->Fill("Untitled", &stats), 0);
  EXPECT_EQ(report->GetStats(), &stats);
  EXPECT_TRUE(report->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  Texts expected;
  CReportRender::FormatTexts(stats, nullptr, expected);
  expected[CReportRender::kDocTitle] = "Untitled";
  for (uint32_t i = 0; i < CReportRender::kTextCount; ++i) EXPECT_EQ(TextOf(i), expected[i]) << i;
  EXPECT_EQ(TextOf(CReportRender::kPrimaryRaysTotal), "50.00 mil");
  EXPECT_EQ(TextOf(CReportRender::kPrimaryRaysPerPixel), "2604.17");

  // Each text's box lies in its element: the title and time in the middle, the numbers at the
  // right margin, and every one centred from top to bottom.
  for (uint32_t i = 0; i < CReportRender::kTextCount; ++i) {
    CTxElement* element = report->GetTextElement(i);
    SRect box;
    ASSERT_EQ(element->GetTextRect(&box), 0);
    const SRect& rect = element->GetRect();
    const int32_t w = RectWidth(rect), h = RectHeight(rect);
    EXPECT_LE(std::abs(box.top - (h - box.bottom)), 2) << i;
    if (CReportRender::IsCentred(i)) {
      EXPECT_LE(std::abs(box.left - (w - box.right)), 2) << i;
    } else {
      EXPECT_EQ(box.right, w - 5) << i;
    }
  }

  // A second report while the first stands takes its texts and keeps the one level.
  CRenderStats next = Stats(4, 8, 0, 0, 0, 9);
  ASSERT_EQ(report->Fill("Second", &next), 0);
  EXPECT_EQ(TextOf(CReportRender::kDocTitle), "Second");
  EXPECT_EQ(TextOf(CReportRender::kTimeText), "00:09");
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  CUIMessage ok = Message("ok", "report render time");
  EXPECT_EQ(report->HandleEvent(&ok), 26);
  EXPECT_EQ(owner->GetModalLevel(), level);
}

// The application's "abbreviations" list replaces the suffixed forms, entry by entry.
TEST_F(ReportRenderTest, AnAbbreviationsListReplacesTheSuffixedForms) {
  ReportTierFormats formats;
  EXPECT_FALSE(CReportRender::ReadAbbreviations(nullptr, &formats));
  EXPECT_EQ(formats[0], "%.2f mil");
  EXPECT_EQ(formats[4], "%.2f qui");

  CPrivateTmpDir tmp("quarn2-report");
  const std::string source = tmp.Path() + "/abbreviations.layout", out = tmp.Path() + "/abbreviations.dat";
  std::ofstream(source) << "texts \"abbreviations\" {\n  0 \"%.2f M\"\n  1 \"%.2f G\"\n}\n";
  ASSERT_EQ(std::system((std::string(RESBUILD_PATH) + " '" + source + "' '" + out + "'").c_str()), 0);
  CFileSpec spec;
  spec.Set(out.c_str());
  CResourceEnv list(spec, CFile::kModeRead);
  ASSERT_TRUE(CReportRender::ReadAbbreviations(&list, &formats));
  EXPECT_EQ(formats[0], "%.2f M");
  EXPECT_EQ(formats[1], "%.2f G");
  EXPECT_EQ(formats[2], "%.2f tri");

  Texts texts;
  CReportRender::FormatTexts(Stats(1, 1000001, 2500000000, 0, 0, 0), &formats, texts);
  EXPECT_EQ(texts[CReportRender::kPrimaryRaysTotal], "1.00 M");
  EXPECT_EQ(texts[CReportRender::kShadowRaysTotal], "2.50 G");
  EXPECT_EQ(texts[CReportRender::kPrimaryRaysPerPixel], "1.00 M");
  EXPECT_EQ(texts[CReportRender::kPixelsRendered], "1");
}

// The window hands its report to the render to disk, which fills it after a complete render.
class ReportRenderToDisk : public PluginFolderTest<DocWindowTest> {};

TEST_F(ReportRenderToDisk, ARenderToDiskFillsTheWindowsReport) {
  Install(kImage);
  auto reportLayout = OpenDataFile("reportrender.dat");
  CReportRender report(owner, reportLayout.get());
  CDocWindow& w = Made({32, 24}, {32, 24});
  w.SetCompanions(nullptr, nullptr, nullptr, &report);
  EXPECT_EQ(&w.GetRenderState().Report(), static_cast<CRenderReportHook*>(&report));
  w.GetRenderState().fReportWanted = true;
  platform::headless::AnswerFileDialog(InFolder("../scene.ppm"), 2);
  SDiskRender request;
  request.width = 32;
  request.height = 24;
  request.pluginFolder = InFolder("");
  const uint32_t beeps = platform::BeepCount();
  ASSERT_EQ(w.RenderToDisk(request), 0);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(report.GetStats(), &w.GetRenderState().fStats);
  EXPECT_TRUE(report.IsShown());
  EXPECT_STREQ(report.GetTextElement(CReportRender::kPixelsRendered)->GetText(), "768");
  EXPECT_STREQ(report.GetTextElement(CReportRender::kDocTitle)->GetText(), w.GetTitle());
  w.SetCompanions(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
