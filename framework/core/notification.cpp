#include "framework/core/notification.h"

bool CNotification::Subscribe(const void* owner, CFCallback callback, int32_t priority) {
  if (!AddRow(owner, callback, priority)) return false;
  fUnsorted = true;
  return true;
}

bool CNotification::Unsubscribe(const void* owner) { return RemoveOwner(owner); }

int32_t CNotification::NotifyRecord(SNotifyRecord& record) {
  SortIfUnsorted(fUnsorted);
  return Broadcast(&record);
}

int32_t CNotification::Notify(const char* tableName, int32_t code, uint32_t extra) {
  SNotifyRecord record;
  record.code = code;
  record.extra = extra;
  record.tableName = tableName;
  return NotifyRecord(record);
}
