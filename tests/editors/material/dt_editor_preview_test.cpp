// The 3D texture editor's previews: the heartbeat renders them band by band, the components' first,
// coarse blocks before fine lines, and gives way to input, to a dialog above it and to another
// application.
#include <cstdlib>

#include "framework/core/cm_function.h"
#include "framework/core/random.h"
#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "scene/texture/texture_randomize.h"
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

constexpr std::pair<uint32_t, uint32_t> kRestarted{4, 0};
constexpr std::pair<uint32_t, uint32_t> kComplete{0, 0};

class DTEditorPreview : public DTEditorTest {
 protected:
  void Beat() {
    SHeartbeatRecord record;
    CDTEditor::PreviewHeartbeat(editor.get(), &record, nullptr);
  }
  // Beats until every preview the count shows is complete.
  void RenderAll() {
    for (int beat = 0; beat < 50; ++beat) Beat();
  }
  void InterruptedBeat() { DTEditorTest::InterruptedBeat([this] { Beat(); }); }
};

TEST_F(DTEditorPreview, TheComponentPreviewCompletesBeforeTheFinalOneAndUnusedPanelsStayUntouched) {
  Open();
  Edit([](STextureData& data) { data.count = 1; });
  RestartAll();
  InterruptedBeat();
  EXPECT_EQ(Progress(0), (std::pair<uint32_t, uint32_t>{4, 4}));
  EXPECT_EQ(Progress(3), kRestarted);
  // One band a beat: the final preview waits until the component's is complete.
  for (int beat = 0; beat < 200 && Progress(0) != kComplete; ++beat) {
    InterruptedBeat();
    if (Progress(0) != kComplete) {
      ASSERT_EQ(Progress(3), kRestarted) << beat;
    }
  }
  ASSERT_EQ(Progress(0), kComplete);
  InterruptedBeat();
  EXPECT_EQ(Progress(3), (std::pair<uint32_t, uint32_t>{4, 4}));
  RenderAll();
  EXPECT_EQ(Progress(3), kComplete);
  EXPECT_EQ(Progress(1), kRestarted);
  EXPECT_EQ(Progress(2), kRestarted);
}

// The coarse pass leaves blocks of 4 x 4; the fine pass replaces them with the sampler's lines of the
// whole texture on the preview kind's shape. The last two lines are never drawn.
TEST_F(DTEditorPreview, TheCoarsePassDrawsBlocksAndTheFinePassTheSamplersLines) {
  Open();
  Global(kDTPreviewType)->SetUserWord(0, 2);
  // A texture of some detail, the same at every run.
  GetRandomState() = SRandomState{7, 0, 0};
  Edit([](STextureData& data) {
    data.count = 1;
    Randomize(data);
    data.outputFlags |= kKindColour;
  });
  RestartAll();
  CImage* final = editor->GetPreview(3)->GetImage();
  ASSERT_EQ(final->GetWidth(), 92u);
  ASSERT_EQ(final->GetHeight(), 92u);
  for (int beat = 0; beat < 400 && Progress(3).first != 1; ++beat) InterruptedBeat();
  ASSERT_EQ(Progress(3), (std::pair<uint32_t, uint32_t>{1, 0}));
  uint32_t mismatches = 0;
  for (uint32_t y = 0; y < 90; ++y) {
    const std::vector<uint32_t> line = Line(final, y), top = Line(final, y - y % 4);
    for (uint32_t x = 0; x < 92; ++x) mismatches += line[x] != top[x - x % 4];
  }
  EXPECT_EQ(mismatches, 0u);

  RenderAll();
  EXPECT_EQ(Progress(0), kComplete);
  EXPECT_EQ(Progress(3), kComplete);
  int32_t err = 0;
  std::unique_ptr<CImage> expected(NewDataImage(92, 92, &err));
  ASSERT_NE(expected, nullptr);
  expected->Fill(0);
  C3dTexture* working = editor->GetWorkingTexture();
  {
    CHolder held(working, false, false);
    working->PrepareEvaluation(true);
    for (uint32_t y = 0; y < 90; ++y) ASSERT_EQ(working->SampleForDTEditor(*expected, y, 1, 3, 2), 0);
  }
  for (uint32_t y = 0; y < 90; ++y) ASSERT_EQ(Line(final, y), Line(expected.get(), y)) << y;
  EXPECT_NE(Line(final, 10), Line(final, 80)) << "a flat preview shows nothing of the order of the passes";
}

// A key pressed during a beat ends it after the band; the next beat goes on with the next band.
TEST_F(DTEditorPreview, AKeyEndsTheBeatAfterItsBandAndTheNextBeatGoesOn) {
  Open();
  RestartAll();
  InterruptedBeat();
  EXPECT_EQ(Progress(0), (std::pair<uint32_t, uint32_t>{4, 4}));
  InterruptedBeat();
  EXPECT_EQ(Progress(0), (std::pair<uint32_t, uint32_t>{4, 8}));
}

TEST_F(DTEditorPreview, NothingAdvancesUnderAnotherDialogOrInAnotherApplication) {
  Open();
  RestartAll();
  ASSERT_EQ(saveNew->BuildOnce(), 0);
  saveNew->Refresh(false);
  Beat();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Progress(i), kRestarted) << i;
  saveNew->Close();

  platform::ShowWindow(app->GetMainWindow(), platform::kSwMinimize);
  Beat();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Progress(i), kRestarted) << i;
  platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
  Beat();
  EXPECT_EQ(Progress(0), kComplete);
}

// The previews as a person sees them, written beside the test's files when QUARN2_PREVIEW_DIR names a
// folder (ImageMagick's identify then reports 92 x 92).
TEST_F(DTEditorPreview, TheRenderedPreviewsCanBeWrittenForAPersonToLookAt) {
  OpenWithThreeComponents();
  RestartAll();
  RenderAll();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Progress(i), kComplete) << i;
  const char* folder = std::getenv("QUARN2_PREVIEW_DIR");
  if (!folder) return;
  for (int i = 0; i < 4; ++i) {
    const std::string path = std::string(folder) + "/dt-preview-" + std::to_string(i) + ".bmp";
    CFileSpec spec;
    spec.Set(path.c_str());
    EXPECT_EQ(SaveImageAsBmp(spec, editor->GetPreview(i)->GetImage(), true), 0) << path;
  }
}

}  // namespace
