// Writes documents of the earlier version for the tests, byte by byte in big-endian order from the
// file's published layout: an 88-byte header, the 6310-byte settings block, 518-byte object records
// with their extra data, the channel blocks behind the records and the 694-byte sky records last.
// A test describes each record in a few lines (kind, placement, surface bytes, channel blocks, extra
// data) and may spoil any header or record word to make a malformed file.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace old_writer {

using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes& b, size_t at, uint8_t v) { b.at(at) = v; }
inline void PutBE16(Bytes& b, size_t at, uint16_t v) {
  b.at(at) = uint8_t(v >> 8);
  b.at(at + 1) = uint8_t(v);
}
inline void PutBE32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = uint8_t(v >> (24 - 8 * i));
}
inline void PutDouble(Bytes& b, size_t at, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  PutBE32(b, at, uint32_t(bits >> 32));
  PutBE32(b, at + 4, uint32_t(bits));
}
inline void PutFloat(Bytes& b, size_t at, float v) { PutBE32(b, at, std::bit_cast<uint32_t>(v)); }
// A length byte and the characters, in a 32-byte field; the length byte may claim more than follow.
inline void PutName(Bytes& b, size_t at, const std::string& name, int lengthByte = -1) {
  b.at(at) = uint8_t(lengthByte < 0 ? name.size() : size_t(lengthByte));
  std::memcpy(b.data() + at + 1, name.data(), std::min<size_t>(name.size(), 31));
}

// Surface block offsets.
constexpr size_t kShading = 0;
constexpr size_t kHasTextures = 1;
constexpr size_t kValueA = 2;
constexpr size_t kMode4 = 4, kMode3 = 5, kMode2 = 12, kMode1 = 13, kMode6 = 20, kMode5 = 21, kMode8 = 28, kMode7 = 29,
                 kMode9 = 44, kMode10 = 48;
constexpr size_t kColourA = 6;
constexpr size_t kValueB = 10;
constexpr size_t kColourB = 14;
constexpr size_t kValueC = 18;
constexpr size_t kColourC = 22;
constexpr size_t kValueD = 26;
constexpr size_t kColourD = 30;
constexpr size_t kPercentage = 34;
constexpr size_t kNumbers = 36;
constexpr size_t kValueE = 42;
constexpr size_t kSwitch = 45;
constexpr size_t kValueF = 46;
constexpr size_t kLightSwitches = 49;
constexpr size_t kLightIntensity = 50;
constexpr size_t kLightSpread = 51;
// Channel record i at kChannel + 44 i: floats at 20, 24, 28, kind byte 33, flag byte 35, double 36.
constexpr size_t kChannel = 52;
constexpr size_t kChannelBytes = 44;

// Settings block offsets.
constexpr size_t kFieldOfView = 172;
constexpr size_t kBasis = 176;
constexpr size_t kCameraPosition = 248;
constexpr size_t kViewScale = 272;
constexpr size_t kCentreX = 280;
constexpr size_t kCentreY = 282;
constexpr size_t kViewRect = 5790;
constexpr size_t kSecondRect = 5798;
constexpr size_t kSunFromCamera = 5816;
constexpr size_t kHighCloud = 5846;
constexpr size_t kLowCloud = 6078;
// Sky part offsets (at 0 of the settings, at 64 of a sky record).
constexpr size_t kSkyDistance = 0;
constexpr size_t kSunGlow = 58;
constexpr size_t kSunColour = 82;
constexpr size_t kSunDirection = 86;

// A mesh polygon: flag byte, vertex count, four points and four normals of three floats.
struct SPolygon {
  bool smooth = false;
  uint8_t count = 3;
  std::array<std::array<float, 3>, 4> points{};
  std::array<std::array<float, 3>, 4> normals{};
};

inline Bytes MeshData(const std::vector<SPolygon>& polygons, int claimedCount = -1) {
  Bytes b(8 + 126 * polygons.size());
  PutBE16(b, 0, uint16_t(claimedCount < 0 ? polygons.size() : size_t(claimedCount)));
  for (size_t p = 0; p < polygons.size(); ++p) {
    const size_t at = 8 + 126 * p;
    PutU8(b, at, polygons[p].smooth ? 1 : 0);
    PutU8(b, at + 1, polygons[p].count);
    for (size_t v = 0; v < 4; ++v) {
      for (size_t c = 0; c < 3; ++c) {
        PutFloat(b, at + 2 + 12 * v + 4 * c, polygons[p].points[v][c]);
        PutFloat(b, at + 50 + 12 * v + 4 * c, polygons[p].normals[v][c]);
      }
    }
  }
  return b;
}

// A height-field grid: side n, three header values, then n × n signed samples.
inline Bytes GridData(uint16_t n, int16_t sample) {
  Bytes b(8 + 2 * size_t(n) * n);
  PutBE16(b, 0, n);
  for (size_t i = 0; i < size_t(n) * n; ++i) PutBE16(b, 8 + 2 * i, uint16_t(sample));
  return b;
}

// A texture record of one value component of flat noise, named; seed varies a phase word so that
// records differ.
inline Bytes TextureRecord(const std::string& name, uint16_t seed = 0) {
  Bytes b(232);
  PutU8(b, 0, 1);         // one component
  PutU8(b, 1, 1);         // a value
  PutBE16(b, 4, seed);    // the global phase's first word
  PutFloat(b, 20, 1.0f);  // filter values
  PutFloat(b, 24, 0.5f);
  PutU8(b, 42, 1);        // component 1 gives a value
  PutBE16(b, 44, 2);      // of flat noise
  for (size_t i = 0; i < 3; ++i) PutBE16(b, 50 + 2 * i, 1);  // frequencies
  PutName(b, 198, name);
  return b;
}

// Only a name: a reference to a texture or picture that another record defines.
inline Bytes NameBlock(const std::string& name) {
  Bytes b(32);
  PutName(b, 0, name);
  return b;
}

struct SOldRecord {
  uint8_t kind = 5;
  std::array<int16_t, 3> links{-1, -1, -1};
  int8_t family = 0;
  uint8_t role = 3;
  std::array<double, 9> matrix{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row by row
  std::array<double, 3> position{};                       // in units, written × 1024
  int16_t shape = 0;
  std::string name;
  Bytes surface = Bytes(228);
  std::array<Bytes, 4> textures;
  std::array<Bytes, 4> pictures;
  Bytes extra;
  // Spoilers.
  uint32_t tag = 0x6F625163;  // 'obQc'
  std::optional<uint32_t> totalLength;
  std::optional<uint32_t> extraLength;
  std::optional<uint32_t> textureLength[4];
  std::optional<uint32_t> pictureLength[4];
  bool extraFlag = true;

  void Channel(size_t i, float a, float b, float c, uint8_t kind, uint8_t flag, double first) {
    const size_t at = kChannel + kChannelBytes * i;
    PutFloat(surface, at + 20, a);
    PutFloat(surface, at + 24, b);
    PutFloat(surface, at + 28, c);
    PutU8(surface, at + 33, kind);
    PutU8(surface, at + 35, flag);
    PutDouble(surface, at + 36, first);
  }
};

struct SOldDocument {
  std::string version = "0.02";
  std::string partCode = "waot";
  bool hasSettings = true;
  std::optional<uint32_t> settingsLength;
  std::optional<uint32_t> recordCount;
  Bytes settings = Bytes(6310);
  std::vector<SOldRecord> records;
  std::vector<Bytes> skies;  // 694 bytes each

  SOldDocument() {
    // A view of 640 × 480 looking along +z from (0, 0, -10), 60 degrees wide, scale 2.
    PutFieldOfView(300);
    for (size_t i = 0; i < 3; ++i) PutDouble(settings, kBasis + 32 * i, 1.0);
    PutDouble(settings, kCameraPosition + 16, 10 * 1024.0);
    PutDouble(settings, kViewScale, 2.0);
    PutRect(kViewRect, 0, 0, 480, 640);
    PutRect(kSecondRect, 0, 0, 120, 160);
    PutBE16(settings, kCentreX, 320);
    PutBE16(settings, kCentreY, 240);
    PutDouble(settings, kSunDirection, 0.0);
    PutDouble(settings, kSunDirection + 16, 1.0);
    const Bytes high = TextureRecord("high", 1), low = TextureRecord("low", 2);
    std::copy(high.begin(), high.end(), settings.begin() + kHighCloud);
    std::copy(low.begin(), low.end(), settings.begin() + kLowCloud);
  }
  void PutFieldOfView(int32_t value) { PutBE32(settings, kFieldOfView, uint32_t(value)); }
  void PutRect(size_t at, int16_t top, int16_t left, int16_t bottom, int16_t right) {
    PutBE16(settings, at, uint16_t(top));
    PutBE16(settings, at + 2, uint16_t(left));
    PutBE16(settings, at + 4, uint16_t(bottom));
    PutBE16(settings, at + 6, uint16_t(right));
  }

  Bytes Write() const {
    constexpr size_t kHeader = 88, kSettings = 6310, kRecord = 518;
    const size_t firstRecord = kHeader + (hasSettings ? kSettings : 0);
    std::vector<size_t> starts;
    size_t at = firstRecord;
    for (const SOldRecord& r : records) {
      starts.push_back(at);
      at += kRecord + r.extra.size();
    }
    Bytes file(at);
    size_t blocks = at;
    auto place = [&](const Bytes& block) -> uint32_t {
      if (block.empty()) return 0;
      const size_t offset = blocks;
      file.insert(file.end(), block.begin(), block.end());
      blocks += block.size();
      return uint32_t(offset);
    };
    std::memcpy(file.data(), version.data(), 4);
    std::memcpy(file.data() + 4, partCode.data(), 4);
    PutBE32(file, 8, hasSettings ? uint32_t(kHeader) : 0);
    PutBE32(file, 12, settingsLength.value_or(uint32_t(kSettings)));
    PutBE32(file, 24, uint32_t(firstRecord));
    PutBE32(file, 28, recordCount.value_or(uint32_t(records.size())));
    if (hasSettings) std::copy(settings.begin(), settings.end(), file.begin() + kHeader);
    for (size_t n = 0; n < records.size(); ++n) {
      const SOldRecord& r = records[n];
      const size_t s = starts[n];
      PutBE32(file, s, r.tag);
      PutBE32(file, s + 4, r.totalLength.value_or(uint32_t(kRecord + r.extra.size())));
      PutBE32(file, s + 8, r.extra.empty() || !r.extraFlag ? 0 : 1);
      PutBE32(file, s + 12, r.extraLength.value_or(uint32_t(r.extra.size())));
      for (size_t i = 0; i < 4; ++i) {
        PutBE32(file, s + 32 + 4 * i, place(r.textures[i]));
        PutBE32(file, s + 48 + 4 * i, r.textureLength[i].value_or(uint32_t(r.textures[i].size())));
        PutBE32(file, s + 64 + 4 * i, place(r.pictures[i]));
        PutBE32(file, s + 80 + 4 * i, r.pictureLength[i].value_or(uint32_t(r.pictures[i].size())));
      }
      for (size_t i = 0; i < 3; ++i) PutBE16(file, s + 112 + 2 * i, uint16_t(r.links[i]));
      PutU8(file, s + 118, r.kind);
      PutU8(file, s + 122, uint8_t(r.family));
      PutU8(file, s + 123, r.role);
      for (size_t i = 0; i < 9; ++i) PutDouble(file, s + 124 + 8 * i, r.matrix[i]);
      for (size_t i = 0; i < 3; ++i) PutDouble(file, s + 196 + 8 * i, r.position[i] * 1024);
      PutBE16(file, s + 246, uint16_t(r.shape));
      PutName(file, s + 258, r.name);
      std::copy(r.surface.begin(), r.surface.end(), file.begin() + long(s) + 290);
      std::copy(r.extra.begin(), r.extra.end(), file.begin() + long(s + kRecord));
    }
    if (!skies.empty()) {
      PutBE32(file, 32, uint32_t(file.size()));
      PutBE32(file, 36, uint32_t(skies.size()));
      for (const Bytes& sky : skies) file.insert(file.end(), sky.begin(), sky.end());
    }
    return file;
  }
};

}  // namespace old_writer
