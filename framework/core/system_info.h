// What the framework knows of the running system, probed once at program start, and where cursors
// come from: the program's own cursor pictures, through a loader that the image library installs
// at start-up, then the registered modules, and for numbers the platform's shapes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

class CSystemInfo {
 public:
  enum Platform : uint32_t { kPlatformNT = 1, kPlatformWin32s = 2, kPlatformWin95 = 3 };
  static constexpr int kModuleSlots = 6;

  static CSystemInfo& Get();
  void Init();

  uint32_t GetPlatform() const { return fPlatform; }
  uint8_t GetMajorVersion() const { return fMajor; }
  uint8_t GetMinorVersion() const { return fMinor; }
  const std::string& GetOSName() const { return fOSName; }
  uint32_t GetAllocMode() const { return fAllocMode; }
  uint32_t GetProcessorCount() const { return fProcessors; }
  uint32_t GetProcessorType() const { return fProcessorType; }
  const std::string& GetProcessorName() const { return fProcessorName; }
  uint32_t GetScreenDepth() const { return fScreenDepth; }
  const void* GetDrawDib() const { return fDrawDib; }
  bool HasNewShell() const { return !(fPlatform == kPlatformNT && fMajor < 4); }

  // A cursor made from the picture of that name in the application's resources, or null.
  using CursorPictureLoader = platform::CursorHandle (*)(const char* pictureName);

  int AddModule(platform::ModuleHandle module);
  int RemoveModule(platform::ModuleHandle module);
  void SetCursorPictureLoader(CursorPictureLoader loader) { fCursorLoader = loader; }
  // The picture "cursor ID", a module's cursor, or the platform's shape for the number.
  platform::CursorHandle LoadCursorById(uint16_t id) const;
  // The picture "cursor NAME", or a module's cursor.
  platform::CursorHandle LoadCursorByName(const char* name) const;

  static const char* ProcessorName(uint32_t type);

 private:
  CSystemInfo() { Init(); }

  uint32_t fPlatform = 0;
  uint8_t fMajor = 0;
  uint8_t fMinor = 0;
  std::string fOSName;
  uint32_t fAllocMode = 0;
  uint32_t fProcessors = 0;
  uint32_t fProcessorType = 0;
  std::string fProcessorName;
  uint32_t fScreenDepth = 0;
  const void* fDrawDib = nullptr;
  platform::ModuleHandle fModules[kModuleSlots] = {};
  CursorPictureLoader fCursorLoader = nullptr;
};
