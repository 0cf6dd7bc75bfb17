#include "document/plugin.h"

#include "framework/core/document_services.h"
#include "framework/core/result_codes.h"

int32_t CQNPlugin::GetFormatDescription(char* destination, size_t capacity, uint32_t) {
  if (destination && capacity) destination[0] = 0;
  return kErrUnexpectedStatus;
}

int32_t GetPluginFormatDescription(char* destination, size_t capacity, uint32_t index) {
  return CQNPlugin::GetFormatDescription(destination, capacity, index);
}
