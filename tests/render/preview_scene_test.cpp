#include "render/preview_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "platform/device_context.h"
#include "framework/core/window_handler.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "platform/headless.h"
#include "render/preview_document.h"
#include "render/view.h"
#include "scene/cone.h"
#include "scene/cylinder.h"
#include "scene/height_field.h"
#include "scene/sky.h"
#include "scene/torus.h"
#include "tests/render/render_fixture.h"

namespace {

using Point = vector3<double>;

// A document window as the previews see it: a sky and sun of the test's table, and the table.
class CTestDocument : public CPreviewDocument {
 public:
  uint32_t GetRenderSettings() const override { return settings; }
  SViewStyle GetViewStyle() const override { return style; }
  C3dSky* GetSky() const override { return sky; }
  C3dSunLight* GetSun() const override { return sun; }
  C3dBaseSys* GetScene() const override { return scene; }

  uint32_t settings = 0x2BF;
  SViewStyle style;
  C3dSky* sky = nullptr;
  C3dSunLight* sun = nullptr;
  C3dBaseSys* scene = nullptr;
};

class PreviewScene : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  }
  void TearDown() override {
    RegisterPreviewDocument(nullptr);
    preview.reset();
    C3dBaseSys::UnregisterAllClasses();
    RenderTest::TearDown();
  }
  CPreviewScene& Build(uint32_t shape = CPreviewScene::kSphere, int32_t size = 96) {
    preview = std::make_unique<CPreviewScene>();
    EXPECT_TRUE(preview->IsReady());
    EXPECT_EQ(preview->BuildSample(size, size, true, false, shape), 0);
    return *preview;
  }
  // A document with a sky, a sun and a selected sphere.
  CTestDocument& RegisterDocument() {
    document.scene = table;
    document.sky = MakeObject<C3dSky>(table);
    document.sun = MakeObject<C3dSunLight>(table);
    document.sun->SetColour({0.5f, 0.25f, 1});
    RegisterPreviewDocument(&document);
    return document;
  }
  // A render into a headless surface until it finishes.
  int32_t RenderAll(CPreviewScene& p) {
    platform::Surface surface(120, 120);
    surface.Fill(0, 0, 120, 120, 0x00ABCDEF);
    platform::DeviceContext* dc = platform::CreateSurfaceDC(&surface);
    int32_t result = 24;
    for (int i = 0; i < 100 && result == 24; ++i) result = p.Render(dc, SRect{10, 10, 106, 106});
    platform::ReleaseDC(dc);
    lastSurface = surface.Pixel(58, 58);
    return result;
  }
  static Point Size(C3dObject* object) { return object->GetScaledSize(); }

  std::unique_ptr<CPreviewScene> preview;
  CTestDocument document;
  uint32_t lastSurface = 0;
};

TEST_F(PreviewScene, TheBuiltSceneHasItsThingsInPlace) {
  CPreviewScene& p = Build();
  ASSERT_EQ(p.GetObjectEntry(0), p.GetGround());
  C3dObject* sphere = p.GetObjectEntry(1);
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(sphere, p.GetSample());
  EXPECT_EQ(sphere->GetClass(), C3dSphere::kClassTag);
  ExpectNear(sphere->GetTransformVector3(), {0, 1.26, 0});
  ExpectNear(Size(sphere), {2.5, 2.5, 2.5});

  C3dSunLight* sun = p.GetSun();
  ASSERT_EQ(p.GetLightEntry(0), sun);
  EXPECT_EQ(sun->GetColour(), (vector3<float>{1, 1, 1}));
  ExpectNear(sun->GetDirection(), {0.57735, 0.57735, -0.57735}, 1e-5);

  C3dCamera* camera = p.GetCamera();
  ExpectNear(camera->GetTransformVector3(), {3.25, 1.25, -3.25});
  ExpectNear(camera->GetView().target, {0, 1.25, 0});
  const Point towards = Point{0, 1.25, 0} - Point{3.25, 1.25, -3.25};
  ExpectNear(camera->GetView().direction, towards * (1 / std::sqrt(Dot(towards, towards))), 1e-9);
  EXPECT_EQ(camera->GetView().fieldAngle, 1.0471973419189453);
  EXPECT_EQ(camera->GetView().extentX, 1.0);
  EXPECT_EQ(camera->GetView().extentY, 1.0);

  ASSERT_NE(p.GetOwnSky(), nullptr);
  EXPECT_EQ(p.GetSky(), p.GetOwnSky());
  EXPECT_STREQ(p.GetSky()->TypeName(), "C3dBaseSky");
  EXPECT_NE(p.GetSky()->GetCloudTexture(0), nullptr);
  EXPECT_NE(p.GetSky()->GetCloudTexture(1), nullptr);
  EXPECT_EQ(p.GetRenderer().GetSettings().fFlags, SRenderSettings::kDefaultFlags);
  EXPECT_TRUE(p.IsRenderPending());

  EXPECT_EQ(RenderAll(p), 0);
  EXPECT_FALSE(p.IsRenderPending());
  EXPECT_NE(lastSurface, 0x00ABCDEFu);  // drawn at the destination
  // A second build is refused.
  EXPECT_EQ(p.BuildSample(96, 96, true, false, CPreviewScene::kSphere), 15);
}

TEST_F(PreviewScene, EachShapeCodeMakesItsSampleInPlace) {
  CPreviewScene& p = Build();
  C3dMaterial* material = MakeObject<C3dMaterial>(table);  // the dialog's
  C3dObject* sphere = p.GetSample();
  sphere->SetMaterial(material->GetHandle());

  const double quarter = std::numbers::pi / 2;
  const struct {
    uint32_t code;
    uint32_t classTag;
    Point position;
    Point size;
    Point rotation;
  } cases[] = {
      {CPreviewScene::kCylinder, C3dCylinder::kClassTag, {0, 1.26, 0}, {2.5, 2.5, 2.5}, {}},
      {CPreviewScene::kCube, FourCC("cube"), {0, 1.26, 0}, {2.5, 2.5, 2.5}, {}},
      {CPreviewScene::kCone, C3dCone::kClassTag, {0, 1.26, 0}, {2.5, 2.5, 2.5}, {}},
      {CPreviewScene::kTerrain, C3dHeightField::kClassTag, {0, 1.25, 0}, {8, 2, 8}, {}},
      {CPreviewScene::kTorus, C3dTorus::kClassTag, {0, 1.25, 0}, {2.5, 0.75, 2.5}, {-quarter, 0, 0}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(p.PerformCommand(c.code), 0) << c.code;
    C3dObject* shape = p.GetSample();
    ASSERT_EQ(p.GetObjectEntry(1), shape);
    EXPECT_EQ(shape, p.GetShape(c.code));
    EXPECT_EQ(shape->GetClass(), c.classTag);
    ExpectNear(shape->GetTransformVector3(), c.position, 1e-9);
    ExpectNear(Size(shape), c.size, 1e-9);
    ExpectNear(shape->GetTransformVector2(), c.rotation, 1e-12);
    EXPECT_EQ(shape->GetMaterial(), material->GetHandle());
    EXPECT_EQ(p.GetShapeCode(), c.code);
  }
  auto* torus = static_cast<C3dTorus*>(p.GetShape(CPreviewScene::kTorus));
  EXPECT_EQ(torus->GetMinorRadius(), 1.0);
  EXPECT_EQ(torus->GetMajorRadius(), 3.0);

  // The first sphere again, with the material moved on to it.
  sphere->SetMaterial(kNoHandle);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSphere), 0);
  EXPECT_EQ(p.GetSample(), sphere);
  EXPECT_EQ(sphere->GetMaterial(), material->GetHandle());

  // The ground itself with the sample's material, shown.
  EXPECT_TRUE(p.GetGround()->GetStateFlags() & C3dObject::kExcluded);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kGround), 0);
  EXPECT_EQ(p.GetSample(), p.GetGround());
  EXPECT_EQ(p.GetGround()->GetMaterial(), material->GetHandle());
  EXPECT_FALSE(p.GetGround()->GetStateFlags() & C3dObject::kExcluded);
  EXPECT_EQ(p.GetShapeCode(), CPreviewScene::kGround);

  // Close-up and back.
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kCloseUp), 0);
  EXPECT_EQ(p.GetCamera()->GetView().extentX, 0.5);
  EXPECT_EQ(p.GetCamera()->GetView().extentY, 0.5);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kNormalView), 0);
  EXPECT_EQ(p.GetCamera()->GetView().extentX, 1.0);
  EXPECT_EQ(p.PerformCommand(FourCC("xxxx")), 0);

  preview.reset();
  // The dialog's material outlives the preview.
  CHolder holder(material, false, false);
  EXPECT_TRUE(holder.IsLocked());
}

TEST_F(PreviewScene, TheGroundWearsItsOwnMaterialOrTheSamples) {
  CPreviewScene& p = Build();
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  p.GetSample()->SetMaterial(material->GetHandle());
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kCube), 0);
  const Handle32 own = p.GetGroundMaterial()->GetHandle();
  EXPECT_EQ(p.GetGround()->GetMaterial(), own);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kGroundMaterial), 0);
  EXPECT_FALSE(p.GroundKeepsOwnMaterial());
  EXPECT_EQ(p.GetGround()->GetMaterial(), material->GetHandle());
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kGroundMaterial), 0);
  EXPECT_EQ(p.GetGround()->GetMaterial(), own);
}

TEST_F(PreviewScene, TheSkyPreviewHasNoGroundAndASmallSample) {
  CPreviewScene& p = Build();
  ASSERT_EQ(p.ArrangeForSky(), 0);
  EXPECT_EQ(p.GetObjectEntry(0), nullptr);
  ExpectNear(p.GetSample()->GetTransformVector3(), {0, 0.8, 0});
  ExpectNear(Size(p.GetSample()), {0.4, 0.4, 0.4});
  EXPECT_EQ(RenderAll(p), 0);
}

TEST_F(PreviewScene, TheDocumentsSkyAndACopyOfItsSunReplaceTheOwn) {
  CTestDocument& doc = RegisterDocument();
  CPreviewScene& p = Build();
  EXPECT_EQ(p.GetRenderer().GetSettings().fFlags, 0x2BFu);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kOwnSky), 0);
  EXPECT_FALSE(p.UsesOwnSky());
  EXPECT_EQ(p.GetSky(), doc.sky);
  EXPECT_NE(p.GetSun(), doc.sun);
  EXPECT_EQ(p.GetSun()->GetColour(), (vector3<float>{0.5f, 0.25f, 1}));
  EXPECT_EQ(p.GetRenderer().GetSettings().fSky, doc.sky);
  EXPECT_EQ(RenderAll(p), 0);

  ASSERT_EQ(p.PerformCommand(CPreviewScene::kOwnSky), 0);
  EXPECT_EQ(p.GetSky(), p.GetOwnSky());
  EXPECT_EQ(p.GetSun()->GetColour(), (vector3<float>{1, 1, 1}));
  EXPECT_EQ(p.GetRenderer().GetSettings().fSky, p.GetOwnSky());
  EXPECT_EQ(p.GetRenderer().GetSettings().fShadowLightness, 0.5);
}

TEST_F(PreviewScene, CopiesOfTheSelectionReplaceOrFollowEachOther) {
  CPreviewScene& p = Build();
  EXPECT_EQ(p.PerformCommand(CPreviewScene::kSelection), 6);  // no document
  RegisterDocument();
  EXPECT_EQ(p.PerformCommand(CPreviewScene::kSelection), 6);  // nothing selected

  C3dSphere* ball = NewSphere({1, 1, 1}, {5, 5, 5});
  ball->SetFlags(C3dObject::kSelected);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
  C3dObject* copy = p.GetCopy();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, ball);
  EXPECT_EQ(p.GetSample(), copy);
  EXPECT_EQ(copy->GetClass(), C3dSphere::kClassTag);
  EXPECT_EQ(copy->GetMaterial(), kNoHandle);  // the duplicate's own material went
  ExpectNear(copy->GetTransformVector3(), {0, 1.26, 0});
  ExpectNear(Size(copy), {2.5, 2.5, 2.5});

  // Another sphere: the copy stays and takes its state.
  ball->SetFlags(C3dObject::kSelected, false);
  C3dSphere* other = NewSphere({2, 1, 1}, {1, 2, 3});
  other->SetFlags(C3dObject::kSelected);
  other->SetCreationWord(1, 0x00123456);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
  EXPECT_EQ(p.GetCopy(), copy);
  EXPECT_EQ(copy->GetCreationWord(1), 0x00123456u);
  ExpectNear(copy->GetTransformVector3(), {0, 1.26, 0});

  // A cube replaces it.
  other->SetFlags(C3dObject::kSelected, false);
  C3dCube* cube = MakeShape<C3dCube>(table);
  cube->SetFlags(C3dObject::kSelected);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
  EXPECT_NE(p.GetCopy(), nullptr);
  EXPECT_EQ(p.GetCopy()->GetClass(), cube->GetClass());
  EXPECT_EQ(p.GetSample(), p.GetCopy());
  EXPECT_EQ(p.GetShapeCode(), CPreviewScene::kSelection);
  EXPECT_EQ(RenderAll(p), 0);
}

TEST_F(PreviewScene, EveryShapeTheGroundAndTwoCopiesLeaveNothingBehind) {
  RegisterDocument();
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  NewSphere()->SetFlags(C3dObject::kSelected);
  CPreviewScene& p = Build(CPreviewScene::kTorus);
  p.GetSample()->SetMaterial(material->GetHandle());
  for (const uint32_t code : {CPreviewScene::kSphere, CPreviewScene::kCylinder, CPreviewScene::kCube,
                              CPreviewScene::kCone, CPreviewScene::kTerrain, CPreviewScene::kTorus,
                              CPreviewScene::kGround})
    ASSERT_EQ(p.PerformCommand(code), 0) << code;
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
  ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
  // A group, shown by its members, made anew each time.
  for (uint32_t row = 0; row < table->GetCount(); ++row) {
    if (C3dObject* object = (*table)[row].object ? (*table)[row].object->AsObject() : nullptr)
      object->SetFlags(C3dObject::kSelected, false);
  }
  C3dGroup* group = NewGroup({NewSphere({1, 1, 1}, {-2, 0, 0}), NewSphere({1, 1, 1}, {2, 0, 0})});
  group->SetFlags(C3dObject::kSelected);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(p.PerformCommand(CPreviewScene::kSelection), 26);
    ASSERT_NE(p.GetCopy(), nullptr);
    EXPECT_EQ(p.GetCopy()->GetClass(), C3dGroup::kClassTag);
    EXPECT_EQ(p.GetObjectCount(), 4u);  // the ground, two members, the group
  }
  EXPECT_EQ(RenderAll(p), 0);
  p.GetCopy()->SetMaterial(material->GetHandle());
  preview.reset();
  CHolder holder(material, false, false);
  EXPECT_TRUE(holder.IsLocked());
}

TEST_F(PreviewScene, UnlockableThingsAnswerTheirCodes) {
  CPreviewScene& p = Build();
  C3dSphereLight* lamp = NewRadialLight({0, 0, 0}, 1);
  ASSERT_EQ(p.BuildObjectSample(CPreviewScene::kLight, lamp), 26);
  C3dObject* copy = p.GetLightEntry(1);
  ASSERT_EQ(copy, p.GetCopy());
  ExpectNear(copy->GetTransformVector3(), {0, 2, 0});
  ASSERT_TRUE(copy->PageOut());
  copy->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(p.Render(nullptr, SRect{0, 0, 96, 96}), 9);
  copy->SetValidator(nullptr);
  EXPECT_EQ(p.GetSky()->GetLockCount(), 0u);
  EXPECT_EQ(p.GetSun()->GetLockCount(), 0u);

  C3dSky* sky = p.GetOwnSky();
  ASSERT_TRUE(sky->PageOut());
  sky->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(p.Refresh(), 1);
  sky->SetValidator(nullptr);
  EXPECT_EQ(p.Refresh(), 0);

  C3dCamera* other = MakeObject<C3dCamera>(table);
  ASSERT_EQ(p.CopyCameraTo(other), 0);
  EXPECT_EQ(other->GetView(), p.GetCamera()->GetView());
  ASSERT_TRUE(other->PageOut());
  other->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(p.CopyCameraTo(other), 1);
  EXPECT_EQ(CPreviewScene::CheckObject(other), 9);
  other->SetValidator(nullptr);
  EXPECT_EQ(CPreviewScene::CheckObject(other), 0);
  C3dCamera* camera = p.GetCamera();
  ASSERT_TRUE(camera->PageOut());
  camera->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(p.CopyCameraTo(other), 1);
  camera->SetValidator(nullptr);
}

// A sample that notes, each time the preview draws its wireframe, whether the cursor is hidden and
// where it is.
class CCursorProbe : public CTestSolid {
 public:
  using CTestSolid::CTestSolid;
  bool DrawWireframe(CLineDrawer*, const C34Matrix&, uint32_t, bool) override {
    hidden.push_back(GetApplication()->IsCursorHidden());
    cursor.push_back(platform::GetCursorPos());
    return false;
  }
  std::vector<bool> hidden;
  std::vector<platform::SPoint> cursor;
};

class PreviewDrag : public PreviewScene {
 protected:
  void SetUp() override {
    PreviewScene::SetUp();
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    SElementDesc desc;
    CElement::MakeDescription(desc, {4, 6, 100, 102}, true, false, false, "preview", "", "");
    element = std::make_unique<CElement>(desc);
  }
  void TearDown() override {
    element.reset();
    PreviewScene::TearDown();
  }
  // The keys held (virtual key codes), then a press at (200, 200), a move by (dx, dy) and the release,
  // through Paint.
  void Drag(CPreviewScene& p, std::vector<uint32_t> keys, int32_t dx, int32_t dy) {
    std::string script = "move 200 200\n";
    for (const uint32_t key : keys) script += "key " + std::to_string(key) + "\n";
    script += "down left\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    while (platform::headless::PendingInputs() > 0) app->Pump();
    app->FlushInput();  // the press went to whoever called Paint
    ASSERT_TRUE(platform::headless::AddScript("wait 30\nmove " + std::to_string(200 + dx) + " " +
                                              std::to_string(200 + dy) + "\nwait 30\nup left\n"));
    platform::Surface surface(120, 120);
    platform::DeviceContext* dc = platform::CreateSurfaceDC(&surface);
    SWinEvent press;
    press.Init();
    EXPECT_EQ(p.Paint(element.get(), dc, &press), 0);
    platform::ReleaseDC(dc);
    shown = surface.Pixel(6 + 48, 4 + 48);
    std::string release;
    for (const uint32_t key : keys) release += "keyup " + std::to_string(key) + "\n";
    if (!release.empty()) {
      ASSERT_TRUE(platform::headless::AddScript(release));
    }
    while (platform::headless::PendingInputs() > 0) app->Pump();
    app->FlushInput();
  }
  // A camera with the preview camera's settings.
  C3dCamera* Reference(CPreviewScene& p) {
    C3dCamera* camera = MakeObject<C3dCamera>(table);
    EXPECT_EQ(p.CopyCameraTo(camera), 0);
    return camera;
  }
  static void ExpectSameView(C3dCamera* a, C3dCamera* b) {
    ExpectNear(a->GetTransformVector3(), b->GetTransformVector3(), 1e-12);
    ExpectNear(a->GetView().direction, b->GetView().direction, 1e-12);
    ExpectNear(a->GetView().up, b->GetView().up, 1e-12);
    ExpectNear(a->GetView().target, b->GetView().target, 1e-12);
    EXPECT_DOUBLE_EQ(a->GetView().offsetX, b->GetView().offsetX);
    EXPECT_DOUBLE_EQ(a->GetView().offsetY, b->GetView().offsetY);
  }

  std::unique_ptr<CElement> element;
  uint32_t shown = 0;
};

TEST_F(PreviewDrag, APlainDragOrbitsTheCameraWithTheCursorHeldAtThePress) {
  CPreviewScene& p = Build();
  ASSERT_EQ(RenderAll(p), 0);
  CCursorProbe* probe = MakeObject<CCursorProbe>(table);
  ASSERT_EQ(p.SetSampleObject(probe), 0);
  ASSERT_EQ(RenderAll(p), 0);
  C3dCamera* expected = Reference(p);
  expected->OrbitA(0.1);
  expected->OrbitB(0.05);
  Drag(p, {}, 10, 5);
  ExpectSameView(p.GetCamera(), expected);
  ASSERT_FALSE(probe->hidden.empty());
  for (size_t i = 0; i < probe->hidden.size(); ++i) {
    EXPECT_TRUE(probe->hidden[i]) << i;
    EXPECT_EQ(probe->cursor[i].x, 200) << i;
    EXPECT_EQ(probe->cursor[i].y, 200) << i;
  }
  EXPECT_FALSE(app->IsCursorHidden());
  // The wireframe is what the element shows, and a render is wanted again.
  EXPECT_EQ(shown, 0x00CACACAu);
  EXPECT_TRUE(p.IsRenderPending());
  EXPECT_EQ(RenderAll(p), 0);
}

TEST_F(PreviewDrag, CtrlMovesAlongTheViewSpaceShiftsItAndAltGoesHome) {
  CPreviewScene& p = Build();
  C3dCamera* expected = Reference(p);
  const Point step = expected->GetView().direction * (-0.02 * 5);
  expected->SetTransformVector3(expected->GetTransformVector3() + step);
  expected->GetView().target += step;
  expected->OrbitA(0.1);
  Drag(p, {platform::kVkControl}, 10, 5);
  ExpectSameView(p.GetCamera(), expected);

  expected = Reference(p);
  expected->GetView().offsetX += 0.001 * -8;
  expected->GetView().offsetY += 0.001 * 3;
  Drag(p, {platform::kVkSpace}, -8, 3);
  ExpectSameView(p.GetCamera(), expected);

  Drag(p, {}, 30, 20);
  Drag(p, {platform::kVkMenu}, 4, 4);
  ExpectNear(p.GetCamera()->GetTransformVector3(), {3.25, 1.25, -3.25}, 1e-12);
  ExpectNear(p.GetCamera()->GetView().target, {0, 1.25, 0}, 1e-12);
}

// The options menu as a dialog loads it: a pop-up of every command, its ticks independent, over a
// canvas at (100, 100); it opens to the right of (110, 110) with rows 19 pixels high.
TEST_F(PreviewScene, TheOptionsMenuTicksTheOptionsAndCarriesOutTheChoice) {
  CPreviewScene& p = Build();
  CCanvas owner(SRect{100, 100, 400, 400}, true, 0x80000000, nullptr, 10);
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  CMenu menu(layout);
  menu.SetMenuFlags(CMenu::kMenuPopUp | CMenu::kMenuIndependentChecks);
  const uint32_t codes[] = {CPreviewScene::kSphere, CPreviewScene::kCylinder, CPreviewScene::kCube,
                            CPreviewScene::kCone,   CPreviewScene::kTerrain,  CPreviewScene::kTorus,
                            CPreviewScene::kGround, CPreviewScene::kSelection, CPreviewScene::kOwnSky,
                            CPreviewScene::kGroundMaterial, CPreviewScene::kCloseUp, CPreviewScene::kNormalView};
  for (const uint32_t code : codes) {
    CMenuItem row{};
    std::snprintf(row.text, sizeof row.text, "%c%c%c%c", char(code >> 24), char(code >> 16), char(code >> 8), char(code));
    row.flags = CMenu::kItemCheckable;
    row.command = code;
    ASSERT_TRUE(menu.Append(&row));
  }
  ASSERT_EQ(menu.BuildPopupMenu(), 0);
  const auto ticked = [&](uint32_t code) {
    return platform::GetMenuState(menu.GetPlatformMenu(), menu.FindItemIndex(code), platform::kMfByCommand) ==
           uint32_t(platform::kMfChecked);
  };
  const auto choose = [&](uint32_t row, const char* keys) {
    // What an earlier choice left in the script and the queue goes first.
    for (int i = 0; i < 10000 && platform::headless::PendingInputs() > 0; ++i) platform::GetCursorPos();
    app->FlushInput();
    const std::string y = std::to_string(110 + 3 + int32_t(row - 1) * 19 + 9);
    EXPECT_TRUE(platform::headless::AddScript(std::string("move 143 ") + y + "\n" + keys));
    const platform::SPoint screen = platform::ClientToScreen(owner.GetWindow(), {10, 10});
    return p.HandleOptionsMenu(&menu, {screen.x, screen.y}, owner.GetWindow());
  };

  // The fourth row, the cone: chosen and carried out; the options and the sphere were ticked.
  ASSERT_EQ(choose(4, "down left\nup left\n"), 0);
  EXPECT_EQ(p.GetShapeCode(), CPreviewScene::kCone);
  EXPECT_EQ(p.GetSample(), p.GetShape(CPreviewScene::kCone));
  for (const uint32_t code : {CPreviewScene::kSphere, CPreviewScene::kOwnSky, CPreviewScene::kGroundMaterial,
                              CPreviewScene::kCone})
    EXPECT_TRUE(ticked(code)) << code;
  for (const uint32_t code : {CPreviewScene::kCube, CPreviewScene::kSelection, CPreviewScene::kCloseUp})
    EXPECT_FALSE(ticked(code)) << code;

  // Escape chooses nothing; the ticks follow the cone.
  ASSERT_EQ(choose(3, "key 0x1B\nwait 30\nkeyup 0x1B\n"), 0);
  EXPECT_EQ(p.GetShapeCode(), CPreviewScene::kCone);
  EXPECT_FALSE(ticked(CPreviewScene::kSphere));
  EXPECT_TRUE(ticked(CPreviewScene::kCone));

  // The close-up row.
  ASSERT_EQ(choose(11, "down left\nup left\n"), 0);
  EXPECT_TRUE(p.IsCloseUp());
  EXPECT_EQ(p.GetCamera()->GetView().extentX, 0.5);
}

TEST_F(PreviewScene, ATorusPreviewRendersToTheEnd) {
  CPreviewScene& p = Build(CPreviewScene::kTorus);
  EXPECT_EQ(RenderAll(p), 0);
}

}  // namespace
