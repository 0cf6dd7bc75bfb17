// The element registry: each element class enters its factory under its class name text; element sets
// are built by asking the factories in turn. Rows are keyed by the address of the name text.
#pragma once

#include "framework/core/cm_function.h"

class CElRegistry : public CCmFunction {
 public:
  explicit CElRegistry(SRange spec, CMemPool* pool = nullptr) : CCmFunction(spec, pool) {}

  bool Register(const char* className, CFCallback factory) { return AddRow(className, factory, 0); }
  bool Unregister(const char* className) { return RemoveOwner(className); }
};
