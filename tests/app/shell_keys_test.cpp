// Keys typed as a person types them, through the headless input script's strokes (the same chords
// that xdotool types on the GTK back end): every accelerator of every menu source runs its command,
// and the document window's own keys do what the help page says. One interface serves both tables.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>

#include "app/doc_window.h"
#include "editors/material/material_composer.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "panels/doc_setup.h"
#include "scene/camera.h"
#include "tests/app/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

struct SAccelerator {
  std::string row;     // the menu source and the item's text, for messages
  std::string stroke;  // the chord, as the script's stroke and xdotool take it
  std::string command;
};

uint32_t CodeOf(const std::string& text) {
  uint32_t code = 0;
  for (char c : text) code = code << 8 | uint8_t(c);
  return code;
}

// Every row with a key in every menu source.
std::vector<SAccelerator> Accelerators() {
  std::vector<SAccelerator> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(QUARN2_LAYOUT_SOURCES)) {
    if (entry.path().extension() != ".menu") continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      std::string word, text, key, modifiers, code;
      if (!(words >> word) || word != "item" || !(words >> std::quoted(text))) continue;
      while (words >> word) {
        if (word == "key") words >> key;
        else if (word == "ctrl" || word == "shift" || word == "alt") modifiers += word + "+";
        else if (word == "command") words >> std::quoted(code, '\'');
      }
      if (key.empty()) continue;
      EXPECT_EQ(code.size(), 4u) << line;
      const char name = char(std::tolower(static_cast<unsigned char>(key[0])));
      found.push_back({entry.path().filename().string() + " \"" + text + "\"", modifiers + name, code});
    }
  }
  return found;
}

// The document window of the shell's tests, whose every accelerator's item is enabled whatever is
// selected: the keys' way to their commands is under test here, not the menu states.
class CKeysWindow : public CDocWindowDouble {
 public:
  static inline CMenuBar* gBar = nullptr;
  static inline std::vector<uint32_t> gCommands;

  using CDocWindowDouble::CDocWindowDouble;
  static CDocWindow* Make(CUICmFunction* owner, CResourceEnv* environment) {
    return new CKeysWindow(owner, environment);
  }
  int32_t UpdateMenuStates() override {
    const int32_t answer = CDocWindowDouble::UpdateMenuStates();
    for (uint32_t command : gCommands) gBar->EnableItem(command, true);
    return answer;
  }
};

// What the keys of the document window change, before and after a stroke.
struct SState {
  C3dObject* selected = nullptr;
  vector3<double> position, extent;
  uint32_t roles = 0;
  vector3<double> eye;
  SCameraView view;
  bool rendered = false;
  size_t boxes = 0;
  std::array<bool, kPaletteCount> palettes{};
  std::vector<std::string> heard;  // the UI messages that no other receiver answered
};

void ExpectNear(const vector3<double>& a, const vector3<double>& b, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, 1e-9) << what;
  EXPECT_NEAR(a.y, b.y, 1e-9) << what;
  EXPECT_NEAR(a.z, b.z, 1e-9) << what;
}

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

int32_t Overhear(void* receiver, void* record, void*) {
  static_cast<std::vector<std::string>*>(receiver)->push_back(static_cast<CUIMessage*>(record)->elementName);
  return 0;
}

class ShellKeys : public ShellTest {
 protected:
  // The chord typed, and the UI messages it queued handled.
  void Type(const std::string& stroke) {
    Play("stroke " + stroke + "\n");
    pm->GetBroadcaster()->DispatchQueued();
  }
  CSelection& Selection() { return window->GetDocument()->GetSelection(); }
  SState Observe() {
    SState s;
    s.selected = Selection().GetCount() == 1 ? Selection().GetObject(0) : nullptr;
    if (C3dObject* object = s.selected) {
      CHolder lock(object, false, false);
      s.position = object->GetTransformVector3();
      s.extent = object->GetScaledSize();
      s.roles = object->GetStateFlags() & C3dObject::kRoles;
    }
    s.eye = window->GetCurrentCamera()->GetTransformVector3();
    s.view = window->GetCurrentCamera()->GetView();
    s.rendered = (window->GetMode() & CDocWindow::kRenderedShown) != 0;
    s.boxes = platform::headless::ShownBoxes().size();
    for (uint32_t p = 0; p < kPaletteCount; ++p) s.palettes[p] = Palette(EPalette(p))->IsShown();
    s.heard = heard_;
    return s;
  }

  std::vector<std::string> heard_;
};

TEST_F(ShellKeys, EveryAcceleratorRunsItsCommandAndTheDocumentWindowsKeysDoWhatTheHelpSays) {
  const std::vector<SAccelerator> accelerators = Accelerators();
  ASSERT_GE(accelerators.size(), 20u);
  for (const SAccelerator& a : accelerators) CKeysWindow::gCommands.push_back(CodeOf(a.command));
  Run(
      [&] {
        const SCanvasTable* t = pm->GetCanvases();
        CKeysWindow::gBar = pm->GetMenuBar();
        struct SEffect {
          std::vector<std::string> calls;      // of the document window
          CLayoutHostCanvas* shown = nullptr;  // a dialog brought up, closed again after
          bool unsaved = false;                // asked with unsaved changes, so that quitting asks first
        };
        auto edit = [](const char* code) { return SEffect{{std::string("EditCommand ") + code}}; };
        const std::map<std::string, SEffect> effects{
            {"ndoc", {{"AskToSaveChanges 0"}, t->docSetup}},
            {"open", {{"OpenDocument 0 - 0"}}},
            {"save", {{"SaveDocument 0"}}},
            {"svas", {{"SaveDocument 1"}}},
            {"impt", {{"ImportObject"}}},
            {"prnt", {{"PrintDocument"}}},
            {"quit", {{"AskToSaveChanges 4"}, nullptr, true}},
            {"undo", edit("undo")},
            {"cut ", edit("cut ")},
            {"copy", edit("copy")},
            {"pste", edit("pste")},
            {"sela", edit("sela")},
            {"desa", edit("desa")},
            {"dupl", {{"DuplicateSelection"}}},
            {"repl", {{"ReplicateSelection"}}},
            {"edit", {{"EditSelection"}}},
            {"emat", {{}, t->materialComposer}},
            {"grup", {{"GroupSelection"}}},
            {"ugrp", {{"UngroupSelection"}}},
            {"rndr", {{"HandleEvent 0 \"resume render button\" \"doc window\" 0"}}},
            {"flya", {{"FlyAround"}}},
        };
        for (const SAccelerator& a : accelerators) {
          const auto effect = effects.find(a.command);
          ASSERT_NE(effect, effects.end()) << a.row << ": no check for its command '" << a.command << "'";
          const SEffect& e = effect->second;
          if (e.unsaved) window->SetFlags(CDocWindow::kUnsavedChanges);
          CDocWindowDouble::gCalls.clear();
          Type(a.stroke);
          window = pm->GetDocWindow();
          for (const std::string& call : e.calls)
            EXPECT_TRUE(Contains(CDocWindowDouble::gCalls, call)) << a.row << " (" << a.stroke << ") made no " << call;
          if (e.shown) {
            EXPECT_TRUE(e.shown->IsShown()) << a.row << " (" << a.stroke << ")";
            e.shown->Close();
          }
          window->ClearFlags(CDocWindow::kUnsavedChanges | CDocWindow::kQuitAfterQuestion);
          ASSERT_TRUE(app->IsRunning()) << a.row;
        }

        // The document window's keys, on a cube that is selected alone; Import is disabled.
        CKeysWindow::gCommands.clear();
        pm->GetMenuBar()->EnableItem(FourCC("impt"), false);
        ASSERT_EQ(window->CreateCube(), 0);
        C3dObject* cube = Selection().GetObject(0);
        ASSERT_NE(cube, nullptr);
        using Check = std::function<void(const SState& before, const SState& after)>;
        auto moves = [](vector3<double> by) {
          return Check([by](const SState& b, const SState& a) { ExpectNear(a.position, b.position + by, "move"); });
        };
        auto scales = [](double by) {
          return Check([by](const SState& b, const SState& a) { ExpectNear(a.extent, b.extent * by, "size"); });
        };
        auto role = [](uint32_t roles) {
          return Check([roles](const SState&, const SState& a) { EXPECT_EQ(a.roles, roles); });
        };
        auto zooms = [](const SState& b, const SState& a) { EXPECT_NE(a.view, b.view); };
        auto turnsCamera = [](const SState& b, const SState& a) { EXPECT_NE(a.eye, b.eye); };
        auto switchesView = [](const SState& b, const SState& a) { EXPECT_NE(a.rendered, b.rendered); };
        auto selectsNext = [](const SState& b, const SState& a) {
          EXPECT_NE(a.selected, nullptr);
          EXPECT_NE(a.selected, b.selected);
        };
        auto deletes = [](const SState&, const SState&) {
          EXPECT_TRUE(Contains(CDocWindowDouble::gCalls, "EditCommand cler"));
        };
        // A palette that answers its name shows itself; one that does not yet still has it broadcast.
        auto showsPalette = [](EPalette p, const char* name) {
          return Check([p, name](const SState&, const SState& a) {
            EXPECT_TRUE(a.palettes[p] || Contains(a.heard, name)) << name;
          });
        };
        auto togglesPalettes = [](const SState& b, const SState& a) {
          EXPECT_TRUE(std::count(b.palettes.begin(), b.palettes.end(), true) > 0);
          EXPECT_EQ(std::count(a.palettes.begin(), a.palettes.end(), true), 0);
        };
        auto palettesBack = [](const SState& b, const SState& a) {
          EXPECT_EQ(std::count(b.palettes.begin(), b.palettes.end(), true), 0);
          EXPECT_TRUE(std::count(a.palettes.begin(), a.palettes.end(), true) > 0);
        };
        struct SKey {
          const char* stroke;
          Check check;
          bool hidden = false;  // with every palette hidden first
          bool stale = false;   // with a dialog in front of the document window
        };
        const SKey keys[] = {
            {"Right", moves({0.5, 0, 0})},
            {"Left", moves({-0.5, 0, 0})},
            {"Up", moves({0, 0, 0.5})},
            {"Down", moves({0, 0, -0.5})},
            {"Prior", moves({0, 0.5, 0})},
            {"Next", moves({0, -0.5, 0})},
            {"shift+Right", moves({1, 0, 0})},
            {"alt+Left", moves({-0.5 / 64, 0, 0})},
            {"shift+8", scales(2)},
            {"slash", scales(0.5)},
            {"KP_Multiply", scales(2)},
            {"KP_Divide", scales(0.5)},
            {"equal", [](const SState&, const SState& a) { ExpectNear(a.extent, {2, 2, 2}, "reset"); }},
            {"p", role(C3dObject::kPositive)},
            {"n", role(C3dObject::kNegative)},
            {"i", role(C3dObject::kIntersect)},
            {"o", role(0)},
            {"shift+equal", zooms},
            {"minus", zooms},
            {"KP_Add", zooms},
            {"KP_Subtract", zooms},
            {"ctrl+Left", turnsCamera},
            {"ctrl+alt+Up", turnsCamera},
            {"Delete", deletes},
            {"BackSpace", deletes},
            {"Escape", switchesView},
            {"Escape", switchesView},
            {"ctrl+1", showsPalette(kCreatePalette, "create text"), true},
            {"ctrl+2", showsPalette(kEditPalette, "edit text"), true},
            {"ctrl+3", showsPalette(kSkyFogPalette, "sky&fog text"), true},
            {"ctrl+4", showsPalette(kControlPalette, "control palette"), true},
            {"ctrl+5", showsPalette(kSelectionPalette, "selection palette"), true},
            {"ctrl+6", showsPalette(kDisplayPalette, "display palette"), true},
            {"ctrl+Tab", togglesPalettes},
            {"ctrl+Tab", palettesBack},
            {"shift+F1", [](const SState& b, const SState& a) { EXPECT_EQ(a.boxes, b.boxes + 1); }},
            // With a dialog in front, a disabled item's key runs nothing, and the character it makes
            // (Ctrl+I's is a tab) is no Ctrl+Tab.
            {"ctrl+i",
             [](const SState& b, const SState& a) {
               EXPECT_EQ(a.palettes, b.palettes);
               EXPECT_FALSE(Contains(CDocWindowDouble::gCalls, "ImportObject"));
             },
             false, true},
            // The walk through the objects comes last: the keys before act on the cube selected.
            {"Tab", selectsNext},
            {"Return", selectsNext},
        };
        ASSERT_TRUE(pm->GetBroadcaster()->Register(&heard_, &Overhear));
        for (const SKey& key : keys) {
          SCOPED_TRACE(key.stroke);
          if (key.hidden) pm->ShowPalettes(false, false, false);
          if (key.stale) pm->GetBroadcaster()->RaiseModalLevel();
          CDocWindowDouble::gCalls.clear();
          heard_.clear();
          const SState before = Observe();
          Type(key.stroke);
          key.check(before, Observe());
          if (key.stale) pm->GetBroadcaster()->LowerModalLevel();
          if (key.hidden) pm->ShowPalettes(true, false, false);
        }
        EXPECT_TRUE(pm->GetBroadcaster()->Unregister(&heard_));
      },
      [&] { pm->SetDocWindowFactory(&CKeysWindow::Make); });
}

}  // namespace
