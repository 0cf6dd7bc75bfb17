// Documents of the earlier version are one flat big-endian file: an 88-byte header, a 6310-byte
// settings block, object records of 518 bytes each followed by what belongs to them, and a table of
// 694-byte sky records. This takes each block, once read whole, apart into fields in machine order.
// Names are a length byte and up to 31 characters in a field of 32 bytes; colours are 0x00RRGGBB.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "framework/core/byte_reader.h"
#include "framework/core/four_cc.h"
#include "framework/core/vector3.h"

namespace old_format {

constexpr uint32_t kHeaderBytes = 88;
constexpr uint32_t kSettingsBytes = 6310;
constexpr uint32_t kRecordBytes = 518;
constexpr uint32_t kSkyRecordBytes = 694;
constexpr uint32_t kSkyPartBytes = 158;
constexpr uint32_t kTextureBytes = 232;
constexpr uint32_t kNameBytes = 32;
constexpr uint32_t kMaxNameChars = 31;
constexpr uint32_t kChannels = 4;
constexpr uint32_t kModeWords = 10;

constexpr uint8_t kVersion[4] = {'0', '.', '0', '2'};
constexpr uint32_t kPartCodes[] = {FourCC("waot"), FourCC("w_ot"), FourCC("w__t"), FourCC("__ot"), FourCC("w___")};
constexpr uint32_t kRecordTag = FourCC("obQc");

// Where the record's own bytes lie in the settings block and in a sky record.
constexpr uint32_t kSettingsHighCloud = 5846;
constexpr uint32_t kSettingsLowCloud = 6078;
constexpr uint32_t kSkyRecordSkyPart = 64;
constexpr uint32_t kSkyRecordFirstCloud = 222;
constexpr uint32_t kSkyRecordSecondCloud = 454;
// The name within a texture record.
constexpr uint32_t kTextureName = 198;

// Reads the big-endian fields of a block at their offsets. Blocks are read whole before they are
// taken apart, so a field past the end is a fault of the caller's offsets and reads as zero.
class CStoredFields {
 public:
  CStoredFields(const uint8_t* bytes, size_t size) : fReader(bytes, size) {}

  uint8_t U8(size_t at) {
    uint8_t value = 0;
    return fReader.Seek(at) && fReader.ReadU8(&value) ? value : 0;
  }
  uint16_t U16(size_t at) {
    uint16_t value = 0;
    return fReader.Seek(at) && fReader.ReadBE16(&value) ? value : 0;
  }
  uint32_t U32(size_t at) {
    uint32_t value = 0;
    return fReader.Seek(at) && fReader.ReadBE32(&value) ? value : 0;
  }
  int16_t S16(size_t at) { return int16_t(U16(at)); }
  float Float(size_t at) { return std::bit_cast<float>(U32(at)); }
  double Double(size_t at) { return std::bit_cast<double>(uint64_t(U32(at)) << 32 | U32(at + 4)); }

 private:
  CByteReader fReader;
};

struct SName {
  uint8_t length = 0;
  char text[kMaxNameChars + 1] = {};

  // Only the length byte and the characters count; the rest of the field is ignored.
  bool operator==(const SName& other) const;
};

// A length byte above 31 counts as 31.
SName ReadName(const uint8_t* field);

struct SHeader {
  uint32_t settingsOffset = 0;
  uint32_t settingsLength = 0;
  uint32_t firstRecord = 0;
  uint32_t recordCount = 0;
  uint32_t skyOffset = 0;
  uint32_t skyCount = 0;
};

// 2 for a version other than "0.02" or an unknown part code.
int32_t ParseHeader(const uint8_t* bytes, SHeader* header);

// Top, left, bottom, right.
struct SRect {
  int16_t top = 0;
  int16_t left = 0;
  int16_t bottom = 0;
  int16_t right = 0;
};

// What the settings block holds besides its sky part (converted with the sky records) and its
// cloud texture records.
struct SSettings {
  int32_t fieldOfView = 0;  // tenths of half the angle, in degrees
  double basis[9] = {};     // row by row
  vector3<double> position;  // already divided by 1024
  double viewScale = 0;
  int16_t centreX = 0;
  int16_t centreY = 0;
  SRect viewRect;
  SRect secondRect;
  uint8_t sunFromCamera = 0;
};

// False when a double of the camera is not finite.
bool ParseSettings(const uint8_t* bytes, SSettings* settings);

struct SChannel {
  float placement[3] = {};
  uint8_t kind = 0;
  uint8_t flag = 0;
  double firstValue = 0;
};

struct SSurface {
  uint8_t shading = 0;
  uint8_t hasTextures = 0;
  // Values A to F, as stored.
  int16_t valueA = 0;
  uint16_t valueB = 0;
  uint16_t valueC = 0;
  uint16_t valueD = 0;
  uint16_t valueE = 0;
  uint16_t valueF = 0;
  // Mode indices 1 to 10, as stored.
  int8_t modes[kModeWords] = {};
  uint32_t colourA = 0;
  uint32_t colourB = 0;
  uint32_t colourC = 0;
  uint32_t colourD = 0;
  uint16_t percentage = 0;
  int16_t numbers[3] = {};
  uint8_t seeThrough = 0;
  uint8_t lightSwitches = 0;
  uint8_t lightIntensity = 0;
  uint8_t lightSpread = 0;
  SChannel channels[kChannels];
};

struct SRecord {
  uint32_t tag = 0;
  uint32_t totalLength = 0;
  uint32_t hasExtra = 0;
  uint32_t extraLength = 0;
  uint32_t textureOffsets[kChannels] = {};
  uint32_t textureLengths[kChannels] = {};
  uint32_t pictureOffsets[kChannels] = {};
  uint32_t pictureLengths[kChannels] = {};
  int16_t links[3] = {};
  uint8_t kind = 0;
  int8_t family = 0;
  uint8_t role = 0;
  double matrix[9] = {};  // row by row
  double position[3] = {};
  int16_t shape = 0;
  SName name;
  SSurface surface;
};

// Every field of the 518 bytes, whatever their values.
void ParseRecord(const uint8_t* bytes, SRecord* record);

// The texture record turned from stored into machine order, in place, field by field as the texture
// import reads it.
void SwapTextureRecord(uint8_t* record);

}  // namespace old_format
