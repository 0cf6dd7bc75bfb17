// Linked into a test program, this registers the documents' services before any test runs, as the
// program's entry does.
#include "document/register_document_services.h"

namespace {

struct SRegistration {
  SRegistration() { RegisterDocumentServices(); }
} gRegistration;

}  // namespace
