// The interface build: the layout files in their order, the menus, the canvases and when they build,
// and a start that fails on a broken data folder.
#include "app/palette_manager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "framework/core/file.h"
#include "framework/core/four_cc.h"
#include "framework/core/resource_env.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/menu.h"
#include "panels/edit_obj_attrs.h"
#include "platform/clock.h"
#include "tests/app/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

enum EMark { kNone, kPre, kBuild };
struct SCanvasCase {
  const char* name;
  EMark mark;
};
// The order of their construction, and when each builds.
const SCanvasCase kCanvases[] = {
    {"edit family", kPre},       {"save changes", kNone},     {"doc window", kBuild},
    {"nano editor", kBuild},     {"replicate", kPre},         {"doc setup", kPre},
    {"edit skyfog", kPre},       {"add preset", kPre},        {"edit 3dtexture", kPre},
    {"save new texture", kPre},  {"replace texture", kPre},   {"revert changes", kBuild},
    {"delete preset", kPre},     {"edit objattrs", kPre},     {"edit 3dtrans", kPre},
    {"terrain editor", kPre},    {"edit poly", kPre},         {"edit tori", kPre},
    {"report render time", kPre}, {"export render", kPre},    {"DTSubEditor", kNone},
    {"DTEditor", kNone},         {"edit camera", kPre},       {"control palette", kBuild},
    {"create palette", kBuild},  {"edit palette", kBuild},    {"sky&fog palette", kBuild},
    {"selection palette", kBuild}, {"color picker", kBuild},  {"display palette", kBuild},
    {"objmatpresets", kPre},     {"billboard", kNone},        {"picttextures", kPre},
    {"materials composer", kPre},
    {"text edit popup", kPre},   {"edit light", kNone},       {"skyfogpresets", kPre},
    {"Preferences", kNone},
};

const char* const kFiles[] = {
    "splashscreen.dat", "docwindow.dat", "controlpalette.dat", "createpalette.dat", "editpalette.dat",
    "skyfogpalette.dat", "selectionpalette.dat", "displaypalette.dat", "menus.dat", "materialcomposer.dat",
    "replicate.dat", "saverevert.dat", "docsetup.dat", "textures.dat", "editskyfog.dat", "terraineditor.dat",
    "objmatpresets.dat", "skyfogpresets.dat", "editcamera.dat", "edit3dtrans.dat", "editlight.dat",
    "picttextures.dat", "editobjattrs.dat", "addpreset.dat", "deletepreset.dat", "edit3dtexture.dat",
    "colorpicker.dat", "editpoly.dat", "edittori.dat", "reportrender.dat", "editfamily.dat", "exportrender.dat",
    "DTEditors.dat", "prefs.dat",
};

CLayoutHostCanvas* Built(const SCanvasTable* table, uint32_t i) {
  return dynamic_cast<CLayoutHostCanvas*>(table->built[i].canvas);
}

using PaletteManagerBuild = ShellTest;

TEST_F(PaletteManagerBuild, TheStartOpensTheFilesLoadsTheMenusAndBuildsTheCanvasesInOrder) {
  const size_t boxes = platform::headless::ShownBoxes().size();
  Run([&] {
    std::vector<std::string> expected, layouts;
    for (const char* file : kFiles) expected.push_back(std::string(QUARN2_DATA_DIR "/") + file);
    for (const std::string& name : app->resolved) {
      if (name.find(QUARN2_DATA_DIR) == 0) layouts.push_back(name);
    }
    EXPECT_EQ(layouts, expected);

    CMenuBar* bar = pm->GetMenuBar();
    ASSERT_EQ(bar->GetCount(), 4u);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(bar->GetMenu(i)->GetMenuId(), i + 2) << i;

    const SCanvasTable* table = pm->GetCanvases();
    ASSERT_EQ(table->builtCount, std::size(kCanvases));
    for (uint32_t i = 0; i < table->builtCount; ++i) {
      ASSERT_NE(Built(table, i), nullptr) << i;
      EXPECT_STREQ(Built(table, i)->GetLayoutName(), kCanvases[i].name) << i;
      EXPECT_EQ(Built(table, i)->GetBuildCount(), kCanvases[i].mark == kNone ? 0u : 1u) << kCanvases[i].name;
    }
    EXPECT_EQ(platform::FindWindow("CCanvas", "splashscreen"), nullptr);
    // The palette manager is the broadcaster's last row.
    CUICmFunction* broadcaster = pm->GetBroadcaster();
    EXPECT_EQ((*broadcaster)[broadcaster->GetCount() - 1].owner, pm);
    EXPECT_TRUE(window->IsShown());
    for (uint32_t p = 0; p < kPaletteCount; ++p) EXPECT_TRUE(Palette(EPalette(p))->IsShown()) << p;
    EXPECT_EQ(GetCurrentDocWindow(), window);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes);
  });
}

// A click after the input flush, or a build that reaches its canvases late, leaves every dialog that
// may wait to its first use; the canvases the program needs at once are built all the same.
TEST_F(PaletteManagerBuild, LateOrClickedStartsLeaveThePreBuildsToTheirFirstUse) {
  for (const char* how : {"click", "late"}) {
    SCOPED_TRACE(how);
    auto atPrefs = [this, how] {
      app->onResolve = [this, how](const std::string& name) {
        if (name.find("prefs.dat") == std::string::npos) return;
        if (std::string(how) == "late") platform::AdvanceVirtualClock(10100);
        else platform::PostMessage(app->GetMainWindow(), platform::kWmLButtonDown, 1, 0);
      };
    };
    Run([&] {
      const SCanvasTable* table = pm->GetCanvases();
      for (uint32_t i = 0; i < table->builtCount; ++i)
        EXPECT_EQ(Built(table, i)->GetBuildCount(), kCanvases[i].mark == kBuild ? 1u : 0u) << kCanvases[i].name;
      CLayoutHostCanvas* attributes = table->editObjAttrs;
      SelectFirstObject();
      for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pm->DoCommand(FourCC("attr")), 26);
        EXPECT_EQ(attributes->GetBuildCount(), 1u);
        EXPECT_TRUE(attributes->IsShown());
        attributes->Close();
      }
    }, atPrefs);
  }
}

// A copy of data/ in which one defect stops the start.
class BrokenData : public ShellTest {
 protected:
  void Copy() {
    copy = fs::current_path() / "data";
    fs::create_directories(copy);
    for (const auto& entry : fs::directory_iterator(QUARN2_DATA_DIR)) {
      if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), copy / entry.path().filename());
    }
  }
  void Compile(const std::string& manifestOrLayout, const std::string& text, const std::string& target) {
    const fs::path source = fs::current_path() / manifestOrLayout;
    std::ofstream(source) << text;
    fs::remove(copy / target);
    const std::string command = std::string(RESBUILD_PATH) + " '" + source.string() + "' '" + (copy / target).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  // Every layout file can be opened alone again: nothing holds one.
  void ExpectNothingOpen() {
    for (const auto& entry : fs::directory_iterator(copy)) {
      CFileSpec spec;
      spec.Set(entry.path().c_str());
      CFile file(spec);
      EXPECT_EQ(file.Open(CFile::kModeReadWrite), 0) << entry.path();
      file.Close();
    }
  }

  fs::path copy;
};

TEST_F(BrokenData, EachDefectStopsTheStartWithItsCodeAndLeavesNothingOpen) {
  const std::string sources = QUARN2_LAYOUT_SOURCES;
  struct SCase {
    const char* defect;
    std::function<void()> make;
    std::function<int32_t()> code;
  } cases[] = {
      {"prefs.dat removed", [this] { fs::remove(copy / "prefs.dat"); }, [] { return 13; }},
      {"splashscreen.dat removed", [this] { fs::remove(copy / "splashscreen.dat"); }, [] { return 13; }},
      {"menus.dat without menu 4",
       [&] {
         Compile("menus.manifest", "menu 2 - " + sources + "/file.menu\nmenu 3 - " + sources +
                    "/edit.menu\nmenu 5 - " + sources + "/render.menu\n", "menus.dat");
       },
       [this] {
         CFileSpec spec;
         spec.Set((copy / "menus.dat").c_str());
         CResourceEnv env(spec, CFile::kModeRead);
         CMenu* menu = nullptr;
         const int32_t err = CMenu::Load(&env, 4, &menu, nullptr);
         delete menu;
         return err;
       }},
      {"docwindow.dat without the doc window",
       [this] {
         Compile("docwindow.layout", "texts \"doc text\" {\n  0 \"Untitled\"\n}\n", "docwindow.dat");
       },
       [this] {
         CFileSpec spec;
         spec.Set((copy / "docwindow.dat").c_str());
         CResourceEnv env(spec, CFile::kModeRead);
         CDocWindow probe(pm->GetBroadcaster(), &env);
         return probe.BuildOnce();
       }},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.defect);
    Copy();
    c.make();
    Open();
    const size_t boxes = platform::headless::ShownBoxes().size();
    const int32_t code = pm->LoadUIResources((copy.string() + "/").c_str());
    EXPECT_EQ(code, c.code());
    EXPECT_NE(code, 0);
    if (std::string(c.defect) == "prefs.dat removed") {
      EXPECT_EQ(app->resolved.size(), std::size(kFiles));
    }
    EXPECT_EQ(platform::FindWindow("CCanvas", "splashscreen"), nullptr);
    EXPECT_EQ(pm->GetDocWindow(), nullptr);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes);
    ExpectNothingOpen();
    Stop();
    fs::remove_all(copy);
  }
}

}  // namespace
