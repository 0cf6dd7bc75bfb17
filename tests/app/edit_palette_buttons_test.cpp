// The edit palette's picture buttons, built from the build's editpalette.dat beside a document window
// and driven through the headless input script: the zone maps of "resize", "rotate" and
// "reposition" pick what a drag does, each drag is one undo step, the randomize buttons choose and
// scatter, the hovered button pulses, and "convert object" converts through its list.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/convert.h"
#include "editing/matrix_action.h"
#include "framework/core/appl.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ho_element.h"
#include "panels/edit_palette.h"
#include "panels/layout_needs.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "scene/cube.h"
#include "scene/factory.h"
#include "scene/object_family.h"
#include "scene/sphere.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/app/press_script.h"

namespace {

constexpr uint32_t kControl = 17;
constexpr SPointHV kPaletteAt{520, 420};

// A window that lets the test look at every drag step, when the edit palette redraws it.
class CStepWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  int32_t RedrawNow() override {
    ++steps;
    if (onStep) onStep();
    return CDocWindow::RedrawNow();
  }
  uint32_t steps = 0;
  std::function<void()> onStep;
};

// An action that stands for the user's last undo step.
class CMarkerAction : public CUndoableAction {
 public:
  int32_t Undo() override { return 0; }
  int32_t Redo() override { return 0; }
};

std::string CurrentCursor() { return platform::headless::CursorDescription(platform::GetCursor()); }

class EditPaletteButtons : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CStepWindow>();
    Show();
    paletteLayout = OpenDataFile("editpalette.dat");
    palette = std::make_unique<CEditPalette>(owner, paletteLayout.get());
    ASSERT_EQ(palette->BuildOnce(), 0);
    palette->SetOwner(window);
    palette->MoveTo(kPaletteAt);
    palette->Show();
    sphere = AddSphere({0, 1, 0});
    Selection().Add(sphere, 1, 0);
    ASSERT_EQ(w->FindSceneParts(true), 0);
    // The handles' world points, which the resize drags anchor at, come from a scene draw.
    w->Invalidate(true);
    ASSERT_EQ(w->Redraw(false), 0);
    marker = new CMarkerAction;
    ASSERT_EQ(w->GetDocument()->GetUndoHistory().Push(marker), 0);
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 16\nkeyup 17\nkeyup 18\n");
    Settle();
    palette.reset();
    paletteLayout.reset();
    DocWindowTest::TearDown();
  }

  C3dSphere* AddSphere(const vector3<double>& position) {
    C3dSphere* made = nullptr;
    EXPECT_EQ(AppendNew(&made, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    made->SetTransformVector3(position);
    SetObjectFamily(*made, 0);
    return made;
  }
  CImElement* Button(const SLayoutNeed& need) {
    CElement* found = nullptr;
    CElSystem::FindByName(palette->GetRoot(), need.name, &found);
    EXPECT_NE(found, nullptr) << need.name;
    return dynamic_cast<CImElement*>(found);
  }
  // The middle of the zone's pixels in the button's entry 0 (the zones are rectangles).
  static SPointHV ZonePoint(CImElement* button, uint32_t zone) {
    CImage* normal = button->GetImageList()->ImageAt(0);
    CImNavigator pixels(normal, nullptr, false, false);
    int64_t sumX = 0, sumY = 0, count = 0;
    for (uint32_t y = 0; pixels.IsUsable() && y < normal->GetHeight(); ++y) {
      for (uint32_t x = 0; x < normal->GetWidth(); ++x) {
        if (pixels.Cells(y)[x].Alpha() != zone) continue;
        sumX += x, sumY += y, ++count;
      }
    }
    EXPECT_GT(count, 0) << "zone " << zone;
    if (!count) return {};
    const SPointHV at = button->GetImagePosition();
    return {int32_t(sumX / count) + at.h, int32_t(sumY / count) + at.v};
  }
  SPointHV OnScreen(CElement* element, SPointHV local) {
    SPointHV screen;
    element->LocalToRootPoint(&screen, local);
    return screen;
  }
  // The keys held, a press at the element's point, each line of `during` a while apart, the release
  // and the keys let go.
  void Press(CElement* element, SPointHV local, const std::string& during = "", std::vector<uint32_t> keys = {}) {
    const SPointHV screen = OnScreen(element, local);
    ASSERT_TRUE(platform::headless::AddScript(PressScript(screen.h, screen.v, during, keys, "wait 200\n")));
    Settle();
  }
  CUndoableAction* Recorded() { return w->GetDocument()->GetUndoHistory().GetCurrentAction(); }
  static vector3<double> Extent(C3dObject* object) {
    const C3dBox box = object->WorldBox();
    return box.fMax - box.fMin;
  }
  static void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
  }

  std::unique_ptr<CResourceEnv> paletteLayout;
  std::unique_ptr<CEditPalette> palette;
  CStepWindow* w = nullptr;
  C3dSphere* sphere = nullptr;
  CMarkerAction* marker = nullptr;
};

TEST_F(EditPaletteButtons, ResizeZoneThreeDragsTheXFaceAsOneUndoStep) {
  CImElement* resize = Button(need::kEditResize);
  const vector3<double> before = Extent(sphere);
  std::vector<uint32_t> states;
  std::vector<std::string> cursors;
  w->onStep = [&] {
    states.push_back(resize->GetUserWord(0));
    cursors.push_back(CurrentCursor());
  };
  Press(resize, ZonePoint(resize, 3), "rmove 4 0");
  const vector3<double> after = Extent(sphere);
  EXPECT_NEAR(after.x, before.x * 1.05, 1e-9);
  EXPECT_NEAR(after.y, before.y, 1e-9);
  EXPECT_NEAR(after.z, before.z, 1e-9);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), 10u) << "pressed: zone + 7";
  EXPECT_EQ(cursors.front(), "picture cursor 112 hot 15,15");
  EXPECT_EQ(resize->GetUserWord(0), 3u) << "the zone's hover state after the release";
  EXPECT_FALSE(w->IsDragging());
  EXPECT_FALSE(Selection().IsAxisOverride());
  auto* action = dynamic_cast<CMatrixAction*>(Recorded());
  ASSERT_NE(action, nullptr);
  EXPECT_NE(Recorded(), marker);
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Undo(), 0);
  ExpectNear(Extent(sphere), before, 1e-9, "undone");
}

// The "align" buttons line the selection up on its first object through the window, one undo step
// each; one object alone does not move.
TEST_F(EditPaletteButtons, AlignButtonsLineTheSelectionUpOnItsFirstObject) {
  sphere->SetScaledSize({1, 2, 2});
  sphere->SetTransformVector3({0.5, 1, 0});
  C3dSphere* second = AddSphere({6, 1, 3});
  struct SCase {
    const char* button;
    double expected;  // the second sphere's minimum, maximum or centre in x
    int side;
  } cases[] = {{"align x left", 0, -1}, {"align x right", 1, 1}, {"align x center", 0.5, 0}};
  for (const SCase& c : cases) {
    second->SetTransformVector3({6, 1, 3});
    SelectOnly({sphere, second});
    CUIMessage message;
    message.Init(0, c.button, nullptr, need::kEditPalette.name, 0);
    EXPECT_EQ(palette->HandleEvent(&message), kHandled) << c.button;
    const C3dBox box = second->WorldBox();
    const double x = c.side < 0 ? box.fMin.x : c.side > 0 ? box.fMax.x : (box.fMin.x + box.fMax.x) / 2;
    EXPECT_NEAR(x, c.expected, 1e-9) << c.button;
    EXPECT_NEAR(box.fMin.z, 2, 1e-9) << "only x moves";
    EXPECT_NE(dynamic_cast<CMatrixAction*>(Recorded()), nullptr) << c.button;
    EXPECT_NEAR(sphere->WorldBox().fMin.x, 0, 1e-9) << "the first stays";
  }
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Push(new CMarkerAction), 0);
  CUndoableAction* before = Recorded();
  SelectOnly({second});
  const C3dBox alone = second->WorldBox();
  CUIMessage message;
  message.Init(0, "align x left", nullptr, need::kEditPalette.name, 0);
  EXPECT_EQ(palette->HandleEvent(&message), kHandled);
  EXPECT_NEAR(second->WorldBox().fMin.x, alone.fMin.x, 1e-12);
  EXPECT_EQ(Recorded(), before);
}

// The resize menu's first row makes the object's axes the window's edit space.
TEST_F(EditPaletteButtons, TheResizeMenuChoosesTheWindowsEditSpace) {
  w->SetEditSpace(0);
  CUIMessage message;
  message.Init(0, "resize options", nullptr, need::kEditPalette.name, 0);
  message.firstPoint = {40, 30};
  const SPointHV menu = palette->CanvasToScreen(message.firstPoint);
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nmove " + std::to_string(menu.h + 33) + " " +
                                            std::to_string(menu.v + 12) + "\nwait 20\ndown left\nwait 20\nup left\n"));
  EXPECT_EQ(palette->HandleEvent(&message), kHandled);
  Settle();
  EXPECT_EQ(w->GetEditSpace(), 1);
}

// A press that moves nothing, or lands where the zone map names no zone, changes nothing and leaves
// the user's last undo step in place.
TEST_F(EditPaletteButtons, APressThatMovesNothingOrHasNoZoneRecordsNothing) {
  CImElement* resize = Button(need::kEditResize);
  CImElement* rotate = Button(need::kEditRotate);
  CImElement* reposition = Button(need::kEditReposition);
  // A pixel of alpha 0 in entry 0 of "rotate", which the pictures themselves do not have.
  const SPointHV cleared{1, 1};
  {
    CImage* normal = rotate->GetImageList()->ImageAt(0);
    CImNavigator pixels(normal, nullptr, true, false);
    ASSERT_TRUE(pixels.IsUsable());
    pixels.Cells(uint32_t(cleared.v))[cleared.h].value &= 0x00FFFFFF;
  }
  struct SCase {
    const char* what;
    CImElement* button;
    SPointHV at;
    const char* during;
  } cases[] = {
      {"resize released where it was pressed", resize, ZonePoint(resize, 3), ""},
      {"resize on alpha 255", resize, {0, 0}, "rmove 8 0"},
      {"reposition on alpha 255", reposition, {32, 32}, "rmove 8 0"},
      {"rotate on alpha 0", rotate, cleared, "rmove 8 0"},
  };
  const C34Matrix placed = sphere->GetObjectToWorld();
  for (const SCase& c : cases) {
    EXPECT_EQ(CEditPalette::ZoneAt(c.button, c.at) != 0, c.during[0] == 0) << c.what;
    Press(c.button, c.at, c.during);
    EXPECT_EQ(Recorded(), marker) << c.what;
    for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(sphere->GetObjectToWorld().m[i], placed.m[i]) << c.what;
  }
}

// Without Ctrl the pointer goes back to the press point after every step; with Ctrl it stays where
// it went. Either way it is shown on the press point after the release.
TEST_F(EditPaletteButtons, RotateKeepsThePointerOnThePressPointUnlessControlIsHeld) {
  CImElement* rotate = Button(need::kEditRotate);
  const SPointHV local = ZonePoint(rotate, 2);
  const SPointHV press = OnScreen(rotate, local);
  for (bool control : {false, true}) {
    std::vector<platform::SPoint> pointers;
    w->onStep = [&] { pointers.push_back(platform::GetCursorPos()); };
    const vector3<double> turned = sphere->GetPlacement().fRotation;
    Press(rotate, local, "rmove 10 0\nrmove 10 0", control ? std::vector<uint32_t>{kControl} : std::vector<uint32_t>{});
    ASSERT_GE(pointers.size(), 2u) << control;
    const platform::SPoint during = pointers.front();
    EXPECT_EQ(during.x == press.h && during.y == press.v, !control) << control;
    const platform::SPoint after = platform::GetCursorPos();
    EXPECT_EQ(after.x, press.h) << control;
    EXPECT_EQ(after.y, press.v) << control;
    EXPECT_FALSE(GetApplication()->IsCursorHidden()) << control;
    EXPECT_NE(sphere->GetPlacement().fRotation.x, turned.x) << "zone 2 turns about x; " << control;
    EXPECT_NE(Recorded(), marker);
  }
}

TEST_F(EditPaletteButtons, RepositionMovesAlongTheZonesAxisAndUpRaises) {
  CImElement* reposition = Button(need::kEditReposition);
  struct SCase {
    uint32_t zone;
    const char* during;
    vector3<double> sign;
  } cases[] = {
      {2, "rmove 10 0", {1, 0, 0}},
      {3, "rmove 0 -10", {0, 1, 0}},
  };
  for (const SCase& c : cases) {
    const vector3<double> before = sphere->GetTransformVector3();
    Press(reposition, ZonePoint(reposition, c.zone), c.during);
    const vector3<double> moved = sphere->GetTransformVector3() - before;
    EXPECT_GT(moved.x * c.sign.x + moved.y * c.sign.y + moved.z * c.sign.z, 0) << c.zone;
    EXPECT_NEAR(moved.x * (1 - c.sign.x), 0, 1e-12) << c.zone;
    EXPECT_NEAR(moved.y * (1 - c.sign.y), 0, 1e-12) << c.zone;
    EXPECT_NEAR(moved.z, 0, 1e-12) << c.zone;
    EXPECT_NE(dynamic_cast<CMatrixAction*>(Recorded()), nullptr) << c.zone;
  }
}

TEST_F(EditPaletteButtons, RandomizeClicksStepThroughTheModesAndWrap) {
  CImElement* randomize = Button(need::kEditRandomize);
  ASSERT_EQ(randomize->GetImageList()->Count(), 8u);
  const SPointHV at{20, 20};
  std::vector<uint32_t> modes;
  for (int click = 0; click < 8; ++click) {
    Press(randomize, at);
    modes.push_back(randomize->GetUserWord(0));
  }
  EXPECT_EQ(modes, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 0}));
  // Sideways travel steps the mode instead, without wrapping.
  Press(randomize, at, "rmove 6 0\nrmove 6 0");
  EXPECT_EQ(randomize->GetUserWord(0), 2u);
  Press(randomize, at, "rmove -6 0\nrmove -6 0\nrmove -6 0");
  EXPECT_EQ(randomize->GetUserWord(0), 0u);
}

TEST_F(EditPaletteButtons, RandomizeControlScattersAndGoingBackRestores) {
  C3dSphere* second = AddSphere({4, 1, 2});
  Selection().Add(second, 0, 0);
  ASSERT_EQ(w->FindSceneParts(true), 0);
  CImElement* randomize = Button(need::kEditRandomize);
  for (int click = 0; click < 4; ++click) Press(randomize, {20, 20});
  ASSERT_EQ(randomize->GetUserWord(0), 4u);
  const vector3<double> at[2] = {sphere->GetTransformVector3(), second->GetTransformVector3()};
  const vector3<double> turn[2] = {sphere->GetPlacement().fRotation, second->GetPlacement().fRotation};
  bool scattered = false;
  w->onStep = [&] { scattered = scattered || !(sphere->GetTransformVector3() == at[0]); };
  Press(Button(need::kEditRandomizeControl), {20, 20}, "rmove 10 0\nrmove -10 0");
  EXPECT_TRUE(scattered);
  C3dSphere* spheres[2] = {sphere, second};
  for (int i = 0; i < 2; ++i) {
    ExpectNear(spheres[i]->GetTransformVector3(), at[i], 1e-9, "position");
    ExpectNear(spheres[i]->GetPlacement().fRotation, turn[i], 1e-9, "rotation");
  }
  EXPECT_FALSE(w->IsDragging());
}

// Up and down travel scatters nothing, so it neither redraws nor records an undo step.
TEST_F(EditPaletteButtons, RandomizeControlIgnoresUpAndDownTravel) {
  const C34Matrix placed = sphere->GetObjectToWorld();
  w->steps = 0;
  Press(Button(need::kEditRandomizeControl), {20, 20}, "rmove 0 10\nrmove 0 -6");
  EXPECT_EQ(w->steps, 0u);
  EXPECT_EQ(Recorded(), marker);
  for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(sphere->GetObjectToWorld().m[i], placed.m[i]);
  EXPECT_FALSE(w->IsDragging());
}

TEST_F(EditPaletteButtons, RandomizeModesGiveTheirAmplitudes) {
  struct SCase {
    uint32_t mode;
    vector3<double> position;
    vector3<double> rotation;
    double scale;
  } cases[] = {
      {0, {1, 0, 1}, {0, 0, 0}, 0}, {1, {1, 0, 1}, {1, 1, 1}, 0}, {2, {1, 0, 1}, {0, 0, 0}, 1},
      {3, {1, 0, 1}, {1, 1, 1}, 1}, {4, {1, 1, 1}, {0, 0, 0}, 0}, {5, {1, 1, 1}, {1, 1, 1}, 0},
      {6, {1, 1, 1}, {0, 0, 0}, 1}, {7, {1, 1, 1}, {1, 1, 1}, 1}, {9, {1, 1, 1}, {0, 0, 0}, 0},
  };
  for (const SCase& c : cases) {
    vector3<double> position, rotation;
    double scale = -1;
    CEditPalette::RandomizeAmplitudes(c.mode, &position, &rotation, &scale);
    ExpectNear(position, c.position, 0, "position");
    ExpectNear(rotation, c.rotation, 0, "rotation");
    EXPECT_EQ(scale, c.scale) << c.mode;
  }
}

// Over a zone the button shows the zone's state and cursor; outside it drops the highlight.
TEST_F(EditPaletteButtons, HoverOverResizeZonesShowsTheirStatesAndCursors) {
  CImElement* resize = Button(need::kEditResize);
  struct SCase {
    uint32_t zone;
    const char* cursor;
  } cases[] = {{1, "shape 116"}, {3, "shape 114"}, {5, "shape 123"}, {7, "shape 111"}};
  for (const SCase& c : cases) {
    EXPECT_EQ(CEditPalette::TrackResize(resize, ZonePoint(resize, c.zone)), 26);
    EXPECT_EQ(resize->GetUserWord(0), c.zone);
    EXPECT_EQ(CurrentCursor(), c.cursor) << c.zone;
    EXPECT_EQ(palette->GetTracker().GetHotButton(), resize);
  }
  EXPECT_EQ(CEditPalette::TrackResize(resize, {-1, 10}), 0);
  EXPECT_EQ(resize->GetUserWord(0), 0u);
  EXPECT_EQ(palette->GetTracker().GetHotButton(), nullptr);
}

// The pulse starts after 60 ticks of hovering and then steps every third tick, bouncing between 0
// and 256 in steps of 20.
TEST_F(EditPaletteButtons, AHoveredButtonPulsesAfterASecondEveryThirdTick) {
  CImElement* button = Button(need::kEditConvertObject);
  const SPointHV inside{10, 10};
  const int64_t entered = platform::NowTicks();
  ASSERT_EQ(CEditPalette::TrackButtonHover(button, inside), 26);
  EXPECT_EQ(palette->GetTracker().GetLevel(), 140) << "entering sets 160 and makes one step";
  // Each pulse changes the level, or at 0 only the step's sign.
  int32_t level = palette->GetTracker().GetLevel(), step = palette->GetTracker().GetStep();
  std::vector<int64_t> changedAt;
  std::vector<int32_t> levels;
  for (int call = 0; call < 1200; ++call) {
    platform::AdvanceVirtualClock(17);
    ASSERT_EQ(CEditPalette::TrackButtonHover(button, inside), 26);
    if (palette->GetTracker().GetLevel() == level && palette->GetTracker().GetStep() == step) continue;
    level = palette->GetTracker().GetLevel();
    step = palette->GetTracker().GetStep();
    changedAt.push_back(platform::NowTicks() - entered);
    levels.push_back(level);
  }
  ASSERT_GT(levels.size(), 20u);
  // Each call comes a tick or, now and then, two after the one before.
  EXPECT_TRUE(changedAt.front() == 61 || changedAt.front() == 62) << changedAt.front();
  for (size_t i = 1; i < changedAt.size(); ++i) {
    const int64_t apart = changedAt[i] - changedAt[i - 1];
    EXPECT_TRUE(apart == 3 || apart == 4) << apart;
  }
  bool low = false, high = false;
  for (int32_t l : levels) {
    EXPECT_TRUE(l >= 0 && l <= 256) << l;
    EXPECT_TRUE(l % 20 == 0 || l % 20 == 16) << l;
    low = low || l == 0;
    high = high || l == 256;
  }
  EXPECT_TRUE(low && high) << "the pulse bounced at both ends";
  EXPECT_EQ(CEditPalette::TrackButtonHover(button, {-5, 10}), 0);
  EXPECT_EQ(palette->GetTracker().GetHotButton(), nullptr);
}

TEST_F(EditPaletteButtons, TheTabLabelsAreInvisibleUntilHovered) {
  for (const SLayoutNeed* label : {&need::kEditCreateText, &need::kEditSkyFogText}) {
    CImElement* text = Button(*label);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetOpacity(), 0.0f) << label->name;
    EXPECT_EQ(CEditPalette::SwitchHotButton(text, {2, 2}), 0);
    EXPECT_EQ(palette->GetTracker().GetHotButton(), text);
    EXPECT_EQ(text->GetOpacity(), 0.0f) << "hidden again at its next redraw";
  }
}

TEST_F(EditPaletteButtons, ConvertObjectReleasedOverCubeConvertsTheSphere) {
  CImElement* convert = Button(need::kEditConvertObject);
  CLayoutHostCanvas* list = palette->GetConvertList();
  ASSERT_NE(list, nullptr);
  CElement* item = nullptr;
  ASSERT_EQ(CElSystem::FindByName(list->GetRoot(), kConversionTargets[7], &item), 0);
  // The list opens below the button.
  const SPointHV below = OnScreen(convert, {0, RectHeight(convert->GetRect())});
  const SRect& rect = item->GetRect();
  const SPointHV target{below.h + (rect.left + rect.right) / 2, below.v + (rect.top + rect.bottom) / 2};
  Press(convert, {10, 10}, "move " + std::to_string(target.h) + " " + std::to_string(target.v) + "\nwait 20");
  EXPECT_FALSE(list->IsShown());
  EXPECT_EQ(convert->GetImageList()->Selected(), 1u) << "lit as hovered";
  EXPECT_TRUE(Things(C3dSphere::kFamily, C3dSphere::kClassTag).empty());
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0)->GetClass(), C3dCube::kClassTag);
  EXPECT_NE(Recorded(), marker);
}

}  // namespace
