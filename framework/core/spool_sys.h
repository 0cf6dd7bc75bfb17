// Spool systems: the managers of spool objects. A spool system keeps its objects in a subscriber
// table, answers its pool's memory recovery by paging the least recently used ones out, and reports
// their sizes or writes them all back. A swap environment (CSpoolEnv) backs every object with two
// entries of its composite swap file; a discard environment (CDiscardEnv) never backs them, so paging
// one out throws its data away. Resource environments (kind 2) have their own file.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"

class CCmFile;
class CMemPool;
class CSubscriber;
struct SSpoolTableSpec;

// Messages a spool system sends its subscribers; the argument is a uint32_t byte count.
enum ESpoolSysMessage : uint32_t {
  kSpoolPurge = 0,       // page out when pageable and take the bytes off the count; stop at 0
  kSpoolPageable = 1,    // add the bytes when pageable
  kSpoolResident = 2,    // add the bytes when resident
  kSpoolTotal = 3,       // add the bytes
  kSpoolWriteBack = 1003,
};

inline uint32_t AddBytesSaturated(uint32_t count, uint32_t bytes) {
  return uint64_t(count) + bytes > UINT32_MAX ? UINT32_MAX : count + bytes;
}

// The record a subscriber row's handler receives.
struct SSpoolSysRecord {
  uint32_t message = 0;
  uint32_t* count = nullptr;
};

enum ESpoolKind : uint32_t { kDiscardKind = 0, kSwapKind = 1, kResourceKind = 2 };

class CSpoolSys : public CBaseObject {
 public:
  enum : uint32_t { kByStamp = 0, kByPriority = 1 };

  // Without an open file the system stays invalid. A null pool means the data pool. With
  // registerRecovery the system enters the data pool's recovery table with handler and priority.
  CSpoolSys(CCmFile* file, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
            CFCallback handler, int32_t priority);
  ~CSpoolSys() override;
  CSpoolSys(const CSpoolSys&) = delete;
  CSpoolSys& operator=(const CSpoolSys&) = delete;

  virtual uint32_t GetOrdering() const { return fOrdering; }
  virtual void SetOrdering(uint32_t ordering);
  virtual void ClearChanged() { fChanged = false; }
  virtual void SetChanged() { fChanged = true; }
  virtual bool IsChanged() const { return fChanged; }
  virtual bool IsSubscribed(const CSubscriber* object);
  virtual bool AddSubscriber(CSubscriber* object, CFCallback handler, int32_t priority);
  virtual bool RemoveSubscriber(const CSubscriber* object);
  virtual bool GetPriority(const CSubscriber* object, int32_t* priority);
  virtual bool SetPriority(const CSubscriber* object, int32_t priority);
  virtual uint32_t GetKind() const = 0;
  // The object's error field tells why either failed.
  virtual bool Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) = 0;
  virtual bool Unsubscribe(CSubscriber* object) = 0;
  // wanted: bytes to free in, bytes still wanted out. Locked and pinned objects are skipped.
  virtual bool Purge(uint32_t* wanted);
  virtual bool PurgeAll(uint32_t* freed);
  virtual bool GetPageableBytes(uint32_t* bytes);
  virtual bool GetResidentBytes(uint32_t* bytes);
  virtual bool GetTotalBytes(uint32_t* bytes);
  // False when a subscriber's write-back failed (its error has been reported).
  virtual bool WriteBackAll();
  virtual CMemPool* GetPool() const { return fPool; }
  virtual CCmFile* GetFile() const { return fFile; }
  virtual CCmFunction* GetSubscriberTable() const { return fSubscribers; }

  bool Init(CCmFile* file, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
            CFCallback handler, int32_t priority);
  bool IsValid() const { return fValid; }
  bool IsReady() const;

  // The recovery handler environments register: message 0 purges the requested bytes, 1 to 3 add
  // the pageable, resident or total bytes to the request.
  static int32_t HandleMemoryRecovery(void* system, void* record, void* data);

 protected:
  // Subscribers still here when their environment goes lose it and its file.
  void DismissSubscribers();

 private:
  uint32_t Count(uint32_t message, uint32_t start);
  void Teardown();
  // The subscriber's row, or UINT32_MAX when it has none.
  uint32_t RowOf(const CSubscriber* object);

  CMemPool* fPool = nullptr;
  CCmFile* fFile = nullptr;
  CCmFunction* fSubscribers = nullptr;
  // Whether each subscriber's own note of its row (CSubscriber::fSpoolRow) is right, so that a scene
  // of many things neither searches nor shifts the whole table each time one leaves; the notes are
  // made again after a sort or an ordered removal moved the rows.
  bool fRowsKnown = true;
  uint32_t fOrdering = kByStamp;
  // Written under the memory lock by a purge on any thread.
  std::atomic<bool> fChanged{false};
  bool fValid = false;
  bool fRegistered = false;
};

class CSpoolEnv : public CSpoolSys {
 public:
  // A null spec means a fresh name in the temporary folder, "<program>.<pid>.<n>.pool", after the
  // ones left there by processes that are gone have been deleted. A missing file is created, with
  // the directory growth twice the table growth, and deleted again when the environment goes.
  CSpoolEnv(const CFileSpec* spec, CMemPool* pool, SRange growth, uint32_t ordering, bool registerRecovery,
            CFCallback handler, int32_t priority);
  ~CSpoolEnv() override;

  uint32_t GetKind() const override { return kSwapKind; }
  bool Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) override;
  bool Unsubscribe(CSubscriber* object) override;
  virtual bool GetDeleteFile() const { return fDeleteFile; }
  virtual void SetDeleteFile(bool deleteFile) { fDeleteFile = deleteFile; }

  bool IsOpen() const { return fOpen; }
  // For a process about to end without tearing its objects down: the file goes now, if it is one
  // this environment would delete, with no subscriber let go and nothing more written to it. The
  // environment serves nothing after.
  void DeleteFileAtExit();
  // The result of opening or creating the file.
  int32_t GetOpenResult() const { return fOpenResult; }

 protected:
  bool CanSubscribe(CSubscriber* object) const;

 private:
  CCmFile* fCmFile = nullptr;
  int32_t fOpenResult = 0;
  bool fDeleteFile = false;
  bool fOpen = false;
};

class CDiscardEnv : public CSpoolEnv {
 public:
  using CSpoolEnv::CSpoolEnv;

  uint32_t GetKind() const override { return kDiscardKind; }
  bool Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) override;
  bool Unsubscribe(CSubscriber* object) override;
};
