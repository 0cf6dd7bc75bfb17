// The export render dialog on a real document window: "ok" renders the window's scene through the test
// image plug-in at the dialog's size, turned a quarter turn with auto rotate; and the progress dialog's
// cancel button stops that render with no file written.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "framework/core/io_progress.h"
#include "framework/core/panel_services.h"
#include "framework/core/result_codes.h"
#include "framework/ui/numeric_fields.h"
#include "panels/export_render.h"
#include "panels/io_progress.h"
#include "panels/register_panel_services.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCanvas = "export render";
// The save dialog's filter of the test plug-in's PPM format.
constexpr uint32_t kPpmFilter = 2;

class ExportRenderToDisk : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    char pattern[] = "/tmp/quarn2-export-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    file = OpenDataFile("exportrender.dat");
    dialog = std::make_unique<CExportRender>(owner, file.get());
    ASSERT_EQ(dialog->BuildOnce(), 0);
  }
  void TearDown() override {
    dialog.reset();
    file.reset();
    fs::remove_all(folder);
    DocWindowTest::TearDown();
  }
  // The dialog filled from the window and shown, with 2 inches typed as the printed width.
  void Open(CDocWindow& w) {
    dialog->SetDocumentHost(&w);
    ASSERT_EQ(dialog->Prepare(true), 0);
    dialog->Refresh(false);
    dialog->GetField(CExportRender::kOutsizeX)->SetText("2");
    CExportRender::Fields().lastValue = 2;
    Send("outsize x", kFieldWindowName);
  }
  int32_t Send(const char* element, const char* window = nullptr) {
    CUIMessage message;
    message.Init(0, element, window, kCanvas, 0);
    return dialog->HandleEvent(&message);
  }
  std::string Size(const std::string& path) {
    return RunCommand("identify -format '%w %h' '" + path + "' 2>&1").out;
  }

  std::string folder;
  std::unique_ptr<CResourceEnv> file;
  std::unique_ptr<CExportRender> dialog;
};

TEST_F(ExportRenderToDisk, OkRendersTheTypedSizeTurnedWithAutoRotate) {
  CDocWindow& w = Made({640, 480}, {640, 480});
  Open(w);
  EXPECT_EQ(dialog->GetWidth(), 144);
  EXPECT_EQ(dialog->GetHeight(), 108);
  platform::headless::AnswerFileDialog(folder + "/plain.ppm", kPpmFilter);
  EXPECT_EQ(Send("ok"), 0);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(Size(folder + "/plain.ppm"), "144 108");

  dialog->Refresh(false);
  EXPECT_EQ(Send("auto rotate check"), 0);
  platform::headless::AnswerFileDialog(folder + "/turned.ppm", kPpmFilter);
  EXPECT_EQ(Send("ok"), 0);
  EXPECT_EQ(Size(folder + "/turned.ppm"), "108 144");
}

// The progress dialog with the user's click on its cancel button waiting as soon as it shows.
class CClickedProgress : public CIOProgress {
 public:
  using CIOProgress::CIOProgress;
  void ShowDialog() override {
    CIOProgress::ShowDialog();
    SRect local, cancel;
    GetCancel()->GetLocalRect(&local);
    GetCancel()->LocalToAncestorRect(&cancel, local, nullptr);
    platform::PostMessage(GetWindow(), platform::kWmLButtonDown, 1, platform::MakeLParam(cancel.left, cancel.top));
    ++shown;
  }
  static inline int shown = 0;
  static inline CUICmFunction* owner = nullptr;
};

// The progress dialog opens with the render's first update; a press on its cancel button ends the
// render with 24, leaving no file, and the modal level as it was.
TEST_F(ExportRenderToDisk, TheProgressDialogsCancelStopsTheRender) {
  static constexpr SPanelServices kClicked = {
      [](CResourceEnv* environment) -> CIOProgressDialog* {
        return new CClickedProgress(CClickedProgress::owner, environment);
      },
  };
  CClickedProgress::owner = owner;
  SetPanelServices(&kClicked);
  ASSERT_EQ(SetUpIOProgress(), 0);
  CDocWindow& w = Made({640, 480}, {640, 480});
  Open(w);
  // A picture large enough to take the half second after which the render first reports, on the
  // real clock.
  dialog->GetField(CExportRender::kSizeX)->SetText("4000");
  CExportRender::Fields().lastValue = 4000;
  Send("size x", kFieldWindowName);
  const uint32_t level = owner->GetModalLevel();
  platform::headless::AnswerFileDialog(folder + "/cancelled.ppm", kPpmFilter);
  const int64_t now = platform::NowMs();
  platform::UseRealClock();
  EXPECT_EQ(Send("ok"), kSilentCode24);
  platform::UseVirtualClock(now);
  EXPECT_EQ(CClickedProgress::shown, 1);
  EXPECT_FALSE(GetIOProgressDialog()->IsRunning());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  EXPECT_TRUE(fs::is_empty(folder));
  TearDownIOProgress();
  RegisterPanelServices();
}

}  // namespace
