#include "framework/core/fragment_sys.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/headless.h"
#include "resource_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(FragmentName, SplitsAtTheFirstBar) {
  const std::string name31(31, 'f');
  struct SCase {
    std::string name;
    int32_t result;
    const char* fragment;
    const char* symbol;
  } cases[] = {
      {"a|b", kNoErr, "a", "b"},
      {"frag|entry|more", kNoErr, "frag", "entry"},
      {"ab", kErrInvalidFormat, "", ""},
      {"abc", kErrInvalidFormat, "", ""},
      {"ab|", kErrObjectNotFound, "", ""},
      {"|ab", kErrObjectNotFound, "", ""},
      {name31 + "f|x", kErrTooManyEntries, "", ""},
      {name31 + "|x", kNoErr, name31.c_str(), "x"},
      {"x|" + name31 + "s", kErrTooManyEntries, "", ""},
      {name31 + "|" + name31, kNoErr, name31.c_str(), name31.c_str()},
      {name31 + "|" + name31 + "|", kErrInvalidFormat, "", ""},  // 64 characters
  };
  for (const SCase& c : cases) {
    char fragment[32] = "x", symbol[32] = "x";
    EXPECT_EQ(CFragmentSys::SplitName(c.name.c_str(), fragment, symbol), c.result) << c.name;
    if (c.result == kNoErr) {
      EXPECT_STREQ(fragment, c.fragment) << c.name;
      EXPECT_STREQ(symbol, c.symbol) << c.name;
    }
  }
}

using SymbolTableTest = SpoolAppTest;

// The binary search covers the first and the last row of the sorted table.
TEST_F(SymbolTableTest, LookupsSortOnceAndFindEveryRow) {
  CSymbolTable table;
  ASSERT_TRUE(table.IsValid());
  int objects[5];
  void* found = &objects[0];
  EXPECT_EQ(table.Lookup(&found, "any", 1), kErrObjectNotFound);
  EXPECT_EQ(found, nullptr);
  const char* names[] = {"mango", "apple", "zebra", "kiwi", "banana"};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(table.AddSymbol(&objects[i], names[i], 1, uint32_t(i), uint32_t(10 * i)), kNoErr);
  EXPECT_TRUE(table.IsUnsorted());
  for (int i = 0; i < 5; ++i) {
    uint32_t v1 = 99, v2 = 99;
    ASSERT_EQ(table.LookupEx(&found, &v1, &v2, names[i], 1), kNoErr) << names[i];
    EXPECT_EQ(found, &objects[i]);
    EXPECT_EQ(v1, uint32_t(i));
    EXPECT_EQ(v2, uint32_t(10 * i));
    EXPECT_FALSE(table.IsUnsorted());
  }
  EXPECT_EQ(table.Lookup(&found, "aardvark", 1), kErrObjectNotFound);
  EXPECT_EQ(table.Lookup(&found, "zz", 1), kErrObjectNotFound);
  EXPECT_EQ(table.Lookup(&found, "kiwi", 2), kErrUnexpectedType);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(table.Clear(true), kNoErr);
  EXPECT_EQ(table.GetCount(), 0u);
  EXPECT_EQ(table.Lookup(&found, "kiwi", 1), kErrObjectNotFound);
}

// The application's resource file names a folder without libraries, then the test fragments' folder.
class FragmentTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    log = Path("fragments.log");
    setenv("QUARN2_FRAGMENT_LOG", log.c_str(), 1);
    unsetenv("QUARN2_FRAGMENT_ANSWER");
    // A fragment without the library it needs beside it; one with it, whose "fentry_" may fail.
    const fs::path built(QUARN2_FRAGMENTS_DIR);
    fs::create_directories(Path("alone"));
    fs::copy_file(built / "testfrag.so", Path("alone/alone.so"));
    fs::create_directories(Path("paired"));
    fs::copy_file(built / "testfrag.so", Path("paired/failing.so"));
    fs::copy_file(built / "libquarn2_fragment_dependency.so", Path("paired/libquarn2_fragment_dependency.so"));
  }
  void TearDown() override {
    unsetenv("QUARN2_FRAGMENT_LOG");
    unsetenv("QUARN2_FRAGMENT_ANSWER");
    ResourceTest::TearDown();
  }
  void OpenWithSearchPath(const std::string& folders) {
    OpenSystemFile({{Key("ixtx", 130, "fragments_"), Compiled("ixtx", folders)}});
  }
  std::string Log() const {
    std::ifstream in(log);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string LastBox() const {
    const auto& boxes = platform::headless::ShownBoxes();
    return boxes.empty() ? std::string() : boxes.back().text;
  }

  std::string log;
};

TEST_F(FragmentTest, ALibraryInTheSecondFolderEntersOnceAndExitsOnce) {
  OpenWithSearchPath("0 \"no-such-folder\"\n1 \"" + std::string(QUARN2_FRAGMENTS_DIR) + "\"\n");
  auto* system = new CFragmentSys;
  ASSERT_TRUE(system->IsValid());
  ASSERT_EQ(system->SetTextList(app->GetResourceEnv(), "fragments_"), kNoErr);
  void* entry = &log;
  EXPECT_EQ(system->Resolve(&entry, "testfrag", "draw", FourCC("func")), kErrObjectNotFound);
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(system->Resolve(&entry, "testfrag", "draw", FourCC("func")), kErrObjectNotFound);
  EXPECT_EQ(Log(), "fentry_\n");
  void* fragment = nullptr;
  ASSERT_EQ(system->Lookup(&fragment, "testfrag", CFragmentSys::kFragmentType), kNoErr);
  EXPECT_TRUE(static_cast<CFragment*>(fragment)->IsLoaded());
  delete system;
  EXPECT_EQ(Log(), "fentry_\nfexit_\n");
}

TEST_F(FragmentTest, LinkingFailuresShowTheirMessage) {
  OpenSystemFile({{Key("ixtx", 130, "fragments_"), Compiled("ixtx", "0 \"" + Path("alone") + "\"\n")},
                  {Key("ixtx", 129, "strings_"), Compiled("ixtx", "1 \"Fragment %s: code %d, not %s.\"\n")}});
  CFragmentSys system;
  void* entry = nullptr;
  EXPECT_EQ(system.Resolve(&entry, "x", "y", 1), kErrObjectNotFound);
  EXPECT_EQ(LastBox(), "Error while linking the code fragment \"x\" (no search path available).");
  ASSERT_EQ(system.SetTextList(app->GetResourceEnv(), "fragments_"), kNoErr);
  EXPECT_EQ(system.Resolve(&entry, "x", "y", 1), kErrFileNotFound);
  EXPECT_EQ(LastBox(), "Error while linking the code fragment \"x\" (library not found).");
  EXPECT_EQ(system.Resolve(&entry, "alone", "y", 1), kErrGeneric);
  EXPECT_EQ(LastBox(), "Fragment alone: code 1, not %s.");
  EXPECT_EQ(system.GetCount(), 0u);
  EXPECT_EQ(Log(), "");
  // A list that fails to load leaves the old one.
  EXPECT_EQ(system.SetTextList(app->GetResourceEnv(), "absent_"), kErrObjectNotFound);
  EXPECT_EQ(system.Resolve(&entry, "x", "y", 1), kErrFileNotFound);
}

TEST_F(FragmentTest, AFailedEntryRoutineLeavesNoFragmentAndNoExit) {
  OpenWithSearchPath("0 \"" + Path("paired") + "\"\n");
  setenv("QUARN2_FRAGMENT_ANSWER", "3", 1);
  {
    CFragmentSys system;
    ASSERT_EQ(system.SetTextList(app->GetResourceEnv(), "fragments_"), kNoErr);
    void* entry = nullptr;
    EXPECT_EQ(system.Resolve(&entry, "failing", "y", 1), kErrIncorrectVersion);
    EXPECT_EQ(system.GetCount(), 0u);
  }
  EXPECT_EQ(Log(), "fentry_\n");
}

TEST_F(FragmentTest, UnloadingSkipsRowsThatAreNoFragments) {
  CFragmentSys system;
  int other = 0;
  ASSERT_EQ(system.AddSymbol(&other, "other", FourCC("note"), 0, 0), kNoErr);
  EXPECT_EQ(system.UnloadAll(), kErrUnexpectedType);
  EXPECT_EQ(system.GetCount(), 0u);
}

}  // namespace
