#include "framework/core/spool_sys.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/cm_file.h"
#include "framework/core/four_cc.h"
#include "framework/core/mem_pool.h"
#include "framework/core/mem_recover.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_table.h"
#include "framework/core/subscriber.h"
#include "platform/file.h"

namespace {

CSubscriber* SubscriberOf(const CCFEntry& row) { return static_cast<CSubscriber*>(row.owner); }

const void* RowId(const CSubscriber* object) { return object; }

bool Refuse(CSubscriber* object, int32_t error) {
  if (object) object->SetError(error);
  return false;
}

constexpr const char* kSwapSuffix = ".pool";

// Whether the folder's left swap files are still to be looked for: once a folder in the process's
// life, since reading a temporary folder of some hundred entries costs a tenth of a millisecond and
// an application makes three swap files at its start.
bool FirstLookIn(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> looked;
  const std::lock_guard<std::mutex> guard(mutex);
  return looked.insert(folder).second;
}

// A fresh swap file's name in the temporary folder, after the program and this process. The files
// that processes which are gone (killed, or stopped by a power cut) left there are deleted first:
// nothing else ever would.
int32_t MakeSwapName(CFileSpec& name) {
  const std::string folder = platform::TempFolder();
  if (FirstLookIn(folder)) platform::RemoveLeftProcessFiles(folder, kSwapSuffix);
  std::string path;
  if (!platform::MakeProcessFile(folder, kSwapSuffix, &path)) return NonZeroError(MapLastError());
  platform::DeleteFile(path);
  return name.Set(path.c_str());
}

}  // namespace

// ---- the spool system

CSpoolSys::CSpoolSys(CCmFile* file, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
                     CFCallback handler, int32_t priority) {
  Init(file, pool, growth, ordering, registerRecovery, handler, priority);
}

CSpoolSys::~CSpoolSys() {
  DismissSubscribers();
  Teardown();
}

bool CSpoolSys::Init(CCmFile* file, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
                     CFCallback handler, int32_t priority) {
  Teardown();
  fOrdering = ordering;
  fChanged = false;
  if (!file || !file->IsOpen()) return false;
  fPool = pool ? pool : GetDataPool();
  fFile = file;
  fSubscribers = new CCmFunction(growth);
  if (!fSubscribers || !fSubscribers->IsValid() || !fPool || !fPool->IsValid()) return false;
  if (registerRecovery) {
    CAppl* app = GetApplication();
    CMemRecover* recover = app ? app->GetDataMemRecover() : nullptr;
    if (!recover || !recover->Register(this, handler, priority)) return false;
    fRegistered = true;
  }
  fValid = true;
  return true;
}

void CSpoolSys::Teardown() {
  fRowsKnown = true;
  if (fRegistered) {
    CAppl* app = GetApplication();
    if (CMemRecover* recover = app ? app->GetDataMemRecover() : nullptr) recover->Unregister(this);
    fRegistered = false;
  }
  fValid = false;
  delete fSubscribers;
  fSubscribers = nullptr;
  fFile = nullptr;
  fPool = nullptr;
}

void CSpoolSys::DismissSubscribers() {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  if (!fSubscribers) return;
  while (fSubscribers->GetCount()) {
    CSubscriber* object = SubscriberOf((*fSubscribers)[fSubscribers->GetCount() - 1]);
    fSubscribers->RemoveAt(fSubscribers->GetCount() - 1);
    object->fSpoolRow = UINT32_MAX;
    object->LeaveEnvironment();
  }
}

uint32_t CSpoolSys::RowOf(const CSubscriber* object) {
  if (!fSubscribers) return UINT32_MAX;
  if (!fRowsKnown) {
    for (uint32_t i = 0; i < fSubscribers->GetCount(); ++i) SubscriberOf((*fSubscribers)[i])->fSpoolRow = i;
    fRowsKnown = true;
  }
  // The note may be another environment's, or left from before: it counts only where it holds.
  const uint32_t row = object->fSpoolRow;
  return row < fSubscribers->GetCount() && SubscriberOf((*fSubscribers)[row]) == object ? row : UINT32_MAX;
}

bool CSpoolSys::IsReady() const { return fValid && fFile && fFile->IsOpen() && fPool && fPool->IsValid(); }

void CSpoolSys::SetOrdering(uint32_t ordering) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  fOrdering = ordering;
  fChanged = true;
}

bool CSpoolSys::IsSubscribed(const CSubscriber* object) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  return RowOf(object) != UINT32_MAX;
}

bool CSpoolSys::AddSubscriber(CSubscriber* object, CFCallback handler, int32_t priority) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  if (!fSubscribers) return false;
  fChanged = true;
  if (!fSubscribers->AddRow(RowId(object), handler ? handler : &CSpoolTable::HandleSpoolMessage, priority))
    return false;
  object->fSpoolRow = fSubscribers->GetCount() - 1;
  return true;
}

// Outside a broadcast the last row takes the leaver's place: the order only matters to a purge,
// which sorts the rows first (by priority once they changed).
bool CSpoolSys::RemoveSubscriber(const CSubscriber* object) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  const uint32_t row = RowOf(object);
  if (row == UINT32_MAX) return false;
  const uint32_t last = fSubscribers->GetCount() - 1;
  const_cast<CSubscriber*>(object)->fSpoolRow = UINT32_MAX;
  if (fSubscribers->GetBusy() != 0) {
    fRowsKnown = false;
    return fSubscribers->RemoveAt(row);
  }
  if (row != last) {
    (*fSubscribers)[row] = (*fSubscribers)[last];
    SubscriberOf((*fSubscribers)[row])->fSpoolRow = row;
    fChanged = true;
  }
  return fSubscribers->RemoveAt(last);
}

bool CSpoolSys::GetPriority(const CSubscriber* object, int32_t* priority) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  const uint32_t row = RowOf(object);
  if (row == UINT32_MAX) return false;
  *priority = (*fSubscribers)[row].priority;
  return true;
}

bool CSpoolSys::SetPriority(const CSubscriber* object, int32_t priority) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  const uint32_t index = RowOf(object);
  CCFEntry* row = index == UINT32_MAX ? nullptr : &(*fSubscribers)[index];
  if (!row) return false;
  if (row->priority != priority) {
    row->priority = priority;
    fChanged = true;
  }
  return true;
}

// ---- purging and size queries

bool CSpoolSys::Purge(uint32_t* wanted) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  if (!wanted || *wanted == 0 || !fSubscribers) return true;
  CCFEntry* rows = fSubscribers->GetRecords();
  const uint32_t count = fSubscribers->GetCount();
  // A table that a broadcast is walking keeps its order: the walk goes by index.
  if (count > 1 && fSubscribers->GetBusy() == 0) {
    fRowsKnown = false;
    if (fOrdering == kByStamp) {
      // Other threads stamp what they lock without this lock, so the sort goes by a snapshot: keys
      // that changed under it would break its ordering and send it past the table's ends.
      std::vector<std::pair<uint64_t, CCFEntry>> keyed;
      keyed.reserve(count);
      for (uint32_t i = 0; i < count; ++i) keyed.emplace_back(SubscriberOf(rows[i])->GetStamp(), rows[i]);
      std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      for (uint32_t i = 0; i < count; ++i) rows[i] = keyed[i].second;
    } else if (fChanged) {
      std::sort(rows, rows + count, [](const CCFEntry& a, const CCFEntry& b) { return a.priority < b.priority; });
      fChanged = false;
    }
  }
  SSpoolSysRecord record{kSpoolPurge, wanted};
  fSubscribers->Broadcast(&record);
  return true;
}

bool CSpoolSys::PurgeAll(uint32_t* freed) {
  *freed = UINT32_MAX - Count(kSpoolPurge, UINT32_MAX);
  return true;
}

uint32_t CSpoolSys::Count(uint32_t message, uint32_t start) {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  uint32_t count = start;
  SSpoolSysRecord record{message, &count};
  if (fSubscribers) fSubscribers->Broadcast(&record);
  return count;
}

bool CSpoolSys::GetPageableBytes(uint32_t* bytes) {
  *bytes = Count(kSpoolPageable, 0);
  return true;
}

bool CSpoolSys::GetResidentBytes(uint32_t* bytes) {
  *bytes = Count(kSpoolResident, 0);
  return true;
}

bool CSpoolSys::GetTotalBytes(uint32_t* bytes) {
  *bytes = Count(kSpoolTotal, 0);
  return true;
}

bool CSpoolSys::WriteBackAll() {
  const std::lock_guard<std::recursive_mutex> guard(MemoryLock());
  uint32_t unused = 0;
  SSpoolSysRecord record{kSpoolWriteBack, &unused};
  return !fSubscribers || fSubscribers->Broadcast(&record) == 0;
}

int32_t CSpoolSys::HandleMemoryRecovery(void* system, void* record, void*) {
  auto* spool = static_cast<CSpoolSys*>(system);
  auto* message = static_cast<SMemRecoverRecord*>(record);
  if (!spool || !message || !message->request) return 0;
  uint32_t& request = *message->request;
  uint32_t bytes = 0;
  switch (message->message) {
    case kSpoolPurge:
      spool->Purge(&request);
      return request == 0;
    case kSpoolPageable: spool->GetPageableBytes(&bytes); break;
    case kSpoolResident: spool->GetResidentBytes(&bytes); break;
    case kSpoolTotal: spool->GetTotalBytes(&bytes); break;
    default: return 0;
  }
  request = AddBytesSaturated(request, bytes);
  return 0;
}

// ---- the swap environment

CSpoolEnv::CSpoolEnv(const CFileSpec* spec, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
                     CFCallback handler, int32_t priority)
    : CSpoolSys(nullptr, pool, growth, ordering, registerRecovery, handler, priority) {
  CFileSpec name;
  fOpenResult = spec ? name.Copy(*spec) : MakeSwapName(name);
  if (!fOpenResult) {
    fCmFile = new CCmFile(name);
    fOpenResult = fCmFile ? fCmFile->Open(CFile::kModeReadWrite) : kErrOutOfMemory;
    // A swap file of our own naming goes when the environment does, or at the next start after a
    // crash: syncing it to disk (a millisecond of CPU in every tool run) would buy nothing.
    if (fCmFile && !spec) fCmFile->SetScratch(true);
  }
  // Without a name (no temporary one could be formed) there is nothing to create.
  if (fOpenResult == kErrFileNotFound && fCmFile) {
    auto twice = [](int32_t n) { return int32_t(std::min<int64_t>(int64_t(n) * 2, INT32_MAX)); };
    fOpenResult = fCmFile->Create(SRange{twice(growth.first), twice(growth.second)}, FourCC(".ord"), FourCC(".tmp"));
    if (!fOpenResult) {
      fDeleteFile = true;
      fOpenResult = fCmFile->Open(CFile::kModeReadWrite);
    }
  }
  if (!fOpenResult && !Init(fCmFile, pool, growth, ordering, registerRecovery, handler, priority))
    fOpenResult = kErrFailedCreation;
  if (fOpenResult) {
    if (fCmFile && fCmFile->IsOpen()) fCmFile->Close();
    if (fCmFile && fDeleteFile) fCmFile->Delete();
    delete fCmFile;
    fCmFile = nullptr;
    fDeleteFile = false;
    return;
  }
  fOpen = true;
}

CSpoolEnv::~CSpoolEnv() {
  DismissSubscribers();
  if (fOpen) {
    fOpen = false;
    fCmFile->Close();
    if (fDeleteFile) fCmFile->Delete();
  }
  delete fCmFile;
}

// Only the descriptor closes (an open file cannot be deleted); the directory is not written.
void CSpoolEnv::DeleteFileAtExit() {
  if (!fOpen || !fDeleteFile) return;
  fCmFile->CFile::Close();
  fCmFile->Delete();
  fDeleteFile = false;
  fOpen = false;
}

bool CSpoolEnv::CanSubscribe(CSubscriber* object) const {
  if (!object) return false;
  if (IsValid() && object->IsValid() && object->IsConstructed() && (!object->IsBacked() || object->GetFile()->IsOpen()))
    return true;
  return Refuse(object, kErrUnexpectedStatus);
}

bool CSpoolEnv::Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) {
  if (!CanSubscribe(object) || !object->SaveToFile(GetFile(), spec.recordHandler)) return false;
  if (AddSubscriber(object, spec.systemHandler, spec.priority)) return true;
  object->ReleaseBacking(true);
  return Refuse(object, kErrOutOfMemory);
}

bool CSpoolEnv::Unsubscribe(CSubscriber* object) {
  if (!RemoveSubscriber(object)) return Refuse(object, kErrObjectNotFound);
  return object->ReleaseBacking(true);
}

// ---- the discard environment

bool CDiscardEnv::Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) {
  if (!CanSubscribe(object)) return false;
  return AddSubscriber(object, spec.systemHandler, spec.priority) || Refuse(object, kErrOutOfMemory);
}

bool CDiscardEnv::Unsubscribe(CSubscriber* object) {
  return RemoveSubscriber(object) || Refuse(object, kErrObjectNotFound);
}
