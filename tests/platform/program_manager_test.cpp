// The program-manager service on the desktop's menu files, and the start of a program, headless.
#include "platform/program_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/file.h"
#include "platform/folder.h"
#include "platform/process.h"

namespace {

using namespace platform;

std::string Read(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, &bytes) ? bytes : "<none>";
}

class ProgramManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/progman-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    fRoot = folder;
    ::setenv("HOME", fRoot.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (fRoot + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (fRoot + "/config").c_str(), 1);
  }
  void TearDown() override {
    std::system(("rm -rf " + fRoot).c_str());
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::string fRoot;
};

TEST_F(ProgramManagerTest, TheFourCommandsMakeASubmenuWithItsEntry) {
  const std::string dir = fRoot + "/Carvane";
  for (const std::string& command : {std::string("[CreateGroup(Carvane)]"), std::string("[ShowGroup(Carvane,5)]"),
                                     std::string("[ReplaceItem(Carvane)]"),
                                     "[AddItem(\"" + dir + "/cvn32.exe\",Carvane,,,,,\"" + dir + "\")]"})
    EXPECT_TRUE(RunProgramManagerCommand(command)) << command;
  EXPECT_EQ(Read(fRoot + "/data/desktop-directories/Carvane.directory"),
            "[Desktop Entry]\nType=Directory\nName=Carvane\n");
  EXPECT_EQ(Read(fRoot + "/config/menus/applications-merged/Carvane.menu"),
            "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
            "<Menu>\n"
            "  <Name>Applications</Name>\n"
            "  <Menu>\n"
            "    <Name>Carvane</Name>\n"
            "    <Directory>Carvane.directory</Directory>\n"
            "    <Include>\n"
            "      <Category>X-Carvane</Category>\n"
            "    </Include>\n"
            "  </Menu>\n"
            "</Menu>\n");
  const std::string entry = fRoot + "/data/applications/Carvane.desktop";
  EXPECT_EQ(Read(entry), "[Desktop Entry]\nType=Application\nName=Carvane\nExec=\"" + dir + "/cvn32.exe\"\nPath=" +
                             dir + "\nTerminal=false\nCategories=X-Carvane;\n");
  EXPECT_EQ(std::system(("desktop-file-validate " + entry + " " + fRoot +
                         "/data/desktop-directories/Carvane.directory >&2").c_str()), 0);
  EXPECT_EQ(std::system(("xmllint --noout " + fRoot + "/config/menus/applications-merged/Carvane.menu").c_str()), 0);
  // Again: the entry is replaced, not added beside.
  EXPECT_TRUE(RunProgramManagerCommand("[ReplaceItem(Carvane)]"));
  EXPECT_EQ(Read(entry), "<none>");
  EXPECT_TRUE(RunProgramManagerCommand("[AddItem(\"/opt/c/cvn32.exe\",Carvane,,,,,\"/opt/c\")]"));
  std::vector<std::string> entries;
  ASSERT_TRUE(ListFolder(fRoot + "/data/applications", "", &entries));
  EXPECT_EQ(entries, std::vector<std::string>{"Carvane.desktop"});
  EXPECT_NE(Read(entry).find("Exec=\"/opt/c/cvn32.exe\"\n"), std::string::npos);
}

// Exec quotes the path by the desktop-entry rules: escaped inside the quotes, then as any string.
TEST_F(ProgramManagerTest, AnExecPathIsQuotedAndEscaped) {
  ASSERT_TRUE(RunProgramManagerCommand("[CreateGroup(Tools)]"));
  ASSERT_TRUE(RunProgramManagerCommand("[AddItem(\"/a b/$x`q\\100%.exe\",Tool,,,,,\"/a b\")]"));
  const std::string entry = Read(fRoot + "/data/applications/Tool.desktop");
  EXPECT_NE(entry.find("Exec=\"/a b/\\\\$x\\\\`q\\\\\\\\100%%.exe\"\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Categories=X-Tools;\n"), std::string::npos);
  EXPECT_EQ(std::system(("desktop-file-validate " + fRoot + "/data/applications/Tool.desktop >&2").c_str()), 0);
}

TEST_F(ProgramManagerTest, WithoutTheVariablesTheFilesGoUnderHome) {
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_TRUE(RunProgramManagerCommand("[CreateGroup(Home Group)]"));
  EXPECT_TRUE(PathExists(fRoot + "/.local/share/desktop-directories/Home Group.directory"));
  EXPECT_NE(Read(fRoot + "/.config/menus/applications-merged/Home Group.menu").find("<Category>X-Home-Group<"),
            std::string::npos);
}

TEST_F(ProgramManagerTest, WhatIsNotACommandOrNamesNoFileIsRefused) {
  for (const char* command :
       {"", "CreateGroup(A)", "[CreateGroup(A)", "[CreateGroup A]", "[(A)]", "[CreateGroup(\"A)]", "[Shout(A)]",
        "[CreateGroup(A,B)]", "[CreateGroup()]", "[CreateGroup(../A)]", "[CreateGroup(..)]", "[ReplaceItem(a/b)]",
        "[AddItem(\"/p\",x/y,,,,,\"/d\")]", "[AddItem(\"/p\nq\",X,,,,,\"/d\")]"})
    EXPECT_FALSE(RunProgramManagerCommand(command)) << command;
  EXPECT_FALSE(IsFolder(fRoot + "/data/applications"));
}

// Headless a command is noted and checked, never carried out: one that would be refused answers so.
TEST_F(ProgramManagerTest, HeadlessTheCommandsAreOnlyNotedAndChecked) {
  const size_t before = headless::ProgramManagerCommands().size();
  EXPECT_TRUE(SendProgramManagerCommand("[CreateGroup(Carvane)]"));
  EXPECT_TRUE(SendProgramManagerCommand("[AddItem(\"/p\",X,,,,,\"/d\")]"));
  EXPECT_FALSE(SendProgramManagerCommand("[AddItem(\"/p\tq\",X,,,,,\"/d\")]"));
  EXPECT_FALSE(SendProgramManagerCommand("[CreateGroup(\"A)]"));
  ASSERT_EQ(headless::ProgramManagerCommands().size(), before + 4);
  EXPECT_EQ(headless::ProgramManagerCommands()[before], "[CreateGroup(Carvane)]");
  EXPECT_FALSE(PathExists(fRoot + "/data"));
}

// A quote written twice inside quotes stands for one, so a path may hold quotes, commas and brackets;
// QuotedArgument writes any text so.
TEST_F(ProgramManagerTest, QuotesInsideAQuotedArgumentAreWrittenTwice) {
  ASSERT_TRUE(RunProgramManagerCommand("[CreateGroup(Tools)]"));
  const std::string folder = "/x\",)] \"\"y";
  EXPECT_EQ(QuotedArgument(folder), "\"/x\"\",)] \"\"\"\"y\"");
  ASSERT_TRUE(RunProgramManagerCommand("[AddItem(" + QuotedArgument(folder + "/t.exe") + ",Tool,,,,," +
                                       QuotedArgument(folder) + ")]"));
  const std::string entry = Read(fRoot + "/data/applications/Tool.desktop");
  EXPECT_NE(entry.find("Exec=\"/x\\\\\",)] \\\\\"\\\\\"y/t.exe\"\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Path=" + folder + "\n"), std::string::npos) << entry;
}

TEST_F(ProgramManagerTest, HeadlessAStartIsNotedAndAnswersWhetherTheFileCouldStart) {
  const std::string program = fRoot + "/run.sh";
  std::ofstream(program) << "#!/bin/sh\n";
  const std::string plain = fRoot + "/plain.txt";
  std::ofstream(plain) << "text";
  ::chmod(program.c_str(), 0755);
  const size_t before = headless::StartedPrograms().size();
  EXPECT_TRUE(StartProgram(program, 5));
  EXPECT_FALSE(StartProgram(plain, 5));
  EXPECT_FALSE(StartProgram(fRoot, 1));
  EXPECT_FALSE(StartProgram(fRoot + "/missing", 1));
  ASSERT_EQ(headless::StartedPrograms().size(), before + 4);
  EXPECT_EQ(headless::StartedPrograms()[before].path, program);
  EXPECT_EQ(headless::StartedPrograms()[before].show, 5);
}

}  // namespace
