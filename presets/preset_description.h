// The stored description of one preset: a 321-byte record of a name (64 bytes, at most 63
// characters) and a description (257 bytes, at most 256), each zero-terminated.
//
// Placeholder: an in-memory record with its final setters and getters; the stored resource comes
// with the preset libraries.
#pragma once

#include <array>
#include <cstddef>

class CPresetDescription {
 public:
  static constexpr size_t kNameSize = 64;
  static constexpr size_t kDescriptionSize = 257;
  static constexpr size_t kRecordSize = kNameSize + kDescriptionSize;

  // Copy a text into its field, cut to the field and terminated; null gives an empty text.
  void SetName(const char* name);
  void SetDescription(const char* description);

  const char* GetName() const { return fRecord.data(); }
  const char* GetDescription() const { return fRecord.data() + kNameSize; }

 private:
  std::array<char, kRecordSize> fRecord{};
};
