// Osprel's memory, with its code linked in: every allocation may fail and each failure is an error
// that leaves no mesh, and every import gives back all it took.
#include "plugins/dxf/osprel.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/polygon_store.h"
#include "tests/plugins/dxf/osprel_fixture.h"
#include "tests/plugins/dxf/shape_fonts.h"

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

// Each allocation of an import that succeeds, made to fail in turn, fails the import with "out of
// memory" and leaves nothing behind.
void ExpectEveryFailedAllocationIsOutOfMemory(CRecordingHost& host, const std::string& path) {
  SetAllocationFailure(0);
  host.Reset();
  ASSERT_EQ(host.Import(path), 0) << path;
  const uint64_t total = AllocationCalls();
  ASSERT_FALSE(host.AllTriangles().empty()) << path;
  for (uint64_t n = 1; n <= total; ++n) {
    SetAllocationFailure(n);
    host.Reset();
    EXPECT_EQ(host.Import(path), 9) << path << ": allocation " << n << " of " << total;
    EXPECT_EQ(host.LiveMeshes(), 0u) << "allocation " << n;
    EXPECT_EQ(host.CallCount(QN_SLOT_END_IMPORT), 0u) << "allocation " << n;
    EXPECT_EQ(CountedLiveBlocks(), 0) << "allocation " << n;
    EXPECT_EQ(CountedLiveBytes(), 0) << "allocation " << n;
  }
}

TEST_F(OsprelMemoryTest, EveryFailedAllocationIsOutOfMemory) {
  ExpectEveryFailedAllocationIsOutOfMemory(fHost, Fixture("mixed"));
  ASSERT_GT(fHost.Meshes().size(), 1u);
}

// Memory for fonts and strokes is no font fault: running out of it fails the import too.
TEST_F(OsprelMemoryTest, TextsAndShapesOutOfMemory) {
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / ("quarn2-osprel-memory-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "testfont.shp") << shape_fonts::kTestFont;
  std::ofstream(folder / "shapes.shp") << shape_fonts::kShapesFont;
  for (const char* name : {"text_aa", "shape_box"}) {
    const std::filesystem::path drawing = folder / (std::string(name) + ".dxf");
    std::filesystem::copy_file(Fixture(name), drawing, std::filesystem::copy_options::overwrite_existing);
    ExpectEveryFailedAllocationIsOutOfMemory(fHost, drawing.string());
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace osprel_test
