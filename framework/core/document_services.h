// What the framework core calls of the documents and plug-in host, which come after it in the library
// order. document/ fills the table at start-up (RegisterDocumentServices); the functions below pass
// each call on.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDocumentServices {
  int32_t (*getPluginFormatDescription)(char* destination, size_t capacity, uint32_t index);
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetDocumentServices(const SDocumentServices* services);
const SDocumentServices* GetDocumentServices();

// CQNPlugin::GetFormatDescription: copies the description of format item index of the loaded
// plug-in into destination (capacity bytes with the terminator). 0; 15 when no format table is
// loaded (always without a registration); 16 for an index past the items; 21 when it does not fit.
int32_t GetPluginFormatDescription(char* destination, size_t capacity, uint32_t index);
