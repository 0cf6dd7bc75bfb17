// Reading a picture into the rendered image, the page set-up, printing, and grouping the selection.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "editing/group_action.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/ui/im_element.h"
#include "platform/print.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using DocPicture = DocCommandsTest;

constexpr uint32_t kWhite = 0xFFFFFFFF;

// A 64 × 48 picture of one colour, red as a BMP and green as an LZW TIFF, copies exactly into the
// top left of the rendered image, which is then shown with the overlay buttons hidden.
TEST_F(DocPicture, APictureCoversTheTopLeftOfTheRenderedImage) {
  const struct {
    const char* file;
    const char* make;
    uint32_t colour;
  } cases[] = {
      {"red.bmp", "convert -size 64x48 xc:'#ff0000' BMP3:", 0xFFFF0000},
      // ImageMagick writes 16 bits a sample unless told: the TIFF reader takes 8.
      {"green.tif", "convert -size 64x48 xc:'#00ff00' -depth 8 -compress lzw ", 0xFF00FF00},
  };
  for (const auto& c : cases) {
    CDocWindow& w = Made();
    Show();
    ASSERT_EQ(RunCommand(std::string(c.make) + "'" + Path(c.file) + "'").status, 0) << c.file;
    AddShape<C3dCube>("box", {0, 0, 0});
    ASSERT_EQ(w.FindSceneParts(true), 0);
    Selection().Add(static_cast<C3dObject*>(Things(C3dCube::kFamily, C3dCube::kClassTag)[0]), 1, 0);
    w.Invalidate(true);
    ASSERT_EQ(w.Redraw(false), 0);
    ASSERT_TRUE(w.GetOverlayButton(CDocWindow::kMaterialChiclet)->IsShown()) << c.file;
    Answer("open " + Path(c.file));
    ASSERT_EQ(w.OpenPicture(), 0) << c.file;
    for (uint32_t i = 0; i < CDocWindow::kOverlayButtonCount; ++i)
      EXPECT_FALSE(w.GetOverlayButton(i)->IsShown()) << c.file << " " << i;
    EXPECT_EQ(w.GetMode() & (CDocWindow::kWireframeShown | CDocWindow::kRenderedShown | CDocWindow::kRenderedBackdrop),
              CDocWindow::kRenderedShown)
        << c.file;
    CImage* image = w.GetRenderedImage();
    EXPECT_EQ(Pixel(image, 0, 0), c.colour) << c.file;
    EXPECT_EQ(Pixel(image, 63, 47), c.colour) << c.file;
    EXPECT_EQ(Pixel(image, 64, 0), kWhite) << c.file;
    EXPECT_EQ(Pixel(image, 0, 48), kWhite) << c.file;
    EXPECT_EQ(Pixel(image, 479, 359), kWhite) << c.file;
  }
}

// A picture that cannot be read answers the reader's code; a cancel answers 0; either way the image
// stays as it was.
TEST_F(DocPicture, APictureThatIsNotReadChangesNothing) {
  CDocWindow& w = Made();
  std::ofstream(Path("bad.bmp")) << "BM not a bitmap";
  const struct {
    const char* answer;
    int32_t code;
  } cases[] = {{"open bad.bmp", 2}, {"open none.tif", -43}, {"cancel", 0}};
  for (const auto& c : cases) {
    Answer(c.answer == std::string("cancel") ? c.answer : "open " + Path(c.answer + 5));
    EXPECT_EQ(w.OpenPicture(), c.code) << c.answer;
    EXPECT_EQ(Pixel(w.GetRenderedImage(), 0, 0), kWhite) << c.answer;
    EXPECT_EQ(w.GetMode() & CDocWindow::kWireframeShown, CDocWindow::kWireframeShown) << c.answer;
  }
}

// The picture dialog starts in the folder of the last picture, the document dialog in the last
// document's.
TEST_F(DocPicture, PicturesAndDocumentsRememberTheirOwnFolders) {
  CDocWindow& w = Made();
  std::filesystem::create_directory(Path("pictures"));
  ASSERT_EQ(RunCommand("convert -size 8x8 xc:red BMP3:'" + Path("pictures/a.bmp") + "'").status, 0);
  Answer("open " + Path("pictures/a.bmp"));
  ASSERT_EQ(w.OpenPicture(), 0);
  Answer("save " + Path("scene.qnc"));
  ASSERT_EQ(w.SaveDocument(1), 0);
  Answer("open " + Path("scene.qnc"));
  ASSERT_EQ(w.OpenDocument(0, nullptr, false), 0);
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.initialFolder, "");
  Answer("cancel");
  ASSERT_EQ(w.OpenPicture(), 0);
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.initialFolder, Path("pictures/"));
  Answer("cancel");
  ASSERT_EQ(w.OpenDocument(0, nullptr, false), 24);
  EXPECT_EQ(platform::headless::AskedDialogs().back().request.initialFolder, dir_ + "/");
}

// The printer is handed the image shown, the wireframe's or the rendered one; the page set-up answers
// 0. On a page of the image's size at 72 dpi the image is printed pixel for pixel.
TEST_F(DocPicture, PrintingHandsThePrinterTheImageShown) {
  CDocWindow& w = Made();
  EXPECT_EQ(w.PageSetup(), 0);
  auto printsShown = [&](CImage* image) {
    platform::headless::ForgetPrintedDocuments();
    Answer("print 72 72 480 360 1");
    ASSERT_EQ(w.PrintDocument(), 0);
    ASSERT_EQ(platform::headless::PrintedDocuments().size(), 1u);
    const auto& document = platform::headless::PrintedDocuments()[0];
    EXPECT_EQ(document.name, "Quarn 2 Document");
    ASSERT_EQ(document.pages.size(), 1u);
    for (int32_t y = 0; y < 360; y += 7) {
      for (int32_t x = 0; x < 480; x += 5)
        ASSERT_EQ(document.pages[0].Pixel(x, y), Pixel(image, x, y) & 0xFFFFFF) << x << "," << y;
    }
  };
  printsShown(w.GetWindowImage());
  w.ToggleRenderedImage();
  printsShown(w.GetRenderedImage());
}

// Grouping needs two objects; one changes nothing and records nothing.
TEST_F(DocPicture, GroupingOneObjectChangesNothing) {
  CDocWindow& w = Made();
  C3dCube* cube = AddShape<C3dCube>("one", {0, 0, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Selection().Add(cube, 1, 0);
  const size_t things = Describe(w.GetSceneTable()).size();
  EXPECT_EQ(w.GroupSelection(), 0);
  EXPECT_EQ(Describe(w.GetSceneTable()).size(), things);
  EXPECT_EQ(w.GetDocument()->GetUndoHistory().GetCurrentAction(), nullptr);

  // Two unit cubes: a group 0.001 larger on each side than their union, numbered after the highest.
  C3dCube* other = AddShape<C3dCube>("two", {3, 0, 0});
  AddGroup("old", {AddShape<C3dCube>("m", {9, 9, 9})})->SetGroupNumber(4);
  Selection().Add(other, 0, 0);
  ASSERT_EQ(w.GroupSelection(), 0);
  auto* action = dynamic_cast<CGroupAction*>(w.GetDocument()->GetUndoHistory().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  C3dGroup* group = action->GetGroup();
  EXPECT_EQ(group->GetOwningTable(), w.GetSceneTable());
  EXPECT_EQ(group->GetGroupNumber(), 5u);
  EXPECT_EQ(cube->GetParent(), group);
  EXPECT_EQ(other->GetParent(), group);
  C3dBox both = cube->WorldBox();
  both.Union(other->WorldBox());
  const vector3<double> margin{0.001, 0.001, 0.001};
  EXPECT_EQ(group->GetBox().fMin, both.fMin - margin);
  EXPECT_EQ(group->GetBox().fMax, both.fMax + margin);
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0), group);

  // Undone, the members are selected and the group is out of the scene; redone, it is back alone.
  CUndoHistory& history = w.GetDocument()->GetUndoHistory();
  ASSERT_EQ(history.Undo(), 0);
  EXPECT_EQ(group->GetOwningTable(), action->GetHoldingTable());
  EXPECT_EQ(Selection().GetCount(), 2u);
  EXPECT_TRUE(cube->IsSelected() && other->IsSelected());
  EXPECT_EQ(cube->GetParent(), nullptr);
  ASSERT_EQ(history.Redo(), 0);
  EXPECT_EQ(group->GetOwningTable(), w.GetSceneTable());
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0), group);
  EXPECT_EQ(cube->GetParent(), group);
}

// Read while the rendered image is shown already, the picture is drawn at once: the window went on
// showing the white image until Esc was pressed twice.
TEST_F(DocPicture, APictureReadOverTheShownRenderedImageIsDrawn) {
  CDocWindow& w = Made();
  Show();
  ASSERT_EQ(RunCommand("convert -size 64x48 xc:'#ff0000' BMP3:'" + Path("red.bmp") + "'").status, 0);
  ASSERT_EQ(w.ToggleRenderedImage(), kHandled);
  app->DispatchPaintMessages();
  const auto shown = [&] { return platform::GetWindowSurface(w.GetWindow())->Pixel(10, 10) & 0xFFFFFF; };
  ASSERT_EQ(shown(), 0xFFFFFFu);
  Answer("open " + Path("red.bmp"));
  ASSERT_EQ(w.OpenPicture(), 0);
  app->DispatchPaintMessages();
  EXPECT_EQ(shown(), 0xFF0000u);
  EXPECT_TRUE(w.HoldsPicture());
}

}  // namespace
