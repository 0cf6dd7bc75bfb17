// A fresh folder that stands as the temporary folder ($TMPDIR) while the object lives; it goes with
// everything in it, and the old $TMPDIR comes back.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

class CPrivateTmpDir {
 public:
  explicit CPrivateTmpDir(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) fPath = pattern;
    const char* old = getenv("TMPDIR");
    fHadOld = old != nullptr;
    fOld = old ? old : "";
    setenv("TMPDIR", fPath.c_str(), 1);
  }
  CPrivateTmpDir(const CPrivateTmpDir&) = delete;
  CPrivateTmpDir& operator=(const CPrivateTmpDir&) = delete;
  ~CPrivateTmpDir() {
    if (fHadOld) setenv("TMPDIR", fOld.c_str(), 1);
    else unsetenv("TMPDIR");
    std::error_code ignored;
    if (!fPath.empty()) std::filesystem::remove_all(fPath, ignored);
  }

  // Empty when the folder could not be made.
  const std::string& Path() const { return fPath; }

 private:
  std::string fPath;
  std::string fOld;
  bool fHadOld = false;
};
