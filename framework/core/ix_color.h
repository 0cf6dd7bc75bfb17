// Indexed colours: the numbered colour lists of 'ixco' resources, 32-bit values stored big-endian
// after the 24-byte indexed header. With further sets, entry i is value i + Count of the second set.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CResourceEnv;
class CSpoolMem;
class CSubscriber;
struct SSpoolKey;

class CIxColor : public CBaseObject {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  // The list by number or by name, with entry index selected (kNone: none, colour 0). A list the
  // environment lacks comes from the application's resource file.
  CIxColor(CResourceEnv* environment, uint32_t number, uint32_t index);
  CIxColor(CResourceEnv* environment, const char* name, uint32_t index);
  ~CIxColor() override;
  CIxColor(const CIxColor&) = delete;
  CIxColor& operator=(const CIxColor&) = delete;

  int32_t GetColor(uint32_t* value) const;
  int32_t GetResult() const { return fResult; }
  CSubscriber* GetResource() const { return fResource; }

  static uint32_t HandleRecord(CSpoolMem* object, uint32_t message, void* argument);

 private:
  void Load(CResourceEnv* environment, const SSpoolKey& key, uint32_t index);
  int32_t ColorAt(uint32_t index, uint32_t* value);

  CSubscriber* fResource = nullptr;
  uint32_t fSelected = kNone;
  uint32_t fColor = 0;
  int32_t fResult = 0;
  uint8_t fSets = 0;
};
