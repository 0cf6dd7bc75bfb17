// The preferences file: its defaults without a file, a write through a temporary file, and short
// files.
#include "document/prefs_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/framework/core/private_tmpdir.h"

namespace {

class PrefsFile : public ::testing::Test {
 protected:
  std::string Path() const { return tmp.Path() + "/Quarn2 Prefs"; }
  size_t FileCount() const {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.Path())) n += entry.is_regular_file();
    return n;
  }
  CPrivateTmpDir tmp{"quarn2-prefs"};
};

TEST_F(PrefsFile, WithoutAFileTheBlockHoldsTheDefaults) {
  const CPrefsFile prefs(Path().c_str());
  EXPECT_FALSE(prefs.IsRead());
  EXPECT_EQ(prefs.GetWord(8), 1);
  EXPECT_EQ(prefs.GetWord(12), 75);
  EXPECT_EQ(prefs.GetMemoryPercent(), 75);
  EXPECT_EQ(prefs.GetWord(0), 0);
  EXPECT_EQ(prefs.GetWord(4), 0);
  EXPECT_EQ(prefs.GetWord(2772), 0);
}

TEST_F(PrefsFile, AWrittenBlockReadsBackWhole) {
  CPrefsFile prefs(Path().c_str());
  prefs.SetWord(12, 40);
  prefs.GetBlock()[2771] = 0x5A;
  ASSERT_TRUE(prefs.Write());
  EXPECT_EQ(std::filesystem::file_size(Path()), 2772u);
  EXPECT_EQ(FileCount(), 1u);

  const CPrefsFile again(Path().c_str());
  EXPECT_TRUE(again.IsRead());
  EXPECT_EQ(std::memcmp(again.GetBlock(), prefs.GetBlock(), CPrefsFile::kBlockBytes), 0);
  EXPECT_EQ(again.GetMemoryPercent(), 40);

  // A folder that is gone takes no file, and says so.
  CPrefsFile lost((tmp.Path() + "/gone/Quarn2 Prefs").c_str());
  EXPECT_FALSE(lost.Write());
}

TEST_F(PrefsFile, AShortFileCountsAsRead) {
  {
    std::ofstream out(Path(), std::ios::binary);
    for (int i = 0; i < 100; ++i) out.put(char(i + 1));
  }
  const CPrefsFile prefs(Path().c_str());
  EXPECT_TRUE(prefs.IsRead());
  EXPECT_EQ(prefs.GetBlock()[99], 100);
  for (uint32_t i = 100; i < CPrefsFile::kBlockBytes; ++i) ASSERT_EQ(prefs.GetBlock()[i], 0) << i;
}

}  // namespace
