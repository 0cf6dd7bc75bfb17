// The object and material preset palette built headless from the build's layout file beside the
// stand-in document window, with a program folder of the test's own for its libraries, and the two
// dialogs stood in for by fakes that log what the palette asks of them.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/image/image.h"
#include "platform/file.h"
#include "presets/billboard.h"
#include "presets/obj_mat_presets.h"
#include "presets/preset_description.h"
#include "tests/panels/dialogs_fixture.h"

class CFakeNameDialog : public CPresetNameDialog {
 public:
  bool SetName(const char* text) override {
    calls.push_back(std::string("name ") + text);
    name = text;
    description.clear();
    return true;
  }
  bool SetFields(const char* n, const char* d) override {
    name = n;
    description = d;
    return true;
  }
  bool GetDescription(CPresetDescription* record) override {
    record->SetName(name.c_str());
    record->SetDescription(description.c_str());
    return true;
  }
  void SetPreviewScene(CPreviewScene* scene, bool live) override {
    calls.push_back(live && scene ? "live preview" : "no preview");
  }
  int32_t OpenDialog() override {
    calls.push_back("open");
    return 0;
  }
  std::vector<std::string> calls;
  std::string name, description;
};

class CFakeDeleteDialog : public CPresetDeleteDialog {
 public:
  void SetConfirmationName(const char* name) override { confirmation = name ? name : ""; }
  int32_t OpenDialog() override {
    ++opened;
    return 0;
  }
  std::string confirmation;
  int opened = 0;
};

class PresetsTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    app->moduleFolder = folder;
    ASSERT_TRUE(platform::CreateFolder(folder + "/Presets"));
    // Any canvas does as the anchor: the billboard of the same file.
    anchor = std::make_unique<CBillboard>(owner, DataFile("objmatpresets.dat"));
    ASSERT_EQ(anchor->BuildOnce(), 0);
    panel = std::make_unique<CObjMatPresets>(owner, DataFile("objmatpresets.dat"), anchor.get(), &add, &remove);
    ASSERT_EQ(panel->BuildOnce(), 0);
  }
  void TearDown() override {
    panel.reset();
    anchor.reset();
    DialogsTest::TearDown();
  }
  // A shipped library copied into the test's program folder.
  void CopyShipped(const std::string& name) {
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(std::string(QUARN2_PRESETS_DIR) + "/" + name, &bytes)) << name;
    std::ofstream out(folder + "/Presets/" + name, std::ios::binary);
    out << bytes;
  }
  // A pixel of the grid picture.
  uint32_t GridPixel(int32_t x, int32_t y) {
    CImage* grid = panel->GetGridImage();
    CImNavigator pixels(grid, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(uint32_t(y))[x].value : 0xDEADBEEF;
  }
  // A material of the scene table whose diffusion tells it apart.
  C3dMaterial* NewMaterial(double diffusion) {
    C3dMaterial* material = MakeObject<C3dMaterial>(table);
    CHolder held(material, true, false);
    material->GetRecord().sample.diffusion = diffusion;
    return material;
  }
  static double Diffusion(C3dMaterial* material) {
    CHolder held(material, false, false);
    return material->GetRecord().sample.diffusion;
  }

  CFakeNameDialog add;
  CFakeDeleteDialog remove;
  std::unique_ptr<CBillboard> anchor;
  std::unique_ptr<CObjMatPresets> panel;
};
