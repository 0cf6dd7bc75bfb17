// Reading a record's group-code/value pairs into its fields: each record kind lists which group code
// fills which field with which kind of value.
#pragma once

#include <cstddef>
#include <cstdint>

enum EFieldType : uint8_t {
  kFieldReal,
  kFieldInteger,
  kFieldName,
  kFieldFourthCorner,  // a real of a face's fourth corner, which makes the face four-cornered
  kFieldDash,          // a linetype's dash length, appended to its list
};

struct SField {
  int32_t token;
  EFieldType type;
  uint16_t offset;  // in the record
};

// The field that token fills, or null.
const SField* FindField(const SField* fields, size_t count, int32_t token);
template <size_t N>
const SField* FindField(const SField (&fields)[N], int32_t token) {
  return FindField(fields, N, token);
}

// Reads the next line as the field's value into record. Sets the import's error on failure.
void ReadField(void* record, const SField& field);
