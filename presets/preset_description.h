// The stored description of one preset: a 321-byte record of a name (64 bytes, at most 63
// characters) and a description (257 bytes, at most 256), each zero-terminated, stored as
// "CPresetDescr" (materials and skies) or "objpresetdesc" (objects) under the preset's id.
//
// The record holds Mac OS Roman; the setters take and the getters give the interface's Windows-1252.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CResourceEnv;

class CPresetDescription {
 public:
  static constexpr size_t kNameSize = 64;
  static constexpr size_t kDescriptionSize = 257;
  static constexpr size_t kRecordSize = kNameSize + kDescriptionSize;
  static constexpr const char* kMaterialType = "CPresetDescr";
  static constexpr const char* kObjectType = "objpresetdesc";

  // Copy a text into its field, cut to the field and terminated; null gives an empty text.
  void SetName(const char* name);
  void SetDescription(const char* description);

  const char* GetName() const { return fName.c_str(); }
  const char* GetDescription() const { return fDescription.c_str(); }
  const std::array<char, kRecordSize>& GetRecord() const { return fRecord; }

  // The stored bytes taken as the record: a shorter record is read as far as it goes, and each field
  // only up to its own end, terminated or not.
  void SetRecord(const uint8_t* bytes, size_t size);

  // The record stored under {type, id}, written over one already there: 0 or the library's code.
  int32_t Store(CResourceEnv* library, const char* type, uint32_t id) const;
  // The record of {type, id}: 0, or 6 when it cannot be read.
  int32_t Read(CResourceEnv* library, const char* type, uint32_t id);

 private:
  void Decode();

  std::array<char, kRecordSize> fRecord{};
  std::string fName;
  std::string fDescription;
};
