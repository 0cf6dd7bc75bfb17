// The splash screen and the about box: the screen beneath showing where the picture is transparent,
// the rising "about text" entries 1, 3, 4, ..., the key press or click that ends the box, and its
// failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/layout_needs.h"
#include "app/splashscreen.h"
#include "framework/core/ix_text.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

constexpr uint32_t kDesktop = 0x336699;

// Where the about text stood at each redraw: the list's entry and the text's position.
struct SStep {
  uint32_t entry;
  float h;
  float v;
};

class CRecordingSplash : public CSplashscreen {
 public:
  bool Redraw(const SRect* rect) override {
    CElement* element = nullptr;
    if (GetRoot() && !CElSystem::FindElement(GetRoot()->GetChildren(), need::kAboutText.name, &element, false)) {
      auto* text = dynamic_cast<CTxElement*>(element);
      if (text && text->IsShown() && text->GetTextList()) {
        const SStep step{text->GetTextList()->GetSelected(), text->GetPosition().h, text->GetPosition().v};
        if (steps.empty() || steps.back().entry != step.entry || steps.back().h != step.h || steps.back().v != step.v)
          steps.push_back(step);
      }
    }
    return CSplashscreen::Redraw(rect);
  }
  std::vector<SStep> steps;
};

class Splashscreen : public SystemDataTest {
 protected:
  void SetUp() override {
    SystemDataTest::SetUp();
    if (HasFatalFailure()) return;
    // Key presses and clicks count while the application is active.
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    app->PumpMessages();
    layout = OpenDataFile("splashscreen.dat");
  }
  void TearDown() override {
    splash.reset();
    platform::headless::SetDesktopColor(0);
    platform::headless::SetScreenPicture(0, 0, {});
    layout.reset();
    variant.reset();
    SystemDataTest::TearDown();
  }

  CRecordingSplash& Build(CResourceEnv* from = nullptr) {
    splash = std::make_unique<CRecordingSplash>();
    EXPECT_TRUE(splash->IsReady());
    EXPECT_EQ(splash->Build(from ? from : layout.get()), 0);
    return *splash;
  }
  // The real layout with each `what` (up to the end of its line or block) replaced, compiled on its own.
  CResourceEnv* Variant(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::ifstream in(QUARN2_LAYOUT_SOURCES "/splashscreen.layout");
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [what, replacement] : changes) {
      const size_t start = source.find(what);
      EXPECT_NE(start, std::string::npos) << what;
      if (start == std::string::npos) continue;
      const size_t end = what.back() == '{' ? source.find("}\n", start) + 2 : source.find('\n', start) + 1;
      source.replace(start, end - start, replacement);
    }
    for (size_t at = 0; (at = source.find("pictures/", at)) != std::string::npos; at += 40)
      source.replace(at, 9, QUARN2_LAYOUT_SOURCES "/pictures/");
    const std::string path = tmp.Path() + "/splashscreen.layout", out = tmp.Path() + "/splashscreen.dat";
    std::ofstream(path) << source;
    std::filesystem::remove(out);
    // A splash built from the variant before goes with it.
    splash.reset();
    EXPECT_EQ(std::system((std::string(RESBUILD_PATH) + " '" + path + "' '" + out + "'").c_str()), 0);
    CFileSpec spec;
    spec.Set(out.c_str());
    variant = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    return variant.get();
  }
  CResourceEnv* Variant(const std::string& what, const std::string& replacement) { return Variant({{what, replacement}}); }
  // Plays the script input still waiting.
  void Settle() {
    for (int i = 0; i < 400 && platform::headless::PendingInputs() > 0; ++i) app->PumpMessages();
    app->FlushInput();
    app->PumpMessages();
  }
  uint32_t WindowPixel(int32_t x, int32_t y) {
    const platform::SPoint origin = platform::ClientOrigin(splash->GetWindow());
    return platform::GetWindowSurface(splash->GetWindow())->Pixel(origin.x + x, origin.y + y) & 0xFFFFFF;
  }
  CTxElement* AboutText() {
    CElement* element = nullptr;
    EXPECT_EQ(CElSystem::FindElement(splash->GetRoot()->GetChildren(), need::kAboutText.name, &element, false), 0);
    return dynamic_cast<CTxElement*>(element);
  }

  std::unique_ptr<CResourceEnv> layout;
  std::unique_ptr<CResourceEnv> variant;
  std::unique_ptr<CRecordingSplash> splash;
  CPrivateTmpDir tmp{"quarn2-splash"};
};

// Where the picture is transparent (its corners) the window shows the screen as it was before the
// window appeared: the desktop's colour, or a picture on the screen.
TEST_F(Splashscreen, TheScreenBeneathShowsWhereThePictureIsTransparent) {
  // Nothing else on the screen: the main window would lie beneath the splash.
  platform::ShowWindow(app->GetMainWindow(), platform::kSwHide);
  platform::headless::SetDesktopColor(kDesktop);
  Build().Show();
  ASSERT_TRUE(splash->IsShown());
  EXPECT_EQ(splash->GetPicture()->GetImageList()->Selected(), 0u);
  const SRect bounds = splash->GetBounds();
  const int32_t right = bounds.right - 1, bottom = bounds.bottom - 1;
  const std::vector<std::pair<int32_t, int32_t>> corners = {{0, 0}, {1, 0}, {0, 1}, {right, 0}, {0, bottom}, {right, bottom}};
  for (const auto& [x, y] : corners) EXPECT_EQ(WindowPixel(x, y), kDesktop) << x << ", " << y;
  EXPECT_NE(WindowPixel(right / 2, bottom / 2), kDesktop);

  const int32_t width = platform::GetSystemMetrics(platform::kSmCxScreen);
  const int32_t height = platform::GetSystemMetrics(platform::kSmCyScreen);
  std::vector<uint32_t> picture(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) picture[size_t(y) * size_t(width) + size_t(x)] = uint32_t(x * 977 + y * 131071) & 0xFFFFFF;
  platform::headless::SetScreenPicture(width, height, picture);
  splash.reset();
  Build().Show();
  const SRect& frame = splash->GetFrame();
  for (const auto& [x, y] : corners)
    EXPECT_EQ(WindowPixel(x, y), picture[size_t(frame.top + y) * size_t(width) + size_t(frame.left + x)]) << x << ", " << y;
}

// The about box rises entries 1, 3, 4, ... up to the last, then 1 again: each from just below the
// element, centred, a pixel a step, until its whole height has left at the top.
TEST_F(Splashscreen, TheAboutBoxRisesEntriesOneThreeFourAndOnAgain) {
  struct SList {
    const char* what;
    std::string texts;
    std::vector<uint32_t> shown;
  } lists[] = {
      {"five entries", "texts \"about text\" {\n 0 \"zero\"\n 1 \"Quarn2 0.1\"\n 2 \"two\"\n 3 \"Three\"\n 4 \"Four and more\"\n}\n",
       {1, 3, 4, 1, 3, 4}},
      {"two entries", "texts \"about text\" {\n 0 \"zero\"\n 1 \"Quarn2 0.1\"\n}\n", {1, 1, 1, 1, 1, 1}},
  };
  for (const SList& list : lists) {
    CRecordingSplash& box = Build(Variant("texts \"about text\" {", list.texts));
    ASSERT_TRUE(platform::headless::AddScript("wait 65000\nkey 65\nkeyup 65\n"));
    EXPECT_EQ(box.RunAboutBox(), 0) << list.what;
    EXPECT_EQ(box.GetPicture()->GetImageList()->Selected(), CSplashscreen::kAboutState) << list.what;
    CTxElement* text = AboutText();
    ASSERT_NE(text, nullptr);
    const SRect& rect = text->GetRect();
    const int32_t width = RectWidth(rect), height = RectHeight(rect);

    // The runs of steps, each starting where the text jumps back down below the element.
    std::vector<std::vector<SStep>> runs;
    for (const SStep& step : box.steps) {
      if (step.v == float(height + 1)) runs.emplace_back();
      if (!runs.empty()) runs.back().push_back(step);
    }
    ASSERT_GT(runs.size(), list.shown.size()) << list.what;
    for (size_t r = 0; r < list.shown.size(); ++r) {
      const std::vector<SStep>& run = runs[r];
      EXPECT_EQ(run.front().entry, list.shown[r]) << list.what << " run " << r;
      // The entry as the element lays it out at (0, 0).
      SRect laid;
      ASSERT_EQ(text->GetTextList()->Select(run.front().entry), 0);
      ASSERT_EQ(text->SetPosition({0, 0}, false), 0);
      ASSERT_EQ(text->Layout(&laid, false, CImElement::kUnlimited), 0);
      EXPECT_EQ(run.front().v, float(height + 1)) << list.what << " run " << r;
      EXPECT_EQ(run.front().h, float(width / 2 - RectWidth(laid) / 2)) << list.what << " run " << r;
      for (size_t i = 1; i < run.size(); ++i) {
        EXPECT_EQ(run[i].entry, run.front().entry) << list.what << " run " << r;
        EXPECT_EQ(run[i].v, run[i - 1].v - 1.0f) << list.what << " run " << r << " step " << i;
      }
      // The last place drawn: the text's last row, or the whole text, just above the element.
      EXPECT_GE(run.back().v, float(1 - RectHeight(laid))) << list.what << " run " << r;
      EXPECT_LE(run.back().v, float(2 - RectHeight(laid))) << list.what << " run " << r;
    }
    Settle();
  }
}

// A key press or a click ends the box within 10 ticks and stays in the queue for whoever comes next.
TEST_F(Splashscreen, AKeyOrAClickEndsTheAboutBoxWithinTenTicks) {
  struct SEnd {
    const char* input;
    uint32_t message;
  } ends[] = {{"key 65\n", platform::kWmKeyDown}, {"down left\n", platform::kWmLButtonDown}};
  // Over the box, where a click lands.
  ASSERT_TRUE(platform::headless::AddScript("move 500 400\n"));
  Settle();
  for (const SEnd& end : ends) {
    CRecordingSplash& box = Build();
    const int64_t due = platform::NowMs() + 2000;
    ASSERT_TRUE(platform::headless::AddScript("wait 2000\n" + std::string(end.input)));
    EXPECT_EQ(box.RunAboutBox(), 0) << end.input;
    EXPECT_GE(platform::NowMs(), due) << end.input;
    EXPECT_LE(platform::MsToTicks(platform::NowMs() - due), 10) << end.input;
    platform::SMessage waiting;
    EXPECT_TRUE(platform::PeekMessage(&waiting, nullptr, end.message, end.message, false)) << end.input;
    platform::headless::AddScript("keyup 65\nup left\n");
    Settle();
  }
}

// The box gives up at once when an entry cannot be laid out (a list without entry 1) or when the data
// pool has no room for its working block; afterwards the pool and the box serve again.
TEST_F(Splashscreen, TheAboutBoxFailsOnAMissingEntryOrAFullDataPool) {
  // The element starts on entry 0, the only one.
  CRecordingSplash& lonely =
      Build(Variant({{"texts \"about text\" {", "texts \"about text\" {\n 0 \"zero\"\n}\n"}, {"index 1", "index 0\n"}}));
  ASSERT_TRUE(platform::headless::AddScript("wait 2000\nkey 65\n"));
  EXPECT_EQ(lonely.RunAboutBox(), kErrGeneric);
  for (const SStep& step : lonely.steps) EXPECT_EQ(step.entry, 0u);
  Settle();

  CRecordingSplash& box = Build();
  CMemPool* pool = GetDataPool();
  std::vector<void*> taken;
  for (size_t size = 1 << 20; size >= 16; size /= 2)
    while (void* block = pool->Alloc(size)) taken.push_back(block);
  ASSERT_LT(pool->GetFreeBytes(), CSplashscreen::kWorkingBytes);
  EXPECT_EQ(box.RunAboutBox(), kErrOutOfMemory);
  EXPECT_FALSE(box.IsShown());
  for (void* block : taken) pool->Free(block);

  ASSERT_TRUE(platform::headless::AddScript("wait 2000\nkey 65\n"));
  EXPECT_EQ(box.RunAboutBox(), kNoErr);
  EXPECT_FALSE(box.steps.empty());
  Settle();
}

// Entry 1 of the program's own list, the first the box shows, names the program and its version.
TEST_F(Splashscreen, TheAboutTextStartsWithTheProgramAndItsVersion) {
  CIxText list(layout.get(), "about text", 1);
  CIxTxHolder held(&list, true);
  ASSERT_TRUE(held.IsHeld());
  EXPECT_EQ(std::string(list.Text()).rfind("Quarn2 ", 0), 0u) << list.Text();
  EXPECT_GE(list.Count(), 4u);
}

}  // namespace
