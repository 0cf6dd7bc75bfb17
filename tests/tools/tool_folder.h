// A fixture for the checks that run tools on files: a fresh folder for each test, named after its
// suite and removed afterwards, with its files written and read by name and quoted for the shell.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "run_tool.h"

class ToolFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    folder = std::filesystem::path(::testing::TempDir()) /
             ("quarn2-" + std::string(suite) + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(folder / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // The file's path in single quotes, one word for the shell.
  std::string P(const std::string& name) const { return "'" + (folder / name).string() + "'"; }
  // resbuild of input (a shell word: quote it) into the folder's file out.
  SRun Resbuild(const std::string& input, const std::string& out) const {
    return RunCommand(std::string(RESBUILD_PATH) + " " + input + " " + P(out) + " 2>&1");
  }

  std::filesystem::path folder;
};
