#include "document/doc_settings.h"

#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/core/cm_file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"

namespace {

constexpr uint32_t kWordBytes = CDocSettings::kWordCount * 4;

SSpoolKey SettingsKey() {
  SSpoolKey key;
  key.Set(CDocSettings::kTypeName, CDocSettings::kId, false);
  return key;
}

}  // namespace

CDocSettings::CDocSettings(const SSpoolLayout& layout) : CSubscriber(layout) {}

uint32_t CDocSettings::HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
  auto* settings = static_cast<CDocSettings*>(object);
  switch (message) {
    case kSpoolApplyHeader: return settings->Load(*static_cast<const CMemBlock*>(argument));
    case kSpoolFillHeader: return settings->Save(*static_cast<CMemBlock*>(argument));
    case kSpoolHeaderSize:
      *static_cast<uint32_t*>(argument) = kRecordBytes;
      return (message & ~0xFFu) | 1;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

bool CDocSettings::Load(const CMemBlock& stored) {
  if (stored.GetSize() < kRecordBytes) {
    SetError(kErrInvalidFormat);
    return false;
  }
  const uint8_t* bytes = stored.GetData();
  std::memcpy(fTexts, bytes + kWordBytes, sizeof fTexts);
  for (uint32_t i = 0; i < kWordCount; ++i) {
    uint32_t word = 0;
    std::memcpy(&word, bytes + 4 * i, 4);
    fWords[i] = SwapLong(word);
  }
  return true;
}

bool CDocSettings::Save(CMemBlock& stored) const {
  if (stored.GetSize() < kRecordBytes) return false;
  uint8_t* bytes = stored.GetData();
  std::memcpy(bytes + kWordBytes, fTexts, sizeof fTexts);
  for (uint32_t i = 0; i < kWordCount; ++i) {
    const uint32_t word = SwapLong(fWords[i]);
    std::memcpy(bytes + 4 * i, &word, 4);
  }
  return true;
}

int32_t CDocSettings::Store(CResourceEnv& document) {
  CSpoolSys* home = GetEnvironment();
  if (!home) return kErrInvalidParameter;
  SSpoolKey key = SettingsKey();
  if (!document.PutResource(key) && document.GetLastResult() != kErrObjectDuplicated)
    return NonZeroError(document.GetLastResult());
  if (!SetEnvironment(&document)) return NonZeroError(GetError());
  key.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &HandleMessage);
  int32_t result = Subscribe(spec) && WriteHeader() ? kNoErr : NonZeroError(GetError());
  if (IsSubscribed() && !Unsubscribe() && !result) result = NonZeroError(GetError());
  if (!SetEnvironment(home) && !result) result = NonZeroError(GetError());
  return result;
}

int32_t CDocSettings::Fetch(CResourceEnv& document) {
  CResEntry entry{};
  if (!document.GetResourceInfo(SettingsKey(), &entry)) return NonZeroError(document.GetLastResult());
  CCmFile* file = document.GetCmFile();
  if (file->GetEntryField(entry.second) < kRecordBytes) return kErrInvalidFormat;
  CMemBlock stored(kRecordBytes, GetDefaultPool());
  if (!stored.IsOwned()) return kErrOutOfMemory;
  if (const int32_t error = file->ReadEntryRange(entry.second, stored, 0, kRecordBytes)) return error;
  return HandleMessage(this, kSpoolApplyHeader, &stored) & 0xFF ? kNoErr : NonZeroError(GetError());
}

std::string CDocSettings::GetText(uint32_t index) const {
  if (index >= kTextCount) return {};
  return std::string(fTexts[index], strnlen(fTexts[index], kTextBytes - 1));
}

void CDocSettings::SetText(uint32_t index, const char* text) {
  if (index >= kTextCount) return;
  std::memset(fTexts[index], 0, kTextBytes);
  if (text) std::strncpy(fTexts[index], text, kTextBytes - 1);
}

void CDocSettings::CopyRecord(const CDocSettings& other) {
  std::memcpy(fWords, other.fWords, sizeof fWords);
  std::memcpy(fTexts, other.fTexts, sizeof fTexts);
}

void CDocSettings::SetSizes(int32_t imageWidth, int32_t imageHeight, int32_t renderWidth, int32_t renderHeight) {
  const int32_t values[] = {imageWidth, imageHeight, renderWidth, renderHeight, 0, 0, renderHeight, renderWidth};
  for (uint32_t i = 0; i < std::size(values); ++i) fWords[kImageWidth + i] = uint32_t(values[i]);
}

void CDocSettings::TakeProgressive(const CRenderContext::SProgressiveState& state) {
  const uint32_t words[] = {state.blockSize, state.blockMask, state.column, state.row, state.antialiasColumn,
                            state.antialiasRow};
  std::memcpy(fWords + kBlockSize, words, sizeof words);
}

void CDocSettings::GiveProgressive(CRenderContext::SProgressiveState& state) {
  if (fWords[kBlockSize] == 0) {
    fWords[kBlockSize] = kDefaultBlockSize;
    std::memset(fWords + kCounters, 0, 5 * sizeof(uint32_t));
  }
  state.blockSize = fWords[kBlockSize];
  state.blockMask = fWords[kCounters];
  state.column = fWords[kCounters + 1];
  state.row = fWords[kCounters + 2];
  state.antialiasColumn = fWords[kCounters + 3];
  state.antialiasRow = fWords[kCounters + 4];
}
