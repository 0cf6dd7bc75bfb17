#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/core/holder.h"
#include "framework/core/spool_sys.h"
#include "framework/core/spool_table.h"
#include "run_tool.h"
#include "tests/framework/core/cm_file_fixture.h"

namespace {

SRun RunCmfdump(const std::string& path) { return RunCommand(std::string(CMFDUMP_PATH) + " '" + path + "' 2>&1"); }

using CmfdumpTest = CmFileTest;

TEST_F(CmfdumpTest, PrintsHeaderDirectoryAndChains) {
  CCmFile file(Spec("split.cmf"));
  MakeSplitCase(file, 155);
  ASSERT_EQ(file.Close(), kNoErr);
  const SRun run = RunCmfdump(Path("split.cmf"));
  EXPECT_EQ(run.out,
            "type \"Generic Composite File\"\n"
            "directory capacity 64 in-use 3 step 16 at 656 size 768\n"
            "free 33 first 1603\n"
            "entry 0 size 0\n"
            "entry 1 size 10: 1648 {22 10 0}\n"
            "entry 2 size 155: 1436 {167 155 0}\n"
            "free chain: 1603 {45 33 0}\n");
  EXPECT_EQ(run.status, 0);
}

TEST_F(CmfdumpTest, ARefusedFileNamesTheReason) {
  WriteBytes(Path("short"), std::vector<uint8_t>(656, 0));
  const SRun run = RunCmfdump(Path("short"));
  EXPECT_EQ(run.out, "cmfdump: " + Path("short") + ": A file error has occurred (composite file expected). (code 100)\n");
  EXPECT_EQ(run.status, 1);
}

TEST_F(CmfdumpTest, ABrokenChainIsReportedAndTheRestPrinted) {
  CCmFile file(Spec("broken.cmf"));
  MakeSplitCase(file, 155);
  ASSERT_EQ(file.Close(), kNoErr);
  PutBE32("broken.cmf", 1648 + 8, 1648);  // entry 1's chunk points back to itself
  const SRun run = RunCmfdump(Path("broken.cmf"));
  EXPECT_NE(run.out.find("entry 0 size 0\nentry 1: broken chain (8)\nentry 2 size 155: 1436 {167 155 0}\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("free chain: 1603 {45 33 0}\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.status, 3);
}

// A swap environment's file, kept after the environment ends: its directory has twice the table
// growth, and the object that was paged out left its two entries.
TEST_F(CmfdumpTest, ASwapFileKeptByItsEnvironment) {
  struct SCase {
    SRange growth;
    const char* directory;
  } cases[] = {
      {{64, 64}, "directory capacity 128 in-use 2 step 128 at 656 size 1536\n"},
      {{128, 64}, "directory capacity 256 in-use 2 step 128 at 656 size 3072\n"},
  };
  for (const SCase& c : cases) {
    auto* env = new CSpoolEnv(nullptr, nullptr, c.growth, 0, false, nullptr, 0);
    ASSERT_TRUE(env->IsValid());
    const std::string path = env->GetFile()->GetSpec().GetPath();
    STableLayout layout;
    layout.SetSized(env, 4, 4);
    CSpoolTable table(layout, SSpoolTableSpec{});
    {
      CHolder holder(&table, true, false);
      ASSERT_TRUE(holder.IsLocked());
    }
    ASSERT_TRUE(table.PageOut());
    env->SetDeleteFile(false);
    delete env;
    const SRun run = RunCmfdump(path);
    EXPECT_NE(run.out.find(c.directory), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("entry 0 size 16:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("entry 1 size 0\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.status, 0);
    std::remove(path.c_str());
  }
}

}  // namespace
