// The sky & fog palette as the program builds it, driven through the headless input script and the
// virtual clock: its controls, readouts, help lines, sky dots, menus and swatches, each change
// written into the document window's sky with one undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <cmath>
#include <string>
#include <vector>

#include "app/control_palette.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "presets/sky_fog_palette.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tests/app/press_script.h"
#include "tests/app/shell_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

constexpr uint32_t kAlt = 18;
constexpr uint32_t kSpace = 32;

// A broadcast message as it went round: kind, names, first payload word.
struct SSeen {
  uint32_t kind;
  std::string element, window, canvas;
  int32_t word0;
};

class SkyFogControls : public ShellTest {
 protected:
  // The palette shown, the edit state from the document, and every broadcast kept from here on.
  CSkyFogPalette* Start() {
    palette = GetCurrentSkyFogPalette();
    EXPECT_NE(palette, nullptr);
    if (!palette) return nullptr;
    palette->Show();
    palette->Activate();
    CCFEntry row;
    row.owner = this;
    row.callback = &Keep;
    palette->GetOwner()->InsertAt(0, &row, 1);
    history().Clear();
    Play("wait 20\n");
    seen.clear();
    return palette;
  }
  void Finish() {
    if (palette) palette->GetOwner()->Unregister(this);
    Play("keyup 18\nkeyup 32\n");
  }
  static int32_t Keep(void* test, void* message, void*) {
    const auto* m = static_cast<const CUIMessage*>(message);
    auto* self = static_cast<SkyFogControls*>(test);
    self->seen.push_back({m->kind, m->elementName, m->windowName, m->canvasName, m->GetPayloadWord(0)});
    if (self->onSeen) self->onSeen();
    return 0;
  }
  std::vector<SSeen> Seen(uint32_t kind) const {
    std::vector<SSeen> out;
    for (const SSeen& m : seen) {
      if (m.kind == kind) out.push_back(m);
    }
    return out;
  }
  CUndoHistory& history() { return window->GetDocument()->GetUndoHistory(); }
  CImElement* Control(const SLayoutNeed& need) {
    CElement* found = nullptr;
    CElSystem::FindByName(palette->GetRoot(), need.name, &found);
    EXPECT_NE(found, nullptr) << need.name;
    return dynamic_cast<CImElement*>(found);
  }
  static SPointHV OnScreen(CElement* element, SPointHV local) {
    SPointHV at;
    element->LocalToRootPoint(&at, local);
    return at;
  }
  static uint32_t Entry(CImElement* element) {
    CIxImage* list = element ? element->GetImageList() : nullptr;
    return list ? list->Selected() : 99;
  }
  // A press at the local point of the element, the moves (local points) while it is held, released.
  void Drag(CElement* element, SPointHV from, const std::vector<SPointHV>& moves,
            const std::vector<uint32_t>& keys = {}) {
    const SPointHV at = OnScreen(element, from);
    std::string during;
    for (SPointHV m : moves) {
      const SPointHV to = OnScreen(element, m);
      during += "move " + std::to_string(to.h) + " " + std::to_string(to.v) + "\n";
    }
    Play(PressScript(at.h, at.v, during, keys, "wait 50\n"));
  }
  void Click(CElement* element, SPointHV local = {4, 4}, const std::vector<uint32_t>& keys = {}) {
    Drag(element, local, {}, keys);
  }
  static CSkyParams State() { return GetSkyEditState(); }
  static std::string Cursor() { return platform::headless::CursorDescription(platform::GetCursor()); }
  double Haze() {
    CHolder lock(window->GetSky(), false, false);
    return window->GetSky()->GetSettings().hazeAmount;
  }
  std::vector<uint8_t> SkyBytes() {
    C3dSky* sky = window->GetSky();
    CHolder lock(sky, false, false);
    const SSkySettings& s = sky->GetSettings();
    const auto* bytes = reinterpret_cast<const uint8_t*>(&s);
    return {bytes, bytes + sizeof s};
  }
  // A heartbeat of the main loop to the palette's hover watch, the pointer at the element's point.
  void HoverAt(CElement* element, SPointHV local) {
    const SPointHV at = OnScreen(element, local);
    Play("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\n");
    Beat();
  }
  void Beat() {
    platform::AdvanceVirtualClock(20);
    SHeartbeatRecord record;
    CSkyFogPalette::HoverTick(palette, &record, nullptr);
  }
  // The help lines sent since the last look, first and second line.
  std::vector<std::pair<std::string, std::string>> TakeHelp() {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const SSeen& m : Seen(4)) lines.push_back({m.element, m.window});
    seen.clear();
    return lines;
  }

  // The edit state changed by `change`, written into the scene without an undo step, and shown.
  void SetState(const std::function<void(CSkyParams&)>& change) {
    CSkyParams p = GetSkyEditState();
    change(p);
    StoreSkyEditState(p);
    palette->CommitChange();
    palette->ShowEditState();
    history().Clear();
    seen.clear();
  }
  // The palette's handling of a message that pops up a menu at its press point, row `row` chosen.
  void ChooseRow(const SLayoutNeed& button, uint32_t row) {
    CImElement* element = Control(button);
    const SPointHV at = OnScreen(element, {3, 3});
    ASSERT_TRUE(platform::headless::AddScript("wait 20\nmove " + std::to_string(at.h + 33) + " " +
                                              std::to_string(at.v + 3 + int32_t(row - 1) * 19 + 9) +
                                              "\nwait 20\ndown left\nwait 20\nup left\n"));
    CUIMessage message;
    message.InitWithPoints(0, element, at, {3, 3}, 0);
    EXPECT_EQ(palette->HandleEvent(&message), 26);
    Play("wait 20\n");
  }
  // A swatch's pick as the eyedroppers report it.
  void Pick(uint32_t swatch, uint32_t colour, uint32_t kind = 3) {
    CUIMessage message;
    message.InitFromElement(kind, palette->GetSwatch(swatch), 0);
    message.SetPayloadWord(0, int32_t(colour));
    EXPECT_EQ(palette->HandleEvent(&message), 26);
  }
  static uint32_t Pixel(CImage* image, int32_t x, int32_t y) {
    CImNavigator pixels(image, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(uint32_t(y))[x].value & 0xFFFFFF : 0xDEADBEEF;
  }
  CSkyFogPalette* palette = nullptr;
  std::vector<SSeen> seen;
  // Called with each broadcast, while the control that sent it still runs.
  std::function<void()> onSeen;
};

TEST_F(SkyFogControls, EveryControlIsBoundAndTheDotsStartEmpty) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    for (const SLayoutNeed* need : {&need::kSkyModeStrip, &need::kShadowStrip, &need::kFogStrip, &need::kHazeStrip,
                                    &need::kCloudHeightStrip, &need::kCloudCoverStrip, &need::kCloudProfile,
                                    &need::kSunControl, &need::kSunMoon, &need::kSkyRandomize,
                                    &need::kSkyFogMenuButton, &need::kSkyModeMenuButton})
      EXPECT_NE(Control(*need), nullptr) << need->name;
    // Every swatch and drawn control has a picture of its own, of its size.
    for (uint32_t i = 0; i < 7; ++i) {
      ASSERT_NE(palette->GetSwatch(i), nullptr) << i;
      ASSERT_NE(palette->GetSwatch(i)->GetImage(), nullptr) << i;
      EXPECT_EQ(int32_t(palette->GetSwatch(i)->GetImage()->GetWidth()), RectWidth(palette->GetSwatch(i)->GetRect()));
    }
    ASSERT_NE(palette->GetSunControl()->GetImage(), nullptr);
    EXPECT_EQ(palette->GetSunControl()->GetImage()->GetWidth(), 64u);
    EXPECT_EQ(palette->GetCloudProfile()->GetImage()->GetHeight(), 40u);
    for (uint32_t dot = 0; dot < 6; ++dot) EXPECT_EQ(Control(need::kSkyDots[dot])->GetUserWord(0), dot);
    EXPECT_EQ(palette->GetDots().GetCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(palette->GetDots()[i].filled, 0) << i;
    EXPECT_FLOAT_EQ(Control(need::kSkyFogTabs[0])->GetOpacity(), 0.0f);
    uint32_t rows = 0;
    CAppl* program = GetApplication();
    while (program->IsHeartbeatSubscriber(palette)) {
      program->UnsubscribeHeartbeat(palette);
      ++rows;
    }
    EXPECT_EQ(rows, 1u) << "one heartbeat row, the hover watch";
    Finish();
  });
}

TEST_F(SkyFogControls, HazeDragShowsItsPicturesAndAppliesOnRelease) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CSkyParams start = State();
    start.hazeIntensity = 0;
    StoreSkyEditState(start);
    palette->ApplySky(false, true, false);
    palette->ShowEditState();
    CImElement* haze = Control(need::kHazeStrip);
    ASSERT_EQ(Entry(haze), 0u);
    const SPointHV from{5, 18};
    std::vector<SPointHV> moves;
    for (int32_t dx : {10, 11, 20, 21}) moves.push_back({from.h + dx, from.v});
    // Each pass of the loop broadcasts its readout: the picture shown then, and the edit state, which
    // changes only on release.
    std::vector<std::pair<std::string, uint32_t>> passes;
    onSeen = [&] {
      if (seen.back().kind != 4) return;
      EXPECT_EQ(seen.back().window, "02 ");
      EXPECT_EQ(State().hazeIntensity, 0);
      if (passes.empty() || passes.back().first != seen.back().element)
        passes.push_back({seen.back().element, Entry(haze)});
    };
    Drag(haze, from, moves);
    onSeen = nullptr;
    EXPECT_EQ(passes, (std::vector<std::pair<std::string, uint32_t>>{
                          {"220", 0}, {"2210", 1}, {"2211", 2}, {"2220", 2}, {"2221", 3}}));
    EXPECT_EQ(State().hazeIntensity, 21);
    EXPECT_EQ(Entry(haze), 3u);
    EXPECT_DOUBLE_EQ(Haze(), 21 * 0.01 * 5);
    ASSERT_NE(history().GetCurrentAction(), nullptr) << "one undo step";
    EXPECT_EQ(history().Undo(), 0);
    EXPECT_EQ(State().hazeIntensity, 0);

    // Far to the left it stops at 0.
    StoreSkyEditState([] { CSkyParams p = GetSkyEditState(); p.hazeIntensity = 5; return p; }());
    Drag(haze, from, {{from.h - 40, from.v}});
    EXPECT_EQ(State().hazeIntensity, 0);
    EXPECT_EQ(Entry(haze), 0u);
    Finish();
  });
}

TEST_F(SkyFogControls, ReadoutsShowTheEditState) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    struct SCase {
      int32_t value;
      uint32_t picture;
    };
    for (const SCase c : {SCase{0, 0}, {1, 1}, {10, 1}, {11, 2}, {20, 2}, {100, 10}}) {
      SetState([&](CSkyParams& p) { p.shadowIntensity = p.hazeIntensity = p.cloudHeight = p.cloudCover = c.value; });
      for (const SLayoutNeed* strip : {&need::kShadowStrip, &need::kHazeStrip, &need::kCloudHeightStrip,
                                       &need::kCloudCoverStrip})
        EXPECT_EQ(Entry(Control(*strip)), c.picture) << strip->name << " " << c.value;
    }
    struct SFog {
      int32_t intensity, height;
      uint32_t picture;
    };
    for (const SFog c : {SFog{100, 100, 71}, {50, 0, 3}, {51, 0, 4}, {0, 100, 66}}) {
      SetState([&](CSkyParams& p) {
        p.fogIntensity = c.intensity;
        p.fogHeight = c.height;
      });
      EXPECT_EQ(Entry(Control(need::kFogStrip)), c.picture) << c.intensity << " " << c.height;
    }
    for (uint8_t sun : {1, 0}) {
      SetState([&](CSkyParams& p) {
        p.isSun = sun;
        p.sunDirection = {0, sun ? 1.0 : -1.0, 0};
      });
      EXPECT_EQ(Entry(Control(need::kSunMoon)), sun ? 0u : 1u);
    }
    SetState([](CSkyParams& p) { p.skyMode = FourCC("dark"); });
    EXPECT_FALSE(palette->GetSwatch(0)->IsShown());
    EXPECT_EQ(Entry(palette->GetSkyModeElement()), 1u);
    Finish();
  });
}

TEST_F(SkyFogControls, TheNumericDialogsOkIsAppliedAsOneStep) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) { p.hazeIntensity = 0; });
    CSkyParams typed = State();
    typed.hazeIntensity = 40;
    StoreSkyEditState(typed);
    CUIMessage ok;
    ok.Init(0, "ok", nullptr, "edit skyfog", CUIMessage::kBroadcast);
    EXPECT_EQ(palette->HandleEvent(&ok), 26);
    EXPECT_DOUBLE_EQ(Haze(), 2.0);
    EXPECT_EQ(Entry(Control(need::kHazeStrip)), 4u);
    ASSERT_NE(history().GetCurrentAction(), nullptr);
    ASSERT_EQ(history().Undo(), 0);
    EXPECT_EQ(State().hazeIntensity, 0);
    EXPECT_EQ(Entry(Control(need::kHazeStrip)), 0u) << "undo shows the state it restores";
    Finish();
  });
}

// A flat sky set on the palette, saved by the program and rendered by the render tool, is that colour.
TEST_F(SkyFogControls, AFlatSkyRendersInItsColour) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) {
      p.skyMode = FourCC("aoff");
      p.flatSkyColor.value = 0x3366CC;
      p.hazeIntensity = p.fogIntensity = p.fogHeight = 0;
    });
    char folder[4096] = {};
    ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
    ASSERT_TRUE(platform::headless::AddScript(std::string("save ") + folder + "/flat\n"));
    ASSERT_EQ(window->CDocWindow::SaveDocument(0), 0);
    const SRun render = RunCommand(std::string("cd '") + folder + "' && " + QUARN2_RENDER_PATH +
                                   " flat.qnc out.bmp --width 320 --height 240 2>&1");
    ASSERT_EQ(render.status, 0) << render.out;
    const SRun pixel = RunCommand(std::string("cd '") + folder + "' && convert out.bmp -format '%[hex:p{160,10}]' info:");
    ASSERT_EQ(pixel.status, 0) << pixel.out;
    const uint32_t colour = uint32_t(std::stoul(pixel.out.substr(0, 6), nullptr, 16));
    for (int shift : {16, 8, 0})
      EXPECT_NEAR(int((colour >> shift) & 0xFF), int((0x3366CCu >> shift) & 0xFF), 1) << pixel.out;
    Finish();
  });
}

TEST_F(SkyFogControls, FogDragMovesBothValues) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) { p.fogIntensity = p.fogHeight = 0; });
    CImElement* fog = Control(need::kFogStrip);
    Drag(fog, {5, 30}, {{30, 30}, {55, 30}, {55, 0}, {55, -70}});
    EXPECT_EQ(State().fogIntensity, 50);
    EXPECT_EQ(State().fogHeight, 100);
    EXPECT_EQ(Entry(fog), 69u);
    ASSERT_FALSE(Seen(4).empty());
    EXPECT_EQ(Seen(4).back().element, "2250  100");
    EXPECT_NE(history().GetCurrentAction(), nullptr);
    Finish();
  });
}

TEST_F(SkyFogControls, SkyModePressesAndDrags) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* mode = Control(need::kSkyModeStrip);
    struct SCase {
      uint32_t from;
      int32_t dx;  // 0: a press without a move
      uint32_t to;
    };
    const uint32_t soft = FourCC("soft"), dark = FourCC("dark"), cust = FourCC("cust"), aoff = FourCC("aoff");
    const SCase cases[] = {{dark, 0, cust}, {aoff, 0, soft}, {dark, 1, cust},
                           {dark, 34, aoff}, {dark, -32, dark}, {dark, -33, soft}};
    for (const SCase& c : cases) {
      SetState([&](CSkyParams& p) { p.skyMode = c.from; });
      const SPointHV from{18, 10};
      if (c.dx) Drag(mode, from, {{from.h + c.dx / 2, from.v}, {from.h + c.dx, from.v}});
      else Click(mode, from);
      EXPECT_EQ(State().skyMode, c.to) << c.from << " " << c.dx;
      EXPECT_EQ(Entry(mode), SkyModeIndex(c.to)) << c.from << " " << c.dx;
      EXPECT_NE(history().GetCurrentAction(), nullptr) << c.from << " " << c.dx;
    }
    // The foot of the strip takes no press.
    SetState([](CSkyParams& p) { p.skyMode = FourCC("dark"); });
    const int32_t height = RectHeight(mode->GetRect());
    Click(mode, {18, height - 4});
    EXPECT_EQ(State().skyMode, FourCC("dark"));
    EXPECT_EQ(history().GetCurrentAction(), nullptr);
    Finish();
  });
}

TEST_F(SkyFogControls, CloudControlTakesScaleAndAmplitude) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* cloud = palette->GetCloudProfile();
    SetState([](CSkyParams& p) {
      p.cloudScale = 0;
      p.cloudAmplitude = 100;
    });
    Drag(cloud, {30, 30}, {{30, 25}, {30, 20}});
    EXPECT_EQ(State().cloudAmplitude, 120) << "10 pixels up raise it by 20";
    EXPECT_EQ(State().cloudScale, 0);
    ASSERT_FALSE(Seen(4).empty());
    EXPECT_EQ(Seen(4).back().element, "220  120");
    EXPECT_NE(history().GetCurrentAction(), nullptr);

    SetState([](CSkyParams& p) { p.cloudAmplitude = 490; });
    platform::AdvanceVirtualClock(2000);
    std::vector<SPointHV> moves;
    for (int32_t step = 1; step <= 6; ++step) moves.push_back({10 + 50 * step, 30 - 4 * step});
    Drag(cloud, {10, 30}, moves);
    EXPECT_EQ(State().cloudAmplitude, 500) << "never beyond 500";
    EXPECT_EQ(State().cloudScale, 200) << "300 pixels right of 0";
    Finish();
  });
}

TEST_F(SkyFogControls, DoubleClickOnTheCloudControlOpensTheNumericDialog) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* cloud = palette->GetCloudProfile();
    SetState([](CSkyParams& p) { p.cloudScale = 50; });
    const SPointHV at = OnScreen(cloud, {30, 20});
    const std::string click = "move " + std::to_string(at.h) + " " + std::to_string(at.v) +
                              "\ndown left\nwait 30\nup left\nwait 30\n";
    platform::AdvanceVirtualClock(2000);
    Play(click + "down left\nwait 30\nmove " + std::to_string(at.h + 40) + " " + std::to_string(at.v) +
         "\nwait 30\nup left\nwait 50\n");
    bool opened = false;
    for (const SSeen& m : Seen(0)) opened |= m.element == "edit sky&fog" && m.canvas == "sky&fog palette";
    EXPECT_TRUE(opened);
    EXPECT_EQ(State().cloudScale, 50) << "the second press starts no drag";
    Play("key 27\nkeyup 27\nwait 20\n");
    Finish();
  });
}

TEST_F(SkyFogControls, SunDragStaysInTheCircleAndTakesThePointerBack) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* sun = palette->GetSunControl();
    SetState([](CSkyParams& p) {
      p.isSun = 1;
      p.sunDirection = {0, 1, 0};
    });
    const SPointHV press{32, 32};
    const SPointHV home = OnScreen(sun, press);
    std::vector<SPointHV> moves;
    for (int32_t step = 1; step <= 8; ++step) moves.push_back({press.h + 40 * step, press.v - 30 * step});
    Drag(sun, press, moves);
    const CSkyParams state = State();
    EXPECT_LE(std::abs(state.sunPointX), 99);
    EXPECT_LE(std::abs(state.sunPointY), 99);
    EXPECT_GT(state.sunPointX, 50) << "to the right";
    EXPECT_GT(state.sunPointY, 50) << "and up";
    EXPECT_GT(state.sunDirection.x, 0.5);
    EXPECT_GT(state.sunDirection.z, 0.5);
    const platform::SPoint pointer = GetApplication()->GetCursorPos();
    EXPECT_EQ(pointer.x, home.h);
    EXPECT_EQ(pointer.y, home.v);
    EXPECT_EQ(platform::ShowCursor(true), 1) << "the pointer is shown again";
    platform::ShowCursor(false);
    EXPECT_NE(history().GetCurrentAction(), nullptr);
    {
      CHolder lock(window->GetSun(), false, false);
      EXPECT_NEAR(window->GetSun()->GetDirection().x, state.sunDirection.x, 1e-6);
    }
    // A press outside the ball starts nothing.
    SetState([](CSkyParams& p) { p.sunDirection = {0, 1, 0}; });
    Drag(sun, {1, 1}, {{40, 1}});
    EXPECT_EQ(State().sunPointX, 0);
    EXPECT_EQ(history().GetCurrentAction(), nullptr);
    Finish();
  });
}

TEST_F(SkyFogControls, SunMoonSwitchesOnlyWhenReleasedOverIt) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* toggle = Control(need::kSunMoon);
    SetState([](CSkyParams& p) {
      p.isSun = 1;
      p.sunDirection = {0.6, 0.8, 0};
    });
    Drag(toggle, {10, 10}, {{80, 10}});
    EXPECT_EQ(State().isSun, 1);
    EXPECT_EQ(Entry(toggle), 0u);
    EXPECT_EQ(history().GetCurrentAction(), nullptr);
    Click(toggle, {10, 10});
    EXPECT_EQ(State().isSun, 0);
    EXPECT_EQ(Entry(toggle), 1u);
    CHolder lock(window->GetSun(), false, false);
    EXPECT_LT(window->GetSun()->GetDirection().y, 0) << "the moon stands below the horizon";
    Finish();
  });
}

TEST_F(SkyFogControls, SkyDotsStoreRecallAndEmpty) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* dot3 = Control(need::kSkyDots[3]);
    SetState([](CSkyParams& p) { p.hazeIntensity = 33; });
    const std::vector<uint8_t> before = SkyBytes();
    Click(dot3);
    EXPECT_EQ(palette->GetDots()[2].filled, 1);
    EXPECT_EQ(palette->GetDots()[2].params.hazeIntensity, 33);
    EXPECT_EQ(SkyBytes(), before) << "storing leaves the scene alone";
    EXPECT_EQ(history().GetCurrentAction(), nullptr);

    SetState([](CSkyParams& p) { p.hazeIntensity = 70; });
    Click(dot3);
    EXPECT_EQ(State().hazeIntensity, 33);
    EXPECT_EQ(Entry(Control(need::kHazeStrip)), 4u);
    EXPECT_DOUBLE_EQ(Haze(), 33 * 0.01 * 5);
    EXPECT_NE(history().GetCurrentAction(), nullptr);
    EXPECT_EQ(Entry(dot3), 1u) << "the apply leaves the dot holding, no longer selected";

    Click(dot3, {4, 4}, {kAlt});
    EXPECT_EQ(palette->GetDots()[2].filled, 0);
    EXPECT_EQ(Entry(dot3), 0u);

    // Alt on dot 0 only beeps.
    const uint32_t beeps = platform::BeepCount();
    SetState([](CSkyParams& p) { p.hazeIntensity = 70; });
    Click(Control(need::kSkyDots[0]), {4, 4}, {kAlt});
    EXPECT_EQ(platform::BeepCount(), beeps + 1);
    EXPECT_EQ(State().hazeIntensity, 70);
    EXPECT_EQ(history().GetCurrentAction(), nullptr);

    // A plain press resets, one undo step bringing the sky back.
    SetState([](CSkyParams& p) {
      p.stratusOn = p.cumulusOn = 1;
      p.hazeIntensity = 70;
    });
    const std::vector<uint8_t> changed = SkyBytes();
    Click(Control(need::kSkyDots[0]));
    EXPECT_EQ(State().stratusOn + State().cumulusOn, 0);
    {
      CHolder lock(window->GetSky(), false, false);
      EXPECT_EQ(window->GetSky()->GetSettings().flags, SSkySettings().flags);
    }
    ASSERT_EQ(history().Undo(), 0);
    EXPECT_EQ(SkyBytes(), changed);
    Finish();
  });
}

TEST_F(SkyFogControls, SkyModeMenu) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) { p.skyMode = FourCC("soft"); });
    ChooseRow(need::kSkyModeMenuButton, 1);
    EXPECT_EQ(history().GetCurrentAction(), nullptr) << "the current mode applies nothing";
    ChooseRow(need::kSkyModeMenuButton, 3);
    EXPECT_EQ(State().skyMode, FourCC("cust"));
    EXPECT_EQ(Entry(palette->GetSkyModeElement()), 2u);
    EXPECT_TRUE(palette->GetSwatch(0)->IsShown());
    EXPECT_NE(history().GetCurrentAction(), nullptr);
    CHolder lock(window->GetSky(), false, false);
    EXPECT_EQ(window->GetSky()->GetSettings().flags & 0x0F, 0x09u);
    Finish();
  });
}

TEST_F(SkyFogControls, OptionsMenu) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    // Its four options are ticked each on its own from the palette and the edit state.
    for (const bool stratus : {false, true}) {
      SetState([&](CSkyParams& p) {
        p.stratusOn = stratus;
        p.cumulusOn = 1;
      });
      CMenu* loaded = nullptr;
      ASSERT_EQ(CMenu::Load(palette->GetResourceEnvironment(), 201, &loaded, palette->GetWindow()), 0);
      std::unique_ptr<CMenu> menu(loaded);
      palette->TickSkyFogMenu(*menu);
      std::vector<bool> ticked;
      for (uint32_t row = 1; row <= 4; ++row)
        ticked.push_back(platform::GetMenuState(menu->GetPlatformMenu(), row, platform::kMfByCommand) &
                         platform::kMfChecked);
      EXPECT_EQ(ticked, (std::vector<bool>{false, true, stratus, true})) << stratus;
    }
    SetState([](CSkyParams& p) { p.stratusOn = 0; });
    ChooseRow(need::kSkyFogMenuButton, 1);
    EXPECT_TRUE(palette->IsAutoRender());
    EXPECT_EQ(history().GetCurrentAction(), nullptr) << "'auto' applies nothing";
    CDocWindowDouble::gCalls.clear();
    ChooseRow(need::kSkyFogMenuButton, 3);
    EXPECT_EQ(State().stratusOn, 1);
    EXPECT_NE(history().GetCurrentAction(), nullptr);
    const auto& calls = CDocWindowDouble::gCalls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "HandleEvent 0 \"clear & render button\" \"doc window\" 0"),
              calls.end())
        << "with auto-render on, the apply renders";
    ChooseRow(need::kSkyFogMenuButton, 1);
    EXPECT_FALSE(palette->IsAutoRender());

    seen.clear();
    ChooseRow(need::kSkyFogMenuButton, 5);
    bool asked = false;
    for (const SSeen& m : Seen(0)) asked |= m.element == "edit sky&fog" && m.canvas == "sky&fog palette";
    EXPECT_TRUE(asked) << "'es&f' asks the palette manager for the numeric dialog";
    Play("key 27\nkeyup 27\nwait 20\n");

    SetState([](CSkyParams& p) { p.hazeIntensity = 70; });
    ChooseRow(need::kSkyFogMenuButton, 6);
    EXPECT_EQ(State().hazeIntensity, 8) << "'rsky' resets";
    Finish();
  });
}

TEST_F(SkyFogControls, SwatchesTakeTheirColours) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) {
      p.skyMode = FourCC("cust");
      p.customColor1.value = 0x111111;
      p.customColor2.value = 0x222222;
      p.customColor3.value = 0x333333;
    });
    CImage* modeSwatch = palette->GetSwatch(0)->GetImage();
    const int32_t w = int32_t(modeSwatch->GetWidth());
    EXPECT_EQ(Pixel(modeSwatch, 0, 2), 0x111111u);
    EXPECT_EQ(Pixel(modeSwatch, w / 3, 2), 0x222222u);
    EXPECT_EQ(Pixel(modeSwatch, 2 * w / 3, 2), 0x333333u);
    EXPECT_EQ(Pixel(modeSwatch, w - 1, 2), 0x333333u);

    struct SCase {
      int32_t x;
      CImVector CSkyParams::*changed;
    };
    const SCase cases[] = {{1, &CSkyParams::customColor1}, {w / 3, nullptr}, {w / 3 + 1, &CSkyParams::customColor2},
                           {2 * w / 3 + 1, &CSkyParams::customColor3}};
    for (const SCase& c : cases) {
      const CSkyParams before = State();
      palette->SetSkyModeSwatchPress({c.x, 2});
      Pick(0, 0xABCDEF);
      for (auto field : {&CSkyParams::customColor1, &CSkyParams::customColor2, &CSkyParams::customColor3}) {
        EXPECT_EQ((State().*field).value, field == c.changed ? 0xABCDEFu : (before.*field).value) << c.x;
      }
      EXPECT_NE(history().GetCurrentAction(), nullptr) << "applied at " << c.x;
      SetState([&](CSkyParams& p) { p = before; });
    }

    // In 'soft' the swatch is hidden and a pick changes nothing, but applies.
    SetState([](CSkyParams& p) { p.skyMode = FourCC("soft"); });
    EXPECT_FALSE(palette->GetSwatch(0)->IsShown());
    const CSkyParams soft = State();
    Pick(0, 0x123456);
    EXPECT_EQ(State().flatSkyColor.value, soft.flatSkyColor.value);
    EXPECT_EQ(State().customColor2.value, soft.customColor2.value);
    EXPECT_NE(history().GetCurrentAction(), nullptr);

    SetState([](CSkyParams& p) {
      p.skyMode = FourCC("aoff");
      p.flatSkyColor.value = 0x3366CC;
    });
    EXPECT_TRUE(palette->GetSwatch(0)->IsShown());
    EXPECT_EQ(Pixel(modeSwatch, w - 1, 2), 0x3366CCu);

    // The six others hold their colours and write them.
    const CImVector CSkyParams::*fields[] = {&CSkyParams::shadowColor,      &CSkyParams::fogColor,
                                              &CSkyParams::hazeColor,        &CSkyParams::cloudHeightColor,
                                              &CSkyParams::cloudCoverColor,  &CSkyParams::sunColor};
    for (uint32_t i = 1; i < 7; ++i) {
      Pick(i, 0x010203 * i, 2);
      EXPECT_EQ((State().*fields[i - 1]).value, 0x010203 * i) << i;
      EXPECT_EQ(Pixel(palette->GetSwatch(i)->GetImage(), 1, 1), 0x010203 * i) << i;
    }
    CHolder lock(window->GetSun(), false, false);
    EXPECT_NEAR(window->GetSun()->GetColour().x, 6 * 0.003921569, 1e-6);
    Finish();
  });
}

TEST_F(SkyFogControls, HoverHelpFollowsTheControlUnderThePointer) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* shadow = Control(need::kShadowStrip);
    HoverAt(shadow, {10, 10});
    auto help = TakeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0], std::make_pair(std::string("12Shadows"), std::string("10Drag sideways to darken the shadows")));
    EXPECT_EQ(palette->GetHoveredElement(), shadow);
    EXPECT_EQ(Cursor(), "picture cursor 112 hot 15,15");
    HoverAt(shadow, {12, 12});
    EXPECT_TRUE(TakeHelp().empty()) << "staying on it sends nothing more";

    // Over the sky mode swatch in 'cust' the second line follows the thirds; in 'aoff' 4 and 5.
    SetState([](CSkyParams& p) { p.skyMode = FourCC("cust"); });
    CImElement* swatch = palette->GetSwatch(0);
    const int32_t w = RectWidth(swatch->GetRect());
    std::vector<std::string> seconds;
    for (int32_t x : {2, w / 3 + 2, w - 2}) {
      HoverAt(swatch, {x, 5});
      for (const auto& line : TakeHelp()) seconds.push_back(line.second);
    }
    EXPECT_EQ(seconds, (std::vector<std::string>{"10Drag to pick the sun glow colour", "10Drag to pick the zenith colour",
                                                 "10Drag to pick the horizon colour"}));
    SetState([](CSkyParams& p) { p.skyMode = FourCC("aoff"); });
    HoverAt(shadow, {10, 10});
    TakeHelp();
    HoverAt(swatch, {2, 5});
    help = TakeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].first, "12Flat sky colour");

    // Space held: the open hand, nothing hovered.
    Play("key 32\n");
    Beat();
    EXPECT_EQ(palette->GetHoveredElement(), nullptr);
    EXPECT_EQ(Cursor(), "shape 108");
    Play("keyup 32\n");

    // Leaving the palette: an empty help line and the arrow.
    HoverAt(shadow, {10, 10});
    TakeHelp();
    Play("move 2 700\n");
    Beat();
    help = TakeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0], std::make_pair(std::string(), std::string()));
    EXPECT_EQ(Cursor(), "arrow");
    Finish();
  });
}

TEST_F(SkyFogControls, RandomizeButtonPulsesAsTheControlPalettesGlow) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    CImElement* button = Control(need::kSkyRandomize);
    HoverAt(button, {10, 10});
    EXPECT_EQ(palette->GetTracker().GetLevel(), 140);
    std::vector<std::pair<int64_t, int32_t>> steps;
    const int64_t start = platform::NowTicks();
    int32_t level = 140;
    for (int i = 0; i < 150; ++i) {
      platform::AdvanceVirtualClock(10);
      SHeartbeatRecord record;
      CSkyFogPalette::HoverTick(palette, &record, nullptr);
      if (palette->GetTracker().GetLevel() != level) {
        level = palette->GetTracker().GetLevel();
        steps.push_back({platform::NowTicks() - start, level});
      }
    }
    ASSERT_GE(steps.size(), 3u);
    EXPECT_GE(steps[0].first, 61) << "nothing before a second";
    EXPECT_EQ(steps[0].second, 120);
    for (size_t i = 1; i < steps.size(); ++i) {
      EXPECT_GE(steps[i].first - steps[i - 1].first, 3) << i;
      EXPECT_EQ(std::abs(steps[i].second - steps[i - 1].second), 20) << i;
    }
    Finish();
  });
}

TEST_F(SkyFogControls, SunControlKeepsThePaletteBackgroundAroundTheBall) {
  Run([&] {
    ASSERT_NE(Start(), nullptr);
    SetState([](CSkyParams& p) {
      p.sunColor.value = 0xFFFFFF;
      p.sunDirection = {0, 1, 0};
    });
    palette->UpdateNow();
    CImage* ball = palette->GetSunControl()->GetImage();
    EXPECT_EQ(Pixel(ball, 32, 32), 0xF0F0F0u) << "the centre, lit from straight above";
    EXPECT_EQ(Pixel(ball, 0, 0), 0x2E3338u) << "the palette's colour outside the ball";
    Finish();
  });
}

}  // namespace
