#include "platform/folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/errors.h"

namespace {

namespace fs = std::filesystem;

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("quarn2-folder-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }

  fs::path dir_;
};

TEST_F(FolderTest, ListsFilesEndingInTheSuffixInAnyCaseInByteOrder) {
  for (const char* name : {"b.qno", "B.QNO", "a.qno", "_x.Qno", "c.qni", "qno", "d.qno.bak"}) Touch(name);
  fs::create_directory(dir_ / "folder.qno");
  std::vector<std::string> names;
  ASSERT_TRUE(platform::ListFolder(dir_.string(), ".qno", &names));
  EXPECT_EQ(names, (std::vector<std::string>{"B.QNO", "_x.Qno", "a.qno", "b.qno"}));
}

TEST_F(FolderTest, AMissingFolderCannotBeListed) {
  std::vector<std::string> names{"stale"};
  EXPECT_FALSE(platform::ListFolder((dir_ / "missing").string(), ".qno", &names));
  EXPECT_EQ(platform::GetLastError(), platform::kWinFileNotFound);
  EXPECT_TRUE(names.empty());
}

TEST_F(FolderTest, TheCurrentFolderCanBeChangedAndRestored) {
  std::string before;
  ASSERT_TRUE(platform::GetCurrentFolder(&before));
  ASSERT_TRUE(platform::SetCurrentFolder(dir_.string()));
  std::string now;
  ASSERT_TRUE(platform::GetCurrentFolder(&now));
  EXPECT_EQ(fs::canonical(now), fs::canonical(dir_));
  EXPECT_FALSE(platform::SetCurrentFolder((dir_ / "missing").string()));
  ASSERT_TRUE(platform::SetCurrentFolder(before));
  ASSERT_TRUE(platform::GetCurrentFolder(&now));
  EXPECT_EQ(now, before);
}

}  // namespace
