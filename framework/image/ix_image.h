// Indexed images: the numbered picture lists of 'ixim' resources. After the 24-byte indexed header
// come 40-byte records, big-endian: the image's resource number, its name (32 bytes) and flags (bit 0
// the record names an image, bit 1 by name, bit 2 an element image from an image file, bit 3 an
// element image from the resource environment, neither: a stored 32-bit image). With further sets,
// the second set is loaded and entry i is record i + Count.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/spool_table.h"

class CImage;
class CResourceEnv;
class CSpoolMem;
class CSubscriber;
struct SSpoolKey;

// One loaded image; in memory only.
struct CImRfEntry {
  CImage* image = nullptr;
  uint8_t fromFile = 0;
  uint8_t fromResource = 0;
};

class CIxImage : public CBaseObject {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  // The list by number or by name, with entry index selected (kNone: none). A list the environment
  // lacks comes from the application's resource file. The images are read at once; the first that
  // fails ends the reading with its code.
  CIxImage(CResourceEnv* environment, uint32_t number, uint32_t index);
  CIxImage(CResourceEnv* environment, const char* name, uint32_t index);
  ~CIxImage() override;
  CIxImage(const CIxImage&) = delete;
  CIxImage& operator=(const CIxImage&) = delete;

  uint32_t Count() const;
  int32_t Select(uint32_t index);
  // The entry selected, or kNone.
  uint32_t Selected() const { return fSelected; }
  CImage* CurrentImage() { return ImageAt(fSelected); }
  void CurrentFlags(bool* fromFile, bool* fromResource) { FlagsAt(fSelected, fromFile, fromResource); }
  // Null for kNone, an index past the entries, or a table that cannot be locked.
  CImage* ImageAt(uint32_t index);
  void FlagsAt(uint32_t index, bool* fromFile, bool* fromResource);

  int32_t GetResult() const { return fResult; }

  static uint32_t HandleRecord(CSpoolMem* object, uint32_t message, void* argument);

 private:
  void Load(CResourceEnv* environment, const SSpoolKey& key, uint32_t index);
  int32_t ReadImages(CSubscriber* list);
  int32_t ReadImage(CResourceEnv* environment, const SSpoolKey& key, uint32_t flags, CImRfEntry* entry);
  // The table row of entry index, or -1.
  int64_t RowOf(uint32_t index) const;
  void Release();

  CSpoolDynTable<CImRfEntry>* fTable = nullptr;
  uint32_t fSelected = kNone;
  uint32_t fRecords = 0;
  int32_t fResult = 0;
  uint8_t fSets = 0;
};
