#include "framework/core/ex_system.h"

#include <algorithm>
#include <cstring>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/ui_services.h"

namespace {

SSpoolTableSpec TableSpec() {
  SSpoolTableSpec spec;
  spec.Set(false, nullptr, SRange{-1, -1}, &CExSystem::HandleMessage, nullptr, CExSystem::kPriority);
  return spec;
}

}  // namespace

CExSystem::CExSystem(const SDynTableLayout& layout) : CSpoolDynTable<CExSystemEntry>(layout, TableSpec()) {}

CExSystem::~CExSystem() {
  if (IsValid()) RemoveEveryRow(true, true);
}

int32_t CExSystem::Contains(const CElement* element, bool* found) {
  int32_t index = -1;
  const int32_t err = FindIndex(element, &index);
  *found = err == kNoErr;
  return err == kErrObjectNotFound ? kNoErr : err;
}

int32_t CExSystem::FindIndex(const CElement* element, int32_t* index) {
  *index = -1;
  if (GetCount() == 0) return kErrObjectNotFound;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  CBusyWalk walk(this);
  for (uint32_t i = 0; i < GetCount(); ++i) {
    if ((*this)[i].element != element) continue;
    *index = int32_t(i);
    return kNoErr;
  }
  return kErrObjectNotFound;
}

int32_t CExSystem::AddEntry(CElement* element, uint32_t classData, int32_t orderKey, uint32_t extra) {
  if (!element) return kErrInvalidParameter;
  bool found = false;
  if (const int32_t err = Contains(element, &found)) return err;
  if (found) return kNoErr;
  if (ElementHasOwner(element)) return kErrObjectInUse;
  CExSystemEntry row;
  row.element = element;
  row.classData = classData;
  row.orderKey = orderKey;
  row.extra = extra;
  if (!Append(&row)) return NonZeroError(GetError());
  fUnsorted = true;
  if (const int32_t err = Attach(row)) {
    RemoveAt(GetCount() - 1);
    return err;
  }
  return kNoErr;
}

int32_t CExSystem::Sort() {
  if (!fUnsorted || GetCount() == 0 || fBusy) return kNoErr;
  CHolder holder(this, true, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  // Keys far apart would overflow a difference.
  std::stable_sort(GetRecords(), GetRecords() + GetCount(),
                   [](const CExSystemEntry& a, const CExSystemEntry& b) { return a.orderKey < b.orderKey; });
  fUnsorted = false;
  return kNoErr;
}

int32_t CExSystem::GetSorted(uint32_t* index, CExSystemEntry* row) {
  if (GetCount() == 0) {
    *index = 0;
    return kErrObjectNotFound;
  }
  if (*index >= GetCount()) return kErrInvalidParameter;
  if (fUnsorted) {
    if (const int32_t err = Sort()) return err;
  }
  return GetEntry(*index, row);
}

int32_t CExSystem::GetEntry(uint32_t index, CExSystemEntry* row) {
  if (index >= GetCount()) return kErrInvalidParameter;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  *row = (*this)[index];
  return kNoErr;
}

int32_t CExSystem::Lookup(const char* name, bool fromLast, uint32_t* index, CElement** element) {
  if (!name || !index || !element) return kErrInvalidParameter;
  *element = nullptr;
  if (GetCount() == 0) return kErrObjectNotFound;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  CBusyWalk walk(this);
  const uint32_t count = GetCount();
  for (uint32_t n = 0; n < count; ++n) {
    const uint32_t i = fromLast ? count - 1 - n : n;
    CElement* candidate = (*this)[i].element;
    if (!candidate || std::strcmp(GetElementName(candidate), name) != 0) continue;
    *index = i;
    *element = candidate;
    return kNoErr;
  }
  return kErrObjectNotFound;
}

int32_t CExSystem::SetEntryOrder(uint32_t index, int32_t orderKey) {
  if (index >= GetCount()) return kErrInvalidParameter;
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return NonZeroError(GetError());
  CExSystemEntry& row = (*this)[index];
  if (row.orderKey == orderKey) return kNoErr;
  row.orderKey = orderKey;
  holder.SetDirty(true);
  fUnsorted = true;
  return kNoErr;
}

int32_t CExSystem::RemoveRow(uint32_t index, bool deleteElement) {
  CExSystemEntry row;
  if (const int32_t err = GetEntry(index, &row)) return err;
  if (const int32_t err = Detach(row)) return err;
  if (deleteElement) DeleteElement(row.element);
  return RemoveAt(index) ? kNoErr : NonZeroError(GetError());
}

int32_t CExSystem::Shrink() {
  return SetSize(GetRecordSize(), GetCount(), true, false) ? kNoErr : NonZeroError(GetError());
}

int32_t CExSystem::RemoveEntries(const uint32_t* indices, uint32_t count, bool deleteElements, bool shrink) {
  if (fBusy) return kErrUnexpectedStatus;
  CBusyWalk walk(this);
  for (uint32_t i = count; i-- > 0;) {
    if (const int32_t err = RemoveRow(indices[i], deleteElements)) return err;
  }
  return shrink ? Shrink() : kNoErr;
}

int32_t CExSystem::RemoveAll(bool deleteElements, bool shrink) {
  return fBusy ? kErrUnexpectedStatus : RemoveEveryRow(deleteElements, shrink);
}

int32_t CExSystem::RemoveEveryRow(bool deleteElements, bool shrink) {
  int32_t err = kNoErr;
  uint32_t done = 0;
  CBusyWalk walk(this);
  for (; done < GetCount(); ++done) {
    CExSystemEntry row;
    if ((err = GetEntry(done, &row)) || (err = Detach(row))) break;
    if (deleteElements) DeleteElement(row.element);
  }
  if (done) RemoveAt(0, done);
  if (!err && shrink) err = Shrink();
  return err;
}

bool CExSystem::RemoveRange(uint32_t first, uint32_t n) { return first < GetCount() && RemoveAt(first, n); }

bool CExSystem::AppendRows(const CExSystemEntry& row, uint32_t n) { return Append(&row, n); }

int32_t CExSystem::Attach(CExSystemEntry& row) { return AttachElement(row.element, this); }

int32_t CExSystem::Detach(CExSystemEntry& row) { return DetachElement(row.element, this); }
