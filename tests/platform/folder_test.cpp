#include "platform/folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// Code is trusted only where no one else could have put it. Changing a file's owner or group needs
// the administrator: those cases run only as root (the administrator's own files count as the user's
// then, and root's group, which lists no one, as a group of its own).
TEST_F(FolderTest, CodeIsTrustedOnlyWhereNoOneElseCouldHavePutIt) {
  constexpr uid_t kNobody = 65534;
  constexpr gid_t kNoGroup = 65534;
  const bool root = ::geteuid() == 0;
  const auto file = [&](const std::string& name, fs::perms perms) {
    Touch(name);
    fs::permissions(dir_ / name, perms);
    return (dir_ / name).string();
  };
  const auto owned = [&](const std::string& name, uid_t user, gid_t group, fs::perms perms) {
    const std::string path = file(name, perms);
    if (::chown(path.c_str(), user, group) != 0) ADD_FAILURE() << "chown " << path;
    return path;
  };
  const auto link = [&](const std::string& name, const std::string& target) {
    fs::create_symlink(target, dir_ / name);
    return (dir_ / name).string();
  };
  const fs::perms plain = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
  struct SCase {
    std::string path;
    bool isFolder;
    std::string reason;
  };
  std::vector<SCase> cases = {
      {file("own.qno", plain), false, ""},
      {file("everyones.qno", plain | fs::perms::others_write), false, "others may change it"},
      {link("link-own.qno", (dir_ / "own.qno").string()), false, ""},
      {link("link-open.qno", (dir_ / "everyones.qno").string()), false, "it is a link to a file that others may change"},
      {link("dangling.qno", (dir_ / "gone.qno").string()), false, "it is a link to nothing (No such file or directory)"},
      {dir_.string(), false, "it is not a file"},
      {dir_.string(), true, ""},
      {(dir_ / "own.qno").string(), true, "it is not a folder"},
      {(dir_ / "missing").string(), true, "No such file or directory"},
  };
  if (root) {
    cases.push_back({owned("nobodys.qno", kNobody, 0, plain), false, "it belongs to another user"});
    cases.push_back({link("link-nobodys.qno", (dir_ / "nobodys.qno").string()), false, "it is a link to another user's file"});
    cases.push_back({owned("shared-group.qno", 0, kNoGroup, plain | fs::perms::group_write), false, "others may change it"});
    cases.push_back({owned("own-group.qno", 0, 0, plain | fs::perms::group_write), false, ""});
    fs::create_directory(dir_ / "theirs");
    ASSERT_EQ(::chown((dir_ / "theirs").c_str(), kNobody, kNoGroup), 0);
    cases.push_back({(dir_ / "theirs").string(), true, "it belongs to another user"});
  }
  for (const SCase& c : cases) EXPECT_EQ(platform::UntrustedCodeReason(c.path, c.isFolder), c.reason) << c.path;
}
