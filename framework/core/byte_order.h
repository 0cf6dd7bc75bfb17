// Stored formats are big-endian; these convert 32-bit words and doubles to and from that order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

constexpr uint32_t SwapLong(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

constexpr uint16_t SwapShort(uint16_t value) { return uint16_t((value >> 8) | (value << 8)); }

// The double whose eight bytes are the given two words' bytes in reverse order: each word reversed
// and the two words exchanged.
inline double SwapDouble(uint32_t lowWord, uint32_t highWord) {
  const uint64_t bits = (uint64_t(SwapLong(lowWord)) << 32) | SwapLong(highWord);
  return std::bit_cast<double>(bits);
}

// A double held in memory with its bytes reversed, as read from or to be written to a stored record.
inline double SwapDouble(double value) {
  return std::bit_cast<double>(__builtin_bswap64(std::bit_cast<uint64_t>(value)));
}
