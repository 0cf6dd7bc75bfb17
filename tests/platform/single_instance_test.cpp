// The single-instance socket outside $XDG_RUNTIME_DIR lives in the shared temporary folder, where
// another user may have made its folder first: only a folder of this user's alone is used, and
// nothing but a socket is ever deleted at the socket's path.
#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>

#include "tests/framework/core/private_tmpdir.h"

namespace {

namespace fs = std::filesystem;

// A listening socket at path, as a running instance (or someone posing as one) holds it.
int Listen(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool SomeoneCalled(int listener) {
  const int peer = ::accept(listener, nullptr, nullptr);
  if (peer < 0) return false;
  ::close(peer);
  return true;
}

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    hadRuntime_ = runtime != nullptr;
    runtime_ = runtime ? runtime : "";
    unsetenv("XDG_RUNTIME_DIR");
    socketFolder = tmp_.Path() + "/quarn2-" + std::to_string(::getuid());
    socketPath = socketFolder + "/quarn2.sock";
  }
  void TearDown() override {
    platform::ReleaseSingleInstance();
    if (listener >= 0) ::close(listener);
    if (hadRuntime_) setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  }
  // Claims the instance and answers the role, keeping what was said on the standard error stream.
  platform::InstanceRole Claim() {
    testing::internal::CaptureStderr();
    const platform::InstanceRole role = platform::ClaimSingleInstance("CWinAppl", "Quarn2", "/home/v/secret.qnc");
    said = testing::internal::GetCapturedStderr();
    return role;
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
  }

  std::string socketFolder;
  std::string socketPath;
  std::string said;
  int listener = -1;

 private:
  CPrivateTmpDir tmp_{"quarn2-instance"};
  std::string runtime_;
  bool hadRuntime_ = false;
};

TEST_F(SingleInstance, TheFirstStartMakesAPrivateFolderAndListensThere) {
  EXPECT_EQ(Claim(), platform::InstanceRole::kFirst);
  EXPECT_EQ(said, "");
  EXPECT_TRUE(S_ISDIR(Mode(socketFolder)));
  EXPECT_EQ(Mode(socketFolder) & 0777, 0700u);
  EXPECT_TRUE(S_ISSOCK(Mode(socketPath)));
  platform::ReleaseSingleInstance();
  EXPECT_FALSE(fs::exists(socketPath));
}

// A folder someone else prepared, with a socket listening in it, never hears the command line.
TEST_F(SingleInstance, AFolderOthersCanUseOrDoNotOwnIsNotUsed) {
  const std::string elsewhere = socketFolder + "-real";
  const struct {
    const char* name;
    std::function<bool()> prepare;  // false when this user cannot make that folder
    const char* why;
  } cases[] = {
      {"open to everyone",
       [&] {
         fs::create_directory(socketFolder);
         return ::chmod(socketFolder.c_str(), 0777) == 0;
       },
       "others may use it"},
      {"open to the group",
       [&] {
         fs::create_directory(socketFolder);
         return ::chmod(socketFolder.c_str(), 0750) == 0;
       },
       "others may use it"},
      {"a link to a private folder",
       [&] {
         fs::create_directory(elsewhere);
         fs::create_directory_symlink(elsewhere, socketFolder);
         return ::chmod(elsewhere.c_str(), 0700) == 0;
       },
       "it is not a folder"},
      {"another user's",
       [&] {
         fs::create_directory(socketFolder);
         return ::chmod(socketFolder.c_str(), 0700) == 0 && ::chown(socketFolder.c_str(), ::getuid() + 1, ::getgid()) == 0;
       },
       "it belongs to another user"},
  };
  for (const auto& c : cases) {
    std::error_code ignored;
    if (!c.prepare()) {
      fs::remove_all(socketFolder, ignored);
      continue;
    }
    const std::string socket = (S_ISLNK(Mode(socketFolder)) ? elsewhere : socketFolder) + "/quarn2.sock";
    listener = Listen(socket);
    ASSERT_GE(listener, 0) << c.name;
    EXPECT_EQ(Claim(), platform::InstanceRole::kAlone) << c.name;
    EXPECT_FALSE(SomeoneCalled(listener)) << c.name;
    EXPECT_NE(said.find(socketFolder + ": " + c.why), std::string::npos) << c.name << ": " << said;
    platform::ReleaseSingleInstance();
    EXPECT_TRUE(S_ISSOCK(Mode(socket))) << c.name;
    ::close(listener);
    listener = -1;
    fs::remove_all(socketFolder, ignored);
    fs::remove(socketFolder, ignored);
    fs::remove_all(elsewhere, ignored);
  }
}

// A socket left by an instance that ended is taken over; anything else at that path stays.
TEST_F(SingleInstance, OnlyAStaleSocketIsDeleted) {
  fs::create_directory(socketFolder);
  ::chmod(socketFolder.c_str(), 0700);
  std::ofstream(socketPath) << "not a socket";
  EXPECT_EQ(Claim(), platform::InstanceRole::kAlone);
  EXPECT_EQ(std::ifstream(socketPath).rdbuf()->sgetc(), 'n');
  fs::remove(socketPath);

  ::close(Listen(socketPath));
  ASSERT_TRUE(S_ISSOCK(Mode(socketPath)));
  EXPECT_EQ(Claim(), platform::InstanceRole::kFirst);
}

}  // namespace
