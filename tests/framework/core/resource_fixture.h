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

  std::vector<uint8_t> FileBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};
