// The terrain editor built headless from the build's terraineditor.dat beside a document window, on
// a terrain of the window's scene, and driven as a hand would drive it: presses at the elements'
// places on the screen through the input script, with keys held.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editors/terrain/layout_needs.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/image/cursor_picture.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "scene/factory.h"
#include "scene/height_field.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/app/press_script.h"
#include "tests/editors/terrain/grid_fixture.h"

inline constexpr uint32_t kShiftKey = 16;
inline constexpr uint32_t kControlKey = 17;
inline constexpr uint32_t kAltKey = 18;
inline constexpr uint32_t kSpaceKey = 32;

// The heights of a height field, row after row.
inline Grid HeightsOf(C3dHeightField* field) {
  if (!field) return {};
  CHolder lock(field, false, false);
  if (!lock.IsLocked()) return {};
  const uint32_t n = field->GetSide();
  return Grid(field->GetGrid(), field->GetGrid() + size_t(n) * n);
}

inline void SetHeights(C3dHeightField* field, const Grid& heights) {
  CHolder lock(field, true, false);
  ASSERT_TRUE(lock.IsLocked());
  std::copy(heights.begin(), heights.end(), field->GetGrid());
}

// A document window that counts its redraw requests and scene look-ups.
class CTerrainDocWindow : public CNotingDocWindow {
 public:
  using CNotingDocWindow::CNotingDocWindow;
  void Invalidate(bool viewChanged) override {
    ++invalidated;
    CNotingDocWindow::Invalidate(viewChanged);
  }
  int32_t FindSceneParts(bool relink) override {
    ++found;
    return CNotingDocWindow::FindSceneParts(relink);
  }
  uint32_t invalidated = 0;
  uint32_t found = 0;
};

class TerrainEditorTest : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CTerrainDocWindow>();
    Show();
    InstallCursorPictureLoader();
    editorLayout = OpenDataFile("terraineditor.dat");
    editor = std::make_unique<CTerrainEditor>(owner, editorLayout.get());
    w->SetCompanions(editor.get(), nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 16\nkeyup 17\nkeyup 18\nkeyup 32\n");
    Settle();
    if (w) w->SetCompanions(nullptr, nullptr, nullptr, nullptr);
    editor.reset();
    editorLayout.reset();
    RemoveCursorPictureLoader();
    DocWindowTest::TearDown();
  }

  // A terrain of the scene with n × n heights (a flat 10000 unless given).
  C3dHeightField* AddTerrain(uint32_t n, const Grid& heights = {}) {
    C3dHeightField* field = nullptr;
    EXPECT_EQ(AppendNew(&field, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    if (!field) return nullptr;
    EXPECT_EQ(field->SetResolution(n), 0);
    SetHeights(field, heights.empty() ? FlatGrid(n, 10000) : heights);
    {
      CHolder lock(field, true, false);
      field->SetBoxAndPivot();
    }
    EXPECT_EQ(field->BuildTiles(), 0);
    EXPECT_EQ(w->FindSceneParts(true), 0);
    return field;
  }
  // The edit command on the terrain, as Ctrl+T gives it, with these keys held: its answer.
  int32_t Open(C3dHeightField* field, const std::vector<uint32_t>& keys = {}) {
    SelectOnly({field});
    for (uint32_t key : keys) platform::headless::AddScript("key " + std::to_string(key) + "\n");
    Settle();
    const int32_t answer = w->EditSelection();
    for (uint32_t key : keys) platform::headless::AddScript("keyup " + std::to_string(key) + "\n");
    Settle();
    return answer;
  }

  CElement* Element(const SLayoutNeed& need) {
    CElement* found = nullptr;
    FindIn(editor->GetRoot(), need.name, &found);
    EXPECT_NE(found, nullptr) << need.name;
    return found;
  }
  CImElement* Image(const SLayoutNeed& need) { return dynamic_cast<CImElement*>(Element(need)); }
  static void FindIn(CElement* parent, const char* name, CElement** found) {
    CElSystem* children = parent ? parent->GetChildren() : nullptr;
    CElement* child = nullptr;
    for (uint32_t i = 0; !*found && children && CElSystem::GetElementAt(children, i, &child) == 0 && child; ++i) {
      if (std::string(child->GetName()) == name) *found = child;
      else FindIn(child, name, found);
    }
  }
  static uint32_t ShownEntry(CElement* element) {
    auto* image = dynamic_cast<CImElement*>(element);
    return image && image->GetImageList() ? image->GetImageList()->Selected() : CIxImage::kNone;
  }
  // The screen point of a point of the element (its middle when none is given).
  SPointHV OnScreen(CElement* element, const SPointHV* local = nullptr) {
    const SRect& rect = element->GetRect();
    SRect own;
    element->GetLocalRect(&own);
    const SPointHV at = local ? *local : SPointHV{own.left + RectWidth(rect) / 2, own.top + RectHeight(rect) / 2};
    SPointHV screen;
    element->LocalToRootPoint(&screen, at);
    return screen;
  }
  // The keys held, a press on the element, each line of `during` a while apart, the release.
  void Press(CElement* element, const std::string& during = "", const std::vector<uint32_t>& keys = {},
             const SPointHV* local = nullptr) {
    const SPointHV screen = OnScreen(element, local);
    ASSERT_TRUE(platform::headless::AddScript(PressScript(screen.h, screen.v, during, keys, "wait 40\n")));
    Settle();
  }
  void PressButton(const SLayoutNeed& need, const std::string& during = "", const std::vector<uint32_t>& keys = {}) {
    Press(Element(need), during, keys);
  }
  // A UI message of the editor's element, as its press sends it (at a screen point): the handler's
  // answer.
  int32_t Send(const SLayoutNeed& need, const char* canvas = "terrain editor", SPointHV at = {}) {
    CUIMessage message;
    message.Init(0, need.name, nullptr, canvas, 0);
    message.firstPoint = at;
    return editor->HandleEvent(&message);
  }
  // The script of a choice in the pop-up menu that opens at the screen point: a click on the row
  // (rows 19 pixels high from 3 below the point), or with row 0 Escape, which dismisses it.
  static std::string ChooseRow(SPointHV at, uint32_t row) {
    if (!row) return "key 0x1B\nwait 30\nkeyup 0x1B\n";
    const SPointHV click{at.h + 33, at.v + 3 + int32_t(row - 1) * 19 + 9};
    return "move " + std::to_string(click.h) + " " + std::to_string(click.v) + "\nwait 20\ndown left\nwait 20\nup left\n";
  }
  // A key typed through the application as a hand types it: the modifiers held, the key's stroke.
  void Stroke(uint32_t key, const std::vector<uint32_t>& modifiers = {}) {
    // In hexadecimal: the script reads a single digit as the digit's key.
    char code[16];
    std::snprintf(code, sizeof code, "0x%02X", key);
    std::string script;
    for (uint32_t m : modifiers) script += "key " + std::to_string(m) + "\n";
    script += std::string("key ") + code + "\nwait 20\nkeyup " + code + "\n";
    for (uint32_t m : modifiers) script += "keyup " + std::to_string(m) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
  }
  // A key event straight to the editor, with the modifiers held: its answer.
  int32_t KeyEvent(uint32_t key, uint32_t virtualKey, const std::vector<uint32_t>& modifiers = {}) {
    for (uint32_t m : modifiers) platform::headless::AddScript("key " + std::to_string(m) + "\n");
    Settle();
    SWinEvent event;
    event.key = key;
    event.virtualKey = virtualKey;
    const int32_t answer = editor->OnCharacter(event);
    for (uint32_t m : modifiers) platform::headless::AddScript("keyup " + std::to_string(m) + "\n");
    Settle();
    return answer;
  }
  SPointHV Cursor() {
    const platform::SPoint p = platform::GetCursorPos();
    return {p.x, p.y};
  }
  // The pixels of a picture, row after row.
  static std::vector<uint32_t> Pixels(CImage* picture) {
    std::vector<uint32_t> out;
    CImNavigator nav(picture, nullptr, false, false);
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) out.push_back(nav.Cells(y)[x].value);
    return out;
  }
  std::string CurrentCursor() { return platform::headless::CursorDescription(platform::GetCursor()); }

  std::unique_ptr<CResourceEnv> editorLayout;
  std::unique_ptr<CTerrainEditor> editor;
  CTerrainDocWindow* w = nullptr;
};
