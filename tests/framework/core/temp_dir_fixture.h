// The three pools and a fresh folder for a test's files, with the temporary folder ($TMPDIR) inside
// it so that temporary files can be counted. Removes the folder and resets the platform's file test
// hooks afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"
#include "platform/file.h"
#include "pools_fixture.h"

class TempDirTest : public PoolsTest {
 protected:
  void SetUp() override {
    PoolsTest::SetUp();
    char pattern[] = "/tmp/quarn2-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    tmp_ = dir_ + "/tmp";
    std::filesystem::create_directory(tmp_);
    const char* old = getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    setenv("TMPDIR", tmp_.c_str(), 1);
  }
  void TearDown() override {
    platform::ResetFileTestHooks();
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
    PoolsTest::TearDown();
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  CFileSpec Spec(const std::string& name) const {
    CFileSpec spec;
    spec.Set(Path(name).c_str());
    return spec;
  }
  size_t TempFileCount() const {
    return size_t(std::distance(std::filesystem::directory_iterator(tmp_), std::filesystem::directory_iterator()));
  }

  static std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  static void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  }
  static std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
  }

  std::string dir_;
  std::string tmp_;
  std::string oldTmp_;
  bool hadTmp_ = false;
};
