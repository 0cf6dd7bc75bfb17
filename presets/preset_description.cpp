#include "presets/preset_description.h"

#include <algorithm>
#include <cstring>

#include "framework/core/char_set.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

namespace {

// The text cut to the field less its terminator, then zero-filled to the field's end.
void CopyCut(char* field, size_t size, const std::string& text) {
  const size_t length = std::min(text.size(), size - 1);
  if (length) memcpy(field, text.data(), length);
  memset(field + length, 0, size - length);
}

// A field's text up to its terminator or its end, whichever comes first.
std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

SSpoolTableSpec KeySpec(const char* type, uint32_t id, bool isNew) {
  SSpoolKey key;
  key.Set(type, id, false);
  key.isNew = isNew ? 1 : 0;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, nullptr);
  return spec;
}

}  // namespace

void CPresetDescription::SetName(const char* name) {
  CopyCut(fRecord.data(), kNameSize, name ? AnsiToMacRoman(std::string(name)) : std::string());
  Decode();
}

void CPresetDescription::SetDescription(const char* description) {
  CopyCut(fRecord.data() + kNameSize, kDescriptionSize,
          description ? AnsiToMacRoman(std::string(description)) : std::string());
  Decode();
}

void CPresetDescription::SetRecord(const uint8_t* bytes, size_t size) {
  fRecord.fill(0);
  if (bytes && size) memcpy(fRecord.data(), bytes, std::min(size, kRecordSize));
  Decode();
}

void CPresetDescription::Decode() {
  fName = MacRomanToAnsi(FieldText(fRecord.data(), kNameSize));
  fDescription = MacRomanToAnsi(FieldText(fRecord.data() + kNameSize, kDescriptionSize));
}

int32_t CPresetDescription::Store(CResourceEnv* library, const char* type, uint32_t id) const {
  if (!library || !library->IsOpen()) return kErrInvalidParameter;
  SSpoolKey key;
  key.Set(type, id, false);
  if (!library->PutResource(key) && library->GetLastResult() != kErrObjectDuplicated)
    return NonZeroError(library->GetLastResult());
  CSubscriber object(SSpoolLayout{library, 0, 0});
  if (!object.Subscribe(KeySpec(type, id, true))) return NonZeroError(object.GetError());
  if (!object.Resize(uint32_t(kRecordSize), false, false)) return NonZeroError(object.GetError());
  {
    CHolder holder(&object, true, true);
    if (!holder.IsLocked()) return NonZeroError(object.GetError());
    memcpy(object.GetData(), fRecord.data(), kRecordSize);
  }
  if (object.IsModified()) return NonZeroError(object.GetError());
  return object.Unsubscribe() ? kNoErr : NonZeroError(object.GetError());
}

int32_t CPresetDescription::Read(CResourceEnv* library, const char* type, uint32_t id) {
  if (!library || !library->IsOpen()) return kErrObjectNotFound;
  CSubscriber object(SSpoolLayout{library, 0, 0});
  if (!object.Subscribe(KeySpec(type, id, false))) return kErrObjectNotFound;
  CHolder holder(&object, false, false);
  if (!holder.IsLocked()) return kErrObjectNotFound;
  SetRecord(object.GetData(), object.GetDataSize());
  return kNoErr;
}
