// What Osprel's tests share: the plug-in loaded from the build's Plugins/ folder into a recording
// host, the ezdxf drawings with their expected values, hand-written drawings in a private folder, and
// measures of the triangles the host received.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/plugins/recording_host.h"

namespace osprel_test {

using STriangle = std::array<float, 9>;

inline std::string OsprelPath() { return std::string(QUARN2_PLUGINS_DIR) + "/Osprel.qno"; }

inline std::string Fixture(const std::string& name) { return std::string(QUARN2_DXF_FIXTURES) + "/" + name + ".dxf"; }

// NAME.txt beside the drawing: one name and its numbers a line.
inline std::map<std::string, std::vector<double>> Expected(const std::string& name) {
  std::map<std::string, std::vector<double>> values;
  std::ifstream in(std::string(QUARN2_DXF_FIXTURES) + "/" + name + ".txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    double value;
    while (fields >> value) values[key].push_back(value);
  }
  return values;
}

// A drawing of only an ENTITIES section around body, which holds "0"/keyword pairs and their fields.
inline std::string EntitiesOnly(const std::string& body) {
  return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

// A CIRCLE of radius 1 at the origin with these extra pairs.
inline std::string Circle(const std::string& pairs = "8\n0\n") {
  return "0\nCIRCLE\n" + pairs + "10\n0\n20\n0\n30\n0\n40\n1\n";
}

inline double Area(const STriangle& t) {
  const double ax = t[3] - t[0], ay = t[4] - t[1], az = t[5] - t[2];
  const double bx = t[6] - t[0], by = t[7] - t[1], bz = t[8] - t[2];
  const double x = ay * bz - az * by, y = az * bx - ax * bz, z = ax * by - ay * bx;
  return std::sqrt(x * x + y * y + z * z) / 2;
}

inline double TotalArea(const std::vector<STriangle>& triangles) {
  double total = 0;
  for (const STriangle& t : triangles) total += Area(t);
  return total;
}

struct SBox {
  std::array<double, 3> low{1e30, 1e30, 1e30};
  std::array<double, 3> high{-1e30, -1e30, -1e30};
};

inline SBox BoxOf(const std::vector<STriangle>& triangles) {
  SBox box;
  for (const STriangle& t : triangles) {
    for (int corner = 0; corner < 3; ++corner) {
      for (int axis = 0; axis < 3; ++axis) {
        box.low[axis] = std::min(box.low[axis], double(t[corner * 3 + axis]));
        box.high[axis] = std::max(box.high[axis], double(t[corner * 3 + axis]));
      }
    }
  }
  return box;
}

class COsprelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fHost.Load(OsprelPath())) << OsprelPath();
    fFolder = std::filesystem::path(::testing::TempDir()) /
              ("quarn2-osprel-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(fFolder);
  }

  void TearDown() override { std::filesystem::remove_all(fFolder); }

  // The text as a file of the private folder.
  std::string Write(const std::string& text, const std::string& name = "drawing.dxf") {
    const std::string path = (fFolder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Imports a fresh: the host forgets earlier calls and knobs first.
  int32_t Import(const std::string& path) {
    fHost.Reset();
    return fHost.Import(path);
  }
  int32_t ImportText(const std::string& text) { return Import(Write(text)); }

  // Each live mesh's material colour (property 4), in creation order.
  std::vector<int32_t> MeshColours() const {
    std::vector<int32_t> colours;
    for (const SRecordedMesh& mesh : fHost.Meshes()) {
      if (mesh.deleted) continue;
      for (const auto& [id, value] : mesh.properties)
        if (id == 4) colours.push_back(value);
    }
    return colours;
  }

  CRecordingHost fHost;
  std::filesystem::path fFolder;
};

}  // namespace osprel_test
