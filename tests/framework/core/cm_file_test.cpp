#include "framework/core/cm_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "cm_file_fixture.h"
#include "framework/core/progress.h"

namespace {

constexpr uint32_t kEmptyFileSize = 1436;  // header, then the directory chunk of 64 entries

TEST_F(CmFileTest, CreateWritesTheEmptyLayout) {
  CCmFile file(Spec("f.cmf"));
  ASSERT_EQ(file.Create(SRange{64, 16}), kNoErr);
  EXPECT_FALSE(file.IsOpen());
  const std::vector<uint8_t> bytes = ReadBytes(Path("f.cmf"));
  ASSERT_EQ(bytes.size(), kEmptyFileSize);
  EXPECT_EQ(std::memcmp(bytes.data() + 512, "Generic Composite File", 23), 0);
  EXPECT_EQ(BE32(bytes, 544), 0u);
  EXPECT_EQ(BE32(bytes, 548), 0u);
  const std::vector<uint8_t> volume = {0x01, 0, 0, 0, 0, 0, 0x03, 0, 0, 0, 0x02, 0x90, 0x01, 0, 0, 0, 0, 0,
                                       0,    0, 0, 0, 0, 0, 0,    0, 0, 0x40, 0, 0,  0,    0, 0, 0, 0, 0x10};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 584, bytes.begin() + 620), volume);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 620, bytes.begin() + 656), std::vector<uint8_t>(36, 0));
  EXPECT_EQ(ChunkAt("f.cmf", 656), (Chunk{0x30C, 0x300, 0}));

  EXPECT_EQ(file.Create(SRange{64, 16}), kErrObjectInUse);
  EXPECT_EQ(FileSize("f.cmf"), kEmptyFileSize);
  CCmFile zero(Spec("zero.cmf"));
  EXPECT_EQ(zero.Create(SRange{0, 16}), kErrGeneric);
  EXPECT_FALSE(platform::PathExists(Path("zero.cmf")));

  CCmFile named(Spec("named.cmf"));
  ASSERT_EQ(named.Create(SRange{4, 4}, FourCC("Quar"), FourCC("QDoc"), "Resource Composite File"), kNoErr);
  EXPECT_EQ(named.Open(CFile::kModeRead, "Resource Composite File"), kNoErr);
  EXPECT_STREQ(named.GetTypeName(), "Resource Composite File");
}

TEST_F(CmFileTest, AllocationExtendsTheFileAndClosingGivesTheTailBack) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  uint32_t number = 9;
  ASSERT_EQ(file.NewEntry(&number), kNoErr);
  EXPECT_EQ(number, 0u);
  ASSERT_EQ(file.SetEntrySize(0, 100), kNoErr);
  EXPECT_EQ(FileSize("f.cmf"), 1548u);
  EXPECT_EQ(ChunkAt("f.cmf", kEmptyFileSize), (Chunk{112, 100, 0}));
  ASSERT_EQ(file.SetEntrySize(0, 0), kNoErr);
  EXPECT_TRUE(file.IsEntryUsed(0));
  EXPECT_EQ(file.Close(), kNoErr);
  EXPECT_EQ(FileSize("f.cmf"), kEmptyFileSize);
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  EXPECT_EQ(file.GetFreeBytes(), 0u);
  EXPECT_EQ(file.GetFirstFree(), 0u);
  EXPECT_EQ(file.GetInUse(), 1u);
}

TEST_F(CmFileTest, ALargeEnoughRemainderIsSplitOff) {
  struct Case {
    uint32_t size;
    Chunk used;
    uint32_t freeBytes;
  } cases[] = {{156, {212, 156, 0}, 0}, {155, {167, 155, 0}, 33}};
  for (const Case& c : cases) {
    const std::string name = "split" + std::to_string(c.size);
    CCmFile file(Spec(name));
    MakeSplitCase(file, c.size);
    EXPECT_EQ(ChunkAt(name, kEmptyFileSize), c.used) << c.size;
    EXPECT_EQ(file.GetFreeBytes(), c.freeBytes) << c.size;
    if (c.freeBytes) {
      EXPECT_EQ(file.GetFirstFree(), 1603u);
      EXPECT_EQ(ChunkAt(name, 1603), (Chunk{45, 33, 0}));
    }
    EXPECT_TRUE(HoldsPattern(file, 1, 10, 1));
    EXPECT_TRUE(HoldsPattern(file, 2, c.size, 1));
  }
}

TEST_F(CmFileTest, EntriesRoundTrip) {
  const uint32_t sizes[] = {0, 1, 12, 4095, 100000};
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  for (uint32_t i = 0; i < 5; ++i) ASSERT_EQ(AddEntry(file, sizes[i], uint8_t(i + 1)), i);
  // Fragment the file: the second entry moves behind the others and a gap is reused.
  ASSERT_EQ(file.SetEntrySize(1, 0), kNoErr);
  AddEntry(file, 3000, 9);
  ASSERT_EQ(file.SetEntrySize(1, sizes[1]), kNoErr);
  ASSERT_EQ(WritePattern(file, 1, sizes[1], 2), kNoErr);
  for (const bool reopened : {false, true}) {
    if (reopened) {
      ASSERT_EQ(file.Close(), kNoErr);
      ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
    }
    for (uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(HoldsPattern(file, i, sizes[i], uint8_t(i + 1))) << sizes[i];
    EXPECT_TRUE(HoldsPattern(file, 5, 3000, 9));

    CMemBlock raw(4095 - 8, nullptr, 8);  // the whole storage, header bytes first
    ASSERT_EQ(file.ReadEntry(3, raw), kNoErr);
    EXPECT_EQ(raw.GetStorage()[4094], Pattern(4, 4094));
    CMemBlock range(5, nullptr);
    ASSERT_EQ(file.ReadEntryRange(4, range, 99990, 5), kNoErr);
    for (uint32_t k = 0; k < 5; ++k) EXPECT_EQ(range.GetData()[k], Pattern(5, 99990 + k));
    EXPECT_EQ(file.ReadEntryRange(4, range, 99996, 5), kErrEndOfFile);
    EXPECT_EQ(file.ReadEntryRange(4, range, 0, 6), kErrBufferSize);
  }
}

TEST_F(CmFileTest, RecordAndBlockMisuse) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  AddEntry(file, 50);
  CMemBlock small(49, nullptr);
  EXPECT_EQ(file.ReadEntryToData(0, small), kErrBufferSize);
  EXPECT_EQ(file.WriteEntryFromData(0, small), kErrBufferSize);
  EXPECT_EQ(file.UseEntry(0), kErrDamagedComposite);
  EXPECT_EQ(file.DeleteEntry(1), kErrDamagedComposite);
  EXPECT_EQ(file.SetEntrySize(1, 10), kErrDamagedComposite);
  EXPECT_EQ(file.UseEntry(7), kNoErr);
  EXPECT_EQ(file.DeleteEntry(7), kNoErr);
  EXPECT_EQ(file.DeleteEntry(7), kErrDamagedComposite);
  EXPECT_EQ(file.DeleteEntry(64), kErrInvalidParameter);
  EXPECT_FALSE(file.IsEntryUsed(64));
  EXPECT_EQ(file.GetEntryField(64), 0u);
  EXPECT_EQ(file.GetInUse(), 1u);
  ASSERT_EQ(file.Close(), kNoErr);
  EXPECT_EQ(file.Close(), kErrUnexpectedStatus);
  uint32_t number = 0;
  EXPECT_EQ(file.NewEntry(&number), kErrUnexpectedStatus);
}

TEST_F(CmFileTest, TheDirectoryGrowsByItsStep) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file, SRange{2, 3});
  AddEntry(file, 10, 1);
  AddEntry(file, 20, 2);
  // The directory chain grows by 36 bytes with nothing free: 36 plus 4,096 bytes of disk are not enough.
  platform::SetTestFreeSpace(36 + 4096);
  const size_t before = FileSize("f.cmf");
  uint32_t number = 0;
  EXPECT_EQ(file.NewEntry(&number), kErrDiskFull);
  EXPECT_EQ(file.GetCapacity(), 2u);
  EXPECT_EQ(FileSize("f.cmf"), before);
  platform::SetTestFreeSpace(36 + 4097);
  ASSERT_EQ(file.NewEntry(&number), kNoErr);
  EXPECT_EQ(number, 2u);
  EXPECT_EQ(file.GetCapacity(), 5u);
  EXPECT_EQ(file.GetDirectoryRecord().size, 60u);
  platform::SetTestFreeSpace(-1);
  ASSERT_EQ(file.UseEntry(9), kNoErr);  // beyond the step: grows to hold it
  EXPECT_EQ(file.GetCapacity(), 10u);
  ASSERT_EQ(file.Close(), kNoErr);
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  EXPECT_EQ(file.GetCapacity(), 10u);
  EXPECT_EQ(file.GetInUse(), 4u);
  EXPECT_TRUE(HoldsPattern(file, 0, 10, 1));
  EXPECT_TRUE(HoldsPattern(file, 1, 20, 2));
  ASSERT_EQ(file.Close(), kNoErr);

  CCmFile fixed(Spec("fixed.cmf"));
  CreateOpen(fixed, SRange{1, 0});
  ASSERT_EQ(fixed.NewEntry(&number), kNoErr);
  EXPECT_EQ(fixed.NewEntry(&number), kErrCannotExpand);
  EXPECT_EQ(fixed.UseEntry(1), kErrCannotExpand);
}

// A new entry takes the lowest free record, however the records were used and freed before; a large
// directory grows by an eighth of itself rather than by its small step.
TEST_F(CmFileTest, ANewEntryTakesTheLowestFreeRecordAndALargeDirectoryGrowsByAnEighth) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file, SRange{16, 16});
  uint32_t number = 0;
  for (uint32_t i = 0; i < 12; ++i) ASSERT_EQ(file.NewEntry(&number), kNoErr);
  ASSERT_EQ(file.DeleteEntry(7), kNoErr);
  ASSERT_EQ(file.DeleteEntry(3), kNoErr);
  ASSERT_EQ(file.UseEntry(14), kNoErr);
  const uint32_t expected[] = {3, 7, 12, 13, 15, 16};
  for (uint32_t want : expected) {
    ASSERT_EQ(file.NewEntry(&number), kNoErr);
    EXPECT_EQ(number, want);
  }
  EXPECT_EQ(file.GetCapacity(), 32u);
  ASSERT_EQ(file.Close(), kNoErr);
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
  ASSERT_EQ(file.DeleteEntry(0), kNoErr);
  ASSERT_EQ(file.NewEntry(&number), kNoErr);
  EXPECT_EQ(number, 0u);

  ASSERT_EQ(file.UseEntry(999), kNoErr);
  EXPECT_EQ(file.GetCapacity(), 1000u);
  ASSERT_EQ(file.UseEntry(1000), kNoErr);
  EXPECT_EQ(file.GetCapacity(), 1125u);
  EXPECT_EQ(file.Close(), kNoErr);
}

// A scratch file's directory is not written each time it grows: the stored one is stale until the
// file closes, and then holds every entry the file made, its chunks apart from the entries' own.
TEST_F(CmFileTest, AScratchFileWritesItsGrownDirectoryOnlyAtClose) {
  for (const bool scratch : {false, true}) {
    CCmFile file(Spec("s.cmf"));
    CreateOpen(file, SRange{4, 4});
    file.SetScratch(scratch);
    std::vector<uint32_t> numbers;
    for (uint32_t i = 0; i < 200; ++i) numbers.push_back(AddEntry(file, 20 + i % 50, uint8_t(i)));
    {
      // The volume header's capacity, as stored: written by each growth, it is the file's own.
      std::ifstream stored(Path("s.cmf"), std::ios::binary);
      unsigned char raw[4] = {};
      stored.seekg(584 + 24);
      ASSERT_TRUE(stored.read(reinterpret_cast<char*>(raw), 4));
      const uint32_t capacity = uint32_t(raw[0]) << 24 | uint32_t(raw[1]) << 16 | uint32_t(raw[2]) << 8 | raw[3];
      EXPECT_EQ(capacity == file.GetCapacity(), !scratch) << capacity;
    }
    ASSERT_EQ(file.Close(), kNoErr);
    ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
    for (uint32_t i = 0; i < numbers.size(); ++i) EXPECT_TRUE(HoldsPattern(file, numbers[i], 20 + i % 50, uint8_t(i))) << i;
    ASSERT_EQ(file.Close(), kNoErr);
    std::filesystem::remove(Path("s.cmf"));
  }
}

// Entries made, resized and deleted at random: after each round every entry holds its own bytes and
// the free chain the file holds counts the free bytes the file reports, open and after reopening.
TEST_F(CmFileTest, RandomResizesKeepEveryEntryAndTheFreeChainWhole) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file, SRange{8, 8});
  std::vector<std::pair<uint32_t, uint8_t>> live(40, {0, 0});  // size and seed of entries 0 to 39
  std::vector<bool> used(40, false);
  uint32_t state = 12345;
  const auto next = [&state](uint32_t below) { return (state = state * 1103515245 + 12345) / 65536 % below; };
  const auto check = [&](const char* when, int round) {
    for (uint32_t n = 0; n < used.size(); ++n) {
      if (used[n]) {
        ASSERT_TRUE(HoldsPattern(file, n, live[n].first, live[n].second)) << when << round << " " << n;
      }
    }
    CCmFile::SUsage usage;
    ASSERT_EQ(file.GetUsage(&usage), kNoErr) << when << round;
    EXPECT_EQ(usage.free.dataBytes, file.GetFreeBytes()) << when << round;
    // Every byte past the header belongs to the directory, an entry or the free chain.
    uint64_t accounted = CCmFile::kFirstChunk + usage.directory.chunkBytes + usage.free.chunkBytes;
    CDynTable<CCmFile::SChunk> chunks(SRange{8, 8});
    for (uint32_t n = 0; n < used.size(); ++n) {
      if (!used[n]) continue;
      ASSERT_EQ(file.GetEntryChain(n, chunks), kNoErr);
      for (uint32_t i = 0; i < chunks.GetCount(); ++i) accounted += chunks[i].size;
    }
    uint32_t length = 0;
    ASSERT_EQ(file.GetLength(&length), kNoErr);
    EXPECT_EQ(accounted, length) << when << round;
  };
  for (int round = 0; round < 300; ++round) {
    const uint32_t n = next(40);
    if (used[n] && next(4) == 0) {
      ASSERT_EQ(file.DeleteEntry(n), kNoErr);
      used[n] = false;
    } else {
      if (!used[n]) {
        ASSERT_EQ(file.UseEntry(n), kNoErr);
      }
      used[n] = true;
      live[n] = {next(3) == 0 ? 0 : next(700), uint8_t(round)};
      ASSERT_EQ(file.SetEntrySize(n, live[n].first), kNoErr);
      if (live[n].first) {
        ASSERT_EQ(WritePattern(file, n, live[n].first, live[n].second), kNoErr);
      }
    }
    check("open ", round);
    if (round % 50 == 49) {
      ASSERT_EQ(file.Close(), kNoErr);
      ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
      check("reopened ", round);
    }
  }
  EXPECT_EQ(file.Close(), kNoErr);
}

TEST_F(CmFileTest, GrowingPastTheFreeBytesNeedsDiskRoom) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  AddEntry(file, 300);
  AddEntry(file, 10);
  ASSERT_EQ(file.SetEntrySize(0, 0), kNoErr);  // 300 bytes free
  platform::SetTestFreeSpace(200 + 4096);
  const size_t before = FileSize("f.cmf");
  EXPECT_EQ(file.SetEntrySize(1, 510), kErrDiskFull);
  EXPECT_EQ(file.GetEntryField(1), 10u);
  EXPECT_EQ(FileSize("f.cmf"), before);
  EXPECT_TRUE(HoldsPattern(file, 1, 10, 1));
  EXPECT_EQ(file.SetEntrySize(1, 310), kNoErr);  // within the free bytes: no disk needed
  platform::SetTestFreeSpace(200 + 4097);
  EXPECT_EQ(file.SetEntrySize(1, 510), kNoErr);
}

TEST_F(CmFileTest, DeletingTheLastEntriesShrinksTheFileAtClose) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  AddEntry(file, 1000, 1);
  AddEntry(file, 500, 2);
  AddEntry(file, 700, 3);
  const size_t withTwo = kEmptyFileSize + 1012 + 512;
  ASSERT_EQ(file.DeleteEntry(2), kNoErr);
  ASSERT_EQ(file.DeleteEntry(1), kNoErr);
  ASSERT_EQ(file.Close(), kNoErr);
  EXPECT_EQ(FileSize("f.cmf"), withTwo - 512);
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  EXPECT_EQ(file.GetInUse(), 1u);
  EXPECT_EQ(file.GetFreeBytes(), 0u);
  EXPECT_TRUE(HoldsPattern(file, 0, 1000, 1));
}

TEST_F(CmFileTest, OpenRefusesWhatIsNotAGoodCompositeFile) {
  CCmFile good(Spec("good"));
  ASSERT_EQ(good.Create(SRange{64, 16}), kNoErr);
  const std::vector<uint8_t> original = ReadBytes(Path("good"));
  constexpr uint32_t kOrdb = FourCC("Ordb");  // the signature begins "Orda"
  struct Case {
    const char* what;
    size_t at;  // a big-endian word to change (two of them when at2 is not 0)
    uint32_t value;
    size_t at2;
    uint32_t value2;
    int32_t result;
  } cases[] = {
      {"signature differs by one character", 0, kOrdb, 0, 0, kErrCompositeExpected},
      {"tag code", 544, 1, 0, 0, kErrInvalidTag},
      {"key code", 548, 1, 0, 0, kErrInvalidKey},
      {"directory state", 584, 0, 0, 0, kErrGeneric},
      {"format flag", 596, 0, 0, 0, kErrGeneric},
      {"capacity 0", 608, 0, 0, 0, kErrGeneric},
      {"in use above capacity", 612, 65, 0, 0, kErrGeneric},
      {"directory size not capacity times 12", 588, 0x304, 0, 0, kErrGeneric},
      {"directory larger than the file", 608, 0x1000, 588, 0xC000, kErrDamagedData},
      {"directory chunk points back to itself", 664, 656, 0, 0, kErrDamagedData},
      {"directory chain shorter than the directory", 660, 512, 0, 0, kErrDamagedData},
      {"directory chunk claims more than it holds", 660, 772, 0, 0, kErrDamagedData},
      {"directory outside the file", 592, 0x100290, 0, 0, kErrDamagedData},
      {"directory before the chunks", 592, 600, 0, 0, kErrDamagedData},
      {"directory chunk size below 12", 656, 4, 0, 0, kErrDamagedData},
      {"an entry larger than the file", 668 + 4, 0x10000, 0, 0, kErrDamagedData},
  };
  for (const Case& c : cases) {
    WriteBytes(Path("bad"), original);
    PutBE32("bad", c.at, c.value);
    if (c.at2) PutBE32("bad", c.at2, c.value2);
    const std::vector<uint8_t> bytes = ReadBytes(Path("bad"));
    CCmFile file(Spec("bad"));
    EXPECT_EQ(file.Open(CFile::kModeReadWrite), c.result) << c.what;
    EXPECT_FALSE(file.IsOpen()) << c.what;
    EXPECT_EQ(ReadBytes(Path("bad")), bytes) << c.what;
  }
  WriteBytes(Path("short"), std::vector<uint8_t>(original.begin(), original.begin() + 656));
  EXPECT_EQ(CCmFile(Spec("short")).Open(CFile::kModeReadWrite), kErrCompositeExpected);
  EXPECT_EQ(CCmFile(Spec("missing")).Open(CFile::kModeReadWrite), kErrFileNotFound);

  CCmFile file(Spec("good"));
  EXPECT_EQ(file.Open(CFile::kModeReadWrite, "Another Composite File"), kErrInvalidFormat);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Open(CFile::kModeReadWrite, "Generic Composite File"), kNoErr);
}

TEST_F(CmFileTest, DamagedChainsAnswerEightAndChangeNothing) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  AddEntry(file, 100, 1);  // chunk at 1436
  AddEntry(file, 100, 2);  // chunk at 1548
  AddEntry(file, 100, 3);  // chunk at 1660
  ASSERT_EQ(file.DeleteEntry(1), kNoErr);
  ASSERT_EQ(file.Close(), kNoErr);
  const std::vector<uint8_t> good = ReadBytes(Path("f.cmf"));
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"free chain loops back on itself", 1548 + 8, 1548},
      {"free chunk size below 12", 1548, 8},
      {"free chunk beyond the file", 1548 + 8, 100000},
      {"free chunk before the chunks", 1548 + 8, 600},
      {"entry chunk loops back on itself", 1436 + 8, 1436},
      {"entry chunk longer than the file", 1436, 5000},
  };
  for (const Case& c : cases) {
    WriteBytes(Path("f.cmf"), good);
    PutBE32("f.cmf", c.at, c.value);
    const std::vector<uint8_t> damaged = ReadBytes(Path("f.cmf"));
    ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr) << c.what;
    CMemBlock block(100, nullptr);
    const bool entryDamaged = c.at < 1548;
    EXPECT_EQ(file.ReadEntryToData(0, block), entryDamaged ? kErrDamagedData : kNoErr) << c.what;
    EXPECT_EQ(file.SetEntrySize(0, 300), kErrDamagedData) << c.what;
    EXPECT_EQ(file.DeleteEntry(0), kErrDamagedData) << c.what;
    CCmFile::SUsage usage;
    EXPECT_EQ(file.GetUsage(&usage), entryDamaged ? kNoErr : kErrDamagedData) << c.what;
    EXPECT_EQ(file.Close(), kNoErr) << c.what;
    EXPECT_EQ(ReadBytes(Path("f.cmf")), damaged) << c.what;
  }
}

TEST_F(CmFileTest, AFileOpenedForReadingIsNeverWritten) {
  CCmFile file(Spec("f.cmf"));
  CreateOpen(file);
  AddEntry(file, 100);
  ASSERT_EQ(file.Close(), kNoErr);
  const std::vector<uint8_t> before = ReadBytes(Path("f.cmf"));
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  uint32_t number = 0;
  EXPECT_EQ(file.NewEntry(&number), kErrPermission);
  EXPECT_EQ(file.SetEntrySize(0, 5), kErrPermission);
  EXPECT_EQ(file.DeleteEntry(0), kErrPermission);
  EXPECT_EQ(file.FlushDirectory(), kErrPermission);
  EXPECT_TRUE(HoldsPattern(file, 0, 100, 1));
  EXPECT_EQ(file.Close(), kNoErr);
  EXPECT_EQ(ReadBytes(Path("f.cmf")), before);
}

TEST_F(CmFileTest, UsageCountsChainsAndSlack) {
  CCmFile file(Spec("f.cmf"));
  MakeSplitCase(file, 156);  // 44 bytes of slack stay in entry 2's chunk
  CCmFile::SUsage usage;
  ASSERT_EQ(file.GetUsage(&usage), kNoErr);
  EXPECT_EQ(usage.inUse, 3u);
  EXPECT_EQ(usage.capacity, 64u);
  EXPECT_EQ(usage.step, 16u);
  EXPECT_EQ(usage.directory.dataBytes, 768u);
  EXPECT_EQ(usage.directory.chunkBytes, 780u);
  EXPECT_EQ(usage.directory.chunks, 1u);
  EXPECT_FALSE(usage.directory.fragmented);
  EXPECT_EQ(usage.free.chunks, 0u);
  ASSERT_EQ(file.SetEntrySize(2, 0), kNoErr);
  AddEntry(file, 20, 4);
  ASSERT_EQ(file.SetEntrySize(1, 0), kNoErr);
  ASSERT_EQ(file.GetUsage(&usage), kNoErr);
  EXPECT_EQ(usage.free.chunks, 2u);
  EXPECT_TRUE(usage.free.fragmented);
  EXPECT_EQ(usage.free.dataBytes, file.GetFreeBytes());
}

// Offsets are 32-bit: a growth that would put the end of the file past 4 GiB changes nothing.
TEST_F(CmFileTest, TheFileEndStaysWithinThirtyTwoBits) {
  platform::SetTestFreeSpace(int64_t(1) << 40);
  CCmFile file(Spec("big.cmf"));
  CreateOpen(file, SRange{4, 4});
  uint32_t number = 0;
  ASSERT_EQ(file.NewEntry(&number), kNoErr);
  ASSERT_EQ(file.SetEntrySize(0, 0xFFFF0000u), kNoErr);  // sparse: nothing is written
  ASSERT_EQ(file.NewEntry(&number), kNoErr);
  const size_t before = std::filesystem::file_size(Path("big.cmf"));
  EXPECT_EQ(file.SetEntrySize(1, 0x10000), kErrDiskFull);
  EXPECT_EQ(file.GetEntryField(1), 0u);
  EXPECT_EQ(std::filesystem::file_size(Path("big.cmf")), before);
  EXPECT_EQ(file.SetEntrySize(1, 0x1000), kNoErr);
  ASSERT_EQ(file.UseEntry(3), kNoErr);
  EXPECT_EQ(file.UseEntry(10000), kErrDiskFull);  // 120,000 bytes of directory do not fit
  EXPECT_EQ(file.GetCapacity(), 4u);
}

class CompactTest : public CmFileTest {
 protected:
  void SetUp() override {
    CmFileTest::SetUp();
    ASSERT_TRUE(CProgress::InitSystem(64, SRange{4, 4}));
    ASSERT_TRUE(ProgressSubscribe(this, CountSteps));
    // A file fragmented by deletes and resizes; entries 0, 2, 3 and 5 stay.
    CCmFile file(Spec("doc"));
    CreateOpen(file, SRange{8, 4});
    for (uint32_t i = 0; i < 6; ++i) AddEntry(file, 1000 + 300 * i, uint8_t(i));
    ASSERT_EQ(file.DeleteEntry(1), kNoErr);
    ASSERT_EQ(file.DeleteEntry(4), kNoErr);
    ASSERT_EQ(file.SetEntrySize(2, 3000), kNoErr);
    ASSERT_EQ(WritePattern(file, 2, 3000, 2), kNoErr);
    ASSERT_EQ(file.SetEntrySize(3, 10), kNoErr);
    ASSERT_EQ(WritePattern(file, 3, 10, 3), kNoErr);
    ASSERT_EQ(file.Close(), kNoErr);
    ASSERT_TRUE(platform::SetPathWriteTime(Path("doc"), kTime));
  }
  void TearDown() override {
    CProgress::EndSystem();
    CmFileTest::TearDown();
  }
  static int32_t CountSteps(void* owner, void* record, void*) {
    if (static_cast<SProgressRecord*>(record)->message == kProgressChanged) ++static_cast<CompactTest*>(owner)->steps_;
    return 0;
  }
  uint32_t FreeChunkBytes() {
    CCmFile file(Spec("doc"));
    CCmFile::SUsage usage;
    EXPECT_EQ(file.Open(CFile::kModeRead), kNoErr);
    EXPECT_EQ(file.GetUsage(&usage), kNoErr);
    return usage.free.chunkBytes;
  }
  size_t FolderEntries() const {
    return size_t(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
  }
  static constexpr int64_t kTime = 1000000000LL * 1400000000;
  uint32_t steps_ = 0;
};

TEST_F(CompactTest, KeepsEveryEntryUnderItsNumberInAShorterFile) {
  const size_t before = FileSize("doc");
  ASSERT_GT(FreeChunkBytes(), 0u);
  CCmFile file(Spec("doc"));
  ASSERT_EQ(file.Compact(), kNoErr);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_LT(FileSize("doc"), before);
  EXPECT_EQ(steps_, 4u);
  int64_t time = 0;
  ASSERT_TRUE(platform::GetPathWriteTime(Path("doc"), &time));
  EXPECT_EQ(time, kTime);
  EXPECT_EQ(FolderEntries(), 2u);  // the document and the temporary folder

  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  EXPECT_EQ(file.GetInUse(), 4u);
  EXPECT_EQ(file.GetCapacity(), 8u);
  EXPECT_EQ(file.GetStep(), 4u);
  EXPECT_EQ(file.GetFreeBytes(), 0u);
  EXPECT_FALSE(file.IsEntryUsed(1));
  EXPECT_FALSE(file.IsEntryUsed(4));
  EXPECT_TRUE(HoldsPattern(file, 0, 1000, 0));
  EXPECT_TRUE(HoldsPattern(file, 2, 3000, 2));
  EXPECT_TRUE(HoldsPattern(file, 3, 10, 3));
  EXPECT_TRUE(HoldsPattern(file, 5, 2500, 5));
}

TEST_F(CompactTest, RefusalsLeaveTheFileAsItWas) {
  const std::vector<uint8_t> before = ReadBytes(Path("doc"));
  const uint64_t needed = before.size() - FreeChunkBytes() + 12292;
  CCmFile file(Spec("doc"));
  platform::SetTestFreeSpace(int64_t(needed));
  EXPECT_EQ(file.Compact(), kErrDiskFull);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadBytes(Path("doc")), before);
  EXPECT_EQ(FolderEntries(), 2u);

  platform::SetTestFreeSpace(-1);
  std::filesystem::permissions(Path("doc"), std::filesystem::perms::owner_read);
  EXPECT_EQ(file.Compact(), kErrPermission);
  EXPECT_EQ(ReadBytes(Path("doc")), before);

  std::filesystem::permissions(Path("doc"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  platform::SetTestFreeSpace(int64_t(needed) + 1);
  EXPECT_EQ(file.Compact(), kNoErr);
}

}  // namespace
