// A headless application and a fresh folder into which a test copies the test plug-ins it needs. The
// plug-ins log to a file in the folder; the host is released and the folder removed afterwards.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "document/plugin.h"
#include "tests/framework/core/app_fixture.h"

// One line of a test plug-in's log.
struct SPluginCall {
  std::string library;
  std::string selector;  // a number, "slots", or "loaded" (text: the current folder)
  uint32_t format = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t rows = 0;
  std::string text;                 // "-" for none
  std::vector<std::string> tokens;  // the rest of a "slots" line, one per slot
};

class PluginTest : public AppTest {
 protected:
  static constexpr const char* kImport = "TestImport.qno";
  static constexpr const char* kImage = "TestImage.qni";
  static constexpr const char* kNoEntry = "variants/NoEntry.qno";
  static constexpr const char* kBadCount = "variants/BadCount.qno";

  void SetUp() override {
    AppTest::SetUp();
    char pattern[] = "/tmp/quarn2-plugins-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    folder_ = dir_ + "/Plugins";
    std::filesystem::create_directory(folder_);
    log_ = dir_ + "/calls.log";
    setenv("QUARN2_TEST_PLUGIN_LOG", log_.c_str(), 1);
    unsetenv("QUARN2_TEST_PLUGIN_FAIL");
    unsetenv("QUARN2_TEST_PLUGIN_LONG");
  }
  void TearDown() override {
    ReleasePlugins();
    unsetenv("QUARN2_TEST_PLUGIN_LOG");
    unsetenv("QUARN2_TEST_PLUGIN_FAIL");
    unsetenv("QUARN2_TEST_PLUGIN_LONG");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    AppTest::TearDown();
  }

  // Copies a built plug-in into the folder, under its own name or as another.
  void Install(const std::string& built, const std::string& as = {}) {
    const std::filesystem::path from = std::filesystem::path(QUARN2_TEST_PLUGINS_DIR) / built;
    const std::string name = as.empty() ? from.filename().string() : as;
    std::filesystem::copy_file(from, std::filesystem::path(folder_) / name);
  }
  std::string InFolder(const std::string& name) const { return folder_ + "/" + name; }

  // True when the dynamic loader still holds the library at path.
  static bool StillLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
  }

  std::vector<SPluginCall> Calls(const std::string& library = {}) const {
    std::vector<SPluginCall> calls;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      SPluginCall call;
      words >> call.library >> call.selector;
      if (!library.empty() && call.library != library) continue;
      if (call.selector == "loaded") {
        std::getline(words >> std::ws, call.text);
      } else if (call.selector == "slots") {
        for (std::string token; words >> token;) call.tokens.push_back(token);
      } else {
        words >> call.format >> call.width >> call.height >> call.rows;
        std::getline(words >> std::ws, call.text);
      }
      calls.push_back(call);
    }
    return calls;
  }
  // The selectors logged, in order, as one text ("0 2 3 3").
  std::string Selectors(const std::string& library) const {
    std::string text;
    for (const SPluginCall& call : Calls(library)) {
      if (call.selector == "slots" || call.selector == "loaded") continue;
      text += (text.empty() ? "" : " ") + call.selector;
    }
    return text;
  }
  void ClearLog() const { std::ofstream(log_, std::ios::trunc); }

  std::string dir_;
  std::string folder_;
  std::string log_;
};
