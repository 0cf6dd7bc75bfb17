// Composite files made at test time, and readers of their stored bytes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/mem_block.h"
#include "framework/core/result_codes.h"
#include "temp_dir_fixture.h"

class CmFileTest : public TempDirTest {
 protected:
  using Chunk = std::array<uint32_t, 3>;  // {chunk size, data length, next}

  static uint32_t BE32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes.at(at)) << 24 | uint32_t(bytes.at(at + 1)) << 16 | uint32_t(bytes.at(at + 2)) << 8 |
           bytes.at(at + 3);
  }
  Chunk ChunkAt(const std::string& name, uint32_t offset) const {
    const std::vector<uint8_t> bytes = ReadBytes(Path(name));
    return {BE32(bytes, offset), BE32(bytes, offset + 4), BE32(bytes, offset + 8)};
  }
  size_t FileSize(const std::string& name) const { return ReadBytes(Path(name)).size(); }
  void PutBE32(const std::string& name, size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = ReadBytes(Path(name));
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = uint8_t(value >> (24 - 8 * i));
    WriteBytes(Path(name), bytes);
  }

  // Creates the file with the given directory and opens it for reading and writing.
  void CreateOpen(CCmFile& file, SRange growth = SRange{64, 16}) {
    ASSERT_EQ(file.Create(growth), kNoErr);
    ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  }

  // A new entry of size bytes holding Pattern(seed).
  static uint32_t AddEntry(CCmFile& file, uint32_t size, uint8_t seed = 1) {
    uint32_t number = 0;
    EXPECT_EQ(file.NewEntry(&number), kNoErr);
    EXPECT_EQ(file.SetEntrySize(number, size), kNoErr);
    EXPECT_EQ(WritePattern(file, number, size, seed), kNoErr);
    return number;
  }
  static int32_t WritePattern(CCmFile& file, uint32_t number, uint32_t size, uint8_t seed) {
    CMemBlock block(size, nullptr);
    for (uint32_t i = 0; i < size; ++i) block.GetData()[i] = Pattern(seed, i);
    return file.WriteEntryFromData(number, block);
  }
  static uint8_t Pattern(uint8_t seed, uint32_t i) { return uint8_t(seed * 31 + i * 7 + i / 251); }
  static bool HoldsPattern(CCmFile& file, uint32_t number, uint32_t size, uint8_t seed) {
    CMemBlock block(size, nullptr);
    if (file.GetEntryField(number) != size || file.ReadEntryToData(number, block) != kNoErr) return false;
    for (uint32_t i = 0; i < size; ++i) {
      if (block.GetData()[i] != Pattern(seed, i)) return false;
    }
    return true;
  }

  // Entry 0 of 200 bytes freed again in front of a 10-byte entry 1, then entry 2 of `size` bytes
  // taken from the freed chunk.
  void MakeSplitCase(CCmFile& file, uint32_t size) {
    CreateOpen(file);
    AddEntry(file, 200);
    AddEntry(file, 10);
    ASSERT_EQ(file.SetEntrySize(0, 0), kNoErr);
    ASSERT_EQ(file.GetFreeBytes(), 200u);
    ASSERT_EQ(AddEntry(file, size), 2u);
  }
};
