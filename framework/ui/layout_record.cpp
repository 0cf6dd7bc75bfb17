#include "framework/ui/layout_record.h"

#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/ui/soft_shadow.h"

uint32_t RecordWordAt(const uint8_t* data, uint32_t offset) {
  uint32_t word = 0;
  std::memcpy(&word, data + offset, 4);
  return word;
}

float RecordFloatAt(const uint8_t* data, uint32_t offset) {
  float value = 0;
  std::memcpy(&value, data + offset, 4);
  return value;
}

void RecordShadowAt(const uint8_t* data, uint32_t offset, SSoftShadow* shadow) {
  shadow->dx = RecordSignedAt(data, offset);
  shadow->dy = RecordSignedAt(data, offset + 4);
  shadow->radius = RecordWordAt(data, offset + 8);
  shadow->opacity = RecordFloatAt(data, offset + 12);
}

bool RecordTextAt(const uint8_t* data, uint32_t offset, char* out, uint32_t bytes) {
  const char* field = reinterpret_cast<const char*>(data + offset);
  const size_t length = strnlen(field, bytes);
  const size_t kept = length < bytes ? length : bytes - 1;
  std::memcpy(out, field, kept);
  out[kept] = 0;
  return length < bytes;
}

uint32_t HandleLayoutRecord(CSpoolMem* record, uint32_t message, void* argument, const SLayoutRecordForm& form) {
  if (message != kSpoolAfterRead && message != kSpoolBeforeWrite && message != kSpoolAfterWrite)
    return SpoolDefaultTypeHandler(record, message, argument);
  uint8_t* data = record->GetData();
  if (!data || record->GetDataSize() < form.minBytes) {
    record->SetError(kErrInvalidFormat);
    return false;
  }
  for (uint32_t r = 0; r < form.numberRanges; ++r) {
    for (uint32_t at = form.numbers[r].first; at + 4 <= form.numbers[r].end; at += 4) {
      const uint32_t word = SwapLong(RecordWordAt(data, at));
      std::memcpy(data + at, &word, 4);
    }
  }
  if (std::memcmp(data, form.tagAndVersion, 8) != 0) {
    record->SetError(kErrInvalidFormat);
    return false;
  }
  record->SetError(kNoErr);
  return true;
}
