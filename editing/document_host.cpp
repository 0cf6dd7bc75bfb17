#include "editing/document_host.h"

namespace {

CDocumentHost* gCurrentHost = nullptr;

}  // namespace

CDocumentHost* GetCurrentDocumentHost() { return gCurrentHost; }

void SetCurrentDocumentHost(CDocumentHost* host) { gCurrentHost = host; }
