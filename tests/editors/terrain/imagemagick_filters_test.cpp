// The kernel filters and the range stretch against ImageMagick (Q16) on the same 16-bit grey maps:
// random grids, and a gradient that ImageMagick draws. ImageMagick rounds where the filters shift, so
// the two agree within 1; its default edge pixels repeat the edge rows as the filters' clamped rows
// do, and the filters leave the first and last columns alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editors/terrain/height_grid_filters.h"
#include "grid_fixture.h"
#include "pgm_file.h"
#include "tests/framework/core/pools_fixture.h"
#include "tests/framework/core/private_tmpdir.h"
#include "tests/tools/run_tool.h"

namespace {

struct SKernelCase {
  int32_t mode;
  const char* scale;
  const char* kernel;
};

constexpr SKernelCase kKernels[] = {
    {kFilterSmooth, "0.00390625", "3x3: 30,30,30 30,20,30 30,30,30"},
    {kFilterSharpen, "0.00390625", "3x3: -378,-378,-378 -378,3286,-378 -378,-378,-378"},
    // Correlate, not Convolve: the relief kernel is not symmetric.
    {kFilterRelief, "0.00048828125", "3x3: 2330,258,-1147 924,-4474,925 1147,258,2330"},
};

class AgainstImageMagick : public PoolsTest {
 protected:
  void SetUp() override {
    PoolsTest::SetUp();
    if (RunCommand("command -v convert >/dev/null").status != 0) GTEST_SKIP() << "ImageMagick is not installed";
    ASSERT_FALSE(tmp_.Path().empty());
  }

  std::string Path(const std::string& name) const { return tmp_.Path() + "/" + name; }

  // Writes the grid as in.pgm and checks that ImageMagick sees an n × n 16-bit map.
  void WriteInput(const Grid& grid, uint32_t n) {
    ASSERT_TRUE(WriteGreyMap(Path("in.pgm"), SGreyMap{n, n, grid}));
    const SRun seen = RunCommand("identify -format '%w %h %z' '" + Path("in.pgm") + "'");
    ASSERT_EQ(seen.status, 0);
    EXPECT_EQ(seen.out, std::to_string(n) + " " + std::to_string(n) + " 16");
  }
  // convert in.pgm <arguments> out.pgm, read back.
  Grid Convert(uint32_t n, const std::string& arguments) {
    const SRun run = RunCommand("convert '" + Path("in.pgm") + "' " + arguments + " '" + Path("out.pgm") + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    SGreyMap out;
    std::string why;
    EXPECT_TRUE(ReadGreyMap(Path("out.pgm"), &out, &why)) << why;
    EXPECT_EQ(out.width, n);
    EXPECT_EQ(out.height, n);
    return out.samples;
  }
  // Every kernel filter of the grid, in process and by ImageMagick, columns 1 to n − 2.
  void CompareKernels(const Grid& grid, uint32_t n, const char* what) {
    WriteInput(grid, n);
    for (const SKernelCase& k : kKernels) {
      Grid ours = grid;
      FilterHeightGrid(grid.data(), ours.data(), n, k.mode);
      const Grid theirs =
          Convert(n, std::string("-define convolve:scale=") + k.scale + " -morphology Correlate '" + k.kernel + "'");
      ASSERT_EQ(theirs.size(), ours.size());
      for (uint32_t r = 0; r < n; ++r) {
        for (uint32_t c = 1; c + 1 < n; ++c) {
          ASSERT_LE(std::abs(Cell(ours, n, r, c) - Cell(theirs, n, r, c)), 1)
              << what << ", mode " << k.mode << " at " << r << ", " << c << ": " << Cell(ours, n, r, c) << " against "
              << Cell(theirs, n, r, c);
        }
      }
    }
  }
  void CompareStretch(const Grid& grid, uint32_t n, const char* what) {
    WriteInput(grid, n);
    Grid ours = grid;
    StretchHeightRange(ours.data(), n);
    const Grid theirs = Convert(n, "-auto-level");
    ASSERT_EQ(theirs.size(), ours.size());
    for (size_t i = 0; i < ours.size(); ++i) ASSERT_LE(std::abs(ours[i] - theirs[i]), 1) << what << " at " << i;
  }

 private:
  CPrivateTmpDir tmp_{"quarn2-hgrid"};
};

TEST_F(AgainstImageMagick, KernelFiltersOfRandomGrids) {
  CompareKernels(RandomGrid(16, 21), 16, "random 16");
  CompareKernels(RandomGrid(64, 22), 64, "random 64");
}

TEST_F(AgainstImageMagick, KernelFiltersOfADrawnGradient) {
  const SRun drawn = RunCommand("convert -size 64x64 gradient: -depth 16 '" + Path("g.pgm") + "' 2>&1");
  ASSERT_EQ(drawn.status, 0) << drawn.out;
  SGreyMap gradient;
  std::string why;
  ASSERT_TRUE(ReadGreyMap(Path("g.pgm"), &gradient, &why)) << why;
  ASSERT_EQ(gradient.width, 64u);
  ASSERT_EQ(gradient.height, 64u);
  CompareKernels(gradient.samples, 64, "gradient");
  CompareStretch(gradient.samples, 64, "gradient");
}

TEST_F(AgainstImageMagick, StretchMatchesAutoLevel) { CompareStretch(RandomGrid(64, 23, 1000, 2000), 64, "random"); }

}  // namespace
