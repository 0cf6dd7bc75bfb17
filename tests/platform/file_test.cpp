#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/errors.h"

namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quarn2-file-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string Path(const char* name) const { return dir_ + "/" + name; }
  // A new file of the folder, open for reading and writing.
  platform::FileHandle NewFile(const char* name) const {
    return platform::OpenFile(Path(name), platform::kAccessRead | platform::kAccessWrite, platform::kShareRead,
                              platform::FileCreate::kCreateNew);
  }

  std::string dir_;
};

TEST_F(FileTest, FailuresLeaveTheWindowsErrorNumbers) {
  using platform::FileCreate;
  const std::string existing = Path("existing");
  platform::FileHandle f = platform::OpenFile(existing, platform::kAccessWrite, 0, FileCreate::kCreateNew);
  ASSERT_NE(f, platform::kNoFile);
  platform::CloseFile(f);

  struct Case {
    const char* what;
    std::string path;
    uint32_t access;
    FileCreate how;
    int32_t error;
  } cases[] = {
      {"missing file", Path("missing"), platform::kAccessRead, FileCreate::kOpenExisting, 2},
      {"exclusive create of an existing file", existing, platform::kAccessWrite, FileCreate::kCreateNew, 80},
      {"name component too long", Path(std::string(300, 'x').c_str()), platform::kAccessRead,
       FileCreate::kOpenExisting, 206},
      {"folder opened for writing", dir_, platform::kAccessWrite, FileCreate::kOpenExisting, 5},
      {"folder opened for reading", dir_, platform::kAccessRead, FileCreate::kOpenExisting, 5},
      // Its open would wait for a writer for good.
      {"named pipe", Path("pipe"), platform::kAccessRead, FileCreate::kOpenExisting, 5},
  };
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  for (const Case& c : cases) {
    platform::SetLastError(0);
    EXPECT_EQ(platform::OpenFile(c.path, c.access, platform::kShareRead, c.how), platform::kNoFile) << c.what;
    EXPECT_EQ(platform::GetLastError(), c.error) << c.what;
  }
}

TEST_F(FileTest, BackslashesNameTheSameFile) {
  std::string full;
  ASSERT_TRUE(platform::FullPath(dir_ + "\\sub\\..\\a.txt", &full));
  EXPECT_EQ(full, dir_ + "/a.txt");
  platform::FileHandle f = platform::OpenFile(dir_ + "\\a.txt", platform::kAccessWrite, 0,
                                              platform::FileCreate::kCreateNew);
  ASSERT_NE(f, platform::kNoFile);
  platform::CloseFile(f);
  EXPECT_TRUE(platform::PathExists(full));
}

TEST_F(FileTest, ReadWriteSeekAndResize) {
  platform::FileHandle f = NewFile("data");
  ASSERT_NE(f, platform::kNoFile);
  uint32_t done = 0;
  ASSERT_TRUE(platform::WriteFile(f, "abcdef", 6, &done));
  EXPECT_EQ(done, 6u);
  ASSERT_TRUE(platform::SetFileSize(f, 10));
  int64_t size = 0;
  ASSERT_TRUE(platform::GetFileSize(f, &size));
  EXPECT_EQ(size, 10);
  ASSERT_TRUE(platform::SeekFile(f, 4, platform::kSeekStart, nullptr));
  char buf[16] = {};
  ASSERT_TRUE(platform::ReadFile(f, buf, sizeof buf, &done));
  EXPECT_EQ(done, 6u);  // short only at the end of the file
  EXPECT_EQ(std::memcmp(buf, "ef\0\0\0\0", 6), 0);
  ASSERT_TRUE(platform::SetFileSize(f, 2));
  ASSERT_TRUE(platform::GetFileSize(f, &size));
  EXPECT_EQ(size, 2);
  EXPECT_TRUE(platform::CloseFile(f));
}

// Reads and writes at an offset leave the position where sequential ones go on; a read past the end
// is short, a negative offset refused, and a full disk fails them as it fails a plain write.
TEST_F(FileTest, ReadsAndWritesAtAnOffsetLeaveThePosition) {
  platform::FileHandle f = NewFile("at");
  ASSERT_NE(f, platform::kNoFile);
  uint32_t done = 0;
  ASSERT_TRUE(platform::WriteFile(f, "abc", 3, &done));
  ASSERT_TRUE(platform::WriteFileAt(f, 6, "xy", 2, &done));
  EXPECT_EQ(done, 2u);
  ASSERT_TRUE(platform::WriteFile(f, "d", 1, &done));  // after "abc", not after "xy"
  char buf[16] = {};
  ASSERT_TRUE(platform::ReadFileAt(f, 2, buf, sizeof buf, &done));
  EXPECT_EQ(done, 6u);
  EXPECT_EQ(std::memcmp(buf, "cd\0\0xy", 6), 0);
  int64_t position = 0;
  ASSERT_TRUE(platform::SeekFile(f, 0, platform::kSeekCurrent, &position));
  EXPECT_EQ(position, 4);
  EXPECT_FALSE(platform::ReadFileAt(f, -1, buf, 1, &done));
  EXPECT_EQ(platform::GetLastError(), platform::kWinInvalidParameter);
  EXPECT_TRUE(platform::CloseFile(f));

  platform::SetTestFailingWrite(1);
  f = platform::OpenFile(Path("at"), platform::kAccessRead | platform::kAccessWrite, platform::kShareRead,
                         platform::FileCreate::kOpenExisting);
  ASSERT_NE(f, platform::kNoFile);
  EXPECT_FALSE(platform::WriteFileAt(f, 0, "z", 1, &done));
  EXPECT_EQ(platform::GetLastError(), platform::kWinDiskFull);
  platform::ResetFileTestHooks();
  EXPECT_TRUE(platform::CloseFile(f));
}

TEST_F(FileTest, AHandleThatDoesNotShareWritingExcludesOtherWriters) {
  const uint32_t rw = platform::kAccessRead | platform::kAccessWrite;
  platform::FileHandle a = platform::OpenFile(Path("locked"), rw, platform::kShareRead,
                                              platform::FileCreate::kCreateNew);
  ASSERT_NE(a, platform::kNoFile);
  EXPECT_EQ(platform::OpenFile(Path("locked"), rw, platform::kShareRead, platform::FileCreate::kOpenExisting),
            platform::kNoFile);
  EXPECT_EQ(platform::GetLastError(), platform::kWinSharingViolation);
  platform::CloseFile(a);
  platform::FileHandle b = platform::OpenFile(Path("locked"), rw, platform::kShareRead,
                                              platform::FileCreate::kOpenExisting);
  EXPECT_NE(b, platform::kNoFile);
  platform::CloseFile(b);
}

TEST_F(FileTest, RenameRefusesAnExistingTarget) {
  for (const char* name : {"a", "b"}) {
    platform::CloseFile(platform::OpenFile(Path(name), platform::kAccessWrite, 0, platform::FileCreate::kCreateNew));
  }
  EXPECT_FALSE(platform::RenameFile(Path("a"), Path("b")));
  EXPECT_EQ(platform::GetLastError(), platform::kWinFileExists);
  EXPECT_TRUE(platform::RenameFile(Path("a"), Path("c")));
  EXPECT_FALSE(platform::PathExists(Path("a")));
  EXPECT_TRUE(platform::PathExists(Path("c")));
}

TEST_F(FileTest, UniqueFilesAreDistinctAndExist) {
  std::string first, second;
  ASSERT_TRUE(platform::MakeUniqueFile(dir_, "tmp", &first));
  ASSERT_TRUE(platform::MakeUniqueFile(dir_, "tmp", &second));
  EXPECT_NE(first, second);
  EXPECT_TRUE(platform::PathExists(first));
  EXPECT_EQ(first.rfind(dir_ + "/tmp", 0), 0u);
  EXPECT_TRUE(first.ends_with(".tmp"));

  std::string picture;
  ASSERT_TRUE(platform::MakeUniqueFile(dir_, "tmp", &picture, ".ppm"));
  EXPECT_TRUE(picture.ends_with(".ppm"));
  EXPECT_TRUE(platform::PathExists(picture));
}

// Replacing writes go through a temporary beside the file they replace.
class ReplaceTest : public FileTest {
 protected:
  void Write(const std::string& path, const std::string& text) const {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
  std::string Read(const std::string& path) const {
    std::string text;
    return platform::ReadWholeFile(path, &text) ? text : "<unreadable>";
  }
  // A finished temporary beside target, holding text.
  std::string Temporary(const std::string& target, const std::string& text) const {
    std::string temporary;
    EXPECT_TRUE(platform::MakeTempBeside(target, &temporary));
    Write(temporary, text);
    return temporary;
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
  }
};

TEST_F(ReplaceTest, TheTemporaryIsHiddenBesideTheFileAndNamesItAndTheProgram) {
  std::string temporary;
  ASSERT_TRUE(platform::MakeTempBeside(Path("out.qnc"), &temporary));
  EXPECT_EQ(temporary.rfind(dir_ + "/.out.qnc.platform_tests-", 0), 0u) << temporary;
  EXPECT_TRUE(platform::PathExists(temporary));
  std::string picture;
  ASSERT_TRUE(platform::MakeTempBeside(Path("out.png"), &picture, ".png"));
  EXPECT_TRUE(picture.ends_with(".png")) << picture;
  EXPECT_NE(picture, temporary);
}

// A folder in the target's place is refused before anything is made, and is never moved away.
TEST_F(ReplaceTest, AFolderOrADeviceIsNeverReplaced) {
  ASSERT_EQ(::mkdir(Path("photos").c_str(), 0755), 0);
  Write(Path("photos/inside"), "kept");
  std::string temporary;
  EXPECT_FALSE(platform::MakeTempBeside(Path("photos"), &temporary));
  EXPECT_EQ(platform::GetLastError(), platform::kWinDirectory);
  const std::string made = Temporary(Path("other"), "new");
  EXPECT_FALSE(platform::ReplaceFile(made, Path("photos")));
  EXPECT_EQ(platform::GetLastError(), platform::kWinDirectory);
  EXPECT_FALSE(platform::ExchangeFiles(made, Path("photos")));
  EXPECT_EQ(platform::GetLastError(), platform::kWinDirectory);
  EXPECT_TRUE(platform::IsFolder(Path("photos")));
  EXPECT_EQ(Read(Path("photos/inside")), "kept");
  EXPECT_EQ(Read(made), "new");

  EXPECT_FALSE(platform::MakeTempBeside("/dev/null", &temporary));
  EXPECT_EQ(platform::GetLastError(), platform::kWinAccessDenied);
  EXPECT_FALSE(platform::ReplaceFile(made, "/dev/null"));
  EXPECT_TRUE(S_ISCHR(Mode("/dev/null")));
}

// A temporary that a write killed midway left behind (its process gone) is removed by the next write
// to that target; one of a process still running stays, as do names of another shape or program.
TEST_F(ReplaceTest, TheNextWriteRemovesTheTemporariesOfAProcessThatIsGone) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  const std::string gone = std::to_string(child), running = std::to_string(::getppid());
  const auto at = [this](const std::string& name) { return Path(name.c_str()); };
  const std::string left = at(".out.qnc.platform_tests-" + gone + ".3"),
                    leftPicture = at(".out.png.platform_tests-" + gone + ".4.png"),
                    live = at(".out.qnc.platform_tests-" + running + ".1"), other = at(".out.qnc.Setvane-" + gone + ".1"),
                    shape = at(".out.qnc.platform_tests-" + gone);
  for (const std::string& path : {left, leftPicture, live, other, shape}) Write(path, "left");
  std::string temporary;
  ASSERT_TRUE(platform::MakeTempBeside(Path("out.qnc"), &temporary));
  EXPECT_FALSE(platform::PathExists(left));
  EXPECT_TRUE(platform::PathExists(leftPicture)) << "another target's";
  for (const std::string& path : {live, other, shape}) EXPECT_TRUE(platform::PathExists(path)) << path;
  EXPECT_NE(temporary.find("platform_tests-" + std::to_string(::getpid()) + "."), std::string::npos) << temporary;
  ASSERT_TRUE(platform::MakeTempBeside(Path("out.png"), &temporary, ".png"));
  EXPECT_FALSE(platform::PathExists(leftPicture));
}

TEST_F(ReplaceTest, TheReplacedFileKeepsItsPermissionBits) {
  Write(Path("private.qnc"), "old");
  ASSERT_EQ(::chmod(Path("private.qnc").c_str(), 0600), 0);
  ASSERT_TRUE(platform::ReplaceFile(Temporary(Path("private.qnc"), "new"), Path("private.qnc")));
  EXPECT_EQ(Read(Path("private.qnc")), "new");
  EXPECT_EQ(Mode(Path("private.qnc")) & 0777, 0600u);
}

// Through a link the file it points to is replaced, in its own folder, and the link stays.
TEST_F(ReplaceTest, ALinkKeepsPointingAtTheReplacedFile) {
  ASSERT_EQ(::mkdir(Path("real").c_str(), 0755), 0);
  Write(Path("real/scene.qnc"), "old");
  ASSERT_EQ(::symlink("real/scene.qnc", Path("relative.qnc").c_str()), 0);
  ASSERT_EQ(::symlink(Path("relative.qnc").c_str(), Path("chained.qnc").c_str()), 0);
  std::string temporary;
  ASSERT_TRUE(platform::MakeTempBeside(Path("chained.qnc"), &temporary));
  EXPECT_EQ(platform::FolderOf(temporary), Path("real"));
  Write(temporary, "new");
  ASSERT_TRUE(platform::ReplaceFile(temporary, Path("chained.qnc")));
  EXPECT_TRUE(S_ISLNK(Mode(Path("chained.qnc"))));
  EXPECT_TRUE(S_ISLNK(Mode(Path("relative.qnc"))));
  EXPECT_EQ(Read(Path("real/scene.qnc")), "new");
  // A link to a file not there yet makes it.
  ASSERT_EQ(::symlink("real/later.qnc", Path("later.qnc").c_str()), 0);
  ASSERT_TRUE(platform::ReplaceFile(Temporary(Path("later.qnc"), "first"), Path("later.qnc")));
  EXPECT_EQ(Read(Path("real/later.qnc")), "first");
  EXPECT_TRUE(S_ISLNK(Mode(Path("later.qnc"))));
  // An exchange through a link swaps the file it points to.
  const std::string other = Temporary(Path("chained.qnc"), "other");
  ASSERT_TRUE(platform::ExchangeFiles(Path("chained.qnc"), other));
  EXPECT_TRUE(S_ISLNK(Mode(Path("chained.qnc"))));
  EXPECT_EQ(Read(Path("real/scene.qnc")), "other");
  EXPECT_EQ(Read(other), "new");
}

// What a tool or the program says of a path that is no file to read.
TEST_F(FileTest, APathThatIsNoPlainFileIsNamedForWhatItIs) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::fclose(std::fopen(Path("plain").c_str(), "w"));
  EXPECT_EQ(platform::NotPlainFileReason(Path("pipe")), "it is not a plain file");
  EXPECT_EQ(platform::NotPlainFileReason("/dev/null"), "it is not a plain file");
  EXPECT_EQ(platform::NotPlainFileReason(dir_), "it is a folder");
  EXPECT_EQ(platform::NotPlainFileReason(Path("plain")), "");
  EXPECT_EQ(platform::NotPlainFileReason(Path("missing")), "");
}

TEST_F(FileTest, AWholeFileIsReadAndAFolderIsNotTakenForAnEmptyOne) {
  std::string bytes(200000, 'x');
  bytes[123456] = 'y';
  FILE* f = std::fopen(Path("big").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(Path("big"), &read));
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(platform::ReadWholeFile(dir_, &read));
  EXPECT_EQ(platform::GetLastError(), platform::kWinDirectory);
  EXPECT_FALSE(platform::ReadWholeFile(Path("missing"), &read));
  EXPECT_EQ(platform::GetLastError(), platform::kWinFileNotFound);
}

TEST(FileErrors, ErrnoTable) {
  const std::pair<int, int32_t> cases[] = {
      {ENOENT, 2},  {ENOTDIR, 3},  {EMFILE, 4},   {ENFILE, 4},         {EACCES, 5},
      {EPERM, 5},   {EISDIR, 5},   {EBADF, 6},    {ENOMEM, 8},         {EROFS, 19},
      {EWOULDBLOCK, 32}, {EEXIST, 80}, {EINVAL, 87}, {ENOSPC, 112},    {EDQUOT, 112},
      {ENAMETOOLONG, 206}, {EIO, 1117}, {EFBIG, 223}, {EXDEV, 31}, {0, 0},
  };
  for (const auto& [err, win] : cases) EXPECT_EQ(platform::WinErrorFromErrno(err), win) << err;
}

TEST(ProgramPath, IsThisTestProgram) {
  EXPECT_NE(platform::ProgramPath().find("platform_tests"), std::string::npos);
  EXPECT_TRUE(platform::IsFolder(platform::ProgramFolder()));
}

}  // namespace
