#include "platform/library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/errors.h"

namespace {

namespace fs = std::filesystem;

TEST(Library, StoredNamesMapToTheFilesOfThisSystem) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\\b\\frag.dll", "a/b/frag.so"},
      {"/x/frag.DLL", "/x/frag.so"},
      {"/x/frag.so", "/x/frag.so"},
      {"/x/dll", "/x/dll"},
      {"/x/frag.dll.bak", "/x/frag.dll.bak"},
  };
  for (const auto& [stored, file] : cases) EXPECT_EQ(platform::LibraryFileName(stored), file) << stored;
}

// The fragment needs a library that lies only in its own folder.
TEST(Library, DependenciesComeFromTheLibrarysOwnFolder) {
  platform::LibraryHandle library = platform::LoadLibrary(std::string(QUARN2_FRAGMENTS_DIR) + "\\testfrag.dll");
  ASSERT_NE(library, nullptr) << platform::GetLastError();
  EXPECT_NE(platform::FindLibraryEntry(library, "fentry_"), nullptr);
  EXPECT_NE(platform::FindLibraryEntry(library, "fexit_"), nullptr);
  EXPECT_EQ(platform::FindLibraryEntry(library, "absent_"), nullptr);
  EXPECT_TRUE(platform::FreeLibrary(library));
}

// Without the search beside it, the fragment's dependency is looked for where the system keeps
// libraries only, and the failure says which library was missing.
TEST(Library, TheSystemsSearchAloneLeavesTheLibrarysFolderOut) {
  const std::string path = std::string(QUARN2_FRAGMENTS_DIR) + "/testfrag.so";
  platform::SetLastError(0);
  EXPECT_EQ(platform::LoadLibrary(path, platform::DependencySearch::kSystemOnly), nullptr);
  EXPECT_EQ(platform::GetLastError(), platform::kWinGenFailure);
  EXPECT_EQ(platform::LibraryFailure(),
            "libquarn2_fragment_dependency.so: cannot open shared object file: No such file or directory");
  EXPECT_EQ(platform::LoadLibrary(path + ".missing", platform::DependencySearch::kSystemOnly), nullptr);
  EXPECT_EQ(platform::LibraryFailure(), "it does not exist");
}

TEST(Library, FailuresNameMissingFilesOnly) {
  const fs::path folder = fs::path(::testing::TempDir()) / ("quarn2-lib-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  // Without the library it needs beside it, the fragment exists but does not load.
  fs::copy_file(fs::path(QUARN2_FRAGMENTS_DIR) / "testfrag.so", folder / "alone.so");
  std::ofstream(folder / "text.so") << "not a library";
  struct SCase {
    fs::path path;
    int32_t error;
  } cases[] = {
      {folder / "missing.dll", platform::kWinFileNotFound},
      {folder / "alone.dll", platform::kWinGenFailure},
      {folder / "text.so", platform::kWinGenFailure},
  };
  for (const SCase& c : cases) {
    platform::SetLastError(0);
    EXPECT_EQ(platform::LoadLibrary(c.path.string()), nullptr) << c.path;
    EXPECT_EQ(platform::GetLastError(), c.error) << c.path;
  }
  fs::remove_all(folder);
}

}  // namespace
