// The control palette's controls under the pointer: camera drags and the messages they send, the live
// preview of a drag in the nano editor, the view control, the view dots, the toggles, the render
// buttons and the hover glow.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "framework/image/image.h"
#include "framework/ui/glow_step.h"
#include "panels/nano_editor.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "scene/camera.h"
#include "tests/app/control_palette_fixture.h"

namespace {

using ControlPaletteControls = ControlPaletteTest;
using Lines = std::vector<std::string>;

constexpr uint32_t kControl = 17, kAlt = 18, kSpace = 32;
// Points of the translation controls' pictures: zone 1 on the left arm, zone 2 on the upper arm, the
// centre (zone 3), a corner (zone 4), and a pixel of no zone.
constexpr SPointHV kZone1{5, 28}, kZone2{28, 5}, kZone3{28, 28}, kZone4{2, 2}, kNoZone{12, 3};

// The log without the heartbeats and the window's other messages: the camera controls' messages.
Lines CameraMessages() {
  Lines out;
  for (const std::string& line : CControlLogWindow::gLog) {
    if (line.rfind("camera ", 0) == 0) out.push_back(line);
  }
  return out;
}

TEST_F(ControlPaletteControls, TheCompiledPicturesKeepTheirZones) {
  RunPalette([&] {
    CImElement* xy = Camera(CControlPalette::kCameraXY);
    EXPECT_EQ(CControlPalette::ZoneAt(xy, kZone1), 1u);
    EXPECT_EQ(CControlPalette::ZoneAt(xy, kZone2), 2u);
    EXPECT_EQ(CControlPalette::ZoneAt(xy, kZone3), 3u);
    EXPECT_EQ(CControlPalette::ZoneAt(xy, kZone4), 4u);
    EXPECT_EQ(CControlPalette::ZoneAt(xy, kNoZone), CControlPalette::kNoZone);
    EXPECT_EQ(CControlPalette::ZoneAt(Camera(CControlPalette::kBanking), {3, 3}), 0u);
  });
}

TEST_F(ControlPaletteControls, ADragSendsBeginStepsAndEndWithTheAxesOfItsZone) {
  RunPalette([&] {
    SpyOnHeartbeat();
    CImElement* xy = Camera(CControlPalette::kCameraXY);
    const platform::SPoint start = ScreenOf(xy, kZone1);
    Press(xy, kZone1, "rmove 7 5");
    EXPECT_EQ(CameraMessages(), (Lines{"camera 1 camera XY control 0,0 0", "camera 2 camera XY control 7,0 0",
                                       "camera 3 camera XY control 0,0 0"}));
    // The window answered the press with its handle, took the step directly and its heartbeat ran
    // after the step.
    const Lines& log = Log();
    const auto step = std::find(log.begin(), log.end(), "camera 2 camera XY control 7,0 0");
    ASSERT_NE(step, log.end());
    ASSERT_NE(step + 1, log.end());
    EXPECT_EQ(*(step + 1), std::string("heartbeat ") + kSideArrowCursor);
    const platform::SPoint after = platform::GetCursorPos();
    EXPECT_EQ(after.x, start.x);
    EXPECT_EQ(after.y, start.y);

    struct SCase {
      uint32_t control;
      SPointHV at;
      std::vector<uint32_t> keys;
      const char* step;
    } cases[] = {
        {CControlPalette::kCameraYZ, kZone2, {}, "camera 2 camera YZ control -5,0 0"},
        {CControlPalette::kCameraXZ, kZone3, {}, "camera 2 camera XZ control 7,5 0"},
        {CControlPalette::kCameraXZ, kZone4, {}, "camera 2 camera XZ control 0,5 0"},
        {CControlPalette::kBanking, {3, 3}, {}, "camera 2 banking button 7,0 0"},
        {CControlPalette::kFieldOfView, {3, 3}, {kAlt}, "camera 2 field of view button 7,5 1"},
        {CControlPalette::kTrackball, {28, 28}, {}, "camera 2 trackball control 7,5 0"},
        {CControlPalette::kTrackball, {28, 28}, {kAlt}, "camera 2 trackball control 7,0 0"},
        {CControlPalette::kTrackball, {28, 28}, {kAlt, kControl}, "camera 2 trackball control 0,5 0"},
    };
    for (const SCase& c : cases) {
      Log().clear();
      platform::SleepMs(1000);  // no double click
      Press(Camera(c.control), c.at, "rmove 7 5", c.keys);
      const Lines sent = CameraMessages();
      ASSERT_EQ(sent.size(), 3u) << c.step;
      EXPECT_EQ(sent[1], c.step);
    }
  });
}

TEST_F(ControlPaletteControls, PressesThatDoNotDragSendNoSteps) {
  RunPalette([&] {
    CImElement* xy = Camera(CControlPalette::kCameraXY);
    Press(xy, kZone1);
    const Lines still = CameraMessages();
    ASSERT_EQ(still.size(), 2u);
    EXPECT_EQ(still[0].substr(0, 8), "camera 1");
    EXPECT_EQ(still[1].substr(0, 8), "camera 3");

    // The second press of a double click opens the camera dialog instead.
    Log().clear();
    Press(xy, kZone1, "rmove 7 5");
    EXPECT_TRUE(CameraMessages().empty());
    EXPECT_EQ(Log(), Lines{"named edit camera control palette"});

    platform::SleepMs(1000);
    Log().clear();
    Press(xy, kNoZone, "rmove 7 5");
    EXPECT_TRUE(CameraMessages().empty());
    palette->SelectView(3);
    Press(xy, kZone1, "rmove 7 5");
    EXPECT_TRUE(CameraMessages().empty());
    EXPECT_EQ(State(xy), 1u);
  });
}

TEST_F(ControlPaletteControls, MovingTheCameraDropsTheCurrentDot) {
  RunPalette([&] {
    CImElement* dot = palette->GetViewDot(2);
    Press(dot, {5, 5});
    EXPECT_EQ(State(dot), 2u);
    EXPECT_EQ(palette->GetCurrentDot(), dot);
    C3dCamera* stored = window->GetViewCamera(CDocWindow::kFirstViewDot + 2);
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(stored->GetStateFlags() & 0x80000);
    Press(Camera(CControlPalette::kCameraXY), kZone1, "rmove 7 5");
    EXPECT_EQ(State(dot), 1u);
    EXPECT_EQ(palette->GetCurrentDot(), nullptr);
  });
}

TEST_F(ControlPaletteControls, ALiveDragDrawsIntoTheNanoEditor) {
  RunPalette([&] {
    CNanoEditor* editor = window->GetNanoEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetImageElement(), nullptr);
    CImage* picture = editor->GetImageElement()->GetImage();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(int32_t(picture->GetWidth()), RectWidth(palette->GetNanoPreviewElement()->GetRect()));
    EXPECT_EQ(int32_t(picture->GetHeight()), RectHeight(palette->GetNanoPreviewElement()->GetRect()));
    ASSERT_TRUE(picture->Fill(0xFF123456));
    window->SetFlags(CDocWindow::kLivePreview);
    Lines seen;
    CControlLogWindow::gLog.clear();
    SpyOnHeartbeat();
    CImElement* trackball = Camera(CControlPalette::kTrackball);
    Press(trackball, {28, 28}, "rmove 7 5\nrmove 3 0");
    for (const std::string& line : Log()) {
      if (line.rfind("camera 2", 0) == 0) seen.push_back("step");
    }
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kLivePreviewDrag);
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kLivePreview);
    EXPECT_FALSE(editor->IsShown());
    // The drag's redraws went into the editor's picture: the scene in place of the fill.
    CImNavigator pixels(picture, nullptr, false, false);
    ASSERT_TRUE(pixels.IsUsable());
    uint32_t changed = 0;
    for (uint32_t y = 0; y < picture->GetHeight(); ++y) {
      for (uint32_t x = 0; x < picture->GetWidth(); ++x) changed += (pixels.Cells(y)[x].value & 0xFFFFFF) != 0x123456;
    }
    EXPECT_GT(changed, picture->GetWidth() * picture->GetHeight() / 2);
    // Centred on the 1024 x 768 screen.
    const platform::SWinRect frame = WindowRect(editor);
    EXPECT_EQ((frame.left + frame.right) / 2, 512);
    EXPECT_EQ((frame.top + frame.bottom) / 2, 384);
  });
}

// A Space drag in the window shows the nano editor whether or not the live preview was on, and
// leaves the flag as it found it.
TEST_F(ControlPaletteControls, ASpaceDragUsesTheNanoEditorAndRestoresTheLiveFlag) {
  RunPalette([&] {
    CNanoEditor* editor = window->GetNanoEditor();
    ASSERT_NE(editor, nullptr);
    CImage* picture = editor->GetImageElement()->GetImage();
    ASSERT_NE(picture, nullptr);
    const SRect view = window->GetViewRect();
    const SPointHV at = window->CanvasToScreen({(view.left + view.right) / 2, (view.top + view.bottom) / 2});
    for (bool before : {false, true}) {
      ASSERT_TRUE(picture->Fill(0xFF123456));
      if (before) window->SetFlags(CDocWindow::kLivePreview);
      else window->ClearFlags(CDocWindow::kLivePreview);
      PressAt({at.h, at.v}, "rmove 9 4\nrmove 2 2", {kSpace});
      EXPECT_EQ((window->GetFlags() & CDocWindow::kLivePreview) != 0, before);
      EXPECT_FALSE(window->GetFlags() & CDocWindow::kLivePreviewDrag);
      EXPECT_FALSE(editor->IsShown());
      CImNavigator pixels(picture, nullptr, false, false);
      ASSERT_TRUE(pixels.IsUsable());
      EXPECT_NE(pixels.Cells(picture->GetHeight() / 2)[picture->GetWidth() / 2].value & 0xFFFFFF, 0x123456u) << before;
    }
  });
}

TEST_F(ControlPaletteControls, TheViewControlStepsWrapsResetsAndFliesThrough) {
  RunPalette([&] {
    CImElement* control = palette->GetViewControl();
    const int32_t width = RectWidth(control->GetRect());
    struct SCase {
      uint32_t from;
      int32_t x;
      const char* during;
      uint32_t to;
    } cases[] = {
        {6, width - 5, "", 0}, {0, 5, "", 6}, {2, 30, "rmove 5 0\nrmove 5 0", 4}, {6, 30, "rmove 5 0\nrmove 5 0", 6},
        {3, 30, "rmove -5 0", 2},
    };
    for (const SCase& c : cases) {
      palette->SelectView(c.from);
      Press(control, {c.x, 5}, c.during);
      EXPECT_EQ(palette->GetCurrentView(), c.to) << c.from << " " << c.during;
      EXPECT_EQ(State(control), c.to);
    }

    palette->SelectView(4);
    Log().clear();
    Press(control, {30, 5}, "", {kAlt});
    EXPECT_EQ(Log(), Lines{"message reset camera 4"});

    Log().clear();
    uint32_t during = 99;
    CDocWindowDouble::gDuring = [&] { during = State(control); };
    Press(control, {50, 36});
    EXPECT_EQ(Log(), (Lines{"named fly through control control palette", "fly"}));
    EXPECT_EQ(during, CControlPalette::kFlyThroughState);
    EXPECT_EQ(State(control), 4u);
  });
}

TEST_F(ControlPaletteControls, ViewDotsStoreRecallAndClear) {
  RunPalette([&] {
    CImElement* dot = palette->GetViewDot(3);
    C3dCamera* perspective = window->GetViewCamera(CDocWindow::kPerspective);
    const vector3<double> stored = perspective->GetTransformVector3();
    Press(dot, {5, 5});
    EXPECT_EQ(State(dot), 2u);
    EXPECT_TRUE(window->GetViewCamera(CDocWindow::kFirstViewDot + 3)->GetStateFlags() & 0x80000);
    // The camera moves; the dot, pressed again, brings the stored view back into camera 0.
    Press(Camera(CControlPalette::kCameraXY), kZone1, "rmove 40 0");
    EXPECT_EQ(State(dot), 1u);
    EXPECT_NE(perspective->GetTransformVector3().x, stored.x);
    platform::SleepMs(1000);
    Press(dot, {5, 5});
    EXPECT_EQ(State(dot), 2u);
    EXPECT_DOUBLE_EQ(window->GetCurrentCamera()->GetTransformVector3().x, stored.x);

    // Alt clears a dot, unless it is kept, which beeps.
    platform::SleepMs(1000);
    Press(dot, {5, 5}, "", {kAlt});
    EXPECT_EQ(State(dot), 0u);
    EXPECT_EQ(palette->GetCurrentDot(), nullptr);
    CImElement* kept = palette->GetViewDot(5);
    kept->SetUserWord(CControlPalette::kKeepWord, 1);
    palette->SetButtonState(5, 1);
    const uint32_t beeps = platform::BeepCount();
    Press(kept, {5, 5}, "", {kAlt});
    EXPECT_EQ(State(kept), 1u);
    EXPECT_EQ(platform::BeepCount(), beeps + 1);
  });
}

TEST_F(ControlPaletteControls, TogglesAndRenderButtonsReachTheWindow) {
  RunPalette([&] {
    Press(palette->GetPreviewModeButton(), {4, 4});
    EXPECT_EQ(State(palette->GetPreviewModeButton()), 2u);
    EXPECT_TRUE(window->GetRenderOptions() & SRenderSettings::kAdaptive);
    Press(palette->GetPreviewModeButton(), {4, 4});
    EXPECT_EQ(State(palette->GetPreviewModeButton()), 0u);
    EXPECT_FALSE(window->GetRenderOptions() & SRenderSettings::kAdaptive);

    platform::SleepMs(1000);
    Log().clear();
    CImElement* render = palette->GetRenderButton(CControlPalette::kRenderAll);
    Press(render, {4, 4});
    EXPECT_EQ(Log(), Lines{"render render all button"});
    // Lit until the palette's next heartbeat step puts the three back.
    EXPECT_EQ(State(render), palette->AreRenderButtonsLit() ? 2u : 0u);
    Log().clear();
    Press(render, {4, 4});
    EXPECT_EQ(Log(), Lines{"named doc setup menu bar"});
  });
}

TEST_F(ControlPaletteControls, TheGlowFlashesThenPulsesAfterASecond) {
  RunPalette([&] {
    CImElement* banking = Camera(CControlPalette::kBanking);
    // As the heartbeat does before a hover without a hovered element.
    SetAppCursor(0, false);
    ASSERT_EQ(HoverAt(banking, {3, 3}), 26);
    EXPECT_EQ(palette->GetHoveredElement(), banking);
    EXPECT_EQ(palette->GetGlow().level, 140);
    EXPECT_EQ(palette->GetGlow().step, -20);
    EXPECT_EQ(CursorName(), kSideArrowCursor);
    // Nothing more before a second of hovering.
    HoverAt(banking, {4, 3});
    EXPECT_EQ(palette->GetGlow().level, 140);
    std::vector<int32_t> levels;
    platform::SleepMs(1100);
    for (int i = 0; i < 20; ++i) {
      HoverAt(banking, {3, 3});
      levels.push_back(palette->GetGlow().level);
      platform::SleepMs(50);
    }
    const std::vector<int32_t> expected{120, 100, 80, 60, 40, 20, 0, 0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200,
                                        220, 240};
    EXPECT_EQ(levels, expected);
    for (int i = 0; i < 2; ++i) {
      HoverAt(banking, {3, 3});
      platform::SleepMs(50);
    }
    EXPECT_EQ(palette->GetGlow().level, 236);
    // The glow shows a picture of its own: the highlight over the normal picture by 236 / 256, the
    // normal picture's alpha kept. Leaving gives the button its own picture back.
    CImage* shown = banking->GetImage();
    CImage* normal = banking->GetImageList()->ImageAt(0);
    CImage* lit = banking->GetImageList()->ImageAt(1);
    ASSERT_NE(shown, normal);
    {
      CImNavigator a(normal, nullptr, false, false), b(lit, nullptr, false, false), c(shown, nullptr, false, false);
      ASSERT_TRUE(a.IsUsable() && b.IsUsable() && c.IsUsable());
      const CImVector n = a.Cells(10)[20], l = b.Cells(10)[20], g = c.Cells(10)[20];
      EXPECT_EQ(g.Alpha(), n.Alpha());
      EXPECT_NEAR(g.Red(), n.Red() + (l.Red() - n.Red()) * 236 / 256, 2);
      EXPECT_NEAR(g.Blue(), n.Blue() + (l.Blue() - n.Blue()) * 236 / 256, 2);
    }
    EXPECT_EQ(State(banking), 0u);
    HoverAt(banking, {-5, 3});
    EXPECT_EQ(palette->GetHoveredElement(), nullptr);
    EXPECT_EQ(banking->GetImage(), banking->GetImageList()->ImageAt(0));
  });
}

TEST_F(ControlPaletteControls, ZoneHoverSetsTheZonesCursor) {
  RunPalette([&] {
    CImElement* xz = Camera(CControlPalette::kCameraXZ);
    struct SCase {
      SPointHV at;
      uint32_t cursor;
    } cases[] = {{kZone1, 114}, {kZone2, 123}, {kZone3, 124}, {kZone4, 111}, {kNoZone, 0}};
    for (const SCase& c : cases) {
      HoverAt(xz, c.at);
      EXPECT_EQ(CursorName(), c.cursor ? Shape(c.cursor) : std::string("arrow")) << c.at.h << "," << c.at.v;
    }
    // Plain hover takes the cursor of the element's attachment.
    HoverAt(palette->GetViewControl(), {30, 5});
    EXPECT_EQ(CursorName(), kSideArrowCursor);
  });
}

}  // namespace
