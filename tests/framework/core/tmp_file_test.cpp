#include "framework/core/tmp_file.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/core/result_codes.h"
#include "temp_dir_fixture.h"

namespace {

using TmpFileTest = TempDirTest;

TEST_F(TmpFileTest, ExistsWhileOwnedAndIsGoneAfterwards) {
  std::string path;
  {
    CTmpFile file;
    ASSERT_TRUE(file.IsOwned());
    path = file.GetSpec().GetPath();
    EXPECT_EQ(path.rfind(tmp_ + "/tmp", 0), 0u) << path;
    EXPECT_TRUE(platform::PathExists(path));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetMode(), uint32_t(CFile::kModeReadWrite));
    EXPECT_EQ(file.WriteAt(0, "data", 4), kNoErr);
    CTmpFile second;
    EXPECT_NE(std::string(second.GetSpec().GetPath()), path);
  }
  EXPECT_FALSE(platform::PathExists(path));
  EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(TmpFileTest, AnUnwritableTemporaryFolderLeavesNothing) {
  platform::SetTestDeniedFolder(tmp_);
  {
    CTmpFile file;
    EXPECT_FALSE(file.IsOwned());
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_EQ(TempFileCount(), 0u);
}

}  // namespace
