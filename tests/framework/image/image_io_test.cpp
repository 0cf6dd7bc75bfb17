#include "framework/image/image_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/image/image.h"
#include "platform/headless.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

using namespace platform;

const char kBuiltInFilter[] =
    "All Formats (*.bmp;*.psd;*.tif)\0*.bmp;*.psd;*.tif\0Bitmap Files (*.bmp)\0*.bmp\0Photoshop Files (*.psd)\0*.psd\0"
    "Tiff (*.tif)\0*.tif\0";

std::vector<uint32_t> gSeen;

intptr_t Recorder(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gSeen.push_back(message);
  return DefWindowProc(window, message, wParam, lParam);
}

class ImageIOTest : public ResourceTest {
 protected:
  WindowHandle MainWindow() const { return static_cast<CWinAppl*>(app)->GetMainWindow(); }
  const SFileDialog& LastDialog() const { return headless::AskedDialogs().back().request; }
};

TEST(ImageType, TheWholeExtensionInAnyCaseGivesTheTypeCode) {
  struct SCase {
    const char* path;
    int32_t type;
  } cases[] = {
      {"/p/Picture.BmP", 3}, {"/p/a.psd", 1},      {"/p/a.tif", 5},        {"/p/a.PCD", 4},
      {"/p/a.JPG", 6},       {"/p/a.tiff", 0},     {"/p/picture", 0},      {"/p.bmp/picture", 0},
      {"/p/a.b.bmp", 3},     {"c:\\pics\\x.BMP", 3}, {"/p/a.bmp.jpeg", 0},
  };
  for (const SCase& c : cases) EXPECT_EQ(CImageIO::TypeOfPath(c.path), c.type) << c.path;
  EXPECT_EQ(AsciiUpper("a.bMp\xe9"), "A.BMP\xe9");
  EXPECT_EQ(PathExtension("/x/y.z/name.tar.gz"), ".gz");
}

TEST_F(ImageIOTest, AChosenPictureGivesItsPathAndTypeCode) {
  const std::string chosen = folder + "/Picture.BmP";
  headless::AnswerFileDialog(chosen, 1);
  CImageIO io;
  CFileSpec spec;
  int32_t type = -1;
  bool cancelled = true;
  ASSERT_EQ(io.AskImageFile(&spec, &type, &cancelled), kNoErr);
  EXPECT_EQ(std::string(spec.GetPath()), chosen);
  EXPECT_EQ(type, CImageIO::kTypeBmp);
  EXPECT_FALSE(cancelled);
  const SFileDialog& dialog = LastDialog();
  EXPECT_EQ(dialog.filter, std::string(kBuiltInFilter, sizeof kBuiltInFilter));
  EXPECT_EQ(dialog.owner, MainWindow());
  EXPECT_NE(dialog.owner, nullptr);
  EXPECT_EQ(dialog.defaultExtension, "bmp");
  EXPECT_EQ(dialog.filterIndex, 1u);
  EXPECT_EQ(dialog.flags, 0x24u | 0x80000u);
}

TEST_F(ImageIOTest, ACancelLeavesTheCallersPath) {
  ASSERT_TRUE(headless::AddScript("cancel\n"));
  CImageIO io;
  CFileSpec spec;
  spec.Set("/before/pic.bmp");
  int32_t type = 7;
  bool cancelled = false;
  EXPECT_EQ(io.AskImageFile(&spec, &type, &cancelled), kSilentCode24);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(std::string(spec.GetPath()), "/before/pic.bmp");
  EXPECT_EQ(type, 7);
}

TEST_F(ImageIOTest, TheFilterListOfTheApplicationsResourcesIsTheFilter) {
  OpenSystemFile({{Key("ixtx", 40, CImageIO::kFilterListName),
                   Compiled("ixtx", "0 \"Pictures (*.bmp)\"\n1 \"*.bmp\"\n2 \"All\"\n3 \"*.*\"\n")}});
  headless::AnswerFileDialog(folder + "/a.bmp", 1);
  CImageIO io;
  EXPECT_EQ(io.ShowOpenDialog("", nullptr), kNoErr);
  const char expected[] = "Pictures (*.bmp)\0*.bmp\0All\0*.*\0";
  EXPECT_EQ(LastDialog().filter, std::string(expected, sizeof expected));
}

TEST_F(ImageIOTest, AfterTheChoicePendingPaintsAreDispatchedAndNothingElse) {
  SWindowClass windowClass;
  windowClass.name = "PaintRecorder";
  windowClass.procedure = &Recorder;
  ASSERT_TRUE(RegisterWindowClass(windowClass));
  WindowHandle window = CreateWindow(0, "PaintRecorder", "", kWsPopup, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(window, kSwShow);
  InvalidateRect(window, nullptr, false);
  ASSERT_TRUE(PostMessage(window, kWmUser + 5, 0, 0));
  gSeen.clear();
  headless::AnswerFileDialog(folder + "/a.bmp", 1);
  CImageIO io;
  std::string title;
  ASSERT_EQ(io.ShowOpenDialog("", &title), kNoErr);
  EXPECT_EQ(title, "a.bmp");
  EXPECT_EQ(std::count(gSeen.begin(), gSeen.end(), kWmPaint), 1);
  EXPECT_EQ(std::count(gSeen.begin(), gSeen.end(), kWmUser + 5), 0);
  SMessage waiting;
  ASSERT_TRUE(PeekMessage(&waiting, window, 0, 0, true));
  EXPECT_EQ(waiting.message, kWmUser + 5);
  DestroyWindow(window);
  UnregisterWindowClass("PaintRecorder", nullptr);
}

TEST_F(ImageIOTest, EachTypeWithAReaderReadsAndTheOthersAnswerInvalidFormat) {
  const struct {
    const char* name;
    const char* command;
  } files[] = {{"one.bmp", "BMP3:"}, {"one.psd", ""}, {"one.tif", ""}, {"one.tiff", ""}};
  for (const auto& f : files) {
    const std::string path = folder + "/" + f.name;
    ASSERT_EQ(std::system(("convert -size 3x2 xc:'#102030' -depth 8 '" + std::string(f.command) + path + "'").c_str()), 0);
  }
  for (const char* name : {"one.bmp", "one.psd", "one.tif"}) {
    CFileSpec spec;
    spec.Set((folder + "/" + name).c_str());
    CImage* image = nullptr;
    ASSERT_EQ(CImageIO::ReadByType(spec, CImageIO::TypeOfPath(spec.GetPath()), &image), kNoErr) << name;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 3u);
    delete image;
  }
  CFileSpec spec;
  spec.Set((folder + "/one.tiff").c_str());
  for (int32_t type : {0, 2, 4, 6, 7, CImageIO::TypeOfPath(spec.GetPath())}) {
    CImage* image = reinterpret_cast<CImage*>(1);
    EXPECT_EQ(CImageIO::ReadByType(spec, type, &image), kErrInvalidFormat) << type;
    EXPECT_EQ(image, nullptr);
  }
}

}  // namespace
