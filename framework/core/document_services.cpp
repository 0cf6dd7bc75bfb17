#include "framework/core/document_services.h"

#include "framework/core/result_codes.h"

namespace {

const SDocumentServices* gServices = nullptr;

}  // namespace

void SetDocumentServices(const SDocumentServices* services) { gServices = services; }

const SDocumentServices* GetDocumentServices() { return gServices; }

int32_t GetPluginFormatDescription(char* destination, size_t capacity, uint32_t index) {
  return gServices ? gServices->getPluginFormatDescription(destination, capacity, index) : kErrUnexpectedStatus;
}
