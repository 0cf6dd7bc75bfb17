#include "framework/core/file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "framework/core/mem_block.h"
#include "framework/core/result_codes.h"
#include "temp_dir_fixture.h"

namespace {

using FileTest = TempDirTest;

// Another process holding a shared lock on a file, as `flock -s FILE sleep 30` does; -o keeps the
// lock in flock itself, so that it is gone once flock is.
class OtherHolder {
 public:
  explicit OtherHolder(const std::string& path) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      dup2(out[1], 1);
      execlp("flock", "flock", "-s", "-o", path.c_str(), "-c", "echo locked; exec sleep 30", nullptr);
      _exit(127);
    }
    close(out[1]);
    char line[16] = {};
    locked_ = read(out[0], line, sizeof line - 1) > 0 && std::strncmp(line, "locked", 6) == 0;
    close(out[0]);
  }
  ~OtherHolder() { End(); }
  bool IsLocked() const { return locked_; }
  void End() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool locked_ = false;
};

TEST_F(FileTest, SpecResolvesRelativePathsWithBackslashes) {
  const std::string cwd = std::filesystem::current_path().string();
  CFileSpec spec;
  EXPECT_EQ(spec.Set("a\\b.txt"), kNoErr);
  EXPECT_STREQ(spec.GetPath(), (cwd + "/a/b.txt").c_str());
  EXPECT_EQ(spec.Set(nullptr), kNoErr);
  EXPECT_STREQ(spec.GetPath(), (cwd + "/").c_str());

  const std::string tooLong = "/" + std::string(CFileSpec::kMaxPath, 'x');
  EXPECT_EQ(spec.Set(tooLong.c_str()), kErrInvalidParameter);
  EXPECT_STREQ(spec.GetPath(), "");
  EXPECT_EQ(spec.GetStatus(), kErrInvalidParameter);
  const std::string longest = "/" + std::string(CFileSpec::kMaxPath - 1, 'x');
  EXPECT_EQ(spec.Set(longest.c_str()), kNoErr);

  CFileSpec copy;
  EXPECT_EQ(copy.Copy(Spec("c")), kNoErr);
  EXPECT_EQ(copy.GetPath(), Path("c"));
}

TEST_F(FileTest, TemporaryNamesAreReservedButNotCreated) {
  CFileSpec temp;
  ASSERT_EQ(CFileSpec::MakeTemp(temp), kNoErr);
  EXPECT_EQ(std::string(temp.GetPath()).rfind(tmp_ + "/tmp", 0), 0u) << temp.GetPath();
  EXPECT_FALSE(platform::PathExists(temp.GetPath()));

  CFileSpec beside;
  ASSERT_EQ(CFileSpec::MakeTempBeside(Spec("doc.qnc"), beside), kNoErr);
  EXPECT_EQ(std::string(beside.GetPath()).rfind(dir_ + "/.doc.qnc.framework_core_tests-", 0), 0u) << beside.GetPath();
  EXPECT_FALSE(platform::PathExists(beside.GetPath()));
  EXPECT_NE(std::string(beside.GetPath()), std::string(temp.GetPath()));
}

TEST_F(FileTest, CreateRefusesAnExistingFileAndLeavesIt) {
  CFile file(Spec("a"));
  EXPECT_EQ(file.Create(), kNoErr);
  EXPECT_TRUE(platform::PathExists(Path("a")));
  EXPECT_FALSE(file.IsOpen());
  WriteText(Path("a"), "keep me");
  EXPECT_EQ(file.Create(), kErrObjectInUse);
  EXPECT_EQ(ReadText(Path("a")), "keep me");
}

TEST_F(FileTest, MissingFiles) {
  CFile file(Spec("missing"));
  EXPECT_EQ(file.Open(CFile::kModeRead), kErrFileNotFound);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Delete(), kErrFileNotFound);
  uint32_t size = 1;
  EXPECT_EQ(file.GetLength(&size), kErrFileNotFound);
  EXPECT_EQ(file.Probe(), kErrFileNotFound);
}

TEST_F(FileTest, FileBytesHoldEveryByteAndTheFileIsClosedAgain) {
  WriteText(Path("f"), "abcdef");
  WriteText(Path("empty"), "");
  struct SCase {
    const char* name;
    int32_t result;
    const char* bytes;
  } cases[] = {{"f", kNoErr, "abcdef"}, {"empty", kNoErr, ""}, {"missing", kErrFileNotFound, nullptr}};
  for (const SCase& c : cases) {
    CFile file(Spec(c.name));
    CFileBytes bytes;
    EXPECT_EQ(bytes.Load(file), c.result) << c.name;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(bytes.IsLoaded(), c.bytes != nullptr) << c.name;
    if (!c.bytes) continue;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetLength()), c.bytes) << c.name;
    // A failed load leaves nothing of the earlier one.
    CFile missing(Spec("missing"));
    EXPECT_EQ(bytes.Load(missing), kErrFileNotFound);
    EXPECT_FALSE(bytes.IsLoaded());
    EXPECT_EQ(bytes.GetLength(), 0u);
  }
}

TEST_F(FileTest, ReadAtTheEndOfTheFile) {
  WriteText(Path("f"), "abcdef");
  CFile file(Spec("f"));
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  char buf[16] = {};
  for (const bool strict : {false, true}) {
    ASSERT_EQ(file.Seek(platform::kSeekStart, 4), kNoErr);
    uint32_t count = 10;
    EXPECT_EQ(file.Read(&count, buf, strict), strict ? kErrEndOfFile : kNoErr);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
  }
  uint32_t count = 3;
  ASSERT_EQ(file.Seek(platform::kSeekEnd, -3), kNoErr);
  EXPECT_EQ(file.Read(&count, buf, true), kNoErr);
  EXPECT_EQ(std::string(buf, 3), "def");

  CMemBlock block(2, nullptr, 2);
  count = 3;
  EXPECT_EQ(file.ReadToBlock(&count, block, false), kErrBufferSize);
  count = 4;
  ASSERT_EQ(file.Seek(platform::kSeekStart, 0), kNoErr);
  EXPECT_EQ(file.ReadBlockRaw(&count, block, true), kNoErr);
  EXPECT_EQ(std::memcmp(block.GetStorage(), "abcd", 4), 0);
}

TEST_F(FileTest, WriteSizeAndSeek) {
  CFile file(Spec("w"));
  ASSERT_EQ(file.Create(), kNoErr);
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  uint32_t count = 5;
  EXPECT_EQ(file.Write(&count, "hello"), kNoErr);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(file.SetSize(8), kNoErr);
  uint32_t size = 0;
  EXPECT_EQ(file.GetSize(&size), kNoErr);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(file.WriteAt(6, "!", 1), kNoErr);
  EXPECT_EQ(file.SetSize(3), kNoErr);
  EXPECT_EQ(file.Flush(), kNoErr);
  EXPECT_EQ(ReadText(Path("w")), "hel");
  EXPECT_EQ(file.GetSize(&size), kErrUnexpectedStatus);
  EXPECT_EQ(file.Write(&count, "x"), kErrUnexpectedStatus);
}

// Open for reading or exclusively, the size is asked once and then follows the file's own changes;
// a write at the position, which the file does not follow, makes it ask again.
TEST_F(FileTest, TheSizeFollowsTheFilesOwnWrites) {
  CFile file(Spec("s"));
  ASSERT_EQ(file.Create(), kNoErr);
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  const auto size = [&file] {
    uint32_t bytes = 0;
    EXPECT_EQ(file.GetSize(&bytes), kNoErr);
    return bytes;
  };
  EXPECT_EQ(size(), 0u);
  EXPECT_EQ(file.SetSize(10), kNoErr);
  EXPECT_EQ(size(), 10u);
  EXPECT_EQ(file.WriteAt(12, "ab", 2), kNoErr);
  EXPECT_EQ(size(), 14u);
  EXPECT_EQ(file.WriteAt(0, "cd", 2), kNoErr);
  EXPECT_EQ(size(), 14u);
  uint32_t count = 3;
  ASSERT_EQ(file.Seek(platform::kSeekEnd, 0), kNoErr);
  EXPECT_EQ(file.Write(&count, "efg"), kNoErr);
  EXPECT_EQ(size(), 17u);
  char buf[4] = {};
  EXPECT_EQ(file.ReadAt(12, buf, 4), kNoErr);
  EXPECT_EQ(std::string(buf, 4), "abef");
  EXPECT_EQ(file.ReadAt(15, buf, 4), kErrEndOfFile);
  EXPECT_EQ(file.SetSize(1), kNoErr);
  EXPECT_EQ(size(), 1u);
  file.Close();
  WriteText(Path("s"), "123456");
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  EXPECT_EQ(size(), 6u);
}

// Open for reading, reads at offsets that move forward come from a stretch read ahead: whatever the
// order, the size and the place of the reads (within a stretch, across its end, backwards, larger than
// it, at the end of the file), each gives the file's own bytes, on several threads at once as well,
// and a file opened again reads what it holds then.
TEST_F(FileTest, ReadsAtAnOffsetGiveTheFilesBytesInAnyOrder) {
  const auto byteAt = [](uint32_t i, uint32_t seed) { return char((i * 2654435761u + seed) >> 13); };
  const auto write = [&](uint32_t length, uint32_t seed) {
    std::string bytes(length, 0);
    for (uint32_t i = 0; i < length; ++i) bytes[i] = byteAt(i, seed);
    WriteText(Path("r"), bytes);
  };
  constexpr uint32_t kLength = 300000;
  write(kLength, 1);
  CFile file(Spec("r"));
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  const auto check = [&](uint32_t offset, uint32_t count, uint32_t seed) {
    std::vector<char> buffer(count, 0);
    const int32_t result = file.ReadAt(offset, buffer.data(), count);
    const uint32_t present = offset >= kLength ? 0 : std::min(count, kLength - offset);
    EXPECT_EQ(result, present < count ? kErrEndOfFile : kNoErr) << offset << " " << count;
    for (uint32_t i = 0; i < present; ++i) {
      if (buffer[i] != byteAt(offset + i, seed)) {
        ADD_FAILURE() << "byte " << offset + i << " of a read of " << count << " at " << offset;
        return;
      }
    }
  };
  const struct {
    uint32_t offset, count;
  } reads[] = {{0, 12},      {12, 500},     {600, 12},     {612, 3000},   {70000, 12},  {70012, 16000},
               {86012, 40},  {86052, 70000}, {10, 20},     {135000, 12},  {135012, 12}, {135024, 1},
               {199990, 20}, {200010, 9000}, {299990, 12}, {299998, 12},  {300000, 4},  {299000, 12}};
  for (const auto& r : reads) check(r.offset, r.count, 1);
  std::vector<std::thread> threads;
  for (uint32_t t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(t);
      uint32_t offset = 0;
      for (int i = 0; i < 2000; ++i) {
        const uint32_t count = 1 + random() % 2000;
        offset = random() % 8 ? offset + random() % 3000 : random() % kLength;
        if (offset >= kLength) offset = random() % kLength;
        check(offset, count, 1);
        offset += count;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  file.Close();
  write(kLength, 2);
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  for (const auto& r : reads) check(r.offset, r.count, 2);
}

TEST_F(FileTest, GetLengthLeavesTheFileAsItWas) {
  WriteText(Path("f"), "12345");
  CFile file(Spec("f"));
  uint32_t size = 0;
  EXPECT_EQ(file.GetLength(&size), kNoErr);
  EXPECT_EQ(size, 5u);
  EXPECT_FALSE(file.IsOpen());
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  EXPECT_EQ(file.GetLength(&size), kNoErr);
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(file.GetMode(), uint32_t(CFile::kModeReadWrite));
}

TEST_F(FileTest, ModeThreeHoldsTheFileAgainstEveryOtherOpen) {
  WriteText(Path("f"), "x");
  struct Case {
    uint32_t held;
    uint32_t wanted;
    int32_t result;
  } cases[] = {
      {3, 3, kErrPermission}, {3, 1, kErrPermission}, {1, 3, kErrPermission}, {4, 3, kErrPermission},
      {1, 1, kNoErr},         {2, 2, kNoErr},         {4, 4, kNoErr},         {1, 4, kNoErr},
  };
  for (const Case& c : cases) {
    CFile holder(Spec("f"));
    CFile other(Spec("f"));
    ASSERT_EQ(holder.Open(c.held), kNoErr);
    EXPECT_EQ(other.Open(c.wanted), c.result) << c.held << " then " << c.wanted;
    EXPECT_EQ(other.Delete(), kErrPermission) << "held in mode " << c.held;
  }
  EXPECT_EQ(CFile(Spec("f")).Delete(), kNoErr);
  EXPECT_FALSE(platform::PathExists(Path("f")));
}

TEST_F(FileTest, DeleteWaitsForAnotherProcessToLetGo) {
  WriteText(Path("held"), "x");
  OtherHolder holder(Path("held"));
  ASSERT_TRUE(holder.IsLocked());
  CFile file(Spec("held"));
  EXPECT_EQ(file.Delete(), kErrPermission);
  EXPECT_EQ(file.Open(CFile::kModeRead), kNoErr);  // a shared holder lets readers in
  file.Close();
  EXPECT_EQ(file.Open(CFile::kModeReadWrite), kErrPermission);
  holder.End();
  EXPECT_EQ(file.Delete(), kNoErr);
  EXPECT_FALSE(platform::PathExists(Path("held")));
}

TEST_F(FileTest, ReadOnlyTest) {
  WriteText(Path("plain"), "x");
  WriteText(Path("locked"), "x");
  std::filesystem::permissions(Path("locked"), std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  std::filesystem::create_directory(Path("sealed"));
  WriteText(Path("sealed/file"), "x");
  platform::SetTestDeniedFolder(Path("sealed"));

  struct Case {
    const char* name;
    uint32_t openMode;  // 0: closed
    bool readOnly;
  } cases[] = {
      {"plain", 0, false}, {"plain", CFile::kModeRead, true}, {"plain", CFile::kModeReadWrite, false},
      {"locked", 0, true}, {"sealed/file", 0, true},           {"sealed/file", CFile::kModeShared, false},
  };
  for (const Case& c : cases) {
    CFile file(Spec(c.name));
    if (c.openMode) {
      ASSERT_EQ(file.Open(c.openMode), kNoErr) << c.name;
    }
    bool readOnly = !c.readOnly;
    EXPECT_EQ(file.IsReadOnly(&readOnly), kNoErr) << c.name << " mode " << c.openMode;
    EXPECT_EQ(readOnly, c.readOnly) << c.name << " mode " << c.openMode;
  }
  bool readOnly = false;
  EXPECT_EQ(CFile(Spec("missing")).IsReadOnly(&readOnly), kErrFileNotFound);
}

TEST_F(FileTest, FreeSpaceOfTheVolume) {
  struct statvfs vs {};
  ASSERT_EQ(statvfs(dir_.c_str(), &vs), 0);
  const uint64_t expected = std::min<uint64_t>(uint64_t(vs.f_bavail) * vs.f_frsize, UINT32_MAX);
  CFile file(Spec("not/yet/there"));
  uint32_t bytes = 0;
  ASSERT_EQ(file.GetFreeSpace(&bytes), kNoErr);
  EXPECT_NEAR(double(bytes), double(expected), 16.0 * 1024 * 1024);

  platform::SetTestFreeSpace(int64_t(1) << 40);
  EXPECT_EQ(file.GetFreeSpace(&bytes), kNoErr);
  EXPECT_EQ(bytes, UINT32_MAX);
  platform::SetTestFreeSpace(1234);
  EXPECT_EQ(file.GetFreeSpace(&bytes), kNoErr);
  EXPECT_EQ(bytes, 1234u);
}

class ExchangeTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    WriteText(Path("a"), "contents of a");
    WriteText(Path("b"), "b's");
    ASSERT_TRUE(platform::SetPathWriteTime(Path("a"), kTimeA));
    ASSERT_TRUE(platform::SetPathWriteTime(Path("b"), kTimeB));
  }
  int64_t WriteTime(const char* name) {
    int64_t ns = 0;
    EXPECT_TRUE(platform::GetPathWriteTime(Path(name), &ns));
    return ns;
  }
  size_t FolderEntries() const {
    return size_t(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
  }
  static constexpr int64_t kTimeA = 1000000000LL * 1500000000 + 123;
  static constexpr int64_t kTimeB = 1000000000LL * 1600000000 + 456;
};

TEST_F(ExchangeTest, ContentsSwapAndEachPathKeepsItsTime) {
  for (const bool atomic : {true, false}) {
    platform::SetTestRefuseAtomicExchange(!atomic);
    CFile a(Spec("a"));
    CFile b(Spec("b"));
    ASSERT_EQ(a.ExchangeWith(b), kNoErr);
    EXPECT_EQ(ReadText(Path("a")), atomic ? "b's" : "contents of a");
    EXPECT_EQ(ReadText(Path("b")), atomic ? "contents of a" : "b's");
    EXPECT_EQ(WriteTime("a"), kTimeA);
    EXPECT_EQ(WriteTime("b"), kTimeB);
    EXPECT_EQ(FolderEntries(), 3u);  // a, b and the temporary folder
  }
}

TEST_F(ExchangeTest, AFailingRenameIsUndone) {
  platform::SetTestRefuseAtomicExchange(true);
  for (uint32_t failing = 1; failing <= 3; ++failing) {
    platform::SetTestFailingRename(failing);
    EXPECT_EQ(ExchangeFiles(Spec("a"), Spec("b")), kErrPermission) << failing;
    EXPECT_EQ(ReadText(Path("a")), "contents of a") << failing;
    EXPECT_EQ(ReadText(Path("b")), "b's") << failing;
    EXPECT_EQ(FolderEntries(), 3u) << failing;
  }
  EXPECT_EQ(ExchangeFiles(Spec("a"), Spec("missing")), kErrFileNotFound);
  EXPECT_EQ(ReadText(Path("a")), "contents of a");
}

}  // namespace
