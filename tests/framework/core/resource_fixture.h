// Resource files made at test time in the spool fixture's private folder, with helpers for keys and
// whole resources.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/c_string.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "spool_fixture.h"
#include "tools/res_lists.h"
#include "tools/res_store.h"

class ResourceTest : public SpoolAppTest {
 protected:
  std::string Path(const std::string& name) const { return folder + "/" + name; }
  CFileSpec Spec(const std::string& name) const {
    CFileSpec spec;
    spec.Set(Path(name).c_str());
    return spec;
  }
  std::unique_ptr<CResourceEnv> Open(const std::string& name, uint32_t mode = CFile::kModeReadWrite) const {
    return std::make_unique<CResourceEnv>(Spec(name), mode);
  }

  static SSpoolKey Key(const char* type, uint32_t number, const char* name = "") {
    SSpoolKey key;
    key.Set(type, number, false);
    CopyCString(key.name, name, sizeof key.name);
    return key;
  }
  static SSpoolKey ByName(const char* type, const char* name) {
    SSpoolKey key;
    key.SetByName(type, name, false);
    return key;
  }
  static std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

  // An indexed list or element set compiled as resbuild compiles it.
  static std::vector<uint8_t> Compiled(const std::string& kind, const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(CompileIndexedList(kind, source, &bytes, &error)) << error;
    return bytes;
  }
  static void Store(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(StoreResource(env, key, bytes), kNoErr) << key.typeName << " " << key.id;
  }
  // The application's resource file, made of the given resources and opened as the program opens it.
  void OpenSystemFile(const std::vector<std::pair<SSpoolKey, std::vector<uint8_t>>>& resources) {
    {
      auto env = Open("system.dat");
      for (const auto& [key, bytes] : resources) Store(*env, key, bytes);
    }
    const CFileSpec spec = Spec("system.dat");
    app->CAppl::OpenResourceEnvironment(&spec);
    ASSERT_NE(app->GetResourceEnv(), nullptr);
  }
  void TearDown() override {
    app->CAppl::CloseResourceEnvironment();
    SpoolAppTest::TearDown();
  }

  std::vector<uint8_t> FileBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};
