#include "render/preview_document.h"

namespace {

CPreviewDocument* gDocument = nullptr;

}  // namespace

void RegisterPreviewDocument(CPreviewDocument* document) { gDocument = document; }

CPreviewDocument* GetPreviewDocument() { return gDocument; }
