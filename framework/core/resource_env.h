// A resource environment: numbered and named resources of many types in one composite file of the
// type "Resource Composite File". A resource is any spool object whose key names a type and a
// number (or a name) of this environment: subscribing binds it to the two entries its resource
// record holds, and the spool system pages its data in from them and out to them.
//
// The directory: a master table of types in entries 16 and 17 (entries 0 to 15 are reserved), one
// resource table per type, and, while the environment is open, the types in use with the numbers of
// their subscribed resources. Stored tables carry a 32-byte big-endian header {record size, capacity,
// growth step, count}. Type names beginning "ResRes:" are the environment's own tables.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"
#include "framework/core/spool_key.h"
#include "framework/core/spool_sys.h"
#include "framework/core/spool_table.h"

class CCmFile;

// The composite-file type of resource files.
inline constexpr const char* kResourceFileType = "Resource Composite File";

const char* GetResourceFileTypeName();
const char* GetResourceFileExt();
const char* GetResourceDataExt();

// A master table record, stored big-endian: a type and the two entries of its resource table.
struct CTypeEntry {
  char typeName[16];
  uint32_t first;   // the table's records
  uint32_t second;  // the table's header
  uint8_t reserved[8];
};
static_assert(sizeof(CTypeEntry) == 32);

// A resource table record, stored big-endian: a resource's number, its two entries and its name.
struct CResEntry {
  uint32_t number;
  uint32_t first;   // the resource's data
  uint32_t second;  // the resource's stored header, when its type has one
  char name[32];
  uint32_t words[4];
};
static_assert(sizeof(CResEntry) == 60);

class CMasterTable : public CSpoolDynTable<CTypeEntry> {
 public:
  using CSpoolDynTable<CTypeEntry>::CSpoolDynTable;
  // Header messages, and the entry words converted on every page-in and around every page-out.
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument);
};

class CResTypeTable : public CSpoolDynTable<CResEntry> {
 public:
  using CSpoolDynTable<CResEntry>::CSpoolDynTable;
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument);
};

// The numbers of a type's subscribed resources.
using CNumberTable = CSpoolDynTable<uint32_t>;

// In memory only, in the application's spool environment.
struct CKnownEntry {
  char typeName[16];
  CResTypeTable* table;
  CNumberTable* numbers;
};

// An indexed resource loaded once and shared by the lists that use it.
struct CSharedEntry {
  CSubscriber* object;
  uint32_t useCount;
};

using CKnownTable = CSpoolDynTable<CKnownEntry>;
using CSharedTable = CSpoolDynTable<CSharedEntry>;

class CResourceEnv : public CSpoolSys {
 public:
  static constexpr uint32_t kReservedEntries = 16;
  static constexpr uint32_t kMasterEntry = 16;  // its header in the entry after it
  static constexpr const char* kMasterType = "ResRes:Master";
  static constexpr const char* kTypeTableType = "ResRes:Type";

  // Opens the file in a CFile mode (1 read, 2 write, 3 read-write, 4 shared); a missing file is
  // created with modes 3 and 4 and refused with -54 otherwise. The creator and file-type texts are
  // accepted for the file's creation and have no effect here. With a handler the environment answers
  // the data pool's memory recovery at that priority. Usable only when IsOpen(); GetLastResult()
  // tells why not.
  CResourceEnv(const CFileSpec& spec, uint32_t mode, const char* typeName = kResourceFileType,
               const char* creator = ".ord", const char* fileType = ".res", CFCallback handler = nullptr,
               int32_t priority = 0x3FFFFFFF);
  // Closes the file unless Close did.
  ~CResourceEnv() override;
  // Writes back every table and resource still changed and closes the file: 0, or the first failure
  // (the file is closed all the same); 15 when it is not open.
  int32_t Close();

  uint32_t GetKind() const override { return kResourceKind; }
  bool Subscribe(CSubscriber* object, const SSpoolTableSpec& spec) override;
  bool Unsubscribe(CSubscriber* object) override;
  // For an object of this environment that only passes through on its way to another: its keyed
  // resource read in as a subscription and a lock would read it, then let go, so that the object is
  // left resident, unsubscribed and without backing store, as unsubscribing would leave it. The checks
  // and answers are Subscribe's and Lock's; what a subscription keeps in between is never made.
  bool ReadDetached(CSubscriber* object, const SSpoolTableSpec& spec);

  // Each operation clears the last result, answers true or false and leaves the code there.
  // Enters a resource with the key's number and name and two fresh entries for its data, which a
  // spool object of that key writes later.
  bool PutResource(const SSpoolKey& key);
  // Removes the resource of the key's type and number, and the type with its last resource.
  bool DeleteResource(const SSpoolKey& key);
  // Writes the number of the resource named by the key into it.
  bool FindResource(SSpoolKey& key);
  // The type's tables, loaded on first use; readers walk the resource table under a lock.
  bool FindType(const char* typeName, CResTypeTable** table, CNumberTable** numbers);
  // The resource's record, found by name when the key says so, else by number: the first row that
  // matches. Null outputs are skipped.
  bool GetResourceEntry(const SSpoolKey& key, CResEntry* entry, CResTypeTable** table, CNumberTable** numbers);
  bool GetResourceInfo(const SSpoolKey& key, CResEntry* entry) { return GetResourceEntry(key, entry, nullptr, nullptr); }

  bool IsOpen() const { return fOpen; }
  int32_t GetLastResult() const { return fLastResult; }
  void SetLastResult(int32_t result) { fLastResult = result; }
  CMasterTable* GetMasterTable() const { return fMaster; }
  CSharedTable* GetSharedTable() const { return fShared; }
  CCmFile* GetCmFile() const { return fCmFile; }

 private:
  int32_t Open(const CFileSpec& spec, uint32_t mode, const char* typeName, const char* creator,
               const char* fileType, CFCallback handler, int32_t priority);
  int32_t OpenMasterTable(bool created);
  int32_t MakeMemoryTables();
  void DeleteTables();
  int32_t WriteBackTables();

  bool Fail(int32_t code);
  bool Refuse(CSubscriber* object, int32_t code);
  bool BindOwnTable(CSubscriber* object, const SSpoolKey& key, const SSpoolTableSpec& spec);
  // Attaches the object to the key's resource unless something holds it; with hold the resource is
  // held from then on (a subscription), which Unbind ends.
  bool BindResource(CSubscriber* object, SSpoolKey& key, const SSpoolTableSpec& spec, bool hold);
  // Takes a subscribed resource's number out of its type's table and releases its backing store.
  bool Unbind(CSubscriber* object);
  // The object's stored header is written after its data when its handler has one.
  static void NoteHeader(CSubscriber* object);

  // The type's loaded tables; with create a missing type is entered first.
  int32_t LoadType(const char* typeName, bool create, CKnownEntry* known);
  int32_t FindKnown(const char* typeName, CKnownEntry* known, uint32_t* index);
  int32_t FindMaster(const char* typeName, CTypeEntry* entry, uint32_t* index);
  int32_t EnterType(const char* typeName, uint32_t* index);
  int32_t RemoveType(const char* typeName);
  int32_t FindRecord(const SSpoolKey& key, CResTypeTable* table, CResEntry* entry, uint32_t* index, int32_t row = -1);
  // GetResourceEntry, looking only at the row given when it is not negative.
  bool FindEntry(const SSpoolKey& key, int32_t row, CResEntry* entry, CResTypeTable** table, CNumberTable** numbers);

  // Where each number and name of a type's records was first entered, so that entering or binding a
  // resource does not walk all the records before it. An index serves while its table only grew by
  // the records PutResource appends; any other change to the table (its change count tells) makes
  // the next search build it again.
  struct SRecordIndex {
    uint32_t rows = 0;
    uint32_t changes = 0;
    std::unordered_map<uint32_t, uint32_t> byNumber;
    std::unordered_map<std::string, uint32_t> byName;
    // Keeps an earlier row of the same number or name.
    void Enter(const CResEntry& record, uint32_t row);
    bool Find(const SSpoolKey& key, uint32_t* row) const;
  };
  SRecordIndex& IndexOf(const CResTypeTable& table);
  // After PutResource appended a record to a table whose change count was changesBefore.
  void NoteAppended(const CResTypeTable& table, uint32_t changesBefore);
  void ForgetIndex(const CResTypeTable* table) { fRecordIndexes.erase(table); }

  CCmFile* fCmFile = nullptr;
  std::unordered_map<const CResTypeTable*, SRecordIndex> fRecordIndexes;
  CMasterTable* fMaster = nullptr;
  CKnownTable* fKnown = nullptr;
  CSharedTable* fShared = nullptr;
  int32_t fLastResult = 0;
  bool fCreated = false;
  bool fOpen = false;
};
