// A headless application with small pools whose Init has made the three environments, their swap
// files in a temporary folder of the test's own ($TMPDIR). Helpers make tables and fill and check
// them with a pattern of 32-bit words.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app_fixture.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/spool_sys.h"
#include "framework/core/spool_table.h"
#include "private_tmpdir.h"

class SpoolAppTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kDataBudget = 256 * 1024;
  static constexpr uint32_t kObjectsBudget = 256 * 1024;

  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    folder = tmp_.Path();
    ASSERT_EQ(InitOrdax(), 0);
    SApplDesc desc = ProgramDesc();
    desc.dataPoolBudget = DataBudget();
    desc.objectsPoolBudget = ObjectsBudget();
    app = new TestApp(desc);
    app->CAppl::Init(nullptr, nullptr, nullptr);
    ASSERT_NE(app->GetDataEnv(), nullptr);
    ASSERT_TRUE(app->GetObjectsEnv()->IsValid() && app->GetDiscardEnv()->IsValid() && app->GetDataEnv()->IsValid());
  }
  void TearDown() override {
    app->CAppl::Term();
    delete app;
    TermOrdax();
  }

  // Fixtures whose data are pictures, or whose scenes are large, ask for more.
  virtual uint32_t DataBudget() const { return kDataBudget; }
  virtual uint32_t ObjectsBudget() const { return kObjectsBudget; }

  CSpoolEnv* DataEnv() const { return app->GetDataEnv(); }
  CSpoolEnv* ObjectsEnv() const { return app->GetObjectsEnv(); }
  CDiscardEnv* DiscardEnv() const { return app->GetDiscardEnv(); }

  // A subscribed table of `bytes` bytes (4-byte records).
  static std::unique_ptr<CSpoolTable> NewTable(CSpoolSys* env, uint32_t bytes, const SSpoolTableSpec& spec = {}) {
    STableLayout layout;
    layout.SetSized(env, 4, bytes / 4);
    auto table = std::make_unique<CSpoolTable>(layout, spec);
    EXPECT_TRUE(table->IsValid()) << table->GetError();
    return table;
  }

  // Word i of the data becomes seed + i; the unlock marks the object dirty without writing it.
  static void Fill(CSpoolMem& object, uint32_t seed) {
    CHolder holder(&object, true, false);
    ASSERT_TRUE(holder.IsLocked()) << object.GetError();
    auto* words = reinterpret_cast<uint32_t*>(object.GetData());
    for (uint32_t i = 0; i < object.GetDataSize() / 4; ++i) words[i] = seed + i;
  }
  // Whether the data holds Fill's pattern for seed (seed 0 with zero: all zeros).
  static bool Holds(CSpoolMem& object, uint32_t seed, bool zero = false) {
    CHolder holder(&object, false, false);
    if (!holder.IsLocked()) return false;
    const auto* words = reinterpret_cast<const uint32_t*>(object.GetData());
    for (uint32_t i = 0; i < object.GetDataSize() / 4; ++i) {
      if (words[i] != (zero ? 0 : seed + i)) return false;
    }
    return true;
  }
  static size_t FileCount(const std::string& dir) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.is_regular_file() ? 1 : 0;
    return n;
  }

  TestApp* app = nullptr;
  std::string folder;

 private:
  CPrivateTmpDir tmp_{"quarn2-spool"};
};
