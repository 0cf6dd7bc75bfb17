#include "framework/core/ui_services.h"

#include "framework/core/result_codes.h"

namespace {

const SUiServices* gServices = nullptr;

}  // namespace

void SetUiServices(const SUiServices* services) { gServices = services; }

const SUiServices* GetUiServices() { return gServices; }

bool RegisterCanvasClass(platform::ModuleHandle instance, platform::WindowHandle owner) {
  return !gServices || gServices->registerCanvasClass(instance, owner);
}

void UnregisterCanvasClass() {
  if (gServices) gServices->unregisterCanvasClass();
}

const SElementClass* GetElementClasses(uint32_t* count) {
  if (gServices) return gServices->getElementClasses(count);
  *count = 0;
  return nullptr;
}

bool ElementHasOwner(const CElement* element) { return gServices && gServices->elementHasOwner(element); }

int32_t AttachElement(CElement* element, CExSystem* owner) {
  return gServices ? gServices->attachElement(element, owner) : kErrNotImplemented;
}

int32_t DetachElement(CElement* element, CExSystem* owner) {
  return gServices ? gServices->detachElement(element, owner) : kErrNotImplemented;
}

bool IsElementPlaced(const CElement* element) { return gServices && gServices->isElementPlaced(element); }

int32_t AddChildElement(CElement* parent, CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                        const SDynTableLayout& container) {
  return gServices ? gServices->addChildElement(parent, child, classData, orderKey, extra, container)
                   : kErrNotImplemented;
}

void DeleteElement(CElement* element) {
  if (gServices) gServices->deleteElement(element);
}

const char* GetElementName(const CElement* element) { return gServices ? gServices->getElementName(element) : ""; }

CDesktopConsole* NewDesktopConsole(uint32_t lineWidth, uint32_t lineCount, const SRect& frame, uint32_t style,
                                   const uint32_t* textColor, const uint32_t* color, int32_t priority) {
  return gServices ? gServices->newDesktopConsole(lineWidth, lineCount, frame, style, textColor, color, priority)
                   : nullptr;
}
