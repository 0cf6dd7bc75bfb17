// The interface's layout records ("canv", "elem", "rsel", "rmel", ...): each is found by key in a
// resource environment, converted by its record handler between the stored (big-endian) order and
// the machine's, checked for its size, tag and version, and read while it is held locked.
#pragma once

#include <cstdint>

#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_table_spec.h"
#include "framework/core/subscriber.h"

struct SSoftShadow;

// What a record handler knows of its record: its tag and version, its least size, and where its
// numbers are (the words turned around; texts stay as they are).
struct SWordRange {
  uint32_t first;  // byte offsets, [first, end), whole words
  uint32_t end;
};
struct SLayoutRecordForm {
  const char* tagAndVersion;  // 8 characters, "elem0100"
  uint32_t minBytes;
  const SWordRange* numbers;
  uint32_t numberRanges;
};

// The body of a record handler: messages 5, 6 and 7 check the size, turn the numbers around and
// check the tag and version, the status 2 and false on any mismatch (a short record is left alone);
// every other message goes to the default record handler.
uint32_t HandleLayoutRecord(CSpoolMem* record, uint32_t message, void* argument, const SLayoutRecordForm& form);

// Fields of a record in machine order.
uint32_t RecordWordAt(const uint8_t* data, uint32_t offset);
inline int32_t RecordSignedAt(const uint8_t* data, uint32_t offset) { return int32_t(RecordWordAt(data, offset)); }
float RecordFloatAt(const uint8_t* data, uint32_t offset);
// A shadow field: dx, dy and radius (words), then opacity (float); the other settings are left alone.
void RecordShadowAt(const uint8_t* data, uint32_t offset, SSoftShadow* shadow);
// A text field of `bytes` bytes, up to its terminator and cut so that the copy's terminator fits in
// `bytes`; false when the field has no terminator (it holds a longer text than its room allows).
bool RecordTextAt(const uint8_t* data, uint32_t offset, char* out, uint32_t bytes);

// Reads the record of `type` by name (when one is given) or by number through its handler and hands
// read (data, key) the record, at least minBytes long, while it is locked; the key carries the
// record's number. The environment's, the subscription's or the lock's code, 2 for a short record
// (an empty one never reaches its handler), else what read answers.
template <typename F>
int32_t ReadLayoutRecord(CResourceEnv* environment, const char* type, uint32_t number, const char* name,
                         SpoolTypeHandler handler, uint32_t minBytes, F read) {
  if (!environment || !environment->IsOpen()) return NonZeroError(environment ? environment->GetLastResult() : 0);
  CSubscriber record(SSpoolLayout{environment, 0, 0});
  SSpoolKey key;
  if (name) key.SetByName(type, name, false);
  else key.Set(type, number, false);
  SSpoolTableSpec spec;
  spec.Set(true, &key, SRange{-1, -1}, handler, nullptr, SSpoolTableSpec::kDefaultPriority);
  if (!record.Subscribe(spec)) return NonZeroError(record.GetError());
  CHolder holder(&record, false, false);
  if (!holder.IsLocked()) return NonZeroError(record.GetError());
  if (record.GetDataSize() < minBytes) return kErrInvalidFormat;
  return read(static_cast<const uint8_t*>(record.GetData()), record.GetKey());
}
