#include "framework/core/system_info.h"

#include <string>

#include "platform/window.h"

CSystemInfo& CSystemInfo::Get() {
  static CSystemInfo info;
  return info;
}

// The program runs as on the newest platform it knows: version 4.0 of platform 1, so the new shell
// is present and memory mode 1 applies. The screen is a true-colour one, so no DrawDib is opened.
void CSystemInfo::Init() {
  fPlatform = kPlatformNT;
  fMajor = 4;
  fMinor = 0;
  fOSName = platform::SystemName();
  fAllocMode = 1;
  fProcessors = platform::ProcessorCount();
  fProcessorType = 0;
  fProcessorName = ProcessorName(fProcessorType);
  fScreenDepth = 24;
  fDrawDib = nullptr;
}

const char* CSystemInfo::ProcessorName(uint32_t type) {
  switch (type) {
    case 386: return "Intel i386";
    case 486: return "Intel i486";
    case 586: return "Intel Pentium";
    case 4000: return "MIPS R4000";
    case 21064: return "DEC Alpha 21064";
    default: return "Unknown Processor";
  }
}

int CSystemInfo::AddModule(platform::ModuleHandle module) {
  if (!module) return 0;
  for (platform::ModuleHandle listed : fModules) {
    if (listed == module) return 0;
  }
  for (platform::ModuleHandle& slot : fModules) {
    if (!slot) {
      slot = module;
      return 1;
    }
  }
  return 0;
}

int CSystemInfo::RemoveModule(platform::ModuleHandle module) {
  if (!module) return 0;
  for (int i = kModuleSlots - 1; i >= 0; --i) {
    if (fModules[i] == module) {
      fModules[i] = nullptr;
      return 1;
    }
  }
  return 0;
}

platform::CursorHandle CSystemInfo::LoadCursorById(uint16_t id) const {
  if (fCursorLoader) {
    if (platform::CursorHandle cursor = fCursorLoader(("cursor " + std::to_string(id)).c_str())) return cursor;
  }
  for (int i = kModuleSlots - 1; i >= 0; --i) {
    if (!fModules[i]) continue;
    if (platform::CursorHandle cursor = platform::LoadModuleCursor(fModules[i], id)) return cursor;
  }
  return platform::ShapeCursor(id);
}

platform::CursorHandle CSystemInfo::LoadCursorByName(const char* name) const {
  if (!name || !*name) return nullptr;
  if (fCursorLoader) {
    if (platform::CursorHandle cursor = fCursorLoader((std::string("cursor ") + name).c_str())) return cursor;
  }
  for (int i = kModuleSlots - 1; i >= 0; --i) {
    if (!fModules[i]) continue;
    if (platform::CursorHandle cursor = platform::LoadModuleCursor(fModules[i], name)) return cursor;
  }
  return nullptr;
}
