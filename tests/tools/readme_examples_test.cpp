// The example scenes of tools/README.md, taken from that page itself and rendered by the tools: the
// first one's ball casts a shadow; in the second, written by the page's rules alone, the lake meets
// the terrain where those rules put the ground, and the spotlight aimed by the rule for its rotate
// lights the tower and nothing far from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;

struct SVector {
  double x = 0, y = 0, z = 0;
};

SVector operator-(const SVector& a, const SVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const SVector& a, const SVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
SVector Cross(const SVector& a, const SVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
SVector Unit(const SVector& v) {
  const double length = std::sqrt(Dot(v, v));
  return {v.x / length, v.y / length, v.z / length};
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The page's shell lines: each "cat > /tmp/NAME <<'SCENE'" block by NAME, and every other line of
// its indented code, without the indent.
struct SReadme {
  std::map<std::string, std::string> scenes;
  std::vector<std::string> commands;
};

SReadme ReadReadme() {
  SReadme readme;
  std::istringstream lines(ReadAll(QUARN2_TOOLS_README));
  const std::regex opening(R"(    cat > /tmp/(\S+) <<'SCENE')");
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (std::regex_match(line, match, opening)) {
      std::string& scene = readme.scenes[match[1]];
      while (std::getline(lines, line) && line != "    SCENE") scene += line.substr(4) + "\n";
    } else if (line.rfind("    ", 0) == 0) {
      readme.commands.push_back(line.substr(4));
    }
  }
  return readme;
}

// The numbers after a keyword of the statement that starts with head ("camera", "light spot beam").
std::vector<double> Values(const std::string& scene, const std::string& head, const std::string& keyword, int count) {
  std::istringstream lines(scene);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(head + " ", 0) != 0) continue;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      if (word != keyword) continue;
      std::vector<double> values(size_t(count), 0.0);
      for (double& value : values) words >> value;
      return values;
    }
  }
  ADD_FAILURE() << "no " << keyword << " in " << head;
  return std::vector<double>(size_t(count), 0.0);
}

SVector VectorOf(const std::string& scene, const std::string& head, const std::string& keyword) {
  const std::vector<double> v = Values(scene, head, keyword, 3);
  return {v[0], v[1], v[2]};
}

// A rendered picture's pixels, top row first, three bytes each.
struct SPicture {
  int width = 0, height = 0;
  std::string rgb;

  int Sum(int x, int y) const {
    const size_t at = (size_t(y) * width + x) * 3;
    return uint8_t(rgb[at]) + uint8_t(rgb[at + 1]) + uint8_t(rgb[at + 2]);
  }
  uint8_t Channel(int x, int y, int c) const { return uint8_t(rgb[(size_t(y) * width + x) * 3 + size_t(c)]); }
  bool IsWhole() const { return rgb.size() == size_t(width) * height * 3; }
};

// The camera rule of tools/README.md: horizontal field 0.8 × fov, square pixels, world up upright.
struct SCamera {
  SVector from, ahead, right, up;
  double focal = 0;
  int width = 0, height = 0;

  SCamera(const std::string& scene, int w, int h) : width(w), height(h) {
    from = VectorOf(scene, "camera", "from");
    ahead = Unit(VectorOf(scene, "camera", "to") - from);
    right = Unit(Cross({0, 1, 0}, ahead));
    up = Cross(ahead, right);
    focal = w / 2.0 / std::tan(0.4 * Values(scene, "camera", "fov", 1)[0] * kDegree);
  }
  // False when the point falls outside the picture.
  bool Pixel(const SVector& point, int* x, int* y) const {
    const SVector v = point - from;
    const double depth = Dot(v, ahead);
    *x = int(std::floor(width / 2.0 + Dot(v, right) / depth * focal));
    *y = int(std::floor(height / 2.0 - Dot(v, up) / depth * focal));
    return depth > 0 && *x >= 0 && *x < width && *y >= 0 && *y < height;
  }
};

class ReadmeExamples : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp.Path() + "/" + name; }
  // The page's command with its /tmp/ files in the test's folder.
  SRun Shell(const std::string& command) const {
    return RunCommand(std::regex_replace(command, std::regex("/tmp/"), tmp.Path() + "/") + " 2>&1");
  }
  // The description rendered at the given size; the picture's pixels.
  SPicture Render(const std::string& name, const std::string& scene, int width, int height) {
    std::ofstream(Path(name + ".txt")) << scene;
    SRun run = RunCommand(std::string(QUARN2_SCENE_PATH) + " '" + Path(name + ".txt") + "' '" + Path(name + ".qnc") +
                          "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    run = RunCommand(std::string(QUARN2_RENDER_PATH) + " '" + Path(name + ".qnc") + "' '" + Path(name + ".bmp") +
                     "' --width=" + std::to_string(width) + " --height=" + std::to_string(height) + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    SPicture picture{width, height, RunCommand("convert '" + Path(name + ".bmp") + "' -depth 8 rgb:-").out};
    EXPECT_EQ(picture.rgb.size(), size_t(width) * height * 3) << name;
    return picture;
  }

  CPrivateTmpDir tmp{"quarn2-readme"};
  SReadme readme = ReadReadme();
};

TEST_F(ReadmeExamples, TheFirstScenesBallCastsAShadow) {
  ASSERT_EQ(readme.scenes.count("scene.txt"), 1u);
  const std::string scene = readme.scenes["scene.txt"];
  ASSERT_TRUE(std::regex_search(scene, std::regex(R"(\nsky .* shadows [1-9][0-9]*)"))) << scene;
  const SPicture shadowed = Render("shadowed", scene, 160, 120);
  const SPicture plain = Render("plain", std::regex_replace(scene, std::regex(" shadows [0-9]+"), ""), 160, 120);
  ASSERT_TRUE(shadowed.IsWhole() && plain.IsWhole());
  int darker = 0, lighter = 0;
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 160; ++x) {
      darker += shadowed.Sum(x, y) + 60 < plain.Sum(x, y);
      lighter += shadowed.Sum(x, y) > plain.Sum(x, y) + 3;
    }
  }
  EXPECT_GT(darker, 100) << "pixels in shadow";
  EXPECT_EQ(lighter, 0);
}

TEST_F(ReadmeExamples, TheLakeMeetsTheTerrainAndTheSpotLightsTheTower) {
  ASSERT_EQ(readme.scenes.count("lake.txt"), 1u);
  const std::string scene = readme.scenes["lake.txt"];
  for (const std::string& command : readme.commands) {
    if (command.find("/tmp/bowl.bmp") != std::string::npos) {
      ASSERT_EQ(Shell(command).status, 0) << command;
    }
  }
  // The bowl's grey levels, top row first.
  const std::string grey = RunCommand("convert '" + Path("bowl.bmp") + "' -depth 8 gray:-").out;
  const int n = int(std::lround(std::sqrt(double(grey.size()))));
  ASSERT_EQ(size_t(n) * n, grey.size());
  ASSERT_EQ(n & (n - 1), 0) << "the rule below takes P = n";

  // The terrain rule: whole steps of size y / n above the box's bottom, pixel (c, r) from the bottom
  // row at c and r steps of size x / n and size z / n from the box's corner.
  const SVector at = VectorOf(scene, "terrain bowl", "at");
  const SVector size = VectorOf(scene, "terrain bowl", "size");
  const auto ground = [&](int c, int r) {
    const int g = uint8_t(grey[size_t(n - 1 - r) * n + size_t(c)]);
    const int steps = g ? int(std::ceil(g * n / 256.0)) - 1 : 0;
    return SVector{at.x - size.x / 2 + c * size.x / n, at.y - size.y / 2 + steps * size.y / n,
                   at.z - size.z / 2 + r * size.z / n};
  };
  const double level = VectorOf(scene, "square lake", "at").y;

  // The tower stands on the ground, and the spot's rotate follows the rule for aiming at its middle.
  const SVector tower = VectorOf(scene, "cylinder tower", "at");
  const double towerHeight = VectorOf(scene, "cylinder tower", "size").y;
  const int towerC = int(std::lround((tower.x - at.x + size.x / 2) * n / size.x));
  const int towerR = int(std::lround((tower.z - at.z + size.z / 2) * n / size.z));
  EXPECT_NEAR(tower.y - towerHeight / 2, ground(towerC, towerR).y, 1e-9);
  const SVector lamp = VectorOf(scene, "light spot beam", "at");
  const SVector d = tower - lamp;
  const SVector rotate = VectorOf(scene, "light spot beam", "rotate");
  EXPECT_NEAR(rotate.x, std::atan2(std::sqrt(d.x * d.x + d.z * d.z), -d.y) / kDegree, 0.01);
  EXPECT_NEAR(rotate.y, std::atan2(-d.x, -d.z) / kDegree, 0.01);
  EXPECT_EQ(rotate.z, 0);

  constexpr int kWidth = 320, kHeight = 240;
  const SPicture lit = Render("lake", scene, kWidth, kHeight);
  const SPicture dark =
      Render("dark", std::regex_replace(scene, std::regex("(light spot beam .*) intensity [0-9.]+"), "$1 intensity 0"),
             kWidth, kHeight);
  ASSERT_TRUE(lit.IsWhole() && dark.IsWhole());
  const SCamera camera(scene, kWidth, kHeight);

  // Each pixel of the picture, as a point of the ground, shows water (bluer than green) when the rule
  // puts it under the lake's level and land (greener than blue) when above, unless the tower stands
  // in front of it. The slopes rise two steps a pixel, so a rule one step off would put a whole ring
  // of points on the wrong side.
  int towerLeft = kWidth, towerTop = kHeight, towerRight = -1, towerBottom = -1;
  const SVector towerSize = VectorOf(scene, "cylinder tower", "size");
  for (int corner = 0; corner < 8; ++corner) {
    const SVector point{tower.x + ((corner & 1) ? 0.5 : -0.5) * towerSize.x,
                        tower.y + ((corner & 2) ? 0.5 : -0.5) * towerSize.y,
                        tower.z + ((corner & 4) ? 0.5 : -0.5) * towerSize.z};
    int x = 0, y = 0;
    camera.Pixel(point, &x, &y);
    towerLeft = std::min(towerLeft, x - 1);
    towerRight = std::max(towerRight, x + 1);
    towerTop = std::min(towerTop, y - 1);
    towerBottom = std::max(towerBottom, y + 1);
  }
  int wet = 0, dry = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      int x = 0, y = 0;
      if (!camera.Pixel(ground(c, r), &x, &y)) continue;
      if (x >= towerLeft && x <= towerRight && y >= towerTop && y <= towerBottom) continue;
      const int blueOverGreen = lit.Channel(x, y, 2) - lit.Channel(x, y, 1);
      if (ground(c, r).y < level) {
        ++wet;
        EXPECT_GT(blueOverGreen, 0) << "no water at pixel " << c << "," << r << " seen at " << x << "," << y;
      } else {
        ++dry;
        EXPECT_LT(blueOverGreen, 0) << "water over land at pixel " << c << "," << r << " seen at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(wet, 300);
  EXPECT_GT(dry, 1000);

  // The spot brightens the tower's middle, and leaves the far side of the bowl and the lake as they are.
  int x = 0, y = 0;
  ASSERT_TRUE(camera.Pixel(tower, &x, &y));
  EXPECT_GT(lit.Sum(x, y), dark.Sum(x, y) + 60) << "the tower's middle at " << x << "," << y;
  for (const SVector& far : {ground(n / 4, n - 4), ground(n / 2, n / 2), ground(n / 4, n / 2 + 8)}) {
    ASSERT_TRUE(camera.Pixel(far, &x, &y));
    EXPECT_NEAR(lit.Sum(x, y), dark.Sum(x, y), 3) << "at " << x << "," << y;
  }
}

}  // namespace
