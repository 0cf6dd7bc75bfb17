#include "framework/ui/element_types.h"

#include "framework/core/appl.h"
#include "framework/core/el_registry.h"
#include "framework/core/result_codes.h"

bool RegisterElementFactory(const char* tag, CFCallback factory) {
  CAppl* app = GetApplication();
  return app && app->GetElementRegistry() && app->GetElementRegistry()->Register(tag, factory);
}

bool UnregisterElementFactory(const char* tag) {
  CAppl* app = GetApplication();
  return app && app->GetElementRegistry() && app->GetElementRegistry()->Unregister(tag);
}
