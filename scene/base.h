// The scene thing: the spooled root of everything a scene document stores (placed objects,
// materials, textures, camera, sky). Its persistent fields live in its spool record, of which it
// keeps working copies; the record begins with a 128-byte name and the family and class tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/core/spool_key.h"
#include "framework/core/subscriber.h"
#include "scene/object_key.h"

class C3dBaseSys;
class C3dObject;

class C3dBase : public CSubscriber {
 public:
  static constexpr uint32_t kNameBytes = 128;
  static constexpr uint32_t kFamilyOffset = 128;
  static constexpr uint32_t kClassOffset = 132;
  static constexpr uint32_t kRecordSize = 136;

  // Takes family and class from the key. The record is sized and the thing ready only when the
  // subscriber came up valid in an environment that is absent or ready.
  explicit C3dBase(const SObjectKey& key);
  ~C3dBase() override;

  // Scene things come from the objects pool, zero-filled; null when it is exhausted or absent.
  static void* operator new(size_t size) noexcept;
  static void operator delete(void* p) noexcept;

  // Keeps a copy of the table's key and subscribes to the record it names.
  virtual bool Init(const SSpoolTableSpec& spec);
  // Init for a thing of a document that is on its way to another environment: the record it names
  // is read in without a subscription (CResourceEnv::ReadDetached). Not for a thing whose
  // subscription brings more than its record.
  bool InitDetached(const SSpoolTableSpec& spec);
  virtual bool IsReady() const;
  virtual const char* TypeName() const = 0;
  // The placed object this thing is, or null (materials, textures, sky).
  virtual C3dObject* AsObject() { return nullptr; }
  // The defaults of a fresh record; factories call it once the thing is in its table, locked.
  virtual void InitDefaults() {}

  // The record-type handler of every scene thing. Records are byte-swapped only in resource
  // environments, where they are stored big-endian; elsewhere they stay in machine order and the
  // working fields are never reloaded from them.
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument);

  uint32_t GetFamily() const { return fFamily; }
  uint32_t GetClass() const { return fClass; }
  uint32_t GetId() const { return fKeyCopy.id; }
  void SetId(uint32_t id) { fKeyCopy.id = id; }
  const SSpoolKey& GetKeyCopy() const { return fKeyCopy; }
  C3dBaseSys* GetOwningTable() const { return fOwningTable; }
  // Whether the thing lives in a resource environment (a document or library).
  bool IsStored() const;
  // A thing read from a library detached from it: paged in, moved to the application's object
  // environment and subscribed there afresh under its type name with id 0. 0 or the failing code.
  int32_t MoveToObjects();

  // Called by the table on entry and removal. A thing without an id takes the table's next one.
  int32_t AttachToTable(C3dBaseSys* table);
  int32_t DetachFromTable();

  // Each class stores or reads its own part after its base class's, on the locked record.
  // SaveState answers false (the error set) when the record cannot take the fields.
  virtual bool SaveState();
  virtual void RestoreState();
  // Reverses the byte order of the class's stored fields in place; false when the record is too
  // short for what it claims to hold.
  virtual bool SwapRecord(uint8_t* record, uint32_t size);
  // Whether a record read from a resource environment is in stored (big-endian) order, as every
  // record written there is: a class whose record carries its own byte-order flag answers what the
  // flag says, and a record that claims machine order would be swapped out of it instead.
  virtual bool IsInStoredOrder(const uint8_t* record, uint32_t size) const;

 protected:
  // For subclass constructors: grows the record to the class's size; a failure clears readiness.
  void SizeRecord(uint32_t size);
  void SetTags(uint32_t family, uint32_t classTag) {
    fFamily = family;
    fClass = classTag;
  }

 private:
  bool SwapOwnRecord();

  SSpoolKey fKeyCopy;
  bool fReady = false;
  uint32_t fFamily = 0;
  uint32_t fClass = 0;
  C3dBaseSys* fOwningTable = nullptr;
};

// Loads and stores of record fields, which need not be aligned.
template <typename T>
T LoadField(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
template <typename T>
void StoreField(uint8_t* at, const T& value) {
  std::memcpy(at, &value, sizeof value);
}
// Reverses one 32-bit word or one double of a record in place.
void SwapWordAt(uint8_t* at);
void SwapDoubleAt(uint8_t* at);
