// A composite file: numbered entries of any size in one file. Each entry is a chain of chunks, freed
// chunks form a free chain that later allocations reuse, and the directory of entry records is itself
// a chain. Swap files, resource files, layout files and scene documents are composite files.
//
// Layout (all numbers big-endian): a 512-byte signature text, a 32-byte type name, tag and key codes,
// 32 zero bytes, the 72-byte volume header at 584, then chunks from 656 on. A chunk is a 12-byte
// header {chunk size with header, data length, next chunk or 0} and its bytes. The directory and the
// volume header are written only at close (or FlushDirectory); every other change is on disk at once.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/core/dyn_table.h"
#include "framework/core/file.h"
#include "framework/core/four_cc.h"
#include "framework/core/rect.h"

class CMemBlock;

class CCmFile : public CFile {
 public:
  static constexpr uint32_t kFirstChunk = 656;
  static constexpr uint32_t kChunkHeaderBytes = 12;
  static constexpr uint32_t kEntryBytes = 12;
  static constexpr uint32_t kTypeNameBytes = 32;
  static constexpr const char* kGenericTypeName = "Generic Composite File";

  // A directory record in host order; state 1 used, 0 free.
  struct SEntry {
    uint8_t state = 0;
    uint8_t reserved[3] = {0, 0, 0};
    uint32_t size = 0;
    uint32_t first = 0;  // 0 when size is 0
  };

  // One chunk of a chain as stored.
  struct SChunk {
    uint32_t offset = 0;
    uint32_t size = 0;    // with its header
    uint32_t length = 0;  // data bytes held; a free chunk's whole capacity
    uint32_t next = 0;
  };

  struct SChainUsage {
    uint32_t dataBytes = 0;
    uint32_t chunkBytes = 0;
    uint32_t chunks = 0;
    bool fragmented = false;  // more than one chunk, or one chunk with slack
  };

  // Read by compaction's callers to decide whether it is worth it.
  struct SUsage {
    uint32_t inUse = 0;
    uint32_t capacity = 0;
    uint32_t step = 0;
    SChainUsage directory;
    SChainUsage free;
  };

  explicit CCmFile(const CFileSpec& spec);
  ~CCmFile() override;

  // growth = {directory capacity, growth step}. Creates the file (failing when it exists) with an
  // empty directory and closes it again.
  int32_t Create(SRange growth, uint32_t creator = 0, uint32_t fileType = FourCC(".cmf"),
                 const char* typeName = nullptr);
  int32_t Open(uint32_t mode, const char* expectedTypeName = nullptr);
  int32_t Close();
  int32_t FlushDirectory();

  int32_t NewEntry(uint32_t* number);
  int32_t UseEntry(uint32_t number);
  int32_t DeleteEntry(uint32_t number);
  int32_t SetEntrySize(uint32_t number, uint32_t size);
  bool IsEntryUsed(uint32_t number) const;
  uint32_t GetEntryField(uint32_t number) const;  // the entry's size; 0 beyond the capacity

  int32_t ReadEntry(uint32_t number, CMemBlock& block);        // into the whole storage
  int32_t ReadEntryToData(uint32_t number, CMemBlock& block);  // into the data area
  int32_t ReadEntryRange(uint32_t number, CMemBlock& block, uint32_t offset, uint32_t count);
  int32_t WriteEntry(uint32_t number, const CMemBlock& block);  // the entry's current size
  int32_t WriteEntryFromData(uint32_t number, const CMemBlock& block);

  int32_t GetUsage(SUsage* usage);
  // Rewrites the closed file without free chunks, keeping every entry under its number; the path
  // keeps its last-write time. One progress step per copied entry.
  int32_t Compact();

  // The chains as stored, checked chunk by chunk: 8 when one is broken.
  int32_t GetEntryChain(uint32_t number, CDynTable<SChunk>& chunks);
  int32_t GetDirectoryChain(CDynTable<SChunk>& chunks);
  int32_t GetFreeChain(CDynTable<SChunk>& chunks);

  const char* GetTypeName() const { return fTypeName; }
  uint32_t GetCapacity() const { return fCapacity; }
  uint32_t GetInUse() const { return fInUse; }
  uint32_t GetStep() const { return fStep; }
  uint32_t GetFreeBytes() const { return fFreeBytes; }
  uint32_t GetFirstFree() const { return fFirstFree; }
  const SEntry& GetDirectoryRecord() const { return fDirRecord; }

 private:
  int32_t CheckOpen(bool modifies) const;
  int32_t CheckEntry(uint32_t number, bool modifies) const;
  int32_t ReadHeader(const char* expectedTypeName);
  int32_t WriteSignatureHeader();
  int32_t WriteVolumeHeader();
  int32_t ReadDirectory(uint32_t length);
  int32_t WriteDirectory();
  int32_t AllocateDirectory(uint32_t capacity);
  int32_t SetDirectoryCapacity(uint32_t entries);
  void ReleaseDirectory();

  int32_t ReadChunk(uint32_t offset, uint32_t fileLength, SChunk* chunk);
  int32_t WriteChunk(const SChunk& chunk);
  int32_t WalkChain(uint32_t first, CDynTable<SChunk>& chunks);
  int32_t WalkRecord(const SEntry& record, CDynTable<SChunk>& chunks);
  int32_t Transfer(const CDynTable<SChunk>& chunks, uint32_t offset, uint8_t* bytes, uint32_t count, bool write);
  // count bytes at offset between an entry and memory with room for `room` bytes; UINT32_MAX for
  // count means the whole entry.
  int32_t TransferEntry(uint32_t number, uint32_t offset, uint32_t count, uint8_t* bytes, uint32_t room, bool write);
  // The table a transfer walks its entry's chain into: the one kept from the last transfer, or a new
  // one while another transfer holds that.
  std::unique_ptr<CDynTable<SChunk>> TakeChainTable();
  void KeepChainTable(std::unique_ptr<CDynTable<SChunk>> table);

  int32_t ResizeChain(SEntry& record, uint32_t newSize);
  int32_t CheckGrowth(uint64_t shortfall, uint64_t extension);
  int32_t FreeChain(SEntry& record, const CDynTable<SChunk>& chunks);
  int32_t AllocateChain(SEntry& record, uint32_t size);
  int32_t TidyFreeChain();
  // The free chain as the file holds it, read once and then kept in step with every change made
  // here: each resize would otherwise read every free chunk's header from the file again.
  int32_t LoadFreeList();
  int32_t CopyEntries(CCmFile& target, uint32_t entries);

  char fTypeName[kTypeNameBytes] = {};
  SEntry fDirRecord;
  uint8_t fFormat = 0;
  uint32_t fFreeBytes = 0;
  uint32_t fFirstFree = 0;
  uint32_t fCapacity = 0;
  uint32_t fInUse = 0;
  uint32_t fStep = 0;
  // Every record below it is in use: the search for the lowest free one starts here, so that making
  // entries one after another does not walk the whole directory each time.
  uint32_t fFirstUnused = 0;
  CDynTable<SEntry>* fDirectory = nullptr;
  // The free chunks in chain order, with their headers as written; valid while fFreeListLoaded.
  std::vector<SChunk> fFreeList;
  // Kept from one transfer to the next while the file is open: reading record after record would
  // otherwise allocate and free a table for each.
  std::mutex fChainTableLock;
  std::unique_ptr<CDynTable<SChunk>> fChainTable;
  bool fFreeListLoaded = false;
  bool fDirectoryChanged = false;
  bool fFreeChainChanged = false;
};
