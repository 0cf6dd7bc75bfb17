// The switcher: an element whose children are remote elements, at most one of them open; selecting
// one by name closes the open one and opens it. Stored as an "elem" record followed by an "rsel"
// record of the same number or name, which names the child open after loading.
#pragma once

#include <cstdint>

#include "framework/ui/element.h"

class CRmElement;

class CRsElement : public CElement {
 public:
  static constexpr const char* kTag = "rsel";
  // The stored "rsel" record: tag, version, 16 bytes not read, the open child's name (32 bytes).
  static constexpr uint32_t kSwitcherRecordBytes = 56;
  static constexpr uint32_t kSwitcherChildName = 24;
  // The open and close parameter blocks that the switcher hands its children when it acts alone.
  static constexpr uint32_t kParameterBytes = 16;

  static bool RegisterType();
  static bool UnregisterType();
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  static int32_t NewByNumber(CRsElement** element, CResourceEnv* environment, uint32_t number);
  static int32_t NewByName(CRsElement** element, CResourceEnv* environment, const char* name);
  // The record handler of "rsel" records: checks the size, tag and version (2 and false on a
  // mismatch); the record holds no numbers to turn around.
  static uint32_t HandleRecordMessage(CSpoolMem* record, uint32_t message, void* argument);

  explicit CRsElement(const SElementDesc& desc);
  // Closes the open child first.
  ~CRsElement() override;

  // The "elem" record, then the "rsel" record of the same number (or name, when one is given), and
  // the selection of the child it names.
  int32_t Load(CResourceEnv* environment, uint32_t number, const char* name);

  virtual CRmElement* GetOpenChild();
  // Asks the open child to close, then (when a name is given: null or empty selects none) the named
  // child to open; closes the one and opens the other. Children not loaded yet are loaded first (6
  // when there are still none). A refusal is answered and changes nothing; the named child becomes
  // the open one whatever its Open answers, which is answered. 14 when the child is no remote element.
  virtual int32_t SelectChild(const char* name, void* openParameters, void* closeParameters);

 private:
  CRmElement* fOpenChild = nullptr;
};
