// Osprel's memory, with its code linked in: every allocation may fail and each failure is an error
// that leaves no mesh, and every import gives back all it took.
#include "plugins/dxf/osprel.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/polygon_store.h"
#include "tests/plugins/dxf/osprel_fixture.h"

namespace osprel_test {
namespace {

class OsprelMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { fHost.Link(&OsprelEntry); }
  void TearDown() override { SetAllocationFailure(0); }

  int32_t Import(const std::string& path) {
    fHost.Reset();
    return fHost.Import(path);
  }

  CRecordingHost fHost;
};

TEST_F(OsprelMemoryTest, MaterialRecordsAre564Bytes) { EXPECT_EQ(sizeof(MaterialRecord), 564u); }

TEST_F(OsprelMemoryTest, ImportsGiveBackEverything) {
  for (const char* name : {"circle", "colours", "solids", "insert_grid", "nested", "extrusions", "polymesh",
                           "polyface", "hidden_layers", "l_shape", "bulge", "wide", "mixed"}) {
    EXPECT_EQ(Import(Fixture(name)), 0) << name;
    EXPECT_EQ(CountedLiveBlocks(), 0) << name;
    EXPECT_EQ(CountedLiveBytes(), 0) << name;
    const auto progress = fHost.CallsOf(QN_SLOT_PROGRESS);
    ASSERT_FALSE(progress.empty()) << name;
    EXPECT_EQ(progress.back().text, "Cleaning up") << name;
    EXPECT_GT(progress.back().second, 0) << name;
    EXPECT_EQ(progress.back().first, progress.back().second) << name;
  }
}

TEST_F(OsprelMemoryTest, EveryFailedAllocationIsOutOfMemory) {
  SetAllocationFailure(0);
  ASSERT_EQ(Import(Fixture("mixed")), 0);
  const uint64_t total = AllocationCalls();
  ASSERT_GT(fHost.Meshes().size(), 1u);
  for (uint64_t n = 1; n <= total; ++n) {
    SetAllocationFailure(n);
    EXPECT_EQ(Import(Fixture("mixed")), 2) << "allocation " << n << " of " << total;
    EXPECT_EQ(fHost.LiveMeshes(), 0u) << "allocation " << n;
    EXPECT_EQ(fHost.CallCount(QN_SLOT_END_IMPORT), 0u) << "allocation " << n;
    EXPECT_EQ(CountedLiveBlocks(), 0) << "allocation " << n;
    EXPECT_EQ(CountedLiveBytes(), 0) << "allocation " << n;
  }
}

}  // namespace
}  // namespace osprel_test
