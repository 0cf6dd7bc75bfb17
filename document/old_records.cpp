#include "document/old_records.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/result_codes.h"

namespace old_format {

namespace {

// Header.
constexpr size_t kPartCode = 4;
constexpr size_t kSettingsOffset = 8;
constexpr size_t kSettingsLength = 12;
constexpr size_t kFirstRecord = 24;
constexpr size_t kRecordCount = 28;
constexpr size_t kSkyOffset = 32;
constexpr size_t kSkyCount = 36;

// Settings block.
constexpr size_t kFieldOfView = 172;
constexpr size_t kBasis = 176;
constexpr size_t kCameraPosition = 248;
constexpr size_t kViewScale = 272;
constexpr size_t kCentreX = 280;
constexpr size_t kCentreY = 282;
constexpr size_t kViewRect = 5790;
constexpr size_t kSecondRect = 5798;
constexpr size_t kSunFromCamera = 5816;

// Object record.
constexpr size_t kTotalLength = 4;
constexpr size_t kHasExtra = 8;
constexpr size_t kExtraLength = 12;
constexpr size_t kTextureOffsets = 32;
constexpr size_t kTextureLengths = 48;
constexpr size_t kPictureOffsets = 64;
constexpr size_t kPictureLengths = 80;
constexpr size_t kLinks = 112;
constexpr size_t kKind = 118;
constexpr size_t kFamily = 122;
constexpr size_t kRole = 123;
constexpr size_t kMatrix = 124;
constexpr size_t kPosition = 196;
constexpr size_t kShape = 246;
constexpr size_t kName = 258;
constexpr size_t kSurface = 290;

// Surface block, from kSurface.
constexpr size_t kShading = 0;
constexpr size_t kHasTextures = 1;
constexpr size_t kValueA = 2;
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
constexpr size_t kSeeThrough = 45;
constexpr size_t kValueF = 46;
constexpr size_t kLightSwitches = 49;
constexpr size_t kLightIntensity = 50;
constexpr size_t kLightSpread = 51;
constexpr size_t kChannelRecords = 52;
constexpr size_t kChannelBytes = 44;
// Where mode index k (1 to 10) lies.
constexpr size_t kModeAt[kModeWords] = {13, 12, 5, 4, 21, 20, 29, 28, 44, 48};

// Channel record.
constexpr size_t kChannelFloats = 20;
constexpr size_t kChannelKind = 33;
constexpr size_t kChannelFlag = 35;
constexpr size_t kChannelValue = 36;

bool AllFinite(const double* values, size_t count) {
  return std::all_of(values, values + count, [](double v) { return std::isfinite(v); });
}

SRect ReadRect(CStoredFields& in, size_t at) { return {in.S16(at), in.S16(at + 2), in.S16(at + 4), in.S16(at + 6)}; }

SChannel ReadChannel(CStoredFields& in, size_t at) {
  SChannel channel;
  for (size_t i = 0; i < 3; ++i) channel.placement[i] = in.Float(at + kChannelFloats + 4 * i);
  channel.kind = in.U8(at + kChannelKind);
  channel.flag = in.U8(at + kChannelFlag);
  channel.firstValue = in.Double(at + kChannelValue);
  return channel;
}

SSurface ReadSurface(CStoredFields& in, size_t at) {
  SSurface surface;
  surface.shading = in.U8(at + kShading);
  surface.hasTextures = in.U8(at + kHasTextures);
  surface.valueA = in.S16(at + kValueA);
  surface.valueB = in.U16(at + kValueB);
  surface.valueC = in.U16(at + kValueC);
  surface.valueD = in.U16(at + kValueD);
  surface.valueE = in.U16(at + kValueE);
  surface.valueF = in.U16(at + kValueF);
  for (size_t k = 0; k < kModeWords; ++k) surface.modes[k] = int8_t(in.U8(at + kModeAt[k]));
  surface.colourA = in.U32(at + kColourA);
  surface.colourB = in.U32(at + kColourB);
  surface.colourC = in.U32(at + kColourC);
  surface.colourD = in.U32(at + kColourD);
  surface.percentage = in.U16(at + kPercentage);
  for (size_t i = 0; i < 3; ++i) surface.numbers[i] = in.S16(at + kNumbers + 2 * i);
  surface.seeThrough = in.U8(at + kSeeThrough);
  surface.lightSwitches = in.U8(at + kLightSwitches);
  surface.lightIntensity = in.U8(at + kLightIntensity);
  surface.lightSpread = in.U8(at + kLightSpread);
  for (size_t i = 0; i < kChannels; ++i) surface.channels[i] = ReadChannel(in, at + kChannelRecords + kChannelBytes * i);
  return surface;
}

// A run of count values of size bytes each.
struct SSwapRun {
  uint32_t at;
  uint32_t size;
  uint32_t count;
};

// The header's phase, filter and colour values, then each component's noise and phase words, filter
// values and colours; the bytes between them are single bytes.
constexpr uint32_t kComponentStarts[3] = {44, 96, 148};
constexpr SSwapRun kHeaderRuns[] = {{4, 2, 7}, {20, 4, 2}, {30, 4, 3}};
constexpr SSwapRun kComponentRuns[] = {{0, 2, 6}, {12, 2, 7}, {28, 4, 2}, {38, 4, 3}};

void SwapRun(uint8_t* record, const SSwapRun& run) {
  for (uint32_t i = 0; i < run.count; ++i) std::reverse(record + run.at + i * run.size, record + run.at + (i + 1) * run.size);
}

}  // namespace

bool SName::operator==(const SName& other) const {
  return length == other.length && std::memcmp(text, other.text, length) == 0;
}

SName ReadName(const uint8_t* field) {
  SName name;
  name.length = std::min<uint8_t>(field[0], kMaxNameChars);
  std::memcpy(name.text, field + 1, name.length);
  return name;
}

int32_t ParseHeader(const uint8_t* bytes, SHeader* header) {
  if (std::memcmp(bytes, kVersion, sizeof kVersion) != 0) return kErrInvalidFormat;
  CStoredFields in(bytes, kHeaderBytes);
  if (std::find(std::begin(kPartCodes), std::end(kPartCodes), in.U32(kPartCode)) == std::end(kPartCodes))
    return kErrInvalidFormat;
  header->settingsOffset = in.U32(kSettingsOffset);
  header->settingsLength = in.U32(kSettingsLength);
  header->firstRecord = in.U32(kFirstRecord);
  header->recordCount = in.U32(kRecordCount);
  header->skyOffset = in.U32(kSkyOffset);
  header->skyCount = in.U32(kSkyCount);
  return kNoErr;
}

bool ParseSettings(const uint8_t* bytes, SSettings* settings) {
  CStoredFields in(bytes, kSettingsBytes);
  settings->fieldOfView = int32_t(in.U32(kFieldOfView));
  for (size_t i = 0; i < 9; ++i) settings->basis[i] = in.Double(kBasis + 8 * i);
  double position[3];
  for (size_t i = 0; i < 3; ++i) position[i] = in.Double(kCameraPosition + 8 * i) / 1024;
  settings->position = {position[0], position[1], position[2]};
  settings->viewScale = in.Double(kViewScale);
  settings->centreX = in.S16(kCentreX);
  settings->centreY = in.S16(kCentreY);
  settings->viewRect = ReadRect(in, kViewRect);
  settings->secondRect = ReadRect(in, kSecondRect);
  settings->sunFromCamera = in.U8(kSunFromCamera);
  return AllFinite(settings->basis, 9) && AllFinite(position, 3) && std::isfinite(settings->viewScale);
}

void ParseRecord(const uint8_t* bytes, SRecord* record) {
  CStoredFields in(bytes, kRecordBytes);
  record->tag = in.U32(0);
  record->totalLength = in.U32(kTotalLength);
  record->hasExtra = in.U32(kHasExtra);
  record->extraLength = in.U32(kExtraLength);
  for (size_t i = 0; i < kChannels; ++i) {
    record->textureOffsets[i] = in.U32(kTextureOffsets + 4 * i);
    record->textureLengths[i] = in.U32(kTextureLengths + 4 * i);
    record->pictureOffsets[i] = in.U32(kPictureOffsets + 4 * i);
    record->pictureLengths[i] = in.U32(kPictureLengths + 4 * i);
  }
  for (size_t i = 0; i < 3; ++i) record->links[i] = in.S16(kLinks + 2 * i);
  record->kind = in.U8(kKind);
  record->family = int8_t(in.U8(kFamily));
  record->role = in.U8(kRole);
  for (size_t i = 0; i < 9; ++i) record->matrix[i] = in.Double(kMatrix + 8 * i);
  for (size_t i = 0; i < 3; ++i) record->position[i] = in.Double(kPosition + 8 * i);
  record->shape = in.S16(kShape);
  record->name = ReadName(bytes + kName);
  record->surface = ReadSurface(in, kSurface);
}

void SwapTextureRecord(uint8_t* record) {
  for (const SSwapRun& run : kHeaderRuns) SwapRun(record, run);
  for (const uint32_t start : kComponentStarts) {
    for (const SSwapRun& run : kComponentRuns) SwapRun(record, {start + run.at, run.size, run.count});
  }
}

}  // namespace old_format
