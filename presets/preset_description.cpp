#include "presets/preset_description.h"

#include <cstring>

namespace {

void CopyCut(char* field, size_t size, const char* text) {
  size_t length = text ? strnlen(text, size - 1) : 0;
  if (length) memcpy(field, text, length);
  memset(field + length, 0, size - length);
}

}  // namespace

void CPresetDescription::SetName(const char* name) { CopyCut(fRecord.data(), kNameSize, name); }

void CPresetDescription::SetDescription(const char* description) {
  CopyCut(fRecord.data() + kNameSize, kDescriptionSize, description);
}
