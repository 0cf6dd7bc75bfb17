// Documents of imported meshes through the program's whole round: a DXF of 400 circles with
// thickness imported, previewed by the control palette, rendered, duplicated and saved, every save
// succeeding, the saved file reopening to the same picture on one thread and on eight; each kind of
// render leaving every lock count where it was; and a document of fourteen meshes, larger than the
// objects pool, previewed again and again. QUARN2_MESH_ROUNDS sets how many rounds the first test goes
// (two by default; bench/mesh_document_stress.sh runs twenty).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "document/render_to_disk.h"
#include "framework/core/four_cc.h"
#include "framework/core/mem_pool.h"
#include "scene/triangle_mesh.h"
#include "scene/render_hold.h"
#include "tests/app/palette_preview_fixture.h"
#include "tests/framework/core/lock_counts.h"

namespace {

constexpr SPointHV kSmall{160, 120};

class MeshDocument : public PaletteTest {
 protected:
  void SetUp() override {
    PaletteTest::SetUp();
    if (HasFatalFailure()) return;
    const std::string command = std::string("/usr/bin/python3 ") + QUARN2_CIRCLES_SCRIPT + " '" +
                                Path("circles.dxf") + "' 400 > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* plugin : {"Osprel.qno", "Vendrix.qno"})
      std::filesystem::copy_file(std::filesystem::path(QUARN2_PLUGINS_DIR) / plugin, Path(std::string("Plugins/") + plugin));
  }
  void TearDown() override {
    unsetenv("QUARN2_THREADS");
    PaletteTest::TearDown();
  }

  // A new small window, current and shown, with the palette beside it.
  void NewWindow() {
    SetCurrentDocWindow(nullptr);
    Made(kSmall, kSmall);
    if (!palette) MakePalette();
    Show({0, 0, kSmall.v, kSmall.h});
    SetCurrentDocWindow(window);
    MovePointer({0, 700});
  }
  uint32_t MeshCount() { return uint32_t(Things(C3dTriangleMesh::kFamily, C3dTriangleMesh::kClassTag).size()); }
  int32_t ImportCircles() {
    Answer("open " + Path("circles.dxf"));
    return window->ImportObject();
  }
  // The palette's preview, as its heartbeat renders it in slices, to the end.
  void Preview() {
    palette->RestartPreview();
    for (int i = 0; i < 200 && palette->IsPreviewPending(); ++i) {
      AdvanceTicks(200);
      ASSERT_EQ(palette->HeartbeatStep(0), 0);
    }
    EXPECT_FALSE(palette->IsPreviewPending());
  }
  // A whole render into the window on the number of threads.
  std::vector<uint32_t> Render(const char* threads) {
    setenv("QUARN2_THREADS", threads, 1);
    EXPECT_EQ(Button("clear & render button"), kHandled);
    EXPECT_EQ(Beat(), 0) << threads;
    unsetenv("QUARN2_THREADS");
    std::vector<uint32_t> pixels;
    CImNavigator nav(window->GetRenderedImage(), nullptr, false, false);
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
  void DuplicateAll() {
    ASSERT_EQ(window->SelectAll(), 0);
    ASSERT_EQ(window->DuplicateSelection(), 0);
  }
  int32_t SaveAs(const std::string& name) {
    Answer("save " + Path(name));
    return window->SaveDocument(1);
  }
  int32_t Open(const std::string& name) {
    const CFileSpec spec = Spec(name);
    return window->OpenDocument(0, &spec, false);
  }
  LockCountMap Counts() const {
    return LockCounts({app->GetObjectsEnv(), app->GetDataEnv(), app->GetDiscardEnv()});
  }
};

TEST_F(MeshDocument, ImportPreviewRenderDuplicateAndSaveAsSucceedEveryRound) {
  const char* asked = std::getenv("QUARN2_MESH_ROUNDS");
  const int rounds = asked && std::atoi(asked) > 0 ? std::atoi(asked) : 2;
  for (int round = 0; round < rounds && !HasFailure(); ++round) {
    SCOPED_TRACE("round " + std::to_string(round + 1));
    NewWindow();
    ASSERT_EQ(ImportCircles(), 0);
    // One mesh of each of the drawing's seven colours.
    ASSERT_EQ(MeshCount(), 7u);
    Preview();
    Render("");
    DuplicateAll();
    ASSERT_EQ(MeshCount(), 14u);
    const std::string name = "round" + std::to_string(round) + ".qnc";
    ASSERT_EQ(SaveAs(name), 0);
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kUnsavedChanges);

    NewWindow();
    ASSERT_EQ(Open(name), 0);
    ASSERT_EQ(MeshCount(), 14u);
    const std::vector<uint32_t> one = Render("1");
    EXPECT_EQ(Render("8"), one);
  }
}

// The window's render, whole and stopped, the palette's preview, whole and stopped, and the render to
// disk leave every spooled object's lock count where it was, and the document then saves.
TEST_F(MeshDocument, NoKindOfRenderLeavesALockBehind) {
  Install(kImage);
  NewWindow();
  ASSERT_EQ(ImportCircles(), 0);
  const LockCountMap before = Counts();
  const auto unchanged = [&](const char* after) {
    EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << after;
    EXPECT_EQ(CRenderHold::HeldBytes(), 0u) << after;
  };

  Render("");
  unchanged("a window render");
  ASSERT_EQ(Button("clear & render button"), kHandled);
  ASSERT_TRUE(platform::headless::AddScript("key 32\n"));
  EXPECT_EQ(Beat(), 24);
  app->FlushInput();
  unchanged("a stopped window render");

  Preview();
  unchanged("a preview");
  palette->RestartPreview();
  AdvanceTicks(200);
  ASSERT_TRUE(platform::headless::AddScript("wait 20\ndown left\nup left\n"));
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  Settle();
  app->FlushInput();
  unchanged("a stopped preview");

  platform::headless::AnswerFileDialog(Path("disk.ppm"), 2);
  SDiskRender disk;
  disk.width = 40;
  disk.height = 30;
  disk.pluginFolder = folder_;
  EXPECT_EQ(RenderToDisk(window->GetRenderState(), disk), 0);
  unchanged("a render to disk");

  EXPECT_EQ(SaveAs("after.qnc"), 0);
}

// A document of fourteen meshes, more than the objects pool holds, opened and previewed twenty times.
TEST_F(MeshDocument, AFourteenMeshDocumentPreviewsTwentyTimes) {
  NewWindow();
  ASSERT_EQ(ImportCircles(), 0);
  DuplicateAll();
  ASSERT_EQ(SaveAs("fourteen.qnc"), 0);
  NewWindow();
  ASSERT_EQ(Open("fourteen.qnc"), 0);
  ASSERT_EQ(MeshCount(), 14u);
  uint64_t bytes = 0;
  for (C3dBase* mesh : Things(C3dTriangleMesh::kFamily, C3dTriangleMesh::kClassTag)) bytes += mesh->GetSpooledBytes();
  EXPECT_GT(bytes, GetObjectPool()->GetBudget());
  std::vector<uint32_t> first;
  for (int i = 0; i < 20 && !HasFailure(); ++i) {
    Preview();
    std::vector<uint32_t> pixels;
    CImNavigator nav(palette->GetPreviewImage(), nullptr, false, false);
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    if (first.empty()) first = pixels;
    else EXPECT_EQ(pixels, first) << "preview " << i + 1;
  }
}

}  // namespace
