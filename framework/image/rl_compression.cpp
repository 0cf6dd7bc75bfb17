#include "framework/image/rl_compression.h"

#include <algorithm>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/result_codes.h"

namespace {

constexpr uint8_t kNoOperation = 0x80;
constexpr uint8_t kLastLiteralFlag = 0x7F;

}  // namespace

int32_t CRLCompression::Decode(uint8_t* row, uint32_t rowLength, CByteReader& packed) {
  uint32_t filled = 0;
  while (filled < rowLength) {
    uint8_t flag = 0;
    if (!packed.ReadU8(&flag)) return kErrInvalidFormat;
    if (flag == kNoOperation) continue;
    const uint32_t room = rowLength - filled;
    if (flag <= kLastLiteralFlag) {
      const uint32_t kept = std::min(uint32_t(flag) + 1, room);
      if (!packed.ReadBytes(row + filled, kept)) return kErrInvalidFormat;
      filled += kept;
    } else {
      uint8_t value = 0;
      if (!packed.ReadU8(&value)) return kErrInvalidFormat;
      const uint32_t kept = std::min(257u - flag, room);
      std::memset(row + filled, value, kept);
      filled += kept;
    }
  }
  return kNoErr;
}
