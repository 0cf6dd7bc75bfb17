// A spool object that belongs to a spool environment: it takes its pool from the environment and
// subscribes there, which gives it its backing store (swap environments) or binds it to a stored
// resource (resource environments).
#pragma once

#include <cstdint>

#include "framework/core/spool_key.h"
#include "framework/core/spool_mem.h"
#include "framework/core/spool_table_spec.h"

class CSpoolSys;

// The creation record every spool object's layout begins with.
struct SSpoolLayout {
  CSpoolSys* environment = nullptr;
  uint32_t byteSize = 0;
  uint32_t headerBytes = 0;
};

class CSubscriber : public CSpoolMem {
 public:
  explicit CSubscriber(const SSpoolLayout& layout);
  // Subscribes at once, unless the environment is a resource environment; valid tells the result.
  CSubscriber(const SSpoolLayout& layout, const SSpoolTableSpec& spec);
  ~CSubscriber() override;

  // Moves the object, with its data, to another environment; the caller subscribes it there.
  virtual bool SetEnvironment(CSpoolSys* environment);
  virtual bool Subscribe(const SSpoolTableSpec& spec);
  virtual bool Unsubscribe();

  CSpoolSys* GetEnvironment() const { return fEnvironment; }
  bool IsSubscribed() const { return fSubscribed; }
  bool IsValid() const { return fValid; }
  bool HasKey() const { return fHasKey; }
  const SSpoolKey& GetKey() const { return fKey; }
  void SetKey(const SSpoolKey& key);

  // The environment is being destroyed with the object still in it: forget it and its file.
  void LeaveEnvironment();

 protected:
  // The second constructor's subscription, for derived classes that check their own layout first.
  void SubscribeOnCreation(const SSpoolTableSpec& spec);
  void Refuse(int32_t error);

 private:
  bool SubscribeToFallback(const SSpoolTableSpec& spec);

  // The subscriber table keeps the object's row here, where its environment finds it without a
  // search (CSpoolSys::RowOf); an object is subscribed in one environment at a time.
  friend class CSpoolSys;
  uint32_t fSpoolRow = UINT32_MAX;

  CSpoolSys* fEnvironment = nullptr;
  bool fHasKey = false;
  SSpoolKey fKey;
  bool fSubscribed = false;
  bool fValid = false;
};
