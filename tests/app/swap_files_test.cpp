#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/quarn_app.h"
#include "framework/core/cm_file.h"
#include "framework/core/spool_sys.h"
#include "tests/framework/core/app_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

namespace fs = std::filesystem;

// The program's application over a temporary folder of its own ($TMPDIR).
class SwapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    folder = tmp_.Path();
    ASSERT_EQ(InitOrdax(), 0);
    app = new CQuarnApp(ProgramDesc());
  }
  void TearDown() override {
    delete app;
    TermOrdax();
    for (int fd : held_) ::close(fd);
    if (holder_ > 0) {
      ::kill(holder_, SIGTERM);
      ::waitpid(holder_, nullptr, 0);
    }
  }

  std::string Path(uint32_t n) const { return folder + "/qspool" + std::to_string(n) + ".tmp"; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string PathOf(const CSpoolSys* env) {
    return env && env->GetFile() ? env->GetFile()->GetSpec().GetPath() : "";
  }
  static bool IsHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
  }
  // Another running instance: `flock -s` holding the file until the test ends.
  void HoldInAnotherProcess(uint32_t n) {
    const std::string path = Path(n);
    holder_ = ::fork();
    ASSERT_GE(holder_, 0);
    if (holder_ == 0) {
      ::execlp("flock", "flock", "-s", "-F", path.c_str(), "sleep", "30", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 500 && !IsHeld(path); ++i) ::usleep(10000);
    ASSERT_TRUE(IsHeld(path));
  }
  void HoldHere(uint32_t n) {
    const int fd = ::open(Path(n).c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_SH), 0);
    held_.push_back(fd);
  }

  CQuarnApp* app = nullptr;
  std::string folder;

 private:
  CPrivateTmpDir tmp_{"quarn2-swap"};
  std::vector<int> held_;
  pid_t holder_ = -1;
};

TEST_F(SwapFiles, InitMakesThreeInTheTemporaryFolderAndTermRemovesThem) {
  app->Init(nullptr, nullptr, nullptr);
  EXPECT_EQ(Names(), (std::vector<std::string>{"qspool0.tmp", "qspool1.tmp", "qspool2.tmp"}));
  EXPECT_EQ(PathOf(app->GetObjectsEnv()), Path(0));
  EXPECT_EQ(PathOf(app->GetDiscardEnv()), Path(1));
  EXPECT_EQ(PathOf(app->GetDataEnv()), Path(2));
  EXPECT_EQ(fs::file_size(Path(0)), 2204u);
  EXPECT_EQ(fs::file_size(Path(1)), 2204u);
  EXPECT_EQ(fs::file_size(Path(2)), 3740u);
  EXPECT_TRUE(IsHeld(Path(0)));
  app->Term();
  EXPECT_TRUE(Names().empty());
}

TEST_F(SwapFiles, AFileAnotherInstanceHoldsMovesOnThreeNumbers) {
  HoldInAnotherProcess(0);
  app->Init(nullptr, nullptr, nullptr);
  EXPECT_EQ(Names(), (std::vector<std::string>{"qspool0.tmp", "qspool3.tmp", "qspool4.tmp", "qspool5.tmp"}));
  EXPECT_EQ(PathOf(app->GetObjectsEnv()), Path(3));
  EXPECT_EQ(PathOf(app->GetDataEnv()), Path(5));
  app->Term();
  EXPECT_EQ(Names(), (std::vector<std::string>{"qspool0.tmp"}));
}

TEST_F(SwapFiles, FilesLeftByAKilledRunAreDeletedAndUsedAgain) {
  for (uint32_t n : {0, 1, 2}) std::ofstream(Path(n)) << "left over";
  app->Init(nullptr, nullptr, nullptr);
  EXPECT_EQ(PathOf(app->GetObjectsEnv()), Path(0));
  EXPECT_EQ(fs::file_size(Path(0)), 2204u);
  EXPECT_EQ(fs::file_size(Path(2)), 3740u);
  app->Term();
  EXPECT_TRUE(Names().empty());
}

// What a second instance starting at the same moment does to the first: the numbers looked free, yet
// their files cannot be made. The start goes on to the next three and leaves nothing of the first try.
TEST_F(SwapFiles, NumbersWhoseFilesCannotBeMadeAreLeftForTheNextThree) {
  fs::create_directory(Path(2));
  app->Init(nullptr, nullptr, nullptr);
  EXPECT_TRUE(platform::headless::ShownBoxes().empty());
  EXPECT_EQ(PathOf(app->GetObjectsEnv()), Path(3));
  EXPECT_EQ(PathOf(app->GetDataEnv()), Path(5));
  EXPECT_EQ(Names(), (std::vector<std::string>{"qspool2.tmp", "qspool3.tmp", "qspool4.tmp", "qspool5.tmp"}));
  app->Term();
  EXPECT_EQ(Names(), (std::vector<std::string>{"qspool2.tmp"}));
}

TEST_F(SwapFiles, WhenEveryNumberIsHeldTheStartStops) {
  for (uint32_t n = 0; n <= 99; n += 3) HoldHere(n);
  const std::vector<std::string> before = Names();
  app->Init(nullptr, nullptr, nullptr);
  ASSERT_FALSE(platform::headless::ShownBoxes().empty());
  EXPECT_EQ(platform::headless::ShownBoxes().back().text,
            "Unexpected error while creating the virtual memory environments.");
  app->Term();
  EXPECT_EQ(Names(), before);
}

}  // namespace
