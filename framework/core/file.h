// A file over a platform handle, opened in one of four explicit modes.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/file_spec.h"
#include "platform/file.h"

class CFile : public CBaseObject {
 public:
  // Modes: 1 read (sharing read), 2 write (sharing write), 3 read and write (sharing read),
  // 4 read and write (sharing both).
  enum Mode : uint32_t { kModeRead = 1, kModeWrite = 2, kModeReadWrite = 3, kModeShared = 4 };

  CFile();
  explicit CFile(const CFileSpec& spec);
  ~CFile() override;

  int32_t Open(uint32_t mode);
  int32_t Flush();  // flushes (unless mode 1) and closes
  void Close();
  int32_t Probe();  // opens for reading and closes again

  const CFileSpec& GetSpec() const { return fSpec; }
  bool IsOpen() const { return fOpen; }
  uint32_t GetMode() const { return fMode; }
  platform::FileHandle GetHandle() const { return fHandle; }

 protected:
  CFileSpec fSpec;
  platform::FileHandle fHandle = platform::kNoFile;
  uint32_t fMode = kModeReadWrite;
  bool fOpen = false;
};
