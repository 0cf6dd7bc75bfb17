// The classes a scene document stores: for each, its family and class tags, the type name its records
// are keyed by, the smallest record accepted, its constructor, and where it comes in the order a
// document is read (with that step's progress title). The same class tag names a shape and a light
// ('sphr', 'cone', 'cube'), so a class is found by both tags.
#pragma once

#include <cstdint>
#include <span>

#include "scene/object_key.h"

class C3dBase;
class CSpoolSys;

struct SDocumentClass {
  // Reading modes of ReadDocument, as bits.
  static constexpr uint8_t kOpen = 1;        // mode 0: everything
  static constexpr uint8_t kMerge = 2;       // mode 1: all but the cameras
  static constexpr uint8_t kMaterials = 4;   // mode 2: textures, pictures, materials, sky and sun

  uint32_t family;
  uint32_t classTag;
  const char* typeName;
  uint32_t minimum;
  C3dBase* (*make)(const SObjectKey& key);
  uint8_t modes;
  // Whether one thing of the class is read by key (group members, and the objects and lights of
  // preset libraries).
  bool byKey;
  // The step's title when the "progress load" list cannot be had.
  const char* builtInTitle;

  // The construction descriptor {environment, 0, 0, family, class} with the type name.
  SObjectKey Desc(CSpoolSys* environment) const;
};

// The 23 classes in reading order; a row's index is its entry in the "progress load" list.
std::span<const SDocumentClass> DocumentClasses();
const SDocumentClass* FindDocumentClass(uint32_t family, uint32_t classTag);
