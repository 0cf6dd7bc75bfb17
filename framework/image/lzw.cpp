#include "framework/image/lzw.h"

#include <memory>

#include "framework/core/result_codes.h"

namespace {

constexpr uint32_t kStartCode = 1;

}  // namespace

bool LzwCodeReader::Read(uint32_t width, uint32_t* code) {
  if (fBitPosition >= uint64_t(fSize) * 8) return false;
  const size_t index = size_t(fBitPosition / 8);
  const uint32_t window = uint32_t(ByteAt(index)) << 24 | uint32_t(ByteAt(index + 1)) << 16 |
                          uint32_t(ByteAt(index + 2)) << 8 | ByteAt(index + 3);
  *code = (window << (fBitPosition % 8)) >> (32 - width);
  fBitPosition += width;
  return true;
}

void CLZWTable::Reset() {
  for (uint32_t code = 0; code < kClearCode; ++code) {
    fEntries[code] = SEntry{uint16_t(code), 1, uint8_t(code), uint8_t(code)};
  }
  fNextFree = kFirstFreeCode;
}

void CLZWTable::AddString(uint32_t prefix, uint32_t suffix) {
  if (fNextFree >= kCodeCount) return;
  const SEntry& head = fEntries[prefix];
  fEntries[fNextFree++] = SEntry{uint16_t(prefix), uint16_t(head.length + 1), head.first, fEntries[suffix].first};
}

uint32_t CLZWTable::WriteString(uint32_t code, uint8_t* out, size_t room) const {
  const uint32_t length = fEntries[code].length;
  // The string is walked from its last byte back to its first.
  for (uint32_t at = length; at-- > 0;) {
    if (at < room) out[at] = fEntries[code].last;
    code = fEntries[code].prefix;
  }
  return length < room ? length : uint32_t(room);
}

uint32_t CLZWTable::CodeWidth() const {
  if (fNextFree < 511) return 9;
  if (fNextFree < 1023) return 10;
  if (fNextFree < 2047) return 11;
  return 12;
}

int32_t TiffLzwDecode(const uint8_t* strip, size_t stripBytes, uint8_t* out, size_t capacity, size_t* decoded) {
  *decoded = 0;
  std::unique_ptr<CLZWTable> table(new CLZWTable);
  if (!table) return kErrTiffOutOfMemory;
  LzwCodeReader reader(strip, stripBytes);
  size_t written = 0;
  // A strip that does not begin with a clear code starts as if the code before it had been 1.
  bool hasPrevious = true;
  uint32_t previous = kStartCode;
  while (written < capacity) {
    uint32_t code = 0;
    if (!reader.Read(table->CodeWidth(), &code)) return kErrInvalidFormat;
    if (code == CLZWTable::kEndCode) break;
    if (code == CLZWTable::kClearCode) {
      table->Reset();
      hasPrevious = false;
      continue;
    }
    if (table->IsDefined(code)) {
      if (hasPrevious) table->AddString(previous, code);
    } else if (hasPrevious && code == table->GetNextFree()) {
      // The string that the encoder added just before sending it: the previous one and its own
      // first byte.
      table->AddString(previous, previous);
    } else {
      return kErrInvalidFormat;
    }
    written += table->WriteString(code, out + written, capacity - written);
    previous = code;
    hasPrevious = true;
  }
  *decoded = written;
  return kNoErr;
}
