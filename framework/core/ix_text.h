// Indexed texts: the numbered string lists of 'ixtx' resources. CIxText hands out the strings of one
// list; CIxTextLocal keeps its list locked for its whole life, so that its text pointers stay valid;
// CIxTextRef is the binding through which code asks for text i of a named list and falls back to its
// own wording when the list or the entry is missing.
//
// Stored form: the 24-byte indexed header, then string records to the end of the data, each a
// big-endian 16-bit length L, L characters, a NUL, and a pad byte when L + 1 is odd. With further
// sets, entry i is the string i + Count of the second set.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/holder.h"

class CResourceEnv;
class CSpoolMem;
class CSubscriber;
struct SSpoolKey;

class CIxText : public CBaseObject {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  static constexpr const char* kInvalidText = "CIxText::Text(): invalid indexed text specification.";

  // The list by number, by name, or by name when one is given and else by number; index kNone
  // selects nothing. A list the environment lacks comes from the application's resource file.
  CIxText(CResourceEnv* environment, uint32_t number, uint32_t index);
  CIxText(CResourceEnv* environment, const char* name, uint32_t index);
  CIxText(CResourceEnv* environment, uint32_t number, const char* name, uint32_t index);
  ~CIxText() override;
  CIxText(const CIxText&) = delete;
  CIxText& operator=(const CIxText&) = delete;

  uint32_t Count() const { return fStringCount / (uint32_t(fSets) + 1); }
  // On failure the selection stays and the code is returned.
  int32_t Select(uint32_t index);
  // The texts point into the list's data: they stay valid while the list is locked (a CIxTxHolder,
  // or a CIxTextLocal). A failed lookup gives kInvalidText.
  const char* Text();
  const char* TextAt(uint32_t index);

  int32_t GetResult() const { return fResult; }
  void SetResult(int32_t result) { fResult = result; }
  uint32_t GetSelected() const { return fSelected; }
  uint8_t GetSets() const { return fSets; }
  CSubscriber* GetResource() const { return fResource; }
  uint32_t GetLockCount() const { return fLockCount; }
  void RaiseLockCount() { ++fLockCount; }
  void LowerLockCount() {
    if (fLockCount) --fLockCount;
  }

  static uint32_t HandleRecord(CSpoolMem* object, uint32_t message, void* argument);

 private:
  int32_t CountStrings();
  // The offset of entry index's text in the locked data.
  int32_t Lookup(uint32_t index, uint32_t* offset);
  const char* TextOf(uint32_t index);

  CSubscriber* fResource = nullptr;
  uint32_t fSelected = kNone;
  uint32_t fOffset = 0;
  uint32_t fStringCount = 0;
  uint32_t fLockCount = 0;
  int32_t fResult = 0;
  uint8_t fSets = 0;
};

// Holds a list's resource locked (when asked) and counts itself in the list's lock count. A failed
// lock leaves the count alone and records the failure, never 0, in the list and here.
class CIxTxHolder : public CBaseObject {
 public:
  CIxTxHolder(CIxText* list, bool lock);
  ~CIxTxHolder() override;
  CIxTxHolder(const CIxTxHolder&) = delete;
  CIxTxHolder& operator=(const CIxTxHolder&) = delete;

  bool IsHeld() const { return fCounted; }
  int32_t GetError() const { return fError; }

 private:
  CIxText* fList = nullptr;
  CHolder fHolder;
  int32_t fError = 0;
  bool fCounted = false;
};

class CIxTextLocal : public CIxText {
 public:
  CIxTextLocal(CResourceEnv* environment, const char* name, uint32_t index);
  ~CIxTextLocal() override;

 private:
  CIxTxHolder* fHolder = nullptr;
};

class CIxTextRef {
 public:
  CIxTextRef() = default;
  ~CIxTextRef() { Detach(); }
  CIxTextRef(const CIxTextRef&) = delete;
  CIxTextRef& operator=(const CIxTextRef&) = delete;

  // Binds text index of the list (default "strings_") of the environment (default the application's);
  // without either, or when the entry cannot be had, the binding gives builtIn.
  void Attach(const char* builtIn, uint32_t index, const char* listName = nullptr,
              CResourceEnv* environment = nullptr);
  void Detach();
  const char* Text();

 private:
  const char* fBuiltIn = nullptr;
  CIxTextLocal* fList = nullptr;
};
