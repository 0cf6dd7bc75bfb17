#include "framework/image/ix_image.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_reader.h"
#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"
#include "framework/image/element_image_services.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"

namespace {

constexpr const char kTag[] = "ixim";
constexpr uint32_t kRecordBytes = 40;
constexpr uint32_t kNameBytes = 32;
enum EImageFlags : uint32_t { kNamesImage = 1, kByName = 2, kFromFile = 4, kFromResource = 8 };

}  // namespace

uint32_t CIxImage::HandleRecord(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleIndexedRecord(object, message, argument, kTag);
}

CIxImage::CIxImage(CResourceEnv* environment, uint32_t number, uint32_t index) {
  Load(environment, IndexedKey(kTag, number, nullptr), index);
}

CIxImage::CIxImage(CResourceEnv* environment, const char* name, uint32_t index) {
  Load(environment, IndexedKey(kTag, 0, name), index);
}

CIxImage::~CIxImage() {
  Release();
  fResult = kErrUnexpectedStatus;
}

void CIxImage::Load(CResourceEnv* environment, const SSpoolKey& key, uint32_t index) {
  CSubscriber* list = nullptr;
  SIndexedRef ref{environment, key, true};
  if ((fResult = LoadIndexedResource(&list, ref, IndexedSpec(&CIxImage::HandleRecord)))) return;
  fResult = ReadImages(list);
  if (!fResult && index != kNone) fResult = Select(index);
  // The images stay; the list itself is not needed any more.
  ReleaseIndexedResource(list);
}

int32_t CIxImage::ReadImages(CSubscriber* list) {
  const uint32_t size = list->GetDataSize();
  if (size < kIndexedHeaderBytes || (size - kIndexedHeaderBytes) % kRecordBytes) return kErrInvalidFormat;
  CHolder holder(list, false, false);
  if (!holder.IsLocked()) return NonZeroError(list->GetError());
  fSets = list->GetData()[kIndexedSetsOffset];
  fRecords = (size - kIndexedHeaderBytes) / kRecordBytes;
  if (fRecords % (uint32_t(fSets) + 1)) return kErrTooFewEntries;

  CAppl* app = GetApplication();
  SDynTableLayout layout;
  layout.SetSized(app ? app->GetDataEnv() : nullptr, sizeof(CImRfEntry), fRecords);
  layout.range = SRange{int32_t(fRecords), 0};
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &CSpoolDynTable<CImRfEntry>::HandleMessage);
  fTable = new CSpoolDynTable<CImRfEntry>(layout, spec);
  if (!fTable) return kErrOutOfMemory;
  if (!fTable->IsValid() || !fTable->Append(nullptr, fRecords)) return NonZeroError(fTable->GetError());

  auto* environment = static_cast<CResourceEnv*>(list->GetEnvironment());
  const uint32_t first = fSets ? Count() : 0;
  SSpoolKey key;
  key.Set(kImageType, 0, false);
  for (uint32_t i = first; i < first + Count(); ++i) {
    CByteReader in(list->GetData() + kIndexedHeaderBytes + uint64_t(i) * kRecordBytes, kRecordBytes);
    uint32_t number = 0, flags = 0;
    char name[kNameBytes + 1] = {};
    in.ReadBE32(&number);
    in.ReadBytes(name, kNameBytes);
    in.ReadBE32(&flags);
    // A record that names no image keeps the key of the one before it.
    if (flags & kByName) key.SetByName(kImageType, name, false);
    else if (flags & kNamesImage) key.Set(kImageType, number, false);
    CImRfEntry entry;
    const int32_t err = ReadImage(environment, key, flags, &entry);
    if (entry.image) {
      CHolder rows(fTable, true, false);
      if (!rows.IsLocked()) return NonZeroError(fTable->GetError());
      (*fTable)[i] = entry;
    }
    if (err) return err;
  }
  return kNoErr;
}

int32_t CIxImage::ReadImage(CResourceEnv* environment, const SSpoolKey& key, uint32_t flags, CImRfEntry* entry) {
  SGridLayout grid;
  MakeImageGridSpec(grid, environment, 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  if (flags & (kFromFile | kFromResource)) {
    const bool fromFile = flags & kFromFile;
    const int32_t err = fromFile ? LoadElementImageFile(&entry->image, grid, spec)
                                 : LoadElementImageFromResource(&entry->image, grid, spec);
    entry->fromFile = fromFile ? 1 : 0;
    entry->fromResource = fromFile ? 0 : 1;
    return err;
  }
  auto* image = new CImage(grid);
  if (!image) return kErrOutOfMemory;
  int32_t err = kNoErr;
  if (!image->Subscribe(spec)) err = NonZeroError(environment->GetLastResult());
  else if (!image->IsValid()) err = kErrFailedCreation;
  if (err) {
    delete image;
    return err;
  }
  entry->image = image;
  return kNoErr;
}

uint32_t CIxImage::Count() const { return fTable ? fRecords / (uint32_t(fSets) + 1) : 0; }

int64_t CIxImage::RowOf(uint32_t index) const {
  if (!fTable || index == kNone) return -1;
  const uint64_t row = uint64_t(index) + (fSets ? Count() : 0);
  return row < fTable->GetCount() ? int64_t(row) : -1;
}

int32_t CIxImage::Select(uint32_t index) {
  if (index == kNone) {
    fSelected = kNone;
    return kNoErr;
  }
  if (RowOf(index) < 0) return kErrObjectNotFound;
  fSelected = index;
  return kNoErr;
}

CImage* CIxImage::ImageAt(uint32_t index) {
  const int64_t row = RowOf(index);
  if (row < 0) return nullptr;
  CHolder holder(fTable, false, false);
  return holder.IsLocked() ? (*fTable)[uint32_t(row)].image : nullptr;
}

void CIxImage::FlagsAt(uint32_t index, bool* fromFile, bool* fromResource) {
  *fromFile = *fromResource = false;
  const int64_t row = RowOf(index);
  if (row < 0) return;
  CHolder holder(fTable, false, false);
  if (!holder.IsLocked()) return;
  *fromFile = (*fTable)[uint32_t(row)].fromFile != 0;
  *fromResource = (*fTable)[uint32_t(row)].fromResource != 0;
}

// Images read from files are shared with other lists; every other image is this list's own.
void CIxImage::Release() {
  if (!fTable) return;
  {
    CHolder holder(fTable, true, false);
    for (uint32_t i = 0; holder.IsLocked() && i < fTable->GetCount(); ++i) {
      CImRfEntry& entry = (*fTable)[i];
      if (entry.image && entry.fromFile) {
        if (entry.image->GetLockCount() == 0) ReleaseIndexedResource(entry.image);
      } else {
        delete entry.image;
      }
      entry.image = nullptr;
    }
  }
  delete fTable;
  fTable = nullptr;
}
