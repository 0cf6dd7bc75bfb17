// The element registry: each element class enters its factory under its class name text; element
// sets ('eset' resources) are built by asking the factories in turn. Rows are keyed by the address
// of the name text.
//
// Stored 'eset' record, big-endian: "eset", "0100", 64 bytes not read, the entry count n, then n
// entries of 80 bytes: class name (16 bytes, at most 15 characters), element id, a 32-byte
// description, two placement values, flags (bit 0: build from the description), 16 bytes not read.
#pragma once

#include <cstdint>

#include "framework/core/cm_function.h"
#include "framework/core/spool_table.h"

class CElement;
class CResourceEnv;
class CSpoolMem;

// What a factory receives for each entry of a set.
struct SElementRequest {
  CResourceEnv* environment = nullptr;
  char className[16] = {};
  uint32_t elementId = 0;
  uint8_t description[32] = {};
  uint32_t byDescription = 0;  // bit 0 of the entry's flags
  CElement* parent = nullptr;
  CElement* element = nullptr;  // out
  int32_t error = 0;            // out
};

// The record broadcast on the registry; the first two words are 0 for a creation request.
struct SElementRegistryRecord {
  uint32_t reserved0 = 0;
  uint32_t reserved1 = 0;
  SElementRequest* request = nullptr;
  uint32_t reserved2 = 0;
};

class CElRegistry : public CCmFunction {
 public:
  static constexpr uint32_t kSetHeaderBytes = 76;
  static constexpr uint32_t kSetEntryBytes = 80;

  explicit CElRegistry(SRange spec, CMemPool* pool = nullptr) : CCmFunction(spec, pool) {}

  bool Register(const char* className, CFCallback factory) { return AddRow(className, factory, 0); }
  bool Unregister(const char* className) { return RemoveOwner(className); }

  // Builds the set's elements in entry order and adds each to the parent (when given) with its two
  // placement values. The set is found by name when one is given, else by id. A class no factory
  // takes answers 14; a factory's or the parent's failure ends the loading with its code.
  int32_t LoadElementSet(CResourceEnv* environment, uint32_t id, const char* name, CElement* parent);
  int32_t LoadElements(CResourceEnv* environment, uint32_t id, CElement* parent) {
    return LoadElementSet(environment, id, nullptr, parent);
  }

  // The record-type handler of 'eset' resources: checks the record, then converts it from stored
  // order. Sets are never written back.
  static uint32_t HandleSetRecord(CSpoolMem* object, uint32_t message, void* argument);

  // Whether a broadcast record asks a factory of className to build an element: the first two words
  // 0 and the class names equal over 15 characters.
  static bool IsRequestFor(const void* record, const char* className);
};

// The container an element set gives its parent when it has none: element rows in the objects
// environment.
SDynTableLayout ElementContainerLayout();
