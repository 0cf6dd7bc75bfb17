#include "framework/core/spool_table.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/cm_file.h"
#include "framework/core/dyn_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

void ReportError(const CSpoolMem* object) {
  if (CAppl* app = GetApplication()) app->TellError(NonZeroError(object->GetError()));
}

bool Fail(CSpoolMem* object, int32_t error) {
  object->SetError(error);
  return false;
}

}  // namespace

// ---- layouts

void STableLayout::SetSized(CSpoolSys* env, uint32_t size, uint32_t count) {
  environment = env;
  headerBytes = 0;
  recordSize = size;
  recordCount = count;
  UpdateByteSize();
}

bool STableLayout::UpdateByteSize() {
  const uint64_t bytes = uint64_t(recordSize) * recordCount;
  byteSize = uint32_t(std::min<uint64_t>(bytes, UINT32_MAX));
  return bytes <= UINT32_MAX;
}

void SPtrTableLayout::Set(CSpoolSys* env, uint32_t count, uint32_t step) {
  SetSized(env, sizeof(void*), count);
  range = SRange{int32_t(std::min<uint32_t>(count, INT32_MAX)), int32_t(std::min<uint32_t>(step, INT32_MAX))};
}

void SNamedEntry::Set(const char* text, uint32_t n32, uint16_t n16, uint8_t flags) {
  std::memset(name, 0, sizeof name);
  CopyCString(name, text, sizeof name);
  flag = flags;
  number16 = n16;
  number32 = n32;
}

// ---- tables

CSpoolTable::CSpoolTable(const STableLayout& layout) : CSpoolTable(layout, 0, nullptr) {}

CSpoolTable::CSpoolTable(const STableLayout& layout, const SSpoolTableSpec& spec) : CSpoolTable(layout, 0, &spec) {}

CSpoolTable::CSpoolTable(const STableLayout& layout, uint32_t typeSize, const SSpoolTableSpec* spec)
    : CSubscriber(layout), fRecordSize(layout.recordSize), fRecordCount(layout.recordCount) {
  const uint64_t bytes = uint64_t(fRecordSize) * fRecordCount;
  const int32_t refusal = typeSize && fRecordSize != typeSize ? kErrInvalidParameter
                          : bytes > UINT32_MAX                ? kErrInvalidSize
                                                              : kNoErr;
  if (refusal) {
    // A wrapped size would let navigators walk past the storage.
    fRecordCount = 0;
    SetLayout(0, GetPool(), layout.headerBytes);
    Refuse(refusal);
    return;
  }
  SetLayout(uint32_t(bytes), GetPool(), layout.headerBytes);
  if (spec) SubscribeOnCreation(*spec);
}

bool CSpoolTable::SetSize(uint32_t recordSize, uint32_t count, bool keep, bool defer) {
  const uint64_t bytes = uint64_t(recordSize) * count;
  if (bytes > UINT32_MAX) return Fail(this, kErrInvalidSize);
  if (!Resize(uint32_t(bytes), keep, defer)) return false;
  fRecordSize = recordSize;
  fRecordCount = count;
  return true;
}

bool CSpoolTable::IsUsable() const { return IsConstructed() && (!IsBacked() || GetFile()->IsOpen()); }

int32_t CSpoolTable::HandleSpoolMessage(void* subscriber, void* record, void*) {
  auto* object = static_cast<CSubscriber*>(subscriber);
  const auto* message = static_cast<const SSpoolSysRecord*>(record);
  uint32_t& count = *message->count;
  const uint32_t bytes = object->GetSpooledBytes();
  switch (message->message) {
    case kSpoolPurge:
      if (object->IsPageable()) {
        if (object->PageOut()) count = count > bytes ? count - bytes : 0;
        else ReportError(object);
      }
      return count == 0;
    case kSpoolPageable:
      if (object->IsPageable()) count = AddBytesSaturated(count, bytes);
      return 0;
    case kSpoolResident:
      if (object->IsResident()) count = AddBytesSaturated(count, bytes);
      return 0;
    case kSpoolTotal: count = AddBytesSaturated(count, bytes); return 0;
    case kSpoolWriteBack:
      if (object->WriteBack()) return 0;
      ReportError(object);
      return 1;
    default: return 0;
  }
}

// ---- the growable form

bool CSpoolTable::AppendRecords(SGrowth& growth, const void* record, uint32_t n) {
  if (n == 0) return true;
  const uint64_t needed = uint64_t(growth.count) + n;
  uint64_t capacity = fRecordCount;
  if (needed > capacity) {
    if (growth.step == 0) return Fail(this, kErrCannotExpand);
    capacity = growth.geometric
                   ? GrownCapacity(capacity, needed, growth.step, UINT32_MAX / std::max<uint32_t>(fRecordSize, 1))
                   : capacity + std::max<uint64_t>(needed - capacity, growth.step);
    if (capacity > UINT32_MAX) return Fail(this, kErrInvalidSize);
  }
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return false;
  if (capacity != fRecordCount && !SetSize(fRecordSize, uint32_t(capacity), true, false)) return false;
  holder.SetDirty(true);
  uint8_t* slot = GetData() + uint64_t(growth.count) * fRecordSize;
  for (uint32_t i = 0; i < n; ++i, slot += fRecordSize) {
    if (record) std::memcpy(slot, record, fRecordSize);
    else std::memset(slot, 0, fRecordSize);
  }
  growth.count = uint32_t(needed);
  return true;
}

bool CSpoolTable::FillRecords(const SGrowth& growth, uint32_t first, const void* record, uint32_t n) {
  if (first >= growth.count || n == 0) return true;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  const uint32_t end = first + std::min(n, growth.count - first);
  for (uint32_t i = first; i < end; ++i) std::memcpy(GetData() + uint64_t(i) * fRecordSize, record, fRecordSize);
  return true;
}

bool CSpoolTable::RemoveRecords(SGrowth& growth, uint32_t index, uint32_t n) {
  if (index >= growth.count) return Fail(this, kErrInvalidParameter);
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return false;
  n = std::min(n, growth.count - index);
  uint8_t* at = GetData() + uint64_t(index) * fRecordSize;
  const uint64_t tail = uint64_t(growth.count - index - n) * fRecordSize;
  const uint64_t removed = uint64_t(n) * fRecordSize;
  if (tail) std::memmove(at, at + removed, tail);
  if (removed) std::memset(at + tail, 0, removed);
  growth.count -= n;
  return true;
}

uint32_t CSpoolTable::HandleGrowthMessage(CSpoolTable* table, SGrowth& growth, uint32_t typeSize, uint32_t message,
                                          void* argument) {
  switch (message) {
    case kSpoolFillHeader: {
      auto* block = static_cast<CMemBlock*>(argument);
      if (block->GetSize() < kGrowthHeaderSize) return Fail(table, kErrBufferSize);
      uint8_t* out = block->GetData();
      std::memset(out, 0, block->GetSize());
      StoreBE32(out, table->fRecordSize);
      StoreBE32(out + 4, table->fRecordCount);
      StoreBE32(out + 8, growth.step);
      StoreBE32(out + 12, growth.count);
      return true;
    }
    case kSpoolApplyHeader: {
      const auto* block = static_cast<const CMemBlock*>(argument);
      CByteReader in(block->GetData(), block->GetSize());
      uint32_t recordSize = 0, capacity = 0, step = 0, count = 0;
      if (!in.ReadBE32(&recordSize) || !in.ReadBE32(&capacity) || !in.ReadBE32(&step) || !in.ReadBE32(&count) ||
          recordSize != typeSize || count > capacity || uint64_t(capacity) * recordSize > UINT32_MAX)
        return Fail(table, kErrInvalidParameter);
      if (!table->SetSize(recordSize, capacity, false, true)) return false;
      growth.step = step;
      growth.count = count;
      return true;
    }
    case kSpoolHeaderSize: *static_cast<uint32_t*>(argument) = kGrowthHeaderSize; return true;
    default: return SpoolDefaultTypeHandler(table, message, argument);
  }
}
