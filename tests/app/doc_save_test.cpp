// Saving the document window's scene: the dialog, the names, the document and the picture beside it,
// and saves that fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "framework/image/bitmap_file.h"
#include "platform/file.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/document/old_document_writer.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;

const std::string kPutFilter("Quarn files(*.qnc)\0*.qnc\0", 25);

class DocSave : public DocCommandsTest {
 protected:
  // A render of the window's scene into its rendered image.
  void Render() {
    Show();
    ASSERT_EQ(Button("clear & render button"), kHandled);
    for (int i = 0; i < 10000 && window->GetRenderRequest(); ++i) ASSERT_EQ(window->Heartbeat(SHeartbeatRecord()), 0);
    ASSERT_EQ(window->GetRenderRequest(), 0u);
    ASSERT_TRUE(window->HoldsPicture());
  }
};

TEST_F(DocSave, AFirstSaveAsksThenWritesTheDocumentAndItsPicture) {
  CDocWindow& w = Made();
  BuildScene();
  Render();
  fs::create_directory(Path("a.b"));
  const size_t dialogs = DialogCount();
  Answer("save " + Path("a.b/scene"));
  ASSERT_EQ(w.SaveDocument(0), 0);
  ASSERT_EQ(DialogCount(), dialogs + 1);
  const platform::headless::SAskedDialog& asked = platform::headless::AskedDialogs().back();
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(asked.request.filter, kPutFilter);
  EXPECT_EQ(asked.request.file, "Untitled.qnc");
  EXPECT_EQ(asked.request.defaultExtension, "qnc");
  EXPECT_EQ(owner->GetModalLevel(), 0u);

  EXPECT_EQ(Files(), (std::vector<std::string>{"Plugins", "a.b"}));
  EXPECT_TRUE(fs::exists(Path("a.b/scene.qnc")));
  EXPECT_EQ(w.GetFlags() & (CDocWindow::kUnsavedChanges | CDocWindow::kHasFile), CDocWindow::kHasFile);
  EXPECT_STREQ(w.GetTitle(), "scene");
  EXPECT_STREQ(w.GetFileSpec().GetPath(), Path("a.b/scene.qnc").c_str());

  // Everything comes back, the settings record with it.
  C3dBaseSys read(app->GetObjectsEnv());
  CDocSettings settings(SSpoolLayout{app->GetDataEnv(), 0, 0});
  ASSERT_EQ(ReadSceneFile(Spec("a.b/scene.qnc"), &read, &settings), 0);
  const std::vector<std::string> saved = Describe(w.GetSceneTable()), back = Describe(&read);
  EXPECT_EQ(WithoutMaterials(back), WithoutMaterials(saved));
  for (const std::string& material : OfFamily(saved, "matr"))
    EXPECT_NE(std::find(back.begin(), back.end(), material), back.end()) << material;
  EXPECT_EQ(settings.GetWord(CDocSettings::kRenderWidth), 480u);
  EXPECT_EQ(settings.GetWord(CDocSettings::kRenderOptions), w.GetRenderOptions());

  // The picture is the rendered image, 24 bits deep.
  const SRun identify = RunCommand("identify -format '%w %h %z' '" + Path("a.b/scene.bmp") + "'");
  EXPECT_EQ(identify.out, "480 360 8");
  const SRun pnm = RunCommand("bmptopnm '" + Path("a.b/scene.bmp") + "' 2>/dev/null | pnmfile");
  EXPECT_NE(pnm.out.find("PPM raw, 480 by 360"), std::string::npos) << pnm.out;
  {
    CImage* picture = nullptr;
    ASSERT_EQ(CImBitmapFile::LoadImage(Spec("a.b/scene.bmp"), &picture), 0);
    EXPECT_EQ(Pixel(picture, 5, 5), Pixel(w.GetRenderedImage(), 5, 5));
    delete picture;
  }

  // A document with a file saves without a dialog; "save as" always asks, and a cancel writes nothing.
  w.SetFlags(CDocWindow::kUnsavedChanges);
  ASSERT_EQ(w.SaveDocument(0), 0);
  EXPECT_EQ(DialogCount(), dialogs + 1);
  EXPECT_FALSE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  const std::string written = Contents(Path("a.b/scene.qnc"));
  w.SetFlags(CDocWindow::kUnsavedChanges);
  Answer("cancel");
  EXPECT_EQ(w.SaveDocument(1), 24);
  EXPECT_EQ(DialogCount(), dialogs + 2);
  EXPECT_EQ(Contents(Path("a.b/scene.qnc")), written);
  EXPECT_TRUE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_STREQ(w.GetTitle(), "scene");
}

// The name chosen gets ".qnc"; a file of the name the dialog did not show is replaced only when the
// user says so.
TEST_F(DocSave, TheDocumentExtensionIsForcedAndAskedAbout) {
  CDocWindow& w = Made();
  KeepPicture(false);
  Answer("save " + Path("scene.txt"));
  ASSERT_EQ(w.SaveDocument(1), 0);
  EXPECT_TRUE(fs::exists(Path("scene.qnc")));
  EXPECT_FALSE(fs::exists(Path("scene.txt")));
  EXPECT_FALSE(fs::exists(Path("scene.bmp")));
  const size_t boxes = platform::headless::ShownBoxes().size();
  EXPECT_EQ(boxes, 0u);

  std::ofstream(Path("scene.qnc")) << "kept";
  Answer("save " + Path("scene.txt") + "\nbox 7");
  EXPECT_EQ(w.SaveDocument(1), 24);
  EXPECT_EQ(Contents(Path("scene.qnc")), "kept");
  ASSERT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text,
            "The file \"" + Path("scene.qnc") + "\" already exists. Do you want to replace it?");

  Answer("save " + Path("scene.txt") + "\nbox 6");
  EXPECT_EQ(w.SaveDocument(1), 0);
  EXPECT_NE(Contents(Path("scene.qnc")), "kept");
}

// A document opened under a name that is not its own ".qnc" (an earlier version's, or another spelling
// of the extension) saves without a dialog under the ".qnc" name: an unrelated file there is replaced
// only when the user says so.
TEST_F(DocSave, SaveAsksBeforeReplacingAFileOtherThanTheDocuments) {
  CDocWindow& w = Made();
  KeepPicture(false);
  {
    old_writer::SOldDocument old;
    old_writer::SOldRecord sphere;
    sphere.kind = 5;
    old.records.push_back(sphere);
    const old_writer::Bytes bytes = old.Write();
    std::ofstream(Path("proj.doc"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  }
  Answer("save " + Path("first.qnc"));
  ASSERT_EQ(w.SaveDocument(1), 0);
  fs::copy_file(Path("first.qnc"), Path("Scene.QNC"));
  for (const char* opened : {"proj.doc", "Scene.QNC"}) {
    SCOPED_TRACE(opened);
    const std::string twin = Path(std::string(opened).substr(0, std::string(opened).find('.')) + ".qnc");
    std::ofstream(twin) << "kept";
    const CFileSpec spec = Spec(opened);
    ASSERT_EQ(w.OpenDocument(0, &spec, false), 0);
    const size_t dialogs = DialogCount(), boxes = platform::headless::ShownBoxes().size();
    Answer("box 7");
    EXPECT_EQ(w.SaveDocument(0), 24);
    EXPECT_EQ(Contents(twin), "kept");
    ASSERT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
    EXPECT_EQ(platform::headless::ShownBoxes().back().text,
              "The file \"" + twin + "\" already exists. Do you want to replace it?");
    Answer("box 6");
    EXPECT_EQ(w.SaveDocument(0), 0);
    EXPECT_NE(Contents(twin), "kept");
    EXPECT_STREQ(w.GetFileSpec().GetPath(), twin.c_str());
    EXPECT_EQ(DialogCount(), dialogs);
    // Its own file it replaces without a question.
    EXPECT_EQ(w.SaveDocument(0), 0);
    EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 2);
  }
}

// The file stays whole however the write fails (see the scene file tests); the window keeps its
// changes marked unsaved and its old name.
TEST_F(DocSave, ASaveThatFailsLeavesTheOldDocumentAndTheChangesUnsaved) {
  CDocWindow& w = Made();
  BuildScene();
  Answer("save " + Path("scene.qnc"));
  ASSERT_EQ(w.SaveDocument(0), 0);
  const std::string old = Contents(Path("scene.qnc"));
  w.SetFlags(CDocWindow::kUnsavedChanges);
  platform::SetTestFreeSpace(0);
  EXPECT_EQ(w.SaveDocument(0), -34);
  platform::SetTestFreeSpace(-1);
  EXPECT_EQ(Contents(Path("scene.qnc")), old);
  EXPECT_TRUE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_STREQ(w.GetTitle(), "scene");
}

// The picture is a convenience: one that cannot be written is reported once, and the save stands.
TEST_F(DocSave, APictureThatCannotBeWrittenLeavesTheDocumentSaved) {
  CDocWindow& w = Made();
  Render();
  fs::create_directory(Path("scene.bmp"));
  const size_t boxes = platform::headless::ShownBoxes().size();
  Answer("save " + Path("scene.qnc"));
  w.SetFlags(CDocWindow::kUnsavedChanges);
  EXPECT_EQ(w.SaveDocument(0), 0);
  EXPECT_TRUE(fs::exists(Path("scene.qnc")));
  EXPECT_FALSE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  EXPECT_TRUE(fs::is_directory(Path("scene.bmp")));
}

// A rendered image that was never rendered is no picture: none is written, and the document opens
// showing its wireframe. One rendered after the open is written at the next save.
TEST_F(DocSave, ANeverRenderedPictureIsNotWrittenAndTheDocumentOpensOnItsWireframe) {
  CDocWindow& w = Made();
  BuildScene();
  Answer("save " + Path("plain.qnc"));
  ASSERT_EQ(w.SaveDocument(0), 0);
  EXPECT_TRUE(fs::exists(Path("plain.qnc")));
  EXPECT_FALSE(fs::exists(Path("plain.bmp")));

  ASSERT_EQ(Make(), 0);
  const CFileSpec spec = Spec("plain.qnc");
  ASSERT_EQ(window->OpenDocument(0, &spec, false), 0);
  EXPECT_TRUE(window->GetMode() & CDocWindow::kWireframeShown);
  EXPECT_FALSE(window->GetMode() & CDocWindow::kRenderedShown);
  EXPECT_FALSE(window->HoldsPicture());
  Render();
  window->SetFlags(CDocWindow::kUnsavedChanges);
  ASSERT_EQ(window->SaveDocument(0), 0);
  EXPECT_TRUE(fs::exists(Path("plain.bmp")));
}

}  // namespace
