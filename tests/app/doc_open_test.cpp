// Opening, merging and reverting documents in the document window, and opens that fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/control_palette.h"
#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "editing/delete_action.h"
#include "editing/undo_history.h"
#include "framework/image/bitmap_file.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "tests/app/doc_commands_fixture.h"
#include "app/entry.h"
#include "document/prefs_file.h"
#include "platform/system.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;

const std::string kGetFilter("Quarn files(*.qnc)\0*.qnc\0All Files (*.*)\0*.*\0", 45);
constexpr uint32_t kRed = 0xFFFF0000;

C3dBase* gRefused = nullptr;

// A table that refuses one thing, the one refused when it was made: the texture the window's
// material keeps, which an open's table is to take.
struct CRefusingTable : C3dBaseSys {
  explicit CRefusingTable(CSpoolSys* environment) : C3dBaseSys(environment), refused(gRefused) {}
  int32_t OnObjectAdded(C3dBase* object) override {
    return object == refused ? kErrExpansion : C3dBaseSys::OnObjectAdded(object);
  }
  C3dBase* refused;
};

struct CRefusingWindow : CDocWindow {
  using CDocWindow::CDocWindow;
  std::unique_ptr<C3dBaseSys> NewSceneTable() override {
    return std::make_unique<CRefusingTable>(GetApplication()->GetObjectsEnv());
  }
};

class DocOpen : public DocCommandsTest {
 protected:
  void TearDown() override {
    delete palette_;
    paletteLayout_.reset();
    DocCommandsTest::TearDown();
  }

  // The document of BuildScene saved as name in a window of its own, with the settings words given
  // and, unless picture is 0, a picture of that colour beside it, as a render would have left it.
  // Its things' lines.
  std::vector<std::string> SaveScene(const std::string& name, std::function<void(CDocSettings&)> words = nullptr,
                                     uint32_t picture = 0) {
    EXPECT_EQ(Make(), 0);
    BuildScene();
    KeepPicture(picture != 0);
    if (picture) {
      EXPECT_TRUE(window->GetRenderedImage()->Fill(picture));
    }
    Answer("save " + Path(name));
    EXPECT_EQ(window->SaveDocument(0), 0);
    if (picture) {
      EXPECT_EQ(SaveImageAsBmp(Spec(name.substr(0, name.rfind('.')) + ".bmp"), window->GetRenderedImage(), true), 0);
    }
    std::vector<std::string> lines = Describe(window->GetSceneTable());
    if (words) {
      // The words as stored: the window's record rewritten into the saved file.
      C3dBaseSys table(app->GetObjectsEnv());
      CDocSettings settings(SSpoolLayout{app->GetDataEnv(), 0, 0});
      EXPECT_EQ(ReadSceneFile(Spec(name), &table, &settings), 0);
      words(settings);
      EXPECT_EQ(WriteSceneFile(Spec(name), &table, &settings), 0);
    }
    KeepPicture(true);
    return lines;
  }
  // A new window holding a cube of its own, and the control palette whose dots it sets.
  CDocWindow& OtherWindow() {
    CDocWindow& w = Made();
    AddShape<C3dCube>("other", {0, 5, 0});
    EXPECT_EQ(w.FindSceneParts(true), 0);
    if (!palette_) {
      paletteLayout_ = OpenDataFile("controlpalette.dat");
      palette_ = new CControlPalette(owner, paletteLayout_.get());
      EXPECT_EQ(palette_->BuildOnce(), 0);
    }
    for (uint32_t dot = 0; dot < 8; ++dot) palette_->SetButtonState(dot, 3);
    return w;
  }
  uint32_t Dot(uint32_t dot) const { return palette_->GetButtonState(dot); }
  int32_t Open(CDocWindow& w, const std::string& name, uint8_t merge = 0, bool withSkyAndSun = false) {
    const CFileSpec spec = Spec(name);
    return w.OpenDocument(merge, &spec, withSkyAndSun);
  }

  CControlPalette* palette_ = nullptr;
  std::unique_ptr<CResourceEnv> paletteLayout_;
};

TEST_F(DocOpen, AnOpenedDocumentReplacesTheScene) {
  const std::vector<std::string> saved = SaveScene("scene.qnc", [](CDocSettings& s) {
    s.SetWord(CDocSettings::kBlockSize, 0);
    s.SetWord(CDocSettings::kCounters, 7);
    s.SetWord(CDocSettings::kRenderOptions, 0x3BF);
  });
  CDocWindow& w = OtherWindow();
  ASSERT_EQ(w.GetDocument()->GetUndoHistory().Push(new CDeleteAction(w.GetSceneTable())), 0);
  const size_t dialogs = DialogCount();
  Answer("open " + Path("scene.qnc"));
  ASSERT_EQ(w.OpenDocument(0, nullptr, false), 0);
  ASSERT_EQ(DialogCount(), dialogs + 1);
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.filter, kGetFilter);
  EXPECT_EQ(owner->GetModalLevel(), 0u);

  // Exactly the document's things: nothing of the window's own scene stays, nothing was missing.
  const std::vector<std::string> opened = Describe(w.GetSceneTable());
  EXPECT_EQ(WithoutMaterials(opened), WithoutMaterials(saved));
  EXPECT_EQ(w.GetCurrentCamera(), w.GetViewCamera(CDocWindow::kPerspective));
  EXPECT_EQ(NameOf(w.GetCurrentCamera()), "perspective");
  for (uint32_t dot = 0; dot < 8; ++dot) EXPECT_EQ(Dot(dot), dot == 2 ? 1u : 0u) << dot;
  EXPECT_EQ(w.GetDocument()->GetUndoHistory().GetCurrentAction(), nullptr);
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(NameOf(Selection().GetObject(0)), "ball");
  EXPECT_EQ(w.GetFlags() & (CDocWindow::kUnsavedChanges | CDocWindow::kHasFile), CDocWindow::kHasFile);
  EXPECT_STREQ(w.GetTitle(), "scene");
  EXPECT_STREQ(w.GetFileSpec().GetPath(), Path("scene.qnc").c_str());
  // A stored block size of 0 starts the render over; the stored render options come with it.
  const CDocSettings& settings = *w.GetSettings();
  EXPECT_EQ(settings.GetWord(CDocSettings::kBlockSize), 16u);
  for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(settings.GetWord(CDocSettings::kCounters + i), 0u) << i;
  EXPECT_EQ(w.GetRenderState().fContext.GetProgressive().blockSize, 16u);
  EXPECT_EQ(w.GetRenderOptions(), 0x3BFu);
  // No picture beside it: the rendered image is white and the render starts over.
  EXPECT_EQ(w.GetMode() & (CDocWindow::kWireframeShown | CDocWindow::kRenderedShown), CDocWindow::kWireframeShown);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 10, 10), 0xFFFFFFFFu);
}

// What a document lacks is made: the standard views, the view dots, the sky and the sun.
TEST_F(DocOpen, WhatTheDocumentLacksIsMade) {
  CDocWindow& w = Made();
  C3dBaseSys bare(app->GetObjectsEnv());
  ASSERT_EQ(WriteSceneFile(Spec("bare.qnc"), &bare, nullptr), 0);
  ASSERT_EQ(Open(w, "bare.qnc", 0, false), 0);
  const std::vector<std::string> lines = Describe(w.GetSceneTable());
  EXPECT_EQ(OfFamily(lines, "camr").size(), 15u);
  EXPECT_EQ(OfFamily(lines, "sky0").size(), 1u);
  EXPECT_EQ(OfFamily(lines, "lght").size(), 1u);
  EXPECT_EQ(OfFamily(lines, "txtr pctx").size(), 1u);
  EXPECT_NE(w.GetSky(), nullptr);
  EXPECT_NE(w.GetSun(), nullptr);
  EXPECT_EQ(NameOf(w.GetCurrentCamera()), "perspective");
  EXPECT_EQ(w.GetCurrentCamera()->GetTransformVector3(), (vector3<double>{10, 3, -10}));
  // The window's sizes stay without a settings record.
  EXPECT_EQ(w.GetRenderImageSize(), kSize);
}

// A "perspective" camera written by another tool, without the view cameras' flags, is kept out of
// the wireframe and of picking once opened: at the eye it would otherwise catch every click.
TEST_F(DocOpen, AViewCameraFromElsewhereIsNeitherDrawnNorPicked) {
  CDocWindow& w = Made();
  C3dBaseSys table(app->GetObjectsEnv());
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dCamera>(app->GetObjectsEnv(), key, spec);
  C3dCamera* camera = nullptr;
  ASSERT_EQ(NewObject(&camera, &table, key, spec), 0);
  SetName(camera, "perspective");
  camera->SetStateFlags(0x4000);
  ASSERT_EQ(WriteSceneFile(Spec("elsewhere.qnc"), &table, nullptr), 0);
  ASSERT_EQ(Open(w, "elsewhere.qnc", 0, false), 0);
  C3dCamera* opened = w.GetViewCamera(CDocWindow::kPerspective);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(NameOf(opened), "perspective");
  EXPECT_TRUE(opened->GetStateFlags() & C3dObject::kExcluded);
  EXPECT_TRUE(opened->GetFlags() & C3dObject::kNotDrawn);
  EXPECT_TRUE(opened->GetStateFlags() & 0x4000);
}

// With the picture option on, the picture beside a document is its rendered image, shown; with the
// option off none is read.
TEST_F(DocOpen, ThePictureBesideTheDocumentIsShown) {
  SaveScene("scene.qnc", nullptr, kRed);
  CDocWindow& w = OtherWindow();
  ASSERT_EQ(Open(w, "scene.qnc", 0, false), 0);
  EXPECT_EQ(w.GetMode() & (CDocWindow::kWireframeShown | CDocWindow::kRenderedShown), CDocWindow::kRenderedShown);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 10, 10), kRed);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 479, 359), kRed);

  KeepPicture(false);
  CDocWindow& again = OtherWindow();
  ASSERT_EQ(Open(again, "scene.qnc", 0, false), 0);
  EXPECT_EQ(again.GetMode() & CDocWindow::kRenderedShown, 0u);
  EXPECT_EQ(Pixel(again.GetRenderedImage(), 10, 10), 0xFFFFFFFFu);
}

// An open that fails changes nothing: the same things with the same ids, file, title, flags and
// images.
TEST_F(DocOpen, AnOpenThatFailsLeavesTheWindowAsItWas) {
  SaveScene("scene.qnc");
  const std::string whole = Contents(Path("scene.qnc"));
  std::ofstream(Path("short.qnc"), std::ios::binary) << whole.substr(0, whole.size() / 2);
  std::ofstream(Path("plain.qnc")) << "no composite file at all\n";
  SaveScene("narrow.qnc", [](CDocSettings& s) { s.SetWord(CDocSettings::kImageWidth, 0); });
  SaveScene("wide.qnc", [](CDocSettings& s) { s.SetWord(CDocSettings::kRenderWidth, 5000); });
  ASSERT_EQ(::mkfifo(Path("pipe.qnc").c_str(), 0600), 0);
  fs::create_directory(Path("folder.qnc"));

  const struct {
    const char* name;
    const char* file;
    int32_t code;  // 0: opens, but the settings are not taken
    const char* said = nullptr;  // why a path that is no file is refused, before anything opens it
  } cases[] = {
      // The cut goes through the composite file's chunks: damaged data.
      {"cut short", "short.qnc", kErrDamagedData},
      {"not a composite file", "plain.qnc", 2},
      {"no such file", "missing.qnc", -43},
      {"a width of 0", "narrow.qnc", 0},
      {"a width of 5000", "wide.qnc", 0},
      {"a kept texture that cannot move", "scene.qnc", kErrExpansion},
      // A pipe's open would wait for a writer for good.
      {"a named pipe", "pipe.qnc", kSilentCode25, "it is not a plain file"},
      {"a folder", "folder.qnc", kSilentCode25, "it is a folder"},
  };
  for (const auto& c : cases) {
    const bool refusing = c.code == kErrExpansion;
    ASSERT_EQ(refusing ? Make<CRefusingWindow>({320, 240}, {320, 240}) : Make({320, 240}, {320, 240}), 0);
    CDocWindow& w = *window;
    AddShape<C3dCube>("other", {0, 5, 0});
    C3dTexture* kept = nullptr;
    if (refusing) {
      SObjectKey key;
      SSpoolTableSpec spec;
      MakeCreationKey<C3dTexture>(app->GetObjectsEnv(), key, spec);
      ASSERT_EQ(NewObject(&kept, w.GetSceneTable(), key, spec), 0);
      ASSERT_EQ(w.GetDefaultMaterial()->SetChannelTexture(kept, 0), 0);
      gRefused = kept;
    }
    const std::vector<std::string> before = Describe(w.GetSceneTable());
    const std::string file = w.GetFileSpec().GetPath();
    const uint32_t flags = w.GetFlags() | CDocWindow::kUnsavedChanges;
    w.SetFlags(CDocWindow::kUnsavedChanges);
    CImage* const images[] = {w.GetWindowImage(), w.GetRenderedImage()};
    const uint32_t pixel = Pixel(w.GetRenderedImage(), 3, 3);

    const size_t boxes = platform::headless::ShownBoxes().size();
    const int32_t result = Open(w, c.file);
    gRefused = nullptr;
    EXPECT_EQ(result, c.code) << c.name;
    if (c.said) {
      ASSERT_EQ(platform::headless::ShownBoxes().size(), boxes + 1) << c.name;
      EXPECT_EQ(platform::headless::ShownBoxes().back().text,
                "\"" + Path(c.file) + "\" cannot be opened: " + c.said + ".")
          << c.name;
    }
    EXPECT_EQ(w.GetWindowImageSize(), (SPointHV{320, 240})) << c.name;
    EXPECT_EQ(w.GetRenderImageSize(), (SPointHV{320, 240})) << c.name;
    if (c.code == 0) continue;
    EXPECT_EQ(Describe(w.GetSceneTable()), before) << c.name;
    EXPECT_EQ(w.GetFileSpec().GetPath(), file) << c.name;
    EXPECT_STREQ(w.GetTitle(), "Untitled") << c.name;
    EXPECT_EQ(w.GetFlags(), flags) << c.name;
    EXPECT_EQ(w.GetWindowImage(), images[0]) << c.name;
    EXPECT_EQ(w.GetRenderedImage(), images[1]) << c.name;
    EXPECT_EQ(Pixel(w.GetRenderedImage(), 3, 3), pixel) << c.name;
    if (kept) {
      EXPECT_EQ(kept->GetOwningTable(), w.GetSceneTable()) << c.name;
    }
  }
}

// Merging adds the document's things with fresh ids; the sky and sun are the window's unless Alt
// takes the merged document's.
TEST_F(DocOpen, AMergeAddsTheThingsAndKeepsTheDocumentsFile) {
  SaveScene("scene.qnc");
  for (const bool withSkyAndSun : {false, true}) {
    CDocWindow& w = OtherWindow();
    C3dSky* sky = w.GetSky();
    C3dSunLight* sun = w.GetSun();
    const size_t things = Describe(w.GetSceneTable()).size();
    ASSERT_EQ(Open(w, "scene.qnc", 1, withSkyAndSun), 0) << withSkyAndSun;
    const std::vector<std::string> lines = Describe(w.GetSceneTable());
    EXPECT_EQ(OfFamily(lines, "sky0").size(), 1u) << withSkyAndSun;
    EXPECT_EQ(OfFamily(lines, "lght sunl").size(), 1u) << withSkyAndSun;
    EXPECT_EQ(w.GetSky() == sky, !withSkyAndSun);
    EXPECT_EQ(w.GetSun() == sun, !withSkyAndSun);
    // The cameras are not merged; the sphere, the group, its cubes and the lamp are, linked.
    EXPECT_EQ(OfFamily(lines, "camr").size(), 15u) << withSkyAndSun;
    std::vector<std::string> placed = OfFamily(lines, "3dob"), lights = OfFamily(lines, "lght");
    placed.insert(placed.end(), lights.begin(), lights.end());
    for (const char* name : {" ball ", " pair ", " left ", " right ", " lamp ", " other "}) {
      EXPECT_EQ(std::count_if(placed.begin(), placed.end(),
                              [name](const std::string& line) { return line.find(name) != std::string::npos; }),
                1)
          << name;
    }
    C3dBase* pair = nullptr;
    ASSERT_EQ(w.GetSceneTable()->FindObject("pair", C3dGroup::kFamily, C3dGroup::kClassTag, &pair), 0);
    auto* group = static_cast<C3dGroup*>(pair);
    ASSERT_EQ(group->GetMemberCount(), 2u);
    EXPECT_EQ(NameOf(group->GetMember(0)), "left");
    EXPECT_EQ(group->GetMember(1)->GetParent(), group);
    EXPECT_GT(lines.size(), things);
    EXPECT_STREQ(w.GetTitle(), "Untitled");
    EXPECT_STREQ(w.GetFileSpec().GetPath(), "");
    EXPECT_TRUE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  }
}

// Revert reads the document again as it was saved: its render options, its progressive state (a
// block size of 0 as 16) and its picture, shown.
TEST_F(DocOpen, RevertReadsTheDocumentAsSaved) {
  SaveScene("scene.qnc",
            [](CDocSettings& s) {
              s.SetWord(CDocSettings::kBlockSize, 0);
              s.SetWord(CDocSettings::kCounters + 1, 9);
              s.SetWord(CDocSettings::kRenderOptions, 0x1234);
            },
            kRed);
  CDocWindow& w = OtherWindow();
  ASSERT_EQ(Open(w, "scene.qnc", 0, false), 0);
  // Changes made since: a new object, other options, another picture.
  AddShape<C3dCube>("later", {0, 0, 0});
  w.GetRenderState().fSettings.fFlags = 7;
  ASSERT_TRUE(w.GetRenderedImage()->Fill(0xFF00FF00));
  w.ToggleRenderedImage();
  ASSERT_EQ(w.RevertDocument(w.GetFileSpec()), 0);
  EXPECT_EQ(OfFamily(Describe(w.GetSceneTable()), "3dob cube").size(), 2u);
  EXPECT_EQ(w.GetRenderOptions(), 0x1234u);
  EXPECT_EQ(w.GetRenderState().fContext.GetProgressive().blockSize, 16u);
  EXPECT_EQ(w.GetMode() & CDocWindow::kRenderedShown, CDocWindow::kRenderedShown);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 10, 10), kRed);
  EXPECT_FALSE(w.GetFlags() & CDocWindow::kUnsavedChanges);
}

}  // namespace

namespace {

// A document of count spheres of their own materials, written by the scene tool into the folder.
void WriteSpheres(const std::string& folder, const std::string& name, int count) {
  std::string text = "size 160 120\ncamera from 16 16 -40 to 16 16 0 fov 60\n";
  for (int i = 0; i < count; ++i)
    text += "sphere s" + std::to_string(i) + " at " + std::to_string((i % 100) * 0.32) + " " +
            std::to_string((i / 100) * 0.32) + " 0 size 0.3 0.3 0.3 colour 0.8 0.3 0.2\n";
  std::ofstream(folder + "/" + name + ".txt") << text;
  const SRun run = RunCommand(std::string(QUARN2_SCENE_PATH) + " '" + folder + "/" + name + ".txt' '" + folder + "/" +
                              name + "' 2>&1");
  ASSERT_EQ(run.status, 0) << run.out;
}

// With the program's pools, sized from the machine, a document larger than the objects pool of old
// (about 3,500 spheres) opens, reverts and takes a merge, each reading beside the scene it replaces.
class DocOpenLarge : public DocOpen {
 protected:
  SApplDesc AppDesc() const override {
    SApplDesc desc = ProgramDesc();
    SetPoolBudgets(desc, platform::PhysicalMemoryBytes(), CPrefsFile());
    return desc;
  }
};

TEST_F(DocOpenLarge, ADocumentPastTheOldPoolOpensRevertsAndTakesAMerge) {
  WriteSpheres(dir_, "large.qnc", 4000);
  WriteSpheres(dir_, "small.qnc", 500);
  CDocWindow& w = Made();
  const CFileSpec large = Spec("large.qnc"), small = Spec("small.qnc");
  ASSERT_EQ(w.OpenDocument(0, &large, false), 0);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), 4000u);
  w.SetFlags(CDocWindow::kUnsavedChanges);
  ASSERT_EQ(w.RevertDocument(w.GetFileSpec()), 0);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), 4000u);
  ASSERT_EQ(w.OpenDocument(1, &small, false), 0);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), 4500u);
}

// Where the pool is too small for a document, the open says "out of memory", never an expansion
// error, and the window's scene stays as it was for the next open.
TEST_F(DocOpen, ADocumentTooLargeForThePoolIsOutOfMemoryAndTheWindowGoesOn) {
  WriteSpheres(dir_, "large.qnc", 6000);
  WriteSpheres(dir_, "small.qnc", 500);
  CDocWindow& w = Made();
  const CFileSpec large = Spec("large.qnc"), small = Spec("small.qnc");
  ASSERT_EQ(w.OpenDocument(0, &small, false), 0);
  EXPECT_EQ(w.OpenDocument(0, &large, false), kErrOutOfMemory);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), 500u);
  EXPECT_STREQ(w.GetFileSpec().GetPath(), Path("small.qnc").c_str());
  EXPECT_EQ(w.OpenDocument(0, &small, false), 0);
}

}  // namespace
