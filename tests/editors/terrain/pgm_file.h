// Binary grey maps (PGM, "P5") for the checks against ImageMagick and the filter benchmark: written
// with 16-bit samples (maxval 65535, big-endian), read at any maxval up to 65535 (8-bit maps are
// widened × 257). The reader checks every size against the bytes present.
#pragma once

#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct SGreyMap {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint16_t> samples;  // row after row, top row first
};

namespace pgm {

constexpr uint32_t kLargestSide = 1u << 15;
constexpr uint32_t kLargestMaxval = 65535;

// The next header number after whitespace and comments; false at the end of the bytes or on a number
// too long to be a side.
inline bool ReadHeaderNumber(const std::string& bytes, size_t& at, uint32_t& value) {
  while (at < bytes.size()) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
    } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
      ++at;
    } else {
      break;
    }
  }
  uint64_t number = 0;
  const size_t first = at;
  while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && at - first < 9)
    number = number * 10 + uint64_t(bytes[at++] - '0');
  value = uint32_t(number);
  return at > first && at < bytes.size() && !std::isdigit(static_cast<unsigned char>(bytes[at]));
}

}  // namespace pgm

// False, with *why saying what was wrong, for a file that cannot be read or is no binary grey map.
inline bool ReadGreyMap(const std::string& path, SGreyMap* map, std::string* why) {
  const auto fail = [why](const std::string& text) {
    *why = text;
    return false;
  };
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot be opened");
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '5') return fail("no P5 magic");
  size_t at = 2;
  uint32_t width = 0, height = 0, maxval = 0;
  if (!pgm::ReadHeaderNumber(bytes, at, width) || !pgm::ReadHeaderNumber(bytes, at, height) ||
      !pgm::ReadHeaderNumber(bytes, at, maxval))
    return fail("truncated header");
  if (width == 0 || height == 0 || width > pgm::kLargestSide || height > pgm::kLargestSide) return fail("bad size");
  if (maxval == 0 || maxval > pgm::kLargestMaxval) return fail("bad maxval");
  ++at;  // the one whitespace byte before the samples
  const uint32_t sampleBytes = maxval > 255 ? 2 : 1;
  const uint64_t count = uint64_t(width) * height;
  if (at > bytes.size() || bytes.size() - at < count * sampleBytes) return fail("samples missing");
  map->width = width;
  map->height = height;
  map->samples.resize(count);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data() + at);
  for (uint64_t i = 0; i < count; ++i) {
    const uint32_t v = sampleBytes == 2 ? uint32_t(data[2 * i]) << 8 | data[2 * i + 1] : data[i];
    if (v > maxval) return fail("sample above maxval");
    map->samples[i] = uint16_t((uint64_t(v) * 65535 + maxval / 2) / maxval);
  }
  return true;
}

inline bool WriteGreyMap(const std::string& path, const SGreyMap& map) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P5\n" << map.width << ' ' << map.height << "\n65535\n";
  for (uint16_t v : map.samples) {
    const char pair[2] = {char(v >> 8), char(v & 0xFF)};
    out.write(pair, 2);
  }
  return bool(out.flush());
}
