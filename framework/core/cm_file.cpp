#include "framework/core/cm_file.h"

#include <algorithm>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/mem_block.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"

namespace {

// Our own wording; a file is accepted only when its first bytes are this text and its terminator.
constexpr char kSignature[] =
    "Ordax composite file: numbered entries stored as chains of chunks behind a directory.\r\n"
    "Written by Quarn2. Do not edit.\r\n";
static_assert(sizeof kSignature <= 512, "the signature field holds 511 characters and a zero");

enum : uint32_t {
  kSignatureBytes = 512,
  kTypeNameOffset = 512,
  kVolumeOffset = 584,
  kVolumeBytes = 72,
  kChunk = CCmFile::kChunkHeaderBytes,
  kSplitSlack = 44,        // a remainder this small stays in the used chunk as slack
  kDiskMargin = 4096,      // free disk a growth must leave beyond its shortfall
  kCompactMargin = 12292,  // free disk a compaction needs beyond the copy's bytes
  kCopyPiece = 65536,
};

constexpr uint64_t kMaxFileEnd = 0xFFFFFFFF;  // offsets are stored in 32 bits
constexpr SRange kChainSpec{16, 64};
constexpr uint32_t kWholeEntry = UINT32_MAX;

uint32_t Capacity(const CCmFile::SChunk& chunk) { return chunk.size - kChunk; }

}  // namespace

CCmFile::CCmFile(const CFileSpec& spec) : CFile(spec) {}

CCmFile::~CCmFile() {
  if (fOpen) Close();
  ReleaseDirectory();
}

// ---- checks ----

int32_t CCmFile::CheckOpen(bool modifies) const {
  if (!fOpen) return kErrUnexpectedStatus;
  if (!fDirectory) return kErrGeneric;
  // A file opened for reading is never written, not even at close.
  if (modifies && fMode == kModeRead) return kErrPermission;
  return kNoErr;
}

int32_t CCmFile::CheckEntry(uint32_t number, bool modifies) const {
  if (const int32_t err = CheckOpen(modifies)) return err;
  return number < fCapacity ? kNoErr : kErrInvalidParameter;
}

// ---- creating, opening and closing ----

int32_t CCmFile::Create(SRange growth, uint32_t creator, uint32_t fileType, const char* typeName) {
  if (fOpen) return kErrUnexpectedStatus;
  if (growth.first <= 0) return kErrGeneric;
  if (growth.second < 0) return kErrInvalidParameter;
  if (uint64_t(growth.first) * kEntryBytes + kFirstChunk + kChunk > kMaxFileEnd) return kErrDiskFull;
  if (!typeName) typeName = kGenericTypeName;
  if (std::strlen(typeName) >= kTypeNameBytes) return kErrInvalidParameter;
  if (const int32_t err = CFile::Create(creator, fileType)) return err;

  int32_t err = CFile::Open(kModeReadWrite);
  if (!err) {
    std::memset(fTypeName, 0, sizeof fTypeName);
    std::strcpy(fTypeName, typeName);
    fDirRecord = SEntry{1, {0, 0, 0}, 0, 0};
    fFormat = 1;
    fFreeBytes = fFirstFree = fInUse = 0;
    fCapacity = uint32_t(growth.first);
    fStep = uint32_t(growth.second);
    err = AllocateDirectory(fCapacity);
  }
  if (!err) err = SetSize(kFirstChunk);
  if (!err) err = WriteSignatureHeader();
  if (!err) err = ResizeChain(fDirRecord, uint32_t(fCapacity * kEntryBytes));
  if (err) {
    ReleaseDirectory();
    CFile::Close();
    Delete();
    return err;
  }
  fDirectoryChanged = true;
  return Close();
}

int32_t CCmFile::Open(uint32_t mode, const char* expectedTypeName) {
  if (const int32_t err = CFile::Open(mode)) return err;
  uint32_t length = 0;
  int32_t err = GetSize(&length);
  if (!err) err = length <= kFirstChunk ? kErrCompositeExpected : ReadHeader(expectedTypeName);
  if (!err) err = ReadDirectory(length);
  if (err) {
    ReleaseDirectory();
    CFile::Close();
    return err;
  }
  fDirectoryChanged = false;
  fFreeChainChanged = false;
  return kNoErr;
}

int32_t CCmFile::Close() {
  if (!fOpen) return kErrUnexpectedStatus;
  int32_t err = kNoErr;
  if (fMode != kModeRead && fDirectory) {
    err = TidyFreeChain();
    const int32_t flushed = FlushDirectory();
    if (!err) err = flushed;
  }
  ReleaseDirectory();
  const int32_t closed = Flush();
  return err ? err : closed;
}

int32_t CCmFile::FlushDirectory() {
  if (const int32_t err = CheckOpen(true)) return err;
  if (!fDirectoryChanged) return kNoErr;
  if (const int32_t err = WriteDirectory()) return err;
  if (fCapacity == 0 || fInUse > fCapacity) return kErrGeneric;
  if (const int32_t err = WriteVolumeHeader()) return err;
  fDirectoryChanged = false;
  return kNoErr;
}

// ---- the stored header ----

int32_t CCmFile::ReadHeader(const char* expectedTypeName) {
  uint8_t raw[kFirstChunk];
  if (const int32_t err = ReadAt(0, raw, sizeof raw)) return err;
  if (std::memcmp(raw, kSignature, sizeof kSignature) != 0) return kErrCompositeExpected;

  CByteReader in(raw, sizeof raw);
  char typeName[kTypeNameBytes];
  uint32_t tag = 0;
  uint32_t key = 0;
  in.Seek(kTypeNameOffset);
  if (!in.ReadTextField(typeName, sizeof typeName)) return kErrInvalidFormat;
  if (expectedTypeName && std::strcmp(typeName, expectedTypeName) != 0) return kErrInvalidFormat;
  in.ReadBE32(&tag);
  in.ReadBE32(&key);
  if (tag != 0) return kErrInvalidTag;
  if (key != 0) return kErrInvalidKey;

  SEntry dir;
  uint8_t format = 0;
  uint32_t freeBytes = 0, firstFree = 0, capacity = 0, inUse = 0, step = 0;
  in.Seek(kVolumeOffset);
  in.ReadU8(&dir.state);
  in.Skip(3);
  in.ReadBE32(&dir.size);
  in.ReadBE32(&dir.first);
  in.ReadU8(&format);
  in.Skip(3);
  in.ReadBE32(&freeBytes);
  in.ReadBE32(&firstFree);
  in.ReadBE32(&capacity);
  in.ReadBE32(&inUse);
  in.ReadBE32(&step);
  if (capacity == 0 || inUse > capacity || dir.state == 0 || format == 0 ||
      uint64_t(capacity) * kEntryBytes != dir.size)
    return kErrGeneric;

  std::memcpy(fTypeName, typeName, sizeof fTypeName);
  fDirRecord = dir;
  fFormat = format;
  fFreeBytes = freeBytes;
  fFirstFree = firstFree;
  fCapacity = capacity;
  fInUse = inUse;
  fStep = step;
  return kNoErr;
}

int32_t CCmFile::WriteSignatureHeader() {
  uint8_t raw[kVolumeOffset] = {};
  std::memcpy(raw, kSignature, sizeof kSignature);
  std::memcpy(raw + kTypeNameOffset, fTypeName, kTypeNameBytes);
  return WriteAt(0, raw, sizeof raw);  // tag and key codes 0
}

int32_t CCmFile::WriteVolumeHeader() {
  uint8_t raw[kVolumeBytes] = {};
  raw[0] = fDirRecord.state;
  StoreBE32(raw + 4, fDirRecord.size);
  StoreBE32(raw + 8, fDirRecord.first);
  raw[12] = fFormat;
  StoreBE32(raw + 16, fFreeBytes);
  StoreBE32(raw + 20, fFirstFree);
  StoreBE32(raw + 24, fCapacity);
  StoreBE32(raw + 28, fInUse);
  StoreBE32(raw + 32, fStep);
  return WriteAt(kVolumeOffset, raw, sizeof raw);
}

// ---- the directory ----

int32_t CCmFile::AllocateDirectory(uint32_t capacity) {
  ReleaseDirectory();
  fFirstUnused = 0;
  if (capacity > uint32_t(INT32_MAX)) return kErrOutOfMemory;
  fDirectory = new CDynTable<SEntry>(SRange{int32_t(capacity), int32_t(std::min<uint32_t>(fStep, INT32_MAX))});
  if (fDirectory && fDirectory->IsValid() && fDirectory->AppendN(nullptr, capacity)) return kNoErr;
  ReleaseDirectory();
  return kErrOutOfMemory;
}

void CCmFile::ReleaseDirectory() {
  std::unique_ptr<CDynTable<SChunk>> kept;
  {
    const std::lock_guard<std::mutex> guard(fChainTableLock);
    kept = std::move(fChainTable);
  }
  kept.reset();
  fFreeList.clear();
  fFreeListLoaded = false;
  delete fDirectory;
  fDirectory = nullptr;
}

int32_t CCmFile::ReadDirectory(uint32_t length) {
  // Checked before anything is allocated for it: a directory cannot be larger than the file.
  if (fDirRecord.size > length - kFirstChunk) return kErrDamagedData;
  CDynTable<SChunk> chunks(kChainSpec);
  CMemBlock raw(fDirRecord.size, nullptr);
  if (!chunks.IsValid() || !raw.IsOwned()) return kErrOutOfMemory;
  if (const int32_t err = WalkRecord(fDirRecord, chunks)) return err;
  if (const int32_t err = Transfer(chunks, 0, raw.GetData(), fDirRecord.size, false)) return err;
  if (const int32_t err = AllocateDirectory(fCapacity)) return err;
  CByteReader in(raw.GetData(), raw.GetSize());
  for (uint32_t i = 0; i < fCapacity; ++i) {
    SEntry& entry = (*fDirectory)[i];
    in.ReadU8(&entry.state);
    in.Skip(3);
    in.ReadBE32(&entry.size);
    in.ReadBE32(&entry.first);
    // Readers size their memory by an entry's size before its chain is walked: no entry can hold
    // more than the file's chunks.
    if (entry.size > length - kFirstChunk) {
      ReleaseDirectory();
      return kErrDamagedData;
    }
  }
  return kNoErr;
}

int32_t CCmFile::WriteDirectory() {
  CDynTable<SChunk> chunks(kChainSpec);
  CMemBlock raw(fDirRecord.size, nullptr);
  if (!chunks.IsValid() || !raw.IsOwned()) return kErrOutOfMemory;
  if (uint64_t(fCapacity) * kEntryBytes != fDirRecord.size) return kErrDamagedData;
  if (const int32_t err = WalkRecord(fDirRecord, chunks)) return err;
  uint8_t* out = raw.GetData();
  for (uint32_t i = 0; i < fCapacity; ++i, out += kEntryBytes) {
    const SEntry& entry = (*fDirectory)[i];
    out[0] = entry.state;
    StoreBE32(out + 4, entry.size);
    StoreBE32(out + 8, entry.first);
  }
  return Transfer(chunks, 0, raw.GetData(), fDirRecord.size, true);
}

// A large directory grows by an eighth of itself when that is more than its step: each growth
// rewrites the whole directory, and by the step alone a file of many entries would be rewritten
// once every step entries.
int32_t CCmFile::SetDirectoryCapacity(uint32_t entries) {
  if (entries <= fCapacity) return kNoErr;
  if (fStep == 0) return kErrCannotExpand;
  const uint64_t capacity = uint64_t(fCapacity) + std::max({entries - fCapacity, fStep, fCapacity / 8});
  const uint64_t bytes = capacity * kEntryBytes;
  if (bytes > kMaxFileEnd) return kErrDiskFull;
  const uint32_t added = uint32_t(capacity - fCapacity);
  if (!fDirectory->AppendN(nullptr, added)) return kErrOutOfMemory;
  if (const int32_t err = ResizeChain(fDirRecord, uint32_t(bytes))) {
    fDirectory->RemoveAt(fCapacity, added);
    return err;
  }
  fCapacity = uint32_t(capacity);
  fDirectoryChanged = true;
  // The old directory's chunks went back to the free chain: the stored one must follow at once,
  // unless nothing will ever read it (a scratch file), where the whole directory written each time a
  // swap file of many entries grows would be most of the work of making them.
  return fScratch ? kNoErr : FlushDirectory();
}

// ---- entries ----

int32_t CCmFile::NewEntry(uint32_t* number) {
  *number = 0;
  if (const int32_t err = CheckOpen(true)) return err;
  // The lowest free record, or the first one past a full directory, which grows to hold it.
  uint32_t chosen = fCapacity;
  if (fInUse < fCapacity) {
    for (chosen = std::min(fFirstUnused, fCapacity); chosen < fCapacity && (*fDirectory)[chosen].state; ++chosen) {
    }
    if (chosen == fCapacity) return kErrGeneric;
  }
  // Every record below the chosen one is in use: the next search starts past it, not over them again.
  fFirstUnused = chosen;
  if (const int32_t err = UseEntry(chosen)) return err;
  *number = chosen;
  return kNoErr;
}

int32_t CCmFile::UseEntry(uint32_t number) {
  if (const int32_t err = CheckOpen(true)) return err;
  if (number == UINT32_MAX) return kErrInvalidParameter;
  if (const int32_t err = SetDirectoryCapacity(number + 1)) return err;
  if ((*fDirectory)[number].state) return kErrDamagedComposite;
  (*fDirectory)[number] = SEntry{1, {0, 0, 0}, 0, 0};
  if (number == fFirstUnused) ++fFirstUnused;
  ++fInUse;
  fDirectoryChanged = true;
  return kNoErr;
}

int32_t CCmFile::DeleteEntry(uint32_t number) {
  if (const int32_t err = CheckEntry(number, true)) return err;
  SEntry& entry = (*fDirectory)[number];
  if (!entry.state) return kErrDamagedComposite;
  if (const int32_t err = ResizeChain(entry, 0)) return err;
  entry = SEntry{};
  fFirstUnused = std::min(fFirstUnused, number);
  if (fInUse) --fInUse;
  fDirectoryChanged = true;
  return kNoErr;
}

int32_t CCmFile::SetEntrySize(uint32_t number, uint32_t size) {
  if (const int32_t err = CheckEntry(number, true)) return err;
  SEntry& entry = (*fDirectory)[number];
  // Chunks given to a free record could never be freed again.
  if (!entry.state) return kErrDamagedComposite;
  return ResizeChain(entry, size);
}

bool CCmFile::IsEntryUsed(uint32_t number) const {
  return fDirectory && number < fCapacity && (*fDirectory)[number].state != 0;
}

uint32_t CCmFile::GetEntryField(uint32_t number) const {
  return (fDirectory && number < fCapacity) ? (*fDirectory)[number].size : 0;
}

int32_t CCmFile::ReadEntry(uint32_t number, CMemBlock& block) {
  return TransferEntry(number, 0, kWholeEntry, block.GetStorage(), block.GetAllocated(), false);
}

int32_t CCmFile::ReadEntryToData(uint32_t number, CMemBlock& block) {
  return TransferEntry(number, 0, kWholeEntry, block.GetData(), block.GetSize(), false);
}

int32_t CCmFile::ReadEntryRange(uint32_t number, CMemBlock& block, uint32_t offset, uint32_t count) {
  return TransferEntry(number, offset, count, block.GetStorage(), block.GetAllocated(), false);
}

int32_t CCmFile::WriteEntry(uint32_t number, const CMemBlock& block) {
  return TransferEntry(number, 0, kWholeEntry, block.GetStorage(), block.GetAllocated(), true);
}

int32_t CCmFile::WriteEntryFromData(uint32_t number, const CMemBlock& block) {
  return TransferEntry(number, 0, kWholeEntry, block.GetData(), block.GetSize(), true);
}

int32_t CCmFile::TransferEntry(uint32_t number, uint32_t offset, uint32_t count, uint8_t* bytes, uint32_t room,
                               bool write) {
  if (const int32_t err = CheckEntry(number, write)) return err;
  const SEntry& entry = (*fDirectory)[number];
  if (count == kWholeEntry) count = entry.size;
  if (count > room) return kErrBufferSize;
  if (uint64_t(offset) + count > entry.size) return kErrEndOfFile;
  std::unique_ptr<CDynTable<SChunk>> chunks = TakeChainTable();
  if (!chunks || !chunks->IsValid()) return kErrOutOfMemory;
  int32_t err = WalkRecord(entry, *chunks);
  if (!err) err = Transfer(*chunks, offset, bytes, count, write);
  KeepChainTable(std::move(chunks));
  return err;
}

std::unique_ptr<CDynTable<CCmFile::SChunk>> CCmFile::TakeChainTable() {
  {
    const std::lock_guard<std::mutex> guard(fChainTableLock);
    if (fChainTable) return std::move(fChainTable);
  }
  return std::unique_ptr<CDynTable<SChunk>>(new CDynTable<SChunk>(kChainSpec));
}

// A table is freed only with the lock let go: freeing takes the memory lock, which a page-out holds
// while it writes an entry.
void CCmFile::KeepChainTable(std::unique_ptr<CDynTable<SChunk>> table) {
  std::unique_ptr<CDynTable<SChunk>> spare = std::move(table);
  const std::lock_guard<std::mutex> guard(fChainTableLock);
  if (!fChainTable && fDirectory) fChainTable = std::move(spare);
}

// ---- chains ----

int32_t CCmFile::ReadChunk(uint32_t offset, uint32_t fileLength, SChunk* chunk) {
  if (offset < kFirstChunk || offset >= fileLength || fileLength - offset < kChunk) return kErrDamagedData;
  uint8_t raw[kChunk];
  if (ReadAt(offset, raw, sizeof raw)) return kErrDamagedData;
  CByteReader in(raw, sizeof raw);
  chunk->offset = offset;
  in.ReadBE32(&chunk->size);
  in.ReadBE32(&chunk->length);
  in.ReadBE32(&chunk->next);
  if (chunk->size < kChunk || chunk->size > fileLength - offset || chunk->length > Capacity(*chunk))
    return kErrDamagedData;
  return kNoErr;
}

int32_t CCmFile::WriteChunk(const SChunk& chunk) {
  uint8_t raw[kChunk];
  StoreBE32(raw, chunk.size);
  StoreBE32(raw + 4, chunk.length);
  StoreBE32(raw + 8, chunk.next);
  return WriteAt(chunk.offset, raw, sizeof raw);
}

// Every walk is bounded by the number of chunk headers the file could hold, so a chain that loops
// back on itself ends with 8 instead of running forever.
int32_t CCmFile::WalkChain(uint32_t first, CDynTable<SChunk>& chunks) {
  chunks.Clear();
  if (first == 0) return kNoErr;
  uint32_t length = 0;
  if (const int32_t err = GetSize(&length)) return err;
  const uint32_t limit = length / kChunk;
  for (uint32_t offset = first; offset != 0;) {
    if (chunks.GetCount() >= limit) return kErrDamagedData;
    SChunk chunk;
    if (const int32_t err = ReadChunk(offset, length, &chunk)) return err;
    if (!chunks.Append(chunk)) return kErrOutOfMemory;
    offset = chunk.next;
  }
  return kNoErr;
}

int32_t CCmFile::WalkRecord(const SEntry& record, CDynTable<SChunk>& chunks) {
  if ((record.size == 0) != (record.first == 0)) return kErrDamagedData;
  if (const int32_t err = WalkChain(record.first, chunks)) return err;
  uint64_t total = 0;
  for (uint32_t i = 0; i < chunks.GetCount(); ++i) total += chunks[i].length;
  return total == record.size ? kNoErr : kErrDamagedData;
}

// Moves count bytes at an entry offset between memory and a walked chain.
int32_t CCmFile::Transfer(const CDynTable<SChunk>& chunks, uint32_t offset, uint8_t* bytes, uint32_t count,
                          bool write) {
  uint64_t start = 0;
  for (uint32_t i = 0; i < chunks.GetCount() && count; ++i) {
    const SChunk& chunk = chunks[i];
    const uint64_t end = start + chunk.length;
    if (offset < end) {
      const uint32_t within = uint32_t(offset - start);
      const uint32_t n = std::min(count, chunk.length - within);
      const uint32_t at = chunk.offset + kChunk + within;
      const int32_t err = write ? WriteAt(at, bytes, n) : ReadAt(at, bytes, n);
      if (err) return err;
      bytes += n;
      offset += n;
      count -= n;
    }
    start = end;
  }
  return count ? kErrDamagedData : kNoErr;
}

int32_t CCmFile::GetEntryChain(uint32_t number, CDynTable<SChunk>& chunks) {
  if (const int32_t err = CheckEntry(number, false)) return err;
  return WalkRecord((*fDirectory)[number], chunks);
}

int32_t CCmFile::GetDirectoryChain(CDynTable<SChunk>& chunks) {
  if (const int32_t err = CheckOpen(false)) return err;
  return WalkRecord(fDirRecord, chunks);
}

int32_t CCmFile::GetFreeChain(CDynTable<SChunk>& chunks) {
  if (const int32_t err = CheckOpen(false)) return err;
  return WalkChain(fFirstFree, chunks);
}

// ---- allocation ----

int32_t CCmFile::ResizeChain(SEntry& record, uint32_t newSize) {
  if (newSize == record.size) return kNoErr;
  CDynTable<SChunk> chunks(kChainSpec);
  if (!chunks.IsValid()) return kErrOutOfMemory;
  // Both chains are checked before anything changes, so a damaged file answers 8 untouched.
  if (const int32_t err = WalkRecord(record, chunks)) return err;
  if (const int32_t err = LoadFreeList()) return err;
  uint64_t ownCapacity = 0;
  for (uint32_t i = 0; i < chunks.GetCount(); ++i) ownCapacity += Capacity(chunks[i]);
  const uint64_t available = fFreeBytes + ownCapacity;
  const uint64_t extension = newSize > available ? newSize - available + kChunk : 0;
  const uint64_t shortfall = newSize > uint64_t(record.size) + fFreeBytes ? newSize - record.size - fFreeBytes : 0;
  if (const int32_t err = CheckGrowth(shortfall, extension)) return err;

  if (const int32_t err = FreeChain(record, chunks)) return err;
  if (newSize == 0) return kNoErr;
  if (const int32_t err = TidyFreeChain()) return err;
  return AllocateChain(record, newSize);
}

// A growth past the free chain needs disk room for its shortfall with a margin, and must keep the
// file's end within the 32-bit offsets of the format.
int32_t CCmFile::CheckGrowth(uint64_t shortfall, uint64_t extension) {
  if (shortfall) {
    uint32_t disk = 0;
    if (const int32_t err = GetFreeSpace(&disk)) return err;
    if (disk <= shortfall + kDiskMargin) return kErrDiskFull;
  }
  uint32_t length = 0;
  if (const int32_t err = GetSize(&length)) return err;
  return length + extension > kMaxFileEnd ? kErrDiskFull : kNoErr;
}

int32_t CCmFile::LoadFreeList() {
  if (fFreeListLoaded) return kNoErr;
  CDynTable<SChunk> chunks(kChainSpec);
  if (!chunks.IsValid()) return kErrOutOfMemory;
  if (const int32_t err = WalkChain(fFirstFree, chunks)) return err;
  fFreeList.assign(chunks.GetRecords(), chunks.GetRecords() + chunks.GetCount());
  fFreeListLoaded = true;
  return kNoErr;
}

int32_t CCmFile::FreeChain(SEntry& record, const CDynTable<SChunk>& chunks) {
  const uint32_t count = chunks.GetCount();
  std::vector<SChunk> freed;
  freed.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    SChunk chunk = chunks[i];
    chunk.length = Capacity(chunk);
    chunk.next = i + 1 < count ? chunks[i + 1].offset : fFirstFree;
    if (const int32_t err = WriteChunk(chunk)) {
      fFreeListLoaded = false;
      return err;
    }
    fFreeBytes += chunk.length;
    freed.push_back(chunk);
  }
  fFreeList.insert(fFreeList.begin(), freed.begin(), freed.end());
  if (count) {
    fFirstFree = chunks[0].offset;
    fFreeChainChanged = true;
  }
  record.size = 0;
  record.first = 0;
  fDirectoryChanged = true;
  return kNoErr;
}

// Takes free chunks in chain order, then extends the file for what they cannot hold. The last chunk
// taken is split when enough of it remains to be worth a free chunk of its own.
int32_t CCmFile::AllocateChain(SEntry& record, uint32_t size) {
  uint32_t length = 0;
  if (const int32_t err = GetSize(&length)) return err;
  if (const int32_t err = LoadFreeList()) return err;
  uint32_t needed = size;
  uint32_t first = 0;
  uint32_t taken = 0;
  SChunk last;
  size_t used = 0;
  for (; needed && fFreeBytes && fFirstFree; ++used) {
    if (used == fFreeList.size() || fFreeList[used].offset != fFirstFree) return kErrDamagedData;
    const SChunk& chunk = fFreeList[used];
    if (!first) first = chunk.offset;
    taken = std::min(needed, Capacity(chunk));
    needed -= taken;
    fFreeBytes -= std::min(fFreeBytes, Capacity(chunk));
    fFirstFree = chunk.next;
    last = chunk;
  }
  fFreeList.erase(fFreeList.begin(), fFreeList.begin() + std::ptrdiff_t(used));
  // A failed write below leaves the file's chain for the next load to check.
  fFreeListLoaded = false;
  fFreeChainChanged = true;
  fDirectoryChanged = true;
  if (needed) {
    const SChunk tail{length, needed + kChunk, needed, 0};
    if (const int32_t err = SetSize(length + needed + kChunk)) return err;
    if (const int32_t err = WriteChunk(tail)) return err;
    if (first) {
      last.next = tail.offset;
      if (const int32_t err = WriteChunk(last)) return err;
    } else {
      first = tail.offset;
    }
  } else {
    const uint32_t rest = Capacity(last) - taken;
    if (rest > kSplitSlack) {
      const SChunk split{last.offset + kChunk + taken, rest, rest - kChunk, last.next};
      if (const int32_t err = WriteChunk(split)) return err;
      fFreeList.insert(fFreeList.begin(), split);
      fFirstFree = split.offset;
      fFreeBytes += split.length;
      last.size = kChunk + taken;
    }
    last.length = taken;
    last.next = 0;
    if (const int32_t err = WriteChunk(last)) return err;
  }
  fFreeListLoaded = true;
  record.first = first;
  record.size = size;
  return kNoErr;
}

// Sorts the free chain by offset, merges neighbours and gives a chunk at the end of the file back
// to the file system.
int32_t CCmFile::TidyFreeChain() {
  if (!fFreeChainChanged || fFreeBytes == 0) return kNoErr;
  if (const int32_t err = LoadFreeList()) return err;
  std::vector<SChunk> sorted = fFreeList;
  std::sort(sorted.begin(), sorted.end(), [](const SChunk& a, const SChunk& b) { return a.offset < b.offset; });
  // Each chunk that stays in the chain beside its header as the file holds it: only the headers
  // that change are written.
  std::vector<SChunk> list, written;
  for (size_t i = 0; i < sorted.size(); ++i) {
    if (i + 1 < sorted.size() && uint64_t(sorted[i].offset) + sorted[i].size > sorted[i + 1].offset)
      return kErrDamagedData;
    if (!list.empty() && list.back().offset + list.back().size == sorted[i].offset) {
      list.back().size += sorted[i].size;
    } else {
      list.push_back(sorted[i]);
      written.push_back(sorted[i]);
    }
  }
  uint32_t length = 0;
  if (const int32_t err = GetSize(&length)) return err;
  if (!list.empty() && list.back().offset + list.back().size == length) {
    if (const int32_t err = SetSize(list.back().offset)) return err;
    list.pop_back();
  }
  uint32_t freeBytes = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    SChunk& chunk = list[i];
    chunk.length = Capacity(chunk);
    chunk.next = i + 1 < list.size() ? list[i + 1].offset : 0;
    const SChunk& was = written[i];
    if (chunk.size != was.size || chunk.length != was.length || chunk.next != was.next) {
      if (const int32_t err = WriteChunk(chunk)) {
        fFreeListLoaded = false;
        return err;
      }
    }
    freeBytes += chunk.length;
  }
  fFreeList = std::move(list);
  fFirstFree = fFreeList.empty() ? 0 : fFreeList[0].offset;
  fFreeBytes = freeBytes;
  fFreeChainChanged = false;
  fDirectoryChanged = true;
  return kNoErr;
}

// ---- usage and compaction ----

namespace {

CCmFile::SChainUsage UsageOf(const CDynTable<CCmFile::SChunk>& chunks) {
  CCmFile::SChainUsage usage;
  usage.chunks = chunks.GetCount();
  for (uint32_t i = 0; i < usage.chunks; ++i) {
    usage.dataBytes += chunks[i].length;
    usage.chunkBytes += chunks[i].size;
  }
  usage.fragmented = usage.chunks > 1 || (usage.chunks == 1 && Capacity(chunks[0]) > chunks[0].length);
  return usage;
}

}  // namespace

int32_t CCmFile::GetUsage(SUsage* usage) {
  *usage = SUsage{};
  if (const int32_t err = CheckOpen(false)) return err;
  CDynTable<SChunk> chunks(kChainSpec);
  if (!chunks.IsValid()) return kErrOutOfMemory;
  usage->inUse = fInUse;
  usage->capacity = fCapacity;
  usage->step = fStep;
  if (const int32_t err = WalkRecord(fDirRecord, chunks)) return err;
  usage->directory = UsageOf(chunks);
  if (const int32_t err = WalkChain(fFirstFree, chunks)) return err;
  usage->free = UsageOf(chunks);
  return kNoErr;
}

int32_t CCmFile::Compact() {
  if (fOpen) return kErrUnexpectedStatus;
  bool readOnly = true;
  if (const int32_t err = IsReadOnly(&readOnly)) return err;
  if (readOnly) return kErrPermission;
  CFileSpec tempSpec;
  if (const int32_t err = CFileSpec::MakeTempBeside(fSpec, tempSpec)) return err;
  if (const int32_t err = Open(kModeRead)) return err;

  CCmFile copy(tempSpec);
  SUsage usage;
  uint32_t length = 0;
  uint32_t disk = 0;
  int32_t err = GetUsage(&usage);
  if (!err) err = GetSize(&length);
  if (!err) err = GetFreeSpace(&disk);
  if (!err && disk <= uint64_t(length) - usage.free.chunkBytes + kCompactMargin) err = kErrDiskFull;
  if (!err) err = copy.Create(SRange{int32_t(fCapacity), int32_t(fStep)}, FourCC("TEMP"), FourCC("TEMP"), fTypeName);
  if (err) {
    Close();
    return err;
  }
  err = copy.Open(kModeReadWrite);
  if (!err) err = CopyEntries(copy, usage.inUse);
  const int32_t copyClosed = copy.fOpen ? copy.Close() : kNoErr;
  Close();
  if (!err) err = copyClosed;
  if (!err) err = ExchangeFiles(fSpec, tempSpec);
  // After a failure the copy is dropped; after the exchange the temporary path holds the old file.
  const int32_t deleted = copy.Delete();
  return err ? err : deleted;
}

int32_t CCmFile::CopyEntries(CCmFile& target, uint32_t entries) {
  CProgress progress(entries);
  CMemBlock buffer(kCopyPiece, nullptr);
  CDynTable<SChunk> from(kChainSpec);
  CDynTable<SChunk> to(kChainSpec);
  if (!buffer.IsOwned() || !from.IsValid() || !to.IsValid()) return kErrOutOfMemory;
  for (uint32_t number = 0; number < fCapacity; ++number) {
    const SEntry& entry = (*fDirectory)[number];
    if (!entry.state) continue;
    if (const int32_t err = target.UseEntry(number)) return err;
    if (const int32_t err = target.SetEntrySize(number, entry.size)) return err;
    if (const int32_t err = WalkRecord(entry, from)) return err;
    if (const int32_t err = target.WalkRecord((*target.fDirectory)[number], to)) return err;
    for (uint32_t done = 0; done < entry.size;) {
      const uint32_t n = std::min<uint32_t>(kCopyPiece, entry.size - done);
      if (const int32_t err = Transfer(from, done, buffer.GetData(), n, false)) return err;
      if (const int32_t err = target.Transfer(to, done, buffer.GetData(), n, true)) return err;
      done += n;
    }
    progress.Step();
  }
  return kNoErr;
}
