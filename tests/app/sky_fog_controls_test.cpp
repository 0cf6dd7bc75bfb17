// The sky & fog palette as the program builds it, driven through the headless input script and the
// virtual clock: its controls, readouts, help lines, sky dots, menus and swatches, each change
// written into the document window's sky with one undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/control_palette.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "presets/sky_fog_palette.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tests/app/press_script.h"
#include "tests/app/shell_fixture.h"

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
    static_cast<SkyFogControls*>(test)->seen.push_back(
        {m->kind, m->elementName, m->windowName, m->canvasName, m->GetPayloadWord(0)});
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

  CSkyFogPalette* palette = nullptr;
  std::vector<SSeen> seen;
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
    struct SCase {
      int32_t dx;
      uint32_t picture;
    };
    std::vector<uint32_t> shown;
    const SPointHV from{5, 18};
    std::vector<SPointHV> moves;
    for (int32_t dx : {10, 11, 20, 21}) moves.push_back({from.h + dx, from.v});
    // Each move is checked as the loop shows it, by the help line it broadcasts.
    Drag(haze, from, moves);
    std::vector<std::string> readouts;
    for (const SSeen& m : Seen(4)) {
      EXPECT_EQ(m.window, "02 ");
      if (readouts.empty() || readouts.back() != m.element) readouts.push_back(m.element);
    }
    EXPECT_EQ(readouts, (std::vector<std::string>{"220", "2210", "2211", "2220", "2221"}));
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

}  // namespace
