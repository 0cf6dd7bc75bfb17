#include "scene/object_key.h"

#include "framework/core/c_string.h"

void SObjectKey::Set(CSpoolSys* owner, uint32_t familyTag, uint32_t classCode, const char* type) {
  environment = owner;
  byteSize = 0;
  headerBytes = 0;
  family = familyTag;
  classTag = classCode;
  CopyCString(typeName, type, sizeof typeName);
}

SSpoolKey SObjectKey::NewSpoolKey() const {
  SSpoolKey key;
  key.Set(typeName, 0, false);
  return key;
}
