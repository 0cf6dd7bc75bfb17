// The menu commands that follow the selection and the document's state, read from the platform's
// menus of the real menu bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/menu_bar.h"
#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "scene/height_field.h"
#include "scene/triangle_mesh.h"
#include "tests/app/doc_commands_fixture.h"

namespace {

const char* const kSelectionCodes[] = {"cut ", "copy", "cler", "cpmt", "pamt", "cpma", "pama", "dupl", "repl",
                                       "mrep", "desa", "invs", "edit", "attr", "obox", "olat", "grup", "ugrp"};

uint32_t Code(const char* text) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
         uint8_t(text[3]);
}

class DocMenuStates : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    menus = OpenDataFile("menus.dat");
    bar_ = std::make_unique<CMenuBar>();
    for (uint32_t number = 2; number <= 5; ++number) ASSERT_EQ(Bar().AddMenu(menus.get(), number, app->GetMainWindow()), 0);
  }
  void TearDown() override {
    if (window) window->SetMenuBar(nullptr);
    bar_.reset();
    menus.reset();
    DocCommandsTest::TearDown();
  }

  // Whether the platform's menu shows the command's row enabled.
  bool Enabled(const char* code) {
    for (uint32_t i = 0; i < Bar().GetCount(); ++i) {
      CMenu* menu = Bar().GetMenu(i);
      const uint32_t row = menu->FindItemIndex(Code(code));
      if (!row) continue;
      return !(platform::GetMenuState(menu->GetPlatformMenu(), row, platform::kMfByCommand) & platform::kMfGrayed);
    }
    ADD_FAILURE() << "no row for " << code;
    return false;
  }
  C3dSphereLight* AddLight(const char* name) {
    C3dSphereLight* lamp = nullptr;
    EXPECT_EQ(AppendNew(&lamp, window->GetSceneTable(), app->GetObjectsEnv()), 0);
    if (lamp) SetName(lamp, name);
    return lamp;
  }
  void SelectOnly(const std::vector<C3dObject*>& objects) {
    Selection().DeselectAll(1);
    for (C3dObject* object : objects) Selection().Add(object, 0, 0);
  }

  std::unique_ptr<CResourceEnv> menus;
  // Its table lives in the application's pools: made and gone inside the application's life.
  std::unique_ptr<CMenuBar> bar_;
  CMenuBar& Bar() { return *bar_; }

};

TEST_F(DocMenuStates, TheSelectionEnablesAndGreysItsCommands) {
  CDocWindow& w = Made();
  w.SetMenuBar(&Bar());
  C3dHeightField* land = AddShape<C3dHeightField>("land", {0, 0, 0});
  C3dHeightField* hills = AddShape<C3dHeightField>("hills", {5, 0, 0});
  C3dTriangleMesh* mesh = AddShape<C3dTriangleMesh>("mesh", {0, 0, 5});
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 2, 0});
  C3dSphereLight* lamp = AddLight("lamp");
  C3dSphereLight* bulb = AddLight("bulb");
  C3dGroup* pair = AddGroup("pair", {AddShape<C3dCube>("left", {-2, 0, 0}), AddShape<C3dCube>("right", {2, 0, 0})});
  C3dGroup* trio = AddGroup("trio", {AddShape<C3dCube>("a", {-2, 0, 4}), AddShape<C3dCube>("b", {2, 0, 4})});
  ASSERT_EQ(w.FindSceneParts(true), 0);

  const struct {
    const char* what;
    std::vector<C3dObject*> selected;
    bool selection, edit, group, ungroup;
  } cases[] = {
      {"nothing", {}, false, false, false, false},
      {"a terrain and a mesh", {land, mesh}, true, false, true, false},
      {"two terrains", {land, hills}, true, true, true, false},
      {"one terrain", {hills}, true, true, false, false},
      {"two lights", {lamp, bulb}, true, true, true, false},
      {"a light and a sphere", {lamp, ball}, true, false, true, false},
      {"a sphere", {ball}, true, false, false, false},
      {"one group", {pair}, true, false, false, true},
      {"two groups", {pair, trio}, true, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SelectOnly(c.selected);
    EXPECT_EQ(w.UpdateMenuStates(), 0);
    for (const char* code : kSelectionCodes) {
      const std::string name = code;
      if (name != "edit" && name != "grup" && name != "ugrp") {
        EXPECT_EQ(Enabled(code), c.selection) << code;
      }
    }
    EXPECT_EQ(Enabled("edit"), c.edit);
    EXPECT_EQ(Enabled("grup"), c.group);
    EXPECT_EQ(Enabled("ugrp"), c.ungroup);
    // Not the selection's: always enabled.
    EXPECT_TRUE(Enabled("sela"));
    EXPECT_TRUE(Enabled("undo"));
  }
}

TEST_F(DocMenuStates, RevertNeedsUnsavedChangesAndAFile) {
  CDocWindow& w = Made();
  w.SetMenuBar(&Bar());
  const struct {
    uint32_t flags;
    bool enabled;
  } cases[] = {{0, false}, {CDocWindow::kUnsavedChanges, false}, {CDocWindow::kHasFile, false},
               {CDocWindow::kUnsavedChanges | CDocWindow::kHasFile, true}, {0, false}};
  for (const auto& c : cases) {
    w.ClearFlags(CDocWindow::kUnsavedChanges | CDocWindow::kHasFile);
    w.SetFlags(c.flags);
    EXPECT_EQ(w.UpdateMenuStates(), 0);
    EXPECT_EQ(Enabled("rvrt"), c.enabled) << c.flags;
  }
}

// The heartbeat keeps the menus in step; a window without a menu bar has nothing to update.
TEST_F(DocMenuStates, TheHeartbeatUpdatesTheMenus) {
  CDocWindow& w = Made();
  Show();
  w.SetMenuBar(&Bar());
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 2, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  SelectOnly({});
  w.Heartbeat(SHeartbeatRecord());
  EXPECT_FALSE(Enabled("cut "));
  SelectOnly({ball});
  w.Heartbeat(SHeartbeatRecord());
  EXPECT_TRUE(Enabled("cut "));
  w.SetMenuBar(nullptr);
  SelectOnly({});
  EXPECT_EQ(w.UpdateMenuStates(), 0);
  EXPECT_TRUE(Enabled("cut "));
}

TEST_F(DocMenuStates, ASelectedCameraIsFoundAnywhereOrOnlyFirst) {
  CDocWindow& w = Made();
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 2, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  C3dCamera* camera = w.GetViewCamera(CDocWindow::kPerspective);
  const struct {
    const char* what;
    std::vector<C3dObject*> selected;
    bool anywhere, first;
  } cases[] = {
      {"nothing", {}, false, false},
      {"the camera", {camera}, true, true},
      {"a sphere", {ball}, false, false},
      {"a sphere and the camera", {ball, camera}, true, false},
  };
  for (const auto& c : cases) {
    SelectOnly(c.selected);
    EXPECT_EQ(w.HasSelectedCamera(false), c.anywhere) << c.what;
    EXPECT_EQ(w.HasSelectedCamera(true), c.first) << c.what;
  }
}

}  // namespace
