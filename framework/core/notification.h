// The Notification table: errors and other notices, broadcast in ascending priority.
#pragma once

#include "framework/core/cm_function.h"

class CNotification : public CCmFunction {
 public:
  explicit CNotification(SRange spec, CMemPool* pool = nullptr) : CCmFunction(spec, pool) {}

  bool Subscribe(const void* owner, CFCallback callback, int32_t priority);
  bool Unsubscribe(const void* owner);
  int32_t NotifyRecord(SNotifyRecord& record);
  int32_t Notify(const char* tableName, int32_t code, uint32_t extra);

  bool IsUnsorted() const { return fUnsorted; }

 private:
  bool fUnsorted = false;
};
