// The create items: names to operations, the one undo step of a creation, its failures, and the
// picture faces that the picture textures dialog's reply makes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editors/material/pict_textures.h"
#include "scene/sphere.h"
#include "scene/square.h"
#include "tests/app/doc_create_fixture.h"

namespace {

// Notes which create operation ran, and makes nothing.
class CRecordingCreateWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  std::vector<std::string> calls;

#define QUARN2_RECORD(op) \
  int32_t op() override { return Note(#op); }
  QUARN2_RECORD(CreateWaterPlane)
  QUARN2_RECORD(CreateCloudPlane)
  QUARN2_RECORD(CreateGroundPlane)
  QUARN2_RECORD(CreateTerrain)
  QUARN2_RECORD(CreateStone)
  QUARN2_RECORD(CreateSymLattice)
  QUARN2_RECORD(CreateSphere)
  QUARN2_RECORD(CreateEllipsoid)
  QUARN2_RECORD(CreateSquashedSphere)
  QUARN2_RECORD(CreateTorus)
  QUARN2_RECORD(CreateTuboid)
  QUARN2_RECORD(CreateCylinder)
  QUARN2_RECORD(CreateSquashedCylinder)
  QUARN2_RECORD(CreateStretchedCylinder)
  QUARN2_RECORD(CreateCube)
  QUARN2_RECORD(CreateBrickoid)
  QUARN2_RECORD(CreateStretchedCube)
  QUARN2_RECORD(CreatePyramid)
  QUARN2_RECORD(CreateSquashedPyramid)
  QUARN2_RECORD(CreateStretchedPyramid)
  QUARN2_RECORD(CreateCone)
  QUARN2_RECORD(CreateStretchedCone)
  QUARN2_RECORD(CreateSquashedCone)
  QUARN2_RECORD(CreateHorizontalDisk)
  QUARN2_RECORD(CreateVerticalDisk)
  QUARN2_RECORD(CreateHorizontalFace)
  QUARN2_RECORD(CreateRadialLight)
  QUARN2_RECORD(CreateSpotLight)
  QUARN2_RECORD(CreateSquareSpotLight)
  QUARN2_RECORD(CreateParallelLight)
  QUARN2_RECORD(CreateCylinderLight)
#undef QUARN2_RECORD
  int32_t CreateVerticalFace(double aspect) override { return Note("CreateVerticalFace " + std::to_string(aspect)); }

 private:
  int32_t Note(const std::string& call) {
    calls.push_back(call);
    return 0;
  }
};

using DocCreateItems = DocCreateTest;

TEST_F(DocCreateItems, EachNameReachesItsOperationFromAnyCanvas) {
  const struct {
    const char* item;
    const char* operation;
  } cases[] = {
      {"water plane", "CreateWaterPlane"},
      {"cloud plane", "CreateCloudPlane"},
      {"ground plane", "CreateGroundPlane"},
      {"terrain", "CreateTerrain"},
      {"stone", "CreateStone"},
      {"sym lattice", "CreateSymLattice"},
      {"sphere", "CreateSphere"},
      {"ellipsoid", "CreateEllipsoid"},
      {"squashed sphere", "CreateSquashedSphere"},
      {"torus", "CreateTorus"},
      {"tuboid", "CreateTuboid"},
      {"cylinder", "CreateCylinder"},
      {"squashed cylinder", "CreateSquashedCylinder"},
      {"stretched cylinder", "CreateStretchedCylinder"},
      {"cube", "CreateCube"},
      {"brickoid", "CreateBrickoid"},
      {"stretched cube", "CreateStretchedCube"},
      {"pyramid", "CreatePyramid"},
      {"squashed pyramid", "CreateSquashedPyramid"},
      {"stretched pyramid", "CreateStretchedPyramid"},
      {"cone", "CreateCone"},
      {"stretched cone", "CreateStretchedCone"},
      {"squashed cone", "CreateSquashedCone"},
      {"2d Hdisk", "CreateHorizontalDisk"},
      {"2d Vdisk", "CreateVerticalDisk"},
      {"2d Hface", "CreateHorizontalFace"},
      {"2d Vface", "CreateVerticalFace 1.000000"},
      {"radial light", "CreateRadialLight"},
      {"spotlight", "CreateSpotLight"},
      {"square spotlight", "CreateSquareSpotLight"},
      {"parallel light", "CreateParallelLight"},
  };
  auto& w = Made<CRecordingCreateWindow>();
  for (const char* canvas : {"create palette", "doc window", "another canvas"}) {
    for (const auto& c : cases) {
      w.calls.clear();
      EXPECT_EQ(Create(c.item, canvas), kHandled) << c.item;
      EXPECT_EQ(w.calls, std::vector<std::string>{c.operation}) << c.item << " from " << canvas;
    }
  }
  HoldControl(true);
  w.calls.clear();
  EXPECT_EQ(Create("parallel light"), kHandled);
  EXPECT_EQ(w.calls, std::vector<std::string>{"CreateCylinderLight"});
  HoldControl(false);

  // Names that are no item, and a reply from anyone but the picture dialog, are not taken.
  w.calls.clear();
  for (const char* other : {"Sphere", "sphere ", "", "doc window"}) EXPECT_EQ(Create(other), 0) << other;
  EXPECT_TRUE(w.calls.empty());
}

TEST_F(DocCreateItems, ACreationIsOneUndoStepThatUndoesAndRedoes) {
  Made();
  Selection().DeselectAll(1);
  ASSERT_EQ(Create("sphere"), kHandled);
  C3dObject* sphere = Selected();
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(Recorded(), std::vector<C3dObject*>{sphere});
  EXPECT_TRUE(window->GetDirtyBits() & CDocWindow::kDirtyRedraw);
  EXPECT_EQ(sphere->GetOwningTable(), window->GetSceneTable());

  ASSERT_EQ(History().Undo(), 0);
  Selection().RemoveNotOwnedBy(window->GetSceneTable());
  EXPECT_NE(sphere->GetOwningTable(), window->GetSceneTable());
  EXPECT_EQ(Selection().GetCount(), 0u);
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(sphere->GetOwningTable(), window->GetSceneTable());
  EXPECT_EQ(Selected(), sphere);
}

TEST_F(DocCreateItems, AFailedCreationRecordsNothingAndAnUnbuiltActionAnswersNine) {
  CCreateTestWindow& w = MadeCreateWindow();
  auto* previous = History().GetCurrentAction();
  const size_t spheres = Things(C3dSphere::kFamily, C3dSphere::kClassTag).size();
  w.table->refusedFamily = C3dSphere::kFamily;
  EXPECT_EQ(Create("sphere"), kErrExpansion);
  EXPECT_EQ(History().GetCurrentAction(), previous);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), spheres);

  // The action cannot be allocated: the sphere stays, made and selected, with nothing to undo it.
  w.table->refusedFamily = 0;
  w.failAfterSphere = true;
  EXPECT_EQ(Create("sphere"), kErrOutOfMemory);
  w.failAfterSphere = false;
  EXPECT_EQ(History().GetCurrentAction(), previous);
  C3dObject* sphere = Selected();
  ASSERT_NE(sphere, nullptr);
  EXPECT_STREQ(sphere->TypeName(), "C3dSphere");
  EXPECT_EQ(sphere->GetOwningTable(), window->GetSceneTable());
}

TEST_F(DocCreateItems, PictureFacesComeWithThePictureDialogsReply) {
  Made();
  EXPECT_EQ(Create("2d pict"), 0) << "no dialog: not handled";
  std::unique_ptr<CResourceEnv> layout = OpenDataFile("picttextures.dat");
  auto dialog = std::make_unique<CPictTextures>(owner, layout.get(), nullptr);
  window->SetPictTextures(dialog.get());
  auto* previous = History().GetCurrentAction();
  const size_t squares = Things(C3dSquare::kFamily, C3dSquare::kClassTag).size();
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_EQ(Create("2d pict"), kHandled) << twice;
    EXPECT_TRUE(dialog->IsShown()) << twice;
    EXPECT_STREQ(dialog->GetCallerName(), "doc window");
    EXPECT_EQ(dialog->GetTarget(), window->GetDefaultMaterial());
    EXPECT_EQ(dialog->GetResultFlag(), nullptr);
    EXPECT_EQ(dialog->GetChannel(), 0u);
    EXPECT_EQ(History().GetCurrentAction(), previous) << twice;
    EXPECT_EQ(Things(C3dSquare::kFamily, C3dSquare::kClassTag).size(), squares);
  }

  CUIMessage reply = Message("doc window", "picttextures");
  for (const SPointHV size : {SPointHV{300, 0}, SPointHV{0, 200}}) {
    reply.SetPayloadWord(4, size.h);
    reply.SetPayloadWord(5, size.v);
    EXPECT_EQ(window->HandleCreateItem(&reply), kErrInvalidParameter);
    EXPECT_EQ(Things(C3dSquare::kFamily, C3dSquare::kClassTag).size(), squares);
    EXPECT_EQ(History().GetCurrentAction(), previous);
  }
  reply.SetPayloadWord(4, 300);
  reply.SetPayloadWord(5, 200);
  ASSERT_EQ(window->HandleCreateItem(&reply), kHandled);
  C3dObject* face = Selected();
  ASSERT_NE(face, nullptr);
  EXPECT_STREQ(face->TypeName(), "C3dSquare");
  EXPECT_EQ(Recorded(), std::vector<C3dObject*>{face});
  {
    CHolder lock(face, false, false);
    ExpectNear(face->GetScaledSize(), {3, 0, 2}, "picture face", 1e-6);
  }
  window->SetPictTextures(nullptr);
  dialog.reset();
}

}  // namespace
