#include "framework/core/ix_text.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

namespace {

constexpr const char kTag[] = "ixtx";
constexpr const char kDefaultList[] = "strings_";

// The record at the reader's position: its length and its text's offset, when the whole record with
// its NUL lies inside the data; the reader moves past it (and its pad byte when present).
bool NextRecord(CByteReader& in, uint32_t* textOffset) {
  uint16_t length = 0;
  if (!in.ReadBE16(&length) || !in.Has(size_t(length) + 1)) return false;
  const size_t start = in.GetPosition();
  uint8_t terminator = 1;
  in.Skip(length);
  in.ReadU8(&terminator);
  if (terminator != 0) return false;
  if ((length + 1u) % 2 && in.GetRemaining()) in.Skip(1);
  if (textOffset) *textOffset = uint32_t(start);
  return true;
}

}  // namespace

uint32_t CIxText::HandleRecord(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleIndexedRecord(object, message, argument, kTag);
}

CIxText::CIxText(CResourceEnv* environment, uint32_t number, uint32_t index) : CIxText(environment, number, nullptr, index) {}

CIxText::CIxText(CResourceEnv* environment, const char* name, uint32_t index) : CIxText(environment, 0, name, index) {}

CIxText::CIxText(CResourceEnv* environment, uint32_t number, const char* name, uint32_t index) {
  SIndexedRef ref{environment, IndexedKey(kTag, number, name), true};
  fResult = LoadIndexedResource(&fResource, ref, IndexedSpec(&CIxText::HandleRecord));
  if (fResult) return;
  fResult = CountStrings();
  if (!fResult && index != kNone) fResult = Select(index);
}

CIxText::~CIxText() {
  if (fResource) ReleaseIndexedResource(fResource);
  fResource = nullptr;
}

int32_t CIxText::CountStrings() {
  CIxTxHolder holder(this, true);
  if (!holder.IsHeld()) return holder.GetError();
  const uint32_t size = fResource->GetDataSize();
  if (size < kIndexedHeaderBytes) return kErrInvalidFormat;
  CByteReader in(fResource->GetData(), size);
  in.Seek(kIndexedSetsOffset);
  in.ReadU8(&fSets);
  fStringCount = 0;
  while (in.GetRemaining()) {
    if (!NextRecord(in, nullptr)) return kErrInvalidFormat;
    ++fStringCount;
  }
  return fStringCount % (uint32_t(fSets) + 1) ? kErrTooFewEntries : kNoErr;
}

int32_t CIxText::Lookup(uint32_t index, uint32_t* offset) {
  if (index == kNone) return kErrInvalidParameter;
  if (!fResource) return NonZeroError(fResult);
  CIxTxHolder holder(this, true);
  if (!holder.IsHeld()) return holder.GetError();
  const uint64_t wanted = uint64_t(index) + (fSets ? Count() : 0);
  CByteReader in(fResource->GetData(), fResource->GetDataSize());
  in.Seek(kIndexedHeaderBytes);
  for (uint64_t i = 0; i < wanted; ++i) {
    if (!in.GetRemaining()) return kErrObjectNotFound;
    if (!NextRecord(in, nullptr)) return kErrInvalidFormat;
  }
  if (!in.GetRemaining()) return kErrObjectNotFound;
  return NextRecord(in, offset) ? kNoErr : kErrInvalidFormat;
}

int32_t CIxText::Select(uint32_t index) {
  if (index == kNone) {
    fSelected = kNone;
    fOffset = 0;
    return kNoErr;
  }
  uint32_t offset = 0;
  if (const int32_t err = Lookup(index, &offset)) return err;
  fSelected = index;
  fOffset = offset;
  return kNoErr;
}

const char* CIxText::TextOf(uint32_t index) {
  uint32_t offset = 0;
  if (Lookup(index, &offset)) return kInvalidText;
  // Resident now; the caller's lock keeps it so.
  return reinterpret_cast<const char*>(fResource->GetData()) + offset;
}

const char* CIxText::Text() { return fSelected == kNone ? kInvalidText : TextOf(fSelected); }

const char* CIxText::TextAt(uint32_t index) { return TextOf(index); }

// ---- the holder

CIxTxHolder::CIxTxHolder(CIxText* list, bool lock)
    : fList(list), fHolder(list ? list->GetResource() : nullptr, false, false, nullptr, lock && list && list->GetResource()) {
  if (!list || (lock && !list->GetResource())) {
    fError = list ? NonZeroError(list->GetResult()) : kErrInvalidParameter;
    return;
  }
  if (lock && !fHolder.IsLocked()) {
    fError = NonZeroError(list->GetResource()->GetError());
    list->SetResult(fError);
    return;
  }
  list->RaiseLockCount();
  fCounted = true;
}

CIxTxHolder::~CIxTxHolder() {
  if (fCounted) fList->LowerLockCount();
}

// ---- the list kept locked

CIxTextLocal::CIxTextLocal(CResourceEnv* environment, const char* name, uint32_t index)
    : CIxText(environment, name, index) {
  if (GetResult()) return;
  fHolder = new CIxTxHolder(this, true);
  if (!fHolder) SetResult(kErrOutOfMemory);
  else if (!fHolder->IsHeld()) SetResult(fHolder->GetError());
}

CIxTextLocal::~CIxTextLocal() { delete fHolder; }

// ---- the binding

void CIxTextRef::Attach(const char* builtIn, uint32_t index, const char* listName, CResourceEnv* environment) {
  Detach();
  fBuiltIn = builtIn;
  if (!environment) {
    CAppl* app = GetApplication();
    environment = app ? app->GetResourceEnv() : nullptr;
  }
  if (!environment || index == CIxText::kNone) return;
  fList = new CIxTextLocal(environment, listName ? listName : kDefaultList, index);
  if (fList && fList->GetResult()) Detach();
}

void CIxTextRef::Detach() {
  delete fList;
  fList = nullptr;
}

const char* CIxTextRef::Text() { return fList ? fList->Text() : fBuiltIn; }
