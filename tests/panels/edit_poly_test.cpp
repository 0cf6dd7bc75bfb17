// The polygon editing panel: counting the selected meshes, smoothing or flattening them with the
// progress on its status line, its angle slider and bar, the checked status texts, and "ok".
#include <array>
#include <memory>
#include <string>

#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "panels/edit_poly.h"
#include "platform/clock.h"
#include "scene/triangle_mesh.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit poly";
// The slider's fill in the layout.
constexpr uint32_t kSliderFill = 0x20262E;

// The panel's progress lines, read after each report it shows.
class CLineRecorder : public CProgressReporter {
 public:
  explicit CLineRecorder(CEditPoly* panel) : panel(panel) {}
  bool IsReporting() const override { return panel->IsReporting(); }
  void ReportProgress(uint32_t pass, uint32_t done, uint32_t total) override {
    panel->ReportProgress(pass, done, total);
    lines.push_back(panel->GetStatusLine());
  }
  CEditPoly* panel;
  std::vector<std::string> lines;
};

class EditPoly : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    panel = Dialog<CEditPoly>("editpoly.dat");
    panel->SetOwner(&window);
  }
  void TearDown() override {
    panel.reset();
    DialogsTest::TearDown();
  }
  // A mesh of `faces` separate triangles tilted alike, selected.
  C3dTriangleMesh* SelectedMesh(uint32_t faces) {
    C3dTriangleMesh* mesh = MakeObject<C3dTriangleMesh>(table);
    for (uint32_t i = 0; i < faces; ++i) {
      const double x = 3.0 * i;
      EXPECT_EQ(mesh->AddTriangle({x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0.5}), 0);
    }
    mesh->ComputeBounds();
    Selection().Add(mesh, 0, 1);
    return mesh;
  }
  void Open() {
    ASSERT_EQ(panel->SetMesh(table), 0);
    panel->Refresh(false);
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return panel->HandleEvent(&message);
  }
  static S3dFace Face(C3dTriangleMesh* mesh, uint32_t index) {
    S3dFace face;
    EXPECT_TRUE(mesh->GetFace(index, &face));
    return face;
  }

  std::unique_ptr<CEditPoly> panel;
};

TEST_F(EditPoly, TheSummaryAndEveryProgressLineCarryTheMeshPrefixOnlyForSeveralMeshes) {
  struct SCase {
    uint32_t meshes;
    const char* summary;
    const char* first;
    const char* last;
  } cases[] = {
      {1, "10 faces", "pass 1 of 2, 10%", "pass 2 of 2, 100%"},
      {2, "2 meshes, 20 faces", "Mesh 1: pass 1 of 2, 10%", "Mesh 2: pass 2 of 2, 100%"},
  };
  for (const SCase& c : cases) {
    std::vector<C3dTriangleMesh*> meshes;
    for (uint32_t i = 0; i < c.meshes; ++i) meshes.push_back(SelectedMesh(10));
    Open();
    EXPECT_EQ(panel->GetStatusLine(), std::string(c.summary));
    CLineRecorder recorder(panel.get());
    CProgressStepper::SetReporter(&recorder);
    EXPECT_EQ(Send("smooth"), 0);
    CProgressStepper::SetReporter(panel.get());
    // Ten faces: a report at every face of each of the two passes.
    ASSERT_EQ(recorder.lines.size(), 20u * c.meshes);
    EXPECT_EQ(recorder.lines.front(), c.first);
    EXPECT_EQ(recorder.lines.back(), c.last);
    EXPECT_EQ(panel->GetStatusLine(), std::string("Done."));
    EXPECT_EQ(Send("ok"), kHandled);
    for (C3dTriangleMesh* mesh : meshes) Selection().Deselect(mesh);
  }
}

TEST_F(EditPoly, SmoothAndUnsmoothSetTheNormalsAndFacesOfTheMeshesOnly) {
  C3dTriangleMesh* mesh = SelectedMesh(3);
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  const vector3<double> size = sphere->GetScaledSize();
  Open();
  EXPECT_EQ(panel->GetMeshCount(), 1u);
  EXPECT_EQ(panel->GetFaceCount(), 3u);
  EXPECT_EQ(Send("smooth"), 0);
  const uint32_t normals = mesh->GetNormalCount();
  EXPECT_GT(normals, 0u);
  for (uint32_t i = 0; i < 3; ++i) {
    const S3dFace face = Face(mesh, i);
    EXPECT_EQ(face.smooth, S3dFace::kSmooth) << i;
    EXPECT_EQ(face.cornerFlags[0] | face.cornerFlags[1] | face.cornerFlags[2], 0u) << i;
    EXPECT_GT(face.faceNormal.z, 0.0) << i;
  }
  EXPECT_EQ(Send("unsmooth"), 0);
  EXPECT_EQ(mesh->GetNormalCount(), normals);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(Face(mesh, i).smooth, 0u) << i;
  EXPECT_EQ(sphere->GetScaledSize(), size);
  // "ok" hides the panel, lowers the level and tells the control palette; the document changed.
  const uint32_t level = owner->GetModalLevel();
  window.calls.clear();
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(panel->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level - 1);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "objinfochanged 4", "find parts"}));
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
}

TEST_F(EditPoly, TheSliderFollowsThePointerAndTheBarShowsTheAngle) {
  SelectedMesh(1);
  Open();
  EXPECT_EQ(panel->GetAngle(), CEditPoly::kStartAngle);
  CElement* slider = Find(*panel, "slider");
  SRect local;
  slider->GetLocalRect(&local);
  const int32_t height = RectHeight(local);
  const SPointHV middle = OnScreen(slider, {RectWidth(local) / 2, height / 2});
  const auto drag = [&](int32_t dv) {
    Script("move " + std::to_string(middle.h) + " " + std::to_string(middle.v) + "\ndown left\nwait 40\nmove " +
           std::to_string(middle.h) + " " + std::to_string(middle.v + dv) + "\nwait 40\nup left\n");
  };
  drag(-height);
  EXPECT_EQ(panel->GetAngle(), 180);
  EXPECT_EQ(panel->GetStatusLine(), std::string("Angle 180\xB0"));
  panel->SetMesh(table);
  drag(height / 2);
  EXPECT_EQ(panel->GetAngle(), 90);
  drag(height / 2);
  EXPECT_EQ(panel->GetAngle(), 0);
  // The angle stays for the next opening.
  EXPECT_EQ(Send("ok"), kHandled);
  Open();
  EXPECT_EQ(panel->GetAngle(), 0);

  for (uint32_t angle : {0u, 90u, 180u}) {
    slider->SetUserWord(0, angle);
    int32_t err = 0;
    std::unique_ptr<CImage> port(NewDataImage(uint32_t(RectWidth(local)), uint32_t(height), &err));
    ASSERT_TRUE(port && port->Fill(0xFF112233));
    CSgStSaver placed(port.get(), local.left, local.top, true);
    // Every pass of the element as the window draws it: the layout's fill, then the bar.
    for (uint32_t pass = 0; pass < 3; ++pass) EXPECT_EQ(slider->Draw(pass, port.get(), false), 0);
    const int32_t bar = int32_t(height * angle / 180);
    CImNavigator cells(port.get(), nullptr, false, false);
    ASSERT_TRUE(cells.IsUsable());
    for (int32_t row = 0; row < height; ++row) {
      const uint32_t expected = row >= height - bar ? CEditPoly::kBarColour : kSliderFill;
      EXPECT_EQ(cells.Cells(uint32_t(row))[1].value & 0xFFFFFF, expected) << angle << " row " << row;
    }
  }
}

TEST_F(EditPoly, AStatusTextIsUsedOnlyWithTheConversionsOfItsRow) {
  struct SCase {
    const char* text;
    uint32_t row;
    bool fits;
  } cases[] = {
      {"pass %ld of 2, %ld", CEditPoly::kProgressText, true}, {"%ld%% done", CEditPoly::kAngleText, true},
      {"%s faces", CEditPoly::kFacesText, false},             {"%ld of %ld", CEditPoly::kFacesText, false},
      {"Done %d", CEditPoly::kDoneText, false},               {"Done.", CEditPoly::kDoneText, true},
      {"%ld %n", CEditPoly::kMeshPrefix, false},              {"%", CEditPoly::kStartText, false},
  };
  for (const SCase& c : cases) EXPECT_EQ(CEditPoly::FitsRow(c.text, c.row), c.fits) << c.text;
  // The layout's texts all fit.
  for (uint32_t row = 0; row < CEditPoly::kTextCount; ++row) EXPECT_TRUE(CEditPoly::FitsRow(panel->GetText(row), row));
}

TEST_F(EditPoly, TheEndOfAComputationStandsSixtyTicksBeforeTheCountsComeBack) {
  SelectedMesh(2);
  Open();
  EXPECT_EQ(Send("unsmooth"), 0);
  Beat(&CEditPoly::OnHeartbeat, panel.get());
  EXPECT_EQ(panel->GetStatusLine(), std::string("Done."));
  platform::SleepMs(1050);
  Beat(&CEditPoly::OnHeartbeat, panel.get());
  EXPECT_EQ(panel->GetStatusLine(), std::string("2 faces"));
}

}  // namespace
