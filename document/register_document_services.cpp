#include "document/register_document_services.h"

#include "document/plugin.h"
#include "framework/core/document_services.h"

namespace {

constexpr SDocumentServices kServices = {&CQNPlugin::GetFormatDescription};

}  // namespace

void RegisterDocumentServices() { SetDocumentServices(&kServices); }
