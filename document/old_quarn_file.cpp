#include "document/old_quarn_file.h"

#include <cstring>

#include "document/old_conversion.h"
#include "document/progress_titles.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/progress.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"

using namespace old_format;

namespace {

constexpr SRange kDupTableSpec{0, 32};
constexpr SRange kMadeSpec{0, 8};
constexpr const char* kImportTitles = "progress import";
constexpr const char* kImportTitle = "12Importing File";

bool SizeBlock(CMemBlock& block, uint32_t length) {
  if (length == 0) {
    block.Release();
    return true;
  }
  return block.Init(length, GetDataPool());
}

// A new random id, never 0.
uint32_t NewRandomId() {
  uint32_t id = 0;
  while (id == 0) id = NextRandom(GetRandomState());
  return id;
}

}  // namespace

// ---- the record work area

CDupTextureTables::CDupTextureTables() : fMade(kMadeSpec, GetDataPool()) {}

CDupTextureTables::~CDupTextureTables() { DropMaterial(); }

void CDupTextureTables::DropMaterial() {
  if (fOwnsMaterial) {
    delete fMaterial;
    for (uint32_t i = 0; i < fMade.GetCount(); ++i) DiscardThing(fMade[i]);
  }
  fMaterial = nullptr;
  fMade.Clear();
  fOwnsMaterial = false;
}

// ---- the reader

COldQuarnFile::COldQuarnFile(const CFileSpec& spec)
    : fFile(spec),
      fSettingsBlock(kSettingsBytes, GetDataPool()),
      fDupTextures(kDupTableSpec, GetDataPool()),
      fDupPictures(kDupTableSpec, GetDataPool()) {
  if (!fSettingsBlock.IsOwned() || !fDupTextures.IsValid() || !fDupPictures.IsValid()) {
    fOpenResult = kErrOutOfMemory;
    return;
  }
  fOpenResult = fFile.Open(CFile::kModeRead);
  if (!fOpenResult) fOpenResult = fFile.GetSize(&fFileSize);
  fOpen = fOpenResult == kNoErr;
}

COldQuarnFile::~COldQuarnFile() { fFile.Close(); }

int32_t COldQuarnFile::ReadBytes(uint64_t offset, uint32_t length, uint8_t* bytes) {
  if (offset + length > fFileSize) return kErrInvalidFormat;
  const int32_t result = fFile.ReadAt(uint32_t(offset), bytes, length);
  // The file is shorter than when it was opened.
  return result == kErrEndOfFile ? kErrInvalidFormat : result;
}

int32_t COldQuarnFile::ReadBlock(uint64_t offset, uint32_t length, CMemBlock& block) {
  if (offset + length > fFileSize) return kErrInvalidFormat;
  if (!SizeBlock(block, length)) return kErrOutOfMemory;
  return length ? ReadBytes(offset, length, block.GetData()) : kNoErr;
}

int32_t COldQuarnFile::ReadHeader() {
  uint8_t bytes[kHeaderBytes];
  if (const int32_t error = ReadBytes(0, kHeaderBytes, bytes)) return error;
  if (const int32_t error = ParseHeader(bytes, &fHeader)) return error;
  fHeaderRead = true;
  fNextRecord = fHeader.firstRecord;
  fRecordIndex = 0;
  fSkyIndex = 0;
  return kNoErr;
}

int32_t COldQuarnFile::ReadSettings() {
  if (fHeader.settingsOffset == 0) return kErrObjectNotFound;
  if (fHeader.settingsLength != kSettingsBytes) return kErrInvalidFormat;
  uint8_t* bytes = fSettingsBlock.GetData();
  if (const int32_t error = ReadBytes(fHeader.settingsOffset, kSettingsBytes, bytes)) return error;
  if (!ParseSettings(bytes, &fSettings)) return kErrInvalidFormat;
  fHasSettings = true;
  return kNoErr;
}

int32_t COldQuarnFile::ReadRecord(CDupTextureTables& area, bool resolve) {
  uint8_t bytes[kRecordBytes];
  const uint64_t start = fNextRecord;
  if (const int32_t error = ReadBytes(start, kRecordBytes, bytes)) return error;
  SRecord& record = area.fRecord;
  ParseRecord(bytes, &record);
  if (record.tag != kRecordTag) return kErrInvalidFormat;
  // The next record would overlap this one.
  if (record.totalLength < kRecordBytes) return kErrInvalidFormat;
  fNextRecord = start + record.totalLength;
  const bool hasExtra = record.hasExtra != 0;
  if (hasExtra && record.extraLength > record.totalLength - kRecordBytes) return kErrInvalidFormat;
  if (const int32_t error = ReadBlock(start + kRecordBytes, hasExtra ? record.extraLength : 0, area.fExtra))
    return error;
  for (uint32_t i = 0; i < kChannels; ++i) {
    const uint32_t textureLength = record.textureOffsets[i] ? record.textureLengths[i] : 0;
    if (const int32_t error = ReadBlock(record.textureOffsets[i], textureLength, area.fTextures[i])) return error;
    const uint32_t pictureLength = record.pictureOffsets[i] ? record.pictureLengths[i] : 0;
    if (const int32_t error = ReadBlock(record.pictureOffsets[i], pictureLength, area.fPictures[i])) return error;
  }
  if (!resolve) return kNoErr;
  for (uint32_t i = 0; i < kChannels; ++i) {
    Resolve(area.fTextures[i], false);
    Resolve(area.fPictures[i], true);
  }
  return kNoErr;
}

void COldQuarnFile::Resolve(CMemBlock& block, bool picture) {
  if (block.GetSize() != kNameBytes) return;
  const SName name = ReadName(block.GetData());
  if (FindDefinition(name, picture, block)) block.Release();
}

int32_t COldQuarnFile::FindDefinition(const SName& name, bool picture, CMemBlock& block) {
  uint64_t at = fHeader.firstRecord;
  for (uint32_t index = 0; index < fHeader.recordCount; ++index) {
    uint8_t bytes[kRecordBytes];
    if (const int32_t error = ReadBytes(at, kRecordBytes, bytes)) return error;
    SRecord record;
    ParseRecord(bytes, &record);
    if (record.tag != kRecordTag || record.totalLength < kRecordBytes) return kErrInvalidFormat;
    at += record.totalLength;
    if (!record.surface.hasTextures) continue;
    for (uint32_t i = 0; i < kChannels; ++i) {
      const uint32_t offset = picture ? record.pictureOffsets[i] : record.textureOffsets[i];
      const uint32_t length = picture ? record.pictureLengths[i] : record.textureLengths[i];
      if (offset == 0 || (picture ? length <= kNameBytes : length < kTextureBytes)) continue;
      uint8_t head[kTextureBytes];
      const uint32_t nameAt = picture ? 0 : kTextureName;
      if (ReadBytes(offset, nameAt + kNameBytes, head) || !(ReadName(head + nameAt) == name)) continue;
      return ReadBlock(offset, picture ? length : kTextureBytes, block);
    }
  }
  return kErrObjectNotFound;
}

int32_t COldQuarnFile::Import(C3dBaseSys* table, bool wholeDocument) {
  if (!fOpen) return NonZeroError(fOpenResult);
  if (!table) return kErrInvalidParameter;
  if (const int32_t error = ReadHeader()) return error;
  if (wholeDocument) {
    if (const int32_t error = ReadSettings()) return error;
    if (const int32_t error = BuildSettingsThings(table)) return error;
  }
  CDupTextureTables area;
  if (!area.IsUsable()) return kErrOutOfMemory;
  CProgressTitles titles(kImportTitles);
  CProgress progress(fHeader.recordCount, titles.Title(0, kImportTitle));
  for (uint32_t index = 0; index < fHeader.recordCount; ++index) {
    if (const int32_t error = ReadRecord(area, false)) return error;
    if (const int32_t error = ConvertRecord(table, area)) return error;
    progress.Step();
  }
  return kNoErr;
}

int32_t COldQuarnFile::ReadNextMaterial(CDupTextureTables& area) {
  if (!fOpen) return NonZeroError(fOpenResult);
  if (!fHeaderRead) {
    if (const int32_t error = ReadHeader()) return error;
  }
  if (!area.IsUsable()) return kErrOutOfMemory;
  area.DropMaterial();
  if (fRecordIndex >= fHeader.recordCount) return kSilentCode25;
  ++fRecordIndex;
  if (const int32_t error = ReadRecord(area, true)) return error;
  if (const int32_t error = ConvertSurface(nullptr, nullptr, area)) return error;
  C3dMaterial* material = area.fMaterial;
  material->SetId(NewRandomId());
  CHolder holder(material, true, false);
  if (!holder.IsLocked()) return NonZeroError(material->GetError());
  for (int channel = 0; channel < int(kChannels); ++channel) {
    CBaseTexture* texture = material->GetChannelTexture(channel);
    if (!texture) continue;
    texture->SetId(NewRandomId());
    if (const int32_t error = material->SetChannelTexture(texture, channel)) return error;
  }
  return kNoErr;
}

int32_t COldQuarnFile::ReadNextSky(C3dSky* sky, C3dSunLight* sun) {
  if (!fOpen) return NonZeroError(fOpenResult);
  if (!sky || !sun) return kErrInvalidParameter;
  if (!fHeaderRead) {
    if (const int32_t error = ReadHeader()) return error;
  }
  if (fSkyIndex >= fHeader.skyCount) return kSilentCode25;
  if (fHeader.skyOffset + uint64_t(kSkyRecordBytes) * fHeader.skyCount > fFileSize) return kErrInvalidFormat;
  uint8_t bytes[kSkyRecordBytes];
  if (const int32_t error = ReadBytes(fHeader.skyOffset + uint64_t(kSkyRecordBytes) * fSkyIndex, kSkyRecordBytes, bytes))
    return error;
  ++fSkyIndex;
  const STextureRecord clouds[2] = {TextureRecordAt(bytes + kSkyRecordFirstCloud),
                                    TextureRecordAt(bytes + kSkyRecordSecondCloud)};
  {
    CHolder skyHolder(sky, true, false);
    CHolder sunHolder(sun, true, false);
    if (!skyHolder.IsLocked() || !sunHolder.IsLocked()) return kErrOutOfMemory;
    if (const int32_t error = ConvertSky(bytes + kSkyRecordSkyPart, false, *sky, *sun)) return error;
  }
  for (int layer = 0; layer < 2; ++layer) {
    C3dTexture* cloud = sky->GetCloudTexture(layer);
    if (!cloud) return kErrOutOfMemory;
    if (const int32_t error = cloud->ImportOld(clouds[layer].bytes, kTextureBytes)) return error;
  }
  return kNoErr;
}

int32_t ImportOldDocument(const CFileSpec& spec, C3dBaseSys* table, SOldDocumentRects* rects) {
  COldQuarnFile reader(spec);
  if (!reader.IsOpen()) return NonZeroError(reader.GetOpenResult());
  if (const int32_t error = reader.Import(table, true)) return error;
  if (rects) *rects = {reader.GetViewRect(), reader.GetSecondRect()};
  return kNoErr;
}
