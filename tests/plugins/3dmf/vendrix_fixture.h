// What Vendrix's tests share: the metafiles of make_fixtures.py in their three forms, files of the
// test's own in a private folder, and the plug-in loaded from the build's Plugins/ folder into a
// recording host.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/plugins/recording_host.h"

namespace vendrix_test {

using STriangle = std::array<float, 9>;

enum EForm { kText, kBigEndian, kLittleEndian };
constexpr EForm kForms[] = {kText, kBigEndian, kLittleEndian};

inline const char* FormName(EForm form) {
  switch (form) {
    case kText: return "text";
    case kBigEndian: return "3DMF";
    case kLittleEndian: return "FMD3";
  }
  return "";
}

inline std::string Fixture(const std::string& name, EForm form = kText) {
  static const char* const kEndings[] = {".t3d", ".b3d", ".le.b3d"};
  return std::string(QUARN2_3DMF_FIXTURES) + "/" + name + kEndings[form];
}

inline std::string VendrixPath() { return std::string(QUARN2_PLUGINS_DIR) + "/Vendrix.qno"; }

// A private folder for files of the test's own.
class CFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fFolder = std::filesystem::path(::testing::TempDir()) /
              ("quarn2-vendrix-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(fFolder);
  }
  void TearDown() override { std::filesystem::remove_all(fFolder); }

  std::string Write(const std::string& bytes, const std::string& name = "file.t3d") {
    const std::string path = (fFolder / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path fFolder;
};

// The plug-in in a recording host.
class CVendrixTest : public CFolderTest {
 protected:
  void SetUp() override {
    CFolderTest::SetUp();
    ASSERT_TRUE(fHost.Load(VendrixPath())) << VendrixPath();
  }

  // Imports afresh: the host forgets earlier calls and knobs first.
  int32_t Import(const std::string& path) {
    fHost.Reset();
    return fHost.Import(path);
  }

  std::vector<STriangle> Triangles() const { return fHost.AllTriangles(); }

  CRecordingHost fHost;
};

}  // namespace vendrix_test
