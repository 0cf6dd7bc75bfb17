#include "framework/core/resource_env.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_order.h"
#include "framework/core/c_string.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

namespace {

constexpr const char kReservedPrefix[] = "ResRes:";
constexpr SRange kDirectoryGrowth{128, 128};
constexpr SRange kSubscriberGrowth{32, 32};
constexpr SRange kMasterShape{16, 16};
constexpr SRange kTypeShape{32, 32};
constexpr SRange kKnownShape{16, 16};
constexpr SRange kNumbersShape{32, 32};
constexpr SRange kSharedShape{32, 32};

bool IsReserved(const char* type) { return std::strncmp(type, kReservedPrefix, sizeof kReservedPrefix - 1) == 0; }
bool SameType(const char* a, const char* b) { return std::strncmp(a, b, SSpoolKey::kTypeNameChars) == 0; }

// A record's name as the index of its type keys it: the bytes before the first zero, at most the
// name's room.
std::string NameKey(const char* name) { return std::string(name, strnlen(name, SSpoolKey::kNameChars)); }

// A four-character text as a code; anything else has no code.
uint32_t CodeOf(const char* text) {
  if (!text || std::strlen(text) != 4) return 0;
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
         uint8_t(text[3]);
}

// The stored words of every record in use change between stored and machine order.
template <typename T, size_t N>
void SwapWords(CSpoolDynTable<T>& table, const size_t (&offsets)[N]) {
  uint8_t* data = table.GetData();
  const uint64_t records = std::min<uint64_t>(table.GetCount(), table.GetDataSize() / sizeof(T));
  for (uint64_t i = 0; data && i < records; ++i) {
    for (size_t at : offsets) {
      uint32_t word = 0;
      std::memcpy(&word, data + i * sizeof(T) + at, 4);
      word = SwapLong(word);
      std::memcpy(data + i * sizeof(T) + at, &word, 4);
    }
  }
}

// The rows a stored header counts must be stored: a damaged count would otherwise have every lookup
// walk millions of rows that are not there. The room it asks for is kept only as far as rows are
// stored: a damaged capacity would otherwise take gigabytes before a row is read, and the table
// grows by its step when rows come.
template <typename T>
uint32_t ApplyStoredHeader(CSpoolMem* object, void* argument) {
  auto& table = *static_cast<CSpoolDynTable<T>*>(object);
  if ((CSpoolDynTable<T>::HandleMessage(object, kSpoolApplyHeader, argument) & 0xFF) == 0) return false;
  const uint32_t stored = table.GetFile()->GetEntryField(uint32_t(table.GetDataEntry()));
  if (uint64_t(table.GetCount()) * sizeof(T) > stored) {
    table.SetError(kErrInvalidFormat);
    return false;
  }
  const uint32_t storedRows = uint32_t(stored / sizeof(T));
  return table.GetCapacity() <= storedRows || table.SetSize(sizeof(T), storedRows, false, true);
}

template <typename T, size_t N>
uint32_t HandleStoredTable(CSpoolMem* object, uint32_t message, void* argument, const size_t (&offsets)[N]) {
  switch (message) {
    case kSpoolAfterRead:
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: SwapWords(*static_cast<CSpoolDynTable<T>*>(object), offsets); return true;
    case kSpoolApplyHeader: return ApplyStoredHeader<T>(object, argument);
    default: return CSpoolDynTable<T>::HandleMessage(object, message, argument);
  }
}

// The first row of the type in a table of rows that begin with a type name.
template <typename T>
int32_t FindTypeRow(CSpoolDynTable<T>& table, const char* typeName, T* row, uint32_t* index) {
  CHolder holder(&table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table.GetError());
  for (uint32_t i = 0; i < table.GetCount(); ++i) {
    if (!SameType(table[i].typeName, typeName)) continue;
    if (row) *row = table[i];
    if (index) *index = i;
    return kNoErr;
  }
  return kErrObjectNotFound;
}

// A table that cannot grow, whatever the reason, answers 12; a failed lock keeps its own code.
int32_t AppendFailure(const CSpoolMem& table) {
  const int32_t error = table.GetError();
  return error == kErrCannotExpand || error == kErrOutOfMemory || error == kErrInvalidSize || error == kNoErr
             ? kErrExpansion
             : error;
}

CSpoolSys* ApplicationSpoolEnv() {
  CAppl* app = GetApplication();
  return app ? app->GetDataEnv() : nullptr;
}

template <typename Table>
Table* NewMemoryTable(CSpoolSys* env, uint32_t recordSize, SRange shape) {
  SDynTableLayout layout;
  layout.SetSized(env, recordSize, uint32_t(shape.first));
  layout.range = shape;
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  return new Table(layout, spec);
}

}  // namespace

const char* GetResourceFileTypeName() { return kResourceFileType; }
const char* GetResourceFileExt() { return ".ord"; }
const char* GetResourceDataExt() { return ".res"; }

uint32_t CMasterTable::HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
  static constexpr size_t kWords[] = {offsetof(CTypeEntry, first), offsetof(CTypeEntry, second)};
  return HandleStoredTable<CTypeEntry>(object, message, argument, kWords);
}

uint32_t CResTypeTable::HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
  static constexpr size_t kWords[] = {0, 4, 8, 44, 48, 52, 56};
  return HandleStoredTable<CResEntry>(object, message, argument, kWords);
}

// ---- opening and closing

CResourceEnv::CResourceEnv(const CFileSpec& spec, uint32_t mode, const char* typeName, const char* creator,
                           const char* fileType, CFCallback handler, int32_t priority)
    : CSpoolSys(nullptr, nullptr, kSubscriberGrowth, kByStamp, false, nullptr, 0) {
  fLastResult = Open(spec, mode, typeName, creator, fileType, handler, priority);
  if (!fLastResult) {
    fOpen = true;
    return;
  }
  DeleteTables();
  DismissSubscribers();
  if (fCmFile && fCmFile->IsOpen()) fCmFile->Close();
  if (fCmFile && fCreated) fCmFile->Delete();
  // Leaves the spool system without the file that is about to go.
  Init(nullptr, nullptr, kSubscriberGrowth, kByStamp, false, nullptr, 0);
  delete fCmFile;
  fCmFile = nullptr;
}

int32_t CResourceEnv::Open(const CFileSpec& spec, uint32_t mode, const char* typeName, const char* creator,
                           const char* fileType, CFCallback handler, int32_t priority) {
  const char* type = typeName ? typeName : kResourceFileType;
  fCmFile = new CCmFile(spec);
  if (!fCmFile) return kErrOutOfMemory;
  int32_t err = fCmFile->Open(mode, type);
  if (err == kErrFileNotFound) {
    if (mode != CFile::kModeReadWrite && mode != CFile::kModeShared) return kErrPermission;
    err = fCmFile->Create(kDirectoryGrowth, CodeOf(creator ? creator : GetResourceFileExt()),
                          CodeOf(fileType ? fileType : GetResourceDataExt()), type);
    if (err) return err;
    fCreated = true;
    err = fCmFile->Open(mode, type);
    for (uint32_t n = 0; !err && n < kReservedEntries; ++n) err = fCmFile->UseEntry(n);
  }
  if (err) return err;
  if (!Init(fCmFile, nullptr, kSubscriberGrowth, kByStamp, handler != nullptr, handler, priority))
    return kErrFailedCreation;
  if ((err = OpenMasterTable(fCreated))) return err;
  return MakeMemoryTables();
}

int32_t CResourceEnv::OpenMasterTable(bool created) {
  SDynTableLayout layout;
  layout.SetSized(this, sizeof(CTypeEntry), uint32_t(kMasterShape.first));
  layout.range = kMasterShape;
  fMaster = new CMasterTable(layout);
  if (!fMaster) return kErrOutOfMemory;
  SSpoolKey key;
  key.Set(kMasterType, 0, false);
  key.isNew = created ? 1 : 0;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CMasterTable::HandleMessage);
  return fMaster->Subscribe(spec) ? kNoErr : NonZeroError(fMaster->GetError());
}

int32_t CResourceEnv::MakeMemoryTables() {
  CSpoolSys* env = ApplicationSpoolEnv();
  if (!env) return kErrUnexpectedStatus;
  fKnown = NewMemoryTable<CKnownTable>(env, sizeof(CKnownEntry), kKnownShape);
  fShared = NewMemoryTable<CSharedTable>(env, sizeof(CSharedEntry), kSharedShape);
  if (!fKnown || !fShared) return kErrOutOfMemory;
  if (!fKnown->IsValid()) return NonZeroError(fKnown->GetError());
  if (!fShared->IsValid()) return NonZeroError(fShared->GetError());
  return kNoErr;
}

void CResourceEnv::DeleteTables() {
  fRecordIndexes.clear();
  delete fShared;
  fShared = nullptr;
  if (fKnown) {
    CHolder holder(fKnown, false, false);
    for (uint32_t i = fKnown->GetCount(); holder.IsLocked() && i-- > 0;) {
      const CKnownEntry known = (*fKnown)[i];
      delete known.numbers;
      delete known.table;
    }
    holder.Release();
    delete fKnown;
    fKnown = nullptr;
  }
  delete fMaster;
  fMaster = nullptr;
}

CResourceEnv::~CResourceEnv() { Close(); }

int32_t CResourceEnv::Close() {
  if (!fOpen) return kErrUnexpectedStatus;
  int32_t err = WriteBackTables();
  DeleteTables();
  // Resources nobody released still reach the file before it closes.
  if (!WriteBackAll() && !err) err = kErrIO;
  DismissSubscribers();
  const int32_t closed = fCmFile->Close();
  if (!err) err = closed;
  fOpen = false;
  Init(nullptr, nullptr, kSubscriberGrowth, kByStamp, false, nullptr, 0);
  delete fCmFile;
  fCmFile = nullptr;
  return err;
}

// The master table and the loaded type tables, whose changes would otherwise reach the file only as
// they are deleted, where a failure has nobody to tell.
int32_t CResourceEnv::WriteBackTables() {
  int32_t err = kNoErr;
  const auto writeBack = [&err](CSpoolMem* table) {
    if (table && !table->WriteBack() && !err) err = NonZeroError(table->GetError());
  };
  if (fKnown) {
    CHolder holder(fKnown, false, false);
    for (uint32_t i = 0; holder.IsLocked() && i < fKnown->GetCount(); ++i) writeBack((*fKnown)[i].table);
  }
  writeBack(fMaster);
  return err;
}

bool CResourceEnv::Fail(int32_t code) {
  fLastResult = code;
  return false;
}

bool CResourceEnv::Refuse(CSubscriber* object, int32_t code) {
  fLastResult = code;
  if (object) object->SetError(code);
  return false;
}

// ---- subscription

bool CResourceEnv::Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) {
  fLastResult = kNoErr;
  if (!object) return Fail(kErrInvalidParameter);
  if (!fCmFile || !IsValid() || !object->IsValid() || !object->IsConstructed() || object->IsBacked())
    return Refuse(object, kErrUnexpectedStatus);
  SSpoolKey key = spec.key;
  const bool own = SameType(key.typeName, kMasterType) || SameType(key.typeName, kTypeTableType);
  if (!(own ? BindOwnTable(object, key, spec) : BindResource(object, key, spec, true))) return false;
  object->SetKey(key);
  if (AddSubscriber(object, spec.systemHandler, spec.priority)) return true;
  if (own && key.isNew) object->ReleaseBacking(true);
  else Unbind(object);
  return Refuse(object, kErrOutOfMemory);
}

void CResourceEnv::NoteHeader(CSubscriber* object) {
  uint32_t size = 0;
  object->Send(kSpoolHeaderSize, &size);
  object->SetHasHeader(size != 0);
}

// The master table lives in entries 16 and 17; a type's table in the entries of its master record.
// A new table is saved into fresh entries, and its header is written at once: an untouched new
// table must read back.
bool CResourceEnv::BindOwnTable(CSubscriber* object, const SSpoolKey& key, const SSpoolTableSpec& spec) {
  const bool master = SameType(key.typeName, kMasterType);
  if (key.isNew) {
    if (!object->SaveToFile(fCmFile, spec.recordHandler)) return Refuse(object, NonZeroError(object->GetError()));
    NoteHeader(object);
    if (!object->WriteHeader()) {
      const int32_t err = NonZeroError(object->GetError());
      object->ReleaseBacking(true);
      return Refuse(object, err);
    }
    return true;
  }
  CTypeEntry type{};
  if (master) {
    type.first = kMasterEntry;
    type.second = kMasterEntry + 1;
  } else {
    CHolder holder(fMaster, false, false);
    if (!holder.IsLocked()) return Refuse(object, NonZeroError(fMaster->GetError()));
    if (key.id >= fMaster->GetCount()) return Refuse(object, kErrObjectNotFound);
    type = (*fMaster)[key.id];
  }
  if (!object->AttachToFile(fCmFile, type.first, type.second, true, spec.recordHandler))
    return Refuse(object, NonZeroError(object->GetError()));
  NoteHeader(object);
  return true;
}

bool CResourceEnv::BindResource(CSubscriber* object, SSpoolKey& key, const SSpoolTableSpec& spec, bool hold) {
  CResEntry entry{};
  CNumberTable* numbers = nullptr;
  if (!FindEntry(key, spec.resourceRow, &entry, nullptr, &numbers)) return Refuse(object, fLastResult);
  key.id = entry.number;
  {
    CHolder holder(numbers, false, false);
    if (!holder.IsLocked()) return Refuse(object, NonZeroError(numbers->GetError()));
    for (uint32_t i = 0; i < numbers->GetCount(); ++i) {
      if ((*numbers)[i] == key.id) return Refuse(object, kErrObjectInUse);
    }
  }
  if (hold && !numbers->Append(&key.id)) return Refuse(object, AppendFailure(*numbers));
  if (!object->AttachToFile(fCmFile, entry.first, entry.second, !key.isNew, spec.recordHandler)) {
    const int32_t err = NonZeroError(object->GetError());
    if (hold) numbers->RemoveAt(numbers->GetCount() - 1);
    return Refuse(object, err);
  }
  NoteHeader(object);
  return true;
}

bool CResourceEnv::ReadDetached(CSubscriber* object, const SSpoolTableSpec& spec) {
  fLastResult = kNoErr;
  if (!object) return Fail(kErrInvalidParameter);
  if (!fCmFile || !IsValid() || !object->IsValid() || !object->IsConstructed() || object->IsBacked() ||
      object->IsSubscribed() || object->GetEnvironment() != this || !spec.keyed || spec.key.isNew ||
      IsReserved(spec.key.typeName))
    return Refuse(object, kErrUnexpectedStatus);
  SSpoolKey key = spec.key;
  if (!BindResource(object, key, spec, false)) return false;
  object->SetKey(key);
  int32_t error = kNoErr;
  if (!object->Lock()) error = NonZeroError(object->GetError());
  else if (!object->Unlock(false, false)) error = NonZeroError(object->GetError());
  // Nothing changed, so nothing is written back: the backing store only goes.
  if (!object->ReleaseBacking(false) && !error) error = NonZeroError(object->GetError());
  return error ? Refuse(object, error) : true;
}

bool CResourceEnv::Unsubscribe(CSubscriber* object) {
  fLastResult = kNoErr;
  if (!object) return Fail(kErrInvalidParameter);
  if (!RemoveSubscriber(object)) return Refuse(object, kErrObjectNotFound);
  return Unbind(object);
}

bool CResourceEnv::Unbind(CSubscriber* object) {
  const SSpoolKey& key = object->GetKey();
  CKnownEntry known{};
  if (!IsReserved(key.typeName) && FindKnown(key.typeName, &known, nullptr) == kNoErr) {
    CHolder holder(known.numbers, true, false);
    for (uint32_t i = 0; holder.IsLocked() && i < known.numbers->GetCount(); ++i) {
      if ((*known.numbers)[i] != key.id) continue;
      holder.Release();
      known.numbers->RemoveAt(i);
      break;
    }
  }
  // The entries stay: they hold the resource.
  if (!object->ReleaseBacking(false)) return Refuse(object, NonZeroError(object->GetError()));
  return true;
}

// ---- types

int32_t CResourceEnv::FindKnown(const char* typeName, CKnownEntry* known, uint32_t* index) {
  return fKnown ? FindTypeRow(*fKnown, typeName, known, index) : kErrUnexpectedStatus;
}

int32_t CResourceEnv::FindMaster(const char* typeName, CTypeEntry* entry, uint32_t* index) {
  return FindTypeRow(*fMaster, typeName, entry, index);
}

// A new type's table is saved once into two fresh entries, and the master record remembers them.
int32_t CResourceEnv::EnterType(const char* typeName, uint32_t* index) {
  SDynTableLayout layout;
  layout.SetSized(this, sizeof(CResEntry), uint32_t(kTypeShape.first));
  layout.range = kTypeShape;
  auto* table = new CResTypeTable(layout);
  if (!table) return kErrOutOfMemory;
  SSpoolKey key;
  key.Set(kTypeTableType, 0, false);
  key.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CResTypeTable::HandleMessage);
  if (!table->Subscribe(spec)) {
    const int32_t err = NonZeroError(table->GetError());
    delete table;
    return err;
  }
  CTypeEntry entry{};
  CopyCString(entry.typeName, typeName, sizeof entry.typeName);
  entry.first = uint32_t(table->GetDataEntry());
  entry.second = uint32_t(table->GetHeaderEntry());
  delete table;
  if (!fMaster->Append(&entry)) {
    fCmFile->DeleteEntry(entry.first);
    fCmFile->DeleteEntry(entry.second);
    return AppendFailure(*fMaster);
  }
  *index = fMaster->GetCount() - 1;
  return kNoErr;
}

int32_t CResourceEnv::LoadType(const char* typeName, bool create, CKnownEntry* known) {
  if (!fMaster || !fKnown) return kErrUnexpectedStatus;
  int32_t err = FindKnown(typeName, known, nullptr);
  if (err != kErrObjectNotFound) return err;
  uint32_t index = 0;
  err = FindMaster(typeName, nullptr, &index);
  if (err == kErrObjectNotFound && create) err = EnterType(typeName, &index);
  if (err) return err;

  SDynTableLayout layout;
  layout.SetSized(this, sizeof(CResEntry), 0);
  layout.range = kTypeShape;
  auto* table = new CResTypeTable(layout);
  auto* numbers = NewMemoryTable<CNumberTable>(ApplicationSpoolEnv(), sizeof(uint32_t), kNumbersShape);
  SSpoolKey key;
  key.Set(kTypeTableType, index, false);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CResTypeTable::HandleMessage);
  err = !table || !numbers         ? kErrOutOfMemory
        : !numbers->IsValid()      ? NonZeroError(numbers->GetError())
        : !table->Subscribe(spec)  ? NonZeroError(table->GetError())
                                   : kNoErr;
  CKnownEntry entry{};
  CopyCString(entry.typeName, typeName, sizeof entry.typeName);
  entry.table = table;
  entry.numbers = numbers;
  if (!err && !fKnown->Append(&entry)) err = AppendFailure(*fKnown);
  if (err) {
    delete numbers;
    delete table;
    return err;
  }
  *known = entry;
  return kNoErr;
}

int32_t CResourceEnv::RemoveType(const char* typeName) {
  CKnownEntry known{};
  uint32_t index = 0;
  if (FindKnown(typeName, &known, &index) == kNoErr) {
    fKnown->RemoveAt(index);
    ForgetIndex(known.table);
    delete known.numbers;
    delete known.table;
  }
  CTypeEntry type{};
  if (const int32_t err = FindMaster(typeName, &type, &index)) return err;
  if (!fMaster->RemoveAt(index)) return NonZeroError(fMaster->GetError());
  const int32_t first = fCmFile->DeleteEntry(type.first);
  const int32_t second = fCmFile->DeleteEntry(type.second);
  return first ? first : second;
}

// ---- resources

// From the first row: when a damaged or foreign file holds a key twice, the first resource counts.
CResourceEnv::SRecordIndex& CResourceEnv::IndexOf(const CResTypeTable& table) {
  SRecordIndex& index = fRecordIndexes[&table];
  if (index.rows == table.GetCount() && index.changes == table.GetChangeCount()) return index;
  index = SRecordIndex{};
  index.changes = table.GetChangeCount();
  for (; index.rows < table.GetCount(); ++index.rows) index.Enter(table[index.rows], index.rows);
  return index;
}

void CResourceEnv::SRecordIndex::Enter(const CResEntry& record, uint32_t row) {
  byNumber.try_emplace(record.number, row);
  byName.try_emplace(NameKey(record.name), row);
}

bool CResourceEnv::SRecordIndex::Find(const SSpoolKey& key, uint32_t* row) const {
  if (key.byName) {
    const auto it = byName.find(NameKey(key.name));
    if (it == byName.end()) return false;
    *row = it->second;
  } else {
    const auto it = byNumber.find(key.id);
    if (it == byNumber.end()) return false;
    *row = it->second;
  }
  return true;
}

void CResourceEnv::NoteAppended(const CResTypeTable& table, uint32_t changesBefore) {
  auto it = fRecordIndexes.find(&table);
  if (it == fRecordIndexes.end()) return;
  SRecordIndex& index = it->second;
  if (index.rows + 1 != table.GetCount() || index.changes != changesBefore) return;
  index.changes = table.GetChangeCount();
  index.Enter(table[index.rows], index.rows);
  ++index.rows;
}

// Only the row given (when not negative) is looked at.
int32_t CResourceEnv::FindRecord(const SSpoolKey& key, CResTypeTable* table, CResEntry* entry, uint32_t* index,
                                 int32_t row) {
  CHolder holder(table, false, false);
  if (!holder.IsLocked()) return NonZeroError(table->GetError());
  uint32_t found = 0;
  if (row >= 0) {
    if (uint32_t(row) >= table->GetCount()) return kErrObjectNotFound;
    const CResEntry& record = (*table)[uint32_t(row)];
    if (key.byName ? NameKey(record.name) != NameKey(key.name) : record.number != key.id) return kErrObjectNotFound;
    found = uint32_t(row);
  } else if (!IndexOf(*table).Find(key, &found)) {
    return kErrObjectNotFound;
  }
  if (entry) *entry = (*table)[found];
  if (index) *index = found;
  return kNoErr;
}

bool CResourceEnv::PutResource(const SSpoolKey& key) {
  fLastResult = kNoErr;
  if (IsReserved(key.typeName)) return Fail(kErrInvalidParameter);
  CKnownEntry known{};
  if (const int32_t err = LoadType(key.typeName, true, &known)) return Fail(err);
  SSpoolKey byNumber = key;
  byNumber.byName = 0;
  int32_t err = FindRecord(byNumber, known.table, nullptr, nullptr);
  if (err == kErrObjectNotFound && key.name[0]) {
    SSpoolKey byName = key;
    byName.byName = 1;
    err = FindRecord(byName, known.table, nullptr, nullptr);
  }
  if (err == kNoErr) return Fail(kErrObjectDuplicated);
  if (err != kErrObjectNotFound) return Fail(err);

  bool readOnly = true;
  if ((err = fCmFile->IsReadOnly(&readOnly))) return Fail(err);
  if (readOnly) return Fail(kErrPermission);
  CResEntry entry{};
  entry.number = key.id;
  CopyCString(entry.name, key.name, sizeof entry.name);
  if ((err = fCmFile->NewEntry(&entry.first))) return Fail(err);
  if ((err = fCmFile->NewEntry(&entry.second))) {
    fCmFile->DeleteEntry(entry.first);
    return Fail(err);
  }
  const uint32_t changesBefore = known.table->GetChangeCount();
  if (known.table->Append(&entry)) {
    NoteAppended(*known.table, changesBefore);
    return true;
  }
  fCmFile->DeleteEntry(entry.second);
  fCmFile->DeleteEntry(entry.first);
  return Fail(AppendFailure(*known.table));
}

bool CResourceEnv::DeleteResource(const SSpoolKey& key) {
  fLastResult = kNoErr;
  CKnownEntry known{};
  if (const int32_t err = LoadType(key.typeName, false, &known)) return Fail(err);
  {
    CHolder holder(known.numbers, false, false);
    if (!holder.IsLocked()) return Fail(NonZeroError(known.numbers->GetError()));
    for (uint32_t i = 0; i < known.numbers->GetCount(); ++i) {
      if ((*known.numbers)[i] == key.id) return Fail(kErrObjectBusy);
    }
  }
  SSpoolKey byNumber = key;
  byNumber.byName = 0;
  CResEntry entry{};
  uint32_t index = 0;
  if (const int32_t err = FindRecord(byNumber, known.table, &entry, &index)) return Fail(err);
  ForgetIndex(known.table);
  if (!known.table->RemoveAt(index)) return Fail(NonZeroError(known.table->GetError()));
  const int32_t first = fCmFile->DeleteEntry(entry.first);
  const int32_t second = fCmFile->DeleteEntry(entry.second);
  int32_t err = first ? first : second;
  if (known.table->GetCount() == 0) {
    const int32_t removed = RemoveType(key.typeName);
    if (!err) err = removed;
  }
  return err ? Fail(err) : true;
}

bool CResourceEnv::FindResource(SSpoolKey& key) {
  fLastResult = kNoErr;
  SSpoolKey byName = key;
  byName.byName = 1;
  CResEntry entry{};
  if (!GetResourceEntry(byName, &entry, nullptr, nullptr)) return false;
  key.id = entry.number;
  return true;
}

bool CResourceEnv::FindType(const char* typeName, CResTypeTable** table, CNumberTable** numbers) {
  fLastResult = kNoErr;
  CKnownEntry known{};
  if (const int32_t err = LoadType(typeName, false, &known)) return Fail(err);
  if (table) *table = known.table;
  if (numbers) *numbers = known.numbers;
  return true;
}

bool CResourceEnv::GetResourceEntry(const SSpoolKey& key, CResEntry* entry, CResTypeTable** table,
                                    CNumberTable** numbers) {
  return FindEntry(key, -1, entry, table, numbers);
}

bool CResourceEnv::FindEntry(const SSpoolKey& key, int32_t row, CResEntry* entry, CResTypeTable** table,
                             CNumberTable** numbers) {
  fLastResult = kNoErr;
  CKnownEntry known{};
  if (const int32_t err = LoadType(key.typeName, false, &known)) return Fail(err);
  if (const int32_t err = FindRecord(key, known.table, entry, nullptr, row)) return Fail(err);
  if (table) *table = known.table;
  if (numbers) *numbers = known.numbers;
  return true;
}
