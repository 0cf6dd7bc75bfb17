// A file over a platform handle, opened in one of four explicit modes. Every operation answers a
// result code; operations on the handle answer 15 while the file is closed.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/base_object.h"
#include "framework/core/file_spec.h"
#include "platform/file.h"

class CMemBlock;

class CFile : public CBaseObject {
 public:
  // Modes: 1 read (sharing read), 2 write (sharing write), 3 read and write (sharing read),
  // 4 read and write (sharing both). Mode 3 holds the file exclusively against every other open
  // and against deletion; the other modes hold it shared.
  enum Mode : uint32_t { kModeRead = 1, kModeWrite = 2, kModeReadWrite = 3, kModeShared = 4 };

  CFile();
  explicit CFile(const CFileSpec& spec);
  ~CFile() override;

  // Creates a new file (failing with 17 when one exists) and closes it again. Linux files have
  // nowhere to keep creator and file-type codes: they are accepted and ignored.
  int32_t Create(uint32_t creator = 0, uint32_t fileType = 0);
  int32_t Open(uint32_t mode);
  int32_t Flush();  // flushes (unless mode 1 or a scratch file) and closes
  void Close();
  int32_t Probe();  // opens for reading and closes again
  int32_t Delete();

  // Open for reading or exclusively (modes 1 and 3), where no other writer can change it, the file's
  // size is asked of the system once and then followed through this file's own writes.
  int32_t GetSize(uint32_t* size);
  int32_t SetSize(uint32_t size);  // truncates or extends, and leaves the position there
  int32_t Seek(platform::SeekOrigin origin, int64_t offset);
  // count: bytes asked for in, bytes read out. A short read is -39 when strict, else 0.
  int32_t Read(uint32_t* count, void* buffer, bool strict);
  int32_t ReadToBlock(uint32_t* count, CMemBlock& block, bool strict);   // into the data area
  int32_t ReadBlockRaw(uint32_t* count, CMemBlock& block, bool strict);  // into the whole storage
  int32_t Write(uint32_t* count, const void* buffer);
  int32_t WriteBlockRaw(uint32_t* count, const CMemBlock& block);
  // count bytes at an offset from the start: every byte or an error (-39 for a short read). The
  // position stays where it was. Open for reading (mode 1), small reads at offsets that move forward
  // come from a stretch of the file read ahead.
  int32_t ReadAt(uint32_t offset, void* buffer, uint32_t count);
  int32_t WriteAt(uint32_t offset, const void* buffer, uint32_t count);

  // While the file is open, the answer of its first query (its handle's access does not change).
  int32_t IsReadOnly(bool* readOnly);
  // Free bytes of the volume that holds the path, at most 0xFFFFFFFF.
  int32_t GetFreeSpace(uint32_t* bytes);
  int32_t GetLength(uint32_t* size);  // opens and closes again when closed
  int32_t ExchangeWith(CFile& other);

  const CFileSpec& GetSpec() const { return fSpec; }
  bool IsOpen() const { return fOpen; }
  uint32_t GetMode() const { return fMode; }
  platform::FileHandle GetHandle() const { return fHandle; }
  // A scratch file (a swap file, deleted when done and never read after a crash) is closed without
  // waiting for its data to reach the disk.
  void SetScratch(bool scratch) { fScratch = scratch; }

 protected:
  CFileSpec fSpec;
  platform::FileHandle fHandle = platform::kNoFile;
  uint32_t fMode = kModeReadWrite;
  bool fOpen = false;
  bool fScratch = false;

 private:
  void Forget();
  bool KeepsSize() const { return fOpen && (fMode == kModeRead || fMode == kModeReadWrite); }

  // What the file's state queries answered while it is open; -1 not asked yet.
  int64_t fKnownSize = -1;
  int8_t fKnownReadOnly = -1;

  // Nothing writes a file open for reading: a document of many small records is read through one
  // call for each stretch of the file instead of two for each record. Made when the file is opened
  // for reading; null otherwise.
  struct SReadAhead;
  int32_t ReadAhead(SReadAhead& ahead, uint32_t offset, void* buffer, uint32_t count);
  std::unique_ptr<SReadAhead> fReadAhead;
};

// A file's whole contents in one block of the data pool, for readers that parse the bytes in memory.
class CFileBytes {
 public:
  CFileBytes() = default;
  CFileBytes(const CFileBytes&) = delete;
  CFileBytes& operator=(const CFileBytes&) = delete;
  ~CFileBytes();

  // Opens the file for reading, loads every byte and closes it again. 9 when the block cannot be
  // had, else the file's error; nothing is held after a failure.
  int32_t Load(CFile& file);
  bool IsLoaded() const { return fBlock != nullptr; }
  const uint8_t* GetData() const;
  uint32_t GetLength() const { return fLength; }

 private:
  CMemBlock* fBlock = nullptr;
  uint32_t fLength = 0;
};

// Swaps the contents of two paths; each path keeps its own former last-write time.
int32_t ExchangeFiles(const CFileSpec& a, const CFileSpec& b);
