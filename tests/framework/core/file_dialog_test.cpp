#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "platform/file.h"

namespace {

using namespace platform;

const char kFilter[] = "Quarn files(*.qnc)\0*.qnc\0All files\0*.*\0";

TEST_F(AppTest, CancelledDialogIsSilent) {
  Script("cancel\n");
  CFileSpec spec;
  EXPECT_EQ(app->ChooseFileToOpen(&spec, kFilter, "Open", nullptr), 24);
  app->TellError(24);
  EXPECT_EQ(Boxes(), 0u);
  // Without a scripted answer the user cancels too.
  bool replacing = true;
  EXPECT_EQ(app->ChooseFileToSave(&spec, &replacing, kFilter, nullptr, "scene.qnc"), 24);
}

TEST_F(AppTest, OpenDialogFillsTheSpecAndRemembersItsFolder) {
  const std::string folder = ::testing::TempDir() + "opened";
  Script("open " + folder + "/a.qnc\nopen /elsewhere/b.qnc\n");
  CFileSpec spec;
  ASSERT_EQ(app->ChooseFileToOpen(&spec, kFilter, "Open", nullptr), 0);
  EXPECT_EQ(std::string(spec.GetPath()), folder + "/a.qnc");
  ASSERT_EQ(app->ChooseFileToOpen(&spec, kFilter, nullptr, nullptr), 0);
  const auto& asked = headless::AskedDialogs();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_FALSE(asked[0].save);
  EXPECT_EQ(asked[0].request.flags, 0x1824u + 0x80000u);
  EXPECT_EQ(asked[0].request.title, "Open");
  EXPECT_EQ(asked[0].request.filter, std::string(kFilter, sizeof kFilter - 1));
  EXPECT_EQ(asked[0].request.owner, Main());
  EXPECT_EQ(asked[1].request.initialFolder, folder + "/");
}

TEST_F(AppTest, SaveDialogGivesFilterIndexAndReplacing) {
  const std::string existing = ::testing::TempDir() + "existing.qnc";
  FILE* f = std::fopen(existing.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  headless::AnswerFileDialog(existing, 2);
  headless::AnswerFileDialog(::testing::TempDir() + "new.qnc", 1);

  CFileSpec spec;
  bool replacing = false;
  ASSERT_EQ(app->ChooseFileToSave(&spec, &replacing, kFilter, nullptr, "scene.qnc"), 0);
  EXPECT_TRUE(replacing);
  uint16_t index = 0xFFFF;
  std::memcpy(&index, spec.fHeader, sizeof index);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(headless::AskedDialogs().back().request.flags, 0x826u + 0x80000u);
  EXPECT_EQ(headless::AskedDialogs().back().request.file, "scene.qnc");

  ASSERT_EQ(app->ChooseFileToSave(&spec, &replacing, kFilter, nullptr, nullptr), 0);
  EXPECT_FALSE(replacing);
  std::memcpy(&index, spec.fHeader, sizeof index);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(headless::AskedDialogs().back().request.initialFolder, ::testing::TempDir());
  std::remove(existing.c_str());
}

TEST_F(AppTest, AScriptedSaveTakesTheFilterOfItsExtension) {
  const char filter[] = "PAM Files (*.pam)\0*.pam\0Pictures\0*.ppm;*.pgm\0\0";
  struct SCase {
    const char* name;
    uint16_t index;  // counting from 0
  };
  const SCase cases[] = {{"/out/a.PGM", 1}, {"/out/a.pam", 0}, {"/out/a.bmp", 0}, {"/out.ppm/a", 0}};
  for (const SCase& c : cases) {
    Script(std::string("save ") + c.name);
    CFileSpec spec;
    bool replacing = false;
    ASSERT_EQ(app->ChooseFileToSave(&spec, &replacing, filter, nullptr, nullptr), 0) << c.name;
    uint16_t index = 0xFFFF;
    std::memcpy(&index, spec.fHeader, sizeof index);
    EXPECT_EQ(index, c.index) << c.name;
  }
}

TEST_F(AppTest, AYesNoQuestionIsAnsweredByTheScriptOrItsDefaultButton) {
  Script("box 7");
  EXPECT_FALSE(app->AskYesNo("Replace?"));
  EXPECT_EQ(LastBox(), "Replace?");
  EXPECT_EQ(headless::ShownBoxes().back().style & 0xFFu, uint32_t(kMbIconQuestion | kMbYesNo));
  Script("box 6");
  EXPECT_TRUE(app->AskYesNo("Replace?"));
  EXPECT_TRUE(app->AskYesNo("Replace?"));
}

TEST_F(AppTest, ModuleDirectoryResolvesWithoutChangingTheCurrentFolder) {
  const std::filesystem::path before = std::filesystem::current_path();
  CFileSpec spec;
  ASSERT_EQ(app->SetModuleDirectory("data\\system.dat", &spec), 0);
  EXPECT_EQ(std::string(spec.GetPath()), platform::ProgramFolder() + "/data/system.dat");
  EXPECT_EQ(std::filesystem::current_path(), before);
}

}  // namespace
