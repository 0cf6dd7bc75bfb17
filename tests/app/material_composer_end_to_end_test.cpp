// The material composer as a user meets it: the program on a document of one sphere, driven by an
// input script that selects the sphere, opens the composer with Ctrl+E, drags the diffusion slider to
// its right end, clicks "ok", saves and quits; the document read back has the sphere's diffusion at 0,
// and the render tool renders it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "document/scene_file.h"
#include "editing/document.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/sphere.h"
#include "scene/surface/material.h"
#include "tests/app/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

class MaterialComposerEndToEnd : public ShellTest {
 protected:
  // Where the composer's elements lie on the program's screen: the composer opened in this process,
  // as the program opens it.
  struct SPlaces {
    SPointHV sliderFrom, sliderTo, ok;
  };
  SPlaces FindPlaces() {
    SPlaces places;
    Run([&] {
      CDocWindow* w = window;
      CHolder list(w->GetObjectList(), false, false);
      C3dObject* any = nullptr;
      for (uint32_t i = 0; i < w->GetObjectList()->GetCount() && !any; ++i) any = w->GetObjectList()->At(i)->AsObject();
      ASSERT_NE(any, nullptr);
      list.Release();
      w->GetDocument()->GetSelection().Add(any, 0, 0);
      ASSERT_EQ(pm->DoCommand(FourCC("emat")), kHandled);
      CMaterialComposer* composer = pm->GetCanvases()->materialComposer;
      ASSERT_TRUE(composer->IsShown());
      CElement* slider = composer->GetValueSlider(0);
      const SRect& r = slider->GetRect();
      slider->LocalToRootPoint(&places.sliderFrom, {10, RectHeight(r) / 2});
      slider->LocalToRootPoint(&places.sliderTo, {RectWidth(r), RectHeight(r) / 2});
      CElement* ok = nullptr;
      ASSERT_EQ(CElSystem::FindElement(composer->GetRoot()->GetChildren(), "ok", &ok, false), 0);
      ok->LocalToRootPoint(&places.ok, {RectWidth(ok->GetRect()) / 2, RectHeight(ok->GetRect()) / 2});
    });
    return places;
  }
  static std::string At(SPointHV p) { return std::to_string(p.h) + " " + std::to_string(p.v); }
  static int System(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(MaterialComposerEndToEnd, ADragOnTheDiffusionSliderAndOkReachTheSavedDocument) {
  const SPlaces places = FindPlaces();
  if (HasFatalFailure()) return;
  const fs::path folder = fs::path(::testing::TempDir()) / ("quarn2-composer-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "data");
  fs::copy_file(QUARN2_PROGRAM, folder / "Quarn2");
  fs::permissions(folder / "Quarn2", fs::perms::owner_all);
  for (const auto& entry : fs::directory_iterator(QUARN2_DATA_DIR)) {
    if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), folder / "data" / entry.path().filename());
  }
  const fs::path tools = fs::path(QUARN2_RENDER_PATH).parent_path();
  std::ofstream(folder / "scene.txt") << "sphere ball at 0 2 0 size 4 4 4\n";
  ASSERT_EQ(System("cd '" + folder.string() + "' && '" + (tools / "quarn2-scene").string() + "' scene.txt scene.qnc"), 0);

  std::ofstream(folder / "keys.txt") << "wait 1500\n"
                                        "key 17\nkey A\nwait 50\nkeyup A\nwait 100\nkey E\nwait 50\nkeyup E\nkeyup 17\n"
                                        "wait 1000\n"
                                     << "move " << At(places.sliderFrom) << "\ndown left\nwait 50\n"
                                     << "move " << At(places.sliderTo) << "\nwait 50\nup left\nwait 300\n"
                                     << "move " << At(places.ok) << "\ndown left\nwait 50\nup left\nwait 500\n"
                                     << "key 17\nkey S\nwait 50\nkeyup S\nkeyup 17\nwait 1000\n"
                                        "key 17\nkey Q\nwait 50\nkeyup Q\nkeyup 17\n";
  const std::string run = "cd '" + folder.string() + "' && env QUARN2_HEADLESS=1 XDG_RUNTIME_DIR='" + folder.string() +
                          "' QUARN2_SCRIPT=keys.txt ./Quarn2 scene.qnc 2> err.txt";
  EXPECT_EQ(System(run), 0);
  std::ifstream errors(folder / "err.txt");
  std::stringstream text;
  text << errors.rdbuf();
  EXPECT_EQ(text.str(), "");

  // The document as the program reads it.
  ASSERT_EQ(InitOrdax(), 0);
  {
    TestApp reader(ProgramDesc());
    reader.Init(nullptr, nullptr, nullptr);
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    {
      C3dBaseSys table(reader.GetObjectsEnv());
      CFileSpec spec;
      spec.Set((folder / "scene.qnc").c_str());
      ASSERT_EQ(ReadSceneFile(spec, &table, nullptr), 0);
      C3dBase* ball = nullptr;
      ASSERT_EQ(table.FindObject("ball", C3dBaseSys::kObjectFamily, C3dSphere::kClassTag, &ball), 0);
      auto* material = LookupHandleAs<C3dMaterial>(ball->AsObject()->GetMaterial(), C3dMaterial::kFamily);
      ASSERT_NE(material, nullptr);
      CHolder held(material, false, false);
      ASSERT_TRUE(held.IsLocked());
      EXPECT_EQ(material->GetRecord().sample.diffusion, 0.0);
    }
    C3dBaseSys::UnregisterAllClasses();
    reader.Term();
  }
  TermOrdax();

  EXPECT_EQ(System("cd '" + folder.string() + "' && '" + QUARN2_RENDER_PATH +
                   "' --width=64 --height=48 scene.qnc out.bmp 2> render.txt"),
            0);
  EXPECT_TRUE(fs::exists(folder / "out.bmp"));
  fs::remove_all(folder);
}

}  // namespace
