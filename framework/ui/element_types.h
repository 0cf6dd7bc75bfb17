// The element classes' entries in the application's element registry, one factory per record tag,
// and what the factories share.
//
// "elem" (element.h), "coel" (co_element.h), "imel" (im_element.h), "txel" (tx_element.h), "rmel"
// (rm_element.h) and "rsel" (rs_element.h) build their elements.
#pragma once

#include <cstdint>

#include "framework/core/cm_function.h"
#include "framework/core/el_registry.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/layout_record.h"

class CResourceEnv;

// The registry keys rows by the address of the tag text, so each class passes its own constant.
bool RegisterElementFactory(const char* tag, CFCallback factory);
bool UnregisterElementFactory(const char* tag);

// The factories' creation: a new T from an empty description, loaded by load (by name when one is
// given, else by number). 9 when memory fails, 13 when the new element is not usable, else the
// load's code; on any failure the element is destroyed and *out stays none.
template <typename T>
int32_t NewLoadedElement(T** out, CResourceEnv* environment, uint32_t number, const char* name,
                         int32_t (T::*load)(CResourceEnv*, uint32_t, const char*)) {
  *out = nullptr;
  T* element = new T(SElementDesc{});
  if (!element) return kErrOutOfMemory;
  if (!element->IsValid()) {
    delete element;
    return kErrFailedCreation;
  }
  if (const int32_t err = (element->*load)(environment, number, name)) {
    delete element;
    return err;
  }
  *out = element;
  return kNoErr;
}

// The body of a registry callback for T's tag: a creation request for it is answered by byName
// (with the entry's description as the record name) or byNumber, the element and the code going into
// the request, and 1; any other request 0.
template <typename T>
int32_t CreateRequestedElement(void* record, int32_t (*byNumber)(T**, CResourceEnv*, uint32_t),
                               int32_t (*byName)(T**, CResourceEnv*, const char*)) {
  if (!CElRegistry::IsRequestFor(record, T::kTag)) return 0;
  SElementRequest* request = static_cast<SElementRegistryRecord*>(record)->request;
  T* element = nullptr;
  if (request->byDescription) {
    char name[SExNames::kNameBytes];
    RecordTextAt(request->description, 0, name, sizeof name);
    request->error = byName(&element, request->environment, name);
  } else {
    request->error = byNumber(&element, request->environment, request->elementId);
  }
  request->element = element;
  return 1;
}

// The same with T::NewByNumber and T::NewByName.
template <typename T>
int32_t CreateRequestedElement(void* record) {
  return CreateRequestedElement<T>(record, &T::NewByNumber, &T::NewByName);
}
